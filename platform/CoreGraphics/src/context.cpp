// Bitmap contexts: graphics state, clipping, rectangle fills, image drawing.

#include <CoreGraphics/CGBitmapContext.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "objects.h"

namespace {

// First pixel index whose centre is at or after edge e.
inline int CentreIndex(double e)
{
  const double v = std::ceil(e - 0.5);
  return (int)std::clamp(v, -1e9, 1e9);
}

// Overlap of pixel [i, i+1) with [e0, e1).
inline double Overlap(int i, double e0, double e1)
{
  return std::max(0.0, std::min(e1, i + 1.0) - std::max(e0, (double)i));
}

// Writes the global state's defaults.
CGGState InitialState(int width, int height)
{
  CGGState g;
  g.ctm = CGAffineTransformIdentity;
  g.clip = CGRectMake(0, 0, width, height);
  g.fill[0] = g.fill[1] = g.fill[2] = 0;
  g.fill[3] = 1;
  g.alpha = 1;
  g.shouldAntialias = g.allowsAntialiasing = true;
  g.shouldSmoothFonts = g.allowsFontSmoothing = true;
  g.interpolation = kCGInterpolationDefault;
  g.text = CGAffineTransformIdentity;
  return g;
}

}  // namespace

CGContext::~CGContext()
{
  if (ownsData) std::free(surface.data);
  CGColorSpaceRelease(space);
}

cgi::PixelBox CGContext::CoveredBox(CGRect d) const
{
  d = CGRectStandardize(d);
  const int h = surface.height;
  cgi::PixelBox box{CentreIndex(d.origin.x), h - CentreIndex(d.origin.y + d.size.height),
                    CentreIndex(d.origin.x + d.size.width), h - CentreIndex(d.origin.y)};
  return box.Intersect(ClipBox());
}

cgi::PixelBox CGContext::ClipBox() const
{
  const cgi::PixelBox all{0, 0, surface.width, surface.height};
  if (CGRectIsNull(gs.clip)) return cgi::PixelBox{0, 0, 0, 0};
  const CGRect& c = gs.clip;
  const int h = surface.height;
  cgi::PixelBox box{CentreIndex(c.origin.x), h - CentreIndex(c.origin.y + c.size.height),
                    CentreIndex(c.origin.x + c.size.width), h - CentreIndex(c.origin.y)};
  return box.Intersect(all);
}

extern "C" {

// Validates layout and sizes; allocates zeroed memory when none is given.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent, size_t bytesPerRow,
                                   CGColorSpaceRef space, CGBitmapInfo bitmapInfo)
{
  cgi::PixelLayout layout;
  if (!space || width == 0 || height == 0 || width > 0x7FFFFFF || height > 0x7FFFFFF ||
      !cgi::LayoutFromBitmapInfo(bitmapInfo, bitsPerComponent, 32, true, &layout))
    return nullptr;
  if (bytesPerRow == 0) bytesPerRow = width * 4;
  if (bytesPerRow < width * 4 || height > SIZE_MAX / bytesPerRow) return nullptr;
  const bool owns = data == nullptr;
  if (owns) {
    data = std::calloc(height, bytesPerRow);
    if (!data) return nullptr;
  }
  CGContext* c = cgi::New<CGContext>();
  if (!c) {
    if (owns) std::free(data);
    return nullptr;
  }
  c->surface = cgi::Surface{static_cast<uint8_t*>(data), (int)width, (int)height, bytesPerRow, layout};
  c->ownsData = owns;
  c->bitmapInfo = bitmapInfo;
  c->space = CGColorSpaceRetain(space);
  c->gs = InitialState((int)width, (int)height);
  return c;
}

void* CGBitmapContextGetData(CGContextRef c) { return c ? c->surface.data : nullptr; }
size_t CGBitmapContextGetWidth(CGContextRef c) { return c ? c->surface.width : 0; }
size_t CGBitmapContextGetHeight(CGContextRef c) { return c ? c->surface.height : 0; }
size_t CGBitmapContextGetBytesPerRow(CGContextRef c) { return c ? c->surface.bytesPerRow : 0; }
size_t CGBitmapContextGetBitsPerComponent(CGContextRef c) { return c ? 8 : 0; }
size_t CGBitmapContextGetBitsPerPixel(CGContextRef c) { return c ? 32 : 0; }
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef c) { return c ? c->bitmapInfo : 0; }

CGContextRef CGContextRetain(CGContextRef c) { return cgi::Retain(c); }
void CGContextRelease(CGContextRef c) { cgi::Release(c); }

void CGContextSaveGState(CGContextRef c)
{
  if (c) c->saved.push_back(c->gs);
}

void CGContextRestoreGState(CGContextRef c)
{
  if (!c || c->saved.empty()) return;
  c->gs = c->saved.back();
  c->saved.pop_back();
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty)
{
  if (c) c->gs.ctm = CGAffineTransformTranslate(c->gs.ctm, tx, ty);
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy)
{
  if (c) c->gs.ctm = CGAffineTransformScale(c->gs.ctm, sx, sy);
}

CGAffineTransform CGContextGetCTM(CGContextRef c) { return c ? c->gs.ctm : CGAffineTransformIdentity; }

CGSize CGContextConvertSizeToDeviceSpace(CGContextRef c, CGSize size)
{
  return c ? CGSizeApplyAffineTransform(size, c->gs.ctm) : size;
}

CGPoint CGContextConvertPointToDeviceSpace(CGContextRef c, CGPoint point)
{
  return c ? CGPointApplyAffineTransform(point, c->gs.ctm) : point;
}

void CGContextClipToRect(CGContextRef c, CGRect rect)
{
  if (c) c->gs.clip = CGRectIntersection(c->gs.clip, CGRectApplyAffineTransform(rect, c->gs.ctm));
}

CGRect CGContextGetClipBoundingBox(CGContextRef c)
{
  if (!c || CGRectIsNull(c->gs.clip)) return CGRectNull;
  return CGRectApplyAffineTransform(c->gs.clip, CGAffineTransformInvert(c->gs.ctm));
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
  if (!c) return;
  const CGFloat v[4] = {red, green, blue, alpha};
  for (int i = 0; i < 4; ++i) c->gs.fill[i] = std::clamp(v[i], 0.0, 1.0);
}

void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color)
{
  if (c && color) std::copy(color->components, color->components + 4, c->gs.fill);
}

void CGContextSetAlpha(CGContextRef c, CGFloat alpha)
{
  if (c) c->gs.alpha = std::clamp(alpha, 0.0, 1.0);
}

// Aliased: pixels whose centres lie inside; antialiased: area coverage.
void CGContextFillRect(CGContextRef c, CGRect rect)
{
  if (!c) return;
  const CGRect d = CGRectStandardize(CGRectApplyAffineTransform(rect, c->gs.ctm));
  const cgi::Paint paint = cgi::MakePaint(c->gs.fill, c->gs.alpha);
  if (!c->Antialias()) {
    cgi::CompositeCoverage(c->surface, c->CoveredBox(d), paint, nullptr, 0);
    return;
  }
  const int h = c->surface.height;
  const double x0 = d.origin.x, x1 = x0 + d.size.width;
  const double y0 = d.origin.y, y1 = y0 + d.size.height;
  const cgi::PixelBox box =
      cgi::PixelBox{(int)std::floor(std::max(x0, -1.0)), h - (int)std::ceil(std::min(y1, h + 1.0)),
                    (int)std::ceil(std::min(x1, c->surface.width + 1.0)), h - (int)std::floor(std::max(y0, -1.0))}
          .Intersect(c->ClipBox());
  if (box.Empty()) return;
  const int w = box.x1 - box.x0;
  std::vector<uint8_t> mask((size_t)w * (box.y1 - box.y0));
  for (int m = box.y0; m < box.y1; ++m) {
    const double cy = Overlap(h - 1 - m, y0, y1);
    for (int x = box.x0; x < box.x1; ++x)
      mask[(size_t)(m - box.y0) * w + (x - box.x0)] = (uint8_t)std::lround(cy * Overlap(x, x0, x1) * 255);
  }
  cgi::CompositeCoverage(c->surface, box, paint, mask.data(), w);
}

void CGContextSetShouldAntialias(CGContextRef c, bool shouldAntialias)
{
  if (c) c->gs.shouldAntialias = shouldAntialias;
}
void CGContextSetAllowsAntialiasing(CGContextRef c, bool allowsAntialiasing)
{
  if (c) c->gs.allowsAntialiasing = allowsAntialiasing;
}
void CGContextSetShouldSmoothFonts(CGContextRef c, bool shouldSmoothFonts)
{
  if (c) c->gs.shouldSmoothFonts = shouldSmoothFonts;
}
void CGContextSetAllowsFontSmoothing(CGContextRef c, bool allowsFontSmoothing)
{
  if (c) c->gs.allowsFontSmoothing = allowsFontSmoothing;
}
void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality)
{
  if (c) c->gs.interpolation = quality;
}
CGInterpolationQuality CGContextGetInterpolationQuality(CGContextRef c)
{
  return c ? c->gs.interpolation : kCGInterpolationDefault;
}

void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform t)
{
  if (c) c->gs.text = t;
}
CGAffineTransform CGContextGetTextMatrix(CGContextRef c) { return c ? c->gs.text : CGAffineTransformIdentity; }
void CGContextSetTextPosition(CGContextRef c, CGFloat x, CGFloat y)
{
  if (!c) return;
  c->gs.text.tx = x;
  c->gs.text.ty = y;
}
CGPoint CGContextGetTextPosition(CGContextRef c) { return c ? CGPointMake(c->gs.text.tx, c->gs.text.ty) : CGPointZero; }

// Maps destination pixel centres back into the image: its first row lies
// at the rectangle's maximum user y, wherever the transform puts that.
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image)
{
  if (!c || !image) return;
  const CGAffineTransform& t = c->gs.ctm;
  const CGRect d = CGRectStandardize(CGRectApplyAffineTransform(rect, t));
  if (d.size.width <= 0 || d.size.height <= 0) return;
  const cgi::PixelBox box = c->CoveredBox(d);
  if (box.Empty()) return;
  const double iw = image->source.width, ih = image->source.height;
  const double x0 = d.origin.x, x1 = x0 + d.size.width;
  const double y0 = d.origin.y, y1 = y0 + d.size.height;
  const double H = c->surface.height;
  // Source column f = ox + (x + 0.5) sx for destination column x.
  double sx = iw / d.size.width, ox = -x0 * sx;
  if (t.a < 0) {
    sx = -sx;
    ox = x1 * iw / d.size.width;
  }
  // Memory row m has its centre at device y = H - m - 0.5.
  double sy = ih / d.size.height, oy = (y1 - H) * sy;
  if (t.d < 0) {
    sy = -sy;
    oy = (H - y0) * ih / d.size.height;
  }
  const bool bilinear = image->shouldInterpolate && c->gs.interpolation != kCGInterpolationNone;
  cgi::CompositeImage(c->surface, box, image->source, ox, sx, oy, sy, bilinear, c->gs.alpha);
}

}  // extern "C"
