// The wrapper driven in-process with small plug-ins of other shapes than the product: parameter
// groups and types, side-chain and instrument buses, MIDI, and the entry's note selectors.
#include "AUTestHost.h"
#include "IPlugAU.h"

#include <gtest/gtest.h>

#include <string.h>
#include <vector>

namespace {
// Effect with typed, grouped parameters and a side-chain input: "2-2 3-2", one side-chain channel.
class GroupedPlug : public IPlugAU
{
public:
  GroupedPlug()
      : IPlugAU(IPlugInstanceInfo(), 5, "2-2 3-2", 1, "Grouped", "", "Tests", 0x10203, 0x47727031, 0x54657374, 0, false,
                false, false, 1)
  {
    GetParam(0)->InitBool("Switch", false, "", "GroupA");
    GetParam(1)->InitDouble("Gain", 0.0, -10.0, 10.0, 0.1, "dB", "GroupB");
    GetParam(2)->InitDouble("Mix", 0.5, 0.0, 1.0, 0.01, "", "GroupA");
    GetParam(3)->InitEnum("Mode", 0, 3);
    GetParam(3)->SetDisplayText(0, "A");
    GetParam(3)->SetDisplayText(1, "B");
    GetParam(3)->SetDisplayText(2, "C");
    GetParam(3)->SetCanAutomate(false);
    GetParam(4)->InitInt("Meta", 0, 0, 4);
    GetParam(4)->SetIsMeta(true);
    MakeDefaultPreset("start", 1);
  }
};

// Instrument with four outputs in two stereo buses, doing MIDI.
class InstrumentPlug : public IPlugAU
{
public:
  InstrumentPlug()
      : IPlugAU(IPlugInstanceInfo(), 1, "0-4", 1, "Instrument", "", "Tests", 0x10000, 0x496E7331, 0x54657374, 0, true,
                false, true, 0)
  {
    GetParam(0)->InitDouble("Level", 0.5, 0.0, 1.0, 0.01);
    MakeDefaultPreset("start", 1);
  }
  void ProcessMidiMsg(IMidiMsg* pMsg) override { midi.push_back(*pMsg); }
  void ProcessSysEx(ISysEx* pSysEx) override { sysexSizes.push_back(pSysEx->mSize); }
  void ProcessDoubleReplacing(double**, double** outputs, int nFrames) override
  {
    ++processed;
    for (int c = 0; c < 4; ++c)
      for (int i = 0; i < nFrames; ++i) outputs[c][i] = c + 1;
  }
  std::vector<IMidiMsg> midi;
  std::vector<int> sysexSizes;
  int processed = 0;
};

OSStatus Get(IPlugAU* plug, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement elem, void* data,
             UInt32 size)
{
  return IPlugAU::DoGetProperty(plug, id, scope, elem, data, &size);
}

// Calls the component entry with arguments in their slots.
ComponentResult Entry(IPlugAU* plug, SInt16 what, std::vector<long> args)
{
  std::vector<long> block(2 + args.size() + 1);
  ComponentParameters* params = (ComponentParameters*)block.data();
  params->what = what;
  params->paramSize = (UInt8)(args.size() * sizeof(long));
  params->params[0] = 0;
  for (size_t i = 0; i < args.size(); ++i) params->params[i + 1] = args[i];
  return IPlugAU::IPlugAUEntry(params, plug);
}

long FloatArg(float f)
{
  long slot = 0;
  memcpy(&slot, &f, sizeof(f));
  return slot;
}
}  // namespace

// The component entry's open selector builds this; unused by the tests, which build directly.
void* MakePlug(void* memory) { return memory ? new (memory) InstrumentPlug() : new InstrumentPlug(); }

TEST(AUInProcess, ParameterInfoFollowsTypeFlagsAndGroups)
{
  GroupedPlug plug;
  struct Case
  {
    int idx;
    UInt32 flags;
    AudioUnitParameterUnit unit;
    const char* unitName;
    UInt32 clump;
  } cases[] = {
      // Asked in this order, GroupB becomes clump 1 and GroupA clump 2.
      {1, 0xC8100010, kAudioUnitParameterUnit_CustomUnit, "dB", 1},
      {0, 0xC8100010, kAudioUnitParameterUnit_Boolean, nullptr, 2},
      {2, 0xC8100010, kAudioUnitParameterUnit_Generic, nullptr, 2},
      {3, 0x48000010, kAudioUnitParameterUnit_Indexed, nullptr, 0},
      {4, 0xE8000010, kAudioUnitParameterUnit_Indexed, nullptr, 0},
  };
  for (const Case& c : cases) {
    AudioUnitParameterInfo info;
    ASSERT_EQ(Get(&plug, kAudioUnitProperty_ParameterInfo, 0, c.idx, &info, sizeof(info)), noErr);
    EXPECT_EQ(info.flags, c.flags) << c.idx;
    EXPECT_EQ(info.unit, c.unit) << c.idx;
    EXPECT_EQ(info.clumpID, c.clump) << c.idx;
    if (c.unitName)
      EXPECT_EQ(Text(info.unitName), c.unitName);
    else
      EXPECT_EQ(info.unitName, nullptr);
    if (info.unitName) CFRelease(info.unitName);
    CFRelease(info.cfNameString);
  }
  plug.GetParam(4)->SetCanAutomate(false);
  AudioUnitParameterInfo info;
  ASSERT_EQ(Get(&plug, kAudioUnitProperty_ParameterInfo, 0, 4, &info, sizeof(info)), noErr);
  EXPECT_EQ(info.flags, 0x68000010u);
  CFRelease(info.cfNameString);

  struct ClumpCase
  {
    UInt32 id;
    OSStatus status;
    const char* name;
  } clumps[] = {{1, noErr, "GroupB"},
                {2, noErr, "GroupA"},
                {3, kAudioUnitErr_InvalidElement, ""},
                {0, kAudioUnitErr_PropertyNotInUse, ""}};
  for (const ClumpCase& c : clumps) {
    AudioUnitParameterNameInfo nameInfo = {c.id, 2, nullptr};
    EXPECT_EQ(Get(&plug, kAudioUnitProperty_ParameterClumpName, 0, 0, &nameInfo, sizeof(nameInfo)), c.status);
    EXPECT_EQ(Text(nameInfo.outName), c.name) << "the desired length is not applied";
    if (nameInfo.outName) CFRelease(nameInfo.outName);
  }
}

TEST(AUInProcess, DisplayTextsBothWays)
{
  GroupedPlug plug;
  struct Case
  {
    int idx;
    std::vector<std::string> texts;
  } cases[] = {{0, {"off", "on"}}, {3, {"A", "B", "C"}}};
  for (const Case& c : cases) {
    CFArrayRef array = nullptr;
    ASSERT_EQ(Get(&plug, kAudioUnitProperty_ParameterValueStrings, 0, c.idx, &array, sizeof(array)), noErr);
    ASSERT_EQ(CFArrayGetCount(array), (CFIndex)c.texts.size());
    for (size_t i = 0; i < c.texts.size(); ++i)
      EXPECT_EQ(Text((CFStringRef)CFArrayGetValueAtIndex(array, i)), c.texts[i]);
    CFRelease(array);
  }
  struct FromString
  {
    int idx;
    CFStringRef text;
    float value;
  } fromStrings[] = {{3, CFSTR("B"), 1.f}, {3, CFSTR("Z"), 42.f}, {0, CFSTR("on"), 1.f}, {1, CFSTR("-2.5"), -2.5f}};
  for (const FromString& c : fromStrings) {
    AudioUnitParameterValueFromString vfs = {(UInt32)c.idx, c.text, 42.f};
    EXPECT_EQ(Get(&plug, kAudioUnitProperty_ParameterValueFromString, 0, 0, &vfs, sizeof(vfs)), noErr);
    EXPECT_FLOAT_EQ(vfs.outValue, c.value) << c.idx;
  }
  plug.GetParam(1)->SetNegateDisplay(true);
  AudioUnitParameterValueFromString vfs = {1, CFSTR("2.5"), 0.f};
  EXPECT_EQ(Get(&plug, kAudioUnitProperty_ParameterValueFromString, 0, 0, &vfs, sizeof(vfs)), noErr);
  EXPECT_FLOAT_EQ(vfs.outValue, -2.5f);
}

TEST(AUInProcess, SideChainBusesAndLegalIO)
{
  GroupedPlug plug;
  UInt32 n = 0;
  ASSERT_EQ(Get(&plug, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &n, sizeof(n)), noErr);
  EXPECT_EQ(n, 2u);
  CFStringRef name = nullptr;
  ASSERT_EQ(Get(&plug, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &name, sizeof(name)), noErr);
  EXPECT_EQ(Text(name), "main input");
  CFRelease(name);
  ASSERT_EQ(Get(&plug, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 1, &name, sizeof(name)), noErr);
  EXPECT_EQ(Text(name), "aux input");
  CFRelease(name);

  struct Case
  {
    AudioUnitElement bus;
    int nIn;
    int nChannelsBefore;  // host channels on the other bus first (-1: unset)
    bool legal;
  } cases[] = {{0, 2, -1, true}, {1, 1, 2, true}, {1, 2, 2, false}, {0, 3, -1, true}, {1, 1, -1, false}};
  for (const Case& c : cases) {
    GroupedPlug p;
    if (c.nChannelsBefore >= 0) {
      AudioStreamBasicDescription f = FloatFormat(c.nChannelsBefore);
      ASSERT_EQ(
          IPlugAU::DoSetProperty(&p, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 1 - c.bus, &f, sizeof(f)),
          noErr);
    }
    EXPECT_EQ(p.CheckLegalIO(kAudioUnitScope_Input, (int)c.bus, c.nIn), c.legal) << c.bus << ":" << c.nIn;
  }
  // Counting host channels: unset buses are left out, an excluded bus too.
  WDL_PtrList<IPlugAU::BusChannels> buses;
  IPlugAU::BusChannels only = {false, 2, 2, 0};
  buses.Add(&only);
  EXPECT_EQ(IPlugAU::NHostChannelsConnected(&buses, 0), -1);
  EXPECT_EQ(IPlugAU::NHostChannelsConnected(&buses, -1), 2);
  only.mNHostChannels = -1;
  EXPECT_EQ(IPlugAU::NHostChannelsConnected(&buses, -1), -1);
}

TEST(AUInProcess, LayoutTagsAndDefaultFormats)
{
  struct TagCase
  {
    int n;
    UInt32 tag;
  } tags[] = {{1, kAudioChannelLayoutTag_Mono},
              {2, kAudioChannelLayoutTag_Stereo},
              {6, kAudioChannelLayoutTag_Unknown},
              {0, kAudioChannelLayoutTag_Unknown}};
  for (const TagCase& c : tags) EXPECT_EQ(IPlugAU::GetTagForNumChannels(c.n), c.tag) << c.n;
  struct FormatCase
  {
    int n;
    bool interleaved;
    UInt32 flags, bytes;
  } formats[] = {{2, true, 0x09, 8}, {2, false, 0x29, 4}, {1, true, 0x09, 4}, {6, true, 0x09, 24}};
  for (const FormatCase& c : formats) {
    AudioStreamBasicDescription f;
    memset(&f, 0xff, sizeof(f));
    IPlugAU::MakeDefaultASBD(&f, 48000.0, c.n, c.interleaved);
    EXPECT_EQ(f.mFormatFlags, c.flags);
    EXPECT_EQ(f.mBytesPerFrame, c.bytes);
    EXPECT_EQ(f.mBytesPerPacket, c.bytes);
    EXPECT_EQ(f.mChannelsPerFrame, (UInt32)c.n);
    EXPECT_EQ(f.mReserved, 0u);
  }
}

TEST(AUInProcess, InstrumentBusesRenderOnceOnTheLastConnectedBus)
{
  InstrumentPlug plug;
  UInt32 n = 0;
  ASSERT_EQ(Get(&plug, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &n, sizeof(n)), noErr);
  EXPECT_EQ(n, 2u);
  ASSERT_EQ(Get(&plug, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &n, sizeof(n)), noErr);
  EXPECT_EQ(n, 0u);
  for (int bus = 0; bus < 2; ++bus) {
    CFStringRef name = nullptr;
    ASSERT_EQ(Get(&plug, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, bus, &name, sizeof(name)), noErr);
    EXPECT_EQ(Text(name), bus ? "output 2" : "output 1");
    CFRelease(name);
  }
  AudioChannelLayoutTag tag = 0;
  EXPECT_EQ(Get(&plug, kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 1, &tag, sizeof(tag)),
            noErr);
  EXPECT_EQ(tag, kAudioChannelLayoutTag_Stereo);
  EXPECT_EQ(Get(&plug, kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Input, 0, &tag, sizeof(tag)),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Get(&plug, kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 2, &tag, sizeof(tag)),
            kAudioUnitErr_InvalidElement);
  ASSERT_EQ(Get(&plug, kMusicDeviceProperty_InstrumentCount, 0, 0, &n, sizeof(n)), noErr);
  EXPECT_EQ(n, 1u);

  float out[2][2][64];
  struct
  {
    UInt32 n;
    AudioBuffer b[2];
  } lists[2];
  for (int bus = 0; bus < 2; ++bus) {
    lists[bus].n = 2;
    for (int c = 0; c < 2; ++c) lists[bus].b[c] = {1, sizeof(out[bus][c]), out[bus][c]};
  }
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof(ts));
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  memset(out, 0, sizeof(out));
  // Only bus 0 rendered so far: it is the last connected bus, and the frame runs.
  ASSERT_EQ(IPlugAU::DoRender(&plug, &flags, &ts, 0, 64, (AudioBufferList*)&lists[0]), noErr);
  EXPECT_EQ(plug.processed, 1);
  EXPECT_EQ(out[0][1][10], 2.f);
  // Now bus 1 joins: rendering bus 0 only attaches, bus 1 runs the frame for both.
  ts.mSampleTime = 64;
  ASSERT_EQ(IPlugAU::DoRender(&plug, &flags, &ts, 1, 64, (AudioBufferList*)&lists[1]), noErr);
  EXPECT_EQ(plug.processed, 2);
  ASSERT_EQ(IPlugAU::DoRender(&plug, &flags, &ts, 0, 64, (AudioBufferList*)&lists[0]), noErr);
  ASSERT_EQ(IPlugAU::DoRender(&plug, &flags, &ts, 1, 64, (AudioBufferList*)&lists[1]), noErr);
  EXPECT_EQ(plug.processed, 3);
  EXPECT_EQ(out[1][0][5], 3.f);
  EXPECT_EQ(out[1][1][5], 4.f);
  EXPECT_EQ(IPlugAU::DoRender(&plug, &flags, &ts, 2, 64, (AudioBufferList*)&lists[1]),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST(AUInProcess, MidiAndNoteSelectors)
{
  InstrumentPlug plug;
  EXPECT_EQ(Entry(&plug, kMusicDeviceMIDIEventSelect, {0x91, 64, 90, 12}), noErr);
  UInt8 sysex[5] = {0xF0, 1, 2, 3, 0xF7};
  EXPECT_EQ(Entry(&plug, kMusicDeviceSysExSelect, {(long)sysex, 5}), noErr);
  NoteInstanceID id = 0;
  MusicDeviceNoteParams note;
  memset(&note, 0, sizeof(note));
  note.argCount = 2;
  note.mPitch = 60.7f;
  note.mVelocity = 100.9f;
  EXPECT_EQ(Entry(&plug, kMusicDeviceStartNoteSelect, {0, 0, (long)&id, 7, (long)&note}), noErr);
  EXPECT_EQ(id, 60u);
  EXPECT_EQ(Entry(&plug, kMusicDeviceStopNoteSelect, {0, (long)id, 9}), noErr);
  EXPECT_EQ(Entry(&plug, kMusicDevicePrepareInstrumentSelect, {0}), noErr);
  EXPECT_EQ(Entry(&plug, kMusicDeviceReleaseInstrumentSelect, {0}), noErr);
  ASSERT_EQ(plug.midi.size(), 3u);
  EXPECT_EQ(plug.midi[0].mOffset, 12);
  EXPECT_EQ(plug.midi[0].StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(plug.midi[0].Channel(), 1);
  EXPECT_EQ(plug.midi[0].NoteNumber(), 64);
  EXPECT_EQ(plug.midi[1].NoteNumber(), 60);
  EXPECT_EQ(plug.midi[1].Velocity(), 100);
  EXPECT_EQ(plug.midi[1].mOffset, 7);
  EXPECT_EQ(plug.midi[2].StatusMsg(), IMidiMsg::kNoteOff);
  EXPECT_EQ(plug.midi[2].NoteNumber(), 60);
  EXPECT_EQ(plug.midi[2].mOffset, 9);
  ASSERT_EQ(plug.sysexSizes.size(), 1u);
  EXPECT_EQ(plug.sysexSizes[0], 5);
  // Parameter set through the entry: the float sits at the start of its slot.
  EXPECT_EQ(Entry(&plug, kAudioUnitSetParameterSelect, {0, 0, 0, FloatArg(0.25f), 0}), noErr);
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.25);
  EXPECT_EQ(Entry(&plug, kComponentVersionSelect, {}), 0x10000);
}
