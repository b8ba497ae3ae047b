// Lines: exact pixels, end points, clipping at every edge and the whole-word
// copy paths.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(c.want || bm.pixelsNot(0).empty()) << "alpha " << c.alpha;
  }
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
    // LICE_ClipLine gives the same ends, also with limits moved by 10.
    for (int o : {0, 10})
    {
      int p[4] = {c.in[0] + o, c.in[1] + o, c.in[2] + o, c.in[3] + o};
      EXPECT_TRUE(LICE_ClipLine(&p[0], &p[1], &p[2], &p[3], o, o, o + 10, o + 10));
      EXPECT_EQ(std::vector<int>(p, p + 4),
                (std::vector<int>{c.out[0] + o, c.out[1] + o, c.out[2] + o, c.out[3] + o}))
          << c.in[0] << "," << c.in[1] << " moved by " << o;
    }
  }
  int x1 = -10, y1 = 2, x2 = 20, y2 = -28;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
}
