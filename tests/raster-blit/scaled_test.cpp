// Scaled and rotated blits: one-to-one agreement with the straight blit, interpolation,
// the shrinking filter, mirroring, and no access outside either bitmap.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "helpers.h"
#include "raster/lice.h"

namespace {

const float kPi = 3.14159265358979f;

// Per-channel mean of the given pixels, truncated.
LICE_pixel Mean(std::initializer_list<LICE_pixel> px)
{
  unsigned sum[4] = {0, 0, 0, 0};
  for (LICE_pixel p : px)
    for (int c = 0; c < 4; c++) sum[c] += (p >> (8 * c)) & 0xff;
  LICE_pixel out = 0;
  for (int c = 0; c < 4; c++) out |= (sum[c] / (unsigned)px.size()) << (8 * c);
  return out;
}

TEST(RasterScaledBlit, OneToOneEqualsTheStraightBlit)
{
  struct
  {
    float srcx, srcy;
    int dstx, dsty;
    float weight;
    int mode;
  } cases[] = {
      {0, 0, 0, 0, 1.0f, 0},        {1, 2, 0, 0, 1.0f, LICE_BLIT_FILTER_BILINEAR},
      {2, 1, -1, 3, 0.6f, 0x10000}, {-2, -1, 1, 1, 1.0f, LICE_BLIT_MODE_ADD},
      {1.4f, 0.2f, 0, 0, 0.5f, 0},  {3.02f, 1, 2, 2, 1.0f, LICE_BLIT_FILTER_BILINEAR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.srcx << "," << c.srcy << " mode " << c.mode);
    GuardedBitmap src(7, 6), a(8, 8), b(8, 8);
    src.fill(Pattern);
    a.fill([](int x, int y) { return Pattern(y, x + 1); });
    b.fill([](int x, int y) { return Pattern(y, x + 1); });
    LICE_ScaledBlit(&a, &src, c.dstx, c.dsty, 4, 3, c.srcx, c.srcy, 4, 3, c.weight, c.mode);
    LICE_Blit(&b, &src, c.dstx, c.dsty, (int)(c.srcx + 0.5f), (int)(c.srcy + 0.5f), 4, 3, c.weight, c.mode);
    for (int y = 0; y < 8; y++)
      for (int x = 0; x < 8; x++) ASSERT_EQ(a.at(x, y), b.at(x, y)) << x << "," << y;
    EXPECT_TRUE(a.guardsIntact());
  }
}

TEST(RasterScaledBlit, HalfPixelOriginWithFilterResamples)
{
  GuardedBitmap src(4, 1), dest(3, 1);
  src.fill([](int x, int) { return LICE_RGBA(x * 40, 255 - x * 40, 0, 255); });
  LICE_ScaledBlit(&dest, &src, 0, 0, 3, 1, 0.5f, 0.0f, 3, 1, 1.0f, LICE_BLIT_FILTER_BILINEAR);
  for (int x = 0; x < 3; x++) EXPECT_EQ(dest.at(x, 0), Mean({src.at(x, 0), src.at(x + 1, 0)})) << x;
}

TEST(RasterScaledBlit, UpscalingInterpolatesWithinTheSource)
{
  GuardedBitmap src(3, 2), dest(6, 4);
  src.fill(Pattern);
  LICE_ScaledBlit(&dest, &src, 0, 0, 6, 4, 0, 0, 3, 2, 1.0f, LICE_BLIT_FILTER_BILINEAR);
  auto s = [&](int x, int y) { return src.at(x, y); };
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 6; x++) {
      // Even positions hit source pixels; odd ones lie halfway, except past the last column
      // and row, which only blend along the other axis.
      const int sx = x / 2, sy = y / 2;
      const bool hx = (x & 1) && sx + 1 < 3, hy = (y & 1) && sy + 1 < 2;
      LICE_pixel want;
      if (hx && hy)
        want = Mean({s(sx, sy), s(sx + 1, sy), s(sx, sy + 1), s(sx + 1, sy + 1)});
      else if (hx)
        want = Mean({s(sx, sy), s(sx + 1, sy)});
      else if (hy)
        want = Mean({s(sx, sy), s(sx, sy + 1)});
      else
        want = s(sx, sy);
      EXPECT_EQ(dest.at(x, y), want) << x << "," << y;
    }
  EXPECT_TRUE(dest.guardsIntact());

  // Without the filter each source pixel is repeated.
  LICE_ScaledBlit(&dest, &src, 0, 0, 6, 4, 0, 0, 3, 2, 1.0f, LICE_BLIT_MODE_COPY);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 6; x++) EXPECT_EQ(dest.at(x, y), s(x / 2, y / 2));
}

TEST(RasterScaledBlit, ShrinkingWithFilterAveragesABox)
{
  // Shrinking by 2 or 3 averages 3 x 3 pixels around each sample, by more than 3 5 x 5; pixels
  // outside the source are left out.
  for (int factor : {2, 3, 4}) {
    GuardedBitmap src(24, 12), dest(24 / factor, 12 / factor);
    src.fill(Pattern);
    LICE_ScaledBlit(&dest, &src, 0, 0, 24 / factor, 12 / factor, 0, 0, 24, 12, 1.0f, LICE_BLIT_FILTER_BILINEAR);
    const int k = factor > 3 ? 2 : 1;
    for (int y = 0; y < 12 / factor; y++)
      for (int x = 0; x < 24 / factor; x++) {
        unsigned sum[4] = {0, 0, 0, 0}, n = 0;
        for (int yy = factor * y - k; yy <= factor * y + k; yy++)
          for (int xx = factor * x - k; xx <= factor * x + k; xx++) {
            if (xx < 0 || yy < 0 || xx >= 24 || yy >= 12) continue;
            n++;
            for (int c = 0; c < 4; c++) sum[c] += (src.at(xx, yy) >> (8 * c)) & 0xff;
          }
        LICE_pixel want = 0;
        for (int c = 0; c < 4; c++) want |= (sum[c] / n) << (8 * c);
        ASSERT_EQ(dest.at(x, y), want) << "factor " << factor << " at " << x << "," << y;
      }
  }
}

TEST(RasterScaledBlit, NegativeSizesMirror)
{
  GuardedBitmap src(5, 4);
  src.fill(Pattern);
  struct
  {
    int dstw, dsth;
    float srcw, srch;
    bool mx, my;
  } cases[] = {
      {-5, 4, 5, 4, true, false}, {5, -4, 5, 4, false, true},   {-5, -4, 5, 4, true, true},
      {5, 4, -5, 4, true, false}, {-5, 4, -5, -4, false, true},
  };
  for (const auto& c : cases)
    for (bool rotated : {false, true}) {
      GuardedBitmap dest(5, 4);
      const int dstx = c.dstw < 0 ? 5 : 0, dsty = c.dsth < 0 ? 4 : 0;
      const float srcx = c.srcw < 0 ? 5.0f : 0.0f, srcy = c.srch < 0 ? 4.0f : 0.0f;
      if (rotated) {
        // Unturned, with the source sampled at pixel centres.
        if (c.srcw < 0 || c.srch < 0) continue;
        LICE_RotatedBlit(&dest, &src, dstx, dsty, c.dstw, c.dsth, 0, 0, c.srcw, c.srch, 0.0f, false, 1.0f, 0, 0.5f,
                         0.5f);
      } else
        LICE_ScaledBlit(&dest, &src, dstx, dsty, c.dstw, c.dsth, srcx, srcy, c.srcw, c.srch, 1.0f, 0);
      for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++)
          EXPECT_EQ(dest.at(x, y), src.at(c.mx ? 4 - x : x, c.my ? 3 - y : y))
              << x << "," << y << " case " << c.dstw << "x" << c.dsth << (rotated ? " rotated" : "");
    }
}

TEST(RasterScaledBlit, ClippingTheDestinationCutsTheSameImage)
{
  // Drawn into a small bitmap placed at (ox, oy) of a large one, a blit gives the large one's
  // pixels there: clipping moves no sample. Bottom-up rows make no difference either.
  struct
  {
    int dstw, dsth;
    float srcx, srcy, srcw, srch;
    int mode;
    float angle;
  } cases[] = {
      {13, 9, 0, 0, 5, 4, 0, 0},
      {13, 9, 0.5f, 0.25f, 4.5f, 3.5f, LICE_BLIT_FILTER_BILINEAR, 0},
      {-13, 9, 0, 0, 5, 4, LICE_BLIT_FILTER_BILINEAR, 0},
      {9, -7, 1, 0, -4, 4, LICE_BLIT_FILTER_BILINEAR | LICE_BLIT_USE_ALPHA, 0},
      {2, 2, 0, 0, 5, 4, LICE_BLIT_FILTER_BILINEAR, 0},
      {-13, -9, 0, 0, 5, 4, LICE_BLIT_FILTER_BILINEAR, 0.7f},
      {11, 8, 0, 0, 5, 4, 0, -2.1f},
  };
  const int offsets[][2] = {{3, 2}, {6, 0}, {0, 5}, {9, 8}};
  for (const auto& c : cases)
    for (bool rotated : {false, true}) {
      if (c.angle != 0 && !rotated) continue;
      GuardedBitmap src(5, 4, true), big(16, 12);
      src.fill(Pattern);
      auto draw = [&](LICE_IBitmap* dest, int x, int y) {
        if (rotated)
          LICE_RotatedBlit(dest, &src, x, y, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch, c.angle, false, 0.8f,
                           c.mode, 0.25f, 0.5f);
        else
          LICE_ScaledBlit(dest, &src, x, y, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch, 0.8f, c.mode);
      };
      const int x0 = c.dstw < 0 ? 14 : 1, y0 = c.dsth < 0 ? 10 : 1;
      draw(&big, x0, y0);
      for (const auto& o : offsets) {
        GuardedBitmap small(5, 3, true);
        draw(&small, x0 - o[0], y0 - o[1]);
        for (int y = 0; y < 3; y++)
          for (int x = 0; x < 5; x++)
            ASSERT_EQ(small.at(x, y), big.at(x + o[0], y + o[1]))
                << (rotated ? "rotated " : "scaled ") << c.dstw << "x" << c.dsth << " offset " << o[0] << "," << o[1]
                << " at " << x << "," << y;
        EXPECT_TRUE(small.guardsIntact());
      }
    }
}

TEST(RasterScaledBlit, NeverTouchesOutsideEitherBitmap)
{
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  struct
  {
    int dstx, dsty, dstw, dsth;
    float srcx, srcy, srcw, srch;
  } cases[] = {
      {-3, -2, 20, 15, -1.5f, -2.5f, 9, 8},
      {2, 1, 3, 2, 4.5f, 3.5f, 30, 30},
      {0, 0, 9, 7, 0.3f, 0.7f, 5.9f, 4.9f},
      {-100, -100, 300, 300, 0, 0, 5, 4},
      {5, 5, -9, -7, 0, 0, 5, 4},
      {0, 0, 9, 7, 1e9f, 1e9f, 5, 4},
      {0, 0, 9, 7, 0, 0, 1e12f, 1e12f},
      {0, 0, 9, 7, nan, 0, 5, 4},
      {0, 0, 9, 7, 0, 0, inf, 4},
      {0, 0, 1000000, 1000000, 0, 0, 0.5f, 0.5f},
      {8, 6, 1, 1, 4.99f, 3.99f, 0.01f, 0.01f},
      {0, 0, 9, 7, 0, 0, -5, -4},
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 5, 4},
      {0, 0, 1, INT_MAX, 0, 0, 1e9f, 4},
      {INT_MAX, 0, INT_MIN, 7, 0, 0, 5, 4},
      {-7, -5, 20, 15, -1e9f, 1e9f, 1e9f, -1e9f},
  };
  for (int mode : {0, LICE_BLIT_FILTER_BILINEAR, LICE_BLIT_FILTER_BILINEAR | LICE_BLIT_USE_ALPHA | 1})
    for (const auto& c : cases) {
      // The source has no padding, so a read past its last pixel leaves its allocation.
      GuardedBitmap src(5, 4, false, 0), dest(9, 7);
      src.fill(Pattern);
      LICE_ScaledBlit(&dest, &src, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch, 0.7f, mode);
      EXPECT_TRUE(dest.guardsIntact()) << c.dstx << "," << c.dsty << " " << c.dstw << "x" << c.dsth;
      LICE_RotatedBlit(&dest, &src, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch, 0.6f, false, 0.7f,
                       mode, 1.5f, -2.0f);
      EXPECT_TRUE(dest.guardsIntact());
    }
}

TEST(RasterRotatedBlit, QuarterAndHalfTurns)
{
  GuardedBitmap src(4, 4);
  src.fill(Pattern);
  struct
  {
    float angle;
    int (*sx)(int, int);
    int (*sy)(int, int);
  } cases[] = {
      {0.0f, [](int x, int) { return x; }, [](int, int y) { return y; }},
      {kPi, [](int x, int) { return 3 - x; }, [](int, int y) { return 3 - y; }},
      {kPi / 2, [](int, int y) { return y; }, [](int x, int) { return 3 - x; }},
  };
  for (const auto& c : cases) {
    GuardedBitmap dest(4, 4);
    // A centre offset of half a turned pixel puts every sample on a pixel centre, away from
    // rounding edges.
    const float cx = 0.5f * (std::cos(c.angle) + std::sin(c.angle)),
                cy = 0.5f * (std::cos(c.angle) - std::sin(c.angle));
    LICE_RotatedBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 4, 4, c.angle, false, 1.0f, 0, cx, cy);
    for (int y = 0; y < 4; y++)
      for (int x = 0; x < 4; x++)
        EXPECT_EQ(dest.at(x, y), src.at(c.sx(x, y), c.sy(x, y))) << c.angle << " " << x << "," << y;
  }
}

TEST(RasterRotatedBlit, ClipToSourceSamplesOnlyTheSourceArea)
{
  GuardedBitmap src(6, 6), dest(3, 3);
  src.fill(Pattern);
  dest.fill([](int, int) { return 0x12345678u; });
  // Shifted one pixel right by the centre offset: the last column would sample column 4.
  LICE_RotatedBlit(&dest, &src, 0, 0, 3, 3, 1, 1, 3, 3, 0.0f, true, 1.0f, 0, 1.0f, 0.0f);
  for (int y = 0; y < 3; y++) {
    EXPECT_EQ(dest.at(0, y), src.at(2, y + 1));
    EXPECT_EQ(dest.at(1, y), src.at(3, y + 1));
    EXPECT_EQ(dest.at(2, y), 0x12345678u);
  }
}

}  // namespace
