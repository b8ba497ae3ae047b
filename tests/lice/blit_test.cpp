// Unscaled blits: clipping on every edge, flipped bitmaps, self-blits,
// channel copies, against the plain reference.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>

namespace
{
std::unique_ptr<LICE_IBitmap> Make(int w, int h, bool flipped)
{
  if (flipped) return std::make_unique<ref::FlippedBitmap>(w, h);
  return std::make_unique<LICE_MemBitmap>(w, h, 4);
}

// Runs the library and the reference on identical copies and compares the
// whole destination (and, for different bitmaps, that the source stayed).
void ExpectBlitMatches(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* r,
                       float alpha, int mode)
{
  const auto destBefore = ref::Pixels(dest);
  const auto srcBefore = ref::Pixels(src);
  LICE_Blit(dest, src, dstx, dsty, r, alpha, mode);
  const auto got = ref::Pixels(dest);
  ref::SetPixels(dest, destBefore);
  if (src != dest) ref::SetPixels(src, srcBefore);
  ref::Blit(dest, src, dstx, dsty, r, alpha, mode);
  const auto want = ref::Pixels(dest);
  ASSERT_EQ(got, want) << "at " << dstx << "," << dsty << " alpha " << alpha << " mode " << mode
                       << (r ? " rect " : " whole ") << (r ? r->left : 0) << "," << (r ? r->top : 0)
                       << "," << (r ? r->right : 0) << "," << (r ? r->bottom : 0);
  if (src != dest)
  {
    ASSERT_EQ(ref::Pixels(src), srcBefore);
  }
}
} // namespace

TEST(Blit, NegativeSourceLeftShiftsTheDestination)
{
  LICE_MemBitmap src(4, 1, 4), dest(10, 1, 4);
  for (int x = 0; x < 4; ++x) src.getBits()[x] = LICE_RGBA(x + 1, 0, 0, 255);
  LICE_Clear(&dest, 0);
  RECT r = {-3, 0, 4, 1};
  LICE_Blit(&dest, &src, 2, 0, &r, 1.0f, 0);
  for (int x = 0; x < 10; ++x)
    EXPECT_EQ(dest.getBits()[x], x >= 5 && x < 9 ? LICE_RGBA(x - 4, 0, 0, 255) : 0u) << x;
}

TEST(Blit, PlainCopyCopiesAlphaAndSourceAlphaSkipsTransparent)
{
  LICE_MemBitmap src(2, 1, 4), dest(2, 1, 4);
  src.getBits()[0] = LICE_RGBA(10, 20, 30, 0);
  src.getBits()[1] = LICE_RGBA(40, 50, 60, 255);
  LICE_Clear(&dest, LICE_RGBA(1, 2, 3, 4));
  LICE_Blit(&dest, &src, 0, 0, nullptr, 1.0f, 0);
  EXPECT_EQ(dest.getBits()[0], LICE_RGBA(10, 20, 30, 0));
  LICE_Clear(&dest, LICE_RGBA(1, 2, 3, 4));
  LICE_Blit(&dest, &src, 0, 0, nullptr, 1.0f, LICE_BLIT_USE_ALPHA);
  EXPECT_EQ(dest.getBits()[0], LICE_RGBA(1, 2, 3, 4));
  EXPECT_EQ(dest.getBits()[1], LICE_RGBA(40, 50, 60, 255));
}

TEST(Blit, ChannelCopyMovesOneByteAtAnyAlpha)
{
  LICE_MemBitmap src(1, 1, 4), dest(1, 1, 4);
  src.getBits()[0] = LICE_RGBA(99, 20, 30, 40);
  for (float alpha : {1.0f, 0.25f, -1.0f})
  {
    dest.getBits()[0] = LICE_RGBA(1, 2, 3, 4);
    LICE_Blit(&dest, &src, 0, 0, nullptr, alpha, 0xF1); // red into alpha
    EXPECT_EQ(dest.getBits()[0], LICE_RGBA(1, 2, 3, 99));
  }
  dest.getBits()[0] = LICE_RGBA(1, 2, 3, 4);
  LICE_Blit(&dest, &src, 0, 0, nullptr, 1.0f, 0xF0 + 3 * 4 + 0); // alpha into blue
  EXPECT_EQ(dest.getBits()[0], LICE_RGBA(1, 2, 40, 4));
}

TEST(Blit, NothingForNullEmptyOrZeroAlpha)
{
  LICE_MemBitmap src(4, 4, 4), dest(4, 4, 4), empty(0, 0, 4);
  std::mt19937 rng(3);
  ref::Randomize(&src, rng);
  LICE_Clear(&dest, 0x12345678);
  const auto before = ref::Pixels(&dest);
  LICE_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&dest, nullptr, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&dest, &empty, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&empty, &src, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&dest, &src, 0, 0, nullptr, 0.0f, 0);
  LICE_Blit(&dest, &src, 0, 0, nullptr, 1.0f, 6);
  LICE_Blit(&dest, &src, 0, 0, nullptr, 1.0f, 0x10006);
  LICE_Blit(&dest, &src, 4, 0, nullptr, 1.0f, 0);
  LICE_Blit(&dest, &src, 0, -4, nullptr, 1.0f, 0);
  LICE_Blit(&dest, &src, 0, 0, 2, 2, 0, 5, 1.0f, 0);
  LICE_Blit(&dest, &src, 0, 0, 2, 2, -5, 1, 1.0f, 0);
  LICE_Blit(&dest, &src, 0, 0, 5, 0, 3, 3, 1.0f, 0);
  LICE_Blit(&dest, &src, INT_MAX, INT_MAX, 0, 0, INT_MAX, INT_MAX, 1.0f, 0);
  LICE_Blit(&dest, &src, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1.0f, 0);
  EXPECT_EQ(ref::Pixels(&dest), before);
}

TEST(Blit, ClippedOnEveryEdgeInEveryStorageOrder)
{
  std::mt19937 rng(11);
  const int modes[][2] = {{0, 256},       {0, 128}, {0, 77},       {0x10000, 256},
                          {0x10000, 100}, {1, 256}, {2, 200},      {3, 256},
                          {4, 128},       {5, 256}, {0x10001, 90}, {0xF9, 256}};
  const RECT rects[] = {{0, 0, 9, 7}, {-3, -2, 5, 4}, {2, 1, 20, 20}, {4, 3, 6, 5}};
  for (int flips = 0; flips < 4; ++flips)
  {
    auto src = Make(9, 7, flips & 1);
    auto dest = Make(13, 11, flips & 2);
    for (const RECT& r : rects)
      for (int dy : {-8, -3, 0, 5, 9, 11})
        for (int dx : {-9, -4, 0, 3, 8, 12})
          for (auto& m : modes)
          {
            ref::Randomize(src.get(), rng);
            ref::Randomize(dest.get(), rng);
            ExpectBlitMatches(dest.get(), src.get(), dx, dy, &r, m[1] / 256.0f, m[0]);
          }
    ref::Randomize(dest.get(), rng);
    ExpectBlitMatches(dest.get(), src.get(), 2, 3, nullptr, 1.0f, 0);
  }
}

TEST(Blit, RowSpanPaddingIsNeverWritten)
{
  LICE_MemBitmap src(5, 3, 1), dest(5, 3, 8);
  ASSERT_EQ(dest.getRowSpan(), 8);
  std::mt19937 rng(5);
  ref::Randomize(&src, rng);
  for (int i = 0; i < 24; ++i) dest.getBits()[i] = 0xdeadbeef;
  for (int mode : {0, 1, 0x10000})
    for (float alpha : {1.0f, 0.5f, 0.3f})
    {
      LICE_Blit(&dest, &src, -1, 0, nullptr, alpha, mode);
      LICE_Blit(&dest, &src, 1, 0, nullptr, alpha, mode);
    }
  for (int y = 0; y < 3; ++y)
    for (int x = 5; x < 8; ++x) EXPECT_EQ(dest.getBits()[y * 8 + x], 0xdeadbeefu);
}

TEST(Blit, OverlappingSelfBlitReadsTheUntouchedSource)
{
  std::mt19937 rng(21);
  for (bool flipped : {false, true})
  {
    auto bm = Make(16, 12, flipped);
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx)
        for (auto mode : {0, 1, 0x10000})
          for (float alpha : {1.0f, 0.5f, 0.6f})
          {
            ref::Randomize(bm.get(), rng);
            RECT r = {2, 2, 12, 9};
            ExpectBlitMatches(bm.get(), bm.get(), 2 + dx, 2 + dy, &r, alpha, mode);
          }
  }
  // A concrete case: scrolling a ramp right by one.
  LICE_MemBitmap bm(6, 1, 4);
  for (int x = 0; x < 6; ++x) bm.getBits()[x] = (LICE_Pixel)x;
  LICE_Blit(&bm, &bm, 1, 0, 0, 0, 5, 1, 1.0f, 0);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(bm.getBits()[x], (LICE_Pixel)(x ? x - 1 : 0));
}

TEST(Blit, CopyResizesTheDestination)
{
  LICE_MemBitmap src(7, 5, 4), dest(2, 2, 4);
  std::mt19937 rng(9);
  ref::Randomize(&src, rng);
  LICE_Copy(&dest, &src);
  EXPECT_EQ(dest.getWidth(), 7);
  EXPECT_EQ(dest.getHeight(), 5);
  EXPECT_EQ(ref::Pixels(&dest), ref::Pixels(&src));
  LICE_Copy(nullptr, &src);
  LICE_Copy(&dest, nullptr);
}

TEST(Blit, SystemBitmapsBlitLikeMemoryBitmaps)
{
  LICE_SysBitmap sys(10, 6);
  LICE_MemBitmap mem(10, 6, 4);
  std::mt19937 rng(2);
  ref::Randomize(&mem, rng);
  LICE_Blit(&sys, &mem, 0, 0, nullptr, 1.0f, 0);
  EXPECT_EQ(ref::Pixels(&sys), ref::Pixels(&mem));
  ExpectBlitMatches(&sys, &mem, -2, 3, nullptr, 0.4f, 1);
}
