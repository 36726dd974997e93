#include <gtest/gtest.h>

#include <string>

#include "IBitmapText.h"
#include "IPopupMenu.h"
#include "graphics_fixture.h"

namespace {

std::string Texts(const IPopupMenu& m)
{
  std::string s;
  for (int i = 0; i < m.GetNItems(); ++i)
    s += std::string(i ? "," : "") + m.GetItemText(i) + (m.IsItemChecked(i) ? "*" : "");
  return s;
}

TEST(PopupMenu, PlacementOfItems)
{
  struct Case
  {
    int index;
    const char* expect;
  } cases[] = {{0, "x,a,b,c"}, {7, "a,b,c,x"}, {-5, "x,a,b,c"}, {-1, "a,b,c,x"}, {1, "a,x,b,c"}, {3, "a,b,c,x"}};
  for (const Case& c : cases) {
    IPopupMenu m;
    for (const char* t : {"a", "b", "c"}) m.AddItem(t);
    m.AddItem("x", c.index);
    EXPECT_EQ(Texts(m), c.expect) << c.index;
  }
}

TEST(PopupMenu, ChecksPrefixSeparatorsAndSubmenus)
{
  IPopupMenu m;
  for (const char* t : {"a", "b", "c", "d"}) m.AddItem(t, -1, IPopupMenuItem::kChecked);
  m.CheckItemAlone(1);
  EXPECT_EQ(Texts(m), "a,b*,c,d");
  m.CheckItemAlone(9);  // outside: clears every check
  EXPECT_EQ(Texts(m), "a,b,c,d");
  EXPECT_FALSE(m.CheckItem(9, true));
  EXPECT_TRUE(m.CheckItem(2, true));
  EXPECT_TRUE(m.IsItemChecked(2));
  EXPECT_FALSE(m.IsItemChecked(-1));
  m.GetItem(2)->SetChecked(false);
  EXPECT_EQ(m.GetItem(2)->GetFlags(), 0);

  m.SetPrefix(2);
  m.SetPrefix(4);  // ignored
  EXPECT_EQ(m.GetPrefix(), 2);
  IPopupMenuItem* sep = m.AddSeparator(0);
  EXPECT_TRUE(sep->GetIsSeparator());
  EXPECT_STREQ(m.GetItemText(0), "");
  IPopupMenu sub;
  IPopupMenuItem* withSub = m.AddItem("more", &sub);
  EXPECT_EQ(withSub->GetSubmenu(), &sub);
  EXPECT_EQ(withSub->GetFlags(), 0);
  EXPECT_EQ(m.GetItem(m.GetNItems()), nullptr);
  EXPECT_EQ(m.GetChosenItemIdx(), -1);
}

// Frame k of the font picture is grey level 10 * k; frame 1 is the space.
struct FontPicture
{
  FontPicture() : bmp(8, 10 * 96)
  {
    for (int k = 0; k < 96; ++k) LICE_FillRect(&bmp, 0, 10 * k, 8, 10, LICE_RGBA(k, k, k, 255), 1.0f, 0);
  }
  LICE_MemBitmap bmp;
  IBitmap handle{&bmp, 8, 960, 96, false};
};

TEST(BitmapText, CentredPlacementAndFrames)
{
  kelvo_test::TestPlug plug;
  kelvo_test::RecordingGraphics g(&plug, 200, 100);
  g.PrepDraw();
  g.SetDrawRectForTest(IRECT(0, 0, 200, 100));
  LICE_Clear(g.GetDrawBitmap(), 0xFFFFFFFF);
  FontPicture font;
  IText centre(10, &COLOR_BLACK, nullptr, IText::kStyleNormal, IText::kAlignCenter);
  IRECT r(0, 0, 100, 20);
  DrawBitmapedText(&g, &font.handle, &r, &centre, nullptr, "AB", false, false, 10, 10, 2);
  // x0 = (100 - 20) / 2 = 40; "A" (65) is state 34 = frame 33, "B" at 52 is frame 34.
  EXPECT_EQ(g.GetPoint(40, 0).R, 33);
  EXPECT_EQ(g.GetPoint(47, 9).R, 33);
  EXPECT_EQ(g.GetPoint(52, 0).R, 34);
  EXPECT_EQ(g.GetPoint(39, 0), COLOR_WHITE);
  EXPECT_EQ(g.GetPoint(49, 0), COLOR_WHITE);  // a 10-wide cell of an 8-wide frame leaves the rest
}

TEST(BitmapText, MultiLineAndNarrowRectangles)
{
  kelvo_test::TestPlug plug;
  kelvo_test::RecordingGraphics g(&plug, 200, 100);
  g.PrepDraw();
  g.SetDrawRectForTest(IRECT(0, 0, 200, 100));
  FontPicture font;
  IText near(10, &COLOR_BLACK, nullptr, IText::kStyleNormal, IText::kAlignNear);
  LICE_Clear(g.GetDrawBitmap(), 0xFFFFFFFF);
  IRECT r(0, 0, 50, 100);
  DrawBitmapedText(&g, &font.handle, &r, &near, nullptr, "ABCDEFGHIJKL", false, true, 10, 10, 0);
  EXPECT_EQ(g.GetPoint(40, 0).R, 'E' - 32);   // five per line
  EXPECT_EQ(g.GetPoint(0, 10).R, 'F' - 32);   // second line
  EXPECT_EQ(g.GetPoint(10, 20).R, 'L' - 32);  // third line, two characters
  EXPECT_EQ(g.GetPoint(20, 20), COLOR_WHITE);
  EXPECT_EQ(g.GetPoint(0, 30), COLOR_WHITE);

  LICE_Clear(g.GetDrawBitmap(), 0xFFFFFFFF);
  for (IRECT narrow : {IRECT(0, 0, 0, 20), IRECT(0, 0, 5, 20), IRECT(10, 0, 5, 20)}) {
    DrawBitmapedText(&g, &font.handle, &narrow, &near, nullptr, "AB", false, true, 10, 10, 0);
    DrawBitmapedText(&g, &font.handle, &narrow, &near, nullptr, "AB", false, false, 10, 10, 0);
  }
  for (int x = 0; x < 20; ++x) EXPECT_EQ(g.GetPoint(x, 5), COLOR_WHITE);

  IBitmapTextControl ctl(&plug, IRECT(0, 40, 100, 60), &font.handle, "", &near, 10, 10);
  ctl.SetClean();
  ctl.SetTextFromPlug("");
  EXPECT_FALSE(ctl.IsDirty());  // unchanged text draws nothing new
  ctl.SetTextFromPlug("Hi");
  EXPECT_TRUE(ctl.IsDirty());
  EXPECT_TRUE(ctl.Draw(&g));
  EXPECT_EQ(g.GetPoint(0, 45).R, 'H' - 32);
}

}  // namespace
