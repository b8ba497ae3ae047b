// Writes PNG files with libpng for the loader's tests and fuzz seeds, and
// computes what the loader should make of them.
#pragma once

#include "lice.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pngw
{
struct Image
{
  int width = 0, height = 0;
  int colorType = 0; // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGB + alpha
  int bitDepth = 8;
  bool interlace = false;
  // Samples at the file's bit depth, channels of a pixel one after another
  // (grey or index; grey, alpha; red, green, blue[, alpha]).
  std::vector<uint16_t> samples;
  // Palette (colour type 3) as red, green, blue triples.
  std::vector<uint8_t> palette;
  // Transparency chunk: per-entry alphas for palettes, else one sample
  // value per colour channel (grey, or red, green, blue). Empty: none.
  std::vector<uint16_t> trns;
};

// Every colour type and bit depth a PNG file can have.
struct Kind
{
  int colorType, bitDepth;
};
constexpr Kind kKinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                           {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

// A test picture of the given kind whose samples cover the whole range.
Image MakeTestImage(int colorType, int bitDepth, bool withTrns, bool interlace, int w = 13,
                    int h = 7);
// The encoded file; empty when libpng refused.
std::vector<unsigned char> Encode(const Image& img);
bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes);
// The decoded pixel words in picture order (bytes A, R, G, B).
std::vector<LICE_Pixel> Expected(const Image& img);
// A minimal file whose header claims w x h (RGBA, 8 bits), with a few bytes
// of image data: for size checks without a real image behind them.
std::vector<unsigned char> HeaderOnly(uint32_t w, uint32_t h);
// A 42-byte file: the header of a 1 x 1 image, then a chunk of the given
// type that claims declaredLength bytes, of which one follows.
std::vector<unsigned char> OversizedChunk(const char* type, uint32_t declaredLength);
// The file with one more chunk (type, data and its CRC) right after its
// header chunk.
std::vector<unsigned char> WithChunk(std::vector<unsigned char> png, const char* type,
                                     const std::vector<unsigned char>& data);
} // namespace pngw
