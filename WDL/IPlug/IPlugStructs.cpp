#include "IPlugStructs.h"

#include <cstdio>

const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
const IColor COLOR_BLACK(255, 0, 0, 0);
const IColor COLOR_GRAY(255, 127, 127, 127);
const IColor COLOR_WHITE(255, 255, 255, 255);
const IColor COLOR_RED(255, 255, 0, 0);
const IColor COLOR_GREEN(255, 0, 255, 0);
const IColor COLOR_BLUE(255, 0, 0, 255);
const IColor COLOR_YELLOW(255, 255, 255, 0);
const IColor COLOR_ORANGE(255, 255, 127, 0);
const IColor DEFAULT_TEXT_COLOR(255, 0, 0, 0);
const IColor DEFAULT_TEXT_ENTRY_BGCOLOR(255, 255, 255, 255);
const IColor DEFAULT_TEXT_ENTRY_FGCOLOR(255, 0, 0, 0);

IRECT::IRECT(int x, int y, const IBitmap* bitmap)
    : L(x), T(y), R(x + bitmap->frameWidth()), B(y + bitmap->frameHeight())
{
}

IText::IText(int size, const IColor* color, const char* font, int style, int align, int orientation,
             int quality, const IColor* textEntryBGColor, const IColor* textEntryFGColor)
    : mSize(size), mColor(color ? *color : DEFAULT_TEXT_COLOR),
      mTextEntryBGColor(textEntryBGColor ? *textEntryBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR),
      mTextEntryFGColor(textEntryFGColor ? *textEntryFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR),
      mStyle(style), mAlign(align), mOrientation(orientation), mQuality(quality)
{
  std::snprintf(mFont, sizeof(mFont), "%s", font && *font ? font : DEFAULT_FONT);
}

IText::IText(const IColor* color) : IText(DEFAULT_TEXT_SIZE, color) {}
