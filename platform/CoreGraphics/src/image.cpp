// Data providers, images and rectangular paths.

#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGPath.h>

#include "objects.h"

CGDataProvider::~CGDataProvider()
{
  if (releaseData) releaseData(info, data, size);
}

CGImage::~CGImage()
{
  CGDataProviderRelease(provider);
  CGColorSpaceRelease(space);
}

extern "C" {

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData)
{
  if (!data) return nullptr;
  CGDataProvider* p = cgi::New<CGDataProvider>();
  if (!p) return nullptr;
  p->info = info;
  p->data = data;
  p->size = size;
  p->releaseData = releaseData;
  return p;
}

CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider) { return cgi::Retain(provider); }
void CGDataProviderRelease(CGDataProviderRef provider) { cgi::Release(provider); }

// Checks the layout and that the provider holds every row before wrapping it.
CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel, size_t bytesPerRow,
                         CGColorSpaceRef space, CGBitmapInfo bitmapInfo, CGDataProviderRef provider, const CGFloat*,
                         bool shouldInterpolate, CGColorRenderingIntent)
{
  cgi::PixelLayout layout;
  if (!provider || !space || width == 0 || height == 0 || width > 0x7FFFFFF || height > 0x7FFFFFF ||
      !cgi::LayoutFromBitmapInfo(bitmapInfo, bitsPerComponent, bitsPerPixel, false, &layout))
    return nullptr;
  if (bytesPerRow < width * 4 || provider->size < width * 4 ||
      (height - 1) > (provider->size - width * 4) / bytesPerRow)
    return nullptr;
  CGImage* image = cgi::New<CGImage>();
  if (!image) return nullptr;
  image->source =
      cgi::ImageSource{static_cast<const uint8_t*>(provider->data), (int)width, (int)height, bytesPerRow, layout};
  image->bitsPerComponent = bitsPerComponent;
  image->bitsPerPixel = bitsPerPixel;
  image->bitmapInfo = bitmapInfo;
  image->shouldInterpolate = shouldInterpolate;
  image->provider = CGDataProviderRetain(provider);
  image->space = CGColorSpaceRetain(space);
  return image;
}

CGImageRef CGImageRetain(CGImageRef image) { return cgi::Retain(image); }
void CGImageRelease(CGImageRef image) { cgi::Release(image); }
size_t CGImageGetWidth(CGImageRef image) { return image ? image->source.width : 0; }
size_t CGImageGetHeight(CGImageRef image) { return image ? image->source.height : 0; }
size_t CGImageGetBitsPerComponent(CGImageRef image) { return image ? image->bitsPerComponent : 0; }
size_t CGImageGetBitsPerPixel(CGImageRef image) { return image ? image->bitsPerPixel : 0; }
size_t CGImageGetBytesPerRow(CGImageRef image) { return image ? image->source.bytesPerRow : 0; }
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image) { return image ? image->bitmapInfo : 0; }

CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* transform)
{
  CGPath* path = cgi::New<CGPath>();
  if (!path) return nullptr;
  rect = CGRectStandardize(rect);
  path->bounds = transform ? CGRectApplyAffineTransform(rect, *transform) : rect;
  return path;
}

CGPathRef CGPathRetain(CGPathRef path) { return cgi::Retain(path); }
void CGPathRelease(CGPathRef path) { cgi::Release(path); }
CGRect CGPathGetBoundingBox(CGPathRef path) { return path ? path->bounds : CGRectNull; }

}  // extern "C"
