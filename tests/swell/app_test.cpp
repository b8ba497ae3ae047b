// The application delegate: messages in order, the application menu, quitting.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "swell.h"
#include "swell_test_util.h"

namespace
{
const SWELL_MenuItemRecord kAppMenu[] = {
    {SWELL_MENUGEN_POPUP_PREFIX "&Test", 0, 0},
    {"Preferences...\tCtrl+,", 40006, 0},
    {"", 0, MF_SEPARATOR},
    {"&Quit\tCtrl+Q", 40007, 0},
    {SWELL_MENUGEN_ENDPOPUP, 0, 0},
};
void BuildAppMenu(HMENU m)
{
  SWELL_GenerateMenuFromList(m, kAppMenu, sizeof(kAppMenu) / sizeof(kAppMenu[0]));
}
SWELL_MenuGenHelper sAppMenu(&SWELL_curmodule_menuresource_head, BuildAppMenu, SWELL_APP_MENU_ID);

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
HMENU gMenuAtLoad = nullptr;
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
} // namespace

INT_PTR SWELLAppMain(int msg, INT_PTR parm1, INT_PTR)
{
  gMessages.push_back(msg);
  if (msg == SWELLAPP_LOAD)
  {
    gLoopRanAtLoad = g_main_depth() > 0;
    gMenuAtLoad = SWELL_GetCurrentMenu();
  }
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
  EXPECT_NE(nullptr, gMenuAtLoad);
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
