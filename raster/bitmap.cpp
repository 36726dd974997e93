// Memory and system bitmaps: storage, alignment and the resize rules.

#include <climits>
#include <cstdint>
#include <cstdlib>

#include "lice.h"

namespace {

// Slack asked for with every buffer so that its start can be moved to a 64-byte boundary.
const int kAlignSlack = 63;

}  // namespace

LICE_MemBitmap::LICE_MemBitmap(int w, int h, unsigned int linealign)
{
  if (linealign >= 2) {
    unsigned int lowest = linealign & (~linealign + 1);
    if (lowest > 16) lowest = 16;
    m_linealign = (int)lowest - 1;
  }
  if (w > 0 && h > 0) resize(w, h);
}

LICE_MemBitmap::~LICE_MemBitmap() { free(m_fb); }

LICE_pixel* LICE_MemBitmap::getBits()
{
  if (!m_fb) return nullptr;
  const uintptr_t p = ((uintptr_t)m_fb + kAlignSlack) & ~(uintptr_t)kAlignSlack;
  return reinterpret_cast<LICE_pixel*>(p);
}

bool LICE_MemBitmap::resize(int w, int h)
{
  if (w == m_width && h == m_height) return false;

  int64_t needed = 0;
  if (w > 0 && h > 0) {
    const int64_t span = ((int64_t)w + m_linealign) & ~(int64_t)m_linealign;
    needed = span * h * 4;
  }
  // Empty sizes, and sizes whose byte count does not fit an int, leave a 0 x 0 bitmap.
  if (needed <= 0 || needed > INT_MAX - kAlignSlack) {
    free(m_fb);
    m_fb = nullptr;
    m_allocsize = 0;
    m_width = m_height = 0;
    return true;
  }

  m_width = w;
  m_height = h;
  if (m_fb && m_allocsize >= needed) return true;

  // Grow with 25 % headroom; contents need not survive, so nothing is copied.
  free(m_fb);
  m_fb = nullptr;
  int64_t want = m_allocsize > 0 ? (needed / 4) * 5 : needed;
  if (want > INT_MAX - kAlignSlack) want = needed;
  m_fb = malloc((size_t)want + kAlignSlack);
  if (!m_fb && want != needed) {
    want = needed;
    m_fb = malloc((size_t)want + kAlignSlack);
  }
  if (!m_fb) {
    m_allocsize = 0;
    m_width = m_height = 0;
    return true;
  }
  m_allocsize = (int)want;
  return true;
}

LICE_SysBitmap::LICE_SysBitmap(int w, int h) { resize(w, h); }

LICE_SysBitmap::~LICE_SysBitmap()
{
  if (m_dc) SWELL_DeleteGfxContext(m_dc);
}

bool LICE_SysBitmap::resize(int w, int h)
{
  if (w == m_width && h == m_height) return false;

  if (w > 0 && h > 0 && m_bits && m_allocw >= w && m_alloch >= h) {
    m_width = w;
    m_height = h;
    return true;
  }

  if (m_dc) SWELL_DeleteGfxContext(m_dc);
  m_dc = nullptr;
  m_bits = nullptr;
  m_allocw = m_alloch = 0;
  m_width = m_height = 0;
  if (w <= 0 || h <= 0) return true;

  const int64_t allocw = ((int64_t)w + 3) & ~(int64_t)3;
  if (allocw * h * 4 > INT_MAX - kAlignSlack) return true;

  m_dc = SWELL_CreateMemContext(nullptr, (int)allocw, h);
  m_bits = m_dc ? static_cast<LICE_pixel*>(SWELL_GetCtxFrameBuffer(m_dc)) : nullptr;
  if (!m_bits) {
    if (m_dc) SWELL_DeleteGfxContext(m_dc);
    m_dc = nullptr;
    return true;
  }
  m_allocw = (int)allocw;
  m_alloch = h;
  m_width = w;
  m_height = h;
  return true;
}
