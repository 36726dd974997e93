// Notifications to the host, host identification, transport queries and the old-style view entry.
#include "AUTestHost.h"
#include "IPlugAU.h"

#include <gtest/gtest.h>

#include <string.h>
#include <vector>

namespace {
IPlugAU* PlugOf(AudioUnit unit)
{
  IPlugAU* plug = nullptr;
  EXPECT_EQ(GetProp(unit, (AudioUnitPropertyID)-101, 0, 0, plug), noErr);
  return plug;
}

struct Event
{
  AudioUnitEventType type;
  AudioUnit unit;
  AudioUnitParameterID id;
  AudioUnitScope scope;
};
std::vector<Event> gEvents;

void OnEvent(void*, void*, const AudioUnitEvent* e, UInt64, AudioUnitParameterValue)
{
  gEvents.push_back({e->mEventType, e->mArgument.mParameter.mAudioUnit, e->mArgument.mParameter.mParameterID,
                     e->mArgument.mParameter.mScope});
}

double gLatencySeen = -1.0;
int gPresetCalls = 0;
void LatencyListener(void*, AudioUnit unit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  Float64 seconds = -1.0;
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_Latency, 0, 0, seconds), noErr);
  gLatencySeen = seconds;
}
void PresetListener(void*, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
  EXPECT_EQ(id, kAudioUnitProperty_PresentPreset);
  ++gPresetCalls;
}

// The host's transport, as the callbacks report it.
struct Transport
{
  Float64 beat, tempo, sample, cycleStart, cycleEnd, downBeat;
  Float32 num;
  UInt32 denom;
  Boolean playing, cycling;
} gTransport;

OSStatus BeatAndTempo(void*, Float64* beat, Float64* tempo)
{
  if (beat) *beat = gTransport.beat;
  if (tempo) *tempo = gTransport.tempo;
  return noErr;
}
OSStatus MusicalTime(void*, UInt32* offset, Float32* num, UInt32* denom, Float64* downBeat)
{
  if (offset) *offset = 0;
  if (num) *num = gTransport.num;
  if (denom) *denom = gTransport.denom;
  if (downBeat) *downBeat = gTransport.downBeat;
  return noErr;
}
OSStatus TransportState(void*, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling, Float64* start,
                        Float64* end)
{
  if (playing) *playing = gTransport.playing;
  if (changed) *changed = false;
  if (sample) *sample = gTransport.sample;
  if (cycling) *cycling = gTransport.cycling;
  if (start) *start = gTransport.cycleStart;
  if (end) *end = gTransport.cycleEnd;
  return noErr;
}
}  // namespace

TEST(AUNotify, GesturesAndChangesReachEventListeners)
{
  TestUnit unit;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(OnEvent, nullptr, nullptr, nullptr, 0.f, 0.f, &listener), noErr);
  for (AudioUnitEventType type : {kAudioUnitEvent_ParameterValueChange, kAudioUnitEvent_BeginParameterChangeGesture,
                                  kAudioUnitEvent_EndParameterChangeGesture}) {
    AudioUnitEvent e;
    memset(&e, 0, sizeof(e));
    e.mEventType = type;
    e.mArgument.mParameter.mAudioUnit = unit;
    e.mArgument.mParameter.mParameterID = kAUParameterListener_AnyParameter;
    ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &e), noErr);
  }
  gEvents.clear();
  IPlugAU* plug = PlugOf(unit);
  // One drag: begin, three steps, end.
  plug->BeginInformHostOfParamChange(2);
  for (double v : {0.2, 0.4, 0.6}) plug->SetParameterFromGUI(2, v);
  plug->EndInformHostOfParamChange(2);
  ASSERT_EQ(gEvents.size(), 5u);
  std::vector<AudioUnitEventType> want = {1, 0, 0, 0, 2};
  for (size_t i = 0; i < gEvents.size(); ++i) {
    EXPECT_EQ(gEvents[i].type, want[i]);
    EXPECT_EQ(gEvents[i].unit, unit.Get());
    EXPECT_EQ(gEvents[i].id, 2u);
    EXPECT_EQ(gEvents[i].scope, 0u);
  }
  // A host's own set sends nothing back.
  ASSERT_EQ(AudioUnitSetParameter(unit, 2, 0, 0, 0.5f, 0), noErr);
  EXPECT_EQ(gEvents.size(), 5u);
  AUListenerDispose(listener);
}

TEST(AUNotify, LatencyAndProgramListeners)
{
  TestUnit unit;
  IPlugAU* plug = PlugOf(unit);
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, LatencyListener, nullptr), noErr);
  gLatencySeen = -1.0;
  plug->SetLatency(441);
  EXPECT_DOUBLE_EQ(gLatencySeen, 0.01) << "a listener that asks sees the new latency";
  Float64 seconds = 0;
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_Latency, 0, 0, seconds), noErr);
  EXPECT_DOUBLE_EQ(seconds, 0.01);

  ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_PresentPreset, PresetListener, nullptr), noErr);
  gPresetCalls = 0;
  plug->InformHostOfProgramChange();
  EXPECT_EQ(gPresetCalls, 1);
  AUPreset pick = {0, nullptr};
  EXPECT_EQ(SetProp(unit, kAudioUnitProperty_PresentPreset, 0, 0, pick), noErr);
  EXPECT_EQ(gPresetCalls, 2);
}

TEST(AUNotify, HostIsIdentifiedOnceAndByItsIdentifier)
{
  TestUnit unit;
  IPlugAU* plug = PlugOf(unit);
  EXPECT_EQ(plug->GetHost(), kHostUnknown) << "the test host's bundle matches no known host";
  EXPECT_EQ(plug->GetHost(), kHostUnknown);
  AUHostIdentifier id = {CFSTR("Logic Pro"), {0, 0, 0x21, 10}};
  ASSERT_EQ(SetProp(unit, kAudioUnitProperty_AUHostIdentifier, 0, 0, id), noErr);
  EXPECT_EQ(plug->GetHost(), kHostLogic);
  EXPECT_EQ(plug->GetHostVersion(false), 0xA0201);
  EXPECT_FALSE(plug->SendMidiMsg(nullptr));
  EXPECT_FALSE(plug->IsRenderingOffline());
  ASSERT_EQ(SetProp(unit, kAudioUnitProperty_OfflineRender, 0, 0, (UInt32)1), noErr);
  EXPECT_TRUE(plug->IsRenderingOffline());
}

TEST(AUTransport, QueriesFollowTheHostCallbacks)
{
  TestUnit unit;
  IPlugAU* plug = PlugOf(unit);
  // Without callbacks: the defaults, and the caller's values left alone.
  EXPECT_EQ(plug->GetTempo(), 120.0);
  EXPECT_EQ(plug->GetSamplePos(), 0);
  int num = 7, denom = 9;
  plug->GetTimeSig(&num, &denom);
  EXPECT_EQ(num, 7);
  EXPECT_EQ(denom, 9);
  ITimeInfo untouched;
  plug->GetTime(&untouched);
  EXPECT_EQ(untouched.mSamplePos, -1.0);

  HostCallbackInfo cb = {nullptr, BeatAndTempo, MusicalTime, TransportState};
  ASSERT_EQ(SetProp(unit, kAudioUnitProperty_HostCallbacks, 0, 0, cb), noErr);
  gTransport = {16.5, 98.5, 1000.6, 8.0, 24.0, 12.0, 3.0f, 8, true, true};
  EXPECT_EQ(plug->GetTempo(), 98.5);
  gTransport.tempo = 0.0;
  EXPECT_EQ(plug->GetTempo(), 98.5) << "a tempo of 0 keeps the last one";
  EXPECT_EQ(plug->GetSamplePos(), 1001);
  plug->GetTimeSig(&num, &denom);
  EXPECT_EQ(num, 3);
  EXPECT_EQ(denom, 8);

  ITimeInfo info;
  plug->GetTime(&info);
  EXPECT_EQ(info.mTempo, 120.0) << "tempo 0 leaves the caller's value";
  EXPECT_EQ(info.mPPQPos, 16.5);
  EXPECT_EQ(info.mSamplePos, 1000.6);
  EXPECT_EQ(info.mCycleStart, 8.0);
  EXPECT_EQ(info.mCycleEnd, 24.0);
  EXPECT_EQ(info.mLastBar, 12.0);
  EXPECT_EQ(info.mNumerator, 3);
  EXPECT_EQ(info.mDenominator, 8);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_TRUE(info.mTransportLoopEnabled);
}

TEST(AUViewEntry, CreateRemembersThePluginAndOpensOnlyIntoAWindow)
{
  KelvoComponent();
  ComponentDescription cd = {kAudioUnitCarbonViewComponentType, FourCC("Kel1"), FourCC("Qlmh"), 0, 0};
  Component viewComp = RegisterComponentBundleEntry(&cd, KelvoBundlePath().c_str(), "Kelvo_ViewEntry");
  ASSERT_NE(viewComp, nullptr);
  TestUnit unit(true);
  ComponentInstance view = nullptr;
  ASSERT_EQ(OpenAComponent(viewComp, &view), noErr);
  IPlugAU::CarbonViewRecord* record = (IPlugAU::CarbonViewRecord*)GetComponentInstanceStorage(view);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->mPlug, nullptr);
  void* control = (void*)1;
  long args[] = {(long)unit.Get(), 0, 0, 0, 0, (long)&control};
  const bool hasEditor = PlugOf(unit)->GetGUI() != nullptr;
  EXPECT_EQ(CallComponentWithArguments(view, kAudioUnitCarbonViewCreateSelect, args, 6),
            hasEditor ? (ComponentResult)paramErr : (ComponentResult)badComponentSelector)
      << "no window given";
  EXPECT_EQ(record->mPlug, PlugOf(unit));
  EXPECT_EQ(control, (void*)1);
  EXPECT_EQ(CallComponentWithArguments(view, 0x302, args, 0), (ComponentResult)badComponentSelector);
  EXPECT_EQ(CloseComponent(view), noErr);
}
