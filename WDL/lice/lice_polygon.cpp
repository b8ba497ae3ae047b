// Filled trapezoids (horizontal top and bottom edges), convex polygons cut
// into trapezoids, and triangles.
#include "lice.h"
#include "lice_draw_select.h"

#include <cmath>
#include <utility>
#include <cstdlib>

namespace
{

#define LICE_PIXCH(p) ((unsigned char*)(p))

// One edge of the row walk: column, 16.16 step magnitude, fraction, direction.
inline void AdvanceEdge(int& col, int step, int& frac, int dir)
{
  frac += step;
  if (frac > 65535)
  {
    col += dir * (frac / 65536);
    frac &= 65535;
  }
}

// Row walk shared by both filler families: in each row the columns
// max(x1, 0) up to min(x2, w) (exclusive) are handed to put(pixel).
template <class Put>
inline void WalkTrapezoid(int w, int span, LICE_Pixel* px, int rows, int x1, int x2, int stepL,
                          int stepR, int fracL, int fracR, int dirL, int dirR, Put&& put)
{
  while (rows-- > 0)
  {
    const int lo = x1 > 0 ? x1 : 0;
    const int hi = x2 < w ? x2 : w;
    for (int x = lo; x < hi; ++x) put(px + x);
    px += span;
    if (stepL) AdvanceEdge(x1, stepL, fracL, dirL);
    if (stepR) AdvanceEdge(x2, stepR, fracR, dirR);
  }
}

template <class F> struct _LICE_Fill
{
  static void FillClippedTrapezoid(int w, int span, LICE_Pixel* px, int rows, int x1, int x2,
                                   int stepL, int stepR, int fracL, int fracR, int dirL, int dirR,
                                   int r, int g, int b, int a, int alpha)
  {
    WalkTrapezoid(w, span, px, rows, x1, x2, stepL, stepR, fracL, fracR, dirL, dirR,
                  [&](LICE_Pixel* p) { F::doPix(LICE_PIXCH(p), r, g, b, a, alpha); });
  }
};

template <class F> struct _LICE_FillFast
{
  static void FillClippedTrapezoidFAST(int w, int span, LICE_Pixel* px, int rows, int x1, int x2,
                                       int stepL, int stepR, int fracL, int fracR, int dirL,
                                       int dirR, LICE_Pixel operand)
  {
    WalkTrapezoid(w, span, px, rows, x1, x2, stepL, stepR, fracL, fracR, dirL, dirR,
                  [&](LICE_Pixel* p) { F::doPixFAST(p, operand); });
  }
};

// The 16.16 step of an edge over the rows, limited to +-2^29.
inline int EdgeStep(int xa, int xb, double inv)
{
  double v = ((double)xb - (double)xa) * inv;
  if (v > 536870912.0) v = 536870912.0;
  if (v < -536870912.0) v = -536870912.0;
  return (int)v;
}

// Moves an edge down by skip rows at once (top clipping), exactly.
inline void SkipEdge(int& col, int step, int& frac, int dir, long long skip)
{
  long long f = skip * (long long)step;
  if (f > 65535)
  {
    long long c = (long long)col + dir * (f / 65536);
    // Beyond this the edge is far off the bitmap for every remaining row.
    if (c > 0x40000000) c = 0x40000000;
    if (c < -0x40000000) c = -0x40000000;
    col = (int)c;
    f %= 65536;
  }
  frac = (int)f;
}

int _ysort(const void* a, const void* b)
{
  const int* p = (const int*)a;
  const int* q = (const int*)b;
  if (p[1] < q[1]) return -1;
  if (p[1] > q[1]) return 1;
  if (p[0] < q[0]) return -1;
  if (p[0] > q[0]) return 1;
  return 0;
}

// Next vertex of the left (dir -1) or right (dir +1) chain below vertex
// start of the row-sorted array, or start itself when there is none.
int FindNextEdgeVertex(const int* xy, int start, int n, int dir)
{
  const int sx = xy[start * 2], sy = xy[start * 2 + 1];
  int best = start;
  float bestslope = 0.0f;
  for (int i = start + 1; i < n; ++i)
  {
    const int y = xy[i * 2 + 1];
    if (y == sy) continue;
    const float s = (float)((double)xy[i * 2] - sx) / (float)((double)y - sy);
    if (best == start || s == bestslope || (dir < 0 && s < bestslope) || (dir > 0 && s > bestslope))
    {
      best = i;
      bestslope = s;
    }
  }
  return best;
}

int FindXOnSegment(int x1, int y1, int x2, int y2, int y)
{
  if (y1 > y2)
  {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  if (y <= y1) return x1;
  if (y >= y2) return x2;
  const float q = (float)((double)x2 - x1) / (float)((double)y2 - y1);
  const float d = (float)((double)y - y1) * q;
  // The result lies between x1 and x2; the limits only guard rounding.
  return LICE_ClampInt((long long)x1 + (long long)d);
}

} // namespace

void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x2a, int ya, int x1b, int x2b, int yb,
                        LICE_Pixel color, float alpha, int mode)
{
  if (!dest) return;
  if (ya > yb)
  {
    std::swap(ya, yb);
    std::swap(x1a, x1b);
    std::swap(x2a, x2b);
  }
  if (x1a > x2a)
  {
    std::swap(x1a, x2a);
  }
  if (x1b > x2b)
  {
    std::swap(x1b, x2b);
  }
  const int w = dest->getWidth(), h = dest->getHeight();
  if (x2a < 0 && x2b < 0) return;
  if (x1a >= w && x1b >= w) return;
  if (x1a <= 0 && x1b <= 0) x1a = x1b = 0;
  if (x2a >= w - 1 && x2b >= w - 1) x2a = x2b = w - 1;
  if (yb < 0 || ya >= h) return;
  LICE_Pixel* bits = dest->getBits();
  if (!bits) return;

  const double inv = ya != yb ? 65536.0 / ((double)yb - (double)ya) : 0.0;
  int stepL = EdgeStep(x1a, x1b, inv), stepR = EdgeStep(x2a, x2b, inv);
  int dirL = 1, dirR = 1;
  if (stepL < 0)
  {
    stepL = -stepL;
    dirL = -1;
  }
  if (stepR < 0)
  {
    stepR = -stepR;
    dirR = -1;
  }
  int fracL = 0, fracR = 0;
  // The right column is exclusive from here on; x2a + 1 cannot overflow
  // after the clamp to w - 1 above unless x2a was already below w.
  int xl = x1a, xr = x2a < 0x7fffffff ? x2a + 1 : x2a;
  if (ya < 0)
  {
    const long long skip = -(long long)ya;
    SkipEdge(xl, stepL, fracL, dirL, skip);
    SkipEdge(xr, stepR, fracR, dirR, skip);
    ya = 0;
  }
  if (yb > h - 1) yb = h - 1;
  const int rows = yb - ya + 1;
  const int span = dest->getRowSpan();
  LICE_Pixel* px = bits + ya * span;

  if (!stepL && !stepR)
  {
    const int lo = xl > 0 ? xl : 0;
    const int hi = xr < w ? xr : w;
    if (hi - lo <= 0) return;
    px += lo;
    xl = 0;
    xr = hi - lo;
  }

  const int weight = LICE_DrawWeight(alpha);
  if ((mode & 0xff) == 0)
  {
    LICE_Pixel operand = 0;
    auto fast = [&](auto tag)
    {
      using F = typename decltype(tag)::type;
      _LICE_FillFast<F>::FillClippedTrapezoidFAST(w, span, px, rows, xl, xr, stepL, stepR, fracL,
                                                  fracR, dirL, dirR, operand);
    };
    switch (weight)
    {
      case 256:
        operand = color;
        return fast(LICE_FunctorTag<_LICE_CombinePixelsClobberFAST>());
      case 128:
        operand = (color >> 1) & 0x7f7f7f7fu;
        return fast(LICE_FunctorTag<_LICE_CombinePixelsHalfMix2FAST>());
      case 64:
        operand = (color >> 2) & 0x3f3f3f3fu;
        return fast(LICE_FunctorTag<_LICE_CombinePixelsQuarterMix2FAST>());
      case 192:
        operand = ((color >> 1) & 0x7f7f7f7fu) + ((color >> 2) & 0x3f3f3f3fu);
        return fast(LICE_FunctorTag<_LICE_CombinePixelsThreeQuarterMix2FAST>());
    }
  }
  LICE_DispatchFill(mode, weight,
                    [&](auto tag)
                    {
                      using F = typename decltype(tag)::type;
                      _LICE_Fill<F>::FillClippedTrapezoid(w, span, px, rows, xl, xr, stepL, stepR,
                                                          fracL, fracR, dirL, dirR,
                                                          LICE_DRAW_RGBA(color), weight);
                    });
}

void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints,
                            LICE_Pixel color, float alpha, int mode)
{
  if (!dest || !x || !y || npoints < 3) return;
  const int w = dest->getWidth(), h = dest->getHeight();
  const bool flip = dest->isFlipped();

  int localxy[512 * 2];
  int* xy = localxy;
  if (npoints > 512)
  {
    xy = (int*)malloc(sizeof(int) * 2 * (size_t)npoints);
    if (!xy) return; // no memory for the vertices: nothing is drawn
  }
  int minx = w, maxx = 0;
  for (int i = 0; i < npoints; ++i)
  {
    const int vx = x[i];
    xy[i * 2] = vx;
    xy[i * 2 + 1] = flip ? LICE_ClampInt((long long)h - 1 - y[i]) : y[i];
    if (vx < minx) minx = vx;
    if (vx > maxx) maxx = vx;
  }
  qsort(xy, (size_t)npoints, sizeof(int) * 2, _ysort);

  const int n = npoints;
  if (xy[1] == xy[(n - 1) * 2 + 1])
  {
    const int row = xy[1];
    if (row >= 0 && row < h && minx <= maxx)
      LICE_FillTrapezoid(dest, minx, maxx, row, minx, maxx, row, color, alpha, mode);
  }
  else
  {
    int row = xy[1];
    int rightCur = 0, leftCur = 0;
    for (int i = 0; i < n && xy[i * 2 + 1] == row; ++i)
    {
      rightCur = i;
      if (xy[i * 2] == xy[0]) leftCur = i;
    }
    int leftNext = FindNextEdgeVertex(xy, leftCur, n, -1);
    int rightNext = FindNextEdgeVertex(xy, rightCur, n, 1);
    while (leftCur != leftNext || rightCur != rightNext)
    {
      const int yL = xy[leftNext * 2 + 1], yR = xy[rightNext * 2 + 1];
      const int yEnd = yL < yR ? yL : yR;
      const int* lc = xy + leftCur * 2;
      const int* ln = xy + leftNext * 2;
      const int* rc = xy + rightCur * 2;
      const int* rn = xy + rightNext * 2;
      const int xl0 = FindXOnSegment(lc[0], lc[1], ln[0], ln[1], row);
      const int xl1 = FindXOnSegment(lc[0], lc[1], ln[0], ln[1], yEnd);
      const int xr0 = FindXOnSegment(rc[0], rc[1], rn[0], rn[1], row);
      const int xr1 = FindXOnSegment(rc[0], rc[1], rn[0], rn[1], yEnd);
      LICE_FillTrapezoid(dest, xl0, xr0, row, xl1, xr1, yEnd, color, alpha, mode);
      if (yL == yEnd)
      {
        leftCur = leftNext;
        leftNext = FindNextEdgeVertex(xy, leftCur, n, -1);
      }
      if (yR == yEnd)
      {
        rightCur = rightNext;
        rightNext = FindNextEdgeVertex(xy, rightCur, n, 1);
      }
      if (yEnd == 2147483647) break;
      row = yEnd + 1;
    }
  }
  if (xy != localxy) free(xy);
}

void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       LICE_Pixel color, float alpha, int mode)
{
  const int xs[3] = {x1, x2, x3};
  const int ys[3] = {y1, y2, y3};
  LICE_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}
