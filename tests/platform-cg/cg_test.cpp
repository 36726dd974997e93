// Bitmap contexts, clipping, fills, image drawing and the pointer record.

#include <CoreGraphics/CGStandIn.h>
#include <CoreGraphics/CoreGraphics.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A context over its own zeroed buffer.
struct Bitmap
{
  Bitmap(int w, int h, CGBitmapInfo info = kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst, size_t rowBytes = 0)
      : width(w), height(h), bytesPerRow(rowBytes ? rowBytes : (size_t)w * 4), pixels(bytesPerRow * h)
  {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    ctx = CGBitmapContextCreate(pixels.data(), w, h, 8, bytesPerRow, space, info);
    CGColorSpaceRelease(space);
  }
  ~Bitmap() { CGContextRelease(ctx); }
  const uint8_t* At(int x, int row) const { return &pixels[row * bytesPerRow + x * 4]; }
  int width, height;
  size_t bytesPerRow;
  std::vector<uint8_t> pixels;
  CGContextRef ctx;
};

TEST(CGBitmapContext, LayoutsPlaceChannelsInMemory)
{
  struct Case
  {
    CGBitmapInfo info;
    bool supported;
    uint8_t bytes[4];  // an opaque fill of r = 255, g = 128, b = 0 over zeros
  } cases[] = {
      {kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst, true, {0, 128, 255, 0}},
      {kCGBitmapByteOrder32Little | kCGImageAlphaPremultipliedFirst, true, {0, 128, 255, 255}},
      {kCGBitmapByteOrder32Big | kCGImageAlphaPremultipliedFirst, true, {255, 255, 128, 0}},
      {kCGImageAlphaPremultipliedLast, true, {255, 128, 0, 255}},
      {kCGImageAlphaNoneSkipLast, true, {255, 128, 0, 0}},
      {kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipLast, true, {0, 0, 128, 255}},
      {kCGBitmapByteOrder32Little | kCGImageAlphaFirst, false, {}},
      {kCGBitmapByteOrder16Little | kCGImageAlphaNoneSkipFirst, false, {}},
      {kCGImageAlphaNone, false, {}},
      {kCGImageAlphaOnly, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.info);
    Bitmap b(2, 1, c.info);
    ASSERT_EQ(b.ctx != nullptr, c.supported);
    if (!b.ctx) continue;
    CGContextSetRGBFillColor(b.ctx, 1, 128 / 255.0, 0, 1);
    CGContextFillRect(b.ctx, CGRectMake(0, 0, 1, 1));
    EXPECT_EQ(0, std::memcmp(b.At(0, 0), c.bytes, 4));
    EXPECT_EQ(0, std::memcmp(b.At(1, 0), "\0\0\0\0", 4));
  }
}

TEST(CGBitmapContext, RefusesBadSizes)
{
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  std::vector<uint8_t> buf(64);
  const CGBitmapInfo info = kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst;
  EXPECT_EQ(nullptr, CGBitmapContextCreate(buf.data(), 4, 2, 8, 15, space, info));
  EXPECT_EQ(nullptr, CGBitmapContextCreate(buf.data(), 0, 2, 8, 16, space, info));
  EXPECT_EQ(nullptr, CGBitmapContextCreate(buf.data(), 4, 2, 16, 32, space, info));
  EXPECT_EQ(nullptr, CGBitmapContextCreate(buf.data(), 4, 2, 8, 16, nullptr, info));
  CGContextRef own = CGBitmapContextCreate(nullptr, 4, 2, 8, 0, space, info);
  ASSERT_NE(nullptr, own);
  EXPECT_EQ(16u, CGBitmapContextGetBytesPerRow(own));
  EXPECT_NE(nullptr, CGBitmapContextGetData(own));
  CGContextRelease(own);
  CGColorSpaceRelease(space);
}

// Device space has y up: the bottom row is the last row in memory; padding
// at the end of each row is never written.
TEST(CGBitmapContext, RowsRunTopToBottomWithPadding)
{
  Bitmap b(3, 2, kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst, 16);
  CGContextSetRGBFillColor(b.ctx, 0, 0, 1, 1);
  CGContextFillRect(b.ctx, CGRectMake(0, 0, 3, 1));
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(0, b.At(x, 0)[0]);
    EXPECT_EQ(255, b.At(x, 1)[0]);
  }
  for (int row = 0; row < 2; ++row) EXPECT_EQ(0, std::memcmp(&b.pixels[row * 16 + 12], "\0\0\0\0", 4));
}

TEST(CGBitmapContext, FlippedTransformPutsOriginTopLeft)
{
  Bitmap b(4, 4);
  CGContextTranslateCTM(b.ctx, 0, 4);
  CGContextScaleCTM(b.ctx, 1, -1);
  CGContextSetRGBFillColor(b.ctx, 1, 1, 1, 1);
  CGContextFillRect(b.ctx, CGRectMake(1, 0, 2, 1));
  EXPECT_EQ(255, b.At(1, 0)[0]);
  EXPECT_EQ(255, b.At(2, 0)[0]);
  EXPECT_EQ(0, b.At(0, 0)[0]);
  EXPECT_EQ(0, b.At(1, 1)[0]);
  EXPECT_EQ(0, b.At(1, 3)[0]);
}

TEST(CGBitmapContext, ClipsIntersectAndRestore)
{
  Bitmap b(8, 1);
  CGContextSaveGState(b.ctx);
  CGContextClipToRect(b.ctx, CGRectMake(2, 0, 4, 1));
  CGContextClipToRect(b.ctx, CGRectMake(4, 0, 4, 1));
  CGContextSetRGBFillColor(b.ctx, 1, 1, 1, 1);
  CGContextFillRect(b.ctx, CGRectMake(0, 0, 8, 1));
  for (int x = 0; x < 8; ++x) EXPECT_EQ(x >= 4 && x < 6 ? 255 : 0, b.At(x, 0)[0]) << x;
  CGContextRestoreGState(b.ctx);
  // The restored state has the full clip and the default black fill.
  CGContextFillRect(b.ctx, CGRectMake(0, 0, 8, 1));
  for (int x = 0; x < 8; ++x) EXPECT_EQ(0, b.At(x, 0)[0]) << x;
  CGContextSetRGBFillColor(b.ctx, 1, 1, 1, 1);
  CGContextFillRect(b.ctx, CGRectMake(0, 0, 8, 1));
  for (int x = 0; x < 8; ++x) EXPECT_EQ(255, b.At(x, 0)[0]) << x;
  // A restore without a save changes nothing.
  CGContextRestoreGState(b.ctx);
  CGContextClipToRect(b.ctx, CGRectMake(10, 0, 1, 1));
  CGContextSetRGBFillColor(b.ctx, 0, 0, 0, 1);
  CGContextFillRect(b.ctx, CGRectMake(0, 0, 8, 1));
  EXPECT_EQ(255, b.At(0, 0)[0]);
}

TEST(CGBitmapContext, AntialiasingSwitchDecidesEdgeCoverage)
{
  struct Case
  {
    bool antialias;
    int left, right;
  } cases[] = {{true, 128, 128}, {false, 255, 0}};
  for (const Case& c : cases) {
    Bitmap b(3, 1);
    CGContextSetShouldAntialias(b.ctx, c.antialias);
    CGContextSetRGBFillColor(b.ctx, 1, 1, 1, 1);
    CGContextFillRect(b.ctx, CGRectMake(0.5, 0, 1, 1));
    EXPECT_EQ(c.left, b.At(0, 0)[0]);
    EXPECT_EQ(c.right, b.At(1, 0)[0]);
    EXPECT_EQ(0, b.At(2, 0)[0]);
  }
}

TEST(CGBitmapContext, TranslucentFillBlendsAndKeepsIgnoredAlpha)
{
  Bitmap b(1, 1);
  b.pixels[3] = 77;
  CGContextSetRGBFillColor(b.ctx, 1, 1, 1, 0.5);
  CGContextFillRect(b.ctx, CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(128, b.At(0, 0)[0]);
  EXPECT_EQ(77, b.At(0, 0)[3]);
}

// Pixels of a w x h image in B, G, R, A order.
struct Image
{
  Image(int w, int h, std::vector<uint8_t> px, CGBitmapInfo info) : pixels(std::move(px))
  {
    CGDataProviderRef p = CGDataProviderCreateWithData(nullptr, pixels.data(), pixels.size(), nullptr);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    image = CGImageCreate(w, h, 8, 32, w * 4, space, info, p, nullptr, true, kCGRenderingIntentDefault);
    CGColorSpaceRelease(space);
    CGDataProviderRelease(p);
  }
  ~Image() { CGImageRelease(image); }
  std::vector<uint8_t> pixels;
  CGImageRef image;
};

const CGBitmapInfo kOpaque = kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst;
const CGBitmapInfo kStraight = kCGBitmapByteOrder32Little | kCGImageAlphaFirst;

TEST(CGDrawImage, NearestScalingKeepsImageUpright)
{
  // Blue values 10, 20 on the first row, 30, 40 on the second.
  Image img(2, 2, {10, 0, 0, 255, 20, 0, 0, 255, 30, 0, 0, 255, 40, 0, 0, 255}, kOpaque);
  ASSERT_NE(nullptr, img.image);
  struct Case
  {
    bool flipped;
  } cases[] = {{false}, {true}};
  for (const Case& c : cases) {
    Bitmap b(4, 4);
    CGContextSetInterpolationQuality(b.ctx, kCGInterpolationNone);
    if (c.flipped) {
      // The way a top-left-origin caller draws: flip, then flip back for the image.
      CGContextTranslateCTM(b.ctx, 0, 4);
      CGContextScaleCTM(b.ctx, 1, -1);
      CGContextScaleCTM(b.ctx, 1, -1);
      CGContextDrawImage(b.ctx, CGRectMake(0, -4, 4, 4), img.image);
    } else {
      CGContextDrawImage(b.ctx, CGRectMake(0, 0, 4, 4), img.image);
    }
    const int expect[4][4] = {{10, 10, 20, 20}, {10, 10, 20, 20}, {30, 30, 40, 40}, {30, 30, 40, 40}};
    for (int row = 0; row < 4; ++row)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(expect[row][x], b.At(x, row)[0]) << row << "," << x;
  }
}

TEST(CGDrawImage, InterpolationQualityChoosesFilter)
{
  Image img(2, 1, {0, 0, 0, 255, 200, 0, 0, 255}, kOpaque);
  struct Case
  {
    CGInterpolationQuality quality;
    bool blended;
  } cases[] = {{kCGInterpolationNone, false}, {kCGInterpolationDefault, true}, {kCGInterpolationHigh, true}};
  for (const Case& c : cases) {
    Bitmap b(8, 1);
    CGContextSetInterpolationQuality(b.ctx, c.quality);
    CGContextDrawImage(b.ctx, CGRectMake(0, 0, 8, 1), img.image);
    bool between = false;
    for (int x = 0; x < 8; ++x) between |= b.At(x, 0)[0] > 0 && b.At(x, 0)[0] < 200;
    EXPECT_EQ(c.blended, between) << c.quality;
    EXPECT_EQ(0, b.At(0, 0)[0]);
    EXPECT_EQ(200, b.At(7, 0)[0]);
  }
}

TEST(CGDrawImage, StraightAlphaComposites)
{
  Image img(2, 1, {200, 0, 0, 0, 200, 0, 0, 128}, kStraight);
  Bitmap b(2, 1);
  b.pixels[0] = b.pixels[4] = 100;
  CGContextDrawImage(b.ctx, CGRectMake(0, 0, 2, 1), img.image);
  EXPECT_EQ(100, b.At(0, 0)[0]);
  EXPECT_EQ(150, b.At(1, 0)[0]);
}

TEST(CGDrawImage, ReadsProviderMemoryWithoutCopying)
{
  static int released = 0;
  std::vector<uint8_t> px = {1, 2, 3, 255};
  CGDataProviderRef p = CGDataProviderCreateWithData(&released, px.data(), px.size(),
                                                     [](void* info, const void*, size_t) { ++*(int*)info; });
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGImageRef image = CGImageCreate(1, 1, 8, 32, 4, space, kOpaque, p, nullptr, false, kCGRenderingIntentDefault);
  CGDataProviderRelease(p);
  ASSERT_NE(nullptr, image);
  EXPECT_EQ(0, released);
  px[0] = 99;
  Bitmap b(1, 1);
  CGContextDrawImage(b.ctx, CGRectMake(0, 0, 1, 1), image);
  EXPECT_EQ(99, b.At(0, 0)[0]);
  CGImageRelease(image);
  EXPECT_EQ(1, released);
  CGColorSpaceRelease(space);
}

TEST(CGDrawImage, CreationRefusesShortProviders)
{
  std::vector<uint8_t> px(4 * 4 * 2);
  CGDataProviderRef p = CGDataProviderCreateWithData(nullptr, px.data(), px.size() - 1, nullptr);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  struct Case
  {
    size_t w, h, rowBytes;
    bool ok;
  } cases[] = {{4, 2, 16, false}, {4, 1, 16, true}, {3, 2, 16, true}, {4, 2, 12, false}, {0, 1, 16, false}};
  for (const Case& c : cases) {
    CGImageRef image =
        CGImageCreate(c.w, c.h, 8, 32, c.rowBytes, space, kOpaque, p, nullptr, false, kCGRenderingIntentDefault);
    EXPECT_EQ(c.ok, image != nullptr) << c.w << "x" << c.h << " / " << c.rowBytes;
    CGImageRelease(image);
  }
  CGDataProviderRelease(p);
  CGColorSpaceRelease(space);
}

TEST(CGGeometry, RectanglesAndTransforms)
{
  EXPECT_TRUE(CGRectIsNull(CGRectIntersection(CGRectMake(0, 0, 1, 1), CGRectMake(2, 2, 1, 1))));
  EXPECT_TRUE(
      CGRectEqualToRect(CGRectMake(1, 1, 1, 1), CGRectIntersection(CGRectMake(0, 0, 2, 2), CGRectMake(1, 1, 5, 5))));
  EXPECT_TRUE(CGRectEqualToRect(CGRectMake(0, 0, 2, 2), CGRectMake(2, 2, -2, -2)));
  // Translate then scale applied to the context: points are scaled first.
  CGAffineTransform t = CGAffineTransformScale(CGAffineTransformMakeTranslation(10, 0), 2, 2);
  CGPoint p = CGPointApplyAffineTransform(CGPointMake(1, 1), t);
  EXPECT_EQ(12, p.x);
  EXPECT_EQ(2, p.y);
  CGPoint back = CGPointApplyAffineTransform(p, CGAffineTransformInvert(t));
  EXPECT_DOUBLE_EQ(1, back.x);
  EXPECT_DOUBLE_EQ(1, back.y);
}

TEST(CGDisplay, PointerCallsAreRecorded)
{
  CGStandInResetCursorState();
  CGStandInSetDisplaySize(800, 600);
  const CGDirectDisplayID d = CGMainDisplayID();
  EXPECT_EQ(600u, CGDisplayPixelsHigh(d));
  EXPECT_EQ(kCGErrorSuccess, CGDisplayHideCursor(d));
  EXPECT_EQ(kCGErrorSuccess, CGDisplayHideCursor(d));
  EXPECT_EQ(kCGErrorSuccess, CGDisplayShowCursor(d));
  EXPECT_EQ(kCGErrorSuccess, CGDisplayMoveCursorToPoint(d, CGPointMake(5, 7)));
  EXPECT_EQ(kCGErrorSuccess, CGAssociateMouseAndMouseCursorPosition(0));
  CGStandInCursorState s = CGStandInGetCursorState();
  EXPECT_EQ(1, s.hideCount);
  EXPECT_EQ(5, s.position.x);
  EXPECT_EQ(7, s.position.y);
  EXPECT_EQ(1, s.moveCount);
  EXPECT_FALSE(s.associated);
  EXPECT_EQ(kCGErrorIllegalArgument, CGDisplayHideCursor(d + 1));
  CGDisplayShowCursor(d);
  CGDisplayShowCursor(d);
  EXPECT_EQ(0, CGStandInGetCursorState().hideCount);
  CGStandInResetCursorState();
  CGStandInSetDisplaySize(1920, 1080);
}

}  // namespace
