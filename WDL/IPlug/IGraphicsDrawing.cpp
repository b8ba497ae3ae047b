// Stand-in until the drawing primitives and caches land: only what the
// surface's own operations need (the control-bounds outline and the default
// text measure). The real file replaces this one as a whole.
#include "IGraphics.h"

#include "lice.h"

unsigned int LiceColor(const IColor* color)
{
  return LICE_RGBA(color->R, color->G, color->B, color->A);
}

bool IGraphics::DrawRect(const IColor* color, IRECT* r)
{
  const LICE_Pixel c = LiceColor(color);
  LICE_Line(mDrawBitmap, r->L, r->T, r->R, r->T, c, 1.0f, LICE_BLIT_MODE_COPY, false);
  LICE_Line(mDrawBitmap, r->L, r->B, r->R, r->B, c, 1.0f, LICE_BLIT_MODE_COPY, false);
  LICE_Line(mDrawBitmap, r->L, r->T, r->L, r->B, c, 1.0f, LICE_BLIT_MODE_COPY, false);
  LICE_Line(mDrawBitmap, r->R, r->T, r->R, r->B, c, 1.0f, LICE_BLIT_MODE_COPY, false);
  return true;
}

// No text yet: nothing is drawn or measured.
bool IGraphics::DrawIText(IText*, char*, IRECT*, bool) { return false; }
