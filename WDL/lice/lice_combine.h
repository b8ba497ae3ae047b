// Pixel combine functors of the raster library.
//
// Each functor is a stateless class with one static operation, meant to be a
// template argument of a drawing loop so that every pair of loop and formula
// is compiled as its own inner loop:
//   per-channel: static void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
//     dest points at the four bytes (A, R, G, B) of a destination pixel;
//     r, g, b, a are the source components (0-255), alpha the integer weight
//     (normally 0-256, see LICE_AlphaToWeight).
//   whole-word: static void doPixFAST(unsigned int* dest, unsigned int src)
// All arithmetic is 32-bit integer; "/" truncates toward zero, so
// (d - s) * k / 256 rounds towards s.
#pragma once

#include "lice.h"

// 0 for i = 0, else floor(65536 / i) - 1.
extern const unsigned short __LICE_RGB2HSV_invtab[256];

static inline int _LICE_ClampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

static inline void _LICE_MakePixelClamp(unsigned char* out, int r, int g, int b, int a)
{
  out[LICE_PIXEL_R] = (unsigned char)_LICE_ClampByte(r);
  out[LICE_PIXEL_G] = (unsigned char)_LICE_ClampByte(g);
  out[LICE_PIXEL_B] = (unsigned char)_LICE_ClampByte(b);
  out[LICE_PIXEL_A] = (unsigned char)_LICE_ClampByte(a);
}

static inline void _LICE_MakePixelNoClamp(unsigned char* out, unsigned char r, unsigned char g,
                                          unsigned char b, unsigned char a)
{
  out[LICE_PIXEL_R] = r;
  out[LICE_PIXEL_G] = g;
  out[LICE_PIXEL_B] = b;
  out[LICE_PIXEL_A] = a;
}

// RGB to a hue of 384 steps (red 0, yellow 64, green 128, cyan 192, blue 256,
// magenta 320), saturation and value 0-255.
static inline void __LICE_RGB2HSV(int r, int g, int b, int* h, int* s, int* v)
{
  int base, mn, mx, diff;
  if (r < g)
  {
    if (b < g)
    {
      base = 128;
      mx = g;
      mn = r < b ? r : b;
      diff = b - r;
    }
    else
    {
      base = 256;
      mx = b;
      mn = r < g ? r : g;
      diff = r - g;
    }
  }
  else if (b < r)
  {
    mx = r;
    if (g < b)
    {
      base = 383;
      mn = g;
    }
    else
    {
      base = 0;
      mn = b;
    }
    diff = g - b;
  }
  else
  {
    base = 256;
    mx = b;
    mn = r < g ? r : g;
    diff = r - g;
  }
  const int delta = mx - mn;
  *v = mx;
  *h = base + ((int)__LICE_RGB2HSV_invtab[delta] + 1) * diff / 1024;
  *s = (int)__LICE_RGB2HSV_invtab[mx] * delta / 256;
}

static inline LICE_Pixel __LICE_HSV2Pix(int h, int s, int v, int alpha)
{
  const int p = (256 - s) * v / 256;
  int red, green, blue;
#define LICE_HSV_Q(k) ((16384 - (k)*s) * v / 16384)
  if (h < 64)
  {
    red = v;
    green = LICE_HSV_Q(64 - h);
    blue = p;
  }
  else if (h < 128)
  {
    red = LICE_HSV_Q(h - 64);
    green = v;
    blue = p;
  }
  else if (h < 192)
  {
    red = p;
    green = v;
    blue = LICE_HSV_Q(192 - h);
  }
  else if (h < 256)
  {
    red = p;
    green = LICE_HSV_Q(h - 192);
    blue = v;
  }
  else if (h < 320)
  {
    red = LICE_HSV_Q(320 - h);
    green = p;
    blue = v;
  }
  else
  {
    red = v;
    green = p;
    blue = LICE_HSV_Q(h - 320);
  }
#undef LICE_HSV_Q
  return ((LICE_Pixel)alpha & 255) | (((LICE_Pixel)red & 255) << 8) |
         (((LICE_Pixel)green & 255) << 16) | (((LICE_Pixel)blue & 255) << 24);
}

// The source-alpha functors scale the weight by the source pixel's alpha.
static inline int _LICE_SourceAlphaWeight(int a, int alpha) { return (a + 1) * alpha / 256; }

class _LICE_CombinePixelsClobberNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    _LICE_MakePixelNoClamp(dest, (unsigned char)r, (unsigned char)g, (unsigned char)b,
                           (unsigned char)a);
  }
};

class _LICE_CombinePixelsClobberClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    _LICE_MakePixelClamp(dest, r, g, b, a);
  }
};

#define LICE_BLEND_TOWARDS(d, s, k) ((s) + ((int)(d) - (s)) * (k) / 256)

class _LICE_CombinePixelsCopyNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    const int k = 256 - alpha;
    _LICE_MakePixelNoClamp(dest, (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_R], r, k),
                           (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_G], g, k),
                           (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_B], b, k),
                           (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_A], a, k));
  }
};

class _LICE_CombinePixelsCopyClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    const int k = 256 - alpha;
    _LICE_MakePixelClamp(dest, LICE_BLEND_TOWARDS(dest[LICE_PIXEL_R], r, k),
                         LICE_BLEND_TOWARDS(dest[LICE_PIXEL_G], g, k),
                         LICE_BLEND_TOWARDS(dest[LICE_PIXEL_B], b, k),
                         LICE_BLEND_TOWARDS(dest[LICE_PIXEL_A], a, k));
  }
};

class _LICE_CombinePixelsCopySourceAlphaNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    const int sw = _LICE_SourceAlphaWeight(a, alpha);
    const int k = 256 - sw;
    const int da = dest[LICE_PIXEL_A] + sw;
    _LICE_MakePixelNoClamp(dest, (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_R], r, k),
                           (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_G], g, k),
                           (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_B], b, k),
                           (unsigned char)(da < 255 ? da : 255));
  }
};

class _LICE_CombinePixelsCopySourceAlphaClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    const int sw = _LICE_SourceAlphaWeight(a, alpha);
    const int k = 256 - sw;
    _LICE_MakePixelClamp(dest, LICE_BLEND_TOWARDS(dest[LICE_PIXEL_R], r, k),
                         LICE_BLEND_TOWARDS(dest[LICE_PIXEL_G], g, k),
                         LICE_BLEND_TOWARDS(dest[LICE_PIXEL_B], b, k), dest[LICE_PIXEL_A] + sw);
  }
};

class _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    if (a == 255)
    {
      _LICE_MakePixelNoClamp(dest, (unsigned char)r, (unsigned char)g, (unsigned char)b, 255);
    }
    else if (a != 0)
    {
      const int k = 255 - a;
      const int da = dest[LICE_PIXEL_A] + a;
      _LICE_MakePixelNoClamp(dest, (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_R], r, k),
                             (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_G], g, k),
                             (unsigned char)LICE_BLEND_TOWARDS(dest[LICE_PIXEL_B], b, k),
                             (unsigned char)(da < 255 ? da : 255));
    }
  }
};

class _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    if (a == 255)
    {
      _LICE_MakePixelClamp(dest, r, g, b, a);
    }
    else if (a != 0)
    {
      const int k = 255 - a;
      _LICE_MakePixelClamp(dest, LICE_BLEND_TOWARDS(dest[LICE_PIXEL_R], r, k),
                           LICE_BLEND_TOWARDS(dest[LICE_PIXEL_G], g, k),
                           LICE_BLEND_TOWARDS(dest[LICE_PIXEL_B], b, k), dest[LICE_PIXEL_A] + a);
    }
  }
};

#undef LICE_BLEND_TOWARDS

class _LICE_CombinePixelsAdd
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _LICE_MakePixelClamp(dest, dest[LICE_PIXEL_R] + r * alpha / 256,
                         dest[LICE_PIXEL_G] + g * alpha / 256, dest[LICE_PIXEL_B] + b * alpha / 256,
                         dest[LICE_PIXEL_A] + a * alpha / 256);
  }
};

class _LICE_CombinePixelsAddSourceAlpha
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    _LICE_CombinePixelsAdd::doPix(dest, r, g, b, a, _LICE_SourceAlphaWeight(a, alpha));
  }
};

class _LICE_CombinePixelsColorDodge
{
public:
  static inline int dodge(int d, int s, int alpha)
  {
    const int t = 256 - s * alpha / 256;
    return t >= 2 ? d * 256 / t : d * 256;
  }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _LICE_MakePixelClamp(dest, dodge(dest[LICE_PIXEL_R], r, alpha),
                         dodge(dest[LICE_PIXEL_G], g, alpha), dodge(dest[LICE_PIXEL_B], b, alpha),
                         dodge(dest[LICE_PIXEL_A], a, alpha));
  }
};

class _LICE_CombinePixelsColorDodgeSourceAlpha
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _LICE_CombinePixelsColorDodge::doPix(dest, r, g, b, a, _LICE_SourceAlphaWeight(a, alpha));
  }
};

class _LICE_CombinePixelsMulNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    const int k = (256 - alpha) * 256;
    _LICE_MakePixelNoClamp(dest, (unsigned char)(dest[LICE_PIXEL_R] * (r * alpha + k) / 65536),
                           (unsigned char)(dest[LICE_PIXEL_G] * (g * alpha + k) / 65536),
                           (unsigned char)(dest[LICE_PIXEL_B] * (b * alpha + k) / 65536),
                           (unsigned char)(dest[LICE_PIXEL_A] * (a * alpha + k) / 65536));
  }
};

class _LICE_CombinePixelsMulClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    const int k = (256 - alpha) * 256;
    _LICE_MakePixelClamp(dest, dest[LICE_PIXEL_R] * (r * alpha + k) / 65536,
                         dest[LICE_PIXEL_G] * (g * alpha + k) / 65536,
                         dest[LICE_PIXEL_B] * (b * alpha + k) / 65536,
                         dest[LICE_PIXEL_A] * (a * alpha + k) / 65536);
  }
};

class _LICE_CombinePixelsMulSourceAlphaNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    _LICE_CombinePixelsMulNoClamp::doPix(dest, r, g, b, a, _LICE_SourceAlphaWeight(a, alpha));
  }
};

class _LICE_CombinePixelsMulSourceAlphaClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    _LICE_CombinePixelsMulClamp::doPix(dest, r, g, b, a, _LICE_SourceAlphaWeight(a, alpha));
  }
};

class _LICE_CombinePixelsOverlay
{
public:
  static inline int overlay(int d, int s, int alpha)
  {
    const int v = s * alpha + (256 - alpha) * 128;
    return ((32768 - v) * d / 256 + v) * d / 32768;
  }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _LICE_MakePixelClamp(
        dest, overlay(dest[LICE_PIXEL_R], r, alpha), overlay(dest[LICE_PIXEL_G], g, alpha),
        overlay(dest[LICE_PIXEL_B], b, alpha), overlay(dest[LICE_PIXEL_A], a, alpha));
  }
};

class _LICE_CombinePixelsOverlaySourceAlpha
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _LICE_CombinePixelsOverlay::doPix(dest, r, g, b, a, _LICE_SourceAlphaWeight(a, alpha));
  }
};

// The source colour holds adjustment amounts, 128 neutral: r turns the hue,
// g scales the saturation, b the value. The alpha byte becomes a.
class _LICE_CombinePixelsHSVAdjust
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    int h, s, v;
    __LICE_RGB2HSV(dest[LICE_PIXEL_R], dest[LICE_PIXEL_G], dest[LICE_PIXEL_B], &h, &s, &v);
    h += (r + r / 2 - 192) * alpha / 256;
    if (h < 0)
      h += 384;
    else if (h > 383)
      h -= 384;
    s = _LICE_ClampByte(s + (g - 128) * alpha / 128);
    v = _LICE_ClampByte(v + (b - 128) * alpha / 128);
    *(LICE_Pixel*)dest = __LICE_HSV2Pix(h, s, v, a);
  }
};

class _LICE_CombinePixelsHSVAdjustSourceAlpha
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _LICE_CombinePixelsHSVAdjust::doPix(dest, r, g, b, a, _LICE_SourceAlphaWeight(a, alpha));
  }
};

class _LICE_CombinePixelsHalfMixNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    _LICE_MakePixelNoClamp(dest, (unsigned char)((dest[LICE_PIXEL_R] + r) / 2),
                           (unsigned char)((dest[LICE_PIXEL_G] + g) / 2),
                           (unsigned char)((dest[LICE_PIXEL_B] + b) / 2),
                           (unsigned char)((dest[LICE_PIXEL_A] + a) / 2));
  }
};

// Whole-word functors: all four channels alike. The *Mix2 forms take a colour
// pre-scaled once by the caller.
class _LICE_CombinePixelsClobberFAST
{
public:
  static inline void doPixFAST(unsigned int* dest, unsigned int src) { *dest = src; }
};

class _LICE_CombinePixelsHalfMixFAST
{
public:
  static inline void doPixFAST(unsigned int* dest, unsigned int src)
  {
    *dest = ((*dest >> 1) & 0x7f7f7f7fu) + ((src >> 1) & 0x7f7f7f7fu);
  }
};

// src = (colour >> 1) & 0x7f7f7f7f
class _LICE_CombinePixelsHalfMix2FAST
{
public:
  static inline void doPixFAST(unsigned int* dest, unsigned int src)
  {
    *dest = ((*dest >> 1) & 0x7f7f7f7fu) + src;
  }
};

// Three quarters of the destination; src = (colour >> 2) & 0x3f3f3f3f
class _LICE_CombinePixelsQuarterMix2FAST
{
public:
  static inline void doPixFAST(unsigned int* dest, unsigned int src)
  {
    const unsigned int d = *dest;
    *dest = ((d >> 1) & 0x7f7f7f7fu) + ((d >> 2) & 0x3f3f3f3fu) + src;
  }
};

// A quarter of the destination;
// src = ((colour >> 1) & 0x7f7f7f7f) + ((colour >> 2) & 0x3f3f3f3f)
class _LICE_CombinePixelsThreeQuarterMix2FAST
{
public:
  static inline void doPixFAST(unsigned int* dest, unsigned int src)
  {
    *dest = ((*dest >> 2) & 0x3f3f3f3fu) + src;
  }
};

// Functor selection. Each dispatcher calls op(LICE_FunctorTag<F>()) once with
// the functor the mode word selects, so the caller's loop is instantiated per
// functor:
//   LICE_DispatchCombine(mode, ia, [&](auto tag) {
//     using F = typename decltype(tag)::type;
//     ... F::doPix(...) ...
//   });
// They return false (and call nothing) when nothing is to be drawn.
template <class F> struct LICE_FunctorTag
{
  typedef F type;
};

// Blits and one-pixel combination: mode & 0x100ff.
template <class Op> inline bool LICE_DispatchCombine(int mode, int ia, Op&& op)
{
  if (ia == 0) return false;
  switch (mode & 0x100ff)
  {
    case 0:
      if (ia == 256)
        op(LICE_FunctorTag<_LICE_CombinePixelsClobberNoClamp>());
      else if (ia > 0)
        op(LICE_FunctorTag<_LICE_CombinePixelsCopyNoClamp>());
      else
        return false;
      return true;
    case 1:
      op(LICE_FunctorTag<_LICE_CombinePixelsAdd>());
      return true;
    case 2:
      op(LICE_FunctorTag<_LICE_CombinePixelsColorDodge>());
      return true;
    case 3:
      op(LICE_FunctorTag<_LICE_CombinePixelsMulNoClamp>());
      return true;
    case 4:
      op(LICE_FunctorTag<_LICE_CombinePixelsOverlay>());
      return true;
    case 5:
      op(LICE_FunctorTag<_LICE_CombinePixelsHSVAdjust>());
      return true;
    case 0x10000:
      if (ia == 256)
        op(LICE_FunctorTag<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>());
      else
        op(LICE_FunctorTag<_LICE_CombinePixelsCopySourceAlphaNoClamp>());
      return true;
    case 0x10001:
      op(LICE_FunctorTag<_LICE_CombinePixelsAddSourceAlpha>());
      return true;
    case 0x10002:
      op(LICE_FunctorTag<_LICE_CombinePixelsColorDodgeSourceAlpha>());
      return true;
    case 0x10003:
      op(LICE_FunctorTag<_LICE_CombinePixelsMulSourceAlphaNoClamp>());
      return true;
    case 0x10004:
      op(LICE_FunctorTag<_LICE_CombinePixelsOverlaySourceAlpha>());
      return true;
    case 0x10005:
      op(LICE_FunctorTag<_LICE_CombinePixelsHSVAdjustSourceAlpha>());
      return true;
    default:
      return false;
  }
}

// The same table with the clamping variants.
template <class Op> inline bool LICE_DispatchCombineClamp(int mode, int ia, Op&& op)
{
  if (ia == 0) return false;
  switch (mode & 0x100ff)
  {
    case 0:
      if (ia == 256)
        op(LICE_FunctorTag<_LICE_CombinePixelsClobberClamp>());
      else if (ia > 0)
        op(LICE_FunctorTag<_LICE_CombinePixelsCopyClamp>());
      else
        return false;
      return true;
    case 3:
      op(LICE_FunctorTag<_LICE_CombinePixelsMulClamp>());
      return true;
    case 0x10000:
      if (ia == 256)
        op(LICE_FunctorTag<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp>());
      else
        op(LICE_FunctorTag<_LICE_CombinePixelsCopySourceAlphaClamp>());
      return true;
    case 0x10003:
      op(LICE_FunctorTag<_LICE_CombinePixelsMulSourceAlphaClamp>());
      return true;
    default:
      return LICE_DispatchCombine(mode, ia, op);
  }
}

// Fills, pixels and glyphs: the low byte only, no source-alpha functors;
// copy only for a positive weight.
template <class Op> inline bool LICE_DispatchFill(int mode, int a, Op&& op)
{
  if (a == 0) return false;
  switch (mode & 0xff)
  {
    case 0:
      if (a <= 0) return false;
      op(LICE_FunctorTag<_LICE_CombinePixelsCopyNoClamp>());
      return true;
    case 1:
      op(LICE_FunctorTag<_LICE_CombinePixelsAdd>());
      return true;
    case 2:
      op(LICE_FunctorTag<_LICE_CombinePixelsColorDodge>());
      return true;
    case 3:
      op(LICE_FunctorTag<_LICE_CombinePixelsMulNoClamp>());
      return true;
    case 4:
      op(LICE_FunctorTag<_LICE_CombinePixelsOverlay>());
      return true;
    case 5:
      op(LICE_FunctorTag<_LICE_CombinePixelsHSVAdjust>());
      return true;
    default:
      return false;
  }
}

// Sampling filters shared by the scaled and transformed blits. pin points at
// pixel (x, y), pinnext at (x, y + 1); fractions are 16-bit.
static inline void __LICE_BilinearFilterI(int* r, int* g, int* b, int* a, const unsigned char* pin,
                                          const unsigned char* pinnext, int xfrac, int yfrac)
{
  const unsigned int f4 = ((unsigned int)xfrac * (unsigned int)yfrac) >> 16;
  const unsigned int f3 = (unsigned int)yfrac - f4;
  const unsigned int f2 = (unsigned int)xfrac - f4;
  const unsigned int f1 = 65536u - (unsigned int)xfrac - (unsigned int)yfrac + f4;
#define LICE_BILINEAR_CH(c)                                                                        \
  (int)((pin[c] * f1 + pin[4 + c] * f2 + pinnext[4 + c] * f4 + pinnext[c] * f3) >> 16)
  *r = LICE_BILINEAR_CH(LICE_PIXEL_R);
  *g = LICE_BILINEAR_CH(LICE_PIXEL_G);
  *b = LICE_BILINEAR_CH(LICE_PIXEL_B);
  *a = LICE_BILINEAR_CH(LICE_PIXEL_A);
#undef LICE_BILINEAR_CH
}

static inline void __LICE_LinearFilterI(int* r, int* g, int* b, int* a, const unsigned char* pin,
                                        const unsigned char* pinnext, int frac)
{
  const unsigned int f2 = (unsigned int)frac, f1 = 65536u - f2;
  *r = (int)((pin[LICE_PIXEL_R] * f1 + pinnext[LICE_PIXEL_R] * f2) >> 16);
  *g = (int)((pin[LICE_PIXEL_G] * f1 + pinnext[LICE_PIXEL_G] * f2) >> 16);
  *b = (int)((pin[LICE_PIXEL_B] * f1 + pinnext[LICE_PIXEL_B] * f2) >> 16);
  *a = (int)((pin[LICE_PIXEL_A] * f1 + pinnext[LICE_PIXEL_A] * f2) >> 16);
}
