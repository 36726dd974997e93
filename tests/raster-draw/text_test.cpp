// Cached fonts: measuring, line feeds, UTF-8, alpha, vertical text, glyph effects and blends,
// native drawing against the glyph cache, and the font's lifetime rules.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "canvas.h"
#include "raster/text.h"

using drawtest::Canvas;
using drawtest::PixelSet;

namespace {
const LICE_pixel kWhite = 0xFFFFFFFFu;
const LICE_pixel kBlack = 0xFF000000u;

HFONT makeFont(int height)
{
  return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "DejaVu Sans");
}

// A cached font that owns a 14-pixel platform font, with its cache open to the tests.
class Font : public LICE_CachedFont
{
public:
  explicit Font(int flags = 0, int height = 14)
  {
    SetFromHFont(makeFont(height), flags | LICE_FONT_FLAG_OWNS_HFONT);
    SetTextColor(kBlack);
  }
  using LICE_CachedFont::findChar;
  using LICE_CachedFont::RenderGlyph;

  RECT measure(const std::string& s, UINT flags = 0, int* ret = nullptr)
  {
    RECT r = {5, 7, 5, 7};
    const int h = DrawText(nullptr, s.c_str(), (int)s.size(), &r, flags | DT_CALCRECT);
    if (ret) *ret = h;
    return r;
  }
};

// The platform's own width of a text in a font.
int platformWidth(HFONT font, const char* s)
{
  HDC dc = SWELL_CreateMemContext(nullptr, 4, 4);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r = {0, 0, 0, 0};
  SWELL_DrawText(dc, s, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  SWELL_DeleteGfxContext(dc);
  return r.right;
}

// The bounding box of the changed pixels: left, top, right, bottom (inclusive).
RECT inkBox(const PixelSet& px)
{
  RECT r = {1 << 20, 1 << 20, -1, -1};
  for (auto [x, y] : px) {
    r.left = std::min(r.left, x);
    r.top = std::min(r.top, y);
    r.right = std::max(r.right, x);
    r.bottom = std::max(r.bottom, y);
  }
  return r;
}

int darkness(LICE_IBitmap& bm)
{
  int sum = 0;
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++) sum += 255 - (int)(LICE_GetPixel(&bm, x, y) & 0xFF);
  return sum;
}
}  // namespace

TEST(CachedFontMeasure, TextExtents)
{
  Font f;
  const int lh = f.GetLineHeight();
  ASSERT_GT(lh, 10);
  const int advA = platformWidth(f.GetHFont(), "A"), advB = platformWidth(f.GetHFont(), "B");
  int ret = 0;
  RECT ab = f.measure("AB", 0, &ret);
  EXPECT_EQ(ab.left, 5);
  EXPECT_EQ(ab.top, 7);
  EXPECT_GE(ab.right - ab.left, advA + advB);
  EXPECT_LE(ab.right - ab.left, advA + advB + 4);
  EXPECT_EQ(ab.bottom - ab.top, lh);
  EXPECT_EQ(ret, lh);

  struct
  {
    const char* name;
    std::string text, same;
    UINT flags;
    int lines;
  } cases[] = {
      {"line feed starts a new line", "A\nA", "A", 0, 2},
      {"carriage returns are skipped", "A\r\nA", "A", 0, 2},
      {"single line draws a line feed as a space", "A\nA", "A A", DT_SINGLELINE, 1},
      {"four-byte character is a space",
       "A\xF0\x9F\x98\x80"
       "A",
       "A A", 0, 1},
      {"cut four-byte sequence stands for its bytes", "A\xF0\x9F", "A\xF0\x9F", 0, 1},
      {"two- and three-byte characters", "\xC3\xA9\xE2\x82\xAC", "\xC3\xA9\xE2\x82\xAC", 0, 1},
  };
  for (const auto& c : cases) {
    const RECT r = f.measure(c.text, c.flags), same = f.measure(c.same, c.flags);
    EXPECT_EQ(r.right, same.right) << c.name;
    EXPECT_EQ(r.bottom - r.top, c.lines * lh) << c.name;
  }
  EXPECT_EQ(f.measure("").right, 5);
  EXPECT_EQ(f.measure("").bottom, 7);

  // Masks are trimmed to their ink: a narrow letter's mask is much narrower than its cell, and
  // a space keeps its advance with an empty mask.
  f.measure("l");
  const auto* l = f.findChar('l');
  ASSERT_NE(l, nullptr);
  EXPECT_LE(l->width, l->advance);
  EXPECT_LT(l->width, 5);
  f.measure(" ");
  const auto* sp = f.findChar(' ');
  EXPECT_GT(sp->base_offset, 0);
  EXPECT_EQ(sp->width, 0);
  EXPECT_EQ(sp->advance, platformWidth(f.GetHFont(), " "));

  // Codes from 128 up are kept in a sorted list; the precalculating font refuses them.
  ASSERT_NE(f.findChar(0x20AC), nullptr);
  ASSERT_NE(f.findChar(0xE9), nullptr);
  EXPECT_GT(f.findChar(0x20AC)->base_offset, 0);
  EXPECT_EQ(f.findChar(0x4E00), nullptr);
  Font pre(LICE_FONT_FLAG_PRECALCALL);
  EXPECT_GT(pre.findChar('A')->base_offset, 0);
  EXPECT_EQ(pre.measure("\xC3\xA9").right, 5);
  EXPECT_FALSE(pre.RenderGlyph(0xE9));
}

TEST(CachedFontMeasure, VerticalTextReturnsItsWidth)
{
  Font f(LICE_FONT_FLAG_VERTICAL);
  Font h;
  int ret = 0;
  const RECT r = f.measure("AB", 0, &ret);
  EXPECT_EQ(ret, r.right - r.left);
  EXPECT_EQ(r.right - r.left, f.GetLineHeight());
  EXPECT_EQ(r.bottom - r.top, h.measure("AB").right - 5);
  // A line feed moves vertical text right by a line.
  EXPECT_EQ(f.measure("A\nB").right - 5, 2 * f.GetLineHeight());

  for (int flags : {LICE_FONT_FLAG_VERTICAL, LICE_FONT_FLAG_VERTICAL | LICE_FONT_FLAG_VERTICAL_BOTTOMUP}) {
    Font v(flags);
    Canvas cv(40, 80);
    RECT box = {5, 5, 35, 75};
    EXPECT_EQ(v.DrawText(&cv, "ABC", -1, &box, 0), v.GetLineHeight());
    const RECT ink = inkBox(cv.changed(kWhite));
    EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left)) << flags;
    EXPECT_GE(ink.top, 5);
    EXPECT_LT(ink.bottom, 75);
    // Upward text sits at the bottom of its box, downward text at the top.
    if (flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP)
      EXPECT_GT(ink.bottom, 60);
    else
      EXPECT_LT(ink.top, 12);
  }
}

TEST(CachedFontDraw, AlphaLineFeedsAndPlacement)
{
  Font f;
  {
    // Zero alpha: nothing drawn, 0 returned; so too a transparent colour taken as alpha.
    Canvas cv(60, 20);
    RECT r = {0, 0, 60, 20};
    f.SetCombineMode(0, 0.0f);
    EXPECT_EQ(f.DrawText(&cv, "AB", -1, &r, 0), 0);
    f.SetCombineMode(0, 1.0f);
    f.SetTextColor(0x00000000u);
    EXPECT_EQ(f.DrawText(&cv, "AB", -1, &r, LICE_DT_USEFGALPHA), 0);
    EXPECT_TRUE(cv.changed(kWhite).empty());
    f.SetTextColor(kBlack);
    EXPECT_EQ(f.DrawText(nullptr, "AB", -1, &r, 0), 0);
  }
  const int lh = f.GetLineHeight();
  {
    Canvas two(60, 50), one(60, 50), spaced(60, 50);
    RECT r = {0, 0, 60, 50};
    EXPECT_EQ(f.DrawText(&two, "A\nA", -1, &r, 0), 2 * lh);
    EXPECT_EQ(f.DrawText(&one, "A\nA", -1, &r, DT_SINGLELINE), lh);
    f.DrawText(&spaced, "A A", -1, &r, 0);
    EXPECT_EQ(one.image(), spaced.image());
    const RECT ink = inkBox(two.changed(kWhite));
    EXPECT_GE(ink.bottom, lh);
    EXPECT_LT(inkBox(one.changed(kWhite)).bottom, lh);

    Canvas emoji(60, 50);
    f.DrawText(&emoji,
               "A\xF0\x9F\x98\x80"
               "A",
               -1, &r, 0);
    EXPECT_EQ(emoji.image(), spaced.image());
    // A bottom-up bitmap shows the same picture.
    Canvas flipped(60, 50, kWhite, true);
    f.DrawText(&flipped, "A A", -1, &r, 0);
    EXPECT_EQ(flipped.image(), spaced.image());
  }
  {
    // Centred and right-aligned text, and clipping to the rectangle.
    Canvas centre(100, 20), right(100, 20), clipped(100, 20), free(100, 20);
    RECT r = {0, 0, 100, 20};
    f.DrawText(&centre, "ABC", -1, &r, DT_CENTER);
    f.DrawText(&right, "ABC", -1, &r, DT_RIGHT | DT_VCENTER);
    const RECT c = inkBox(centre.changed(kWhite)), rt = inkBox(right.changed(kWhite));
    EXPECT_NEAR((c.left + c.right) / 2.0, 50.0, 3.0);
    EXPECT_GE(rt.right, 95);
    EXPECT_LE(rt.right, 99);
    RECT small = {10, 2, 18, 20};
    f.DrawText(&clipped, "ABC", -1, &small, 0);
    for (auto p : clipped.changed(kWhite)) EXPECT_TRUE(p.first >= 10 && p.first < 18) << p.first;
    f.DrawText(&free, "ABC", -1, &small, DT_NOCLIP);
    EXPECT_GT(inkBox(free.changed(kWhite)).right, 20);
  }
}

TEST(CachedFontDraw, GlyphBlendRules)
{
  const LICE_pixel kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu;
  {
    // Half alpha gives about half the darkness of full alpha.
    Font f;
    Canvas full(60, 20), half(60, 20);
    RECT r = {2, 2, 60, 20};
    f.DrawText(&full, "AB", -1, &r, 0);
    f.SetCombineMode(0, 0.5f);
    f.DrawText(&half, "AB", -1, &r, 0);
    EXPECT_NEAR(darkness(half) * 2.0, (double)darkness(full), darkness(full) * 0.05);
    for (LICE_pixel p : full.image()) ASSERT_EQ(p >> 24, 0xFFu);

    // Add only brightens.
    Canvas add(60, 20, 0xFF202020u);
    f.SetTextColor(0xFF808080u);
    f.SetCombineMode(LICE_BLIT_MODE_ADD, 1.0f);
    f.DrawText(&add, "AB", -1, &r, 0);
    EXPECT_FALSE(add.changed(0xFF202020u).empty());
    for (LICE_pixel p : add.image()) ASSERT_GE(p & 0xFF, 0x20u);
  }
  struct
  {
    int flags;
    const char* name;
  } effects[] = {
      {LICE_FONT_FLAG_FX_MONO, "mono"}, {LICE_FONT_FLAG_FX_OUTLINE, "outline"}, {LICE_FONT_FLAG_FX_SHADOW, "shadow"}};
  for (const auto& e : effects) {
    Font f(e.flags);
    f.SetTextColor(kRed);
    f.SetEffectColor(kBlue);
    Canvas cv(60, 24);
    RECT r = {3, 3, 60, 24};
    f.DrawText(&cv, "AK", -1, &r, 0);
    int text = 0, fx = 0;
    for (int y = 0; y < 24; y++)
      for (int x = 0; x < 60; x++) {
        const LICE_pixel p = cv.at(x, y);
        ASSERT_TRUE(p == kWhite || p == kRed || p == kBlue) << e.name << " " << std::hex << p;
        if (p == kRed) text++;
        if (p != kBlue) continue;
        fx++;
        auto red = [&](int dx, int dy) { return cv.at(x + dx, y + dy) == kRed; };
        if (e.flags == LICE_FONT_FLAG_FX_OUTLINE)
          EXPECT_TRUE(red(-1, 0) || red(1, 0) || red(0, -1) || red(0, 1)) << x << "," << y;
        else
          EXPECT_TRUE(red(-1, 0) || red(0, -1) || red(-1, -1)) << x << "," << y;
      }
    EXPECT_GT(text, 20) << e.name;
    if (e.flags == LICE_FONT_FLAG_FX_MONO)
      EXPECT_EQ(fx, 0);
    else
      EXPECT_GT(fx, 20) << e.name;
  }
  {
    // Inverted coverage inks the glyph's cell around the letter.
    Font plain, inverted(LICE_FONT_FLAG_FX_INVERT);
    Canvas a(40, 24), b(40, 24);
    RECT r = {4, 4, 40, 24};
    plain.DrawText(&a, "I", -1, &r, 0);
    inverted.DrawText(&b, "I", -1, &r, 0);
    const RECT cell = inkBox(b.changed(kWhite));
    const int area = (cell.right - cell.left + 1) * (cell.bottom - cell.top + 1);
    EXPECT_GT(darkness(b), area * 255 / 2);
    EXPECT_GT(darkness(b), 2 * darkness(a));
    // The letter's strokes stay light.
    for (auto p : a.changed(kWhite))
      if ((a.at(p.first, p.second) & 0xFF) < 64) {
        EXPECT_GT(b.at(p.first, p.second) & 0xFF, 128u);
      }
  }
  {
    // An opaque background fills each character's cell.
    Font f;
    f.SetBkMode(OPAQUE);
    f.SetBkColor(kBlue);
    Canvas cv(60, 30);
    RECT r = {4, 5, 60, 30};
    f.DrawText(&cv, "AB", -1, &r, 0);
    const RECT cell = inkBox(cv.changed(kWhite));
    EXPECT_EQ(cell.left, 4);
    EXPECT_EQ(cell.top, 5);
    EXPECT_EQ(cell.bottom, 5 + f.GetLineHeight() - 1);
    EXPECT_EQ(cv.at(4, 5), kBlue);
  }
}

TEST(CachedFontDraw, NativeAgainstGlyphCache)
{
  Font native(LICE_FONT_FLAG_FORCE_NATIVE), cached;
  RECT r = {3, 2, 117, 28};
  // Opaque text on a system bitmap goes to the platform: the same pixels as drawing directly.
  LICE_SysBitmap viaFont(120, 30), direct(120, 30);
  LICE_Clear(&viaFont, kWhite);
  LICE_Clear(&direct, kWhite);
  native.DrawText(&viaFont, "Kelvo", -1, &r, 0);
  {
    HDC dc = direct.getDC();
    HGDIOBJ old = SelectObject(dc, native.GetHFont());
    SetTextColor(dc, 0);
    SetBkMode(dc, TRANSPARENT);
    RECT d = r;
    SWELL_DrawText(dc, "Kelvo", -1, &d, DT_NOPREFIX);
    SelectObject(dc, old);
  }
  auto same = [](LICE_IBitmap& a, LICE_IBitmap& b) {
    for (int y = 0; y < a.getHeight(); y++)
      for (int x = 0; x < a.getWidth(); x++)
        if (LICE_GetPixel(&a, x, y) != LICE_GetPixel(&b, x, y)) return false;
    return true;
  };
  EXPECT_TRUE(same(viaFont, direct));
  // A memory bitmap gets the same pixels through the native scratch bitmap.
  LICE_MemBitmap mem(120, 30);
  LICE_Clear(&mem, kWhite);
  native.DrawText(&mem, "Kelvo", -1, &r, 0);
  EXPECT_TRUE(same(mem, viaFont));

  // Half-transparent text goes through the glyph cache.
  LICE_SysBitmap halfNative(120, 30), halfCached(120, 30);
  LICE_Clear(&halfNative, kWhite);
  LICE_Clear(&halfCached, kWhite);
  native.SetTextColor(0x80000000u);
  cached.SetTextColor(0x80000000u);
  native.DrawText(&halfNative, "Kelvo", -1, &r, LICE_DT_USEFGALPHA);
  cached.DrawText(&halfCached, "Kelvo", -1, &r, LICE_DT_USEFGALPHA);
  EXPECT_TRUE(same(halfNative, halfCached));
  EXPECT_GT(darkness(halfCached), darkness(viaFont) / 4);
  EXPECT_LT(darkness(halfCached), darkness(viaFont) * 3 / 4);

  // Both ways measure about the same text.
  RECT mn = {0, 0, 0, 0}, mc = {0, 0, 0, 0};
  native.DrawText(&viaFont, "Kelvo", -1, &mn, DT_CALCRECT);
  cached.DrawText(&viaFont, "Kelvo", -1, &mc, DT_CALCRECT);
  EXPECT_NEAR(mn.right, mc.right, 3);
  EXPECT_NEAR(mn.bottom, mc.bottom, 3);
}

TEST(CachedFontLifetime, OwnedFontsAndSharedScratch)
{
  const int before = LICE_CachedFont::GetLiveFontCount();
  {
    LICE_CachedFont a, b;
    EXPECT_EQ(LICE_CachedFont::GetLiveFontCount(), before + 2);
    HFONT first = makeFont(12), second = makeFont(16);
    a.SetFromHFont(first, LICE_FONT_FLAG_OWNS_HFONT);
    const int lh12 = a.GetLineHeight();
    a.SetFromHFont(second, LICE_FONT_FLAG_OWNS_HFONT);
    EXPECT_GT(a.GetLineHeight(), lh12);
    // The old font object is gone: selecting it does nothing.
    HDC dc = SWELL_CreateMemContext(nullptr, 4, 4);
    EXPECT_EQ(SelectObject(dc, first), nullptr);
    EXPECT_NE(SelectObject(dc, second), nullptr);
    SelectObject(dc, (HGDIOBJ)3);
    SWELL_DeleteGfxContext(dc);

    // A font the cached font does not own survives it.
    HFONT kept = makeFont(12);
    b.SetFromHFont(kept, 0);
    b.SetFromHFont(nullptr, 0);
    RECT r = {0, 0, 0, 0};
    EXPECT_EQ(b.DrawText(nullptr, "AB", -1, &r, DT_CALCRECT), 0);
    HDC dc2 = SWELL_CreateMemContext(nullptr, 4, 4);
    EXPECT_NE(SelectObject(dc2, kept), nullptr);
    SWELL_DeleteGfxContext(dc2);
    DeleteObject(kept);
  }
  EXPECT_EQ(LICE_CachedFont::GetLiveFontCount(), before);
}

TEST(CachedFontSafety, RandomTextStaysInsideTheBitmap)
{
  std::mt19937 rng(99);
  const int flagSets[] = {0,
                          LICE_FONT_FLAG_VERTICAL,
                          LICE_FONT_FLAG_VERTICAL | LICE_FONT_FLAG_VERTICAL_BOTTOMUP,
                          LICE_FONT_FLAG_FX_OUTLINE | LICE_FONT_FLAG_FX_INVERT,
                          LICE_FONT_FLAG_FX_SHADOW,
                          LICE_FONT_FLAG_FX_MONO | LICE_FONT_FLAG_FX_BLUR,
                          LICE_FONT_FLAG_FORCE_NATIVE};
  for (int flags : flagSets) {
    Font f(flags, 9 + (int)(rng() % 20));
    f.SetBkMode(rng() % 2 ? OPAQUE : TRANSPARENT);
    for (int iter = 0; iter < 150; iter++) {
      std::string s;
      const int n = (int)(rng() % 12);
      for (int i = 0; i < n; i++) s += (char)(rng() % 3 ? 'A' + rng() % 26 : rng() % 256);
      Canvas cv(1 + (int)(rng() % 50), 1 + (int)(rng() % 30), 0x80808080u, rng() % 2 == 0, 4);
      auto coord = [&]() { return rng() % 3 ? (int)(rng() % 80) - 20 : (int)(rng() % 2000000000) - 1000000000; };
      RECT r = {coord(), coord(), coord(), coord()};
      const UINT dt = (UINT)(rng() % 2 ? DT_NOCLIP : 0) | (UINT)(rng() % 16) | (UINT)(rng() % 2 ? DT_SINGLELINE : 0) |
                      (rng() % 2 ? LICE_DT_USEFGALPHA : 0u);
      f.SetTextColor(rng() % 2 ? kBlack : 0x80FF00FFu);
      f.SetCombineMode((int)(rng() % 6), rng() % 2 ? 1.0f : 0.6f);
      f.DrawText(&cv, s.c_str(), (int)s.size(), &r, dt);
      f.DrawGlyph(&cv, (unsigned short)rng(), coord(), coord(), rng() % 2 ? &r : nullptr);
      ASSERT_TRUE(cv.guardsIntact()) << "flags " << flags << " text " << s;
    }
  }
}
