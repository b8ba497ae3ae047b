// Helpers of the window layer tests.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "swell.h"
#include "x_client.h"

// True when the window is on the screen.
inline bool IsOnScreen(HWND h)
{
  GdkWindow* gw = IsWindow(h) ? gtk_widget_get_window(SWELL_GetWidget(h)) : nullptr;
  return gw && gdk_window_is_viewable(gw);
}

// Runs the main loop until done() holds or ms milliseconds have passed;
// returns done().
inline bool PumpUntil(const std::function<bool()>& done, int ms = 10000)
{
  const gint64 end = g_get_monotonic_time() + (gint64)ms * 1000;
  while (!done() && g_get_monotonic_time() < end)
  {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
  }
  return done();
}

// Handles whatever the main loop has pending.
inline void Drain()
{
  while (g_main_context_iteration(nullptr, FALSE))
  {
  }
}

// Calls f once from the main loop (also inside a modal dialog's nested loop)
// as soon as ready() holds, checked every 10 ms; after 10 s it calls f anyway
// so that a test fails on its checks instead of hanging.
inline void When(std::function<bool()> ready, std::function<void()> f)
{
  struct Job
  {
    std::function<bool()> ready;
    std::function<void()> f;
    gint64 end;
  };
  auto* job = new Job{std::move(ready), std::move(f), g_get_monotonic_time() + 10000000};
  g_timeout_add(
      10,
      [](gpointer d) -> gboolean
      {
        auto* j = static_cast<Job*>(d);
        if (!j->ready() && g_get_monotonic_time() < j->end) return G_SOURCE_CONTINUE;
        j->f();
        delete j;
        return G_SOURCE_REMOVE;
      },
      job);
}

// Calls f once from the main loop as soon as the window is on the screen.
inline void WhenShown(HWND h, std::function<void()> f)
{
  When([h] { return IsOnScreen(h); }, std::move(f));
}

// Runs xdotool with the arguments; true when it succeeded.
inline bool Xdo(const std::string& args)
{
  bool ok = false;
  RunXClient("xdotool " + args, &ok);
  return ok;
}
