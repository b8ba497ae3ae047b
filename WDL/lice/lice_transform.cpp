// Blits through a mapping of source coordinates: one inner loop that steps a
// 16.16 source position per destination pixel and per row (delta blit), the
// rotated blit built on it, and grid-warped transform blits (one delta blit
// per grid cell).
#include "lice.h"
#include "lice_combine.h"
#include "lice_draw_select.h"

#include <cfloat>
#include <climits>
#include <cmath>

typedef void (*LICE_CombineFunc)(unsigned char* dest, int r, int g, int b, int a, int alpha);

namespace
{

// Fixed-point values are limited to +-2^36 (a million pixels): far beyond
// any source, and small enough that the walk over a bitmap of up to 2^26
// pixels cannot overflow 64 bits.
const double kFixedLimit = 68719476736.0;

inline long long ClampFixed(double v)
{
  if (!(v == v)) return 0;
  if (v > kFixedLimit) v = kFixedLimit;
  if (v < -kFixedLimit) v = -kFixedLimit;
  return (long long)v;
}

// 16.16 fixed point of a value, truncated toward zero like the scaled blit's
// steps, so that an unturned blit samples exactly as the scaled one.
inline long long ToFixed(double v) { return ClampFixed(v * 65536.0); }

// Cosine and sine of a turn. An angle within float rounding of a quarter turn
// gets the exact values: the sine of (float) pi / 2 is 0.999999999999999 in
// double, which would step 65535 per pixel, and its cosine -4.4e-8, which
// moves the start of a large picture off the pixel grid.
void TurnOf(float angle, double* c, double* s)
{
  const double a = angle, quarter = 1.5707963267948966;
  const double k = std::nearbyint(a / quarter);
  if (std::fabs(k) < 1e9 &&
      std::fabs(a - k * quarter) <= 16.0 * FLT_EPSILON * std::fmax(1.0, std::fabs(a)))
  {
    static const double kCos[4] = {1.0, 0.0, -1.0, 0.0}, kSin[4] = {0.0, 1.0, 0.0, -1.0};
    const int q = (int)(((long long)k % 4 + 4) % 4);
    *c = kCos[q];
    *s = kSin[q];
    return;
  }
  *c = std::cos(a);
  *s = std::sin(a);
}

inline int ToInt(double v)
{
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return (-2147483647 - 1);
  return (int)v;
}

} // namespace

struct _LICE_Template_Blit3
{
  // Walks w x h destination pixels; the source position starts at (s0, t0)
  // and moves by (dsdx, dtdx) per pixel and (dsdy, dtdy) per row, the
  // per-pixel steps changing by (dsdxdy, dtdxdy) per row. Only source pixels
  // inside [minx, maxx) x [miny, maxy) are read; where there is no sample
  // the destination pixel is left alone.
  // Positions and steps are 16.16 values carried in 64 bits, so that long
  // walks and far-off starts cannot overflow.
  static void deltaBlit(unsigned char* dest, const unsigned char* src, int w, int h, long long s0,
                        long long t0, long long dsdx, long long dtdx, long long dsdy,
                        long long dtdy, long long dsdxdy, long long dtdxdy, int minx, int miny,
                        int maxx, int maxy, int srcSpanBytes, int destSpanBytes, int ia,
                        int filterMode, LICE_CombineFunc combine)
  {
    long long rs = s0, rt = t0, sx = dsdx, tx = dtdx;
    const bool bilinear = filterMode == LICE_COMBINE_FILTER_BILINEAR;
    while (h-- > 0)
    {
      long long s = rs, t = rt;
      unsigned char* out = dest;
      for (int i = 0; i < w; ++i, out += 4, s += sx, t += tx)
      {
        const long long cx = s / 65536, cy = t / 65536;
        if (cy < miny || cy >= maxy || cx < minx || cx >= maxx) continue;
        const unsigned char* p = src + cy * srcSpanBytes + cx * 4;
        if (!bilinear)
        {
          combine(out, p[LICE_PIXEL_R], p[LICE_PIXEL_G], p[LICE_PIXEL_B], p[LICE_PIXEL_A], ia);
          continue;
        }
        // A position just left of (above) pixel 0 truncates to pixel 0; it
        // samples that pixel itself, not a blend towards its neighbour.
        const int xf = s < 0 ? 0 : (int)(s & 0xffff);
        const int yf = t < 0 ? 0 : (int)(t & 0xffff);
        int r, g, b, a;
        if (cy < maxy - 1)
        {
          if (cx < maxx - 1)
            __LICE_BilinearFilterI(&r, &g, &b, &a, p, p + srcSpanBytes, xf, yf);
          else
            __LICE_LinearFilterI(&r, &g, &b, &a, p, p + srcSpanBytes, yf);
        }
        else if (cx < maxx - 1)
          __LICE_LinearFilterI(&r, &g, &b, &a, p, p + 4, xf);
        else
        {
          r = p[LICE_PIXEL_R];
          g = p[LICE_PIXEL_G];
          b = p[LICE_PIXEL_B];
          a = p[LICE_PIXEL_A];
        }
        combine(out, r, g, b, a, ia);
      }
      sx += dsdxdy;
      tx += dtdxdy;
      rs += dsdy;
      rt += dtdy;
      dest += destSpanBytes;
    }
  }
};

namespace
{

// The per-channel functor of the mode word (mode & 0x100ff), as a function
// pointer; null when nothing is to be drawn.
LICE_CombineFunc SelectCombine(int mode, int ia)
{
  LICE_CombineFunc fn = nullptr;
  LICE_DispatchCombine(mode, ia,
                       [&](auto tag)
                       {
                         using F = typename decltype(tag)::type;
                         fn = &F::doPix;
                       });
  return fn;
}

// The delta blit after its argument handling, with the clip box given.
// The source position is made fixed point first; clipping at the left and
// top then moves it by whole steps in integers, so that the visible part of
// a clipped blit is exactly that of the unclipped one. Skipped columns also
// move every later row's start when the per-pixel step changes per row.
void DeltaBlitClipped(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      double srcx, double srcy, double dsdx, double dtdx, double dsdy, double dtdy,
                      double dsdxdy, double dtdxdy, double minx, double miny, double maxx,
                      double maxy, float alpha, int mode)
{
  long long s0 = ToFixed(srcx), t0 = ToFixed(srcy);
  long long fdsdx = ToFixed(dsdx), fdtdx = ToFixed(dtdx), fdsdy = ToFixed(dsdy),
            fdtdy = ToFixed(dtdy);
  const long long fdsdxdy = ToFixed(dsdxdy), fdtdxdy = ToFixed(dtdxdy);
  if (dstx < 0)
  {
    const double j = -(double)dstx;
    s0 = ClampFixed(s0 + j * fdsdx);
    t0 = ClampFixed(t0 + j * fdtdx);
    fdsdy = ClampFixed(fdsdy + j * fdsdxdy);
    fdtdy = ClampFixed(fdtdy + j * fdtdxdy);
    dstw += dstx;
    dstx = 0;
  }
  if (dsty < 0)
  {
    const double k = -(double)dsty;
    s0 = ClampFixed(s0 + k * fdsdy);
    t0 = ClampFixed(t0 + k * fdtdy);
    fdsdx = ClampFixed(fdsdx + k * fdsdxdy);
    fdtdx = ClampFixed(fdtdx + k * fdtdxdy);
    dsth += dsty;
    dsty = 0;
  }
  const int dw = dest->getWidth(), dh = dest->getHeight();
  if (dstw > dw - dstx) dstw = dw - dstx;
  if (dsth > dh - dsty) dsth = dh - dsty;
  if (dstw <= 0 || dsth <= 0) return;

  unsigned char* sbits = (unsigned char*)src->getBits();
  unsigned char* dbits = (unsigned char*)dest->getBits();
  if (!sbits || !dbits) return;
  int sspan = src->getRowSpan() * 4;
  if (src->isFlipped())
  {
    sbits += (size_t)(src->getHeight() - 1) * (size_t)sspan;
    sspan = -sspan;
  }
  int dspan = dest->getRowSpan() * 4;
  int drow = dsty;
  if (dest->isFlipped())
  {
    drow = dh - dsty - 1;
    dspan = -dspan;
  }
  unsigned char* out = (unsigned char*)(dest->getBits() + (size_t)drow * dest->getRowSpan() + dstx);

  const int ia = LICE_DrawWeight(alpha);
  const LICE_CombineFunc fn = SelectCombine(mode, ia);
  if (!fn) return;
  _LICE_Template_Blit3::deltaBlit(
      out, sbits, dstw, dsth, s0, t0, fdsdx, fdtdx, fdsdy, fdtdy, fdsdxdy, fdtdxdy, ToInt(minx),
      ToInt(miny), ToInt(maxx), ToInt(maxy), sspan, dspan, ia, mode & LICE_COMBINE_FILTER_MASK, fn);
}

void ClipBox(LICE_IBitmap* src, float srcx, float srcy, float srcw, float srch, bool clipToSource,
             double* minx, double* miny, double* maxx, double* maxy)
{
  *minx = 0.0;
  *miny = 0.0;
  *maxx = src->getWidth();
  *maxy = src->getHeight();
  if (clipToSource)
  {
    if (srcx > 0.0f) *minx = srcx;
    if (srcy > 0.0f) *miny = srcy;
    if ((double)srcx + srcw < *maxx) *maxx = (double)srcx + srcw;
    if ((double)srcy + srch < *maxy) *maxy = (double)srcy + srch;
  }
}

} // namespace

void LICE_DeltaBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx,
                    double dsdy, double dtdy, double dsdxdy, double dtdxdy, bool clipToSource,
                    float alpha, int mode)
{
  if (!dest || !src || !dstw || !dsth) return;
  double minx, miny, maxx, maxy;
  ClipBox(src, srcx, srcy, srcw, srch, clipToSource, &minx, &miny, &maxx, &maxy);
  if (dstw < 0)
  {
    dstw = dstw == INT_MIN ? INT_MAX : -dstw;
    dstx = LICE_ClampInt((long long)dstx - dstw);
    srcx += srcw;
  }
  if (dsth < 0)
  {
    dsth = dsth == INT_MIN ? INT_MAX : -dsth;
    dsty = LICE_ClampInt((long long)dsty - dsth);
    srcy += srch;
  }
  DeltaBlitClipped(dest, src, dstx, dsty, dstw, dsth, srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy,
                   dtdxdy, minx, miny, maxx, maxy, alpha, mode);
}

void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx, float srcy, float srcw, float srch, float angle,
                      bool clipToSource, float alpha, int mode, float centreOffsetX,
                      float centreOffsetY)
{
  if (!dest || !src || !dstw || !dsth) return;
  double minx, miny, maxx, maxy;
  ClipBox(src, srcx, srcy, srcw, srch, clipToSource, &minx, &miny, &maxx, &maxy);
  if (dstw < 0)
  {
    dstw = dstw == INT_MIN ? INT_MAX : -dstw;
    dstx = LICE_ClampInt((long long)dstx - dstw);
    srcx += srcw;
    srcw = -srcw;
  }
  if (dsth < 0)
  {
    dsth = dsth == INT_MIN ? INT_MAX : -dsth;
    dsty = LICE_ClampInt((long long)dsty - dsth);
    srcy += srch;
    srch = -srch;
  }
  double c, s;
  TurnOf(angle, &c, &s);
  const double xs = (double)(srcw / (float)dstw), ys = (double)(srch / (float)dsth);
  const double dsdx = xs * c, dtdx = -s * ys, dsdy = xs * s, dtdy = ys * c;

  // The destination rectangle's centre samples the centre of the source
  // rectangle (shifted by the offsets) and the picture turns about it. Each
  // destination pixel is placed by its centre, measured from where an
  // unturned blit would sample, so that a turn by 0 is the scaled blit and a
  // quarter turn moves whole pixels without shifting the picture.
  // A mirrored axis is placed the same way, so that its first row or
  // column shows the last source row or column rather than falling off it.
  // The extent along each source axis's own direction is taken as
  // srcw x cos (srch x cos) rather than dstw x dsdx, whose rounded quotient
  // would move an unturned blit off the scaled blit's start by a fraction.
  const double ox = 0.5 * (dsdx + dsdy) - 0.5 * std::fabs(xs);
  const double oy = 0.5 * (dtdx + dtdy) - 0.5 * std::fabs(ys);
  const double sx = srcx - (((srcw * c + dsth * dsdy) - srcw) * 0.5 - centreOffsetX - ox);
  const double sy = srcy - (((srch * c + dstw * dtdx) - srch) * 0.5 - centreOffsetY - oy);

  DeltaBlitClipped(dest, src, dstx, dsty, dstw, dsth, sx, sy, dsdx, dtdx, dsdy, dtdy, 0.0, 0.0,
                   minx, miny, maxx, maxy, alpha, mode);
}

template <class T> class LICE_TransformBlit_class
{
public:
  static void blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                   const T* points, int cols, int rows, float alpha, int mode)
  {
    if (!dest || !src || !points || dstw <= 0 || dsth <= 0 || cols < 2 || rows < 2) return;
    // A rectangle reaching past the int range lies beyond any bitmap.
    if ((long long)dstx + dstw > INT_MAX || (long long)dsty + dsth > INT_MAX) return;
    double y = dsty;
    int lasty = dsty;
    const T* row = points;
    for (int r = 0; r < rows - 1; ++r, row += cols * 2)
    {
      y += (float)dsth / (float)(rows - 1);
      const int iy = (int)y;
      if (iy != lasty)
      {
        // Steps are divided rather than multiplied by a reciprocal: a step
        // that is an exact 16.16 value then comes out exact, and a grid of
        // the source corners samples exactly as the scaled blit.
        const double yn = iy - lasty;
        double x = dstx;
        int lastx = dstx;
        for (int c = 0; c < cols - 1; ++c)
        {
          x += (float)dstw / (float)(cols - 1);
          const int ix = (int)x;
          if (ix != lastx)
          {
            const T* p00 = row + c * 2;
            const T* p10 = p00 + 2;
            const T* p01 = p00 + cols * 2;
            const T* p11 = p01 + 2;
            const double xn = ix - lastx;
            const double dsdx = ((double)p10[0] - p00[0]) / xn;
            const double dtdx = ((double)p10[1] - p00[1]) / xn;
            const double dsdy = ((double)p01[0] - p00[0]) / yn;
            const double dtdy = ((double)p01[1] - p00[1]) / yn;
            const double dsdxdy = ((double)(T)(p11[0] - p01[0]) / xn - dsdx) / yn;
            const double dtdxdy = ((double)(T)(p11[1] - p01[1]) / xn - dtdx) / yn;
            LICE_DeltaBlit(dest, src, lastx, lasty, ix - lastx, iy - lasty, (float)p00[0],
                           (float)p00[1], (float)(p10[0] - p00[0]), (float)(p10[1] - p00[1]), dsdx,
                           dtdx, dsdy, dtdy, dsdxdy, dtdxdy, false, alpha, mode);
          }
          lastx = ix;
        }
      }
      lasty = iy;
    }
  }
};

void LICE_TransformBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, float* points, int cols, int rows, float alpha, int mode)
{
  LICE_TransformBlit_class<float>::blit(dest, src, dstx, dsty, dstw, dsth, points, cols, rows,
                                        alpha, mode);
}

void LICE_TransformBlit2(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                         int dsth, double* points, int cols, int rows, float alpha, int mode)
{
  LICE_TransformBlit_class<double>::blit(dest, src, dstx, dsty, dstw, dsth, points, cols, rows,
                                         alpha, mode);
}
