#include "alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> sCounting{false};
std::atomic<int> sAllocations{0};
}  // namespace

void* operator new(size_t n)
{
  if (sCounting) ++sAllocations;
  if (void* p = malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept
{
  if (sCounting) ++sAllocations;
  return malloc(n ? n : 1);
}
void* operator new[](size_t n, const std::nothrow_t& tag) noexcept { return operator new(n, tag); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }

namespace core_test {
void StartCountingAllocations()
{
  sAllocations = 0;
  sCounting = true;
}

int StopCountingAllocations()
{
  sCounting = false;
  return sAllocations;
}
}  // namespace core_test
