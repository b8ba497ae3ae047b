// Every drawing call of the line, polygon, curve, circle, blit and fill
// families with random and extreme arguments: nothing is ever written
// outside the bitmap, on upright and bottom-up bitmaps alike (and, in the
// sanitizers' build, no arithmetic overflows).
#include "draw_probe.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <random>

namespace
{
struct Rng
{
  std::mt19937 g;
  explicit Rng(unsigned s) : g(s) {}
  // Mostly near the bitmap, sometimes far off or extreme.
  int i()
  {
    const int far[] = {INT_MIN, -1000000000, 1000000000, INT_MAX};
    const unsigned k = g() % 10;
    return k == 0 ? far[g() % 4] : k == 1 ? (int)g() : (int)(g() % 80) - 20;
  }
  float f()
  {
    const float odd[] = {std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN(), 3.0e9f, -3.0e9f};
    const unsigned k = g() % 12;
    return k < 2 ? odd[k] : k == 2 ? odd[2 + g() % 2] : (float)(g() % 8000) / 100.0f - 20.0f;
  }
  float alpha()
  {
    const float a[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.3f, -0.7f, 0.0f, 40.0f, 1.0e6f, -1.0e6f};
    return a[g() % 10];
  }
  int mode() { return (int)(g() % 7) | (g() % 3 == 0 ? 0x10100 : 0); }
  LICE_Pixel c() { return (LICE_Pixel)g(); }
  bool b() { return g() % 2; }
};
} // namespace

TEST(DrawRobustness, NothingOutsideTheBitmap)
{
  Rng r(2024);
  GuardedBitmap src(13, 9);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 13; ++x) src.at(x, y) = (LICE_Pixel)(x * 977 + y * 131) | 0x80u;
  for (int round = 0; round < 4000; ++round)
  {
    GuardedBitmap bm(1 + r.g() % 40, 1 + r.g() % 30, r.b());
    switch (round % 16)
    {
      case 0:
        LICE_Line(&bm, r.i(), r.i(), r.i(), r.i(), r.c(), r.alpha(), r.mode(), r.b());
        break;
      case 1:
        LICE_FLine(&bm, r.f(), r.f(), r.f(), r.f(), r.c(), r.alpha(), r.mode(), r.b());
        break;
      case 2:
        LICE_DashedLine(&bm, r.i(), r.i(), r.i(), r.i(), r.i() % 5, r.i() % 5, r.c(), r.alpha(),
                        r.mode(), false);
        break;
      case 3:
        LICE_DrawRect(&bm, r.i(), r.i(), r.i(), r.i(), r.c(), r.alpha(), r.mode());
        break;
      case 4:
        LICE_FillTrapezoid(&bm, r.i(), r.i(), r.i(), r.i(), r.i(), r.i(), r.c(), r.alpha(),
                           r.mode());
        break;
      case 5:
      {
        int xs[7], ys[7];
        for (int k = 0; k < 7; ++k) xs[k] = r.i(), ys[k] = r.i();
        LICE_FillConvexPolygon(&bm, xs, ys, 3 + r.g() % 5, r.c(), r.alpha(), r.mode());
        break;
      }
      case 6:
        LICE_DrawQBezier(&bm, r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.c(), r.alpha(), r.mode(),
                         r.b(), r.f());
        break;
      case 7:
        LICE_DrawCBezier(&bm, r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.c(),
                         r.alpha(), r.mode(), r.b(), 1.0f);
        break;
      case 8:
        LICE_FillCBezier(&bm, r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.i(), r.c(),
                         r.alpha(), r.mode(), 1.0f);
        LICE_FillCBezierX(&bm, r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.f(), r.i(), r.c(),
                          r.alpha(), r.mode(), 1.0f);
        break;
      case 9:
        LICE_Circle(&bm, r.f(), r.f(), r.f() / 2, r.c(), r.alpha(), r.mode(), r.b());
        LICE_FillCircle(&bm, r.f(), r.f(), r.f() / 2, r.c(), r.alpha(), r.mode(), r.b());
        break;
      case 10:
        LICE_Arc(&bm, r.f(), r.f(), r.f() / 2, r.f() / 5, r.f() / 5, r.c(), r.alpha(), r.mode(),
                 r.b());
        break;
      case 11:
        LICE_RoundRect(&bm, r.f(), r.f(), r.f(), r.f(), r.i() % 20, r.c(), r.alpha(), r.mode(),
                       r.b());
        break;
      case 12:
        LICE_RotatedBlit(&bm, &src, r.i(), r.i(), r.i(), r.i(), r.f(), r.f(), r.f(), r.f(),
                         r.f() / 10, r.b(), r.alpha(), r.mode(), r.f() / 10, r.f() / 10);
        break;
      case 13:
      {
        float pts[12];
        for (float& p : pts) p = r.f();
        LICE_TransformBlit(&bm, &src, r.i(), r.i(), r.i() % 60, r.i() % 60, pts, 2, 3, r.alpha(),
                           r.mode());
        LICE_DeltaBlit(&bm, &src, r.i(), r.i(), r.i(), r.i(), r.f(), r.f(), r.f(), r.f(),
                       r.f() / 10, r.f() / 10, r.f() / 10, r.f() / 10, r.f() / 100, r.f() / 100,
                       r.b(), r.alpha(), r.mode());
        break;
      }
      case 14:
        LICE_Blit(&bm, &src, r.i(), r.i(), r.i(), r.i(), r.i(), r.i(), r.alpha(), r.mode());
        LICE_ScaledBlit(&bm, &src, r.i(), r.i(), r.i(), r.i(), r.f(), r.f(), r.f(), r.f(),
                        r.alpha(), r.mode());
        break;
      case 15:
        LICE_Clear(&bm, r.c()); // the formulas multiply with what is there
        LICE_FillRect(&bm, r.i(), r.i(), r.i(), r.i(), r.c(), r.alpha(), r.mode());
        LICE_PutPixel(&bm, r.i() % 40, r.i() % 30, r.c(), r.alpha(), r.mode());
        LICE_GradRect(&bm, r.i(), r.i(), r.i(), r.i(), r.f(), r.f(), r.f(), r.alpha(), r.f(), r.f(),
                      r.f(), r.f() / 100, r.f(), r.f(), r.f(), r.f() / 100, r.mode());
        break;
    }
    ASSERT_TRUE(bm.guardIntact()) << "round " << round;
  }
  // Curve fills towards the first or last row or column of the int range.
  GuardedBitmap bm(40, 30);
  for (int fill : {INT_MIN, INT_MAX})
  {
    LICE_FillCBezier(&bm, 0, 5, 10, 30, 25, -5, 39, 20, fill, 0xffffffff, 1.0f, 0, 20.0f);
    LICE_FillCBezierX(&bm, 5, 0, 30, 10, -5, 25, 20, 29, fill, 0xffffffff, 1.0f, 0, 20.0f);
  }
  EXPECT_TRUE(bm.guardIntact());
}
