// Menus: generation from rows, the host's merge on copies, menu bars.
#include <gtest/gtest.h>

#include <string>

#include "swell.h"
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
const char* const kRowsDump = "&File=-1{Preferences...=40006, -=0, &Quit\tCtrl+Q=40007}, "
                              "&Help=-1{&About(grayed)=40005, More=-1{Deep(checked)=40010}}";

// The menu as text: "title(states)=command id{submenu}", "-" for a separator.
std::string Dump(HMENU m)
{
  std::string s;
  for (int i = 0; i < GetMenuItemCount(m); i++)
  {
    char buf[256];
    MENUITEMINFO mi = {};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_TYPE | MIIM_STATE;
    mi.dwTypeData = buf;
    mi.cch = sizeof(buf);
    if (!GetMenuItemInfo(m, i, TRUE, &mi)) return s + "<unreadable>";
    s += std::string(i ? ", " : "") + (mi.fType & MFT_SEPARATOR ? "-" : buf);
    if ((mi.fState & MFS_GRAYED) == MFS_GRAYED) s += "(grayed)";
    if (mi.fState & MFS_CHECKED) s += "(checked)";
    s += "=" + std::to_string(GetMenuItemID(m, i));
    if (HMENU sub = GetSubMenu(m, i)) s += "{" + Dump(sub) + "}";
  }
  return s;
}

HMENU Load() { return SWELL_LoadMenu(SWELL_curmodule_menuresource_head, 7001); }

const int kWindow = 7002;
SWELL_DialogRegHelper sWindow(&SWELL_curmodule_dialogresource_head, nullptr, kWindow,
                              SWELL_DLG_WS_FLIPPED, "Menu window", 240, 160, 1.0);

GtkWidget* FindMenuBar(GtkWidget* w)
{
  if (GTK_IS_MENU_BAR(w)) return w;
  GtkWidget* found = nullptr;
  if (GTK_IS_CONTAINER(w))
  {
    GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* k = kids; k && !found; k = k->next) found = FindMenuBar(GTK_WIDGET(k->data));
    g_list_free(kids);
  }
  return found;
}

} // namespace

TEST(Menu, GeneratedFromRowsAndMergedOnACopy)
{
  HMENU app = Load(), res = Load();
  EXPECT_EQ(kRowsDump, Dump(app));
  EXPECT_EQ(nullptr, SWELL_LoadMenu(SWELL_curmodule_menuresource_head, 1));
  EXPECT_EQ(0, GetMenuItemID(app, 2)); // out of range
  // By command, items are found in submenus; a small buffer gets the start
  // of the text.
  char small[4];
  MENUITEMINFO mi = {};
  mi.fMask = MIIM_ID | MIIM_TYPE;
  mi.dwTypeData = small;
  mi.cch = sizeof(small);
  ASSERT_TRUE(GetMenuItemInfo(app, 40006, FALSE, &mi));
  EXPECT_EQ(40006u, mi.wID);
  EXPECT_STREQ("Pre", small);

  // The application callback's merge, step by step, on a copy.
  HMENU copy = SWELL_DuplicateMenu(app);
  ASSERT_TRUE(copy && copy != app);
  char title[] = "&File";
  MENUITEMINFO ins = {};
  ins.cbSize = sizeof(ins);
  ins.fMask = MIIM_STATE | MIIM_TYPE | MIIM_SUBMENU;
  ins.fType = MFT_STRING;
  ins.dwTypeData = title;
  ins.hSubMenu = SWELL_DuplicateMenu(GetSubMenu(res, 0));
  ASSERT_TRUE(InsertMenuItem(copy, 1, TRUE, &ins));
  HMENU inserted = ins.hSubMenu;
  EXPECT_EQ(inserted, GetSubMenu(copy, 1));
  EXPECT_TRUE(DeleteMenu(inserted, 40007, MF_BYCOMMAND));
  EXPECT_TRUE(DeleteMenu(inserted, 40006, MF_BYCOMMAND));
  EXPECT_EQ("-=0", Dump(inserted));
  EXPECT_TRUE(DeleteMenu(copy, 1, MF_BYPOSITION));
  EXPECT_EQ(-1, GetMenuItemCount(inserted)); // the submenu went with its item
  EXPECT_FALSE(DeleteMenu(copy, 5, MF_BYPOSITION));
  EXPECT_FALSE(InsertMenuItem(copy, 77, FALSE, &ins)); // no such command

  // The copy is the application menu again, the original never changed, and
  // copies are deep.
  EXPECT_EQ(kRowsDump, Dump(copy));
  EXPECT_NE(GetSubMenu(app, 0), GetSubMenu(copy, 0));
  EXPECT_TRUE(DestroyMenu(copy));
  EXPECT_EQ(kRowsDump, Dump(app));
  DestroyMenu(app);
  DestroyMenu(res);

  // A destroyed or foreign menu is refused everywhere.
  EXPECT_FALSE(DestroyMenu(copy));
  EXPECT_EQ(-1, GetMenuItemCount(copy));
  EXPECT_FALSE(InsertMenuItem(copy, 0, TRUE, &ins));
  int junk[8] = {};
  EXPECT_EQ(-1, GetMenuItemCount(reinterpret_cast<HMENU>(junk)));
}

TEST(Menu, MenuBarKeepsTheClientArea)
{
  HWND h = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kWindow, nullptr, nullptr, 0);
  ASSERT_NE(nullptr, h);
  HMENU m = Load();
  ASSERT_TRUE(SetMenu(h, m));
  ShowWindow(h, SW_SHOW);
  GtkWidget* win = SWELL_GetWidget(h);
  GtkWidget* bar = FindMenuBar(win);
  ASSERT_NE(nullptr, bar);
  // The bar takes the 22 pixels that the plug-in allows above its editor
  // when it resizes the main window.
  ASSERT_TRUE(PumpUntil([&] { return IsOnScreen(h) && gtk_widget_get_allocated_height(bar) > 1; }));
  EXPECT_EQ(22, gtk_widget_get_allocated_height(bar));
  RECT c, r;
  GetClientRect(h, &c);
  EXPECT_EQ(160, c.bottom);
  GdkWindow* gw = gtk_widget_get_window(win);
  EXPECT_EQ(160 + 22, gdk_window_get_height(gw));

  // Resizing the way the plug-in does for a new editor size (keeping the
  // bottom edge, 22 pixels above the editor) gives a client area of exactly
  // the editor's size.
  RECT before;
  GetWindowRect(h, &before);
  ASSERT_TRUE(SetWindowPos(h, nullptr, before.left, before.bottom - 200 - 22, 300, 200 + 22, 0));
  GetClientRect(h, &c);
  EXPECT_EQ(300, c.right);
  EXPECT_EQ(200, c.bottom);
  GetWindowRect(h, &r);
  EXPECT_EQ(before.bottom, r.bottom);
  ASSERT_TRUE(PumpUntil([&] { return gdk_window_get_height(gw) == 200 + 22; }));
  EXPECT_EQ(300, gdk_window_get_width(gw));

  DestroyWindow(h);
  DestroyMenu(m);
}
