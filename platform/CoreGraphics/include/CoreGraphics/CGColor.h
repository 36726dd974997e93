#pragma once
// Colours: red, green, blue and alpha components in 0..1.

#include <CoreGraphics/CGColorSpace.h>

typedef const struct CGColor* CGColorRef;

extern "C" {
// A colour from the space's components followed by alpha (4 values for RGB);
// null for a null space or components. Components are clamped to 0..1.
CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components);
// A device-RGB colour.
CGColorRef CGColorCreateGenericRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
CGColorRef CGColorRetain(CGColorRef color);
void CGColorRelease(CGColorRef color);
// The components (r, g, b, a); null for null.
const CGFloat* CGColorGetComponents(CGColorRef color);
size_t CGColorGetNumberOfComponents(CGColorRef color);
CGFloat CGColorGetAlpha(CGColorRef color);
CFTypeID CGColorGetTypeID(void);
}
