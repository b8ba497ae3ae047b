#include "app_runner.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::string AppResult::ScriptLine(const std::string& prefix) const
{
  const size_t at = out.find("script: " + prefix);
  return at == std::string::npos ? "" : out.substr(at + 8, out.find('\n', at) - at - 8);
}

int AppResult::Count(const std::string& text) const
{
  int n = 0;
  for (size_t pos = out.find(text); pos != std::string::npos; pos = out.find(text, pos + 1)) ++n;
  return n;
}

AppResult::ComboDump AppResult::Combo(int id) const
{
  ComboDump d;
  const std::string line = ScriptLine("combo " + std::to_string(id) + " sel=");
  const size_t at = line.find(" items=");
  if (at == std::string::npos) return d;
  d.found = true;
  d.sel = atoi(line.c_str() + line.find('=') + 1);
  std::istringstream items(line.substr(at + 7)); // "a|b|c"
  for (std::string item; std::getline(items, item, '|');) d.items.push_back(item);
  return d;
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
  std::istringstream in(ReadFile(SettingsFile()));
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
  std::string text;
  for (const std::string& step : script) text += step + "\n";
  WriteFile(Home() + "/script.txt", text);
  // The test's environment, but for what says where the run's files are.
  std::vector<std::string> env = {"HOME=" + Home(), "XDG_CONFIG_HOME=" + Home() + "/.config"};
  if (!script.empty()) env.push_back("PLENMORA_TEST_SCRIPT=" + Home() + "/script.txt");
  for (char** e = environ; *e; ++e)
    if (strncmp(*e, "HOME=", 5) && strncmp(*e, "XDG_CONFIG_HOME=", 16) &&
        strncmp(*e, "PLENMORA_TEST_SCRIPT=", 21))
      env.push_back(*e);
  std::vector<char*> envp;
  for (std::string& s : env) envp.push_back(&s[0]);
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
