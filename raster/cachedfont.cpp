// The cached font: glyph rendering through the GDI layer, the glyph cache, measuring, glyph
// drawing with the blend rules, native drawing and UTF-8 decoding.

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/utf8.h"
#include "drawpix.h"
#include "rows.h"
#include "text.h"

namespace {
// Shared by every cached font of the process; used from one thread.
LICE_SysBitmap* s_glyphScratch = nullptr;
LICE_SysBitmap* s_nativeScratch = nullptr;
int s_liveFonts = 0;

const int kAlignFlags = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;

// The glyph scratch bitmap, at least size x size, its context set to white text on an opaque
// black background; null when it cannot be had.
LICE_SysBitmap* glyphScratch(int size)
{
  if (!s_glyphScratch) s_glyphScratch = new LICE_SysBitmap();
  LICE_SysBitmap* bm = s_glyphScratch;
  if (bm->getWidth() < size || bm->getHeight() < size) {
    bm->resize(std::max(bm->getWidth(), size), std::max(bm->getHeight(), size));
    HDC dc = bm->getDC();
    SetTextColor(dc, 0xFFFFFF);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, 0);
  }
  return bm->getDC() && bm->getBits() ? bm : nullptr;
}

// The native scratch bitmap, at least w x h (and 4 x 4); null when it cannot be had.
LICE_SysBitmap* nativeScratch(int w, int h)
{
  if (!s_nativeScratch) s_nativeScratch = new LICE_SysBitmap();
  LICE_SysBitmap* bm = s_nativeScratch;
  w = std::max(w, 4);
  h = std::max(h, 4);
  if (bm->getWidth() < w || bm->getHeight() < h) bm->resize(std::max(bm->getWidth(), w), std::max(bm->getHeight(), h));
  return bm->getDC() && bm->getBits() ? bm : nullptr;
}

// v + d without overflow (limited to the int range).
LONG offsetBy(LONG v, int d) { return (LONG)LICE_DrawClamp((int64_t)v + d, INT32_MIN, INT32_MAX); }

// The part of the bitmap's w x h area inside r (all of it when r is null).
RECT clipToBitmap(int w, int h, const RECT* r)
{
  RECT c = {0, 0, w, h};
  if (r) {
    c.left = std::max(c.left, r->left);
    c.top = std::max(c.top, r->top);
    c.right = std::min(c.right, r->right);
    c.bottom = std::min(c.bottom, r->bottom);
  }
  return c;
}

// Where a text block of tw x th starts in rect by the alignment flags.
void placeText(const RECT& rect, UINT dtFlags, int tw, int th, int64_t& x, int64_t& y)
{
  x = rect.left;
  y = rect.top;
  if (dtFlags & DT_CENTER)
    x = rect.left + ((int64_t)rect.right - rect.left - tw) / 2;
  else if (dtFlags & DT_RIGHT)
    x = (int64_t)rect.right - tw;
  if (dtFlags & DT_VCENTER)
    y = rect.top + ((int64_t)rect.bottom - rect.top - th) / 2;
  else if (dtFlags & DT_BOTTOM)
    y = (int64_t)rect.bottom - th;
}

// How the font reads text: lead bytes C2-DF, E0-EF and F0-F4 with their continuation bytes
// are taken without checking for overlong forms; a four-byte character is drawn as a space; a
// byte that starts no such sequence stands for itself.
constexpr UTF8Policy kFontUTF8{false, UTF8Policy::kByteItself, ' '};

// Selects a font into a context for the life of the object.
class FontSelection
{
public:
  FontSelection(HDC dc, HFONT font) : m_dc(dc), m_old(SelectObject(dc, font)) {}
  ~FontSelection() { SelectObject(m_dc, m_old); }
  FontSelection(const FontSelection&) = delete;
  FontSelection& operator=(const FontSelection&) = delete;

private:
  HDC m_dc;
  HGDIOBJ m_old;
};

// Marks the effect pixels (128) of a thresholded mask: for the outline every empty pixel with
// ink directly beside, above or below it; for the shadow every empty pixel with ink to its left,
// above or above-left.
void markEffect(unsigned char* m, int w, int h, bool outline)
{
  auto ink = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && m[y * w + x] == 255; };
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      if (m[y * w + x]) continue;
      const bool hit = outline ? ink(x - 1, y) || ink(x + 1, y) || ink(x, y - 1) || ink(x, y + 1)
                               : ink(x - 1, y) || ink(x, y - 1) || ink(x - 1, y - 1);
      if (hit) m[y * w + x] = 128;
    }
}

// Blends the text colour into one pixel by coverage v in copy mode: at full weight the
// colour takes 255 - v of 256 parts, otherwise a * v / 256 of them; alpha moves toward 255.
template <bool FULL>
inline void blendCoverage(LICE_pixel* p, const LICE_DrawColor& c, int a, int v)
{
  const int keep = FULL ? 255 - v : 256 - std::min(256, a * v / 256);
  LICE_pixel_chan* d = reinterpret_cast<LICE_pixel_chan*>(p);
  d[LICE_PIXEL_B] = (LICE_pixel_chan)(c.b + (d[LICE_PIXEL_B] - c.b) * keep / 256);
  d[LICE_PIXEL_G] = (LICE_pixel_chan)(c.g + (d[LICE_PIXEL_G] - c.g) * keep / 256);
  d[LICE_PIXEL_R] = (LICE_pixel_chan)(c.r + (d[LICE_PIXEL_R] - c.r) * keep / 256);
  d[LICE_PIXEL_A] = (LICE_pixel_chan)(255 + (d[LICE_PIXEL_A] - 255) * keep / 256);
}
}  // namespace

// The area a text covers from its first pen position.
struct LICE_CachedFont::Extent
{
  int w = 0, h = 0;
};

LICE_CachedFont::LICE_CachedFont()
{
  std::memset(m_lowchars, 0, sizeof(m_lowchars));
  s_liveFonts++;
}

LICE_CachedFont::~LICE_CachedFont()
{
  if ((m_flags & LICE_FONT_FLAG_OWNS_HFONT) && m_font) DeleteObject(m_font);
  if (--s_liveFonts == 0) {
    delete s_glyphScratch;
    delete s_nativeScratch;
    s_glyphScratch = s_nativeScratch = nullptr;
  }
}

int LICE_CachedFont::GetLiveFontCount() { return s_liveFonts; }

void LICE_CachedFont::SetFromHFont(HFONT font, int flags)
{
  if ((m_flags & LICE_FONT_FLAG_OWNS_HFONT) && m_font && m_font != font) DeleteObject(m_font);
  m_flags = flags;
  m_font = font;
  m_line_height = 0;
  if (font) {
    if (LICE_SysBitmap* scratch = glyphScratch(256)) {
      TEXTMETRIC tm;
      FontSelection sel(scratch->getDC(), font);
      GetTextMetrics(scratch->getDC(), &tm);
      m_line_height = tm.tmHeight;
    }
  }
  std::memset(m_lowchars, 0, sizeof(m_lowchars));
  m_extracharlist.Resize(0);
  m_cachestore.Resize(0);
  if (m_flags & LICE_FONT_FLAG_PRECALCALL)
    for (unsigned short c = 0; c < 128; c++) RenderGlyph(c);
}

LICE_pixel LICE_CachedFont::SetTextColor(LICE_pixel color) { return std::exchange(m_fg, color); }

LICE_pixel LICE_CachedFont::SetBkColor(LICE_pixel color) { return std::exchange(m_bg, color); }

LICE_pixel LICE_CachedFont::SetEffectColor(LICE_pixel color) { return std::exchange(m_effectcol, color); }

int LICE_CachedFont::SetBkMode(int mode) { return std::exchange(m_bgmode, mode); }

void LICE_CachedFont::SetCombineMode(int combine, float alpha)
{
  m_comb = combine;
  m_alpha = alpha;
}

int LICE_CachedFont::glyphMargin() const { return m_line_height < 16 ? 2 : m_line_height / 16 + 2; }

LICE_CachedFont::charEnt* LICE_CachedFont::findChar(unsigned short c)
{
  if (c < 128) return &m_lowchars[c];
  charEnt* list = m_extracharlist.Get();
  const int n = m_extracharlist.GetSize();
  charEnt* it = std::lower_bound(list, list + n, (int)c, [](const charEnt& e, int code) { return e.charid < code; });
  return it != list + n && it->charid == c ? it : nullptr;
}

const LICE_CachedFont::charEnt* LICE_CachedFont::renderedChar(unsigned short c)
{
  const charEnt* e = findChar(c);
  if (e && e->base_offset) return e;
  RenderGlyph(c);
  return findChar(c);
}

bool LICE_CachedFont::RenderGlyph(unsigned short idx)
{
  if (!m_font || m_line_height > 1023) return false;
  charEnt* ent = findChar(idx);
  bool appended = false;
  if (!ent) {
    if (m_flags & LICE_FONT_FLAG_PRECALCALL) return false;
    const charEnt blank = {0, 0, 0, 0, idx, 0};
    ent = m_extracharlist.Add(blank);
    if (!ent) return false;
    appended = true;
  }
  // On every way out an appended entry must be sorted into place.
  struct Resort
  {
    WDL_TypedBuf<charEnt>& list;
    bool on;
    ~Resort()
    {
      if (on)
        std::sort(list.Get(), list.Get() + list.GetSize(),
                  [](const charEnt& a, const charEnt& b) { return a.charid < b.charid; });
    }
  } resort{m_extracharlist, appended};
  *ent = charEnt{-1, 0, 0, 0, idx, 0};

  LICE_SysBitmap* scratch = glyphScratch(2 * std::max(m_line_height, 1) + 8);
  if (!scratch) return true;
  HDC dc = scratch->getDC();
  const int m = glyphMargin();
  int w, h;
  {
    FontSelection sel(dc, m_font);
    char buf[4];
    const int len = EncodeUTF8(idx, buf);
    RECT r = {0, 0, 0, 0};
    SWELL_DrawText(dc, buf, len, &r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    w = std::min((int)r.right, scratch->getWidth() - 2 * m);
    h = std::min((int)r.bottom, scratch->getHeight());
    if (w < 1 || h < 1) return true;
    LICE_FillRect(scratch, 0, 0, m + w + m, h, 0, 1.0f, 0);
    RECT dr = {m, 0, m + w, h};
    SWELL_DrawText(dc, buf, len, &dr, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE);
  }
  const int cw = m + w + m;
  if (m_flags & LICE_FONT_FLAG_FX_BLUR) LICE_Blur(scratch, scratch, 0, 0, 0, 0, cw, h);

  const LICE_Rows rows(scratch);
  const bool invert = (m_flags & LICE_FONT_FLAG_FX_INVERT) != 0;
  auto coverage = [&](int x, int y) {
    const int v = (int)LICE_GETR(rows.row(y)[x]);
    return invert ? 255 - v : v;
  };
  // The inked columns; effects keep one empty column each side for their marks.
  int first = cw, last = -1;
  for (int x = 0; x < cw; x++)
    for (int y = 0; y < h; y++)
      if (coverage(x, y)) {
        first = std::min(first, x);
        last = x;
        break;
      }
  const bool effect = (m_flags & (LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE)) != 0;
  if (last >= 0 && effect) {
    first = std::max(first - 1, 0);
    last = std::min(last + 1, cw - 1);
  }
  const int mw = last >= first ? last - first + 1 : 0;
  const int offset = m_cachestore.GetSize();
  int outW = mw, outH = mw ? h : 0;
  const bool vertical = (m_flags & LICE_FONT_FLAG_VERTICAL) != 0;
  const bool upward = vertical && (m_flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP);
  if (vertical) std::swap(outW, outH);
  if (mw) {
    if ((int64_t)offset + (int64_t)mw * h > INT32_MAX) return true;  // the store is full
    m_cachestore.Resize(offset + mw * h, false);
    if (m_cachestore.GetSize() != offset + mw * h) return true;
  }
  unsigned char* mask = mw ? static_cast<unsigned char*>(m_cachestore.Get()) + offset : nullptr;
  for (int y = 0; y < h && mw; y++)
    for (int x = 0; x < mw; x++) {
      const int v = coverage(first + x, y);
      // Turned clockwise the text reads downward, counter-clockwise upward.
      const int pos = !vertical ? y * mw + x : upward ? (mw - 1 - x) * outW + y : x * outW + (h - 1 - y);
      mask[pos] = (unsigned char)v;
    }
  if (mw && (m_flags & (LICE_FONT_FLAG_FX_MONO | LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE)))
    for (int i = 0; i < mw * h; i++) mask[i] = mask[i] > 130 ? 255 : 0;
  if (mw && effect) markEffect(mask, outW, outH, (m_flags & LICE_FONT_FLAG_FX_OUTLINE) != 0);

  // An appended entry is still the list's last (the list is sorted on the way out).
  ent = appended ? &m_extracharlist.Get()[m_extracharlist.GetSize() - 1] : findChar(idx);
  *ent = charEnt{offset + 1, outW, outH, w, idx, mw ? m - first : 0};
  return true;
}

template <class F>
LICE_CachedFont::Extent LICE_CachedFont::layout(const char* str, int len, bool singleLine, F&& onGlyph)
{
  Extent ext;
  const bool vertical = (m_flags & LICE_FONT_FLAG_VERTICAL) != 0;
  int penX = 0, penY = 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(str);
  for (int i = 0; i < len;) {
    uint32_t code;
    i += (int)DecodeUTF8(s + i, (size_t)(len - i), kFontUTF8, &code);
    if (code == '\r') continue;
    if (code == '\n') {
      if (!singleLine) {
        if (vertical)
          penX += m_line_height, penY = 0;
        else
          penY += m_line_height, penX = 0;
        continue;
      }
      code = ' ';
    }
    const charEnt* e = renderedChar((unsigned short)code);
    if (!e || e->base_offset <= 0) continue;
    const charEnt ent = *e;
    if (vertical) {
      ext.w = std::max(ext.w, penX + m_line_height);
      ext.h = std::max({ext.h, penY + ent.advance, penY - ent.left_extra + ent.height});
    } else {
      ext.w = std::max({ext.w, penX + ent.advance, penX - ent.left_extra + ent.width});
      ext.h = std::max(ext.h, penY + m_line_height);
    }
    onGlyph(ent, penX, penY);
    (vertical ? penY : penX) += ent.advance;
  }
  return ext;
}

bool LICE_CachedFont::useNative(UINT dtFlags) const
{
  if (!m_font) return false;
  if (m_line_height >= 256) return true;
  return (m_flags & LICE_FONT_FLAG_FORCE_NATIVE) && !(m_flags & 0x1F7) &&
         !(dtFlags & (LICE_DT_USEFGALPHA | LICE_DT_NEEDALPHA)) && (m_lsadj == 0 || (dtFlags & DT_SINGLELINE));
}

int LICE_CachedFont::drawNative(LICE_IBitmap* bm, const char* str, int len, RECT* rect, UINT dtFlags)
{
  auto prepare = [&](HDC dc) {
    ::SetTextColor(dc, (int)(m_fg & 0xFFFFFF));
    ::SetBkMode(dc, m_bgmode);
    if (m_bgmode == OPAQUE) ::SetBkColor(dc, (int)(m_bg & 0xFFFFFF));
  };
  if (bm && bm->getDC()) {
    HDC dc = bm->getDC();
    FontSelection sel(dc, m_font);
    prepare(dc);
    RECT r = *rect;
    const int ret = SWELL_DrawText(dc, str, len, &r, dtFlags | DT_NOPREFIX);
    if (dtFlags & DT_CALCRECT) *rect = r;
    return ret;
  }

  LICE_SysBitmap* scratch = nativeScratch(4, 4);
  if (!scratch) return 0;
  RECT mr = {0, 0, 0, 0};
  {
    FontSelection sel(scratch->getDC(), m_font);
    SWELL_DrawText(scratch->getDC(), str, len, &mr, (dtFlags & ~kAlignFlags) | DT_CALCRECT | DT_NOPREFIX);
  }
  const int tw = mr.right, th = mr.bottom;
  if (dtFlags & DT_CALCRECT) {
    rect->right = offsetBy(rect->left, tw);
    rect->bottom = offsetBy(rect->top, th);
    return th;
  }
  const LICE_Rows rows(bm);
  if (rows.empty() || tw <= 0 || th <= 0) return 0;

  int64_t x, y;
  placeText(*rect, dtFlags, tw, th, x, y);
  const RECT c = clipToBitmap(rows.width, rows.height, (dtFlags & DT_NOCLIP) ? nullptr : rect);
  const int64_t bl = std::max<int64_t>(c.left, x - glyphMargin()), bt = std::max<int64_t>(c.top, y);
  const int64_t br = std::min<int64_t>(c.right, x + tw), bb = std::min<int64_t>(c.bottom, y + th);
  if (br <= bl || bb <= bt) return th;
  const int bw = (int)(br - bl), bh = (int)(bb - bt);

  scratch = nativeScratch(bw, bh);
  if (!scratch) return 0;
  LICE_Blit(scratch, bm, 0, 0, (int)bl, (int)bt, bw, bh, 1.0f, 0);
  {
    HDC dc = scratch->getDC();
    FontSelection sel(dc, m_font);
    prepare(dc);
    RECT tr = {(int)(x - bl), (int)(y - bt), (int)(x - bl + tw), (int)(y - bt + th)};
    SWELL_DrawText(dc, str, len, &tr, (dtFlags & ~(kAlignFlags | DT_CALCRECT)) | DT_NOPREFIX | DT_NOCLIP);
  }
  LICE_Blit(bm, scratch, (int)bl, (int)bt, 0, 0, bw, bh, m_alpha, 0);
  return th;
}

int LICE_CachedFont::DrawText(LICE_IBitmap* bm, const char* str, int strcnt, RECT* rect, UINT dtFlags)
{
  if (!str || !rect) return 0;
  const int len = strcnt < 0 ? (int)std::strlen(str) : (int)strnlen(str, (size_t)strcnt);
  if (useNative(dtFlags)) return drawNative(bm, str, len, rect, dtFlags);

  const bool vertical = (m_flags & LICE_FONT_FLAG_VERTICAL) != 0;
  const bool upward = vertical && (m_flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP);
  const bool single = (dtFlags & DT_SINGLELINE) != 0;
  auto none = [](const charEnt&, int, int) {};
  if (dtFlags & DT_CALCRECT) {
    const Extent ext = layout(str, len, single, none);
    rect->right = offsetBy(rect->left, ext.w);
    rect->bottom = offsetBy(rect->top, ext.h);
    return vertical ? ext.w : ext.h;
  }

  const LICE_Rows rows(bm);
  if (rows.empty()) return 0;
  float alpha = m_alpha;
  if (dtFlags & LICE_DT_USEFGALPHA) alpha *= LICE_GETA(m_fg) / 255.0f;
  if (alpha == 0.0f) return 0;

  const bool aligned = (dtFlags & kAlignFlags) != 0;
  const Extent placed = aligned ? layout(str, len, single, none) : Extent();
  int64_t x, y;
  placeText(*rect, dtFlags, placed.w, placed.h, x, y);
  // Upward text starts at the bottom of its box.
  const int64_t startY = !upward ? y : aligned ? y + placed.h - 1 : (int64_t)rect->bottom - 1;

  const RECT clip = clipToBitmap(rows.width, rows.height, (dtFlags & DT_NOCLIP) ? nullptr : rect);
  if (clip.right <= clip.left || clip.bottom <= clip.top) return 0;

  auto pos = [](int64_t v) { return (int)LICE_DrawClamp(v, -1073741824, 1073741824); };
  const Extent ext = layout(str, len, single, [&](const charEnt& e, int penX, int penY) {
    drawGlyphAt(bm, e, pos(x + penX), pos(upward ? startY - penY : startY + penY), clip, alpha);
  });
  return vertical ? ext.w : ext.h;
}

bool LICE_CachedFont::DrawGlyph(LICE_IBitmap* bm, unsigned short c, int xpos, int ypos, const RECT* clipR)
{
  const charEnt* e = renderedChar(c);
  const LICE_Rows rows(bm);
  if (!e || rows.empty()) return false;
  return drawGlyphAt(bm, *e, xpos, ypos, clipToBitmap(rows.width, rows.height, clipR), m_alpha);
}

bool LICE_CachedFont::drawGlyphAt(LICE_IBitmap* bm, const charEnt& e, int xpos, int ypos, const RECT& clipIn,
                                  float alpha)
{
  if (e.base_offset <= 0 || e.width < 0 || e.height < 0) return false;
  const int64_t start = (int64_t)e.base_offset - 1;
  if (start + (int64_t)e.width * e.height > m_cachestore.GetSize()) return false;
  const LICE_Rows rows(bm);
  if (rows.empty()) return false;
  const RECT clip = clipToBitmap(rows.width, rows.height, &clipIn);

  const bool vertical = (m_flags & LICE_FONT_FLAG_VERTICAL) != 0;
  const bool upward = vertical && (m_flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP);
  int64_t mx = xpos, my = ypos;
  if (!vertical)
    mx -= e.left_extra;
  else if (!upward)
    my -= e.left_extra;
  else
    my = my - (e.height - 1) + e.left_extra;

  const int mode = m_comb & ~LICE_BLIT_USE_ALPHA;
  if (m_bgmode == OPAQUE) {
    // The character's cell: its advance along the text by the line height across it.
    int64_t bx = xpos, by = ypos, bw = e.advance, bh = m_line_height;
    if (vertical) std::swap(bw, bh), by = upward ? ypos - e.advance + 1 : ypos;
    const int64_t l = std::max<int64_t>(bx, clip.left), t = std::max<int64_t>(by, clip.top);
    const int64_t r = std::min<int64_t>(bx + bw, clip.right), b = std::min<int64_t>(by + bh, clip.bottom);
    if (r > l && b > t) LICE_FillRect(bm, (int)l, (int)t, (int)(r - l), (int)(b - t), m_bg, m_alpha, mode);
  }

  const int64_t x0 = std::max<int64_t>(mx, clip.left), y0 = std::max<int64_t>(my, clip.top);
  const int64_t x1 = std::min<int64_t>(mx + e.width, clip.right), y1 = std::min<int64_t>(my + e.height, clip.bottom);
  if (x1 <= x0 || y1 <= y0) return false;
  const unsigned char* mask = static_cast<const unsigned char*>(m_cachestore.Get()) + start;
  const int a = LICE_WeightOf(alpha);
  if (a <= 0 && (mode & LICE_BLIT_MODE_MASK) == LICE_BLIT_MODE_COPY) return false;

  // Visits every covered pixel of the clipped mask.
  auto each = [&](auto&& f) {
    for (int64_t y = y0; y < y1; y++) {
      const unsigned char* m = mask + (y - my) * e.width + (x0 - mx);
      LICE_pixel* p = rows.row((int)y) + x0;
      for (int64_t x = x0; x < x1; x++, p++, m++)
        if (*m) f(p, (int)*m);
    }
  };
  const LICE_DrawColor fg(m_fg), fx(m_effectcol);
  if (m_flags & (LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE))
    LICE_WithDrawCombiner(mode, a, 0, [&](auto comb, int w) {
      each([&](LICE_pixel* p, int v) { LICE_DrawPix(comb, p, v == 255 ? fg : fx, w); });
    });
  else if (m_flags & LICE_FONT_FLAG_FX_MONO)
    LICE_WithDrawCombiner(mode, a, 0,
                          [&](auto comb, int w) { each([&](LICE_pixel* p, int) { LICE_DrawPix(comb, p, fg, w); }); });
  else if ((mode & LICE_BLIT_MODE_MASK) == LICE_BLIT_MODE_COPY) {
    if (a >= 256)
      each([&](LICE_pixel* p, int v) { blendCoverage<true>(p, fg, a, v); });
    else
      each([&](LICE_pixel* p, int v) { blendCoverage<false>(p, fg, a, v); });
  } else
    LICE_WithDrawCombiner(mode, a, LICE_DRAW_WEIGHTED, [&](auto comb, int w) {
      each([&](LICE_pixel* p, int v) {
        const int cw = w * v / 256;
        if (cw > 0) LICE_DrawPix(comb, p, fg, cw);
      });
    });
  return true;
}
