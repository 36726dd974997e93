#pragma once
// Additions of this stand-in, for hosts and tests: the display size and the
// record of what was done to the pointer.

#include <CoreGraphics/CGDirectDisplay.h>

struct CGStandInCursorState
{
  int hideCount;     // hides not yet matched by shows
  CGPoint position;  // global coordinates, top-left origin
  bool associated;   // mouse motion moves the pointer
  int moveCount;     // pointer moves made through the API
};

extern "C" {
// Set the main display's size (default 1920 x 1080).
void CGStandInSetDisplaySize(size_t width, size_t height);
// Read the pointer record.
CGStandInCursorState CGStandInGetCursorState(void);
// Put the pointer record back to its initial state (shown, at the origin,
// associated, no moves).
void CGStandInResetCursorState(void);
}
