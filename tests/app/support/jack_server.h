// A JACK server with the dummy backend, started and stopped by a test or a
// benchmark: 2 capture and 2 playback channels, 44100 Hz and 512 frames
// unless told otherwise.
#pragma once

#include <string>
#include <sys/types.h>

class JackServer
{
public:
  explicit JackServer(std::string name, int rate = 44100, int period = 512)
      : mName(std::move(name)), mRate(rate), mPeriod(period)
  {
  }
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
  int mRate, mPeriod;
  pid_t mPid = -1;
};
