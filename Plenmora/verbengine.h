// WDL_ReverbEngine: a stereo Schroeder-Moorer reverb.
//
// Per channel, eight low-pass-feedback comb filters run in parallel and their
// sum passes through four all-pass filters in series; both channels are
// computed together, one stereo frame at a time. Every delay is a prime
// number of samples, so no two delays share a period; the right channel's
// delays are about half a millisecond longer than the left's, which
// decorrelates the two sides. Each comb's feedback gain follows from its own
// delay and the reverb time, so the decay does not depend on the sample rate.
//
// Threading: SetSampleRate() allocates the delay memory and must not run on
// the audio thread; everything else allocates nothing. The owner serialises
// calls (the plug-in does so with its mutex).
#pragma once

#include "denormal.h"
#include "heapbuf.h"

// One stereo frame (left, right), computed on both channels at once.
typedef double WDL_ReverbFrame __attribute__((vector_size(16)));
// The same frame's bits, and masks from comparing frames.
typedef long long WDL_ReverbFrameBits __attribute__((vector_size(16)));

// The frame, with each infinite or NaN sample replaced by 0 and every
// finite one kept bit for bit (x - x is 0 only for finite x). Branch-free.
inline WDL_ReverbFrame WDL_ReverbFiniteOrZero(WDL_ReverbFrame x)
{
  const WDL_ReverbFrameBits finite = (x - x) == WDL_ReverbFrame{0.0, 0.0};
  return (WDL_ReverbFrame)((WDL_ReverbFrameBits)x & finite);
}

// A stereo delay line over a power-of-two ring of frames, left and right
// samples side by side. The running frame counter, masked, addresses it;
// the two channels have delays of their own but write the same frame. The
// processing loop works in runs of frames over which no position wraps, so
// the inner loop is plain pointer arithmetic.
class WDL_ReverbDelayLine
{
public:
  void Attach(double* buf, unsigned mask, int delayL, int delayR)
  {
    mBuf = buf;
    mMask = mask;
    mDelay[0] = (unsigned)delayL;
    mDelay[1] = (unsigned)delayR;
  }
  int GetDelay(int ch) const { return (int)mDelay[ch]; }

  // Where channel ch reads at frame pos (its sample of mDelay[ch] frames
  // earlier); successive frames are two doubles apart.
  const double* ReadAt(unsigned pos, int ch) const
  {
    return mBuf + 2 * ((pos - mDelay[ch]) & mMask) + ch;
  }
  // Where frame pos is written.
  double* WriteAt(unsigned pos) const { return mBuf + 2 * (pos & mMask); }
  // Frames from pos on before a read or the write position wraps.
  int RunAt(unsigned pos) const
  {
    const unsigned size = mMask + 1;
    unsigned run = size - (pos & mMask);
    for (unsigned d : mDelay)
    {
      const unsigned r = size - ((pos - d) & mMask);
      if (r < run) run = r;
    }
    return (int)run;
  }

private:
  double* mBuf = nullptr;
  unsigned mMask = 0;
  unsigned mDelay[2] = {1, 1};
};

// Comb filter with a one-pole low-pass filter in its feedback path: the
// output is the input delayed; the delayed signal, low-passed, is fed back
// with the gain mFeedback. The low-pass has unity gain at DC, so the reverb
// time holds exactly at low frequencies and high frequencies die away faster.
class WDL_ReverbComb : public WDL_ReverbDelayLine
{
public:
  void SetFeedback(int ch, double g) { mFeedback[ch] = g; }
  double GetFeedback(int ch) const { return mFeedback[ch]; }
  WDL_ReverbFrame GetFeedback() const { return mFeedback; }
  WDL_ReverbFrame& FilterState() { return mFilter; }

  // One frame: y is the delayed frame (the comb's output); returns what goes
  // into the line. The low-pass is s = damp1 y + damp2 s[-1], with
  // damp1 = 1 - damp2.
  static WDL_ReverbFrame Step(WDL_ReverbFrame x, WDL_ReverbFrame y, WDL_ReverbFrame& filter,
                              WDL_ReverbFrame damp1, WDL_ReverbFrame damp2, WDL_ReverbFrame g)
  {
    filter = y * damp1 + filter * damp2;
    return denormal_filter_feedback(x + filter * g);
  }

private:
  WDL_ReverbFrame mFeedback = {0.0, 0.0};
  WDL_ReverbFrame mFilter = {0.0, 0.0};
};

// Schroeder all-pass filter: flat magnitude response, smears the comb
// echoes into a dense tail. w = x + g w[-D]; y = w[-D] - g w.
class WDL_ReverbAllpass : public WDL_ReverbDelayLine
{
public:
  static constexpr double kGain = 0.5;

  // One frame: d is the delayed frame; returns w (for the line) in *w and
  // the output.
  static WDL_ReverbFrame Step(WDL_ReverbFrame x, WDL_ReverbFrame d, WDL_ReverbFrame* w)
  {
    *w = denormal_filter_feedback(x + kGain * d);
    return d - kGain * *w;
  }
};

class WDL_ReverbEngine
{
public:
  static constexpr int kNumChannels = 2;
  static constexpr int kNumCombs = 8;
  static constexpr int kNumAllpasses = 4;
  // Gain of the input into the comb bank: keeps the wet output of full-scale
  // noise below full scale at the longest reverb time.
  static constexpr double kInputGain = 0.016;
  // Sample rates outside this range are limited to it.
  static constexpr double kMinSampleRate = 8000.0;
  static constexpr double kMaxSampleRate = 768000.0;

  // Parameter mappings, percentages 0..100.
  static double RT60FromRoomSize(double percent);    // 0.3 s .. 10 s, exponential
  static double CutoffFromDampening(double percent); // 16 kHz .. 1.5 kHz, exponential

  WDL_ReverbEngine();
  WDL_ReverbEngine(const WDL_ReverbEngine&) = delete;
  WDL_ReverbEngine& operator=(const WDL_ReverbEngine&) = delete;

  // Sizes every delay for the rate, allocating the delay memory, and clears
  // the state. Allocates: never call it on the audio thread. Returns false
  // (and leaves the reverb silent) when the memory cannot be had.
  bool SetSampleRate(double sampleRate);
  double GetSampleRate() const { return mSampleRate; }
  // Clears all delay lines and filter states; allocates nothing.
  void Clear();

  void SetRoomSize(double percent);
  void SetDampening(double percent);
  void SetWidth(double percent);
  void SetDry(double percent);
  void SetWet(double percent);

  double GetRT60() const { return mRT60; }
  double GetDampingCutoff() const { return mCutoff; }
  double GetWidth() const { return mWidth; }
  double GetDryGain() const { return mDry; }
  double GetWetGain() const { return mWet; }
  bool IsReady() const { return mReady; }

  int GetCombDelay(int channel, int idx) const;
  double GetCombFeedback(int channel, int idx) const;
  int GetAllpassDelay(int channel, int idx) const;

  // Processes nFrames stereo frames: out = Dry * in + Wet * (width-mixed
  // reverb). The outputs may be the inputs. An infinite or NaN input sample
  // counts as silence, on the dry path as in the reverb; should the reverb's
  // state ever turn non-finite all the same (input near the largest double
  // overflowing), it is cleared. With Dry at 1 and Wet at 0 the output is the
  // (finite) input, bit for bit. Flushes denormals for its duration.
  void ProcessSampleBlock(const double* inL, const double* inR, double* outL, double* outR,
                          int nFrames);

private:
  // The reverb of nFrames stereo frames into wet (input gain applied here);
  // the input frames, non-finite samples made 0, go to dry.
  void ProcessWet(const double* inL, const double* inR, WDL_ReverbFrame* dry, WDL_ReverbFrame* wet,
                  int nFrames);

  // Frames processed at a time (the wet signal's scratch buffers).
  static constexpr int kChunk = 64;

  void UpdateFeedback();
  void UpdateDamping();
  void UpdateMix();

  WDL_ReverbComb mCombs[kNumCombs];
  WDL_ReverbAllpass mAllpasses[kNumAllpasses];
  unsigned mPos = 0; // running frame counter
  double mDamp2 = 0.0;
  WDL_TypedBuf<double> mMemory;
  double mSampleRate = 0.0;
  bool mReady = false;

  double mRT60, mCutoff, mWidth, mDry, mWet;
  // Wet gain folded into the width mix: L = mMixSame * wetL + mMixCross * wetR.
  double mMixSame = 0.0, mMixCross = 0.0;
};
