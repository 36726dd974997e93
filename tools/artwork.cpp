// artwork: draws the Kelvo editor's pictures -- the pedal face (bg.png), the bypass light
// (by.png, engaged and bypassed) and the three knob strips (OUT.png, SUS.png, TON.png) -- and
// writes them as PNG files into the directory given on the command line.
//
// Everything is drawn at four times its size and averaged down, so every edge is smooth. The
// knob and light frames are drawn over the very pixels of the face they cover, so each frame
// is opaque and meets the face without a seam.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Kelvo/KelvoEditor.h"
#include "raster/draw.h"
#include "raster/lice.h"
#include "raster/text.h"

namespace {

using namespace KelvoEditor;

constexpr int kScale = 4;
constexpr float kPi = 3.14159265358979f;

// Frame sizes of the pictures; the control positions are the editor's.
constexpr int kKnobSize = 62;
constexpr int kLightW = 57, kLightH = 160;
// Inside a knob frame: the centre; inside the light frame: the lamp and the footswitch.
constexpr float kKnobC = kKnobSize / 2.0f;
constexpr float kLampX = kLightW / 2.0f, kLampY = 26.0f, kStompY = 128.0f;
constexpr float kSweep = 135.0f * kPi / 180.0f;  // the pointer runs from -135 to +135 degrees

// The pedal's body on the face.
constexpr float kBoxL = 5, kBoxT = 5, kBoxR = kWidth - 5, kBoxB = kHeight - 5, kBoxRadius = 22, kBevel = 5;

struct Color
{
  float r, g, b;
};
Color Mix(Color a, Color b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Color Times(Color c, float k) { return {c.r * k, c.g * k, c.b * k}; }
Color Plus(Color c, float k) { return {c.r + k, c.g + k, c.b + k}; }
int Byte(float v) { return v <= 0 ? 0 : v >= 1 ? 255 : (int)(v * 255.0f + 0.5f); }
LICE_pixel Pack(Color c) { return LICE_RGBA(Byte(c.r), Byte(c.g), Byte(c.b), 255); }
Color Unpack(LICE_pixel p) { return {LICE_GETR(p) / 255.0f, LICE_GETG(p) / 255.0f, LICE_GETB(p) / 255.0f}; }
Color Hex(unsigned rgb) { return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f}; }
float Clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
float Smooth(float e0, float e1, float v)
{
  const float t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// The palette: burnt-orange enamel, black print, cream, black knobs.
const Color kPaint = Hex(0xc4501f), kPrint = Hex(0x1d1410), kCream = Hex(0xf3e7cc), kBackdrop = Hex(0x1a1b1d);
const Color kKnobBlack = Hex(0x1b1b1c), kSteel = Hex(0xb9bcc0), kLampRed = Hex(0xff2a14);

// Light from the upper left, in front of the panel.
struct Vec
{
  float x, y, z;
};
Vec Normal(float x, float y, float z)
{
  const float n = std::sqrt(x * x + y * y + z * z);
  return {x / n, y / n, z / n};
}
const Vec kLight = Normal(-0.45f, -0.7f, 0.55f);
const Vec kHalf = Normal(kLight.x, kLight.y, kLight.z + 1.0f);

// A surface of colour c with normal n under the light: diffuse relative to a flat face, plus a
// highlight of the given sharpness and strength.
Color Lit(Color c, Vec n, float sharpness, float shine)
{
  const float diffuse = std::max(0.0f, n.x * kLight.x + n.y * kLight.y + n.z * kLight.z) / kLight.z;
  const float spec = std::pow(std::max(0.0f, n.x * kHalf.x + n.y * kHalf.y + n.z * kHalf.z), sharpness) * shine;
  return Plus(Times(c, 0.3f + 0.7f * diffuse), spec);
}

// A normal tilted by angle a (0 = facing the viewer) toward the direction (dx, dy).
Vec Tilt(float dx, float dy, float a) { return {dx * std::sin(a), dy * std::sin(a), std::cos(a)}; }

// A picture being drawn at kScale times its final size; coordinates are final pixels.
class Layer
{
public:
  Layer(int w, int h) : mW(w), mH(h), mBm(w * kScale, h * kScale) {}
  LICE_IBitmap* Bitmap() { return &mBm; }
  int W() const { return mW; }
  int H() const { return mH; }

  // Calls f(x, y, colour) for every sample whose centre lies in the box (final pixels); f
  // changes the colour in place.
  template <class F>
  void Shade(float x0, float y0, float x1, float y1, F&& f)
  {
    const int sx0 = std::max(0, (int)std::floor(x0 * kScale)), sy0 = std::max(0, (int)std::floor(y0 * kScale));
    const int sx1 = std::min(mW * kScale, (int)std::ceil(x1 * kScale));
    const int sy1 = std::min(mH * kScale, (int)std::ceil(y1 * kScale));
    for (int sy = sy0; sy < sy1; ++sy) {
      LICE_pixel* row = mBm.getBits() + sy * mBm.getRowSpan();
      for (int sx = sx0; sx < sx1; ++sx) {
        Color c = Unpack(row[sx]);
        f((sx + 0.5f) / kScale, (sy + 0.5f) / kScale, c);
        row[sx] = Pack(c);
      }
    }
  }

  // The 4 x 4 average of the samples, at final size.
  std::unique_ptr<LICE_MemBitmap> Reduce()
  {
    auto out = std::make_unique<LICE_MemBitmap>(mW, mH);
    const int span = mBm.getRowSpan();
    for (int y = 0; y < mH; ++y) {
      for (int x = 0; x < mW; ++x) {
        unsigned r = 0, g = 0, b = 0;
        for (int j = 0; j < kScale; ++j) {
          const LICE_pixel* p = mBm.getBits() + (y * kScale + j) * span + x * kScale;
          for (int i = 0; i < kScale; ++i) {
            r += LICE_GETR(p[i]);
            g += LICE_GETG(p[i]);
            b += LICE_GETB(p[i]);
          }
        }
        constexpr unsigned n = kScale * kScale;
        out->getBits()[y * out->getRowSpan() + x] = LICE_RGBA((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n, 255);
      }
    }
    return out;
  }

  // A new layer holding the w x h area at (x, y) of this one.
  std::unique_ptr<Layer> Crop(int x, int y, int w, int h)
  {
    auto out = std::make_unique<Layer>(w, h);
    LICE_Blit(out->Bitmap(), &mBm, 0, 0, x * kScale, y * kScale, w * kScale, h * kScale, 1.0f, LICE_BLIT_MODE_COPY);
    return out;
  }

private:
  int mW, mH;
  LICE_MemBitmap mBm;
};

// Shapes in final-pixel coordinates on a bitmap drawn at `scale` samples per pixel, moved by
// (dx, dy) final pixels.
struct Pen
{
  LICE_IBitmap* bm;
  float scale;
  float dx = 0, dy = 0;

  void Disc(float cx, float cy, float r, LICE_pixel c) const
  {
    LICE_FillCircle(bm, (cx + dx) * scale, (cy + dy) * scale, r * scale, c, 1.0f, LICE_BLIT_MODE_COPY, true);
  }
  void Rect(float x, float y, float w, float h, LICE_pixel c) const
  {
    LICE_FillRect(bm, (int)std::lround((x + dx) * scale), (int)std::lround((y + dy) * scale),
                  (int)std::lround(w * scale), (int)std::lround(h * scale), c, 1.0f, LICE_BLIT_MODE_COPY);
  }
  void RoundRect(float x, float y, float w, float h, float r, LICE_pixel c) const
  {
    Rect(x + r, y, w - 2 * r, h, c);
    Rect(x, y + r, r, h - 2 * r, c);
    Rect(x + w - r, y + r, r, h - 2 * r, c);
    Disc(x + r, y + r, r, c);
    Disc(x + w - r, y + r, r, c);
    Disc(x + r, y + h - r, r, c);
    Disc(x + w - r, y + h - r, r, c);
  }
  void Polygon(const std::vector<float>& xy, LICE_pixel c) const
  {
    std::vector<int> xs, ys;
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
      xs.push_back((int)std::lround((xy[i] + dx) * scale));
      ys.push_back((int)std::lround((xy[i + 1] + dy) * scale));
    }
    LICE_FillConvexPolygon(bm, xs.data(), ys.data(), (int)xs.size(), c, 1.0f, LICE_BLIT_MODE_COPY);
  }
  // A stroke of width w with round ends.
  void Stroke(float x1, float y1, float x2, float y2, float w, LICE_pixel c) const
  {
    const float len = std::hypot(x2 - x1, y2 - y1);
    const float nx = -(y2 - y1) / len * w / 2, ny = (x2 - x1) / len * w / 2;
    Polygon({x1 + nx, y1 + ny, x2 + nx, y2 + ny, x2 - nx, y2 - ny, x1 - nx, y1 - ny}, c);
    Disc(x1, y1, w / 2, c);
    Disc(x2, y2, w / 2, c);
  }
};

Pen On(Layer& l) { return Pen{l.Bitmap(), (float)kScale}; }

// A soft shape: drawn white into a mask at final size by `shape` (a Pen on the mask), blurred
// `passes` times and then combined into the layer: darkening it (mode MUL, strength = how much
// of the light is taken at the core) or lighting it in a colour (mode ADD).
template <class F>
void Soft(Layer& l, F&& shape, int passes, float strength, int mode, Color tint = {1, 1, 1})
{
  LICE_MemBitmap mask(l.W(), l.H());
  LICE_Clear(&mask, LICE_RGBA(0, 0, 0, 255));
  shape(Pen{&mask, 1.0f});
  for (int i = 0; i < passes; ++i) LICE_Blur(&mask, &mask, 0, 0, 0, 0, l.W(), l.H());
  // Turn coverage into the combining picture: white minus shadow for MUL, tinted light for ADD.
  for (int y = 0; y < l.H(); ++y) {
    LICE_pixel* row = mask.getBits() + y * mask.getRowSpan();
    for (int x = 0; x < l.W(); ++x) {
      const float v = LICE_GETR(row[x]) / 255.0f * strength;
      row[x] = mode == LICE_BLIT_MODE_MUL ? Pack({1 - v, 1 - v, 1 - v}) : Pack(Times(tint, v));
    }
  }
  LICE_ScaledBlit(l.Bitmap(), &mask, 0, 0, l.W() * kScale, l.H() * kScale, 0, 0, (float)l.W(), (float)l.H(), 1.0f,
                  mode | LICE_BLIT_FILTER_BILINEAR);
}

// Smooth value noise: one random value per pixel, blurred, read back bilinearly.
class Grain
{
public:
  Grain(int w, int h, int passes) : mBm(w, h)
  {
    unsigned seed = 0x4b656c76u;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        seed = seed * 1664525u + 1013904223u;
        const int v = (int)(seed >> 24);
        mBm.getBits()[y * mBm.getRowSpan() + x] = LICE_RGBA(v, v, v, 255);
      }
    for (int i = 0; i < passes; ++i) LICE_Blur(&mBm, &mBm, 0, 0, 0, 0, w, h);
  }
  // About -1 .. 1 at (x, y).
  float At(float x, float y)
  {
    const int x0 = std::clamp((int)std::floor(x), 0, mBm.getWidth() - 2);
    const int y0 = std::clamp((int)std::floor(y), 0, mBm.getHeight() - 2);
    const float fx = Clamp01(x - x0), fy = Clamp01(y - y0);
    auto v = [&](int xx, int yy) { return LICE_GETR(mBm.getBits()[yy * mBm.getRowSpan() + xx]) / 127.5f - 1.0f; };
    return (v(x0, y0) * (1 - fx) + v(x0 + 1, y0) * fx) * (1 - fy) +
           (v(x0, y0 + 1) * (1 - fx) + v(x0 + 1, y0 + 1) * fx) * fy;
  }

private:
  LICE_MemBitmap mBm;
};

// Text through a cached font over a platform font of the given pixel height.
class Type
{
public:
  Type(const char* face, int size, bool bold)
  {
    mFont.SetFromHFont(
        CreateFont(size * kScale, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, face),
        LICE_FONT_FLAG_OWNS_HFONT);
  }
  // Width of the text in final pixels.
  float Width(const char* s)
  {
    RECT r = {0, 0, 0, 0};
    mFont.DrawText(nullptr, s, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return (float)(r.right - r.left) / kScale;
  }
  float Height() { return (float)mFont.GetLineHeight() / kScale; }
  // Draws the text centred on (cx, cy) with `spacing` extra pixels between letters.
  void Centred(LICE_IBitmap* bm, const char* s, float cx, float cy, float spacing, Color c)
  {
    const size_t n = strlen(s);
    std::vector<float> widths;
    float total = 0;
    for (size_t i = 0; i < n; ++i) {
      const char one[2] = {s[i], 0};
      widths.push_back(Width(one));
      total += widths.back() + (i + 1 < n ? spacing : 0);
    }
    mFont.SetTextColor(Pack(c));
    float x = cx - total / 2;
    const float top = cy - Height() / 2;
    for (size_t i = 0; i < n; ++i) {
      const char one[2] = {s[i], 0};
      RECT r = {(int)std::lround(x * kScale), (int)std::lround(top * kScale), (int)std::lround((x + 100) * kScale),
                (int)std::lround((top + 2 * Height()) * kScale)};
      mFont.DrawText(bm, one, -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
      x += widths[i] + spacing;
    }
  }

private:
  LICE_CachedFont mFont;
};

// --- the face ---

// Signed distance (negative inside) from (x, y) to the pedal's outline, and the outward direction.
float BoxDistance(float x, float y, float* nx, float* ny)
{
  const float cx = (kBoxL + kBoxR) / 2, cy = (kBoxT + kBoxB) / 2;
  const float qx = std::fabs(x - cx) - ((kBoxR - kBoxL) / 2 - kBoxRadius);
  const float qy = std::fabs(y - cy) - ((kBoxB - kBoxT) / 2 - kBoxRadius);
  const float sx = x < cx ? -1.0f : 1.0f, sy = y < cy ? -1.0f : 1.0f;
  if (qx > 0 && qy > 0) {
    const float len = std::hypot(qx, qy);
    *nx = sx * qx / len;
    *ny = sy * qy / len;
    return len - kBoxRadius;
  }
  if (qx > qy) {
    *nx = sx, *ny = 0;
  } else {
    *nx = 0, *ny = sy;
  }
  return std::max(qx, qy) - kBoxRadius;
}

// The enamelled body with its rounded rim, on the backdrop.
void DrawBody(Layer& face)
{
  On(face).Rect(0, 0, (float)kWidth, (float)kHeight, Pack(kBackdrop));
  // Its shadow on the bench, then the body.
  Soft(
      face,
      [](const Pen& p) {
        Pen q = p;
        q.dy = 4;
        q.RoundRect(kBoxL, kBoxT, kBoxR - kBoxL, kBoxB - kBoxT, kBoxRadius, LICE_RGBA(255, 255, 255, 255));
      },
      30, 0.75f, LICE_BLIT_MODE_MUL);
  Grain hammer(kWidth, kHeight, 3);
  Grain cloud(kWidth / 8, kHeight / 8, 2);
  face.Shade(0, 0, (float)kWidth, (float)kHeight, [&](float x, float y, Color& c) {
    float nx, ny;
    const float d = BoxDistance(x, y, &nx, &ny);
    if (d >= 0) return;
    // The enamel: lighter toward the top, a hammered grain and a faint cloudiness.
    const float t = y / kHeight;
    Color paint = Mix(Times(kPaint, 1.1f), Times(kPaint, 0.86f), t);
    paint = Times(paint, 1.0f + 0.05f * hammer.At(x, y) + 0.04f * cloud.At(x / 8, y / 8));
    // The rim rounds off over kBevel pixels.
    const float rim = Clamp01(-d / kBevel);
    const Vec n = Tilt(nx, ny, (1 - std::sqrt(1 - (1 - rim) * (1 - rim))) * kPi / 2 * 0.95f);
    Color lit = Lit(paint, n, 40.0f, 0.35f);
    // A broad sheen across the upper left of the face.
    const float sheen = std::exp(-((x - 90) * (x - 90) + (y - 120) * (y - 120)) / (2 * 160.0f * 160.0f));
    lit = Plus(lit, 0.05f * sheen);
    c = lit;
  });
}

// The maker's name, the product's name and the knob legends.
void DrawPrint(Layer& face)
{
  LICE_IBitmap* bm = face.Bitmap();
  // A printed keyline around the face.
  face.Shade(0, 0, (float)kWidth, (float)kHeight, [](float x, float y, Color& c) {
    float nx, ny;
    if (x > kLinkL - 4 && y > kLinkT - 4) return;  // the maker's mark interrupts it
    const float d = BoxDistance(x, y, &nx, &ny) + 13;
    c = Mix(c, kPrint, 0.85f * Clamp01(1.2f - std::fabs(d) / 0.7f));
  });
  Type small("DejaVu Sans", 11, true);
  small.Centred(bm, "Q U I L L M A R S H", kWidth / 2.0f, 38, 0.5f, kPrint);

  // Knob legends and scales.
  Type legend("DejaVu Sans", 12, true);
  const struct
  {
    Point pos;
    const char* label;
  } knobs[] = {{kOutPos, "OUT"}, {kGainLPos, "FUZZ"}};
  for (const auto& k : knobs) {
    const float cx = k.pos.x + kKnobC, cy = k.pos.y + kKnobC;
    legend.Centred(bm, k.label, cx, cy + 43, 2.5f, kPrint);
    for (int i = 0; i <= 10; ++i) {
      const float a = -kSweep + 2 * kSweep * i / 10;
      const float r0 = (i == 0 || i == 10 || i == 5) ? 26.0f : 27.0f, r1 = 30.0f;
      On(face).Stroke(cx + r0 * std::sin(a), cy - r0 * std::cos(a), cx + r1 * std::sin(a), cy - r1 * std::cos(a),
                      i % 5 == 0 ? 1.8f : 1.2f, Pack(kPrint));
    }
  }

  // The name: a slanted cream logotype with a dark keyline and a shadow, and "fuzz" under it.
  const float nameY = 246;
  Type name("DejaVu Sans", 88, true);
  LICE_MemBitmap word(kWidth * kScale, 150 * kScale);
  LICE_Clear(&word, LICE_RGBA(0, 0, 0, 255));
  name.Centred(&word, "Kelvo", kWidth / 2.0f, 75, -3.0f, {1, 1, 1});
  // Slant it: each row moves right by its height above the middle.
  LICE_MemBitmap slanted(word.getWidth(), word.getHeight());
  LICE_Clear(&slanted, LICE_RGBA(0, 0, 0, 255));
  for (int y = 0; y < word.getHeight(); ++y) {
    const int shift = (int)std::lround((word.getHeight() / 2 - y) * 0.2f);
    LICE_Blit(&slanted, &word, shift, y, 0, y, word.getWidth(), 1, 1.0f, LICE_BLIT_MODE_COPY);
  }
  auto coverage = [&](float x, float y) {
    const int sx = (int)(x * kScale), sy = (int)((y - (nameY - 75)) * kScale);
    if (sx < 0 || sy < 0 || sx >= slanted.getWidth() || sy >= slanted.getHeight()) return 0.0f;
    return LICE_GETR(slanted.getBits()[sy * slanted.getRowSpan() + sx]) / 255.0f;
  };
  // Shadow and keyline from a reduced, blurred copy of the letters.
  LICE_MemBitmap halo(kWidth, kHeight);
  LICE_Clear(&halo, LICE_RGBA(0, 0, 0, 255));
  LICE_ScaledBlit(&halo, &slanted, 0, (int)(nameY - 75), kWidth, 150, 0, 0, (float)slanted.getWidth(),
                  (float)slanted.getHeight(), 1.0f, LICE_BLIT_FILTER_BILINEAR);
  LICE_MemBitmap keyline(kWidth, kHeight);
  LICE_Copy(&keyline, &halo);
  for (int i = 0; i < 3; ++i) LICE_Blur(&keyline, &keyline, 0, 0, 0, 0, kWidth, kHeight);
  Soft(
      face, [&](const Pen& p) { LICE_Blit(p.bm, &halo, 2, 4, nullptr, 1.0f, LICE_BLIT_MODE_COPY); }, 10, 0.55f,
      LICE_BLIT_MODE_MUL);
  auto keylineAt = [&](float x, float y) {
    const int ix = std::clamp((int)x, 0, kWidth - 1), iy = std::clamp((int)y, 0, kHeight - 1);
    return LICE_GETR(keyline.getBits()[iy * keyline.getRowSpan() + ix]) / 255.0f;
  };
  face.Shade(0, nameY - 75, (float)kWidth, nameY + 75, [&](float x, float y, Color& c) {
    const float line = Smooth(0.02f, 0.25f, keylineAt(x, y));
    c = Mix(c, kPrint, line);
    const float v = coverage(x, y);
    if (v <= 0) return;
    // Cream, warmer toward the foot of the letters, with a light upper edge.
    const float t = Clamp01((y - (nameY - 32)) / 64);
    const float lift = coverage(x + 0.5f, y + 1.0f) - v;
    Color cream = Mix(Plus(kCream, 0.03f), Hex(0xf0c98a), t);
    cream = Plus(cream, -0.25f * std::max(0.0f, lift));
    c = Mix(c, cream, v);
  });
  Type fuzz("DejaVu Sans", 15, true);
  fuzz.Centred(bm, "F U Z Z", kWidth / 2.0f, nameY + 58, 2.0f, kPrint);
  On(face).Rect(kWidth / 2.0f - 110, nameY + 57, 60, 1.6f, Pack(kPrint));
  On(face).Rect(kWidth / 2.0f + 50, nameY + 57, 60, 1.6f, Pack(kPrint));
}

// The maker's mark in the lower right corner: a quill in a ring, and the maker's name.
void DrawMark(Layer& face)
{
  const Pen p = On(face);
  const float cx = 280, cy = 609;
  p.Disc(cx, cy, 8, Pack(kPrint));
  p.Disc(cx, cy, 6.6f, Pack(Times(kPaint, 0.93f)));
  // The quill: a slim vane leaning to the right, its shaft crossing the ring.
  p.Polygon(
      {cx + 4.6f, cy - 5.4f, cx + 2.4f, cy - 0.8f, cx - 1.4f, cy + 3.2f, cx - 0.6f, cy - 0.8f, cx + 1.8f, cy - 4.2f},
      Pack(kPrint));
  p.Stroke(cx + 4.6f, cy - 5.4f, cx - 4.2f, cy + 5.0f, 0.7f, Pack(kPrint));
  Type mark("DejaVu Sans", 10, true);
  mark.Centred(face.Bitmap(), "quillmarsh", 319, cy - 0.5f, 0.2f, kPrint);
}

// A knob's shadow on the face and its scale are part of the face; the knob itself is not.
void DrawKnobShadows(Layer& face)
{
  for (Point pos : {kOutPos, kGainLPos}) {
    const float cx = pos.x + kKnobC, cy = pos.y + kKnobC;
    Soft(
        face, [&](const Pen& p) { p.Disc(cx + 1.5f, cy + 3.5f, 21, LICE_RGBA(255, 255, 255, 255)); }, 14, 0.7f,
        LICE_BLIT_MODE_MUL);
    Soft(
        face, [&](const Pen& p) { p.Disc(cx + 0.5f, cy + 1, 22, LICE_RGBA(255, 255, 255, 255)); }, 2, 0.5f,
        LICE_BLIT_MODE_MUL);
  }
}

// The lamp's chrome bezel and the footswitch with its nut and washer.
void DrawSwitchHardware(Layer& face)
{
  const float lx = kBypassPos.x + kLampX, ly = kBypassPos.y + kLampY;
  const float fx = kBypassPos.x + kLampX, fy = kBypassPos.y + kStompY;
  Soft(
      face, [&](const Pen& p) { p.Disc(lx + 1, ly + 2, 10, LICE_RGBA(255, 255, 255, 255)); }, 4, 0.6f,
      LICE_BLIT_MODE_MUL);
  Soft(
      face, [&](const Pen& p) { p.Disc(fx + 1.5f, fy + 4, 28, LICE_RGBA(255, 255, 255, 255)); }, 14, 0.7f,
      LICE_BLIT_MODE_MUL);
  // Rings of turned metal: colour, radius and the height profile of each.
  face.Shade(fx - 30, fy - 30, fx + 30, fy + 30, [&](float x, float y, Color& c) {
    const float dx = x - fx, dy = y - fy, r = std::hypot(dx, dy);
    const float ux = r > 0 ? dx / r : 0, uy = r > 0 ? dy / r : 0;
    // Hexagon of the nut (flats 17.5 from the centre).
    float hex = 0;
    for (int k = 0; k < 3; ++k) {
      const float a = kPi / 6 + k * kPi / 3;
      hex = std::max(hex, std::fabs(dx * std::cos(a) + dy * std::sin(a)));
    }
    if (r < 9.5f) {  // the plunger: a polished dome
      c = Lit(Hex(0xd7dadd), Tilt(ux, uy, r / 9.5f * 1.0f), 60, 0.9f);
    } else if (r < 12.0f) {  // its collar
      c = Lit(Hex(0x8e9296), Tilt(-ux, -uy, 0.5f), 30, 0.5f);
    } else if (r < 15.5f) {  // the threaded bushing
      const float thread = 0.85f + 0.15f * std::sin(r * 8.0f);
      c = Lit(Times(Hex(0xa8acb0), thread), Tilt(ux, uy, 0.25f), 20, 0.4f);
    } else if (hex < 21.5f) {  // the nut: flat top, chamfered corners
      const float chamfer = Clamp01((r - 21.5f) / 3.0f);
      const Vec n = Tilt(ux, uy, chamfer * 0.9f + (hex > 20.5f ? 0.6f : 0));
      c = Lit(Times(kSteel, 0.95f + 0.05f * std::cos(6 * std::atan2(dy, dx))), n, 25, 0.6f);
    } else if (r < 28.5f) {  // the washer
      const float edge = Smooth(26.5f, 28.5f, r);
      c = Lit(Hex(0x7d8186), Tilt(ux, uy, 0.1f + edge * 1.1f), 18, 0.35f);
    }
  });
  // The lamp's bezel: a chrome ring around a dark socket.
  face.Shade(lx - 11, ly - 11, lx + 11, ly + 11, [&](float x, float y, Color& c) {
    const float dx = x - lx, dy = y - ly, r = std::hypot(dx, dy);
    const float ux = r > 0 ? dx / r : 0, uy = r > 0 ? dy / r : 0;
    if (r < 6.5f) {
      c = Hex(0x140504);
    } else if (r < 9.5f) {
      const float u = (r - 6.5f) / 3.0f;  // rounded: facing in, up, then out
      c = Lit(Hex(0xc9ccd0), Tilt(ux, uy, (u - 0.5f) * 2.2f), 50, 0.8f);
    }
  });
}

// --- the knob and the lamp ---

// One knob at value v (0..1) on its frame, which already holds the face below it.
void DrawKnob(Layer& frame, float v)
{
  const float a = -kSweep + 2 * kSweep * v;
  const float c0 = kKnobC;
  constexpr float kOuter = 22, kSkirt = 16.5f, kCap = 15, kInsert = 8.5f;
  frame.Shade(c0 - kOuter - 1, c0 - kOuter - 1, c0 + kOuter + 1, c0 + kOuter + 1, [&](float x, float y, Color& c) {
    const float dx = x - c0, dy = y - c0, r = std::hypot(dx, dy);
    if (r >= kOuter) return;
    const float ux = r > 0 ? dx / r : 0, uy = r > 0 ? dy / r : 0;
    const float phi = std::atan2(dx, -dy);  // clockwise from straight up, as the pointer
    if (r >= kSkirt) {
      // Knurled skirt: ridges turn with the knob, the outer edge rolls away.
      const float ridge = std::sin(36 * (phi - a));
      const float roll = Smooth(kOuter - 2.5f, kOuter, r) * 1.3f;
      Vec n = Tilt(ux, uy, roll + 0.25f);
      n.x += -uy * ridge * 0.35f;
      n.y += ux * ridge * 0.35f;
      n = Normal(n.x, n.y, n.z);
      c = Lit(kKnobBlack, n, 22, 0.28f);
    } else if (r >= kCap) {
      // The step up to the cap.
      c = Lit(kKnobBlack, Tilt(ux, uy, 0.9f), 30, 0.35f);
    } else if (r >= kInsert) {
      // The cap: a shallow dome of black plastic.
      c = Lit(Times(kKnobBlack, 1.15f), Tilt(ux, uy, r / kCap * 0.35f), 14, 0.22f);
    } else {
      // A spun aluminium insert: turning rings and the bright bands of a turned surface.
      const float bands = 0.5f + 0.5f * std::cos(2 * (std::atan2(dy, dx) - 2.3f));
      const float rings = 0.97f + 0.03f * std::sin(r * 23.0f);
      Color metal = Times(Mix(Hex(0x8a8e93), Hex(0xe4e6e8), bands), rings);
      const float lip = Smooth(kInsert - 1.0f, kInsert, r);
      c = Lit(metal, Tilt(-ux, -uy, lip * 0.7f), 40, 0.3f);
    }
  });
  // The pointer: a cream line across the cap, painted on.
  const float s = std::sin(a), co = std::cos(a);
  On(frame).Stroke(c0 + 10 * s, c0 - 10 * co, c0 + 19.5f * s, c0 - 19.5f * co, 2.6f, Pack(kCream));
}

// The lamp on its frame, lit (engaged) or dark (bypassed).
void DrawLamp(Layer& frame, bool lit)
{
  const float lx = kLampX, ly = kLampY;
  if (lit) {
    Soft(
        frame, [&](const Pen& p) { p.Disc(lx, ly, 9, LICE_RGBA(255, 255, 255, 255)); }, 50, 1.8f, LICE_BLIT_MODE_ADD,
        Hex(0xff5a28));
  }
  frame.Shade(lx - 7, ly - 7, lx + 7, ly + 7, [&](float x, float y, Color& c) {
    const float dx = x - lx, dy = y - ly, r = std::hypot(dx, dy);
    if (r >= 6.0f) return;
    const float ux = r > 0 ? dx / r : 0, uy = r > 0 ? dy / r : 0;
    const Vec n = Tilt(ux, uy, r / 6.0f * 1.1f);
    if (lit) {
      const float core = std::exp(-r * r / 8.0f);
      c = Mix(kLampRed, Hex(0xfff0c0), core * 0.8f);
      c = Plus(c, std::pow(std::max(0.0f, n.x * kHalf.x + n.y * kHalf.y + n.z * kHalf.z), 50) * 0.6f);
    } else {
      c = Lit(Hex(0x5a0e08), n, 50, 0.75f);
    }
  });
}

bool Write(const std::string& dir, const char* file, LICE_IBitmap* bm)
{
  const char* base = strrchr(file, '/');
  const std::string path = dir + "/" + (base ? base + 1 : file);
  if (!LICE_WritePNG(path.c_str(), bm, false)) {
    fprintf(stderr, "artwork: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// A strip of frames stacked top to bottom.
class Strip
{
public:
  Strip(int w, int h, int n) : mW(w), mH(h), mBm(w, h * n) {}
  void Put(int i, LICE_IBitmap* frame) { LICE_Blit(&mBm, frame, 0, i * mH, 0, 0, mW, mH, 1.0f, LICE_BLIT_MODE_COPY); }
  LICE_IBitmap* Bitmap() { return &mBm; }

private:
  int mW, mH;
  LICE_MemBitmap mBm;
};

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    fprintf(stderr, "usage: artwork DIR\n  draws bg.png, by.png, OUT.png, SUS.png and TON.png into DIR\n");
    return 2;
  }
  const std::string dir = argv[1];

  Layer face(kWidth, kHeight);
  DrawBody(face);
  DrawKnobShadows(face);
  DrawPrint(face);
  DrawMark(face);
  DrawSwitchHardware(face);
  bool ok = Write(dir, kBackground.file, face.Reduce().get());

  const struct
  {
    Picture pic;
    Point pos;
  } knobs[] = {{kOutKnob, kOutPos}, {kGainLKnob, kGainLPos}, {kGainMKnob, kGainLPos}};
  for (const auto& k : knobs) {
    Strip strip(kKnobSize, kKnobSize, k.pic.frames);
    for (int i = 0; i < k.pic.frames; ++i) {
      auto frame = face.Crop(k.pos.x, k.pos.y, kKnobSize, kKnobSize);
      DrawKnob(*frame, (float)i / (k.pic.frames - 1));
      strip.Put(i, frame->Reduce().get());
    }
    ok = Write(dir, k.pic.file, strip.Bitmap()) && ok;
  }

  // Frame 1: "Bypass" 0, the effect engaged and the lamp lit; frame 2: bypassed, lamp dark.
  Strip light(kLightW, kLightH, kBypassLight.frames);
  for (int i = 0; i < kBypassLight.frames; ++i) {
    auto frame = face.Crop(kBypassPos.x, kBypassPos.y, kLightW, kLightH);
    DrawLamp(*frame, i == 0);
    light.Put(i, frame->Reduce().get());
  }
  ok = Write(dir, kBypassLight.file, light.Bitmap()) && ok;
  return ok ? 0 : 1;
}
