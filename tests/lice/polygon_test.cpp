// Trapezoid, convex polygon and triangle fills: edge ownership, clipping
// and vertex order.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace
{
// Rows y0..y1, each from column x0 to x0 + row * dx .. x1 + row * dx1.
PixelSet Rows(int y0, int y1, int x0, int x1, int dx1 = 0)
{
  PixelSet s;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1 + (y - y0) * dx1; ++x) s.insert({x, y});
  return s;
}
} // namespace

TEST(Trapezoid, EdgeOwnershipInAnyOrder)
{
  struct Case
  {
    const char* what;
    int t[6];
    PixelSet want;
  } cases[] = {
      {"one row", {2, 5, 3, 2, 5, 3}, Rows(3, 3, 2, 5)},
      {"one row, ends swapped", {5, 2, 3, 5, 2, 3}, Rows(3, 3, 2, 5)},
      {"a one-row trapezoid ignores the second row", {2, 5, 3, 40, 90, 3}, Rows(3, 3, 2, 5)},
      // Left edge: step 21845 keeps column 0 in all rows. Right edge from
      // column 3 (exclusive) by 2 per row.
      {"slanted", {0, 2, 0, 1, 8, 3}, Rows(0, 3, 0, 2, 2)},
      {"slanted, bottom row first", {1, 8, 3, 0, 2, 0}, Rows(0, 3, 0, 2, 2)},
  };
  for (auto& c : cases)
  {
    GuardedBitmap bm(10, 10);
    LICE_FillTrapezoid(&bm, c.t[0], c.t[1], c.t[2], c.t[3], c.t[4], c.t[5], kWhite, 1.0f, 0);
    EXPECT_EQ(bm.pixelsNot(0), c.want) << c.what;
  }
  // The trapezoid addresses stored rows: row 0 of a flipped bitmap is its
  // bottom picture row.
  GuardedBitmap t(4, 4, true);
  LICE_FillTrapezoid(&t, 0, 3, 0, 0, 3, 0, kWhite, 1.0f, 0);
  EXPECT_EQ(t.pixelsNot(0), Rows(3, 3, 0, 3));
}

TEST(Trapezoid, ClippingKeepsTheEdgesOfTheUnclippedShape)
{
  GuardedBitmap tall(30, 30), clipped(30, 5);
  LICE_FillTrapezoid(&tall, 3, 8, 0, 17, 25, 20, kWhite, 1.0f, 0);
  LICE_FillTrapezoid(&clipped, 3, 8, -10, 17, 25, 10, kWhite, 1.0f, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 30; ++x) EXPECT_EQ(clipped.at(x, y), tall.at(x, y + 10)) << x << "," << y;
  EXPECT_TRUE(clipped.guardIntact());

  GuardedBitmap side(20, 4);
  LICE_FillTrapezoid(&side, -100, 4, 0, -50, 6, 3, kWhite, 1.0f, 0);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(side.at(0, y), kWhite);
  LICE_FillTrapezoid(&side, 15, 40, 0, 16, 40, 3, kWhite, 1.0f, 0);
  EXPECT_EQ(side.at(19, 2), kWhite);
  EXPECT_TRUE(side.guardIntact());

  GuardedBitmap none(10, 10);
  LICE_FillTrapezoid(&none, -9, -1, 0, -20, -2, 9, kWhite, 1.0f, 0);
  LICE_FillTrapezoid(&none, 10, 20, 0, 12, 20, 9, kWhite, 1.0f, 0);
  LICE_FillTrapezoid(&none, 0, 9, -20, 0, 9, -1, kWhite, 1.0f, 0);
  LICE_FillTrapezoid(&none, 0, 9, 10, 0, 9, 30, kWhite, 1.0f, 0);
  // Rows far above the bitmap with a steep edge: exact skip, no overflow.
  // Its truncated right edge falls ever further behind over 2e9 rows: by
  // the bitmap it lies far left of column 0.
  LICE_FillTrapezoid(&none, -2000000000, -1999999990, -2000000000, 3, 5, 9, 0x01010101u, 1.0f, 1);
  EXPECT_TRUE(none.guardIntact());
  EXPECT_TRUE(none.pixelsNot(0).empty());
}

TEST(Polygon, TriangleAndDegenerateShapesExactly)
{
  GuardedBitmap bm(10, 10);
  LICE_FillTriangle(&bm, 0, 0, 4, 0, 0, 4, kWhite, 1.0f, 0);
  PixelSet expected;
  for (int k = 0; k <= 4; ++k)
    for (int x = 0; x <= 4 - k; ++x) expected.insert({x, k});
  EXPECT_EQ(bm.pixelsNot(0), expected);

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

TEST(Polygon, VertexOrderAndOutlinePointsDoNotMatterAndNoPixelIsFilledTwice)
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

  // A square given by 600 points along its outline fills like its corners.
  std::vector<int> bx, by;
  for (int i = 0; i < 150; ++i)
  {
    const int t = i * 20 / 150;
    bx.insert(bx.end(), {4 + t, 24, 24 - t, 4});
    by.insert(by.end(), {4, 4 + t, 24, 24 - t});
  }
  GuardedBitmap big(30, 30);
  LICE_FillConvexPolygon(&big, bx.data(), by.data(), (int)bx.size(), kWhite, 1.0f, 0);
  EXPECT_EQ(big.pixelsNot(0), Rows(4, 24, 4, 24));
}
