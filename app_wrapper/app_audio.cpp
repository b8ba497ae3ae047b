#include "app_audio.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <streambuf>
#include <sys/syscall.h>
#include <unistd.h>

#include "IPlugStandalone.h"
#include "app_settings.h"

const char* const kAudioDriverNames[kNumAudioDrivers] = {"JACK", "PulseAudio", "ALSA"};

RtAudio* gDAC = nullptr;
std::vector<std::string> gAudioIDDevNames;
std::vector<unsigned int> gAudioInputDevs;
std::vector<unsigned int> gAudioOutputDevs;
std::vector<RtAudio::DeviceInfo> gAudioDeviceInfos;

unsigned int gIOVS = 512;
int gSigVS = 32;
unsigned int gBufIndex = 0;
unsigned int gVecElapsed = 0;
double gFadeMult = 0.0;

namespace
{
// Standard error for RtAudio's messages, safe on a thread that is being
// cancelled. When the JACK server goes away under a running stream, RtAudio
// prints its notice through std::cerr on libjack's client thread while
// another thread closes the client, and closing cancels that client thread,
// which libjack runs with asynchronous cancellation. A cancellation that lands
// inside the stream's own code unwinds through its catch-all and aborts the
// whole program. So the first thing a write through std::cerr does is make
// the writing thread's cancellation deferred, and it writes with the raw
// system call, which is no cancellation point: the thread finishes its
// message and is cancelled later, at a cancellation point in libjack's loop.
class CancellationSafeStderrBuf : public std::streambuf
{
protected:
  int overflow(int c) override
  {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    const char ch = (char)c;
    return Write(&ch, 1) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override
  {
    return Write(s, (size_t)n) ? n : 0;
  }

private:
  static bool Write(const char* s, size_t n)
  {
    int oldType;
    pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, &oldType);
    while (n > 0)
    {
      const long done = syscall(SYS_write, 2, s, n);
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) return false;
      s += done;
      n -= (size_t)done;
    }
    return true;
  }
};

void ProtectStandardError()
{
  // Kept for the life of the process: std::cerr is flushed at exit, after
  // static objects are gone.
  static CancellationSafeStderrBuf* buf = nullptr;
  if (buf) return;
  buf = new CancellationSafeStderrBuf;
  std::cout.flush();
  // Writing to std::cerr must not first flush std::cout on that thread.
  std::cerr.tie(nullptr);
  std::cerr.rdbuf(buf);
  // Bind the calls the buffer makes now, not on a cancelled thread.
  int oldType;
  pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, &oldType);
  syscall(SYS_write, 2, "", 0);
}

const RtAudio::Api kAudioDriverApis[kNumAudioDrivers] = {RtAudio::UNIX_JACK, RtAudio::LINUX_PULSE,
                                                         RtAudio::LINUX_ALSA};

// Callbacks that stay silent after every open, while the devices settle.
constexpr unsigned int kSilentCallbacks = 51;
constexpr double kOutputGain = 0.25;
constexpr int kDefaultSigVS = 32;
constexpr int kMaxSigVS = 8192;
constexpr int kStereo = 2;

// Whether this host has a stream open, and whether a stream it opened was
// closed under it by the audio system (the JACK server went away).
bool sStreamOpen = false;
int sServerLosses = 0;

void NoteLostStream()
{
  if (!sStreamOpen || !gDAC || gDAC->isStreamOpen()) return;
  sStreamOpen = false;
  ++sServerLosses;
  printf("the audio stream was closed by the audio system\n");
}

// One plug-in block of input and of output, for blocks that straddle device
// buffers; allocated when a stream opens, never in the callback.
std::vector<double> sBlockScratch;
double* sBlockIn[kStereo];
double* sBlockOut[kStereo];

void AllocateBlockScratch(int sigVS)
{
  sBlockScratch.assign((size_t)sigVS * 2 * kStereo, 0.0);
  for (int c = 0; c < kStereo; ++c)
  {
    sBlockIn[c] = sBlockScratch.data() + (size_t)c * sigVS;
    sBlockOut[c] = sBlockScratch.data() + (size_t)(kStereo + c) * sigVS;
  }
}

// Runs the plug-in over one device buffer. When the buffer is whole blocks,
// each block is processed in place; otherwise the blocks run through the
// scratch block, which delays the output by one block but never reads or
// writes past the device buffers.
void ProcessBuffer(double* inL, double* inR, double* outL, double* outR, unsigned int nFrames)
{
  const unsigned int sigVS = (unsigned int)gSigVS;
  gBufIndex %= sigVS;
  if (gBufIndex == 0 && nFrames % sigVS == 0)
  {
    for (unsigned int i = 0; i < nFrames; i += sigVS)
    {
      double* inputs[kStereo] = {inL + i, inR + i};
      double* outputs[kStereo] = {outL + i, outR + i};
      gPluginInstance->LockMutexAndProcessDoubleReplacing(inputs, outputs, (int)sigVS);
    }
    return;
  }
  for (unsigned int i = 0; i < nFrames;)
  {
    const unsigned int n = std::min(sigVS - gBufIndex, nFrames - i);
    const size_t bytes = n * sizeof(double);
    memcpy(sBlockIn[0] + gBufIndex, inL + i, bytes);
    memcpy(sBlockIn[1] + gBufIndex, inR + i, bytes);
    memcpy(outL + i, sBlockOut[0] + gBufIndex, bytes);
    memcpy(outR + i, sBlockOut[1] + gBufIndex, bytes);
    gBufIndex += n;
    i += n;
    if (gBufIndex == sigVS)
    {
      gPluginInstance->LockMutexAndProcessDoubleReplacing(sBlockIn, sBlockOut, (int)sigVS);
      gBufIndex = 0;
    }
  }
}

// Counts callbacks since the open; stops at the top instead of wrapping back
// into the silent start.
void CountCallback()
{
  if (gVecElapsed != UINT_MAX) ++gVecElapsed;
}

// The signal vector size of gState (checked by PrepareAudioCallback).
int ConfiguredSigVS() { return atoi(gState ? gState->mAudioSigVS : ""); }

unsigned int PositiveOr(const char* text, unsigned int def)
{
  const int v = atoi(text);
  return v > 0 ? (unsigned int)v : def;
}
} // namespace

std::string ShortAudioDeviceName(const std::string& name)
{
  const size_t sep = name.rfind(": ");
  if (sep == std::string::npos || name.size() <= 1) return name;
  return name.substr(sep + 2);
}

bool TryToChangeAudioDriverType()
{
  ProtectStandardError();
  if (gDAC)
  {
    CloseAudioStream();
    DeleteAudioDriver();
  }
  const unsigned int driver = gState ? gState->mAudioDriver : 0;
  if (driver >= (unsigned int)kNumAudioDrivers) return false;
  try
  {
    gDAC = new RtAudio(kAudioDriverApis[driver]);
  }
  catch (RtAudioError& err)
  {
    err.printMessage();
    gDAC = nullptr;
    return false;
  }
  // RtAudio falls back to another interface when the one asked for is not
  // built in; that is not the driver the user chose.
  if (gDAC->getCurrentApi() != kAudioDriverApis[driver])
  {
    printf("audio driver %s is not available\n", kAudioDriverNames[driver]);
    DeleteAudioDriver();
    return false;
  }
  return true;
}

void ProbeAudioIO()
{
  NoteLostStream();
  gAudioInputDevs.clear();
  gAudioOutputDevs.clear();
  gAudioIDDevNames.clear();
  gAudioDeviceInfos.clear();
  if (!gDAC) return;
  unsigned int count = 0;
  try
  {
    count = gDAC->getDeviceCount();
  }
  catch (RtAudioError& err)
  {
    err.printMessage();
  }
  for (unsigned int i = 0; i < count; ++i)
  {
    RtAudio::DeviceInfo info;
    info.probed = false;
    try
    {
      info = gDAC->getDeviceInfo(i);
    }
    catch (RtAudioError& err)
    {
      // The device went away since it was counted: it keeps its index.
      err.printMessage();
      info.probed = false;
    }
    const std::string name = ShortAudioDeviceName(info.name);
    gAudioIDDevNames.push_back(name);
    gAudioDeviceInfos.push_back(info);
    if (!info.probed || name == "Generic Low Latency ASIO Driver")
    {
      printf("%s: Probe Status = Unsuccessful\n", name.c_str());
      continue;
    }
    if (info.inputChannels > 0) gAudioInputDevs.push_back(i);
    if (info.outputChannels > 0) gAudioOutputDevs.push_back(i);
  }
}

const RtAudio::DeviceInfo* GetAudioDeviceInfo(int idx)
{
  if (idx < 0 || idx >= (int)gAudioDeviceInfos.size()) return nullptr;
  return &gAudioDeviceInfos[(size_t)idx];
}

std::string GetAudioDeviceName(int idx)
{
  if (idx < 0 || idx >= (int)gAudioIDDevNames.size()) return std::string();
  return gAudioIDDevNames[idx];
}

int GetAudioDeviceID(const char* deviceName)
{
  for (size_t i = 0; i < gAudioIDDevNames.size(); ++i)
    if (gAudioIDDevNames[i] == deviceName) return (int)i;
  return -1;
}

namespace
{
// The rate to open the devices at: the stored one when both devices offer
// it (or nothing is known of their rates), else the highest rate both offer
// (a JACK server offers only its own), which is then stored.
unsigned int ChooseSampleRate(int inId, int outId)
{
  const unsigned int stored = PositiveOr(gState->mAudioSampleRate, 44100);
  const RtAudio::DeviceInfo* in = GetAudioDeviceInfo(inId);
  const RtAudio::DeviceInfo* out = GetAudioDeviceInfo(outId);
  if (!in || !out) return stored;
  unsigned int best = 0;
  for (unsigned int rate : in->sampleRates)
    if (std::find(out->sampleRates.begin(), out->sampleRates.end(), rate) != out->sampleRates.end())
    {
      if (rate == stored) return stored;
      best = std::max(best, rate);
    }
  if (best == 0) return stored;
  SetAppStateText(gState->mAudioSampleRate, std::to_string(best).c_str());
  UpdateINI();
  return best;
}
} // namespace

bool TryToChangeAudio()
{
  if (!gState) return false;
  const int inId = GetAudioDeviceID(gState->mAudioInDevice);
  const int outId = GetAudioDeviceID(gState->mAudioOutDevice);
  if (inId == -1 || outId == -1) return false;
  // Channels are counted from 1; a 0 from a hand-edited file means the first.
  const unsigned int in1 = gState->mAudioIn1 ? gState->mAudioIn1 : 1;
  const unsigned int out1 = gState->mAudioOut1 ? gState->mAudioOut1 : 1;
  return InitialiseAudio((unsigned int)inId, (unsigned int)outId, ChooseSampleRate(inId, outId),
                         PositiveOr(gState->mAudioIOVS, 512), kStereo, in1 - 1, out1 - 1);
}

void ChooseDriverThatAnswers()
{
  if (!gState) return;
  for (int driver = 0; driver < kNumAudioDrivers; ++driver)
  {
    gState->mAudioDriver = (uint16_t)driver;
    if (!TryToChangeAudioDriverType()) continue;
    ProbeAudioIO();
    const bool answers = !gAudioInputDevs.empty() && !gAudioOutputDevs.empty();
    if (!answers && driver < kNumAudioDrivers - 1) continue;
    if (answers)
    {
      SetAppStateText(gState->mAudioInDevice,
                      GetAudioDeviceName((int)gDAC->getDefaultInputDevice()).c_str());
      SetAppStateText(gState->mAudioOutDevice,
                      GetAudioDeviceName((int)gDAC->getDefaultOutputDevice()).c_str());
      gState->mAudioIn1 = gState->mAudioOut1 = 1;
      gState->mAudioIn2 = gState->mAudioOut2 = 2;
    }
    break;
  }
  printf("no audio driver chosen yet: taking %s\n", kAudioDriverNames[gState->mAudioDriver]);
  UpdateINI();
}

bool InitialiseAudio(unsigned int inId, unsigned int outId, unsigned int sr, unsigned int iovs,
                     unsigned int chnls, unsigned int inChanL, unsigned int outChanL)
{
  if (!gDAC) return false;
  CloseAudioStream();
  if (!gPluginInstance || !gState) return false;
  if (sr == 0 || chnls != kStereo)
  {
    printf("can't open an audio stream of %u channels at %u Hz\n", chnls, sr);
    return false;
  }

  RtAudio::StreamParameters inParams, outParams;
  inParams.deviceId = inId;
  inParams.nChannels = chnls;
  inParams.firstChannel = inChanL;
  outParams.deviceId = outId;
  outParams.nChannels = chnls;
  outParams.firstChannel = outChanL;

  gIOVS = iovs;
  PrepareAudioCallback(ConfiguredSigVS());

  printf("\ntrying to start audio stream @ %i sr, %i iovs, %i sigvs\nindev = %i:%s\noutdev = "
         "%i:%s\n",
         (int)sr, (int)iovs, gSigVS, (int)inId, GetAudioDeviceName((int)inId).c_str(), (int)outId,
         GetAudioDeviceName((int)outId).c_str());

  RtAudio::StreamOptions options;
  options.flags = RTAUDIO_NONINTERLEAVED;

  gPluginInstance->SetBlockSize(gSigVS);
  gPluginInstance->SetSampleRate(sr);
  gPluginInstance->Reset();

  try
  {
    gDAC->openStream(&outParams, &inParams, RTAUDIO_FLOAT64, sr, &gIOVS, AudioCallback, nullptr,
                     &options);
    sStreamOpen = true;
    gDAC->startStream();
  }
  catch (RtAudioError& err)
  {
    err.printMessage();
    CloseAudioStream();
    return false;
  }
  *gActiveState = *gState;
  return true;
}

void PrepareAudioCallback(int sigVS)
{
  gSigVS = sigVS >= 1 && sigVS <= kMaxSigVS ? sigVS : kDefaultSigVS;
  gBufIndex = 0;
  gVecElapsed = 0;
  gFadeMult = 0.0;
  AllocateBlockScratch(gSigVS);
}

int AudioCallback(void* outputBuffer, void* inputBuffer, unsigned int nFrames,
                  double /*streamTime*/, RtAudioStreamStatus status, void* /*userData*/)
{
  if (status) puts("Stream underflow detected!");
  double* outL = (double*)outputBuffer;
  if (!outL || nFrames == 0) return 0;
  double* outR = outL + nFrames;
  double* inL = (double*)inputBuffer;

  if (gVecElapsed < kSilentCallbacks || !inL)
  {
    memset(outL, 0, 2 * nFrames * sizeof(double));
    CountCallback();
    return 0;
  }
  // Mono: the first input channel feeds both sides.
  double* inR = gState->mAudioMonoInput ? inL : inL + nFrames;

  ProcessBuffer(inL, inR, outL, outR, nFrames);

  const double fadeStep = 1.0 / nFrames;
  unsigned int i = 0;
  for (; i < nFrames && gFadeMult < 1.0; ++i)
  {
    // Held at 1: with a buffer size whose reciprocal is not exact in binary
    // the sum would end up to one step above 1 and stay there, louder.
    gFadeMult = std::min(1.0, gFadeMult + fadeStep);
    outL[i] = outL[i] * gFadeMult * kOutputGain;
    outR[i] = outR[i] * gFadeMult * kOutputGain;
  }
  // The gain is a power of two, so scaling by the product is the same as
  // scaling by the fade and then by the gain.
  const double gain = gFadeMult * kOutputGain;
  for (; i < nFrames; ++i)
  {
    outL[i] *= gain;
    outR[i] *= gain;
  }
  CountCallback();
  return 0;
}

void StopAudioStream()
{
  NoteLostStream();
  if (!gDAC || !gDAC->isStreamOpen() || !gDAC->isStreamRunning()) return;
  // Aborted, not stopped: RtAudio's JACK stopStream waits for its callback's
  // signal on a condition variable without holding the mutex and without a
  // condition to test, so a signal that comes before the wait is lost and the
  // wait never ends; aborting deactivates the client without that wait.
  // PulseAudio and ALSA drop what is queued instead of playing it out.
  try
  {
    gDAC->abortStream();
  }
  catch (RtAudioError& err)
  {
    err.printMessage();
  }
}

int AudioServerLosses()
{
  NoteLostStream();
  return sServerLosses;
}

void CloseAudioStream()
{
  StopAudioStream();
  sStreamOpen = false;
  if (!gDAC || !gDAC->isStreamOpen()) return;
  try
  {
    gDAC->closeStream();
  }
  catch (RtAudioError& err)
  {
    err.printMessage();
  }
}

void DeleteAudioDriver()
{
  NoteLostStream();
  sStreamOpen = false;
  delete gDAC;
  gDAC = nullptr;
}
