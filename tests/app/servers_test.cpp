// The program as the audio servers come and go: a JACK server that starts
// after the program, a first start on a 48 kHz server, a first start with
// only a PulseAudio server, and a JACK server that goes away and comes back.
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <memory>

#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_main.h"
#include "app_runner.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_server.h"
#include "jack_test_client.h"

extern char** environ;

namespace
{
// A client of the test that plays noise into the program's stream and
// records what it plays back: RtAudio's ports when the stream's devices are
// the server's own, or its own ports when the program chose the client as
// its devices.
std::unique_ptr<JackTestClient> Listener(size_t frames)
{
  auto client = std::make_unique<JackTestClient>(true, frames);
  if (!client->IsOpen()) return nullptr;
  std::vector<float> noise(4096);
  for (size_t i = 0; i < noise.size(); ++i)
    noise[i] = 0.5f * std::sin(0.37f * (float)(i * i % 977));
  client->SetSignal(0, noise);
  client->SetSignal(1, noise);
  return client->Activate() ? std::move(client) : nullptr;
}

// Whether, past the silent start and the fade, sound comes back on both
// sides within frames.
bool PlaysBack(JackTestClient& client, size_t frames)
{
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  if (!client.StartRecording() || !client.WaitForFrames(frames, 10000)) return false;
  auto loud = [](float v) { return std::fabs(v) > 0.01f; };
  return std::any_of(client.Recording(0).begin(), client.Recording(0).end(), loud) &&
         std::any_of(client.Recording(1).begin(), client.Recording(1).end(), loud);
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
  std::unique_ptr<JackTestClient> client = Listener(44100);
  ASSERT_TRUE(client);
  WriteFile(go, "");
  ASSERT_TRUE(app.WaitForOutput("script: stream open=1 running=1")) << app.OutputSoFar();
  EXPECT_TRUE(PlaysBack(*client, 44100)); // the reverb of the noise
  WriteFile(done, "");
  const AppResult r = app.Wait();
  EXPECT_TRUE(r.exited && r.status == 0) << r.out << r.err;
  // Opened before the server ran: no devices, and MIDI says it is off.
  ASSERT_TRUE(r.Combo(40009).found) << r.out;
  for (int id : {40009, 40010}) EXPECT_TRUE(r.Combo(id).items.empty()) << id;
  for (int id : {40018, 40019}) EXPECT_EQ(std::vector<std::string>{"off"}, r.Combo(id).items);
}

// Makes a folder read-only even for root (a read-only bind mount in the
// tests' own mount namespace), and writable again.
void SetReadOnly(const std::string& folder, bool readOnly)
{
  if (geteuid() != 0)
  {
    chmod(folder.c_str(), readOnly ? 0500 : 0700);
    return;
  }
  if (!readOnly)
  {
    umount(folder.c_str());
    return;
  }
  ASSERT_EQ(0, mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr));
  ASSERT_EQ(0, mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr));
}

TEST(Servers, FirstStartOnA48kHzServerPlaysAtItsRateAndOkSaysWhenSettingsCannotBeSaved)
{
  JackServer server("plenmora_48k" + std::to_string(getpid()), 48000, 256);
  ASSERT_TRUE(server.Start());
  EnvScope name("JACK_DEFAULT_SERVER", server.Name().c_str());
  std::unique_ptr<JackTestClient> client = Listener(48000);
  ASSERT_TRUE(client);
  AppSandbox app;
  const std::string go = app.Home() + "/go";
  // A change of the MIDI output channel and OK: the settings are written.
  app.Start({"stream", "waitfile " + go, "menu 40006", "selectindex 40021 3", "click 1", "about",
             "endmessagebox", "menu 40007"});
  ASSERT_TRUE(app.WaitForOutput("script: stream")) << app.OutputSoFar();
  for (int c = 0; c < 2; ++c)
  {
    const std::string n = std::to_string(c), side = std::to_string(c + 1);
    ASSERT_TRUE(
        client->Connect(client->PortName(("out_" + side).c_str()), "RtApiJack:inport " + n));
    ASSERT_TRUE(
        client->Connect("RtApiJack:outport " + n, client->PortName(("in_" + side).c_str())));
  }
  EXPECT_TRUE(PlaysBack(*client, 48000)) << app.OutputSoFar();
  EXPECT_EQ("48000", app.Setting("audio", "sr"));
  EXPECT_EQ("0", app.Setting("audio", "driver"));

  const std::string folder = app.Home() + "/.config/Plenmora";
  ASSERT_NO_FATAL_FAILURE(SetReadOnly(folder, true));
  WriteFile(go, "");
  const AppResult r = app.Wait();
  SetReadOnly(folder, false);
  EXPECT_TRUE(r.exited && r.status == 0) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("@ 48000 sr")) << r.out;
  EXPECT_EQ("messagebox caption=Plenmora type=0 text=Plenmora could not save its settings to " +
                folder + "/settings.ini.",
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
  const std::string command = "HOME='" + dir.Path() + "' exec pulseaudio -n -F '" + dir.Path() +
                              "/pa.pa' --daemonize=no --exit-idle-time=-1 2>'" + dir.Path() +
                              "/pa.log'";
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  pid_t pa = -1;
  ASSERT_EQ(0, posix_spawnp(&pa, "sh", nullptr, nullptr, const_cast<char**>(argv), environ));
  const bool up =
      WaitUntil([] { return RunCommand("pactl info >/dev/null 2>&1 && echo up") == "up"; }, 10000);

  AppSandbox app;
  const AppResult r = app.Run({"stream", "state", "menu 40007"});
  kill(pa, SIGTERM);
  waitpid(pa, nullptr, 0);
  ASSERT_TRUE(up) << ReadFile(dir.Path() + "/pa.log");
  EXPECT_TRUE(r.exited && r.status == 0) << r.err;
  EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream")) << r.out;
  EXPECT_NE(std::string::npos,
            r.ScriptLine("state").find("driver=1 indev=Monitor of Null Output outdev=Null Output"))
      << r.out;
  EXPECT_EQ("1", app.Setting("audio", "driver"));
  EXPECT_EQ("Null Output", app.Setting("audio", "outdev"));
}

// In this process, with a plug-in that passes MIDI through: the JACK server
// goes away under the running stream and comes back; OK in the preferences
// dialog, without a change, brings back the stream (none runs) and both
// virtual MIDI ports, and a note sent in comes out.
TEST(Servers, AfterTheJackServerCameBackOkBringsAudioAndMidiBack)
{
  JackServer server("plenmora_restart" + std::to_string(getpid()));
  ASSERT_TRUE(server.Start());
  EnvScope name("JACK_DEFAULT_SERVER", server.Name().c_str());
  TempHome home;
  ASSERT_TRUE(LoadSettings());
  SetAppStateText(gState->mMidiInDevice, "virtual input");
  SetAppStateText(gState->mMidiOutDevice, "virtual output");
  ASSERT_TRUE(
      StartHost([](RtMidiOut* out, uint16_t* chan) { return new TestPlug(out, chan, true); }));
  HWND dlg = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, IDD_DIALOG_PREF, nullptr,
                                PreferencesDlgProc, 0);
  ASSERT_NE(nullptr, dlg);

  ASSERT_TRUE(server.Stop());
  EXPECT_TRUE(WaitUntil([] { return !gDAC->isStreamOpen(); }, 5000));
  ASSERT_TRUE(server.Start());
  SWELL_SimulateUserClick(GetDlgItem(dlg, IDOK));
  EXPECT_TRUE(gDAC->isStreamRunning());

  JackTestClient client(false);
  ASSERT_TRUE(client.IsOpen() && client.Activate());
  ASSERT_TRUE(client.Connect(client.PortName("midi_out"), "RtMidi Input Client:To Plenmora"));
  ASSERT_TRUE(client.Connect("RtMidi Output Client:From Plenmora", client.PortName("midi_in")));
  ASSERT_TRUE(client.SendMidi({0x90, 0x40, 0x7f}));
  ASSERT_TRUE(client.WaitForMidi(1, 5000));
  EXPECT_EQ((std::vector<std::vector<uint8_t>>{{0x90, 0x40, 0x7f}}), client.TakeMidi());

  DestroyWindow(dlg);
  StopHost();
  DeleteSettings();
}
} // namespace
