// Profile files.
//
// How a file is read:
// - Lines end in LF or CRLF; a UTF-8 byte-order mark at the start is skipped.
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
// How a file is written: the whole file is rewritten, only when the value of
// a key really changes (or a key or section is removed). Sections are sorted
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
// no lock: a rename replaces the file in one step.
#include "swell-ini.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

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

struct IniFile
{
  std::vector<IniSection> sections; // sections[0] holds the lines before any header
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s)
{
  size_t a = 0, b = s.size();
  while (a < b && IsBlank(s[a])) a++;
  while (b > a && IsBlank(s[b - 1])) b--;
  return s.substr(a, b - a);
}

bool SameName(const std::string& a, const char* b) { return !strcasecmp(a.c_str(), b); }

bool IsQuote(char c) { return c == '"' || c == '\''; }

// What a reader makes of a raw value.
std::string DecodeValue(const std::string& raw)
{
  std::string v = Trim(raw);
  if (v.size() >= 2 && IsQuote(v[0]) && v.back() == v[0]) v = v.substr(1, v.size() - 2);
  return v;
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
  f.sections.emplace_back();
  f.sections[0].header = false;
  IniSection* cur = &f.sections[0];

  size_t pos = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos < text.size())
  {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();

    const std::string t = Trim(line);
    if (t.empty()) continue;
    if (t[0] == '[')
    {
      const size_t close = t.find(']');
      if (close != std::string::npos)
      {
        const std::string name = Trim(t.substr(1, close - 1));
        cur = nullptr;
        for (size_t i = 1; i < f.sections.size() && !cur; i++)
          if (SameName(f.sections[i].name, name.c_str())) cur = &f.sections[i];
        if (!cur)
        {
          f.sections.emplace_back();
          cur = &f.sections.back();
          cur->name = name;
        }
        continue;
      }
    }
    const size_t eq = line.find('=');
    if (t[0] != ';' && t[0] != '#' && eq != std::string::npos)
    {
      std::string key = Trim(line.substr(0, eq));
      if (!key.empty())
      {
        cur->keys.push_back({key, line.substr(eq + 1)});
        continue;
      }
    }
    cur->other.push_back(line);
  }
}

std::string Serialise(IniFile& f)
{
  auto less = [](const std::string& a, const std::string& b)
  { return strcasecmp(a.c_str(), b.c_str()) < 0; };
  std::stable_sort(f.sections.begin() + 1, f.sections.end(),
                   [&](const IniSection& a, const IniSection& b) { return less(a.name, b.name); });
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

// Reads a whole file. Returns 1 when read, 0 when it does not exist, -1 on
// any other failure. With mode non-null, also gives the file's permissions.
int ReadWholeFile(const char* path, std::string& text, mode_t* mode)
{
  text.clear();
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? 0 : -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
  {
    close(fd);
    return -1;
  }
  if (mode) *mode = st.st_mode & 07777;
  char buf[16384];
  for (;;)
  {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
    {
      close(fd);
      return -1;
    }
    if (n == 0) break;
    text.append(buf, (size_t)n);
  }
  close(fd);
  return 1;
}

const IniKey* FindKey(const IniFile& f, const char* section, const char* key)
{
  for (size_t i = 1; i < f.sections.size(); i++)
    if (SameName(f.sections[i].name, section))
    {
      for (const IniKey& k : f.sections[i].keys)
        if (SameName(k.key, key)) return &k;
      return nullptr;
    }
  return nullptr;
}

// The value of a key, or false when the key (or the file) is missing.
bool LookUp(const char* section, const char* key, const char* file, std::string& value)
{
  if (!section || !key || !file) return false;
  std::string text;
  if (ReadWholeFile(file, text, nullptr) != 1) return false;
  IniFile f;
  Parse(text, f);
  const IniKey* k = FindKey(f, section, key);
  if (!k) return false;
  value = DecodeValue(k->raw);
  return true;
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// Applies the change; returns true when the file's contents change.
bool Apply(IniFile& f, const std::string& section, const std::string* key, const std::string* value)
{
  IniSection* s = nullptr;
  size_t si = 0;
  for (size_t i = 1; i < f.sections.size() && !s; i++)
    if (SameName(f.sections[i].name, section.c_str())) s = &f.sections[si = i];

  if (!key)
  {
    if (!s) return false;
    f.sections.erase(f.sections.begin() + si);
    return true;
  }
  if (!value)
  {
    if (!s) return false;
    const size_t before = s->keys.size();
    s->keys.erase(std::remove_if(s->keys.begin(), s->keys.end(),
                                 [&](const IniKey& k) { return SameName(k.key, key->c_str()); }),
                  s->keys.end());
    return s->keys.size() != before;
  }
  if (!s)
  {
    f.sections.emplace_back();
    s = &f.sections.back();
    s->name = section;
  }
  for (IniKey& k : s->keys)
    if (SameName(k.key, key->c_str()))
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
    tmp = path + ".tmp-" + suffix;
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
  const std::string sec = Trim(section);
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

  const int lockfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lockfd < 0) return FALSE;
  while (flock(lockfd, LOCK_EX) != 0)
    if (errno != EINTR)
    {
      close(lockfd);
      return FALSE;
    }

  BOOL result = FALSE;
  std::string text;
  mode_t mode = 0;
  const int have = ReadWholeFile(path.c_str(), text, &mode);
  if (have >= 0) // never replace a file that exists but cannot be read
  {
    IniFile f;
    Parse(text, f);
    if (!Apply(f, sec, key ? &k : nullptr, value ? &v : nullptr))
      result = TRUE;
    else
      result = ReplaceFile(path, dir, Serialise(f), have == 1, mode) ? TRUE : FALSE;
  }
  close(lockfd); // releases the lock
  return result;
}
