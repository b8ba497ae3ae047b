// Bad input and faults around the real application: odd files in place of
// "settings.ini", a NaN on the audio input, and the signals that end a
// program from outside.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <random>
#include <thread>

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <sys/stat.h>

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
const std::string kSettings = "; kept as it is\n"
                              "[audio]\n"
                              "driver=0\n"
                              "in1=1\n"
                              "in2=2\n"
                              "indev=system\n"
                              "iovs=512\n"
                              "monoinput=0\n"
                              "out1=1\n"
                              "out2=2\n"
                              "outdev=system\n"
                              "sigvs=64\n"
                              "sr=44100\n"
                              "[midi]\n"
                              "inchan=3\n"
                              "indev=off\n"
                              "outchan=0\n"
                              "outdev=off\n";

std::string WithoutMonoInput()
{
  std::string text = kSettings;
  return text.erase(text.find("monoinput=0\n"), 12);
}

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
  std::string text = kSettings, more;
  char line[96];
  for (int i = 0; i < sections; ++i)
  {
    snprintf(line, sizeof line, "[x%06d]\nk=%d\n", i, i);
    more += line;
  }
  if (keys) more += "[zlog]\n";
  for (int i = 0; i < keys; ++i)
  {
    snprintf(line, sizeof line, "entry%06d=a long line of text kept from an earlier session\n", i);
    more += line;
  }
  return text + more;
}

std::string SettingsPath(const AppSandbox& app)
{
  return app.Home() + "/.config/Plenmora/settings.ini";
}

// Start-up reads what it can, saves when the file can take it, and leaves
// what is not a regular file alone, with the message for a settings file
// that cannot be used; then Quit ends the application as usual.
TEST(BadInput, OddSettingsFilesThroughStartUp)
{
  enum Kind
  {
    kFifo,
    kFolder,
    kText
  };
  const struct
  {
    const char* what;
    Kind kind;
    std::string text, after; // written before, expected after
  } cases[] = {
      {"FIFO", kFifo, "", ""},
      {"folder", kFolder, "", ""},
      // Without "monoinput": start-up adds it, which rewrites the file.
      {"CR only", kText, WithLineEnds(WithoutMonoInput(), "\r"), kSettings},
      {"CR LF", kText, WithLineEnds(WithoutMonoInput(), "\r\n"), kSettings},
      {"huge", kText, LargeSettings(0, 70000), LargeSettings(0, 70000)},
      {"many sections", kText, LargeSettings(80000, 0), LargeSettings(80000, 0)},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.what);
    AppSandbox app;
    const std::string path = SettingsPath(app);
    app.WriteSettings(c.text);
    if (c.kind != kText)
    {
      ASSERT_EQ(0, unlink(path.c_str()));
      ASSERT_EQ(0, c.kind == kFifo ? mkfifo(path.c_str(), 0600) : mkdir(path.c_str(), 0700));
    }
    AppResult r = app.Run({"wait 200", "state", "stream", "menu 40007"}, 30);
    ASSERT_TRUE(r.exited) << r.out << r.err;
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream")) << r.out;
    const std::string state = r.ScriptLine("state");
    struct stat st;
    ASSERT_EQ(0, lstat(path.c_str(), &st));
    if (c.kind == kText)
    {
      EXPECT_NE(std::string::npos, state.find(" sigvs=64 ")) << state;
      EXPECT_NE(std::string::npos, state.find(" inchan=3 ")) << state;
      EXPECT_EQ(0, r.Count("couldn't write")) << r.out;
      EXPECT_TRUE(S_ISREG(st.st_mode));
      EXPECT_TRUE(ReadFile(path) == c.after) << ReadFile(path).substr(0, 400);
    }
    else
    {
      EXPECT_NE(std::string::npos, state.find(" sigvs=32 ")) << state;
      EXPECT_GE(r.Count("couldn't write all settings to " + path), 1) << r.out;
      EXPECT_TRUE(c.kind == kFifo ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode));
    }
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
    {
      double sum = 0.0;
      for (size_t i = b; i < b + kBlock; ++i) sum += (double)rec[i] * rec[i];
      rms.push_back(std::sqrt(sum / kBlock));
    }
    std::vector<double> sorted = rms;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    ASSERT_GT(median, 1e-3);
    for (size_t b = 0; b < rms.size(); ++b) EXPECT_GT(rms[b], 0.5 * median) << "block " << b;
  }
}

// Watches the JACK server for the application's audio stream client going
// away, and notes whether the application was still running at that moment.
class StreamCloseWatcher
{
public:
  StreamCloseWatcher()
  {
    mClient = jack_client_open("plenmora_watch", JackNoStartServer, nullptr);
    if (!mClient) return;
    jack_set_client_registration_callback(
        mClient,
        [](const char* name, int registered, void* self)
        {
          auto* w = static_cast<StreamCloseWatcher*>(self);
          if (!registered && !strcmp(name, "RtApiJack") && w->mPid > 0)
            w->mClosedWhile = Running(w->mPid) ? kRunning : kEnded;
        },
        this);
    if (jack_activate(mClient) != 0)
    {
      jack_client_close(mClient);
      mClient = nullptr;
    }
  }
  ~StreamCloseWatcher()
  {
    if (mClient) jack_client_close(mClient);
  }
  bool IsOpen() const { return mClient != nullptr; }
  void Watch(pid_t pid) { mPid = pid; }

  enum
  {
    kNotClosed,
    kRunning,
    kEnded
  };
  int ClosedWhile() const { return mClosedWhile; }

private:
  // Alive and not yet a zombie (the test, its parent, has not waited yet).
  static bool Running(pid_t pid)
  {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
  }

  jack_client_t* mClient = nullptr;
  std::atomic<pid_t> mPid{-1};
  std::atomic<int> mClosedWhile{kNotClosed};
};

// SIGTERM, as the desktop sends at logout, ends the application as Quit
// does: exit status 0, the settings as they were, and the audio stream
// closed by the application itself, not torn away when the process dies
// (which costs the other JACK clients xruns). SIGINT and SIGHUP take the
// same way in.
TEST(BadInput, SigtermQuitsInOrder)
{
  StreamCloseWatcher watcher;
  ASSERT_TRUE(watcher.IsOpen()) << "no JACK server";
  AppSandbox app;
  app.WriteSettings(kSettings);
  app.Start({"wait 200", "stream", "print started"});
  ASSERT_TRUE(app.WaitForOutput("script: started"));
  const std::string before = ReadFile(SettingsPath(app));
  watcher.Watch(app.Pid());
  ASSERT_EQ(0, kill(app.Pid(), SIGTERM));
  AppResult r = app.Wait(30);
  ASSERT_TRUE(r.exited) << r.out << r.err;
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream"));
  EXPECT_EQ(kSettings, before);
  EXPECT_EQ(before, ReadFile(SettingsPath(app)));
  EXPECT_TRUE(
      WaitUntil([&] { return watcher.ClosedWhile() != StreamCloseWatcher::kNotClosed; }, 5000));
  EXPECT_EQ(StreamCloseWatcher::kRunning, watcher.ClosedWhile());
}
} // namespace
