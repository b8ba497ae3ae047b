// A JACK client of the tests' own, "plenmora_test": it plays looped signals
// out of its audio output ports, records what reaches its audio input ports,
// sends queued MIDI messages out of its MIDI output port and records the MIDI
// that reaches its MIDI input port. It runs on the server named by
// JACK_DEFAULT_SERVER.
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
  // Two audio ports each way ("out_1", "out_2", "in_1", "in_2") when audio,
  // recording up to recordFrames per channel; MIDI ports "midi_out" and
  // "midi_in".
  explicit JackTestClient(bool audio, size_t recordFrames = 0);
  ~JackTestClient();
  JackTestClient(const JackTestClient&) = delete;
  JackTestClient& operator=(const JackTestClient&) = delete;

  bool IsOpen() const { return mClient != nullptr; }
  std::string PortName(const char* shortName) const
  {
    return std::string(jack_get_client_name(mClient)) + ":" + shortName;
  }

  // Signals must be set before Activate(); output channel c plays
  // signals[c] in a loop from the first cycle.
  void SetSignal(int channel, std::vector<float> samples)
  {
    mSignals[channel] = std::move(samples);
  }
  bool Activate() { return mActive = mClient && jack_activate(mClient) == 0; }

  // Audio recording: starts over with the next cycle; false when the client
  // runs no cycles.
  bool StartRecording();
  // Waits (up to timeoutMs) until frames frames are recorded.
  bool WaitForFrames(size_t frames, int timeoutMs);
  const std::vector<float>& Recording(int channel) const { return mRecording[channel]; }
  // Position in channel 0's loop of the first recorded frame.
  size_t RecordStartSignalPos() const { return mRecordStartPos.load(); }
  uint64_t CyclesRun() const { return mCycles.load(); }

  // MIDI: bytes go out of "midi_out" in the next cycle.
  bool SendMidi(const std::vector<uint8_t>& bytes);
  // Everything received on the MIDI input port since the last call.
  std::vector<std::vector<uint8_t>> TakeMidi();
  // Waits until at least count messages were received in all.
  bool WaitForMidi(size_t count, int timeoutMs);

  bool Connect(const std::string& from, const std::string& to)
  {
    return jack_connect(mClient, from.c_str(), to.c_str()) == 0;
  }

private:
  int ProcessCycle(jack_nframes_t nFrames);

  jack_client_t* mClient = nullptr;
  std::vector<jack_port_t*> mOuts, mIns;
  jack_port_t *mMidiOut = nullptr, *mMidiIn = nullptr;
  std::vector<std::vector<float>> mSignals, mRecording;
  std::vector<size_t> mSignalPos;
  std::atomic<bool> mRestartRecording{false};
  bool mRecordingNow = false; // process thread only
  std::atomic<size_t> mRecorded{0}, mRecordStartPos{0}, mMidiCount{0};
  std::atomic<uint64_t> mCycles{0};
  // Length-prefixed messages: to send, and received.
  jack_ringbuffer_t* mMidiToSend = nullptr;
  jack_ringbuffer_t* mMidiReceived = nullptr;
  bool mActive = false;
};
