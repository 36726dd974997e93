#pragma once
// Per-pixel combiners of the mode word, the packed fixed-fraction mixes, and the choice of
// combiner for a mode and weight. Every drawing loop is a template over these classes, so the
// inner loops hold no mode dispatch.
//
// A combiner's doPix(dest, r, g, b, a, alpha) merges the source colour (r, g, b, a; each 0..255)
// into the pixel at dest with the integer weight alpha (256 = full).

#include "lice.h"

// v limited to 0..255.
inline int LICE_Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// The integer weight of an opacity: (int)(alpha * 256), limited to -4096..4096 (16 times full, where
// every combiner's arithmetic stays within an int); NaN gives 0.
inline int LICE_WeightOf(float alpha)
{
  if (!(alpha == alpha)) return 0;
  if (alpha > 16.0f) return 4096;
  if (alpha < -16.0f) return -4096;
  return (int)(alpha * 256.0f);
}

// Half of s plus half of d, whole word at once (no rounding).
inline LICE_pixel LICE_PixelHalf(LICE_pixel d, LICE_pixel s)
{
  return ((d >> 1) & 0x7F7F7F7F) + ((s >> 1) & 0x7F7F7F7F);
}

// A quarter of s plus three quarters of d, whole word at once.
inline LICE_pixel LICE_PixelQuarter(LICE_pixel d, LICE_pixel s)
{
  return ((s >> 2) & 0x3F3F3F3F) + ((d >> 2) & 0x3F3F3F3F) + ((d >> 1) & 0x7F7F7F7F);
}

// Three quarters of s plus a quarter of d, whole word at once.
inline LICE_pixel LICE_PixelThreeQuarter(LICE_pixel d, LICE_pixel s)
{
  return ((s >> 1) & 0x7F7F7F7F) + ((s >> 2) & 0x3F3F3F3F) + ((d >> 2) & 0x3F3F3F3F);
}

// d = s on all four channels.
struct _LICE_CombinePixelsClobberNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    (void)alpha;
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)b;
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)g;
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)r;
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)a;
  }
};

// The packed half mix of the source into dest, whatever the weight.
struct _LICE_CombinePixelsHalfMix
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    (void)alpha;
    LICE_pixel* p = reinterpret_cast<LICE_pixel*>(dest);
    *p = LICE_PixelHalf(*p, LICE_RGBA(r, g, b, a));
  }
};

// The packed quarter mix of the source into dest, whatever the weight.
struct _LICE_CombinePixelsQuarterMix
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    (void)alpha;
    LICE_pixel* p = reinterpret_cast<LICE_pixel*>(dest);
    *p = LICE_PixelQuarter(*p, LICE_RGBA(r, g, b, a));
  }
};

// The packed three-quarter mix of the source into dest, whatever the weight.
struct _LICE_CombinePixelsThreeQuarterMix
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    (void)alpha;
    LICE_pixel* p = reinterpret_cast<LICE_pixel*>(dest);
    *p = LICE_PixelThreeQuarter(*p, LICE_RGBA(r, g, b, a));
  }
};

// d = s + (d - s) * (256 - alpha) / 256 on all four channels, for alpha 0..256.
struct _LICE_CombinePixelsCopyNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    const int w = 256 - alpha;
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)(b + (dest[LICE_PIXEL_B] - b) * w / 256);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)(g + (dest[LICE_PIXEL_G] - g) * w / 256);
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)(r + (dest[LICE_PIXEL_R] - r) * w / 256);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)(a + (dest[LICE_PIXEL_A] - a) * w / 256);
  }
};

// The copy rule clamped to 0..255, for weights and colours outside the usual range.
struct _LICE_CombinePixelsCopyClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    const int w = 256 - alpha;
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)LICE_Clamp255(b + (dest[LICE_PIXEL_B] - b) * w / 256);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)LICE_Clamp255(g + (dest[LICE_PIXEL_G] - g) * w / 256);
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)LICE_Clamp255(r + (dest[LICE_PIXEL_R] - r) * w / 256);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)LICE_Clamp255(a + (dest[LICE_PIXEL_A] - a) * w / 256);
  }
};

// d = clamp(d + s * alpha / 256) on all four channels.
struct _LICE_CombinePixelsAdd
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)LICE_Clamp255(dest[LICE_PIXEL_B] + b * alpha / 256);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)LICE_Clamp255(dest[LICE_PIXEL_G] + g * alpha / 256);
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)LICE_Clamp255(dest[LICE_PIXEL_R] + r * alpha / 256);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)LICE_Clamp255(dest[LICE_PIXEL_A] + a * alpha / 256);
  }
};

// With t = s * alpha / 256: d = clamp(d * 256 / (256 - t)) while t < 255, else clamp(d * 256).
struct _LICE_CombinePixelsColorDodge
{
  static inline int dodge(int d, int s, int alpha)
  {
    const int t = s * alpha / 256;
    return LICE_Clamp255(t < 255 ? d * 256 / (256 - t) : d * 256);
  }
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)dodge(dest[LICE_PIXEL_B], b, alpha);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)dodge(dest[LICE_PIXEL_G], g, alpha);
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)dodge(dest[LICE_PIXEL_R], r, alpha);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)dodge(dest[LICE_PIXEL_A], a, alpha);
  }
};

// d = ((s * alpha + (256 - alpha) * 256) * d) >> 16 on all four channels, for alpha 0..256.
struct _LICE_CombinePixelsMulNoClamp
{
  static inline int mul(int d, int s, int alpha) { return ((s * alpha + (256 - alpha) * 256) * d) >> 16; }
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)mul(dest[LICE_PIXEL_B], b, alpha);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)mul(dest[LICE_PIXEL_G], g, alpha);
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)mul(dest[LICE_PIXEL_R], r, alpha);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)mul(dest[LICE_PIXEL_A], a, alpha);
  }
};

// The multiply rule clamped to 0..255.
struct _LICE_CombinePixelsMulClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    dest[LICE_PIXEL_B] =
        (LICE_pixel_chan)LICE_Clamp255(_LICE_CombinePixelsMulNoClamp::mul(dest[LICE_PIXEL_B], b, alpha));
    dest[LICE_PIXEL_G] =
        (LICE_pixel_chan)LICE_Clamp255(_LICE_CombinePixelsMulNoClamp::mul(dest[LICE_PIXEL_G], g, alpha));
    dest[LICE_PIXEL_R] =
        (LICE_pixel_chan)LICE_Clamp255(_LICE_CombinePixelsMulNoClamp::mul(dest[LICE_PIXEL_R], r, alpha));
    dest[LICE_PIXEL_A] =
        (LICE_pixel_chan)LICE_Clamp255(_LICE_CombinePixelsMulNoClamp::mul(dest[LICE_PIXEL_A], a, alpha));
  }
};

// With k = (256 - alpha) * 128: d = clamp((((32768 - s * alpha - k) * d / 256 + s * alpha + k) * d) >> 15).
struct _LICE_CombinePixelsOverlay
{
  static inline int overlay(int d, int s, int alpha)
  {
    const int sa = s * alpha + (256 - alpha) * 128;
    return LICE_Clamp255((((32768 - sa) * d / 256 + sa) * d) >> 15);
  }
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)overlay(dest[LICE_PIXEL_B], b, alpha);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)overlay(dest[LICE_PIXEL_G], g, alpha);
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)overlay(dest[LICE_PIXEL_R], r, alpha);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)overlay(dest[LICE_PIXEL_A], a, alpha);
  }
};

// Reciprocal table for the hue/saturation/value conversion: entry i = floor(65536 / i) - 1, entry 0 = 0.
struct _LICE_RecipTable
{
  unsigned short v[256];
  constexpr _LICE_RecipTable() : v()
  {
    for (int i = 1; i < 256; i++) v[i] = (unsigned short)(65536 / i - 1);
  }
};
inline constexpr _LICE_RecipTable _LICE_recip{};

// The source colour is an adjustment of the destination's hue (red: alpha * (r + r/2 - 192) / 256
// steps of a 384-step circle), saturation (green: alpha * (g - 128) / 128) and value (blue:
// alpha * (b - 128) / 128); destination alpha becomes the source alpha. An adjustment of
// (128, 128, 128) keeps colours within a step of rounding.
struct _LICE_CombinePixelsHSVAdjust
{
  // num / den rounded up, through the reciprocal table (0 <= num, 1 <= den <= 255).
  static inline int recipDiv(int num, int den) { return (int)(((unsigned)num * _LICE_recip.v[den] + 65535u) >> 16); }

  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    const int dr = dest[LICE_PIXEL_R], dg = dest[LICE_PIXEL_G], db = dest[LICE_PIXEL_B];
    const int mx = dr > dg ? (dr > db ? dr : db) : (dg > db ? dg : db);
    const int mn = dr < dg ? (dr < db ? dr : db) : (dg < db ? dg : db);
    const int delta = mx - mn;
    int h = 0, s = 0, v = mx;
    if (delta > 0) {
      s = recipDiv(delta * 255, mx);
      // Each of the six sectors spans 64 hue steps.
      auto frac = [delta](int x) { return x >= 0 ? recipDiv(x * 64, delta) : -recipDiv(-x * 64, delta); };
      if (mx == dr)
        h = frac(dg - db);
      else if (mx == dg)
        h = 128 + frac(db - dr);
      else
        h = 256 + frac(dr - dg);
    }

    h += alpha * (r + r / 2 - 192) / 256;
    h %= 384;
    if (h < 0) h += 384;
    s = LICE_Clamp255(s + alpha * (g - 128) / 128);
    v = LICE_Clamp255(v + alpha * (b - 128) / 128);

    const int sector = h >> 6, f = h & 63;
    const int p = v * (255 - s) / 255;
    const int q = v * (255 * 64 - s * f) / (255 * 64);
    const int t = v * (255 * 64 - s * (64 - f)) / (255 * 64);
    int outR, outG, outB;
    switch (sector) {
      case 0:
        outR = v, outG = t, outB = p;
        break;
      case 1:
        outR = q, outG = v, outB = p;
        break;
      case 2:
        outR = p, outG = v, outB = t;
        break;
      case 3:
        outR = p, outG = q, outB = v;
        break;
      case 4:
        outR = t, outG = p, outB = v;
        break;
      default:
        outR = v, outG = p, outB = q;
        break;
    }
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)outR;
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)outG;
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)outB;
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)a;
  }
};

// The source-alpha weight: alpha * (sa + 1) / 256.
inline int LICE_SourceAlphaWeight(int alpha, int sa) { return alpha * (sa + 1) / 256; }

// Source alpha 0 leaves dest; else colour d = s + (d - s) * (256 - w) / 256 and alpha d = min(255, d + w)
// with the source-alpha weight w.
struct _LICE_CombinePixelsCopySourceAlphaNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    const int w = LICE_SourceAlphaWeight(alpha, a), iw = 256 - w;
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)(b + (dest[LICE_PIXEL_B] - b) * iw / 256);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)(g + (dest[LICE_PIXEL_G] - g) * iw / 256);
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)(r + (dest[LICE_PIXEL_R] - r) * iw / 256);
    const int da = dest[LICE_PIXEL_A] + w;
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)(da > 255 ? 255 : da);
  }
};

// The full-weight source-alpha copy: alpha 0 leaves dest, 255 sets the colour with alpha 255,
// else colour d = s + (d - s) * (255 - sa) / 256 and alpha d = min(255, d + sa).
struct _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    (void)alpha;
    if (a == 0) return;
    if (a == 255) {
      *reinterpret_cast<LICE_pixel*>(dest) = LICE_RGBA(r, g, b, 255);
      return;
    }
    const int iw = 255 - a;
    dest[LICE_PIXEL_B] = (LICE_pixel_chan)(b + (dest[LICE_PIXEL_B] - b) * iw / 256);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan)(g + (dest[LICE_PIXEL_G] - g) * iw / 256);
    dest[LICE_PIXEL_R] = (LICE_pixel_chan)(r + (dest[LICE_PIXEL_R] - r) * iw / 256);
    const int da = dest[LICE_PIXEL_A] + a;
    dest[LICE_PIXEL_A] = (LICE_pixel_chan)(da > 255 ? 255 : da);
  }
};

// Source alpha 0 leaves dest; else Add at the source-alpha weight (alpha channel too).
struct _LICE_CombinePixelsAddSourceAlpha
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    _LICE_CombinePixelsAdd::doPix(dest, r, g, b, a, LICE_SourceAlphaWeight(alpha, a));
  }
};

// Colour dodge at the source-alpha weight.
struct _LICE_CombinePixelsColorDodgeSourceAlpha
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    _LICE_CombinePixelsColorDodge::doPix(dest, r, g, b, a, LICE_SourceAlphaWeight(alpha, a));
  }
};

// Source alpha 0 leaves dest; else Multiply at the source-alpha weight.
struct _LICE_CombinePixelsMulSourceAlphaNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    _LICE_CombinePixelsMulNoClamp::doPix(dest, r, g, b, a, LICE_SourceAlphaWeight(alpha, a));
  }
};

// Overlay at the source-alpha weight.
struct _LICE_CombinePixelsOverlaySourceAlpha
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    _LICE_CombinePixelsOverlay::doPix(dest, r, g, b, a, LICE_SourceAlphaWeight(alpha, a));
  }
};

// HSV adjust at the source-alpha weight.
struct _LICE_CombinePixelsHSVAdjustSourceAlpha
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha)
  {
    _LICE_CombinePixelsHSVAdjust::doPix(dest, r, g, b, a, LICE_SourceAlphaWeight(alpha, a));
  }
};

// Calls f(Combiner(), weight) once with the combiner that the mode word (operation byte and
// source-alpha bit) selects at integer weight a, and returns true; returns false without calling
// f when that mode draws nothing at this weight (a = 0, a copy at a <= 0, an unknown operation).
// Copy and multiply weights are limited to 0..256, where their rules stay within 0..255.
template <class F>
inline bool LICE_WithCombiner(int mode, int a, F&& f)
{
  if (a == 0) return false;
  const bool useAlpha = (mode & LICE_BLIT_USE_ALPHA) != 0;
  switch (mode & LICE_BLIT_MODE_MASK) {
    case LICE_BLIT_MODE_COPY:
      if (a <= 0) return false;
      if (a >= 256) {
        if (useAlpha)
          f(_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp(), 256);
        else
          f(_LICE_CombinePixelsClobberNoClamp(), 256);
      } else if (useAlpha)
        f(_LICE_CombinePixelsCopySourceAlphaNoClamp(), a);
      else
        f(_LICE_CombinePixelsCopyNoClamp(), a);
      return true;
    case LICE_BLIT_MODE_ADD:
      if (useAlpha)
        f(_LICE_CombinePixelsAddSourceAlpha(), a);
      else
        f(_LICE_CombinePixelsAdd(), a);
      return true;
    case LICE_BLIT_MODE_DODGE:
      if (useAlpha)
        f(_LICE_CombinePixelsColorDodgeSourceAlpha(), a);
      else
        f(_LICE_CombinePixelsColorDodge(), a);
      return true;
    case LICE_BLIT_MODE_MUL:
      if (a < 0) return false;
      if (a > 256) a = 256;
      if (useAlpha)
        f(_LICE_CombinePixelsMulSourceAlphaNoClamp(), a);
      else
        f(_LICE_CombinePixelsMulNoClamp(), a);
      return true;
    case LICE_BLIT_MODE_OVERLAY:
      if (useAlpha)
        f(_LICE_CombinePixelsOverlaySourceAlpha(), a);
      else
        f(_LICE_CombinePixelsOverlay(), a);
      return true;
    case LICE_BLIT_MODE_HSVADJ:
      if (useAlpha)
        f(_LICE_CombinePixelsHSVAdjustSourceAlpha(), a);
      else
        f(_LICE_CombinePixelsHSVAdjust(), a);
      return true;
    default:
      return false;
  }
}
