// Quadratic and cubic Bezier curves drawn as chains of float lines, and the
// area between a cubic curve and a row or column filled with polygons.
#include "lice.h"
#include "lice_draw_select.h"

#include <cmath>
#include <utility>

namespace
{

// More chords than this are never useful on a bitmap; it bounds the work for
// absurd control points.
const double kMaxChords = 1 << 20;

inline bool Finite(float v) { return std::isfinite(v); }

inline float Dist(float x1, float y1, float x2, float y2)
{
  const double dx = (double)x2 - x1, dy = (double)y2 - y1;
  return (float)std::sqrt(dx * dx + dy * dy);
}

inline int Trunc(double v)
{
  if (v >= 2.0e9) return 2000000000;
  if (v <= -2.0e9) return -2000000000;
  return (int)v;
}

// Chord count from the control-polygon length, the tolerance and the visible
// share of the parameter range; 0 for nothing to draw.
inline int ChordCount(double len, double share, float tol)
{
  if (tol <= 0.0f) tol = 1.0f;
  double n = share * len / tol;
  if (!(n == n)) return 0;
  if (n > kMaxChords) n = kMaxChords;
  const int in = (int)n;
  return in < 1 ? 1 : in;
}

// A cubic curve prepared for drawing: coefficients, the visible parameter
// range and its end points, and the number of chords.
struct CBezCurve
{
  double ax, bx, cx, dx, ay, by, cy, dy;
  float xlo, xhi, ylo, yhi;
  double tlo, thi;
  int n;
  // The point k steps of (thi - tlo) / n from tlo.
  void Point(int k, float* x, float* y) const
  {
    const double t = tlo + k * ((thi - tlo) / n);
    *x = (float)(((ax * t + bx) * t + cx) * t + dx);
    *y = (float)(((ay * t + by) * t + cy) * t + dy);
  }
};

// Shared preparation of the cubic calls: orientation, coefficients, column
// clipping. Returns the chord count, 0 for nothing to draw.
int CBezPrep(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
             float yctl2, float xend, float yend, float tol, bool xbasis, double* ax, double* bx,
             double* cx, double* dx, double* ay, double* by, double* cy, double* dy, float* xlo,
             float* xhi, float* ylo, float* yhi, double* tlo, double* thi)
{
  if (!dest) return 0;
  if (!Finite(xstart) || !Finite(ystart) || !Finite(xctl1) || !Finite(yctl1) || !Finite(xctl2) ||
      !Finite(yctl2) || !Finite(xend) || !Finite(yend))
    return 0;
  const int w = dest->getWidth();
  if ((xbasis && xstart > xend) || (!xbasis && ystart > yend))
  {
    std::swap(xstart, xend);
    std::swap(ystart, yend);
    std::swap(xctl1, xctl2);
    std::swap(yctl1, yctl2);
  }
  const double len = (double)Dist(xstart, ystart, xctl1, yctl1) + Dist(xctl1, yctl1, xctl2, yctl2) +
                     Dist(xctl2, yctl2, xend, yend);
  LICE_CBezier_GetCoeffs(xstart, xctl1, xctl2, xend, ystart, yctl1, yctl2, yend, ax, bx, cx, ay, by,
                         cy);
  *dx = xstart;
  *dy = ystart;
  *xlo = xstart;
  *xhi = xend;
  *ylo = ystart;
  *yhi = yend;
  *tlo = 0.0;
  *thi = 1.0;
  if (*xlo < 0.0f)
  {
    *xlo = 0.0f;
    *ylo = LICE_CBezier_GetY(xstart, xctl1, xctl2, xend, ystart, yctl1, yctl2, yend, 0.0f, nullptr,
                             nullptr, nullptr, tlo);
  }
  if (*xhi > (float)w)
  {
    *xhi = (float)w;
    *yhi = LICE_CBezier_GetY(xstart, xctl1, xctl2, xend, ystart, yctl1, yctl2, yend, (float)w,
                             nullptr, nullptr, thi, nullptr);
  }
  if ((xbasis && *xlo > *xhi) || (!xbasis && *ylo > *yhi)) return 0;
  return ChordCount(len, *thi - *tlo, tol);
}

int CBezPrep(LICE_IBitmap* dest, const float* p, float tol, bool xbasis, CBezCurve* c)
{
  c->n = CBezPrep(dest, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], tol, xbasis, &c->ax, &c->bx,
                  &c->cx, &c->dx, &c->ay, &c->by, &c->cy, &c->dy, &c->xlo, &c->xhi, &c->ylo,
                  &c->yhi, &c->tlo, &c->thi);
  return c->n;
}

// Area between the chord (x1, y1)-(x2, y2), columns x1 to x2, and row yfill.
void DoBezierFillSegment(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int yfill,
                         LICE_Pixel color, float alpha, int mode)
{
  if (x2 < x1) return;
  if (x2 == x1)
  {
    const int top = y1 < yfill ? y1 : yfill;
    int bottom = y2 > yfill ? y2 : yfill;
    if (bottom != yfill) --bottom;
    LICE_Line(dest, x1, top, x1, bottom, color, alpha, mode, false);
    return;
  }
  if ((y1 >= yfill) == (y2 >= yfill))
  {
    const int yf = y1 < yfill ? LICE_ClampInt((long long)yfill + 1) : yfill;
    const int xs[4] = {x1, x1, x2, x2};
    const int ys[4] = {y1, yf, y2, yf};
    LICE_FillConvexPolygon(dest, xs, ys, 4, color, alpha, mode);
    return;
  }
  const int xc = Trunc(x1 + ((double)yfill - y1) * ((double)x2 - x1) / ((double)y2 - y1));
  const int yf1 = y1 < yfill ? LICE_ClampInt((long long)yfill + 1) : yfill;
  LICE_FillTriangle(dest, x1, y1, x1, yf1, xc, yf1, color, alpha, mode);
  const int yf2 = y2 < yfill ? LICE_ClampInt((long long)yfill + 1) : yfill;
  LICE_FillTriangle(dest, xc, yf2, x2, yf2, x2, y2, color, alpha, mode);
}

// Area between the chord, rows y1 to y2, and column xfill.
void DoBezierFillSegmentX(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int xfill,
                          LICE_Pixel color, float alpha, int mode)
{
  if (y2 < y1) return;
  if (y2 == y1)
  {
    const int left = x1 < xfill ? x1 : xfill;
    int right = x2 > xfill ? x2 : xfill;
    if (right != xfill) --right;
    LICE_Line(dest, left, y1, right, y1, color, alpha, mode, false);
    return;
  }
  if ((x1 >= xfill) == (x2 >= xfill))
  {
    // The polygon ends on the row above the next segment's first row, so
    // that no row is filled twice.
    const int xf = x1 < xfill ? LICE_ClampInt((long long)xfill + 1) : xfill;
    const int xs[4] = {x1, xf, x2, xf};
    const int ys[4] = {y1, y1, y2, y2};
    LICE_FillConvexPolygon(dest, xs, ys, 4, color, alpha, mode);
    return;
  }
  const int yc = Trunc(y1 + ((double)xfill - x1) * ((double)y2 - y1) / ((double)x2 - x1));
  const int xf1 = x1 < xfill ? LICE_ClampInt((long long)xfill + 1) : xfill;
  LICE_FillTriangle(dest, x1, y1, xf1, y1, xf1, yc, color, alpha, mode);
  const int xf2 = x2 < xfill ? LICE_ClampInt((long long)xfill + 1) : xfill;
  LICE_FillTriangle(dest, xf2, yc, xf2, y2, x2, y2, color, alpha, mode);
}

} // namespace

float LICE_Bezier_GetY(float x1, float x2, float x3, float y1, float y2, float y3, float x,
                       double* t)
{
  if (x1 >= x)
  {
    if (t) *t = 0.0;
    return y1;
  }
  if (x >= x3)
  {
    if (t) *t = 1.0;
    return y3;
  }
  const double a = (double)x1 - 2.0 * x2 + x3;
  double tt;
  if (a == 0.0)
  {
    if (x1 == x3)
    {
      if (t) *t = 0.0;
      return y1;
    }
    tt = ((double)x - x1) / ((double)x3 - x1);
  }
  else
  {
    const double b = 2.0 * ((double)x2 - x1);
    tt = (std::sqrt(b * b - 4.0 * a * ((double)x1 - x)) - b) / (2.0 * a);
  }
  if (t) *t = tt;
  const double it = 1.0 - tt;
  return (float)(y1 * it * it + y2 * 2.0 * it * tt + y3 * tt * tt);
}

float LICE_CBezier_GetY(float x1, float x2, float x3, float x4, float y1, float y2, float y3,
                        float y4, float x, float* nextx, float* dydx, double* tlo, double* thi)
{
  if (x1 > x)
  {
    if (nextx) *nextx = x1;
    if (dydx) *dydx = 0.0f;
    return y1;
  }
  if (x >= x4)
  {
    if (nextx) *nextx = x4;
    if (dydx) *dydx = 0.0f;
    return y4;
  }
  double ax, bx, cx, ay, by, cy;
  LICE_CBezier_GetCoeffs(x1, x2, x3, x4, y1, y2, y3, y4, &ax, &bx, &cx, &ay, &by, &cy);
  auto xat = [&](double t) { return ((ax * t + bx) * t + cx) * t + x1; };
  auto yat = [&](double t) { return ((ay * t + by) * t + cy) * t + y1; };
  double t0 = 0.0, t1 = 1.0, xl = 0.0, xh = 0.0;
  for (int i = 0; i < 8; ++i)
  {
    const double tm = (t0 + t1) * 0.5;
    const double xm = xat(tm);
    if (x > xm)
    {
      t0 = tm;
      xl = xm;
    }
    else if (xm > x)
    {
      t1 = tm;
      xh = xm;
    }
    else
    {
      t0 = tm;
      xl = xm;
      t1 = tm + 1.0 / 256.0;
      if (t1 > 1.0) t1 = 1.0;
      xh = xat(t1);
      break;
    }
  }
  if (t0 == 0.0) xl = xat(0.0);
  if (t1 == 1.0) xh = ax + bx + cx + x1;
  const double yl = yat(t0), yh = yat(t1);
  const double d = xl != xh ? (yh - yl) / (xh - xl) : 0.0;
  if (nextx) *nextx = (float)xh;
  if (dydx) *dydx = (float)d;
  if (tlo) *tlo = t0;
  if (thi) *thi = t1;
  return (float)(yl + (x - xl) * d);
}

void LICE_DrawQBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl, float yctl,
                      float xend, float yend, LICE_Pixel color, float alpha, int mode, bool aa,
                      float tol)
{
  if (!dest) return;
  if (!Finite(xstart) || !Finite(ystart) || !Finite(xctl) || !Finite(yctl) || !Finite(xend) ||
      !Finite(yend))
    return;
  const int w = dest->getWidth();
  if (xstart > xend)
  {
    std::swap(xstart, xend);
    std::swap(ystart, yend);
  }
  const double len = (double)Dist(xstart, ystart, xctl, yctl) + Dist(xctl, yctl, xend, yend);
  float xa = xstart, ya = ystart, xb = xend, yb = yend;
  double ta = 0.0, tb = 1.0;
  if (xstart < 0.0f)
  {
    xa = 0.0f;
    ya = LICE_Bezier_GetY(xstart, xctl, xend, ystart, yctl, yend, 0.0f, &ta);
  }
  if (xend >= (float)w)
  {
    xb = (float)(w - 1);
    yb = LICE_Bezier_GetY(xstart, xctl, xend, ystart, yctl, yend, xb, &tb);
  }
  if (xa > xb) return;
  const int n = ChordCount(len, tb - ta, tol);
  const double dt = (tb - ta) / n;
  float lx = xa, ly = ya;
  for (int k = 1; k < n; ++k)
  {
    float px, py;
    LICE_Bezier(xstart, xctl, xend, ystart, yctl, yend, ta + k * dt, &px, &py);
    LICE_FLine(dest, lx, ly, px, py, color, alpha, mode, aa);
    lx = px;
    ly = py;
  }
  LICE_FLine(dest, lx, ly, xb, yb, color, alpha, mode, aa);
}

void LICE_DrawCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, LICE_Pixel color,
                      float alpha, int mode, bool aa, float tol)
{
  if (!dest) return;
  const float pts[8] = {xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend};
  CBezCurve c;
  const int n = CBezPrep(dest, pts, tol, true, &c);
  if (!n) return;
  float lx = c.xlo, ly = c.ylo;
  for (int k = 1; k < n - 1; ++k)
  {
    float px, py;
    c.Point(k, &px, &py);
    LICE_FLine(dest, lx, ly, px, py, color, alpha, mode, aa);
    lx = px;
    ly = py;
  }
  LICE_FLine(dest, lx, ly, c.xhi, c.yhi, color, alpha, mode, aa);
}

void LICE_FillCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, int yfill, LICE_Pixel color,
                      float alpha, int mode, float tol)
{
  if (!dest) return;
  const float pts[8] = {xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend};
  CBezCurve c;
  const int n = CBezPrep(dest, pts, tol, true, &c);
  if (!n) return;
  int x1 = Trunc(c.xlo), y1 = Trunc(c.ylo + 0.5);
  for (int k = 1; k < n - 1; ++k)
  {
    float x, y;
    c.Point(k, &x, &y);
    if (Trunc(x) >= x1)
    {
      const int x2 = Trunc(x), y2 = Trunc(y + 0.5);
      DoBezierFillSegment(dest, x1, y1, x2, y2, yfill, color, alpha, mode);
      x1 = x2 + 1;
      y1 = y2;
    }
  }
  if (Trunc(c.xhi - 1.0) >= x1)
    DoBezierFillSegment(dest, x1, y1, Trunc(c.xhi - 1.0), Trunc(c.yhi + 0.5), yfill, color, alpha,
                        mode);
}

void LICE_FillCBezierX(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                       float xctl2, float yctl2, float xend, float yend, int xfill,
                       LICE_Pixel color, float alpha, int mode, float tol)
{
  if (!dest) return;
  const float pts[8] = {xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend};
  CBezCurve c;
  const int n = CBezPrep(dest, pts, tol, false, &c);
  if (!n) return;
  int x1 = Trunc(c.xlo + 0.5), y1 = Trunc(c.ylo);
  for (int k = 1; k < n - 1; ++k)
  {
    float x, y;
    c.Point(k, &x, &y);
    if (Trunc(y) >= y1)
    {
      const int x2 = Trunc(x + 0.5), y2 = Trunc(y);
      DoBezierFillSegmentX(dest, x1, y1, x2, y2, xfill, color, alpha, mode);
      x1 = x2;
      y1 = y2 + 1;
    }
  }
  if (Trunc(c.yhi - 1.0) >= y1)
    DoBezierFillSegmentX(dest, x1, y1, Trunc(c.xhi + 0.5), Trunc(c.yhi - 1.0), xfill, color, alpha,
                         mode);
}
