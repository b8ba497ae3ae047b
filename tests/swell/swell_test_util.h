// Helpers of the window layer tests.
#pragma once

#include <gtk/gtk.h>

#include <functional>

// Runs the main loop until done() holds or ms milliseconds have passed;
// returns done().
inline bool PumpUntil(const std::function<bool()>& done, int ms = 2000)
{
  const gint64 end = g_get_monotonic_time() + (gint64)ms * 1000;
  while (!done() && g_get_monotonic_time() < end)
  {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
  }
  return done();
}

// Runs the main loop for ms milliseconds.
inline void Pump(int ms)
{
  PumpUntil([] { return false; }, ms);
}

// Calls f once from the main loop after ms milliseconds (also inside a
// modal dialog's nested loop).
inline void After(int ms, std::function<void()> f)
{
  auto* p = new std::function<void()>(std::move(f));
  g_timeout_add((guint)ms,
                [](gpointer d) -> gboolean
                {
                  auto* fn = static_cast<std::function<void()>*>(d);
                  (*fn)();
                  delete fn;
                  return G_SOURCE_REMOVE;
                },
                p);
}
