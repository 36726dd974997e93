// Lines: clipping, horizontal and vertical spans, exact diagonals, general lines with and
// without antialiasing, and rectangle outlines.

#include <cmath>
#include <cstdlib>
#include <utility>

#include "draw.h"
#include "drawpix.h"
#include "rows.h"

namespace {
enum { kLeft = 1, kRight = 2, kAbove = 4, kBelow = 8 };

int outCode(int x, int y, int xlo, int ylo, int xhi, int yhi)
{
  return (x < xlo ? kLeft : x >= xhi ? kRight : 0) | (y < ylo ? kAbove : y >= yhi ? kBelow : 0);
}

// The exact diagonal with antialiasing: the diagonal pixel gets the main weight and its
// neighbours one step along x and one step along y (in the direction of travel) the side weight.
template <class CM, class CS>
void diagonalAA(CM cm, CS cs, const LICE_Rows& rows, int x, int y, int sx, int sy, int n, const LICE_DrawColor& c,
                int wm, int ws)
{
  for (int i = 0; i <= n; i++, x += sx, y += sy) {
    LICE_pixel* p = rows.row(y) + x;
    LICE_DrawPix(cm, p, c, wm);
    if (ws <= 0) continue;
    if (x + sx >= 0 && x + sx < rows.width) LICE_DrawPix(cs, p + sx, c, ws);
    if (y + sy >= 0 && y + sy < rows.height) LICE_DrawPix(cs, rows.row(y + sy) + x, c, ws);
  }
}

// One pixel per major step, the minor coordinate rounded from 16.16 fixed point.
template <class C>
void lineSteps(C comb, LICE_pixel* start, intptr_t majStep, intptr_t minStep, int n, int64_t slope,
               const LICE_DrawColor& c, int w)
{
  int64_t pos = 0x8000;
  for (int i = 0; i <= n; i++, pos += slope) LICE_DrawPix(comb, start + i * majStep + (pos >> 16) * minStep, c, w);
}

// The antialiased general line. Both end pixels get the full weight; the inner pixels are
// drawn from both ends toward the middle (each once), the weight split between the two pixels
// straddling the exact minor position.
template <class C>
void lineAA(C comb, const LICE_Rows& rows, bool xMajor, int maj1, int min1, int maj2, int min2, const LICE_DrawColor& c,
            int a)
{
  const int n = std::abs(maj2 - maj1);
  const int dir = maj2 > maj1 ? 1 : -1;
  const int minLimit = xMajor ? rows.height : rows.width;
  const int64_t slope = (int64_t)(min2 - min1) * 65536 / n;
  auto at = [&](int maj, int mn) { return xMajor ? rows.row(mn) + maj : rows.row(maj) + mn; };
  auto plot = [&](int maj, int64_t pos) {
    const int mn = (int)(pos >> 16);
    const int f = (int)((pos >> 8) & 0xff);
    const int w1 = ((255 - f) * a) >> 8, w2 = (f * a) >> 8;
    if (w1 > 0) LICE_DrawPix(comb, at(maj, mn), c, w1);
    if (w2 > 0 && mn + 1 < minLimit) LICE_DrawPix(comb, at(maj, mn + 1), c, w2);
  };

  LICE_DrawPix(comb, at(maj1, min1), c, a);
  LICE_DrawPix(comb, at(maj2, min2), c, a);
  const int inner = n - 1;
  const int fromStart = (inner + 1) / 2, fromEnd = inner / 2;
  const int64_t p1 = (int64_t)min1 * 65536, p2 = (int64_t)min2 * 65536;
  for (int i = 1; i <= fromStart; i++) plot(maj1 + i * dir, p1 + slope * i);
  for (int j = 1; j <= fromEnd; j++) plot(maj2 - j * dir, p2 - slope * j);
}
}  // namespace

// Cohen-Sutherland clipping. A crossing is taken on the last pixel row or column inside the
// rectangle and rounded to the nearest pixel there, so that clipped ends stay on the line.
bool LICE_ClipLine(int* pX1, int* pY1, int* pX2, int* pY2, int xlo, int ylo, int xhi, int yhi)
{
  if (xhi <= xlo || yhi <= ylo) return false;
  int x1 = *pX1, y1 = *pY1, x2 = *pX2, y2 = *pY2;
  bool inside = false;
  for (int round = 0; round < 33; round++) {
    const int c1 = outCode(x1, y1, xlo, ylo, xhi, yhi), c2 = outCode(x2, y2, xlo, ylo, xhi, yhi);
    if (!(c1 | c2)) {
      inside = true;
      break;
    }
    if (c1 & c2) break;
    const int c = c1 ? c1 : c2;
    const double dx = (double)x2 - x1, dy = (double)y2 - y1;
    int x, y;
    if (c & (kBelow | kAbove)) {
      y = (c & kBelow) ? yhi - 1 : ylo;
      x = (int)std::floor(x1 + dx * ((double)y - y1) / dy + 0.5);
    } else {
      x = (c & kRight) ? xhi - 1 : xlo;
      y = (int)std::floor(y1 + dy * ((double)x - x1) / dx + 0.5);
    }
    if (c == c1)
      x1 = x, y1 = y;
    else
      x2 = x, y2 = y;
  }
  *pX1 = x1, *pY1 = y1, *pX2 = x2, *pY2 = y2;
  return inside;
}

void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha, int mode, bool aa)
{
  const LICE_Rows rows(dest);
  const int a = LICE_WeightOf(alpha);
  if (rows.empty() || a == 0) return;
  if (!LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, rows.width, rows.height)) return;
  const LICE_DrawColor c(color);
  const int dx = x2 - x1, dy = y2 - y1;

  if (dy == 0 || dx == 0) {
    LICE_pixel* p = rows.row(dy == 0 ? y1 : (y1 < y2 ? y1 : y2)) + (dx == 0 ? x1 : (x1 < x2 ? x1 : x2));
    const intptr_t step = dy == 0 ? 1 : rows.span;
    const int n = std::abs(dx) + std::abs(dy) + 1;
    LICE_WithDrawCombiner(mode, a, LICE_DRAW_HALF | LICE_DRAW_QUARTERS,
                          [&](auto comb, int w) { LICE_DrawRun(comb, p, step, n, c, w); });
    return;
  }

  const int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
  if (std::abs(dx) == std::abs(dy)) {
    const int n = std::abs(dx);
    if (!aa) {
      LICE_pixel* p = rows.row(y1) + x1;
      const intptr_t step = sy * rows.span + sx;
      LICE_WithDrawCombiner(mode, a, LICE_DRAW_HALF,
                            [&](auto comb, int w) { LICE_DrawRun(comb, p, step, n + 1, c, w); });
    } else if ((mode & LICE_BLIT_MODE_MASK) == LICE_BLIT_MODE_COPY && a >= 256)
      diagonalAA(_LICE_CombinePixelsThreeQuarterMix(), _LICE_CombinePixelsQuarterMix(), rows, x1, y1, sx, sy, n, c, 256,
                 256);
    else
      LICE_WithDrawCombiner(mode, a, LICE_DRAW_WEIGHTED, [&](auto comb, int w) {
        diagonalAA(comb, comb, rows, x1, y1, sx, sy, n, c, w * 3 / 4, w / 4);
      });
    return;
  }

  const bool xMajor = std::abs(dx) > std::abs(dy);
  if (!aa) {
    const int n = xMajor ? std::abs(dx) : std::abs(dy);
    const int64_t slope = (int64_t)(xMajor ? dy : dx) * 65536 / n;
    LICE_pixel* start = rows.row(y1) + x1;
    const intptr_t majStep = xMajor ? sx : sy * rows.span, minStep = xMajor ? rows.span : 1;
    LICE_WithDrawCombiner(mode, a, LICE_DRAW_HALF,
                          [&](auto comb, int w) { lineSteps(comb, start, majStep, minStep, n, slope, c, w); });
    return;
  }
  LICE_WithDrawCombiner(mode, a, LICE_DRAW_WEIGHTED, [&](auto comb, int w) {
    if (xMajor)
      lineAA(comb, rows, true, x1, y1, x2, y2, c, w);
    else
      lineAA(comb, rows, false, y1, x1, y2, x2, c, w);
  });
}

void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha, int mode)
{
  if (!dest) return;
  int64_t x0 = x, y0 = y, x1 = (int64_t)x + w, y1 = (int64_t)y + h;
  if (x1 < x0) std::swap(x0, x1);
  if (y1 < y0) std::swap(y0, y1);
  // Axis-parallel lines keep their pixels when their ends are pulled in, so far ends are limited.
  auto lim = [](int64_t v) { return (int)LICE_DrawClamp(v, -1073741824, 1073741824); };
  const int l = lim(x0), t = lim(y0), r = lim(x1), b = lim(y1);
  LICE_Line(dest, l, t, r, t, color, alpha, mode);
  if (b == t) return;
  LICE_Line(dest, l, b, r, b, color, alpha, mode);
  if (b - t < 2) return;
  LICE_Line(dest, l, t + 1, l, b - 1, color, alpha, mode);
  if (r != l) LICE_Line(dest, r, t + 1, r, b - 1, color, alpha, mode);
}
