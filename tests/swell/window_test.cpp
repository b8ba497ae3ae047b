// Window placement and lifetime: rectangles, moves, stale handles.
#include <gtest/gtest.h>

#include "swell.h"
#include "swell-dlggen.h"
#include "swell_test_util.h"

namespace
{
const int kPlainDialog = 5001;
SWELL_DialogRegHelper sPlain(&SWELL_curmodule_dialogresource_head, nullptr, kPlainDialog,
                             SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Plain", 300, 200,
                             1.0);

int gDestroyCount = 0;
INT_PTR PlainProc(HWND, UINT msg, WPARAM, LPARAM)
{
  if (msg == WM_DESTROY) gDestroyCount++;
  return msg == WM_INITDIALOG;
}

bool SameRect(const RECT& a, const RECT& b)
{
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

TEST(Window, NullAndForeignHandlesAreRefused)
{
  RECT r = {1, 2, 3, 4};
  EXPECT_FALSE(GetWindowRect(nullptr, &r));
  EXPECT_FALSE(SetWindowPos(nullptr, nullptr, 10, 10, 100, 100, 0));
  int notAWindow[16] = {};
  HWND foreign = reinterpret_cast<HWND>(notAWindow);
  EXPECT_FALSE(GetWindowRect(foreign, &r));
  EXPECT_FALSE(SetWindowPos(foreign, nullptr, 10, 10, 100, 100, 0));
  EXPECT_FALSE(DestroyWindow(foreign));
  EXPECT_EQ(0, SendMessage(foreign, WM_COMMAND, 1, 0));
  EXPECT_EQ(nullptr, GetDlgItem(foreign, 1));
  // Nothing was written.
  EXPECT_EQ(1, r.left);
  EXPECT_EQ(4, r.bottom);
}

TEST(Window, DialogRectFollowsSetWindowPos)
{
  HWND h =
      SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kPlainDialog, nullptr, PlainProc, 0);
  ASSERT_NE(nullptr, h);
  RECT r;
  ASSERT_TRUE(GetWindowRect(h, &r));
  EXPECT_EQ(300, r.right - r.left);
  EXPECT_EQ(200, r.bottom - r.top);
  RECT c;
  ASSERT_TRUE(GetClientRect(h, &c));
  EXPECT_EQ(300, c.right);
  EXPECT_EQ(200, c.bottom);

  ASSERT_TRUE(SetWindowPos(h, nullptr, 120, 90, 400, 250, 0));
  ASSERT_TRUE(GetWindowRect(h, &r));
  EXPECT_TRUE(SameRect(r, RECT{120, 90, 520, 340}));

  // Shown on the X server, the window lands where it was put and keeps its size.
  ShowWindow(h, SW_SHOW);
  GtkWidget* w = SWELL_GetWidget(h);
  ASSERT_TRUE(PumpUntil(
      [&]
      {
        int x = -1, y = -1;
        GdkWindow* gw = gtk_widget_get_window(w);
        if (!gw || !gdk_window_is_viewable(gw)) return false;
        gdk_window_get_origin(gw, &x, &y);
        return x == 120 && y == 90 && gdk_window_get_width(gw) == 400 &&
               gdk_window_get_height(gw) == 250;
      }));
  Pump(50);
  ASSERT_TRUE(GetWindowRect(h, &r));
  EXPECT_TRUE(SameRect(r, RECT{120, 90, 520, 340}));

  // Moving only keeps the size; sizing only keeps the place.
  ASSERT_TRUE(SetWindowPos(h, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  ASSERT_TRUE(GetWindowRect(h, &r));
  EXPECT_TRUE(SameRect(r, RECT{200, 150, 600, 400}));
  ASSERT_TRUE(SetWindowPos(h, nullptr, 0, 0, 320, 240, SWP_NOMOVE | SWP_NOZORDER));
  ASSERT_TRUE(GetWindowRect(h, &r));
  EXPECT_TRUE(SameRect(r, RECT{200, 150, 520, 390}));
  ASSERT_TRUE(PumpUntil(
      [&]
      {
        GdkWindow* gw = gtk_widget_get_window(w);
        int x = -1, y = -1;
        gdk_window_get_origin(gw, &x, &y);
        return x == 200 && y == 150 && gdk_window_get_width(gw) == 320 &&
               gdk_window_get_height(gw) == 240;
      }));

  const int before = gDestroyCount;
  EXPECT_TRUE(DestroyWindow(h));
  EXPECT_EQ(before + 1, gDestroyCount);
  // The handle is stale now.
  EXPECT_FALSE(GetWindowRect(h, &r));
  EXPECT_FALSE(SetWindowPos(h, nullptr, 0, 0, 10, 10, 0));
  EXPECT_FALSE(DestroyWindow(h));
  EXPECT_EQ(before + 1, gDestroyCount);
}

TEST(Window, CenterWindowCentresOnTheScreen)
{
  HWND h =
      SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kPlainDialog, nullptr, PlainProc, 0);
  ASSERT_NE(nullptr, h);
  CenterWindow(h);
  RECT r;
  ASSERT_TRUE(GetWindowRect(h, &r));
  // The test X server's screen is 1280 x 1024.
  EXPECT_EQ((1280 - 300) / 2, r.left);
  EXPECT_EQ((1024 - 200) / 2, r.top);
  DestroyWindow(h);
}

TEST(Window, UnknownResourceGivesNoWindow)
{
  EXPECT_EQ(nullptr,
            SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, 4242, nullptr, PlainProc, 0));
  EXPECT_EQ(-1, SWELL_DialogBox(SWELL_curmodule_dialogresource_head, 4242, nullptr, PlainProc, 0));
}
