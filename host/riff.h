// The built-in demo: a short power-chord riff on synthesized plucked strings.
#pragma once

#include <vector>

// Length of the demo riff in seconds.
constexpr double kRiffSeconds = 6.0;

// Synthesizes the riff at sampleRate with channels channels (1 or 2),
// interleaved, peaking at 0.5. The same arguments always give the same samples.
std::vector<float> SynthesizeRiff(int sampleRate, int channels);
