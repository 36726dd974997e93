// FreeType faces, glyph metrics and glyph rendering.

#include "font.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include FT_ADVANCES_H

namespace {

// The FreeType library: made on first use, kept for the life of the
// process (fonts may be released by other objects' static destructors).
// Faces are created and destroyed under its lock.
struct Library
{
  std::mutex lock;
  FT_Library ft = nullptr;
};

Library& TheLibrary()
{
  static Library* lib = [] {
    Library* l = new Library;
    if (FT_Init_FreeType(&l->ft) != 0) l->ft = nullptr;
    return l;
  }();
  return *lib;
}

inline FT_Fixed Fixed16(double v) { return (FT_Fixed)std::lround(v * 65536.0); }

}  // namespace

__CTFont::~__CTFont()
{
  cgi::Release(fallback_);
  Library& lib = TheLibrary();
  std::lock_guard<std::mutex> hold(lib.lock);
  if (face) FT_Done_Face(face);
}

__CTFont* __CTFont::Open(const cti::FaceFile& file, CGFloat size, const CGAffineTransform* matrix)
{
  Library& lib = TheLibrary();
  FT_Face face = nullptr;
  {
    std::lock_guard<std::mutex> hold(lib.lock);
    if (!lib.ft || FT_New_Face(lib.ft, file.path.c_str(), file.index, &face) != 0) return nullptr;
  }
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0 ||
      FT_Set_Char_Size(face, 0, (FT_F26Dot6)std::lround(size * 64), 72, 72) != 0) {
    std::lock_guard<std::mutex> hold(lib.lock);
    FT_Done_Face(face);
    return nullptr;
  }
  __CTFont* f = cgi::New<__CTFont>();
  if (!f) {
    std::lock_guard<std::mutex> hold(lib.lock);
    FT_Done_Face(face);
    return nullptr;
  }
  f->face = face;
  f->file = file;
  f->size = size;
  f->matrix = matrix ? *matrix : CGAffineTransformIdentity;
  const double s = f->Scale();
  f->ascent = face->ascender * s;
  f->descent = -face->descender * s;
  f->leading = std::max(0, face->height - (face->ascender - face->descender)) * s;
  f->familyName = face->family_name ? face->family_name : "";
  const std::string style = face->style_name ? face->style_name : "";
  f->fullName = (style.empty() || style == "Regular" || style == "Book") ? f->familyName : f->familyName + " " + style;
  const char* ps = FT_Get_Postscript_Name(face);
  if (ps) {
    f->postScriptName = ps;
  } else {
    for (char ch : f->fullName)
      if (ch != ' ') f->postScriptName += ch;
  }
  return f;
}

unsigned __CTFont::GlyphFor(uint32_t codePoint) const
{
  std::lock_guard<std::mutex> hold(lock_);
  return FT_Get_Char_Index(face, codePoint);
}

double __CTFont::Advance(unsigned glyph) const
{
  std::lock_guard<std::mutex> hold(lock_);
  FT_Fixed advance = 0;
  if (FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING, &advance) != 0) return 0;
  return advance * Scale();
}

double __CTFont::Kerning(unsigned left, unsigned right) const
{
  std::lock_guard<std::mutex> hold(lock_);
  FT_Vector k{0, 0};
  if (!FT_HAS_KERNING(face) || FT_Get_Kerning(face, left, right, FT_KERNING_UNSCALED, &k) != 0) return 0;
  return k.x * Scale();
}

const __CTFont* __CTFont::Fallback() const
{
  std::lock_guard<std::mutex> hold(lock_);
  if (!fallbackTried_) {
    fallbackTried_ = true;
    cti::FaceFile def;
    if (cti::DefaultFace(&def) && (def.path != file.path || def.index != file.index))
      fallback_ = Open(def, size, &matrix);
  }
  return fallback_;
}

// Renders through FreeType's transform (the fractional part of the origin
// goes into the outline, the whole part into the placement) and composites
// the coverage, top row first.
void __CTFont::DrawGlyph(unsigned glyph, const double m[4], double x, double y, const cgi::Surface& surface,
                         const cgi::PixelBox& clip, const cgi::Paint& paint, bool antialias) const
{
  if (clip.Empty()) return;
  const double fx = std::floor(x), fy = std::floor(y);
  if (std::fabs(fx) > 1e7 || std::fabs(fy) > 1e7) return;
  std::vector<uint8_t> mask;
  int left, top, width, rows;
  {
    std::lock_guard<std::mutex> hold(lock_);
    FT_Matrix ftm{Fixed16(m[0]), Fixed16(m[2]), Fixed16(m[1]), Fixed16(m[3])};
    FT_Vector delta{(FT_Pos)std::lround((x - fx) * 64), (FT_Pos)std::lround((y - fy) * 64)};
    FT_Set_Transform(face, &ftm, &delta);
    const FT_Error err = FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    FT_Set_Transform(face, nullptr, nullptr);
    if (err != 0 || face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return;
    if (FT_Render_Glyph(face->glyph, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return;
    const FT_Bitmap& bm = face->glyph->bitmap;
    width = (int)bm.width;
    rows = (int)bm.rows;
    if (width <= 0 || rows <= 0) return;
    left = (int)fx + face->glyph->bitmap_left;
    top = (int)fy + face->glyph->bitmap_top;
    mask.resize((size_t)width * rows);
    const int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
    for (int r = 0; r < rows; ++r) {
      const uint8_t* src = bm.buffer + (size_t)(bm.pitch < 0 ? rows - 1 - r : r) * pitch;
      uint8_t* dst = &mask[(size_t)r * width];
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
        for (int k = 0; k < width; ++k) dst[k] = (src[k >> 3] & (0x80 >> (k & 7))) ? 255 : 0;
      } else {
        std::copy(src, src + width, dst);
      }
    }
  }
  // Row r of the mask covers device y from top - r - 1 to top - r, which is
  // memory row height - top + r.
  const cgi::PixelBox full{left, surface.height - top, left + width, surface.height - top + rows};
  const cgi::PixelBox box = full.Intersect(clip);
  if (box.Empty()) return;
  const uint8_t* start = mask.data() + (size_t)(box.y0 - full.y0) * width + (size_t)(box.x0 - full.x0);
  cgi::CompositeCoverage(surface, box, paint, start, width);
}
