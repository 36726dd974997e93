// Audio unit events: matching, exclusions, values read from the unit, run-loop delivery,
// property events through the unit's listeners, and disposal.
#include "recording_unit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Received
{
  void* object;
  AudioUnitEvent event;
  AudioUnitParameterValue value;
};

void onEvent(void* refCon, void* object, const AudioUnitEvent* e, UInt64, AudioUnitParameterValue value)
{
  ((std::vector<Received>*)refCon)->push_back({object, *e, value});
}

AudioUnitEvent paramEvent(AudioUnitEventType type, AudioUnit u, AudioUnitParameterID id)
{
  AudioUnitEvent e = {};
  e.mEventType = type;
  e.mArgument.mParameter = {u, id, kAudioUnitScope_Global, 0};
  return e;
}

class Events : public ::testing::Test
{
protected:
  void SetUp() override { ASSERT_EQ(AudioComponentInstanceNew(rec::factoryComponent(), &unit), noErr); }
  void TearDown() override { AudioComponentInstanceDispose(unit); }
  AudioUnit unit = nullptr;
};

TEST_F(Events, DeliveredToMatchingListenersOnly)
{
  std::vector<Received> got;
  AUEventListenerRef listener = nullptr, other = nullptr;
  ASSERT_EQ(AUEventListenerCreate(onEvent, &got, nullptr, nullptr, 0.05f, 0.05f, &listener), noErr);
  ASSERT_EQ(AUEventListenerCreate(onEvent, &got, nullptr, nullptr, 0, 0, &other), noErr);
  int objA, objB;
  for (AudioUnitEventType t : {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                               kAudioUnitEvent_EndParameterChangeGesture}) {
    AudioUnitEvent e = paramEvent(t, unit, 2);
    ASSERT_EQ(AUEventListenerAddEventType(listener, &objA, &e), noErr);
  }
  AudioUnitEvent any = paramEvent(kAudioUnitEvent_ParameterValueChange, unit, kAUParameterListener_AnyParameter);
  ASSERT_EQ(AUEventListenerAddEventType(other, &objB, &any), noErr);

  struct Case
  {
    const char* name;
    AudioUnitEvent event;
    AUEventListenerRef sendingListener;
    void* sendingObject;
    std::vector<void*> receivers;
  };
  AudioUnitEvent scoped = paramEvent(kAudioUnitEvent_ParameterValueChange, unit, 2);
  scoped.mArgument.mParameter.mScope = kAudioUnitScope_Input;
  const std::vector<Case> cases = {
      {"begin gesture", paramEvent(kAudioUnitEvent_BeginParameterChangeGesture, unit, 2), nullptr, nullptr, {&objA}},
      {"value change", paramEvent(kAudioUnitEvent_ParameterValueChange, unit, 2), nullptr, nullptr, {&objA, &objB}},
      {"end gesture", paramEvent(kAudioUnitEvent_EndParameterChangeGesture, unit, 2), nullptr, nullptr, {&objA}},
      {"other parameter", paramEvent(kAudioUnitEvent_ParameterValueChange, unit, 3), nullptr, nullptr, {&objB}},
      {"other unit", paramEvent(kAudioUnitEvent_ParameterValueChange, (AudioUnit)&got, 2), nullptr, nullptr, {}},
      {"other scope", scoped, nullptr, nullptr, {}},
      {"sending listener excluded",
       paramEvent(kAudioUnitEvent_ParameterValueChange, unit, 2),
       listener,
       nullptr,
       {&objB}},
      {"sending object excluded", paramEvent(kAudioUnitEvent_ParameterValueChange, unit, 2), nullptr, &objB, {&objA}},
  };
  for (const Case& c : cases) {
    got.clear();
    EXPECT_EQ(AUEventListenerNotify(c.sendingListener, c.sendingObject, &c.event), noErr) << c.name;
    ASSERT_EQ(got.size(), c.receivers.size()) << c.name;
    for (size_t i = 0; i < got.size(); i++) {
      EXPECT_EQ(got[i].object, c.receivers[i]) << c.name;
      EXPECT_EQ(got[i].event.mEventType, c.event.mEventType) << c.name;
      EXPECT_EQ(got[i].event.mArgument.mParameter.mParameterID, c.event.mArgument.mParameter.mParameterID);
      // Value changes carry the parameter's value, read from the unit; gestures carry 0.
      EXPECT_EQ(got[i].value, c.event.mEventType == kAudioUnitEvent_ParameterValueChange ? 0.75f : 0.0f) << c.name;
    }
  }

  AudioUnitEvent begin = paramEvent(kAudioUnitEvent_BeginParameterChangeGesture, unit, 2);
  EXPECT_EQ(AUEventListenerRemoveEventType(listener, &objA, &begin), noErr);
  EXPECT_EQ(AUEventListenerRemoveEventType(listener, &objA, &begin), paramErr);  // removed already
  got.clear();
  AUEventListenerNotify(nullptr, nullptr, &begin);
  EXPECT_TRUE(got.empty());

  EXPECT_EQ(AUListenerDispose(listener), noErr);
  EXPECT_EQ(AUListenerDispose(listener), paramErr);
  got.clear();
  AudioUnitEvent change = paramEvent(kAudioUnitEvent_ParameterValueChange, unit, 2);
  AUEventListenerNotify(nullptr, nullptr, &change);
  EXPECT_EQ(got.size(), 1u);  // only the other listener remains
  // Events about a unit that is gone still reach their listeners, with no value read from it.
  AudioUnit gone;
  ASSERT_EQ(AudioComponentInstanceNew(rec::factoryComponent(), &gone), noErr);
  AudioUnitEvent goneChange = paramEvent(kAudioUnitEvent_ParameterValueChange, gone, 2);
  ASSERT_EQ(AUEventListenerAddEventType(other, &objB, &goneChange), noErr);
  AudioComponentInstanceDispose(gone);
  got.clear();
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &goneChange), noErr);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].value, 0.0f);
  EXPECT_EQ(AUListenerDispose(other), noErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, nullptr), paramErr);
}

TEST_F(Events, RunLoopListenersReceiveWhenTheLoopRuns)
{
  std::vector<Received> got;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(onEvent, &got, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0, 0, &listener), noErr);
  AudioUnitEvent e = paramEvent(kAudioUnitEvent_ParameterValueChange, unit, 1);
  AUEventListenerAddEventType(listener, nullptr, &e);
  AUEventListenerNotify(nullptr, nullptr, &e);
  AUEventListenerNotify(nullptr, nullptr, &e);
  EXPECT_TRUE(got.empty());
  while (CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1, true) == kCFRunLoopRunHandledSource) {
  }
  EXPECT_EQ(got.size(), 2u);

  // Queued events of a listener disposed before the loop runs are dropped.
  AUEventListenerNotify(nullptr, nullptr, &e);
  AUListenerDispose(listener);
  while (CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1, true) == kCFRunLoopRunHandledSource) {
  }
  EXPECT_EQ(got.size(), 2u);
}

TEST_F(Events, PropertyEventsFollowTheUnitsListeners)
{
  std::vector<Received> got;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(onEvent, &got, nullptr, nullptr, 0, 0, &listener), noErr);
  AudioUnitEvent e = {};
  e.mEventType = kAudioUnitEvent_PropertyChange;
  e.mArgument.mProperty = {unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0};
  int obj;
  ASSERT_EQ(AUEventListenerAddEventType(listener, &obj, &e), noErr);
  EXPECT_EQ(rec::listenerCount(unit), 1);

  SInt32 x = 0;
  AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &x, sizeof x);
  AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Input, 0, &x, sizeof x);  // other scope
  AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &x, sizeof x);  // other property
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].object, &obj);
  EXPECT_EQ(got[0].event.mArgument.mProperty.mPropertyID, (AudioUnitPropertyID)kAudioUnitProperty_PresentPreset);
  EXPECT_EQ(got[0].event.mArgument.mProperty.mAudioUnit, unit);

  EXPECT_EQ(AUListenerDispose(listener), noErr);
  EXPECT_EQ(rec::listenerCount(unit), 0);  // disposal takes the listener off the unit
}

TEST_F(Events, ParameterListenersAndParameterSet)
{
  struct Seen
  {
    int calls = 0;
    AudioUnitParameterID id = 0;
    AudioUnitParameterValue value = 0;
  } seen;
  AUParameterListenerRef l = nullptr;
  ASSERT_EQ(AUListenerCreate(
                [](void* ref, void*, const AudioUnitParameter* p, AudioUnitParameterValue v) {
                  Seen* s = (Seen*)ref;
                  s->calls++, s->id = p->mParameterID, s->value = v;
                },
                &seen, nullptr, nullptr, 0, &l),
            noErr);
  AudioUnitParameter p = {unit, 4, kAudioUnitScope_Global, 0};
  ASSERT_EQ(AUListenerAddParameter(l, nullptr, &p), noErr);
  rec::gLastCall.clear();
  EXPECT_EQ(AUParameterSet(nullptr, nullptr, &p, 0.25f, 0), noErr);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.id, 4u);
  EXPECT_EQ(seen.value, 0.75f);                                // read back from the unit after the set
  EXPECT_EQ(AUParameterSet(l, nullptr, &p, 0.25f, 0), noErr);  // the sender hears nothing
  EXPECT_EQ(seen.calls, 1);
  AudioUnitParameter bad = {unit, 4, kAudioUnitScope_Global, 0};
  bad.mAudioUnit = nullptr;
  EXPECT_EQ(AUParameterSet(nullptr, nullptr, &bad, 0.25f, 0), badComponentInstance);
  EXPECT_EQ(AUListenerRemoveParameter(l, nullptr, &p), noErr);
  EXPECT_EQ(AUListenerDispose(l), noErr);
}

}  // namespace
