// The editor's pictures. A dark, calm theme with one accent colour.
//
// Shapes with soft edges are drawn as a colour layer and a coverage mask (the
// red byte of a grey picture) that is copied into the layer's alpha byte; the
// layer is then blended with its own alpha. Pictures with transparent parts
// are built the same way: their colours are drawn on an opaque canvas, each
// shape a little larger than it is, and their coverage on a mask that becomes
// the alpha at the end, so that edge pixels keep the shape's colour instead of
// fading to black.
#include "editor_images.h"

#include "Plenmora.h"
#include "editor_layout.h"
#include "lice_text.h"
#include "png_writer.h"
#include "swell-gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace editor_images
{
namespace
{
using editor_layout::Rect;

const double kPi = 3.14159265358979323846;
const double kKnobStartAngle = -0.75 * kPi; // value 0, seven-thirty
const double kKnobRange = 1.5 * kPi;        // to value 1, four-thirty

// The theme.
const LICE_Pixel kBgTop = LICE_RGB(33, 37, 43);
const LICE_Pixel kBgBottom = LICE_RGB(20, 22, 26);
const LICE_Pixel kHeader = LICE_RGB(19, 21, 25);
const LICE_Pixel kRule = LICE_RGB(45, 50, 58);
const LICE_Pixel kWell = LICE_RGB(13, 15, 18);
const LICE_Pixel kFrame = LICE_RGB(56, 62, 71);
const LICE_Pixel kAccent = LICE_RGB(84, 196, 214);
const LICE_Pixel kText = LICE_RGB(224, 228, 234);
const LICE_Pixel kLabel = LICE_RGB(146, 155, 168);
// The small print: the least that reads at 4.5:1 on the lightest part of the
// background.
const LICE_Pixel kDim = LICE_RGB(134, 142, 155);
const LICE_Pixel kTrack = LICE_RGB(48, 53, 61);
const LICE_Pixel kDiscTop = LICE_RGB(72, 78, 88);
const LICE_Pixel kDiscBottom = LICE_RGB(36, 40, 46);
const LICE_Pixel kCapTop = LICE_RGB(60, 65, 74);
const LICE_Pixel kCapBottom = LICE_RGB(44, 48, 55);
const LICE_Pixel kPointer = LICE_RGB(238, 241, 245);
const LICE_Pixel kWhite = LICE_RGB(255, 255, 255);
const LICE_Pixel kBlack = LICE_RGB(0, 0, 0);
const LICE_Pixel kMeterBack = LICE_RGB(11, 12, 15);
const LICE_Pixel kMeterGreen = LICE_RGB(88, 204, 120);
const LICE_Pixel kMeterAmber = LICE_RGB(238, 180, 62);
const LICE_Pixel kMeterRed = LICE_RGB(232, 74, 68);

const char* const kSans = "Liberation Sans";
const char* const kVersion = "1.0.0";

std::unique_ptr<LICE_MemBitmap> NewBitmap(int w, int h, LICE_Pixel fill)
{
  auto bm = std::make_unique<LICE_MemBitmap>(w, h);
  LICE_Clear(bm.get(), fill);
  return bm;
}

// The mixture of a and b, t of the way to b.
LICE_Pixel Mix(LICE_Pixel a, LICE_Pixel b, double t)
{
  auto ch = [t](unsigned x, unsigned y) { return (int)(x + (double)((int)y - (int)x) * t + 0.5); };
  return LICE_RGBA(ch(LICE_GETR(a), LICE_GETR(b)), ch(LICE_GETG(a), LICE_GETG(b)),
                   ch(LICE_GETB(a), LICE_GETB(b)), ch(LICE_GETA(a), LICE_GETA(b)));
}

// A vertical gradient from top to bottom over a rectangle.
void VerticalGradient(LICE_IBitmap* bm, int x, int y, int w, int h, LICE_Pixel top,
                      LICE_Pixel bottom)
{
  const float k = 1.0f / 255.0f, n = h > 1 ? (float)(h - 1) : 1.0f;
  LICE_GradRect(bm, x, y, w, h, LICE_GETR(top) * k, LICE_GETG(top) * k, LICE_GETB(top) * k, 1.0f, 0,
                0, 0, 0, ((float)LICE_GETR(bottom) - LICE_GETR(top)) * k / n,
                ((float)LICE_GETG(bottom) - LICE_GETG(top)) * k / n,
                ((float)LICE_GETB(bottom) - LICE_GETB(top)) * k / n, 0, LICE_COMBINE_COPY);
}

// Makes the mask's red byte the layer's alpha and blends the layer into dest
// at (x, y).
void BlendThroughMask(LICE_IBitmap* dest, LICE_IBitmap* layer, LICE_IBitmap* mask, int x, int y,
                      float alpha = 1.0f)
{
  LICE_Blit(layer, mask, 0, 0, nullptr, 1.0f,
            LICE_COMBINE_CHANNELCOPY + LICE_PIXEL_A * 4 + LICE_PIXEL_R);
  LICE_Blit(dest, layer, x, y, nullptr, alpha, LICE_COMBINE_USE_SOURCE_ALPHA);
}

// The point at radius r and angle a (0 up, clockwise) around (cx, cy).
void Polar(double cx, double cy, double r, double a, double* x, double* y)
{
  *x = cx + r * std::sin(a);
  *y = cy - r * std::cos(a);
}

// A band between radii rIn and rOut from angle a0 to a1 (a0 < a1, at most a
// full turn), with round ends, in one colour, blended into dest. With bleed
// the colour reaches that much further across the band's sides and a third
// of it past the ends.
void FillBand(LICE_IBitmap* dest, double cx, double cy, double rIn, double rOut, double a0,
              double a1, LICE_Pixel color, float alpha = 1.0f, double bleed = 0.0)
{
  const int w = dest->getWidth(), h = dest->getHeight();
  auto mask = NewBitmap(w, h, kBlack);
  LICE_FillCircle(mask.get(), (float)cx, (float)cy, (float)(rOut + bleed), kWhite, 1.0f, 0, true);
  LICE_FillCircle(mask.get(), (float)cx, (float)cy, (float)(rIn - bleed), kBlack, 1.0f, 0, true);
  // Cut away the angles outside the band with wedges from the centre; their
  // straight edges end under the round ends.
  const double gap = 2.0 * kPi - (a1 - a0), piece = kPi / 8.0;
  if (gap > 1e-9)
  {
    const int pieces = (int)std::ceil(gap / piece);
    const double reach = (rOut + bleed + 4.0) / std::cos(piece);
    for (int i = 0; i < pieces; ++i)
    {
      const double b0 = a1 + gap * i / pieces, b1 = a1 + gap * (i + 1) / pieces;
      double x0, y0, x1, y1;
      Polar(cx, cy, reach, i ? b0 - 0.02 : b0, &x0, &y0);
      Polar(cx, cy, reach, i + 1 < pieces ? b1 + 0.02 : b1, &x1, &y1);
      LICE_FillTriangle(mask.get(), (int)std::lround(cx), (int)std::lround(cy),
                        (int)std::lround(x0), (int)std::lround(y0), (int)std::lround(x1),
                        (int)std::lround(y1), kBlack, 1.0f, 0);
    }
    const double rMid = (rIn + rOut) / 2.0, rEnd = (rOut - rIn) / 2.0 + bleed / 3.0;
    for (double a : {a0, a1})
    {
      double x, y;
      Polar(cx, cy, rMid, a, &x, &y);
      LICE_FillCircle(mask.get(), (float)x, (float)y, (float)rEnd, kWhite, 1.0f, 0, true);
    }
  }
  auto layer = NewBitmap(w, h, color);
  BlendThroughMask(dest, layer.get(), mask.get(), 0, 0, alpha);
}

// A filled disc in a vertical gradient, blended into dest.
void FillShadedDisc(LICE_IBitmap* dest, double cx, double cy, double r, LICE_Pixel top,
                    LICE_Pixel bottom)
{
  const int w = dest->getWidth(), h = dest->getHeight();
  auto mask = NewBitmap(w, h, kBlack);
  LICE_FillCircle(mask.get(), (float)cx, (float)cy, (float)r, kWhite, 1.0f, 0, true);
  auto layer = NewBitmap(w, h, top);
  const int y0 = (int)std::floor(cy - r), y1 = (int)std::ceil(cy + r);
  VerticalGradient(layer.get(), 0, y0, w, y1 - y0 + 1, top, bottom);
  LICE_FillRect(layer.get(), 0, y1 + 1, w, h, bottom, 1.0f, 0);
  BlendThroughMask(dest, layer.get(), mask.get(), 0, 0);
}

// A line of the given width with round ends, blended into dest: parallel
// anti-aliased lines across its width.
void ThickLine(LICE_IBitmap* dest, double x0, double y0, double x1, double y1, double width,
               LICE_Pixel color)
{
  const int w = dest->getWidth(), h = dest->getHeight();
  auto mask = NewBitmap(w, h, kBlack);
  const double len = std::hypot(x1 - x0, y1 - y0);
  if (len <= 0) return;
  const double nx = -(y1 - y0) / len, ny = (x1 - x0) / len, half = (width - 1.0) / 2.0;
  for (double o = -half; o <= half + 1e-9; o += 0.25)
    LICE_FLine(mask.get(), (float)(x0 + nx * o), (float)(y0 + ny * o), (float)(x1 + nx * o),
               (float)(y1 + ny * o), kWhite, 1.0f, 0, true);
  LICE_FillCircle(mask.get(), (float)x0, (float)y0, (float)(width / 2.0), kWhite, 1.0f, 0, true);
  LICE_FillCircle(mask.get(), (float)x1, (float)y1, (float)(width / 2.0), kWhite, 1.0f, 0, true);
  auto layer = NewBitmap(w, h, color);
  BlendThroughMask(dest, layer.get(), mask.get(), 0, 0);
}

// A filled rectangle with rounded corners (anti-aliased corners), in a
// vertical gradient from top to bottom.
void FillRoundRect(LICE_IBitmap* dest, int x, int y, int w, int h, int r, LICE_Pixel top,
                   LICE_Pixel bottom, float alpha = 1.0f)
{
  auto mask = NewBitmap(w, h, kBlack);
  LICE_FillRect(mask.get(), r, 0, w - 2 * r, h, kWhite, 1.0f, 0);
  LICE_FillRect(mask.get(), 0, r, w, h - 2 * r, kWhite, 1.0f, 0);
  const float rr = (float)r;
  for (float cx : {rr - 0.5f, (float)w - rr - 0.5f})
    for (float cy : {rr - 0.5f, (float)h - rr - 0.5f})
      LICE_FillCircle(mask.get(), cx, cy, rr, kWhite, 1.0f, 0, true);
  auto layer = NewBitmap(w, h, top);
  if (top != bottom) VerticalGradient(layer.get(), 0, 0, w, h, top, bottom);
  BlendThroughMask(dest, layer.get(), mask.get(), x, y, alpha);
}

// A one-pixel frame with rounded corners: a filled outer shape with a filled
// inner shape over it.
void RoundFrame(LICE_IBitmap* dest, int x, int y, int w, int h, int r, LICE_Pixel frame,
                LICE_Pixel fill)
{
  FillRoundRect(dest, x, y, w, h, r, frame, frame);
  FillRoundRect(dest, x + 1, y + 1, w - 2, h - 2, r - 1, fill, fill);
}

// ---- Text ----

// Where the texts of the picture being drawn go, when the caller asked for
// them.
std::vector<Text>* gTexts = nullptr;
struct TextLog
{
  explicit TextLog(std::vector<Text>* texts) { gTexts = texts; }
  ~TextLog() { gTexts = nullptr; }
};

// A font of the glyph cache that places text by its ink: a vertical position
// is where the middle of the capital letters goes.
class Font
{
public:
  Font(int emPixels, bool bold, int tracking = 0) : tracking_(tracking)
  {
    HFONT h = CreateFont(-emPixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, 0, 0, 0,
                         ANTIALIASED_QUALITY, 0, kSans);
    font_.SetFromHFont(h, LICE_FONTOPT_OWNSHANDLE);
    font_.SetBkMode(TRANSPARENT);
    MeasureCapitals();
  }

  // The advance of the text, with the tracking between characters.
  int Width(const char* text)
  {
    int w = 0, n = 0;
    ForEachChar(text, [&](const char* c, int len) { w += Advance(c, len), ++n; });
    return n ? w + tracking_ * (n - 1) : 0;
  }

  // Draws text with its capitals centred on y; align -1 left of x, 0 centred
  // on x, 1 right of x.
  void Draw(LICE_IBitmap* bm, const char* text, int x, int y, int align, LICE_Pixel color)
  {
    const int width = Width(text);
    const int left = align < 0 ? x : align == 0 ? x - width / 2 : x - width;
    const int top = y - capMiddle_;
    Put(bm, text, left, top, color);
    if (gTexts) gTexts->push_back({text, color, Ink(bm, text, left, top)});
  }

private:
  static const unsigned kFlags = DT_SINGLELINE | DT_NOPREFIX | LICE_DRAWTEXT_NO_NATIVE;

  template <class F> static void ForEachChar(const char* text, F&& f)
  {
    while (*text)
    {
      const int len = utf8char(text, nullptr);
      f(text, len);
      text += len;
    }
  }

  void Put(LICE_IBitmap* bm, const char* text, int left, int top, LICE_Pixel color)
  {
    font_.SetTextColor(color);
    ForEachChar(
        text,
        [&](const char* c, int len)
        {
          RECT r = {left, top, left + 4 * font_.GetLineHeight(), top + font_.GetLineHeight()};
          font_.DrawText(bm, c, len, &r, kFlags);
          left += Advance(c, len) + tracking_;
        });
  }

  // The bounding box of the pixels that the text at (left, top) covers in a
  // picture of bm's size.
  Rect Ink(LICE_IBitmap* bm, const char* text, int left, int top)
  {
    const int w = bm->getWidth(), h = bm->getHeight();
    auto scratch = NewBitmap(w, h, kBlack);
    Put(scratch.get(), text, left, top, kWhite);
    Rect ink = {w, h, 0, 0};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (LICE_GETR(LICE_GetPixel(scratch.get(), x, y)))
          ink = {std::min(ink.L, x), std::min(ink.T, y), std::max(ink.R, x + 1),
                 std::max(ink.B, y + 1)};
    return ink;
  }

  // The advance of one character (its glyph rendered on first use).
  int Advance(const char* c, int len)
  {
    RECT r = {0, 0, 0, 0};
    font_.DrawText(nullptr, c, len, &r, kFlags | DT_CALCRECT);
    unsigned short code = 0;
    utf8char(c, &code);
    const LICE_CachedFont::charEnt* e = font_.findChar(code);
    return e ? e->advance : r.right;
  }

  // Where the capitals' ink lies below the top of a line: draws "H" and
  // finds its first and last rows.
  void MeasureCapitals()
  {
    const int lh = font_.GetLineHeight();
    auto scratch = NewBitmap(4 * lh, lh, kBlack);
    font_.SetTextColor(kWhite);
    RECT r = {0, 0, 4 * lh, lh};
    font_.DrawText(scratch.get(), "H", -1, &r, kFlags);
    int first = -1, last = -1;
    for (int y = 0; y < lh; ++y)
      for (int x = 0; x < 4 * lh; ++x)
        if (LICE_GETR(LICE_GetPixel(scratch.get(), x, y)) > 127)
        {
          if (first < 0) first = y;
          last = y;
          break;
        }
    capMiddle_ = first < 0 ? lh / 2 : (first + last + 1) / 2;
  }

  LICE_CachedFont font_;
  int tracking_;
  int capMiddle_ = 0;
};

// ---- Knobs ----

void DrawKnobFrame(LICE_IBitmap* color, LICE_IBitmap* cover, int size, double value)
{
  const double s = size, f = s / 112.0, c = s / 2.0;
  const double rOut = c - 3.0 * f, rIn = rOut - 5.0 * f;
  const double rDisc = 0.36 * s, rCap = 0.78 * rDisc;
  const double a0 = kKnobStartAngle, a1 = kKnobStartAngle + kKnobRange;
  const double aValue = a0 + kKnobRange * value;
  const double bleed = 1.5; // colours reach this far past a shape's edge

  // Coverage: a soft shadow under the disc, the track and the disc.
  for (int i = 0; i < 4; ++i)
    LICE_FillCircle(cover, (float)c, (float)(c + 2.0 * f), (float)(rDisc + (4 - i) * f), kWhite,
                    0.12f, 0, true);
  FillBand(cover, c, c, rIn, rOut, a0, a1, kWhite);
  LICE_FillCircle(cover, (float)c, (float)c, (float)rDisc, kWhite, 1.0f, 0, true);

  // Colours. The canvas is black, the shadow's colour.
  FillBand(color, c, c, rIn, rOut, a0, a1, kTrack, 1.0f, bleed);
  if (value > 0) FillBand(color, c, c, rIn, rOut, a0, aValue, kAccent, 1.0f, bleed);
  LICE_FillCircle(color, (float)c, (float)c, (float)(rDisc + bleed), kWell, 1.0f, 0, false);
  FillShadedDisc(color, c, c, rDisc - 0.5 * f, kDiscTop, kDiscBottom);
  // A raised cap in the middle, with a shadow at its foot.
  FillShadedDisc(color, c, c + 0.6 * f, rCap, kBlack, kBlack);
  FillShadedDisc(color, c, c, rCap, kCapTop, kCapBottom);

  double x0, y0, x1, y1;
  Polar(c, c, 0.30 * rDisc, aValue, &x0, &y0);
  Polar(c, c, 0.86 * rDisc, aValue, &x1, &y1);
  ThickLine(color, x0, y0, x1, y1, 3.0 * f, kPointer);
}
} // namespace

std::unique_ptr<LICE_MemBitmap> KnobStrip(int size)
{
  const int frames = editor_layout::kKnobFrames;
  auto strip = NewBitmap(size, size * frames, 0);
  auto color = NewBitmap(size, size, kBlack);
  auto cover = NewBitmap(size, size, kBlack);
  for (int k = 0; k < frames; ++k)
  {
    LICE_Clear(color.get(), kBlack);
    LICE_Clear(cover.get(), kBlack);
    DrawKnobFrame(color.get(), cover.get(), size, (double)k / (frames - 1));
    LICE_Blit(color.get(), cover.get(), 0, 0, nullptr, 1.0f,
              LICE_COMBINE_CHANNELCOPY + LICE_PIXEL_A * 4 + LICE_PIXEL_R);
    LICE_Blit(strip.get(), color.get(), 0, k * size, nullptr, 1.0f, LICE_COMBINE_COPY);
  }
  return strip;
}

// ---- Meters ----

namespace
{
const int kSegmentPitch = 5, kSegmentHeight = 4;

// The colour of a segment whose middle is at this level (0..1 of the height).
LICE_Pixel SegmentColor(double level)
{
  const double db = (level - 1.0) * Plenmora::kMeterRangeDb;
  return db < -12.0 ? kMeterGreen : db < -3.0 ? kMeterAmber : kMeterRed;
}
} // namespace

std::unique_ptr<LICE_MemBitmap> MeterStrip()
{
  const int w = editor_layout::kMeterWidth, h = editor_layout::kMeterHeight;
  const int frames = editor_layout::kMeterFrames, segments = h / kSegmentPitch;
  auto strip = NewBitmap(w, h * frames, kMeterBack);
  for (int f = 0; f < frames; ++f)
  {
    const int lit = (int)((double)f / (frames - 1) * segments + 0.5);
    for (int i = 0; i < segments; ++i)
    {
      const int bottom = f * h + h - i * kSegmentPitch; // excluded
      const LICE_Pixel on = SegmentColor((i * kSegmentPitch + kSegmentHeight / 2.0) / h);
      const LICE_Pixel color = i < lit ? on : Mix(kMeterBack, on, 0.16);
      LICE_FillRect(strip.get(), 2, bottom - kSegmentHeight, w - 4, kSegmentHeight, color, 1.0f, 0);
      if (i < lit) // a lighter top edge
        LICE_FillRect(strip.get(), 2, bottom - kSegmentHeight, w - 4, 1, Mix(on, kWhite, 0.25),
                      1.0f, 0);
    }
  }
  return strip;
}

// ---- Background ----

namespace
{
const int kHeaderBottom = 78, kFooterTop = 516;

// The mark: a point with rings spreading to its right, fitting a square of
// the given size at (x, y).
void DrawMark(LICE_IBitmap* bm, int x, int y, int size)
{
  const double f = size / 40.0, cx = x + 8.0 * f, cy = y + size / 2.0;
  LICE_FillCircle(bm, (float)cx, (float)cy, (float)(4.0 * f), kAccent, 1.0f, 0, true);
  const double w = 2.6 * f;
  for (int i = 0; i < 3; ++i)
  {
    const double r = (11.0 + 9.0 * i) * f, spread = 0.30 * kPi - 0.05 * kPi * i;
    FillBand(bm, cx, cy, r - w / 2, r + w / 2, 0.5 * kPi - spread, 0.5 * kPi + spread, kAccent,
             1.0f - 0.25f * i);
  }
}

void DrawMeterScale(LICE_IBitmap* bm, Font& font, const Rect& pair, bool scaleRight)
{
  const int dbMarks[] = {0, -6, -12, -24, -36, -48, -60};
  for (int db : dbMarks)
  {
    const double level = (db + Plenmora::kMeterRangeDb) / Plenmora::kMeterRangeDb;
    const int y = (int)std::lround(pair.B - level * pair.H());
    const int y0 = y == pair.B ? y - 1 : y; // the bottom mark on the bar's last row
    std::string label = db ? "\xe2\x88\x92" + std::to_string(-db) : "0";
    if (scaleRight)
    {
      LICE_FillRect(bm, pair.R + 3, y0, 4, 1, kDim, 1.0f, 0);
      font.Draw(bm, label.c_str(), pair.R + 10, y0, -1, kDim);
    }
    else
    {
      LICE_FillRect(bm, pair.L - 7, y0, 4, 1, kDim, 1.0f, 0);
      font.Draw(bm, label.c_str(), pair.L - 10, y0, 1, kDim);
    }
  }
}
} // namespace

std::unique_ptr<LICE_MemBitmap> Background(std::vector<Text>* texts)
{
  using namespace editor_layout;
  TextLog log(texts);
  auto bg = NewBitmap(kWidth, kHeight, kBgTop);
  LICE_IBitmap* bm = bg.get();
  VerticalGradient(bm, 0, 0, kWidth, kHeight, kBgTop, kBgBottom);
  // Header and footer bands with hairlines.
  LICE_FillRect(bm, 0, 0, kWidth, kHeaderBottom, kHeader, 0.85f, 0);
  LICE_FillRect(bm, 0, kHeaderBottom, kWidth, 1, kRule, 1.0f, 0);
  LICE_FillRect(bm, 0, kFooterTop, kWidth, kHeight - kFooterTop, kHeader, 0.6f, 0);
  LICE_FillRect(bm, 0, kFooterTop, kWidth, 1, kRule, 1.0f, 0);

  Font wordmark(25, true), maker(11, false, 1), label(10, true, 2), small(9, false),
      preset(9, true, 2), link(12, true), tiny(10, false);

  // Wordmark.
  const Rect& about = kAboutTarget;
  DrawMark(bm, about.L, about.T + 2, 40);
  wordmark.Draw(bm, "Plenmora", about.L + 50, about.T + 17, -1, kText);
  maker.Draw(bm, "Vorlane", about.L + 51, about.T + 39, -1, kLabel);

  // Preset box: the menu writes the preset's name at its left; the arrow
  // marks it as a menu.
  const Rect& p = kPresetMenu;
  RoundFrame(bm, p.L, p.T, p.W(), p.H(), 5, kFrame, kWell);
  LICE_FillRect(bm, p.R - 28, p.T + 6, 1, p.H() - 12, kFrame, 1.0f, 0);
  {
    const int ax = p.R - 14, ay = p.MidY() + 2;
    const int xs[3] = {ax - 5, ax + 5, ax}, ys[3] = {ay - 4, ay - 4, ay + 1};
    LICE_FillConvexPolygon(bm, xs, ys, 3, kLabel, 1.0f, 0);
    LICE_Line(bm, ax - 5, ay - 4, ax, ay + 1, kLabel, 1.0f, 0, true);
    LICE_Line(bm, ax + 5, ay - 4, ax, ay + 1, kLabel, 1.0f, 0, true);
  }
  preset.Draw(bm, "PRESET", p.L - 12, p.MidY(), 1, kDim);

  // Knob labels.
  for (const Knob& k : kKnobs) label.Draw(bm, k.label, k.rect.MidX(), k.rect.B + 10, 0, kLabel);

  // Meters: a well behind each pair, the scale beside it, the name under it.
  const Rect in = {kMeters[0].L, kMeters[0].T, kMeters[1].R, kMeters[1].B};
  const Rect out = {kMeters[2].L, kMeters[2].T, kMeters[3].R, kMeters[3].B};
  for (const Rect& r : {in, out})
    RoundFrame(bm, r.L - 3, r.T - 3, r.W() + 6, r.H() + 6, 3, kRule, kMeterBack);
  DrawMeterScale(bm, small, in, true);
  DrawMeterScale(bm, small, out, false);
  label.Draw(bm, "IN", in.MidX(), in.B + 16, 0, kLabel);
  label.Draw(bm, "OUT", out.MidX(), out.B + 16, 0, kLabel);

  // Footer: the version, and the link drawn as a button with its site before
  // it.
  const std::string version = std::string("Version ") + kVersion;
  tiny.Draw(bm, version.c_str(), 26, kLink.MidY(), -1, kDim);
  const Rect& l = kLink;
  RoundFrame(bm, l.L, l.T, l.W(), l.H(), l.H() / 2, Mix(kBgBottom, kAccent, 0.55), kHeader);
  {
    const int tw = link.Width("Watch videos"), x = l.MidX() - (tw + 14) / 2, y = l.MidY();
    const int xs[3] = {x, x, x + 8}, ys[3] = {y - 5, y + 5, y};
    LICE_FillConvexPolygon(bm, xs, ys, 3, kAccent, 1.0f, 0);
    LICE_Line(bm, x, y - 5, x + 8, y, kAccent, 1.0f, 0, true);
    LICE_Line(bm, x, y + 5, x + 8, y, kAccent, 1.0f, 0, true);
    link.Draw(bm, "Watch videos", x + 14, y, -1, kAccent);
  }
  tiny.Draw(bm, "vorlane.example", l.L - 14, l.MidY(), 1, kDim);
  return bg;
}

// ---- About ----

std::unique_ptr<LICE_MemBitmap> AboutPicture(std::vector<Text>* texts)
{
  using namespace editor_layout;
  TextLog log(texts);
  auto color = NewBitmap(kWidth, kHeight, kBlack);
  auto cover = NewBitmap(kWidth, kHeight, LICE_RGB(185, 185, 185)); // the dimming
  const int pw = 340, ph = 250, px = (kWidth - pw) / 2, py = (kHeight - ph) / 2;
  FillRoundRect(cover.get(), px, py, pw, ph, 10, kWhite, kWhite);
  // The frame's colour reaches a pixel past the panel's edge.
  LICE_IBitmap* bm = color.get();
  FillRoundRect(bm, px - 1, py - 1, pw + 2, ph + 2, 11, kFrame, kFrame);
  FillRoundRect(bm, px + 1, py + 1, pw - 2, ph - 2, 9, Mix(kHeader, kBgTop, 0.7), kHeader);

  Font name(34, true), line(14, false), maker(12, false, 2), dim(11, false);
  const int cx = kWidth / 2;
  DrawMark(bm, cx - 20, py + 22, 40);
  name.Draw(bm, "Plenmora", cx, py + 96, 0, kText);
  line.Draw(bm, "Stereo reverb", cx, py + 128, 0, kLabel);
  LICE_FillRect(bm, cx - 20, py + 150, 40, 2, kAccent, 1.0f, 0);
  maker.Draw(bm, "Vorlane", cx, py + 174, 0, kText);
  const std::string version = std::string("Version ") + kVersion;
  dim.Draw(bm, version.c_str(), cx, py + 196, 0, kLabel);
  dim.Draw(bm, "Click anywhere to close", cx, py + ph - 22, 0, kDim);

  LICE_Blit(bm, cover.get(), 0, 0, nullptr, 1.0f,
            LICE_COMBINE_CHANNELCOPY + LICE_PIXEL_A * 4 + LICE_PIXEL_R);
  return color;
}

bool WriteAll(const char* folder)
{
  using namespace editor_layout;
  struct File
  {
    const char* name;
    std::unique_ptr<LICE_MemBitmap> bitmap;
    bool alpha;
  } files[] = {{kBackgroundImage, Background(), false},
               {kLargeKnobImage, KnobStrip(kLargeKnobSize), true},
               {kKnobImage, KnobStrip(kKnobSize), true},
               {kMeterImage, MeterStrip(), false},
               {kAboutImage, AboutPicture(), true}};
  bool ok = true;
  for (File& f : files)
  {
    const std::string path = std::string(folder) + "/" + f.name;
    if (!WritePNG(path.c_str(), f.bitmap.get(), f.alpha))
    {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ok = false;
    }
  }
  return ok;
}
} // namespace editor_images
