// Cost of the wrapper: a full render through the host API of 512-frame stereo blocks against
// Kelvo::ProcessDoubleReplacing on the same blocks with the same conversions.
#include <AudioToolbox/AudioToolbox.h>
#include <benchmark/benchmark.h>

#include "Kelvo/Kelvo.h"
#include "tests/support/FloatFormat.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {
const UInt32 kFrames = 512;

std::string BundlePath()
{
  if (const char* dir = getenv("KELVO_BUILD_DIR")) return std::string(dir) + "/Kelvo.component";
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  std::string path(exe, n > 0 ? n : 0);
  path = path.substr(0, path.rfind('/'));  // <build>/bin
  return path.substr(0, path.rfind('/')) + "/Kelvo.component";
}

std::vector<float> Signal(int channel)
{
  std::vector<float> v(kFrames);
  for (UInt32 i = 0; i < kFrames; ++i) v[i] = (float)(0.5 * sin(0.01 * (i + 1) * (channel + 1)));
  return v;
}

// One unit fed from a render callback, rendering into the host's buffers.
struct AURig
{
  AudioUnit unit = nullptr;
  std::vector<float> in[2] = {Signal(0), Signal(1)};
  std::vector<float> out[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
  struct
  {
    UInt32 n;
    AudioBuffer b[2];
  } list;
  AudioTimeStamp ts;

  static OSStatus Feed(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                       AudioBufferList* io)
  {
    AURig* rig = (AURig*)refCon;
    for (UInt32 c = 0; c < io->mNumberBuffers; ++c) memcpy(io->mBuffers[c].mData, rig->in[c].data(), nFrames * 4);
    return noErr;
  }

  bool Open()
  {
    if (AudioComponentRegisterBundle(BundlePath().c_str()) != noErr) return false;
    AudioComponentDescription desc = {kAudioUnitType_Effect, 0x4B656C31, 0x516C6D68, 0, 0};  // Kel1, Qlmh
    AudioComponent comp = AudioComponentFindNext(nullptr, &desc);
    if (!comp || AudioComponentInstanceNew(comp, &unit) != noErr) return false;
    AURenderCallbackStruct cb = {Feed, this};
    if (SetFloatIO(unit, 2, 44100.0, kFrames) ||
        AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb)) ||
        AudioUnitInitialize(unit))
      return false;
    memset(&ts, 0, sizeof(ts));
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    return true;
  }
  ~AURig()
  {
    if (unit) AudioComponentInstanceDispose(unit);
  }
  void Render()
  {
    list.n = 2;
    for (int c = 0; c < 2; ++c) list.b[c] = {1, kFrames * 4, out[c].data()};
    AudioUnitRenderActionFlags flags = 0;
    AudioUnitRender(unit, &flags, &ts, 0, kFrames, (AudioBufferList*)&list);
    ts.mSampleTime += kFrames;
  }
};

// The product fed directly, with the float conversions the base performs.
struct DirectRig
{
  std::unique_ptr<Kelvo> plug;
  std::vector<float> in[2] = {Signal(0), Signal(1)};
  std::vector<float> out[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
  std::vector<double> din[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
  std::vector<double> dout[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
  DirectRig()
  {
    IPlugInstanceInfo info;
    plug.reset(new Kelvo(info));
    plug->SetSampleRate(44100.0);
    plug->SetBlockSize(kFrames);
    plug->OnParamReset();
  }
  void Render()
  {
    for (int c = 0; c < 2; ++c)
      for (UInt32 i = 0; i < kFrames; ++i) din[c][i] = in[c][i];
    double* ins[2] = {din[0].data(), din[1].data()};
    double* outs[2] = {dout[0].data(), dout[1].data()};
    plug->ProcessDoubleReplacing(ins, outs, kFrames);
    for (int c = 0; c < 2; ++c)
      for (UInt32 i = 0; i < kFrames; ++i) out[c][i] = (float)dout[c][i];
  }
};

void BM_AURender(benchmark::State& state)
{
  AURig rig;
  if (!rig.Open()) return state.SkipWithError("cannot open the Kelvo unit");
  for (auto _ : state) rig.Render();
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_AURender);

void BM_DirectProcess(benchmark::State& state)
{
  DirectRig rig;
  for (auto _ : state) rig.Render();
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_DirectProcess);

// Both in one loop, alternating blocks, with the ratio of their times as a counter (target <= 1.10).
void BM_AUOverDirect(benchmark::State& state)
{
  AURig au;
  DirectRig direct;
  if (!au.Open()) return state.SkipWithError("cannot open the Kelvo unit");
  double auTime = 0, directTime = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    au.Render();
    auto t1 = std::chrono::steady_clock::now();
    direct.Render();
    auto t2 = std::chrono::steady_clock::now();
    auTime += std::chrono::duration<double>(t1 - t0).count();
    directTime += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["ratio"] = directTime > 0 ? auTime / directTime : 0;
  state.counters["au_ns_per_frame"] = 1e9 * auTime / (state.iterations() * (double)kFrames);
  state.counters["direct_ns_per_frame"] = 1e9 * directTime / (state.iterations() * (double)kFrames);
}
BENCHMARK(BM_AUOverDirect)->MinTime(1.0);

// One second of sound then sixty of digital silence, against sixty-one seconds of steady sound,
// both through the full render; the ratio of their times is the cost of a silent tail
// (target <= 1.2: a filter decaying into subnormal numbers would make it many times slower).
double RenderSeconds(bool silentTail)
{
  AURig rig;
  if (!rig.Open()) return -1;
  const std::vector<float> sound[2] = {rig.in[0], rig.in[1]};
  const UInt32 blocks = (UInt32)(61 * 44100 / kFrames), soundBlocks = 44100 / kFrames;
  auto t0 = std::chrono::steady_clock::now();
  for (UInt32 b = 0; b < blocks; ++b) {
    if (silentTail && b == soundBlocks)
      for (auto& ch : rig.in) std::fill(ch.begin(), ch.end(), 0.0f);
    rig.Render();
  }
  auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(t1 - t0).count();
}

void BM_SilentTailOverSteady(benchmark::State& state)
{
  double tail = 0, steady = 0;
  for (auto _ : state) {
    const double t = RenderSeconds(true), s = RenderSeconds(false);
    if (t < 0 || s < 0) return state.SkipWithError("cannot open the Kelvo unit");
    tail += t;
    steady += s;
  }
  state.counters["ratio"] = steady > 0 ? tail / steady : 0;
  state.counters["tail_s"] = tail / state.iterations();
  state.counters["steady_s"] = steady / state.iterations();
}
BENCHMARK(BM_SilentTailOverSteady)->Iterations(3)->Unit(benchmark::kMillisecond);
}  // namespace
