// Plain reference implementations: one pixel at a time, no clipping tricks.
#include "lice_reference.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ref
{
namespace
{
int Clamp(int v) { return std::min(255, std::max(0, v)); }
int Byte(int v) { return v & 255; }
int Inv(int i) { return i == 0 ? 0 : 65536 / i - 1; }

typedef std::array<int, 4> Ch; // r, g, b, a
Ch Of(LICE_Pixel p)
{
  const Rgba x = Split(p);
  return {x.r, x.g, x.b, x.a};
}
LICE_Pixel Word(const Ch& c) { return Join(c[0], c[1], c[2], c[3]); }

// Hue in 384 steps.
void RgbToHsv(int r, int g, int b, int* h, int* s, int* v)
{
  // Largest component and the sector it opens.
  int base, lo, diff, hi;
  if (r < g && b < g)
    base = 128, hi = g, lo = std::min(r, b), diff = b - r;
  else if (r >= g && b < r)
    base = g < b ? 383 : 0, hi = r, lo = std::min(g, b), diff = g - b;
  else
    base = 256, hi = b, lo = std::min(r, g), diff = r - g;
  *v = hi;
  *h = base + (Inv(hi - lo) + 1) * diff / 1024;
  *s = Inv(hi) * (hi - lo) / 256;
}

LICE_Pixel HsvToPixel(int h, int s, int v, int alpha)
{
  const int p = (256 - s) * v / 256;
  auto q = [&](int k) { return (16384 - k * s) * v / 16384; };
  int rgb[3];
  if (h < 64)
    rgb[0] = v, rgb[1] = q(64 - h), rgb[2] = p;
  else if (h < 128)
    rgb[0] = q(h - 64), rgb[1] = v, rgb[2] = p;
  else if (h < 192)
    rgb[0] = p, rgb[1] = v, rgb[2] = q(192 - h);
  else if (h < 256)
    rgb[0] = p, rgb[1] = q(h - 192), rgb[2] = v;
  else if (h < 320)
    rgb[0] = q(320 - h), rgb[1] = p, rgb[2] = v;
  else
    rgb[0] = v, rgb[1] = p, rgb[2] = q(h - 320);
  return Join(rgb[0], rgb[1], rgb[2], alpha);
}

// Every mode but copy, with weight w (already scaled by the source alpha
// where the mode asks for it).
LICE_Pixel Blend(int op, LICE_Pixel dest, const Ch& s, int w, bool clampMul)
{
  if (op == 5) return HsvAdjust(dest, s[0], s[1], s[2], s[3], w);
  Ch d = Of(dest);
  for (int i = 0; i < 4; ++i)
  {
    const int t = 256 - s[i] * w / 256, v3 = d[i] * (s[i] * w + (256 - w) * 256) / 65536;
    const int v4 = s[i] * w + (256 - w) * 128;
    switch (op)
    {
      case 1:
        d[i] = Clamp(d[i] + s[i] * w / 256);
        break;
      case 2:
        d[i] = Clamp(t >= 2 ? d[i] * 256 / t : d[i] * 256);
        break;
      case 3:
        d[i] = clampMul ? Clamp(v3) : Byte(v3);
        break;
      case 4:
        d[i] = Clamp(((32768 - v4) * d[i] / 256 + v4) * d[i] / 32768);
        break;
    }
  }
  return Word(d);
}

LICE_Pixel CombineImpl(LICE_Pixel dest, int r, int g, int b, int a, int w, int mode, bool clamp)
{
  const int op = mode & 0xff;
  const bool srcAlpha = (mode & 0x10000) != 0;
  if (w == 0 || op > 5) return dest;
  auto store = [clamp](int v) { return clamp ? Clamp(v) : Byte(v); };
  Ch d = Of(dest);
  const Ch s = {r, g, b, a};
  if (op == 0 && !srcAlpha)
  {
    if (w == 256) return Join(store(r), store(g), store(b), store(a));
    if (w < 0) return dest;
    for (int i = 0; i < 4; ++i) d[i] = store(s[i] + (d[i] - s[i]) * (256 - w) / 256);
    return Word(d);
  }
  if (op == 0)
  {
    if (a == 0) return dest;
    if (w == 256 && a == 255) return Join(store(r), store(g), store(b), 255);
    // At full weight the source alpha mixes by 255 - a, else by the scaled weight.
    const int sw = w == 256 ? a + 1 : (a + 1) * w / 256, keep = w == 256 ? 255 - a : 256 - sw;
    for (int i = 0; i < 3; ++i) d[i] = store(s[i] + (d[i] - s[i]) * keep / 256);
    d[3] = w == 256 ? std::min(d[3] + a, 255) : clamp ? Clamp(d[3] + sw) : std::min(d[3] + sw, 255);
    return Word(d);
  }
  if (srcAlpha)
  {
    if (a == 0 && (op == 1 || op == 3)) return dest;
    w = (a + 1) * w / 256;
  }
  return Blend(op, dest, s, w, clamp);
}

// The source as picture rows, read before anything is drawn.
struct Snapshot
{
  int w, h;
  std::vector<LICE_Pixel> px;
  explicit Snapshot(LICE_IBitmap* bm) : w(bm->getWidth()), h(bm->getHeight()), px(Pixels(bm)) {}
  LICE_Pixel at(int x, int y) const { return px[(size_t)y * w + x]; }
};
} // namespace

LICE_Pixel HsvAdjust(LICE_Pixel dest, int r, int g, int b, int a, int w)
{
  Rgba d = Split(dest);
  int h, s, v;
  RgbToHsv(d.r, d.g, d.b, &h, &s, &v);
  h += (r + r / 2 - 192) * w / 256;
  if (h < 0)
    h += 384;
  else if (h > 383)
    h -= 384;
  s = Clamp(s + (g - 128) * w / 128);
  v = Clamp(v + (b - 128) * w / 128);
  return HsvToPixel(h, s, v, a);
}

LICE_Pixel Combine(LICE_Pixel dest, int r, int g, int b, int a, int w, int mode)
{
  return CombineImpl(dest, r, g, b, a, w, mode & 0x100ff, false);
}

LICE_Pixel CombineClamp(LICE_Pixel dest, int r, int g, int b, int a, int w, int mode)
{
  return CombineImpl(dest, r, g, b, a, w, mode & 0x100ff, true);
}

LICE_Pixel CombineFill(LICE_Pixel dest, int r, int g, int b, int a, int w, int mode)
{
  const int op = mode & 0xff;
  if (w == 0 || op > 5) return dest;
  const Ch s = {r, g, b, a};
  if (op != 0) return Blend(op, dest, s, w, false);
  if (w < 0) return dest;
  Ch d = Of(dest);
  for (int i = 0; i < 4; ++i) d[i] = Byte(s[i] + (d[i] - s[i]) * (256 - w) / 256);
  return Word(d);
}

LICE_Pixel& At(LICE_IBitmap* bm, int x, int y)
{
  const int row = bm->isFlipped() ? bm->getHeight() - 1 - y : y;
  return bm->getBits()[(size_t)row * bm->getRowSpan() + x];
}

void Randomize(LICE_IBitmap* bm, std::mt19937& rng)
{
  LICE_Pixel* p = bm->getBits();
  if (!p) return;
  const size_t n = (size_t)bm->getRowSpan() * bm->getHeight();
  for (size_t i = 0; i < n; ++i) p[i] = (LICE_Pixel)rng();
}

std::vector<LICE_Pixel> Pixels(LICE_IBitmap* bm)
{
  std::vector<LICE_Pixel> px;
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x) px.push_back(At(bm, x, y));
  return px;
}

void SetPixels(LICE_IBitmap* bm, const std::vector<LICE_Pixel>& px)
{
  size_t i = 0;
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x) At(bm, x, y) = px[i++];
}

void Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
          float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f || !dest->getBits() || !src->getBits()) return;
  const Snapshot s(src);
  RECT r = srcrect ? *srcrect : RECT{0, 0, s.w, s.h};
  const int ia = (int)(alpha * 256.0);
  for (long long sy = std::max(r.top, 0); sy < std::min(r.bottom, s.h); ++sy)
    for (long long sx = std::max(r.left, 0); sx < std::min(r.right, s.w); ++sx)
    {
      const long long X = dstx + sx - r.left, Y = dsty + sy - r.top;
      if (X < 0 || Y < 0 || X >= dest->getWidth() || Y >= dest->getHeight()) continue;
      LICE_Pixel& p = At(dest, (int)X, (int)Y);
      const LICE_Pixel sp = s.at((int)sx, (int)sy);
      if ((mode & 0xff) >= 0xf0)
      {
        unsigned char* pb = (unsigned char*)&p;
        const unsigned char* sb = (const unsigned char*)&sp;
        pb[(mode >> 2) & 3] = sb[mode & 3];
      }
      else if ((mode & 0x100ff) == 0 && alpha == 1.0f)
        p = sp;
      else if ((mode & 0x100ff) == 0 && alpha == 0.5f)
        p = ((p >> 1) & 0x7f7f7f7f) + ((sp >> 1) & 0x7f7f7f7f);
      else
      {
        const Rgba c = Split(sp);
        p = Combine(p, c.r, c.g, c.b, c.a, ia, mode);
      }
    }
}

void ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                float srcx, float srcy, float srcw, float srch, float alpha, int mode)
{
  if (!dest || !src || !dstw || !dsth || alpha == 0.0f) return;
  const bool bilinear = (mode & 0xff00) == 0x100;
  if (std::fabs(srcw - dstw) < 0.001 && std::fabs(srch - dsth) < 0.001 &&
      (!bilinear || (std::fabs(srcx - std::floor(srcx + 0.5)) < 0.03 &&
                     std::fabs(srcy - std::floor(srcy + 0.5)) < 0.03)))
  {
    RECT r = {(int)(srcx + 0.5), (int)(srcy + 0.5), (int)(srcx + 0.5) + dstw,
              (int)(srcy + 0.5) + dsth};
    Blit(dest, src, dstx, dsty, &r, alpha, mode);
    return;
  }
  if (!dest->getBits() || !src->getBits()) return;
  const Snapshot s(src);
  bool mx = false, my = false;
  if (dstw < 0) dstw = -dstw, dstx -= dstw, srcx += srcw, srcw = -srcw, mx = true;
  if (dsth < 0) dsth = -dsth, dsty -= dsth, srcy += srch, srch = -srch, my = true;
  const int clipright = (int)std::min<double>(std::max(srcw, 0.0f) + (double)srcx + 0.999999, s.w);
  const int clipbottom = (int)std::min<double>(std::max(srch, 0.0f) + (double)srcy + 0.999999, s.h);
  if (clipright <= 0 || clipbottom <= 0) return;
  const double xadv = srcw / (float)dstw, yadv = srch / (float)dsth;
  const int64_t idx = (int64_t)(xadv * 65536.0), idy = (int64_t)(yadv * 65536.0);
  const int64_t x0 = (int64_t)(srcx * 65536.0) + (mx ? idx : 0);
  const int64_t y0 = (int64_t)(srcy * 65536.0) + (my ? idy : 0);
  const int ia = (int)(alpha * 256.0);
  const bool whole = (mode & 0x1ffff) == 0 && (ia == 128 || ia == 256);
  const bool down = !whole && bilinear && xadv >= 1.7 && yadv >= 1.7;
  const int taps = std::max(idx, idy) <= 0x30000 ? 3 : 5;

  auto px = [&](int64_t x, int64_t y) { return Of(s.at((int)x, (int)y)); };
  for (int j = 0; j < dsth; ++j)
  {
    const long long Y = (long long)dsty + j;
    const int64_t py = y0 + j * idy, cy = py / 65536;
    // Samples before the first source row or column are outside the source.
    if (Y < 0 || Y >= dest->getHeight() || py < 0 || cy >= clipbottom) continue;
    for (int i = 0; i < dstw; ++i)
    {
      const long long X = (long long)dstx + i;
      const int64_t pxpos = x0 + i * idx, cx = pxpos / 65536;
      if (X < 0 || X >= dest->getWidth() || pxpos < 0 || cx >= clipright) continue;
      LICE_Pixel& out = At(dest, (int)X, (int)Y);
      if (whole)
      {
        const LICE_Pixel sp = s.at((int)cx, (int)cy);
        out = ia == 256 ? sp : ((out >> 1) & 0x7f7f7f7f) + ((sp >> 1) & 0x7f7f7f7f);
        continue;
      }
      Ch c = px(cx, cy);
      if (down)
      {
        long long sum[4] = {0, 0, 0, 0}, n = 0;
        for (int ty = (int)cy - taps / 2; ty <= cy + taps / 2; ++ty)
          for (int tx = (int)cx - taps / 2; tx <= cx + taps / 2; ++tx)
          {
            if (tx < 0 || ty < 0 || tx >= clipright || ty >= clipbottom) continue;
            const Ch t = px(tx, ty);
            for (int k = 0; k < 4; ++k) sum[k] += t[k];
            ++n;
          }
        for (int k = 0; k < 4; ++k) c[k] = (int)(sum[k] / n);
      }
      else if (bilinear)
      {
        const long long fx = pxpos & 0xffff, fy = py & 0xffff, w11 = (fx * fy) >> 16;
        const bool lastCol = cx == clipright - 1, lastRow = cy == clipbottom - 1;
        const Ch p00 = c, p10 = lastCol ? c : px(cx + 1, cy), p01 = lastRow ? c : px(cx, cy + 1);
        const Ch p11 = (lastCol || lastRow) ? c : px(cx + 1, cy + 1);
        for (int k = 0; k < 4; ++k)
          if (lastRow && !lastCol)
            c[k] = (int)((p00[k] * (65536 - fx) + p10[k] * fx) >> 16);
          else if (lastCol && !lastRow)
            c[k] = (int)((p00[k] * (65536 - fy) + p01[k] * fy) >> 16);
          else if (!lastCol)
            c[k] = (int)((p00[k] * (65536 - fx - fy + w11) + p10[k] * (fx - w11) +
                          p01[k] * (fy - w11) + p11[k] * w11) >>
                         16);
      }
      out = Combine(out, c[0], c[1], c[2], c[3], ia, mode);
    }
  }
}

void FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel color, float alpha,
              int mode)
{
  if (!dest || !dest->getBits()) return;
  if (mode & 0x10000) alpha *= (float)(color & 0xff) / 255.0f;
  if (alpha == 0.0f) return;
  const int a = (int)(alpha * 256.0);
  const Rgba c = Split(color);
  for (long long yy = std::max(y, 0); yy < std::min<long long>((long long)y + h, dest->getHeight());
       ++yy)
    for (long long xx = std::max(x, 0);
         xx < std::min<long long>((long long)x + w, dest->getWidth()); ++xx)
    {
      LICE_Pixel& p = At(dest, (int)xx, (int)yy);
      const LICE_Pixel h1 = (p >> 1) & 0x7f7f7f7f, h2 = (p >> 2) & 0x3f3f3f3f;
      const LICE_Pixel c1 = (color >> 1) & 0x7f7f7f7f, c2 = (color >> 2) & 0x3f3f3f3f;
      if ((mode & 0xff) == 0 && a == 256)
        p = color;
      else if ((mode & 0xff) == 0 && a == 128)
        p = h1 + c1;
      else if ((mode & 0xff) == 0 && a == 64)
        p = h1 + h2 + c2;
      else if ((mode & 0xff) == 0 && a == 192)
        p = h2 + c1 + c2;
      else
        p = CombineFill(p, c.r, c.g, c.b, a, a, mode);
    }
}
} // namespace ref
