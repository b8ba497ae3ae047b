// What the host's audio callback costs per 512-frame buffer with the reverb
// at 32-frame blocks, beside what the effect itself costs for the same
// frames: the difference is the host's own work (locking, slicing, fade and
// gain). Prints nanoseconds per frame, the best of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "Plenmora.h"
#include "app_audio.h"
#include "app_settings.h"

namespace
{
constexpr unsigned int kFrames = 512;
constexpr int kBlock = 32;
constexpr int kBuffersPerRun = 4000;
constexpr int kRuns = 9;

// Time per frame, in ns, of one run of fn once per buffer.
double NsPerFrame(const std::function<void()>& fn)
{
  const auto t0 = std::chrono::steady_clock::now();
  for (int b = 0; b < kBuffersPerRun; ++b) fn();
  const auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(t1 - t0).count() /
         (kBuffersPerRun * (double)kFrames);
}
} // namespace

int main()
{
  gState = new AppState();
  std::unique_ptr<IPlugStandalone> plug(MakePlug(nullptr, &gState->mMidiOutChannel));
  plug->RestorePreset(0);
  plug->SetBlockSize(kBlock);
  plug->SetSampleRate(44100);
  plug->Reset();
  gPluginInstance = plug.get();

  std::vector<double> in(2 * kFrames), out(2 * kFrames);
  std::mt19937 gen(1);
  std::uniform_real_distribution<double> dist(-0.5, 0.5);
  for (double& x : in) x = dist(gen);

  // The effect alone: sixteen blocks straight into its processing.
  auto effectAlone = [&]
  {
    for (unsigned int i = 0; i < kFrames; i += kBlock)
    {
      double* ins[2] = {in.data() + i, in.data() + kFrames + i};
      double* outs[2] = {out.data() + i, out.data() + kFrames + i};
      plug->ProcessDoubleReplacing(ins, outs, kBlock);
    }
  };

  // The host's callback, past the silent start and the fade; runs of the
  // two alternate so both see the same machine, and the best run counts.
  PrepareAudioCallback(kBlock);
  auto callback = [&] { AudioCallback(out.data(), in.data(), kFrames, 0.0, 0, nullptr); };
  for (int i = 0; i < 60; ++i) callback();
  double effect = 1e30, host = 1e30;
  for (int r = 0; r < kRuns; ++r)
  {
    effect = std::min(effect, NsPerFrame(effectAlone));
    host = std::min(host, NsPerFrame(callback));
  }

  // Blocks that do not divide the buffer go through the scratch block.
  PrepareAudioCallback(48);
  for (int i = 0; i < 60; ++i) callback();
  double straddling = 1e30;
  for (int r = 0; r < kRuns; ++r) straddling = std::min(straddling, NsPerFrame(callback));

  printf("effect alone, 16 x 32 frames:          %7.2f ns/frame\n", effect);
  printf("AudioCallback, 512 frames, 32 a block:  %7.2f ns/frame\n", host);
  printf("host overhead:                          %7.2f ns/frame (%.1f %% of the effect)\n",
         host - effect, 100.0 * (host - effect) / effect);
  printf("AudioCallback, 48-frame blocks:         %7.2f ns/frame\n", straddling);

  gPluginInstance = nullptr;
  plug.reset();
  delete gState;
  gState = nullptr;
  return 0;
}
