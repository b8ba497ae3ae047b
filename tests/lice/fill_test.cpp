// Rectangle fills, pixel access, gradients, bitmap comparison and memory
// bitmap sizes.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <climits>

// Fills against the reference run in the random-operation test; here the
// rectangles beyond the int range and null bitmaps.
TEST(FillRect, NothingForNullOrFarOffRectangles)
{
  LICE_MemBitmap bm(8, 1, 4);
  LICE_Clear(&bm, 9);
  LICE_FillRect(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1, 1.0f, 0);
  LICE_FillRect(&bm, INT_MAX, 0, INT_MAX, 1, 1, 1.0f, 0);
  LICE_FillRect(&bm, 5, 0, -3, 1, 1, 1.0f, 0);
  LICE_FillRect(nullptr, 0, 0, 1, 1, 1, 1.0f, 0);
  LICE_ClearRect(nullptr, 0, 0, 1, 1, 0, 0);
  for (LICE_Pixel p : ref::Pixels(&bm)) EXPECT_EQ(p, 9u);
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
  for (auto xy : {std::make_pair(5, 1), std::make_pair(3, 4), std::make_pair(2, 7)})
    ref::At(&b, xy.first, xy.second) = 6;
  EXPECT_LT(LICE_BitmapCmp(&a, &b), 0);
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, box), 1);
  EXPECT_EQ(std::vector<int>(box, box + 4), (std::vector<int>{2, 1, 4, 7}));
  // Flipped bitmaps compare in picture order.
  ref::FlippedBitmap f(10, 10);
  ref::SetPixels(&f, ref::Pixels(&b));
  EXPECT_EQ(LICE_BitmapCmp(&b, &f, box), 0);
}

// Put pixels are compared with the reference in the random-operation test.
TEST(PixelAccess, GetPixelReadsPictureCoordinates)
{
  ref::FlippedBitmap flipped(3, 2);
  LICE_Clear(&flipped, 7);
  flipped.getBits()[flipped.getRowSpan()] = 0x12345678; // memory row 1, picture row 0
  EXPECT_EQ(LICE_GetPixel(&flipped, 0, 0), 0x12345678u);
  for (auto xy :
       {std::make_pair(3, 0), std::make_pair(-1, 0), std::make_pair(0, 2), std::make_pair(0, -1)})
    EXPECT_EQ(LICE_GetPixel(&flipped, xy.first, xy.second), 0u);
  EXPECT_EQ(LICE_GetPixel(nullptr, 0, 0), 0u);
  LICE_PutPixel(nullptr, 0, 0, 1, 1.0f, 0);
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

TEST(MemBitmap, SizesBeyondIntFailInsteadOfWrapping)
{
  // 65536 x 65536 x 4 bytes wraps to 0 in 32 bits; 46341^2 * 4 wraps to a
  // small positive size. Both must fail cleanly.
  const int sides[][2] = {{65536, 65536},  {46341, 46341}, {INT_MAX, 2},
                          {0x40000000, 1}, {-10, -10},     {-1, 5}};
  for (auto& s : sides)
  {
    LICE_MemBitmap bm(4, 4, 4);
    EXPECT_TRUE(bm.resize(s[0], s[1]));
    EXPECT_EQ(bm.getWidth() | bm.getHeight() | bm.getRowSpan(), 0) << s[0] << " x " << s[1];
    EXPECT_EQ(bm.getBits(), nullptr);
  }
}
