#include <gtest/gtest.h>

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
