#pragma once
// Drawing contexts: a graphics state stack (transformation, clip, fill
// colour, text matrix and position, antialiasing and interpolation
// switches), rectangle fills and image drawing. The transformation is made
// of translations and scales only, so clips stay rectangles.

#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGImage.h>

typedef struct CGContext* CGContextRef;

enum CGInterpolationQuality : int32_t {
  kCGInterpolationDefault = 0,
  kCGInterpolationNone = 1,
  kCGInterpolationLow = 2,
  kCGInterpolationHigh = 3,
  kCGInterpolationMedium = 4,
};

extern "C" {
CGContextRef CGContextRetain(CGContextRef c);
void CGContextRelease(CGContextRef c);
CFTypeID CGContextGetTypeID(void);

// Push a copy of the graphics state; pop it. A restore without a matching
// save does nothing.
void CGContextSaveGState(CGContextRef c);
void CGContextRestoreGState(CGContextRef c);

// Apply a translation or scale in user space before the current transform.
void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
// The user-to-device transform.
CGAffineTransform CGContextGetCTM(CGContextRef c);
CGSize CGContextConvertSizeToDeviceSpace(CGContextRef c, CGSize size);
CGPoint CGContextConvertPointToDeviceSpace(CGContextRef c, CGPoint point);

// Intersect the clip with a rectangle in user space.
void CGContextClipToRect(CGContextRef c, CGRect rect);
// The clip in user space.
CGRect CGContextGetClipBoundingBox(CGContextRef c);

// The fill colour used by rectangle fills and, by default, text.
void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color);
// A global opacity, 0..1, applied to every drawing operation.
void CGContextSetAlpha(CGContextRef c, CGFloat alpha);
// Fill a rectangle (in user space) with the fill colour, clipped.
void CGContextFillRect(CGContextRef c, CGRect rect);

// Whether shapes and text get fractional coverage at their edges.
void CGContextSetShouldAntialias(CGContextRef c, bool shouldAntialias);
void CGContextSetAllowsAntialiasing(CGContextRef c, bool allowsAntialiasing);
// Font smoothing switches: recorded; glyphs are always drawn in grey levels.
void CGContextSetShouldSmoothFonts(CGContextRef c, bool shouldSmoothFonts);
void CGContextSetAllowsFontSmoothing(CGContextRef c, bool allowsFontSmoothing);
// Nearest pixel for kCGInterpolationNone, bilinear otherwise.
void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality);
CGInterpolationQuality CGContextGetInterpolationQuality(CGContextRef c);

// The text matrix maps glyph space to user space; the text position is
// where the next line of text starts.
void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform t);
CGAffineTransform CGContextGetTextMatrix(CGContextRef c);
void CGContextSetTextPosition(CGContextRef c, CGFloat x, CGFloat y);
CGPoint CGContextGetTextPosition(CGContextRef c);

// Draw an image scaled into rect (user space), its first row at the
// rectangle's maximum y, composited by the image's alpha, clipped.
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);
}
