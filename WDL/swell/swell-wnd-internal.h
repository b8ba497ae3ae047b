// The window record behind an HWND, shared by the window, dialog, menu,
// keyboard and application files of the layer. Not for users of the layer.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "swell-handles.h"
#include "swell-types.h"
#include "swell-wnd.h"

enum class SWELL_WndKind
{
  None,
  TopLevel,  // a dialog window (GtkWindow) with a client area
  ChildView, // a view placed into a window's client area by its owner
  Group,
  Label,
  Combo,
  CheckBox,
  Button,
};

struct HWND__
{
  SWELL_WndKind kind = SWELL_WndKind::None;
  GtkWidget* widget = nullptr; // the GtkWindow, or the control's widget
  GtkWidget* client = nullptr; // top level: the client area (GtkFixed)
  GtkWidget* vbox = nullptr;   // top level: menu bar above the client area
  GtkWidget* menubar = nullptr;
  HMENU menu = nullptr;       // top level: the menu shown in the menu bar
  HWND parent = nullptr;      // control: its dialog; top level: its owner
  std::vector<HWND> children; // controls and child views, in creation order
  DLGPROC dlgproc = nullptr;
  WNDPROC wndproc = nullptr;
  LPARAM userdata = 0;
  int id = 0;
  // Top level: the window rectangle on the screen (menu bar included).
  // Others: the position in the parent's client area.
  RECT rect = {0, 0, 0, 0};
  int clientW = 0, clientH = 0;

  struct SWELL_ModalState* modal = nullptr; // while it runs as a modal dialog
  int disabledByModal = 0;                  // modal dialogs running over it

  int heldShow = 0; // top level: the ShowWindow command held back (0: none)

  bool destroying = false;
  bool isDefault = false;         // the dialog's default button
  int notifySuppress = 0;         // >0 while a change is made by message
  std::vector<std::string> items; // combo box items
};

// The pool of window records.
SWELL_HandlePool<HWND__>& SWELL_WindowPool();

// True when h is a live window record.
inline bool SWELL_IsWindow(HWND h) { return SWELL_WindowPool().Validate(h); }

// A new window record of that kind (not yet tied to a widget).
HWND SWELL_NewWindow(SWELL_WndKind kind);

// Calls the window's procedure; 0 when it has none.
INT_PTR SWELL_CallProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

// Sends WM_COMMAND (id, code) from a control to its dialog.
void SWELL_NotifyParent(HWND control, int code);

// Height of a top level window's menu bar (0 without one).
int SWELL_MenuBarHeight(HWND h);

// True while SWELL_ApplicationMain runs.
bool SWELL_ApplicationRunning();

// Sends a message to the application's SWELLAppMain; 0 when the program
// has none.
INT_PTR SWELL_SendAppMessage(int msg, INT_PTR parm1, INT_PTR parm2);

// While the application launches, top level windows that are shown are
// held back and appear once the launch is over, with everything it gave them
// (menu bar, content), as on a desktop that shows a window only once it is
// drawn: a window mapped at once would show an empty frame first, then grow
// when its menu bar came. Ending the hold shows the held windows.
void SWELL_HoldTopLevelShows(bool hold);
// Shows the windows held back so far (a modal loop that starts during the
// launch must not run over a window that is not there).
void SWELL_ShowHeldTopLevels();

// A top level window gained or lost the focus.
void SWELL_ActivityChanged();

// Called when a top level window is gone; ends the application when it was
// the last one and the application main loop runs.
void SWELL_TopLevelGone();

// The number of live top level windows.
int SWELL_TopLevelCount();

// The state of a running modal dialog (lives in SWELL_DialogBox).
struct SWELL_ModalState
{
  bool ended = false;
  INT_PTR result = 0;
  GMainLoop* loop = nullptr;
};

// Creates a top level window with a client area of that size (not shown).
HWND SWELL_CreateTopLevel(HWND owner, const char* title, int clientW, int clientH, bool resizable);

// The close button, Ctrl+W and WM_CLOSE: sends WM_CLOSE to the procedure;
// a dialog procedure that does not handle it gets WM_COMMAND IDCANCEL, a
// window without a procedure is destroyed. Returns the WM_CLOSE result.
LRESULT SWELL_CloseRequest(HWND h);

// Ends the modal loop of a dialog that is being destroyed.
void SWELL_EndModalOnDestroy(HWND h);

// Ends every running modal loop (the application quits).
void SWELL_EndAllModals();

// Closes every open message box (the application quits).
void SWELL_EndAllMessageBoxes();

// Closes every open menu as if dismissed, nothing chosen: a popup menu
// waiting in a loop of its own for a choice returns (the application quits).
void SWELL_EndAllPopupMenus();

// Starts the timer that sends posted messages (every 0.05 s).
void SWELL_StartPostTimer();

// Installs the dialog keys (Esc, Return) and the close button handler.
void SWELL_InstallTopLevelHandlers(HWND h);

// Windows key code of a GDK key value (0 when it has none).
int SWELL_KeyvalToVK(guint keyval);

// Windows key code of a key event, from the key pressed without Shift.
int SWELL_KeyEventToVK(const GdkEventKey* ev);

// Modifier flags (FSHIFT, FCONTROL, FALT) of a GDK modifier state.
int SWELL_ModifierFlags(guint state);
