// The editor's drawing layer: conversions from the editor's records to the
// raster library's pixel word, weight and mode word; the two process-wide
// caches (images by resource ID, fonts by text style); image loading,
// cropping and scaling; and every drawing primitive, each one raster call on
// the back buffer. Bitmap drawing is clipped to the area Draw is redrawing.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "IControls.h"
#include "IGraphics.h"
#include "lice.h"
#include "lice_text.h"
#include "swell-gdi.h"

unsigned int LiceColor(const IColor* color)
{
  return ((unsigned)color->A & 255) | ((unsigned)color->R & 255) << 8 |
         ((unsigned)color->G & 255) << 16 | ((unsigned)color->B & 255) << 24;
}

float LiceWeight(const IChannelBlend* blend) { return blend ? blend->mWeight : 1.0f; }

int LiceBlendMode(const IChannelBlend* blend)
{
  if (blend)
  {
    switch (blend->mMethod)
    {
      case IChannelBlend::kBlendClobber:
        return LICE_COMBINE_COPY;
      case IChannelBlend::kBlendAdd:
        return LICE_COMBINE_ADD | LICE_COMBINE_USE_SOURCE_ALPHA;
      case IChannelBlend::kBlendColorDodge:
        return LICE_COMBINE_COLORDODGE | LICE_COMBINE_USE_SOURCE_ALPHA;
      default:
        break;
    }
  }
  return LICE_COMBINE_COPY | LICE_COMBINE_USE_SOURCE_ALPHA;
}

namespace
{
// Loaded and made images, shared by every editor of the process. Keys are
// found in list order; Add never looks for an existing key.
class BitmapStorage
{
public:
  struct BitmapKey
  {
    int id;
    LICE_IBitmap* bitmap;
  };

  ~BitmapStorage()
  {
    for (int i = 0; i < mBitmaps.GetSize(); ++i) delete mBitmaps.Get(i)->bitmap;
    mBitmaps.Empty(true);
  }

  LICE_IBitmap* Find(int id)
  {
    WDL_MutexLock lock(&mMutex);
    for (int i = 0; i < mBitmaps.GetSize(); ++i)
      if (mBitmaps.Get(i)->id == id) return mBitmaps.Get(i)->bitmap;
    return nullptr;
  }

  void Add(LICE_IBitmap* bitmap, int id)
  {
    WDL_MutexLock lock(&mMutex);
    mBitmaps.Add(new BitmapKey{id, bitmap});
  }

  // Deletes the bitmap when it is in the cache; otherwise leaves it alone.
  void Remove(LICE_IBitmap* bitmap)
  {
    WDL_MutexLock lock(&mMutex);
    for (int i = 0; i < mBitmaps.GetSize(); ++i)
    {
      if (mBitmaps.Get(i)->bitmap != bitmap) continue;
      mBitmaps.Delete(i, true);
      delete bitmap;
      return;
    }
  }

  // True the first time an image of this name fails to load.
  bool FirstFailure(const char* name)
  {
    WDL_MutexLock lock(&mMutex);
    return mFailedNames.insert(name ? name : "").second;
  }

private:
  WDL_PtrList<BitmapKey> mBitmaps;
  WDL_Mutex mMutex;
  std::set<std::string> mFailedNames;
};

// Raster fonts by text style: size, orientation, style and face. The quality
// is not part of the key, and the size is the one asked for.
class FontStorage
{
public:
  struct FontKey
  {
    int size, orientation, style;
    char face[FONT_LEN];
    LICE_IFont* font;
  };

  ~FontStorage()
  {
    for (int i = 0; i < mFonts.GetSize(); ++i) delete mFonts.Get(i)->font;
    mFonts.Empty(true);
  }

  LICE_IFont* Find(const IText* text)
  {
    WDL_MutexLock lock(&mMutex);
    for (int i = 0; i < mFonts.GetSize(); ++i)
    {
      const FontKey* k = mFonts.Get(i);
      if (k->size == text->mSize && k->orientation == text->mOrientation &&
          k->style == text->mStyle && !strcmp(k->face, text->mFont))
        return k->font;
    }
    return nullptr;
  }

  void Add(LICE_IFont* font, const IText* text)
  {
    WDL_MutexLock lock(&mMutex);
    FontKey* k = new FontKey{text->mSize, text->mOrientation, text->mStyle, {}, font};
    snprintf(k->face, sizeof(k->face), "%s", text->mFont);
    mFonts.Add(k);
  }

private:
  WDL_PtrList<FontKey> mFonts;
  WDL_Mutex mMutex;
};

// Built in this order, so the fonts go first at exit.
BitmapStorage s_bitmapCache;
FontStorage s_fontCache;

RECT ToRECT(const IRECT& r) { return RECT{r.L, r.T, r.R, r.B}; }

bool Drawable(const IBitmap* bitmap) { return bitmap && bitmap->mData; }

// What cropping or scaling a picture without pixels (one that could not be
// loaded) gives: again a picture without pixels, which draws as nothing.
IBitmap WithoutPixels(const IBitmap* bitmap)
{
  return IBitmap(nullptr, 0, 0, bitmap ? bitmap->N : 1, false);
}
} // namespace

// ---- Images ----

IBitmap IGraphics::LoadIBitmap(int ID, const char* name, int nStates, bool framesAreHorizontal)
{
  LICE_IBitmap* bmp = s_bitmapCache.Find(ID);
  if (!bmp)
  {
    bmp = OSLoadBitmap(ID, name);
    if (!bmp)
    {
      if (s_bitmapCache.FirstFailure(name))
        fprintf(stderr, "The editor image \"%s\" (resource %d) is missing or unreadable.\n",
                name ? name : "", ID);
      return IBitmap(nullptr, 0, 0, nStates, framesAreHorizontal);
    }
    s_bitmapCache.Add(bmp, ID);
  }
  return IBitmap(bmp, bmp->getWidth(), bmp->getHeight(), nStates, framesAreHorizontal);
}

void IGraphics::RetainBitmap(IBitmap* bitmap) { s_bitmapCache.Add(bitmap->mData, -1); }

void IGraphics::ReleaseBitmap(IBitmap* bitmap) { s_bitmapCache.Remove(bitmap->mData); }

IBitmap IGraphics::CropBitmap(IBitmap* bitmap, IRECT* r)
{
  if (!Drawable(bitmap)) return WithoutPixels(bitmap);
  const int w = r->W(), h = r->H();
  LICE_MemBitmap* dest = new LICE_MemBitmap(w, h, 4);
  LICE_Clear(dest, 0); // what lies beyond the source stays transparent
  LICE_Blit(dest, bitmap->mData, 0, 0, r->L, r->T, w, h, 1.0f, LICE_COMBINE_COPY);
  IBitmap out(dest, dest->getWidth(), dest->getHeight(), bitmap->N, false);
  RetainBitmap(&out);
  return out;
}

IBitmap IGraphics::ScaleBitmap(IBitmap* bitmap, int destW, int destH)
{
  if (!Drawable(bitmap)) return WithoutPixels(bitmap);
  LICE_MemBitmap* dest = new LICE_MemBitmap(destW, destH, 4);
  LICE_ScaledBlit(dest, bitmap->mData, 0, 0, destW, destH, 0.0f, 0.0f, (float)bitmap->W,
                  (float)bitmap->H, 1.0f, LICE_COMBINE_COPY | LICE_COMBINE_FILTER_BILINEAR);
  IBitmap out(dest, dest->getWidth(), dest->getHeight(), bitmap->N, false);
  RetainBitmap(&out);
  return out;
}

// ---- Fonts and text ----

LICE_IFont* IGraphics::CacheFont(IText* text)
{
  LICE_IFont* found = s_fontCache.Find(text);
  if (found)
  {
    text->mCached = found;
    return found;
  }

  const int turn = text->mOrientation * 10;
  const int weight = text->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL;
  const char italic = text->mStyle == IText::kStyleItalic ? 1 : 0;
  char quality;
  switch (text->mQuality)
  {
    case IText::kQualityDefault:
      quality = DEFAULT_QUALITY;
      break;
    case IText::kQualityAntiAliased:
    case IText::kQualityClearType:
      quality = ANTIALIASED_QUALITY;
      break;
    default:
      quality = NONANTIALIASED_QUALITY;
      break;
  }

  LICE_CachedFont* font = new LICE_CachedFont;
  int h = text->mSize;
  // A face whose line comes out taller or shorter than the size asked for is
  // made once more, scaled by size / line height.
  for (bool retried = false;;)
  {
    if (h < 2) h = 2;
    HFONT handle =
        CreateFont(h, 0, turn, turn, weight, italic, 0, 0, 0, 0, 0, quality, 0, text->mFont);
    if (!handle)
    {
      delete font;
      return nullptr;
    }
    font->SetFromHFont(handle, LICE_FONTOPT_OWNSHANDLE | LICE_FONTOPT_NATIVE);
    const int lineHeight = font->GetLineHeight();
    if (!retried && lineHeight != h && lineHeight > 0)
    {
      h = (int)((double)(h * h) / (double)lineHeight + 0.5);
      retried = true;
      continue;
    }
    break;
  }
  s_fontCache.Add(font, text);
  text->mCached = font;
  return font;
}

bool IGraphics::DrawIText(IText* text, char* str, IRECT* r, bool measure)
{
  if (!str || !*str) return true;
  LICE_IFont* font = text->mCached ? text->mCached : CacheFont(text);
  if (!font) return false;

  const LICE_Pixel color = LiceColor(&text->mColor);
  font->SetTextColor(color);
  unsigned int flags = DT_NOCLIP;
  if ((color & 255) < 255) flags |= LICE_DRAWTEXT_TEXT_ALPHA;
  if (text->mAlign == IText::kAlignCenter)
    flags |= DT_CENTER;
  else if (text->mAlign != IText::kAlignNear)
    flags |= DT_RIGHT;

  if (!measure)
  {
    if (!mDrawBitmap) return false;
    RECT rect = ToRECT(*r);
    font->DrawText(mDrawBitmap, str, -1, &rect, flags);
    return true;
  }

  RECT m = {0, 0, 0, 0};
  font->DrawText(mDrawBitmap, str, -1, &m, flags | DT_CALCRECT);
  if (text->mAlign == IText::kAlignCenter)
    r->L = (int)r->MW() - m.right / 2;
  else if (text->mAlign != IText::kAlignNear)
    r->L = r->R - m.right;
  r->R = r->L + m.right;
  r->B = r->T + m.bottom;
  return true;
}

// ---- Bitmaps ----

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend)
{
  if (!Drawable(bitmap) || !mDrawBitmap) return false;
  const IRECT c = dest->Intersect(mDrawRECT);
  srcX += c.L - dest->L;
  srcY += c.T - dest->T;
  LICE_Blit(mDrawBitmap, bitmap->mData, c.L, c.T, srcX, srcY, c.W(), c.H(), LiceWeight(blend),
            LiceBlendMode(blend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend)
{
  int srcX = 0, srcY = 0;
  if (bitmap && bitmap->N > 1 && frame > 1)
  {
    if (bitmap->mFramesAreHorizontal)
      srcX = (int)(0.5 + (double)bitmap->W * (double)(frame - 1) / (double)bitmap->N);
    else
      srcY = (int)(0.5 + (double)bitmap->H * (double)(frame - 1) / (double)bitmap->N);
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* blend)
{
  if (!Drawable(bitmap) || !mDrawBitmap) return false;
  const int W = bitmap->W, H = bitmap->H;
  LICE_RotatedBlit(mDrawBitmap, bitmap->mData, destCtrX - W / 2, destCtrY - H / 2, W, H, 0.0f, 0.0f,
                   (float)W, (float)H, (float)angle, false, LiceWeight(blend),
                   LiceBlendMode(blend) | LICE_COMBINE_FILTER_BILINEAR, 0.0f,
                   (float)yOffsetZeroDeg);
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y,
                                double angle, const IChannelBlend* blend)
{
  if (!Drawable(base) || !Drawable(mask) || !Drawable(top) || !mDrawBitmap) return false;
  const float a = (float)(angle * 3.141592653589793 / 180.0);
  const int W = base->W, H = base->H;
  const float xAdj = (W % 2) ? -0.5f : 0.0f;
  if (!mTmpBitmap) mTmpBitmap = new LICE_MemBitmap(0, 0, 4);

  // The base picture without alpha, the mask added where it is opaque, the
  // top picture over both; all turned about the same centre.
  LICE_Copy(mTmpBitmap, base->mData);
  LICE_ClearRect(mTmpBitmap, 0, 0, W, H, 0xFFFFFF00, 0);
  LICE_RotatedBlit(
      mTmpBitmap, mask->mData, 0, 0, W, H, 0.0f, 0.0f, (float)W, (float)H, a, true, 1.0f,
      LICE_COMBINE_ADD | LICE_COMBINE_FILTER_BILINEAR | LICE_COMBINE_USE_SOURCE_ALPHA, xAdj, 0.0f);
  LICE_RotatedBlit(
      mTmpBitmap, top->mData, 0, 0, W, H, 0.0f, 0.0f, (float)W, (float)H, a, true, 1.0f,
      LICE_COMBINE_COPY | LICE_COMBINE_FILTER_BILINEAR | LICE_COMBINE_USE_SOURCE_ALPHA, xAdj, 0.0f);

  const IRECT c = IRECT(x, y, x + W, y + H).Intersect(mDrawRECT);
  LICE_Blit(mDrawBitmap, mTmpBitmap, c.L, c.T, c.L - x, c.T - y, c.W(), c.H(), LiceWeight(blend),
            LiceBlendMode(blend));
  return true;
}

// ---- Shapes and pixels (clipped to the back buffer only) ----

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend,
                          bool /*antiAlias*/)
{
  LICE_PutPixel(mDrawBitmap, (int)(x + 0.5f), (int)(y + 0.5f), LiceColor(color), LiceWeight(blend),
                LiceBlendMode(blend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  if (!mDrawBitmap || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() ||
      y >= mDrawBitmap->getHeight())
    return true;
  mDrawBitmap->getBits()[(size_t)mDrawBitmap->getRowSpan() * y + x] = LiceColor(color);
  return true;
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias)
{
  // An end beyond the pixel grid (or NaN) has no pixel to start from.
  for (float v : {x1, y1, x2, y2})
    if (!(std::fabs(v) < 1e9f)) return true;
  LICE_Line(mDrawBitmap, (int)x1, (int)y1, (int)x2, (int)y2, LiceColor(color), LiceWeight(blend),
            LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* blend, bool antiAlias)
{
  const float s = (float)std::sin((double)angle), c = (float)std::cos((double)angle);
  return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend,
                  antiAlias);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi)
{
  LICE_Line(mDrawBitmap, xLo, yi, xHi, yi, LiceColor(color), 1.0f, LICE_COMBINE_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* r, float y)
{
  y = Clamp01(y);
  const int yi = r->B - (int)(y * (float)(r->B - r->T));
  return DrawHorizontalLine(color, yi, r->L, r->R);
}

bool IGraphics::DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi)
{
  LICE_Line(mDrawBitmap, xi, yLo, xi, yHi, LiceColor(color), 1.0f, LICE_COMBINE_COPY, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* r, float x)
{
  x = Clamp01(x);
  const int xi = r->L + (int)(x * (float)(r->R - r->L));
  return DrawVerticalLine(color, xi, r->T, r->B);
}

bool IGraphics::DrawRect(const IColor* color, IRECT* r)
{
  bool ok = DrawHorizontalLine(color, r->T, r->L, r->R);
  ok &= DrawHorizontalLine(color, r->B, r->L, r->R);
  ok &= DrawVerticalLine(color, r->L, r->T, r->B);
  ok &= DrawVerticalLine(color, r->R, r->T, r->B);
  return ok;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool antiAlias)
{
  LICE_Circle(mDrawBitmap, cx, cy, r, LiceColor(color), LiceWeight(blend), LiceBlendMode(blend),
              antiAlias);
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool antiAlias)
{
  LICE_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, LiceColor(color), LiceWeight(blend),
           LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  LICE_FillCircle(mDrawBitmap, (float)cx, (float)cy, r, LiceColor(color), LiceWeight(blend),
                  LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend)
{
  LICE_FillRect(mDrawBitmap, r->L, r->T, r->W(), r->H(), LiceColor(color), LiceWeight(blend),
                LiceBlendMode(blend));
  return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend,
                          int cornerradius, bool antiAlias)
{
  LICE_RoundRect(mDrawBitmap, (float)r->L, (float)r->T, (float)r->W(), (float)r->H(), cornerradius,
                 LiceColor(color), LiceWeight(blend), LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend,
                              int cornerradius, bool antiAlias)
{
  const int x = r->L, y = r->T, w = r->W(), h = r->H(), cr = cornerradius;
  const LICE_Pixel col = LiceColor(color);
  const float a = LiceWeight(blend);
  const int mode = LiceBlendMode(blend);
  LICE_FillRect(mDrawBitmap, x + cr, y, w - 2 * cr, h, col, a, mode);
  LICE_FillRect(mDrawBitmap, x, y + cr, cr, h - 2 * cr, col, a, mode);
  LICE_FillRect(mDrawBitmap, x + w - cr, y + cr, cr, h - 2 * cr, col, a, mode);
  LICE_FillCircle(mDrawBitmap, (float)(x + cr), (float)(y + cr), (float)cr, col, a, mode,
                  antiAlias);
  LICE_FillCircle(mDrawBitmap, (float)(x + w - cr - 1), (float)(y + h - cr - 1), (float)cr, col, a,
                  mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, (float)(x + w - cr - 1), (float)(y + cr), (float)cr, col, a, mode,
                  antiAlias);
  LICE_FillCircle(mDrawBitmap, (float)(x + cr), (float)(y + h - cr - 1), (float)cr, col, a, mode,
                  antiAlias);
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints,
                                   const IChannelBlend* blend)
{
  LICE_FillConvexPolygon(mDrawBitmap, x, y, npoints, LiceColor(color), LiceWeight(blend),
                         LiceBlendMode(blend));
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             IChannelBlend* blend)
{
  LICE_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, LiceColor(color), LiceWeight(blend),
                    LiceBlendMode(blend));
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  const LICE_Pixel p = LICE_GetPixel(mDrawBitmap, x, y);
  return IColor(p & 255, (p >> 8) & 255, (p >> 16) & 255, p >> 24);
}

void* IGraphics::GetBits() { return mDrawBitmap ? mDrawBitmap->getBits() : nullptr; }

// ---- Backgrounds ----

void IGraphics::AttachBackground(int ID, const char* name)
{
  IBitmap bg = LoadIBitmap(ID, name, 1, false);
  mControls.Insert(0, new IBitmapControl(mPlug, 0, 0, -1, &bg, IChannelBlend::kBlendClobber));
}

void IGraphics::AttachPanelBackground(const IColor* color)
{
  mControls.Insert(0, new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color));
}
