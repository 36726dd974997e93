#include "heapbuf.h"

#include <cstdlib>
#include <utility>

namespace {
constexpr int kPage = 4096;
constexpr int kMaxStep = 4194304;
constexpr int kHeader = 96;
}  // namespace

WDL_HeapBuf::WDL_HeapBuf(const WDL_HeapBuf& other) : m_granul(other.m_granul) { *this = other; }

WDL_HeapBuf& WDL_HeapBuf::operator=(const WDL_HeapBuf& other)
{
  if (this == &other) return *this;
  const int oldSize = m_size;
  Resize(other.m_size, false);
  if (m_size == other.m_size) {
    if (m_size > 0) std::memcpy(m_buf, other.m_buf, (size_t)m_size);
  } else {
    m_size = oldSize;  // could not grow: keep what we had
  }
  return *this;
}

WDL_HeapBuf::~WDL_HeapBuf() { std::free(m_buf); }

int64_t WDL_HeapBuf::AllocationFor(int newSize, int granularity)
{
  if (newSize <= 0) return 0;
  int64_t g = granularity > newSize / 2 ? granularity : newSize / 2;
  int64_t alloc;
  if (granularity >= kPage) {
    g -= g % kPage;
    if (g < kPage) g = kPage;
    if (g > kMaxStep) g = kMaxStep;
    alloc = (((int64_t)newSize + g + kHeader) / kPage) * kPage - kHeader;
  } else {
    alloc = (int64_t)newSize + g;
  }
  return alloc > INT32_MAX ? -1 : alloc;
}

void* WDL_HeapBuf::Resize(int newSize, bool allowShrink)
{
  if (newSize < 0) newSize = 0;
  bool move = newSize > m_alloc;
  if (!move && allowShrink) {
    int half = m_alloc / 2, less = m_alloc - 4 * m_granul;
    int floor = half < less ? half : less;
    if (floor < 1) floor = 1;
    move = newSize < floor;
  }
  if (move) {
    const int64_t alloc = AllocationFor(newSize, m_granul);
    if (alloc < 0) return Get();
    if (alloc == 0) {
      std::free(m_buf);
      m_buf = nullptr;
      m_alloc = 0;
    } else {
      void* p = std::realloc(m_buf, (size_t)alloc);
      if (!p) return Get();
      m_buf = p;
      m_alloc = (int)alloc;
    }
  }
  m_size = newSize;
  return Get();
}

void WDL_HeapBuf::Swap(WDL_HeapBuf& other)
{
  std::swap(m_buf, other.m_buf);
  std::swap(m_alloc, other.m_alloc);
  std::swap(m_size, other.m_size);
  std::swap(m_granul, other.m_granul);
}
