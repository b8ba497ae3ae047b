// The application delegate: messages in order, the application menu, quitting.
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "swell.h"
#include "swell-dlggen.h"
#include "swell-menugen.h"
#include "swell_test_util.h"

namespace
{
const SWELL_MenuItemRecord kAppMenu[] = {
    {SWELL_MENUGEN_POPUP_PREFIX "&Test", 0, 0},
    {"&About", 40005, 0},
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

// Each test sets what the application does.
struct Script
{
  std::function<void()> onLoaded = nullptr;
  std::function<void(int)> onCommand = nullptr;
  INT_PTR shouldDestroy = 0;
};
Script gScript;
std::vector<int> gMessages;
std::vector<INT_PTR> gCommands;
std::vector<std::string> gFiles;
bool gLoopRanAtLoad = false, gLoopRunsAtLaunch = false;
HMENU gMenuAtLoad = nullptr;
HWND gMain = nullptr;

void Reset(Script s)
{
  gScript = std::move(s);
  gMessages.clear();
  gCommands.clear();
  gFiles.clear();
  gMain = nullptr;
}

// The main window quits the application when it goes, as a real one does.
INT_PTR MainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
  switch (msg)
  {
    case WM_CLOSE:
      DestroyWindow(h);
      return 0;
    case WM_DESTROY:
      gMain = nullptr;
      SWELL_PostQuitMessage(h);
      return 0;
    case WM_USER + 1:
      gMessages.push_back(-(int)wp);
      (void)lp;
      return 0;
    default:
      return 0;
  }
}

// Only the messages these tests follow (activation comes and goes).
std::vector<int> Lifecycle()
{
  std::vector<int> out;
  for (int m : gMessages)
    if (m != SWELLAPP_ACTIVATE && m != SWELLAPP_PROCESSMESSAGE) out.push_back(m);
  return out;
}

int RunApp(std::vector<const char*> args = {})
{
  std::vector<char*> argv;
  static char name[] = "app_test";
  argv.push_back(name);
  for (const char* a : args) argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  return SWELL_ApplicationMain((int)argv.size() - 1, argv.data());
}

HWND MakeMainWindow()
{
  HWND h =
      SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kMainWindow, nullptr, MainProc, 0);
  if (HMENU cur = SWELL_GetCurrentMenu()) SetMenu(h, SWELL_DuplicateMenu(cur));
  ShowWindow(h, 2);
  return h;
}
} // namespace

INT_PTR SWELLAppMain(int msg, INT_PTR parm1, INT_PTR)
{
  gMessages.push_back(msg);
  switch (msg)
  {
    case SWELLAPP_ONLOAD:
      gLoopRanAtLoad = g_main_depth() > 0;
      gMenuAtLoad = SWELL_GetCurrentMenu();
      return 0;
    case SWELLAPP_LOADED:
      gLoopRunsAtLaunch = g_main_depth() > 0;
      if (gScript.onLoaded) gScript.onLoaded();
      return 0;
    case SWELLAPP_OPENFILE:
      gFiles.push_back((const char*)parm1);
      return 0;
    case SWELLAPP_ONCOMMAND:
      gCommands.push_back(parm1);
      if (gScript.onCommand) gScript.onCommand((int)parm1);
      return 0;
    case SWELLAPP_SHOULDDESTROY:
      return gScript.shouldDestroy;
    case SWELLAPP_DESTROY:
      if (gMain) DestroyWindow(gMain);
      return 0;
    default:
      return 0;
  }
}

TEST(App, MessagesInOrderAndMenuCommands)
{
  Reset({[]
         {
           gMain = MakeMainWindow();
           // The user presses Ctrl+, and then Ctrl+Q.
           After(150, [] { SWELL_SimulateKeyPress(gMain, VK_OEM_COMMA, FCONTROL); });
           After(250, [] { SWELL_SimulateKeyPress(gMain, 'Q', FCONTROL); });
         },
         [](int id)
         {
           if (id == 40007 && gMain) DestroyWindow(gMain);
         }});
  EXPECT_EQ(0, RunApp());
  EXPECT_EQ((std::vector<int>{SWELLAPP_ONLOAD, SWELLAPP_LOADED, SWELLAPP_SHOULDOPENNEWFILE,
                              SWELLAPP_ONCOMMAND, SWELLAPP_ONCOMMAND, SWELLAPP_DESTROY}),
            Lifecycle());
  EXPECT_EQ((std::vector<INT_PTR>{40006, 40007}), gCommands);
  EXPECT_FALSE(gLoopRanAtLoad);
  EXPECT_TRUE(gLoopRunsAtLaunch);
  EXPECT_NE(nullptr, gMenuAtLoad);
  EXPECT_EQ(nullptr, gMain);
  // Outside the application there is no current menu.
  EXPECT_EQ(nullptr, SWELL_GetCurrentMenu());
}

TEST(App, LastWindowClosingEndsTheApplication)
{
  static HWND plain = nullptr;
  Reset({[]
         {
           plain = SWELL_CreateDialog(
               SWELL_curmodule_dialogresource_head, kMainWindow, nullptr,
               [](HWND h, UINT msg, WPARAM, LPARAM) -> INT_PTR
               {
                 if (msg == WM_CLOSE) DestroyWindow(h);
                 return 0;
               },
               0);
           ShowWindow(plain, SW_SHOW);
           After(100, [] { gtk_window_close(GTK_WINDOW(SWELL_GetWidget(plain))); });
         }});
  EXPECT_EQ(0, RunApp({"/tmp/some file.txt"}));
  EXPECT_EQ((std::vector<int>{SWELLAPP_ONLOAD, SWELLAPP_LOADED, SWELLAPP_OPENFILE,
                              SWELLAPP_SHOULDDESTROY, SWELLAPP_DESTROY}),
            Lifecycle());
  EXPECT_EQ((std::vector<std::string>{"/tmp/some file.txt"}), gFiles);
}

TEST(App, ApplicationCanRefuseToEndWhenTheLastWindowCloses)
{
  static HWND plain = nullptr;
  Script s;
  s.shouldDestroy = 1;
  s.onLoaded = []
  {
    plain =
        SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kMainWindow, nullptr, nullptr, 0);
    ShowWindow(plain, SW_SHOW);
    // Without a procedure the close button destroys the window.
    After(50, [] { gtk_window_close(GTK_WINDOW(SWELL_GetWidget(plain))); });
    After(200,
          []
          {
            EXPECT_FALSE(IsWindow(plain));
            SWELL_PostQuitMessage(nullptr);
          });
  };
  Reset(s);
  EXPECT_EQ(0, RunApp());
  const std::vector<int> seen = Lifecycle();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(SWELLAPP_DESTROY, seen.back());
  EXPECT_EQ(SWELLAPP_SHOULDDESTROY, seen[seen.size() - 2]);
}

TEST(App, PostedMessagesArriveOnTheMainThread)
{
  static std::thread::id mainThread;
  static std::thread::id seenOn;
  mainThread = std::this_thread::get_id();
  Reset({[]
         {
           gMain = MakeMainWindow();
           std::thread(
               []
               {
                 PostMessage(gMain, WM_USER + 1, 5, 0);
                 PostMessage(gMain, WM_USER + 1, 6, 0);
               })
               .join();
           // The posts arrive within 0.05 s of the timer; then quit.
           After(300,
                 []
                 {
                   seenOn = std::this_thread::get_id();
                   DestroyWindow(gMain);
                 });
         }});
  EXPECT_EQ(0, RunApp());
  std::vector<int> posted;
  for (int m : gMessages)
    if (m < 0) posted.push_back(-m);
  EXPECT_EQ((std::vector<int>{5, 6}), posted);
  EXPECT_EQ(mainThread, seenOn);
}

TEST(App, QuitEndsModalDialogsAndMessageBoxes)
{
  static INT_PTR modal = 0, box = 0;
  Reset({[]
         {
           gMain = MakeMainWindow();
           After(100, [] { box = MessageBox(gMain, "text", "caption", MB_YESNO); });
           After(200, [] { SWELL_PostQuitMessage(gMain); });
           modal = SWELL_DialogBox(
               SWELL_curmodule_dialogresource_head, kMainWindow, gMain,
               [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0);
         }});
  EXPECT_EQ(0, RunApp());
  EXPECT_EQ(IDCANCEL, modal);
  EXPECT_EQ(IDNO, box);
  EXPECT_EQ(SWELLAPP_DESTROY, Lifecycle().back());
}
