#include "IGraphics.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "IControl.h"
#include "IParam.h"
#include "IPlugBase.h"
#include "IPopupMenu.h"

IGraphics::IGraphics(IPlugBase* pPlug, int w, int h, int refreshFPS)
    : mControls(true),
      mPlug(pPlug),
      mDrawRECT(0, 0, 0, 0),
      mWidth(w),
      mHeight(h),
      mFPS(refreshFPS > 0 ? refreshFPS : 25)
{
}

IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mKeyCatcher = nullptr;
  DeleteControls();
  delete mDrawBitmap;
  delete mTmpBitmap;
}

void IGraphics::DeleteControls()
{
  mControls.Empty(true);  // last first
}

void IGraphics::PrepDraw()
{
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = new LICE_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
}

void IGraphics::Resize(int w, int h)
{
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  DeleteControls();
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = nullptr;
  mTmpBitmap = nullptr;
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

void IGraphics::AttachBackground(int ID, const char* name)
{
  IBitmap bg = LoadIBitmap(ID, name, 1, false);
  mControls.Insert(0, new IBitmapControl(mPlug, 0, 0, -1, &bg, IChannelBlend::kBlendNone));
}

void IGraphics::AttachPanelBackground(const IColor* pColor)
{
  mControls.Insert(0, new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), pColor));
}

int IGraphics::AttachControl(IControl* pControl)
{
  mControls.Add(pControl);
  return mControls.GetSize() - 1;
}

// --- parameters ---

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (!normalized) {
    IParam* p = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!p) return;
    value = p->GetNormalized(value);
  }
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromPlug(value);
    const int aux = c->AuxParamIdx(paramIdx);
    if (aux >= 0) c->SetAuxParamValueFromPlug(aux, value);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (IControl* c = mControls.Get(controlIdx)) c->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::SetAllControlsDirty()
{
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  if (!normalized) {
    IParam* p = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!p) return;
    lo = p->GetNormalized(lo);
    hi = p->GetNormalized(hi);
  }
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Clamp(lo, hi);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->GrayOut(gray);
  }
}

void IGraphics::AssignParamNameToolTips()
{
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) {
    IControl* c = mControls.Get(i);
    IParam* p = (mPlug && c->ParamIdx() >= 0) ? mPlug->GetParam(c->ParamIdx()) : nullptr;
    if (p) c->SetTooltip(p->GetNameForHost());
  }
}

// --- drawing passes ---

bool IGraphics::IsDirty(IRECT* pR)
{
  bool dirty = false;
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) {
    IControl* c = mControls.Get(i);
    if (c->IsDirty()) {
      *pR = pR->Union(c->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* pR)
{
  const int n = mControls.GetSize();
  if (!n) return true;
  if (mStrict) {
    mDrawRECT = *pR;
    for (int i = 0; i < n; ++i) {
      IControl* c = mControls.Get(i);
      if (!c->IsHidden() && pR->Intersects(c->GetRECT())) c->Draw(this);
      c->SetClean();
    }
  } else {
    IControl* bg = mControls.Get(0);
    if (bg->IsDirty()) {
      mDrawRECT = bg->GetRECT();
      for (int i = 0; i < n; ++i) {
        IControl* c = mControls.Get(i);
        if (i == 0 || !c->IsHidden()) {
          c->Draw(this);
          c->SetClean();
        }
      }
    } else {
      for (int i = 1; i < n; ++i) {
        IControl* dirty = mControls.Get(i);
        if (!dirty->IsDirty()) continue;
        mDrawRECT = dirty->GetRECT();
        for (int j = 0; j < n; ++j) {
          IControl* c = mControls.Get(j);
          if (!c->IsHidden() && (j == i || c->GetRECT().Intersects(mDrawRECT))) c->Draw(this);
        }
        dirty->SetClean();
      }
    }
  }
  return DrawScreen(pR);
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::OnGUIIdle()
{
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) mControls.Get(i)->OnGUIIdle();
}

// --- input ---

void IGraphics::ReleaseMouseCapture() { mMouseCapture = mMouseX = mMouseY = -1; }

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0) return mMouseCapture;
  for (int i = mControls.GetSize() - 1; i >= 0; --i) {
    IControl* c = mControls.Get(i);
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mouseOver && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  ReleaseMouseCapture();
  const int c = GetMouseControlIdx(x, y);
  if (c < 0) return;
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  IControl* pControl = mControls.Get(c);
  const int paramIdx = pControl->ParamIdx();
  if (paramIdx >= 0 && mPlug) mPlug->BeginInformHostOfParamChange(paramIdx);
  pControl->OnMouseDown(x, y, pMod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  const int c = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  IControl* pControl = mControls.Get(c);
  if (!pControl) return;
  pControl->OnMouseUp(x, y, pMod);
  const int paramIdx = pControl->ParamIdx();
  if (paramIdx >= 0 && mPlug) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* pMod)
{
  IControl* pControl = mControls.Get(mMouseCapture);
  if (!pControl || (x == mMouseX && y == mMouseY)) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  pControl->OnMouseDrag(x, y, dX, dY, pMod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  ReleaseMouseCapture();
  const int c = GetMouseControlIdx(x, y);
  IControl* pControl = mControls.Get(c);
  if (!pControl) return false;
  if (pControl->GetDblClickAsPress()) {
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    pControl->OnMouseDown(x, y, pMod);
    return true;
  }
  pControl->OnMouseDblClick(x, y, pMod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* pMod, int d)
{
  if (IControl* pControl = mControls.Get(GetMouseControlIdx(x, y))) pControl->OnMouseWheel(x, y, pMod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* pMod)
{
  if (!mHandleMouseOver) return false;
  const int c = GetMouseControlIdx(x, y, true);
  IControl* pControl = mControls.Get(c);
  if (!pControl) return true;
  mMouseX = x;
  mMouseY = y;
  pControl->OnMouseOver(x, y, pMod);
  if (mMouseOver >= 0 && mMouseOver != c)
    if (IControl* old = mControls.Get(mMouseOver)) old->OnMouseOut();
  mMouseOver = c;
  return true;
}

void IGraphics::OnMouseOut()
{
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  const int c = GetMouseControlIdx(x, y);
  if (c > 0) return mControls.Get(c)->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
  const int c = GetMouseControlIdx(x, y);
  mLastClickedParam = c > 0 ? mControls.Get(c)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int p = mLastClickedParam;
  mLastClickedParam = -1;
  return p;
}

// --- prompts ---

void IGraphics::PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pTextRect)
{
  if (!pControl || !pParam || !pTextRect) return;
  const int n = pParam->GetNDisplayTexts();
  char current[128];
  const bool menu = pParam->Type() == IParam::kTypeEnum || (pParam->Type() == IParam::kTypeBool && n > 0);
  pParam->GetDisplayForHost(pParam->Value(), false, current, menu);
  if (menu) {
    IPopupMenu popup;
    for (int i = 0; i < n; ++i) {
      const char* text = pParam->GetDisplayText(i);
      popup.AddItem(text, -1, std::strcmp(text, current) == 0 ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
    }
    if (IPopupMenu* chosen = CreateIPopupMenu(&popup, pTextRect))
      pControl->SetValueFromUserInput(pParam->GetNormalized((double)chosen->GetChosenItemIdx()));
  } else {
    CreateTextEntry(pControl, pControl->GetText(), pTextRect, current, pParam);
  }
}

void IGraphics::SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, char* str)
{
  if (!pParam || !pControl) return;
  // Boolean and enumerated parameters look the text up; a text that is not theirs gives 0.
  static constexpr ITextToValueRule kPromptTextRule = {ITextToValueRule::kLookUpWhenBoolOrEnum, true};
  double v = 0.0;
  pParam->ValueFromText(str, kPromptTextRule, &v);
  pControl->SetValueFromUserInput(pParam->GetNormalized(v));
}
