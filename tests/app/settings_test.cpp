// The settings record and "settings.ini": first run, per-key defaults, bad
// values and odd files.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app_settings.h"
#include "host_test_support.h"

namespace
{
// "settings.ini" as the host writes it with every setting at its default.
const std::string kDefaultSettings =
    "[audio]\ndriver=0\nin1=1\nin2=2\nindev=system\niovs=512\nmonoinput=0\nout1=1\nout2=2\n"
    "outdev=system\nsigvs=32\nsr=44100\n[midi]\ninchan=0\nindev=off\noutchan=0\noutdev=off\n";

// The folders are owner-only whatever the umask: a zero one adds no bits, a
// restrictive one takes none off.
TEST(Settings, FirstRunCreatesOwnerOnlyFoldersAndWritesTheDefaults)
{
  for (const mode_t mask : {0, 0277})
  {
    SCOPED_TRACE(mask);
    TempHome home;
    const mode_t oldMask = umask(mask);
    const bool loaded = LoadSettings();
    umask(oldMask);
    ASSERT_TRUE(loaded);
    for (const std::string& folder : {home.Path() + "/.config", home.Path() + "/.config/Plenmora"})
    {
      struct stat st;
      ASSERT_EQ(0, stat(folder.c_str(), &st)) << folder;
      EXPECT_EQ(0700u, st.st_mode & 07777) << folder;
    }
    // Defaults are no choice of the user's: the next start chooses again.
    EXPECT_EQ(Replaced(kDefaultSettings, {"outdev=system\n", "outdev=system\nprovisional=1\n"}),
              ReadFile(home.SettingsFile()));
  }
  DeleteSettings();
}

// The default file with a comment and two other values, and `sections` more
// sections of one key or one more section of `keys` long keys, sorted in as
// the host writes them.
std::string Kept(int sections = 0, int keys = 0)
{
  std::string text = "; kept as it is\n" +
                     Replaced(kDefaultSettings, {"sigvs=32", "sigvs=64", "inchan=0", "inchan=3"}) +
                     (keys ? "[zlog]\n" : "");
  for (int i = 0; i < keys; ++i)
    text += "entry" + std::to_string(100000 + i) + "=a long line kept from an earlier session\n";
  for (int i = 0; i < sections; ++i)
    text += "[x" + std::to_string(100000 + i) + "]\nk=" + std::to_string(i) + "\n";
  return text;
}

// What is loaded is written back at once: each file gives the default file
// with these changes. Missing keys take their own defaults (no [midi]
// section: names no port has); values the engine cannot use fall back; names
// are cut to 99 characters; integers keep their low 16 bits; a signal vector
// size above the IO vector size is cut to it; "provisional" stays only as 1
// (settings that are a guess). Large files are kept whole. (Line ends are the
// profile file test's.) What is not a regular file is left alone, read
// without waiting for a writer, with the message for a settings file that
// cannot be written.
TEST(Settings, LoadedFilesAreWrittenBackWithTheirDefaultsAndOddOnesLeftAlone)
{
  const std::string x150(150, 'x'), x99(99, 'x');
  const std::string noMidi =
      Replaced(kDefaultSettings, {"indev=off", "indev=no input", "outdev=off", "outdev=no output"});
  const struct
  {
    mode_t type;
    std::string file, after;
  } cases[] = {
      {S_IFREG, "[audio]\nin1=3\nprovisional=1\n",
       Replaced(noMidi, {"in1=1", "in1=3", "outdev=system\n", "outdev=system\nprovisional=1\n"})},
      {S_IFREG,
       "[audio]\ndriver=7\nindev=" + x150 +
           "\nin1=0\nin2=70000\nout1=-3\nout2=65535\nmonoinput=99999\niovs=500\nsigvs=abc\nsr=0\n"
           "provisional=2\n"
           "[midi]\ninchan=17\noutchan=65536\nindev=" +
           x150 + "\noutdev=off\n",
       Replaced(kDefaultSettings, {"indev=system", "indev=" + x99, "out2=2", "out2=65535",
                                   "indev=off", "indev=" + x99})},
      {S_IFREG, "[audio]\niovs=64\nsigvs=1024\nsr=96000x\n",
       Replaced(noMidi, {"iovs=512", "iovs=64", "sigvs=32", "sigvs=64"})},
      {S_IFREG, Kept(0, 70000), Kept(0, 70000)},
      {S_IFREG, Kept(80000), Kept(80000)},
      {S_IFIFO, "", ""},
      {S_IFDIR, "", ""}};
  alarm(30); // a FIFO opened for reading would wait for a writer for ever
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.file.substr(0, 100));
    TempHome home;
    const std::string path = home.SettingsFile();
    WriteFile(path, c.file);
    if (c.type != S_IFREG)
    {
      ASSERT_EQ(0, unlink(path.c_str()));
      ASSERT_EQ(0, c.type == S_IFIFO ? mkfifo(path.c_str(), 0600) : mkdir(path.c_str(), 0700));
    }
    const std::string printed = CaptureStdout([] { EXPECT_TRUE(LoadSettings()); });
    struct stat st;
    ASSERT_EQ(0, lstat(path.c_str(), &st));
    EXPECT_EQ(c.type, st.st_mode & S_IFMT);
    EXPECT_EQ(c.type == S_IFREG ? "" : "couldn't write all settings to " + path + "\n", printed);
    EXPECT_TRUE(c.type != S_IFREG || ReadFile(path) == c.after) << ReadFile(path).substr(0, 400);
  }
  alarm(0);
  DeleteSettings();
}
} // namespace
