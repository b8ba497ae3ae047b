// Rectangle fills and bitmap comparison.
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
