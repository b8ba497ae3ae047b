// Menus: the menu model, menu resources and menu bars.
#include "swell-menu.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "swell-menugen.h"
#include "swell-wnd-internal.h"
#include "swell-wnd.h"
#include "swellappmain.h"

SWELL_MenuResourceIndex* SWELL_curmodule_menuresource_head = nullptr;

struct SWELL_MenuItem
{
  std::string text;
  UINT type = MFT_STRING;
  UINT state = 0;
  int id = 0;
  HMENU submenu = nullptr;
  UINT_PTR data = 0;
};

struct HMENU__
{
  std::vector<SWELL_MenuItem> items;
};

namespace
{
SWELL_HandlePool<HMENU__>& MenuPool()
{
  static SWELL_HandlePool<HMENU__> pool;
  return pool;
}

bool Valid(HMENU m) { return MenuPool().Validate(m); }

HMENU gDefaultModalMenu = nullptr;

// Windows whose menu bar shows a menu; rebuilt when menus change.
std::vector<HWND> gMenuWindows;
guint gRebuildIdle = 0;

void ScheduleRebuild();

// Finds the item with that command in the menu or its submenus.
bool FindCommand(HMENU m, int id, HMENU* owner, int* pos, int depth = 0)
{
  if (!Valid(m) || depth > 32) return false;
  for (size_t i = 0; i < m->items.size(); i++)
  {
    const SWELL_MenuItem& it = m->items[i];
    if (!it.submenu && it.id == id && !(it.type & MFT_SEPARATOR))
    {
      *owner = m;
      *pos = (int)i;
      return true;
    }
  }
  for (const SWELL_MenuItem& it : m->items)
    if (it.submenu && FindCommand(it.submenu, id, owner, pos, depth + 1)) return true;
  return false;
}

void DestroyTree(HMENU m, int depth = 0)
{
  if (!Valid(m) || depth > 32) return;
  std::vector<SWELL_MenuItem> items;
  items.swap(m->items);
  MenuPool().Free(m);
  for (SWELL_MenuItem& it : items)
    if (it.submenu) DestroyTree(it.submenu, depth + 1);
}

HMENU DuplicateTree(HMENU m, int depth = 0)
{
  if (!Valid(m) || depth > 32) return nullptr;
  HMENU copy = MenuPool().Alloc();
  copy->items = m->items;
  for (SWELL_MenuItem& it : copy->items)
    if (it.submenu) it.submenu = DuplicateTree(it.submenu, depth + 1);
  return copy;
}

// "&File" -> "_File", "a&&b" -> "a&b", "_" -> "__".
std::string MnemonicLabel(const std::string& s)
{
  std::string out;
  for (size_t i = 0; i < s.size(); i++)
  {
    const char c = s[i];
    if (c == '&')
    {
      if (i + 1 < s.size() && s[i + 1] == '&')
      {
        out += '&';
        i++;
      }
      else
        out += '_';
    }
    else if (c == '_')
      out += "__";
    else
      out += c;
  }
  return out;
}

// "Ctrl+Shift+Q", "Ctrl+,", "F1": the key and modifiers; false when not understood.
bool ParseAccelerator(const std::string& s, guint* key, GdkModifierType* mods)
{
  *key = 0;
  *mods = (GdkModifierType)0;
  size_t start = 0;
  for (;;)
  {
    size_t plus = s.find('+', start);
    // A '+' as the key itself ("Ctrl++").
    if (plus == start && plus + 1 == s.size()) plus = std::string::npos;
    const std::string part = s.substr(start, plus == std::string::npos ? plus : plus - start);
    if (plus == std::string::npos)
    {
      if (part.size() == 1)
        *key = gdk_unicode_to_keyval((guint32)g_ascii_tolower(part[0]));
      else if (!part.empty())
        *key = gdk_keyval_from_name(part.c_str());
      return *key != 0 && *key != GDK_KEY_VoidSymbol;
    }
    const char* p = part.c_str();
    if (!g_ascii_strcasecmp(p, "Ctrl") || !g_ascii_strcasecmp(p, "Control"))
      *mods = (GdkModifierType)(*mods | GDK_CONTROL_MASK);
    else if (!g_ascii_strcasecmp(p, "Shift"))
      *mods = (GdkModifierType)(*mods | GDK_SHIFT_MASK);
    else if (!g_ascii_strcasecmp(p, "Alt"))
      *mods = (GdkModifierType)(*mods | GDK_MOD1_MASK);
    else
      return false;
    start = plus + 1;
  }
}

struct Activation
{
  HWND window;
  int id;
};

void OnItemActivate(GtkMenuItem*, gpointer data)
{
  const Activation* a = static_cast<const Activation*>(data);
  if (!a->id) return;
  if (SWELL_ApplicationRunning())
    SWELL_SendAppMessage(SWELLAPP_SYSMENUCOMMAND, a->id, 0);
  else if (IsWindow(a->window))
    SWELL_CallProc(a->window, WM_COMMAND, MAKEWPARAM(a->id, 0), 0);
}

void FillGtkMenu(GtkWidget* shell, HMENU m, HWND window, GtkAccelGroup* accel, int depth)
{
  if (!Valid(m) || depth > 32) return;
  for (const SWELL_MenuItem& it : m->items)
  {
    GtkWidget* item;
    if (it.type & MFT_SEPARATOR)
      item = gtk_separator_menu_item_new();
    else
    {
      const size_t tab = it.text.find('\t');
      const std::string label = MnemonicLabel(it.text.substr(0, tab));
      if ((it.state & MFS_CHECKED) && !it.submenu)
      {
        item = gtk_check_menu_item_new_with_mnemonic(label.c_str());
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
      }
      else
        item = gtk_menu_item_new_with_mnemonic(label.c_str());
      if (it.state & MFS_GRAYED) gtk_widget_set_sensitive(item, FALSE);
      if (it.submenu)
      {
        GtkWidget* sub = gtk_menu_new();
        gtk_menu_set_accel_group(GTK_MENU(sub), accel);
        FillGtkMenu(sub, it.submenu, window, accel, depth + 1);
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), sub);
      }
      else
      {
        g_signal_connect_data(
            item, "activate", G_CALLBACK(OnItemActivate), new Activation{window, it.id},
            [](gpointer d, GClosure*) { delete static_cast<Activation*>(d); }, (GConnectFlags)0);
        guint key;
        GdkModifierType mods;
        if (tab != std::string::npos && ParseAccelerator(it.text.substr(tab + 1), &key, &mods))
          gtk_widget_add_accelerator(item, "activate", accel, key, mods, GTK_ACCEL_VISIBLE);
      }
    }
    gtk_widget_show(item);
    gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
  }
}

void BuildMenuBar(HWND h)
{
  if (!SWELL_IsWindow(h) || !h->widget) return;
  const int oldBar = SWELL_MenuBarHeight(h);
  if (h->menubar)
  {
    gtk_widget_destroy(h->menubar);
    h->menubar = nullptr;
  }
  if (Valid(h->menu))
  {
    GtkAccelGroup* accel =
        static_cast<GtkAccelGroup*>(g_object_get_data(G_OBJECT(h->widget), "swell-accel"));
    if (!accel)
    {
      accel = gtk_accel_group_new();
      gtk_window_add_accel_group(GTK_WINDOW(h->widget), accel);
      g_object_set_data_full(G_OBJECT(h->widget), "swell-accel", accel, g_object_unref);
    }
    h->menubar = gtk_menu_bar_new();
    FillGtkMenu(h->menubar, h->menu, h, accel, 0);
    gtk_box_pack_start(GTK_BOX(h->vbox), h->menubar, FALSE, FALSE, 0);
    gtk_widget_show(h->menubar);
  }
  else
    h->menu = nullptr;
  // The client area keeps its size; the window grows or shrinks with the bar.
  const int bar = SWELL_MenuBarHeight(h);
  if (bar != oldBar)
  {
    h->rect.bottom = h->rect.top + h->clientH + bar;
    gtk_window_resize(GTK_WINDOW(h->widget), h->clientW, h->clientH + bar);
  }
}

gboolean RebuildMenuBars(gpointer)
{
  gRebuildIdle = 0;
  std::vector<HWND> windows;
  for (HWND h : gMenuWindows)
    if (IsWindow(h) && h->menu) windows.push_back(h);
  gMenuWindows = windows;
  for (HWND h : windows) BuildMenuBar(h);
  return G_SOURCE_REMOVE;
}

void ScheduleRebuild()
{
  if (!gRebuildIdle && !gMenuWindows.empty())
    gRebuildIdle = g_idle_add_full(G_PRIORITY_HIGH_IDLE, RebuildMenuBars, nullptr, nullptr);
}

void SetItemFromInfo(SWELL_MenuItem& it, const MENUITEMINFO* mi)
{
  if (mi->fMask & MIIM_TYPE)
  {
    it.type = mi->fType;
    if (!(mi->fType & MFT_SEPARATOR) && mi->dwTypeData) it.text = mi->dwTypeData;
  }
  if (mi->fMask & MIIM_STATE) it.state = mi->fState;
  if (mi->fMask & MIIM_ID) it.id = (int)mi->wID;
  if (mi->fMask & MIIM_SUBMENU) it.submenu = Valid(mi->hSubMenu) ? mi->hSubMenu : nullptr;
  if (mi->fMask & MIIM_DATA) it.data = mi->dwItemData;
}
} // namespace

HMENU CreatePopupMenu() { return MenuPool().Alloc(); }

BOOL DestroyMenu(HMENU menu)
{
  if (!Valid(menu)) return FALSE;
  DestroyTree(menu);
  ScheduleRebuild();
  return TRUE;
}

HMENU SWELL_DuplicateMenu(HMENU menu) { return DuplicateTree(menu); }

HMENU SWELL_LoadMenu(SWELL_MenuResourceIndex* list, int id)
{
  for (; list; list = list->_next)
    if (list->resid == id)
    {
      HMENU m = CreatePopupMenu();
      if (list->createFunc) list->createFunc(m);
      return m;
    }
  return nullptr;
}

HMENU GetSubMenu(HMENU menu, int pos)
{
  if (!Valid(menu) || pos < 0 || pos >= (int)menu->items.size()) return nullptr;
  HMENU sub = menu->items[(size_t)pos].submenu;
  return Valid(sub) ? sub : nullptr;
}

int GetMenuItemCount(HMENU menu) { return Valid(menu) ? (int)menu->items.size() : -1; }

int GetMenuItemID(HMENU menu, int pos)
{
  if (!Valid(menu) || pos < 0 || pos >= (int)menu->items.size()) return 0;
  const SWELL_MenuItem& it = menu->items[(size_t)pos];
  return it.submenu ? -1 : it.id;
}

BOOL GetMenuItemInfo(HMENU menu, int pos, BOOL byPosition, MENUITEMINFO* mi)
{
  if (!Valid(menu) || !mi) return FALSE;
  HMENU owner = menu;
  if (!byPosition && !FindCommand(menu, pos, &owner, &pos)) return FALSE;
  if (pos < 0 || pos >= (int)owner->items.size()) return FALSE;
  const SWELL_MenuItem& it = owner->items[(size_t)pos];
  if (mi->fMask & MIIM_TYPE)
  {
    mi->fType = it.type;
    if (mi->dwTypeData && mi->cch > 0)
    {
      const size_t n = std::min(it.text.size(), (size_t)mi->cch - 1);
      memcpy(mi->dwTypeData, it.text.data(), n);
      mi->dwTypeData[n] = 0;
      mi->cch = (UINT)n;
    }
    else
      mi->cch = (UINT)it.text.size();
  }
  if (mi->fMask & MIIM_STATE) mi->fState = it.state;
  if (mi->fMask & MIIM_ID) mi->wID = (UINT)it.id;
  if (mi->fMask & MIIM_SUBMENU) mi->hSubMenu = Valid(it.submenu) ? it.submenu : nullptr;
  if (mi->fMask & MIIM_DATA) mi->dwItemData = it.data;
  return TRUE;
}

BOOL InsertMenuItem(HMENU menu, int pos, BOOL byPosition, const MENUITEMINFO* mi)
{
  if (!Valid(menu) || !mi) return FALSE;
  HMENU owner = menu;
  if (!byPosition && !FindCommand(menu, pos, &owner, &pos)) return FALSE;
  if (mi->fMask & MIIM_SUBMENU)
  {
    // A menu cannot become its own submenu.
    if (mi->hSubMenu == owner) return FALSE;
  }
  SWELL_MenuItem it;
  SetItemFromInfo(it, mi);
  if (pos < 0 || pos > (int)owner->items.size()) pos = (int)owner->items.size();
  owner->items.insert(owner->items.begin() + pos, it);
  ScheduleRebuild();
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, int idOrPos, UINT flags)
{
  if (!Valid(menu)) return FALSE;
  HMENU owner = menu;
  int pos = idOrPos;
  if (!(flags & MF_BYPOSITION) && !FindCommand(menu, idOrPos, &owner, &pos)) return FALSE;
  if (pos < 0 || pos >= (int)owner->items.size()) return FALSE;
  HMENU sub = owner->items[(size_t)pos].submenu;
  owner->items.erase(owner->items.begin() + pos);
  if (sub) DestroyTree(sub);
  ScheduleRebuild();
  return TRUE;
}

void SWELL_GenerateMenuFromList(HMENU menu, const SWELL_MenuItemRecord* list, int count)
{
  if (!Valid(menu) || !list) return;
  const size_t prefixLen = strlen(SWELL_MENUGEN_POPUP_PREFIX);
  std::vector<HMENU> stack(1, menu);
  for (int i = 0; i < count; i++)
  {
    const SWELL_MenuItemRecord& row = list[i];
    const char* name = row.name ? row.name : "";
    HMENU cur = stack.back();
    if (!strncmp(name, SWELL_MENUGEN_POPUP_PREFIX, prefixLen))
    {
      SWELL_MenuItem it;
      it.text = name + prefixLen;
      it.submenu = CreatePopupMenu();
      if (row.flags & MF_GRAYED) it.state |= MFS_GRAYED;
      cur->items.push_back(it);
      stack.push_back(it.submenu);
    }
    else if (!strcmp(name, SWELL_MENUGEN_ENDPOPUP))
    {
      if (stack.size() > 1) stack.pop_back();
    }
    else
    {
      SWELL_MenuItem it;
      if (!name[0] || (row.flags & MF_SEPARATOR))
        it.type = MFT_SEPARATOR;
      else
      {
        it.text = name;
        it.id = row.id;
        if (row.flags & (MF_GRAYED | MF_DISABLED)) it.state |= MFS_GRAYED;
        if (row.flags & MF_CHECKED) it.state |= MFS_CHECKED;
      }
      cur->items.push_back(it);
    }
  }
  ScheduleRebuild();
}

BOOL SetMenu(HWND hwnd, HMENU menu)
{
  if (!IsWindow(hwnd) || hwnd->kind != SWELL_WndKind::TopLevel) return FALSE;
  if (menu && !Valid(menu)) return FALSE;
  hwnd->menu = menu;
  bool known = false;
  for (HWND h : gMenuWindows) known |= h == hwnd;
  if (!known) gMenuWindows.push_back(hwnd);
  BuildMenuBar(hwnd);
  return TRUE;
}

HMENU GetMenu(HWND hwnd)
{
  if (!IsWindow(hwnd) || !Valid(hwnd->menu)) return nullptr;
  return hwnd->menu;
}

void SWELL_EndAllPopupMenus()
{
  // Each open menu lies in a popup window of its own; a submenu is closed
  // with the menu (or menu bar) it opened from.
  std::vector<GtkWidget*> roots;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next)
  {
    GtkWidget* menu = GTK_IS_BIN(w->data) ? gtk_bin_get_child(GTK_BIN(w->data)) : nullptr;
    if (!menu || !GTK_IS_MENU(menu) || !gtk_widget_get_visible(menu)) continue;
    GtkWidget* root = menu;
    for (;;)
    {
      GtkWidget* item = GTK_IS_MENU(root) ? gtk_menu_get_attach_widget(GTK_MENU(root)) : nullptr;
      GtkWidget* shell = GTK_IS_MENU_ITEM(item) ? gtk_widget_get_parent(item) : nullptr;
      if (!GTK_IS_MENU_SHELL(shell)) break;
      root = shell;
    }
    if (std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(root);
  }
  g_list_free(windows);
  for (GtkWidget* root : roots) gtk_menu_shell_cancel(GTK_MENU_SHELL(root));
}

void SWELL_SetDefaultModalWindowMenu(HMENU menu) { gDefaultModalMenu = menu; }

HMENU SWELL_GetDefaultModalWindowMenu()
{
  return Valid(gDefaultModalMenu) ? gDefaultModalMenu : nullptr;
}
