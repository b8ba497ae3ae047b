// Rectangle, pixel and fill operations.
#include "lice_loops.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace
{
// A rectangle clipped to a bitmap, as memory rows: the first pixel of the
// top memory row, the span in pixels, width and height.
struct ClippedRect
{
  LICE_Pixel* first = nullptr;
  int span = 0, w = 0, h = 0;
};

bool ClipRect(LICE_IBitmap* bm, int x, int y, int w, int h, ClippedRect* out)
{
  if (!bm) return false;
  LICE_Pixel* bits = bm->getBits();
  const int span = bm->getRowSpan();
  const long long W = bm->getWidth(), H = bm->getHeight();
  if (!bits || span < 1) return false;
  long long lx = x, ly = y, lw = w, lh = h;
  if (lx < 0)
  {
    lw += lx;
    lx = 0;
  }
  if (ly < 0)
  {
    lh += ly;
    ly = 0;
  }
  if (lx + lw > W) lw = W - lx;
  if (ly + lh > H) lh = H - ly;
  if (lw < 1 || lh < 1) return false;
  const long long row = bm->isFlipped() ? H - ly - lh : ly;
  out->first = bits + row * span + lx;
  out->span = span;
  out->w = (int)lw;
  out->h = (int)lh;
  return true;
}

// Memory row of picture row y.
LICE_Pixel* PictureRow(LICE_IBitmap* bm, LICE_Pixel* bits, int y)
{
  const int row = bm->isFlipped() ? bm->getHeight() - 1 - y : y;
  return bits + (long long)row * bm->getRowSpan();
}

const unsigned int kHalf = 0x7f7f7f7fu, kQuarter = 0x3f3f3f3fu, kEighth = 0x1f1f1f1fu;
inline unsigned int H1(unsigned int p) { return (p >> 1) & kHalf; }
inline unsigned int H2(unsigned int p) { return (p >> 2) & kQuarter; }
inline unsigned int H3(unsigned int p) { return (p >> 3) & kEighth; }
} // namespace

void LICE_Clear(LICE_IBitmap* dest, LICE_Pixel color)
{
  if (!dest) return;
  LICE_Pixel* bits = dest->getBits();
  const int w = dest->getWidth(), h = dest->getHeight(), span = dest->getRowSpan();
  if (!bits || w < 1 || h < 1 || span < 1) return;
  _LICE_Template_Blit0<_LICE_CombinePixelsClobberFAST>::solidBlitFAST(bits, w, h, color, span);
}

void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel mask,
                    LICE_Pixel orbits)
{
  ClippedRect c;
  if (!ClipRect(dest, x, y, w, h, &c)) return;
  LICE_Pixel* row = c.first;
  for (int j = 0; j < c.h; ++j, row += c.span)
    for (int i = 0; i < c.w; ++i) row[i] = (row[i] & mask) | orbits;
}

// Multiply, overlay and the hue adjustment multiply the weight by the colour
// and by the pixel once more: beyond four times full strength their 32-bit
// arithmetic would overflow, so the weight is held there (an alpha further
// out draws as 4.0 does). The other modes take any weight an alpha gives.
static int HeldWeight(int mode, int weight)
{
  const int m = mode & 0xff;
  return m >= LICE_COMBINE_MUL && m <= LICE_COMBINE_HSVADJUST ? std::clamp(weight, -1024, 1024)
                                                              : weight;
}

void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel color, float alpha,
                   int mode)
{
  if (mode & LICE_COMBINE_USE_SOURCE_ALPHA) alpha *= (float)(color & 0xff) / 255.0f;
  ClippedRect c;
  if (!ClipRect(dest, x, y, w, h, &c) || alpha == 0.0f) return;
  const int a = LICE_AlphaToWeight(alpha);

  if ((mode & 0xff) == LICE_COMBINE_COPY)
  {
    switch (a)
    {
      case 256:
        _LICE_Template_Blit0<_LICE_CombinePixelsClobberFAST>::solidBlitFAST(c.first, c.w, c.h,
                                                                            color, c.span);
        return;
      case 128:
        _LICE_Template_Blit0<_LICE_CombinePixelsHalfMix2FAST>::solidBlitFAST(c.first, c.w, c.h,
                                                                             H1(color), c.span);
        return;
      case 64:
        _LICE_Template_Blit0<_LICE_CombinePixelsQuarterMix2FAST>::solidBlitFAST(c.first, c.w, c.h,
                                                                                H2(color), c.span);
        return;
      case 192:
        _LICE_Template_Blit0<_LICE_CombinePixelsThreeQuarterMix2FAST>::solidBlitFAST(
            c.first, c.w, c.h, H1(color) + H2(color), c.span);
        return;
    }
  }
  const int r = (int)LICE_GETR(color), g = (int)LICE_GETG(color), b = (int)LICE_GETB(color);
  const int held = HeldWeight(mode, a);
  LICE_DispatchFill(mode, held,
                    [&](auto tag)
                    {
                      _LICE_Template_Blit1<typename decltype(tag)::type>::solidBlit(
                          (unsigned char*)c.first, c.w, c.h, r, g, b, held, c.span * 4);
                    });
}

void LICE_GradRect(LICE_IBitmap* dest, int x, int y, int w, int h, float ir, float ig, float ib,
                   float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy, float dgdy,
                   float dbdy, float dady, int mode)
{
  if (!dest) return;
  const bool opaque = ia == 1.0f && dadx == 0.0f && dady == 0.0f;
  double v[12] = {ir, ig, ib, ia, drdx, dgdx, dbdx, dadx, drdy, dgdy, dbdy, dady};
  for (int i = 0; i < 12; i += 4)
  {
    v[i] *= 255.0;
    v[i + 1] *= 255.0;
    v[i + 2] *= 255.0;
    v[i + 3] *= 256.0;
  }
  long long lx = x, ly = y, lw = w, lh = h;
  if (lx < 0)
  {
    for (int i = 0; i < 4; ++i) v[i] -= (double)lx * v[4 + i];
    lw += lx;
    lx = 0;
  }
  if (ly < 0)
  {
    for (int i = 0; i < 4; ++i) v[i] -= (double)ly * v[8 + i];
    lh += ly;
    ly = 0;
  }
  const long long W = dest->getWidth(), H = dest->getHeight();
  if (lx + lw > W) lw = W - lx;
  if (ly + lh > H) lh = H - ly;
  LICE_Pixel* bits = dest->getBits();
  const int span = dest->getRowSpan();
  if (lw < 1 || lh < 1 || !bits || span < 1) return;

  unsigned char* first = (unsigned char*)(PictureRow(dest, bits, (int)ly) + lx);
  const int stride = dest->isFlipped() ? -span * 4 : span * 4;

  // 16.16 fixed point in 64 bits. Starts are held within +-2^61 and changes
  // within 2^61 divided by the width or height, so that no sum over the
  // rectangle leaves 64 bits: 2^45 channel units, where every channel has
  // long saturated. Only inputs beyond that (a start past 2^45, or a change
  // of more than that across the rectangle) are drawn as if they were that
  // far, which keeps them deterministic. NaN counts as the low end (-inf).
  const double kSumLimit = 2305843009213693952.0; // 2^61
  auto fixed = [](double value, double limit)
  {
    const double f = value * 65536.0;
    if (!(f > -limit)) return -(int64_t)limit;
    return f < limit ? (int64_t)f : (int64_t)limit;
  };
  int64_t f[12];
  for (int i = 0; i < 4; ++i)
  {
    f[i] = fixed(v[i], kSumLimit);
    f[4 + i] = fixed(v[4 + i], (double)((int64_t)kSumLimit / lw));
    f[8 + i] = fixed(v[8 + i], (double)((int64_t)kSumLimit / lh));
  }
  // Whether channel i stays within +-limit over the rectangle (and the one
  // step past its right and bottom edges that the loop takes), and so do its
  // changes: across a single column or row a change may be twice as large.
  auto within = [&](int i, int64_t limit)
  {
    for (int64_t c : {f[4 + i], f[8 + i]})
      if (c < -limit || c > limit) return false;
    for (int64_t cx : {(int64_t)0, (int64_t)lw})
      for (int64_t cy : {(int64_t)0, (int64_t)lh})
      {
        const int64_t e = f[i] + f[4 + i] * cx + f[8 + i] * cy;
        if (e < -limit || e > limit) return false;
      }
    return true;
  };

  // What each functor takes per pixel without overflowing its 32-bit
  // arithmetic, for any destination. Copy, clobber, add and colour dodge
  // take colours to +-65536 at weights to +-16384 (alpha +-64); at every
  // non-zero weight in that range a colour of 65536 or -65536 already
  // saturates the channel (in colour dodge only when brightening: a colour
  // below -65536 darkens less at weights under 1.0). Multiply, overlay and
  // the hue adjustment multiply colour and weight by the destination or the
  // saturation once more, so they take colours to +-2048 (eight times
  // white) at weights to +-1024 (alpha +-4). A gradient that stays within
  // those limits and 32 bits runs the plain loop; one that goes beyond is
  // held within them pixel by pixel.
  const int64_t kWideColor = 65536LL << 16, kWideAlpha = 16384LL << 16;
  const int64_t kNarrowColor = 2048LL << 16, kNarrowAlpha = 1024LL << 16;
  auto run = [&](auto tag, int64_t colorLimit, int64_t alphaLimit)
  {
    typedef _LICE_Template_Blit1<typename decltype(tag)::type> Loops;
    const int64_t plain = std::min<int64_t>(colorLimit, INT_MAX);
    if (within(0, plain) && within(1, plain) && within(2, plain) && within(3, alphaLimit))
      Loops::gradBlit(first, (int)lw, (int)lh, (int)f[0], (int)f[1], (int)f[2], (int)f[3],
                      (int)f[4], (int)f[5], (int)f[6], (int)f[7], (int)f[8], (int)f[9], (int)f[10],
                      (int)f[11], stride);
    else
      Loops::gradBlitHeld(first, (int)lw, (int)lh, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7],
                          f[8], f[9], f[10], f[11], colorLimit, alphaLimit, stride);
  };
  switch (mode & 0xff)
  {
    case 0:
      if (opaque)
        run(LICE_FunctorTag<_LICE_CombinePixelsClobberClamp>(), kWideColor, kWideAlpha);
      else
        run(LICE_FunctorTag<_LICE_CombinePixelsCopyClamp>(), kWideColor, kWideAlpha);
      break;
    case 1:
      run(LICE_FunctorTag<_LICE_CombinePixelsAdd>(), kWideColor, kWideAlpha);
      break;
    case 2:
      run(LICE_FunctorTag<_LICE_CombinePixelsColorDodge>(), kWideColor, kWideAlpha);
      break;
    case 3:
      run(LICE_FunctorTag<_LICE_CombinePixelsMulClamp>(), kNarrowColor, kNarrowAlpha);
      break;
    case 4:
      run(LICE_FunctorTag<_LICE_CombinePixelsOverlay>(), kNarrowColor, kNarrowAlpha);
      break;
    case 5:
      run(LICE_FunctorTag<_LICE_CombinePixelsHSVAdjust>(), kNarrowColor, kNarrowAlpha);
      break;
    default:
      break;
  }
}

void LICE_MultiplyAddRect(LICE_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc,
                          float bsc, float asc, float radd, float gadd, float badd, float aadd)
{
  ClippedRect c;
  if (!ClipRect(dest, x, y, w, h, &c)) return;
  // Factors limited so that no product overflows; beyond them every result
  // is clamped to 0 or 255 anyway.
  auto fixed = [](float v)
  {
    const double d = (double)v * 256.0;
    return d > 1e6 ? 1000000 : d < -1e6 ? -1000000 : d == d ? (int)d : 0;
  };
  const int sr = fixed(rsc), sg = fixed(gsc), sb = fixed(bsc), sa = fixed(asc);
  const int ar = fixed(radd), ag = fixed(gadd), ab = fixed(badd), aa = fixed(aadd);
  LICE_Pixel* row = c.first;
  for (int j = 0; j < c.h; ++j, row += c.span)
  {
    unsigned char* p = (unsigned char*)row;
    for (int i = 0; i < c.w; ++i, p += 4)
      _LICE_MakePixelClamp(p, (p[LICE_PIXEL_R] * sr + ar) >> 8, (p[LICE_PIXEL_G] * sg + ag) >> 8,
                           (p[LICE_PIXEL_B] * sb + ab) >> 8, (p[LICE_PIXEL_A] * sa + aa) >> 8);
  }
}

void LICE_ProcessRect(LICE_IBitmap* dest, int x, int y, int w, int h,
                      void (*procFunc)(LICE_Pixel* p, void* parm), void* parm)
{
  ClippedRect c;
  if (!procFunc || !ClipRect(dest, x, y, w, h, &c)) return;
  LICE_Pixel* row = c.first;
  for (int j = 0; j < c.h; ++j, row += c.span)
    for (int i = 0; i < c.w; ++i) procFunc(row + i, parm);
}

LICE_Pixel LICE_GetPixel(LICE_IBitmap* src, int x, int y)
{
  if (!src) return 0;
  LICE_Pixel* bits = src->getBits();
  if (!bits || x < 0 || y < 0 || x >= src->getWidth() || y >= src->getHeight()) return 0;
  return PictureRow(src, bits, y)[x];
}

void LICE_PutPixel(LICE_IBitmap* dest, int x, int y, LICE_Pixel color, float alpha, int mode)
{
  if (!dest) return;
  LICE_Pixel* bits = dest->getBits();
  if (!bits || x < 0 || y < 0 || x >= dest->getWidth() || y >= dest->getHeight()) return;
  LICE_Pixel* p = PictureRow(dest, bits, y) + x;
  const int a = LICE_AlphaToWeight(alpha);
  if ((mode & 0xff) == LICE_COMBINE_COPY)
  {
    switch (a)
    {
      case 256:
        *p = color;
        return;
      case 128:
        *p = H1(*p) + H1(color);
        return;
      case 64:
        *p = H1(*p) + H2(*p) + H2(color);
        return;
      case 192:
        *p = H2(*p) + H1(color) + H2(color);
        return;
    }
  }
  const int held = HeldWeight(mode, a);
  LICE_DispatchFill(mode, held,
                    [&](auto tag)
                    {
                      decltype(tag)::type::doPix((unsigned char*)p, (int)LICE_GETR(color),
                                                 (int)LICE_GETG(color), (int)LICE_GETB(color),
                                                 (int)LICE_GETA(color), held);
                    });
}

void LICE_SetAlphaFromColorMask(LICE_IBitmap* dest, LICE_Pixel color)
{
  if (!dest) return;
  LICE_Pixel* row = dest->getBits();
  const int w = dest->getWidth(), h = dest->getHeight(), span = dest->getRowSpan();
  if (!row || w < 1 || h < 1 || span < 1) return;
  for (int j = 0; j < h; ++j, row += span)
    for (int i = 0; i < w; ++i)
    {
      const LICE_Pixel p = row[i];
      row[i] = (p & 0xffffff00u) == color ? (p & 0xffffff00u) : (p | 0xffu);
    }
}

void LICE_SimpleFill(LICE_IBitmap* dest, int x, int y, LICE_Pixel newcolor, LICE_Pixel comparemask,
                     LICE_Pixel keepmask)
{
  if (!dest) return;
  LICE_Pixel* bits = dest->getBits();
  const int w = dest->getWidth(), h = dest->getHeight(), span = dest->getRowSpan();
  if (!bits || x < 0 || y < 0 || x >= w || y >= h) return;

  // Rows in memory order.
  const LICE_Pixel ref = bits[(long long)y * span + x] & comparemask;
  auto matches = [&](LICE_Pixel p) { return (p & comparemask) == ref; };
  auto fillRow = [&](int row)
  {
    LICE_Pixel* p = bits + (long long)row * span;
    if (!matches(p[x])) return false;
    p[x] = (p[x] & keepmask) | newcolor;
    for (int i = x + 1; i < w && matches(p[i]); ++i) p[i] = (p[i] & keepmask) | newcolor;
    for (int i = x - 1; i >= 0 && matches(p[i]); --i) p[i] = (p[i] & keepmask) | newcolor;
    return true;
  };
  for (int row = y; row < h && fillRow(row); ++row)
  {
  }
  for (int row = y - 1; row >= 0 && fillRow(row); --row)
  {
  }
}

void LICE_HalveBlitAA(LICE_IBitmap* dest, LICE_IBitmap* src)
{
  if (!dest || !src) return;
  LICE_Pixel* out = dest->getBits();
  const LICE_Pixel* in = src->getBits();
  if (!out || !in) return;
  int w = dest->getWidth(), h = dest->getHeight();
  if (w > src->getWidth() / 2) w = src->getWidth() / 2;
  if (h > src->getHeight() / 2) h = src->getHeight() / 2;
  const int dspan = dest->getRowSpan(), sspan = src->getRowSpan();
  for (int j = 0; j < h; ++j, out += dspan, in += 2 * (long long)sspan)
  {
    const LICE_Pixel* r0 = in;
    const LICE_Pixel* r1 = in + sspan;
    for (int i = 0; i < w; ++i)
      out[i] = H2(r0[2 * i]) + H2(r0[2 * i + 1]) + H2(r1[2 * i]) + H2(r1[2 * i + 1]);
  }
}

int LICE_BitmapCmp(LICE_IBitmap* a, LICE_IBitmap* b, int* coordsOut)
{
  if (!a && !b) return 0;
  if (!a) return -1;
  if (!b) return 1;
  const int w = a->getWidth(), h = a->getHeight();
  if (w != b->getWidth()) return b->getWidth() - w;
  if (h != b->getHeight()) return b->getHeight() - h;
  LICE_Pixel* abits = a->getBits();
  LICE_Pixel* bbits = b->getBits();
  auto rowA = [&](int y) { return PictureRow(a, abits, y); };
  auto rowB = [&](int y) { return PictureRow(b, bbits, y); };
  if (w < 1 || h < 1 || !abits || !bbits || abits == bbits)
  {
    if (coordsOut) coordsOut[0] = coordsOut[1] = coordsOut[2] = coordsOut[3] = 0;
    return 0;
  }

  if (!coordsOut)
  {
    for (int y = 0; y < h; ++y)
      if (const int r = memcmp(rowA(y), rowB(y), (size_t)w * 4)) return r;
    return 0;
  }

  int top = 0;
  while (top < h && !memcmp(rowA(top), rowB(top), (size_t)w * 4)) ++top;
  if (top == h)
  {
    coordsOut[0] = coordsOut[1] = coordsOut[2] = coordsOut[3] = 0;
    return 0;
  }
  int bottom = h - 1;
  while (bottom > top && !memcmp(rowA(bottom), rowB(bottom), (size_t)w * 4)) --bottom;

  int left = w, right = -1;
  for (int y = top; y <= bottom; ++y)
  {
    const LICE_Pixel* pa = rowA(y);
    const LICE_Pixel* pb = rowB(y);
    for (int x = 0; x < left; ++x)
      if (pa[x] != pb[x])
      {
        left = x;
        break;
      }
    for (int x = w - 1; x > right; --x)
      if (pa[x] != pb[x])
      {
        right = x;
        break;
      }
    if (left == 0 && right == w - 1) break;
  }
  coordsOut[0] = left;
  coordsOut[1] = top;
  coordsOut[2] = right - left + 1;
  coordsOut[3] = bottom - top + 1;
  return 1;
}

void LICE_Blur(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch)
{
  if (!dest || !src) return;
  long long l = srcx, t = srcy, r = (long long)srcx + srcw, b = (long long)srcy + srch;
  if (l < 0) l = 0;
  if (t < 0) t = 0;
  if (r > src->getWidth()) r = src->getWidth();
  if (b > src->getHeight()) b = src->getHeight();
  long long dx = dstx, dy = dsty;
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
  if (dx + (r - l) > dest->getWidth()) r = l + dest->getWidth() - dx;
  if (dy + (b - t) > dest->getHeight()) b = t + dest->getHeight() - dy;
  const long long lw = r - l, lh = b - t;
  LICE_Pixel* sbits = src->getBits();
  LICE_Pixel* dbits = dest->getBits();
  if (lw < 2 || lh < 2 || !sbits || !dbits) return;
  const int w = (int)lw, h = (int)lh;

  // Picture rows of the source box; in place, an unblurred copy of it.
  std::vector<LICE_Pixel> copy;
  std::vector<const LICE_Pixel*> rows((size_t)h);
  if (sbits == dbits)
  {
    try
    {
      copy.resize((size_t)w * h);
    }
    catch (const std::bad_alloc&)
    {
      return;
    }
    for (int y = 0; y < h; ++y)
    {
      memcpy(&copy[(size_t)y * w], PictureRow(src, sbits, (int)(t + y)) + l, (size_t)w * 4);
      rows[(size_t)y] = &copy[(size_t)y * w];
    }
  }
  else
  {
    for (int y = 0; y < h; ++y) rows[(size_t)y] = PictureRow(src, sbits, (int)(t + y)) + l;
  }

  for (int y = 0; y < h; ++y)
  {
    const LICE_Pixel* c = rows[(size_t)y];
    LICE_Pixel* out = PictureRow(dest, dbits, (int)(dy + y)) + dx;
    if (y == 0 || y == h - 1)
    {
      const LICE_Pixel* v = rows[(size_t)(y == 0 ? 1 : h - 2)];
      out[0] = H1(c[0]) + H2(c[1]) + H2(v[0]);
      for (int x = 1; x < w - 1; ++x) out[x] = H1(c[x]) + H2(v[x]) + H3(c[x - 1]) + H3(c[x + 1]);
      out[w - 1] = H1(c[w - 1]) + H2(c[w - 2]) + H2(v[w - 1]);
    }
    else
    {
      const LICE_Pixel* u = rows[(size_t)(y - 1)];
      const LICE_Pixel* d = rows[(size_t)(y + 1)];
      out[0] = H1(c[0]) + H2(c[1]) + H3(u[0]) + H3(d[0]);
      for (int x = 1; x < w - 1; ++x)
        out[x] = H1(c[x]) + H3(c[x - 1]) + H3(c[x + 1]) + H3(u[x]) + H3(d[x]);
      out[w - 1] = H1(c[w - 1]) + H2(c[w - 2]) + H3(u[w - 1]) + H3(d[w - 1]);
    }
  }
}
