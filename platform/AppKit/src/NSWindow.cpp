#include <AppKit/NSWindow.h>

#include <algorithm>
#include <map>

namespace {
// Never torn down, so windows still open at exit stay reachable.
std::map<NSInteger, NSWindow*>& Windows()
{
  static std::map<NSInteger, NSWindow*>* m = new std::map<NSInteger, NSWindow*>();
  return *m;
}
NSInteger gNextNumber = 1;
NSWindow* gKeyWindow = nullptr;

struct DisplayHookInstaller
{
  DisplayHookInstaller() { NSRunLoop::setDisplayHook(&NSWindow::displayAllIfNeeded); }
} gInstallDisplayHook;
}  // namespace

NSScreen* NSScreen::mainScreen()
{
  static NSScreen* screen = new NSScreen();
  return screen;
}

NSRect NSScreen::frame() const { return NSMakeRect(0, 0, 1920, 1080); }

BOOL NSScreen::respondsToSelector(SEL sel) const { return sel == sel_registerName("backingScaleFactor") ? YES : NO; }

NSWindow* NSWindow::initWithContentRect(NSRect content, NSWindowStyleMask style, NSBackingStoreType, BOOL)
{
  m_frame = CGRectStandardize(content);
  m_style = style;
  m_number = gNextNumber++;
  Windows()[m_number] = this;
  NSView* v = NSView::alloc()->initWithFrame(NSMakeRect(0, 0, m_frame.size.width, m_frame.size.height));
  setContentView(v);
  v->release();
  makeBacking();
  return this;
}

NSWindow* NSWindow::initWithWindowRef(WindowRef ref)
{
  NSRect r = ref ? NSMakeRect(ref->x, ref->y, ref->width, ref->height) : NSMakeRect(0, 0, 0, 0);
  return initWithContentRect(r, NSTitledWindowMask, NSBackingStoreBuffered, NO);
}

NSWindow::~NSWindow()
{
  if (gKeyWindow == this) gKeyWindow = nullptr;
  Windows().erase(m_number);
  for (NSWindow* c : m_children) {
    c->m_parent = nullptr;
    c->release();
  }
  if (m_parent) {
    auto& sib = m_parent->m_children;
    sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
  }
  if (m_mouseView) m_mouseView->release();
  if (m_unhandledKey) m_unhandledKey->release();
  if (m_content) {
    m_content->setWindowRecursive(nullptr);
    m_content->release();
  }
  if (m_backing) CGContextRelease(m_backing);
}

void NSWindow::makeBacking()
{
  const size_t w = (size_t)std::max<CGFloat>(0, m_frame.size.width),
               h = (size_t)std::max<CGFloat>(0, m_frame.size.height);
  if (m_backing) CGContextRelease(m_backing);
  m_backing = nullptr;
  m_pixels.assign(w * h * 4 + 4, 0xFF);
  if (!w || !h) return;
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  m_backing = CGBitmapContextCreate(m_pixels.data(), w, h, 8, w * 4, cs, (CGBitmapInfo)0x2006);
  CGColorSpaceRelease(cs);
}

const unsigned char* NSWindow::backingBytes() const { return m_backing ? m_pixels.data() : nullptr; }

size_t NSWindow::backingBytesPerRow() const { return m_backing ? CGBitmapContextGetBytesPerRow(m_backing) : 0; }

void NSWindow::setContentView(NSView* v)
{
  if (v == m_content) return;
  if (v) v->retain();
  if (v && v->m_superview) v->removeFromSuperview();
  NSView* old = m_content;
  m_content = v;
  if (old) {
    old->setWindowRecursive(nullptr);
    old->release();
  }
  if (v) {
    v->setFrame(NSMakeRect(0, 0, m_frame.size.width, m_frame.size.height));
    v->setWindowRecursive(this);
    v->setNeedsDisplay(YES);
  }
}

BOOL NSWindow::canBecomeKeyWindow() { return (m_style & (NSTitledWindowMask | NSResizableWindowMask)) ? YES : NO; }

BOOL NSWindow::isKeyWindow() const { return gKeyWindow == this ? YES : NO; }

void NSWindow::makeKeyWindow()
{
  if (canBecomeKeyWindow()) gKeyWindow = this;
}

void NSWindow::makeKeyAndOrderFront(id sender)
{
  makeKeyWindow();
  orderFront(sender);
}

void NSWindow::orderFront(id) { m_visible = true; }

void NSWindow::orderOut(id)
{
  m_visible = false;
  if (gKeyWindow == this) gKeyWindow = nullptr;
}

void NSWindow::close()
{
  if (m_closed) return;
  m_closed = true;
  orderOut(nullptr);
  if (m_releasedWhenClosed) release();
}

BOOL NSWindow::makeFirstResponder(NSResponder* r)
{
  if (r == m_firstResponder) return YES;
  if (m_firstResponder && !m_firstResponder->resignFirstResponder()) return NO;
  m_firstResponder = nullptr;
  if (r && r != this) {
    if (!r->acceptsFirstResponder() || !r->becomeFirstResponder()) return NO;
    m_firstResponder = r;
  }
  return YES;
}

void NSWindow::addChildWindow(NSWindow* child, NSWindowOrderingMode)
{
  if (!child || child == this || child->m_parent == this) return;
  if (child->m_parent) child->m_parent->removeChildWindow(child);
  m_children.push_back(static_cast<NSWindow*>(child->retain()));
  child->m_parent = this;
}

void NSWindow::removeChildWindow(NSWindow* child)
{
  auto it = std::find(m_children.begin(), m_children.end(), child);
  if (it == m_children.end()) return;
  m_children.erase(it);
  child->m_parent = nullptr;
  child->release();
}

NSArray* NSWindow::childWindows() const
{
  return NSArray::arrayWithObjects(std::vector<id>(m_children.begin(), m_children.end()));
}

void NSWindow::displayIfNeeded()
{
  if (!m_content || !m_backing) return;
  NSGraphicsContext* ctx = NSGraphicsContext::graphicsContextWithGraphicsPort(m_backing, NO);
  NSGraphicsContext* prev = NSGraphicsContext::currentContext();
  NSGraphicsContext::setCurrentContext(ctx);
  m_content->drawTree(NSMakeRect(0, 0, 0, 0));
  NSGraphicsContext::setCurrentContext(prev);
}

void NSWindow::display()
{
  if (m_content) m_content->setNeedsDisplay(YES);
  displayIfNeeded();
}

void NSWindow::displayAllIfNeeded()
{
  std::vector<NSWindow*> all;
  for (auto& kv : Windows()) all.push_back(static_cast<NSWindow*>(kv.second->retain()));
  for (NSWindow* w : all) {
    w->displayIfNeeded();
    w->release();
  }
}

NSWindow* NSWindow::windowWithNumber(NSInteger number)
{
  auto it = Windows().find(number);
  return it == Windows().end() ? nullptr : it->second;
}

void NSWindow::keyDown(NSEvent* e)
{
  if (m_unhandledKey) m_unhandledKey->release();
  m_unhandledKey = ns_retain(e);
}

void NSWindow::sendEvent(NSEvent* e)
{
  if (!e || !m_content) return;
  retain();
  const NSEventType type = e->type();
  const NSPoint loc = e->locationInWindow();
  if (type != NSKeyDown && type != NSKeyUp)
    NSEvent::setMouseLocation(NSMakePoint(m_frame.origin.x + loc.x, m_frame.origin.y + loc.y));

  auto setMouseView = [this](NSView* v) {
    if (v) v->retain();
    if (m_mouseView) m_mouseView->release();
    m_mouseView = v;
  };
  auto pressTarget = [&]() -> NSView* {
    NSView* v = m_content->hitTest(loc);
    if (!v) return nullptr;
    bool activating = !isKeyWindow() && canBecomeKeyWindow();
    if (activating) makeKeyWindow();
    if (activating && !v->acceptsFirstMouse(e)) return nullptr;
    if (v->acceptsFirstResponder()) makeFirstResponder(v);
    return v;
  };

  switch (type) {
    case NSLeftMouseDown:
      if (NSView* v = pressTarget()) {
        setMouseView(v);
        v->mouseDown(e);
      }
      break;
    case NSRightMouseDown:
      if (NSView* v = pressTarget()) {
        setMouseView(v);
        v->rightMouseDown(e);
      }
      break;
    case NSLeftMouseDragged:
    case NSRightMouseDragged: {
      NSView* v = (m_mouseView && m_mouseView->window() == this) ? m_mouseView : m_content->hitTest(loc);
      if (v) {
        if (type == NSLeftMouseDragged)
          v->mouseDragged(e);
        else
          v->rightMouseDragged(e);
      }
      break;
    }
    case NSLeftMouseUp:
    case NSRightMouseUp: {
      NSView* v = (m_mouseView && m_mouseView->window() == this) ? m_mouseView : m_content->hitTest(loc);
      if (v) {
        v->retain();
        if (type == NSLeftMouseUp)
          v->mouseUp(e);
        else
          v->rightMouseUp(e);
        v->release();
      }
      setMouseView(nullptr);
      break;
    }
    case NSMouseMoved:
      if (m_acceptsMoved) {
        NSResponder* r = m_firstResponder ? m_firstResponder : m_content->hitTest(loc);
        if (r) r->mouseMoved(e);
      }
      break;
    case NSScrollWheel:
      if (NSView* v = m_content->hitTest(loc)) v->scrollWheel(e);
      break;
    case NSKeyDown:
      if (m_firstResponder)
        m_firstResponder->keyDown(e);
      else
        keyDown(e);
      break;
    default:
      break;
  }
  release();
}
