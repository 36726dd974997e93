#include "riff.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// One plucked string: a Karplus-Strong delay loop started with a burst of noise.
struct Pluck
{
  double start;   // seconds
  double length;  // seconds until the string is damped
  double freq;    // Hz
  bool muted;     // palm-muted: darker and shorter
  float pan;      // 0 left ... 1 right
};

// Deterministic noise so the demo is the same on every run.
struct Noise
{
  uint32_t state = 0x12345678u;
  float Next()
  {
    state = state * 1664525u + 1013904223u;
    return (float)((state >> 8) * (1.0 / 8388608.0)) - 1.f;
  }
};

void AddPluck(const Pluck& p, int sampleRate, int channels, std::vector<float>& mix, Noise& noise)
{
  const double period = sampleRate / p.freq;
  const int n = std::max(2, (int)period);
  // First-order all-pass tunes the fractional part of the period.
  const double frac = period - n;
  const double c = (1.0 - frac) / (1.0 + frac);
  std::vector<float> line(n);
  // Open strings start from white noise; a muted string from noise smoothed
  // by a one-pole low-pass, which takes the edge off its attack.
  float smooth = 0.f;
  for (float& s : line) {
    const float w = noise.Next();
    smooth += 0.3f * (w - smooth);
    s = p.muted ? 2.f * smooth : w;
  }
  const double loss = p.muted ? 0.975 : 0.9985;
  const double bright = p.muted ? 0.25 : 0.5;  // weight of the newer sample in the loop filter
  const long first = (long)(p.start * sampleRate);
  const long ring = (long)(p.length * sampleRate);
  const long fade = sampleRate / 40;
  const long total = (long)(mix.size() / channels);
  const float gains[2] = {channels == 2 ? 1.f - p.pan : 1.f, channels == 2 ? p.pan : 0.f};
  double apState = 0.0, apIn = 0.0;
  int pos = 0;
  for (long i = 0; i < ring + fade && first + i < total; ++i) {
    const int next = pos + 1 == n ? 0 : pos + 1;
    const double filtered = loss * ((1.0 - bright) * line[pos] + bright * line[next]);
    const double tuned = c * filtered + apIn - c * apState;
    apIn = filtered;
    apState = tuned;
    line[pos] = (float)tuned;
    pos = next;
    float v = (float)tuned;
    if (i >= ring) v *= 1.f - (float)(i - ring) / fade;
    for (int ch = 0; ch < channels; ++ch) mix[(first + i) * channels + ch] += v * gains[ch];
  }
}

}  // namespace

std::vector<float> SynthesizeRiff(int sampleRate, int channels)
{
  const long frames = (long)(kRiffSeconds * sampleRate);
  std::vector<float> mix((size_t)frames * channels, 0.f);
  // The riff in eighth notes at 120 bpm: root of a power chord in Hz (0 rests)
  // and whether it is palm-muted.
  static const struct
  {
    double root;
    bool muted;
  } kEighths[] = {
      {82.41, true},  {82.41, true},  {82.41, true},   {82.41, false}, {82.41, true},  {82.41, true},
      {98.00, false}, {110.0, false}, {82.41, true},   {82.41, true},  {82.41, true},  {82.41, false},
      {82.41, true},  {82.41, true},  {116.54, false}, {110.0, false}, {82.41, true},  {82.41, true},
      {82.41, true},  {82.41, true},  {73.42, false},  {0, false},     {82.41, false}, {0, false},
  };
  const size_t kCount = sizeof(kEighths) / sizeof(kEighths[0]);
  const double eighth = 0.25;
  Noise noise;
  for (size_t k = 0; k < kCount; ++k) {
    const double root = kEighths[k].root;
    if (root == 0) continue;
    const bool muted = kEighths[k].muted;
    // Open chords ring on through following rests, the last one to the end.
    double length = muted ? eighth * 0.8 : eighth;
    size_t j = k + 1;
    while (!muted && j < kCount && kEighths[j].root == 0) length += eighth, ++j;
    if (!muted && j == kCount) length = kRiffSeconds - k * eighth - 0.05;
    // Root, fifth and octave, strummed downwards with a few milliseconds apart.
    const double strings[3] = {root, root * 1.4983, root * 2.0};
    const float pans[3] = {0.3f, 0.7f, 0.5f};
    for (int s = 0; s < 3; ++s)
      AddPluck({k * eighth + s * 0.008, length, strings[s], muted, pans[s]}, sampleRate, channels, mix, noise);
  }
  float peak = 0.f;
  for (float v : mix) peak = std::max(peak, std::fabs(v));
  if (peak > 0.f)
    for (float& v : mix) v *= 0.5f / peak;
  return mix;
}
