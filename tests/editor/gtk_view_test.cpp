// The GTK editor in a window on the X server, driven with real mouse and key
// events: where clicks land, drags, double and right clicks, the wheel, keys,
// the text field, popup menus, redrawing and the screen copy.
#include "IPopupMenu.h"
#include "gtk_editor.h"

namespace
{
std::string Mods(const IMouseMod* m)
{
  std::string s;
  for (auto [on, c] : {std::pair{m->L, 'L'}, {m->R, 'R'}, {m->S, 'S'}, {m->C, 'C'}, {m->A, 'A'}})
    if (on) s += c;
  return s;
}

// Logs presses and double clicks with their point and modifiers.
class PointControl : public RecordingControl
{
public:
  using RecordingControl::RecordingControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    Log("down " + std::to_string(x) + "," + std::to_string(y) + " " + Mods(mod));
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseDblClick(int, int, IMouseMod* mod) override { Log("dblclick " + Mods(mod)); }
};

// Draws distinct pixels over its area; counts the timer's polls.
class PatternControl : public IControl
{
public:
  using IControl::IControl;
  bool IsDirty() override
  {
    ++mPolls;
    return IControl::IsDirty();
  }
  bool Draw(IGraphics* g) override
  {
    ++mDraws;
    const int shift = (int)(GetValue() * 100);
    for (int y = mRECT.T; y < mRECT.B; ++y)
      for (int x = mRECT.L; x < mRECT.R; ++x)
        LICE_PutPixel(g->GetDrawBitmap(), x, y, LICE_RGBA(x * 7 + shift, y * 5, (x ^ y) * 3, 255),
                      1.0f, 0);
    return true;
  }
  int mPolls = 0, mDraws = 0;
};

// Shows its menu on a press and keeps what came back.
class MenuControl : public IControl
{
public:
  MenuControl(IPlugBase* plug, IRECT r, IPopupMenu* menu) : IControl(plug, r), mMenu(menu) {}
  void OnMouseDown(int, int, IMouseMod*) override
  {
    mResult = mPlug->GetGUI()->CreateIPopupMenu(mMenu, &mRECT);
    ++mShown;
  }
  bool Draw(IGraphics*) override { return true; }
  IPopupMenu* mMenu;
  IPopupMenu* mResult = nullptr;
  int mShown = 0;
};

std::vector<std::string> Labels(GtkWidget* menu)
{
  std::vector<std::string> v;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* i = items; i; i = i->next)
    v.push_back(GTK_IS_SEPARATOR_MENU_ITEM(i->data)
                    ? "-"
                    : gtk_menu_item_get_label(GTK_MENU_ITEM(i->data)));
  g_list_free(items);
  return v;
}
} // namespace

class GtkView : public GtkEditorTest
{
protected:
  // Background, control "a" (10,10)-(60,60) that takes keys, a knob bound
  // to the gain (gearing 4) with its prompt on.
  void SetUp() override
  {
    GtkEditorTest::SetUp();
    g->AttachControl(new PointControl(plug, IRECT(0, 0, kW, kH), -1, "bg", &log));
    a = new PointControl(plug, IRECT(10, 10, 60, 60), -1, "a", &log);
    a->mTakesKeys = true;
    g->AttachControl(a);
    knob = new IKnobLineControl(plug, IRECT(100, 10, 160, 70), TestPlug::kGain, &COLOR_WHITE);
    knob->DisablePrompt(false);
    g->AttachControl(knob);
  }
  bool Logged(const std::string& s)
  {
    return PumpUntil([&] { return std::find(log.begin(), log.end(), s) != log.end(); }, 3000);
  }

  std::vector<std::string> log;
  PointControl* a = nullptr;
  IKnobLineControl* knob = nullptr;
};

TEST_F(GtkView, ClicksLandOnThePixelUnderThePointerWithTheirButtonsAndModifiers)
{
  Open();
  struct Case
  {
    int x, y;
    const char* xdo;
    const char* expected;
  } cases[] = {
      {10, 10, "click 1", "a down 10,10 L"},
      {59, 59, "click 1", "a down 59,59 L"},
      {9, 30, "click 1", "bg down 9,30 L"},
      {60, 59, "click 1", "bg down 60,59 L"},
      {30, 30, "click 3", "a down 30,30 R"},
      {40, 45, "keydown super click 1 keyup super", "a down 40,45 LR"},
      {20, 50, "keydown shift keydown ctrl click 1 keyup ctrl keyup shift", "a down 20,50 LSC"},
      {50, 20, "keydown alt click 3 keyup alt", "a down 50,20 RA"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.expected);
    log.clear();
    ASSERT_TRUE(MoveTo(c.x, c.y)); // too far from the last press for a double click
    ASSERT_TRUE(Xdo(c.xdo));
    ASSERT_TRUE(
        Logged(std::string(c.expected).substr(0, std::string(c.expected).find(' ')) + " up"));
    EXPECT_EQ(c.expected, log.front());
  }

  // A double click: the first press is a click, the second a double click;
  // with the right button both are presses.
  log.clear();
  ASSERT_TRUE(MoveTo(30, 30));
  ASSERT_TRUE(Xdo("click --repeat 2 --delay 60 1"));
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 4; }));
  EXPECT_EQ((std::vector<std::string>{"a down 30,30 L", "a up", "a dblclick L", "a up"}), log);
  log.clear();
  ASSERT_TRUE(MoveTo(45, 35));
  ASSERT_TRUE(Xdo("click --repeat 2 --delay 60 3"));
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 4; }));
  EXPECT_EQ((std::vector<std::string>{"a down 45,35 R", "a up", "a down 45,35 R", "a up"}), log);
}

TEST_F(GtkView, DragsTurnTheKnobAndTheWheelAndKeysReachTheControlUnderThePointer)
{
  Open();
  // 40 pixels up on a 60 pixel knob with gearing 4.
  ASSERT_TRUE(MoveTo(130, 60));
  ASSERT_TRUE(Xdo("mousedown 1 mousemove_relative --sync 0 -15 mousemove_relative --sync 0 -25 "
                  "mouseup 1"));
  ASSERT_TRUE(PumpUntil([&] { return plug->GetParam(0)->GetNormalized() > 0.6; }));
  EXPECT_NEAR(0.5 + 40.0 / 60.0 / 4.0, plug->GetParam(0)->GetNormalized(), 1e-9);

  ASSERT_TRUE(MoveTo(20, 20));
  log.clear();
  ASSERT_TRUE(Xdo("click 4 click 5"));
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 2; }));
  EXPECT_EQ((std::vector<std::string>{"a wheel 1", "a wheel -1"}), log);

  // Over "a", which takes every key: the editor's codes, nothing for the host
  // but the keys without a code. Over the background, which takes none, the
  // host gets them all.
  // (Modifier keys pressed on their own are keys without a code too.)
  auto hostKeys = [&]
  {
    std::vector<int> v = HostKeys();
    v.erase(std::remove(v.begin(), v.end(), VK_SHIFT), v.end());
    return v;
  };
  log.clear();
  ASSERT_TRUE(Xdo("key space Up Down Left Right 0 9 a shift+z F5 Escape"));
  ASSERT_TRUE(PumpUntil([&] { return hostKeys().size() == 2; }));
  EXPECT_EQ((std::vector<std::string>{"a key 0", "a key 1", "a key 2", "a key 3", "a key 4",
                                      "a key 5", "a key 14", "a key 15", "a key 40"}),
            log);
  EXPECT_EQ((std::vector<int>{VK_F1 + 4, VK_ESCAPE}), hostKeys());
  ASSERT_TRUE(MoveTo(200, 120));
  HostKeys().clear();
  ASSERT_TRUE(Xdo("key b Down"));
  ASSERT_TRUE(PumpUntil([&] { return hostKeys().size() == 2; }));
  EXPECT_EQ((std::vector<int>{'B', VK_DOWN}), hostKeys());
}

TEST_F(GtkView, TheTextFieldFiltersTypingAppliesOnReturnAndIsDroppedByTheWheelAndEsc)
{
  Open();
  auto entry = [&] { return View()->TextEntry(); };
  auto text = [&] { return std::string(gtk_entry_get_text(GTK_ENTRY(entry()))); };
  // A right click on the knob opens the field over it with the value.
  ASSERT_TRUE(MoveTo(130, 40));
  ASSERT_TRUE(Xdo("click 3"));
  ASSERT_TRUE(PumpUntil([&] { return entry() && gtk_widget_has_focus(entry()); }));
  EXPECT_EQ("5.0", text());
  // A number's field: a small box in the middle of the knob.
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

TEST_F(GtkView, PopupMenusReturnTheChosenModelAndIndexOrNothing)
{
  IPopupMenu more(IPopupMenu::kPrefixNone);
  more.AddItem("One");
  more.AddItem("Two");
  IPopupMenu menu(IPopupMenu::kPrefixTwoDigits);
  menu.AddItem("Alpha");
  menu.AddSeparator();
  menu.AddItem("Room_Size", -1, IPopupMenuItem::kChecked);
  menu.AddItem("More", &more);
  menu.AddItem("Off", -1, IPopupMenuItem::kDisabled);
  auto* mc = new MenuControl(plug, IRECT(20, 80, 120, 100), &menu);
  g->AttachControl(mc);
  Open();

  std::vector<std::string> top, sub;
  GdkRectangle shownAt = {};
  ASSERT_TRUE(MoveTo(30, 90));
  auto shown = [&]
  {
    GList* l = gtk_menu_get_for_attach_widget(View()->DrawingArea());
    return l && gtk_widget_get_mapped((GtkWidget*)l->data) ? l : nullptr;
  };
  When([&] { return shown() != nullptr; },
       [&]
       {
         if (!shown()) return;
         GtkWidget* m = (GtkWidget*)shown()->data;
         top = Labels(m);
         GList* items = gtk_container_get_children(GTK_CONTAINER(m));
         sub = Labels(gtk_menu_item_get_submenu(GTK_MENU_ITEM(g_list_nth_data(items, 3))));
         g_list_free(items);
         gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(m)), &shownAt.x,
                               &shownAt.y);
         Xdo("key Down Down Down Right Down Return");
       });
  ASSERT_TRUE(Xdo("click 1"));
  ASSERT_TRUE(PumpUntil([&] { return mc->mShown == 1; }));
  EXPECT_EQ((std::vector<std::string>{"01: Alpha", "-", "03: Room_Size", "04: More", "05: Off"}),
            top);
  EXPECT_EQ((std::vector<std::string>{"One", "Two"}), sub);
  EXPECT_EQ(mOriginX + 20, shownAt.x); // below the control's lower left corner
  EXPECT_EQ(mOriginY + 105, shownAt.y);
  EXPECT_EQ(&more, mc->mResult);
  EXPECT_EQ(1, more.GetChosenItemIdx());
  EXPECT_EQ(-1, menu.GetChosenItemIdx());

  more.SetChosenItemIdx(-1);
  When([&] { return shown() != nullptr; }, [] { Xdo("key Escape"); });
  ASSERT_TRUE(Xdo("click 1"));
  ASSERT_TRUE(PumpUntil([&] { return mc->mShown == 2; }));
  EXPECT_EQ(nullptr, mc->mResult);
  EXPECT_EQ(-1, menu.GetChosenItemIdx());
  EXPECT_EQ(-1, more.GetChosenItemIdx());
}

TEST_F(GtkView, ADirtyControlIsRedrawnWithinTwoTicksAlsoUnderAMessageBoxAndTheScreenShowsIt)
{
  auto* pattern = new PatternControl(plug, IRECT(0, 0, kW, kH));
  g->AttachControl(pattern);
  g->SetControlFromPlug(3, 0.0); // the first value is only the default
  Open();
  for (int round = 0; round < 3; ++round)
  {
    const int draws = pattern->mDraws, polls = pattern->mPolls;
    g->SetControlFromPlug(3, 0.1 * (round + 1));
    ASSERT_TRUE(PumpUntil([&] { return pattern->mDraws > draws; }));
    EXPECT_LE(pattern->mPolls - polls, 2);
  }
  Drain();
  gdk_display_sync(gdk_display_get_default());
  GdkPixbuf* shot =
      gdk_pixbuf_get_from_window(gtk_widget_get_window(View()->DrawingArea()), 0, 0, kW, kH);
  ASSERT_NE(nullptr, shot);
  const guchar* px = gdk_pixbuf_get_pixels(shot);
  const int stride = gdk_pixbuf_get_rowstride(shot), n = gdk_pixbuf_get_n_channels(shot);
  int wrong = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
    {
      const LICE_Pixel p = LICE_GetPixel(g->GetDrawBitmap(), x, y);
      const guchar* s = px + y * stride + x * n;
      wrong += s[0] != LICE_GETR(p) || s[1] != LICE_GETG(p) || s[2] != LICE_GETB(p);
    }
  EXPECT_EQ(0, wrong);
  g_object_unref(shot);

  // The timer goes on in a message box's loop.
  bool redrawn = false;
  When([] { return SWELL_GetMessageBoxInfo(nullptr, 0, nullptr, 0, nullptr); },
       [&]
       {
         const int draws = pattern->mDraws;
         g->SetControlFromPlug(3, 0.5);
         redrawn = PumpUntil([&] { return pattern->mDraws > draws; });
         SWELL_EndMessageBox(IDOK);
       });
  g->ShowMessageBox("Text", "Caption", 0);
  EXPECT_TRUE(redrawn);
}
