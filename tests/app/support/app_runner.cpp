#include "app_runner.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

std::string ReadWholeFile(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string RunCommand(const std::string& command, int* status)
{
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p)
  {
    if (status) *status = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
  const int st = pclose(p);
  if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::vector<std::string> SplitItems(const std::string& items)
{
  std::vector<std::string> parts;
  if (items.empty()) return parts;
  size_t start = 0;
  for (;;)
  {
    const size_t bar = items.find('|', start);
    parts.push_back(items.substr(start, bar == std::string::npos ? bar : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return parts;
}

std::vector<std::string> AppResult::ScriptLines() const
{
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string line;
  const std::string prefix = "script: ";
  while (std::getline(in, line))
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
  return lines;
}

std::string AppResult::ScriptLine(const std::string& prefix) const
{
  for (const std::string& line : ScriptLines())
    if (line.compare(0, prefix.size(), prefix) == 0) return line;
  return "";
}

int AppResult::Count(const std::string& text) const
{
  int n = 0;
  for (size_t pos = out.find(text); pos != std::string::npos; pos = out.find(text, pos + 1)) ++n;
  return n;
}

AppResult::ComboDump AppResult::Combo(int id, int occurrence) const
{
  ComboDump d;
  const std::string prefix = "combo " + std::to_string(id) + " sel=";
  for (const std::string& line : ScriptLines())
  {
    if (line.compare(0, prefix.size(), prefix) != 0) continue;
    if (occurrence-- > 0) continue;
    d.found = true;
    d.sel = atoi(line.c_str() + prefix.size());
    const size_t items = line.find(" items=");
    if (items != std::string::npos) d.items = SplitItems(line.substr(items + 7));
    break;
  }
  return d;
}

std::string AppResult::State(const std::string& key, int occurrence) const
{
  for (const std::string& line : ScriptLines())
  {
    if (line.compare(0, 6, "state ") != 0) continue;
    if (occurrence-- > 0) continue;
    // Fields are "key=value" separated by blanks; values hold no " key=".
    const std::string tag = " " + key + "=";
    const size_t at = line.find(tag);
    if (at == std::string::npos) return "";
    const size_t start = at + tag.size();
    size_t end = line.find('=', start);
    end = end == std::string::npos ? line.size() : line.rfind(' ', end);
    return line.substr(start, end - start);
  }
  return "";
}

AppSandbox::AppSandbox()
{
  char tmpl[] = "/tmp/plenmora-app-test.XXXXXX";
  const char* dir = mkdtemp(tmpl);
  mHome = dir ? dir : "/tmp";
}

AppSandbox::~AppSandbox()
{
  if (mPid > 0)
  {
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
  }
  if (mHome.rfind("/tmp/plenmora-app-test.", 0) == 0) RunCommand("rm -rf '" + mHome + "'");
}

std::string AppSandbox::SettingsPath() const { return mHome + "/.config/Plenmora/settings.ini"; }

void AppSandbox::WriteSettings(const std::string& text)
{
  mkdir((mHome + "/.config").c_str(), 0777);
  mkdir((mHome + "/.config/Plenmora").c_str(), 0777);
  std::ofstream(SettingsPath(), std::ios::binary) << text;
}

std::string AppSandbox::ReadSettings() const { return ReadWholeFile(SettingsPath()); }

bool AppSandbox::SettingsExist() const
{
  struct stat st;
  return stat(SettingsPath().c_str(), &st) == 0;
}

std::string AppSandbox::Setting(const std::string& section, const std::string& key) const
{
  std::istringstream in(ReadSettings());
  std::string line, current;
  while (std::getline(in, line))
  {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[')
    {
      current = line.substr(1, line.find(']') - 1);
      continue;
    }
    const size_t eq = line.find('=');
    if (current == section && eq != std::string::npos && line.substr(0, eq) == key)
      return line.substr(eq + 1);
  }
  return "";
}

pid_t AppSandbox::Start(const std::vector<std::string>& script)
{
  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e)
  {
    const char* eq = strchr(*e, '=');
    if (eq) env[std::string(*e, (size_t)(eq - *e))] = eq + 1;
  }
  env["HOME"] = mHome;
  env["XDG_CONFIG_HOME"] = mHome + "/.config";
  env.erase("PLENMORA_TEST_SCRIPT");
  if (!script.empty())
  {
    const std::string path = mHome + "/script.txt";
    std::ofstream f(path);
    for (const std::string& step : script) f << step << "\n";
    env["PLENMORA_TEST_SCRIPT"] = path;
  }
  for (const auto& kv : mEnv) env[kv.first] = kv.second;

  std::vector<std::string> envStrings;
  for (const auto& kv : env) envStrings.push_back(kv.first + "=" + kv.second);
  std::vector<char*> envp;
  for (std::string& s : envStrings) envp.push_back(&s[0]);
  envp.push_back(nullptr);

  const std::string outPath = mHome + "/stdout.txt", errPath = mHome + "/stderr.txt";
  fflush(nullptr);
  mPid = fork();
  if (mPid == 0)
  {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open("/dev/null", O_RDONLY);
    dup2(out, 1);
    dup2(err, 2);
    dup2(in, 0);
#ifdef PLENMORA_EXE
    char* argv[] = {const_cast<char*>(PLENMORA_EXE), nullptr};
    execve(PLENMORA_EXE, argv, envp.data());
#endif
    _exit(127);
  }
  return mPid;
}

AppResult AppSandbox::Wait(double timeoutSeconds)
{
  AppResult r;
  if (mPid <= 0) return r;
  int status = 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds((int)(timeoutSeconds * 1000));
  bool done = false;
  while (!done && std::chrono::steady_clock::now() < deadline)
  {
    const pid_t w = waitpid(mPid, &status, WNOHANG);
    if (w == mPid)
      done = true;
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!done)
  {
    kill(mPid, SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (waitpid(mPid, &status, WNOHANG) != mPid)
    {
      kill(mPid, SIGKILL);
      waitpid(mPid, &status, 0);
    }
  }
  else
  {
    r.exited = WIFEXITED(status);
    r.status = r.exited ? WEXITSTATUS(status) : -1;
  }
  mPid = -1;
  r.out = ReadWholeFile(mHome + "/stdout.txt");
  r.err = ReadWholeFile(mHome + "/stderr.txt");
  return r;
}

AppResult AppSandbox::Run(const std::vector<std::string>& script, double timeoutSeconds)
{
  Start(script);
  return Wait(timeoutSeconds);
}

std::string AppSandbox::OutputSoFar() const { return ReadWholeFile(mHome + "/stdout.txt"); }
