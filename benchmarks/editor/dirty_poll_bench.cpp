// The view's timer asks IsDirty 25 times a second for as long as the editor
// is open: the cost of one poll over 100 controls, with none dirty (the
// usual case: no redraw is asked for) and with one dirty.
#include <benchmark/benchmark.h>

#include "IPlugStandalone.h"
#include "test_graphics.h"

namespace
{
class Plug : public IPlugStandalone
{
public:
  Plug()
      : IPlugStandalone(IPlugInstanceInfo(), 1, "2-2", 1, "Bench", "Bench", "Bench", 0x10000, 1, 1,
                        0, false, false, false, 0)
  {
  }
};

class Blank : public IControl
{
public:
  using IControl::IControl;
  bool Draw(IGraphics*) override { return true; }
};

void IsDirtyPoll(benchmark::State& state, bool oneDirty)
{
  Plug plug;
  auto* gui = new TestGraphics(&plug, 1000, 1000);
  for (int i = 0; i < 100; ++i)
    gui->AttachControl(new Blank(&plug, IRECT(i * 10, i * 10, i * 10 + 8, i * 10 + 8)));
  plug.AttachGraphics(gui);
  IRECT all(0, 0, 1000, 1000);
  gui->Draw(&all); // every control clean
  if (oneDirty) gui->GetControl(50)->SetDirty(false);
  for (auto _ : state)
  {
    IRECT r;
    benchmark::DoNotOptimize(gui->IsDirty(&r));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK_CAPTURE(IsDirtyPoll, NoneDirty, false);
BENCHMARK_CAPTURE(IsDirtyPoll, OneDirty, true);
} // namespace
