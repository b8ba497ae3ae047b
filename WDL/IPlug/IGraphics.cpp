// The editor surface's own operations: the control list, dirty tracking and
// drawing order, mouse and key routing, parameter synchronisation, prompts,
// resizing and lifetime. The drawing primitives and the caches are in
// IGraphicsDrawing.cpp.
#include "IGraphics.h"

#include <cstdlib>
#include <cstring>

#include "IPlugBase.h"
#include "IPopupMenu.h"
#include "lice.h"

IGraphics::IGraphics(IPlugBase* plug, int w, int h, int refreshFPS)
    : mPlug(plug), mWidth(w), mHeight(h), mFPS(refreshFPS < 1 ? 25 : refreshFPS)
{
}

// Runs when the plug-in is deleted, after the host stopped the audio stream:
// no SetControlFromPlug can be inside the list any more.
IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mKeyCatcher = nullptr;
  mControls.Empty(true);
  delete mDrawBitmap;
  delete mTmpBitmap;
}

bool IGraphics::MeasureIText(IText* text, char* str, IRECT* r)
{
  return DrawIText(text, str, r, true);
}

// ---- Controls ----

int IGraphics::AttachControl(IControl* c)
{
  if (!mControls.Add(c))
  {
    delete c; // the list could not grow; the surface owns c all the same
    return -1;
  }
  return mControls.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* c)
{
  if (mKeyCatcher != c) delete mKeyCatcher;
  mKeyCatcher = c;
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->Hide(hide);
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->GrayOut(gray);
}

// ---- Dirty tracking and drawing ----

bool IGraphics::IsDirty(IRECT* r)
{
  // Polled on every frame: a plain walk over the list.
  IControl* const* list = mControls.GetList();
  const int n = mControls.GetSize();
  bool dirty = false;
  for (int i = 0; i < n; ++i)
  {
    if (!list[i]->IsDirty()) continue;
    *r = r->Union(*list[i]->GetRECT());
    dirty = true;
  }
  return dirty;
}

void IGraphics::SetAllControlsDirty()
{
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

bool IGraphics::Draw(IRECT* r)
{
  const int n = mControls.GetSize();
  if (!n) return true;
  IControl* const* list = mControls.GetList();

  if (mStrict)
  {
    // Every control that meets the area is drawn; all are cleaned.
    mDrawRECT = *r;
    for (int i = 0; i < n; ++i)
    {
      IControl* c = list[i];
      if (!c->IsHidden() && r->Intersects(*c->GetRECT())) c->Draw(this);
      c->SetClean();
    }
  }
  else if (list[0]->IsDirty())
  {
    // The background is dirty: everything is drawn again (the background
    // even when hidden).
    mDrawRECT = *list[0]->GetRECT();
    for (int i = 0; i < n; ++i)
    {
      IControl* c = list[i];
      if (i && c->IsHidden()) continue;
      c->Draw(this);
      c->SetClean();
    }
  }
  else
  {
    // Each dirty control is drawn again with whatever meets it.
    for (int i = 1; i < n; ++i)
    {
      IControl* dirty = list[i];
      if (!dirty->IsDirty()) continue;
      mDrawRECT = *dirty->GetRECT();
      for (int j = 0; j < n; ++j)
      {
        IControl* c = list[j];
        if (!c->IsHidden() && (j == i || c->GetRECT()->Intersects(mDrawRECT))) c->Draw(this);
      }
      dirty->SetClean();
    }
  }

  if (mShowControlBounds)
    for (int i = 1; i < n; ++i) DrawRect(&COLOR_GREEN, list[i]->GetRECT());

  return DrawScreen(r);
}

void IGraphics::PrepDraw()
{
  // Called once by the plug-in when it attaches the surface, and by Resize;
  // bitmaps of an earlier call are freed.
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = new LICE_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
}

void IGraphics::Resize(int w, int h)
{
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  {
    // The audio thread walks the list in SetControlFromPlug, inside the
    // effect's processing, which holds the plug-in mutex: with the mutex
    // held here it never sees the list change.
    IPlugBase::IMutexLock lock(mPlug);
    mControls.Empty(true);
  }
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = nullptr;
  mTmpBitmap = nullptr;
  PrepDraw();
  mPlug->ResizeGraphics(w, h);
}

// ---- Mouse and keys ----

int IGraphics::GetMouseControlIdx(int x, int y, bool mo)
{
  if (mMouseCapture >= 0) return mMouseCapture;
  // Later controls lie on top.
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mo && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  const int c = GetMouseControlIdx(x, y, false);
  IControl* control = mControls.Get(c);
  if (!control) return;
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  const int paramIdx = control->ParamIdx();
  if (paramIdx >= 0) mPlug->BeginInformHostOfParamChange(paramIdx);
  control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
  const int c = GetMouseControlIdx(x, y, false);
  mMouseCapture = mMouseX = mMouseY = -1;
  IControl* control = mControls.Get(c);
  if (!control) return;
  control->OnMouseUp(x, y, mod);
  const int paramIdx = control->ParamIdx();
  if (paramIdx >= 0) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  IControl* control = mControls.Get(mMouseCapture);
  if (!control) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (!dX && !dY) return;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  const int c = GetMouseControlIdx(x, y, false);
  IControl* control = mControls.Get(c);
  if (!control) return false;
  if (control->MouseDblAsSingleClick())
  {
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    control->OnMouseDown(x, y, mod);
    return true;
  }
  control->OnMouseDblClick(x, y, mod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
  if (IControl* control = mControls.Get(GetMouseControlIdx(x, y, false)))
    control->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
  if (!mHandleMouseOver) return false;
  const int c = GetMouseControlIdx(x, y, true);
  IControl* control = mControls.Get(c);
  if (!control) return true;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseOver(x, y, mod);
  if (mMouseOver >= 0 && mMouseOver != c)
    if (IControl* previous = mControls.Get(mMouseOver)) previous->OnMouseOut();
  mMouseOver = c;
  return true;
}

void IGraphics::OnMouseOut()
{
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  const int c = GetMouseControlIdx(x, y, false);
  // The background (index 0) does not take keys: they go to the key catcher.
  if (c > 0)
    if (IControl* control = mControls.Get(c)) return control->OnKeyDown(x, y, key);
  return mKeyCatcher && mKeyCatcher->OnKeyDown(x, y, key);
}

void IGraphics::ReleaseMouseCapture() { mMouseCapture = mMouseX = mMouseY = -1; }

void IGraphics::OnGUIIdle()
{
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnGUIIdle();
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
  const int c = GetMouseControlIdx(x, y, false);
  mLastClickedParam = c > 0 ? mControls.Get(c)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int idx = mLastClickedParam;
  mLastClickedParam = -1;
  return idx;
}

// ---- Parameters ----

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (!normalized)
  {
    const IParam* param = mPlug->GetParam(paramIdx);
    if (!param) return;
    value = param->GetNormalized(value);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromPlug(value);
    const int aux = c->AuxParamIdx(paramIdx);
    if (aux > -1) c->SetAuxParamValueFromPlug(aux, value);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  // Audio thread: a bounds check and one call, no lock (see IGraphics.h).
  if (IControl* c = mControls.Get(controlIdx)) c->SetValueFromPlug(normalizedValue);
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  if (!normalized)
  {
    const IParam* param = mPlug->GetParam(paramIdx);
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->Clamp(lo, hi);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx)
      mControls.Get(i)->SetValueFromUserInput(normalizedValue);
}

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* area)
{
  if (!control || !param || !area) return;
  const int type = param->Type();
  const int nTexts = param->GetNDisplayTexts();
  char current[32];

  if (type == IParam::kTypeEnum || (type == IParam::kTypeBool && nTexts > 0))
  {
    // A list of the display texts, the current one checked.
    param->GetDisplayForHost(current);
    IPopupMenu menu(IPopupMenu::kPrefixNone, false);
    for (int i = 0; i < nTexts; ++i)
    {
      const char* text = param->GetDisplayText(i);
      menu.AddItem(text, -1,
                   strcmp(text, current) ? IPopupMenuItem::kNoFlags : IPopupMenuItem::kChecked);
    }
    if (CreateIPopupMenu(&menu, area))
      control->SetValueFromUserInput(param->GetNormalized((double)menu.GetChosenItemIdx()));
    return;
  }

  param->GetDisplayForHostNoDisplayText(current);
  CreateTextEntry(control, control->GetText(), area, current, param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, char* text)
{
  if (!control || !param || !text) return;
  double number;
  const int type = param->Type();
  if (type == IParam::kTypeEnum || type == IParam::kTypeBool)
  {
    int v = 0; // a text that names no value gives 0
    param->MapDisplayText(text, &v);
    number = v;
  }
  else
  {
    number = atof(text);
    if (param->DisplayIsNegated()) number = -number;
  }
  control->SetValueFromUserInput(param->GetNormalized(number));
}
