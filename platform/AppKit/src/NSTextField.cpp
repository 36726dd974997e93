#include <AppKit/NSTextField.h>
#include <AppKit/NSWindow.h>

NSColor* NSColor::colorWithCalibratedRed(CGFloat r, CGFloat g, CGFloat b, CGFloat a)
{
  NSColor* c = new NSColor();
  c->m_r = r;
  c->m_g = g;
  c->m_b = b;
  c->m_a = a;
  return ns_autorelease(c);
}

NSColor* NSColor::colorWithDeviceRed(CGFloat r, CGFloat g, CGFloat b, CGFloat a)
{
  return colorWithCalibratedRed(r, g, b, a);
}

NSTextField* NSTextField::initWithFrame(NSRect frame)
{
  NSView::initWithFrame(frame);
  m_cell = new NSCell();
  m_value = ns_retain(NSStr(""));
  m_textColor = ns_retain(NSColor::blackColor());
  m_bgColor = ns_retain(NSColor::whiteColor());
  return this;
}

NSTextField::~NSTextField()
{
  if (m_font) m_font->release();
  if (m_formatter) m_formatter->release();
  if (m_cell) m_cell->release();
  if (m_textColor) m_textColor->release();
  if (m_bgColor) m_bgColor->release();
  if (m_value) m_value->release();
}

void NSTextField::setFont(NSFont* f)
{
  if (f) f->retain();
  if (m_font) m_font->release();
  m_font = f;
}

void NSTextField::setFormatter(NSFormatter* f)
{
  if (f) f->retain();
  if (m_formatter) m_formatter->release();
  m_formatter = f;
}

void NSTextField::setTextColor(NSColor* c)
{
  if (c) c->retain();
  if (m_textColor) m_textColor->release();
  m_textColor = c;
}

void NSTextField::setBackgroundColor(NSColor* c)
{
  if (c) c->retain();
  if (m_bgColor) m_bgColor->release();
  m_bgColor = c;
}

void NSTextField::setStringValue(NSString* s)
{
  NSString* next = ns_retain(NSString::stringWithString(s));
  if (m_value) m_value->release();
  m_value = next;
  setNeedsDisplay(YES);
}

BOOL NSTextField::becomeFirstResponder()
{
  m_editing = YES;
  return YES;
}

BOOL NSTextField::resignFirstResponder()
{
  endEditing();
  return YES;
}

void NSTextField::endEditing()
{
  if (!m_editing) return;
  m_editing = NO;
  retain();
  if (m_delegate)
    m_delegate->controlTextDidEndEditing(
        NSNotification::notificationWithName(NSStr("NSControlTextDidEndEditingNotification"), this));
  release();
}

void NSTextField::keyDown(NSEvent* e)
{
  if (!m_editing || !e) {
    NSView::keyDown(e);
    return;
  }
  const unsigned short code = e->keyCode();
  if (code == 36 || code == 76) {  // Return, Enter
    endEditing();
    return;
  }
  std::string text = m_value ? m_value->str() : std::string();
  if (code == 51) {  // Delete: drop the last UTF-8 character
    if (text.empty()) return;
    size_t cut = text.size() - 1;
    while (cut > 0 && ((unsigned char)text[cut] & 0xC0) == 0x80) --cut;
    text.erase(cut);
  } else {
    NSString* chars = e->characters();
    if (!chars || chars->length() == 0) return;
    for (NSUInteger i = 0; i < chars->length(); ++i)
      if (chars->characterAtIndex(i) < 0x20 || chars->characterAtIndex(i) == 0x7F) return;
    text += chars->str();
  }
  NSString* proposed = NSStr(text.c_str());
  if (m_formatter && !m_formatter->isPartialStringValid(proposed, nullptr, nullptr)) return;  // refused keystroke
  setStringValue(proposed);
}

void NSTextField::drawRect(NSRect)
{
  NSGraphicsContext* ctx = NSGraphicsContext::currentContext();
  CGContextRef cg = ctx ? (CGContextRef)ctx->graphicsPort() : nullptr;
  if (!cg || !m_bgColor) return;
  CGContextSetRGBFillColor(cg, m_bgColor->redComponent(), m_bgColor->greenComponent(), m_bgColor->blueComponent(),
                           m_bgColor->alphaComponent());
  CGContextFillRect(cg, bounds());
}
