// A seeded random sequence of drawing operations on bitmaps large enough
// for every vectorised path (and its row ends), run through the library and
// through the plain reference side by side (unturned rotated and transform
// blits through the reference scaled blit): the fast paths must give the
// reference's pixels after every operation.
#include "lice.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace
{
struct Surface
{
  std::unique_ptr<LICE_IBitmap> lib, ref;
};

// The whole stored rows, row padding included.
std::vector<LICE_Pixel> Stored(LICE_IBitmap* bm)
{
  return std::vector<LICE_Pixel>(bm->getBits(),
                                 bm->getBits() + (size_t)bm->getRowSpan() * bm->getHeight());
}

// kind 0: memory bitmaps, 1: bottom-up ones, 2: a system bitmap beside a
// memory bitmap without row padding. Memory bitmaps start equal padding
// included: the reference never writes the padding, so neither may the
// library.
Surface MakeSurface(int kind, int w, int h, std::mt19937& rng)
{
  Surface s;
  if (kind < 2)
    s.lib = ref::Make(w, h, kind == 1), s.ref = ref::Make(w, h, kind == 1);
  else
    s.lib = std::make_unique<LICE_SysBitmap>(w, h),
    s.ref = std::make_unique<LICE_MemBitmap>(w, h, 1);
  ref::Randomize(s.lib.get(), rng);
  if (kind < 2)
    std::copy_n(s.lib->getBits(), Stored(s.lib.get()).size(), s.ref->getBits());
  else
    ref::SetPixels(s.ref.get(), ref::Pixels(s.lib.get()));
  return s;
}

float PickAlpha(std::mt19937& rng)
{
  static const float common[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f};
  if (rng() % 2) return common[rng() % 5];
  return (float)(rng() % 300) / 256.0f - 0.1f;
}

// Plain bilinear blits (whose mirrored rows have vectorised loops of their
// own) come up more often.
int PickMode(std::mt19937& rng)
{
  static const int modes[] = {0, 0,        0x10000, 0x10000, 1,       0x10001, 2,
                              3, 4,        5,       0x10002, 0x10003, 0x10004, 0x10005,
                              6, 0xf0 + 7, 0x10100, 0x100,   0x100,   0x100,   0x101};
  return modes[rng() % (sizeof(modes) / sizeof(modes[0]))];
}
} // namespace

TEST(RandomOps, FastPathsMatchTheReference)
{
  std::mt19937 rng(20261206);
  std::vector<Surface> s;
  s.push_back(MakeSurface(0, 157, 93, rng));
  s.push_back(MakeSurface(1, 130, 71, rng));
  // 103 and 49: sides whose reciprocal times the side is not 1 in double.
  s.push_back(MakeSurface(2, 103, 49, rng));
  for (int op = 0; op < 4000; ++op)
  {
    Surface& d = s[rng() % s.size()];
    Surface& src = s[rng() % s.size()];
    const int W = d.lib->getWidth(), H = d.lib->getHeight();
    const int x = (int)(rng() % (W + 40)) - 20, y = (int)(rng() % (H + 40)) - 20;
    const int w = (int)(rng() % (W + 20)), h = (int)(rng() % (H + 20));
    const float alpha = PickAlpha(rng);
    const int mode = PickMode(rng);
    const LICE_Pixel color = (LICE_Pixel)rng();
    const char* what = "";
    switch (rng() % 6)
    {
      case 0:
        what = "fill";
        LICE_FillRect(d.lib.get(), x, y, w, h, color, alpha, mode);
        ref::FillRect(d.ref.get(), x, y, w, h, color, alpha, mode);
        break;
      case 1:
      {
        what = "blit";
        RECT r = {(int)(rng() % 40) - 10, (int)(rng() % 30) - 10, 0, 0};
        r.right = r.left + (int)(rng() % 160);
        r.bottom = r.top + (int)(rng() % 100);
        LICE_Blit(d.lib.get(), src.lib.get(), x, y, &r, alpha, mode);
        ref::Blit(d.ref.get(), src.ref.get(), x, y, &r, alpha, mode);
        break;
      }
      case 2:
      {
        what = "scaled blit";
        static const float ratios[] = {0.25f, 0.5f, 0.625f, 0.75f, 1.0f,
                                       1.5f,  2.0f, 2.5f,   4.0f,  6.0f};
        const int dw = 1 + w, dh = 1 + h;
        float sw = dw * ratios[rng() % 10], sh = dh * ratios[rng() % 10];
        // Often the same size: an unscaled blit, unless filtered off the grid.
        if (rng() % 4 == 0) sw = (float)dw, sh = (float)dh;
        const float sx = (int)(rng() % 256) / 8.0f - 4.0f, sy = (int)(rng() % 256) / 8.0f - 4.0f;
        // Half of them mirrored.
        const int mx = rng() % 2 ? 1 : -1, my = rng() % 2 ? 1 : -1;
        const int dx = mx > 0 ? x : x + dw, dy = my > 0 ? y : y + dh;
        LICE_ScaledBlit(d.lib.get(), src.lib.get(), dx, dy, mx * dw, my * dh, sx, sy, sw, sh, alpha,
                        mode);
        ref::ScaledBlit(d.ref.get(), src.ref.get(), dx, dy, mx * dw, my * dh, sx, sy, sw, sh, alpha,
                        mode);
        break;
      }
      case 3:
      {
        what = "clear rect";
        const LICE_Pixel mask = (LICE_Pixel)rng(), orbits = (LICE_Pixel)rng();
        LICE_ClearRect(d.lib.get(), x, y, w, h, mask, orbits);
        for (int yy = std::max(y, 0); yy < std::min(y + h, H); ++yy)
          for (int xx = std::max(x, 0); xx < std::min(x + w, W); ++xx)
          {
            LICE_Pixel& p = ref::At(d.ref.get(), xx, yy);
            p = (p & mask) | orbits;
          }
        break;
      }
      case 4:
      {
        // An unturned rotated blit, or a transform over a 2 x 2 grid of the
        // source's corners, of a whole other surface, often as wide or as
        // tall, the rotated one sometimes mirrored: the scaled blit (but for
        // the averaging of bilinear reductions of 1.7 or more, and for what
        // the scaled blit does only at equal sizes or half weight: channel
        // copies, whole-word mixes). Mirrored ones sample the nearest pixel.
        what = "rotated or transform blit";
        Surface& o = s[(&d - s.data() + 1) % s.size()];
        const int dw = rng() % 4 ? 1 + w : o.lib->getWidth();
        const int dh = rng() % 4 ? 1 + h : o.lib->getHeight();
        const float sw = (float)o.lib->getWidth(), sh = (float)o.lib->getHeight();
        const int mx = rng() % 5 ? 1 : -1, my = rng() % 5 ? 1 : -1;
        const int dx = mx > 0 ? x : x + dw, dy = my > 0 ? y : y + dh;
        const bool nearest = (sw >= 1.7f * dw && sh >= 1.7f * dh) || mx < 0 || my < 0;
        const int m = (mode & 0xff) >= 0xf0 ? 0 : nearest ? mode & ~0xff00 : mode;
        const float a = (int)(alpha * 256) == 128 ? 0.75f : alpha;
        float pts[8] = {0, 0, sw, 0, 0, sh, sw, sh};
        if (mx < 0 || my < 0 || rng() % 2)
          LICE_RotatedBlit(d.lib.get(), o.lib.get(), dx, dy, mx * dw, my * dh, 0, 0, sw, sh, 0,
                           false, a, m, 0, 0);
        else
          LICE_TransformBlit(d.lib.get(), o.lib.get(), x, y, dw, dh, pts, 2, 2, a, m);
        ref::ScaledBlit(d.ref.get(), o.ref.get(), dx, dy, mx * dw, my * dh, 0, 0, sw, sh, a, m);
        break;
      }
      default:
      {
        what = "pixels";
        for (int i = 0; i < 20; ++i)
        {
          const int px = (int)(rng() % (W + 4)) - 2, py = (int)(rng() % (H + 4)) - 2;
          LICE_PutPixel(d.lib.get(), px, py, color, alpha, mode);
          if (px < 0 || py < 0 || px >= W || py >= H) continue;
          // A one-pixel fill without the source-alpha bit, but with the
          // colour's own alpha as source alpha when no fast mix applies.
          LICE_Pixel& p = ref::At(d.ref.get(), px, py);
          const int a = (int)(alpha * 256);
          const bool fast = (mode & 0xff) == 0 && (a == 256 || a == 128 || a == 64 || a == 192);
          if (fast)
            ref::FillRect(d.ref.get(), px, py, 1, 1, color, alpha, mode & 0xff);
          else if (a != 0)
            p = ref::CombineFill(p, (int)LICE_GETR(color), (int)LICE_GETG(color),
                                 (int)LICE_GETB(color), (int)LICE_GETA(color), a, mode);
        }
        break;
      }
    }
    for (size_t i = 0; i < s.size(); ++i)
      ASSERT_EQ(i < 2 ? Stored(s[i].lib.get()) : ref::Pixels(s[i].lib.get()),
                i < 2 ? Stored(s[i].ref.get()) : ref::Pixels(s[i].ref.get()))
          << "after operation " << op << " (" << what << ", mode " << std::hex << mode << std::dec
          << ", alpha " << alpha << ") on surface " << i;
  }
}
