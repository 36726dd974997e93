#pragma once
// Paths, as far as text frames need them: rectangles.

#include <CoreGraphics/CGAffineTransform.h>

typedef const struct CGPath* CGPathRef;

extern "C" {
// A closed rectangular path, transformed by *transform when given.
CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* transform);
CGPathRef CGPathRetain(CGPathRef path);
void CGPathRelease(CGPathRef path);
// The smallest rectangle holding the path; CGRectNull for null.
CGRect CGPathGetBoundingBox(CGPathRef path);
CFTypeID CGPathGetTypeID(void);
}
