// The render quality and latency ports, through the descriptors of a test plug-in that offers
// qualities: each quality delays the sound by its own latency and scales it by its own gain.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "IPlugLV2_entry.h"
#include "IPlugLV2_ttl.h"
#include "IPlug-core/alloc_counter.h"

namespace {

enum { kGain = 0, kNumParams };
constexpr const char* kURI = "urn:test:quality";
constexpr int kMaxDelay = 8;

// out[i] = in[i - latency] * gain * (1 + quality / 1000); latency 0 below 64, 3 from 64, 7 at 127.
class TestQuality : public IPlugLV2
{
public:
  explicit TestQuality(const IPlugInstanceInfo& info)
      : IPlugLV2(info, kNumParams, "1-1 2-2", 0, "Test Quality", "", "Test Maker", 0x10000, 0x54517561, 0x54657374, 0,
                 false, false, false, 0)
  {
    GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01, "");
  }

  static int LatencyOf(int quality) { return quality >= 127 ? 7 : quality >= 64 ? 3 : 0; }

  int GetRenderQuality() override { return mQuality; }
  bool SetRenderQuality(int quality) override
  {
    if (quality < 0 || quality > 127) return false;
    WDL_MutexLock lock(&mMutex);
    ++qualityCalls;
    mQuality = quality;
    SetLatency(LatencyOf(quality));
    return true;
  }
  void ProcessDoubleReplacing(double** in, double** out, int n) override
  {
    const double gain = GetParam(kGain)->Value() * (1.0 + mQuality / 1000.0);
    const int latency = GetLatency();
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < n; ++i) {
        double* line = mLine[c];
        for (int k = kMaxDelay - 1; k > 0; --k) line[k] = line[k - 1];
        line[0] = in[c][i];
        out[c][i] = line[latency] * gain;
      }
  }

  int qualityCalls = 0;

private:
  int mQuality = 0;
  double mLine[2][kMaxDelay] = {};
};

}  // namespace

IPLUG_LV2_ENTRY_POINTS(TestQuality, kURI)

namespace {

// The stereo plug-in's ports: Gain, in_l, in_r, out_l, out_r, quality, latency.
enum { kInL = 1, kOutL = 3, kQualityPort = 5, kLatencyPort = 6, kNumPorts = 7 };

struct Instance
{
  const LV2_Descriptor* d = lv2_descriptor(0);
  LV2_Handle h = d ? d->instantiate(d, 48000.0, "/nowhere/", nullptr) : nullptr;
  float gain = 1.0f, quality = 0.0f, latency = -1.0f;
  std::vector<float> in[2], out[2];

  // Connects the controls; the quality port only when connectQuality.
  explicit Instance(bool connectQuality = true)
  {
    if (!h) return;
    d->connect_port(h, kGain, &gain);
    if (connectQuality) d->connect_port(h, kQualityPort, &quality);
    d->connect_port(h, kLatencyPort, &latency);
    d->activate(h);
  }
  ~Instance()
  {
    if (h) d->cleanup(h);
  }
  TestQuality* Plug() { return static_cast<TestQuality*>(static_cast<IPlugLV2*>(h)); }

  // Runs n frames of a ramp from start; the buffers are sized before the run.
  void Run(uint32_t n, float start = 0.1f)
  {
    for (int c = 0; c < 2; ++c) {
      in[c].resize(n);
      out[c].assign(n, -7.0f);
      for (uint32_t i = 0; i < n; ++i) in[c][i] = start + (float)(i + 100 * c) * 1e-3f;
      d->connect_port(h, kInL + c, in[c].data());
      d->connect_port(h, kOutL + c, out[c].data());
    }
    d->run(h, n);
  }
};

TEST(LV2Quality, TheQualityAndLatencyPortsComeAfterTheAudioPorts)
{
  Instance inst;
  ASSERT_NE(inst.h, nullptr);
  ASSERT_EQ(inst.Plug()->NPorts(), kNumPorts);
  const struct
  {
    int port;
    IPlugLV2::EPortKind kind;
    const char* symbol;
    const char* name;
  } cases[] = {
      {kGain, IPlugLV2::kPortControlIn, "Gain", "Gain"},
      {kInL, IPlugLV2::kPortAudioIn, "in_l", "Input L"},
      {kOutL + 1, IPlugLV2::kPortAudioOut, "out_r", "Output R"},
      {kQualityPort, IPlugLV2::kPortQuality, "quality", "Quality"},
      {kLatencyPort, IPlugLV2::kPortLatency, "latency", "Latency"},
      {kNumPorts, IPlugLV2::kPortNone, "", ""},
  };
  for (const auto& c : cases) {
    int idx;
    EXPECT_EQ(inst.Plug()->PortKind(c.port, &idx), c.kind) << c.port;
    EXPECT_STREQ(inst.Plug()->PortSymbol(c.port), c.symbol) << c.port;
    EXPECT_STREQ(inst.Plug()->PortName(c.port), c.name) << c.port;
  }
}

TEST(LV2Quality, ThePortValueIsRoundedAndClampedIntoTheQualityRange)
{
  const struct
  {
    float value;
    int quality;
  } cases[] = {{0.0f, 0},     {63.4f, 63},   {63.6f, 64}, {64.0f, 64},     {126.0f, 126},
               {127.0f, 127}, {500.0f, 127}, {-3.0f, 0},  {INFINITY, 127}, {-INFINITY, 0}};
  for (const auto& c : cases) {
    Instance inst;
    inst.quality = 100.0f;
    inst.Run(4);
    inst.quality = c.value;
    inst.Run(4);
    EXPECT_EQ(inst.Plug()->GetRenderQuality(), c.quality) << c.value;
    EXPECT_EQ(inst.latency, (float)TestQuality::LatencyOf(c.quality)) << c.value;
  }
}

TEST(LV2Quality, AQualityIsAppliedOnceAndANaNLeavesThePreviousOne)
{
  Instance inst;
  inst.quality = 127.0f;
  inst.Run(4);
  inst.Run(4);
  EXPECT_EQ(inst.Plug()->qualityCalls, 1);
  inst.quality = NAN;
  inst.Run(4);
  EXPECT_EQ(inst.Plug()->GetRenderQuality(), 127);
  EXPECT_EQ(inst.Plug()->qualityCalls, 1);
  EXPECT_EQ(inst.latency, 7.0f);
}

TEST(LV2Quality, AQualityThroughThePortSoundsAsTheSameQualitySetDirectly)
{
  for (int quality : {0, 63, 64, 100, 127}) {
    Instance byPort, direct(false);
    byPort.quality = (float)quality;
    ASSERT_TRUE(direct.Plug()->SetRenderQuality(quality));
    // The quality is in place before the first frame of the run that brings it.
    byPort.Run(300);
    direct.Run(300);
    for (int c = 0; c < 2; ++c) EXPECT_EQ(byPort.out[c], direct.out[c]) << quality;
    const int latency = TestQuality::LatencyOf(quality);
    EXPECT_FLOAT_EQ(byPort.out[0][latency], byPort.in[0][0] * (1.0f + quality / 1000.0f)) << quality;
    if (latency) {
      EXPECT_EQ(byPort.out[0][latency - 1], 0.0f) << quality;
    }
    EXPECT_EQ(byPort.latency, (float)latency);
    EXPECT_EQ(direct.latency, (float)latency);
  }
}

TEST(LV2Quality, ChangingTheQualityInRunAllocatesNothing)
{
  Instance inst;
  inst.Run(4096);  // buffers sized outside the count
  core_test::StartCountingAllocations();
  for (float quality : {64.0f, 127.0f, 0.0f, 127.0f, 90.0f}) {
    inst.quality = quality;
    inst.d->run(inst.h, 4096);
    EXPECT_EQ(inst.latency, (float)TestQuality::LatencyOf((int)quality));
  }
  EXPECT_EQ(core_test::StopCountingAllocations(), 0);
}

TEST(LV2Quality, TheTurtleDescribesTheQualityLevelsAndTheLatencyPort)
{
  LV2BundleOptions options;
  options.mBinary = "TestQuality.so";
  options.mPluginsFile = "TestQuality.ttl";
  LV2BundleText text;
  std::string error;
  ASSERT_TRUE(MakeLV2BundleText(GetIPlugLV2Factory(), options, &text, &error)) << error;
  const char* wanted[] = {
      ("\t\ta lv2:InputPort , lv2:ControlPort ;\n\t\tlv2:index 5 ;\n\t\tlv2:symbol \"quality\" ;\n"
       "\t\tlv2:name \"Quality\" ;\n\t\tlv2:default 0.0 ;\n\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum 127.0 ;\n"
       "\t\tlv2:portProperty lv2:integer , lv2:enumeration ;\n"
       "\t\tlv2:scalePoint [ rdfs:label \"standard\" ; rdf:value 0.0 ] ;\n"
       "\t\tlv2:scalePoint [ rdfs:label \"high\" ; rdf:value 64.0 ] ;\n"
       "\t\tlv2:scalePoint [ rdfs:label \"best\" ; rdf:value 127.0 ]\n"),
      ("\t\ta lv2:OutputPort , lv2:ControlPort ;\n\t\tlv2:index 6 ;\n\t\tlv2:symbol \"latency\" ;\n"
       "\t\tlv2:name \"Latency\" ;\n"),
      "\t\tlv2:designation lv2:latency ;\n\t\tlv2:portProperty lv2:reportsLatency , lv2:integer\n",
      // The mono plug-in's pair follows its two audio ports.
      "\t\tlv2:index 3 ;\n\t\tlv2:symbol \"quality\" ;",
      "\t\tlv2:index 4 ;\n\t\tlv2:symbol \"latency\" ;",
  };
  for (const char* w : wanted) EXPECT_NE(text.mPlugins.find(w), std::string::npos) << w;
}

}  // namespace
