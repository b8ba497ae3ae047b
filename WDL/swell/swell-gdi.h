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
