// Processes 60 s of stereo noise at 44.1 kHz in 32-frame blocks through the
// effect, then 60 s of silence (the reverb's tail dying away), and prints the
// real-time factor (audio seconds per CPU second) and the time per stereo
// frame of each. Options: --seconds S (default 60), --preset N (default 0).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "Plenmora.h"

namespace
{
constexpr double kSampleRate = 44100.0;
constexpr int kBlock = 32;

double CpuSeconds()
{
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return (double)ts.tv_sec + 1e-9 * (double)ts.tv_nsec;
}

struct Figures
{
  double realTimeFactor;
  double nsPerFrame;
};

// Runs nFrames through the plug-in in blocks; noise or silence.
Figures Run(Plenmora& plug, long nFrames, bool noise, std::mt19937& rng)
{
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  // Pre-generate the input so the figures measure the effect alone.
  const long nBlocks = nFrames / kBlock;
  std::vector<double> inL((size_t)(nBlocks * kBlock)), inR(inL.size());
  if (noise)
    for (size_t i = 0; i < inL.size(); ++i) inL[i] = dist(rng), inR[i] = dist(rng);
  std::vector<double> outL(kBlock), outR(kBlock);
  double* outs[2] = {outL.data(), outR.data()};
  volatile double sink = 0.0;

  const double t0 = CpuSeconds();
  for (long b = 0; b < nBlocks; ++b)
  {
    double* ins[2] = {inL.data() + b * kBlock, inR.data() + b * kBlock};
    plug.LockMutexAndProcessDoubleReplacing(ins, outs, kBlock);
    sink = sink + outL[0];
  }
  const double cpu = CpuSeconds() - t0;
  const double audio = (double)(nBlocks * kBlock) / kSampleRate;
  return {audio / cpu, cpu * 1e9 / (double)(nBlocks * kBlock)};
}

void Print(const char* what, const Figures& f)
{
  std::printf("%-34s %9.0fx real time  %7.2f ns per stereo frame\n", what, f.realTimeFactor,
              f.nsPerFrame);
}
} // namespace

int main(int argc, char** argv)
{
  double seconds = 60.0;
  int preset = 0;
  for (int i = 1; i + 1 < argc; i += 2)
  {
    if (!std::strcmp(argv[i], "--seconds"))
      seconds = std::atof(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--preset"))
      preset = std::atoi(argv[i + 1]);
  }
  const long nFrames = (long)(seconds * kSampleRate);

  IPlugStandalone* base = MakePlug(nullptr, nullptr);
  Plenmora& plug = *static_cast<Plenmora*>(base);
  plug.SetSampleRate(kSampleRate);
  plug.Reset();
  if (!plug.RestorePreset(preset))
  {
    std::fprintf(stderr, "no preset %d\n", preset);
    return 1;
  }
  std::mt19937 rng(1);
  std::printf("Plenmora reverb, preset \"%s\", %.0f s at %.0f Hz in %d-frame blocks\n",
              plug.GetPresetName(preset), seconds, kSampleRate, kBlock);
  const Figures noise = Run(plug, nFrames, true, rng);
  Print("noise", noise);
  const Figures tail = Run(plug, nFrames, false, rng);
  Print("silent tail after the noise", tail);

  // The shortest reverb decays into the subnormal range within its tail:
  // the worst case for denormals.
  plug.Reset();
  plug.GetParam(Plenmora::kRoomSize)->Set(0.0);
  plug.OnParamChange(Plenmora::kRoomSize);
  Run(plug, (long)kSampleRate, true, rng);
  const Figures shortTail = Run(plug, nFrames, false, rng);
  Print("silent tail, Room Size 0", shortTail);

  std::printf("silent tail / noise time: %.3f (Room Size 0: %.3f)\n",
              tail.nsPerFrame / noise.nsPerFrame, shortTail.nsPerFrame / noise.nsPerFrame);
  delete base;
  return 0;
}
