#pragma once
// Pixel layouts of 32-bit bitmaps and the compositing of colours, coverage
// masks and images into them.

#include <CoreGraphics/CGImage.h>

#include <stdint.h>

namespace cgi {

// Where each channel sits in a 4-byte pixel and what the alpha byte means.
struct PixelLayout
{
  enum Alpha { kIgnored, kPremultiplied, kStraight };
  int r, g, b, a;  // byte offsets 0..3
  Alpha alpha;
};

// The layout for a bitmap info with 8 bits per component and 32 per pixel;
// false for other layouts, and for straight alpha when forContext (contexts
// hold premultiplied or no alpha).
bool LayoutFromBitmapInfo(CGBitmapInfo info, size_t bitsPerComponent, size_t bitsPerPixel, bool forContext,
                          PixelLayout* out);

// Memory that drawing writes: rows top to bottom.
struct Surface
{
  uint8_t* data;
  int width, height;
  size_t bytesPerRow;
  PixelLayout layout;
};

// A box of whole pixels, columns x0..x1-1 and memory rows y0..y1-1.
struct PixelBox
{
  int x0, y0, x1, y1;
  bool Empty() const { return x0 >= x1 || y0 >= y1; }
  PixelBox Intersect(const PixelBox& o) const;
};

// A colour as premultiplied 8-bit values with its 8-bit alpha.
struct Paint
{
  int r, g, b, a;
};
// Straight components 0..1 times an opacity, premultiplied.
Paint MakePaint(const double rgba[4], double opacity);

// Composite paint over every pixel of box, scaled by coverage[] (one byte
// per pixel, rows of maskPitch bytes starting at the box's top left) or at
// full coverage when coverage is null.
void CompositeCoverage(const Surface& s, const PixelBox& box, const Paint& paint, const uint8_t* coverage,
                       ptrdiff_t maskPitch);

// Pixels an image is drawn from.
struct ImageSource
{
  const uint8_t* data;
  int width, height;
  size_t bytesPerRow;
  PixelLayout layout;
};

// Draw src into box: destination column x samples source position
// fx = ox + x * sx (in source pixels, centre-based), rows likewise; nearest
// sampling or bilinear; opacity 0..1.
void CompositeImage(const Surface& s, const PixelBox& box, const ImageSource& src, double ox, double sx, double oy,
                    double sy, bool bilinear, double opacity);

}  // namespace cgi
