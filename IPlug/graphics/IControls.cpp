#include <cstring>

#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "IPlugBase.h"

namespace {
inline bool Fine(const IMouseMod* pMod) { return pMod && (pMod->S || pMod->C); }
}  // namespace

// --- switches ---

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue += mBitmap.N >= 2 ? 1.0 / (double)(mBitmap.N - 1) : 1.0;
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*)
{
  PromptUserInput();
  SetDirty(true);
}

ISwitchFramesControl::ISwitchFramesControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                           bool imagesAreHorizontal, int blendMethod)
    : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod)
{
  mDisablePrompt = false;
  const int n = mBitmap.N > 0 ? mBitmap.N : 1;
  const float u = (float)(imagesAreHorizontal ? mRECT.W() : mRECT.H()) / (float)n;
  for (int i = 0; i < n; ++i) {
    const int start = (int)((float)i * u);
    if (imagesAreHorizontal)
      mRECTs.Add(IRECT(mRECT.L + start, mRECT.T, (int)((float)(mRECT.L + start) + u), mRECT.B));
    else
      mRECTs.Add(IRECT(mRECT.L, mRECT.T + start, mRECT.R, (int)((float)(mRECT.T + start) + u)));
  }
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod*)
{
  const int n = mRECTs.GetSize();
  for (int i = 0; i < n; ++i) {
    if (mRECTs.Get()[i].Contains(x, y)) {
      mValue = (double)i / (double)(n - 1);  // one zone gives 0/0: the clamp makes it the low end
      break;
    }
  }
  SetDirty(true);
}

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  mValue = 0.0;
  SetDirty(true);
}

bool IBitmapOverlayControl::Draw(IGraphics* pGraphics)
{
  if (mValue < 0.5) {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(pGraphics);
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

// --- radio buttons ---

IRadioButtonsControl::IRadioButtonsControl(IPlugBase* pPlug, IRECT pR, int paramIdx, int nButtons, IBitmap* pBitmap,
                                           EDirection direction, bool reverse)
    : IControl(pPlug, pR, paramIdx), mBitmap(pBitmap ? *pBitmap : IBitmap())
{
  const int n = nButtons > 0 ? nButtons : 1;
  const int bw = mBitmap.W, bh = mBitmap.N > 0 ? (int)((double)mBitmap.H / mBitmap.N) : mBitmap.H;
  const bool horizontal = direction == kHorizontal;
  const int size = horizontal ? bw : bh, length = horizontal ? pR.W() : pR.H();
  const int gap = n > 1 ? (int)((double)(length - n * size) / (n - 1)) : 0;
  for (int i = 0; i < n; ++i) {
    const int offset = i * (size + gap);
    int pos = reverse ? (horizontal ? pR.R : pR.B) - size - offset : (horizontal ? pR.L : pR.T) + offset;
    mRECTs.Add(horizontal ? IRECT(pos, pR.T, pos + bw, pR.T + bh) : IRECT(pR.L, pos, pR.L + bw, pos + bh));
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  if (pMod && pMod->R) {
    PromptUserInput();
    return;
  }
  const int n = mRECTs.GetSize();
  for (int i = 0; i < n; ++i) {
    if (mRECTs.Get()[i].Contains(x, y)) {
      mValue = (double)i / (double)(n - 1);
      break;
    }
  }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* pGraphics)
{
  const int n = mRECTs.GetSize();
  int active = (int)((double)(n - 1) * mValue + 0.5);
  active = active < 0 ? 0 : (active > n - 1 ? n - 1 : active);
  for (int i = 0; i < n; ++i) pGraphics->DrawBitmap(&mBitmap, &mRECTs.Get()[i], i == active ? 2 : 1, &mBlend);
  return true;
}

// --- fader ---

IFaderControl::IFaderControl(IPlugBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pBitmap,
                             EDirection direction, bool onlyHandle)
    : IControl(pPlug, IRECT(), paramIdx),
      mLen(len),
      mBitmap(pBitmap ? *pBitmap : IBitmap()),
      mDirection(direction),
      mOnlyHandle(onlyHandle)
{
  if (direction == kVertical) {
    mHandleHeadroom = mBitmap.H;
    mRECT = mTargetRECT = IRECT(x, y, x + mBitmap.W, y + len);
  } else {
    mHandleHeadroom = mBitmap.W;
    mRECT = mTargetRECT = IRECT(x, y, x + len, y + mBitmap.H);
  }
}

IRECT IFaderControl::GetHandleRECT(double v) const
{
  if (v < 0.0) v = mValue;
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.W, mRECT.T + mBitmap.H);
  if (mDirection == kVertical) {
    const int dy = (int)((double)(mLen - mHandleHeadroom) * (1.0 - v));
    r.T += dy;
    r.B += dy;
  } else {
    const int dx = (int)(v * (double)(mLen - mHandleHeadroom));
    r.L += dx;
    r.R += dx;
  }
  return r;
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  if (pMod && pMod->R) {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) { SnapToMouse(x, y); }

void IFaderControl::OnMouseWheel(int, int, IMouseMod* pMod, int d)
{
  mValue += (double)d * (Fine(pMod) ? 0.001 : 0.01);
  SetDirty(true);
}

void IFaderControl::SnapToMouse(int x, int y)
{
  const double travel = (double)(mLen - mHandleHeadroom);
  if (mDirection == kVertical)
    mValue = 1.0 - (double)((y - mRECT.T) - mHandleHeadroom / 2) / travel;
  else
    mValue = (double)((x - mRECT.L) - mHandleHeadroom / 2) / travel;
  SetDirty(true);  // a fader without travel gives a non-number: the clamp settles it
}

bool IFaderControl::Draw(IGraphics* pGraphics)
{
  IRECT r = GetHandleRECT();
  return pGraphics->DrawBitmap(&mBitmap, &r, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y)
{
  return mOnlyHandle ? GetHandleRECT().Contains(x, y) : mTargetRECT.Contains(x, y);
}

// --- knobs ---

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* pMod)
{
  double g = mGearing;
  if (Fine(pMod)) g *= 10.0;
  if (mDirection == kVertical)
    mValue += (double)dY / (double)(mRECT.T - mRECT.B) / g;
  else
    mValue += (double)dX / (double)(mRECT.R - mRECT.L) / g;
  SetDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, IMouseMod* pMod, int d)
{
  mValue += (double)d * (Fine(pMod) ? 0.001 : 0.01);
  SetDirty(true);
}

IKnobLineControl::IKnobLineControl(IPlugBase* pPlug, IRECT pR, int paramIdx, const IColor* pColor, double innerRadius,
                                   double outerRadius, double minAngle, double maxAngle, EDirection direction,
                                   double gearing)
    : IKnobControl(pPlug, pR, paramIdx, direction, gearing, IChannelBlend::kBlendClobber),
      mColor(pColor ? *pColor : COLOR_BLACK),
      mMinAngle((float)minAngle),
      mMaxAngle((float)maxAngle),
      mInnerRadius((float)innerRadius),
      mOuterRadius(outerRadius == 0.0 ? (float)pR.W() * 0.5f : (float)outerRadius)
{
}

bool IKnobLineControl::Draw(IGraphics* pGraphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  const float cx = mRECT.MW(), cy = mRECT.MH();
  const float s = (float)std::sin(angle), c = (float)std::cos(angle);
  return pGraphics->DrawLine(&mColor, cx + mInnerRadius * s, cy - mInnerRadius * c, cx + mOuterRadius * s,
                             cy - mOuterRadius * c, &mBlend, true);
}

IKnobRotaterControl::IKnobRotaterControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                         double minAngle, double maxAngle, int yOffsetZeroDeg, EDirection direction,
                                         double gearing)
    : IKnobControl(pPlug, IRECT(x, y, x + (pBitmap ? pBitmap->W : 0), y + (pBitmap ? pBitmap->H : 0)), paramIdx,
                   direction, gearing),
      mBitmap(pBitmap ? *pBitmap : IBitmap()),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle),
      mYOffset(yOffsetZeroDeg)
{
}

bool IKnobRotaterControl::Draw(IGraphics* pGraphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedBitmap(&mBitmap, (mRECT.L + mRECT.R) / 2, (mRECT.T + mRECT.B) / 2, angle, mYOffset,
                                      &mBlend);
}

IKnobMultiControl::IKnobMultiControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(pPlug,
                   pBitmap ? IRECT(x, y, x + pBitmap->FrameWidth(), y + pBitmap->FrameHeight()) : IRECT(x, y, x, y),
                   paramIdx, direction, gearing),
      mBitmap(pBitmap ? *pBitmap : IBitmap())
{
}

bool IKnobMultiControl::Draw(IGraphics* pGraphics)
{
  if (!mBitmap.mData) return true;
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(), &mBlend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase,
                                                   IBitmap* pMask, IBitmap* pTop, double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
    : IKnobControl(pPlug, IRECT(x, y, x + (pBase ? pBase->W : 0), y + (pBase ? pBase->H : 0)), paramIdx, direction,
                   gearing),
      mBase(pBase ? *pBase : IBitmap()),
      mMask(pMask ? *pMask : IBitmap()),
      mTop(pTop ? *pTop : IBitmap()),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle)
{
}

bool IKnobRotatingMaskControl::Draw(IGraphics* pGraphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}

// --- text ---

ITextControl::ITextControl(IPlugBase* pPlug, IRECT pR, IText* pText, const char* str) : IControl(pPlug, pR), mStr(str)
{
  if (pText) mText = *pText;
}

bool ITextControl::Draw(IGraphics* pGraphics)
{
  if (mStr.GetLength()) pGraphics->DrawIText(&mText, mStr.Get(), &mRECT);
  return true;
}

ICaptionControl::ICaptionControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IText* pText, bool showParamLabel)
    : ITextControl(pPlug, pR, pText, ""), mShowParamLabel(showParamLabel)
{
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* pMod)
{
  if (pMod && (pMod->L || pMod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*) { PromptUserInput(); }

bool ICaptionControl::Draw(IGraphics* pGraphics)
{
  IParam* p = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  if (p) {
    char display[128];
    p->GetDisplayForHost(p->Value(), false, display, true);
    mStr.Set(display);
    if (mShowParamLabel) {
      mStr.Append(" ");
      mStr.Append(p->GetLabelForHost());
    }
  }
  return ITextControl::Draw(pGraphics);
}

// --- link ---

namespace {
// Copies at most size - 1 bytes of src, always terminated.
void CopyBounded(char* dest, size_t size, const char* src)
{
  std::memset(dest, 0, size);
  if (src && *src) std::strncpy(dest, src, size - 1);
}
}  // namespace

IURLControl::IURLControl(IPlugBase* pPlug, IRECT pR, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
    : IControl(pPlug, pR)
{
  CopyBounded(mURL, sizeof(mURL), url);
  CopyBounded(mBackupURL, sizeof(mBackupURL), backupURL);
  CopyBounded(mErrMsg, sizeof(mErrMsg), errMsgOnFailure);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* gui = GetGUI();
  if (!gui) return;
  if (mURL[0] && gui->OpenURL(mURL, mErrMsg, nullptr, nullptr)) return;
  if (mBackupURL[0]) gui->OpenURL(mBackupURL, mErrMsg, nullptr, nullptr);
}

// --- file selector ---

IFileSelectorControl::IFileSelectorControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IBitmap* pBitmap,
                                           EFileAction action, const char* dir, const char* extensions)
    : IControl(pPlug, pR, paramIdx),
      mBitmap(pBitmap ? *pBitmap : IBitmap()),
      mDir(dir),
      mExtensions(extensions),
      mFileAction(action)
{
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* gui = GetGUI();
  if (!gui) return;
  mState = kFSSelecting;
  SetDirty(false);
  WDL_String ext(mExtensions.Get());
  gui->PromptForFile(&mFile, (EFileAction)mFileAction, &mDir, ext.GetMutable());
  mValue += 1.0;
  if (mValue > 1.0) mValue = 0.0;
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* pGraphics)
{
  if (mState == kFSSelecting && mBitmap.mData) return pGraphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, nullptr);
  return true;
}

bool IFileSelectorControl::IsDirty()
{
  if (mDirty) return true;
  if (mState == kFSDone) {
    mState = kFSNone;
    return true;
  }
  return false;
}
