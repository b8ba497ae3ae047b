// Windows: creation, destruction, messages, placement.
#pragma once

#include "swell-types.h"

BOOL GetWindowRect(HWND hwnd, RECT* r);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
