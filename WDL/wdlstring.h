// WDL_String: a growable, zero-terminated byte string.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "heapbuf.h"

class WDL_String
{
public:
  WDL_String() : m_hb(128) {}
  explicit WDL_String(const char* text, int maxlen = 0) : m_hb(128) { Set(text, maxlen); }
  WDL_String(const WDL_String& other) : m_hb(128) { Set(other.Get()); }
  WDL_String& operator=(const WDL_String& other)
  {
    if (this != &other) Set(other.Get());
    return *this;
  }
  ~WDL_String() = default;

  // Replaces the contents with text; maxlen 0 takes all of it, n >= 1 at most
  // n characters (stopping early at the terminator). Null sets "".
  void Set(const char* text, int maxlen = 0)
  {
    const int n = Clip(text, maxlen);
    if (text && text >= Buf() && text < Buf() + m_hb.GetSize())
    {
      // Setting from our own buffer: move the bytes down, then cut.
      std::memmove(Buf(), text, (size_t)n);
      SetLen(n);
      return;
    }
    if (!Reserve(n)) return;
    if (n) std::memcpy(Buf(), text, (size_t)n);
    Buf()[n] = 0;
  }

  // Appends text under the same maxlen rule as Set.
  void Append(const char* text, int maxlen = 0)
  {
    const int n = Clip(text, maxlen);
    if (!n) return;
    const int old = GetLength();
    if (text >= Buf() && text < Buf() + m_hb.GetSize())
    {
      WDL_String copy(text, n);
      Append(copy.Get());
      return;
    }
    if (!Reserve(old + n)) return;
    std::memcpy(Buf() + old, text, (size_t)n);
    Buf()[old + n] = 0;
  }

  // Formats into the string; maxlen bounds the result (0 means no bound).
  void SetFormatted(int maxlen, const char* fmt, ...)
  {
    va_list ap;
    va_start(ap, fmt);
    Format(false, maxlen, fmt, ap);
    va_end(ap);
  }
  void AppendFormatted(int maxlen, const char* fmt, ...)
  {
    va_list ap;
    va_start(ap, fmt);
    Format(true, maxlen, fmt, ap);
    va_end(ap);
  }

  // Shortens the string to at most len characters.
  void SetLen(int len)
  {
    if (len < 0) len = 0;
    if (len >= GetLength()) return;
    Buf()[len] = 0;
  }

  // Removes count characters starting at position.
  void DeleteSub(int position, int count)
  {
    const int len = GetLength();
    if (position < 0 || position >= len || count <= 0) return;
    if (count > len - position) count = len - position;
    std::memmove(Buf() + position, Buf() + position + count, (size_t)(len - position - count + 1));
  }

  const char* Get() const { return m_hb.GetSize() ? static_cast<const char*>(m_hb.Get()) : ""; }
  char* GetMutable() { return m_hb.GetSize() ? Buf() : EmptyBuf(); }
  int GetLength() const { return (int)std::strlen(Get()); }

private:
  static int Clip(const char* text, int maxlen)
  {
    if (!text) return 0;
    if (maxlen <= 0) return (int)std::strlen(text);
    const void* end = std::memchr(text, 0, (size_t)maxlen);
    return end ? (int)(static_cast<const char*>(end) - text) : maxlen;
  }
  char* Buf() const { return static_cast<char*>(m_hb.Get()); }
  char* EmptyBuf()
  {
    Reserve(0);
    return Buf();
  }
  bool Reserve(int len)
  {
    const int keep = m_hb.GetSize();
    m_hb.Resize(len + 1, false);
    if (m_hb.GetSize() != len + 1)
    {
      m_hb.Resize(keep, false);
      return false;
    }
    if (!keep) Buf()[0] = 0;
    return true;
  }
  void Format(bool append, int maxlen, const char* fmt, va_list ap)
  {
    // Formatted into a buffer of its own first: the arguments may point into
    // this string, which growing would move and writing would overwrite.
    va_list ap2;
    va_copy(ap2, ap);
    const int need = std::vsnprintf(nullptr, 0, fmt, ap2);
    va_end(ap2);
    if (need < 0) return;
    WDL_HeapBuf tmp(128);
    char* text = static_cast<char*>(tmp.Resize(need + 1, false));
    if (tmp.GetSize() != need + 1) return;
    std::vsnprintf(text, (size_t)need + 1, fmt, ap);
    const int n = maxlen > 0 && need > maxlen ? maxlen : need;
    if (append)
    {
      if (n) Append(text, n);
    }
    else
      Set(n ? text : "", n);
  }

  mutable WDL_HeapBuf m_hb;
};
