// The property tables as a host observes them, grouped by property.
#include "AUTestHost.h"
#include "IPlugAU.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {
const OSStatus kInvalidProperty = kAudioUnitErr_InvalidProperty;
const OSStatus kInvalidElement = kAudioUnitErr_InvalidElement;
const OSStatus kInvalidValue = kAudioUnitErr_InvalidPropertyValue;

struct Info
{
  OSStatus status;
  UInt32 size;
  Boolean writable;
};

Info GetInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope = kAudioUnitScope_Global,
             AudioUnitElement elem = 0)
{
  Info info = {0, 12345, true};
  info.status = AudioUnitGetPropertyInfo(unit, id, scope, elem, &info.size, &info.writable);
  return info;
}

int gListenerCalls = 0;
std::vector<AudioUnitPropertyID> gListenerLog;
void Listener(void*, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
  ++gListenerCalls;
  gListenerLog.push_back(id);
}
void OtherListener(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) { gListenerCalls += 100; }
}  // namespace

TEST(AUProperties, InfoTable)
{
  TestUnit unit;
  struct Case
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement elem;
    OSStatus status;
    UInt32 size;
    bool writable;
  } cases[] = {
      {kAudioUnitProperty_ClassInfo, 0, 0, noErr, 8, false},
      {kAudioUnitProperty_MakeConnection, 1, 0, noErr, 16, true},
      {kAudioUnitProperty_MakeConnection, 2, 0, kInvalidProperty, 0, false},
      {kAudioUnitProperty_SampleRate, 0, 0, noErr, 8, true},
      {kAudioUnitProperty_ParameterList, 0, 0, noErr, 16, false},
      {kAudioUnitProperty_ParameterList, 1, 0, noErr, 0, false},
      {kAudioUnitProperty_ParameterInfo, 0, 3, noErr, 104, false},
      {kAudioUnitProperty_ParameterInfo, 0, 4, kInvalidElement, 0, false},
      {kAudioUnitProperty_ParameterInfo, 1, 0, kInvalidProperty, 0, false},
      {kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect, kInvalidElement, 0, false},
      {kAudioUnitProperty_StreamFormat, 1, 0, noErr, 40, true},
      {kAudioUnitProperty_StreamFormat, 1, 1, kInvalidProperty, 0, false},
      {kAudioUnitProperty_StreamFormat, 3, 0, kInvalidProperty, 0, false},
      {kAudioUnitProperty_ElementCount, 3, 0, noErr, 4, false},
      {kAudioUnitProperty_Latency, 0, 0, noErr, 8, false},
      {kAudioUnitProperty_Latency, 1, 0, kInvalidProperty, 0, false},
      {kAudioUnitProperty_RenderQuality, 0, 0, noErr, 4, true},
      {kAudioUnitProperty_RenderQuality, 1, 0, kInvalidProperty, 0, false},
      {kAudioUnitProperty_SupportedNumChannels, 0, 0, noErr, 8, false},
      {kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, noErr, 4, true},
      {kAudioUnitProperty_ParameterValueStrings, 0, 0, kInvalidProperty, 0, false},
      {kAudioUnitProperty_ParameterValueStrings, 0, 9, kInvalidElement, 0, false},
      {kAudioUnitProperty_AudioChannelLayout, 0, 0, kInvalidValue, 0, false},
      {kAudioUnitProperty_TailTime, 0, 0, noErr, 8, false},
      {kAudioUnitProperty_BypassEffect, 0, 0, noErr, 4, true},
      {kAudioUnitProperty_LastRenderError, 0, 0, noErr, 4, false},
      {kAudioUnitProperty_SetRenderCallback, 1, 0, noErr, 16, true},
      {kAudioUnitProperty_SetRenderCallback, 1, 1, kInvalidProperty, 0, false},
      {kAudioUnitProperty_FactoryPresets, 0, 0, noErr, 8, false},
      {kAudioUnitProperty_HostCallbacks, 0, 0, noErr, 32, true},
      {kAudioUnitProperty_CurrentPreset, 0, 0, noErr, 16, true},
      {kAudioUnitProperty_PresentPreset, 2, 0, noErr, 16, true},
      {kAudioUnitProperty_ElementName, 1, 0, kInvalidProperty, 0, false},
      {kAudioUnitProperty_SupportedChannelLayoutTags, 2, 0, kInvalidProperty, 0, false},
      {kAudioUnitProperty_ParameterStringFromValue, 0, 0, noErr, 24, false},
      {kAudioUnitProperty_ParameterIDName, 0, 0, noErr, 16, false},
      {kAudioUnitProperty_ParameterClumpName, 0, 0, noErr, 16, false},
      {kAudioUnitProperty_ParameterValueFromString, 0, 0, noErr, 24, false},
      {(AudioUnitPropertyID)-101, 0, 0, noErr, 8, false},
      {kMusicDeviceProperty_InstrumentCount, 0, 0, kInvalidProperty, 0, false},
      {kAudioUnitProperty_OfflineRender, 0, 0, kInvalidProperty, 0, false},
      {9999, 0, 0, kInvalidProperty, 0, false},
  };
  for (const Case& c : cases) {
    Info info = GetInfo(unit, c.id, c.scope, c.elem);
    EXPECT_EQ(info.status, c.status) << "property " << (int)c.id << " scope " << c.scope;
    if (c.status == noErr) {
      EXPECT_EQ(info.size, c.size) << "property " << (int)c.id;
      EXPECT_EQ(!!info.writable, c.writable) << "property " << (int)c.id;
    }
  }
}

TEST(AUProperties, ShortBuffersAreRefusedOnGetAndSet)
{
  TestUnit unit;
  char buf[128];
  struct Case
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    UInt32 size;
  } cases[] = {
      {kAudioUnitProperty_SampleRate, 0, 4},      {kAudioUnitProperty_ParameterList, 0, 12},
      {kAudioUnitProperty_ParameterInfo, 0, 100}, {kAudioUnitProperty_StreamFormat, 2, 39},
      {kAudioUnitProperty_ClassInfo, 0, 4},       {kAudioUnitProperty_SupportedNumChannels, 0, 4},
      {kAudioUnitProperty_CurrentPreset, 0, 8},   {kAudioUnitProperty_ElementName, 1, 4},
      {kAudioUnitProperty_FactoryPresets, 0, 0},  {(AudioUnitPropertyID)-101, 0, 7},
  };
  for (const Case& c : cases) {
    UInt32 size = c.size;
    memset(buf, 0x5a, sizeof(buf));
    EXPECT_EQ(AudioUnitGetProperty(unit, c.id, c.scope, 0, buf, &size), kInvalidValue) << (int)c.id;
    EXPECT_EQ((unsigned char)buf[c.size], 0x5a) << "wrote beyond the buffer for " << (int)c.id;
  }
  struct SetCase
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    UInt32 size;
  } sets[] = {
      {kAudioUnitProperty_SampleRate, 0, 4},
      {kAudioUnitProperty_StreamFormat, 1, 20},
      {kAudioUnitProperty_MaximumFramesPerSlice, 0, 2},
      {kAudioUnitProperty_BypassEffect, 0, 1},
      {kAudioUnitProperty_SetRenderCallback, 1, 8},
      {kAudioUnitProperty_HostCallbacks, 0, 16},
      {kAudioUnitProperty_ClassInfo, 0, 4},
      {kAudioUnitProperty_MakeConnection, 1, 8},
      {kAudioUnitProperty_PresentPreset, 0, 4},
      {kAudioUnitProperty_AUHostIdentifier, 0, 8},
  };
  memset(buf, 0, sizeof(buf));
  for (const SetCase& c : sets)
    EXPECT_EQ(AudioUnitSetProperty(unit, c.id, c.scope, 0, buf, c.size), kInvalidValue) << (int)c.id;
  Float64 rate = 0;
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_SampleRate, 0, 0, rate), noErr);
  EXPECT_EQ(rate, 44100.0);
}

TEST(AUProperties, ElementCountAndNames)
{
  TestUnit unit;
  UInt32 n = 99;
  struct Case
  {
    AudioUnitScope scope;
    UInt32 count;
  } counts[] = {{0, 1}, {1, 1}, {2, 1}, {3, 0}};
  for (const Case& c : counts) {
    EXPECT_EQ(GetProp(unit, kAudioUnitProperty_ElementCount, c.scope, 0, n), noErr);
    EXPECT_EQ(n, c.count) << c.scope;
  }
  struct NameCase
  {
    AudioUnitScope scope;
    AudioUnitElement elem;
    OSStatus status;
    const char* name;
  } names[] = {{1, 0, noErr, "input"},  {1, 1, noErr, "aux input"},  {1, 2, kInvalidElement, ""},
               {2, 0, noErr, "output"}, {2, 1, kInvalidElement, ""}, {0, 0, kAudioUnitErr_InvalidScope, ""}};
  for (const NameCase& c : names) {
    CFStringRef str = nullptr;
    EXPECT_EQ(GetProp(unit, kAudioUnitProperty_ElementName, c.scope, c.elem, str), c.status);
    if (c.status == noErr) {
      EXPECT_EQ(Text(str), c.name);
      CFRelease(str);
    }
  }
}

TEST(AUProperties, ParameterListInfoAndNames)
{
  TestUnit unit;
  AudioUnitParameterID ids[4] = {9, 9, 9, 9};
  UInt32 size = sizeof(ids);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, 0, 0, ids, &size), noErr);
  EXPECT_EQ(size, 16u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ids[i], (AudioUnitParameterID)i);

  struct Case
  {
    const char* name;
    AudioUnitParameterUnit unit;
    float min, max, value;
  } params[] = {{"OUT", kAudioUnitParameterUnit_Generic, -40.f, 0.f, -15.f},
                {"GainM", kAudioUnitParameterUnit_Generic, 0.f, 1.f, 0.7f},
                {"GainL", kAudioUnitParameterUnit_Generic, 0.05f, 0.98f, 0.3f},
                {"Bypass", kAudioUnitParameterUnit_Indexed, 0.f, 1.f, 0.f}};
  for (int i = 0; i < 4; ++i) {
    AudioUnitParameterInfo info;
    ASSERT_EQ(GetProp(unit, kAudioUnitProperty_ParameterInfo, 0, i, info), noErr);
    EXPECT_EQ(Text(info.cfNameString), params[i].name);
    EXPECT_STREQ(info.name, params[i].name);
    EXPECT_EQ(info.flags, 0xC8000010u) << i;
    EXPECT_EQ(info.unit, params[i].unit) << i;
    EXPECT_EQ(info.unitName, nullptr);
    EXPECT_EQ(info.clumpID, 0u);
    EXPECT_FLOAT_EQ(info.minValue, params[i].min);
    EXPECT_FLOAT_EQ(info.maxValue, params[i].max);
    EXPECT_FLOAT_EQ(info.defaultValue, params[i].value);
    CFRelease(info.cfNameString);
  }
  // The reported default is the current value.
  ASSERT_EQ(AudioUnitSetParameter(unit, 1, 0, 0, 0.25f, 0), noErr);
  AudioUnitParameterInfo info;
  ASSERT_EQ(GetProp(unit, kAudioUnitProperty_ParameterInfo, 0, 1, info), noErr);
  EXPECT_FLOAT_EQ(info.defaultValue, 0.25f);
  CFRelease(info.cfNameString);

  struct IDNameCase
  {
    UInt32 id;
    SInt32 length;
    OSStatus status;
    const char* name;
  } idNames[] = {{3, 3, noErr, "Byp"},        {3, kAudioUnitParameterName_Full, noErr, "Bypass"},
                 {0, 0, noErr, ""},           {2, 200, noErr, "GainL"},
                 {4, 3, kInvalidElement, ""}, {0xFFFFFFFF, 3, kInvalidElement, ""}};
  for (const IDNameCase& c : idNames) {
    AudioUnitParameterIDName idName = {c.id, c.length, nullptr};
    EXPECT_EQ(GetProp(unit, kAudioUnitProperty_ParameterIDName, 0, 0, idName), c.status);
    EXPECT_EQ(Text(idName.outName), c.name);
    if (idName.outName) CFRelease(idName.outName);
  }
  // No groups in this product: every clump ID is unknown.
  struct ClumpCase
  {
    UInt32 id;
    OSStatus status;
  } clumps[] = {{0, kAudioUnitErr_PropertyNotInUse}, {1, kInvalidElement}, {77, kInvalidElement}};
  for (const ClumpCase& c : clumps) {
    AudioUnitParameterNameInfo nameInfo = {c.id, kAudioUnitParameterName_Full, nullptr};
    EXPECT_EQ(GetProp(unit, kAudioUnitProperty_ParameterClumpName, 0, 0, nameInfo), c.status) << c.id;
    EXPECT_EQ(nameInfo.outName, nullptr);
  }
}

TEST(AUProperties, ParameterStringsBothWays)
{
  TestUnit unit;
  struct ToString
  {
    UInt32 id;
    float value;
    OSStatus status;
    const char* text;
  } toStrings[] = {
      {0, -15.f, noErr, "-15.00"}, {2, 0.5f, noErr, "0.50"}, {3, 1.f, noErr, "1"}, {4, 0.f, kInvalidElement, ""}};
  for (const ToString& c : toStrings) {
    AudioUnitParameterValue v = c.value;
    AudioUnitParameterStringFromValue sfv = {c.id, &v, nullptr};
    EXPECT_EQ(GetProp(unit, kAudioUnitProperty_ParameterStringFromValue, 0, 0, sfv), c.status);
    EXPECT_EQ(Text(sfv.outString), c.text) << c.id;
    if (sfv.outString) CFRelease(sfv.outString);
  }
  struct FromString
  {
    UInt32 id;
    CFStringRef text;
    OSStatus status;
    float value;
  } fromStrings[] = {{0, CFSTR("-12.5"), noErr, -12.5f},
                     {3, CFSTR("1"), noErr, 1.f},
                     {1, CFSTR("abc"), noErr, 0.f},
                     {5, CFSTR("1"), kInvalidElement, 42.f}};
  for (const FromString& c : fromStrings) {
    AudioUnitParameterValueFromString vfs = {c.id, c.text, 42.f};
    EXPECT_EQ(GetProp(unit, kAudioUnitProperty_ParameterValueFromString, 0, 0, vfs), c.status);
    EXPECT_FLOAT_EQ(vfs.outValue, c.value) << c.id;
  }
}

TEST(AUProperties, StreamFormats)
{
  TestUnit unit;
  AudioStreamBasicDescription f;
  ASSERT_EQ(GetProp(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, f), noErr);
  EXPECT_EQ(f.mSampleRate, 44100.0);
  EXPECT_EQ(f.mFormatID, kAudioFormatLinearPCM);
  EXPECT_EQ(f.mFormatFlags, 0x29u);
  EXPECT_EQ(f.mBytesPerPacket, 4u);
  EXPECT_EQ(f.mBytesPerFrame, 4u);
  EXPECT_EQ(f.mFramesPerPacket, 1u);
  EXPECT_EQ(f.mChannelsPerFrame, 2u);
  EXPECT_EQ(f.mBitsPerChannel, 32u);

  struct Case
  {
    AudioUnitScope scope;
    UInt32 channels;
    UInt32 formatID, flags, bits;
    OSStatus status;
    UInt32 reported;  // channels the get reports afterwards
  } cases[] = {
      {1, 1, kAudioFormatLinearPCM, 0x29, 32, noErr, 1},
      {1, 2, kAudioFormatLinearPCM, 0x29, 32, noErr, 2},
      {1, 3, kAudioFormatLinearPCM, 0x29, 32, kInvalidProperty, 0},
      {1, 0, kAudioFormatLinearPCM, 0x29, 32, kInvalidProperty, 0},
      {1, 200, kAudioFormatLinearPCM, 0x29, 32, kInvalidProperty, 0},
      {1, 2, FourCC("aac "), 0x29, 32, kInvalidProperty, 0},
      {1, 2, kAudioFormatLinearPCM, 0x20, 32, kInvalidProperty, 0},
      {1, 2, kAudioFormatLinearPCM, 0x0C, 16, kInvalidProperty, 0},  // packed 16-bit integers
      {1, 2, kAudioFormatLinearPCM, 0x09, 32, kInvalidProperty, 0},  // interleaved stereo
      {1, 1, kAudioFormatLinearPCM, 0x09, 32, noErr, 1},             // interleaved mono is one buffer
      {2, 1, kAudioFormatLinearPCM, 0x29, 32, noErr, 1},
      {0, 2, kAudioFormatLinearPCM, 0x29, 32, noErr, 2},
  };
  for (const Case& c : cases) {
    TestUnit u;
    AudioStreamBasicDescription in = FloatFormat(c.channels, 48000.0);
    in.mFormatID = c.formatID;
    in.mFormatFlags = c.flags;
    in.mBitsPerChannel = c.bits;
    EXPECT_EQ(SetProp(u, kAudioUnitProperty_StreamFormat, c.scope, 0, in), c.status)
        << c.scope << ":" << c.channels << ":" << c.flags;
    AudioStreamBasicDescription out;
    ASSERT_EQ(GetProp(u, kAudioUnitProperty_StreamFormat, c.scope, 0, out), noErr);
    EXPECT_EQ(out.mChannelsPerFrame, c.reported);
    EXPECT_EQ(out.mSampleRate, c.status == noErr ? 48000.0 : 44100.0);
  }
  // With the output at 2, a 2-channel input is accepted, a 3-channel one leaves it at 0.
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Output, 2), noErr);
  EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Input, 2), noErr);
  EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Input, 3), kInvalidProperty);
  ASSERT_EQ(GetProp(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 0u);
}

TEST(AUProperties, SupportedChannelsLatencyTailAndBlockSize)
{
  TestUnit unit;
  AUChannelInfo ch[2];
  UInt32 size = sizeof(ch);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, 0, 0, ch, &size), noErr);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(ch[0].inChannels, 1);
  EXPECT_EQ(ch[0].outChannels, 1);
  EXPECT_EQ(ch[1].inChannels, 2);
  EXPECT_EQ(ch[1].outChannels, 2);
  Float64 seconds = -1;
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_Latency, 0, 0, seconds), noErr);
  EXPECT_EQ(seconds, 0.0);
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_TailTime, 0, 0, seconds), noErr);
  EXPECT_EQ(seconds, 0.0);
  UInt32 frames = 0;
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, frames), noErr);
  EXPECT_EQ(frames, 1024u);
  struct Case
  {
    UInt32 frames;
    OSStatus status;
    UInt32 after;
  } cases[] = {
      {512, noErr, 512}, {1, noErr, 1}, {0, kInvalidValue, 1}, {0x7FFFFFFF, kInvalidValue, 1}, {4096, noErr, 4096}};
  for (const Case& c : cases) {
    EXPECT_EQ(SetMaxFrames(unit, c.frames), c.status) << c.frames;
    EXPECT_EQ(GetProp(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, frames), noErr);
    EXPECT_EQ(frames, c.after);
  }
  struct RateCase
  {
    Float64 rate;
    OSStatus status;
    Float64 after;
  } rates[] = {{96000.0, noErr, 96000.0}, {0.0, kInvalidValue, 96000.0}, {-1.0, kInvalidValue, 96000.0}};
  for (const RateCase& c : rates) {
    EXPECT_EQ(SetProp(unit, kAudioUnitProperty_SampleRate, 0, 0, c.rate), c.status);
    Float64 rate = 0;
    EXPECT_EQ(GetProp(unit, kAudioUnitProperty_SampleRate, 0, 0, rate), noErr);
    EXPECT_EQ(rate, c.after);
  }
}

TEST(AUProperties, ParameterValueStringsNeedDisplayTexts)
{
  TestUnit unit;
  for (int i = 0; i < 4; ++i) {
    CFArrayRef texts = nullptr;
    UInt32 size = sizeof(texts);
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueStrings, 0, i, &texts, &size),
              kInvalidProperty);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(texts, nullptr);
  }
}

TEST(AUProperties, BypassPresetsAndThePluginObject)
{
  TestUnit unit;
  UInt32 bypass = 7;
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_BypassEffect, 0, 0, bypass), noErr);
  EXPECT_EQ(bypass, 0u);
  EXPECT_EQ(SetProp(unit, kAudioUnitProperty_BypassEffect, 0, 0, (UInt32)1), noErr);
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_BypassEffect, 0, 0, bypass), noErr);
  EXPECT_EQ(bypass, 1u);

  CFArrayRef presets = nullptr;
  ASSERT_EQ(GetProp(unit, kAudioUnitProperty_FactoryPresets, 0, 0, presets), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 1);
  const AUPreset* p = (const AUPreset*)CFArrayGetValueAtIndex(presets, 0);
  EXPECT_EQ(p->presetNumber, 0);
  EXPECT_EQ(Text(p->presetName), "-");
  CFRelease(presets);

  for (AudioUnitPropertyID id : {kAudioUnitProperty_CurrentPreset, kAudioUnitProperty_PresentPreset}) {
    AUPreset present = {-5, nullptr};
    ASSERT_EQ(GetProp(unit, id, 0, 0, present), noErr);
    EXPECT_EQ(present.presetNumber, 0);
    EXPECT_EQ(Text(present.presetName), "-");
    CFRelease(present.presetName);
    // A set restores by number; an unknown number still answers 0.
    AUPreset pick = {3, nullptr};
    EXPECT_EQ(SetProp(unit, id, 0, 0, pick), noErr);
  }

  void* obj = nullptr;
  EXPECT_EQ(GetProp(unit, (AudioUnitPropertyID)-101, 0, 0, obj), noErr);
  EXPECT_NE(obj, nullptr);
  TestUnit other;
  void* otherObj = nullptr;
  EXPECT_EQ(GetProp(other, (AudioUnitPropertyID)-101, 0, 0, otherObj), noErr);
  EXPECT_NE(obj, otherObj);
}

TEST(AUProperties, ListenersRunBeforeEverySetEvenRefusedOnes)
{
  TestUnit unit;
  gListenerCalls = 0;
  gListenerLog.clear();
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_PresentPreset, Listener, nullptr), noErr);
  // The same callback for the same property is added once, whatever the user data.
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_PresentPreset, Listener, (void*)1), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_StreamFormat, Listener, nullptr), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_PresentPreset, OtherListener, nullptr), noErr);

  AUPreset pick = {0, nullptr};
  EXPECT_EQ(SetProp(unit, kAudioUnitProperty_PresentPreset, 0, 0, pick), noErr);
  EXPECT_EQ(gListenerCalls, 101);
  EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Input, 5), kInvalidProperty);
  EXPECT_EQ(gListenerCalls, 102);

  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_PresentPreset, Listener, (void*)1),
            noErr);
  EXPECT_EQ(SetProp(unit, kAudioUnitProperty_PresentPreset, 0, 0, pick), noErr);
  EXPECT_EQ(gListenerCalls, 203) << "user data 1 was never stored";
  EXPECT_EQ(AudioUnitRemovePropertyListener(unit, kAudioUnitProperty_PresentPreset, Listener), noErr);
  EXPECT_EQ(AudioUnitRemovePropertyListener(unit, kAudioUnitProperty_PresentPreset, Listener), noErr);
  EXPECT_EQ(SetProp(unit, kAudioUnitProperty_PresentPreset, 0, 0, pick), noErr);
  EXPECT_EQ(gListenerCalls, 303);
  EXPECT_EQ(gListenerLog.size(), 3u);
}

TEST(AUProperties, HostIdentifierAndOfflineRenderAreAccepted)
{
  TestUnit unit;
  AUHostIdentifier id = {CFSTR("Some Host"), {0, 0, 0x23, 4}};
  EXPECT_EQ(SetProp(unit, kAudioUnitProperty_AUHostIdentifier, 0, 0, id), noErr);
  EXPECT_EQ(SetProp(unit, kAudioUnitProperty_OfflineRender, 0, 0, (UInt32)1), noErr);
  EXPECT_EQ(SetProp(unit, 9999, 0, 0, (UInt32)1), kInvalidProperty);
  EXPECT_EQ(SetProp(unit, kAudioUnitProperty_HostCallbacks, 1, 0, HostCallbackInfo()), kInvalidProperty);
}

// The editor properties answer exactly when the product has an editor.
TEST(AUProperties, EditorPropertiesFollowTheEditor)
{
  TestUnit unit;
  IPlugAU* plug = nullptr;
  ASSERT_EQ(GetProp(unit, (AudioUnitPropertyID)-101, 0, 0, plug), noErr);
  const bool hasEditor = plug->GetGUI() != nullptr;
  AudioUnitCocoaViewInfo view = {nullptr, {nullptr}};
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_CocoaUI, 0, 0, view), hasEditor ? noErr : kInvalidProperty);
  AudioComponentDescription ui = {};
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_GetUIComponentList, 0, 0, ui), hasEditor ? noErr : kInvalidProperty);
  if (!hasEditor) return;
  EXPECT_EQ(Text(view.mCocoaAUViewClass[0]), "Kelvo_View");
  char path[4096] = "";
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(view.mCocoaAUViewBundleLocation, true, (UInt8*)path, sizeof(path)));
  EXPECT_NE(std::string(path).find("Kelvo.component"), std::string::npos) << path;
  CFRelease(view.mCocoaAUViewBundleLocation);
  CFRelease(view.mCocoaAUViewClass[0]);
  EXPECT_EQ(ui.componentType, kAudioUnitCarbonViewComponentType);
  EXPECT_EQ(ui.componentSubType, FourCC("Kel1"));
  EXPECT_EQ(ui.componentManufacturer, FourCC("Qlmh"));
}

namespace {
double gLatencyHeard = -1.0;
int gLatencyCalls = 0;
void HearLatency(void*, AudioUnit unit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  ++gLatencyCalls;
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_Latency, 0, 0, gLatencyHeard), noErr);
}
}  // namespace

TEST(AUProperties, RenderQualityChoosesThePathAndAnnouncesItsLatency)
{
  TestUnit unit;
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, HearLatency, nullptr), noErr);
  Float64 rate = 0;
  ASSERT_EQ(GetProp(unit, kAudioUnitProperty_SampleRate, 0, 0, rate), noErr);
  struct Case
  {
    AudioUnitScope scope;
    UInt32 value;
    OSStatus status;
    UInt32 after;  // the quality read back
    int latency;   // samples; the listener hears of it when it changes
  } cases[] = {
      {0, 127, noErr, 127, 5},
      {0, 128, kInvalidValue, 127, 5},
      {1, 0, kInvalidProperty, 127, 5},
      {0, 64, noErr, 64, 1},
      {0, 96, noErr, 96, 1},
      {0, 0, noErr, 0, 0},
      {0, 0xFFFFFFFFu, kInvalidValue, 0, 0},
  };
  UInt32 quality = 99;
  ASSERT_EQ(GetProp(unit, kAudioUnitProperty_RenderQuality, 0, 0, quality), noErr);
  EXPECT_EQ(quality, 0u);
  int latency = 0;
  for (const Case& c : cases) {
    gLatencyCalls = 0;
    gLatencyHeard = -1.0;
    EXPECT_EQ(SetProp(unit, kAudioUnitProperty_RenderQuality, c.scope, 0, c.value), c.status) << c.value;
    ASSERT_EQ(GetProp(unit, kAudioUnitProperty_RenderQuality, 0, 0, quality), noErr);
    EXPECT_EQ(quality, c.after) << c.value;
    Float64 seconds = -1;
    ASSERT_EQ(GetProp(unit, kAudioUnitProperty_Latency, 0, 0, seconds), noErr);
    EXPECT_DOUBLE_EQ(seconds * rate, c.latency) << c.value;
    EXPECT_EQ(gLatencyCalls, c.latency != latency ? 1 : 0) << c.value;
    if (gLatencyCalls) {
      EXPECT_DOUBLE_EQ(gLatencyHeard * rate, c.latency) << "the listener hears the new latency";
    }
    latency = c.latency;
  }
  UInt16 small = 127;
  EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_RenderQuality, 0, 0, &small, sizeof small), kInvalidValue);
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_RenderQuality, 0, 0, quality), noErr);
  EXPECT_EQ(quality, 0u);
}
