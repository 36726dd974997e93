// Trapezoid, triangle and convex polygon fills.

#include <algorithm>
#include <new>

#include "draw.h"
#include "drawpix.h"
#include "rows.h"

namespace {
const int64_t kMaxStep = (int64_t)1 << 29;  // per-row edge step limit, 16.16

// A trapezoid in 16.16 edge positions: rows y0..y1 (y1 included when `last`), left and right
// edges starting at la, ra on row y0 and moving by ls, rs per row.
struct Trap
{
  int64_t y0, y1;
  int64_t la, ls, ra, rs;
  bool last;
};

template <class C>
void fillTrap(C comb, const LICE_Rows& rows, Trap t, const LICE_DrawColor& c, int w)
{
  int64_t yEnd = t.last ? t.y1 : t.y1 - 1;
  if (yEnd >= rows.height) yEnd = rows.height - 1;
  if (t.y0 < 0) {
    t.la += t.ls * -t.y0;
    t.ra += t.rs * -t.y0;
    t.y0 = 0;
  }
  for (int64_t y = t.y0; y <= yEnd; y++, t.la += t.ls, t.ra += t.rs) {
    int64_t l = t.la >> 16, r = t.ra >> 16;
    if (l > r) std::swap(l, r);
    if (l < 0) l = 0;
    if (r >= rows.width) r = rows.width - 1;
    if (l <= r) LICE_DrawRun(comb, rows.row((int)y) + l, 1, r - l + 1, c, w);
  }
}

void drawTrap(const LICE_Rows& rows, const Trap& t, LICE_pixel color, int a, int mode)
{
  const LICE_DrawColor c(color);
  LICE_WithDrawCombiner(mode, a, LICE_DRAW_HALF | LICE_DRAW_QUARTERS,
                        [&](auto comb, int w) { fillTrap(comb, rows, t, c, w); });
}

// Per-row step of an edge moving dx over `rows` rows, 16.16, limited to +-2^29.
int64_t edgeStep(int64_t dx, int64_t nrows)
{
  if (nrows <= 0) return 0;
  return LICE_DrawClamp((dx * 65536) / nrows, -kMaxStep, kMaxStep);
}

// 16.16 position, rounded to the pixel centre, of the edge (xa, ya)-(xb, yb) on row y.
int64_t edgeAt(int64_t xa, int64_t ya, int64_t xb, int64_t yb, int64_t y)
{
  const __int128 num = (__int128)(xb - xa) * 65536 * (y - ya);
  return xa * 65536 + (int64_t)(num / (yb - ya)) + 0x8000;
}

struct Pt
{
  int64_t x, y;
};

// Positive when a lies on the smaller-x side of the line from o down to b.
__int128 cross(const Pt& o, const Pt& a, const Pt& b)
{
  return (__int128)(a.y - o.y) * (b.x - o.x) - (__int128)(a.x - o.x) * (b.y - o.y);
}

// Fills the convex hull of the points, sorted by y then x, with its left chain (smallest x) and
// right chain from the top vertex down, band by band between the chains' vertex rows. Each band
// leaves its bottom row to the next one.
void fillHull(const LICE_Rows& rows, Pt* p, int n, Pt* left, Pt* right, LICE_pixel color, int a, int mode)
{
  std::sort(p, p + n, [](const Pt& u, const Pt& v) { return u.y != v.y ? u.y < v.y : u.x < v.x; });
  if (p[0].y == p[n - 1].y) {
    const int64_t y = p[0].y;
    if (y < 0 || y >= rows.height) return;
    drawTrap(rows, Trap{y, y, p[0].x * 65536, 0, p[n - 1].x * 65536, 0, true}, color, a, mode);
    return;
  }
  int nl = 0, nr = 0;
  for (int i = 0; i < n; i++) {
    while (nl >= 2 && cross(left[nl - 2], left[nl - 1], p[i]) <= 0) nl--;
    left[nl++] = p[i];
    while (nr >= 2 && cross(right[nr - 2], right[nr - 1], p[i]) >= 0) nr--;
    right[nr++] = p[i];
  }
  const int64_t yBottom = p[n - 1].y;
  int il = 0, ir = 0;
  for (int64_t y = p[0].y; y < yBottom;) {
    while (left[il + 1].y <= y) il++;
    while (right[ir + 1].y <= y) ir++;
    const Pt &la = left[il], &lb = left[il + 1], &ra = right[ir], &rb = right[ir + 1];
    const int64_t yNext = std::min(lb.y, rb.y);
    if (yNext >= 0 && y < rows.height) {
      const Trap t{y,
                   yNext,
                   edgeAt(la.x, la.y, lb.x, lb.y, y),
                   edgeStep(lb.x - la.x, lb.y - la.y),
                   edgeAt(ra.x, ra.y, rb.x, rb.y, y),
                   edgeStep(rb.x - ra.x, rb.y - ra.y),
                   yNext == yBottom};
      drawTrap(rows, t, color, a, mode);
    }
    y = yNext;
  }
}
}  // namespace

void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, LICE_pixel color,
                        float alpha, int mode)
{
  const LICE_Rows rows(dest);
  const int a = LICE_WeightOf(alpha);
  if (rows.empty() || a == 0) return;
  if (y2 < y1) {
    std::swap(y1, y2);
    std::swap(x1a, x2a);
    std::swap(x1b, x2b);
  }
  if (std::max({x1a, x1b, x2a, x2b}) < 0 || std::min({x1a, x1b, x2a, x2b}) >= rows.width || y2 < 0 || y1 >= rows.height)
    return;
  const int64_t n = (int64_t)y2 - y1;
  const Trap t{y1,
               y2,
               (int64_t)x1a * 65536 + 0x8000,
               edgeStep((int64_t)x2a - x1a, n),
               (int64_t)x1b * 65536 + 0x8000,
               edgeStep((int64_t)x2b - x1b, n),
               true};
  drawTrap(rows, t, color, a, mode);
}

void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, LICE_pixel color,
                       float alpha, int mode)
{
  const int x[3] = {x1, x2, x3}, y[3] = {y1, y2, y3};
  LICE_FillConvexPolygon(dest, x, y, 3, color, alpha, mode);
}

void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints, LICE_pixel color, float alpha,
                            int mode)
{
  const LICE_Rows rows(dest);
  const int a = LICE_WeightOf(alpha);
  if (rows.empty() || a == 0 || !x || !y || npoints < 3) return;
  const int kLocal = 512;
  Pt local[3 * kLocal];
  Pt* buf = local;
  if (npoints > kLocal) {
    buf = new (std::nothrow) Pt[3 * (size_t)npoints];
    if (!buf) return;
  }
  for (int i = 0; i < npoints; i++) buf[i] = Pt{x[i], y[i]};
  fillHull(rows, buf, npoints, buf + npoints, buf + 2 * npoints, color, a, mode);
  if (buf != local) delete[] buf;
}
