#include "KelvoAliasing.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

namespace {

constexpr int kFrames = 65536;
constexpr double kSettleSeconds = 1.5;
constexpr double kKaiserBeta = 20.0;
constexpr int kLobeBins = 12;  // the window's main lobe, with room to spare
constexpr double kPi = 3.14159265358979323846;

double ThreadSeconds()
{
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

// The modified Bessel function I0, by its series.
double BesselI0(double x)
{
  double sum = 1.0, term = 1.0;
  for (int k = 1; term > 1e-17 * sum; ++k) {
    term *= (x / (2.0 * k)) * (x / (2.0 * k));
    sum += term;
  }
  return sum;
}

// In-place radix-2 FFT of a power-of-two length.
void Fft(std::vector<std::complex<double>>& a)
{
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2.0 * kPi / len);
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1.0;
      for (size_t k = 0; k < len / 2; ++k, w *= step) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

}  // namespace

KelvoAliasing KelvoMeasureAliasing(KelvoCircuit::Quality quality, double sampleRate, double frequency, double levelDb,
                                   double gainL)
{
  KelvoAliasing result{std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0};
  if (!(sampleRate > 0.0) || !(frequency > 0.0) || !(frequency < sampleRate / 4.0) || !std::isfinite(levelDb))
    return result;
  KelvoCircuit circuit;
  circuit.SetQuality(quality);
  const int settle = static_cast<int>(kSettleSeconds * sampleRate);
  const int total = settle + kFrames;
  std::vector<double> in(total), out0(total), out1(total);
  const double amplitude = std::pow(10.0, levelDb / 20.0), w = 2.0 * kPi * frequency / sampleRate;
  for (int s = 0; s < total; ++s) in[s] = amplitude * std::sin(w * s);
  const double gain = std::pow(10.0, -15.0 / 20.0);
  const double start = ThreadSeconds();
  for (int s = 0; s < total; s += 512) {
    const int n = std::min(512, total - s);
    const double* ins[2] = {&in[s], &in[s]};
    double* outs[2] = {&out0[s], &out1[s]};
    circuit.Render(ins, outs, n, sampleRate, gainL, gain);
  }
  result.nsPerFrame = (ThreadSeconds() - start) * 1e9 / total;

  std::vector<std::complex<double>> spectrum(kFrames);
  const double norm = BesselI0(kKaiserBeta);
  for (int i = 0; i < kFrames; ++i) {
    const double r = 2.0 * i / (kFrames - 1) - 1.0;
    spectrum[i] = out0[settle + i] * BesselI0(kKaiserBeta * std::sqrt(1.0 - r * r)) / norm;
  }
  Fft(spectrum);
  const int bins = kFrames / 2;
  const double binHz = sampleRate / kFrames;
  std::vector<bool> harmonic(bins + 1, false);
  for (int m = 0; m * frequency <= sampleRate / 2.0 + kLobeBins * binHz; ++m) {
    const int centre = static_cast<int>(std::lround(m * frequency / binHz));
    for (int b = std::max(0, centre - kLobeBins); b <= std::min(bins, centre + kLobeBins); ++b) harmonic[b] = true;
  }
  const int f0 = static_cast<int>(std::lround(frequency / binHz));
  double fundamental = 0.0, worst = 0.0;
  int worstBin = 0;
  for (int b = std::max(0, f0 - kLobeBins); b <= f0 + kLobeBins; ++b)
    fundamental = std::max(fundamental, std::norm(spectrum[b]));
  for (int b = 0; b <= bins; ++b) {
    if (!harmonic[b] && std::norm(spectrum[b]) > worst) {
      worst = std::norm(spectrum[b]);
      worstBin = b;
    }
  }
  result.worstDb = 10.0 * std::log10(std::max(worst, 1e-300) / fundamental);
  result.worstHz = worstBin * binHz;
  return result;
}
