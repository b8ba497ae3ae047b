// One tick of the editor's refresh timer with nothing dirty (dispatched by
// the main loop, as it runs), and one screen copy of the whole 620 x 580
// editor through the "draw" signal into a cairo image.
#include <benchmark/benchmark.h>

#include "bench_editor.h"

namespace
{
void TimerTickNothingDirty(benchmark::State& state)
{
  BenchEditor e(true);
  GSource* timer = g_main_context_find_source_by_id(nullptr, e.View()->TimerSourceId());
  for (auto _ : state)
  {
    g_source_set_ready_time(timer, 0);
    g_main_context_iteration(nullptr, FALSE);
  }
  IRECT r;
  if (e.g->IsDirty(&r)) state.SkipWithError("a control became dirty");
}
BENCHMARK(TimerTickNothingDirty);

void ScreenCopyFullWindow(benchmark::State& state)
{
  BenchEditor e(false);
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, BenchEditor::kW, BenchEditor::kH);
  cairo_t* cr = cairo_create(s);
  for (auto _ : state) gtk_widget_draw(e.View()->DrawingArea(), cr);
  state.SetItemsProcessed(state.iterations() * BenchEditor::kW * BenchEditor::kH);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}
BENCHMARK(ScreenCopyFullWindow)->Unit(benchmark::kMicrosecond);
} // namespace
