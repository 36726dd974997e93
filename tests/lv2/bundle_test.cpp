// The built Kelvo.lv2 binary, loaded as a host loads it: dlopen, lv2_descriptor, and nothing
// else. Its sound and state are checked against the plain build of the same class.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Kelvo/Kelvo.h"
#include "IPlug-lv2/lv2_host.h"
#include "elf_symbols.h"

namespace {

using lv2_test::StateStore;
using lv2_test::UridMap;

const char* const kStereoURI = "https://quillmarsh.com/plugins/kelvo";
const char* const kMonoURI = "https://quillmarsh.com/plugins/kelvo#mono";

std::string BinaryPath()
{
  const char* dir = getenv("KELVO_BUILD_DIR");
  return std::string(dir ? dir : ".") + "/Kelvo.lv2/Kelvo.so";
}

// The binary, loaded for the lifetime of the object.
class Binary
{
public:
  Binary() : mHandle(dlopen(BinaryPath().c_str(), RTLD_NOW | RTLD_LOCAL))
  {
    if (mHandle) mEntry = (Entry)dlsym(mHandle, "lv2_descriptor");
  }
  ~Binary()
  {
    if (mHandle) dlclose(mHandle);
  }
  bool Ok() const { return mEntry != nullptr; }
  const LV2_Descriptor* Descriptor(uint32_t i) const { return mEntry(i); }
  // The descriptor of a URI, or null.
  const LV2_Descriptor* Find(const char* uri) const
  {
    for (uint32_t i = 0; const LV2_Descriptor* d = mEntry(i); ++i)
      if (!strcmp(d->URI, uri)) return d;
    return nullptr;
  }
  void* Symbol(const char* name) const { return dlsym(mHandle, name); }

private:
  typedef const LV2_Descriptor* (*Entry)(uint32_t);
  void* mHandle;
  Entry mEntry = nullptr;
};

// A Kelvo instance of the binary with its ports: OUT, GainM, GainL, Bypass, inputs, outputs.
struct Instance
{
  const LV2_Descriptor* d;
  LV2_Handle h = nullptr;
  float controls[kNumParams] = {-15.0f, 0.7f, 0.3f, 0.0f};
  int channels;

  Instance(const LV2_Descriptor* descriptor, int nChannels, const LV2_Feature* const* features = nullptr,
           double rate = 48000.0)
      : d(descriptor), channels(nChannels)
  {
    if (!d) return;
    h = d->instantiate(d, rate, "/nowhere/", features);
    if (!h) return;
    for (int p = 0; p < kNumParams; ++p) d->connect_port(h, p, &controls[p]);
    d->activate(h);
  }
  ~Instance()
  {
    if (!h) return;
    d->deactivate(h);
    d->cleanup(h);
  }
  // Runs frames [start, start + n) of in into out, one buffer per channel.
  void Run(const std::vector<std::vector<float>>& in, std::vector<std::vector<float>>& out, size_t start, uint32_t n)
  {
    for (int c = 0; c < channels; ++c) {
      d->connect_port(h, kNumParams + c, (void*)(in[c].data() + start));
      d->connect_port(h, kNumParams + channels + c, out[c].data() + start);
    }
    d->run(h, n);
  }
};

// A plucked, decaying test signal, different per channel and seed.
std::vector<std::vector<float>> Signal(size_t n, int seed)
{
  std::vector<std::vector<float>> s(2, std::vector<float>(n));
  for (int c = 0; c < 2; ++c)
    for (size_t i = 0; i < n; ++i)
      s[c][i] = (float)(0.6 * std::exp(-(double)i / 9000.0) *
                        std::sin(2.0 * M_PI * (110.0 + 20.0 * seed + 55.0 * c) * (double)i / 48000.0));
  return s;
}

// A control change: value of parameter at frame.
struct Change
{
  size_t frame;
  int param;
  float value;
};

// The plain build of the same class, driven as a host wrapper does: float to double, the
// product's processing, double to float; parameters set as the host sets them, before the frame.
std::vector<std::vector<float>> Reference(const std::vector<std::vector<float>>& in, int channels,
                                          const std::vector<Change>& changes, int quality = 0)
{
  IPlugInstanceInfo info;
  Kelvo plug(info);
  plug.SetSampleRate(48000.0);
  plug.OnParamReset();
  plug.SetRenderQuality(quality);
  const size_t n = in[0].size();
  std::vector<std::vector<double>> din(2, std::vector<double>(n, 0.0)), dout(2, std::vector<double>(n));
  for (int c = 0; c < channels; ++c)
    for (size_t i = 0; i < n; ++i) din[c][i] = in[c][i];
  size_t at = 0;
  for (size_t k = 0; k <= changes.size(); ++k) {
    const size_t end = k < changes.size() ? changes[k].frame : n;
    while (at < end) {
      const int m = (int)std::min<size_t>(end - at, 1024);
      double* pin[2] = {&din[0][at], &din[1][at]};
      double* pout[2] = {&dout[0][at], &dout[1][at]};
      plug.ProcessDoubleReplacing(pin, pout, m);
      at += (size_t)m;
    }
    if (k < changes.size()) {
      plug.GetParam(changes[k].param)->Set((double)changes[k].value);
      plug.OnParamChange(changes[k].param);
    }
  }
  std::vector<std::vector<float>> out(channels, std::vector<float>(n));
  for (int c = 0; c < channels; ++c)
    for (size_t i = 0; i < n; ++i) out[c][i] = (float)dout[c][i];
  return out;
}

TEST(KelvoLV2Binary, ExportsOnlyTheDescriptorAndCarriesNoPlatformLayer)
{
  const lv2_test::ElfSymbols syms = lv2_test::ReadElfSymbols(BinaryPath());
  ASSERT_TRUE(syms.ok) << BinaryPath();
  std::vector<std::string> ours;
  for (const std::string& name : syms.exported)
    if (name.rfind("__", 0) && name.rfind("_init", 0) && name.rfind("_fini", 0)) ours.push_back(name);
  EXPECT_EQ(ours, std::vector<std::string>{"lv2_descriptor"});
  // No macOS stand-in, window system or picture library inside or asked for.
  for (const std::string& name : syms.all)
    for (const char* prefix : {"CFDictionary", "CFRelease", "AudioComponent", "AudioUnit", "NSApplication", "CGContext",
                               "png_", "XOpenDisplay", "_ZN9IGraphics"})
      EXPECT_NE(name.rfind(prefix, 0), 0u) << name;
  for (const std::string& lib : syms.needed)
    for (const char* prefix : {"libpng", "libz", "libX11", "libfreetype", "libsndfile"})
      EXPECT_NE(lib.rfind(prefix, 0), 0u) << lib;
}

TEST(KelvoLV2Binary, TwoPluginsAStereoOneAndAMonoOne)
{
  Binary bin;
  ASSERT_TRUE(bin.Ok()) << dlerror();
  ASSERT_NE(bin.Descriptor(0), nullptr);
  ASSERT_NE(bin.Descriptor(1), nullptr);
  EXPECT_STREQ(bin.Descriptor(0)->URI, kStereoURI);
  EXPECT_STREQ(bin.Descriptor(1)->URI, kMonoURI);
  EXPECT_EQ(bin.Descriptor(2), nullptr);
  EXPECT_EQ(bin.Symbol("_ZN8IPlugLV23RunEj"), nullptr);
}

TEST(KelvoLV2Binary, SoundsBitForBitAsThePlainBuildWhateverTheRunLengths)
{
  Binary bin;
  ASSERT_TRUE(bin.Ok());
  const size_t n = 6000;
  const std::vector<std::vector<float>> in = Signal(n, 0);
  // GainL and OUT moved twice, at run boundaries; Bypass on for a while.
  const std::vector<Change> changes = {{0, kGainL, 0.8f},     {0, kOut, -6.0f},      {1500, kGainL, 0.1f},
                                       {3000, kBypass, 1.0f}, {3600, kBypass, 0.0f}, {4101, kOut, -30.5f}};
  const uint32_t lengths[] = {1, 7, 64, 256, 1023, 1024, 1025, 3000};
  struct Case
  {
    const char* uri;
    int channels;
  } cases[] = {{kStereoURI, 2}, {kMonoURI, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uri);
    const std::vector<std::vector<float>> expected = Reference(in, c.channels, changes);
    Instance inst(bin.Find(c.uri), c.channels);
    ASSERT_NE(inst.h, nullptr);
    std::vector<std::vector<float>> out(c.channels, std::vector<float>(n, -9.0f));
    size_t at = 0, k = 0, turn = 0;
    while (at < n) {
      while (k < changes.size() && changes[k].frame == at) {
        inst.controls[changes[k].param] = changes[k].value;
        ++k;
      }
      size_t next = k < changes.size() ? changes[k].frame : n;
      const uint32_t m = (uint32_t)std::min<size_t>(lengths[turn++ % 8], next - at);
      inst.Run(in, out, at, m);
      at += m;
    }
    for (int ch = 0; ch < c.channels; ++ch)
      for (size_t i = 0; i < n; ++i) ASSERT_EQ(out[ch][i], expected[ch][i]) << "channel " << ch << " frame " << i;
  }
}

TEST(KelvoLV2Binary, EachQualityThroughItsPortSoundsAsThePlainBuildAtThatQualityAndReportsItsLatency)
{
  Binary bin;
  ASSERT_TRUE(bin.Ok());
  const size_t n = 3000;
  const std::vector<std::vector<float>> in = Signal(n, 2);
  const std::vector<Change> changes = {{0, kGainL, 0.7f}, {0, kOut, -3.0f}};
  const struct
  {
    float port;
    int quality, latency;
  } cases[] = {{0.0f, 0, 0}, {64.0f, 64, 1}, {127.0f, 127, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.quality);
    const std::vector<std::vector<float>> expected = Reference(in, 2, changes, c.quality);
    Instance inst(bin.Find(kStereoURI), 2);
    ASSERT_NE(inst.h, nullptr);
    float quality = c.port, latency = -1.0f;
    inst.d->connect_port(inst.h, kNumParams + 4, &quality);
    inst.d->connect_port(inst.h, kNumParams + 5, &latency);
    inst.controls[kGainL] = 0.7f;
    inst.controls[kOut] = -3.0f;
    std::vector<std::vector<float>> out(2, std::vector<float>(n, -9.0f));
    for (size_t at = 0; at < n; at += 500) inst.Run(in, out, at, 500);
    EXPECT_EQ(latency, (float)c.latency);
    for (int ch = 0; ch < 2; ++ch)
      for (size_t i = 0; i < n; ++i) ASSERT_EQ(out[ch][i], expected[ch][i]) << "channel " << ch << " frame " << i;
  }
}

TEST(KelvoLV2Binary, StateHoldsTheSameBytesAsThePlainBuildAndRestoresThem)
{
  Binary bin;
  ASSERT_TRUE(bin.Ok());
  UridMap map;
  const LV2_Feature* features[] = {map.Feature(), nullptr};
  Instance a(bin.Find(kStereoURI), 2, features);
  a.controls[kGainL] = 0.9f;
  a.controls[kOut] = -3.25f;
  a.controls[kBypass] = 1.0f;
  std::vector<std::vector<float>> in = Signal(64, 1), out(2, std::vector<float>(64));
  a.Run(in, out, 0, 64);
  StateStore store;
  const auto* state = (const LV2_State_Interface*)a.d->extension_data(LV2_STATE__interface);
  ASSERT_NE(state, nullptr);
  ASSERT_EQ(state->save(a.h, StateStore::Store, &store, LV2_STATE_IS_POD, features), LV2_STATE_SUCCESS);

  IPlugInstanceInfo info;
  Kelvo plain(info);
  // Every control reached the instance as a 32-bit float, as every AU parameter a host sets does.
  for (int p = 0; p < kNumParams; ++p) plain.GetParam(p)->Set((double)a.controls[p]);
  ByteChunk expected;
  ASSERT_TRUE(plain.SerializeState(&expected));
  const std::vector<uint8_t>& bytes = store.values.at(map("https://quillmarsh.com/plugins/kelvo#state")).bytes;
  ASSERT_EQ(bytes.size(), (size_t)expected.Size());
  EXPECT_EQ(memcmp(bytes.data(), expected.GetBytes(), bytes.size()), 0);
  EXPECT_EQ(std::string((const char*)store.values.at(map("https://quillmarsh.com/plugins/kelvo#preset")).bytes.data()),
            "-");

  // Restored into a mono instance, it sounds as the saved settings do.
  Instance b(bin.Find(kMonoURI), 1, features);
  ASSERT_EQ(state->restore(b.h, StateStore::Retrieve, &store, 0, features), LV2_STATE_SUCCESS);
  b.d->connect_port(b.h, kBypass, nullptr);  // the restored value stands
  b.d->connect_port(b.h, kGainL, nullptr);
  b.d->connect_port(b.h, kOut, nullptr);
  std::vector<std::vector<float>> bout(1, std::vector<float>(64));
  b.Run(in, bout, 0, 64);
  EXPECT_EQ(bout[0], in[0]);  // bypassed
}

TEST(KelvoLV2Binary, SixtyFourInstancesSideBySideRenderIndependently)
{
  Binary bin;
  ASSERT_TRUE(bin.Ok());
  const int kInstances = 64;
  const size_t n = 2048;
  std::vector<std::unique_ptr<Instance>> insts;
  std::vector<std::vector<std::vector<float>>> ins, outs;
  for (int i = 0; i < kInstances; ++i) {
    insts.emplace_back(new Instance(bin.Descriptor(i % 2), 2 - i % 2));
    ASSERT_NE(insts.back()->h, nullptr) << i;
    insts.back()->controls[kGainL] = 0.05f + 0.9f * (float)i / kInstances;
    ins.push_back(Signal(n, i));
    outs.emplace_back(2 - i % 2, std::vector<float>(n));
  }
  // Interleaved: each instance runs a piece in turn.
  for (size_t at = 0; at < n; at += 256)
    for (int i = 0; i < kInstances; ++i) insts[i]->Run(ins[i], outs[i], at, 256);
  for (int i = 0; i < kInstances; i += 7) {
    const std::vector<std::vector<float>> expected =
        Reference(ins[i], 2 - i % 2, {{0, kGainL, insts[i]->controls[kGainL]}});
    EXPECT_EQ(outs[i], expected) << "instance " << i;
  }
}

TEST(KelvoLV2Binary, LoadsAndUnloadsAgainAndAgain)
{
  const std::vector<std::vector<float>> in = Signal(512, 3);
  std::vector<float> first;
  for (int cycle = 0; cycle < 3; ++cycle) {
    SCOPED_TRACE(cycle);
    {
      Binary bin;
      ASSERT_TRUE(bin.Ok()) << dlerror();
      UridMap map;
      const LV2_Feature* features[] = {map.Feature(), nullptr};
      Instance a(bin.Descriptor(0), 2, features), b(bin.Descriptor(1), 1);
      ASSERT_NE(a.h, nullptr);
      ASSERT_NE(b.h, nullptr);
      std::vector<std::vector<float>> out(2, std::vector<float>(512));
      a.Run(in, out, 0, 512);
      StateStore store;
      const auto* state = (const LV2_State_Interface*)a.d->extension_data(LV2_STATE__interface);
      EXPECT_EQ(state->save(a.h, StateStore::Store, &store, 0, nullptr), LV2_STATE_SUCCESS);
      if (cycle == 0) first = out[0];
      EXPECT_EQ(out[0], first);
    }
    // Really gone: the next cycle starts from a fresh load.
    EXPECT_EQ(dlopen(BinaryPath().c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
  }
}

}  // namespace
