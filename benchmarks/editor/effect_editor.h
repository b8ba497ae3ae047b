// The effect's editor for the benchmarks: its layout and its pictures, drawn
// here by the effect's picture generator: a 620 x 580 background, five knobs
// over 101-frame film strips (four of 112 x 112, one of 160 x 160) and four
// level meters over 60-frame strips of 14 x 340.
#pragma once

#include <memory>

#include "IControls.h"
#include "IParam.h"
#include "IPlugStandalone.h"
#include "editor_layout.h"
#include "imagegen/editor_images.h"
#include "lice.h"

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
inline IBitmap KeepBitmap(IGraphics* g, std::unique_ptr<LICE_MemBitmap> bm, int frames)
{
  IBitmap b(bm.get(), bm->getWidth(), bm->getHeight(), frames);
  g->RetainBitmap(&b);
  bm.release();
  return b;
}

// Attaches the effect's background, knobs and meters; returns the index of
// the first meter (the four are in a row).
inline int AttachEffectControls(IGraphics* g, IPlugBase* plug)
{
  using namespace editor_layout;
  IBitmap bg = KeepBitmap(g, editor_images::Background(), 1);
  IBitmap small = KeepBitmap(g, editor_images::KnobStrip(kKnobSize), kKnobFrames);
  IBitmap large = KeepBitmap(g, editor_images::KnobStrip(kLargeKnobSize), kKnobFrames);
  IBitmap meter = KeepBitmap(g, editor_images::MeterStrip(), kMeterFrames);
  g->AttachControl(new IBitmapControl(plug, 0, 0, -1, &bg, IChannelBlend::kBlendClobber));
  for (int i = 0; i < 5; ++i)
    g->AttachControl(new IKnobMultiControl(plug, kKnobs[i].rect.L, kKnobs[i].rect.T, i,
                                           kKnobs[i].large ? &large : &small));
  const int firstMeter = g->NControls();
  for (const Rect& m : kMeters) g->AttachControl(new IBitmapControl(plug, m.L, m.T, &meter));
  return firstMeter;
}
