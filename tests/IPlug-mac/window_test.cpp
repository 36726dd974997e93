// The graphics window: pictures from the bundle, screen updates, resizing, message boxes,
// file dialogs, addresses, paths, the clipboard, the pointer and child-window hosting.

#include <CoreFoundation/CFUserNotification.h>
#include <CoreGraphics/CGStandIn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "mac_fixture.h"

using namespace mac_test;

mac_test::PictureBundle::PictureBundle()
{
  char tmpl[] = "/tmp/kelvo-mac-XXXXXX";
  root = mkdtemp(tmpl);
  path = root + "/Pictures.bundle";
  const std::string contents = path + "/Contents";
  const std::string cmd = "mkdir -p '" + contents + "/Resources' '" + contents + "/MacOS'";
  if (system(cmd.c_str()) != 0) return;
  FILE* f = fopen((contents + "/Info.plist").c_str(), "w");
  if (!f) return;
  fprintf(f,
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
          "<key>CFBundleIdentifier</key><string>%s</string>"
          "<key>CFBundleExecutable</key><string>Pictures</string></dict></plist>\n",
          kPicturesID);
  fclose(f);
  LICE_MemBitmap knob(3, 2), one(1, 1);
  LICE_Clear(&knob, LICE_RGBA(10, 20, 30, 255));
  LICE_WritePNG((contents + "/Resources/knob.png").c_str(), &knob);
  LICE_WritePNG((contents + "/Resources/png.png").c_str(), &one);
  LICE_WritePNG((contents + "/Resources/PNG.png").c_str(), &one);
  CFURLRef url =
      CFURLCreateFromFileSystemRepresentation(nullptr, (const UInt8*)path.c_str(), (CFIndex)path.size(), true);
  bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
}

mac_test::PictureBundle::~PictureBundle()
{
  if (bundle) CFRelease(bundle);
  const std::string cmd = "rm -rf '" + root + "'";
  if (system(cmd.c_str()) != 0) perror("rm");
}

mac_test::PictureBundle& mac_test::Pictures()
{
  static PictureBundle b;
  return b;
}

namespace {

TEST(LoadImgFromResourceOSX, FindsPngPicturesByBaseName)
{
  ASSERT_NE(Pictures().bundle, nullptr);
  struct Case
  {
    const char* bundleID;
    const char* name;
    int width;  // 0: no picture
  } cases[] = {
      {kPicturesID, "knob.png", 3},
      {kPicturesID, "knob.PNG", 3},
      {kPicturesID, "knob.Png", 3},
      {kPicturesID, "pictures/knob.png", 3},
      {kPicturesID, "a/b.c/knob.png", 3},
      {kPicturesID, "knob.jpg", 0},
      {kPicturesID, "knob", 0},
      {kPicturesID, "png", 1},
      {kPicturesID, "PNG", 1},
      {kPicturesID, "missing.png", 0},
      {kPicturesID, nullptr, 0},
      {"com.test.none", "knob.png", 0},
      {nullptr, "knob.png", 0},
      {kPicturesID, ".png", 0},
  };
  for (const Case& c : cases) {
    LICE_IBitmap* bmp = LoadImgFromResourceOSX(c.bundleID, c.name);
    EXPECT_EQ(bmp ? bmp->getWidth() : 0, c.width) << (c.name ? c.name : "(null)");
    if (bmp && c.width == 3) {
      EXPECT_EQ(LICE_GetPixel(bmp, 1, 1), LICE_RGBA(10, 20, 30, 255));
    }
    delete bmp;
  }
}

TEST_F(MacEditorTest, OSLoadBitmapUsesTheEditorsBundle)
{
  ASSERT_NE(Pictures().bundle, nullptr);
  EXPECT_EQ(graphics->OSLoadBitmap(1, "knob.png"), nullptr) << "no bundle identifier yet";
  graphics->SetBundleID(kPicturesID);
  LICE_IBitmap* bmp = graphics->OSLoadBitmap(1, "knob.png");
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->getHeight(), 2);
  delete bmp;
  IBitmap loaded = graphics->LoadIBitmap(7, "knob.png");
  EXPECT_EQ(loaded.W, 3);
}

TEST_F(MacEditorTest, PathsComeFromTheBundleAndTheHome)
{
  ASSERT_NE(Pictures().bundle, nullptr);
  WDL_String s;
  s.Set("unchanged");
  graphics->HostPath(&s);
  EXPECT_STREQ(s.Get(), "unchanged") << "bundle not known";
  graphics->PluginPath(&s);
  EXPECT_STREQ(s.Get(), "unchanged");

  graphics->SetBundleID(kPicturesID);
  graphics->HostPath(&s);
  EXPECT_EQ(std::string(s.Get()), Pictures().path + "/Contents/MacOS/Pictures");
  graphics->PluginPath(&s);
  EXPECT_EQ(std::string(s.Get()), Pictures().root + "/");

  const std::string home = NSHomeDirectory()->str();
  struct Case
  {
    const char* what;
    std::function<void(WDL_String*)> query;
    std::string expected;
  } cases[] = {{"desktop", [&](WDL_String* p) { graphics->DesktopPath(p); }, home + "/Desktop"},
               {"user support", [&](WDL_String* p) { graphics->AppSupportPath(p, false); },
                home + "/Library/Application Support"},
               {"sandbox", [&](WDL_String* p) { graphics->SandboxSafeAppSupportPath(p); }, home + "/Music"}};
  for (const Case& c : cases) {
    s.Set("");
    c.query(&s);
    EXPECT_EQ(std::string(s.Get()), c.expected) << c.what;
  }
  graphics->AppSupportPath(&s, true);
  EXPECT_EQ(std::string(s.Get()).find(home), std::string::npos) << "the system domain is not the home";
}

TEST_F(MacEditorTest, DrawScreenCopiesTheWholeBackBufferUnconverted)
{
  IGraphicsMac closed(plug, 10, 10);
  EXPECT_FALSE(closed.DrawScreen(nullptr)) << "no view";
  EXPECT_FALSE(graphics->DrawScreen(nullptr)) << "no current context outside the display cycle";

  // The back buffer's alpha has no effect; every pixel shows as it is.
  LICE_IBitmap* back = graphics->GetDrawBitmap();
  LICE_Clear(back, LICE_RGBA(9, 8, 7, 255));
  LICE_FillRect(back, 5, 7, 2, 3, LICE_RGBA(1, 2, 3, 0), 1.0f, LICE_BLIT_MODE_COPY);
  std::vector<unsigned char> screen((size_t)W * H * 4, 0xEE);
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGContextRef cg = CGBitmapContextCreate(screen.data(), W, H, 8, W * 4, rgb, 0x2006);
  NSGraphicsContext::setCurrentContext(NSGraphicsContext::graphicsContextWithGraphicsPort(cg, NO));
  EXPECT_TRUE(graphics->DrawScreen(nullptr));
  NSGraphicsContext::setCurrentContext(nullptr);
  CGContextRelease(cg);
  CGColorSpaceRelease(rgb);
  struct Case
  {
    int x, y;
    unsigned char b, g, r;
  } cases[] = {{6, 8, 3, 2, 1}, {5, 7, 3, 2, 1}, {7, 8, 7, 8, 9}, {0, 0, 7, 8, 9}, {W - 1, H - 1, 7, 8, 9}};
  for (const Case& c : cases) {
    const unsigned char* p = &screen[((size_t)c.y * W + c.x) * 4];
    EXPECT_EQ(p[0], c.b) << c.x << "," << c.y;
    EXPECT_EQ(p[1], c.g) << c.x << "," << c.y;
    EXPECT_EQ(p[2], c.r) << c.x << "," << c.y;
  }
}

TEST_F(MacEditorTest, ResizeRebuildsOnlyForANewSize)
{
  graphics->Resize(W, H);
  EXPECT_EQ(graphics->GetNControls(), 2) << "same size: nothing happens";
  graphics->Resize(200, 100);
  EXPECT_EQ(graphics->GetNControls(), 0);
  EXPECT_EQ(graphics->Width(), 200);
  EXPECT_EQ(view->frame().size.width, 200);
  EXPECT_EQ(view->frame().size.height, 100);
  IGraphicsMac closed(plug, 10, 10);
  closed.Resize(20, 30);
  EXPECT_EQ(closed.Height(), 30);
}

TEST(IGraphicsMacAlone, ViewRectanglesFlipWithTheEditorHeight)
{
  TestPlug plug;
  struct Case
  {
    int height;
    IRECT core;
    CGFloat x, y, w, h;
  } cases[] = {{367, IRECT(10, 20, 110, 40), 10, 326, 101, 21},
               {630, IRECT(0, 0, 367, 630), 0, -1, 368, 631},
               {100, IRECT(5, 99, 6, 100), 5, -1, 2, 2}};
  for (const Case& c : cases) {
    IGraphicsMac g(&plug, 367, c.height);
    const CGRect r = g.ToViewRect(&c.core);
    EXPECT_EQ(r.origin.x, c.x);
    EXPECT_EQ(r.origin.y, c.y) << c.height;
    EXPECT_EQ(r.size.width, c.w);
    EXPECT_EQ(r.size.height, c.h);
  }
}

TEST(IGraphicsMacAlone, MessageBoxAnswers)
{
  TestPlug plug;
  IGraphicsMac g(&plug, 10, 10);
  struct Case
  {
    int type;
    CFOptionFlags response;
    int expected;
  } cases[] = {
      {4, kCFUserNotificationDefaultResponse, 1}, {4, kCFUserNotificationAlternateResponse, 7},
      {3, kCFUserNotificationDefaultResponse, 1}, {3, kCFUserNotificationAlternateResponse, 7},
      {3, kCFUserNotificationOtherResponse, 2},   {3, kCFUserNotificationCancelResponse, 0},
      {1, kCFUserNotificationDefaultResponse, 1}, {1, kCFUserNotificationAlternateResponse, 2},
      {0, kCFUserNotificationDefaultResponse, 1}, {0, 9, 0},
  };
  for (const Case& c : cases) {
    CFUserNotificationSetResponse(c.response);
    const CFIndex before = CFUserNotificationGetAlertCount();
    EXPECT_EQ(g.ShowMessageBox("Really?", "Kelvo", c.type), c.expected) << c.type << " " << c.response;
    EXPECT_EQ(CFUserNotificationGetAlertCount(), before + 1);
  }
  CFUserNotificationSetResponse(kCFUserNotificationDefaultResponse);
  g.ShowMessageBox(nullptr, nullptr, 0);
  CFStringRef header = CFUserNotificationCopyLastAlertHeader(), message = CFUserNotificationCopyLastAlertMessage();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(CFStringGetLength(header), 0);
  EXPECT_EQ(CFStringGetLength(message), 0);
  CFRelease(header);
  CFRelease(message);
  g.ShowMessageBox("Body", "Head", 4);
  header = CFUserNotificationCopyLastAlertHeader();
  message = CFUserNotificationCopyLastAlertMessage();
  char text[64];
  CFStringGetCString(header, text, sizeof(text), kCFStringEncodingUTF8);
  EXPECT_STREQ(text, "Head");
  CFStringGetCString(message, text, sizeof(text), kCFStringEncodingUTF8);
  EXPECT_STREQ(text, "Body");
  CFRelease(header);
  CFRelease(message);
}

TEST_F(MacEditorTest, PromptForFileRunsThePanels)
{
  std::vector<NSSavePanel::Request> requests;
  std::string answer;
  NSSavePanel::setScript([&](const NSSavePanel::Request& r, std::string* path) -> NSInteger {
    requests.push_back(r);
    if (answer.empty()) return NSCancelButton;
    *path = answer;
    return NSOKButton;
  });
  WDL_String file, dir;
  file.Set("old.fxp");
  char types[] = "fxp fxb";
  graphics->PromptForFile(&file, kFileSave, &dir, types);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0].open);
  EXPECT_EQ(requests[0].directory, "~/Desktop");
  EXPECT_EQ(requests[0].file, "old.fxp");
  EXPECT_EQ(requests[0].types, std::vector<std::string>({"fxp", "fxb"}));
  EXPECT_STREQ(file.Get(), "") << "cancelled";
  EXPECT_STREQ(dir.Get(), "~/Desktop");

  answer = "/presets/deep/song.fxb";
  dir.Set("/presets/");
  graphics->PromptForFile(&file, kFileOpen, &dir, types);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[1].open);
  EXPECT_EQ(requests[1].directory, "/presets/");
  EXPECT_EQ(requests[1].file, "");
  EXPECT_STREQ(file.Get(), "/presets/deep/song.fxb");
  EXPECT_STREQ(dir.Get(), "/presets/deep/");

  graphics->PromptForFile(&file, kFileOpen, nullptr, nullptr);
  EXPECT_STREQ(file.Get(), "/presets/deep/song.fxb");
  EXPECT_EQ(requests[2].directory, "~/Desktop");
  EXPECT_EQ(requests[2].types, std::vector<std::string>({""}));

  graphics->CloseWindow();
  graphics->PromptForFile(&file, kFileOpen, &dir, types);
  EXPECT_STREQ(file.Get(), "") << "no window";
  EXPECT_EQ(requests.size(), 3u);
  NSSavePanel::setScript(nullptr);
}

TEST(IGraphicsMacAlone, OpenURLOpensWebAddressesAndFiles)
{
  TestPlug plug;
  IGraphicsMac g(&plug, 10, 10);
  bool accept = true;
  NSWorkspace::setOpenURLHandler([&](const std::string&) { return accept; });
  struct Case
  {
    const char* url;
    bool accept, expected;
    const char* opened;  // null: nothing opened
  } cases[] = {
      {"https://example.org/kelvo", true, true, "https://example.org/kelvo"},
      {"/Users/me/manual.pdf", true, true, "file:///Users/me/manual.pdf"},
      {"see http here", true, true, nullptr},
      {"", true, true, nullptr},
      {nullptr, true, true, nullptr},
      {"http://example.org/", false, false, "http://example.org/"},
  };
  for (const Case& c : cases) {
    NSWorkspace::clearOpenedURLs();
    accept = c.accept;
    EXPECT_EQ(g.OpenURL(c.url), c.expected) << (c.url ? c.url : "(null)");
    if (c.opened) {
      ASSERT_EQ(NSWorkspace::openedURLs().size(), 1u) << c.url;
      EXPECT_EQ(NSWorkspace::openedURLs()[0], c.opened);
    } else {
      EXPECT_TRUE(NSWorkspace::openedURLs().empty()) << (c.url ? c.url : "(null)");
    }
  }
  NSWorkspace::setOpenURLHandler(nullptr);
  NSWorkspace::clearOpenedURLs();
}

TEST(IGraphicsMacAlone, ClipboardColourAndFixedAnswers)
{
  NSAutoreleasePool* pool = new NSAutoreleasePool();
  TestPlug plug;
  IGraphicsMac g(&plug, 10, 10);
  WDL_String s;
  s.Set("x");
  NSPasteboard::generalPasteboard()->clearContents();
  EXPECT_FALSE(g.GetTextFromClipboard(&s));
  EXPECT_STREQ(s.Get(), "");
  NSPasteboard::generalPasteboard()->setString(NSStr("-12.5"), NSPasteboardTypeString);
  EXPECT_TRUE(g.GetTextFromClipboard(&s));
  EXPECT_STREQ(s.Get(), "-12.5");
  NSPasteboard::generalPasteboard()->clearContents();

  IColor c(1, 2, 3, 4);
  EXPECT_FALSE(g.PromptForColor(&c));
  EXPECT_EQ(c.R, 2);
  EXPECT_STREQ(g.GetGUIAPI(), "Cocoa GUI");
  EXPECT_EQ(g.GetUserOSVersion(), GetSystemVersion());
  EXPECT_GE(GetSystemVersion(), 0x1050);
  EXPECT_FALSE(g.WindowIsOpen());
  EXPECT_EQ(g.OpenWindow(nullptr, nullptr, 0, 0), nullptr);
  EXPECT_FALSE(g.WindowIsOpen());
  // Without a view nothing is shown.
  IRECT r(0, 0, 5, 5);
  g.CreateTextEntry(nullptr, nullptr, &r, "", nullptr);
  g.ForceEndUserEdit();
  g.UpdateTooltips();
  pool->drain();
}

TEST(IGraphicsMacAlone, MeasureITextGivesTheExtent)
{
  TestPlug plug;
  IGraphicsMac g(&plug, 100, 40);
  g.PrepDraw();
  IText style(14, nullptr, "DejaVu Sans");
  IRECT shortText(0, 0, 100, 40), longText(0, 0, 100, 40);
  char a[] = "ab", b[] = "abcdefgh";
  EXPECT_TRUE(g.MeasureIText(&style, a, &shortText));
  EXPECT_TRUE(g.MeasureIText(&style, b, &longText));
  EXPECT_GT(longText.W(), shortText.W());
  EXPECT_GT(shortText.W(), 0);
}

TEST(IGraphicsMacAlone, HiddenPointerComesBackWhereItWas)
{
  CGStandInResetCursorState();
  TestPlug plug;
  IGraphicsMac g(&plug, 10, 10);
  NSEvent::setMouseLocation(NSMakePoint(300, 200));
  g.HideMouseCursor();
  EXPECT_EQ(CGStandInGetCursorState().hideCount, 1);
  g.HideMouseCursor();
  EXPECT_EQ(CGStandInGetCursorState().hideCount, 1) << "hidden once";
  NSEvent::setMouseLocation(NSMakePoint(900, 900));
  g.ShowMouseCursor();
  const CGStandInCursorState s = CGStandInGetCursorState();
  EXPECT_EQ(s.hideCount, 0);
  EXPECT_EQ(s.position.x, 300);
  EXPECT_EQ(s.position.y, (CGFloat)CGDisplayPixelsHigh(CGMainDisplayID()) - 200);
  g.ShowMouseCursor();
  EXPECT_EQ(CGStandInGetCursorState().moveCount, 1) << "shown once";
  CGStandInResetCursorState();
}

TEST(IGraphicsMacAlone, SubWindowIsACentredBorderlessChild)
{
  NSAutoreleasePool* pool = new NSAutoreleasePool();
  TestPlug plug;
  IGraphicsMac* g = new IGraphicsMac(&plug, 200, 100);
  plug.AttachGraphics(g);
  OpaqueWindowPtr hostRef{50, 60, 401, 300};
  g->AttachSubWindow(&hostRef);
  NSWindow* host = g->GetHostWindow();
  ASSERT_NE(host, nullptr);
  ASSERT_EQ(host->childWindows()->count(), 1u);
  auto* child = ns_cast<CustomCocoaWindow_vKelvo_au>(host->childWindows()->firstObject());
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->frame().origin.x, 50 + 100);
  EXPECT_EQ(child->frame().origin.y, 60);
  EXPECT_EQ(child->frame().size.width, 200);
  EXPECT_EQ(child->styleMask(), (NSWindowStyleMask)NSBorderlessWindowMask);
  EXPECT_EQ(child->canBecomeKeyWindow(), YES);
  ASSERT_NE(g->GetWindow(), nullptr);
  EXPECT_EQ(static_cast<NSView*>(g->GetWindow())->window(), child);
  EXPECT_TRUE(host->isVisible());
  EXPECT_FALSE(child->isVisible());
  NSRunLoop::currentRunLoop()->runForTimeInterval(0.1);
  EXPECT_TRUE(child->isVisible()) << "brought forward after the delay";

  g->RemoveSubWindow();
  EXPECT_EQ(g->GetHostWindow(), nullptr);
  EXPECT_FALSE(g->WindowIsOpen());
  g->RemoveSubWindow();

  OpaqueWindowPtr narrowRef{0, 0, 150, 80};
  g->AttachSubWindow(&narrowRef);
  auto* narrowChild = ns_cast<NSWindow>(g->GetHostWindow()->childWindows()->firstObject());
  EXPECT_EQ(narrowChild->frame().origin.x, 0) << "no offset when the host is narrower";
  g->RemoveSubWindow();
  EXPECT_FALSE(g->WindowIsOpen());
  NSRunLoop::currentRunLoop()->runForTimeInterval(0.1);
  pool->drain();
}

}  // namespace
