// The GDI layer: memory contexts, font objects, metrics, text drawing and blits.

#include <CoreText/CoreText.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "swell/swell-fontcache.h"
#include "swell/swell.h"

namespace {

// A memory context with helpers to read its pixels.
struct Mem
{
  Mem(int w, int h) : w(w), h(h), dc(SWELL_CreateMemContext(nullptr, w, h)) {}
  ~Mem() { SWELL_DeleteGfxContext(dc); }
  uint32_t Px(int x, int y) const
  {
    return static_cast<const uint32_t*>(SWELL_GetCtxFrameBuffer(dc))[y * w + x] & 0xFFFFFF;
  }
  // Bounding box {left, top, right, bottom} of pixels that are not `bg`.
  RECT Ink(uint32_t bg = 0) const
  {
    RECT r = {w, h, 0, 0};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (Px(x, y) != bg) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r;
  }
  bool Has(uint32_t colour) const
  {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (Px(x, y) == colour) return true;
    return false;
  }
  // Whether some pixel (inside r, or anywhere) is neither bg nor fg.
  bool HasOther(uint32_t bg, uint32_t fg, RECT r = {0, 0, 1 << 20, 1 << 20}) const
  {
    for (int y = std::max<LONG>(0, r.top); y < std::min<LONG>(h, r.bottom); ++y)
      for (int x = std::max<LONG>(0, r.left); x < std::min<LONG>(w, r.right); ++x)
        if (Px(x, y) != bg && Px(x, y) != fg) return true;
    return false;
  }
  void Fill(uint32_t colour)
  {
    uint32_t* p = static_cast<uint32_t*>(SWELL_GetCtxFrameBuffer(dc));
    std::fill(p, p + w * h, colour);
  }
  int w, h;
  HDC dc;
};

HFONT Font(int height, int quality = ANTIALIASED_QUALITY, const char* face = "DejaVu Sans")
{
  return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, quality, 0, face);
}

TEST(SwellMemContext, BufferIsAlignedAndRowsAreTopDown)
{
  Mem m(4, 2);
  ASSERT_NE(nullptr, m.dc);
  uint8_t* buf = static_cast<uint8_t*>(SWELL_GetCtxFrameBuffer(m.dc));
  ASSERT_NE(nullptr, buf);
  EXPECT_EQ(0u, (uintptr_t)buf % 64);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(0, buf[i]);
  CGContextRef gc = static_cast<CGContextRef>(SWELL_GetCtxGC(m.dc));
  EXPECT_EQ(4u, CGBitmapContextGetWidth(gc));
  EXPECT_EQ(16u, CGBitmapContextGetBytesPerRow(gc));
  EXPECT_EQ(buf, CGBitmapContextGetData(gc));
  // y = 0 is the first row in memory; colours land as B, G, R bytes.
  CGContextSetRGBFillColor(gc, 1, 0, 0.5, 1);
  CGContextFillRect(gc, CGRectMake(0, 0, 4, 1));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(0xFF0080u, m.Px(x, 0));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(0u, m.Px(x, 1));
  EXPECT_EQ(nullptr, SWELL_CreateMemContext(nullptr, 0, 5));
  EXPECT_EQ(nullptr, SWELL_CreateMemContext(nullptr, 5, -1));
}

TEST(SwellMemContext, GfxContextWrapsAPortWithoutOwningIt)
{
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef port =
      CGBitmapContextCreate(nullptr, 8, 8, 8, 0, space, kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst);
  CGColorSpaceRelease(space);
  HDC dc = SWELL_CreateGfxContext(port);
  ASSERT_NE(nullptr, dc);
  EXPECT_EQ(port, SWELL_GetCtxGC(dc));
  EXPECT_EQ(nullptr, SWELL_GetCtxFrameBuffer(dc));
  EXPECT_EQ(0, GetTextColor(dc));
  Mem src(2, 2);
  static_cast<uint32_t*>(SWELL_GetCtxFrameBuffer(src.dc))[0] = 0x00ABCDEF;
  BitBlt(dc, 0, 0, 2, 2, src.dc, 0, 0, SRCCOPY);
  SWELL_DeleteGfxContext(dc);
  // The port lives on with what was drawn through the wrapper. Its user
  // space is not flipped, so y = 0 is its bottom row: the copy lands on the
  // last two memory rows, source row 0 lowest.
  const uint32_t* px = static_cast<uint32_t*>(CGBitmapContextGetData(port));
  EXPECT_EQ(0xABCDEFu, px[7 * 8] & 0xFFFFFF);
  EXPECT_EQ(0u, px[6 * 8] & 0xFFFFFF);
  CGContextRelease(port);
  EXPECT_EQ(nullptr, SWELL_CreateGfxContext(nullptr));
}

TEST(SwellHandles, NullAndDeletedHandlesActAsNull)
{
  HDC dead = SWELL_CreateMemContext(nullptr, 8, 8);
  HFONT font = Font(12);
  SWELL_DeleteGfxContext(dead);
  HFONT deadFont = Font(12);
  DeleteObject(deadFont);
  RECT r = {0, 0, 50, 20};
  for (HDC dc : {(HDC) nullptr, dead}) {
    EXPECT_EQ(nullptr, SWELL_GetCtxFrameBuffer(dc));
    EXPECT_EQ(nullptr, SWELL_GetCtxGC(dc));
    EXPECT_EQ(-1, GetTextColor(dc));
    EXPECT_EQ(0, SetTextColor(dc, 0x123456));
    EXPECT_EQ(nullptr, SelectObject(dc, font));
    EXPECT_EQ(0, SWELL_DrawText(dc, "x", -1, &r, DT_CALCRECT));
    TEXTMETRIC tm;
    EXPECT_EQ(0, GetTextMetrics(dc, &tm));
    EXPECT_EQ(16, tm.tmHeight);
    EXPECT_EQ(12, tm.tmAscent);
    EXPECT_EQ(4, tm.tmDescent);
    EXPECT_EQ(3, tm.tmInternalLeading);
    EXPECT_EQ(10, tm.tmAveCharWidth);
    SWELL_PushClipRegion(dc);
    SWELL_PopClipRegion(dc);
    SWELL_DeleteGfxContext(dc);
  }
  EXPECT_EQ(50, r.right);
  Mem m(8, 8);
  EXPECT_EQ(nullptr, SelectObject(m.dc, deadFont));
  EXPECT_EQ(nullptr, SWELL_CloneGDIObject(deadFont));
  DeleteObject(deadFont);
  DeleteObject(nullptr);
  BitBlt(m.dc, 0, 0, 4, 4, dead, 0, 0, SRCCOPY);
  EXPECT_EQ(nullptr, GetStockObject(7));
  DeleteObject(font);
}

TEST(SwellHandles, RecordsAreReused)
{
  HDC a = SWELL_CreateMemContext(nullptr, 2, 2);
  SWELL_DeleteGfxContext(a);
  HDC b = SWELL_CreateMemContext(nullptr, 2, 2);
  EXPECT_EQ(a, b);
  EXPECT_NE(nullptr, SWELL_GetCtxFrameBuffer(b));
  SWELL_DeleteGfxContext(b);
}

TEST(SwellCreateFont, SizeRules)
{
  struct Case
  {
    int height, width;
    double size;
  } cases[] = {{-12, 0, 12},  {12, 0, 12}, {0, -14, 14}, {0, 0, 10},
               {9000, 0, 10}, {1, 0, 10},  {2, 0, 2},    {8192, 0, 8192}};
  for (const Case& c : cases) {
    HFONT f = CreateFont(c.height, c.width, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    ASSERT_NE(nullptr, f);
    Mem m(4, 4);
    SelectObject(m.dc, f);
    TEXTMETRIC tm;
    ASSERT_EQ(1, GetTextMetrics(m.dc, &tm));
    // DejaVu Sans: ascent 1901 / 2048 of the size.
    EXPECT_EQ((int)(c.size * 1901 / 2048), tm.tmAscent) << c.height << "/" << c.width;
    SelectObject(m.dc, (HGDIOBJ)3);
    DeleteObject(f);
  }
}

TEST(SwellCreateFont, StyleSuffixesFormTheLookupNameResolvedOnce)
{
  SWELL_FontNameCache& cache = SWELL_GetFontNameCache();
  EXPECT_FALSE(cache.Contains("Helvetica Bold Italic"));
  const int before = cache.Resolutions();
  HFONT a = CreateFont(-12, 0, 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, 0, 0, "Helvetica");
  HFONT b = CreateFont(-20, 0, 0, 0, 800, 1, 0, 0, 0, 0, 0, 0, 0, "Helvetica");
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(cache.Contains("Helvetica Bold Italic"));
  EXPECT_FALSE(cache.Contains("Helvetica"));
  EXPECT_EQ(before + 1, cache.Resolutions());
  EXPECT_FALSE(cache.Contains("DejaVu Serif"));
  HFONT c = CreateFont(-12, 0, 0, 0, FW_SEMIBOLD, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Serif");
  EXPECT_TRUE(cache.Contains("DejaVu Serif"));
  EXPECT_EQ(before + 2, cache.Resolutions());
  // The resolved name is the installed face's PostScript name.
  CFStringRef ps = cache.Resolve("DejaVu Serif");
  char buf[64];
  CFStringGetCString(ps, buf, sizeof buf, kCFStringEncodingUTF8);
  EXPECT_STREQ("DejaVuSerif", buf);
  CFRelease(ps);
  EXPECT_EQ(before + 2, cache.Resolutions());
  // An unknown face falls back to the default face at the requested size,
  // in the style asked for: bold text is wider.
  Mem m(4, 4);
  RECT bold = {0, 0, 0, 0}, plain = {0, 0, 0, 0};
  SelectObject(m.dc, a);
  SWELL_DrawText(m.dc, "Wide words", -1, &bold, DT_CALCRECT);
  HFONT d = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Helvetica");
  SelectObject(m.dc, d);
  SWELL_DrawText(m.dc, "Wide words", -1, &plain, DT_CALCRECT);
  EXPECT_GT(bold.right, plain.right);
  EXPECT_EQ(bold.bottom, plain.bottom);
  SelectObject(m.dc, (HGDIOBJ)3);
  for (HFONT f : {a, b, c, d}) DeleteObject(f);
}

TEST(SwellSelectObject, ReturnsPreviousSelection)
{
  Mem m(4, 4);
  HFONT f = Font(12), g = Font(14);
  HGDIOBJ pen = GetStockObject(NULL_PEN), brush = GetStockObject(NULL_BRUSH);
  ASSERT_TRUE(pen && brush);
  EXPECT_EQ((HGDIOBJ)3, SelectObject(m.dc, f));
  EXPECT_EQ(f, SelectObject(m.dc, f));
  EXPECT_EQ(f, SelectObject(m.dc, g));
  EXPECT_EQ(g, SelectObject(m.dc, (HGDIOBJ)3));
  EXPECT_EQ((HGDIOBJ)3, SelectObject(m.dc, (HGDIOBJ)3));
  EXPECT_EQ((HGDIOBJ)1, SelectObject(m.dc, pen));
  EXPECT_EQ((HGDIOBJ)2, SelectObject(m.dc, brush));
  EXPECT_EQ(pen, SelectObject(m.dc, (HGDIOBJ)1));
  // A font deleted while selected no longer counts as selected.
  SelectObject(m.dc, g);
  DeleteObject(g);
  EXPECT_EQ((HGDIOBJ)3, SelectObject(m.dc, f));
  // Stock objects are never deleted.
  DeleteObject(pen);
  EXPECT_EQ(pen, GetStockObject(NULL_PEN));
  EXPECT_EQ((HGDIOBJ)1, SelectObject(m.dc, pen));
  SelectObject(m.dc, (HGDIOBJ)3);
  DeleteObject(f);
}

TEST(SwellDeleteObject, ClonesCountReferences)
{
  Mem m(4, 4);
  HFONT f = Font(20);
  EXPECT_EQ(f, SWELL_CloneGDIObject(f));
  DeleteObject(f);
  // Still alive: it can be selected and measured with.
  EXPECT_EQ((HGDIOBJ)3, SelectObject(m.dc, f));
  TEXTMETRIC tm;
  GetTextMetrics(m.dc, &tm);
  EXPECT_EQ(20 * 1901 / 2048, tm.tmAscent);
  SelectObject(m.dc, (HGDIOBJ)3);
  DeleteObject(f);
  EXPECT_EQ(nullptr, SelectObject(m.dc, f));
}

TEST(SwellGetTextMetrics, FromTheSelectedOrTheDefaultFont)
{
  Mem m(4, 4);
  TEXTMETRIC tm;
  // No font selected: the 10-point label font.
  ASSERT_EQ(1, GetTextMetrics(m.dc, &tm));
  EXPECT_EQ(9, tm.tmAscent);
  EXPECT_EQ(2, tm.tmDescent);
  EXPECT_EQ(0, tm.tmInternalLeading);
  EXPECT_EQ(12, tm.tmHeight);
  EXPECT_EQ(7, tm.tmAveCharWidth);
  HFONT f = Font(-24);
  SelectObject(m.dc, f);
  ASSERT_EQ(1, GetTextMetrics(m.dc, &tm));
  EXPECT_EQ(22, tm.tmAscent);
  EXPECT_EQ(5, tm.tmDescent);
  EXPECT_EQ(28, tm.tmHeight);
  EXPECT_EQ(18, tm.tmAveCharWidth);
  SelectObject(m.dc, (HGDIOBJ)3);
  DeleteObject(f);
}

TEST(SwellDrawText, MeasuringChangesOnlyRightAndBottom)
{
  Mem m(40, 40);
  HFONT f = Font(-12);
  SelectObject(m.dc, f);
  RECT r = {5, 7, 6, 8};
  const int h = SWELL_DrawText(m.dc, "Hello", -1, &r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(5, r.left);
  EXPECT_EQ(7, r.top);
  EXPECT_EQ(7 + h, r.bottom);
  EXPECT_GT(r.right, 5 + 20);
  EXPECT_EQ(16, h);  // floor(ascent + descent + leading + 1.5) + 1 at 12 points
  EXPECT_FALSE(m.HasOther(0, 0));
  RECT e = {1, 2, 3, 4};
  EXPECT_EQ(0, SWELL_DrawText(m.dc, "", -1, &e, DT_CALCRECT));
  EXPECT_EQ(0, SWELL_DrawText(m.dc, "\r\r", -1, &e, DT_CALCRECT));
  EXPECT_EQ(0, SWELL_DrawText(m.dc, "abc", 0, &e, DT_CALCRECT));
  EXPECT_EQ(3, e.right);
  EXPECT_EQ(4, e.bottom);
  // The length limits the text.
  RECT two = {0, 0, 0, 0}, full = {0, 0, 0, 0};
  SWELL_DrawText(m.dc, "Hello", 2, &two, DT_CALCRECT);
  SWELL_DrawText(m.dc, "He", -1, &full, DT_CALCRECT);
  EXPECT_EQ(full.right, two.right);
  SelectObject(m.dc, (HGDIOBJ)3);
  DeleteObject(f);
}

int MeasureWidth(HDC dc, const char* text, UINT flags)
{
  RECT r = {0, 0, 0, 0};
  SWELL_DrawText(dc, text, -1, &r, flags | DT_CALCRECT);
  return r.right;
}

TEST(SwellDrawText, PrefixAmpersands)
{
  Mem m(4, 4);
  HFONT f = Font(-16);
  SelectObject(m.dc, f);
  struct Case
  {
    const char* text;
    UINT flags;
    const char* same;  // measured like this text with DT_NOPREFIX
  } cases[] = {
      {"&File", 0, "File"}, {"&File", DT_NOPREFIX, "&File"},  {"a&&b", 0, "a&b"}, {"ab&", 0, "ab"},
      {"a&\rb", 0, "ab"},   {"a\r\nb", DT_SINGLELINE, "a b"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MeasureWidth(m.dc, c.same, DT_NOPREFIX), MeasureWidth(m.dc, c.text, c.flags)) << c.text;
  EXPECT_GT(MeasureWidth(m.dc, "&File", DT_NOPREFIX), MeasureWidth(m.dc, "File", 0));
  SelectObject(m.dc, (HGDIOBJ)3);
  DeleteObject(f);
}

TEST(SwellDrawText, AlignmentPlacesTheTextBox)
{
  HFONT f = Font(-14, NONANTIALIASED_QUALITY);
  const RECT box = {10, 20, 110, 80};
  Mem probe(4, 4);
  SelectObject(probe.dc, f);
  RECT size = {0, 0, 0, 0};
  const int th = SWELL_DrawText(probe.dc, "Hx", -1, &size, DT_CALCRECT | DT_SINGLELINE);
  const int tw = size.right;
  SelectObject(probe.dc, (HGDIOBJ)3);
  struct Case
  {
    UINT flags;
    int x, y;  // expected top left of the text box
  } cases[] = {
      {0, 10, 20},
      {DT_CENTER, 10 + 50 - tw / 2, 20},
      {DT_RIGHT, 110 - tw, 20},
      {DT_VCENTER, 10, 20 + 30 - th / 2},
      {DT_BOTTOM, 10, 80 - th},
      {DT_CENTER | DT_VCENTER, 10 + 50 - tw / 2, 20 + 30 - th / 2},
      {DT_RIGHT | DT_BOTTOM, 110 - tw, 80 - th},
  };
  for (const Case& c : cases) {
    Mem m(130, 100);
    SelectObject(m.dc, f);
    SetTextColor(m.dc, RGB(255, 255, 255));
    RECT r = box;
    EXPECT_EQ(th, SWELL_DrawText(m.dc, "Hx", -1, &r, c.flags | DT_SINGLELINE));
    const RECT ink = m.Ink();
    SCOPED_TRACE(c.flags);
    // Ink lies inside the text box, starting at its left edge (within the
    // glyph's side bearing) and with the baseline one ascent below its top.
    EXPECT_GE(ink.left, c.x);
    EXPECT_LE(ink.left, c.x + 3);
    EXPECT_LE(ink.right, c.x + tw + 1);
    EXPECT_GE(ink.top, c.y);
    EXPECT_EQ(c.y + (int)(14 * 1901 / 2048.0 + 1), ink.bottom);
    SelectObject(m.dc, (HGDIOBJ)3);
  }
  DeleteObject(f);
}

TEST(SwellDrawText, MultipleLinesStackDownward)
{
  HFONT f = Font(-12);
  Mem m(100, 80);
  SelectObject(m.dc, f);
  SetTextColor(m.dc, RGB(255, 255, 255));
  RECT one = {0, 0, 0, 0};
  const int lineH = SWELL_DrawText(m.dc, "H", -1, &one, DT_CALCRECT) - 1;
  RECT r = {0, 0, 0, 0};
  const int h = SWELL_DrawText(m.dc, "H\nHHH", -1, &r, DT_CALCRECT);
  EXPECT_EQ(2 * lineH + 1, h);
  EXPECT_EQ(MeasureWidth(m.dc, "HHH", 0), r.right);
  RECT d = {10, 10, 90, 70};
  SWELL_DrawText(m.dc, "H\nH", -1, &d, 0);
  // Two capitals, the second one line step below the first, both at x = 10.
  std::vector<int> rows;
  for (int y = 0; y < 80; ++y)
    if (m.Px(11, y) || m.Px(12, y)) rows.push_back(y);
  ASSERT_FALSE(rows.empty());
  const int capTop = rows.front();
  int gap = 0;
  for (size_t i = 1; i < rows.size(); ++i)
    if (rows[i] != rows[i - 1] + 1) gap = rows[i] - capTop;
  EXPECT_EQ((int)std::floor(12 * (1901 + 483) / 2048.0 + 0.5), gap);
  SelectObject(m.dc, (HGDIOBJ)3);
  DeleteObject(f);
}

TEST(SwellDrawText, ClipsToTheRectangleUnlessAskedNot)
{
  HFONT f = Font(-16);
  struct Case
  {
    UINT flags;
    bool spills;
  } cases[] = {{DT_SINGLELINE, false}, {DT_SINGLELINE | DT_NOCLIP, true}};
  for (const Case& c : cases) {
    Mem m(120, 40);
    SelectObject(m.dc, f);
    SetTextColor(m.dc, RGB(255, 255, 255));
    RECT r = {5, 5, 30, 12};
    SWELL_DrawText(m.dc, "Wide text here", -1, &r, c.flags);
    const RECT ink = m.Ink();
    EXPECT_EQ(c.spills, ink.right > 30 || ink.bottom > 12) << c.flags;
    EXPECT_GE(ink.left, 5);
    SelectObject(m.dc, (HGDIOBJ)3);
  }
  DeleteObject(f);
}

TEST(SwellDrawText, RectanglesReachingTheEndsOfIntPlaceTextExactly)
{
  HFONT f = Font(-14, NONANTIALIASED_QUALITY);
  Mem probe(4, 4);
  SelectObject(probe.dc, f);
  RECT size = {0, 0, 0, 0};
  const int th = SWELL_DrawText(probe.dc, "Hx", -1, &size, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(probe.dc, (HGDIOBJ)3);
  struct Case
  {
    RECT r;
    UINT flags;
    bool ink;  // whether the placed text box crosses the 64x48 context
  } cases[] = {
      {{INT_MIN, 0, INT_MAX, 48}, DT_CENTER, true},   // centred on x = -1
      {{0, INT_MIN, 64, INT_MAX}, DT_VCENTER, true},  // centred on y = -1
      {{-300, 0, INT_MAX, 48}, DT_RIGHT, false},      // ends at INT_MAX
      {{0, INT_MIN, 64, INT_MAX}, DT_BOTTOM, false},  // ends at INT_MAX
      {{INT_MIN, INT_MIN, 64, 48}, DT_RIGHT | DT_BOTTOM, true},
  };
  for (const Case& c : cases) {
    Mem m(64, 48);
    SelectObject(m.dc, f);
    SetTextColor(m.dc, RGB(255, 255, 255));
    RECT r = c.r;
    EXPECT_EQ(th, SWELL_DrawText(m.dc, "Hx", -1, &r, c.flags | DT_SINGLELINE)) << c.flags;
    const RECT ink = m.Ink();
    EXPECT_EQ(c.ink, ink.right > ink.left) << c.r.left << "," << c.r.top << " flags " << c.flags;
    SelectObject(m.dc, (HGDIOBJ)3);
  }
  // Measuring from near the end of int stops there.
  RECT far = {INT_MAX - 5, INT_MAX - 5, 0, 0};
  SelectObject(probe.dc, f);
  EXPECT_EQ(th, SWELL_DrawText(probe.dc, "Hx", -1, &far, DT_CALCRECT | DT_SINGLELINE));
  EXPECT_EQ(INT_MAX, far.right);
  EXPECT_EQ(INT_MAX, far.bottom);
  SelectObject(probe.dc, (HGDIOBJ)3);
  DeleteObject(f);
}

TEST(SwellDrawText, ColourBackgroundAndAntialiasing)
{
  struct Case
  {
    int quality;
    int bkMode;
    bool partial;
  } cases[] = {{ANTIALIASED_QUALITY, TRANSPARENT, true},
               {NONANTIALIASED_QUALITY, TRANSPARENT, false},
               {NONANTIALIASED_QUALITY, OPAQUE, false},
               {ANTIALIASED_QUALITY, OPAQUE, true}};
  for (const Case& c : cases) {
    HFONT f = Font(-18, c.quality);
    Mem m(80, 40);
    m.Fill(0x101010);
    SelectObject(m.dc, f);
    SetTextColor(m.dc, RGB(0x20, 0xC0, 0xF0));
    SetBkColor(m.dc, RGB(0x40, 0x00, 0x80));
    SetBkMode(m.dc, c.bkMode);
    RECT r = {4, 4, 76, 36};
    RECT measured = r;
    SWELL_DrawText(m.dc, "Sb", -1, &measured, DT_CALCRECT);
    SWELL_DrawText(m.dc, "Sb", -1, &r, 0);
    const uint32_t bg = c.bkMode == OPAQUE ? 0x400080u : 0x101010u;
    SCOPED_TRACE(c.quality * 10 + c.bkMode);
    EXPECT_TRUE(m.Has(0x20C0F0));
    EXPECT_EQ(c.partial, m.HasOther(bg, 0x20C0F0, measured));
    // The background fills exactly the text box.
    EXPECT_EQ(bg, m.Px(4, 4));
    EXPECT_EQ(bg, m.Px(measured.right - 1, measured.bottom - 1));
    EXPECT_EQ(0x101010u, m.Px(measured.right, 4));
    EXPECT_EQ(0x101010u, m.Px(4, measured.bottom));
    SelectObject(m.dc, (HGDIOBJ)3);
    DeleteObject(f);
  }
}

TEST(SwellDrawText, LongTextIsCutAtTheBufferWithoutBreakingCharacters)
{
  Mem m(4, 4);
  HFONT f = Font(-10);
  SelectObject(m.dc, f);
  std::string s(4094, 'i');
  s += "\xc3\xa9\xc3\xa9";  // the cut falls inside the first two-byte character
  RECT r = {0, 0, 0, 0};
  EXPECT_GT(SWELL_DrawText(m.dc, s.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE), 0);
  EXPECT_EQ(MeasureWidth(m.dc, std::string(4094, 'i').c_str(), DT_SINGLELINE), r.right);
  SelectObject(m.dc, (HGDIOBJ)3);
  DeleteObject(f);
}

TEST(SwellStretchBlt, CopiesScalesAndClipsTheSource)
{
  Mem src(2, 2);
  uint32_t* s = static_cast<uint32_t*>(SWELL_GetCtxFrameBuffer(src.dc));
  s[0] = 0xFF000011;
  s[1] = 0xFF000022;
  s[2] = 0xFF000033;
  s[3] = 0x00000044;  // transparent
  struct Case
  {
    int x, y, w, h, sx, sy, sw, sh, rop;
    std::vector<std::string> rows;  // '.' untouched, digits: source pixel 1-4
  } cases[] = {
      {1, 1, 2, 2, 0, 0, 2, 2, SRCCOPY, {".....", ".12..", ".34..", "....."}},
      {0, 0, 4, 4, 0, 0, 2, 2, SRCCOPY, {"1122.", "1122.", "3344.", "3344.", "....."}},
      {0, 0, 2, 2, -1, 0, 2, 2, SRCCOPY, {".1...", ".3...", "....."}},
      {0, 0, 4, 2, 1, 0, 2, 2, SRCCOPY, {"22...", "44...", "....."}},
      {1, 1, 2, 2, 0, 0, 2, 2, SRCCOPY_USEALPHACHAN, {".....", ".12..", ".3...", "....."}},
      {0, 0, 2, 2, 0, 0, 0, 2, SRCCOPY, {".....", "....."}},
      {0, 0, 2, 2, 2, 0, 2, 2, SRCCOPY, {".....", "....."}},
  };
  for (const Case& c : cases) {
    Mem d(5, 5);
    d.Fill(0xFFAAAAAA);
    StretchBlt(d.dc, c.x, c.y, c.w, c.h, src.dc, c.sx, c.sy, c.sw, c.sh, c.rop);
    for (size_t y = 0; y < c.rows.size(); ++y)
      for (int x = 0; x < 5; ++x) {
        const char e = c.rows[y][x];
        const uint32_t want = e == '.' ? 0xAAAAAA : 0x11u * (e - '0');
        EXPECT_EQ(want, d.Px(x, (int)y)) << "case " << (&c - cases) << " at " << x << "," << y;
      }
  }
  // BitBlt is StretchBlt at the same size; the destination alpha byte is kept.
  Mem d(3, 3);
  d.Fill(0x7F000000);
  BitBlt(d.dc, 1, 1, 2, 2, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(0x7F000044u, static_cast<uint32_t*>(SWELL_GetCtxFrameBuffer(d.dc))[8]);
}

}  // namespace
