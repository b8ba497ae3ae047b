// Profile files: reading rules, sorted rewrites, failure safety, concurrency.
// (A FIFO or a folder in place of the file is the host's settings test's.)
#include "swell.h"

#include <gtest/gtest.h>

#include <climits>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
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
    f = file.c_str();
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
    std::string buf(200000, '?');
    GetPrivateProfileString(sec, key, def, &buf[0], (DWORD)buf.size(), f);
    return buf.c_str();
  }
  // Waits for a child process; its exit status, -1 when it did not exit.
  static int ExitCode(pid_t pid)
  {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // What the folder holds (1 when just the file: no temporary files left).
  size_t Entries() const
  {
    return (size_t)std::distance(fs::directory_iterator(dir), fs::directory_iterator());
  }

  std::string dir, file;
  const char* f = nullptr;
};
} // namespace

// Lines end at CR, LF or CR LF, in any mix; an unrelated write keeps every
// line, written back with LF, and every value reads as before.
TEST_F(Ini, ReadingTrimsQuotesAndIgnoresCaseWhateverTheLineEnds)
{
  const std::string lf = "\xEF\xBB\xBF; comment=not a key\n[Audio]\n  indev  =   Built-in Input  \n"
                         "quoted=\"  spaced  \"\nhalf=\"abc\neq=a=b\nno equals sign here\n\n"
                         "[midi]\nindev=first\nindev=second\n";
  const std::vector<std::vector<std::string>> endings = {
      {"\n"}, {"\r"}, {"\r\n"}, {"\r", "\r\n", "\n"}};
  for (const auto& ends : endings)
  {
    std::string text;
    size_t n = 0;
    for (char c : lf) text += c == '\n' ? ends[n++ % ends.size()] : std::string(1, c);
    if (ends.size() > 1) text.pop_back(); // no end on the last line
    SCOPED_TRACE(text);
    Put(text);
    // Before and after an unrelated write.
    for (int write = 0; write < 2; write++)
    {
      EXPECT_EQ(Get("audio", "INDEV"), "Built-in Input");
      EXPECT_EQ(Get("AUDIO", "quoted"), "  spaced  ");
      EXPECT_EQ(Get("audio", "half"), "\"abc");
      EXPECT_EQ(Get("audio", "eq"), "a=b");
      EXPECT_EQ(Get("audio", "no equals sign here"), "DEF");
      EXPECT_EQ(Get("audio", "; comment"), "DEF");
      EXPECT_EQ(Get("midi", "indev"), "first");
      ASSERT_TRUE(write || WritePrivateProfileString("midi", "outchan", "7", f));
    }
    // Sorted, with the other lines of a section before its keys.
    EXPECT_EQ(Contents(), "; comment=not a key\n[Audio]\nno equals sign here\neq=a=b\nhalf=\"abc\n"
                          "indev=   Built-in Input  \nquoted=\"  spaced  \"\n"
                          "[midi]\nindev=first\nindev=second\noutchan=7\n");
  }

  // Truncated to the buffer, with the terminator.
  char buf[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetPrivateProfileString("midi", "indev", "", buf, sizeof buf, f), 3u);
  EXPECT_STREQ(buf, "fir");

  // A missing file gives the defaults and stays missing.
  fs::remove(file);
  EXPECT_EQ(Get("a", "b", "fallback"), "fallback");
  EXPECT_EQ(GetPrivateProfileInt("a", "b", 33, f), 33);
  EXPECT_FALSE(fs::exists(file));
}

// atoi's reading, with the default for what is no number and the int range's
// ends for what is beyond it.
TEST_F(Ini, IntegersByAtoiWithTheDefaultForNonNumbers)
{
  using Case = std::pair<std::string, int>;
  const int kMax = INT_MAX, kMin = INT_MIN;
  const Case cases[] = {
      {"0", 0},      {"007", 7},    {"-12", -12}, {"abc", 9},           {"-0", 9},
      {"42abc", 42}, {"  17 ", 17}, {"", 9},      {"9999999999", kMax}, {"-9999999999", kMin}};
  for (const auto& c : cases)
  {
    Put("[s]\nk=" + c.first + "\n");
    EXPECT_EQ(GetPrivateProfileInt("s", "k", 9, f), c.second) << c.first;
  }
}

TEST_F(Ini, WritesSortedAndOnlyWhenAValueChanges)
{
  ASSERT_TRUE(WritePrivateProfileString("midi", "outdev", "off", f));
  ASSERT_TRUE(WritePrivateProfileString("audio", "sr", "44100", f));
  ASSERT_TRUE(WritePrivateProfileString("audio", "Driver", "0", f));
  ASSERT_TRUE(WritePrivateProfileString("AUDIO", "indev", "Built-in Input", f));
  EXPECT_EQ(Contents(), "[audio]\nDriver=0\nindev=Built-in Input\nsr=44100\n[midi]\noutdev=off\n");

  // An unsorted file with other lines: the same value (as a reader sees it)
  // or removing what is not there leaves it untouched.
  Put("top=1\n[zeta]\nb= 2 \n; note about a\na=1\n\n[Alpha]\nx=\"q\"\n");
  struct stat st;
  auto inode = [&] { return stat(f, &st) == 0 ? st.st_ino : 0; };
  const ino_t before = inode();
  ASSERT_TRUE(WritePrivateProfileString("ZETA", "B", "2", f));
  ASSERT_TRUE(WritePrivateProfileString("zeta", "x", nullptr, f));
  EXPECT_EQ(before, inode());
  // A change rewrites it sorted, keeping the other lines; a null value
  // removes a key, a null key a section.
  ASSERT_TRUE(WritePrivateProfileString("zeta", "c", "3", f));
  EXPECT_EQ(Contents(), "top=1\n[Alpha]\nx=\"q\"\n[zeta]\n; note about a\na=1\nb= 2 \nc=3\n");
  ASSERT_TRUE(WritePrivateProfileString("zeta", "A", nullptr, f));
  ASSERT_TRUE(WritePrivateProfileString("alpha", nullptr, nullptr, f));
  EXPECT_EQ(Contents(), "top=1\n[zeta]\n; note about a\nb= 2 \nc=3\n");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(Ini, ValuesReadBackAndCorruptingWritesAreRefused)
{
  const std::string longValue(100000, 'x');
  for (const char* v : {"  padded  ", "\"quoted\"", "'single'", "\"", "", longValue.c_str()})
  {
    ASSERT_TRUE(WritePrivateProfileString("s", "k", v, f));
    EXPECT_EQ(Get("s", "k"), v);
  }

  // What would change other keys or sections when read back is refused, as
  // is a file in a folder that does not exist.
  Put("[s]\nk=v\n");
  const char* refused[][3] = {{"s", "k", "two\nlines"}, {"s", "k\r", "x"}, {"s", "a=b", "x"},
                              {"s]x", "k", "x"},        {"", "k", "x"},    {nullptr, "k", "x"}};
  for (auto& r : refused) EXPECT_FALSE(WritePrivateProfileString(r[0], r[1], r[2], f)) << r[1];
  EXPECT_EQ(Contents(), "[s]\nk=v\n");
  EXPECT_FALSE(WritePrivateProfileString("a", "b", "c", (dir + "/no/such/x.ini").c_str()));
}

// A write that cannot be completed fails and leaves the old file as it was:
// on a full disk (as root, a small file system filled up in a private mount
// namespace of a child process) or, for other users, in a folder without
// write permission.
TEST_F(Ini, FailedWriteLeavesTheOldFileIntact)
{
  const std::string original = "[a]\nx=1\n";
  const bool root = geteuid() == 0;
  const pid_t pid = fork();
  if (pid == 0)
  {
    if (root &&
        (unshare(CLONE_NEWNS) || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
         mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k")))
      _exit(77);
    Put(original);
    if (!root) chmod(dir.c_str(), 0555);
    for (std::ofstream fill(dir + "/fill"); root && fill << std::string(4096, 'x') << std::flush;)
    {
    }
    const BOOL ok = WritePrivateProfileString("a", "x", std::string(20000, 'y').c_str(), f);
    _exit(!ok && Contents() == original && Entries() == (root ? 2u : 1u) ? 0 : 1);
  }
  const int code = ExitCode(pid);
  if (code == 77) GTEST_SKIP() << "cannot mount a file system here";
  EXPECT_EQ(code, 0) << "write reported success or changed the old file";
}

TEST_F(Ini, ConcurrentWritersLoseNothing)
{
  const int kProcs = 3, kKeys = 40;
  auto key = [](int p, int i) { return "p" + std::to_string(p) + "_" + std::to_string(i); };
  auto section = [](int i) { return i % 2 ? "odd" : "even"; };
  pid_t kids[kProcs];
  for (int p = 0; p < kProcs; p++)
    if ((kids[p] = fork()) == 0)
    {
      bool ok = true;
      for (int i = 0; i < kKeys; i++)
        ok &= WritePrivateProfileString(section(i), key(p, i).c_str(), key(p, i).c_str(), f) != 0;
      _exit(ok ? 0 : 1);
    }
  for (pid_t pid : kids) EXPECT_EQ(ExitCode(pid), 0);
  for (int p = 0; p < kProcs; p++)
    for (int i = 0; i < kKeys; i++) EXPECT_EQ(Get(section(i), key(p, i).c_str()), key(p, i));
  EXPECT_EQ(Entries(), 1u);
}

// The parsed form is kept between reads, but a change is always seen, even
// one of the same size within the same tick of the file's clock: written in
// place, then replaced by a rename.
TEST_F(Ini, ChangesOfTheSameSizeAreSeenAtOnce)
{
  for (int i = 0; i < 200; i++)
  {
    const std::string value = std::to_string(i % 10);
    std::ofstream(i < 100 ? file : dir + "/next", std::ios::binary) << "[s]\nk=" << value << "\n";
    if (i >= 100) fs::rename(dir + "/next", file);
    ASSERT_EQ(Get("s", "k"), value) << i;
  }
}

// Temporary files of writers that died before their rename: the next write
// removes those of this file that are a minute old, and nothing else.
TEST_F(Ini, StaleTemporaryFilesGoWithTheNextWrite)
{
  const timespec old[2] = {{time(nullptr) - 61, 0}, {time(nullptr) - 61, 0}};
  // Name, whether a minute old, whether the write removes it.
  const std::tuple<std::string, bool, bool> entries[] = {{"settings.ini.tmp-a1b2c3", true, true},
                                                         {"settings.ini.tmp-d4e5f6", false, false},
                                                         {"other.ini.tmp-a1b2c3", true, false},
                                                         {"settings.ini.tmp-folder", true, false},
                                                         {"settings.ini.bak", true, false}};
  for (const auto& [name, isOld, removed] : entries)
  {
    const std::string path = dir + "/" + name;
    if (name.find("folder") != std::string::npos)
      fs::create_directory(path);
    else
      std::ofstream(path) << "[s]\nk=half written\n";
    ASSERT_TRUE(!isOld || utimensat(AT_FDCWD, path.c_str(), old, 0) == 0);
  }
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "v", f));
  for (const auto& [name, isOld, removed] : entries)
    EXPECT_EQ(!removed, fs::exists(dir + "/" + name)) << name;
  EXPECT_EQ(Get("s", "k"), "v");
}
