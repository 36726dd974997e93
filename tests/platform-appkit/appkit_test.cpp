#include <AppKit/AppKit.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Counts its own destruction.
class Probe : public NSObject
{
public:
  explicit Probe(int* deaths) : m_deaths(deaths) {}
  BOOL respondsToSelector(SEL s) const override { return s == sel_registerName("ping:") ? YES : NO; }
  id performSelector(SEL s, id arg) override
  {
    if (s != sel_registerName("ping:")) return nullptr;
    ++pings;
    last = arg;
    return this;
  }
  int pings = 0;
  id last = nullptr;

protected:
  ~Probe() override { ++*m_deaths; }

private:
  int* m_deaths;
};

TEST(Foundation, RetainReleaseAndAutoreleasePools)
{
  int deaths = 0;
  Probe* p = new Probe(&deaths);
  p->retain();
  EXPECT_EQ(p->retainCount(), 2u);
  NSAutoreleasePool* outer = NSAutoreleasePool::alloc()->init();
  p->autorelease();
  NSAutoreleasePool* inner = NSAutoreleasePool::alloc()->init();
  p->autorelease();
  inner->drain();
  EXPECT_EQ(p->retainCount(), 1u);
  EXPECT_EQ(deaths, 0);
  outer->drain();
  EXPECT_EQ(deaths, 1);
}

struct PathCase
{
  const char* path;
  const char* last;
  const char* ext;
  const char* noExt;
  const char* parent;
};

TEST(Foundation, PathOperations)
{
  const PathCase cases[] = {
      {"pictures/knob.png", "knob.png", "png", "pictures/knob", "pictures"},
      {"/a/b/bg.PNG", "bg.PNG", "PNG", "/a/b/bg", "/a/b"},
      {"png", "png", "", "png", ""},
      {"/tmp/", "tmp", "", "/tmp/", "/"},
      {"a.b/c", "c", "", "a.b/c", "a.b"},
  };
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  for (const PathCase& c : cases) {
    NSString* s = NSStr(c.path);
    EXPECT_STREQ(s->lastPathComponent()->UTF8String(), c.last) << c.path;
    EXPECT_STREQ(s->pathExtension()->UTF8String(), c.ext) << c.path;
    EXPECT_STREQ(s->stringByDeletingPathExtension()->UTF8String(), c.noExt) << c.path;
    EXPECT_STREQ(s->stringByDeletingLastPathComponent()->UTF8String(), c.parent) << c.path;
  }
  NSArray* parts = NSStr("png fxp  fxb")->componentsSeparatedByString(NSStr(" "));
  ASSERT_EQ(parts->count(), 4u);
  EXPECT_STREQ(ns_cast<NSString>(parts->objectAtIndex(2))->UTF8String(), "");
  EXPECT_EQ(NSStr("\xF0\x9F\x8E\xB8")->length(), 2u);  // UTF-16 units, as Foundation counts
  // Bytes that are not UTF-8 read as U+FFFD, and what follows them is kept.
  NSString* cut = NSStr(
      "\xE2\x82"
      "A");
  ASSERT_EQ(cut->length(), 2u);
  EXPECT_EQ(cut->characterAtIndex(0), 0xFFFD);
  EXPECT_EQ(cut->characterAtIndex(1), u'A');
  NSString* surrogate = NSStr("\xED\xA0\x80");
  ASSERT_EQ(surrogate->length(), 3u);
  EXPECT_EQ(surrogate->characterAtIndex(0), 0xFFFD);
  EXPECT_EQ(NSStr("  42abc")->intValue(), 42);
  pool->drain();
}

TEST(Foundation, TimersRunOnTheSimulatedClock)
{
  int deaths = 0;
  Probe* target = new Probe(&deaths);
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  NSTimer* t = NSTimer::timerWithTimeInterval(1.0 / 25, target, sel_registerName("ping:"), nullptr, YES);
  NSRunLoop::currentRunLoop()->addTimer(t, NSRunLoopCommonModes);
  t->retain();
  pool->drain();
  EXPECT_EQ(target->retainCount(), 2u);  // the timer holds its target
  NSRunLoop::currentRunLoop()->runForTimeInterval(1.0);
  EXPECT_EQ(target->pings, 25);
  EXPECT_EQ(target->last, t);
  t->invalidate();
  NSRunLoop::currentRunLoop()->runForTimeInterval(1.0);
  EXPECT_EQ(target->pings, 25);
  EXPECT_EQ(target->retainCount(), 1u);
  t->release();

  target->performSelectorAfterDelay(sel_registerName("ping:"), nullptr, 0.05);
  NSRunLoop::currentRunLoop()->runForTimeInterval(0.04);
  EXPECT_EQ(target->pings, 25);
  NSRunLoop::currentRunLoop()->runForTimeInterval(0.02);
  EXPECT_EQ(target->pings, 26);
  target->release();
  EXPECT_EQ(deaths, 1);
}

TEST(Foundation, TheRunLoopServicesCoreFoundationWork)
{
  int calls = 0;
  CFRunLoopPerformFunction(
      CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, [](void* info) { ++*static_cast<int*>(info); }, &calls);
  EXPECT_EQ(calls, 0);
  NSRunLoop::currentRunLoop()->runForTimeInterval(0.01);
  EXPECT_EQ(calls, 1);
}

// A view that records what it is asked and paints its dirty area in one colour.
class PaintView : public NSView
{
public:
  static PaintView* alloc() { return new PaintView(); }
  void drawRect(NSRect dirty) override
  {
    drawn.push_back(dirty);
    CGContextRef cg = (CGContextRef)NSGraphicsContext::currentContext()->graphicsPort();
    CGContextSetRGBFillColor(cg, 1, 0, 0, 1);
    CGContextFillRect(cg, dirty);
  }
  void mouseDown(NSEvent* e) override { log.push_back("down " + std::to_string((int)e->clickCount())); }
  void mouseDragged(NSEvent*) override { log.push_back("drag"); }
  void mouseUp(NSEvent*) override { log.push_back("up"); }
  void scrollWheel(NSEvent* e) override { log.push_back("wheel " + std::to_string(e->deltaY())); }
  BOOL acceptsFirstResponder() override { return YES; }
  BOOL acceptsFirstMouse(NSEvent*) override { return firstMouse; }
  void keyDown(NSEvent* e) override
  {
    if (e->keyCode() == 49)
      log.push_back("space");
    else
      NSView::keyDown(e);
  }
  std::vector<NSRect> drawn;
  std::vector<std::string> log;
  BOOL firstMouse = YES;
};

const unsigned char* PixelAt(NSWindow* w, int x, int yFromTop)
{
  return w->backingBytes() + (size_t)yFromTop * w->backingBytesPerRow() + (size_t)x * 4;
}

TEST(AppKit, DisplayCycleDrawsDirtyAreasIntoTheBackingStore)
{
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  NSWindow* win = NSWindow::alloc()->initWithContentRect(NSMakeRect(100, 100, 40, 30), NSTitledWindowMask,
                                                         NSBackingStoreBuffered, NO);
  PaintView* v = static_cast<PaintView*>(PaintView::alloc()->initWithFrame(NSMakeRect(10, 5, 20, 10)));
  win->contentView()->addSubview(v);
  v->release();
  win->displayIfNeeded();
  v->drawn.clear();
  v->setNeedsDisplayInRect(NSMakeRect(0, 0, 4, 2));
  EXPECT_TRUE(v->drawn.empty());  // drawing waits for the display cycle
  NSRunLoop::currentRunLoop()->runForTimeInterval(0.01);
  ASSERT_EQ(v->drawn.size(), 1u);
  EXPECT_EQ(v->drawn[0].size.width, 4);
  // View (0, 0) is the window's (10, 5) from the bottom: row 30 - 5 - 1 = 24 from the top.
  const unsigned char* red = PixelAt(win, 10, 24);
  EXPECT_EQ(red[2], 255);
  EXPECT_EQ(red[1], 0);
  const unsigned char* outside = PixelAt(win, 5, 24);
  EXPECT_EQ(outside[1], 255);  // beside the view: still the window's white
  win->close();
  pool->drain();
}

TEST(AppKit, EventRouting)
{
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  NSWindow* win = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, 100, 100), NSTitledWindowMask,
                                                         NSBackingStoreBuffered, NO);
  PaintView* v = static_cast<PaintView*>(PaintView::alloc()->initWithFrame(NSMakeRect(10, 10, 50, 50)));
  v->firstMouse = NO;
  win->contentView()->addSubview(v);
  v->release();
  auto mouse = [&](NSEventType t, CGFloat x, CGFloat y, NSInteger clicks) {
    win->sendEvent(NSEvent::mouseEventWithType(t, NSMakePoint(x, y), 0, 0, win->windowNumber(), nullptr, 0, clicks, 1));
  };
  mouse(NSLeftMouseDown, 20, 20, 1);  // activates the window only
  EXPECT_TRUE(win->isKeyWindow());
  EXPECT_TRUE(v->log.empty());
  mouse(NSLeftMouseDown, 20, 20, 1);
  mouse(NSLeftMouseDragged, 90, 90, 1);  // outside the view: still its drag
  mouse(NSLeftMouseUp, 95, 95, 1);
  mouse(NSLeftMouseDown, 5, 5, 1);  // outside the view: the content view takes it
  win->sendEvent(NSEvent::scrollWheelEvent(NSMakePoint(30, 30), 0, win->windowNumber(), 0.5));
  EXPECT_EQ(v->log, std::vector<std::string>({"down 1", "drag", "up", "wheel 0.500000"}));
  EXPECT_EQ(win->firstResponder(), v);
  auto key = [&](unsigned short code, const char* chars) {
    win->sendEvent(NSEvent::keyEventWithType(NSKeyDown, NSMakePoint(0, 0), 0, 0, win->windowNumber(), nullptr,
                                             NSStr(chars), NSStr(chars), NO, code));
  };
  key(49, " ");
  key(27, "-");  // not taken: passed up to the window
  EXPECT_EQ(v->log.back(), "space");
  ASSERT_NE(win->lastUnhandledKey(), nullptr);
  EXPECT_STREQ(win->lastUnhandledKey()->characters()->UTF8String(), "-");
  win->close();
  pool->drain();
}

class Receiver : public NSView
{
public:
  static Receiver* alloc() { return new Receiver(); }
  BOOL respondsToSelector(SEL s) const override { return s == sel_registerName("OnMenuSelection:") ? YES : NO; }
  id performSelector(SEL s, id arg) override
  {
    if (s == sel_registerName("OnMenuSelection:")) chosen = ns_cast<NSMenuItem>(arg);
    return nullptr;
  }
  NSMenuItem* chosen = nullptr;
};

TEST(AppKit, ContextMenusAreAnsweredByTheHostsResponder)
{
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  NSMenu* menu = ns_autorelease(NSMenu::alloc()->initWithTitle(NSStr("")));
  SEL act = sel_registerName("OnMenuSelection:");
  menu->addItemWithTitle(NSStr("one"), act, NSStr(""));
  NSMenuItem* parent = menu->addItemWithTitle(NSStr("more"), nullptr, NSStr(""));
  NSMenu* sub = NSMenu::alloc()->initWithTitle(NSStr(""));
  for (const char* t : {"a", "b", "c"}) sub->addItemWithTitle(NSStr(t), act, NSStr(""));
  menu->setSubmenu(sub, parent);
  sub->release();
  menu->itemAtIndex(0)->setEnabled(NO);

  Receiver* rcvr = static_cast<Receiver*>(ns_autorelease(Receiver::alloc()->initWithFrame(NSMakeRect(0, 0, 1, 1))));
  NSMenu::setContextMenuResponder(
      [](NSMenu* m, NSEvent*, NSView*) { return m->itemAtIndex(1)->submenu()->itemAtIndex(2); });
  NSMenu::popUpContextMenu(menu, nullptr, rcvr);
  ASSERT_NE(rcvr->chosen, nullptr);
  EXPECT_EQ(rcvr->chosen->menu(), sub);
  EXPECT_EQ(sub->indexOfItem(rcvr->chosen), 2);
  EXPECT_EQ(sub->supermenu(), menu);

  rcvr->chosen = nullptr;
  NSMenu::setContextMenuResponder([](NSMenu* m, NSEvent*, NSView*) { return m->itemAtIndex(0); });  // disabled
  NSMenu::popUpContextMenu(menu, nullptr, rcvr);
  EXPECT_EQ(rcvr->chosen, nullptr);
  NSMenu::setContextMenuResponder([](NSMenu*, NSEvent*, NSView*) -> NSMenuItem* { return nullptr; });  // dismissed
  NSMenu::popUpContextMenu(menu, nullptr, rcvr);
  EXPECT_EQ(rcvr->chosen, nullptr);
  NSMenu::setContextMenuResponder(nullptr);
  pool->drain();
}

class DigitsOnly : public NSFormatter
{
public:
  BOOL isPartialStringValid(NSString* s, NSString**, NSString**) override
  {
    if (s->length() > 3) return NO;
    for (NSUInteger i = 0; i < s->length(); ++i)
      if (s->characterAtIndex(i) < '0' || s->characterAtIndex(i) > '9') return NO;
    return YES;
  }
};

class EditDelegate : public NSObject
{
public:
  void controlTextDidEndEditing(NSNotification* n) override
  {
    text = ns_cast<NSTextField>(n->object())->stringValue()->str();
    ++ends;
  }
  std::string text;
  int ends = 0;
};

TEST(AppKit, TextFieldTakesKeysThroughItsFormatter)
{
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  NSWindow* win = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, 100, 100), NSTitledWindowMask,
                                                         NSBackingStoreBuffered, NO);
  NSTextField* field = NSTextField::alloc()->initWithFrame(NSMakeRect(0, 0, 50, 20));
  DigitsOnly* fmt = new DigitsOnly();
  field->setFormatter(fmt);
  fmt->release();
  EditDelegate* del = new EditDelegate();
  field->setDelegate(del);
  win->contentView()->addSubview(field);
  field->release();
  ASSERT_TRUE(win->makeFirstResponder(field));
  for (const char* c : {"1", "x", "2", "3", "4"})
    win->sendEvent(NSEvent::keyEventWithType(NSKeyDown, NSMakePoint(0, 0), 0, 0, win->windowNumber(), nullptr, NSStr(c),
                                             NSStr(c), NO, 0));
  EXPECT_STREQ(field->stringValue()->UTF8String(), "123");  // the letter and the fourth digit refused
  win->sendEvent(NSEvent::keyEventWithType(NSKeyDown, NSMakePoint(0, 0), 0, 0, win->windowNumber(), nullptr,
                                           NSStr("\r"), NSStr("\r"), NO, 36));
  EXPECT_EQ(del->ends, 1);
  EXPECT_EQ(del->text, "123");
  win->close();
  del->release();
  pool->drain();
}

TEST(AppKit, PanelsWorkspacePasteboardAndClasses)
{
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  NSSavePanel* save = NSSavePanel::savePanel();
  EXPECT_EQ(save->runModalForDirectory(NSStr("~/Desktop"), NSStr("x.fxp")), NSCancelButton);  // no script
  std::vector<std::string> seen;
  NSSavePanel::setScript([&](const NSSavePanel::Request& r, std::string* path) -> NSInteger {
    seen = r.types;
    *path = r.directory + "/chosen." + (r.types.empty() ? "x" : r.types[0]);
    return r.open ? NSOKButton : NSCancelButton;
  });
  NSOpenPanel* open = NSOpenPanel::openPanel();
  EXPECT_EQ(
      open->runModalForDirectory(NSStr("/tmp"), NSStr(""), NSStr("fxp fxb")->componentsSeparatedByString(NSStr(" "))),
      NSOKButton);
  EXPECT_STREQ(open->filename()->UTF8String(), "/tmp/chosen.fxp");
  EXPECT_EQ(seen, std::vector<std::string>({"fxp", "fxb"}));
  NSSavePanel::setScript(nullptr);

  NSWorkspace::clearOpenedURLs();
  EXPECT_TRUE(NSWorkspace::sharedWorkspace()->openURL(NSURL::URLWithString(NSStr("https://example.com/product/"))));
  EXPECT_EQ(NSURL::URLWithString(NSStr("not a url")), nullptr);
  EXPECT_EQ(NSWorkspace::openedURLs(), std::vector<std::string>({"https://example.com/product/"}));

  NSPasteboard* pb = NSPasteboard::generalPasteboard();
  pb->clearContents();
  EXPECT_EQ(pb->stringForType(NSStringPboardType), nullptr);
  pb->setString(NSStr("0.5"), NSPasteboardTypeString);
  EXPECT_STREQ(pb->stringForType(NSStringPboardType)->UTF8String(), "0.5");

  NSRegisterClass("TestProbeView", []() -> NSObject* { return NSView::alloc(); });
  Class cls = NSClassFromString(NSStr("TestProbeView"));
  ASSERT_NE(cls, nullptr);
  NSObject* made = cls->alloc()->init();
  EXPECT_NE(ns_cast<NSView>(made), nullptr);
  made->release();
  EXPECT_EQ(NSClassFromString(NSStr("NoSuchClass")), nullptr);

  NSArray* desk = NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSUserDomainMask, YES);
  ASSERT_EQ(desk->count(), 1u);
  EXPECT_EQ(ns_cast<NSString>(desk->objectAtIndex(0))->str(), NSHomeDirectory()->str() + "/Desktop");
  NSArray* sys = NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory, NSSystemDomainMask, YES);
  EXPECT_STREQ(ns_cast<NSString>(sys->objectAtIndex(0))->UTF8String(), "/System/Library/Application Support");
  pool->drain();
}

}  // namespace
