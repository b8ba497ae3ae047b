// Profile files.
//
// How a file is read:
// - Only a regular file is read; it is opened without blocking, so a FIFO or
//   a device in its place is refused like a file that cannot be read.
// - Lines end in LF, CR or CR LF; a UTF-8 byte-order mark at the start is
//   skipped.
// - "[name]" (blanks around it allowed, text after ']' ignored) starts a
//   section. A section that appears twice is read as one.
// - "key=value" is a key line: the key is trimmed of blanks; the value is the
//   rest of the line after the first '='. Reading trims the value of blanks and
//   then of one pair of enclosing quotes (both " or both '). A key that appears
//   twice in a section reads as its first line.
// - Blank lines are dropped. Other lines (comments starting with ';' or '#',
//   lines without '=', keys before the first section) are not keys; they are
//   kept as they are.
//
// The parsed form of the file last read is kept, and reused while the file
// is the same one with the same size and times; a file changed within the
// granularity of its time stamps is compared by content instead.
//
// How a file is written: the whole file is rewritten, with LF line ends, only
// when the value of a key really changes (or a key or section is removed). Sections are sorted
// by name and keys by name within their section, both without regard to case
// and keeping the order of equal names; a file that was not sorted comes out
// sorted. Lines before the first section stay first; each section's other
// lines come right after its "[name]" line, in their order, then its keys.
// A value that would not read back as written (blanks at either end, or
// enclosed in a pair of quotes) is written inside a pair of double quotes.
//
// Nothing is lost on failure: the new text goes to "<file>.tmp-XXXXXX" in the
// file's own folder, is flushed to disk, takes the old file's permissions and
// then replaces the file by rename. Writers hold an exclusive lock on the
// folder from reading the old file to the rename, so two processes (or
// threads) writing the same file never lose each other's changes. Readers take
// no lock: a rename replaces the file in one step. A temporary file left by a
// writer that died before its rename is removed by the next writer once it is
// a minute old.
#include "swell-ini.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <strings.h>
#include <unordered_map>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace
{

struct IniKey
{
  std::string key;
  std::string raw; // the text after '=', as it is in the file
};

struct IniSection
{
  std::string name;
  bool header = true;             // false for the lines before the first section
  std::vector<std::string> other; // lines that are not keys, kept as they are
  std::vector<IniKey> keys;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s)
{
  size_t a = 0, b = s.size();
  while (a < b && IsBlank(s[a])) a++;
  while (b > a && IsBlank(s[b - 1])) b--;
  return s.substr(a, b - a);
}

// Names match without regard to case, in ASCII letters only: the same in
// every locale.
std::string Folded(std::string_view s)
{
  std::string f(s);
  for (char& c : f)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return f;
}

bool SameName(std::string_view a, std::string_view b)
{
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
  {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = (char)(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = (char)(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

struct IniFile
{
  std::vector<IniSection> sections; // sections[0] holds the lines before any header
  // Folded section name -> index into sections (from 1).
  std::unordered_map<std::string, size_t> index;

  IniSection* Find(std::string_view name)
  {
    const auto it = index.find(Folded(name));
    return it == index.end() ? nullptr : &sections[it->second];
  }
  IniSection& Add(std::string_view name)
  {
    index.emplace(Folded(name), sections.size());
    sections.emplace_back();
    sections.back().name = name;
    return sections.back();
  }
  void Reindex()
  {
    index.clear();
    for (size_t i = 1; i < sections.size(); i++) index.emplace(Folded(sections[i].name), i);
  }
};

bool IsQuote(char c) { return c == '"' || c == '\''; }

// What a reader makes of a raw value.
std::string DecodeValue(const std::string& raw)
{
  std::string_view v = Trim(raw);
  if (v.size() >= 2 && IsQuote(v[0]) && v.back() == v[0]) v = v.substr(1, v.size() - 2);
  return std::string(v);
}

// A raw value that reads back as value.
std::string EncodeValue(const std::string& value)
{
  if (value.empty()) return value;
  const bool blankEnds = IsBlank(value[0]) || IsBlank(value.back());
  const bool quoted = value.size() >= 2 && IsQuote(value[0]) && value.back() == value[0];
  return blankEnds || quoted ? "\"" + value + "\"" : value;
}

void Parse(const std::string& text, IniFile& f)
{
  f.sections.clear();
  f.index.clear();
  f.sections.emplace_back();
  f.sections[0].header = false;
  IniSection* cur = &f.sections[0];

  const std::string_view all(text);
  size_t pos = all.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (pos < all.size())
  {
    size_t end = all.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = all.size();
    const std::string_view line = all.substr(pos, end - pos);
    pos = end + (all.compare(end, 2, "\r\n") == 0 ? 2 : 1);

    const std::string_view t = Trim(line);
    if (t.empty()) continue;
    if (t[0] == '[')
    {
      const size_t close = t.find(']');
      if (close != std::string_view::npos)
      {
        const std::string_view name = Trim(t.substr(1, close - 1));
        cur = f.Find(name);
        if (!cur) cur = &f.Add(name);
        continue;
      }
    }
    const size_t eq = line.find('=');
    if (t[0] != ';' && t[0] != '#' && eq != std::string_view::npos)
    {
      const std::string_view key = Trim(line.substr(0, eq));
      if (!key.empty())
      {
        cur->keys.push_back({std::string(key), std::string(line.substr(eq + 1))});
        continue;
      }
    }
    cur->other.emplace_back(line);
  }
}

std::string Serialise(IniFile& f)
{
  auto less = [](const std::string& a, const std::string& b)
  { return strcasecmp(a.c_str(), b.c_str()) < 0; };
  std::stable_sort(f.sections.begin() + 1, f.sections.end(),
                   [&](const IniSection& a, const IniSection& b) { return less(a.name, b.name); });
  f.Reindex();
  std::string out;
  for (IniSection& s : f.sections)
  {
    std::stable_sort(s.keys.begin(), s.keys.end(),
                     [&](const IniKey& a, const IniKey& b) { return less(a.key, b.key); });
    if (s.header) out += "[" + s.name + "]\n";
    for (const std::string& line : s.other) out += line + "\n";
    for (const IniKey& k : s.keys) out += k.key + "=" + k.raw + "\n";
  }
  return out;
}

// Opens a profile file for reading: only a regular file, and without
// blocking, so that a FIFO or device in its place cannot hang the caller.
// Returns the descriptor; -1 with errno ENOENT when there is no file, and -1
// with another errno when there is something that cannot be read.
int OpenRegularFile(const char* path, struct stat* st)
{
  if (stat(path, st) != 0) return -1;
  if (!S_ISREG(st->st_mode))
  {
    errno = EINVAL;
    return -1;
  }
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) // replaced meanwhile
  {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

bool ReadAll(int fd, std::string& text)
{
  text.clear();
  char buf[65536];
  for (;;)
  {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    text.append(buf, (size_t)n);
  }
}

// Which file a path gave, and in what state.
struct FileStamp
{
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = -1;
  timespec mtime = {0, 0}, ctime = {0, 0};

  static FileStamp Of(const struct stat& st)
  {
    FileStamp s;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim;
    s.ctime = st.st_ctim;
    return s;
  }
  bool operator==(const FileStamp& o) const
  {
    return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
           ctime.tv_nsec == o.ctime.tv_nsec;
  }
};

// A file's times come from a clock that may lag the system clock by a tick
// and are stored as coarsely as in 2-second steps on some file systems: a
// change made within that much of the last reading may leave them as they
// were.
constexpr time_t kTimeSlackSeconds = 2;

// The parsed form of the file read last. Start-up reads many keys of one
// file; each would otherwise parse the whole file again.
struct ParsedFile
{
  std::string path;
  bool stampValid = false;
  FileStamp stamp;
  timespec readAt = {0, 0}; // the system clock just before the file was looked at
  std::string text;
  IniFile parsed;
  bool valid = false;

  void Drop()
  {
    valid = stampValid = false;
    path.clear();
    text.clear();
    parsed = IniFile();
  }
};

std::mutex sParsedLock;
ParsedFile sParsed;

bool Before(const timespec& t, const timespec& limit)
{
  return t.tv_sec + kTimeSlackSeconds < limit.tv_sec;
}

// The parsed form of the open file fd (stat st) at path, from the kept one
// when the file is unchanged. Null when it cannot be read. Call with
// sParsedLock held; the result stays valid until it is released.
IniFile* ParsedOf(const char* path, int fd, const struct stat& st)
{
  ParsedFile& p = sParsed;
  const FileStamp stamp = FileStamp::Of(st);
  const bool samePath = p.valid && p.path == path;
  if (samePath && p.stampValid && p.stamp == stamp && Before(stamp.mtime, p.readAt) &&
      Before(stamp.ctime, p.readAt))
    return &p.parsed;

  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  std::string text;
  if (!ReadAll(fd, text)) return nullptr;
  if (!samePath || text != p.text)
  {
    p.Drop();
    p.path = path;
    p.text.swap(text);
    Parse(p.text, p.parsed);
    p.valid = true;
  }
  // The stamp was taken before the reading: a change after it shows in the
  // times, unless it came too soon after them to be told apart.
  p.stamp = stamp;
  p.stampValid = true;
  p.readAt = now;
  return &p.parsed;
}

const IniKey* FindKey(IniFile& f, const char* section, const char* key)
{
  IniSection* s = f.Find(section);
  if (!s) return nullptr;
  for (const IniKey& k : s->keys)
    if (SameName(k.key, key)) return &k;
  return nullptr;
}

// The value of a key, or false when the key (or the file) is missing.
bool LookUp(const char* section, const char* key, const char* file, std::string& value)
{
  if (!section || !key || !file) return false;
  struct stat st;
  const int fd = OpenRegularFile(file, &st);
  if (fd < 0) return false;
  std::lock_guard<std::mutex> lock(sParsedLock);
  IniFile* f = ParsedOf(file, fd, st);
  close(fd);
  const IniKey* k = f ? FindKey(*f, section, key) : nullptr;
  if (!k) return false;
  value = DecodeValue(k->raw);
  return true;
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// Applies the change; returns true when the file's contents change.
bool Apply(IniFile& f, const std::string& section, const std::string* key, const std::string* value)
{
  IniSection* s = f.Find(section);
  if (!key)
  {
    if (!s) return false;
    f.sections.erase(f.sections.begin() + (s - f.sections.data()));
    f.Reindex();
    return true;
  }
  if (!value)
  {
    if (!s) return false;
    const size_t before = s->keys.size();
    s->keys.erase(std::remove_if(s->keys.begin(), s->keys.end(),
                                 [&](const IniKey& k) { return SameName(k.key, *key); }),
                  s->keys.end());
    return s->keys.size() != before;
  }
  if (!s) s = &f.Add(section);
  for (IniKey& k : s->keys)
    if (SameName(k.key, *key))
    {
      if (DecodeValue(k.raw) == *value) return false;
      k.raw = EncodeValue(*value);
      return true;
    }
  s->keys.push_back({*key, EncodeValue(*value)});
  return true;
}

bool WriteAll(int fd, const std::string& text)
{
  size_t done = 0;
  while (done < text.size())
  {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += (size_t)n;
  }
  return true;
}

const char kTempInfix[] = ".tmp-";

// Removes what writers that died between writing their temporary file and
// renaming it left in dir: regular files named "<name>.tmp-..." for the
// file's own name, at least a minute old. Call with the folder locked.
void RemoveStaleTemporaries(const std::string& dir, const std::string& name)
{
  const std::string prefix = name + kTempInfix;
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  while (const dirent* e = readdir(d))
  {
    if (strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0) continue;
    struct stat st;
    if (fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    if (st.st_mtim.tv_sec + 60 <= now.tv_sec) unlinkat(dirfd(d), e->d_name, 0);
  }
  closedir(d);
}

// Writes text to a new file beside path and renames it over path.
bool ReplaceFile(const std::string& path, const std::string& dir, const std::string& text,
                 bool hadFile, mode_t mode)
{
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; attempt++)
  {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    char suffix[16];
    const unsigned long r = (unsigned long)ts.tv_nsec ^ ((unsigned long)getpid() << 12) ^
                            ((unsigned long)attempt * 2654435761u);
    snprintf(suffix, sizeof suffix, "%06lx", r & 0xffffff);
    tmp = path + kTempInfix + suffix;
    fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  bool ok = WriteAll(fd, text) && (!hadFile || fchmod(fd, mode) == 0) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok)
  {
    unlink(tmp.c_str());
    return false;
  }
  // Make the rename itself durable.
  const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0)
  {
    fsync(dfd);
    close(dfd);
  }
  return true;
}

// The change to the file at path, in the locked folder dir.
BOOL ChangeLocked(const std::string& path, const std::string& dir, const std::string& sec,
                  const std::string* key, const std::string* value)
{
  struct stat st;
  const int fd = OpenRegularFile(path.c_str(), &st);
  // Never replace something that exists but cannot be read.
  if (fd < 0 && errno != ENOENT) return FALSE;
  const bool hadFile = fd >= 0;

  std::lock_guard<std::mutex> lock(sParsedLock);
  IniFile empty;
  IniFile* f = &empty;
  if (hadFile)
  {
    f = ParsedOf(path.c_str(), fd, st);
    close(fd);
    if (!f) return FALSE;
  }
  if (!Apply(*f, sec, key, value)) return TRUE;

  // The kept form now differs from the file until the new one replaces it.
  std::string text = Serialise(*f);
  const bool written = ReplaceFile(path, dir, text, hadFile, st.st_mode & 07777);
  if (written && f == &sParsed.parsed)
  {
    sParsed.text.swap(text);
    sParsed.stampValid = false; // the next reading compares the contents
  }
  else if (f == &sParsed.parsed)
  {
    sParsed.Drop();
  }
  return written ? TRUE : FALSE;
}

} // namespace

DWORD GetPrivateProfileString(const char* section, const char* key, const char* def, char* buffer,
                              DWORD size, const char* file)
{
  if (!buffer || size == 0) return 0;
  std::string value;
  if (!LookUp(section, key, file, value)) value = def ? def : "";
  const size_t n = std::min((size_t)size - 1, value.size());
  memcpy(buffer, value.data(), n);
  buffer[n] = 0;
  return (DWORD)n;
}

int GetPrivateProfileInt(const char* section, const char* key, int def, const char* file)
{
  std::string value;
  if (!LookUp(section, key, file, value)) return def;
  // atoi's reading, limited to the int range instead of overflowing.
  const long long v = strtoll(value.c_str(), nullptr, 10);
  const int n = (int)std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v));
  if (n == 0 && (value.empty() || value[0] != '0')) return def;
  return n;
}

BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file)
{
  if (!file || !*file || !section) return FALSE;
  const std::string sec(Trim(section));
  if (sec.empty() || HasLineBreak(sec) || sec.find(']') != std::string::npos) return FALSE;
  std::string k, v;
  if (key)
  {
    k = Trim(key);
    if (k.empty() || HasLineBreak(k) || k.find('=') != std::string::npos || k[0] == '[' ||
        k[0] == ';' || k[0] == '#')
      return FALSE;
  }
  if (value)
  {
    v = value;
    if (HasLineBreak(v)) return FALSE;
  }

  // Write through a symbolic link to the file it names, not over the link.
  std::string path = file;
  struct stat lst;
  if (lstat(file, &lst) == 0 && S_ISLNK(lst.st_mode))
  {
    char* real = realpath(file, nullptr);
    if (!real) return FALSE;
    path = real;
    free(real);
  }
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".")
                          : slash == 0               ? "/"
                                                     : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

  const int lockfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lockfd < 0) return FALSE;
  while (flock(lockfd, LOCK_EX) != 0)
    if (errno != EINTR)
    {
      close(lockfd);
      return FALSE;
    }
  RemoveStaleTemporaries(dir, name);
  const BOOL result = ChangeLocked(path, dir, sec, key ? &k : nullptr, value ? &v : nullptr);
  close(lockfd); // releases the lock
  return result;
}
