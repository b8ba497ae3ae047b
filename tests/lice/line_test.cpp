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

// Red channel of every pixel that is not black.
std::map<std::pair<int, int>, int> RedMap(GuardedBitmap& bm)
{
  std::map<std::pair<int, int>, int> m;
  for (auto& p : bm.pixelsNot(0)) m[p] = RedOf(bm.at(p.first, p.second));
  return m;
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
    const int major = std::max(std::abs(l[2] - l[0]), std::abs(l[3] - l[1]));
    const PixelSet lit = bm.pixelsNot(0);
    SCOPED_TRACE(testing::Message() << l[0] << "," << l[1] << "-" << l[2] << "," << l[3]);
    EXPECT_EQ((int)lit.size(), major + 1);
    for (auto& p : lit) EXPECT_EQ(bm.at(p.first, p.second), 0x10101010u);
    EXPECT_TRUE(lit.count({l[0], l[1]}) && lit.count({l[2], l[3]}));
  }
}

TEST(Line, CopyWeightsAndNothingToDraw)
{
  struct Case
  {
    int line[4], probe[2];
    LICE_Pixel bg, color;
    float alpha;
    int mode;
    LICE_Pixel want;
  } cases[] = {
      {{3, 4, 3, 4}, {3, 4}, kWhite, 0x12345678u, 1.0f, 0, 0x12345678u}, // alpha byte included
      // Alpha 0.5: horizontal runs mix whole words (255 and 255 give 254),
      // diagonals go through the per-channel half mix (255 stays 255).
      {{0, 0, 7, 0}, {4, 0}, kWhite, kWhite, 0.5f, 0, 0xfefefefeu},
      {{0, 0, 6, 6}, {2, 2}, kWhite, kWhite, 0.5f, 0, kWhite},
      {{0, 0, 7, 0}, {2, 0}, 0, kWhite, 0.25f, 0, 0x3f3f3f3fu},
      {{0, 0, 7, 0}, {2, 0}, 0, kWhite, 0.75f, 0, 0xbebebebeu},
      {{0, 0, 7, 0}, {7, 0}, 0, 0x01020304u, 1.001f, 0, 0x01020304u}, // per-channel, weight 256
      // A negative weight passes unchanged in the other modes (add subtracts).
      {{0, 0, 7, 0}, {4, 0}, 0x80808080u, kWhite, -0.5f, 1, 0x01010101u},
      // Zero weight, negative copy, unknown mode: nothing.
      {{0, 0, 7, 3}, {0, 0}, 0, kWhite, 0.003f, 0, 0},
      {{0, 0, 7, 3}, {0, 0}, 0, kWhite, -0.5f, 0, 0},
      {{0, 0, 7, 3}, {0, 0}, 0, kWhite, 1.0f, 6, 0},
  };
  for (auto& c : cases)
  {
    GuardedBitmap bm(8, 8, false, c.bg);
    LICE_Line(&bm, c.line[0], c.line[1], c.line[2], c.line[3], c.color, c.alpha, c.mode, false);
    EXPECT_EQ(bm.at(c.probe[0], c.probe[1]), c.want) << "alpha " << c.alpha << " mode " << c.mode;
    if (c.want == 0)
    {
      EXPECT_TRUE(bm.pixelsNot(0).empty()) << "alpha " << c.alpha;
    }
  }
  LICE_Line(nullptr, 0, 0, 9, 3, kWhite, 1.0f, 0, false);
}

TEST(Line, ClippingAtEveryEdge)
{
  struct Case
  {
    int in[4], out[4];
  } cases[] = {
      {{0, 0, 10, 20}, {0, 0, 5, 9}},                  // leaves through the bottom
      {{-5, 5, 15, 5}, {0, 5, 9, 5}},                  // both sides
      {{5, -10, 5, 30}, {5, 0, 5, 9}},                 // top and bottom
      {{-4, 0, 6, 10}, {0, 4, 6, 9}},                  // left edge, then bottom
      {{12, 3, 2, 3}, {9, 3, 2, 3}},                   // right edge
      {{3, -6, 9, 0}, {9, 0, 9, 0}},                   // top edge
      {{-3, 0, 12, 15}, {0, 3, 7, 9}},                 // a diagonal clipped into a general line
      {{-2000000000, 5, 2000000000, 5}, {0, 5, 9, 5}}, // no overflow
  };
  for (auto& c : cases)
  {
    GuardedBitmap clipped(10, 10), direct(10, 10);
    LICE_Line(&clipped, c.in[0], c.in[1], c.in[2], c.in[3], kWhite, 1.0f, 0, false);
    LICE_Line(&direct, c.out[0], c.out[1], c.out[2], c.out[3], kWhite, 1.0f, 0, false);
    EXPECT_TRUE(clipped.samePixels(direct)) << c.in[0] << "," << c.in[1];
    EXPECT_TRUE(clipped.guardIntact());
  }
  GuardedBitmap out(10, 10);
  LICE_Line(&out, -5, -5, -1, 20, kWhite, 1.0f, 0, true);
  LICE_Line(&out, 10, 0, 30, 9, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(out.pixelsNot(0).empty());

  // LICE_ClipLine, also with offset limits.
  struct ClipCase
  {
    int in[4], rect[4];
    bool ok;
    int out[4];
  } clips[] = {{{0, 0, 10, 20}, {0, 0, 10, 10}, true, {0, 0, 5, 9}},
               {{-5, 5, 15, 5}, {0, 0, 10, 10}, true, {0, 5, 9, 5}},
               {{15, 15, 25, 25}, {10, 10, 20, 20}, true, {15, 15, 19, 19}}};
  for (auto& c : clips)
  {
    int p[4] = {c.in[0], c.in[1], c.in[2], c.in[3]};
    EXPECT_EQ(LICE_ClipLine(&p[0], &p[1], &p[2], &p[3], c.rect[0], c.rect[1], c.rect[2], c.rect[3]),
              c.ok);
    EXPECT_EQ(std::vector<int>(p, p + 4), std::vector<int>(c.out, c.out + 4)) << c.in[0];
  }
  int x1 = -10, y1 = 2, x2 = 20, y2 = -28;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_NE(x1, -10) << "a rejected segment still gets its partial clip written back";
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
  EXPECT_EQ(d.pixelsNot(0).size(), 4u + 6u);
  EXPECT_EQ(e.pixelsNot(0), d.pixelsNot(0));
  EXPECT_EQ(RedOf(e.at(3, 3)), CopyOf255(255 * 3 / 4));
}

TEST(Line, FlippedBitmapsMirrorRows)
{
  GuardedBitmap up(20, 10, false), down(20, 10, true), mirrored(20, 10, false);
  LICE_Line(&up, 1, 0, 10, 4, kWhite, 1.0f, 0, true);
  LICE_Line(&down, 1, 0, 10, 4, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(up.samePixels(down));
  EXPECT_EQ(down.getBits()[9 * down.getRowSpan() + 1], kWhite) << "row 0 is stored last";
  // A float line on a flipped bitmap is stored at (h - 1) - y.
  GuardedBitmap fdown(20, 10, true);
  LICE_FLine(&fdown, 1.0f, 2.25f, 17.0f, 6.5f, kWhite, 1.0f, 0, true);
  LICE_FLine(&mirrored, 1.0f, 9.0f - 2.25f, 17.0f, 9.0f - 6.5f, kWhite, 1.0f, 0, true);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(fdown.getBits()[y * fdown.getRowSpan() + x], mirrored.at(x, y)) << x << "," << y;
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
  const float cases[][8] = {{2.9f, 0.5f, 10.7f, 4.2f, 2, 0, 10, 4},
                            {-0.5f, 3.0f, 5.0f, 3.0f, 0, 3, 5, 3},
                            {1.0f, 1.0f, 1.0f, 1.0f, 1, 1, 1, 1}}; // zero length: one pixel
  for (auto& c : cases)
  {
    GuardedBitmap a(20, 20), b(20, 20);
    LICE_FLine(&a, c[0], c[1], c[2], c[3], kWhite, 1.0f, 0, false);
    LICE_Line(&b, (int)c[4], (int)c[5], (int)c[6], (int)c[7], kWhite, 1.0f, 0, false);
    EXPECT_TRUE(a.samePixels(b)) << c[0];
  }
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
  EXPECT_EQ(half.pixelsNot(0).size(), 22u);

  GuardedBitmap rise(30, 30);
  LICE_FLine(&rise, 0.0f, 5.0f, 10.0f, 2.0f, kWhite, 1.0f, 0, true);
  const std::pair<std::pair<int, int>, int> want[] = {{{0, 5}, 255},  {{0, 6}, -1},  {{1, 4}, 76},
                                                      {{1, 5}, 179},  {{5, 3}, 127}, {{5, 4}, 128},
                                                      {{10, 2}, 255}, {{10, 3}, -1}};
  for (auto& w : want)
  {
    const LICE_Pixel p = rise.at(w.first.first, w.first.second);
    if (w.second < 0)
      EXPECT_EQ(p, 0u) << w.first.first << "," << w.first.second;
    else
      EXPECT_EQ(RedOf(p), CopyOf255(w.second)) << w.first.first << "," << w.first.second;
  }
}

TEST(FLine, AntiAliasedDegenerateClippedAndBad)
{
  GuardedBitmap bm(50, 20);
  LICE_FLine(&bm, 1.2f, 3.0f, 1.7f, 3.1f, kWhite, 1.0f, 0, true);
  LICE_FLine(&bm, 4.0f, 4.0f, 4.0f, 4.0f, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(bm.pixelsNot(0).empty());
  LICE_FLine(&bm, 0.0f, 5.5f, 100.0f, 5.5f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(bm.at(49, 5), 0u);
  EXPECT_EQ(bm.pixelsNot(0).size(), 49u * 2);
  // Lines crossing every edge stay inside the bitmap, also steep and flipped.
  GuardedBitmap g(16, 12, true);
  LICE_FLine(&g, -20.0f, -7.3f, 40.0f, 30.1f, kWhite, 1.0f, 0, true);
  LICE_FLine(&g, 15.9f, -3.0f, 0.2f, 14.0f, kWhite, 1.0f, 0, true);
  LICE_FLine(&g, 3.3f, 40.0f, 4.1f, -40.0f, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(g.guardIntact());
  EXPECT_FALSE(g.pixelsNot(0).empty());
  GuardedBitmap n(8, 8);
  LICE_FLine(&n, 0.0f, 0.0f, std::numeric_limits<float>::infinity(), 3.0f, kWhite, 1.0f, 0, true);
  LICE_FLine(&n, 0.0f, 0.0f, std::numeric_limits<float>::quiet_NaN(), 3.0f, kWhite, 1.0f, 0, false);
  EXPECT_TRUE(n.pixelsNot(0).empty());

  // LICE_ClipFLine accepts and clips one unit short of the limit.
  float x1 = 1.0f, y1 = 2.0f, x2 = 8.5f, y2 = 2.0f;
  EXPECT_TRUE(LICE_ClipFLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_EQ(x2, 8.5f);
  x2 = 9.5f;
  EXPECT_TRUE(LICE_ClipFLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_EQ(x2, 8.0f);
  x1 = -3.0f, y1 = -3.0f, x2 = -1.0f, y2 = 20.0f;
  EXPECT_FALSE(LICE_ClipFLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
}

TEST(DashedLine, PatternsAndFastDots)
{
  struct Case
  {
    int line[4], on, off, mode;
    PixelSet want;
  } cases[] = {
      {{3, 0, 3, 10}, 2, 2, 0, {{3, 0}, {3, 1}, {3, 4}, {3, 5}, {3, 8}, {3, 9}}},
      {{3, 10, 3, 0}, 1, 1, 0, {{3, 0}, {3, 2}, {3, 4}, {3, 6}, {3, 8}}},
      {{3, 0, 3, 9}, 1, 1, 1, {{3, 0}, {3, 2}, {3, 4}, {3, 6}, {3, 8}}},
      {{10, 1, 0, 1}, 3, 1, 0, {{0, 1}, {1, 1}, {2, 1}, {4, 1}, {5, 1}, {6, 1}, {8, 1}, {9, 1}}},
      {{2, 2, 2, 2}, 1, 1, 0, {}},
      {{0, 0, 5, 3}, 1, 1, 0, {}}, // neither vertical nor horizontal
      {{0, 0, 0, 7}, 0, 0, 0, {}},
      {{0, 0, 0, 7}, 1, -5, 0, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}}}, // solid
      {{1, -5, 1, 50}, 2, 2000000000, 0, {{1, 0}, {1, 1}}}, // a huge gap cannot overflow
  };
  for (auto& c : cases)
  {
    GuardedBitmap bm(12, 12);
    LICE_DashedLine(&bm, c.line[0], c.line[1], c.line[2], c.line[3], c.on, c.off,
                    c.mode ? 0x40404040u : kWhite, 1.0f, c.mode, false);
    EXPECT_EQ(bm.pixelsNot(0), c.want)
        << c.line[0] << "," << c.line[1] << " " << c.on << "/" << c.off;
    for (auto& p : c.want) EXPECT_EQ(bm.at(p.first, p.second), c.mode ? 0x40404040u : kWhite);
    EXPECT_TRUE(bm.guardIntact());
  }
}
