// Runs the real Plenmora executable for a test: in a fresh home folder, with
// its settings file and an optional script for the application's test hook
// (PLENMORA_TEST_SCRIPT), capturing standard output and error. The X and JACK
// servers come from the environment that the test runner set up.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

struct AppResult
{
  bool exited = false; // false when it had to be killed, or died of a signal
  int status = -1;     // exit status when exited
  std::string out, err;

  // The lines that the test hook printed, without their "script: " prefix.
  std::vector<std::string> ScriptLines() const;
  // The script's lines starting with prefix (first one; "" when none).
  std::string ScriptLine(const std::string& prefix) const;
  int Count(const std::string& text) const; // occurrences in standard output

  // What the script's "dump" step printed for combo box id, at its
  // occurrence-th dump (found false when there is none).
  struct ComboDump
  {
    bool found = false;
    int sel = -2;
    std::vector<std::string> items;
  };
  ComboDump Combo(int id, int occurrence = 0) const;
  // A field of the occurrence-th "state" line ("" when missing).
  std::string State(const std::string& key, int occurrence = 0) const;
};

class AppSandbox
{
public:
  AppSandbox();
  ~AppSandbox();
  AppSandbox(const AppSandbox&) = delete;
  AppSandbox& operator=(const AppSandbox&) = delete;

  const std::string& Home() const { return mHome; }
  std::string SettingsPath() const;
  void WriteSettings(const std::string& text);
  std::string ReadSettings() const;
  bool SettingsExist() const;
  // The value of key in section of "settings.ini" ("" when missing).
  std::string Setting(const std::string& section, const std::string& key) const;

  // Extra environment for the application (replaces variables of that name).
  void SetEnv(const std::string& name, const std::string& value) { mEnv[name] = value; }

  // Starts the application with the script's steps (none when empty).
  pid_t Start(const std::vector<std::string>& script);
  // Waits for the started application to end (killed after timeoutSeconds).
  AppResult Wait(double timeoutSeconds = 60);
  // Start, then Wait.
  AppResult Run(const std::vector<std::string>& script, double timeoutSeconds = 60);
  // Standard output written so far by the running application.
  std::string OutputSoFar() const;

private:
  std::string mHome;
  std::map<std::string, std::string> mEnv;
  pid_t mPid = -1;
};

std::string ReadWholeFile(const std::string& path);
// Runs a shell command, returns its standard output (trailing newline cut).
std::string RunCommand(const std::string& command, int* status = nullptr);
// Splits "a|b|c".
std::vector<std::string> SplitItems(const std::string& items);
