// The LV2 wrapper driven as hosts drive it, through the descriptors of a small test plug-in that
// keeps more than its parameters in its state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "IPlugLV2_entry.h"
#include "IPlug-core/alloc_counter.h"
#include "lv2_host.h"

namespace {

enum { kGain = 0, kMode, kOn, kNumParams };
constexpr int kUniqueID = 0x54676169, kMfrID = 0x54657374;
constexpr const char* kURI = "urn:test:gain";

// out = in * gain (+ 1 while "On" is off); counts frames, calls and the widest call; its state
// holds the parameters and then the frame count, so a restore must carry more than the values.
class TestGain : public IPlugLV2
{
public:
  explicit TestGain(const IPlugInstanceInfo& info)
      : IPlugLV2(info, kNumParams, "1-1 2-2 1-2", 2, "Test Gain", "", "Test Maker", 0x10203, kUniqueID, kMfrID, 0,
                 false, true, false, 0)
  {
    GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01, "dB");
    GetParam(kMode)->InitEnum("2 mode", 0, 3);
    GetParam(kMode)->SetDisplayText(0, "soft");
    GetParam(kOn)->InitBool("On", true);
    MakeDefaultPreset("unity", 1);
  }

  void OnParamChange(int idx) override
  {
    WDL_MutexLock lock(&mMutex);
    ++changes;
    if (idx == kGain) gain = GetParam(kGain)->Value();
  }
  void ProcessDoubleReplacing(double** in, double** out, int n) override
  {
    ++calls;
    if (n > widest) widest = n;
    const double offset = GetParam(kOn)->Bool() ? 0.0 : 1.0;
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < n; ++i) out[c][i] = in[c][i] * gain + offset;
    frames += n;
  }
  bool SerializeState(ByteChunk* pChunk) override { return SerializeParams(pChunk) && pChunk->AppendValue(frames); }
  int UnserializeState(ByteChunk* pChunk, int pos) override
  {
    pos = UnserializeParams(pChunk, pos);
    return pos < 0 ? -1 : pChunk->ReadValue(&frames, pos);
  }

  double gain = 1.0;
  int changes = 0, calls = 0, widest = 0;
  int64_t frames = 0;
};

}  // namespace

IPLUG_LV2_ENTRY_POINTS(TestGain, kURI)

namespace {

using lv2_test::BlockLengthOption;
using lv2_test::StateStore;
using lv2_test::UridMap;

// One instance with its buffers: control ports first, then audio in and out.
struct Instance
{
  const LV2_Descriptor* d;
  LV2_Handle h;
  float controls[kNumParams] = {1.0f, 0.0f, 1.0f};
  std::vector<std::vector<float>> in, out;

  Instance(uint32_t index, const LV2_Feature* const* features, double rate = 48000.0)
      : d(lv2_descriptor(index)), h(d ? d->instantiate(d, rate, "/nowhere/", features) : nullptr)
  {
    if (!h) return;
    for (int p = 0; p < kNumParams; ++p) d->connect_port(h, p, &controls[p]);
    in.assign(Plug()->NAudioIn(), {});
    out.assign(Plug()->NAudioOut(), {});
  }
  ~Instance()
  {
    if (h) d->cleanup(h);
  }
  TestGain* Plug() { return static_cast<TestGain*>(static_cast<IPlugLV2*>(h)); }

  // Fills the inputs with a ramp from start, connects everything and runs n frames.
  void Run(uint32_t n, float start = 0.0f)
  {
    for (size_t c = 0; c < in.size(); ++c) {
      in[c].resize(n);
      for (uint32_t i = 0; i < n; ++i) in[c][i] = start + (float)(i + c * 1000) * 1e-4f;
      d->connect_port(h, kNumParams + c, in[c].data());
    }
    for (size_t c = 0; c < out.size(); ++c) {
      out[c].assign(n, -7.0f);
      d->connect_port(h, kNumParams + in.size() + c, out[c].data());
    }
    d->run(h, n);
  }
};

TEST(LV2Descriptors, OnePluginPerLayoutTheWidestUnderTheProductURI)
{
  struct Case
  {
    uint32_t index;
    const char* uri;
    const char* name;
    int nIn, nOut;
  } cases[] = {
      // "1-1 2-2 1-2": the widest, 2-2, first; then the others in the list's order.
      {0, "urn:test:gain", "Test Gain", 2, 2},
      {1, "urn:test:gain#mono", "Test Gain (mono)", 1, 1},
      {2, "urn:test:gain#1in2out", "Test Gain (1in2out)", 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uri);
    const LV2_Descriptor* d = lv2_descriptor(c.index);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->URI, c.uri);
    Instance inst(c.index, nullptr);
    ASSERT_NE(inst.h, nullptr);
    EXPECT_STREQ(inst.Plug()->PluginURI(), c.uri);
    EXPECT_STREQ(inst.Plug()->PluginName(), c.name);
    EXPECT_EQ(inst.Plug()->NAudioIn(), c.nIn);
    EXPECT_EQ(inst.Plug()->NAudioOut(), c.nOut);
  }
  EXPECT_EQ(lv2_descriptor(3), nullptr);
  EXPECT_EQ(lv2_descriptor(0xffffffffu), nullptr);
}

TEST(LV2Descriptors, PortsAreParametersThenInputsThenOutputsWithUniqueSymbols)
{
  Instance stereo(0, nullptr), mono(1, nullptr);
  const char* stereoSymbols[] = {"Gain", "_2_mode", "On", "in_l", "in_r", "out_l", "out_r"};
  const char* monoSymbols[] = {"Gain", "_2_mode", "On", "in", "out"};
  ASSERT_EQ(stereo.Plug()->NPorts(), 7);
  ASSERT_EQ(mono.Plug()->NPorts(), 5);
  for (int p = 0; p < 7; ++p) EXPECT_STREQ(stereo.Plug()->PortSymbol(p), stereoSymbols[p]);
  for (int p = 0; p < 5; ++p) EXPECT_STREQ(mono.Plug()->PortSymbol(p), monoSymbols[p]);
  EXPECT_STREQ(stereo.Plug()->PortName(1), "2 mode");
  EXPECT_STREQ(stereo.Plug()->PortName(6), "Output R");
  EXPECT_STREQ(stereo.Plug()->PortSymbol(7), "");
  int idx;
  EXPECT_EQ(stereo.Plug()->PortKind(7, &idx), IPlugLV2::kPortNone);
  EXPECT_EQ(stereo.Plug()->PortKind(-1, &idx), IPlugLV2::kPortNone);
}

TEST(LV2Instantiate, NoFeaturesAtAllIsEnoughAndABadRateIsRefused)
{
  const LV2_Feature* none[] = {nullptr};
  struct Case
  {
    const LV2_Feature* const* features;
    double rate;
    bool made;
  } cases[] = {
      {nullptr, 44100.0, true},   {none, 96000.0, true}, {nullptr, 0.0, false},
      {nullptr, -48000.0, false}, {nullptr, NAN, false}, {nullptr, INFINITY, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    Instance inst(0, c.features, c.rate);
    EXPECT_EQ(inst.h != nullptr, c.made);
    if (!inst.h) continue;
    EXPECT_EQ(inst.Plug()->GetSampleRate(), c.rate);
    EXPECT_EQ(inst.Plug()->GetBlockSize(), IPlugLV2::kDefaultBlockSize);
    EXPECT_STREQ(inst.Plug()->GetAPIString(), "LV2");
    // Every parameter reached OnParamChange before the first run.
    EXPECT_EQ(inst.Plug()->changes, kNumParams);
  }
}

TEST(LV2Instantiate, TheBlockSizeComesFromAUsableMaximumBlockLength)
{
  struct Case
  {
    int32_t frames;
    const char* type;
    uint32_t size;
    int expected;
  } cases[] = {
      {64, LV2_ATOM__Int, 4, 64},
      {8192, LV2_ATOM__Int, 4, 8192},
      {1, LV2_ATOM__Int, 4, 1},
      {0, LV2_ATOM__Int, 4, IPlugLV2::kDefaultBlockSize},
      {-5, LV2_ATOM__Int, 4, IPlugLV2::kDefaultBlockSize},
      {IPlugLV2::kMaxBlockSize + 1, LV2_ATOM__Int, 4, IPlugLV2::kDefaultBlockSize},
      {64, LV2_ATOM__Float, 4, IPlugLV2::kDefaultBlockSize},
      {64, LV2_ATOM__Int, 8, IPlugLV2::kDefaultBlockSize},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    UridMap map;
    BlockLengthOption option(map, c.frames, c.type, c.size);
    const LV2_Feature* features[] = {map.Feature(), option.Feature(), nullptr};
    Instance inst(0, features);
    ASSERT_NE(inst.h, nullptr);
    EXPECT_EQ(inst.Plug()->GetBlockSize(), c.expected);
  }
  // Options are read through the map: without one they are ignored.
  UridMap map;
  BlockLengthOption option(map, 64);
  const LV2_Feature* features[] = {option.Feature(), nullptr};
  Instance inst(0, features);
  EXPECT_EQ(inst.Plug()->GetBlockSize(), IPlugLV2::kDefaultBlockSize);
}

TEST(LV2Run, AnyFrameCountIsProcessedInPiecesOfAtMostTheBlockSize)
{
  UridMap map;
  BlockLengthOption option(map, 256);
  const LV2_Feature* features[] = {map.Feature(), option.Feature(), nullptr};
  for (uint32_t n : {1u, 7u, 255u, 256u, 257u, 1000u, 8192u}) {
    SCOPED_TRACE(n);
    Instance inst(0, features);
    inst.controls[kGain] = 0.5f;
    inst.Run(n, 0.25f);
    EXPECT_EQ(inst.Plug()->frames, (int64_t)n);
    EXPECT_EQ(inst.Plug()->calls, (int)((n + 255) / 256));
    EXPECT_LE(inst.Plug()->widest, 256);
    for (int c = 0; c < 2; ++c)
      for (uint32_t i = 0; i < n; ++i)
        ASSERT_EQ(inst.out[c][i], (float)((double)inst.in[c][i] * 0.5)) << "channel " << c << " frame " << i;
  }
}

TEST(LV2Run, RunOfZeroFramesStillAppliesControlsAndProcessesNothing)
{
  Instance inst(0, nullptr);
  inst.controls[kGain] = 0.25f;
  inst.Run(0);
  EXPECT_EQ(inst.Plug()->gain, 0.25);
  EXPECT_EQ(inst.Plug()->calls, 0);
}

TEST(LV2Run, ControlsAreAppliedBeforeTheFramesAndOnlyWhenTheyChange)
{
  struct Step
  {
    float gain;
    double applied;  // the parameter's value afterwards
    int newChanges;  // OnParamChange calls in this run
  } steps[] = {
      {1.0f, 1.0, 3},   // the first run applies every connected control
      {1.0f, 1.0, 0},   // unchanged: nothing
      {0.5f, 0.5, 1},   // changed: before this run's frames
      {5.0f, 2.0, 1},   // above the range: clamped
      {-1.0f, 0.0, 1},  // below: clamped
      {NAN, 0.0, 0},    // not a number: refused
      {0.75f, 0.75, 1},
  };
  Instance inst(1, nullptr);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.gain);
    const int before = inst.Plug()->changes;
    inst.controls[kGain] = s.gain;
    inst.Run(16, 0.5f);
    EXPECT_EQ(inst.Plug()->GetParam(kGain)->Value(), s.applied);
    EXPECT_EQ(inst.Plug()->changes - before, s.newChanges);
    EXPECT_EQ(inst.out[0][0], (float)((double)inst.in[0][0] * s.applied));
  }
  // A disconnected control keeps its value.
  inst.d->connect_port(inst.h, kGain, nullptr);
  inst.Run(4);
  EXPECT_EQ(inst.Plug()->GetParam(kGain)->Value(), 0.75);
}

TEST(LV2Run, PortsMayBeReconnectedOrLeftUnconnectedBetweenRuns)
{
  Instance inst(0, nullptr);
  inst.controls[kGain] = 2.0f;
  inst.Run(32, 0.1f);
  std::vector<float> first = inst.out[1];

  // Output 1 moves to another buffer: the old one is no longer written.
  std::vector<float> other(32, -3.0f);
  inst.d->connect_port(inst.h, kNumParams + 3, other.data());
  std::vector<float> in0(32, 0.25f), in1(32, 0.5f), out0(32, -3.0f);
  inst.d->connect_port(inst.h, kNumParams + 0, in0.data());
  inst.d->connect_port(inst.h, kNumParams + 1, in1.data());
  inst.d->connect_port(inst.h, kNumParams + 2, out0.data());
  inst.d->run(inst.h, 32);
  EXPECT_EQ(inst.out[1], first);
  EXPECT_EQ(other[5], 1.0f);
  EXPECT_EQ(out0[5], 0.5f);

  // An input without a buffer reads silence; an output without one is written nowhere.
  inst.d->connect_port(inst.h, kNumParams + 1, nullptr);
  inst.d->connect_port(inst.h, kNumParams + 2, nullptr);
  inst.controls[kOn] = 0.0f;  // adds 1: silence in gives exactly 1 out
  inst.d->run(inst.h, 32);
  EXPECT_EQ(other[31], 1.0f);
  EXPECT_EQ(out0[5], 0.5f);
  // Ports past the last are ignored.
  inst.d->connect_port(inst.h, 99, other.data());
  inst.d->connect_port(inst.h, 0xffffffffu, other.data());
  inst.d->run(inst.h, 1);
}

TEST(LV2Run, ActivateDeactivateAndRunAllocateNothing)
{
  UridMap map;
  BlockLengthOption option(map, 128);
  const LV2_Feature* features[] = {map.Feature(), option.Feature(), nullptr};
  Instance inst(0, features);
  inst.Run(1);  // buffers sized outside the count
  inst.in[0].resize(4096);
  inst.in[1].resize(4096);
  inst.out[0].resize(4096);
  inst.out[1].resize(4096);
  for (int c = 0; c < 2; ++c) {
    inst.d->connect_port(inst.h, kNumParams + c, inst.in[c].data());
    inst.d->connect_port(inst.h, kNumParams + 2 + c, inst.out[c].data());
  }
  core_test::StartCountingAllocations();
  inst.d->activate(inst.h);
  for (uint32_t n : {1u, 128u, 4096u}) {
    inst.controls[kGain] = (float)n / 4096.0f;
    inst.d->run(inst.h, n);
  }
  inst.d->deactivate(inst.h);
  EXPECT_EQ(core_test::StopCountingAllocations(), 0);
}

TEST(LV2Run, BuffersMayBeSharedBetweenInputAndOutput)
{
  Instance inst(1, nullptr);
  inst.controls[kGain] = 0.5f;
  std::vector<float> buf(3000);
  for (size_t i = 0; i < buf.size(); ++i) buf[i] = (float)i;
  inst.d->connect_port(inst.h, kNumParams, buf.data());
  inst.d->connect_port(inst.h, kNumParams + 1, buf.data());
  inst.d->run(inst.h, (uint32_t)buf.size());
  for (size_t i = 0; i < buf.size(); ++i) ASSERT_EQ(buf[i], (float)i * 0.5f) << i;
}

// State.

const LV2_State_Interface* StateInterface(const LV2_Descriptor* d)
{
  return static_cast<const LV2_State_Interface*>(d->extension_data(LV2_STATE__interface));
}

TEST(LV2State, SavesTheStateBytesWithTheirIdentityAndRestoresThemWhole)
{
  UridMap map;
  const LV2_Feature* features[] = {map.Feature(), nullptr};
  Instance a(0, features), b(1, features);
  ASSERT_NE(StateInterface(a.d), nullptr);
  EXPECT_EQ(a.d->extension_data("urn:nothing"), nullptr);
  a.controls[kGain] = 1.5f;
  a.controls[kMode] = 2.0f;
  a.Run(300);

  StateStore store;
  ASSERT_EQ(StateInterface(a.d)->save(a.h, StateStore::Store, &store, 0, nullptr), LV2_STATE_SUCCESS);
  const StateStore::Value& data = store.values.at(map("urn:test:gain#state"));
  EXPECT_EQ(data.type, map(LV2_ATOM__Chunk));
  EXPECT_EQ(data.flags, (uint32_t)(LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE));
  ByteChunk expected;
  ASSERT_TRUE(a.Plug()->SerializeState(&expected));
  ASSERT_EQ(data.bytes.size(), (size_t)expected.Size());
  EXPECT_EQ(memcmp(data.bytes.data(), expected.GetBytes(), data.bytes.size()), 0);
  EXPECT_EQ(store.values.at(map("urn:test:gain#version")).type, map(LV2_ATOM__Int));
  EXPECT_EQ(store.values.at(map("urn:test:gain#preset")).bytes.back(), 0);

  // The mono plug-in takes the stereo one's state: the same product, the same bytes.
  ASSERT_EQ(StateInterface(b.d)->restore(b.h, StateStore::Retrieve, &store, 0, nullptr), LV2_STATE_SUCCESS);
  EXPECT_EQ(b.Plug()->GetParam(kGain)->Value(), 1.5);
  EXPECT_EQ(b.Plug()->GetParam(kMode)->Value(), 2.0);
  EXPECT_EQ(b.Plug()->frames, 300);
  EXPECT_EQ(b.Plug()->gain, 1.5);
}

TEST(LV2State, ARefusedStateChangesNothing)
{
  UridMap map;
  const LV2_Feature* features[] = {map.Feature(), nullptr};
  Instance source(0, features);
  source.controls[kGain] = 0.25f;
  source.Run(10);
  StateStore good;
  ASSERT_EQ(StateInterface(source.d)->save(source.h, StateStore::Store, &good, 0, nullptr), LV2_STATE_SUCCESS);

  auto setInt = [&](StateStore* s, const char* key, int32_t v) {
    StateStore::Value& value = s->values[map(key)];
    value.bytes.assign((uint8_t*)&v, (uint8_t*)&v + 4);
  };
  struct Case
  {
    const char* what;
    std::function<void(StateStore*)> spoil;
    LV2_State_Status expected;
  } cases[] = {
      {"no data", [&](StateStore* s) { s->values.erase(map("urn:test:gain#state")); }, LV2_STATE_ERR_NO_PROPERTY},
      {"no version", [&](StateStore* s) { s->values.erase(map("urn:test:gain#version")); }, LV2_STATE_ERR_NO_PROPERTY},
      {"no preset name", [&](StateStore* s) { s->values.erase(map("urn:test:gain#preset")); },
       LV2_STATE_ERR_NO_PROPERTY},
      {"data of another type", [&](StateStore* s) { s->values[map("urn:test:gain#state")].type = map(LV2_ATOM__Int); },
       LV2_STATE_ERR_BAD_TYPE},
      {"data one byte short", [&](StateStore* s) { s->values[map("urn:test:gain#state")].bytes.pop_back(); },
       LV2_STATE_ERR_BAD_TYPE},
      {"data one byte long", [&](StateStore* s) { s->values[map("urn:test:gain#state")].bytes.push_back(0); },
       LV2_STATE_ERR_BAD_TYPE},
      {"empty data", [&](StateStore* s) { s->values[map("urn:test:gain#state")].bytes.clear(); },
       LV2_STATE_ERR_BAD_TYPE},
      {"a version as a float",
       [&](StateStore* s) { s->values[map("urn:test:gain#version")].type = map(LV2_ATOM__Float); },
       LV2_STATE_ERR_BAD_TYPE},
      {"a version of 8 bytes", [&](StateStore* s) { s->values[map("urn:test:gain#version")].bytes.resize(8); },
       LV2_STATE_ERR_BAD_TYPE},
      {"a name without its end", [&](StateStore* s) { s->values[map("urn:test:gain#preset")].bytes.back() = 'x'; },
       LV2_STATE_ERR_BAD_TYPE},
      {"another plug-in", [&](StateStore* s) { setInt(s, "urn:test:gain#uniqueID", kUniqueID + 1); },
       LV2_STATE_ERR_UNKNOWN},
      {"another maker", [&](StateStore* s) { setInt(s, "urn:test:gain#manufacturer", 0); }, LV2_STATE_ERR_UNKNOWN},
      {"a later version", [&](StateStore* s) { setInt(s, "urn:test:gain#version", 0x10204); }, LV2_STATE_ERR_UNKNOWN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Instance target(1, features);
    target.controls[kGain] = 1.75f;
    target.Run(7);
    StateStore spoiled = good;
    c.spoil(&spoiled);
    ByteChunk before;
    ASSERT_TRUE(target.Plug()->SerializeState(&before));
    EXPECT_EQ(StateInterface(target.d)->restore(target.h, StateStore::Retrieve, &spoiled, 0, nullptr), c.expected);
    ByteChunk after;
    ASSERT_TRUE(target.Plug()->SerializeState(&after));
    EXPECT_TRUE(after.IsEqual(before));
    EXPECT_EQ(target.Plug()->GetCurrentPresetIdx(), 0);
    EXPECT_EQ(target.Plug()->gain, 1.75);
  }
  // An older version of the same plug-in is taken.
  Instance target(1, features);
  StateStore older = good;
  setInt(&older, "urn:test:gain#version", 0x10000);
  EXPECT_EQ(StateInterface(target.d)->restore(target.h, StateStore::Retrieve, &older, 0, nullptr), LV2_STATE_SUCCESS);
  EXPECT_EQ(target.Plug()->GetParam(kGain)->Value(), 0.25);
}

TEST(LV2State, WithoutAMapThereIsNoStateButOneGivenToTheCallIsUsed)
{
  Instance inst(0, nullptr);
  StateStore store;
  EXPECT_EQ(StateInterface(inst.d)->save(inst.h, StateStore::Store, &store, 0, nullptr), LV2_STATE_ERR_NO_FEATURE);
  EXPECT_EQ(StateInterface(inst.d)->restore(inst.h, StateStore::Retrieve, &store, 0, nullptr),
            LV2_STATE_ERR_NO_FEATURE);
  EXPECT_TRUE(store.values.empty());
  UridMap map;
  const LV2_Feature* features[] = {map.Feature(), nullptr};
  EXPECT_EQ(StateInterface(inst.d)->save(inst.h, StateStore::Store, &store, 0, features), LV2_STATE_SUCCESS);
  EXPECT_EQ(store.values.size(), 5u);
  EXPECT_EQ(StateInterface(inst.d)->restore(inst.h, StateStore::Retrieve, &store, 0, features), LV2_STATE_SUCCESS);
}

}  // namespace
