#pragma once
// An editor on the AppKit stand-in for tests: a plug-in that records what it tells the host,
// a control that records the input it gets, and an IGraphicsMac shown in a window.

#include <AppKit/AppKit.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "IControl.h"
#include "IGraphicsCocoa.h"
#include "IGraphicsMac.h"
#include "IPlugBase.h"

namespace mac_test {

enum { kGain = 0, kSteps, kNumParams };

class TestPlug : public IPlugBase
{
public:
  TestPlug()
      : IPlugBase(kNumParams, "1-1 2-2", 1, "Test", "Test", "Tester", 0x10000, 0x4D746331, 0x54657374, 0, false, false,
                  false, kAPIAU)
  {
    GetParam(kGain)->InitDouble("Gain", 0.0, -40.0, 0.0, 0.01, "dB");
    GetParam(kSteps)->InitInt("Steps", 1, 0, 10, "");
  }
  void BeginInformHostOfParamChange(int idx) override { gestures.push_back("begin " + std::to_string(idx)); }
  void InformHostOfParamChange(int idx, double normalized) override { changes.emplace_back(idx, normalized); }
  void EndInformHostOfParamChange(int idx) override { gestures.push_back("end " + std::to_string(idx)); }
  void OnGUIOpen() override { ++guiOpens; }

  std::vector<std::string> gestures;
  std::vector<std::pair<int, double>> changes;
  int guiOpens = 0;
};

// Records every input as "what x y mods" (mods as the letters of the set flags).
class RecordingControl : public IControl
{
public:
  RecordingControl(IPlugBase* plug, IRECT r, int paramIdx = -1) : IControl(plug, r, paramIdx) {}

  static std::string Mods(const IMouseMod* m)
  {
    std::string s;
    if (m->L) s += "L";
    if (m->R) s += "R";
    if (m->S) s += "S";
    if (m->C) s += "C";
    if (m->A) s += "A";
    return s;
  }
  void Note(const char* what, int x, int y, const IMouseMod* m)
  {
    events.push_back(std::string(what) + " " + std::to_string(x) + " " + std::to_string(y) + " " + Mods(m));
  }
  void OnMouseDown(int x, int y, IMouseMod* m) override { Note("down", x, y, m); }
  void OnMouseUp(int x, int y, IMouseMod* m) override { Note("up", x, y, m); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* m) override { Note("drag", x, y, m); }
  void OnMouseDblClick(int x, int y, IMouseMod* m) override { Note("dbl", x, y, m); }
  void OnMouseOver(int x, int y, IMouseMod* m) override { Note("over", x, y, m); }
  void OnMouseWheel(int x, int y, IMouseMod* m, int d) override
  {
    Note(("wheel " + std::to_string(d)).c_str(), x, y, m);
  }
  bool OnKeyDown(int, int, int key) override
  {
    keys.push_back(key);
    return acceptKeys;
  }
  void TextFromTextEntry(const char* str) override { texts.push_back(str); }
  bool Draw(IGraphics* g) override
  {
    ++draws;
    return g->FillIRect(&color, &mRECT);
  }

  std::vector<std::string> events;
  std::vector<int> keys;
  std::vector<std::string> texts;
  bool acceptKeys = true;
  int draws = 0;
  IColor color{255, 40, 80, 120};
};

const char* const kPicturesID = "com.test.mac.pictures";

// A bundle in a temporary folder with knob.png (3 x 2), png.png and PNG.png (1 x 1) in its
// resources, known to the bundle registry under kPicturesID; removed at exit.
struct PictureBundle
{
  PictureBundle();
  ~PictureBundle();
  std::string root, path;
  CFBundleRef bundle = nullptr;
};
PictureBundle& Pictures();

// An autorelease pool for the test's duration.
class PoolTest : public ::testing::Test
{
protected:
  void SetUp() override { mPool = new NSAutoreleasePool(); }
  void TearDown() override
  {
    NSRunLoop::currentRunLoop()->runForTimeInterval(0.001);  // lets the run loop drop stopped timers
    mPool->drain();
    NSAutoreleasePool::drainOrphans();
  }

private:
  NSAutoreleasePool* mPool = nullptr;
};

// A W x H editor with one recording control over all of it, open in a titled window.
class MacEditorTest : public PoolTest
{
protected:
  static constexpr int W = 367, H = 630;
  const IColor kBackground{255, 0, 0, 0};

  void SetUp() override
  {
    PoolTest::SetUp();
    plug = new TestPlug();
    graphics = new IGraphicsMac(plug, W, H);
    control = new RecordingControl(plug, IRECT(-10, -10, W, H));
    plug->AttachGraphics(graphics);
    graphics->AttachPanelBackground(&kBackground);  // index 0 takes no keys
    graphics->AttachControl(control);
    window = NSWindow::alloc()->initWithContentRect(NSMakeRect(100, 100, W, H), NSTitledWindowMask,
                                                    NSBackingStoreBuffered, NO);
    view = static_cast<IGraphicsCocoa_vKelvo_au*>(graphics->OpenWindow(window->contentView()));
  }
  void TearDown() override
  {
    delete plug;  // deletes the editor, which closes its view
    window->close();
    NSMenu::setContextMenuResponder(nullptr);
    PoolTest::TearDown();
  }

  // Sends a mouse event at a point in view coordinates.
  void Mouse(NSEventType type, double x, double y, NSEventModifierFlags flags = 0, NSInteger clicks = 1)
  {
    window->sendEvent(
        NSEvent::mouseEventWithType(type, NSMakePoint(x, y), flags, 0, window->windowNumber(), nullptr, 0, clicks, 1));
  }
  void Key(unsigned short keyCode, const char* chars, NSEventModifierFlags flags = 0)
  {
    window->sendEvent(NSEvent::keyEventWithType(NSKeyDown, NSMakePoint(0, 0), flags, 0, window->windowNumber(), nullptr,
                                                NSStr(chars), NSStr(chars), NO, keyCode));
  }
  void Run(double seconds) { NSRunLoop::currentRunLoop()->runForTimeInterval(seconds); }

  TestPlug* plug = nullptr;
  IGraphicsMac* graphics = nullptr;
  RecordingControl* control = nullptr;
  NSWindow* window = nullptr;
  IGraphicsCocoa_vKelvo_au* view = nullptr;
};

}  // namespace mac_test
