// The type IDs of this library's classes, each made on first use.

#include <CoreGraphics/CoreGraphics.h>
#include <CoreFoundation/CFAttributedString.h>
#include <CoreText/CoreText.h>

#include <cstdio>
#include <mutex>
#include <vector>

#include "object.h"

namespace cgi {

// Type IDs from here on are this library's; the names are kept for descriptions.
constexpr CFTypeID kFirstTypeID = 0x100;

struct Registry
{
  std::mutex lock;
  std::vector<const char*> names;
};

Registry& TheRegistry()
{
  static Registry* r = new Registry;  // kept for the life of the process
  return *r;
}

CFTypeID NewTypeID(const char* className)
{
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> hold(r.lock);
  r.names.push_back(className);
  return kFirstTypeID + r.names.size() - 1;
}

}  // namespace cgi

// The object head's description: the class name for this library's types.
// (The head's first out-of-line function: defining it here gives this
// library the head's virtual table.)
std::string __CFObject::describe() const
{
  const char* name = nullptr;
  {
    cgi::Registry& r = cgi::TheRegistry();
    std::lock_guard<std::mutex> hold(r.lock);
    const CFTypeID id = typeID();
    if (id >= cgi::kFirstTypeID && id - cgi::kFirstTypeID < r.names.size()) name = r.names[id - cgi::kFirstTypeID];
  }
  char buf[96];
  if (name)
    std::snprintf(buf, sizeof buf, "<%s %p>", name, static_cast<const void*>(this));
  else
    std::snprintf(buf, sizeof buf, "<%p>", static_cast<const void*>(this));
  return buf;
}

#define TYPE_ID(fn, name)                            \
  CFTypeID fn(void)                                  \
  {                                                  \
    static const CFTypeID id = cgi::NewTypeID(name); \
    return id;                                       \
  }

extern "C" {
TYPE_ID(CGColorSpaceGetTypeID, "CGColorSpace")
TYPE_ID(CGColorGetTypeID, "CGColor")
TYPE_ID(CGDataProviderGetTypeID, "CGDataProvider")
TYPE_ID(CGImageGetTypeID, "CGImage")
TYPE_ID(CGPathGetTypeID, "CGPath")
TYPE_ID(CGContextGetTypeID, "CGContext")
TYPE_ID(CTFontGetTypeID, "CTFont")
TYPE_ID(CTFontDescriptorGetTypeID, "CTFontDescriptor")
TYPE_ID(CTLineGetTypeID, "CTLine")
TYPE_ID(CTFrameGetTypeID, "CTFrame")
TYPE_ID(CTFramesetterGetTypeID, "CTFramesetter")
TYPE_ID(CFAttributedStringGetTypeID, "CFAttributedString")
}
