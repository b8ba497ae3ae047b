// The host's settings step at start-up (read every key of "settings.ini",
// then write every key back) on a large file: the host's own two sections
// among many others. Prints milliseconds, the best of several runs, for a
// file that start-up leaves as it is, for one in which it changes a value,
// and for single key reads. Options: --sections N (default 80000, about
// 1 MB), --runs N (default 5).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "app_settings.h"
#include "swell-ini.h"

namespace
{
int gRuns = 5;

double BestMs(const std::function<void()>& prepare, const std::function<void()>& fn)
{
  double best = 1e300;
  for (int r = 0; r < gRuns; ++r)
  {
    prepare();
    const auto t0 = std::chrono::steady_clock::now();
    fn();
    const auto t1 = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
    if (ms < best) best = ms;
  }
  return best;
}

// The settings file as start-up writes it, with `sections` more sections
// of one key each, sorted in among the host's.
std::string BigSettings(int sections, const char* sr)
{
  std::string text;
  char line[64];
  for (int i = 0; i < sections; ++i)
  {
    if (i == sections / 2)
      text += std::string("[audio]\ndriver=0\nin1=1\nin2=2\nindev=system\niovs=512\nmonoinput=0\n"
                          "out1=1\nout2=2\noutdev=system\nsigvs=32\nsr=") +
              sr + "\n[midi]\ninchan=0\nindev=off\noutchan=0\noutdev=off\n";
    snprintf(line, sizeof line, "[b%06d]\nk=%d\n", i, i % 10);
    text += line;
  }
  return text;
}

void Write(const std::string& path, const std::string& text)
{
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}
} // namespace

int main(int argc, char** argv)
{
  int sections = 80000;
  for (int i = 1; i + 1 < argc; i += 2)
  {
    if (!strcmp(argv[i], "--sections")) sections = atoi(argv[i + 1]);
    if (!strcmp(argv[i], "--runs")) gRuns = atoi(argv[i + 1]);
  }
  char home[] = "/tmp/plenmora-ini-bench.XXXXXX";
  if (!mkdtemp(home)) return 1;
  setenv("HOME", home, 1);
  unsetenv("XDG_CONFIG_HOME");
  const std::string folder = std::string(home) + "/.config/Plenmora";
  mkdir((std::string(home) + "/.config").c_str(), 0700);
  mkdir(folder.c_str(), 0700);
  const std::string file = folder + "/settings.ini", other = folder + "/other.ini";
  Write(other, "[a]\nb=c\n");
  // Reading another file first: the process has not read settings.ini yet.
  char buf[100];
  auto readOther = [&] { GetPrivateProfileString("a", "b", "", buf, sizeof buf, other.c_str()); };

  const std::string same = BigSettings(sections, "44100"), changed = BigSettings(sections, "48k");
  printf("settings.ini of %d sections, %.2f MB; best of %d runs\n", sections + 2,
         (double)same.size() / 1e6, gRuns);
  // Written well before it is read, as a file from the last session is.
  Write(file, same);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const double unchanged = BestMs(readOther, [] { LoadSettings(); });
  printf("start-up, file left as it is:          %9.2f ms\n", unchanged);
  const double rewritten = BestMs(
      [&]
      {
        Write(file, changed);
        readOther();
      },
      [] { LoadSettings(); });
  printf("start-up, one value changed and saved: %9.2f ms\n", rewritten);

  Write(file, same);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const double firstKey =
      BestMs(readOther,
             [&] { GetPrivateProfileString("midi", "outdev", "", buf, sizeof buf, file.c_str()); });
  printf("one key, file not read before:         %9.3f ms\n", firstKey);
  const double nextKey = BestMs(
      [] {}, [&] { GetPrivateProfileString("midi", "indev", "", buf, sizeof buf, file.c_str()); });
  printf("one key, file read before:             %9.3f ms\n", nextKey);

  DeleteSettings();
  std::string cleanup = std::string("rm -rf '") + home + "'";
  return system(cleanup.c_str()) == 0 ? 0 : 1;
}
