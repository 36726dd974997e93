// The fuzz curve: an asymmetric table shaper whose output follows the sign of its input.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "Coeffs/TolkTables.h"

namespace tolk_detail {
// Both tables widened to double, positive first, each with its last point repeated once so that
// an index clamped to the last point interpolates to that point exactly.
struct ShaperLookup {
  double points[2][201];
};
constexpr ShaperLookup MakeShaperLookup() {
  ShaperLookup t{};
  const TolkShaperTable* tables[2] = {&shaper_pos_table, &shaper_neg_table};
  for (int k = 0; k < 2; ++k) {
    for (int i = 0; i < 200; ++i) t.points[k][i] = tables[k]->points[i];
    t.points[k][200] = tables[k]->points[199];
  }
  return t;
}
inline constexpr ShaperLookup kShaperLookup = MakeShaperLookup();
inline constexpr double kShaperScale = shaper_pos_table.scale;
inline constexpr double kShaperLast = shaper_pos_table.count - 1;
static_assert(shaper_pos_table.scale == shaper_neg_table.scale &&
              shaper_pos_table.count == 200 && shaper_neg_table.count == 200);
}  // namespace tolk_detail

// Shapes a filter output y: the table picked by y's sign bit, linearly interpolated at
// |y| * 142.143 points per unit, its last point from there on (infinity too), 0 for NaN; the
// result always carries y's sign bit.
inline double TolkShape(double y) {
  using namespace tolk_detail;
  std::uint64_t bits;
  std::memcpy(&bits, &y, sizeof bits);
  const double* T = kShaperLookup.points[bits >> 63];
  double u = std::fabs(y) * kShaperScale;
  u = u < kShaperLast ? u : kShaperLast;  // NaN lands here as well and is zeroed below
  const int i = static_cast<int>(u);
  const double f = u - i;
  double v = T[i] * (1.0 - f) + T[i + 1] * f;
  v = y == y ? v : 0.0;
  return std::copysign(std::fabs(v), y);
}
