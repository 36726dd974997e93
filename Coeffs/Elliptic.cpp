#include "Elliptic.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

using Complex = std::complex<double>;
constexpr double kPi = 3.14159265358979323846;
constexpr int kLanden = 8;  // descending Landen steps: the modulus is below 1e-100 long before

// The descending Landen moduli of k.
void Landen(double k, double (&v)[kLanden])
{
  for (int n = 0; n < kLanden; ++n) {
    const double kp = std::sqrt(1.0 - k * k);
    k = (k / (1.0 + kp)) * (k / (1.0 + kp));
    v[n] = k;
  }
}

// The descending Landen recursion from its value w at modulus 0 to its value at modulus k.
Complex Descend(Complex w, double k)
{
  double v[kLanden];
  Landen(k, v);
  for (int n = kLanden - 1; n >= 0; --n) w = (1.0 + v[n]) * w / (1.0 + v[n] * w * w);
  return w;
}
// sn(u K, k) and cd(u K, k), u in units of the quarter period K.
Complex Sne(Complex u, double k) { return Descend(std::sin(u * (kPi / 2)), k); }
Complex Cde(Complex u, double k) { return Descend(std::cos(u * (kPi / 2)), k); }
// The inverse of Sne: u with sn(u K, k) = w.
Complex Asne(Complex w, double k)
{
  double v[kLanden];
  Landen(k, v);
  double previous = k;
  for (int n = 0; n < kLanden; ++n) {
    w = w / (1.0 + std::sqrt(1.0 - w * w * (previous * previous))) * (2.0 / (1.0 + v[n]));
    previous = v[n];
  }
  return std::asin(w) * (2.0 / kPi);
}

// The response of a cascade at e^(jw).
Complex Response(const EllipticDesign& d, double w)
{
  const Complex z1 = std::polar(1.0, -w), z2 = z1 * z1;
  Complex h = 1.0;
  for (int i = 0; i < d.Sections(); ++i) {
    const EllipticDesign::Section& s = d.GetSection(i);
    h *= (s.b0 + s.b1 * z1 + s.b2 * z2) / (1.0 + s.a1 * z1 + s.a2 * z2);
  }
  return h;
}

}  // namespace

EllipticDesign::EllipticDesign(int order, double passEdge, double stopEdge, double rippleDb)
    : mSections(0), mSection{}, mStopbandDb(0.0)
{
  const int N = std::clamp(order, 1, kMaxOrder);
  const double Wp = std::tan(kPi * passEdge), Ws = std::tan(kPi * stopEdge);
  const double k = Wp / Ws;
  const double ep = std::sqrt(std::pow(10.0, rippleDb / 10.0) - 1.0);
  // The degree equation gives the stopband's modulus k1 = ep / es for this order.
  const int L = N / 2;
  double k1 = std::pow(k, N);
  for (int i = 1; i <= L; ++i) k1 *= std::pow(std::abs(Sne((2.0 * i - 1.0) / N, k)), 4);
  mStopbandDb = 10.0 * std::log10(1.0 + (ep / k1) * (ep / k1));
  const double v0 = (Complex(0, -1) * Asne(Complex(0, 1) / ep, k1) / double(N)).real();

  // Analog zeros and poles for a passband edge at Wp, then each pair through the bilinear
  // transform s = (1 - z^-1) / (1 + z^-1), scaled to unit gain at DC.
  auto add = [this](double b0, double b1, double b2, double a0, double a1, double a2) {
    const double dc = (b0 + b1 + b2) / (a0 + a1 + a2);
    mSection[mSections++] = Section{b0 / (a0 * dc), b1 / (a0 * dc), b2 / (a0 * dc), a1 / a0, a2 / a0};
  };
  for (int i = 1; i <= L; ++i) {
    const double u = (2.0 * i - 1.0) / N;
    const double zero = Wp / (k * Cde(u, k).real());
    const Complex pole = Wp * Complex(0, 1) * Cde(Complex(u, -v0), k);
    const double z2 = zero * zero, p2 = std::norm(pole), sigma = pole.real();
    add(1.0 + z2, -2.0 * (1.0 - z2), 1.0 + z2, 1.0 - 2.0 * sigma + p2, 2.0 * (p2 - 1.0), 1.0 + 2.0 * sigma + p2);
  }
  if (N % 2 == 1) {
    const double p0 = (Wp * Complex(0, 1) * Sne(Complex(0, v0), k)).real();
    add(1.0, 1.0, 0.0, 1.0 - p0, -(1.0 + p0), 0.0);
  } else {
    // An even order has a ripple trough at DC: the passband's peaks are the ones at 0 dB.
    const double dc = 1.0 / std::sqrt(1.0 + ep * ep);
    mSection[0].b0 *= dc;
    mSection[0].b1 *= dc;
    mSection[0].b2 *= dc;
  }
}

double EllipticDesign::GainDb(double frequency) const
{
  return 20.0 * std::log10(std::abs(Response(*this, 2.0 * kPi * frequency)));
}

double EllipticDesign::DelayAtDc() const
{
  const double w = 1e-4;
  return -std::arg(Response(*this, w)) / w;
}
