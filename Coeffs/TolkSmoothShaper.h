// The fuzz curve without most of its aliasing: instead of the curve at each sample, its mean
// over the span the signal crossed since the previous sample (first order), or its mean under
// the triangle spanned by the last three samples (second order), both through the curve's exact
// antiderivatives. The curve is piecewise linear, so its first and second antiderivatives are
// piecewise quadratic and cubic and cost one table lookup each.
//
// Everything here works on the scaled input U = y * 142.143, one table point per unit, where
// every knot of the curve sits at an integer.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "Coeffs/TolkLanes.h"
#include "Coeffs/TolkShaper.h"

namespace tolk_detail {
// The curve on one point interval of one table, as a polynomial in the fraction f past its
// start: value t + dt*f, first antiderivative c1 + t*f + dt/2*f^2, second antiderivative
// c2 + c1*f + t/2*f^2 + dt/6*f^3 (both antiderivatives of the magnitude, from 0). The last
// interval, from point 199 on, is flat and runs to infinity.
struct ShaperPiece
{
  double c2, c1, t, dt;
};
struct ShaperPieces
{
  ShaperPiece piece[2][200];
};
constexpr ShaperPieces MakeShaperPieces()
{
  ShaperPieces p{};
  for (int k = 0; k < 2; ++k) {
    const double* points = kShaperLookup.points[k];  // the last point repeated: the flat piece
    double c1 = 0.0, c2 = 0.0;
    for (int i = 0; i < 200; ++i) {
      const double t = points[i], dt = points[i + 1] - t;
      p.piece[k][i] = ShaperPiece{c2, c1, t, dt};
      c2 += c1 + t / 2 + dt / 6;
      c1 += t + dt / 2;
    }
  }
  return p;
}
inline constexpr ShaperPieces kShaperPieces = MakeShaperPieces();

// The piece under U and the fraction past its start (unbounded on the last piece; NaN gives the
// last piece and a NaN fraction). sign is -1 or +1 after U's sign bit.
TOLK_INLINE const ShaperPiece& PieceOf(double U, double& f, double& sign)
{
  std::uint64_t bits;
  std::memcpy(&bits, &U, sizeof bits);
  const double m = std::fabs(U);
  const double clamped = m < 199.0 ? m : 199.0;
  const int i = static_cast<int>(clamped);
  f = m - i;
  sign = bits >> 63 ? -1.0 : 1.0;
  return kShaperPieces.piece[bits >> 63][i];
}
}  // namespace tolk_detail

// The curve itself at U (the table's value, interpolated; NaN for NaN).
TOLK_INLINE double TolkCurve(double U)
{
  double f, sign;
  const tolk_detail::ShaperPiece& p = tolk_detail::PieceOf(U, f, sign);
  return p.t + p.dt * (f > 1.0 ? 1.0 : f);  // the last piece is flat to infinity
}
// Its antiderivative from 0 to U.
TOLK_INLINE double TolkCurveIntegral(double U)
{
  double f, sign;
  const tolk_detail::ShaperPiece& p = tolk_detail::PieceOf(U, f, sign);
  return sign * (p.c1 + f * (p.t + f * (0.5 * p.dt)));
}
// Its second antiderivative from 0 to U.
TOLK_INLINE double TolkCurveIntegral2(double U)
{
  double f, sign;
  const tolk_detail::ShaperPiece& p = tolk_detail::PieceOf(U, f, sign);
  return p.c2 + f * (p.c1 + f * (0.5 * p.t + f * (p.dt * (1.0 / 6.0))));
}

namespace tolk_detail {
TOLK_INLINE TolkLanes Abs(TolkLanes v) { return v < 0.0 ? -v : v; }
// Lanes where a and b lie apart (d = a - b): far enough for a difference quotient of the
// antiderivatives to keep its digits.
TOLK_INLINE auto Apart(TolkLanes d, TolkLanes a, TolkLanes b, double close)
{
  const TolkLanes ma = Abs(a), mb = Abs(b);
  return Abs(d) > (ma > mb ? ma : mb) * close;
}
}  // namespace tolk_detail

// The anti-aliased shaper of one order (1 or 2) for two channels, over blocks of up to Capacity
// scaled inputs. Each output is the curve's mean over the span from the previous input (first
// order: half a sample late) or under the triangle of the last three inputs (second order: one
// sample late). Where the inputs share one piece of the curve the means come from that piece's
// polynomials directly, without differences of antiderivatives and without their rounding: the
// curve is linear there, so the mean is its value at the span's centre (first order) or at the
// mean of the three inputs (second order), and a silence costs what a sound does. Inputs in
// different pieces go through the antiderivatives; where they lie too close together for those
// differences to keep their digits, the curve at the centre stands in. A result that is not a
// finite number, which only a NaN or an infinity among the inputs brings, is 0.
template <int Order, int Capacity>
class TolkSmoothShaper
{
public:
  static_assert(Order == 1 || Order == 2, "first or second order");
  // Inputs in different pieces closer than this share of their magnitude count as too close.
  static constexpr double kClose = 3e-5;
  // The delay the shaper adds, in samples of its rate.
  static constexpr double Delay() { return 0.5 * Order; }

  TolkSmoothShaper() { Clear(); }
  // History as after a long silence.
  void Clear()
  {
    Clear(0);
    Clear(1);
  }
  void Clear(int c)
  {
    for (int k = 0; k < 2; ++k) {
      mX[k][c] = mF[k][c] = mFrac[k][c] = 0.0;
      mKey[k][c] = kZeroKey;
    }
    mD[0][c] = 0.0;
  }
  // Whether channel c's history holds only finite numbers.
  bool Finite(int c) const
  {
    double sum = mD[0][c] - mD[0][c];
    for (int k = 0; k < 2; ++k) sum += (mX[k][c] - mX[k][c]) + (mF[k][c] - mF[k][c]);
    return sum == 0.0;
  }

  // Shapes n (up to Capacity) inputs of both channels in place.
  TOLK_INLINE void Run(TolkLanes* v, int n)
  {
    using namespace tolk_detail;
    TolkLanes* x = mX + 2;  // x[-2], x[-1]: the history, likewise below
    TolkLanes* F = mF + 2;
    TolkLanes* key = mKey + 2;
    TolkLanes* frac = mFrac + 2;
    TolkLanes* D = mD + 1;
    for (int s = 0; s < n; ++s) {
      x[s] = v[s];
      for (int c = 0; c < 2; ++c) {
        double f, sign;
        const ShaperPiece& p = PieceOf(x[s][c], f, sign);
        key[s][c] = static_cast<double>(&p - &kShaperPieces.piece[0][0]);
        frac[s][c] = f;
        mSign[s][c] = sign;
        mT[s][c] = p.t;
        mDt[s][c] = p.dt;
        mC1[s][c] = p.c1;
        F[s][c] = Order == 1 ? sign * (p.c1 + f * (p.t + f * (0.5 * p.dt)))
                             : p.c2 + f * (p.c1 + f * (0.5 * p.t + f * (p.dt * (1.0 / 6.0))));
      }
    }
    TolkLanes* first = Order == 1 ? v : D;
    for (int s = 0; s < n; ++s) {
      const TolkLanes f0 = frac[s], f1 = frac[s - 1];
      TolkLanes within;
      if constexpr (Order == 1) {
        within = mT[s] + mDt[s] * (0.5 * (f0 + f1));
      } else {
        within = mSign[s] * (mC1[s] + 0.5 * mT[s] * (f0 + f1) + mDt[s] * (1.0 / 6.0) * (f0 * f0 + f0 * f1 + f1 * f1));
      }
      const TolkLanes d = x[s] - x[s - 1];
      const TolkLanes across = (F[s] - F[s - 1]) / d;
      const auto same = key[s] == key[s - 1];
      first[s] = same ? within : across;
      const auto apart = Apart(d, x[s], x[s - 1], kClose);
      if (!((same[0] | apart[0]) & (same[1] | apart[1]))) {
        for (int c = 0; c < 2; ++c) {
          if (same[c] | apart[c]) continue;
          const double mid = 0.5 * (x[s][c] + x[s - 1][c]);
          first[s][c] = Order == 1 ? TolkCurve(mid) : TolkCurveIntegral(mid);
        }
      }
    }
    if constexpr (Order == 2) {
      for (int s = 0; s < n; ++s) {
        const TolkLanes within = mT[s] + mDt[s] * ((frac[s] + frac[s - 1] + frac[s - 2]) * (1.0 / 3.0));
        const TolkLanes d = x[s] - x[s - 2];
        const TolkLanes across = 2.0 * (D[s] - D[s - 1]) / d;
        const auto same = (key[s] == key[s - 1]) & (key[s - 1] == key[s - 2]);
        v[s] = same ? within : across;
        const auto apart = Apart(d, x[s], x[s - 2], kClose);
        if (!((same[0] | apart[0]) & (same[1] | apart[1]))) {
          for (int c = 0; c < 2; ++c)
            if (!(same[c] | apart[c])) v[s][c] = Folded(x[s][c], x[s - 1][c], x[s - 2][c]);
        }
      }
    }
    for (int s = 0; s < n; ++s) v[s] = Abs(v[s]) <= 1.0 ? v[s] : TolkLanes{0.0, 0.0};
    for (int k = -2; k < 0; ++k) {
      x[k] = x[n + k];
      F[k] = F[n + k];
      key[k] = key[n + k];
      frac[k] = frac[n + k];
    }
    D[-1] = D[n - 1];
  }

private:
  // The key of the piece that holds +0.
  static constexpr double kZeroKey = 0.0;

  // The mean under the triangle when its outer inputs coincide: the curve at the centre when
  // all three do, else through the antiderivatives between the middle input and the others'
  // centre, which lie apart.
  static double Folded(double x0, double x1, double x2)
  {
    const double mid = 0.5 * (x0 + x2);
    const double d = mid - x1;
    if (!(std::fabs(d) > kClose * std::fmax(std::fabs(mid), std::fabs(x1))))
      return TolkCurve((x0 + x1 + x2) * (1.0 / 3.0));
    return 2.0 / d * (TolkCurveIntegral(mid) + (TolkCurveIntegral2(x1) - TolkCurveIntegral2(mid)) / d);
  }

  // Per input: the value and its antiderivative (second order: second antiderivative), its
  // piece (an index into the pieces of both tables) and the fraction past the piece's start,
  // with two inputs of history before; second order: the means of the first antiderivative
  // between neighbours, with one of history. For the block only: the piece's sign and
  // polynomial.
  TolkLanes mX[2 + Capacity];
  TolkLanes mF[2 + Capacity];
  TolkLanes mKey[2 + Capacity];
  TolkLanes mFrac[2 + Capacity];
  TolkLanes mD[1 + Capacity];
  TolkLanes mSign[Capacity], mT[Capacity], mDt[Capacity], mC1[Capacity];
};
