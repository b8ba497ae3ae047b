#include <gtest/gtest.h>

#include <cmath>

#include "IParam.h"

TEST(IParam, DoubleNormaliseRoundTripAndClamping)
{
  IParam p;
  p.InitDouble("Room Size", 50.0, 0.0, 100.0, 0.1, "%");
  EXPECT_EQ(p.Type(), IParam::kTypeDouble);
  EXPECT_DOUBLE_EQ(p.Value(), 50.0);
  EXPECT_DOUBLE_EQ(p.GetNormalized(), 0.5);
  EXPECT_DOUBLE_EQ(p.GetNormalized(-20.0), 0.0);
  EXPECT_DOUBLE_EQ(p.GetNormalized(150.0), 1.0);
  for (double v : {0.0, 0.1, 33.3, 99.9, 100.0})
  {
    p.Set(v);
    const double n = p.GetNormalized();
    p.SetNormalized(n);
    EXPECT_NEAR(p.Value(), v, 1e-9);
  }
  p.SetNormalized(1.7);
  EXPECT_DOUBLE_EQ(p.Value(), 100.0);
  p.SetNormalized(std::nan(""));
  EXPECT_DOUBLE_EQ(p.Value(), 0.0);
}

TEST(IParam, ShapedParameterRoundTrips)
{
  IParam p;
  p.InitDouble("Time", 10.0, 1.0, 1000.0, 0.01, "ms", 3.0);
  for (double v : {1.0, 2.5, 100.0, 999.0})
  {
    p.Set(v);
    IParam q;
    q.InitDouble("Time", 10.0, 1.0, 1000.0, 0.01, "ms", 3.0);
    q.SetNormalized(p.GetNormalized());
    EXPECT_NEAR(q.Value(), v, 1e-9);
  }
  // The shape gives the low end more of the range.
  EXPECT_GT(p.GetNormalized(100.0), 100.0 / 999.0);
}

TEST(IParam, DisplayPrecisionNegationAndLabels)
{
  IParam p;
  p.InitDouble("Gain", -6.0, -60.0, 12.0, 0.1, "dB");
  char buf[32];
  p.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "-6.0");
  EXPECT_STREQ(p.GetLabelForHost(), "dB");
  p.NegateDisplay();
  EXPECT_TRUE(p.DisplayIsNegated());
  p.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "6.0");
  p.GetDisplayForHost(1.0, true, buf);
  EXPECT_STREQ(buf, "-12.0");

  IParam fine;
  fine.InitDouble("Fine", 0.5, 0.0, 1.0, 0.001);
  fine.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "0.500");

  IParam whole;
  whole.InitDouble("Steps", 3.7, 0.0, 10.0, 1.0);
  whole.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "3"); // precision 0 prints the truncated value
}

TEST(IParam, DisplayTextsAndIntegerKinds)
{
  IParam mode;
  mode.InitEnum("Mode", 1, 3);
  mode.SetDisplayText(0, "Room");
  mode.SetDisplayText(1, "Hall");
  mode.SetDisplayText(2, "");
  EXPECT_EQ(mode.Type(), IParam::kTypeEnum);
  EXPECT_EQ(mode.GetNDisplayTexts(), 3);
  char buf[32];
  mode.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "Hall");
  EXPECT_STREQ(mode.GetLabelForHost(), "");
  mode.GetDisplayForHostNoDisplayText(buf);
  EXPECT_STREQ(buf, "1");
  mode.Set(2); // an empty display text shows the number
  mode.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "2");
  EXPECT_STREQ(mode.GetDisplayText(7), "");

  int value = -1;
  EXPECT_TRUE(mode.MapDisplayText("Room", &value));
  EXPECT_EQ(value, 0);
  value = 42;
  EXPECT_FALSE(mode.MapDisplayText("Plate", &value));
  EXPECT_EQ(value, 42);

  // Integer kinds snap to whole steps and normalise over their range.
  mode.SetNormalized(0.74);
  EXPECT_DOUBLE_EQ(mode.Value(), 1.0);
  mode.SetNormalized(0.76);
  EXPECT_DOUBLE_EQ(mode.Value(), 2.0);

  IParam b;
  b.InitBool("Bypass", true);
  EXPECT_EQ(b.Type(), IParam::kTypeBool);
  EXPECT_TRUE(b.Bool());
  EXPECT_DOUBLE_EQ(b.GetNormalized(), 1.0);
  b.SetNormalized(0.2);
  EXPECT_FALSE(b.Bool());

  IParam i;
  i.InitInt("Voices", 4, 1, 16, "voices");
  i.Set(100);
  EXPECT_EQ(i.Int(), 16);
  i.Set(3.4);
  EXPECT_EQ(i.Int(), 3);
}

TEST(IParam, NegatedZeroShowsWithoutASign)
{
  IParam p;
  p.InitDouble("Gain", 0.0, -60.0, 12.0, 0.1, "dB");
  p.NegateDisplay();
  char buf[32];
  p.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "0.0");
  p.Set(-0.0);
  p.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "0.0");
  p.Set(1.5);
  p.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "-1.5");
}
