// The X11 editor window against a real X server: what it shows, what the user's mouse and keys do
// through it, the two prompts, the link, and surviving a host that takes the window away.

#include <gtest/gtest.h>
#include <dirent.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "editor_fixture.h"
#include "raster/text.h"
#include "x11/X11Errors.h"

namespace kelvo_test {
namespace {

#define NEED_X()                                \
  if (!SharedXvfb()) GTEST_SKIP() << "no Xvfb"; \
  static_assert(true, "")

// The window's pixels equal the back buffer's (colour channels) over the whole editor.
void ExpectWindowShowsBackBuffer(X11Editor& e)
{
  XUser user(SharedXvfb()->Name());
  EXPECT_EQ(CountDifferingPixels(user.GetDisplay(), e.W(), e.gui->GetDrawBitmap(), kEditorW, kEditorH), 0);
}

int OpenFileCount()
{
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

TEST(X11Window, ShowsTheBackBufferThroughSharedMemory)
{
  NEED_X();
  X11Editor e;
  ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
  EXPECT_TRUE(e.gui->UsesSharedMemory()) << "Xvfb on this machine offers MIT-SHM";
  e.Pump(100);
  ExpectWindowShowsBackBuffer(e);
  // A change from the host reaches the screen at the next refresh.
  e.plug.GetParam(kSwitchParam)->Set(1.0);
  e.gui->SetParameterFromPlug(kSwitchParam, 1.0, false);
  e.Pump(100);
  ExpectWindowShowsBackBuffer(e);
}

// One user action on the open editor (through XTest) and what it must do to the parameters.
struct ActionCase
{
  const char* name;
  std::function<void(X11Editor&, XUser&)> act;
  int param;
  double want;  // the parameter's real value afterwards
};

void Drag(X11Editor& e, XUser& u, int x, int y, int dy, unsigned button = Button1)
{
  DragOn(e.gui, u, x, y, dy, button);
}

void Click(X11Editor& e, XUser& u, int x, int y, unsigned button = Button1) { ClickOn(e.gui, u, x, y, button); }

// Right-clicks the knob and waits for the text field.
void OpenKnobEntry(X11Editor& e, XUser& u)
{
  Click(e, u, kKnobX + 20, kKnobY + 20, Button3);
  ASSERT_TRUE(e.PumpUntil([&] { return e.gui->TextEntryOpen(); }));
}

const double kOutDefault = -15.0;  // normalized 0.625

const ActionCase kActions[] = {
    // Gearing 4 on a 40-pixel knob: 40 pixels up raise the value by a quarter of the range.
    {"drag the knob up", [](X11Editor& e, XUser& u) { Drag(e, u, 40, 40, -40); }, kKnobParam, -5.0},
    {"drag the knob down", [](X11Editor& e, XUser& u) { Drag(e, u, 40, 30, 40); }, kKnobParam, -25.0},
    {"shift-drag is ten times finer",
     [](X11Editor& e, XUser& u) {
       u.Hold(XK_Shift_L, true);
       Drag(e, u, 40, 40, -40);
       u.Hold(XK_Shift_L, false);
     },
     kKnobParam, -14.0},
    {"wheel up three steps",
     [](X11Editor& e, XUser& u) {
       u.MoveTo(e.W(), 40, 40);
       for (int i = 0; i < 3; ++i) Click(e, u, 40, 40, Button4);
     },
     kKnobParam, kOutDefault + 0.03 * 40},
    {"double click restores the default",
     [](X11Editor& e, XUser& u) {
       Drag(e, u, 40, 40, -20);
       Click(e, u, 40, 40);
       u.Press(Button1);
       u.Release(Button1);
       e.Pump(60);
     },
     kKnobParam, kOutDefault},
    {"press the switch", [](X11Editor& e, XUser& u) { Click(e, u, kSwitchX + 5, kSwitchY + 5); }, kSwitchParam, 1.0},
    {"press the switch twice, slowly",
     [](X11Editor& e, XUser& u) {
       Click(e, u, kSwitchX + 5, kSwitchY + 5);
       e.Pump(450);
       Click(e, u, kSwitchX + 5, kSwitchY + 5);
     },
     kSwitchParam, 0.0},
    {"type a value",
     [](X11Editor& e, XUser& u) {
       OpenKnobEntry(e, u);
       u.Type("-6");
       u.Key(XK_Return);
       e.Pump(60);
     },
     kKnobParam, -6.0},
    {"letters are refused",
     [](X11Editor& e, XUser& u) {
       OpenKnobEntry(e, u);
       u.Type("a-b7x.5");
       u.Key(XK_Return);
       e.Pump(60);
     },
     kKnobParam, -7.5},
    {"at most seven characters",
     [](X11Editor& e, XUser& u) {
       OpenKnobEntry(e, u);
       u.Type("-1.2345678");
       u.Key(XK_Return);
       e.Pump(60);
     },
     kKnobParam, -1.2345},
    {"backspace edits",
     [](X11Editor& e, XUser& u) {
       OpenKnobEntry(e, u);
       u.Type("-29");
       u.Key(XK_BackSpace);
       u.Key(XK_KP_Enter);
       e.Pump(60);
     },
     kKnobParam, -2.0},
    {"escape cancels",
     [](X11Editor& e, XUser& u) {
       OpenKnobEntry(e, u);
       u.Type("-3");
       u.Key(XK_Escape);
       e.Pump(60);
     },
     kKnobParam, kOutDefault},
    {"a click outside cancels and does nothing else",
     [](X11Editor& e, XUser& u) {
       OpenKnobEntry(e, u);
       u.Type("-3");
       Click(e, u, kSwitchX + 5, kSwitchY + 5);
       Click(e, u, 5, 100);
     },
     kKnobParam, kOutDefault},
};

TEST(X11Window, UserActionsReachTheParameters)
{
  NEED_X();
  for (const ActionCase& c : kActions) {
    SCOPED_TRACE(c.name);
    X11Editor e;
    ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
    XUser u(SharedXvfb()->Name());
    ASSERT_TRUE(u.Ok());
    e.Pump(60);
    c.act(e, u);
    EXPECT_NEAR(e.Value(c.param), c.want, 1e-6);
    EXPECT_FALSE(e.gui->TextEntryOpen());
    EXPECT_EQ(e.Value(kSwitchParam), c.param == kSwitchParam ? c.want : 0.0) << "the switch moved by accident";
    // Every gesture that began has ended.
    // (A double click begins none, and its release ends one anyway, as the core does everywhere.)
    int open = 0;
    for (const std::string& g : e.plug.gestures) open += g.rfind("begin", 0) == 0 ? 1 : -1;
    EXPECT_LE(open, 0);
  }
}

TEST(X11Window, DraggingAKnobCapturesAndHidesThePointer)
{
  NEED_X();
  X11Editor e;
  ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
  XUser u(SharedXvfb()->Name());
  e.Pump(40);
  u.MoveTo(e.W(), 40, 40);
  e.Pump(20);
  u.Press(Button1);
  e.Pump(40);
  // Far outside the window the drag still reaches the knob.
  u.MoveTo(e.W(), 40, 700);
  e.Pump(40);
  EXPECT_NEAR(e.Value(kKnobParam), -40.0, 1e-9) << "dragged to the bottom of the range";
  Window root, child;
  int rx, ry, wx, wy;
  unsigned mask;
  XQueryPointer(u.GetDisplay(), DefaultRootWindow(u.GetDisplay()), &root, &child, &rx, &ry, &wx, &wy, &mask);
  u.Release(Button1);
  e.Pump(40);
  // Shown again where the drag began.
  XQueryPointer(u.GetDisplay(), DefaultRootWindow(u.GetDisplay()), &root, &child, &rx, &ry, &wx, &wy, &mask);
  int sx, sy;
  u.ToRoot(e.W(), 40, 40, &sx, &sy);
  EXPECT_EQ(rx, sx);
  EXPECT_EQ(ry, sy);
  EXPECT_EQ(e.plug.gestures, (std::vector<std::string>{"begin 0", "end 0"}));
}

TEST(X11Window, KeysReachTheEditorAsKeyNumbers)
{
  NEED_X();
  X11Editor e;
  ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
  XUser u(SharedXvfb()->Name());
  e.Pump(40);
  u.MoveTo(e.W(), 5, 100);
  XSetInputFocus(u.GetDisplay(), e.W(), RevertToParent, CurrentTime);
  e.Pump(40);
  u.Key(XK_q);
  u.Key(XK_Q, true);
  u.Key(XK_Up);
  u.Key(XK_7);
  u.Key(XK_space);
  u.Key(XK_minus);  // not an editor key
  e.Pump(80);
  EXPECT_EQ(e.catcher->keys, (std::vector<int>{31, 31, 1, 12, 0}));
}

// The menu is modal: the user acts from another thread while the editor's thread runs it.
struct MenuCase
{
  const char* name;
  std::function<void(XUser&, Window)> act;
  double want;  // the "Mode" value afterwards (starts at 1, "On")
};

const MenuCase kMenus[] = {
    {"keyboard: down to the first item",
     [](XUser& u, Window) {
       u.Key(XK_Down);
       u.Key(XK_Return);
     },
     0.0},
    {"keyboard: escape", [](XUser& u, Window) { u.Key(XK_Escape); }, 1.0},
    {"click on the first item",
     [](XUser& u, Window w) {
       static IText style(12);
       const int line = IGraphics::CacheFont(&style)->GetLineHeight() + 8;
       u.MoveTo(w, kModeX + 20, kModeY + kSwitchSize + 3 + 1 + line / 2);
       u.Press(Button1);
       u.Release(Button1);
     },
     0.0},
    {"click outside the menu",
     [](XUser& u, Window w) {
       u.MoveTo(w, 5, 150);
       u.Press(Button1);
       u.Release(Button1);
     },
     1.0},
};

TEST(X11Window, TheEnumeratedParameterChoosesFromAMenu)
{
  NEED_X();
  for (const MenuCase& c : kMenus) {
    SCOPED_TRACE(c.name);
    X11Editor e;
    ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
    const Window w = e.W();
    const std::string display = SharedXvfb()->Name();
    e.Pump(40);
    std::thread user([&] {
      XUser u(display);
      u.MoveTo(w, kModeX + 10, kModeY + 10);
      usleep(100000);
      u.Press(Button3);
      u.Release(Button3);
      usleep(250000);  // the menu opens and takes the pointer and keyboard
      c.act(u, w);
    });
    e.Pump(700);
    user.join();
    e.Pump(60);
    EXPECT_EQ(e.Value(kModeParam), c.want);
    EXPECT_EQ(e.Value(kSwitchParam), 0.0);
  }
}

TEST(X11Window, TheWindowKeepsDrawingWhileTheMenuIsOpen)
{
  NEED_X();
  X11Editor e;
  ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
  const Window w = e.W();
  const std::string display = SharedXvfb()->Name();
  e.Pump(60);
  LICE_IBitmap* bb = e.gui->GetDrawBitmap();
  std::vector<unsigned> want;
  for (int y = 0; y < kEditorH; ++y)
    for (int x = 0; x < kEditorW; ++x) want.push_back(LICE_GetPixel(bb, x, y) & 0xFFFFFF);
  int differing = -1;
  std::thread user([&] {
    XUser u(display);
    u.MoveTo(w, kModeX + 10, kModeY + 10);
    usleep(100000);
    u.Press(Button3);
    u.Release(Button3);
    usleep(200000);
    // A window of another client covers the editor and goes away: the editor repaints at once.
    Display* d = u.GetDisplay();
    int rx, ry;
    u.ToRoot(w, 0, 0, &rx, &ry);
    XSetWindowAttributes attrs;
    attrs.override_redirect = True;
    attrs.background_pixel = 0xFF00FF;
    Window cover = XCreateWindow(d, DefaultRootWindow(d), rx, ry, kEditorW, kEditorH - 60, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attrs);
    XMapRaised(d, cover);
    XSync(d, False);
    usleep(100000);
    XDestroyWindow(d, cover);
    XSync(d, False);
    usleep(150000);
    std::vector<unsigned> shown;
    // The menu lies over the area below the mode switch; compare the rows above it.
    if (ReadWindowPixels(d, w, 0, 0, kEditorW, kModeY + kSwitchSize, &shown).empty()) {
      differing = 0;
      for (size_t i = 0; i < shown.size(); ++i) differing += shown[i] != want[i];
    }
    u.Key(XK_Escape);
  });
  e.Pump(900);
  user.join();
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(e.Value(kModeParam), 1.0);
}

TEST(X11Window, TheLinkOpensThePageWithoutWaiting)
{
  NEED_X();
  FakeOpener opener(1);  // slow on purpose: the editor must not wait for it
  ASSERT_TRUE(opener.Ok());
  X11Editor e;
  ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
  XUser u(SharedXvfb()->Name());
  e.Pump(40);
  const long long before = MonoMs();
  Click(e, u, 150, 150);
  EXPECT_LT(MonoMs() - before, 500) << "the click returned before the opener finished";
  std::string opened;
  for (int i = 0; i < 60 && opened.empty(); ++i) {
    opened = opener.Take();
    if (opened.empty()) e.Pump(50);
  }
  EXPECT_EQ(opened, kLink);
}

// A top-level window of this connection that overrides redirection (menus and tooltips), or 0.
Window OverrideRedirectWindow(Display* d)
{
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  Window found = 0;
  XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n);
  for (unsigned i = 0; i < n; ++i) {
    XWindowAttributes a;
    if (XGetWindowAttributes(d, children[i], &a) && a.override_redirect && a.map_state == IsViewable)
      found = children[i];
  }
  if (children) XFree(children);
  return found;
}

TEST(X11Window, ATooltipShowsWhenThePointerRests)
{
  NEED_X();
  X11Editor e;
  e.gui->GetControl(2)->SetTooltip("Bypass");
  e.gui->EnableTooltips(true);
  ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
  XUser u(SharedXvfb()->Name());
  e.Pump(40);
  const struct
  {
    const char* name;
    int x, y;
    bool shows;
  } cases[] = {{"a control with a tooltip", kSwitchX + 5, kSwitchY + 5, true},
               {"a control without", kKnobX + 5, kKnobY + 5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    u.MoveTo(e.W(), c.x, c.y);
    e.Pump(300);
    EXPECT_EQ(OverrideRedirectWindow(u.GetDisplay()), 0u) << "not yet";
    e.Pump(500);
    EXPECT_EQ(OverrideRedirectWindow(u.GetDisplay()) != 0, c.shows);
    // Moving on or pressing takes it away.
    u.MoveTo(e.W(), 5, 100);
    e.Pump(40);
    EXPECT_EQ(OverrideRedirectWindow(u.GetDisplay()), 0u);
  }
}

TEST(X11Window, OpeningAndClosingFiftyTimesLeavesNothingBehind)
{
  NEED_X();
  X11Editor e;
  const long errorsBefore = X11ErrorTrap::Total();
  // One round first, so that fonts and pictures are in their process-wide caches.
  ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
  e.Pump(20);
  e.gui->CloseWindow();
  const int files = OpenFileCount();
  for (int i = 0; i < 50; ++i) {
    ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr) << "round " << i;
    e.gui->Idle();
    e.gui->CloseWindow();
    EXPECT_FALSE(e.gui->WindowIsOpen());
    e.gui->CloseWindow();  // a second close does nothing
  }
  EXPECT_EQ(OpenFileCount(), files) << "every connection is closed";
  EXPECT_EQ(X11ErrorTrap::Total(), errorsBefore);
}

// How a host takes the editor's parent away.
struct HostEndCase
{
  const char* name;
  bool closeDisplay;  // the host closes its connection (its windows go with it)
};

TEST(X11Window, AHostThatTakesTheParentAwayIsSurvived)
{
  NEED_X();
  const HostEndCase cases[] = {{"parent destroyed", false}, {"host display closed", true}};
  for (const HostEndCase& c : cases) {
    SCOPED_TRACE(c.name);
    Display* host = XOpenDisplay(SharedXvfb()->Name().c_str());
    ASSERT_NE(host, nullptr);
    Window parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 300, 300, 0, 0, 0);
    XMapWindow(host, parent);
    XSync(host, False);
    X11Editor e;
    ASSERT_NE(e.gui->OpenWindow(reinterpret_cast<void*>(parent)), nullptr);
    e.Pump(40);
    // A prompt is open too.
    XUser u(SharedXvfb()->Name());
    OpenKnobEntry(e, u);
    if (c.closeDisplay)
      XCloseDisplay(host);
    else {
      XDestroyWindow(host, parent);
      XSync(host, False);
    }
    EXPECT_TRUE(e.PumpUntil([&] { return !e.gui->WindowIsOpen(); })) << "the window's end was noticed";
    EXPECT_FALSE(e.gui->Idle());
    e.gui->CloseWindow();
    // The editor opens again, on its own.
    ASSERT_NE(e.gui->OpenWindow(nullptr), nullptr);
    e.Pump(40);
    ExpectWindowShowsBackBuffer(e);
    e.gui->CloseWindow();
    if (!c.closeDisplay) XCloseDisplay(host);
  }
}

TEST(X11Window, AParentThatDoesNotExistGivesNoWindow)
{
  NEED_X();
  X11Editor e;
  EXPECT_EQ(e.gui->OpenWindow(reinterpret_cast<void*>(static_cast<uintptr_t>(0x7ffffff))), nullptr);
  EXPECT_FALSE(e.gui->WindowIsOpen());
  EXPECT_FALSE(e.gui->Idle());
}

}  // namespace
}  // namespace kelvo_test
