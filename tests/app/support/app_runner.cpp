#include "app_runner.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::vector<std::string> AppResult::ScriptLines() const
{
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("script: ", 0) == 0) lines.push_back(line.substr(8));
  return lines;
}

std::string AppResult::ScriptLine(const std::string& prefix) const
{
  for (const std::string& line : ScriptLines())
    if (line.rfind(prefix, 0) == 0) return line;
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
    if (line.rfind(prefix, 0) != 0 || occurrence-- > 0) continue;
    d.found = true;
    d.sel = atoi(line.c_str() + prefix.size());
    const size_t at = line.find(" items=");
    // "a|b|c"; nothing after "items=" is an empty list.
    for (size_t start = at + 7; at != std::string::npos && start < line.size();)
    {
      const size_t bar = std::min(line.find('|', start), line.size());
      d.items.push_back(line.substr(start, bar - start));
      start = bar + 1;
    }
    break;
  }
  return d;
}

std::string AppResult::State(const std::string& key, int occurrence) const
{
  for (const std::string& line : ScriptLines())
  {
    if (line.rfind("state ", 0) != 0 || occurrence-- > 0) continue;
    // Fields are "key=value" separated by blanks; values hold no " key=".
    const size_t at = line.find(" " + key + "=");
    if (at == std::string::npos) return "";
    const size_t start = at + key.size() + 2;
    const size_t eq = line.find('=', start);
    const size_t end = eq == std::string::npos ? line.size() : line.rfind(' ', eq);
    return line.substr(start, end - start);
  }
  return "";
}

AppSandbox::~AppSandbox()
{
  if (mPid > 0)
  {
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
  }
}

std::string AppSandbox::Setting(const std::string& section, const std::string& key) const
{
  std::istringstream in(ReadFile(SettingsPath()));
  std::string line, current;
  while (std::getline(in, line))
  {
    if (!line.empty() && line[0] == '[')
      current = line.substr(1, line.find(']') - 1);
    else if (current == section && line.rfind(key + "=", 0) == 0)
      return line.substr(key.size() + 1);
  }
  return "";
}

void AppSandbox::Start(const std::vector<std::string>& script)
{
  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e)
    if (const char* eq = strchr(*e, '=')) env[std::string(*e, (size_t)(eq - *e))] = eq + 1;
  env["HOME"] = Home();
  env["XDG_CONFIG_HOME"] = Home() + "/.config";
  env.erase("PLENMORA_TEST_SCRIPT");
  if (!script.empty())
  {
    std::string text;
    for (const std::string& step : script) text += step + "\n";
    WriteFile(Home() + "/script.txt", text);
    env["PLENMORA_TEST_SCRIPT"] = Home() + "/script.txt";
  }
  for (const auto& kv : mEnv) env[kv.first] = kv.second;
  std::vector<std::string> envStrings;
  for (const auto& kv : env) envStrings.push_back(kv.first + "=" + kv.second);
  std::vector<char*> envp;
  for (std::string& s : envStrings) envp.push_back(&s[0]);
  envp.push_back(nullptr);

  const std::string outPath = Home() + "/stdout.txt", errPath = Home() + "/stderr.txt";
  fflush(nullptr);
  mPid = fork();
  if (mPid == 0)
  {
    dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    dup2(open("/dev/null", O_RDONLY), 0);
#ifdef PLENMORA_EXE
    char* argv[] = {const_cast<char*>(PLENMORA_EXE), nullptr};
    execve(PLENMORA_EXE, argv, envp.data());
#endif
    _exit(127);
  }
}

bool AppSandbox::WaitForOutput(const std::string& text, int timeoutMs) const
{
  return WaitUntil([&] { return OutputSoFar().find(text) != std::string::npos; }, timeoutMs);
}

AppResult AppSandbox::Wait(double timeoutSeconds)
{
  AppResult r;
  int status = 0;
  const bool ended = mPid > 0 && WaitUntil([&] { return waitpid(mPid, &status, WNOHANG) == mPid; },
                                           (int)(timeoutSeconds * 1000));
  if (!ended && mPid > 0)
  {
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
  }
  r.exited = ended && WIFEXITED(status);
  r.status = r.exited ? WEXITSTATUS(status) : -1;
  mPid = -1;
  r.out = OutputSoFar();
  r.err = ReadFile(Home() + "/stderr.txt");
  return r;
}
