// The shaper of both channels with anti-derivative shaping of the given order (1 or 2), at the
// host's rate (K = 1) or four times faster (K = 4): there each filter output is interpolated up
// by two halfband stages, shaped, and brought back down. The first stage up is a steep halfband
// (passband to 0.48, stopband from 0.52 of the host's rate, about -100 dB). The last stage down
// is an elliptic lowpass at twice the host's rate whose stopband starts at half the host's rate
// (passband to 20 kHz at 44.1 kHz, about -86 dB), so that harmonics just above that are gone
// before they can fold; the stages at four times the rate only have to clear what would fold
// onto the audio band and can be gentle halfbands.
#pragma once

#include <cmath>

#include "Coeffs/Elliptic.h"
#include "Coeffs/Halfband.h"
#include "Coeffs/TolkShaper.h"
#include "Coeffs/TolkSmoothShaper.h"

namespace kelvo_detail {
constexpr int kSteepCoeffs = 10;
constexpr int kGentleCoeffs = 4;
constexpr int kLastOrder = 11;
// The designs, made on first use (outside the audio thread: by the circuit's constructor).
const HalfbandDesign& SteepHalfband();
const HalfbandDesign& GentleHalfband();
const EllipticDesign& LastLowpass();
}  // namespace kelvo_detail

template <int K, int Order>
class KelvoOversampler
{
public:
  static_assert(K == 1 || K == 4, "the host's rate, or four times it");

  KelvoOversampler()
  {
    using namespace kelvo_detail;
    mUp2.Set(SteepHalfband());
    mUp4.Set(GentleHalfband());
    mDown4.Set(GentleHalfband());
    mDown2.Set(LastLowpass());
  }

  // The delay of the whole chain at low frequencies, in samples at the host's rate: the
  // shaper's, and at each doubling the two stages' delays less half a sample of the higher
  // rate, by which the later of the two samples that each output stands for follows the first.
  static double Delay()
  {
    using namespace kelvo_detail;
    double delay = TolkSmoothShaper<Order, 1>::Delay() / K;
    if (K == 4) {
      delay += (SteepHalfband().DelayAtDc() + LastLowpass().DelayAtDc() - 1.0) / 2.0;
      delay += (2.0 * GentleHalfband().DelayAtDc() - 1.0) / 4.0;
    }
    return delay;
  }
  // The latency reported for it: the delay rounded to whole samples.
  static int Latency() { return static_cast<int>(std::lround(Delay())); }

  // History of both channels as after a long silence.
  void Clear()
  {
    Clear(0);
    Clear(1);
  }
  void Clear(int c)
  {
    mUp2.Clear(c);
    mUp4.Clear(c);
    mDown4.Clear(c);
    mDown2.Clear(c);
    mShaper.Clear(c);
  }
  // When channel c's history holds a NaN or an infinity, clears it and returns true.
  bool Recover(int c)
  {
    const bool finite = mUp2.Finite(c) && mUp4.Finite(c) && mDown4.Finite(c) && mDown2.Finite(c) && mShaper.Finite(c);
    if (!finite) Clear(c);
    return !finite;
  }

  // The most frames one call of Run takes.
  static constexpr int kChunk = 32;

  // Shapes n (up to kChunk) filter outputs of both channels in place (delayed by Delay()).
  TOLK_INLINE void Run(TolkLanes* v, int n)
  {
    for (int s = 0; s < n; ++s) v[s] *= tolk_detail::kShaperScale;
    if constexpr (K == 1) {
      mShaper.Run(v, n);
    } else {
      mUp2.Up(v, mWork[0], n);
      mUp4.Up(mWork[0], mWork[1], 2 * n);
      mShaper.Run(mWork[1], 4 * n);
      mDown4.Down(mWork[1], mWork[0], 2 * n);
      mDown2.Down(mWork[0], v, n);
    }
  }

private:
  // Used at four times the rate only.
  HalfbandPair<kelvo_detail::kSteepCoeffs> mUp2;               // host rate to twice it
  HalfbandPair<kelvo_detail::kGentleCoeffs> mUp4, mDown4;      // to four times and back
  EllipticCascade<(kelvo_detail::kLastOrder + 1) / 2> mDown2;  // to the host's rate
  TolkSmoothShaper<Order, K * kChunk> mShaper;
  TolkLanes mWork[2][K * kChunk];  // the stages' outputs, in turn
};
