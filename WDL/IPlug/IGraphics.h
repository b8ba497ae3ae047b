// IGraphics: the editor surface that a plug-in owns while its editor exists.
// It holds the controls in attach order, the back buffer they draw into and
// the editor's mouse and key state. A platform back end derives from it and
// supplies the window, the screen copy, menus, text entry and image loading;
// its view drives the surface: each timer tick asks IsDirty for the area to
// redraw and the paint call hands that area to Draw.
//
// Threads: every operation runs on the main thread except SetControlFromPlug,
// which the effect calls from its audio processing (under the plug-in mutex)
// for its level meters. The control list therefore never changes while audio
// runs: controls are attached while the editor is built, before the plug-in
// attaches it; Resize deletes them under the plug-in mutex; the surface is
// destroyed with the plug-in, after the host stopped the audio stream.
#pragma once

#include "IControl.h"
#include "IPlugStructs.h"
#include "mutex.h"
#include "ptrlist.h"
#include "wdlstring.h"

class IParam;
class IPlugBase;
class IPopupMenu;
class LICE_IBitmap;
class LICE_IFont;
class LICE_MemBitmap;
class LICE_SysBitmap;

enum EFileAction
{
  kFileActionOpen = 0,
  kFileActionSave = 1,
};

class IGraphics
{
public:
  // refreshFPS below 1 means 25 frames per second.
  IGraphics(IPlugBase* plug, int w, int h, int refreshFPS = 0);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Left to the platform back end ----

  // Copies the back buffer to the screen; r is the area just drawn.
  virtual bool DrawScreen(IRECT* r) = 0;
  virtual bool MeasureIText(IText* text, char* str, IRECT* r);
  // Closes an open text entry without applying it.
  virtual void ForceEndUserEdit() = 0;
  // Rebuilds the drawing surfaces at a new size; every control is deleted.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  // type 0: OK; 1: OK, Cancel; 3: Yes, No, Cancel; 4: Yes, No. Returns 1 OK,
  // 2 Cancel, 6 Yes, 7 No, 0 when closed without a button.
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Shows the menu at the area and waits for the user; returns the menu (or
  // submenu) whose item was chosen, with its chosen index set, or null.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) = 0;
  // Opens a text field over the area, filled with str; the result comes back
  // through SetFromStringAfterPrompt (with a parameter) or the control's
  // TextFromTextEntry (without).
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* area, const char* str,
                               IParam* param) = 0;
  virtual void HostPath(WDL_String* path) = 0;
  virtual void PluginPath(WDL_String* path) = 0;
  virtual void DesktopPath(WDL_String* path) = 0;
  virtual void AppSupportPath(WDL_String* path) = 0;
  // Runs the open or save dialog; file becomes the chosen path, "" when none.
  virtual void PromptForFile(WDL_String* file, EFileAction action = kFileActionOpen,
                             WDL_String* dir = nullptr, char* extensions = nullptr) = 0;
  virtual bool PromptForColor(IColor* color, char* prompt = nullptr) = 0;
  // Opens a web address (text containing "http") or a file path; true when
  // the launch succeeded.
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
                       const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) = 0;
  // Opens the editor's view inside the parent window and returns the view.
  virtual void* OpenWindow(void* parent) = 0;
  virtual void* OpenWindow(void* /*parent*/, void* /*parentControl*/, short /*x*/ = 0,
                           short /*y*/ = 0)
  {
    return nullptr;
  }
  virtual void AttachSubWindow(void* /*hostWindowRef*/) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;

  virtual ~IGraphics();

  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // Loads an image resource; the caller owns the result, null on failure.
  virtual LICE_IBitmap* OSLoadBitmap(int ID, const char* name) = 0;

  // ---- Controls ----

  // Appends c and returns its index; the surface owns it from then on.
  int AttachControl(IControl* c);
  // Inserts a bitmap background (plain copy) or a colour panel at index 0.
  void AttachBackground(int ID, const char* name);
  void AttachPanelBackground(const IColor* color);
  // The control that gets keys no control under the mouse takes; owned.
  void AttachKeyCatcher(IControl* c);
  IControl* GetControl(int idx) { return mControls.Get(idx); }
  int NControls() const { return mControls.GetSize(); }
  // By parameter index: every control bound to paramIdx.
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  int GetMouseOver() const { return mMouseOver; }
  bool TooltipsEnabled() const { return mEnableTooltips; }
  void EnableTooltips(bool enable) { mEnableTooltips = enable; }
  void HandleMouseOver(bool handle) { mHandleMouseOver = handle; }
  void ShowControlBounds(bool show) { mShowControlBounds = show; }
  IPlugBase* GetPlug() { return mPlug; }

  // ---- Dirty tracking and drawing ----

  // Unions the rectangles of the dirty controls into r; true when any is dirty.
  bool IsDirty(IRECT* r);
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  // Draws the controls that need it into the back buffer, cleans them and
  // copies the area to the screen.
  bool Draw(IRECT* r);
  // Makes the back buffer and the scratch bitmap.
  void PrepDraw();

  // ---- Mouse and keys (editor pixels, origin top left) ----

  int GetMouseControlIdx(int x, int y, bool mo = false);
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // True when a capture was started (a double click taken as a click).
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  // False when no control took the key.
  bool OnKeyDown(int x, int y, int key);
  void ReleaseMouseCapture();
  void OnGUIIdle();
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();

  // ---- Parameters ----

  void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // Sets one control's value by control index; safe on the audio thread.
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // A popup menu of the display texts for a list parameter, else a text field.
  void PromptUserInput(IControl* control, IParam* param, IRECT* area);
  void SetFromStringAfterPrompt(IControl* control, IParam* param, char* text);

  // ---- Images, fonts and drawing (into the back buffer) ----

  // The image with resource ID, loaded once per process and shared. A missing
  // image gives an IBitmap without pixels (reported once per name).
  IBitmap LoadIBitmap(int ID, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  void RetainBitmap(IBitmap* bitmap);
  void ReleaseBitmap(IBitmap* bitmap);
  IBitmap CropBitmap(IBitmap* bitmap, IRECT* r);
  IBitmap ScaleBitmap(IBitmap* bitmap, int destW, int destH);
  LICE_IFont* CacheFont(IText* text);

  bool DrawIText(IText* text, char* str, IRECT* r, bool measure = false);
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                  const IChannelBlend* blend = nullptr);
  // frame counts from 1.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame = 1,
                  const IChannelBlend* blend = nullptr);
  bool DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                         int yOffsetZeroDeg = 0, const IChannelBlend* blend = nullptr);
  // angle in degrees.
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                       const IChannelBlend* blend = nullptr);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                 bool antiAlias = false);
  bool ForcePixel(const IColor* color, int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // angle in radians; 0 points up, positive angles turn clockwise.
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi);
  bool DrawHorizontalLine(const IColor* color, IRECT* r, float y);
  bool DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi);
  bool DrawVerticalLine(const IColor* color, IRECT* r, float x);
  bool DrawRect(const IColor* color, IRECT* r);
  bool DrawCircle(const IColor* color, float cx, float cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool FillCircle(const IColor* color, int cx, int cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend = nullptr);
  bool RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerradius,
                 bool antiAlias);
  bool FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerradius,
                     bool antiAlias);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints,
                          const IChannelBlend* blend = nullptr);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    IChannelBlend* blend = nullptr);
  IColor GetPoint(int x, int y);
  void* GetBits();
  LICE_SysBitmap* GetDrawBitmap() { return mDrawBitmap; }

protected:
  WDL_Mutex mMutex;
  WDL_PtrList<IControl> mControls;
  IPlugBase* mPlug;
  IRECT mDrawRECT;
  bool mCursorHidden = false;
  int mHiddenCursorX = -1, mHiddenCursorY = -1;
  LICE_SysBitmap* mDrawBitmap = nullptr;
  LICE_MemBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight;
  int mFPS;
  int mIdleTicks = 0;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mEnableTooltips = false;
  bool mShowControlBounds = false;
  IControl* mKeyCatcher = nullptr;
};

// Conversions from the editor's records to the raster library's pixel word,
// weight and mode word.
unsigned int LiceColor(const IColor* color);
float LiceWeight(const IChannelBlend* blend);
int LiceBlendMode(const IChannelBlend* blend);
