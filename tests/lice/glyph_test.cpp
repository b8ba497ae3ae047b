// Coverage-mask drawing against a plain reference, clipped at every edge,
// in every mode, on upright and bottom-up bitmaps.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

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

TEST(Glyph, RandomMasksMatchReference)
{
  std::mt19937 rng(17);
  const float alphas[] = {1.0f, 0.5f, 0.3f, -0.4f, 2.0f, 0.0f};
  for (bool flipped : {false, true})
  {
    auto bm = ref::Make(13, 9, flipped);
    for (int i = 0; i < 3000; ++i)
    {
      // The mask ends right after the last row's width: reading the row
      // padding of the last row would be outside it (the sanitizers see it).
      const int w = 1 + (int)(rng() % 8), h = 1 + (int)(rng() % 8), span = w + (int)(rng() % 3);
      std::vector<unsigned char> mask((size_t)span * (h - 1) + w);
      for (auto& v : mask) v = rng() % 3 ? (unsigned char)rng() : 0;
      const int x = (int)(rng() % 24) - 8, y = (int)(rng() % 20) - 8;
      const LICE_Pixel color = (LICE_Pixel)rng();
      const float alpha = alphas[rng() % 6];
      const int mode = (int)(rng() % 7) | (rng() % 2 ? 0x10000 : 0);
      ref::Randomize(bm.get(), rng);
      const std::vector<LICE_Pixel> before = ref::Pixels(bm.get());
      if (span == w)
        LICE_DrawGlyph(bm.get(), x, y, color, mask.data(), w, h, alpha, mode);
      else
        LICE_DrawGlyphEx(bm.get(), x, y, color, mask.data(), w, span, h, alpha, mode);
      const std::vector<LICE_Pixel> drawn = ref::Pixels(bm.get());
      ref::SetPixels(bm.get(), before);
      RefGlyph(bm.get(), x, y, color, mask.data(), w, span, h, alpha, mode);
      ASSERT_EQ(ref::Pixels(bm.get()), drawn)
          << x << "," << y << " " << w << "x" << h << " mode " << mode << " alpha " << alpha;
    }
  }
}
