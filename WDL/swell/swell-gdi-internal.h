// Records behind drawing-context and GDI-object handles, shared by the files
// of the drawing layer. Not part of the public interface.
#pragma once

#include "swell-gdi.h"
#include "swell-handles.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoLayoutLine PangoLayoutLine;
typedef struct _PangoFontDescription PangoFontDescription;
typedef struct _cairo_surface cairo_surface_t;

enum SWELL_GDIObjectKind
{
  SWELL_GDI_NONE = 0,
  SWELL_GDI_FONT = 1,
};

// A GDI object. Handles (HGDIOBJ) point at these records.
struct SWELL_GDIObject
{
  int kind = SWELL_GDI_NONE;
  uint64_t serial = 0; // unique per font made, so a reused record is never mistaken
  PangoFontDescription* desc = nullptr; // owned; family, weight, style, em size
  TEXTMETRIC tm = {};
  int quality = DEFAULT_QUALITY;
};

// A line of laid-out text, as the text code measured it.
struct SWELL_TextLine
{
  PangoLayoutLine* line;
  int x;     // left of the line's box relative to its pen origin
  int width; // advance width of the line
  int left;  // where the line's box starts in the context when drawn
};

// A memory drawing context. Handles (HDC) point at these records.
struct SWELL_GDIContext
{
  unsigned char* raw = nullptr;  // owned allocation (pixels + 63 bytes slack)
  unsigned char* bits = nullptr; // first 64-byte boundary inside raw
  int width = 0, height = 0;     // in pixels; rows are width * 4 bytes

  HGDIOBJ font = nullptr;  // selected font; null: the default font
  uint64_t fontSerial = 0; // its serial: a record reused for another font is not it
  int textColor = 0;       // RGB()
  int bkColor = 0xffffff;
  int bkMode = TRANSPARENT;

  // Text state, made on first use and kept for the next call.
  PangoContext* pango = nullptr;
  PangoLayout* layout = nullptr;
  uint64_t layoutFont = 0; // serial of the font the layout is set up for
  int layoutQuality = -1;
  cairo_surface_t* coverage = nullptr; // A8 scratch for one call's glyph coverage
  std::string text;                    // the text after '&' and line-break handling
  std::vector<SWELL_TextLine> lines;
};

SWELL_HandlePool<SWELL_GDIContext>& SWELL_ContextPool();
SWELL_HandlePool<SWELL_GDIObject>& SWELL_ObjectPool();

// The live context behind a handle, or null for anything else.
inline SWELL_GDIContext* SWELL_GetContext(HDC h)
{
  return SWELL_ContextPool().Validate(h) ? reinterpret_cast<SWELL_GDIContext*>(h) : nullptr;
}

// The live object of that kind behind a handle, or null for anything else.
SWELL_GDIObject* SWELL_GetObject(HGDIOBJ h, int kind);

// Implemented with the text code: releases the pango and cairo objects a
// context or a font holds.
void SWELL_ReleaseTextState(SWELL_GDIContext* c);
void SWELL_ReleaseFont(SWELL_GDIObject* f);
