// Channels side by side in one register: every operation works lane by lane with the same
// rounding as on a single double, so lanes give the bits of separate runs.
#pragma once

typedef double TolkLanes __attribute__((vector_size(2 * sizeof(double))));  // two channels
typedef double TolkQuad __attribute__((vector_size(4 * sizeof(double))));   // two frames of two

// Helpers on lanes are always inlined, so they take the instruction set of the loop they sit in.
#define TOLK_INLINE inline __attribute__((always_inline))

// Sets every lane of v to d (a double has one lane).
TOLK_INLINE void TolkSplat(double& v, double d) { v = d; }
template <class V>
TOLK_INLINE void TolkSplat(V& v, double d)
{
  for (unsigned i = 0; i < sizeof(V) / sizeof(double); ++i) v[i] = d;
}
