// A child view in a window's client area: placement, keys it does not take,
// and its lifetime.
#include <gtest/gtest.h>

#include <vector>

#include "swell.h"
#include "swell-dlggen.h"
#include "swell_test_util.h"

namespace
{
const int kHost = 9001;
SWELL_DialogRegHelper sHost(&SWELL_curmodule_dialogresource_head, nullptr, kHost,
                            SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Host", 320, 240, 1.0);

struct KeySeen
{
  int vk, flags;
};
std::vector<KeySeen> gKeys;
std::vector<int> gCommands;
INT_PTR gKeyResult = 0;

INT_PTR HostProc(HWND, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg == WM_KEYDOWN)
  {
    gKeys.push_back({(int)wp, (int)lp});
    return gKeyResult;
  }
  if (msg == WM_COMMAND) gCommands.push_back(LOWORD(wp));
  return 0;
}

// The view takes the space bar only.
int gViewTook = 0;
gboolean ViewKey(GtkWidget*, GdkEventKey* ev, gpointer)
{
  if (ev->keyval == GDK_KEY_space)
  {
    gViewTook++;
    return TRUE;
  }
  return FALSE;
}

// Keys that went on past the window's procedure.
int gWentOn = 0;
gboolean WindowKeyAfter(GtkWidget*, GdkEventKey*, gpointer)
{
  gWentOn++;
  return FALSE;
}

struct Fixture
{
  HWND host = nullptr, child = nullptr;
  GtkWidget* view = nullptr;
  Fixture()
  {
    gKeys.clear();
    gCommands.clear();
    gViewTook = gWentOn = 0;
    gKeyResult = 0;
    host = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kHost, nullptr, HostProc, 0);
    view = gtk_drawing_area_new();
    gtk_widget_set_size_request(view, 200, 100);
    gtk_widget_set_can_focus(view, TRUE);
    gtk_widget_add_events(view, GDK_KEY_PRESS_MASK);
    g_signal_connect(view, "key-press-event", G_CALLBACK(ViewKey), nullptr);
    child = SWELL_AddChildView(host, view, 10, 20);
    gtk_widget_show(view);
    g_signal_connect_after(SWELL_GetWidget(host), "key-press-event", G_CALLBACK(WindowKeyAfter),
                           nullptr);
    ShowWindow(host, 2);
    PumpUntil(
        [&]
        {
          GdkWindow* gw = gtk_widget_get_window(SWELL_GetWidget(host));
          return gw && gdk_window_is_viewable(gw);
        });
    gtk_widget_grab_focus(view);
    Pump(30);
  }
  ~Fixture()
  {
    if (IsWindow(host)) DestroyWindow(host);
  }
};
} // namespace

TEST(ChildView, PlacedInTheClientArea)
{
  Fixture f;
  ASSERT_NE(nullptr, f.child);
  EXPECT_EQ(f.view, SWELL_GetWidget(f.child));
  EXPECT_EQ(f.host, GetParent(f.child));
  int x = -1, y = -1;
  ASSERT_TRUE(
      gtk_widget_translate_coordinates(f.view, gtk_widget_get_parent(f.view), 0, 0, &x, &y));
  EXPECT_EQ(10, x);
  EXPECT_EQ(20, y);
  RECT hr, cr;
  GetWindowRect(f.host, &hr);
  GetWindowRect(f.child, &cr);
  EXPECT_EQ(hr.left + 10, cr.left);
  EXPECT_EQ(hr.top + 20, cr.top);
  EXPECT_EQ(200, cr.right - cr.left);
  EXPECT_EQ(100, cr.bottom - cr.top);

  // The view can be moved and resized in its window.
  ASSERT_TRUE(SetWindowPos(f.child, nullptr, 30, 40, 150, 80, SWP_NOZORDER));
  Pump(50);
  gtk_widget_translate_coordinates(f.view, gtk_widget_get_parent(f.view), 0, 0, &x, &y);
  EXPECT_EQ(30, x);
  EXPECT_EQ(40, y);
  EXPECT_EQ(150, gtk_widget_get_allocated_width(f.view));
  EXPECT_EQ(80, gtk_widget_get_allocated_height(f.view));

  EXPECT_EQ(nullptr, SWELL_AddChildView(nullptr, f.view, 0, 0));
  EXPECT_EQ(nullptr, SWELL_AddChildView(f.host, nullptr, 0, 0));
}

TEST(ChildView, KeysTheViewDoesNotTakeReachTheProcedure)
{
  Fixture f;
  ASSERT_TRUE(gtk_widget_is_focus(f.view));

  // Taken by the view: the procedure sees nothing.
  SWELL_SimulateKeyPress(f.host, VK_SPACE, 0);
  EXPECT_EQ(1, gViewTook);
  EXPECT_TRUE(gKeys.empty());

  // Not taken: WM_KEYDOWN with the virtual key; the procedure's 0 ends it there.
  SWELL_SimulateKeyPress(f.host, 'B', FSHIFT);
  ASSERT_EQ(1u, gKeys.size());
  EXPECT_EQ('B', gKeys[0].vk);
  EXPECT_TRUE(gKeys[0].flags & FSHIFT);
  EXPECT_EQ(0, gWentOn);

  // 69 passes the key on to GTK.
  gKeyResult = 69;
  SWELL_SimulateKeyPress(f.host, '7', 0);
  ASSERT_EQ(2u, gKeys.size());
  EXPECT_EQ('7', gKeys[1].vk);
  EXPECT_EQ(1, gWentOn);

  // Esc and Return in the view are keys of the view, not dialog keys.
  gKeyResult = 0;
  SWELL_SimulateKeyPress(f.host, VK_ESCAPE, 0);
  SWELL_SimulateKeyPress(f.host, VK_RETURN, 0);
  ASSERT_EQ(4u, gKeys.size());
  EXPECT_EQ(VK_ESCAPE, gKeys[2].vk);
  EXPECT_EQ(VK_RETURN, gKeys[3].vk);
  EXPECT_TRUE(gCommands.empty());
}

TEST(ChildView, GoesWithItsWidgetOrItsWindow)
{
  {
    Fixture f;
    gtk_widget_destroy(f.view);
    EXPECT_FALSE(IsWindow(f.child));
    EXPECT_TRUE(IsWindow(f.host));
  }
  {
    Fixture f;
    bool viewDestroyed = false;
    g_signal_connect(f.view, "destroy",
                     G_CALLBACK(+[](GtkWidget*, gpointer p) { *static_cast<bool*>(p) = true; }),
                     &viewDestroyed);
    DestroyWindow(f.host);
    EXPECT_FALSE(IsWindow(f.child));
    EXPECT_TRUE(viewDestroyed);
  }
}
