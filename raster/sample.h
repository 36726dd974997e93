#pragma once
// Source sampling shared by the scaled and rotated blits: nearest pixel and the bilinear blends
// (full, and the one-axis blends used in the last column or row of a source window).
// Fractions are 16-bit (0..65535).

#include <cmath>
#include <cstdint>

#include "lice.h"

// The pixel itself.
inline LICE_pixel LICE_SampleNearest(const LICE_pixel* p) { return *p; }

// p[0] and p[1] blended horizontally by fx.
inline LICE_pixel LICE_SampleHoriz(const LICE_pixel* p, int fx)
{
  const unsigned w1 = 65536 - fx, w2 = fx;
  const LICE_pixel a = p[0], b = p[1];
  unsigned out = 0;
  for (int sh = 0; sh < 32; sh += 8) out |= ((((a >> sh) & 0xff) * w1 + ((b >> sh) & 0xff) * w2) >> 16) << sh;
  return out;
}

// *p and *below blended vertically by fy.
inline LICE_pixel LICE_SampleVert(const LICE_pixel* p, const LICE_pixel* below, int fy)
{
  const unsigned w1 = 65536 - fy, w3 = fy;
  const LICE_pixel a = *p, c = *below;
  unsigned out = 0;
  for (int sh = 0; sh < 32; sh += 8) out |= ((((a >> sh) & 0xff) * w1 + ((c >> sh) & 0xff) * w3) >> 16) << sh;
  return out;
}

// Channels blue and red of p in the low and high 32 bits; green and alpha likewise.
inline uint64_t LICE_LanesBR(LICE_pixel p) { return (p & 0xffu) | ((uint64_t)(p & 0xff0000u) << 16); }
inline uint64_t LICE_LanesGA(LICE_pixel p) { return ((p >> 8) & 0xffu) | ((uint64_t)(p >> 24) << 32); }

// The four neighbours p[0], p[1], below[0], below[1] weighted (1 - fx)(1 - fy), fx(1 - fy),
// (1 - fx)fy and fx fy in 16-bit fixed point; each channel's sum shifted right 16. Two channels
// are summed at once, one in each half of a 64-bit word (a sum stays below 2^24).
inline LICE_pixel LICE_SampleBilinear(const LICE_pixel* p, const LICE_pixel* below, int fx, int fy)
{
  const uint64_t f4 = ((unsigned)fx * (unsigned)fy) >> 16;
  const uint64_t f1 = 65536 - fx - fy + f4, f2 = fx - f4, f3 = fy - f4;
  const LICE_pixel a = p[0], b = p[1], c = below[0], d = below[1];
  const uint64_t br = LICE_LanesBR(a) * f1 + LICE_LanesBR(b) * f2 + LICE_LanesBR(c) * f3 + LICE_LanesBR(d) * f4;
  const uint64_t ga = LICE_LanesGA(a) * f1 + LICE_LanesGA(b) * f2 + LICE_LanesGA(c) * f3 + LICE_LanesGA(d) * f4;
  return (LICE_pixel)(((br >> 16) & 0xff) | ((br >> 32) & 0xff0000) | ((ga >> 8) & 0xff00) | ((ga >> 24) & 0xff000000));
}

// Largest source coordinate or size the scaled and rotated blits take (2^30); beyond it they
// draw nothing.
const double LICE_kMaxSourceCoord = 1073741824.0;

// A position in 16.16 fixed point, floor(v * 65536); v must be finite and below 2^46 in size.
inline int64_t LICE_ToFixed(double v) { return (int64_t)std::floor(v * 65536.0); }
