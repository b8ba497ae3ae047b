// Trapezoid, convex polygon and triangle fills: edge ownership, clipping,
// vertex order, flipped bitmaps and the whole-word copy weights.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace
{
const LICE_Pixel kWhite = 0xffffffffu;

PixelSet Rect(int x0, int y0, int x1, int y1)
{
  PixelSet s;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) s.insert({x, y});
  return s;
}
} // namespace

TEST(Trapezoid, OneRowBothEndsIncludedInAnyOrder)
{
  GuardedBitmap a(10, 10), b(10, 10), c(10, 10);
  LICE_FillTrapezoid(&a, 2, 5, 3, 2, 5, 3, kWhite, 1.0f, 0);
  LICE_FillTrapezoid(&b, 5, 2, 3, 5, 2, 3, kWhite, 1.0f, 0);
  LICE_FillTrapezoid(&c, 2, 5, 3, 40, 90, 3, kWhite, 1.0f, 0);
  EXPECT_EQ(a.pixelsNot(0), Rect(2, 3, 5, 3));
  EXPECT_EQ(b.pixelsNot(0), Rect(2, 3, 5, 3));
  EXPECT_EQ(c.pixelsNot(0), Rect(2, 3, 5, 3)) << "a one-row trapezoid ignores the second row";
}

TEST(Trapezoid, SlantedEdgesTruncateTowardTheirStart)
{
  GuardedBitmap bm(10, 10);
  LICE_FillTrapezoid(&bm, 0, 2, 0, 1, 8, 3, kWhite, 1.0f, 0);
  // Left edge: step 21845 keeps column 0 in all rows. Right edge from
  // column 3 (exclusive) by 2 per row.
  PixelSet expected = Rect(0, 0, 2, 0);
  for (auto& p : Rect(0, 1, 4, 1)) expected.insert(p);
  for (auto& p : Rect(0, 2, 6, 2)) expected.insert(p);
  for (auto& p : Rect(0, 3, 8, 3)) expected.insert(p);
  EXPECT_EQ(bm.pixelsNot(0), expected);
  // The same trapezoid given bottom row first.
  GuardedBitmap sw(10, 10);
  LICE_FillTrapezoid(&sw, 1, 8, 3, 0, 2, 0, kWhite, 1.0f, 0);
  EXPECT_TRUE(sw.samePixels(bm));
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
  LICE_FillTrapezoid(&none, -2000000000, -1999999990, -2000000000, 3, 5, 9, 0x01010101u, 1.0f, 1);
  EXPECT_TRUE(none.guardIntact());
  // Its truncated right edge falls ever further behind over 2e9 rows: by the
  // bitmap it lies far left of column 0.
  EXPECT_TRUE(none.pixelsNot(0).empty());
}

TEST(Trapezoid, CopyWeightsAndModes)
{
  GuardedBitmap bm(4, 6, false, 0xffffffffu);
  LICE_FillTrapezoid(&bm, 0, 3, 0, 0, 3, 0, 0x12345678u, 1.0f, 0);
  LICE_FillTrapezoid(&bm, 0, 3, 1, 0, 3, 1, 0xffffffffu, 0.5f, 0);
  LICE_FillTrapezoid(&bm, 0, 3, 2, 0, 3, 2, 0u, 0.25f, 0);
  LICE_FillTrapezoid(&bm, 0, 3, 3, 0, 3, 3, 0u, 0.75f, 0);
  LICE_FillTrapezoid(&bm, 0, 3, 4, 0, 3, 4, 0u, 0.0f, 0);
  LICE_FillTrapezoid(&bm, 0, 3, 5, 0, 3, 5, 0u, 1.0f, 6);
  EXPECT_EQ(bm.at(1, 0), 0x12345678u);
  EXPECT_EQ(bm.at(1, 1), 0xfefefefeu);
  EXPECT_EQ(bm.at(1, 2), 0xbebebebeu);
  EXPECT_EQ(bm.at(1, 3), 0x3f3f3f3fu);
  EXPECT_EQ(bm.at(1, 4), 0xffffffffu);
  EXPECT_EQ(bm.at(1, 5), 0xffffffffu);
  GuardedBitmap m(4, 1, false, 0x80808080u);
  LICE_FillTrapezoid(&m, 0, 3, 0, 0, 3, 0, 0x40404040u, 0.5f, 1);
  EXPECT_EQ(m.at(2, 0), 0xa0a0a0a0u);
}

TEST(Polygon, TriangleEdgesExactly)
{
  GuardedBitmap bm(10, 10);
  LICE_FillTriangle(&bm, 0, 0, 4, 0, 0, 4, kWhite, 1.0f, 0);
  PixelSet expected;
  for (int k = 0; k <= 4; ++k)
    for (int x = 0; x <= 4 - k; ++x) expected.insert({x, k});
  EXPECT_EQ(bm.pixelsNot(0), expected);
  EXPECT_EQ(expected.size(), 15u);
}

TEST(Polygon, VertexOrderDoesNotMatter)
{
  const int xs[] = {3, 20, 27, 22, 8, 1};
  const int ys[] = {2, 0, 9, 21, 24, 12};
  GuardedBitmap ref(30, 30);
  LICE_FillConvexPolygon(&ref, xs, ys, 6, kWhite, 1.0f, 0);
  EXPECT_GT(ref.pixelsNot(0).size(), 300u);
  std::mt19937 rng(7);
  std::vector<int> idx = {0, 1, 2, 3, 4, 5};
  for (int round = 0; round < 20; ++round)
  {
    std::shuffle(idx.begin(), idx.end(), rng);
    int px[6], py[6];
    for (int i = 0; i < 6; ++i)
    {
      px[i] = xs[idx[i]];
      py[i] = ys[idx[i]];
    }
    GuardedBitmap bm(30, 30);
    LICE_FillConvexPolygon(&bm, px, py, 6, kWhite, 1.0f, 0);
    EXPECT_TRUE(bm.samePixels(ref)) << "round " << round;
  }
}

TEST(Polygon, NoRowFilledTwice)
{
  // Add mode at a small weight: every covered pixel is combined once.
  const int xs[] = {10, 25, 28, 14, 2};
  const int ys[] = {1, 6, 20, 28, 15};
  GuardedBitmap bm(32, 32);
  LICE_FillConvexPolygon(&bm, xs, ys, 5, 0x10101010u, 1.0f, 1);
  for (auto& p : bm.pixelsNot(0)) EXPECT_EQ(bm.at(p.first, p.second), 0x10101010u);
  EXPECT_EQ(bm.at(10, 1), 0x10101010u);
  EXPECT_EQ(bm.at(14, 28), 0x10101010u);
}

TEST(Polygon, FlatTwoPointAndLargePolygons)
{
  GuardedBitmap flat(10, 10);
  const int fx[] = {7, -3, 4}, fy[] = {5, 5, 5};
  LICE_FillConvexPolygon(&flat, fx, fy, 3, kWhite, 1.0f, 0);
  EXPECT_EQ(flat.pixelsNot(0), Rect(0, 5, 7, 5));

  GuardedBitmap two(10, 10);
  LICE_FillConvexPolygon(&two, fx, fy, 2, kWhite, 1.0f, 0);
  LICE_FillConvexPolygon(nullptr, fx, fy, 3, kWhite, 1.0f, 0);
  EXPECT_TRUE(two.pixelsNot(0).empty());

  // A square given by 600 points along its outline fills like its corners.
  std::vector<int> bx, by;
  for (int i = 0; i < 150; ++i)
  {
    const int t = i * 20 / 150;
    bx.push_back(4 + t), by.push_back(4);
    bx.push_back(24), by.push_back(4 + t);
    bx.push_back(24 - t), by.push_back(24);
    bx.push_back(4), by.push_back(24 - t);
  }
  GuardedBitmap big(30, 30), corners(30, 30);
  LICE_FillConvexPolygon(&big, bx.data(), by.data(), (int)bx.size(), kWhite, 1.0f, 0);
  const int cx[] = {4, 24, 24, 4}, cy[] = {4, 4, 24, 24};
  LICE_FillConvexPolygon(&corners, cx, cy, 4, kWhite, 1.0f, 0);
  EXPECT_TRUE(big.samePixels(corners));
  EXPECT_EQ(corners.pixelsNot(0), Rect(4, 4, 24, 24));
}

TEST(Polygon, NonConvexOutlineFillsTheOuterTriangle)
{
  const int xs[] = {0, 5, 10, 5}, ys[] = {0, 4, 0, 10};
  GuardedBitmap bm(12, 12), tri(12, 12);
  LICE_FillConvexPolygon(&bm, xs, ys, 4, kWhite, 1.0f, 0);
  LICE_FillTriangle(&tri, 0, 0, 10, 0, 5, 10, kWhite, 1.0f, 0);
  EXPECT_TRUE(bm.samePixels(tri));
  EXPECT_EQ(bm.pixelsNot(0).size(), 71u);
  for (int x = 0; x <= 10; ++x) EXPECT_EQ(bm.at(x, 0), kWhite);
}

TEST(Polygon, FlippedBitmapFillsTheSamePictureRows)
{
  const int xs[] = {2, 14, 9}, ys[] = {1, 4, 11};
  GuardedBitmap up(16, 12, false), down(16, 12, true), mirrored(16, 12, false);
  LICE_FillConvexPolygon(&up, xs, ys, 3, kWhite, 1.0f, 0);
  LICE_FillTriangle(&down, 2, 1, 14, 4, 9, 11, kWhite, 1.0f, 0);
  // Stored rows are those of the mirrored polygon on an unflipped bitmap.
  LICE_FillTriangle(&mirrored, 2, 10, 14, 7, 9, 0, kWhite, 1.0f, 0);
  std::set<int> rowsUp, rowsDown;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x)
    {
      EXPECT_EQ(down.getBits()[y * down.getRowSpan() + x], mirrored.at(x, y));
      if (up.at(x, y)) rowsUp.insert(y);
      if (down.at(x, y)) rowsDown.insert(y);
    }
  EXPECT_EQ(rowsUp, rowsDown);
  EXPECT_EQ(rowsUp.size(), 11u);
  // The trapezoid addresses stored rows.
  GuardedBitmap t(4, 4, true);
  LICE_FillTrapezoid(&t, 0, 3, 0, 0, 3, 0, kWhite, 1.0f, 0);
  EXPECT_EQ(t.at(0, 3), kWhite);
  EXPECT_EQ(t.at(0, 0), 0u);
}

TEST(Polygon, ClippedAgainstEveryEdge)
{
  const int xs[] = {-40, 60, 50, -10}, ys[] = {-30, -20, 70, 45};
  GuardedBitmap bm(20, 20);
  LICE_FillConvexPolygon(&bm, xs, ys, 4, kWhite, 1.0f, 0);
  EXPECT_TRUE(bm.guardIntact());
  EXPECT_TRUE(bm.pixelsNot(kWhite).empty()) << "the polygon covers the whole bitmap";
}
