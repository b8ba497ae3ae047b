// Circles, discs, arcs and rounded rectangles: exact pixels of the midpoint
// walk and the mask, symmetry and single coverage.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// Pixels mirrored about column c, row c or both.
PixelSet Mirror(const PixelSet& s, bool x, bool y, int c = 20)
{
  PixelSet out;
  for (auto& p : s) out.insert({x ? 2 * c - p.first : p.first, y ? 2 * c - p.second : p.second});
  return out;
}
} // namespace

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
}

TEST(Circle, DiscsAndOutlinesCoverEachPixelOnceSymmetrically)
{
  auto once = [](GuardedBitmap& bm)
  {
    const PixelSet lit = bm.pixelsNot(0);
    for (auto& p : lit) EXPECT_EQ(bm.at(p.first, p.second), 0x10101010u);
    EXPECT_EQ(Mirror(lit, true, false), lit);
    EXPECT_EQ(Mirror(lit, false, true), lit);
    return lit;
  };
  for (int r = 1; r <= 12; ++r)
  {
    SCOPED_TRACE(testing::Message() << "radius " << r);
    GuardedBitmap bm(40, 40);
    LICE_FillCircle(&bm, 20.0f, 20.0f, (float)r, 0x10101010u, 1.0f, 1, false);
    const PixelSet lit = once(bm);
    for (auto& p : lit) EXPECT_LE(std::hypot(p.first - 20, p.second - 20), r + 0.5);
    EXPECT_TRUE(r != 1 || lit == PixelSet({{20, 19}, {19, 20}, {20, 20}, {21, 20}, {20, 21}}));
  }
  for (float r : {5.2f, 7.0f, 9.6f, 15.0f})
  {
    SCOPED_TRACE(testing::Message() << "outline radius " << r);
    GuardedBitmap plain(40, 40), aa(40, 40);
    LICE_Circle(&plain, 20.0f, 20.0f, r, 0x10101010u, 1.0f, 1, false);
    LICE_Circle(&aa, 20.0f, 20.0f, r, kWhite, 1.0f, 0, true);
    const PixelSet lit = once(plain), alit = aa.pixelsNot(0);
    EXPECT_EQ(Mirror(alit, true, false), alit);
    EXPECT_GT(alit.size(), lit.size());
  }
  GuardedBitmap tiny(8, 8);
  LICE_Circle(&tiny, 4.0f, 4.0f, 0.3f, 0x10101010u, 1.0f, 1, false);
  EXPECT_EQ(tiny.pixelsNot(0), (PixelSet{{4, 4}}));
  EXPECT_EQ(tiny.at(4, 4), 0x40404040u) << "the four axis points coincide";
}

TEST(Arc, AngleRangesQuartersAndFlippedBitmaps)
{
  for (bool flipped : {false, true})
  {
    // Either direction; on a bottom-up bitmap the picture quarter is kept.
    GuardedBitmap q(30, 30, flipped), rev(30, 30, flipped);
    LICE_Arc(&q, 15.0f, 15.0f, 9.0f, 0.0f, kPi / 2, kWhite, 1.0f, 0, false);
    LICE_Arc(&rev, 15.0f, 15.0f, 9.0f, kPi / 2, 0.0f, kWhite, 1.0f, 0, false);
    const PixelSet lit = q.pixelsNot(0);
    EXPECT_EQ(lit, rev.pixelsNot(0)) << "flipped " << flipped;
    for (auto& p : lit) EXPECT_TRUE(p.first >= 15 && p.second <= 15) << p.first << "," << p.second;
    EXPECT_TRUE(lit.count({15, 6}) && lit.count({24, 14}));
    EXPECT_TRUE(flipped || !lit.count({24, 15})) << "the centre row belongs to the lower quarters";
  }
  GuardedBitmap circle(30, 30), full(30, 30), wrapped(30, 30), base(30, 30);
  LICE_Circle(&circle, 15.0f, 15.0f, 9.0f, kWhite, 1.0f, 0, true);
  LICE_Arc(&full, 15.0f, 15.0f, 9.0f, 0.0f, 2 * kPi, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(full.samePixels(circle));
  LICE_Arc(&wrapped, 15.0f, 15.0f, 9.0f, 7.0f, 7.5f, kWhite, 1.0f, 0, false);
  LICE_Arc(&base, 15.0f, 15.0f, 9.0f, 7.0f - 2 * kPi, 7.5f - 2 * kPi, kWhite, 1.0f, 0, false);
  EXPECT_TRUE(wrapped.samePixels(base));
  EXPECT_FALSE(base.pixelsNot(0).empty());
  // Four quarters tile the outline, each pixel combined once.
  for (float r : {6.0f, 9.4f, 13.0f})
  {
    GuardedBitmap quarters(40, 40), whole(40, 40);
    for (int i = 0; i < 4; ++i)
      LICE_Arc(&quarters, 20.0f, 20.0f, r, i * kPi / 2, (i + 1) * kPi / 2, 0x10101010u, 1.0f, 1,
               false);
    LICE_Circle(&whole, 20.0f, 20.0f, r, 0x10101010u, 1.0f, 1, false);
    EXPECT_TRUE(quarters.samePixels(whole)) << "radius " << r;
  }
}

TEST(RoundRect, CornersAndSmallRadii)
{
  // Radius 1, or too narrow for its radius: the plain outline.
  const float plain[][5] = {{2.0f, 3.0f, 10.0f, 8.0f, 1}, {2.7f, 3.2f, 3.0f, 20.0f, 5}};
  for (auto& p : plain)
  {
    GuardedBitmap rr(30, 30), rect(30, 30);
    LICE_RoundRect(&rr, p[0], p[1], p[2], p[3], (int)p[4], kWhite, 1.0f, 0, false);
    LICE_DrawRect(&rect, (int)p[0], (int)p[1], (int)p[2], (int)p[3], kWhite, 1.0f, 0);
    EXPECT_TRUE(rr.samePixels(rect)) << p[0];
  }

  GuardedBitmap big(40, 30), six(40, 30);
  LICE_RoundRect(&big, 4.0f, 4.0f, 30.0f, 12.0f, 10, kWhite, 1.0f, 0, false);
  LICE_RoundRect(&six, 4.0f, 4.0f, 30.0f, 12.0f, 6, kWhite, 1.0f, 0, false);
  EXPECT_TRUE(big.samePixels(six)) << "the corner radius is limited to half the height";
  // Corners cut, edges reached.
  EXPECT_TRUE(!six.at(4, 4) && !six.at(34, 16));
  for (auto p : {std::make_pair(19, 4), std::make_pair(19, 16), std::make_pair(4, 10),
                 std::make_pair(34, 10)})
    EXPECT_EQ(six.at(p.first, p.second), kWhite) << p.first << "," << p.second;
  EXPECT_TRUE(six.at(10, 4) || six.at(9, 4)) << "top line meets the top-left arc";
}
