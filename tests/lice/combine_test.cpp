// Combine modes: worked examples, the weight of an alpha, every mode at the
// edge weights against the plain reference, and the neutral hue adjustment.
#include "lice.h"
#include "lice_combine.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
LICE_Pixel Px(int r, int g, int b, int a) { return LICE_RGBA(r, g, b, a); }

LICE_Pixel Apply(LICE_Pixel dest, LICE_Pixel src, int w, int mode)
{
  LICE_CombinePixels2(&dest, (int)LICE_GETR(src), (int)LICE_GETG(src), (int)LICE_GETB(src),
                      (int)LICE_GETA(src), w, mode);
  return dest;
}
} // namespace

TEST(Combine, WorkedExamples)
{
  struct Case
  {
    LICE_Pixel dest, src;
    int w, mode;
    LICE_Pixel want;
  } cases[] = {
      // Copy at half weight rounds towards the source: 255 + (-255 * 128) / 256.
      {Px(0, 0, 0, 0), Px(255, 0, 0, 0), 128, 0, Px(128, 0, 0, 0)},
      // Multiply of white on white loses one step.
      {Px(255, 255, 255, 255), Px(255, 255, 255, 255), 256, 3, Px(254, 254, 254, 254)},
      {Px(200, 0, 0, 0), Px(100, 0, 0, 0), 256, 1, Px(255, 0, 0, 0)},
      // Colour dodge by white: any light saturates, black stays black.
      {Px(1, 0, 90, 255), Px(255, 255, 255, 255), 256, 2, Px(255, 0, 255, 255)},
      // Overlay keeps mid-grey on mid-grey.
      {Px(128, 128, 128, 128), Px(128, 128, 128, 128), 256, 4, Px(128, 128, 128, 128)},
      // Source alpha 0 never touches the pixel; 255 at full weight stores it.
      {Px(1, 2, 3, 4), Px(200, 100, 50, 0), 256, 0x10000, Px(1, 2, 3, 4)},
      {Px(1, 2, 3, 4), Px(200, 100, 50, 255), 256, 0x10000, Px(200, 100, 50, 255)},
      // Half source alpha at half weight: sw = 128 * 128 / 256 = 64.
      {Px(0, 0, 0, 10), Px(255, 255, 255, 127), 128, 0x10000, Px(64, 64, 64, 74)},
      // Hue turned half a circle: red becomes cyan; no saturation gives grey.
      {Px(255, 0, 0, 9), Px(0, 128, 128, 77), 256, 5, Px(0, 255, 255, 77)},
      {Px(255, 0, 0, 9), Px(128, 0, 128, 77), 256, 5, Px(255, 255, 255, 77)},
  };
  for (auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << std::hex << c.dest << " " << c.src << " mode " << c.mode
                                    << std::dec << " w " << c.w);
    EXPECT_EQ(Apply(c.dest, c.src, c.w, c.mode), c.want);
    EXPECT_EQ(ref::Combine(c.dest, (int)LICE_GETR(c.src), (int)LICE_GETG(c.src),
                           (int)LICE_GETB(c.src), (int)LICE_GETA(c.src), c.w, c.mode),
              c.want)
        << "the reference agrees";
  }
  // The weight of an alpha: x 256 truncated toward zero, bounded to +-32768.
  const std::pair<double, int> weights[] = {
      {0.75, 192}, {0.999, 255}, {-0.999, -255}, {1e30, 32768}, {-1e30, -32768}};
  for (auto& w : weights) EXPECT_EQ(LICE_AlphaToWeight(w.first), w.second) << w.first;
}

// Also weight 0, negative weights and modes that draw nothing.
TEST(Combine, EveryModeAtEdgeWeightsMatchesReference)
{
  const int weights[] = {-128, 0, 1, 64, 128, 192, 255, 256};
  const int values[] = {0, 1, 2, 64, 127, 128, 129, 200, 254, 255};
  for (int mode : {0, 1, 2, 3, 4, 5, 6, 0xef, 0xf1})
    for (int srcAlpha = 0; srcAlpha < 2; ++srcAlpha)
      for (int w : weights)
        for (int dv : values)
          for (int sv : values)
            for (int av : {0, 1, 127, 128, 254, 255})
            {
              const int m = mode | (srcAlpha ? 0x10000 : 0);
              // Mix the channels so that a swapped channel shows.
              const LICE_Pixel dest = Px(dv, 255 - dv, (dv * 7) & 255, (dv * 3) & 255);
              const int r = sv, g = 255 - sv, b = (sv * 5) & 255;
              LICE_Pixel got = dest;
              LICE_CombinePixels2(&got, r, g, b, av, w, m);
              ASSERT_EQ(got, ref::Combine(dest, r, g, b, av, w, m))
                  << "mode " << m << " w " << w << " d " << dv << " s " << sv << " a " << av;
              got = dest;
              LICE_CombinePixels2Clamp(&got, r, g, b, av, w, m);
              ASSERT_EQ(got, ref::CombineClamp(dest, r, g, b, av, w, m))
                  << "clamp mode " << m << " w " << w;
              ASSERT_EQ(LICE_CombinePixels(dest, Px(r, g, b, av), w / 256.0f, m),
                        ref::Combine(dest, r, g, b, av, w, m));
            }
}

// A neutral hue adjustment keeps greys and primaries exactly and any colour
// within a few steps; alpha becomes the source's.
TEST(Combine, NeutralHueAdjustmentKeepsTheColour)
{
  for (int g = 0; g < 256; ++g)
    ASSERT_EQ(Apply(Px(g, g, g, 3), Px(128, 128, 128, 200), 256, 5), Px(g, g, g, 200)) << g;
  for (LICE_Pixel p : {Px(255, 0, 0, 0), Px(0, 255, 0, 0), Px(0, 0, 255, 0), Px(0, 0, 77, 0)})
    EXPECT_EQ(Apply(p, Px(128, 128, 128, 0), 256, 5), p);
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i)
  {
    const LICE_Pixel p = (LICE_Pixel)rng() | 0xff;
    const LICE_Pixel q = Apply(p, Px(128, 128, 128, 255), 256, 5);
    for (int shift : {8, 16, 24}) ASSERT_NEAR((int)(q >> shift & 255), (int)(p >> shift & 255), 4);
  }
}
