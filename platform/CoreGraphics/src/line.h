#pragma once
// The records behind CTLineRef, CTFramesetterRef and CTFrameRef, and the
// layout of attributed text into lines.

#include <CoreText/CoreText.h>

#include <vector>

#include "font.h"
#include "objects.h"

namespace cti {

// One laid-out glyph: its font, glyph index, pen position along the line
// and advance (points), colour (null: the context's fill colour) and the
// index of its first UTF-16 unit.
struct PlacedGlyph
{
  const __CTFont* font;
  unsigned glyph;
  double x, advance;
  CGColorRef color;
  CFIndex unit;
};

// The UTF-16 text of an attributed string with its attribute runs.
struct Text
{
  CFAttributedStringRef string;
  std::vector<UniChar> units;
};

// Reads the string's text; false when it cannot be read.
bool ReadText(CFAttributedStringRef string, Text* out);

}  // namespace cti

struct __CTLine : cgi::Object
{
  ~__CTLine() override;
  CFTypeID typeID() const override { return CTLineGetTypeID(); }
  std::vector<cti::PlacedGlyph> glyphs;
  std::vector<const cgi::Object*> held;  // fonts and colours the glyphs use (retained)
  double width = 0;
  CGFloat ascent = 0, descent = 0, leading = 0;
  CFRange range{0, 0};
};

namespace cti {
// Lays out units [range) of the text as one line; null when memory runs out.
__CTLine* LayoutLine(const Text& text, CFRange range);
}  // namespace cti
