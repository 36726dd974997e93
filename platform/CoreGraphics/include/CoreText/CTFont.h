#pragma once
// Fonts: a face found by name through the system's font configuration, at
// a size in points (one point is one pixel at the identity transform).

#include <CoreGraphics/CoreGraphics.h>

typedef const struct __CTFont* CTFontRef;

extern "C" {
// The font of that PostScript name, full name or family name (a trailing
// style such as " Bold Italic" or "-BoldOblique" selects the face). An
// unknown name gives the default face (DejaVu Sans, in the requested style).
// A size of 0 or less means 12 points. The matrix, when given, is applied to
// the glyphs. Null only when no face can be loaded at all.
CTFontRef CTFontCreateWithName(CFStringRef name, CGFloat size, const CGAffineTransform* matrix);
CGFloat CTFontGetSize(CTFontRef font);
// Line metrics at the font's size (points): ascent above the baseline,
// descent below it (positive), and the extra line gap.
CGFloat CTFontGetAscent(CTFontRef font);
CGFloat CTFontGetDescent(CTFontRef font);
CGFloat CTFontGetLeading(CTFontRef font);
unsigned CTFontGetUnitsPerEm(CTFontRef font);
// Names of the loaded face (+1 references).
CFStringRef CTFontCopyPostScriptName(CTFontRef font);
CFStringRef CTFontCopyFamilyName(CTFontRef font);
CFStringRef CTFontCopyFullName(CTFontRef font);
CFTypeID CTFontGetTypeID(void);

enum CTFontUIFontType : uint32_t {
  kCTFontUIFontSystem = 2,
  kCTFontUIFontLabel = 10,
};
// The system's font for that use (DejaVu Sans) at size (0 or less: the
// use's standard size, 12 for system and 10 for labels).
CTFontRef CTFontCreateUIFontForLanguage(CTFontUIFontType uiType, CGFloat size, CFStringRef language);
}
