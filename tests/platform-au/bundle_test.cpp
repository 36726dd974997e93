// Components from bundles: the test bundle registers and runs; broken bundles are refused
// with a status and a message naming what is missing.
#include <AudioToolbox/AudioToolbox.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const AudioComponentDescription kGain = {kAudioUnitType_Effect, 'tgan', 'Test', 0, 0};

OSStatus ramp(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames, AudioBufferList* io)
{
  for (UInt32 b = 0; b < io->mNumberBuffers; b++)
    for (UInt32 i = 0; i < frames; i++) ((Float32*)io->mBuffers[b].mData)[i] = (Float32)i;
  return noErr;
}

TEST(Bundle, TestBundleRegistersAndRuns)
{
  ASSERT_EQ(AudioComponentRegisterBundle(TEST_BUNDLE), noErr);
  UInt32 count = AudioComponentCount(&kGain);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(AudioComponentRegisterBundle(TEST_BUNDLE), noErr);  // again: nothing added
  EXPECT_EQ(AudioComponentCount(&kGain), count);

  AudioComponent c = AudioComponentFindNext(nullptr, &kGain);
  ASSERT_NE(c, nullptr);
  CFStringRef name;
  AudioComponentCopyName(c, &name);
  EXPECT_TRUE(CFEqual(name, CFSTR("Test: Gain")));
  CFRelease(name);
  UInt32 version;
  AudioComponentGetVersion(c, &version);
  EXPECT_EQ(version, 65793u);
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("com.example.audiounit.TestUnit"));
  ASSERT_NE(bundle, nullptr);
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  char path[1024];
  CFURLGetFileSystemRepresentation(url, true, (UInt8*)path, sizeof path);
  char real[1024];
  EXPECT_STREQ(path, realpath(TEST_BUNDLE, real));
  CFRelease(url);

  AudioUnit u;
  ASSERT_EQ(AudioComponentInstanceNew(c, &u), noErr);
  AURenderCallbackStruct cb = {ramp, nullptr};
  EXPECT_EQ(AudioUnitSetProperty(u, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof cb),
            noErr);
  EXPECT_EQ(AudioUnitSetParameter(u, 0, kAudioUnitScope_Global, 0, 0.5f, 0), noErr);
  EXPECT_EQ(AudioUnitInitialize(u), noErr);
  Float32 samples[4];
  AudioBufferList list = {1, {{1, sizeof samples, samples}}};
  AudioTimeStamp ts = {};
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  EXPECT_EQ(AudioUnitRender(u, &flags, &ts, 0, 4, &list), noErr);
  EXPECT_EQ(samples[3], 1.5f);
  EXPECT_EQ(AudioComponentInstanceDispose(u), noErr);

  // The same component through its entry routine: merged into the registered component.
  ComponentDescription cd = {kAudioUnitType_Effect, 'tgan', 'Test', 0, 0};
  Component viaEntry = RegisterComponentBundleEntry(&cd, TEST_BUNDLE, "TestUnit_Entry");
  EXPECT_EQ((void*)viaEntry, (void*)c);
  ComponentInstance ci;
  ASSERT_EQ(OpenAComponent(viaEntry, &ci), noErr);
  EXPECT_NE(GetComponentInstanceStorage(ci), nullptr);
  EXPECT_EQ(GetComponentVersion(ci), 0x00010105);
  AudioUnitParameterValue v = 0;
  EXPECT_EQ(AudioUnitSetParameter(ci, 0, kAudioUnitScope_Global, 0, 5.0f, 0), noErr);
  EXPECT_EQ(AudioUnitGetParameter(ci, 0, kAudioUnitScope_Global, 0, &v), noErr);
  EXPECT_EQ(v, 2.0f);                                                              // clamped by the unit
  EXPECT_EQ(AudioUnitRender(ci, &flags, &ts, 0, 4, &list), badComponentSelector);  // the entry does not render
  EXPECT_EQ(CloseComponent(ci), noErr);
}

void writeFile(const std::string& path, const std::string& text)
{
  FILE* f = fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fputs(text.c_str(), f);
  fclose(f);
}

std::string plist(const std::string& executable, const std::string& components)
{
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" +
         (executable.empty() ? std::string() : "<key>CFBundleExecutable</key><string>" + executable + "</string>") +
         components + "</dict></plist>";
}

std::string entry(const std::string& omit, const std::string& factory = "TestUnit_Factory",
                  const std::string& type = "aufx")
{
  std::string keys[][2] = {
      {"type", "<string>" + type + "</string>"}, {"subtype", "<string>tbad</string>"},
      {"manufacturer", "<string>Test</string>"}, {"name", "<string>Test: Broken</string>"},
      {"version", "<integer>1</integer>"},       {"factoryFunction", "<string>" + factory + "</string>"}};
  std::string out = "<dict>";
  for (auto& k : keys)
    if (k[0] != omit) out += "<key>" + k[0] + "</key>" + k[1];
  return out + "</dict>";
}

std::string components(const std::string& entries)
{
  return "<key>AudioComponents</key><array>" + entries + "</array>";
}

TEST(Bundle, BrokenBundlesAreRefusedWithAMessage)
{
  struct Case
  {
    const char* name;
    std::string info;  // empty: no Info.plist; "-": no bundle directory at all
    bool executable;
    OSStatus status;
    const char* message;
  };
  const std::string good = entry("");
  const std::vector<Case> cases = {
      {"no directory", "-", false, fnfErr, "no bundle directory"},
      {"no Info.plist", "", false, fnfErr, "Contents/Info.plist"},
      {"unreadable Info.plist", "<plist><dict><key>", false, kAudioComponentErr_InvalidFormat, "unreadable"},
      {"no AudioComponents", plist("TestUnit", ""), true, kAudioComponentErr_InvalidFormat, "AudioComponents"},
      {"no factoryFunction", plist("TestUnit", components(entry("factoryFunction"))), true,
       kAudioComponentErr_InvalidFormat, "\"factoryFunction\""},
      {"no subtype", plist("TestUnit", components(entry("subtype"))), true, kAudioComponentErr_InvalidFormat,
       "\"subtype\""},
      {"no version", plist("TestUnit", components(entry("version"))), true, kAudioComponentErr_InvalidFormat,
       "\"version\""},
      {"type not four characters", plist("TestUnit", components(entry("", "TestUnit_Factory", "effect"))), true,
       kAudioComponentErr_InvalidFormat, "\"type\""},
      {"no CFBundleExecutable", plist("", components(good)), true, kAudioComponentErr_InvalidFormat,
       "CFBundleExecutable"},
      {"no executable file", plist("TestUnit", components(good)), false, fnfErr, "missing executable"},
      {"missing symbol", plist("TestUnit", components(good + entry("", "NoSuchFactory"))), true,
       componentDllEntryNotFoundErr, "NoSuchFactory"},
  };
  char tmpl[] = "/tmp/aubundle-XXXXXX";
  std::string root = mkdtemp(tmpl);
  int n = 0;
  for (const Case& c : cases) {
    std::string b = root + "/b" + std::to_string(n++) + ".component";
    if (c.info != "-") {
      mkdir(b.c_str(), 0755);
      mkdir((b + "/Contents").c_str(), 0755);
      mkdir((b + "/Contents/MacOS").c_str(), 0755);
      if (!c.info.empty()) writeFile(b + "/Contents/Info.plist", c.info);
      if (c.executable) {
        ASSERT_EQ(symlink(TEST_UNIT_MODULE, (b + "/Contents/MacOS/TestUnit").c_str()), 0);
      }
    }
    ::testing::internal::CaptureStderr();
    OSStatus r = AudioComponentRegisterBundle(b.c_str());
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(r, c.status) << c.name;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.name << ": " << err;
  }
  // Nothing of a refused bundle was registered, not even its good entries.
  AudioComponentDescription broken = {kAudioUnitType_Effect, 'tbad', 'Test', 0, 0};
  EXPECT_EQ(AudioComponentFindNext(nullptr, &broken), nullptr);
  EXPECT_EQ(AudioComponentRegisterBundle(nullptr), paramErr);

  ComponentDescription cd = {kAudioUnitType_Effect, 'tbad', 'Test', 0, 0};
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RegisterComponentBundleEntry(&cd, TEST_BUNDLE, "NoSuchEntry"), nullptr);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("NoSuchEntry"), std::string::npos);
}

}  // namespace

extern "C" int RunMacHost(char* nameOut, size_t nameSize, float* firstSampleOut);

namespace {

TEST(Bundle, HostProgramWrittenForTheSystemRuns)
{
  ASSERT_EQ(AudioComponentRegisterBundle(TEST_BUNDLE), noErr);
  char name[64] = "";
  float first = 0;
  EXPECT_EQ(RunMacHost(name, sizeof name, &first), 0);
  EXPECT_STREQ(name, "Test: Gain");
  EXPECT_EQ(first, 0.25f);
}

}  // namespace
