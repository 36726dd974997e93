#pragma once
// Flush-to-zero and denormals-are-zero for the lifetime of a scope; the caller's floating-point
// mode comes back on every exit path.

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>

class DenormalGuard
{
public:
  static constexpr unsigned kFlushBits = 0x8000u | 0x0040u;  // FTZ | DAZ

  DenormalGuard() : mSaved(_mm_getcsr()) { _mm_setcsr(mSaved | kFlushBits); }
  ~DenormalGuard() { _mm_setcsr(mSaved); }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
  unsigned mSaved;
};
#else
class DenormalGuard
{
public:
  DenormalGuard() {}
};
#endif
