// The program as the audio servers come and go: a JACK server that starts
// after the program, a first start on a 48 kHz server, a first start with
// only a PulseAudio server, a first start with none, and quitting while the
// reverb plays. (A JACK server that goes away and comes back is in the
// preferences dialog test.)
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app_runner.h"
#include "jack_support.h"

namespace
{
// Connects the test client both ways to the stream of a program that chose
// the server's own devices.
bool ConnectToStream(JackTestClient& client)
{
  for (int c = 0; c < 2; ++c)
  {
    const std::string n = std::to_string(c), side = std::to_string(c + 1);
    if (!client.Connect("out_" + side, "RtApiJack:inport " + n) ||
        !client.Connect("RtApiJack:outport " + n, "in_" + side))
      return false;
  }
  return true;
}

TEST(Servers, StartedBeforeTheJackServerTheProgramPlaysOnceOkIsPressed)
{
  JackServer server("plenmora_late" + std::to_string(getpid()));
  EnvScope name("JACK_DEFAULT_SERVER", server.Name().c_str()), noStart("JACK_NO_START_SERVER", "1");
  AppSandbox app;
  app.WriteSettings("[audio]\ndriver=0\nindev=plenmora_test\noutdev=plenmora_test\n[midi]\n"
                    "indev=off\noutdev=off\n");
  const std::string go = app.Home() + "/go", done = app.Home() + "/done";
  app.Start({"menu 40006", "dump", "click 2", "print closed", "waitfile " + go, "menu 40006",
             "click 1", "wait 200", "stream", "waitfile " + done, "menu 40007"});
  ASSERT_TRUE(app.WaitForOutput("script: closed")) << app.OutputSoFar();
  EXPECT_NE(std::string::npos, app.OutputSoFar().find("No audio stream is running"));

  ASSERT_TRUE(server.Start());
  JackTestClient client(4096, Noise(4096, 4096));
  ASSERT_TRUE(client.IsOpen());
  WriteFile(go, "");
  ASSERT_TRUE(app.WaitForOutput("script: stream open=1 running=1")) << app.OutputSoFar();
  EXPECT_TRUE(client.HearsSound(10000)); // the reverb of the noise
  WriteFile(done, "");
  const AppResult r = app.Wait();
  EXPECT_TRUE(r.ok) << r.out << r.err;
  // Opened before the server ran: no devices, and MIDI says it is off.
  for (const std::string line : {"combo 40009 sel=-1 items=", "combo 40010 sel=-1 items=",
                                 "combo 40018 sel=0 items=off", "combo 40019 sel=0 items=off"})
    EXPECT_EQ(line, r.ScriptLine(line.substr(0, 12))) << r.out;
}

// A change of the MIDI output channel and OK, where "settings.ini" cannot be
// replaced (a folder took its place): the program says so.
TEST(Servers, FirstStartOnA48kHzServerPlaysAtItsRateAndOkSaysWhenSettingsCannotBeSaved)
{
  JackServer server("plenmora_48k" + std::to_string(getpid()), 48000, 256);
  ASSERT_TRUE(server.Start());
  EnvScope name("JACK_DEFAULT_SERVER", server.Name().c_str());
  JackTestClient client(4096, Noise(4096, 4096));
  ASSERT_TRUE(client.IsOpen());
  AppSandbox app;
  const std::string go = app.Home() + "/go";
  app.Start({"stream", "waitfile " + go, "menu 40006", "selectindex 40021 3", "click 1", "about",
             "endmessagebox", "menu 40007"});
  ASSERT_TRUE(app.WaitForOutput("script: stream")) << app.OutputSoFar();
  ASSERT_TRUE(ConnectToStream(client));
  EXPECT_TRUE(client.HearsSound(10000)) << app.OutputSoFar();
  EXPECT_TRUE(app.SettingsHold({"sr=48000", "driver=0"})) << ReadFile(app.SettingsFile());

  ASSERT_EQ(0, unlink(app.SettingsFile().c_str()));
  ASSERT_EQ(0, mkdir(app.SettingsFile().c_str(), 0700));
  WriteFile(go, "");
  const AppResult r = app.Wait();
  EXPECT_TRUE(r.ok) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("@ 48000 sr")) << r.out;
  EXPECT_EQ("messagebox caption=Plenmora type=0 text=Plenmora could not save its settings to " +
                app.SettingsFile() + ".",
            r.ScriptLine("messagebox"))
      << r.out;
}

TEST(Servers, FirstStartWithOnlyAPulseAudioServerTakesItAndItsDefaultDevices)
{
  TempDir dir;
  const std::string run = dir.Path() + "/run";
  mkdir(run.c_str(), 0700);
  EnvScope runtime("XDG_RUNTIME_DIR", run.c_str()),
      pulse("PULSE_RUNTIME_PATH", (run + "/pulse").c_str()), latency("PULSE_LATENCY_MSEC", "30"),
      jack("JACK_DEFAULT_SERVER", "plenmora-no-such-server"), noStart("JACK_NO_START_SERVER", "1");
  WriteFile(dir.Path() + "/pa.pa", "load-module module-null-sink sink_name=null\n"
                                   "load-module module-native-protocol-unix\n"
                                   "set-default-sink null\nset-default-source null.monitor\n");
  const pid_t pa =
      Spawn("HOME='" + dir.Path() + "' exec pulseaudio -n -F '" + dir.Path() +
            "/pa.pa' --daemonize=no --exit-idle-time=-1 2>'" + dir.Path() + "/pa.log'");
  const bool up =
      WaitUntil([] { return RunCommand("pactl info >/dev/null 2>&1 && echo up") == "up"; }, 10000);

  AppSandbox app;
  const AppResult r = app.Run({"stream", "state", "menu 40007"});
  EndProcess(pa, SIGTERM, 5000);
  ASSERT_TRUE(up) << ReadFile(dir.Path() + "/pa.log");
  EXPECT_TRUE(r.ok) << r.err;
  EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream")) << r.out;
  EXPECT_NE(std::string::npos,
            r.ScriptLine("state").find("driver=1 indev=Monitor of Null Output outdev=Null Output"))
      << r.out;
  EXPECT_TRUE(app.SettingsHold({"driver=1", "outdev=Null Output"})) << ReadFile(app.SettingsFile());
}

// A first start while no audio server answers takes ALSA, without devices:
// a guess, not a choice. Started again once the JACK server runs, the program
// chooses again and plays through JACK with no visit to the preferences; from
// then on the settings are a choice. A driver that the user chose with OK
// while the settings were such a guess is kept, though it is absent.
TEST(Servers, AFirstStartWithNoServerIsNoChoiceButTheUsersOwnChoiceIsKept)
{
  const struct
  {
    std::vector<std::string> firstRun;
    bool guess; // the first run leaves only a guess, so the second one plays
    std::string driver;
  } cases[] = {{{"menu 40007"}, true, "driver=0"},
               {{"menu 40006", "select 40008 PulseAudio", "click 1", "endmessagebox", "menu 40007"},
                false,
                "driver=1"}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.driver);
    JackServer server("plenmora_none" + std::to_string(getpid()));
    EnvScope name("JACK_DEFAULT_SERVER", server.Name().c_str()),
        noStart("JACK_NO_START_SERVER", "1"), pulse("PULSE_SERVER", "unix:/nonexistent");
    AppSandbox app;
    const AppResult first = app.Run(c.firstRun);
    EXPECT_TRUE(first.ok) << first.err;
    EXPECT_NE(std::string::npos, first.out.find("the ALSA driver finds no audio devices"))
        << first.out;
    EXPECT_EQ(c.guess, app.SettingsHold({"driver=2", "provisional=1"}))
        << ReadFile(app.SettingsFile());

    ASSERT_TRUE(server.Start());
    JackTestClient client(4096, Noise(4096, 4096));
    ASSERT_TRUE(client.IsOpen());
    const std::string go = app.Home() + "/go";
    app.Start({"stream", "state", "waitfile " + go, "menu 40007"});
    ASSERT_TRUE(app.WaitForOutput("script: state")) << app.OutputSoFar();
    EXPECT_TRUE(!c.guess || (ConnectToStream(client) && client.HearsSound(10000)))
        << app.OutputSoFar();
    WriteFile(go, "");
    const AppResult r = app.Wait();
    EXPECT_TRUE(r.ok) << r.err;
    EXPECT_EQ(c.guess ? "stream open=1 running=1" : "stream open=0 running=0",
              r.ScriptLine("stream"))
        << r.out;
    EXPECT_NE(std::string::npos, r.ScriptLine("state").find(c.driver)) << r.out;
    const std::string settings = ReadFile(app.SettingsFile());
    EXPECT_TRUE(app.SettingsHold({c.driver})) << settings;
    EXPECT_EQ(std::string::npos, settings.find("provisional")) << settings;
  }
}

// SIGTERM, as the desktop sends at logout, while the reverb plays: each time
// the program closes its JACK client itself and ends with status 0. Stopping
// the stream must not wait for a wake-up from the audio thread that may have
// come already (the thread sanitizer's build of the program shows such a wait
// at every quit).
TEST(Servers, SigtermWhileTheReverbPlaysEndsTheProgramInOrderEveryTime)
{
  // The thread sanitizer's build otherwise sleeps a second before it exits.
  const char* tsan = getenv("TSAN_OPTIONS");
  EnvScope quickExit("TSAN_OPTIONS",
                     ((tsan ? tsan + std::string(":") : "") + "atexit_sleep_ms=0").c_str());
  JackClientWatch watch("RtApiJack");
  ASSERT_TRUE(watch.IsOpen()) << "no JACK server";
  JackTestClient client(4096, Noise(4096, 4096));
  ASSERT_TRUE(client.IsOpen());
  AppSandbox app;
  app.WriteSettings("[audio]\nindev=plenmora_test\noutdev=plenmora_test\n");
  for (int round = 0; round < 20 && !HasFailure(); ++round)
  {
    SCOPED_TRACE(round);
    app.Start({"stream"});
    ASSERT_TRUE(app.WaitForOutput("script: stream open=1 running=1")) << app.OutputSoFar();
    ASSERT_TRUE(client.HearsSound(10000));
    watch.Follow(app.Pid());
    ASSERT_EQ(0, kill(app.Pid(), SIGTERM));
    EXPECT_EQ(1, watch.ClosedWhileRunning(20000));
    const AppResult r = app.Wait(20);
    EXPECT_TRUE(r.ok) << r.err;
  }
}
} // namespace
