#include "KelvoCircuit.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Everything a render call's frame loop reads and writes.
struct Block
{
  const double* in0;
  const double* in1;
  double* out0;
  double* out1;
  int n;
  const TolkRate* rate;
  double keep;      // a, the smoother's coefficient of its state
  double step;      // (1 - a) * (1 - gainL), the rest of each smoother step
  TolkLanes gain;   // the output level in both lanes
  double control;   // the smoother's state, carried from call to call
  double control0;  // channel 0's control in the last frame
  TolkState<double>* left;
  TolkState<double>* right;
};

// Two channels' histories side by side, and back.
TOLK_INLINE TolkState<TolkLanes> Join(const TolkState<double>& l, const TolkState<double>& r)
{
  return TolkState<TolkLanes>{{l.x1, r.x1}, {l.x2, r.x2}, {l.x3, r.x3}, {l.y1, r.y1}, {l.y2, r.y2}, {l.y3, r.y3}};
}
TOLK_INLINE void Split(const TolkState<TolkLanes>& h, TolkState<double>& l, TolkState<double>& r)
{
  l = TolkState<double>{h.x1[0], h.x2[0], h.x3[0], h.y1[0], h.y2[0], h.y3[0]};
  r = TolkState<double>{h.x1[1], h.x2[1], h.x3[1], h.y1[1], h.y2[1], h.y3[1]};
}

// The controls of the frames of a chunk, channel 0 then channel 1 for each frame: the smoother
// stepped twice per frame. The lanes are built in registers (going through memory would stall
// the loop on a store-to-load forward); control0 ends as the last frame's channel-0 control.
TOLK_INLINE void Smooth(double& control, double& control0, double keep, double step, TolkLanes& A)
{
  control0 = keep * control + step;
  control = keep * control0 + step;
  A = TolkLanes{control0, control};
}
TOLK_INLINE void Smooth(double& control, double& control0, double keep, double step, TolkQuad& A)
{
  TolkLanes lo, hi;
  Smooth(control, control0, keep, step, lo);
  Smooth(control, control0, keep, step, hi);
  A = __builtin_shufflevector(lo, hi, 0, 1, 2, 3);
}

// Frame F's coefficient pair out of a chunk's lanes.
template <int F, class V>
TOLK_INLINE TolkLanes FramePair(const V& v)
{
  if constexpr (sizeof(V) == sizeof(TolkLanes)) {
    return v;
  } else {
    return __builtin_shufflevector(v, v, 2 * F, 2 * F + 1);
  }
}

// Frame F of a chunk: both channels through their filters and the shaper, then the gains.
template <int F, class V>
TOLK_INLINE void RunFrame(const TolkCoeffs<V>& c, TolkState<TolkLanes>& h, const Block& b, int s)
{
  TolkCoeffs<TolkLanes> k;
  k.b[0] = FramePair<F>(c.b[0]);
  k.b[1] = FramePair<F>(c.b[1]);
  k.b[2] = FramePair<F>(c.b[2]);
  k.b[3] = FramePair<F>(c.b[3]);
  k.a[0] = FramePair<F>(c.a[0]);
  k.a[1] = FramePair<F>(c.a[1]);
  k.a[2] = FramePair<F>(c.a[2]);
  k.a[3] = FramePair<F>(c.a[3]);
  const TolkLanes y = TolkFilter(h, k, TolkLanes{b.in0[s + F], b.in1[s + F]});
  const TolkLanes out = TolkShape(y) * b.gain * KelvoCircuit::kMakeUp;
  b.out0[s + F] = out[0];
  b.out1[s + F] = out[1];
}

// K frames from s on (m of them real: the controls of the others are formed but dropped).
template <class V, int K, size_t... F>
TOLK_INLINE void RunChunk(const TolkRateT<V>& rate, TolkState<TolkLanes>& h, Block& b, int s, int m,
                          std::index_sequence<F...>)
{
  V A;
  Smooth(b.control, b.control0, b.keep, b.step, A);
  TolkCoeffs<V> c;
  rate.Eval(A, c);
  ((F < static_cast<size_t>(m) ? RunFrame<F>(c, h, b, s) : void()), ...);
  if (m < K) {  // the smoother must not run ahead of the frames
    b.control0 = A[2 * m - 2];
    b.control = A[2 * m - 1];
  }
}

template <class V, int K>
TOLK_INLINE void RunFrames(Block& io)
{
  Block b = io;  // a private copy, so that no output store can touch what the loop reads
  const TolkRateT<V> rate(*b.rate);
  TolkState<TolkLanes> h = Join(*b.left, *b.right);
  int s = 0;
  for (; s + K <= b.n; s += K) RunChunk<V, K>(rate, h, b, s, K, std::make_index_sequence<K>());
  if (s < b.n) RunChunk<V, K>(rate, h, b, s, b.n - s, std::make_index_sequence<K>());
  Split(h, *b.left, *b.right);
  io.control = b.control;
  io.control0 = b.control0;
}

void RunPortable(Block& b) { RunFrames<TolkLanes, 1>(b); }
__attribute__((target("avx"))) void RunAvx(Block& b) { RunFrames<TolkQuad, 2>(b); }

// The frames through the filter as above, one at a time, and the filter outputs through an
// anti-aliased shaper a chunk at a time.
template <class Shaper>
TOLK_INLINE void RunSmoothFrames(Block& io, Shaper& shaper)
{
  Block b = io;
  const TolkRateT<TolkLanes> rate(*b.rate);
  TolkState<TolkLanes> h = Join(*b.left, *b.right);
  const TolkLanes gain = b.gain * KelvoCircuit::kMakeUp;
  TolkLanes chunk[Shaper::kChunk];
  for (int start = 0; start < b.n; start += Shaper::kChunk) {
    const int m = std::min(Shaper::kChunk, b.n - start);
    for (int f = 0; f < m; ++f) {
      TolkLanes A;
      Smooth(b.control, b.control0, b.keep, b.step, A);
      TolkCoeffs<TolkLanes> c;
      rate.Eval(A, c);
      chunk[f] = TolkFilter(h, c, TolkLanes{b.in0[start + f], b.in1[start + f]});
    }
    shaper.Run(chunk, m);
    for (int f = 0; f < m; ++f) {
      const TolkLanes out = chunk[f] * gain;
      b.out0[start + f] = out[0];
      b.out1[start + f] = out[1];
    }
  }
  Split(h, *b.left, *b.right);
  io.control = b.control;
  io.control0 = b.control0;
}

template <class Shaper>
void RunSmoothPortable(Block& b, Shaper& shaper)
{
  RunSmoothFrames(b, shaper);
}
template <class Shaper>
__attribute__((target("avx"))) void RunSmoothAvx(Block& b, Shaper& shaper)
{
  RunSmoothFrames(b, shaper);
}
// The frames through the path chosen; a shaper channel left holding a NaN or an infinity starts
// again from silence.
template <class Shaper>
void RunSmooth(KelvoCircuit::Path path, Block& b, Shaper& shaper)
{
  if (path == KelvoCircuit::kAvx) {
    RunSmoothAvx(b, shaper);
  } else {
    RunSmoothPortable(b, shaper);
  }
  shaper.Recover(0);
  shaper.Recover(1);
}

}  // namespace

bool KelvoCircuit::Available(Path path)
{
  switch (path) {
    case kPortable:
      return true;
    case kAvx:
      return __builtin_cpu_supports("avx");
  }
  return false;
}

KelvoCircuit::Path KelvoCircuit::Fastest() { return Available(kAvx) ? kAvx : kPortable; }

KelvoCircuit::KelvoCircuit(Path path)
    : mPath(Available(path) ? path : kPortable), mQuality(kStandard), mSmooth{1.0, 0.0}, mControl(0.0)
{
}

int KelvoCircuit::Latency(Quality quality)
{
  switch (quality) {
    case kHigh:
      return HighShaper::Latency();
    case kBest:
      return BestShaper::Latency();
    default:
      return 0;
  }
}

void KelvoCircuit::SetQuality(Quality quality)
{
  if (quality == mQuality || quality < kStandard || quality >= kNumQualities) return;
  mQuality = quality;
  mHigh.Clear();
  mBest.Clear();
}

void KelvoCircuit::SetSampleRate(double sampleRate)
{
  if (sampleRate == mRate.SampleRate()) return;
  mRate = TolkRate(sampleRate);
  const double a = std::exp((1.0 / sampleRate) * -6.283185307179586);
  mSmooth[0] = 1.0 - a;
  mSmooth[1] = a;
}

void KelvoCircuit::SetCoefficients(double control0, double control1)
{
  mRate.Eval(control0, mTolk[0].Coeffs());
  mRate.Eval(control1, mTolk[1].Coeffs());
}

void KelvoCircuit::Render(const double* const* in, double* const* out, int n, double sampleRate, double gainL,
                          double gain)
{
  if (n <= 0) return;
  if (!(sampleRate > 0.0)) {
    for (int s = 0; s < n; ++s) out[0][s] = out[1][s] = 0.0;
    return;
  }
  SetSampleRate(sampleRate);
  Block b{in[0],
          in[1],
          out[0],
          out[1],
          n,
          &mRate,
          mSmooth[1],
          mSmooth[0] * (1.0 - gainL),
          TolkLanes{gain, gain},
          mControl,
          mControl,
          &mTolk[0].State(),
          &mTolk[1].State()};
  switch (mQuality) {
    case kHigh:
      RunSmooth(mPath, b, mHigh);
      break;
    case kBest:
      RunSmooth(mPath, b, mBest);
      break;
    default:
      if (mPath == kAvx) {
        RunAvx(b);
      } else {
        RunPortable(b);
      }
      break;
  }
  mControl = b.control;
  SetCoefficients(b.control0, b.control);
  mTolk[0].Recover();
  mTolk[1].Recover();
}

void KelvoCircuit::Glide(int n, double sampleRate, double gainL)
{
  if (n <= 0 || !(sampleRate > 0.0)) return;
  SetSampleRate(sampleRate);
  const double a = mSmooth[1], step = mSmooth[0] * (1.0 - gainL);
  double control0 = mControl, control = mControl;
  for (int s = 0; s < n; ++s) {
    control0 = a * control + step;
    control = a * control0 + step;
  }
  mControl = control;
  SetCoefficients(control0, control);
}
