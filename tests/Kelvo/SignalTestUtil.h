// Test signals, bit-level comparisons and the circuit's paths and qualities for the effect's tests.
#pragma once

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "Kelvo/KelvoCircuit.h"

// n frames of a stereo test signal at rate S: plucked notes whose level runs from whisper to
// far into saturation, a little noise, and a stretch of silence.
inline void TestSignal(int n, double S, unsigned seed, std::vector<double>& left, std::vector<double>& right)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  left.assign(n, 0.0);
  right.assign(n, 0.0);
  const int note = static_cast<int>(S / 4);
  for (int i = 0; i < n; ++i) {
    const int k = i / note;
    const double t = (i % note) / S;
    if (k % 5 == 4) continue;  // silence
    const double level = std::pow(10.0, (k % 7) * 0.6 - 3.0);
    const double env = level * std::exp(-8.0 * t);
    left[i] = env * (std::sin(2 * M_PI * (110.0 + 20 * k) * t) + 0.05 * noise(rng));
    right[i] = env * (std::sin(2 * M_PI * (164.8 + 30 * k) * t + 0.5) + 0.05 * noise(rng));
  }
}

// The first index where the two series differ in any bit, or -1.
inline long FirstDifference(const std::vector<double>& a, const std::vector<double>& b)
{
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0) return static_cast<long>(i);
  return -1;
}

inline bool IsPositiveZero(double v) { return v == 0.0 && !std::signbit(v); }

// The circuit's paths this processor can run.
inline std::vector<KelvoCircuit::Path> Paths()
{
  std::vector<KelvoCircuit::Path> paths;
  for (KelvoCircuit::Path p : {KelvoCircuit::kPortable, KelvoCircuit::kAvx})
    if (KelvoCircuit::Available(p)) paths.push_back(p);
  return paths;
}

inline constexpr KelvoCircuit::Quality kQualities[] = {KelvoCircuit::kStandard, KelvoCircuit::kHigh,
                                                       KelvoCircuit::kBest};
