// The circuit filter's coefficients as polynomials in the control, with everything that depends
// only on the sample rate worked out once.
#pragma once

#include "Coeffs/TolkLanes.h"
#include "Coeffs/TolkTables.h"

// The eight filter coefficients; V is double for one channel or a lane type for several.
template <class V>
struct TolkCoeffs
{
  V b[4];
  V a[4];
};

// The per-rate products of the coefficient polynomials, held as C (double, or a lane type with
// every lane the same). Eval gives, for any control value, exactly the bits that summing each
// coefficient's terms in their listed order would give: the leading sums that depend on the
// rate alone are formed here, the rest keep their order in Eval.
template <class C>
class TolkRateT
{
public:
  // A rate of 0: every numerator coefficient is 0 and the denominator is its constant row.
  TolkRateT() : TolkRateT(0.0) {}
  // Forms S^2 = S*S, S^3 = S^2*S and every product of a table constant with them.
  explicit TolkRateT(double sampleRate);
  // The same products spread over every lane.
  template <class D>
  explicit TolkRateT(const TolkRateT<D>& scalar);

  // The sample rate these products were formed for.
  double SampleRate() const { return mRate; }

  // Writes b0..b3 and a0..a3 for the control A (one value per lane).
  template <class V>
  TOLK_INLINE void Eval(const V& A, TolkCoeffs<V>& c) const;

private:
  template <class D>
  friend class TolkRateT;
  double mRate;
  C mNumK[4];      // the S^2 and S^3 terms of b0..b3, summed
  C mNumA[2][2];   // S^3*A constants of b0 and b1, each pair {p*S^3, q*S^3}
  C mNumA2[2][2];  // S^3*A^2 constants of b0 and b1
  C mDenK[4];      // the constant and S terms of a0..a3, summed
  C mDenS2[4];     // the S^2 terms
  C mDenS3[4];     // the S^3 terms
  C mDen[8];       // S, S, S^2, S^2 products of a0 for its A, A^2, A, A^2 rows; then S^3*A of
                   // a0 and a1, S^3*A^2 of a0 and a1
};

typedef TolkRateT<double> TolkRate;

// The shared products rely on these symmetries of the tables: b3's control terms are b0's
// negated, b2's are b1's negated; in the denominator the S and S^2 control rows have one
// magnitude across a0..a3, and the S^3 control rows pair a3 with a0 and a2 with a1.
namespace tolk_detail {
constexpr bool Negated(const double (&p)[2], const double (&q)[2]) { return p[0] == -q[0] && p[1] == -q[1]; }
constexpr bool RowSigns(int row, double s1, double s2, double s3)
{
  return kTolkDen[row][1] == s1 * kTolkDen[row][0] && kTolkDen[row][2] == s2 * kTolkDen[row][0] &&
         kTolkDen[row][3] == s3 * kTolkDen[row][0];
}
}  // namespace tolk_detail
static_assert(tolk_detail::Negated(kTolkNum[2][0], kTolkNum[2][3]) &&
              tolk_detail::Negated(kTolkNum[3][0], kTolkNum[3][3]) &&
              tolk_detail::Negated(kTolkNum[2][1], kTolkNum[2][2]) &&
              tolk_detail::Negated(kTolkNum[3][1], kTolkNum[3][2]));
static_assert(tolk_detail::RowSigns(2, 1, -1, -1) && tolk_detail::RowSigns(3, 1, -1, -1) &&
              tolk_detail::RowSigns(5, -1, -1, 1) && tolk_detail::RowSigns(6, -1, -1, 1));
static_assert(kTolkDen[8][3] == -kTolkDen[8][0] && kTolkDen[8][2] == -kTolkDen[8][1] &&
              kTolkDen[9][3] == -kTolkDen[9][0] && kTolkDen[9][2] == -kTolkDen[9][1]);

template <>
TolkRateT<double>::TolkRateT(double sampleRate);

namespace tolk_detail {
template <class C, class D, int N>
void SplatAll(C (&to)[N], const D (&from)[N])
{
  for (int k = 0; k < N; ++k) TolkSplat(to[k], from[k]);
}
}  // namespace tolk_detail

template <class C>
template <class D>
TolkRateT<C>::TolkRateT(const TolkRateT<D>& scalar) : mRate(scalar.mRate)
{
  using tolk_detail::SplatAll;
  SplatAll(mNumK, scalar.mNumK);
  SplatAll(mNumA[0], scalar.mNumA[0]);
  SplatAll(mNumA[1], scalar.mNumA[1]);
  SplatAll(mNumA2[0], scalar.mNumA2[0]);
  SplatAll(mNumA2[1], scalar.mNumA2[1]);
  SplatAll(mDenK, scalar.mDenK);
  SplatAll(mDenS2, scalar.mDenS2);
  SplatAll(mDenS3, scalar.mDenS3);
  SplatAll(mDen, scalar.mDen);
}

template <class C>
template <class V>
TOLK_INLINE void TolkRateT<C>::Eval(const V& A, TolkCoeffs<V>& c) const
{
  const V A2 = A * A;
  // Each control term of the numerator is p*S^3*A - q*S^3*A, shared with opposite sign.
  const V u = mNumA[0][0] * A - mNumA[0][1] * A;
  const V v = mNumA2[0][0] * A2 - mNumA2[0][1] * A2;
  const V w = mNumA[1][0] * A - mNumA[1][1] * A;
  const V x = mNumA2[1][0] * A2 - mNumA2[1][1] * A2;
  c.b[0] = (mNumK[0] + u) + v;
  c.b[1] = (mNumK[1] + w) + x;
  c.b[2] = (mNumK[2] - w) - x;
  c.b[3] = (mNumK[3] - u) - v;

  // Denominator products of a0's signs; adding a negated product is subtracting it.
  const V p2 = mDen[0] * A, p3 = mDen[1] * A2;
  const V p5 = mDen[2] * A, p6 = mDen[3] * A2;
  const V p8 = mDen[4] * A, q8 = mDen[5] * A;
  const V p9 = mDen[6] * A2, q9 = mDen[7] * A2;
  c.a[0] = (((((((mDenK[0] + p2) + p3) + mDenS2[0]) + p5) + p6) + mDenS3[0]) + p8) + p9;
  c.a[1] = (((((((mDenK[1] + p2) + p3) + mDenS2[1]) - p5) - p6) + mDenS3[1]) + q8) + q9;
  c.a[2] = (((((((mDenK[2] - p2) - p3) + mDenS2[2]) - p5) - p6) + mDenS3[2]) - q8) - q9;
  c.a[3] = (((((((mDenK[3] - p2) - p3) + mDenS2[3]) + p5) + p6) + mDenS3[3]) - p8) - p9;
}
