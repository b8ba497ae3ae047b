// ByteChunk: a growable byte buffer that state is serialised into and read
// back from at a position.
#pragma once

#include <cstring>

#include "heapbuf.h"
#include "wdlstring.h"

class ByteChunk
{
public:
  ByteChunk() : mBytes(4096) {}

  // Appends size bytes; returns the new size, or 0 when growing failed.
  int PutBytes(const void* src, int size)
  {
    const int n = Size();
    if (size <= 0) return n;
    mBytes.Resize(n + size, false);
    if (Size() != n + size) return 0;
    std::memcpy(GetBytes() + n, src, (size_t)size);
    return Size();
  }

  // Reads size bytes at startPos; returns the position after them, or -1 when
  // the chunk does not hold them.
  int GetBytes(void* dst, int size, int startPos) const
  {
    if (startPos < 0 || size < 0 || startPos > Size() || size > Size() - startPos) return -1;
    if (size) std::memcpy(dst, GetBytes() + startPos, (size_t)size);
    return startPos + size;
  }

  template <class T> int Put(const T* value) { return PutBytes(value, (int)sizeof(T)); }
  template <class T> int Get(T* value, int startPos) const
  {
    return GetBytes(value, (int)sizeof(T), startPos);
  }

  // Strings are stored as an int length and that many bytes.
  int PutStr(const char* str)
  {
    const int len = str ? (int)std::strlen(str) : 0;
    Put(&len);
    return PutBytes(str, len);
  }
  int GetStr(WDL_String* str, int startPos) const
  {
    int len = 0;
    const int pos = Get(&len, startPos);
    if (pos < 0 || len < 0 || len > Size() - pos) return -1;
    str->Set(len ? reinterpret_cast<const char*>(GetBytes() + pos) : "", len);
    if (!len) str->Set("");
    return pos + len;
  }

  int PutChunk(const ByteChunk* other) { return PutBytes(other->GetBytes(), other->Size()); }

  void Clear() { mBytes.Resize(0, false); }
  int Size() const { return mBytes.GetSize(); }
  int Resize(int newSize)
  {
    const int n = Size();
    mBytes.Resize(newSize, false);
    if (Size() > n) std::memset(GetBytes() + n, 0, (size_t)(Size() - n));
    return Size();
  }
  unsigned char* GetBytes() const { return static_cast<unsigned char*>(mBytes.Get()); }

  bool IsEqual(const ByteChunk& other) const
  {
    return Size() == other.Size() &&
           (!Size() || !std::memcmp(GetBytes(), other.GetBytes(), (size_t)Size()));
  }

private:
  WDL_HeapBuf mBytes;
};
