#pragma once
// Points, sizes and rectangles. A rectangle with a negative size is read as
// its standardized form; the null rectangle is the empty intersection.

#include <CoreGraphics/CGBase.h>

struct CGPoint
{
  CGFloat x, y;
};
struct CGSize
{
  CGFloat width, height;
};
struct CGRect
{
  CGPoint origin;
  CGSize size;
};
typedef struct CGPoint CGPoint;
typedef struct CGSize CGSize;
typedef struct CGRect CGRect;

extern "C" {
extern const CGPoint CGPointZero;
extern const CGSize CGSizeZero;
extern const CGRect CGRectZero;
// The rectangle at infinity: what CGRectIntersection gives for disjoint rectangles.
extern const CGRect CGRectNull;

// The same rectangle with a non-negative width and height.
CGRect CGRectStandardize(CGRect r);
// Whether r is the null rectangle.
bool CGRectIsNull(CGRect r);
// Whether r is null or has zero width or height.
bool CGRectIsEmpty(CGRect r);
// The common part of a and b; CGRectNull when they do not overlap.
CGRect CGRectIntersection(CGRect a, CGRect b);
// Whether both rectangles cover the same area.
bool CGRectEqualToRect(CGRect a, CGRect b);
// Whether p lies in r (min edges inclusive, max edges exclusive).
bool CGRectContainsPoint(CGRect r, CGPoint p);
}

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return CGPoint{x, y}; }
inline CGSize CGSizeMake(CGFloat w, CGFloat h) { return CGSize{w, h}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return CGRect{{x, y}, {w, h}}; }
inline CGFloat CGRectGetMinX(CGRect r)
{
  r = CGRectStandardize(r);
  return r.origin.x;
}
inline CGFloat CGRectGetMinY(CGRect r)
{
  r = CGRectStandardize(r);
  return r.origin.y;
}
inline CGFloat CGRectGetMaxX(CGRect r)
{
  r = CGRectStandardize(r);
  return r.origin.x + r.size.width;
}
inline CGFloat CGRectGetMaxY(CGRect r)
{
  r = CGRectStandardize(r);
  return r.origin.y + r.size.height;
}
inline CGFloat CGRectGetMidX(CGRect r) { return (CGRectGetMinX(r) + CGRectGetMaxX(r)) * 0.5; }
inline CGFloat CGRectGetMidY(CGRect r) { return (CGRectGetMinY(r) + CGRectGetMaxY(r)) * 0.5; }
inline CGFloat CGRectGetWidth(CGRect r) { return r.size.width < 0 ? -r.size.width : r.size.width; }
inline CGFloat CGRectGetHeight(CGRect r) { return r.size.height < 0 ? -r.size.height : r.size.height; }
