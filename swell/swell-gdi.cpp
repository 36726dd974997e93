// Device contexts, GDI objects, colours, clipping and copies between contexts.

#include "swell-gdi.h"

#include <ColorSync/ColorSync.h>

#include <cstdint>
#include <cstdlib>

#include "swell-records.h"

using swell::Live;

namespace {

constexpr CGBitmapInfo kOpaqueLayout = kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst;
constexpr CGBitmapInfo kAlphaLayout = kCGBitmapByteOrder32Little | kCGImageAlphaFirst;

// The 64-byte aligned pixels inside a memory context's allocation.
inline uint8_t* AlignedPixels(void* buf) { return reinterpret_cast<uint8_t*>(((uintptr_t)buf + 63) & ~(uintptr_t)63); }

// The colour space of the display, from its profile, else device RGB. The
// system here is always 10.10 or later, so the profile path applies.
CGColorSpaceRef DisplaySpace()
{
  static CGColorSpaceRef space = [] {
    CGColorSpaceRef s = nullptr;
    CMProfileRef profile = nullptr;
    if (CMGetSystemProfile(&profile) == 0 && profile) {
      s = CGColorSpaceCreateWithPlatformColorSpace(profile);
      CMCloseProfile(profile);
    }
    return s ? s : CGColorSpaceCreateDeviceRGB();
  }();
  return space;
}

// A record over a Core Graphics context, with black text.
HDC NewRecord(CGContextRef ctx, void* buf)
{
  HDC__* r = swell::NewContext();
  if (!r) return nullptr;
  r->ctx = ctx;
  r->ownedBuf = buf;
  r->textCGColor = swell::MakeColor(0);
  return r;
}

// The stock pen (1) and brush (2): records that are never released.
HGDIOBJ__* Stock(int type)
{
  static HGDIOBJ__ pen = {kTypePen, 0, -1, 0, false, nullptr, nullptr, 0};
  static HGDIOBJ__ brush = {kTypeBrush, 0, -1, 0, false, nullptr, nullptr, 0};
  return type == kTypePen ? &pen : &brush;
}

}  // namespace

HDC SWELL_CreateMemContext(HDC, int w, int h)
{
  if (w <= 0 || h <= 0 || (size_t)w > (SIZE_MAX - 63) / 4 / (size_t)h) return nullptr;
  void* buf = std::calloc((size_t)w * 4 * (size_t)h + 63, 1);
  if (!buf) return nullptr;
  CGContextRef ctx =
      CGBitmapContextCreate(AlignedPixels(buf), w, h, 8, (size_t)w * 4, swell::DeviceRGB(), kOpaqueLayout);
  if (!ctx) {
    std::free(buf);
    return nullptr;
  }
  CGContextTranslateCTM(ctx, 0, h);
  CGContextScaleCTM(ctx, 1, -1);
  CGContextSetAllowsFontSmoothing(ctx, false);
  HDC r = NewRecord(ctx, buf);
  if (!r) {
    CGContextRelease(ctx);
    std::free(buf);
  }
  return r;
}

HDC SWELL_CreateGfxContext(void* graphicsPort)
{
  return graphicsPort ? NewRecord(static_cast<CGContextRef>(graphicsPort), nullptr) : nullptr;
}

void SWELL_DeleteGfxContext(HDC ctx)
{
  HDC__* r = Live(ctx);
  if (!r) return;
  if (r->ownedBuf) {
    CGContextRelease(r->ctx);
    std::free(r->ownedBuf);
  }
  CGColorRelease(r->textCGColor);
  swell::FreeContext(r);
}

void* SWELL_GetCtxFrameBuffer(HDC ctx)
{
  HDC__* r = Live(ctx);
  return r && r->ownedBuf ? AlignedPixels(r->ownedBuf) : nullptr;
}

void* SWELL_GetCtxGC(HDC ctx)
{
  HDC__* r = Live(ctx);
  return r ? r->ctx : nullptr;
}

HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj)
{
  HDC__* r = Live(ctx);
  if (!r) return nullptr;
  const uintptr_t pseudo = (uintptr_t)obj;
  HGDIOBJ__* o = Live(obj);
  int type;
  if (pseudo >= kTypePen && pseudo <= kTypeFont) {
    type = (int)pseudo;
  } else if (o && o->type >= kTypePen && o->type <= kTypeFont) {
    type = o->type;
  } else {
    return nullptr;
  }
  HGDIOBJ* slot = type == kTypePen ? &r->curPen : type == kTypeBrush ? &r->curBrush : &r->curFont;
  HGDIOBJ prev = *slot;
  if (prev == obj && o) return prev;
  *slot = o;
  return Live(prev) ? prev : reinterpret_cast<HGDIOBJ>((uintptr_t)type);
}

void DeleteObject(HGDIOBJ obj)
{
  HGDIOBJ__* o = Live(obj);
  if (!o || o->wid < 0) return;
  if (o->additionalRefs > 0) {
    --o->additionalRefs;
    return;
  }
  if (o->ctFont) CFRelease(o->ctFont);
  swell::FreeObject(o);
}

HGDIOBJ SWELL_CloneGDIObject(HGDIOBJ obj)
{
  HGDIOBJ__* o = Live(obj);
  if (!o) return nullptr;
  if (o->wid >= 0) ++o->additionalRefs;  // stock objects are shared and never released
  return o;
}

HGDIOBJ GetStockObject(int which) { return which == NULL_PEN || which == NULL_BRUSH ? Stock(which) : nullptr; }

int SetTextColor(HDC ctx, int colour)
{
  HDC__* r = Live(ctx);
  if (!r) return 0;
  const int prev = r->textColor;
  r->textColor = colour;
  CGColorRef c = swell::MakeColor(colour);
  if (c) {
    CGColorRelease(r->textCGColor);
    r->textCGColor = c;
  }
  return prev;
}

int GetTextColor(HDC ctx)
{
  HDC__* r = Live(ctx);
  return r ? r->textColor : -1;
}

int SetBkColor(HDC ctx, int colour)
{
  HDC__* r = Live(ctx);
  if (!r) return 0;
  const int prev = r->bkColor;
  r->bkColor = colour;
  return prev;
}

int SetBkMode(HDC ctx, int mode)
{
  HDC__* r = Live(ctx);
  if (!r) return 0;
  const int prev = r->bkMode;
  r->bkMode = mode;
  return prev;
}

void SWELL_PushClipRegion(HDC ctx)
{
  if (HDC__* r = Live(ctx)) CGContextSaveGState(r->ctx);
}

void SWELL_SetClipRegion(HDC ctx, const RECT* rc)
{
  HDC__* r = Live(ctx);
  if (r && rc) CGContextClipToRect(r->ctx, CGRectMake(rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top));
}

void SWELL_PopClipRegion(HDC ctx)
{
  if (HDC__* r = Live(ctx)) CGContextRestoreGState(r->ctx);
}

void BitBlt(HDC ctx, int x, int y, int w, int h, HDC src, int sx, int sy, int rop)
{
  StretchBlt(ctx, x, y, w, h, src, sx, sy, w, h, rop);
}

// Cuts the source to the source bitmap (moving and scaling the destination
// alike) and draws it through an image over the source pixels, unscaled
// pixels landing where the top-left coordinates say.
void StretchBlt(HDC ctx, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, int rop)
{
  HDC__* d = Live(ctx);
  HDC__* s = Live(src);
  if (!d || !s || !s->ownedBuf || sw <= 0 || sh <= 0) return;
  const int srcW = (int)CGBitmapContextGetWidth(s->ctx);
  const int srcH = (int)CGBitmapContextGetHeight(s->ctx);
  double dx = x, dy = y, dw = w, dh = h;
  if (sx < 0) {
    const double cut = -(double)sx * dw / sw;
    dx += cut;
    dw -= cut;
    sw += sx;
    sx = 0;
  }
  if (sy < 0) {
    const double cut = -(double)sy * dh / sh;
    dy += cut;
    dh -= cut;
    sh += sy;
    sy = 0;
  }
  if (sx >= srcW || sy >= srcH || sw <= 0 || sh <= 0) return;
  if (sx + sw > srcW) {
    dw = dw * (srcW - sx) / sw;
    sw = srcW - sx;
  }
  if (sy + sh > srcH) {
    dh = dh * (srcH - sy) / sh;
    sh = srcH - sy;
  }
  if (dw <= 0 || dh <= 0) return;
  const size_t rowBytes = CGBitmapContextGetBytesPerRow(s->ctx);
  const uint8_t* first =
      static_cast<const uint8_t*>(CGBitmapContextGetData(s->ctx)) + (size_t)sy * rowBytes + (size_t)sx * 4;
  CGDataProviderRef provider =
      CGDataProviderCreateWithData(nullptr, first, (size_t)(sh - 1) * rowBytes + (size_t)sw * 4, nullptr);
  CGImageRef image = provider ? CGImageCreate(sw, sh, 8, 32, rowBytes, DisplaySpace(),
                                              rop == SRCCOPY_USEALPHACHAN ? kAlphaLayout : kOpaqueLayout, provider,
                                              nullptr, false, kCGRenderingIntentDefault)
                              : nullptr;
  CGDataProviderRelease(provider);
  if (!image) return;
  CGContextSaveGState(d->ctx);
  CGContextScaleCTM(d->ctx, 1, -1);
  CGContextSetInterpolationQuality(d->ctx, kCGInterpolationNone);
  CGContextDrawImage(d->ctx, CGRectMake(dx, -dy - dh, dw, dh), image);
  CGContextRestoreGState(d->ctx);
  CGImageRelease(image);
}
