// Windows, dialogs and message boxes: stale handles, controls from resource
// lists, control messages, notifications (also of real clicks and keys on the
// X server, through xdotool), dialog keys and modal results.
#include <gtest/gtest.h>
#include <gdk/gdkx.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "swell.h"
#include "swell_test_util.h"

namespace
{
enum
{
  kDialog = 6001,
  kCombo = 100,
  kCheck = 101,
  kApply = 102,
};

const SWELL_DialogControlRecord kControls[] = {
    {"__SWELL_GROUP", 0, "Settings", -1, 5, 10, 290, 150, 0},
    {"__SWELL_LABEL", -1, "Device", -1, 20, 32, 80, 20, 0},
    {"__SWELL_COMBO", 0, "", kCombo, 20, 50, 150, 100, 3},
    {"__SWELL_CHECKBOX", 0, "Mono", kCheck, 190, 50, 80, 100, 0},
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

// What the dialog procedure saw, and what it does.
struct Seen
{
  std::vector<std::pair<int, int>> commands; // (id, notification)
  int destroyCount = 0;
  LPARAM initParam = 0;
  std::function<void(HWND)> onInit; // run at the next WM_INITDIALOG
  bool endOnClose = false;          // WM_CLOSE: EndDialog(42) instead of IDCANCEL
};
Seen gSeen;

// Ends the dialog on OK and Cancel with that id.
INT_PTR DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
  switch (msg)
  {
    case WM_INITDIALOG:
      gSeen.initParam = lp;
      if (auto f = std::move(gSeen.onInit)) f(h);
      return 1;
    case WM_COMMAND:
      gSeen.commands.push_back({LOWORD(wp), HIWORD(wp)});
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(h, LOWORD(wp));
      return 1;
    case WM_CLOSE:
      return gSeen.endOnClose && EndDialog(h, 42);
    case WM_DESTROY:
      gSeen.destroyCount++;
      return 0;
    default:
      return 0;
  }
}

HWND MakeShownDialog()
{
  HWND h = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kDialog, nullptr, DialogProc, 0);
  if (h) ShowWindow(h, SW_SHOW);
  if (h) PumpUntil([h] { return IsOnScreen(h); });
  return h;
}

// Runs a dialog modally; once it is on the screen, act(dialog) runs from
// the dialog's loop. A dialog still open after 10 s ends with -99.
INT_PTR RunModal(std::function<void(HWND)> act, int id = kDialog, HWND parent = nullptr,
                 LPARAM param = 0)
{
  gSeen.onInit = [act](HWND h)
  {
    WhenShown(h, [h, act] { act(h); });
    When([h] { return !IsWindow(h); }, [h] { EndDialog(h, -99); });
  };
  return SWELL_DialogBox(SWELL_curmodule_dialogresource_head, id, parent, DialogProc, param);
}

// The GtkMessageDialog that is open, or null.
GtkWidget* OpenMessageDialog()
{
  GtkWidget* found = nullptr;
  GList* list = gtk_window_list_toplevels();
  for (GList* l = list; l; l = l->next)
    if (GTK_IS_MESSAGE_DIALOG(l->data) && gtk_widget_get_visible(GTK_WIDGET(l->data)))
      found = GTK_WIDGET(l->data);
  g_list_free(list);
  return found;
}
} // namespace

TEST(Dialog, ControlMessagesNotifyNobodyRealClicksAndKeysDo)
{
  gSeen = Seen();
  HWND h = MakeShownDialog();
  ASSERT_NE(nullptr, h);
  HWND combo = GetDlgItem(h, kCombo), check = GetDlgItem(h, kCheck);
  ASSERT_TRUE(combo && check && GetDlgItem(h, kApply));
  const char* items[] = {"Alpha", "beta", "Gamma", "BETA"};
  for (int i = 0; i < 4; i++) EXPECT_EQ(i, SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)items[i]));
  EXPECT_EQ(-1, SendMessage(combo, CB_GETCURSEL, 0, 0));
  // Out of range selections change nothing.
  for (WPARAM sel : {2, 4, -1}) SendMessage(combo, CB_SETCURSEL, sel, 0);
  EXPECT_EQ(2, SendMessage(combo, CB_GETCURSEL, 0, 0));
  char text[1100];
  EXPECT_EQ(1, SendMessage(combo, CB_GETLBTEXT, 1, (LPARAM)text));
  EXPECT_STREQ("beta", text);
  // The first match from the start, ignoring case.
  EXPECT_EQ(1, SendMessage(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "Beta"));
  EXPECT_EQ(0, SendMessage(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "ALPHA"));
  // Long item texts are cut at 1024 bytes with the terminator.
  const std::string longText(2000, 'q');
  EXPECT_EQ(4, SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)longText.c_str()));
  memset(text, 'x', sizeof(text));
  EXPECT_EQ(1, SendMessage(combo, CB_GETLBTEXT, 4, (LPARAM)text));
  EXPECT_EQ(1023u, strlen(text));
  EXPECT_EQ('x', text[1024]);
  SendMessage(combo, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(0, SendMessage(combo, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(-1, SendMessage(combo, CB_GETCURSEL, 0, 0));

  for (const char* s : {"one", "two", "three"}) SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)s);
  SendMessage(combo, CB_SETCURSEL, 0, 0);
  SendMessage(check, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(BST_CHECKED, SendMessage(check, BM_GETCHECK, 0, 0));
  Drain();

  // Real clicks and keys on the X server: the check box toggles, and the
  // combo box opened by a click takes one item down and Return; only these
  // notify the dialog, not the changes by message above. (Simulated user
  // actions drive the host's preferences tests.)
  const std::string xid =
      std::to_string(gdk_x11_window_get_xid(gtk_widget_get_window(SWELL_GetWidget(h))));
  auto click = [&](HWND ctl)
  {
    GtkWidget* w = SWELL_GetWidget(ctl);
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(w, gtk_widget_get_toplevel(w),
                                     gtk_widget_get_allocated_width(w) / 2,
                                     gtk_widget_get_allocated_height(w) / 2, &x, &y);
    return Xdo("mousemove --window " + xid + " " + std::to_string(x) + " " + std::to_string(y) +
               " click 1");
  };
  auto popupShown = [&]
  {
    gboolean shown = FALSE;
    g_object_get(SWELL_GetWidget(combo), "popup-shown", &shown, nullptr);
    return shown != FALSE;
  };
  ASSERT_TRUE(click(check));
  ASSERT_TRUE(PumpUntil([] { return !gSeen.commands.empty(); }));
  EXPECT_EQ(BST_UNCHECKED, SendMessage(check, BM_GETCHECK, 0, 0));
  ASSERT_TRUE(click(combo));
  ASSERT_TRUE(PumpUntil(popupShown));
  Drain();
  ASSERT_TRUE(Xdo("key Down Return"));
  ASSERT_TRUE(PumpUntil([&] { return gSeen.commands.size() == 2 && !popupShown(); }));
  EXPECT_EQ(1, SendMessage(combo, CB_GETCURSEL, 0, 0));
  const std::vector<std::pair<int, int>> want = {{kCheck, BN_CLICKED}, {kCombo, CBN_SELCHANGE}};
  EXPECT_EQ(want, gSeen.commands);
  DestroyWindow(h);
}

TEST(Dialog, DialogKeysAndTheCloseButton)
{
  // Key 0 is the close button; the focus is on the check box. A procedure
  // that handles WM_CLOSE itself gets no IDCANCEL.
  const struct
  {
    int key, mods;
    bool endOnClose;
    int result;
  } cases[] = {{VK_ESCAPE, 0, false, IDCANCEL},
               {VK_RETURN, 0, false, IDOK},
               {'W', FCONTROL, false, IDCANCEL},
               {0, 0, false, IDCANCEL},
               {0, 0, true, 42}};
  for (auto& c : cases)
  {
    SCOPED_TRACE(c.key);
    gSeen = Seen();
    gSeen.endOnClose = c.endOnClose;
    const INT_PTR r = RunModal(
        [&c](HWND h)
        {
          gtk_widget_grab_focus(SWELL_GetWidget(GetDlgItem(h, kCheck)));
          if (c.key)
            EXPECT_TRUE(SWELL_SimulateKeyPress(h, c.key, c.mods));
          else
            gtk_window_close(GTK_WINDOW(SWELL_GetWidget(h)));
        },
        kDialog, nullptr, 77);
    EXPECT_EQ(c.result, r);
    EXPECT_EQ(77, gSeen.initParam);
    const std::vector<std::pair<int, int>> want = {{c.result, BN_CLICKED}};
    EXPECT_EQ(c.endOnClose ? decltype(want)() : want, gSeen.commands);
    EXPECT_EQ(1, gSeen.destroyCount); // destroyed before SWELL_DialogBox returned
  }
}

TEST(Dialog, NestedModalDialogs)
{
  gSeen = Seen();
  INT_PTR inner = 0;
  bool outerDisabled = false;
  const INT_PTR r = RunModal(
      [&](HWND outer)
      {
        inner = RunModal(
            [&, outer](HWND)
            {
              outerDisabled = !gtk_widget_is_sensitive(SWELL_GetWidget(GetDlgItem(outer, IDOK)));
              // Keys aimed at the disabled outer dialog go to the modal one on top.
              SWELL_SimulateKeyPress(outer, VK_ESCAPE, 0);
            },
            kDialog, outer);
        // Back in the outer dialog, which works again.
        EXPECT_TRUE(gtk_widget_is_sensitive(SWELL_GetWidget(GetDlgItem(outer, IDOK))));
        EndDialog(outer, 5);
      });
  EXPECT_EQ(IDCANCEL, inner);
  EXPECT_EQ(5, r);
  EXPECT_TRUE(outerDisabled);
  const std::vector<std::pair<int, int>> want = {{IDCANCEL, BN_CLICKED}}; // the inner's only
  EXPECT_EQ(want, gSeen.commands);
}

TEST(Dialog, OwnedWindowsGoWithTheirOwnerAndStaleHandlesAreRefused)
{
  gSeen = Seen();
  HWND owner = MakeShownDialog();
  ASSERT_NE(nullptr, owner);
  // Owned through one of its controls.
  HWND modeless = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kDialog,
                                     GetDlgItem(owner, kCombo), DialogProc, 0);
  ASSERT_NE(nullptr, modeless);
  EXPECT_EQ(owner, GetParent(modeless));
  EXPECT_EQ(IDCANCEL, RunModal([owner](HWND) { DestroyWindow(owner); }, kDialog, owner));
  EXPECT_FALSE(IsWindow(modeless));
  // The stale handle is refused.
  RECT r = {1, 2, 3, 4};
  EXPECT_FALSE(GetWindowRect(owner, &r));
  EXPECT_EQ(1, r.left);
  EXPECT_FALSE(SetWindowPos(owner, nullptr, 0, 0, 10, 10, 0));
  EXPECT_FALSE(DestroyWindow(owner));
  EXPECT_EQ(0, SendMessage(owner, WM_COMMAND, 1, 0));
  // A dialog ended in WM_INITDIALOG runs no loop; unknown ones give nothing.
  gSeen.onInit = [](HWND h) { EndDialog(h, 9); };
  EXPECT_EQ(9,
            SWELL_DialogBox(SWELL_curmodule_dialogresource_head, kDialog, nullptr, DialogProc, 0));
  EXPECT_EQ(-1, SWELL_DialogBox(SWELL_curmodule_dialogresource_head, 4242, nullptr, DialogProc, 0));
  EXPECT_EQ(nullptr,
            SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, 4242, nullptr, DialogProc, 0));
  EXPECT_EQ(4, gSeen.destroyCount); // the owner, the modeless and two modal dialogs
}

// The text, caption and type of a box are read by the host's tests of its
// about box.
TEST(MessageBox, ButtonsAndResults)
{
  // Press 0 closes the box without a button: Cancel where there is one, else
  // the harmless choice.
  const struct
  {
    int type, press, result, buttons;
  } cases[] = {{MB_OK, IDOK, IDOK, 1},
               {MB_YESNOCANCEL | MB_ICONQUESTION, IDYES, IDYES, 3},
               {MB_OKCANCEL, 0, IDCANCEL, 2},
               {MB_YESNO, 0, IDNO, 2}};
  for (auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " press " << c.press);
    int buttons = 0;
    When([] { return OpenMessageDialog() != nullptr; },
         [&]
         {
           GtkWidget* d = OpenMessageDialog();
           ASSERT_NE(nullptr, d);
           for (int id = IDOK; id <= IDNO; id++)
             buttons += gtk_dialog_get_widget_for_response(GTK_DIALOG(d), id) ? 1 : 0;
           if (c.press)
             EXPECT_TRUE(SWELL_EndMessageBox(c.press));
           else
             gtk_window_close(GTK_WINDOW(d));
         });
    EXPECT_EQ(c.result, MessageBox(nullptr, "text", "caption", c.type));
    EXPECT_EQ(c.buttons, buttons);
    EXPECT_FALSE(SWELL_GetMessageBoxInfo(nullptr, 0, nullptr, 0, nullptr));
  }
}
