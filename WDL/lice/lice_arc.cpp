// Circle outlines, filled discs, arcs and rectangles with rounded corners.
// One scan converter per combine functor: an integer midpoint walk, and an
// anti-aliased walk that splits each step between the two pixels straddling
// the exact circle. Small circles of six radii are stamped from masks.
#include "lice.h"
#include "lice_draw_select.h"

#include <cmath>

namespace
{

#define LICE_PIXCH(p) ((unsigned char*)(p))

// Radii beyond this are far larger than any bitmap; they are not drawn.
const float kMaxRadius = 16777216.0f;

// FL combines the full-weight spans of filled discs; it is F except where a
// cheaper functor gives the same bytes (copy at full weight is a store).
template <class F, class FL = F> struct _LICE_CircleDrawer
{
  static void DrawClippedPt(LICE_IBitmap* dest, int x, int y, const int* clip, int r, int g, int b,
                            int a, int alpha, bool clipped)
  {
    if (clipped && (x < clip[0] || y < clip[1] || x >= clip[2] || y >= clip[3])) return;
    LICE_Pixel* px = dest->getBits() + y * dest->getRowSpan() + x;
    F::doPix(LICE_PIXCH(px), r, g, b, a, alpha);
  }

  static void DrawClippedVertLine(LICE_IBitmap* dest, int x, int y1, int y2, const int* clip, int r,
                                  int g, int b, int a, int alpha, bool clipped)
  {
    if (clipped)
    {
      if (x < clip[0] || x >= clip[2]) return;
      if (y1 < clip[1]) y1 = clip[1];
      if (y2 >= clip[3]) y2 = clip[3] - 1;
    }
    if (y1 > y2) return;
    const int span = dest->getRowSpan();
    LICE_Pixel* px = dest->getBits() + y1 * span + x;
    for (int y = y1; y <= y2; ++y, px += span) FL::doPix(LICE_PIXCH(px), r, g, b, a, alpha);
  }

  static void DrawClippedHorzLine(LICE_IBitmap* dest, int y, int x1, int x2, const int* clip, int r,
                                  int g, int b, int a, int alpha, bool clipped)
  {
    if (clipped)
    {
      if (y < clip[1] || y >= clip[3]) return;
      if (x1 < clip[0]) x1 = clip[0];
      if (x2 >= clip[2]) x2 = clip[2] - 1;
    }
    if (x1 > x2) return;
    LICE_Pixel* px = dest->getBits() + y * dest->getRowSpan() + x1;
    for (int x = x1; x <= x2; ++x, ++px) FL::doPix(LICE_PIXCH(px), r, g, b, a, alpha);
  }

  static void DrawClippedCircle(LICE_IBitmap* dest, float cx, float cy, float rad, const int* clip,
                                LICE_Pixel color, int alpha, bool filled, bool clipped)
  {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    const int X = (int)(cx + 0.5f), Y = (int)(cy + 0.5f), R = (int)(rad + 0.5f);
    if (filled)
    {
      DrawClippedVertLine(dest, X, Y - R, Y - 1, clip, r, g, b, a, alpha, clipped);
      DrawClippedVertLine(dest, X, Y + 1, Y + R, clip, r, g, b, a, alpha, clipped);
      DrawClippedHorzLine(dest, Y, X - R, X + R, clip, r, g, b, a, alpha, clipped);
    }
    else
    {
      DrawClippedPt(dest, X, Y - R, clip, r, g, b, a, alpha, clipped);
      DrawClippedPt(dest, X + R, Y, clip, r, g, b, a, alpha, clipped);
      DrawClippedPt(dest, X, Y + R, clip, r, g, b, a, alpha, clipped);
      DrawClippedPt(dest, X - R, Y, clip, r, g, b, a, alpha, clipped);
    }
    int y = R, d = -R, x = 0;
    for (;;)
    {
      ++x;
      if (x >= y) break;
      if (d >= 0)
      {
        --y;
        d += 2 * (x - y) + 1;
      }
      else
        d += 2 * x + 1;
      if (filled)
      {
        DrawClippedVertLine(dest, X - x, Y - y, Y - x - 1, clip, r, g, b, a, alpha, clipped);
        DrawClippedVertLine(dest, X - x, Y + x + 1, Y + y, clip, r, g, b, a, alpha, clipped);
        DrawClippedVertLine(dest, X + x, Y - y, Y - x - 1, clip, r, g, b, a, alpha, clipped);
        DrawClippedVertLine(dest, X + x, Y + x + 1, Y + y, clip, r, g, b, a, alpha, clipped);
        DrawClippedHorzLine(dest, Y - x, X - y, X - x, clip, r, g, b, a, alpha, clipped);
        DrawClippedHorzLine(dest, Y - x, X + x, X + y, clip, r, g, b, a, alpha, clipped);
        DrawClippedHorzLine(dest, Y + x, X - y, X - x, clip, r, g, b, a, alpha, clipped);
        DrawClippedHorzLine(dest, Y + x, X + x, X + y, clip, r, g, b, a, alpha, clipped);
      }
      else
      {
        DrawClippedPt(dest, X - x, Y - y, clip, r, g, b, a, alpha, clipped);
        DrawClippedPt(dest, X - x, Y + y, clip, r, g, b, a, alpha, clipped);
        DrawClippedPt(dest, X + x, Y - y, clip, r, g, b, a, alpha, clipped);
        DrawClippedPt(dest, X + x, Y + y, clip, r, g, b, a, alpha, clipped);
        if (x != y)
        {
          DrawClippedPt(dest, X - y, Y - x, clip, r, g, b, a, alpha, clipped);
          DrawClippedPt(dest, X - y, Y + x, clip, r, g, b, a, alpha, clipped);
          DrawClippedPt(dest, X + y, Y - x, clip, r, g, b, a, alpha, clipped);
          DrawClippedPt(dest, X + y, Y + x, clip, r, g, b, a, alpha, clipped);
        }
      }
    }
  }

  static void DrawClippedCircleAA(LICE_IBitmap* dest, float cx, float cy, float rad,
                                  const int* clip, LICE_Pixel color, int W, bool filled,
                                  bool clipped)
  {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    const int X = (int)(cx + 0.5f), Y = (int)(cy + 0.5f), R = (int)rad;
    const double f = (double)rad - std::floor((double)rad);
    const int wo = (int)(W * f);
    auto pt = [&](int x, int y, int wt)
    { DrawClippedPt(dest, x, y, clip, r, g, b, a, wt, clipped); };
    auto vl = [&](int x, int y1, int y2)
    { DrawClippedVertLine(dest, x, y1, y2, clip, r, g, b, a, W, clipped); };
    auto hl = [&](int y, int x1, int x2)
    { DrawClippedHorzLine(dest, y, x1, x2, clip, r, g, b, a, W, clipped); };

    pt(X, Y - R - 1, wo);
    pt(X, Y + R + 1, wo);
    pt(X - R - 1, Y, wo);
    pt(X + R + 1, Y, wo);
    if (filled)
    {
      vl(X, Y - R, Y - 1);
      vl(X, Y + 1, Y + R);
      hl(Y, X - R, X + R);
    }
    else
    {
      pt(X, Y - R, W - wo);
      pt(X + R, Y, W - wo);
      pt(X, Y + R, W - wo);
      pt(X - R, Y, W - wo);
    }

    const double r2 = (double)(rad * rad);
    for (int y = 1;; ++y)
    {
      const double rem = r2 - (double)y * y;
      if (rem < 0.0) break;
      const double e = std::sqrt(rem);
      const int er = (int)(e + 0.5);
      if (y > er) break;
      const int xi = (int)e;
      const int wa = (int)(W * (e - std::floor(e)));
      const bool diag = y == er;
      pt(X - y, Y - xi - 1, wa);
      pt(X - y, Y + xi + 1, wa);
      pt(X + y, Y - xi - 1, wa);
      pt(X + y, Y + xi + 1, wa);
      if (!diag)
      {
        pt(X - xi - 1, Y - y, wa);
        pt(X + xi + 1, Y - y, wa);
        pt(X - xi - 1, Y + y, wa);
        pt(X + xi + 1, Y + y, wa);
      }
      if (filled)
      {
        vl(X - y, Y - xi, Y - y - 1);
        vl(X - y, Y + y + 1, Y + xi);
        vl(X + y, Y - xi, Y - y - 1);
        vl(X + y, Y + y + 1, Y + xi);
        hl(Y - y, X - xi, X - y);
        hl(Y - y, X + y, X + xi);
        hl(Y + y, X - xi, X - y);
        hl(Y + y, X + y, X + xi);
      }
      else
      {
        pt(X - xi, Y - y, W - wa);
        pt(X + xi, Y - y, W - wa);
        pt(X - y, Y + xi, W - wa);
        pt(X + y, Y + xi, W - wa);
        if (!diag)
        {
          pt(X - y, Y - xi, W - wa);
          pt(X + y, Y - xi, W - wa);
          pt(X - xi, Y + y, W - wa);
          pt(X + xi, Y + y, W - wa);
        }
      }
    }
  }
};

void __DrawCircleClipped(LICE_IBitmap* dest, float cx, float cy, float r, LICE_Pixel color,
                         int weight, bool aa, bool filled, int mode, const int* clip, bool clipped)
{
  if (!dest->getBits()) return;
  if (aa && filled && (mode & 0xff) == 0 && weight == 256)
  {
    _LICE_CircleDrawer<_LICE_CombinePixelsCopyNoClamp,
                       _LICE_CombinePixelsClobberNoClamp>::DrawClippedCircleAA(dest, cx, cy, r,
                                                                               clip, color, weight,
                                                                               filled, clipped);
    return;
  }
  LICE_DispatchLine(mode, weight, !aa,
                    [&](auto tag)
                    {
                      using F = typename decltype(tag)::type;
                      if (aa)
                        _LICE_CircleDrawer<F>::DrawClippedCircleAA(dest, cx, cy, r, clip, color,
                                                                   weight, filled, clipped);
                      else
                        _LICE_CircleDrawer<F>::DrawClippedCircle(dest, cx, cy, r, clip, color,
                                                                 weight, filled, clipped);
                    });
}

// Coverage masks of the small outline circles, plain and anti-aliased.
const unsigned char kCircle15AA[16] = {79,  255, 255, 79,  255, 15,  15,  255,
                                       255, 15,  15,  255, 79,  255, 255, 79};
const unsigned char kCircle15[16] = {0,   255, 255, 0,   255, 0,   0,   255,
                                     255, 0,   0,   255, 0,   255, 255, 0};
const unsigned char kCircle2AA[25] = {15, 191, 255, 191, 15, 191, 209, 79, 209, 191, 255, 79, 0,
                                      79, 255, 191, 209, 79, 209, 191, 15, 191, 255, 191, 15};
const unsigned char kCircle2[25] = {0, 0,   255, 0,   0, 0,   255, 0, 255, 0,   255, 0, 0,
                                    0, 255, 0,   255, 0, 255, 0,   0, 0,   255, 0,   0};
const unsigned char kCircle25AA[36] = {15,  191, 255, 255, 191, 15,  191, 209, 79,  79,  209, 191,
                                       255, 79,  0,   0,   79,  255, 255, 79,  0,   0,   79,  255,
                                       191, 209, 79,  79,  209, 191, 15,  191, 255, 255, 191, 15};
const unsigned char kCircle25[36] = {0,   0,   255, 255, 0,   0,   0,   255, 0,   0,   255, 0,
                                     255, 0,   0,   0,   0,   255, 255, 0,   0,   0,   0,   255,
                                     0,   255, 0,   0,   255, 0,   0,   0,   255, 255, 0,   0};
const unsigned char kCircle3AA[49] = {
    0,   143, 255, 255, 255, 143, 0,   143, 255, 97,  64,  97,  255, 143, 255, 112, 0,
    0,   0,   112, 255, 255, 48,  0,   0,   0,   48,  255, 255, 112, 0,   0,   0,   112,
    255, 143, 255, 97,  64,  97,  255, 143, 0,   143, 255, 255, 255, 143, 0};
const unsigned char kCircle3[49] = {0, 0,   255, 255, 255, 0,   0,   0,   255, 0, 0,   0, 255,
                                    0, 255, 0,   0,   0,   0,   0,   255, 255, 0, 0,   0, 0,
                                    0, 255, 255, 0,   0,   0,   0,   0,   255, 0, 255, 0, 0,
                                    0, 255, 0,   0,   0,   255, 255, 255, 0,   0};
const unsigned char kCircle35AA[64] = {
    0,   79,  222, 255, 255, 222, 79,  0,   79,  255, 176, 64,  64,  176, 255, 79,
    222, 176, 0,   0,   0,   0,   176, 222, 255, 64,  0,   0,   0,   0,   64,  255,
    255, 64,  0,   0,   0,   0,   64,  255, 222, 176, 0,   0,   0,   0,   176, 222,
    79,  255, 176, 64,  64,  176, 255, 79,  0,   79,  222, 255, 255, 222, 79,  0};
const unsigned char kCircle35[64] = {0,   0,   255, 255, 255, 255, 0,   0,   0,   255, 255, 0,   0,
                                     255, 255, 0,   255, 255, 0,   0,   0,   0,   255, 255, 255, 0,
                                     0,   0,   0,   0,   0,   255, 255, 0,   0,   0,   0,   0,   0,
                                     255, 255, 255, 0,   0,   0,   0,   255, 255, 0,   255, 255, 0,
                                     0,   255, 255, 0,   0,   0,   255, 255, 255, 255, 0,   0};
const unsigned char kCircle4AA[81] = {
    0,  31,  176, 255, 255, 255, 176, 31,  0,   31,  240, 209, 79, 64,  79,  209, 240,
    31, 176, 209, 15,  0,   0,   0,   15,  209, 176, 255, 79,  0,  0,   0,   0,   0,
    79, 255, 255, 48,  0,   0,   0,   0,   0,   48,  255, 255, 79, 0,   0,   0,   0,
    0,  79,  255, 176, 209, 15,  0,   0,   0,   15,  209, 176, 31, 240, 209, 79,  64,
    79, 209, 240, 31,  0,   31,  176, 255, 255, 255, 176, 31,  0};
const unsigned char kCircle4[81] = {
    0, 0,   255, 255, 255, 255, 255, 0,   0, 0, 255, 255, 0,   0,   0,   255, 255, 0, 255, 255, 0,
    0, 0,   0,   0,   255, 255, 255, 0,   0, 0, 0,   0,   0,   0,   255, 255, 0,   0, 0,   0,   0,
    0, 0,   255, 255, 0,   0,   0,   0,   0, 0, 0,   255, 255, 255, 0,   0,   0,   0, 0,   255, 255,
    0, 255, 255, 0,   0,   0,   255, 255, 0, 0, 0,   255, 255, 255, 255, 255, 0,   0};

bool CachedCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_Pixel color, float alpha,
                  int mode, bool aa)
{
  // The mask side is 2r + 1: 4, 5, 6, 7, 8, 9.
  static const struct
  {
    float r;
    const unsigned char *aa, *plain;
  } kMasks[] = {{1.5f, kCircle15AA, kCircle15}, {2.0f, kCircle2AA, kCircle2},
                {2.5f, kCircle25AA, kCircle25}, {3.0f, kCircle3AA, kCircle3},
                {3.5f, kCircle35AA, kCircle35}, {4.0f, kCircle4AA, kCircle4}};
  const unsigned char* mask = nullptr;
  for (auto& m : kMasks)
    if (r == m.r) mask = aa ? m.aa : m.plain;
  if (!mask) return false;
  const int side = (int)(2.0f * r) + 1;
  const float fx = cx - r, fy = cy - r;
  // Centres far off the int range cannot touch the bitmap.
  if (fx > -2.0e9f && fx < 2.0e9f && fy > -2.0e9f && fy < 2.0e9f)
    LICE_DrawGlyph(dest, (int)fx, (int)fy, color, mask, side, side, alpha, mode);
  return true;
}

// Common steps of the circle and the filled circle after the mask shortcut.
void DrawCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_Pixel color, float alpha,
                int mode, bool aa, bool filled)
{
  const int w = dest->getWidth(), h = dest->getHeight();
  if (dest->isFlipped()) cy = (float)(h - 1) - cy;
  const int weight = LICE_DrawWeight(alpha);
  if (!weight) return;
  if (w < 1 || h < 1 || r < 0.0f) return;
  if (!std::isfinite(cx) || !std::isfinite(cy) || !(r <= kMaxRadius)) return;
  // A circle wholly outside the bitmap, fringe included, draws nothing.
  if (cx + r + 2.0f < 0.0f || cy + r + 2.0f < 0.0f || cx - r - 2.0f >= (float)w ||
      cy - r - 2.0f >= (float)h)
    return;
  const bool clipped = (cx - r - 2.0f < 0.0f) || (cy - r - 2.0f < 0.0f) ||
                       (cx + r + 2.0f >= (float)w) || (cy + r + 2.0f >= (float)h);
  const int clip[4] = {0, 0, w, h};
  __DrawCircleClipped(dest, cx, cy, r, color, weight, aa, filled, mode, clip, clipped);
}

const float kHalfPi = 1.5707963705062866f;
const float kPi = 3.1415927410125732f;
const float kTwoPi = 6.2831854820251465f;

// The arc quarter by quarter, each drawn as the circle clipped to the
// bounding box of that quarter's end points.
void __DrawArc(int w, int h, LICE_IBitmap* dest, float cx, float cy, float r, double minAngle,
               double maxAngle, LICE_Pixel color, int weight, bool aa, int mode)
{
  const double halfPi = (double)kHalfPi, twoPi = (double)kTwoPi;
  double a0 = minAngle + twoPi, a1 = maxAngle + twoPi;
  double q = a0 - std::fmod(a0, halfPi);
  auto px = [&](double ang) { return (int)(cx + r * std::sin(ang) + 0.5); };
  auto py = [&](double ang) { return (int)(cy - r * std::cos(ang) + 0.5); };
  int x0 = px(a0), y0 = py(a0);
  while (a1 > a0)
  {
    q += halfPi;
    if (q > a1) q = a1;
    const int x1 = px(q), y1 = py(q);
    int xlo = x0 < x1 ? x0 : x1, xhi = x0 < x1 ? x1 : x0;
    int ylo = y0 < y1 ? y0 : y1, yhi = y0 < y1 ? y1 : y0;
    a0 = q;
    x0 = x1;
    y0 = y1;
    if ((float)xhi != cx) ++xhi;
    if ((float)yhi != cy) ++yhi;
    const int clip[4] = {xlo > 0 ? xlo : 0, ylo > 0 ? ylo : 0, xhi < w ? xhi : w,
                         yhi < h ? yhi : h};
    __DrawCircleClipped(dest, cx, cy, r, color, weight, aa, false, mode, clip, true);
  }
}

} // namespace

void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_Pixel color, float alpha,
                 int mode, bool aa)
{
  if (!dest) return;
  if (CachedCircle(dest, cx, cy, r, color, alpha, mode, aa)) return;
  DrawCircle(dest, cx, cy, r, color, alpha, mode, aa, false);
}

void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_Pixel color, float alpha,
                     int mode, bool aa)
{
  if (!dest) return;
  DrawCircle(dest, cx, cy, r, color, alpha, mode, aa, true);
}

void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
              LICE_Pixel color, float alpha, int mode, bool aa)
{
  if (!dest) return;
  if (!std::isfinite(minAngle) || !std::isfinite(maxAngle)) return;
  const float callerCy = cy;
  const int w = dest->getWidth(), h = dest->getHeight();
  if (dest->isFlipped())
  {
    cy = (float)(h - 1) - cy;
    minAngle = kPi - minAngle;
    maxAngle = kPi - maxAngle;
  }
  if (minAngle > maxAngle)
  {
    const float t = minAngle;
    minAngle = maxAngle;
    maxAngle = t;
  }
  if (maxAngle - minAngle >= kTwoPi)
  {
    LICE_Circle(dest, cx, callerCy, r, color, alpha, mode, aa);
    return;
  }
  if (maxAngle >= kTwoPi)
  {
    const float d = std::fmod(maxAngle, kTwoPi);
    minAngle -= maxAngle - d;
    maxAngle = d;
  }
  else if (minAngle <= -kTwoPi)
  {
    const float d = std::fmod(minAngle, kTwoPi);
    maxAngle -= minAngle - d;
    minAngle = d;
  }
  const int weight = LICE_DrawWeight(alpha);
  if (!weight) return;
  if (w < 1 || h < 1 || r < 0.0f || !(r <= kMaxRadius)) return;
  if (!std::isfinite(cx) || !std::isfinite(cy)) return;
  if (cx + r + 2.0f < 0.0f || cy + r + 2.0f < 0.0f || cx - r - 2.0f >= (float)w ||
      cy - r - 2.0f >= (float)h)
    return;
  __DrawArc(w, h, dest, cx, cy, r, minAngle, maxAngle, color, weight, aa, mode);
}

void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius,
                    LICE_Pixel color, float alpha, int mode, bool aa)
{
  if (!dest) return;
  // Coordinates beyond the int range cannot be a rectangle on a bitmap.
  const float lim = 1.0e9f;
  if (!(std::fabs(x) < lim && std::fabs(y) < lim && std::fabs(w) < lim && std::fabs(h) < lim))
    return;
  if (cornerradius > 0)
  {
    float c = (float)cornerradius;
    if (c > w * 0.5f) c = w * 0.5f;
    if (c > h * 0.5f) c = h * 0.5f;
    c = std::floor(c);
    if (c >= 2.0f)
    {
      LICE_Line(dest, (int)(x + c), (int)y, (int)(x + w - c), (int)y, color, alpha, mode, aa);
      LICE_Line(dest, (int)(x + c - 1), (int)(y + h), (int)(x + w - c), (int)(y + h), color, alpha,
                mode, aa);
      LICE_Line(dest, (int)(x + w), (int)(y + c), (int)(x + w), (int)(y + h - c), color, alpha,
                mode, aa);
      LICE_Line(dest, (int)x, (int)(y + c - 1), (int)x, (int)(y + h - c), color, alpha, mode, aa);
      LICE_Arc(dest, x + c, y + c, c, -kHalfPi, 0.0f, color, alpha, mode, aa);
      LICE_Arc(dest, x + w - c, y + c, c, 0.0f, kHalfPi, color, alpha, mode, aa);
      LICE_Arc(dest, x + w - c, y + h - c, c, kHalfPi, kPi, color, alpha, mode, aa);
      LICE_Arc(dest, x + c, y + h - c, c, kPi, kPi + kHalfPi, color, alpha, mode, aa);
      return;
    }
  }
  LICE_DrawRect(dest, (int)x, (int)y, (int)w, (int)h, color, alpha, mode);
}
