// The settings record and "settings.ini": first run, per-key defaults and bad
// values.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app_settings.h"
#include "host_test_support.h"

namespace
{
class SettingsTest : public testing::Test
{
protected:
  void TearDown() override { DeleteSettings(); }
  TempHome mHome;
};

// The folders are owner-only whatever the umask: a zero one adds no bits, a
// restrictive one takes none off.
TEST_F(SettingsTest, FirstRunCreatesOwnerOnlyFoldersAndWritesTheDefaults)
{
  for (const mode_t mask : {0, 0277})
  {
    SCOPED_TRACE(mask);
    TempHome home;
    const mode_t oldMask = umask(mask);
    const bool loaded = LoadSettings();
    umask(oldMask);
    ASSERT_TRUE(loaded);
    for (const std::string& folder : {home.Path() + "/.config", home.SettingsFolder()})
    {
      struct stat st;
      ASSERT_EQ(0, stat(folder.c_str(), &st)) << folder;
      EXPECT_EQ(0700u, st.st_mode & 07777) << folder;
    }
    EXPECT_EQ(home.SettingsFile(), gINIPath);
    EXPECT_EQ(kDefaultSettings, ReadFile(home.SettingsFile()));
    const AppState defaults;
    EXPECT_TRUE(AllSettingsInStateAreEqual(gState, &defaults));
  }
}

// What is loaded is written back at once: each file gives the default file
// with these changes. Missing keys take their own defaults (no [midi]
// section: names no port has); values the engine cannot use fall back; names
// are cut to 99 characters; integers keep their low 16 bits; a signal vector
// size above the IO vector size is cut to it.
TEST_F(SettingsTest, LoadedValuesAreWrittenBackWithTheirDefaults)
{
  const std::string x150(150, 'x'), x99(99, 'x');
  const std::string noMidi =
      Replaced(kDefaultSettings, {"indev=off", "indev=no input", "outdev=off", "outdev=no output"});
  const std::pair<std::string, std::string> cases[] = {
      {"[audio]\nin1=3\n", Replaced(noMidi, {"in1=1", "in1=3"})},
      {"[audio]\ndriver=7\nindev=" + x150 +
           "\nin1=0\nin2=70000\nout1=-3\nout2=65535\nmonoinput=99999\niovs=500\nsigvs=abc\nsr=0\n"
           "[midi]\ninchan=17\noutchan=65536\nindev=" +
           x150 + "\noutdev=off\n",
       Replaced(kDefaultSettings, {"indev=system", "indev=" + x99, "out2=2", "out2=65535",
                                   "indev=off", "indev=" + x99})},
      {"[audio]\niovs=64\nsigvs=1024\nsr=96000x\n",
       Replaced(noMidi, {"iovs=512", "iovs=64", "sigvs=32", "sigvs=64"})}};
  for (const auto& [file, expected] : cases)
  {
    SCOPED_TRACE(file);
    WriteFile(mHome.SettingsFile(), file);
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(expected, ReadFile(mHome.SettingsFile()));
  }
  EXPECT_STREQ("64", gState->mAudioSigVS); // the record holds what the file says
}
} // namespace
