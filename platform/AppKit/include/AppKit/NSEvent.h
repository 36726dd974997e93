#pragma once
// Input events.

#include "NSGraphicsContext.h"

typedef NSUInteger NSEventType;
enum : NSEventType {
  NSLeftMouseDown = 1,
  NSLeftMouseUp = 2,
  NSRightMouseDown = 3,
  NSRightMouseUp = 4,
  NSMouseMoved = 5,
  NSLeftMouseDragged = 6,
  NSRightMouseDragged = 7,
  NSKeyDown = 10,
  NSKeyUp = 11,
  NSFlagsChanged = 12,
  NSApplicationDefined = 15,
  NSScrollWheel = 22,
};

typedef NSUInteger NSEventModifierFlags;
enum : NSEventModifierFlags {
  NSAlphaShiftKeyMask = 1 << 16,
  NSShiftKeyMask = 1 << 17,
  NSControlKeyMask = 1 << 18,
  NSAlternateKeyMask = 1 << 19,
  NSCommandKeyMask = 1 << 20,
};

class NSWindow;

class NSEvent : public NSObject
{
public:
  static NSEvent* mouseEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                     NSTimeInterval time, NSInteger windowNumber, NSGraphicsContext* context,
                                     NSInteger eventNumber, NSInteger clickCount, float pressure);
  static NSEvent* keyEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags, NSTimeInterval time,
                                   NSInteger windowNumber, NSGraphicsContext* context, NSString* characters,
                                   NSString* charactersIgnoringModifiers, BOOL isARepeat, unsigned short keyCode);
  static NSEvent* otherEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                     NSTimeInterval time, NSInteger windowNumber, NSGraphicsContext* context,
                                     short subtype, NSInteger data1, NSInteger data2);
  // Stand-in addition: a wheel event (AppKit makes these only from the system's own input).
  static NSEvent* scrollWheelEvent(NSPoint location, NSEventModifierFlags flags, NSInteger windowNumber, CGFloat deltaY,
                                   CGFloat deltaX = 0);

  // The pointer position in screen coordinates (origin bottom left), as last seen.
  static NSPoint mouseLocation();
  static void setMouseLocation(NSPoint p);

  NSEventType type() const { return m_type; }
  NSPoint locationInWindow() const { return m_location; }
  NSEventModifierFlags modifierFlags() const { return m_flags; }
  NSTimeInterval timestamp() const { return m_time; }
  NSInteger windowNumber() const { return m_windowNumber; }
  // The window of the event's window number, or nil.
  NSWindow* window() const;
  NSInteger clickCount() const { return m_clickCount; }
  unsigned short keyCode() const { return m_keyCode; }
  NSString* characters() const { return m_chars; }
  NSString* charactersIgnoringModifiers() const { return m_charsIgnoring; }
  BOOL isARepeat() const { return m_repeat; }
  CGFloat deltaX() const { return m_dx; }
  CGFloat deltaY() const { return m_dy; }
  short subtype() const { return m_subtype; }
  NSInteger data1() const { return m_data1; }
  NSInteger data2() const { return m_data2; }
  const char* className() const override { return "NSEvent"; }

protected:
  ~NSEvent() override;

private:
  // An autoreleased event with the fields every kind has.
  static NSEvent* make(NSEventType type, NSPoint location, NSEventModifierFlags flags, NSTimeInterval time,
                       NSInteger windowNumber);
  NSEventType m_type = 0;
  NSPoint m_location{0, 0};
  NSEventModifierFlags m_flags = 0;
  NSTimeInterval m_time = 0;
  NSInteger m_windowNumber = 0, m_clickCount = 0, m_data1 = 0, m_data2 = 0;
  unsigned short m_keyCode = 0;
  short m_subtype = 0;
  NSString* m_chars = nullptr;
  NSString* m_charsIgnoring = nullptr;
  BOOL m_repeat = NO;
  CGFloat m_dx = 0, m_dy = 0;
};
