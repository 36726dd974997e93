#pragma once
// Geometry names and the drawing context that views draw into.

#include <CoreGraphics/CoreGraphics.h>
#include <Foundation/Foundation.h>

typedef CGRect NSRect;
typedef CGPoint NSPoint;
typedef CGSize NSSize;
inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return CGRectMake(x, y, w, h); }
inline NSPoint NSMakePoint(CGFloat x, CGFloat y) { return CGPointMake(x, y); }
inline NSSize NSMakeSize(CGFloat w, CGFloat h) { return CGSizeMake(w, h); }
inline BOOL NSPointInRect(NSPoint p, NSRect r) { return CGRectContainsPoint(r, p) ? YES : NO; }
inline NSRect NSIntersectionRect(NSRect a, NSRect b)
{
  NSRect r = CGRectIntersection(a, b);
  return CGRectIsNull(r) ? NSMakeRect(0, 0, 0, 0) : r;
}
// The smallest rectangle holding both (an empty rectangle counts as nothing).
NSRect NSUnionRect(NSRect a, NSRect b);
inline BOOL NSIsEmptyRect(NSRect r) { return (r.size.width <= 0 || r.size.height <= 0) ? YES : NO; }

class NSGraphicsContext : public NSObject
{
public:
  // The context views draw into now (set during a display cycle), or nil.
  static NSGraphicsContext* currentContext();
  static void setCurrentContext(NSGraphicsContext* c);
  // An autoreleased context over a Core Graphics context.
  static NSGraphicsContext* graphicsContextWithGraphicsPort(void* port, BOOL flipped);
  // The Core Graphics context (a CGContextRef).
  void* graphicsPort() const { return m_port; }
  BOOL isFlipped() const { return m_flipped; }
  void saveGraphicsState();
  void restoreGraphicsState();
  const char* className() const override { return "NSGraphicsContext"; }

protected:
  ~NSGraphicsContext() override;

private:
  void* m_port = nullptr;
  bool m_flipped = false;
};
