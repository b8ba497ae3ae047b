// Start-up and shut-down of the real application under X and JACK.
#include <gtest/gtest.h>

#include "app_runner.h"

namespace
{
const char* kStreamLine = "trying to start audio stream @ 44100 sr, 512 iovs, 32 sigvs";

// A second on, the effect has processed audio; About shows its box; the
// close button ends the application (a script step after it would print).
TEST(AppStartup, FirstRunOpensJackStreamShowsWindowAndAboutAndEndsByClosing)
{
  AppSandbox app;
  AppResult r = app.Run({"wait 1000", "window", "stream", "menu 40005", "about", "endmessagebox",
                         "close", "wait 3000", "print still running"});
  ASSERT_TRUE(r.exited) << r.out << r.err;
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("", r.ScriptLine("still running"));
  EXPECT_EQ("messagebox caption=Plenmora type=0 text=Vorlane\\nBuilt on Mar 18 2015",
            r.ScriptLine("messagebox"))
      << r.out;

  // The stream start line with the JACK hardware client as both devices.
  EXPECT_EQ(1, r.Count(kStreamLine)) << r.out;
  EXPECT_NE(std::string::npos, r.out.find(":system\noutdev = ")) << r.out;
  EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream")) << r.out;
  // No editor yet: the window is there, empty, at the editor's size.
  EXPECT_EQ(2, r.Count("couldn't attach gui")) << r.out;
  EXPECT_EQ("window title=Plenmora visible=1 client=620x580 menu=1", r.ScriptLine("window"));

  // The settings file was made with every key.
  EXPECT_EQ("system", app.Setting("audio", "outdev"));
  EXPECT_EQ("0", app.Setting("midi", "outchan"));
}

// Devices that are gone: the window comes up, silent, the stored names are
// kept for a later start, and the preferences offer every listed device, the
// first one included, with no selection in the device combos.
TEST(AppStartup, MissingDevicesLeaveItSilentUntilChosenInThePreferences)
{
  AppSandbox app;
  // No [midi] section either: the reader gives names that match no port.
  app.WriteSettings("[audio]\nindev=No Such Card\noutdev=No Such Card\n");
  // Quit with a notification code in the high bits: the low sixteen bits
  // alone name the command.
  app.Start({"wait 200", "window", "stream", "state", "print started", "wait 2000", "menu 40006",
             "dump", "select 40009 system", "select 40010 system", "click 1", "wait 300", "stream",
             "menu " + std::to_string((5 << 16) | 40007)});
  ASSERT_TRUE(app.WaitForOutput("script: started"));
  EXPECT_EQ("No Such Card", app.Setting("audio", "indev"));
  EXPECT_EQ("off", app.Setting("midi", "indev"));
  EXPECT_EQ("off", app.Setting("midi", "outdev"));
  AppResult r = app.Wait();
  ASSERT_TRUE(r.exited) << r.err;
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("window title=Plenmora visible=1 client=620x580 menu=1", r.ScriptLine("window"));
  // Says why it is silent, until OK opens the stream on the chosen devices.
  const size_t started = r.out.find("script: started");
  EXPECT_NE(std::string::npos, r.out.find("No audio stream is running")) << r.out;
  EXPECT_EQ("stream open=0 running=0", r.ScriptLine("stream"));
  EXPECT_GT(r.out.find("trying to start audio stream"), started) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("script: stream open=1 running=1")) << r.out;
  for (int id : {40009, 40010})
  {
    EXPECT_EQ(-1, r.Combo(id).sel) << id << r.out;
    EXPECT_FALSE(r.Combo(id).items.empty()) << id;
  }
  EXPECT_EQ("system", app.Setting("audio", "indev"));
  EXPECT_EQ("system", app.Setting("audio", "outdev"));
}

TEST(AppStartup, WithoutJackServerTheWindowStillComesUpSilent)
{
  AppSandbox app;
  EnvScope server("JACK_DEFAULT_SERVER", "plenmora-no-such-server");
  EnvScope noStart("JACK_NO_START_SERVER", "1");
  AppResult r =
      app.Run({"wait 200", "window", "stream", "menu 40006", "dump", "click 2", "menu 40007"});
  ASSERT_TRUE(r.exited) << r.err;
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("window title=Plenmora visible=1 client=620x580 menu=1", r.ScriptLine("window"));
  EXPECT_EQ("stream open=0 running=0", r.ScriptLine("stream"));
  EXPECT_NE(std::string::npos, r.out.find("the JACK driver finds no audio devices")) << r.out;
  // The preferences dialog opens with empty device lists, and the MIDI
  // lists say that MIDI is off.
  ASSERT_TRUE(r.Combo(40009).found) << r.out;
  for (int id : {40009, 40010}) EXPECT_TRUE(r.Combo(id).items.empty()) << id;
  for (int id : {40018, 40019}) EXPECT_EQ(std::vector<std::string>{"off"}, r.Combo(id).items);
}

} // namespace
