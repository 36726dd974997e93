#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "Coeffs/TolkShaper.h"
#include "Coeffs/TolkSmoothShaper.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kScale = 142.14300537109375;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(TolkCurve, IsTheShaperOnTheScaledInput)
{
  const double ys[] = {0.0,  -0.0,   1e-300,  -1e-300,      1 / kScale, -1 / kScale, 0.0035, -0.0035, 0.5,
                       -0.5, 1.3999, -1.3999, 199 / kScale, 1.5,        -1.5,        1e10,   kInf,    -kInf};
  for (double y : ys) {
    SCOPED_TRACE(y);
    EXPECT_NEAR(TolkCurve(y * kScale), TolkShape(y), 1e-16);
    EXPECT_EQ(std::signbit(TolkCurve(y * kScale)) && TolkCurve(y * kScale) != 0.0,
              std::signbit(y) && TolkShape(y) != 0.0);
  }
}

TEST(TolkCurve, AntiderivativesDifferentiateToTheCurve)
{
  // Central differences inside a piece are exact for the quadratic and cubic pieces, up to
  // rounding; across the knots the antiderivatives are continuous.
  const double us[] = {0.5, 1.5, 2.25, 57.3, 120.8, 198.6, 230.0, 1e4, -0.5, -1.5, -3.2, -99.9, -198.4, -300.0, -1e4};
  const double h = 1e-4;
  for (double U : us) {
    SCOPED_TRACE(U);
    const double d1 = (TolkCurveIntegral(U + h) - TolkCurveIntegral(U - h)) / (2 * h);
    const double d2 = (TolkCurveIntegral2(U + h) - TolkCurveIntegral2(U - h)) / (2 * h);
    EXPECT_NEAR(d1, TolkCurve(U), 1e-9 * std::max(1.0, std::fabs(U)));
    EXPECT_NEAR(d2, TolkCurveIntegral(U), 1e-8 * std::max(1.0, U * U));
  }
  for (double knot : {0.0, 1.0, 2.0, 100.0, 199.0, -1.0, -2.0, -199.0}) {
    SCOPED_TRACE(knot);
    const double below = std::nextafter(knot, -kInf), above = std::nextafter(knot, kInf);
    EXPECT_NEAR(TolkCurveIntegral(below), TolkCurveIntegral(above), 1e-13);
    EXPECT_NEAR(TolkCurveIntegral2(below), TolkCurveIntegral2(above),
                1e-15 * std::max(1.0, std::fabs(TolkCurveIntegral2(above))));
  }
  // Both antiderivatives grow away from zero: the curve has the sign of its input.
  EXPECT_GT(TolkCurveIntegral(5.0), 0.0);
  EXPECT_GT(TolkCurveIntegral(-5.0), 0.0);
  EXPECT_GT(TolkCurveIntegral2(5.0), 0.0);
  EXPECT_LT(TolkCurveIntegral2(-5.0), 0.0);
}

// Runs one channel's inputs through a shaper of the given order, in blocks of `block` (the
// other channel carries the negated inputs); returns channel 0's outputs.
template <int Order>
std::vector<double> Shape(const std::vector<double>& in, int block, std::vector<double>* other = nullptr)
{
  TolkSmoothShaper<Order, 64> shaper;
  std::vector<double> out;
  for (size_t s = 0; s < in.size(); s += block) {
    const int n = static_cast<int>(std::min<size_t>(block, in.size() - s));
    TolkLanes v[64];
    for (int i = 0; i < n; ++i) v[i] = TolkLanes{in[s + i], -in[s + i]};
    shaper.Run(v, n);
    for (int i = 0; i < n; ++i) {
      out.push_back(v[i][0]);
      if (other) other->push_back(v[i][1]);
    }
  }
  return out;
}

template <int Order>
void ExpectConstantGivesTheCurve()
{
  for (double c : {0.0, -0.0, 0.3, -0.3, 1.0, -1.0, 57.5, -150.25, 1e6, -1e6}) {
    SCOPED_TRACE(testing::Message() << "order " << Order << " input " << c);
    const std::vector<double> out = Shape<Order>(std::vector<double>(100, c), 7);
    for (int s = Order; s < 100; ++s) ASSERT_NEAR(out[s], TolkCurve(c), 1e-16) << s;
  }
}

TEST(TolkSmoothShaper, AConstantGivesTheCurveAtIt)
{
  ExpectConstantGivesTheCurve<1>();
  ExpectConstantGivesTheCurve<2>();
}

TEST(TolkSmoothShaper, ARampInsideOnePieceGivesTheCurveAtItsCentre)
{
  // The curve is linear inside a piece: the first-order mean is its value halfway back, the
  // second-order one its value one sample back.
  struct Ramp
  {
    double start, step;
  };
  const Ramp ramps[] = {{10.1, 0.01}, {-20.9, 0.008}, {0.05, 0.009}, {-0.95, 0.009}, {250, 3}};
  for (const Ramp& r : ramps) {
    SCOPED_TRACE(r.start);
    std::vector<double> in(80);
    for (int s = 0; s < 80; ++s) in[s] = r.start + r.step * s;
    const std::vector<double> one = Shape<1>(in, 64), two = Shape<2>(in, 64);
    for (int s = 2; s < 80; ++s) {
      EXPECT_NEAR(one[s], TolkCurve(in[s] - 0.5 * r.step), 1e-12);
      EXPECT_NEAR(two[s], TolkCurve(in[s - 1]), 1e-11);
    }
  }
}

TEST(TolkSmoothShaper, InputsCloseTogetherAcrossTheSharpKnotsStayAccurate)
{
  // Around 0 and +-1 the curve turns sharply. Steps far below the inputs' size are taken from
  // the curve directly; steps just above it from the antiderivatives, which keep their digits.
  for (double knot : {0.0, 1.0, -1.0, 37.0}) {
    for (double step : {1e-15, 1e-12, 1e-9, 1e-6, 2e-5, 1e-4}) {
      SCOPED_TRACE(testing::Message() << "knot " << knot << " step " << step);
      std::vector<double> in(12);
      for (int s = 0; s < 12; ++s) in[s] = knot + step * (s - 6);
      const std::vector<double> one = Shape<1>(in, 5), two = Shape<2>(in, 5);
      for (int s = 2; s < 12; ++s) {
        // Means of the curve over the spans, so between its values at their ends.
        const double lo1 = std::min(TolkCurve(in[s]), TolkCurve(in[s - 1]));
        const double hi1 = std::max(TolkCurve(in[s]), TolkCurve(in[s - 1]));
        EXPECT_GE(one[s], lo1 - 1e-9) << s;
        EXPECT_LE(one[s], hi1 + 1e-9) << s;
        const double lo2 =
            std::min({TolkCurve(in[s]), TolkCurve(in[s - 1]), TolkCurve(in[s - 2]), TolkCurve(std::round(in[s - 1]))});
        const double hi2 =
            std::max({TolkCurve(in[s]), TolkCurve(in[s - 1]), TolkCurve(in[s - 2]), TolkCurve(std::round(in[s - 1]))});
        EXPECT_GE(two[s], lo2 - 1e-7) << s;
        EXPECT_LE(two[s], hi2 + 1e-7) << s;
      }
    }
  }
}

TEST(TolkSmoothShaper, OutputsAreMeansOfTheCurveForWildInputs)
{
  // Random jumps of every size, sign and position: each output lies within the curve's range
  // over the inputs it saw, and the two channels mirror inputs of opposite sign.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> in(4000);
  for (double& x : in) x = u(rng) * std::pow(10.0, 3 * u(rng) + 0.5);
  std::vector<double> other;
  const std::vector<double> two = Shape<2>(in, 64, &other);
  for (int s = 2; s < 4000; ++s) {
    const double a = std::min({in[s], in[s - 1], in[s - 2]}), b = std::max({in[s], in[s - 1], in[s - 2]});
    double lo = std::min(TolkCurve(a), TolkCurve(b)), hi = std::max(TolkCurve(a), TolkCurve(b));
    for (double k = std::ceil(a); k <= b && k <= 200; k += 1.0) {
      lo = std::min(lo, TolkCurve(k));
      hi = std::max(hi, TolkCurve(k));
    }
    ASSERT_GE(two[s], lo - 1e-12) << s;
    ASSERT_LE(two[s], hi + 1e-12) << s;
  }
  EXPECT_NE(two, other);
}

template <int Order>
void ExpectBlockSizeChangesNothing(const std::vector<double>& in)
{
  const std::vector<double> whole = Shape<Order>(in, 64);
  for (int block : {1, 2, 3, 31, 63}) {
    const std::vector<double> split = Shape<Order>(in, block);
    ASSERT_EQ(split.size(), whole.size());
    for (size_t s = 0; s < whole.size(); ++s)
      ASSERT_TRUE(SameBits(split[s], whole[s])) << "order " << Order << " block " << block << " at " << s;
  }
}

TEST(TolkSmoothShaper, BlockSizeChangesNoBit)
{
  // A signal with stretches of silence, of constant values and of fine steps, so that every
  // way through is taken across block ends.
  std::vector<double> in;
  for (int s = 0; s < 300; ++s) in.push_back(3 * std::sin(s * 0.07));
  in.insert(in.end(), 100, 0.0);
  in.insert(in.end(), 50, 0.25);
  for (int s = 0; s < 100; ++s) in.push_back(1.0 + 1e-9 * s);
  in.insert(in.end(), 70, -0.0);
  ExpectBlockSizeChangesNothing<1>(in);
  ExpectBlockSizeChangesNothing<2>(in);
}

template <int Order>
void ExpectNonFiniteSilencesItsChannel(double bad)
{
  // In the middle of a block: zeros for a NaN, finite values for an infinity while it is among
  // the inputs averaged, then the curve's means again. At the end of one: the history says so
  // until the channel is cleared.
  TolkSmoothShaper<Order, 8> shaper;
  TolkLanes v[8];
  for (int s = 0; s < 8; ++s) v[s] = TolkLanes{s == 3 ? bad : 0.2 * s, 0.2 * s};
  shaper.Run(v, 8);
  for (int s = 0; s < 8; ++s) {
    ASSERT_TRUE(std::isfinite(v[s][0]) && std::isfinite(v[s][1])) << s;
    if (s >= 3 && s <= 3 + Order) {
      if (bad != bad) {
        EXPECT_EQ(v[s][0], 0.0) << s;
      }
    } else if (s > 0) {
      EXPECT_EQ(v[s][0], v[s][1]) << s;
    }
  }
  EXPECT_TRUE(shaper.Finite(0));
  TolkLanes last{bad, 0.5};
  shaper.Run(&last, 1);
  EXPECT_TRUE(std::isfinite(last[0]));
  EXPECT_GT(last[1], 0.0);
  EXPECT_FALSE(shaper.Finite(0));
  EXPECT_TRUE(shaper.Finite(1));
  shaper.Clear(0);
  EXPECT_TRUE(shaper.Finite(0));
}

TEST(TolkSmoothShaper, ANonFiniteInputGivesFiniteOutputsOnItsChannelOnly)
{
  for (double bad : {kNaN, kInf, -kInf}) {
    SCOPED_TRACE(bad);
    ExpectNonFiniteSilencesItsChannel<1>(bad);
    ExpectNonFiniteSilencesItsChannel<2>(bad);
  }
}

}  // namespace
