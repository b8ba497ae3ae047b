#include "IControl.h"

#include <cassert>

#include "IGraphics.h"
#include "IPlugBase.h"

// How a value from the audio thread reaches the screen.
//
// SetValueFromPlug (audio thread, for the level meters) stores the value,
// then raises the redraw request, then the dirty flag (through SetDirty).
// The main thread polls IsDirty, draws (reading the value) and calls
// SetClean, which takes the redraw request, stores it as the dirty flag and
// looks at the request once more. All three are sequentially consistent
// atomics, so take any order of the writer's steps against the cleaner's:
// - request raised before SetClean's exchange: the exchange returns it, the
//   control stays dirty and is drawn with the new value on the next frame;
// - raised between the exchange and the second look: the second look sees
//   it and marks the control dirty again;
// - raised after the second look: the writer's dirty flag comes after every
//   store SetClean makes, so it stands.
// The cleaner's "dirty = false" can therefore only overwrite a dirty flag
// whose request it has already seen; a value written while the main thread
// was drawing is drawn at most one frame late, never lost. Nothing on the
// writer's side locks or allocates.

IControl::AuxParam::AuxParam(int idx) : mParamIdx(idx) { assert(idx > -1); }

IControl::IControl(IPlugBase* plug, IRECT rect, int paramIdx, IChannelBlend blend)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blend)
{
}

IControl::~IControl() = default;

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  if (mDefaultValue < 0.0) return;
  mValue = mDefaultValue;
  SetDirty(true);
}

void IControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  const bool fine = mod && (mod->S || mod->C);
  mValue += d * (fine ? 0.001 : 0.01);
  SetDirty(true);
}

void IControl::SetValueFromPlug(double value)
{
  // The first value from the plug-in is the one a double click restores.
  if (mDefaultValue < 0.0)
  {
    mValue = value;
    mDefaultValue = value;
  }
  if (mValue == value) return;
  mValue = value;
  Redraw(); // before the dirty flag: see the note at the top
  SetDirty(false);
}

void IControl::SetValueFromUserInput(double value)
{
  if (mValue == value) return;
  mValue = value;
  SetDirty(true);
  Redraw();
}

void IControl::Hide(bool hide)
{
  mHide = hide;
  Redraw();
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

bool IControl::IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }

void IControl::SetDirty(bool push)
{
  const double v = mValue;
  if (v < mClampLo)
    mValue = mClampLo;
  else if (v > mClampHi)
    mValue = mClampHi;
  mDirty.store(true);
  if (!push || !mPlug || mParamIdx < 0) return;

  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  const IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  if (mValDisplayControl)
  {
    char display[32];
    param->GetDisplayForHost(display);
    WDL_String text(display, 32);
    text.Append(" ", 32);
    text.Append(param->GetLabelForHost(), 32);
    mValDisplayControl->SetTextFromPlug(text.Get());
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean()
{
  const bool redraw = mRedraw.exchange(false);
  mDirty.store(redraw);
  if (mRedraw.load()) mDirty.store(true);
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value)
{
  AuxParam* aux = GetAuxParam(auxParamIdx);
  if (aux->mValue == value) return;
  aux->mValue = value;
  Redraw();
  SetDirty(false);
}

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
  IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  // A list prompts over the whole control, a number in a small box centred on it.
  IRECT area = mRECT;
  if (!param->GetNDisplayTexts())
  {
    const int cx = (int)mRECT.MW(), cy = (int)mRECT.MH();
    area = IRECT(cx - 15, cy - 8, cx + 15, cy + 8);
  }
  PromptUserInput(&area);
}

void IControl::PromptUserInput(IRECT* area)
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
  IParam* param = mPlug->GetParam(mParamIdx);
  IGraphics* gui = mPlug->GetGUI();
  if (!param || !gui) return;
  gui->PromptUserInput(this, param, area);
  Redraw();
}

IControl::AuxParam* IControl::GetAuxParam(int idx)
{
  assert(idx > -1 && idx < mAuxParams.GetSize());
  return mAuxParams.Get() + idx;
}

int IControl::AuxParamIdx(int paramIdx)
{
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (mAuxParams.Get()[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::AddAuxParam(int paramIdx) { mAuxParams.Add(AuxParam(paramIdx)); }

void IControl::SetAllAuxParamsFromGUI()
{
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
  {
    const AuxParam& aux = mAuxParams.Get()[i];
    mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
  }
}
