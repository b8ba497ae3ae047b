// Seed files for the PNG fuzz target, made with the tests' PNG writer.
#include "png_seeds.h"

#include "lice_png_writer.h"

#include <cstdint>

std::vector<std::vector<unsigned char>> MakePngSeeds()
{
  std::vector<std::vector<unsigned char>> seeds;
  for (const pngw::Kind& k : pngw::kKinds)
    for (int trns = 0; trns < 2; ++trns)
    {
      if (trns && (k.colorType & 4)) continue;
      seeds.push_back(pngw::Encode(pngw::MakeTestImage(k.colorType, k.bitDepth, trns, trns, 6, 4)));
    }
  // Broken: cut short, corrupted data, impossible sizes, no image data.
  auto whole = pngw::Encode(pngw::MakeTestImage(6, 8, false, false, 20, 9));
  seeds.push_back(std::vector<unsigned char>(whole.begin(), whole.begin() + whole.size() / 2));
  auto flipped = whole;
  flipped[flipped.size() / 2] ^= 0x20;
  seeds.push_back(flipped);
  seeds.push_back(pngw::HeaderOnly(46341, 46341));
  seeds.push_back(pngw::HeaderOnly(65536, 65536));
  seeds.push_back(pngw::HeaderOnly(100, 100));
  seeds.push_back(std::vector<unsigned char>(whole.begin(), whole.begin() + 7));
  // A few bytes that claim a chunk of up to 2 GB: text, profiles, suggested
  // palettes, Exif and calibration chunks of every size class.
  for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "iCCP", "eXIf", "pCAL", "sCAL"})
    for (uint32_t length : {0x7fffffffu, 0x40000000u, 0x10000001u, 0x00800001u})
      seeds.push_back(pngw::OversizedChunk(type, length));
  return seeds;
}
