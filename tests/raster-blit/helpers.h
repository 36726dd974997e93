#pragma once
// Test bitmaps: guarded memory around the image, optional bottom-up rows, and fill patterns.

#include <functional>
#include <vector>

#include "raster/lice.h"

// A bitmap over test-owned memory. Guard pixels surround the image (whole rows above and below,
// columns right of every row) and hold a sentinel; guardsIntact() tells whether any was written.
class GuardedBitmap : public LICE_IBitmap
{
public:
  static constexpr LICE_pixel kSentinel = 0xDEADBEEF;

  GuardedBitmap(int w, int h, bool flipped = false, int pad = 3)
      : m_w(w),
        m_h(h),
        m_span(w + pad),
        m_pad(pad),
        m_flipped(flipped),
        m_mem((size_t)(h + 2 * pad) * (w + pad), kSentinel)
  {
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) at(x, y) = 0;
  }

  LICE_pixel* getBits() override { return m_mem.data() + (size_t)m_pad * m_span; }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_span; }
  bool isFlipped() override { return m_flipped; }
  bool resize(int, int) override { return false; }

  // The pixel at image coordinates (x, y), wherever the row is stored.
  LICE_pixel& at(int x, int y)
  {
    const int row = m_flipped ? m_h - 1 - y : y;
    return getBits()[(size_t)row * m_span + x];
  }

  bool guardsIntact() const
  {
    for (int y = 0; y < m_h + 2 * m_pad; y++)
      for (int x = 0; x < m_span; x++) {
        const bool image = y >= m_pad && y < m_pad + m_h && x < m_w;
        if (!image && m_mem[(size_t)y * m_span + x] != kSentinel) return false;
      }
    return true;
  }

  void fill(const std::function<LICE_pixel(int, int)>& f)
  {
    for (int y = 0; y < m_h; y++)
      for (int x = 0; x < m_w; x++) at(x, y) = f(x, y);
  }

private:
  int m_w, m_h, m_span, m_pad;
  bool m_flipped;
  std::vector<LICE_pixel> m_mem;
};

// A distinct opaque-ish colour per position.
inline LICE_pixel Pattern(int x, int y)
{
  return LICE_RGBA(x * 17 + y * 3, y * 29 + 5, (x * y) ^ 0x5A, 255 - ((x + 2 * y) & 0x3F));
}
