// Circles and discs: exact pixels of the midpoint walk, mask circles,
// symmetry and single coverage.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const LICE_Pixel kWhite = 0xffffffffu;

// Pixels lit by an outline, mirrored about the centre column / row.
PixelSet MirrorX(const PixelSet& s, int cx)
{
  PixelSet out;
  for (auto& p : s) out.insert({2 * cx - p.first, p.second});
  return out;
}
PixelSet MirrorY(const PixelSet& s, int cy)
{
  PixelSet out;
  for (auto& p : s) out.insert({p.first, 2 * cy - p.second});
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

TEST(Circle, MaskRadiiOnlyExactly)
{
  GuardedBitmap two(16, 16), other(16, 16);
  LICE_Circle(&two, 6.0f, 6.0f, 2.0f, kWhite, 1.0f, 0, false);
  EXPECT_EQ(two.pixelsNot(0),
            (PixelSet{{6, 4}, {5, 5}, {7, 5}, {4, 6}, {8, 6}, {5, 7}, {7, 7}, {6, 8}}));
  LICE_Circle(&other, 6.0f, 6.0f, 2.01f, kWhite, 1.0f, 0, false);
  EXPECT_EQ(other.pixelsNot(0).size(), 12u) << "2.01 goes through the midpoint walk";
  // Anti-aliased masks stamp partial coverage; the mask is placed at
  // (int)(cx - r), (int)(cy - r).
  GuardedBitmap aa(16, 16);
  LICE_Circle(&aa, 5.7f, 5.2f, 1.5f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(aa.pixelsNot(0).size(), 16u);
  EXPECT_LT(RedOf(aa.at(4, 3)), RedOf(aa.at(5, 3)));
  EXPECT_EQ(aa.at(4, 3), aa.at(7, 3)) << "columns 4..7, rows 3..6";
  EXPECT_EQ(aa.at(3, 3), 0u);
  EXPECT_EQ(aa.at(8, 3), 0u);
}

TEST(Circle, DiscsAndOutlinesCoverEachPixelOnceSymmetrically)
{
  auto once = [](GuardedBitmap& bm)
  {
    const PixelSet lit = bm.pixelsNot(0);
    for (auto& p : lit) EXPECT_EQ(bm.at(p.first, p.second), 0x10101010u);
    EXPECT_EQ(MirrorX(lit, 20), lit);
    EXPECT_EQ(MirrorY(lit, 20), lit);
    return lit;
  };
  for (int r = 1; r <= 12; ++r)
  {
    SCOPED_TRACE(testing::Message() << "radius " << r);
    GuardedBitmap bm(40, 40);
    LICE_FillCircle(&bm, 20.0f, 20.0f, (float)r, 0x10101010u, 1.0f, 1, false);
    const PixelSet lit = once(bm);
    for (auto& p : lit) EXPECT_LE(std::hypot(p.first - 20, p.second - 20), r + 0.5);
    EXPECT_TRUE(r != 5 || lit.size() == 97u) << lit.size();
    EXPECT_TRUE(r != 1 || lit == PixelSet({{20, 19}, {19, 20}, {20, 20}, {21, 20}, {20, 21}}));
  }
  for (float r : {5.2f, 7.0f, 9.6f, 15.0f})
  {
    SCOPED_TRACE(testing::Message() << "outline radius " << r);
    GuardedBitmap plain(40, 40), aa(40, 40);
    LICE_Circle(&plain, 20.0f, 20.0f, r, 0x10101010u, 1.0f, 1, false);
    LICE_Circle(&aa, 20.0f, 20.0f, r, kWhite, 1.0f, 0, true);
    const PixelSet lit = once(plain), alit = aa.pixelsNot(0);
    EXPECT_EQ(MirrorX(alit, 20), alit);
    EXPECT_GT(alit.size(), lit.size());
  }
  GuardedBitmap tiny(8, 8);
  LICE_Circle(&tiny, 4.0f, 4.0f, 0.3f, 0x10101010u, 1.0f, 1, false);
  EXPECT_EQ(tiny.pixelsNot(0), (PixelSet{{4, 4}}));
  EXPECT_EQ(tiny.at(4, 4), 0x40404040u) << "the four axis points coincide";
}
