// WDL_PtrList<T>: a growable list of pointers to T.
//
// The list never owns its elements implicitly: Delete and Empty delete them
// only when asked, and destroying the list leaves them alone.
#pragma once

#include "heapbuf.h"

template <class T> class WDL_PtrList
{
public:
  explicit WDL_PtrList(int granularity = 4096) : m_hb(granularity) {}
  WDL_PtrList(const WDL_PtrList&) = delete;
  WDL_PtrList& operator=(const WDL_PtrList&) = delete;
  ~WDL_PtrList() = default;

  T** GetList() const { return static_cast<T**>(m_hb.Get()); }
  int GetSize() const { return m_hb.GetSize() / (int)sizeof(T*); }
  T* Get(int index) const { return index >= 0 && index < GetSize() ? GetList()[index] : nullptr; }
  T* operator[](int index) const { return Get(index); }

  // Appends p; returns p, or null when the list could not grow.
  T* Add(T* p)
  {
    const int n = GetSize();
    m_hb.Resize((n + 1) * (int)sizeof(T*), false);
    if (GetSize() != n + 1) return nullptr;
    GetList()[n] = p;
    return p;
  }

  // Replaces the element at index (in range only); returns p or null.
  T* Set(int index, T* p)
  {
    if (index < 0 || index >= GetSize()) return nullptr;
    GetList()[index] = p;
    return p;
  }

  // Inserts p before index, clamped to 0..size.
  T* Insert(int index, T* p)
  {
    const int n = GetSize();
    if (index < 0) index = 0;
    if (index > n) index = n;
    m_hb.Resize((n + 1) * (int)sizeof(T*), false);
    if (GetSize() != n + 1) return nullptr;
    T** list = GetList();
    for (int i = n; i > index; --i) list[i] = list[i - 1];
    list[index] = p;
    return p;
  }

  int Find(const T* p) const
  {
    T** list = GetList();
    const int n = GetSize();
    for (int i = 0; i < n; ++i)
      if (list[i] == p) return i;
    return -1;
  }

  // Removes the element at index, deleting it when wantDelete is set.
  void Delete(int index, bool wantDelete = false)
  {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    T** list = GetList();
    T* p = list[index];
    for (int i = index; i < n - 1; ++i) list[i] = list[i + 1];
    m_hb.Resize((n - 1) * (int)sizeof(T*), false);
    if (wantDelete) delete p;
  }

  // Empties the list; with wantDelete, deletes the elements last to first.
  void Empty(bool wantDelete = false)
  {
    if (wantDelete)
    {
      for (int i = GetSize() - 1; i >= 0; --i)
      {
        T* p = GetList()[i];
        m_hb.Resize(i * (int)sizeof(T*), false);
        delete p;
      }
    }
    m_hb.Resize(0, false);
  }

private:
  WDL_HeapBuf m_hb;
};
