#include "jack_test_client.h"

#include <cstring>

#include <jack/midiport.h>

#include "wait_until.h"

namespace
{
constexpr size_t kMidiRingSize = 1 << 16;
constexpr size_t kMaxMidiMessage = 256;
} // namespace

JackTestClient::JackTestClient(const Options& options)
{
  jack_status_t status;
  mClient = jack_client_open(options.name.c_str(), JackNoStartServer, &status);
  if (!mClient) return;
  char portName[64];
  for (int c = 0; c < options.audioOuts; ++c)
  {
    snprintf(portName, sizeof(portName), "out_%d", c + 1);
    mOuts.push_back(
        jack_port_register(mClient, portName, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0));
  }
  for (int c = 0; c < options.audioIns; ++c)
  {
    snprintf(portName, sizeof(portName), "in_%d", c + 1);
    mIns.push_back(
        jack_port_register(mClient, portName, JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0));
  }
  for (int p = 0; p < options.midiOuts; ++p)
  {
    snprintf(portName, sizeof(portName), "midi_out_%d", p + 1);
    mMidiOuts.push_back(
        jack_port_register(mClient, portName, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0));
    mMidiToSend.push_back(jack_ringbuffer_create(kMidiRingSize));
  }
  if (options.midiIn)
  {
    mMidiIn = jack_port_register(mClient, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    mMidiReceived = jack_ringbuffer_create(kMidiRingSize);
  }
  mSignals.resize(mOuts.size());
  mSignalPos.assign(mOuts.size(), 0);
  mRecording.assign(mIns.size(), std::vector<float>(options.recordFrames, 0.0f));
  jack_set_process_callback(mClient, Process, this);
}

JackTestClient::~JackTestClient()
{
  if (mClient)
  {
    Deactivate();
    jack_client_close(mClient);
  }
  for (jack_ringbuffer_t* rb : mMidiToSend) jack_ringbuffer_free(rb);
  if (mMidiReceived) jack_ringbuffer_free(mMidiReceived);
}

std::string JackTestClient::Name() const { return mClient ? jack_get_client_name(mClient) : ""; }

void JackTestClient::SetSignal(int channel, std::vector<float> samples)
{
  mSignals[channel] = std::move(samples);
  mSignalPos[channel] = 0;
}

bool JackTestClient::Activate()
{
  if (!mClient || mActive) return mActive;
  mActive = jack_activate(mClient) == 0;
  return mActive;
}

void JackTestClient::Deactivate()
{
  if (mClient && mActive) jack_deactivate(mClient);
  mActive = false;
}

bool JackTestClient::StartRecording()
{
  // The process thread starts over at its next cycle and acknowledges.
  mRestartRecording.store(true, std::memory_order_release);
  return WaitUntil([&] { return !mRestartRecording.load(std::memory_order_acquire); }, 5000);
}

bool JackTestClient::WaitForFrames(size_t frames, int timeoutMs)
{
  return WaitUntil([&] { return RecordedFrames() >= frames; }, timeoutMs);
}

bool JackTestClient::SendMidi(const std::vector<uint8_t>& bytes, int port)
{
  if (port < 0 || port >= (int)mMidiToSend.size() || bytes.empty() ||
      bytes.size() > kMaxMidiMessage)
    return false;
  jack_ringbuffer_t* rb = mMidiToSend[port];
  const uint32_t size = (uint32_t)bytes.size();
  if (jack_ringbuffer_write_space(rb) < sizeof(size) + size) return false;
  // One write: the reader sees the whole record or nothing of it.
  std::vector<uint8_t> record(sizeof(size) + size);
  memcpy(record.data(), &size, sizeof(size));
  memcpy(record.data() + sizeof(size), bytes.data(), size);
  jack_ringbuffer_write(rb, (const char*)record.data(), record.size());
  return true;
}

std::vector<std::vector<uint8_t>> JackTestClient::TakeMidi()
{
  while (mMidiReceived && jack_ringbuffer_read_space(mMidiReceived) >= sizeof(uint32_t))
  {
    uint32_t size;
    jack_ringbuffer_peek(mMidiReceived, (char*)&size, sizeof(size));
    if (jack_ringbuffer_read_space(mMidiReceived) < sizeof(size) + size) break;
    jack_ringbuffer_read_advance(mMidiReceived, sizeof(size));
    std::vector<uint8_t> bytes(size);
    jack_ringbuffer_read(mMidiReceived, (char*)bytes.data(), size);
    mMidiTaken.push_back(std::move(bytes));
  }
  std::vector<std::vector<uint8_t>> out;
  out.swap(mMidiTaken);
  return out;
}

bool JackTestClient::WaitForMidi(size_t count, int timeoutMs)
{
  return WaitUntil([&] { return mMidiCount.load(std::memory_order_acquire) >= count; }, timeoutMs);
}

bool JackTestClient::Connect(const std::string& from, const std::string& to)
{
  return mClient && jack_connect(mClient, from.c_str(), to.c_str()) == 0;
}

int JackTestClient::Process(jack_nframes_t nFrames, void* arg)
{
  return static_cast<JackTestClient*>(arg)->ProcessCycle(nFrames);
}

int JackTestClient::ProcessCycle(jack_nframes_t nFrames)
{
  if (mRestartRecording.load(std::memory_order_acquire))
  {
    mRecordingNow = true;
    mRecorded.store(0, std::memory_order_release);
    mRecordStartPos.store(mSignalPos.empty() ? 0 : mSignalPos[0], std::memory_order_release);
    mRestartRecording.store(false, std::memory_order_release);
  }
  const bool recording = mRecordingNow;
  for (size_t c = 0; c < mOuts.size(); ++c)
  {
    float* out = (float*)jack_port_get_buffer(mOuts[c], nFrames);
    const std::vector<float>& sig = mSignals[c];
    if (sig.empty())
    {
      memset(out, 0, nFrames * sizeof(float));
      continue;
    }
    size_t pos = mSignalPos[c];
    for (jack_nframes_t i = 0; i < nFrames; ++i)
    {
      out[i] = sig[pos];
      if (++pos == sig.size()) pos = 0;
    }
    mSignalPos[c] = pos;
  }

  if (recording)
  {
    const size_t at = mRecorded.load(std::memory_order_relaxed);
    const size_t capacity = mRecording.empty() ? 0 : mRecording[0].size();
    const size_t n = std::min<size_t>(nFrames, capacity - std::min(at, capacity));
    for (size_t c = 0; c < mIns.size(); ++c)
    {
      const float* in = (const float*)jack_port_get_buffer(mIns[c], nFrames);
      memcpy(mRecording[c].data() + at, in, n * sizeof(float));
    }
    mRecorded.store(at + n, std::memory_order_release);
  }

  for (size_t p = 0; p < mMidiOuts.size(); ++p)
  {
    void* buf = jack_port_get_buffer(mMidiOuts[p], nFrames);
    jack_midi_clear_buffer(buf);
    jack_ringbuffer_t* rb = mMidiToSend[p];
    uint32_t size;
    while (jack_ringbuffer_read_space(rb) >= sizeof(size))
    {
      jack_ringbuffer_peek(rb, (char*)&size, sizeof(size));
      if (jack_ringbuffer_read_space(rb) < sizeof(size) + size) break;
      jack_ringbuffer_read_advance(rb, sizeof(size));
      uint8_t bytes[kMaxMidiMessage];
      jack_ringbuffer_read(rb, (char*)bytes, size);
      jack_midi_event_write(buf, 0, bytes, size);
    }
  }

  if (mMidiIn)
  {
    void* buf = jack_port_get_buffer(mMidiIn, nFrames);
    const uint32_t n = jack_midi_get_event_count(buf);
    for (uint32_t e = 0; e < n; ++e)
    {
      jack_midi_event_t ev;
      if (jack_midi_event_get(&ev, buf, e) != 0) continue;
      const uint32_t size = (uint32_t)ev.size;
      if (jack_ringbuffer_write_space(mMidiReceived) < sizeof(size) + size) break;
      jack_ringbuffer_write(mMidiReceived, (const char*)&size, sizeof(size));
      jack_ringbuffer_write(mMidiReceived, (const char*)ev.buffer, size);
      mMidiCount.fetch_add(1, std::memory_order_release);
    }
  }
  mCycles.fetch_add(1, std::memory_order_release);
  return 0;
}
