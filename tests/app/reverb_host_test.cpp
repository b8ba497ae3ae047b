// The effect itself in the host, on the JACK server: a burst goes in, and
// what comes out is the effect's own output of that burst, tail included,
// scaled by the host's output gain.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "Plenmora.h"
#include "app_audio.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_test_client.h"

namespace
{
constexpr unsigned int kRate = 44100;
constexpr size_t kLoop = 8 * kRate;    // the client's signal: silence with one burst
constexpr size_t kBurstAt = 4 * kRate; // well after the stream has faded in, even on a busy machine
constexpr size_t kBurstLen = 2048;
constexpr size_t kRecord = 2 * kRate;

std::vector<float> Burst()
{
  std::vector<float> sig(kLoop, 0.0f);
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
  for (size_t i = 0; i < kBurstLen; ++i) sig[kBurstAt + i] = dist(gen);
  return sig;
}

// The effect's own output for the loop's first n frames, in 32-frame blocks.
std::vector<double> EffectOutput(const std::vector<float>& sig, size_t n, int channel)
{
  uint16_t chan = 0;
  std::unique_ptr<IPlugStandalone> plug(MakePlug(nullptr, &chan));
  plug->RestorePreset(0);
  plug->SetBlockSize(32);
  plug->SetSampleRate(kRate);
  plug->Reset();
  std::vector<double> inL(n), inR(n), outL(n), outR(n);
  for (size_t i = 0; i < n; ++i) inL[i] = inR[i] = sig[i];
  for (size_t i = 0; i + 32 <= n; i += 32)
  {
    double* in[2] = {inL.data() + i, inR.data() + i};
    double* out[2] = {outL.data() + i, outR.data() + i};
    plug->LockMutexAndProcessDoubleReplacing(in, out, 32);
  }
  return channel == 0 ? outL : outR;
}

TEST(ReverbInHost, BurstComesOutAsTheEffectMadeItWithItsTail)
{
  TempHome home;
  ASSERT_TRUE(LoadSettings());
  SetAppStateText(gState->mAudioInDevice, "plenmora_test");
  SetAppStateText(gState->mAudioOutDevice, "plenmora_test");
  JackTestClient client(true, kRecord);
  ASSERT_TRUE(client.IsOpen()) << "no JACK server";
  const std::vector<float> sig = Burst();
  client.SetSignal(0, sig);
  client.SetSignal(1, sig);
  ASSERT_TRUE(client.Activate());

  ASSERT_TRUE(StartHost(
      [](RtMidiOut* out, uint16_t* chan)
      {
        IPlugStandalone* plug = MakePlug(out, chan);
        plug->RestorePreset(0);
        return plug;
      }));
  // Start recording a little before the burst.
  const uint64_t startCycle = (kBurstAt - kRate / 4) / 512;
  ASSERT_LT(client.CyclesRun(), startCycle) << "the host took too long to start";
  while (client.CyclesRun() < startCycle) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_TRUE(client.StartRecording());
  ASSERT_TRUE(client.WaitForFrames(kRecord, 20000));
  StopHost();

  const size_t startPos = client.RecordStartSignalPos();
  ASSERT_LT(startPos, kBurstAt);
  const size_t n = startPos + kRecord;
  for (int ch = 0; ch < 2; ++ch)
  {
    SCOPED_TRACE(ch);
    const std::vector<float>& rec = client.Recording(ch);
    const std::vector<double> ref = EffectOutput(sig, n, ch);
    // The delay through the server and RtAudio is whole periods.
    long delay = -1;
    for (long d = 0; d <= 4 * 512 && delay < 0; d += 512)
    {
      bool match = true;
      for (size_t i = 0; i < kRecord && match; ++i)
      {
        const long src = (long)(startPos + i) - d;
        const double expected = src < 0 ? 0.0 : 0.25 * ref[(size_t)src];
        match = std::fabs(rec[i] - expected) < 1e-6;
      }
      if (match) delay = d;
    }
    ASSERT_GE(delay, 0) << "the output is not the effect's output at a quarter";

    // Silence before the burst, and a tail long after it has passed.
    const size_t burstOut = kBurstAt + (size_t)delay - startPos;
    float before = 0, tail = 0, lateTail = 0;
    for (size_t i = 0; i < burstOut; ++i) before = std::max(before, std::fabs(rec[i]));
    for (size_t i = burstOut + kRate / 2; i < burstOut + kRate * 6 / 10; ++i)
      tail = std::max(tail, std::fabs(rec[i]));
    for (size_t i = burstOut + kRate; i < burstOut + kRate * 11 / 10; ++i)
      lateTail = std::max(lateTail, std::fabs(rec[i]));
    EXPECT_EQ(0.0f, before);
    EXPECT_GT(tail, 1e-4f);
    EXPECT_LT(lateTail, tail);
  }
  DeleteSettings();
}
} // namespace
