// Rotated, delta and transform blits: identity and quarter turns against a
// plain copy, clipping to the source, destination clipping, bilinear edges.
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

TEST(RotatedBlit, ClipToSourceLeavesCornersAlone)
{
  GuardedBitmap src(40, 40, false, 0xff0000ffu);
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 30; ++x) src.at(x, y) = 0x00ff00ffu;
  GuardedBitmap clipped(20, 20, false, 0x11111111u), open(20, 20, false, 0x11111111u);
  LICE_RotatedBlit(&clipped, &src, 0, 0, 20, 20, 10.0f, 10.0f, 20.0f, 20.0f, kPi / 4, true, 1.0f, 0,
                   0.0f, 0.0f);
  LICE_RotatedBlit(&open, &src, 0, 0, 20, 20, 10.0f, 10.0f, 20.0f, 20.0f, kPi / 4, false, 1.0f, 0,
                   0.0f, 0.0f);
  EXPECT_EQ(clipped.at(0, 0), 0x11111111u);
  EXPECT_EQ(clipped.at(19, 19), 0x11111111u);
  EXPECT_EQ(clipped.at(10, 10), 0x00ff00ffu);
  EXPECT_EQ(open.at(0, 0), 0xff0000ffu) << "the neighbouring source shows around the turn";
  for (auto& p : clipped.pixelsNot(0x11111111u))
    EXPECT_EQ(clipped.at(p.first, p.second), 0x00ff00ffu);
}

TEST(RotatedBlit, DestinationClippingAndBilinearEdges)
{
  GuardedBitmap src(24, 24);
  FillPattern(src, 9);
  for (int mode : {0, kBilinear})
  {
    GuardedBitmap whole(40, 40), part(30, 30);
    Rot(whole, &src, 6, 9, 24, 24, 0.7f, false, mode);
    Rot(part, &src, -4, -1, 24, 24, 0.7f, false, mode);
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 20; ++x)
        ASSERT_EQ(part.at(x, y), whole.at(x + 10, y + 10)) << x << "," << y << " mode " << mode;
    EXPECT_TRUE(part.guardIntact());
  }
  // The source is the inside of a guarded buffer: a read of a guard pixel
  // would bring its colour (0x5a...) into the result.
  GuardedBitmap white(9, 9, false, 0xffffffffu, 2);
  for (float angle : {0.0f, 0.3f, 1.0f, 2.5f, -0.8f})
  {
    GuardedBitmap dst(30, 30);
    Rot(dst, &white, 0, 0, 30, 30, angle, false, kBilinear);
    const PixelSet lit = dst.pixelsNot(0);
    for (auto& p : lit) ASSERT_EQ(dst.at(p.first, p.second), 0xffffffffu) << angle;
    EXPECT_GT(lit.size(), 200u);
  }
  // Flipped source and destination give the same picture.
  GuardedBitmap fs(9, 9, true), us(9, 9, false), fd(20, 20, true), ud(20, 20, false);
  FillPattern(fs, 4);
  FillPattern(us, 4);
  Rot(fd, &fs, 1, 2, 18, 17, 0.4f, true, kBilinear);
  Rot(ud, &us, 1, 2, 18, 17, 0.4f, true, kBilinear);
  EXPECT_TRUE(fd.samePixels(ud));
}

TEST(RotatedBlit, ModesAndNothingToDraw)
{
  GuardedBitmap src(4, 4, false, 0x80808080u), dst(4, 4, false, 0x20202020u);
  Rot(dst, &src, 0, 0, 4, 4, 0.0f, false, 0, 0.0f);
  Rot(dst, &src, 0, 0, 4, 4, 0.0f, false, 7);
  Rot(dst, &src, 0, 0, 0, 4, 0.0f);
  Rot(dst, nullptr, 0, 0, 4, 4, 0.0f);
  EXPECT_TRUE(dst.pixelsNot(0x20202020u).empty());
  Rot(dst, &src, 0, 0, 4, 4, 0.0f, false, 1);
  EXPECT_TRUE(dst.pixelsNot(0xa0a0a0a0u).empty());
  // Source alpha: a transparent source pixel leaves the destination alone.
  GuardedBitmap sa(2, 1), da(2, 1, false, 0x11223344u);
  sa.at(0, 0) = 0xffffff00u;
  sa.at(1, 0) = 0xffffffffu;
  Rot(da, &sa, 0, 0, 2, 1, 0.0f, false, LICE_COMBINE_USE_SOURCE_ALPHA);
  EXPECT_EQ(da.at(0, 0), 0x11223344u);
  EXPECT_EQ(da.at(1, 0), 0xffffffffu);
}

TEST(DeltaBlit, StepsAndNegativePositions)
{
  GuardedBitmap src(6, 6), dst(6, 6), half(6, 6), bil(6, 6);
  FillPattern(src, 12);
  // Transpose: one pixel right steps down the source.
  LICE_DeltaBlit(&dst, &src, 0, 0, 6, 6, 0.0f, 0.0f, 6.0f, 6.0f, 0.0, 1.0, 1.0, 0.0, 0.0, 0.0,
                 false, 1.0f, 0);
  ExpectMapped(dst, src, 6, [](int x, int y, int* sx, int* sy) { *sx = y, *sy = x; });
  // A start half a pixel left of 0 still samples column 0, and bilinear
  // blends nothing in from left of it.
  LICE_DeltaBlit(&half, &src, 0, 0, 6, 6, -0.5f, 0.0f, 6.0f, 6.0f, 1.0, 0.0, 0.0, 1.0, 0.0, 0.0,
                 false, 1.0f, 0);
  LICE_DeltaBlit(&bil, &src, 0, 0, 6, 6, -0.5f, 0.0f, 6.0f, 6.0f, 1.0, 0.0, 0.0, 1.0, 0.0, 0.0,
                 false, 1.0f, kBilinear);
  EXPECT_EQ(half.at(0, 0), src.at(0, 0));
  EXPECT_EQ(half.at(1, 0), src.at(0, 0));
  EXPECT_EQ(half.at(2, 0), src.at(1, 0));
  EXPECT_EQ(bil.at(0, 0), src.at(0, 0));
}

TEST(TransformBlit, CornerGridIsAScaledBlitAndWarpedCellsClipConsistently)
{
  GuardedBitmap src(10, 8);
  FillPattern(src, 21);
  float pts[] = {0.0f, 0.0f, 10.0f, 0.0f, 0.0f, 8.0f, 10.0f, 8.0f};
  double dpts[] = {0.0, 0.0, 10.0, 0.0, 0.0, 8.0, 10.0, 8.0};
  std::vector<float> fine; // a finer grid of the same mapping
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 6; ++c) fine.insert(fine.end(), {c * 2.0f, r * 2.0f});
  GuardedBitmap t(25, 20), t2(25, 20), f(25, 20), s(25, 20), none(25, 20);
  LICE_TransformBlit(&t, &src, 2, 3, 20, 16, pts, 2, 2, 1.0f, 0);
  LICE_TransformBlit2(&t2, &src, 2, 3, 20, 16, dpts, 2, 2, 1.0f, 0);
  LICE_TransformBlit(&f, &src, 2, 3, 20, 16, fine.data(), 6, 5, 1.0f, 0);
  LICE_ScaledBlit(&s, &src, 2, 3, 20, 16, 0.0f, 0.0f, 10.0f, 8.0f, 1.0f, 0);
  EXPECT_TRUE(t.samePixels(s));
  EXPECT_TRUE(t2.samePixels(s));
  EXPECT_TRUE(f.samePixels(s));
  LICE_TransformBlit(&none, &src, 2, 3, 20, 16, pts, 1, 2, 1.0f, 0);
  LICE_TransformBlit(&none, &src, 2, 3, 0, 16, pts, 2, 2, 1.0f, 0);
  LICE_TransformBlit(&none, &src, 2, 3, 20, 16, pts, 2, 2, 0.0f, 0);
  EXPECT_TRUE(none.pixelsNot(0).empty());

  // One corner pulled in: the cell is warped, not affine.
  GuardedBitmap big(16, 16);
  FillPattern(big, 33);
  double warp[] = {0.0, 0.0, 16.0, 0.0, 0.0, 16.0, 9.0, 11.0};
  GuardedBitmap whole(40, 40), part(30, 30);
  LICE_TransformBlit2(&whole, &big, 10, 10, 20, 20, warp, 2, 2, 1.0f, 0);
  LICE_TransformBlit2(&part, &big, -3, -5, 20, 20, warp, 2, 2, 1.0f, 0);
  EXPECT_EQ(whole.at(10, 10), big.at(0, 0));
  EXPECT_NE(whole.at(29, 29), big.at(15, 15)) << "the pulled corner samples inside the source";
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 17; ++x)
      ASSERT_EQ(part.at(x, y), whole.at(x + 13, y + 15)) << x << "," << y;
  EXPECT_TRUE(part.guardIntact());
}
