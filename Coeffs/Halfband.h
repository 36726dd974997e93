// Polyphase IIR halfband filters for changing the rate by two: two chains of first-order allpass
// sections in z^-2, whose average 0.5 * (A0(z^2) + z^-1 A1(z^2)) is an elliptic lowpass with its
// transition band centred on a quarter of the higher rate. One multiplication per coefficient and
// sample at the lower rate; a few samples of delay instead of the tens of a linear-phase filter.
#pragma once

#include "Coeffs/TolkLanes.h"

class HalfbandDesign
{
public:
  static constexpr int kMaxCoeffs = 16;

  // The design of `count` coefficients (1 ... kMaxCoeffs) whose transition band is `transition`
  // wide on each side of a quarter of the higher rate (as a fraction of that rate, 0 ... 0.25):
  // the passband ends at (0.25 - transition) and the stopband starts at (0.25 + transition).
  HalfbandDesign(int count, double transition);

  int Count() const { return mCount; }
  // Coefficient i: even ones belong to the chain that sees the later sample of each pair.
  double Coeff(int i) const { return mCoeffs[i]; }
  // The gain in dB of the lowpass at a frequency given as a fraction of the higher rate.
  double GainDb(double frequency) const;
  // The group delay at DC, in samples of the higher rate.
  double DelayAtDc() const;

private:
  int mCount;
  double mCoeffs[kMaxCoeffs];
};

// One chain of allpass sections y = a * x + x' - a * y' (primes: the section's previous input
// and output; the feedback product last, so that a sample waits on its predecessor for one
// multiplication and one subtraction), run on both channels at once. The previous input of
// section j+1 is the previous output of section j, so the chain keeps one value per section
// boundary.
template <int N>
struct HalfbandChain
{
  TolkLanes coeff[N];
  TolkLanes state[N + 1];

  TOLK_INLINE TolkLanes Run(TolkLanes x)
  {
    for (int j = 0; j < N; ++j) {
      const TolkLanes y = (coeff[j] * x + state[j]) - coeff[j] * state[j + 1];
      state[j] = x;
      x = y;
    }
    state[N] = x;
    return x;
  }
};

// The two chains of a design with N coefficients (N even).
template <int N>
struct HalfbandPair
{
  static_assert(N % 2 == 0, "a halfband pair has as many coefficients in each chain");
  HalfbandChain<N / 2> later, earlier;

  // Loads the design's coefficients (it must have N) and clears the history.
  void Set(const HalfbandDesign& design)
  {
    for (int j = 0; j < N / 2; ++j) {
      TolkSplat(later.coeff[j], design.Coeff(2 * j));
      TolkSplat(earlier.coeff[j], design.Coeff(2 * j + 1));
    }
    Clear();
  }
  void Clear()
  {
    Clear(0);
    Clear(1);
  }
  // Clears the history of channel c alone.
  void Clear(int c)
  {
    for (TolkLanes& s : later.state) s[c] = 0.0;
    for (TolkLanes& s : earlier.state) s[c] = 0.0;
  }
  // Whether every value in channel c's history is finite.
  bool Finite(int c) const
  {
    double sum = 0.0;
    for (const TolkLanes& s : later.state) sum += s[c] - s[c];
    for (const TolkLanes& s : earlier.state) sum += s[c] - s[c];
    return sum == 0.0;
  }

  // n samples in, 2n out at twice the rate, with unit gain in the passband. The chains run on
  // a copy held in registers.
  TOLK_INLINE void Up(const TolkLanes* in, TolkLanes* out, int n)
  {
    HalfbandPair p = *this;
    for (int s = 0; s < n; ++s) {
      out[2 * s] = p.later.Run(in[s]);
      out[2 * s + 1] = p.earlier.Run(in[s]);
    }
    *this = p;
  }
  // 2n samples in, n out at half the rate.
  TOLK_INLINE void Down(const TolkLanes* in, TolkLanes* out, int n)
  {
    HalfbandPair p = *this;
    for (int s = 0; s < n; ++s) out[s] = (p.later.Run(in[2 * s + 1]) + p.earlier.Run(in[2 * s])) * 0.5;
    *this = p;
  }
};
