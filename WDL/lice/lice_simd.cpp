// Vectorised inner loops for the most used pairs of loop and combine
// functor. Every one computes exactly what the functor's formula gives for
// each pixel; pixels the vectors cannot take (row ends, weights outside
// 0-256) go through the functor itself.
#include "lice_loops.h"

#include <algorithm>
#include <cstdlib>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace
{
// Whole-word fill rows.
template <class F> inline void FillRowScalar(unsigned int* p, int n, unsigned int c)
{
  for (int x = 0; x < n; ++x) F::doPixFAST(p + x, c);
}

#if defined(__SSE2__)
const __m128i kHalfMask = _mm_set1_epi32(0x7f7f7f7f);
const __m128i kQuarterMask = _mm_set1_epi32(0x3f3f3f3f);

inline __m128i Half(__m128i v) { return _mm_and_si128(_mm_srli_epi32(v, 1), kHalfMask); }
inline __m128i Quarter(__m128i v) { return _mm_and_si128(_mm_srli_epi32(v, 2), kQuarterMask); }

struct ClobberV
{
  static inline __m128i mix(__m128i, __m128i c) { return c; }
};
struct HalfMix2V
{
  static inline __m128i mix(__m128i d, __m128i c) { return _mm_add_epi32(Half(d), c); }
};
struct QuarterMix2V
{
  static inline __m128i mix(__m128i d, __m128i c)
  {
    return _mm_add_epi32(_mm_add_epi32(Half(d), Quarter(d)), c);
  }
};
struct ThreeQuarterMix2V
{
  static inline __m128i mix(__m128i d, __m128i c) { return _mm_add_epi32(Quarter(d), c); }
};

template <class F, class V>
void FillRows(unsigned int* dest, int w, int h, unsigned int c, int span)
{
  const __m128i cv = _mm_set1_epi32((int)c);
  for (int y = 0; y < h; ++y, dest += span)
  {
    unsigned int* p = dest;
    int n = w;
    // Up to a 16-byte boundary, then four vectors at a time.
    while (n > 0 && ((uintptr_t)p & 15))
    {
      F::doPixFAST(p++, c);
      --n;
    }
    for (; n >= 16; n -= 16, p += 16)
    {
      __m128i* v = (__m128i*)p;
      _mm_store_si128(v, V::mix(_mm_load_si128(v), cv));
      _mm_store_si128(v + 1, V::mix(_mm_load_si128(v + 1), cv));
      _mm_store_si128(v + 2, V::mix(_mm_load_si128(v + 2), cv));
      _mm_store_si128(v + 3, V::mix(_mm_load_si128(v + 3), cv));
    }
    for (; n >= 4; n -= 4, p += 4)
      _mm_store_si128((__m128i*)p, V::mix(_mm_load_si128((__m128i*)p), cv));
    FillRowScalar<F>(p, n, c);
  }
}

#if defined(__GNUC__)
#define LICE_HAVE_AVX2_TARGET 1
// Solid stores 32 bytes at a time where the processor has AVX2.
__attribute__((target("avx2"))) void FillRowsAvx2(unsigned int* dest, int w, int h, unsigned int c,
                                                  int span)
{
  const __m256i cv = _mm256_set1_epi32((int)c);
  for (int y = 0; y < h; ++y, dest += span)
  {
    unsigned int* p = dest;
    int n = w;
    while (n > 0 && ((uintptr_t)p & 31))
    {
      *p++ = c;
      --n;
    }
    for (; n >= 32; n -= 32, p += 32)
    {
      __m256i* v = (__m256i*)p;
      _mm256_store_si256(v, cv);
      _mm256_store_si256(v + 1, cv);
      _mm256_store_si256(v + 2, cv);
      _mm256_store_si256(v + 3, cv);
    }
    for (; n >= 8; n -= 8, p += 8) _mm256_store_si256((__m256i*)p, cv);
    while (n-- > 0) *p++ = c;
  }
}

// PLENMORA_LICE_BASELINE=1 keeps to the SSE2 loops, so that the tests can
// check them on a processor that has more.
bool BaselineOnly()
{
  const char* v = std::getenv("PLENMORA_LICE_BASELINE");
  return v && *v && *v != '0';
}

bool HasAvx2()
{
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2")) && !BaselineOnly();
  return has;
}
#endif

// s + (d - s) * k / 256 in each 16-bit lane, truncated toward zero, for
// 0 <= d, s <= 255 and 0 <= k <= 256: the product of |d - s| and k fits 16
// unsigned bits, and the sign is put back after the shift.
inline __m128i BlendTowards16(__m128i d, __m128i s, __m128i k)
{
  const __m128i diff = _mm_sub_epi16(d, s);
  const __m128i m = _mm_srai_epi16(diff, 15);
  const __m128i absd = _mm_sub_epi16(_mm_xor_si128(diff, m), m);
  const __m128i t = _mm_srli_epi16(_mm_mullo_epi16(absd, k), 8);
  return _mm_add_epi16(s, _mm_sub_epi16(_mm_xor_si128(t, m), m));
}

// Each pixel's alpha (lane 0 of its four) in all four of its lanes.
inline __m128i AlphaLanes(__m128i v16)
{
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v16, 0), 0);
}

const __m128i kZero = _mm_setzero_si128();
const __m128i kAlphaByte = _mm_set1_epi32(0xff);
const __m128i kAlphaLane = _mm_set_epi16(0, 0, 0, -1, 0, 0, 0, -1);

inline __m128i Lo16(__m128i v) { return _mm_unpacklo_epi8(v, kZero); }
inline __m128i Hi16(__m128i v) { return _mm_unpackhi_epi8(v, kZero); }

// Four pixels at a time through op(d, s) -> new d, the rest through F.
template <class F, class Op>
void BlitRows(unsigned char* dest, const unsigned char* src, int w, int h, int src_stride,
              int dest_stride, int alpha, Op op)
{
  for (int y = 0; y < h; ++y, dest += dest_stride, src += src_stride)
  {
    unsigned char* out = dest;
    const unsigned char* in = src;
    int n = w;
    for (; n >= 4; n -= 4, out += 16, in += 16)
    {
      const __m128i s = _mm_loadu_si128((const __m128i*)in);
      const __m128i d = _mm_loadu_si128((const __m128i*)out);
      _mm_storeu_si128((__m128i*)out, op(d, s));
    }
    _LICE_BlitPixels<F>(out, in, n, alpha);
  }
}

// ((a + 1) * w) >> 8 per 16-bit lane, a the alpha lanes, 0 <= w <= 256.
inline __m128i SourceAlphaWeight(__m128i a16, int w)
{
  const __m128i a1 = _mm_add_epi16(a16, _mm_set1_epi16(1));
  if (w == 256) return a1;
  return _mm_mulhi_epu16(a1, _mm_set1_epi16((short)(w << 8)));
}
#endif
} // namespace

#if defined(__SSE2__)
template <>
void _LICE_Template_Blit0<_LICE_CombinePixelsClobberFAST>::solidBlitFAST(unsigned int* dest, int w,
                                                                         int h, unsigned int color,
                                                                         int span)
{
#ifdef LICE_HAVE_AVX2_TARGET
  if (HasAvx2()) return FillRowsAvx2(dest, w, h, color, span);
#endif
  FillRows<_LICE_CombinePixelsClobberFAST, ClobberV>(dest, w, h, color, span);
}

template <>
void _LICE_Template_Blit0<_LICE_CombinePixelsHalfMix2FAST>::solidBlitFAST(unsigned int* dest, int w,
                                                                          int h, unsigned int color,
                                                                          int span)
{
  FillRows<_LICE_CombinePixelsHalfMix2FAST, HalfMix2V>(dest, w, h, color, span);
}

template <>
void _LICE_Template_Blit0<_LICE_CombinePixelsQuarterMix2FAST>::solidBlitFAST(unsigned int* dest,
                                                                             int w, int h,
                                                                             unsigned int color,
                                                                             int span)
{
  FillRows<_LICE_CombinePixelsQuarterMix2FAST, QuarterMix2V>(dest, w, h, color, span);
}

template <>
void _LICE_Template_Blit0<_LICE_CombinePixelsThreeQuarterMix2FAST>::solidBlitFAST(
    unsigned int* dest, int w, int h, unsigned int color, int span)
{
  FillRows<_LICE_CombinePixelsThreeQuarterMix2FAST, ThreeQuarterMix2V>(dest, w, h, color, span);
}

template <>
void _LICE_Template_Blit1<_LICE_CombinePixelsCopyNoClamp>::solidBlit(unsigned char* dest, int w,
                                                                     int h, int r, int g, int b,
                                                                     int a, int span)
{
  if (a <= 0 || a > 255)
  {
    for (int y = 0; y < h; ++y, dest += span)
      for (int x = 0; x < w; ++x)
        _LICE_CombinePixelsCopyNoClamp::doPix(dest + 4 * x, r, g, b, a, a);
    return;
  }
  const __m128i s16 =
      _mm_set_epi16((short)b, (short)g, (short)r, (short)a, (short)b, (short)g, (short)r, (short)a);
  const __m128i k = _mm_set1_epi16((short)(256 - a));
  for (int y = 0; y < h; ++y, dest += span)
  {
    unsigned char* out = dest;
    int n = w;
    for (; n >= 4; n -= 4, out += 16)
    {
      const __m128i d = _mm_loadu_si128((const __m128i*)out);
      _mm_storeu_si128((__m128i*)out, _mm_packus_epi16(BlendTowards16(Lo16(d), s16, k),
                                                       BlendTowards16(Hi16(d), s16, k)));
    }
    for (; n > 0; --n, out += 4) _LICE_CombinePixelsCopyNoClamp::doPix(out, r, g, b, a, a);
  }
}

template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsCopyNoClamp>::blit(unsigned char* dest,
                                                                const unsigned char* src, int w,
                                                                int h, int src_stride,
                                                                int dest_stride, int alpha)
{
  typedef _LICE_CombinePixelsCopyNoClamp F;
  if (alpha < 0 || alpha > 256)
  {
    for (int y = 0; y < h; ++y, dest += dest_stride, src += src_stride)
      _LICE_BlitPixels<F>(dest, src, w, alpha);
    return;
  }
  const __m128i k = _mm_set1_epi16((short)(256 - alpha));
  BlitRows<F>(dest, src, w, h, src_stride, dest_stride, alpha,
              [&](__m128i d, __m128i s)
              {
                return _mm_packus_epi16(BlendTowards16(Lo16(d), Lo16(s), k),
                                        BlendTowards16(Hi16(d), Hi16(s), k));
              });
}

#ifdef LICE_HAVE_AVX2_TARGET
namespace
{
// The source-alpha copy at full weight, eight pixels at a time (the same
// steps as the four-pixel form below).
__attribute__((target("avx2"))) void SourceAlphaCopyAvx2(unsigned char* dest,
                                                         const unsigned char* src, int w, int h,
                                                         int src_stride, int dest_stride)
{
  typedef _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp F;
  const __m256i zero = _mm256_setzero_si256();
  const __m256i alphaByte = _mm256_set1_epi32(0xff);
  const __m256i k255 = _mm256_set1_epi16(255);
  for (int y = 0; y < h; ++y, dest += dest_stride, src += src_stride)
  {
    unsigned char* out = dest;
    const unsigned char* in = src;
    int n = w;
    for (; n >= 8; n -= 8, out += 32, in += 32)
    {
      const __m256i s = _mm256_loadu_si256((const __m256i*)in);
      const __m256i a = _mm256_and_si256(s, alphaByte);
      if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, alphaByte)) == -1)
      {
        _mm256_storeu_si256((__m256i*)out, s);
        continue;
      }
      const __m256i clear = _mm256_cmpeq_epi32(a, zero);
      if (_mm256_movemask_epi8(clear) == -1) continue;
      const __m256i d = _mm256_loadu_si256((const __m256i*)out);
      __m256i half[2];
      for (int part = 0; part < 2; ++part)
      {
        const __m256i s16 = part ? _mm256_unpackhi_epi8(s, zero) : _mm256_unpacklo_epi8(s, zero);
        const __m256i d16 = part ? _mm256_unpackhi_epi8(d, zero) : _mm256_unpacklo_epi8(d, zero);
        const __m256i k =
            _mm256_sub_epi16(k255, _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0), 0));
        const __m256i diff = _mm256_sub_epi16(d16, s16);
        const __m256i m = _mm256_srai_epi16(diff, 15);
        const __m256i absd = _mm256_sub_epi16(_mm256_xor_si256(diff, m), m);
        const __m256i t = _mm256_srli_epi16(_mm256_mullo_epi16(absd, k), 8);
        half[part] = _mm256_add_epi16(s16, _mm256_sub_epi16(_mm256_xor_si256(t, m), m));
      }
      const __m256i rgb = _mm256_packus_epi16(half[0], half[1]);
      const __m256i mixed = _mm256_or_si256(_mm256_andnot_si256(alphaByte, rgb),
                                            _mm256_and_si256(alphaByte, _mm256_adds_epu8(d, s)));
      _mm256_storeu_si256((__m256i*)out, _mm256_or_si256(_mm256_and_si256(clear, d),
                                                         _mm256_andnot_si256(clear, mixed)));
    }
    _LICE_BlitPixels<F>(out, in, n, 256);
  }
}
} // namespace
#endif

template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::blit(
    unsigned char* dest, const unsigned char* src, int w, int h, int src_stride, int dest_stride,
    int alpha)
{
  typedef _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp F;
#ifdef LICE_HAVE_AVX2_TARGET
  if (HasAvx2()) return SourceAlphaCopyAvx2(dest, src, w, h, src_stride, dest_stride);
#endif
  const __m128i k255 = _mm_set1_epi16(255);
  BlitRows<F>(dest, src, w, h, src_stride, dest_stride, alpha,
              [&](__m128i d, __m128i s)
              {
                const __m128i a = _mm_and_si128(s, kAlphaByte);
                const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(a, kAlphaByte));
                if (opaque == 0xffff) return s;
                const __m128i clear = _mm_cmpeq_epi32(a, kZero);
                if (_mm_movemask_epi8(clear) == 0xffff) return d;
                const __m128i sl = Lo16(s), sh = Hi16(s);
                const __m128i rgb = _mm_packus_epi16(
                    BlendTowards16(Lo16(d), sl, _mm_sub_epi16(k255, AlphaLanes(sl))),
                    BlendTowards16(Hi16(d), sh, _mm_sub_epi16(k255, AlphaLanes(sh))));
                // Alpha: min(dA + a, 255); a = 255 stores the source, which the blend
                // with weight 0 already gives.
                const __m128i mixed = _mm_or_si128(_mm_andnot_si128(kAlphaByte, rgb),
                                                   _mm_and_si128(kAlphaByte, _mm_adds_epu8(d, s)));
                return _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, mixed));
              });
}

template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsCopySourceAlphaNoClamp>::blit(
    unsigned char* dest, const unsigned char* src, int w, int h, int src_stride, int dest_stride,
    int alpha)
{
  typedef _LICE_CombinePixelsCopySourceAlphaNoClamp F;
  if (alpha < 0 || alpha > 256)
  {
    for (int y = 0; y < h; ++y, dest += dest_stride, src += src_stride)
      _LICE_BlitPixels<F>(dest, src, w, alpha);
    return;
  }
  const __m128i k256 = _mm_set1_epi16(256), k255 = _mm_set1_epi16(255);
  auto half = [&](__m128i d16, __m128i s16)
  {
    const __m128i sw = SourceAlphaWeight(AlphaLanes(s16), alpha);
    const __m128i rgb = BlendTowards16(d16, s16, _mm_sub_epi16(k256, sw));
    const __m128i a = _mm_min_epi16(_mm_add_epi16(d16, sw), k255);
    return _mm_or_si128(_mm_andnot_si128(kAlphaLane, rgb), _mm_and_si128(kAlphaLane, a));
  };
  BlitRows<F>(dest, src, w, h, src_stride, dest_stride, alpha,
              [&](__m128i d, __m128i s)
              {
                const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(s, kAlphaByte), kZero);
                const __m128i mixed =
                    _mm_packus_epi16(half(Lo16(d), Lo16(s)), half(Hi16(d), Hi16(s)));
                return _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, mixed));
              });
}

template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsAdd>::blit(unsigned char* dest,
                                                        const unsigned char* src, int w, int h,
                                                        int src_stride, int dest_stride, int alpha)
{
  typedef _LICE_CombinePixelsAdd F;
  if (alpha < 0 || alpha > 256)
  {
    for (int y = 0; y < h; ++y, dest += dest_stride, src += src_stride)
      _LICE_BlitPixels<F>(dest, src, w, alpha);
    return;
  }
  if (alpha == 256)
  {
    BlitRows<F>(dest, src, w, h, src_stride, dest_stride, alpha,
                [](__m128i d, __m128i s) { return _mm_adds_epu8(d, s); });
    return;
  }
  const __m128i wv = _mm_set1_epi16((short)alpha);
  BlitRows<F>(dest, src, w, h, src_stride, dest_stride, alpha,
              [&](__m128i d, __m128i s)
              {
                const __m128i sl = _mm_srli_epi16(_mm_mullo_epi16(Lo16(s), wv), 8);
                const __m128i sh = _mm_srli_epi16(_mm_mullo_epi16(Hi16(s), wv), 8);
                return _mm_adds_epu8(d, _mm_packus_epi16(sl, sh));
              });
}

template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsAddSourceAlpha>::blit(unsigned char* dest,
                                                                   const unsigned char* src, int w,
                                                                   int h, int src_stride,
                                                                   int dest_stride, int alpha)
{
  typedef _LICE_CombinePixelsAddSourceAlpha F;
  if (alpha < 0 || alpha > 256)
  {
    for (int y = 0; y < h; ++y, dest += dest_stride, src += src_stride)
      _LICE_BlitPixels<F>(dest, src, w, alpha);
    return;
  }
  // A source alpha of 0 gives a weight of at most 1, which adds nothing.
  BlitRows<F>(dest, src, w, h, src_stride, dest_stride, alpha,
              [&](__m128i d, __m128i s)
              {
                const __m128i sl = Lo16(s), sh = Hi16(s);
                const __m128i al = _mm_mullo_epi16(sl, SourceAlphaWeight(AlphaLanes(sl), alpha));
                const __m128i ah = _mm_mullo_epi16(sh, SourceAlphaWeight(AlphaLanes(sh), alpha));
                return _mm_adds_epu8(
                    d, _mm_packus_epi16(_mm_srli_epi16(al, 8), _mm_srli_epi16(ah, 8)));
              });
}

#ifdef LICE_HAVE_AVX2_TARGET
namespace
{
bool HasAvx2Fma()
{
  static const bool has =
      (__builtin_cpu_init(), __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) &&
      !BaselineOnly();
  return has;
}

// Bilinear sampling stored as it is, eight destination pixels at a time
// where all eight take four source pixels. The products of 8-bit channels
// and 16-bit weights, and their sums, stay below 2^24, so single-precision
// arithmetic gives the integer formula's result exactly.
__attribute__((target("avx2,fma"))) void
BilinearClobberAvx2(unsigned char* dest, const unsigned char* src, int w, int h, int64_t icury,
                    int64_t idy, int clipright, int clipbottom, int src_stride, int dest_stride,
                    const _LICE_ScaleColumns& cols)
{
  typedef _LICE_CombinePixelsClobberNoClamp F;
  const __m256i full = _mm256_set1_epi32(65536);
  // Byte c of every pixel, alone in its 32-bit lane.
  __m256i pick[4];
  for (int c = 0; c < 4; ++c)
    pick[c] =
        _mm256_setr_epi8(c, -1, -1, -1, c + 4, -1, -1, -1, c + 8, -1, -1, -1, c + 12, -1, -1, -1, c,
                         -1, -1, -1, c + 4, -1, -1, -1, c + 8, -1, -1, -1, c + 12, -1, -1, -1);
  const __m256i interleave = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,
                                              0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  for (int y = 0; y < h; ++y, dest += dest_stride, icury += idy)
  {
    const int64_t cy = icury / 65536;
    if (cy < 0 || cy >= clipbottom) continue;
    const unsigned char* row = src + cy * (int64_t)src_stride;
    const int yfrac = (int)(icury & 0xffff);
    const bool lastrow = cy == clipbottom - 1;
    const __m256i yf = _mm256_set1_epi32(yfrac);
    int x = 0;
    while (x < w)
    {
      const int c0 = cols.cx[(size_t)x];
      // Columns run up, or down in a mirrored blit: the eight samples lie
      // between the first and the last one's column.
      const int c7 = x + 8 <= w ? cols.cx[(size_t)x + 7] : c0;
      const int lo = std::min(c0, c7), hi = std::max(c0, c7);
      if (!lastrow && x + 8 <= w && lo >= 0 && hi < clipright - 1)
      {
        const __m256i cxv = _mm256_loadu_si256((const __m256i*)&cols.cx[(size_t)x]);
        const __m256i xf = _mm256_loadu_si256((const __m256i*)&cols.frac[(size_t)x]);
        __m256i tl, tr, bl, br;
        if (hi + 1 - lo < 8 && lo + 8 <= clipright)
        {
          // All eight samples within eight source pixels (enlarging): two
          // loads and lane permutes instead of gathers.
          const __m256i i0 = _mm256_sub_epi32(cxv, _mm256_set1_epi32(lo));
          const __m256i i1 = _mm256_add_epi32(i0, _mm256_set1_epi32(1));
          const __m256i t = _mm256_loadu_si256((const __m256i*)(row + (size_t)lo * 4));
          const __m256i b =
              _mm256_loadu_si256((const __m256i*)(row + src_stride + (int64_t)lo * 4));
          tl = _mm256_permutevar8x32_epi32(t, i0);
          tr = _mm256_permutevar8x32_epi32(t, i1);
          bl = _mm256_permutevar8x32_epi32(b, i0);
          br = _mm256_permutevar8x32_epi32(b, i1);
        }
        else if (hi + 1 - lo < 16 && lo + 16 <= clipright)
        {
          // Within sixteen source pixels (reducing up to 2:1): four loads,
          // each sample picked from the first or the second eight.
          const __m256i i0 = _mm256_sub_epi32(cxv, _mm256_set1_epi32(lo));
          const __m256i i1 = _mm256_add_epi32(i0, _mm256_set1_epi32(1));
          const __m256i seven = _mm256_set1_epi32(7);
          const __m256i hi0 = _mm256_cmpgt_epi32(i0, seven), hi1 = _mm256_cmpgt_epi32(i1, seven);
          const unsigned char* b = row + src_stride;
          const __m256i t0 = _mm256_loadu_si256((const __m256i*)(row + (size_t)lo * 4));
          const __m256i t1 = _mm256_loadu_si256((const __m256i*)(row + (size_t)lo * 4 + 32));
          const __m256i b0 = _mm256_loadu_si256((const __m256i*)(b + (int64_t)lo * 4));
          const __m256i b1 = _mm256_loadu_si256((const __m256i*)(b + (int64_t)lo * 4 + 32));
#define LICE_PICK(lo, hi, idx, sel)                                                                \
  _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(lo, idx), _mm256_permutevar8x32_epi32(hi, idx),   \
                     sel)
          tl = LICE_PICK(t0, t1, i0, hi0);
          tr = LICE_PICK(t0, t1, i1, hi1);
          bl = LICE_PICK(b0, b1, i0, hi0);
          br = LICE_PICK(b0, b1, i1, hi1);
#undef LICE_PICK
        }
        else
        {
          const __m256i offs = _mm256_slli_epi32(cxv, 2);
          tl = _mm256_i32gather_epi32((const int*)row, offs, 1);
          tr = _mm256_i32gather_epi32((const int*)(row + 4), offs, 1);
          bl = _mm256_i32gather_epi32((const int*)(row + src_stride), offs, 1);
          br = _mm256_i32gather_epi32((const int*)(row + src_stride + 4), offs, 1);
        }
        const __m256i f4 = _mm256_srli_epi32(_mm256_mullo_epi32(xf, yf), 16);
        const __m256 w4 = _mm256_cvtepi32_ps(f4);
        const __m256 w3 = _mm256_cvtepi32_ps(_mm256_sub_epi32(yf, f4));
        const __m256 w2 = _mm256_cvtepi32_ps(_mm256_sub_epi32(xf, f4));
        const __m256 w1 = _mm256_cvtepi32_ps(
            _mm256_add_epi32(_mm256_sub_epi32(_mm256_sub_epi32(full, xf), yf), f4));
        __m256i v[4];
        for (int c = 0; c < 4; ++c)
        {
#define LICE_CHAN(p) _mm256_cvtepi32_ps(_mm256_shuffle_epi8(p, pick[c]))
          __m256 sum = _mm256_mul_ps(LICE_CHAN(tr), w2);
          sum = _mm256_fmadd_ps(LICE_CHAN(tl), w1, sum);
          sum = _mm256_fmadd_ps(LICE_CHAN(bl), w3, sum);
          sum = _mm256_fmadd_ps(LICE_CHAN(br), w4, sum);
#undef LICE_CHAN
          v[c] = _mm256_srli_epi32(_mm256_cvttps_epi32(sum), 16);
        }
        // Channel-major bytes back to pixels.
        const __m256i result = _mm256_shuffle_epi8(
            _mm256_packus_epi16(_mm256_packus_epi32(v[0], v[1]), _mm256_packus_epi32(v[2], v[3])),
            interleave);
        _mm256_storeu_si256((__m256i*)(dest + (size_t)x * 4), result);
        x += 8;
        continue;
      }
      if (c0 >= 0)
        _LICE_BilinearPixel<F>(dest + (size_t)x * 4, row, src_stride, c0, cols.frac[(size_t)x],
                               yfrac, lastrow, clipright, 256);
      ++x;
    }
  }
}
} // namespace
#endif

template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsClobberNoClamp>::scaleBlit(
    unsigned char* dest, const unsigned char* src, int w, int h, int64_t icurx, int64_t icury,
    int64_t idx, int64_t idy, int clipright, int clipbottom, int src_stride, int dest_stride,
    int alpha, int filtermode)
{
#ifdef LICE_HAVE_AVX2_TARGET
  if (filtermode == LICE_COMBINE_FILTER_BILINEAR && HasAvx2Fma())
  {
    const _LICE_ScaleColumns cols(w, icurx, idx, clipright);
    BilinearClobberAvx2(dest, src, w, h, icury, idy, clipright, clipbottom, src_stride, dest_stride,
                        cols);
    return;
  }
#endif
  _LICE_ScaleBlitGeneric<_LICE_CombinePixelsClobberNoClamp>(dest, src, w, h, icurx, icury, idx, idy,
                                                            clipright, clipbottom, src_stride,
                                                            dest_stride, alpha, filtermode);
}

#else // no SSE2: the generic loops

#define LICE_GENERIC_SOLID_FAST(F)                                                                 \
  template <>                                                                                      \
  void _LICE_Template_Blit0<F>::solidBlitFAST(unsigned int* dest, int w, int h, unsigned int c,    \
                                              int span)                                            \
  {                                                                                                \
    for (int y = 0; y < h; ++y, dest += span) FillRowScalar<F>(dest, w, c);                        \
  }
LICE_GENERIC_SOLID_FAST(_LICE_CombinePixelsClobberFAST)
LICE_GENERIC_SOLID_FAST(_LICE_CombinePixelsHalfMix2FAST)
LICE_GENERIC_SOLID_FAST(_LICE_CombinePixelsQuarterMix2FAST)
LICE_GENERIC_SOLID_FAST(_LICE_CombinePixelsThreeQuarterMix2FAST)
#undef LICE_GENERIC_SOLID_FAST

template <>
void _LICE_Template_Blit1<_LICE_CombinePixelsCopyNoClamp>::solidBlit(unsigned char* dest, int w,
                                                                     int h, int r, int g, int b,
                                                                     int a, int span)
{
  for (int y = 0; y < h; ++y, dest += span)
    for (int x = 0; x < w; ++x) _LICE_CombinePixelsCopyNoClamp::doPix(dest + 4 * x, r, g, b, a, a);
}

#define LICE_GENERIC_BLIT(F)                                                                       \
  template <>                                                                                      \
  void _LICE_Template_Blit2<F>::blit(unsigned char* dest, const unsigned char* src, int w, int h,  \
                                     int src_stride, int dest_stride, int alpha)                   \
  {                                                                                                \
    for (int y = 0; y < h; ++y, dest += dest_stride, src += src_stride)                            \
      _LICE_BlitPixels<F>(dest, src, w, alpha);                                                    \
  }
LICE_GENERIC_BLIT(_LICE_CombinePixelsCopyNoClamp)
LICE_GENERIC_BLIT(_LICE_CombinePixelsCopySourceAlphaNoClamp)
LICE_GENERIC_BLIT(_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp)
LICE_GENERIC_BLIT(_LICE_CombinePixelsAdd)
LICE_GENERIC_BLIT(_LICE_CombinePixelsAddSourceAlpha)
#undef LICE_GENERIC_BLIT

template <>
void _LICE_Template_Blit2<_LICE_CombinePixelsClobberNoClamp>::scaleBlit(
    unsigned char* dest, const unsigned char* src, int w, int h, int64_t icurx, int64_t icury,
    int64_t idx, int64_t idy, int clipright, int clipbottom, int src_stride, int dest_stride,
    int alpha, int filtermode)
{
  _LICE_ScaleBlitGeneric<_LICE_CombinePixelsClobberNoClamp>(dest, src, w, h, icurx, icury, idx, idy,
                                                            clipright, clipbottom, src_stride,
                                                            dest_stride, alpha, filtermode);
}
#endif
