// Dialogs made from registered resources (see swell-dlggen.h).
#pragma once

#include "swell-types.h"

struct SWELL_DialogResourceIndex;

#define MAKEINTRESOURCE(i) ((const char*)(UINT_PTR)(WORD)(i))

// Creates a modeless dialog: a top level window whose client area is the
// resource's size in pixels, with the builder's controls. Sends
// WM_INITDIALOG (lParam = param) to proc; the dialog is shown only by
// ShowWindow. Null when the id is not registered, no display can be opened,
// or the procedure destroyed the window in WM_INITDIALOG.
HWND SWELL_CreateDialog(SWELL_DialogResourceIndex* list, int id, HWND parent, DLGPROC proc,
                        LPARAM param);
inline HWND SWELL_CreateDialog(SWELL_DialogResourceIndex* list, const char* resid, HWND parent,
                               DLGPROC proc, LPARAM param)
{
  return SWELL_CreateDialog(list, (int)(UINT_PTR)resid, parent, proc, param);
}

// Runs a modal dialog in a nested main loop, with parent (its top level
// window) disabled, and returns the value given to EndDialog; -1 when the
// dialog cannot be made. The window is destroyed (WM_DESTROY) before it
// returns. A dialog destroyed without EndDialog, or ended because the
// application quits, returns IDCANCEL.
INT_PTR SWELL_DialogBox(SWELL_DialogResourceIndex* list, int id, HWND parent, DLGPROC proc,
                        LPARAM param);
inline INT_PTR SWELL_DialogBox(SWELL_DialogResourceIndex* list, const char* resid, HWND parent,
                               DLGPROC proc, LPARAM param)
{
  return SWELL_DialogBox(list, (int)(UINT_PTR)resid, parent, proc, param);
}

// Ends a modal dialog with that result; FALSE for a window that is not a
// running modal dialog.
BOOL EndDialog(HWND dlg, INT_PTR result);
