// The one display and the pointer record.

#include <CoreGraphics/CGStandIn.h>

#include <mutex>

namespace {

struct Display
{
  std::mutex lock;
  size_t width = 1920, height = 1080;
  CGStandInCursorState cursor{0, {0, 0}, true, 0};
};

Display& TheDisplay()
{
  static Display d;
  return d;
}

constexpr CGDirectDisplayID kMainDisplay = 1;

}  // namespace

extern "C" {

CGDirectDisplayID CGMainDisplayID(void) { return kMainDisplay; }

size_t CGDisplayPixelsWide(CGDirectDisplayID display)
{
  Display& d = TheDisplay();
  std::lock_guard<std::mutex> hold(d.lock);
  return display == kMainDisplay ? d.width : 0;
}

size_t CGDisplayPixelsHigh(CGDirectDisplayID display)
{
  Display& d = TheDisplay();
  std::lock_guard<std::mutex> hold(d.lock);
  return display == kMainDisplay ? d.height : 0;
}

CGRect CGDisplayBounds(CGDirectDisplayID display)
{
  return CGRectMake(0, 0, CGDisplayPixelsWide(display), CGDisplayPixelsHigh(display));
}

CGError CGDisplayHideCursor(CGDirectDisplayID display)
{
  if (display != kMainDisplay) return kCGErrorIllegalArgument;
  Display& d = TheDisplay();
  std::lock_guard<std::mutex> hold(d.lock);
  ++d.cursor.hideCount;
  return kCGErrorSuccess;
}

// A show without a pending hide is accepted and changes nothing.
CGError CGDisplayShowCursor(CGDirectDisplayID display)
{
  if (display != kMainDisplay) return kCGErrorIllegalArgument;
  Display& d = TheDisplay();
  std::lock_guard<std::mutex> hold(d.lock);
  if (d.cursor.hideCount > 0) --d.cursor.hideCount;
  return kCGErrorSuccess;
}

CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point)
{
  if (display != kMainDisplay) return kCGErrorIllegalArgument;
  return CGWarpMouseCursorPosition(point);
}

CGError CGWarpMouseCursorPosition(CGPoint point)
{
  Display& d = TheDisplay();
  std::lock_guard<std::mutex> hold(d.lock);
  d.cursor.position = point;
  ++d.cursor.moveCount;
  return kCGErrorSuccess;
}

CGError CGAssociateMouseAndMouseCursorPosition(boolean_t connected)
{
  Display& d = TheDisplay();
  std::lock_guard<std::mutex> hold(d.lock);
  d.cursor.associated = connected != 0;
  return kCGErrorSuccess;
}

void CGStandInSetDisplaySize(size_t width, size_t height)
{
  Display& d = TheDisplay();
  std::lock_guard<std::mutex> hold(d.lock);
  d.width = width;
  d.height = height;
}

CGStandInCursorState CGStandInGetCursorState(void)
{
  Display& d = TheDisplay();
  std::lock_guard<std::mutex> hold(d.lock);
  return d.cursor;
}

void CGStandInResetCursorState(void)
{
  Display& d = TheDisplay();
  std::lock_guard<std::mutex> hold(d.lock);
  d.cursor = CGStandInCursorState{0, {0, 0}, true, 0};
}

}  // extern "C"
