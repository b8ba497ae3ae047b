// A child view in a window's client area: placement, keys it does not take,
// and its lifetime.
#include <gtest/gtest.h>

#include <vector>

#include "swell.h"
#include "swell_test_util.h"

namespace
{
const int kHost = 9001;
SWELL_DialogRegHelper sHost(&SWELL_curmodule_dialogresource_head, nullptr, kHost,
                            SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Host", 320, 240, 1.0);

std::vector<int> gKeys; // WM_KEYDOWN virtual keys
int gCommands = 0, gViewTook = 0, gWentOn = 0;
INT_PTR gKeyResult = 0;

INT_PTR HostProc(HWND, UINT msg, WPARAM wp, LPARAM)
{
  if (msg == WM_KEYDOWN) gKeys.push_back((int)wp);
  if (msg == WM_COMMAND) gCommands++;
  return msg == WM_KEYDOWN ? gKeyResult : 0;
}

std::vector<int> PlaceOf(GtkWidget* view)
{
  int x = -1, y = -1;
  gtk_widget_translate_coordinates(view, gtk_widget_get_parent(view), 0, 0, &x, &y);
  return {x, y};
}
} // namespace

TEST(ChildView, PlacedGivenTheKeysItDoesNotTakeAndGoneWithItsWindow)
{
  // A 200 x 100 view at (10, 20) that takes the space bar only.
  HWND host = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kHost, nullptr, HostProc, 0);
  GtkWidget* view = gtk_drawing_area_new();
  gtk_widget_set_size_request(view, 200, 100);
  gtk_widget_set_can_focus(view, TRUE);
  gtk_widget_add_events(view, GDK_KEY_PRESS_MASK);
  g_signal_connect(view, "key-press-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventKey* ev, gpointer) -> gboolean
                              { return ev->keyval == GDK_KEY_space && ++gViewTook; }),
                   nullptr);
  HWND child = SWELL_AddChildView(host, view, 10, 20);
  ASSERT_NE(nullptr, child);
  EXPECT_EQ(host, GetParent(child));
  gtk_widget_show(view);
  // Counts the keys that went on past the window's procedure to GTK.
  g_signal_connect_after(
      SWELL_GetWidget(host), "key-press-event",
      G_CALLBACK(+[](GtkWidget*, GdkEventKey*, gpointer) -> gboolean { return ++gWentOn < 0; }),
      nullptr);
  ShowWindow(host, 2);
  ASSERT_TRUE(PumpUntil([host] { return IsOnScreen(host); }));
  EXPECT_EQ((std::vector<int>{10, 20}), PlaceOf(view));
  ASSERT_TRUE(SetWindowPos(child, nullptr, 30, 40, 150, 80, SWP_NOZORDER));
  EXPECT_TRUE(PumpUntil([&] { return gtk_widget_get_allocated_width(view) == 150; }));
  EXPECT_EQ((std::vector<int>{30, 40}), PlaceOf(view));

  // Taken by the view: the procedure sees nothing. Not taken: WM_KEYDOWN
  // with the virtual key, and the procedure's 0 ends it there; 69 passes it
  // on to GTK. Esc and Return are keys of the view, not dialog keys.
  gtk_widget_grab_focus(view);
  ASSERT_TRUE(gtk_widget_is_focus(view));
  SWELL_SimulateKeyPress(host, VK_SPACE, 0);
  EXPECT_EQ(1, gViewTook);
  SWELL_SimulateKeyPress(host, 'B', FSHIFT);
  EXPECT_EQ(0, gWentOn);
  gKeyResult = 69;
  SWELL_SimulateKeyPress(host, '7', 0);
  EXPECT_EQ(1, gWentOn);
  gKeyResult = 0;
  SWELL_SimulateKeyPress(host, VK_ESCAPE, 0);
  SWELL_SimulateKeyPress(host, VK_RETURN, 0);
  EXPECT_EQ((std::vector<int>{'B', '7', VK_ESCAPE, VK_RETURN}), gKeys);
  EXPECT_EQ(0, gCommands);

  bool viewDestroyed = false;
  g_signal_connect_swapped(view, "destroy", G_CALLBACK(+[](bool* p) { *p = true; }),
                           &viewDestroyed);
  DestroyWindow(host);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_TRUE(viewDestroyed);
}
