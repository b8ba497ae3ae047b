#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "heapbuf.h"
#include "ptrlist.h"
#include "wdlstring.h"

namespace
{
// An element that records the order in which elements are deleted.
struct Tracked
{
  int id;
  std::vector<int>* deleted;
  ~Tracked() { deleted->push_back(id); }
};

std::vector<int> Ids(const WDL_PtrList<Tracked>& list)
{
  std::vector<int> ids;
  for (int i = 0; i < list.GetSize(); ++i) ids.push_back(list.Get(i)->id);
  return ids;
}
} // namespace

TEST(PtrList, InsertClampsTheIndexAndElementsAreDeletedOnlyWhenAsked)
{
  std::vector<int> deleted;
  Tracked* kept;
  {
    WDL_PtrList<Tracked> list;
    for (int i = 0; i < 3; ++i) list.Add(new Tracked{i, &deleted});
    Tracked* back = new Tracked{5, &deleted};
    list.Insert(-5, new Tracked{3, &deleted}); // clamped to the front
    list.Insert(99, back);                     // clamped to the end
    list.Insert(1, new Tracked{4, &deleted});
    EXPECT_EQ(Ids(list), (std::vector<int>{3, 4, 0, 1, 2, 5}));
    EXPECT_EQ(list.Find(back), 5);
    EXPECT_TRUE(list.Get(6) == nullptr && list.Get(-1) == nullptr);
    list.Delete(7, true); // out of range: nothing happens
    kept = list.Get(1);
    list.Delete(1, false);
    list.Delete(0, true);
    EXPECT_EQ(deleted, (std::vector<int>{3}));
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 2, 5}));
    list.Empty(true); // last to first
    EXPECT_EQ(deleted, (std::vector<int>{3, 5, 2, 1, 0}));
    EXPECT_EQ(list.Add(kept), kept);
    list.Empty(false);
    EXPECT_EQ(list.GetSize(), 0);
    list.Add(kept);
  } // destroying the list leaves its elements alone
  EXPECT_EQ(deleted.size(), 5u);
  delete kept;
}

TEST(TypedBuf, ResizeKeepsContentsAndAddCopiesFromItsOwnElements)
{
  WDL_TypedBuf<int> buf(16);
  int* p = buf.Resize(100);
  ASSERT_EQ(buf.GetSize(), 100);
  for (int i = 0; i < 100; ++i) p[i] = i * 3;
  p = buf.Resize(10000);
  ASSERT_EQ(buf.GetSize(), 10000);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], i * 3);

  // A size whose byte count does not fit: the buffer stays as it was.
  buf.Resize(INT_MAX / 2);
  EXPECT_EQ(buf.GetSize(), 10000);
  EXPECT_EQ(buf.Get()[99], 297);

  // Shrinking without releasing keeps the first elements.
  buf.Resize(5, false);
  EXPECT_EQ(buf.GetSize(), 5);
  EXPECT_EQ(buf.Get()[4], 12);
  buf.Resize(0);
  EXPECT_EQ(buf.Get(), nullptr);

  // One element of granularity: every Add grows, and may move, the buffer,
  // also while it copies from its own elements.
  WDL_TypedBuf<long long> one((int)sizeof(long long));
  ASSERT_NE(one.Add(7), nullptr);
  for (int i = 0; i < 200; ++i) ASSERT_NE(one.Add(one.Get()[i]), nullptr);
  ASSERT_EQ(one.GetSize(), 201);
  for (int i = 0; i < 201; ++i) ASSERT_EQ(one.Get()[i], 7) << i;

  // Appending the buffer to itself doubles it.
  WDL_TypedBuf<int> ints((int)sizeof(int));
  for (int i = 0; i < 3; ++i) ints.Add(i);
  for (int round = 0; round < 6; ++round) ASSERT_NE(ints.Add(ints.Get(), ints.GetSize()), nullptr);
  ASSERT_EQ(ints.GetSize(), 3 << 6);
  for (int i = 0; i < ints.GetSize(); ++i) ASSERT_EQ(ints.Get()[i], i % 3) << i;
}

TEST(String, SetAndAppendHonourLengthLimitsAlsoFromTheirOwnText)
{
  WDL_String s, n(nullptr, 0);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_STREQ(n.Get(), "");
  s.Set("reverberation", 6);
  EXPECT_STREQ(s.Get(), "reverb");
  s.Set("abc", 10); // limit beyond the text stops at the terminator
  s.Append("defghij", 2);
  s.Append("xyz");
  EXPECT_STREQ(s.Get(), "abcdexyz");
  EXPECT_EQ(s.GetLength(), 8);
  WDL_String copy(s); // deep: the buffer's copy is its own
  s.Set(std::string(100000, 'q').c_str());
  EXPECT_EQ(s.GetLength(), 100000);
  EXPECT_STREQ(copy.Get(), "abcdexyz");
  s.SetFormatted(5, "%d-%s", 12345, "tail");
  s.AppendFormatted(0, "/%03d", 7);
  EXPECT_STREQ(s.Get(), "12345/007");

  // Set, Append and the formatted ones from the string's own buffer, growing
  // past what it has or fitting where it is.
  s.Set("hello world");
  s.Set(s.Get() + 6);
  s.Append(s.Get(), 3);
  EXPECT_STREQ(s.Get(), "worldwor");
  s.Set(std::string(300, 'a').c_str());
  s.SetFormatted(0, "<%s>", s.Get());
  EXPECT_EQ(std::string(s.Get()), "<" + std::string(300, 'a') + ">");
  s.Set("abc");
  s.SetFormatted(0, "[%s|%s]", s.Get(), s.Get());
  s.AppendFormatted(4, "%s", s.Get());
  EXPECT_STREQ(s.Get(), "[abc|abc][abc");
  s.SetFormatted(0, "%s", "");
  EXPECT_EQ(s.GetLength(), 0);
}
