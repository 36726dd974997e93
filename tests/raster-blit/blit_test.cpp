// Straight blits: clipping on every side, exact copies, half mix, channel copy, overlap.

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "helpers.h"
#include "raster/lice.h"

namespace {

struct ClipCase
{
  const char* name;
  int l, t, r, b;  // source rectangle
  int dstx, dsty;
};

const ClipCase kClipCases[] = {
    {"whole", 0, 0, 6, 5, 1, 1},
    {"inner part", 1, 2, 4, 4, 3, 0},
    {"negative left and top", -2, -3, 3, 3, 1, 1},
    {"right and bottom beyond", 3, 2, 40, 30, 0, 0},
    {"negative destination", 0, 0, 6, 5, -4, -2},
    {"destination beyond right and bottom", 0, 0, 6, 5, 5, 4},
    {"both clipped", -1, -1, 9, 9, -2, 3},
    {"zero size", 2, 2, 2, 4, 0, 0},
    {"negative size", 4, 3, 1, 1, 0, 0},
    {"outside the source", 7, 0, 9, 5, 0, 0},
    {"outside the destination", 0, 0, 6, 5, 8, 0},
    {"far away", INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MIN, 0},
    {"huge destination", 0, 0, 6, 5, INT_MAX, INT_MAX},
    {"huge negative left", INT_MIN, 0, 6, 5, INT_MAX, 0},
};

// Where a blit with these arguments puts each source pixel: every pixel inside both the source
// rectangle and the source lands at (dstx + sx - l, dsty + sy - t) when that is inside dest.
void ExpectBlitResult(GuardedBitmap& dest, GuardedBitmap& src, const ClipCase& c)
{
  for (int y = 0; y < dest.getHeight(); y++)
    for (int x = 0; x < dest.getWidth(); x++) {
      const long long sx = (long long)x - c.dstx + c.l, sy = (long long)y - c.dsty + c.t;
      const bool hit = sx >= c.l && sx < c.r && sy >= c.t && sy < c.b && sx >= 0 && sy >= 0 && sx < src.getWidth() &&
                       sy < src.getHeight();
      const LICE_pixel want = hit ? src.at((int)sx, (int)sy) : 0x11111111;
      ASSERT_EQ(dest.at(x, y), want) << "at " << x << "," << y;
    }
  EXPECT_TRUE(dest.guardsIntact());
}

TEST(RasterBlit, ClipsTheSourceAndDestinationOnEverySide)
{
  for (bool flipped : {false, true})
    for (const ClipCase& c : kClipCases) {
      SCOPED_TRACE(testing::Message() << c.name << (flipped ? " (bottom-up rows)" : ""));
      GuardedBitmap src(6, 5, flipped), dest(8, 7, !flipped), dest2(8, 7, flipped);
      src.fill(Pattern);
      dest.fill([](int, int) { return 0x11111111u; });
      dest2.fill([](int, int) { return 0x11111111u; });

      const RECT r = {c.l, c.t, c.r, c.b};
      LICE_Blit(&dest, &src, c.dstx, c.dsty, &r, 1.0f, LICE_BLIT_MODE_COPY);
      ExpectBlitResult(dest, src, c);

      // The size form, through the per-pixel path (a weight just over full), lands the same.
      const long long w = (long long)c.r - c.l, h = (long long)c.b - c.t;
      if (w >= INT_MIN && w <= INT_MAX && h >= INT_MIN && h <= INT_MAX) {
        LICE_Blit(&dest2, &src, c.dstx, c.dsty, c.l, c.t, (int)w, (int)h, 1.001f, LICE_BLIT_MODE_COPY);
        ExpectBlitResult(dest2, src, c);
      }
      EXPECT_TRUE(src.guardsIntact());
    }
}

TEST(RasterBlit, FullCopyIsExactAndHalfMixHalves)
{
  GuardedBitmap src(5, 3), dest(5, 3);
  src.fill(Pattern);
  dest.fill([](int x, int y) { return Pattern(y, x) ^ 0x00FFFFFF; });
  GuardedBitmap before(5, 3);
  before.fill([&](int x, int y) { return dest.at(x, y); });

  LICE_Blit(&dest, &src, 0, 0, nullptr, 0.5f, LICE_BLIT_MODE_COPY);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 5; x++)
      EXPECT_EQ(dest.at(x, y), ((before.at(x, y) >> 1) & 0x7F7F7F7F) + ((src.at(x, y) >> 1) & 0x7F7F7F7F));

  LICE_Blit(&dest, &src, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY | LICE_BLIT_FILTER_BILINEAR);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 5; x++) EXPECT_EQ(dest.at(x, y), src.at(x, y));
}

TEST(RasterBlit, ChannelCopyMovesOneByte)
{
  struct
  {
    int srcChan, dstChan;
    LICE_pixel expected;
  } cases[] = {
      {LICE_PIXEL_A, LICE_PIXEL_A, 0xA1223344},
      {LICE_PIXEL_R, LICE_PIXEL_B, 0x112233B2},
      {LICE_PIXEL_B, LICE_PIXEL_A, 0xD4223344},
      {LICE_PIXEL_G, LICE_PIXEL_R, 0x11C33344},
  };
  for (const auto& c : cases) {
    GuardedBitmap src(2, 2), dest(2, 2);
    src.fill([](int, int) { return 0xA1B2C3D4u; });
    dest.fill([](int, int) { return 0x11223344u; });
    // The weight does not matter to a channel copy.
    LICE_Blit(&dest, &src, 0, 0, nullptr, 0.25f, LICE_BLIT_MODE_CHANCOPY | c.srcChan | (c.dstChan << 2));
    EXPECT_EQ(dest.at(1, 1), c.expected) << c.srcChan << "->" << c.dstChan;
    EXPECT_TRUE(dest.guardsIntact());
  }
}

TEST(RasterBlit, OntoItselfReadsTheOriginalPixels)
{
  for (float weight : {1.0f, 0.75f}) {
    GuardedBitmap bm(6, 6), orig(6, 6);
    bm.fill(Pattern);
    orig.fill(Pattern);
    LICE_Blit(&bm, &bm, 1, 2, 0, 0, 5, 4, weight, LICE_BLIT_MODE_COPY);
    GuardedBitmap expect(6, 6);
    expect.fill(Pattern);
    LICE_Blit(&expect, &orig, 1, 2, 0, 0, 5, 4, weight, LICE_BLIT_MODE_COPY);
    for (int y = 0; y < 6; y++)
      for (int x = 0; x < 6; x++) EXPECT_EQ(bm.at(x, y), expect.at(x, y)) << x << "," << y << " w " << weight;
  }
}

TEST(RasterBlit, CopyResizesTheDestination)
{
  GuardedBitmap src(7, 3);
  src.fill(Pattern);
  LICE_MemBitmap dest(2, 2);
  LICE_Copy(&dest, &src);
  ASSERT_EQ(dest.getWidth(), 7);
  ASSERT_EQ(dest.getHeight(), 3);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 7; x++) EXPECT_EQ(LICE_GetPixel(&dest, x, y), src.at(x, y));

  // Null bitmaps are no-ops.
  LICE_Copy(nullptr, &src);
  LICE_Copy(&dest, nullptr);
  LICE_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&dest, nullptr, 0, 0, 0, 0, 1, 1, 1.0f, 0);
  LICE_MemBitmap empty;
  LICE_Blit(&empty, &src, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(&dest, &empty, 0, 0, nullptr, 1.0f, 0);
  EXPECT_EQ(LICE_GetPixel(&dest, 6, 2), src.at(6, 2));
}

}  // namespace

namespace {

// The full-weight source-alpha rule for one pixel, written out channel by channel.
LICE_pixel SourceAlphaRule(LICE_pixel d, LICE_pixel s)
{
  const int sa = (int)LICE_GETA(s);
  if (sa == 0) return d;
  if (sa == 255) return s | 0xFF000000u;
  const int iw = 255 - sa;
  auto mix = [&](int dc, int sc) { return sc + (dc - sc) * iw / 256; };
  const int a = (int)LICE_GETA(d) + sa;
  return LICE_RGBA(mix(LICE_GETR(d), LICE_GETR(s)), mix(LICE_GETG(d), LICE_GETG(s)), mix(LICE_GETB(d), LICE_GETB(s)),
                   a > 255 ? 255 : a);
}

struct SourceAlphaCase
{
  const char* name;
  int w, h;
  bool flipped;
  unsigned seed;
};

const SourceAlphaCase kSourceAlphaCases[] = {
    {"one pixel", 1, 1, false, 1}, {"three wide (no group of four)", 3, 4, false, 2},
    {"four wide", 4, 3, false, 3}, {"odd width with a tail", 13, 7, false, 4},
    {"wide", 67, 5, false, 5},     {"bottom-up rows", 9, 6, true, 6},
};

}  // namespace

// Every source alpha, every channel order: the blit gives exactly the per-pixel rule, in groups
// of four pixels and in the tail of each row, and writes nothing outside the area.
TEST(RasterBlit, SourceAlphaAtFullWeightFollowsThePixelRule)
{
  for (const SourceAlphaCase& c : kSourceAlphaCases) {
    SCOPED_TRACE(c.name);
    GuardedBitmap dest(c.w, c.h, c.flipped), src(c.w, c.h, c.flipped);
    unsigned state = c.seed;
    auto next = [&] {
      state = state * 1664525u + 1013904223u;
      return state;
    };
    std::vector<LICE_pixel> before;
    for (int y = 0; y < c.h; y++)
      for (int x = 0; x < c.w; x++) {
        LICE_pixel s = next();
        // Alpha 0, 255 and values in between all occur.
        const unsigned pick = next() % 4;
        if (pick == 0) s &= 0x00FFFFFFu;
        if (pick == 1) s |= 0xFF000000u;
        src.at(x, y) = s;
        dest.at(x, y) = next();
        before.push_back(dest.at(x, y));
      }
    LICE_Blit(&dest, &src, 0, 0, nullptr, 1.0f, LICE_BLIT_USE_ALPHA);
    for (int y = 0; y < c.h; y++)
      for (int x = 0; x < c.w; x++)
        ASSERT_EQ(dest.at(x, y), SourceAlphaRule(before[(size_t)y * c.w + x], src.at(x, y))) << x << "," << y;
    EXPECT_TRUE(dest.guardsIntact());
  }
}

TEST(RasterIsOpaque, EveryPixelMustHaveFullAlpha)
{
  struct Case
  {
    const char* name;
    int w, h;
    int holeX, holeY;  // a pixel given alpha 254, or -1
    bool opaque;
  } cases[] = {
      {"all opaque", 5, 4, -1, -1, true},
      {"first pixel", 5, 4, 0, 0, false},
      {"last pixel", 5, 4, 4, 3, false},
      {"middle", 9, 9, 4, 5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GuardedBitmap bm(c.w, c.h, false);
    for (int y = 0; y < c.h; y++)
      for (int x = 0; x < c.w; x++) bm.at(x, y) = LICE_RGBA(x * 20, y * 20, 7, 255);
    if (c.holeX >= 0) bm.at(c.holeX, c.holeY) = LICE_RGBA(1, 2, 3, 254);
    // The padding holds the sentinel (alpha 0xDE) and must not count.
    EXPECT_EQ(LICE_IsOpaque(&bm), c.opaque);
  }
  LICE_MemBitmap empty;
  EXPECT_FALSE(LICE_IsOpaque(&empty));
  EXPECT_FALSE(LICE_IsOpaque(nullptr));
}
