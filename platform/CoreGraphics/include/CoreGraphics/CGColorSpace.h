#pragma once
// Colour spaces. Only RGB spaces exist; every one maps colours unchanged.

#include <CoreGraphics/CGBase.h>

typedef struct CGColorSpace* CGColorSpaceRef;

extern "C" {
// A device RGB colour space (+1 reference).
CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
// The colour space of a display profile (a CMProfileRef); null for null.
CGColorSpaceRef CGColorSpaceCreateWithPlatformColorSpace(const void* platformColorSpace);
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);
// 3 for RGB spaces, 0 for null.
size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space);
CFTypeID CGColorSpaceGetTypeID(void);
}
