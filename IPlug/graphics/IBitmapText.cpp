#include "IBitmapText.h"

#include <cstring>

#include "IGraphics.h"

void DrawBitmapedText(IGraphics* pGraphics, IBitmap* pTextBitmap, IRECT* pR, IText* pText, IChannelBlend* pBlend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight, int charOffset)
{
  if (!str || !*str || !pGraphics || !pTextBitmap || !pR) return;
  const int avail = pR->R - pR->L;
  if (charWidth <= 0 || avail <= 0) return;  // nothing fits, and no division by a zero width below
  const int len = (int)std::strlen(str);
  const int total = charWidth * len;
  int y0 = pR->T;
  if (vCenter) y0 += (pR->B - pR->T - charHeight) / 2;
  const int align = pText ? pText->mAlign : IText::kAlignNear;
  int x0 = pR->L;
  if (align == IText::kAlignFar)
    x0 = pR->R - total;
  else if (align == IText::kAlignCenter)
    x0 = pR->L + (avail - total) / 2;

  int perLine, lines;
  if (!multiline) {
    perLine = avail / charWidth;
    lines = 1;
  } else if (total <= avail) {
    perLine = len;
    lines = 1;
  } else {
    perLine = avail / charWidth;
    lines = total / avail + 1;
  }
  if (perLine <= 0) return;

  const char* p = str;
  for (int k = 0; k < lines; ++k) {
    int x = x0;
    for (int i = 0; i < perLine; ++i) {
      const signed char c = (signed char)*p;
      if (!c) return;
      ++p;
      IRECT dest(x, y0 + k * charHeight, x + charWidth, y0 + (k + 1) * charHeight);
      pGraphics->DrawBitmap(pTextBitmap, &dest, (int)c - 31, pBlend);
      x += charWidth + charOffset;
    }
  }
}

IBitmapTextControl::IBitmapTextControl(IPlugBase* pPlug, IRECT pR, IBitmap* pBitmap, const char* str, IText* pText,
                                       int charWidth, int charHeight, int charOffset, bool multiLine, bool vCentre)
    : IControl(pPlug, pR),
      mStr(str),
      mCharWidth(charWidth),
      mCharHeight(charHeight),
      mCharOffset(charOffset),
      mTextBitmap(pBitmap ? *pBitmap : IBitmap()),
      mMultiLine(multiLine),
      mVCentre(vCentre)
{
  if (pText) mText = *pText;
}

bool IBitmapTextControl::Draw(IGraphics* pGraphics)
{
  if (mStr.GetLength())
    DrawBitmapedText(pGraphics, &mTextBitmap, &mRECT, &mText, &mBlend, mStr.Get(), mVCentre, mMultiLine, mCharWidth,
                     mCharHeight, mCharOffset);
  return true;
}
