#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>

#include <algorithm>

NSString* NSObject::view(NSView*, NSInteger, CGPoint, void*) { return nullptr; }

#define PASS_ON(method)                                       \
  void NSResponder::method(NSEvent* e)                        \
  {                                                           \
    if (NSResponder* next = nextResponder()) next->method(e); \
  }
PASS_ON(mouseDown)
PASS_ON(mouseUp)
PASS_ON(mouseDragged)
PASS_ON(rightMouseDown)
PASS_ON(rightMouseUp)
PASS_ON(rightMouseDragged)
PASS_ON(mouseMoved)
PASS_ON(scrollWheel)
PASS_ON(keyDown)
#undef PASS_ON

NSView* NSView::initWithFrame(NSRect frame)
{
  m_frame = CGRectStandardize(frame);
  return this;
}

NSView::~NSView()
{
  std::vector<NSView*> subs;
  subs.swap(m_subviews);
  for (NSView* v : subs) {
    v->m_superview = nullptr;
    v->setWindowRecursive(nullptr);
    v->release();
  }
}

void NSView::setFrame(NSRect r)
{
  m_frame = CGRectStandardize(r);
  m_dirty = NSIntersectionRect(m_dirty, bounds());
}

void NSView::setFrameSize(NSSize s) { setFrame(NSMakeRect(m_frame.origin.x, m_frame.origin.y, s.width, s.height)); }

void NSView::setFrameOrigin(NSPoint p) { setFrame(NSMakeRect(p.x, p.y, m_frame.size.width, m_frame.size.height)); }

NSArray* NSView::subviews() const
{
  return NSArray::arrayWithObjects(std::vector<id>(m_subviews.begin(), m_subviews.end()));
}

NSResponder* NSView::nextResponder() const
{
  if (m_superview) return m_superview;
  if (m_window && m_window->contentView() == this) return m_window;
  return nullptr;
}

void NSView::addSubview(NSView* v)
{
  if (!v || v == this) return;
  v->retain();
  if (v->m_superview) v->removeFromSuperview();
  m_subviews.push_back(v);
  v->m_superview = this;
  v->setWindowRecursive(m_window);
}

void NSView::removeFromSuperview()
{
  NSView* sup = m_superview;
  if (!sup) return;
  sup->m_subviews.erase(std::remove(sup->m_subviews.begin(), sup->m_subviews.end(), this), sup->m_subviews.end());
  m_superview = nullptr;
  if (NSWindow* w = m_window) {
    // A first responder inside the leaving tree hands over to the window.
    for (NSResponder* r = w->firstResponder(); r; r = r->nextResponder()) {
      if (r == this) {
        w->makeFirstResponder(nullptr);
        break;
      }
    }
    sup->setNeedsDisplayInRect(m_frame);
  }
  setWindowRecursive(nullptr);
  release();
}

void NSView::setWindowRecursive(NSWindow* w)
{
  if (m_window == w) return;
  m_window = w;
  for (NSView* v : m_subviews) v->setWindowRecursive(w);
  viewDidMoveToWindow();
}

void NSView::setNeedsDisplayInRect(NSRect r)
{
  m_dirty = NSUnionRect(m_dirty, NSIntersectionRect(CGRectStandardize(r), bounds()));
}

void NSView::setNeedsDisplay(BOOL flag) { m_dirty = flag ? bounds() : NSMakeRect(0, 0, 0, 0); }

NSPoint NSView::originInWindow() const
{
  NSPoint p = m_frame.origin;
  for (NSView* s = m_superview; s; s = s->m_superview) {
    p.x += s->m_frame.origin.x;
    p.y += s->m_frame.origin.y;
  }
  // The content view sits at the window's origin whatever its frame says.
  if (m_window && m_window->contentView()) {
    NSPoint c = m_window->contentView()->m_frame.origin;
    p.x -= c.x;
    p.y -= c.y;
  }
  return p;
}

NSPoint NSView::convertPoint(NSPoint p, NSView* fromView) const
{
  NSPoint from = fromView ? fromView->originInWindow() : NSMakePoint(0, 0);
  NSPoint to = originInWindow();
  return NSMakePoint(p.x + from.x - to.x, p.y + from.y - to.y);
}

NSPoint NSView::convertPointToBase(NSPoint p) const
{
  NSPoint o = originInWindow();
  return NSMakePoint(p.x + o.x, p.y + o.y);
}

NSRect NSView::convertRect(NSRect r, NSView* fromView) const
{
  NSPoint o = convertPoint(r.origin, fromView);
  return NSMakeRect(o.x, o.y, r.size.width, r.size.height);
}

NSView* NSView::hitTest(NSPoint p)
{
  if (!NSPointInRect(p, m_frame)) return nullptr;
  NSPoint local = NSMakePoint(p.x - m_frame.origin.x, p.y - m_frame.origin.y);
  for (size_t i = m_subviews.size(); i-- > 0;)
    if (NSView* hit = m_subviews[i]->hitTest(local)) return hit;
  return this;
}

void NSView::displayIfNeeded() { drawTree(NSMakeRect(0, 0, 0, 0)); }

void NSView::drawTree(NSRect inherited)
{
  NSRect area = NSIntersectionRect(NSUnionRect(m_dirty, inherited), bounds());
  m_dirty = NSMakeRect(0, 0, 0, 0);
  NSGraphicsContext* ctx = NSGraphicsContext::currentContext();
  CGContextRef cg = ctx ? (CGContextRef)ctx->graphicsPort() : nullptr;
  if (!NSIsEmptyRect(area) && cg) {
    NSPoint o = originInWindow();
    CGContextSaveGState(cg);
    CGContextTranslateCTM(cg, o.x, o.y);
    CGContextClipToRect(cg, area);
    drawRect(area);
    CGContextRestoreGState(cg);
  }
  // Subviews redraw what they cover of the area, plus their own dirty parts.
  std::vector<NSView*> subs(m_subviews);
  for (NSView* v : subs) v->retain();
  for (NSView* v : subs) {
    NSRect mine = NSIntersectionRect(area, v->m_frame);
    if (!NSIsEmptyRect(mine))
      mine.origin = NSMakePoint(mine.origin.x - v->m_frame.origin.x, mine.origin.y - v->m_frame.origin.y);
    v->drawTree(mine);
    v->release();
  }
}

NSToolTipTag NSView::addToolTipRect(NSRect r, id owner, void* userData)
{
  ToolTip t{m_nextTag++, CGRectStandardize(r), owner, userData};
  m_tips.push_back(t);
  return t.tag;
}

void NSView::removeToolTip(NSToolTipTag tag)
{
  m_tips.erase(std::remove_if(m_tips.begin(), m_tips.end(), [tag](const ToolTip& t) { return t.tag == tag; }),
               m_tips.end());
}

void NSView::removeAllToolTips() { m_tips.clear(); }

NSString* NSView::toolTipAtPoint(NSPoint p)
{
  for (size_t i = m_tips.size(); i-- > 0;) {
    const ToolTip& t = m_tips[i];
    if (NSPointInRect(p, t.rect)) return t.owner ? t.owner->view(this, t.tag, p, t.userData) : nullptr;
  }
  return nullptr;
}
