// IGraphicsGtkView: the GTK view in which the editor lives, with the helpers
// it needs: the typing filter of its text field (IGraphicsGtkFormatter), the
// popup menu builder (IGraphicsGtkMenu) and the receiver of a menu choice
// (IGraphicsGtkMenuRcvr), and the conversions between the editor's records and
// GTK's.
//
// The view is a GtkOverlay of the editor's size holding a GtkDrawingArea; a
// text field, when open, lies over the drawing area. A repeating timer at the
// editor's frame rate asks the editor for dirty controls and queues a redraw
// of their area; the "draw" signal hands the area to the editor's Draw, which
// ends with IGraphicsGtk::DrawScreen. Mouse, wheel and key events become the
// editor's OnMouseDown and its companions in editor pixels. Keys that no
// control takes propagate to the widget's parent: in a host window of the
// window layer they reach the host's procedure as WM_KEYDOWN.
//
// Lifetime: IGraphicsGtk makes the view and destroys its widget to close it.
// When the widget is destroyed by its host instead (the host window goes),
// the view tells the editor through CloseWindow. The object itself is freed
// when the drawing area is finalised, so it outlives every signal handler
// that is running on it.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "IPlugStructs.h"
#include "swell-types.h"

class IControl;
class IGraphics;
class IGraphicsGtk;
class IParam;
class IPopupMenu;

// Editor rectangle to a GTK area: one pixel wider and taller than the IRECT.
GdkRectangle ToGdkRect(IGraphics* g, const IRECT* r);
// A GTK area (a paint area) to an editor rectangle.
IRECT ToIRECT(IGraphics* g, const GdkRectangle* r);
// The text field's font size for a text style's size: 90 %, truncated.
int AdjustFontSize(int size);
// Modifiers of a left-button event (GDK modifier state): the left flag set,
// the right flag for Super (Command), shift, control and alt (Option).
IMouseMod GetMouseMod(guint state);
// Modifiers of a right-button event: the right flag, shift, control and alt.
IMouseMod GetRightMouseMod(guint state);
// The editor's mouse-over control index; -1 without an editor.
int GetMouseOver(IGraphicsGtk* g);

// The typing filter of the text field: an edit is refused when the text it
// would leave has a character outside the acceptable set, is longer than the
// maximum length, or has an integer value above the maximum value. 0 means
// no limit; without a set every character is acceptable.
class IGraphicsGtkFormatter
{
public:
  void SetAcceptableCharacterSet(const char* chars);
  void SetMaximumLength(int len) { mMaxLength = len; }
  void SetMaximumValue(int value) { mMaxValue = value; }
  // Whether the text (UTF-8) may stand in the field.
  bool IsPartialStringValid(const char* text) const;

private:
  bool mHasSet = false;
  std::string mAcceptable;
  int mMaxLength = 0;
  int mMaxValue = 0;
};

// Catches the item that the user chose in a popup menu.
class IGraphicsGtkMenuRcvr
{
public:
  void OnMenuSelection(GtkWidget* item) { mMenuItem = item; }
  GtkWidget* MenuItem() const { return mMenuItem; }

private:
  GtkWidget* mMenuItem = nullptr;
};

// Builds a GtkMenu from a menu model: one GTK item per model item (so GTK
// positions equal model indexes), numbered by the model's prefix style,
// texts shown literally, submenus, separators, checks, disabled items, and
// title items indented and not choosable. A chosen item is reported to the
// receiver.
class IGraphicsGtkMenu
{
public:
  // A new floating GtkMenu.
  static GtkWidget* Build(IPopupMenu* menu, IGraphicsGtkMenuRcvr* receiver);
  // The model a menu built here was made from; null for other widgets.
  static IPopupMenu* AssociatedIPopupMenu(GtkWidget* gtkMenu);
};

class IGraphicsGtkView
{
public:
  // A view of the editor's size, attached to it; its timer starts at once.
  explicit IGraphicsGtkView(IGraphicsGtk* g);
  IGraphicsGtkView(const IGraphicsGtkView&) = delete;
  IGraphicsGtkView& operator=(const IGraphicsGtkView&) = delete;

  // The widget to place into a parent, and the drawing area inside it.
  GtkWidget* Widget() const { return mWidget; }
  GtkWidget* DrawingArea() const { return mArea; }
  IGraphicsGtk* Graphics() const { return mGraphics; }
  // The window layer's handle of the view in its host window (or null).
  HWND Hwnd() const { return mHwnd; }

  // Stops the refresh timer.
  void KillTimer();
  // GLib source id of the refresh timer (0 when stopped).
  guint TimerSourceId() const;
  // Ends an open text entry, detaches from the editor (CloseWindow) and
  // destroys the widget.
  void RemoveFromParent();
  void SetSize(int w, int h);

  // Opens a text field over rect (a GTK area) filled with str; nothing when
  // control is null or a field is open already.
  void CreateTextEntry(IControl* control, IParam* param, IText* text, const char* str,
                       GdkRectangle rect);
  // Closes the text field without applying it; the drawing area takes the
  // keyboard focus back.
  void EndUserInput();
  bool TextEntryOpen() const { return mTextEntry != nullptr; }
  GtkWidget* TextEntry() const { return mTextEntry; }

  // Shows the menu below rect's lower left corner and waits until it closes;
  // the model whose item was chosen, with its index set, or null. The press
  // that opened the menu chooses nothing, however long it is held.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, GdkRectangle rect);

  void RegisterToolTip(IRECT* r);
  void RemoveAllToolTips();

  // While the editor draws from the "draw" signal: the cairo context of that
  // paint; null otherwise.
  cairo_t* CurrentCairo() const { return mCairo; }
  // A cairo image (RGB24) of the editor's size for the screen copy, made for
  // the target of the paint in progress.
  cairo_surface_t* ScreenSurface(int w, int h);

private:
  ~IGraphicsGtkView();

  // The last mouse point in editor pixels, remembered for keys.
  void GetMouseXY(double ex, double ey, int* x, int* y);
  void OnTimer(GSource* timer);
  // The whole wheel steps that a smooth scroll of delta (positive upward)
  // over editor point (x, y) adds up to.
  int SmoothScrollSteps(int x, int y, double delta);
  void ApplyTextEntry();
  void DetachFromEditor();

  static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer view);
  static gboolean OnButtonPress(GtkWidget*, GdkEventButton* ev, gpointer view);
  static gboolean OnButtonRelease(GtkWidget*, GdkEventButton* ev, gpointer view);
  static gboolean OnMotion(GtkWidget*, GdkEventMotion* ev, gpointer view);
  static gboolean OnScroll(GtkWidget* w, GdkEventScroll* ev, gpointer view);
  static gboolean OnKeyPress(GtkWidget*, GdkEventKey* ev, gpointer view);
  static gboolean OnQueryTooltip(GtkWidget*, gint x, gint y, gboolean keyboard, GtkTooltip* tip,
                                 gpointer view);
  static void OnRealize(GtkWidget* w, gpointer view);
  static void OnMap(GtkWidget* w, gpointer view);
  static void OnWidgetDestroyed(GtkWidget*, gpointer view);
  static void OnAreaFinalized(gpointer view, GObject*);
  static gboolean OnTimerDispatch(GSource* source, GSourceFunc, gpointer);
  static void OnEntryActivate(GtkEntry*, gpointer view);
  static gboolean OnEntryFocusOut(GtkWidget* w, GdkEventFocus*, gpointer view);
  static gboolean OnEntryKeyPress(GtkWidget*, GdkEventKey* ev, gpointer view);
  static void OnEntryInsert(GtkEditable* e, gchar* text, gint len, gint* pos, gpointer view);
  static void OnEntryDelete(GtkEditable* e, gint start, gint end, gpointer view);

  GSource* mTimer = nullptr;
  GtkWidget* mTextEntry = nullptr;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  int mPrevX = 0, mPrevY = 0;
  IGraphicsGtk* mGraphics = nullptr;

  HWND mHwnd = nullptr;
  GtkWidget* mWidget = nullptr; // the GtkOverlay (one reference of ours)
  GtkWidget* mArea = nullptr;   // the GtkDrawingArea
  IGraphicsGtkFormatter* mFormatter = nullptr;
  GtkCssProvider* mEntryStyle = nullptr;
  bool mApplying = false;
  cairo_t* mCairo = nullptr;
  cairo_surface_t* mScreen = nullptr;
  std::vector<GdkRectangle> mToolTips;
  // Presses that count as one multiple click.
  guint32 mLastPressTime = 0;
  guint mLastPressButton = 0;
  double mLastPressX = 0.0, mLastPressY = 0.0;
  int mClickCount = 0;
  // Smooth scrolling: the steps not yet sent, and over which control.
  double mScrollSum = 0.0;
  int mScrollControl = -1;

  friend class IGraphicsGtk;
};
