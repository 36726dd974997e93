// Coverage-mask blends.

#include "draw.h"
#include "drawpix.h"
#include "rows.h"

namespace {
template <class C>
void blendMask(C comb, const LICE_Rows& rows, int x0, int y0, int x1, int y1, int x, int y,
               const LICE_pixel_chan* alphas, int glyph_w, const LICE_DrawColor& c, int a)
{
  for (int py = y0; py < y1; py++) {
    const LICE_pixel_chan* m = alphas + (intptr_t)(py - y) * glyph_w + (x0 - x);
    LICE_pixel* p = rows.row(py) + x0;
    for (int px = x0; px < x1; px++, p++, m++) {
      const int w = a * *m / 256;
      if (w > 0) LICE_DrawPix(comb, p, c, w);
    }
  }
}
}  // namespace

void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel color, const LICE_pixel_chan* alphas, int glyph_w,
                    int glyph_h, float alpha, int mode)
{
  const LICE_Rows rows(dest);
  const int a = LICE_WeightOf(alpha);
  if (rows.empty() || a == 0 || !alphas || glyph_w <= 0 || glyph_h <= 0) return;
  const LICE_ClippedRect cr(x, y, glyph_w, glyph_h, rows.width, rows.height);
  if (cr.empty()) return;
  const LICE_DrawColor c(color);
  LICE_WithDrawCombiner(mode, a, LICE_DRAW_WEIGHTED, [&](auto comb, int w) {
    blendMask(comb, rows, cr.x, cr.y, cr.x + cr.w, cr.y + cr.h, x, y, alphas, glyph_w, c, w);
  });
}
