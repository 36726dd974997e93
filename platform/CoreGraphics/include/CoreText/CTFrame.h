#pragma once
// A frame: lines of text placed in a rectangle from its top down.

#include <CoreText/CTLine.h>

typedef const struct __CTFrame* CTFrameRef;

extern "C" {
// The frame's lines (CTLineRef values), top first.
CFArrayRef CTFrameGetLines(CTFrameRef frame);
// Baseline origins of lines [range) relative to the frame rectangle's
// bottom-left corner (y up); a range length of 0 means to the last line.
void CTFrameGetLineOrigins(CTFrameRef frame, CFRange range, CGPoint origins[]);
// The part of the string that fits in the frame.
CFRange CTFrameGetVisibleStringRange(CTFrameRef frame);
// Draws every line at its origin (a y-up user space is assumed).
void CTFrameDraw(CTFrameRef frame, CGContextRef context);
CFTypeID CTFrameGetTypeID(void);
}
