// Inner drawing loops of the blits and fills, one instance per combine
// functor (see lice_combine.h). Pointers address the first pixel to touch;
// strides are signed (negative for bottom-up bitmaps).
#pragma once

#include "lice_combine.h"

#include <cstdint>

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
    for (int y = 0; y < h; ++y, dest += dest_stride, icury += idy)
    {
      const int64_t cy = icury / 65536;
      if (cy < 0 || cy >= clipbottom) continue;
      const unsigned int* row = (const unsigned int*)(src + cy * (int64_t)src_stride);
      int64_t xpos = icurx;
      unsigned int* out = dest;
      for (int x = 0; x < w; ++x, ++out, xpos += idx)
      {
        const int64_t cx = xpos / 65536;
        if (cx >= 0 && cx < clipright) F::doPixFAST(out, row[cx]);
      }
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
    for (int y = 0; y < h; ++y, dest += span)
    {
      int r = ir, g = ig, b = ib, a = ia;
      unsigned char* out = dest;
      for (int x = 0; x < w; ++x, out += 4)
      {
        F::doPix(out, r / 65536, g / 65536, b / 65536, a / 65536, a / 65536);
        r += drdx;
        g += dgdx;
        b += dbdx;
        a += dadx;
      }
      ir += drdy;
      ig += dgdy;
      ib += dbdy;
      ia += dady;
    }
  }
};

// Copies of a source through a per-channel functor; strides in bytes.
template <class F> class _LICE_Template_Blit2
{
public:
  static void blit(unsigned char* dest, const unsigned char* src, int w, int h, int src_stride,
                   int dest_stride, int alpha)
  {
    for (int y = 0; y < h; ++y, dest += dest_stride, src += src_stride)
    {
      unsigned char* out = dest;
      const unsigned char* in = src;
      for (int x = 0; x < w; ++x, out += 4, in += 4)
        F::doPix(out, in[LICE_PIXEL_R], in[LICE_PIXEL_G], in[LICE_PIXEL_B], in[LICE_PIXEL_A],
                 alpha);
    }
  }

  // Nearest (filtermode other than 0x100) or bilinear sampling. No sample at
  // or beyond clipright / clipbottom is read.
  static void scaleBlit(unsigned char* dest, const unsigned char* src, int w, int h, int64_t icurx,
                        int64_t icury, int64_t idx, int64_t idy, int clipright, int clipbottom,
                        int src_stride, int dest_stride, int alpha, int filtermode)
  {
    if (filtermode != LICE_COMBINE_FILTER_BILINEAR)
    {
      for (int y = 0; y < h; ++y, dest += dest_stride, icury += idy)
      {
        const int64_t cy = icury / 65536;
        if (cy < 0 || cy >= clipbottom) continue;
        const unsigned char* row = src + cy * (int64_t)src_stride;
        int64_t xpos = icurx;
        unsigned char* out = dest;
        for (int x = 0; x < w; ++x, out += 4, xpos += idx)
        {
          const int64_t cx = xpos / 65536;
          if (cx < 0 || cx >= clipright) continue;
          const unsigned char* in = row + cx * 4;
          F::doPix(out, in[LICE_PIXEL_R], in[LICE_PIXEL_G], in[LICE_PIXEL_B], in[LICE_PIXEL_A],
                   alpha);
        }
      }
      return;
    }

    for (int y = 0; y < h; ++y, dest += dest_stride, icury += idy)
    {
      const int64_t cy = icury / 65536;
      if (cy < 0 || cy >= clipbottom) continue;
      const int yfrac = (int)(icury & 0xffff);
      const unsigned char* row = src + cy * (int64_t)src_stride;
      const bool lastrow = cy == clipbottom - 1;
      int64_t xpos = icurx;
      unsigned char* out = dest;
      for (int x = 0; x < w; ++x, out += 4, xpos += idx)
      {
        const int64_t cx = xpos / 65536;
        if (cx < 0 || cx >= clipright) continue;
        const unsigned char* in = row + cx * 4;
        int r, g, b, a;
        if (cx < clipright - 1)
        {
          const int xfrac = (int)(xpos & 0xffff);
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
    }
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
