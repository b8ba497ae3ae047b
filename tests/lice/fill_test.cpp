// Rectangle, pixel and fill operations.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>

namespace
{
std::unique_ptr<LICE_IBitmap> Make(int w, int h, bool flipped)
{
  if (flipped) return std::make_unique<ref::FlippedBitmap>(w, h);
  return std::make_unique<LICE_MemBitmap>(w, h, 4);
}
} // namespace

TEST(FillRect, CopyWeightsUseWholeWordMixes)
{
  LICE_MemBitmap bm(4, 1, 4);
  LICE_Clear(&bm, 0x11223344);
  LICE_FillRect(&bm, 0, 0, 4, 1, 0xfedcba98, 1.0f, 0);
  EXPECT_EQ(bm.getBits()[0], 0xfedcba98u) << "the colour word exactly, alpha included";
  LICE_Clear(&bm, 0xffffffff);
  LICE_FillRect(&bm, 0, 0, 4, 1, 0xffffffff, 0.5f, 0);
  EXPECT_EQ(bm.getBits()[0], 0xfefefefeu);
  LICE_Clear(&bm, 0x80808080);
  LICE_FillRect(&bm, 0, 0, 4, 1, 0x00000000, 0.25f, 0);
  EXPECT_EQ(bm.getBits()[0], 0x60606060u);
  LICE_Clear(&bm, 0x80808080);
  LICE_FillRect(&bm, 0, 0, 4, 1, 0x00000000, 0.75f, 0);
  EXPECT_EQ(bm.getBits()[0], 0x20202020u);
}

TEST(FillRect, SourceAlphaScalesTheAlpha)
{
  LICE_MemBitmap bm(2, 2, 4);
  LICE_Clear(&bm, 0x01020304);
  LICE_FillRect(&bm, 0, 0, 2, 2, LICE_RGBA(255, 255, 255, 0), 1.0f, LICE_BLIT_USE_ALPHA);
  EXPECT_EQ(bm.getBits()[0], 0x01020304u) << "a colour of alpha 0 draws nothing";
  LICE_Clear(&bm, LICE_RGBA(0, 0, 0, 255));
  LICE_FillRect(&bm, 0, 0, 2, 2, LICE_RGBA(255, 255, 255, 128), 1.0f, LICE_BLIT_USE_ALPHA);
  // alpha 128 / 255 gives weight 128, the half mix.
  EXPECT_EQ(bm.getBits()[0], LICE_RGBA(127, 127, 127, 191));
}

TEST(FillRect, ClipsAndMatchesReferenceInEveryMode)
{
  std::mt19937 rng(8);
  const float alphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.3f, 1.0f / 256, -0.5f, 0.0f};
  const int modes[] = {0, 1, 2, 3, 4, 5, 6, 0x10000, 0x10001, 0x10100, 0xf3};
  for (bool flipped : {false, true})
  {
    auto bm = Make(11, 9, flipped);
    for (int i = 0; i < 3000; ++i)
    {
      ref::Randomize(bm.get(), rng);
      const int x = (int)(rng() % 20) - 6, y = (int)(rng() % 20) - 6;
      const int w = (int)(rng() % 20) - 2, h = (int)(rng() % 20) - 2;
      const LICE_Pixel color = (LICE_Pixel)rng();
      const float alpha = alphas[rng() % 8];
      const int mode = modes[rng() % 11];
      const auto before = ref::Pixels(bm.get());
      LICE_FillRect(bm.get(), x, y, w, h, color, alpha, mode);
      const auto got = ref::Pixels(bm.get());
      ref::SetPixels(bm.get(), before);
      ref::FillRect(bm.get(), x, y, w, h, color, alpha, mode);
      ASSERT_EQ(got, ref::Pixels(bm.get()))
          << x << "," << y << " " << w << "x" << h << " alpha " << alpha << " mode " << mode;
    }
  }
  // Columns 0 to 4 of a fill from x = -5, width 10.
  LICE_MemBitmap bm(8, 1, 4);
  LICE_Clear(&bm, 0);
  LICE_FillRect(&bm, -5, 0, 10, 1, 9, 1.0f, 0);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(bm.getBits()[x], x < 5 ? 9u : 0u);
  LICE_FillRect(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1, 1.0f, 0);
  LICE_FillRect(&bm, INT_MAX, 0, INT_MAX, 1, 1, 1.0f, 0);
  LICE_FillRect(nullptr, 0, 0, 1, 1, 1, 1.0f, 0);
  EXPECT_EQ(bm.getBits()[0], 9u);
}

TEST(ClearRect, MasksAndOrsTheClippedRectangle)
{
  for (bool flipped : {false, true})
  {
    auto bm = Make(5, 4, flipped);
    LICE_Clear(bm.get(), 0xaabbccdd);
    LICE_ClearRect(bm.get(), -1, 2, 3, 9, 0xff00ff00, 0x11);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_EQ(ref::At(bm.get(), x, y), x < 2 && y >= 2 ? 0xaa00cc11u : 0xaabbccddu);
  }
  LICE_ClearRect(nullptr, 0, 0, 1, 1, 0, 0);
}

TEST(PixelAccess, GetAndPutInPictureCoordinates)
{
  ref::FlippedBitmap flipped(3, 2);
  LICE_Clear(&flipped, 0);
  LICE_PutPixel(&flipped, 0, 0, 0x12345678, 1.0f, 0);
  const int last = flipped.getRowSpan(); // first pixel of memory row 1
  EXPECT_EQ(flipped.getBits()[last], 0x12345678u) << "picture row 0 is the last memory row";
  EXPECT_EQ(LICE_GetPixel(&flipped, 0, 0), 0x12345678u);
  EXPECT_EQ(LICE_GetPixel(&flipped, 3, 0), 0u);
  EXPECT_EQ(LICE_GetPixel(&flipped, -1, 0), 0u);
  EXPECT_EQ(LICE_GetPixel(&flipped, 0, 2), 0u);
  EXPECT_EQ(LICE_GetPixel(nullptr, 0, 0), 0u);
  LICE_PutPixel(&flipped, 3, 0, 1, 1.0f, 0);
  LICE_PutPixel(&flipped, 0, -1, 1, 1.0f, 0);
  LICE_PutPixel(nullptr, 0, 0, 1, 1.0f, 0);
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(flipped.getBits()[row * last + x], row == 1 && x == 0 ? 0x12345678u : 0u);
}

TEST(PixelAccess, PutPixelCombinesLikeOnePixelFill)
{
  std::mt19937 rng(12);
  LICE_MemBitmap a(1, 1, 4), b(1, 1, 4);
  for (int i = 0; i < 20000; ++i)
  {
    const LICE_Pixel dest = (LICE_Pixel)rng(), color = (LICE_Pixel)rng();
    const int mode = (int)(rng() % 7);
    const float alpha = (int)(rng() % 300) / 256.0f;
    a.getBits()[0] = dest;
    LICE_PutPixel(&a, 0, 0, color, alpha, mode);
    const int w = (int)(alpha * 256);
    LICE_Pixel want;
    if (mode == 0 && (w == 256 || w == 128 || w == 64 || w == 192))
    {
      b.getBits()[0] = dest;
      LICE_FillRect(&b, 0, 0, 1, 1, color, alpha, mode);
      want = b.getBits()[0];
    }
    else
    {
      // Unlike a fill, the colour's own alpha is the source alpha.
      want = ref::CombineFill(dest, (int)LICE_GETR(color), (int)LICE_GETG(color),
                              (int)LICE_GETB(color), (int)LICE_GETA(color), w, mode);
    }
    ASSERT_EQ(a.getBits()[0], want) << "mode " << mode << " w " << w;
  }
}

TEST(GradRect, StepsColoursAcrossAndDown)
{
  LICE_MemBitmap bm(6, 3, 4);
  LICE_Clear(&bm, 0x55555555);
  LICE_GradRect(&bm, 0, 0, 6, 3, 0, 0.5f, 1.0f, 1.0f, 1 / 255.0f, 0, 0, 0, 0, 2 / 255.0f, 0, 0, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x)
    {
      const LICE_Pixel p = ref::At(&bm, x, y);
      EXPECT_EQ((int)LICE_GETR(p), x);
      EXPECT_EQ((int)LICE_GETG(p), 127 + 2 * y);
      EXPECT_EQ((int)LICE_GETB(p), 255);
      EXPECT_EQ((int)LICE_GETA(p), 255) << "an opaque copy stores alpha 255";
    }
  // Started left of the bitmap: the first visible pixel carries the step.
  LICE_GradRect(&bm, -3, 0, 9, 1, 0, 0, 0, 1.0f, 1 / 255.0f, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ((int)LICE_GETR(ref::At(&bm, 0, 0)), 3);
  // Almost transparent: blends almost nothing.
  LICE_Clear(&bm, LICE_RGBA(10, 20, 30, 40));
  LICE_GradRect(&bm, 0, 0, 6, 3, 1, 1, 1, 1 / 256.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(ref::At(&bm, 2, 2), LICE_RGBA(11, 21, 31, 39));
}

TEST(GradRect, FlippedMatchesUnflippedAndExtremesAreSafe)
{
  LICE_MemBitmap a(7, 5, 4);
  ref::FlippedBitmap b(7, 5);
  for (int mode = 0; mode < 7; ++mode)
  {
    LICE_Clear(&a, 0x80604020);
    LICE_Clear(&b, 0x80604020);
    LICE_GradRect(&a, 1, -1, 5, 5, 0.1f, 0.2f, 0.3f, 0.6f, 0.05f, 0.01f, 0, 0.02f, 0.03f, 0, 0.1f,
                  -0.1f, mode);
    LICE_GradRect(&b, 1, -1, 5, 5, 0.1f, 0.2f, 0.3f, 0.6f, 0.05f, 0.01f, 0, 0.02f, 0.03f, 0, 0.1f,
                  -0.1f, mode);
    EXPECT_EQ(ref::Pixels(&a), ref::Pixels(&b)) << mode;
  }
  LICE_Clear(&a, 0);
  for (int mode = 0; mode < 6; ++mode)
    LICE_GradRect(&a, -1000000, -1000000, INT_MAX, INT_MAX, 1e30f, -1e30f, 1e9f, 1e20f, 1e30f,
                  -1e30f, 3e9f, -2e9f, 1e30f, 1e30f, -1e30f, 1e30f, mode);
  LICE_GradRect(nullptr, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

TEST(MultiplyAddRect, ScalesAndAddsPerChannel)
{
  LICE_MemBitmap bm(3, 3, 4);
  LICE_Clear(&bm, LICE_RGBA(100, 50, 200, 10));
  LICE_MultiplyAddRect(&bm, 0, 0, 3, 3, 1, 1, 1, 1, 0, 0, 0, 0);
  EXPECT_EQ(bm.getBits()[0], LICE_RGBA(100, 50, 200, 10));
  LICE_MultiplyAddRect(&bm, 1, 1, 5, 5, 0.5f, 2.0f, 1.5f, 0, 3, -60, 0, 300);
  EXPECT_EQ(ref::At(&bm, 1, 1), LICE_RGBA(53, 40, 255, 255));
  EXPECT_EQ(ref::At(&bm, 0, 0), LICE_RGBA(100, 50, 200, 10));
  LICE_MultiplyAddRect(&bm, 0, 0, 3, 3, 1e30f, -1e30f, 0, 0, -1e30f, 1e30f, 0, 0);
}

TEST(ProcessRect, VisitsTheClippedRectangleOnce)
{
  LICE_MemBitmap bm(6, 5, 4);
  LICE_Clear(&bm, 0);
  int calls = 0;
  LICE_ProcessRect(
      &bm, 4, -2, 10, 4, [](LICE_Pixel* p, void* n) { ++*p, ++*(int*)n; }, &calls);
  EXPECT_EQ(calls, 2 * 2);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(ref::At(&bm, x, y), x >= 4 && y < 2 ? 1u : 0u);
  LICE_ProcessRect(&bm, 0, 0, 6, 5, nullptr, nullptr);
}

TEST(SetAlphaFromColorMask, KeyColourBecomesTransparent)
{
  LICE_MemBitmap bm(2, 1, 4);
  bm.getBits()[0] = LICE_RGBA(1, 2, 3, 77);
  bm.getBits()[1] = LICE_RGBA(1, 2, 4, 77);
  LICE_SetAlphaFromColorMask(&bm, LICE_RGBA(1, 2, 3, 0));
  EXPECT_EQ(bm.getBits()[0], LICE_RGBA(1, 2, 3, 0));
  EXPECT_EQ(bm.getBits()[1], LICE_RGBA(1, 2, 4, 255));
  LICE_SetAlphaFromColorMask(&bm, LICE_RGBA(1, 2, 3, 1));
  EXPECT_EQ(bm.getBits()[0], LICE_RGBA(1, 2, 3, 255)) << "a key with alpha matches nothing";
}

TEST(SimpleFill, FillsRunsConnectedToTheStartColumn)
{
  // . = 0, # = 1; fill from (2, 1).
  const char* rows[] = {"..#....", "#...#..", "..#.#..", "..###..", "..#...."};
  LICE_MemBitmap bm(7, 5, 4);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) bm.getBits()[y * bm.getRowSpan() + x] = rows[y][x] == '#';
  LICE_SimpleFill(&bm, 2, 1, 0x100, 0xff, 0xff);
  const char* want[] = {"..#....", "#FFF#..", "..#.#..", "..###..", "..#...."};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
    {
      const LICE_Pixel p = bm.getBits()[y * bm.getRowSpan() + x];
      EXPECT_EQ(p, want[y][x] == 'F' ? 0x100u : want[y][x] == '#' ? 1u : 0u) << x << "," << y;
    }
  // A column of matches: every connected row run is filled both ways.
  LICE_Clear(&bm, 0);
  bm.getBits()[2 * bm.getRowSpan() + 5] = 1;
  LICE_SimpleFill(&bm, 3, 0, 7, 0xffffffff, 0);
  EXPECT_EQ(bm.getBits()[2 * bm.getRowSpan() + 4], 7u);
  EXPECT_EQ(bm.getBits()[2 * bm.getRowSpan() + 5], 1u);
  EXPECT_EQ(bm.getBits()[2 * bm.getRowSpan() + 6], 0u) << "beyond the obstacle";
  EXPECT_EQ(bm.getBits()[4 * bm.getRowSpan() + 6], 7u);
  LICE_SimpleFill(&bm, 7, 0, 1, 0, 0);
  LICE_SimpleFill(nullptr, 0, 0, 1, 0, 0);
}

TEST(HalveBlitAA, AveragesTwoByTwoBlocks)
{
  LICE_MemBitmap src(5, 4, 4), dest(4, 4, 4);
  LICE_Clear(&src, 0xffffffff);
  LICE_Clear(&dest, 0);
  src.getBits()[0] = 0;
  LICE_HalveBlitAA(&dest, &src);
  EXPECT_EQ(dest.getBits()[0], 0xbdbdbdbdu); // three of four 0x3f quarters
  EXPECT_EQ(dest.getBits()[1], 0xfcfcfcfcu);
  EXPECT_EQ(ref::At(&dest, 1, 1), 0xfcfcfcfcu);
  EXPECT_EQ(ref::At(&dest, 2, 0), 0u) << "only half the source's width";
  EXPECT_EQ(ref::At(&dest, 0, 2), 0u);
}

TEST(BitmapCmp, ReportsOrderAndDifferenceBox)
{
  LICE_MemBitmap a(10, 10, 4), b(10, 10, 4), wide(12, 10, 4);
  LICE_Clear(&a, 5);
  LICE_Clear(&b, 5);
  int box[4] = {9, 9, 9, 9};
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, box), 0);
  EXPECT_EQ(box[0] | box[1] | box[2] | box[3], 0);
  EXPECT_EQ(LICE_BitmapCmp(&a, &wide), 2);
  EXPECT_EQ(LICE_BitmapCmp(nullptr, nullptr), 0);
  EXPECT_EQ(LICE_BitmapCmp(nullptr, &a), -1);
  EXPECT_EQ(LICE_BitmapCmp(&a, nullptr), 1);

  ref::At(&b, 3, 4) = 6;
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, box), 1);
  EXPECT_EQ(box[0], 3);
  EXPECT_EQ(box[1], 4);
  EXPECT_EQ(box[2], 1);
  EXPECT_EQ(box[3], 1);
  EXPECT_LT(LICE_BitmapCmp(&a, &b), 0);
  ref::At(&b, 3, 4) = 5;
  ref::At(&b, 5, 1) = 6;
  ref::At(&b, 2, 7) = 6;
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, box), 1);
  EXPECT_EQ(box[0], 2);
  EXPECT_EQ(box[1], 1);
  EXPECT_EQ(box[2], 4);
  EXPECT_EQ(box[3], 7);

  // Flipped bitmaps compare in picture order.
  ref::FlippedBitmap f(10, 10);
  LICE_Clear(&f, 5);
  ref::At(&f, 5, 1) = 6;
  ref::At(&f, 2, 7) = 6;
  EXPECT_EQ(LICE_BitmapCmp(&b, &f, box), 0);
}

TEST(Blur, MixesNeighboursInQuantisedShares)
{
  LICE_MemBitmap src(3, 3, 4), dest(3, 3, 4);
  LICE_Clear(&src, 0);
  ref::At(&src, 1, 1) = 0xf8f8f8f8;
  LICE_Blur(&dest, &src, 0, 0, 0, 0, 3, 3);
  EXPECT_EQ(ref::At(&dest, 1, 1), 0x7c7c7c7cu);
  EXPECT_EQ(ref::At(&dest, 0, 1), 0x3e3e3e3eu) << "edge column: a quarter of its neighbour";
  EXPECT_EQ(ref::At(&dest, 1, 0), 0x3e3e3e3eu);
  EXPECT_EQ(ref::At(&dest, 0, 0), 0u);

  // In place gives the same as into another bitmap.
  std::mt19937 rng(3);
  LICE_MemBitmap big(40, 30, 4), out(40, 30, 4);
  ref::Randomize(&big, rng);
  LICE_Copy(&out, &big);
  LICE_Blur(&out, &big, 3, 2, 3, 2, 30, 25);
  LICE_Blur(&big, &big, 3, 2, 3, 2, 30, 25);
  EXPECT_EQ(LICE_BitmapCmp(&out, &big), 0);

  // A one-pixel-wide area changes nothing.
  const auto before = ref::Pixels(&big);
  LICE_Blur(&big, &big, 0, 0, 0, 0, 1, 30);
  LICE_Blur(&big, &big, -50, 0, 0, 0, 51, 30);
  LICE_Blur(nullptr, &big, 0, 0, 0, 0, 3, 3);
  EXPECT_EQ(ref::Pixels(&big), before);
}
