// The Cocoa view: pointer conversion and routing, keys, the wheel, the refresh timer and
// drawing, text entry with its filter, popup menus, tooltips and closing.

#include <cstring>

#include "IParam.h"
#include "IPopupMenu.h"
#include "mac_fixture.h"

using namespace mac_test;

namespace {

TEST_F(MacEditorTest, PointerPositionsAreFlippedAndOffset)
{
  struct Case
  {
    double x, y;
    const char* expected;
  } cases[] = {
      {0, H - 1, "down -2 -2 L"},
      {10.7, 5.2, "down 8 622 L"},
      {100, 300, "down 98 327 L"},
  };
  for (const Case& c : cases) {
    control->events.clear();
    Mouse(NSLeftMouseDown, c.x, c.y);
    Mouse(NSLeftMouseUp, c.x, c.y);
    ASSERT_EQ(control->events.size(), 2u) << c.expected;
    EXPECT_EQ(control->events[0], c.expected);
  }
}

TEST_F(MacEditorTest, ButtonsAndModifiersReachTheCore)
{
  struct Case
  {
    NSEventType down, up;
    NSEventModifierFlags flags;
    const char* expectedDown;
  } cases[] = {
      {NSLeftMouseDown, NSLeftMouseUp, 0, "down 8 622 L"},
      {NSLeftMouseDown, NSLeftMouseUp, NSCommandKeyMask, "down 8 622 LR"},
      {NSLeftMouseDown, NSLeftMouseUp, NSShiftKeyMask | NSAlternateKeyMask, "down 8 622 LSA"},
      {NSLeftMouseDown, NSLeftMouseUp, NSControlKeyMask, "down 8 622 LC"},
      {NSRightMouseDown, NSRightMouseUp, 0, "down 8 622 R"},
      {NSRightMouseDown, NSRightMouseUp, NSCommandKeyMask | NSShiftKeyMask, "down 8 622 RS"},
  };
  for (const Case& c : cases) {
    control->events.clear();
    Mouse(c.down, 10.7, 5.2, c.flags);
    Mouse(c.up, 10.7, 5.2, c.flags);
    ASSERT_EQ(control->events.size(), 2u) << c.expectedDown;
    EXPECT_EQ(control->events[0], c.expectedDown);
    EXPECT_EQ(control->events[1], std::string("up") + (c.expectedDown + 4));
  }
}

TEST_F(MacEditorTest, SecondClickIsADoubleClickButRightClicksNeverAre)
{
  Mouse(NSLeftMouseDown, 50, 50, 0, 1);
  Mouse(NSLeftMouseUp, 50, 50, 0, 1);
  Mouse(NSLeftMouseDown, 50, 50, 0, 2);
  Mouse(NSLeftMouseUp, 50, 50, 0, 2);
  Mouse(NSRightMouseDown, 50, 50, 0, 2);
  Mouse(NSRightMouseUp, 50, 50, 0, 2);
  const std::vector<std::string> expected = {"down 48 577 L", "up 48 577 L",   "dbl 48 577 L",
                                             "up 48 577 L",   "down 48 577 R", "up 48 577 R"};
  EXPECT_EQ(control->events, expected);
}

TEST_F(MacEditorTest, DragsAndMovesFollowThePointer)
{
  graphics->HandleMouseOver(true);
  Mouse(NSMouseMoved, 20, 30);
  Mouse(NSLeftMouseDown, 20, 30);
  Mouse(NSLeftMouseDragged, 20, 40, NSShiftKeyMask);
  Mouse(NSLeftMouseUp, 20, 40);
  Mouse(NSRightMouseDown, 20, 40);
  Mouse(NSRightMouseDragged, 25, 40);
  Mouse(NSRightMouseUp, 25, 40);
  const std::vector<std::string> expected = {"over 18 597 L", "down 18 597 L", "drag 18 587 LS", "up 18 587 L",
                                             "down 18 587 R", "drag 23 587 R", "up 23 587 R"};
  EXPECT_EQ(control->events, expected);
}

TEST_F(MacEditorTest, WheelDeltasAreWholeSteps)
{
  struct Case
  {
    double delta;
    const char* expected;
  } cases[] = {
      {0.5, "wheel 0 98 327 L"}, {-0.9, "wheel 0 98 327 L"}, {2.7, "wheel 2 98 327 L"}, {-3.2, "wheel -3 98 327 L"}};
  for (const Case& c : cases) {
    control->events.clear();
    window->sendEvent(NSEvent::scrollWheelEvent(NSMakePoint(100, 300), 0, window->windowNumber(), c.delta));
    ASSERT_EQ(control->events.size(), 1u) << c.delta;
    EXPECT_EQ(control->events[0], c.expected);
  }
}

TEST_F(MacEditorTest, KnownKeysReachTheCoreAndOthersArePassedOn)
{
  Mouse(NSMouseMoved, 10.7, 5.2);  // the position keys are reported at
  struct Case
  {
    unsigned short keyCode;
    const char* chars;
    NSEventModifierFlags flags;
    int expected;  // -1: passed on
  } cases[] = {
      {12, "q", 0, 31}, {12, "Q", NSShiftKeyMask, 31},
      {0, "a", 0, 15},  {6, "z", 0, 40},
      {0, "A", 0, 15},  {29, "0", 0, 5},
      {25, "9", 0, 14}, {49, " ", 0, 0},
      {126, "x", 0, 1}, {125, "x", 0, 2},
      {123, "x", 0, 3}, {124, "x", 0, 4},
      {27, "-", 0, -1}, {47, ".", 0, -1},
  };
  for (const Case& c : cases) {
    control->keys.clear();
    window->keyDown(nullptr);
    Key(c.keyCode, c.chars, c.flags);
    if (c.expected < 0) {
      EXPECT_TRUE(control->keys.empty()) << c.chars;
      ASSERT_NE(window->lastUnhandledKey(), nullptr) << c.chars;
      EXPECT_STREQ(window->lastUnhandledKey()->characters()->UTF8String(), c.chars);
    } else {
      ASSERT_EQ(control->keys.size(), 1u) << c.chars;
      EXPECT_EQ(control->keys[0], c.expected) << c.chars;
      EXPECT_EQ(window->lastUnhandledKey(), nullptr) << c.chars;
    }
  }
}

TEST_F(MacEditorTest, KeysTheEditorRefusesOrThatAreNotSingleCharactersGoToTheHost)
{
  control->acceptKeys = false;
  window->keyDown(nullptr);
  Key(12, "q");
  EXPECT_EQ(control->keys, std::vector<int>({31}));
  ASSERT_NE(window->lastUnhandledKey(), nullptr);

  control->acceptKeys = true;
  control->keys.clear();
  window->keyDown(nullptr);
  Key(12, "qq");
  Key(12, "");
  EXPECT_TRUE(control->keys.empty());
  EXPECT_EQ(window->lastUnhandledKey(), nullptr);
}

// The window's pixel at editor position (x, y), packed as the back buffer packs it.
LICE_pixel ScreenPixel(NSWindow* w, int x, int y)
{
  const unsigned char* p = w->backingBytes() + (size_t)y * w->backingBytesPerRow() + (size_t)x * 4;
  return LICE_RGBA(p[2], p[1], p[0], 255);
}

TEST_F(MacEditorTest, TimerMarksDirtyAreasAndTheDisplayCycleShowsTheBackBuffer)
{
  EXPECT_TRUE(view->timer()->isValid());
  EXPECT_DOUBLE_EQ(view->timer()->timeInterval(), 1.0 / 25);
  Run(0.1);
  EXPECT_GT(control->draws, 0);
  EXPECT_EQ(ScreenPixel(window, 0, 0), LICE_RGBA(40, 80, 120, 255));
  EXPECT_EQ(ScreenPixel(window, W - 1, H - 1), LICE_RGBA(40, 80, 120, 255));

  control->color = IColor(255, 200, 10, 30);
  control->SetDirty(false);
  Run(0.1);
  EXPECT_EQ(ScreenPixel(window, W / 2, H / 3), LICE_RGBA(200, 10, 30, 255));
  const int drawn = control->draws;
  Run(0.2);
  EXPECT_EQ(control->draws, drawn) << "a clean editor is not redrawn";
}

TEST_F(MacEditorTest, DrawRectConvertsToCoreCoordinates)
{
  view->drawRect(NSMakeRect(10, 20, 30, 40));  // no graphics context: drawn, not shown
  EXPECT_EQ(graphics->GetDrawRECT(), IRECT(10, H - 60, 40, H - 20));
  EXPECT_FALSE(graphics->DrawScreen(nullptr));
}

TEST_F(MacEditorTest, TextEntryOfADoubleParameterFiltersAndApplies)
{
  IText style(20, nullptr, "DejaVu Sans", IText::kStyleNormal, IText::kAlignFar);
  IRECT area(10, 20, 110, 40);
  auto* knob = new RecordingControl(plug, area, kGain);
  graphics->AttachControl(knob);
  graphics->CreateTextEntry(knob, &style, &area, "-3", plug->GetParam(kGain));
  NSTextField* field = view->textField();
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->superview(), view);
  EXPECT_EQ(window->firstResponder(), field);
  const NSRect f = field->frame();
  EXPECT_EQ(f.origin.x, 10);
  EXPECT_EQ(f.origin.y, H - 40 - 1);
  EXPECT_EQ(f.size.width, 101);
  EXPECT_EQ(f.size.height, 21);
  EXPECT_EQ(field->alignment(), NSRightTextAlignment);
  ASSERT_NE(field->font(), nullptr);
  EXPECT_EQ(field->font()->pointSize(), 18);
  EXPECT_STREQ(field->stringValue()->UTF8String(), "-3");
  EXPECT_EQ(field->cell()->lineBreakMode(), NSLineBreakByTruncatingTail);

  // A second request while the field is open is ignored.
  graphics->CreateTextEntry(knob, &style, &area, "x", plug->GetParam(kGain));
  EXPECT_EQ(view->textField(), field);

  struct Typed
  {
    const char* chars;
    const char* after;
  } typing[] = {{"a", "-3"},    {"0", "-30"},    {".", "-30."},    {"5", "-30.5"},
                {"e", "-30.5"}, {"1", "-30.51"}, {"2", "-30.512"}, {"3", "-30.512"}};
  for (const Typed& t : typing) {
    Key(0, t.chars);
    EXPECT_STREQ(field->stringValue()->UTF8String(), t.after) << t.chars;
  }
  Key(36, "\r");  // Return applies the value
  EXPECT_EQ(view->textField(), nullptr);
  EXPECT_EQ(window->firstResponder(), view);
  EXPECT_NEAR(plug->GetParam(kGain)->Value(), -30.51, 0.011);
  ASSERT_FALSE(plug->changes.empty());
  EXPECT_EQ(plug->changes.back().first, kGain);
}

TEST_F(MacEditorTest, TextEntryFiltersPerParameterType)
{
  struct Case
  {
    int param;  // -1: no parameter
    const char* typed;
    const char* shown;
  } cases[] = {
      {kSteps, "1.5x+", "15+"},
      {kGain, "1.5x+", "1.5+"},
      {-1, "1.5x+", "1.5x+"},
  };
  for (const Case& c : cases) {
    IRECT area(0, 0, 50, 20);
    IParam* param = c.param < 0 ? nullptr : plug->GetParam(c.param);
    graphics->CreateTextEntry(control, control->GetText(), &area, "", param);
    NSTextField* field = view->textField();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->formatter() != nullptr, param != nullptr);
    for (const char* ch = c.typed; *ch; ++ch) {
      const char one[2] = {*ch, 0};
      Key(0, one);
    }
    EXPECT_STREQ(field->stringValue()->UTF8String(), c.shown) << c.typed;
    graphics->ForceEndUserEdit();  // discards the text
    EXPECT_EQ(view->textField(), nullptr);
  }
  EXPECT_TRUE(control->texts.empty());
  EXPECT_TRUE(plug->changes.empty());
}

TEST_F(MacEditorTest, TextWithoutParameterGoesToTheControlAndTheWheelDiscardsIt)
{
  IRECT area(0, 0, 50, 20);
  graphics->CreateTextEntry(control, nullptr, &area, "abc", nullptr);
  ASSERT_NE(view->textField(), nullptr);
  Key(0, "d");
  window->makeFirstResponder(view);  // focus lost: the text is applied
  EXPECT_EQ(view->textField(), nullptr);
  EXPECT_EQ(control->texts, std::vector<std::string>({"abcd"}));

  // A press inside the field reaches the editor, but no drags while the field is open; the
  // wheel closes it without applying its text.
  graphics->CreateTextEntry(control, nullptr, &area, "zz", nullptr);
  Mouse(NSLeftMouseDown, 5, H - 15);
  Mouse(NSLeftMouseDragged, 6, H - 15);
  ASSERT_NE(view->textField(), nullptr);
  window->sendEvent(NSEvent::scrollWheelEvent(NSMakePoint(5, H - 15), 0, window->windowNumber(), 1));
  EXPECT_EQ(view->textField(), nullptr);
  EXPECT_EQ(control->texts.size(), 1u);
  EXPECT_EQ(control->events, std::vector<std::string>({"down 3 12 L", "wheel 1 3 12 L"}));

  // A press elsewhere takes the focus from the field, which applies its text.
  graphics->CreateTextEntry(control, nullptr, &area, "yy", nullptr);
  Mouse(NSLeftMouseDown, 200, 200);
  EXPECT_EQ(view->textField(), nullptr);
  EXPECT_EQ(control->texts, std::vector<std::string>({"abcd", "yy"}));

  graphics->CreateTextEntry(nullptr, nullptr, &area, "", nullptr);
  EXPECT_EQ(view->textField(), nullptr) << "no field without a control";
}

TEST(CocoaFormatter, RefusesByCharacterLengthAndValue)
{
  NSAutoreleasePool* pool = new NSAutoreleasePool();
  struct Case
  {
    const char* set;  // null: no filter
    int maxLength, maxValue;
    const char* text;
    bool valid;
  } cases[] = {
      {"0123456789.-+", 7, 0, "-30.512", true}, {"0123456789.-+", 7, 0, "-30.5123", false},
      {"0123456789.-+", 0, 0, "12a", false},    {nullptr, 0, 0, "anything at all", true},
      {nullptr, 3, 0, "abcd", false},           {nullptr, 0, 100, "100", true},
      {nullptr, 0, 100, "101", false},          {"", 0, 0, "", true},
  };
  for (const Case& c : cases) {
    CocoaFormatter_vKelvo_au* f = CocoaFormatter_vKelvo_au::alloc();
    if (c.set) f->setAcceptableCharacterSet(NSCharacterSet::characterSetWithCharactersInString(NSStr(c.set)));
    f->setMaximumLength(c.maxLength);
    f->setMaximumValue(c.maxValue);
    EXPECT_EQ(f->isPartialStringValid(NSStr(c.text), nullptr, nullptr), c.valid ? YES : NO) << c.text;
    f->release();
  }
  CocoaFormatter_vKelvo_au* f = CocoaFormatter_vKelvo_au::alloc();
  NSString* s = NSStr("7");
  EXPECT_EQ(f->stringForObjectValue(s), s);
  EXPECT_EQ(f->stringForObjectValue(NSArray::array()), nullptr);
  id out = nullptr;
  EXPECT_EQ(f->getObjectValue(&out, s, nullptr), YES);
  ASSERT_NE(ns_cast<NSString>(out), nullptr);
  EXPECT_NE(out, s);
  EXPECT_STREQ(ns_cast<NSString>(out)->UTF8String(), "7");
  EXPECT_EQ(f->getObjectValue(nullptr, s, nullptr), YES);
  f->release();
  pool->drain();
}

// A menu "alpha, (sep), Sub > [s0, s1, s2], Title, off (disabled), on (checked)".
struct MenuModel
{
  IPopupMenu main, sub;
  MenuModel()
  {
    sub.AddItem("s0");
    sub.AddItem("s1");
    sub.AddItem("s2");
    main.AddItem("alpha");
    main.AddSeparator();
    main.AddItem("Sub", &sub);
    main.AddItem("Title", -1, IPopupMenuItem::kTitle);
    main.AddItem("off", -1, IPopupMenuItem::kDisabled);
    main.AddItem("on", -1, IPopupMenuItem::kChecked);
  }
};

TEST_F(MacEditorTest, MenuChoiceInASubmenuReturnsTheSubmenu)
{
  MenuModel model;
  std::vector<std::string> titles;
  NSMenu* shown = nullptr;
  NSPoint at{0, 0};
  NSMenu::setContextMenuResponder([&](NSMenu* menu, NSEvent* event, NSView* rcvr) -> NSMenuItem* {
    shown = menu;
    at = event->locationInWindow();
    EXPECT_EQ(event->type(), (NSEventType)NSApplicationDefined);
    EXPECT_EQ(event->windowNumber(), window->windowNumber());
    EXPECT_NE(rcvr, view);
    for (NSInteger i = 0; i < menu->numberOfItems(); ++i) titles.push_back(menu->itemAtIndex(i)->title()->str());
    NSMenuItem* title = menu->itemAtIndex(3);
    EXPECT_EQ(title->indentationLevel(), 1);
    EXPECT_EQ(menu->itemAtIndex(1)->isSeparatorItem(), YES);
    EXPECT_EQ(menu->itemAtIndex(4)->isEnabled(), NO);
    EXPECT_EQ(menu->itemAtIndex(5)->state(), 1);
    EXPECT_EQ(menu->itemAtIndex(0)->state(), 0);
    return menu->itemAtIndex(2)->submenu()->itemAtIndex(2);
  });
  IRECT area(20, 30, 60, 50);
  IPopupMenu* chosen = graphics->CreateIPopupMenu(&model.main, &area);
  EXPECT_EQ(chosen, &model.sub);
  EXPECT_EQ(model.sub.GetChosenItemIdx(), 2);
  EXPECT_NE(shown, nullptr);
  EXPECT_EQ(titles, std::vector<std::string>({"alpha", "", "Sub", "Title", "off", "on"}));
  EXPECT_EQ(at.x, 20 + 100 - 100);  // the content view sits at the window origin
  EXPECT_EQ(at.y, H - 50 - 1 - 4);
}

TEST_F(MacEditorTest, DismissedOrRefusedMenusReturnNull)
{
  MenuModel model;
  IRECT area(0, 0, 10, 10);
  struct Case
  {
    const char* what;
    int pick;  // item of the main menu answered; -1 dismisses
  } cases[] = {{"dismissed", -1}, {"disabled item", 4}, {"separator", 1}};
  for (const Case& c : cases) {
    NSMenu::setContextMenuResponder([&](NSMenu* menu, NSEvent*, NSView*) -> NSMenuItem* {
      return c.pick < 0 ? nullptr : menu->itemAtIndex(c.pick);
    });
    EXPECT_EQ(graphics->CreateIPopupMenu(&model.main, &area), nullptr) << c.what;
  }
  NSMenu::setContextMenuResponder([&](NSMenu* menu, NSEvent*, NSView*) { return menu->itemAtIndex(5); });
  EXPECT_EQ(graphics->CreateIPopupMenu(&model.main, &area), &model.main);
  EXPECT_EQ(model.main.GetChosenItemIdx(), 5);
}

TEST_F(MacEditorTest, MenuTitlesCarryTheNumberPrefix)
{
  struct Case
  {
    int prefix;
    const char* first;
    const char* last;
  } cases[] = {{0, "a", "j"}, {1, "1: a", "10: j"}, {2, "01: a", "10: j"}, {3, "001: a", "010: j"}};
  for (const Case& c : cases) {
    IPopupMenu menu;
    for (char ch = 'a'; ch <= 'j'; ++ch) {
      const char t[2] = {ch, 0};
      menu.AddItem(t);
    }
    menu.SetPrefix(c.prefix);
    std::string first, last;
    NSMenu::setContextMenuResponder([&](NSMenu* m, NSEvent*, NSView*) -> NSMenuItem* {
      first = m->itemAtIndex(0)->title()->str();
      last = m->itemAtIndex(9)->title()->str();
      return nullptr;
    });
    IRECT area(0, 0, 10, 10);
    graphics->CreateIPopupMenu(&menu, &area);
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(last, c.last);
  }
}

TEST_F(MacEditorTest, TooltipsCoverVisibleControlsAndShowTheHoveredOne)
{
  graphics->HandleMouseOver(true);
  auto* tipped = new RecordingControl(plug, IRECT(10, 20, 110, 40));
  tipped->SetTooltip("Gain knob");
  auto* hidden = new RecordingControl(plug, IRECT(200, 200, 220, 220));
  hidden->Hide(true);
  graphics->AttachControl(tipped);
  graphics->AttachControl(hidden);
  graphics->AttachControl(new RecordingControl(plug, IRECT()));

  graphics->UpdateTooltips();
  EXPECT_TRUE(view->toolTips().empty()) << "tooltips are off";
  graphics->EnableTooltips(true);
  graphics->UpdateTooltips();
  ASSERT_EQ(view->toolTips().size(), 3u);  // background, full-size control, tipped
  const NSRect r = view->toolTips()[2].rect;
  EXPECT_EQ(r.origin.x, 10);
  EXPECT_EQ(r.origin.y, H - 40 - 1);
  EXPECT_EQ(r.size.width, 101);
  EXPECT_EQ(r.size.height, 21);

  Mouse(NSMouseMoved, 50, H - 30);
  ASSERT_NE(view->toolTipAtPoint(NSMakePoint(50, H - 30)), nullptr);
  EXPECT_STREQ(view->toolTipAtPoint(NSMakePoint(50, H - 30))->UTF8String(), "Gain knob");
  Mouse(NSMouseMoved, 300, 300);
  EXPECT_STREQ(view->toolTipAtPoint(NSMakePoint(300, 300))->UTF8String(), "") << "the full-size control has none";
}

TEST_F(MacEditorTest, HostRemovingTheViewClosesTheEditor)
{
  const int timers = NSRunLoop::currentRunLoop()->timerCount();
  view->retain();
  view->removeFromSuperview();
  EXPECT_FALSE(graphics->WindowIsOpen());
  EXPECT_EQ(view->graphics(), nullptr);
  EXPECT_EQ(view->timer(), nullptr);
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), timers - 1);
  EXPECT_EQ(view->isOpaque(), NO);

  control->SetDirty(false);
  const int draws = control->draws;
  Run(0.2);
  Mouse(NSLeftMouseDown, 5, 5);
  view->mouseDown(NSEvent::mouseEventWithType(NSLeftMouseDown, NSMakePoint(5, 5), 0, 0, 0, nullptr, 0, 1, 1));
  view->drawRect(NSMakeRect(0, 0, 10, 10));
  EXPECT_EQ(control->draws, draws);
  EXPECT_TRUE(control->events.empty());
  EXPECT_EQ(graphics->CreateIPopupMenu(nullptr, nullptr), nullptr);
  graphics->CloseWindow();
  view->release();
}

TEST_F(MacEditorTest, CloseWindowTwiceIsHarmlessAndReopeningReplacesTheView)
{
  IGraphicsCocoa_vKelvo_au* first = view;
  first->retain();
  void* second = graphics->OpenWindow(window->contentView());
  EXPECT_NE(second, first);
  EXPECT_EQ(first->superview(), nullptr);
  EXPECT_EQ(first->timer(), nullptr);
  first->release();
  NSArray* subs = window->contentView()->subviews();
  EXPECT_EQ(subs->count(), 1u);

  const int timers = NSRunLoop::currentRunLoop()->timerCount();
  graphics->CloseWindow();
  EXPECT_EQ(graphics->GetWindow(), nullptr);
  EXPECT_EQ(window->contentView()->subviews()->count(), 0u);
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), timers - 1);
  graphics->CloseWindow();
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), timers - 1);
  EXPECT_FALSE(graphics->WindowIsOpen());
}

}  // namespace
