#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "IParam.h"

namespace
{
std::string Shown(IParam& p)
{
  char buf[32];
  p.GetDisplayForHost(buf);
  return buf;
}
} // namespace

TEST(IParam, NormalisedRoundTripAndClampingLinearAndShaped)
{
  for (double shape : {1.0, 3.0})
  {
    IParam p;
    p.InitDouble("Time", 10.0, 1.0, 1000.0, 0.01, "ms", shape);
    for (double v : {1.0, 1.1, 2.5, 333.3, 999.0, 1000.0})
    {
      p.Set(v);
      p.SetNormalized(p.GetNormalized());
      EXPECT_NEAR(p.Value(), v, 1e-9) << "shape " << shape;
    }
    EXPECT_DOUBLE_EQ(p.GetNormalized(-20.0), 0.0);
    EXPECT_DOUBLE_EQ(p.GetNormalized(1500.0), 1.0);
    p.SetNormalized(1.7);
    EXPECT_DOUBLE_EQ(p.Value(), 1000.0);
    p.SetNormalized(std::nan(""));
    EXPECT_DOUBLE_EQ(p.Value(), 1.0);
  }
  // A shape above 1 gives the low end more of the range. (A linear one is
  // the effect's, checked in its test.)
  IParam shaped;
  shaped.InitDouble("Time", 10.0, 1.0, 1000.0, 0.01, "ms", 3.0);
  EXPECT_GT(shaped.GetNormalized(100.0), 100.0 / 999.0);
}

TEST(IParam, DisplayPrecisionNegationAndLabels)
{
  IParam p;
  p.InitDouble("Gain", -6.0, -60.0, 12.0, 0.1, "dB");
  EXPECT_EQ(Shown(p), "-6.0");
  EXPECT_STREQ(p.GetLabelForHost(), "dB");
  p.NegateDisplay();
  EXPECT_TRUE(p.DisplayIsNegated());
  EXPECT_EQ(Shown(p), "6.0");
  char buf[32];
  p.GetDisplayForHost(1.0, true, buf);
  EXPECT_STREQ(buf, "-12.0");
  // A negated zero, either sign, shows without one.
  for (double zero : {0.0, -0.0})
  {
    p.Set(zero);
    EXPECT_EQ(Shown(p), "0.0");
  }

  IParam fine, whole;
  fine.InitDouble("Fine", 0.5, 0.0, 1.0, 0.001);
  EXPECT_EQ(Shown(fine), "0.500");
  whole.InitDouble("Steps", 3.7, 0.0, 10.0, 1.0);
  EXPECT_EQ(Shown(whole), "3"); // precision 0 prints the truncated value
}

TEST(IParam, DisplayTextsAndIntegerKinds)
{
  IParam mode;
  mode.InitEnum("Mode", 1, 3);
  mode.SetDisplayText(0, "Room");
  mode.SetDisplayText(1, "Hall");
  mode.SetDisplayText(2, "");
  EXPECT_EQ(mode.GetNDisplayTexts(), 3);
  EXPECT_EQ(Shown(mode), "Hall");
  EXPECT_STREQ(mode.GetLabelForHost(), "");
  char buf[32];
  mode.GetDisplayForHostNoDisplayText(buf);
  EXPECT_STREQ(buf, "1");
  mode.Set(2); // an empty display text shows the number
  EXPECT_EQ(Shown(mode), "2");
  EXPECT_STREQ(mode.GetDisplayText(7), "");

  // A text that names no value leaves it alone. (One that does is the
  // editor's prompt test's.)
  int value = 42;
  EXPECT_FALSE(mode.MapDisplayText("Plate", &value));
  EXPECT_EQ(value, 42);

  // Integer kinds snap to whole steps and normalise over their range.
  mode.SetNormalized(0.74);
  EXPECT_DOUBLE_EQ(mode.Value(), 1.0);
  mode.SetNormalized(0.76);
  EXPECT_DOUBLE_EQ(mode.Value(), 2.0);

  IParam b, i;
  b.InitBool("Bypass", true);
  EXPECT_DOUBLE_EQ(b.GetNormalized(), 1.0);
  b.SetNormalized(0.2);
  EXPECT_FALSE(b.Bool());
  i.InitInt("Voices", 4, 1, 16, "voices");
  i.Set(100);
  EXPECT_EQ(i.Int(), 16);
  i.Set(3.4);
  EXPECT_EQ(i.Int(), 3);
}
