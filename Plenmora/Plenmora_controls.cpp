#include "Plenmora_controls.h"

#include <cstdio>

#include "IGraphics.h"
#include "IPlugBase.h"
#include "IPopupMenu.h"

IPresetMenu::IPresetMenu(IPlugBase* plug, IRECT rect, const IText* text) : IControl(plug, rect)
{
  mTextEntryLength = 253;
  mText = *text;
}

bool IPresetMenu::Draw(IGraphics* g)
{
  char name[256];
  snprintf(name, sizeof(name), "%s", mPlug->GetPresetName(mPlug->GetCurrentPresetIdx()));
  if (!name[0]) return true;
  // The text draws from the top of its rectangle: measure it to centre it.
  IRECT r(mRECT.L + kTextInset, mRECT.T, mRECT.R, mRECT.B);
  if (!g->MeasureIText(&mText, name, &r)) return false;
  const int top = mRECT.T + (mRECT.H() - r.H()) / 2;
  r = IRECT(mRECT.L + kTextInset, top, mRECT.R, top + r.H());
  return g->DrawIText(&mText, name, &r);
}

void IPresetMenu::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* g = mPlug->GetGUI();
  if (!g) return;
  IPopupMenu menu(IPopupMenu::kPrefixTwoDigits, false);
  const int current = mPlug->GetCurrentPresetIdx();
  for (int i = 0; i < mPlug->NPresets(); ++i)
    menu.AddItem(mPlug->GetPresetName(i), -1,
                 i == current ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
  if (g->CreateIPopupMenu(&menu, &mRECT) && mPlug->RestorePreset(menu.GetChosenItemIdx()))
    SetDirty(false);
}
