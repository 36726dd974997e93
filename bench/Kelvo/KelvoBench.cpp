// Cost of the effect per stereo frame on 512-frame blocks of a guitar-like signal, against the
// floor of the same loop: the two channels' feedback recursions with their divisions and the
// control smoother, nothing else.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "Kelvo/KelvoCircuit.h"

namespace {

constexpr int kBlock = 512;
constexpr int kBlocks = 64;
constexpr double kRate = 44100.0;

// Plucked notes with a decaying envelope, a different note on each channel.
struct Signal {
  std::vector<double> left, right;
  Signal() : left(kBlock * kBlocks), right(kBlock * kBlocks) {
    for (int i = 0; i < kBlock * kBlocks; ++i) {
      const double t = (i % 11025) / kRate, env = 0.6 * std::exp(-6.0 * t);
      left[i] = env * (std::sin(2 * M_PI * 110.0 * t) + 0.3 * std::sin(2 * M_PI * 330.0 * t));
      right[i] = env * (std::sin(2 * M_PI * 164.8 * t) + 0.2 * std::sin(2 * M_PI * 659.3 * t));
    }
  }
};

void SetFrameCounter(benchmark::State& state) {
  state.counters["ns/frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock * kBlocks,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CircuitRender(benchmark::State& state) {
  const KelvoCircuit::Path path = static_cast<KelvoCircuit::Path>(state.range(0));
  if (!KelvoCircuit::Available(path)) {
    state.SkipWithError("path not available on this processor");
    return;
  }
  const Signal sig;
  std::vector<double> outL(kBlock), outR(kBlock);
  KelvoCircuit circuit(path);
  int block = 0;
  for (auto _ : state) {
    for (int k = 0; k < kBlocks; ++k, ++block) {
      const double* in[2] = {&sig.left[k * kBlock], &sig.right[k * kBlock]};
      double* out[2] = {outL.data(), outR.data()};
      // The control glides between two settings, as when a knob is moved now and then.
      circuit.Render(in, out, kBlock, kRate, (block / 40) % 2 ? 0.9 : 0.2, 0.177827941);
      benchmark::DoNotOptimize(outL.data());
    }
  }
  SetFrameCounter(state);
}
BENCHMARK(BM_CircuitRender)->Arg(KelvoCircuit::kPortable)->Arg(KelvoCircuit::kAvx);

// The floor: the recursions of both channels with fixed coefficients, and the smoother.
void BM_RecursionFloor(benchmark::State& state) {
  const Signal sig;
  std::vector<double> outL(kBlock), outR(kBlock);
  Tolk tolk;
  tolk.Calc(kRate, 0.5);
  const TolkCoeffs<double> c = tolk.Coeffs();
  double x[2][3] = {}, y[2][3] = {};
  double z = 0.0;
  const double a = std::exp((1.0 / kRate) * -6.283185307179586), step = (1.0 - a) * 0.5;
  for (auto _ : state) {
    for (int k = 0; k < kBlocks; ++k) {
      const double* in[2] = {&sig.left[k * kBlock], &sig.right[k * kBlock]};
      double* out[2] = {outL.data(), outR.data()};
      for (int s = 0; s < kBlock; ++s) {
        z = a * z + step;
        z = a * z + step;
        for (int ch = 0; ch < 2; ++ch) {
          const double v = (c.b[0] * in[ch][s] + c.b[1] * x[ch][0] + c.b[2] * x[ch][1] +
                            c.b[3] * x[ch][2] - c.a[1] * y[ch][0] - c.a[2] * y[ch][1] -
                            c.a[3] * y[ch][2]) /
                           c.a[0];
          x[ch][2] = x[ch][1], x[ch][1] = x[ch][0], x[ch][0] = in[ch][s];
          y[ch][2] = y[ch][1], y[ch][1] = y[ch][0], y[ch][0] = v;
          out[ch][s] = v;
        }
      }
      benchmark::DoNotOptimize(outL.data());
      benchmark::DoNotOptimize(z);
    }
  }
  SetFrameCounter(state);
}
BENCHMARK(BM_RecursionFloor);

}  // namespace
