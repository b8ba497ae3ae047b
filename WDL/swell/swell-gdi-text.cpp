// Fonts and text in memory contexts, with pango and cairo (no display).
//
// Text is laid out by pango, rendered as coverage into an 8-bit scratch
// surface and blended into the context's pixels in the text colour; the alpha
// byte of the pixels is never touched.
//
// Lines are placed by this code, one cell height apart with the baseline at
// the font's ascent, so the height that measuring gives, the height that
// GetTextMetrics reports and the height of drawn text always agree.
//
// pango's font map and contexts are not thread-safe; every call that touches
// them holds one process-wide mutex.
#include "swell-gdi-internal.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>

namespace
{

std::mutex g_textMutex;
const int kDefaultCellHeight = 16;
const int kMaxFontSize = 16384; // pixels; larger requests are limited to this
const char* const kDefaultFamily = "Sans";

// The font map and a context for font metrics without hinting; both made on
// first use and kept for the life of the process. Call with the mutex held.
PangoFontMap* FontMap()
{
  static PangoFontMap* map = pango_cairo_font_map_new();
  return map;
}

PangoContext* MetricsContext()
{
  static PangoContext* ctx = []
  {
    PangoContext* c = pango_font_map_create_context(FontMap());
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(c, o);
    cairo_font_options_destroy(o);
    return c;
  }();
  return ctx;
}

void SetRenderOptions(PangoContext* ctx, int quality)
{
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_antialias(o, quality == NONANTIALIASED_QUALITY ? CAIRO_ANTIALIAS_NONE
                                                                        : CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(ctx, o);
  cairo_font_options_destroy(o);
}

std::atomic<uint64_t> g_fontSerial{0};

// Fills f (desc and metrics) for a font request. False when no font is found.
// Call with the mutex held.
bool MakeFont(SWELL_GDIObject& f, int height, int weight, bool italic, bool underline,
              bool strikeOut, int quality, const char* face)
{
  if (weight <= 0) weight = FW_NORMAL;
  height = std::min(std::max(height, -kMaxFontSize), kMaxFontSize);
  weight = std::min(std::max(weight, 100), 1000);

  PangoFontDescription* desc = pango_font_description_new();
  // set_family takes the name as it is ("Times New Roman" is one family).
  pango_font_description_set_family(desc, face && *face ? face : kDefaultFamily);
  pango_font_description_set_weight(desc, (PangoWeight)weight);
  pango_font_description_set_style(desc, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

  // The face's ascent and descent as fractions of the em, from a large
  // unhinted size.
  const double probeEm = 1000.0;
  pango_font_description_set_absolute_size(desc, probeEm * PANGO_SCALE);
  PangoFont* font = pango_font_map_load_font(FontMap(), MetricsContext(), desc);
  if (!font)
  {
    pango_font_description_free(desc);
    return false;
  }
  PangoFontMetrics* m = pango_font_get_metrics(font, nullptr);
  const double ascent = pango_font_metrics_get_ascent(m) / (double)PANGO_SCALE / probeEm;
  const double descent = pango_font_metrics_get_descent(m) / (double)PANGO_SCALE / probeEm;
  const double avgWidth =
      pango_font_metrics_get_approximate_char_width(m) / (double)PANGO_SCALE / probeEm;
  pango_font_metrics_unref(m);
  g_object_unref(font);
  const double cellPerEm = ascent + descent > 0.1 ? ascent + descent : 1.0;

  // A positive height is the cell (ascent + descent), a negative one the em.
  int cell;
  double em;
  if (height < 0)
  {
    em = -(double)height;
    cell = std::max(1, (int)std::lround(em * cellPerEm));
  }
  else
  {
    cell = height > 0 ? height : kDefaultCellHeight;
    em = cell / cellPerEm;
  }
  pango_font_description_set_absolute_size(desc, em * PANGO_SCALE);

  f.kind = SWELL_GDI_FONT;
  f.serial = ++g_fontSerial;
  f.desc = desc;
  f.quality = quality;
  TEXTMETRIC& tm = f.tm;
  tm.tmHeight = cell;
  tm.tmAscent = std::min(cell, (int)std::lround(cell * ascent / cellPerEm));
  tm.tmDescent = cell - tm.tmAscent;
  tm.tmInternalLeading = std::max(0, cell - (int)std::lround(em));
  tm.tmExternalLeading = 0;
  tm.tmAveCharWidth = std::max(1, (int)std::lround(avgWidth * em));
  tm.tmWeight = weight;
  tm.tmItalic = italic;
  tm.tmUnderlined = underline;
  tm.tmStruckOut = strikeOut;
  return true;
}

// The font a context draws with: its selected font, or the default font.
// Call with the mutex held.
const SWELL_GDIObject* ContextFont(const SWELL_GDIContext* c)
{
  const SWELL_GDIObject* f = SWELL_GetObject(c->font, SWELL_GDI_FONT);
  if (f && f->serial == c->fontSerial) return f;
  static SWELL_GDIObject* def = []
  {
    auto* made = new SWELL_GDIObject();
    if (!MakeFont(*made, 0, FW_NORMAL, false, false, false, DEFAULT_QUALITY, nullptr))
    {
      delete made;
      return (SWELL_GDIObject*)nullptr;
    }
    return made;
  }();
  return def;
}

// Makes the context's layout ready for font f. Call with the mutex held.
bool PrepareLayout(SWELL_GDIContext* c, const SWELL_GDIObject* f)
{
  if (!c->pango)
  {
    c->pango = pango_font_map_create_context(FontMap());
    if (!c->pango) return false;
  }
  if (!c->layout)
  {
    c->layout = pango_layout_new(c->pango);
    if (!c->layout) return false;
    c->layoutFont = 0;
    c->layoutQuality = -1;
  }
  if (c->layoutQuality != f->quality)
  {
    SetRenderOptions(c->pango, f->quality);
    pango_layout_context_changed(c->layout);
    c->layoutQuality = f->quality;
  }
  if (c->layoutFont != f->serial)
  {
    pango_layout_set_font_description(c->layout, f->desc);
    PangoAttrList* attrs = nullptr;
    if (f->tm.tmUnderlined || f->tm.tmStruckOut)
    {
      attrs = pango_attr_list_new();
      if (f->tm.tmUnderlined)
        pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
      if (f->tm.tmStruckOut) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
    }
    pango_layout_set_attributes(c->layout, attrs);
    if (attrs) pango_attr_list_unref(attrs);
    c->layoutFont = f->serial;
  }
  return true;
}

// The text as it is drawn: up to len bytes or a zero byte, '&' prefixes
// resolved unless DT_NOPREFIX, line breaks turned into spaces with
// DT_SINGLELINE, invalid UTF-8 replaced.
void PrepareText(std::string& out, const char* text, int len, int flags)
{
  out.clear();
  const size_t n = len < 0 ? strlen(text) : strnlen(text, (size_t)len);
  for (size_t i = 0; i < n; i++)
  {
    char ch = text[i];
    if (ch == '&' && !(flags & DT_NOPREFIX))
    {
      if (++i >= n) break;
      ch = text[i];
    }
    if ((flags & DT_SINGLELINE) && (ch == '\r' || ch == '\n'))
    {
      if (ch == '\r' && i + 1 < n && text[i + 1] == '\n') i++;
      ch = ' ';
    }
    out += ch;
  }
  if (!g_utf8_validate(out.data(), (gssize)out.size(), nullptr))
  {
    gchar* valid = g_utf8_make_valid(out.data(), (gssize)out.size());
    out = valid;
    g_free(valid);
  }
}

// Lays the text out; gives the block's width. Call with the mutex held.
int LayOut(SWELL_GDIContext* c)
{
  c->lines.clear();
  if (c->text.empty()) return 0;
  pango_layout_set_text(c->layout, c->text.data(), (int)c->text.size());
  int width = 0;
  for (GSList* l = pango_layout_get_lines_readonly(c->layout); l; l = l->next)
  {
    auto* line = static_cast<PangoLayoutLine*>(l->data);
    PangoRectangle logical;
    pango_layout_line_get_pixel_extents(line, nullptr, &logical);
    c->lines.push_back({line, logical.x, logical.width, 0});
    width = std::max(width, logical.width);
  }
  return width;
}

// Limits a position to a range far outside any buffer.
inline int Limit(long long v)
{
  const long long kFar = 1 << 29;
  return (int)std::min(kFar, std::max(-kFar, v));
}

inline unsigned char Mix(unsigned char dst, int src, int cover)
{
  return (unsigned char)((dst * (255 - cover) + src * cover + 127) / 255);
}

// Fills a box of the pixels with an RGB colour, alpha bytes unchanged.
void FillRGB(SWELL_GDIContext* c, int l, int t, int r, int b, int color)
{
  const unsigned char red = (color >> 16) & 255, green = (color >> 8) & 255, blue = color & 255;
  for (int y = t; y < b; y++)
  {
    unsigned char* p = c->bits + ((size_t)y * c->width + l) * 4;
    for (int x = l; x < r; x++, p += 4)
    {
      p[1] = red;
      p[2] = green;
      p[3] = blue;
    }
  }
}

// Renders the laid-out lines (line i's box at its left, top + i * cell) as
// coverage over the area [l, t, r, b) and blends it into the pixels.
void RenderLines(SWELL_GDIContext* c, const SWELL_GDIObject* f, int top, int l, int t, int r, int b)
{
  const int w = r - l, h = b - t;
  if (c->coverage && (cairo_image_surface_get_width(c->coverage) < w ||
                      cairo_image_surface_get_height(c->coverage) < h))
  {
    cairo_surface_destroy(c->coverage);
    c->coverage = nullptr;
  }
  if (!c->coverage)
  {
    c->coverage = cairo_image_surface_create(CAIRO_FORMAT_A8, std::max(w, 64), std::max(h, 32));
    if (cairo_surface_status(c->coverage) != CAIRO_STATUS_SUCCESS)
    {
      cairo_surface_destroy(c->coverage);
      c->coverage = nullptr;
      return;
    }
  }
  cairo_surface_t* s = c->coverage;
  cairo_surface_flush(s);
  unsigned char* cov = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < h; y++) memset(cov + (size_t)y * stride, 0, (size_t)w);
  cairo_surface_mark_dirty(s);

  cairo_t* cr = cairo_create(s);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_clip(cr);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  for (size_t i = 0; i < c->lines.size(); i++)
  {
    const long long lineTop = top + (long long)i * f->tm.tmHeight;
    if (lineTop >= b || lineTop + f->tm.tmHeight * 2 <= t) continue;
    cairo_move_to(cr, c->lines[i].left - c->lines[i].x - l, lineTop + f->tm.tmAscent - t);
    pango_cairo_show_layout_line(cr, c->lines[i].line);
  }
  cairo_destroy(cr);
  cairo_surface_flush(s);

  const int red = (c->textColor >> 16) & 255, green = (c->textColor >> 8) & 255,
            blue = c->textColor & 255;
  for (int y = 0; y < h; y++)
  {
    const unsigned char* cv = cov + (size_t)y * stride;
    unsigned char* p = c->bits + ((size_t)(t + y) * c->width + l) * 4;
    for (int x = 0; x < w; x++, p += 4)
    {
      const int k = cv[x];
      if (!k) continue;
      if (k == 255)
      {
        p[1] = (unsigned char)red;
        p[2] = (unsigned char)green;
        p[3] = (unsigned char)blue;
      }
      else
      {
        p[1] = Mix(p[1], red, k);
        p[2] = Mix(p[2], green, k);
        p[3] = Mix(p[3], blue, k);
      }
    }
  }
}

} // namespace

void SWELL_ReleaseTextState(SWELL_GDIContext* c)
{
  std::lock_guard<std::mutex> lock(g_textMutex);
  c->lines.clear();
  if (c->layout) g_object_unref(c->layout);
  if (c->pango) g_object_unref(c->pango);
  if (c->coverage) cairo_surface_destroy(c->coverage);
  c->layout = nullptr;
  c->pango = nullptr;
  c->coverage = nullptr;
}

void SWELL_ReleaseFont(SWELL_GDIObject* f)
{
  std::lock_guard<std::mutex> lock(g_textMutex);
  if (f->desc) pango_font_description_free(f->desc);
  f->desc = nullptr;
}

HFONT CreateFont(int height, int, int, int, int weight, char italic, char underline, char strikeOut,
                 char, char, char, char quality, char, const char* faceName)
{
  SWELL_GDIObject made;
  {
    std::lock_guard<std::mutex> lock(g_textMutex);
    if (!MakeFont(made, height, weight, italic != 0, underline != 0, strikeOut != 0, quality,
                  faceName))
      return nullptr;
  }
  SWELL_GDIObject* f = SWELL_ObjectPool().Alloc();
  *f = made;
  return reinterpret_cast<HFONT>(f);
}

BOOL GetTextMetrics(HDC ctx, TEXTMETRIC* tm)
{
  SWELL_GDIContext* c = SWELL_GetContext(ctx);
  if (!c || !tm) return FALSE;
  std::lock_guard<std::mutex> lock(g_textMutex);
  const SWELL_GDIObject* f = ContextFont(c);
  if (!f) return FALSE;
  *tm = f->tm;
  return TRUE;
}

int SWELL_DrawText(HDC ctx, const char* text, int len, RECT* r, int flags)
{
  SWELL_GDIContext* c = SWELL_GetContext(ctx);
  if (!c || !r || !text) return 0;
  std::lock_guard<std::mutex> lock(g_textMutex);
  const SWELL_GDIObject* f = ContextFont(c);
  if (!f || !PrepareLayout(c, f)) return 0;

  PrepareText(c->text, text, len, flags);
  const int width = LayOut(c);
  const int cell = f->tm.tmHeight;
  // Positions are worked out in 64 bits and limited to a range far outside
  // any buffer, so extreme rectangles cannot overflow.
  const int height = Limit((long long)c->lines.size() * cell);
  if (flags & DT_CALCRECT)
  {
    r->right = Limit((long long)r->left + width);
    r->bottom = Limit((long long)r->top + height);
    return height ? height + 1 : 0;
  }
  if (!height) return 0;

  // Where the text goes.
  const long long rl = r->left, rt = r->top, rr = r->right, rb = r->bottom;
  long long top = rt;
  if (flags & DT_VCENTER)
    top += ((rb - rt) - height) / 2;
  else if (flags & DT_BOTTOM)
    top = rb - height;
  long long boxLeft = 0, boxRight = 0;
  for (size_t i = 0; i < c->lines.size(); i++)
  {
    const int w = c->lines[i].width;
    long long x = rl;
    if (flags & DT_CENTER)
      x = rl + ((rr - rl) - w) / 2;
    else if (flags & DT_RIGHT)
      x = rr - w;
    c->lines[i].left = Limit(x);
    boxLeft = i ? std::min(boxLeft, x) : x;
    boxRight = i ? std::max(boxRight, x + w) : x + w;
  }

  // The clip: the buffer, and the rectangle unless DT_NOCLIP.
  long long cl = 0, ct = 0, cr = c->width, cb = c->height;
  if (!(flags & DT_NOCLIP))
  {
    cl = std::max(cl, rl);
    ct = std::max(ct, rt);
    cr = std::min(cr, rr);
    cb = std::min(cb, rb);
  }
  if (cl >= cr || ct >= cb) return height + 1;

  if (c->bkMode == OPAQUE)
  {
    const long long l = std::max(cl, boxLeft), t = std::max(ct, top);
    const long long rgt = std::min(cr, boxRight), b = std::min(cb, top + height);
    if (l < rgt && t < b) FillRGB(c, (int)l, (int)t, (int)rgt, (int)b, c->bkColor);
  }

  // Ink may reach past the line boxes (overhangs, accents): render a margin.
  const int margin = cell / 2 + 2;
  const long long l = std::max(cl, boxLeft - margin), t = std::max(ct, top - margin);
  const long long rgt = std::min(cr, boxRight + margin), b = std::min(cb, top + height + margin);
  if (l < rgt && t < b) RenderLines(c, f, Limit(top), (int)l, (int)t, (int)rgt, (int)b);
  return height + 1;
}
