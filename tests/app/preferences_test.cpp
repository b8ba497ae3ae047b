// The preferences dialog of the real application, driven through its test
// hook the way a user picks items and presses buttons.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app_runner.h"
#include "jack_test_client.h"

namespace
{
const std::string kOpen = "menu 40006";
const char* kStreamStart = "trying to start audio stream";

std::vector<std::string> Items(std::initializer_list<const char*> items)
{
  return std::vector<std::string>(items.begin(), items.end());
}

TEST(Preferences, OpensFilledFromJackWithSavedValuesSelected)
{
  AppSandbox app;
  AppResult r = app.Run({"wait 200", kOpen, "dump", "click 2", "menu 40007"});
  ASSERT_TRUE(r.exited) << r.err;
  EXPECT_EQ(0, r.status);
  ASSERT_TRUE(r.Combo(40008).found) << r.out;

  const struct
  {
    int id;
    std::vector<std::string> items;
    int sel;
  } combos[] = {
      {40008, Items({"JACK", "PulseAudio", "ALSA"}), 0},
      // The dummy server's hardware client has two channels each way.
      {40014, Items({"1"}), 0},
      {40015, Items({"1", "2"}), 1},
      {40017, Items({"1"}), 0},
      {40016, Items({"1", "2"}), 1},
      {40011, Items({"32", "64", "128", "256", "512", "1024", "2048", "4096", "8192"}), 4},
      {40012, Items({"16", "32", "64", "128", "256", "512", "1024"}), 1},
      // Both devices run at the server's one rate.
      {40013, Items({"44100"}), 0},
      {40020,
       Items({"all", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14",
              "15", "16"}),
       0}};
  for (const auto& c : combos)
  {
    EXPECT_EQ(c.items, r.Combo(c.id).items) << c.id;
    EXPECT_EQ(c.sel, r.Combo(c.id).sel) << c.id;
  }
  for (int id : {40009, 40010})
  {
    const auto dev = r.Combo(id);
    ASSERT_GE(dev.sel, 0) << id;
    EXPECT_EQ("system", dev.items[dev.sel]) << id;
  }
  const auto midiIn = r.Combo(40018), midiOut = r.Combo(40019);
  ASSERT_GE(midiIn.items.size(), 2u);
  ASSERT_GE(midiOut.items.size(), 2u);
  EXPECT_EQ("off", midiIn.items[0]);
  EXPECT_EQ("virtual input", midiIn.items[1]);
  EXPECT_EQ("virtual output", midiOut.items[1]);
  EXPECT_EQ(0, midiIn.sel);
  EXPECT_NE(std::string::npos, r.out.find("check 40023 0"));
}

// Rounds of the dialog in one run, each followed by a marker: how many
// times each round started the audio stream.
TEST(Preferences, OkApplyAndCancelReopenTheStreamOnlyForAChangedRecord)
{
  const struct
  {
    const char* what;
    std::vector<std::string> steps;
    int starts;
  } rounds[] = {
      // IO vector size 32 under a signal vector size of 64: "32" and "16",
      // and the signal vector size combo without a selection.
      {"IO vector size",
       {kOpen, "select 40012 64", "select 40011 32", "dump", "state", "click 1"},
       1},
      {"OK without a change", {kOpen, "click 1"}, 0},
      // Apply always; the OK after it finds the stream matching the record.
      {"Apply, then OK", {kOpen, "click 40024", "wait 300", "click 1"}, 1},
      // The whole record differs from the running one.
      {"MIDI channels alone", {kOpen, "selectindex 40021 5", "selectindex 40020 3", "click 1"}, 1},
      {"Cancel after Mono", {kOpen, "click 40023", "state", "select 40013 44100", "click 2"}, 1},
      {"Cancel without a change", {kOpen, "click 2"}, 0}};
  std::vector<std::string> script = {"wait 200", "print round"};
  for (const auto& round : rounds)
  {
    script.insert(script.end(), round.steps.begin(), round.steps.end());
    script.insert(script.end(), {"wait 300", "print round"});
  }
  script.insert(script.end(), {"state", "menu 40007"});
  AppSandbox app;
  AppResult r = app.Run(script);
  ASSERT_TRUE(r.exited) << r.err;
  EXPECT_EQ(0, r.status);

  auto startsIn = [&](size_t from, size_t to)
  {
    AppResult part;
    part.out = r.out.substr(from, to - from);
    return part.Count(kStreamStart);
  };
  size_t at = r.out.find("script: round");
  EXPECT_EQ(1, startsIn(0, at)) << "at launch";
  for (const auto& round : rounds)
  {
    const size_t next = r.out.find("script: round", at + 1);
    ASSERT_NE(std::string::npos, next) << r.out;
    EXPECT_EQ(round.starts, startsIn(at, next)) << round.what;
    at = next;
  }
  EXPECT_NE(std::string::npos, r.out.find("@ 44100 sr, 32 iovs, 16 sigvs")) << r.out;
  EXPECT_EQ("32", r.State("iovs", 0));
  EXPECT_EQ("16", r.State("sigvs", 0));
  EXPECT_EQ(-1, r.Combo(40012).sel);
  EXPECT_EQ(0, r.Combo(40011).sel);
  EXPECT_EQ("1", r.State("mono", 1));
  EXPECT_EQ("0", r.State("mono", 2)); // Cancel restored it
  EXPECT_EQ("5", r.State("outchan", 2));
  EXPECT_EQ("3", r.State("inchan", 2));
  EXPECT_EQ("16", app.Setting("audio", "sigvs"));
  EXPECT_EQ("5", app.Setting("midi", "outchan"));
  EXPECT_EQ("3", app.Setting("midi", "inchan"));
  EXPECT_EQ("0", app.Setting("audio", "monoinput"));
}

TEST(Preferences, MidiPortChoiceActsAtOnceAndCancelTakesItBack)
{
  AppSandbox app;
  app.Start({"wait 200", kOpen, "select 40018 virtual input", "wait 300", "print chosen",
             "wait 2500", "click 2", "wait 300", "print cancelled", "wait 2500", "state",
             "menu 40007"});
  // JACK's ports while the script waits after each step.
  std::string ports;
  auto portIs = [&](bool there)
  {
    return WaitUntil(
        [&]
        {
          ports = RunCommand("jack_lsp 2>/dev/null");
          return (ports.find("To Plenmora") != std::string::npos) == there;
        },
        2000);
  };
  EXPECT_TRUE(app.WaitForOutput("script: chosen") && portIs(true)) << ports;
  EXPECT_TRUE(app.WaitForOutput("script: cancelled") && portIs(false)) << ports;
  AppResult r = app.Wait();
  ASSERT_TRUE(r.exited) << r.err;
  EXPECT_EQ("off", r.State("midiin"));
  EXPECT_EQ("off", app.Setting("midi", "indev"));
}

// A device with more channels than the dummy server's hardware client.
std::unique_ptr<JackTestClient> FourChannelDevice()
{
  JackTestClient::Options options;
  options.name = "quad";
  options.audioIns = options.audioOuts = 4;
  options.midiOuts = 0;
  options.midiIn = false;
  auto quad = std::make_unique<JackTestClient>(options);
  return quad->Activate() ? std::move(quad) : nullptr;
}

TEST(Preferences, ChannelChoicesDragTheSecondChannelAlong)
{
  const auto quad = FourChannelDevice();
  ASSERT_TRUE(quad);
  AppSandbox app;
  AppResult r =
      app.Run({"wait 200", kOpen, "select 40009 quad", "select 40010 quad", "dump",
               "selectindex 40014 2", "selectindex 40017 1", "dump", "state", "selectindex 40015 0",
               "selectindex 40016 0", "dump", "state", "click 1", "wait 300", "menu 40007"});
  ASSERT_TRUE(r.exited) << r.err;
  EXPECT_EQ(0, r.status);
  // After the device change: channels 1 and 2, lists for four channels.
  EXPECT_EQ(Items({"1", "2", "3"}), r.Combo(40014, 0).items) << r.out;
  EXPECT_EQ(Items({"1", "2", "3", "4"}), r.Combo(40015, 0).items);
  EXPECT_EQ(0, r.Combo(40014, 0).sel);
  EXPECT_EQ(1, r.Combo(40015, 0).sel);
  // In 1 item 3 (channel 3): in2 follows to 4.
  EXPECT_EQ("3", r.State("in1", 0));
  EXPECT_EQ("4", r.State("in2", 0));
  EXPECT_EQ(3, r.Combo(40015, 1).sel);
  EXPECT_EQ("2", r.State("out1", 0));
  EXPECT_EQ("3", r.State("out2", 0));
  EXPECT_EQ(2, r.Combo(40016, 1).sel);
  // Picking the second channel snaps back to first + 1.
  EXPECT_EQ(3, r.Combo(40015, 2).sel);
  EXPECT_EQ(2, r.Combo(40016, 2).sel);
  EXPECT_EQ("4", r.State("in2", 1));
  // OK opened the stream on the new device and channels, and saved them.
  EXPECT_NE(std::string::npos, r.out.find(":quad\noutdev = ")) << r.out;
  EXPECT_EQ("quad", app.Setting("audio", "indev"));
  EXPECT_EQ("3", app.Setting("audio", "in1"));
  EXPECT_EQ("2", app.Setting("audio", "out1"));
}

TEST(Preferences, DriverChangesRefillTheListsAndCancelRestores)
{
  const auto quad = FourChannelDevice();
  ASSERT_TRUE(quad);
  AppSandbox app;
  app.WriteSettings("[audio]\nindev=quad\noutdev=quad\nin1=3\nin2=4\nout1=2\nout2=3\n");
  AppResult r = app.Run({"wait 200", kOpen, "state", "select 40008 ALSA", "dump", "state",
                         "select 40008 JACK", "dump", "state", "click 2", "wait 500", "state",
                         "stream", "menu 40007"});
  ASSERT_TRUE(r.exited) << r.err;
  EXPECT_EQ(0, r.status);
  ASSERT_EQ("quad", r.State("indev", 0)) << r.out;
  ASSERT_EQ("3", r.State("in1", 0));

  // ALSA finds no card on these machines: empty device lists, the stored
  // devices kept. Neither refill appends the vector sizes a second time.
  if (r.Combo(40009, 0).items.empty())
  {
    for (int id : {40010, 40014, 40016, 40013}) EXPECT_TRUE(r.Combo(id, 0).items.empty()) << id;
    EXPECT_EQ("2", r.State("driver", 1));
    EXPECT_EQ("quad", r.State("indev", 1));
  }
  for (int dump : {0, 1})
  {
    EXPECT_EQ(9u, r.Combo(40011, dump).items.size());
    EXPECT_EQ(7u, r.Combo(40012, dump).items.size());
  }

  // Back on JACK: the first device of each list, channels 1 and 2 on both
  // sides (channel 3 need not exist on that device).
  const auto in = r.Combo(40009, 1);
  ASSERT_FALSE(in.items.empty()) << r.out;
  EXPECT_EQ(0, in.sel);
  EXPECT_EQ(in.items[0], r.State("indev", 2));
  for (const char* key : {"in1", "out1"}) EXPECT_EQ("1", r.State(key, 2)) << key;
  for (const char* key : {"in2", "out2"}) EXPECT_EQ("2", r.State(key, 2)) << key;
  EXPECT_EQ(0, r.Combo(40014, 1).sel);
  EXPECT_EQ(1, r.Combo(40015, 1).sel);

  // Cancel: the stored driver, devices and channels, and a new stream.
  EXPECT_EQ("0", r.State("driver", 3));
  EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream"));
  EXPECT_EQ(2, r.Count(kStreamStart)) << r.out;
  EXPECT_EQ("quad", app.Setting("audio", "indev"));
  EXPECT_EQ("3", app.Setting("audio", "in1"));
  EXPECT_EQ("0", app.Setting("audio", "driver"));
}

// "Audio Midi Setup..." starts the first set-up tool found on the PATH and
// goes on without waiting for it, or says that there is none.
TEST(Preferences, AudioMidiSetupStartsTheFirstInstalledTool)
{
  for (const bool installed : {true, false})
  {
    SCOPED_TRACE(installed ? "installed" : "none");
    AppSandbox app;
    const std::string bin = app.Home() + "/bin", marker = app.Home() + "/started";
    // Stand-ins for the tools: they note who they are and their process id,
    // then stay up for a while. qpwgraph, the first choice, is not there.
    for (const char* tool : {"qjackctl", "pavucontrol"})
    {
      if (!installed) break;
      WriteFile(bin + "/" + tool, "#!/bin/sh\necho \"$0 $$\" > '" + marker + "'\nexec sleep 20\n");
      std::filesystem::permissions(bin + "/" + tool, std::filesystem::perms::owner_all);
    }
    app.SetEnv("PATH", bin);
    AppResult r = app.Run({"wait 200", kOpen, "click 40022", "wait 500", "state", "click 1",
                           "wait 200", "menu 40007"},
                          15);
    const std::string started = ReadFile(marker);
    const size_t blank = started.find(' ');
    if (blank != std::string::npos) kill(atoi(started.c_str() + blank + 1), SIGTERM);
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("system", r.State("indev"));
    EXPECT_EQ(installed ? bin + "/qjackctl" : "", started.substr(0, blank)) << started;
    EXPECT_EQ(!installed,
              r.out.find("no audio and MIDI set-up application found") != std::string::npos)
        << r.out;
  }
}
} // namespace
