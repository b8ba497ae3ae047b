// Small helpers shared by the host tests and benchmarks: waiting on a
// condition, whole files, shell commands and processes, environment variables
// and temporary folders.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

// Polls done() every few milliseconds until it holds or timeoutMs passed;
// returns done().
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done())
  {
    if (std::chrono::steady_clock::now() > end) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

inline std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Writes text to path, making the folders on the way.
inline void WriteFile(const std::string& path, const std::string& text)
{
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// text with the first occurrence of each fromTo[2i] replaced by fromTo[2i + 1].
inline std::string Replaced(std::string text, std::initializer_list<std::string> fromTo)
{
  for (auto it = fromTo.begin(); it != fromTo.end() && it + 1 != fromTo.end(); it += 2)
    text.replace(text.find(*it), it->size(), *(it + 1));
  return text;
}

// Occurrences of what in text.
inline int Count(const std::string& text, const std::string& what)
{
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Runs a shell command, returns its standard output without the trailing
// newline.
inline std::string RunCommand(const std::string& command)
{
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  char buf[4096];
  size_t n;
  while (p && (n = fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
  if (p) pclose(p);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// Starts a shell command with this process's environment; the process id,
// which stays the command's own when it starts with exec (-1 on failure).
inline pid_t Spawn(const std::string& command)
{
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  pid_t pid = -1;
  return posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) ? -1
                                                                                           : pid;
}

// Sends signal (none when 0) to a spawned process and waits up to timeoutMs
// for it to end, then kills it. Its wait status; -1 when it had to be killed.
inline int EndProcess(pid_t pid, int signal, int timeoutMs)
{
  int status = -1;
  if (pid <= 0) return -1;
  if (signal) kill(pid, signal);
  if (WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs)) return status;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// Sets (or, with nullptr, unsets) an environment variable for this scope.
class EnvScope
{
public:
  EnvScope(const char* name, const char* value) : mName(name)
  {
    if (const char* old = getenv(name)) mOld = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~EnvScope() { mOld ? setenv(mName.c_str(), mOld->c_str(), 1) : unsetenv(mName.c_str()); }
  EnvScope(const EnvScope&) = delete;
  EnvScope& operator=(const EnvScope&) = delete;

private:
  std::string mName;
  std::optional<std::string> mOld;
};

// A fresh folder under /tmp, removed with all it holds at the end.
class TempDir
{
public:
  TempDir()
  {
    char tmpl[] = "/tmp/plenmora-test.XXXXXX";
    mPath = mkdtemp(tmpl);
  }
  ~TempDir()
  {
    std::error_code ec;
    std::filesystem::remove_all(mPath, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return mPath; }

private:
  std::string mPath;
};
