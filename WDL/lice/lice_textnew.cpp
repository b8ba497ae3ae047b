// The glyph-cached font: glyphs rendered once through the window layer into a
// shared scratch bitmap, kept as coverage masks and blended into targets;
// and the native route, where the window layer draws the text itself.
#include "lice_text.h"

#include "../swell/swell-gdi.h"
#include "lice_combine.h"
#include "lice_draw_select.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

// Scratch state shared by every cached font.
static LICE_SysBitmap* s_tempbitmap;
static LICE_SysBitmap* s_nativerender_tempbitmap;
static int s_tempbitmap_refcnt;

namespace
{

// Text offsets beyond this many pixels are as far off as they need be.
const long long kFarOff = 1LL << 30;

// Effect options: any of them rules the native route out.
const int kEffectFlags = LICE_FONTOPT_VERTICAL | LICE_FONTOPT_BOTTOMUP | LICE_FONTOPT_BLUR |
                         LICE_FONTOPT_INVERT | LICE_FONTOPT_MONO | LICE_FONTOPT_SHADOW |
                         LICE_FONTOPT_OUTLINE;

// The window layer's colour value (red in bits 16-23) of a pixel word.
inline int NativeColor(LICE_Pixel p)
{
  return (int)((LICE_GETR(p) << 16) | (LICE_GETG(p) << 8) | LICE_GETB(p));
}

inline bool IsCont(unsigned char c) { return c >= 0x80 && c <= 0xbf; }

// utf8char limited to max bytes (max < 0: no limit but the terminator, which
// is never a continuation byte).
int Utf8CharLimited(const char* ptr, int max, unsigned short* out)
{
  const unsigned char* p = (const unsigned char*)ptr;
  const unsigned char b0 = p[0];
  auto has = [&](int n)
  {
    if (max >= 0 && max < n) return false;
    for (int i = 1; i < n; ++i)
      if (!IsCont(p[i])) return false;
    return true;
  };
  unsigned short c = b0;
  int len = 1;
  if (b0 >= 0xc2 && b0 <= 0xdf && has(2))
  {
    c = (unsigned short)(((b0 & 0x1f) << 6) | (p[1] & 0x3f));
    len = 2;
  }
  else if (b0 >= 0xe0 && b0 <= 0xef && has(3))
  {
    c = (unsigned short)(((b0 & 0x0f) << 12) | ((p[1] & 0x3f) << 6) | (p[2] & 0x3f));
    len = 3;
  }
  else if (b0 >= 0xf0 && b0 <= 0xf4 && has(4))
  {
    c = ' ';
    len = 4;
  }
  if (out) *out = c;
  return len;
}

// Makes sure the glyph scratch bitmap exists and is at least size x size,
// set up to draw white on black.
bool PrepareGlyphScratch(int minsize, int newsize)
{
  if (!s_tempbitmap) s_tempbitmap = new LICE_SysBitmap(0, 0);
  if (s_tempbitmap->getWidth() < minsize || s_tempbitmap->getHeight() < minsize)
  {
    s_tempbitmap->resize(newsize, newsize);
    HDC dc = s_tempbitmap->getDC();
    if (dc)
    {
      ::SetTextColor(dc, RGB(255, 255, 255));
      ::SetBkMode(dc, OPAQUE);
      ::SetBkColor(dc, 0);
    }
  }
  return s_tempbitmap->getDC() && s_tempbitmap->getBits();
}

#define LICE_PIXCH(p) ((unsigned char*)(p))

// Blending of one glyph mask into a destination; one instance per functor.
template <class F> struct GlyphRenderer
{
  static void Normal(const unsigned char* src, int srcspan, LICE_Pixel* dest, int destspan, int w,
                     int h, int r, int g, int b, int a)
  {
    for (int y = 0; y < h; ++y, src += srcspan, dest += destspan)
      for (int x = 0; x < w; ++x)
      {
        const int v = src[x];
        if (!v) continue;
        int wt;
        if (a == 256)
          wt = v + 1;
        else
        {
          wt = v * a / 256;
          if (wt > 256) wt = 256;
        }
        F::doPix(LICE_PIXCH(dest + x), r, g, b, 255, wt);
      }
  }
  static void Mono(const unsigned char* src, int srcspan, LICE_Pixel* dest, int destspan, int w,
                   int h, int r, int g, int b, int a)
  {
    for (int y = 0; y < h; ++y, src += srcspan, dest += destspan)
      for (int x = 0; x < w; ++x)
        if (src[x]) F::doPix(LICE_PIXCH(dest + x), r, g, b, 255, a);
  }
  static void Effect(const unsigned char* src, int srcspan, LICE_Pixel* dest, int destspan, int w,
                     int h, int r, int g, int b, int a, int er, int eg, int eb)
  {
    for (int y = 0; y < h; ++y, src += srcspan, dest += destspan)
      for (int x = 0; x < w; ++x)
      {
        const int v = src[x];
        if (!v) continue;
        if (v < 255)
          F::doPix(LICE_PIXCH(dest + x), er, eg, eb, 255, a);
        else
          F::doPix(LICE_PIXCH(dest + x), r, g, b, 255, a);
      }
  }
};

} // namespace

int utf8char(const char* ptr, unsigned short* out) { return Utf8CharLimited(ptr, -1, out); }

int utf8makechar(char* ptrout, unsigned short charIn)
{
  const unsigned int c = charIn;
  if (c < 0x80)
  {
    ptrout[0] = (char)c;
    return 1;
  }
  if (c < 0x800)
  {
    ptrout[0] = (char)(0xc0 | (c >> 6));
    ptrout[1] = (char)(0x80 | (c & 0x3f));
    return 2;
  }
  ptrout[0] = (char)(0xe0 | ((c >> 12) & 0x0f));
  ptrout[1] = (char)(0x80 | ((c >> 6) & 0x3f));
  ptrout[2] = (char)(0x80 | (c & 0x3f));
  return 3;
}

bool LICE_Text_IsWine() { return false; }

LICE_CachedFont::LICE_CachedFont()
    : m_fg(0), m_bg(0xffffffffu), m_effectcol(0xffffffffu), m_bgmode(0), m_comb(0), m_alpha(1.0f),
      m_flags(0), m_line_height(0), m_lsadj(0), m_extracharlist(4096), m_cachestore(65536),
      m_font(nullptr)
{
  memset(m_lowchars, 0, sizeof(m_lowchars));
  ++s_tempbitmap_refcnt;
}

LICE_CachedFont::~LICE_CachedFont()
{
  if ((m_flags & LICE_FONTOPT_OWNSHANDLE) && m_font) DeleteObject(m_font);
  if (--s_tempbitmap_refcnt == 0)
  {
    delete s_tempbitmap;
    s_tempbitmap = nullptr;
    delete s_nativerender_tempbitmap;
    s_nativerender_tempbitmap = nullptr;
  }
}

LICE_Pixel LICE_CachedFont::SetTextColor(LICE_Pixel color)
{
  const LICE_Pixel old = m_fg;
  m_fg = color;
  return old;
}

LICE_Pixel LICE_CachedFont::SetBkColor(LICE_Pixel color)
{
  const LICE_Pixel old = m_bg;
  m_bg = color;
  return old;
}

LICE_Pixel LICE_CachedFont::SetEffectColor(LICE_Pixel color)
{
  const LICE_Pixel old = m_effectcol;
  m_effectcol = color;
  return old;
}

int LICE_CachedFont::SetBkMode(int mode)
{
  const int old = m_bgmode;
  m_bgmode = mode;
  return old;
}

void LICE_CachedFont::SetCombineMode(int mode, float alpha)
{
  m_comb = mode;
  m_alpha = alpha;
}

void LICE_CachedFont::SetFromHFont(HGDIOBJ font, int flags)
{
  if ((m_flags & LICE_FONTOPT_OWNSHANDLE) && m_font && m_font != font) DeleteObject(m_font);
  m_flags = flags;
  m_font = font;
  if (font && PrepareGlyphScratch(256, 256))
  {
    HDC dc = s_tempbitmap->getDC();
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRIC tm;
    memset(&tm, 0, sizeof(tm));
    if (GetTextMetrics(dc, &tm)) m_line_height = tm.tmHeight;
    SelectObject(dc, old);
  }
  memset(m_lowchars, 0, sizeof(m_lowchars));
  m_extracharlist.Resize(0, false);
  m_cachestore.Resize(0, true);
  if (m_flags & LICE_FONTOPT_ASCIIONLY)
    for (int c = 0; c < 128; ++c) RenderGlyph((unsigned short)c);
}

int LICE_CachedFont::_charSortFunc(const void* a, const void* b)
{
  return ((const charEnt*)a)->charid - ((const charEnt*)b)->charid;
}

LICE_CachedFont::charEnt* LICE_CachedFont::findCharMutable(unsigned short c)
{
  if (c < 128) return m_lowchars + c;
  const int n = m_extracharlist.GetSize();
  if (!n) return nullptr;
  charEnt key;
  memset(&key, 0, sizeof(key));
  key.charid = c;
  return (charEnt*)bsearch(&key, m_extracharlist.Get(), (size_t)n, sizeof(charEnt), _charSortFunc);
}

const LICE_CachedFont::charEnt* LICE_CachedFont::findChar(unsigned short c)
{
  return findCharMutable(c);
}

bool LICE_CachedFont::RenderGlyph(unsigned short idx)
{
  if (m_line_height >= 1024) return false;
  bool added = false;
  charEnt* ent;
  if (idx < 128)
    ent = m_lowchars + idx;
  else
  {
    ent = findCharMutable(idx);
    if (!ent)
    {
      if (m_flags & LICE_FONTOPT_ASCIIONLY) return false;
      charEnt blank;
      memset(&blank, 0, sizeof(blank));
      blank.charid = idx;
      ent = m_extracharlist.Add(blank);
      if (!ent) return false;
      added = true;
    }
  }

  auto finish = [&]()
  {
    if (added && m_extracharlist.GetSize() > 1)
      qsort(m_extracharlist.Get(), (size_t)m_extracharlist.GetSize(), sizeof(charEnt),
            _charSortFunc);
    return true;
  };
  auto nothing = [&]()
  {
    ent->base_offset = -1;
    ent->width = ent->height = ent->advance = 0;
    return finish();
  };

  const int lh = m_line_height > 1 ? m_line_height : 1;
  const int s = 2 * lh + 8;
  if (!PrepareGlyphScratch(s, s)) return nothing();
  HDC dc = s_tempbitmap->getDC();
  HGDIOBJ oldfont = nullptr;
  if (m_font) oldfont = SelectObject(dc, m_font);

  char buf[6] = {0, 0, 0, 0, 0, 0};
  if (idx < 128)
    buf[0] = (char)idx;
  else
    utf8makechar(buf, idx);

  RECT r = {0, 0, 0, 0};
  SWELL_DrawText(dc, buf, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  int advance = r.right;
  const int pad = m_line_height < 16 ? 2 : m_line_height / 16 + 2;
  r.right += pad;
  LICE_FillRect(s_tempbitmap, 0, 0, r.right, r.bottom, 0, 1.0f, 0);
  SWELL_DrawText(dc, buf, -1, &r, DT_SINGLELINE | DT_NOPREFIX);

  const int sw = s_tempbitmap->getWidth(), sh = s_tempbitmap->getHeight();
  if (advance > sw) advance = sw;
  if (r.right > sw) r.right = sw;
  if (r.bottom > sh) r.bottom = sh;
  if (m_font) SelectObject(dc, oldfont);
  int w = r.right, h = r.bottom;
  if (advance < 1 || h < 1 || w < 1) return nothing();

  ent->advance = advance;
  if (m_flags & LICE_FONTOPT_BLUR) LICE_Blur(s_tempbitmap, s_tempbitmap, 0, 0, 0, 0, w, h);

  const int start = m_cachestore.GetSize();
  m_cachestore.Resize(start + w * h, false);
  if (m_cachestore.GetSize() != start + w * h) return nothing();
  ent->base_offset = start + 1;
  unsigned char* mask = m_cachestore.Get() + start;

  // Coverage is the red channel (byte 1 of each pixel) of the scratch.
  const int span = s_tempbitmap->getRowSpan();
  const bool flipped = s_tempbitmap->isFlipped();
  const bool invert = (m_flags & LICE_FONTOPT_INVERT) != 0;
  int used = advance;
  for (int y = 0; y < h; ++y)
  {
    const LICE_Pixel* row = s_tempbitmap->getBits() + (flipped ? sh - 1 - y : y) * span;
    unsigned char* out = mask + y * w;
    for (int x = 0; x < w; ++x)
    {
      const unsigned char v = ((const unsigned char*)(row + x))[LICE_PIXEL_R];
      out[x] = invert ? (unsigned char)(255 - v) : v;
      if (v && x >= used) used = x + 1;
    }
  }
  if (used < w)
  {
    for (int y = 1; y < h; ++y) memmove(mask + y * used, mask + y * w, (size_t)used);
    w = used;
    m_cachestore.Resize(start + w * h, false);
    mask = m_cachestore.Get() + start;
  }

  if (m_flags & LICE_FONTOPT_VERTICAL)
  {
    // Turn a quarter turn, using the scratch pixels as the temporary copy
    // (w x h bytes always fit in its s x s pixels).
    unsigned char* tmp = (unsigned char*)s_tempbitmap->getBits();
    memcpy(tmp, mask, (size_t)(w * h));
    const int ow = w, oh = h;
    w = oh;
    h = ow;
    const bool bottomup = (m_flags & LICE_FONTOPT_BOTTOMUP) != 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        mask[y * w + x] = bottomup ? tmp[x * ow + (ow - 1 - y)] : tmp[(oh - 1 - x) * ow + y];
  }

  const int n = w * h;
  if (m_flags & (LICE_FONTOPT_MONO | LICE_FONTOPT_SHADOW | LICE_FONTOPT_OUTLINE))
    for (int i = 0; i < n; ++i) mask[i] = mask[i] < 131 ? 0 : 255;
  if (m_flags & (LICE_FONTOPT_SHADOW | LICE_FONTOPT_OUTLINE))
  {
    const bool shadow = (m_flags & LICE_FONTOPT_SHADOW) != 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        unsigned char* p = mask + y * w + x;
        if (*p) continue;
        const bool left = x > 0 && p[-1] == 255;
        const bool up = y > 0 && p[-w] == 255;
        bool mark;
        if (shadow)
          mark = left || up || (x > 0 && y > 0 && p[-w - 1] == 255);
        else
          mark = left || up || (x < w - 1 && p[1] == 255) || (y < h - 1 && p[w] == 255);
        if (mark) *p = 128;
      }
  }
  ent->width = w;
  ent->height = h;
  return finish();
}

bool LICE_CachedFont::DrawGlyph(LICE_IBitmap* bm, unsigned short c, int xpos, int ypos,
                                const RECT* clipR)
{
  const charEnt* ent = findChar(c);
  if (!ent || ent->base_offset <= 0) return false;
  if (xpos >= clipR->right || ypos >= clipR->bottom ||
      (long long)xpos + ent->width <= clipR->left || (long long)ypos + ent->height <= clipR->top)
    return false;
  const unsigned char* src = m_cachestore.Get() + ent->base_offset - 1;
  const int srcspan = ent->width;
  int w = ent->width, h = ent->height;
  if (xpos < clipR->left)
  {
    src += clipR->left - xpos;
    w -= clipR->left - xpos;
    xpos = clipR->left;
  }
  if (ypos < clipR->top)
  {
    src += srcspan * (clipR->top - ypos);
    h -= clipR->top - ypos;
    ypos = clipR->top;
  }
  if ((long long)xpos + w > clipR->right) w = clipR->right - xpos;
  if ((long long)ypos + h > clipR->bottom) h = clipR->bottom - ypos;
  if (w <= 0 || h <= 0) return false;
  LICE_Pixel* bits = bm->getBits();
  if (!bits) return false;
  int span = bm->getRowSpan();
  LICE_Pixel* dest;
  if (bm->isFlipped())
  {
    dest = bits + (bm->getHeight() - 1 - ypos) * span + xpos;
    span = -span;
  }
  else
    dest = bits + ypos * span + xpos;

  const int mode = m_comb & ~LICE_COMBINE_USE_SOURCE_ALPHA;
  const float alpha = m_alpha;
  if (m_bgmode == 1) LICE_FillRect(bm, xpos, ypos, w, h, m_bg, alpha, mode);
  const int r = (int)LICE_GETR(m_fg), g = (int)LICE_GETG(m_fg), b = (int)LICE_GETB(m_fg);
  int a = LICE_DrawWeight(alpha);
  const bool plainCopy = alpha == 1.0f && (mode & 0xff) == 0;

  if (m_flags & LICE_FONTOPT_MONO)
  {
    if (plainCopy)
    {
      for (int y = 0; y < h; ++y, src += srcspan, dest += span)
        for (int x = 0; x < w; ++x)
          if (src[x]) dest[x] = m_fg;
      return true;
    }
    if (a > 256) a = 256;
    LICE_DispatchFill(mode, a,
                      [&](auto tag)
                      {
                        using F = typename decltype(tag)::type;
                        GlyphRenderer<F>::Mono(src, srcspan, dest, span, w, h, r, g, b, a);
                      });
    return true;
  }
  if (m_flags & (LICE_FONTOPT_SHADOW | LICE_FONTOPT_OUTLINE))
  {
    if (plainCopy)
    {
      for (int y = 0; y < h; ++y, src += srcspan, dest += span)
        for (int x = 0; x < w; ++x)
          if (src[x]) dest[x] = src[x] < 255 ? m_effectcol : m_fg;
      return true;
    }
    if (a > 256) a = 256;
    const int er = (int)LICE_GETR(m_effectcol), eg = (int)LICE_GETG(m_effectcol),
              eb = (int)LICE_GETB(m_effectcol);
    LICE_DispatchFill(mode, a,
                      [&](auto tag)
                      {
                        using F = typename decltype(tag)::type;
                        GlyphRenderer<F>::Effect(src, srcspan, dest, span, w, h, r, g, b, a, er, eg,
                                                 eb);
                      });
    return true;
  }
  LICE_DispatchFill(mode, a,
                    [&](auto tag)
                    {
                      using F = typename decltype(tag)::type;
                      GlyphRenderer<F>::Normal(src, srcspan, dest, span, w, h, r, g, b, a);
                    });
  return true;
}

void LICE_CachedFont::SetNativeColors(HDC dc)
{
  ::SetTextColor(dc, NativeColor(m_fg));
  ::SetBkMode(dc, m_bgmode);
  if (m_bgmode == 1) ::SetBkColor(dc, NativeColor(m_bg));
}

int LICE_CachedFont::DrawNative(LICE_IBitmap* bm, const char* str, int len, RECT* rect,
                                unsigned int dtFlags)
{
  HDC dc = bm ? bm->getDC() : nullptr;
  if (dc)
  {
    HGDIOBJ old = SelectObject(dc, m_font);
    SetNativeColors(dc);
    RECT rr = *rect;
    const int ret = SWELL_DrawText(dc, str, len, &rr, (int)(dtFlags | DT_NOPREFIX));
    if (dtFlags & DT_CALCRECT) *rect = rr;
    SelectObject(dc, old);
    return ret;
  }

  // Through a scratch context: measure, copy the box of the target in, draw,
  // and copy it back.
  if (!s_nativerender_tempbitmap) s_nativerender_tempbitmap = new LICE_SysBitmap(0, 0);
  if (s_nativerender_tempbitmap->getWidth() < 4 || s_nativerender_tempbitmap->getHeight() < 4)
    s_nativerender_tempbitmap->resize(4, 4);
  dc = s_nativerender_tempbitmap->getDC();
  if (!dc) return 0;
  HGDIOBJ old = SelectObject(dc, m_font);
  RECT m = {0, 0, 0, 0};
  const int ret =
      SWELL_DrawText(dc, str, len, &m,
                     (int)((dtFlags & ~(DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT)) |
                           DT_CALCRECT | DT_NOPREFIX));
  if (dtFlags & DT_CALCRECT)
  {
    rect->right = rect->left + m.right;
    rect->bottom = rect->top + m.bottom;
    SelectObject(dc, old);
    return ret;
  }
  if (!bm)
  {
    SelectObject(dc, old);
    return ret;
  }

  // The box in 64 bits: the rectangle may span most of the int range.
  long long x0, y0;
  if (dtFlags & DT_RIGHT)
    x0 = (long long)rect->right - m.right;
  else if (dtFlags & DT_CENTER)
    x0 = ((long long)rect->left + rect->right - m.right) / 2;
  else
    x0 = rect->left;
  if (dtFlags & DT_BOTTOM)
    y0 = (long long)rect->bottom - m.bottom;
  else if (dtFlags & DT_VCENTER)
    y0 = ((long long)rect->top + rect->bottom - m.bottom) / 2;
  else
    y0 = rect->top;
  long long x1 = x0 + m.right, y1 = y0 + m.bottom;
  if (x1 > bm->getWidth()) x1 = bm->getWidth();
  if (y1 > bm->getHeight()) y1 = bm->getHeight();
  long long clipx = 0, clipy = 0;
  if (!(dtFlags & DT_NOCLIP))
  {
    if (x1 > rect->right) x1 = rect->right;
    if (y1 > rect->bottom) y1 = rect->bottom;
    clipx = rect->left > 0 ? rect->left : 0;
    clipy = rect->top > 0 ? rect->top : 0;
  }
  // The text's offset inside the box; beyond a billion pixels it is as far
  // off as it can be, and the window layer gets room to add its extent.
  int offx = 0, offy = 0;
  if (x0 < clipx)
  {
    offx = (int)std::max(x0 - clipx, -kFarOff);
    x0 = clipx;
  }
  if (y0 < clipy)
  {
    offy = (int)std::max(y0 - clipy, -kFarOff);
    y0 = clipy;
  }
  if (x1 <= x0 || y1 <= y0)
  {
    SelectObject(dc, old);
    return ret;
  }
  dtFlags &= ~(unsigned int)(DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT | DT_NOCLIP);
  const int bw = (int)(x1 - x0), bh = (int)(y1 - y0);
  if (s_nativerender_tempbitmap->getWidth() < bw || s_nativerender_tempbitmap->getHeight() < bh)
  {
    SelectObject(dc, old);
    s_nativerender_tempbitmap->resize(bw, bh);
    dc = s_nativerender_tempbitmap->getDC();
    if (!dc) return 0;
    old = SelectObject(dc, m_font);
  }
  LICE_Blit(s_nativerender_tempbitmap, bm, 0, 0, (int)x0, (int)y0, bw, bh, 1.0f, 0);
  SetNativeColors(dc);
  RECT tr = {offx, offy, (int)x1, (int)y1};
  const int dret = SWELL_DrawText(dc, str, len, &tr, (int)(dtFlags | DT_NOPREFIX));
  LICE_Blit(bm, s_nativerender_tempbitmap, (int)x0, (int)y0, 0, 0, bw, bh, m_alpha, 0);
  SelectObject(dc, old);
  return dret;
}

int LICE_CachedFont::DrawText(LICE_IBitmap* bm, const char* str, int len, RECT* rect,
                              unsigned int dtFlags)
{
  return DrawTextImpl(bm, str, len, rect, dtFlags);
}

int LICE_CachedFont::DrawTextImpl(LICE_IBitmap* bm, const char* str, int len, RECT* rect,
                                  unsigned int dtFlags)
{
  if (!str || !rect) return 0;
  if (!bm && !(dtFlags & DT_CALCRECT)) return 0;
  const bool nonative = (dtFlags & LICE_DRAWTEXT_NO_NATIVE) != 0;
  dtFlags &= ~LICE_DRAWTEXT_NO_NATIVE;

  bool native;
  if (m_line_height >= 256)
    native = true;
  else
    native = (m_flags & LICE_FONTOPT_NATIVE) && m_font && !nonative && !LICE_Text_IsWine() &&
             !(dtFlags & LICE_DRAWTEXT_TEXT_ALPHA) &&
             !(m_flags & (LICE_FONTOPT_ASCIIONLY | kEffectFlags)) &&
             (m_lsadj == 0 || (dtFlags & DT_SINGLELINE));
  if (native) return DrawNative(bm, str, len, rect, dtFlags & ~LICE_DRAWTEXT_TEXT_ALPHA);

  const bool vertical = (m_flags & LICE_FONTOPT_VERTICAL) != 0;
  const bool singleline = (dtFlags & DT_SINGLELINE) != 0;
  const int linestep = m_line_height + m_lsadj;

  // Walks the text: calls glyph(code) for each drawable character and
  // lineBreak() for each line break.
  auto walk = [&](auto&& glyph, auto&& lineBreak)
  {
    const char* p = str;
    int remaining = len;
    while (*p && remaining != 0)
    {
      unsigned short c;
      const int cl = Utf8CharLimited(p, remaining, &c);
      p += cl;
      if (remaining > 0) remaining = remaining > cl ? remaining - cl : 0;
      if (c == '\r') continue;
      if (c == '\n')
      {
        if (!singleline)
        {
          lineBreak();
          continue;
        }
        c = ' ';
      }
      const charEnt* ent = findChar(c);
      if (!ent)
      {
        const int before = m_extracharlist.GetSize();
        RenderGlyph(c);
        if (m_extracharlist.GetSize() != before) ent = findChar(c);
      }
      else if (ent->base_offset == 0)
      {
        RenderGlyph(c);
        ent = findChar(c);
      }
      if (ent && ent->base_offset > 0) glyph(c, *ent);
    }
  };

  // Pen positions and extents are kept in 64 bits: the rectangle may span
  // most of the int range, and results are limited to it.
  if (dtFlags & DT_CALCRECT)
  {
    long long x = 0, y = 0, maxx = 0, maxy = 0;
    walk(
        [&](unsigned short, const charEnt& e)
        {
          if (!vertical)
          {
            const long long right = x + e.width;
            x += e.advance;
            if (x > maxx) maxx = x;
            if (right > maxx) maxx = right;
            if (y + e.height > maxy) maxy = y + e.height;
          }
          else
          {
            const long long bottom = y + e.height;
            y += e.advance;
            if (y > maxy) maxy = y;
            if (bottom > maxy) maxy = bottom;
            if (x + e.width > maxx) maxx = x + e.width;
          }
        },
        [&]()
        {
          if (!vertical)
          {
            y += linestep;
            x = 0;
          }
          else
          {
            x += linestep;
            y = 0;
          }
        });
    rect->right = LICE_ClampInt(rect->left + maxx);
    rect->bottom = LICE_ClampInt(rect->top + maxy);
    return LICE_ClampInt(vertical ? maxx : maxy);
  }

  const float savedAlpha = m_alpha;
  if (dtFlags & LICE_DRAWTEXT_TEXT_ALPHA) m_alpha *= (float)(m_fg & 0xff) / 255.0f;
  struct Restore
  {
    float& a;
    float v;
    ~Restore() { a = v; }
  } restore{m_alpha, savedAlpha};
  if (m_alpha == 0.0f) return 0;

  long long x = rect->left, y = rect->top;
  const bool bottomup = vertical && (m_flags & LICE_FONTOPT_BOTTOMUP);
  const bool aligned = (dtFlags & (DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT)) != 0;
  if (aligned || bottomup)
  {
    RECT mr = {0, 0, 0, 0};
    DrawTextImpl(bm, str, len, &mr,
                 (dtFlags & DT_SINGLELINE) | DT_CALCRECT |
                     (nonative ? LICE_DRAWTEXT_NO_NATIVE : 0));
    const long long W = mr.right, H = mr.bottom;
    if (dtFlags & DT_CENTER)
      x = (((long long)rect->right - rect->left) - W) / 2 + x;
    else if (dtFlags & DT_RIGHT)
      x = rect->right - W;
    if (dtFlags & DT_VCENTER)
      y = (((long long)rect->bottom - rect->top) - H) / 2 + y;
    else if (dtFlags & DT_BOTTOM)
      y = rect->bottom - H;
    if (bottomup) y += H;
  }

  RECT clip;
  if (dtFlags & DT_NOCLIP)
    clip = {0, 0, bm->getWidth(), bm->getHeight()};
  else
  {
    clip.left = rect->left > 0 ? rect->left : 0;
    clip.top = rect->top > 0 ? rect->top : 0;
    clip.right = rect->right < bm->getWidth() ? rect->right : bm->getWidth();
    clip.bottom = rect->bottom < bm->getHeight() ? rect->bottom : bm->getHeight();
  }
  if (clip.right <= clip.left || clip.bottom <= clip.top) return 0;

  const long long startx = x, starty = y;
  long long maxx = startx, maxy = starty;
  walk(
      [&](unsigned short c, const charEnt& e)
      {
        if (e.base_offset > m_cachestore.GetSize()) return;
        if (bottomup) y -= e.height;
        const bool drawn = DrawGlyph(bm, c, LICE_ClampInt(x), LICE_ClampInt(y), &clip);
        if (!vertical)
        {
          x += e.advance;
          if (drawn && y + e.height > maxy) maxy = y + e.height;
        }
        else
        {
          y += bottomup ? e.height - e.advance : e.advance;
          if (drawn && x + e.width > maxx) maxx = x + e.width;
        }
      },
      [&]()
      {
        if (!vertical)
        {
          y += linestep;
          x = startx;
        }
        else
        {
          x += linestep;
          y = starty;
        }
      });
  return LICE_ClampInt(vertical ? maxx - startx : maxy - starty);
}
