#pragma once
// The editor on macOS: a Cocoa view shows the back buffer; pictures come from the plug-in's
// bundle; dialogs, menus, text fields, the pointer and paths go through the system.

#include <CoreGraphics/CoreGraphics.h>

#include "IGraphics.h"

class IGraphicsCocoa_vKelvo_au;
class NSBundle;
class NSWindow;

// A new memory bitmap decoded from <name's base name>.png in the resources of the bundle
// with that identifier; null for a null name, an extension other than png, or a missing file.
LICE_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* filename);
// The packed system version ('sysv'), e.g. 0x1090.
int GetSystemVersion();

class IGraphicsMac : public IGraphics
{
public:
  // An editor of w x h pixels; makes AppKit usable in a host that is not a Cocoa application.
  IGraphicsMac(IPlugBase* pPlug, int w, int h, int refreshFPS = 0);
  // Closes the view, then releases the colour space.
  ~IGraphicsMac() override;

  // Copies the whole back buffer into the current graphics context; false without a view or context.
  bool DrawScreen(IRECT* pR) override;
  // Sets *pR to the extent of str in style pTxt.
  bool MeasureIText(IText* pTxt, char* str, IRECT* pR) override;
  // Closes an open text field, discarding its text.
  void ForceEndUserEdit() override;
  // Rebuilds the editor at a new size and resizes the view; nothing when the size is unchanged.
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mGraphicsCocoa != nullptr; }
  const char* GetGUIAPI() override { return "Cocoa GUI"; }
  // An alert: type 4 Yes/No, 3 Yes/No/Cancel, 1 OK/Cancel, else OK; answers 1 (yes/OK), 7 (no), 2 (cancel), 0.
  int ShowMessageBox(const char* str, const char* caption, int type) override;
  // Shows the menu over *pAreaRect; the (sub)menu whose item was chosen, with its index set, or null.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) override;
  // Opens a text field over *pTextRect for the control (and its parameter, when given).
  void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam) override;
  // The executable of the plug-in's bundle; unchanged when the bundle is not found.
  void HostPath(WDL_String* pPath) override;
  // The folder holding the plug-in's bundle, with a trailing "/".
  void PluginPath(WDL_String* pPath) override;
  void DesktopPath(WDL_String* pPath) override;
  void AppSupportPath(WDL_String* pPath, bool isSystem = false) override;
  // The home directory followed by "/Music".
  void SandboxSafeAppSupportPath(WDL_String* pPath) override;
  // Runs a save or open panel; the file name is empty unless the user chose one, then the
  // directory is the chosen file's folder with a trailing "/".
  void PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir, char* extensions) override;
  // Not supported: false, the colour untouched.
  bool PromptForColor(IColor* pColor, char* prompt = nullptr) override;
  // Opens a web address (when it holds "http") or a file; true also when no URL can be made of it.
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  // Closes any view, makes a new one and adds it to pParentView (an NSView*) when given.
  void* OpenWindow(void* pParentView) override;
  using IGraphics::OpenWindow;
  void* OpenCocoaWindow(void* pParentView) { return OpenWindow(pParentView); }
  // Hosts the editor in a borderless child window of the host's window (a WindowRef).
  void AttachSubWindow(void* hostWindowRef) override;
  // Takes the editor's child window out of the host window and closes both.
  void RemoveSubWindow() override;
  // Removes tooltips, stops the timer and detaches the view; harmless when closed.
  void CloseWindow() override;
  void* GetWindow() override { return mGraphicsCocoa; }
  // The pasteboard's text and true; "" and false when it holds none.
  bool GetTextFromClipboard(WDL_String* pStr) override;
  // Hides the pointer, remembering where it was (top-left-origin screen coordinates).
  void HideMouseCursor() override;
  // Shows the pointer again where it was hidden.
  void ShowMouseCursor() override;
  // Registers the target area of every visible control with a tooltip area, when tooltips are on.
  void UpdateTooltips() override;
  // The picture `name` from the plug-in's bundle (ID unused).
  LICE_IBitmap* OSLoadBitmap(int ID, const char* name) override;

  // The packed system version, also written to the trace log.
  int GetUserOSVersion();
  void SetBundleID(const char* bundleID) { mBundleID.Set(bundleID); }
  const char* GetBundleID() const { return mBundleID.Get(); }
  // The core rectangle *pR in the view's bottom-left-origin coordinates.
  CGRect ToViewRect(const IRECT* pR) const;
  NSWindow* GetHostWindow() const { return mHostNSWindow; }

private:
  // The plug-in's own bundle, or nil (call inside an autorelease pool).
  NSBundle* PluginBundle() const;
  // The colour space for screen updates, made on first use.
  CGColorSpaceRef ScreenColorSpace();

  IGraphicsCocoa_vKelvo_au* mGraphicsCocoa = nullptr;
  WDL_String mBundleID;
  CGColorSpaceRef mColorSpace = nullptr;
  NSWindow* mHostNSWindow = nullptr;
};
