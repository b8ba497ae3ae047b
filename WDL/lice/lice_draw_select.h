// Helpers shared by the line, polygon, curve and circle drawers: the integer
// weight of a float alpha and the choice of the per-pixel combine functor.
#pragma once

#include "lice.h"
#include "lice_combine.h"

// The integer weight of a float alpha: alpha x 256 truncated toward zero.
// Weights are limited to +-4096 (alpha +-16), far beyond where every mode
// saturates, so that no functor's integer arithmetic can overflow.
inline int LICE_DrawWeight(float alpha)
{
  const float v = alpha * 256.0f;
  if (!(v == v)) return 0;
  if (v >= 4096.0f) return 4096;
  if (v <= -4096.0f) return -4096;
  return (int)v;
}

// As LICE_DispatchFill (modes 0-5 of the low byte, copy only for a positive
// weight), except that with plainCopies a copy at weight 256 stores the colour
// and at 128 mixes by halves.
template <class Op> inline bool LICE_DispatchLine(int mode, int weight, bool plainCopies, Op&& op)
{
  if ((mode & 0xff) == 0 && plainCopies && weight == 256)
  {
    op(LICE_FunctorTag<_LICE_CombinePixelsClobberNoClamp>());
    return true;
  }
  if ((mode & 0xff) == 0 && plainCopies && weight == 128)
  {
    op(LICE_FunctorTag<_LICE_CombinePixelsHalfMixNoClamp>());
    return true;
  }
  return LICE_DispatchFill(mode, weight, op);
}

// A 64-bit value limited to the int range: far-off coordinates must not wrap
// around when they are offset or mirrored.
inline int LICE_ClampInt(long long v)
{
  return v > 2147483647LL ? 2147483647 : v < -2147483647LL - 1 ? (-2147483647 - 1) : (int)v;
}

// Colour components in the order the per-channel functors take them.
#define LICE_DRAW_RGBA(c) (int)LICE_GETR(c), (int)LICE_GETG(c), (int)LICE_GETB(c), (int)LICE_GETA(c)
