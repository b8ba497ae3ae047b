// The editor's drawing layer on the real back buffer: images loaded once
// per ID, missing images, the font cache, clipping to the redrawn area, text
// measuring and alignment.
#include "lice_text.h"
#include "test_editor.h"

using Drawing = EditorTest;

TEST_F(Drawing, FontsAreSharedByStyleNotQuality)
{
  IText a(14), aQuality(14), bigger(15), bold(14, nullptr, nullptr, IText::kStyleBold),
      serif(14, nullptr, "Liberation Serif");
  aQuality.mQuality = IText::kQualityAntiAliased;
  LICE_IFont* font = g->CacheFont(&a);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(g->CacheFont(&aQuality), font);
  for (IText* other : {&bigger, &bold, &serif}) EXPECT_NE(g->CacheFont(other), font);
  EXPECT_EQ(g->CacheFont(&bold), bold.mCached);
  // The window layer's fonts take a positive size as the line height.
  EXPECT_NEAR(font->GetLineHeight(), 14, 1);
}

TEST_F(Drawing, ImagesAreLoadedOncePerIDAndMissingOnesReportedOnce)
{
  // The same ID gives the same image whatever the name; the name is not read.
  IBitmap strip = Strip(2, 4, 3);
  EXPECT_EQ(g->LoadIBitmap(sNextID - 1, "no-such-file.png", 2).mData, strip.mData);
  EXPECT_EQ(g->LoadIBitmap(sNextID - 1, "", 2).mData, strip.mData);

  const int id = sNextID++;
  testing::internal::CaptureStderr();
  IBitmap missing = g->LoadIBitmap(id, "gone.png", 3);
  IBitmap again = g->LoadIBitmap(id, "gone.png", 3);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(missing.W, 0);
  EXPECT_EQ(again.mData, nullptr);
  EXPECT_NE(err.find("gone.png"), std::string::npos) << err;
  EXPECT_EQ(err.find("gone.png"), err.rfind("gone.png")) << err;

  // The failure is not cached: the image is found once it is there.
  WritePNG("gone.png", 2, 6, [](int, int y) { return StripColor(y / 2); });
  EXPECT_EQ(g->LoadIBitmap(id, "gone.png", 3).H, 6);
}

TEST_F(Drawing, BitmapsAreClippedToTheRedrawnArea)
{
  // Three frames of 20 x 10; every pixel tells where it came from.
  auto source = [](int x, int y) { return LICE_RGBA(x * 10, y * 8, 7, 255); };
  WritePNG("clip.png", 20, 30, source);
  IBitmap pic = g->LoadIBitmap(sNextID++, "clip.png", 3);
  IControl* ctl = new IBitmapControl(&plug, 40, 40, TestPlug::kGain, &pic);
  g->AttachControl(ctl);
  ctl->SetValueFromPlug(1.0); // frame 3: source rows 20..29
  DrawAll(IRECT(50, 45, 200, 100));
  EXPECT_EQ(At(50, 45), source(10, 25)); // inside and just outside each edge of the area
  EXPECT_EQ(At(59, 49), source(19, 29));
  for (auto [x, y] : {std::pair{49, 45}, {50, 44}, {60, 45}, {50, 50}}) EXPECT_EQ(At(x, y), 0u);
}

TEST_F(Drawing, TextIsMeasuredAndAligned)
{
  char text[] = "Plenmora 42", empty[] = "";
  IText style(16, &COLOR_BLACK, nullptr, IText::kStyleNormal, IText::kAlignNear);
  IRECT m(10, 5, 200, 40);
  ASSERT_TRUE(g->MeasureIText(&style, text, &m));
  const int w = m.W(), h = m.H();
  EXPECT_GT(w, 40);
  EXPECT_GE(h, 16);
  // Measured in (10, 5, 200, 40) and drawn there: the ink lies within.
  const LICE_Pixel white = LICE_RGBA(255, 255, 255, 255);
  const std::pair<int, int> aligns[] = {
      {IText::kAlignNear, 10}, {IText::kAlignCenter, 105 - w / 2}, {IText::kAlignFar, 200 - w}};
  for (auto [align, left] : aligns)
  {
    style.mAlign = align;
    IRECT r(10, 5, 200, 40), measured = r, ink;
    g->MeasureIText(&style, text, &measured);
    EXPECT_EQ(measured, IRECT(left, 5, left + w, 5 + h)) << align;
    LICE_Clear(g->GetDrawBitmap(), white);
    ASSERT_TRUE(g->DrawIText(&style, text, &r));
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (At(x, y) != white) ink = ink.Union(IRECT(x, y, x + 1, y + 1));
    EXPECT_TRUE(IRECT(left - 1, 5, left + w + 1, 5 + h).Contains(ink)) << align;
    EXPECT_GT(ink.W(), w - 6) << align;
  }
  IRECT r(0, 0, 10, 10); // empty text: nothing measured
  EXPECT_TRUE(g->DrawIText(&style, empty, &r, true));
  EXPECT_EQ(r, IRECT(0, 0, 10, 10));
}
