#include "jack_server.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <jack/jack.h>

#include "test_util.h"

extern char** environ;

namespace
{
bool CanConnect(const std::string& name)
{
  jack_status_t status;
  jack_client_t* c =
      jack_client_open("plenmora_probe", (jack_options_t)(JackNoStartServer | JackServerName),
                       &status, name.c_str());
  if (!c) return false;
  jack_client_close(c);
  return true;
}
} // namespace

bool JackServer::Start(int timeoutMs)
{
  if (mPid > 0) return true;
  const std::string log = "/tmp/" + mName + ".log";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<std::string> args = {"jackd", "-n",
                                   mName,   "--no-realtime",
                                   "-d",    "dummy",
                                   "-r",    std::to_string(mRate),
                                   "-p",    std::to_string(mPeriod),
                                   "-C",    "2",
                                   "-P",    "2"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int rc = posix_spawnp(&mPid, "jackd", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
  {
    mPid = -1;
    return false;
  }
  bool exited = false;
  const bool up = WaitUntil(
      [&] { return CanConnect(mName) || (exited = waitpid(mPid, nullptr, WNOHANG) == mPid); },
      timeoutMs);
  if (exited) mPid = -1;
  if (up && !exited) return true;
  Stop();
  return false;
}

bool JackServer::Stop()
{
  if (mPid <= 0) return false;
  kill(mPid, SIGTERM);
  if (!WaitUntil([&] { return waitpid(mPid, nullptr, WNOHANG) == mPid; }, 5000))
  {
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
  }
  mPid = -1;
  return true;
}
