#pragma once
// Windows with a backing store that holds what they show, and the screen.

#include "NSView.h"

// A host's own window reference (a Carbon-style WindowRef); here a plain record of its frame
// in screen coordinates, made by the host.
struct OpaqueWindowPtr
{
  CGFloat x, y, width, height;
};
typedef OpaqueWindowPtr* WindowRef;

typedef NSUInteger NSWindowStyleMask;
enum : NSWindowStyleMask {
  NSBorderlessWindowMask = 0,
  NSTitledWindowMask = 1 << 0,
  NSClosableWindowMask = 1 << 1,
  NSMiniaturizableWindowMask = 1 << 2,
  NSResizableWindowMask = 1 << 3,
};
typedef NSUInteger NSBackingStoreType;
enum : NSBackingStoreType { NSBackingStoreRetained = 0, NSBackingStoreNonretained = 1, NSBackingStoreBuffered = 2 };
typedef NSInteger NSWindowOrderingMode;
enum : NSWindowOrderingMode { NSWindowBelow = -1, NSWindowOut = 0, NSWindowAbove = 1 };

class NSScreen : public NSObject
{
public:
  static NSScreen* mainScreen();
  NSRect frame() const;
  CGFloat backingScaleFactor() const { return 1.0; }
  BOOL respondsToSelector(SEL sel) const override;
  const char* className() const override { return "NSScreen"; }
};

class NSWindow : public NSResponder
{
public:
  static NSWindow* alloc() { return new NSWindow(); }
  // A window whose content area is `content` (screen coordinates); its backing store is a
  // bitmap context of the content size, bytes B, G, R, A per pixel, top row first.
  virtual NSWindow* initWithContentRect(NSRect content, NSWindowStyleMask style, NSBackingStoreType backing,
                                        BOOL defer);
  // A window standing for a host's window reference (its frame taken from the reference).
  NSWindow* initWithWindowRef(WindowRef ref);

  NSRect frame() const { return m_frame; }
  NSView* contentView() const { return m_content; }
  void setContentView(NSView* v);
  NSInteger windowNumber() const { return m_number; }
  NSScreen* screen() const { return NSScreen::mainScreen(); }
  NSWindowStyleMask styleMask() const { return m_style; }

  virtual BOOL canBecomeKeyWindow();
  BOOL isKeyWindow() const;
  void makeKeyWindow();
  void makeKeyAndOrderFront(id sender);
  void orderFront(id sender);
  void orderOut(id sender);
  BOOL isVisible() const { return m_visible; }
  // Closes the window; with releasedWhenClosed set, this drops the window's own reference.
  void close();

  BOOL makeFirstResponder(NSResponder* r);
  NSResponder* firstResponder() const { return m_firstResponder; }
  void setAcceptsMouseMovedEvents(BOOL flag) { m_acceptsMoved = flag; }
  BOOL acceptsMouseMovedEvents() const { return m_acceptsMoved; }

  void addChildWindow(NSWindow* child, NSWindowOrderingMode order);
  void removeChildWindow(NSWindow* child);
  // The child windows (an autoreleased snapshot).
  NSArray* childWindows() const;
  NSWindow* parentWindow() const { return m_parent; }

  void setOpaque(BOOL f) { m_opaque = f; }
  void setCanHide(BOOL f) { m_canHide = f; }
  void setHasShadow(BOOL f) { m_shadow = f; }
  void setReleasedWhenClosed(BOOL f) { m_releasedWhenClosed = f; }
  BOOL isOpaque() const { return m_opaque; }

  // Draws every dirty view now; display redraws everything.
  void displayIfNeeded();
  void display();
  // Delivers an event as the application does: mouse presses and the wheel to the view under
  // the pointer, drags and releases to the view that took the press, keys and moves to the
  // first responder.
  void sendEvent(NSEvent* e);
  // Keys nobody took end here (stand-in addition: the host can read the last one).
  void keyDown(NSEvent* e) override;
  NSEvent* lastUnhandledKey() const { return m_unhandledKey; }

  // Stand-in addition: the backing store (a CGContextRef) and its pixels.
  CGContextRef backingContext() const { return m_backing; }
  const unsigned char* backingBytes() const;
  size_t backingBytesPerRow() const;
  // The window with this number, or nil.
  static NSWindow* windowWithNumber(NSInteger number);
  // Draws the dirty views of every window (the run loop calls it after each event).
  static void displayAllIfNeeded();

  const char* className() const override { return "NSWindow"; }

protected:
  ~NSWindow() override;

private:
  void makeBacking();
  NSRect m_frame{{0, 0}, {0, 0}};
  NSWindowStyleMask m_style = 0;
  NSView* m_content = nullptr;
  NSResponder* m_firstResponder = nullptr;
  NSView* m_mouseView = nullptr;
  NSWindow* m_parent = nullptr;
  std::vector<NSWindow*> m_children;
  NSEvent* m_unhandledKey = nullptr;
  CGContextRef m_backing = nullptr;
  std::vector<unsigned char> m_pixels;
  NSInteger m_number = 0;
  bool m_visible = false, m_acceptsMoved = false, m_opaque = false, m_canHide = true, m_shadow = true;
  bool m_releasedWhenClosed = true, m_closed = false;
};
