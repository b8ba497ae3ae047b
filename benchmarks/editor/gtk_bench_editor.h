// The GTK editor opened in a window of the window layer on the X server, for
// the benchmarks: with the effect's layout and pictures, or with one control
// that draws nothing (for the cost of the screen copy alone).
#pragma once

#include "IGraphicsGtk.h"
#include "IGraphicsGtkView.h"
#include "effect_editor.h"
#include "swell.h"

// A control that draws nothing.
class EmptyControl : public IControl
{
public:
  using IControl::IControl;
  bool Draw(IGraphics*) override { return true; }
};

class GtkBenchEditor
{
public:
  static constexpr int kW = editor_layout::kWidth, kH = editor_layout::kHeight;

  // Opened() is false when there is no X server.
  explicit GtkBenchEditor(bool effectLayout) : g(new IGraphicsGtk(&plug, kW, kH))
  {
    if (effectLayout)
      firstMeter = AttachEffectControls(g, &plug);
    else
      g->AttachControl(new EmptyControl(&plug, IRECT(0, 0, kW, kH)));
    plug.AttachGraphics(g);
    static SWELL_DialogRegHelper reg(&SWELL_curmodule_dialogresource_head, nullptr, 9401,
                                     SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Bench", kW,
                                     kH, 1.0);
    mHost = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, 9401, nullptr, nullptr, 0);
    if (!mHost || !g->OpenWindow(mHost)) return;
    ShowWindow(mHost, 2);
    // Until the first paint has drawn every control.
    const gint64 end = g_get_monotonic_time() + 10000000;
    IRECT r;
    while ((g->IsDirty(&r) || !gtk_widget_get_mapped(View()->DrawingArea())) &&
           g_get_monotonic_time() < end)
      if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(500);
  }
  ~GtkBenchEditor()
  {
    if (mHost) DestroyWindow(mHost);
  }
  GtkBenchEditor(const GtkBenchEditor&) = delete;
  GtkBenchEditor& operator=(const GtkBenchEditor&) = delete;

  bool Opened() { return View() != nullptr; }
  IGraphicsGtkView* View() { return (IGraphicsGtkView*)g->GetWindow(); }

  BenchPlug plug;
  IGraphicsGtk* g; // owned by the plug-in
  int firstMeter = -1;

private:
  HWND mHost = nullptr;
};
