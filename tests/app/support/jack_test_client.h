// A JACK client of the tests' own: it plays looped signals out of its audio
// output ports, records what reaches its audio input ports, sends queued MIDI
// messages out of its MIDI output ports and records the MIDI that reaches its
// MIDI input port. It runs on the server named by JACK_DEFAULT_SERVER.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <jack/jack.h>
#include <jack/ringbuffer.h>

class JackTestClient
{
public:
  struct Options
  {
    std::string name = "plenmora_test";
    int audioOuts = 2;       // "out_1", "out_2", ...
    int audioIns = 2;        // "in_1", "in_2", ...
    int midiOuts = 1;        // "midi_out_1", ...
    bool midiIn = true;      // "midi_in"
    size_t recordFrames = 0; // capacity of the audio recording, per channel
  };

  explicit JackTestClient(const Options& options);
  ~JackTestClient();
  JackTestClient(const JackTestClient&) = delete;
  JackTestClient& operator=(const JackTestClient&) = delete;

  bool IsOpen() const { return mClient != nullptr; }
  std::string Name() const;
  std::string PortName(const char* shortName) const { return Name() + ":" + shortName; }
  jack_client_t* Client() const { return mClient; }

  // Signals must be set before Activate(); each plays in a loop from the
  // first cycle, output channel c playing signals[c].
  void SetSignal(int channel, std::vector<float> samples);
  bool Activate();
  void Deactivate();

  // Audio recording: starts over with the next cycle; false when the client
  // runs no cycles.
  bool StartRecording();
  size_t RecordedFrames() const { return mRecorded.load(std::memory_order_acquire); }
  // Waits (up to timeoutMs) until frames frames are recorded.
  bool WaitForFrames(size_t frames, int timeoutMs);
  const std::vector<float>& Recording(int channel) const { return mRecording[channel]; }
  // Position in channel 0's loop of the first recorded frame.
  size_t RecordStartSignalPos() const { return mRecordStartPos.load(std::memory_order_acquire); }
  uint64_t CyclesRun() const { return mCycles.load(std::memory_order_acquire); }

  // MIDI: bytes go out of MIDI output port `port` in the next cycle.
  bool SendMidi(const std::vector<uint8_t>& bytes, int port = 0);
  // Everything received on the MIDI input port so far.
  std::vector<std::vector<uint8_t>> TakeMidi();
  // Waits until at least count messages were received (TakeMidi not counted).
  bool WaitForMidi(size_t count, int timeoutMs);

  bool Connect(const std::string& from, const std::string& to);

private:
  static int Process(jack_nframes_t nFrames, void* arg);
  int ProcessCycle(jack_nframes_t nFrames);

  jack_client_t* mClient = nullptr;
  std::vector<jack_port_t*> mOuts, mIns, mMidiOuts;
  jack_port_t* mMidiIn = nullptr;
  std::vector<std::vector<float>> mSignals;
  std::vector<size_t> mSignalPos;
  std::vector<std::vector<float>> mRecording;
  std::atomic<bool> mRestartRecording{false};
  bool mRecordingNow = false; // process thread only
  std::atomic<size_t> mRecorded{0};
  std::atomic<size_t> mRecordStartPos{0};
  std::atomic<uint64_t> mCycles{0};
  std::vector<jack_ringbuffer_t*> mMidiToSend;
  jack_ringbuffer_t* mMidiReceived = nullptr;
  std::vector<std::vector<uint8_t>> mMidiTaken;
  std::atomic<size_t> mMidiCount{0};
  bool mActive = false;
};
