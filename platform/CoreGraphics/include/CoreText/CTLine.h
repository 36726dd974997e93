#pragma once
// One line of laid-out text: glyphs with advances and kerning.

#include <CoreFoundation/CFAttributedString.h>
#include <CoreText/CTFont.h>

typedef const struct __CTLine* CTLineRef;

extern "C" {
// Lays out the whole attributed string as one line (line breaks are drawn
// as nothing). Null for null input.
CTLineRef CTLineCreateWithAttributedString(CFAttributedStringRef string);
// The line's width; ascent, descent and leading (each optional) are the
// largest over its fonts.
double CTLineGetTypographicBounds(CTLineRef line, CGFloat* ascent, CGFloat* descent, CGFloat* leading);
CFIndex CTLineGetGlyphCount(CTLineRef line);
// The part of the string (UTF-16 units) that the line holds.
CFRange CTLineGetStringRange(CTLineRef line);
// Draws the line with its baseline origin at the context's text position,
// through the text matrix, in the foreground colour (or the fill colour),
// clipped; the text position then moves by the line's width.
void CTLineDraw(CTLineRef line, CGContextRef context);
CFTypeID CTLineGetTypeID(void);
}
