// Unscaled and scaled blits.
#include "lice_loops.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

namespace
{
int ClampToInt(long long v) { return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : (int)v; }

// Truncation toward zero of a double, limited to what 64-bit positions hold.
int64_t TruncFixed(double v)
{
  const double lim = 4503599627370496.0; // 2^52: far outside any bitmap
  if (!(v == v)) return 0;
  if (v > lim) return (int64_t)lim;
  if (v < -lim) return -(int64_t)lim;
  return (int64_t)v;
}

// v truncated and limited to INT_MIN..hi; NaN gives INT_MIN.
int LimitToInt(double v, long long hi)
{
  if (!(v > (double)INT_MIN)) return INT_MIN;
  return v < (double)hi ? (int)v : (int)hi;
}

// Limits a run of n samples at positions pos + i * step (16.16) to those at
// or after 0 and before size, moving the start (and dst) past skipped ones.
void ClipSteps(long long* n, long long* dst, int64_t* pos, int64_t step, long long size)
{
  const int64_t end = (int64_t)size * 65536;
  if (step > 0)
  {
    if (*pos < 0)
    {
      const int64_t skip = (step - 1 - *pos) / step;
      *n -= skip;
      *dst += skip;
      *pos += skip * step;
    }
    const int64_t m = *pos >= end ? 0 : (end - 1 - *pos) / step + 1;
    if (m < *n) *n = m;
  }
  else if (step < 0)
  {
    if (*pos >= end)
    {
      const int64_t skip = (*pos - end) / -step + 1;
      *n -= skip;
      *dst += skip;
      *pos += skip * step;
    }
    const int64_t m = *pos < 0 ? 0 : *pos / -step + 1;
    if (m < *n) *n = m;
  }
  else if (*pos < 0 || *pos >= end)
  {
    *n = 0;
  }
}

// Picture row y, column x of a bitmap, and the signed step in bytes to the
// next picture row (negative for a bottom-up bitmap).
unsigned char* PictureStart(LICE_IBitmap* bm, LICE_Pixel* bits, long long x, long long y,
                            int* stride)
{
  const int span = bm->getRowSpan();
  const bool flipped = bm->isFlipped();
  *stride = flipped ? -span * 4 : span * 4;
  const long long row = flipped ? bm->getHeight() - 1 - y : y;
  return (unsigned char*)(bits + row * span + x);
}

// A private copy of a source that is also the destination, so that every
// source pixel is read before anything is written over it.
std::unique_ptr<LICE_MemBitmap> CopyOfArea(LICE_IBitmap* src, int x, int y, int w, int h)
{
  std::unique_ptr<LICE_MemBitmap> copy(new LICE_MemBitmap(w, h, 1));
  if (copy->getWidth() != w || copy->getHeight() != h) return nullptr;
  LICE_Pixel* out = copy->getBits();
  const int span = src->getRowSpan();
  const LICE_Pixel* in = src->getBits();
  for (int row = 0; row < h; ++row)
  {
    const int srow = src->isFlipped() ? src->getHeight() - 1 - (y + row) : y + row;
    memcpy(out + row * w, in + (size_t)srow * span + x, (size_t)w * 4);
  }
  return copy;
}
} // namespace

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
               float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f) return;

  const int srcW = src->getWidth(), srcH = src->getHeight();
  long long l = 0, t = 0, r = srcW, b = srcH, dx = dstx, dy = dsty;
  if (srcrect)
  {
    l = srcrect->left;
    t = srcrect->top;
    r = srcrect->right;
    b = srcrect->bottom;
    if (l < 0)
    {
      dx -= l;
      l = 0;
    }
    if (t < 0)
    {
      dy -= t;
      t = 0;
    }
    if (r > srcW) r = srcW;
    if (b > srcH) b = srcH;
  }
  if (dx < 0)
  {
    l -= dx;
    dx = 0;
  }
  if (dy < 0)
  {
    t -= dy;
    dy = 0;
  }
  const long long destW = dest->getWidth(), destH = dest->getHeight();
  if (r + dx - l > destW) r = l + destW - dx;
  if (b + dy - t > destH) b = t + destH - dy;
  if (!(l < r && t < b)) return;
  const int w = (int)(r - l), h = (int)(b - t);

  LICE_Pixel* srcBits = src->getBits();
  LICE_Pixel* destBits = dest->getBits();
  if (!srcBits || !destBits) return;

  // Overlapping self-blits read from a copy of the source area.
  std::unique_ptr<LICE_MemBitmap> copy;
  if (srcBits == destBits)
  {
    copy = CopyOfArea(src, (int)l, (int)t, w, h);
    if (!copy) return;
    src = copy.get();
    srcBits = copy->getBits();
    l = t = 0;
  }

  int srcStride, destStride;
  const unsigned char* in = PictureStart(src, srcBits, l, t, &srcStride);
  unsigned char* out = PictureStart(dest, destBits, dx, dy, &destStride);

  if ((mode & 0xff) >= LICE_COMBINE_CHANNELCOPY)
  {
    const int db = (mode >> 2) & 3, sb = mode & 3;
    for (int y = 0; y < h; ++y, out += destStride, in += srcStride)
      for (int x = 0; x < w; ++x) out[x * 4 + db] = in[x * 4 + sb];
    return;
  }

  if ((mode & 0x100ff) == 0)
  {
    if (alpha == 1.0f)
    {
      for (int y = 0; y < h; ++y, out += destStride, in += srcStride)
        memcpy(out, in, (size_t)w * 4);
      return;
    }
    if (alpha == 0.5f)
    {
      for (int y = 0; y < h; ++y, out += destStride, in += srcStride)
      {
        unsigned int* o = (unsigned int*)out;
        const unsigned int* s = (const unsigned int*)in;
        for (int x = 0; x < w; ++x) _LICE_CombinePixelsHalfMixFAST::doPixFAST(o + x, s[x]);
      }
      return;
    }
  }

  const int ia = LICE_AlphaToWeight(alpha);
  LICE_DispatchCombine(mode, ia,
                       [&](auto tag)
                       {
                         _LICE_Template_Blit2<typename decltype(tag)::type>::blit(
                             out, in, w, h, srcStride, destStride, ia);
                       });
}

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch, float alpha, int mode)
{
  RECT r = {srcx, srcy, ClampToInt((long long)srcx + srcw), ClampToInt((long long)srcy + srch)};
  LICE_Blit(dest, src, dstx, dsty, &r, alpha, mode);
}

void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src)
{
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  LICE_Blit(dest, src, 0, 0, nullptr, 1.0f, 0);
}

void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha, int mode)
{
  if (!dest || !src || !dstw || !dsth || alpha == 0.0f) return;

  const bool bilinear = (mode & LICE_COMBINE_FILTER_MASK) == LICE_COMBINE_FILTER_BILINEAR;
  if (std::fabs(srcw - dstw) < 0.001 && std::fabs(srch - dsth) < 0.001 &&
      (!bilinear || (std::fabs(srcx - std::floor(srcx + 0.5)) < 0.03 &&
                     std::fabs(srcy - std::floor(srcy + 0.5)) < 0.03)))
  {
    const int left = LimitToInt(srcx + 0.5, INT_MAX), top = LimitToInt(srcy + 0.5, INT_MAX);
    RECT r = {left, top, ClampToInt((long long)left + dstw), ClampToInt((long long)top + dsth)};
    LICE_Blit(dest, src, dstx, dsty, &r, alpha, mode);
    return;
  }

  // Mirroring: the destination rectangle lies left of (above) dstx (dsty)
  // and the source is walked from its far edge back. Each destination pixel
  // samples the near end of its source interval, as unmirrored blits do.
  long long dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  bool mirrorx = false, mirrory = false;
  if (dw < 0)
  {
    dw = -dw;
    dx -= dw;
    srcx += srcw;
    srcw = -srcw;
    mirrorx = true;
  }
  if (dh < 0)
  {
    dh = -dh;
    dy -= dh;
    srcy += srch;
    srch = -srch;
    mirrory = true;
  }

  // Sampling limits: no sample at or beyond them is read. Taken before the
  // destination clipping so that a clipped draw samples as the unclipped one.
  const long long srcW = src->getWidth(), srcH = src->getHeight();
  const double cr = std::max(srcw, 0.0f) + (double)srcx + 0.999999;
  const double cb = std::max(srch, 0.0f) + (double)srcy + 0.999999;
  const int clipright = LimitToInt(cr, srcW), clipbottom = LimitToInt(cb, srcH);

  const double xadv = srcw / (float)dw;
  const double yadv = srch / (float)dh;

  if (dx < 0)
  {
    srcx -= (float)(dx * xadv);
    dw += dx;
    dx = 0;
  }
  if (dy < 0)
  {
    srcy -= (float)(dy * yadv);
    dh += dy;
    dy = 0;
  }
  const long long destW = dest->getWidth(), destH = dest->getHeight();
  if (dx + dw > destW) dw = destW - dx;
  if (dy + dh > destH) dh = destH - dy;
  if (dw <= 0 || dh <= 0) return;

  const int64_t idx = TruncFixed(xadv * 65536.0);
  const int64_t idy = TruncFixed(yadv * 65536.0);
  int64_t icurx = TruncFixed(srcx * 65536.0);
  int64_t icury = TruncFixed(srcy * 65536.0);
  if (mirrorx) icurx += idx;
  if (mirrory) icury += idy;

  // Skip destination pixels whose samples fall before the source or past
  // its end; every sample from 0 to the last in-range one is drawn.
  ClipSteps(&dw, &dx, &icurx, idx, srcW);
  ClipSteps(&dh, &dy, &icury, idy, srcH);
  if (dw <= 0 || dh <= 0) return;

  if (clipright <= 0 || clipbottom <= 0) return;

  LICE_Pixel* srcBits = src->getBits();
  LICE_Pixel* destBits = dest->getBits();
  if (!srcBits || !destBits) return;

  std::unique_ptr<LICE_MemBitmap> copy;
  if (srcBits == destBits)
  {
    copy = CopyOfArea(src, 0, 0, (int)srcW, (int)srcH);
    if (!copy) return;
    src = copy.get();
    srcBits = copy->getBits();
  }

  // Source rows are counted from the top of the picture.
  int srcStride, destStride;
  const unsigned char* in = PictureStart(src, srcBits, 0, 0, &srcStride);
  unsigned char* out = PictureStart(dest, destBits, dx, dy, &destStride);
  const int w = (int)dw, h = (int)dh;

  const int ia = LICE_AlphaToWeight(alpha);
  if ((mode & 0x1ffff) == 0 && (ia == 128 || ia == 256))
  {
    if (ia == 256)
      _LICE_Template_Blit0<_LICE_CombinePixelsClobberFAST>::scaleBlitFAST(
          (unsigned int*)out, in, w, h, icurx, icury, idx, idy, clipright, clipbottom, srcStride,
          destStride / 4);
    else
      _LICE_Template_Blit0<_LICE_CombinePixelsHalfMixFAST>::scaleBlitFAST(
          (unsigned int*)out, in, w, h, icurx, icury, idx, idy, clipright, clipbottom, srcStride,
          destStride / 4);
    return;
  }

  if (xadv < 1.7 || yadv < 1.7 || !bilinear)
  {
    LICE_DispatchCombine(mode, ia,
                         [&](auto tag)
                         {
                           _LICE_Template_Blit2<typename decltype(tag)::type>::scaleBlit(
                               out, in, w, h, icurx, icury, idx, idy, clipright, clipbottom,
                               srcStride, destStride, ia, mode & LICE_COMBINE_FILTER_MASK);
                         });
    return;
  }

  // Strong reduction: an even box of 3 x 3 or 5 x 5 taps.
  const int64_t m = std::max(idx, idy);
  const int size = m <= 0x30000 ? 3 : 5;
  const int offset = -(size / 2);
  int taps[25];
  for (int ty = 0; ty < size; ++ty)
    for (int tx = 0; tx < size; ++tx)
    {
      const int ddx = tx + offset, ddy = ty + offset;
      double wt = 65536.0;
      if (ddx || ddy)
      {
        wt = 65536.0 * (double)(m - 1) / std::sqrt((double)(ddx * ddx + ddy * ddy));
        if (wt < 0) wt = 0;
        if (wt > 65536.0) wt = 65536.0;
      }
      taps[ty * size + tx] = (int)wt;
    }
  LICE_DispatchCombine(mode, ia,
                       [&](auto tag)
                       {
                         _LICE_Template_Blit2<typename decltype(tag)::type>::scaleBlitFilterDown(
                             out, in, w, h, icurx, icury, idx, idy, clipright, clipbottom,
                             srcStride, destStride, ia, taps, offset, size);
                       });
}
