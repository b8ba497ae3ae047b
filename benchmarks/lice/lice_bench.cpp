// Raster library throughput beside the nearest pixman operation, in
// megapixels per second of destination, at an L2-sized (620 x 580) and a
// memory-sized (4096 x 4096) surface. memcpy bandwidth is printed as the
// physical limit. Run by hand; the figures are not checked.
//
// pixman works on its fastest format (a8r8g8b8, premultiplied); the raster
// library on its own pixel word. Both do the same amount of work per pixel.
#include "lice.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

// Seconds per call: repeats until at least minSeconds have passed (after one
// warm-up call) and reports the fastest of three such rounds.
double TimePerCall(const std::function<void()>& fn, double minSeconds = 0.25)
{
  fn();
  double best = 1e30;
  for (int round = 0; round < 3; ++round)
  {
    int reps = 0;
    const auto t0 = Clock::now();
    double elapsed = 0;
    do
    {
      fn();
      ++reps;
      elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    } while (elapsed < minSeconds / 3);
    best = std::min(best, elapsed / reps);
  }
  return best;
}

void FillRandom(uint32_t* p, size_t n, unsigned seed, bool premultiply)
{
  std::mt19937 rng(seed);
  for (size_t i = 0; i < n; ++i)
  {
    uint32_t v = rng();
    if (premultiply)
    {
      // a8r8g8b8 premultiplied: no colour above its alpha.
      const uint32_t a = v >> 24;
      uint32_t r = ((v >> 16) & 255) * a / 255, g = ((v >> 8) & 255) * a / 255,
               b = (v & 255) * a / 255;
      v = a << 24 | r << 16 | g << 8 | b;
    }
    p[i] = v;
  }
}

struct PixmanSurface
{
  std::vector<uint32_t> px;
  pixman_image_t* img = nullptr;
  PixmanSurface(int w, int h, unsigned seed) : px((size_t)w * h)
  {
    FillRandom(px.data(), px.size(), seed, true);
    img = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, px.data(), w * 4);
  }
  ~PixmanSurface() { pixman_image_unref(img); }
};

std::unique_ptr<LICE_MemBitmap> LiceSurface(int w, int h, unsigned seed)
{
  auto bm = std::make_unique<LICE_MemBitmap>(w, h, 4);
  FillRandom(bm->getBits(), (size_t)bm->getRowSpan() * h, seed, false);
  return bm;
}

void Row(const char* name, int w, int h, double liceSec, double pixmanSec, double goal)
{
  const double mp = (double)w * h / 1e6;
  const double lice = mp / liceSec, pix = mp / pixmanSec;
  std::printf("%-34s %5d x %-5d %9.1f %9.1f %7.2f   %s\n", name, w, h, lice, pix, lice / pix,
              lice / pix >= goal ? "ok" : "BELOW GOAL");
}

void RunSize(int w, int h)
{
  std::printf("\n-- source %d x %d\n", w, h);
  std::printf("%-34s %13s %9s %9s %7s   goal\n", "operation", "destination", "lice MP/s", "pixman",
              "ratio");
  auto src = LiceSurface(w, h, 1);
  auto dst = LiceSurface(w, h, 2);
  PixmanSurface psrc(w, h, 1), pdst(w, h, 2);
  pixman_box32_t box = {0, 0, w, h};

  const pixman_color_t opaque = {0x4000, 0x8000, 0xc000, 0xffff};
  Row("fill, copy, opaque", w, h,
      TimePerCall([&] { LICE_FillRect(dst.get(), 0, 0, w, h, LICE_RGBA(64, 128, 192, 255)); }),
      TimePerCall([&] { pixman_image_fill_boxes(PIXMAN_OP_SRC, pdst.img, &opaque, 1, &box); }),
      1.0);
  const pixman_color_t half = {0x2000, 0x4000, 0x6000, 0x8000};
  Row("fill, alpha 0.5 (pixman: over)", w, h,
      TimePerCall([&]
                  { LICE_FillRect(dst.get(), 0, 0, w, h, LICE_RGBA(64, 128, 192, 255), 0.5f); }),
      TimePerCall([&] { pixman_image_fill_boxes(PIXMAN_OP_OVER, pdst.img, &half, 1, &box); }), 1.0);

  auto composite = [&](pixman_op_t op, pixman_image_t* s, pixman_image_t* d, int dw, int dh)
  { pixman_image_composite32(op, s, nullptr, d, 0, 0, 0, 0, 0, 0, dw, dh); };
  Row("blit, copy", w, h, TimePerCall([&] { LICE_Blit(dst.get(), src.get(), 0, 0, nullptr); }),
      TimePerCall([&] { composite(PIXMAN_OP_SRC, psrc.img, pdst.img, w, h); }), 1.0);
  // Restores the destinations between rounds would cost as much as the
  // blend; blending into the changing result is the same work per pixel.
  Row("blit, source alpha (pixman: over)", w, h,
      TimePerCall([&]
                  { LICE_Blit(dst.get(), src.get(), 0, 0, nullptr, 1.0f, LICE_BLIT_USE_ALPHA); }),
      TimePerCall([&] { composite(PIXMAN_OP_OVER, psrc.img, pdst.img, w, h); }), 0.7);
  Row("blit, additive (pixman: add)", w, h,
      TimePerCall([&]
                  { LICE_Blit(dst.get(), src.get(), 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_ADD); }),
      TimePerCall([&] { composite(PIXMAN_OP_ADD, psrc.img, pdst.img, w, h); }), 0.7);

  for (double scale : {1.5, 0.66})
  {
    const int dw = (int)(w * scale), dh = (int)(h * scale);
    auto sdst = LiceSurface(dw, dh, 3);
    PixmanSurface psdst(dw, dh, 3);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed((double)w / dw),
                                pixman_double_to_fixed((double)h / dh));
    pixman_image_set_transform(psrc.img, &t);
    pixman_image_set_filter(psrc.img, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    char name[64];
    std::snprintf(name, sizeof(name), "scaled bilinear x%.2f", scale);
    Row(name, dw, dh,
        TimePerCall(
            [&]
            {
              LICE_ScaledBlit(sdst.get(), src.get(), 0, 0, dw, dh, 0, 0, (float)w, (float)h, 1.0f,
                              LICE_BLIT_FILTER_BILINEAR);
            }),
        TimePerCall([&] { composite(PIXMAN_OP_SRC, psrc.img, psdst.img, dw, dh); }), 0.7);
    pixman_image_set_transform(psrc.img, nullptr);
    pixman_image_set_filter(psrc.img, PIXMAN_FILTER_NEAREST, nullptr, 0);
  }
}

void Memcpy()
{
  const size_t bytes = (size_t)4096 * 4096 * 4;
  std::vector<unsigned char> a(bytes, 1), b(bytes, 2);
  const double s = TimePerCall([&] { std::memcpy(b.data(), a.data(), bytes); });
  std::printf("memcpy, 64 MiB: %.0f MB/s copied = %.1f MP/s of 32-bit pixels\n", bytes / s / 1e6,
              bytes / 4 / s / 1e6);
  auto bm = LiceSurface(4096, 4096, 5);
  const double f = TimePerCall([&] { LICE_FillRect(bm.get(), 0, 0, 4096, 4096, 0x12345678); });
  const double ratio = s / f;
  std::printf("fill, 64 MiB: %.1f MP/s, %.2f of memcpy's pixel rate   %s\n", bytes / 4 / f / 1e6,
              ratio, ratio >= 0.5 ? "ok (goal: within 2x)" : "BELOW GOAL (within 2x)");
}
} // namespace

int main(int argc, char** argv)
{
  std::printf("Raster library throughput (megapixels of destination per second)\n");
  Memcpy();
  RunSize(620, 580);
  RunSize(4096, 4096);
  // The drawing benchmarks registered with Google Benchmark by the other
  // files of this program.
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
