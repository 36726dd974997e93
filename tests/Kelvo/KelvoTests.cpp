#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Kelvo/Kelvo.h"
#include "Kelvo/PlainKelvo.h"
#include "Kelvo/ReferenceKelvo.h"
#include "Kelvo/SignalTestUtil.h"

// Every allocation of the test binary is counted, so that a test can require none. Kept out of
// line so that the compiler does not pair the inner malloc and free with the outer operators.
namespace {
std::atomic<long> gAllocations{0};
}
__attribute__((noinline)) void* operator new(std::size_t size)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
__attribute__((noinline)) void* operator new[](std::size_t size) { return operator new(size); }
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete[](void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

std::unique_ptr<Kelvo> MakeKelvo(double sampleRate = 44100.0)
{
  IPlugInstanceInfo info;
  info.mBundleID.Set("com.Quillmarsh.audiounit.Kelvo");
  std::unique_ptr<Kelvo> plug(new Kelvo(info));
  plug->SetSampleRate(sampleRate);
  plug->OnParamReset();  // as initialisation does
  return plug;
}

// Sets a parameter as the host does: the value clamped into range, then OnParamChange.
void SetParam(Kelvo& plug, int idx, double value)
{
  plug.GetParam(idx)->Set(value);
  plug.OnParamChange(idx);
}

// Runs n frames of in through the plug-in directly.
void Process(Kelvo& plug, std::vector<double>& in0, std::vector<double>& in1, std::vector<double>& out0,
             std::vector<double>& out1, int start, int n)
{
  double* in[2] = {&in0[start], &in1[start]};
  double* out[2] = {&out0[start], &out1[start]};
  plug.ProcessDoubleReplacing(in, out, n);
}

TEST(Kelvo, IdentityParametersAndPreset)
{
  std::unique_ptr<Kelvo> plug = MakeKelvo();
  EXPECT_STREQ(plug->GetEffectName(), "Kelvo");
  EXPECT_STREQ(plug->GetMfrName(), "Quillmarsh");
  EXPECT_STREQ(plug->GetProductName(), "");
  EXPECT_EQ(plug->GetUniqueID(), 0x4B656C31);  // 'Kel1'
  EXPECT_EQ(plug->GetMfrID(), 0x516C6D68);     // 'Qlmh'
  EXPECT_EQ(plug->GetEffectVersion(false), 0x10000);
  EXPECT_EQ(plug->NInChannels(), 2);
  EXPECT_EQ(plug->NOutChannels(), 2);
  EXPECT_TRUE(plug->LegalIO(1, 1));
  EXPECT_TRUE(plug->LegalIO(2, 2));
  EXPECT_FALSE(plug->LegalIO(1, 2));
  // Built on the plain base: the bundle it was told of, and no editor.
  EXPECT_STREQ(plug->GetBundleID(), "com.Quillmarsh.audiounit.Kelvo");
  EXPECT_EQ(plug->GetGUI(), nullptr);
  EXPECT_STREQ(plug->GetAPIString(), "Standalone");
  struct Expect
  {
    const char* name;
    double value, min, max;
    const char* display;
  };
  const Expect params[] = {
      {"OUT", -15.0, -40.0, 0.0, "-15.00"},
      {"GainM", 0.7, 0.0, 1.0, "0.70"},
      {"GainL", 0.3, 0.05, 0.98, "0.30"},
      {"Bypass", 0.0, 0.0, 1.0, "0"},
  };
  ASSERT_EQ(plug->NParams(), kNumParams);
  for (int i = 0; i < kNumParams; ++i) {
    const Expect& e = params[i];
    IParam* p = plug->GetParam(i);
    EXPECT_STREQ(p->GetNameForHost(), e.name);
    EXPECT_EQ(p->Value(), e.value) << e.name;
    double lo, hi;
    p->GetBounds(&lo, &hi);
    EXPECT_EQ(lo, e.min) << e.name;
    EXPECT_EQ(hi, e.max) << e.name;
    char text[128];
    p->GetDisplayForHost(p->Value(), false, text, true);
    EXPECT_STREQ(text, e.display) << e.name;
  }
  EXPECT_EQ(plug->NPresets(), 1);
  EXPECT_STREQ(plug->GetPresetName(0), "-");
}

TEST(Kelvo, ParameterChangesSetTheSignalPathValues)
{
  std::unique_ptr<Kelvo> plug = MakeKelvo();
  EXPECT_DOUBLE_EQ(plug->OutputGain(), std::pow(10.0, -15.0 / 20.0));
  EXPECT_EQ(plug->ControlTarget(), 0.3);
  EXPECT_EQ(plug->StoredGainM(), 0.7);
  SetParam(*plug, kOut, -6.0);
  SetParam(*plug, kGainL, 0.98);
  SetParam(*plug, kGainM, 0.25);
  EXPECT_EQ(plug->OutputGain(), std::pow(10.0, -6.0 / 20.0));
  EXPECT_EQ(plug->ControlTarget(), 0.98);
  EXPECT_EQ(plug->StoredGainM(), 0.25);
  // Out of range values are clamped by the parameter; a NaN leaves the last good value.
  SetParam(*plug, kOut, 12.0);
  EXPECT_EQ(plug->OutputGain(), 1.0);
  plug->GetParam(kGainL)->Set(std::nan(""));
  plug->OnParamChange(kGainL);
  EXPECT_EQ(plug->ControlTarget(), 0.98);
  plug->OnParamChange(-1);
  plug->OnParamChange(kNumParams);
}

TEST(Kelvo, StateAndPresetLoadsReachTheSignalPathAtOnce)
{
  // Loading calls OnParamChange for every parameter: the gain and the control target follow at
  // once, while the control itself glides on from where it was.
  std::unique_ptr<Kelvo> plug = MakeKelvo(), other = MakeKelvo();
  SetParam(*other, kOut, -3.0);
  SetParam(*other, kGainL, 0.9);
  ByteChunk state;
  ASSERT_TRUE(other->SerializeState(&state));
  std::vector<double> zeros(100, 0.0), out(100);
  Process(*plug, zeros, zeros, out, out, 0, 100);
  const double control = plug->Circuit().Control();
  EXPECT_GT(plug->UnserializeState(&state, 0), 0);
  EXPECT_EQ(plug->OutputGain(), std::pow(10.0, -3.0 / 20.0));
  EXPECT_EQ(plug->ControlTarget(), 0.9);
  EXPECT_EQ(plug->Circuit().Control(), control);
  ASSERT_TRUE(plug->RestorePreset(0));
  EXPECT_EQ(plug->OutputGain(), std::pow(10.0, -15.0 / 20.0));
  EXPECT_EQ(plug->ControlTarget(), 0.3);
  EXPECT_EQ(plug->Circuit().Control(), control);
}

TEST(Kelvo, ProcessingGivesThePlainEvaluationsBits)
{
  // Ten seconds per rate through ProcessDoubleReplacing, with host-style parameter changes
  // between blocks, bypass on and off, and a reset now and then (which changes nothing).
  for (double S : {44100.0, 96000.0}) {
    SCOPED_TRACE(testing::Message() << "rate " << S);
    std::unique_ptr<Kelvo> plug = MakeKelvo(S);
    PlainKelvo plain;
    const int total = static_cast<int>(10 * S);
    std::vector<double> in0, in1;
    TestSignal(total, S, 21, in0, in1);
    std::vector<double> out0(total), out1(total), p0(total), p1(total);
    double gainL = 0.3, outDb = -15.0;
    int bypass = 0;
    std::srand(static_cast<unsigned>(S));
    for (int s = 0, block = 0; s < total; ++block) {
      const int n = std::min(total - s, 1 + std::rand() % 1024);
      if (block % 6 == 5) {
        gainL = 0.05 + (std::rand() % 94) * 0.01;
        outDb = -0.01 * (std::rand() % 4001);
        bypass = std::rand() % 8 == 0;
        SetParam(*plug, kGainL, gainL);
        SetParam(*plug, kOut, outDb);
        SetParam(*plug, kBypass, bypass);
        SetParam(*plug, kGainM, (std::rand() % 101) * 0.01);
      }
      if (block % 17 == 0) plug->Reset();
      Process(*plug, in0, in1, out0, out1, s, n);
      plain.Render(&in0[s], &in1[s], &p0[s], &p1[s], n, S, gainL, std::pow(10.0, outDb / 20.0), bypass);
      s += n;
    }
    EXPECT_EQ(FirstDifference(out0, p0), -1);
    EXPECT_EQ(FirstDifference(out1, p1), -1);
  }
}

TEST(Kelvo, MatchesAnIndependentLongDoubleEvaluation)
{
  const double S = 48000.0;
  const int total = static_cast<int>(3 * S);
  std::unique_ptr<Kelvo> plug = MakeKelvo(S);
  SetParam(*plug, kOut, -3.0);
  std::vector<double> in0, in1;
  TestSignal(total, S, 9, in0, in1);
  std::vector<double> out0(total), out1(total);
  ReferenceKelvo ref;
  double worst = 0.0, sum = 0.0;
  for (int s = 0; s < total; s += 480) {
    const double gainL = s < S ? 0.3 : s < 2 * S ? 0.98 : 0.05;
    SetParam(*plug, kGainL, gainL);
    Process(*plug, in0, in1, out0, out1, s, 480);
    for (int k = s; k < s + 480; ++k) {
      long double r0, r1;
      ref.Frame(S, gainL, -3.0L, in0[k], in1[k], r0, r1);
      const double d0 = static_cast<double>(std::fabs(out0[k] - r0));
      const double d1 = static_cast<double>(std::fabs(out1[k] - r1));
      worst = std::max({worst, d0, d1});
      sum += d0 + d1;
    }
  }
  // Where the filter's terms cancel the double-precision sum keeps about eight digits.
  EXPECT_LT(worst, 1e-7);
  EXPECT_LT(sum / (2 * total), 1e-10);
}

TEST(Kelvo, SilenceInGivesExactZerosOnBothChannels)
{
  std::unique_ptr<Kelvo> plug = MakeKelvo();
  SetParam(*plug, kOut, 0.0);
  std::vector<double> zeros(44100, 0.0), out0(44100, 1.0), out1(44100, 1.0);
  for (int s = 0; s < 44100; s += 441) {
    SetParam(*plug, kGainL, s < 22050 ? 0.05 : 0.98);
    Process(*plug, zeros, zeros, out0, out1, s, 441);
  }
  for (int s = 0; s < 44100; ++s) ASSERT_TRUE(IsPositiveZero(out0[s]) && IsPositiveZero(out1[s])) << s;
  EXPECT_GT(plug->Circuit().Control(), 0.02);
}

TEST(Kelvo, BypassCopiesBitForBitWhateverTheParameters)
{
  std::unique_ptr<Kelvo> plug = MakeKelvo();
  std::vector<double> in0, in1;
  TestSignal(8192, 44100, 4, in0, in1);
  in0[100] = -0.0;
  in1[200] = 1e-310;
  std::vector<double> out0(8192), out1(8192);
  SetParam(*plug, kBypass, 1);
  for (int s = 0; s < 8192; s += 1024) {
    SetParam(*plug, kOut, -40.0 + s * 0.001);
    SetParam(*plug, kGainL, 0.05 + s * 0.0001);
    Process(*plug, in0, in1, out0, out1, s, 1024);
  }
  EXPECT_EQ(FirstDifference(out0, in0), -1);
  EXPECT_EQ(FirstDifference(out1, in1), -1);
  // In place too.
  std::vector<double> io0 = in0, io1 = in1;
  Process(*plug, io0, io1, io0, io1, 0, 8192);
  EXPECT_EQ(FirstDifference(io0, in0), -1);
  EXPECT_EQ(FirstDifference(io1, in1), -1);
}

TEST(Kelvo, GainMChangesNothing)
{
  std::unique_ptr<Kelvo> a = MakeKelvo(), b = MakeKelvo();
  std::vector<double> in0, in1;
  TestSignal(22050, 44100, 6, in0, in1);
  std::vector<double> a0(22050), a1(22050), b0(22050), b1(22050);
  for (int s = 0; s < 22050; s += 2205) {
    SetParam(*b, kGainM, (s / 2205) * 0.1);
    Process(*a, in0, in1, a0, a1, s, 2205);
    Process(*b, in0, in1, b0, b1, s, 2205);
  }
  EXPECT_EQ(FirstDifference(a0, b0), -1);
  EXPECT_EQ(FirstDifference(a1, b1), -1);
}

TEST(Kelvo, ProcessingAllocatesNothing)
{
  std::unique_ptr<Kelvo> plug = MakeKelvo();
  const long start = gAllocations.load();
  int* volatile probe = new int(1);
  delete probe;
  ASSERT_EQ(gAllocations.load() - start, 1);  // the counter sees allocations
  std::vector<double> in0, in1;
  TestSignal(4096, 44100, 8, in0, in1);
  std::vector<double> out0(4096), out1(4096);
  const long before = gAllocations.load();
  for (int bypass = 0; bypass < 2; ++bypass) {
    SetParam(*plug, kBypass, bypass);
    for (int s = 0; s < 4096; s += 512) Process(*plug, in0, in1, out0, out1, s, 512);
  }
  plug->SetSampleRate(96000);  // a new rate is taken up inside the render call
  Process(*plug, in0, in1, out0, out1, 0, 4096);
  EXPECT_EQ(gAllocations.load() - before, 0);
}

// Counts the values of v that are subnormal.
template <class T>
int Subnormals(const std::vector<T>& v)
{
  int n = 0;
  for (T x : v) n += std::fpclassify(x) == FP_SUBNORMAL;
  return n;
}

// Runs n frames through the processing frame, as the wrappers do.
template <class T>
void ProcessFramed(Kelvo& plug, T* in0, T* in1, T* out0, T* out1, int n)
{
  T* in[2] = {in0, in1};
  T* out[2] = {out0, out1};
  plug.AttachInputBuffers(0, 2, in, n);
  plug.AttachOutputBuffers(0, 2, out);
  plug.ProcessBuffers(T(0), n);
}

TEST(Kelvo, NoSubnormalLeavesTheProcessingFrame)
{
  // A burst, then silence: after about five seconds the filter's decay enters the subnormal
  // range and settles on a subnormal value there for good, which processing called directly
  // passes on (at a crawl); the frame around it flushes it to zero, at every render quality
  // (the resampling filters' decay as well as the circuit's).
  const int n = 1024, blocks = 240;
  std::vector<double> in0(n * blocks, 0.0), in1(n * blocks, 0.0);
  for (int s = 0; s < 4 * n; ++s) {
    in0[s] = std::sin(s * 0.05) * std::exp(-s * 0.01);
    in1[s] = -in0[s];
  }
  for (int s = 4 * n; s < 8 * n; ++s) in0[s] = in1[s] = 1e-310 * ((s % 3) - 1);
  const int qualities[] = {0, 64, 127};
  const int kinds = 3;
  std::unique_ptr<Kelvo> direct = MakeKelvo(), framedFloat = MakeKelvo(), framed[kinds];
  for (int q = 0; q < kinds; ++q) {
    framed[q] = MakeKelvo();
    ASSERT_TRUE(framed[q]->SetRenderQuality(qualities[q]));
  }
  for (Kelvo* plug : {framed[0].get(), framed[1].get(), framed[2].get(), framedFloat.get()}) {
    plug->SetBlockSize(n);  // the frame processes no more than the block size
    plug->SetInputChannelConnections(0, 2, true);
    plug->SetOutputChannelConnections(0, 2, true);
  }
  std::vector<double> d0(n * blocks), d1(n * blocks), f0[kinds], f1[kinds];
  for (int q = 0; q < kinds; ++q) f0[q].resize(n * blocks), f1[q].resize(n * blocks);
  std::vector<float> fl0(n), fl1(n), fin0(n), fin1(n);
  int floatSubnormals = 0;
  for (int b = 0; b < blocks; ++b) {
    Process(*direct, in0, in1, d0, d1, b * n, n);
    for (int q = 0; q < kinds; ++q)
      ProcessFramed(*framed[q], &in0[b * n], &in1[b * n], &f0[q][b * n], &f1[q][b * n], n);
    // The float frame the wrapper uses, on the same signal.
    for (int s = 0; s < n; ++s) fin0[s] = (float)in0[b * n + s], fin1[s] = (float)in1[b * n + s];
    ProcessFramed(*framedFloat, fin0.data(), fin1.data(), fl0.data(), fl1.data(), n);
    floatSubnormals += Subnormals(fl0) + Subnormals(fl1);
  }
  EXPECT_GT(Subnormals(d0) + Subnormals(d1), 0);  // the signal does reach the range
  EXPECT_EQ(floatSubnormals, 0);
  EXPECT_EQ(std::fpclassify(direct->Circuit().Channel(0).State().y1), FP_SUBNORMAL);
  for (int q = 0; q < kinds; ++q) {
    SCOPED_TRACE(qualities[q]);
    EXPECT_EQ(Subnormals(f0[q]) + Subnormals(f1[q]), 0);
    double peak = 0.0;
    for (double v : f0[q]) peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.01);
    EXPECT_NE(std::fpclassify(framed[q]->Circuit().Channel(0).State().y1), FP_SUBNORMAL);
  }
}

struct QualityCase
{
  int renderQuality;
  bool accepted;
  KelvoCircuit::Quality path;  // after the call
};

TEST(Kelvo, RenderQualityPicksThePathAndItsLatency)
{
  std::unique_ptr<Kelvo> plug = MakeKelvo();
  EXPECT_EQ(plug->GetRenderQuality(), 0);
  EXPECT_EQ(plug->Circuit().GetQuality(), KelvoCircuit::kStandard);
  const QualityCase cases[] = {
      {127, true, KelvoCircuit::kBest},    {0, true, KelvoCircuit::kStandard},
      {64, true, KelvoCircuit::kHigh},     {63, true, KelvoCircuit::kStandard},
      {96, true, KelvoCircuit::kHigh},     {126, true, KelvoCircuit::kHigh},
      {128, false, KelvoCircuit::kHigh},   {-1, false, KelvoCircuit::kHigh},
      {32, true, KelvoCircuit::kStandard}, {1 << 30, false, KelvoCircuit::kStandard},
  };
  int last = 0;
  for (const QualityCase& c : cases) {
    SCOPED_TRACE(c.renderQuality);
    EXPECT_EQ(plug->SetRenderQuality(c.renderQuality), c.accepted);
    if (c.accepted) last = c.renderQuality;
    EXPECT_EQ(plug->GetRenderQuality(), last);
    EXPECT_EQ(plug->Circuit().GetQuality(), c.path);
    EXPECT_EQ(plug->GetLatency(), KelvoCircuit::Latency(c.path));
  }
}

TEST(Kelvo, EveryQualityAllocatesNothingAndBypassesBitForBit)
{
  std::vector<double> in0, in1;
  TestSignal(8192, 44100, 12, in0, in1);
  in0[100] = -0.0;
  in1[200] = 1e-310;
  for (int quality : {0, 64, 127}) {
    SCOPED_TRACE(quality);
    std::unique_ptr<Kelvo> plug = MakeKelvo();
    ASSERT_TRUE(plug->SetRenderQuality(quality));
    std::vector<double> out0(8192), out1(8192);
    const long before = gAllocations.load();
    for (int s = 0; s < 4096; s += 512) Process(*plug, in0, in1, out0, out1, s, 512);
    SetParam(*plug, kBypass, 1);
    for (int s = 4096; s < 8192; s += 1000) Process(*plug, in0, in1, out0, out1, s, std::min(1000, 8192 - s));
    plug->SetSampleRate(96000);
    SetParam(*plug, kBypass, 0);
    Process(*plug, in0, in1, out0, out1, 0, 4096);
    EXPECT_EQ(gAllocations.load() - before, 0);
    for (int s = 4096; s < 8192; ++s) {
      ASSERT_EQ(std::memcmp(&out0[s], &in0[s], sizeof(double)), 0) << s;
      ASSERT_EQ(std::memcmp(&out1[s], &in1[s], sizeof(double)), 0) << s;
    }
  }
}

}  // namespace
