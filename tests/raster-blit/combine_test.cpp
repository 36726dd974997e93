// Combiners reached through the mode word of a one-pixel blit, against hand-worked values.

#include <gtest/gtest.h>

#include <cstdlib>

#include "helpers.h"
#include "raster/combine.h"
#include "raster/lice.h"

namespace {

// Blits one source pixel onto one destination pixel and returns the result.
LICE_pixel BlitOne(LICE_pixel dst, LICE_pixel src, float weight, int mode)
{
  GuardedBitmap d(1, 1), s(1, 1);
  d.at(0, 0) = dst;
  s.at(0, 0) = src;
  LICE_Blit(&d, &s, 0, 0, nullptr, weight, mode);
  EXPECT_TRUE(d.guardsIntact());
  return d.at(0, 0);
}

struct CombineCase
{
  const char* name;
  int mode;
  float weight;
  LICE_pixel src;
  LICE_pixel expected;
};

// Destination (r 200, g 100, b 50, a 128); source (r 60, g 180, b 255) at alpha 0, 128, 255.
const LICE_pixel kDest = LICE_RGBA(200, 100, 50, 128);
const CombineCase kCases[] = {
    {"copy", 0x0, 1.00f, 0x003CB4FF, 0x003CB4FF},
    {"copy", 0x0, 0.75f, 0x003CB4FF, 0x205FA0CC},
    {"copy", 0x0, 1.00f, 0x803CB4FF, 0x803CB4FF},
    {"copy", 0x0, 0.75f, 0x803CB4FF, 0x805FA0CC},
    {"copy", 0x0, 0.75f, 0xFF3CB4FF, 0xE05FA0CC},
    {"add", 0x1, 1.00f, 0x003CB4FF, 0x80FFFFFF},
    {"add", 0x1, 0.75f, 0x003CB4FF, 0x80F5EBF1},
    {"add", 0x1, 1.00f, 0x803CB4FF, 0xFFFFFFFF},
    {"add", 0x1, 0.75f, 0xFF3CB4FF, 0xFFF5EBF1},
    {"dodge", 0x2, 1.00f, 0x003CB4FF, 0x80FFFFFF},
    {"dodge", 0x2, 0.75f, 0x003CB4FF, 0x80F2D3C4},
    {"dodge", 0x2, 0.75f, 0x803CB4FF, 0xCCF2D3C4},
    {"mul", 0x3, 1.00f, 0x003CB4FF, 0x002E4631},
    {"mul", 0x3, 0.75f, 0x003CB4FF, 0x20554D31},
    {"mul", 0x3, 1.00f, 0xFF3CB4FF, 0x7F2E4631},
    {"mul", 0x3, 0.75f, 0x803CB4FF, 0x50554D31},
    {"overlay", 0x4, 1.00f, 0x003CB4FF, 0x40B07C59},
    {"overlay", 0x4, 0.75f, 0x003CB4FF, 0x50B6764F},
    {"overlay", 0x4, 1.00f, 0xFF3CB4FF, 0xBFB07C59},
    {"copy+alpha", 0x10000, 1.00f, 0x003CB4FF, 0x80C86432},
    {"copy+alpha", 0x10000, 0.75f, 0x003CB4FF, 0x80C86432},
    {"copy+alpha", 0x10000, 1.00f, 0x803CB4FF, 0xFF818D9A},
    {"copy+alpha", 0x10000, 0.75f, 0x803CB4FF, 0xE093827F},
    {"copy+alpha", 0x10000, 1.00f, 0xFF3CB4FF, 0xFF3CB4FF},
    {"copy+alpha", 0x10000, 0.75f, 0xFF3CB4FF, 0xFF5FA0CC},
    {"add+alpha", 0x10001, 1.00f, 0x003CB4FF, 0x80C86432},
    {"add+alpha", 0x10001, 1.00f, 0x803CB4FF, 0xC0E6BEB2},
    {"add+alpha", 0x10001, 0.75f, 0x803CB4FF, 0xB0DEA791},
    {"add+alpha", 0x10001, 1.00f, 0xFF3CB4FF, 0xFFFFFFFF},
    {"dodge+alpha", 0x10002, 1.00f, 0x003CB4FF, 0x80C86432},
    {"dodge+alpha", 0x10002, 1.00f, 0x803CB4FF, 0xAAE29A64},
    {"dodge+alpha", 0x10002, 0.75f, 0x803CB4FF, 0x9DDA874F},
    {"mul+alpha", 0x10003, 1.00f, 0x003CB4FF, 0x80C86432},
    {"mul+alpha", 0x10003, 1.00f, 0x803CB4FF, 0x5F7A5531},
    {"mul+alpha", 0x10003, 0.75f, 0x803CB4FF, 0x688E5831},
    {"overlay+alpha", 0x10004, 1.00f, 0x003CB4FF, 0x7FC76432},
    {"overlay+alpha", 0x10004, 1.00f, 0x803CB4FF, 0x80BC7046},
    {"overlay+alpha", 0x10004, 0.75f, 0xFF3CB4FF, 0xAFB6764F},
};

TEST(RasterCombine, EachModeMatchesItsRule)
{
  for (const CombineCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.name << " weight " << c.weight << " src " << std::hex << c.src);
    EXPECT_EQ(BlitOne(kDest, c.src, c.weight, c.mode), c.expected);
  }
}

TEST(RasterCombine, ZeroWeightAndUnknownOperationsChangeNothing)
{
  const int modes[] = {0, 1, 2, 3, 4, 5, 0x10000, 0x10001, 0x10003, 0x10005, 0x100, 0xF3};
  for (int mode : modes) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(BlitOne(kDest, 0xFF3CB4FF, 0.0f, mode), kDest);
  }
  for (int mode : {6, 0x7F, 0x10006}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(BlitOne(kDest, 0xFF3CB4FF, 1.0f, mode), kDest);
  }
  // A negative copy weight draws nothing; one above full acts as full.
  EXPECT_EQ(BlitOne(kDest, 0xFF3CB4FF, -0.5f, 0), kDest);
  EXPECT_EQ(BlitOne(kDest, 0x123CB4FF, 3.0f, 0), 0x123CB4FFu);
}

TEST(RasterCombine, AddOfWhiteSaturates)
{
  for (LICE_pixel d : {0x00000000u, 0x80C86432u, 0xFFFFFFFFu})
    EXPECT_EQ(BlitOne(d, 0xFFFFFFFF, 1.0f, LICE_BLIT_MODE_ADD), 0xFFFFFFFFu);
}

TEST(RasterCombine, ClampedVariantsStayInRange)
{
  // Weights beyond full push the copy rule past 0..255; the clamped forms stop at the limits.
  LICE_pixel p = LICE_RGBA(200, 10, 128, 128);
  _LICE_CombinePixelsCopyClamp::doPix(reinterpret_cast<LICE_pixel_chan*>(&p), 255, 0, 128, 128, 512);
  EXPECT_EQ(p, LICE_RGBA(255, 0, 128, 128));
  p = LICE_RGBA(200, 10, 128, 128);
  _LICE_CombinePixelsCopyNoClamp::doPix(reinterpret_cast<LICE_pixel_chan*>(&p), 60, 180, 128, 128, 128);
  EXPECT_EQ(p, LICE_RGBA(130, 95, 128, 128));
  p = LICE_RGBA(255, 255, 255, 255);
  _LICE_CombinePixelsMulClamp::doPix(reinterpret_cast<LICE_pixel_chan*>(&p), 255, 0, 128, 255, 256);
  EXPECT_EQ(p, LICE_RGBA(254, 0, 127, 254));
}

TEST(RasterCombine, PackedMixes)
{
  const LICE_pixel d = 0xFFFFFFFF, s = 0xFF000000;
  // Opaque black into opaque white; the dropped low bits show in the alpha byte.
  EXPECT_EQ(LICE_PixelHalf(d, s), 0xFE7F7F7Fu);
  EXPECT_EQ(LICE_PixelQuarter(d, s), 0xFDBEBEBEu);
  EXPECT_EQ(LICE_PixelThreeQuarter(d, s), 0xFD3F3F3Fu);
  EXPECT_EQ(BlitOne(0xFFFFFFFF, 0x00000000, 0.5f, 0), 0x7F7F7F7Fu);
}

// Distance of two pixels' colour channels.
int ColourDistance(LICE_pixel a, LICE_pixel b)
{
  return abs((int)LICE_GETR(a) - (int)LICE_GETR(b)) + abs((int)LICE_GETG(a) - (int)LICE_GETG(b)) +
         abs((int)LICE_GETB(a) - (int)LICE_GETB(b));
}

TEST(RasterCombine, HSVAdjust)
{
  const LICE_pixel colours[] = {LICE_RGBA(255, 0, 0, 255),   LICE_RGBA(0, 200, 0, 10),   LICE_RGBA(30, 60, 250, 0),
                                LICE_RGBA(128, 128, 128, 9), LICE_RGBA(255, 255, 0, 40), LICE_RGBA(200, 100, 50, 128),
                                LICE_RGBA(0, 0, 0, 255),     LICE_RGBA(255, 255, 255, 1)};
  // (128, 128, 128) adjusts nothing; destination alpha becomes the source alpha.
  for (LICE_pixel c : colours) {
    const LICE_pixel out = BlitOne(c, LICE_RGBA(128, 128, 128, 77), 1.0f, LICE_BLIT_MODE_HSVADJ);
    EXPECT_LE(ColourDistance(out, c), 3) << std::hex << c << " -> " << out;
    EXPECT_EQ(LICE_GETA(out), 77u);
  }
  // Red 0 turns the hue back by half the circle: red becomes cyan.
  EXPECT_LE(ColourDistance(BlitOne(LICE_RGBA(255, 0, 0, 255), LICE_RGBA(0, 128, 128, 255), 1.0f, 5),
                           LICE_RGBA(0, 255, 255, 0)),
            3);
  // Green 0 removes all saturation; blue 255 raises the value to the top.
  EXPECT_EQ(BlitOne(LICE_RGBA(200, 100, 50, 0), LICE_RGBA(128, 0, 128, 255), 1.0f, 5), LICE_RGBA(200, 200, 200, 255));
  EXPECT_EQ(BlitOne(LICE_RGBA(100, 100, 100, 0), LICE_RGBA(128, 128, 255, 255), 1.0f, 5),
            LICE_RGBA(255, 255, 255, 255));
  // At half weight the value moves half as far.
  EXPECT_EQ(BlitOne(LICE_RGBA(100, 100, 100, 0), LICE_RGBA(128, 128, 255, 255), 0.5f, 5),
            LICE_RGBA(227, 227, 227, 255));
}

}  // namespace
