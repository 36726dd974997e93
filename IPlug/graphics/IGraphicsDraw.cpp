// The editor's drawing operations, each one raster call into the back buffer, and the
// picture and font loading behind them.

#include <cmath>
#include <cstdio>

#include "IGraphics.h"
#include "IGraphicsStorage.h"
#include "raster/draw.h"
#include "raster/text.h"

int IChannelBlend::ModeWord() const
{
  switch (mMethod) {
    case kBlendClobber:
      return LICE_BLIT_MODE_COPY;
    case kBlendAdd:
      return LICE_BLIT_MODE_ADD | LICE_BLIT_USE_ALPHA;
    case kBlendColorDodge:
      return LICE_BLIT_MODE_DODGE | LICE_BLIT_USE_ALPHA;
    default:
      return LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA;
  }
}

namespace {
inline float Weight(const IChannelBlend* b) { return b ? b->mWeight : 1.0f; }
inline int Mode(const IChannelBlend* b) { return b ? b->ModeWord() : LICE_BLIT_USE_ALPHA; }
inline LICE_pixel Pixel(const IColor* c) { return c ? c->ToPixel() : 0; }
}  // namespace

// --- pictures ---

IBitmap IGraphics::LoadIBitmap(int ID, const char* name, int nStates, bool framesAreHoriz)
{
  bool opaque = false;
  LICE_IBitmap* bmp = s_bitmapCache.Find(ID, &opaque);
  if (!bmp) {
    bmp = OSLoadBitmap(ID, name);
    if (!bmp) {
      // A missing picture is reported once per resource and drawn as nothing.
      static WDL_Mutex reportLock;
      static WDL_TypedBuf<int> reported;
      WDL_MutexLock lock(&reportLock);
      bool seen = false;
      for (int i = 0; i < reported.GetSize(); ++i) seen = seen || reported.Get()[i] == ID;
      if (!seen) {
        reported.Add(ID);
        std::fprintf(stderr, "Kelvo editor: picture %d (%s) could not be loaded\n", ID, name ? name : "(no name)");
      }
      return IBitmap(nullptr, 0, 0, nStates > 0 ? nStates : 1, framesAreHoriz);
    }
    opaque = LICE_IsOpaque(bmp);
    s_bitmapCache.Add(bmp, ID, opaque);
  }
  return IBitmap(bmp, bmp->getWidth(), bmp->getHeight(), nStates, framesAreHoriz, opaque);
}

void IGraphics::RetainBitmap(IBitmap* pBitmap)
{
  if (pBitmap && pBitmap->mData) s_bitmapCache.Add(pBitmap->mData, -1, pBitmap->mOpaque);
}

void IGraphics::ReleaseBitmap(IBitmap* pBitmap)
{
  if (pBitmap) s_bitmapCache.Remove(pBitmap->mData);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* pBitmap, int destW, int destH)
{
  LICE_MemBitmap* dest = new LICE_MemBitmap(destW, destH, 4);
  LICE_ScaledBlit(dest, pBitmap->mData, 0, 0, destW, destH, 0.0f, 0.0f, (float)pBitmap->W, (float)pBitmap->H, 1.0f,
                  LICE_BLIT_FILTER_BILINEAR);
  const bool opaque = LICE_IsOpaque(dest);
  s_bitmapCache.Add(dest, -1, opaque);
  return IBitmap(dest, destW, destH, pBitmap->N, false, opaque);
}

IBitmap IGraphics::CropBitmap(IBitmap* pBitmap, IRECT* pR)
{
  const int w = pR->R - pR->L, h = pR->B - pR->T;
  LICE_MemBitmap* dest = new LICE_MemBitmap(w, h, 4);
  LICE_Blit(dest, pBitmap->mData, 0, 0, pR->L, pR->T, w, h, 1.0f, LICE_BLIT_MODE_COPY);
  const bool opaque = LICE_IsOpaque(dest);
  s_bitmapCache.Add(dest, -1, opaque);
  return IBitmap(dest, w, h, pBitmap->N, false, opaque);
}

LICE_pixel* IGraphics::GetBits() { return mDrawBitmap ? mDrawBitmap->getBits() : nullptr; }

// --- blits ---

IRECT IGraphics::ClipToDraw(const IRECT& dest) const { return dest.Intersect(mDrawRECT); }

bool IGraphics::BlitClipped(LICE_IBitmap* src, const IRECT& dest, int srcX, int srcY, const IChannelBlend* pBlend,
                            bool srcOpaque)
{
  const IRECT r = ClipToDraw(dest);
  const float weight = Weight(pBlend);
  int mode = Mode(pBlend);
  // Source alpha at full weight over pixels that are all opaque gives exactly the source: copy rows.
  if (srcOpaque && weight == 1.0f && mode == LICE_BLIT_USE_ALPHA) mode = LICE_BLIT_MODE_COPY;
  LICE_Blit(mDrawBitmap, src, r.L, r.T, srcX + r.L - dest.L, srcY + r.T - dest.T, r.R - r.L, r.B - r.T, weight, mode);
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend)
{
  return BlitClipped(pBitmap->mData, *pDest, srcX, srcY, pBlend, pBitmap->mOpaque);
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int bmpState, const IChannelBlend* pBlend)
{
  int srcX = 0, srcY = 0;
  if (bmpState > 1 && pBitmap->N > 1) {
    if (pBitmap->mFramesAreHorizontal)
      srcX = (int)((double)(bmpState - 1) * pBitmap->W / pBitmap->N + 0.5);
    else
      srcY = (int)((double)(bmpState - 1) * pBitmap->H / pBitmap->N + 0.5);
  }
  return DrawBitmap(pBitmap, pDest, srcX, srcY, pBlend);
}

namespace {
// Rotated blits always filter.
int RotatedMode(const IChannelBlend* b)
{
  if (!b) return LICE_BLIT_USE_ALPHA | LICE_BLIT_FILTER_BILINEAR;
  if (b->mMethod >= IChannelBlend::kBlendClobber && b->mMethod <= IChannelBlend::kBlendColorDodge)
    return b->ModeWord() | LICE_BLIT_FILTER_BILINEAR;
  return LICE_BLIT_USE_ALPHA | LICE_BLIT_FILTER_BILINEAR;
}
}  // namespace

bool IGraphics::DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg,
                                  const IChannelBlend* pBlend)
{
  const int W = pBitmap->W, H = pBitmap->H;
  LICE_RotatedBlit(mDrawBitmap, pBitmap->mData, destCtrX - W / 2, destCtrY - H / 2, W, H, 0.0f, 0.0f, (float)W,
                   (float)H, (float)angle, false, Weight(pBlend), RotatedMode(pBlend), 0.0f, (float)yOffsetZeroDeg);
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                                const IChannelBlend* pBlend)
{
  const int W = pBase->W, H = pBase->H;
  if (!mTmpBitmap) mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
  LICE_Copy(mTmpBitmap, pBase->mData);
  LICE_ClearRect(mTmpBitmap, 0, 0, W, H, 0xFFFFFF, 0);
  const double a = angle * 3.141592653589793 / 180.0;
  const float c = (W % 2) ? -0.5f : 0.0f;
  LICE_RotatedBlit(mTmpBitmap, pMask->mData, 0, 0, W, H, 0.0f, 0.0f, (float)W, (float)H, (float)a, true, 1.0f,
                   LICE_BLIT_MODE_ADD | LICE_BLIT_USE_ALPHA | LICE_BLIT_FILTER_BILINEAR, c, 0.0f);
  LICE_RotatedBlit(mTmpBitmap, pTop->mData, 0, 0, W, H, 0.0f, 0.0f, (float)W, (float)H, (float)a, true, 1.0f,
                   LICE_BLIT_USE_ALPHA | LICE_BLIT_FILTER_BILINEAR, c, 0.0f);
  return BlitClipped(mTmpBitmap, IRECT(x, y, x + W, y + H), 0, 0, pBlend);
}

// --- shapes ---

bool IGraphics::DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend, bool)
{
  LICE_PutPixel(mDrawBitmap, (int)(x + 0.5f), (int)(y + 0.5f), Pixel(pColor), Weight(pBlend), Mode(pBlend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* pColor, int x, int y)
{
  LICE_pixel* row = mDrawBitmap->getBits() + (size_t)y * (size_t)mDrawBitmap->getRowSpan();
  row[x] = Pixel(pColor);
  return true;
}

bool IGraphics::DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2, const IChannelBlend* pBlend,
                         bool antiAlias)
{
  LICE_Line(mDrawBitmap, (int)x1, (int)y1, (int)x2, (int)y2, Pixel(pColor), Weight(pBlend), Mode(pBlend), antiAlias);
  return true;
}

bool IGraphics::DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* pBlend, bool antiAlias)
{
  LICE_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, Pixel(pColor), Weight(pBlend), Mode(pBlend), antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend,
                           bool antiAlias)
{
  LICE_Circle(mDrawBitmap, cx, cy, r, Pixel(pColor), Weight(pBlend), Mode(pBlend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerRadius,
                          bool antiAlias)
{
  LICE_RoundRect(mDrawBitmap, (float)pR->L, (float)pR->T, (float)(pR->R - pR->L), (float)(pR->B - pR->T), cornerRadius,
                 Pixel(pColor), Weight(pBlend), Mode(pBlend), antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cr, bool antiAlias)
{
  const LICE_pixel px = Pixel(pColor);
  const float w = Weight(pBlend);
  const int mode = Mode(pBlend);
  const int L = pR->L, T = pR->T, R = pR->R, B = pR->B, H = B - T;
  LICE_FillRect(mDrawBitmap, L + cr, T, R - L - 2 * cr, H, px, w, mode);
  LICE_FillRect(mDrawBitmap, L, T + cr, cr, H - 2 * cr, px, w, mode);
  LICE_FillRect(mDrawBitmap, R - cr, T + cr, cr, H - 2 * cr, px, w, mode);
  const float r = (float)cr;
  LICE_FillCircle(mDrawBitmap, (float)(L + cr), (float)(T + cr), r, px, w, mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, (float)(R - cr - 1), (float)(B - cr - 1), r, px, w, mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, (float)(R - cr - 1), (float)(T + cr), r, px, w, mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, (float)(L + cr), (float)(B - cr - 1), r, px, w, mode, antiAlias);
  return true;
}

bool IGraphics::FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend)
{
  LICE_FillRect(mDrawBitmap, pR->L, pR->T, pR->R - pR->L, pR->B - pR->T, Pixel(pColor), Weight(pBlend), Mode(pBlend));
  return true;
}

bool IGraphics::FillCircle(const IColor* pColor, int cx, int cy, float r, const IChannelBlend* pBlend, bool antiAlias)
{
  LICE_FillCircle(mDrawBitmap, (float)cx, (float)cy, r, Pixel(pColor), Weight(pBlend), Mode(pBlend), antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3,
                             IChannelBlend* pBlend)
{
  LICE_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, Pixel(pColor), Weight(pBlend), Mode(pBlend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* pColor, int* x, int* y, int npoints, const IChannelBlend* pBlend)
{
  LICE_FillConvexPolygon(mDrawBitmap, x, y, npoints, Pixel(pColor), Weight(pBlend), Mode(pBlend));
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  const LICE_pixel p = LICE_GetPixel(mDrawBitmap, x, y);
  return IColor((int)LICE_GETA(p), (int)LICE_GETR(p), (int)LICE_GETG(p), (int)LICE_GETB(p));
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi)
{
  LICE_Line(mDrawBitmap, xi, yLo, xi, yHi, Pixel(pColor), 1.0f, LICE_BLIT_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi)
{
  LICE_Line(mDrawBitmap, xLo, yi, xHi, yi, Pixel(pColor), 1.0f, LICE_BLIT_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawRect(const IColor* pColor, IRECT* pR)
{
  const LICE_pixel px = Pixel(pColor);
  LICE_Line(mDrawBitmap, pR->L, pR->T, pR->R, pR->T, px, 1.0f, LICE_BLIT_MODE_COPY, false);
  LICE_Line(mDrawBitmap, pR->L, pR->B, pR->R, pR->B, px, 1.0f, LICE_BLIT_MODE_COPY, false);
  LICE_Line(mDrawBitmap, pR->L, pR->T, pR->L, pR->B, px, 1.0f, LICE_BLIT_MODE_COPY, false);
  LICE_Line(mDrawBitmap, pR->R, pR->T, pR->R, pR->B, px, 1.0f, LICE_BLIT_MODE_COPY, false);
  return true;
}

namespace {
inline float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
}  // namespace

bool IGraphics::DrawVerticalLine(const IColor* pColor, IRECT* pR, float x)
{
  const int xi = pR->L + (int)((float)(pR->R - pR->L) * Clamp01(x));
  return DrawVerticalLine(pColor, xi, pR->T, pR->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y)
{
  const int yi = pR->B - (int)((float)(pR->B - pR->T) * Clamp01(y));
  return DrawHorizontalLine(pColor, yi, pR->L, pR->R);
}

bool IGraphics::DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* pBlend, bool antiAlias)
{
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(pColor, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, pBlend, antiAlias);
}

// --- text ---

LICE_IFont* IGraphics::CacheFont(IText* pTxt)
{
  LICE_IFont* found = s_fontCache.Find(pTxt);
  if (!found) {
    LICE_CachedFont* font = new LICE_CachedFont();
    static const int kQuality[] = {0, 3, 4, 4};
    const int quality = (pTxt->mQuality >= 0 && pTxt->mQuality <= 3) ? kQuality[pTxt->mQuality] : 3;
    int h = pTxt->mSize;
    for (int pass = 1; pass <= 2; ++pass) {
      const int hReq = h < 2 ? 2 : h;
      HFONT hf = CreateFont(hReq, 0, pTxt->mOrientation * 10, pTxt->mOrientation * 10,
                            pTxt->mStyle == IText::kStyleBold ? 700 : 400, pTxt->mStyle == IText::kStyleItalic, 0, 0, 0,
                            0, 0, quality, 0, pTxt->mFont);
      if (!hf) {
        delete font;
        return nullptr;
      }
      font->SetFromHFont(hf, 0x600);
      const int lineHeight = font->GetLineHeight();
      if (pass == 2 || lineHeight == hReq || lineHeight <= 0) break;
      h = (int)((h < 2 ? 4.0 : (double)h * h) / lineHeight + 0.5);
    }
    s_fontCache.Add(font, pTxt);
    found = font;
  }
  pTxt->mCached = found;
  return found;
}

bool IGraphics::DrawIText(IText* pTxt, const char* str, IRECT* pR, bool measure)
{
  if (!str || !*str) return true;
  LICE_IFont* font = pTxt->mCached ? pTxt->mCached : CacheFont(pTxt);
  if (!font) return false;
  font->SetTextColor(pTxt->mColor.ToPixel());
  UINT flags = DT_NOCLIP;
  if (pTxt->mColor.A < 255) flags |= LICE_DT_USEFGALPHA;
  if (pTxt->mAlign == IText::kAlignCenter)
    flags |= DT_CENTER;
  else if (pTxt->mAlign == IText::kAlignFar)
    flags |= DT_RIGHT;
  if (!measure) {
    RECT r = {pR->L, pR->T, pR->R, pR->B};
    font->DrawText(mDrawBitmap, str, -1, &r, flags);
    return true;
  }
  RECT r = {0, 0, 0, 0};
  font->DrawText(mDrawBitmap, str, -1, &r, flags | DT_CALCRECT);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (pTxt->mAlign == IText::kAlignCenter) {
    pR->L = (int)((double)(pR->L + pR->R) * 0.5) - w / 2;
    pR->R = pR->L + w;
  } else if (pTxt->mAlign == IText::kAlignFar) {
    pR->L = pR->R - w;
  } else {
    pR->R = pR->L + w;
  }
  pR->B = pR->T + h;
  return true;
}
