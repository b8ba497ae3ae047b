// Drawing contexts, fonts and text.
//
// A memory context owns a pixel buffer of 32-bit pixels, rows top-down, each
// pixel the bytes alpha, red, green, blue in memory (the raster library's pixel
// word). Text drawn into it changes red, green and blue only; the alpha byte is
// left alone. Fonts are laid out with pango and need no display.
//
// Contexts and GDI objects are handles from typed pools: a stale or foreign
// handle is refused by every call here, never dereferenced.
#pragma once

#include "swell-types.h"

// Colour values: red in bits 16-23, green in 8-15, blue in 0-7.
#define RGB(r, g, b) ((int)((((r)&0xff) << 16) | (((g)&0xff) << 8) | ((b)&0xff)))

// A memory context of width x height pixels over a zero-filled buffer whose
// pixels start at a 64-byte boundary. The model context is not used. Null when
// the size is not positive or memory runs out.
HDC SWELL_CreateMemContext(HDC model, int width, int height);
// The context's pixels (64-byte aligned); null for a handle that is not a
// live context.
void* SWELL_GetCtxFrameBuffer(HDC ctx);
// Frees a context and its buffer; does nothing for a handle that is not a
// live context.
void SWELL_DeleteGfxContext(HDC ctx);

// Font weights and qualities (CreateFont).
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

// Background modes (SetBkMode).
#define TRANSPARENT 0
#define OPAQUE 1

// SWELL_DrawText flags.
#define DT_TOP 0
#define DT_LEFT 0
#define DT_CALCRECT 0x1    // measure only: right = left + width, bottom = top + height
#define DT_VCENTER 0x2     // centre vertically in the rectangle
#define DT_CENTER 0x4      // centre each line horizontally
#define DT_BOTTOM 0x10     // align the text's bottom with the rectangle's
#define DT_RIGHT 0x20      // align each line's right end with the rectangle's
#define DT_SINGLELINE 0x40 // line breaks are drawn as spaces
#define DT_NOPREFIX 0x80   // '&' is an ordinary character (else it is dropped, "&&" gives '&')
#define DT_NOCLIP 0x100    // draw outside the rectangle too (never outside the buffer)

struct TEXTMETRIC
{
  int tmHeight;          // cell height: one line of text, in pixels
  int tmAscent;          // baseline below the top of the cell
  int tmDescent;         // tmHeight - tmAscent
  int tmInternalLeading; // cell height less the em size
  int tmExternalLeading; // extra space between lines (0)
  int tmAveCharWidth;    // typical character advance
  int tmWeight;          // as given to CreateFont (400 when it gave 0)
  char tmItalic, tmUnderlined, tmStruckOut;
};

// A font of the named family (resolved through fontconfig, so "Arial" finds a
// metric-compatible face where one is installed). height > 0 is the cell
// height (one line) in pixels, height < 0 the em size, 0 a default size.
// weight 0 means normal. quality NONANTIALIASED_QUALITY draws without
// anti-aliasing. width, escapement, orientation, charSet, outPrecision,
// clipPrecision and pitchAndFamily are accepted and not used. Null when no
// font can be found at all.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, char italic,
                 char underline, char strikeOut, char charSet, char outPrecision,
                 char clipPrecision, char quality, char pitchAndFamily, const char* faceName);

// Makes obj (a font) the context's current font and returns the font that
// was current (null for the context's default font). Selecting null goes back
// to the default font. A stale or foreign context or object changes nothing
// and gives null.
HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj);
// Frees a GDI object; FALSE for a handle that is not a live object. A context
// whose font was deleted draws with its default font.
BOOL DeleteObject(HGDIOBJ obj);

// Set the context's colours (RGB values) and background mode; each returns
// the previous setting, or -1 (0 for SetBkMode) for an invalid context. A new
// context draws black text on a transparent background; its background colour
// is white.
int SetTextColor(HDC ctx, int color);
int SetBkColor(HDC ctx, int color);
int SetBkMode(HDC ctx, int mode);

// The metrics of the context's current font. FALSE for an invalid context or
// a null record.
BOOL GetTextMetrics(HDC ctx, TEXTMETRIC* tm);

// Draws len bytes of UTF-8 text (len < 0: up to the terminator; text stops at
// a zero byte in any case) into r with the DT_ flags, in the current font and
// text colour, changing only the red, green and blue bytes of the pixels.
// With DT_CALCRECT only measures. With background mode OPAQUE the text's box
// is filled with the background colour first. Returns the text height (the
// sum of its line heights) plus 1, or 0 for empty text, an invalid context or
// a null rectangle.
int SWELL_DrawText(HDC ctx, const char* text, int len, RECT* r, int flags);
