// Straight blits: clipping, channel copy, block copy, half mix and the per-combiner loops.

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "combine.h"
#include "lice.h"
#include "rows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// Four pixels of the full-weight source-alpha copy at once, with exactly the per-pixel rule:
// source alpha 0 keeps d; otherwise colour s + (d - s) * (255 - sa) / 256 (truncated toward
// zero) and alpha min(255, d + sa).
inline __m128i sourceAlphaFour(__m128i d, __m128i s)
{
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaMask = _mm_set1_epi32((int)0xFF000000);
  const __m128i sa = _mm_srli_epi32(s, 24);
  const __m128i iw = _mm_sub_epi16(_mm_set1_epi16(255), _mm_or_si128(sa, _mm_slli_epi32(sa, 16)));
  auto half = [&](__m128i s16, __m128i d16, __m128i iw16) {
    const __m128i diff = _mm_sub_epi16(d16, s16);
    const __m128i lo = _mm_mullo_epi16(diff, iw16), hi = _mm_mulhi_epi16(diff, iw16);
    __m128i p0 = _mm_unpacklo_epi16(lo, hi), p1 = _mm_unpackhi_epi16(lo, hi);
    const __m128i bias = _mm_set1_epi32(255);
    p0 = _mm_srai_epi32(_mm_add_epi32(p0, _mm_and_si128(_mm_srai_epi32(p0, 31), bias)), 8);
    p1 = _mm_srai_epi32(_mm_add_epi32(p1, _mm_and_si128(_mm_srai_epi32(p1, 31), bias)), 8);
    return _mm_add_epi16(s16, _mm_packs_epi32(p0, p1));
  };
  const __m128i colourLo = half(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi32(iw, iw));
  const __m128i colourHi = half(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi32(iw, iw));
  const __m128i colour = _mm_packus_epi16(colourLo, colourHi);
  const __m128i alpha = _mm_adds_epu8(_mm_and_si128(d, alphaMask), _mm_and_si128(s, alphaMask));
  const __m128i mixed = _mm_or_si128(_mm_andnot_si128(alphaMask, colour), alpha);
  const __m128i keep = _mm_cmpeq_epi32(sa, zero);
  return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, mixed));
}
#endif

// The full-weight source-alpha copy over a w x h area, four pixels at a time where the CPU can.
void blitSourceAlphaFull(LICE_pixel* d, int dspan, const LICE_pixel* s, int sspan, int w, int h)
{
  using C = _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp;
  for (int y = 0; y < h; y++, d += dspan, s += sspan) {
    int x = 0;
#if defined(__SSE2__)
    for (; x + 4 <= w; x += 4) {
      const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
      const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), sourceAlphaFour(dv, sv));
    }
#endif
    for (; x < w; x++) {
      const LICE_pixel p = s[x];
      C::doPix(reinterpret_cast<LICE_pixel_chan*>(d + x), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p), 256);
    }
  }
}

// Combines each source pixel of a w x h area into the destination with combiner C.
template <class C>
void blitPixels(LICE_pixel* d, int dspan, const LICE_pixel* s, int sspan, int w, int h, int alpha)
{
  for (int y = 0; y < h; y++, d += dspan, s += sspan) {
    for (int x = 0; x < w; x++) {
      const LICE_pixel p = s[x];
      C::doPix(reinterpret_cast<LICE_pixel_chan*>(d + x), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p),
               alpha);
    }
  }
}

// Copies byte srcChan of each source pixel into byte dstChan of the destination pixel.
void channelCopy(LICE_pixel* d, int dspan, const LICE_pixel* s, int sspan, int w, int h, int srcChan, int dstChan)
{
  for (int y = 0; y < h; y++, d += dspan, s += sspan) {
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
  if (sl < 0) {
    dstx -= sl;
    sl = 0;
  }
  if (st < 0) {
    dsty -= st;
    st = 0;
  }
  if (sr > srows.width) sr = srows.width;
  if (sb > srows.height) sb = srows.height;
  // Clip against the destination.
  if (dstx < 0) {
    sl -= dstx;
    dstx = 0;
  }
  if (dsty < 0) {
    st -= dsty;
    dsty = 0;
  }
  int64_t w = sr - sl, h = sb - st;
  if (w > drows.width - dstx) w = drows.width - dstx;
  if (h > drows.height - dsty) h = drows.height - dsty;
  if (w <= 0 || h <= 0) return;

  // A blit of a bitmap onto itself reads from a copy, so no source pixel is overwritten first.
  if (dest->getBits() == src->getBits()) {
    LICE_MemBitmap tmp((int)w, (int)h, 4);
    blitRect(&tmp, src, 0, 0, sl, st, sl + w, st + h, 1.0f, LICE_BLIT_MODE_COPY);
    if (tmp.getWidth() == (int)w) blitRect(dest, &tmp, dstx, dsty, 0, 0, w, h, alpha, mode);
    return;
  }

  LICE_pixel* d = drows.row((int)dsty) + dstx;
  const LICE_pixel* s = srows.row((int)st) + sl;
  const int iw = (int)w, ih = (int)h;

  if ((mode & LICE_BLIT_MODE_CHANCOPY) == LICE_BLIT_MODE_CHANCOPY) {
    channelCopy(d, drows.span, s, srows.span, iw, ih, mode & 3, (mode >> 2) & 3);
    return;
  }
  const bool plainCopy = (mode & (LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_MASK)) == LICE_BLIT_MODE_COPY;
  if (plainCopy && alpha == 1.0f) {
    for (int y = 0; y < ih; y++, d += drows.span, s += srows.span) memcpy(d, s, (size_t)iw * sizeof(LICE_pixel));
    return;
  }
  if (plainCopy && alpha == 0.5f) {
    blitPixels<_LICE_CombinePixelsHalfMix>(d, drows.span, s, srows.span, iw, ih, 128);
    return;
  }
  LICE_WithCombiner(mode, LICE_WeightOf(alpha), [&](auto combiner, int a) {
    using C = decltype(combiner);
    if constexpr (std::is_same_v<C, _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>)
      blitSourceAlphaFull(d, drows.span, s, srows.span, iw, ih);
    else
      blitPixels<C>(d, drows.span, s, srows.span, iw, ih, a);
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
