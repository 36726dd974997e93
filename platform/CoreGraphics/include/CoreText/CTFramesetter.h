#pragma once
// Breaks attributed text into lines: at line feeds (LF, CR, CR LF, U+2028,
// U+2029) and, where a line is wider than the frame, after the last space
// that fits (or between characters when none does).

#include <CoreText/CTFrame.h>

typedef const struct __CTFramesetter* CTFramesetterRef;

extern "C" {
// A framesetter over the string (retained). Null for null input.
CTFramesetterRef CTFramesetterCreateWithAttributedString(CFAttributedStringRef string);
// Lays out stringRange (length 0: to the end) in the path's bounding box;
// lines that do not fit its height are left out. Null for null arguments.
CTFrameRef CTFramesetterCreateFrame(CTFramesetterRef framesetter, CFRange stringRange, CGPathRef path,
                                    CFDictionaryRef frameAttributes);
// The size the text needs inside the constraints (ceilings of the widest
// line and of the total height); the fitting range is returned when asked.
CGSize CTFramesetterSuggestFrameSizeWithConstraints(CTFramesetterRef framesetter, CFRange stringRange,
                                                    CFDictionaryRef frameAttributes, CGSize constraints,
                                                    CFRange* fitRange);
CFTypeID CTFramesetterGetTypeID(void);
}
