// Combine modes (worked examples, the weight of an alpha, every mode at the
// edge weights against the plain reference), null and empty arguments, pixel
// access, bitmap comparison and memory bitmap sizes. (Gradients are checked
// in the drawing test and by the picture generator's strips.)
#include "lice.h"
#include "lice_combine.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

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
  // Destination, source, weight, mode, result.
  const std::tuple<LICE_Pixel, LICE_Pixel, int, int, LICE_Pixel> cases[] = {
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
  for (auto [dest, src, w, mode, want] : cases)
  {
    SCOPED_TRACE(testing::Message() << std::hex << dest << " " << src << " mode " << mode);
    EXPECT_EQ(Apply(dest, src, w, mode), want);
    const ref::Rgba s = ref::Split(src);
    EXPECT_EQ(ref::Combine(dest, s.r, s.g, s.b, s.a, w, mode), want) << "the reference agrees";
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

TEST(Raster, NullOrEmptyArgumentsDrawNothingAndPixelsAreReadInPictureCoordinates)
{
  LICE_MemBitmap src(4, 4, 4), bm(8, 1, 4), empty(0, 0, 4);
  LICE_Clear(&bm, 9);
  LICE_FillRect(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1, 1.0f, 0);
  LICE_FillRect(&bm, INT_MAX, 0, INT_MAX, 1, 1, 1.0f, 0);
  LICE_FillRect(&bm, 5, 0, -3, 1, 1, 1.0f, 0);
  LICE_Blit(&bm, nullptr, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&bm, &empty, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&bm, &src, 0, 0, 2, 2, -5, 1, 1.0f, 0);
  LICE_Copy(&bm, nullptr);
  EXPECT_EQ(ref::Pixels(&bm), std::vector<LICE_Pixel>(8, 9u));
  LICE_FillRect(nullptr, 0, 0, 1, 1, 1, 1.0f, 0);
  LICE_ClearRect(nullptr, 0, 0, 1, 1, 0, 0);
  LICE_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&empty, &src, 0, 0, nullptr, 1.0f, 0);
  LICE_Copy(nullptr, &src);
  LICE_PutPixel(nullptr, 0, 0, 1, 1.0f, 0);
  const unsigned char full[1] = {255};
  LICE_DrawGlyph(nullptr, 0, 0, 0xffffffff, full, 1, 1, 1.0f, 0);
  // LICE_Copy resizes the destination to the source.
  LICE_Copy(&empty, &src);
  EXPECT_EQ(ref::Pixels(&empty), ref::Pixels(&src));

  ref::FlippedBitmap flipped(3, 2);
  LICE_Clear(&flipped, 7);
  flipped.getBits()[flipped.getRowSpan()] = 0x12345678; // memory row 1, picture row 0
  EXPECT_EQ(LICE_GetPixel(&flipped, 0, 0), 0x12345678u);
  for (auto [x, y] : {std::pair{3, 0}, {-1, 0}, {0, 2}, {0, -1}})
    EXPECT_EQ(LICE_GetPixel(&flipped, x, y), 0u);
  EXPECT_EQ(LICE_GetPixel(nullptr, 0, 0), 0u);
}

TEST(BitmapCmp, ReportsOrderAndDifferenceBox)
{
  LICE_MemBitmap a(10, 10, 4), b(10, 10, 4), wide(12, 10, 4);
  LICE_Clear(&a, 5);
  LICE_Clear(&b, 5);
  int box[4] = {9, 9, 9, 9};
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, box), 0);
  EXPECT_EQ(std::vector<int>(box, box + 4), std::vector<int>(4, 0));
  EXPECT_EQ((std::vector<int>{LICE_BitmapCmp(&a, &wide), LICE_BitmapCmp(nullptr, nullptr),
                              LICE_BitmapCmp(nullptr, &a), LICE_BitmapCmp(&a, nullptr)}),
            (std::vector<int>{2, 0, -1, 1}));
  for (auto [x, y] : {std::pair{5, 1}, {3, 4}, {2, 7}}) ref::At(&b, x, y) = 6;
  EXPECT_LT(LICE_BitmapCmp(&a, &b), 0);
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, box), 1);
  EXPECT_EQ(std::vector<int>(box, box + 4), (std::vector<int>{2, 1, 4, 7}));
  // Flipped bitmaps compare in picture order.
  ref::FlippedBitmap f(10, 10);
  ref::SetPixels(&f, ref::Pixels(&b));
  EXPECT_EQ(LICE_BitmapCmp(&b, &f, box), 0);
}

TEST(MemBitmap, SizesBeyondIntFailInsteadOfWrapping)
{
  // 65536 x 65536 x 4 bytes wraps to 0 in 32 bits; 46341^2 * 4 wraps to a
  // small positive size. Both must fail cleanly.
  const int sides[][2] = {{65536, 65536},  {46341, 46341}, {INT_MAX, 2},
                          {0x40000000, 1}, {-10, -10},     {-1, 5}};
  for (auto& s : sides)
  {
    LICE_MemBitmap bm(4, 4, 4);
    EXPECT_TRUE(bm.resize(s[0], s[1]));
    EXPECT_EQ(bm.getWidth() | bm.getHeight() | bm.getRowSpan(), 0) << s[0] << " x " << s[1];
    EXPECT_EQ(bm.getBits(), nullptr);
  }
}
