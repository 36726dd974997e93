#pragma once
// Pieces shared by the vector primitives: the choice of combiner per primitive family, the
// source colour in combiner form, and runs of pixels along a fixed pointer step.

#include <cmath>
#include <cstdint>

#include "combine.h"
#include "lice.h"

// The packed mixes a primitive family may use in copy mode.
enum {
  LICE_DRAW_HALF = 1,      // weight 128: the packed half mix
  LICE_DRAW_QUARTERS = 2,  // weights 64 and 192: the packed quarter and three-quarter mixes
  LICE_DRAW_WEIGHTED = 4,  // the drawer varies the weight per pixel: copy mode always blends
};

// A colour split into the channel arguments of a combiner.
struct LICE_DrawColor
{
  int r, g, b, a;
  explicit LICE_DrawColor(LICE_pixel c) : r(LICE_GETR(c)), g(LICE_GETG(c)), b(LICE_GETB(c)), a(LICE_GETA(c)) {}
};

// Calls f(Combiner(), weight) with the combiner a primitive uses for the operation byte of mode
// at integer weight a (the source-alpha bit is ignored), and returns true; false when nothing is
// drawn. `mixes` says which packed mixes the family has for copy mode.
template <class F>
inline bool LICE_WithDrawCombiner(int mode, int a, int mixes, F&& f)
{
  mode &= LICE_BLIT_MODE_MASK;
  if (mode == LICE_BLIT_MODE_COPY && a > 0) {
    if (mixes & LICE_DRAW_WEIGHTED) {
      f(_LICE_CombinePixelsCopyNoClamp(), a > 256 ? 256 : a);
      return true;
    }
    if (a == 128 && (mixes & LICE_DRAW_HALF)) {
      f(_LICE_CombinePixelsHalfMix(), a);
      return true;
    }
    if ((a == 64 || a == 192) && (mixes & LICE_DRAW_QUARTERS)) {
      if (a == 64)
        f(_LICE_CombinePixelsQuarterMix(), a);
      else
        f(_LICE_CombinePixelsThreeQuarterMix(), a);
      return true;
    }
  }
  return LICE_WithCombiner(mode, a, f);
}

// Combines the colour into n pixels starting at p, stepping `step` pixels each time.
template <class C>
inline void LICE_DrawRun(C, LICE_pixel* p, intptr_t step, int64_t n, const LICE_DrawColor& c, int w)
{
  for (; n > 0; n--, p += step) C::doPix(reinterpret_cast<LICE_pixel_chan*>(p), c.r, c.g, c.b, c.a, w);
}

// Combines the colour into one pixel.
template <class C>
inline void LICE_DrawPix(C, LICE_pixel* p, const LICE_DrawColor& c, int w)
{
  C::doPix(reinterpret_cast<LICE_pixel_chan*>(p), c.r, c.g, c.b, c.a, w);
}

// v limited to lo..hi, for coordinates computed in wider types.
inline int64_t LICE_DrawClamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// A finite double rounded toward zero and limited to the int range kept clear of overflow by
// one more addition of a bitmap size (about +-2^30); NaN gives 0.
inline int LICE_DrawToInt(double v)
{
  if (!(v == v)) return 0;
  if (v > 1073741824.0) return 1073741824;
  if (v < -1073741824.0) return -1073741824;
  return (int)v;
}
