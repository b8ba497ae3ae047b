// Coverage-mask drawing: one colour weighted per pixel by an 8-bit mask.
#include "lice_combine.h"

template <class F> class GlyphDrawImpl
{
public:
  static void DrawGlyph(const LICE_pixel_chan* mask, LICE_Pixel* out, int w, int h,
                        LICE_Pixel color, int span, int mask_span, int a)
  {
    const int r = (int)LICE_GETR(color), g = (int)LICE_GETG(color), b = (int)LICE_GETB(color),
              ca = (int)LICE_GETA(color);
    for (int y = 0; y < h; ++y, mask += mask_span, out += span)
      for (int x = 0; x < w; ++x)
        if (const int v = mask[x]) F::doPix((unsigned char*)(out + x), r, g, b, ca, v * a / 256);
  }
};

void LICE_DrawGlyphEx(LICE_IBitmap* dest, int x, int y, LICE_Pixel color,
                      const LICE_pixel_chan* alphas, int glyph_w, int glyph_span, int glyph_h,
                      float alpha, int mode)
{
  if (!dest) return;
  const int a = LICE_AlphaToWeight(alpha);
  int w = glyph_w, h = glyph_h;
  if (!(x > -w && y > -h)) return;
  if (x < 0)
  {
    alphas -= x;
    w += x;
    x = 0;
  }
  if (y < 0)
  {
    alphas -= (long long)y * glyph_span;
    h += y;
    y = 0;
  }
  const int W = dest->getWidth(), H = dest->getHeight();
  if (x >= W || y >= H) return;
  if (h > H - y) h = H - y;
  if (w > W - x) w = W - x;
  if (w <= 0 || h <= 0 || !alphas) return;

  LICE_Pixel* bits = dest->getBits();
  if (!bits) return;
  int span = dest->getRowSpan();
  LICE_Pixel* out;
  if (dest->isFlipped())
  {
    out = bits + (long long)(H - 1 - y) * span + x;
    span = -span;
  }
  else
  {
    out = bits + (long long)y * span + x;
  }
  LICE_DispatchFill(mode, a,
                    [&](auto tag)
                    {
                      GlyphDrawImpl<typename decltype(tag)::type>::DrawGlyph(
                          alphas, out, w, h, color, span, glyph_span, a);
                    });
}

void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_Pixel color,
                    const LICE_pixel_chan* alphas, int glyph_w, int glyph_h, float alpha, int mode)
{
  LICE_DrawGlyphEx(dest, x, y, color, alphas, glyph_w, glyph_w, glyph_h, alpha, mode);
}
