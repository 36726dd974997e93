// The shaper of both channels run K times faster than the host's rate (K = 1, 2, 4 or 8), with
// anti-derivative shaping of the given order (1 or 2): each filter output is interpolated up by
// halfband stages, shaped, and brought back down. The first stage up is a steep halfband
// (passband to 0.48, stopband from 0.52 of the host's rate, about -100 dB). The last stage down
// is an elliptic lowpass at twice the host's rate whose stopband starts at half the host's rate
// (passband to 20 kHz at 44.1 kHz, about -86 dB), so that harmonics just above that are gone
// before they can fold; the stages in between only have to clear what would fold onto the
// audio band and can be gentle halfbands.
#pragma once

#include <cmath>
#include <utility>

#include "Coeffs/Elliptic.h"
#include "Coeffs/Halfband.h"
#include "Coeffs/TolkShaper.h"
#include "Coeffs/TolkSmoothShaper.h"

namespace kelvo_detail {
constexpr int kGentleCoeffs = 4;
// The designs, made on first use (outside the audio thread: by the circuit's constructor).
// The steep halfband has 6 (-62 dB), 8 (-82 dB) or 10 (-103 dB) coefficients; the last
// lowpass is of order 9 (-65 dB) or 11 (-86 dB).
const HalfbandDesign& SteepHalfband(int coeffs);
const HalfbandDesign& GentleHalfband();
const EllipticDesign& LastLowpass(int order);
}  // namespace kelvo_detail

// Steep and Last: the sizes of the first stage up and the last stage down (see above).
template <int K, int Order, int Steep = 10, int Last = 11>
class KelvoOversampler {
 public:
  static_assert(K == 1 || K == 2 || K == 4 || K == 8, "a power of two up to 8");
  static_assert((Steep == 6 || Steep == 8 || Steep == 10) && (Last == 9 || Last == 11),
                "a first and a last stage that are designed");

  KelvoOversampler() {
    using namespace kelvo_detail;
    mSteep.Set(SteepHalfband(Steep));
    mGentle4.Set(GentleHalfband());
    mGentle8.Set(GentleHalfband());
    mDown4.Set(GentleHalfband());
    mDown8.Set(GentleHalfband());
    mDown2.Set(LastLowpass(Last));
  }

  // The delay of the whole chain at low frequencies, in samples at the host's rate: the
  // shaper's, and at each doubling the two stages' delays less half a sample of the higher
  // rate, by which the later of the two samples that each output stands for follows the first.
  static double Delay() {
    using namespace kelvo_detail;
    double delay = TolkSmoothShaper<Order, 1>::Delay() / K;
    if (K >= 2)
      delay += (SteepHalfband(Steep).DelayAtDc() + LastLowpass(Last).DelayAtDc() - 1.0) / 2.0;
    if (K >= 4) delay += (2.0 * GentleHalfband().DelayAtDc() - 1.0) / 4.0;
    if (K >= 8) delay += (2.0 * GentleHalfband().DelayAtDc() - 1.0) / 8.0;
    return delay;
  }
  // The latency reported for it: the delay rounded to whole samples.
  static int Latency() { return static_cast<int>(std::lround(Delay())); }

  // History of both channels as after a long silence.
  void Clear() {
    Clear(0);
    Clear(1);
  }
  void Clear(int c) {
    mSteep.Clear(c);
    mGentle4.Clear(c);
    mGentle8.Clear(c);
    mDown8.Clear(c);
    mDown4.Clear(c);
    mDown2.Clear(c);
    mShaper.Clear(c);
  }
  // When channel c's history holds a NaN or an infinity, clears it and returns true.
  bool Recover(int c) {
    const bool finite = mSteep.Finite(c) && mGentle4.Finite(c) && mGentle8.Finite(c) &&
                        mDown8.Finite(c) && mDown4.Finite(c) && mDown2.Finite(c) &&
                        mShaper.Finite(c);
    if (!finite) Clear(c);
    return !finite;
  }

  // The most frames one call of Run takes.
  static constexpr int kChunk = 32;

  // n (up to kChunk) filter outputs of both channels in, as many shaped values out (delayed by
  // Delay()); out may be in.
  TOLK_INLINE void Run(const TolkLanes* y, TolkLanes* out, int n) {
    TolkLanes* v = mWork[0];
    for (int s = 0; s < n; ++s) v[s] = y[s] * tolk_detail::kShaperScale;
    if constexpr (K == 1) {
      mShaper.Run(v, n);
      for (int s = 0; s < n; ++s) out[s] = v[s];
    } else {
      TolkLanes* w = mWork[1];
      mSteep.Up(v, w, n);
      if constexpr (K >= 4) mGentle4.Up(w, v, 2 * n);
      if constexpr (K >= 8) mGentle8.Up(v, w, 4 * n);
      TolkLanes* top = K == 4 ? v : w;  // where the values at K times the rate are
      TolkLanes* other = K == 4 ? w : v;
      mShaper.Run(top, K * n);
      if constexpr (K >= 8) mDown8.Down(top, other, 4 * n), std::swap(top, other);
      if constexpr (K >= 4) mDown4.Down(top, other, 2 * n), std::swap(top, other);
      mDown2.Down(top, out, n);
    }
  }

 private:
  using Gentle = HalfbandPair<kelvo_detail::kGentleCoeffs>;
  HalfbandPair<Steep> mSteep;  // host rate to twice it
  Gentle mGentle4;         // to four times
  Gentle mGentle8;         // to eight times
  Gentle mDown8, mDown4;   // and back down
  EllipticCascade<(Last + 1) / 2> mDown2;  // to the host's rate
  TolkSmoothShaper<Order, K * kChunk> mShaper;
  TolkLanes mWork[2][K * kChunk];  // the stages' outputs, in turn
};
