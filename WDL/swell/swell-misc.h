// Miscellany: user actions simulated by tests.
//
// A change made through a message (CB_SETCURSEL, BM_SETCHECK) notifies
// nobody, as in Win32. These calls act as the user would, through the GTK
// widget, so the dialog procedure gets the same WM_COMMAND notification as
// for a real pick or click. Tests drive dialogs with them, for instance from
// a timer that runs inside a modal dialog's loop.
#pragma once

#include "swell-types.h"

// Picks item index of a combo box as the user would: selects it and sends
// CBN_SELCHANGE when the selection changed. FALSE for a window that is not a
// combo box, an index out of range, or a disabled control.
BOOL SWELL_SimulateUserSelect(HWND combo, int index);

// Clicks a button or check box as the user would (a check box toggles) and
// sends BN_CLICKED. FALSE for a window that is not a button or check box, or
// a disabled control.
BOOL SWELL_SimulateUserClick(HWND button);

// Sends a key press to a top level window as if typed (vk: VK_ESCAPE,
// VK_RETURN, or 'A'..'Z', '0'..'9'; mods: FSHIFT/FCONTROL/FALT); it goes
// through GTK's own key handling. FALSE for an invalid window or an unknown key.
BOOL SWELL_SimulateKeyPress(HWND hwnd, int vk, int mods);
