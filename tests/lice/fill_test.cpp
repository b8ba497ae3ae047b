// Rectangle, pixel and fill operations.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

TEST(FillRect, ExactWordsAtTheWholeWordWeightsAndSourceAlpha)
{
  struct Case
  {
    LICE_Pixel dest, color;
    float alpha;
    int mode;
    LICE_Pixel want;
  } cases[] = {
      {0x11223344, 0xfedcba98, 1.0f, 0, 0xfedcba98}, // the colour word, alpha included
      {0xffffffff, 0xffffffff, 0.5f, 0, 0xfefefefe},
      {0x80808080, 0x00000000, 0.25f, 0, 0x60606060},
      {0x80808080, 0x00000000, 0.75f, 0, 0x20202020},
      // Source alpha scales the weight: alpha 0 draws nothing, 128 / 255 is the half mix.
      {0x01020304, LICE_RGBA(255, 255, 255, 0), 1.0f, 0x10000, 0x01020304},
      {LICE_RGBA(0, 0, 0, 255), LICE_RGBA(255, 255, 255, 128), 1.0f, 0x10000,
       LICE_RGBA(127, 127, 127, 191)},
  };
  LICE_MemBitmap bm(4, 2, 4);
  for (auto& c : cases)
  {
    LICE_Clear(&bm, c.dest);
    LICE_FillRect(&bm, 0, 0, 4, 2, c.color, c.alpha, c.mode);
    for (LICE_Pixel p : ref::Pixels(&bm))
      ASSERT_EQ(p, c.want) << std::hex << c.color << " alpha " << c.alpha << " mode " << c.mode;
  }
}

TEST(FillRect, ClipsAndMatchesReferenceInEveryMode)
{
  std::mt19937 rng(8);
  const float alphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.3f, 1.0f / 256, -0.5f, 0.0f};
  const int modes[] = {0, 1, 2, 3, 4, 5, 6, 0x10000, 0x10001, 0x10100, 0xf3};
  for (bool flipped : {false, true})
  {
    auto bm = ref::Make(11, 9, flipped);
    for (int i = 0; i < 3000; ++i)
    {
      ref::Randomize(bm.get(), rng);
      const int x = (int)(rng() % 20) - 6, y = (int)(rng() % 20) - 6;
      const int w = (int)(rng() % 20) - 2, h = (int)(rng() % 20) - 2;
      const LICE_Pixel color = (LICE_Pixel)rng();
      const float alpha = alphas[rng() % 8];
      const int mode = modes[rng() % 11];
      ASSERT_TRUE(ref::SameAsReference(
          bm.get(), nullptr, [&] { LICE_FillRect(bm.get(), x, y, w, h, color, alpha, mode); },
          [&] { ref::FillRect(bm.get(), x, y, w, h, color, alpha, mode); }))
          << x << "," << y << " " << w << "x" << h << " alpha " << alpha << " mode " << mode;
    }
  }
  LICE_MemBitmap bm(8, 1, 4);
  LICE_Clear(&bm, 9);
  LICE_FillRect(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1, 1.0f, 0);
  LICE_FillRect(&bm, INT_MAX, 0, INT_MAX, 1, 1, 1.0f, 0);
  LICE_FillRect(nullptr, 0, 0, 1, 1, 1, 1.0f, 0);
  LICE_ClearRect(nullptr, 0, 0, 1, 1, 0, 0);
  EXPECT_EQ(bm.getBits()[0], 9u);
}

TEST(PixelAccess, GetAndPutInPictureCoordinates)
{
  ref::FlippedBitmap flipped(3, 2);
  LICE_Clear(&flipped, 0);
  LICE_PutPixel(&flipped, 0, 0, 0x12345678, 1.0f, 0);
  const int last = flipped.getRowSpan(); // first pixel of memory row 1
  EXPECT_EQ(LICE_GetPixel(&flipped, 0, 0), 0x12345678u);
  const std::pair<int, int> outside[] = {{3, 0}, {-1, 0}, {0, 2}, {0, -1}};
  for (auto& xy : outside)
  {
    EXPECT_EQ(LICE_GetPixel(&flipped, xy.first, xy.second), 0u);
    LICE_PutPixel(&flipped, xy.first, xy.second, 1, 1.0f, 0);
  }
  EXPECT_EQ(LICE_GetPixel(nullptr, 0, 0), 0u);
  LICE_PutPixel(nullptr, 0, 0, 1, 1.0f, 0);
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(flipped.getBits()[row * last + x], row == 1 && x == 0 ? 0x12345678u : 0u)
          << "picture row 0 is the last memory row";
}

TEST(GradRect, StepsColoursAcrossAndDown)
{
  LICE_MemBitmap bm(6, 3, 4);
  LICE_Clear(&bm, 0x55555555);
  LICE_GradRect(&bm, 0, 0, 6, 3, 0, 0.5f, 1.0f, 1.0f, 1 / 255.0f, 0, 0, 0, 0, 2 / 255.0f, 0, 0, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(ref::At(&bm, x, y), LICE_RGBA(x, 127 + 2 * y, 255, 255)) << x << "," << y;
  // Started left of the bitmap: the first visible pixel carries the step.
  LICE_GradRect(&bm, -3, 0, 9, 1, 0, 0, 0, 1.0f, 1 / 255.0f, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ((int)LICE_GETR(ref::At(&bm, 0, 0)), 3);
  // Almost transparent: blends almost nothing.
  LICE_Clear(&bm, LICE_RGBA(10, 20, 30, 40));
  LICE_GradRect(&bm, 0, 0, 6, 3, 1, 1, 1, 1 / 256.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(ref::At(&bm, 2, 2), LICE_RGBA(11, 21, 31, 39));
}

TEST(GradRect, FlippedMatchesUnflippedAndExtremesAreSafe)
{
  LICE_MemBitmap a(7, 5, 4);
  ref::FlippedBitmap b(7, 5);
  for (int mode = 0; mode < 7; ++mode)
  {
    for (LICE_IBitmap* bm : {(LICE_IBitmap*)&a, (LICE_IBitmap*)&b})
    {
      LICE_Clear(bm, 0x80604020);
      LICE_GradRect(bm, 1, -1, 5, 5, 0.1f, 0.2f, 0.3f, 0.6f, 0.05f, 0.01f, 0, 0.02f, 0.03f, 0, 0.1f,
                    -0.1f, mode);
    }
    EXPECT_EQ(ref::Pixels(&a), ref::Pixels(&b)) << mode;
  }
  for (int mode = 0; mode < 6; ++mode)
    LICE_GradRect(&a, -1000000, -1000000, INT_MAX, INT_MAX, 1e30f, -1e30f, 1e9f, 1e20f, 1e30f,
                  -1e30f, 3e9f, -2e9f, 1e30f, 1e30f, -1e30f, 1e30f, mode);
  LICE_GradRect(nullptr, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

TEST(PerPixelRects, MultiplyAddProcessAndColourKey)
{
  LICE_MemBitmap bm(3, 3, 4);
  LICE_Clear(&bm, LICE_RGBA(100, 50, 200, 10));
  LICE_MultiplyAddRect(&bm, 1, 1, 5, 5, 0.5f, 2.0f, 1.5f, 0, 3, -60, 0, 300);
  EXPECT_EQ(ref::At(&bm, 1, 1), LICE_RGBA(53, 40, 255, 255));
  EXPECT_EQ(ref::At(&bm, 0, 0), LICE_RGBA(100, 50, 200, 10));
  LICE_MultiplyAddRect(&bm, 0, 0, 3, 3, 1e30f, -1e30f, 0, 0, -1e30f, 1e30f, 0, 0);

  LICE_MemBitmap pr(6, 5, 4);
  LICE_Clear(&pr, 0);
  int calls = 0;
  LICE_ProcessRect(
      &pr, 4, -2, 10, 4, [](LICE_Pixel* p, void* n) { ++*p, ++*(int*)n; }, &calls);
  EXPECT_EQ(calls, 2 * 2);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(ref::At(&pr, x, y), x >= 4 && y < 2 ? 1u : 0u);
  LICE_ProcessRect(&pr, 0, 0, 6, 5, nullptr, nullptr);

  LICE_MemBitmap key(2, 1, 4);
  key.getBits()[0] = LICE_RGBA(1, 2, 3, 77);
  key.getBits()[1] = LICE_RGBA(1, 2, 4, 77);
  LICE_SetAlphaFromColorMask(&key, LICE_RGBA(1, 2, 3, 0));
  EXPECT_EQ(key.getBits()[0], LICE_RGBA(1, 2, 3, 0));
  EXPECT_EQ(key.getBits()[1], LICE_RGBA(1, 2, 4, 255));
  LICE_SetAlphaFromColorMask(&key, LICE_RGBA(1, 2, 3, 1));
  EXPECT_EQ(key.getBits()[0], LICE_RGBA(1, 2, 3, 255)) << "a key with alpha matches nothing";
}

TEST(SimpleFill, FillsRunsConnectedToTheStartColumn)
{
  // . = 0, # = 1, F = filled; the fill starts at (2, 1).
  const char* rows[] = {"..#....", "#...#..", "..#.#..", "..###..", "..#...."};
  const char* want[] = {"..#....", "#FFF#..", "..#.#..", "..###..", "..#...."};
  LICE_MemBitmap bm(7, 5, 4);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ref::At(&bm, x, y) = rows[y][x] == '#';
  LICE_SimpleFill(&bm, 2, 1, 0x100, 0xff, 0xff);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      EXPECT_EQ(ref::At(&bm, x, y), want[y][x] == 'F'   ? 0x100u
                                    : want[y][x] == '#' ? 1u
                                                        : 0u)
          << x << "," << y;
  // A column of matches: every connected row run is filled both ways.
  LICE_Clear(&bm, 0);
  ref::At(&bm, 5, 2) = 1;
  LICE_SimpleFill(&bm, 3, 0, 7, 0xffffffff, 0);
  EXPECT_EQ(ref::At(&bm, 4, 2), 7u);
  EXPECT_EQ(ref::At(&bm, 6, 2), 0u) << "beyond the obstacle";
  EXPECT_EQ(ref::At(&bm, 6, 4), 7u);
  LICE_SimpleFill(&bm, 7, 0, 1, 0, 0);
  LICE_SimpleFill(nullptr, 0, 0, 1, 0, 0);
}

TEST(HalveBlitAA, AveragesTwoByTwoBlocks)
{
  LICE_MemBitmap src(5, 4, 4), dest(4, 4, 4);
  LICE_Clear(&src, 0xffffffff);
  LICE_Clear(&dest, 0);
  src.getBits()[0] = 0;
  LICE_HalveBlitAA(&dest, &src);
  EXPECT_EQ(dest.getBits()[0], 0xbdbdbdbdu); // three of four 0x3f quarters
  EXPECT_EQ(ref::At(&dest, 1, 1), 0xfcfcfcfcu);
  EXPECT_EQ(ref::At(&dest, 2, 0), 0u) << "only half the source's width";
  EXPECT_EQ(ref::At(&dest, 0, 2), 0u);
}

TEST(BitmapCmp, ReportsOrderAndDifferenceBox)
{
  LICE_MemBitmap a(10, 10, 4), b(10, 10, 4), wide(12, 10, 4);
  LICE_Clear(&a, 5);
  LICE_Clear(&b, 5);
  int box[4] = {9, 9, 9, 9};
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, box), 0);
  EXPECT_EQ(box[0] | box[1] | box[2] | box[3], 0);
  EXPECT_EQ(LICE_BitmapCmp(&a, &wide), 2);
  EXPECT_EQ(LICE_BitmapCmp(nullptr, nullptr), 0);
  EXPECT_EQ(LICE_BitmapCmp(nullptr, &a), -1);
  EXPECT_EQ(LICE_BitmapCmp(&a, nullptr), 1);
  ref::At(&b, 3, 4) = 6;
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, box), 1);
  EXPECT_EQ(std::vector<int>(box, box + 4), (std::vector<int>{3, 4, 1, 1}));
  EXPECT_LT(LICE_BitmapCmp(&a, &b), 0);
  ref::At(&b, 3, 4) = 5;
  ref::At(&b, 5, 1) = 6;
  ref::At(&b, 2, 7) = 6;
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, box), 1);
  EXPECT_EQ(std::vector<int>(box, box + 4), (std::vector<int>{2, 1, 4, 7}));
  // Flipped bitmaps compare in picture order.
  ref::FlippedBitmap f(10, 10);
  ref::SetPixels(&f, ref::Pixels(&b));
  EXPECT_EQ(LICE_BitmapCmp(&b, &f, box), 0);
}

TEST(Blur, MixesNeighboursInQuantisedShares)
{
  LICE_MemBitmap src(3, 3, 4), dest(3, 3, 4);
  LICE_Clear(&src, 0);
  ref::At(&src, 1, 1) = 0xf8f8f8f8;
  LICE_Blur(&dest, &src, 0, 0, 0, 0, 3, 3);
  EXPECT_EQ(ref::At(&dest, 1, 1), 0x7c7c7c7cu);
  EXPECT_EQ(ref::At(&dest, 0, 1), 0x3e3e3e3eu) << "edge column: a quarter of its neighbour";
  EXPECT_EQ(ref::At(&dest, 1, 0), 0x3e3e3e3eu);
  EXPECT_EQ(ref::At(&dest, 0, 0), 0u);

  // In place gives the same as into another bitmap.
  std::mt19937 rng(3);
  LICE_MemBitmap big(40, 30, 4), out(40, 30, 4);
  ref::Randomize(&big, rng);
  LICE_Copy(&out, &big);
  LICE_Blur(&out, &big, 3, 2, 3, 2, 30, 25);
  LICE_Blur(&big, &big, 3, 2, 3, 2, 30, 25);
  EXPECT_EQ(LICE_BitmapCmp(&out, &big), 0);

  // A one-pixel-wide area changes nothing.
  const auto before = ref::Pixels(&big);
  LICE_Blur(&big, &big, 0, 0, 0, 0, 1, 30);
  LICE_Blur(&big, &big, -50, 0, 0, 0, 51, 30);
  LICE_Blur(nullptr, &big, 0, 0, 0, 0, 3, 3);
  EXPECT_EQ(ref::Pixels(&big), before);
}
