#pragma once
// Editor controls: the base class with its value, dirty cycle and prompts, and the picture
// and panel controls the editor's background uses.

#include "base/heapbuf.h"
#include "base/wdlstring.h"
#include "IGraphicsStructs.h"
#include "IPlugStructs.h"

class IPlugBase;
class IGraphics;

enum EDirection { kVertical = 0, kHorizontal = 1 };

class IControl
{
public:
  struct AuxParam
  {
    double mValue;
    int mParamIdx;
  };

  // A control over pR bound to paramIdx (-1 none), drawn with the given blend method.
  IControl(IPlugBase* pPlug, IRECT pR, int paramIdx = -1, int blendMethod = IChannelBlend::kBlendNone);
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // With R held: prompts for a value; otherwise nothing.
  virtual void OnMouseDown(int x, int y, IMouseMod* pMod);
  virtual void OnMouseUp(int x, int y, IMouseMod* pMod)
  {
    (void)x;
    (void)y;
    (void)pMod;
  }
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod)
  {
    (void)x;
    (void)y;
    (void)dX;
    (void)dY;
    (void)pMod;
  }
  // Restores the default value once one is known.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* pMod);
  virtual void OnMouseWheel(int x, int y, IMouseMod* pMod, int d)
  {
    (void)x;
    (void)y;
    (void)pMod;
    (void)d;
  }
  virtual bool OnKeyDown(int x, int y, int key)
  {
    (void)x;
    (void)y;
    (void)key;
    return false;
  }
  virtual void OnMouseOver(int x, int y, IMouseMod* pMod)
  {
    (void)x;
    (void)y;
    (void)pMod;
  }
  virtual void OnMouseOut() {}
  virtual bool Draw(IGraphics* pGraphics) = 0;
  // A value from the plug-in: the first one also becomes the default; a change is drawn twice.
  virtual void SetValueFromPlug(double value);
  // A value chosen by the user in a prompt: pushed to the plug-in.
  virtual void SetValueFromUserInput(double value);
  virtual void TextFromTextEntry(const char* str) { (void)str; }
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }
  // Clamps the value, marks the control dirty and, when asked, pushes the value to the plug-in.
  virtual void SetDirty(bool pushParamToPlug = true);
  virtual void SetClean()
  {
    mDirty = mRedraw;
    mRedraw = false;
  }
  virtual bool IsDirty() { return mDirty; }
  virtual void OnGUIIdle() {}
  virtual void SetAuxParamValueFromPlug(int auxIdx, double value);

  // Prompts for the bound parameter: a menu for one with display texts, else a text entry.
  void PromptUserInput();
  void PromptUserInput(IRECT* pTextRect);
  void AddAuxParam(int paramIdx);
  AuxParam* GetAuxParam(int auxIdx);
  int AuxParamIdx(int paramIdx);
  int NAuxParams() const { return mAuxParams.GetSize(); }
  void SetAllAuxParamsFromGUI();

  int ParamIdx() const { return mParamIdx; }
  void SetParamIdx(int paramIdx) { mParamIdx = paramIdx; }
  double GetValue() const { return mValue; }
  void SetValue(double value) { mValue = value; }
  double GetDefaultValue() const { return mDefaultValue; }
  IRECT GetRECT() const { return mRECT; }
  IRECT GetTargetRECT() const { return mTargetRECT; }
  IRECT* GetTargetRECTPtr() { return &mTargetRECT; }
  void SetTargetArea(IRECT r) { mTargetRECT = r; }
  IText* GetText() { return &mText; }
  void SetText(const IText* pText) { mText = *pText; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool GetMOWhenGrayed() const { return mMouseOverWhenGrayed; }
  void SetMOWhenGrayed(bool flag) { mMouseOverWhenGrayed = flag; }
  bool GetDblClickAsPress() const { return mDblClickAsPress; }
  void SetDblClickAsPress(bool flag) { mDblClickAsPress = flag; }
  bool IsPromptDisabled() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool GetRedraw() const { return mRedraw; }
  const IChannelBlend* GetBlend() const { return &mBlend; }
  void Clamp(double lo, double hi)
  {
    mClampLo = lo;
    mClampHi = hi;
  }
  void SetValDisplayControl(IControl* pControl) { mValDisplayControl = pControl; }
  void SetNameDisplayControl(IControl* pControl) { mNameDisplayControl = pControl; }
  void SetTooltip(const char* tooltip) { mTooltip.Set(tooltip); }
  const char* GetTooltip() const { return mTooltip.Get(); }
  bool HasTooltip() const { return mTooltip.GetLength() > 0; }
  IPlugBase* GetPlug() { return mPlug; }
  // The string a text control shows (null for controls that show none).
  virtual const char* GetDisplayString() const { return nullptr; }
  virtual void SetDisplayString(const char* str) { (void)str; }
  // Shows str when it differs from the string shown now (marking the control); text controls only.
  void SetTextFromPlug(const char* str);
  void ClearTextFromPlug() { SetTextFromPlug(""); }

protected:
  // The editor of the owning plug-in, or null.
  IGraphics* GetGUI();

  int mTextEntryLength = 7;
  IText mText;
  IPlugBase* mPlug;
  IRECT mRECT, mTargetRECT;
  int mParamIdx;
  WDL_TypedBuf<AuxParam> mAuxParams;
  double mValue = 0.0, mDefaultValue = -1.0;
  double mClampLo = 0.0, mClampHi = 1.0;
  bool mDirty = true, mHide = false, mGrayed = false, mRedraw = false;
  bool mDisablePrompt = true, mDblClickAsPress = false, mMouseOverWhenGrayed = false;
  IChannelBlend mBlend;
  IControl* mValDisplayControl = nullptr;
  IControl* mNameDisplayControl = nullptr;
  WDL_String mTooltip;
};

// A rectangle filled with one colour.
class IPanelControl : public IControl
{
public:
  IPanelControl(IPlugBase* pPlug, IRECT pR, const IColor* pColor);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IColor mColor;
};

// The 1-based frame of a strip that a normalized value selects: (N - 1) * value rounded.
int BitmapFrameForValue(const IBitmap& bitmap, double value);

// A picture whose frame follows the value.
class IBitmapControl : public IControl
{
public:
  // At (x, y), one frame of pBitmap in size.
  IBitmapControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 int blendMethod = IChannelBlend::kBlendNone);
  // Draws the frame that the value selects: (N - 1) * value rounded, 1-based.
  bool Draw(IGraphics* pGraphics) override;
  const IBitmap& GetBitmap() const { return mBitmap; }
  // The 1-based frame the current value selects.
  int FrameForValue() const { return BitmapFrameForValue(mBitmap, mValue); }

protected:
  IBitmap mBitmap;
};

#include "IControls.h"
