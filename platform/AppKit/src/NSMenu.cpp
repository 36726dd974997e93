#include <AppKit/NSMenu.h>

#include <algorithm>

namespace {
NSMenu::Responder& ContextResponder()
{
  static NSMenu::Responder r;
  return r;
}
}  // namespace

NSMenuItem* NSMenuItem::initWithTitle(NSString* title, SEL action, NSString*)
{
  setTitle(title);
  m_action = action;
  return this;
}

NSMenuItem* NSMenuItem::separatorItem()
{
  NSMenuItem* item = alloc()->initWithTitle(NSStr(""), nullptr, nullptr);
  item->m_separator = YES;
  item->m_enabled = NO;
  return ns_autorelease(item);
}

NSMenuItem::~NSMenuItem()
{
  if (m_title) m_title->release();
  if (m_submenu) {
    m_submenu->m_super = nullptr;
    m_submenu->release();
  }
}

void NSMenuItem::setTitle(NSString* t)
{
  NSString* next = ns_retain(t ? t : NSStr(""));
  if (m_title) m_title->release();
  m_title = next;
}

void NSMenuItem::setSubmenu(NSMenu* m)
{
  if (m == m_submenu) return;
  if (m) m->retain();
  if (m_submenu) {
    m_submenu->m_super = nullptr;
    m_submenu->release();
  }
  m_submenu = m;
  if (m) m->m_super = m_menu;
}

NSMenu* NSMenu::initWithTitle(NSString* title)
{
  m_title = ns_retain(title ? title : NSStr(""));
  return this;
}

NSMenu::~NSMenu()
{
  for (NSMenuItem* item : m_items) {
    item->m_menu = nullptr;
    item->release();
  }
  if (m_title) m_title->release();
}

NSMenuItem* NSMenu::addItemWithTitle(NSString* title, SEL action, NSString* keyEquivalent)
{
  NSMenuItem* item = NSMenuItem::alloc()->initWithTitle(title, action, keyEquivalent);
  addItem(item);
  item->release();
  return item;
}

void NSMenu::addItem(NSMenuItem* item)
{
  if (!item || item->m_menu) return;
  m_items.push_back(static_cast<NSMenuItem*>(item->retain()));
  item->m_menu = this;
  if (item->m_submenu) item->m_submenu->m_super = this;
}

void NSMenu::setSubmenu(NSMenu* submenu, NSMenuItem* item)
{
  if (item && item->m_menu == this) item->setSubmenu(submenu);
}

NSMenuItem* NSMenu::itemAtIndex(NSInteger i) const
{
  return (i >= 0 && i < (NSInteger)m_items.size()) ? m_items[(size_t)i] : nullptr;
}

NSInteger NSMenu::indexOfItem(NSMenuItem* item) const
{
  auto it = std::find(m_items.begin(), m_items.end(), item);
  return it == m_items.end() ? -1 : (NSInteger)(it - m_items.begin());
}

void NSMenu::setContextMenuResponder(Responder r) { ContextResponder() = std::move(r); }

void NSMenu::popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view)
{
  if (!menu || !ContextResponder()) return;
  menu->retain();
  NSMenuItem* item = ContextResponder()(menu, event, view);
  // Only an enabled, selectable item of this menu's tree counts as chosen.
  bool inTree = false;
  for (NSMenu* m = item ? item->menu() : nullptr; m; m = m->supermenu())
    if (m == menu) inTree = true;
  if (item && inTree && item->isEnabled() && !item->isSeparatorItem() && !item->hasSubmenu() && item->action()) {
    item->retain();
    if (item->target()) {
      item->target()->performSelector(item->action(), item);
    } else {
      for (NSResponder* r = view; r; r = r->nextResponder()) {
        if (r->respondsToSelector(item->action())) {
          r->performSelector(item->action(), item);
          break;
        }
      }
    }
    item->release();
  }
  menu->release();
}
