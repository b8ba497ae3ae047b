// Memory and system bitmaps: spans, alignment, growth, failure to allocate.
#include "lice.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

TEST(MemBitmap, EmptyAllocatesNothing)
{
  LICE_MemBitmap bm(0, 0, 4);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  EXPECT_EQ(bm.getAllocatedSize(), 0);
  EXPECT_FALSE(bm.isFlipped());
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_EQ(bm.Extended(1, nullptr), 0);
}

TEST(MemBitmap, SpanFollowsLineAlignment)
{
  struct Case
  {
    unsigned int align;
    int span;
  } cases[] = {{4, 8}, {1, 5}, {0, 5}, {6, 6}, {8, 8}, {16, 16}, {64, 16}, {3, 5}};
  for (const Case& c : cases)
  {
    LICE_MemBitmap bm(5, 3, c.align);
    EXPECT_EQ(bm.getRowSpan(), c.span) << "alignment " << c.align;
    EXPECT_GE(bm.getRowSpan(), bm.getWidth());
  }
}

TEST(MemBitmap, PixelsAre64ByteAlignedAndWritable)
{
  LICE_MemBitmap bm(33, 17, 4);
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ((uintptr_t)bm.getBits() % 64, 0u);
  LICE_Pixel* p = bm.getBits();
  for (int i = 0; i < bm.getRowSpan() * bm.getHeight(); ++i) p[i] = (LICE_Pixel)i;
  EXPECT_EQ(p[bm.getRowSpan() * bm.getHeight() - 1],
            (LICE_Pixel)(bm.getRowSpan() * bm.getHeight() - 1));
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
  EXPECT_EQ(bm.getWidth(), 0);
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
    EXPECT_EQ(bm.getWidth(), 0) << s[0] << " x " << s[1];
    EXPECT_EQ(bm.getHeight(), 0);
    EXPECT_EQ(bm.getBits(), nullptr);
    EXPECT_EQ(bm.getRowSpan(), 0);
  }
}

TEST(SysBitmap, SpanIsWidthRoundedToFourAndShrinkKeepsContext)
{
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
  EXPECT_EQ(bm.getWidth(), 3);

  EXPECT_TRUE(bm.resize(20, 3));
  EXPECT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getRowSpan(), 20);
  EXPECT_FALSE(bm.resize(20, 3));

  EXPECT_FALSE(bm.resize(0, 3));
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getBits(), nullptr);
}

TEST(SysBitmap, EmptyHasNoContext)
{
  LICE_SysBitmap bm;
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
}
