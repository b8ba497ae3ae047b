// Start-up of the real program under the X server, with a settings file from
// an earlier start: the time from exec to the first map of its window and to
// the editor's first complete frame (median and spread of ten starts), and
// the number of JACK clients it opens on the way, on a JACK server at 48 kHz
// and 256 frames and with no JACK server at all.
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

void PrintSpread(const char* what, std::vector<double> ms)
{
  std::sort(ms.begin(), ms.end());
  const size_t n = ms.size();
  printf("  exec -> %-12s median %6.1f ms (min %6.1f, max %6.1f)\n", what,
         n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2, ms.front(), ms.back());
}

void Measure(const char* what, AppLaunch& launch, bool countClients)
{
  AppSandbox app;
  app.WriteSettings(JackSettings(48000, 256));
  std::vector<double> maps, frames;
  std::vector<int> clients;
  for (int i = 0; i < kRuns; ++i)
  {
    const int before = sClientsOpened;
    // A script, so that the program reports its first complete frame.
    const double map = launch.StartAndWaitForMap(app, {"print started"});
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
  }
  printf("%s %d starts", what, kRuns);
  if (countClients)
    printf(", JACK clients opened: %d", *std::max_element(clients.begin(), clients.end()));
  printf("\n");
  PrintSpread("first map:", maps);
  PrintSpread("first frame:", frames);
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
