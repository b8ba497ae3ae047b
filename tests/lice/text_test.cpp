// The glyph-cached font: one render per glyph, measurement, alignment, line
// breaks, text alpha, the route each flag set takes, font options and UTF-8.
// Glyph pixels depend on the installed fonts, so sizes are compared within a
// pixel or two and ink as coverage sums.
#include "lice.h"
#include "lice_reference.h"
#include "lice_text.h"

#include "../../WDL/swell/swell-gdi.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
const LICE_Pixel kBlack = LICE_RGBA(0, 0, 0, 255);
const LICE_Pixel kWhiteText = LICE_RGBA(255, 255, 255, 255);

HFONT MakeFont(int height)
{
  return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
}

// A font made with the given options over a new 14 px handle it owns.
std::unique_ptr<LICE_CachedFont> MakeCached(int flags)
{
  auto f = std::make_unique<LICE_CachedFont>();
  HFONT h = MakeFont(14);
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
  struct Case
  {
    const char* bytes;
    unsigned short code;
    int len;
  } cases[] = {
      {"A", 'A', 1},
      {"\x7f", 0x7f, 1},
      {"\xc3\xa9", 0xe9, 2},
      {"\xdf\xbf", 0x7ff, 2},
      {"\xe2\x82\xac", 0x20ac, 3},
      {"\xef\xbf\xbf", 0xffff, 3},
      {"\xf0\x9f\x98\x80", ' ', 4},
      {"\xe9", 0xe9, 1},             // lone lead byte
      {"\xe9 x", 0xe9, 1},           // lead byte without continuations
      {"\xc1\x81", 0xc1, 1},         // overlong lead
      {"\x80", 0x80, 1},             // stray continuation
      {"\xf5\x80\x80\x80", 0xf5, 1}, // beyond the range
      {"\xe2\x82", 0xe2, 1},         // cut short by the terminator
  };
  for (auto& c : cases)
  {
    unsigned short code = 0;
    EXPECT_EQ(utf8char(c.bytes, &code), c.len) << c.bytes;
    EXPECT_EQ(code, c.code) << c.bytes;
    EXPECT_EQ(utf8char(c.bytes, nullptr), c.len);
  }
  for (unsigned code : {0x41u, 0x7fu, 0x80u, 0xe9u, 0x7ffu, 0x800u, 0x20acu, 0xfffdu})
  {
    char buf[4] = {0, 0, 0, 0};
    const int n = utf8makechar(buf, (unsigned short)code);
    EXPECT_EQ(n, code < 0x80 ? 1 : code < 0x800 ? 2 : 3);
    unsigned short back = 0;
    EXPECT_EQ(utf8char(buf, &back), n);
    EXPECT_EQ(back, code);
  }
  EXPECT_FALSE(LICE_Text_IsWine());
}

TEST(CachedFont, GlyphRenderedOnceAndMeasured)
{
  auto f = MakeCached(0);
  EXPECT_GT(f->GetLineHeight(), 10);
  EXPECT_LT(f->GetLineHeight(), 22);
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
  RECT dummy = {0, 0, 0, 0};
  EXPECT_EQ(f->DrawText(nullptr, "AB", -1, &dummy, DT_CALCRECT), std::max(a->height, b->height));
  EXPECT_NEAR(a->height, f->GetLineHeight(), 2);
  EXPECT_GE(a->width, a->advance) << "masks are at least the advance wide";

  // Lengths, zero bytes, carriage returns, line breaks.
  EXPECT_EQ(Measure(*f, "ABC", 2).right, ab.right);
  EXPECT_EQ(Measure(*f, "AB\0C", 4).right, ab.right) << "a zero byte always stops";
  EXPECT_EQ(Measure(*f, "A\rB").right, ab.right) << "carriage returns are skipped";
  EXPECT_EQ(Measure(*f, "\xc3\xa9", 1).right, Measure(*f, "\xc3").right)
      << "a character cut by the length is one byte of its own";
  const RECT two = Measure(*f, "A\nB");
  EXPECT_EQ(two.bottom - 20, f->GetLineHeight() + b->height);
  EXPECT_LT(two.right, ab.right);
  EXPECT_EQ(Measure(*f, "A\nB", -1, DT_SINGLELINE).right, Measure(*f, "A B").right);
  // Drawn, the second line is a line height lower.
  Canvas one(80, 60), lines(80, 60);
  RECT r1 = {0, 0, 80, 60}, r2 = {0, -f->GetLineHeight(), 80, 60};
  f->DrawText(&one, "B", -1, &r1, 0);
  f->DrawText(&lines, "\nB", -1, &r2, DT_NOCLIP);
  EXPECT_EQ(LICE_BitmapCmp(&one, &lines), 0);
}

TEST(CachedFont, AlignmentFlags)
{
  auto f = MakeCached(LICE_FONTOPT_NATIVE);
  f->SetTextColor(kWhiteText);
  const RECT m = Measure(*f, "Ab", -1, LICE_DRAWTEXT_NO_NATIVE);
  const int W = m.right - m.left, H = m.bottom - m.top;
  struct Case
  {
    unsigned int flags;
    int x, y;
  } cases[] = {
      {DT_CENTER, 10 + (80 - W) / 2, 5},
      {DT_RIGHT, 90 - W, 5},
      {DT_VCENTER, 10, 5 + (40 - H) / 2},
      {DT_BOTTOM, 10, 45 - H},
      {DT_CENTER | DT_BOTTOM, 10 + (80 - W) / 2, 45 - H},
  };
  for (auto& c : cases)
  {
    Canvas aligned(100, 50), placed(100, 50);
    RECT r = {10, 5, 90, 45}, p = {c.x, c.y, 90, 45};
    f->DrawText(&aligned, "Ab", -1, &r, c.flags | LICE_DRAWTEXT_NO_NATIVE);
    f->DrawText(&placed, "Ab", -1, &p, LICE_DRAWTEXT_NO_NATIVE);
    EXPECT_EQ(LICE_BitmapCmp(&aligned, &placed), 0) << std::hex << c.flags;
    EXPECT_GT(RedSum(&aligned), 0);
  }
  // The native route aligns through the window layer: the ink lands within
  // a pixel or two of the cached route's.
  LICE_SysBitmap sys(100, 50);
  LICE_Clear(&sys, kBlack);
  RECT r = {10, 5, 90, 45};
  f->DrawText(&sys, "Ab", -1, &r, DT_RIGHT | DT_BOTTOM);
  int maxx = 0, maxy = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x)
      if (LICE_GETR(ref::At(&sys, x, y)) > 64) maxx = std::max(maxx, x), maxy = std::max(maxy, y);
  EXPECT_NEAR(maxx, 89, 3);
  EXPECT_NEAR(maxy, 44, 5);
}

TEST(CachedFont, RouteForEachFlagSet)
{
  struct Case
  {
    int fontFlags;
    unsigned int drawFlags;
    bool cached;
  } cases[] = {
      {LICE_FONTOPT_NATIVE, 0, false},
      {LICE_FONTOPT_NATIVE, LICE_DRAWTEXT_NO_NATIVE, true},
      {LICE_FONTOPT_NATIVE, LICE_DRAWTEXT_TEXT_ALPHA, true},
      {0, 0, true},
      {LICE_FONTOPT_NATIVE | LICE_FONTOPT_MONO, 0, true},
      {LICE_FONTOPT_NATIVE | LICE_FONTOPT_VERTICAL, 0, true},
      {LICE_FONTOPT_NATIVE | LICE_FONTOPT_INVERT, 0, true},
      {LICE_FONTOPT_NATIVE | LICE_FONTOPT_SHADOW, 0, true},
      {LICE_FONTOPT_NATIVE | LICE_FONTOPT_BLUR, 0, true},
  };
  for (auto& c : cases)
  {
    auto f = MakeCached(c.fontFlags);
    f->SetTextColor(LICE_RGBA(255, 255, 255, 128));
    Canvas mem(60, 30);
    LICE_SysBitmap sys(60, 30);
    LICE_Clear(&sys, kBlack);
    RECT r = {0, 0, 60, 30};
    f->DrawText(&mem, "Hi", -1, &r, c.drawFlags);
    f->DrawText(&sys, "Hi", -1, &r, c.drawFlags);
    EXPECT_EQ(f->GetCoverageBytes() > 0, c.cached) << std::hex << c.fontFlags << " " << c.drawFlags;
    EXPECT_GT(RedSum(&mem), 0);
    EXPECT_GT(RedSum(&sys), 0);
  }
  // Line heights from 256 always go native, whatever the options.
  LICE_CachedFont big;
  big.SetFromHFont(MakeFont(300), LICE_FONTOPT_OWNSHANDLE | LICE_FONTOPT_MONO);
  EXPECT_GE(big.GetLineHeight(), 256);
  Canvas bm(400, 320, 0);
  RECT r = {0, 0, 400, 320};
  big.SetTextColor(kWhiteText);
  EXPECT_GT(big.DrawText(&bm, "W", -1, &r, 0), 0);
  EXPECT_EQ(big.GetCoverageBytes(), 0);
  EXPECT_GT(RedSum(&bm), 255L * 1000);
}

TEST(CachedFont, NativeOnMemoryAndSystemBitmapsAgree)
{
  auto f = MakeCached(LICE_FONTOPT_NATIVE);
  f->SetTextColor(LICE_RGBA(255, 200, 100, 255));
  Canvas mem(120, 40, LICE_RGBA(10, 20, 30, 255));
  LICE_SysBitmap sys(120, 40);
  LICE_Clear(&sys, LICE_RGBA(10, 20, 30, 255));
  struct Case
  {
    unsigned int flags;
    RECT r;
  } cases[] = {{0u, {4, 3, 110, 36}},
               {(unsigned)DT_CENTER, {4, 3, 110, 36}},
               {(unsigned)(DT_RIGHT | DT_VCENTER), {4, 3, 110, 36}},
               {0u, {-7, -5, 60, 30}},                  // starts above and left of the bitmap
               {(unsigned)DT_NOCLIP, {30, 20, 40, 25}}, // runs past its rectangle
               {0u, {30, 20, 40, 25}}};                 // clipped to its rectangle
  for (auto& c : cases)
  {
    RECT r = c.r, r2 = c.r;
    EXPECT_GT(f->DrawText(&mem, "Plenmora", -1, &r, c.flags), 0);
    EXPECT_GT(f->DrawText(&sys, "Plenmora", -1, &r2, c.flags), 0);
    const auto a = ref::Pixels(&mem), b = ref::Pixels(&sys);
    for (size_t i = 0; i < a.size(); ++i)
      ASSERT_EQ(a[i] | 0xff, b[i] | 0xff) << "pixel " << i << ", flags " << c.flags;
  }
  EXPECT_EQ(f->GetCoverageBytes(), 0);
  // Native and cached measurements agree within a couple of pixels, and
  // their ink is about the same.
  RECT n = Measure(*f, "Plenmora"), c = Measure(*f, "Plenmora", -1, LICE_DRAWTEXT_NO_NATIVE);
  EXPECT_NEAR(n.right, c.right, 3);
  EXPECT_NEAR(n.bottom, c.bottom, 3);
  Canvas a(120, 40), b(120, 40);
  f->SetTextColor(kWhiteText);
  RECT ra = {2, 2, 120, 40}, rb = ra;
  f->DrawText(&a, "Plenmora", -1, &ra, 0);
  f->DrawText(&b, "Plenmora", -1, &rb, LICE_DRAWTEXT_NO_NATIVE);
  EXPECT_NEAR((double)RedSum(&a), (double)RedSum(&b), RedSum(&a) * 0.1);
}

TEST(CachedFont, TextAlphaScalesAndIsRestored)
{
  auto f = MakeCached(LICE_FONTOPT_NATIVE);
  Canvas half(60, 30), full(60, 30), again(60, 30), none(60, 30);
  RECT r = {0, 0, 60, 30};
  f->SetTextColor(LICE_RGBA(255, 255, 255, 128));
  f->DrawText(&half, "Mm", -1, &r, LICE_DRAWTEXT_TEXT_ALPHA);
  f->SetTextColor(kWhiteText);
  f->DrawText(&full, "Mm", -1, &r, LICE_DRAWTEXT_NO_NATIVE);
  f->DrawText(&again, "Mm", -1, &r, LICE_DRAWTEXT_TEXT_ALPHA);
  EXPECT_EQ(LICE_BitmapCmp(&full, &again), 0) << "the font's own alpha is unchanged afterwards";
  EXPECT_NEAR((double)RedSum(&half) / (double)RedSum(&full), 0.5, 0.05);
  f->SetTextColor(LICE_RGBA(255, 255, 255, 0));
  EXPECT_EQ(f->DrawText(&none, "Mm", -1, &r, LICE_DRAWTEXT_TEXT_ALPHA), 0);
  EXPECT_EQ(RedSum(&none), 0);
}

TEST(CachedFont, MaskOptionsMonoInvertShadowOutlineAndVertical)
{
  auto plain = MakeCached(0);
  Measure(*plain, "K");
  const auto* p = plain->findChar('K');
  const unsigned char* pm = plain->GetCoverage(p);
  ASSERT_TRUE(pm);
  const int w = p->width, h = p->height;
  auto ink = [&](int x, int y)
  { return x >= 0 && y >= 0 && x < w && y < h && pm[y * w + x] >= 131; };
  for (int option :
       {LICE_FONTOPT_MONO, LICE_FONTOPT_INVERT, LICE_FONTOPT_SHADOW, LICE_FONTOPT_OUTLINE})
  {
    auto f = MakeCached(option);
    Measure(*f, "K");
    const auto* e = f->findChar('K');
    ASSERT_EQ(e->width, w);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        // Shadow: 128 right of, below and below-right of ink; outline: around it.
        const bool shadow = ink(x - 1, y) || ink(x, y - 1) || ink(x - 1, y - 1);
        const bool around = ink(x - 1, y) || ink(x + 1, y) || ink(x, y - 1) || ink(x, y + 1);
        int want = ink(x, y) ? 255 : 0;
        if (option == LICE_FONTOPT_INVERT) want = 255 - pm[y * w + x];
        if (option == LICE_FONTOPT_SHADOW && !want && shadow) want = 128;
        if (option == LICE_FONTOPT_OUTLINE && !want && around) want = 128;
        ASSERT_EQ(f->GetCoverage(e)[y * w + x], want)
            << "option " << std::hex << option << std::dec << " at " << x << "," << y;
      }
  }

  // Vertical: the mask turned a quarter turn, top to the right (or left).
  auto vert = MakeCached(LICE_FONTOPT_VERTICAL);
  auto up = MakeCached(LICE_FONTOPT_VERTICAL | LICE_FONTOPT_BOTTOMUP);
  const RECT vr = Measure(*vert, "KK");
  Measure(*up, "K");
  const auto* v = vert->findChar('K');
  const auto* u = up->findChar('K');
  ASSERT_TRUE(v->width == h && v->height == w && u->width == h && u->height == w);
  for (int y = 0; y < w; ++y)
    for (int x = 0; x < h; ++x)
    {
      ASSERT_EQ(vert->GetCoverage(v)[y * h + x], pm[(h - 1 - x) * w + y]);
      ASSERT_EQ(up->GetCoverage(u)[y * h + x], pm[x * w + (w - 1 - y)]);
    }
  // Vertical text runs downward: measuring swaps the axes.
  EXPECT_EQ(vr.right - vr.left, h);
  EXPECT_GE(vr.bottom - vr.top, 2 * v->advance);
}

TEST(CachedFont, MonoAndOutlineCopiesStoreWholeWords)
{
  RECT r = {0, 0, 40, 30};
  auto mono = MakeCached(LICE_FONTOPT_MONO);
  mono->SetTextColor(0x11223380u);
  Canvas bm(40, 30, 0);
  mono->DrawText(&bm, "W", -1, &r, 0);
  auto outl = MakeCached(LICE_FONTOPT_OUTLINE);
  outl->SetTextColor(0xffffffffu);
  outl->SetEffectColor(0x000000ffu);
  Canvas ob(40, 30, 0x12345678u);
  outl->DrawText(&ob, "W", -1, &r, 0);
  int lit = 0, fg = 0, fx = 0;
  for (LICE_Pixel px : ref::Pixels(&bm))
  {
    EXPECT_TRUE(px == 0 || px == 0x11223380u) << std::hex << px;
    lit += px != 0;
  }
  for (LICE_Pixel px : ref::Pixels(&ob))
  {
    EXPECT_TRUE(px == 0xffffffffu || px == 0x000000ffu || px == 0x12345678u) << std::hex << px;
    fg += px == 0xffffffffu;
    fx += px == 0x000000ffu;
  }
  EXPECT_GT(lit, 10);
  EXPECT_GT(fg, 10);
  EXPECT_GT(fx, fg / 2) << "the outline surrounds the ink";
}

TEST(CachedFont, BackgroundModeFillsTheCell)
{
  auto f = MakeCached(0);
  f->SetTextColor(kWhiteText);
  f->SetBkColor(LICE_RGBA(0, 0, 255, 255));
  EXPECT_EQ(f->SetBkMode(1), 0);
  Canvas bm(60, 30);
  RECT r = {5, 5, 60, 30};
  f->DrawText(&bm, "ii", -1, &r, 0);
  const auto* e = f->findChar('i');
  EXPECT_EQ(ref::At(&bm, 5, 5 + e->height - 1), LICE_RGBA(0, 0, 255, 255))
      << "the bottom-left corner of the first cell";
  EXPECT_EQ(ref::At(&bm, 5, 4), kBlack);
  EXPECT_EQ(f->SetBkMode(0), 1);
}

TEST(CachedFont, EuroAsciiOnlyAndFourByteCharacters)
{
  auto f = MakeCached(0);
  const RECT euro = Measure(*f, "\xe2\x82\xac");
  const auto* e = f->findChar(0x20ac);
  ASSERT_TRUE(e);
  EXPECT_GT(e->base_offset, 0);
  EXPECT_EQ(euro.right - euro.left, std::max(e->advance, e->width));

  auto ascii = MakeCached(LICE_FONTOPT_ASCIIONLY);
  const int bytes = ascii->GetCoverageBytes();
  EXPECT_GT(bytes, 0) << "ASCII glyphs are rendered when the font is set";
  EXPECT_GT(ascii->findChar('z')->base_offset, 0);
  const RECT none = Measure(*ascii, "\xe2\x82\xac");
  EXPECT_EQ(none.right, none.left);
  EXPECT_EQ(ascii->findChar(0x20ac), nullptr);
  EXPECT_EQ(ascii->GetCoverageBytes(), bytes);

  EXPECT_EQ(Measure(*f, "a\xf0\x9f\x98\x80"
                        "b")
                .right,
            Measure(*f, "a b").right);
  Measure(*f, "\xe9");
  const auto* lone = f->findChar(0xe9);
  ASSERT_TRUE(lone);
  EXPECT_GT(lone->base_offset, 0) << "the lone byte 0xE9 is the character U+00E9";
  // Codes above 127 are kept sorted and found again.
  Measure(*f, "\xc3\xbc\xc3\xa0\xe2\x84\xa2\xc3\xa7");
  for (unsigned short c : {0xfcu, 0xe0u, 0x2122u, 0xe7u, 0x20acu, 0xe9u})
    EXPECT_TRUE(f->findChar(c)) << c;
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

  LICE_CachedFont empty;
  RECT r = {0, 0, 10, 10}, off = {30, 30, 40, 40}, in = {0, 0, 20, 20};
  EXPECT_EQ(empty.DrawText(nullptr, "A", -1, &r, 0), 0);
  auto f = MakeCached(0);
  EXPECT_EQ(f->DrawText(nullptr, "A", -1, &r, 0), 0);
  Canvas bm(20, 20);
  EXPECT_EQ(f->DrawText(&bm, "A", -1, &off, 0), 0);
  f->SetCombineMode(6, 1.0f);
  f->DrawText(&bm, "A", -1, &in, 0);
  EXPECT_EQ(RedSum(&bm), 0);
}
