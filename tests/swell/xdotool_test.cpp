// Smoke test on the real X server: a dialog driven with xdotool like a user
// would, and a screenshot of it.
#include <gtest/gtest.h>

#include <gdk/gdkx.h>

#include <cstdio>
#include <string>
#include <vector>

#include "swell.h"
#include "swell_test_util.h"

namespace
{
enum
{
  kDialog = 9501,
  kCombo = 200,
  kCheck = 201,
};
const SWELL_DialogControlRecord kControls[] = {
    {"__SWELL_GROUP", 0, "Audio Settings", -1, 5, 10, 300, 120, 0},
    {"__SWELL_LABEL", -1, "Driver Type", -1, 20, 32, 100, 20, 0},
    {"__SWELL_COMBO", 0, "", kCombo, 20, 50, 150, 100, 3},
    {"__SWELL_CHECKBOX", 0, "Mono", kCheck, 200, 50, 80, 100, 0},
    {"__SWELL_BUTTON", 1, "OK", IDOK, 192, 150, 50, 20, 0},
    {"__SWELL_BUTTON", 0, "Cancel", IDCANCEL, 252, 150, 50, 20, 0},
};
void Build(HWND dlg, int)
{
  SWELL_MakeSetCurParms(1.0f, 1.0f, 0, 0, dlg, false, false);
  SWELL_GenerateDialogFromList(kControls, (int)(sizeof(kControls) / sizeof(kControls[0])));
}
SWELL_DialogRegHelper sDialog(&SWELL_curmodule_dialogresource_head, Build, kDialog,
                              SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Smoke", 320, 180,
                              1.0);

std::vector<std::pair<int, int>> gCommands;
INT_PTR Proc(HWND, UINT msg, WPARAM wp, LPARAM)
{
  if (msg == WM_COMMAND) gCommands.push_back({LOWORD(wp), HIWORD(wp)});
  return 0;
}

// Runs a command line (it needs nothing from this process) and returns its
// exit status.
int RunTool(const std::string& command)
{
  int status = -1;
  if (!g_spawn_command_line_sync(command.c_str(), nullptr, nullptr, &status, nullptr)) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits until the window has drawn itself again.
bool Redrawn(HWND h)
{
  bool drawn = false;
  GtkWidget* w = SWELL_GetWidget(h);
  auto onDraw = +[](GtkWidget*, cairo_t*, gpointer p) -> gboolean
  {
    *static_cast<bool*>(p) = true;
    return FALSE;
  };
  const gulong id = g_signal_connect_after(w, "draw", G_CALLBACK(onDraw), &drawn);
  gtk_widget_queue_draw(w);
  const bool ok = PumpUntil([&] { return drawn; });
  g_signal_handler_disconnect(w, id);
  gdk_display_sync(gtk_widget_get_display(w));
  return ok;
}

std::string Xid(HWND h)
{
  return std::to_string(gdk_x11_window_get_xid(gtk_widget_get_window(SWELL_GetWidget(h))));
}

// A real click in the middle of a control.
int Click(HWND dlg, HWND ctl)
{
  GtkWidget* w = SWELL_GetWidget(ctl);
  int x = 0, y = 0;
  gtk_widget_translate_coordinates(w, gtk_widget_get_toplevel(w), 0, 0, &x, &y);
  x += gtk_widget_get_allocated_width(w) / 2;
  y += gtk_widget_get_allocated_height(w) / 2;
  return RunTool("xdotool mousemove --window " + Xid(dlg) + " " + std::to_string(x) + " " +
                 std::to_string(y) + " click 1");
}

bool PopupShown(HWND combo)
{
  gboolean shown = FALSE;
  g_object_get(SWELL_GetWidget(combo), "popup-shown", &shown, nullptr);
  return shown;
}
} // namespace

TEST(XdotoolSmoke, DialogDrivenOnTheXServer)
{
  HWND h = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kDialog, nullptr, Proc, 0);
  ASSERT_NE(nullptr, h);
  HWND combo = GetDlgItem(h, kCombo), check = GetDlgItem(h, kCheck);
  for (const char* s : {"JACK", "ALSA", "Pulse"}) SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)s);
  SendMessage(combo, CB_SETCURSEL, 0, 0);
  SetWindowPos(h, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(h, 2);
  ASSERT_TRUE(PumpUntil(
      [&] { return IsOnScreen(h) && gtk_widget_get_allocated_width(SWELL_GetWidget(check)) > 1; }));
  Drain();

  // A real click on the check box.
  ASSERT_EQ(0, Click(h, check));
  ASSERT_TRUE(PumpUntil([] { return !gCommands.empty(); }));
  EXPECT_EQ(std::make_pair((int)kCheck, BN_CLICKED), gCommands[0]);
  EXPECT_EQ(BST_CHECKED, SendMessage(check, BM_GETCHECK, 0, 0));

  // A real pick in the combo box: open it, move down one item, take it.
  gCommands.clear();
  ASSERT_EQ(0, Click(h, combo));
  ASSERT_TRUE(PumpUntil([&] { return PopupShown(combo); }));
  Drain();
  ASSERT_EQ(0, RunTool("xdotool key Down Return"));
  ASSERT_TRUE(PumpUntil([&] { return !gCommands.empty() && !PopupShown(combo); }));
  EXPECT_EQ(std::make_pair((int)kCombo, CBN_SELCHANGE), gCommands[0]);
  EXPECT_EQ(1, SendMessage(combo, CB_GETCURSEL, 0, 0));
  ASSERT_TRUE(Redrawn(h));

  // A screenshot: text where the label is, plain background where nothing is.
  char path[] = "/tmp/swell-smoke-XXXXXX.png";
  const int fd = mkstemps(path, 4);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_EQ(0, RunTool("import -window " + Xid(h) + " " + path));
  GError* err = nullptr;
  GdkPixbuf* shot = gdk_pixbuf_new_from_file(path, &err);
  unlink(path);
  ASSERT_NE(nullptr, shot) << (err ? err->message : "");
  EXPECT_EQ(320, gdk_pixbuf_get_width(shot));
  EXPECT_EQ(180, gdk_pixbuf_get_height(shot));
  const int stride = gdk_pixbuf_get_rowstride(shot), nch = gdk_pixbuf_get_n_channels(shot);
  const guchar* px = gdk_pixbuf_get_pixels(shot);
  auto lum = [&](int xx, int yy)
  {
    const guchar* p = px + yy * stride + xx * nch;
    return (p[0] + p[1] + p[2]) / 3;
  };
  const int background = lum(315, 175);
  int dark = 0, differing = 0;
  for (int yy = 32; yy < 46; yy++)
    for (int xx = 20; xx < 90; xx++) dark += lum(xx, yy) < background - 80 ? 1 : 0;
  for (int yy = 140; yy < 176; yy++)
    for (int xx = 110; xx < 180; xx++) differing += lum(xx, yy) != background ? 1 : 0;
  EXPECT_GT(background, 150);
  EXPECT_GT(dark, 20);     // "Driver Type" is drawn
  EXPECT_EQ(0, differing); // nothing drawn between the group and the buttons' left
  g_object_unref(shot);

  DestroyWindow(h);
}
