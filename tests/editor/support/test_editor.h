// The editor tests' fixture: the test plug-in with a window-less editor whose
// images are PNG files that the test writes into a folder of its own, and
// helpers that add recording controls, draw, read pixels and click. Frame k
// of every strip written here is filled with StripColor(k), so a pixel tells
// which frame was drawn. The plug-in and the recording controls write into
// one log.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "IControls.h"
#include "IParam.h"
#include "lice.h"
#include "lice_png_writer.h"
#include "recording_control.h"
#include "test_graphics.h"
#include "test_plug.h"

using Log = std::vector<std::string>;

// Distinct opaque colours for frames 0..255.
inline LICE_Pixel StripColor(int k)
{
  return LICE_RGBA((k * 37 + 11) & 255, (k * 91 + 53) & 255, k & 255, 255);
}

class EditorTest : public ::testing::Test
{
protected:
  static constexpr int kW = 240, kH = 160;

  EditorTest() { NewEditor(); }
  ~EditorTest() override { (void)system(("rm -rf " + mDir).c_str()); }
  // A new, empty editor in place of the current one, and an empty log.
  void NewEditor()
  {
    g = new TestGraphics(&plug, kW, kH);
    g->mImageDir = mDir;
    plug.AttachGraphics(g);
    log.clear();
  }
  RecordingControl* Add(const char* name, IRECT r, int paramIdx = -1)
  {
    auto* c = new RecordingControl(&plug, r, paramIdx, name, &log);
    g->AttachControl(c);
    return c;
  }

  // Writes a w x h PNG whose pixel (x, y) is pixel(x, y).
  template <class F> void WritePNG(const std::string& name, int w, int h, F pixel)
  {
    pngw::Image img;
    img.width = w;
    img.height = h;
    img.colorType = 6;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        const LICE_Pixel p = pixel(x, y);
        img.samples.insert(img.samples.end(), {(uint16_t)LICE_GETR(p), (uint16_t)LICE_GETG(p),
                                               (uint16_t)LICE_GETB(p), (uint16_t)LICE_GETA(p)});
      }
    ASSERT_TRUE(pngw::WriteFile(mDir + "/" + name, pngw::Encode(img)));
  }
  // A w x h picture of n frames whose pixel (x, y) is pixel(x, y), loaded
  // under a resource ID unique to the process (the bitmap cache outlives each
  // test).
  template <class F> IBitmap Picture(int w, int h, F pixel, int n = 1, bool horizontal = false)
  {
    const std::string name = "picture" + std::to_string(sNextID) + ".png";
    WritePNG(name, w, h, pixel);
    return g->LoadIBitmap(sNextID++, name.c_str(), n, horizontal);
  }
  // A strip of n frames of fw x fh.
  IBitmap Strip(int n, int fw, int fh, bool horizontal = false)
  {
    return Picture(
        horizontal ? fw * n : fw, horizontal ? fh : fh * n,
        [&](int x, int y) { return StripColor(horizontal ? x / fw : y / fh); }, n, horizontal);
  }

  // Clears the back buffer to `clear` and draws every control over the area.
  void DrawAll(IRECT area = IRECT(0, 0, kW, kH), LICE_Pixel clear = 0)
  {
    LICE_Clear(g->GetDrawBitmap(), clear);
    g->Draw(&area);
  }
  // Draws with `paint` as a control spanning the editor would, in a new editor.
  void Paint(std::function<void(IGraphics*)> paint, IRECT area = IRECT(0, 0, kW, kH))
  {
    NewEditor();
    Add("paint", IRECT(0, 0, kW, kH))->mPaint = paint;
    DrawAll(area);
  }
  LICE_Pixel At(int x, int y) { return LICE_GetPixel(g->GetDrawBitmap(), x, y); }
  void Click(int x, int y, IMouseMod mod = IMouseMod(true))
  {
    g->OnMouseDown(x, y, &mod);
    g->OnMouseUp(x, y, &mod);
  }
  double Param(int idx) { return plug.GetParam(idx)->GetNormalized(); }

  // A picture folder of the test's own.
  static std::string NewFolder()
  {
    char tmpl[] = "/tmp/editor-pictures-XXXXXX";
    return mkdtemp(tmpl) ? tmpl : "/nonexistent";
  }

  static inline int sNextID = 1000;
  const std::string mDir = NewFolder();
  Log log;
  TestPlug plug{&log};
  TestGraphics* g = nullptr; // owned by the plug-in
};
