#pragma once
// The platform-independent editor: controls, the back buffer, dirty tracking, drawing and input.

#include "base/ptrlist.h"
#include "base/wdlstring.h"
#include "IEditor.h"
#include "IGraphicsStructs.h"
#include "IPlugStructs.h"
#include "raster/lice.h"

class IPlugBase;
class IControl;
class IParam;
class IPopupMenu;

class IGraphics : public IEditor
{
public:
  // An editor of w x h pixels for pPlug, redrawn refreshFPS times a second (25 when 0 or less).
  // Allocates nothing.
  IGraphics(IPlugBase* pPlug, int w, int h, int refreshFPS = 0);
  // Deletes the key catcher, then the controls (last first), then the bitmaps.
  ~IGraphics() override;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // --- platform hooks and defaults, in slot order ---
  // Copies the back buffer to the screen.
  virtual bool DrawScreen(IRECT* pR) = 0;
  // Sets *pR to where str would lie in style pTxt.
  virtual bool MeasureIText(IText* pTxt, char* str, IRECT* pR) { return DrawIText(pTxt, str, pR, true); }
  // Closes an open text entry.
  virtual void ForceEndUserEdit() = 0;
  // Rebuilds the editor at a new size: every control is deleted and the plug-in attaches again.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  virtual int ShowMessageBox(const char* str, const char* caption, int type) = 0;
  // Shows the menu modally; the menu (or submenu) with its chosen index set, or null.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) = 0;
  virtual void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam) = 0;
  virtual void HostPath(WDL_String* pPath) = 0;
  virtual void PluginPath(WDL_String* pPath) = 0;
  virtual void DesktopPath(WDL_String* pPath) = 0;
  virtual void AppSupportPath(WDL_String* pPath, bool isSystem = false) = 0;
  virtual void SandboxSafeAppSupportPath(WDL_String* pPath) = 0;
  virtual void PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir, char* extensions) = 0;
  virtual bool PromptForColor(IColor* pColor, char* prompt = nullptr) = 0;
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
                       const char* errMsgOnFailure = nullptr) = 0;
  void* OpenWindow(void* pParentWnd) override = 0;
  void* OpenWindow(void* pParentWnd, void* pParentControl, short x = 0, short y = 0) override
  {
    (void)pParentWnd;
    (void)pParentControl;
    (void)x;
    (void)y;
    return nullptr;
  }
  virtual void AttachSubWindow(void* hostWindowRef) { (void)hostWindowRef; }
  virtual void RemoveSubWindow() {}
  void CloseWindow() override = 0;
  virtual void* GetWindow() = 0;
  virtual bool GetTextFromClipboard(WDL_String* pStr) = 0;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // Loads a picture resource; null when it cannot be supplied.
  virtual LICE_IBitmap* OSLoadBitmap(int ID, const char* name) = 0;

  // --- construction and attachment ---
  // Creates the back buffer (mWidth x mHeight) and the empty scratch bitmap.
  void PrepDraw() override;
  // Puts the picture at index 0 as a bitmap control at (0, 0), below every other control.
  void AttachBackground(int ID, const char* name);
  // Puts a panel of that colour over the whole editor at index 0.
  void AttachPanelBackground(const IColor* pColor);
  // Appends a control (the editor owns it) and returns its index.
  int AttachControl(IControl* pControl);
  // Sets the control that takes keys nobody else takes (owned; an earlier one is not deleted).
  void AttachKeyCatcher(IControl* pControl) { mKeyCatcher = pControl; }
  IControl* GetControl(int idx) { return mControls.Get(idx); }
  int GetNControls() const { return mControls.GetSize(); }

  // --- parameters ---
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void SetAllControlsDirty();
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void AssignParamNameToolTips();

  // --- drawing passes ---
  // Whether any control must be drawn; *pR grows by every dirty control's rectangle.
  bool IsDirty(IRECT* pR);
  // Draws the controls for the region, then puts the back buffer on the screen.
  bool Draw(IRECT* pR);
  void SetStrictDrawing(bool strict);
  void OnGUIIdle();

  // --- input ---
  void OnMouseDown(int x, int y, IMouseMod* pMod);
  void OnMouseUp(int x, int y, IMouseMod* pMod);
  void OnMouseDrag(int x, int y, IMouseMod* pMod);
  bool OnMouseDblClick(int x, int y, IMouseMod* pMod);
  bool OnMouseOver(int x, int y, IMouseMod* pMod);
  void OnMouseOut();
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d);
  bool OnKeyDown(int x, int y, int key);
  void ReleaseMouseCapture();
  // The captured control, else the topmost visible control hit at (x, y); -1 when none.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  void EnableTooltips(bool enable) { mEnableTooltips = enable; }

  // --- prompts ---
  void PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pTextRect);
  void SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, char* str);

  // --- pictures and fonts ---
  IBitmap LoadIBitmap(int ID, const char* name, int nStates = 1, bool framesAreHoriz = false);
  void RetainBitmap(IBitmap* pBitmap);
  void ReleaseBitmap(IBitmap* pBitmap);
  IBitmap ScaleBitmap(IBitmap* pBitmap, int destW, int destH);
  IBitmap CropBitmap(IBitmap* pBitmap, IRECT* pR);
  LICE_pixel* GetBits();
  static LICE_IFont* CacheFont(IText* pTxt);

  // --- drawing operations (into the back buffer, clipped as each says) ---
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend = nullptr);
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int bmpState = 1, const IChannelBlend* pBlend = nullptr);
  bool DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg = 0,
                         const IChannelBlend* pBlend = nullptr);
  bool DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                       const IChannelBlend* pBlend = nullptr);
  bool DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool ForcePixel(const IColor* pColor, int x, int y);
  bool DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2, const IChannelBlend* pBlend = nullptr,
                bool antiAlias = false);
  bool DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend = nullptr,
                  bool antiAlias = false);
  bool RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerRadius, bool antiAlias);
  bool FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerRadius, bool antiAlias);
  bool FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend = nullptr);
  bool FillCircle(const IColor* pColor, int cx, int cy, float r, const IChannelBlend* pBlend = nullptr,
                  bool antiAlias = false);
  bool FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3, IChannelBlend* pBlend);
  bool FillIConvexPolygon(const IColor* pColor, int* x, int* y, int npoints, const IChannelBlend* pBlend = nullptr);
  IColor GetPoint(int x, int y);
  bool DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi);
  bool DrawRect(const IColor* pColor, IRECT* pR);
  bool DrawVerticalLine(const IColor* pColor, IRECT* pR, float x);
  bool DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y);
  bool DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  // Draws str in style pTxt into *pR, or with measure set moves *pR to where it would lie.
  bool DrawIText(IText* pTxt, const char* str, IRECT* pR, bool measure = false);

  // --- queries ---
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  IPlugBase* GetPlug() { return mPlug; }
  LICE_SysBitmap* GetDrawBitmap() { return mDrawBitmap; }
  const IRECT& GetDrawRECT() const { return mDrawRECT; }
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }
  bool TooltipsEnabled() const { return mEnableTooltips; }
  bool IsStrict() const { return mStrict; }

protected:
  WDL_PtrList<IControl> mControls;
  IPlugBase* mPlug;
  IRECT mDrawRECT;
  bool mCursorHidden = false;
  int mHiddenMousePointX = -1, mHiddenMousePointY = -1;

private:
  void DeleteControls();
  // The part of *pDest inside mDrawRECT (empty when they do not meet).
  IRECT ClipToDraw(const IRECT& dest) const;
  // Blits src's area at (srcX, srcY) to dest clipped to mDrawRECT; an opaque source drawn with
  // source alpha at full weight is copied.
  bool BlitClipped(LICE_IBitmap* src, const IRECT& dest, int srcX, int srcY, const IChannelBlend* pBlend,
                   bool srcOpaque = false);

  LICE_SysBitmap* mDrawBitmap = nullptr;
  LICE_MemBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight, mFPS;
  int mMouseCapture = -1, mMouseOver = -1, mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false, mStrict = true, mEnableTooltips = false;
  IControl* mKeyCatcher = nullptr;
};
