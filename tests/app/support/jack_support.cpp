#include "jack_support.h"

#include <algorithm>
#include <cstring>
#include <random>

#include <jack/midiport.h>

#include "test_util.h"

namespace
{
struct MidiRecord
{
  uint8_t size;
  uint8_t bytes[15];
};

bool Push(jack_ringbuffer_t* rb, const uint8_t* bytes, size_t size)
{
  MidiRecord r = {(uint8_t)size, {}};
  if (size == 0 || size > sizeof(r.bytes) || jack_ringbuffer_write_space(rb) < sizeof(r))
    return false;
  memcpy(r.bytes, bytes, size);
  return jack_ringbuffer_write(rb, (const char*)&r, sizeof(r)) == sizeof(r);
}

bool Pop(jack_ringbuffer_t* rb, MidiRecord& r)
{
  return jack_ringbuffer_read_space(rb) >= sizeof(r) &&
         jack_ringbuffer_read(rb, (char*)&r, sizeof(r)) == sizeof(r);
}

bool CanConnect(const std::string& server)
{
  jack_client_t* c =
      jack_client_open("plenmora_probe", (jack_options_t)(JackNoStartServer | JackServerName),
                       nullptr, server.c_str());
  if (c) jack_client_close(c);
  return c != nullptr;
}
} // namespace

std::vector<float> Noise(size_t frames, size_t total)
{
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> d(-0.5f, 0.5f);
  std::vector<float> s(total, 0.0f);
  for (size_t i = 0; i < frames; ++i) s[i] = d(rng);
  return s;
}

bool JackServer::Start(int timeoutMs)
{
  if (mPid <= 0)
    mPid = Spawn("exec jackd -n " + mName + " --no-realtime -d dummy -r " + std::to_string(mRate) +
                 " -p " + std::to_string(mPeriod) + " -C " + std::to_string(mChannels) + " -P " +
                 std::to_string(mChannels) + " >>/tmp/" + mName + ".log 2>&1");
  // Until a client can connect, or jackd ended.
  if (WaitUntil([&] { return CanConnect(mName) || waitpid(mPid, nullptr, WNOHANG) != 0; },
                timeoutMs) &&
      CanConnect(mName))
    return true;
  Stop();
  return false;
}

JackTestClient::JackTestClient(size_t recordFrames, std::vector<float> left,
                               std::vector<float> right)
    : mSignals{left, right.empty() ? left : right}
{
  mClient = jack_client_open("plenmora_test", JackNoStartServer, nullptr);
  if (!mClient) return;
  auto reg = [&](const std::string& name, const char* type, unsigned long flags)
  { return jack_port_register(mClient, name.c_str(), type, flags, 0); };
  for (int c = 0; c < 2; ++c)
  {
    mOuts[c] = reg("out_" + std::to_string(c + 1), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    mIns[c] = reg("in_" + std::to_string(c + 1), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput);
    mRecording[c].assign(recordFrames, 0.0f);
  }
  mMidiOut = reg("midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
  mMidiIn = reg("midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  mMidiToSend = jack_ringbuffer_create(1 << 16);
  mMidiReceived = jack_ringbuffer_create(1 << 16);
  jack_set_process_callback(
      mClient,
      [](jack_nframes_t n, void* arg)
      { return static_cast<JackTestClient*>(arg)->ProcessCycle(n); },
      this);
  mActive = jack_activate(mClient) == 0;
}

JackTestClient::~JackTestClient()
{
  if (!mClient) return;
  jack_client_close(mClient); // deactivates first
  jack_ringbuffer_free(mMidiToSend);
  jack_ringbuffer_free(mMidiReceived);
}

bool JackTestClient::Connect(const std::string& from, const std::string& to, bool connect)
{
  const std::string own = jack_get_client_name(mClient) + std::string(":");
  auto full = [&](const std::string& p) { return p.find(':') == std::string::npos ? own + p : p; };
  return (connect ? jack_connect : jack_disconnect)(mClient, full(from).c_str(),
                                                    full(to).c_str()) == 0;
}

bool JackTestClient::Record(size_t frames, int timeoutMs, bool startOver)
{
  // The process thread starts over at its next cycle and acknowledges.
  mRestartRecording = startOver;
  return WaitUntil([&] { return !mRestartRecording && mRecorded >= frames; }, timeoutMs);
}

bool JackTestClient::HearsSound(int timeoutMs)
{
  auto loud = [&](int c)
  {
    return std::any_of(mRecording[c].begin(), mRecording[c].end(),
                       [](float v) { return v > 0.01f; });
  };
  return WaitUntil([&] { return Record(mRecording[0].size(), 5000) && loud(0) && loud(1); },
                   timeoutMs);
}

bool JackTestClient::SendMidi(const Bytes& bytes)
{
  return Push(mMidiToSend, bytes.data(), bytes.size());
}

std::vector<JackTestClient::Bytes> JackTestClient::TakeMidi(size_t count, int timeoutMs)
{
  std::vector<Bytes> got;
  auto take = [&]
  {
    for (MidiRecord r; Pop(mMidiReceived, r);) got.emplace_back(r.bytes, r.bytes + r.size);
    return got.size() >= count;
  };
  WaitUntil(take, timeoutMs);
  return got;
}

int JackTestClient::ProcessCycle(jack_nframes_t nFrames)
{
  if (mRestartRecording)
  {
    mRecorded = 0;
    mRestartRecording = false;
  }
  for (int c = 0; c < 2; ++c)
  {
    float* out = (float*)jack_port_get_buffer(mOuts[c], nFrames);
    const std::vector<float>& sig = mSignals[c];
    for (jack_nframes_t i = 0; i < nFrames; ++i)
      out[i] = sig.empty() ? 0.0f : sig[(mSignalPos + i) % sig.size()];
    const size_t at = mRecorded, n = std::min<size_t>(nFrames, mRecording[c].size() - at);
    if (n) memcpy(&mRecording[c][at], jack_port_get_buffer(mIns[c], nFrames), n * sizeof(float));
    if (c == 1) mRecorded = at + n;
  }
  if (!mSignals[0].empty()) mSignalPos = (mSignalPos + nFrames) % mSignals[0].size();
  void* buf = jack_port_get_buffer(mMidiOut, nFrames);
  jack_midi_clear_buffer(buf);
  for (MidiRecord r; Pop(mMidiToSend, r);) jack_midi_event_write(buf, 0, r.bytes, r.size);
  buf = jack_port_get_buffer(mMidiIn, nFrames);
  jack_midi_event_t ev;
  for (uint32_t e = 0; e < jack_midi_get_event_count(buf); ++e)
    if (jack_midi_event_get(&ev, buf, e) == 0) Push(mMidiReceived, ev.buffer, ev.size);
  return 0;
}

JackClientWatch::JackClientWatch(std::string clientName) : mName(std::move(clientName))
{
  mClient = jack_client_open("plenmora_watch", JackNoStartServer, nullptr);
  if (!mClient) return;
  jack_set_client_registration_callback(
      mClient,
      [](const char* name, int registered, void* arg)
      {
        auto* self = static_cast<JackClientWatch*>(arg);
        const pid_t pid = self->mPid;
        if (registered || pid <= 0 || self->mName != name) return;
        // Not yet ended (WNOWAIT leaves an ended one to be waited for).
        siginfo_t info = {};
        self->mClosedWhileRunning =
            waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
      },
      this);
  mActive = jack_activate(mClient) == 0;
}

JackClientWatch::~JackClientWatch()
{
  if (mClient) jack_client_close(mClient);
}

void JackClientWatch::Follow(pid_t pid)
{
  mPid = -1;
  mClosedWhileRunning = -1;
  mPid = pid;
}

int JackClientWatch::ClosedWhileRunning(int timeoutMs) const
{
  WaitUntil([&] { return mClosedWhileRunning != -1; }, timeoutMs);
  return mClosedWhileRunning;
}
