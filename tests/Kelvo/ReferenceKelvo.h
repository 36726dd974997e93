// An independent evaluation of the effect in long double: its own copy of the circuit's
// constants (ReferenceCircuit.h), the polynomials summed as written (sign times the difference
// of the two constants, times the powers), its own smoother and shaper. It shares nothing with
// the product, so a wrong constant, a swapped table or a wrong smoother step shows up as a
// difference far above the rounding of the double-precision product.
#pragma once

#include <cmath>

#include "Kelvo/ReferenceCircuit.h"

struct ReferenceKelvo
{
  long double z = 0.0L;
  long double x[2][3] = {}, y[2][3] = {};

  static long double Power(long double v, int p)
  {
    long double r = 1.0L;
    for (int i = 0; i < p; ++i) r *= v;
    return r;
  }

  static long double Shape(long double v)
  {
    const long double* points = std::signbit(v) ? reference::kNegativePoints : reference::kPositivePoints;
    const long double u = std::fabs(v) * static_cast<long double>(142.143f);
    long double out;
    if (u >= 199.0L) {
      out = static_cast<float>(points[199]);
    } else {
      const int i = static_cast<int>(u);
      const long double f = u - i;
      out = static_cast<float>(points[i]) * (1.0L - f) + static_cast<float>(points[i + 1]) * f;
    }
    return std::copysign(std::fabs(out), v);
  }

  long double Filter(int ch, long double S, long double A, long double in)
  {
    long double b[4] = {}, a[4] = {};
    for (const reference::NumeratorRow& row : reference::kNumerator) {
      const long double term = Power(S, row.sPower) * Power(A, row.aPower);
      for (int j = 0; j < 4; ++j) b[j] += row.entry[j].sign * (row.entry[j].first - row.entry[j].second) * term;
    }
    for (const reference::DenominatorRow& row : reference::kDenominator) {
      const long double term = Power(S, row.sPower) * Power(A, row.aPower);
      for (int j = 0; j < 4; ++j) a[j] += row.entry[j] * term;
    }
    long double* xs = x[ch];
    long double* ys = y[ch];
    const long double out =
        (b[0] * in + b[1] * xs[0] + b[2] * xs[1] + b[3] * xs[2] - a[1] * ys[0] - a[2] * ys[1] - a[3] * ys[2]) / a[0];
    xs[2] = xs[1], xs[1] = xs[0], xs[0] = in;
    ys[2] = ys[1], ys[1] = ys[0], ys[0] = out;
    return out;
  }

  // One stereo frame at rate S with "GainL" at gainL and "OUT" at outDb decibels.
  void Frame(long double S, long double gainL, long double outDb, double in0, double in1, long double& out0,
             long double& out1)
  {
    const long double keep = std::exp(-2.0L * 3.14159265358979323846L / S);
    const long double level = std::pow(10.0L, outDb / 20.0L) * std::pow(10.0L, 25.0L / 20.0L);
    z = keep * z + (1.0L - keep) * (1.0L - gainL);
    out0 = Shape(Filter(0, S, z, in0)) * level;
    z = keep * z + (1.0L - keep) * (1.0L - gainL);
    out1 = Shape(Filter(1, S, z, in1)) * level;
  }
};
