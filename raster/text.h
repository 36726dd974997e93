#pragma once
// Text in raster bitmaps: the font interface and the cached font, which renders each character
// once through the GDI layer into an 8-bit coverage mask and then blends the masks into any
// bitmap, or lets the GDI layer draw whole texts directly.

#include "base/heapbuf.h"
#include "lice.h"

// Font flags (SetFromHFont).
#define LICE_FONT_FLAG_VERTICAL 0x1           // characters advance downward
#define LICE_FONT_FLAG_VERTICAL_BOTTOMUP 0x2  // with VERTICAL: upward
#define LICE_FONT_FLAG_PRECALCALL 0x4         // render codes 0-127 at once, never codes from 128 up
#define LICE_FONT_FLAG_FX_BLUR 0x10
#define LICE_FONT_FLAG_FX_INVERT 0x20
#define LICE_FONT_FLAG_FX_MONO 0x40        // coverage above 130 is full, the rest empty
#define LICE_FONT_FLAG_FX_SHADOW 0x80      // a shadow to the lower right in the effect colour
#define LICE_FONT_FLAG_FX_OUTLINE 0x100    // an outline in the effect colour
#define LICE_FONT_FLAG_OWNS_HFONT 0x200    // the font deletes its platform font object
#define LICE_FONT_FLAG_FORCE_NATIVE 0x400  // the platform may draw whole texts

// Text flags of DrawText beyond the DT_ values of the GDI layer.
#define LICE_DT_USEFGALPHA 0x40000000  // scale the alpha by the text colour's alpha / 255
#define LICE_DT_NEEDALPHA 0x80000000   // the caller needs the alpha channel kept: never draw natively

class LICE_IFont
{
public:
  virtual ~LICE_IFont() {}

  // Takes the platform font to draw with (null for none) and the LICE_FONT_FLAG_ flags;
  // forgets every cached glyph.
  virtual void SetFromHFont(HFONT font, int flags = 0) = 0;
  // Each setter stores its value and returns the previous one.
  virtual LICE_pixel SetTextColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetBkColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetEffectColor(LICE_pixel color) = 0;
  virtual int SetBkMode(int mode) = 0;
  // The mode word and alpha that glyphs are blended with.
  virtual void SetCombineMode(int combine, float alpha = 1.0f) = 0;
  // Draws or (with DT_CALCRECT) measures UTF-8 text of strcnt bytes (-1: up to the NUL) in
  // the rectangle by the DT_ and LICE_DT_ flags. Returns the text's height (its width for
  // vertical fonts); measuring sets the rectangle's right and bottom to the text's extent.
  virtual int DrawText(LICE_IBitmap* bm, const char* str, int strcnt, RECT* rect, UINT dtFlags) = 0;
  virtual LICE_pixel GetTextColor() = 0;
  virtual HFONT GetHFont() = 0;
  virtual int GetLineHeight() = 0;
  // Draws one character with its origin at (xpos, ypos), clipped to clipR; false when nothing
  // could be drawn.
  virtual bool DrawGlyph(LICE_IBitmap* bm, unsigned short c, int xpos, int ypos, const RECT* clipR) = 0;
};

class LICE_CachedFont : public LICE_IFont
{
public:
  LICE_CachedFont();
  ~LICE_CachedFont() override;
  LICE_CachedFont(const LICE_CachedFont&) = delete;
  LICE_CachedFont& operator=(const LICE_CachedFont&) = delete;

  void SetFromHFont(HFONT font, int flags = 0) override;
  LICE_pixel SetTextColor(LICE_pixel color) override;
  LICE_pixel SetBkColor(LICE_pixel color) override;
  LICE_pixel SetEffectColor(LICE_pixel color) override;
  int SetBkMode(int mode) override;
  void SetCombineMode(int combine, float alpha = 1.0f) override;
  int DrawText(LICE_IBitmap* bm, const char* str, int strcnt, RECT* rect, UINT dtFlags) override;
  LICE_pixel GetTextColor() override { return m_fg; }
  HFONT GetHFont() override { return m_font; }
  int GetLineHeight() override { return m_line_height; }
  bool DrawGlyph(LICE_IBitmap* bm, unsigned short c, int xpos, int ypos, const RECT* clipR) override;

  // Cached fonts alive in the process; the shared scratch bitmaps live while it is above 0.
  static int GetLiveFontCount();

  // One character: base 0 = not rendered yet, -1 = renders as nothing, else 1 + the mask's
  // offset in the glyph store; the mask is width x height bytes; advance is the distance to the
  // next character's origin; left_extra the distance from the origin back to the mask's left
  // (top, for vertical fonts) edge.
  struct charEnt
  {
    int base_offset;
    int width, height;
    int advance;
    int charid;
    int left_extra;
  };

protected:
  // Renders the character into the cache (once); false when it cannot be rendered.
  bool RenderGlyph(unsigned short idx);
  // The cached entry of a character, or null when it has none (yet).
  charEnt* findChar(unsigned short c);
  // The entry of a character, rendered on first use; null when it has none.
  const charEnt* renderedChar(unsigned short c);

private:
  struct Extent;
  template <class F>
  Extent layout(const char* str, int len, bool singleLine, F&& onGlyph);
  bool drawGlyphAt(LICE_IBitmap* bm, const charEnt& e, int xpos, int ypos, const RECT& clip, float alpha);
  bool useNative(UINT dtFlags) const;
  int drawNative(LICE_IBitmap* bm, const char* str, int len, RECT* rect, UINT dtFlags);
  int glyphMargin() const;

  LICE_pixel m_fg = 0, m_bg = 0xFFFFFFFFu, m_effectcol = 0xFFFFFFFFu;
  int m_bgmode = 0;
  int m_comb = 0;
  float m_alpha = 1.0f;
  int m_flags = 0, m_line_height = 0, m_lsadj = 0;
  charEnt m_lowchars[128];
  WDL_TypedBuf<charEnt> m_extracharlist;
  WDL_HeapBuf m_cachestore{65536};
  HFONT m_font = nullptr;
};
