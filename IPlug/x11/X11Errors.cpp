#include "X11Errors.h"

#include <cstdio>

namespace {
// The traps alive, innermost first, and the handler that was installed before the first.
// The editor's connection is used by one thread at a time (the host's user-interface thread).
X11ErrorTrap* sInnermost = nullptr;
XErrorHandler sPrevious = nullptr;
long sTotal = 0;
}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* pDisplay) : mDisplay(pDisplay), mOuter(sInnermost)
{
  if (!sInnermost) sPrevious = XSetErrorHandler(&X11ErrorTrap::Handler);
  sInnermost = this;
}

X11ErrorTrap::~X11ErrorTrap()
{
  sInnermost = mOuter;
  if (sInnermost) return;
  // Someone may have installed a handler meanwhile: keep theirs.
  XErrorHandler current = XSetErrorHandler(sPrevious);
  if (current != &X11ErrorTrap::Handler) XSetErrorHandler(current);
  sPrevious = nullptr;
}

long X11ErrorTrap::Total() { return sTotal; }

int X11ErrorTrap::Handler(Display* pDisplay, XErrorEvent* pEvent)
{
  for (X11ErrorTrap* t = sInnermost; t; t = t->mOuter) {
    if (t->mDisplay != pDisplay) continue;
    ++t->mCount;
    ++sTotal;
    // Said, not fatal: a host may have destroyed the window a request was for.
    std::fprintf(stderr, "Kelvo editor: X error %d on request %d.%d\n", pEvent->error_code, pEvent->request_code,
                 pEvent->minor_code);
    return 0;
  }
  return sPrevious ? sPrevious(pDisplay, pEvent) : 0;
}
