// Dialogs from resource lists: controls, control messages, notifications,
// dialog keys and modal results.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "swell.h"
#include "swell-dlggen.h"
#include "swell_test_util.h"

namespace
{
enum
{
  kDialog = 6001,
  kChildDialog = 6002,
  kCombo = 100,
  kCheck = 101,
  kApply = 102,
  kEditCombo = 103,
};

const SWELL_DialogControlRecord kControls[] = {
    {"__SWELL_GROUP", 0, "Settings", -1, 5, 10, 290, 150, 0},
    {"__SWELL_LABEL", -1, "Device", -1, 20, 32, 80, 20, 0},
    {"__SWELL_COMBO", 0, "", kCombo, 20, 50, 150, 100, 3},
    {"__SWELL_CHECKBOX", 0, "Mono", kCheck, 190, 50, 80, 100, 0},
    {"__SWELL_COMBO", 0, "", kEditCombo, 20, 100, 150, 100, 2},
    {"__SWELL_BUTTON", 1, "OK", IDOK, 120, 170, 50, 20, 0},
    {"__SWELL_BUTTON", 0, "Apply", kApply, 60, 170, 50, 20, 0},
    {"__SWELL_BUTTON", 0, "Cancel", IDCANCEL, 180, 170, 50, 20, 0},
};

void BuildDialog(HWND dlg, int flags)
{
  SWELL_MakeSetCurParms(1.0f, 1.0f, 0, 0, dlg, false, !(flags & SWELL_DLG_WS_NOAUTOSIZE));
  SWELL_GenerateDialogFromList(kControls, (int)(sizeof(kControls) / sizeof(kControls[0])));
}
SWELL_DialogRegHelper sDialog(&SWELL_curmodule_dialogresource_head, BuildDialog, kDialog,
                              SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Test dialog", 300,
                              200, 1.0);

const SWELL_DialogControlRecord kChildControls[] = {
    {"__SWELL_BUTTON", 1, "OK", IDOK, 10, 10, 50, 20, 0},
};
void BuildChild(HWND dlg, int)
{
  SWELL_MakeSetCurParms(1.0f, 1.0f, 0, 0, dlg, false, false);
  SWELL_GenerateDialogFromList(kChildControls, 1);
}
SWELL_DialogRegHelper sChild(&SWELL_curmodule_dialogresource_head, BuildChild, kChildDialog,
                             SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Child", 120, 60, 1.0);

// What the dialog procedure saw.
struct Seen
{
  std::vector<std::pair<int, int>> commands; // (id, notification)
  int initCount = 0, destroyCount = 0, closeCount = 0;
  LPARAM initParam = 0;
  bool endOnCommand = true; // EndDialog on OK/Cancel/Apply
};
Seen gSeen;

INT_PTR DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
  switch (msg)
  {
    case WM_INITDIALOG:
      gSeen.initCount++;
      gSeen.initParam = lp;
      return 1;
    case WM_COMMAND:
      gSeen.commands.push_back({LOWORD(wp), HIWORD(wp)});
      if (gSeen.endOnCommand && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL))
        EndDialog(h, LOWORD(wp));
      return 1;
    case WM_DESTROY:
      gSeen.destroyCount++;
      return 0;
    default:
      return 0;
  }
}

void ResetSeen() { gSeen = Seen(); }

// Position of a control's widget in its dialog's client area.
bool WidgetOrigin(HWND dlg, HWND ctl, int* x, int* y)
{
  GtkWidget* top = SWELL_GetWidget(dlg);
  GtkWidget* w = SWELL_GetWidget(ctl);
  GtkWidget* client = gtk_widget_get_parent(w);
  (void)top;
  return gtk_widget_translate_coordinates(w, client, 0, 0, x, y);
}

HWND MakeShownDialog()
{
  HWND h =
      SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kDialog, nullptr, DialogProc, 1234);
  if (!h) return nullptr;
  ShowWindow(h, SW_SHOW);
  PumpUntil(
      [&]
      {
        GdkWindow* gw = gtk_widget_get_window(SWELL_GetWidget(h));
        return gw && gdk_window_is_viewable(gw);
      });
  Pump(50);
  return h;
}
} // namespace

TEST(Dialog, ControlsSitAtTheirPositions)
{
  ResetSeen();
  HWND h = MakeShownDialog();
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(1, gSeen.initCount);
  EXPECT_EQ(1234, gSeen.initParam);
  char title[64];
  GetWindowText(h, title, sizeof(title));
  EXPECT_STREQ("Test dialog", title);

  RECT c;
  ASSERT_TRUE(GetClientRect(h, &c));
  EXPECT_EQ(300, c.right);
  EXPECT_EQ(200, c.bottom);
  // The GTK window's content is exactly the resource's size.
  GdkWindow* gw = gtk_widget_get_window(SWELL_GetWidget(h));
  EXPECT_EQ(300, gdk_window_get_width(gw));
  EXPECT_EQ(200, gdk_window_get_height(gw));

  struct
  {
    int id, x, y;
  } expect[] = {{kCombo, 20, 50},
                {kCheck, 190, 50},
                {IDOK, 120, 170},
                {kApply, 60, 170},
                {IDCANCEL, 180, 170}};
  for (auto& e : expect)
  {
    HWND ctl = GetDlgItem(h, e.id);
    ASSERT_NE(nullptr, ctl) << e.id;
    EXPECT_EQ(e.id, GetDlgCtrlID(ctl));
    EXPECT_EQ(h, GetParent(ctl));
    int x = -1, y = -1;
    ASSERT_TRUE(WidgetOrigin(h, ctl, &x, &y));
    EXPECT_EQ(e.x, x) << e.id;
    EXPECT_EQ(e.y, y) << e.id;
    RECT wr, cr;
    GetWindowRect(h, &wr);
    GetWindowRect(ctl, &cr);
    EXPECT_EQ(wr.left + e.x, cr.left) << e.id;
    EXPECT_EQ(wr.top + e.y, cr.top) << e.id;
  }
  // Widget kinds: a frame, left-aligned text, a list that cannot be typed
  // into, an editable combo, a check box, the default button.
  GtkWidget* group = gtk_widget_get_parent(SWELL_GetWidget(GetDlgItem(h, kCombo)));
  int frames = 0, labels = 0;
  GList* kids = gtk_container_get_children(GTK_CONTAINER(group));
  for (GList* k = kids; k; k = k->next)
  {
    if (GTK_IS_FRAME(k->data))
    {
      frames++;
      EXPECT_STREQ("Settings", gtk_frame_get_label(GTK_FRAME(k->data)));
    }
    if (GTK_IS_LABEL(k->data))
    {
      labels++;
      EXPECT_STREQ("Device", gtk_label_get_text(GTK_LABEL(k->data)));
      EXPECT_FLOAT_EQ(0.0f, gtk_label_get_xalign(GTK_LABEL(k->data)));
    }
  }
  g_list_free(kids);
  EXPECT_EQ(1, frames);
  EXPECT_EQ(1, labels);
  EXPECT_FALSE(gtk_combo_box_get_has_entry(GTK_COMBO_BOX(SWELL_GetWidget(GetDlgItem(h, kCombo)))));
  EXPECT_TRUE(
      gtk_combo_box_get_has_entry(GTK_COMBO_BOX(SWELL_GetWidget(GetDlgItem(h, kEditCombo)))));
  EXPECT_TRUE(GTK_IS_CHECK_BUTTON(SWELL_GetWidget(GetDlgItem(h, kCheck))));
  EXPECT_TRUE(gtk_widget_has_default(SWELL_GetWidget(GetDlgItem(h, IDOK))));
  EXPECT_FALSE(gtk_widget_has_default(SWELL_GetWidget(GetDlgItem(h, kApply))));
  EXPECT_EQ(nullptr, GetDlgItem(h, 9999));

  DestroyWindow(h);
  EXPECT_EQ(1, gSeen.destroyCount);
}

TEST(Dialog, ComboMessages)
{
  ResetSeen();
  HWND h = MakeShownDialog();
  ASSERT_NE(nullptr, h);
  HWND combo = GetDlgItem(h, kCombo);
  EXPECT_EQ(-1, SendMessage(combo, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(0, SendMessage(combo, CB_ADDSTRING, 0, (LPARAM) "Alpha"));
  EXPECT_EQ(1, SendMessage(combo, CB_ADDSTRING, 0, (LPARAM) "beta"));
  EXPECT_EQ(2, SendMessage(combo, CB_ADDSTRING, 0, (LPARAM) "Gamma"));
  EXPECT_EQ(3, SendMessage(combo, CB_ADDSTRING, 0, (LPARAM) "BETA"));
  EXPECT_EQ(4, SendMessage(combo, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(-1, SendMessage(combo, CB_GETCURSEL, 0, 0));

  SendMessage(combo, CB_SETCURSEL, 2, 0);
  EXPECT_EQ(2, SendMessage(combo, CB_GETCURSEL, 0, 0));
  // Out of range: nothing changes.
  SendMessage(combo, CB_SETCURSEL, 4, 0);
  EXPECT_EQ(2, SendMessage(combo, CB_GETCURSEL, 0, 0));
  SendMessage(combo, CB_SETCURSEL, (WPARAM)-1, 0);
  EXPECT_EQ(2, SendMessage(combo, CB_GETCURSEL, 0, 0));
  char text[1100];
  memset(text, 'x', sizeof(text));
  EXPECT_EQ(1, SendMessage(combo, CB_GETLBTEXT, 1, (LPARAM)text));
  EXPECT_STREQ("beta", text);
  EXPECT_EQ(0, SendMessage(combo, CB_GETLBTEXT, 9, (LPARAM)text));
  // The first match from the start, ignoring case.
  EXPECT_EQ(1, SendMessage(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "Beta"));
  EXPECT_EQ(0, SendMessage(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "ALPHA"));
  EXPECT_EQ(-1, SendMessage(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "Alph"));
  // Long item texts are cut at 1024 bytes with the terminator.
  const std::string longText(2000, 'q');
  EXPECT_EQ(4, SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)longText.c_str()));
  EXPECT_EQ(1, SendMessage(combo, CB_GETLBTEXT, 4, (LPARAM)text));
  EXPECT_EQ(1023u, strlen(text));

  SendMessage(combo, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(0, SendMessage(combo, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(-1, SendMessage(combo, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(-1, SendMessage(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "beta"));

  // The combo that can be typed into gives its text; setting it is no user action either.
  HWND edit = GetDlgItem(h, kEditCombo);
  EXPECT_TRUE(SetWindowText(edit, "typed"));
  GetWindowText(edit, text, sizeof(text));
  EXPECT_STREQ("typed", text);
  EXPECT_FALSE(SetWindowText(combo, "no entry"));

  // None of this was a user action.
  Pump(20);
  EXPECT_TRUE(gSeen.commands.empty());
  DestroyWindow(h);
}

TEST(Dialog, NotificationsOnlyOnUserAction)
{
  ResetSeen();
  HWND h = MakeShownDialog();
  ASSERT_NE(nullptr, h);
  HWND combo = GetDlgItem(h, kCombo), check = GetDlgItem(h, kCheck);
  for (const char* s : {"one", "two", "three"}) SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)s);
  SendMessage(combo, CB_SETCURSEL, 0, 0);
  SendMessage(check, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(BST_CHECKED, SendMessage(check, BM_GETCHECK, 0, 0));
  SendMessage(check, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(BST_UNCHECKED, SendMessage(check, BM_GETCHECK, 0, 0));
  EXPECT_TRUE(gSeen.commands.empty());

  // The user picks an item: CBN_SELCHANGE with the control's id.
  EXPECT_TRUE(SWELL_SimulateUserSelect(combo, 2));
  ASSERT_EQ(1u, gSeen.commands.size());
  EXPECT_EQ(kCombo, gSeen.commands[0].first);
  EXPECT_EQ(CBN_SELCHANGE, gSeen.commands[0].second);
  EXPECT_EQ(2, SendMessage(combo, CB_GETCURSEL, 0, 0));
  EXPECT_FALSE(SWELL_SimulateUserSelect(combo, 3));
  EXPECT_FALSE(SWELL_SimulateUserSelect(check, 0));

  // The user clicks the check box: it toggles and BN_CLICKED follows.
  EXPECT_TRUE(SWELL_SimulateUserClick(check));
  ASSERT_EQ(2u, gSeen.commands.size());
  EXPECT_EQ(kCheck, gSeen.commands[1].first);
  EXPECT_EQ(BN_CLICKED, gSeen.commands[1].second);
  EXPECT_EQ(BST_CHECKED, SendMessage(check, BM_GETCHECK, 0, 0));

  // A push button.
  EXPECT_TRUE(SWELL_SimulateUserClick(GetDlgItem(h, kApply)));
  ASSERT_EQ(3u, gSeen.commands.size());
  EXPECT_EQ(kApply, gSeen.commands[2].first);
  EXPECT_EQ(BN_CLICKED, gSeen.commands[2].second);
  EXPECT_FALSE(SWELL_SimulateUserClick(combo));

  // A disabled control takes no user action.
  EnableWindow(GetDlgItem(h, kApply), FALSE);
  EXPECT_FALSE(SWELL_SimulateUserClick(GetDlgItem(h, kApply)));
  EXPECT_EQ(3u, gSeen.commands.size());
  DestroyWindow(h);
}

TEST(Dialog, ModalResultFromEndDialog)
{
  ResetSeen();
  static bool shown = false;
  shown = false;
  const INT_PTR r = SWELL_DialogBox(
      SWELL_curmodule_dialogresource_head, kDialog, nullptr,
      [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> INT_PTR
      {
        if (msg == WM_INITDIALOG)
        {
          After(200,
                [h]
                {
                  shown = gtk_widget_get_visible(SWELL_GetWidget(h));
                  HWND combo = GetDlgItem(h, kCombo);
                  SendMessage(combo, CB_ADDSTRING, 0, (LPARAM) "x");
                  SendMessage(combo, CB_ADDSTRING, 0, (LPARAM) "y");
                  SWELL_SimulateUserSelect(combo, 1);
                  SWELL_SimulateUserClick(GetDlgItem(h, IDOK));
                });
        }
        return DialogProc(h, msg, wp, lp);
      },
      77);
  EXPECT_EQ(IDOK, r);
  EXPECT_TRUE(shown);
  EXPECT_EQ(77, gSeen.initParam);
  ASSERT_EQ(2u, gSeen.commands.size());
  EXPECT_EQ(kCombo, gSeen.commands[0].first);
  EXPECT_EQ(CBN_SELCHANGE, gSeen.commands[0].second);
  EXPECT_EQ(IDOK, gSeen.commands[1].first);
  // The dialog was destroyed before SWELL_DialogBox returned.
  EXPECT_EQ(1, gSeen.destroyCount);
}

namespace
{
// Runs the test dialog modally; once shown, act(dialog) runs from the loop.
INT_PTR RunModal(std::function<void(HWND)> act, HWND parent = nullptr)
{
  static std::function<void(HWND)> sAct;
  sAct = std::move(act);
  return SWELL_DialogBox(
      SWELL_curmodule_dialogresource_head, kDialog, parent,
      [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> INT_PTR
      {
        if (msg == WM_INITDIALOG)
        {
          auto a = sAct;
          After(100,
                [h, a]
                {
                  PumpUntil(
                      [h]
                      {
                        GdkWindow* gw = gtk_widget_get_window(SWELL_GetWidget(h));
                        return gw && gdk_window_is_viewable(gw);
                      });
                  a(h);
                });
        }
        return DialogProc(h, msg, wp, lp);
      },
      0);
}
} // namespace

TEST(Dialog, EscapeSendsCancel)
{
  ResetSeen();
  const INT_PTR r = RunModal([](HWND h) { EXPECT_TRUE(SWELL_SimulateKeyPress(h, VK_ESCAPE, 0)); });
  EXPECT_EQ(IDCANCEL, r);
  ASSERT_EQ(1u, gSeen.commands.size());
  EXPECT_EQ(IDCANCEL, gSeen.commands[0].first);
}

TEST(Dialog, ReturnPressesTheDefaultButton)
{
  ResetSeen();
  const INT_PTR r = RunModal(
      [](HWND h)
      {
        // Even with the focus on the check box, Return presses OK.
        gtk_widget_grab_focus(SWELL_GetWidget(GetDlgItem(h, kCheck)));
        EXPECT_TRUE(SWELL_SimulateKeyPress(h, VK_RETURN, 0));
      });
  EXPECT_EQ(IDOK, r);
  ASSERT_EQ(1u, gSeen.commands.size());
  EXPECT_EQ(IDOK, gSeen.commands[0].first);
  EXPECT_EQ(BN_CLICKED, gSeen.commands[0].second);
}

TEST(Dialog, CloseButtonSendsCancelWhenCloseIsNotHandled)
{
  ResetSeen();
  const INT_PTR r = RunModal([](HWND h) { gtk_window_close(GTK_WINDOW(SWELL_GetWidget(h))); });
  EXPECT_EQ(IDCANCEL, r);
  ASSERT_EQ(1u, gSeen.commands.size());
  EXPECT_EQ(IDCANCEL, gSeen.commands[0].first);
  EXPECT_EQ(1, gSeen.destroyCount);

  // Ctrl+W is the same request.
  ResetSeen();
  EXPECT_EQ(IDCANCEL, RunModal([](HWND h) { SWELL_SimulateKeyPress(h, 'W', FCONTROL); }));
}

TEST(Dialog, CloseHandledByTheProcedure)
{
  // A procedure that handles WM_CLOSE itself gets no IDCANCEL.
  static int closes = 0, cancels = 0;
  closes = cancels = 0;
  const INT_PTR r = SWELL_DialogBox(
      SWELL_curmodule_dialogresource_head, kChildDialog, nullptr,
      [](HWND h, UINT msg, WPARAM wp, LPARAM) -> INT_PTR
      {
        if (msg == WM_INITDIALOG)
          After(100, [h] { gtk_window_close(GTK_WINDOW(SWELL_GetWidget(h))); });
        if (msg == WM_CLOSE)
        {
          closes++;
          EndDialog(h, 42);
          return 1;
        }
        if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) cancels++;
        return 0;
      },
      0);
  EXPECT_EQ(42, r);
  EXPECT_EQ(1, closes);
  EXPECT_EQ(0, cancels);
}

TEST(Dialog, NestedModalDialogs)
{
  ResetSeen();
  static INT_PTR inner = 0;
  static bool parentDisabledDuringInner = false;
  inner = 0;
  parentDisabledDuringInner = false;
  const INT_PTR r = RunModal(
      [](HWND outer)
      {
        inner = SWELL_DialogBox(
            SWELL_curmodule_dialogresource_head, kChildDialog, outer,
            [](HWND h, UINT msg, WPARAM wp, LPARAM) -> INT_PTR
            {
              if (msg == WM_INITDIALOG)
                After(100,
                      [h]
                      {
                        HWND outerDlg = GetParent(h);
                        parentDisabledDuringInner =
                            outerDlg &&
                            !gtk_widget_is_sensitive(SWELL_GetWidget(GetDlgItem(outerDlg, IDOK)));
                        // Esc on the inner dialog does not reach the outer one.
                        SWELL_SimulateKeyPress(outerDlg, VK_ESCAPE, 0);
                        SWELL_SimulateUserClick(GetDlgItem(h, IDOK));
                      });
              if (msg == WM_COMMAND && LOWORD(wp) == IDOK) EndDialog(h, 7);
              return 0;
            },
            0);
        // Back in the outer dialog, which works again.
        EXPECT_TRUE(gtk_widget_is_sensitive(SWELL_GetWidget(GetDlgItem(outer, IDOK))));
        EndDialog(outer, 5);
      });
  EXPECT_EQ(7, inner);
  EXPECT_EQ(5, r);
  EXPECT_TRUE(parentDisabledDuringInner);
  // The outer dialog saw no command: the Esc aimed at it while disabled was refused.
  EXPECT_TRUE(gSeen.commands.empty());
}

TEST(Dialog, EndDialogDuringInitAndDestroyWhileModal)
{
  // Ended before it was shown: no loop runs.
  const INT_PTR r = SWELL_DialogBox(
      SWELL_curmodule_dialogresource_head, kChildDialog, nullptr,
      [](HWND h, UINT msg, WPARAM, LPARAM) -> INT_PTR
      {
        if (msg == WM_INITDIALOG) EndDialog(h, 9);
        return 0;
      },
      0);
  EXPECT_EQ(9, r);

  // Destroyed without EndDialog: IDCANCEL.
  const INT_PTR r2 = SWELL_DialogBox(
      SWELL_curmodule_dialogresource_head, kChildDialog, nullptr,
      [](HWND h, UINT msg, WPARAM, LPARAM) -> INT_PTR
      {
        if (msg == WM_INITDIALOG) After(50, [h] { DestroyWindow(h); });
        return 0;
      },
      0);
  EXPECT_EQ(IDCANCEL, r2);

  // EndDialog on a modeless dialog is refused.
  HWND h =
      SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kChildDialog, nullptr, DialogProc, 0);
  ASSERT_NE(nullptr, h);
  EXPECT_FALSE(EndDialog(h, 1));
  DestroyWindow(h);
}

TEST(Dialog, WindowThatDestroysItselfInInitDialog)
{
  HWND h = SWELL_CreateDialog(
      SWELL_curmodule_dialogresource_head, kChildDialog, nullptr,
      [](HWND h, UINT msg, WPARAM, LPARAM) -> INT_PTR
      {
        if (msg == WM_INITDIALOG) DestroyWindow(h);
        return 0;
      },
      0);
  EXPECT_EQ(nullptr, h);
}

TEST(Dialog, OwnedWindowsGoWithTheirOwner)
{
  ResetSeen();
  HWND owner = MakeShownDialog();
  ASSERT_NE(nullptr, owner);
  // Owned through one of its controls.
  HWND modeless = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kChildDialog,
                                     GetDlgItem(owner, kCombo), DialogProc, 0);
  ASSERT_NE(nullptr, modeless);
  EXPECT_EQ(owner, GetParent(modeless));
  static HWND sOwner;
  sOwner = owner;
  const INT_PTR r = SWELL_DialogBox(
      SWELL_curmodule_dialogresource_head, kChildDialog, owner,
      [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR
      {
        if (msg == WM_INITDIALOG) After(50, [] { DestroyWindow(sOwner); });
        return 0;
      },
      0);
  EXPECT_EQ(IDCANCEL, r);
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_FALSE(IsWindow(modeless));
  EXPECT_EQ(2, gSeen.destroyCount); // the owner and the modeless dialog
}
