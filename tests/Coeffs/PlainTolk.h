// The circuit model evaluated the straightforward way, as an oracle for the arranged evaluation
// in the product: every coefficient is summed from scratch, term by term in the listed order,
// and the shaper takes its branches one by one.
#pragma once

#include <cmath>

#include "Coeffs/TolkTables.h"

struct PlainTolk
{
  double x[3] = {0, 0, 0};
  double y[3] = {0, 0, 0};
  double b[4] = {0, 0, 0, 0};
  double a[4] = {0, 0, 0, 0};

  void Calc(double S, double A)
  {
    const double S2 = S * S, S3 = S * S * S, A2 = A * A;
    const double numPow[kTolkNumTerms] = {S2, S3, S3, S3};
    const double numCtl[kTolkNumTerms] = {1.0, 1.0, A, A2};
    const double denPow[kTolkDenTerms] = {1.0, S, S, S, S2, S2, S2, S3, S3, S3};
    const double denCtl[kTolkDenTerms] = {1.0, 1.0, A, A2, 1.0, A, A2, 1.0, A, A2};
    for (int j = 0; j < 4; ++j) {
      for (int t = 0; t < kTolkNumTerms; ++t) {
        const double term = kTolkNum[t][j][0] * numPow[t] * numCtl[t] - kTolkNum[t][j][1] * numPow[t] * numCtl[t];
        b[j] = t == 0 ? term : b[j] + term;
      }
      for (int r = 0; r < kTolkDenTerms; ++r) {
        const double term = kTolkDen[r][j] * denPow[r] * denCtl[r];
        a[j] = r == 0 ? term : a[j] + term;
      }
    }
  }

  static double Shape(double v)
  {
    const TolkShaperTable& T = std::signbit(v) ? shaper_neg_table : shaper_pos_table;
    double out;
    if (std::isnan(v)) {
      out = 0.0;
    } else {
      const double u = std::fabs(v) * static_cast<double>(T.scale);
      if (u >= 199.0) {
        out = T.points[199];
      } else {
        const int i = static_cast<int>(u);
        const double f = u - i;
        out = static_cast<double>(T.points[i]) * (1.0 - f) + static_cast<double>(T.points[i + 1]) * f;
      }
    }
    return std::copysign(std::fabs(out), v);
  }

  double Filter(double in)
  {
    const double out =
        (b[0] * in + b[1] * x[0] + b[2] * x[1] + b[3] * x[2] - a[1] * y[0] - a[2] * y[1] - a[3] * y[2]) / a[0];
    x[2] = x[1], x[1] = x[0], x[0] = in;
    y[2] = y[1], y[1] = y[0], y[0] = out;
    return out;
  }

  double Process(double in) { return Shape(Filter(in)); }
};
