// Quadratic and cubic Bezier curves: evaluation, column clipping, chord
// counts and the fills to a row or a column.
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
const LICE_Pixel kWhite = 0xffffffffu;
}

TEST(Bezier, Evaluation)
{
  float x, y;
  LICE_Bezier(0.0f, 5.0f, 10.0f, 0.0f, 20.0f, 0.0f, 0.5, &x, &y);
  EXPECT_FLOAT_EQ(x, 5.0f);
  EXPECT_FLOAT_EQ(y, 10.0f);
  double t = -1;
  EXPECT_FLOAT_EQ(LICE_Bezier_GetY(-10.0f, 0.0f, 10.0f, 0.0f, 20.0f, 0.0f, 0.0f, &t), 10.0f);
  EXPECT_DOUBLE_EQ(t, 0.5);
  EXPECT_FLOAT_EQ(LICE_Bezier_GetY(-10.0f, 2.0f, 10.0f, 0.0f, 20.0f, 0.0f, -20.0f, &t), 0.0f);
  EXPECT_EQ(t, 0.0);
  EXPECT_FLOAT_EQ(LICE_Bezier_GetY(-10.0f, 2.0f, 10.0f, 0.0f, 20.0f, 3.0f, 12.0f, &t), 3.0f);
  EXPECT_EQ(t, 1.0);
  // Off-centre control: the solution of the quadratic in x.
  const float yq = LICE_Bezier_GetY(-10.0f, 2.0f, 10.0f, 0.0f, 20.0f, 0.0f, 0.0f, &t);
  LICE_Bezier(-10.0f, 2.0f, 10.0f, 0.0f, 20.0f, 0.0f, t, &x, &y);
  EXPECT_NEAR(x, 0.0f, 1e-4);
  EXPECT_NEAR(yq, y, 1e-4);

  double ax, bx, cx, ay, by, cy;
  LICE_CBezier_GetCoeffs(0.0f, 1.0f, 2.0f, 3.0f, 0.0f, 3.0f, 3.0f, 0.0f, &ax, &bx, &cx, &ay, &by,
                         &cy);
  EXPECT_EQ(std::vector<double>({ax, bx, cx, ay, by, cy}),
            std::vector<double>({0.0, 0.0, 3.0, 0.0, -9.0, 9.0}));

  float nextx = 0, dydx = 1;
  double tlo = -1, thi = -1;
  EXPECT_EQ(LICE_CBezier_GetY(5.0f, 6.0f, 7.0f, 8.0f, 2.0f, 3.0f, 4.0f, 9.0f, 1.0f, &nextx, &dydx,
                              &tlo, &thi),
            2.0f);
  EXPECT_EQ(nextx, 5.0f);
  EXPECT_EQ(dydx, 0.0f);
  EXPECT_EQ(tlo, -1.0) << "brackets untouched left of the start";
  // A straight cubic (x = 3t, y = 2 * 3t): y is found within the bracket.
  const float yc = LICE_CBezier_GetY(0.0f, 1.0f, 2.0f, 3.0f, 0.0f, 2.0f, 4.0f, 6.0f, 1.3f, &nextx,
                                     &dydx, &tlo, &thi);
  EXPECT_NEAR(yc, 2.6f, 1e-3);
  EXPECT_NEAR(dydx, 2.0f, 1e-3);
  EXPECT_LE(tlo * 3.0, 1.3 + 1e-9);
  EXPECT_GE(thi * 3.0, 1.3 - 1e-9);
  EXPECT_LE(thi - tlo, 1.0 / 256 + 1e-12);
}

TEST(Bezier, QuadraticEitherDirectionAndClipped)
{
  GuardedBitmap a(40, 30), b(40, 30);
  LICE_DrawQBezier(&a, 2.0f, 25.0f, 15.0f, -5.0f, 35.0f, 20.0f, kWhite, 1.0f, 0, true, 1.0f);
  LICE_DrawQBezier(&b, 35.0f, 20.0f, 15.0f, -5.0f, 2.0f, 25.0f, kWhite, 1.0f, 0, true, 1.0f);
  EXPECT_TRUE(a.samePixels(b));
  EXPECT_GT(a.pixelsNot(0).size(), 40u);

  // Starting left of the bitmap: the first chord starts at column 0 on the
  // curve's own row there.
  GuardedBitmap c(30, 30);
  LICE_DrawQBezier(&c, -10.0f, 0.0f, 0.0f, 20.0f, 10.0f, 0.0f, kWhite, 1.0f, 0, false, 1.0f);
  EXPECT_NE(c.at(0, 10), 0u);
  for (int y = 0; y < 30; ++y) EXPECT_TRUE(!c.at(0, y) || (y >= 9 && y <= 11)) << y;
  EXPECT_TRUE(c.guardIntact());

  // Coarse tolerance: fewer chords, still joined end to end.
  GuardedBitmap coarse(40, 30), fine(40, 30);
  LICE_DrawQBezier(&coarse, 0.0f, 0.0f, 20.0f, 40.0f, 39.0f, 0.0f, kWhite, 1.0f, 0, false, 8.0f);
  LICE_DrawQBezier(&fine, 0.0f, 0.0f, 20.0f, 40.0f, 39.0f, 0.0f, kWhite, 1.0f, 0, false, 0.0f);
  EXPECT_FALSE(coarse.samePixels(fine));
  EXPECT_EQ(coarse.at(0, 0), kWhite);
  int lowest = 0;
  for (auto& p : fine.pixelsNot(0)) lowest = std::max(lowest, p.second);
  EXPECT_GE(lowest, 19) << "the apex of the curve is (19.75, 20)";
  EXPECT_LE(lowest, 20);
}

TEST(Bezier, CubicDrawnAndClipped)
{
  GuardedBitmap bm(50, 40);
  LICE_DrawCBezier(&bm, -20.0f, 35.0f, 10.0f, -20.0f, 40.0f, 60.0f, 80.0f, 5.0f, kWhite, 1.0f, 0,
                   true, 1.0f);
  EXPECT_TRUE(bm.guardIntact());
  std::set<int> cols;
  for (auto& p : bm.pixelsNot(0)) cols.insert(p.first);
  EXPECT_EQ(*cols.begin(), 0);
  EXPECT_GE(*cols.rbegin(), 48);

  GuardedBitmap none(30, 30);
  LICE_DrawCBezier(&none, 40.0f, 5.0f, 50.0f, 5.0f, 60.0f, 5.0f, 70.0f, 5.0f, kWhite, 1.0f, 0,
                   false, 1.0f);
  LICE_FillCBezier(&none, 40.0f, 5.0f, 50.0f, 5.0f, 60.0f, 5.0f, 70.0f, 5.0f, 20, kWhite, 1.0f, 0,
                   1.0f);
  LICE_DrawCBezier(&none, 0.0f, 5.0f, 5.0f, 5.0f, 1e38f, 5.0f, NAN, 5.0f, kWhite, 1.0f, 0, false,
                   1.0f);
  EXPECT_TRUE(none.pixelsNot(0).empty());
}

TEST(Bezier, FillToARowOrAColumn)
{
  // A flat curve at row 10 filled down to row 30 fills the band between.
  GuardedBitmap bm(40, 40);
  LICE_FillCBezier(&bm, 0.0f, 10.0f, 10.0f, 10.0f, 20.0f, 10.0f, 30.0f, 10.0f, 30, kWhite, 1.0f, 0,
                   1.0f);
  for (int x = 1; x < 29; ++x)
    ASSERT_TRUE(bm.at(x, 20) == kWhite && !bm.at(x, 5) && !bm.at(x, 35)) << x;
  EXPECT_EQ(bm.at(35, 20), 0u);

  // An arch filled to a row beneath it: pixels under the curve only, and
  // each at most once (add mode).
  GuardedBitmap arch(60, 50);
  LICE_FillCBezier(&arch, 5.0f, 40.0f, 15.0f, 0.0f, 45.0f, 0.0f, 55.0f, 40.0f, 45, 0x10101010u,
                   1.0f, 1, 1.0f);
  for (auto& p : arch.pixelsNot(0)) ASSERT_EQ(arch.at(p.first, p.second), 0x10101010u);
  EXPECT_NE(arch.at(30, 20), 0u);
  EXPECT_NE(arch.at(30, 44), 0u);
  EXPECT_EQ(arch.at(30, 5), 0u) << "above the curve's top (about row 10)";
  EXPECT_EQ(arch.at(30, 48), 0u);

  // A fill row crossing the curve fills both regions between them.
  GuardedBitmap cross(60, 50);
  LICE_FillCBezier(&cross, 0.0f, 10.0f, 20.0f, 10.0f, 40.0f, 40.0f, 59.0f, 40.0f, 25, kWhite, 1.0f,
                   0, 1.0f);
  EXPECT_NE(cross.at(5, 20), 0u);
  EXPECT_EQ(cross.at(5, 5), 0u);
  EXPECT_NE(cross.at(55, 30), 0u);
  EXPECT_EQ(cross.at(55, 45), 0u);
  EXPECT_EQ(cross.at(55, 20), 0u);

  // To a column: a vertical curve at column 10 filled right to column 30.
  GuardedBitmap col(40, 40);
  LICE_FillCBezierX(&col, 10.0f, 0.0f, 10.0f, 10.0f, 10.0f, 20.0f, 10.0f, 30.0f, 30, 0x10101010u,
                    1.0f, 1, 1.0f);
  for (int y = 2; y < 28; ++y) ASSERT_TRUE(col.at(20, y) && !col.at(5, y) && !col.at(35, y)) << y;
  for (auto& p : col.pixelsNot(0)) ASSERT_EQ(col.at(p.first, p.second), 0x10101010u) << "once";
}
