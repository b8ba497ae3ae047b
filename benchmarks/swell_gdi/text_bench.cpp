// Text in memory contexts: one glyph measured and drawn the way the
// glyph-cached font renders it, a whole line drawn natively, and a font made.
#include "swell.h"

#include <benchmark/benchmark.h>

namespace
{

struct Scratch
{
  Scratch()
  {
    dc = SWELL_CreateMemContext(nullptr, 256, 256);
    font = CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, 0);
  }
  ~Scratch()
  {
    SWELL_DeleteGfxContext(dc);
    DeleteObject(font);
  }
  HDC dc;
  HFONT font;
};

void GlyphMeasureAndDraw(benchmark::State& state)
{
  Scratch s;
  int i = 0;
  for (auto _ : state)
  {
    const char text[2] = {(char)(33 + i++ % 90), 0};
    RECT r = {0, 0, 0, 0};
    SWELL_DrawText(s.dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    r.right += 2;
    benchmark::DoNotOptimize(SWELL_DrawText(s.dc, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX));
  }
}
BENCHMARK(GlyphMeasureAndDraw);

void DrawLine(benchmark::State& state)
{
  Scratch s;
  SetBkMode(s.dc, TRANSPARENT);
  for (auto _ : state)
  {
    RECT r = {0, 0, 256, 256};
    benchmark::DoNotOptimize(
        SWELL_DrawText(s.dc, "The quick brown fox jumps", -1, &r, DT_CENTER | DT_VCENTER));
  }
}
BENCHMARK(DrawLine);

void MakeFont(benchmark::State& state)
{
  for (auto _ : state)
  {
    HFONT f = CreateFont(14, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    benchmark::DoNotOptimize(f);
    DeleteObject(f);
  }
}
BENCHMARK(MakeFont);

} // namespace
