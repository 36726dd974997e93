#pragma once
// A platform-independent popup menu: items with flags and submenus, and the chosen index.

#include "base/ptrlist.h"
#include "base/wdlstring.h"

class IPopupMenu;

class IPopupMenuItem
{
public:
  enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

  // An item with text (null counts as empty) and flags.
  IPopupMenuItem(const char* text, int flags = kNoFlags) : mText(text), mFlags(flags) {}
  // An item that opens a submenu (not owned).
  IPopupMenuItem(const char* text, IPopupMenu* submenu) : mText(text), mSubmenu(submenu) {}

  const char* GetText() const { return mText.Get(); }
  void SetText(const char* text) { mText.Set(text); }
  int GetFlags() const { return mFlags; }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return (mFlags & kChecked) != 0; }
  bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
  bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }
  // Sets or clears the check mark, leaving the other flags.
  void SetChecked(bool state) { mFlags = state ? (mFlags | kChecked) : (mFlags & ~kChecked); }

private:
  WDL_String mText;
  IPopupMenu* mSubmenu = nullptr;
  int mFlags = kNoFlags;
};

class IPopupMenu
{
public:
  IPopupMenu() : mMenuItems(true) {}
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;
  // Deletes the items; submenus belong to their creators.
  ~IPopupMenu() = default;

  // Places an item: -1 or an index at or past the end appends, others insert at max(index, 0).
  // Returns the item; if the list cannot grow the menu is unchanged and the caller owns it.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int itemFlags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  // The item at index, or null outside the menu.
  IPopupMenuItem* GetItem(int index) const { return mMenuItems.Get(index); }
  // The text of a valid item ("" when empty).
  const char* GetItemText(int index) const;
  int GetNItems() const { return mMenuItems.GetSize(); }

  int GetPrefix() const { return mPrefix; }
  // Takes 0 (no numbering) to 3; other values are ignored.
  void SetPrefix(int prefix)
  {
    if (prefix >= 0 && prefix <= 3) mPrefix = prefix;
  }
  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

  // Sets or clears the check mark of one item; false when there is no such item.
  bool CheckItem(int index, bool state);
  // Checks the item at index and clears every other.
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

private:
  int mPrefix = 0;
  int mChosenItemIdx = -1;
  WDL_PtrList<IPopupMenuItem> mMenuItems;
};
