// A host showing a unit's editor as hosts do: the CocoaUI property, the view factory made by
// name, its view in a window on the run loop, a knob dragged with the pointer while an event
// listener hears the gestures, and the view removed again. Once with a small unit registered
// in process, once with the built Kelvo bundle.

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AUCocoaUIView.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "IControl.h"
#include "IControls.h"
#include "IPlugAU_ViewFactory.h"
#include "IPlug_include_in_plug_src.h"
#include "base/fourcc.h"
#include "Kelvo/Kelvo.h"
#include "mac_fixture.h"

namespace {

const int kW = 200, kH = 100;
const IRECT kKnobRect(50, 20, 100, 70);
const IColor kBack(255, 20, 30, 40), kLine(255, 250, 250, 250);

// One knob on a plain panel, pictures from the test bundle.
class KnobPlug : public IPlugAU
{
public:
  explicit KnobPlug(IPlugInstanceInfo info)
      : IPlugAU(info, 1, "1-1 2-2", 1, "Knob", "", "Tests", 0x10000, FourCC("Knb1"), FourCC("Test"), 0, false, false,
                false, 0)
  {
    GetParam(0)->InitDouble("Gain", 0.0, 0.0, 1.0, 0.01);
    IGraphicsMac* g = new IGraphicsMac(this, kW, kH);
    g->SetBundleID(mac_test::kPicturesID);
    g->AttachPanelBackground(&kBack);
    g->AttachControl(new IKnobLineControl(this, kKnobRect, 0, &kLine, 0, 20));
    AttachGraphics(g);
    MakeDefaultPreset("-", 1);
  }
  void OnGUIOpen() override { ++guiOpens; }
  int guiOpens = 0;
};

}  // namespace

IPLUG_AU_ENTRY_POINTS(KnobPlug, MacKnob, "com.test.mac.pictures", "Kelvo_View")

namespace {

void Listen(void* refCon, void*, const AudioUnitEvent* e, UInt64, AudioUnitParameterValue)
{
  static const char* const names[] = {"value", "begin", "end", "property"};
  static_cast<std::vector<std::string>*>(refCon)->push_back(names[e->mEventType & 3]);
}

std::string Text(CFStringRef s)
{
  char buf[1024] = "";
  if (s) CFStringGetCString(s, buf, sizeof(buf), kCFStringEncodingUTF8);
  return buf;
}

std::string PathOf(CFURLRef url)
{
  char buf[4096] = "";
  if (url) CFURLGetFileSystemRepresentation(url, true, (UInt8*)buf, sizeof(buf));
  return buf;
}

LICE_pixel ScreenPixel(NSWindow* w, int x, int y)
{
  const unsigned char* p = w->backingBytes() + (size_t)y * w->backingBytesPerRow() + (size_t)x * 4;
  return LICE_RGBA(p[2], p[1], p[0], 255);
}

std::vector<LICE_pixel> ScreenArea(NSWindow* w, const IRECT& r)
{
  std::vector<LICE_pixel> px;
  for (int y = r.T; y < r.B; ++y)
    for (int x = r.L; x < r.R; ++x) px.push_back(ScreenPixel(w, x, y));
  return px;
}

// The host's side of one editor session on a unit.
class CocoaHost : public mac_test::PoolTest
{
protected:
  void TearDown() override
  {
    if (listener) AUListenerDispose(listener);
    if (factory) factory->release();
    if (window) window->close();
    if (unit) AudioComponentInstanceDispose(unit);
    mac_test::PoolTest::TearDown();
  }

  // Reads the CocoaUI property and makes the factory it names.
  void MakeFactory(const std::string& expectedBundle)
  {
    AudioUnitCocoaViewInfo info{};
    UInt32 size = sizeof(info);
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size), noErr);
    EXPECT_EQ(PathOf(info.mCocoaAUViewBundleLocation), expectedBundle);
    const std::string className = Text(info.mCocoaAUViewClass[0]);
    CFRelease(info.mCocoaAUViewBundleLocation);
    CFRelease(info.mCocoaAUViewClass[0]);
    EXPECT_EQ(className, "Kelvo_View");
    Class cls = NSClassFromString(NSStr(className.c_str()));
    ASSERT_NE(cls, nullptr);
    factory = ns_cast<AUCocoaUIBase>(cls->alloc()->init());
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->interfaceVersion(), 0u);
  }

  // Puts the view in a window of its size and lets the run loop show it.
  void Show(NSView* view)
  {
    const NSRect f = view->frame();
    window = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, f.size.width, f.size.height), NSTitledWindowMask,
                                                    NSBackingStoreBuffered, NO);
    window->contentView()->addSubview(view);
    NSRunLoop::currentRunLoop()->runForTimeInterval(0.1);
  }

  // Events are delivered on the notifying thread (no run loop: the run loop of this
  // AppKit does not serve Core Foundation's queued calls).
  void ListenToParameter(AudioUnitParameterID id)
  {
    ASSERT_EQ(AUEventListenerCreate(Listen, &events, nullptr, nullptr, 0, 0, &listener), noErr);
    for (AudioUnitEventType type : {kAudioUnitEvent_ParameterValueChange, kAudioUnitEvent_BeginParameterChangeGesture,
                                    kAudioUnitEvent_EndParameterChangeGesture}) {
      AudioUnitEvent e{};
      e.mEventType = type;
      e.mArgument.mParameter = AudioUnitParameter{unit, id, kAudioUnitScope_Global, 0};
      ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &e), noErr);
    }
  }

  // Drags from the centre of an editor rectangle upwards by `rise` pixels in steps.
  void DragUp(const IRECT& r, int editorHeight, int rise)
  {
    const double x = (r.L + r.R) / 2 + 2, y = editorHeight - (r.T + r.B) / 2 - 3;
    auto send = [&](NSEventType type, double py) {
      window->sendEvent(
          NSEvent::mouseEventWithType(type, NSMakePoint(x, py), 0, 0, window->windowNumber(), nullptr, 0, 1, 1));
    };
    send(NSLeftMouseDown, y);
    for (int step = 1; step <= 4; ++step) send(NSLeftMouseDragged, y + rise * step / 4);
    send(NSLeftMouseUp, y + rise);
    NSRunLoop::currentRunLoop()->runForTimeInterval(0.1);
  }

  IPlugAU* PlugOf()
  {
    IPlugAU* plug = nullptr;
    UInt32 size = sizeof(plug);
    AudioUnitGetProperty(unit, IPlugAU::kIPlugObjectPropertyID, kAudioUnitScope_Global, 0, &plug, &size);
    return plug;
  }

  AudioUnit unit = nullptr;
  AUCocoaUIBase* factory = nullptr;
  NSWindow* window = nullptr;
  AUEventListenerRef listener = nullptr;
  std::vector<std::string> events;
};

AudioComponent KnobComponent()
{
  static AudioComponentDescription desc{kAudioUnitType_Effect, FourCC("Knb1"), FourCC("Test"), 0, 0};
  static AudioComponent comp = AudioComponentRegister(&desc, CFSTR("Tests: Knob"), 0x10000,
                                                      reinterpret_cast<AudioComponentFactoryFunction>(MacKnob_Factory));
  return comp;
}

TEST_F(CocoaHost, EditorOfAnInProcessUnitShowsAndSendsGestures)
{
  ASSERT_NE(mac_test::Pictures().bundle, nullptr);
  ASSERT_NE(KnobComponent(), nullptr);
  ASSERT_EQ(AudioComponentInstanceNew(KnobComponent(), &unit), noErr);
  MakeFactory(mac_test::Pictures().path);
  ASSERT_NE(factory, nullptr);
  auto* named = ns_cast<Kelvo_View>(factory);
  ASSERT_NE(named, nullptr);
  EXPECT_STREQ(named->description()->UTF8String(), "Kelvo View");

  EXPECT_EQ(factory->uiViewForAudioUnit(nullptr, NSMakeSize(0, 0)), nullptr);
  NSView* view = factory->uiViewForAudioUnit(unit, NSMakeSize(1, 1));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->frame().size.width, kW);
  EXPECT_EQ(view->frame().size.height, kH);
  KnobPlug* plug = static_cast<KnobPlug*>(PlugOf());
  EXPECT_EQ(named->plug(), plug);
  EXPECT_EQ(plug->guiOpens, 1);

  const int timers = NSRunLoop::currentRunLoop()->timerCount();
  Show(view);
  EXPECT_EQ(ScreenPixel(window, 2, 2), LICE_RGBA(20, 30, 40, 255));
  const std::vector<LICE_pixel> before = ScreenArea(window, kKnobRect);
  EXPECT_NE(std::count(before.begin(), before.end(), LICE_RGBA(250, 250, 250, 255)), 0) << "the knob's line shows";

  ListenToParameter(0);
  DragUp(kKnobRect, kH, 40);
  Float32 value = 0;
  ASSERT_EQ(AudioUnitGetParameter(unit, 0, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_GT(value, 0.05f);
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front(), "begin");
  EXPECT_EQ(events.back(), "end");
  EXPECT_EQ(std::count(events.begin(), events.end(), "value"), (long)events.size() - 2);
  EXPECT_NE(ScreenArea(window, kKnobRect), before) << "the knob moved on screen";

  view->removeFromSuperview();
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), timers - 1) << "the refresh timer stopped";
  EXPECT_FALSE(static_cast<IGraphics*>(plug->GetGUI())->WindowIsOpen());
}

TEST_F(CocoaHost, EditorOfTheKelvoBundle)
{
  const char* buildDir = getenv("KELVO_BUILD_DIR");
  ASSERT_NE(buildDir, nullptr);
  const std::string bundle = std::string(buildDir) + "/Kelvo.component";
  ASSERT_EQ(AudioComponentRegisterBundle(bundle.c_str()), noErr);
  AudioComponentDescription desc{kAudioUnitType_Effect, FourCC("Kel1"), FourCC("Qlmh"), 0, 0};
  AudioComponent comp = AudioComponentFindNext(nullptr, &desc);
  ASSERT_NE(comp, nullptr);
  ASSERT_EQ(AudioComponentInstanceNew(comp, &unit), noErr);
  AudioUnitCocoaViewInfo probe{};
  UInt32 size = sizeof(probe);
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &probe, &size) ==
      kAudioUnitErr_InvalidProperty)
    GTEST_SKIP() << "this build of the product has no editor";
  CFRelease(probe.mCocoaAUViewBundleLocation);
  CFRelease(probe.mCocoaAUViewClass[0]);
  MakeFactory(bundle);
  ASSERT_NE(factory, nullptr);
  NSView* view = factory->uiViewForAudioUnit(unit, NSMakeSize(0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->frame().size.width, 367);
  EXPECT_EQ(view->frame().size.height, 630);
  Show(view);
  const std::vector<LICE_pixel> all = ScreenArea(window, IRECT(0, 0, 367, 630));
  EXPECT_NE(std::count(all.begin(), all.end(), all[0]), (long)all.size()) << "the editor's picture shows";
  // Above the knobs the window shows the background picture from the bundle's resources.
  LICE_IBitmap* background = LICE_LoadPNG((bundle + "/Contents/Resources/bg.png").c_str());
  ASSERT_NE(background, nullptr);
  int differing = 0;
  for (int y = 0; y < 60; y += 7)
    for (int x = 0; x < 367; x += 11)
      differing += (ScreenPixel(window, x, y) & 0xFFFFFF) != (LICE_GetPixel(background, x, y) & 0xFFFFFF);
  delete background;
  EXPECT_EQ(differing, 0);

  // The GainL knob, found in the editor the unit built.
  IGraphics* editor = static_cast<IGraphics*>(PlugOf()->GetGUI());
  IRECT knob;
  for (int i = 0; i < editor->GetNControls(); ++i)
    if (editor->GetControl(i)->ParamIdx() == kGainL) knob = editor->GetControl(i)->GetTargetRECT();
  ASSERT_FALSE(knob.Empty());
  Float32 start = 0, end = 0;
  AudioUnitGetParameter(unit, kGainL, kAudioUnitScope_Global, 0, &start);
  const std::vector<LICE_pixel> before = ScreenArea(window, knob);
  ListenToParameter(kGainL);
  DragUp(knob, 630, 40);
  AudioUnitGetParameter(unit, kGainL, kAudioUnitScope_Global, 0, &end);
  EXPECT_GT(end, start);
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front(), "begin");
  EXPECT_EQ(events.back(), "end");
  EXPECT_NE(ScreenArea(window, knob), before);

  const int timers = NSRunLoop::currentRunLoop()->timerCount();
  view->removeFromSuperview();
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), timers - 1);
  EXPECT_FALSE(editor->WindowIsOpen());
}

}  // namespace
