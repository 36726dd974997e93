#include "editorwindow.h"

#include <AppKit/AppKit.h>
#include <AudioUnit/AUCocoaUIView.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The editor view reads a press at view point (px, py) as editor point (px - 2, H - py - 3).
constexpr int kViewOffsetX = 2, kViewOffsetY = 3;

std::string CFToString(CFStringRef s)
{
  if (!s) return "";
  char buf[512];
  return CFStringGetCString(s, buf, sizeof(buf), kCFStringEncodingUTF8) ? buf : "";
}

}  // namespace

EditorWindow::~EditorWindow()
{
  if (mView) mView->removeFromSuperview();
  if (mWindow) {
    mWindow->close();
    mWindow->release();
  }
  // One more turn of the run loop, as a host's event loop goes on: it lets go of the editor's
  // stopped timer.
  NSRunLoop::currentRunLoop()->runForTimeInterval(0.0);
}

bool EditorWindow::Open(AudioUnit unit, std::string& err)
{
  AudioUnitCocoaViewInfo info = {};
  UInt32 size = sizeof(info);
  const OSStatus status =
      AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size);
  if (status != noErr) {
    err = "the plug-in offers no Cocoa view (CocoaUI property: status " + std::to_string(status) + ")";
    return false;
  }
  // The view bundle is the plug-in's own, loaded already.
  if (info.mCocoaAUViewBundleLocation) CFRelease(info.mCocoaAUViewBundleLocation);
  const std::string className = CFToString(info.mCocoaAUViewClass[0]);
  if (info.mCocoaAUViewClass[0]) CFRelease(info.mCocoaAUViewClass[0]);

  Class factoryClass = NSClassFromName(className.c_str());
  NSObject* object = factoryClass ? factoryClass->alloc() : nullptr;
  AUCocoaUIBase* factory = object ? ns_cast<AUCocoaUIBase>(object->init()) : nullptr;
  if (!factory) {
    if (object) object->release();
    err = "the plug-in's view factory '" + className + "' cannot be made";
    return false;
  }
  NSView* view = factory->uiViewForAudioUnit(unit, NSMakeSize(0, 0));
  factory->release();
  if (!view) {
    err = "the view factory '" + className + "' gave no view";
    return false;
  }
  mWidth = (int)view->frame().size.width;
  mHeight = (int)view->frame().size.height;
  mWindow = NSWindow::alloc()->initWithContentRect(
      NSMakeRect(100, 100, mWidth, mHeight), NSTitledWindowMask | NSClosableWindowMask, NSBackingStoreBuffered, NO);
  mWindow->setReleasedWhenClosed(NO);
  mWindow->contentView()->addSubview(view);
  view->setFrameOrigin(NSMakePoint(0, 0));
  mView = view;
  mWindow->makeKeyAndOrderFront(nullptr);
  mWindow->display();
  return true;
}

void EditorWindow::Send(unsigned long type, int x, int y)
{
  const NSPoint inView = NSMakePoint(x + kViewOffsetX, mHeight - y - kViewOffsetY);
  NSEvent* e = NSEvent::mouseEventWithType(type, mView->convertPointToBase(inView), 0, NSRunLoop::now(),
                                           mWindow->windowNumber(), nullptr, 0, 1, 1.0f);
  mWindow->sendEvent(e);
}

void EditorWindow::Click(int x, int y)
{
  if (!mWindow) return;
  Send(NSLeftMouseDown, x, y);
  Send(NSLeftMouseUp, x, y);
}

void EditorWindow::Drag(int x, int y, int dx, int dy)
{
  if (!mWindow) return;
  Send(NSLeftMouseDown, x, y);
  const int steps = std::max(1, (std::max(std::abs(dx), std::abs(dy)) + 3) / 4);
  for (int i = 1; i <= steps; ++i) Send(NSLeftMouseDragged, x + dx * i / steps, y + dy * i / steps);
  Send(NSLeftMouseUp, x + dx, y + dy);
}

void EditorWindow::Settle()
{
  // Five ticks of the editor's 25 Hz timer: a change is drawn on the next tick, and once more after.
  NSRunLoop::currentRunLoop()->runForTimeInterval(0.2);
  if (mWindow) mWindow->displayIfNeeded();
}

const unsigned char* EditorWindow::Pixels() const { return mWindow ? mWindow->backingBytes() : nullptr; }

size_t EditorWindow::BytesPerRow() const { return mWindow ? mWindow->backingBytesPerRow() : 0; }
