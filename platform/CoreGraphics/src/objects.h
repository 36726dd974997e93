#pragma once
// The records behind the Core Graphics references, shared by the drawing
// and text code of this library.

#include <CoreGraphics/CoreGraphics.h>

#include <vector>

#include "object.h"
#include "pixels.h"

struct CGColorSpace : cgi::Object
{
  CFTypeID typeID() const override { return CGColorSpaceGetTypeID(); }
};

struct CGColor : cgi::Object
{
  CFTypeID typeID() const override { return CGColorGetTypeID(); }
  CGFloat components[4];  // r, g, b, a, each 0..1
};

struct CGDataProvider : cgi::Object
{
  ~CGDataProvider() override;
  CFTypeID typeID() const override { return CGDataProviderGetTypeID(); }
  void* info;
  const void* data;
  size_t size;
  CGDataProviderReleaseDataCallback releaseData;
};

struct CGImage : cgi::Object
{
  ~CGImage() override;
  CFTypeID typeID() const override { return CGImageGetTypeID(); }
  cgi::ImageSource source;
  size_t bitsPerComponent, bitsPerPixel;
  CGBitmapInfo bitmapInfo;
  bool shouldInterpolate;
  CGDataProviderRef provider;
  CGColorSpaceRef space;
};

struct CGPath : cgi::Object
{
  CFTypeID typeID() const override { return CGPathGetTypeID(); }
  CGRect bounds;
};

// One entry of the graphics state stack.
struct CGGState
{
  CGAffineTransform ctm;  // user to device
  CGRect clip;            // device space
  double fill[4];         // straight r, g, b, a
  double alpha;           // global opacity
  bool shouldAntialias, allowsAntialiasing;
  bool shouldSmoothFonts, allowsFontSmoothing;
  CGInterpolationQuality interpolation;
  CGAffineTransform text;  // text matrix; tx, ty are the text position
};

struct CGContext : cgi::Object
{
  ~CGContext() override;
  CFTypeID typeID() const override { return CGContextGetTypeID(); }
  // Whether edges get fractional coverage.
  bool Antialias() const { return gs.shouldAntialias && gs.allowsAntialiasing; }
  // Pixels whose centres lie in the clip (columns, memory rows).
  cgi::PixelBox ClipBox() const;
  // Pixels whose centres lie in a device-space rectangle (y up), clipped.
  cgi::PixelBox CoveredBox(CGRect device) const;

  cgi::Surface surface;
  bool ownsData;
  CGBitmapInfo bitmapInfo;
  CGColorSpaceRef space;
  CGGState gs;
  std::vector<CGGState> saved;
};
