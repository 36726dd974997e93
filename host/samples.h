// Moving samples between a sound file's interleaved frames and the one array
// per channel the plug-in renders, converting 16-bit PCM on the way.
#pragma once

#include <cstdint>

// Splits frames interleaved frames of channels samples into one array per
// channel, each sample multiplied by scale (1 keeps floats exactly as they are).
template <typename T>
void Deinterleave(const T* src, float* const* dst, int channels, long frames, float scale)
{
  if (channels == 2) {  // the common case, without the per-sample channel loop
    float* l = dst[0];
    float* r = dst[1];
    for (long f = 0; f < frames; ++f) {
      l[f] = (float)src[2 * f] * scale;
      r[f] = (float)src[2 * f + 1] * scale;
    }
    return;
  }
  for (int c = 0; c < channels; ++c)
    for (long f = 0; f < frames; ++f) dst[c][f] = (float)src[f * channels + c] * scale;
}

// Joins one array per channel into frames interleaved frames.
void Interleave(const float* const* src, float* dst, int channels, long frames);

// The scale from a 16-bit sample to a float, full scale being 1.
constexpr float kPcm16ToFloat = 1.f / 32768.f;

// The 16-bit samples for frames frames of one array per channel, interleaved.
// Samples beyond full scale are clipped and NaN is written as silence; each
// one of them adds one to clipped. A sample maps as libsndfile's clipping
// float writer maps it, so both ways of writing give the same file.
void InterleavePcm16(const float* const* src, int16_t* dst, int channels, long frames, int64_t& clipped);

// Clips samples samples of data in place to full scale, NaN to silence,
// adding one to clipped for each sample changed.
void ClipToFullScale(float* data, long samples, int64_t& clipped);
