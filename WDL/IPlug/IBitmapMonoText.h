// Text drawn with a picture font: one frame-strip bitmap holding the printable
// characters in code order from the space (frame = code - 31), all the same
// width. Characters are laid out in fixed cells, one or more rows.
#pragma once

#include "IControls.h"

// Draws text in cells of charWidth x charHeight, charOffset extra pixels
// between neighbouring cells. Centred alignment centres the row; every other
// alignment starts one cell in from the left. Without wrap a text longer than
// a row continues on one further row only. Nothing is drawn when the
// rectangle is not wider than two cells or the cell width is not positive.
void DrawBitmapedText(IGraphics* g, IBitmap* font, IRECT* rect, IText* text, IChannelBlend* blend,
                      const char* str, bool vCenter, bool wrap, int charWidth, int charHeight,
                      int charOffset);

// One row of picture-font text, centred vertically in its rectangle; of its
// text style only the alignment counts.
class IBitmapTextControl : public ITextControl
{
public:
  IBitmapTextControl(IPlugBase* plug, IRECT rect, IBitmap* font, int charWidth, int charHeight,
                     int charOffset, IText* text, const char* str = "");
  bool Draw(IGraphics* g) override;

protected:
  int mCharWidth, mCharHeight, mCharOffset;
  IBitmap mFont;
};
