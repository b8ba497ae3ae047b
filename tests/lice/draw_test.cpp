// Exact pixels of the drawing calls without a plain reference: lines (end
// points, clipping at every edge, the whole-word copy paths), circles, discs
// and quarter arcs (the midpoint walk and the mask, symmetry, single
// coverage), trapezoid, triangle and polygon fills (edge ownership,
// clipping, vertex order), gradients that run past the channel range and
// quarter turns of rotated blits. Far-off and extreme arguments are in the
// robustness test; unturned and mirrored rotated blits and transform blits
// are compared with the reference in the random-operation test.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>

namespace
{
// The lit pixels, after checking that each was combined once (add mode of
// 0x10101010) and that they are symmetric about (20, 20).
PixelSet LitOnceSymmetric(GuardedBitmap& bm)
{
  const PixelSet lit = bm.pixelsNot(0);
  PixelSet mirrored;
  for (auto& p : lit)
  {
    EXPECT_EQ(bm.at(p.first, p.second), 0x10101010u) << p.first << "," << p.second;
    mirrored.insert({40 - p.first, 40 - p.second});
    EXPECT_TRUE(lit.count({40 - p.first, p.second})) << p.first << "," << p.second;
  }
  EXPECT_EQ(mirrored, lit);
  return lit;
}

// Rows y0..y1, each from column x0 to x1 + row * dx1.
PixelSet Rows(int y0, int y1, int x0, int x1, int dx1 = 0)
{
  PixelSet s;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1 + (y - y0) * dx1; ++x) s.insert({x, y});
  return s;
}

// A source whose every pixel is distinct and fully opaque.
void FillPattern(GuardedBitmap& bm, unsigned seed)
{
  std::mt19937 rng(seed);
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.at(x, y) = (rng() & 0xffffff00u) | 0xffu;
}
} // namespace

TEST(Line, ExactPixelsEachCombinedOnceEitherDirection)
{
  GuardedBitmap a(20, 20), b(20, 20);
  LICE_Line(&a, 0, 0, 5, 2, kWhite, 1.0f, 0, false);
  LICE_Line(&b, 5, 2, 0, 0, kWhite, 1.0f, 0, false);
  const PixelSet expected = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
  EXPECT_EQ(a.pixelsNot(0), expected);
  EXPECT_EQ(b.pixelsNot(0), expected);
  // Add mode at a small weight shows any pixel combined twice.
  const int lines[][4] = {{0, 0, 17, 5},  {3, 19, 9, 0},  {2, 2, 2, 12}, {1, 7, 15, 7},
                          {4, 4, 12, 12}, {12, 4, 4, 12}, {0, 0, 16, 1}, {3, 4, 3, 4}};
  for (auto& l : lines)
  {
    GuardedBitmap bm(20, 20);
    LICE_Line(&bm, l[0], l[1], l[2], l[3], LICE_RGBA(64, 64, 64, 64), 0.25f, 1, false);
    const PixelSet lit = bm.pixelsNot(0);
    SCOPED_TRACE(testing::Message() << l[0] << "," << l[1] << "-" << l[2] << "," << l[3]);
    EXPECT_EQ((int)lit.size(), std::max(std::abs(l[2] - l[0]), std::abs(l[3] - l[1])) + 1);
    for (auto& p : lit) EXPECT_EQ(bm.at(p.first, p.second), 0x10101010u);
    EXPECT_TRUE(lit.count({l[0], l[1]}) && lit.count({l[2], l[3]}));
  }
}

TEST(Line, CopyWeightsAndNothingToDraw)
{
  // Line ending at (x, 0) from (0, 0) (a diagonal when diag), background,
  // colour, alpha, mode, and the pixel at (probe, probe or 0) afterwards.
  const std::tuple<int, bool, LICE_Pixel, LICE_Pixel, float, int, int, LICE_Pixel> cases[] = {
      {0, false, kWhite, 0x12345678u, 1.0f, 0, 0, 0x12345678u}, // alpha byte included
      // Alpha 0.5: horizontal runs mix whole words (255 and 255 give 254),
      // diagonals go through the per-channel half mix (255 stays 255).
      {7, false, kWhite, kWhite, 0.5f, 0, 4, 0xfefefefeu},
      {6, true, kWhite, kWhite, 0.5f, 0, 2, kWhite},
      {7, false, 0, kWhite, 0.25f, 0, 2, 0x3f3f3f3fu},
      {7, false, 0, kWhite, 0.75f, 0, 2, 0xbebebebeu},
      {7, false, 0, 0x01020304u, 1.001f, 0, 7, 0x01020304u}, // per-channel, weight 256
      // A negative weight passes unchanged in the other modes (add subtracts).
      {7, false, 0x80808080u, kWhite, -0.5f, 1, 4, 0x01010101u},
      // Zero weight, negative copy, unknown mode: nothing.
      {7, true, 0, kWhite, 0.003f, 0, 0, 0},
      {7, true, 0, kWhite, -0.5f, 0, 0, 0},
      {7, true, 0, kWhite, 1.0f, 6, 0, 0},
  };
  for (auto [x, diag, bg, color, alpha, mode, probe, want] : cases)
  {
    GuardedBitmap bm(8, 8, false, bg);
    LICE_Line(&bm, 0, 0, x, diag ? x : 0, color, alpha, mode, false);
    EXPECT_EQ(bm.at(probe, diag ? probe : 0), want) << "alpha " << alpha << " mode " << mode;
    EXPECT_TRUE(want || bm.pixelsNot(0).empty()) << "alpha " << alpha;
  }
}

TEST(Line, ClippingAtEveryEdge)
{
  // The line, and the line that is drawn of it in a 10 x 10 bitmap.
  const int cases[][8] = {
      {0, 0, 10, 20, 0, 0, 5, 9},                  // leaves through the bottom
      {-5, 5, 15, 5, 0, 5, 9, 5},                  // both sides
      {5, -10, 5, 30, 5, 0, 5, 9},                 // top and bottom
      {-4, 0, 6, 10, 0, 4, 6, 9},                  // left edge, then bottom
      {12, 3, 2, 3, 9, 3, 2, 3},                   // right edge
      {3, -6, 9, 0, 9, 0, 9, 0},                   // top edge
      {-3, 0, 12, 15, 0, 3, 7, 9},                 // a diagonal clipped into a general line
      {-2000000000, 5, 2000000000, 5, 0, 5, 9, 5}, // no overflow
  };
  for (auto& c : cases)
  {
    GuardedBitmap clipped(10, 10), direct(10, 10);
    LICE_Line(&clipped, c[0], c[1], c[2], c[3], kWhite, 1.0f, 0, false);
    LICE_Line(&direct, c[4], c[5], c[6], c[7], kWhite, 1.0f, 0, false);
    EXPECT_TRUE(clipped.samePixels(direct)) << c[0] << "," << c[1];
    // LICE_ClipLine gives the same ends, with limits moved by 10.
    int p[4] = {c[0] + 10, c[1] + 10, c[2] + 10, c[3] + 10};
    EXPECT_TRUE(LICE_ClipLine(&p[0], &p[1], &p[2], &p[3], 10, 10, 20, 20));
    EXPECT_EQ(std::vector<int>(p, p + 4),
              (std::vector<int>{c[4] + 10, c[5] + 10, c[6] + 10, c[7] + 10}));
  }
  int x1 = -10, y1 = 2, x2 = 20, y2 = -28;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
}

TEST(Circle, MidpointOutlineExactPixels)
{
  const PixelSet expected = {{10, 7}, {13, 10}, {10, 13}, {7, 10}, {9, 7},  {9, 13},
                             {11, 7}, {11, 13}, {7, 9},   {7, 11}, {13, 9}, {13, 11},
                             {8, 8},  {8, 12},  {12, 8},  {12, 12}};
  GuardedBitmap walk(24, 24), mask(24, 24);
  LICE_Circle(&walk, 10.0f, 10.0f, 3.1f, 0x20202020u, 1.0f, 1, false); // drawn by the walk
  LICE_Circle(&mask, 10.0f, 10.0f, 3.0f, kWhite, 1.0f, 0, false);      // drawn from the mask
  EXPECT_EQ(walk.pixelsNot(0), expected);
  for (auto& p : expected) EXPECT_EQ(walk.at(p.first, p.second), 0x20202020u) << "combined once";
  EXPECT_EQ(mask.pixelsNot(0), expected);
  GuardedBitmap tiny(8, 8);
  LICE_Circle(&tiny, 4.0f, 4.0f, 0.3f, 0x10101010u, 1.0f, 1, false);
  EXPECT_EQ(tiny.pixelsNot(0), (PixelSet{{4, 4}}));
  EXPECT_EQ(tiny.at(4, 4), 0x40404040u) << "the four axis points coincide";
}

// Discs within their radius; outlines, anti-aliased ones wider; four
// quarter arcs tile the outline.
TEST(Circle, DiscsOutlinesAndQuarterArcsCoverEachPixelOnceSymmetrically)
{
  for (int r = 1; r <= 12; ++r)
  {
    SCOPED_TRACE(testing::Message() << "radius " << r);
    GuardedBitmap bm(40, 40);
    LICE_FillCircle(&bm, 20.0f, 20.0f, (float)r, 0x10101010u, 1.0f, 1, false);
    const PixelSet lit = LitOnceSymmetric(bm);
    for (auto& p : lit) EXPECT_LE(std::hypot(p.first - 20, p.second - 20), r + 0.5);
    EXPECT_TRUE(r != 1 || lit == PixelSet({{20, 19}, {19, 20}, {20, 20}, {21, 20}, {20, 21}}));
  }
  for (float r : {5.2f, 6.0f, 9.4f, 9.6f, 15.0f})
  {
    SCOPED_TRACE(testing::Message() << "outline radius " << r);
    GuardedBitmap plain(40, 40), aa(40, 40), quarters(40, 40);
    LICE_Circle(&plain, 20.0f, 20.0f, r, 0x10101010u, 1.0f, 1, false);
    LICE_Circle(&aa, 20.0f, 20.0f, r, kWhite, 1.0f, 0, true);
    for (int i = 0; i < 4; ++i)
      LICE_Arc(&quarters, 20.0f, 20.0f, r, i * kPi / 2, (i + 1) * kPi / 2, 0x10101010u, 1.0f, 1,
               false);
    const PixelSet lit = LitOnceSymmetric(plain), alit = aa.pixelsNot(0);
    EXPECT_TRUE(quarters.samePixels(plain));
    for (auto& p : alit) EXPECT_TRUE(alit.count({40 - p.first, p.second}));
    EXPECT_GT(alit.size(), lit.size());
  }
}

TEST(Trapezoid, EdgeOwnershipInAnyOrder)
{
  const std::tuple<const char*, std::array<int, 6>, PixelSet> cases[] = {
      {"one row", {2, 5, 3, 2, 5, 3}, Rows(3, 3, 2, 5)},
      {"one row, ends swapped", {5, 2, 3, 5, 2, 3}, Rows(3, 3, 2, 5)},
      {"a one-row trapezoid ignores the second row", {2, 5, 3, 40, 90, 3}, Rows(3, 3, 2, 5)},
      // Left edge: step 21845 keeps column 0 in all rows. Right edge from
      // column 3 (exclusive) by 2 per row.
      {"slanted", {0, 2, 0, 1, 8, 3}, Rows(0, 3, 0, 2, 2)},
      {"slanted, bottom row first", {1, 8, 3, 0, 2, 0}, Rows(0, 3, 0, 2, 2)},
  };
  for (auto& [what, t, want] : cases)
  {
    GuardedBitmap bm(10, 10);
    LICE_FillTrapezoid(&bm, t[0], t[1], t[2], t[3], t[4], t[5], kWhite, 1.0f, 0);
    EXPECT_EQ(bm.pixelsNot(0), want) << what;
  }
  // The trapezoid addresses stored rows: row 0 of a flipped bitmap is its
  // bottom picture row.
  GuardedBitmap t(4, 4, true);
  LICE_FillTrapezoid(&t, 0, 3, 0, 0, 3, 0, kWhite, 1.0f, 0);
  EXPECT_EQ(t.pixelsNot(0), Rows(3, 3, 0, 3));
}

TEST(Trapezoid, ClippingKeepsTheEdgesOfTheUnclippedShape)
{
  GuardedBitmap tall(30, 30), clipped(30, 5), none(10, 10);
  LICE_FillTrapezoid(&tall, 3, 8, 0, 17, 25, 20, kWhite, 1.0f, 0);
  LICE_FillTrapezoid(&clipped, 3, 8, -10, 17, 25, 10, kWhite, 1.0f, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 30; ++x) EXPECT_EQ(clipped.at(x, y), tall.at(x, y + 10)) << x << "," << y;

  // Rows far above the bitmap with a steep edge: exact skip, no overflow.
  // Its truncated right edge falls ever further behind over 2e9 rows: by
  // the bitmap it lies far left of column 0.
  LICE_FillTrapezoid(&none, -2000000000, -1999999990, -2000000000, 3, 5, 9, 0x01010101u, 1.0f, 1);
  EXPECT_TRUE(none.pixelsNot(0).empty());
}

TEST(Polygon, TriangleAndDegenerateShapesExactly)
{
  GuardedBitmap bm(10, 10);
  LICE_FillTriangle(&bm, 0, 0, 4, 0, 0, 4, kWhite, 1.0f, 0);
  EXPECT_EQ(bm.pixelsNot(0), Rows(0, 4, 0, 4, -1));

  GuardedBitmap flat(10, 10), two(10, 10);
  const int fx[] = {7, -3, 4}, fy[] = {5, 5, 5};
  LICE_FillConvexPolygon(&flat, fx, fy, 3, kWhite, 1.0f, 0);
  EXPECT_EQ(flat.pixelsNot(0), Rows(5, 5, 0, 7));
  LICE_FillConvexPolygon(&two, fx, fy, 2, kWhite, 1.0f, 0);
  LICE_FillConvexPolygon(nullptr, fx, fy, 3, kWhite, 1.0f, 0);
  EXPECT_TRUE(two.pixelsNot(0).empty());

  // A non-convex outline fills its outer triangle.
  const int nx[] = {0, 5, 10, 5}, ny[] = {0, 4, 0, 10};
  GuardedBitmap nc(12, 12), tri(12, 12);
  LICE_FillConvexPolygon(&nc, nx, ny, 4, kWhite, 1.0f, 0);
  LICE_FillTriangle(&tri, 0, 0, 10, 0, 5, 10, kWhite, 1.0f, 0);
  EXPECT_TRUE(nc.samePixels(tri));
}

TEST(Polygon, VertexOrderDoesNotMatterAndNoPixelIsFilledTwice)
{
  const int xs[] = {3, 20, 27, 22, 8, 1}, ys[] = {2, 0, 9, 21, 24, 12};
  GuardedBitmap once(30, 30);
  LICE_FillConvexPolygon(&once, xs, ys, 6, 0x10101010u, 1.0f, 1);
  const PixelSet lit = once.pixelsNot(0);
  EXPECT_TRUE(lit.size() > 300u && lit.count({3, 2}) && lit.count({8, 24}));
  for (auto& p : lit) ASSERT_EQ(once.at(p.first, p.second), 0x10101010u);
  std::mt19937 rng(7);
  std::vector<int> idx = {0, 1, 2, 3, 4, 5};
  for (int round = 0; round < 20; ++round)
  {
    std::shuffle(idx.begin(), idx.end(), rng);
    int px[6], py[6];
    for (int i = 0; i < 6; ++i) px[i] = xs[idx[i]], py[i] = ys[idx[i]];
    GuardedBitmap bm(30, 30);
    LICE_FillConvexPolygon(&bm, px, py, 6, 0x10101010u, 1.0f, 1);
    EXPECT_TRUE(bm.samePixels(once)) << "round " << round;
  }
}

// A gradient keeps its slope up to where a channel saturates, however far
// past the channel range it runs.
TEST(GradRect, RunsPastTheChannelRangeSaturateWithoutBending)
{
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const LICE_Pixel grey = LICE_RGBA(200, 200, 200, 200);
  struct Case
  {
    const char* what;
    int g[6]; // bitmap width, height, flipped; rectangle x, y (to the far edges); mode
    LICE_Pixel bg;
    float v[12]; // start r, g, b, a; changes per pixel across; changes per row down
    std::vector<std::tuple<int, int, LICE_Pixel>> want;
  };
  const Case cases[] = {
      // Green is 127.5 at x 10.
      {"red by 2, green by 12.75 a pixel",
       {200, 1, 0, 0, 0, 0},
       0,
       {0, 0, 0, 1, 2 / 255.0f, 12.75f / 255, 0, 0, 0, 0, 0, 0},
       {{10, 0, LICE_RGBA(20, 127, 0, 255)},
        {20, 0, LICE_RGBA(40, 255, 0, 255)},
        {100, 0, LICE_RGBA(200, 255, 0, 255)},
        {127, 0, LICE_RGBA(254, 255, 0, 255)},
        {128, 0, LICE_RGBA(255, 255, 0, 255)}}},
      // Started 100 rows up at -5.0: the first visible row is 0. Green's
      // change across a 1-wide rectangle steps only past its edge.
      {"red by 12.75 a row, bottom-up, clipped at the top",
       {1, 30, 1, 0, -100, 0},
       0,
       {-5, -128.5f, 0, 1, 0, 257, 0, 0, 12.75f / 255, 0, 0, 0},
       {{0, 0, LICE_RGBA(0, 0, 0, 255)},
        {0, 10, LICE_RGBA(127, 0, 0, 255)},
        {0, 20, LICE_RGBA(255, 0, 0, 255)}}},
      // 0 + 510 * 128 / 256 = 255; alpha 40 + 128 * 128 / 256.
      {"red 2.0 added at alpha 0.5",
       {4, 1, 0, 0, 0, 1},
       LICE_RGBA(0, 20, 30, 40),
       {2, 0, 0, 0.5f, 0, 0, 0, 0, 0, 0, 0, 0},
       {{3, 0, LICE_RGBA(255, 20, 30, 104)}}},
      // Red copied onto black: weight 128 gives 255 - 255 * 128 / 256, alpha
      // 128 - 128 * 128 / 256; from weight 256 on, opaque red.
      {"alpha by 1/8 a pixel",
       {12, 1, 0, 0, 0, 0},
       0,
       {1, 0, 0, 0, 0, 0, 0, 0.125f, 0, 0, 0, 0},
       {{4, 0, LICE_RGBA(128, 0, 0, 64)},
        {8, 0, LICE_RGBA(255, 0, 0, 255)},
        {11, 0, LICE_RGBA(255, 0, 0, 255)}}},
      // Even at weight 1 +-1e9 covers the channel range; blue and alpha are
      // 0 + 200 * 255 / 256 and 1 + 199 * 255 / 256.
      {"red 1e9, green -1e9 at alpha 1/256",
       {3, 1, 0, 0, 0, 0},
       grey,
       {1e9f, -1e9f, 0, 1 / 256.0f, 0, 0, 0, 0, 0, 0, 0, 0},
       {{2, 0, LICE_RGBA(255, 0, 199, 199)}}},
      {"changes of +-1e9 across, +inf down",
       {20, 3, 0, 0, 0, 0},
       0,
       {0, 1, 0, 1, 1e9f, -1e9f, 0, 0, 0, 0, inf, 0},
       {{0, 0, LICE_RGBA(0, 255, 0, 255)},
        {1, 0, LICE_RGBA(255, 0, 0, 255)},
        {19, 0, LICE_RGBA(255, 0, 0, 255)},
        {0, 1, LICE_RGBA(0, 255, 255, 255)},
        {19, 2, LICE_RGBA(255, 0, 255, 255)}}},
      // NaN counts as -inf: a NaN start stays at 0 under any change, a NaN
      // change drops to 0 after the first pixel.
      {"NaN start and change",
       {5, 1, 0, 0, 0, 0},
       0,
       {nan, 100 / 255.0f, 0, 1, 1e9f, nan, 0, 0, 0, 0, 0, 0},
       {{0, 0, LICE_RGBA(0, 100, 0, 255)}, {4, 0, LICE_RGBA(0, 0, 0, 255)}}},
  };
  for (auto& c : cases)
  {
    GuardedBitmap bm(c.g[0], c.g[1], c.g[2], c.bg);
    const float* v = c.v;
    LICE_GradRect(&bm, c.g[3], c.g[4], c.g[0] - c.g[3], c.g[1] - c.g[4], v[0], v[1], v[2], v[3],
                  v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], c.g[5]);
    EXPECT_TRUE(bm.guardIntact()) << c.what;
    for (auto [x, y, want] : c.want)
      EXPECT_EQ(bm.at(x, y), want) << c.what << " at " << x << "," << y << std::hex << ": 0x"
                                   << bm.at(x, y) << " instead of 0x" << want;
  }
}

TEST(RotatedBlit, QuarterTurnsMoveWholePixelsAndTheCentreOffsetShifts)
{
  for (int n : {2, 5, 8, 31})
  {
    GuardedBitmap src(n, n);
    FillPattern(src, 100 + n);
    const int m = n - 1;
    // Angle and quarter turns: clockwise on screen, a quarter turn brings
    // the left column to the top row.
    const std::pair<float, int> turns[] = {{kPi / 2, 1},     {kPi, 2},     {3 * kPi / 2, 3},
                                           {-kPi / 2, 3},    {2 * kPi, 0}, {7 * kPi / 2, 3},
                                           {-7 * kPi / 2, 1}};
    for (auto [angle, k] : turns)
      for (bool clip : {false, true})
      {
        GuardedBitmap dst(n, n);
        LICE_RotatedBlit(&dst, &src, 0, 0, n, n, 0, 0, n, n, angle, clip, 1.0f, 0, 0, 0);
        for (int y = 0; y < n; ++y)
          for (int x = 0; x < n; ++x)
          {
            const int sx = k == 0 ? x : k == 1 ? y : k == 2 ? m - x : m - y;
            const int sy = k == 0 ? y : k == 1 ? m - x : k == 2 ? m - y : x;
            ASSERT_EQ(dst.at(x, y), src.at(sx, sy))
                << "n " << n << " angle " << angle << " clip " << clip << " at " << x << "," << y;
          }
      }
  }
  // A 2x enlargement with a centre offset of one source pixel shows the
  // source shifted one pixel left.
  GuardedBitmap src(8, 8), a(16, 16), b(16, 16);
  FillPattern(src, 3);
  LICE_RotatedBlit(&a, &src, 0, 0, 16, 16, 0, 0, 8, 8, 0, false, 1.0f, 0, 1.0f, 0);
  LICE_ScaledBlit(&b, &src, 0, 0, 16, 16, 1.0f, 0.0f, 8.0f, 8.0f, 1.0f, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 14; ++x) ASSERT_EQ(a.at(x, y), b.at(x, y)) << x << "," << y;
}
