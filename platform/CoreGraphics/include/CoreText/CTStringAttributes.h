#pragma once
// Attribute names understood by line layout.

#include <CoreFoundation/CoreFoundation.h>

extern "C" {
// Value: CTFontRef. Text without it is laid out in Helvetica 12 (resolved
// like any other name).
extern const CFStringRef kCTFontAttributeName;
// Value: CGColorRef, the colour of the glyphs.
extern const CFStringRef kCTForegroundColorAttributeName;
// Value: CFBoolean true: take the glyph colour from the context's fill colour.
extern const CFStringRef kCTForegroundColorFromContextAttributeName;
}
