// The class-info dictionary set on an instance, built from the input: keys present or missing,
// values of the wrong type, odd data sizes, long and non-ASCII names. A refused dictionary
// leaves the state as it was; an accepted one reads back as a dictionary of the unit's own.
#include "FuzzInput.h"
#include "KelvoUnit.h"

#include <CoreFoundation/CoreFoundation.h>

namespace {
const char* const kKeys[] = {"version", "type", "subtype", "manufacturer", "name", "data", "preset-number"};

// The unit's own values, to be kept or spoiled by the input.
const SInt32 kOwn[] = {0x10000, (SInt32)kAudioUnitType_Effect, 0x4B656C31, 0x516C6D68};

CFTypeRef MakeValue(FuzzInput& in, int key)
{
  switch (in.TakeInt(0, 7)) {
    case 0:
      return nullptr;  // missing
    case 1: {
      SInt32 v = key < 4 && in.TakeBool() ? kOwn[key] : in.Take<SInt32>();
      return CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
    }
    case 2: {
      double v = in.Take<double>();
      return CFNumberCreate(nullptr, kCFNumberFloat64Type, &v);
    }
    case 3: {
      SInt64 v = in.Take<SInt64>();
      return CFNumberCreate(nullptr, kCFNumberSInt64Type, &v);
    }
    case 4: {
      std::string s = in.TakeString(300);
      return CFStringCreateWithBytes(nullptr, (const UInt8*)s.data(), (CFIndex)s.size(), kCFStringEncodingUTF8, false);
    }
    case 5: {
      std::vector<uint8_t> b = in.TakeBytes(96);
      return CFDataCreate(nullptr, b.data(), (CFIndex)b.size());
    }
    case 6:
      return CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks);
    default: {
      // Whole parameter values, a few of them.
      std::vector<double> v(in.TakeInt(0, 6));
      for (double& d : v) d = in.Take<double>();
      return CFDataCreate(nullptr, (const UInt8*)v.data(), (CFIndex)(v.size() * sizeof(double)));
    }
  }
}

CFDataRef StateData(AudioUnit unit)
{
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof(state);
  Require(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size) == noErr &&
              state && CFGetTypeID(state) == CFDictionaryGetTypeID(),
          "the state reads back as a dictionary");
  CFDataRef data = (CFDataRef)CFDictionaryGetValue((CFDictionaryRef)state, CFSTR("data"));
  Require(data && CFGetTypeID(data) == CFDataGetTypeID() && CFDataGetLength(data) == 4 * 8,
          "the state holds one value per parameter");
  CFRetain(data);
  CFRelease(state);
  return data;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static KelvoInstance unit;
  FuzzInput in(data, size);
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  for (int k = 0; k < (int)(sizeof(kKeys) / sizeof(kKeys[0])); ++k) {
    CFTypeRef value = MakeValue(in, k);
    if (!value) continue;
    CFStringRef key = CFStringCreateWithCString(nullptr, kKeys[k], kCFStringEncodingUTF8);
    CFDictionarySetValue(dict, key, value);
    CFRelease(key);
    CFRelease(value);
  }
  CFDataRef before = StateData(unit.Get());
  CFPropertyListRef plist = dict;
  const OSStatus r =
      AudioUnitSetProperty(unit.Get(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &plist, sizeof(plist));
  CFDataRef after = StateData(unit.Get());
  if (r != noErr) Require(CFEqual(before, after), "a refused state changes nothing");
  CFRelease(before);
  CFRelease(after);
  CFRelease(dict);
  return 0;
}
