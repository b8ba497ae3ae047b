#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Plenmora.h"

namespace
{
struct PresetValues
{
  const char* name;
  double v[5];
};

// The factory presets as the user sees them: Room Size, Dampening, Width,
// Dry, Wet.
const PresetValues kExpected[31] = {
    {"Default", {50, 50, 100, 100, 30}},       {"Small Room", {20, 60, 80, 100, 25}},
    {"Medium Room", {40, 50, 90, 100, 28}},    {"Large Room", {60, 45, 100, 100, 30}},
    {"Vocal Booth", {10, 70, 60, 100, 20}},    {"Drum Room", {35, 30, 100, 100, 35}},
    {"Live Room", {45, 40, 100, 100, 30}},     {"Wood Chamber", {50, 65, 90, 100, 32}},
    {"Stone Chamber", {65, 20, 100, 100, 35}}, {"Small Hall", {70, 45, 100, 100, 30}},
    {"Concert Hall", {82, 40, 100, 100, 32}},  {"Large Hall", {88, 35, 100, 90, 35}},
    {"Cathedral", {96, 30, 100, 85, 40}},      {"Church", {90, 50, 100, 90, 35}},
    {"Bright Plate", {70, 5, 100, 100, 30}},   {"Dark Plate", {70, 80, 100, 100, 30}},
    {"Vocal Plate", {60, 35, 80, 100, 25}},    {"Snare Plate", {55, 15, 100, 100, 40}},
    {"Ambience", {25, 50, 100, 100, 15}},      {"Tight Ambience", {12, 55, 100, 100, 12}},
    {"Wide Space", {75, 40, 100, 100, 35}},    {"Narrow Space", {60, 45, 20, 100, 30}},
    {"Mono Verb", {60, 50, 0, 100, 30}},       {"Warm Hall", {80, 75, 100, 100, 30}},
    {"Cold Hall", {80, 10, 100, 100, 30}},     {"Cave", {98, 60, 100, 80, 45}},
    {"Tunnel", {85, 25, 40, 90, 40}},          {"Garage", {45, 15, 90, 100, 30}},
    {"Tiled Room", {30, 5, 70, 100, 35}},      {"Endless Wash", {100, 50, 100, 60, 60}},
    {"Wet Only", {70, 50, 100, 0, 100}},
};

std::unique_ptr<Plenmora> Make()
{
  return std::unique_ptr<Plenmora>(static_cast<Plenmora*>(MakePlug(nullptr, nullptr)));
}

// Processes frames through the plug-in's block entry in blocks of `block`.
void Process(Plenmora& plug, std::vector<double>& l, std::vector<double>& r,
             std::vector<double>& outL, std::vector<double>& outR, int block)
{
  outL.resize(l.size());
  outR.resize(r.size());
  for (size_t i = 0; i < l.size(); i += (size_t)block)
  {
    const int n = (int)std::min<size_t>((size_t)block, l.size() - i);
    double* ins[2] = {&l[i], &r[i]};
    double* outs[2] = {&outL[i], &outR[i]};
    plug.LockMutexAndProcessDoubleReplacing(ins, outs, n);
  }
}

void SetParam(Plenmora& plug, int idx, double value)
{
  plug.SetParameterFromGUI(idx, plug.GetParam(idx)->GetNormalized(value));
}
} // namespace

TEST(Plenmora, IdentityChannelsAndParameters)
{
  uint16_t channel = 0;
  std::unique_ptr<IPlugStandalone> plug(MakePlug(nullptr, &channel));
  ASSERT_TRUE(plug);
  EXPECT_STREQ(plug->GetEffectName(), "Plenmora");
  EXPECT_STREQ(plug->GetProductName(), "Plenmora");
  EXPECT_STREQ(plug->GetMfrName(), "Vorlane");
  EXPECT_EQ(plug->GetEffectVersion(), 0x10000);
  EXPECT_EQ(plug->GetLatency(), 0);
  EXPECT_FALSE(plug->DoesMIDI());
  EXPECT_FALSE(plug->DoesStateChunks());
  EXPECT_FALSE(plug->IsInst());
  EXPECT_EQ(plug->GetAPI(), kAPISA);
  EXPECT_EQ(plug->NInChannels(), 2);
  EXPECT_EQ(plug->NOutChannels(), 2);
  EXPECT_TRUE(plug->IsInChannelConnected(1));
  EXPECT_TRUE(plug->IsOutChannelConnected(1));
  EXPECT_EQ(plug->GetGUI(), nullptr);
  IMidiMsg note(0, 0x90, 60, 100);
  EXPECT_FALSE(plug->SendMidiMsg(&note));

  ASSERT_EQ(plug->NParams(), 5);
  const char* names[5] = {"Room Size", "Dampening", "Width", "Dry", "Wet"};
  const double defaults[5] = {50, 50, 100, 100, 30};
  for (int i = 0; i < 5; ++i)
  {
    IParam* p = plug->GetParam(i);
    EXPECT_STREQ(p->GetNameForHost(), names[i]);
    EXPECT_EQ(p->Type(), IParam::kTypeDouble);
    EXPECT_DOUBLE_EQ(p->Value(), defaults[i]);
    EXPECT_DOUBLE_EQ(p->GetMin(), 0.0);
    EXPECT_DOUBLE_EQ(p->GetMax(), 100.0);
    EXPECT_STREQ(p->GetLabelForHost(), "%");
    EXPECT_DOUBLE_EQ(p->GetNormalized(25.0), 0.25); // linear
  }
  char text[32];
  plug->GetParam(Plenmora::kWet)->GetDisplayForHost(text);
  EXPECT_STREQ(text, "30.0");
}

TEST(Plenmora, EveryPresetRestoresAllFiveValuesIntoTheReverb)
{
  auto plug = Make();
  ASSERT_EQ(plug->NPresets(), 31);
  // Restore in reverse so every value actually changes on the way.
  for (int idx = 30; idx >= 0; --idx)
  {
    const PresetValues& e = kExpected[idx];
    SCOPED_TRACE(e.name);
    EXPECT_STREQ(plug->GetPresetName(idx), e.name);
    ASSERT_TRUE(plug->RestorePreset(idx));
    EXPECT_EQ(plug->GetCurrentPresetIdx(), idx);
    for (int p = 0; p < 5; ++p) EXPECT_DOUBLE_EQ(plug->GetParam(p)->Value(), e.v[p]) << p;

    const WDL_ReverbEngine& verb = plug->GetReverb();
    EXPECT_DOUBLE_EQ(verb.GetRT60(), WDL_ReverbEngine::RT60FromRoomSize(e.v[0]));
    EXPECT_DOUBLE_EQ(verb.GetDampingCutoff(), WDL_ReverbEngine::CutoffFromDampening(e.v[1]));
    EXPECT_DOUBLE_EQ(verb.GetWidth(), e.v[2] / 100.0);
    EXPECT_DOUBLE_EQ(verb.GetDryGain(), e.v[3] / 100.0);
    EXPECT_DOUBLE_EQ(verb.GetWetGain(), e.v[4] / 100.0);
  }
  EXPECT_FALSE(plug->RestorePreset(31));
  EXPECT_FALSE(plug->RestorePreset(-1));
}

TEST(Plenmora, EditorParameterChangesReachTheReverb)
{
  auto plug = Make();
  SetParam(*plug, Plenmora::kRoomSize, 100.0);
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetRT60(), 10.0);
  SetParam(*plug, Plenmora::kDampening, 0.0);
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetDampingCutoff(), 16000.0);
  SetParam(*plug, Plenmora::kWidth, 25.0);
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetWidth(), 0.25);
  SetParam(*plug, Plenmora::kDry, 0.0);
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetDryGain(), 0.0);
  SetParam(*plug, Plenmora::kWet, 100.0);
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetWetGain(), 1.0);
}

TEST(Plenmora, EveryPresetStaysFiniteAndBoundedOnFullScaleNoise)
{
#if defined(__SANITIZE_ADDRESS__)
  const double seconds = 10.0; // the sanitizers are slow; still past every build-up
#else
  const double seconds = 60.0;
#endif
  const int block = 512;
  std::vector<double> l(block), r(block), outL(block), outR(block);
  for (int idx = 0; idx < 31; ++idx)
  {
    SCOPED_TRACE(kExpected[idx].name);
    auto plug = Make();
    ASSERT_TRUE(plug->RestorePreset(idx));
    const double bound = kExpected[idx].v[3] / 100.0 + kExpected[idx].v[4] / 100.0;
    std::mt19937 rng(100 + idx);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    double peak = 0.0;
    bool finite = true;
    for (long done = 0; done < (long)(seconds * 44100); done += block)
    {
      for (int i = 0; i < block; ++i) l[i] = dist(rng), r[i] = dist(rng);
      double* ins[2] = {l.data(), r.data()};
      double* outs[2] = {outL.data(), outR.data()};
      plug->LockMutexAndProcessDoubleReplacing(ins, outs, block);
      for (int i = 0; i < block; ++i)
      {
        finite = finite && std::isfinite(outL[i]) && std::isfinite(outR[i]);
        peak = std::max({peak, std::fabs(outL[i]), std::fabs(outR[i])});
      }
    }
    EXPECT_TRUE(finite);
    EXPECT_LE(peak, bound);
    EXPECT_GT(peak, 0.1);
  }
}

TEST(Plenmora, DryOnlyPassesTheInputBitExactlyInPlace)
{
  auto plug = Make();
  SetParam(*plug, Plenmora::kWet, 0.0);
  std::vector<double> l(1000), r(1000);
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  for (size_t i = 0; i < l.size(); ++i) l[i] = dist(rng), r[i] = dist(rng);
  l[3] = 1e-310;
  r[4] = -0.0;
  const std::vector<double> origL = l, origR = r;
  double* io[2] = {l.data(), r.data()};
  plug->LockMutexAndProcessDoubleReplacing(io, io, (int)l.size());
  EXPECT_EQ(0, std::memcmp(l.data(), origL.data(), l.size() * sizeof(double)));
  EXPECT_EQ(0, std::memcmp(r.data(), origR.data(), r.size() * sizeof(double)));
  // In place the input meter still saw the input.
  EXPECT_GT(plug->GetMeterLevel(Plenmora::kMeterInL), 0.9);
}

TEST(Plenmora, ResetTakesTheSampleRateAndClearsTheTail)
{
  auto plug = Make();
  ASSERT_TRUE(plug->RestorePreset(30)); // "Wet Only"
  std::vector<double> l(44100), r(44100), outL, outR;
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  for (size_t i = 0; i < l.size(); ++i) l[i] = dist(rng), r[i] = dist(rng);
  Process(*plug, l, r, outL, outR, 256);

  plug->SetSampleRate(96000.0);
  plug->Reset();
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetSampleRate(), 96000.0);
  for (int k = 0; k < WDL_ReverbEngine::kNumCombs; ++k)
  {
    const double ms = 1000.0 * plug->GetReverb().GetCombDelay(0, k) / 96000.0;
    EXPECT_GT(ms, 25.0);
    EXPECT_LT(ms, 38.0);
  }
  // The parameters survive a reset.
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetWetGain(), 1.0);
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetRT60(), WDL_ReverbEngine::RT60FromRoomSize(70.0));
  std::vector<double> silentL(4800), silentR(4800);
  Process(*plug, silentL, silentR, outL, outR, 64);
  for (size_t i = 0; i < outL.size(); ++i)
  {
    ASSERT_EQ(outL[i], 0.0) << i;
    ASSERT_EQ(outR[i], 0.0) << i;
  }
  EXPECT_EQ(plug->GetMeterLevel(Plenmora::kMeterOutL), 0.0);
}

TEST(Plenmora, MetersShowPeaksInDecibelsAndFallTwentyDecibelsPerSecond)
{
  auto plug = Make();
  SetParam(*plug, Plenmora::kWet, 0.0);
  SetParam(*plug, Plenmora::kDry, 50.0);
  const int block = 441; // 10 ms
  std::vector<double> l(block, 0.0), r(block, 0.0), outL, outR;
  l[100] = 1.0;  // 0 dB in
  r[200] = -0.1; // -20 dB in
  Process(*plug, l, r, outL, outR, block);
  EXPECT_NEAR(plug->GetMeterLevel(Plenmora::kMeterInL), 1.0, 1e-12);
  EXPECT_NEAR(plug->GetMeterLevel(Plenmora::kMeterInR), 40.0 / 60.0, 1e-12);
  // Output at Dry 50 %: -6.02 dB and -26.02 dB.
  EXPECT_NEAR(plug->GetMeterLevel(Plenmora::kMeterOutL), (20 * std::log10(0.5) + 60) / 60, 1e-12);
  EXPECT_NEAR(plug->GetMeterLevel(Plenmora::kMeterOutR), (20 * std::log10(0.05) + 60) / 60, 1e-12);
  EXPECT_EQ(plug->GetMeterLevel(Plenmora::kNumMeters), 0.0);

  // Silence: one second later every meter is 20 dB lower, never faster.
  std::vector<double> silent(block, 0.0), silentR(block, 0.0);
  double previous = plug->GetMeterLevel(Plenmora::kMeterInL);
  for (int b = 0; b < 100; ++b)
  {
    Process(*plug, silent, silentR, outL, outR, block);
    const double now = plug->GetMeterLevel(Plenmora::kMeterInL);
    EXPECT_NEAR(previous - now, 20.0 / 60.0 * 0.01, 1e-12);
    previous = now;
  }
  EXPECT_NEAR(plug->GetMeterLevel(Plenmora::kMeterInL), 40.0 / 60.0, 1e-9);
  EXPECT_NEAR(plug->GetMeterLevel(Plenmora::kMeterInR), 20.0 / 60.0, 1e-9);
  // A new peak above the falling level shows at once; one below does not.
  l.assign(block, 0.0);
  l[0] = 0.9;
  Process(*plug, l, silentR, outL, outR, block);
  EXPECT_NEAR(plug->GetMeterLevel(Plenmora::kMeterInL), (20 * std::log10(0.9) + 60) / 60, 1e-12);
  // Three more seconds of silence take every meter to the floor.
  for (int b = 0; b < 300; ++b) Process(*plug, silent, silentR, outL, outR, block);
  for (int m = 0; m < Plenmora::kNumMeters; ++m) EXPECT_EQ(plug->GetMeterLevel(m), 0.0) << m;
}
