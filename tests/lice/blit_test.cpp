// Unscaled blits: clipping on every edge, flipped bitmaps, self-blits,
// channel copies, against the plain reference.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace
{
void ExpectBlitMatches(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* r,
                       float alpha, int mode)
{
  ASSERT_TRUE(ref::SameAsReference(
      dest, src, [&] { LICE_Blit(dest, src, dstx, dsty, r, alpha, mode); },
      [&] { ref::Blit(dest, src, dstx, dsty, r, alpha, mode); }))
      << "at " << dstx << "," << dsty << " alpha " << alpha << " mode " << mode << " rect "
      << (r ? r->left : 0) << "," << (r ? r->top : 0) << "," << (r ? r->right : 0) << ","
      << (r ? r->bottom : 0);
}
} // namespace

TEST(Blit, ExactPixels)
{
  const LICE_Pixel s0 = LICE_RGBA(10, 20, 30, 0), s1 = LICE_RGBA(40, 50, 60, 255),
                   d = LICE_RGBA(1, 2, 3, 4);
  struct Case
  {
    const char* what;
    int left;
    float alpha;
    int mode;
    LICE_Pixel want[3];
  } cases[] = {
      {"plain copy copies alpha 0", 0, 1.0f, 0, {s0, s1, d}},
      {"source alpha skips transparent", 0, 1.0f, 0x10000, {d, s1, d}},
      {"negative source left shifts", -1, 1.0f, 0, {d, s0, s1}},
      {"red into alpha", 0, 1.0f, 0xF1, {LICE_RGBA(1, 2, 3, 10), LICE_RGBA(1, 2, 3, 40), d}},
      {"at any alpha", 0, -1.0f, 0xF1, {LICE_RGBA(1, 2, 3, 10), LICE_RGBA(1, 2, 3, 40), d}},
      {"alpha into blue",
       0,
       0.25f,
       0xF0 + 3 * 4,
       {LICE_RGBA(1, 2, 0, 4), LICE_RGBA(1, 2, 255, 4), d}},
  };
  LICE_MemBitmap src(2, 1, 4), dest(3, 1, 4);
  src.getBits()[0] = s0;
  src.getBits()[1] = s1;
  for (auto& c : cases)
  {
    LICE_Clear(&dest, d);
    RECT r = {c.left, 0, 2, 1};
    LICE_Blit(&dest, &src, 0, 0, &r, c.alpha, c.mode);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dest.getBits()[x], c.want[x]) << c.what << ", " << x;
  }
}

TEST(Blit, NothingForNullEmptyOffOrZeroAlpha)
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
    auto src = ref::Make(9, 7, flips & 1);
    auto dest = ref::Make(13, 11, flips & 2);
    for (const RECT& r : rects)
      for (int dy : {-8, -3, 0, 5, 9, 11})
        for (int dx : {-9, -4, 0, 3, 8, 12})
          for (auto& m : modes)
          {
            ref::Randomize(src.get(), rng);
            ref::Randomize(dest.get(), rng);
            ExpectBlitMatches(dest.get(), src.get(), dx, dy, &r, m[1] / 256.0f, m[0]);
          }
    ExpectBlitMatches(dest.get(), src.get(), 2, 3, nullptr, 1.0f, 0);
  }
  // System bitmaps blit like memory bitmaps.
  LICE_SysBitmap sys(10, 6);
  LICE_MemBitmap mem(10, 6, 4);
  ref::Randomize(&mem, rng);
  ExpectBlitMatches(&sys, &mem, 0, 0, nullptr, 1.0f, 0);
  ExpectBlitMatches(&sys, &mem, -2, 3, nullptr, 0.4f, 1);
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
    auto bm = ref::Make(16, 12, flipped);
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
  // Scrolling a ramp right by one.
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
  EXPECT_EQ(ref::Pixels(&dest), ref::Pixels(&src));
  LICE_Copy(nullptr, &src);
  LICE_Copy(&dest, nullptr);
}
