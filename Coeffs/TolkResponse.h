// Measures the circuit filter's frequency response by running sines through it.
#pragma once

// Gain in dB of the linear filter (before the shaper) for a sine of the given frequency, at a
// fixed control value: a fresh filter is driven until it has settled, then the sine's component
// in the output over whole periods is compared with the input's. Returns NaN when the frequency
// is not between 0 and half the sample rate or the sample rate is not positive.
double TolkGainDb(double sampleRate, double control, double frequency);
