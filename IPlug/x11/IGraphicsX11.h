#pragma once
// The editor on X11: a window on a connection of its own shows the back buffer (through shared
// memory where the server offers it), turns X input into the core's calls, redraws dirty areas at
// the editor's refresh rate, and shows the popup menu and the text field in windows drawn with the
// raster library. Nothing runs by itself: whoever shows the editor calls Idle() often (an LV2 host's
// idle callback, or WaitAndIdle in a loop of one's own).

#include <memory>

#include "X11Lib.h"
#include "IGraphics.h"
#include "X11Input.h"
#include "X11Surface.h"

class X11TextField;

class IGraphicsX11 : public IGraphics
{
public:
  // An editor of w x h pixels; pictures are looked up in the process's picture folder (below).
  IGraphicsX11(IPlugBase* pPlug, int w, int h, int refreshFPS = 0);
  // The folder editors made from now on read their pictures from (an LV2 UI's bundle folder);
  // until it is set, the folder of the binary holding this code.
  static void SetDefaultPictureDir(const char* dir);
  // Closes the window.
  ~IGraphicsX11() override;

  // Copies the area of the back buffer to the window; false without a window.
  bool DrawScreen(IRECT* pR) override;
  // Closes an open text field, discarding its text.
  void ForceEndUserEdit() override;
  // Rebuilds the editor at a new size and resizes the window; nothing when the size is unchanged.
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mWindow != 0; }
  const char* GetGUIAPI() override { return "X11"; }
  // A modal box of the caption, the text and buttons by type (4 Yes/No, 3 Yes/No/Cancel, 1 OK/Cancel,
  // else OK); answers 1 (Yes/OK), 7 (No), 2 (Cancel), 0 (dismissed, or no window).
  int ShowMessageBox(const char* str, const char* caption, int type) override;
  // Runs the menu below the area; the (sub)menu whose item was chosen, with its index set, or null.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) override;
  // Opens the text field over the area; Return applies the text, Escape or a press elsewhere cancels.
  void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam) override;
  // The running program's executable.
  void HostPath(WDL_String* pPath) override;
  // The folder of the binary holding the editor, with a trailing "/".
  void PluginPath(WDL_String* pPath) override;
  // The user's desktop folder ($HOME/Desktop).
  void DesktopPath(WDL_String* pPath) override;
  // The user's configuration folder ($XDG_CONFIG_HOME, else $HOME/.config), or /etc/xdg for the system.
  void AppSupportPath(WDL_String* pPath, bool isSystem = false) override;
  // The home folder followed by "/Music".
  void SandboxSafeAppSupportPath(WDL_String* pPath) override;
  // There is no file dialog on a bare X server: the file name comes back empty, as when cancelled.
  void PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir, char* extensions) override;
  // Not supported: false, the colour untouched.
  bool PromptForColor(IColor* pColor, char* prompt = nullptr) override;
  // Hands the address (a web address, or a file) to xdg-open in a process of its own and returns at
  // once; false when no process could be started.
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  // Opens a connection and a window: a child of pParent (an X window id cast to a pointer) or, with
  // null, a top-level window of its own. Returns the window id as a pointer, or null on failure.
  void* OpenWindow(void* pParent) override;
  using IGraphics::OpenWindow;
  // Closes the prompts, the window and the connection; harmless when closed.
  void CloseWindow() override;
  void* GetWindow() override { return reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)); }
  // The CLIPBOARD selection as text and true; "" and false when none comes within a moment.
  bool GetTextFromClipboard(WDL_String* pStr) override;
  // Hides the pointer over the editor and remembers where it is (screen coordinates).
  void HideMouseCursor() override;
  // Shows it again where it was hidden.
  void ShowMouseCursor() override;
  // With tooltips on, a control's tooltip shows when the pointer rests on it.
  void UpdateTooltips() override;
  // The picture `name` (its base name with the extension png) from the picture folder.
  LICE_IBitmap* OSLoadBitmap(int ID, const char* name) override;

  // Handles every pending X event, and redraws the dirty area when a refresh is due. False when
  // there is no window (never opened, closed, or destroyed with its parent).
  bool Idle();
  // Waits for X events or the next refresh (at most maxMs), then Idle().
  bool WaitAndIdle(int maxMs);
  // The X display to open (null: $DISPLAY), for the next OpenWindow.
  void SetDisplayName(const char* name) { mDisplayName.Set(name ? name : ""); }
  // The folder pictures are read from.
  void SetPictureDir(const char* dir) { mPictureDir.Set(dir ? dir : ""); }
  const char* GetPictureDir() const { return mPictureDir.Get(); }
  Display* GetDisplay() const { return mDisplay; }
  Window GetXWindow() const { return mWindow; }
  bool UsesSharedMemory() const { return mSurface && mSurface->UsesSharedMemory(); }
  bool TextEntryOpen() const { return mTextField != nullptr; }
  Window TextEntryWindow() const;

private:
  void Dispatch(XEvent* ev);
  void OnButtonPress(XButtonEvent* ev);
  void OnButtonRelease(XButtonEvent* ev);
  void OnMotion(XMotionEvent* ev);
  void OnKey(XKeyEvent* ev);
  // Ends the text field, applying its text or not.
  void EndTextEntry(bool apply);
  // The window died with its parent: forget it without sending requests for it.
  void WindowGone();
  // Frees everything made for the window; the window itself only when destroyWindow is set.
  void Teardown(bool destroyWindow);
  // Redraws the dirty area if a refresh is due.
  void Tick();
  // Milliseconds between redraws: the editor's frame rate, 25 a second when it names none.
  int TickPeriodMs() const { return 1000 / (FPS() > 0 ? FPS() : 25); }
  bool ModalTick();
  void ShowTooltip();
  void HideTooltip();
  // Editor point (x, y) in root-window coordinates.
  void ToRoot(int x, int y, int* pRootX, int* pRootY);

  WDL_String mDisplayName, mPictureDir;
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  bool mTopLevel = false;
  GC mGC = nullptr;
  X11Visual mVisual;
  std::unique_ptr<X11Surface> mSurface;
  Cursor mBlankCursor = 0;
  Atom mDeleteAtom = 0;
  X11ClickCounter mClicks;
  int mLastX = 0, mLastY = 0;
  bool mDragging = false, mGrabbed = false;
  long long mNextTick = 0;
  std::unique_ptr<X11TextField> mTextField;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  bool mInModal = false, mModalRan = false;
  // Tooltips: the control under a resting pointer, and the window that shows its text.
  long long mRestSince = 0;
  int mRestControl = -1;
  Window mTipWindow = 0;
};
