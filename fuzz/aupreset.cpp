// .aupreset data through the property-list reader: corrupt data gives null and an error, never a
// crash; a tree that reads and writes in either format reads back equal; a dictionary
// that reads goes to an instance as its class info.
#include "KelvoUnit.h"

#include <CoreFoundation/CoreFoundation.h>

#include <vector>

namespace {
// True when the tree holds a date anywhere: XML keeps dates to the whole second only.
bool HoldsDate(CFTypeRef node)
{
  const CFTypeID type = CFGetTypeID(node);
  if (type == CFDateGetTypeID()) return true;
  if (type == CFArrayGetTypeID()) {
    for (CFIndex i = 0; i < CFArrayGetCount((CFArrayRef)node); ++i)
      if (HoldsDate(CFArrayGetValueAtIndex((CFArrayRef)node, i))) return true;
    return false;
  }
  if (type != CFDictionaryGetTypeID()) return false;
  const CFIndex n = CFDictionaryGetCount((CFDictionaryRef)node);
  std::vector<const void*> values((size_t)n);
  CFDictionaryGetKeysAndValues((CFDictionaryRef)node, nullptr, values.data());
  for (const void* v : values)
    if (HoldsDate(v)) return true;
  return false;
}

void RoundTrip(CFPropertyListRef plist, CFPropertyListFormat format)
{
  // Text that reads but has no UTF-8 form (a lone UTF-16 surrogate) cannot be written back.
  CFDataRef written = CFPropertyListCreateData(nullptr, plist, format, 0, nullptr);
  if (!written) return;
  CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, written, kCFPropertyListImmutable, nullptr, nullptr);
  Require(back != nullptr, "a written tree reads back");
  if (format == kCFPropertyListBinaryFormat_v1_0 || !HoldsDate(plist))
    Require(CFEqual(back, plist), "a written tree reads back equal");
  // XML is canonical (sorted keys, nothing shared): what was read back writes as the same
  // text, dates included. The binary writer may store equal values once or twice.
  CFDataRef again = CFPropertyListCreateData(nullptr, back, format, 0, nullptr);
  Require(again != nullptr, "a tree read back can be written");
  Require(format != kCFPropertyListXMLFormat_v1_0 || CFEqual(again, written), "a tree read back writes the same XML");
  CFRelease(again);
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
  if (!plist) {
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
