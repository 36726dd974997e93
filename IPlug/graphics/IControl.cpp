#include "IControl.h"

#include <cstring>

#include "IGraphics.h"
#include "IParam.h"
#include "IPlugBase.h"

IControl::IControl(IPlugBase* pPlug, IRECT pR, int paramIdx, int blendMethod)
    : mPlug(pPlug), mRECT(pR), mTargetRECT(pR), mParamIdx(paramIdx), mBlend(blendMethod)
{
}

IGraphics* IControl::GetGUI()
{
  // Controls live only in an IGraphics, so the editor their plug-in holds is one.
  return mPlug ? static_cast<IGraphics*>(mPlug->GetGUI()) : nullptr;
}

void IControl::OnMouseDown(int, int, IMouseMod* pMod)
{
  if (pMod && pMod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  if (mDefaultValue >= 0.0) {
    mValue = mDefaultValue;
    SetDirty(true);
  }
}

void IControl::SetValueFromPlug(double value)
{
  if (mDefaultValue < 0.0) {
    mDefaultValue = value;
    mValue = value;
  }
  if (value != mValue) {
    mValue = value;
    SetDirty(false);
    mRedraw = true;
  }
}

void IControl::SetValueFromUserInput(double value)
{
  if (value != mValue) {
    mValue = value;
    SetDirty(true);
    mRedraw = true;
  }
}

void IControl::SetAuxParamValueFromPlug(int auxIdx, double value)
{
  AuxParam* aux = GetAuxParam(auxIdx);
  if (aux && aux->mValue != value) {
    aux->mValue = value;
    SetDirty(false);
    mRedraw = true;
  }
}

void IControl::Hide(bool hide)
{
  mHide = hide;
  mRedraw = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

void IControl::SetDirty(bool pushParamToPlug)
{
  if (mValue < mClampLo)
    mValue = mClampLo;
  else if (mValue > mClampHi)
    mValue = mClampHi;
  else if (!(mValue >= mClampLo && mValue <= mClampHi))
    mValue = mClampLo;  // NaN
  mDirty = true;
  if (!pushParamToPlug || !mPlug || mParamIdx < 0) return;
  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  IParam* p = mPlug->GetParam(mParamIdx);
  if (!p) return;
  if (mValDisplayControl) {
    char display[128];
    p->GetDisplayForHost(p->Value(), false, display, true);
    WDL_String text;
    text.Append(display, 32);
    text.Append(" ");
    text.Append(p->GetLabelForHost(), 32);
    mValDisplayControl->SetTextFromPlug(text.Get());
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(p->GetNameForHost());
}

void IControl::SetTextFromPlug(const char* str)
{
  const char* shown = GetDisplayString();
  if (!shown || std::strcmp(shown, str ? str : "") != 0) {
    SetDirty(false);
    SetDisplayString(str);
  }
}

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
  IParam* p = mPlug->GetParam(mParamIdx);
  if (!p) return;
  IRECT r = mRECT;
  if (p->GetNDisplayTexts() == 0) {
    const int cx = (int)((float)(mRECT.L + mRECT.R) * 0.5f), cy = (int)((float)(mRECT.T + mRECT.B) * 0.5f);
    r = IRECT(cx - 20, cy - 8, cx + 20, cy + 8);
  }
  PromptUserInput(&r);
}

void IControl::PromptUserInput(IRECT* pTextRect)
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
  IParam* p = mPlug->GetParam(mParamIdx);
  IGraphics* gui = GetGUI();
  if (!p || !gui) return;
  gui->PromptUserInput(this, p, pTextRect);
  mRedraw = true;
}

void IControl::AddAuxParam(int paramIdx) { mAuxParams.Add(AuxParam{0.0, paramIdx}); }

IControl::AuxParam* IControl::GetAuxParam(int auxIdx)
{
  return (auxIdx >= 0 && auxIdx < mAuxParams.GetSize()) ? mAuxParams.Get() + auxIdx : nullptr;
}

int IControl::AuxParamIdx(int paramIdx)
{
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (mAuxParams.Get()[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::SetAllAuxParamsFromGUI()
{
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    mPlug->SetParameterFromGUI(mAuxParams.Get()[i].mParamIdx, mAuxParams.Get()[i].mValue);
}

IPanelControl::IPanelControl(IPlugBase* pPlug, IRECT pR, const IColor* pColor)
    : IControl(pPlug, pR), mColor(pColor ? *pColor : COLOR_BLACK)
{
}

bool IPanelControl::Draw(IGraphics* pGraphics) { return pGraphics->FillIRect(&mColor, &mRECT, &mBlend); }

namespace {
IRECT FrameRect(int x, int y, const IBitmap* b)
{
  return b ? IRECT(x, y, x + b->FrameWidth(), y + b->FrameHeight()) : IRECT(x, y, x, y);
}
}  // namespace

IBitmapControl::IBitmapControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, int blendMethod)
    : IControl(pPlug, FrameRect(x, y, pBitmap), paramIdx, blendMethod), mBitmap(pBitmap ? *pBitmap : IBitmap())
{
}

int BitmapFrameForValue(const IBitmap& bitmap, double value)
{
  const int N = bitmap.N;
  if (N <= 1) return 1;
  const int i = (int)((double)(N - 1) * value + 0.5);
  return i < 0 ? 1 : (i >= N ? N : i + 1);
}

bool IBitmapControl::Draw(IGraphics* pGraphics)
{
  if (!mBitmap.mData) return true;  // a picture that could not be loaded draws nothing
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(), &mBlend);
}
