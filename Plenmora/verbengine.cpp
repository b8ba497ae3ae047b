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
  const unsigned combStride = combSize + kLinePad, allpassStride = allpassSize + kLinePad;
  const int perChannel = (int)(kNumCombs * combStride + kNumAllpasses * allpassStride);
  mMemory.Resize(kNumChannels * perChannel, true);
  mReady = mMemory.GetSize() == kNumChannels * perChannel;
  if (!mReady)
  {
    mMemory.Resize(0, true);
    for (Channel& c : mChannels)
    {
      for (WDL_ReverbComb& comb : c.mCombs) comb.Attach(nullptr, 0, 1);
      for (WDL_ReverbAllpass& ap : c.mAllpasses) ap.Attach(nullptr, 0, 1);
    }
    return false;
  }

  double* mem = mMemory.Get();
  for (int ch = 0; ch < kNumChannels; ++ch)
  {
    Channel& c = mChannels[ch];
    for (int i = 0; i < kNumCombs; ++i, mem += combStride)
      c.mCombs[i].Attach(mem, combSize - 1, delays[ch][i]);
    for (int i = 0; i < kNumAllpasses; ++i, mem += allpassStride)
      c.mAllpasses[i].Attach(mem, allpassSize - 1, delays[ch][kNumCombs + i]);
  }
  UpdateFeedback();
  UpdateDamping();
  Clear();
  return true;
}

void WDL_ReverbEngine::Clear()
{
  if (mMemory.GetSize()) std::memset(mMemory.Get(), 0, sizeof(double) * (size_t)mMemory.GetSize());
  for (Channel& c : mChannels)
  {
    for (WDL_ReverbComb& comb : c.mCombs) comb.FilterState() = 0.0;
    c.mPos = 0;
  }
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
  for (Channel& c : mChannels)
    for (WDL_ReverbComb& comb : c.mCombs)
      comb.SetFeedback(std::pow(10.0, -3.0 * comb.GetDelay() / (mRT60 * mSampleRate)));
}

void WDL_ReverbEngine::UpdateDamping()
{
  if (mSampleRate <= 0.0) return;
  const double a = std::exp(-2.0 * kPi * mCutoff / mSampleRate);
  for (Channel& c : mChannels)
    for (WDL_ReverbComb& comb : c.mCombs) comb.SetDamping(a);
}

void WDL_ReverbEngine::UpdateMix()
{
  mMixSame = mWet * (1.0 + mWidth) * 0.5;
  mMixCross = mWet * (1.0 - mWidth) * 0.5;
}

int WDL_ReverbEngine::GetCombDelay(int channel, int idx) const
{
  if (channel < 0 || channel >= kNumChannels || idx < 0 || idx >= kNumCombs) return 0;
  return mChannels[channel].mCombs[idx].GetDelay();
}

double WDL_ReverbEngine::GetCombFeedback(int channel, int idx) const
{
  if (channel < 0 || channel >= kNumChannels || idx < 0 || idx >= kNumCombs) return 0.0;
  return mChannels[channel].mCombs[idx].GetFeedback();
}

int WDL_ReverbEngine::GetAllpassDelay(int channel, int idx) const
{
  if (channel < 0 || channel >= kNumChannels || idx < 0 || idx >= kNumAllpasses) return 0;
  return mChannels[channel].mAllpasses[idx].GetDelay();
}

void WDL_ReverbEngine::Channel::Process(const double* in, double* wet, int nFrames)
{
  // The filters' coefficients and states live in locals for the loop, out
  // of reach of the stores into the delay lines.
  const double damp1 = mCombs[0].GetDamp1(), damp2 = mCombs[0].GetDamp2();
  double filter[kNumCombs], feedback[kNumCombs];
  for (int k = 0; k < kNumCombs; ++k)
  {
    filter[k] = mCombs[k].FilterState();
    feedback[k] = mCombs[k].GetFeedback();
  }

  while (nFrames > 0)
  {
    int run = nFrames;
    const double* combIn[kNumCombs];
    double* combOut[kNumCombs];
    const double* apIn[kNumAllpasses];
    double* apOut[kNumAllpasses];
    for (int k = 0; k < kNumCombs; ++k)
    {
      const int r = mCombs[k].RunAt(mPos);
      if (r < run) run = r;
      combIn[k] = mCombs[k].ReadAt(mPos);
      combOut[k] = mCombs[k].WriteAt(mPos);
    }
    for (int k = 0; k < kNumAllpasses; ++k)
    {
      const int r = mAllpasses[k].RunAt(mPos);
      if (r < run) run = r;
      apIn[k] = mAllpasses[k].ReadAt(mPos);
      apOut[k] = mAllpasses[k].WriteAt(mPos);
    }

    for (int i = 0; i < run; ++i)
    {
      const double x = in[i] * kInputGain;
      double sum = 0.0;
#pragma GCC unroll 8
      for (int k = 0; k < kNumCombs; ++k)
      {
        const double y = combIn[k][i];
        combOut[k][i] = WDL_ReverbComb::Step(x, y, filter[k], damp1, damp2, feedback[k]);
        sum += y;
      }
#pragma GCC unroll 4
      for (int k = 0; k < kNumAllpasses; ++k)
        sum = WDL_ReverbAllpass::Step(sum, apIn[k][i], &apOut[k][i]);
      wet[i] = sum;
    }
    mPos += (unsigned)run;
    in += run;
    wet += run;
    nFrames -= run;
  }

  for (int k = 0; k < kNumCombs; ++k) mCombs[k].FilterState() = denormal_filter_double(filter[k]);
}

void WDL_ReverbEngine::ProcessSampleBlock(const double* inL, const double* inR, double* outL,
                                          double* outR, int nFrames)
{
  if (nFrames <= 0) return;
  WDL_DenormalFlushScope flush;
  const bool passDry = mDry == 1.0 && mWet == 0.0;
  const double dry = mDry, same = mMixSame, cross = mMixCross;
  double wetL[kChunk], wetR[kChunk];
  for (int done = 0; done < nFrames; done += kChunk)
  {
    const int n = nFrames - done < kChunk ? nFrames - done : kChunk;
    const double *xL = inL + done, *xR = inR + done;
    double *yL = outL + done, *yR = outR + done;
    if (mReady)
    {
      mChannels[0].Process(xL, wetL, n);
      mChannels[1].Process(xR, wetR, n);
    }
    else
    {
      // Without delay memory there is no reverb.
      for (int i = 0; i < n; ++i) wetL[i] = wetR[i] = 0.0;
    }
    if (passDry)
    {
      // A plain copy: no arithmetic, so subnormal inputs and -0 pass too.
      if (yL != xL) std::memmove(yL, xL, sizeof(double) * (size_t)n);
      if (yR != xR) std::memmove(yR, xR, sizeof(double) * (size_t)n);
      continue;
    }
    for (int i = 0; i < n; ++i)
    {
      const double l = xL[i], r = xR[i];
      yL[i] = dry * l + (same * wetL[i] + cross * wetR[i]);
      yR[i] = dry * r + (same * wetR[i] + cross * wetL[i]);
    }
  }
}
