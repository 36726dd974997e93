// Elliptic (Cauer) lowpass filters by the bilinear transform, as cascades of second-order
// sections: the steepest edge for an order, with equal ripple in both bands.
#pragma once

#include "Coeffs/TolkLanes.h"

class EllipticDesign
{
public:
  static constexpr int kMaxOrder = 12;
  static constexpr int kMaxSections = kMaxOrder / 2 + 1;

  // One section: (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2). The passband peaks at
  // 0 dB: at DC for an odd order, between ripples for an even one (DC lies a ripple lower).
  struct Section
  {
    double b0, b1, b2, a1, a2;
  };

  // The lowpass of the given order (1 ... kMaxOrder) with `rippleDb` of passband ripple whose
  // passband ends at `passEdge` and whose stopband starts at `stopEdge` (fractions of the rate,
  // 0 < passEdge < stopEdge < 0.5).
  EllipticDesign(int order, double passEdge, double stopEdge, double rippleDb);

  int Sections() const { return mSections; }
  const Section& GetSection(int i) const { return mSection[i]; }
  // The attenuation the design guarantees in its stopband, in dB (positive).
  double StopbandDb() const { return mStopbandDb; }
  // The gain in dB at a frequency given as a fraction of the rate.
  double GainDb(double frequency) const;
  // The group delay at DC, in samples.
  double DelayAtDc() const;

private:
  int mSections;
  Section mSection[kMaxSections];
  double mStopbandDb;
};

// A cascade of second-order sections (transposed direct form II) for two channels.
template <int N>
struct EllipticCascade
{
  TolkLanes b0[N], b1[N], b2[N], a1[N], a2[N];
  TolkLanes s1[N], s2[N];

  // Loads a design of N sections (a first-order one among them has b2 = a2 = 0) and clears the
  // history.
  void Set(const EllipticDesign& design)
  {
    for (int j = 0; j < N; ++j) {
      const EllipticDesign::Section& s = design.GetSection(j);
      TolkSplat(b0[j], s.b0);
      TolkSplat(b1[j], s.b1);
      TolkSplat(b2[j], s.b2);
      TolkSplat(a1[j], s.a1);
      TolkSplat(a2[j], s.a2);
    }
    Clear();
  }
  void Clear()
  {
    Clear(0);
    Clear(1);
  }
  void Clear(int c)
  {
    for (int j = 0; j < N; ++j) s1[j][c] = s2[j][c] = 0.0;
  }
  bool Finite(int c) const
  {
    double sum = 0.0;
    for (int j = 0; j < N; ++j) sum += (s1[j][c] - s1[j][c]) + (s2[j][c] - s2[j][c]);
    return sum == 0.0;
  }

  TOLK_INLINE TolkLanes Run(TolkLanes x)
  {
    for (int j = 0; j < N; ++j) {
      const TolkLanes y = b0[j] * x + s1[j];
      s1[j] = (b1[j] * x + s2[j]) - a1[j] * y;
      s2[j] = b2[j] * x - a2[j] * y;
      x = y;
    }
    return x;
  }

  // 2n samples in, every second one of the filtered signal out: n samples at half the rate.
  // The cascade runs on a copy held in registers.
  TOLK_INLINE void Down(const TolkLanes* in, TolkLanes* out, int n)
  {
    EllipticCascade e = *this;
    for (int s = 0; s < n; ++s) {
      e.Run(in[2 * s]);
      out[s] = e.Run(in[2 * s + 1]);
    }
    *this = e;
  }
};
