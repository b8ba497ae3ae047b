// The process's CPU while the effect's editor runs with its four meters
// changing on every tick (needs an X server): an audio-like thread sets them
// every 11.6 ms (512 frames at 44.1 kHz) through SetControlFromPlug, as the
// effect does, and the main loop redraws them. Prints the paints per second
// and the CPU time as a share of one core.
//   editor_cpu_harness [seconds [loose]]   (default 20 s, strict drawing)
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "gtk_bench_editor.h"

namespace
{
double CpuSeconds()
{
  struct rusage u;
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

int sPaints = 0;
gboolean CountPaint(GSignalInvocationHint*, guint, const GValue* params, gpointer area)
{
  if (g_value_get_object(params) == area) ++sPaints;
  return TRUE;
}
} // namespace

int main(int argc, char** argv)
{
  const double seconds = argc > 1 ? atof(argv[1]) : 20.0;
  const bool strict = !(argc > 2 && !strcmp(argv[2], "loose"));
  GtkBenchEditor e(true);
  e.g->SetStrictDrawing(strict);
  if (!e.Opened())
  {
    fprintf(stderr, "no editor window (is there an X server?)\n");
    return 1;
  }
  g_signal_add_emission_hook(g_signal_lookup("draw", GTK_TYPE_WIDGET), 0, CountPaint,
                             e.View()->DrawingArea(), nullptr);
  std::atomic<bool> run{true};
  std::thread audio(
      [&]
      {
        for (int block = 0; run.load(); ++block)
        {
          for (int m = 0; m < 4; ++m)
            e.g->SetControlFromPlug(e.firstMeter + m, 0.5 + 0.5 * std::sin(block * 0.05 + m));
          std::this_thread::sleep_for(std::chrono::microseconds(11610));
        }
      });

  const double cpu0 = CpuSeconds();
  const gint64 t0 = g_get_monotonic_time(), end = t0 + (gint64)(seconds * 1e6);
  while (g_get_monotonic_time() < end) g_main_context_iteration(nullptr, TRUE);
  const double cpu = CpuSeconds() - cpu0, wall = (g_get_monotonic_time() - t0) * 1e-6;
  run = false;
  audio.join();
  printf("effect's editor (%s drawing), four meters changing: %.1f s, %.1f paints a second, CPU "
         "%.2f s = %.2f %% of one core\n",
         strict ? "strict" : "loose", wall, sPaints / wall, cpu, 100.0 * cpu / wall);
  return 0;
}
