#pragma once
// Font descriptors: a requested name and size, and whether the system has
// a face of that name.

#include <CoreText/CTFont.h>

typedef const struct __CTFontDescriptor* CTFontDescriptorRef;
typedef const struct __CFSet* CFSetRef;

extern "C" {
// Attribute: the PostScript name (CFStringRef).
extern const CFStringRef kCTFontNameAttribute;
// Attribute: the size in points (CFNumberRef).
extern const CFStringRef kCTFontSizeAttribute;

// A descriptor asking for a face by name (PostScript, full or family name).
CTFontDescriptorRef CTFontDescriptorCreateWithNameAndSize(CFStringRef name, CGFloat size);
// The descriptor of the installed face that the name denotes, or null when
// the system has no face of that name (no fallback is made). The mandatory
// attributes are ignored.
CTFontDescriptorRef CTFontDescriptorCreateMatchingFontDescriptor(CTFontDescriptorRef descriptor,
                                                                 CFSetRef mandatoryAttributes);
// The value of an attribute (+1 reference), or null.
CFTypeRef CTFontDescriptorCopyAttribute(CTFontDescriptorRef descriptor, CFStringRef attribute);
CFTypeID CTFontDescriptorGetTypeID(void);
}
