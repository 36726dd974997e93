// Two channels side by side in one register: every operation works lane by lane with the same
// rounding as on a single double, so a pair of channels gives the bits of two separate runs.
#pragma once

typedef double TolkLanes __attribute__((vector_size(2 * sizeof(double))));

// Lane i of a value; a double has a single lane.
inline double TolkLane(double v, int) { return v; }
inline double TolkLane(TolkLanes v, int i) { return v[i]; }

// True when every lane is a finite number.
inline bool TolkAllFinite(double v) { return v - v == 0.0; }
inline bool TolkAllFinite(TolkLanes v) {
  const TolkLanes d = v - v;
  return d[0] == 0.0 && d[1] == 0.0;
}
