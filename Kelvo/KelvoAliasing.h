// Measures what the signal path folds back below half the sample rate: a sine through the
// circuit at its default settings, and the strongest spectral line that is not a harmonic of it.
#pragma once

#include "Kelvo/KelvoCircuit.h"

struct KelvoAliasing
{
  double worstDb;     // the strongest non-harmonic line against the fundamental, in dB
  double worstHz;     // where it lies
  double nsPerFrame;  // processor time per stereo frame of the render
};

// Renders a sine of the given frequency and level (dBFS) on both channels through a new circuit
// of the given quality, at the given rate and GainL (OUT stays at its default), lets the control
// and the filters settle for 1.5 s, then analyses 65536 frames of channel 0 under a Kaiser
// window: every bin farther than a main lobe from DC and from every harmonic below half the rate
// counts. Returns a worst level of NaN when the frequency does not lie between 0 and a quarter
// of the rate, or the rate is not positive.
KelvoAliasing KelvoMeasureAliasing(KelvoCircuit::Quality quality, double sampleRate, double frequency, double levelDb,
                                   double gainL = 0.3);
