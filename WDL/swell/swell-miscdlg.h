// Message boxes.
#pragma once

#include "swell-types.h"

#define MB_ABORTRETRYIGNORE 0x0002
#define MB_TYPEMASK 0x000F
#define MB_ICONMASK 0x00F0

// Shows a modal message box over the window's top level window (or over
// none) and returns the button chosen: IDOK, IDCANCEL, IDYES, IDNO, IDABORT,
// IDRETRY or IDIGNORE. The type's low four bits choose the buttons (MB_OK,
// MB_OKCANCEL, MB_ABORTRETRYIGNORE, MB_YESNOCANCEL, MB_YESNO,
// MB_RETRYCANCEL), the next four the icon. Closing the box gives IDCANCEL
// where there is a Cancel button, otherwise IDOK, IDNO or IDABORT.
// 0 when no display can be opened.
int MessageBox(HWND hwnd, const char* text, const char* caption, int type);
// The same, except that closing the box without a button gives closedResult.
int SWELL_MessageBoxOrClosed(HWND hwnd, const char* text, const char* caption, int type,
                             int closedResult);

// For tests: the text, caption and type of the message box that is open
// (the innermost); FALSE when none is.
BOOL SWELL_GetMessageBoxInfo(char* text, int textSize, char* caption, int captionSize, int* type);
// For tests: ends the message box that is open as if the user had pressed
// the button of that result; FALSE when none is open or it has no such button.
BOOL SWELL_EndMessageBox(int result);
