// Clearing, rectangle fills and single-pixel access.

#include <gtest/gtest.h>

#include <climits>

#include "helpers.h"
#include "raster/lice.h"

namespace {

const LICE_pixel kDest = 0x80C86432;    // a 128, r 200, g 100, b 50
const LICE_pixel kColour = 0x403CB4FF;  // a 64, r 60, g 180, b 255

TEST(RasterFillRect, EachWeightPath)
{
  struct
  {
    const char* name;
    float weight;
    int mode;
    LICE_pixel expected;
  } cases[] = {
      {"full sets the colour", 1.0f, 0, kColour},
      {"three quarters", 0.75f, 0, 0x505FA0CA},
      {"half", 0.5f, 0, 0x60828C98},
      {"quarter", 0.25f, 0, 0x70A57864},
      {"other weights move alpha toward the weight", 0.3f, 0, 0x709E7C6F},
      {"add", 0.5f, LICE_BLIT_MODE_ADD, 0xC0E6BEB1},
      {"source alpha scales the weight", 1.0f, LICE_BLIT_USE_ALPHA, 0x70A57864},
      {"zero weight", 0.0f, 0, kDest},
      {"unknown operation", 1.0f, 9, kDest},
  };
  for (const auto& c : cases) {
    GuardedBitmap bm(3, 2);
    bm.fill([](int, int) { return kDest; });
    LICE_FillRect(&bm, 0, 0, 3, 2, kColour, c.weight, c.mode);
    EXPECT_EQ(bm.at(2, 1), c.expected) << c.name;
    EXPECT_EQ(bm.at(0, 0), c.expected) << c.name;
    EXPECT_TRUE(bm.guardsIntact());
  }
  GuardedBitmap bm(1, 1);
  bm.at(0, 0) = kDest;
  LICE_FillRect(&bm, 0, 0, 1, 1, kColour & 0x00FFFFFF, 1.0f, LICE_BLIT_USE_ALPHA);
  EXPECT_EQ(bm.at(0, 0), kDest);
}

TEST(RasterFillRect, ClipsToTheBitmap)
{
  struct
  {
    int x, y, w, h;
    int x0, y0, x1, y1;  // filled area
  } cases[] = {
      {1, 1, 2, 2, 1, 1, 3, 3},
      {-3, -2, 5, 4, 0, 0, 2, 2},
      {4, 3, 10, 10, 4, 3, 6, 5},
      {0, 0, 0, 5, 0, 0, 0, 0},
      {2, 2, -2, -2, 0, 0, 0, 0},
      {6, 0, 3, 3, 0, 0, 0, 0},
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 0, 0},
      {-5, -5, INT_MAX, INT_MAX, 0, 0, 6, 5},
      {INT_MAX, 0, INT_MAX, 2, 0, 0, 0, 0},
  };
  for (bool flipped : {false, true})
    for (const auto& c : cases) {
      GuardedBitmap bm(6, 5, flipped);
      LICE_FillRect(&bm, c.x, c.y, c.w, c.h, 0xFF00FF00, 1.0f, 0);
      for (int y = 0; y < 5; y++)
        for (int x = 0; x < 6; x++) {
          const bool in = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
          ASSERT_EQ(bm.at(x, y), in ? 0xFF00FF00u : 0u) << c.x << "," << c.y << " " << c.w << "x" << c.h;
        }
      EXPECT_TRUE(bm.guardsIntact());

      GuardedBitmap cr(6, 5, flipped);
      cr.fill([](int, int) { return 0xAABBCCDDu; });
      LICE_ClearRect(&cr, c.x, c.y, c.w, c.h, 0x00FFFF00, 0x11000011);
      for (int y = 0; y < 5; y++)
        for (int x = 0; x < 6; x++) {
          const bool in = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
          ASSERT_EQ(cr.at(x, y), in ? 0x11BBCC11u : 0xAABBCCDDu);
        }
      EXPECT_TRUE(cr.guardsIntact());
    }
}

TEST(RasterClear, SetsEveryImagePixelAndNoPadding)
{
  GuardedBitmap bm(5, 3);
  LICE_Clear(&bm, 0x12345678);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 5; x++) EXPECT_EQ(bm.at(x, y), 0x12345678u);
  EXPECT_TRUE(bm.guardsIntact());
  LICE_Clear(nullptr, 0);
}

TEST(RasterPixels, GetAndPut)
{
  GuardedBitmap bm(4, 3, true);
  bm.fill(Pattern);
  const int outside[][2] = {{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT_MIN, INT_MAX}, {INT_MAX, 1}};
  for (const auto& p : outside) {
    EXPECT_EQ(LICE_GetPixel(&bm, p[0], p[1]), 0u);
    LICE_PutPixel(&bm, p[0], p[1], 0xFFFFFFFF, 1.0f, 0);
  }
  EXPECT_TRUE(bm.guardsIntact());
  EXPECT_EQ(LICE_GetPixel(&bm, 3, 2), Pattern(3, 2));
  EXPECT_EQ(LICE_GetPixel(nullptr, 0, 0), 0u);

  // PutPixel follows the fill rule by operation byte only: the source-alpha bit is not consulted.
  bm.at(1, 1) = kDest;
  LICE_PutPixel(&bm, 1, 1, kColour, 1.0f, LICE_BLIT_USE_ALPHA);
  EXPECT_EQ(bm.at(1, 1), kColour);
  bm.at(1, 1) = kDest;
  LICE_PutPixel(&bm, 1, 1, kColour, 0.75f, 0);
  EXPECT_EQ(bm.at(1, 1), 0x505FA0CAu);
  bm.at(1, 1) = kDest;
  LICE_PutPixel(&bm, 1, 1, kColour, 0.5f, LICE_BLIT_MODE_ADD);
  EXPECT_EQ(LICE_GetPixel(&bm, 1, 1), 0xC0E6BEB1u);
  EXPECT_EQ(bm.at(0, 1), Pattern(0, 1));
}

TEST(RasterGradRect, RampsFromTheCornerAndClamps)
{
  GuardedBitmap bm(6, 4);
  bm.fill([](int, int) { return 0xFF000000u; });
  // Red rises by 0.25 per column from -0.25, green falls by 0.5 per row; opaque everywhere.
  LICE_GradRect(&bm, -1, 0, 8, 8, -0.25f, 1.0f, 0.5f, 1.0f, 0.25f, 0, 0, 0, 0, -0.5f, 0, 0, 0);
  const int red[] = {0, 63, 127, 191, 255, 255};
  const int green[] = {255, 127, 0, 0};
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 6; x++) EXPECT_EQ(bm.at(x, y), LICE_RGBA(red[x], green[y], 127, 255)) << x << "," << y;
  EXPECT_TRUE(bm.guardsIntact());

  // Alpha is the weight: half-transparent grey onto black halves it; add mode adds it.
  bm.fill([](int, int) { return 0xFF000000u; });
  LICE_GradRect(&bm, 0, 0, 6, 4, 1, 1, 1, 0.5f, 0, 0, 0, 0, 0, 0, 0, 0, LICE_BLIT_MODE_COPY);
  EXPECT_EQ(bm.at(5, 3), LICE_RGBA(127, 127, 127, 191));
  LICE_GradRect(&bm, 0, 0, 6, 4, 0.5f, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, LICE_BLIT_MODE_ADD);
  EXPECT_EQ(bm.at(0, 0), LICE_RGBA(254, 127, 127, 255));
  LICE_GradRect(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1e30f, -1e30f, 0, 1, 1e30f, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_TRUE(bm.guardsIntact());
}

TEST(RasterBlur, SmoothsAndKeepsFlatAreas)
{
  GuardedBitmap bm(5, 5);
  bm.fill([](int, int) { return 0x40404040u; });
  bm.at(2, 2) = 0x40404040u + 0x10101010u * 8;  // a bright dot: 0xC0 per channel
  LICE_Blur(&bm, &bm, 0, 0, 0, 0, 5, 5);
  EXPECT_EQ(bm.at(2, 2), 0x60606060u);  // 0x40 + 0x80 * 4/16
  EXPECT_EQ(bm.at(1, 2), 0x50505050u);  // 0x40 + 0x80 * 2/16
  EXPECT_EQ(bm.at(1, 1), 0x48484848u);  // 0x40 + 0x80 * 1/16
  EXPECT_EQ(bm.at(0, 0), 0x40404040u);
  EXPECT_TRUE(bm.guardsIntact());

  // Into another bitmap at an offset, clipped on both sides.
  GuardedBitmap out(3, 3);
  LICE_Blur(&out, &bm, -1, -1, 0, 0, 5, 5);
  EXPECT_EQ(out.at(1, 1), 0x52525252u);  // the blurred dot blurred again
  EXPECT_TRUE(out.guardsIntact());
}

}  // namespace
