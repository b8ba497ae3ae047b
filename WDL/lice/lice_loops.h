// Inner drawing loops of the blits and fills, one instance per combine
// functor (see lice_combine.h). Pointers address the first pixel to touch;
// strides are signed (negative for bottom-up bitmaps).
#pragma once

#include <array>

#include "lice_combine.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Whole-word loops.
template <class F> class _LICE_Template_Blit0
{
public:
  // Nearest sampling of a scaled source; positions in 16.16 fixed point,
  // dest_stride in pixels, src_stride in bytes.
  static void scaleBlitFAST(unsigned int* dest, const unsigned char* src, int w, int h,
                            int64_t icurx, int64_t icury, int64_t idx, int64_t idy, int clipright,
                            int clipbottom, int src_stride, int dest_stride)
  {
    std::vector<int> cols((size_t)w);
    int64_t pos = icurx;
    for (int x = 0; x < w; ++x, pos += idx)
    {
      const int64_t c = pos / 65536;
      cols[(size_t)x] = c >= 0 && c < clipright ? (int)c : -1;
    }
    for (int y = 0; y < h; ++y, dest += dest_stride, icury += idy)
    {
      const int64_t cy = icury / 65536;
      if (cy < 0 || cy >= clipbottom) continue;
      const unsigned int* row = (const unsigned int*)(src + cy * (int64_t)src_stride);
      for (int x = 0; x < w; ++x)
        if (cols[(size_t)x] >= 0) F::doPixFAST(dest + x, row[cols[(size_t)x]]);
    }
  }

  // A solid colour (pre-scaled for the *Mix2 functors); span in pixels.
  static void solidBlitFAST(unsigned int* dest, int w, int h, unsigned int color, int span)
  {
    for (int y = 0; y < h; ++y, dest += span)
    {
      unsigned int* out = dest;
      for (int x = 0; x < w; ++x) F::doPixFAST(out + x, color);
    }
  }
};

// Solid and gradient fills through a per-channel functor; spans in bytes.
template <class F> class _LICE_Template_Blit1
{
public:
  static void solidBlit(unsigned char* dest, int w, int h, int r, int g, int b, int a, int span)
  {
    for (int y = 0; y < h; ++y, dest += span)
    {
      unsigned char* out = dest;
      for (int x = 0; x < w; ++x, out += 4) F::doPix(out, r, g, b, a, a);
    }
  }

  // Colour components in 16.16 fixed point, stepped along rows and columns.
  static void gradBlit(unsigned char* dest, int w, int h, int ir, int ig, int ib, int ia, int drdx,
                       int dgdx, int dbdx, int dadx, int drdy, int dgdy, int dbdy, int dady,
                       int span)
  {
    auto whole = [](int v) { return v / 65536; };
    gradLoop<int>(dest, w, h, {ir, ig, ib, ia}, {drdx, dgdx, dbdx, dadx}, {drdy, dgdy, dbdy, dady},
                  whole, whole, span);
  }

  // The same with the sums in 64 bits, for gradients that run beyond what
  // 32 bits or the functor take: each pixel's colour is held within
  // +-colorLimit and its alpha within +-alphaLimit (16.16 too) before the
  // functor sees them. The caller picks limits the functor takes without
  // overflow.
  static void gradBlitHeld(unsigned char* dest, int w, int h, int64_t ir, int64_t ig, int64_t ib,
                           int64_t ia, int64_t drdx, int64_t dgdx, int64_t dbdx, int64_t dadx,
                           int64_t drdy, int64_t dgdy, int64_t dbdy, int64_t dady,
                           int64_t colorLimit, int64_t alphaLimit, int span)
  {
    gradLoop<int64_t>(
        dest, w, h, {ir, ig, ib, ia}, {drdx, dgdx, dbdx, dadx}, {drdy, dgdy, dbdy, dady},
        [colorLimit](int64_t v) { return Held(v, colorLimit); },
        [alphaLimit](int64_t v) { return Held(v, alphaLimit); }, span);
  }

private:
  // The integer part of a 16.16 value held within +-limit.
  static int Held(int64_t v, int64_t limit)
  {
    return (int)((v < -limit ? -limit : v > limit ? limit : v) / 65536);
  }

  // Red, green, blue and alpha sums (start, change across, change down),
  // each pixel's channels made by color and its weight by alpha.
  template <class Sum, class Color, class Alpha>
  static void gradLoop(unsigned char* dest, int w, int h, std::array<Sum, 4> start,
                       std::array<Sum, 4> across, std::array<Sum, 4> down, Color color, Alpha alpha,
                       int span)
  {
    for (int y = 0; y < h; ++y, dest += span)
    {
      std::array<Sum, 4> v = start;
      unsigned char* out = dest;
      for (int x = 0; x < w; ++x, out += 4)
      {
        const int wa = alpha(v[3]);
        F::doPix(out, color(v[0]), color(v[1]), color(v[2]), wa, wa);
        for (int c = 0; c < 4; ++c) v[c] += across[c];
      }
      for (int c = 0; c < 4; ++c) start[c] += down[c];
    }
  }
};

// n pixels of a source row onto a destination row through a per-channel
// functor.
template <class F>
inline void _LICE_BlitPixels(unsigned char* out, const unsigned char* in, int n, int alpha)
{
  for (int x = 0; x < n; ++x, out += 4, in += 4)
    F::doPix(out, in[LICE_PIXEL_R], in[LICE_PIXEL_G], in[LICE_PIXEL_B], in[LICE_PIXEL_A], alpha);
}

// Source columns of the destination pixels of a scaled row: the pixel
// (-1 when the sample lies outside 0 .. clipright - 1) and the fraction.
struct _LICE_ScaleColumns
{
  std::vector<int> cx, frac;
  _LICE_ScaleColumns(int w, int64_t icurx, int64_t idx, int clipright)
      : cx((size_t)w), frac((size_t)w)
  {
    int64_t pos = icurx;
    for (int x = 0; x < w; ++x, pos += idx)
    {
      const int64_t c = pos / 65536;
      cx[(size_t)x] = c >= 0 && c < clipright ? (int)c : -1;
      frac[(size_t)x] = (int)(pos & 0xffff);
    }
  }
};

// One bilinear sample at source column cx of row `row`; the last row and
// column of the sampling limits are interpolated in one direction only.
template <class F>
inline void _LICE_BilinearPixel(unsigned char* out, const unsigned char* row, int src_stride,
                                int cx, int xfrac, int yfrac, bool lastrow, int clipright,
                                int alpha)
{
  const unsigned char* in = row + (int64_t)cx * 4;
  int r, g, b, a;
  if (cx < clipright - 1)
  {
    if (!lastrow)
      __LICE_BilinearFilterI(&r, &g, &b, &a, in, in + src_stride, xfrac, yfrac);
    else
      __LICE_LinearFilterI(&r, &g, &b, &a, in, in + 4, xfrac);
  }
  else if (!lastrow)
  {
    __LICE_LinearFilterI(&r, &g, &b, &a, in, in + src_stride, yfrac);
  }
  else
  {
    r = in[LICE_PIXEL_R];
    g = in[LICE_PIXEL_G];
    b = in[LICE_PIXEL_B];
    a = in[LICE_PIXEL_A];
  }
  F::doPix(out, r, g, b, a, alpha);
}

template <class F>
void _LICE_ScaleBlitGeneric(unsigned char* dest, const unsigned char* src, int w, int h,
                            int64_t icurx, int64_t icury, int64_t idx, int64_t idy, int clipright,
                            int clipbottom, int src_stride, int dest_stride, int alpha,
                            int filtermode)
{
  const _LICE_ScaleColumns cols(w, icurx, idx, clipright);
  const bool bilinear = filtermode == LICE_COMBINE_FILTER_BILINEAR;
  for (int y = 0; y < h; ++y, dest += dest_stride, icury += idy)
  {
    const int64_t cy = icury / 65536;
    if (cy < 0 || cy >= clipbottom) continue;
    const unsigned char* row = src + cy * (int64_t)src_stride;
    const int yfrac = (int)(icury & 0xffff);
    const bool lastrow = cy == clipbottom - 1;
    unsigned char* out = dest;
    for (int x = 0; x < w; ++x, out += 4)
    {
      const int cx = cols.cx[(size_t)x];
      if (cx < 0) continue;
      if (bilinear)
      {
        _LICE_BilinearPixel<F>(out, row, src_stride, cx, cols.frac[(size_t)x], yfrac, lastrow,
                               clipright, alpha);
      }
      else
      {
        const unsigned char* in = row + (int64_t)cx * 4;
        F::doPix(out, in[LICE_PIXEL_R], in[LICE_PIXEL_G], in[LICE_PIXEL_B], in[LICE_PIXEL_A],
                 alpha);
      }
    }
  }
}

// Copies of a source through a per-channel functor; strides in bytes.
template <class F> class _LICE_Template_Blit2
{
public:
  static void blit(unsigned char* dest, const unsigned char* src, int w, int h, int src_stride,
                   int dest_stride, int alpha)
  {
    for (int y = 0; y < h; ++y, dest += dest_stride, src += src_stride)
      _LICE_BlitPixels<F>(dest, src, w, alpha);
  }

  // Nearest (filtermode other than 0x100) or bilinear sampling. No sample at
  // or beyond clipright / clipbottom is read.
  static void scaleBlit(unsigned char* dest, const unsigned char* src, int w, int h, int64_t icurx,
                        int64_t icury, int64_t idx, int64_t idy, int clipright, int clipbottom,
                        int src_stride, int dest_stride, int alpha, int filtermode)
  {
    _LICE_ScaleBlitGeneric<F>(dest, src, w, h, icurx, icury, idx, idy, clipright, clipbottom,
                              src_stride, dest_stride, alpha, filtermode);
  }

  // Reduction: a weighted average of filter_size x filter_size taps around
  // each sample, taps outside the sampling limits left out.
  static void scaleBlitFilterDown(unsigned char* dest, const unsigned char* src, int w, int h,
                                  int64_t icurx, int64_t icury, int64_t idx, int64_t idy,
                                  int clipright, int clipbottom, int src_stride, int dest_stride,
                                  int alpha, const int* filter, int filter_offset, int filter_size)
  {
    for (int y = 0; y < h; ++y, dest += dest_stride, icury += idy)
    {
      const int64_t cy = icury / 65536;
      if (cy < 0 || cy >= clipbottom) continue;
      int64_t xpos = icurx;
      unsigned char* out = dest;
      for (int x = 0; x < w; ++x, out += 4, xpos += idx)
      {
        const int64_t cx = xpos / 65536;
        if (cx < 0 || cx >= clipright) continue;
        int64_t sr = 0, sg = 0, sb = 0, sa = 0, total = 0;
        const int* wt = filter;
        for (int fy = 0; fy < filter_size; ++fy, wt += filter_size)
        {
          const int64_t ty = cy + filter_offset + fy;
          if (ty >= clipbottom) break;
          if (ty < 0) continue;
          const unsigned char* row = src + ty * (int64_t)src_stride;
          for (int fx = 0; fx < filter_size; ++fx)
          {
            const int64_t tx = cx + filter_offset + fx;
            if (tx < 0 || tx >= clipright) continue;
            const unsigned char* in = row + tx * 4;
            const int f = wt[fx];
            sr += in[LICE_PIXEL_R] * f;
            sg += in[LICE_PIXEL_G] * f;
            sb += in[LICE_PIXEL_B] * f;
            sa += in[LICE_PIXEL_A] * f;
            total += f;
          }
        }
        if (total > 0)
          F::doPix(out, (int)(sr / total), (int)(sg / total), (int)(sb / total), (int)(sa / total),
                   alpha);
      }
    }
  }
};

// Hand-vectorised members for the most used pairs of loop and functor
// (lice_simd.cpp). They give exactly the results of the generic loops.
template <>
void _LICE_Template_Blit0<_LICE_CombinePixelsClobberFAST>::solidBlitFAST(unsigned int* dest, int w,
                                                                         int h, unsigned int color,
                                                                         int span);
template <>
void _LICE_Template_Blit0<_LICE_CombinePixelsHalfMix2FAST>::solidBlitFAST(unsigned int* dest, int w,
                                                                          int h, unsigned int color,
                                                                          int span);
template <>
void _LICE_Template_Blit0<_LICE_CombinePixelsQuarterMix2FAST>::solidBlitFAST(unsigned int* dest,
                                                                             int w, int h,
                                                                             unsigned int color,
                                                                             int span);
template <>
void _LICE_Template_Blit0<_LICE_CombinePixelsThreeQuarterMix2FAST>::solidBlitFAST(
    unsigned int* dest, int w, int h, unsigned int color, int span);
template <>
void _LICE_Template_Blit1<_LICE_CombinePixelsCopyNoClamp>::solidBlit(unsigned char* dest, int w,
                                                                     int h, int r, int g, int b,
                                                                     int a, int span);
template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsCopyNoClamp>::blit(unsigned char* dest,
                                                                const unsigned char* src, int w,
                                                                int h, int src_stride,
                                                                int dest_stride, int alpha);
template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsCopySourceAlphaNoClamp>::blit(
    unsigned char* dest, const unsigned char* src, int w, int h, int src_stride, int dest_stride,
    int alpha);
template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::blit(
    unsigned char* dest, const unsigned char* src, int w, int h, int src_stride, int dest_stride,
    int alpha);
template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsAdd>::blit(unsigned char* dest,
                                                        const unsigned char* src, int w, int h,
                                                        int src_stride, int dest_stride, int alpha);
template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsAddSourceAlpha>::blit(unsigned char* dest,
                                                                   const unsigned char* src, int w,
                                                                   int h, int src_stride,
                                                                   int dest_stride, int alpha);
template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsClobberNoClamp>::scaleBlit(
    unsigned char* dest, const unsigned char* src, int w, int h, int64_t icurx, int64_t icury,
    int64_t idx, int64_t idy, int clipright, int clipbottom, int src_stride, int dest_stride,
    int alpha, int filtermode);
