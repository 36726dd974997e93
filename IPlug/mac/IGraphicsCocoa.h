#pragma once
// The Cocoa side of the editor: the view that shows an IGraphicsMac and feeds it events,
// the text-field filter, the popup menu built from an IPopupMenu with its choice catcher,
// and the borderless child window that can take keyboard input.

#include <AppKit/AppKit.h>

class IGraphicsMac;
class IControl;
class IParam;
class IPopupMenu;
struct IRECT;
struct IText;
struct IMouseMod;

class IGraphicsCocoa_vKelvo_au : public NSView
{
public:
  static IGraphicsCocoa_vKelvo_au* alloc() { return new IGraphicsCocoa_vKelvo_au(); }
  // A view of the editor's size serving pGraphics, with its refresh timer on the current run loop.
  IGraphicsCocoa_vKelvo_au* initWithIGraphics(IGraphicsMac* pGraphics);

  BOOL isOpaque() override { return mGraphics ? YES : NO; }
  BOOL acceptsFirstResponder() override { return YES; }
  BOOL acceptsFirstMouse(NSEvent*) override { return YES; }
  // Takes the keyboard and mouse-moved events of the window it joins.
  void viewDidMoveToWindow() override;
  // Lets the editor draw the area and put its back buffer on the screen.
  void drawRect(NSRect rect) override;
  // Asks the editor what is dirty and marks that area for the next display cycle.
  void onTimer(NSTimer* timer);
  // The event's position in editor pixels (also kept as the key position); nothing when detached.
  void getMouseXY(NSEvent* event, int* x, int* y);

  void mouseDown(NSEvent* event) override;
  void mouseUp(NSEvent* event) override;
  void mouseDragged(NSEvent* event) override;
  void rightMouseDown(NSEvent* event) override;
  void rightMouseUp(NSEvent* event) override;
  void rightMouseDragged(NSEvent* event) override;
  void mouseMoved(NSEvent* event) override;
  // Keys the editor knows go to it; all others, and those it refuses, go to the next responder.
  void keyDown(NSEvent* event) override;
  // Closes a text field, then passes the whole-step wheel delta to the editor.
  void scrollWheel(NSEvent* event) override;

  // Stops the refresh timer for good.
  void killTimer();
  // Closes the text field and the editor's side of the window, then leaves the superview.
  void removeFromSuperview() override;
  // Opens the text field over rect (view coordinates) for the control; at most one at a time.
  void createTextEntry(IControl* pControl, IParam* pParam, IText* pText, const char* str, NSRect rect);
  // Applies the typed text and closes the field.
  void controlTextDidEndEditing(NSNotification* note) override;
  // Removes the text field without applying its text.
  void endUserInput();
  // Runs the menu over rect (view coordinates); the (sub)menu whose item was chosen, or null.
  IPopupMenu* createIPopupMenu(IPopupMenu* pMenu, NSRect rect);
  // Registers an editor rectangle as a tooltip area owned by this view.
  void registerToolTip(const IRECT* pRect);
  // The tooltip of the control under the pointer ("" when none).
  NSString* view(NSView* view, NSInteger tag, CGPoint point, void* userData) override;

  BOOL respondsToSelector(SEL sel) const override;
  id performSelector(SEL sel, id arg) override;
  const char* className() const override { return "IGraphicsCocoa_vKelvo_au"; }

  IGraphicsMac* graphics() const { return mGraphics; }
  // Forgets the editor (it is closing); later events are dropped.
  void detachGraphics() { mGraphics = nullptr; }
  NSTimer* timer() const { return mTimer; }
  NSTextField* textField() const { return mTextFieldView; }

protected:
  ~IGraphicsCocoa_vKelvo_au() override;

private:
  // The editor height used for the coordinate flip.
  int EditorHeight() const;
  // The position and modifiers of a mouse event (right: a right-button event); false when detached.
  bool TakeMouse(NSEvent* event, bool rightButton, int* x, int* y, IMouseMod* mod);

  NSTimer* mTimer = nullptr;
  NSTextField* mTextFieldView = nullptr;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  int mPrevX = 0, mPrevY = 0;
  IGraphicsMac* mGraphics = nullptr;
};

class CocoaFormatter_vKelvo_au : public NSFormatter
{
public:
  static CocoaFormatter_vKelvo_au* alloc() { return new CocoaFormatter_vKelvo_au(); }
  // Retains the new set (nil: no filter) and releases the old one.
  void setAcceptableCharacterSet(NSCharacterSet* set);
  void setMaximumLength(int len) { mMaxLength = len; }
  void setMaximumValue(int value) { mMaxValue = value; }
  // Refuses text with a character outside the set, longer than the maximum length, or above the maximum value.
  BOOL isPartialStringValid(NSString* partial, NSString** newString, NSString** error) override;
  NSString* stringForObjectValue(id obj) override;
  BOOL getObjectValue(id* obj, NSString* string, NSString** error) override;
  const char* className() const override { return "CocoaFormatter_vKelvo_au"; }

protected:
  ~CocoaFormatter_vKelvo_au() override;

private:
  NSCharacterSet* mFilterCharacterSet = nullptr;
  int mMaxLength = 0, mMaxValue = 0;
};

class IGraphicsMenuRcvr_vKelvo_au : public NSView
{
public:
  static IGraphicsMenuRcvr_vKelvo_au* alloc() { return new IGraphicsMenuRcvr_vKelvo_au(); }
  // The action of every selectable menu item: remembers the item.
  void OnMenuSelection(NSMenuItem* sender);
  NSMenuItem* MenuItem() const { return mNSMenuItem; }
  BOOL respondsToSelector(SEL sel) const override;
  id performSelector(SEL sel, id arg) override;
  const char* className() const override { return "IGraphicsMenuRcvr_vKelvo_au"; }

protected:
  ~IGraphicsMenuRcvr_vKelvo_au() override;

private:
  NSMenuItem* mNSMenuItem = nullptr;
};

class IGraphicsNSMenu_vKelvo_au : public NSMenu
{
public:
  static IGraphicsNSMenu_vKelvo_au* alloc() { return new IGraphicsNSMenu_vKelvo_au(); }
  // A menu showing pMenu's items (and submenus, built the same way), choices going to pReceiver.
  IGraphicsNSMenu_vKelvo_au* initWithIPopupMenuAndReciever(IPopupMenu* pMenu, NSView* pReceiver);
  IPopupMenu* AssociatedIPopupMenu() const { return mIPopupMenu; }
  const char* className() const override { return "IGraphicsNSMenu_vKelvo_au"; }

private:
  IPopupMenu* mIPopupMenu = nullptr;
};

class CustomCocoaWindow_vKelvo_au : public NSWindow
{
public:
  static CustomCocoaWindow_vKelvo_au* alloc() { return new CustomCocoaWindow_vKelvo_au(); }
  // Borderless, yet able to take keyboard input for text fields.
  BOOL canBecomeKeyWindow() override { return YES; }
  // Answers orderFront: so it can be brought forward by a delayed message.
  BOOL respondsToSelector(SEL sel) const override;
  id performSelector(SEL sel, id arg) override;
  const char* className() const override { return "CustomCocoaWindow_vKelvo_au"; }
};
