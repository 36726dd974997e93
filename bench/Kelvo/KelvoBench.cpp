// Cost of the effect per stereo frame on 512-frame blocks of a guitar-like signal, against the
// floor of the same loop: the two channels' feedback recursions with their divisions and the
// control smoother, nothing else. BM_KelvoOverFloor times both in one run and reports the ratio.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Kelvo/Kelvo.h"

namespace {

constexpr int kBlock = 512;
constexpr int kBlocks = 64;
constexpr double kRate = 44100.0;

// Plucked notes with a decaying envelope, a different note on each channel.
struct Signal
{
  std::vector<double> left, right, outL, outR;
  Signal() : left(kBlock * kBlocks), right(kBlock * kBlocks), outL(kBlock), outR(kBlock)
  {
    for (int i = 0; i < kBlock * kBlocks; ++i) {
      const double t = (i % 11025) / kRate, env = 0.6 * std::exp(-6.0 * t);
      left[i] = env * (std::sin(2 * M_PI * 110.0 * t) + 0.3 * std::sin(2 * M_PI * 330.0 * t));
      right[i] = env * (std::sin(2 * M_PI * 164.8 * t) + 0.2 * std::sin(2 * M_PI * 659.3 * t));
    }
  }
};

std::unique_ptr<Kelvo> MakeKelvo()
{
  IPlugInstanceInfo info;
  info.mBundleID.Set("com.Quillmarsh.audiounit.Kelvo");
  std::unique_ptr<Kelvo> plug(new Kelvo(info));
  plug->SetSampleRate(kRate);
  plug->OnParamReset();
  return plug;
}

// All blocks of the signal through the effect; the control glides between two settings, as when
// a knob is moved now and then.
void RunKelvo(Kelvo& plug, Signal& sig, int& block)
{
  for (int k = 0; k < kBlocks; ++k, ++block) {
    if (block % 40 == 0) {
      plug.GetParam(kGainL)->Set((block / 40) % 2 ? 0.9 : 0.2);
      plug.OnParamChange(kGainL);
    }
    double* in[2] = {&sig.left[k * kBlock], &sig.right[k * kBlock]};
    double* out[2] = {sig.outL.data(), sig.outR.data()};
    plug.ProcessDoubleReplacing(in, out, kBlock);
    benchmark::DoNotOptimize(sig.outL.data());
  }
}

// The floor: both channels' recursions with fixed coefficients, and the smoother.
struct Floor
{
  TolkCoeffs<double> c;
  double x[2][3] = {}, y[2][3] = {};
  double z = 0.0, keep, step;
  Floor() : keep(std::exp((1.0 / kRate) * -6.283185307179586)), step((1.0 - keep) * 0.5)
  {
    Tolk tolk;
    tolk.Calc(kRate, 0.5);
    c = tolk.Coeffs();
  }
  void Run(Signal& sig)
  {
    for (int k = 0; k < kBlocks; ++k) {
      const double* in[2] = {&sig.left[k * kBlock], &sig.right[k * kBlock]};
      double* out[2] = {sig.outL.data(), sig.outR.data()};
      for (int s = 0; s < kBlock; ++s) {
        z = keep * z + step;
        z = keep * z + step;
        for (int ch = 0; ch < 2; ++ch) {
          const double v = (c.b[0] * in[ch][s] + c.b[1] * x[ch][0] + c.b[2] * x[ch][1] + c.b[3] * x[ch][2] -
                            c.a[1] * y[ch][0] - c.a[2] * y[ch][1] - c.a[3] * y[ch][2]) /
                           c.a[0];
          x[ch][2] = x[ch][1], x[ch][1] = x[ch][0], x[ch][0] = in[ch][s];
          y[ch][2] = y[ch][1], y[ch][1] = y[ch][0], y[ch][0] = v;
          out[ch][s] = v;
        }
      }
      benchmark::DoNotOptimize(sig.outL.data());
      benchmark::DoNotOptimize(z);
    }
  }
};

benchmark::Counter PerFrame(double frames)
{
  return benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_KelvoProcess(benchmark::State& state)
{
  Signal sig;
  std::unique_ptr<Kelvo> plug = MakeKelvo();
  int block = 0;
  for (auto _ : state) RunKelvo(*plug, sig, block);
  state.counters["ns/frame"] = PerFrame(static_cast<double>(state.iterations()) * kBlock * kBlocks);
}
BENCHMARK(BM_KelvoProcess);

void BM_RecursionFloor(benchmark::State& state)
{
  Signal sig;
  Floor floor;
  for (auto _ : state) floor.Run(sig);
  state.counters["ns/frame"] = PerFrame(static_cast<double>(state.iterations()) * kBlock * kBlocks);
}
BENCHMARK(BM_RecursionFloor);

// Processor time of the calling thread in seconds (the machine may be shared).
double ThreadSeconds()
{
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

// Runs a and b in turn within each iteration, so that their ratio sees the same machine state,
// and reports each one's processor time per frame (NAME_ns/frame) and the ratio a / b.
template <class A, class B>
void Alternate(benchmark::State& state, const std::string& nameA, A&& a, const std::string& nameB, B&& b)
{
  double aSeconds = 0.0, bSeconds = 0.0;
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    a();
    const double t1 = ThreadSeconds();
    b();
    const double t2 = ThreadSeconds();
    aSeconds += t1 - t0;
    bSeconds += t2 - t1;
  }
  const double frames = static_cast<double>(state.iterations()) * kBlock * kBlocks;
  state.counters[nameA + "_ns/frame"] = aSeconds * 1e9 / frames;
  state.counters[nameB + "_ns/frame"] = bSeconds * 1e9 / frames;
  state.counters["ratio"] = aSeconds / bSeconds;
}

// The effect against the floor.
void BM_KelvoOverFloor(benchmark::State& state)
{
  Signal sig;
  std::unique_ptr<Kelvo> plug = MakeKelvo();
  Floor floor;
  int block = 0;
  Alternate(
      state, "kelvo", [&] { RunKelvo(*plug, sig, block); }, "floor", [&] { floor.Run(sig); });
}
BENCHMARK(BM_KelvoOverFloor)->MinTime(1.0);

// Each render quality against the standard one on two instances fed the same signal. Argument:
// the host's render quality (64 high, 127 best).
void BM_QualityOverStandard(benchmark::State& state)
{
  Signal sig, sig2;
  std::unique_ptr<Kelvo> plug = MakeKelvo(), standard = MakeKelvo();
  plug->SetRenderQuality(static_cast<int>(state.range(0)));
  int block = 0, block2 = 0;
  Alternate(
      state, "quality", [&] { RunKelvo(*plug, sig, block); }, "standard", [&] { RunKelvo(*standard, sig2, block2); });
}
BENCHMARK(BM_QualityOverStandard)->Arg(64)->Arg(127)->MinTime(1.0);

// A silent tail against sound at each quality: the signal's blocks, then as many blocks of
// silence after it, through the processing frame (whose flushing of subnormals a host's render
// call has too). The ratio tail / sound stays at or below 1.
void BM_SilentTailOverSound(benchmark::State& state)
{
  Signal sig;
  std::vector<double> zeros(kBlock, 0.0);
  std::unique_ptr<Kelvo> plug = MakeKelvo();
  plug->SetRenderQuality(static_cast<int>(state.range(0)));
  plug->SetBlockSize(kBlock);
  plug->SetInputChannelConnections(0, 2, true);
  plug->SetOutputChannelConnections(0, 2, true);
  double soundSeconds = 0.0, tailSeconds = 0.0;
  for (auto _ : state) {
    for (int pass = 0; pass < 2; ++pass) {
      const double t0 = ThreadSeconds();
      for (int k = 0; k < kBlocks; ++k) {
        double* in[2] = {pass ? zeros.data() : &sig.left[k * kBlock], pass ? zeros.data() : &sig.right[k * kBlock]};
        double* out[2] = {sig.outL.data(), sig.outR.data()};
        plug->AttachInputBuffers(0, 2, in, kBlock);
        plug->AttachOutputBuffers(0, 2, out);
        plug->ProcessBuffers(0.0, kBlock);
        benchmark::DoNotOptimize(sig.outL.data());
      }
      (pass ? tailSeconds : soundSeconds) += ThreadSeconds() - t0;
    }
  }
  state.counters["tail_over_sound"] = tailSeconds / soundSeconds;
}
BENCHMARK(BM_SilentTailOverSound)->Arg(0)->Arg(64)->Arg(127)->MinTime(1.0);

}  // namespace
