// A plug-in's editor shown as a host shows it: the view its Cocoa view factory makes, in a
// window of its own, driven by mouse events and the main run loop.
#pragma once

#include <AudioToolbox/AudioToolbox.h>

#include <cstddef>
#include <string>

class NSView;
class NSWindow;

class EditorWindow
{
public:
  EditorWindow() = default;
  // Takes the view out of the window (which closes the plug-in's editor), closes the window and
  // turns the run loop once more.
  ~EditorWindow();
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Reads the unit's CocoaUI property, makes its view factory by class name, asks it for the
  // unit's view and puts the view into a new window, drawn once. False with the reason when
  // the unit has no Cocoa view or the factory gives none.
  bool Open(AudioUnit unit, std::string& err);
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

  // Mouse actions at editor points (pixels from the editor's top left), delivered to the
  // window as a user's would be. A click presses and releases the left button; a drag
  // presses at (x, y), moves to (x + dx, y + dy) in steps of at most 4 pixels and releases.
  void Click(int x, int y);
  void Drag(int x, int y, int dx, int dy);
  // Runs the main run loop long enough for the editor's timer to draw every change.
  void Settle();

  // What the window shows: Height() rows, top first, BytesPerRow() apart, of B, G, R and one
  // unused byte per pixel.
  const unsigned char* Pixels() const;
  size_t BytesPerRow() const;

private:
  void Send(unsigned long type, int x, int y);

  NSWindow* mWindow = nullptr;
  NSView* mView = nullptr;
  int mWidth = 0, mHeight = 0;
};
