// Test bitmaps for the drawing tests: a bitmap inside a guarded buffer (to
// catch writes outside it), optionally stored bottom-up, and pixel probes.
#pragma once

#include "lice.h"
#include "lice_reference.h"

#include <cstddef>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

// w x h pixels stored inside a larger buffer with a margin of guard pixels on
// every side; flipped stores the rows bottom-up.
class GuardedBitmap : public LICE_IBitmap
{
public:
  static constexpr LICE_Pixel kGuard = 0x5a5a5a5au;
  static constexpr int kMargin = 8;
  GuardedBitmap(int w, int h, bool flipped = false, LICE_Pixel fill = 0)
      : m_w(w), m_h(h), m_span(w + 2 * kMargin), m_flipped(flipped),
        m_buf((std::size_t)(w + 2 * kMargin) * (std::size_t)(h + 2 * kMargin), kGuard)
  {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) at(x, y) = fill;
  }
  LICE_Pixel* getBits() override { return m_buf.data() + kMargin * m_span + kMargin; }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_span; }
  bool isFlipped() override { return m_flipped; }
  bool resize(int, int) override { return false; }

  // Pixel of picture row y.
  LICE_Pixel& at(int x, int y) { return getBits()[(m_flipped ? m_h - 1 - y : y) * m_span + x]; }
  bool guardIntact() const
  {
    for (int y = -kMargin; y < m_h + kMargin; ++y)
      for (int x = -kMargin; x < m_w + kMargin; ++x)
      {
        if (x >= 0 && x < m_w && y >= 0 && y < m_h) continue;
        if (m_buf[(std::size_t)(y + kMargin) * m_span + (x + kMargin)] != kGuard) return false;
      }
    return true;
  }
  // Picture coordinates of every pixel that differs from v.
  std::set<std::pair<int, int>> pixelsNot(LICE_Pixel v)
  {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < m_h; ++y)
      for (int x = 0; x < m_w; ++x)
        if (at(x, y) != v) out.insert({x, y});
    return out;
  }
  bool samePixels(GuardedBitmap& o) { return ref::Pixels(this) == ref::Pixels(&o); }

private:
  int m_w, m_h, m_span;
  bool m_flipped;
  std::vector<LICE_Pixel> m_buf;
};

typedef std::set<std::pair<int, int>> PixelSet;

const LICE_Pixel kWhite = 0xffffffffu;
const float kPi = 3.14159265f;
