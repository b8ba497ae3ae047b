// The application callback, the editor attachment, the main window's resize
// with the editor, and shut-down, in this process, on real windows of the
// window layer and a real JACK stream.
#include <gtest/gtest.h>

#include <vector>

#include "test_graphics.h"
#include "app_audio.h"
#include "app_main.h"
#include "app_midi.h"
#include "app_settings.h"
#include "host_test_support.h"

namespace
{
// A window whose procedure logs the commands it gets.
std::vector<WPARAM> sCommands;
INT_PTR RecordingProc(HWND, UINT msg, WPARAM wParam, LPARAM)
{
  if (msg == WM_COMMAND) sCommands.push_back(wParam);
  return msg == WM_INITDIALOG ? 1 : 0;
}

TEST(AppLifecycle, MenuCommandsReachTheMainWindowOnlyWithAnIdAndAWindow)
{
  sCommands.clear();
  gHWND = nullptr;
  // Before the main window exists: nothing is sent, nothing breaks.
  EXPECT_EQ(0, SWELLAppMain(SWELLAPP_SYSMENUCOMMAND, IDM_ABOUT, 0));

  HWND wnd = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, IDD_DIALOG_MAIN, nullptr,
                                RecordingProc, 0);
  ASSERT_NE(nullptr, wnd);
  gHWND = wnd;
  EXPECT_EQ(0, SWELLAppMain(SWELLAPP_SYSMENUCOMMAND, 0, 0));
  EXPECT_EQ(0, SWELLAppMain(SWELLAPP_SYSMENUCOMMAND, 7 << 16, 0)); // no id in the low bits
  EXPECT_TRUE(sCommands.empty());
  EXPECT_EQ(0, SWELLAppMain(SWELLAPP_SYSMENUCOMMAND, (3 << 16) | IDM_PREFERENCES, 0));
  ASSERT_EQ(1u, sCommands.size());
  EXPECT_EQ((WPARAM)IDM_PREFERENCES, sCommands[0]);
  // Messages the host does not handle answer 0.
  EXPECT_EQ(0, SWELLAppMain(SWELLAPP_SHOULDTERMINATE, 0, 0));
  EXPECT_EQ(0, SWELLAppMain(SWELLAPP_SHOULDOPENUNTITLED, 0, 0));
  gHWND = nullptr;
  DestroyWindow(wnd);
}

// An editor of a given size whose view is a token; it logs where it was
// opened.
class TokenEditor : public TestGraphics
{
public:
  TokenEditor(IPlugBase* plug, bool opens, int w = 620, int h = 580)
      : TestGraphics(plug, w, h), mOpens(opens)
  {
  }
  void* OpenWindow(void* parent) override
  {
    mParents.push_back(parent);
    return mOpens ? this : nullptr;
  }
  std::vector<void*> mParents;
  bool mOpens;
};

class EditorPlug : public IPlugStandalone
{
public:
  EditorPlug()
      : IPlugStandalone(IPlugInstanceInfo(), 1, "2-2", 1, "Test", "Test", "Test", 0x10000, 1, 1, 0,
                        false, false, false, 0)
  {
  }
  void OnGUIOpen() override { ++mGUIOpened; }
  void OnWindowResize() override { ++mResized; }
  int mGUIOpened = 0, mResized = 0;
};

TEST(AppLifecycle, AttachGuiOpensTheEditorInTheMainWindow)
{
  EditorPlug plug;
  gPluginInstance = &plug;
  HWND wnd = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, IDD_DIALOG_MAIN, nullptr,
                                RecordingProc, 0);
  ASSERT_NE(nullptr, wnd);
  gHWND = wnd;

  EXPECT_FALSE(AttachGUI()); // no editor
  auto* refusing = new TokenEditor(&plug, false);
  plug.AttachGraphics(refusing);
  EXPECT_FALSE(AttachGUI()); // the editor made no view
  EXPECT_EQ(0, plug.mGUIOpened);
  EXPECT_EQ(std::vector<void*>{wnd}, refusing->mParents);

  refusing->mOpens = true;
  EXPECT_TRUE(AttachGUI());
  EXPECT_TRUE(AttachGUI()); // again, as at start-up: the view is opened anew
  EXPECT_EQ(2, plug.mGUIOpened);
  EXPECT_EQ(3u, refusing->mParents.size());

  gPluginInstance = nullptr;
  gHWND = nullptr;
  DestroyWindow(wnd);
}

TEST(AppLifecycle, ResizeGraphicsFitsTheWindowToTheEditorAndTitleBar)
{
  EditorPlug plug;
  gHWND = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, IDD_DIALOG_MAIN, nullptr,
                             RecordingProc, 0);
  ASSERT_NE(nullptr, gHWND);
  ASSERT_TRUE(SetWindowPos(gHWND, nullptr, 100, 700, 300, 200, 0));
  // The main window's rectangle as left, top, width, height.
  auto windowRect = []
  {
    RECT r = {};
    GetWindowRect(gHWND, &r);
    return std::vector<int>{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };

  // Without an editor nothing happens.
  plug.ResizeGraphics(620, 580);
  EXPECT_EQ((std::vector<int>{100, 700, 300, 200}), windowRect());
  EXPECT_EQ(0, plug.mResized);

  // x = left, y = bottom - H - 22, W x (H + 22): the bottom edge stays. The
  // arguments are not used.
  auto* editor = new TokenEditor(&plug, true, 620, 580);
  plug.AttachGraphics(editor);
  plug.ResizeGraphics(0, 0);
  EXPECT_EQ((std::vector<int>{100, 900 - 602, 620, 602}), windowRect());
  editor->Resize(400, 300); // the editor asks the plug-in to follow
  EXPECT_EQ((std::vector<int>{100, 900 - 322, 400, 322}), windowRect());
  EXPECT_EQ(2, plug.mResized);

  DestroyWindow(gHWND);
  gHWND = nullptr;
}

TEST(AppLifecycle, QuitDestroysTheWindowFirstThenTerminateCleansUp)
{
  TempHome home;
  ASSERT_EQ(0, SWELLAppMain(SWELLAPP_LOAD, 0, 0));
  ASSERT_NE(nullptr, gState);
  // Start-up as at launch: the real effect on a real JACK stream.
  ASSERT_TRUE(Init());
  ASSERT_NE(nullptr, gPluginInstance);
  HWND wnd = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, IDD_DIALOG_MAIN, nullptr,
                                MainDlgProc, 0);
  ASSERT_NE(nullptr, wnd);
  EXPECT_EQ(wnd, gHWND); // set by the window's initialisation
  EXPECT_TRUE(IsWindowVisible(wnd));

  // Let the effect process audio (after the 51 silent callbacks).
  EXPECT_TRUE(WaitUntil([] { return gVecElapsed >= 80; }, 20000));

  SWELLAppMain(SWELLAPP_SYSMENUCOMMAND, IDM_QUIT, 0);
  EXPECT_EQ(nullptr, gHWND);
  EXPECT_FALSE(IsWindow(wnd));

  // The terminate message finds no window and shuts down in order: stream
  // and MIDI first, then the plug-in (a running callback would touch a
  // deleted plug-in here), the records and the devices.
  EXPECT_EQ(0, SWELLAppMain(SWELLAPP_TERMINATE, 0, 0));
  EXPECT_EQ(nullptr, gPluginInstance);
  EXPECT_EQ(nullptr, gDAC);
  EXPECT_EQ(nullptr, gMidiIn);
  EXPECT_EQ(nullptr, gMidiOut);
  EXPECT_EQ(nullptr, gState);
  EXPECT_EQ(nullptr, gActiveState);
  Cleanup(); // with nothing left, harmless
}
} // namespace
