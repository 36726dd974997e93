// The type IDs of this library's classes, each made on first use.

#include <CoreGraphics/CoreGraphics.h>
#include <CoreFoundation/CFAttributedString.h>
#include <CoreText/CoreText.h>

#include "object.h"

#define TYPE_ID(fn, name)                                \
  CFTypeID fn(void) {                                    \
    static const CFTypeID id = cgi::NewTypeID(name);     \
    return id;                                           \
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
