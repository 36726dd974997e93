// Straight blits: clipping, channel copy, block copy, half mix and the per-combiner loops.

#include <cstdint>
#include <cstring>

#include "combine.h"
#include "lice.h"
#include "rows.h"

namespace {

// Combines each source pixel of a w x h area into the destination with combiner C.
template <class C>
void blitPixels(LICE_pixel* d, int dspan, const LICE_pixel* s, int sspan, int w, int h, int alpha)
{
  for (int y = 0; y < h; y++, d += dspan, s += sspan)
  {
    for (int x = 0; x < w; x++)
    {
      const LICE_pixel p = s[x];
      C::doPix(reinterpret_cast<LICE_pixel_chan*>(d + x), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p),
               alpha);
    }
  }
}

// Copies byte srcChan of each source pixel into byte dstChan of the destination pixel.
void channelCopy(LICE_pixel* d, int dspan, const LICE_pixel* s, int sspan, int w, int h, int srcChan, int dstChan)
{
  for (int y = 0; y < h; y++, d += dspan, s += sspan)
  {
    LICE_pixel_chan* dp = reinterpret_cast<LICE_pixel_chan*>(d) + dstChan;
    const LICE_pixel_chan* sp = reinterpret_cast<const LICE_pixel_chan*>(s) + srcChan;
    for (int x = 0; x < w; x++) dp[x * 4] = sp[x * 4];
  }
}

// The blit itself, on a source rectangle in 64-bit coordinates.
void blitRect(LICE_IBitmap* dest, LICE_IBitmap* src, int64_t dstx, int64_t dsty, int64_t sl, int64_t st, int64_t sr,
              int64_t sb, float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f) return;
  const LICE_Rows drows(dest), srows(src);
  if (drows.empty() || srows.empty()) return;

  // Clip the source rectangle to the source; the destination follows the clipped edges.
  if (sl < 0)
  {
    dstx -= sl;
    sl = 0;
  }
  if (st < 0)
  {
    dsty -= st;
    st = 0;
  }
  if (sr > srows.width) sr = srows.width;
  if (sb > srows.height) sb = srows.height;
  // Clip against the destination.
  if (dstx < 0)
  {
    sl -= dstx;
    dstx = 0;
  }
  if (dsty < 0)
  {
    st -= dsty;
    dsty = 0;
  }
  int64_t w = sr - sl, h = sb - st;
  if (w > drows.width - dstx) w = drows.width - dstx;
  if (h > drows.height - dsty) h = drows.height - dsty;
  if (w <= 0 || h <= 0) return;

  // A blit of a bitmap onto itself reads from a copy, so no source pixel is overwritten first.
  if (dest->getBits() == src->getBits())
  {
    LICE_MemBitmap tmp((int)w, (int)h, 4);
    blitRect(&tmp, src, 0, 0, sl, st, sl + w, st + h, 1.0f, LICE_BLIT_MODE_COPY);
    if (tmp.getWidth() == (int)w) blitRect(dest, &tmp, dstx, dsty, 0, 0, w, h, alpha, mode);
    return;
  }

  LICE_pixel* d = drows.row((int)dsty) + dstx;
  const LICE_pixel* s = srows.row((int)st) + sl;
  const int iw = (int)w, ih = (int)h;

  if ((mode & LICE_BLIT_MODE_CHANCOPY) == LICE_BLIT_MODE_CHANCOPY)
  {
    channelCopy(d, drows.span, s, srows.span, iw, ih, mode & 3, (mode >> 2) & 3);
    return;
  }
  const bool plainCopy = (mode & (LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_MASK)) == LICE_BLIT_MODE_COPY;
  if (plainCopy && alpha == 1.0f)
  {
    for (int y = 0; y < ih; y++, d += drows.span, s += srows.span) memcpy(d, s, (size_t)iw * sizeof(LICE_pixel));
    return;
  }
  if (plainCopy && alpha == 0.5f)
  {
    blitPixels<_LICE_CombinePixelsHalfMix>(d, drows.span, s, srows.span, iw, ih, 128);
    return;
  }
  LICE_WithCombiner(mode, LICE_WeightOf(alpha), [&](auto combiner, int a) {
    blitPixels<decltype(combiner)>(d, drows.span, s, srows.span, iw, ih, a);
  });
}

}  // namespace

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha, int mode)
{
  if (!dest || !src) return;
  if (srcrect)
    blitRect(dest, src, dstx, dsty, srcrect->left, srcrect->top, srcrect->right, srcrect->bottom, alpha, mode);
  else
    blitRect(dest, src, dstx, dsty, 0, 0, src->getWidth(), src->getHeight(), alpha, mode);
}

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
               float alpha, int mode)
{
  blitRect(dest, src, dstx, dsty, srcx, srcy, (int64_t)srcx + srcw, (int64_t)srcy + srch, alpha, mode);
}

void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src)
{
  if (!dest || !src || dest == src) return;
  dest->resize(src->getWidth(), src->getHeight());
  LICE_Blit(dest, src, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
}
