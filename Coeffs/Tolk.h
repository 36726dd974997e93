// The per-channel model of the effect's analog circuit: a third-order recursive filter whose
// coefficients follow the sample rate and a control value, then the fuzz shaper.
#pragma once

#include "Coeffs/TolkLanes.h"
#include "Coeffs/TolkRate.h"
#include "Coeffs/TolkShaper.h"

// The three previous inputs and the three previous (unshaped) filter outputs.
template <class V>
struct TolkState
{
  V x1, x2, x3;
  V y1, y2, y3;
};

// Runs one input through the filter and advances the history; returns the unshaped output.
// The sum runs in a fixed order: the four feed-forward products, the three feedback products
// subtracted one by one, then one division by a0.
template <class V>
TOLK_INLINE V TolkFilter(TolkState<V>& h, const TolkCoeffs<V>& c, const V& x)
{
  const V y =
      (c.b[0] * x + c.b[1] * h.x1 + c.b[2] * h.x2 + c.b[3] * h.x3 - c.a[1] * h.y1 - c.a[2] * h.y2 - c.a[3] * h.y3) /
      c.a[0];
  h.x3 = h.x2;
  h.x2 = h.x1;
  h.x1 = x;
  h.y3 = h.y2;
  h.y2 = h.y1;
  h.y1 = y;
  return y;
}

class Tolk
{
public:
  // History and coefficients all zero.
  Tolk() : mState{}, mCoeffs{} {}

  // Recomputes the coefficients for sample rate S and control A; the history stays as it is.
  // The products of the rate alone are kept and formed again only when the rate changes.
  void Calc(double sampleRate, double control)
  {
    if (sampleRate != mRate.SampleRate()) mRate = TolkRate(sampleRate);
    mRate.Eval(control, mCoeffs);
  }

  // Runs one sample through the filter and returns the shaped value. Calc must have run first
  // (with the zeroed coefficients of a new object the division is by zero). A NaN or infinite
  // sample, or an overflowing sum, leaves the history not finite; see Recover.
  double Process(double input) { return TolkShape(TolkFilter(mState, mCoeffs, input)); }

  // When the history holds a NaN or an infinity, which would silence the channel for good,
  // starts it again from silence and returns true; otherwise changes nothing.
  bool Recover()
  {
    const TolkState<double>& h = mState;
    const double sum = (h.x1 - h.x1) + (h.x2 - h.x2) + (h.x3 - h.x3) + (h.y1 - h.y1) + (h.y2 - h.y2) + (h.y3 - h.y3);
    if (sum == 0.0) return false;
    mState = TolkState<double>{};
    return true;
  }

  // The history and the coefficients, for code that runs several channels side by side.
  TolkState<double>& State() { return mState; }
  const TolkState<double>& State() const { return mState; }
  TolkCoeffs<double>& Coeffs() { return mCoeffs; }
  const TolkCoeffs<double>& Coeffs() const { return mCoeffs; }

private:
  TolkState<double> mState;
  TolkCoeffs<double> mCoeffs;
  TolkRate mRate;
};
