#pragma once
// The editor's two prompts on X11, each in a window of its own drawn with the raster library:
// the popup menu (modal, with submenus) and the in-place text field for a typed value.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "X11Lib.h"
#include "IGraphicsStructs.h"
#include "IPlugStructs.h"
#include "X11Surface.h"
#include "raster/lice.h"

class IPopupMenu;
class LICE_IFont;

// What a modal prompt asks of the window that opened it while it runs.
struct X11ModalHooks
{
  // An event for a window other than the prompt's (the editor's own, for example).
  std::function<void(XEvent*)> otherEvent;
  // Called at the editor's refresh rate; false ends the prompt without a choice (window gone).
  std::function<bool()> tick;
  int tickMs = 40;
};

// Runs the menu at root position (x, y) until an item is chosen or the menu is dismissed (Escape,
// a press outside every menu window, or the hooks ending it). Returns the menu or submenu whose
// item was chosen, with its chosen index set, or null.
IPopupMenu* X11RunPopupMenu(Display* pDisplay, const X11Visual& visual, IPopupMenu* pMenu, int x, int y,
                            const X11ModalHooks& hooks);

// The title of item i as the menu shows it: the numbering prefix (1 "%1d: ", 2 "%02d: ",
// 3 "%03d: ") then the item's text.
std::string X11MenuItemTitle(const IPopupMenu* pMenu, int i);

// A one-line text field over an area of a parent window. Typing follows the filter; Return applies,
// Escape cancels; the owner acts on the result. The initial text starts selected, so typing
// replaces it.
class X11TextField
{
public:
  enum EResult { kEditing, kApply, kCancel };

  // A field at rect (parent coordinates) in the style's entry colours and a face 0.9 times its
  // size, holding str. allowed: the characters it takes (null: any); maxLength: 0 for no limit.
  X11TextField(Display* pDisplay, const X11Visual& visual, Window parent, const IRECT& rect, const IText& style,
               const char* str, const char* allowed, int maxLength);
  // Destroys its window (unless the window is already gone with its parent).
  ~X11TextField();
  X11TextField(const X11TextField&) = delete;
  X11TextField& operator=(const X11TextField&) = delete;

  Window GetWindow() const { return mWindow; }
  const char* GetText() const { return mText.c_str(); }
  // Applies a key press; the result tells whether editing ends.
  EResult OnKey(XKeyEvent* pEvent);
  // Puts the field's pixels on its window.
  void Paint();
  // Its window was destroyed with the parent: nothing is sent for it any more.
  void Forget() { mWindow = 0; }

private:
  void Render();

  Display* mDisplay;
  Window mWindow = 0;
  GC mGC = nullptr;
  X11Surface mSurface;
  LICE_MemBitmap mBitmap;
  IText mStyle;
  std::string mText;
  const char* mAllowed;
  int mMaxLength;
  bool mSelected = true;
};
