// Seed files for the PNG fuzz target, written with libpng.
#include "png_seeds.h"

#include "lice_png_writer.h"

std::vector<std::vector<unsigned char>> MakePngSeeds()
{
  std::vector<std::vector<unsigned char>> seeds;
  const int kinds[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                          {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  for (auto& k : kinds)
    for (int trns = 0; trns < 2; ++trns)
    {
      if (trns && (k[0] & 4)) continue;
      seeds.push_back(pngw::Encode(pngw::MakeTestImage(k[0], k[1], trns, trns, 6, 4)));
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
