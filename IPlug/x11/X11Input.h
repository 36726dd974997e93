#pragma once
// How X input becomes the editor's: key numbers, mouse buttons and modifiers, double clicks, and
// the characters a typed value may hold.

#include "X11Lib.h"
#include "IGraphicsStructs.h"

class IParam;

// The editor's number for a key (0 space, 1-4 up, down, left, right, 5-14 digits, 15-40 letters in
// either case); -1 for a key the editor does not take.
int X11KeyNumber(KeySym sym);

// The modifiers of a press, release, drag or wheel step: L for the left button (with the Super key
// held also R, as Command does on a Mac), R alone for the right button, S Shift, C Control, A Alt.
// button is the X button of a press or release, 0 for motion (then the held buttons count).
IMouseMod X11MouseMod(unsigned int button, unsigned int state);

// Tells a double click from a single one: a second left press within kInterval ms and kSlop
// pixels of the first. A third press starts over.
class X11ClickCounter
{
public:
  static constexpr unsigned long kInterval = 400;
  static constexpr int kSlop = 4;
  // Records a press; true when it completes a double click.
  bool Press(Time time, int x, int y);
  void Reset() { mPending = false; }

private:
  bool mPending = false;
  Time mTime = 0;
  int mX = 0, mY = 0;
};

// The characters a value typed for the parameter may hold: digits and signs for Boolean, integer
// and enumerated parameters, also the point for floating-point ones, none for other types; null
// (anything goes) without a parameter.
const char* X11EntryCharacters(const IParam* pParam);
// Whether the whole text may stand in a text field with that filter: every character allowed
// (allowed null: any), and at most maxLength characters when maxLength is positive.
bool X11EntryAccepts(const char* text, const char* allowed, int maxLength);
