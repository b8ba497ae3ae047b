// WDL_ReverbEngine: a stereo Schroeder-Moorer reverb.
//
// Per channel, eight low-pass-feedback comb filters run in parallel and their
// sum passes through four all-pass filters in series. Every delay is a prime
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

// A delay line over a power-of-two ring buffer. The channel's running frame
// counter, masked, addresses it; the processing loop works in runs of frames
// over which neither the read nor the write position wraps, so the inner
// loop is plain pointer arithmetic.
class WDL_ReverbDelayLine
{
public:
  void Attach(double* buf, unsigned mask, int delay)
  {
    mBuf = buf;
    mMask = mask;
    mDelay = (unsigned)delay;
  }
  int GetDelay() const { return (int)mDelay; }

  // Where frame pos reads (the sample written mDelay frames earlier) and
  // writes.
  const double* ReadAt(unsigned pos) const { return mBuf + ((pos - mDelay) & mMask); }
  double* WriteAt(unsigned pos) const { return mBuf + (pos & mMask); }
  // Frames from pos on before either position wraps.
  int RunAt(unsigned pos) const
  {
    const unsigned size = mMask + 1;
    const unsigned r = size - ((pos - mDelay) & mMask), w = size - (pos & mMask);
    return (int)(r < w ? r : w);
  }

private:
  double* mBuf = nullptr;
  unsigned mMask = 0;
  unsigned mDelay = 1;
};

// Comb filter with a one-pole low-pass filter in its feedback path: the
// output is the input delayed; the delayed signal, low-passed, is fed back
// with the gain mFeedback. The low-pass has unity gain at DC, so the reverb
// time holds exactly at low frequencies and high frequencies die away faster.
class WDL_ReverbComb : public WDL_ReverbDelayLine
{
public:
  void SetFeedback(double g) { mFeedback = g; }
  double GetFeedback() const { return mFeedback; }
  // Low-pass: s = (1 - a) y + a s[-1].
  void SetDamping(double a)
  {
    mDamp1 = 1.0 - a;
    mDamp2 = a;
  }
  double GetDamp1() const { return mDamp1; }
  double GetDamp2() const { return mDamp2; }
  double& FilterState() { return mFilter; }

  // One frame: y is the delayed sample (the comb's output); returns what
  // goes into the line.
  static double Step(double x, double y, double& filter, double damp1, double damp2, double g)
  {
    filter = y * damp1 + filter * damp2;
    return denormal_filter_feedback(x + filter * g);
  }

private:
  double mFeedback = 0.0;
  double mDamp1 = 1.0, mDamp2 = 0.0;
  double mFilter = 0.0;
};

// Schroeder all-pass filter: flat magnitude response, smears the comb
// echoes into a dense tail. w = x + g w[-D]; y = w[-D] - g w.
class WDL_ReverbAllpass : public WDL_ReverbDelayLine
{
public:
  static constexpr double kGain = 0.5;

  // One frame: d is the delayed sample; stores w for the line and returns
  // the output.
  static double Step(double x, double d, double* w)
  {
    const double v = denormal_filter_feedback(x + kGain * d);
    *w = v;
    return d - kGain * v;
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
  static constexpr double kInputGain = 0.012;
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
  // reverb). The outputs may be the inputs. With Dry at 1 and Wet at 0 the
  // output is the input, bit for bit. Flushes denormals for its duration.
  void ProcessSampleBlock(const double* inL, const double* inR, double* outL, double* outR,
                          int nFrames);

private:
  struct Channel
  {
    WDL_ReverbComb mCombs[kNumCombs];
    WDL_ReverbAllpass mAllpasses[kNumAllpasses];
    unsigned mPos = 0;

    // The reverb of nFrames input samples (input gain applied here).
    void Process(const double* in, double* wet, int nFrames);
  };

  // Frames processed at a time (the wet signal's scratch buffers).
  static constexpr int kChunk = 64;

  void UpdateFeedback();
  void UpdateDamping();
  void UpdateMix();

  Channel mChannels[kNumChannels];
  WDL_TypedBuf<double> mMemory;
  double mSampleRate = 0.0;
  bool mReady = false;

  double mRT60, mCutoff, mWidth, mDry, mWet;
  // Wet gain folded into the width mix: L = mMixSame * wetL + mMixCross * wetR.
  double mMixSame = 0.0, mMixCross = 0.0;
};
