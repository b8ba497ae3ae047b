// Text of the raster library: LICE_IFont and its one implementation,
// LICE_CachedFont, over a window-layer font handle. Each character is rendered
// once through the window layer into a shared scratch bitmap and kept as an
// 8-bit coverage mask; later draws blend the masks into the target. Opaque
// text without effects may instead be drawn by the window layer directly.
//
// The scratch bitmaps and every font's cache are shared without locks: make,
// use and destroy fonts on one thread at a time.
#pragma once

#include "heapbuf.h"
#include "lice.h"

// Font options (SetFromHFont).
#define LICE_FONTOPT_VERTICAL 0x1     // glyphs turned a quarter turn, text runs downward
#define LICE_FONTOPT_BOTTOMUP 0x2     // with VERTICAL: turned the other way, text runs upward
#define LICE_FONTOPT_ASCIIONLY 0x4    // only characters 0-127, rendered when the font is set
#define LICE_FONTOPT_BLUR 0x10        // glyphs blurred before they are kept
#define LICE_FONTOPT_INVERT 0x20      // coverage inverted
#define LICE_FONTOPT_MONO 0x40        // coverage cut to 0 or 255
#define LICE_FONTOPT_SHADOW 0x80      // a shadow in the effect colour right of and below the ink
#define LICE_FONTOPT_OUTLINE 0x100    // an outline in the effect colour around the ink
#define LICE_FONTOPT_OWNSHANDLE 0x200 // the font deletes its handle
#define LICE_FONTOPT_NATIVE 0x400     // the window layer may draw the text itself

// Drawing flags (DrawText): the window layer's DT_ flags, plus these two.
#define LICE_DRAWTEXT_NO_NATIVE 0x80000000u  // never let the window layer draw
#define LICE_DRAWTEXT_TEXT_ALPHA 0x40000000u // scale the alpha by the text colour's alpha byte

class LICE_IFont
{
public:
  virtual ~LICE_IFont() {}
  virtual void SetFromHFont(HGDIOBJ font, int flags) = 0;
  virtual LICE_Pixel SetTextColor(LICE_Pixel color) = 0;
  virtual LICE_Pixel SetBkColor(LICE_Pixel color) = 0;
  virtual LICE_Pixel SetEffectColor(LICE_Pixel color) = 0;
  virtual int SetBkMode(int mode) = 0;
  virtual void SetCombineMode(int mode, float alpha) = 0;
  // Draws (or with DT_CALCRECT measures) len bytes of UTF-8 text (len -1: up
  // to the terminator). Returns the height of the text, 0 when nothing was
  // drawn.
  virtual int DrawText(LICE_IBitmap* bm, const char* str, int len, RECT* rect,
                       unsigned int dtFlags) = 0;
  virtual LICE_Pixel GetTextColor() = 0;
  virtual HGDIOBJ GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

class LICE_CachedFont : public LICE_IFont
{
public:
  LICE_CachedFont();
  ~LICE_CachedFont() override;
  LICE_CachedFont(const LICE_CachedFont&) = delete;
  LICE_CachedFont& operator=(const LICE_CachedFont&) = delete;

  // Takes a new font and options; clears the whole glyph cache.
  void SetFromHFont(HGDIOBJ font, int flags) override;
  LICE_Pixel SetTextColor(LICE_Pixel color) override;
  LICE_Pixel SetBkColor(LICE_Pixel color) override;
  LICE_Pixel SetEffectColor(LICE_Pixel color) override;
  int SetBkMode(int mode) override;
  void SetCombineMode(int mode, float alpha) override;
  int DrawText(LICE_IBitmap* bm, const char* str, int len, RECT* rect,
               unsigned int dtFlags) override;
  LICE_Pixel GetTextColor() override { return m_fg; }
  HGDIOBJ GetHFont() override { return m_font; }
  int GetLineHeight() override { return m_line_height; }

  // One glyph of the cache.
  struct charEnt
  {
    int base_offset; // 0 not rendered; -1 nothing to draw; else 1 + index of its mask
    int width, height;
    int advance; // horizontal (vertical fonts: vertical) advance in pixels
    int charid;
  };

  // Inspection for tests and callers that lay text out themselves.
  const charEnt* findChar(unsigned short c);
  int GetCoverageBytes() const { return m_cachestore.GetSize(); }
  const unsigned char* GetCoverage(const charEnt* e) const
  {
    return e && e->base_offset > 0 ? m_cachestore.Get() + e->base_offset - 1 : nullptr;
  }
  int GetFlags() const { return m_flags; }

protected:
  int DrawTextImpl(LICE_IBitmap* bm, const char* str, int len, RECT* rect, unsigned int dtFlags);
  bool RenderGlyph(unsigned short idx);
  bool DrawGlyph(LICE_IBitmap* bm, unsigned short c, int xpos, int ypos, const RECT* clipR);
  static int _charSortFunc(const void* a, const void* b);

private:
  charEnt* findCharMutable(unsigned short c);
  int DrawNative(LICE_IBitmap* bm, const char* str, int len, RECT* rect, unsigned int dtFlags);
  void SetNativeColors(HDC dc);

  LICE_Pixel m_fg;
  LICE_Pixel m_bg;
  LICE_Pixel m_effectcol;
  int m_bgmode;
  int m_comb;
  float m_alpha;
  int m_flags;
  int m_line_height;
  int m_lsadj; // extra spacing per line break
  charEnt m_lowchars[128];
  WDL_TypedBuf<charEnt> m_extracharlist;
  WDL_TypedBuf<unsigned char> m_cachestore;
  HGDIOBJ m_font;
};

// One UTF-8 character: decodes it into *out (may be null) and returns its
// byte length. Invalid bytes stand for themselves, one byte each; 4-byte
// sequences decode as a space.
int utf8char(const char* ptr, unsigned short* out);
// Encodes a 16-bit character; returns the byte count (no terminator).
int utf8makechar(char* ptrout, unsigned short charIn);
bool LICE_Text_IsWine();
