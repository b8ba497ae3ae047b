// Runs X clients (xdotool, import) for the tests that drive windows from
// outside.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

// Runs command (a shell command line whose X client's standard error is left
// to this function) and returns its standard output without the trailing
// newline; *ok tells whether it exited with status 0. The X server hangs up
// a new connection at once now and then while other clients come and go (on
// a busy machine more often), so a client that could not open the display is
// run again, up to ten times.
inline std::string RunXClient(const std::string& command, bool* ok = nullptr)
{
  const std::string errors = "/tmp/plenmora-x-client." + std::to_string(getpid());
  std::string out;
  int status = -1;
  for (int attempt = 0; attempt < 10; ++attempt)
  {
    out.clear();
    FILE* p = popen(("{ " + command + "\n} 2>'" + errors + "'").c_str(), "r");
    char buf[4096];
    size_t n;
    while (p && (n = fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
    status = p ? pclose(p) : -1;
    std::ifstream in(errors);
    const std::string said{std::istreambuf_iterator<char>(in), {}};
    if (said.find("open display") == std::string::npos &&
        said.find("open X server") == std::string::npos)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  unlink(errors.c_str());
  while (!out.empty() && out.back() == '\n') out.pop_back();
  if (ok) *ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return out;
}
