// The effect's signal path evaluated the straightforward way, frame by frame, as an oracle for
// the arranged evaluation in the product: the smoother coefficient formed every frame, each
// channel's coefficients summed from scratch (PlainTolk), the shaper taking its branches.
#pragma once

#include <cmath>

#include "Coeffs/PlainTolk.h"

struct PlainKelvo
{
  double smooth[2] = {1.0, 0.0};  // (1 - a, a)
  double z = 0.0;
  PlainTolk tolk[2];

  // bypass: 0 processes, 1 copies, anything else leaves the outputs alone.
  void Render(const double* in0, const double* in1, double* out0, double* out1, int n, double S, double gainL,
              double gain, int bypass)
  {
    if (n <= 0) return;
    if (!(S > 0.0)) {  // no usable rate: silence, nothing moves
      for (int s = 0; s < n; ++s) out0[s] = out1[s] = 0.0;
      return;
    }
    for (int s = 0; s < n; ++s) {
      const double a = std::exp((1.0 / S) * -6.283185307179586);
      smooth[0] = 1.0 - a;
      smooth[1] = a;
      z = smooth[1] * z + smooth[0] * (1.0 - gainL);
      tolk[0].Calc(S, z);
      z = smooth[1] * z + smooth[0] * (1.0 - gainL);
      tolk[1].Calc(S, z);
      if (bypass == 0) {
        const double l = in0[s], r = in1[s];
        out0[s] = (tolk[0].Process(l) * gain) * 17.78279410038923;
        out1[s] = (tolk[1].Process(r) * gain) * 17.78279410038923;
      } else if (bypass == 1) {
        out0[s] = in0[s];
        out1[s] = in1[s];
      }
    }
    // A channel left holding a NaN or an infinity starts the next call from silence.
    if (bypass == 0) {
      for (PlainTolk& t : tolk) {
        bool finite = true;
        for (int k = 0; k < 3; ++k) finite = finite && std::isfinite(t.x[k]) && std::isfinite(t.y[k]);
        if (!finite) {
          for (int k = 0; k < 3; ++k) t.x[k] = t.y[k] = 0.0;
        }
      }
    }
  }
};
