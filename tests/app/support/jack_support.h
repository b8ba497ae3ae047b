// JACK for the host tests and benchmarks: a server of their own with the
// dummy backend, and a client that plays signals into the program, records
// what comes back and sends and receives MIDI.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include "test_util.h"

// 2 capture and 2 playback channels, 44100 Hz and 512 frames unless told
// otherwise; stopped at the latest when it goes out of scope.
class JackServer
{
public:
  explicit JackServer(std::string name, int rate = 44100, int period = 512, int channels = 2)
      : mName(std::move(name)), mRate(rate), mPeriod(period), mChannels(channels)
  {
  }
  ~JackServer() { Stop(); }
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;

  // Starts jackd and waits until a client can connect; false when it did not
  // come up within timeoutMs.
  bool Start(int timeoutMs = 10000);
  // SIGTERM, then waits for jackd to end.
  void Stop()
  {
    EndProcess(mPid, SIGTERM, 5000);
    mPid = -1;
  }
  const std::string& Name() const { return mName; }

private:
  std::string mName;
  int mRate, mPeriod, mChannels;
  pid_t mPid = -1;
};

// Noise of peak 0.5 for frames, then silence up to total frames.
std::vector<float> Noise(size_t frames, size_t total);

// "plenmora_test" on the server named by JACK_DEFAULT_SERVER, active from the
// start when it could open: audio ports "out_1", "out_2", "in_1", "in_2" and
// MIDI ports "midi_out", "midi_in". The outputs play left and right (of one
// length; right empty: left too) in a loop.
class JackTestClient
{
public:
  using Bytes = std::vector<uint8_t>;

  explicit JackTestClient(size_t recordFrames = 0, std::vector<float> left = {},
                          std::vector<float> right = {});
  ~JackTestClient();
  JackTestClient(const JackTestClient&) = delete;
  JackTestClient& operator=(const JackTestClient&) = delete;

  bool IsOpen() const { return mActive; }
  // Port names without a client name are the client's own; with connect
  // false, disconnects them.
  bool Connect(const std::string& from, const std::string& to, bool connect = true);

  // Audio recording, up to recordFrames per input from the first cycle on:
  // starts over with the next cycle unless told not to, and waits (up to
  // timeoutMs) until frames frames are recorded.
  bool Record(size_t frames, int timeoutMs, bool startOver = true);
  const std::vector<float>& Recording(int channel) const { return mRecording[channel]; }
  // Whether, within timeoutMs, a whole recording holds sound (a sample above
  // 0.01) on both inputs: what comes back from the program's stream, past its
  // silent start, through RtAudio's ports when the stream's devices are the
  // server's own, or the client's own when the program chose the client.
  bool HearsSound(int timeoutMs);

  // MIDI: bytes go out of "midi_out" in the next cycle.
  bool SendMidi(const Bytes& bytes);
  // What reached "midi_in" since the last call, once at least count messages
  // are there or timeoutMs passed.
  std::vector<Bytes> TakeMidi(size_t count, int timeoutMs);

private:
  int ProcessCycle(jack_nframes_t nFrames);

  jack_client_t* mClient = nullptr;
  bool mActive = false;
  jack_port_t *mOuts[2] = {}, *mIns[2] = {}, *mMidiOut = nullptr, *mMidiIn = nullptr;
  std::vector<float> mSignals[2], mRecording[2];
  size_t mSignalPos = 0; // process thread only
  std::atomic<bool> mRestartRecording{false};
  std::atomic<size_t> mRecorded{0};
  // Fixed-size records of MIDI messages: to send, and received.
  jack_ringbuffer_t* mMidiToSend = nullptr;
  jack_ringbuffer_t* mMidiReceived = nullptr;
};

// Watches the JACK server's clients for one process at a time: whether the
// client of a name went away while that process still ran, that is, was
// closed by the process itself and not torn away when the process ended.
class JackClientWatch
{
public:
  explicit JackClientWatch(std::string clientName);
  ~JackClientWatch();
  JackClientWatch(const JackClientWatch&) = delete;
  JackClientWatch& operator=(const JackClientWatch&) = delete;

  bool IsOpen() const { return mActive; }
  // From now on, watches for the client going away while pid (a child of
  // this process, not yet waited for) runs.
  void Follow(pid_t pid);
  // Waits up to timeoutMs for the client to go: 1 when it went while the
  // process ran, 0 when only after the process ended, -1 when it did not go.
  int ClosedWhileRunning(int timeoutMs) const;

private:
  std::string mName;
  jack_client_t* mClient = nullptr;
  bool mActive = false;
  std::atomic<pid_t> mPid{-1};
  std::atomic<int> mClosedWhileRunning{-1};
};
