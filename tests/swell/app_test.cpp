// The application delegate (messages in order, the application menu,
// quitting) and menus (generation from rows, the host's merge on copies,
// menu bars).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include "swell.h"
#include "swell_test_util.h"

namespace
{
const int kMainWindow = 8001;
SWELL_DialogRegHelper sMain(&SWELL_curmodule_dialogresource_head, nullptr, kMainWindow,
                            SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "App", 200, 100, 1.0);

// What the application does, set by each test.
std::function<void()> gOnLoaded;

std::vector<int> gMessages; // to SWELLAppMain; posted WM_USER + 1 as -wParam
std::thread::id gPostedOn;  // where WM_USER + 1 arrived
std::vector<INT_PTR> gCommands;
std::vector<std::string> gFiles;
bool gLoopRanAtLoad = false, gLoopRunsAtLaunch = false;
HWND gMain = nullptr;

// The main window quits the application when it goes, as a real one does.
INT_PTR MainProc(HWND h, UINT msg, WPARAM wp, LPARAM)
{
  if (msg == WM_USER + 1)
  {
    gMessages.push_back(-(int)wp);
    gPostedOn = std::this_thread::get_id();
  }
  if (msg == WM_DESTROY)
  {
    gMain = nullptr;
    SWELL_PostQuitMessage(h);
  }
  return 0;
}

// Runs the application with those command-line arguments; returns its status.
int RunApp(std::function<void()> onLoaded, std::vector<const char*> args = {})
{
  gOnLoaded = std::move(onLoaded);
  gMessages.clear();
  gCommands.clear();
  gFiles.clear();
  gMain = nullptr;
  std::vector<char*> argv = {const_cast<char*>("app_test")};
  for (const char* a : args) argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  return SWELL_ApplicationMain((int)argv.size() - 1, argv.data());
}

// The messages these tests follow (activation comes and goes).
std::vector<int> Lifecycle()
{
  std::vector<int> out;
  for (int m : gMessages)
    if (m != SWELLAPP_ACTIVATE && m != SWELLAPP_KEYMESSAGE) out.push_back(m);
  return out;
}

HWND MakeMainWindow(DLGPROC proc = MainProc)
{
  HWND h = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kMainWindow, nullptr, proc, 0);
  if (HMENU cur = SWELL_GetCurrentMenu()) SetMenu(h, SWELL_DuplicateMenu(cur));
  ShowWindow(h, 2);
  return h;
}

const SWELL_MenuItemRecord kRows[] = {
    {SWELL_MENUGEN_POPUP_PREFIX "&File", 0, 0},
    {"Preferences...\tCtrl+,", 40006, 0},
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
// The same rows are the application menu.
SWELL_MenuGenHelper sMenu(&SWELL_curmodule_menuresource_head, BuildMenu, 7001),
    sAppMenu(&SWELL_curmodule_menuresource_head, BuildMenu, SWELL_APP_MENU_ID);
const char* const kRowsDump = "&File=-1{Preferences...\tCtrl+,=40006, -=0, &Quit\tCtrl+Q=40007}, "
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

INT_PTR SWELLAppMain(int msg, INT_PTR parm1, INT_PTR)
{
  gMessages.push_back(msg);
  if (msg == SWELLAPP_LOAD) gLoopRanAtLoad = g_main_depth() > 0;
  if (msg == SWELLAPP_LAUNCHED)
  {
    gLoopRunsAtLaunch = g_main_depth() > 0;
    if (gOnLoaded) gOnLoaded();
  }
  if (msg == SWELLAPP_OPENFILE) gFiles.push_back((const char*)parm1);
  if (msg == SWELLAPP_SYSMENUCOMMAND) gCommands.push_back(parm1);
  if (gMain && (msg == SWELLAPP_TERMINATE || (msg == SWELLAPP_SYSMENUCOMMAND && parm1 == 40007)))
    DestroyWindow(gMain);
  return 0;
}

TEST(App, MessagesInOrderPostsAndMenuCommands)
{
  EXPECT_EQ(0, RunApp(
                   []
                   {
                     gMain = MakeMainWindow();
                     std::thread(
                         []
                         {
                           PostMessage(gMain, WM_USER + 1, 5, 0);
                           PostMessage(gMain, WM_USER + 1, 6, 0);
                         })
                         .join();
                     // Once the posts are in, the user presses Ctrl+, and then
                     // Ctrl+Q, which quits.
                     When(
                         [] {
                           return IsOnScreen(gMain) &&
                                  std::count(gMessages.begin(), gMessages.end(), -6);
                         },
                         []
                         {
                           SWELL_SimulateKeyPress(gMain, VK_OEM_COMMA, FCONTROL);
                           SWELL_SimulateKeyPress(gMain, 'Q', FCONTROL);
                         });
                   }));
  // Load, launched, should-open-untitled, the posts, two menu commands,
  // terminate: the numbers the host's callback switches on.
  EXPECT_EQ((std::vector<int>{1, 2, 82, -5, -6, 153, 153, 3}), Lifecycle());
  EXPECT_EQ((std::vector<INT_PTR>{40006, 40007}), gCommands);
  EXPECT_EQ(std::this_thread::get_id(), gPostedOn);
  EXPECT_FALSE(gLoopRanAtLoad);
  EXPECT_TRUE(gLoopRunsAtLaunch);
  EXPECT_EQ(nullptr, gMain);
  // Outside the application there is no current menu.
  EXPECT_EQ(nullptr, SWELL_GetCurrentMenu());
}

TEST(App, ClosingTheLastWindowEndsTheApplication)
{
  // The window has no procedure: the close button destroys it.
  static HWND only;
  EXPECT_EQ(0, RunApp(
                   []
                   {
                     only = MakeMainWindow(nullptr);
                     WhenShown(only, [] { gtk_window_close(GTK_WINDOW(SWELL_GetWidget(only))); });
                   },
                   {"/tmp/some file.txt"}));
  EXPECT_EQ((std::vector<int>{SWELLAPP_LOAD, SWELLAPP_LAUNCHED, SWELLAPP_OPENFILE,
                              SWELLAPP_SHOULDTERMINATE, SWELLAPP_TERMINATE}),
            Lifecycle());
  EXPECT_EQ((std::vector<std::string>{"/tmp/some file.txt"}), gFiles);
}

TEST(App, QuitEndsModalDialogsAndMessageBoxes)
{
  static INT_PTR modal = 0, box = 0;
  EXPECT_EQ(0, RunApp(
                   []
                   {
                     gMain = MakeMainWindow();
                     When([] { return true; },
                          [] { box = MessageBox(gMain, "text", "caption", MB_YESNO); });
                     When([] { return SWELL_GetMessageBoxInfo(nullptr, 0, nullptr, 0, nullptr); },
                          [] { SWELL_PostQuitMessage(gMain); });
                     modal = SWELL_DialogBox(
                         SWELL_curmodule_dialogresource_head, kMainWindow, gMain,
                         [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0);
                   }));
  EXPECT_EQ(IDCANCEL, modal);
  EXPECT_EQ(IDNO, box);
  EXPECT_EQ(SWELLAPP_TERMINATE, Lifecycle().back());
}

// The host's start: the main window shows itself from WM_INITDIALOG and gets
// its menu bar after it was made. It reaches the screen only once the launch
// is over, at its size with the menu bar: the X server never sees it at
// another size, and a modal box during the launch brings it up first.
TEST(App, AWindowShownDuringTheLaunchAppearsAfterItWithItsMenuBar)
{
  static std::vector<int> heights; // the window's heights the X server had from its map on
  static bool mappedInLaunch = true, visibleInLaunch = false;
  static int box = 0;
  heights.clear();
  // What the X server says of the main window: its height when it maps and
  // every change after.
  auto filter = +[](GdkXEvent* x, GdkEvent*, gpointer) -> GdkFilterReturn
  {
    const XEvent* e = (const XEvent*)x;
    GdkWindow* gw = gMain ? gtk_widget_get_window(SWELL_GetWidget(gMain)) : nullptr;
    if (!gw || e->xany.window != GDK_WINDOW_XID(gw)) return GDK_FILTER_CONTINUE;
    Window root;
    int x0, y0;
    unsigned w, h, border, depth;
    if (e->type == MapNotify &&
        XGetGeometry(e->xany.display, e->xany.window, &root, &x0, &y0, &w, &h, &border, &depth))
      heights.push_back((int)h);
    if (e->type == ConfigureNotify && !heights.empty()) heights.push_back(e->xconfigure.height);
    return GDK_FILTER_CONTINUE;
  };
  EXPECT_EQ(0, RunApp(
                   [filter]
                   {
                     gdk_window_add_filter(nullptr, filter, nullptr);
                     gMain = SWELL_CreateDialog(
                         SWELL_curmodule_dialogresource_head, kMainWindow, nullptr,
                         [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> INT_PTR
                         {
                           if (msg == WM_INITDIALOG) ShowWindow(h, 2);
                           return MainProc(h, msg, wp, lp);
                         },
                         0);
                     GtkWidget* w = SWELL_GetWidget(gMain);
                     SetMenu(gMain, SWELL_DuplicateMenu(SWELL_GetCurrentMenu()));
                     visibleInLaunch = IsWindowVisible(gMain);
                     mappedInLaunch = gtk_widget_get_mapped(w);
                     WhenShown(gMain,
                               []
                               {
                                 box = MessageBox(gMain, "text", "caption", MB_OK);
                                 SWELL_PostQuitMessage(gMain);
                               });
                     When([] { return SWELL_GetMessageBoxInfo(nullptr, 0, nullptr, 0, nullptr); },
                          [] { SWELL_EndMessageBox(IDOK); });
                   }));
  gdk_window_remove_filter(nullptr, filter, nullptr);
  EXPECT_TRUE(visibleInLaunch);
  EXPECT_FALSE(mappedInLaunch);
  ASSERT_FALSE(heights.empty());
  for (int h : heights) EXPECT_EQ(100 + 22, h);
  EXPECT_EQ(IDOK, box);

  // A message box during the launch shows the held window first.
  static bool onScreenUnderBox = false;
  EXPECT_EQ(0, RunApp(
                   []
                   {
                     gMain = MakeMainWindow();
                     When([] { return SWELL_GetMessageBoxInfo(nullptr, 0, nullptr, 0, nullptr); },
                          []
                          {
                            onScreenUnderBox = gtk_widget_get_mapped(SWELL_GetWidget(gMain));
                            SWELL_EndMessageBox(IDOK);
                          });
                     MessageBox(gMain, "text", "caption", MB_OK);
                     SWELL_PostQuitMessage(gMain);
                   }));
  EXPECT_TRUE(onScreenUnderBox);
}

TEST(Menu, GeneratedFromRowsAndMergedOnACopy)
{
  HMENU app = Load(), res = Load();
  EXPECT_EQ(kRowsDump, Dump(app));
  EXPECT_EQ(nullptr, SWELL_LoadMenu(SWELL_curmodule_menuresource_head, 1));
  EXPECT_EQ(0, GetMenuItemID(app, 2)); // out of range
  MENUITEMINFO mi = {};
  mi.fMask = MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfo(app, 40006, FALSE, &mi)); // by command, in a submenu
  EXPECT_EQ(40006u, mi.wID);

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
