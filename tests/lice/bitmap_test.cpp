// Memory and system bitmaps: spans, alignment, growth, failure to allocate.
#include "lice.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

TEST(MemBitmap, SpanFollowsLineAlignmentAndPixelsAre64ByteAligned)
{
  const int cases[][2] = {{4, 8}, {1, 5}, {0, 5}, {6, 6}, {8, 8}, {16, 16}, {64, 16}, {3, 5}};
  for (auto& c : cases)
  {
    LICE_MemBitmap bm(5, 3, (unsigned)c[0]);
    EXPECT_EQ(bm.getRowSpan(), c[1]) << "alignment " << c[0];
    EXPECT_EQ((uintptr_t)bm.getBits() % 64, 0u);
  }
  LICE_MemBitmap empty(0, 0, 4);
  EXPECT_EQ(empty.getBits(), nullptr);
  EXPECT_EQ(empty.getAllocatedSize(), 0);
  EXPECT_EQ(empty.getDC(), nullptr);
  EXPECT_EQ(empty.Extended(1, nullptr), 0);
}

TEST(MemBitmap, GrowsWithSlackAndReusesBuffer)
{
  LICE_MemBitmap bm(100, 100, 4);
  EXPECT_EQ(bm.getAllocatedSize(), 40000);
  EXPECT_TRUE(bm.resize(101, 100));
  EXPECT_EQ(bm.getRowSpan(), 104);
  EXPECT_EQ(bm.getAllocatedSize(), 52000);
  EXPECT_TRUE(bm.resize(102, 100));
  EXPECT_EQ(bm.getAllocatedSize(), 52000);
  EXPECT_TRUE(bm.resize(10, 10));
  EXPECT_EQ(bm.getAllocatedSize(), 52000) << "the buffer never shrinks";
  EXPECT_FALSE(bm.resize(10, 10));
  EXPECT_TRUE(bm.resize(0, 10));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getAllocatedSize(), 0);
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

TEST(SysBitmap, SpanIsWidthRoundedToFourAndShrinkKeepsContext)
{
  LICE_SysBitmap none;
  EXPECT_EQ(none.getDC(), nullptr);
  EXPECT_EQ(none.getBits(), nullptr);

  LICE_SysBitmap bm(5, 4);
  ASSERT_NE(bm.getBits(), nullptr);
  ASSERT_NE(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getRowSpan(), 8);
  EXPECT_EQ((uintptr_t)bm.getBits() % 64, 0u);
  for (int i = 0; i < 8 * 4; ++i) EXPECT_EQ(bm.getBits()[i], 0u) << "zero-filled";

  HDC dc = bm.getDC();
  LICE_Pixel* bits = bm.getBits();
  EXPECT_TRUE(bm.resize(3, 3));
  EXPECT_EQ(bm.getDC(), dc);
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_EQ(bm.getRowSpan(), 8);

  EXPECT_TRUE(bm.resize(20, 3));
  EXPECT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getRowSpan(), 20);
  EXPECT_FALSE(bm.resize(20, 3));

  EXPECT_FALSE(bm.resize(0, 3));
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getBits(), nullptr);
}
