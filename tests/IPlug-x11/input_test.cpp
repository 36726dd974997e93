// How X input becomes the editor's: key numbers, button modifiers, double clicks, the text filter
// and the menu's item titles.

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "IParam.h"
#include "IPopupMenu.h"
#include "IPlug-graphics/graphics_fixture.h"
#include "x11/IGraphicsX11.h"
#include "x11/X11Input.h"
#include "x11/X11Prompts.h"

namespace {

TEST(X11Input, KeyNumbers)
{
  const struct
  {
    KeySym sym;
    int number;
  } cases[] = {
      {XK_space, 0},  {XK_Up, 1},      {XK_Down, 2},  {XK_Left, 3},    {XK_Right, 4},       {XK_0, 5},
      {XK_9, 14},     {XK_a, 15},      {XK_A, 15},    {XK_q, 31},      {XK_z, 40},          {XK_Z, 40},
      {XK_minus, -1}, {XK_Return, -1}, {XK_KP_1, -1}, {XK_Escape, -1}, {XK_adiaeresis, -1}, {NoSymbol, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(X11KeyNumber(c.sym), c.number) << XKeysymToString(c.sym);
}

TEST(X11Input, ButtonsAndModifiers)
{
  const struct
  {
    const char* name;
    unsigned button, state;
    bool L, R, S, C, A;
  } cases[] = {
      {"left", Button1, 0, true, false, false, false, false},
      {"right", Button3, 0, false, true, false, false, false},
      {"left with Super acts as Command", Button1, Mod4Mask, true, true, false, false, false},
      {"shift, control, alt", Button1, ShiftMask | ControlMask | Mod1Mask, true, false, true, true, true},
      {"right with shift", Button3, ShiftMask, false, true, true, false, false},
      {"drag with the left button", 0, Button1Mask, true, false, false, false, false},
      {"drag with the right button", 0, Button3Mask | ControlMask, false, true, false, true, false},
      {"drag with both", 0, Button1Mask | Button3Mask, true, false, false, false, false},
      {"caps lock is no modifier", Button1, LockMask, true, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const IMouseMod m = X11MouseMod(c.button, c.state);
    EXPECT_EQ(m.L, c.L);
    EXPECT_EQ(m.R, c.R);
    EXPECT_EQ(m.S, c.S);
    EXPECT_EQ(m.C, c.C);
    EXPECT_EQ(m.A, c.A);
  }
}

TEST(X11Input, DoubleClicks)
{
  const struct
  {
    const char* name;
    Time t1, t2;
    int dx, dy;
    bool dbl;
  } cases[] = {
      {"quick, same place", 1000, 1200, 0, 0, true}, {"at the limit", 1000, 1400, 4, -4, true},
      {"too slow", 1000, 1401, 0, 0, false},         {"too far", 1000, 1100, 5, 0, false},
      {"too far down", 1000, 1100, 0, -5, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    X11ClickCounter k;
    EXPECT_FALSE(k.Press(c.t1, 50, 50));
    EXPECT_EQ(k.Press(c.t2, 50 + c.dx, 50 + c.dy), c.dbl);
  }
  // A third quick press starts over; a reset forgets the first press.
  X11ClickCounter k;
  EXPECT_FALSE(k.Press(10, 0, 0));
  EXPECT_TRUE(k.Press(20, 0, 0));
  EXPECT_FALSE(k.Press(30, 0, 0));
  k.Reset();
  EXPECT_FALSE(k.Press(40, 0, 0));
}

TEST(X11Input, TextFieldFilter)
{
  IParam d, i, e, b, none;
  d.InitDouble("D", 0.0, -1.0, 1.0, 0.01);
  i.InitInt("I", 0, 0, 10);
  e.InitEnum("E", 0, 3);
  b.InitBool("B", false);
  EXPECT_STREQ(X11EntryCharacters(&d), "0123456789.-+");
  EXPECT_STREQ(X11EntryCharacters(&i), "0123456789-+");
  EXPECT_STREQ(X11EntryCharacters(&e), "0123456789-+");
  EXPECT_STREQ(X11EntryCharacters(&b), "0123456789-+");
  EXPECT_STREQ(X11EntryCharacters(&none), "");
  EXPECT_EQ(X11EntryCharacters(nullptr), nullptr);

  const struct
  {
    const char* text;
    const char* allowed;
    int maxLength;
    bool ok;
  } cases[] = {
      {"-12.5", "0123456789.-+", 7, true},
      {"-12.5", "0123456789-+", 7, false},
      {"1234567", "0123456789", 7, true},
      {"12345678", "0123456789", 7, false},
      {"12345678", "0123456789", 0, true},
      {"abc", nullptr, 0, true},
      {"abc", nullptr, 2, false},
      {"", "", 7, true},
      {"1", "", 7, false},
      {"q", "0123456789.-+", 7, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(X11EntryAccepts(c.text, c.allowed, c.maxLength), c.ok)
        << c.text << " / " << (c.allowed ? c.allowed : "any");
}

TEST(X11Menu, ItemTitlesCarryTheNumberingPrefix)
{
  IPopupMenu m;
  for (int k = 0; k < 12; ++k) m.AddItem(k == 3 ? "" : "Item", -1, 0);
  const struct
  {
    int prefix, item;
    const char* title;
  } cases[] = {
      {0, 0, "Item"}, {1, 0, "1: Item"}, {1, 11, "12: Item"}, {2, 1, "02: Item"}, {3, 9, "010: Item"}, {2, 3, "04: "},
  };
  for (const auto& c : cases) {
    m.SetPrefix(c.prefix);
    EXPECT_EQ(X11MenuItemTitle(&m, c.item), c.title);
  }
}

}  // namespace

namespace {

// The picture folder's lookup by name, and the paths and dialogs a bare X server answers.
TEST(X11Graphics, PicturesPathsAndDialogsWithoutAWindow)
{
  char dir[] = "/tmp/kelvo-x11-pictures-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  LICE_MemBitmap pic(3, 2);
  LICE_Clear(&pic, LICE_RGBA(1, 2, 3, 255));
  ASSERT_TRUE(LICE_WritePNG((std::string(dir) + "/knob.png").c_str(), &pic));
  ASSERT_TRUE(LICE_WritePNG((std::string(dir) + "/png.png").c_str(), &pic));

  kelvo_test::TestPlug plug;
  IGraphicsX11 g(&plug, 10, 10);
  g.SetPictureDir(dir);
  const struct
  {
    const char* name;
    bool found;
  } cases[] = {
      {"knob.png", true}, {"resources/img/knob.png", true}, {"knob.PNG", true}, {"knob.jpg", false}, {"knob", false},
      {"png", true},      {"missing.png", false},           {".png", false},    {nullptr, false},
  };
  for (const auto& c : cases) {
    std::unique_ptr<LICE_IBitmap> b(g.OSLoadBitmap(1, c.name));
    EXPECT_EQ(b != nullptr, c.found) << (c.name ? c.name : "(null)");
    if (b) {
      EXPECT_EQ(b->getWidth(), 3);
    }
  }
  unlink((std::string(dir) + "/knob.png").c_str());
  unlink((std::string(dir) + "/png.png").c_str());
  rmdir(dir);

  WDL_String path;
  g.PluginPath(&path);
  EXPECT_EQ(path.Get()[path.GetLength() - 1], '/');
  setenv("XDG_CONFIG_HOME", "/tmp/config-here", 1);
  g.AppSupportPath(&path);
  EXPECT_STREQ(path.Get(), "/tmp/config-here");
  g.AppSupportPath(&path, true);
  EXPECT_STREQ(path.Get(), "/etc/xdg");
  unsetenv("XDG_CONFIG_HOME");
  WDL_String file("chosen.fxp");
  g.PromptForFile(&file, kFileOpen, nullptr, nullptr);
  EXPECT_STREQ(file.Get(), "");
  EXPECT_EQ(g.ShowMessageBox("text", "caption", 4), 0) << "no window, no box";
  IPopupMenu menu;
  menu.AddItem("One", -1, 0);
  EXPECT_EQ(g.CreateIPopupMenu(&menu, nullptr), nullptr);
  EXPECT_FALSE(g.Idle());
  EXPECT_FALSE(g.GetTextFromClipboard(&path));
  EXPECT_STREQ(g.GetGUIAPI(), "X11");
}

}  // namespace
