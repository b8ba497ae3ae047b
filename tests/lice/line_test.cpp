// Integer, float and dashed lines: exact pixels, clipping at every edge,
// anti-aliasing weights, the whole-word copy paths and flipped bitmaps.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

namespace
{
const LICE_Pixel kWhite = 0xffffffffu;
const LICE_Pixel kRed = LICE_RGBA(255, 0, 0, 255);

// Red channel of every pixel that is not black.
std::map<std::pair<int, int>, int> RedMap(GuardedBitmap& bm)
{
  std::map<std::pair<int, int>, int> m;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      if (bm.at(x, y)) m[{x, y}] = RedOf(bm.at(x, y));
  return m;
}
} // namespace

TEST(Line, GeneralLineExactPixelsEitherDirection)
{
  const PixelSet expected = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
  GuardedBitmap a(20, 20), b(20, 20);
  LICE_Line(&a, 0, 0, 5, 2, kWhite, 1.0f, 0, false);
  LICE_Line(&b, 5, 2, 0, 0, kWhite, 1.0f, 0, false);
  EXPECT_EQ(a.pixelsNot(0), expected);
  EXPECT_EQ(b.pixelsNot(0), expected);
}

TEST(Line, EveryPixelCombinedOnceWithBothEnds)
{
  // Add mode at a small weight shows any pixel combined twice.
  const int lines[][4] = {{0, 0, 17, 5},  {3, 19, 9, 0},  {2, 2, 2, 12}, {1, 7, 15, 7},
                          {4, 4, 12, 12}, {12, 4, 4, 12}, {0, 0, 16, 1}};
  for (auto& l : lines)
  {
    GuardedBitmap bm(20, 20);
    LICE_Line(&bm, l[0], l[1], l[2], l[3], LICE_RGBA(64, 64, 64, 64), 0.25f, 1, false);
    const int major = std::max(std::abs(l[2] - l[0]), std::abs(l[3] - l[1]));
    const PixelSet lit = bm.pixelsNot(0);
    EXPECT_EQ((int)lit.size(), major + 1) << l[0] << "," << l[1] << "-" << l[2] << "," << l[3];
    for (auto& p : lit) EXPECT_EQ(bm.at(p.first, p.second), 0x10101010u);
    EXPECT_TRUE(lit.count({l[0], l[1]}));
    EXPECT_TRUE(lit.count({l[2], l[3]}));
  }
}

TEST(Line, SinglePointAndWholeWordCopies)
{
  GuardedBitmap bm(8, 8, false, 0xffffffffu);
  LICE_Line(&bm, 3, 4, 3, 4, 0x12345678u, 1.0f, 0, false);
  EXPECT_EQ(bm.pixelsNot(0xffffffffu), (PixelSet{{3, 4}}));
  EXPECT_EQ(bm.at(3, 4), 0x12345678u) << "alpha 1.0 stores the colour word, alpha byte included";

  // Alpha exactly 0.5: horizontal runs mix whole words (255 and 255 give
  // 254), diagonals go through the per-channel half mix (255 stays 255).
  LICE_Line(&bm, 0, 0, 7, 0, 0xffffffffu, 0.5f, 0, false);
  EXPECT_EQ(bm.at(4, 0), 0xfefefefeu);
  LICE_Line(&bm, 0, 1, 6, 7, 0xffffffffu, 0.5f, 0, false);
  EXPECT_EQ(bm.at(2, 3), 0xffffffffu);
  // 0.25 and 0.75 on a black bitmap.
  GuardedBitmap q(8, 2);
  LICE_Line(&q, 0, 0, 7, 0, 0xffffffffu, 0.25f, 0, false);
  LICE_Line(&q, 0, 1, 7, 1, 0xffffffffu, 0.75f, 0, false);
  EXPECT_EQ(q.at(2, 0), 0x3f3f3f3fu);
  EXPECT_EQ(q.at(2, 1), 0xbebebebeu);
  // alpha 1.001 is weight 256 through the per-channel store: same colour.
  LICE_Line(&q, 0, 0, 7, 0, 0x01020304u, 1.001f, 0, false);
  EXPECT_EQ(q.at(7, 0), 0x01020304u);
}

TEST(Line, NothingForZeroWeightNegativeCopyOrUnknownMode)
{
  GuardedBitmap bm(10, 10);
  LICE_Line(&bm, 0, 0, 9, 3, kWhite, 0.003f, 0, false);
  LICE_Line(&bm, 0, 0, 9, 3, kWhite, -0.5f, 0, false);
  LICE_Line(&bm, 0, 0, 9, 3, kWhite, 1.0f, 6, false);
  LICE_Line(nullptr, 0, 0, 9, 3, kWhite, 1.0f, 0, false);
  EXPECT_TRUE(bm.pixelsNot(0).empty());
  // A negative weight passes unchanged in the other modes (add subtracts).
  GuardedBitmap g(10, 10, false, 0x80808080u);
  LICE_Line(&g, 0, 5, 9, 5, 0xffffffffu, -0.5f, 1, false);
  EXPECT_EQ(g.at(4, 5), 0x01010101u);
}

TEST(Line, ClippingAtEveryEdge)
{
  struct Case
  {
    int in[4], out[4];
  } cases[] = {
      {{0, 0, 10, 20}, {0, 0, 5, 9}},  // leaves through the bottom
      {{-5, 5, 15, 5}, {0, 5, 9, 5}},  // both sides
      {{5, -10, 5, 30}, {5, 0, 5, 9}}, // top and bottom
      {{-4, 0, 6, 10}, {0, 4, 6, 9}},  // left edge, then bottom
      {{12, 3, 2, 3}, {9, 3, 2, 3}},   // right edge
      {{3, -6, 9, 0}, {9, 0, 9, 0}},   // top edge
  };
  for (auto& c : cases)
  {
    GuardedBitmap clipped(10, 10), direct(10, 10);
    LICE_Line(&clipped, c.in[0], c.in[1], c.in[2], c.in[3], kWhite, 1.0f, 0, false);
    LICE_Line(&direct, c.out[0], c.out[1], c.out[2], c.out[3], kWhite, 1.0f, 0, false);
    EXPECT_TRUE(clipped.samePixels(direct)) << c.in[0] << "," << c.in[1];
    EXPECT_TRUE(clipped.guardIntact());
  }
  int x1 = 0, y1 = 0, x2 = 10, y2 = 20;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_EQ(x2, 5);
  EXPECT_EQ(y2, 9);
  x1 = -5, y1 = 5, x2 = 15, y2 = 5;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(x2, 9);
  // Offset limits, and a rejected segment that still gets its partial clip.
  x1 = 15, y1 = 15, x2 = 25, y2 = 25;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10, 20, 20));
  EXPECT_EQ(x2, 19);
  x1 = -10, y1 = 2, x2 = 20, y2 = -28;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_NE(x1, -10) << "the partly clipped coordinates are written back";

  GuardedBitmap out(10, 10);
  LICE_Line(&out, -5, -5, -1, 20, kWhite, 1.0f, 0, true);
  LICE_Line(&out, 10, 0, 30, 9, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(out.pixelsNot(0).empty());
  // Far-apart end points do not overflow the clipping arithmetic.
  LICE_Line(&out, -2000000000, 5, 2000000000, 5, kWhite, 1.0f, 0, false);
  EXPECT_EQ(out.pixelsNot(0).size(), 10u);
  EXPECT_TRUE(out.guardIntact());
}

TEST(Line, ClippingChangesTheDrawingPath)
{
  // A diagonal that clipping makes non-diagonal is walked as a general line.
  GuardedBitmap a(10, 10), b(10, 10);
  LICE_Line(&a, -3, 0, 12, 15, kWhite, 1.0f, 0, false);
  LICE_Line(&b, 0, 3, 7, 9, kWhite, 1.0f, 0, false);
  EXPECT_TRUE(a.samePixels(b));
  EXPECT_EQ(a.pixelsNot(0).size(), 8u);
}

TEST(Line, AntiAliasedWeights)
{
  GuardedBitmap bm(20, 20);
  LICE_Line(&bm, 0, 0, 5, 2, kWhite, 1.0f, 0, true);
  const std::map<std::pair<int, int>, int> expected = {{{0, 0}, 255},
                                                       {{5, 2}, 255},
                                                       {{1, 0}, CopyOf255(153)},
                                                       {{4, 2}, CopyOf255(153)},
                                                       {{1, 1}, CopyOf255(102)},
                                                       {{4, 1}, CopyOf255(102)},
                                                       {{2, 0}, CopyOf255(51)},
                                                       {{3, 2}, CopyOf255(51)},
                                                       {{2, 1}, CopyOf255(204)},
                                                       {{3, 1}, CopyOf255(204)}};
  EXPECT_EQ(RedMap(bm), expected);

  // Diagonals: centre pixels at 3/4, side pixels at 1/4 inside the box.
  GuardedBitmap d(10, 10), e(10, 10);
  LICE_Line(&d, 2, 2, 5, 5, kWhite, 1.0f, 0, true);   // whole-word path
  LICE_Line(&e, 2, 2, 5, 5, kWhite, 0.999f, 0, true); // per-channel path
  EXPECT_EQ(d.at(3, 3), 0xbebebebeu);
  EXPECT_EQ(d.at(4, 3), 0x3f3f3f3fu);
  EXPECT_EQ(d.at(3, 4), 0x3f3f3f3fu);
  EXPECT_EQ(d.at(1, 2), 0u);
  EXPECT_EQ(d.at(6, 5), 0u);
  EXPECT_EQ(d.pixelsNot(0).size(), 4u + 6u);
  EXPECT_EQ(e.pixelsNot(0), d.pixelsNot(0));
  EXPECT_EQ(RedOf(e.at(3, 3)), CopyOf255(255 * 3 / 4));
}

TEST(Line, FlippedBitmapMirrorsRows)
{
  GuardedBitmap up(12, 9, false), down(12, 9, true);
  LICE_Line(&up, 1, 0, 10, 4, kRed, 1.0f, 0, true);
  LICE_Line(&down, 1, 0, 10, 4, kRed, 1.0f, 0, true);
  EXPECT_TRUE(up.samePixels(down));
  EXPECT_EQ(down.getBits()[8 * down.getRowSpan() + 1], kRed) << "row 0 is stored last";
}

TEST(Rect, OutlineAndBorderedRect)
{
  GuardedBitmap bm(10, 10);
  LICE_DrawRect(&bm, 2, 3, 4, 2, kWhite, 1.0f, 0);
  EXPECT_EQ(bm.pixelsNot(0).size(), 5u * 2 + 2u);
  EXPECT_EQ(bm.at(6, 5), kWhite);
  EXPECT_EQ(bm.at(4, 4), 0u);
  // Corners are combined twice: add at a small weight shows it.
  GuardedBitmap add(10, 10);
  LICE_DrawRect(&add, 1, 1, 3, 3, 0x40404040u, 1.0f, 1);
  EXPECT_EQ(add.at(1, 1), 0x80808080u);
  EXPECT_EQ(add.at(2, 1), 0x40404040u);
  GuardedBitmap dot(4, 4);
  LICE_DrawRect(&dot, 1, 1, 0, 0, 0x11223344u, 1.0f, 0);
  EXPECT_EQ(dot.pixelsNot(0), (PixelSet{{1, 1}}));
  EXPECT_EQ(dot.at(1, 1), 0x11223344u);

  GuardedBitmap br(10, 10);
  LICE_BorderedRect(&br, 1, 1, 5, 4, 0x0000ff00u, kWhite, 1.0f, 0);
  EXPECT_EQ(br.at(1, 1), kWhite);
  EXPECT_EQ(br.at(6, 5), kWhite);
  EXPECT_EQ(br.at(3, 3), 0x0000ff00u);
  EXPECT_EQ(br.at(5, 4), 0x0000ff00u);
  EXPECT_EQ(br.at(7, 3), 0u);
}

TEST(FLine, WithoutAntiAliasingTruncatesToTheIntegerLine)
{
  GuardedBitmap a(20, 20), b(20, 20);
  LICE_FLine(&a, 2.9f, 0.5f, 10.7f, 4.2f, kWhite, 1.0f, 0, false);
  LICE_Line(&b, 2, 0, 10, 4, kWhite, 1.0f, 0, false);
  EXPECT_TRUE(a.samePixels(b));
  GuardedBitmap c(20, 20), d(20, 20);
  LICE_FLine(&c, -0.5f, 3.0f, 5.0f, 3.0f, kWhite, 1.0f, 0, false);
  LICE_Line(&d, 0, 3, 5, 3, kWhite, 1.0f, 0, false);
  EXPECT_TRUE(c.samePixels(d));
  GuardedBitmap one(4, 4);
  LICE_FLine(&one, 1.0f, 1.0f, 1.0f, 1.0f, kWhite, 1.0f, 0, false);
  EXPECT_EQ(one.pixelsNot(0).size(), 1u) << "a zero-length line without aa is one pixel";
}

TEST(FLine, AntiAliasedPlacement)
{
  GuardedBitmap half(30, 30);
  LICE_FLine(&half, 0.0f, 5.5f, 10.0f, 5.5f, kWhite, 1.0f, 0, true);
  for (int x = 0; x <= 10; ++x)
  {
    EXPECT_EQ(RedOf(half.at(x, 5)), CopyOf255(127)) << x;
    EXPECT_EQ(RedOf(half.at(x, 6)), CopyOf255(128)) << x;
  }
  EXPECT_EQ(half.at(11, 5), 0u);
  EXPECT_EQ(half.pixelsNot(0).size(), 22u);

  GuardedBitmap whole(30, 30);
  LICE_FLine(&whole, 0.0f, 5.0f, 10.0f, 5.0f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(RedOf(whole.at(4, 5)), CopyOf255(255));
  EXPECT_EQ(whole.at(4, 6), 0u);

  GuardedBitmap rise(30, 30);
  LICE_FLine(&rise, 0.0f, 5.0f, 10.0f, 2.0f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(RedOf(rise.at(0, 5)), CopyOf255(255));
  EXPECT_EQ(rise.at(0, 6), 0u);
  EXPECT_EQ(RedOf(rise.at(1, 4)), CopyOf255(76));
  EXPECT_EQ(RedOf(rise.at(1, 5)), CopyOf255(179));
  EXPECT_EQ(RedOf(rise.at(5, 3)), CopyOf255(127));
  EXPECT_EQ(RedOf(rise.at(5, 4)), CopyOf255(128));
  EXPECT_EQ(RedOf(rise.at(10, 2)), CopyOf255(255));
  EXPECT_EQ(rise.at(10, 3), 0u);
}

TEST(FLine, AntiAliasedDegenerateAndClipped)
{
  GuardedBitmap bm(50, 20);
  LICE_FLine(&bm, 1.2f, 3.0f, 1.7f, 3.1f, kWhite, 1.0f, 0, true);
  LICE_FLine(&bm, 4.0f, 4.0f, 4.0f, 4.0f, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(bm.pixelsNot(0).empty());
  LICE_FLine(&bm, 0.0f, 5.5f, 100.0f, 5.5f, kWhite, 1.0f, 0, true);
  EXPECT_NE(bm.at(48, 5), 0u);
  EXPECT_EQ(bm.at(49, 5), 0u);
  EXPECT_EQ(bm.pixelsNot(0).size(), 49u * 2);
  // Lines crossing every edge stay inside the bitmap, also steep and flipped.
  GuardedBitmap g(16, 12, true);
  LICE_FLine(&g, -20.0f, -7.3f, 40.0f, 30.1f, kWhite, 1.0f, 0, true);
  LICE_FLine(&g, 15.9f, -3.0f, 0.2f, 14.0f, kWhite, 1.0f, 0, true);
  LICE_FLine(&g, 3.3f, 40.0f, 4.1f, -40.0f, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(g.guardIntact());
  EXPECT_FALSE(g.pixelsNot(0).empty());
  // Bad coordinates draw nothing and do not crash.
  GuardedBitmap n(8, 8);
  LICE_FLine(&n, 0.0f, 0.0f, std::numeric_limits<float>::infinity(), 3.0f, kWhite, 1.0f, 0, true);
  LICE_FLine(&n, 0.0f, 0.0f, std::numeric_limits<float>::quiet_NaN(), 3.0f, kWhite, 1.0f, 0, false);
  EXPECT_TRUE(n.pixelsNot(0).empty());
}

TEST(FLine, FlippedMirrorsY)
{
  GuardedBitmap up(20, 10, false), down(20, 10, true);
  LICE_FLine(&up, 1.0f, 2.25f, 17.0f, 6.5f, kWhite, 1.0f, 0, true);
  LICE_FLine(&down, 1.0f, 2.25f, 17.0f, 6.5f, kWhite, 1.0f, 0, true);
  // The flipped line is drawn at (h - 1) - y in picture rows.
  GuardedBitmap mirrored(20, 10, false);
  LICE_FLine(&mirrored, 1.0f, 9.0f - 2.25f, 17.0f, 9.0f - 6.5f, kWhite, 1.0f, 0, true);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(down.getBits()[y * down.getRowSpan() + x], mirrored.at(x, y));
}

TEST(ClipFLine, AcceptsAndClipsOneUnitShort)
{
  float x1 = 1.0f, y1 = 2.0f, x2 = 8.5f, y2 = 2.0f;
  EXPECT_TRUE(LICE_ClipFLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_EQ(x2, 8.5f);
  x2 = 9.5f;
  EXPECT_TRUE(LICE_ClipFLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_EQ(x2, 8.0f);
  EXPECT_EQ(y2, 2.0f);
  x1 = -3.0f, y1 = -3.0f, x2 = -1.0f, y2 = 20.0f;
  EXPECT_FALSE(LICE_ClipFLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
}

TEST(DashedLine, PatternsAndFastDots)
{
  auto rows = [](GuardedBitmap& bm)
  {
    std::vector<int> r;
    for (auto& p : bm.pixelsNot(0)) r.push_back(p.second);
    return r;
  };
  GuardedBitmap a(8, 12);
  LICE_DashedLine(&a, 3, 0, 3, 10, 2, 2, kWhite, 1.0f, 0, false);
  EXPECT_EQ(rows(a), (std::vector<int>{0, 1, 4, 5, 8, 9}));
  GuardedBitmap b(8, 12);
  LICE_DashedLine(&b, 3, 10, 3, 0, 1, 1, kWhite, 1.0f, 0, false);
  EXPECT_EQ(rows(b), (std::vector<int>{0, 2, 4, 6, 8}));
  GuardedBitmap c(8, 12);
  LICE_DashedLine(&c, 3, 0, 3, 9, 1, 1, 0x40404040u, 1.0f, 1, false);
  EXPECT_EQ(rows(c), (std::vector<int>{0, 2, 4, 6, 8}));
  EXPECT_EQ(c.at(3, 2), 0x40404040u);
  GuardedBitmap h(12, 3);
  LICE_DashedLine(&h, 10, 1, 0, 1, 3, 1, kWhite, 1.0f, 0, false);
  EXPECT_EQ(h.pixelsNot(0),
            (PixelSet{{0, 1}, {1, 1}, {2, 1}, {4, 1}, {5, 1}, {6, 1}, {8, 1}, {9, 1}}));
  GuardedBitmap none(8, 8);
  LICE_DashedLine(&none, 2, 2, 2, 2, 1, 1, kWhite, 1.0f, 0, false);
  LICE_DashedLine(&none, 0, 0, 5, 3, 1, 1, kWhite, 1.0f, 0, false);
  LICE_DashedLine(&none, 0, 0, 0, 7, 0, 0, kWhite, 1.0f, 0, false);
  LICE_DashedLine(&none, 0, 0, 0, 7, 1, -5, kWhite, 1.0f, 0, false);
  EXPECT_EQ(none.pixelsNot(0).size(), 7u) << "only the line with a negative gap draws, solid";
  GuardedBitmap huge(8, 8);
  LICE_DashedLine(&huge, 1, -5, 1, 50, 2, 2000000000, kWhite, 1.0f, 0, false);
  EXPECT_EQ(huge.pixelsNot(0), (PixelSet{{1, 0}, {1, 1}}));
  EXPECT_TRUE(huge.guardIntact());
}
