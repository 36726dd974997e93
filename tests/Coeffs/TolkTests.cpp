#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "Coeffs/PlainTolk.h"
#include "Coeffs/Tolk.h"
#include "Coeffs/TolkResponse.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kScale = 142.14300537109375;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct TableCase
{
  const char* name;
  const TolkShaperTable& table;
  double first;  // point 1, the largest magnitude
  double last;   // point 199
};

TEST(TolkTables, ShapeOfBothTables)
{
  const TableCase cases[] = {
      {"positive", shaper_pos_table, 0.0378332436, 0.0090815844014287},
      {"negative", shaper_neg_table, -0.364705026, -0.0769943967461586},
  };
  for (const TableCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TolkShaperTable& t = c.table;
    EXPECT_EQ(t.lower, 0.0f);
    EXPECT_EQ(static_cast<double>(t.scale), kScale);
    EXPECT_EQ(t.count, 200);
    EXPECT_TRUE(SameBits(t.points[0], 0.0f));
    EXPECT_EQ(t.points[1], static_cast<float>(c.first));
    EXPECT_NEAR(static_cast<double>(t.points[199]), c.last, 1e-16);
    for (int i = 2; i < 200; ++i) {
      EXPECT_LT(std::fabs(t.points[i]), std::fabs(t.points[i - 1])) << "point " << i;
      EXPECT_EQ(std::signbit(t.points[i]), c.first < 0) << "point " << i;
    }
  }
  // The negative half is nine to ten times the positive one all along.
  for (int i = 1; i < 200; ++i) {
    const double ratio = shaper_neg_table.points[i] / -shaper_pos_table.points[i];
    EXPECT_GT(ratio, 8.4) << i;
    EXPECT_LT(ratio, 9.7) << i;
  }
}

TEST(TolkTables, NumeratorBlocksDcAndDenominatorIsBalanced)
{
  // The stored pairs per term cancel across b0..b3 (the numerator sums to zero for every rate
  // and control), and the constant row of the denominator stands 1 : 3 : 3 : 1.
  for (int t = 0; t < kTolkNumTerms; ++t) {
    for (int k = 0; k < 2; ++k) {
      const double sum = kTolkNum[t][0][k] + kTolkNum[t][1][k] + kTolkNum[t][2][k] + kTolkNum[t][3][k];
      EXPECT_NEAR(sum, 0.0, 1e-26) << t << "," << k;
    }
  }
  EXPECT_NEAR(kTolkDen[0][1] / kTolkDen[0][0], 3.0, 1e-12);
  EXPECT_EQ(kTolkDen[0][1], kTolkDen[0][2]);
  EXPECT_EQ(kTolkDen[0][0], kTolkDen[0][3]);
}

struct ShapeCase
{
  const char* name;
  double y;
  double expected;
};

// Smallest y whose scaled magnitude reaches u (in either direction of sign).
double AtScaled(double u, double sign)
{
  double y = u / kScale;
  while (y * kScale < u) y = std::nextafter(y, kInf);
  return std::copysign(y, sign);
}

TEST(TolkShape, TableCasesAndLimits)
{
  const double pos1 = shaper_pos_table.points[1], neg1 = shaper_neg_table.points[1];
  const double posEnd = 0.0090815844014287, negEnd = -0.0769943967461586;
  const ShapeCase cases[] = {
      {"+0", 0.0, 0.0},
      {"-0", -0.0, -0.0},
      {"u = 1", AtScaled(1.0, 1), pos1},
      {"u = -1", AtScaled(1.0, -1), neg1},
      {"u = 1.5", AtScaled(1.5, 1), (static_cast<double>(shaper_pos_table.points[1]) + shaper_pos_table.points[2]) / 2},
      {"last point", AtScaled(199.0, 1), static_cast<float>(posEnd)},
      {"last point negative", AtScaled(199.0, -1), static_cast<float>(negEnd)},
      {"beyond", 2.0, static_cast<float>(posEnd)},
      {"beyond negative", -1e300, static_cast<float>(negEnd)},
      {"+inf", kInf, static_cast<float>(posEnd)},
      {"-inf", -kInf, static_cast<float>(negEnd)},
      {"+NaN", kNaN, 0.0},
      {"-NaN", -kNaN, -0.0},
  };
  for (const ShapeCase& c : cases) {
    EXPECT_TRUE(SameBits(TolkShape(c.y), c.expected)) << c.name << ": " << TolkShape(c.y) << " expected " << c.expected;
  }
  EXPECT_NEAR(TolkShape(AtScaled(199.0, 1)), posEnd, 1e-16);
  EXPECT_NEAR(TolkShape(AtScaled(199.0, -1)), negEnd, 1e-16);
}

TEST(TolkShape, ContinuousAndMatchesPlainLookup)
{
  // Just below the last point the interpolation meets the end value.
  const double below = std::nextafter(AtScaled(199.0, 1), 0.0);
  EXPECT_NEAR(TolkShape(below), TolkShape(2.0), 1e-12);
  EXPECT_NEAR(TolkShape(-below), TolkShape(-2.0), 1e-12);
  // Everywhere else the lookup gives the bits of the plain branchy one.
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mag(-1.6, 1.6);
  for (int k = 0; k < 20000; ++k) {
    const double y = k % 4 == 0 ? mag(rng) * 1e-3 : mag(rng);
    ASSERT_TRUE(SameBits(TolkShape(y), PlainTolk::Shape(y))) << y;
  }
}

TEST(Tolk, CalcAndProcessGiveThePlainEvaluationsBits)
{
  const double rates[] = {8000, 22050, 44100, 44100.5, 48000, 88200, 96000, 192000};
  const double controls[] = {0.0, 0.02, 0.3, 0.5, 0.70000000000000007, 0.95};
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> in(-1.0, 1.0);
  for (double S : rates) {
    for (double A : controls) {
      Tolk tolk;
      PlainTolk plain;
      for (int n = 0; n < 200; ++n) {
        const double ctl = A + n * 1e-4;
        tolk.Calc(S, ctl);
        plain.Calc(S, ctl);
        for (int j = 0; j < 4; ++j) {
          ASSERT_TRUE(SameBits(tolk.Coeffs().b[j], plain.b[j])) << S << " " << ctl << " b" << j;
          ASSERT_TRUE(SameBits(tolk.Coeffs().a[j], plain.a[j])) << S << " " << ctl << " a" << j;
        }
        const double x = in(rng);
        ASSERT_TRUE(SameBits(tolk.Process(x), plain.Process(x))) << S << " " << ctl;
      }
    }
  }
}

TEST(Tolk, SilenceGivesExactZeros)
{
  Tolk tolk;
  tolk.Calc(44100, 0.7);
  for (int n = 0; n < 44100; ++n) {
    const double out = tolk.Process(0.0);
    ASSERT_TRUE(SameBits(out, 0.0)) << n;
  }
}

TEST(Tolk, ConstantInputSettlesToZero)
{
  const double levels[] = {0.5, -0.25, 1.0};
  for (double level : levels) {
    Tolk tolk;
    tolk.Calc(44100, 0.5);
    for (int n = 0; n < 44100; ++n) tolk.Process(level);
    // What is left is the rounding of the numerator's cancelling terms.
    EXPECT_NEAR(tolk.State().y1, 0.0, 1e-10) << level;
    EXPECT_NEAR(tolk.Process(level), 0.0, 1e-8) << level;
  }
}

TEST(Tolk, HistoryHoldsTheUnshapedOutput)
{
  Tolk tolk;
  tolk.Calc(44100, 0.2);
  const double first = tolk.Process(1.0);
  const TolkState<double>& h = tolk.State();
  EXPECT_EQ(h.x1, 1.0);
  EXPECT_EQ(h.y1, tolk.Coeffs().b[0] / tolk.Coeffs().a[0]);
  EXPECT_EQ(first, TolkShape(h.y1));
  EXPECT_NE(first, h.y1);
}

TEST(Tolk, RecoverRestartsAChannelThatANonFiniteSampleSilenced)
{
  // A NaN or infinite sample (or an overflowing one) leaves the history not finite and the
  // shaped output at signed zeros; Recover starts the channel again from silence, after which
  // it runs as a fresh one fed the samples that follow.
  const double bad[] = {kNaN, -kNaN, kInf, -kInf, 1e308};
  for (double b : bad) {
    Tolk hit, fresh;
    hit.Calc(48000, 0.4);
    fresh.Calc(48000, 0.4);
    for (int n = 0; n < 100; ++n) hit.Process(std::sin(n * 0.1));
    EXPECT_FALSE(hit.Recover());
    hit.Process(b);
    hit.Process(-b);
    for (int n = 0; n < 50; ++n) {
      const double out = hit.Process(0.5);
      ASSERT_EQ(out, 0.0) << b << " at " << n;
    }
    EXPECT_TRUE(hit.Recover()) << b;
    EXPECT_FALSE(hit.Recover());
    for (int n = 0; n < 1000; ++n) {
      const double x = 0.5 * std::sin(n * 0.05);
      ASSERT_TRUE(SameBits(hit.Process(x), fresh.Process(x))) << b << " at " << n;
    }
  }
}

TEST(TolkLanes, TwoChannelsSideBySideGiveTheBitsOfTwoRuns)
{
  // Coefficients, filter and shaper on two lanes against the single-channel code, with the
  // lanes' signs in all four combinations and the shaper's special inputs.
  TolkRate rate(44100);
  const TolkRateT<TolkLanes> lanes(rate);
  const TolkRateT<TolkQuad> quads(rate);
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> ctl(0.0, 0.95), in(-1.0, 1.0);
  TolkState<double> h0{}, h1{};
  TolkState<TolkLanes> h{};
  for (int n = 0; n < 5000; ++n) {
    const double A0 = ctl(rng), A1 = ctl(rng), A2 = ctl(rng), A3 = ctl(rng);
    TolkCoeffs<double> c0, c1, c2, c3;
    rate.Eval(A0, c0);
    rate.Eval(A1, c1);
    rate.Eval(A2, c2);
    rate.Eval(A3, c3);
    TolkCoeffs<TolkLanes> c;
    lanes.Eval(TolkLanes{A0, A1}, c);
    TolkCoeffs<TolkQuad> q;
    quads.Eval(TolkQuad{A0, A1, A2, A3}, q);
    for (int j = 0; j < 4; ++j) {
      ASSERT_TRUE(SameBits(c.b[j][0], c0.b[j]) && SameBits(c.b[j][1], c1.b[j]));
      ASSERT_TRUE(SameBits(c.a[j][0], c0.a[j]) && SameBits(c.a[j][1], c1.a[j]));
      ASSERT_TRUE(SameBits(q.b[j][2], c2.b[j]) && SameBits(q.a[j][3], c3.a[j]));
    }
    const double x0 = in(rng), x1 = in(rng);
    const TolkLanes y = TolkFilter(h, c, TolkLanes{x0, x1});
    ASSERT_TRUE(SameBits(y[0], TolkFilter(h0, c0, x0)) && SameBits(y[1], TolkFilter(h1, c1, x1)));
    const TolkLanes v = TolkShape(y);
    ASSERT_TRUE(SameBits(v[0], TolkShape(y[0])) && SameBits(v[1], TolkShape(y[1])));
  }
  const double special[] = {
      0.0, -0.0, kInf, -kInf, kNaN, -kNaN, 1e300, -1e-300, 2.0, -1.39, AtScaled(199.0, 1), AtScaled(1.0, -1)};
  for (double a : special) {
    for (double b : special) {
      const TolkLanes v = TolkShape(TolkLanes{a, b});
      EXPECT_TRUE(SameBits(v[0], TolkShape(a)) && SameBits(v[1], TolkShape(b))) << a << " " << b;
    }
  }
}

TEST(TolkResponse, GainFollowsTheControl)
{
  struct Band
  {
    double control, freq, lo, hi;  // dB bounds
  };
  const Band bands[] = {
      // At 0.02 everything above a few hundred hertz passes with about +10 dB.
      {0.02, 1000, 9.5, 12.0},
      {0.02, 3000, 9.5, 11.0},
      {0.02, 10000, 9.5, 11.0},
      {0.02, 100, -40, -10},
      // At 0.95 the corner lies near 3 kHz and the top comes out near 0 dB.
      {0.95, 3000, -6.0, -2.0},
      {0.95, 10000, -1.5, 0.5},
      {0.95, 16000, -1.0, 0.5},
      {0.95, 1000, -15.0, -8.0},
      {0.95, 300, -30.0, -15.0},
      // Below the corner the filter blocks: DC does not pass at all.
      {0.5, 30, -60, -45},
  };
  for (const Band& b : bands) {
    const double g = TolkGainDb(44100, b.control, b.freq);
    EXPECT_GE(g, b.lo) << b.control << " @ " << b.freq;
    EXPECT_LE(g, b.hi) << b.control << " @ " << b.freq;
  }
}

TEST(TolkResponse, SameResponseAtDifferentRates)
{
  const double controls[] = {0.02, 0.5, 0.95};
  const double freqs[] = {100, 300, 1000, 3000, 10000};
  for (double a : controls) {
    for (double f : freqs) {
      const double g48 = TolkGainDb(48000, a, f), g96 = TolkGainDb(96000, a, f);
      EXPECT_NEAR(g48, g96, 0.25) << a << " @ " << f;
    }
  }
}

TEST(TolkResponse, RefusesFrequenciesOutsideTheBand)
{
  EXPECT_TRUE(std::isnan(TolkGainDb(44100, 0.5, 0.0)));
  EXPECT_TRUE(std::isnan(TolkGainDb(44100, 0.5, 22050)));
  EXPECT_TRUE(std::isnan(TolkGainDb(0.0, 0.5, 1000)));
  EXPECT_TRUE(std::isnan(TolkGainDb(kNaN, 0.5, 1000)));
}

}  // namespace
