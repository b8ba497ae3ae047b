#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <set>
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

Stereo Noise(size_t n, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
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

// Second-order Butterworth low- or high-pass, to look at one band alone.
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
    const double db = 10.0 * std::log10(edc[i] / edc[0]), t = (double)i / rate;
    if (db > -5.0) continue;
    if (db < -25.0) break;
    sx += t, sy += db, sxx += t * t, sxy += t * db, ++n;
  }
  return n < 2 ? 0.0 : -60.0 * (n * sxx - sx * sx) / (n * sxy - sx * sy);
}

// RT60 of the left wet impulse response: broadband, or below (high false)
// or above bandHz.
double RT60Of(double rate, double room, double damp, double bandHz = 0, bool high = false)
{
  WDL_ReverbEngine verb;
  Configure(verb, rate, room, damp, 100, 0, 100);
  Stereo in((size_t)((WDL_ReverbEngine::RT60FromRoomSize(room) * 0.6 + 0.5) * rate));
  in.l[0] = in.r[0] = 1.0;
  const std::vector<double> ir = Process(verb, in).l;
  return MeasureRT60(bandHz > 0 ? Butterworth(ir, bandHz, rate, high) : ir, rate);
}

} // namespace

// 8 combs of 25 to 37.8 ms, then 4 all-passes of 5 to 13.8 ms: all of them
// distinct primes, the right side's 0.2 to 0.9 ms longer than the left's.
TEST(ReverbEngine, DelaysAreDistinctPrimesInTheirRangesAndRightIsLonger)
{
  auto isPrime = [](int n)
  {
    for (int d = 2; d * d <= n; ++d)
      if (n % d == 0) return false;
    return n >= 2;
  };
  for (double rate : {44100.0, 48000.0, 96000.0, 192000.0})
  {
    WDL_ReverbEngine verb;
    ASSERT_TRUE(verb.SetSampleRate(rate));
    std::set<int> seen;
    for (int k = 0; k < 12; ++k)
    {
      double ms[2];
      for (int ch = 0; ch < 2; ++ch)
      {
        const int d = k < 8 ? verb.GetCombDelay(ch, k) : verb.GetAllpassDelay(ch, k - 8);
        EXPECT_TRUE(isPrime(d) && seen.insert(d).second) << d << " at " << rate;
        ms[ch] = 1000.0 * d / rate;
      }
      EXPECT_TRUE(k < 8 ? ms[0] >= 25 && ms[1] <= 37.8 : ms[0] >= 5 && ms[1] <= 13.8) << ms[0];
      EXPECT_TRUE(ms[1] - ms[0] > 0.2 && ms[1] - ms[0] < 0.9) << ms[0] << " at " << rate;
    }
  }
}

// Width 0 gives both sides the same wet signal, bit for bit; width 100 keeps
// the sides apart (the left input alone leaves the right output silent). The
// output does not depend on how the input is cut into blocks.
TEST(ReverbEngine, WidthAndBlockSizes)
{
  Stereo in = Noise(20000, 7), leftOnly = in;
  std::fill(leftOnly.r.begin(), leftOnly.r.end(), 0.0);
  for (double width : {0.0, 100.0})
  {
    WDL_ReverbEngine verb;
    Configure(verb, 44100, 70, 40, width, 0, 100);
    const Stereo out = Process(verb, width ? leftOnly : in);
    for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(width ? 0.0 : out.l[i], out.r[i]) << i;
  }
  WDL_ReverbEngine whole, cut;
  Configure(whole, 44100, 100, 0, 60, 80, 45);
  Configure(cut, 44100, 100, 0, 60, 80, 45);
  const Stereo expected = Process(whole, in, 512), out = Process(cut, in, 37);
  for (size_t i = 0; i < in.size(); ++i)
  {
    ASSERT_NEAR(expected.l[i], out.l[i], 1e-12) << i;
    ASSERT_NEAR(expected.r[i], out.r[i], 1e-12) << i;
  }
}

TEST(ReverbEngine, ReverbTimeFollowsRoomSizeAtEverySampleRate)
{
  // 0.3 s at 0, 10 s at 100, exponential between.
  const double targets[][2] = {{0, 0.3}, {50, std::sqrt(3.0)}, {100, 10.0}};
  for (const auto& t : targets)
  {
    SCOPED_TRACE(t[0]);
    EXPECT_NEAR(RT60Of(44100, t[0], 0.0), t[1], 0.25 * t[1]);
    // Below 500 Hz the loop's low-pass does nothing: the decay is the one
    // the comb gains were made for.
    if (t[0] > 0)
    {
      EXPECT_NEAR(RT60Of(44100, t[0], 50.0, 500), t[1], 0.1 * t[1]);
    }
  }
  const double ref = RT60Of(44100.0, 50.0, 50.0);
  for (double rate : {48000.0, 96000.0})
    EXPECT_NEAR(RT60Of(rate, 50.0, 50.0), ref, 0.05 * ref) << rate;
}

TEST(ReverbEngine, MoreDampeningDecaysTheHighBandFaster)
{
  double previous = 1e9;
  for (double damp : {0.0, 50.0, 100.0})
  {
    const double rt = RT60Of(44100, 60, damp, 5000, true);
    EXPECT_LT(rt, previous * 0.8) << damp;
    previous = rt;
  }
}

TEST(ReverbEngine, DryOnlyIsBitExactAlsoInPlace)
{
  Stereo in = Noise(5000, 5);
  // Values that arithmetic would change: subnormals, negative zero, extremes.
  in.l[10] = 4.9e-324, in.r[11] = -2.5e-310, in.l[12] = -0.0, in.r[13] = 1e300;
  for (bool inPlace : {false, true})
  {
    SCOPED_TRACE(inPlace);
    WDL_ReverbEngine verb;
    Configure(verb, 44100, 80, 30, 100, 100, 0);
    Stereo out = inPlace ? in : Process(verb, in, 29);
    if (inPlace)
      verb.ProcessSampleBlock(out.l.data(), out.r.data(), out.l.data(), out.r.data(), 5000);
    EXPECT_EQ(0, std::memcmp(out.l.data(), in.l.data(), in.size() * sizeof(double)));
    EXPECT_EQ(0, std::memcmp(out.r.data(), in.r.data(), in.size() * sizeof(double)));
  }
}

// The tail of a reverb fed with silence ends in exact zeros, with no
// subnormal number on the way, and the processing leaves the caller's
// floating-point mode as it was (subnormal results still come out).
TEST(ReverbEngine, SilentTailEndsInExactZerosWithoutSubnormals)
{
  static volatile double tiny = 1e-300; // out of the compiler's reach
  WDL_ReverbEngine verb;
  Configure(verb, 44100, 0, 50, 100, 0, 100);
  Process(verb, Noise(44100, 4));
  const Stereo tail = Process(verb, Stereo(44100 * 40));
  EXPECT_EQ(std::fpclassify(tiny * 1e-15), FP_SUBNORMAL);
  size_t lastNonZero = 0;
  for (size_t i = 0; i < tail.size(); ++i)
  {
    ASSERT_NE(std::fpclassify(tail.l[i]), FP_SUBNORMAL) << i;
    ASSERT_NE(std::fpclassify(tail.r[i]), FP_SUBNORMAL) << i;
    if (tail.l[i] != 0.0 || tail.r[i] != 0.0) lastNonZero = i;
  }
  EXPECT_GT(lastNonZero, 0u);
  EXPECT_LT(lastNonZero, tail.size() - 44100); // the last second is all zeros
}

TEST(ReverbEngine, BadSampleRatesAndOutOfRangeValuesAreLimited)
{
  for (double rate : {0.0, -48000.0, std::nan(""), 1e12})
  {
    WDL_ReverbEngine verb;
    verb.SetSampleRate(rate);
    EXPECT_GE(verb.GetSampleRate(), WDL_ReverbEngine::kMinSampleRate) << rate;
    EXPECT_LE(verb.GetSampleRate(), WDL_ReverbEngine::kMaxSampleRate) << rate;
    verb.SetWet(100);
    double energy = 0.0;
    for (double v : Process(verb, Noise(20000, 2)).l) energy += v * v;
    EXPECT_TRUE(std::isfinite(energy) && energy > 0.0) << rate;
  }
  // A room size out of range takes the nearest end, and no comb ever gains.
  WDL_ReverbEngine verb;
  ASSERT_TRUE(verb.SetSampleRate(44100));
  verb.SetRoomSize(250);
  EXPECT_DOUBLE_EQ(verb.GetRT60(), 10.0);
  for (int k = 0; k < WDL_ReverbEngine::kNumCombs; ++k) EXPECT_LT(verb.GetCombFeedback(0, k), 1.0);
  verb.SetRoomSize(std::nan(""));
  EXPECT_DOUBLE_EQ(verb.GetRT60(), 0.3);
}
