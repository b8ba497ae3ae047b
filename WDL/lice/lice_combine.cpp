// One-pixel combination entry points and the hue conversion table.
#include "lice_combine.h"

const unsigned short __LICE_RGB2HSV_invtab[256] = {
#define LICE_INV(i) (unsigned short)((i) ? 65536 / ((i) ? (i) : 1) - 1 : 0)
#define LICE_INV8(i)                                                                               \
  LICE_INV(i), LICE_INV(i + 1), LICE_INV(i + 2), LICE_INV(i + 3), LICE_INV(i + 4),                 \
      LICE_INV(i + 5), LICE_INV(i + 6), LICE_INV(i + 7)
#define LICE_INV64(i)                                                                              \
  LICE_INV8(i), LICE_INV8(i + 8), LICE_INV8(i + 16), LICE_INV8(i + 24), LICE_INV8(i + 32),         \
      LICE_INV8(i + 40), LICE_INV8(i + 48), LICE_INV8(i + 56)
    LICE_INV64(0), LICE_INV64(64), LICE_INV64(128), LICE_INV64(192)
#undef LICE_INV64
#undef LICE_INV8
#undef LICE_INV
};

LICE_Pixel LICE_CombinePixels(LICE_Pixel dest, LICE_Pixel src, float alpha, int mode)
{
  const int ia = LICE_AlphaToWeight(alpha);
  LICE_CombinePixels2(&dest, (int)LICE_GETR(src), (int)LICE_GETG(src), (int)LICE_GETB(src),
                      (int)LICE_GETA(src), ia, mode);
  return dest;
}

void LICE_CombinePixels2(LICE_Pixel* dest, int r, int g, int b, int a, int alpha, int mode)
{
  if (!dest) return;
  LICE_DispatchCombine(mode, alpha,
                       [&](auto tag)
                       { decltype(tag)::type::doPix((unsigned char*)dest, r, g, b, a, alpha); });
}

void LICE_CombinePixels2Clamp(LICE_Pixel* dest, int r, int g, int b, int a, int alpha, int mode)
{
  if (!dest) return;
  LICE_DispatchCombineClamp(
      mode, alpha,
      [&](auto tag) { decltype(tag)::type::doPix((unsigned char*)dest, r, g, b, a, alpha); });
}
