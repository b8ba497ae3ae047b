// The ready-made editor controls: pictures that show a value (a colour panel,
// frame-strip bitmaps), switches that step through frames on a click, an
// invisible switch, a momentary contact, an overlay shown on request, a fader,
// knobs turned by dragging, text labels and parameter captions, a link, a
// file selector and a row of radio buttons.
//
// A frame strip is an IBitmap of N equal frames, stacked or side by side;
// frame 1 is the top or left one. A picture that could not be loaded (no
// pixels) draws nothing.
#pragma once

#include "IControl.h"
#include "IGraphics.h"
#include "wdlstring.h"

#define DEFAULT_GEARING 4.0

// The rectangle of one frame of bitmap placed at (x, y).
IRECT FrameRECT(int x, int y, const IBitmap* bitmap);

// A rectangle filled with one colour; no parameter.
class IPanelControl : public IControl
{
public:
  IPanelControl(IPlugBase* plug, IRECT rect, const IColor* color);
  bool Draw(IGraphics* g) override;

protected:
  IColor mColor;
};

// Shows the frame of a strip that the value selects: value 0 the first frame,
// 1 the last, rounded to the nearest.
class IBitmapControl : public IControl
{
public:
  IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone);
  IBitmapControl(IPlugBase* plug, int x, int y, IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone);
  bool Draw(IGraphics* g) override;

protected:
  IBitmap mBitmap;
};

// Each click (and double click) steps to the next frame's value, wrapping from
// the last back to 0; a one-frame switch toggles between 0 and 1.
class ISwitchControl : public IBitmapControl
{
public:
  ISwitchControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
};

// A click opens the editor's list of the parameter's values.
class ISwitchPopUpControl : public ISwitchControl
{
public:
  ISwitchPopUpControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                      int blendMethod = IChannelBlend::kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// The control's area is cut into one band per frame; a click in band i
// selects frame i + 1.
class ISwitchFramesControl : public ISwitchControl
{
public:
  ISwitchFramesControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                       bool imagesAreHorizontal = false,
                       int blendMethod = IChannelBlend::kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

protected:
  WDL_TypedBuf<IRECT> mRECTs;
};

// A momentary button: the press steps the value, the release returns it to 0.
class IContactControl : public ISwitchControl
{
public:
  IContactControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                  int blendMethod = IChannelBlend::kBlendNone);
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// A picture shown over the editor while its value is 1. Off, it takes clicks
// only within the target area; on, anywhere in its picture. Each click
// toggles it.
class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IPlugBase* plug, int x, int y, IBitmap* bitmap, IRECT targetArea);
  bool Draw(IGraphics* g) override;

protected:
  IRECT mTargetArea;
};

// A click toggles the value between 0 and 1; draws nothing.
class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IPlugBase* plug, IRECT rect, int paramIdx);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};

// A handle picture sliding along a track of len pixels; the handle's centre
// follows the mouse. Vertical faders have value 1 at the top.
class IFaderControl : public IControl
{
public:
  IFaderControl(IPlugBase* plug, int x, int y, int len, int paramIdx, IBitmap* handleBitmap,
                EDirection direction = kDirectionVertical, bool onlyHandle = false);
  // The handle's rectangle at value (a negative value: the current one).
  IRECT GetHandleRECT(double value = -1.0) const;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool Draw(IGraphics* g) override;
  bool IsHit(int x, int y) override;
  virtual void SnapToMouse(int x, int y);

protected:
  int mLen, mHandleHeadroom;
  IBitmap mHandleBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};

// Turned by dragging: the full range takes gearing x the rectangle's extent
// in pixels, ten times that with shift or control. Up and right raise it.
class IKnobControl : public IControl
{
public:
  IKnobControl(IPlugBase* plug, IRECT rect, int paramIdx, EDirection direction = kDirectionVertical,
               double gearing = DEFAULT_GEARING);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;

protected:
  EDirection mDirection;
  double mGearing;
};

// A line from the centre; angles in radians, 0 up, growing clockwise. An
// outer radius of 0 means half the rectangle's width.
class IKnobLineControl : public IKnobControl
{
public:
  IKnobLineControl(IPlugBase* plug, IRECT rect, int paramIdx, const IColor* color,
                   double innerRadius = 0.0, double outerRadius = 0.0,
                   double minAngle = -0.75 * 3.141592653589793,
                   double maxAngle = 0.75 * 3.141592653589793,
                   EDirection direction = kDirectionVertical, double gearing = DEFAULT_GEARING);
  bool Draw(IGraphics* g) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// A picture turned about its centre; angles in radians.
class IKnobRotaterControl : public IKnobControl
{
public:
  IKnobRotaterControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                      double minAngle = -0.75 * 3.141592653589793,
                      double maxAngle = 0.75 * 3.141592653589793, int yOffsetZeroDeg = 0,
                      EDirection direction = kDirectionVertical, double gearing = DEFAULT_GEARING);
  bool Draw(IGraphics* g) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A film strip: value 0 the first frame, 1 the last.
class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                    EDirection direction = kDirectionVertical, double gearing = DEFAULT_GEARING);
  bool Draw(IGraphics* g) override;

protected:
  IBitmap mBitmap;
};

// A knob composed of a base picture, a mask added where it is opaque and a top
// picture, mask and top turned together; angles in degrees. The three
// pictures are expected to be the same size.
class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* base,
                           IBitmap* mask, IBitmap* top, double minAngle = -135.0,
                           double maxAngle = 135.0, EDirection direction = kDirectionVertical,
                           double gearing = DEFAULT_GEARING);
  bool Draw(IGraphics* g) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// A line of text in the control's text style; no parameter. The display
// controls of IControl are of this kind.
class ITextControl : public IControl
{
public:
  ITextControl(IPlugBase* plug, IRECT rect, IText* text, const char* str = "");
  // Takes a new text; the same text changes nothing.
  void SetTextFromPlug(const char* str) override;
  const char* GetTextString() const { return mStr.Get(); }
  bool Draw(IGraphics* g) override;

protected:
  WDL_String mStr;
};

// Shows the bound parameter's display string (and unit label), rebuilt at
// every drawing; a click or double click prompts for a new value.
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IPlugBase* plug, IRECT rect, int paramIdx, IText* text,
                  bool showParamLabel = true);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* g) override;

protected:
  bool mShowParamLabel;
};

// An invisible clickable area that opens an address (or, when that fails,
// the fallback address).
class IURLControl : public IControl
{
public:
  IURLControl(IPlugBase* plug, IRECT rect, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }

protected:
  char mURL[256], mBackupURL[256], mErrMsg[1024];
};

// Runs the platform's open or save dialog on a click and keeps the chosen
// path; the busy picture shows while the dialog is up. Each selection toggles
// the value between 0 and 1 and pushes it.
class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState
  {
    kFSNone = 0,
    kFSSelecting = 1,
    kFSDone = 2,
  };

  IFileSelectorControl(IPlugBase* plug, IRECT rect, int paramIdx, IBitmap* busyBitmap,
                       EFileAction action, const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* g) override;
  // Dirty once more after a selection.
  bool IsDirty() override;

  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
  void GetLastSelectedFileForPlug(WDL_String* out) { out->Set(mFile.Get()); }
  EFileSelectorState GetState() const { return mState; }

protected:
  IBitmap mBitmap;
  WDL_String mDir, mFile, mExtensions;
  EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};

// A row of n buttons spread evenly over the rectangle (reverse: laid out from
// the far end); the bitmap's frame 1 is a button off, frame 2 on. Button i
// selects the value i / (n - 1).
class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IPlugBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
                       EDirection direction = kDirectionVertical, bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* g) override;
  int NButtons() const { return mRECTs.GetSize(); }
  const IRECT* GetButtonRECT(int i) const
  {
    return i >= 0 && i < mRECTs.GetSize() ? mRECTs.Get() + i : nullptr;
  }

protected:
  WDL_TypedBuf<IRECT> mRECTs;
  IBitmap mBitmap;
};
