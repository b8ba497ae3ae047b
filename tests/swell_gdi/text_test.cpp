// Fonts and text in memory contexts: byte order, measurement against drawing,
// the glyph cache's use, handles.
#include "swell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace
{

HFONT Arial(int height)
{
  return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
}

// The bounding box of the changed pixels (right and bottom inclusive).
struct Ink
{
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Any() const { return right >= 0; }
};

class Text : public ::testing::Test
{
protected:
  static constexpr int W = 200, H = 120;
  static constexpr unsigned char kAlpha = 0x5a;

  void SetUp() override
  {
    dc = SWELL_CreateMemContext(nullptr, W, H);
    ASSERT_NE(dc, nullptr);
    px = static_cast<unsigned char*>(SWELL_GetCtxFrameBuffer(dc));
    Clear(0);
    font = Arial(20);
    ASSERT_NE(font, nullptr);
    SelectObject(dc, font);
  }
  void TearDown() override
  {
    SWELL_DeleteGfxContext(dc);
    DeleteObject(font);
  }
  // Every pixel: alpha byte kAlpha, then the three bytes of c from the top.
  void Clear(int c)
  {
    const unsigned char q[4] = {kAlpha, (unsigned char)(c >> 16), (unsigned char)(c >> 8),
                                (unsigned char)c};
    for (int i = 0; i < W * H; i++) std::memcpy(px + i * 4, q, 4);
  }
  // Where byte `channel` (1 red, 2 green, 3 blue) differs from `bg`.
  Ink InkOf(int channel, unsigned char bg = 0) const
  {
    Ink k;
    for (int y = 0; y < H; y++)
      for (int x = 0; x < W; x++)
      {
        const int v = px[(y * W + x) * 4 + channel];
        if (v == bg) continue;
        k.left = std::min(k.left, x);
        k.right = std::max(k.right, x);
        k.top = std::min(k.top, y);
        k.bottom = std::max(k.bottom, y);
      }
    return k;
  }
  // The height of the context's font; -1 when it cannot be had.
  int CellHeight() const
  {
    TEXTMETRIC tm;
    return GetTextMetrics(dc, &tm) ? tm.tmHeight : -1;
  }
  RECT Measure(const char* s, int flags = 0, int len = -1)
  {
    RECT r = {10, 20, 10, 20};
    SWELL_DrawText(dc, s, len, &r, flags | DT_CALCRECT);
    return r;
  }

  HDC dc = nullptr;
  HFONT font = nullptr;
  unsigned char* px = nullptr;
};

} // namespace

TEST_F(Text, Measuring)
{
  // A positive height is the cell.
  RECT r = Measure("Hello");
  EXPECT_TRUE(r.left == 10 && r.top == 20 && r.bottom == 40 && r.right > 40) << r.right;
  RECT two = Measure("Hello\r\nHi");
  EXPECT_EQ(two.bottom - two.top, 40);
  EXPECT_EQ(two.right, r.right);
  EXPECT_GT(Measure("ab\xff\xfe").right, 10); // invalid UTF-8 is drawn, not refused
  // A length or a zero byte ends the text; DT_SINGLELINE draws line breaks
  // as spaces.
  EXPECT_EQ(Measure("Hello", 0, 2).right, Measure("He").right);
  const std::string withZero("Hel\0lo", 6);
  EXPECT_EQ(Measure(withZero.c_str(), 0, 6).right, Measure("Hel").right);
  EXPECT_EQ(Measure("ab\ncd", DT_SINGLELINE).right, Measure("ab cd").right);
}

// Ink in the text colour's channels only, within the measured box and
// spanning most of it; the alpha byte is left alone. Thin strokes (full 0)
// need not reach the full colour.
TEST_F(Text, DrawsInTheTextColourInsideTheMeasuredBox)
{
  const struct
  {
    const char* s;
    int color, channel, full;
  } cases[] = {{"Hello", RGB(255, 0, 0), 1, 255},
               {"Wave", RGB(0, 0, 200), 3, 200},
               {"AVA", RGB(0, 255, 0), 2, 255},
               {"ij", RGB(255, 0, 0), 1, 0},
               {"Top\nsecond line", RGB(0, 0, 255), 3, 255}};
  for (auto& c : cases)
  {
    SCOPED_TRACE(c.s);
    Clear(0);
    const RECT m = Measure(c.s);
    SetTextColor(dc, c.color);
    RECT r = {10, 20, W, H};
    EXPECT_EQ(SWELL_DrawText(dc, c.s, -1, &r, 0), m.bottom - m.top + 1);
    for (int ch = 1; ch <= 3; ch++) EXPECT_EQ(InkOf(ch).Any(), ch == c.channel) << ch;
    EXPECT_FALSE(InkOf(0, kAlpha).Any()) << "alpha byte changed";
    const Ink k = InkOf(c.channel);
    EXPECT_TRUE(k.left >= m.left - 1 && k.right <= m.right + 1 && k.top >= m.top &&
                k.bottom < m.bottom);
    EXPECT_GE(k.right - k.left + 1, (m.right - m.left) * 3 / 4);
    int most = 0;
    for (int i = 0; i < W * H; i++) most = std::max(most, (int)px[i * 4 + c.channel]);
    EXPECT_TRUE(!c.full || most == c.full) << "no pixel reached the full text colour";
  }
}

// How the glyph-cached font uses a context: measure one glyph with 193, draw
// it with 192, white on black, with an opaque black background.
TEST_F(Text, GlyphCachePattern)
{
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, 0);
  Clear(RGB(9, 9, 9));
  RECT r = {0, 0, 0, 0};
  EXPECT_EQ(SWELL_DrawText(dc, "g", -1, &r, 193), 21);
  EXPECT_EQ(r.bottom, 20);
  ASSERT_GT(r.right, 3);
  r.right += 2;
  SWELL_DrawText(dc, "g", -1, &r, 192);
  const Ink box = InkOf(1, 9);
  EXPECT_TRUE(box.right < r.right && box.bottom < r.bottom) << "drawn outside the box";
  int inkBottom = -1, inked = 0;
  for (int i = 0; i < W * H; i++)
  {
    const unsigned char* p = px + i * 4;
    ASSERT_TRUE(p[1] == p[2] && p[2] == p[3]) << i; // grey levels only
    if (p[1] != 0 && p[1] != 9) inkBottom = std::max(inkBottom, i / W), inked++;
  }
  EXPECT_GT(inked, 10);
  EXPECT_GT(inkBottom, 15); // the descender reaches below the baseline
}

TEST_F(Text, HandlesAreChecked)
{
  HFONT other = Arial(30);
  EXPECT_EQ(SelectObject(dc, other), font);
  EXPECT_EQ(SelectObject(dc, font), other);

  // Deleted and foreign objects are refused and change nothing.
  EXPECT_TRUE(DeleteObject(other));
  EXPECT_FALSE(DeleteObject(other));
  int foreign[8] = {};
  EXPECT_EQ(SelectObject(dc, other), nullptr);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(foreign)), nullptr);
  EXPECT_EQ(CellHeight(), 20);

  // A context whose font was deleted falls back on the default font, and
  // does not take up a later font that happens to reuse the record.
  HFONT old = Arial(40);
  SelectObject(dc, old);
  DeleteObject(old);
  EXPECT_NE(CellHeight(), 40);
  HFONT reused = nullptr;
  for (int i = 0; i < 1000 && !reused; i++)
  {
    HFONT f = Arial(30);
    if (f == old)
      reused = f;
    else
      DeleteObject(f);
  }
  ASSERT_NE(reused, nullptr) << "the pool never reused the record";
  EXPECT_NE(CellHeight(), 30);
  DeleteObject(reused);
  SelectObject(dc, font);
}

TEST_F(Text, ExtremeRectanglesAreSafe)
{
  const int big = 0x7fffffff, small = -0x7fffffff - 1;
  SetBkMode(dc, OPAQUE);
  for (RECT r : {RECT{small, small, big, big}, RECT{big - 5, 0, big, 10}})
    for (int fl : {DT_CENTER | DT_VCENTER, DT_RIGHT | DT_BOTTOM | DT_NOCLIP})
      EXPECT_EQ(SWELL_DrawText(dc, "Far\naway", -1, &r, fl), 41);
  EXPECT_FALSE(InkOf(0, kAlpha).Any());
}
