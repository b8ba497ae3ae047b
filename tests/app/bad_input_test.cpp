// Bad input and faults around the real application: odd files in place of
// "settings.ini", a NaN on the audio input, and the signals that end a
// program from outside.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <thread>

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "Plenmora.h"
#include "app_audio.h"
#include "app_runner.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_test_client.h"

namespace
{
// The file as the host writes it, with a comment and two values that are not
// the defaults.
const std::string kSettings =
    "; kept as it is\n" +
    Replaced(kDefaultSettings, {"sigvs=32", "sigvs=64", "inchan=0", "inchan=3"});

std::string WithLineEnds(std::string text, const std::string& end)
{
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + end.size()))
    text.replace(at, 1, end);
  return text;
}

// kSettings with `sections` more sections of one key, or with one more
// section of `keys` long keys, sorted in as the host would write them.
std::string LargeSettings(int sections, int keys)
{
  std::string text = kSettings + (keys ? "[zlog]\n" : "");
  for (int i = 0; i < keys; ++i)
    text += "entry" + std::to_string(100000 + i) + "=a long line kept from an earlier session\n";
  for (int i = 0; i < sections; ++i)
    text += "[x" + std::to_string(100000 + i) + "]\nk=" + std::to_string(i) + "\n";
  return text;
}

// Start-up reads what it can, saves when the file can take it, and leaves
// what is not a regular file alone, with the message for a settings file
// that cannot be used; then Quit ends the application as usual.
TEST(BadInput, OddSettingsFilesThroughStartUp)
{
  // Without "monoinput": start-up adds it, which rewrites the file.
  const std::string withoutMono = Replaced(kSettings, {"monoinput=0\n", ""});
  const struct
  {
    const char* what;
    mode_t type;
    std::string text, after; // written before, expected after
  } cases[] = {
      {"FIFO", S_IFIFO, "", ""},
      {"folder", S_IFDIR, "", ""},
      {"CR only", S_IFREG, WithLineEnds(withoutMono, "\r"), kSettings},
      {"CR LF", S_IFREG, WithLineEnds(withoutMono, "\r\n"), kSettings},
      {"huge", S_IFREG, LargeSettings(0, 70000), LargeSettings(0, 70000)},
      {"many sections", S_IFREG, LargeSettings(80000, 0), LargeSettings(80000, 0)},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.what);
    AppSandbox app;
    const std::string path = app.SettingsFile();
    const bool regular = c.type == S_IFREG;
    app.WriteSettings(c.text);
    if (!regular)
    {
      ASSERT_EQ(0, unlink(path.c_str()));
      ASSERT_EQ(0, c.type == S_IFIFO ? mkfifo(path.c_str(), 0600) : mkdir(path.c_str(), 0700));
    }
    AppResult r = app.Run({"wait 200", "state", "stream", "menu 40007"}, 30);
    ASSERT_TRUE(r.exited) << r.out << r.err;
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream")) << r.out;
    // The values of a file that was read; the defaults and the message for
    // one that was not.
    const std::string state = r.ScriptLine("state");
    EXPECT_NE(std::string::npos, state.find(regular ? " sigvs=64 " : " sigvs=32 ")) << state;
    EXPECT_EQ(regular, state.find(" inchan=3 ") != std::string::npos) << state;
    EXPECT_EQ(regular ? 0 : 1, std::min(1, r.Count("couldn't write all settings to " + path)));
    EXPECT_EQ(regular, r.Count("couldn't write") == 0) << r.out;
    struct stat st;
    ASSERT_EQ(0, lstat(path.c_str(), &st));
    EXPECT_EQ(c.type, st.st_mode & S_IFMT);
    EXPECT_TRUE(!regular || ReadFile(path) == c.after) << ReadFile(path).substr(0, 400);
  }
}

// One NaN sample in a stream of noise, through JACK into the host and the
// reverb (wet only): the output stays finite, and the reverb goes on at its
// level right after the NaN instead of falling silent to build up again.
TEST(BadInput, NaNOnTheInputLeavesTheReverbRunning)
{
  constexpr unsigned int kRate = 44100;
  constexpr size_t kLoop = 6 * kRate, kNaNAt = 4 * kRate, kRecord = 2 * kRate, kBlock = 512;
  TempHome home;
  ASSERT_TRUE(LoadSettings());
  SetAppStateText(gState->mAudioInDevice, "plenmora_test");
  SetAppStateText(gState->mAudioOutDevice, "plenmora_test");
  JackTestClient client(true, kRecord);
  ASSERT_TRUE(client.IsOpen()) << "no JACK server";
  std::vector<float> sig(kLoop);
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
  for (float& s : sig) s = dist(gen);
  sig[kNaNAt] = NAN;
  client.SetSignal(0, sig);
  client.SetSignal(1, sig);
  ASSERT_TRUE(client.Activate());

  ASSERT_TRUE(StartHost(
      [](RtMidiOut* out, uint16_t* chan)
      {
        IPlugStandalone* plug = MakePlug(out, chan);
        plug->RestorePreset(30); // "Wet Only"
        return plug;
      }));
  const uint64_t startCycle = (kNaNAt - kRate / 2) / kBlock;
  ASSERT_LT(client.CyclesRun(), startCycle) << "the host took too long to start";
  while (client.CyclesRun() < startCycle) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_TRUE(client.StartRecording());
  ASSERT_TRUE(client.WaitForFrames(kRecord, 20000));
  StopHost();
  DeleteSettings();

  const size_t startPos = client.RecordStartSignalPos();
  ASSERT_LT(startPos, kNaNAt);
  ASSERT_GT(startPos + kRecord, kNaNAt + kRate); // a second of output after the NaN
  for (int ch = 0; ch < 2; ++ch)
  {
    SCOPED_TRACE(ch);
    const std::vector<float>& rec = client.Recording(ch);
    for (size_t i = 0; i < kRecord; ++i) ASSERT_TRUE(std::isfinite(rec[i])) << i;
    std::vector<double> rms;
    for (size_t b = 0; b + kBlock <= kRecord; b += kBlock)
      rms.push_back(std::sqrt(
          std::inner_product(rec.data() + b, rec.data() + b + kBlock, rec.data() + b, 0.0) /
          kBlock));
    std::vector<double> sorted = rms;
    std::nth_element(sorted.begin(), sorted.begin() + rms.size() / 2, sorted.end());
    const double median = sorted[rms.size() / 2];
    ASSERT_GT(median, 1e-3);
    for (size_t b = 0; b < rms.size(); ++b) EXPECT_GT(rms[b], 0.5 * median) << "block " << b;
  }
}

// SIGTERM, as the desktop sends at logout, ends the application as Quit
// does: exit status 0, the settings as they were, and the audio stream
// closed by the application itself, not torn away when the process dies
// (which costs the other JACK clients xruns). SIGINT and SIGHUP take the
// same way in.
TEST(BadInput, SigtermQuitsInOrder)
{
  // A JACK client of the test notes whether the application was still
  // running (not yet a zombie) when its stream's client went away.
  static std::atomic<pid_t> pid{-1};
  static std::atomic<int> closedWhileRunning{-1};
  std::unique_ptr<jack_client_t, int (*)(jack_client_t*)> watcher(
      jack_client_open("plenmora_watch", JackNoStartServer, nullptr), jack_client_close);
  ASSERT_TRUE(watcher) << "no JACK server";
  jack_set_client_registration_callback(
      watcher.get(),
      [](const char* name, int registered, void*)
      {
        siginfo_t info = {};
        if (!registered && !strcmp(name, "RtApiJack") && pid > 0)
          closedWhileRunning =
              waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
      },
      nullptr);
  ASSERT_EQ(0, jack_activate(watcher.get()));

  AppSandbox app;
  app.WriteSettings(kSettings);
  app.Start({"wait 200", "stream", "print started"});
  ASSERT_TRUE(app.WaitForOutput("script: started"));
  pid = app.Pid();
  ASSERT_EQ(0, kill(app.Pid(), SIGTERM));
  AppResult r = app.Wait(30);
  ASSERT_TRUE(r.exited) << r.out << r.err;
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream"));
  EXPECT_EQ(kSettings, ReadFile(app.SettingsFile()));
  EXPECT_TRUE(WaitUntil([&] { return closedWhileRunning != -1; }, 5000));
  EXPECT_EQ(1, closedWhileRunning);
}
} // namespace
