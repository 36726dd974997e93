#include "KelvoOversampler.h"

namespace kelvo_detail {

const HalfbandDesign& SteepHalfband(int coeffs) {
  static const HalfbandDesign six(6, 0.01), eight(8, 0.01), ten(10, 0.01);
  return coeffs <= 6 ? six : coeffs <= 8 ? eight : ten;
}

const HalfbandDesign& GentleHalfband() {
  static const HalfbandDesign design(kGentleCoeffs, 0.125);
  return design;
}

const EllipticDesign& LastLowpass(int order) {
  static const EllipticDesign nine(9, 20000.0 / 88200.0, 0.25, 0.05),
      eleven(11, 20000.0 / 88200.0, 0.25, 0.05);
  return order <= 9 ? nine : eleven;
}

}  // namespace kelvo_detail
