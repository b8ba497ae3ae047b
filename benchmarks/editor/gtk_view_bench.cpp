// The GTK view (needs an X server): one tick of the refresh timer with
// nothing dirty, dispatched by the main loop as it runs, over the effect's
// editor; and one screen copy of the whole 620 x 580 editor through the
// "draw" signal into a cairo image.
#include <benchmark/benchmark.h>

#include "gtk_bench_editor.h"

namespace
{
void GtkTimerTickNothingDirty(benchmark::State& state)
{
  GtkBenchEditor e(true);
  if (!e.Opened()) return state.SkipWithError("no editor window (is there an X server?)");
  GSource* timer = g_main_context_find_source_by_id(nullptr, e.View()->TimerSourceId());
  for (auto _ : state)
  {
    g_source_set_ready_time(timer, 0);
    g_main_context_iteration(nullptr, FALSE);
  }
  IRECT r;
  if (e.g->IsDirty(&r)) state.SkipWithError("a control became dirty");
}
BENCHMARK(GtkTimerTickNothingDirty);

void GtkScreenCopyFullWindow(benchmark::State& state)
{
  GtkBenchEditor e(false);
  if (!e.Opened()) return state.SkipWithError("no editor window (is there an X server?)");
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, GtkBenchEditor::kW, GtkBenchEditor::kH);
  cairo_t* cr = cairo_create(s);
  for (auto _ : state) gtk_widget_draw(e.View()->DrawingArea(), cr);
  state.SetItemsProcessed(state.iterations() * GtkBenchEditor::kW * GtkBenchEditor::kH);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}
BENCHMARK(GtkScreenCopyFullWindow)->Unit(benchmark::kMicrosecond);
} // namespace
