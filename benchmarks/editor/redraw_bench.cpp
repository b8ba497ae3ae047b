// Redraws of the effect's editor: its layout and its pictures, drawn here by
// the effect's picture generator: a 620 x 580 background, five knobs over
// 101-frame film strips (four of 112 x 112, one of 160 x 160) and four level
// meters over 60-frame strips of 14 x 340. A full redraw draws everything; a
// meter frame redraws what the editor must after the audio thread set new
// levels, strictly (the union of the four meters, which lie at both sides)
// or not (each meter with what lies under it).
#include <benchmark/benchmark.h>

#include <memory>

#include "IControls.h"
#include "editor_layout.h"
#include "imagegen/editor_images.h"
#include "IParam.h"
#include "IPlugStandalone.h"
#include "lice.h"
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

class BenchPlug : public IPlugStandalone
{
public:
  BenchPlug()
      : IPlugStandalone(IPlugInstanceInfo(), 5, "2-2", 1, "Bench", "Bench", "Bench", 0x10000, 1, 1,
                        0, false, false, false, 0)
  {
    for (int i = 0; i < 5; ++i) GetParam(i)->InitDouble("Knob", 50.0, 0.0, 100.0, 0.1, "%");
  }
};

// A picture kept by the process-wide cache, as loaded pictures are.
IBitmap Keep(IGraphics* g, std::unique_ptr<LICE_MemBitmap> bm, int frames)
{
  IBitmap b(bm.get(), bm->getWidth(), bm->getHeight(), frames);
  g->RetainBitmap(&b);
  bm.release();
  return b;
}

struct Editor
{
  BenchPlug plug;
  BenchGraphics* g = new BenchGraphics(&plug, kW, kH);
  int firstMeter = 0;

  explicit Editor(bool strict)
  {
    using namespace editor_layout;
    IBitmap bg = Keep(g, editor_images::Background(), 1);
    IBitmap small = Keep(g, editor_images::KnobStrip(kKnobSize), kKnobFrames);
    IBitmap large = Keep(g, editor_images::KnobStrip(kLargeKnobSize), kKnobFrames);
    IBitmap meter = Keep(g, editor_images::MeterStrip(), kMeterFrames);
    g->AttachControl(new IBitmapControl(&plug, 0, 0, -1, &bg, IChannelBlend::kBlendClobber));
    for (int i = 0; i < 5; ++i)
      g->AttachControl(new IKnobMultiControl(&plug, kKnobs[i].rect.L, kKnobs[i].rect.T, i,
                                             kKnobs[i].large ? &large : &small));
    firstMeter = g->NControls();
    for (const Rect& m : kMeters) g->AttachControl(new IBitmapControl(&plug, m.L, m.T, &meter));
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
