// Runs the real Plenmora executable for a test or a benchmark: in a fresh
// home folder, with its settings file and an optional script for the
// application's test hook (PLENMORA_TEST_SCRIPT), capturing standard output
// and error. The X and JACK servers come from the environment.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "test_util.h"

struct AppResult
{
  bool ok = false; // ended by itself with exit status 0
  std::string out, err;

  // The first line that the test hook printed starting with prefix, without
  // its "script: " ("" when none).
  std::string ScriptLine(const std::string& prefix) const;
};

class AppSandbox
{
public:
  ~AppSandbox() { EndProcess(mPid, SIGKILL, 5000); }

  const std::string& Home() const { return mHome.Path(); }
  std::string SettingsFile() const { return Home() + "/.config/Plenmora/settings.ini"; }
  void WriteSettings(const std::string& text) { WriteFile(SettingsFile(), text); }
  // Whether "settings.ini" holds each of these lines ("key=value").
  bool SettingsHold(std::initializer_list<std::string> lines) const;

  // Starts program (a shell command; the application when not given) in the
  // home folder with the script's steps (none when empty).
  void Start(const std::vector<std::string>& script,
             const std::string& program = "'" PLENMORA_EXE "'");
  // Waits until the running application has printed text.
  bool WaitForOutput(const std::string& text, int timeoutMs = 20000) const;
  // Waits for the started application to end (killed after timeoutSeconds).
  AppResult Wait(double timeoutSeconds = 60);
  AppResult Run(const std::vector<std::string>& script, double timeoutSeconds = 60)
  {
    Start(script);
    return Wait(timeoutSeconds);
  }
  std::string OutputSoFar() const { return ReadFile(Home() + "/stdout.txt"); }
  std::string ErrorsSoFar() const { return ReadFile(Home() + "/stderr.txt"); }
  // The running application's process (-1 when none).
  pid_t Pid() const { return mPid; }

private:
  TempDir mHome;
  pid_t mPid = -1;
};
