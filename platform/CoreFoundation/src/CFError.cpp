// Error objects.
#include "CFRuntime.h"

struct __CFError : __CFObject
{
  ~__CFError() override
  {
    CFRelease(domain);
    CFRelease(userInfo);
  }
  CFTypeID typeID() const override { return cf::kError; }
  bool equals(const __CFObject* other) const override
  {
    const __CFError* o = (const __CFError*)other;
    return code == o->code && CFEqual(domain, o->domain) && CFEqual(userInfo, o->userInfo);
  }
  CFHashCode hash() const override { return (CFHashCode)code; }
  std::string describe() const override
  {
    CFStringRef d = CFErrorCopyDescription((CFErrorRef)this);
    std::string s = cf::utf8(d);
    CFRelease(d);
    return s;
  }

  CFStringRef domain = nullptr;
  CFIndex code = 0;
  CFDictionaryRef userInfo = nullptr;
};

const CFErrorDomain kCFErrorDomainPOSIX = CFSTR("NSPOSIXErrorDomain");
const CFErrorDomain kCFErrorDomainOSStatus = CFSTR("NSOSStatusErrorDomain");
const CFErrorDomain kCFErrorDomainCocoa = CFSTR("NSCocoaErrorDomain");
const CFStringRef kCFErrorLocalizedDescriptionKey = CFSTR("NSLocalizedDescription");
const CFStringRef kCFErrorDescriptionKey = CFSTR("NSDescription");

extern "C" {

CFTypeID CFErrorGetTypeID(void) { return cf::kError; }

CFErrorRef CFErrorCreate(CFAllocatorRef allocator, CFErrorDomain domain, CFIndex code, CFDictionaryRef userInfo)
{
  if (!cf::is(domain, CFStringGetTypeID())) return nullptr;
  __CFError* e = cf::create<__CFError>(allocator);
  if (!e) return nullptr;
  e->domain = CFStringCreateCopy(allocator, domain);
  e->code = code;
  e->userInfo = cf::is(userInfo, CFDictionaryGetTypeID())
                    ? CFDictionaryCreateCopy(allocator, userInfo)
                    : CFDictionaryCreate(allocator, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                         &kCFTypeDictionaryValueCallBacks);
  return e;
}

CFErrorDomain CFErrorGetDomain(CFErrorRef err) { return cf::is(err, cf::kError) ? err->domain : nullptr; }

CFIndex CFErrorGetCode(CFErrorRef err) { return cf::is(err, cf::kError) ? err->code : 0; }

CFDictionaryRef CFErrorCopyUserInfo(CFErrorRef err)
{
  return cf::is(err, cf::kError) ? (CFDictionaryRef)CFRetain(err->userInfo) : nullptr;
}

CFStringRef CFErrorCopyDescription(CFErrorRef err)
{
  if (!cf::is(err, cf::kError)) return nullptr;
  for (CFStringRef key : {kCFErrorLocalizedDescriptionKey, kCFErrorDescriptionKey}) {
    CFTypeRef text = CFDictionaryGetValue(err->userInfo, key);
    if (cf::is(text, CFStringGetTypeID())) return CFStringCreateCopy(nullptr, (CFStringRef)text);
  }
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("The operation couldn't be completed. (%@ error %ld.)"),
                                  err->domain, (long)err->code);
}

}  // extern "C"
