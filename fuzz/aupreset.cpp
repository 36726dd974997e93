// .aupreset data through the property-list reader: corrupt data gives null and an error, never a
// crash; a tree that reads and writes in either format reads back equal; a dictionary
// that reads goes to an instance as its class info.
#include "KelvoUnit.h"

#include <CoreFoundation/CoreFoundation.h>

namespace
{
void RoundTrip(CFPropertyListRef plist, CFPropertyListFormat format)
{
  // Text that reads but has no UTF-8 form (a lone UTF-16 surrogate) cannot be written back.
  CFDataRef written = CFPropertyListCreateData(nullptr, plist, format, 0, nullptr);
  if (!written) return;
  CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, written, kCFPropertyListImmutable, nullptr, nullptr);
  Require(back && CFEqual(back, plist), "a written tree reads back equal");
  CFRelease(back);
  CFRelease(written);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static KelvoInstance unit;
  CFDataRef bytes = CFDataCreate(nullptr, data, (CFIndex)size);
  CFPropertyListFormat format = (CFPropertyListFormat)0;
  CFErrorRef err = nullptr;
  CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, bytes, kCFPropertyListImmutable, &format, &err);
  CFRelease(bytes);
  if (!plist)
  {
    Require(err != nullptr, "a refused list says why");
    CFRelease(err);
    return 0;
  }
  Require(err == nullptr, "a list that reads gives no error");
  Require(format == kCFPropertyListXMLFormat_v1_0 || format == kCFPropertyListBinaryFormat_v1_0,
          "the format found is XML or binary");
  RoundTrip(plist, kCFPropertyListXMLFormat_v1_0);
  RoundTrip(plist, kCFPropertyListBinaryFormat_v1_0);
  if (CFGetTypeID(plist) == CFDictionaryGetTypeID())
    AudioUnitSetProperty(unit.Get(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &plist, sizeof(plist));
  CFRelease(plist);
  return 0;
}
