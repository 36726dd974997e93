#pragma once
// Owned, growable byte buffers and typed arrays on top of them.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

class WDL_HeapBuf
{
public:
  // An empty buffer that grows in steps of at least `granularity` bytes.
  explicit WDL_HeapBuf(int granularity = 4096) : m_granul(granularity > 0 ? granularity : 4096) {}
  WDL_HeapBuf(const WDL_HeapBuf& other);
  WDL_HeapBuf& operator=(const WDL_HeapBuf& other);
  ~WDL_HeapBuf();

  // The data, or null when the used size is 0.
  void* Get() const { return m_size > 0 ? m_buf : nullptr; }
  // Used size in bytes.
  int GetSize() const { return m_size; }
  // Bytes of storage currently held.
  int GetAllocated() const { return m_alloc; }
  int GetGranul() const { return m_granul; }
  // Sets the growth granularity for later allocations (non-positive values are ignored).
  void SetGranul(int granularity)
  {
    if (granularity > 0) m_granul = granularity;
  }

  // Sets the used size (negative counts as 0) and returns the data, or null when the size is 0.
  // Storage moves only when the size exceeds the allocation or, with allowShrink, when it falls
  // well below it. When memory cannot be had, storage and size stay as they were.
  void* Resize(int newSize, bool allowShrink = true);

  // Allocation that Resize would choose for `newSize` at `granularity`; -1 when it does not fit an int.
  static int64_t AllocationFor(int newSize, int granularity);

  // Swaps contents with another buffer.
  void Swap(WDL_HeapBuf& other);

private:
  void* m_buf = nullptr;
  int m_alloc = 0;
  int m_size = 0;
  int m_granul;
};

template <class T>
class WDL_TypedBuf
{
  static_assert(std::is_trivially_copyable<T>::value, "WDL_TypedBuf holds plain data");

public:
  WDL_TypedBuf() : m_hb(4096) {}

  // The elements, or null when empty.
  T* Get() const { return static_cast<T*>(m_hb.Get()); }
  // Number of elements.
  int GetSize() const { return m_hb.GetSize() / (int)sizeof(T); }

  // Sets the number of elements; returns the elements, or null when empty or when the size
  // cannot be had (then the old contents stay).
  T* Resize(int newCount, bool allowShrink = true)
  {
    if (newCount < 0) newCount = 0;
    if ((int64_t)newCount * (int64_t)sizeof(T) > INT32_MAX) return nullptr;
    const int want = newCount * (int)sizeof(T);
    m_hb.Resize(want, allowShrink);
    return m_hb.GetSize() == want ? Get() : nullptr;
  }

  // Appends one element; returns a pointer to it, or null when memory cannot be had.
  T* Add(const T& v)
  {
    const int n = GetSize();
    if (!Resize(n + 1, false)) return nullptr;
    Get()[n] = v;
    return Get() + n;
  }

  // Removes the element at idx (nothing outside the array).
  void Delete(int idx)
  {
    const int n = GetSize();
    if (idx < 0 || idx >= n) return;
    T* p = Get();
    std::memmove(p + idx, p + idx + 1, (size_t)(n - idx - 1) * sizeof(T));
    Resize(n - 1, false);
  }

private:
  WDL_HeapBuf m_hb;
};
