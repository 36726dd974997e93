#include "samples.h"

#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// x rounded to the nearest integer in the current rounding mode, as lrintf
// rounds it, without a library call.
inline int32_t RoundToInt(float x)
{
#if defined(__SSE2__)
  return _mm_cvtss_si32(_mm_set_ss(x));
#else
  return (int32_t)std::lrint(x);
#endif
}

// One sample in 16 bits: full scale is 2^15, the sample is taken at 32-bit
// precision and its low 16 bits dropped, rounding towards minus infinity.
inline int16_t ToPcm16(float v, int64_t& clipped)
{
  if (!(v < 1.f && v > -1.f)) {  // at or beyond full scale, or NaN
    if (v > 1.f || v < -1.f || v != v) ++clipped;
    return v >= 1.f ? 32767 : v <= -1.f ? -32768 : 0;
  }
  return (int16_t)(RoundToInt(v * 2147483648.f) >> 16);
}

}  // namespace

void Interleave(const float* const* src, float* dst, int channels, long frames)
{
  if (channels == 2) {
    const float* l = src[0];
    const float* r = src[1];
    for (long f = 0; f < frames; ++f) {
      dst[2 * f] = l[f];
      dst[2 * f + 1] = r[f];
    }
    return;
  }
  for (int c = 0; c < channels; ++c)
    for (long f = 0; f < frames; ++f) dst[f * channels + c] = src[c][f];
}

#if defined(__SSE2__)
namespace {

// Four samples in 16 bits as ToPcm16 maps them, in the low halves of four
// 32-bit lanes; each lane of clips counts the samples of its lane that were
// clipped. Clamping to the float just below full scale gives the same
// samples as the scalar tests, without a branch.
inline __m128i ToPcm16x4(__m128 v, __m128i& clips)
{
  const __m128 top = _mm_set1_ps(0.99999994f), bottom = _mm_set1_ps(-1.f);
  const __m128 out =
      _mm_or_ps(_mm_or_ps(_mm_cmpgt_ps(v, _mm_set1_ps(1.f)), _mm_cmplt_ps(v, bottom)), _mm_cmpunord_ps(v, v));
  clips = _mm_sub_epi32(clips, _mm_castps_si128(out));  // a set mask lane is -1
  v = _mm_and_ps(v, _mm_cmpord_ps(v, v));               // NaN to silence
  v = _mm_max_ps(_mm_min_ps(v, top), bottom);
  return _mm_srai_epi32(_mm_cvtps_epi32(_mm_mul_ps(v, _mm_set1_ps(2147483648.f))), 16);
}

// The mono and stereo cases four frames at a time; returns the frames done.
long InterleavePcm16Vector(const float* const* src, int16_t* dst, int channels, long frames, int64_t& clipped)
{
  __m128i clips = _mm_setzero_si128();
  long f = 0;
  if (channels == 1) {
    for (; f + 4 <= frames; f += 4) {
      const __m128i m = ToPcm16x4(_mm_loadu_ps(src[0] + f), clips);
      _mm_storel_epi64((__m128i*)(dst + f), _mm_packs_epi32(m, m));
    }
  } else if (channels == 2) {
    for (; f + 4 <= frames; f += 4) {
      const __m128i l = ToPcm16x4(_mm_loadu_ps(src[0] + f), clips);
      const __m128i r = ToPcm16x4(_mm_loadu_ps(src[1] + f), clips);
      _mm_storeu_si128((__m128i*)(dst + 2 * f), _mm_unpacklo_epi16(_mm_packs_epi32(l, l), _mm_packs_epi32(r, r)));
    }
  }
  alignas(16) uint32_t lanes[4];
  _mm_store_si128((__m128i*)lanes, clips);
  clipped += (int64_t)lanes[0] + lanes[1] + lanes[2] + lanes[3];
  return f;
}

}  // namespace
#endif

void InterleavePcm16(const float* const* src, int16_t* dst, int channels, long frames, int64_t& clipped)
{
  long done = 0;
#if defined(__SSE2__)
  done = InterleavePcm16Vector(src, dst, channels, frames, clipped);
#endif
  for (int c = 0; c < channels; ++c)
    for (long f = done; f < frames; ++f) dst[f * channels + c] = ToPcm16(src[c][f], clipped);
}

void ClipToFullScale(float* data, long samples, int64_t& clipped)
{
  for (long i = 0; i < samples; ++i) {
    const float v = data[i];
    if (v > 1.f || v < -1.f || v != v) {
      ++clipped;
      data[i] = v > 0.f ? 1.f : (v < 0.f ? -1.f : 0.f);
    }
  }
}
