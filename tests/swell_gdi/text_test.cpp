// Fonts and text in memory contexts: metrics, byte order, measurement against
// drawing, every drawing flag, handles.
#include "swell.h"

#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace
{

struct Ink
{
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // right/bottom inclusive
  long sum = 0;
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
    font = CreateFont(20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
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
  // Where byte `channel` (1 red, 2 green, 3 blue) differs from `bg`.
  Ink InkOf(int channel, unsigned char bg = 0) const
  {
    Ink k;
    for (int y = 0; y < H; y++)
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

  // A capital's ink is about 0.7 em tall: about 12 px for a 20 px cell,
  // about 14 px for a 20 px em.
  Draw("H", {0, 0, W, H}, DT_NOPREFIX);
  const int cellInk = InkOf(1).bottom - InkOf(1).top + 1;
  HFONT em = CreateFont(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  ASSERT_NE(em, nullptr);
  SelectObject(dc, em);
  ASSERT_TRUE(GetTextMetrics(dc, &tm));
  EXPECT_GE(tm.tmHeight, 21);
  EXPECT_LE(tm.tmHeight, 24);
  Clear(0);
  Draw("H", {0, 0, W, H}, DT_NOPREFIX);
  const int emInk = InkOf(1).bottom - InkOf(1).top + 1;
  EXPECT_NEAR(cellInk, 12.5, 1.6);
  EXPECT_NEAR(emInk, 14, 1.6);
  SelectObject(dc, font);
  DeleteObject(em);
}

TEST_F(Text, MeasureGivesWidthAndCellHeights)
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
  EXPECT_EQ(Measure("Hello\r\nHi").bottom - 20, 40);

  EXPECT_EQ(Measure("Hello", 0, 2).right, Measure("He").right);
  std::string withZero("Hel\0lo", 6);
  EXPECT_EQ(Measure(withZero.c_str(), 0, 6).right, Measure("Hel").right);
  EXPECT_EQ(Measure("").right, 10);
  EXPECT_EQ(Measure("").bottom, 20);
  RECT e = {0, 0, 0, 0};
  EXPECT_EQ(SWELL_DrawText(dc, "", -1, &e, DT_CALCRECT), 0);
  EXPECT_GT(Measure("ab\xff\xfe").right, 10); // invalid UTF-8 is drawn, not refused
}

TEST_F(Text, PrefixAndSingleLine)
{
  EXPECT_EQ(Measure("&Hello").right, Measure("Hello").right);
  EXPECT_GT(Measure("&Hello", DT_NOPREFIX).right, Measure("Hello").right);
  EXPECT_EQ(Measure("a&&b").right, Measure("a&b", DT_NOPREFIX).right);

  RECT one = Measure("ab\ncd", DT_SINGLELINE);
  EXPECT_EQ(one.bottom - one.top, 20);
  EXPECT_EQ(one.right, Measure("ab cd").right);
  EXPECT_EQ(Measure("ab\r\ncd", DT_SINGLELINE).right, one.right);
}

TEST_F(Text, DrawsInTheTextColourAndLeavesAlphaAlone)
{
  EXPECT_EQ(Draw("Hg", {0, 0, W, H}, 0, RGB(255, 0, 0)), 21);
  Ink red = InkOf(1);
  ASSERT_TRUE(red.Any());
  EXPECT_FALSE(InkOf(2).Any());
  EXPECT_FALSE(InkOf(3).Any());
  EXPECT_FALSE(InkOf(0, kAlpha).Any()) << "alpha byte changed";
  bool full = false;
  for (int i = 0; i < W * H; i++) full = full || px[i * 4 + 1] == 255;
  EXPECT_TRUE(full) << "no pixel reached the full text colour";

  Clear(0);
  Draw("Hg", {0, 0, W, H}, 0, RGB(0, 0, 200));
  EXPECT_FALSE(InkOf(1).Any());
  EXPECT_FALSE(InkOf(2).Any());
  EXPECT_TRUE(InkOf(3).Any());
  EXPECT_FALSE(InkOf(0, kAlpha).Any());

  // The default text colour is black.
  HDC fresh = SWELL_CreateMemContext(nullptr, 60, 30);
  auto* fp = static_cast<unsigned char*>(SWELL_GetCtxFrameBuffer(fresh));
  memset(fp, 255, 60 * 30 * 4);
  RECT r = {0, 0, 60, 30};
  EXPECT_GT(SWELL_DrawText(fresh, "Hi", -1, &r, 0), 0); // default font
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
    Ink k = InkOf(1);
    ASSERT_TRUE(k.Any()) << s;
    EXPECT_GE(k.left, m.left - 1) << s;
    EXPECT_LE(k.right, m.right + 1) << s;
    EXPECT_GE(k.top, m.top) << s;
    EXPECT_LT(k.bottom, m.bottom) << s;
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
  EXPECT_GE(k.top, 10 + (100 - 20) / 2);
  EXPECT_LT(k.bottom, 10 + (100 - 20) / 2 + 20);

  Clear(0);
  Draw("Mid", box, DT_RIGHT | DT_BOTTOM);
  k = InkOf(1);
  EXPECT_LE(k.right, 180);
  EXPECT_GE(k.right, 180 - 3);
  EXPECT_GE(k.left, 180 - w - 1);
  EXPECT_LT(k.bottom, 110);
  EXPECT_GE(k.bottom, 110 - 8); // the baseline sits a descent above the bottom

  // Each line is centred on its own.
  Clear(0);
  Draw("I\nIIIIIIII", box, DT_CENTER);
  Ink first = {}, second = {};
  for (int y = 10; y < 30; y++)
    for (int x = 0; x < W; x++)
    {
      if (At(x, y)[1]) first.left = std::min(first.left, x), first.right = std::max(first.right, x);
    }
  for (int y = 30; y < 50; y++)
    for (int x = 0; x < W; x++)
    {
      if (At(x, y)[1])
        second.left = std::min(second.left, x), second.right = std::max(second.right, x);
    }
  EXPECT_NEAR((first.left + first.right) / 2.0, (second.left + second.right) / 2.0, 2.5);
  EXPECT_GT(first.left, second.left + 10);
}

TEST_F(Text, ClipsToTheRectangleUnlessNoClip)
{
  const RECT small = {30, 30, 50, 40}; // smaller than the text
  Draw("Clipped text", small, 0);
  Ink k = InkOf(1);
  ASSERT_TRUE(k.Any());
  EXPECT_GE(k.left, 30);
  EXPECT_LT(k.right, 50);
  EXPECT_GE(k.top, 30);
  EXPECT_LT(k.bottom, 40);

  Clear(0);
  Draw("Clipped text", small, DT_NOCLIP);
  k = InkOf(1);
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
      if (!inside)
      {
        ASSERT_TRUE(p[1] == 0 && p[2] == 0 && p[3] == 0) << x << "," << y;
      }
      else
      {
        ASSERT_EQ(p[1] + p[2], 255) << x << "," << y; // red text blended over green
      }
    }
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  Clear(0);
  Draw("Box", {10, 20, W, H}, 0, RGB(255, 0, 0));
  EXPECT_FALSE(InkOf(2).Any());
}

TEST_F(Text, NonAntialiasedQualityGivesHardEdges)
{
  HFONT hard =
      CreateFont(20, 0, 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, "Arial");
  ASSERT_NE(hard, nullptr);
  SelectObject(dc, hard);
  Draw("Sharp", {0, 0, W, H}, 0);
  int partial = 0, full = 0;
  for (int i = 0; i < W * H; i++)
  {
    partial += px[i * 4 + 1] != 0 && px[i * 4 + 1] != 255;
    full += px[i * 4 + 1] == 255;
  }
  EXPECT_EQ(partial, 0);
  EXPECT_GT(full, 20);
  SelectObject(dc, font);
  Clear(0);
  Draw("Sharp", {0, 0, W, H}, 0);
  partial = 0;
  for (int i = 0; i < W * H; i++) partial += px[i * 4 + 1] != 0 && px[i * 4 + 1] != 255;
  EXPECT_GT(partial, 0);
  DeleteObject(hard);
}

TEST_F(Text, StylesChangeTheDrawing)
{
  Draw("Style", {0, 0, W, H}, 0);
  const Ink plain = InkOf(1);
  struct Case
  {
    int weight;
    char italic, underline, strike;
  } cases[] = {
      {FW_BOLD, 0, 0, 0}, {FW_NORMAL, 1, 0, 0}, {FW_NORMAL, 0, 1, 0}, {FW_NORMAL, 0, 0, 1}};
  for (const Case& c : cases)
  {
    HFONT f =
        CreateFont(20, 0, 0, 0, c.weight, c.italic, c.underline, c.strike, 0, 0, 0, 0, 0, "Arial");
    ASSERT_NE(f, nullptr);
    SelectObject(dc, f);
    Clear(0);
    Draw("Style", {0, 0, W, H}, 0);
    const Ink k = InkOf(1);
    EXPECT_NE(k.sum, plain.sum) << c.weight << (int)c.italic << (int)c.underline << (int)c.strike;
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    EXPECT_EQ(tm.tmHeight, 20);
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
  TEXTMETRIC tm;
  ASSERT_TRUE(GetTextMetrics(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 30);
  EXPECT_EQ(SelectObject(dc, font), other);

  // Deleted and foreign objects are refused and change nothing.
  EXPECT_TRUE(DeleteObject(other));
  EXPECT_FALSE(DeleteObject(other));
  int foreign[8] = {};
  EXPECT_EQ(SelectObject(dc, other), nullptr);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(foreign)), nullptr);
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(foreign)));
  ASSERT_TRUE(GetTextMetrics(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 20);

  // Null selects the default font and gives back the one before.
  EXPECT_EQ(SelectObject(dc, nullptr), font);
  EXPECT_EQ(SelectObject(dc, font), nullptr);

  // A context whose font was deleted falls back on the default font.
  HFONT gone = CreateFont(40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  SelectObject(dc, gone);
  DeleteObject(gone);
  ASSERT_TRUE(GetTextMetrics(dc, &tm));
  EXPECT_NE(tm.tmHeight, 40);
  SelectObject(dc, font);

  // Nor does it take up a later font that happens to reuse the record.
  HFONT old = CreateFont(40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  SelectObject(dc, old);
  DeleteObject(old);
  HFONT reused = nullptr;
  for (int i = 0; i < 1000 && !reused; i++)
  {
    HFONT f = CreateFont(30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    if (f == old)
      reused = f;
    else
      DeleteObject(f);
  }
  ASSERT_NE(reused, nullptr) << "the pool never reused the record";
  ASSERT_TRUE(GetTextMetrics(dc, &tm));
  EXPECT_NE(tm.tmHeight, 30);
  DeleteObject(reused);
  SelectObject(dc, font);

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
    HFONT f = CreateFont(h, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    ASSERT_NE(f, nullptr) << h;
    SelectObject(dc, f);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(dc, &tm));
    EXPECT_GE(tm.tmHeight, 1);
    EXPECT_LE(tm.tmHeight, 20000);
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
