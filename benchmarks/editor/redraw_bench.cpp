// Redraws of an editor shaped like the effect's: a 620 x 580 background, five
// knobs over 101-frame film strips (four of 112 x 112, one of 160 x 160) and
// four level meters over 60-frame strips of 14 x 340, all pictures made here.
// A full redraw draws everything; a meter frame redraws what the four meters'
// area covers after the audio thread set new levels.
#include <benchmark/benchmark.h>

#include <cmath>

#include "IControls.h"
#include "IParam.h"
#include "IPlugStandalone.h"
#include "lice.h"
#include "test_graphics.h"

namespace
{
const int kW = 620, kH = 580;

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
IBitmap Keep(IGraphics* g, LICE_MemBitmap* bm, int frames)
{
  IBitmap b(bm, bm->getWidth(), bm->getHeight(), frames);
  g->RetainBitmap(&b);
  return b;
}

// A knob strip: an anti-aliased disc with a pointer on a transparent ground.
IBitmap KnobStrip(IGraphics* g, int size)
{
  const int n = 101;
  LICE_MemBitmap* bm = new LICE_MemBitmap(size, size * n);
  LICE_Clear(bm, 0);
  const float r = size * 0.45f, c = size * 0.5f;
  for (int i = 0; i < n; ++i)
  {
    const float cy = i * size + c, a = (float)((i / 100.0 - 0.5) * 1.5 * M_PI);
    LICE_FillCircle(bm, c, cy, r, LICE_RGBA(70, 72, 80, 255), 1.0f, 0, true);
    LICE_Circle(bm, c, cy, r, LICE_RGBA(20, 20, 24, 255), 1.0f, 0, true);
    LICE_FLine(bm, c, cy, c + r * 0.8f * std::sin(a), cy - r * 0.8f * std::cos(a),
               LICE_RGBA(240, 240, 240, 255), 1.0f, 0, true);
  }
  return Keep(g, bm, n);
}

// A meter strip: frame i lit from the bottom up to i / 59 of its height.
IBitmap MeterStrip(IGraphics* g)
{
  const int n = 60, w = 14, h = 340;
  LICE_MemBitmap* bm = new LICE_MemBitmap(w, h * n);
  for (int i = 0; i < n; ++i)
  {
    const int lit = h * i / (n - 1);
    LICE_FillRect(bm, 0, i * h, w, h - lit, LICE_RGBA(30, 30, 30, 255));
    LICE_FillRect(bm, 0, i * h + h - lit, w, lit, LICE_RGBA(40, 220, 90, 255));
  }
  return Keep(g, bm, n);
}

IBitmap Background(IGraphics* g)
{
  LICE_MemBitmap* bm = new LICE_MemBitmap(kW, kH);
  LICE_GradRect(bm, 0, 0, kW, kH, 0.2f, 0.22f, 0.25f, 1.0f, 0.0001f, 0.0f, 0.0f, 0.0f, 0.0f,
                0.0002f, 0.0001f, 0.0f, 0);
  return Keep(g, bm, 1);
}

struct Editor
{
  BenchPlug plug;
  BenchGraphics* g = new BenchGraphics(&plug, kW, kH);
  int firstMeter = 0;

  Editor()
  {
    IBitmap bg = Background(g), small = KnobStrip(g, 112), big = KnobStrip(g, 160);
    IBitmap meter = MeterStrip(g);
    g->AttachControl(new IBitmapControl(&plug, 0, 0, -1, &bg, IChannelBlend::kBlendClobber));
    g->AttachControl(new IKnobMultiControl(&plug, 60, 120, 0, &big));
    for (int i = 0; i < 4; ++i)
      g->AttachControl(new IKnobMultiControl(&plug, 40 + 130 * i, 400, i + 1, &small));
    firstMeter = g->NControls();
    for (int i = 0; i < 4; ++i)
      g->AttachControl(new IBitmapControl(&plug, 520 + 20 * i, 30, &meter));
    plug.AttachGraphics(g);
  }

  void Frame()
  {
    IRECT r;
    if (g->IsDirty(&r)) g->Draw(&r);
  }
};

void BM_FullRedraw(benchmark::State& state)
{
  Editor e;
  for (auto _ : state)
  {
    e.g->SetAllControlsDirty();
    e.Frame();
  }
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);

void BM_MetersOnly(benchmark::State& state)
{
  Editor e;
  e.Frame();
  double level = 0.0;
  for (auto _ : state)
  {
    level = level >= 1.0 ? 0.0 : level + 0.01;
    for (int i = 0; i < 4; ++i) e.g->SetControlFromPlug(e.firstMeter + i, level * (0.7 + 0.1 * i));
    e.Frame();
  }
}
BENCHMARK(BM_MetersOnly)->Unit(benchmark::kMicrosecond);
} // namespace
