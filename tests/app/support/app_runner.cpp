#include "app_runner.h"

std::string AppResult::ScriptLine(const std::string& prefix) const
{
  const size_t at = out.find("script: " + prefix);
  return at == std::string::npos ? "" : out.substr(at + 8, out.find('\n', at) - at - 8);
}

bool AppSandbox::SettingsHold(std::initializer_list<std::string> lines) const
{
  const std::string file = "\n" + ReadFile(SettingsFile());
  for (const std::string& line : lines)
    if (file.find("\n" + line + "\n") == std::string::npos) return false;
  return true;
}

void AppSandbox::Start(const std::vector<std::string>& script, const std::string& program)
{
  std::string text;
  for (const std::string& step : script) text += step + "\n";
  WriteFile(Home() + "/script.txt", text);
  const std::string home = "'" + Home() + "'";
  mPid = Spawn("cd " + home + " && HOME=" + home + " XDG_CONFIG_HOME=" + home +
               "/.config PLENMORA_TEST_SCRIPT=" + (script.empty() ? "" : home + "/script.txt") +
               " exec " + program + " </dev/null >stdout.txt 2>stderr.txt");
}

bool AppSandbox::WaitForOutput(const std::string& text, int timeoutMs) const
{
  return WaitUntil([&] { return OutputSoFar().find(text) != std::string::npos; }, timeoutMs);
}

AppResult AppSandbox::Wait(double timeoutSeconds)
{
  AppResult r;
  const int status = EndProcess(mPid, 0, (int)(timeoutSeconds * 1000));
  r.ok = mPid > 0 && status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  mPid = -1;
  r.out = OutputSoFar();
  r.err = ReadFile(Home() + "/stderr.txt");
  return r;
}
