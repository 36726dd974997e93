// Cost of the circuit model per sample: Calc with a gliding control, then Process.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "Coeffs/Tolk.h"

namespace {

std::vector<double> Signal(int n)
{
  std::vector<double> x(n);
  for (int i = 0; i < n; ++i) x[i] = 0.4 * std::sin(i * 0.031) + 0.1 * std::sin(i * 0.57);
  return x;
}

void BM_TolkCalcProcess(benchmark::State& state)
{
  const std::vector<double> x = Signal(4096);
  Tolk tolk;
  double control = 0.02, sum = 0.0;
  for (auto _ : state) {
    for (double in : x) {
      control = control * 0.9999 + 0.0000095;
      tolk.Calc(44100.0, control);
      sum += tolk.Process(in);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * x.size());
  state.counters["ns/sample"] = benchmark::Counter(static_cast<double>(state.iterations() * x.size()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TolkCalcProcess);

void BM_TolkProcessOnly(benchmark::State& state)
{
  const std::vector<double> x = Signal(4096);
  Tolk tolk;
  tolk.Calc(44100.0, 0.5);
  double sum = 0.0;
  for (auto _ : state) {
    for (double in : x) sum += tolk.Process(in);
    benchmark::DoNotOptimize(sum);
  }
  state.counters["ns/sample"] = benchmark::Counter(static_cast<double>(state.iterations() * x.size()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TolkProcessOnly);

}  // namespace
