// The editor surface and the control base on the real plug-in core and real
// parameters, through the window-less back end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lice.h"
#include "recording_control.h"
#include "test_graphics.h"
#include "test_plug.h"

namespace
{
using Log = std::vector<std::string>;

// A 200 x 200 editor: background b (0, 0, 100, 100), a (10, 10, 30, 30) on
// the gain, o (20, 20, 40, 40) over a, h hidden (12, 40, 18, 48), f (70, 70,
// 80, 80); the point (150, 150) lies on no control. Control and plug-in
// events share one log. It starts with every control drawn and clean.
struct Editor
{
  Log log;
  TestPlug plug{&log};
  TestGraphics* gui = new TestGraphics(&plug, 200, 200);
  std::vector<RecordingControl*> c;

  Editor()
  {
    Add("b", IRECT(0, 0, 100, 100));
    Add("a", IRECT(10, 10, 30, 30), TestPlug::kGain);
    Add("o", IRECT(20, 20, 40, 40));
    Add("h", IRECT(12, 40, 18, 48))->Hide(true);
    Add("f", IRECT(70, 70, 80, 80));
    plug.AttachGraphics(gui);
    IRECT all(0, 0, 200, 200);
    gui->Draw(&all);
    gui->Draw(&all); // hiding h asked for a second frame
    log.clear();
    Drawn();
  }
  RecordingControl* Add(const char* name, IRECT r, int paramIdx = -1)
  {
    c.push_back(new RecordingControl(&plug, r, paramIdx, name, &log));
    gui->AttachControl(c.back());
    return c.back();
  }
  // The names of the controls drawn since the last call, and those now dirty.
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
};

TEST(EditorSurface, DrawingOrderStrictAndNot)
{
  struct Case
  {
    const char* what;
    bool strict;
    const char* dirty; // controls made dirty first (after a full clean)
    bool hideBackground;
    const char *drawn, *dirtyAfter;
  } cases[] = {
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
  for (const Case& k : cases)
  {
    SCOPED_TRACE(k.what);
    Editor e;
    IRECT all(0, 0, 200, 200);
    e.gui->SetStrictDrawing(k.strict); // marks every control dirty
    e.gui->Draw(&all);
    e.gui->Draw(&all); // not strict: hidden dirty controls are cleaned only now
    e.Drawn();
    if (k.hideBackground) e.c[0]->Hide(true);
    for (RecordingControl* x : e.c)
      if (strchr(k.dirty, x->mName[0])) x->SetDirty(false);
    IRECT r(0, 0, 50, 50);
    e.gui->mScreenCopies.clear();
    EXPECT_TRUE(e.gui->Draw(&r));
    EXPECT_EQ(k.drawn, e.Drawn());
    EXPECT_EQ(k.dirtyAfter, e.Dirty());
    ASSERT_EQ(1u, e.gui->mScreenCopies.size());
    EXPECT_EQ(r, e.gui->mScreenCopies[0]);
  }
}

TEST(EditorSurface, DirtyAreaBoundsAndAnEmptyEditor)
{
  Editor e;
  IRECT all(0, 0, 200, 200), r;
  EXPECT_FALSE(e.gui->IsDirty(&r));
  e.c[1]->SetDirty(false);
  e.c[4]->SetDirty(false);
  ASSERT_TRUE(e.gui->IsDirty(&r));
  EXPECT_EQ(IRECT(10, 10, 80, 80), r);

  TestPlug plug;
  TestGraphics empty(&plug, 10, 10);
  EXPECT_TRUE(empty.Draw(&all));
  EXPECT_TRUE(empty.mScreenCopies.empty());
}

TEST(EditorSurface, MouseCaptureBracketsTheGesture)
{
  Editor e;
  IMouseMod none;
  e.gui->OnMouseDown(15, 15, &none);
  e.gui->OnMouseDrag(15, 15, &none); // no movement: nothing
  e.gui->OnMouseDrag(15, 10, &none);
  e.gui->OnMouseDrag(95, 90, &none); // far outside: still a
  e.gui->OnMouseUp(150, 150, &none); // released outside: a ends the gesture
  e.gui->OnMouseDrag(20, 20, &none); // no capture: nothing
  EXPECT_EQ((Log{"begin 0", "a down", "a drag 0,-5", "set 0 0.55", "a drag 80,80", "set 0 0",
                 "a up", "end 0"}),
            e.log);
  EXPECT_DOUBLE_EQ(0.0, e.plug.GetParam(TestPlug::kGain)->Value());

  struct Case
  {
    const char* what;
    int x, y;
    Log expected;
  } presses[] = {
      {"the later of two overlapping controls", 25, 25, {"o down", "o drag 1,0", "o up"}},
      {"the background", 5, 5, {"b down", "b drag 1,0", "b up"}},
      {"a hidden control is not hit", 15, 45, {"b down", "b drag 1,0", "b up"}},
      {"empty space: no capture", 150, 150, {}},
  };
  for (const Case& k : presses)
  {
    SCOPED_TRACE(k.what);
    e.log.clear();
    e.gui->OnMouseDown(k.x, k.y, &none);
    e.gui->OnMouseDrag(k.x + 1, k.y, &none);
    e.gui->OnMouseUp(k.x, k.y, &none);
    EXPECT_EQ(k.expected, e.log);
  }
}

TEST(EditorSurface, DoubleClickWheelAndGreying)
{
  Editor e;
  IMouseMod none, shift(false, false, true);
  e.gui->OnMouseDown(25, 25, &none); // a capture that the double click ends
  EXPECT_FALSE(e.gui->OnMouseDblClick(15, 15, &none));
  e.c[4]->SetMouseDblAsSingleClick(true);
  EXPECT_TRUE(e.gui->OnMouseDblClick(75, 75, &none)); // a click, without a gesture bracket
  e.gui->OnMouseDrag(15, 75, &none);                  // and it holds the mouse
  e.gui->OnMouseUp(15, 75, &none);
  EXPECT_EQ((Log{"o down", "a dblclick", "set 0 0.5", "f down", "f drag -60,0", "f up"}), e.log);

  e.log.clear();
  e.gui->OnMouseWheel(15, 15, &shift, 3);
  e.gui->GrayOutControl(TestPlug::kGain, true); // greyed: the mouse passes through
  e.gui->OnMouseWheel(15, 15, &none, 1);
  EXPECT_EQ((Log{"a wheel 3", "set 0 0.503", "b wheel 1"}), e.log);
}

TEST(EditorSurface, KeysGoToTheControlUnderTheMouseOrTheKeyCatcher)
{
  Editor e;
  EXPECT_FALSE(e.gui->OnKeyDown(5, 5, 65)); // no catcher yet; the background is not asked
  auto* catcher = new RecordingControl(&e.plug, IRECT(), -1, "k", &e.log);
  catcher->mTakesKeys = true;
  e.gui->AttachKeyCatcher(catcher);
  EXPECT_FALSE(e.gui->OnKeyDown(15, 15, 66));  // a does not take it; the catcher is not asked
  EXPECT_TRUE(e.gui->OnKeyDown(5, 5, 67));     // over the background
  EXPECT_TRUE(e.gui->OnKeyDown(150, 150, 68)); // over nothing
  EXPECT_EQ((Log{"a key 66", "k key 67", "k key 68"}), e.log);
}

TEST(EditorSurface, PlugInValuesReachBindingsAndUserValuesTheDisplays)
{
  Editor e;
  RecordingControl* aux = e.c[2];
  aux->AddAuxParam(TestPlug::kMode);
  aux->AddAuxParam(TestPlug::kGain);
  EXPECT_EQ(0.0, aux->GetAuxParam(1)->mValue); // new bindings start at 0
  e.gui->SetParameterFromPlug(TestPlug::kGain, 2.5, false);
  EXPECT_DOUBLE_EQ(0.25, e.c[1]->GetValue());
  EXPECT_DOUBLE_EQ(0.25, aux->GetAuxParam(1)->mValue);
  EXPECT_EQ(0.0, aux->GetAuxParam(0)->mValue);
  EXPECT_TRUE(e.log.empty()); // nothing travels back to the plug-in
  aux->SetAllAuxParamsFromGUI();
  EXPECT_EQ((Log{"set 1 0", "set 0 0.25"}), e.log);

  // A user change feeds the value and name displays.
  e.log.clear();
  e.c[1]->SetValDisplayControl(e.c[2]);
  e.c[1]->SetNameDisplayControl(e.c[3]);
  e.gui->SetParameterFromGUI(TestPlug::kGain, 0.75);
  EXPECT_EQ((Log{"set 0 0.75", "o text 7.5 dB", "h text Gain"}), e.log);
}

TEST(EditorSurface, ValueFromThePlugInIsTheDefaultAndDrawsTwice)
{
  Editor e;
  IMouseMod none;
  RecordingControl* f = e.c[4]; // never given a value yet
  e.gui->OnMouseDblClick(75, 75, &none);
  EXPECT_EQ(0.0, f->GetValue()); // no default to restore
  IRECT all(0, 0, 200, 200);
  e.gui->SetControlFromPlug(4, 0.3);
  e.gui->SetControlFromPlug(4, 0.3);
  EXPECT_EQ("", e.Dirty()); // the first value only becomes value and default
  e.gui->SetControlFromPlug(4, 0.4);
  for (const char* dirtyAfter : {"f", ""})
  {
    EXPECT_EQ("f", e.Dirty());
    e.gui->Draw(&all);
    EXPECT_EQ(dirtyAfter, e.Dirty());
  }
  EXPECT_DOUBLE_EQ(0.4, f->mDrawnValue);
  e.gui->OnMouseDblClick(75, 75, &none);
  EXPECT_DOUBLE_EQ(0.3, f->GetValue());
}

TEST(EditorSurface, ListPromptChecksTheCurrentItemAndSetsTheChoice)
{
  Editor e;
  RecordingControl* mode = e.Add("m", IRECT(110, 10, 150, 30), TestPlug::kMode);
  e.plug.RedrawParamControls();
  IMouseMod right(false, true);
  e.gui->OnMouseDown(120, 20, &right); // prompting starts disabled
  EXPECT_TRUE(e.gui->mMenusShown.empty());

  mode->DisablePrompt(false);
  for (int choice : {-1, 2})
  {
    e.gui->mMenusShown.clear();
    e.gui->mNextMenuChoice = choice;
    e.log.clear();
    mode->PromptUserInput();
    ASSERT_EQ(1u, e.gui->mMenusShown.size());
    EXPECT_EQ(IRECT(110, 10, 150, 30), e.gui->mMenusShown[0].area);
    EXPECT_EQ((Log{"Hall", "Room*", "Plate"}), e.gui->mMenusShown[0].items);
  }
  // Dismissed: nothing; the third item: its value.
  EXPECT_EQ((Log{"set 1 1"}), e.log);
  EXPECT_EQ(2.0, e.plug.GetParam(TestPlug::kMode)->Value());
}

TEST(EditorSurface, TextPromptResultsPassThroughTheParameter)
{
  Editor e;
  RecordingControl* gain = e.c[1];
  gain->DisablePrompt(false);
  IMouseMod right(false, true);
  e.gui->OnMouseDown(15, 15, &right);
  ASSERT_EQ(1u, e.gui->mTextEntries.size());
  EXPECT_EQ("5.0", e.gui->mTextEntries[0].text);
  EXPECT_EQ(IRECT(5, 12, 35, 28), e.gui->mTextEntries[0].area); // 30 x 16 on the centre

  struct Case
  {
    int param;
    const char* text;
    double plain;
  } cases[] = {
      {TestPlug::kGain, "7.5", 7.5},       {TestPlug::kGain, "99", 10.0},
      {TestPlug::kGain, "junk", 0.0},      {TestPlug::kReduction, "3", -3.0},
      {TestPlug::kReduction, "-4", 0.0},   {TestPlug::kMode, "Plate", 2.0},
      {TestPlug::kMode, "Cathedral", 0.0},
  };
  for (const Case& k : cases)
  {
    SCOPED_TRACE(k.text);
    IParam* param = e.plug.GetParam(k.param);
    RecordingControl control(&e.plug, IRECT(), k.param);
    control.SetValueFromPlug(0.5);
    std::string text = k.text;
    e.gui->SetFromStringAfterPrompt(&control, param, &text[0]);
    EXPECT_DOUBLE_EQ(k.plain, param->Value());
  }
}

TEST(EditorSurface, ResizeDeletesTheControlsUnderThePlugInMutex)
{
  Editor e;
  struct MutexNoting : RecordingControl
  {
    using RecordingControl::RecordingControl;
    ~MutexNoting() override
    {
      mLog->push_back(static_cast<TestPlug*>(mPlug)->MutexHeld() ? "locked" : "unlocked");
    }
  };
  e.gui->AttachControl(new MutexNoting(&e.plug, IRECT(), -1, "x", &e.log));
  IMouseMod none;
  e.gui->OnMouseDown(15, 15, &none);
  e.log.clear();
  e.gui->Resize(300, 250);
  EXPECT_EQ((Log{"locked", "x deleted", "f deleted", "h deleted", "o deleted", "a deleted",
                 "b deleted", "resize 300x250"}),
            e.log);
  EXPECT_EQ(0, e.gui->NControls());
  EXPECT_EQ(300, e.gui->GetDrawBitmap()->getWidth());
  e.gui->OnMouseDrag(40, 40, &none); // the capture ended with the controls
  e.gui->SetControlFromPlug(0, 1.0); // out of range now: ignored
  EXPECT_EQ(8u, e.log.size());
}
} // namespace
