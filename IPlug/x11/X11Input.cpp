#include "X11Input.h"

#include <cstdlib>
#include <cstring>

#include "IParam.h"

int X11KeyNumber(KeySym sym)
{
  switch (sym) {
    case XK_space:
      return 0;
    case XK_Up:
      return 1;
    case XK_Down:
      return 2;
    case XK_Left:
      return 3;
    case XK_Right:
      return 4;
    default:
      break;
  }
  if (sym >= XK_0 && sym <= XK_9) return 5 + (int)(sym - XK_0);
  if (sym >= XK_a && sym <= XK_z) return 15 + (int)(sym - XK_a);
  if (sym >= XK_A && sym <= XK_Z) return 15 + (int)(sym - XK_A);
  return -1;
}

IMouseMod X11MouseMod(unsigned int button, unsigned int state)
{
  IMouseMod mod;
  if (button == Button3 || (button == 0 && (state & Button3Mask) && !(state & Button1Mask))) {
    mod.R = true;
  } else {
    mod.L = true;
    mod.R = (state & Mod4Mask) != 0;
  }
  mod.S = (state & ShiftMask) != 0;
  mod.C = (state & ControlMask) != 0;
  mod.A = (state & Mod1Mask) != 0;
  return mod;
}

bool X11ClickCounter::Press(Time time, int x, int y)
{
  const bool dbl = mPending && time - mTime <= kInterval && std::abs(x - mX) <= kSlop && std::abs(y - mY) <= kSlop;
  mPending = !dbl;
  mTime = time;
  mX = x;
  mY = y;
  return dbl;
}

const char* X11EntryCharacters(const IParam* pParam)
{
  if (!pParam) return nullptr;
  switch (pParam->Type()) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      return "0123456789-+";
    case IParam::kTypeDouble:
      return "0123456789.-+";
    default:
      return "";
  }
}

bool X11EntryAccepts(const char* text, const char* allowed, int maxLength)
{
  if (!text) return true;
  const size_t len = std::strlen(text);
  if (maxLength > 0 && len > (size_t)maxLength) return false;
  if (!allowed) return true;
  for (size_t i = 0; i < len; ++i)
    if (!std::strchr(allowed, text[i])) return false;
  return true;
}
