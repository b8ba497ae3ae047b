// Seed files for the PNG fuzz target, written with libpng.
#include "png_seeds.h"

#include "lice_png_writer.h"

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
  return seeds;
}
