#pragma once
// Menus and menu items; context menus are answered by a responder the host installs.

#include <functional>

#include "NSView.h"

class NSMenu;

class NSMenuItem : public NSObject
{
public:
  static NSMenuItem* alloc() { return new NSMenuItem(); }
  NSMenuItem* initWithTitle(NSString* title, SEL action, NSString* keyEquivalent);
  // An autoreleased separator.
  static NSMenuItem* separatorItem();

  NSString* title() const { return m_title; }
  void setTitle(NSString* t);
  SEL action() const { return m_action; }
  void setAction(SEL a) { m_action = a; }
  id target() const { return m_target; }
  void setTarget(id t) { m_target = t; }
  NSInteger state() const { return m_state; }
  void setState(NSInteger s) { m_state = s; }
  BOOL isEnabled() const { return m_enabled; }
  void setEnabled(BOOL e) { m_enabled = e; }
  NSInteger indentationLevel() const { return m_indent; }
  void setIndentationLevel(NSInteger l) { m_indent = l < 0 ? 0 : (l > 15 ? 15 : l); }
  NSInteger tag() const { return m_tag; }
  void setTag(NSInteger t) { m_tag = t; }
  NSMenu* submenu() const { return m_submenu; }
  void setSubmenu(NSMenu* m);
  BOOL hasSubmenu() const { return m_submenu ? YES : NO; }
  BOOL isSeparatorItem() const { return m_separator; }
  // The menu that holds this item.
  NSMenu* menu() const { return m_menu; }
  const char* className() const override { return "NSMenuItem"; }

protected:
  ~NSMenuItem() override;

private:
  friend class NSMenu;
  NSString* m_title = nullptr;
  SEL m_action = nullptr;
  id m_target = nullptr;
  NSInteger m_state = 0, m_indent = 0, m_tag = 0;
  BOOL m_enabled = YES, m_separator = NO;
  NSMenu* m_submenu = nullptr;
  NSMenu* m_menu = nullptr;
};

class NSMenu : public NSObject
{
public:
  static NSMenu* alloc() { return new NSMenu(); }
  virtual NSMenu* initWithTitle(NSString* title);
  NSString* title() const { return m_title; }
  void setAutoenablesItems(BOOL f) { m_autoenables = f; }
  BOOL autoenablesItems() const { return m_autoenables; }

  // Adds a new item and returns it (owned by the menu).
  NSMenuItem* addItemWithTitle(NSString* title, SEL action, NSString* keyEquivalent);
  void addItem(NSMenuItem* item);
  void setSubmenu(NSMenu* submenu, NSMenuItem* item);
  NSInteger numberOfItems() const { return (NSInteger)m_items.size(); }
  NSMenuItem* itemAtIndex(NSInteger i) const;
  // The index of the item, or -1.
  NSInteger indexOfItem(NSMenuItem* item) const;
  // The menu holding this one as a submenu, or nil.
  NSMenu* supermenu() const { return m_super; }

  // Shows a context menu for `view` and runs it until the user chooses or dismisses; a chosen
  // item's action goes to its target, or to the view and its responders when it has none.
  static void popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view);
  // Stand-in addition: the host answers context menus (the item chosen, anywhere in the menu's
  // tree, or null for a dismissal). Without a responder every menu is dismissed.
  typedef std::function<NSMenuItem*(NSMenu* menu, NSEvent* event, NSView* view)> Responder;
  static void setContextMenuResponder(Responder r);

  const char* className() const override { return "NSMenu"; }

protected:
  ~NSMenu() override;

private:
  friend class NSMenuItem;
  NSString* m_title = nullptr;
  BOOL m_autoenables = YES;
  std::vector<NSMenuItem*> m_items;
  NSMenu* m_super = nullptr;
};
