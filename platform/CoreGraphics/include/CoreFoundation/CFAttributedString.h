#pragma once
// Attributed strings: a string with one attribute dictionary over its
// whole length (immutable). Provided with Core Text.

#include <CoreFoundation/CoreFoundation.h>

typedef const struct __CFAttributedString* CFAttributedStringRef;

extern "C" {
// An attributed string over a copy of str with the attributes (retained;
// null means none). Null for a null string.
CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef alloc, CFStringRef str, CFDictionaryRef attributes);
CFStringRef CFAttributedStringGetString(CFAttributedStringRef aStr);
CFIndex CFAttributedStringGetLength(CFAttributedStringRef aStr);
// The attributes at loc and, when asked, the range they cover; null (and an
// empty range) outside the string.
CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef aStr, CFIndex loc, CFRange* effectiveRange);
// One attribute's value at loc, or null.
CFTypeRef CFAttributedStringGetAttribute(CFAttributedStringRef aStr, CFIndex loc, CFStringRef attrName,
                                         CFRange* effectiveRange);
CFTypeID CFAttributedStringGetTypeID(void);
}
