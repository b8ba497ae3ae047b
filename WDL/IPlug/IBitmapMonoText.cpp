#include "IBitmapMonoText.h"

#include <cstring>

void DrawBitmapedText(IGraphics* g, IBitmap* font, IRECT* rect, IText* text, IChannelBlend* blend,
                      const char* str, bool vCenter, bool wrap, int charWidth, int charHeight,
                      int charOffset)
{
  if (!str || !*str) return;
  const int len = (int)strlen(str);
  const int cw = charWidth, ch = charHeight;
  const int lineWidth = rect->W() - 2 * cw;
  if (cw <= 0 || lineWidth <= 0) return;

  const int y0 = vCenter ? rect->T + (rect->H() - ch) / 2 : rect->T;
  const int x0 =
      text->mAlign == IText::kAlignCenter ? rect->L + (rect->W() - len * cw) / 2 : rect->L + cw;
  const long long stringWidth = (long long)cw * len;

  int perRow, lastRow;
  if (wrap && stringWidth > lineWidth)
  {
    perRow = lineWidth / cw;
    lastRow = (int)(stringWidth / lineWidth);
  }
  else if (wrap)
  {
    perRow = len;
    lastRow = 1;
  }
  else
  {
    perRow = lineWidth / cw;
    lastRow = 1;
  }

  const char* p = str;
  for (int row = 0; row <= lastRow; ++row)
  {
    const int y = y0 + row * ch;
    for (int pos = 0; pos < perRow; ++pos)
    {
      if (!*p) return;
      // Control characters and bytes above 127 give frames below 1: a space.
      const int frame = (int)(signed char)*p++ - 31;
      const int x = x0 + (cw + charOffset) * pos;
      IRECT cell(x, y, x + cw, y + ch);
      g->DrawBitmap(font, &cell, frame, blend);
    }
  }
}

IBitmapTextControl::IBitmapTextControl(IPlugBase* plug, IRECT rect, IBitmap* font, int charWidth,
                                       int charHeight, int charOffset, IText* text, const char* str)
    : ITextControl(plug, rect, text, str), mCharWidth(charWidth), mCharHeight(charHeight),
      mCharOffset(charOffset), mFont(*font)
{
}

bool IBitmapTextControl::Draw(IGraphics* g)
{
  if (mStr.GetLength())
    DrawBitmapedText(g, &mFont, &mRECT, &mText, &mBlend, mStr.Get(), true, false, mCharWidth,
                     mCharHeight, mCharOffset);
  return true;
}
