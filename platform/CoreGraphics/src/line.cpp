// Line layout and drawing.

#include "line.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTabInterval = 28;  // points between tab stops

// The font for text without a font attribute: Helvetica 12, as resolved.
const __CTFont* DefaultFont()
{
  static const __CTFont* font = [] {
    cti::FaceFile file;
    return cti::ResolveFace("Helvetica", &file) ? __CTFont::Open(file, 12, nullptr) : nullptr;
  }();
  return font;
}

// Black, the colour of text without a colour attribute.
CGColorRef Black()
{
  static CGColorRef black = CGColorCreateGenericRGB(0, 0, 0, 1);
  return black;
}

// Characters that take no glyph and no room.
bool Invisible(uint32_t cp) { return cp < 0x20 || cp == 0x7F || cp == 0x85 || cp == 0x2028 || cp == 0x2029; }

// The font and colour that a run's attributes ask for.
void RunStyle(CFDictionaryRef attrs, const __CTFont** font, CGColorRef* color)
{
  *font = DefaultFont();
  *color = Black();
  if (!attrs) return;
  CFTypeRef f = CFDictionaryGetValue(attrs, kCTFontAttributeName);
  if (f && CFGetTypeID(f) == CTFontGetTypeID()) *font = static_cast<const __CTFont*>(f);
  CFTypeRef c = CFDictionaryGetValue(attrs, kCTForegroundColorAttributeName);
  CFTypeRef fromContext = CFDictionaryGetValue(attrs, kCTForegroundColorFromContextAttributeName);
  if (c && CFGetTypeID(c) == CGColorGetTypeID())
    *color = static_cast<CGColorRef>(c);
  else if (fromContext && CFEqual(fromContext, kCFBooleanTrue))
    *color = nullptr;
}

}  // namespace

__CTLine::~__CTLine()
{
  for (const cgi::Object* o : held) cgi::Release(o);
}

namespace cti {

bool ReadText(CFAttributedStringRef string, Text* out)
{
  CFStringRef s = string ? CFAttributedStringGetString(string) : nullptr;
  if (!s) return false;
  out->string = string;
  out->units.resize(CFStringGetLength(s));
  if (!out->units.empty()) CFStringGetCharacters(s, CFRangeMake(0, (CFIndex)out->units.size()), out->units.data());
  return true;
}

__CTLine* LayoutLine(const Text& text, CFRange range)
{
  __CTLine* line = cgi::New<__CTLine>();
  if (!line) return nullptr;
  line->range = range;
  const CFIndex end = range.location + range.length;
  const __CTFont* prevFont = nullptr;
  unsigned prevGlyph = 0;
  double pen = 0;
  for (CFIndex loc = range.location; loc < end;) {
    CFRange run{loc, end - loc};
    CFDictionaryRef attrs = CFAttributedStringGetAttributes(text.string, loc, &run);
    const CFIndex runEnd = run.length > 0 ? std::min(end, run.location + run.length) : end;
    const __CTFont* font;
    CGColorRef color;
    RunStyle(attrs, &font, &color);
    if (!font) {
      loc = runEnd;
      continue;
    }
    line->held.push_back(cgi::Retain(font));
    if (color) line->held.push_back(cgi::Retain(color));
    line->ascent = std::max(line->ascent, font->ascent);
    line->descent = std::max(line->descent, font->descent);
    line->leading = std::max(line->leading, font->leading);
    while (loc < runEnd) {
      const CFIndex unit = loc;
      uint32_t cp = text.units[loc++];
      if (cp >= 0xD800 && cp < 0xDC00 && loc < runEnd && text.units[loc] >= 0xDC00 && text.units[loc] < 0xE000)
        cp = 0x10000 + ((cp - 0xD800) << 10) + (text.units[loc++] - 0xDC00);
      if (cp == '\t') {
        pen = (std::floor(pen / kTabInterval + 1e-9) + 1) * kTabInterval;
        prevGlyph = 0;
        continue;
      }
      if (Invisible(cp)) continue;
      const __CTFont* f = font;
      unsigned glyph = font->GlyphFor(cp);
      if (glyph == 0) {
        const __CTFont* fallback = font->Fallback();
        const unsigned g = fallback ? fallback->GlyphFor(cp) : 0;
        if (g) {
          f = fallback;
          glyph = g;
        }
      }
      if (f == prevFont && prevGlyph) pen += f->Kerning(prevGlyph, glyph);
      const double advance = f->Advance(glyph);
      line->glyphs.push_back(cti::PlacedGlyph{f, glyph, pen, advance, color, unit});
      pen += advance;
      prevFont = f;
      prevGlyph = glyph;
    }
  }
  line->width = pen;
  return line;
}

}  // namespace cti

extern "C" {

CTLineRef CTLineCreateWithAttributedString(CFAttributedStringRef string)
{
  cti::Text text;
  if (!cti::ReadText(string, &text)) return nullptr;
  return cti::LayoutLine(text, CFRangeMake(0, (CFIndex)text.units.size()));
}

double CTLineGetTypographicBounds(CTLineRef line, CGFloat* ascent, CGFloat* descent, CGFloat* leading)
{
  if (ascent) *ascent = line ? line->ascent : 0;
  if (descent) *descent = line ? line->descent : 0;
  if (leading) *leading = line ? line->leading : 0;
  return line ? line->width : 0;
}

CFIndex CTLineGetGlyphCount(CTLineRef line) { return line ? (CFIndex)line->glyphs.size() : 0; }

CFRange CTLineGetStringRange(CTLineRef line) { return line ? line->range : CFRangeMake(0, 0); }

// Glyph space goes through the font matrix, the text matrix (whose
// translation is the text position) and the transformation to device space.
void CTLineDraw(CTLineRef line, CGContextRef c)
{
  if (!line || !c) return;
  const CGAffineTransform& t = c->gs.text;
  const CGAffineTransform& ctm = c->gs.ctm;
  const CGAffineTransform toDevice = CGAffineTransformConcat(t, ctm);
  const cgi::PixelBox clip = c->ClipBox();
  const bool antialias = c->Antialias();
  const cgi::Paint fill = cgi::MakePaint(c->gs.fill, c->gs.alpha);
  for (const cti::PlacedGlyph& g : line->glyphs) {
    CGAffineTransform linear = CGAffineTransformConcat(g.font->matrix, toDevice);
    const double m[4] = {linear.a, linear.b, linear.c, linear.d};
    const CGPoint origin = CGPointApplyAffineTransform(CGPointMake(g.x, 0), toDevice);
    const cgi::Paint paint = g.color ? cgi::MakePaint(g.color->components, c->gs.alpha) : fill;
    g.font->DrawGlyph(g.glyph, m, origin.x, origin.y, c->surface, clip, paint, antialias);
  }
  c->gs.text.tx += line->width * t.a;
  c->gs.text.ty += line->width * t.b;
}

}  // extern "C"
