#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "Coeffs/Elliptic.h"
#include "Coeffs/Halfband.h"

namespace {

// The amplitude and phase of a settled sine of frequency f (a fraction of the rate) in a series.
std::complex<double> Component(const std::vector<double>& x, double f, size_t from)
{
  std::complex<double> sum = 0.0;
  for (size_t n = from; n < x.size(); ++n) sum += x[n] * std::polar(1.0, -2.0 * M_PI * f * n);
  return sum * (2.0 / (x.size() - from));
}

struct HalfbandCase
{
  int count;
  double transition, stopDb;  // the worst stopband gain the design must reach
};

TEST(Halfband, DesignsReachTheirStopbandAndKeepThePassbandFlat)
{
  const HalfbandCase cases[] = {
      {4, 0.125, -116}, {6, 0.01, -61}, {8, 0.01, -81}, {10, 0.01, -102}, {2, 0.1, -52},
  };
  for (const HalfbandCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " coefficients, transition " << c.transition);
    const HalfbandDesign d(c.count, c.transition);
    ASSERT_EQ(d.Count(), c.count);
    for (int i = 0; i < c.count; ++i) {
      EXPECT_GT(d.Coeff(i), 0.0);
      EXPECT_LT(d.Coeff(i), 1.0);
    }
    double stop = -400, pass = 0;
    for (double f = 0.25 + c.transition; f < 0.5; f += 1e-4) stop = std::max(stop, d.GainDb(f));
    for (double f = 0.0; f <= 0.25 - c.transition; f += 1e-4) pass = std::min(pass, d.GainDb(f));
    EXPECT_LT(stop, c.stopDb);
    EXPECT_GT(pass, -0.05);
    EXPECT_NEAR(d.GainDb(0.25), -3.0103, 0.01);  // power complementary at the centre
    EXPECT_GT(d.DelayAtDc(), 0.5);
    EXPECT_LT(d.DelayAtDc(), 10.0);
  }
}

TEST(Halfband, UpThenDownKeepsASineAndDelaysItByTheDesignsDelay)
{
  // Channel 0 a sine well inside the passband, channel 1 silent: up and down give the sine back
  // at full level, as late as the design says: the design's delay at twice the rate, twice,
  // less the half sample by which the later sample of each pair, which the output stands for,
  // follows the earlier.
  {
    const HalfbandDesign d(10, 0.01);
    HalfbandPair<10> up, down;
    up.Set(d);
    down.Set(d);
    const double f = 0.01;  // of the lower rate
    const int n = 8000;
    std::vector<TolkLanes> in(n), high(2 * n), out(n);
    for (int s = 0; s < n; ++s) in[s] = TolkLanes{std::sin(2 * M_PI * f * s), 0.0};
    for (int s = 0; s < n; s += 37) {  // blocks of any length give the same
      const int m = std::min(37, n - s);
      up.Up(&in[s], &high[2 * s], m);
      down.Down(&high[2 * s], &out[s], m);
    }
    std::vector<double> x(n), y(n);
    for (int s = 0; s < n; ++s) x[s] = in[s][0], y[s] = out[s][0];
    const std::complex<double> a = Component(x, f, 2000), b = Component(y, f, 2000);
    EXPECT_NEAR(std::abs(b) / std::abs(a), 1.0, 1e-6);
    const double delay = -std::arg(b / a) / (2 * M_PI * f);
    EXPECT_NEAR(delay, d.DelayAtDc() - 0.5, 0.02);
    for (int s = 0; s < n; ++s) ASSERT_EQ(out[s][1], 0.0);
    EXPECT_TRUE(up.Finite(0) && down.Finite(1));
  }
}

TEST(Halfband, ANonFiniteSampleIsClearedFromItsChannelOnly)
{
  HalfbandPair<4> p;
  p.Set(HalfbandDesign(4, 0.125));
  const TolkLanes in[2] = {{NAN, 1.0}, {0.5, 0.5}};
  TolkLanes out[4];
  p.Up(in, out, 2);
  EXPECT_FALSE(p.Finite(0));
  EXPECT_TRUE(p.Finite(1));
  p.Clear(0);
  EXPECT_TRUE(p.Finite(0));
  EXPECT_NE(p.later.state[0][1], 0.0);  // the other channel kept its history
}

struct EllipticCase
{
  int order;
  double pass, stop, ripple, atLeastDb;
};

TEST(Elliptic, DesignsMeetTheirEdgesAndPredictTheirStopband)
{
  const EllipticCase cases[] = {
      {11, 20000.0 / 88200.0, 0.25, 0.05, 85},
      {9, 20000.0 / 88200.0, 0.25, 0.05, 64},
      {4, 0.1, 0.2, 0.5, 30},
      {1, 0.1, 0.3, 1.0, 5},
      {6, 0.2, 0.22, 0.01, 20},
  };
  for (const EllipticCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "order " << c.order << " edges " << c.pass << "/" << c.stop);
    const EllipticDesign d(c.order, c.pass, c.stop, c.ripple);
    EXPECT_EQ(d.Sections(), (c.order + 1) / 2);
    EXPECT_GT(d.StopbandDb(), c.atLeastDb);
    double stop = -400, passLow = 0, passHigh = -400;
    for (double f = c.stop; f < 0.5; f += 2e-5) stop = std::max(stop, d.GainDb(f));
    for (double f = 0.0; f <= c.pass; f += 2e-5) {
      passLow = std::min(passLow, d.GainDb(f));
      passHigh = std::max(passHigh, d.GainDb(f));
    }
    EXPECT_NEAR(stop, -d.StopbandDb(), 0.05);  // equiripple: the stopband's peaks reach it
    EXPECT_NEAR(passHigh - passLow, c.ripple, 0.005);
    EXPECT_NEAR(d.GainDb(0.0), c.order % 2 ? 0.0 : -c.ripple, 1e-9);
    EXPECT_NEAR(passHigh, 0.0, 1e-4);
    for (int i = 0; i < d.Sections(); ++i) {  // stable: poles inside the unit circle
      const EllipticDesign::Section& s = d.GetSection(i);
      EXPECT_LT(std::fabs(s.a2), 1.0);
      EXPECT_LT(std::fabs(s.a1), 1.0 + s.a2);
    }
  }
}

TEST(Elliptic, TheCascadeRunsTheDesignsResponse)
{
  // Sines through the running cascade come out at the design's gain, in the passband and deep
  // in the stopband alike; decimating keeps every second output.
  const EllipticDesign d(11, 20000.0 / 88200.0, 0.25, 0.05);
  for (double f : {0.05, 0.2, 0.26, 0.3, 0.45}) {
    SCOPED_TRACE(f);
    EllipticCascade<6> e;
    e.Set(d);
    const int n = 20000;
    std::vector<TolkLanes> in(2 * n), out(n);
    for (int s = 0; s < 2 * n; ++s) in[s] = TolkLanes{std::cos(2 * M_PI * f * s), 0.0};
    e.Down(in.data(), out.data(), n);
    std::vector<double> y(n);
    for (int s = 0; s < n; ++s) y[s] = out[s][0];
    // At the lower rate the sine lies at 2f, folded into the band.
    double g = 2 * f;
    if (g > 0.5) g = 1.0 - g;
    const double level = std::abs(Component(y, g, 4000));
    EXPECT_NEAR(20 * std::log10(level), d.GainDb(f), 0.05);
  }
}

}  // namespace
