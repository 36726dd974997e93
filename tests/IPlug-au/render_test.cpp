// The render path through the host API: bit-exact against the product's own processing,
// input pulls, notifications, refusals, bypass, parameters and transport.
#include "AUTestHost.h"
#include "Kelvo/Kelvo.h"

#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <math.h>
#include <string.h>
#include <memory>
#include <string>
#include <vector>

namespace {
const UInt32 kMaxFrames = 4096;

// Where the input comes from.
enum Source { kCallback, kUpstreamFast, kUpstreamSlow };

// One parameter change applied before block `atFrame`.
struct Change
{
  size_t atFrame;
  int param;
  float value;
};

const Change kChanges[] = {
    {30000, 2, 0.75f}, {30000, 0, -6.0f}, {200000, 1, 0.1f}, {300000, 3, 1.0f}, {350000, 3, 0.0f}};

// The product fed directly: the same float input, the same block boundaries and changes.
std::vector<float> Reference(size_t total, UInt32 block, int channel0Or1, std::vector<float>* other)
{
  IPlugInstanceInfo info;
  std::unique_ptr<Kelvo> plug(new Kelvo(info));
  plug->SetSampleRate(44100.0);
  plug->SetBlockSize(kMaxFrames);
  plug->OnParamReset();
  std::vector<float> src[2] = {TestSignal(total, 0), TestSignal(total, 1)};
  std::vector<float> out[2] = {std::vector<float>(total), std::vector<float>(total)};
  std::vector<double> in[2], res[2];
  for (int c = 0; c < 2; ++c) {
    in[c].resize(block);
    res[c].resize(block);
  }
  size_t next = 0;
  for (size_t pos = 0; pos < total; pos += block) {
    for (; next < sizeof(kChanges) / sizeof(kChanges[0]) && kChanges[next].atFrame <= pos; ++next) {
      plug->GetParam(kChanges[next].param)->Set(kChanges[next].value);
      plug->OnParamChange(kChanges[next].param);
    }
    size_t n = std::min<size_t>(block, total - pos);
    for (int c = 0; c < 2; ++c)
      for (size_t i = 0; i < n; ++i) in[c][i] = src[c][pos + i];
    double* ins[2] = {in[0].data(), in[1].data()};
    double* outs[2] = {res[0].data(), res[1].data()};
    unsigned csr = _mm_getcsr();
    _mm_setcsr(csr | 0x8040);  // the processing frame runs with flush-to-zero and denormals-are-zero
    plug->ProcessDoubleReplacing(ins, outs, (int)n);
    _mm_setcsr(csr);
    for (int c = 0; c < 2; ++c)
      for (size_t i = 0; i < n; ++i) out[c][pos + i] = (float)res[c][i];
  }
  *other = out[1 - channel0Or1];
  return out[channel0Or1];
}

struct Upstream
{
  AudioUnit unit = nullptr;
  ~Upstream()
  {
    if (unit) AudioComponentInstanceDispose(unit);
  }
};

// Renders total frames through a unit in blocks, applying kChanges, and returns both channels.
void RenderThroughUnit(Source source, size_t total, UInt32 block, std::vector<float> out[2])
{
  TestUnit unit;
  ASSERT_EQ(SetFloatIO(unit, 2, 44100.0, kMaxFrames), noErr);
  RenderHarness h(unit);
  Upstream up;
  if (source == kCallback) {
    h.source[0] = TestSignal(total, 0);
    h.source[1] = TestSignal(total, 1);
    ASSERT_EQ(h.Connect(), noErr);
  } else {
    ASSERT_EQ(AudioComponentInstanceNew(TestGenerator::Component(source == kUpstreamFast), &up.unit), noErr);
    AudioUnitConnection conn = {up.unit, 0, 0};
    ASSERT_EQ(SetProp(unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, conn), noErr);
  }
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  size_t next = 0;
  for (size_t pos = 0; pos < total; pos += block) {
    for (; next < sizeof(kChanges) / sizeof(kChanges[0]) && kChanges[next].atFrame <= pos; ++next)
      ASSERT_EQ(AudioUnitSetParameter(unit, kChanges[next].param, 0, 0, kChanges[next].value, 0), noErr);
    ASSERT_EQ(h.RenderBlock((UInt32)std::min<size_t>(block, total - pos)), noErr);
  }
  out[0] = h.output[0];
  out[1] = h.output[1];
}

size_t FirstMismatch(const std::vector<float>& a, const std::vector<float>& b)
{
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i)
    if (memcmp(&a[i], &b[i], sizeof(float))) return i;
  return (size_t)-1;
}

struct Case
{
  Source source;
  UInt32 block;
  size_t total;
};

class AURenderExact : public ::testing::TestWithParam<Case>
{
};

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
  const char* names[] = {"Callback", "UpstreamFast", "UpstreamSlow"};
  return std::string(names[info.param.source]) + "_Block" + std::to_string(info.param.block);
}
}  // namespace

// Ten seconds of stereo through the host API give exactly the product's own samples.
TEST_P(AURenderExact, MatchesDirectProcessing)
{
  const Case& c = GetParam();
  std::vector<float> got[2];
  RenderThroughUnit(c.source, c.total, c.block, got);
  if (HasFatalFailure()) return;
  std::vector<float> ref1;
  std::vector<float> ref0 = Reference(c.total, c.block, 0, &ref1);
  EXPECT_EQ(FirstMismatch(got[0], ref0), (size_t)-1);
  EXPECT_EQ(FirstMismatch(got[1], ref1), (size_t)-1);
}

INSTANTIATE_TEST_SUITE_P(Blocks, AURenderExact,
                         ::testing::Values(Case{kCallback, 1, 400000}, Case{kCallback, 64, 441000},
                                           Case{kCallback, 512, 441000}, Case{kCallback, kMaxFrames, 441000},
                                           Case{kUpstreamFast, 512, 441000}, Case{kUpstreamSlow, 64, 441000},
                                           Case{kUpstreamSlow, kMaxFrames, 441000}),
                         CaseName);

namespace {
// A unit set up for stereo with a render callback and a 512-frame maximum.
struct Stereo
{
  TestUnit unit;
  RenderHarness h{unit};
  explicit Stereo(size_t frames = 8192)
  {
    EXPECT_EQ(SetFloatIO(unit, 2, 44100.0, 512), noErr);
    h.source[0] = TestSignal(frames, 0);
    h.source[1] = TestSignal(frames, 1);
    EXPECT_EQ(h.Connect(), noErr);
    EXPECT_EQ(AudioUnitInitialize(unit), noErr);
  }
};

std::vector<std::string> gOrder;
OSStatus Notify(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                AudioBufferList*)
{
  std::string tag = (const char*)refCon;
  if (*flags & kAudioUnitRenderAction_PreRender) gOrder.push_back("pre-" + tag);
  if (*flags & kAudioUnitRenderAction_PostRender) gOrder.push_back("post-" + tag);
  return noErr;
}

OSStatus FailingInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  gOrder.push_back("input");
  return -1234;
}
}  // namespace

TEST(AURender, RefusalsDoNothing)
{
  Stereo s;
  gOrder.clear();
  ASSERT_EQ(AudioUnitAddRenderNotify(s.unit, Notify, (void*)"a"), noErr);
  EXPECT_EQ(s.h.RenderBlock(512), noErr);
  EXPECT_EQ(s.h.RenderBlock(513), kAudioUnitErr_InvalidPropertyValue);
  s.h.timestampFlags = 0;
  EXPECT_EQ(s.h.RenderBlock(64), kAudioUnitErr_InvalidPropertyValue);
  s.h.timestampFlags = kAudioTimeStampSampleTimeValid;
  EXPECT_EQ(gOrder.size(), 2u) << "refused renders call no notification";

  // Another output bus, no buffer list, more buffers than the bus carries, a short buffer.
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof(ts));
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  struct
  {
    UInt32 n;
    AudioBuffer b[3];
  } list;
  float buf[3][64];
  list.n = 3;
  for (int i = 0; i < 3; ++i) list.b[i] = {1, sizeof(buf[i]), buf[i]};
  EXPECT_EQ(AudioUnitRender(s.unit, &flags, &ts, 1, 64, (AudioBufferList*)&list), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitRender(s.unit, &flags, &ts, 0, 64, nullptr), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitRender(s.unit, &flags, &ts, 0, 64, (AudioBufferList*)&list), kAudioUnitErr_InvalidPropertyValue);
  list.n = 2;
  list.b[1].mDataByteSize = 16;
  EXPECT_EQ(AudioUnitRender(s.unit, &flags, &ts, 0, 64, (AudioBufferList*)&list), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(gOrder.size(), 2u);
}

TEST(AURender, NotificationsSurroundTheInputPullOncePerTimestamp)
{
  Stereo s;
  gOrder.clear();
  ASSERT_EQ(AudioUnitAddRenderNotify(s.unit, Notify, (void*)"a"), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(s.unit, Notify, (void*)"b"), noErr);
  ASSERT_EQ(s.h.RenderBlock(64), noErr);
  EXPECT_EQ(s.h.callbacks, 1);
  std::vector<std::string> want = {"pre-a", "pre-b", "post-a", "post-b"};
  EXPECT_EQ(gOrder, want);

  // The same timestamp again: no second pull.
  s.h.sampleTime -= 64;
  ASSERT_EQ(s.h.RenderBlock(64), noErr);
  EXPECT_EQ(s.h.callbacks, 1);
  ASSERT_EQ(s.h.RenderBlock(64), noErr);
  EXPECT_EQ(s.h.callbacks, 2);

  // Removal takes the first record with the callback; removing an unknown one changes nothing.
  ASSERT_EQ(AudioUnitRemoveRenderNotify(s.unit, (AURenderCallback)FailingInput, nullptr), noErr);
  ASSERT_EQ(AudioUnitRemoveRenderNotify(s.unit, Notify, (void*)"b"), noErr);
  gOrder.clear();
  ASSERT_EQ(s.h.RenderBlock(64), noErr);
  want = {"pre-b", "post-b"};
  EXPECT_EQ(gOrder, want);
}

TEST(AURender, InputErrorsEndTheRenderWithoutPostNotification)
{
  Stereo s;
  gOrder.clear();
  ASSERT_EQ(AudioUnitAddRenderNotify(s.unit, Notify, (void*)"a"), noErr);
  AURenderCallbackStruct cb = {FailingInput, nullptr};
  ASSERT_EQ(SetProp(s.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
  EXPECT_EQ(s.h.RenderBlock(64), -1234);
  std::vector<std::string> want = {"pre-a", "input"};
  EXPECT_EQ(gOrder, want);
}

TEST(AURender, NullOutputPointersGetTheUnitsOwnBuffers)
{
  Stereo a, b;
  ASSERT_EQ(a.h.RenderBlock(256, true), noErr);
  ASSERT_EQ(b.h.RenderBlock(256, false), noErr);
  AudioBufferList* list = a.h.lastList();
  ASSERT_NE(list->mBuffers[0].mData, nullptr);
  ASSERT_NE(list->mBuffers[1].mData, nullptr);
  EXPECT_NE(list->mBuffers[0].mData, list->mBuffers[1].mData);
  EXPECT_EQ(a.h.output[0], b.h.output[0]);
  EXPECT_EQ(a.h.output[1], b.h.output[1]);
}

TEST(AURender, BypassPassesInputThroughBitForBit)
{
  Stereo s;
  ASSERT_EQ(SetProp(s.unit, kAudioUnitProperty_BypassEffect, 0, 0, (UInt32)1), noErr);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(s.h.RenderBlock(512), noErr);
  for (int c = 0; c < 2; ++c)
    EXPECT_EQ(FirstMismatch(s.h.output[c], std::vector<float>(s.h.source[c].begin(), s.h.source[c].begin() + 2048)),
              (size_t)-1);
  ASSERT_EQ(SetProp(s.unit, kAudioUnitProperty_BypassEffect, 0, 0, (UInt32)0), noErr);
  ASSERT_EQ(s.h.RenderBlock(512), noErr);
  EXPECT_NE(s.h.output[0][2048 + 100], s.h.source[0][2048 + 100]);
}

TEST(AURender, MonoAndDisconnectedInputs)
{
  // Mono in and out: channel 0 is processed, nothing touches a second buffer.
  TestUnit unit;
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Input, 1), noErr);
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Output, 1), noErr);
  RenderHarness h(unit, 1);
  h.source[0] = TestSignal(2048, 0);
  ASSERT_EQ(h.Connect(), noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  ASSERT_EQ(h.RenderBlock(1024), noErr);
  EXPECT_NE(h.output[0][500], 0.0f);

  // Without any source the unit reads silence and, like the circuit, gives exact zeros.
  TestUnit silent;
  ASSERT_EQ(AudioUnitInitialize(silent), noErr);
  RenderHarness hs(silent);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(hs.RenderBlock(1024), noErr);
  EXPECT_EQ(hs.callbacks, 0);
  for (int c = 0; c < 2; ++c)
    for (float v : hs.output[c]) ASSERT_EQ(v, 0.0f);
}

TEST(AURender, ConnectionsFollowTheLastSetting)
{
  Stereo s;
  Upstream up;
  ASSERT_EQ(AudioComponentInstanceNew(TestGenerator::Component(true), &up.unit), noErr);
  TestGenerator::renders = TestGenerator::fastRenders = 0;
  AudioUnitConnection conn = {up.unit, 0, 0};
  ASSERT_EQ(SetProp(s.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, conn), noErr);
  ASSERT_EQ(s.h.RenderBlock(64), noErr);
  EXPECT_EQ(TestGenerator::fastRenders, 1);
  EXPECT_EQ(s.h.callbacks, 0);

  // Refused: a destination bus that does not exist, a source output without a format.
  AudioUnitConnection bad = {up.unit, 0, 1};
  EXPECT_EQ(SetProp(s.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, bad),
            kAudioUnitErr_InvalidProperty);
  AudioUnitConnection badSource = {up.unit, 3, 0};
  EXPECT_EQ(SetProp(s.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, badSource),
            kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(s.h.RenderBlock(64), noErr);
  EXPECT_EQ(TestGenerator::renders, 1) << "the refused connection left the bus unconnected";

  // Back to the render callback.
  ASSERT_EQ(s.h.Connect(), noErr);
  ASSERT_EQ(s.h.RenderBlock(64), noErr);
  EXPECT_EQ(s.h.callbacks, 1);
  // Disconnection through a null source.
  AudioUnitConnection none = {nullptr, 0, 0};
  ASSERT_EQ(SetProp(s.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, none), noErr);
  ASSERT_EQ(s.h.RenderBlock(64), noErr);
  EXPECT_EQ(s.h.callbacks, 1);
}

TEST(AURender, RenderCallbackBeforeAnyFormatAssumesThePluginChannels)
{
  TestUnit unit;
  RenderHarness h(unit);
  h.source[0] = TestSignal(512, 0);
  h.source[1] = TestSignal(512, 1);
  ASSERT_EQ(h.Connect(), noErr);
  AudioStreamBasicDescription f;
  ASSERT_EQ(GetProp(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 2u);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  ASSERT_EQ(h.RenderBlock(256), noErr);
  EXPECT_EQ(h.callbacks, 1);
  EXPECT_NE(h.lastScratch[0], nullptr);
  EXPECT_EQ(h.lastScratch[1], h.lastScratch[0] + 256) << "channel j reads the scratch at j x frames";
}

TEST(AUParameters, GetSetAndSchedule)
{
  TestUnit unit;
  struct Case
  {
    AudioUnitParameterID id;
    AudioUnitScope scope;
    float set;
    OSStatus status;
    float after;
  } cases[] = {
      {0, 0, -20.f, noErr, -20.f},
      {0, 0, -100.f, noErr, -40.f},
      {0, 0, 5.f, noErr, 0.f},
      {2, 0, 0.5f, noErr, 0.5f},
      {2, 0, 0.f, noErr, 0.05f},
      {3, 0, 1.f, noErr, 1.f},
      {1, 1, 0.2f, kAudioUnitErr_InvalidProperty, 0.7f},
      {4, 0, 0.f, kAudioUnitErr_InvalidElement, 0.f},
      {1, 0, NAN, kAudioUnitErr_InvalidPropertyValue, 0.7f},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AudioUnitSetParameter(unit, c.id, c.scope, 0, c.set, 0), c.status) << c.id << " " << c.set;
    AudioUnitParameterValue v = 0;
    if (c.id < 4) {
      ASSERT_EQ(AudioUnitGetParameter(unit, c.id, 0, 0, &v), noErr);
      EXPECT_FLOAT_EQ(v, c.after) << c.id << " " << c.set;
    } else
      EXPECT_EQ(AudioUnitGetParameter(unit, c.id, 0, 0, &v), kAudioUnitErr_InvalidElement);
  }
  AudioUnitParameterValue v;
  EXPECT_EQ(AudioUnitGetParameter(unit, 0, kAudioUnitScope_Input, 0, &v), kAudioUnitErr_InvalidProperty);

  AudioUnitParameterEvent events[3];
  memset(events, 0, sizeof(events));
  events[0].parameter = 1;
  events[0].eventType = kParameterEvent_Ramped;
  events[0].eventValues.ramp.startValue = 0.1f;
  events[0].eventValues.ramp.endValue = 0.2f;
  events[1].parameter = 1;
  events[1].eventType = kParameterEvent_Immediate;
  events[1].eventValues.immediate.value = 0.4f;
  events[2].parameter = 2;
  events[2].scope = kAudioUnitScope_Input;
  events[2].eventType = kParameterEvent_Immediate;
  events[2].eventValues.immediate.value = 0.9f;
  EXPECT_EQ(AudioUnitScheduleParameters(unit, events, 1), noErr);
  ASSERT_EQ(AudioUnitGetParameter(unit, 1, 0, 0, &v), noErr);
  EXPECT_FLOAT_EQ(v, 0.7f) << "a ramp changes nothing";
  EXPECT_EQ(AudioUnitScheduleParameters(unit, events, 3), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(AudioUnitGetParameter(unit, 1, 0, 0, &v), noErr);
  EXPECT_FLOAT_EQ(v, 0.4f);
  ASSERT_EQ(AudioUnitGetParameter(unit, 2, 0, 0, &v), noErr);
  EXPECT_FLOAT_EQ(v, 0.05f) << "the walk stopped at the input-scope event";
}
