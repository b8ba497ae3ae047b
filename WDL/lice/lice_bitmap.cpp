// LICE_MemBitmap: a bitmap in heap memory.
#include "lice.h"

#include <climits>
#include <cstdlib>

namespace
{
// Bytes of alignment slack kept in front of the pixels.
const int kAlignSlack = 63;
// The largest pixel storage the int size fields (and slack) can describe.
const long long kMaxPixelBytes = INT_MAX - kAlignSlack;
} // namespace

LICE_MemBitmap::LICE_MemBitmap(int w, int h, unsigned int linealign)
    : m_fb(nullptr), m_width(0), m_height(0), m_allocsize(0), m_linealign(0)
{
  if (linealign >= 2)
  {
    unsigned int lowest = linealign & (~linealign + 1u);
    // Alignments above 16 pixels are limited to 16.
    if (lowest > 16) lowest = 16;
    m_linealign = lowest - 1;
  }
  if (w || h) resize(w, h);
}

LICE_MemBitmap::~LICE_MemBitmap() { std::free(m_fb); }

bool LICE_MemBitmap::resize(int w, int h)
{
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;

  // Sizes in 64 bits: a large image must fail, not wrap around.
  long long size = 0;
  if (w > 0 && h > 0)
  {
    const long long span = ((long long)w + m_linealign) & ~(long long)m_linealign;
    size = span * h * 4;
    if (size > kMaxPixelBytes) size = -1;
  }

  if (size <= 0)
  {
    std::free(m_fb);
    m_fb = nullptr;
    m_allocsize = 0;
  }
  else if (!m_fb)
  {
    m_allocsize = (int)size;
    m_fb = std::malloc((size_t)size + kAlignSlack);
  }
  else if (m_allocsize < size)
  {
    long long grown = size + size / 4;
    if (grown > kMaxPixelBytes) grown = kMaxPixelBytes;
    void* p = std::realloc(m_fb, (size_t)grown + kAlignSlack);
    if (p)
    {
      m_fb = p;
      m_allocsize = (int)grown;
    }
    else
    {
      std::free(m_fb);
      m_allocsize = (int)size;
      m_fb = std::malloc((size_t)size + kAlignSlack);
    }
  }

  if (!m_fb)
  {
    m_width = m_height = 0;
    m_allocsize = 0;
  }
  return true;
}
