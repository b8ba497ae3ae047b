// The glyph-cached font: one render per glyph, measurement, alignment, line
// breaks, the route each flag set takes, handle ownership and UTF-8.
// Glyph pixels depend on the installed fonts, so sizes are compared within a
// pixel or two and ink as coverage sums.
#include "lice.h"
#include "lice_reference.h"
#include "lice_text.h"

#include "../../WDL/swell/swell-gdi.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

namespace
{
const LICE_Pixel kBlack = LICE_RGBA(0, 0, 0, 255);
const LICE_Pixel kWhiteText = LICE_RGBA(255, 255, 255, 255);

HFONT MakeFont(int height)
{
  return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
}

// A font made with the given options over a new handle it owns.
std::unique_ptr<LICE_CachedFont> MakeCached(int flags, int height = 14)
{
  auto f = std::make_unique<LICE_CachedFont>();
  HFONT h = MakeFont(height);
  EXPECT_NE(h, nullptr) << "no font installed";
  f->SetFromHFont(h, flags | LICE_FONTOPT_OWNSHANDLE);
  return f;
}

// A memory bitmap cleared to c.
struct Canvas : LICE_MemBitmap
{
  Canvas(int w, int h, LICE_Pixel c = kBlack) : LICE_MemBitmap(w, h) { LICE_Clear(this, c); }
};

long RedSum(LICE_IBitmap* bm)
{
  long sum = 0;
  for (LICE_Pixel p : ref::Pixels(bm)) sum += LICE_GETR(p);
  return sum;
}

RECT Measure(LICE_CachedFont& f, const char* s, int len = -1, unsigned int flags = 0)
{
  RECT r = {10, 20, 10, 20};
  f.DrawText(nullptr, s, len, &r, flags | DT_CALCRECT);
  return r;
}
} // namespace

TEST(Utf8, DecodesTheListedSequences)
{
  // Bytes, the code read, its length.
  const std::tuple<const char*, unsigned short, int> cases[] = {
      {"A", 'A', 1},
      {"\x7f", 0x7f, 1},
      {"\xc3\xa9", 0xe9, 2},
      {"\xdf\xbf", 0x7ff, 2},
      {"\xef\xbf\xbf", 0xffff, 3},
      {"\xf0\x9f\x98\x80", ' ', 4},
      {"\xe9 x", 0xe9, 1},           // lead byte without continuations
      {"\xc1\x81", 0xc1, 1},         // overlong lead
      {"\x80", 0x80, 1},             // stray continuation
      {"\xf5\x80\x80\x80", 0xf5, 1}, // beyond the range
      {"\xe2\x82", 0xe2, 1},         // cut short by the terminator
  };
  for (auto [bytes, code, len] : cases)
  {
    unsigned short got = 0;
    EXPECT_EQ(utf8char(bytes, &got), len) << bytes;
    EXPECT_EQ(got, code) << bytes;
    EXPECT_EQ(utf8char(bytes, nullptr), len);
    // Well-formed sequences of up to three bytes are what utf8makechar makes.
    char buf[4] = {0, 0, 0, 0};
    if (len <= 3 && (len == 1) == (code < 0x80))
    {
      EXPECT_EQ(std::string(buf, utf8makechar(buf, code)), std::string(bytes, len));
    }
  }
}

TEST(CachedFont, GlyphRenderedOnceAndMeasured)
{
  auto f = MakeCached(0);
  EXPECT_TRUE(f->GetLineHeight() > 10 && f->GetLineHeight() < 22) << f->GetLineHeight();
  EXPECT_EQ(f->GetCoverageBytes(), 0);
  Canvas bm(100, 40);
  f->SetTextColor(kWhiteText);
  RECT r = {0, 0, 100, 40};
  EXPECT_GT(f->DrawText(&bm, "A", -1, &r, 0), 0);
  const int after = f->GetCoverageBytes();
  EXPECT_GT(after, 0);
  EXPECT_GT(RedSum(&bm), 255 * 10);
  f->DrawText(&bm, "A", -1, &r, 0);
  f->DrawText(nullptr, "A", -1, &r, DT_CALCRECT);
  EXPECT_EQ(f->GetCoverageBytes(), after) << "the second draw reuses the cached mask";

  // Measuring A and B: advances, or more where B's ink reaches further.
  const LICE_CachedFont::charEnt* a = f->findChar('A');
  RECT ab = Measure(*f, "AB");
  const LICE_CachedFont::charEnt* b = f->findChar('B');
  ASSERT_TRUE(a && b && a->base_offset > 0 && b->base_offset > 0);
  EXPECT_EQ(ab.left, 10);
  EXPECT_EQ(ab.right, 10 + std::max(a->advance + b->advance, a->advance + b->width));
  EXPECT_EQ(ab.bottom, 20 + std::max(a->height, b->height));

  // Lengths, zero bytes, carriage returns, a character cut by the length
  // (one byte of its own), line breaks on one line: measured as the second.
  const std::tuple<const char*, int, unsigned int, const char*> same[] = {
      {"ABC", 2, 0, "AB"},
      {"AB\0C", 4, 0, "AB"},
      {"A\rB", -1, 0, "AB"},
      {"\xc3\xa9", 1, 0, "\xc3"},
      {"A\nB", -1, DT_SINGLELINE, "A B"}};
  for (auto [text, len, flags, as] : same)
    EXPECT_EQ(Measure(*f, text, len, flags).right, Measure(*f, as).right) << as;
  const RECT two = Measure(*f, "A\nB");
  EXPECT_EQ(two.bottom - 20, f->GetLineHeight() + b->height);
  EXPECT_LT(two.right, ab.right);
}

TEST(CachedFont, AlignmentFlags)
{
  auto f = MakeCached(LICE_FONTOPT_NATIVE);
  f->SetTextColor(kWhiteText);
  const RECT m = Measure(*f, "Ab", -1, LICE_DRAWTEXT_NO_NATIVE);
  const int W = m.right - m.left, H = m.bottom - m.top;
  const int kFar = 2000000000;
  // Flags, rectangle, where the text lands.
  const std::tuple<unsigned int, RECT, int, int> cases[] = {
      {DT_CENTER, {10, 5, 90, 45}, 10 + (80 - W) / 2, 5},
      {DT_RIGHT, {10, 5, 90, 45}, 90 - W, 5},
      {DT_VCENTER, {10, 5, 90, 45}, 10, 5 + (40 - H) / 2},
      {DT_BOTTOM, {10, 5, 90, 45}, 10, 45 - H},
      {DT_CENTER | DT_BOTTOM, {10, 5, 90, 45}, 10 + (80 - W) / 2, 45 - H},
      {0, {-7, -5, 60, 30}, -7, -5},         // starts above and left of the bitmap
      {DT_NOCLIP, {30, 20, 40, 25}, 30, 20}, // runs past its rectangle
      // A rectangle spanning most of the int range, centred on (50, 30).
      {DT_CENTER | DT_VCENTER, {-kFar, -kFar, kFar + 100, kFar + 60}, (100 - W) / 2, (60 - H) / 2},
  };
  for (auto [flags, rect, x, y] : cases)
  {
    Canvas aligned(100, 50), placed(100, 50);
    RECT r = rect, p = {x, y, rect.right, rect.bottom};
    f->DrawText(&aligned, "Ab", -1, &r, flags | LICE_DRAWTEXT_NO_NATIVE);
    f->DrawText(&placed, "Ab", -1, &p, (flags & DT_NOCLIP) | LICE_DRAWTEXT_NO_NATIVE);
    EXPECT_EQ(LICE_BitmapCmp(&aligned, &placed), 0) << std::hex << flags;
    EXPECT_GT(RedSum(&aligned), 0);
    // The native route draws the same on a memory bitmap (through a
    // scratch bitmap, clipped and offset here) as on a system bitmap.
    Canvas mem(100, 50);
    LICE_SysBitmap sys(100, 50);
    LICE_Clear(&sys, kBlack);
    RECT rm = rect, rs = rect;
    f->DrawText(&mem, "Ab", -1, &rm, flags);
    f->DrawText(&sys, "Ab", -1, &rs, flags);
    EXPECT_EQ(LICE_BitmapCmp(&mem, &sys), 0) << std::hex << flags;
  }
}

// Options the glyph masks cannot show, text alpha and line heights from 256
// take the cached route or the native one as listed; both draw the same on
// memory and system bitmaps. Text alpha halves the ink of a colour of half
// alpha, and the font's own alpha is back for the next drawing.
TEST(CachedFont, RouteForEachFlagSet)
{
  // Font options, drawing flags, whether the glyph cache is used, height.
  const std::tuple<int, unsigned int, bool, int> cases[] = {
      {LICE_FONTOPT_NATIVE, 0, false, 14},
      {LICE_FONTOPT_NATIVE, LICE_DRAWTEXT_NO_NATIVE, true, 14},
      {LICE_FONTOPT_NATIVE, LICE_DRAWTEXT_TEXT_ALPHA, true, 14},
      {0, 0, true, 14},
      {LICE_FONTOPT_NATIVE | LICE_FONTOPT_MONO, 0, true, 14},
      {LICE_FONTOPT_NATIVE | LICE_FONTOPT_VERTICAL, 0, true, 14},
      {LICE_FONTOPT_NATIVE | LICE_FONTOPT_SHADOW, 0, true, 14},
      {LICE_FONTOPT_MONO, 0, false, 300},
  };
  for (auto [fontFlags, drawFlags, cached, height] : cases)
  {
    auto f = MakeCached(fontFlags, height);
    f->SetTextColor(LICE_RGBA(255, 255, 255, 128));
    Canvas mem(400, 320), full(400, 320);
    LICE_SysBitmap sys(400, 320);
    LICE_Clear(&sys, kBlack);
    RECT r = {0, 0, 400, 320};
    f->DrawText(&mem, "Hi", -1, &r, drawFlags);
    f->DrawText(&sys, "Hi", -1, &r, drawFlags);
    f->SetTextColor(kWhiteText);
    f->DrawText(&full, "Hi", -1, &r, drawFlags);
    SCOPED_TRACE(testing::Message() << std::hex << fontFlags << " " << drawFlags);
    EXPECT_EQ(f->GetCoverageBytes() > 0, cached);
    EXPECT_GT(RedSum(&mem), height * height);
    EXPECT_EQ(LICE_BitmapCmp(&mem, &sys), 0);
    EXPECT_NEAR((double)RedSum(&mem) / (double)RedSum(&full),
                drawFlags & LICE_DRAWTEXT_TEXT_ALPHA ? 0.5 : 1.0, 0.05);
  }
}

TEST(CachedFont, HandleOwnershipAndNothingToDraw)
{
  HFONT owned = MakeFont(12), kept = MakeFont(12), other = MakeFont(13);
  {
    LICE_CachedFont f;
    f.SetFromHFont(owned, LICE_FONTOPT_OWNSHANDLE);
    EXPECT_EQ(f.GetHFont(), owned);
    f.SetFromHFont(other, LICE_FONTOPT_OWNSHANDLE);
    EXPECT_FALSE(DeleteObject(owned)) << "the replaced handle was deleted";
    LICE_CachedFont g;
    g.SetFromHFont(kept, 0);
  }
  EXPECT_FALSE(DeleteObject(other)) << "the font deleted its own handle";
  EXPECT_TRUE(DeleteObject(kept)) << "a handle the font does not own is left alone";

  // Nothing to draw: no font, no bitmap, a rectangle off the bitmap, an
  // unknown mode, no alpha with text alpha.
  LICE_CachedFont empty;
  auto f = MakeCached(0);
  Canvas bm(20, 20);
  RECT r = {0, 0, 20, 20}, off = {30, 30, 40, 40};
  EXPECT_EQ(empty.DrawText(nullptr, "A", -1, &r, 0), 0);
  EXPECT_EQ(f->DrawText(nullptr, "A", -1, &r, 0), 0);
  EXPECT_EQ(f->DrawText(&bm, "A", -1, &off, 0), 0);
  f->SetCombineMode(6, 1.0f);
  f->DrawText(&bm, "A", -1, &r, 0);
  f->SetCombineMode(0, 1.0f);
  f->SetTextColor(LICE_RGBA(255, 255, 255, 0));
  EXPECT_EQ(f->DrawText(&bm, "A", -1, &r, LICE_DRAWTEXT_TEXT_ALPHA), 0);
  EXPECT_EQ(RedSum(&bm), 0);
}
