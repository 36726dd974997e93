// tolk-response [sample-rate]: runs sines through the circuit filter and prints its measured
// gain in dB for a few control values and frequencies (44100 Hz unless a rate is given).
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Coeffs/TolkResponse.h"

int main(int argc, char** argv)
{
  double rate = 44100.0;
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [sample-rate]\n", argv[0]);
    return 2;
  }
  if (argc == 2) {
    char* end = nullptr;
    rate = std::strtod(argv[1], &end);
    if (end == argv[1] || *end != '\0' || !std::isfinite(rate) || rate < 8000.0 || rate > 768000.0) {
      std::fprintf(stderr, "%s: sample rate must be a number from 8000 to 768000\n", argv[0]);
      return 2;
    }
  }
  const double freqs[] = {30, 100, 300, 1000, 3000, 10000, 16000};
  const double controls[] = {0.02, 0.25, 0.5, 0.75, 0.95};
  std::printf("Circuit filter gain in dB at %g Hz (before the shaper)\n\n", rate);
  std::printf("%8s", "control");
  for (double f : freqs) {
    if (f < rate / 2) std::printf(f >= 1000 ? "%7gk" : "%8g", f >= 1000 ? f / 1000 : f);
  }
  std::printf("   Hz\n");
  for (double a : controls) {
    std::printf("%8.2f", a);
    for (double f : freqs) {
      if (f < rate / 2) std::printf("%8.2f", TolkGainDb(rate, a, f));
    }
    std::printf("\n");
  }
  return 0;
}
