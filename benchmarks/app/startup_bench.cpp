// Start-up of the real program under the X server: the time from exec to
// the first map of its window (median of ten starts) and the number of JACK
// clients it opens on the way, on a JACK server at 48 kHz and 256 frames and
// with no JACK server at all.
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

void Measure(const char* what, AppLaunch& launch, bool countClients)
{
  AppSandbox app;
  app.WriteSettings(JackSettings(48000, 256));
  std::vector<double> times;
  std::vector<int> clients;
  for (int i = 0; i < kRuns; ++i)
  {
    const int before = sClientsOpened;
    const double ms = launch.StartAndWaitForMap(app);
    // Anything the program opens right after its window shows counts too.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    clients.push_back(sClientsOpened - before);
    if (!launch.Close(app) || ms < 0)
    {
      fprintf(stderr, "%s: run %d failed\n", what, i);
      exit(1);
    }
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  printf("%-28s exec -> first map: median %6.1f ms (min %6.1f, max %6.1f)", what,
         (times[kRuns / 2 - 1] + times[kRuns / 2]) / 2, times.front(), times.back());
  if (countClients)
    printf(", JACK clients opened: %d", *std::max_element(clients.begin(), clients.end()));
  printf("\n");
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
