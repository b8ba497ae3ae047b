#include "verbengine.h"

#include <cmath>
#include <cstring>

namespace
{
// Delays of the left channel in milliseconds; the right channel adds
// kStereoSpreadMs to each. Combs 25..37 ms, all-passes 5..13 ms.
constexpr double kCombDelaysMs[WDL_ReverbEngine::kNumCombs] = {25.3, 26.9, 28.9, 30.7,
                                                               32.3, 33.8, 35.3, 36.7};
constexpr double kAllpassDelaysMs[WDL_ReverbEngine::kNumAllpasses] = {12.6, 10.0, 7.7, 5.1};
constexpr double kStereoSpreadMs = 0.5;

constexpr double kMinRT60 = 0.3, kMaxRT60 = 10.0;
constexpr double kMaxCutoff = 16000.0, kMinCutoff = 1500.0;
// Padding between delay rings, in doubles: one 64-byte cache line.
constexpr unsigned kLinePad = 8;
constexpr double kPi = 3.14159265358979323846;

double ClampPercent(double percent)
{
  if (!(percent >= 0.0)) return 0.0; // also NaN
  return percent > 100.0 ? 100.0 : percent;
}

bool IsPrime(int n)
{
  if (n < 2) return false;
  if (n % 2 == 0) return n == 2;
  for (int d = 3; d * d <= n; d += 2)
    if (n % d == 0) return false;
  return true;
}

// The smallest prime >= n that is not among used[0..nUsed-1].
int NextFreePrime(int n, const int* used, int nUsed)
{
  for (;; ++n)
  {
    if (!IsPrime(n)) continue;
    bool taken = false;
    for (int i = 0; i < nUsed && !taken; ++i) taken = used[i] == n;
    if (!taken) return n;
  }
}

unsigned RingSizeFor(int delay)
{
  unsigned size = 1;
  while (size < (unsigned)delay) size <<= 1;
  return size;
}
} // namespace

double WDL_ReverbEngine::RT60FromRoomSize(double percent)
{
  return kMinRT60 * std::pow(kMaxRT60 / kMinRT60, ClampPercent(percent) / 100.0);
}

double WDL_ReverbEngine::CutoffFromDampening(double percent)
{
  return kMaxCutoff * std::pow(kMinCutoff / kMaxCutoff, ClampPercent(percent) / 100.0);
}

WDL_ReverbEngine::WDL_ReverbEngine()
{
  mRT60 = RT60FromRoomSize(50.0);
  mCutoff = CutoffFromDampening(50.0);
  mWidth = 1.0;
  mDry = 1.0;
  mWet = 0.3;
  UpdateMix();
}

bool WDL_ReverbEngine::SetSampleRate(double sampleRate)
{
  if (!(sampleRate > kMinSampleRate)) sampleRate = kMinSampleRate;
  if (sampleRate > kMaxSampleRate) sampleRate = kMaxSampleRate;
  mSampleRate = sampleRate;

  // Delays in samples: distinct primes across both channels.
  int delays[kNumChannels][kNumCombs + kNumAllpasses];
  int used[kNumChannels * (kNumCombs + kNumAllpasses)];
  int nUsed = 0;
  int maxComb = 1, maxAllpass = 1;
  for (int ch = 0; ch < kNumChannels; ++ch)
  {
    const double spread = ch * kStereoSpreadMs;
    for (int i = 0; i < kNumCombs + kNumAllpasses; ++i)
    {
      const double ms = i < kNumCombs ? kCombDelaysMs[i] : kAllpassDelaysMs[i - kNumCombs];
      const int n =
          NextFreePrime((int)std::lround((ms + spread) * 0.001 * sampleRate), used, nUsed);
      used[nUsed++] = n;
      delays[ch][i] = n;
      int& longest = i < kNumCombs ? maxComb : maxAllpass;
      if (n > longest) longest = n;
    }
  }

  // The rings are powers of two, so every line writes at the same offset
  // within its ring; one cache line of padding after each ring keeps those
  // writes in different cache sets instead of all in one.
  const unsigned combSize = RingSizeFor(maxComb), allpassSize = RingSizeFor(maxAllpass);
  const unsigned combStride = 2 * combSize + kLinePad, allpassStride = 2 * allpassSize + kLinePad;
  const int total = (int)(kNumCombs * combStride + kNumAllpasses * allpassStride);
  mMemory.Resize(total, true);
  mReady = mMemory.GetSize() == total;
  double* mem = mReady ? mMemory.Get() : nullptr;
  if (!mReady) mMemory.Resize(0, true);
  for (int i = 0; i < kNumCombs; ++i, mem = mem ? mem + combStride : nullptr)
    mCombs[i].Attach(mem, combSize - 1, delays[0][i], delays[1][i]);
  for (int i = 0; i < kNumAllpasses; ++i, mem = mem ? mem + allpassStride : nullptr)
    mAllpasses[i].Attach(mem, allpassSize - 1, delays[0][kNumCombs + i], delays[1][kNumCombs + i]);
  UpdateFeedback();
  UpdateDamping();
  Clear();
  return mReady;
}

void WDL_ReverbEngine::Clear()
{
  if (mMemory.GetSize()) std::memset(mMemory.Get(), 0, sizeof(double) * (size_t)mMemory.GetSize());
  for (WDL_ReverbComb& comb : mCombs) comb.FilterState() = WDL_ReverbFrame{0.0, 0.0};
  mPos = 0;
}

void WDL_ReverbEngine::SetRoomSize(double percent)
{
  mRT60 = RT60FromRoomSize(percent);
  UpdateFeedback();
}

void WDL_ReverbEngine::SetDampening(double percent)
{
  mCutoff = CutoffFromDampening(percent);
  UpdateDamping();
}

void WDL_ReverbEngine::SetWidth(double percent)
{
  mWidth = ClampPercent(percent) / 100.0;
  UpdateMix();
}

void WDL_ReverbEngine::SetDry(double percent) { mDry = ClampPercent(percent) / 100.0; }

void WDL_ReverbEngine::SetWet(double percent)
{
  mWet = ClampPercent(percent) / 100.0;
  UpdateMix();
}

void WDL_ReverbEngine::UpdateFeedback()
{
  if (mSampleRate <= 0.0) return;
  // The echo that has gone round a comb of D samples k times has been scaled
  // by g^k after k D / fs seconds; 60 dB down after RT60 seconds gives
  // g = 10^(-3 D / (RT60 fs)).
  for (WDL_ReverbComb& comb : mCombs)
    for (int ch = 0; ch < kNumChannels; ++ch)
      comb.SetFeedback(ch, std::pow(10.0, -3.0 * comb.GetDelay(ch) / (mRT60 * mSampleRate)));
}

void WDL_ReverbEngine::UpdateDamping()
{
  if (mSampleRate <= 0.0) return;
  mDamp2 = std::exp(-2.0 * kPi * mCutoff / mSampleRate);
}

void WDL_ReverbEngine::UpdateMix()
{
  mMixSame = mWet * (1.0 + mWidth) * 0.5;
  mMixCross = mWet * (1.0 - mWidth) * 0.5;
}

int WDL_ReverbEngine::GetCombDelay(int channel, int idx) const
{
  if (channel < 0 || channel >= kNumChannels || idx < 0 || idx >= kNumCombs) return 0;
  return mCombs[idx].GetDelay(channel);
}

double WDL_ReverbEngine::GetCombFeedback(int channel, int idx) const
{
  if (channel < 0 || channel >= kNumChannels || idx < 0 || idx >= kNumCombs) return 0.0;
  return mCombs[idx].GetFeedback(channel);
}

int WDL_ReverbEngine::GetAllpassDelay(int channel, int idx) const
{
  if (channel < 0 || channel >= kNumChannels || idx < 0 || idx >= kNumAllpasses) return 0;
  return mAllpasses[idx].GetDelay(channel);
}

void WDL_ReverbEngine::ProcessWet(const double* inL, const double* inR, WDL_ReverbFrame* dry,
                                  WDL_ReverbFrame* wet, int nFrames)
{
  // Coefficients and filter states live in locals for the loop, out of
  // reach of the stores into the delay lines.
  const WDL_ReverbFrame damp2 = {mDamp2, mDamp2};
  const WDL_ReverbFrame damp1 = 1.0 - damp2;
  WDL_ReverbFrame filter[kNumCombs], feedback[kNumCombs];
  for (int k = 0; k < kNumCombs; ++k)
  {
    filter[k] = mCombs[k].FilterState();
    feedback[k] = mCombs[k].GetFeedback();
  }

  while (nFrames > 0)
  {
    int run = nFrames;
    const double *combL[kNumCombs], *combR[kNumCombs];
    double* combOut[kNumCombs];
    const double *apL[kNumAllpasses], *apR[kNumAllpasses];
    double* apOut[kNumAllpasses];
    for (int k = 0; k < kNumCombs; ++k)
    {
      const int r = mCombs[k].RunAt(mPos);
      if (r < run) run = r;
      combL[k] = mCombs[k].ReadAt(mPos, 0);
      combR[k] = mCombs[k].ReadAt(mPos, 1);
      combOut[k] = mCombs[k].WriteAt(mPos);
    }
    for (int k = 0; k < kNumAllpasses; ++k)
    {
      const int r = mAllpasses[k].RunAt(mPos);
      if (r < run) run = r;
      apL[k] = mAllpasses[k].ReadAt(mPos, 0);
      apR[k] = mAllpasses[k].ReadAt(mPos, 1);
      apOut[k] = mAllpasses[k].WriteAt(mPos);
    }

    for (int i = 0; i < run; ++i)
    {
      const int at = 2 * i;
      const WDL_ReverbFrame in = WDL_ReverbFiniteOrZero(WDL_ReverbFrame{inL[i], inR[i]});
      dry[i] = in;
      const WDL_ReverbFrame x = in * kInputGain;
      WDL_ReverbFrame sum = {0.0, 0.0};
#pragma GCC unroll 8
      for (int k = 0; k < kNumCombs; ++k)
      {
        const WDL_ReverbFrame y = {combL[k][at], combR[k][at]};
        const WDL_ReverbFrame v = WDL_ReverbComb::Step(x, y, filter[k], damp1, damp2, feedback[k]);
        std::memcpy(combOut[k] + at, &v, sizeof(v));
        sum += y;
      }
#pragma GCC unroll 4
      for (int k = 0; k < kNumAllpasses; ++k)
      {
        WDL_ReverbFrame w;
        sum = WDL_ReverbAllpass::Step(sum, WDL_ReverbFrame{apL[k][at], apR[k][at]}, &w);
        std::memcpy(apOut[k] + at, &w, sizeof(w));
      }
      wet[i] = sum;
    }
    mPos += (unsigned)run;
    inL += run;
    inR += run;
    dry += run;
    wet += run;
    nFrames -= run;
  }

  for (int k = 0; k < kNumCombs; ++k) mCombs[k].FilterState() = denormal_filter(filter[k]);
}

void WDL_ReverbEngine::ProcessSampleBlock(const double* inL, const double* inR, double* outL,
                                          double* outR, int nFrames)
{
  if (nFrames <= 0) return;
  WDL_DenormalFlushScope flush;
  const bool passDry = mDry == 1.0 && mWet == 0.0;
  const WDL_ReverbFrame dryGain = {mDry, mDry}, same = {mMixSame, mMixSame},
                        cross = {mMixCross, mMixCross};
  // Both taken before any output is written, so the outputs may be the
  // inputs.
  WDL_ReverbFrame in[kChunk], wet[kChunk];
  for (int done = 0; done < nFrames; done += kChunk)
  {
    const int n = nFrames - done < kChunk ? nFrames - done : kChunk;
    const double *xL = inL + done, *xR = inR + done;
    double *yL = outL + done, *yR = outR + done;
    if (mReady)
    {
      ProcessWet(xL, xR, in, wet, n);
    }
    else
    {
      // Without delay memory there is no reverb.
      for (int i = 0; i < n; ++i)
      {
        in[i] = WDL_ReverbFiniteOrZero(WDL_ReverbFrame{xL[i], xR[i]});
        wet[i] = WDL_ReverbFrame{0.0, 0.0};
      }
    }
    if (passDry)
    {
      // No arithmetic, so subnormal inputs and -0 pass as they are.
      for (int i = 0; i < n; ++i) yL[i] = in[i][0], yR[i] = in[i][1];
      continue;
    }
    // With finite input and finite gains, an output that is not finite can
    // only come from the reverb: its state has gone non-finite (inputs near
    // the largest double overflow it) and would ring on so for good. It is
    // cleared, and this chunk is left dry. The test is on the bits: an
    // exponent of all ones (infinite or NaN) carries into the top bit.
    typedef unsigned long long Bits __attribute__((vector_size(16)));
    const Bits kExponent = {0x7ff0000000000000ull, 0x7ff0000000000000ull},
               kExponentOne = {0x0010000000000000ull, 0x0010000000000000ull};
    Bits check = {0, 0};
    for (int i = 0; i < n; ++i)
    {
      const WDL_ReverbFrame w = wet[i], swapped = {w[1], w[0]};
      const WDL_ReverbFrame y = dryGain * in[i] + (same * w + cross * swapped);
      check |= ((Bits)y & kExponent) + kExponentOne;
      yL[i] = y[0];
      yR[i] = y[1];
    }
    if ((check[0] | check[1]) >> 63)
    {
      Clear();
      for (int i = 0; i < n; ++i)
      {
        const WDL_ReverbFrame y = dryGain * in[i];
        yL[i] = y[0];
        yR[i] = y[1];
      }
    }
  }
}
