// Memory and system bitmaps: alignment, row spans and the resize rules.

#include <gtest/gtest.h>

#include <cstdint>

#include "helpers.h"
#include "raster/lice.h"

namespace {

bool Aligned64(const void* p) { return ((uintptr_t)p & 63) == 0; }

TEST(RasterMemBitmap, RowSpanAndAlignment)
{
  struct
  {
    int w;
    unsigned linealign;
    int span;
  } cases[] = {
      {5, 4, 8}, {8, 4, 8}, {1, 4, 4}, {5, 1, 5}, {5, 0, 5}, {5, 6, 6}, {5, 64, 16}, {17, 16, 32}, {3, 2, 4},
  };
  for (const auto& c : cases) {
    LICE_MemBitmap bm(c.w, 3, c.linealign);
    EXPECT_EQ(bm.getWidth(), c.w);
    EXPECT_EQ(bm.getHeight(), 3);
    EXPECT_EQ(bm.getRowSpan(), c.span) << c.w << " align " << c.linealign;
    ASSERT_NE(bm.getBits(), nullptr);
    EXPECT_TRUE(Aligned64(bm.getBits()));
    // Every pixel of every row is writable (the sanitizers watch the last one).
    bm.getBits()[c.span * 3 - 1] = 1;
    EXPECT_FALSE(bm.isFlipped());
    EXPECT_EQ(bm.getDC(), nullptr);
    EXPECT_EQ(bm.Extended(1, nullptr), 0);
  }
  LICE_MemBitmap empty;
  EXPECT_EQ(empty.getBits(), nullptr);
  EXPECT_EQ(empty.getWidth(), 0);
  LICE_MemBitmap half(5, 0);
  EXPECT_EQ(half.getBits(), nullptr);
  EXPECT_EQ(half.getWidth(), 0);
}

TEST(RasterMemBitmap, ResizeKeepsGrowsAndFrees)
{
  LICE_MemBitmap bm(10, 10, 4);
  LICE_pixel* bits = bm.getBits();
  EXPECT_EQ(bm.getAllocatedSize(), 12 * 10 * 4);
  EXPECT_FALSE(bm.resize(10, 10));

  // Smaller: the buffer stays.
  EXPECT_TRUE(bm.resize(4, 3));
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_EQ(bm.getRowSpan(), 4);
  EXPECT_EQ(bm.getAllocatedSize(), 480);
  // Larger than held: grows with a quarter headroom.
  EXPECT_TRUE(bm.resize(20, 10));
  EXPECT_EQ(bm.getAllocatedSize(), 20 * 10 * 4 / 4 * 5);
  EXPECT_TRUE(Aligned64(bm.getBits()));
  // Within the headroom: no new buffer.
  bits = bm.getBits();
  EXPECT_TRUE(bm.resize(24, 10));
  EXPECT_EQ(bm.getBits(), bits);

  // 0 x 0, negative sizes and sizes beyond addressable memory leave an empty bitmap.
  const int sizes[][2] = {{0, 0}, {-4, 5}, {5, -1}, {100000, 100000}, {0x7fffffff, 2}};
  for (const auto& s : sizes) {
    LICE_MemBitmap b(8, 8);
    EXPECT_TRUE(b.resize(s[0], s[1]));
    EXPECT_EQ(b.getBits(), nullptr);
    EXPECT_EQ(b.getWidth(), 0);
    EXPECT_EQ(b.getHeight(), 0);
    EXPECT_EQ(b.getAllocatedSize(), 0);
    EXPECT_TRUE(b.resize(3, 2));
    EXPECT_NE(b.getBits(), nullptr);
  }
}

TEST(RasterSysBitmap, ContextBackedAndOnlyGrows)
{
  LICE_SysBitmap bm(5, 3);
  ASSERT_NE(bm.getDC(), nullptr);
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getBits(), SWELL_GetCtxFrameBuffer(bm.getDC()));
  EXPECT_TRUE(Aligned64(bm.getBits()));
  EXPECT_EQ(bm.getWidth(), 5);
  EXPECT_EQ(bm.getRowSpan(), 8);
  bm.getBits()[8 * 3 - 1] = 0x01020304;

  LICE_pixel* bits = bm.getBits();
  HDC dc = bm.getDC();
  EXPECT_FALSE(bm.resize(5, 3));
  EXPECT_TRUE(bm.resize(2, 2));
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_EQ(bm.getDC(), dc);
  EXPECT_EQ(bm.getRowSpan(), 8);
  EXPECT_EQ(bm.getWidth(), 2);

  EXPECT_TRUE(bm.resize(9, 4));
  EXPECT_EQ(bm.getRowSpan(), 12);
  ASSERT_NE(bm.getBits(), nullptr);
  bm.getBits()[12 * 4 - 1] = 0;
  LICE_FillRect(&bm, 0, 0, 9, 4, 0xFF102030, 1.0f, 0);
  EXPECT_EQ(LICE_GetPixel(&bm, 8, 3), 0xFF102030u);

  for (int w : {0, -3}) {
    LICE_SysBitmap b(4, 4);
    EXPECT_TRUE(b.resize(w, 4));
    EXPECT_EQ(b.getBits(), nullptr);
    EXPECT_EQ(b.getDC(), nullptr);
    EXPECT_EQ(b.getWidth(), 0);
    EXPECT_EQ(b.getHeight(), 0);
  }
  LICE_SysBitmap empty;
  EXPECT_EQ(empty.getBits(), nullptr);
}

TEST(RasterBitmapCmp, FindsTheDifferingArea)
{
  GuardedBitmap a(6, 5), b(6, 5, true), c(5, 6);
  a.fill(Pattern);
  b.fill(Pattern);
  int r[4] = {-1, -1, -1, -1};
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, r), 0);
  EXPECT_EQ(r[0], -1);
  EXPECT_EQ(LICE_BitmapCmp(&a, &c), 1);
  EXPECT_EQ(LICE_BitmapCmp(nullptr, nullptr), 0);
  b.at(4, 1) ^= 1;
  b.at(1, 3) ^= 0x01000000;
  EXPECT_EQ(LICE_BitmapCmp(&a, &b), 2);
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, r), 2);
  EXPECT_EQ(r[0], 1);
  EXPECT_EQ(r[1], 1);
  EXPECT_EQ(r[2], 4);
  EXPECT_EQ(r[3], 3);
}

}  // namespace
