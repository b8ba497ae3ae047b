// IControl: the base of every editor control. A control holds one normalised
// value, may be bound to one plug-in parameter (and to further auxiliary
// ones), draws itself into the editor's back buffer and answers the mouse and
// keys that the editor routes to it. A change made by the user is clamped,
// marked for drawing and pushed to the plug-in; a change made by the plug-in
// is only taken and drawn.
//
// Threads: everything runs on the main thread except SetValueFromPlug, which
// the effect's audio processing reaches through IGraphics::SetControlFromPlug
// for its level meters. So the value, the dirty flag and the redraw request
// are atomics, written whole by one thread and read whole by the other; no
// lock is taken and nothing is allocated on that path.
#pragma once

#include <atomic>

#include "IPlugStructs.h"
#include "heapbuf.h"

class IGraphics;
class IParam;
class IPlugBase;

// A double that the audio thread may write while the main thread reads it
// (a control's value, default and clamp range). Reads and writes are whole;
// the compound assignments are for the main thread's own mouse handling.
class IControlValue
{
public:
  IControlValue(double v = 0.0) : mV(v) {}
  IControlValue(const IControlValue& o) : mV(o.Get()) {}
  operator double() const { return Get(); }
  double Get() const { return mV.load(std::memory_order_relaxed); }
  IControlValue& operator=(double v)
  {
    mV.store(v, std::memory_order_relaxed);
    return *this;
  }
  IControlValue& operator=(const IControlValue& o) { return *this = o.Get(); }
  IControlValue& operator+=(double d) { return *this = Get() + d; }
  IControlValue& operator-=(double d) { return *this = Get() - d; }

private:
  std::atomic<double> mV;
};

// The axis along which knobs and faders are dragged and radio buttons laid out.
enum EDirection
{
  kDirectionVertical = 0,
  kDirectionHorizontal = 1,
};

class IControl
{
public:
  // One auxiliary parameter binding: the parameter and the last value the
  // plug-in sent for it (0 until then).
  struct AuxParam
  {
    double mValue = 0.0;
    int mParamIdx;
    explicit AuxParam(int idx);
  };

  IControl(IPlugBase* plug, IRECT rect, int paramIdx = -1,
           IChannelBlend blend = IChannelBlend(IChannelBlend::kBlendNone));
  virtual ~IControl();
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Right button: PromptUserInput(); otherwise nothing.
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {}
  virtual void OnMouseDrag(int /*x*/, int /*y*/, int /*dX*/, int /*dY*/, IMouseMod* /*mod*/) {}
  // Restores the default value (the first one the plug-in sent), if any.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  // One wheel step is 0.01, or 0.001 with shift or control.
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // True when the key was taken.
  virtual bool OnKeyDown(int /*x*/, int /*y*/, int /*key*/) { return false; }
  virtual void OnMouseOver(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {}
  virtual void OnMouseOut() {}

  // Draws into the editor's back buffer; true unless drawing failed.
  virtual bool Draw(IGraphics* g) = 0;

  // Takes a value from the plug-in: never pushed back. May run on the audio
  // thread.
  virtual void SetValueFromPlug(double value);
  // Free text typed into the editor's text entry for this control.
  virtual void TextFromTextEntry(const char* /*text*/) {}

  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y);

  // Clamps the value, marks the control for drawing and, with push, sends the
  // value to the plug-in and feeds the display controls.
  virtual void SetDirty(bool push = true);
  // Called after drawing: the control stays dirty for one more frame when a
  // redraw was requested.
  virtual void SetClean();
  virtual bool IsDirty() { return mDirty.load(); }
  virtual void OnGUIIdle() {}
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);
  // A text from the plug-in to show: how a control's value and name displays
  // are fed (SetDirty). Text controls (ITextControl) override it; others
  // ignore it.
  virtual void SetTextFromPlug(const char* /*text*/) {}

  // A value from the user by other means than the control's own mouse
  // handling (a prompt, IGraphics::SetParameterFromGUI).
  void SetValueFromUserInput(double value);
  // Asks for one more drawing after the next.
  void Redraw() { mRedraw.store(true); }
  // The value range that SetDirty keeps; the value moves at the next SetDirty.
  void Clamp(double lo, double hi)
  {
    mClampLo = lo;
    mClampHi = hi;
  }

  // Opens the editor's prompt (a list or a text field) for the bound parameter.
  void PromptUserInput();
  void PromptUserInput(IRECT* area);

  AuxParam* GetAuxParam(int idx);
  // Index of the first auxiliary binding of paramIdx, or -1.
  int AuxParamIdx(int paramIdx);
  void AddAuxParam(int paramIdx);
  void SetAllAuxParamsFromGUI();
  int NAuxParams() const { return mAuxParams.GetSize(); }

  IRECT* GetRECT() { return &mRECT; }
  IRECT* GetTargetRECT() { return &mTargetRECT; }
  void SetTargetArea(IRECT r) { mTargetRECT = r; }
  int ParamIdx() const { return mParamIdx; }
  IText* GetText() { return &mText; }
  void SetText(const IText* text) { mText = *text; }
  double GetValue() const { return mValue; }
  double GetDefaultValue() const { return mDefaultValue; }
  const IChannelBlend* GetBlend() const { return &mBlend; }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool MouseDblAsSingleClick() const { return mDblAsSingleClick; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  const char* GetTooltip() const { return mTooltip; }

  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  void SetValDisplayControl(IControl* c) { mValDisplayControl = c; }
  void SetNameDisplayControl(IControl* c) { mNameDisplayControl = c; }
  // The text is not copied: it must outlive the control.
  void SetTooltip(const char* tooltip) { mTooltip = tooltip; }
  void SetMouseDblAsSingleClick(bool on) { mDblAsSingleClick = on; }
  void SetMOWhenGrayed(bool on) { mMOWhenGrayed = on; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }

protected:
  int mTextEntryLength = 7;
  IText mText;
  IPlugBase* mPlug;
  IRECT mRECT, mTargetRECT;
  int mParamIdx;
  WDL_TypedBuf<AuxParam> mAuxParams;
  IControlValue mValue = 0.0;
  IControlValue mDefaultValue = -1.0;
  IControlValue mClampLo = 0.0, mClampHi = 1.0;
  std::atomic<bool> mDirty{true};
  bool mHide = false;
  bool mGrayed = false;
  std::atomic<bool> mRedraw{false};
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend mBlend;
  IControl* mValDisplayControl = nullptr;
  IControl* mNameDisplayControl = nullptr;
  const char* mTooltip = nullptr;
};
