#include <gtest/gtest.h>

#include "IControl.h"
#include "IGraphics.h"
#include "IGraphicsStorage.h"
#include "graphics_fixture.h"
#include "raster/text.h"

namespace {

using kelvo_test::RecordingGraphics;
using kelvo_test::TestPlug;

// A vertical strip of n frames of w x h, frame k filled with grey level k.
LICE_MemBitmap* Strip(int w, int h, int n, bool horizontal)
{
  LICE_MemBitmap* b = new LICE_MemBitmap(horizontal ? w * n : w, horizontal ? h : h * n);
  for (int k = 0; k < n; ++k) {
    const LICE_pixel px = LICE_RGBA(k, k, k, 255);
    if (horizontal)
      LICE_FillRect(b, k * w, 0, w, h, px, 1.0f, LICE_BLIT_MODE_COPY);
    else
      LICE_FillRect(b, 0, k * h, w, h, px, 1.0f, LICE_BLIT_MODE_COPY);
  }
  return b;
}

struct Canvas
{
  Canvas() : g(&plug, 200, 200) { g.PrepDraw(); }
  void SetDrawRect(IRECT r) { g.SetDrawRectForTest(r); }
  TestPlug plug;
  RecordingGraphics g;
};

TEST(Drawing, FrameSelectionOfStrips)
{
  Canvas c;
  c.SetDrawRect(IRECT(0, 0, 200, 200));
  LICE_MemBitmap* vertical = Strip(48, 48, 31, false);  // 48 x 1488
  IBitmap knob(vertical, 48, 1488, 31, false);
  struct
  {
    int state, grey;
  } cases[] = {{1, 0}, {2, 1}, {16, 15}, {31, 30}, {0, 0}, {40, 30}};
  for (auto& t : cases) {
    IRECT dest(10, 10, 58, 58);
    if (t.state == 40) continue;  // beyond the strip the source lies outside the picture: clipped
    c.g.DrawBitmap(&knob, &dest, t.state, nullptr);
    EXPECT_EQ(c.g.GetPoint(10, 10).R, t.grey) << "state " << t.state;
    EXPECT_EQ(c.g.GetPoint(57, 57).R, t.grey) << "state " << t.state;
  }
  LICE_MemBitmap* horizontal = Strip(50, 20, 2, true);  // width 100
  IBitmap sw(horizontal, 100, 20, 2, true);
  IRECT dest(0, 100, 50, 120);
  c.g.DrawBitmap(&sw, &dest, 2, nullptr);
  EXPECT_EQ(c.g.GetPoint(0, 100).R, 1);
  delete vertical;
  delete horizontal;
}

TEST(Drawing, BlitsAreClippedToTheDrawRectangleWithShiftedSource)
{
  Canvas c;
  LICE_MemBitmap* pic = new LICE_MemBitmap(20, 20);
  for (int x = 0; x < 20; ++x) LICE_FillRect(pic, x, 0, 1, 20, LICE_RGBA(x * 10, 0, 0, 255), 1.0f, LICE_BLIT_MODE_COPY);
  IBitmap b(pic, 20, 20);
  LICE_Clear(c.g.GetDrawBitmap(), LICE_RGBA(0, 0, 255, 255));
  c.SetDrawRect(IRECT(50, 0, 200, 200));
  IRECT dest(40, 0, 60, 20);  // half outside on the left
  c.g.DrawBitmap(&b, &dest, 0, 0, nullptr);
  EXPECT_EQ(c.g.GetPoint(45, 5), IColor(255, 0, 0, 255));  // outside the draw rectangle: untouched
  EXPECT_EQ(c.g.GetPoint(50, 5).R, 100);                   // source column 10
  EXPECT_EQ(c.g.GetPoint(59, 5).R, 190);
  delete pic;
}

TEST(Drawing, BlendMethodsMapToModeWords)
{
  struct
  {
    int method;
    int mode;
  } cases[] = {{IChannelBlend::kBlendNone, 0x10000},
               {IChannelBlend::kBlendClobber, 0},
               {IChannelBlend::kBlendAdd, 0x10001},
               {IChannelBlend::kBlendColorDodge, 0x10002},
               {7, 0x10000},
               {-1, 0x10000}};
  for (auto& t : cases) EXPECT_EQ(IChannelBlend(t.method).ModeWord(), t.mode) << t.method;

  // Clobber at weight 0.5 ignores the source alpha and mixes half and half.
  Canvas c;
  c.SetDrawRect(IRECT(0, 0, 200, 200));
  LICE_Clear(c.g.GetDrawBitmap(), LICE_RGBA(0, 0, 0, 255));
  LICE_MemBitmap* pic = new LICE_MemBitmap(4, 4);
  LICE_Clear(pic, LICE_RGBA(200, 100, 50, 0));
  IBitmap b(pic, 4, 4);
  IChannelBlend half(IChannelBlend::kBlendClobber, 0.5f);
  IRECT dest(0, 0, 4, 4);
  c.g.DrawBitmap(&b, &dest, 1, &half);
  EXPECT_NEAR(c.g.GetPoint(1, 1).R, 100, 1);
  IChannelBlend none;
  LICE_Clear(c.g.GetDrawBitmap(), LICE_RGBA(0, 0, 0, 255));
  c.g.DrawBitmap(&b, &dest, 1, &none);  // source alpha 0: nothing shows
  EXPECT_EQ(c.g.GetPoint(1, 1).R, 0);
  delete pic;
}

TEST(Drawing, ShapesLandWhereTheirRasterCallsPutThem)
{
  Canvas c;
  c.SetDrawRect(IRECT(0, 0, 200, 200));
  LICE_Clear(c.g.GetDrawBitmap(), 0xFF000000);
  IRECT r(10, 10, 30, 20);
  c.g.FillIRect(&COLOR_WHITE, &r, nullptr);
  EXPECT_EQ(c.g.GetPoint(10, 10), COLOR_WHITE);
  EXPECT_EQ(c.g.GetPoint(29, 19), COLOR_WHITE);
  EXPECT_EQ(c.g.GetPoint(30, 19), COLOR_BLACK);  // right and bottom exclusive
  IRECT frame(50, 50, 60, 60);
  c.g.DrawRect(&COLOR_RED, &frame);
  EXPECT_EQ(c.g.GetPoint(60, 60), COLOR_RED);  // lines reach R and B inclusive
  EXPECT_EQ(c.g.GetPoint(55, 55), COLOR_BLACK);
  c.g.ForcePixel(&COLOR_GREEN, 100, 100);
  EXPECT_EQ(c.g.GetPoint(100, 100), COLOR_GREEN);
  IRECT vr(100, 150, 120, 170);
  c.g.DrawVerticalLine(&COLOR_BLUE, &vr, 2.0f);  // clamped to 1: the right edge
  EXPECT_EQ(c.g.GetPoint(120, 160), COLOR_BLUE);
  c.g.DrawRadialLine(&COLOR_YELLOW, 150.0f, 150.0f, 0.0f, 0.0f, 10.0f, nullptr, false);  // straight up
  EXPECT_EQ(c.g.GetPoint(150, 141), COLOR_YELLOW);
}

TEST(Drawing, PictureCacheIdentityRetainAndRelease)
{
  TestPlug plug;
  RecordingGraphics g(&plug, 10, 10);
  g.pictures[101] = {16, 64};
  const int before = s_bitmapCache.Count();
  IBitmap one = g.LoadIBitmap(101, "knob.png", 1);
  IBitmap many = g.LoadIBitmap(101, "other-name.png", 31);
  EXPECT_EQ(one.mData, many.mData);  // loaded once per resource number
  EXPECT_EQ(one.N, 1);
  EXPECT_EQ(many.N, 31);
  EXPECT_EQ(g.loads, 1);
  g.RetainBitmap(&one);
  EXPECT_EQ(s_bitmapCache.Count(), before + 2);
  g.ReleaseBitmap(&one);  // the first entry goes; the retained one still holds the pixels
  EXPECT_EQ(s_bitmapCache.Count(), before + 1);
  EXPECT_EQ(one.mData->getWidth(), 16);  // still readable (the sanitizer run checks)
  g.ReleaseBitmap(&one);                 // the last holder: now the pixels go
  EXPECT_EQ(s_bitmapCache.Count(), before);

  IBitmap missing = g.LoadIBitmap(999, "missing.png", 2);
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(missing.N, 2);
  IBitmapControl ctl(&plug, 0, 0, -1, &missing);
  g.PrepDraw();
  EXPECT_TRUE(ctl.Draw(&g));  // draws nothing, never crashes
}

TEST(Drawing, ScaleAndCropMakeNewCachedPictures)
{
  TestPlug plug;
  RecordingGraphics g(&plug, 10, 10);
  LICE_MemBitmap* src = Strip(10, 10, 2, true);
  IBitmap b(src, 20, 10, 2, true);
  const int before = s_bitmapCache.Count();
  IBitmap scaled = g.ScaleBitmap(&b, 40, 20);
  EXPECT_EQ(scaled.W, 40);
  EXPECT_EQ(scaled.N, 2);
  EXPECT_FALSE(scaled.mFramesAreHorizontal);  // made pictures are vertical
  IRECT crop(10, 0, 20, 10);
  IBitmap cropped = g.CropBitmap(&b, &crop);
  EXPECT_EQ(cropped.W, 10);
  EXPECT_EQ(LICE_GETR(LICE_GetPixel(cropped.mData, 0, 0)), 1u);
  EXPECT_EQ(s_bitmapCache.Count(), before + 2);
  g.ReleaseBitmap(&scaled);
  g.ReleaseBitmap(&cropped);
  delete src;
}

TEST(Drawing, TextMeasuringAndFonts)
{
  Canvas c;
  IText t(12, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  EXPECT_TRUE(c.g.DrawIText(&t, "", nullptr));  // empty: true, no font made
  EXPECT_EQ(t.mCached, nullptr);
  IRECT r(10, 20, 110, 40);
  ASSERT_TRUE(c.g.DrawIText(&t, "abc", &r, true));
  ASSERT_NE(t.mCached, nullptr);
  EXPECT_EQ(r.L, 10);
  EXPECT_GT(r.R, 10);
  EXPECT_LT(r.R, 60);
  EXPECT_EQ(r.T, 20);
  EXPECT_GT(r.B, 20);
  const int w = r.R - r.L;
  IText centred = t;
  centred.mAlign = IText::kAlignCenter;
  IRECT rc(0, 0, 100, 10);
  c.g.DrawIText(&centred, "abc", &rc, true);
  EXPECT_EQ(rc.L, 50 - w / 2);
  EXPECT_EQ(rc.R - rc.L, w);
  IText far = t;
  far.mAlign = IText::kAlignFar;
  IRECT rf(0, 0, 100, 10);
  c.g.DrawIText(&far, "abc", &rf, true);
  EXPECT_EQ(rf.R, 100);
  EXPECT_EQ(rf.L, 100 - w);

  // The same style finds the cached font; size 1 asks the platform for height 2.
  IText again(12, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  EXPECT_EQ(IGraphics::CacheFont(&again), t.mCached);
  IText tiny(1, &COLOR_BLACK, "DejaVu Sans");
  LICE_IFont* f = IGraphics::CacheFont(&tiny);
  ASSERT_NE(f, nullptr);
  EXPECT_LE(f->GetLineHeight(), 4);

  // Drawn text reaches the back buffer in its colour.
  c.SetDrawRect(IRECT(0, 0, 200, 200));
  LICE_Clear(c.g.GetDrawBitmap(), 0xFFFFFFFF);
  IText big(24, &COLOR_BLACK, "DejaVu Sans", IText::kStyleBold, IText::kAlignNear);
  IRECT box(5, 5, 195, 60);
  ASSERT_TRUE(c.g.DrawIText(&big, "KELVO", &box));
  int dark = 0;
  for (int y = 5; y < 60; ++y)
    for (int x = 5; x < 195; ++x) dark += c.g.GetPoint(x, y).R < 64;
  EXPECT_GT(dark, 100);
}

}  // namespace

// Pictures that are opaque are recognised when loaded or made; drawing one gives the same pixels
// as the source-alpha blit it stands for, at full weight and when grayed.
TEST(Drawing, OpaquePicturesDrawAsTheirSourceAlphaBlit)
{
  Canvas c;
  c.g.pictures[301] = {10, 10};  // the fixture's pictures are opaque white
  IBitmap loaded = c.g.LoadIBitmap(301, "opaque.png");
  EXPECT_TRUE(loaded.mOpaque);
  EXPECT_TRUE(c.g.LoadIBitmap(301, "opaque.png", 2).mOpaque) << "found again in the cache";
  IRECT part(0, 0, 5, 5);
  EXPECT_TRUE(c.g.CropBitmap(&loaded, &part).mOpaque);

  LICE_MemBitmap* holed = Strip(4, 4, 1, false);
  LICE_PutPixel(holed, 2, 2, LICE_RGBA(1, 2, 3, 100), 1.0f, LICE_BLIT_MODE_COPY);
  IBitmap seeThrough(holed, 4, 4);
  IRECT whole(0, 0, 4, 4);
  EXPECT_FALSE(c.g.CropBitmap(&seeThrough, &whole).mOpaque);
  delete holed;

  struct
  {
    const char* name;
    IChannelBlend blend;
  } cases[] = {
      {"full weight", IChannelBlend(IChannelBlend::kBlendNone, 1.0f)},
      {"grayed", IChannelBlend(IChannelBlend::kBlendNone, 0.25f)},
      {"added", IChannelBlend(IChannelBlend::kBlendAdd, 1.0f)},
  };
  for (auto& t : cases) {
    SCOPED_TRACE(t.name);
    c.SetDrawRect(IRECT(0, 0, 200, 200));
    LICE_Clear(c.g.GetDrawBitmap(), LICE_RGBA(10, 20, 30, 200));
    LICE_MemBitmap want(20, 20);
    LICE_Clear(&want, LICE_RGBA(10, 20, 30, 200));
    LICE_Blit(&want, loaded.mData, 3, 4, 0, 0, 10, 10, t.blend.mWeight, t.blend.ModeWord());
    IRECT dest(3, 4, 13, 14);
    c.g.DrawBitmap(&loaded, &dest, 1, &t.blend);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x)
        ASSERT_EQ(LICE_GetPixel(c.g.GetDrawBitmap(), x, y), LICE_GetPixel(&want, x, y)) << x << "," << y;
  }
}
