// Menu resources: registration at static initialisation, and the rows a
// menu's builder turns into items.
//
//   static const SWELL_MenuItemRecord kRows[] = {
//       {SWELL_MENUGEN_POPUP_PREFIX "&File", 0, 0},
//       {"&Quit\tCtrl+Q", 40007, 0},
//       {SWELL_MENUGEN_ENDPOPUP, 0, 0},
//   };
//   static void BuildMenu(HMENU m) { SWELL_GenerateMenuFromList(m, kRows, 3); }
//   static SWELL_MenuGenHelper sMenu(&SWELL_curmodule_menuresource_head, BuildMenu, 40004);
#pragma once

#include "swell-types.h"

// A row whose name starts with this opens a submenu titled by the rest of the name.
#define SWELL_MENUGEN_POPUP_PREFIX "/.BO^O:"
// A row with this name closes the submenu.
#define SWELL_MENUGEN_ENDPOPUP "EN%%%^:"

struct SWELL_MenuResourceIndex
{
  int resid;
  void (*createFunc)(HMENU);
  SWELL_MenuResourceIndex* _next;
};

// Registers a menu resource at the head of the list.
class SWELL_MenuGenHelper
{
public:
  SWELL_MenuGenHelper(SWELL_MenuResourceIndex** head, void (*createFunc)(HMENU), int id)
  {
    m_rec.resid = id;
    m_rec.createFunc = createFunc;
    m_rec._next = *head;
    *head = &m_rec;
  }
  SWELL_MenuResourceIndex m_rec;
};

// The application's menu resources.
extern SWELL_MenuResourceIndex* SWELL_curmodule_menuresource_head;

// One row: the item's text (a tab separates an accelerator such as
// "Ctrl+Q" or "Ctrl+,"; '&' marks the mnemonic), its command id and its
// MF_ flags (MF_GRAYED, MF_CHECKED, MF_SEPARATOR; an empty name is a
// separator as well).
struct SWELL_MenuItemRecord
{
  const char* name;
  unsigned short id;
  unsigned short flags;
};

// Appends the rows to the menu, making submenus where the rows say.
void SWELL_GenerateMenuFromList(HMENU menu, const SWELL_MenuItemRecord* list, int count);
