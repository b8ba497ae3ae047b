// Start-up of the real program under the X server, with a settings file from
// an earlier start: the time from exec to the first map of its window and to
// the editor's first complete frame (median and spread of ten starts), the
// frames the window shows on the screen before that complete one and how
// long after the map the complete one is there, and
// the number of JACK clients it opens on the way, on a JACK server at 48 kHz
// and 256 frames and with no JACK server at all.
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <set>
#include <thread>
#include <vector>

#include "app_launch.h"

namespace
{
constexpr int kRuns = 10;
std::atomic<int> sClientsOpened{0};

void OnClient(const char*, int registered, void*)
{
  if (registered) ++sClientsOpened;
}

void PrintSpread(const char* what, std::vector<double> ms, const char* from = "exec")
{
  std::sort(ms.begin(), ms.end());
  const size_t n = ms.size();
  printf("  %4s -> %-12s median %6.1f ms (min %6.1f, max %6.1f)\n", from, what,
         n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2, ms.front(), ms.back());
}

void Measure(const char* what, AppLaunch& launch, bool countClients)
{
  AppSandbox app;
  app.WriteSettings(JackSettings(48000, 256));
  std::vector<double> maps, frames;
  std::vector<int> clients, earlier;
  std::vector<double> completes;
  std::set<std::vector<int>> sizes;
  for (int i = 0; i < kRuns; ++i)
  {
    const int before = sClientsOpened;
    // A script, so that the program reports its first complete frame.
    const double map = launch.StartAndWaitForMap(app, {"print started"});
    const AppLaunch::Frames shown = map < 0 ? AppLaunch::Frames() : launch.WatchFrames(app);
    const double frame = map < 0 ? -1 : launch.FirstFrame(app);
    // Anything the program opens right after its window shows counts too.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    clients.push_back(sClientsOpened - before);
    if (!launch.Close(app) || map < 0 || frame < 0)
    {
      fprintf(stderr, "%s: run %d failed\n", what, i);
      exit(1);
    }
    maps.push_back(map);
    frames.push_back(frame);
    earlier.push_back(shown.before);
    completes.push_back(shown.completeMs);
    sizes.insert(shown.sizes);
  }
  printf("%s %d starts", what, kRuns);
  if (countClients)
    printf(", JACK clients opened: %d", *std::max_element(clients.begin(), clients.end()));
  printf("\n");
  PrintSpread("first map:", maps);
  PrintSpread("first frame:", frames);
  printf("  frames shown before the complete one: %d in all, in %d of %d starts\n",
         (int)std::accumulate(earlier.begin(), earlier.end(), 0),
         (int)std::count_if(earlier.begin(), earlier.end(), [](int n) { return n != 0; }), kRuns);
  PrintSpread("complete:", completes, "map");
  for (const std::vector<int>& s : sizes)
  {
    printf("  the window's sizes on the way:");
    for (size_t i = 0; i + 1 < s.size(); i += 2) printf(" %dx%d", s[i], s[i + 1]);
    printf("\n");
  }
}
} // namespace

int main()
{
  AppLaunch launch;
  if (!launch.Ok()) return 1;
  {
    JackServer server("plenmora_startup" + std::to_string(getpid()), 48000, 256);
    if (!StartJackServer(server)) return 1;
    jack_client_t* counter = jack_client_open("plenmora_bench", JackNoStartServer, nullptr);
    if (!counter || jack_set_client_registration_callback(counter, OnClient, nullptr) != 0 ||
        jack_activate(counter) != 0)
    {
      fprintf(stderr, "cannot watch the JACK server\n");
      return 1;
    }
    Measure("JACK server, 48 kHz/256:", launch, true);
    jack_client_close(counter);
  }
  setenv("JACK_DEFAULT_SERVER", ("plenmora_none" + std::to_string(getpid())).c_str(), 1);
  setenv("JACK_NO_START_SERVER", "1", 1);
  Measure("no JACK server:", launch, false);
  return 0;
}
