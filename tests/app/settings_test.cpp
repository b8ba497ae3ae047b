// The settings record and "settings.ini": first run, per-key defaults and bad
// values.
#include <vector>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app_settings.h"
#include "host_test_support.h"

namespace
{
const char* const kDefaultFile = "[audio]\n"
                                 "driver=0\n"
                                 "in1=1\n"
                                 "in2=2\n"
                                 "indev=system\n"
                                 "iovs=512\n"
                                 "monoinput=0\n"
                                 "out1=1\n"
                                 "out2=2\n"
                                 "outdev=system\n"
                                 "sigvs=32\n"
                                 "sr=44100\n"
                                 "[midi]\n"
                                 "inchan=0\n"
                                 "indev=off\n"
                                 "outchan=0\n"
                                 "outdev=off\n";

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
    EXPECT_EQ(kDefaultFile, ReadFile(home.SettingsFile()));
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
  const std::vector<std::string> noMidi = {"indev=off", "indev=no input", "outdev=off",
                                           "outdev=no output"};
  const struct
  {
    std::string file;
    std::vector<std::string> changes; // pairs of from, to
  } cases[] = {
      {"[audio]\nin1=3\n", {"in1=1", "in1=3"}},
      {"[audio]\ndriver=7\nindev=" + x150 +
           "\nin1=0\nin2=70000\nout1=-3\nout2=65535\nmonoinput=99999\niovs=500\nsigvs=abc\nsr=0\n"
           "[midi]\ninchan=17\noutchan=65536\nindev=" +
           x150 + "\noutdev=off\n",
       {"indev=system", "indev=" + x99, "out2=2", "out2=65535", "indev=off", "indev=" + x99}},
      {"[audio]\niovs=64\nsigvs=1024\nsr=96000x\n",
       {"iovs=512", "iovs=64", "sigvs=32", "sigvs=64"}}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.file);
    WriteFile(mHome.SettingsFile(), c.file);
    ASSERT_TRUE(LoadSettings());
    std::string expected = kDefaultFile;
    std::vector<std::string> changes = c.changes;
    if (c.file.find("[midi]") == std::string::npos)
      changes.insert(changes.end(), noMidi.begin(), noMidi.end());
    for (size_t i = 0; i < changes.size(); i += 2)
      expected.replace(expected.find(changes[i]), changes[i].size(), changes[i + 1]);
    EXPECT_EQ(expected, ReadFile(mHome.SettingsFile()));
  }
  EXPECT_STREQ("64", gState->mAudioSigVS); // the record holds what the file says
}

} // namespace
