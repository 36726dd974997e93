// Comparing two bitmaps pixel by pixel.

#include <cstring>

#include "lice.h"
#include "rows.h"

int LICE_BitmapCmp(LICE_IBitmap* a, LICE_IBitmap* b, int* coordsOut)
{
  const LICE_Rows ra(a), rb(b);
  if (ra.width != rb.width || ra.height != rb.height) return 1;
  int x0 = ra.width, y0 = ra.height, x1 = -1, y1 = -1;
  for (int y = 0; y < ra.height; y++) {
    const LICE_pixel* pa = ra.row(y);
    const LICE_pixel* pb = rb.row(y);
    if (memcmp(pa, pb, (size_t)ra.width * sizeof(LICE_pixel)) == 0) continue;
    if (!coordsOut) return 2;
    if (y0 > y) y0 = y;
    y1 = y;
    for (int x = 0; x < ra.width; x++)
      if (pa[x] != pb[x]) {
        if (x0 > x) x0 = x;
        if (x1 < x) x1 = x;
      }
  }
  if (y1 < 0) return 0;
  coordsOut[0] = x0;
  coordsOut[1] = y0;
  coordsOut[2] = x1 + 1 - x0;
  coordsOut[3] = y1 + 1 - y0;
  return 2;
}
