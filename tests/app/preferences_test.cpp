// The preferences dialog of the real application, driven through its test
// hook the way a user picks items and presses buttons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_runner.h"

namespace
{
const std::string kOpen = "menu 40006";

// Rounds of the dialog in one run, each followed by a marker: how many
// times each round started the audio stream. The stored devices are gone, so
// no stream runs at launch; the first round opens filled from the JACK
// server, where choosing the first listed devices ("system") is a change.
TEST(Preferences, OkApplyAndCancelReopenTheStreamOnlyForAChangedRecord)
{
  const struct
  {
    const char* what;
    std::vector<std::string> steps;
    int starts;
  } rounds[] = {
      // IO vector size 32 under a signal vector size of 64: "32" and "16".
      {"Devices, IO vector size",
       {kOpen, "select 40009 system", "select 40010 system", "dump", "select 40012 64",
        "select 40011 32", "click 1"},
       1},
      {"OK without a change", {kOpen, "click 1"}, 0},
      // Apply always; the OK after it finds the stream matching the record.
      {"Apply, then OK", {kOpen, "click 40024", "wait 300", "click 1"}, 1},
      // The whole record differs from the running one.
      {"MIDI channels alone", {kOpen, "selectindex 40021 5", "selectindex 40020 3", "click 1"}, 1},
      {"Cancel after Mono", {kOpen, "click 40023", "select 40013 44100", "click 2"}, 1},
      {"Cancel without a change", {kOpen, "click 2"}, 0}};
  std::vector<std::string> script = {"wait 200", "menubar", "print round"};
  for (const auto& round : rounds)
  {
    script.insert(script.end(), round.steps.begin(), round.steps.end());
    script.insert(script.end(), {"wait 300", "print round"});
  }
  // About shows its box; the close button ends the application (a step
  // after it would print).
  script.insert(script.end(), {"menu 40005", "about", "endmessagebox", "stream", "close",
                               "wait 3000", "print still running"});
  AppSandbox app;
  app.WriteSettings("[audio]\nindev=gone\noutdev=gone\n[midi]\nindev=off\noutdev=off\n");
  AppResult r = app.Run(script);
  ASSERT_TRUE(r.ok) << r.err;
  // The dump once the first listed devices were chosen: the dummy server's
  // hardware client, two channels each way, one rate; whole lines end in \n.
  for (const std::string line :
       {"combo 40008 sel=0 items=JACK|PulseAudio|ALSA\n", "combo 40009 sel=0 items=system",
        "combo 40010 sel=0 items=system", "combo 40011 sel=4 ", "combo 40013 sel=0 items=44100\n",
        "combo 40015 sel=1 items=1|2\n", "combo 40018 sel=0 items=off|virtual input"})
    EXPECT_NE(std::string::npos, r.out.find("script: " + line)) << line << r.out;

  auto startsIn = [&](size_t from, size_t to)
  { return Count(r.out.substr(from, to - from), "trying to start audio stream"); };
  size_t at = r.out.find("script: round");
  EXPECT_EQ(0, startsIn(0, at)) << "at launch";
  for (const auto& round : rounds)
  {
    const size_t next = r.out.find("script: round", at + 1);
    ASSERT_NE(std::string::npos, next) << r.out;
    EXPECT_EQ(round.starts, startsIn(at, next)) << round.what;
    at = next;
  }
  EXPECT_EQ("", r.ScriptLine("still running"));
  // The application's own menu, once: the host's menu resource merged in and
  // taken out again.
  EXPECT_EQ("menubar File(Preferences...|Quit) Help(About)", r.ScriptLine("menubar")) << r.out;
  EXPECT_EQ("messagebox caption=Plenmora type=0 text=Vorlane\\nBuilt on Mar 18 2015",
            r.ScriptLine("messagebox"))
      << r.out;
  EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream"));
  // What OK saved; Cancel restored Mono.
  EXPECT_NE(std::string::npos, r.out.find("@ 44100 sr, 32 iovs, 16 sigvs")) << r.out;
  EXPECT_TRUE(app.SettingsHold({"sigvs=16", "outchan=5", "inchan=3", "monoinput=0"}))
      << ReadFile(app.SettingsFile());
}

// Started while no JACK server answers, then Preferences and Cancel: MIDI
// names that no port has (no [midi] section) are "off" in the file from
// start-up on, while ports that the user chose are kept for when the server
// is back; the dialog shows what the record holds.
TEST(Preferences, MidiNamesAfterAStartWithoutTheJackServer)
{
  EnvScope name("JACK_DEFAULT_SERVER", ("plenmora-no-server" + std::to_string(getpid())).c_str()),
      noStart("JACK_NO_START_SERVER", "1");
  const std::string kIn = "system:midi_capture_1", kOut = "system:midi_playback_1";
  const struct
  {
    std::string midi, in, out, shownIn, shownOut;
  } cases[] = {{"", "off", "off", "sel=0 items=off", "sel=0 items=off"},
               {"[midi]\nindev=" + kIn + "\noutdev=" + kOut + "\n", kIn, kOut,
                "sel=1 items=off|" + kIn, "sel=1 items=off|" + kOut}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.in);
    AppSandbox app;
    app.WriteSettings("[audio]\nindev=system\noutdev=system\n" + c.midi);
    const std::string go = app.Home() + "/go";
    app.Start({"print started", "waitfile " + go, "menu 40006", "dump", "click 2", "state",
               "menu 40007"});
    ASSERT_TRUE(app.WaitForOutput("script: started")) << app.OutputSoFar();
    EXPECT_TRUE(app.SettingsHold({"indev=" + c.in, "outdev=" + c.out}))
        << ReadFile(app.SettingsFile());
    WriteFile(go, "");
    const AppResult r = app.Wait();
    EXPECT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(app.SettingsHold({"indev=" + c.in, "outdev=" + c.out}))
        << ReadFile(app.SettingsFile());
    EXPECT_EQ("combo 40018 " + c.shownIn, r.ScriptLine("combo 40018")) << r.out;
    EXPECT_EQ("combo 40019 " + c.shownOut, r.ScriptLine("combo 40019")) << r.out;
    EXPECT_NE(std::string::npos,
              r.ScriptLine("state").find(" midiin=" + c.in + " midiout=" + c.out + " "))
        << r.out;
  }
}
} // namespace
