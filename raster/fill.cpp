// Clearing, rectangle fills and single-pixel access.

#include <cstdint>

#include "combine.h"
#include "lice.h"
#include "rows.h"

namespace {

// Combines one colour (r, g, b, ach) into every pixel of a w x h area with combiner C.
template <class C>
void fillPixels(LICE_pixel* d, int span, int w, int h, int r, int g, int b, int ach, int alpha)
{
  for (int y = 0; y < h; y++, d += span) {
    for (int x = 0; x < w; x++) C::doPix(reinterpret_cast<LICE_pixel_chan*>(d + x), r, g, b, ach, alpha);
  }
}

// The fill rule on an already clipped area at integer weight a: copy mode uses the packed mixes
// at 1/4, 1/2 and 3/4, sets the colour at full weight, and otherwise (like every other operation)
// combines the colour with a as both its alpha channel and its weight.
void fillArea(LICE_pixel* d, int span, int w, int h, LICE_pixel color, int a, int mode)
{
  const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color), ca = LICE_GETA(color);
  const int op = mode & LICE_BLIT_MODE_MASK;
  if (op == LICE_BLIT_MODE_COPY) {
    if (a <= 0) return;
    if (a >= 256) {
      fillPixels<_LICE_CombinePixelsClobberNoClamp>(d, span, w, h, r, g, b, ca, 256);
      return;
    }
    switch (a) {
      case 64:
        fillPixels<_LICE_CombinePixelsQuarterMix>(d, span, w, h, r, g, b, ca, a);
        return;
      case 128:
        fillPixels<_LICE_CombinePixelsHalfMix>(d, span, w, h, r, g, b, ca, a);
        return;
      case 192:
        fillPixels<_LICE_CombinePixelsThreeQuarterMix>(d, span, w, h, r, g, b, ca, a);
        return;
      default:
        fillPixels<_LICE_CombinePixelsCopyNoClamp>(d, span, w, h, r, g, b, a, a);
        return;
    }
  }
  const int ach = a > 255 ? 255 : a < 0 ? 0 : a;
  LICE_WithCombiner(op, a,
                    [&](auto combiner, int wgt) { fillPixels<decltype(combiner)>(d, span, w, h, r, g, b, ach, wgt); });
}

// Fills a clipped w x h area with a gradient: channel c of pixel (i, j) is start[c] + i * dx[c] +
// j * dy[c] (16.16, in units of 0..255), clamped; its alpha is the weight, through combiner C.
template <class C>
void gradPixels(LICE_pixel* d, int span, int w, int h, const int64_t start[4], const int64_t dx[4], const int64_t dy[4])
{
  int64_t row[4] = {start[0], start[1], start[2], start[3]};
  for (int j = 0; j < h; j++, d += span) {
    int64_t v[4] = {row[0], row[1], row[2], row[3]};
    for (int i = 0; i < w; i++) {
      int ch[4];
      for (int c = 0; c < 4; c++) {
        const int64_t x = v[c] >> 16;
        ch[c] = x < 0 ? 0 : x > 255 ? 255 : (int)x;
        v[c] += dx[c];
      }
      C::doPix(reinterpret_cast<LICE_pixel_chan*>(d + i), ch[0], ch[1], ch[2], ch[3], ch[3] + (ch[3] >> 7));
    }
    for (int c = 0; c < 4; c++) row[c] += dy[c];
  }
}

}  // namespace

void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color)
{
  const LICE_Rows rows(dest);
  if (rows.empty()) return;
  for (int y = 0; y < rows.height; y++) {
    LICE_pixel* p = rows.row(y);
    for (int x = 0; x < rows.width; x++) p[x] = color;
  }
}

void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel mask, LICE_pixel orbits)
{
  const LICE_Rows rows(dest);
  if (rows.empty()) return;
  const LICE_ClippedRect c(x, y, w, h, rows.width, rows.height);
  if (c.empty()) return;
  for (int j = 0; j < c.h; j++) {
    LICE_pixel* p = rows.row(c.y + j) + c.x;
    for (int i = 0; i < c.w; i++) p[i] = (p[i] & mask) | orbits;
  }
}

void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha, int mode)
{
  if (mode & LICE_BLIT_USE_ALPHA) alpha *= (float)LICE_GETA(color) / 255.0f;
  const LICE_Rows rows(dest);
  if (rows.empty() || alpha == 0.0f) return;
  const LICE_ClippedRect c(x, y, w, h, rows.width, rows.height);
  if (c.empty()) return;
  fillArea(rows.row(c.y) + c.x, rows.span, c.w, c.h, color, LICE_WeightOf(alpha), mode);
}

bool LICE_IsOpaque(LICE_IBitmap* bm)
{
  const LICE_Rows rows(bm);
  if (rows.empty()) return false;
  for (int y = 0; y < rows.height; y++) {
    const LICE_pixel* p = rows.row(y);
    LICE_pixel all = 0xFF000000;
    for (int x = 0; x < rows.width; x++) all &= p[x];
    if ((all & 0xFF000000) != 0xFF000000) return false;
  }
  return true;
}

LICE_pixel LICE_GetPixel(LICE_IBitmap* bm, int x, int y)
{
  const LICE_Rows rows(bm);
  if (rows.empty() || x < 0 || y < 0 || x >= rows.width || y >= rows.height) return 0;
  return rows.row(y)[x];
}

void LICE_PutPixel(LICE_IBitmap* bm, int x, int y, LICE_pixel color, float alpha, int mode)
{
  const LICE_Rows rows(bm);
  if (rows.empty() || x < 0 || y < 0 || x >= rows.width || y >= rows.height) return;
  fillArea(rows.row(y) + x, rows.span, 1, 1, color, LICE_WeightOf(alpha), mode);
}

void LICE_GradRect(LICE_IBitmap* dest, int x, int y, int w, int h, float ir, float ig, float ib, float ia, float drdx,
                   float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy, float dady, int mode)
{
  const LICE_Rows rows(dest);
  if (rows.empty()) return;
  const LICE_ClippedRect c(x, y, w, h, rows.width, rows.height);
  if (c.empty()) return;
  const float in[12] = {ir, ig, ib, ia, drdx, dgdx, dbdx, dadx, drdy, dgdy, dbdy, dady};
  int64_t fixed[12];
  for (int i = 0; i < 12; i++) {
    // Starts beyond +-1024 times full and steps beyond +-4 times full per pixel clamp like any
    // other value out of range, and keep every product in 64 bits.
    const float lim = i < 4 ? 1024.0f : 4.0f;
    const float v = in[i] == in[i] ? (in[i] > lim ? lim : in[i] < -lim ? -lim : in[i]) : 0.0f;
    fixed[i] = (int64_t)((double)v * 255.0 * 65536.0);
  }
  // Start at the clipped corner: the gradient stays anchored at (x, y).
  int64_t start[4];
  const int64_t ox = (int64_t)c.x - x, oy = (int64_t)c.y - y;
  for (int ch = 0; ch < 4; ch++) start[ch] = fixed[ch] + ox * fixed[4 + ch] + oy * fixed[8 + ch];
  LICE_pixel* d = rows.row(c.y) + c.x;
  const int op = mode & LICE_BLIT_MODE_MASK;
  if (op == LICE_BLIT_MODE_COPY) {
    gradPixels<_LICE_CombinePixelsCopyClamp>(d, rows.span, c.w, c.h, start, fixed + 4, fixed + 8);
    return;
  }
  LICE_WithCombiner(op, 256, [&](auto combiner, int) {
    gradPixels<decltype(combiner)>(d, rows.span, c.w, c.h, start, fixed + 4, fixed + 8);
  });
}
