// Combine modes: worked examples, the hue conversion, and every mode at the
// edge weights against the plain reference.
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

TEST(PixelWord, LayoutIsAlphaRedGreenBlueInMemory)
{
  const LICE_Pixel p = LICE_RGBA(0x11, 0x22, 0x33, 0x44);
  EXPECT_EQ(p, 0x33221144u);
  const unsigned char* b = (const unsigned char*)&p;
  EXPECT_EQ(b[LICE_PIXEL_A], 0x44);
  EXPECT_EQ(b[LICE_PIXEL_R], 0x11);
  EXPECT_EQ(b[LICE_PIXEL_G], 0x22);
  EXPECT_EQ(b[LICE_PIXEL_B], 0x33);
  EXPECT_EQ(LICE_GETR(p), 0x11u);
  EXPECT_EQ(LICE_GETG(p), 0x22u);
  EXPECT_EQ(LICE_GETB(p), 0x33u);
  EXPECT_EQ(LICE_GETA(p), 0x44u);
}

TEST(Weight, IsAlphaTimes256TruncatedAndBounded)
{
  EXPECT_EQ(LICE_AlphaToWeight(1.0), 256);
  EXPECT_EQ(LICE_AlphaToWeight(0.5), 128);
  EXPECT_EQ(LICE_AlphaToWeight(0.25), 64);
  EXPECT_EQ(LICE_AlphaToWeight(0.75), 192);
  EXPECT_EQ(LICE_AlphaToWeight(0.999), 255);
  EXPECT_EQ(LICE_AlphaToWeight(-0.999), -255);
  EXPECT_EQ(LICE_AlphaToWeight(1e30), 32768);
  EXPECT_EQ(LICE_AlphaToWeight(-1e30), -32768);
}

TEST(Combine, WorkedExamples)
{
  // Copy at half weight rounds towards the source: 255 + (-255 * 128) / 256.
  EXPECT_EQ(LICE_GETR(Apply(Px(0, 0, 0, 0), Px(255, 0, 0, 0), 128, 0)), 128u);
  // Multiply of white on white loses one step.
  EXPECT_EQ(Apply(Px(255, 255, 255, 255), Px(255, 255, 255, 255), 256, 3), Px(254, 254, 254, 254));
  EXPECT_EQ(LICE_GETR(Apply(Px(200, 0, 0, 0), Px(100, 0, 0, 0), 256, 1)), 255u);
  // Colour dodge by white: any light saturates, black stays black.
  EXPECT_EQ(Apply(Px(1, 0, 90, 255), Px(255, 255, 255, 255), 256, 2), Px(255, 0, 255, 255));
  // Overlay of mid-grey on mid-grey keeps it; white on white stays white.
  EXPECT_EQ(Apply(Px(128, 128, 128, 128), Px(128, 128, 128, 128), 256, 4), Px(128, 128, 128, 128));
  EXPECT_EQ(Apply(Px(255, 255, 255, 255), Px(255, 255, 255, 255), 256, 4), Px(255, 255, 255, 255));
  // Source alpha 0 never touches the pixel; 255 at full weight stores it.
  EXPECT_EQ(Apply(Px(1, 2, 3, 4), Px(200, 100, 50, 0), 256, 0x10000), Px(1, 2, 3, 4));
  EXPECT_EQ(Apply(Px(1, 2, 3, 4), Px(200, 100, 50, 0), 200, 0x10000), Px(1, 2, 3, 4));
  EXPECT_EQ(Apply(Px(1, 2, 3, 4), Px(200, 100, 50, 255), 256, 0x10000), Px(200, 100, 50, 255));
  EXPECT_EQ(Apply(Px(1, 2, 3, 4), Px(200, 100, 50, 255), 255, 0x10000), Px(200, 100, 50, 255));
  // Half source alpha at half weight: sw = 128 * 128 / 256 = 64.
  EXPECT_EQ(Apply(Px(0, 0, 0, 10), Px(255, 255, 255, 127), 128, 0x10000),
            Px(255 - 191, 255 - 191, 255 - 191, 74));
  // Hue turned half a circle at full weight: red becomes cyan.
  EXPECT_EQ(Apply(Px(255, 0, 0, 9), Px(0, 128, 128, 77), 256, 5), Px(0, 255, 255, 77));
  // Saturation to nothing gives the grey of the value.
  EXPECT_EQ(Apply(Px(255, 0, 0, 9), Px(128, 0, 128, 77), 256, 5), Px(255, 255, 255, 77));
}

TEST(Combine, WholeWordMixes)
{
  unsigned int d = 0xffffffffu;
  _LICE_CombinePixelsHalfMixFAST::doPixFAST(&d, 0xffffffffu);
  EXPECT_EQ(d, 0xfefefefeu);
  d = 0x80808080u;
  _LICE_CombinePixelsQuarterMix2FAST::doPixFAST(&d, (0xffffffffu >> 2) & 0x3f3f3f3fu);
  EXPECT_EQ(d, 0x40404040u + 0x20202020u + 0x3f3f3f3fu);
  d = 0x80808080u;
  _LICE_CombinePixelsThreeQuarterMix2FAST::doPixFAST(&d, 0x7f7f7f7fu + 0x3f3f3f3fu);
  EXPECT_EQ(d, 0x20202020u + 0x7f7f7f7fu + 0x3f3f3f3fu);
}

TEST(Combine, HueConversion)
{
  int h, s, v;
  __LICE_RGB2HSV(255, 0, 0, &h, &s, &v);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 255);
  EXPECT_EQ(v, 255);
  __LICE_RGB2HSV(0, 0, 255, &h, &s, &v);
  EXPECT_EQ(h, 256);
  EXPECT_EQ(s, 255);
  __LICE_RGB2HSV(128, 128, 128, &h, &s, &v);
  EXPECT_EQ(h, 256);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(v, 128);
  __LICE_RGB2HSV(0, 255, 0, &h, &s, &v);
  EXPECT_EQ(h, 128);
  // Yellow: 257 * 255 / 1024 truncates to one step short of 64.
  __LICE_RGB2HSV(255, 255, 0, &h, &s, &v);
  EXPECT_EQ(h, 63);
  // Just below red: base 383, so the hue comes out one step low.
  __LICE_RGB2HSV(255, 0, 1, &h, &s, &v);
  EXPECT_EQ(h, 383);

  EXPECT_EQ(__LICE_RGB2HSV_invtab[0], 0);
  EXPECT_EQ(__LICE_RGB2HSV_invtab[1], 65535);
  EXPECT_EQ(__LICE_RGB2HSV_invtab[2], 32767);
  EXPECT_EQ(__LICE_RGB2HSV_invtab[3], 21844);
  EXPECT_EQ(__LICE_RGB2HSV_invtab[4], 16383);
  EXPECT_EQ(__LICE_RGB2HSV_invtab[255], 256);
}

TEST(Combine, NeutralHsvAdjustRoundTrips)
{
  // Greys and the three primaries come back as they were; alpha becomes a.
  for (int g = 0; g < 256; ++g)
    EXPECT_EQ(Apply(Px(g, g, g, 3), Px(128, 128, 128, 200), 256, 5), Px(g, g, g, 200)) << g;
  const LICE_Pixel pure[] = {Px(255, 0, 0, 0), Px(0, 255, 0, 0), Px(0, 0, 255, 0), Px(0, 0, 77, 0)};
  for (LICE_Pixel p : pure) EXPECT_EQ(Apply(p, Px(128, 128, 128, 0), 256, 5), p);
  // Any colour: the round trip through the 384-step space moves no channel
  // by more than a few steps.
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i)
  {
    const LICE_Pixel p = (LICE_Pixel)rng() | 0xff;
    const LICE_Pixel q = Apply(p, Px(128, 128, 128, 255), 256, 5);
    EXPECT_NEAR((int)LICE_GETR(q), (int)LICE_GETR(p), 4);
    EXPECT_NEAR((int)LICE_GETG(q), (int)LICE_GETG(p), 4);
    EXPECT_NEAR((int)LICE_GETB(q), (int)LICE_GETB(p), 4);
  }
}

TEST(Combine, NothingForWeightZeroOrUnknownModes)
{
  const LICE_Pixel d = Px(10, 20, 30, 40), s = Px(200, 150, 100, 50);
  for (int mode : {0, 1, 2, 3, 4, 5, 0x10000, 0x10003})
    EXPECT_EQ(LICE_CombinePixels(d, s, 0.0f, mode), d);
  for (int mode : {6, 7, 0x20, 0xef, 0xf1, 0x10006, 0x100f0})
  {
    EXPECT_EQ(LICE_CombinePixels(d, s, 1.0f, mode), d) << mode;
    LICE_Pixel p = d;
    LICE_CombinePixels2Clamp(&p, 200, 150, 100, 50, 256, mode);
    EXPECT_EQ(p, d) << mode;
  }
  // Negative weight in copy mode draws nothing.
  EXPECT_EQ(LICE_CombinePixels(d, s, -0.5f, 0), d);
}

TEST(Combine, EveryModeAtEdgeWeightsMatchesReference)
{
  const int weights[] = {0, 1, 64, 128, 192, 255, 256};
  const int values[] = {0, 1, 2, 64, 127, 128, 129, 200, 254, 255};
  std::mt19937 rng(1234);
  int checked = 0;
  for (int mode = 0; mode <= 5; ++mode)
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
              const LICE_Pixel src = Px(r, g, b, av);
              ASSERT_EQ(LICE_CombinePixels(dest, src, w / 256.0f, m),
                        ref::Combine(dest, r, g, b, av, w, m));
              ++checked;
            }
  // Random words at random weights, beyond the grid.
  for (int i = 0; i < 200000; ++i)
  {
    const int m = (int)(rng() % 6) | ((rng() & 1) ? 0x10000 : 0);
    const int w = (int)(rng() % 257);
    const LICE_Pixel dest = (LICE_Pixel)rng(), src = (LICE_Pixel)rng();
    ASSERT_EQ(LICE_CombinePixels(dest, src, w / 256.0f, m),
              ref::Combine(dest, (int)LICE_GETR(src), (int)LICE_GETG(src), (int)LICE_GETB(src),
                           (int)LICE_GETA(src), w, m))
        << "mode " << m << " w " << w << " dest " << dest << " src " << src;
  }
  EXPECT_GT(checked, 0);
}
