// Keeping denormal (subnormal) numbers out of the audio path.
//
// A recursive filter fed with silence decays toward zero and, left alone,
// ends up computing with subnormal numbers, which many processors handle a
// hundred times slower than normal ones. Two defences work together:
//
// - WDL_DenormalFlushScope switches the floating-point unit to
//   flush-to-zero and denormals-are-zero for the lifetime of the object
//   (one processed block) and restores the caller's mode afterwards;
// - denormal_filter() snaps a value that has decayed below any
//   audible level to exactly zero. Filters apply it to their recursive
//   states between blocks, and, where the processor has no flush mode
//   (WDL_DenormalFlushScope::kInHardware false), to every value they feed
//   back, so states never reach the subnormal range.
#pragma once

#if defined(__SSE2__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define WDL_DENORMAL_HAVE_MXCSR 1
#else
#define WDL_DENORMAL_HAVE_MXCSR 0
#endif

class WDL_DenormalFlushScope
{
public:
#if WDL_DENORMAL_HAVE_MXCSR
  // MXCSR bit 15 flushes subnormal results to zero, bit 6 reads subnormal
  // operands as zero.
  static constexpr unsigned kFlushBits = 0x8040;
  static constexpr bool kInHardware = true;

  WDL_DenormalFlushScope() : mSaved(_mm_getcsr()) { _mm_setcsr(mSaved | kFlushBits); }
  ~WDL_DenormalFlushScope() { _mm_setcsr(mSaved); }
#else
  static constexpr bool kInHardware = false;
  WDL_DenormalFlushScope() {}
#endif

  WDL_DenormalFlushScope(const WDL_DenormalFlushScope&) = delete;
  WDL_DenormalFlushScope& operator=(const WDL_DenormalFlushScope&) = delete;

private:
#if WDL_DENORMAL_HAVE_MXCSR
  unsigned mSaved;
#endif
};

// Returns x (a double or a vector of doubles), or exactly 0 when |x| is below about 1e-34 (some 680
// dB under full scale). Adding and removing a constant whose last bit is far above the subnormal
// range rounds such tiny values away and changes larger ones by at most about 2e-34. Branch-free,
// so it can sit in an inner loop.
template <class T> inline T denormal_filter(T x)
{
  constexpr double kBias = 1e-18;
  x += kBias;
  x -= kBias;
  return x;
}

// The guard for values fed back inside a filter's inner loop: needed only
// where the flush mode is not available.
template <class T> inline T denormal_filter_feedback(T x)
{
  return WDL_DenormalFlushScope::kInHardware ? x : denormal_filter(x);
}
