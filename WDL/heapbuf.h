// Growable heap buffers: WDL_HeapBuf (untyped bytes) and WDL_TypedBuf<T>.
//
// Both grow in steps of a granularity given in bytes, so a buffer that keeps
// growing a little at a time reallocates only now and then. A failed growth
// leaves the buffer as it was: callers compare GetSize() with what they asked.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

class WDL_HeapBuf
{
public:
  explicit WDL_HeapBuf(int granularity = 4096) : m_granul(granularity > 0 ? granularity : 4096) {}
  WDL_HeapBuf(const WDL_HeapBuf& other) : m_granul(other.m_granul) { CopyFrom(other); }
  WDL_HeapBuf& operator=(const WDL_HeapBuf& other)
  {
    if (this != &other) CopyFrom(other);
    return *this;
  }
  ~WDL_HeapBuf() { std::free(m_buf); }

  void* Get() const { return m_size ? m_buf : nullptr; }
  int GetSize() const { return m_size; }
  int GetAllocated() const { return m_alloc; }
  int GetGranul() const { return m_granul; }
  void SetGranul(int granularity)
  {
    if (granularity > 0) m_granul = granularity;
  }

  // Resizes to newsize bytes and returns the start of the buffer (null when it
  // ends up empty). The first min(old, new) bytes keep their contents. When
  // growing fails the size stays what it was. With resizedown false, shrinking
  // keeps the memory allocated for later growth.
  void* Resize(int newsize, bool resizedown = true)
  {
    if (newsize < 0) newsize = 0;
    if (newsize <= m_alloc)
    {
      if (resizedown && newsize < m_alloc)
      {
        if (newsize == 0)
        {
          std::free(m_buf);
          m_buf = nullptr;
          m_alloc = 0;
        }
        else
        {
          const int want = RoundUp(newsize);
          if (want > 0 && want < m_alloc)
          {
            if (void* p = std::realloc(m_buf, (size_t)want))
            {
              m_buf = p;
              m_alloc = want;
            }
          }
        }
      }
      m_size = newsize;
      return Get();
    }
    const int want = RoundUp(newsize);
    if (want < newsize) return Get(); // rounding overflowed int
    void* p = std::realloc(m_buf, (size_t)want);
    if (!p) return Get();
    m_buf = p;
    m_alloc = want;
    m_size = newsize;
    return m_buf;
  }

  // Resizes; returns the buffer, or null when the size could not be had.
  void* ResizeOK(int newsize, bool resizedown = true)
  {
    void* p = Resize(newsize, resizedown);
    return m_size == newsize ? p : nullptr;
  }

private:
  int RoundUp(int n) const
  {
    const long long r = ((long long)n + m_granul - 1) / m_granul * m_granul;
    return r > 0x7fffffffLL ? -1 : (int)r;
  }
  void CopyFrom(const WDL_HeapBuf& other)
  {
    Resize(other.m_size, true);
    if (m_size == other.m_size && m_size) std::memcpy(m_buf, other.m_buf, (size_t)m_size);
  }

  void* m_buf = nullptr;
  int m_alloc = 0;
  int m_size = 0;
  int m_granul;
};

template <class T> class WDL_TypedBuf
{
public:
  explicit WDL_TypedBuf(int granularity = 4096) : m_hb(granularity) {}

  T* Get() const { return static_cast<T*>(m_hb.Get()); }
  int GetSize() const { return m_hb.GetSize() / (int)sizeof(T); }

  // Resizes to count elements, keeping the old contents; on failure the size
  // stays as it was.
  T* Resize(int count, bool resizedown = true)
  {
    if (count < 0) count = 0;
    if ((long long)count * (long long)sizeof(T) > 0x7fffffffLL) return Get();
    return static_cast<T*>(m_hb.Resize(count * (int)sizeof(T), resizedown));
  }

  // Appends a copy of v (which may be an element of this buffer); returns the
  // new element, or null when growing failed.
  T* Add(const T& v)
  {
    const T copy = v; // growing may move the elements
    const int n = GetSize();
    Resize(n + 1, false);
    if (GetSize() != n + 1) return nullptr;
    T* p = Get() + n;
    *p = copy;
    return p;
  }

  // Appends count elements copied from src (uninitialised when src is null;
  // src may point into this buffer).
  T* Add(const T* src, int count)
  {
    const int n = GetSize();
    if (count <= 0) return Get() + n;
    const T* old = Get();
    const bool inside = src && old && src >= old && src < old + n;
    const std::ptrdiff_t offset = inside ? src - old : 0;
    Resize(n + count, false);
    if (GetSize() != n + count) return nullptr;
    if (inside) src = Get() + offset; // growing may have moved the elements
    if (src) std::memmove(Get() + n, src, sizeof(T) * (size_t)count);
    return Get() + n;
  }

  void Delete(int index)
  {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    T* p = Get();
    std::memmove(p + index, p + index + 1, sizeof(T) * (size_t)(n - index - 1));
    Resize(n - 1, false);
  }

private:
  WDL_HeapBuf m_hb;
};
