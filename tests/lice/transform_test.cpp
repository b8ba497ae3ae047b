// Rotated blits: identity and quarter turns against a plain copy.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
const float kPi = 3.14159265f;
const int kBilinear = LICE_COMBINE_FILTER_BILINEAR;

// A source whose every pixel is distinct and fully opaque.
void FillPattern(GuardedBitmap& bm, unsigned seed)
{
  std::mt19937 rng(seed);
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.at(x, y) = (rng() & 0xffffff00u) | 0xffu;
}

// The whole source into (x, y, w, h), turned by angle, no centre offset.
void Rot(GuardedBitmap& dst, LICE_IBitmap* src, int x, int y, int w, int h, float angle,
         bool clip = false, int mode = 0, float alpha = 1.0f, float cx = 0.0f)
{
  const float sw = src ? (float)src->getWidth() : 1.0f, sh = src ? (float)src->getHeight() : 1.0f;
  LICE_RotatedBlit(&dst, src, x, y, w, h, 0.0f, 0.0f, sw, sh, angle, clip, alpha, mode, cx, 0.0f);
}

// dest(x, y) = src(map(x, y)) for every pixel of an n x n picture.
template <class Map> void ExpectMapped(GuardedBitmap& dest, GuardedBitmap& src, int n, Map map)
{
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x)
    {
      int sx, sy;
      map(x, y, &sx, &sy);
      ASSERT_EQ(dest.at(x, y), src.at(sx, sy))
          << "pixel " << x << "," << y << " should come from " << sx << "," << sy;
    }
}
} // namespace

TEST(RotatedBlit, UnturnedIsThePlainOrScaledBlit)
{
  for (int n : {1, 4, 7, 16})
    for (int mode : {0, kBilinear})
    {
      GuardedBitmap src(n, n), dst(n, n), plain(n, n);
      FillPattern(src, n);
      Rot(dst, &src, 0, 0, n, n, 0.0f, mode != 0, mode);
      LICE_Blit(&plain, &src, 0, 0, nullptr, 1.0f, 0);
      EXPECT_TRUE(dst.samePixels(plain)) << n << " mode " << mode;
    }
  GuardedBitmap src(9, 7);
  FillPattern(src, 17);
  for (int mode : {0, kBilinear, kBilinear | 1})
  {
    GuardedBitmap rot(27, 21, false, 0x10203040u), scaled(27, 21, false, 0x10203040u);
    Rot(rot, &src, 0, 0, 27, 21, 0.0f, false, mode, 0.75f);
    LICE_ScaledBlit(&scaled, &src, 0, 0, 27, 21, 0.0f, 0.0f, 9.0f, 7.0f, 0.75f, mode);
    EXPECT_TRUE(rot.samePixels(scaled)) << std::hex << mode;
    EXPECT_FALSE(rot.pixelsNot(0x10203040u).empty());
  }
}

TEST(RotatedBlit, QuarterTurnsAndMirrorsMoveWholePixels)
{
  for (int n : {2, 5, 8, 31})
  {
    GuardedBitmap src(n, n);
    FillPattern(src, 100 + n);
    const int m = n - 1;
    // Clockwise on screen: a quarter turn brings the left column to the top row.
    const std::pair<float, int> turns[] = {
        {kPi / 2, 1}, {kPi, 2}, {3 * kPi / 2, 3}, {-kPi / 2, 3}, {2 * kPi, 0}};
    for (auto& t : turns)
      for (bool clip : {false, true})
      {
        GuardedBitmap dst(n, n);
        Rot(dst, &src, 0, 0, n, n, t.first, clip);
        SCOPED_TRACE(testing::Message() << "n " << n << " angle " << t.first << " clip " << clip);
        ExpectMapped(dst, src, n,
                     [&](int x, int y, int* sx, int* sy)
                     {
                       const int k = t.second;
                       *sx = k == 0 ? x : k == 1 ? y : k == 2 ? m - x : m - y;
                       *sy = k == 0 ? y : k == 1 ? m - x : k == 2 ? m - y : x;
                     });
      }
  }
  // Mirrored by a negative height.
  GuardedBitmap src(8, 8), mir(8, 8);
  FillPattern(src, 3);
  Rot(mir, &src, 0, 8, 8, -8, 0.0f);
  ExpectMapped(mir, src, 8, [](int x, int y, int* sx, int* sy) { *sx = x, *sy = 7 - y; });
  // A 2x enlargement with a centre offset of one source pixel shows the
  // source shifted one pixel left.
  GuardedBitmap a(16, 16), b(16, 16);
  Rot(a, &src, 0, 0, 16, 16, 0.0f, false, 0, 1.0f, 1.0f);
  LICE_ScaledBlit(&b, &src, 0, 0, 16, 16, 1.0f, 0.0f, 8.0f, 8.0f, 1.0f, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 14; ++x) ASSERT_EQ(a.at(x, y), b.at(x, y)) << x << "," << y;
}
