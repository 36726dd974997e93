#pragma once
// Tests against a real X server: an Xvfb of the test's own (a free display picked with -displayfd,
// stopped by its process id), and a second connection that plays the user through XTest.

#include <sys/types.h>

#include <string>
#include <vector>

#include "x11/X11Lib.h"

class LICE_IBitmap;

namespace kelvo_test {

class Xvfb
{
public:
  Xvfb() = default;
  // Stops the server.
  ~Xvfb() { Stop(); }
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  // Starts Xvfb with a 1024 x 768 24-bit screen; false with the reason in *err.
  bool Start(std::string* err);
  // Ends the server started here (by its process id) and waits for it.
  void Stop();
  // ":N", the display's name.
  const std::string& Name() const { return mName; }

private:
  pid_t mPid = -1;
  std::string mName;
};

// The process-wide server of a test program, started on first use; null (with a message on stderr)
// when Xvfb cannot be started.
Xvfb* SharedXvfb();

// A user at the keyboard and mouse of a display, through XTest on a connection of its own.
class XUser
{
public:
  explicit XUser(const std::string& display);
  ~XUser();
  XUser(const XUser&) = delete;
  XUser& operator=(const XUser&) = delete;
  bool Ok() const { return mDisplay != nullptr; }
  Display* GetDisplay() const { return mDisplay; }

  // Moves the pointer to window point (x, y).
  void MoveTo(Window w, int x, int y);
  void Press(unsigned button);
  void Release(unsigned button);
  // Presses and releases a key, with Shift held when shift is set.
  void Key(KeySym sym, bool shift = false);
  // Types text of characters with plain keysyms (digits, letters, '.', '-', '+').
  void Type(const char* text);
  // Holds or lets go of a modifier key.
  void Hold(KeySym sym, bool down);
  // Where window point (x, y) is on the screen.
  void ToRoot(Window w, int x, int y, int* rx, int* ry);

private:
  Display* mDisplay = nullptr;
};

// The pixels of a window area as 0xRRGGBB, row by row; empty when the area cannot be read.
std::string ReadWindowPixels(Display* display, Window w, int x, int y, int width, int height,
                             std::vector<unsigned>* pixels);

// Compares a window's pixels with a bitmap's colour channels over width x height; the number of
// pixels that differ (-1 when the window cannot be read).
int CountDifferingPixels(Display* display, Window w, LICE_IBitmap* want, int width, int height);

// A stand-in for xdg-open, first on PATH while it lives: after delaySeconds it writes the address it
// was given to a file of a temporary folder. PATH comes back and the folder goes at the end.
class FakeOpener
{
public:
  explicit FakeOpener(int delaySeconds = 0);
  ~FakeOpener();
  FakeOpener(const FakeOpener&) = delete;
  FakeOpener& operator=(const FakeOpener&) = delete;
  bool Ok() const { return !mDir.empty(); }
  // The address opened since the last call, or "" when none was yet.
  std::string Take();

private:
  std::string mDir, mOldPath;
  bool mHadPath = false;
};

}  // namespace kelvo_test
