#include "KelvoOversampler.h"

namespace kelvo_detail {

const HalfbandDesign& SteepHalfband()
{
  static const HalfbandDesign design(kSteepCoeffs, 0.01);
  return design;
}

const HalfbandDesign& GentleHalfband()
{
  static const HalfbandDesign design(kGentleCoeffs, 0.125);
  return design;
}

const EllipticDesign& LastLowpass()
{
  static const EllipticDesign design(kLastOrder, 20000.0 / 88200.0, 0.25, 0.05);
  return design;
}

}  // namespace kelvo_detail
