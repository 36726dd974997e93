// kelvo-aliasing [--quick]: renders sines through the signal path at each render quality and
// prints the strongest spectral line that is not a harmonic of the sine, against the sine, and
// the processor time per stereo frame. Sines from 100 Hz to 10 kHz at -20 and -6 dBFS, at 44.1
// and 48 kHz, GainL at its default 0.3 and at 0.9. --quick: 1 kHz and 5 kHz at -6 dBFS only.
// Frequencies that divide the rate fold onto their own harmonics; their neighbours show it.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Kelvo/KelvoAliasing.h"

namespace {
const char* const kQualityNames[KelvoCircuit::kNumQualities] = {"standard", "high", "best"};
}

int main(int argc, char** argv)
{
  bool quick = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else {
      std::fprintf(stderr, "usage: %s [--quick]\n", argv[0]);
      return 2;
    }
  }
  const std::vector<double> freqs =
      quick ? std::vector<double>{1000, 5000}
            : std::vector<double>{100, 107, 262, 440, 1000, 1010, 1568, 2637, 3300, 5000, 7040, 10000};
  const std::vector<double> levels = quick ? std::vector<double>{-6} : std::vector<double>{-20, -6};
  const std::vector<double> gains = quick ? std::vector<double>{0.3} : std::vector<double>{0.3, 0.9};
  std::printf("Strongest non-harmonic line against the fundamental, dB (where, kHz)\n");
  double ns[KelvoCircuit::kNumQualities] = {};
  int runs = 0;
  for (double rate : {44100.0, 48000.0}) {
    for (double gainL : gains) {
      for (double level : levels) {
        std::printf("\n%.1f kHz, GainL %.2f, %g dBFS\n%8s", rate / 1000, gainL, level, "Hz");
        for (const char* name : kQualityNames) std::printf("  %18s", name);
        std::printf("\n");
        for (double f : freqs) {
          std::printf("%8g", f);
          for (int q = 0; q < KelvoCircuit::kNumQualities; ++q) {
            const KelvoAliasing a = KelvoMeasureAliasing(static_cast<KelvoCircuit::Quality>(q), rate, f, level, gainL);
            std::printf("  %8.1f (%6.2f) ", a.worstDb, a.worstHz / 1000);
            ns[q] += a.nsPerFrame;
          }
          std::printf("\n");
          ++runs;
        }
      }
    }
  }
  std::printf("\nProcessor time per stereo frame (mean over the renders above)\n");
  for (int q = 0; q < KelvoCircuit::kNumQualities; ++q) {
    std::printf("%10s  %6.1f ns  %5.2f x standard  latency %d samples\n", kQualityNames[q], ns[q] / runs, ns[q] / ns[0],
                KelvoCircuit::Latency(static_cast<KelvoCircuit::Quality>(q)));
  }
  std::printf(
      "\nA line below about -150 dB means none to be told apart: every alias of a sine\n"
      "whose frequency divides the rate lands on a harmonic (100 Hz at 44.1 kHz; 100, 1000\n"
      "Hz at 48 kHz); the neighbours 107 and 1010 Hz show what folds there.\n");
  return 0;
}
