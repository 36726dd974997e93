#pragma once
// A test bitmap with guard pixels on every side, so that drawing outside the image shows up,
// and helpers to read it back.

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "raster/lice.h"

namespace drawtest {

const LICE_pixel kGuard = 0x5AA5C33Cu;

// The image is w x h inside a border of `guard` pixels; rows may be stored bottom-up.
class Canvas : public LICE_IBitmap
{
public:
  Canvas(int w, int h, LICE_pixel fill = 0xFFFFFFFFu, bool flipped = false, int guard = 8)
      : m_w(w),
        m_h(h),
        m_g(guard),
        m_span(w + 2 * guard + 3),
        m_flipped(flipped),
        m_buf((size_t)m_span * (h + 2 * guard), kGuard)
  {
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) at(x, y) = fill;
  }
  LICE_pixel* getBits() override { return &m_buf[(size_t)m_g * m_span + m_g]; }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_span; }
  bool isFlipped() override { return m_flipped; }
  bool resize(int, int) override { return false; }

  // The pixel at image position (x, y), as drawing sees it.
  LICE_pixel& at(int x, int y) { return getBits()[(size_t)(m_flipped ? m_h - 1 - y : y) * m_span + x]; }
  // True when no pixel outside the image has changed.
  bool guardsIntact() const
  {
    for (int y = 0; y < m_h + 2 * m_g; y++)
      for (int x = 0; x < m_span; x++) {
        const bool inside = y >= m_g && y < m_g + m_h && x >= m_g && x < m_g + m_w;
        if (!inside && m_buf[(size_t)y * m_span + x] != kGuard) return false;
      }
    return true;
  }
  // Positions whose pixel differs from `background`.
  std::set<std::pair<int, int>> changed(LICE_pixel background)
  {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < m_h; y++)
      for (int x = 0; x < m_w; x++)
        if (at(x, y) != background) out.insert({x, y});
    return out;
  }
  // The image pixels in top-down order.
  std::vector<LICE_pixel> image()
  {
    std::vector<LICE_pixel> out;
    for (int y = 0; y < m_h; y++)
      for (int x = 0; x < m_w; x++) out.push_back(at(x, y));
    return out;
  }

private:
  int m_w, m_h, m_g, m_span;
  bool m_flipped;
  std::vector<LICE_pixel> m_buf;
};

using PixelSet = std::set<std::pair<int, int>>;

}  // namespace drawtest
