#pragma once
// The record behind CTFontRef: a FreeType face at a size, and glyph
// rendering into bitmap contexts.

#include <CoreText/CTFont.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <mutex>
#include <string>

#include "fontmatch.h"
#include "object.h"
#include "pixels.h"

struct __CTFont : cgi::Object
{
  ~__CTFont() override;
  CFTypeID typeID() const override { return CTFontGetTypeID(); }

  // A font over the face file at size points with an optional glyph matrix;
  // null when FreeType cannot load the face.
  static __CTFont* Open(const cti::FaceFile& file, CGFloat size, const CGAffineTransform* matrix);

  // Points per font unit.
  double Scale() const { return size / face->units_per_EM; }
  // The glyph for a code point; 0 when the face has none.
  unsigned GlyphFor(uint32_t codePoint) const;
  // Advance of a glyph (points, unhinted) and kerning between two glyphs.
  double Advance(unsigned glyph) const;
  double Kerning(unsigned left, unsigned right) const;
  // The default face at the same size, used for characters this face
  // lacks; made on first use and owned by this font. Null when this font is
  // the default face or it cannot be loaded.
  const __CTFont* Fallback() const;

  // Draws a glyph whose origin lies at device point (x, y) (y up), with
  // linear part m (glyph points to device pixels, {a, b, c, d} in row-vector
  // form), composited with paint, antialiased or not, clipped to box.
  void DrawGlyph(unsigned glyph, const double m[4], double x, double y, const cgi::Surface& surface,
                 const cgi::PixelBox& clip, const cgi::Paint& paint, bool antialias) const;

  FT_Face face = nullptr;
  cti::FaceFile file;
  CGFloat size = 12;
  CGAffineTransform matrix;  // glyph space to text space, applied before the text matrix
  CGFloat ascent = 0, descent = 0, leading = 0;
  std::string postScriptName, familyName, fullName;

private:
  mutable std::mutex lock_;  // the face is used by one thread at a time
  mutable const __CTFont* fallback_ = nullptr;
  mutable bool fallbackTried_ = false;
};
