#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "verbengine.h"

namespace
{
struct Stereo
{
  std::vector<double> l, r;
  explicit Stereo(size_t n = 0) : l(n), r(n) {}
  size_t size() const { return l.size(); }
};

// Runs the input through the engine in blocks of the given size.
Stereo Process(WDL_ReverbEngine& verb, const Stereo& in, int block = 32)
{
  Stereo out(in.size());
  for (size_t i = 0; i < in.size(); i += (size_t)block)
  {
    const int n = (int)std::min<size_t>((size_t)block, in.size() - i);
    verb.ProcessSampleBlock(&in.l[i], &in.r[i], &out.l[i], &out.r[i], n);
  }
  return out;
}

Stereo Noise(size_t n, unsigned seed, double amplitude = 1.0)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-amplitude, amplitude);
  Stereo s(n);
  for (size_t i = 0; i < n; ++i) s.l[i] = dist(rng), s.r[i] = dist(rng);
  return s;
}

void Configure(WDL_ReverbEngine& verb, double rate, double room, double damp, double width,
               double dry, double wet)
{
  ASSERT_TRUE(verb.SetSampleRate(rate));
  verb.SetRoomSize(room);
  verb.SetDampening(damp);
  verb.SetWidth(width);
  verb.SetDry(dry);
  verb.SetWet(wet);
}

Stereo ImpulseResponse(WDL_ReverbEngine& verb, double seconds)
{
  Stereo in((size_t)(seconds * verb.GetSampleRate()));
  in.l[0] = in.r[0] = 1.0;
  return Process(verb, in);
}

// Second-order Butterworth filters, to look at one band alone.
std::vector<double> Butterworth(const std::vector<double>& x, double cutoff, double rate, bool high)
{
  const double k = std::tan(M_PI * cutoff / rate), q = std::sqrt(0.5);
  const double norm = 1.0 / (1.0 + k / q + k * k);
  const double b0 = high ? norm : k * k * norm, b1 = high ? -2.0 * b0 : 2.0 * b0, b2 = b0;
  const double a1 = 2.0 * (k * k - 1.0) * norm, a2 = (1.0 - k / q + k * k) * norm;
  std::vector<double> y(x.size());
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  for (size_t i = 0; i < x.size(); ++i)
  {
    y[i] = b0 * x[i] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1, x1 = x[i], y2 = y1, y1 = y[i];
  }
  return y;
}

// Reverb time of an impulse response: Schroeder's backward-integrated energy
// decay, a least-squares line through its -5 to -25 dB part, extrapolated
// to 60 dB.
double MeasureRT60(const std::vector<double>& ir, double rate)
{
  std::vector<double> edc(ir.size());
  double acc = 0.0;
  for (size_t i = ir.size(); i-- > 0;) edc[i] = acc += ir[i] * ir[i];
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  int n = 0;
  for (size_t i = 0; i < ir.size(); ++i)
  {
    const double db = 10.0 * std::log10(edc[i] / edc[0]);
    if (db > -5.0) continue;
    if (db < -25.0) break;
    const double t = (double)i / rate;
    sx += t, sy += db, sxx += t * t, sxy += t * db, ++n;
  }
  if (n < 2) return 0.0;
  const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx); // dB per second
  return -60.0 / slope;
}

// Broadband, or below 500 Hz (lowBand), where the loop's low-pass has no
// effect and the decay follows the comb gains alone.
double RT60Of(double rate, double room, double damp, bool lowBand = false)
{
  WDL_ReverbEngine verb;
  Configure(verb, rate, room, damp, 100, 0, 100);
  const double target = WDL_ReverbEngine::RT60FromRoomSize(room);
  const std::vector<double> ir = ImpulseResponse(verb, target * 0.6 + 0.5).l;
  return MeasureRT60(lowBand ? Butterworth(ir, 500.0, rate, false) : ir, rate);
}

bool IsPrime(int n)
{
  if (n < 2) return false;
  for (int d = 2; d * d <= n; ++d)
    if (n % d == 0) return false;
  return true;
}
} // namespace

TEST(ReverbEngine, DelaysAreDistinctPrimesInTheirRangesAndRightIsLonger)
{
  // (Below 44.1 kHz primes are too sparse, in milliseconds, for the spread
  // between the sides to stay near half a millisecond.)
  for (double rate : {44100.0, 48000.0, 96000.0, 192000.0})
  {
    SCOPED_TRACE(rate);
    WDL_ReverbEngine verb;
    ASSERT_TRUE(verb.SetSampleRate(rate));
    std::vector<int> all;
    for (int ch = 0; ch < 2; ++ch)
    {
      for (int k = 0; k < WDL_ReverbEngine::kNumCombs; ++k)
      {
        const double ms = 1000.0 * verb.GetCombDelay(ch, k) / rate;
        EXPECT_GE(ms, 25.0);
        EXPECT_LE(ms, 37.8);
        all.push_back(verb.GetCombDelay(ch, k));
      }
      for (int k = 0; k < WDL_ReverbEngine::kNumAllpasses; ++k)
      {
        const double ms = 1000.0 * verb.GetAllpassDelay(ch, k) / rate;
        EXPECT_GE(ms, 5.0);
        EXPECT_LE(ms, 13.8);
        all.push_back(verb.GetAllpassDelay(ch, k));
      }
    }
    for (size_t i = 0; i < all.size(); ++i)
    {
      EXPECT_TRUE(IsPrime(all[i])) << all[i];
      for (size_t j = 0; j < i; ++j) EXPECT_NE(all[i], all[j]);
    }
    for (int k = 0; k < WDL_ReverbEngine::kNumCombs; ++k)
    {
      const double spreadMs = 1000.0 * (verb.GetCombDelay(1, k) - verb.GetCombDelay(0, k)) / rate;
      EXPECT_GT(spreadMs, 0.2);
      EXPECT_LT(spreadMs, 0.9);
    }
  }
}

TEST(ReverbEngine, MatchesTheTextbookStructureSampleForSample)
{
  // A plain per-sample model of 8 low-pass-feedback combs into 4 all-passes
  // per channel, built from the delays and gains the engine reports.
  const double rate = 44100.0;
  WDL_ReverbEngine verb;
  Configure(verb, rate, 70, 40, 60, 80, 45);
  const double a = std::exp(-2.0 * M_PI * verb.GetDampingCutoff() / rate);
  const double w = verb.GetWidth(), dry = verb.GetDryGain(), wet = verb.GetWetGain();

  struct Line
  {
    std::vector<double> buf;
    size_t pos = 0;
    double Tap() const { return buf[pos]; }
    void Push(double v)
    {
      buf[pos] = v;
      pos = (pos + 1) % buf.size();
    }
  };
  Line comb[2][8], ap[2][4];
  double lp[2][8] = {};
  for (int ch = 0; ch < 2; ++ch)
  {
    for (int k = 0; k < 8; ++k) comb[ch][k].buf.assign((size_t)verb.GetCombDelay(ch, k), 0.0);
    for (int k = 0; k < 4; ++k) ap[ch][k].buf.assign((size_t)verb.GetAllpassDelay(ch, k), 0.0);
  }

  // Longer than every ring, with odd block sizes, so the engine wraps its
  // rings inside blocks.
  const Stereo in = Noise(20000, 7);
  Stereo out(in.size());
  std::mt19937 rng(3);
  for (size_t i = 0; i < in.size();)
  {
    const int n = (int)std::min<size_t>(1 + rng() % 97, in.size() - i);
    verb.ProcessSampleBlock(&in.l[i], &in.r[i], &out.l[i], &out.r[i], n);
    i += (size_t)n;
  }

  double maxErr = 0.0;
  for (size_t i = 0; i < in.size(); ++i)
  {
    double wetCh[2];
    for (int ch = 0; ch < 2; ++ch)
    {
      const double x = (ch ? in.r[i] : in.l[i]) * WDL_ReverbEngine::kInputGain;
      double sum = 0.0;
      for (int k = 0; k < 8; ++k)
      {
        const double y = comb[ch][k].Tap();
        lp[ch][k] = (1.0 - a) * y + a * lp[ch][k];
        comb[ch][k].Push(x + verb.GetCombFeedback(ch, k) * lp[ch][k]);
        sum += y;
      }
      for (int k = 0; k < 4; ++k)
      {
        const double d = ap[ch][k].Tap();
        const double v = sum + 0.5 * d;
        ap[ch][k].Push(v);
        sum = d - 0.5 * v;
      }
      wetCh[ch] = sum;
    }
    const double l = dry * in.l[i] + wet * (wetCh[0] * (1 + w) / 2 + wetCh[1] * (1 - w) / 2);
    const double r = dry * in.r[i] + wet * (wetCh[1] * (1 + w) / 2 + wetCh[0] * (1 - w) / 2);
    maxErr = std::max({maxErr, std::fabs(l - out.l[i]), std::fabs(r - out.r[i])});
  }
  EXPECT_LT(maxErr, 1e-12);
}

TEST(ReverbEngine, ReverbTimeFollowsRoomSize)
{
  const double rate = 44100.0;
  double previous = 0.0;
  for (double room : {0.0, 25.0, 50.0, 75.0, 100.0})
  {
    SCOPED_TRACE(room);
    const double target = WDL_ReverbEngine::RT60FromRoomSize(room);
    const double measured = RT60Of(rate, room, 0.0);
    EXPECT_GT(measured, previous * 1.2);
    previous = measured;
    if (room == 0.0 || room == 50.0 || room == 100.0)
    {
      EXPECT_NEAR(measured, target, 0.25 * target);
    }
    // Below the dampening the decay is the one the comb gains were made for.
    if (room >= 25.0)
    {
      EXPECT_NEAR(RT60Of(rate, room, 50.0, true), target, 0.1 * target);
    }
  }
  EXPECT_NEAR(WDL_ReverbEngine::RT60FromRoomSize(0.0), 0.3, 1e-12);
  EXPECT_NEAR(WDL_ReverbEngine::RT60FromRoomSize(100.0), 10.0, 1e-12);
  // Exponential in between: the geometric mean at the middle.
  EXPECT_NEAR(WDL_ReverbEngine::RT60FromRoomSize(50.0), std::sqrt(3.0), 1e-12);
}

TEST(ReverbEngine, ReverbTimeDoesNotDependOnTheSampleRate)
{
  const double ref = RT60Of(44100.0, 50.0, 50.0);
  EXPECT_GT(ref, 0.0);
  for (double rate : {48000.0, 96000.0})
    EXPECT_NEAR(RT60Of(rate, 50.0, 50.0), ref, 0.05 * ref) << rate;
}

TEST(ReverbEngine, MoreDampeningDecaysTheHighBandFaster)
{
  const double rate = 44100.0;
  double previous = 1e9;
  for (double damp : {0.0, 50.0, 100.0})
  {
    WDL_ReverbEngine verb;
    Configure(verb, rate, 60, damp, 100, 0, 100);
    const double rt =
        MeasureRT60(Butterworth(ImpulseResponse(verb, 4.0).l, 5000.0, rate, true), rate);
    EXPECT_LT(rt, previous * 0.8) << damp;
    previous = rt;
  }
  EXPECT_NEAR(WDL_ReverbEngine::CutoffFromDampening(0.0), 16000.0, 1e-9);
  EXPECT_NEAR(WDL_ReverbEngine::CutoffFromDampening(100.0), 1500.0, 1e-9);
}

TEST(ReverbEngine, WidthMixesTheTwoWetChannels)
{
  const Stereo in = Noise(30000, 11);
  WDL_ReverbEngine full, half, mono;
  Configure(full, 44100, 50, 50, 100, 0, 100);
  Configure(half, 44100, 50, 50, 50, 0, 100);
  Configure(mono, 44100, 50, 50, 0, 0, 100);
  const Stereo f = Process(full, in), h = Process(half, in), m = Process(mono, in);

  double corr = 0, el = 0, er = 0, maxErr = 0;
  for (size_t i = 0; i < in.size(); ++i)
  {
    ASSERT_EQ(m.l[i], m.r[i]) << i;
    maxErr = std::max(maxErr, std::fabs(h.l[i] - (0.75 * f.l[i] + 0.25 * f.r[i])));
    maxErr = std::max(maxErr, std::fabs(h.r[i] - (0.75 * f.r[i] + 0.25 * f.l[i])));
    corr += f.l[i] * f.r[i], el += f.l[i] * f.l[i], er += f.r[i] * f.r[i];
  }
  EXPECT_LT(maxErr, 1e-12);
  EXPECT_GT(el, 0.0);
  // Full width: the sides are nearly uncorrelated, even for a mono input.
  EXPECT_LT(std::fabs(corr / std::sqrt(el * er)), 0.2);

  Stereo monoIn = in;
  monoIn.r = monoIn.l;
  WDL_ReverbEngine fullMono;
  Configure(fullMono, 44100, 50, 50, 100, 0, 100);
  const Stereo fm = Process(fullMono, monoIn);
  corr = el = er = 0;
  for (size_t i = 0; i < in.size(); ++i)
    corr += fm.l[i] * fm.r[i], el += fm.l[i] * fm.l[i], er += fm.r[i] * fm.r[i];
  EXPECT_LT(std::fabs(corr / std::sqrt(el * er)), 0.2);
}

TEST(ReverbEngine, DryOnlyIsBitExactAndMixingIsLinear)
{
  Stereo in = Noise(5000, 5);
  // Values that arithmetic would change: subnormals, negative zero, extremes.
  in.l[10] = 4.9e-324;
  in.r[11] = -2.5e-310;
  in.l[12] = -0.0;
  in.r[13] = 1e300;
  in.l[14] = -1e-300;

  WDL_ReverbEngine verb;
  Configure(verb, 44100, 80, 30, 100, 100, 0);
  const Stereo out = Process(verb, in, 29);
  EXPECT_EQ(0, std::memcmp(out.l.data(), in.l.data(), in.size() * sizeof(double)));
  EXPECT_EQ(0, std::memcmp(out.r.data(), in.r.data(), in.size() * sizeof(double)));

  // In place as well.
  Stereo inPlace = in;
  WDL_ReverbEngine verb2;
  Configure(verb2, 44100, 80, 30, 100, 100, 0);
  verb2.ProcessSampleBlock(inPlace.l.data(), inPlace.r.data(), inPlace.l.data(), inPlace.r.data(),
                           (int)in.size());
  EXPECT_EQ(0, std::memcmp(inPlace.l.data(), in.l.data(), in.size() * sizeof(double)));

  // Dry and Wet at 0: silence.
  const Stereo quiet = Noise(3000, 9);
  WDL_ReverbEngine off;
  Configure(off, 44100, 80, 30, 100, 0, 0);
  for (double v : Process(off, quiet).l) ASSERT_EQ(v, 0.0);

  // Any mix is Dry times the input plus Wet times the full wet signal.
  WDL_ReverbEngine wetOnly, mixed;
  Configure(wetOnly, 44100, 40, 60, 70, 0, 100);
  Configure(mixed, 44100, 40, 60, 70, 35, 65);
  const Stereo w = Process(wetOnly, quiet), m = Process(mixed, quiet);
  double maxErr = 0.0, wetEnergy = 0.0;
  for (size_t i = 0; i < quiet.size(); ++i)
  {
    maxErr = std::max(maxErr, std::fabs(m.l[i] - (0.35 * quiet.l[i] + 0.65 * w.l[i])));
    maxErr = std::max(maxErr, std::fabs(m.r[i] - (0.35 * quiet.r[i] + 0.65 * w.r[i])));
    wetEnergy += w.l[i] * w.l[i];
  }
  EXPECT_LT(maxErr, 1e-13);
  EXPECT_GT(wetEnergy, 0.0);
}

TEST(ReverbEngine, FullScaleNoiseDoesNotClipAtTheLongestReverb)
{
  // 60 s of full-scale noise at Room Size 100 with no dampening, wet only.
  const double seconds = 60.0;
  for (int kind = 0; kind < 2; ++kind)
  {
    SCOPED_TRACE(kind ? "random signs" : "uniform");
    WDL_ReverbEngine verb;
    Configure(verb, 44100, 100, 0, 100, 0, 100);
    std::mt19937 rng(21);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> l(4096), r(4096);
    double peak = 0.0;
    bool finite = true;
    for (long done = 0; done < (long)(seconds * 44100); done += 4096)
    {
      for (size_t i = 0; i < l.size(); ++i)
      {
        l[i] = kind ? ((rng() & 1) ? 1.0 : -1.0) : dist(rng);
        r[i] = kind ? ((rng() & 1) ? 1.0 : -1.0) : dist(rng);
      }
      verb.ProcessSampleBlock(l.data(), r.data(), l.data(), r.data(), 4096);
      for (size_t i = 0; i < l.size(); ++i)
      {
        finite = finite && std::isfinite(l[i]) && std::isfinite(r[i]);
        peak = std::max({peak, std::fabs(l[i]), std::fabs(r[i])});
      }
    }
    EXPECT_TRUE(finite);
    EXPECT_LT(peak, 1.0);
    EXPECT_GT(peak, 0.2); // and the reverb is not needlessly quiet
  }
}

TEST(ReverbEngine, SilentTailEndsInExactZerosWithoutSubnormals)
{
  WDL_ReverbEngine verb;
  Configure(verb, 44100, 0, 50, 100, 0, 100);
  Process(verb, Noise(44100, 4));
  const Stereo silence(44100 * 40);
  const Stereo tail = Process(verb, silence);
  size_t lastNonZero = 0;
  for (size_t i = 0; i < tail.size(); ++i)
  {
    ASSERT_NE(std::fpclassify(tail.l[i]), FP_SUBNORMAL) << i;
    ASSERT_NE(std::fpclassify(tail.r[i]), FP_SUBNORMAL) << i;
    if (tail.l[i] != 0.0 || tail.r[i] != 0.0) lastNonZero = i;
  }
  EXPECT_GT(lastNonZero, 0u);
  EXPECT_LT(lastNonZero, tail.size() - 44100); // the last second is all zeros

  // Clearing silences a running tail at once.
  Process(verb, Noise(4410, 8));
  verb.Clear();
  for (double v : Process(verb, Stereo(4410)).l) ASSERT_EQ(v, 0.0);
}

TEST(ReverbEngine, UnusableSampleRatesAreLimited)
{
  for (double rate : {0.0, -48000.0, std::nan(""), 1e12})
  {
    SCOPED_TRACE(rate);
    WDL_ReverbEngine verb;
    verb.SetSampleRate(rate);
    EXPECT_GE(verb.GetSampleRate(), WDL_ReverbEngine::kMinSampleRate);
    EXPECT_LE(verb.GetSampleRate(), WDL_ReverbEngine::kMaxSampleRate);
    verb.SetWet(100);
    const Stereo out = Process(verb, Noise(20000, 2));
    double energy = 0.0;
    for (double v : out.l)
    {
      ASSERT_TRUE(std::isfinite(v));
      energy += v * v;
    }
    EXPECT_GT(energy, 0.0);
  }
}

TEST(ReverbEngine, ParametersOutOfRangeAreClamped)
{
  WDL_ReverbEngine verb;
  ASSERT_TRUE(verb.SetSampleRate(44100));
  verb.SetRoomSize(250);
  EXPECT_DOUBLE_EQ(verb.GetRT60(), 10.0);
  verb.SetRoomSize(std::nan(""));
  EXPECT_DOUBLE_EQ(verb.GetRT60(), 0.3);
  verb.SetWidth(-5);
  EXPECT_DOUBLE_EQ(verb.GetWidth(), 0.0);
  verb.SetWet(1e9);
  EXPECT_DOUBLE_EQ(verb.GetWetGain(), 1.0);
  for (int k = 0; k < WDL_ReverbEngine::kNumCombs; ++k)
  {
    EXPECT_GT(verb.GetCombFeedback(0, k), 0.0);
    EXPECT_LT(verb.GetCombFeedback(0, k), 1.0);
  }
}
