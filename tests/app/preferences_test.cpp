// The preferences dialog of the real application, driven through its test
// hook the way a user picks items and presses buttons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_runner.h"

namespace
{
const std::string kOpen = "menu 40006";

using Items = std::vector<std::string>;

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
  std::vector<std::string> script = {"wait 200", "print round"};
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
  ASSERT_TRUE(r.exited) << r.err;
  EXPECT_EQ(0, r.status);
  ASSERT_TRUE(r.Combo(40008).found) << r.out;
  EXPECT_EQ(Items({"JACK", "PulseAudio", "ALSA"}), r.Combo(40008).items);
  // The dummy server's hardware client: two channels each way, one rate.
  EXPECT_EQ(Items({"1", "2"}), r.Combo(40015).items);
  EXPECT_EQ(1, r.Combo(40015).sel);
  EXPECT_EQ(Items({"44100"}), r.Combo(40013).items);
  EXPECT_EQ(4, r.Combo(40011).sel); // 512
  for (int id : {40009, 40010})
  {
    const auto dev = r.Combo(id);
    ASSERT_GE(dev.sel, 0) << id;
    EXPECT_EQ("system", dev.items[dev.sel]) << id;
  }
  const auto midiIn = r.Combo(40018);
  ASSERT_GE(midiIn.items.size(), 2u);
  EXPECT_EQ("virtual input", midiIn.items[1]);
  EXPECT_EQ(0, midiIn.sel);

  auto startsIn = [&](size_t from, size_t to)
  {
    AppResult part;
    part.out = r.out.substr(from, to - from);
    return part.Count("trying to start audio stream");
  };
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
  EXPECT_EQ("messagebox caption=Plenmora type=0 text=Vorlane\\nBuilt on Mar 18 2015",
            r.ScriptLine("messagebox"))
      << r.out;
  EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream"));
  // What OK saved; Cancel restored Mono.
  EXPECT_NE(std::string::npos, r.out.find("@ 44100 sr, 32 iovs, 16 sigvs")) << r.out;
  EXPECT_EQ("16", app.Setting("audio", "sigvs"));
  EXPECT_EQ("5", app.Setting("midi", "outchan"));
  EXPECT_EQ("3", app.Setting("midi", "inchan"));
  EXPECT_EQ("0", app.Setting("audio", "monoinput"));
}

} // namespace
