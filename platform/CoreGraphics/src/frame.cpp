// Framesetters and frames: breaking attributed text into lines in a rectangle.

#include <algorithm>
#include <cmath>

#include "line.h"

struct __CTFramesetter : cgi::Object
{
  ~__CTFramesetter() override { CFRelease(string); }
  CFTypeID typeID() const override { return CTFramesetterGetTypeID(); }
  CFAttributedStringRef string;
  cti::Text text;
};

struct __CTFrame : cgi::Object
{
  CFTypeID typeID() const override { return CTFrameGetTypeID(); }
  ~__CTFrame() override
  {
    if (lines) CFRelease(lines);
  }
  CFArrayRef lines = nullptr;  // CTLineRef values
  std::vector<CGPoint> origins;
  CGRect rect;
  CFRange visible{0, 0};
};

namespace {

bool HardBreak(UniChar u) { return u == '\n' || u == '\r' || u == 0x2028 || u == 0x2029; }

// Lines of the range: the end (exclusive) of each, wrapped at width.
std::vector<CFIndex> BreakLines(const cti::Text& text, CFRange range, double width)
{
  std::vector<CFIndex> ends;
  const CFIndex end = range.location + range.length;
  CFIndex start = range.location;
  while (start < end) {
    // The paragraph: up to and including its line break (CR LF counts as one).
    CFIndex p = start;
    while (p < end && !HardBreak(text.units[p])) ++p;
    CFIndex paraEnd = p;
    if (p < end) {
      paraEnd = p + 1;
      if (text.units[p] == '\r' && paraEnd < end && text.units[paraEnd] == '\n') ++paraEnd;
    }
    // Wrap inside the paragraph where a glyph would cross the width.
    __CTLine* whole = cti::LayoutLine(text, CFRangeMake(start, paraEnd - start));
    if (!whole) return ends;
    CFIndex lineStart = start;
    double lineX = 0;
    CFIndex lastSpaceEnd = -1;
    double lastSpaceX = 0;
    for (const cti::PlacedGlyph& g : whole->glyphs) {
      const double x1 = g.x + g.advance;
      if (text.units[g.unit] == ' ') {
        lastSpaceEnd = g.unit + 1;
        lastSpaceX = x1;
        continue;
      }
      if (x1 - lineX > width && g.unit > lineStart) {
        const bool atSpace = lastSpaceEnd > lineStart;
        const CFIndex breakAt = atSpace ? lastSpaceEnd : g.unit;
        ends.push_back(breakAt);
        lineX = atSpace ? lastSpaceX : g.x;
        lineStart = breakAt;
        lastSpaceEnd = -1;
      }
    }
    ends.push_back(paraEnd);
    cgi::Release(whole);
    start = paraEnd;
  }
  return ends;
}

CFRange Resolve(CFRange r, CFIndex length)
{
  if (r.location < 0 || r.location > length) return CFRangeMake(0, 0);
  if (r.length <= 0 || r.location + r.length > length) r.length = length - r.location;
  return r;
}

const void* RetainLine(CFAllocatorRef, const void* v) { return cgi::Retain(static_cast<const __CTLine*>(v)); }
void ReleaseLine(CFAllocatorRef, const void* v) { cgi::Release(static_cast<const __CTLine*>(v)); }

// Lays out lines top down until one no longer fits the height.
__CTFrame* MakeFrame(const cti::Text& text, CFRange range, CGRect rect)
{
  __CTFrame* frame = cgi::New<__CTFrame>();
  if (!frame) return nullptr;
  frame->rect = CGRectStandardize(rect);
  frame->visible = CFRangeMake(range.location, 0);
  CFArrayCallBacks callbacks = {0, RetainLine, ReleaseLine, nullptr, nullptr};
  CFMutableArrayRef lines = CFArrayCreateMutable(nullptr, 0, &callbacks);
  frame->lines = lines;
  if (!lines) return frame;
  const double top = frame->rect.size.height;
  double baseline = top;
  CFIndex start = range.location;
  bool first = true;
  double prevDescent = 0, prevLeading = 0;
  for (CFIndex end : BreakLines(text, range, frame->rect.size.width)) {
    __CTLine* line = cti::LayoutLine(text, CFRangeMake(start, end - start));
    if (!line) break;
    baseline -= (first ? 0 : prevDescent + prevLeading) + line->ascent;
    if (baseline - line->descent < -1e-9) {
      cgi::Release(line);
      break;
    }
    prevDescent = line->descent;
    prevLeading = line->leading;
    CFArrayAppendValue(lines, line);
    cgi::Release(line);
    frame->origins.push_back(CGPointMake(0, baseline));
    frame->visible.length = end - range.location;
    first = false;
    start = end;
  }
  return frame;
}

}  // namespace

extern "C" {

CTFramesetterRef CTFramesetterCreateWithAttributedString(CFAttributedStringRef string)
{
  if (!string) return nullptr;
  __CTFramesetter* fs = cgi::New<__CTFramesetter>();
  if (!fs) return nullptr;
  fs->string = static_cast<CFAttributedStringRef>(CFRetain(string));
  if (!cti::ReadText(string, &fs->text)) {
    cgi::Release(fs);
    return nullptr;
  }
  return fs;
}

CTFrameRef CTFramesetterCreateFrame(CTFramesetterRef framesetter, CFRange stringRange, CGPathRef path, CFDictionaryRef)
{
  if (!framesetter || !path) return nullptr;
  const CFRange range = Resolve(stringRange, (CFIndex)framesetter->text.units.size());
  return MakeFrame(framesetter->text, range, CGPathGetBoundingBox(path));
}

CGSize CTFramesetterSuggestFrameSizeWithConstraints(CTFramesetterRef framesetter, CFRange stringRange, CFDictionaryRef,
                                                    CGSize constraints, CFRange* fitRange)
{
  if (!framesetter) {
    if (fitRange) *fitRange = CFRangeMake(0, 0);
    return CGSizeZero;
  }
  const CFRange range = Resolve(stringRange, (CFIndex)framesetter->text.units.size());
  const double w = constraints.width > 0 ? constraints.width : CGFLOAT_MAX;
  const double h = constraints.height > 0 ? constraints.height : CGFLOAT_MAX;
  __CTFrame* frame = MakeFrame(framesetter->text, range, CGRectMake(0, 0, w, h));
  if (!frame) return CGSizeZero;
  double width = 0, height = 0;
  const CFIndex n = frame->lines ? CFArrayGetCount(frame->lines) : 0;
  for (CFIndex i = 0; i < n; ++i) {
    const __CTLine* line = static_cast<const __CTLine*>(CFArrayGetValueAtIndex(frame->lines, i));
    width = std::max(width, line->width);
    height += line->ascent + line->descent + (i + 1 < n ? line->leading : 0);
  }
  if (fitRange) *fitRange = frame->visible;
  cgi::Release(frame);
  return CGSizeMake(std::ceil(width), std::ceil(height));
}

CFArrayRef CTFrameGetLines(CTFrameRef frame) { return frame ? frame->lines : nullptr; }

void CTFrameGetLineOrigins(CTFrameRef frame, CFRange range, CGPoint origins[])
{
  if (!frame || !origins) return;
  const CFIndex n = (CFIndex)frame->origins.size();
  if (range.location < 0 || range.location >= n) return;
  const CFIndex count = range.length <= 0 ? n - range.location : std::min(range.length, n - range.location);
  std::copy(frame->origins.begin() + range.location, frame->origins.begin() + range.location + count, origins);
}

CFRange CTFrameGetVisibleStringRange(CTFrameRef frame) { return frame ? frame->visible : CFRangeMake(0, 0); }

void CTFrameDraw(CTFrameRef frame, CGContextRef c)
{
  if (!frame || !c || !frame->lines) return;
  const CGAffineTransform saved = c->gs.text;
  for (size_t i = 0; i < frame->origins.size(); ++i) {
    CGContextSetTextPosition(c, frame->rect.origin.x + frame->origins[i].x, frame->rect.origin.y + frame->origins[i].y);
    CTLineDraw(static_cast<CTLineRef>(CFArrayGetValueAtIndex(frame->lines, (CFIndex)i)), c);
  }
  c->gs.text = saved;
}

}  // extern "C"
