// Level meters fed from an audio thread while the main thread draws: run
// under the thread sanitizer in CI as well.
#include <atomic>
#include <cmath>
#include <thread>

#include "test_editor.h"

namespace
{
using EditorThreads = EditorTest;

TEST_F(EditorThreads, MeterValuesFromTheAudioThreadAreDrawnAndNeverLost)
{
  Add("background", IRECT(0, 0, 100, 100), TestPlug::kGain);
  RecordingControl* meter = Add("meter", IRECT(10, 10, 20, 90));
  g->SetControlFromPlug(1, 0.0); // the meter's first value

  // Round r: the audio thread sends a burst of rising values, each block
  // under the plug-in mutex as the effect's processing runs, and says when
  // it is done; the main thread draws all the while. Values are multiples
  // of 1e-6, so a torn value would show as something never sent.
  constexpr int kRounds = 5000;
  constexpr double kStep = 1e-6;
  std::atomic<int> round{-1}, done{-1};
  std::atomic<double> lastSent{0.0};
  std::thread audio(
      [&]
      {
        int k = 0;
        for (int r = 0; r < kRounds; ++r)
        {
          while (round.load() < r) std::this_thread::yield();
          for (int i = (r * 7919) % 97 + 1; i > 0; --i)
          {
            IPlugBase::IMutexLock lock(&plug);
            g->SetControlFromPlug(1, ++k * kStep);
          }
          lastSent.store(k * kStep);
          done.store(r);
        }
      });

  double shown = 0.0;
  int tornOrBackwards = 0, lostOrLate = 0;
  auto frame = [&]
  {
    IRECT r;
    if (!g->IsDirty(&r)) return false;
    g->Draw(&r);
    const double v = meter->mDrawnValue;
    if (std::fabs(v / kStep - std::round(v / kStep)) > 1e-3 || v < shown) ++tornOrBackwards;
    shown = v;
    return true;
  };
  for (int r = 0; r < kRounds; ++r)
  {
    round.store(r);
    while (done.load() < r) frame();
    // Once the writer stopped, its last value shows within two frames.
    int frames = 0;
    while (frames < 5 && frame()) ++frames;
    if (frames > 2 || shown != lastSent.load()) ++lostOrLate;
  }
  audio.join();
  EXPECT_EQ(0, tornOrBackwards);
  EXPECT_EQ(0, lostOrLate);
}
} // namespace
