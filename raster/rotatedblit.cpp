// Rotated, scaled blits: the destination rectangle turns about its middle (moved by the centre
// offsets) and every pixel is sampled from the source in 16.16 fixed point.

#include <cmath>
#include <cstdint>

#include "combine.h"
#include "lice.h"
#include "rows.h"
#include "sample.h"

namespace {

struct Window
{
  int64_t x0, y0, x1, y1;  // sampled source pixels: [x0, x1) x [y0, y1)
};

// Draws h rows of w pixels starting at destination d; the source position of the first pixel is
// (px, py) and moves by (ux, uy) per column and (vx, vy) per row (all 16.16).
template <class C, bool Filter>
void rotated(const LICE_Rows& drows, int dx, int dy, int w, int h, const LICE_Rows& srows, const Window& win,
             int64_t px, int64_t py, int64_t ux, int64_t uy, int64_t vx, int64_t vy, int alpha)
{
  const uint64_t ww = (uint64_t)(win.x1 - win.x0), wh = (uint64_t)(win.y1 - win.y0);
  for (int j = 0; j < h; j++, px += vx, py += vy) {
    LICE_pixel* drow = drows.row(dy + j) + dx;
    int64_t x = px, y = py;
    for (int i = 0; i < w; i++, x += ux, y += uy) {
      const int64_t c = (x >> 16) - win.x0, r = (y >> 16) - win.y0;
      if ((uint64_t)c >= ww || (uint64_t)r >= wh) continue;
      const LICE_pixel* sp = srows.row((int)(r + win.y0)) + c + win.x0;
      LICE_pixel p;
      if (!Filter)
        p = LICE_SampleNearest(sp);
      else {
        const bool lastCol = (uint64_t)c + 1 >= ww, lastRow = (uint64_t)r + 1 >= wh;
        const int fx = (int)(x & 0xffff), fy = (int)(y & 0xffff);
        if (lastCol && lastRow)
          p = LICE_SampleNearest(sp);
        else if (lastRow)
          p = LICE_SampleHoriz(sp, fx);
        else if (lastCol)
          p = LICE_SampleVert(sp, sp + srows.span, fy);
        else
          p = LICE_SampleBilinear(sp, sp + srows.span, fx, fy);
      }
      C::doPix(reinterpret_cast<LICE_pixel_chan*>(drow + i), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p),
               alpha);
    }
  }
}

}  // namespace

void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                      float rotxcent, float rotycent)
{
  if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
  const double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  if (!(std::fabs(sx) < LICE_kMaxSourceCoord && std::fabs(sy) < LICE_kMaxSourceCoord &&
        std::fabs(sw) < LICE_kMaxSourceCoord && std::fabs(sh) < LICE_kMaxSourceCoord &&
        std::fabs(rotxcent) < LICE_kMaxSourceCoord && std::fabs(rotycent) < LICE_kMaxSourceCoord &&
        std::isfinite(angle)))
    return;
  const LICE_Rows drows(dest), srows(src);
  if (drows.empty() || srows.empty()) return;

  Window win{0, 0, srows.width, srows.height};
  if (cliptosourcerect) {
    const double l = sw < 0 ? sx + sw : sx, t = sh < 0 ? sy + sh : sy;
    const double r = l + std::fabs(sw), b = t + std::fabs(sh);
    win.x0 = l > 0 ? (int64_t)std::floor(l) : 0;
    win.y0 = t > 0 ? (int64_t)std::floor(t) : 0;
    win.x1 = r < srows.width ? (int64_t)std::ceil(r) : srows.width;
    win.y1 = b < srows.height ? (int64_t)std::ceil(b) : srows.height;
    if (win.x1 <= win.x0 || win.y1 <= win.y0) return;
  }

  // Mirroring is done on the finished stepping: a mirrored rectangle samples, column by column
  // (row by row), what the unmirrored one samples from the other side.
  const bool mirrorX = dstw < 0, mirrorY = dsth < 0;
  int64_t dx0 = dstx, dy0 = dsty, w = dstw, h = dsth;
  if (mirrorX) {
    dx0 += w;
    w = -w;
  }
  if (mirrorY) {
    dy0 += h;
    h = -h;
  }

  const double c = std::cos((double)angle), s = std::sin((double)angle);
  const double xs = sw / (double)w, ys = sh / (double)h;
  // Source distances spanned beyond 2^44 pixels cannot be sampled from any bitmap; refusing
  // them keeps every fixed-point product below 2^60.
  if ((std::fabs(xs) + std::fabs(ys)) * (double)(w + h) >= 17592186044416.0) return;
  // From here on in 16.16 fixed point, so that mirroring and clipping move whole steps and a
  // clipped blit samples exactly what the unclipped one does.
  int64_t fux = LICE_ToFixed(xs * c), fuy = LICE_ToFixed(-ys * s), fvx = LICE_ToFixed(xs * s),
          fvy = LICE_ToFixed(ys * c);
  int64_t fpx = LICE_ToFixed(sx - ((h * xs * s + w * xs * c - sw) * 0.5 - rotxcent));
  int64_t fpy = LICE_ToFixed(sy - ((h * ys * c - w * ys * s - sh) * 0.5 - rotycent));
  if (mirrorX) {
    fpx += (w - 1) * fux;
    fpy += (w - 1) * fuy;
    fux = -fux;
    fuy = -fuy;
  }
  if (mirrorY) {
    fpx += (h - 1) * fvx;
    fpy += (h - 1) * fvy;
    fvx = -fvx;
    fvy = -fvy;
  }

  // Clip to the destination, advancing the start point past skipped pixels (fewer than the
  // rectangle holds, so the products stay in range).
  if (dx0 + w <= 0 || dy0 + h <= 0) return;
  if (dx0 < 0) {
    fpx -= dx0 * fux;
    fpy -= dx0 * fuy;
    w += dx0;
    dx0 = 0;
  }
  if (dy0 < 0) {
    fpx -= dy0 * fvx;
    fpy -= dy0 * fvy;
    h += dy0;
    dy0 = 0;
  }
  if (w > drows.width - dx0) w = drows.width - dx0;
  if (h > drows.height - dy0) h = drows.height - dy0;
  if (w <= 0 || h <= 0) return;

  const bool filter = (mode & LICE_BLIT_FILTER_BILINEAR) != 0;
  LICE_WithCombiner(mode, LICE_WeightOf(alpha), [&](auto combiner, int a) {
    using C = decltype(combiner);
    if (filter)
      rotated<C, true>(drows, (int)dx0, (int)dy0, (int)w, (int)h, srows, win, fpx, fpy, fux, fuy, fvx, fvy, a);
    else
      rotated<C, false>(drows, (int)dx0, (int)dy0, (int)w, (int)h, srows, win, fpx, fpy, fux, fuy, fvx, fvy, a);
  });
}
