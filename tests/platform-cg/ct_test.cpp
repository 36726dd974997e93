// Core Text: font resolution and metrics, line layout and drawing, frames.

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

std::string Text(CFStringRef s)
{
  char buf[256] = "";
  if (s) CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8);
  return buf;
}

CTFontRef Font(const char* name, CGFloat size)
{
  CFStringRef n = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
  CTFontRef f = CTFontCreateWithName(n, size, nullptr);
  CFRelease(n);
  return f;
}

std::string PostScriptName(CTFontRef f)
{
  CFStringRef ps = CTFontCopyPostScriptName(f);
  std::string s = Text(ps);
  if (ps) CFRelease(ps);
  return s;
}

TEST(CTFont, NamesResolveToInstalledFacesOrTheDefault)
{
  struct Case
  {
    const char* name;
    const char* postScript;
  } cases[] = {
      {"DejaVu Sans", "DejaVuSans"},
      {"DejaVuSans-Bold", "DejaVuSans-Bold"},
      {"DejaVu Sans Bold", "DejaVuSans-Bold"},
      {"DejaVu Sans Bold Italic", "DejaVuSans-BoldOblique"},
      {"DejaVu Serif Italic", "DejaVuSerif-Italic"},
      {"No Such Face", "DejaVuSans"},
      {"Helvetica Bold Italic", "DejaVuSans-BoldOblique"},
      {"Monaco", "DejaVuSans"},
      {"", "DejaVuSans"},
  };
  for (const Case& c : cases) {
    CTFontRef f = Font(c.name, 14);
    ASSERT_NE(nullptr, f) << c.name;
    EXPECT_EQ(c.postScript, PostScriptName(f)) << c.name;
    EXPECT_EQ(14, CTFontGetSize(f));
    CFRelease(f);
  }
}

TEST(CTFont, MetricsScaleWithSize)
{
  CTFontRef small = Font("DejaVu Sans", 12), big = Font("DejaVu Sans", 24), dflt = Font("DejaVu Sans", 0);
  EXPECT_EQ(12, CTFontGetSize(dflt));
  EXPECT_GT(CTFontGetAscent(small), 10);
  EXPECT_LT(CTFontGetAscent(small), 12);
  EXPECT_GT(CTFontGetDescent(small), 2);
  EXPECT_GE(CTFontGetLeading(small), 0);
  EXPECT_DOUBLE_EQ(2 * CTFontGetAscent(small), CTFontGetAscent(big));
  EXPECT_DOUBLE_EQ(2 * CTFontGetDescent(small), CTFontGetDescent(big));
  CFRelease(small);
  CFRelease(big);
  CFRelease(dflt);
}

TEST(CTFontDescriptor, MatchesOnlyInstalledFaces)
{
  struct Case
  {
    const char* name;
    const char* postScript;  // null: no match
  } cases[] = {{"DejaVu Sans Mono", "DejaVuSansMono"},
               {"DejaVuSerif-Bold", "DejaVuSerif-Bold"},
               {"Helvetica", nullptr},
               {"", nullptr}};
  for (const Case& c : cases) {
    CFStringRef n = CFStringCreateWithCString(nullptr, c.name, kCFStringEncodingUTF8);
    CTFontDescriptorRef d = CTFontDescriptorCreateWithNameAndSize(n, 10);
    CFRelease(n);
    ASSERT_NE(nullptr, d);
    CTFontDescriptorRef m = CTFontDescriptorCreateMatchingFontDescriptor(d, nullptr);
    EXPECT_EQ(c.postScript != nullptr, m != nullptr) << c.name;
    if (m) {
      CFTypeRef ps = CTFontDescriptorCopyAttribute(m, kCTFontNameAttribute);
      EXPECT_EQ(c.postScript, Text(static_cast<CFStringRef>(ps)));
      CFRelease(ps);
      CFRelease(m);
    }
    CFRelease(d);
  }
}

// An attributed string in one font and, optionally, one colour.
CFAttributedStringRef Attributed(const char* text, CTFontRef font, CGColorRef color = nullptr)
{
  CFStringRef s = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  const void* keys[] = {kCTFontAttributeName, kCTForegroundColorAttributeName};
  const void* values[] = {font, color};
  CFDictionaryRef attrs = CFDictionaryCreate(nullptr, keys, values, color ? 2 : 1, &kCFTypeDictionaryKeyCallBacks,
                                             &kCFTypeDictionaryValueCallBacks);
  CFAttributedStringRef a = CFAttributedStringCreate(nullptr, s, attrs);
  CFRelease(attrs);
  CFRelease(s);
  return a;
}

TEST(CFAttributedString, HoldsItsStringAndAttributes)
{
  CTFontRef f = Font("DejaVu Sans", 11);
  CFAttributedStringRef a = Attributed("abc", f);
  CFRelease(f);  // the attributes keep the font
  EXPECT_EQ(3, CFAttributedStringGetLength(a));
  EXPECT_EQ("abc", Text(CFAttributedStringGetString(a)));
  CFRange r;
  CFTypeRef font = CFAttributedStringGetAttribute(a, 2, kCTFontAttributeName, &r);
  ASSERT_NE(nullptr, font);
  EXPECT_EQ(CTFontGetTypeID(), CFGetTypeID(font));
  EXPECT_EQ(11, CTFontGetSize(static_cast<CTFontRef>(font)));
  EXPECT_EQ(0, r.location);
  EXPECT_EQ(3, r.length);
  EXPECT_EQ(nullptr, CFAttributedStringGetAttribute(a, 1, kCTForegroundColorAttributeName, nullptr));
  EXPECT_EQ(nullptr, CFAttributedStringGetAttributes(a, 3, &r));
  EXPECT_EQ(0, r.length);
  EXPECT_EQ(nullptr, CFAttributedStringGetAttributes(a, -1, nullptr));
  EXPECT_EQ(nullptr, CFAttributedStringCreate(nullptr, nullptr, nullptr));
  CFRelease(a);
}

double Width(const char* text, CTFontRef font)
{
  CFAttributedStringRef a = Attributed(text, font);
  CTLineRef line = CTLineCreateWithAttributedString(a);
  const double w = CTLineGetTypographicBounds(line, nullptr, nullptr, nullptr);
  CFRelease(line);
  CFRelease(a);
  return w;
}

TEST(CTLine, WidthsAddUpAndKerningApplies)
{
  CTFontRef f = Font("DejaVu Sans", 20);
  EXPECT_EQ(0, Width("", f));
  EXPECT_NEAR(Width("ab", f), Width("a", f) + Width("b", f), 1e-9);
  EXPECT_NEAR(Width("mm", f), 2 * Width("m", f), 1e-9);
  EXPECT_NEAR(Width("ab\n", f), Width("ab", f), 1e-9);
  EXPECT_LT(Width("AV", f), Width("A", f) + Width("V", f));
  EXPECT_NEAR(Width("a\tb", f), 28 + Width("b", f), 1e-9);
  // Characters the face lacks come from the default face, not as boxes of nothing.
  EXPECT_GT(Width("\xe2\x86\x92", f), 1);
  CGFloat ascent, descent, leading;
  CFAttributedStringRef a = Attributed("x", f);
  CTLineRef line = CTLineCreateWithAttributedString(a);
  CTLineGetTypographicBounds(line, &ascent, &descent, &leading);
  EXPECT_DOUBLE_EQ(CTFontGetAscent(f), ascent);
  EXPECT_DOUBLE_EQ(CTFontGetDescent(f), descent);
  EXPECT_EQ(1, CTLineGetGlyphCount(line));
  CFRelease(line);
  CFRelease(a);
  CFRelease(f);
}

struct Canvas
{
  Canvas(int w, int h) : width(w), height(h), pixels((size_t)w * h * 4)
  {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    ctx = CGBitmapContextCreate(pixels.data(), w, h, 8, w * 4, space,
                                kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst);
    CGColorSpaceRelease(space);
  }
  ~Canvas() { CGContextRelease(ctx); }
  // Bounding box of pixels that differ from black: x0, row0, x1, row1 (exclusive).
  std::vector<int> Ink() const
  {
    std::vector<int> box = {width, height, 0, 0};
    for (int row = 0; row < height; ++row)
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = &pixels[(row * width + x) * 4];
        if (p[0] || p[1] || p[2]) {
          box[0] = std::min(box[0], x);
          box[1] = std::min(box[1], row);
          box[2] = std::max(box[2], x + 1);
          box[3] = std::max(box[3], row + 1);
        }
      }
    return box;
  }
  // Whether any pixel is neither black nor the full colour (b, g, r).
  bool HasPartialPixels(uint8_t b, uint8_t g, uint8_t r) const
  {
    for (size_t i = 0; i < pixels.size(); i += 4) {
      const bool black = !pixels[i] && !pixels[i + 1] && !pixels[i + 2];
      const bool full = pixels[i] == b && pixels[i + 1] == g && pixels[i + 2] == r;
      if (!black && !full) return true;
    }
    return false;
  }
  bool HasPixel(uint8_t b, uint8_t g, uint8_t r) const
  {
    for (size_t i = 0; i < pixels.size(); i += 4)
      if (pixels[i] == b && pixels[i + 1] == g && pixels[i + 2] == r) return true;
    return false;
  }
  int width, height;
  std::vector<uint8_t> pixels;
  CGContextRef ctx;
};

TEST(CTLine, DrawsAtTextPositionInColourAndAdvances)
{
  CTFontRef f = Font("DejaVu Sans", 20);
  CGColorRef red = CGColorCreateGenericRGB(1, 0, 0, 1);
  struct Case
  {
    bool antialias;
  } cases[] = {{true}, {false}};
  for (const Case& c : cases) {
    Canvas canvas(60, 30);
    CGContextSetShouldAntialias(canvas.ctx, c.antialias);
    CFAttributedStringRef a = Attributed("HI", f, red);
    CTLineRef line = CTLineCreateWithAttributedString(a);
    CGContextSetTextPosition(canvas.ctx, 10, 8);
    CTLineDraw(line, canvas.ctx);
    // Capital letters stand on the baseline: device y 8 is memory row 22.
    const std::vector<int> ink = canvas.Ink();
    EXPECT_GE(ink[0], 10);
    EXPECT_LE(ink[0], 13);
    EXPECT_EQ(22, ink[3]);
    EXPECT_NEAR(22 - ink[1], CTFontGetAscent(f) * 0.78, 2.5);  // cap height
    EXPECT_LE(ink[2], 10 + (int)std::ceil(Width("HI", f)));
    EXPECT_TRUE(canvas.HasPixel(0, 0, 255));
    EXPECT_EQ(c.antialias, canvas.HasPartialPixels(0, 0, 255));
    EXPECT_NEAR(10 + Width("HI", f), CGContextGetTextPosition(canvas.ctx).x, 1e-9);
    CFRelease(line);
    CFRelease(a);
  }
  CGColorRelease(red);
  CFRelease(f);
}

TEST(CTLine, ColourComesFromContextWhenAsked)
{
  CTFontRef f = Font("DejaVu Sans", 20);
  CFStringRef s = CFSTR("I");
  const void* keys[] = {kCTFontAttributeName, kCTForegroundColorFromContextAttributeName};
  const void* values[] = {f, kCFBooleanTrue};
  CFDictionaryRef attrs =
      CFDictionaryCreate(nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFAttributedStringRef a = CFAttributedStringCreate(nullptr, s, attrs);
  CTLineRef line = CTLineCreateWithAttributedString(a);
  Canvas canvas(30, 30);
  CGContextSetRGBFillColor(canvas.ctx, 0, 1, 0, 1);
  CGContextSetTextPosition(canvas.ctx, 5, 5);
  CTLineDraw(line, canvas.ctx);
  EXPECT_TRUE(canvas.HasPixel(0, 255, 0));
  CFRelease(line);
  CFRelease(a);
  CFRelease(attrs);
  CFRelease(f);
}

TEST(CTLine, DrawingIsClipped)
{
  CTFontRef f = Font("DejaVu Sans", 20);
  CFAttributedStringRef a = Attributed("MMMM", f);
  CTLineRef line = CTLineCreateWithAttributedString(a);
  Canvas canvas(80, 30);
  CGContextSetRGBFillColor(canvas.ctx, 1, 1, 1, 1);
  CGContextFillRect(canvas.ctx, CGRectMake(0, 0, 80, 30));
  CGColorRef black = CGColorCreateGenericRGB(0, 0, 0, 1);
  CGContextClipToRect(canvas.ctx, CGRectMake(0, 0, 20, 30));
  CGContextSetTextPosition(canvas.ctx, 2, 5);
  CTLineDraw(line, canvas.ctx);
  for (int row = 0; row < 30; ++row)
    for (int x = 20; x < 80; ++x) ASSERT_EQ(255, canvas.pixels[(row * 80 + x) * 4]) << x;
  bool inked = false;
  for (int row = 0; row < 30; ++row)
    for (int x = 0; x < 20; ++x) inked |= canvas.pixels[(row * 80 + x) * 4] < 255;
  EXPECT_TRUE(inked);
  CGColorRelease(black);
  CFRelease(line);
  CFRelease(a);
  CFRelease(f);
}

TEST(CTFramesetter, BreaksAtLineFeedsAndWraps)
{
  CTFontRef f = Font("DejaVu Sans", 10);
  const double lineHeight = CTFontGetAscent(f) + CTFontGetDescent(f) + CTFontGetLeading(f);
  const double aaa = Width("aaa ", f);
  struct Case
  {
    const char* text;
    double width;
    std::vector<std::string> lines;
  } cases[] = {
      {"one\ntwo", 1000, {"one\n", "two"}},
      {"one\r\n\ntwo\n", 1000, {"one\r\n", "\n", "two\n"}},
      {"aaa bbb", aaa + 1, {"aaa ", "bbb"}},
      {"aaaaaaa", Width("aaa", f) + 0.5, {"aaa", "aaa", "a"}},
      {"", 1000, {}},
  };
  for (const Case& c : cases) {
    CFAttributedStringRef a = Attributed(c.text, f);
    CTFramesetterRef fs = CTFramesetterCreateWithAttributedString(a);
    CGPathRef path = CGPathCreateWithRect(CGRectMake(0, 0, c.width, 1000), nullptr);
    CTFrameRef frame = CTFramesetterCreateFrame(fs, CFRangeMake(0, 0), path, nullptr);
    ASSERT_NE(nullptr, frame);
    CFArrayRef lines = CTFrameGetLines(frame);
    ASSERT_EQ((CFIndex)c.lines.size(), CFArrayGetCount(lines)) << c.text;
    std::vector<CGPoint> origins(c.lines.size());
    CTFrameGetLineOrigins(frame, CFRangeMake(0, 0), origins.data());
    const std::string all = c.text;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      const CFRange r = CTLineGetStringRange(static_cast<CTLineRef>(CFArrayGetValueAtIndex(lines, i)));
      EXPECT_EQ(c.lines[i], all.substr(r.location, r.length)) << c.text << " line " << i;
      EXPECT_NEAR(1000 - CTFontGetAscent(f) - i * lineHeight, origins[i].y, 1e-9);
    }
    CFRelease(frame);
    CGPathRelease(path);
    CFRelease(fs);
    CFRelease(a);
  }
  CFRelease(f);
}

TEST(CTFramesetter, FrameDrawPutsLinesAtTheirOrigins)
{
  CTFontRef f = Font("DejaVu Sans", 12);
  CGColorRef white = CGColorCreateGenericRGB(1, 1, 1, 1);
  CFAttributedStringRef a = Attributed("H\nH", f, white);
  CGColorRelease(white);
  CTFramesetterRef fs = CTFramesetterCreateWithAttributedString(a);
  CGPathRef path = CGPathCreateWithRect(CGRectMake(5, 2, 50, 36), nullptr);
  CTFrameRef frame = CTFramesetterCreateFrame(fs, CFRangeMake(0, 0), path, nullptr);
  Canvas canvas(60, 40);
  CGContextSetTextPosition(canvas.ctx, 30, 30);
  CTFrameDraw(frame, canvas.ctx);
  // Capitals stand on each baseline, device y = 2 + origin.y: ink reaches
  // down to memory row 40 - that (a partly covered row counts).
  CGPoint origins[2];
  CTFrameGetLineOrigins(frame, CFRangeMake(0, 2), origins);
  std::vector<int> bottoms;
  for (int row = 1; row < 40; ++row) {
    bool here = false, above = false;
    for (int x = 0; x < 60; ++x) {
      here |= canvas.pixels[((row - 1) * 60 + x) * 4] != 0;
      above |= canvas.pixels[(row * 60 + x) * 4] != 0;
    }
    if (here && !above) bottoms.push_back(row);
  }
  ASSERT_EQ(2u, bottoms.size());
  EXPECT_EQ((int)std::ceil(40 - 2 - origins[0].y - 1e-9), bottoms[0]);
  EXPECT_EQ((int)std::ceil(40 - 2 - origins[1].y - 1e-9), bottoms[1]);
  EXPECT_GE(canvas.Ink()[0], 5);
  // The text position is left as it was.
  EXPECT_EQ(30, CGContextGetTextPosition(canvas.ctx).x);
  CFRelease(frame);
  CGPathRelease(path);
  CFRelease(fs);
  CFRelease(a);
  CFRelease(f);
}

TEST(CTFramesetter, FrameHeightLimitsLinesAndSuggestedSizeFits)
{
  CTFontRef f = Font("DejaVu Sans", 10);
  const double lineHeight = CTFontGetAscent(f) + CTFontGetDescent(f) + CTFontGetLeading(f);
  CFAttributedStringRef a = Attributed("a\nbb\nc", f);
  CTFramesetterRef fs = CTFramesetterCreateWithAttributedString(a);
  CGPathRef path = CGPathCreateWithRect(CGRectMake(0, 0, 100, lineHeight * 2 + 0.5), nullptr);
  CTFrameRef frame = CTFramesetterCreateFrame(fs, CFRangeMake(0, 0), path, nullptr);
  EXPECT_EQ(2, CFArrayGetCount(CTFrameGetLines(frame)));
  EXPECT_EQ(5, CTFrameGetVisibleStringRange(frame).length);
  CFRange fit;
  const CGSize size =
      CTFramesetterSuggestFrameSizeWithConstraints(fs, CFRangeMake(0, 0), nullptr, CGSizeMake(0, 0), &fit);
  EXPECT_EQ(std::ceil(Width("bb", f)), size.width);
  EXPECT_EQ(std::ceil(3 * lineHeight - CTFontGetLeading(f)), size.height);
  EXPECT_EQ(6, fit.length);
  CFRelease(frame);
  CGPathRelease(path);
  CFRelease(fs);
  CFRelease(a);
  CFRelease(f);
}

}  // namespace
