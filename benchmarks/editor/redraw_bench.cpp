// Redraws of the effect's editor (effect_editor.h). A full redraw draws everything; a
// meter frame redraws what the editor must after the audio thread set new
// levels, strictly (the union of the four meters, which lie at both sides)
// or not (each meter with what lies under it).
#include <benchmark/benchmark.h>

#include "effect_editor.h"
#include "test_graphics.h"

namespace
{
const int kW = editor_layout::kWidth, kH = editor_layout::kHeight;

class BenchGraphics : public TestGraphics
{
public:
  using TestGraphics::TestGraphics;
  bool DrawScreen(IRECT*) override { return true; }
};

struct Editor
{
  BenchPlug plug;
  BenchGraphics* g = new BenchGraphics(&plug, kW, kH);
  int firstMeter = 0;

  explicit Editor(bool strict)
  {
    firstMeter = AttachEffectControls(g, &plug);
    plug.AttachGraphics(g);
    g->SetStrictDrawing(strict);
  }

  void Frame()
  {
    IRECT r;
    if (g->IsDirty(&r)) g->Draw(&r);
  }
};

// Argument: 1 strict drawing (the surface's default), 0 not strict.
void FullRedraw(benchmark::State& state)
{
  Editor e(state.range(0) != 0);
  for (auto _ : state)
  {
    e.g->SetAllControlsDirty();
    e.Frame();
  }
}
BENCHMARK(FullRedraw)->ArgName("strict")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void MetersOnly(benchmark::State& state)
{
  Editor e(state.range(0) != 0);
  e.Frame();
  double level = 0.0;
  for (auto _ : state)
  {
    level = level >= 1.0 ? 0.0 : level + 0.01;
    for (int i = 0; i < 4; ++i) e.g->SetControlFromPlug(e.firstMeter + i, level * (0.7 + 0.1 * i));
    e.Frame();
  }
}
BENCHMARK(MetersOnly)->ArgName("strict")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
} // namespace
