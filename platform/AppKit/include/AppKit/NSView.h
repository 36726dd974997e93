#pragma once
// The responder chain and views: frames, the view tree, the display cycle, tooltips.

#include <vector>

#include "NSEvent.h"

class NSWindow;

class NSResponder : public NSObject
{
public:
  virtual NSResponder* nextResponder() const { return m_next; }
  void setNextResponder(NSResponder* r) { m_next = r; }
  virtual BOOL acceptsFirstResponder() { return NO; }
  virtual BOOL becomeFirstResponder() { return YES; }
  virtual BOOL resignFirstResponder() { return YES; }

  // Event messages: by default each is passed to the next responder.
  virtual void mouseDown(NSEvent* e);
  virtual void mouseUp(NSEvent* e);
  virtual void mouseDragged(NSEvent* e);
  virtual void rightMouseDown(NSEvent* e);
  virtual void rightMouseUp(NSEvent* e);
  virtual void rightMouseDragged(NSEvent* e);
  virtual void mouseMoved(NSEvent* e);
  virtual void scrollWheel(NSEvent* e);
  virtual void keyDown(NSEvent* e);
  const char* className() const override { return "NSResponder"; }

private:
  NSResponder* m_next = nullptr;
};

typedef NSInteger NSToolTipTag;

class NSView : public NSResponder
{
public:
  static NSView* alloc() { return new NSView(); }
  virtual NSView* initWithFrame(NSRect frame);
  NSView* init() override { return initWithFrame(NSMakeRect(0, 0, 0, 0)); }

  NSRect frame() const { return m_frame; }
  NSRect bounds() const { return NSMakeRect(0, 0, m_frame.size.width, m_frame.size.height); }
  void setFrame(NSRect r);
  void setFrameSize(NSSize s);
  void setFrameOrigin(NSPoint p);

  NSView* superview() const { return m_superview; }
  // The subviews in back-to-front order (an autoreleased snapshot).
  NSArray* subviews() const;
  NSWindow* window() const { return m_window; }
  NSResponder* nextResponder() const override;

  // Adds v on top of the subviews (retained), taking it from its old superview.
  void addSubview(NSView* v);
  // Leaves the superview (which drops its reference).
  virtual void removeFromSuperview();
  // Called after the view joins or leaves a window.
  virtual void viewDidMoveToWindow() {}

  virtual void drawRect(NSRect dirty) { (void)dirty; }
  virtual BOOL isOpaque() { return NO; }
  virtual BOOL isFlipped() const { return NO; }
  virtual BOOL acceptsFirstMouse(NSEvent* e)
  {
    (void)e;
    return NO;
  }

  // Marks an area (view coordinates) to be drawn by the window's next display cycle.
  void setNeedsDisplayInRect(NSRect r);
  void setNeedsDisplay(BOOL flag);
  BOOL needsDisplay() const { return NSIsEmptyRect(m_dirty) ? NO : YES; }
  NSRect dirtyRect() const { return m_dirty; }
  // Draws the dirty areas of this view and its subviews into the current graphics context now.
  void displayIfNeeded();

  // Point conversion between this view and another view of the same window (nil: the window).
  NSPoint convertPoint(NSPoint p, NSView* fromView) const;
  // From this view's coordinates to the window's.
  NSPoint convertPointToBase(NSPoint p) const;
  NSRect convertRect(NSRect r, NSView* fromView) const;
  // The deepest view under a point given in the superview's coordinates, or nil.
  virtual NSView* hitTest(NSPoint pointInSuperview);

  // Tooltips: owner is asked for the text when the pointer rests in the rectangle.
  NSToolTipTag addToolTipRect(NSRect r, id owner, void* userData);
  void removeToolTip(NSToolTipTag tag);
  void removeAllToolTips();
  // Stand-in addition: the registered rectangles, and the text shown at a point (nil: none).
  struct ToolTip
  {
    NSToolTipTag tag;
    NSRect rect;
    id owner;
    void* userData;
  };
  const std::vector<ToolTip>& toolTips() const { return m_tips; }
  NSString* toolTipAtPoint(NSPoint p);

  const char* className() const override { return "NSView"; }

protected:
  ~NSView() override;

private:
  friend class NSWindow;
  void setWindowRecursive(NSWindow* w);
  void drawTree(NSRect dirtyInView);
  NSPoint originInWindow() const;

  NSRect m_frame{{0, 0}, {0, 0}};
  NSRect m_dirty{{0, 0}, {0, 0}};
  NSView* m_superview = nullptr;
  NSWindow* m_window = nullptr;
  std::vector<NSView*> m_subviews;
  std::vector<ToolTip> m_tips;
  NSToolTipTag m_nextTag = 1;
};
