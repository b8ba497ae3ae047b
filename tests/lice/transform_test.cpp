// Rotated blits: identity and quarter turns against a plain copy.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{
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

// An unturned rotated blit and a transform over a 2 x 2 grid of the source
// corners both draw exactly the scaled blit, nearest and bilinear, for the
// listed sizes and seeded random ones (a bilinear reduction of 1.7 or more
// on both axes averages instead, so those take nearest sampling only).
TEST(RotatedBlit, UnturnedAndCornerGridAreTheScaledBlit)
{
  struct Size
  {
    int sw, sh, dw, dh;
  };
  std::vector<Size> sizes = {{1, 1, 1, 1},   {7, 7, 7, 7},     {16, 16, 16, 16},
                             {9, 7, 27, 21}, {16, 12, 30, 21}, {49, 3, 49, 5}};
  std::mt19937 rng(1504);
  for (int i = 0; i < 60; ++i)
    sizes.push_back({1 + (int)(rng() % 40), 1 + (int)(rng() % 40), 1 + (int)(rng() % 120),
                     1 + (int)(rng() % 120)});
  for (const Size& z : sizes)
  {
    GuardedBitmap src(z.sw, z.sh);
    FillPattern(src, (unsigned)(z.sw * 131 + z.dw));
    const bool reduces = z.sw >= 1.7 * z.dw && z.sh >= 1.7 * z.dh;
    for (int mode : {0, kBilinear, kBilinear | 1})
      for (float alpha : {1.0f, 0.75f})
      {
        if (reduces && mode) continue;
        const int x = 3, y = 2, w = z.dw + 5, h = z.dh + 4;
        GuardedBitmap scaled(w, h, false, 0x10203040u), rot(w, h, false, 0x10203040u),
            grid(w, h, true, 0x10203040u);
        LICE_ScaledBlit(&scaled, &src, x, y, z.dw, z.dh, 0.0f, 0.0f, (float)z.sw, (float)z.sh,
                        alpha, mode);
        Rot(rot, &src, x, y, z.dw, z.dh, 0.0f, false, mode, alpha);
        float pts[8] = {0, 0, (float)z.sw, 0, 0, (float)z.sh, (float)z.sw, (float)z.sh};
        LICE_TransformBlit(&grid, &src, x, y, z.dw, z.dh, pts, 2, 2, alpha, mode);
        SCOPED_TRACE(testing::Message() << z.sw << "x" << z.sh << " to " << z.dw << "x" << z.dh
                                        << " mode " << std::hex << mode << " alpha " << alpha);
        EXPECT_TRUE(rot.samePixels(scaled));
        EXPECT_TRUE(grid.samePixels(scaled));
        EXPECT_EQ(scaled.pixelsNot(0x10203040u).size(), (size_t)(z.dw * z.dh));
      }
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
    const std::pair<float, int> turns[] = {{kPi / 2, 1},     {kPi, 2},     {3 * kPi / 2, 3},
                                           {-kPi / 2, 3},    {2 * kPi, 0}, {7 * kPi / 2, 3},
                                           {-7 * kPi / 2, 1}};
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
