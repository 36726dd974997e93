// The effect's stereo signal path: one control smoother shared by both channels and stepped
// twice per frame, a circuit model per channel whose coefficients follow the smoothed control
// every frame, then the output level and a fixed +25 dB make-up gain.
#pragma once

#include "Coeffs/Tolk.h"
#include "Kelvo/KelvoOversampler.h"

class KelvoCircuit
{
public:
  // How the frames are computed; every path gives the same bits.
  enum Path {
    kPortable,  // one frame at a time, both channels side by side
    kAvx,       // the coefficients of two frames at a time (needs AVX)
  };
  // Whether this processor can run a path.
  static bool Available(Path path);
  // The quickest path this processor can run.
  static Path Fastest();

  // How the shaper meets the host's rate. Every quality runs the same filter and smoother, bit
  // for bit; the anti-aliased ones shape each filter output through the curve's
  // antiderivatives (the best one at four times the rate, brought back down), some samples
  // late.
  enum Quality {
    kStandard,  // the shaper at the host's rate: the circuit as it always sounded, no delay
    kHigh,      // the host's rate, second-order antiderivatives: one sample late
    kBest,      // four times the rate, second-order antiderivatives: five samples late
    kNumQualities
  };
  using HighShaper = KelvoOversampler<1, 2>;
  using BestShaper = KelvoOversampler<4, 2>;
  // The delay a quality adds, in whole samples at the host's rate.
  static int Latency(Quality quality);

  // Smoother coefficients (1 - a, a) = (1, 0), control 0, both channels zeroed, standard
  // quality.
  explicit KelvoCircuit(Path path = Fastest());

  // Chooses the quality of the following renders. A new anti-aliased quality starts from
  // silence (its delay line empty); the filter and the control carry on. Not for the audio
  // thread while it renders (the instance mutex keeps them apart).
  void SetQuality(Quality quality);
  Quality GetQuality() const { return mQuality; }

  // Runs n frames from in[0], in[1] into out[0], out[1] (outputs may be the inputs) at the given
  // sample rate, with the control gliding toward 1 - gainL and the shaped signal scaled by gain
  // and the make-up gain. A channel left holding a NaN or infinity (a non-finite input came in)
  // starts again from silence at the end of the call. Nothing happens for n <= 0; with a sample
  // rate that is not positive the outputs are zeroed and nothing else changes.
  void Render(const double* const* in, double* const* out, int n, double sampleRate, double gainL, double gain);

  // Moves the control and both channels' coefficients on by n frames as Render would, without
  // running any sample through the circuit (the effect is bypassed). Same rate rules as Render.
  void Glide(int n, double sampleRate, double gainL);

  // The control after the latest frame (channel 1's; channel 0's is one step behind).
  double Control() const { return mControl; }
  // The smoother's coefficient pair (1 - a, a).
  double SmoothFrom() const { return mSmooth[0]; }
  double SmoothKeep() const { return mSmooth[1]; }
  // The circuit model of channel 0 or 1.
  const Tolk& Channel(int c) const { return mTolk[c]; }
  Path GetPath() const { return mPath; }

  // The fixed make-up gain, 10^(25/20).
  static constexpr double kMakeUp = 17.78279410038923;

private:
  // Forms the rate's products and the smoother coefficient when the rate has changed.
  void SetSampleRate(double sampleRate);
  // Leaves both channels with the coefficients of their controls in the last frame.
  void SetCoefficients(double control0, double control1);

  Path mPath;
  Quality mQuality;
  HighShaper mHigh;
  BestShaper mBest;
  double mSmooth[2];  // (1 - a, a)
  double mControl;
  Tolk mTolk[2];
  TolkRate mRate;
};
