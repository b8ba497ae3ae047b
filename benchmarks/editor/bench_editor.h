// An editor laid out like the effect's, for the benchmarks: a 620 x 580
// background, five knobs over 101-frame strips and four level meters over
// 60-frame strips (pictures made in memory), opened in a window of the window
// layer on the X server.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "IControls.h"
#include "IGraphicsGtk.h"
#include "IGraphicsGtkView.h"
#include "IParam.h"
#include "IPlugStandalone.h"
#include "lice.h"
#include "swell.h"

class BenchPlug : public IPlugStandalone
{
public:
  BenchPlug()
      : IPlugStandalone(IPlugInstanceInfo(), 5, "2-2", 1, "Bench", "Bench", "Bench", 0x10000, 1, 1,
                        0, false, false, false, 0)
  {
    for (int i = 0; i < 5; ++i) GetParam(i)->InitDouble("p", 50.0, 0.0, 100.0, 0.1);
  }
};

// A control that draws nothing.
class EmptyControl : public IControl
{
public:
  using IControl::IControl;
  bool Draw(IGraphics*) override { return true; }
};

// A level meter that counts its drawings.
class CountingMeter : public IBitmapControl
{
public:
  using IBitmapControl::IBitmapControl;
  bool Draw(IGraphics* g) override
  {
    ++mDraws;
    return IBitmapControl::Draw(g);
  }
  int mDraws = 0;
};

class BenchEditor
{
public:
  static constexpr int kW = 620, kH = 580;

  // With layout false the editor holds one control that draws nothing.
  explicit BenchEditor(bool layout) : mBackground(kW, kH), mKnob(48, 48 * 101), mMeter(12, 120 * 60)
  {
    Fill(&mBackground);
    Fill(&mKnob);
    Fill(&mMeter);
    g = new IGraphicsGtk(&plug, kW, kH);
    if (layout)
    {
      IBitmap bg(&mBackground, kW, kH), knob(&mKnob, 48, 48 * 101, 101),
          meter(&mMeter, 12, 120 * 60, 60);
      g->AttachControl(new IBitmapControl(&plug, 0, 0, &bg));
      for (int i = 0; i < 5; ++i)
        g->AttachControl(new IKnobMultiControl(&plug, 40 + i * 110, 360, i, &knob));
      for (int i = 0; i < 4; ++i)
      {
        mMeterControls[i] = new CountingMeter(&plug, 40 + i * 24, 80, &meter);
        mMeters[i] = g->AttachControl(mMeterControls[i]);
      }
    }
    else
    {
      g->AttachControl(new EmptyControl(&plug, IRECT(0, 0, kW, kH)));
    }
    plug.AttachGraphics(g);

    static SWELL_DialogRegHelper reg(&SWELL_curmodule_dialogresource_head, nullptr, 9401,
                                     SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Bench", kW,
                                     kH, 1.0);
    mHost = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, 9401, nullptr, nullptr, 0);
    if (!mHost || !g->OpenWindow(mHost))
    {
      fprintf(stderr, "no editor window (is there an X server?)\n");
      exit(1);
    }
    ShowWindow(mHost, 2);
    // Until the first paint has drawn every control.
    const gint64 end = g_get_monotonic_time() + 10000000;
    IRECT r;
    while ((g->IsDirty(&r) || !gtk_widget_get_mapped(View()->DrawingArea())) &&
           g_get_monotonic_time() < end)
      if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(500);
  }
  ~BenchEditor() { DestroyWindow(mHost); }
  BenchEditor(const BenchEditor&) = delete;
  BenchEditor& operator=(const BenchEditor&) = delete;

  IGraphicsGtkView* View() { return (IGraphicsGtkView*)g->GetWindow(); }

  BenchPlug plug;
  IGraphicsGtk* g; // owned by the plug-in
  int mMeters[4] = {};
  CountingMeter* mMeterControls[4] = {};

private:
  static void Fill(LICE_MemBitmap* b)
  {
    for (int y = 0; y < b->getHeight(); ++y)
      for (int x = 0; x < b->getWidth(); ++x)
        LICE_PutPixel(b, x, y, LICE_RGBA(x * 3, y * 7, x ^ y, 255), 1.0f, 0);
  }
  LICE_MemBitmap mBackground, mKnob, mMeter;
  HWND mHost = nullptr;
};
