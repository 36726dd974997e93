#pragma once

// Trapping the X errors of the editor's own connection: while a trap is alive, errors raised on
// its display are counted and reported on stderr instead of reaching the process's handler (a
// host's toolkit may stop the process on an error it does not expect, such as a request on a
// window the host just destroyed).
// Errors of other displays still go to the handler that was installed before.

#include "X11Lib.h"

class X11ErrorTrap
{
public:
  // Starts trapping errors of pDisplay (traps nest; the innermost one for a display counts).
  explicit X11ErrorTrap(Display* pDisplay);
  // Stops trapping; the previous handler is back once the outermost trap ends.
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Errors of this display trapped since this trap began (sync first to see them all).
  int Count() const { return mCount; }
  // Every error trapped in this process so far.
  static long Total();

private:
  static int Handler(Display* pDisplay, XErrorEvent* pEvent);

  Display* mDisplay;
  int mCount = 0;
  X11ErrorTrap* mOuter;
};
