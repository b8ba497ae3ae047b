// Blits: nothing drawn for null, empty or far-off arguments; exact bilinear
// and reduction pixels of scaled blits. Blits and scaled blits of every mode,
// mirrored and clipped on every edge in every storage order, are compared
// with the plain reference in the random-operation test.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

TEST(Blit, NothingForNullEmptyOffOrZeroAlpha)
{
  LICE_MemBitmap src(4, 4, 4), dest(4, 4, 4), empty(0, 0, 4);
  std::mt19937 rng(3);
  ref::Randomize(&src, rng);
  LICE_Clear(&dest, 0x12345678);
  const auto before = ref::Pixels(&dest);
  LICE_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&dest, nullptr, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&dest, &empty, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&empty, &src, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&dest, &src, 0, 0, nullptr, 0.0f, 0);
  LICE_Blit(&dest, &src, 0, 0, nullptr, 1.0f, 0x10006);
  LICE_Blit(&dest, &src, 0, 0, 2, 2, -5, 1, 1.0f, 0);
  LICE_Blit(&dest, &src, INT_MAX, INT_MAX, 0, 0, INT_MAX, INT_MAX, 1.0f, 0);
  LICE_Blit(&dest, &src, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1.0f, 0);
  LICE_ScaledBlit(&dest, &src, INT_MIN, 0, INT_MAX, 4, 0.0f, 0.0f, 4.0f, 4.0f, 1.0f, 0x100);
  LICE_Copy(nullptr, &src);
  LICE_Copy(&dest, nullptr);
  EXPECT_EQ(ref::Pixels(&dest), before);
  // LICE_Copy resizes the destination to the source.
  LICE_Copy(&empty, &src);
  EXPECT_EQ(ref::Pixels(&empty), ref::Pixels(&src));
}

TEST(ScaledBlit, BilinearEdgesAndReductions)
{
  LICE_MemBitmap two(2, 1, 4), four(4, 1, 4);
  two.getBits()[0] = LICE_RGBA(0, 0, 0, 0);
  two.getBits()[1] = LICE_RGBA(200, 100, 50, 255);
  LICE_ScaledBlit(&four, &two, 0, 0, 4, 1, 0, 0, 2, 1, 1.0f, 0x100);
  // The last column is not blended with anything beyond it.
  const LICE_Pixel want[] = {LICE_RGBA(0, 0, 0, 0), LICE_RGBA(100, 50, 25, 127),
                             LICE_RGBA(200, 100, 50, 255), LICE_RGBA(200, 100, 50, 255)};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(four.getBits()[x], want[x]) << x;

  // 2:1 averages 3 x 3 taps, 4:1 5 x 5 taps around each sample; 2:1 across
  // but 1.5:1 down is sampled bilinearly.
  LICE_MemBitmap src(16, 16, 4), half(8, 8, 4), quarter(4, 4, 4), other(8, 8, 4);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      ref::At(&src, x, y) = LICE_RGBA(x * 16 + 1, y * 16 + 2, (x * 5 + y * 3) & 255, 255 - x - y);
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
  LICE_ScaledBlit(&other, &src, 0, 0, 8, 8, 0, 0, 16, 12, 1.0f, 0x100);
  EXPECT_EQ(ref::At(&other, 1, 0), LICE_RGBA(2 * 16 + 1, 2, 10, 253));
}
