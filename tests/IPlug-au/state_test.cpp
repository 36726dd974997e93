// Class-info state, the dictionary helpers and the factory-preset records.
#include "AUTestHost.h"
#include "IPlugAU_CF.h"
#include "ByteChunk.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace {
CFDictionaryRef GetState(AudioUnit unit)
{
  CFPropertyListRef state = nullptr;
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_ClassInfo, 0, 0, state), noErr);
  return (CFDictionaryRef)state;
}

OSStatus SetState(AudioUnit unit, CFPropertyListRef state)
{
  return SetProp(unit, kAudioUnitProperty_ClassInfo, 0, 0, state);
}

std::vector<float> Params(AudioUnit unit)
{
  std::vector<float> v(4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(AudioUnitGetParameter(unit, i, 0, 0, &v[i]), noErr);
  return v;
}

void SetParams(AudioUnit unit, std::vector<float> v)
{
  for (int i = 0; i < 4; ++i) EXPECT_EQ(AudioUnitSetParameter(unit, i, 0, 0, v[i], 0), noErr);
}

SInt32 Number(CFDictionaryRef dict, const char* key)
{
  SInt32 v = 0;
  EXPECT_TRUE(GetSInt32FromDict(dict, key, &v)) << key;
  return v;
}

int PresentPresetNumber(AudioUnit unit)
{
  AUPreset p = {-1, nullptr};
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_PresentPreset, 0, 0, p), noErr);
  if (p.presetName) CFRelease(p.presetName);
  return p.presetNumber;
}

// A copy of state with one key replaced (value null: removed).
CFMutableDictionaryRef With(CFDictionaryRef state, const char* key, CFTypeRef value)
{
  CFMutableDictionaryRef copy = CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, state);
  CFStringRef k = CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
  if (value)
    CFDictionarySetValue(copy, k, value);
  else
    CFDictionaryRemoveValue(copy, k);
  CFRelease(k);
  return copy;
}

const std::vector<float> kChanged = {-9.5f, 0.25f, 0.8f, 1.f};
const std::vector<float> kDefaults = {-15.f, 0.7f, 0.3f, 0.f};
}  // namespace

TEST(AUState, DefaultStateHasSixKeys)
{
  TestUnit unit;
  CFDictionaryRef state = GetState(unit);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(CFDictionaryGetCount(state), 6);
  EXPECT_EQ(Number(state, "version"), 65536);
  EXPECT_EQ(Number(state, "type"), (SInt32)FourCC("aufx"));
  EXPECT_EQ(Number(state, "subtype"), (SInt32)FourCC("Kel1"));
  EXPECT_EQ(Number(state, "manufacturer"), (SInt32)FourCC("Qlmh"));
  char name[64];
  EXPECT_TRUE(GetStrFromDict(state, "name", name, sizeof(name)));
  EXPECT_STREQ(name, "-");
  ByteChunk data;
  ASSERT_TRUE(GetDataFromDict(state, "data", &data));
  ASSERT_EQ(data.Size(), 32);
  double first;
  memcpy(&first, data.GetBytes(), 8);
  EXPECT_EQ(first, -15.0);
  CFRelease(state);
}

TEST(AUState, RoundTripsThroughAFreshInstanceAndXML)
{
  TestUnit a;
  SetParams(a, kChanged);
  CFDictionaryRef state = GetState(a);
  {
    TestUnit b;
    EXPECT_EQ(SetState(b, state), noErr);
    EXPECT_EQ(Params(b), kChanged);
  }
  CFErrorRef error = nullptr;
  CFDataRef xml = CFPropertyListCreateData(kCFAllocatorDefault, state, kCFPropertyListXMLFormat_v1_0, 0, &error);
  ASSERT_NE(xml, nullptr);
  std::string text((const char*)CFDataGetBytePtr(xml), CFDataGetLength(xml));
  EXPECT_NE(text.find("<key>manufacturer</key>"), std::string::npos);
  CFPropertyListRef back = CFPropertyListCreateWithData(kCFAllocatorDefault, xml, 0, nullptr, &error);
  ASSERT_NE(back, nullptr);
  {
    TestUnit c(true);
    EXPECT_EQ(SetState(c, back), noErr);
    EXPECT_EQ(Params(c), kChanged);
  }
  CFRelease(back);
  CFRelease(xml);
  CFRelease(state);
}

TEST(AUState, RefusedStatesChangeNothing)
{
  TestUnit source;
  CFDictionaryRef state = GetState(source);
  SInt32 other = FourCC("Oth1"), text = 0;
  CFNumberRef otherNum = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &other);
  CFNumberRef zero = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &text);
  std::string longName(70, 'x');
  CFStringRef longStr = CFStringCreateWithCString(kCFAllocatorDefault, longName.c_str(), kCFStringEncodingUTF8);
  struct Case
  {
    const char* what;
    const char* key;
    CFTypeRef value;
  } cases[] = {
      {"foreign subtype", "subtype", otherNum},
      {"foreign manufacturer", "manufacturer", otherNum},
      {"foreign type", "type", zero},
      {"type as a string", "type", CFSTR("aufx")},
      {"no version", "version", nullptr},
      {"no name", "name", nullptr},
      {"name as a number", "name", zero},
      {"name too long", "name", longStr},
      {"no data", "data", nullptr},
      {"data as a string", "data", CFSTR("abc")},
  };
  TestUnit unit;
  SetParams(unit, kChanged);
  for (const Case& c : cases) {
    CFMutableDictionaryRef bad = With(state, c.key, c.value);
    EXPECT_EQ(SetState(unit, bad), kAudioUnitErr_InvalidPropertyValue) << c.what;
    EXPECT_EQ(Params(unit), kChanged) << c.what;
    EXPECT_EQ(PresentPresetNumber(unit), 0);
    CFRelease(bad);
  }
  EXPECT_EQ(SetState(unit, CFSTR("not a dictionary")), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(SetState(unit, nullptr), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Params(unit), kChanged);
  CFRelease(longStr);
  CFRelease(zero);
  CFRelease(otherNum);
  CFRelease(state);
}

static UInt32 Quality(AudioUnit unit)
{
  UInt32 q = 999;
  EXPECT_EQ(GetProp(unit, kAudioUnitProperty_RenderQuality, 0, 0, q), noErr);
  return q;
}

TEST(AUState, RenderQualityTravelsWithTheStateUnderItsOwnKey)
{
  TestUnit a;
  SetParams(a, kChanged);
  ASSERT_EQ(SetProp(a, kAudioUnitProperty_RenderQuality, 0, 0, (UInt32)127), noErr);
  CFDictionaryRef state = GetState(a);
  EXPECT_EQ(CFDictionaryGetCount(state), 7);
  EXPECT_EQ(Number(state, "render-quality"), 127);

  TestUnit b;
  ASSERT_EQ(SetState(b, state), noErr);
  EXPECT_EQ(Quality(b), 127u);
  EXPECT_EQ(Params(b), kChanged);
  Float64 latency = 0;
  EXPECT_EQ(GetProp(b, kAudioUnitProperty_Latency, 0, 0, latency), noErr);
  EXPECT_GT(latency, 0.0);

  // A state without the key, as made before there were qualities, means the standard path.
  CFMutableDictionaryRef old = With(state, "render-quality", nullptr);
  ASSERT_EQ(SetState(b, old), noErr);
  EXPECT_EQ(Quality(b), 0u);
  EXPECT_EQ(GetProp(b, kAudioUnitProperty_Latency, 0, 0, latency), noErr);
  EXPECT_EQ(latency, 0.0);
  CFRelease(old);

  // A key that does not hold a quality refuses the whole state.
  ASSERT_EQ(SetState(b, state), noErr);
  SetParams(b, kDefaults);
  SInt32 values[] = {128, -1};
  for (SInt32 v : values) {
    CFNumberRef num = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &v);
    CFMutableDictionaryRef bad = With(state, "render-quality", num);
    EXPECT_EQ(SetState(b, bad), kAudioUnitErr_InvalidPropertyValue) << v;
    CFRelease(bad);
    CFRelease(num);
  }
  CFMutableDictionaryRef text = With(state, "render-quality", CFSTR("best"));
  EXPECT_EQ(SetState(b, text), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(text);
  EXPECT_EQ(Quality(b), 127u);
  EXPECT_EQ(Params(b), kDefaults);
  CFRelease(state);
}

TEST(AUState, ShortDataAndUnknownNames)
{
  TestUnit source;
  SetParams(source, kChanged);
  CFDictionaryRef state = GetState(source);
  // Data that runs out before the last parameter is refused whole: no value of it applies and
  // the values and preset from before stay.
  double v0 = -33.0;
  UInt8 bytes[31] = {};
  memcpy(bytes, &v0, 8);
  for (CFIndex size : {(CFIndex)12, (CFIndex)0, (CFIndex)31}) {
    CFDataRef shortData = CFDataCreate(kCFAllocatorDefault, bytes, size);
    CFMutableDictionaryRef shortState = With(state, "data", shortData);
    TestUnit unit;
    SetParams(unit, kChanged);
    EXPECT_EQ(SetState(unit, shortState), kAudioUnitErr_InvalidPropertyValue) << size << " bytes";
    EXPECT_EQ(Params(unit), kChanged) << size << " bytes";
    EXPECT_EQ(PresentPresetNumber(unit), 0);
    CFRelease(shortState);
    CFRelease(shortData);
  }
  // A name of no preset: the data still applies, the preset index stays.
  CFMutableDictionaryRef renamed = With(state, "name", CFSTR("no such preset"));
  {
    TestUnit unit;
    EXPECT_EQ(SetState(unit, renamed), noErr);
    EXPECT_EQ(Params(unit), kChanged);
    EXPECT_EQ(PresentPresetNumber(unit), 0);
  }
  CFRelease(renamed);
  CFRelease(state);
}

TEST(AUPresetRecords, CountingEqualityAndDescription)
{
  CFStringRef warm = CFStringCreateWithCString(kCFAllocatorDefault, "Warm", kCFStringEncodingUTF8);
  CFAUPresetRef a = CFAUPresetCreate(kCFAllocatorDefault, 3, warm);
  CFRelease(warm);
  CFAUPresetRef b = CFAUPresetCreate(kCFAllocatorDefault, 3, CFSTR("Warm"));
  CFAUPresetRef c = CFAUPresetCreate(kCFAllocatorDefault, 3, CFSTR("Cold"));
  CFAUPresetRef d = CFAUPresetCreate(kCFAllocatorDefault, 4, CFSTR("Warm"));
  CFAUPresetRef unnamed = CFAUPresetCreate(kCFAllocatorDefault, 1, nullptr);
  ASSERT_TRUE(a && b && c && d && unnamed);
  EXPECT_TRUE(CFAUPresetArrayEqualCallBack(a, b));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, c));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, d));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, unnamed));
  CFStringRef desc = CFAUPresetArrayCopyDescriptionCallBack(a);
  EXPECT_EQ(Text(desc), "AUPreset:\npreset number = 3\npreset name = Warm");
  CFRelease(desc);

  // Each reference holds one on the name; the array takes and gives back its own.
  CFIndex nameCount = CFGetRetainCount(a->au.presetName);
  EXPECT_EQ(CFAUPresetRetain(a), a);
  EXPECT_EQ(a->retainCount, 2);
  EXPECT_EQ(CFGetRetainCount(a->au.presetName), nameCount + 1);
  CFAUPresetRelease(a);
  EXPECT_EQ(a->retainCount, 1);
  CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFAUPresetArrayCallBacks);
  CFArrayAppendValue(array, a);
  EXPECT_EQ(a->retainCount, 2);
  CFRelease(array);
  EXPECT_EQ(a->retainCount, 1);
  EXPECT_EQ(CFAUPresetRetain(nullptr), nullptr);
  CFAUPresetRelease(nullptr);

  // A record whose count is already 0 is left alone.
  CFAUPreset dead;
  memset(&dead, 0, sizeof(dead));
  dead.au.presetNumber = 9;
  CFAUPresetRelease(&dead);
  EXPECT_EQ(dead.retainCount, 0);
  EXPECT_EQ(dead.au.presetNumber, 9);

  CFArrayCallBacks callBacks;
  memset(&callBacks, 0xff, sizeof(callBacks));
  CFAUPresetArrayCallBacks_Init(&callBacks);
  CFAUPresetArrayCallBacks_Init(nullptr);
  EXPECT_EQ(callBacks.version, 0);
  EXPECT_EQ(callBacks.equal, kCFAUPresetArrayCallBacks.equal);
  EXPECT_EQ(callBacks.retain, kCFAUPresetArrayCallBacks.retain);
  for (CFAUPresetRef p : {a, b, c, d, unnamed}) CFAUPresetRelease(p);
}

TEST(AUPresetRecords, DictionaryHelpers)
{
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                          &kCFTypeDictionaryValueCallBacks);
  SInt32 n = -7;
  PutNumberInDict(dict, "n", &n, kCFNumberSInt32Type);
  PutStrInDict(dict, "s", "h\xc3\xa9llo");
  ByteChunk chunk;
  chunk.AppendValue(1.5);
  PutDataInDict(dict, "d", &chunk);
  EXPECT_EQ(CFDictionaryGetCount(dict), 3);

  SInt32 got = 0;
  EXPECT_TRUE(GetSInt32FromDict(dict, "n", &got));
  EXPECT_EQ(got, -7);
  EXPECT_FALSE(GetSInt32FromDict(dict, "s", &got));
  char text[8];
  EXPECT_TRUE(GetStrFromDict(dict, "s", text, sizeof(text)));
  EXPECT_STREQ(text, "h\xc3\xa9llo");
  EXPECT_FALSE(GetStrFromDict(dict, "s", text, 4)) << "does not fit";
  EXPECT_STREQ(text, "");
  EXPECT_FALSE(GetStrFromDict(dict, "missing", text, sizeof(text)));
  ByteChunk back;
  back.AppendValue(99);
  EXPECT_TRUE(GetDataFromDict(dict, "d", &back));
  EXPECT_TRUE(back.IsEqual(chunk));
  EXPECT_FALSE(GetDataFromDict(dict, "n", &back));
  CFRelease(dict);
}
