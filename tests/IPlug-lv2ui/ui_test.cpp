// Kelvo's LV2 user interface loaded as a host loads it: its binary and what it exports, its window
// inside the host's, its size, the controls following the host's port events, a turned knob
// writing its port inside touch gestures, the link, and hosts that take the window away.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "raster/lice.h"
#include "ui_host.h"

namespace kelvo_test {
namespace {

#define NEED_UI()                               \
  if (!SharedXvfb()) GTEST_SKIP() << "no Xvfb"; \
  ASSERT_NE(KelvoUIDescriptor(), nullptr) << "Kelvo.lv2/KelvoUI.so not built"

enum { kOutPort = 0, kBypassPort = 3 };
const int kEditorWidth = 367, kEditorHeight = 630, kOutX = 89, kOutY = 75;

std::string Output(const std::string& cmd)
{
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[512];
    while (fgets(buf, sizeof(buf), p)) out += buf;
    pclose(p);
  }
  return out;
}

// The OUT knob's frame size, from its picture in the bundle.
void OutKnobSize(int* w, int* h)
{
  std::unique_ptr<LICE_IBitmap> strip(LICE_LoadPNG((LV2Bundle() + "OUT.png").c_str()));
  *w = strip ? strip->getWidth() : 0;
  *h = strip ? strip->getHeight() / 31 : 0;
}

// The Audio Unit editor's picture at those settings, drawn by the kelvo host.
std::unique_ptr<LICE_IBitmap> ReferencePicture(const std::string& args)
{
  char dir[] = "/tmp/kelvo-lv2ui-XXXXXX";
  if (!mkdtemp(dir)) return nullptr;
  const std::string png = std::string(dir) + "/editor.png";
  const std::string cmd = BuildDir() + "/bin/kelvo editor --png " + png + " " + args + " > /dev/null";
  std::unique_ptr<LICE_IBitmap> picture(std::system(cmd.c_str()) == 0 ? LICE_LoadPNG(png.c_str()) : nullptr);
  unlink(png.c_str());
  rmdir(dir);
  return picture;
}

TEST(KelvoLV2UI, TheBinariesExportOneEntryEachAndTheDSPLinksNoX11)
{
  const std::string ui = Output("nm -D --defined-only " + LV2Bundle() + "KelvoUI.so | awk '{print $3}'");
  EXPECT_EQ(ui, "lv2ui_descriptor\n");
  const std::string dsp = Output("nm -D --defined-only " + LV2Bundle() + "Kelvo.so | awk '{print $3}'");
  EXPECT_EQ(dsp, "lv2_descriptor\n");
  const std::string needed = Output("readelf -d " + LV2Bundle() + "Kelvo.so");
  EXPECT_NE(needed.find("NEEDED"), std::string::npos);
  EXPECT_EQ(needed.find("libX11"), std::string::npos) << needed;
  EXPECT_EQ(needed.find("libXext"), std::string::npos) << needed;
  // The bundle describes the interface and carries its pictures.
  std::ifstream manifest(LV2Bundle() + "manifest.ttl");
  std::stringstream text;
  text << manifest.rdbuf();
  EXPECT_NE(text.str().find("ui#X11UI"), std::string::npos);
  EXPECT_NE(text.str().find("<KelvoUI.so>"), std::string::npos);
  for (const char* pic : {"bg.png", "by.png", "OUT.png", "SUS.png", "TON.png"})
    EXPECT_EQ(access((LV2Bundle() + pic).c_str(), R_OK), 0) << pic;
}

TEST(KelvoLV2UI, DescriptorAndRefusals)
{
  NEED_UI();
  const LV2UI_Descriptor* d = KelvoUIDescriptor();
  EXPECT_STREQ(d->URI, kUIURI);
  EXPECT_NE(d->extension_data(LV2_UI__idleInterface), nullptr);
  EXPECT_EQ(d->extension_data(LV2_UI__showInterface), nullptr);
  UIHost host;
  EXPECT_FALSE(host.Open("https://example.com/other-plugin")) << "another plug-in's URI is refused";
  EXPECT_FALSE(host.Open("https://quillmarsh.com/plugins/kelvoX")) << "a longer URI is another plug-in";
}

TEST(KelvoLV2UI, EmbedsInTheParentAndTellsItsSize)
{
  NEED_UI();
  const struct
  {
    const char* name;
    const char* plugin;
    bool parent, resize;
  } cases[] = {
      {"stereo, all features", kPluginURI, true, true},
      {"mono layout", "https://quillmarsh.com/plugins/kelvo#mono", true, true},
      {"no resize feature", kPluginURI, true, false},
      {"no parent: a window of its own", kPluginURI, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UIHost host(c.parent, c.resize, true);
    ASSERT_TRUE(host.Open(c.plugin));
    EXPECT_EQ(host.IdleFor(60), 0);
    Window root, parentOf, *children = nullptr;
    unsigned n = 0;
    XQueryTree(host.display, host.UIWindow(), &root, &parentOf, &children, &n);
    if (children) XFree(children);
    EXPECT_EQ(parentOf, c.parent ? host.parent : root);
    XWindowAttributes attrs;
    XGetWindowAttributes(host.display, host.UIWindow(), &attrs);
    EXPECT_EQ(attrs.width, kEditorWidth);
    EXPECT_EQ(attrs.height, kEditorHeight);
    if (c.resize) {
      EXPECT_EQ(host.sizes, (std::vector<std::pair<int, int>>{{kEditorWidth, kEditorHeight}}));
    }
  }
}

// The host's values (automation, presets, a restored session) move the controls: the window shows
// what the Audio Unit editor shows at those settings, and nothing is written back.
TEST(KelvoLV2UI, PortEventsMoveTheControls)
{
  NEED_UI();
  std::unique_ptr<LICE_IBitmap> want = ReferencePicture("--set OUT=-3 --set GainL=0.9 --set Bypass=1");
  ASSERT_TRUE(want);
  UIHost host;
  ASSERT_TRUE(host.Open());
  host.PortEvent(kOutPort, -3.0f);
  host.PortEvent(2, 0.9f);
  host.PortEvent(kBypassPort, 1.0f);
  host.PortEvent(7, 0.5f);                                     // an audio port: ignored
  host.desc->port_event(host.handle, kOutPort, 8, 0, "\0\0");  // a size that is no float: ignored
  host.IdleFor(150);
  EXPECT_EQ(CountDifferingPixels(host.display, host.UIWindow(), want.get(), kEditorWidth, kEditorHeight), 0);
  EXPECT_TRUE(host.writes.empty());
}

// XTest drags the OUT knob: its port is written inside a touch gesture; without ui:touch, written all the same.
TEST(KelvoLV2UI, TurningAKnobWritesItsPort)
{
  NEED_UI();
  int kw, kh;
  OutKnobSize(&kw, &kh);
  ASSERT_GT(kh, 0);
  for (bool touch : {true, false}) {
    SCOPED_TRACE(touch ? "with touch" : "without touch");
    UIHost host(true, true, touch);
    ASSERT_TRUE(host.Open());
    host.IdleFor(60);
    XUser u(SharedXvfb()->Name());
    const int x = kOutX + kw / 2, y = kOutY + kh / 2;
    u.MoveTo(host.UIWindow(), x, y);
    host.IdleFor(40);
    u.Press(Button1);
    host.IdleFor(40);
    for (int moved = 0; moved < 40; moved += 4) {
      u.MoveTo(host.UIWindow(), x, y - moved - 4);
      host.IdleFor(15);
    }
    u.Release(Button1);
    host.IdleFor(60);
    ASSERT_FALSE(host.writes.empty());
    for (const UIHost::Write& w : host.writes) EXPECT_EQ(w.port, (uint32_t)kOutPort);
    for (size_t i = 1; i < host.writes.size(); ++i) EXPECT_GT(host.writes[i].value, host.writes[i - 1].value);
    // 40 pixels up with gearing 4 on a knob kh high: 10 / kh of the 40 dB range.
    EXPECT_NEAR(host.writes.back().value, -15.0 + 40.0 * 10.0 / kh, 1e-3);
    const std::vector<std::string> gestures =
        touch ? std::vector<std::string>{"0 on", "0 off"} : std::vector<std::string>();
    EXPECT_EQ(host.touches, gestures);
  }
}

TEST(KelvoLV2UI, TheLinkOpensTheProductPage)
{
  NEED_UI();
  FakeOpener opener;
  ASSERT_TRUE(opener.Ok());
  UIHost host;
  ASSERT_TRUE(host.Open());
  host.IdleFor(60);
  XUser u(SharedXvfb()->Name());
  struct
  {
    int x, y;
    bool opens;
  } clicks[] = {{300, 599, false}, {300, 620, true}};
  for (const auto& c : clicks) {
    u.MoveTo(host.UIWindow(), c.x, c.y);
    host.IdleFor(30);
    u.Press(Button1);
    u.Release(Button1);
    std::string opened;
    for (int i = 0; i < 20 && opened.empty(); ++i) {
      host.IdleFor(50);
      opened = opener.Take();
    }
    EXPECT_EQ(opened, c.opens ? "https://quillmarsh.com/product/kelvo/" : "") << c.x << "," << c.y;
    host.IdleFor(450);  // no double click
  }
}

// Fifty rounds of opening and closing: no descriptor left open and no X error said on stderr.
TEST(KelvoLV2UI, FiftyRoundsLeaveNothingBehind)
{
  NEED_UI();
  auto fileCount = [] {
    int n = 0;
    for (int fd = 0; fd < 4096; ++fd) n += fcntl(fd, F_GETFD) != -1;
    return n;
  };
  {
    UIHost warm;  // fonts and pictures into their caches
    ASSERT_TRUE(warm.Open());
    warm.IdleFor(20);
  }
  const int files = fileCount();
  char errPath[] = "/tmp/kelvo-lv2ui-err-XXXXXX";
  const int errFile = mkstemp(errPath);
  ASSERT_GE(errFile, 0);
  fflush(stderr);
  const int savedErr = dup(2);
  dup2(errFile, 2);
  for (int i = 0; i < 50; ++i) {
    UIHost host;
    ASSERT_TRUE(host.Open()) << i;
    host.idle->idle(host.handle);
    host.PortEvent(kOutPort, -1.0f * i);
  }
  fflush(stderr);
  dup2(savedErr, 2);
  close(savedErr);
  close(errFile);
  std::stringstream text;
  {
    std::ifstream said(errPath);
    text << said.rdbuf();
  }
  unlink(errPath);
  EXPECT_EQ(text.str(), "");
  EXPECT_EQ(fileCount(), files);
}

TEST(KelvoLV2UI, AHostThatTakesTheWindowAwayIsSurvived)
{
  NEED_UI();
  for (bool closeDisplay : {false, true}) {
    SCOPED_TRACE(closeDisplay ? "host display closed" : "parent destroyed");
    UIHost host;
    ASSERT_TRUE(host.Open());
    host.IdleFor(40);
    if (closeDisplay) {
      XCloseDisplay(host.display);
      host.display = nullptr;
    } else {
      XDestroyWindow(host.display, host.parent);
      XSync(host.display, False);
    }
    int r = 0;
    for (int i = 0; i < 40 && r == 0; ++i) r = host.IdleFor(10);
    EXPECT_EQ(r, 1) << "idle says the window is gone";
    host.PortEvent(kOutPort, -2.0f);  // still harmless
    EXPECT_EQ(host.idle->idle(host.handle), 1);
    host.Close();
  }
}

}  // namespace
}  // namespace kelvo_test
