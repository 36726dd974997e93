// Entry points, instance lifecycle, dispatch and channel configuration, as a host sees them.
#include "AUTestHost.h"

#include <gtest/gtest.h>
#include <dlfcn.h>

#include <string.h>

namespace {
// The bundle's executable, opened a second time to reach its exported symbols.
void* BundleSymbol(const char* name)
{
  KelvoComponent();
  void* h = dlopen((KelvoBundlePath() + "/Contents/MacOS/Kelvo").c_str(), RTLD_NOW | RTLD_NOLOAD);
  return h ? dlsym(h, name) : nullptr;
}

ComponentResult Call(AudioUnit unit, SInt16 what, std::initializer_list<long> args)
{
  return CallComponentWithArguments(unit, what, args.begin(), (UInt32)args.size());
}
}  // namespace

TEST(AULifecycle, BundleIsRegisteredUnderItsDescription)
{
  AudioComponent comp = KelvoComponent();
  ASSERT_NE(comp, nullptr);
  CFStringRef name = nullptr;
  ASSERT_EQ(AudioComponentCopyName(comp, &name), noErr);
  EXPECT_EQ(Text(name), "Quillmarsh: Kelvo");
  CFRelease(name);
  UInt32 version = 0;
  EXPECT_EQ(AudioComponentGetVersion(comp, &version), noErr);
  EXPECT_EQ(version, 0x10000u);
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("com.Quillmarsh.audiounit.Kelvo"));
  EXPECT_NE(bundle, nullptr);
}

TEST(AULifecycle, OnlyTheThreeEntryPointsAreExported)
{
  for (const char* name : {"Kelvo_Entry", "Kelvo_ViewEntry", "Kelvo_Factory"})
    EXPECT_NE(BundleSymbol(name), nullptr) << name;
  for (const char* name : {"MakePlug", "_Z8MakePlugPv", "_ZN7IPlugAU12IPlugAUEntryEP19ComponentParametersPv"})
    EXPECT_EQ(BundleSymbol(name), nullptr) << name;
}

TEST(AULifecycle, LookupHandsOutTheTableAndNothingElse)
{
  typedef void* (*Factory)(const AudioComponentDescription*);
  Factory factory = (Factory)BundleSymbol("Kelvo_Factory");
  ASSERT_NE(factory, nullptr);
  AudioComponentPlugInInterface* iface = (AudioComponentPlugInInterface*)factory(&kKelvoDesc);
  ASSERT_NE(iface, nullptr);
  for (int sel : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17, 18}) EXPECT_NE(iface->Lookup(sel), nullptr) << sel;
  for (int sel : {0, 8, 12, 13, 19, 0x101, 0x102, -1, -2}) EXPECT_EQ(iface->Lookup(sel), nullptr) << sel;
  // Open and Close on a record that the host never registered.
  EXPECT_EQ(iface->Open(iface, nullptr), noErr);
  EXPECT_EQ(iface->Close(iface), noErr);
}

TEST(AULifecycle, EntryAnswersCanDoVersionAndRefusesMidi)
{
  TestUnit unit(true);
  ASSERT_NE(unit.Get(), nullptr);
  struct Case
  {
    int selector;
    ComponentResult canDo;
  } cases[] = {{1, 1},  {7, 1},  {8, 0},  {9, 1},  {11, 1}, {12, 0},
               {13, 0}, {14, 1}, {17, 1}, {18, 0}, {0, 0},  {0x101, 0}};
  for (const Case& c : cases) EXPECT_EQ(ComponentFunctionImplemented(unit, (SInt16)c.selector), c.canDo) << c.selector;
  EXPECT_EQ(GetComponentVersion(unit), 0x10000);
  EXPECT_EQ(Call(unit, kMusicDeviceMIDIEventSelect, {0x90, 60, 100, 0}), (ComponentResult)badComponentSelector);
  EXPECT_EQ(Call(unit, kMusicDeviceSysExSelect, {0, 0}), (ComponentResult)badComponentSelector);
  EXPECT_EQ(Call(unit, kMusicDevicePrepareInstrumentSelect, {0}), noErr);
  EXPECT_EQ(Call(unit, 0x200, {}), (ComponentResult)badComponentSelector);
}

TEST(AULifecycle, EntryInstanceAnswersPropertiesAndRenders)
{
  TestUnit unit(true);
  ASSERT_NE(unit.Get(), nullptr);
  ASSERT_EQ(SetFloatIO(unit, 2, 44100.0, 256), noErr);
  RenderHarness h(unit);
  h.source[0] = TestSignal(1024, 0);
  h.source[1] = TestSignal(1024, 1);
  ASSERT_EQ(h.Connect(), noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(h.RenderBlock(256), noErr);
  EXPECT_EQ(h.output[0].size(), 1024u);
  EXPECT_EQ(AudioUnitReset(unit, kAudioUnitScope_Global, 0), noErr);
  EXPECT_EQ(AudioUnitUninitialize(unit), noErr);
}

// Initialize under the channel configurations a host may set up, for "1-1 2-2".
TEST(AULifecycle, InitializeChecksTheChannelConfiguration)
{
  struct Case
  {
    int in, out;  // channels to set; 0 = leave unset, -3 = set 3 (refused, leaves 0)
    OSStatus initResult;
  } cases[] = {
      {0, 0, noErr},
      {1, 1, noErr},
      {2, 2, noErr},
      {1, 0, noErr},
      {0, 2, noErr},
      {1, 2, (OSStatus)badComponentSelector},
      {2, 1, (OSStatus)badComponentSelector},
      {-3, 0, (OSStatus)badComponentSelector},
      {-3, 2, (OSStatus)badComponentSelector},
  };
  for (const Case& c : cases) {
    TestUnit unit;
    if (c.in > 0) {
      EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Input, c.in), noErr);
    }
    if (c.in < 0) {
      EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Input, -c.in), kAudioUnitErr_InvalidProperty);
    }
    if (c.out > 0) {
      EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Output, c.out), noErr);
    }
    EXPECT_EQ(AudioUnitInitialize(unit), c.initResult) << c.in << "-" << c.out;
    EXPECT_EQ(AudioUnitUninitialize(unit), noErr);
    EXPECT_EQ(AudioUnitInitialize(unit), c.initResult) << "again " << c.in << "-" << c.out;
  }
}

TEST(AULifecycle, FormatChangesOnceInitializedMustFitTheOtherSide)
{
  TestUnit unit;
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Input, 2), noErr);
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Output, 2), noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Output, 1), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Output, 2), noErr);
  EXPECT_EQ(AudioUnitUninitialize(unit), noErr);
  // Uninitialized, each side is judged alone again.
  EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Output, 1), noErr);
}

TEST(AULifecycle, ManyInstancesOpenAndCloseCleanly)
{
  for (int i = 0; i < 8; ++i) {
    TestUnit a, b(true);
    EXPECT_NE(a.Get(), nullptr);
    EXPECT_NE(b.Get(), nullptr);
    EXPECT_EQ(AudioUnitInitialize(a), noErr);
  }
}
