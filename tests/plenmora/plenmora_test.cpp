#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "Plenmora.h"
#include "lice_png_writer.h"

namespace
{
struct PresetValues
{
  const char* name;
  double v[5]; // Room Size, Dampening, Width, Dry, Wet
};

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

// Processes l and r in place, in blocks of `block` frames.
void Process(Plenmora& plug, std::vector<double>& l, std::vector<double>& r, int block)
{
  for (size_t i = 0; i < l.size(); i += (size_t)block)
  {
    double* io[2] = {&l[i], &r[i]};
    plug.LockMutexAndProcessDoubleReplacing(io, io, (int)std::min<size_t>(block, l.size() - i));
  }
}

void SetParam(Plenmora& plug, int idx, double value)
{
  plug.SetParameterFromGUI(idx, plug.GetParam(idx)->GetNormalized(value));
}

// A plug-in with the five values (Room Size, Dampening, Width, Dry, Wet).
std::unique_ptr<Plenmora> Make(const double* v)
{
  auto plug = Make();
  for (int p = 0; p < 5; ++p) SetParam(*plug, p, v[p]);
  return plug;
}

// The kB figure after key in /proc/self/status.
long StatusKb(const char* key)
{
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key, 0) == 0) return atol(line.c_str() + strlen(key));
  return -1;
}
} // namespace

// Every preset sets all five values and the reverb from them; its output on
// random-sign noise, the loudest there is, stays finite, does not clip, and
// the reverb is not needlessly quiet.
TEST(Plenmora, ParametersAndEveryPresetRestoringAllFiveValuesIntoTheReverb)
{
  auto plug = Make();
  ASSERT_EQ(plug->NParams(), 5);
  ASSERT_EQ(plug->NPresets(), 31);
  const char* names[5] = {"Room Size", "Dampening", "Width", "Dry", "Wet"};
  for (int p = 0; p < 5; ++p)
  {
    SCOPED_TRACE(names[p]);
    EXPECT_STREQ(plug->GetParam(p)->GetNameForHost(), names[p]);
    EXPECT_STREQ(plug->GetParam(p)->GetLabelForHost(), "%");
    EXPECT_DOUBLE_EQ(plug->GetParam(p)->GetNormalized(25.0), 0.25);  // 0..100, linear
    EXPECT_DOUBLE_EQ(plug->GetParam(p)->Value(), kExpected[0].v[p]); // the defaults
  }

  // In reverse, so every value actually changes on the way.
  std::mt19937 rng(100);
  for (int idx = 30; idx >= 0; --idx)
  {
    const double* v = kExpected[idx].v;
    SCOPED_TRACE(kExpected[idx].name);
    EXPECT_STREQ(plug->GetPresetName(idx), kExpected[idx].name);
    ASSERT_TRUE(plug->RestorePreset(idx));
    for (int p = 0; p < 5; ++p) EXPECT_DOUBLE_EQ(plug->GetParam(p)->Value(), v[p]) << p;
    const WDL_ReverbEngine& verb = plug->GetReverb();
    const double state[5] = {verb.GetRT60(), verb.GetDampingCutoff(), verb.GetWidth(),
                             verb.GetDryGain(), verb.GetWetGain()};
    const double expected[5] = {WDL_ReverbEngine::RT60FromRoomSize(v[0]),
                                WDL_ReverbEngine::CutoffFromDampening(v[1]), v[2] / 100, v[3] / 100,
                                v[4] / 100};
    for (int p = 0; p < 5; ++p) EXPECT_DOUBLE_EQ(state[p], expected[p]) << p;

    plug->Reset();
    double peak = 0.0;
    std::vector<double> l(512), r(512);
    for (int block = 0; block < 10 * 44100 / 512; ++block) // 10 s: past every build-up
    {
      for (int i = 0; i < 512; ++i) l[i] = rng() & 1 ? 1 : -1, r[i] = rng() & 1 ? 1 : -1;
      Process(*plug, l, r, 32);
      for (int i = 0; i < 512; ++i) peak = std::max({peak, std::fabs(l[i]), std::fabs(r[i])});
    }
    EXPECT_TRUE(std::isfinite(peak) && peak < (v[3] + v[4]) / 100 && peak > 0.3) << peak;
  }
  EXPECT_FALSE(plug->RestorePreset(31));
  EXPECT_FALSE(plug->RestorePreset(-1));
}

// The editor is made only from pictures of the sizes its layout gives them:
// each picture that is not is named with what is wrong with it, and the
// effect runs without an editor. A picture of another size costs nothing: its
// header tells (the 10000 x 10000 one has no pixels behind it, the 2000 x 2000
// one would take 16 MB). A FIFO where a picture should be is not waited on.
TEST(Plenmora, EditorOnlyFromPicturesOfTheirSizes)
{
  namespace fs = std::filesystem;
  const fs::path pictures = getenv("PLENMORA_RESOURCES"),
                 bad = fs::temp_directory_path() / ("plenmora_pictures" + std::to_string(getpid()));
  fs::create_directories(bad);
  ASSERT_TRUE(pngw::WriteFile(bad / "bg.png", pngw::HeaderOnly(10000, 10000)));
  ASSERT_EQ(0, mkfifo((bad / "knob_large.png").c_str(), 0600));
  pngw::Image big;
  big.width = big.height = 2000;
  big.samples.assign(2000 * 2000, 0); // grey
  ASSERT_TRUE(pngw::WriteFile(bad / "knob.png", pngw::Encode(big)));
  big.samples.clear();
  big.samples.shrink_to_fit();
  fs::copy_file(pictures / "meter.png", bad / "meter.png");
  fs::resize_file(bad / "meter.png", fs::file_size(bad / "meter.png") / 2);
  setenv("PLENMORA_RESOURCES", bad.c_str(), 1);
  // The peak resident memory starts again from the current one.
  std::ofstream("/proc/self/clear_refs") << "5";
  const long rss = StatusKb("VmRSS:");
  auto plug = Make();
  EXPECT_LT(StatusKb("VmHWM:") - rss, 8 * 1024) << "kB more at the peak";
  setenv("PLENMORA_RESOURCES", pictures.c_str(), 1);
  fs::remove_all(bad);
  EXPECT_EQ(plug->GetGUI(), nullptr);
  EXPECT_EQ(std::string(plug->GetGUIProblem()),
            "its pictures in " + bad.string() +
                " are not usable:\n"
                "\"bg.png\" is 10000 x 10000 pixels, where 620 x 580 are expected.\n"
                "\"knob_large.png\" is missing or unreadable.\n"
                "\"knob.png\" is 2000 x 2000 pixels, where 112 x 11312 (101 frames of 112 x 112) "
                "are expected.\n"
                "\"meter.png\" is damaged.\n"
                "\"about.png\" is missing or unreadable.");
  plug = Make();
  EXPECT_NE(plug->GetGUI(), nullptr);
  EXPECT_STREQ(plug->GetGUIProblem(), "");
}

TEST(Plenmora, ResetTakesTheSampleRateAndClearsTheTail)
{
  auto plug = Make();
  ASSERT_TRUE(plug->RestorePreset(30)); // "Wet Only"
  std::vector<double> l(44100, 0.5), r(44100, -0.5);
  Process(*plug, l, r, 256);
  ASSERT_GT(plug->GetMeterLevel(Plenmora::kMeterOutL), 0.0);

  plug->SetSampleRate(96000.0);
  plug->Reset();
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetSampleRate(), 96000.0);
  EXPECT_DOUBLE_EQ(plug->GetReverb().GetWetGain(), 1.0); // parameters survive
  EXPECT_EQ(plug->GetMeterLevel(Plenmora::kMeterOutL), 0.0);
  std::vector<double> silentL(4800), silentR(4800);
  Process(*plug, silentL, silentR, 64);
  for (size_t i = 0; i < silentL.size(); ++i) ASSERT_TRUE(silentL[i] == 0 && silentR[i] == 0) << i;
}

TEST(Plenmora, ResetAndParameterChangesWaitForThePlugInMutex)
{
  struct Probe : Plenmora
  {
    using Plenmora::Plenmora;
    WDL_Mutex& Mutex() { return mMutex; }
  } plug{IPlugInstanceInfo()};
  for (int which = 0; which < 2; ++which)
  {
    std::atomic<bool> done{false};
    plug.Mutex().Enter();
    std::thread t([&]
                  { which ? plug.OnParamChange(Plenmora::kRoomSize) : plug.Reset(), done = true; });
    // It must not finish while the mutex is held by someone else.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(done) << which;
    plug.Mutex().Leave();
    t.join();
  }
}

TEST(Plenmora, MetersShowPeaksInDecibelsAndFallTwentyDecibelsPerSecond)
{
  auto plug = Make();
  SetParam(*plug, Plenmora::kWet, 0.0);
  SetParam(*plug, Plenmora::kDry, 50.0);
  auto level = [&](int m) { return plug->GetMeterLevel(m); };
  const int block = 441; // 10 ms
  std::vector<double> l(block, 0.0), r(block, 0.0);
  l[100] = 1.0;  // 0 dB in
  r[200] = -0.1; // -20 dB in
  // In place: the input meters still show the input.
  Process(*plug, l, r, block);
  EXPECT_NEAR(level(Plenmora::kMeterInL), 1.0, 1e-12);
  EXPECT_NEAR(level(Plenmora::kMeterInR), 40.0 / 60, 1e-12);
  EXPECT_NEAR(level(Plenmora::kMeterOutL), (20 * std::log10(0.5) + 60) / 60, 1e-12);
  EXPECT_NEAR(level(Plenmora::kMeterOutR), (20 * std::log10(0.05) + 60) / 60, 1e-12);
  EXPECT_EQ(level(Plenmora::kNumMeters), 0.0);

  // Silence: every 10 ms the meters fall by exactly 0.2 dB.
  std::vector<double> silentL(block), silentR(block);
  for (int b = 0; b < 100; ++b)
  {
    const double before = level(Plenmora::kMeterInL);
    Process(*plug, silentL, silentR, block);
    EXPECT_NEAR(before - level(Plenmora::kMeterInL), 0.2 / 60, 1e-12);
  }
  EXPECT_NEAR(level(Plenmora::kMeterInR), 20.0 / 60, 1e-9);
  // Two seconds more of silence take every meter to the floor.
  for (int b = 0; b < 210; ++b) Process(*plug, silentL, silentR, block);
  for (int m = 0; m < Plenmora::kNumMeters; ++m) EXPECT_EQ(level(m), 0.0) << m;
}

// An infinite or NaN input sample is silence, on the dry path as in the
// reverb: the output and the meters are exactly those of the same input with
// zeros in its place. A state driven out of range by the largest finite
// inputs is cleared instead of ringing on as NaN.
TEST(Plenmora, NonFiniteInputIsSilenceAndTheOutputStaysFinite)
{
  const double inf = INFINITY, nan = NAN;
  // Frames [at, at + n) of the left (sides 1), right (2) or both (3) sides.
  const std::tuple<size_t, size_t, double, int> cases[] = {
      {1000, 1, nan, 1}, {2000, 300, inf, 3}, {5, 1, -inf, 2}, {3000, 64, -nan, 3}};
  const double settings[][5] = {{50, 50, 100, 100, 30}, {100, 0, 100, 100, 0}, {70, 50, 0, 0, 100}};
  for (const auto& [at, n, value, sides] : cases)
    for (const double* v : settings)
    {
      SCOPED_TRACE(std::to_string(at) + ", wet " + std::to_string((int)v[4]));
      auto bad = Make(v), good = Make(v);
      std::mt19937 rng(9);
      std::uniform_real_distribution<double> dist(-1.0, 1.0);
      std::vector<double> l(20000), r(20000);
      for (size_t i = 0; i < l.size(); ++i) l[i] = dist(rng), r[i] = dist(rng);
      std::vector<double> l0 = l, r0 = r;
      for (size_t i = at; i < at + n; ++i)
      {
        if (sides & 1) l[i] = value, l0[i] = 0.0;
        if (sides & 2) r[i] = value, r0[i] = 0.0;
      }
      for (size_t i = 0; i < l.size(); i += 32)
      {
        double *io[2] = {&l[i], &r[i]}, *io0[2] = {&l0[i], &r0[i]};
        bad->LockMutexAndProcessDoubleReplacing(io, io, 32);
        good->LockMutexAndProcessDoubleReplacing(io0, io0, 32);
        for (int m = 0; m < Plenmora::kNumMeters; ++m)
          ASSERT_EQ(good->GetMeterLevel(m), bad->GetMeterLevel(m)) << i << " meter " << m;
      }
      EXPECT_EQ(0, std::memcmp(l.data(), l0.data(), l.size() * sizeof(double)));
      EXPECT_EQ(0, std::memcmp(r.data(), r0.data(), r.size() * sizeof(double)));
    }

  // Random-sign noise at the largest finite value overflows the reverb.
  const double longest[5] = {100, 0, 100, 100, 100};
  auto plug = Make(longest);
  std::mt19937 rng(3);
  for (int b = 0; b < 200; ++b)
  {
    std::vector<double> l(512), r(512);
    for (int i = 0; i < 512; ++i) r[i] = -(l[i] = (rng() & 1 ? 1 : -1) * (b < 100 ? DBL_MAX : 0.5));
    Process(*plug, l, r, 32);
    for (int i = 0; i < 512; ++i) ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << b;
    for (int m = 0; m < Plenmora::kNumMeters; ++m) ASSERT_FALSE(std::isnan(plug->GetMeterLevel(m)));
  }
}
