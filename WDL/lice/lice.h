// The raster graphics library: 32-bit bitmaps in memory, combine modes,
// blits, fills, coverage-mask glyphs and PNG loading.
//
// Pixel word: alpha in bits 0-7, red in 8-15, green in 16-23, blue in 24-31,
// so that in memory (little-endian) a pixel is the bytes A, R, G, B. Colours
// are straight, not premultiplied. Drawing calls take picture coordinates
// (y down from the top row) and mirror rows themselves on bottom-up bitmaps.
// None of them reports anything: bad arguments draw nothing.
#pragma once

#include <cstdint>

#include "../swell/swell-types.h"

typedef unsigned int LICE_Pixel;
typedef LICE_Pixel LICE_pixel;
typedef unsigned char LICE_pixel_chan;

#define LICE_RGBA(r, g, b, a)                                                                      \
  (((LICE_Pixel)(a)&0xffu) | (((LICE_Pixel)(r)&0xffu) << 8) | (((LICE_Pixel)(g)&0xffu) << 16) |    \
   (((LICE_Pixel)(b)&0xffu) << 24))
#define LICE_RGB(r, g, b) LICE_RGBA(r, g, b, 255)
#define LICE_GETA(v) ((LICE_Pixel)(v)&0xffu)
#define LICE_GETR(v) (((LICE_Pixel)(v) >> 8) & 0xffu)
#define LICE_GETG(v) (((LICE_Pixel)(v) >> 16) & 0xffu)
#define LICE_GETB(v) (((LICE_Pixel)(v) >> 24) & 0xffu)

// Byte offsets of the channels within a pixel in memory.
#define LICE_PIXEL_A 0
#define LICE_PIXEL_R 1
#define LICE_PIXEL_G 2
#define LICE_PIXEL_B 3

// The mode word of every drawing call.
typedef int LICE_CombineMode;
#define LICE_COMBINE_COPY 0
#define LICE_COMBINE_ADD 1
#define LICE_COMBINE_COLORDODGE 2
#define LICE_COMBINE_MUL 3
#define LICE_COMBINE_OVERLAY 4
#define LICE_COMBINE_HSVADJUST 5
#define LICE_COMBINE_MASK 0xff
// 0xF0 + destination byte * 4 + source byte: copies one byte of each source
// pixel into one byte of the destination pixel (unscaled blit only).
#define LICE_COMBINE_CHANNELCOPY 0xf0
#define LICE_COMBINE_FILTER_MASK 0xff00
#define LICE_COMBINE_FILTER_BILINEAR 0x100
#define LICE_COMBINE_USE_SOURCE_ALPHA 0x10000

// Shorter names for the same bits.
#define LICE_BLIT_MODE_COPY LICE_COMBINE_COPY
#define LICE_BLIT_MODE_ADD LICE_COMBINE_ADD
#define LICE_BLIT_MODE_DODGE LICE_COMBINE_COLORDODGE
#define LICE_BLIT_MODE_MUL LICE_COMBINE_MUL
#define LICE_BLIT_MODE_OVERLAY LICE_COMBINE_OVERLAY
#define LICE_BLIT_MODE_HSVADJ LICE_COMBINE_HSVADJUST
#define LICE_BLIT_MODE_MASK LICE_COMBINE_MASK
#define LICE_BLIT_MODE_CHANCOPY LICE_COMBINE_CHANNELCOPY
#define LICE_BLIT_FILTER_MASK LICE_COMBINE_FILTER_MASK
#define LICE_BLIT_FILTER_BILINEAR LICE_COMBINE_FILTER_BILINEAR
#define LICE_BLIT_USE_ALPHA LICE_COMBINE_USE_SOURCE_ALPHA

// The integer weight of a float alpha: alpha * 256 truncated toward zero.
// 0 draws nothing, 256 is full strength. Weights are limited to +-32768
// (alpha +-128), where no combine formula can overflow with a source alpha
// of at most 255 (the fills, which pass the weight as the source alpha too,
// hold it lower for the formulas that multiply it twice).
inline int LICE_AlphaToWeight(double alpha)
{
  const double v = alpha * 256.0;
  return v >= 32768.0 ? 32768 : v <= -32768.0 ? -32768 : v == v ? (int)v : 0;
}

// A bitmap as the drawing calls see it. Rows are getRowSpan() pixels apart;
// a flipped bitmap stores picture row y at memory row height - 1 - y.
class LICE_IBitmap
{
public:
  virtual ~LICE_IBitmap() {}

  virtual LICE_Pixel* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  virtual int getRowSpan() = 0;
  virtual bool isFlipped() { return false; }
  // True when the size changed. Re-read getBits and getRowSpan afterwards.
  virtual bool resize(int w, int h) = 0;
  // The window layer's drawing context over the pixels, or null.
  virtual HDC getDC() { return nullptr; }
  virtual INT_PTR Extended(int id, void* data)
  {
    (void)id;
    (void)data;
    return 0;
  }
};

// A bitmap in heap memory. Pixels start on a 64-byte boundary; rows are
// padded to the line alignment (a power of two). The buffer grows with a
// quarter of slack and never shrinks. A size that cannot be allocated (or
// does not fit in memory sizes of this class) leaves the bitmap 0 x 0.
class LICE_MemBitmap : public LICE_IBitmap
{
public:
  LICE_MemBitmap(int w = 0, int h = 0, unsigned int linealign = 4);
  ~LICE_MemBitmap() override;
  LICE_MemBitmap(const LICE_MemBitmap&) = delete;
  LICE_MemBitmap& operator=(const LICE_MemBitmap&) = delete;

  LICE_Pixel* getBits() override
  {
    return m_fb ? (LICE_Pixel*)(((uintptr_t)m_fb + 63) & ~(uintptr_t)63) : nullptr;
  }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override { return (int)((m_width + m_linealign) & ~m_linealign); }
  bool resize(int w, int h) override;

  // Bytes of pixel storage held (without the alignment slack).
  int getAllocatedSize() const { return m_allocsize; }

private:
  void* m_fb;
  int m_width, m_height;
  int m_allocsize;
  unsigned int m_linealign;
};

// A bitmap whose pixels are the frame buffer of a window-layer memory
// context, so platform drawing (text) and raster drawing share the bytes.
// The row span is the width rounded up to a multiple of 4.
class LICE_SysBitmap : public LICE_IBitmap
{
public:
  LICE_SysBitmap(int w = 0, int h = 0);
  ~LICE_SysBitmap() override;
  LICE_SysBitmap(const LICE_SysBitmap&) = delete;
  LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;

  LICE_Pixel* getBits() override { return m_bits; }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override { return m_allocw; }
  bool resize(int w, int h) override;
  HDC getDC() override { return m_dc; }

private:
  int m_width, m_height;
  HDC m_dc;
  LICE_Pixel* m_bits;
  int m_allocw, m_alloch;
};

// One-pixel combination. LICE_CombinePixels returns dest combined with src
// (weight alpha * 256); the other two work in place with an integer weight.
LICE_Pixel LICE_CombinePixels(LICE_Pixel dest, LICE_Pixel src, float alpha, int mode);
void LICE_CombinePixels2(LICE_Pixel* dest, int r, int g, int b, int a, int alpha, int mode);
void LICE_CombinePixels2Clamp(LICE_Pixel* dest, int r, int g, int b, int a, int alpha, int mode);

// Blits. srcrect null means the whole source.
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
               float alpha = 1.0f, int mode = 0);
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch, float alpha = 1.0f, int mode = 0);
void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src);
// Maps the source rectangle (fractional pixels) onto the destination
// rectangle; a negative dstw or dsth mirrors the picture on that axis.
void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha = 1.0f,
                     int mode = 0);

// Rectangle, pixel and fill operations.
void LICE_Clear(LICE_IBitmap* dest, LICE_Pixel color);
void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel mask = 0,
                    LICE_Pixel orbits = 0);
void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel color,
                   float alpha = 1.0f, int mode = 0);
void LICE_GradRect(LICE_IBitmap* dest, int x, int y, int w, int h, float ir, float ig, float ib,
                   float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy, float dgdy,
                   float dbdy, float dady, int mode);
void LICE_MultiplyAddRect(LICE_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc,
                          float bsc, float asc, float radd, float gadd, float badd, float aadd);
void LICE_ProcessRect(LICE_IBitmap* dest, int x, int y, int w, int h,
                      void (*procFunc)(LICE_Pixel* p, void* parm), void* parm);
LICE_Pixel LICE_GetPixel(LICE_IBitmap* src, int x, int y);
void LICE_PutPixel(LICE_IBitmap* dest, int x, int y, LICE_Pixel color, float alpha = 1.0f,
                   int mode = 0);
void LICE_SetAlphaFromColorMask(LICE_IBitmap* dest, LICE_Pixel color);
void LICE_SimpleFill(LICE_IBitmap* dest, int x, int y, LICE_Pixel newcolor, LICE_Pixel comparemask,
                     LICE_Pixel keepmask);
void LICE_HalveBlitAA(LICE_IBitmap* dest, LICE_IBitmap* src);
// 0 when equal; with a box, 1 and the bounding box (x, y, w, h) of the
// differing pixels.
int LICE_BitmapCmp(LICE_IBitmap* a, LICE_IBitmap* b, int* coordsOut = nullptr);
void LICE_Blur(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch);

// Coverage-mask drawing: mask bytes weight the colour per pixel.
void LICE_DrawGlyphEx(LICE_IBitmap* dest, int x, int y, LICE_Pixel color,
                      const LICE_pixel_chan* alphas, int glyph_w, int glyph_span, int glyph_h,
                      float alpha = 1.0f, int mode = 0);
void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_Pixel color,
                    const LICE_pixel_chan* alphas, int glyph_w, int glyph_h, float alpha = 1.0f,
                    int mode = 0);

// PNG loading. With bmp given the image is decoded into it (resized) and bmp
// is returned; with null a new LICE_MemBitmap is returned, owned by the
// caller. Null on every failure.
LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp = nullptr);
LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int buflen, LICE_IBitmap* bmp = nullptr);
LICE_IBitmap* LICE_LoadPNGFromResource(void* hInst, int resid, LICE_IBitmap* bmp = nullptr);
// A file of the application's resource folder.
LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp = nullptr);
// Reads only the header of the PNG file: the image's width and height, at a
// cost that does not grow with the image. False when the file cannot be
// opened (files are read only when they are regular files) or does not
// start with a PNG header.
bool LICE_GetPNGSize(const char* filename, int* width, int* height);

// Image loaders, for a general loader that walks the list.
struct LICE_ImageLoaderEntry
{
  LICE_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, LICE_IBitmap* bmpbase);
  const char* (*get_extlist)();
  LICE_ImageLoaderEntry* _next;
};
extern LICE_ImageLoaderEntry* LICE_ImageLoader_list;

// The PNG loader's entry in the loader list (made at start-up).
class LICE_PNGLoader
{
public:
  LICE_ImageLoaderEntry rec;
  LICE_PNGLoader();
  // With checkFileName, only names ending in ".png" (any case) are tried.
  static LICE_IBitmap* loadfunc(const char* filename, bool checkFileName, LICE_IBitmap* bmpbase);
  // "PNG files (*.PNG)\0*.PNG\0\0"
  static const char* get_extlist();
};
extern LICE_PNGLoader LICE_pngldr;

// ---- Lines, polygons, curves, circles and warped blits ----
#include "lice_draw.h"
