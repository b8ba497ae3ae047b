// The real program with its editor on the X server and a JACK server at
// 48 kHz and 256 frames: the time from exec to the editor's first paint
// (median of five starts), and, while noise bursts into its input keep the
// four level meters moving, its CPU over 20 s (percent of one core) and its
// peak memory: VmHWM (which counts JACK's shared segment and every mapped
// library) and the peaks of RssAnon and of its private pages, sampled every
// 100 ms.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app_launch.h"

namespace
{
constexpr int kRate = 48000, kPeriod = 256;
constexpr int kSeconds = 20, kStarts = 5;

// The kB figure after key in a /proc file of the process; 0 when missing.
long ProcKb(pid_t pid, const char* file, const std::string& key)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key, 0) == 0) return atol(line.c_str() + key.size());
  return 0;
}

// Exec to the first paint of the editor, in milliseconds; negative on failure.
double FirstPaint(AppLaunch& launch)
{
  AppSandbox app;
  app.WriteSettings(JackSettings(kRate, kPeriod, "plenmora_test"));
  launch.StartAndWaitForMap(app, {"wait 1000", "menu 40007"});
  const double ms = launch.FirstFrame(app);
  if (ms < 0) fprintf(stderr, "%s\n", app.OutputSoFar().c_str());
  return app.Wait(20).ok ? ms : -1;
}
} // namespace

int main()
{
  AppLaunch launch;
  if (!launch.Ok()) return 1;
  JackServer server("plenmora_editor" + std::to_string(getpid()), kRate, kPeriod);
  if (!StartJackServer(server)) return 1;
  // Half a second of noise, half a second of silence: the meters rise and fall.
  JackTestClient client(0, Noise(kRate / 2, kRate));
  if (!client.IsOpen()) return 1;

  std::vector<double> paints;
  for (int i = 0; i < kStarts; ++i)
  {
    const double ms = FirstPaint(launch);
    if (ms < 0)
    {
      fprintf(stderr, "the editor did not paint\n");
      return 1;
    }
    paints.push_back(ms);
  }
  std::sort(paints.begin(), paints.end());
  printf("exec -> editor's first paint: median %.1f ms (min %.1f, max %.1f)\n", paints[kStarts / 2],
         paints.front(), paints.back());

  AppSandbox app;
  app.WriteSettings(JackSettings(kRate, kPeriod, "plenmora_test"));
  if (launch.StartAndWaitForMap(app) < 0 || !app.WaitForOutput("trying to start audio stream"))
  {
    fprintf(stderr, "the program did not come up\n%s\n", app.OutputSoFar().c_str());
    return 1;
  }
  const pid_t pid = app.Pid();
  // Past the start and the fade-in.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  long anonPeak = 0, privatePeak = 0;
  const long ticks0 = CpuTicks(pid);
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < kSeconds * 10; ++i)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    anonPeak = std::max(anonPeak, ProcKb(pid, "status", "RssAnon:"));
    privatePeak = std::max(privatePeak, ProcKb(pid, "smaps_rollup", "Private_Clean:") +
                                            ProcKb(pid, "smaps_rollup", "Private_Dirty:"));
  }
  const long ticks1 = CpuTicks(pid);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const long hwm = ProcKb(pid, "status", "VmHWM:");
  if (!launch.Close(app)) return 1;
  printf("meters moving, %d s: CPU %.2f %% of one core; peak RssAnon %.1f MB, peak private %.1f "
         "MB, VmHWM %.1f MB\n",
         kSeconds, 100.0 * (ticks1 - ticks0) / sysconf(_SC_CLK_TCK) / seconds, anonPeak / 1024.0,
         privatePeak / 1024.0, hwm / 1024.0);
  return 0;
}
