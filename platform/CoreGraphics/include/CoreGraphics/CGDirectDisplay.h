#pragma once
// The display and the mouse pointer. There is one display; pointer
// visibility and position are kept in process state (see CGStandIn.h).

#include <CoreGraphics/CGGeometry.h>

typedef uint32_t CGDirectDisplayID;
typedef uint32_t boolean_t;

extern "C" {
CGDirectDisplayID CGMainDisplayID(void);
// Size of the display in pixels; 0 for an unknown display.
size_t CGDisplayPixelsWide(CGDirectDisplayID display);
size_t CGDisplayPixelsHigh(CGDirectDisplayID display);
CGRect CGDisplayBounds(CGDirectDisplayID display);
// Hide / show the pointer: hides are counted, and the pointer shows again
// when every hide has been matched by a show.
CGError CGDisplayHideCursor(CGDirectDisplayID display);
CGError CGDisplayShowCursor(CGDirectDisplayID display);
// Move the pointer to a point in display coordinates (top-left origin).
CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point);
// Move the pointer to a point in global coordinates (top-left origin).
CGError CGWarpMouseCursorPosition(CGPoint point);
// Whether mouse motion moves the pointer.
CGError CGAssociateMouseAndMouseCursorPosition(boolean_t connected);
}
