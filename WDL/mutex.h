// WDL_Mutex: a mutex that the thread holding it may enter again.
//
// A plain (non-recursive) POSIX mutex guards the resource; beside it we keep
// the owning thread and a nesting count, so a nested Enter from the owner only
// counts up and the matching Leave only counts down.
#pragma once

#include <atomic>
#include <pthread.h>

class WDL_Mutex
{
public:
  WDL_Mutex() { pthread_mutex_init(&m_mutex, nullptr); }
  WDL_Mutex(const WDL_Mutex&) = delete;
  WDL_Mutex& operator=(const WDL_Mutex&) = delete;
  ~WDL_Mutex() { pthread_mutex_destroy(&m_mutex); }

  void Enter()
  {
    const pthread_t self = pthread_self();
    if (m_held.load(std::memory_order_acquire) &&
        pthread_equal(m_owner.load(std::memory_order_relaxed), self))
    {
      ++m_depth;
      return;
    }
    pthread_mutex_lock(&m_mutex);
    m_owner.store(self, std::memory_order_relaxed);
    m_depth = 1;
    m_held.store(true, std::memory_order_release);
  }

  void Leave()
  {
    if (--m_depth > 0) return;
    m_held.store(false, std::memory_order_release);
    pthread_mutex_unlock(&m_mutex);
  }

  // For callers that must know whether they already hold it.
  bool HeldByCurrentThread() const
  {
    return m_held.load(std::memory_order_acquire) &&
           pthread_equal(m_owner.load(std::memory_order_relaxed), pthread_self());
  }

private:
  pthread_mutex_t m_mutex;
  std::atomic<pthread_t> m_owner{};
  int m_depth = 0;
  std::atomic<bool> m_held{false};
};

class WDL_MutexLock
{
public:
  explicit WDL_MutexLock(WDL_Mutex* m) : m_mutex(m)
  {
    if (m_mutex) m_mutex->Enter();
  }
  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;
  ~WDL_MutexLock()
  {
    if (m_mutex) m_mutex->Leave();
  }

private:
  WDL_Mutex* m_mutex;
};
