// The GTK editor in a window of the window layer on the X server, driven with
// real mouse and key events (xdotool): where clicks land, double and right
// clicks, the wheel, keys, the text field, popup menus, redrawing; and
// closing and reopening the view. (Knob drags, addresses opened through the
// desktop's handler and the screen copy's pixels are checked by the host's
// editor test.)
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "IControls.h"
#include "IGraphicsGtk.h"
#include "IGraphicsGtkView.h"
#include "IPopupMenu.h"
#include "lice.h"
#include "recording_control.h"
#include "swell.h"
#include "swell_test_util.h"
#include "test_plug.h"

namespace
{
using Log = std::vector<std::string>;

// The item labels of a GTK menu, "-" for a separator.
Log Labels(GtkWidget* menu)
{
  Log v;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* i = items; i; i = i->next)
    v.push_back(GTK_IS_SEPARATOR_MENU_ITEM(i->data)
                    ? "-"
                    : gtk_menu_item_get_label(GTK_MENU_ITEM(i->data)));
  g_list_free(items);
  return v;
}

// The keys but Shift that reach the editor's host window. (Modifier keys
// pressed on their own are keys without an editor code.)
std::vector<int> sHostKeys;
INT_PTR HostProc(HWND, UINT msg, WPARAM wp, LPARAM)
{
  if (msg == WM_KEYDOWN && wp != VK_SHIFT) sHostKeys.push_back((int)wp);
  return 0;
}

// The test plug-in's editor in a window of the window layer: a background
// "bg", control "a" (10, 10)-(60, 60) that takes keys, both logging into log,
// and a knob bound to the gain (gearing 4) with its prompt on. A test may
// attach further controls before it calls Open().
class GtkEditor : public ::testing::Test
{
protected:
  static constexpr int kW = 240, kH = 160;

  GtkEditor()
  {
    sHostKeys.clear();
    g->AttachControl(new RecordingControl(plug, IRECT(0, 0, kW, kH), -1, "bg", &log));
    a = new RecordingControl(plug, IRECT(10, 10, 60, 60), -1, "a", &log);
    a->mTakesKeys = true;
    g->AttachControl(a);
    knob->DisablePrompt(false);
    g->AttachControl(knob);
  }
  void Open()
  {
    static SWELL_DialogRegHelper reg(&SWELL_curmodule_dialogresource_head, nullptr, 9301,
                                     SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Editor", kW,
                                     kH, 1.0);
    plug->AttachGraphics(g);
    host = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, 9301, nullptr, HostProc, 0);
    ASSERT_NE(nullptr, g->OpenWindow(host));
    ShowWindow(host, 2);
    IRECT r; // mapped, and the first paint has drawn every control
    ASSERT_TRUE(PumpUntil([&] { return View() && gtk_widget_get_mapped(View()->DrawingArea()); }));
    ASSERT_TRUE(PumpUntil([&] { return !g->IsDirty(&r); }));
    gdk_window_get_origin(gtk_widget_get_window(View()->DrawingArea()), &mOriginX, &mOriginY);
    Xdo("mousemove " + std::to_string(mOriginX + 1) + " " + std::to_string(mOriginY + 1));
  }
  void TearDown() override
  {
    if (IsWindow(host)) DestroyWindow(host);
    if (plug->GetGUI() != g) delete g; // never opened
    delete plug;
  }
  IGraphicsGtkView* View() { return (IGraphicsGtkView*)g->GetWindow(); }

  // A touchpad's smooth scroll at editor pixel (x, y); GTK counts the delta
  // positive downward.
  void Scroll(int x, int y, double delta)
  {
    GdkWindow* w = gtk_widget_get_window(View()->DrawingArea());
    GdkEvent* ev = gdk_event_new(GDK_SCROLL);
    ev->scroll.window = (GdkWindow*)g_object_ref(w);
    ev->scroll.send_event = TRUE;
    ev->scroll.x = x;
    ev->scroll.y = y;
    ev->scroll.direction = GDK_SCROLL_SMOOTH;
    ev->scroll.delta_y = delta;
    gdk_event_set_device(
        ev, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_window_get_display(w))));
    gtk_main_do_event(ev);
    gdk_event_free(ev);
  }
  // Moves the pointer to editor pixel (x, y).
  bool MoveTo(int x, int y)
  {
    return Xdo("mousemove --sync " + std::to_string(mOriginX + x) + " " +
               std::to_string(mOriginY + y));
  }

  Log log;
  TestPlug* plug = new TestPlug;
  IGraphicsGtk* g = new IGraphicsGtk(plug, kW, kH); // owned by the plug-in from Open()
  RecordingControl* a = nullptr;
  IKnobLineControl* knob =
      new IKnobLineControl(plug, IRECT(100, 10, 160, 70), TestPlug::kGain, &COLOR_WHITE);
  HWND host = nullptr;
  int mOriginX = 0, mOriginY = 0; // the editor's top left on the screen
};

TEST_F(GtkEditor, ClicksLandOnThePixelUnderThePointerWithTheirButtonsAndModifiers)
{
  Open();
  const std::tuple<int, int, const char*, const char*> clicks[] = {
      {10, 10, "click 1", "a down 10,10 L"},
      {60, 59, "click 1", "bg down 60,59 L"},
      {30, 30, "click 3", "a down 30,30 R"},
      {40, 45, "keydown super click 1 keyup super", "a down 40,45 LR"},
      {20, 50, "keydown shift keydown ctrl click 1 keyup ctrl keyup shift", "a down 20,50 LSC"},
      {50, 20, "keydown alt click 3 keyup alt", "a down 50,20 RA"},
  };
  for (auto [x, y, xdo, expected] : clicks)
  {
    log.clear();
    ASSERT_TRUE(MoveTo(x, y)); // too far from the last press for a double click
    ASSERT_TRUE(Xdo(xdo));
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 2; })); // pressed and released
    EXPECT_EQ(expected, log.front());
  }

  // A double click: the first press is a click, the second a double click;
  // with the right button both are presses.
  const std::tuple<int, const char*, const char*> doubles[] = {{30, "1", "a dblclick L"},
                                                               {45, "3", "a down 45,30 R"}};
  for (auto [x, button, second] : doubles)
  {
    log.clear();
    ASSERT_TRUE(MoveTo(x, 30));
    ASSERT_TRUE(Xdo(std::string("click --repeat 2 --delay 60 ") + button));
    ASSERT_TRUE(PumpUntil([&] { return log.size() == 4; }));
    EXPECT_EQ(second, log[2]);
  }
}

TEST_F(GtkEditor, TheWheelTouchpadAndKeysReachTheControlUnderThePointer)
{
  Open();
  ASSERT_TRUE(MoveTo(20, 20));
  log.clear();
  ASSERT_TRUE(Xdo("click 4 click 5"));
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 2; }));
  EXPECT_EQ((Log{"a wheel 1", "a wheel -1"}), log);

  // Over "a", which takes every key: the editor's codes, nothing for the host
  // but the keys without a code. Over the background, which takes none, the
  // host gets them all.
  log.clear();
  ASSERT_TRUE(Xdo("key space Up Down Left Right 0 9 a shift+z F5 Escape"));
  ASSERT_TRUE(PumpUntil([&] { return sHostKeys.size() == 2; }));
  EXPECT_EQ((Log{"a key 0", "a key 1", "a key 2", "a key 3", "a key 4", "a key 5", "a key 14",
                 "a key 15", "a key 40"}),
            log);
  EXPECT_EQ((std::vector<int>{VK_F1 + 4, VK_ESCAPE}), sHostKeys);
  ASSERT_TRUE(MoveTo(200, 120));
  sHostKeys.clear();
  ASSERT_TRUE(Xdo("key b Down"));
  ASSERT_TRUE(PumpUntil([&] { return sHostKeys.size() == 2; }));
  EXPECT_EQ((std::vector<int>{'B', VK_DOWN}), sHostKeys);

  // A touchpad's deltas add up to whole steps over one control, the rest
  // kept for the next event; over another control they start again.
  using Scrolls = std::vector<std::tuple<int, int, double>>;
  const std::pair<Scrolls, Log> smooth[] = {
      {Scrolls(8, {20, 20, -0.25}), {"a wheel 1", "a wheel 1"}},
      {{{20, 20, -1.0}, {20, 20, -1.0}, {20, 20, 1.0}}, {"a wheel 1", "a wheel 1", "a wheel -1"}},
      {{{20, 20, 0.5}, {20, 20, -0.5}}, {}},
      {{{20, 20, -0.75}, {20, 20, -0.75}, {20, 20, -0.5}}, {"a wheel 1", "a wheel 1"}},
      {{{20, 20, -0.5}, {200, 120, -0.5}}, {}},
  };
  for (const auto& [scrolls, expected] : smooth)
  {
    log.clear();
    for (auto [x, y, delta] : scrolls) Scroll(x, y, delta);
    EXPECT_EQ(expected, log);
  }
  // On a knob, like two notches up.
  const double gain = plug->GetParam(TestPlug::kGain)->GetNormalized();
  for (int i = 0; i < 8; ++i) Scroll(130, 40, -0.25);
  EXPECT_NEAR(gain + 0.02, plug->GetParam(TestPlug::kGain)->GetNormalized(), 1e-9);
}

TEST_F(GtkEditor, TheTextFieldFiltersTypingAppliesOnReturnAndIsDroppedByTheWheelAndEsc)
{
  IText style = *knob->GetText();
  style.mTextEntryFGColor = COLOR_WHITE;
  style.mTextEntryBGColor = IColor(128, 0, 0, 255);
  knob->SetText(&style);
  Open();
  auto entry = [&] { return View()->TextEntry(); };
  auto text = [&] { return std::string(gtk_entry_get_text(GTK_ENTRY(entry()))); };
  // A right click on the knob opens the field with the value, a small box in
  // the middle of the knob in the text style's colours. (Also run in a
  // language with a decimal comma: the numbers keep their ".".)
  ASSERT_TRUE(MoveTo(130, 40));
  ASSERT_TRUE(Xdo("click 3"));
  ASSERT_TRUE(PumpUntil([&] { return entry() && gtk_widget_has_focus(entry()); }));
  EXPECT_EQ("5.0", text());
  GtkStyleContext* css = gtk_widget_get_style_context(entry());
  GdkRGBA fg, *bg = nullptr;
  gtk_style_context_get_color(css, gtk_style_context_get_state(css), &fg);
  gtk_style_context_get(css, gtk_style_context_get_state(css), "background-color", &bg, nullptr);
  EXPECT_EQ((std::vector<double>{1, 1, 1, 1, 0, 0, 1, 0.502}),
            (std::vector<double>{fg.red, fg.green, fg.blue, fg.alpha, bg->red, bg->green, bg->blue,
                                 std::round(bg->alpha * 1000) / 1000}));
  gdk_rgba_free(bg);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_allocated_width(entry()) == 31; }));
  int x = 0, y = 0;
  gtk_widget_translate_coordinates(entry(), View()->DrawingArea(), 0, 0, &x, &y);
  EXPECT_EQ((std::vector<int>{115, 32, 17}),
            (std::vector<int>{x, y, gtk_widget_get_allocated_height(entry())}));

  // Letters are refused, and an eighth character.
  ASSERT_TRUE(Xdo("key ctrl+a BackSpace"));
  ASSERT_TRUE(Xdo("type --delay 20 x2y.345678"));
  ASSERT_TRUE(PumpUntil([&] { return text().size() >= 7; }));
  Drain();
  EXPECT_EQ("2.34567", text());
  ASSERT_TRUE(Xdo("key Return"));
  ASSERT_TRUE(PumpUntil([&] { return !entry(); }));
  EXPECT_NEAR(0.234567, plug->GetParam(0)->GetNormalized(), 1e-9);

  // The wheel drops what was typed, so does Esc.
  for (const char* drop : {"click 5", "key Escape"})
  {
    SCOPED_TRACE(drop);
    ASSERT_TRUE(Xdo("click 3"));
    ASSERT_TRUE(PumpUntil([&] { return entry() && gtk_widget_has_focus(entry()); }));
    ASSERT_TRUE(Xdo("type 99"));
    ASSERT_TRUE(PumpUntil([&] { return text().find("99") != std::string::npos; }));
    ASSERT_TRUE(Xdo(drop));
    ASSERT_TRUE(PumpUntil([&] { return !entry(); }));
    EXPECT_NEAR(0.234567, plug->GetParam(0)->GetNormalized(), 0.011); // at most one wheel step
    EXPECT_TRUE(gtk_widget_has_focus(View()->DrawingArea()));
  }
}

TEST_F(GtkEditor, HiddenTwiceThePointerReturnsWhereItWasHiddenFirst)
{
  Open();
  ASSERT_TRUE(MoveTo(30, 30));
  g->HideMouseCursor();
  ASSERT_TRUE(MoveTo(80, 50));
  g->HideMouseCursor(); // already hidden: nothing is recorded
  g->ShowMouseCursor();
  GdkDevice* p = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
  EXPECT_TRUE(PumpUntil(
      [&]
      {
        int x = 0, y = 0;
        gdk_device_get_position(p, nullptr, &x, &y);
        return x == mOriginX + 30 && y == mOriginY + 30;
      }));
}

TEST_F(GtkEditor, PopupMenusReturnTheChosenModelAndIndexOrNothing)
{
  IPopupMenu more(IPopupMenu::kPrefixNone), menu(IPopupMenu::kPrefixTwoDigits);
  more.AddItem("One");
  more.AddItem("Two");
  menu.AddItem("Alpha");
  menu.AddSeparator();
  menu.AddItem("Room_Size", -1, IPopupMenuItem::kChecked);
  menu.AddItem("More", &more);
  menu.AddItem("Off", -1, IPopupMenuItem::kDisabled);
  auto* m = new RecordingControl(plug, IRECT(20, 80, 120, 100), -1, "m", &log);
  m->mMenu = &menu;
  g->AttachControl(m);
  Open();

  Log top;
  GdkRectangle shownAt = {};
  ASSERT_TRUE(MoveTo(30, 90));
  auto shown = [&]
  {
    GList* l = gtk_menu_get_for_attach_widget(View()->DrawingArea());
    return l && gtk_widget_get_mapped((GtkWidget*)l->data) ? (GtkWidget*)l->data : nullptr;
  };
  When([&] { return shown() != nullptr; },
       [&]
       {
         if (!shown()) return;
         top = Labels(shown());
         gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(shown())), &shownAt.x,
                               &shownAt.y);
         Xdo("key Down Down Down Right Down Return");
       });
  ASSERT_TRUE(Xdo("click 1"));
  ASSERT_TRUE(PumpUntil([&] { return log.size() >= 2; }));
  EXPECT_EQ((Log{"m down 30,90 L", "m chosen"}), Log(log.begin(), log.begin() + 2));
  EXPECT_EQ((Log{"01: Alpha", "-", "03: Room_Size", "04: More", "05: Off"}), top);
  EXPECT_EQ(mOriginX + 20, shownAt.x); // below the control's lower left corner
  EXPECT_EQ(mOriginY + 105, shownAt.y);
  EXPECT_EQ(1, more.GetChosenItemIdx());
  EXPECT_EQ(-1, menu.GetChosenItemIdx());

  // Esc chooses nothing. The press after the menu is a new click, not a
  // double click.
  more.SetChosenItemIdx(-1);
  log.clear();
  When([&] { return shown() != nullptr; }, [] { Xdo("key Escape"); });
  ASSERT_TRUE(Xdo("click 1"));
  ASSERT_TRUE(PumpUntil([&] { return log.size() >= 2; }));
  EXPECT_EQ((Log{"m down 30,90 L", "m dismissed"}), Log(log.begin(), log.begin() + 2));
  EXPECT_EQ(-1, menu.GetChosenItemIdx());
  EXPECT_EQ(-1, more.GetChosenItemIdx());
}

TEST_F(GtkEditor, ADirtyControlIsRedrawnWithinTwoTicksAlsoUnderAMessageBox)
{
  auto* pattern = new RecordingControl(plug, IRECT(0, 0, kW, kH));
  g->AttachControl(pattern);
  g->SetControlFromPlug(3, 0.0); // the first value is only the default
  Open();
  for (int round = 1; round <= 3; ++round)
  {
    const int draws = pattern->mDraws, polls = pattern->mPolls;
    g->SetControlFromPlug(3, 0.1 * round);
    ASSERT_TRUE(PumpUntil([&] { return pattern->mDraws > draws; }));
    EXPECT_LE(pattern->mPolls - polls, 2);
  }

  // The timer goes on in a message box's loop; the box answers the code of
  // the button pressed.
  bool redrawn = false;
  When([] { return SWELL_GetMessageBoxInfo(nullptr, 0, nullptr, 0, nullptr); },
       [&]
       {
         const int draws = pattern->mDraws;
         g->SetControlFromPlug(3, 0.5);
         redrawn = PumpUntil([&] { return pattern->mDraws > draws; });
         SWELL_EndMessageBox(IDNO);
       });
  EXPECT_EQ(IDNO, g->ShowMessageBox("Text", "Caption", MB_YESNOCANCEL));
  EXPECT_TRUE(redrawn);
}

TEST_F(GtkEditor, ClosingAndReopeningLeavesNoTimerAndNoViewBehind)
{
  Open();
  // Closed by the editor with a text field open, by opening it again, and
  // by the host window going (which the editor learns of).
  for (int round = 0; round < 3; ++round)
  {
    SCOPED_TRACE(round);
    IGraphicsGtkView* view = View();
    ASSERT_NE(nullptr, view);
    GtkWidget* area = view->DrawingArea();
    g_object_add_weak_pointer(G_OBJECT(area), (gpointer*)&area);
    const guint timer = view->TimerSourceId();
    const HWND child = view->Hwnd();
    ASSERT_NE(0u, timer);
    ASSERT_EQ(host, GetParent(child));
    if (round == 0)
    {
      knob->PromptUserInput();
      EXPECT_TRUE(view->TextEntryOpen());
      g->CloseWindow();
    }
    else if (round == 1)
      g->OpenWindow(host);
    else
      DestroyWindow(host);
    Drain();
    EXPECT_EQ(round == 1, g->WindowIsOpen());
    EXPECT_EQ(nullptr, area);
    EXPECT_EQ(nullptr, g_main_context_find_source_by_id(nullptr, timer));
    EXPECT_FALSE(IsWindow(child));
    if (round == 0) g->OpenWindow(host);
  }
}
} // namespace
