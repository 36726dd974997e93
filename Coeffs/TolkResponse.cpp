#include "TolkResponse.h"

#include <cmath>
#include <limits>

#include "Tolk.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kSettleSeconds = 0.25;
constexpr double kMeasureSeconds = 0.25;
}  // namespace

double TolkGainDb(double sampleRate, double control, double frequency)
{
  if (!(sampleRate > 0.0) || !(frequency > 0.0) || !(frequency < sampleRate / 2.0) || !std::isfinite(sampleRate) ||
      !std::isfinite(control))
    return std::numeric_limits<double>::quiet_NaN();
  Tolk tolk;
  tolk.Calc(sampleRate, control);
  const double w = kTwoPi * frequency / sampleRate;
  const long settle = static_cast<long>(kSettleSeconds * sampleRate);
  const double periods = std::ceil(kMeasureSeconds * frequency);
  const long count = std::lround(periods * sampleRate / frequency);
  double inRe = 0.0, inIm = 0.0, outRe = 0.0, outIm = 0.0;
  for (long n = 0; n < settle + count; ++n) {
    const double x = std::sin(w * n);
    tolk.Process(x);
    if (n < settle) continue;
    const double y = tolk.State().y1;
    const double c = std::cos(w * n), s = std::sin(w * n);
    inRe += x * c;
    inIm += x * s;
    outRe += y * c;
    outIm += y * s;
  }
  return 20.0 * std::log10(std::hypot(outRe, outIm) / std::hypot(inRe, inIm));
}
