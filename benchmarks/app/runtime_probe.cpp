// The running program's cost on a JACK server at 48 kHz and 256 frames, with
// both MIDI ports off and with the virtual MIDI input on: the threads of the
// process woken on every period, the process's CPU time over 20 s (percent of
// one core), the server's DSP load, and the memory the process holds outside
// JACK's shared segment.
#include <dirent.h>
#include <jack/jack.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "app_launch.h"

namespace
{
constexpr int kRate = 48000, kPeriod = 256;
constexpr int kSeconds = 20;

struct ThreadSample
{
  std::string name;
  long switches = 0;
};

// Context switches of every thread of the process, by thread id.
std::map<int, ThreadSample> Threads(pid_t pid)
{
  std::map<int, ThreadSample> threads;
  const std::string dir = "/proc/" + std::to_string(pid) + "/task";
  DIR* d = opendir(dir.c_str());
  while (d)
  {
    dirent* e = readdir(d);
    if (!e) break;
    if (e->d_name[0] == '.') continue;
    std::ifstream status(dir + "/" + e->d_name + "/status");
    ThreadSample t;
    std::string key;
    while (status >> key)
    {
      if (key == "Name:")
        status >> t.name;
      else if (key == "voluntary_ctxt_switches:" || key == "nonvoluntary_ctxt_switches:")
      {
        long n = 0;
        status >> n;
        t.switches += n;
      }
      status.ignore(1 << 20, '\n');
    }
    threads[atoi(e->d_name)] = t;
  }
  if (d) closedir(d);
  return threads;
}

// Resident kB of every mapping but JACK's shared segments in /dev/shm.
long ResidentOutsideJackKb(pid_t pid)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
  std::string line;
  bool jack = false;
  long kb = 0;
  while (std::getline(in, line))
  {
    if (!line.empty() && isxdigit((unsigned char)line[0]) && line.find('-') < 17)
      jack = line.find("/dev/shm/jack") != std::string::npos;
    else if (!jack && line.rfind("Rss:", 0) == 0)
      kb += atol(line.c_str() + 4);
  }
  return kb;
}

// Mean DSP load over seconds, sampled every 100 ms.
double MeanDspLoad(jack_client_t* client, int seconds)
{
  double sum = 0;
  const int n = seconds * 10;
  for (int i = 0; i < n; ++i)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    sum += jack_cpu_load(client);
  }
  return sum / n;
}

bool Probe(const char* what, const char* midiIn, AppLaunch& launch, jack_client_t* client)
{
  AppSandbox app;
  app.WriteSettings(JackSettings(kRate, kPeriod, "system", midiIn));
  if (launch.StartAndWaitForMap(app) < 0 || !app.WaitForOutput("trying to start audio stream"))
  {
    fprintf(stderr, "%s: the program did not come up\n%s\n", what, app.OutputSoFar().c_str());
    return false;
  }
  const pid_t pid = app.Pid();
  // Past the start and the fade-in.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const std::map<int, ThreadSample> before = Threads(pid);
  const long ticks0 = CpuTicks(pid);
  const auto t0 = std::chrono::steady_clock::now();
  const double load = MeanDspLoad(client, kSeconds);
  const long ticks1 = CpuTicks(pid);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const std::map<int, ThreadSample> after = Threads(pid);
  const long memKb = ResidentOutsideJackKb(pid);
  const bool closed = launch.Close(app);

  const double periods = seconds * kRate / kPeriod;
  int woken = 0;
  std::string names;
  for (const auto& [tid, t] : after)
  {
    const auto b = before.find(tid);
    const double perPeriod = (t.switches - (b == before.end() ? 0 : b->second.switches)) / periods;
    if (perPeriod < 0.8) continue;
    ++woken;
    char buf[64];
    snprintf(buf, sizeof(buf), " %s (%.2f)", t.name.c_str(), perPeriod);
    names += buf;
  }
  printf("%-22s threads woken per period: %d [%s ], CPU %.2f %% of one core, JACK DSP load "
         "%.2f %%, memory outside JACK's segment %.1f MB\n",
         what, woken, names.c_str(), 100.0 * (ticks1 - ticks0) / sysconf(_SC_CLK_TCK) / seconds,
         load, memKb / 1024.0);
  return closed;
}
} // namespace

int main()
{
  AppLaunch launch;
  if (!launch.Ok()) return 1;
  JackServer server("plenmora_probe" + std::to_string(getpid()), kRate, kPeriod);
  if (!StartJackServer(server)) return 1;
  jack_client_t* client = jack_client_open("plenmora_probe", JackNoStartServer, nullptr);
  if (!client || jack_activate(client) != 0) return 1;
  printf("%-22s JACK DSP load %.2f %%\n", "server alone:", MeanDspLoad(client, 5));
  const bool ok = Probe("MIDI off:", "off", launch, client) &&
                  Probe("virtual MIDI input on:", "virtual input", launch, client);
  jack_client_close(client);
  return ok ? 0 : 1;
}
