// A pool of typed handle records.
//
// Handles given out by the window layer are pointers to records that this
// pool owns. Validate answers whether a pointer is a live record of this pool
// without ever dereferencing an unknown pointer, so a stale or foreign handle
// is refused. A freed record is kept out of use for a while (the last
// kQuarantine freed records are not reused), so a stale handle is unlikely to
// name a new object by accident.
#pragma once

#include <deque>
#include <mutex>
#include <unordered_set>

template <class T, int kQuarantine = 64> class SWELL_HandlePool
{
public:
  SWELL_HandlePool() = default;
  SWELL_HandlePool(const SWELL_HandlePool&) = delete;
  SWELL_HandlePool& operator=(const SWELL_HandlePool&) = delete;
  ~SWELL_HandlePool()
  {
    for (T* p : m_free) delete p;
    for (T* p : m_quarantine) delete p;
    // Live records belong to their users; whatever is left at exit leaks.
  }

  // A new, value-initialised record.
  T* Alloc()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    T* p;
    if (!m_free.empty())
    {
      p = m_free.back();
      m_free.pop_back();
      *p = T();
    }
    else
    {
      p = new T();
    }
    m_live.insert(p);
    return p;
  }

  // True when p is a live record of this pool.
  bool Validate(const void* p) const
  {
    if (!p) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_live.count(static_cast<T*>(const_cast<void*>(p))) != 0;
  }

  // Returns p to the pool; false when p was not a live record.
  bool Free(const void* handle)
  {
    T* p = static_cast<T*>(const_cast<void*>(handle));
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!p || !m_live.erase(p)) return false;
    *p = T();
    m_quarantine.push_back(p);
    if ((int)m_quarantine.size() > kQuarantine)
    {
      m_free.push_back(m_quarantine.front());
      m_quarantine.pop_front();
    }
    return true;
  }

  int LiveCount() const
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return (int)m_live.size();
  }

private:
  mutable std::mutex m_mutex;
  std::unordered_set<T*> m_live;
  std::deque<T*> m_quarantine;
  std::deque<T*> m_free;
};
