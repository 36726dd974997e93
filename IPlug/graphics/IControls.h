#pragma once
// The control family built on IControl: switches, knobs, faders, radio buttons, text, caption,
// the link and the file selector. Included by IControl.h.

#include <cmath>

#include "IControl.h"

// Steps through its frames on every press (any button) and wraps to the first.
class ISwitchControl : public IBitmapControl
{
public:
  ISwitchControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 int blendMethod = IChannelBlend::kBlendNone)
      : IBitmapControl(pPlug, x, y, paramIdx, pBitmap, blendMethod)
  {
  }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // A double click steps once more instead of resetting.
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override { OnMouseDown(x, y, pMod); }
};

// A switch whose press asks for the value with the parameter's menu.
class ISwitchPopUpControl : public ISwitchControl
{
public:
  ISwitchPopUpControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap)
      : ISwitchControl(pPlug, x, y, paramIdx, pBitmap)
  {
    mDisablePrompt = false;
  }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
};

// One click zone per frame: a press selects the frame under the pointer.
class ISwitchFramesControl : public ISwitchControl
{
public:
  ISwitchFramesControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, bool imagesAreHorizontal = false,
                       int blendMethod = IChannelBlend::kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  int NZones() const { return mRECTs.GetSize(); }
  IRECT GetZone(int i) const { return (i >= 0 && i < mRECTs.GetSize()) ? mRECTs.Get()[i] : IRECT(); }

protected:
  WDL_TypedBuf<IRECT> mRECTs;
};

// On while pressed: a press steps as a switch, the release returns to 0.
class IContactControl : public ISwitchControl
{
public:
  IContactControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap)
      : ISwitchControl(pPlug, x, y, paramIdx, pBitmap)
  {
  }
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
};

// A picture shown only while the value is 0.5 or more; while hidden, only targetArea takes presses.
class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, IRECT targetArea)
      : ISwitchControl(pPlug, x, y, paramIdx, pBitmap), mTargetArea(targetArea)
  {
  }
  bool Draw(IGraphics* pGraphics) override;

protected:
  IRECT mTargetArea;
};

// An invisible area that toggles between 0 and 1.
class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IPlugBase* pPlug, IRECT pR, int paramIdx)
      : IControl(pPlug, pR, paramIdx, IChannelBlend::kBlendClobber)
  {
  }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics*) override { return true; }
};

// n buttons laid out along a direction; the value picks one.
class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IPlugBase* pPlug, IRECT pR, int paramIdx, int nButtons, IBitmap* pBitmap,
                       EDirection direction = kVertical, bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;
  int NButtons() const { return mRECTs.GetSize(); }
  IRECT GetButton(int i) const { return (i >= 0 && i < mRECTs.GetSize()) ? mRECTs.Get()[i] : IRECT(); }

protected:
  WDL_TypedBuf<IRECT> mRECTs;
  IBitmap mBitmap;
};

// A handle picture that slides along len pixels.
class IFaderControl : public IControl
{
public:
  IFaderControl(IPlugBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pBitmap,
                EDirection direction = kVertical, bool onlyHandle = false);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;
  bool Draw(IGraphics* pGraphics) override;
  bool IsHit(int x, int y) override;
  // Moves the handle's centre to the pointer.
  virtual void SnapToMouse(int x, int y);
  // The handle's rectangle for value v (negative: the current value).
  IRECT GetHandleRECT(double v = -1.0) const;
  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }

protected:
  int mLen, mHandleHeadroom;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};

// A knob: vertical or horizontal drags move the value by (pixels / size) / gearing.
class IKnobControl : public IControl
{
public:
  IKnobControl(IPlugBase* pPlug, IRECT pR, int paramIdx, EDirection direction = kVertical, double gearing = 4.0,
               int blendMethod = IChannelBlend::kBlendNone)
      : IControl(pPlug, pR, paramIdx, blendMethod), mDirection(direction), mGearing(gearing)
  {
  }
  // Shift or Control divide the step by ten.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;
  double GetGearing() const { return mGearing; }
  void SetGearing(double gearing) { mGearing = gearing; }

protected:
  EDirection mDirection;
  double mGearing;
};

// A line from an inner to an outer radius at the value's angle (radians, 0 up, clockwise).
class IKnobLineControl : public IKnobControl
{
public:
  IKnobLineControl(IPlugBase* pPlug, IRECT pR, int paramIdx, const IColor* pColor, double innerRadius = 0.0,
                   double outerRadius = 0.0, double minAngle = -0.75 * M_PI, double maxAngle = 0.75 * M_PI,
                   EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// A picture rotated to the value's angle (radians) about its centre.
class IKnobRotaterControl : public IKnobControl
{
public:
  IKnobRotaterControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, double minAngle = -0.75 * M_PI,
                      double maxAngle = 0.75 * M_PI, int yOffsetZeroDeg = 0, EDirection direction = kVertical,
                      double gearing = 4.0);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A strip of frames; the value picks the frame.
class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, EDirection direction = kVertical,
                    double gearing = 4.0);
  bool Draw(IGraphics* pGraphics) override;
  int FrameForValue() const { return BitmapFrameForValue(mBitmap, mValue); }

protected:
  IBitmap mBitmap;
};

// A mask rotated over a base picture, a top picture above it (angles in degrees).
class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase, IBitmap* pMask, IBitmap* pTop,
                           double minAngle = -135.0, double maxAngle = 135.0, EDirection direction = kVertical,
                           double gearing = 4.0);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// A line of text in a style.
class ITextControl : public IControl
{
public:
  ITextControl(IPlugBase* pPlug, IRECT pR, IText* pText, const char* str = "");
  bool Draw(IGraphics* pGraphics) override;
  const char* GetDisplayString() const override { return mStr.Get(); }
  void SetDisplayString(const char* str) override { mStr.Set(str); }

protected:
  WDL_String mStr;
};

// The bound parameter's display text, optionally with its label; a press prompts.
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IText* pText, bool showParamLabel = true);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

protected:
  bool mShowParamLabel;
};

// An invisible area that opens a web address (or a backup address) when pressed.
class IURLControl : public IControl
{
public:
  // Copies at most 255, 255 and 1023 characters of the texts (null or empty allowed).
  IURLControl(IPlugBase* pPlug, IRECT pR, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics*) override { return true; }
  const char* GetURL() const { return mURL; }
  const char* GetBackupURL() const { return mBackupURL; }
  const char* GetErrMsg() const { return mErrMsg; }

protected:
  char mURL[256], mBackupURL[256], mErrMsg[1024];
};

// A press opens a file dialog; the picture shows while it is open.
class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState { kFSNone = 0, kFSSelecting = 1, kFSDone = 2 };
  IFileSelectorControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IBitmap* pBitmap, EFileAction action,
                       const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;
  // Dirty while marked, and once more after a selection completes.
  bool IsDirty() override;
  void GetLastSelectedFileForPlug(WDL_String* pStr) { pStr->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
  int GetState() const { return mState; }

protected:
  IBitmap mBitmap;
  WDL_String mDir, mFile, mExtensions;
  int mFileAction;
  int mState = kFSNone;
};
