// Pixel layouts and compositing into 32-bit bitmaps.

#include "pixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace cgi {
namespace {

// x / 255 rounded, for x in 0..65025.
inline int Div255(int x)
{
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// Source-over of a premultiplied colour onto one pixel. Destinations with an
// ignored alpha byte keep it untouched.
template <bool kDestAlpha>
inline void Over(uint8_t* p, const PixelLayout& L, int r, int g, int b, int a)
{
  if (a >= 255) {
    p[L.r] = (uint8_t)r;
    p[L.g] = (uint8_t)g;
    p[L.b] = (uint8_t)b;
    if (kDestAlpha) p[L.a] = 255;
    return;
  }
  const int ia = 255 - a;
  p[L.r] = (uint8_t)(r + Div255(p[L.r] * ia));
  p[L.g] = (uint8_t)(g + Div255(p[L.g] * ia));
  p[L.b] = (uint8_t)(b + Div255(p[L.b] * ia));
  if (kDestAlpha) p[L.a] = (uint8_t)(a + Div255(p[L.a] * ia));
}

template <bool kDestAlpha>
void CoverageLoop(const Surface& s, const PixelBox& box, const Paint& paint, const uint8_t* coverage, ptrdiff_t pitch)
{
  const PixelLayout& L = s.layout;
  for (int y = box.y0; y < box.y1; ++y) {
    uint8_t* p = s.data + (size_t)y * s.bytesPerRow + (size_t)box.x0 * 4;
    if (!coverage) {
      for (int x = box.x0; x < box.x1; ++x, p += 4) Over<kDestAlpha>(p, L, paint.r, paint.g, paint.b, paint.a);
      continue;
    }
    const uint8_t* c = coverage + (y - box.y0) * pitch;
    for (int x = box.x0; x < box.x1; ++x, p += 4, ++c) {
      if (!*c) continue;
      if (*c == 255) {
        Over<kDestAlpha>(p, L, paint.r, paint.g, paint.b, paint.a);
      } else {
        Over<kDestAlpha>(p, L, Div255(paint.r * *c), Div255(paint.g * *c), Div255(paint.b * *c), Div255(paint.a * *c));
      }
    }
  }
}

// One source pixel, premultiplied.
struct Texel
{
  int r, g, b, a;
};

template <PixelLayout::Alpha kSrc>
inline Texel Read(const uint8_t* p, const PixelLayout& L)
{
  if (kSrc == PixelLayout::kIgnored) return Texel{p[L.r], p[L.g], p[L.b], 255};
  if (kSrc == PixelLayout::kPremultiplied)
    return Texel{std::min(p[L.r], p[L.a]), std::min(p[L.g], p[L.a]), std::min(p[L.b], p[L.a]), p[L.a]};
  const int a = p[L.a];
  return Texel{Div255(p[L.r] * a), Div255(p[L.g] * a), Div255(p[L.b] * a), a};
}

inline Texel Scale(Texel t, int o) { return Texel{Div255(t.r * o), Div255(t.g * o), Div255(t.b * o), Div255(t.a * o)}; }

// Source positions of one axis: nearest index, or two indices and the
// weight (0..256) of the second, for destination positions d0..d1-1.
struct Taps
{
  std::vector<int> i0, i1, w;
};

Taps MakeTaps(int d0, int d1, double o, double step, int size, bool bilinear)
{
  Taps t;
  const int n = d1 - d0;
  t.i0.resize(n);
  if (bilinear) {
    t.i1.resize(n);
    t.w.resize(n);
  }
  for (int k = 0; k < n; ++k) {
    const double f = o + (d0 + k + 0.5) * step;
    if (!bilinear) {
      t.i0[k] = std::clamp((int)std::floor(f), 0, size - 1);
      continue;
    }
    const double g = f - 0.5;
    const int i = (int)std::floor(g);
    t.i0[k] = std::clamp(i, 0, size - 1);
    t.i1[k] = std::clamp(i + 1, 0, size - 1);
    t.w[k] = (int)std::lround((g - i) * 256);
  }
  return t;
}

inline Texel Mix(Texel a, Texel b, int w)
{
  const int iw = 256 - w;
  return Texel{(a.r * iw + b.r * w + 128) >> 8, (a.g * iw + b.g * w + 128) >> 8, (a.b * iw + b.b * w + 128) >> 8,
               (a.a * iw + b.a * w + 128) >> 8};
}

template <bool kDestAlpha, PixelLayout::Alpha kSrc>
void ImageLoop(const Surface& s, const PixelBox& box, const ImageSource& src, const Taps& tx, const Taps& ty,
               bool bilinear, int opacity)
{
  const PixelLayout& L = s.layout;
  for (int y = box.y0; y < box.y1; ++y) {
    const int ky = y - box.y0;
    const uint8_t* row0 = src.data + (size_t)ty.i0[ky] * src.bytesPerRow;
    const uint8_t* row1 = bilinear ? src.data + (size_t)ty.i1[ky] * src.bytesPerRow : row0;
    uint8_t* p = s.data + (size_t)y * s.bytesPerRow + (size_t)box.x0 * 4;
    for (int x = box.x0; x < box.x1; ++x, p += 4) {
      const int kx = x - box.x0;
      Texel t;
      if (bilinear) {
        const Texel top =
            Mix(Read<kSrc>(row0 + tx.i0[kx] * 4, src.layout), Read<kSrc>(row0 + tx.i1[kx] * 4, src.layout), tx.w[kx]);
        const Texel bottom =
            Mix(Read<kSrc>(row1 + tx.i0[kx] * 4, src.layout), Read<kSrc>(row1 + tx.i1[kx] * 4, src.layout), tx.w[kx]);
        t = Mix(top, bottom, ty.w[ky]);
      } else {
        t = Read<kSrc>(row0 + tx.i0[kx] * 4, src.layout);
      }
      if (opacity < 255) t = Scale(t, opacity);
      if (t.a) Over<kDestAlpha>(p, L, t.r, t.g, t.b, t.a);
    }
  }
}

// Unscaled copy of an opaque source whose byte order matches the
// destination: whole words, keeping (or setting) the destination alpha byte.
void CopyRows(const Surface& s, const PixelBox& box, const ImageSource& src, int sx0, int sy0)
{
  uint32_t alphaMask = 0;
  std::memset((uint8_t*)&alphaMask + s.layout.a, 0xFF, 1);
  const bool setAlpha = s.layout.alpha != PixelLayout::kIgnored;
  const int n = box.x1 - box.x0;
  for (int y = box.y0; y < box.y1; ++y) {
    uint8_t* d = s.data + (size_t)y * s.bytesPerRow + (size_t)box.x0 * 4;
    const uint8_t* r = src.data + (size_t)(sy0 + y - box.y0) * src.bytesPerRow + (size_t)sx0 * 4;
    for (int k = 0; k < n; ++k, d += 4, r += 4) {
      uint32_t dw, sw;
      std::memcpy(&dw, d, 4);
      std::memcpy(&sw, r, 4);
      dw = setAlpha ? (sw | alphaMask) : ((sw & ~alphaMask) | (dw & alphaMask));
      std::memcpy(d, &dw, 4);
    }
  }
}

}  // namespace

bool LayoutFromBitmapInfo(CGBitmapInfo info, size_t bitsPerComponent, size_t bitsPerPixel, bool forContext,
                          PixelLayout* out)
{
  if (bitsPerComponent != 8 || bitsPerPixel != 32 || (info & kCGBitmapFloatComponents)) return false;
  const uint32_t order = info & kCGBitmapByteOrderMask;
  const bool little = order == kCGBitmapByteOrder32Little;
  if (!little && order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big) return false;
  bool alphaFirst;
  PixelLayout::Alpha alpha;
  switch (info & kCGBitmapAlphaInfoMask) {
    case kCGImageAlphaPremultipliedFirst:
      alphaFirst = true;
      alpha = PixelLayout::kPremultiplied;
      break;
    case kCGImageAlphaPremultipliedLast:
      alphaFirst = false;
      alpha = PixelLayout::kPremultiplied;
      break;
    case kCGImageAlphaNoneSkipFirst:
      alphaFirst = true;
      alpha = PixelLayout::kIgnored;
      break;
    case kCGImageAlphaNoneSkipLast:
      alphaFirst = false;
      alpha = PixelLayout::kIgnored;
      break;
    case kCGImageAlphaFirst:
      alphaFirst = true;
      alpha = PixelLayout::kStraight;
      break;
    case kCGImageAlphaLast:
      alphaFirst = false;
      alpha = PixelLayout::kStraight;
      break;
    default:
      return false;
  }
  if (forContext && alpha == PixelLayout::kStraight) return false;
  // Memory order for big-endian words: A R G B (alpha first) or R G B A;
  // little-endian words reverse it.
  int a = alphaFirst ? 0 : 3, r = alphaFirst ? 1 : 0;
  if (little) {
    a = 3 - a;
    r = 3 - r;
  }
  const int step = little ? -1 : 1;
  *out = PixelLayout{r, r + step, r + 2 * step, a, alpha};
  return true;
}

PixelBox PixelBox::Intersect(const PixelBox& o) const
{
  return PixelBox{std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
}

Paint MakePaint(const double rgba[4], double opacity)
{
  const double a = std::clamp(rgba[3] * opacity, 0.0, 1.0);
  auto c = [a](double v) { return (int)std::lround(std::clamp(v, 0.0, 1.0) * a * 255); };
  return Paint{c(rgba[0]), c(rgba[1]), c(rgba[2]), (int)std::lround(a * 255)};
}

void CompositeCoverage(const Surface& s, const PixelBox& box, const Paint& paint, const uint8_t* coverage,
                       ptrdiff_t maskPitch)
{
  if (box.Empty() || paint.a == 0) return;
  if (s.layout.alpha == PixelLayout::kIgnored)
    CoverageLoop<false>(s, box, paint, coverage, maskPitch);
  else
    CoverageLoop<true>(s, box, paint, coverage, maskPitch);
}

void CompositeImage(const Surface& s, const PixelBox& box, const ImageSource& src, double ox, double sx, double oy,
                    double sy, bool bilinear, double opacity)
{
  if (box.Empty() || src.width <= 0 || src.height <= 0) return;
  const int o = (int)std::lround(std::clamp(opacity, 0.0, 1.0) * 255);
  if (o == 0) return;
  const PixelLayout& d = s.layout;
  const PixelLayout& l = src.layout;
  const double fx0 = ox + box.x0 * sx, fy0 = oy + box.y0 * sy;
  if (sx == 1 && sy == 1 && fx0 == std::floor(fx0) && fy0 == std::floor(fy0) && o == 255 &&
      l.alpha == PixelLayout::kIgnored && l.r == d.r && l.g == d.g && l.b == d.b && fx0 >= 0 && fy0 >= 0 &&
      fx0 + (box.x1 - box.x0) <= src.width && fy0 + (box.y1 - box.y0) <= src.height) {
    CopyRows(s, box, src, (int)fx0, (int)fy0);
    return;
  }
  const Taps tx = MakeTaps(box.x0, box.x1, ox, sx, src.width, bilinear);
  const Taps ty = MakeTaps(box.y0, box.y1, oy, sy, src.height, bilinear);
  using Loop = void (*)(const Surface&, const PixelBox&, const ImageSource&, const Taps&, const Taps&, bool, int);
  static const Loop kLoops[2][3] = {
      {ImageLoop<false, PixelLayout::kIgnored>, ImageLoop<false, PixelLayout::kPremultiplied>,
       ImageLoop<false, PixelLayout::kStraight>},
      {ImageLoop<true, PixelLayout::kIgnored>, ImageLoop<true, PixelLayout::kPremultiplied>,
       ImageLoop<true, PixelLayout::kStraight>}};
  kLoops[d.alpha != PixelLayout::kIgnored][l.alpha](s, box, src, tx, ty, bilinear, o);
}

}  // namespace cgi
