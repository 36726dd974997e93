#pragma once
// Text drawn from a picture with one frame per character code, from the space (32) upward.

#include "IControl.h"

// Draws str into *pR with the frames of pTextBitmap; nothing for an empty string or a rectangle
// narrower than one character.
void DrawBitmapedText(IGraphics* pGraphics, IBitmap* pTextBitmap, IRECT* pR, IText* pText, IChannelBlend* pBlend,
                      const char* str, bool vCenter = true, bool multiline = false, int charWidth = 6,
                      int charHeight = 12, int charOffset = 0);

class IBitmapTextControl : public IControl
{
public:
  IBitmapTextControl(IPlugBase* pPlug, IRECT pR, IBitmap* pBitmap, const char* str = "", IText* pText = nullptr,
                     int charWidth = 6, int charHeight = 12, int charOffset = 0, bool multiLine = false,
                     bool vCentre = true);
  bool Draw(IGraphics* pGraphics) override;
  const char* GetDisplayString() const override { return mStr.Get(); }
  void SetDisplayString(const char* str) override { mStr.Set(str); }

protected:
  WDL_String mStr;
  int mCharWidth, mCharHeight, mCharOffset;
  IBitmap mTextBitmap;
  bool mMultiLine, mVCentre;
};
