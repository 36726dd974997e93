// Scaled blits: one-to-one delegation, mirroring, 16.16 stepping, bilinear sampling and the box
// filter for shrinking.

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "combine.h"
#include "lice.h"
#include "rows.h"
#include "sample.h"

namespace {

// a / b rounded toward minus infinity.
int64_t floorDiv(int64_t a, int64_t b)
{
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) q--;
  return q;
}

// One axis of the sampling: destination pixel i (0 <= i < n) samples source position
// pos0 + i * step (16.16), and only samples inside [lo, hi) are drawn.
struct Axis
{
  int64_t pos0 = 0, step = 0;
  int64_t lo = 0, hi = 0;
  int64_t n = 0;
  int64_t dst0 = 0;  // destination coordinate of i = 0

  // The range [i0, i1) of i whose integer sample lies in [from, to), also limited to 0..n and to
  // destinations inside 0..limit.
  void range(int64_t from, int64_t to, int limit, int64_t& i0, int64_t& i1) const
  {
    const int64_t L = from * 65536, H = to * 65536;
    if (step == 0) {
      i0 = 0;
      i1 = (pos0 >= L && pos0 < H) ? n : 0;
    } else if (step > 0) {
      i0 = -floorDiv(pos0 - L, step);
      i1 = -floorDiv(pos0 - H, step);
    } else {
      i0 = floorDiv(pos0 - H, -step) + 1;
      i1 = floorDiv(pos0 - L, -step) + 1;
    }
    if (i0 < 0) i0 = 0;
    if (i0 < -dst0) i0 = -dst0;
    if (i1 > n) i1 = n;
    if (i1 > limit - dst0) i1 = limit - dst0;
    if (i1 < i0) i1 = i0;
  }
  // The sample position of destination pixel i.
  int64_t at(int64_t i) const { return pos0 + i * step; }
};

// Sets up one axis from the destination start and size (negative size mirrors) and the source
// start and size (negative size mirrors too). False when nothing can be sampled.
bool setupAxis(Axis& ax, int dst, int dstSize, double src, double srcSize, int srcLimit)
{
  bool mirror = false;
  int64_t d0 = dst, n = dstSize;
  if (n < 0) {
    d0 += n;
    n = -n;
    mirror = true;
  }
  if (srcSize < 0) {
    src += srcSize;
    srcSize = -srcSize;
    mirror = !mirror;
  }
  if (!(std::fabs(src) < LICE_kMaxSourceCoord && srcSize < LICE_kMaxSourceCoord)) return false;
  ax.n = n;
  ax.dst0 = d0;
  ax.step = LICE_ToFixed(srcSize / (double)n);
  ax.pos0 = LICE_ToFixed(src);
  if (mirror) {
    ax.pos0 += (n - 1) * ax.step;
    ax.step = -ax.step;
  }
  ax.lo = (int64_t)std::floor(src);
  if (ax.lo < 0) ax.lo = 0;
  ax.hi = (int64_t)std::floor(src + srcSize + 0.999999);
  if (ax.hi > srcLimit) ax.hi = srcLimit;
  return ax.hi > ax.lo;
}

// Per-pixel sampling kernels for a span of one destination row.
struct KNearest
{
  static LICE_pixel get(const LICE_pixel* p, const LICE_pixel*, int, int) { return LICE_SampleNearest(p); }
};
struct KBilinear
{
  static LICE_pixel get(const LICE_pixel* p, const LICE_pixel* below, int fx, int fy)
  {
    return LICE_SampleBilinear(p, below, fx, fy);
  }
};
struct KVert
{
  static LICE_pixel get(const LICE_pixel* p, const LICE_pixel* below, int, int fy)
  {
    return LICE_SampleVert(p, below, fy);
  }
};
struct KHoriz
{
  static LICE_pixel get(const LICE_pixel* p, const LICE_pixel*, int fx, int) { return LICE_SampleHoriz(p, fx); }
};

// Draws destination pixels i0..i1 of one row from source row srow (next row nrow) with kernel K
// and combiner C.
template <class C, class K>
void span(LICE_pixel* drow, const LICE_pixel* srow, const LICE_pixel* nrow, const Axis& ax, int64_t i0, int64_t i1,
          int fy, int alpha)
{
  for (int64_t i = i0; i < i1; i++) {
    const int64_t x = ax.at(i);
    const int64_t c = x >> 16;
    const LICE_pixel p = K::get(srow + c, nrow + c, (int)(x & 0xffff), fy);
    C::doPix(reinterpret_cast<LICE_pixel_chan*>(drow + ax.dst0 + i), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p),
             LICE_GETA(p), alpha);
  }
}

// One scaled blit: both bitmaps, both axes, the drawn destination ranges and the weight.
struct Job
{
  LICE_Rows d, s;
  Axis ax, ay;
  int64_t i0, i1, j0, j1;  // drawn ranges
  int alpha;
};

// Nearest-pixel or bilinear sampling over the drawn area.
template <class C>
void sampled(const Job& job, bool filter)
{
  int64_t ie0 = 0, ie1 = 0;  // columns whose sample lies in the window's last column
  if (filter) job.ax.range(job.ax.hi - 1, job.ax.hi, job.d.width, ie0, ie1);
  // Interior columns: the drawn range less the edge range, which lies at one of its ends.
  int64_t in0 = job.i0, in1 = job.i1;
  if (ie1 > ie0) {
    if (ie0 <= in0)
      in0 = ie1 > in0 ? ie1 : in0;
    else
      in1 = ie0 < in1 ? ie0 : in1;
  }
  for (int64_t j = job.j0; j < job.j1; j++) {
    const int64_t y = job.ay.at(j);
    const int r = (int)(y >> 16);
    LICE_pixel* drow = job.d.row((int)(job.ay.dst0 + j));
    const LICE_pixel* srow = job.s.row(r);
    if (!filter) {
      span<C, KNearest>(drow, srow, srow, job.ax, job.i0, job.i1, 0, job.alpha);
      continue;
    }
    const int fy = (int)(y & 0xffff);
    if (r + 1 >= job.ay.hi) {
      span<C, KHoriz>(drow, srow, srow, job.ax, in0, in1, fy, job.alpha);
      span<C, KNearest>(drow, srow, srow, job.ax, ie0, ie1, fy, job.alpha);
    } else {
      const LICE_pixel* nrow = job.s.row(r + 1);
      span<C, KBilinear>(drow, srow, nrow, job.ax, in0, in1, fy, job.alpha);
      span<C, KVert>(drow, srow, nrow, job.ax, ie0, ie1, fy, job.alpha);
    }
  }
}

// Box filter for shrinking: each destination pixel is the mean of the (2k + 1)^2 source pixels
// around its sample that lie inside the window.
template <class C>
void boxFiltered(const Job& job, int k)
{
  for (int64_t j = job.j0; j < job.j1; j++) {
    const int64_t r = job.ay.at(j) >> 16;
    const int64_t r0 = r - k < job.ay.lo ? job.ay.lo : r - k;
    const int64_t r1 = r + k + 1 > job.ay.hi ? job.ay.hi : r + k + 1;
    LICE_pixel* drow = job.d.row((int)(job.ay.dst0 + j));
    for (int64_t i = job.i0; i < job.i1; i++) {
      const int64_t c = job.ax.at(i) >> 16;
      const int64_t c0 = c - k < job.ax.lo ? job.ax.lo : c - k;
      const int64_t c1 = c + k + 1 > job.ax.hi ? job.ax.hi : c + k + 1;
      unsigned sr = 0, sg = 0, sb = 0, sa = 0;
      for (int64_t yy = r0; yy < r1; yy++) {
        const LICE_pixel* sp = job.s.row((int)yy);
        for (int64_t xx = c0; xx < c1; xx++) {
          const LICE_pixel p = sp[xx];
          sr += LICE_GETR(p);
          sg += LICE_GETG(p);
          sb += LICE_GETB(p);
          sa += LICE_GETA(p);
        }
      }
      const unsigned n = (unsigned)((r1 - r0) * (c1 - c0));
      C::doPix(reinterpret_cast<LICE_pixel_chan*>(drow + job.ax.dst0 + i), (int)(sr / n), (int)(sg / n), (int)(sb / n),
               (int)(sa / n), job.alpha);
    }
  }
}

}  // namespace

void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float alpha, int mode)
{
  if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
  if (!std::isfinite(srcx) || !std::isfinite(srcy) || !std::isfinite(srcw) || !std::isfinite(srch)) return;
  const bool filter = (mode & LICE_BLIT_FILTER_BILINEAR) != 0;

  if (dstw > 0 && dsth > 0 && std::fabs(srcw - dstw) < 0.001 && std::fabs(srch - dsth) < 0.001) {
    const bool offGrid = srcx - std::floor(srcx) >= 0.03 || srcy - std::floor(srcy) >= 0.03;
    if (!filter || !offGrid) {
      if (!(std::fabs(srcx) < LICE_kMaxSourceCoord && std::fabs(srcy) < LICE_kMaxSourceCoord)) return;
      LICE_Blit(dest, src, dstx, dsty, (int)(srcx + 0.5f), (int)(srcy + 0.5f), dstw, dsth, alpha, mode);
      return;
    }
  }

  Job job{LICE_Rows(dest), LICE_Rows(src), {}, {}, 0, 0, 0, 0, 0};
  if (job.d.empty() || job.s.empty()) return;
  if (!setupAxis(job.ax, dstx, dstw, srcx, srcw, job.s.width)) return;
  if (!setupAxis(job.ay, dsty, dsth, srcy, srch, job.s.height)) return;
  job.ax.range(job.ax.lo, job.ax.hi, job.d.width, job.i0, job.i1);
  job.ay.range(job.ay.lo, job.ay.hi, job.d.height, job.j0, job.j1);
  if (job.i1 <= job.i0 || job.j1 <= job.j0) return;

  const int64_t dx = std::llabs(job.ax.step), dy = std::llabs(job.ay.step);
  const bool box = filter && dx >= (int64_t)(1.7 * 65536) && dy >= (int64_t)(1.7 * 65536);
  const int k = (dx > 0x30000 || dy > 0x30000) ? 2 : 1;
  const int a = LICE_WeightOf(alpha);

  if ((mode & (LICE_BLIT_USE_ALPHA | LICE_BLIT_FILTER_BILINEAR | LICE_BLIT_MODE_MASK)) == 0 && a == 128) {
    job.alpha = a;
    sampled<_LICE_CombinePixelsHalfMix>(job, false);
    return;
  }
  LICE_WithCombiner(mode, a, [&](auto combiner, int wgt) {
    job.alpha = wgt;
    if (box)
      boxFiltered<decltype(combiner)>(job, k);
    else
      sampled<decltype(combiner)>(job, filter);
  });
}
