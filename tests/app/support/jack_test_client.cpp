#include "jack_test_client.h"

#include <cstring>

#include <jack/midiport.h>

#include "test_util.h"

namespace
{
constexpr size_t kMidiRingSize = 1 << 16;
constexpr uint32_t kMaxMessage = 256;

// Reads one length-prefixed message into bytes; 0 when none is there whole.
uint32_t ReadMessage(jack_ringbuffer_t* rb, uint8_t (&bytes)[kMaxMessage])
{
  uint32_t size;
  if (jack_ringbuffer_read_space(rb) < sizeof(size)) return 0;
  jack_ringbuffer_peek(rb, (char*)&size, sizeof(size));
  if (jack_ringbuffer_read_space(rb) < sizeof(size) + size) return 0;
  jack_ringbuffer_read_advance(rb, sizeof(size));
  jack_ringbuffer_read(rb, (char*)bytes, size);
  return size;
}

// Writes one length-prefixed message in one go, so a reader on another
// thread sees all of it or nothing.
bool WriteMessage(jack_ringbuffer_t* rb, const uint8_t* bytes, uint32_t size)
{
  uint8_t record[sizeof(size) + kMaxMessage];
  if (size == 0 || size > kMaxMessage || jack_ringbuffer_write_space(rb) < sizeof(size) + size)
    return false;
  memcpy(record, &size, sizeof(size));
  memcpy(record + sizeof(size), bytes, size);
  jack_ringbuffer_write(rb, (const char*)record, sizeof(size) + size);
  return true;
}
} // namespace

JackTestClient::JackTestClient(bool audio, size_t recordFrames)
{
  mClient = jack_client_open("plenmora_test", JackNoStartServer, nullptr);
  if (!mClient) return;
  auto reg = [&](const std::string& name, const char* type, unsigned long flags)
  { return jack_port_register(mClient, name.c_str(), type, flags, 0); };
  for (int c = 1; audio && c <= 2; ++c)
  {
    mOuts.push_back(reg("out_" + std::to_string(c), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput));
    mIns.push_back(reg("in_" + std::to_string(c), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput));
  }
  mMidiOut = reg("midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
  mMidiIn = reg("midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  mMidiToSend = jack_ringbuffer_create(kMidiRingSize);
  mMidiReceived = jack_ringbuffer_create(kMidiRingSize);
  mSignals.resize(mOuts.size());
  mSignalPos.assign(mOuts.size(), 0);
  mRecording.assign(mIns.size(), std::vector<float>(recordFrames, 0.0f));
  jack_set_process_callback(
      mClient,
      [](jack_nframes_t n, void* arg)
      { return static_cast<JackTestClient*>(arg)->ProcessCycle(n); },
      this);
}

JackTestClient::~JackTestClient()
{
  if (!mClient) return;
  if (mActive) jack_deactivate(mClient);
  jack_client_close(mClient);
  jack_ringbuffer_free(mMidiToSend);
  jack_ringbuffer_free(mMidiReceived);
}

bool JackTestClient::StartRecording()
{
  // The process thread starts over at its next cycle and acknowledges.
  mRestartRecording = true;
  return WaitUntil([&] { return !mRestartRecording; }, 5000);
}

bool JackTestClient::WaitForFrames(size_t frames, int timeoutMs)
{
  return WaitUntil([&] { return mRecorded >= frames; }, timeoutMs);
}

bool JackTestClient::SendMidi(const std::vector<uint8_t>& bytes)
{
  return WriteMessage(mMidiToSend, bytes.data(), (uint32_t)bytes.size());
}

std::vector<std::vector<uint8_t>> JackTestClient::TakeMidi()
{
  std::vector<std::vector<uint8_t>> out;
  uint8_t bytes[kMaxMessage];
  while (const uint32_t n = ReadMessage(mMidiReceived, bytes)) out.emplace_back(bytes, bytes + n);
  return out;
}

bool JackTestClient::WaitForMidi(size_t count, int timeoutMs)
{
  return WaitUntil([&] { return mMidiCount >= count; }, timeoutMs);
}

int JackTestClient::ProcessCycle(jack_nframes_t nFrames)
{
  if (mRestartRecording)
  {
    mRecordingNow = true;
    mRecorded = 0;
    mRecordStartPos = mSignalPos.empty() ? 0 : mSignalPos[0];
    mRestartRecording = false;
  }
  for (size_t c = 0; c < mOuts.size(); ++c)
  {
    float* out = (float*)jack_port_get_buffer(mOuts[c], nFrames);
    const std::vector<float>& sig = mSignals[c];
    for (jack_nframes_t i = 0; i < nFrames; ++i)
    {
      out[i] = sig.empty() ? 0.0f : sig[mSignalPos[c]];
      if (!sig.empty() && ++mSignalPos[c] == sig.size()) mSignalPos[c] = 0;
    }
  }
  if (mRecordingNow)
  {
    const size_t at = mRecorded, capacity = mRecording.empty() ? 0 : mRecording[0].size();
    const size_t n = std::min<size_t>(nFrames, capacity - std::min(at, capacity));
    for (size_t c = 0; c < mIns.size(); ++c)
      memcpy(mRecording[c].data() + at, jack_port_get_buffer(mIns[c], nFrames), n * sizeof(float));
    mRecorded = at + n;
  }
  void* buf = jack_port_get_buffer(mMidiOut, nFrames);
  jack_midi_clear_buffer(buf);
  uint8_t bytes[kMaxMessage];
  while (const uint32_t n = ReadMessage(mMidiToSend, bytes))
    jack_midi_event_write(buf, 0, bytes, n);
  buf = jack_port_get_buffer(mMidiIn, nFrames);
  const uint32_t n = jack_midi_get_event_count(buf);
  jack_midi_event_t ev;
  for (uint32_t e = 0; e < n; ++e)
    if (jack_midi_event_get(&ev, buf, e) == 0 &&
        WriteMessage(mMidiReceived, ev.buffer, (uint32_t)ev.size))
      ++mMidiCount;
  ++mCycles;
  return 0;
}
