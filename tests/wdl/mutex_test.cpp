#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "mutex.h"

TEST(Mutex, OwnerMayEnterAgainAndFreesItOnlyOnceEveryEntryHasLeft)
{
  WDL_Mutex m;
  m.Enter();
  m.Enter(); // would deadlock on a plain mutex
  m.Leave();
  EXPECT_TRUE(m.HeldByCurrentThread());
  std::atomic<bool> acquired{false};
  std::thread other(
      [&]
      {
        WDL_MutexLock lock(&m);
        acquired = true;
      });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(acquired.load());
  m.Leave();
  EXPECT_FALSE(m.HeldByCurrentThread());
  other.join();
  EXPECT_TRUE(acquired.load());
}

TEST(Mutex, ExcludesOtherThreads)
{
  WDL_Mutex m;
  long counter = 0;
  std::atomic<int> inside{0}, maxInside{0};
  auto work = [&]
  {
    for (int i = 0; i < 20000; ++i)
    {
      WDL_MutexLock lock(&m);
      maxInside = std::max(maxInside.load(), ++inside);
      ++counter;
      --inside;
    }
  };
  std::thread a(work), b(work);
  work();
  a.join();
  b.join();
  EXPECT_EQ(counter, 60000);
  EXPECT_EQ(maxInside.load(), 1);
}
