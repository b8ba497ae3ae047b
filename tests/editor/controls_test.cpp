// The ready-made controls drawn into the real back buffer and driven through
// the editor's mouse routing, with their values pushed to real parameters.
#include <cmath>
#include <tuple>

#include "IBitmapMonoText.h"
#include "test_editor.h"

using Controls = EditorTest;

TEST_F(Controls, FrameStripsShowTheFrameTheValueSelects)
{
  // Frames, across, knob, value, the frame shown (from 1).
  const std::tuple<int, bool, bool, double, int> cases[] = {
      {3, false, false, 0.24, 1},   {3, false, false, 0.25, 2},   {3, false, false, 0.75, 3},
      {3, false, false, 1.3, 3},    {3, false, false, -0.6, 1},   {3, true, false, 0.5, 2},
      {101, false, true, 0.004, 1}, {101, false, true, 0.005, 2}, {101, true, true, 1.0, 101},
  };
  for (auto [n, horizontal, knob, value, frame] : cases)
  {
    NewEditor();
    IBitmap strip = Strip(n, 6, 4, horizontal);
    IControl* ctl = knob ? (IControl*)new IKnobMultiControl(&plug, 20, 30, -1, &strip)
                         : new IBitmapControl(&plug, 20, 30, &strip);
    g->AttachControl(ctl);
    ctl->SetValueFromPlug(value); // the first value is taken unclamped
    DrawAll();
    SCOPED_TRACE(testing::Message() << n << (horizontal ? " across, " : " down, ") << value);
    EXPECT_EQ(*ctl->GetRECT(), IRECT(20, 30, 26, 34));
    EXPECT_EQ(At(25, 33), StripColor(frame - 1));
    EXPECT_EQ(At(26, 33), 0u); // nothing of the next frame beside or below
    EXPECT_EQ(At(25, 34), 0u);
  }
}

TEST_F(Controls, KnobsTurnByTheGearing)
{
  const IMouseMod none(true), shift(true, false, true), ctrl(true, false, false, true);
  // Direction, gearing, drag, modifiers, start and end values.
  const std::tuple<EDirection, double, int, int, IMouseMod, double, double> cases[] = {
      {kDirectionVertical, 4.0, 0, -24, shift, 0.5, 0.51}, // 60 px tall, 24 px up with shift
      {kDirectionVertical, 4.0, 0, -24, ctrl, 0.5, 0.51},  // or control
      {kDirectionVertical, 4.0, 0, 300, none, 0.5, 0.0},   // down lowers it, to 0
      {kDirectionVertical, 1.0, 7, 0, none, 0.5, 0.5},     // across does nothing
      {kDirectionHorizontal, 2.0, 20, 0, none, 0.2, 0.4},  // 50 px wide: 20 px right is 0.2
  };
  for (auto [dir, gearing, dX, dY, mod, start, expected] : cases)
  {
    NewEditor();
    IKnobControl* knob = new IKnobLineControl(&plug, IRECT(10, 10, 60, 70), TestPlug::kGain,
                                              &COLOR_WHITE, 0.0, 0.0, -2.356, 2.356, dir, gearing);
    g->AttachControl(knob);
    knob->SetValueFromPlug(start);
    g->OnMouseDown(30, 40, &mod);
    g->OnMouseDrag(30 + dX, 40 + dY, &mod);
    g->OnMouseUp(30 + dX, 40 + dY, &mod);
    EXPECT_NEAR(Param(TestPlug::kGain), expected, 1e-6) << dX << "," << dY;
  }
  // The line points up at the middle of the range, from the centre to the
  // outer radius (half the width).
  g->GetControl(0)->SetValueFromUserInput(0.5);
  DrawAll();
  for (int y : {16, 39}) EXPECT_EQ(At(35, y), LiceColor(&COLOR_WHITE)) << y;
  for (int y : {14, 41}) EXPECT_EQ(At(35, y), 0u) << y;
  // NaN from the plug-in has no angle: nothing is drawn.
  g->GetControl(0)->SetValueFromPlug(NAN);
  DrawAll();
  EXPECT_EQ(At(35, 39), 0u);
}

TEST_F(Controls, FaderHandleFollowsTheValueAndTheMouse)
{
  IBitmap handle = Strip(1, 10, 20);
  IFaderControl* fader = new IFaderControl(&plug, 50, 20, 100, TestPlug::kGain, &handle);
  g->AttachControl(fader);
  // Click at y, value, top of the 20 px handle; the handle's centre follows.
  const std::tuple<int, double, int> cases[] = {{30, 1.0, 20}, {110, 0.0, 100}, {70, 0.5, 60}};
  for (auto [y, value, top] : cases)
  {
    Click(55, y);
    EXPECT_DOUBLE_EQ(Param(TestPlug::kGain), value) << y;
    DrawAll();
    EXPECT_EQ(At(55, top), StripColor(0));
    EXPECT_EQ(At(55, top - 1), 0u);
  }
  // Values from the plug-in outside the range stay on the track, NaN at the bottom.
  for (auto [v, top] : {std::pair{1.5, 20}, {NAN, 100}})
  {
    fader->SetValueFromPlug(v);
    EXPECT_EQ(fader->GetHandleRECT().T, top) << v;
  }

  // Across, value 0 at the left.
  IFaderControl* across =
      new IFaderControl(&plug, 10, 140, 50, TestPlug::kReduction, &handle, kDirectionHorizontal);
  g->AttachControl(across);
  Click(45, 145);
  EXPECT_DOUBLE_EQ(across->GetValue(), 0.75); // (45 - 10 - 5) / 40
  EXPECT_EQ(across->GetHandleRECT(), IRECT(40, 140, 50, 160));
}

TEST_F(Controls, SwitchesStepWrapAndChooseBands)
{
  IBitmap three = Strip(3, 8, 8), four = Strip(4, 8, 8), one = Strip(1, 8, 8),
          ten = Strip(10, 8, 8);
  std::vector<double> tenSteps; // nine steps of 1/9 add up to a hair above 1
  for (int i = 1; i <= 10; ++i) tenSteps.push_back(i < 10 ? i / 9.0 : 0.0);
  // A switch and its value after each click.
  const std::pair<IControl*, std::vector<double>> cases[] = {
      {new ISwitchControl(&plug, 0, 0, TestPlug::kGain, &three), {0.5, 1.0, 0.0, 0.5}},
      {new ISwitchControl(&plug, 20, 0, -1, &one), {1.0, 0.0}},
      {new IInvisibleSwitchControl(&plug, IRECT(30, 0, 38, 8), -1), {1.0, 0.0}},
      {new IContactControl(&plug, 40, 0, -1, &three), {0.0, 0.0}},    // back to 0 on release
      {new ISwitchFramesControl(&plug, 50, 0, -1, &one), {0.0, 0.0}}, // one band: no choice
      {new ISwitchControl(&plug, 60, 0, -1, &ten), tenSteps},
  };
  for (const auto& [ctl, clicks] : cases)
  {
    g->AttachControl(ctl);
    for (double v : clicks)
    {
      Click(ctl->GetRECT()->L + 2, 2);
      EXPECT_NEAR(ctl->GetValue(), v, 1e-9) << "switch at " << ctl->GetRECT()->L;
    }
  }
  EXPECT_EQ(Param(TestPlug::kGain), 0.5);
  IMouseMod mod(true);
  g->OnMouseDblClick(2, 2, &mod); // a double click is one more click
  EXPECT_EQ(Param(TestPlug::kGain), 1.0);

  // Bands of a four-frame strip, 8 px stacked: 2 px each.
  IControl* bands = new ISwitchFramesControl(&plug, 0, 20, TestPlug::kGain, &four);
  g->AttachControl(bands);
  for (int y : {27, 21, 24})
  {
    Click(3, y);
    EXPECT_NEAR(bands->GetValue(), ((y - 20) / 2) / 3.0, 1e-9) << y;
  }
}

TEST_F(Controls, TheOverlayTakesClicksInItsTargetOnlyUntilShown)
{
  IBitmap pic = Strip(1, 40, 40);
  IControl* overlay = new IBitmapOverlayControl(&plug, 0, 0, &pic, IRECT(0, 0, 10, 10));
  g->AttachControl(overlay);
  // Where each click lands (after a drawing), and whether the overlay is then shown.
  const std::tuple<int, bool> clicks[] = {{20, false}, {5, true}, {20, false}, {20, false}};
  for (auto [xy, shown] : clicks)
  {
    DrawAll();
    EXPECT_EQ(At(20, 20), overlay->GetValue() ? StripColor(0) : 0u);
    Click(xy, xy);
    EXPECT_EQ(overlay->GetValue(), shown ? 1.0 : 0.0) << xy;
  }
}

TEST_F(Controls, RadioButtonsLayOutAndPick)
{
  IBitmap twoFrames = Strip(2, 10, 20);
  // Direction, reverse, the top (or left) of each button.
  const std::tuple<EDirection, bool, std::vector<int>> layouts[] = {
      {kDirectionVertical, false, {20, 50, 80, 110}}, // (110 - 80) / 3 = 10 between
      {kDirectionVertical, true, {100, 70, 40, 10}},
      {kDirectionHorizontal, false, {30, 75, 120}}, // (100 - 30) / 2 = 35 between
      {kDirectionVertical, true, {110}},
  };
  for (const auto& [dir, reverse, starts] : layouts)
  {
    const bool down = dir == kDirectionVertical;
    const int n = (int)starts.size();
    IRadioButtonsControl radio(&plug, down ? IRECT(30, 20, 40, 130) : IRECT(30, 20, 130, 40), -1, n,
                               &twoFrames, dir, reverse);
    for (int i = 0; i < n; ++i)
      EXPECT_EQ(down ? radio.GetButtonRECT(i)->T : radio.GetButtonRECT(i)->L, starts[i]);
  }

  IControl* radio =
      new IRadioButtonsControl(&plug, IRECT(30, 20, 40, 130), TestPlug::kGain, 4, &twoFrames);
  g->AttachControl(radio);
  Click(35, 85); // third button
  EXPECT_NEAR(Param(TestPlug::kGain), 2.0 / 3, 1e-6);
  Click(35, 75); // between buttons: unchanged
  EXPECT_NEAR(Param(TestPlug::kGain), 2.0 / 3, 1e-6);
  // The nearest button is lit (its second frame), the others show the first.
  for (auto [v, lit] : {std::pair{0.5, 2}, {0.49, 1}})
  {
    radio->SetValueFromUserInput(v);
    DrawAll();
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(At(35, 25 + 30 * i), StripColor(i == lit ? 1 : 0)) << v << " button " << i;
  }
}

TEST_F(Controls, CaptionsShowTheValueAndLabel)
{
  // Parameter, whether the label is shown, and the text.
  const std::tuple<int, bool, const char*> cases[] = {
      {TestPlug::kGain, true, "5.0 dB"},
      {TestPlug::kGain, false, "5.0"},
      {TestPlug::kMode, true, "Room "}, // a display text has no label, but the blank stays
  };
  IText style;
  for (auto [idx, label, text] : cases)
  {
    auto* caption = new ICaptionControl(&plug, IRECT(0, 0, 100, 20), idx, &style, label);
    g->AttachControl(caption);
    DrawAll();
    EXPECT_STREQ(caption->GetTextString(), text);
  }
}

TEST_F(Controls, TheFileSelectorRunsTheDialogAndTogglesItsValue)
{
  IBitmap busy = Strip(1, 10, 10);
  auto* selector = new IFileSelectorControl(&plug, IRECT(0, 0, 10, 10), TestPlug::kGain, &busy,
                                            kFileActionSave, "/tmp", "wav aif");
  g->AttachControl(selector);
  DrawAll();
  log.clear();
  for (const char* file : {"/tmp/a.wav", "/tmp/b.wav"})
  {
    g->mNextFile = file;
    Click(5, 5);
    for (bool dirty : {true, true, false}) // drawn once more after the selection
    {
      EXPECT_EQ(selector->IsDirty(), dirty);
      DrawAll();
    }
  }
  EXPECT_EQ(At(5, 5), 0u); // the busy picture shows only while the dialog is up
  WDL_String chosen;
  selector->GetLastSelectedFileForPlug(&chosen);
  EXPECT_STREQ(chosen.Get(), "/tmp/b.wav");
  EXPECT_EQ((Log{"save  /tmp wav aif", "save /tmp/a.wav /tmp wav aif"}), g->mFileDialogs);
  EXPECT_EQ((Log{"begin 0", "set 0 1", "end 0", "begin 0", "set 0 0", "end 0"}), log);
}

TEST_F(Controls, PictureFontTextIsLaidOutInCells)
{
  // Cells of 10 x 4 from the space on: a cell's colour tells its character.
  IBitmap font = Strip(95, 10, 4);
  auto cell = [](char c) { return c == '.' ? 0u : StripColor(c - ' '); };
  // Text, alignment, wrapping, rectangle width, and the rows drawn from x = 20.
  const std::tuple<const char*, int, bool, int, std::vector<std::string>> cases[] = {
      {"AB", IText::kAlignCenter, false, 100, {"....AB...."}},
      {"AB", IText::kAlignNear, false, 100, {".AB......."}},
      {"AB", IText::kAlignFar, false, 100, {".AB......."}},
      {"ABCDEFGHIJ", IText::kAlignNear, false, 60, {".ABCD.", ".EFGH.", "......"}},
      {"ABCDEFGHIJ", IText::kAlignNear, true, 60, {".ABCD.", ".EFGH.", ".IJ..."}},
      {"A\tB\351C", IText::kAlignNear, false, 100, {".A B C...."}},
  };
  for (const auto& [text, align, wrap, w, rows] : cases)
  {
    IRECT r(20, 30, 20 + w, 40);
    IText style(10, nullptr, nullptr, IText::kStyleNormal, align);
    Paint([&](IGraphics* g)
          { DrawBitmapedText(g, &font, &r, &style, nullptr, text, false, wrap, 10, 4, 0); });
    for (int i = 0; i < (int)rows.size(); ++i)
      for (int k = 0; k < w / 10; ++k)
        EXPECT_EQ(At(20 + 10 * k, 30 + 4 * i), cell(rows[i][k])) << text << " " << i << "," << k;
  }
  // The control draws one row, centred vertically, with the offset between cells.
  IText near(10, nullptr, nullptr, IText::kStyleNormal, IText::kAlignNear);
  NewEditor();
  g->AttachControl(
      new IBitmapTextControl(&plug, IRECT(20, 30, 120, 40), &font, 10, 4, 2, &near, "AB"));
  DrawAll();
  for (auto [x, y, c] : {std::tuple{30, 33, 'A'}, {51, 33, 'B'}, {30, 32, '.'}})
    EXPECT_EQ(At(x, y), cell(c)) << x << "," << y;
}

TEST_F(Controls, TextFromThePlugInAndTheLink)
{
  IText style;
  auto* label = new ITextControl(&plug, IRECT(0, 0, 100, 20), &style, "Level");
  g->AttachControl(label);
  g->AttachControl(new IURLControl(&plug, IRECT(0, 60, 20, 80), "https://example.org/a",
                                   "/usr/share/doc/a.html", "Could not open"));
  DrawAll();
  // A text from the plug-in asks for drawing only when it changes.
  label->SetTextFromPlug("Level");
  EXPECT_FALSE(label->IsDirty());
  label->SetTextFromPlug("Width");
  EXPECT_TRUE(label->IsDirty());
  // The link opens its second address when the first does not open.
  Click(5, 65);
  g->mURLOpens = false;
  Click(5, 65);
  EXPECT_EQ((Log{"https://example.org/a", "https://example.org/a", "/usr/share/doc/a.html"}),
            g->mURLsOpened);
}
