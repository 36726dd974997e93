#pragma once
// Bitmap contexts over caller memory (or memory of their own). Pixel
// layouts: 8 bits per component, 32 bits per pixel, RGB with a premultiplied
// alpha or a padding byte first or last, in either byte order.

#include <CoreGraphics/CGContext.h>

extern "C" {
// A context drawing into width x height pixels at data (not copied; when
// data is null the context allocates zeroed memory of its own). A
// bytesPerRow of 0 means width x 4. Null for an unsupported layout, a
// non-positive size or a row size below width x 4. Device space has its
// origin at the bottom left; the first row in memory is the top row.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent, size_t bytesPerRow,
                                   CGColorSpaceRef space, CGBitmapInfo bitmapInfo);
// Layout queries; null/0 for contexts that are not bitmap contexts.
void* CGBitmapContextGetData(CGContextRef c);
size_t CGBitmapContextGetWidth(CGContextRef c);
size_t CGBitmapContextGetHeight(CGContextRef c);
size_t CGBitmapContextGetBytesPerRow(CGContextRef c);
size_t CGBitmapContextGetBitsPerComponent(CGContextRef c);
size_t CGBitmapContextGetBitsPerPixel(CGContextRef c);
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef c);
}
