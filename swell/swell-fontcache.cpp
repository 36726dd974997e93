// Font name resolution, once per distinct name.

#include "swell-fontcache.h"

#include <CoreText/CoreText.h>

namespace {

// Text as a string: UTF-8, else ASCII.
CFStringRef MakeString(const char* text)
{
  CFStringRef s = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  return s ? s : CFStringCreateWithCString(nullptr, text, kCFStringEncodingASCII);
}

// The PostScript name of the installed face the name denotes, or the name.
CFStringRef ResolveName(const char* name)
{
  CFStringRef s = MakeString(name);
  if (!s) return nullptr;
  CTFontDescriptorRef asked = CTFontDescriptorCreateWithNameAndSize(s, 10);
  CTFontDescriptorRef found = asked ? CTFontDescriptorCreateMatchingFontDescriptor(asked, nullptr) : nullptr;
  if (found) {
    CFTypeRef ps = CTFontDescriptorCopyAttribute(found, kCTFontNameAttribute);
    if (ps && CFGetTypeID(ps) == CFStringGetTypeID()) {
      CFRelease(s);
      s = static_cast<CFStringRef>(ps);
    } else if (ps) {
      CFRelease(ps);
    }
    CFRelease(found);
  }
  if (asked) CFRelease(asked);
  return s;
}

}  // namespace

SWELL_FontNameCache::~SWELL_FontNameCache()
{
  for (auto& entry : names_)
    if (entry.second) CFRelease(entry.second);
}

// The lock is held only around the lookup and the insertion, not while
// resolving; two threads may resolve one name at once and the first
// insertion wins.
CFStringRef SWELL_FontNameCache::Resolve(const char* name)
{
  if (!name) return nullptr;
  {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = names_.find(name);
    if (it != names_.end() && it->second) return static_cast<CFStringRef>(CFRetain(it->second));
  }
  CFStringRef resolved = ResolveName(name);
  std::lock_guard<std::mutex> hold(lock_);
  ++resolutions_;
  CFStringRef& slot = names_[name];
  if (!slot) {
    slot = resolved;
  } else if (resolved) {
    CFRelease(resolved);
  }
  return slot ? static_cast<CFStringRef>(CFRetain(slot)) : nullptr;
}

int SWELL_FontNameCache::Resolutions() const
{
  std::lock_guard<std::mutex> hold(lock_);
  return resolutions_;
}

bool SWELL_FontNameCache::Contains(const char* name) const
{
  std::lock_guard<std::mutex> hold(lock_);
  return name && names_.count(name) != 0;
}

SWELL_FontNameCache& SWELL_GetFontNameCache()
{
  static SWELL_FontNameCache cache;
  return cache;
}
