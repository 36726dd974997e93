// Cost of the processing frame around a plug-in's own processing, and of state round trips.
#include <benchmark/benchmark.h>

#include <vector>

#include "IPlugBase.h"

namespace {

class BenchPlug : public IPlugBase
{
public:
  BenchPlug() : IPlugBase(4, "1-1 2-2", 1, "Bench", "", "Bench", 0x10000, 1, 2, 0, false, false, false, kAPIAU)
  {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->InitDouble("p", 0.5, 0.0, 1.0, 0.01);
  }
};

// One render's frame work for a stereo float host: connect, attach, process (pass-through), convert.
void BM_FloatFrame(benchmark::State& state)
{
  const int n = (int)state.range(0);
  BenchPlug plug;
  plug.SetBlockSize(n);
  std::vector<float> inL(n, 0.25f), inR(n, -0.25f), outL(n), outR(n);
  float* ins[2] = {inL.data(), inR.data()};
  float* outs[2] = {outL.data(), outR.data()};
  for (auto _ : state) {
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 2, true);
    plug.AttachInputBuffers(0, 2, ins, n);
    plug.AttachOutputBuffers(0, 2, outs);
    plug.ProcessBuffers(0.0f, n);
    benchmark::DoNotOptimize(outL.data());
  }
  state.SetItemsProcessed(state.iterations() * n * 2);
}
BENCHMARK(BM_FloatFrame)->Arg(64)->Arg(512)->Arg(4096);

void BM_StateRoundTrip(benchmark::State& state)
{
  BenchPlug plug;
  for (auto _ : state) {
    ByteChunk chunk;
    plug.SerializeState(&chunk);
    benchmark::DoNotOptimize(plug.UnserializeState(&chunk, 0));
  }
}
BENCHMARK(BM_StateRoundTrip);

}  // namespace
