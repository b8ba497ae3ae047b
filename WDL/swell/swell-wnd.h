// Windows: placement, showing, destruction, messages and child views.
//
// An HWND names a window record of the layer: a top level window (a dialog,
// see swell-dlg.h), a control of a dialog, or a view placed into a window's
// client area. Every call refuses a null, stale or foreign handle (it does
// nothing and returns FALSE, 0 or null).
#pragma once

#include "swell-types.h"

typedef struct _GtkWidget GtkWidget;

// Initialises GTK once, with the program's arguments when given (the
// application's start passes them); false when no display can be opened.
// An X server busy with other clients coming and going may hang up a new
// connection at once, so the display is tried a few times over half a
// second before the program gives up. GTK's start-up takes the
// C library's locale from the environment, so GTK's own texts are in the
// user's language; numbers are put back to the "C" form, so that what the
// program writes and reads (display texts, typed values, CSS, profile files)
// has "." for its decimal point in every language.
bool SWELL_EnsureGtk(int* argc = nullptr, char*** argv = nullptr);

// SetWindowPos flags.
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010

// The window's rectangle: a top level window's on the screen (its menu bar
// included), a control's or child view's on the screen as well.
BOOL GetWindowRect(HWND hwnd, RECT* r);
// The client area: left = top = 0, right and bottom its width and height.
BOOL GetClientRect(HWND hwnd, RECT* r);
// Moves and resizes a window (flags 0: move, resize and bring to the front).
// A top level window's height includes its menu bar; a control's or child
// view's position is relative to its window's client area.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// SW_HIDE hides the window, SW_SHOW and SW_SHOWNORMAL show it, and 2 shows
// it, brings it to the front and gives it the keyboard focus.
BOOL ShowWindow(HWND hwnd, int cmd);
// Centres a top level window on the screen.
void CenterWindow(HWND hwnd);
// Sends WM_DESTROY to the window's procedure, then destroys it and its
// controls. The handle is refused afterwards.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);

// Calls the window's procedure, or carries out a control's message (combo
// boxes: CB_*, check boxes: BM_*), and returns the result.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues the message for the window; it is sent from the main loop within
// 0.05 s. Safe to call from any thread. FALSE for a null handle.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

HWND GetDlgItem(HWND dlg, int id);
// The control's id (0 for a top level window).
int GetDlgCtrlID(HWND hwnd);
// The dialog of a control, or the owner of a top level window.
HWND GetParent(HWND hwnd);
BOOL SetWindowText(HWND hwnd, const char* text);
// Copies the window's title or control's text (at most size bytes, terminated).
int GetWindowText(HWND hwnd, char* buf, int size);
BOOL EnableWindow(HWND hwnd, BOOL enable);

// Places view (a GTK widget made by the caller) into the client area of a
// top level window at (x, y) and returns the handle of the child view; its
// size is the widget's own size request. Keys the view does not take
// (its key-press handler returns FALSE) reach the window's procedure as
// WM_KEYDOWN (wParam the virtual key, lParam FSHIFT/FCONTROL/FALT flags);
// they go on to GTK only when the procedure returns 69, when the window has
// no procedure, or when it was destroyed meanwhile. The child view's handle
// goes away with the widget (gtk_widget_destroy) or with the window.
HWND SWELL_AddChildView(HWND parent, GtkWidget* view, int x, int y);
// The GTK widget behind a window handle: the GtkWindow of a top level
// window, a control's widget, a child view's widget. Null when invalid.
GtkWidget* SWELL_GetWidget(HWND hwnd);
