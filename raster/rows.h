#pragma once
// Row addressing and rectangle clipping shared by the raster operations.

#include <cstdint>

#include "lice.h"

// A bitmap's pixels seen top-down: row y starts at row0 + y * span (span negative for a flipped
// bitmap). Empty when the bitmap is null, has no bits or no area.
struct LICE_Rows
{
  LICE_pixel* row0 = nullptr;
  int span = 0;
  int width = 0;
  int height = 0;

  // Reads the layout of bm.
  explicit LICE_Rows(LICE_IBitmap* bm)
  {
    if (!bm) return;
    LICE_pixel* bits = bm->getBits();
    const int w = bm->getWidth(), h = bm->getHeight(), rs = bm->getRowSpan();
    if (!bits || w <= 0 || h <= 0) return;
    width = w;
    height = h;
    if (bm->isFlipped()) {
      row0 = bits + (intptr_t)(h - 1) * rs;
      span = -rs;
    } else {
      row0 = bits;
      span = rs;
    }
  }
  bool empty() const { return row0 == nullptr; }
  // First pixel of row y.
  LICE_pixel* row(int y) const { return row0 + (intptr_t)y * span; }
};

// A rectangle clipped to 0..w x 0..h in 64-bit arithmetic, so that no input overflows.
// The result is empty (w or h <= 0) when nothing is left.
struct LICE_ClippedRect
{
  int x = 0, y = 0, w = 0, h = 0;

  LICE_ClippedRect(int64_t x0, int64_t y0, int64_t cw, int64_t ch, int bw, int bh)
  {
    int64_t x1 = x0 + cw, y1 = y0 + ch;
    if (x0 < 0) x0 = 0;
    if (y0 < 0) y0 = 0;
    if (x1 > bw) x1 = bw;
    if (y1 > bh) y1 = bh;
    if (x1 <= x0 || y1 <= y0) return;
    x = (int)x0;
    y = (int)y0;
    w = (int)(x1 - x0);
    h = (int)(y1 - y0);
  }
  bool empty() const { return w <= 0 || h <= 0; }
};
