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

TEST(PtrList, InsertClampsIndexAndShifts)
{
  std::vector<int> deleted;
  WDL_PtrList<Tracked> list;
  Tracked a{1, &deleted}, b{2, &deleted}, c{3, &deleted}, d{4, &deleted};
  EXPECT_EQ(list.Add(&a), &a);
  list.Insert(-5, &b); // clamped to the front
  list.Insert(99, &c); // clamped to the end
  list.Insert(1, &d);
  EXPECT_EQ(Ids(list), (std::vector<int>{2, 4, 1, 3}));
  EXPECT_EQ(list.Find(&c), 3);
  EXPECT_EQ(list.Get(4), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  list.Empty(false);
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_TRUE(deleted.empty());
}

TEST(PtrList, DeleteAndEmptyDeleteOnlyWhenAsked)
{
  std::vector<int> deleted;
  WDL_PtrList<Tracked> list;
  for (int i = 0; i < 5; ++i) list.Add(new Tracked{i, &deleted});
  list.Delete(7, true); // out of range: nothing happens
  EXPECT_EQ(list.GetSize(), 5);
  Tracked* kept = list.Get(1);
  list.Delete(1, false);
  EXPECT_TRUE(deleted.empty());
  list.Delete(0, true);
  EXPECT_EQ(deleted, (std::vector<int>{0}));
  EXPECT_EQ(Ids(list), (std::vector<int>{2, 3, 4}));
  list.Empty(true); // last to first
  EXPECT_EQ(deleted, (std::vector<int>{0, 4, 3, 2}));
  delete kept;
}

TEST(PtrList, DestroyingTheListLeavesElementsAlone)
{
  std::vector<int> deleted;
  Tracked* element = new Tracked{9, &deleted};
  {
    WDL_PtrList<Tracked> list;
    list.Add(element);
  }
  EXPECT_TRUE(deleted.empty());
  delete element;
  EXPECT_EQ(deleted, (std::vector<int>{9}));
}

TEST(TypedBuf, ResizeKeepsContentsAndReportsFailureBySize)
{
  WDL_TypedBuf<int> buf(16);
  EXPECT_EQ(buf.Get(), nullptr);
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

  // Shrinking without releasing keeps the memory and the first elements.
  buf.Resize(5, false);
  EXPECT_EQ(buf.GetSize(), 5);
  EXPECT_EQ(buf.Get()[4], 12);
  buf.Resize(0);
  EXPECT_EQ(buf.Get(), nullptr);

  ASSERT_NE(buf.Add(7), nullptr);
  ASSERT_NE(buf.Add(8), nullptr);
  EXPECT_EQ(buf.GetSize(), 2);
  EXPECT_EQ(buf.Get()[1], 8);
}

TEST(HeapBuf, CopyIsDeep)
{
  WDL_HeapBuf a(64);
  char* p = static_cast<char*>(a.Resize(5));
  std::memcpy(p, "abcd", 5);
  WDL_HeapBuf b(a);
  static_cast<char*>(b.Get())[0] = 'X';
  EXPECT_STREQ(static_cast<char*>(a.Get()), "abcd");
  EXPECT_STREQ(static_cast<char*>(b.Get()), "Xbcd");
}

TEST(String, SetAndAppendHonourLengthLimits)
{
  WDL_String s;
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  WDL_String n(nullptr, 0);
  EXPECT_STREQ(n.Get(), "");

  s.Set("reverberation", 6);
  EXPECT_STREQ(s.Get(), "reverb");
  s.Set("abc", 10); // limit beyond the text stops at the terminator
  EXPECT_STREQ(s.Get(), "abc");
  s.Append("defghij", 2);
  EXPECT_STREQ(s.Get(), "abcde");
  s.Append("xyz");
  EXPECT_STREQ(s.Get(), "abcdexyz");
  EXPECT_EQ(s.GetLength(), 8);
  s.Set("");
  EXPECT_EQ(s.GetLength(), 0);

  // Setting or appending from the string's own buffer.
  s.Set("hello world");
  s.Set(s.Get() + 6);
  EXPECT_STREQ(s.Get(), "world");
  s.Append(s.Get(), 3);
  EXPECT_STREQ(s.Get(), "worldwor");

  WDL_String copy(s);
  s.Set("changed");
  EXPECT_STREQ(copy.Get(), "worldwor");

  s.SetFormatted(5, "%d-%s", 12345, "tail");
  EXPECT_STREQ(s.Get(), "12345");
  s.AppendFormatted(0, "/%03d", 7);
  EXPECT_STREQ(s.Get(), "12345/007");

  std::string big(100000, 'q');
  s.Set(big.c_str());
  EXPECT_EQ(s.GetLength(), 100000);
}

TEST(TypedBuf, AddCopiesFromItsOwnElementsWhileGrowing)
{
  // One element of granularity: every Add grows, and may move, the buffer.
  WDL_TypedBuf<long long> buf((int)sizeof(long long));
  ASSERT_NE(buf.Add(7), nullptr);
  for (int i = 0; i < 200; ++i) ASSERT_NE(buf.Add(buf.Get()[i]), nullptr);
  ASSERT_EQ(buf.GetSize(), 201);
  for (int i = 0; i < 201; ++i) ASSERT_EQ(buf.Get()[i], 7) << i;

  // Appending the buffer to itself doubles it.
  WDL_TypedBuf<int> ints((int)sizeof(int));
  for (int i = 0; i < 3; ++i) ints.Add(i);
  for (int round = 0; round < 6; ++round) ASSERT_NE(ints.Add(ints.Get(), ints.GetSize()), nullptr);
  ASSERT_EQ(ints.GetSize(), 3 << 6);
  for (int i = 0; i < ints.GetSize(); ++i) ASSERT_EQ(ints.Get()[i], i % 3) << i;
}

TEST(String, FormattedFromItsOwnText)
{
  WDL_String s;
  s.Set(std::string(300, 'a').c_str());
  s.SetFormatted(0, "<%s>", s.Get()); // grows past what the string has
  EXPECT_EQ(std::string(s.Get()), "<" + std::string(300, 'a') + ">");
  s.Set("abc");
  s.SetFormatted(0, "[%s|%s]", s.Get(), s.Get()); // fits where it is
  EXPECT_STREQ(s.Get(), "[abc|abc]");
  s.AppendFormatted(4, "%s", s.Get());
  EXPECT_STREQ(s.Get(), "[abc|abc][abc");
  s.SetFormatted(0, "%s", "");
  EXPECT_STREQ(s.Get(), "");
}
