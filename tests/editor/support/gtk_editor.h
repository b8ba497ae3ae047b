// A test editor on the desktop: the test plug-in's GTK editor, opened in a window of the window
// layer on the X server, and helpers that drive it through the X server as a user would (xdotool).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IControls.h"
#include "IGraphicsGtk.h"
#include "IGraphicsGtkView.h"
#include "lice.h"
#include "recording_control.h"
#include "swell.h"
#include "swell_test_util.h"
#include "test_plug.h"

// Runs xdotool with the arguments; true when it succeeded.
inline bool Xdo(const std::string& args)
{
  int status = -1;
  const std::string cmd = "xdotool " + args;
  return g_spawn_command_line_sync(cmd.c_str(), nullptr, nullptr, &status, nullptr) &&
         WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A window of the window layer holding the test editor; WM_KEYDOWN messages
// that reach it are kept in HostKeys().
class GtkEditorTest : public ::testing::Test
{
protected:
  static constexpr int kW = 240, kH = 160;

  static std::vector<int>& HostKeys()
  {
    static std::vector<int> keys;
    return keys;
  }
  static INT_PTR HostProc(HWND, UINT msg, WPARAM wp, LPARAM)
  {
    if (msg == WM_KEYDOWN) HostKeys().push_back((int)wp);
    return 0;
  }

  // A new editor of the test plug-in; attach controls, then Open().
  void SetUp() override
  {
    HostKeys().clear();
    plug = new TestPlug;
    g = new IGraphicsGtk(plug, kW, kH);
  }
  void Open()
  {
    plug->AttachGraphics(g);
    host = CreateHost();
    ASSERT_NE(nullptr, g->OpenWindow(host));
    ShowWindow(host, 2);
    ASSERT_TRUE(PumpUntil([&] { return View() && gtk_widget_get_mapped(View()->DrawingArea()); }));
    // The first paint has drawn every control.
    ASSERT_TRUE(PumpUntil(
        [&]
        {
          IRECT r;
          return !g->IsDirty(&r);
        }));
    gdk_window_get_origin(gtk_widget_get_window(View()->DrawingArea()), &mOriginX, &mOriginY);
    Xdo("mousemove " + std::to_string(mOriginX + 1) + " " + std::to_string(mOriginY + 1));
  }
  void TearDown() override
  {
    if (IsWindow(host)) DestroyWindow(host);
    if (plug->GetGUI() != g) delete g; // never opened
    delete plug;
  }
  static HWND CreateHost()
  {
    static SWELL_DialogRegHelper reg(&SWELL_curmodule_dialogresource_head, nullptr, 9301,
                                     SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Editor", kW,
                                     kH, 1.0);
    return SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, 9301, nullptr, HostProc, 0);
  }
  IGraphicsGtkView* View() { return (IGraphicsGtkView*)g->GetWindow(); }

  // Moves the pointer to editor pixel (x, y).
  bool MoveTo(int x, int y)
  {
    int px = 0, py = 0;
    gdk_device_get_position(
        gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())), nullptr, &px,
        &py);
    if (px == mOriginX + x && py == mOriginY + y) return true; // --sync would wait for a move
    return Xdo("mousemove --sync " + std::to_string(mOriginX + x) + " " +
               std::to_string(mOriginY + y));
  }

  TestPlug* plug = nullptr;
  IGraphicsGtk* g = nullptr; // owned by the plug-in
  HWND host = nullptr;
  int mOriginX = 0, mOriginY = 0; // the editor's top left on the screen
};
