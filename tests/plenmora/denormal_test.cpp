#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "denormal.h"

namespace
{
// Out of the compiler's reach, so the arithmetic happens at run time under
// the current floating-point mode.
volatile double gTiny = 1e-300, gSubnormal = 5e-320;
double SubnormalResult() { return gTiny * 1e-15; }
double SubnormalOperand() { return gSubnormal * 1.0; }
} // namespace

TEST(Denormal, FlushScopeFlushesInsideAndRestoresTheModeAfter)
{
  if (!WDL_DenormalFlushScope::kInHardware) GTEST_SKIP() << "no flush mode on this processor";
  ASSERT_EQ(std::fpclassify(SubnormalResult()), FP_SUBNORMAL);
  {
    WDL_DenormalFlushScope flush;
    EXPECT_EQ(SubnormalResult(), 0.0);
    EXPECT_EQ(SubnormalOperand(), 0.0);
    {
      WDL_DenormalFlushScope nested;
    }
    EXPECT_EQ(SubnormalResult(), 0.0); // the inner scope restored the outer one's mode
  }
  EXPECT_EQ(std::fpclassify(SubnormalResult()), FP_SUBNORMAL);
  EXPECT_EQ(SubnormalOperand(), 5e-320);
}

TEST(Denormal, FilterSnapsOnlyInaudiblyTinyValuesToZero)
{
  for (double tiny : {1e-35, -3e-36, -5e-320, std::numeric_limits<double>::denorm_min()})
    EXPECT_EQ(denormal_filter(tiny), 0.0) << tiny;
  for (double v : {1.0, -0.5, 1e-9, -1e-15, 1e-20, 1e300})
    EXPECT_NEAR(denormal_filter(v), v, 2e-34) << v;
  typedef double Pair __attribute__((vector_size(16)));
  const Pair p = denormal_filter(Pair{1e-40, 0.75});
  EXPECT_EQ(p[0], 0.0);
  EXPECT_EQ(p[1], 0.75);
}
