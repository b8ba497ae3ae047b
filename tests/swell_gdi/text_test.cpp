// Fonts and text in memory contexts: metrics, byte order, measurement against
// drawing, every drawing flag, handles.
#include "swell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace
{

HFONT Arial(int height, int weight = FW_NORMAL, char italic = 0, char underline = 0,
            char strike = 0, char quality = 0)
{
  return CreateFont(height, 0, 0, 0, weight, italic, underline, strike, 0, 0, 0, quality, 0,
                    "Arial");
}

struct Ink
{
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // right/bottom inclusive
  long sum = 0;
  bool Any() const { return right >= 0; }
  // Inked, and only inside [l, r) x [t, b).
  bool Within(int l, int t, int r, int b) const
  {
    return Any() && left >= l && right < r && top >= t && bottom < b;
  }
};
std::ostream& operator<<(std::ostream& o, const Ink& k)
{
  return o << "ink " << k.left << "," << k.top << " to " << k.right << "," << k.bottom;
}

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
  // Every pixel: alpha byte kAlpha, colour c (RGB value).
  void Clear(int c)
  {
    for (int i = 0; i < W * H; i++)
    {
      px[i * 4] = kAlpha;
      px[i * 4 + 1] = (unsigned char)(c >> 16);
      px[i * 4 + 2] = (unsigned char)(c >> 8);
      px[i * 4 + 3] = (unsigned char)c;
    }
  }
  const unsigned char* At(int x, int y) const { return px + (y * W + x) * 4; }
  // Where byte `channel` (1 red, 2 green, 3 blue) differs from `bg`, in rows
  // y0 to y1 - 1.
  Ink InkOf(int channel, unsigned char bg = 0, int y0 = 0, int y1 = H) const
  {
    Ink k;
    for (int y = y0; y < y1; y++)
      for (int x = 0; x < W; x++)
      {
        const int v = At(x, y)[channel];
        if (v == bg) continue;
        k.left = std::min(k.left, x);
        k.right = std::max(k.right, x);
        k.top = std::min(k.top, y);
        k.bottom = std::max(k.bottom, y);
        k.sum += std::abs(v - bg);
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
  int Draw(const char* s, RECT r, int flags, int color = RGB(255, 255, 255))
  {
    SetTextColor(dc, color);
    return SWELL_DrawText(dc, s, -1, &r, flags);
  }

  HDC dc = nullptr;
  HFONT font = nullptr;
  unsigned char* px = nullptr;
};

} // namespace

TEST_F(Text, PositiveHeightIsTheCellNegativeTheEm)
{
  TEXTMETRIC tm;
  ASSERT_TRUE(GetTextMetrics(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 20);
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, 20);
  EXPECT_GT(tm.tmAscent, tm.tmDescent);
  EXPECT_GE(tm.tmInternalLeading, 1); // the em is smaller than the cell
  EXPECT_GT(tm.tmAveCharWidth, 4);

  // A capital's ink is about 0.7 em tall: about 12.5 px for a 20 px cell,
  // about 14 px for a 20 px em.
  Draw("H", {0, 0, W, H}, DT_NOPREFIX);
  const Ink cell = InkOf(1);
  EXPECT_NEAR(cell.bottom - cell.top + 1, 12.5, 1.6);
  HFONT em = Arial(-20);
  SelectObject(dc, em);
  ASSERT_TRUE(GetTextMetrics(dc, &tm));
  EXPECT_GE(tm.tmHeight, 21);
  EXPECT_LE(tm.tmHeight, 24);
  Clear(0);
  Draw("H", {0, 0, W, H}, DT_NOPREFIX);
  EXPECT_NEAR(InkOf(1).bottom - InkOf(1).top + 1, 14, 1.6);
  SelectObject(dc, font);
  DeleteObject(em);
}

TEST_F(Text, Measuring)
{
  RECT r = Measure("Hello");
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.bottom - r.top, 20);
  EXPECT_GT(r.right - r.left, 30);
  EXPECT_LT(r.right - r.left, 70);
  RECT again = {10, 20, 0, 0};
  EXPECT_EQ(SWELL_DrawText(dc, "Hello", -1, &again, DT_CALCRECT), 21);
  RECT two = Measure("Hello\nHi");
  EXPECT_EQ(two.bottom - two.top, 40);
  EXPECT_EQ(two.right, r.right);
  EXPECT_EQ(Measure("").right, 10);
  EXPECT_EQ(Measure("").bottom, 20);
  RECT e = {0, 0, 0, 0};
  EXPECT_EQ(SWELL_DrawText(dc, "", -1, &e, DT_CALCRECT), 0);
  EXPECT_GT(Measure("ab\xff\xfe").right, 10); // invalid UTF-8 is drawn, not refused

  // A length or a zero byte ends the text, '&' is dropped unless
  // DT_NOPREFIX, DT_SINGLELINE draws line breaks as spaces.
  EXPECT_EQ(Measure("Hello", 0, 2).right, Measure("He").right);
  const std::string withZero("Hel\0lo", 6);
  EXPECT_EQ(Measure(withZero.c_str(), 0, 6).right, Measure("Hel").right);
  EXPECT_EQ(Measure("&Hello").right, Measure("Hello").right);
  EXPECT_EQ(Measure("a&&b").right, Measure("a&b", DT_NOPREFIX).right);
  for (const char* s : {"ab\ncd", "ab\r\ncd"})
  {
    const RECT one = Measure(s, DT_SINGLELINE), spaced = Measure("ab cd");
    EXPECT_EQ(one.right, spaced.right) << s;
    EXPECT_EQ(one.bottom, spaced.bottom) << s;
  }
  EXPECT_GT(Measure("&Hello", DT_NOPREFIX).right, Measure("Hello").right);
  EXPECT_EQ(Measure("Hello\r\nHi").bottom - 20, 40);
}

TEST_F(Text, DrawsInTheTextColourAndLeavesAlphaAlone)
{
  const struct
  {
    int color, channel, full;
  } cases[] = {{RGB(255, 0, 0), 1, 255}, {RGB(0, 0, 200), 3, 200}};
  for (auto& c : cases)
  {
    SCOPED_TRACE(c.channel);
    Clear(0);
    EXPECT_EQ(Draw("Hg", {0, 0, W, H}, 0, c.color), 21);
    for (int ch = 1; ch <= 3; ch++) EXPECT_EQ(InkOf(ch).Any(), ch == c.channel) << ch;
    EXPECT_FALSE(InkOf(0, kAlpha).Any()) << "alpha byte changed";
    bool full = false;
    for (int i = 0; i < W * H; i++) full = full || px[i * 4 + c.channel] == c.full;
    EXPECT_TRUE(full) << "no pixel reached the full text colour";
  }

  // The default text colour is black, the default font draws.
  HDC fresh = SWELL_CreateMemContext(nullptr, 60, 30);
  auto* fp = static_cast<unsigned char*>(SWELL_GetCtxFrameBuffer(fresh));
  memset(fp, 255, 60 * 30 * 4);
  RECT r = {0, 0, 60, 30};
  EXPECT_GT(SWELL_DrawText(fresh, "Hi", -1, &r, 0), 0);
  int dark = 0;
  for (int i = 0; i < 60 * 30; i++) dark += fp[i * 4 + 1] < 128 && fp[i * 4 + 2] < 128;
  EXPECT_GT(dark, 5);
  SWELL_DeleteGfxContext(fresh);
}

TEST_F(Text, DrawingStaysInsideTheMeasuredBox)
{
  for (const char* s : {"Hello", "Wave", "AVA", "ij", "Top\nsecond line"})
  {
    Clear(0);
    RECT m = Measure(s);
    Draw(s, {10, 20, W, H}, 0);
    const Ink k = InkOf(1);
    EXPECT_TRUE(k.Within(m.left - 1, m.top, m.right + 2, m.bottom)) << s << " " << k;
    // The ink spans most of the measured width.
    EXPECT_GE(k.right - k.left + 1, (m.right - m.left) * 3 / 4) << s;
  }
}

TEST_F(Text, AlignmentFlags)
{
  const RECT box = {20, 10, 180, 110};
  RECT m = Measure("Mid");
  const int w = m.right - m.left;

  Draw("Mid", box, DT_CENTER | DT_VCENTER);
  Ink k = InkOf(1);
  EXPECT_NEAR((k.left + k.right + 1) / 2.0, 100, 2.5);
  EXPECT_TRUE(k.Within(0, 50, W, 70)) << k;

  Clear(0);
  Draw("Mid", box, DT_RIGHT | DT_BOTTOM);
  k = InkOf(1);
  EXPECT_TRUE(k.Within(180 - w - 1, 0, 181, 110)) << k;
  EXPECT_GE(k.right, 180 - 3);
  EXPECT_GE(k.bottom, 110 - 8); // the baseline sits a descent above the bottom

  // Each line is centred on its own.
  Clear(0);
  Draw("I\nIIIIIIII", box, DT_CENTER);
  const Ink first = InkOf(1, 0, 10, 30), second = InkOf(1, 0, 30, 50);
  EXPECT_NEAR(first.left + first.right, second.left + second.right, 5);
  EXPECT_GT(first.left, second.left + 10);
}

TEST_F(Text, ClipsToTheRectangleUnlessNoClip)
{
  const RECT small = {30, 30, 50, 40}; // smaller than the text
  Draw("Clipped text", small, 0);
  EXPECT_TRUE(InkOf(1).Within(30, 30, 50, 40)) << InkOf(1);

  Clear(0);
  Draw("Clipped text", small, DT_NOCLIP);
  const Ink k = InkOf(1);
  EXPECT_GT(k.right, 60);
  EXPECT_GT(k.bottom, 40);

  // Text partly outside the buffer is clipped to it, not written past it.
  Clear(0);
  Draw("Edge of the buffer text", {W - 30, H - 8, W + 100, H + 40}, DT_NOCLIP);
  Draw("Edge", {-15, -12, 40, 20}, 0);
  EXPECT_TRUE(InkOf(1).Any());
  EXPECT_FALSE(InkOf(0, kAlpha).Any());
}

TEST_F(Text, OpaqueBackgroundFillsTheTextBox)
{
  SetBkColor(dc, RGB(0, 255, 0));
  EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
  RECT m = Measure("Box");
  Draw("Box", {10, 20, W, H}, 0, RGB(255, 0, 0));
  // The box is green (where no ink covers it), everything else untouched.
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++)
    {
      const bool inside = x >= m.left && x < m.right && y >= m.top && y < m.bottom;
      const unsigned char* p = At(x, y);
      ASSERT_EQ(p[0], kAlpha);
      // Inside: red text blended over green; outside: black as it was.
      ASSERT_EQ(p[1] + p[2] + p[3], inside ? 255 : 0) << x << "," << y;
    }
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  Clear(0);
  Draw("Box", {10, 20, W, H}, 0, RGB(255, 0, 0));
  EXPECT_FALSE(InkOf(2).Any());
}

TEST_F(Text, NonAntialiasedQualityGivesHardEdges)
{
  HFONT hard = Arial(20, FW_BOLD, 1, 0, 0, NONANTIALIASED_QUALITY);
  for (HFONT f : {hard, font})
  {
    SelectObject(dc, f);
    Clear(0);
    Draw("Sharp", {0, 0, W, H}, 0);
    int partial = 0, full = 0;
    for (int i = 0; i < W * H; i++)
    {
      partial += px[i * 4 + 1] != 0 && px[i * 4 + 1] != 255;
      full += px[i * 4 + 1] == 255;
    }
    EXPECT_EQ(partial == 0, f == hard) << partial;
    EXPECT_GT(full, 20);
  }
  DeleteObject(hard);
}

TEST_F(Text, StylesChangeTheDrawingNotTheCell)
{
  Draw("Style", {0, 0, W, H}, 0);
  const Ink plain = InkOf(1);
  for (HFONT f : {Arial(20, FW_BOLD), Arial(20, 0, 1), Arial(20, 0, 0, 1), Arial(20, 0, 0, 0, 1)})
  {
    SelectObject(dc, f);
    Clear(0);
    Draw("Style", {0, 0, W, H}, 0);
    EXPECT_NE(InkOf(1).sum, plain.sum);
    EXPECT_EQ(CellHeight(), 20);
    SelectObject(dc, font);
    DeleteObject(f);
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
  const int h = SWELL_DrawText(dc, "g", -1, &r, 193);
  EXPECT_EQ(h, 21);
  EXPECT_EQ(r.bottom, 20);
  ASSERT_GT(r.right, 3);
  r.right += 2;
  SWELL_DrawText(dc, "g", -1, &r, 192);
  int inkBottom = -1, inked = 0;
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++)
    {
      const unsigned char* p = At(x, y);
      if (x >= r.right || y >= r.bottom)
        ASSERT_EQ(p[1], 9) << x << "," << y; // outside the box: untouched
      else if (p[1])
      {
        ASSERT_TRUE(p[1] == p[2] && p[2] == p[3]); // grey levels only
        inkBottom = std::max(inkBottom, y);
        inked++;
      }
    }
  EXPECT_GT(inked, 10);
  EXPECT_GT(inkBottom, 15); // the descender reaches below the baseline
}

TEST_F(Text, HandlesAreChecked)
{
  HFONT other = CreateFont(30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(SelectObject(dc, other), font);
  EXPECT_EQ(CellHeight(), 30);
  EXPECT_EQ(SelectObject(dc, font), other);

  // Deleted and foreign objects are refused and change nothing.
  EXPECT_TRUE(DeleteObject(other));
  EXPECT_FALSE(DeleteObject(other));
  int foreign[8] = {};
  EXPECT_EQ(SelectObject(dc, other), nullptr);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(foreign)), nullptr);
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(foreign)));
  EXPECT_EQ(CellHeight(), 20);

  // Null selects the default font and gives back the one before.
  EXPECT_EQ(SelectObject(dc, nullptr), font);
  EXPECT_EQ(SelectObject(dc, font), nullptr);

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

  // Stale contexts, null records and texts.
  TEXTMETRIC tm;
  EXPECT_FALSE(GetTextMetrics(dc, nullptr));
  HDC dead = SWELL_CreateMemContext(nullptr, 10, 10);
  SWELL_DeleteGfxContext(dead);
  RECT r = {0, 0, 10, 10};
  EXPECT_FALSE(GetTextMetrics(dead, &tm));
  EXPECT_EQ(SWELL_DrawText(dead, "x", -1, &r, 0), 0);
  EXPECT_EQ(SWELL_DrawText(dead, "x", -1, &r, DT_CALCRECT), 0);
  EXPECT_EQ(SelectObject(dead, font), nullptr);
  EXPECT_EQ(SetTextColor(dead, 0), -1);
  EXPECT_EQ(SetBkColor(dead, 0), -1);
  EXPECT_EQ(SWELL_DrawText(dc, "x", -1, nullptr, 0), 0);
  EXPECT_EQ(SWELL_DrawText(dc, nullptr, -1, &r, 0), 0);
}

TEST_F(Text, ExtremeRectanglesAndSizesAreSafe)
{
  const int big = 0x7fffffff, small = -0x7fffffff - 1;
  const RECT rects[] = {{small, small, big, big},
                        {big, big, small, small},
                        {big - 5, 0, big, 10},
                        {small, 0, small + 3, 50}};
  const int flagSets[] = {0, DT_CENTER | DT_VCENTER, DT_RIGHT | DT_BOTTOM, DT_NOCLIP,
                          DT_CENTER | DT_NOCLIP | DT_VCENTER};
  SetBkMode(dc, OPAQUE);
  for (const RECT& rc : rects)
    for (int fl : flagSets)
    {
      RECT r = rc;
      EXPECT_EQ(SWELL_DrawText(dc, "Far\naway", -1, &r, fl), 41);
      r = rc;
      SWELL_DrawText(dc, "Far", -1, &r, fl | DT_CALCRECT);
    }
  EXPECT_FALSE(InkOf(0, kAlpha).Any());

  for (int h : {1, -1, 100000, -100000, big, small})
  {
    HFONT f = Arial(h);
    ASSERT_NE(f, nullptr) << h;
    SelectObject(dc, f);
    EXPECT_GE(CellHeight(), 1);
    EXPECT_LE(CellHeight(), 20000);
    RECT r = {0, 0, W, H};
    EXPECT_GT(SWELL_DrawText(dc, "x", -1, &r, 0), 0);
    SelectObject(dc, font);
    DeleteObject(f);
  }
}

// Contexts used on different threads at once draw what they draw alone.
TEST(TextThreads, ContextsOnSeveralThreads)
{
  auto render = [](int seed, std::vector<unsigned char>& out)
  {
    HDC dc = SWELL_CreateMemContext(nullptr, 120, 40);
    HFONT f = CreateFont(14 + seed, 0, 0, 0, seed % 2 ? FW_BOLD : FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0,
                         seed % 3 ? "Arial" : "Times New Roman");
    SelectObject(dc, f);
    SetTextColor(dc, RGB(255, 128, 0));
    auto* p = static_cast<unsigned char*>(SWELL_GetCtxFrameBuffer(dc));
    for (int i = 0; i < 50; i++)
    {
      memset(p, 0, 120 * 40 * 4);
      RECT r = {2, 2, 118, 38};
      SWELL_DrawText(dc, "Thread text", -1, &r, DT_CENTER | DT_VCENTER);
    }
    out.assign(p, p + 120 * 40 * 4);
    SWELL_DeleteGfxContext(dc);
    DeleteObject(f);
  };
  const int kThreads = 4;
  std::vector<std::vector<unsigned char>> alone(kThreads), together(kThreads);
  for (int i = 0; i < kThreads; i++) render(i, alone[i]);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; i++) threads.emplace_back(render, i, std::ref(together[i]));
  for (auto& t : threads) t.join();
  for (int i = 0; i < kThreads; i++)
  {
    EXPECT_EQ(alone[i], together[i]) << "thread " << i;
    EXPECT_NE(std::count(alone[i].begin(), alone[i].end(), 0), (long)alone[i].size());
  }
}
