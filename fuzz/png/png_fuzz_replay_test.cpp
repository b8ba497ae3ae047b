// Runs the PNG fuzz target over its seed corpus and deterministic mutations
// of it, in the ordinary (sanitized) test build.
#include "png_seeds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

TEST(PngFuzzReplay, SeedsAndMutationsDecodeSafely)
{
  const auto seeds = MakePngSeeds();
  ASSERT_GT(seeds.size(), 20u);
  std::mt19937 rng(2024);
  size_t runs = 0;
  for (const auto& seed : seeds)
  {
    EXPECT_EQ(LLVMFuzzerTestOneInput(seed.data(), seed.size()), 0);
    ++runs;
    for (int m = 0; m < 150; ++m)
    {
      auto input = seed;
      const int edits = 1 + (int)(rng() % 4);
      for (int e = 0; e < edits && !input.empty(); ++e)
      {
        const size_t at = rng() % input.size();
        switch (rng() % 4)
        {
          case 0:
            input[at] ^= (unsigned char)(1u << (rng() % 8));
            break;
          case 1:
            input[at] = (unsigned char)rng();
            break;
          case 2:
            input.resize(at);
            break;
          default:
            input.insert(input.begin() + (long)at, (unsigned char)rng());
            break;
        }
      }
      EXPECT_EQ(LLVMFuzzerTestOneInput(input.data(), input.size()), 0);
      ++runs;
    }
  }
  EXPECT_GT(runs, 3000u);
}
