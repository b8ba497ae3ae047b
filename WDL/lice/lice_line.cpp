// Straight lines: integer lines with clipping (horizontal, vertical, diagonal
// and general walks, optionally anti-aliased), float lines placed with
// sub-pixel precision, dashed lines and rectangle outlines.
#include "lice.h"
#include "lice_draw_select.h"

#include <cmath>
#include <cstdlib>

namespace
{

template <class T> inline void SWAP(T& a, T& b)
{
  T t = a;
  a = b;
  b = t;
}

// Region code against a w x h area: 1 left, 2 right, 4 above, 8 below.
inline int OffscreenTest(int x, int y, int w, int h)
{
  int code = 0;
  if (x < 0)
    code |= 1;
  else if (x >= w)
    code |= 2;
  if (y < 0)
    code |= 4;
  else if (y >= h)
    code |= 8;
  return code;
}

// Float region code against xmax = w - 1, ymax = h - 1: the last column and
// row count as outside so that the second pixel of a pair stays inside.
inline int OffscreenFTest(float x, float y, float xmax, float ymax)
{
  int code = 0;
  if (x < 0.0f)
    code |= 1;
  else if (x >= xmax)
    code |= 2;
  if (y < 0.0f)
    code |= 4;
  else if (y >= ymax)
    code |= 8;
  return code;
}

// Weight pair of a 16.16 fraction: near = a * (255 - f) / 256, far = a * f / 256.
inline void GetAAPxWeight(int f16, int a, int* near, int* far)
{
  const int f = f16 >> 8;
  *near = a * (255 - f) / 256;
  *far = a * f / 256;
}

inline void GetAAPxWeightFAST(int f16, int* near, int* far)
{
  const int f = f16 >> 8;
  *near = 255 - f;
  *far = f;
}

inline void AAWeights(int f16, int weight, int* near, int* far)
{
  if (weight == 256)
    GetAAPxWeightFAST(f16, near, far);
  else
    GetAAPxWeight(f16, weight, near, far);
}

#define LICE_PIXCH(p) ((unsigned char*)(p))

// Horizontal, vertical and diagonal runs.
template <class F> struct __LICE_LineClassSimple
{
  static void LICE_HorizLineFAST(LICE_Pixel* px, int n, LICE_Pixel operand)
  {
    while (n-- > 0) F::doPixFAST(px++, operand);
  }
  static void LICE_VertLineFAST(LICE_Pixel* px, int span, int n, LICE_Pixel operand)
  {
    while (n-- > 0)
    {
      F::doPixFAST(px, operand);
      px += span;
    }
  }
  static void LICE_HorizLine(LICE_Pixel* px, int n, LICE_Pixel color, int weight)
  {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    while (n-- > 0) F::doPix(LICE_PIXCH(px++), r, g, b, a, weight);
  }
  static void LICE_VertLine(LICE_Pixel* px, int span, int n, LICE_Pixel color, int weight)
  {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    while (n-- > 0)
    {
      F::doPix(LICE_PIXCH(px), r, g, b, a, weight);
      px += span;
    }
  }
  static void LICE_DiagLine(LICE_Pixel* px, int len, int xstep, int ystep, LICE_Pixel color,
                            int weight)
  {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    const int step = xstep + ystep;
    for (int i = 0; i <= len; ++i, px += step) F::doPix(LICE_PIXCH(px), r, g, b, a, weight);
  }
  // Centre pixels at 3/4 of the weight, the two side pixels of each step
  // (inside the box of the end points) at 1/4.
  static void LICE_DiagLineAA(LICE_Pixel* px, int len, int xstep, int ystep, LICE_Pixel color,
                              int weight)
  {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    const int wc = weight * 3 / 4, ws = weight / 4;
    for (int i = 0; i < len; ++i)
    {
      F::doPix(LICE_PIXCH(px), r, g, b, a, wc);
      F::doPix(LICE_PIXCH(px + xstep), r, g, b, a, ws);
      F::doPix(LICE_PIXCH(px + ystep), r, g, b, a, ws);
      px += xstep + ystep;
    }
    F::doPix(LICE_PIXCH(px), r, g, b, a, wc);
  }
};

// The general walk from both ends towards the middle.
template <class F> struct __LICE_LineClass
{
  static void LICE_LineImpl(LICE_Pixel* p1, LICE_Pixel* p2, int slope, int majorstep, int count,
                            int minorstep, LICE_Pixel color, int weight, bool aa)
  {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    const int n = (count + 1) / 2;
    if (!aa)
    {
      int err = 0;
      for (int i = 0; i < n; ++i)
      {
        F::doPix(LICE_PIXCH(p1), r, g, b, a, weight);
        F::doPix(LICE_PIXCH(p2), r, g, b, a, weight);
        err += slope;
        if (err > 32767)
        {
          p1 += minorstep;
          p2 -= minorstep;
          err -= 65536;
        }
        p1 += majorstep;
        p2 -= majorstep;
      }
      if (!(count & 1)) F::doPix(LICE_PIXCH(p1), r, g, b, a, weight);
      return;
    }

    F::doPix(LICE_PIXCH(p1), r, g, b, a, weight);
    F::doPix(LICE_PIXCH(p2), r, g, b, a, weight);
    p1 += majorstep;
    p2 -= majorstep;
    int err = slope;
    int wn, wf;
    for (int i = 1; i < n; ++i)
    {
      AAWeights(err, weight, &wn, &wf);
      F::doPix(LICE_PIXCH(p1), r, g, b, a, wn);
      F::doPix(LICE_PIXCH(p1 + minorstep), r, g, b, a, wf);
      F::doPix(LICE_PIXCH(p2), r, g, b, a, wn);
      F::doPix(LICE_PIXCH(p2 - minorstep), r, g, b, a, wf);
      err += slope;
      if (err > 65535)
      {
        p1 += minorstep;
        p2 -= minorstep;
        err -= 65536;
      }
      p1 += majorstep;
      p2 -= majorstep;
    }
    if (!(count & 1))
    {
      AAWeights(err, weight, &wn, &wf);
      F::doPix(LICE_PIXCH(p1), r, g, b, a, wn);
      F::doPix(LICE_PIXCH(p1 + minorstep), r, g, b, a, wf);
    }
  }

  // count + 1 pairs along the major axis; fraction is how far the line lies
  // past the current pixel towards its partner one minor step away.
  static void LICE_FLineImpl(LICE_Pixel* px, int count, int frac, int slopestep, int majorstep,
                             int minorstep, LICE_Pixel color, int weight)
  {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    int wn, wf;
    for (int i = 0; i <= count; ++i)
    {
      AAWeights(frac, weight, &wn, &wf);
      F::doPix(LICE_PIXCH(px), r, g, b, a, wn);
      F::doPix(LICE_PIXCH(px + minorstep), r, g, b, a, wf);
      frac += slopestep;
      if (frac > 65535)
      {
        px += minorstep;
        frac -= 65536;
      }
      px += majorstep;
    }
  }

  // Ends ordered (x1 <= x2, y1 <= y2); the end pixel itself is never drawn.
  static void DashedLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff,
                         LICE_Pixel color, int weight)
  {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    const int span = dest->getRowSpan();
    LICE_Pixel* px = dest->getBits() + y1 * span + x1;
    int step, from, to;
    if (x1 == x2)
    {
      step = span;
      from = y1;
      to = y2;
    }
    else if (y1 == y2)
    {
      step = 1;
      from = x1;
      to = x2;
    }
    else
      return;
    // Positions in 64 bits: a huge gap must not overflow the walk.
    long long pos = from;
    while (to - pxon > pos)
    {
      LICE_Pixel* p = px + (pos - from) * step;
      for (int i = 0; i < pxon; ++i, p += step) F::doPix(LICE_PIXCH(p), r, g, b, a, weight);
      pos += (long long)pxon + pxoff;
    }
    const long long tail = to - pos < pxon ? to - pos : pxon;
    if (tail <= 0) return;
    px += (pos - from) * step;
    for (int i = 0; i < tail; ++i, px += step) F::doPix(LICE_PIXCH(px), r, g, b, a, weight);
  }
};

// Diagonal for copy at alpha exactly 1.0: stores the colour, or with
// anti-aliasing mixes 3/4 of it into the centre and 1/4 into the sides.
void LICE_DiagLineFAST(LICE_Pixel* px, int len, int xstep, int ystep, LICE_Pixel color, bool aa)
{
  const int step = xstep + ystep;
  if (!aa)
  {
    for (int i = 0; i <= len; ++i, px += step) *px = color;
    return;
  }
  const LICE_Pixel three = ((color >> 1) & 0x7f7f7f7fu) + ((color >> 2) & 0x3f3f3f3fu);
  const LICE_Pixel quarter = (color >> 2) & 0x3f3f3f3fu;
  for (int i = 0; i < len; ++i)
  {
    _LICE_CombinePixelsThreeQuarterMix2FAST::doPixFAST(px, three);
    _LICE_CombinePixelsQuarterMix2FAST::doPixFAST(px + xstep, quarter);
    _LICE_CombinePixelsQuarterMix2FAST::doPixFAST(px + ystep, quarter);
    px += step;
  }
  _LICE_CombinePixelsThreeQuarterMix2FAST::doPixFAST(px, three);
}

// Float Cohen-Sutherland against 0 <= x < w - 1, 0 <= y < h - 1.
bool ClipFLine(float* x1, float* y1, float* x2, float* y2, int w, int h)
{
  float ax = *x1, ay = *y1, bx = *x2, by = *y2;
  const float xmax = (float)(w - 1), ymax = (float)(h - 1);
  int c1 = OffscreenFTest(ax, ay, xmax, ymax), c2 = OffscreenFTest(bx, by, xmax, ymax);
  bool ok = false;
  // Each pass settles one side of one point; a few passes always suffice.
  for (int pass = 0; pass < 16; ++pass)
  {
    if (!(c1 | c2))
    {
      ok = true;
      break;
    }
    if (c1 & c2) break;
    const int c = c1 ? c1 : c2;
    float x, y;
    if (c & 8)
    {
      x = (bx - ax) * (ymax - ay) / (by - ay) + ax;
      y = ymax - 1.0f;
    }
    else if (c & 4)
    {
      x = (bx - ax) * ay / (ay - by) + ax;
      y = 0.0f;
    }
    else if (c & 2)
    {
      y = (by - ay) * (xmax - ax) / (bx - ax) + ay;
      x = xmax - 1.0f;
    }
    else
    {
      y = (by - ay) * ax / (ax - bx) + ay;
      x = 0.0f;
    }
    if (!(x == x) || !(y == y)) break; // overflowed on absurd coordinates
    if (c1)
    {
      ax = x;
      ay = y;
      c1 = OffscreenFTest(ax, ay, xmax, ymax);
    }
    else
    {
      bx = x;
      by = y;
      c2 = OffscreenFTest(bx, by, xmax, ymax);
    }
  }
  *x1 = ax;
  *y1 = ay;
  *x2 = bx;
  *y2 = by;
  return ok;
}

inline bool IsFinite4(float a, float b, float c, float d)
{
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

bool ClipLine(int* x1, int* y1, int* x2, int* y2, int w, int h)
{
  int ax = *x1, ay = *y1, bx = *x2, by = *y2;
  int c1 = OffscreenTest(ax, ay, w, h), c2 = OffscreenTest(bx, by, w, h);
  bool ok;
  for (;;)
  {
    if (!(c1 | c2))
    {
      ok = true;
      break;
    }
    if (c1 & c2)
    {
      ok = false;
      break;
    }
    const int c = c1 ? c1 : c2;
    // Differences in double so that far-apart end points cannot overflow.
    const double dx = (double)bx - ax, dy = (double)by - ay;
    // The crossing lies between the end points; the limits only keep a
    // rounding slip at the int range from wrapping around.
    auto along = [](int from, double d)
    {
      if (!(d == d)) d = 0.0;
      d = std::trunc(d);
      if (d > 4.3e9) d = 4.3e9;
      if (d < -4.3e9) d = -4.3e9;
      return LICE_ClampInt((long long)from + (long long)d);
    };
    int x, y;
    if (c & 8)
    {
      x = along(ax, dx * ((double)h - ay) / dy);
      y = h - 1;
    }
    else if (c & 4)
    {
      x = along(ax, dx * (0.0 - ay) / dy);
      y = 0;
    }
    else if (c & 2)
    {
      y = along(ay, dy * ((double)w - ax) / dx);
      x = w - 1;
    }
    else
    {
      y = along(ay, dy * (0.0 - ax) / dx);
      x = 0;
    }
    if (c1)
    {
      ax = x;
      ay = y;
      c1 = OffscreenTest(ax, ay, w, h);
    }
    else
    {
      bx = x;
      by = y;
      c2 = OffscreenTest(bx, by, w, h);
    }
  }
  *x1 = ax;
  *y1 = ay;
  *x2 = bx;
  *y2 = by;
  return ok;
}

void LICE_DottedVertLineFAST(LICE_IBitmap* dest, int x, int y1, int y2, LICE_Pixel color)
{
  const int span = dest->getRowSpan();
  LICE_Pixel* px = dest->getBits() + y1 * span + x;
  for (int n = (y2 - y1 + 1) / 2; n > 0; --n, px += 2 * span) *px = color;
}

} // namespace

bool LICE_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi)
{
  int a = LICE_ClampInt((long long)*x1 - xlo), b = LICE_ClampInt((long long)*y1 - ylo),
      c = LICE_ClampInt((long long)*x2 - xlo), d = LICE_ClampInt((long long)*y2 - ylo);
  const bool ok = ClipLine(&a, &b, &c, &d, LICE_ClampInt((long long)xhi - xlo),
                           LICE_ClampInt((long long)yhi - ylo));
  *x1 = LICE_ClampInt((long long)a + xlo);
  *y1 = LICE_ClampInt((long long)b + ylo);
  *x2 = LICE_ClampInt((long long)c + xlo);
  *y2 = LICE_ClampInt((long long)d + ylo);
  return ok;
}

void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_Pixel color, float alpha,
               int mode, bool aa)
{
  if (!dest) return;
  const int w = dest->getWidth(), h = dest->getHeight();
  if (dest->isFlipped())
  {
    y1 = LICE_ClampInt((long long)h - 1 - y1);
    y2 = LICE_ClampInt((long long)h - 1 - y2);
  }
  if (!ClipLine(&x1, &y1, &x2, &y2, w, h)) return;
  LICE_Pixel* bits = dest->getBits();
  if (!bits) return;
  const int span = dest->getRowSpan();
  const int cmode = mode & 0xff;
  const int weight = LICE_DrawWeight(alpha);

  if (y1 == y2 || x1 == x2)
  {
    const bool horiz = y1 == y2;
    if (horiz && x1 > x2) SWAP(x1, x2);
    if (!horiz && y1 > y2) SWAP(y1, y2);
    LICE_Pixel* px = bits + y1 * span + x1;
    const int n = horiz ? x2 - x1 + 1 : y2 - y1 + 1;
    auto fast = [&](auto tag, LICE_Pixel operand)
    {
      using F = typename decltype(tag)::type;
      if (horiz)
        __LICE_LineClassSimple<F>::LICE_HorizLineFAST(px, n, operand);
      else
        __LICE_LineClassSimple<F>::LICE_VertLineFAST(px, span, n, operand);
    };
    if (cmode == 0 && alpha == 1.0f)
      return fast(LICE_FunctorTag<_LICE_CombinePixelsClobberFAST>(), color);
    if (cmode == 0 && alpha == 0.5f)
      return fast(LICE_FunctorTag<_LICE_CombinePixelsHalfMix2FAST>(), (color >> 1) & 0x7f7f7f7fu);
    if (cmode == 0 && alpha == 0.25f)
      return fast(LICE_FunctorTag<_LICE_CombinePixelsQuarterMix2FAST>(),
                  (color >> 2) & 0x3f3f3f3fu);
    if (cmode == 0 && alpha == 0.75f)
      return fast(LICE_FunctorTag<_LICE_CombinePixelsThreeQuarterMix2FAST>(),
                  ((color >> 1) & 0x7f7f7f7fu) + ((color >> 2) & 0x3f3f3f3fu));
    LICE_DispatchLine(mode, weight, true,
                      [&](auto tag)
                      {
                        using F = typename decltype(tag)::type;
                        if (horiz)
                          __LICE_LineClassSimple<F>::LICE_HorizLine(px, n, color, weight);
                        else
                          __LICE_LineClassSimple<F>::LICE_VertLine(px, span, n, color, weight);
                      });
    return;
  }

  const int dx = x2 - x1, dy = y2 - y1;
  if (std::abs(dx) == std::abs(dy))
  {
    LICE_Pixel* px = bits + y1 * span + x1;
    const int len = std::abs(dx);
    const int xstep = dx > 0 ? 1 : -1;
    const int ystep = dy > 0 ? span : -span;
    if (cmode == 0 && alpha == 1.0f) return LICE_DiagLineFAST(px, len, xstep, ystep, color, aa);
    LICE_DispatchLine(
        mode, weight, !aa,
        [&](auto tag)
        {
          using F = typename decltype(tag)::type;
          if (aa)
            __LICE_LineClassSimple<F>::LICE_DiagLineAA(px, len, xstep, ystep, color, weight);
          else
            __LICE_LineClassSimple<F>::LICE_DiagLine(px, len, xstep, ystep, color, weight);
        });
    return;
  }

  LICE_Pixel* p1 = bits + y1 * span + x1;
  LICE_Pixel* p2 = bits + y2 * span + x2;
  int major, minor, majorstep, minorstep;
  if (std::abs(dx) > std::abs(dy))
  {
    major = dx;
    minor = dy;
    majorstep = 1;
    minorstep = span;
  }
  else
  {
    major = dy;
    minor = dx;
    majorstep = span;
    minorstep = 1;
  }
  if (major < 0)
  {
    major = -major;
    minor = -minor;
    SWAP(p1, p2);
  }
  if (minor < 0)
  {
    minor = -minor;
    minorstep = -minorstep;
  }
  const int slope = (int)((double)minor / (double)major * 65536.0);
  LICE_DispatchLine(mode, weight, !aa,
                    [&](auto tag)
                    {
                      using F = typename decltype(tag)::type;
                      __LICE_LineClass<F>::LICE_LineImpl(p1, p2, slope, majorstep, major, minorstep,
                                                         color, weight, aa);
                    });
}

void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel color, float alpha,
                   int mode)
{
  const int x2 = LICE_ClampInt((long long)x + w), y2 = LICE_ClampInt((long long)y + h);
  LICE_Line(dest, x, y, x2, y, color, alpha, mode, false);
  LICE_Line(dest, x2, y, x2, y2, color, alpha, mode, false);
  LICE_Line(dest, x2, y2, x, y2, color, alpha, mode, false);
  LICE_Line(dest, x, y2, x, y, color, alpha, mode, false);
}

void LICE_BorderedRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel bgcolor,
                       LICE_Pixel fgcolor, float alpha, int mode)
{
  LICE_FillRect(dest, LICE_ClampInt((long long)x + 1), LICE_ClampInt((long long)y + 1),
                LICE_ClampInt((long long)w - 1), LICE_ClampInt((long long)h - 1), bgcolor, alpha,
                mode);
  LICE_DrawRect(dest, x, y, w, h, fgcolor, alpha, mode);
}

bool LICE_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi,
                    float yhi)
{
  float a = *x1 - xlo, b = *y1 - ylo, c = *x2 - xlo, d = *y2 - ylo;
  const float fw = xhi - xlo, fh = yhi - ylo;
  // Limits beyond the int range cannot be a bitmap; treat them as empty.
  const bool sane = fw > -2.0e9f && fw < 2.0e9f && fh > -2.0e9f && fh < 2.0e9f;
  const bool ok = sane && ClipFLine(&a, &b, &c, &d, (int)fw, (int)fh);
  *x1 = a + xlo;
  *y1 = b + ylo;
  *x2 = c + xlo;
  *y2 = d + ylo;
  return ok;
}

void LICE_FLine(LICE_IBitmap* dest, float x1, float y1, float x2, float y2, LICE_Pixel color,
                float alpha, int mode, bool aa)
{
  if (!dest) return;
  if (!IsFinite4(x1, y1, x2, y2)) return;
  if (!aa)
  {
    // Far-off end points are limited to the int range before truncation.
    auto toInt = [](float v) {
      return v >= 2.0e9f ? 2000000000 : v <= -2.0e9f ? -2000000000 : (int)v;
    };
    LICE_Line(dest, toInt(x1), toInt(y1), toInt(x2), toInt(y2), color, alpha, mode, false);
    return;
  }
  const int w = dest->getWidth(), h = dest->getHeight();
  if (dest->isFlipped())
  {
    y1 = (float)(h - 1) - y1;
    y2 = (float)(h - 1) - y2;
  }
  if (!ClipFLine(&x1, &y1, &x2, &y2, w, h)) return;
  if (x1 == x2 && y1 == y2) return;
  LICE_Pixel* bits = dest->getBits();
  if (!bits) return;
  const int span = dest->getRowSpan();
  const int weight = LICE_DrawWeight(alpha);
  const float dx = x2 - x1, dy = y2 - y1;

  float majStart, majEnd, minStart, minEnd, majDelta, minDelta;
  int majorstep, minorstep;
  if (std::fabs(dx) > std::fabs(dy))
  {
    majStart = x1;
    majEnd = x2;
    minStart = y1;
    minEnd = y2;
    majDelta = dx;
    minDelta = dy;
    majorstep = 1;
    minorstep = span;
  }
  else
  {
    majStart = y1;
    majEnd = y2;
    minStart = x1;
    minEnd = x2;
    majDelta = dy;
    minDelta = dx;
    majorstep = span;
    minorstep = 1;
  }
  if (majDelta < 0.0f)
  {
    majDelta = -majDelta;
    minDelta = -minDelta;
    SWAP(majStart, majEnd);
    SWAP(minStart, minEnd);
  }
  if (minDelta < 0.0f) minorstep = -minorstep;

  const int count = (int)(std::floor((double)majEnd) - std::ceil((double)majStart));
  if (count < 0) return;
  const float slope = minDelta / majDelta;
  const float a0 = (float)std::ceil((double)majStart);
  const float pos = (a0 - majStart) * slope + minStart;
  int frac = (int)((pos - std::floor(pos)) * 65536.0f);
  if (minorstep < 0) frac = 65535 - frac;
  const int slopestep = (int)(std::fabs(slope) * 65536.0);
  const int absminor = std::abs(minorstep);
  LICE_Pixel* px = bits + (int)a0 * majorstep + (int)pos * absminor;
  if (minorstep < 0) px += absminor;

  LICE_DispatchFill(mode, weight,
                    [&](auto tag)
                    {
                      using F = typename decltype(tag)::type;
                      __LICE_LineClass<F>::LICE_FLineImpl(px, count, frac, slopestep, majorstep,
                                                          minorstep, color, weight);
                    });
}

void LICE_DashedLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff,
                     LICE_Pixel color, float alpha, int mode, bool aa)
{
  (void)aa;
  if (!dest || !dest->getBits()) return;
  // A dash must be at least one pixel and a gap cannot be negative, or the
  // pattern would never advance.
  if (pxon < 1) return;
  if (pxoff < 0) pxoff = 0;
  if (!ClipLine(&x1, &y1, &x2, &y2, dest->getWidth(), dest->getHeight())) return;
  if (y1 > y2) SWAP(y1, y2);
  if (pxon == 1 && pxoff == 1 && x1 == x2 && (mode & 0xff) == 0 && alpha == 1.0f)
  {
    LICE_DottedVertLineFAST(dest, x1, y1, y2, color);
    return;
  }
  const int weight = LICE_DrawWeight(alpha);
  if (x1 > x2) SWAP(x1, x2);
  LICE_DispatchLine(mode, weight, true,
                    [&](auto tag)
                    {
                      using F = typename decltype(tag)::type;
                      __LICE_LineClass<F>::DashedLine(dest, x1, y1, x2, y2, pxon, pxoff, color,
                                                      weight);
                    });
}
