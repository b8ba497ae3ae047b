// Plain per-pixel reference implementations of the raster library's combine
// modes and blits, written for clarity rather than speed, and test bitmaps.
#pragma once

#include "lice.h"

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace ref
{
// Channels of a pixel word by name.
struct Rgba
{
  int r, g, b, a;
};
inline Rgba Split(LICE_Pixel p)
{
  return {(int)((p >> 8) & 255), (int)((p >> 16) & 255), (int)(p >> 24), (int)(p & 255)};
}
inline LICE_Pixel Join(int r, int g, int b, int a)
{
  return (LICE_Pixel)(a & 255) | (LICE_Pixel)(r & 255) << 8 | (LICE_Pixel)(g & 255) << 16 |
         (LICE_Pixel)(b & 255) << 24;
}

// The hue/saturation/value adjustment of dest by (r, g, b) at weight w.
LICE_Pixel HsvAdjust(LICE_Pixel dest, int r, int g, int b, int a, int w);

// The combination a blit applies for mode word `mode` and integer weight w
// (table on mode & 0x100ff). Returns the new destination pixel.
LICE_Pixel Combine(LICE_Pixel dest, int r, int g, int b, int a, int w, int mode);
// The same with the clamping variants.
LICE_Pixel CombineClamp(LICE_Pixel dest, int r, int g, int b, int a, int w, int mode);
// The combination of fills, glyphs and pixels: low byte only, colour's
// components, source alpha `a`, weight w.
LICE_Pixel CombineFill(LICE_Pixel dest, int r, int g, int b, int a, int w, int mode);

// A bitmap stored bottom-up.
class FlippedBitmap : public LICE_MemBitmap
{
public:
  FlippedBitmap(int w, int h) : LICE_MemBitmap(w, h, 4) {}
  bool isFlipped() override { return true; }
};

// A memory bitmap stored top-down or bottom-up.
inline std::unique_ptr<LICE_IBitmap> Make(int w, int h, bool flipped)
{
  if (flipped) return std::make_unique<FlippedBitmap>(w, h);
  return std::make_unique<LICE_MemBitmap>(w, h, 4);
}

// Picture-coordinate access, whatever the storage order.
LICE_Pixel& At(LICE_IBitmap* bm, int x, int y);
// Fills every pixel (and the padding between width and span) with random
// words from rng.
void Randomize(LICE_IBitmap* bm, std::mt19937& rng);
// Picture rows as one vector.
std::vector<LICE_Pixel> Pixels(LICE_IBitmap* bm);
void SetPixels(LICE_IBitmap* bm, const std::vector<LICE_Pixel>& px);

// Reference unscaled blit of the clipped rectangle (source read before any
// write, so self-blits copy as from an untouched source).
void Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
          float alpha, int mode);
// Reference scaled blit: every destination pixel of the (mirrored) rectangle
// samples its source position; samples outside the sampling limits are
// skipped.
void ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                float srcx, float srcy, float srcw, float srch, float alpha, int mode);
// Reference rectangle fill.
void FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel color, float alpha,
              int mode);
} // namespace ref
