// Circles, discs, arcs and rounded rectangles.
//
// Both circle drawers work row by row inside a clip box: for each row they work out, in closed
// form, which pixels the stepping algorithms would reach on that row, so every pixel is drawn
// once and the cost follows the clip box, not the radius.

#include <algorithm>
#include <cmath>

#include "draw.h"
#include "drawpix.h"
#include "rows.h"

namespace {
const double kPi = 3.14159265358979323846;
const double kMaxRadius = 1073741824.0;  // larger radii draw nothing

// Half-open box of drawable pixels, inside the bitmap.
struct ClipBox
{
  int64_t l, t, r, b;
};

// Combines the colour into the pixels x0..x1 (inclusive) of row y that lie inside the box.
template <class C>
void span(C comb, const LICE_Rows& rows, const ClipBox& cb, int64_t y, int64_t x0, int64_t x1, const LICE_DrawColor& c,
          int w)
{
  x0 = std::max(x0, cb.l);
  x1 = std::min(x1, cb.r - 1);
  if (x0 <= x1) LICE_DrawRun(comb, rows.row((int)y) + x0, 1, x1 - x0 + 1, c, w);
}

// Largest x >= 0 with x (x - 1) < d; -1 when d <= 0.
int64_t maxXBelow(int64_t d)
{
  if (d <= 0) return -1;
  int64_t x = (int64_t)((1.0 + std::sqrt(1.0 + 4.0 * (double)d)) * 0.5);
  while (x > 1 && x * (x - 1) >= d) x--;
  while ((x + 1) * x < d) x++;
  return x;
}

// Smallest b >= 0 with b * b >= v.
int64_t ceilSqrt(int64_t v)
{
  if (v <= 0) return 0;
  int64_t b = (int64_t)std::sqrt((double)v);
  while (b > 0 && (b - 1) * (b - 1) >= v) b--;
  while (b * b < v) b++;
  return b;
}

// Largest b >= 0 with b * b < v; -1 when v <= 0.
int64_t floorSqrtBelow(int64_t v)
{
  if (v <= 0) return -1;
  int64_t b = (int64_t)std::sqrt((double)v);
  while (b > 0 && b * b >= v) b--;
  while ((b + 1) * (b + 1) < v) b++;
  return b;
}

// The pixels |dx| = lo..hi on the row t (>= 0) rows away from the centre that the midpoint
// circle of radius R reaches (its error term starting at -R). In the first octant that circle
// keeps x(y) = the largest x with x (x - 1) < R^2 - y^2; each row holds either that octant point
// or a run of the mirrored octant's points, which join on the diagonal.
bool plainRun(int64_t R, int64_t t, int64_t& lo, int64_t& hi)
{
  if (t > R) return false;
  if (R == 0) {
    lo = hi = 0;
    return true;
  }
  const int64_t d = R * R - t * t;
  const int64_t xt = t == 0 ? R : maxXBelow(d);
  bool have = false;
  if (t <= xt) lo = hi = xt, have = true;
  const int64_t blo = ceilSqrt(d - t), bhi = std::min(floorSqrtBelow(d + t), t);
  if (blo <= bhi) {
    lo = have ? std::min(lo, blo) : blo;
    hi = have ? std::max(hi, bhi) : bhi;
    have = true;
  }
  return have;
}

template <class C>
void plainCircle(C comb, const LICE_Rows& rows, const ClipBox& cb, int64_t cx, int64_t cy, int64_t R, bool fill,
                 const LICE_DrawColor& c, int w)
{
  const int64_t y0 = std::max(cb.t, cy - R), y1 = std::min(cb.b - 1, cy + R);
  for (int64_t y = y0; y <= y1; y++) {
    int64_t lo, hi;
    if (!plainRun(R, y < cy ? cy - y : y - cy, lo, hi)) continue;
    if (fill || lo == 0)
      span(comb, rows, cb, y, cx - hi, cx + hi, c, w);
    else {
      span(comb, rows, cb, y, cx - hi, cx - lo, c, w);
      span(comb, rows, cb, y, cx + lo, cx + hi, c, w);
    }
  }
}

// The antialiased circle of real radius r. Stepping i = 0, 1, ... while i - 1 < round(s(i)),
// s(i) = sqrt(r^2 - i^2), each of the eight symmetric boundary positions at offset s(i) splits
// into the pixel just outside (weight frac s) and the one on it (the rest) or, for a disc, the
// pixels up to it filled. Index i runs along rows near the horizontal axis (family A: row i,
// column offset s) and along columns near the vertical one (family B: column i, row offset s).
struct AACircle
{
  double r, r2;
  int64_t K;  // last index of the stepping
  bool fill;

  AACircle(double radius, bool isFill) : r(radius), r2(radius * radius), K(0), fill(isFill)
  {
    K = (int64_t)(r * 0.7071067811865476);
    while (steps(K + 1)) K++;
    while (K > 0 && !steps(K)) K--;
  }
  double s(int64_t i) const { return std::sqrt(std::max(0.0, r2 - (double)i * (double)i)); }
  bool steps(int64_t i) const
  {
    return i == 0 || ((double)i * (double)i <= r2 && (double)(i - 1) < std::floor(s(i) + 0.5));
  }
  // Coverage (0..1) of the boundary pixel at offsets dx, t >= 0; the larger share where both
  // families reach the same pixel.
  double edge(int64_t dx, int64_t t) const
  {
    double best = 0.0;
    auto part = [&](int64_t along, int64_t across) {
      if (along > K) return;
      const double si = s(along), fs = std::floor(si), f = si - fs;
      if ((double)across == fs + 1.0)
        best = std::max(best, f);
      else if (!fill && (double)across == fs)
        best = std::max(best, 1.0 - f);
    };
    part(t, dx);
    part(dx, t);
    return best;
  }
  // Column offsets that may hold boundary pixels on row t: lo..hi; false when none.
  bool candidates(int64_t t, int64_t& lo, int64_t& hi) const
  {
    lo = INT64_MAX;
    hi = -1;
    if (t <= K) {
      const int64_t fs = (int64_t)std::floor(s(t));
      lo = fill ? fs + 1 : fs;
      hi = fs + 1;
    }
    // Family B reaches row t from columns whose s(i) lies in [t - 1, t + 1).
    const double vlo = r2 - (double)(t + 1) * (double)(t + 1);
    const int64_t blo = vlo < 0 ? 0 : std::max<int64_t>(0, (int64_t)std::sqrt(vlo) - 1);
    int64_t bhi = K;
    if (t > 0) {
      const double vhi = r2 - (double)(t - 1) * (double)(t - 1);
      bhi = vhi < 0 ? -1 : std::min<int64_t>(K, (int64_t)std::sqrt(vhi) + 1);
    }
    if (blo <= bhi) {
      lo = std::min(lo, blo);
      hi = std::max(hi, bhi);
    }
    return lo <= hi;
  }
};

template <class C>
void aaCircle(C comb, const LICE_Rows& rows, const ClipBox& cb, int64_t cx, int64_t cy, const AACircle& g,
              const LICE_DrawColor& c, int a)
{
  const int64_t reach = (int64_t)std::floor(g.r) + 1;
  const int64_t y0 = std::max(cb.t, cy - reach), y1 = std::min(cb.b - 1, cy + reach);
  for (int64_t y = y0; y <= y1; y++) {
    const int64_t t = y < cy ? cy - y : y - cy;
    if (g.fill && (double)t <= g.r) {
      const int64_t w = (int64_t)std::floor(g.s(t));
      span(comb, rows, cb, y, cx - w, cx + w, c, a);
    }
    int64_t lo, hi;
    if (!g.candidates(t, lo, hi)) continue;
    LICE_pixel* row = rows.row((int)y);
    auto pixel = [&](int64_t x, int64_t dx) {
      const int w = (int)(g.edge(dx, t) * a);
      if (w > 0) LICE_DrawPix(comb, row + x, c, w);
    };
    for (int64_t x = std::max(cb.l, cx + lo), xe = std::min(cb.r - 1, cx + hi); x <= xe; x++) pixel(x, x - cx);
    for (int64_t x = std::max(cb.l, cx - hi), xe = std::min(cb.r - 1, cx - std::max<int64_t>(lo, 1)); x <= xe; x++)
      pixel(x, cx - x);
  }
}

// Checks shared by the circle-based primitives; false when nothing can be drawn.
bool circleDrawable(const LICE_Rows& rows, float cx, float cy, float r, int a)
{
  if (rows.empty() || a == 0 || !(r >= 0.0f) || r > kMaxRadius || !std::isfinite(cx) || !std::isfinite(cy))
    return false;
  return !(cx + r < -2.0f || cy + r < -2.0f || cx - r > rows.width + 2.0f || cy - r > rows.height + 2.0f);
}

// The drawer's centre pixel for a coordinate.
int64_t centreOf(float v) { return (int64_t)((double)v + 0.5); }

// Draws the circle (outline or disc, plain or antialiased) inside the box.
void drawCircle(const LICE_Rows& rows, const ClipBox& cb, float cx, float cy, float r, LICE_pixel color, int a,
                int mode, bool aa, bool fill)
{
  const LICE_DrawColor c(color);
  const int64_t icx = centreOf(cx), icy = centreOf(cy);
  if (aa) {
    const AACircle g(r, fill);
    LICE_WithDrawCombiner(mode, a, LICE_DRAW_WEIGHTED,
                          [&](auto comb, int w) { aaCircle(comb, rows, cb, icx, icy, g, c, w); });
  } else {
    const int64_t R = (int64_t)((double)r + 0.5);
    LICE_WithDrawCombiner(mode, a, LICE_DRAW_HALF,
                          [&](auto comb, int w) { plainCircle(comb, rows, cb, icx, icy, R, fill, c, w); });
  }
}

// Coverage masks of the small radii, plain and antialiased.
const LICE_pixel_chan kMask15[2][16] = {
    {0, 255, 255, 0, 255, 0, 0, 255, 255, 0, 0, 255, 0, 255, 255, 0},
    {79, 255, 255, 79, 255, 15, 15, 255, 255, 15, 15, 255, 79, 255, 255, 79},
};
const LICE_pixel_chan kMask20[2][25] = {
    {0, 0, 255, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0},
    {15, 191, 255, 191, 15, 191, 209, 79, 209, 191, 255, 79, 0, 79, 255, 191, 209, 79, 209, 191, 15, 191, 255, 191, 15},
};
const LICE_pixel_chan kMask25[2][36] = {
    {0,   0, 255, 255, 0, 0,   0, 255, 0, 0, 255, 0, 255, 0, 0,   0,   0, 255,
     255, 0, 0,   0,   0, 255, 0, 255, 0, 0, 255, 0, 0,   0, 255, 255, 0, 0},
    {15,  191, 255, 255, 191, 15,  191, 209, 79, 79, 209, 191, 255, 79,  0,   0,   79,  255,
     255, 79,  0,   0,   79,  255, 191, 209, 79, 79, 209, 191, 15,  191, 255, 255, 191, 15},
};
const LICE_pixel_chan kMask30[2][49] = {
    {0, 0, 255, 255, 255, 0, 0, 0, 255, 0,   0, 0,   255, 0, 255, 0,   0, 0, 0, 0,   255, 255, 0, 0, 0,
     0, 0, 255, 255, 0,   0, 0, 0, 0,   255, 0, 255, 0,   0, 0,   255, 0, 0, 0, 255, 255, 255, 0, 0},
    {0, 143, 255, 255, 255, 143, 0, 143, 255, 97,  64,  97,  255, 143, 255, 112, 0,   0, 0,   112, 255, 255, 48,  0, 0,
     0, 48,  255, 255, 112, 0,   0, 0,   112, 255, 143, 255, 97,  64,  97,  255, 143, 0, 143, 255, 255, 255, 143, 0},
};
const LICE_pixel_chan kMask35[2][64] = {
    {0,   0,   255, 255, 255, 255, 0,   0, 0, 255, 255, 0, 0, 255, 255, 0,   255, 255, 0,   0,   0, 0,
     255, 255, 255, 0,   0,   0,   0,   0, 0, 255, 255, 0, 0, 0,   0,   0,   0,   255, 255, 255, 0, 0,
     0,   0,   255, 255, 0,   255, 255, 0, 0, 255, 255, 0, 0, 0,   255, 255, 255, 255, 0,   0},
    {0,   79,  222, 255, 255, 222, 79,  0,  79, 255, 176, 64, 64, 176, 255, 79,  222, 176, 0,   0,   0, 0,
     176, 222, 255, 64,  0,   0,   0,   0,  64, 255, 255, 64, 0,  0,   0,   0,   64,  255, 222, 176, 0, 0,
     0,   0,   176, 222, 79,  255, 176, 64, 64, 176, 255, 79, 0,  79,  222, 255, 255, 222, 79,  0},
};
const LICE_pixel_chan kMask40[2][81] = {
    {0, 0,   255, 255, 255, 255, 255, 0,   0, 0, 255, 255, 0,   0,   0,   255, 255, 0, 255, 255, 0,
     0, 0,   0,   0,   255, 255, 255, 0,   0, 0, 0,   0,   0,   0,   255, 255, 0,   0, 0,   0,   0,
     0, 0,   255, 255, 0,   0,   0,   0,   0, 0, 0,   255, 255, 255, 0,   0,   0,   0, 0,   255, 255,
     0, 255, 255, 0,   0,   0,   255, 255, 0, 0, 0,   255, 255, 255, 255, 255, 0,   0},
    {0,  31,  176, 255, 255, 255, 176, 31,  0,  31, 240, 209, 79,  64,  79,  209, 240, 31, 176, 209, 15,
     0,  0,   0,   15,  209, 176, 255, 79,  0,  0,  0,   0,   0,   79,  255, 255, 48,  0,  0,   0,   0,
     0,  48,  255, 255, 79,  0,   0,   0,   0,  0,  79,  255, 176, 209, 15,  0,   0,   0,  15,  209, 176,
     31, 240, 209, 79,  64,  79,  209, 240, 31, 0,  31,  176, 255, 255, 255, 176, 31,  0},
};

// The mask for a radius drawn from a table, or null.
const LICE_pixel_chan* smallCircleMask(float r, bool aa, int& size)
{
  const int k = aa ? 1 : 0;
  if (r == 1.5f) return size = 4, kMask15[k];
  if (r == 2.0f) return size = 5, kMask20[k];
  if (r == 2.5f) return size = 6, kMask25[k];
  if (r == 3.0f) return size = 7, kMask30[k];
  if (r == 3.5f) return size = 8, kMask35[k];
  if (r == 4.0f) return size = 9, kMask40[k];
  return nullptr;
}

ClipBox wholeBitmap(const LICE_Rows& rows) { return ClipBox{0, 0, rows.width, rows.height}; }

// Screen position of the circle point at angle t.
double arcX(float cx, float r, double t) { return cx + r * std::sin(t); }
double arcY(float cy, float r, double t) { return cy - r * std::cos(t); }
}  // namespace

void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha, int mode, bool aa)
{
  const LICE_Rows rows(dest);
  const int a = LICE_WeightOf(alpha);
  if (!circleDrawable(rows, cx, cy, r, a)) return;
  int size = 0;
  if (const LICE_pixel_chan* mask = smallCircleMask(r, aa, size)) {
    LICE_DrawGlyph(dest, (int)(cx - r), (int)(cy - r), color, mask, size, size, alpha, mode);
    return;
  }
  drawCircle(rows, wholeBitmap(rows), cx, cy, r, color, a, mode, aa, false);
}

void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha, int mode, bool aa)
{
  const LICE_Rows rows(dest);
  const int a = LICE_WeightOf(alpha);
  if (!circleDrawable(rows, cx, cy, r, a)) return;
  drawCircle(rows, wholeBitmap(rows), cx, cy, r, color, a, mode, aa, true);
}

// The arc is cut at every multiple of pi/2; each piece is drawn clipped to the box around its two
// end points, widened by a pixel and kept inside the piece's quadrant, so that no pixel of a
// neighbouring quadrant is drawn. Where two pieces of one arc meet on an axis, the axis pixels go
// to one of them only, so a translucent arc shows no darker joints.
void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, LICE_pixel color,
              float alpha, int mode, bool aa)
{
  const LICE_Rows rows(dest);
  const int a = LICE_WeightOf(alpha);
  if (!std::isfinite(minAngle) || !std::isfinite(maxAngle)) return;
  double lo = minAngle, hi = maxAngle;
  if (lo > hi) std::swap(lo, hi);
  if (hi - lo >= 2.0 * kPi) {
    LICE_Circle(dest, cx, cy, r, color, alpha, mode, aa);
    return;
  }
  if (!circleDrawable(rows, cx, cy, r, a)) return;
  if (lo >= 2.0 * kPi || lo <= -2.0 * kPi) {
    const double span = hi - lo;
    lo = std::fmod(lo, 2.0 * kPi);
    hi = lo + span;
  }
  lo += 2.0 * kPi;
  hi += 2.0 * kPi;
  // Angles within float rounding of a quarter are taken as that quarter, leaving no slivers.
  auto snap = [](double t) {
    const double k = std::floor(t / (kPi / 2) + 0.5) * (kPi / 2);
    return std::fabs(t - k) < 1e-6 ? k : t;
  };
  lo = snap(lo);
  hi = snap(hi);

  const int64_t icx = centreOf(cx), icy = centreOf(cy);
  const double q = kPi / 2.0;
  const int64_t k0 = (int64_t)std::floor(lo / q);
  for (int64_t k = k0; k < k0 + 6; k++) {
    const double a0 = std::max(lo, k * q), a1 = std::min(hi, (k + 1) * q);
    if (k > k0 && a0 >= hi) break;
    const double x0 = arcX(cx, r, a0), x1 = arcX(cx, r, a1), y0 = arcY(cy, r, a0), y1 = arcY(cy, r, a1);
    ClipBox cb{(int64_t)std::floor(std::min(x0, x1) + 0.5) - 1, (int64_t)std::floor(std::min(y0, y1) + 0.5) - 1,
               (int64_t)std::floor(std::max(x0, x1) + 0.5) + 2, (int64_t)std::floor(std::max(y0, y1) + 0.5) + 2};
    // Each piece stays in its own quadrant (axes included) ...
    switch (k & 3) {
      case 0:
        cb.l = std::max(cb.l, icx), cb.b = std::min(cb.b, icy + 1);
        break;
      case 1:
        cb.l = std::max(cb.l, icx), cb.t = std::max(cb.t, icy);
        break;
      case 2:
        cb.r = std::min(cb.r, icx + 1), cb.t = std::max(cb.t, icy);
        break;
      default:
        cb.r = std::min(cb.r, icx + 1), cb.b = std::min(cb.b, icy + 1);
        break;
    }
    // ... and where two pieces meet inside the arc, the earlier one keeps the axis pixels.
    if (a0 > lo) {
      switch (k & 3) {
        case 1:
          cb.t = std::max(cb.t, icy + 1);
          break;
        case 2:
          cb.r = std::min(cb.r, icx);
          break;
        case 3:
          cb.b = std::min(cb.b, icy);
          break;
        default:
          cb.l = std::max(cb.l, icx + 1);
          break;
      }
    }
    cb.l = std::max<int64_t>(cb.l, 0);
    cb.t = std::max<int64_t>(cb.t, 0);
    cb.r = std::min<int64_t>(cb.r, rows.width);
    cb.b = std::min<int64_t>(cb.b, rows.height);
    if (cb.l < cb.r && cb.t < cb.b) drawCircle(rows, cb, cx, cy, r, color, a, mode, aa, false);
    if (a1 >= hi) break;
  }
}

void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius, LICE_pixel color,
                    float alpha, int mode, bool aa)
{
  if (!dest) return;
  if (cornerradius > 0) {
    const double r = std::floor(std::min({(double)cornerradius, w * 0.5, h * 0.5}));
    if (r >= 2.0) {
      auto I = [](double v) { return LICE_DrawToInt(v); };
      const double l = x, t = y, rt = (double)x + w, b = (double)y + h;
      LICE_Line(dest, I(l + r), I(t), I(rt - r), I(t), color, alpha, mode, aa);
      LICE_Line(dest, I(l + r - 1), I(b), I(rt - r), I(b), color, alpha, mode, aa);
      LICE_Line(dest, I(rt), I(t + r), I(rt), I(b - r), color, alpha, mode, aa);
      LICE_Line(dest, I(l), I(t + r - 1), I(l), I(b - r), color, alpha, mode, aa);
      const float fr = (float)r;
      LICE_Arc(dest, (float)(l + r), (float)(t + r), fr, (float)(-kPi / 2), 0.0f, color, alpha, mode, aa);
      LICE_Arc(dest, (float)(rt - r), (float)(t + r), fr, 0.0f, (float)(kPi / 2), color, alpha, mode, aa);
      LICE_Arc(dest, (float)(rt - r), (float)(b - r), fr, (float)(kPi / 2), (float)kPi, color, alpha, mode, aa);
      LICE_Arc(dest, (float)(l + r), (float)(b - r), fr, (float)kPi, (float)(3 * kPi / 2), color, alpha, mode, aa);
      return;
    }
  }
  LICE_DrawRect(dest, LICE_DrawToInt(x), LICE_DrawToInt(y), LICE_DrawToInt(w), LICE_DrawToInt(h), color, alpha, mode);
}
