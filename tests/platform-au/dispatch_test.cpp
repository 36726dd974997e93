// Every host call reaches the unit with its arguments in order, through the factory's Lookup
// and through the component entry alike; registry lookups; Gestalt.
#include "recording_unit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char* f, ...)
{
  char buf[512];
  va_list ap;
  va_start(ap, f);
  vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}

void listener(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}
OSStatus notify(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  return noErr;
}

struct Kind
{
  const char* name;
  std::function<OSStatus(AudioUnit*)> open;
  std::function<OSStatus(AudioUnit)> close;
};

class Dispatch : public ::testing::TestWithParam<int>
{
protected:
  static std::vector<Kind> kinds()
  {
    return {{"factory", [](AudioUnit* u) { return AudioComponentInstanceNew(rec::factoryComponent(), u); },
             [](AudioUnit u) { return AudioComponentInstanceDispose(u); }},
            {"entry", [](AudioUnit* u) { return (OSStatus)OpenAComponent(rec::entryComponent(), u); },
             [](AudioUnit u) { return (OSStatus)CloseComponent(u); }}};
  }
};

TEST_P(Dispatch, EveryCallArrivesWithItsArguments)
{
  Kind kind = kinds()[(size_t)GetParam()];
  AudioUnit u = nullptr;
  ASSERT_EQ(kind.open(&u), noErr) << kind.name;
  ASSERT_NE(u, nullptr);

  UInt32 size = 0;
  Boolean writable = 0;
  char data[16];
  AudioUnitParameterValue value = 0;
  AudioUnitRenderActionFlags flags = 0;
  AudioTimeStamp ts = {};
  AudioBufferList list = {};
  AudioUnitParameterEvent events[2] = {};
  NoteInstanceID note = 0;
  MusicDeviceNoteParams noteParams = {};
  const UInt8 sysex[] = {0xF0, 0xF7};
  void* user = &size;
  void* pl = (void*)listener;
  void* pn = (void*)notify;

  struct Case
  {
    std::function<OSStatus()> call;
    std::string expect;
  };
  const std::vector<Case> cases = {
      {[&] { return AudioUnitInitialize(u); }, "Initialize"},
      {[&] { return AudioUnitUninitialize(u); }, "Uninitialize"},
      {[&] { return AudioUnitGetPropertyInfo(u, 8, 1, 2, &size, &writable); },
       fmt("GetPropertyInfo 8 1 2 %p %p", (void*)&size, (void*)&writable)},
      {[&] { return AudioUnitGetProperty(u, 0xFFFFFF9B, 0, 0, data, &size); },  // -101
       fmt("GetProperty 4294967195 0 0 %p %p", (void*)data, (void*)&size)},
      {[&] { return AudioUnitSetProperty(u, 14, 0, 3, data, 4); }, fmt("SetProperty 14 0 3 %p 4", (void*)data)},
      {[&] { return AudioUnitGetParameter(u, 3, 0, 1, &value); }, fmt("GetParameter 3 0 1 %p", (void*)&value)},
      {[&] { return AudioUnitSetParameter(u, 3, 0, 1, 0.5f, 7); }, "SetParameter 3 0 1 0.5 7"},
      {[&] { return AudioUnitSetParameter(u, 1, 2, 3, -1.25e-3f, 0xFFFFFFFF); },
       "SetParameter 1 2 3 -0.00125 4294967295"},
      {[&] { return AudioUnitReset(u, 2, 5); }, "Reset 2 5"},
      {[&] { return AudioUnitAddPropertyListener(u, 36, listener, user); },
       fmt("AddPropertyListener 36 %p %p", pl, user)},
      {[&] { return AudioUnitRemovePropertyListenerWithUserData(u, 36, listener, user); },
       fmt("RemovePropertyListenerWithUserData 36 %p %p", pl, user)},
      {[&] { return AudioUnitRemovePropertyListener(u, 12, listener); }, fmt("RemovePropertyListener 12 %p", pl)},
      {[&] { return AudioUnitAddRenderNotify(u, notify, user); }, fmt("AddRenderNotify %p %p", pn, user)},
      {[&] { return AudioUnitRemoveRenderNotify(u, notify, user); }, fmt("RemoveRenderNotify %p %p", pn, user)},
      {[&] { return AudioUnitScheduleParameters(u, events, 2); }, fmt("ScheduleParameters %p 2", (void*)events)},
      {[&] { return AudioUnitRender(u, &flags, &ts, 1, 512, &list); },
       fmt("Render %p %p 1 512 %p", (void*)&flags, (void*)&ts, (void*)&list)},
      {[&] { return MusicDeviceMIDIEvent(u, 0x90, 60, 100, 12); }, "MIDIEvent 144 60 100 12"},
      {[&] { return MusicDeviceSysEx(u, sysex, 2); }, fmt("SysEx %p 2", (const void*)sysex)},
      {[&] { return MusicDeviceStartNote(u, 1, 2, &note, 3, &noteParams); },
       fmt("StartNote 1 2 %p 3 %p", (void*)&note, (void*)&noteParams)},
      {[&] { return MusicDeviceStopNote(u, 2, 64, 9); }, "StopNote 2 64 9"},
  };
  for (const Case& c : cases) {
    rec::gLastCall.clear();
    EXPECT_EQ(c.call(), noErr) << kind.name << ": " << c.expect;
    EXPECT_EQ(rec::gLastCall, c.expect) << kind.name;
  }
  EXPECT_EQ(AudioUnitGetParameter(u, 99, 0, 0, &value), kAudioUnitErr_InvalidParameter);  // the unit's own status
  EXPECT_EQ(AudioUnitGetParameter(u, 1, 0, 0, &value), noErr);
  EXPECT_EQ(value, 0.75f);
  EXPECT_TRUE(AudioComponentInstanceCanDo(u, kAudioUnitRenderSelect));
  EXPECT_FALSE(AudioComponentInstanceCanDo(u, kAudioUnitProcessSelect));
  EXPECT_EQ(kind.close(u), noErr);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Dispatch, ::testing::Values(0, 1), [](const ::testing::TestParamInfo<int>& i) {
  return std::string(i.param ? "Entry" : "Factory");
});

TEST(Dispatch, BadInstancesAndMissingSelectors)
{
  AudioUnitParameterValue v;
  EXPECT_EQ(AudioUnitGetParameter(nullptr, 0, 0, 0, &v), badComponentInstance);
  EXPECT_EQ(AudioUnitRender(nullptr, nullptr, nullptr, 0, 0, nullptr), badComponentInstance);
  EXPECT_EQ(AudioComponentInstanceDispose(nullptr), badComponentInstance);
  EXPECT_EQ(AudioComponentInstanceGetComponent(nullptr), nullptr);

  AudioUnit u;
  ASSERT_EQ(AudioComponentInstanceNew(rec::factoryComponent(), &u), noErr);
  EXPECT_EQ(AudioUnitAddRenderNotify(u, nullptr, nullptr), noErr);
  EXPECT_EQ(AudioComponentInstanceGetComponent(u), rec::factoryComponent());
  EXPECT_NE(GetComponentInstanceStorage(u), nullptr);  // the plug-in interface until the unit stores its own
  SetComponentInstanceStorage(u, (Handle)&v);
  EXPECT_EQ(GetComponentInstanceStorage(u), (Handle)&v);
  EXPECT_EQ(AudioComponentInstanceDispose(u), noErr);
  EXPECT_EQ(AudioComponentInstanceNew(nullptr, &u), paramErr);
  EXPECT_EQ(u, nullptr);

  AudioUnit e;
  ASSERT_EQ(OpenAComponent(rec::entryComponent(), &e), noErr);
  Float32Point at = {0, 0};
  ControlRef out = nullptr;
  rec::gLastCall.clear();
  EXPECT_EQ(AudioUnitCarbonViewCreate(e, e, nullptr, nullptr, &at, &at, &out), noErr);
  EXPECT_EQ(rec::gLastCall,
            fmt("CarbonViewCreate %p (nil) (nil) %p %p %p", (void*)e, (void*)&at, (void*)&at, (void*)&out));
  EXPECT_EQ(GetComponentVersion(e), 0x00020000);
  EXPECT_EQ(ComponentFunctionImplemented(e, kAudioUnitRenderSelect), 1);
  EXPECT_EQ(CallComponentWithArguments(e, 0x7000, nullptr, 0), badComponentSelector);
  long tooMany[17] = {};
  EXPECT_EQ(CallComponentWithArguments(e, kAudioUnitInitializeSelect, tooMany, 17), paramErr);

  // A block built by hand reaches the entry of the instance in params[0].
  struct
  {
    UInt8 flags;
    UInt8 paramSize;
    SInt16 what;
    UInt32 padding;
    long params[3];
  } block = {0, 2 * sizeof(long), kAudioUnitResetSelect, 0, {0, 4, 6}};
  memcpy(&block.params[0], &e, sizeof e);
  EXPECT_EQ(CallComponentDispatch((ComponentParameters*)&block), noErr);
  EXPECT_EQ(rec::gLastCall, "Reset 4 6");
  EXPECT_EQ(CloseComponent(e), noErr);
  EXPECT_EQ(CloseComponent(e), (OSErr)invalidComponentID);  // closed already
}

TEST(Registry, FindCountNameVersionAndDuplicates)
{
  AudioComponent f = rec::factoryComponent();
  Component e = rec::entryComponent();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(e, nullptr);
  struct Case
  {
    AudioComponentDescription want;
    bool findsFactory, findsEntry;
  };
  const Case cases[] = {
      {{kAudioUnitType_Effect, 'recf', 'Test', 0, 0}, true, false},
      {{kAudioUnitType_Effect, 'rece', 'Test', 0, 0}, false, true},
      {{0, 0, 'Test', 0, 0}, true, true},
      {{kAudioUnitType_Generator, 0, 'Test', 0, 0}, false, false},
      {{kAudioUnitType_Effect, 'recf', 'Test', 1, 1}, false, false},  // flag bit 0 wanted, not set
  };
  for (const Case& c : cases) {
    bool sawF = false, sawE = false;
    UInt32 count = 0;
    for (AudioComponent it = AudioComponentFindNext(nullptr, &c.want); it; it = AudioComponentFindNext(it, &c.want)) {
      sawF |= it == f;
      sawE |= (void*)it == (void*)e;
      count++;
    }
    EXPECT_EQ(sawF, c.findsFactory);
    EXPECT_EQ(sawE, c.findsEntry);
    EXPECT_EQ(AudioComponentCount(&c.want), count);
  }
  CFStringRef name = nullptr;
  ASSERT_EQ(AudioComponentCopyName(f, &name), noErr);
  EXPECT_TRUE(CFEqual(name, CFSTR("Test: Recorder")));
  CFRelease(name);
  UInt32 version = 0;
  EXPECT_EQ(AudioComponentGetVersion(f, &version), noErr);
  EXPECT_EQ(version, 0x00010203u);
  AudioComponentDescription d;
  EXPECT_EQ(AudioComponentGetDescription(f, &d), noErr);
  EXPECT_EQ(d.componentSubType, (OSType)'recf');
  ComponentDescription cd;
  EXPECT_EQ(GetComponentInfo(e, &cd, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(cd.componentSubType, (OSType)'rece');
  EXPECT_EQ(
      AudioComponentRegister(&d, CFSTR("again"), 1,
                             [](const AudioComponentDescription*) { return (AudioComponentPlugInInterface*)nullptr; }),
      nullptr);
  EXPECT_EQ(AudioComponentCopyName(nullptr, &name), paramErr);
}

TEST(Registry, FactoryThatFailsGivesNoInstance)
{
  AudioComponentDescription d = {kAudioUnitType_Effect, 'fail', 'Test', 0, 0};
  static AudioComponent c = AudioComponentRegister(&d, CFSTR("Test: Fails"), 1, [](const AudioComponentDescription*) {
    return (AudioComponentPlugInInterface*)nullptr;
  });
  AudioUnit u = (AudioUnit)&d;
  EXPECT_EQ(AudioComponentInstanceNew(c, &u), kAudioUnitErr_FailedInitialization);
  EXPECT_EQ(u, nullptr);
}

TEST(Gestalt, SystemVersionIsTenTenOrLater)
{
  struct Case
  {
    OSType selector;
    OSErr status;
    SInt32 value;
  };
  const Case cases[] = {{gestaltSystemVersion, noErr, 0x1090},
                        {gestaltSystemVersionMajor, noErr, 10},
                        {gestaltSystemVersionMinor, noErr, 10},
                        {gestaltSystemVersionBugFix, noErr, 0},
                        {'none', gestaltUndefSelectorErr, -1}};
  for (const Case& c : cases) {
    SInt32 v = -1;
    EXPECT_EQ(Gestalt(c.selector, &v), c.status);
    EXPECT_EQ(v, c.value);
  }
  EXPECT_EQ(Gestalt(gestaltSystemVersion, nullptr), paramErr);
  SInt32 v;
  Gestalt(gestaltSystemVersion, &v);
  EXPECT_GE(v, 0x1050);
}

}  // namespace
