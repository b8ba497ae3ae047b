// Menus: a menu model of the layer's own, shown as a window's menu bar.
#pragma once

#include "swell-types.h"

struct SWELL_MenuResourceIndex;

// MENUITEMINFO masks.
#define MIIM_ID 0x01
#define MIIM_STATE 0x02
#define MIIM_TYPE 0x04 // type and text
#define MIIM_SUBMENU 0x08
#define MIIM_DATA 0x10

// Item types and states.
#define MFT_STRING 0x0000
#define MFT_SEPARATOR 0x0800
#define MFS_ENABLED 0x0000
#define MFS_GRAYED 0x0003
#define MFS_DISABLED MFS_GRAYED
#define MFS_CHECKED 0x0008

// Flags of DeleteMenu and menu rows.
#define MF_BYCOMMAND 0x0000
#define MF_BYPOSITION 0x0400
#define MF_ENABLED 0x0000
#define MF_GRAYED 0x0001
#define MF_DISABLED 0x0002
#define MF_CHECKED 0x0008
#define MF_SEPARATOR 0x0800

struct MENUITEMINFO
{
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  UINT_PTR dwItemData;
  char* dwTypeData; // text: copied into on reading (cch bytes), copied from on inserting
  UINT cch;
};

HMENU CreatePopupMenu();
// Destroys the menu and its submenus.
BOOL DestroyMenu(HMENU menu);

// The application menu (the menu resource SWELL_APP_MENU_ID that the
// application delegate loads, see swellappmain.h); null when there is none.
HMENU SWELL_GetCurrentMenu();
// A deep copy of the menu (null for an invalid menu).
HMENU SWELL_DuplicateMenu(HMENU menu);
// A new menu built from the registered menu resource; null when unknown.
HMENU SWELL_LoadMenu(SWELL_MenuResourceIndex* list, int id);
inline HMENU SWELL_LoadMenu(SWELL_MenuResourceIndex* list, const char* resid)
{
  return SWELL_LoadMenu(list, (int)(UINT_PTR)resid);
}

HMENU GetSubMenu(HMENU menu, int pos);
// The number of items; -1 for an invalid menu.
int GetMenuItemCount(HMENU menu);
// The command id at that position: -1 for an item with a submenu, 0 when out
// of range.
int GetMenuItemID(HMENU menu, int pos);
// By position, or by command (searching submenus as well). With MIIM_TYPE and
// a text buffer, copies the text (at most cch - 1 bytes and a terminator) and
// sets cch to the text's length.
BOOL GetMenuItemInfo(HMENU menu, int pos, BOOL byPosition, MENUITEMINFO* mi);
// Inserts a new item before the position (at the end when out of range) or
// before the item with that command. A submenu given with MIIM_SUBMENU now
// belongs to the menu.
BOOL InsertMenuItem(HMENU menu, int pos, BOOL byPosition, const MENUITEMINFO* mi);
// Deletes the item at the position (flags MF_BYPOSITION) or with the command
// (searching submenus as well), destroying its submenu.
BOOL DeleteMenu(HMENU menu, int idOrPos, UINT flags);

// Shows the menu as the window's menu bar (null: no menu bar). The window's
// client area keeps its size. The window does not own the menu. Choosing an
// item with a non-zero id sends message 153 with the id to the application
// (SWELLAppMain) while the application main loop runs, otherwise WM_COMMAND
// to the window's procedure.
BOOL SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
// The menu the application asks to be used while modal dialogs run. Here the
// owner of a modal dialog keeps its menu bar, disabled; the menu is kept
// and given back by SWELL_GetDefaultModalWindowMenu.
void SWELL_SetDefaultModalWindowMenu(HMENU menu);
HMENU SWELL_GetDefaultModalWindowMenu();
