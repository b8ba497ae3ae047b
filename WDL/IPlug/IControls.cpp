#include "IControls.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "IParam.h"
#include "IPlugBase.h"

namespace
{
// The frame (1..n) that a value selects: 0 the first, 1 the last, rounded to
// the nearest; values outside 0..1 select the end frames.
int FrameForValue(double value, int n)
{
  const double f = 1.0 + std::trunc(value * (double)(n - 1) + 0.5);
  if (!(f > 1.0)) return 1;
  return f < (double)n ? (int)f : n;
}
} // namespace

// ---- Panel and bitmap ----

IPanelControl::IPanelControl(IPlugBase* plug, IRECT rect, const IColor* color)
    : IControl(plug, rect, -1, IChannelBlend(IChannelBlend::kBlendNone)), mColor(*color)
{
}

bool IPanelControl::Draw(IGraphics* g)
{
  g->FillIRect(&mColor, &mRECT, &mBlend);
  return true;
}

IBitmapControl::IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                               int blendMethod)
    : IControl(plug, IRECT(x, y, bitmap), paramIdx, IChannelBlend(blendMethod)), mBitmap(*bitmap)
{
}

IBitmapControl::IBitmapControl(IPlugBase* plug, int x, int y, IBitmap* bitmap, int blendMethod)
    : IBitmapControl(plug, x, y, -1, bitmap, blendMethod)
{
}

bool IBitmapControl::Draw(IGraphics* g)
{
  const int frame = mBitmap.N > 1 ? FrameForValue(mValue, mBitmap.N) : 1;
  return g->DrawBitmap(&mBitmap, &mRECT, frame, &mBlend);
}

// ---- Switches ----

ISwitchControl::ISwitchControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                               int blendMethod)
    : IBitmapControl(plug, x, y, paramIdx, bitmap, blendMethod)
{
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue += mBitmap.N > 1 ? 1.0 / (double)(mBitmap.N - 1) : 1.0;
  // Above 1 by more than the rounding of the repeated steps.
  if (mValue > 1.001) mValue = 0.0;
  SetDirty();
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* mod) { OnMouseDown(x, y, mod); }

ISwitchPopUpControl::ISwitchPopUpControl(IPlugBase* plug, int x, int y, int paramIdx,
                                         IBitmap* bitmap, int blendMethod)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod)
{
  // The list is the whole point of this switch.
  mDisablePrompt = false;
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*)
{
  PromptUserInput();
  SetDirty();
}

ISwitchFramesControl::ISwitchFramesControl(IPlugBase* plug, int x, int y, int paramIdx,
                                           IBitmap* bitmap, bool imagesAreHorizontal,
                                           int blendMethod)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod)
{
  mDisablePrompt = false;
  const int n = mBitmap.N > 0 ? mBitmap.N : 0;
  for (int i = 0; i < n; ++i)
    mRECTs.Add(imagesAreHorizontal ? mRECT.SubRectHorizontal(n, i) : mRECT.SubRectVertical(n, i));
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod*)
{
  const int n = mRECTs.GetSize();
  // With a single band there is no other value to choose.
  for (int i = 0; n > 1 && i < n; ++i)
  {
    if (mRECTs.Get()[i].Contains(x, y))
    {
      mValue = (double)i / (double)(n - 1);
      break;
    }
  }
  SetDirty();
}

IContactControl::IContactControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                 int blendMethod)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod)
{
}

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  mValue = 0.0;
  SetDirty();
}

IBitmapOverlayControl::IBitmapOverlayControl(IPlugBase* plug, int x, int y, IBitmap* bitmap,
                                             IRECT targetArea)
    : ISwitchControl(plug, x, y, -1, bitmap, IChannelBlend::kBlendNone), mTargetArea(targetArea)
{
}

bool IBitmapOverlayControl::Draw(IGraphics* g)
{
  if (mValue < 0.5)
  {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(g);
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IPlugBase* plug, IRECT rect, int paramIdx)
    : IControl(plug, rect, paramIdx, IChannelBlend(IChannelBlend::kBlendClobber))
{
  mDisablePrompt = true;
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty();
}

// ---- Fader ----

IFaderControl::IFaderControl(IPlugBase* plug, int x, int y, int len, int paramIdx,
                             IBitmap* handleBitmap, EDirection direction, bool onlyHandle)
    : IControl(plug, IRECT(), paramIdx, IChannelBlend(IChannelBlend::kBlendNone)), mLen(len),
      mHandleBitmap(*handleBitmap), mDirection(direction), mOnlyHandle(onlyHandle)
{
  if (direction == kDirectionHorizontal)
  {
    mHandleHeadroom = handleBitmap->W;
    mRECT = mTargetRECT = IRECT(x, y, x + len, y + handleBitmap->H);
  }
  else
  {
    mHandleHeadroom = handleBitmap->H;
    mRECT = mTargetRECT = IRECT(x, y, x + handleBitmap->W, y + len);
  }
}

IRECT IFaderControl::GetHandleRECT(double value) const
{
  if (value < 0.0) value = mValue;
  // Values beyond the track (the plug-in's first value is not clamped), and
  // NaN, put the handle at the nearer end, NaN at the low one.
  value = Clamp01(value);
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mHandleBitmap.W, mRECT.T + mHandleBitmap.H);
  const int travel = mLen - mHandleHeadroom;
  if (mDirection == kDirectionVertical)
  {
    const int offs = (int)((1.0 - value) * (double)travel);
    r.T += offs;
    r.B += offs;
  }
  else
  {
    const int offs = (int)((double)travel * value);
    r.L += offs;
    r.R += offs;
  }
  return r;
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
    PromptUserInput();
  else
    SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) { SnapToMouse(x, y); }

bool IFaderControl::Draw(IGraphics* g)
{
  IRECT r = GetHandleRECT();
  return g->DrawBitmap(&mHandleBitmap, &r, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y)
{
  return mOnlyHandle ? GetHandleRECT().Contains(x, y) : mTargetRECT.Contains(x, y);
}

void IFaderControl::SnapToMouse(int x, int y)
{
  // A handle as long as the track cannot move.
  const int travel = mLen - mHandleHeadroom;
  if (travel == 0) return;
  const int half = mHandleHeadroom / 2;
  if (mDirection == kDirectionVertical)
    mValue = 1.0 - (double)(y - mRECT.T - half) / (double)travel;
  else
    mValue = (double)(x - mRECT.L - half) / (double)travel;
  SetDirty();
}

// ---- Knobs ----

IKnobControl::IKnobControl(IPlugBase* plug, IRECT rect, int paramIdx, EDirection direction,
                           double gearing)
    : IControl(plug, rect, paramIdx, IChannelBlend(IChannelBlend::kBlendNone)),
      mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
  double gearing = mGearing;
  if (mod && (mod->S || mod->C)) gearing *= 10.0;
  // A knob without extent along its direction cannot be turned.
  if (mDirection == kDirectionVertical)
  {
    if (mRECT.T == mRECT.B) return;
    mValue += (double)dY / (double)(mRECT.T - mRECT.B) / gearing;
  }
  else
  {
    if (mRECT.R == mRECT.L) return;
    mValue += (double)dX / (double)(mRECT.R - mRECT.L) / gearing;
  }
  SetDirty();
}

IKnobLineControl::IKnobLineControl(IPlugBase* plug, IRECT rect, int paramIdx, const IColor* color,
                                   double innerRadius, double outerRadius, double minAngle,
                                   double maxAngle, EDirection direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing), mColor(*color),
      mMinAngle((float)minAngle), mMaxAngle((float)maxAngle), mInnerRadius((float)innerRadius),
      mOuterRadius((float)outerRadius)
{
  if (mOuterRadius == 0.0f) mOuterRadius = 0.5f * (float)rect.W();
  mBlend = IChannelBlend(IChannelBlend::kBlendClobber);
}

bool IKnobLineControl::Draw(IGraphics* g)
{
  const double a = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  const float s = (float)std::sin(a), c = (float)std::cos(a);
  const float cx = mRECT.MW(), cy = mRECT.MH();
  return g->DrawLine(&mColor, cx + mInnerRadius * s, cy - mInnerRadius * c, cx + mOuterRadius * s,
                     cy - mOuterRadius * c, &mBlend, true);
}

IKnobRotaterControl::IKnobRotaterControl(IPlugBase* plug, int x, int y, int paramIdx,
                                         IBitmap* bitmap, double minAngle, double maxAngle,
                                         int yOffsetZeroDeg, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + bitmap->W, y + bitmap->H), paramIdx, direction, gearing),
      mBitmap(*bitmap), mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffsetZeroDeg)
{
}

bool IKnobRotaterControl::Draw(IGraphics* g)
{
  const int cx = (mRECT.L + mRECT.R) / 2, cy = (mRECT.T + mRECT.B) / 2;
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return g->DrawRotatedBitmap(&mBitmap, cx, cy, angle, mYOffset, &mBlend);
}

IKnobMultiControl::IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing), mBitmap(*bitmap)
{
}

bool IKnobMultiControl::Draw(IGraphics* g)
{
  return g->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mValue, mBitmap.N), &mBlend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPlugBase* plug, int x, int y, int paramIdx,
                                                   IBitmap* base, IBitmap* mask, IBitmap* top,
                                                   double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + base->W, y + base->H), paramIdx, direction, gearing),
      mBase(*base), mMask(*mask), mTop(*top), mMinAngle(minAngle), mMaxAngle(maxAngle)
{
}

bool IKnobRotatingMaskControl::Draw(IGraphics* g)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return g->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}

// ---- Text and caption ----

ITextControl::ITextControl(IPlugBase* plug, IRECT rect, IText* text, const char* str)
    : IControl(plug, rect)
{
  mText = *text;
  mStr.Set(str ? str : "");
}

void ITextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (strcmp(mStr.Get(), str) == 0) return;
  SetDirty(false);
  mStr.Set(str);
}

bool ITextControl::Draw(IGraphics* g)
{
  if (!mStr.GetLength()) return true;
  return g->DrawIText(&mText, const_cast<char*>(mStr.Get()), &mRECT);
}

ICaptionControl::ICaptionControl(IPlugBase* plug, IRECT rect, int paramIdx, IText* text,
                                 bool showParamLabel)
    : ITextControl(plug, rect, text, ""), mShowParamLabel(showParamLabel)
{
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*) { PromptUserInput(); }

bool ICaptionControl::Draw(IGraphics* g)
{
  const IParam* param = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  if (param)
  {
    char display[32];
    param->GetDisplayForHost(display);
    mStr.Set(display);
    // The blank comes also before an empty label, as in the value displays.
    if (mShowParamLabel)
    {
      mStr.Append(" ");
      mStr.Append(param->GetLabelForHost());
    }
  }
  return ITextControl::Draw(g);
}

// ---- Link ----

IURLControl::IURLControl(IPlugBase* plug, IRECT rect, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
    : IControl(plug, rect)
{
  memset(mURL, 0, sizeof(mURL));
  memset(mBackupURL, 0, sizeof(mBackupURL));
  memset(mErrMsg, 0, sizeof(mErrMsg));
  if (url && *url) snprintf(mURL, sizeof(mURL), "%s", url);
  if (backupURL && *backupURL) snprintf(mBackupURL, sizeof(mBackupURL), "%s", backupURL);
  if (errMsgOnFailure && *errMsgOnFailure)
    snprintf(mErrMsg, sizeof(mErrMsg), "%s", errMsgOnFailure);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* g = mPlug ? mPlug->GetGUI() : nullptr;
  if (!g) return;
  bool opened = false;
  if (mURL[0]) opened = g->OpenURL(mURL, mErrMsg, nullptr, nullptr);
  if (!opened && mBackupURL[0]) g->OpenURL(mBackupURL, mErrMsg, nullptr, nullptr);
}

// ---- File selector ----

IFileSelectorControl::IFileSelectorControl(IPlugBase* plug, IRECT rect, int paramIdx,
                                           IBitmap* busyBitmap, EFileAction action, const char* dir,
                                           const char* extensions)
    : IControl(plug, rect, paramIdx), mBitmap(*busyBitmap), mFileAction(action)
{
  mDir.Set(dir ? dir : "");
  mExtensions.Set(extensions ? extensions : "");
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* g = mPlug ? mPlug->GetGUI() : nullptr;
  if (!g) return;
  mState = kFSSelecting;
  SetDirty(false);
  g->PromptForFile(&mFile, mFileAction, &mDir, const_cast<char*>(mExtensions.Get()));
  mValue += 1.0;
  if (mValue > 1.0) mValue = 0.0;
  mState = kFSDone;
  SetDirty();
}

bool IFileSelectorControl::IsDirty()
{
  if (mDirty.load()) return true;
  if (mState == kFSDone)
  {
    mState = kFSNone;
    return true;
  }
  return false;
}

bool IFileSelectorControl::Draw(IGraphics* g)
{
  if (mState == kFSSelecting) g->DrawBitmap(&mBitmap, &mRECT, 0, 0, nullptr);
  return true;
}

// ---- Radio buttons ----

IRadioButtonsControl::IRadioButtonsControl(IPlugBase* plug, IRECT rect, int paramIdx, int nButtons,
                                           IBitmap* bitmap, EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mBitmap(*bitmap)
{
  const int n = nButtons > 0 ? nButtons : 0;
  mRECTs.Resize(n);
  // A bitmap without frames counts as one frame.
  const int h = (int)((double)mBitmap.H / (double)(mBitmap.N > 0 ? mBitmap.N : 1));
  const int w = mBitmap.W;
  const bool horizontal = direction == kDirectionHorizontal;
  // A single button has no gap to spread and sits where the row starts.
  int gap = 0;
  if (n > 1)
    gap = horizontal ? (int)((double)(rect.W() - n * w) / (double)(n - 1))
                     : (int)((double)(rect.H() - n * h) / (double)(n - 1));
  int x = rect.L, y = rect.T;
  if (reverse)
  {
    if (horizontal)
      x = rect.R - w - gap;
    else
      y = rect.B - h - gap;
  }
  const int step = (horizontal ? w : h) + gap;
  for (int i = 0; i < n; ++i)
  {
    mRECTs.Get()[i] = IRECT(x, y, x + w, y + h);
    const int d = reverse ? -step : step;
    if (horizontal)
      x += d;
    else
      y += d;
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
  {
    PromptUserInput();
    return;
  }
  const int n = mRECTs.GetSize();
  for (int i = 0; i < n; ++i)
  {
    if (mRECTs.Get()[i].Contains(x, y))
    {
      mValue = n > 1 ? (double)i / (double)(n - 1) : 0.0;
      break;
    }
  }
  SetDirty();
}

bool IRadioButtonsControl::Draw(IGraphics* g)
{
  const int n = mRECTs.GetSize();
  const int active = n > 1 ? FrameForValue(mValue, n) - 1 : 0;
  for (int i = 0; i < n; ++i)
  {
    const int frame = mBitmap.N >= 2 && i == active ? 2 : 1;
    g->DrawBitmap(&mBitmap, mRECTs.Get() + i, frame, &mBlend);
  }
  return true;
}
