// Menus: generation from rows, copies, insertion and deletion, menu bars.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "swell.h"
#include "swell-dlggen.h"
#include "swell-menugen.h"
#include "swell_test_util.h"

namespace
{
const SWELL_MenuItemRecord kRows[] = {
    {SWELL_MENUGEN_POPUP_PREFIX "&File", 0, 0},
    {"Preferences...", 40006, 0},
    {"", 0, MF_SEPARATOR},
    {"&Quit\tCtrl+Q", 40007, 0},
    {SWELL_MENUGEN_ENDPOPUP, 0, 0},
    {SWELL_MENUGEN_POPUP_PREFIX "&Help", 0, 0},
    {"&About", 40005, MF_GRAYED},
    {SWELL_MENUGEN_POPUP_PREFIX "More", 0, 0},
    {"Deep", 40010, MF_CHECKED},
    {SWELL_MENUGEN_ENDPOPUP, 0, 0},
    {SWELL_MENUGEN_ENDPOPUP, 0, 0},
};
void BuildMenu(HMENU m) { SWELL_GenerateMenuFromList(m, kRows, sizeof(kRows) / sizeof(kRows[0])); }
SWELL_MenuGenHelper sMenu(&SWELL_curmodule_menuresource_head, BuildMenu, 7001);

std::string ItemText(HMENU m, int pos)
{
  char buf[1024];
  MENUITEMINFO mi = {};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_TYPE;
  mi.dwTypeData = buf;
  mi.cch = sizeof(buf);
  if (!GetMenuItemInfo(m, pos, TRUE, &mi)) return "<none>";
  return buf;
}

const int kWindow = 7002;
SWELL_DialogRegHelper sWindow(&SWELL_curmodule_dialogresource_head, nullptr, kWindow,
                              SWELL_DLG_WS_FLIPPED, "Menu window", 240, 160, 1.0);
int gLastCommand = 0;
INT_PTR WindowProc(HWND, UINT msg, WPARAM wp, LPARAM)
{
  if (msg == WM_COMMAND) gLastCommand = LOWORD(wp);
  return 0;
}
} // namespace

TEST(Menu, GeneratedFromRowsWithSubmenus)
{
  HMENU m = SWELL_LoadMenu(SWELL_curmodule_menuresource_head, 7001);
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(nullptr, SWELL_LoadMenu(SWELL_curmodule_menuresource_head, 1));
  ASSERT_EQ(2, GetMenuItemCount(m));
  EXPECT_EQ("&File", ItemText(m, 0));
  EXPECT_EQ("&Help", ItemText(m, 1));
  EXPECT_EQ(-1, GetMenuItemID(m, 0)); // submenu items
  EXPECT_EQ(-1, GetMenuItemID(m, 1));
  EXPECT_EQ(0, GetMenuItemID(m, 2)); // out of range
  EXPECT_EQ(0, GetMenuItemID(m, -1));

  HMENU file = GetSubMenu(m, 0);
  ASSERT_NE(nullptr, file);
  ASSERT_EQ(3, GetMenuItemCount(file));
  EXPECT_EQ(40006, GetMenuItemID(file, 0));
  EXPECT_EQ(0, GetMenuItemID(file, 1)); // the separator
  EXPECT_EQ(40007, GetMenuItemID(file, 2));
  EXPECT_EQ("&Quit\tCtrl+Q", ItemText(file, 2));
  MENUITEMINFO mi = {};
  mi.fMask = MIIM_TYPE;
  ASSERT_TRUE(GetMenuItemInfo(file, 1, TRUE, &mi));
  EXPECT_EQ((UINT)MFT_SEPARATOR, mi.fType & MFT_SEPARATOR);

  HMENU help = GetSubMenu(m, 1);
  ASSERT_EQ(2, GetMenuItemCount(help));
  EXPECT_EQ(40005, GetMenuItemID(help, 0));
  EXPECT_EQ(-1, GetMenuItemID(help, 1));
  HMENU more = GetSubMenu(help, 1);
  ASSERT_EQ(1, GetMenuItemCount(more));
  EXPECT_EQ(40010, GetMenuItemID(more, 0));
  EXPECT_EQ(nullptr, GetSubMenu(help, 0));

  // Item information by command reaches into submenus; states come from the flags.
  mi = {};
  mi.fMask = MIIM_STATE | MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfo(m, 40010, FALSE, &mi));
  EXPECT_EQ(40010u, mi.wID);
  EXPECT_TRUE(mi.fState & MFS_CHECKED);
  ASSERT_TRUE(GetMenuItemInfo(m, 40005, FALSE, &mi));
  EXPECT_EQ((UINT)MFS_GRAYED, mi.fState & MFS_GRAYED);
  EXPECT_FALSE(GetMenuItemInfo(m, 12345, FALSE, &mi));

  // A small buffer gets the start of the text.
  char small[4];
  mi = {};
  mi.fMask = MIIM_TYPE;
  mi.dwTypeData = small;
  mi.cch = sizeof(small);
  ASSERT_TRUE(GetMenuItemInfo(file, 0, TRUE, &mi));
  EXPECT_STREQ("Pre", small);
  DestroyMenu(m);
}

TEST(Menu, MergeLeavesTheOriginalAsItWas)
{
  // The application callback's merge, step by step, on a copy.
  HMENU app = SWELL_LoadMenu(SWELL_curmodule_menuresource_head, 7001);
  HMENU copy = SWELL_DuplicateMenu(app);
  ASSERT_NE(nullptr, copy);
  ASSERT_NE(app, copy);
  HMENU res = SWELL_LoadMenu(SWELL_curmodule_menuresource_head, 7001);
  for (int x = 0; x < GetMenuItemCount(res) - 1; x++)
  {
    HMENU sub = GetSubMenu(res, x);
    if (!sub) continue;
    std::string title = ItemText(res, x);
    MENUITEMINFO ins = {};
    ins.cbSize = sizeof(ins);
    ins.fMask = MIIM_STATE | MIIM_TYPE | MIIM_SUBMENU;
    ins.fType = MFT_STRING;
    ins.dwTypeData = &title[0];
    ins.hSubMenu = SWELL_DuplicateMenu(sub);
    ASSERT_TRUE(InsertMenuItem(copy, x + 1, TRUE, &ins));
  }
  ASSERT_EQ(3, GetMenuItemCount(copy));
  EXPECT_EQ("&File", ItemText(copy, 1));
  HMENU inserted = GetSubMenu(copy, 1);
  ASSERT_NE(nullptr, inserted);
  EXPECT_NE(GetSubMenu(res, 0), inserted);
  EXPECT_TRUE(DeleteMenu(inserted, 40007, MF_BYCOMMAND));
  EXPECT_TRUE(DeleteMenu(inserted, 40006, MF_BYCOMMAND));
  EXPECT_FALSE(DeleteMenu(inserted, 40006, MF_BYCOMMAND));
  int n;
  while ((n = GetMenuItemCount(inserted)) > 0 && GetMenuItemID(inserted, n - 1) == 0)
    DeleteMenu(inserted, n - 1, MF_BYPOSITION);
  EXPECT_EQ(0, GetMenuItemCount(inserted));
  EXPECT_TRUE(DeleteMenu(copy, 1, MF_BYPOSITION));
  // The deleted item's submenu went with it.
  EXPECT_EQ(-1, GetMenuItemCount(inserted));

  // The copy is the application menu again, and the original never changed.
  for (HMENU m : {app, copy})
  {
    ASSERT_EQ(2, GetMenuItemCount(m));
    EXPECT_EQ("&File", ItemText(m, 0));
    EXPECT_EQ("&Help", ItemText(m, 1));
    EXPECT_EQ(3, GetMenuItemCount(GetSubMenu(m, 0)));
    EXPECT_EQ(40007, GetMenuItemID(GetSubMenu(m, 0), 2));
  }
  // Copies are deep.
  EXPECT_NE(GetSubMenu(app, 0), GetSubMenu(copy, 0));
  DestroyMenu(copy);
  EXPECT_EQ(3, GetMenuItemCount(GetSubMenu(app, 0)));
  DestroyMenu(app);
  DestroyMenu(res);
}

TEST(Menu, InsertAndDeleteByPositionAndCommand)
{
  HMENU m = CreatePopupMenu();
  char a[] = "A", b[] = "B", c[] = "C";
  MENUITEMINFO mi = {};
  mi.fMask = MIIM_TYPE | MIIM_ID;
  mi.dwTypeData = a;
  mi.wID = 1;
  ASSERT_TRUE(InsertMenuItem(m, 0, TRUE, &mi));
  mi.dwTypeData = c;
  mi.wID = 3;
  ASSERT_TRUE(InsertMenuItem(m, 99, TRUE, &mi)); // past the end: appended
  mi.dwTypeData = b;
  mi.wID = 2;
  ASSERT_TRUE(InsertMenuItem(m, 3, FALSE, &mi)); // before command 3
  ASSERT_EQ(3, GetMenuItemCount(m));
  EXPECT_EQ(1, GetMenuItemID(m, 0));
  EXPECT_EQ(2, GetMenuItemID(m, 1));
  EXPECT_EQ(3, GetMenuItemID(m, 2));
  EXPECT_FALSE(InsertMenuItem(m, 77, FALSE, &mi)); // no such command
  EXPECT_FALSE(InsertMenuItem(nullptr, 0, TRUE, &mi));

  EXPECT_TRUE(DeleteMenu(m, 2, MF_BYCOMMAND));
  EXPECT_EQ(2, GetMenuItemCount(m));
  EXPECT_TRUE(DeleteMenu(m, 0, MF_BYPOSITION));
  EXPECT_EQ(3, GetMenuItemID(m, 0));
  EXPECT_FALSE(DeleteMenu(m, 5, MF_BYPOSITION));
  EXPECT_FALSE(DeleteMenu(m, -1, MF_BYPOSITION));

  // A destroyed menu is refused everywhere.
  EXPECT_TRUE(DestroyMenu(m));
  EXPECT_FALSE(DestroyMenu(m));
  EXPECT_EQ(-1, GetMenuItemCount(m));
  EXPECT_EQ(0, GetMenuItemID(m, 0));
  EXPECT_EQ(nullptr, SWELL_DuplicateMenu(m));
  EXPECT_FALSE(DeleteMenu(m, 0, MF_BYPOSITION));
  EXPECT_FALSE(InsertMenuItem(m, 0, TRUE, &mi));
  int junk[8] = {};
  EXPECT_EQ(-1, GetMenuItemCount(reinterpret_cast<HMENU>(junk)));
}

TEST(Menu, MenuBarKeepsTheClientAreaAndSendsCommands)
{
  HWND h = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kWindow, nullptr, WindowProc, 0);
  ASSERT_NE(nullptr, h);
  HMENU m = SWELL_LoadMenu(SWELL_curmodule_menuresource_head, 7001);
  SetWindowPos(h, nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(SetMenu(h, m));
  EXPECT_EQ(m, GetMenu(h));
  ShowWindow(h, SW_SHOW);
  GtkWidget* win = SWELL_GetWidget(h);
  ASSERT_TRUE(PumpUntil(
      [&]
      {
        GdkWindow* gw = gtk_widget_get_window(win);
        return gw && gdk_window_is_viewable(gw);
      }));
  Pump(100);

  // The window holds a menu bar with the top-level titles, above the client area.
  GtkWidget* bar = nullptr;
  std::function<void(GtkWidget*)> find = [&](GtkWidget* w)
  {
    if (GTK_IS_MENU_BAR(w)) bar = w;
    if (GTK_IS_CONTAINER(w))
      gtk_container_foreach(
          GTK_CONTAINER(w), [](GtkWidget* c, gpointer f) { (*(decltype(find)*)f)(c); }, &find);
  };
  find(win);
  ASSERT_NE(nullptr, bar);
  GList* items = gtk_container_get_children(GTK_CONTAINER(bar));
  ASSERT_EQ(2u, g_list_length(items));
  EXPECT_STREQ("File", gtk_menu_item_get_label(GTK_MENU_ITEM(items->data)) + 1); // "_File"
  GtkWidget* fileMenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(items->data));
  g_list_free(items);
  ASSERT_NE(nullptr, fileMenu);

  const int barHeight = gtk_widget_get_allocated_height(bar);
  // The bar takes the 22 pixels that the plug-in allows above its editor
  // when it resizes the main window.
  EXPECT_EQ(22, barHeight);
  RECT c, r;
  GetClientRect(h, &c);
  EXPECT_EQ(240, c.right);
  EXPECT_EQ(160, c.bottom);
  GetWindowRect(h, &r);
  EXPECT_EQ(160 + barHeight, r.bottom - r.top);
  GdkWindow* gw = gtk_widget_get_window(win);
  EXPECT_EQ(160 + barHeight, gdk_window_get_height(gw));

  // Resizing the way the plug-in does for a new editor size (keeping the
  // bottom edge, 22 pixels above the editor) gives a client area of exactly
  // the editor's size.
  {
    RECT before;
    GetWindowRect(h, &before);
    const int W = 300, H = 200;
    ASSERT_TRUE(SetWindowPos(h, nullptr, before.left, before.bottom - H - 22, W, H + 22, 0));
    GetClientRect(h, &c);
    EXPECT_EQ(W, c.right);
    EXPECT_EQ(H, c.bottom);
    GetWindowRect(h, &r);
    EXPECT_EQ(before.bottom, r.bottom);
    ASSERT_TRUE(PumpUntil([&] { return gdk_window_get_height(gw) == H + 22; }));
    EXPECT_EQ(W, gdk_window_get_width(gw));
  }

  // Choosing "Quit" (outside the application main loop) is WM_COMMAND to the window.
  GList* fileItems = gtk_container_get_children(GTK_CONTAINER(fileMenu));
  ASSERT_EQ(3u, g_list_length(fileItems));
  gLastCommand = 0;
  gtk_menu_item_activate(GTK_MENU_ITEM(g_list_nth_data(fileItems, 2)));
  EXPECT_EQ(40007, gLastCommand);
  g_list_free(fileItems);

  // Its accelerator works from the keyboard.
  gLastCommand = 0;
  SWELL_SimulateKeyPress(h, 'Q', FCONTROL);
  EXPECT_EQ(40007, gLastCommand);

  // Changing the menu shows in the bar; removing it gives the room back.
  DeleteMenu(m, 1, MF_BYPOSITION);
  Pump(50);
  bar = nullptr;
  find(win);
  ASSERT_NE(nullptr, bar);
  GList* left = gtk_container_get_children(GTK_CONTAINER(bar));
  EXPECT_EQ(1u, g_list_length(left));
  g_list_free(left);

  ASSERT_TRUE(SetMenu(h, nullptr));
  GetWindowRect(h, &r);
  EXPECT_EQ(200, r.bottom - r.top);
  EXPECT_EQ(nullptr, GetMenu(h));
  DestroyWindow(h);
  DestroyMenu(m);
  EXPECT_FALSE(SetMenu(h, nullptr));
}
