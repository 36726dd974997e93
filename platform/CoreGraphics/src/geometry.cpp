// Rectangles and affine transforms.

#include <CoreGraphics/CGAffineTransform.h>

#include <algorithm>
#include <cmath>
#include <limits>

extern "C" {

const CGPoint CGPointZero = {0, 0};
const CGSize CGSizeZero = {0, 0};
const CGRect CGRectZero = {{0, 0}, {0, 0}};
const CGRect CGRectNull = {{std::numeric_limits<CGFloat>::infinity(), std::numeric_limits<CGFloat>::infinity()},
                           {0, 0}};
const CGAffineTransform CGAffineTransformIdentity = {1, 0, 0, 1, 0, 0};

// Moves a negative width or height into the origin.
CGRect CGRectStandardize(CGRect r)
{
  if (r.size.width < 0) {
    r.origin.x += r.size.width;
    r.size.width = -r.size.width;
  }
  if (r.size.height < 0) {
    r.origin.y += r.size.height;
    r.size.height = -r.size.height;
  }
  return r;
}

// True for the rectangle at infinity.
bool CGRectIsNull(CGRect r) { return std::isinf(r.origin.x) || std::isinf(r.origin.y); }

// True for null or zero-area rectangles.
bool CGRectIsEmpty(CGRect r) { return CGRectIsNull(r) || r.size.width == 0 || r.size.height == 0; }

// The overlap of two rectangles; CGRectNull for none (touching edges give a
// zero-sized rectangle).
CGRect CGRectIntersection(CGRect a, CGRect b)
{
  if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectNull;
  a = CGRectStandardize(a);
  b = CGRectStandardize(b);
  const CGFloat x0 = std::max(a.origin.x, b.origin.x);
  const CGFloat y0 = std::max(a.origin.y, b.origin.y);
  const CGFloat x1 = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width);
  const CGFloat y1 = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height);
  if (x1 < x0 || y1 < y0) return CGRectNull;
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

// Equal after standardizing; all null rectangles are equal.
bool CGRectEqualToRect(CGRect a, CGRect b)
{
  if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectIsNull(a) && CGRectIsNull(b);
  a = CGRectStandardize(a);
  b = CGRectStandardize(b);
  return a.origin.x == b.origin.x && a.origin.y == b.origin.y && a.size.width == b.size.width &&
         a.size.height == b.size.height;
}

// Half-open containment.
bool CGRectContainsPoint(CGRect r, CGPoint p)
{
  if (CGRectIsNull(r)) return false;
  r = CGRectStandardize(r);
  return p.x >= r.origin.x && p.x < r.origin.x + r.size.width && p.y >= r.origin.y && p.y < r.origin.y + r.size.height;
}

CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty)
{
  return CGAffineTransform{a, b, c, d, tx, ty};
}

CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty)
{
  return CGAffineTransform{1, 0, 0, 1, tx, ty};
}

CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) { return CGAffineTransform{sx, 0, 0, sy, 0, 0}; }

// Row-vector product t1 * t2: a point goes through t1 first.
CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2)
{
  return CGAffineTransform{t1.a * t2.a + t1.b * t2.c,           t1.a * t2.b + t1.b * t2.d,
                           t1.c * t2.a + t1.d * t2.c,           t1.c * t2.b + t1.d * t2.d,
                           t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty)
{
  return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}

CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy)
{
  return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}

// Inverse by the adjugate; a singular transform is returned unchanged.
CGAffineTransform CGAffineTransformInvert(CGAffineTransform t)
{
  const CGFloat det = t.a * t.d - t.b * t.c;
  if (det == 0) return t;
  const CGFloat a = t.d / det, b = -t.b / det, c = -t.c / det, d = t.a / det;
  return CGAffineTransform{a, b, c, d, -(t.tx * a + t.ty * c), -(t.tx * b + t.ty * d)};
}

bool CGAffineTransformIsIdentity(CGAffineTransform t)
{
  return t.a == 1 && t.b == 0 && t.c == 0 && t.d == 1 && t.tx == 0 && t.ty == 0;
}

CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t)
{
  return CGPoint{t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

CGSize CGSizeApplyAffineTransform(CGSize s, CGAffineTransform t)
{
  return CGSize{t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height};
}

// Bounding box of the four transformed corners; null stays null.
CGRect CGRectApplyAffineTransform(CGRect r, CGAffineTransform t)
{
  if (CGRectIsNull(r)) return r;
  r = CGRectStandardize(r);
  const CGPoint corners[4] = {
      CGPointApplyAffineTransform(r.origin, t),
      CGPointApplyAffineTransform(CGPointMake(r.origin.x + r.size.width, r.origin.y), t),
      CGPointApplyAffineTransform(CGPointMake(r.origin.x, r.origin.y + r.size.height), t),
      CGPointApplyAffineTransform(CGPointMake(r.origin.x + r.size.width, r.origin.y + r.size.height), t)};
  CGFloat x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
  for (const CGPoint& p : corners) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

}  // extern "C"
