// Attributed strings with one run of attributes.

#include <CoreFoundation/CFAttributedString.h>

#include "object.h"

struct __CFAttributedString : cgi::Object
{
  ~__CFAttributedString() override
  {
    CFRelease(string);
    if (attributes) CFRelease(attributes);
  }
  CFTypeID typeID() const override { return CFAttributedStringGetTypeID(); }
  CFStringRef string;
  CFDictionaryRef attributes;
};

extern "C" {

CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef alloc, CFStringRef str, CFDictionaryRef attributes)
{
  if (!str) return nullptr;
  CFStringRef copy = CFStringCreateCopy(alloc, str);
  if (!copy) return nullptr;
  __CFAttributedString* a = cgi::New<__CFAttributedString>();
  if (!a) {
    CFRelease(copy);
    return nullptr;
  }
  a->string = copy;
  a->attributes = attributes ? static_cast<CFDictionaryRef>(CFRetain(attributes)) : nullptr;
  return a;
}

CFStringRef CFAttributedStringGetString(CFAttributedStringRef aStr) { return aStr ? aStr->string : nullptr; }

CFIndex CFAttributedStringGetLength(CFAttributedStringRef aStr) { return aStr ? CFStringGetLength(aStr->string) : 0; }

CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef aStr, CFIndex loc, CFRange* effectiveRange)
{
  const CFIndex n = CFAttributedStringGetLength(aStr);
  const bool inside = aStr && loc >= 0 && loc < n;
  if (effectiveRange) *effectiveRange = inside ? CFRangeMake(0, n) : CFRangeMake(loc, 0);
  return inside ? aStr->attributes : nullptr;
}

CFTypeRef CFAttributedStringGetAttribute(CFAttributedStringRef aStr, CFIndex loc, CFStringRef attrName,
                                         CFRange* effectiveRange)
{
  CFDictionaryRef attrs = CFAttributedStringGetAttributes(aStr, loc, effectiveRange);
  return attrs && attrName ? CFDictionaryGetValue(attrs, attrName) : nullptr;
}

}  // extern "C"
