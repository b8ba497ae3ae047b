// The editor surface and the control base on the real plug-in core and real
// parameters, through the window-less back end.
#include <tuple>

#include "IPopupMenu.h"
#include "test_editor.h"

namespace
{
// b (0, 0, 100, 100) the background, a (10, 10, 30, 30) on the gain, o (20,
// 20, 40, 40) over a, h hidden (12, 40, 18, 48), f (70, 70, 80, 80); the
// point (150, 150) lies on no control. Every control starts drawn and clean.
class Surface : public EditorTest
{
protected:
  Surface() { Layout(); }
  void Layout()
  {
    c = {Add("b", IRECT(0, 0, 100, 100)), Add("a", IRECT(10, 10, 30, 30), TestPlug::kGain),
         Add("o", IRECT(20, 20, 40, 40)), Add("h", IRECT(12, 40, 18, 48)),
         Add("f", IRECT(70, 70, 80, 80))};
    c[3]->Hide(true);
    plug.RedrawParamControls();
    g->Draw(&all);
    g->Draw(&all); // hiding h asked for a second frame
    log.clear();
    Drawn();
  }
  // The names of the controls drawn since the last call, and of those now dirty.
  std::string Drawn()
  {
    std::string s;
    for (RecordingControl* x : c) s += x->mDraws ? x->mName : "", x->mDraws = 0;
    return s;
  }
  std::string Dirty()
  {
    std::string s;
    for (RecordingControl* x : c) s += x->IsDirty() ? x->mName : "";
    return s;
  }

  IRECT all{0, 0, 200, 200};
  std::vector<RecordingControl*> c;
  IMouseMod none;
};

TEST_F(Surface, DrawingOrderStrictAndNot)
{
  IRECT r;
  EXPECT_FALSE(g->IsDirty(&r));
  c[1]->SetDirty(false);
  c[4]->SetDirty(false);
  ASSERT_TRUE(g->IsDirty(&r));
  EXPECT_EQ(IRECT(10, 10, 80, 80), r);

  // What is tried, strict, the controls made dirty first (after a full
  // clean), the background hidden, the controls drawn and those dirty after.
  const std::tuple<const char*, bool, const char*, bool, const char*, const char*> cases[] = {
      // Strict: what meets the area is drawn; everything is cleaned.
      {"strict", true, "bh", false, "bao", ""},
      // Background dirty: all but hidden controls are drawn; the background
      // even when hidden; hidden ones stay dirty.
      {"background", false, "bh", false, "baof", "h"},
      // (Hiding asks for one more drawing.)
      {"hidden background", false, "bh", true, "baof", "bh"},
      // One dirty control: it and what meets it are drawn.
      {"one over another", false, "o", false, "bao", ""},
      // A hidden one is not drawn, what lies under it is; it is cleaned.
      {"hidden dirty", false, "h", false, "b", ""},
  };
  for (auto [what, strict, dirty, hideBackground, drawn, dirtyAfter] : cases)
  {
    SCOPED_TRACE(what);
    NewEditor();
    Layout();
    g->SetStrictDrawing(strict); // marks every control dirty
    g->Draw(&all);
    g->Draw(&all); // not strict: hidden dirty controls are cleaned only now
    Drawn();
    if (hideBackground) c[0]->Hide(true);
    for (RecordingControl* x : c)
      if (strchr(dirty, x->mName[0])) x->SetDirty(false);
    IRECT area(0, 0, 50, 50);
    g->mScreenCopies.clear();
    EXPECT_TRUE(g->Draw(&area));
    EXPECT_EQ(drawn, Drawn());
    EXPECT_EQ(dirtyAfter, Dirty());
    EXPECT_EQ(std::vector<IRECT>{area}, g->mScreenCopies);
  }
}

TEST_F(Surface, MouseCaptureBracketsTheGesture)
{
  g->OnMouseDown(15, 15, &none);
  g->OnMouseDrag(15, 15, &none); // no movement: nothing
  g->OnMouseDrag(15, 10, &none);
  g->OnMouseDrag(95, 90, &none); // far outside: still a
  g->OnMouseUp(150, 150, &none); // released outside: a ends the gesture
  g->OnMouseDrag(20, 20, &none); // no capture: nothing
  EXPECT_EQ((Log{"begin 0", "a down 15,15", "a drag 0,-5", "set 0 0.55", "a drag 80,80", "set 0 0",
                 "a up", "end 0"}),
            log);
  EXPECT_DOUBLE_EQ(0.0, plug.GetParam(TestPlug::kGain)->Value());

  // Where a press lands and what it and a drag of one pixel reach.
  const std::tuple<int, int, Log> presses[] = {
      {25, 25, {"o down 25,25", "o drag 1,0", "o up"}}, // the later of two overlapping controls
      {15, 45, {"b down 15,45", "b drag 1,0", "b up"}}, // a hidden control is not hit
      {150, 150, {}},                                   // empty space: no capture
  };
  for (const auto& [x, y, expected] : presses)
  {
    log.clear();
    g->OnMouseDown(x, y, &none);
    g->OnMouseDrag(x + 1, y, &none);
    g->OnMouseUp(x, y, &none);
    EXPECT_EQ(expected, log);
  }
}

TEST_F(Surface, DoubleClicksWheelGreyingAndKeys)
{
  IMouseMod shift(false, false, true);
  g->OnMouseDown(25, 25, &none); // a capture that the double click ends
  EXPECT_FALSE(g->OnMouseDblClick(15, 15, &none));
  c[4]->SetMouseDblAsSingleClick(true);
  EXPECT_TRUE(g->OnMouseDblClick(75, 75, &none)); // a click, without a gesture bracket
  g->OnMouseDrag(15, 75, &none);                  // and it holds the mouse
  g->OnMouseUp(15, 75, &none);
  g->OnMouseWheel(15, 15, &shift, 3);
  g->ClampControl(TestPlug::kGain, 2.0, 8.0, false); // plain bounds, normalised
  for (int d : {-100, 100}) g->OnMouseWheel(15, 15, &none, d);
  g->ClampControl(TestPlug::kGain, 0.3, 0.6, true);
  g->OnMouseWheel(15, 15, &none, -100);
  g->GrayOutControl(TestPlug::kGain, true); // greyed: the mouse passes through
  g->OnMouseWheel(15, 15, &none, 1);
  EXPECT_EQ((Log{"o down 25,25", "a dblclick", "set 0 0.5", "f down 75,75", "f drag -60,0", "f up",
                 "a wheel 3", "set 0 0.503", "a wheel -100", "set 0 0.2", "a wheel 100",
                 "set 0 0.8", "a wheel -100", "set 0 0.3", "b wheel 1"}),
            log);

  // Keys go to the control under the mouse, else (and never to the
  // background) to the key catcher.
  log.clear();
  EXPECT_FALSE(g->OnKeyDown(5, 5, 65)); // no catcher yet
  auto* catcher = new RecordingControl(&plug, IRECT(), -1, "k", &log);
  catcher->mTakesKeys = true;
  g->AttachKeyCatcher(catcher);
  EXPECT_FALSE(g->OnKeyDown(75, 75, 66)); // f does not take it; the catcher is not asked
  EXPECT_TRUE(g->OnKeyDown(5, 5, 67));
  EXPECT_TRUE(g->OnKeyDown(150, 150, 68));
  EXPECT_EQ((Log{"f key 66", "k key 67", "k key 68"}), log);
}

TEST_F(Surface, HoverTellsTheControlUnderTheMouseAndTheOneBefore)
{
  EXPECT_FALSE(g->OnMouseOver(25, 25, &none)); // not reported unless asked for
  g->HandleMouseOver(true);
  c[1]->GrayOut(true);
  EXPECT_EQ(c[1]->GetBlend()->mWeight, 0.25f);
  // Where the mouse moves, whether greyed a takes hovering, what is heard and
  // the control then under the mouse.
  const std::tuple<int, bool, Log, int> moves[] = {
      {25, false, {"o over 25,25"}, 2},
      {26, false, {"o over 26,26"}, 2},          // the same control hears no out
      {15, false, {"b over 15,15", "o out"}, 0}, // greyed a is passed
      {150, false, {}, 0},                       // over nothing: nothing changes
      {15, true, {"a over 15,15", "b out"}, 1},
  };
  for (const auto& [xy, moWhenGrayed, heard, over] : moves)
  {
    log.clear();
    c[1]->SetMOWhenGrayed(moWhenGrayed);
    EXPECT_TRUE(g->OnMouseOver(xy, xy, &none));
    EXPECT_EQ(heard, log) << xy;
    EXPECT_EQ(g->GetMouseOver(), over) << xy;
  }
  log.clear();
  g->OnMouseWheel(15, 15, &none, 1); // greyed a takes hovering only
  g->OnMouseOut();                   // leaving the editor: every control hears it
  EXPECT_EQ((Log{"b wheel 1", "b out", "a out", "o out", "h out", "f out"}), log);
  EXPECT_EQ(g->GetMouseOver(), -1);
  c[1]->GrayOut(false);
  EXPECT_EQ(c[1]->GetBlend()->mWeight, 1.0f);
}

TEST(PopupMenu, IndexesAreLimitedAndChecksAlone)
{
  IPopupMenu menu(IPopupMenu::kPrefixTwoDigits), sub;
  menu.AddItem("A");
  menu.AddItem("B", 0);
  menu.AddItem("C", 99);
  menu.AddItem("D", -5, &sub);
  menu.AddSeparator(1);
  auto texts = [&]
  {
    std::string s;
    for (int i = 0; i < menu.GetNItems(); ++i)
      s += std::string(menu.GetItemText(i)) + (menu.IsItemChecked(i) ? "*" : "") + ",";
    return s;
  };
  EXPECT_EQ(texts(), "D,,B,A,C,");
  EXPECT_TRUE(menu.GetItem(1)->GetIsSeparator() && menu.GetItem(1)->GetEnabled());
  // The item checked alone, and what is checked then (an index without an
  // item unchecks all).
  for (int i = 0; i < 5; ++i) menu.CheckItem(i, true);
  for (auto [alone, checked] : {std::pair{3, "D,,B,A*,C,"}, {7, "D,,B,A,C,"}})
  {
    menu.CheckItemAlone(alone);
    EXPECT_EQ(texts(), checked);
  }
  EXPECT_FALSE(menu.CheckItem(-1, true));
  for (int prefix : {3, 4, -1, 9}) menu.SetPrefix(prefix); // only 0..3 are taken
  EXPECT_EQ(menu.GetPrefix(), 3);
}

TEST_F(Surface, APlugInsFirstValueIsTheDefaultAndUserValuesFeedTheDisplays)
{
  // The first value of a control only becomes its value and default; a new
  // one is drawn. (That it is drawn once more, so that a value from the
  // audio thread is never lost, is the meter threads test's.)
  RecordingControl* f = c[4];
  g->SetControlFromPlug(4, 0.3);
  EXPECT_EQ("", Dirty());
  g->SetControlFromPlug(4, 0.4);
  EXPECT_EQ("f", Dirty());
  g->Draw(&all);
  EXPECT_DOUBLE_EQ(0.4, f->mDrawnValue);
  g->OnMouseDblClick(75, 75, &none);
  EXPECT_DOUBLE_EQ(0.3, f->GetValue());

  // A user change feeds the value and name displays. (Plain values from the
  // plug-in are normalised in the plug-in core's tests.)
  log.clear();
  c[1]->SetValDisplayControl(c[2]);
  c[1]->SetNameDisplayControl(c[3]);
  g->SetParameterFromGUI(TestPlug::kGain, 0.75);
  EXPECT_EQ((Log{"set 0 0.75", "o text 7.5 dB", "h text Gain"}), log);
}

TEST_F(Surface, PromptsGoThroughTheParameter)
{
  // A list shows the display texts over the control, the current one
  // checked; dismissed, it sets nothing, the third item sets its value.
  RecordingControl* mode = Add("m", IRECT(110, 10, 150, 30), TestPlug::kMode);
  plug.RedrawParamControls();
  IMouseMod right(false, true);
  g->OnMouseDown(120, 20, &right); // prompting starts disabled
  EXPECT_TRUE(g->mMenusShown.empty());
  log.clear();
  mode->DisablePrompt(false);
  for (int choice : {-1, 2})
  {
    g->mNextMenuChoice = choice;
    mode->PromptUserInput();
  }
  ASSERT_EQ(2u, g->mMenusShown.size());
  EXPECT_EQ(IRECT(110, 10, 150, 30), g->mMenusShown[1].area);
  EXPECT_EQ((Log{"Hall", "Room*", "Plate"}), g->mMenusShown[1].texts);
  EXPECT_EQ((Log{"set 1 1"}), log);

  // A number's prompt is a text field of 30 x 16 on the control's centre.
  c[1]->DisablePrompt(false);
  g->OnMouseDown(15, 15, &right);
  ASSERT_EQ(1u, g->mTextEntries.size());
  EXPECT_EQ(Log{"5.0"}, g->mTextEntries[0].texts);
  EXPECT_EQ(IRECT(5, 12, 35, 28), g->mTextEntries[0].area);
  // What is typed passes through the parameter's range and display.
  const std::tuple<int, const char*, double> typed[] = {
      {TestPlug::kGain, "7.5", 7.5},       {TestPlug::kGain, "99", 10.0},
      {TestPlug::kGain, "junk", 0.0},      {TestPlug::kReduction, "3", -3.0},
      {TestPlug::kReduction, "-4", 0.0},   {TestPlug::kMode, "Plate", 2.0},
      {TestPlug::kMode, "Cathedral", 0.0},
  };
  for (auto [idx, text, plain] : typed)
  {
    RecordingControl control(&plug, IRECT(), idx);
    control.SetValueFromPlug(0.5);
    std::string s = text;
    g->SetFromStringAfterPrompt(&control, plug.GetParam(idx), &s[0]);
    EXPECT_DOUBLE_EQ(plain, plug.GetParam(idx)->Value()) << text;
  }
}

TEST_F(Surface, ResizeDeletesTheControlsUnderThePlugInMutex)
{
  struct MutexNoting : RecordingControl
  {
    using RecordingControl::RecordingControl;
    ~MutexNoting() override { mLog->push_back(((TestPlug*)mPlug)->MutexHeld() ? "locked" : "no"); }
  };
  g->AttachControl(new MutexNoting(&plug, IRECT(), -1, "x", &log));
  g->OnMouseDown(15, 15, &none);
  log.clear();
  g->Resize(300, 250);
  EXPECT_EQ((Log{"locked", "x deleted", "f deleted", "h deleted", "o deleted", "a deleted",
                 "b deleted", "resize 300x250"}),
            log);
  EXPECT_EQ(300, g->GetDrawBitmap()->getWidth());
  g->OnMouseDrag(40, 40, &none); // the capture ended with the controls
  g->SetControlFromPlug(0, 1.0); // out of range now: ignored
  EXPECT_EQ(8u, log.size());
}

} // namespace
