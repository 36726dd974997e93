#include "IGraphicsCocoa.h"

#include <cstdio>
#include <string>

#include "IControl.h"
#include "IGraphicsMac.h"
#include "IParam.h"
#include "IPopupMenu.h"

namespace {
const SEL kOnTimer = sel_registerName("onTimer:");
const SEL kOnMenuSelection = sel_registerName("OnMenuSelection:");
const SEL kOrderFront = sel_registerName("orderFront:");
const SEL kBackingScaleFactor = sel_registerName("backingScaleFactor");

// The modifiers of a left-button (or button-less) event: Command adds the right button.
IMouseMod LeftMods(NSEvent* event)
{
  const NSEventModifierFlags f = event->modifierFlags();
  return IMouseMod(true, (f & NSCommandKeyMask) != 0, (f & NSShiftKeyMask) != 0, (f & NSControlKeyMask) != 0,
                   (f & NSAlternateKeyMask) != 0);
}

IMouseMod RightMods(NSEvent* event)
{
  const NSEventModifierFlags f = event->modifierFlags();
  return IMouseMod(false, true, (f & NSShiftKeyMask) != 0, (f & NSControlKeyMask) != 0, (f & NSAlternateKeyMask) != 0);
}

// The editor's key number for an event, or -1 for a key it does not know.
int KeyNumber(NSEvent* event, unichar c)
{
  switch (event->keyCode()) {
    case 49:
      return 0;
    case 126:
      return 1;
    case 125:
      return 2;
    case 123:
      return 3;
    case 124:
      return 4;
    default:
      break;
  }
  if (c >= '0' && c <= '9') return c - 43;
  if (c >= 'A' && c <= 'Z') return c - 50;
  if (c >= 'a' && c <= 'z') return c - 82;
  return -1;
}

NSColor* ToNSColor(const IColor& c)
{
  return NSColor::colorWithCalibratedRed(c.R / 255.0, c.G / 255.0, c.B / 255.0, c.A / 255.0);
}
}  // namespace

// --- the editor view ---

IGraphicsCocoa_vKelvo_au* IGraphicsCocoa_vKelvo_au::initWithIGraphics(IGraphicsMac* pGraphics)
{
  mGraphics = pGraphics;
  initWithFrame(NSMakeRect(0, 0, pGraphics->Width(), pGraphics->Height()));
  mTimer = NSTimer::timerWithTimeInterval(1.0 / pGraphics->FPS(), this, kOnTimer, nullptr, YES);
  NSRunLoop::currentRunLoop()->addTimer(mTimer, kCFRunLoopCommonModes);
  return this;
}

IGraphicsCocoa_vKelvo_au::~IGraphicsCocoa_vKelvo_au()
{
  if (mTextFieldView) mTextFieldView->release();
}

int IGraphicsCocoa_vKelvo_au::EditorHeight() const { return mGraphics->Height(); }

BOOL IGraphicsCocoa_vKelvo_au::respondsToSelector(SEL sel) const
{
  return sel == kOnTimer ? YES : NSView::respondsToSelector(sel);
}

id IGraphicsCocoa_vKelvo_au::performSelector(SEL sel, id arg)
{
  if (sel != kOnTimer) return NSView::performSelector(sel, arg);
  onTimer(ns_cast<NSTimer>(arg));
  return nullptr;
}

void IGraphicsCocoa_vKelvo_au::viewDidMoveToWindow()
{
  if (NSWindow* w = window()) {
    w->makeFirstResponder(this);
    w->setAcceptsMouseMovedEvents(YES);
  }
}

void IGraphicsCocoa_vKelvo_au::drawRect(NSRect rect)
{
  if (!mGraphics) return;
  const int h = EditorHeight();
  const int x = (int)rect.origin.x, y = (int)rect.origin.y, w = (int)rect.size.width, rh = (int)rect.size.height;
  IRECT r(x, h - y - rh, x + w, h - y);
  mGraphics->Draw(&r);
}

void IGraphicsCocoa_vKelvo_au::onTimer(NSTimer* timer)
{
  if (!timer || timer != mTimer || !mGraphics) return;
  IRECT r;
  if (mGraphics->IsDirty(&r)) setNeedsDisplayInRect(mGraphics->ToViewRect(&r));
}

void IGraphicsCocoa_vKelvo_au::getMouseXY(NSEvent* event, int* x, int* y)
{
  if (!mGraphics || !event) return;
  const NSPoint p = convertPoint(event->locationInWindow(), nullptr);
  mPrevX = *x = (int)p.x - 2;
  mPrevY = *y = EditorHeight() - (int)p.y - 3;
}

bool IGraphicsCocoa_vKelvo_au::TakeMouse(NSEvent* event, bool rightButton, int* x, int* y, IMouseMod* mod)
{
  if (!mGraphics || !event) return false;
  getMouseXY(event, x, y);
  *mod = rightButton ? RightMods(event) : LeftMods(event);
  return true;
}

void IGraphicsCocoa_vKelvo_au::mouseDown(NSEvent* event)
{
  int x, y;
  IMouseMod mod;
  if (!TakeMouse(event, false, &x, &y, &mod)) return;
  if (event->clickCount() < 2)
    mGraphics->OnMouseDown(x, y, &mod);
  else
    mGraphics->OnMouseDblClick(x, y, &mod);
}

void IGraphicsCocoa_vKelvo_au::mouseUp(NSEvent* event)
{
  int x, y;
  IMouseMod mod;
  if (TakeMouse(event, false, &x, &y, &mod)) mGraphics->OnMouseUp(x, y, &mod);
}

void IGraphicsCocoa_vKelvo_au::mouseDragged(NSEvent* event)
{
  int x, y;
  IMouseMod mod;
  if (TakeMouse(event, false, &x, &y, &mod) && !mTextFieldView) mGraphics->OnMouseDrag(x, y, &mod);
}

void IGraphicsCocoa_vKelvo_au::rightMouseDown(NSEvent* event)
{
  int x, y;
  IMouseMod mod;
  if (TakeMouse(event, true, &x, &y, &mod)) mGraphics->OnMouseDown(x, y, &mod);
}

void IGraphicsCocoa_vKelvo_au::rightMouseUp(NSEvent* event)
{
  int x, y;
  IMouseMod mod;
  if (TakeMouse(event, true, &x, &y, &mod)) mGraphics->OnMouseUp(x, y, &mod);
}

void IGraphicsCocoa_vKelvo_au::rightMouseDragged(NSEvent* event)
{
  int x, y;
  IMouseMod mod;
  if (TakeMouse(event, true, &x, &y, &mod) && !mTextFieldView) mGraphics->OnMouseDrag(x, y, &mod);
}

void IGraphicsCocoa_vKelvo_au::mouseMoved(NSEvent* event)
{
  int x, y;
  IMouseMod mod;
  if (TakeMouse(event, false, &x, &y, &mod)) mGraphics->OnMouseOver(x, y, &mod);
}

void IGraphicsCocoa_vKelvo_au::keyDown(NSEvent* event)
{
  if (!mGraphics || !event) return;
  NSString* chars = event->charactersIgnoringModifiers();
  if (!chars || chars->length() != 1) return;
  const int key = KeyNumber(event, chars->characterAtIndex(0));
  if (key < 0 || !mGraphics->OnKeyDown(mPrevX, mPrevY, key)) NSView::keyDown(event);
}

void IGraphicsCocoa_vKelvo_au::scrollWheel(NSEvent* event)
{
  if (!mGraphics || !event) return;
  if (mTextFieldView) endUserInput();
  int x, y;
  IMouseMod mod;
  if (TakeMouse(event, false, &x, &y, &mod)) mGraphics->OnMouseWheel(x, y, &mod, (int)event->deltaY());
}

void IGraphicsCocoa_vKelvo_au::killTimer()
{
  if (!mTimer) return;
  mTimer->invalidate();
  mTimer = nullptr;
}

void IGraphicsCocoa_vKelvo_au::removeFromSuperview()
{
  retain();
  if (mTextFieldView) endUserInput();
  if (IGraphicsMac* graphics = mGraphics) {
    mGraphics = nullptr;
    graphics->CloseWindow();
  }
  NSView::removeFromSuperview();
  release();
}

void IGraphicsCocoa_vKelvo_au::createTextEntry(IControl* pControl, IParam* pParam, IText* pText, const char* str,
                                               NSRect rect)
{
  if (!pControl || mTextFieldView) return;
  const IText plain;
  const IText& text = pText ? *pText : plain;

  NSTextField* field = NSTextField::alloc()->initWithFrame(rect);
  field->setFont(NSFont::fontWithName(NSStr(text.mFont), (CGFloat)(float)(int)(text.mSize * 0.9)));
  switch (text.mAlign) {
    case IText::kAlignNear:
      field->setAlignment(NSLeftTextAlignment);
      break;
    case IText::kAlignCenter:
      field->setAlignment(NSCenterTextAlignment);
      break;
    case IText::kAlignFar:
      field->setAlignment(NSRightTextAlignment);
      break;
    default:
      break;
  }
  if (pParam) {
    NSMutableCharacterSet* set = NSMutableCharacterSet::alloc()->init();
    switch (pParam->Type()) {
      case IParam::kTypeBool:
      case IParam::kTypeInt:
      case IParam::kTypeEnum:
        set->addCharactersInString(NSStr("0123456789-+"));
        break;
      case IParam::kTypeDouble:
        set->addCharactersInString(NSStr("0123456789.-+"));
        break;
      default:
        break;
    }
    CocoaFormatter_vKelvo_au* formatter = ns_autorelease(CocoaFormatter_vKelvo_au::alloc());
    formatter->setAcceptableCharacterSet(set);
    formatter->setMaximumLength(pControl->GetTextEntryLength());
    field->setFormatter(formatter);
    set->release();
  }
  field->cell()->setLineBreakMode(NSLineBreakByTruncatingTail);
  field->setAllowsEditingTextAttributes(NO);
  field->setTextColor(ToNSColor(text.mTextEntryFGColor));
  field->setBackgroundColor(ToNSColor(text.mTextEntryBGColor));
  field->setStringValue(NSStr(str ? str : ""));
  field->setBordered(NO);
  field->setFocusRingType(NSFocusRingTypeNone);
  field->setDelegate(this);

  mTextFieldView = field;
  mEdControl = pControl;
  mEdParam = pParam;
  addSubview(field);
  if (NSWindow* w = window()) {
    w->makeKeyAndOrderFront(nullptr);
    w->makeFirstResponder(field);
  }
}

void IGraphicsCocoa_vKelvo_au::controlTextDidEndEditing(NSNotification* note)
{
  (void)note;
  if (!mTextFieldView) return;
  NSString* value = mTextFieldView->stringValue();
  std::string typed = value ? value->str() : std::string();
  if (mEdParam) {
    if (mGraphics) mGraphics->SetFromStringAfterPrompt(mEdControl, mEdParam, &typed[0]);
  } else if (mEdControl) {
    mEdControl->TextFromTextEntry(typed.c_str());
  }
  endUserInput();
  setNeedsDisplay(YES);
}

void IGraphicsCocoa_vKelvo_au::endUserInput()
{
  NSTextField* field = mTextFieldView;
  if (!field) return;
  mTextFieldView = nullptr;
  mEdControl = nullptr;
  mEdParam = nullptr;
  field->setDelegate(nullptr);
  NSWindow* w = window();
  field->removeFromSuperview();
  if (w) w->makeFirstResponder(this);
  field->release();
}

IPopupMenu* IGraphicsCocoa_vKelvo_au::createIPopupMenu(IPopupMenu* pMenu, NSRect rect)
{
  if (!pMenu) return nullptr;
  auto* receiver = ns_autorelease(
      static_cast<IGraphicsMenuRcvr_vKelvo_au*>(IGraphicsMenuRcvr_vKelvo_au::alloc()->initWithFrame(rect)));
  auto* menu = ns_autorelease(IGraphicsNSMenu_vKelvo_au::alloc()->initWithIPopupMenuAndReciever(pMenu, receiver));

  NSPoint at = convertPointToBase(NSMakePoint(rect.origin.x, rect.origin.y - 4));
  NSWindow* w = window();
  NSScreen* screen = w ? w->screen() : nullptr;
  const float scale =
      (screen && screen->respondsToSelector(kBackingScaleFactor)) ? (float)screen->backingScaleFactor() : 1.0f;
  at = NSMakePoint(at.x / scale, at.y / scale);
  NSEvent* event = NSEvent::otherEventWithType(NSApplicationDefined, at, 15, 0, w ? w->windowNumber() : 0,
                                               NSGraphicsContext::currentContext(), 0, 0, 0);
  NSMenu::popUpContextMenu(menu, event, receiver);

  NSMenuItem* item = receiver->MenuItem();
  auto* chosenIn = item ? ns_cast<IGraphicsNSMenu_vKelvo_au>(item->menu()) : nullptr;
  IPopupMenu* chosen = chosenIn ? chosenIn->AssociatedIPopupMenu() : nullptr;
  const NSInteger idx = chosenIn ? chosenIn->indexOfItem(item) : -1;
  if (!chosen || idx < 0) return nullptr;
  chosen->SetChosenItemIdx((int)idx);
  return chosen;
}

void IGraphicsCocoa_vKelvo_au::registerToolTip(const IRECT* pRect)
{
  if (!mGraphics || !pRect) return;
  addToolTipRect(mGraphics->ToViewRect(pRect), this, nullptr);
}

NSString* IGraphicsCocoa_vKelvo_au::view(NSView*, NSInteger, CGPoint, void*)
{
  IControl* control = mGraphics ? mGraphics->GetControl(mGraphics->GetMouseOver()) : nullptr;
  return NSStr(control ? control->GetTooltip() : "");
}

// --- the text-field filter ---

CocoaFormatter_vKelvo_au::~CocoaFormatter_vKelvo_au()
{
  if (mFilterCharacterSet) mFilterCharacterSet->release();
}

void CocoaFormatter_vKelvo_au::setAcceptableCharacterSet(NSCharacterSet* set)
{
  if (set) set->retain();
  if (mFilterCharacterSet) mFilterCharacterSet->release();
  mFilterCharacterSet = set;
}

BOOL CocoaFormatter_vKelvo_au::isPartialStringValid(NSString* partial, NSString**, NSString**)
{
  if (!partial) return YES;
  if (mFilterCharacterSet) {
    for (NSUInteger i = 0; i < partial->length(); ++i)
      if (!mFilterCharacterSet->characterIsMember(partial->characterAtIndex(i))) return NO;
  }
  if (mMaxLength && partial->length() > (NSUInteger)mMaxLength) return NO;
  if (mMaxValue && partial->intValue() > mMaxValue) return NO;
  return YES;
}

NSString* CocoaFormatter_vKelvo_au::stringForObjectValue(id obj) { return ns_cast<NSString>(obj); }

BOOL CocoaFormatter_vKelvo_au::getObjectValue(id* obj, NSString* string, NSString**)
{
  if (obj && string) *obj = NSString::stringWithString(string);
  return YES;
}

// --- popup menus ---

IGraphicsMenuRcvr_vKelvo_au::~IGraphicsMenuRcvr_vKelvo_au()
{
  if (mNSMenuItem) mNSMenuItem->release();
}

void IGraphicsMenuRcvr_vKelvo_au::OnMenuSelection(NSMenuItem* sender)
{
  if (sender) sender->retain();
  if (mNSMenuItem) mNSMenuItem->release();
  mNSMenuItem = sender;
}

BOOL IGraphicsMenuRcvr_vKelvo_au::respondsToSelector(SEL sel) const
{
  return sel == kOnMenuSelection ? YES : NSView::respondsToSelector(sel);
}

id IGraphicsMenuRcvr_vKelvo_au::performSelector(SEL sel, id arg)
{
  if (sel != kOnMenuSelection) return NSView::performSelector(sel, arg);
  OnMenuSelection(ns_cast<NSMenuItem>(arg));
  return nullptr;
}

IGraphicsNSMenu_vKelvo_au* IGraphicsNSMenu_vKelvo_au::initWithIPopupMenuAndReciever(IPopupMenu* pMenu,
                                                                                    NSView* pReceiver)
{
  initWithTitle(NSStr(""));
  setAutoenablesItems(NO);
  mIPopupMenu = pMenu;
  static const char* const kPrefixFormats[] = {nullptr, "%1d: ", "%02d: ", "%03d: "};
  const int prefix = pMenu ? pMenu->GetPrefix() : 0;
  const char* prefixFormat = (prefix >= 1 && prefix <= 3) ? kPrefixFormats[prefix] : nullptr;

  for (int i = 0; pMenu && i < pMenu->GetNItems(); ++i) {
    IPopupMenuItem* item = pMenu->GetItem(i);
    std::string title;
    if (prefixFormat) {
      char number[16];
      snprintf(number, sizeof(number), prefixFormat, i + 1);
      title = number;
    }
    title += item->GetText() ? item->GetText() : "";
    NSString* nsTitle = NSStr(title.c_str());

    if (IPopupMenu* sub = item->GetSubmenu()) {
      NSMenuItem* holder = addItemWithTitle(nsTitle, nullptr, NSStr(""));
      IGraphicsNSMenu_vKelvo_au* subMenu = alloc()->initWithIPopupMenuAndReciever(sub, pReceiver);
      setSubmenu(subMenu, holder);
      subMenu->release();
    } else if (item->GetIsSeparator()) {
      addItem(NSMenuItem::separatorItem());
    } else {
      NSMenuItem* entry = addItemWithTitle(nsTitle, kOnMenuSelection, NSStr(""));
      if (item->GetIsTitle()) entry->setIndentationLevel(1);
      entry->setState(item->GetChecked() ? 1 : 0);
      entry->setEnabled(item->GetEnabled() ? YES : NO);
    }
  }
  return this;
}

// --- the child window ---

BOOL CustomCocoaWindow_vKelvo_au::respondsToSelector(SEL sel) const
{
  return sel == kOrderFront ? YES : NSWindow::respondsToSelector(sel);
}

id CustomCocoaWindow_vKelvo_au::performSelector(SEL sel, id arg)
{
  if (sel != kOrderFront) return NSWindow::performSelector(sel, arg);
  orderFront(arg);
  return nullptr;
}
