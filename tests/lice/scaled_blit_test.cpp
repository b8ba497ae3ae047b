// Scaled blits: nearest, bilinear and reducing sampling at up and down
// scales including 1:1, mirrored and clipped, against the plain reference.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
struct Call
{
  int dstx, dsty, dstw, dsth;
  float srcx, srcy, srcw, srch, alpha;
  int mode;
};

void ExpectScaledMatches(LICE_IBitmap* dest, LICE_IBitmap* src, const Call& c)
{
  ASSERT_TRUE(ref::SameAsReference(
      dest, src,
      [&]
      {
        LICE_ScaledBlit(dest, src, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch,
                        c.alpha, c.mode);
      },
      [&]
      {
        ref::ScaledBlit(dest, src, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch,
                        c.alpha, c.mode);
      }))
      << "dst " << c.dstx << "," << c.dsty << " " << c.dstw << "x" << c.dsth << " src " << c.srcx
      << "," << c.srcy << " " << c.srcw << "x" << c.srch << " alpha " << c.alpha << " mode "
      << std::hex << c.mode;
}

// A picture whose every pixel differs from its neighbours.
void Pattern(LICE_IBitmap* bm)
{
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
      ref::At(bm, x, y) = LICE_RGBA(x * 16 + 1, y * 16 + 2, (x * 5 + y * 3) & 255, 255 - x - y);
}
} // namespace

TEST(ScaledBlit, SameSizeIsAnUnscaledBlitUnlessFilteredOffGrid)
{
  LICE_MemBitmap src(130, 60, 4), a(100, 50, 4), b(100, 50, 4);
  std::mt19937 rng(1);
  ref::Randomize(&src, rng);
  LICE_Blit(&b, &src, 0, 0, 10, 0, 100, 50, 1.0f, 0);
  LICE_ScaledBlit(&a, &src, 0, 0, 100, 50, 10.4f, 0.0f, 100.0f, 50.0f, 1.0f, 0);
  EXPECT_EQ(LICE_BitmapCmp(&a, &b), 0);
  LICE_ScaledBlit(&a, &src, 0, 0, 100, 50, 10.02f, 0.0f, 100.0f, 50.0f, 1.0f, 0x100);
  EXPECT_EQ(LICE_BitmapCmp(&a, &b), 0);
  LICE_ScaledBlit(&a, &src, 0, 0, 100, 50, 10.4f, 0.0f, 100.0f, 50.0f, 1.0f, 0x100);
  EXPECT_NE(LICE_BitmapCmp(&a, &b), 0) << "0.4 of a pixel off the grid is filtered";
  ExpectScaledMatches(&a, &src, {0, 0, 100, 50, 10.4f, 0.0f, 100.0f, 50.0f, 1.0f, 0x100});
}

TEST(ScaledBlit, BilinearInterpolatesStopsAtTheEdgeAndAveragesStrongReductions)
{
  LICE_MemBitmap two(2, 1, 4), four(4, 1, 4);
  two.getBits()[0] = LICE_RGBA(0, 0, 0, 0);
  two.getBits()[1] = LICE_RGBA(200, 100, 50, 255);
  LICE_ScaledBlit(&four, &two, 0, 0, 4, 1, 0, 0, 2, 1, 1.0f, 0x100);
  // The last column is not blended with anything beyond it.
  const LICE_Pixel want[] = {LICE_RGBA(0, 0, 0, 0), LICE_RGBA(100, 50, 25, 127),
                             LICE_RGBA(200, 100, 50, 255), LICE_RGBA(200, 100, 50, 255)};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(four.getBits()[x], want[x]) << x;

  // 2:1 averages 3 x 3 taps, 4:1 5 x 5 taps around each sample.
  LICE_MemBitmap src(16, 16, 4), half(8, 8, 4), quarter(4, 4, 4), other(8, 8, 4);
  Pattern(&src);
  auto boxRed = [&](int x0, int n)
  {
    int sum = 0;
    for (int y = x0; y < x0 + n; ++y)
      for (int x = x0; x < x0 + n; ++x) sum += (int)LICE_GETR(ref::At(&src, x, y));
    return sum / (n * n);
  };
  LICE_ScaledBlit(&half, &src, 0, 0, 8, 8, 0, 0, 16, 16, 1.0f, 0x100);
  EXPECT_EQ((int)LICE_GETR(ref::At(&half, 1, 1)), boxRed(1, 3));
  EXPECT_EQ((int)LICE_GETG(ref::At(&half, 0, 0)), (2 + 2 + 18 + 18) / 4)
      << "the corner sample has only the 2 x 2 taps inside the picture";
  LICE_ScaledBlit(&quarter, &src, 0, 0, 4, 4, 0, 0, 16, 16, 1.0f, 0x100);
  EXPECT_EQ((int)LICE_GETR(ref::At(&quarter, 1, 1)), boxRed(2, 5));
  // 2:1 across but 1.5:1 down is sampled bilinearly, not averaged.
  LICE_ScaledBlit(&other, &src, 0, 0, 8, 8, 0, 0, 16, 12, 1.0f, 0x100);
  EXPECT_EQ(ref::At(&other, 1, 0), LICE_RGBA(2 * 16 + 1, 2, 10, 253));
}

TEST(ScaledBlit, EveryLoopAtUpAndDownScalesMatchesReference)
{
  std::mt19937 rng(99);
  // Exactly representable ratios and offsets, so that clipped and unclipped
  // positions agree to the last bit.
  const float ratios[] = {0.25f, 0.5f, 0.625f, 0.75f, 1.0f, 1.25f, 1.5f, 2.0f, 3.0f, 4.0f, 6.0f};
  const int modes[] = {0, 0x100, 0x10000, 0x10100, 1, 0x101, 0x10001, 3, 0x10102, 4, 5, 0x10105};
  const float alphas[] = {1.0f, 0.5f, 0.75f, 0.1f};
  for (int i = 0; i < 6000; ++i)
  {
    const bool fs = rng() & 1, fd = rng() & 1;
    auto src = ref::Make(1 + rng() % 40, 1 + rng() % 40, fs);
    auto dest = ref::Make(1 + rng() % 40, 1 + rng() % 40, fd);
    ref::Randomize(src.get(), rng);
    ref::Randomize(dest.get(), rng);
    Call c;
    c.dstw = 1 + (int)(rng() % 48);
    c.dsth = 1 + (int)(rng() % 48);
    c.srcw = c.dstw * ratios[rng() % 11];
    c.srch = c.dsth * ratios[rng() % 11];
    c.srcx = (int)(rng() % 64) / 8.0f - 2.0f;
    c.srcy = (int)(rng() % 64) / 8.0f - 2.0f;
    c.dstx = (int)(rng() % 50) - 10;
    c.dsty = (int)(rng() % 50) - 10;
    if (rng() % 4 == 0) c.dstx += c.dstw, c.dstw = -c.dstw;
    if (rng() % 4 == 0) c.dsty += c.dsth, c.dsth = -c.dsth;
    c.alpha = alphas[rng() % 4];
    c.mode = modes[rng() % 12];
    ExpectScaledMatches(dest.get(), src.get(), c);
  }
  // Self-blits read the untouched source.
  LICE_MemBitmap bm(20, 20, 4);
  for (int mode : {0, 0x100, 0x10000})
  {
    ref::Randomize(&bm, rng);
    ExpectScaledMatches(&bm, &bm, {2, 3, 15, 14, 0, 0, 10, 7, 1.0f, mode});
    ExpectScaledMatches(&bm, &bm, {0, 0, 5, 5, 2, 3, 15, 14, 0.6f, mode});
  }
}
