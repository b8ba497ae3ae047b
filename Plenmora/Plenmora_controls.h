// The effect's own editor controls.
#pragma once

#include "IControl.h"

// The preset box: shows the current preset's name and, on a click, a menu of
// every preset, numbered "01: " on, with the current one checked. Choosing
// one restores it through the plug-in, after which every knob shows the
// preset's values and the box its name.
class IPresetMenu : public IControl
{
public:
  // text: the style of the name, drawn kTextInset pixels from the left of
  // rect and centred vertically in it.
  IPresetMenu(IPlugBase* plug, IRECT rect, const IText* text);

  static constexpr int kTextInset = 12;

  bool Draw(IGraphics* g) override;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};
