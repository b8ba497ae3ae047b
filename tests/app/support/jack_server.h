// A JACK server with the dummy backend, started and stopped by a test:
// 44100 Hz, 512 frames, 2 capture and 2 playback channels.
#pragma once

#include <string>
#include <sys/types.h>

class JackServer
{
public:
  explicit JackServer(std::string name) : mName(std::move(name)) {}
  ~JackServer() { Stop(); }
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;

  // Starts jackd and waits until a client can connect; false when it did not
  // come up within timeoutMs.
  bool Start(int timeoutMs = 10000);
  // SIGTERM, then waits for jackd to exit (SIGKILL only when it hangs).
  // Returns whether it was running.
  bool Stop();
  const std::string& Name() const { return mName; }

private:
  std::string mName;
  pid_t mPid = -1;
};
