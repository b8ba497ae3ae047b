// Coverage-mask drawing.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace
{
// The reference: every covered pixel combined at weight coverage * a / 256.
void RefGlyph(LICE_IBitmap* bm, int x, int y, LICE_Pixel c, const unsigned char* mask, int w,
              int span, int h, float alpha, int mode)
{
  const int a = (int)(alpha * 256), op = mode & 0xff;
  if (a == 0 || op > 5 || (op == 0 && a < 0)) return;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
    {
      const int v = mask[j * span + i], X = x + i, Y = y + j;
      if (!v || X < 0 || Y < 0 || X >= bm->getWidth() || Y >= bm->getHeight()) continue;
      LICE_Pixel& p = ref::At(bm, X, Y);
      const int wt = v * a / 256;
      const ref::Rgba s = ref::Split(c);
      if (wt == 0)
        p = op == 5 ? ref::HsvAdjust(p, s.r, s.g, s.b, s.a, 0) : p;
      else
        p = ref::CombineFill(p, s.r, s.g, s.b, s.a, wt, op);
    }
}
} // namespace

TEST(Glyph, CoverageWeightsAndNothingToDraw)
{
  LICE_MemBitmap bm(5, 5, 4);
  const unsigned char full[4] = {255, 255, 255, 255}, half[1] = {128}, none[4] = {0, 0, 0, 0};
  // Full coverage weighs 255: 255 + (0 - 255) * 1 / 256 truncates to 255.
  LICE_Clear(&bm, 0);
  LICE_DrawGlyph(&bm, 0, 0, 0xffffffff, full, 1, 1, 1.0f, 0);
  EXPECT_EQ(bm.getBits()[0], 0xffffffffu);
  LICE_DrawGlyph(&bm, 1, 0, LICE_RGBA(200, 100, 0, 0), half, 1, 1, 1.0f, LICE_BLIT_MODE_ADD);
  EXPECT_EQ(bm.getBits()[1], LICE_RGBA(100, 50, 0, 0));

  LICE_Clear(&bm, 0x01020304);
  for (int mode = 0; mode < 8; ++mode)
  {
    LICE_DrawGlyph(&bm, 5, 0, 0xffffffff, full, 2, 2, 1.0f, mode);
    LICE_DrawGlyph(&bm, -2, 0, 0xffffffff, full, 2, 2, 1.0f, mode);
    LICE_DrawGlyph(&bm, 0, 5, 0xffffffff, full, 2, 2, 1.0f, mode);
    LICE_DrawGlyph(&bm, 0, -2, 0xffffffff, full, 2, 2, 1.0f, mode);
    LICE_DrawGlyph(&bm, 1, 1, 0x80808080, none, 2, 2, 1.0f, mode);
    LICE_DrawGlyph(&bm, 1, 1, 0xffffffff, full, 2, 2, 0.0f, mode);
  }
  LICE_DrawGlyph(&bm, 1, 1, 0xffffffff, full, 2, 2, 1.0f, 6);
  LICE_DrawGlyph(nullptr, 1, 1, 0xffffffff, full, 2, 2, 1.0f, 0);
  for (LICE_Pixel p : ref::Pixels(&bm)) ASSERT_EQ(p, 0x01020304u);
}

TEST(Glyph, RowSpanPaddingIsNotRead)
{
  // The mask buffer ends right after the last row's width: reading any
  // padding of the last row would be outside it (the sanitizers see it).
  const int w = 3, span = 7, h = 4;
  const size_t n = (size_t)(h - 1) * span + w;
  auto mask = std::make_unique<unsigned char[]>(n);
  for (size_t i = 0; i < n; ++i) mask[i] = i % span < (size_t)w ? 200 : 0;
  LICE_MemBitmap bm(10, 10, 4);
  LICE_Clear(&bm, 0);
  LICE_DrawGlyphEx(&bm, 2, 3, LICE_RGBA(255, 0, 0, 255), mask.get(), w, span, h, 1.0f, 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(LICE_GETR(ref::At(&bm, x, y)), x >= 2 && x < 5 && y >= 3 && y < 7 ? 200u : 0u);
}

TEST(Glyph, RandomMasksMatchReference)
{
  std::mt19937 rng(17);
  const float alphas[] = {1.0f, 0.5f, 0.3f, -0.4f, 2.0f};
  for (bool flipped : {false, true})
  {
    auto bm = ref::Make(13, 9, flipped);
    for (int i = 0; i < 3000; ++i)
    {
      const int w = 1 + (int)(rng() % 8), h = 1 + (int)(rng() % 8), span = w + (int)(rng() % 3);
      std::vector<unsigned char> mask((size_t)span * h);
      for (auto& v : mask) v = rng() % 3 ? (unsigned char)rng() : 0;
      const int x = (int)(rng() % 24) - 8, y = (int)(rng() % 20) - 8;
      const LICE_Pixel color = (LICE_Pixel)rng();
      const float alpha = alphas[rng() % 5];
      const int mode = (int)(rng() % 7) | (rng() % 2 ? 0x10000 : 0);
      ref::Randomize(bm.get(), rng);
      ASSERT_TRUE(ref::SameAsReference(
          bm.get(), nullptr,
          [&] { LICE_DrawGlyphEx(bm.get(), x, y, color, mask.data(), w, span, h, alpha, mode); },
          [&] { RefGlyph(bm.get(), x, y, color, mask.data(), w, span, h, alpha, mode); }))
          << x << "," << y << " " << w << "x" << h << " mode " << mode << " alpha " << alpha;
    }
  }
}
