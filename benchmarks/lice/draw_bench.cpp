// Lines, circles, polygons, cached text and the rotated blit, on a surface of
// the editor's size (620 x 580). Beside the cached text: the same string laid
// out and drawn by pango/cairo each time, and drawn by the window layer.
#include "lice.h"
#include "lice_text.h"

#include "../../WDL/swell/swell-gdi.h"

#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
const int kW = 620, kH = 580;
const char kText[] = "Pre-delay: 12.5 ms"; // 18 characters
const int kTextPx = 12;

struct Shapes
{
  std::vector<float> v;
  explicit Shapes(int n, unsigned seed)
  {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    for (int i = 0; i < n * 4; ++i) v.push_back(u(rng));
  }
};

void BM_AntiAliasedLines(benchmark::State& state)
{
  LICE_MemBitmap bm(kW, kH);
  LICE_Clear(&bm, 0);
  Shapes s(1024, 1);
  const int n = 1024;
  for (auto _ : state)
  {
    for (int i = 0; i < n; ++i)
    {
      const float* p = &s.v[i * 4];
      LICE_Line(&bm, (int)(p[0] * kW), (int)(p[1] * kH), (int)(p[2] * kW), (int)(p[3] * kH),
                0xff80c0ffu, 0.8f, 0, true);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AntiAliasedLines)->Unit(benchmark::kMicrosecond);

void BM_AntiAliasedFloatLines(benchmark::State& state)
{
  LICE_MemBitmap bm(kW, kH);
  LICE_Clear(&bm, 0);
  Shapes s(1024, 2);
  const int n = 1024;
  for (auto _ : state)
  {
    for (int i = 0; i < n; ++i)
    {
      const float* p = &s.v[i * 4];
      LICE_FLine(&bm, p[0] * kW, p[1] * kH, p[2] * kW, p[3] * kH, 0xff80c0ffu, 1.0f, 0, true);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AntiAliasedFloatLines)->Unit(benchmark::kMicrosecond);

// Discs of radius 5 to 40; arg 1 anti-aliased.
void BM_FilledCircles(benchmark::State& state)
{
  LICE_MemBitmap bm(kW, kH);
  LICE_Clear(&bm, 0);
  Shapes s(256, 3);
  const int n = 256;
  const bool aa = state.range(0) != 0;
  for (auto _ : state)
  {
    for (int i = 0; i < n; ++i)
    {
      const float* p = &s.v[i * 4];
      LICE_FillCircle(&bm, p[0] * kW, p[1] * kH, 5.0f + p[2] * 35.0f, 0x40ff8080u, 1.0f, 0, aa);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FilledCircles)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Hexagons of radius 5 to 40 at alpha 1 (whole-word fill) and 0.6 (blend).
void BM_ConvexPolygons(benchmark::State& state)
{
  LICE_MemBitmap bm(kW, kH);
  LICE_Clear(&bm, 0);
  Shapes s(256, 4);
  const int n = 256;
  std::vector<int> xs(n * 6), ys(n * 6);
  for (int i = 0; i < n; ++i)
  {
    const float* p = &s.v[i * 4];
    const float r = 5.0f + p[2] * 35.0f;
    for (int k = 0; k < 6; ++k)
    {
      xs[i * 6 + k] = (int)(p[0] * kW + r * std::cos(k * 1.0471976f + p[3]));
      ys[i * 6 + k] = (int)(p[1] * kH + r * std::sin(k * 1.0471976f + p[3]));
    }
  }
  const float alpha = state.range(0) / 100.0f;
  for (auto _ : state)
  {
    for (int i = 0; i < n; ++i)
      LICE_FillConvexPolygon(&bm, &xs[i * 6], &ys[i * 6], 6, 0xff408020u, alpha, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ConvexPolygons)->Arg(100)->Arg(60)->Unit(benchmark::kMicrosecond);

// The 18-character string at 12 px through the glyph cache (as the editor
// draws translucent text), after the first draw filled the cache.
void BM_CachedText(benchmark::State& state)
{
  LICE_SysBitmap bm(200, 40);
  LICE_CachedFont font;
  font.SetFromHFont(
      CreateFont(kTextPx, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial"),
      LICE_FONTOPT_OWNSHANDLE | LICE_FONTOPT_NATIVE);
  font.SetTextColor(LICE_RGBA(230, 230, 230, 255));
  RECT r = {2, 2, 200, 40};
  for (auto _ : state)
  {
    RECT rr = r;
    benchmark::DoNotOptimize(font.DrawText(&bm, kText, -1, &rr, LICE_DRAWTEXT_NO_NATIVE));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CachedText);

// The same string drawn by the window layer's text call (the native route).
void BM_NativeText(benchmark::State& state)
{
  LICE_SysBitmap bm(200, 40);
  LICE_CachedFont font;
  font.SetFromHFont(
      CreateFont(kTextPx, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial"),
      LICE_FONTOPT_OWNSHANDLE | LICE_FONTOPT_NATIVE);
  font.SetTextColor(LICE_RGBA(230, 230, 230, 255));
  RECT r = {2, 2, 200, 40};
  for (auto _ : state)
  {
    RECT rr = r;
    benchmark::DoNotOptimize(font.DrawText(&bm, kText, -1, &rr, 0));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NativeText);

// Reference: pango/cairo laying out and drawing the string each time into an
// image surface, with the font options of the window layer.
void BM_PangoCairoText(benchmark::State& state)
{
  cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 40);
  cairo_t* cr = cairo_create(surf);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  cairo_font_options_t* fo = cairo_font_options_create();
  cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout), fo);
  pango_layout_context_changed(layout);
  PangoFontDescription* desc = pango_font_description_new();
  pango_font_description_set_family(desc, "Arial");
  // A cell height of 12 px is an em of 12 / 1.1172 px in Liberation Sans.
  pango_font_description_set_absolute_size(desc, kTextPx / 1.1172 * PANGO_SCALE);
  pango_layout_set_font_description(layout, desc);
  cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
  for (auto _ : state)
  {
    pango_layout_set_text(layout, kText, -1);
    cairo_move_to(cr, 2, 2);
    pango_cairo_show_layout(cr, layout);
    cairo_surface_flush(surf);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  pango_font_description_free(desc);
  cairo_font_options_destroy(fo);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(surf);
}
BENCHMARK(BM_PangoCairoText);

// A full 620 x 580 picture turned by 0.3 rad with bilinear filtering.
void BM_RotatedBlitBilinear(benchmark::State& state)
{
  LICE_MemBitmap src(kW, kH), dst(kW, kH);
  std::mt19937 rng(5);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) src.getBits()[y * src.getRowSpan() + x] = rng() | 0xffu;
  for (auto _ : state)
  {
    LICE_RotatedBlit(&dst, &src, 0, 0, kW, kH, 0.0f, 0.0f, (float)kW, (float)kH, 0.3f, false, 1.0f,
                     LICE_COMBINE_FILTER_BILINEAR, 0.0f, 0.0f);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_RotatedBlitBilinear)->Unit(benchmark::kMicrosecond);

} // namespace
