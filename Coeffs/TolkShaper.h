// The fuzz curve: an asymmetric table shaper whose output follows the sign of its input.
#pragma once

#include <emmintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "Coeffs/TolkLanes.h"
#include "Coeffs/TolkTables.h"

namespace tolk_detail {
// Both tables widened to double, positive first, each with its last point repeated once so that
// an index clamped to the last point interpolates to that point exactly.
struct ShaperLookup
{
  double points[2][201];
};
constexpr ShaperLookup MakeShaperLookup()
{
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
static_assert(shaper_pos_table.scale == shaper_neg_table.scale && shaper_pos_table.count == 200 &&
              shaper_neg_table.count == 200);

// The table of each of two lanes, indexed by the lanes' two sign bits.
struct LanePair
{
  const double* table[2];
};
inline constexpr LanePair kLaneTables[4] = {
    {{kShaperLookup.points[0], kShaperLookup.points[0]}},
    {{kShaperLookup.points[1], kShaperLookup.points[0]}},
    {{kShaperLookup.points[0], kShaperLookup.points[1]}},
    {{kShaperLookup.points[1], kShaperLookup.points[1]}},
};
}  // namespace tolk_detail

// Shapes a filter output y: the table picked by y's sign bit, linearly interpolated at
// |y| * 142.143 points per unit, its last point from there on (infinity too), 0 for NaN; the
// result always carries y's sign bit.
TOLK_INLINE double TolkShape(double y)
{
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

// The same for two lanes at once, with the same bits in each lane. The points of a table carry
// its sign (a zero excepted), so putting y's sign bit onto the interpolated value is enough.
TOLK_INLINE TolkLanes TolkShape(TolkLanes y)
{
  using namespace tolk_detail;
  const __m128d in = (__m128d)y;
  const __m128d signBit = _mm_set1_pd(-0.0);
  const __m128d sign = _mm_and_pd(in, signBit);
  __m128d u = _mm_mul_pd(_mm_andnot_pd(signBit, in), _mm_set1_pd(kShaperScale));
  u = _mm_min_pd(u, _mm_set1_pd(kShaperLast));  // gives the last point for NaN too
  const __m128i i = _mm_cvttpd_epi32(u);
  const __m128d f = _mm_sub_pd(u, _mm_cvtepi32_pd(i));
  const std::uint64_t both = static_cast<std::uint64_t>(_mm_cvtsi128_si64(i));
  const LanePair& tables = kLaneTables[_mm_movemask_pd(in)];
  const __m128d p0 = _mm_loadu_pd(tables.table[0] + static_cast<std::uint32_t>(both));
  const __m128d p1 = _mm_loadu_pd(tables.table[1] + (both >> 32));
  const __m128d lo = _mm_unpacklo_pd(p0, p1), hi = _mm_unpackhi_pd(p0, p1);
  const __m128d v = _mm_add_pd(_mm_mul_pd(lo, _mm_sub_pd(_mm_set1_pd(1.0), f)), _mm_mul_pd(hi, f));
  const __m128d notNaN = _mm_cmpeq_pd(in, in);
  return (TolkLanes)_mm_or_pd(_mm_and_pd(v, notNaN), sign);
}
