// Profile files: reading rules, sorted rewrites, failure safety, concurrency.
#include "swell.h"

#include <gtest/gtest.h>

#include <climits>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sched.h>
#include <sys/mount.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

class Ini : public ::testing::Test
{
protected:
  void SetUp() override
  {
    char tmpl[] = "/tmp/swell_ini_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    file = dir + "/settings.ini";
  }
  void TearDown() override
  {
    chmod(dir.c_str(), 0755);
    fs::remove_all(dir);
  }
  void Put(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
  std::string Contents() const
  {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::string Get(const char* sec, const char* key, const char* def = "DEF")
  {
    char buf[4096];
    GetPrivateProfileString(sec, key, def, buf, sizeof buf, file.c_str());
    return buf;
  }
  // Nothing but the file itself: no temporary files left behind.
  bool OnlyTheFile() const
  {
    return std::distance(fs::directory_iterator(dir), fs::directory_iterator()) == 1;
  }

  std::string dir, file;
};

} // namespace

TEST_F(Ini, ReadingTrimsQuotesAndIgnoresCase)
{
  Put("\xEF\xBB\xBF; comment=not a key\r\n"
      "[Audio]\r\n"
      "  indev  =   Built-in Input  \r\n"
      "quoted=\"  spaced  \"\r\n"
      "half=\"abc\r\n"
      "eq=a=b\r\n"
      "no equals sign here\r\n"
      "\r\n"
      "[midi]\n"
      "indev=first\n"
      "indev=second\n");
  EXPECT_EQ(Get("audio", "INDEV"), "Built-in Input");
  EXPECT_EQ(Get("AUDIO", "quoted"), "  spaced  ");
  EXPECT_EQ(Get("audio", "half"), "\"abc");
  EXPECT_EQ(Get("audio", "eq"), "a=b");
  EXPECT_EQ(Get("audio", "no equals sign here"), "DEF");
  EXPECT_EQ(Get("audio", "; comment"), "DEF");
  EXPECT_EQ(Get("midi", "indev"), "first");

  // Truncated to the buffer, with the terminator.
  char buf[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetPrivateProfileString("midi", "indev", "", buf, sizeof buf, file.c_str()), 3u);
  EXPECT_STREQ(buf, "fir");

  // A missing file gives the defaults and stays missing.
  fs::remove(file);
  EXPECT_EQ(Get("a", "b", "fallback"), "fallback");
  EXPECT_EQ(GetPrivateProfileInt("a", "b", 33, file.c_str()), 33);
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(Ini, IntegersByAtoiWithTheDefaultForNonNumbers)
{
  Put("[s]\nzero=0\nzeros=007\nneg=-12\nword=abc\nnegzero=-0\nlead=42abc\nspace=  17 \n"
      "empty=\nbig=99999999999\n");
  const struct
  {
    const char* key;
    int value;
  } cases[] = {{"zero", 0},  {"zeros", 7},  {"neg", -12}, {"word", 9},      {"negzero", 9},
               {"lead", 42}, {"space", 17}, {"empty", 9}, {"big", INT_MAX}, {"missing", 9}};
  for (auto& c : cases)
    EXPECT_EQ(GetPrivateProfileInt("s", c.key, 9, file.c_str()), c.value) << c.key;
}

TEST_F(Ini, WritesSortedAndOnlyWhenAValueChanges)
{
  const char* f = file.c_str();
  ASSERT_TRUE(WritePrivateProfileString("midi", "outdev", "off", f));
  ASSERT_TRUE(WritePrivateProfileString("audio", "sr", "44100", f));
  ASSERT_TRUE(WritePrivateProfileString("audio", "Driver", "0", f));
  ASSERT_TRUE(WritePrivateProfileString("AUDIO", "indev", "Built-in Input", f));
  EXPECT_EQ(Contents(), "[audio]\nDriver=0\nindev=Built-in Input\nsr=44100\n[midi]\noutdev=off\n");

  // An unsorted file with CRLF and other lines: the same value (as a reader
  // sees it) or removing what is not there leaves it untouched.
  Put("top=1\r\n[zeta]\r\nb= 2 \r\n; note about a\r\na=1\r\n\r\n[Alpha]\r\nx=\"q\"\r\n");
  struct stat before, after;
  ASSERT_EQ(stat(f, &before), 0);
  ASSERT_TRUE(WritePrivateProfileString("ZETA", "B", "2", f));
  ASSERT_TRUE(WritePrivateProfileString("zeta", "x", nullptr, f));
  ASSERT_EQ(stat(f, &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  // A change rewrites it sorted, keeping the other lines; a null value
  // removes a key, a null key a section.
  ASSERT_TRUE(WritePrivateProfileString("zeta", "c", "3", f));
  EXPECT_EQ(Contents(), "top=1\n[Alpha]\nx=\"q\"\n[zeta]\n; note about a\na=1\nb= 2 \nc=3\n");
  ASSERT_TRUE(WritePrivateProfileString("zeta", "A", nullptr, f));
  ASSERT_TRUE(WritePrivateProfileString("alpha", nullptr, nullptr, f));
  EXPECT_EQ(Contents(), "top=1\n[zeta]\n; note about a\nb= 2 \nc=3\n");
  EXPECT_TRUE(OnlyTheFile());
}

TEST_F(Ini, ValuesReadBackAndCorruptingWritesAreRefused)
{
  const char* f = file.c_str();
  const std::string longValue(100000, 'x');
  const char* values[] = {"  padded  ", "\"quoted\"", "'single'", "\"", "", longValue.c_str()};
  for (const char* v : values)
  {
    ASSERT_TRUE(WritePrivateProfileString("s", "k", v, f));
    std::string buf(200000, '?');
    GetPrivateProfileString("s", "k", "DEF", &buf[0], (DWORD)buf.size(), f);
    EXPECT_EQ(std::string(buf.c_str()), v);
  }

  // What would change other keys or sections when read back is refused.
  Put("[s]\nk=v\n");
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "two\nlines", f));
  EXPECT_FALSE(WritePrivateProfileString("s", "k\r", "x", f));
  EXPECT_FALSE(WritePrivateProfileString("s", "a=b", "x", f));
  EXPECT_FALSE(WritePrivateProfileString("s]x", "k", "x", f));
  EXPECT_FALSE(WritePrivateProfileString("", "k", "x", f));
  EXPECT_FALSE(WritePrivateProfileString(nullptr, "k", "x", f));
  EXPECT_EQ(Contents(), "[s]\nk=v\n");
  // No folder, or a folder where the file should be.
  EXPECT_FALSE(WritePrivateProfileString("a", "b", "c", (dir + "/no/such/x.ini").c_str()));
  const std::string folder = dir + "/folder.ini";
  fs::create_directory(folder);
  EXPECT_FALSE(WritePrivateProfileString("a", "b", "c", folder.c_str()));
  EXPECT_TRUE(fs::is_directory(folder));
}

// Writing into a folder that cannot be written fails and leaves the old file
// as it was. As root, permissions do not stop writes, so the folder becomes a
// read-only mount in a private mount namespace of a child process.
TEST_F(Ini, UnwritableFolderLeavesTheOldFileIntact)
{
  const std::string original = "[a]\nx=1\n";
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0)
  {
    if (geteuid() == 0)
    {
      if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        _exit(77);
      if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=1m")) _exit(77);
      Put(original);
      if (mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr)) _exit(77);
    }
    else
    {
      Put(original);
      chmod(dir.c_str(), 0555);
    }
    const BOOL ok = WritePrivateProfileString("a", "x", "2", file.c_str());
    const bool intact = Contents() == original && OnlyTheFile();
    _exit(!ok && intact ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot make a read-only folder here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "write reported success or changed the old file";
}

TEST_F(Ini, ConcurrentWritersLoseNothing)
{
  const int kProcs = 3, kKeys = 40;
  auto key = [](int p, int i) { return "p" + std::to_string(p) + "_" + std::to_string(i); };
  std::vector<pid_t> kids;
  for (int p = 0; p < kProcs; p++)
  {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
      bool ok = true;
      for (int i = 0; i < kKeys; i++)
        ok &= WritePrivateProfileString(i % 2 ? "odd" : "even", key(p, i).c_str(),
                                        key(p, i).c_str(), file.c_str()) != 0;
      _exit(ok ? 0 : 1);
    }
    kids.push_back(pid);
  }
  for (pid_t pid : kids)
  {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int p = 0; p < kProcs; p++)
    for (int i = 0; i < kKeys; i++)
      EXPECT_EQ(Get(i % 2 ? "odd" : "even", key(p, i).c_str()), key(p, i));
  EXPECT_TRUE(OnlyTheFile());
}

// CR, LF and CR LF all end lines, in any mix: every key reads, and an
// unrelated write keeps every line (written back with LF). A value read
// before that write reads the same after it.
TEST_F(Ini, EveryKindOfLineEndEndsALine)
{
  const char* f = file.c_str();
  const char* const files[] = {
      "; old Mac file\r[audio]\rin1=3\rindev=Card A\r[midi]\rinchan=5\r",
      "; from Windows\r\n[audio]\r\nin1=3\r\nindev=Card A\r\n[midi]\r\ninchan=5\r\n",
      "; mixed\n[audio]\r\nin1=3\rindev=Card A\r\r\n[midi]\ninchan=5",
  };
  for (const char* text : files)
  {
    SCOPED_TRACE(text);
    Put(text);
    EXPECT_EQ(Get("audio", "in1"), "3");
    EXPECT_EQ(Get("audio", "indev"), "Card A");
    EXPECT_EQ(GetPrivateProfileInt("midi", "inchan", 0, f), 5);
    ASSERT_TRUE(WritePrivateProfileString("midi", "outchan", "7", f));
    const std::string comment =
        std::string(text).substr(0, std::string(text).find_first_of("\r\n"));
    EXPECT_EQ(Contents(),
              comment + "\n[audio]\nin1=3\nindev=Card A\n[midi]\ninchan=5\noutchan=7\n");
    EXPECT_EQ(Get("audio", "indev"), "Card A");
  }
}

// A FIFO or a folder in place of the file: reading gives the defaults at
// once (opening a FIFO for reading would wait for a writer for ever), and
// writing fails and leaves it as it is.
TEST_F(Ini, NonRegularFilesAreRefusedWithoutWaiting)
{
  alarm(20); // a hang ends the test program
  for (bool fifo : {true, false})
  {
    SCOPED_TRACE(fifo ? "FIFO" : "folder");
    fs::remove_all(file);
    ASSERT_EQ(0, fifo ? mkfifo(file.c_str(), 0600) : mkdir(file.c_str(), 0700));
    EXPECT_EQ(Get("audio", "in1", "dflt"), "dflt");
    EXPECT_EQ(GetPrivateProfileInt("audio", "in1", 4, file.c_str()), 4);
    EXPECT_FALSE(WritePrivateProfileString("audio", "in1", "2", file.c_str()));
    struct stat st;
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(fifo ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode));
  }
  alarm(0);
}

// The parsed form is kept between reads, but a change is always seen, even
// one of the same size within the same tick of the file's clock.
TEST_F(Ini, ChangesOfTheSameSizeAreSeenAtOnce)
{
  for (int i = 0; i < 200; i++)
  {
    const std::string value = std::to_string(i % 10);
    if (i < 100)
    {
      Put("[s]\nk=" + value + "\n"); // in place
    }
    else
    {
      std::ofstream(dir + "/next", std::ios::binary) << "[s]\nk=" << value << "\n";
      fs::rename(dir + "/next", file); // replaced
    }
    ASSERT_EQ(Get("s", "k"), value) << i;
    ASSERT_EQ(Get("s", "k"), value) << i;
  }
}

// Temporary files of writers that died before their rename: the next write
// removes those of this file that are a minute old, and nothing else.
TEST_F(Ini, StaleTemporaryFilesGoWithTheNextWrite)
{
  const timespec old[2] = {{time(nullptr) - 61, 0}, {time(nullptr) - 61, 0}};
  const struct
  {
    std::string name;
    bool isOld, folder, removed;
  } entries[] = {{"settings.ini.tmp-a1b2c3", true, false, true},
                 {"settings.ini.tmp-d4e5f6", false, false, false},
                 {"other.ini.tmp-a1b2c3", true, false, false},
                 {"settings.ini.tmp-folder", true, true, false},
                 {"settings.ini.bak", true, false, false}};
  for (const auto& e : entries)
  {
    const std::string path = dir + "/" + e.name;
    if (e.folder)
      fs::create_directory(path);
    else
      std::ofstream(path) << "[s]\nk=half written\n";
    if (e.isOld)
    {
      ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), old, 0));
    }
  }
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "v", file.c_str()));
  for (const auto& e : entries) EXPECT_EQ(!e.removed, fs::exists(dir + "/" + e.name)) << e.name;
  EXPECT_EQ(Get("s", "k"), "v");
}
