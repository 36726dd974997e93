#include "Halfband.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The sums of the elliptic design's theta series; a term below 1e-100 ends a sum.
double NumeratorSum(double q, int order, int c)
{
  double sum = 0.0, term;
  int i = 0, sign = 1;
  do {
    term = std::pow(q, i * (i + 1)) * std::sin((2 * i + 1) * c * kPi / order) * sign;
    sum += term;
    sign = -sign;
    ++i;
  } while (std::fabs(term) > 1e-100);
  return sum;
}
double DenominatorSum(double q, int order, int c)
{
  double sum = 0.0, term;
  int i = 1, sign = -1;
  do {
    term = std::pow(q, i * i) * std::cos(2 * i * c * kPi / order) * sign;
    sum += term;
    sign = -sign;
    ++i;
  } while (std::fabs(term) > 1e-100);
  return sum;
}

// The response of the lowpass at e^(jw).
std::complex<double> Response(const HalfbandDesign& d, double w)
{
  const std::complex<double> z2 = std::polar(1.0, -2.0 * w);  // z^-2
  std::complex<double> a0 = 1.0, a1 = 1.0;
  for (int i = 0; i < d.Count(); ++i) {
    const double a = d.Coeff(i);
    (i % 2 == 0 ? a0 : a1) *= (a + z2) / (1.0 + a * z2);
  }
  return 0.5 * (a0 + std::polar(1.0, -w) * a1);
}

}  // namespace

HalfbandDesign::HalfbandDesign(int count, double transition) : mCount(std::clamp(count, 1, kMaxCoeffs)), mCoeffs{}
{
  transition = std::clamp(transition, 1e-6, 0.25 - 1e-6);
  // The selectivity k of the elliptic prototype and its nome q.
  double k = std::tan((1.0 - 4.0 * transition) * kPi / 4.0);
  k *= k;
  const double root = std::pow(1.0 - k * k, 0.25);
  const double e = 0.5 * (1.0 - root) / (1.0 + root);
  const double e4 = e * e * e * e;
  const double q = e * (1.0 + e4 * (2.0 + e4 * (15.0 + 150.0 * e4)));
  const int order = 2 * mCount + 1;
  for (int i = 0; i < mCount; ++i) {
    const double w = NumeratorSum(q, order, i + 1) * std::pow(q, 0.25) / (DenominatorSum(q, order, i + 1) + 0.5);
    const double w2 = w * w;
    const double x = std::sqrt((1.0 - w2 * k) * (1.0 - w2 / k)) / (1.0 + w2);
    mCoeffs[i] = (1.0 - x) / (1.0 + x);
  }
}

double HalfbandDesign::GainDb(double frequency) const
{
  return 20.0 * std::log10(std::abs(Response(*this, 2.0 * kPi * frequency)));
}

double HalfbandDesign::DelayAtDc() const
{
  const double w = 1e-4;
  return -std::arg(Response(*this, w)) / w;
}
