// (MIDI status and channel are read in the host's MIDI routing test.)
#include <gtest/gtest.h>

#include "Containers.h"
#include "IPlugStructs.h"

TEST(IRECT, ContainsIntersectAndUnionAlsoWithTheEmptyRectangle)
{
  const IRECT empty, a(10, 20, 30, 40), b(25, 35, 50, 60);
  EXPECT_TRUE(empty.Empty());
  EXPECT_FALSE(IRECT(0, 0, 0, 1).Empty());
  EXPECT_FALSE(empty.Contains(0, 0));
  EXPECT_FALSE(empty.Intersects(a));
  EXPECT_FALSE(a.Intersects(empty));
  EXPECT_TRUE(a.Intersect(empty).Empty());
  EXPECT_EQ(a.Union(empty), a);
  EXPECT_EQ(empty.Union(a), a);
  EXPECT_TRUE(empty.Union(empty).Empty());

  EXPECT_TRUE(a.Contains(10, 20));
  EXPECT_FALSE(a.Contains(30, 25)); // right edge is exclusive
  EXPECT_FALSE(a.Contains(15, 40)); // so is the bottom
  EXPECT_TRUE(a.Intersects(b));
  EXPECT_EQ(a.Intersect(b), IRECT(25, 35, 30, 40));
  EXPECT_EQ(a.Union(b), IRECT(10, 20, 50, 60));
  // The test is R < other.L or L >= other.R (and the same vertically), so a
  // neighbour touching the right edge counts for this rectangle but not the
  // other way round.
  const IRECT rightNeighbour(30, 20, 40, 40);
  EXPECT_TRUE(a.Intersects(rightNeighbour));
  EXPECT_FALSE(rightNeighbour.Intersects(a));
  EXPECT_FALSE(a.Intersects(IRECT(0, 0, 10, 20)));
  EXPECT_TRUE(a.Intersects(IRECT(0, 0, 11, 21)));
}

TEST(IRECT, SubRectsAndBitmapFrames)
{
  const IRECT r(5, 10, 15, 110);
  EXPECT_EQ(IRECT(0, 0, 100, 10).SubRectHorizontal(3, 2), IRECT(66, 0, 99, 10));
  EXPECT_EQ(r.SubRectVertical(4, 1), IRECT(5, 35, 15, 60));
  // Fewer than one slice: the whole rectangle.
  EXPECT_EQ(r.SubRectVertical(0, 0), r);
  EXPECT_EQ(r.SubRectHorizontal(-2, 1), r);
  IBitmap strip(nullptr, 48, 48 * 101, 101), noFrames(nullptr, 48, 96, 0);
  EXPECT_EQ(IRECT(7, 9, &strip), IRECT(7, 9, 55, 57));
  EXPECT_EQ(IRECT(1, 2, &noFrames), IRECT(1, 2, 49, 98));
}

TEST(IText, DefaultsForMissingArgumentsAndLongFaceNamesCut)
{
  const IText t, n(14, nullptr, nullptr);
  EXPECT_EQ(t.mSize, 10);
  for (const IText* x : {&t, &n})
  {
    EXPECT_STREQ(x->mFont, DEFAULT_FONT);
    EXPECT_EQ(x->mColor, DEFAULT_TEXT_COLOR);
    EXPECT_EQ(x->mTextEntryBGColor, DEFAULT_TEXT_ENTRY_BGCOLOR);
  }
  const IColor red = COLOR_RED;
  IText u(10, &red, "A face name far longer than thirty-one characters");
  EXPECT_EQ(u.mColor, COLOR_RED);
  EXPECT_EQ(std::strlen(u.mFont), 31u);
}

TEST(ByteChunk, ReadsBackAndRefusesShortReads)
{
  ByteChunk c;
  const double d = 0.25;
  const int i = -7;
  c.Put(&d);
  c.Put(&i);
  c.PutStr("Hall");
  double d2 = 0;
  int i2 = 0;
  WDL_String s;
  EXPECT_EQ(c.GetStr(&s, c.Get(&i2, c.Get(&d2, 0))), c.Size());
  EXPECT_TRUE(d2 == d && i2 == i);
  EXPECT_STREQ(s.Get(), "Hall");
  EXPECT_EQ(c.Get(&d2, c.Size() - 4), -1);
  EXPECT_EQ(c.Get(&d2, -1), -1);

  ByteChunk bad;
  const int hugeLen = 1 << 30;
  bad.Put(&hugeLen);
  EXPECT_EQ(bad.GetStr(&s, 0), -1);
}
