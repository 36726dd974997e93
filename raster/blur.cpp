// Blur of a rectangle: a 3 x 3 kernel of weights 1 2 1 / 2 4 2 / 1 2 1 (sum 16) on all four
// channels, the rectangle's edge pixels repeated outward.

#include <cstdint>
#include <memory>
#include <new>

#include "lice.h"
#include "rows.h"

namespace {

// One channel of a 1 2 1 blend of three pixels (sum 4 times the channel).
inline unsigned tri(LICE_pixel a, LICE_pixel b, LICE_pixel c, int sh)
{
  return ((a >> sh) & 0xff) + 2 * ((b >> sh) & 0xff) + ((c >> sh) & 0xff);
}

}  // namespace

void LICE_Blur(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch)
{
  const LICE_Rows drows(dest), srows(src);
  if (drows.empty() || srows.empty()) return;

  // Clip the source rectangle to the source, then the destination, as a blit does.
  int64_t sl = srcx, st = srcy, sr = (int64_t)srcx + srcw, sb = (int64_t)srcy + srch;
  int64_t dl = dstx, dt = dsty;
  if (sl < 0) {
    dl -= sl;
    sl = 0;
  }
  if (st < 0) {
    dt -= st;
    st = 0;
  }
  if (sr > srows.width) sr = srows.width;
  if (sb > srows.height) sb = srows.height;
  if (sr <= sl || sb <= st) return;
  const int w = (int)(sr - sl), h = (int)(sb - st);
  const LICE_ClippedRect dc(dl, dt, w, h, drows.width, drows.height);
  if (dc.empty()) return;

  // Work from a copy so that the destination may be the source itself; the copy is blurred
  // horizontally on the way in (values scaled by 4).
  std::unique_ptr<unsigned[]> horiz(new (std::nothrow) unsigned[(size_t)w * h * 4]);
  if (!horiz) return;
  for (int y = 0; y < h; y++) {
    const LICE_pixel* s = srows.row((int)st + y) + sl;
    unsigned* out = horiz.get() + (size_t)y * w * 4;
    for (int x = 0; x < w; x++) {
      const LICE_pixel l = s[x > 0 ? x - 1 : 0], m = s[x], r = s[x + 1 < w ? x + 1 : w - 1];
      for (int ch = 0; ch < 4; ch++) out[x * 4 + ch] = tri(l, m, r, ch * 8);
    }
  }

  const int ox = (int)(dc.x - dl), oy = (int)(dc.y - dt);
  for (int y = oy; y < oy + dc.h; y++) {
    const unsigned* up = horiz.get() + (size_t)(y > 0 ? y - 1 : 0) * w * 4;
    const unsigned* mid = horiz.get() + (size_t)y * w * 4;
    const unsigned* down = horiz.get() + (size_t)(y + 1 < h ? y + 1 : h - 1) * w * 4;
    LICE_pixel* d = drows.row(dc.y + y - oy) + dc.x - ox;
    for (int x = ox; x < ox + dc.w; x++) {
      LICE_pixel p = 0;
      for (int ch = 0; ch < 4; ch++) {
        const unsigned v = up[x * 4 + ch] + 2 * mid[x * 4 + ch] + down[x * 4 + ch];
        p |= ((v + 8) >> 4) << (ch * 8);
      }
      d[x] = p;
    }
  }
}
