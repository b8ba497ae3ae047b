// Level meters fed from an audio thread while the main thread draws: run
// under the thread sanitizer in CI as well.
#include <atomic>
#include <cmath>
#include <thread>

#include "test_editor.h"

namespace
{
using EditorThreads = EditorTest;

// A meter that can make the audio thread's next value arrive while it is
// drawn. Once Draw has read the old value it lets the writer go. In lockstep
// it then waits until the writer has marked the meter dirty, and the writer
// waits there until the main thread has finished the frame and so cleaned
// the meter: a value whose redraw request came after its dirty flag would be
// lost. Racing, Draw returns after a pause that changes from round to round,
// so the writer's flags land at every point of the cleaning. Waits give up
// after a while, so a fault fails instead of hanging.
struct MeetingMeter : RecordingControl
{
  static constexpr int kFree = 0, kLockstep = 1, kRacing = 2;
  using RecordingControl::RecordingControl;
  bool Draw(IGraphics* g) override
  {
    RecordingControl::Draw(g);
    int idle = 0;
    if (mMode == kFree || !mStep.compare_exchange_strong(idle, 1)) return true;
    if (mMode == kLockstep) Wait(2);
    for (volatile int i = 0; i < mPause; i = i + 1)
    {
    }
    return true;
  }
  void SetDirty(bool push) override
  {
    IControl::SetDirty(push);
    if (mMode != kLockstep || mStep.load() != 1) return;
    mStep.store(2);
    Wait(3);
  }
  void Wait(int step)
  {
    for (int i = 0; i < 1000000 && mStep.load() < step; ++i) std::this_thread::yield();
  }
  std::atomic<int> mMode{kFree}, mStep{0}, mPause{0};
};

TEST_F(EditorThreads, MeterValuesFromTheAudioThreadAreDrawnAndNeverLost)
{
  Add("background", IRECT(0, 0, 100, 100), TestPlug::kGain);
  auto* meter = new MeetingMeter(&plug, IRECT(10, 10, 20, 90));
  g->AttachControl(meter);
  g->SetControlFromPlug(1, 0.0); // the meter's first value

  // Round r: the audio thread sends a burst of rising values, each block
  // under the plug-in mutex as the effect's processing runs, and says when
  // it is done; the main thread draws all the while. Values are multiples
  // of 1e-6, so a torn value would show as something never sent. In two
  // rounds of three a single value is sent while the meter is drawn, in
  // lockstep or racing.
  constexpr int kRounds = 30000;
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
          const int mode = meter->mMode;
          if (mode != MeetingMeter::kFree) meter->Wait(1);
          for (int i = mode != MeetingMeter::kFree ? 1 : (r * 7919) % 97 + 1; i > 0; --i)
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
    if (meter->mStep.load() == 2) meter->mStep.store(3);
    const double v = meter->mDrawnValue;
    if (std::fabs(v / kStep - std::round(v / kStep)) > 1e-3 || v < shown) ++tornOrBackwards;
    shown = v;
    return true;
  };
  for (int r = 0; r < kRounds; ++r)
  {
    meter->mStep.store(0);
    meter->mMode.store(r % 3);
    meter->mPause.store(r % 3 == MeetingMeter::kRacing ? (r * 37) % 1000 : 0);
    if (r % 3) meter->SetDirty(false); // drawn (without a redraw request) when the value comes
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

TEST_F(EditorThreads, EditorsAttachedWhileTheAudioThreadRunsAreReachedSafely)
{
  // The audio thread reaches the editor as the effect's processing does;
  // the sanitizer builds see a use of an editor being replaced.
  std::atomic<int> reached{0};
  std::atomic<bool> stop{false};
  std::thread audio(
      [&]
      {
        while (!stop.load())
        {
          IPlugBase::IMutexLock lock(&plug);
          if (IGraphics* gui = plug.GetGUI()) gui->SetControlFromPlug(0, (reached++ % 100) / 100.0);
        }
      });
  // At least 300 replacements, and on until the audio thread got in between
  // them (the mutex is not fair: on a busy machine it may wait a while).
  for (int i = 0; i < 300 || (reached.load() < 10 && i < 3000000); ++i)
  {
    auto* gui = new TestGraphics(&plug, 10, 10);
    gui->AttachControl(new RecordingControl(&plug, IRECT(0, 0, 10, 10)));
    plug.AttachGraphics(gui);
    if (i >= 300) std::this_thread::yield();
  }
  stop.store(true);
  audio.join();
  EXPECT_GT(reached.load(), 0);
}
} // namespace
