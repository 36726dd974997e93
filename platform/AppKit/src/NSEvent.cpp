#include <AppKit/NSEvent.h>
#include <AppKit/NSWindow.h>

#include <algorithm>
#include <vector>

namespace {
thread_local std::vector<NSGraphicsContext*> tContexts;
NSPoint gMouse{0, 0};
}  // namespace

NSRect NSUnionRect(NSRect a, NSRect b)
{
  if (NSIsEmptyRect(a)) return b;
  if (NSIsEmptyRect(b)) return a;
  CGFloat x0 = std::min(a.origin.x, b.origin.x), y0 = std::min(a.origin.y, b.origin.y);
  CGFloat x1 = std::max(a.origin.x + a.size.width, b.origin.x + b.size.width);
  CGFloat y1 = std::max(a.origin.y + a.size.height, b.origin.y + b.size.height);
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

NSGraphicsContext* NSGraphicsContext::currentContext() { return tContexts.empty() ? nullptr : tContexts.back(); }

void NSGraphicsContext::setCurrentContext(NSGraphicsContext* c)
{
  if (tContexts.empty())
    tContexts.push_back(c);
  else
    tContexts.back() = c;
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithGraphicsPort(void* port, BOOL flipped)
{
  if (!port) return nullptr;
  NSGraphicsContext* c = new NSGraphicsContext();
  c->m_port = CGContextRetain((CGContextRef)port);
  c->m_flipped = flipped;
  return ns_autorelease(c);
}

NSGraphicsContext::~NSGraphicsContext()
{
  if (m_port) CGContextRelease((CGContextRef)m_port);
}

void NSGraphicsContext::saveGraphicsState()
{
  tContexts.push_back(currentContext());
  if (m_port) CGContextSaveGState((CGContextRef)m_port);
}

void NSGraphicsContext::restoreGraphicsState()
{
  if (m_port) CGContextRestoreGState((CGContextRef)m_port);
  if (tContexts.size() > 1) tContexts.pop_back();
}

NSEvent* NSEvent::make(NSEventType type, NSPoint location, NSEventModifierFlags flags, NSTimeInterval time,
                       NSInteger windowNumber)
{
  NSEvent* e = new NSEvent();
  e->m_type = type;
  e->m_location = location;
  e->m_flags = flags;
  e->m_time = time;
  e->m_windowNumber = windowNumber;
  return ns_autorelease(e);
}

NSEvent* NSEvent::mouseEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                     NSTimeInterval time, NSInteger windowNumber, NSGraphicsContext*, NSInteger,
                                     NSInteger clickCount, float)
{
  NSEvent* e = make(type, location, flags, time, windowNumber);
  e->m_clickCount = clickCount;
  return e;
}

NSEvent* NSEvent::keyEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags, NSTimeInterval time,
                                   NSInteger windowNumber, NSGraphicsContext*, NSString* characters,
                                   NSString* charactersIgnoringModifiers, BOOL isARepeat, unsigned short keyCode)
{
  NSEvent* e = make(type, location, flags, time, windowNumber);
  e->m_chars = ns_retain(characters);
  e->m_charsIgnoring = ns_retain(charactersIgnoringModifiers);
  e->m_repeat = isARepeat;
  e->m_keyCode = keyCode;
  return e;
}

NSEvent* NSEvent::otherEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                     NSTimeInterval time, NSInteger windowNumber, NSGraphicsContext*, short subtype,
                                     NSInteger data1, NSInteger data2)
{
  NSEvent* e = make(type, location, flags, time, windowNumber);
  e->m_subtype = subtype;
  e->m_data1 = data1;
  e->m_data2 = data2;
  return e;
}

NSEvent* NSEvent::scrollWheelEvent(NSPoint location, NSEventModifierFlags flags, NSInteger windowNumber, CGFloat deltaY,
                                   CGFloat deltaX)
{
  NSEvent* e = make(NSScrollWheel, location, flags, 0, windowNumber);
  e->m_dy = deltaY;
  e->m_dx = deltaX;
  return e;
}

NSEvent::~NSEvent()
{
  if (m_chars) m_chars->release();
  if (m_charsIgnoring) m_charsIgnoring->release();
}

NSWindow* NSEvent::window() const { return NSWindow::windowWithNumber(m_windowNumber); }

NSPoint NSEvent::mouseLocation() { return gMouse; }

void NSEvent::setMouseLocation(NSPoint p) { gMouse = p; }
