#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "mutex.h"

TEST(Mutex, OwnerMayEnterAgain)
{
  WDL_Mutex m;
  {
    WDL_MutexLock outer(&m);
    WDL_MutexLock inner(&m); // would deadlock on a plain mutex
    EXPECT_TRUE(m.HeldByCurrentThread());
  }
  EXPECT_FALSE(m.HeldByCurrentThread());

  // After nested entries the mutex is free only once every entry has left.
  m.Enter();
  m.Enter();
  m.Leave();
  std::atomic<bool> acquired{false};
  std::thread other(
      [&]
      {
        m.Enter();
        acquired = true;
        m.Leave();
      });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(acquired.load());
  m.Leave();
  other.join();
  EXPECT_TRUE(acquired.load());
}

TEST(Mutex, ExcludesOtherThreads)
{
  WDL_Mutex m;
  long counter = 0;
  std::atomic<int> inside{0};
  std::atomic<int> maxInside{0};
  auto work = [&]
  {
    for (int i = 0; i < 20000; ++i)
    {
      WDL_MutexLock lock(&m);
      WDL_MutexLock nested(&m);
      const int now = ++inside;
      if (now > maxInside) maxInside = now;
      ++counter;
      --inside;
    }
  };
  std::thread a(work), b(work), c(work);
  a.join();
  b.join();
  c.join();
  EXPECT_EQ(counter, 60000);
  EXPECT_EQ(maxInside.load(), 1);
}
