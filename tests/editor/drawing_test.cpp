// The editor's drawing layer on the real back buffer: images loaded once
// per ID, missing images, the font cache, clipping to the redrawn area, text
// measuring and alignment.
#include <cmath>
#include <tuple>

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

TEST_F(Drawing, FramesAreReadFromTheRoundedOffsetAndClippedToTheRedrawnArea)
{
  auto source = [](int x, int y) { return LICE_RGBA(x * 8, y * 2, 7, 255); };
  // Picture size, frames, across, the frame drawn and where it is read from.
  const std::tuple<int, int, int, bool, int, int, int> cases[] = {
      {20, 100, 5, false, 3, 0, 40}, {20, 10, 3, false, 3, 0, 7}, // 6.67 rounded
      {20, 10, 3, false, 2, 0, 3},   {30, 10, 4, true, 4, 23, 0}, // 22.5 rounded
      {20, 10, 3, false, 0, 0, 0},                                // below 1: the first
  };
  for (auto [w, h, n, across, frame, sx, sy] : cases)
  {
    IBitmap pic = Picture(w, h, source, n, across);
    IRECT dest(40, 40, 60, 50);
    // The redrawn area cuts 5 columns and 2 rows off the frame's top left.
    Paint([&](IGraphics* g) { g->DrawBitmap(&pic, &dest, frame); }, IRECT(45, 42, 200, 100));
    SCOPED_TRACE(testing::Message() << h << " high, frame " << frame << " of " << n);
    EXPECT_EQ(At(45, 42), source(sx + 5, sy + 2));
    for (auto [x, y] : {std::pair{44, 42}, {45, 41}}) EXPECT_EQ(At(x, y), 0u);
  }
}

TEST_F(Drawing, CropAndScaleMakeRetainedPicturesAndMissingOnesStayMissing)
{
  // Two colours, left of column 14 and from there on, the right one half
  // transparent.
  const LICE_Pixel left = LICE_RGBA(200, 10, 30, 255), right = LICE_RGBA(20, 90, 250, 128);
  IBitmap pic = Picture(
      20, 12, [&](int x, int) { return x < 14 ? left : right; }, 3, true);
  IRECT inside(10, 2, 16, 8), over(15, 10, 25, 14);
  IBitmap crop = g->CropBitmap(&pic, &inside), beyond = g->CropBitmap(&pic, &over),
          scaled = g->ScaleBitmap(&pic, 40, 24);
  // Size, frames (laid out downward now), and pixels copied as they are.
  const std::tuple<IBitmap*, int, int, int, int, LICE_Pixel> made[] = {
      {&crop, 6, 6, 1, 1, left},      {&crop, 6, 6, 5, 5, right},
      {&beyond, 10, 4, 4, 1, right},  {&beyond, 10, 4, 5, 1, 0}, // beyond the source: nothing
      {&scaled, 40, 24, 2, 12, left}, {&scaled, 40, 24, 37, 12, right},
  };
  for (auto [b, w, h, x, y, pixel] : made)
  {
    EXPECT_EQ(std::make_tuple(b->W, b->H, b->N, b->mFramesAreHorizontal),
              std::make_tuple(w, h, 3, false));
    EXPECT_EQ(LICE_GetPixel(b->mData, x, y), pixel) << w << "x" << h << " at " << x << "," << y;
  }
  // Made pictures are cached under ID -1 until released; the first one is found.
  auto firstMade = [&] { return g->LoadIBitmap(-1, "").mData; };
  EXPECT_EQ(firstMade(), crop.mData);
  g->ReleaseBitmap(&crop);
  EXPECT_EQ(firstMade(), beyond.mData);
  for (IBitmap* b : {&beyond, &scaled}) g->ReleaseBitmap(b);

  // A picture that could not be loaded gives pictures without pixels.
  IBitmap missing;
  for (IBitmap b : {g->CropBitmap(&missing, &inside), g->ScaleBitmap(&missing, 4, 4)})
    EXPECT_EQ(std::make_tuple(b.mData, b.W, b.H), std::make_tuple(nullptr, 0, 0));
}

TEST_F(Drawing, BackgroundsGoFirstAndAreCopiedAsTheyAre)
{
  const LICE_Pixel clear = LICE_RGBA(0, 0, 255, 255), glass = LICE_RGBA(200, 100, 50, 128);
  Picture(8, 8, [&](int, int) { return glass; }); // the last ID
  for (bool panel : {false, true})
  {
    NewEditor();
    RecordingControl* a = Add("a", IRECT(100, 100, 110, 110));
    if (panel)
      g->AttachPanelBackground(&COLOR_RED);
    else
      g->AttachBackground(sNextID - 1, "");
    DrawAll(IRECT(0, 0, kW, kH), clear);
    EXPECT_EQ(g->GetControl(1), a);
    // The picture's half-transparent pixels replace what was there; the
    // panel fills the whole editor.
    for (auto [x, y] : {std::pair{0, 0}, {7, 7}, {kW - 1, kH - 1}})
      EXPECT_EQ(At(x, y), panel ? LiceColor(&COLOR_RED) : x < 8 ? glass : clear) << x << "," << y;
  }
}

TEST_F(Drawing, TheRotatingMaskAddsTheTurnedMaskToTheBaseUnderTheTurnedTop)
{
  // 9 x 9 pictures: a grey base, a blue mark in the mask's top middle, a
  // white mark in the top's bottom middle, transparent elsewhere.
  const LICE_Pixel grey = LICE_RGBA(100, 100, 100, 255), blue = LICE_RGBA(0, 0, 120, 255),
                   white = LICE_RGBA(255, 255, 255, 255);
  auto mark = [](LICE_Pixel c, int y0)
  { return [=](int x, int y) { return x >= 3 && x <= 5 && y >= y0 && y < y0 + 3 ? c : 0; }; };
  IBitmap base = Picture(9, 9, [&](int, int) { return grey; }), mask = Picture(9, 9, mark(blue, 0)),
          top = Picture(9, 9, mark(white, 6));
  const LICE_Pixel sum = LICE_RGBA(100, 100, 220, 255);
  // Angle, and where the mask's and the top's marks are then.
  const std::tuple<double, int, int, int, int> cases[] = {
      {0.0, 4, 1, 4, 7}, {90.0, 7, 4, 1, 4}, {-90.0, 1, 4, 7, 4}, {180.0, 4, 7, 4, 1}};
  for (auto [angle, mx, my, tx, ty] : cases)
  {
    Paint([&](IGraphics* g) { g->DrawRotatedMask(&base, &mask, &top, 20, 30, angle); },
          IRECT(0, 0, kW, 38));
    SCOPED_TRACE(angle);
    EXPECT_EQ(At(20 + mx, 30 + my), sum);
    EXPECT_EQ(At(20 + tx, 30 + ty), white);
    EXPECT_EQ(At(24, 34), 0u); // the base alone has no alpha: nothing drawn
    EXPECT_EQ(At(24, 38), 0u); // outside the redrawn area
  }
  // The odd width turns about a centre half a pixel to the left: turned half
  // way, the top's mark reaches half a pixel into column 2, none into column 6.
  EXPECT_NE(At(22, 31), 0u);
  EXPECT_EQ(At(26, 31), 0u);
}

TEST_F(Drawing, FractionalLinesLieWithinTheRectangle)
{
  IRECT r(10, 20, 50, 60);
  // Fraction, and the row (or column from the left) it draws; NaN the low end.
  const std::pair<float, int> cases[] = {{0.5f, 20}, {1.5f, 40}, {-1.0f, 0}, {NAN, 0}};
  for (auto [f, at] : cases)
  {
    Paint(
        [&](IGraphics* g)
        {
          g->DrawHorizontalLine(&COLOR_WHITE, &r, f);
          g->DrawVerticalLine(&COLOR_WHITE, &r, f);
        });
    EXPECT_EQ(At(30, r.B - at), LiceColor(&COLOR_WHITE)) << f;
    EXPECT_EQ(At(r.L + at, 30), LiceColor(&COLOR_WHITE)) << f;
  }
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
