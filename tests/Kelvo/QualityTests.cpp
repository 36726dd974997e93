#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "Kelvo/KelvoAliasing.h"
#include "Kelvo/KelvoCircuit.h"
#include "Kelvo/PlainKelvo.h"
#include "Kelvo/SignalTestUtil.h"

namespace {

// Renders in0/in1 through the circuit in blocks whose sizes cycle through `blocks`, while the
// control glides from where it is toward 0.7.
void RenderInBlocks(KelvoCircuit& c, const std::vector<double>& in0, const std::vector<double>& in1,
                    std::vector<double>& out0, std::vector<double>& out1, double S, const std::vector<int>& blocks)
{
  const int total = static_cast<int>(in0.size());
  out0.assign(total, 7.0);
  out1.assign(total, 7.0);
  for (int s = 0, k = 0; s < total; ++k) {
    const int n = std::min(total - s, blocks[k % blocks.size()]);
    const double* in[2] = {&in0[s], &in1[s]};
    double* out[2] = {&out0[s], &out1[s]};
    c.Render(in, out, n, S, 0.3, 0.5);
    s += n;
  }
}

TEST(KelvoQuality, EveryQualityRunsTheSameFilterAndControlBitForBit)
{
  // The qualities differ in the shaper alone: the control, the coefficients and the filter's
  // history are those of the plain evaluation, also after switching back and forth.
  const double S = 44100.0;
  std::vector<double> in0, in1;
  TestSignal(static_cast<int>(2 * S), S, 5, in0, in1);
  for (KelvoCircuit::Path path : Paths()) {
    KelvoCircuit circuit(path);
    PlainKelvo plain;
    std::vector<double> out0(in0.size()), out1(in0.size()), p0(in0.size()), p1(in0.size());
    const int n = 441;
    for (int s = 0, k = 0; s + n <= static_cast<int>(in0.size()); s += n, ++k) {
      circuit.SetQuality(kQualities[k % 3]);
      const double* in[2] = {&in0[s], &in1[s]};
      double* out[2] = {&out0[s], &out1[s]};
      circuit.Render(in, out, n, S, 0.4, 0.7);
      plain.Render(&in0[s], &in1[s], &p0[s], &p1[s], n, S, 0.4, 0.7, 0);
      ASSERT_EQ(circuit.Control(), plain.z) << k;
      for (int c = 0; c < 2; ++c) {
        ASSERT_EQ(circuit.Channel(c).State().y1, plain.tolk[c].y[0]) << k;
        ASSERT_EQ(circuit.Channel(c).Coeffs().a[1], plain.tolk[c].a[1]) << k;
      }
      if (kQualities[k % 3] == KelvoCircuit::kStandard) {
        for (int f = s; f < s + n; ++f) ASSERT_TRUE(out0[f] == p0[f] && out1[f] == p1[f]) << f;
      }
    }
  }
}

TEST(KelvoQuality, BlockSizeChangesNoBit)
{
  const double S = 48000.0;
  std::vector<double> in0, in1;
  TestSignal(static_cast<int>(1.5 * S), S, 8, in0, in1);
  const std::vector<std::vector<int>> splits = {{4096}, {1}, {7, 32, 33, 1, 500}, {31, 64, 65}};
  for (KelvoCircuit::Quality q : kQualities) {
    for (KelvoCircuit::Path path : Paths()) {
      SCOPED_TRACE(testing::Message() << "quality " << q << " path " << path);
      std::vector<double> ref0, ref1;
      {
        KelvoCircuit c(KelvoCircuit::kPortable);
        c.SetQuality(q);
        RenderInBlocks(c, in0, in1, ref0, ref1, S, splits[0]);
      }
      for (const std::vector<int>& blocks : splits) {
        KelvoCircuit c(path);
        c.SetQuality(q);
        std::vector<double> o0, o1;
        RenderInBlocks(c, in0, in1, o0, o1, S, blocks);
        ASSERT_EQ(FirstDifference(o0, ref0), -1) << blocks[0];
        ASSERT_EQ(FirstDifference(o1, ref1), -1) << blocks[0];
      }
    }
  }
}

TEST(KelvoQuality, SilenceGivesExactZeros)
{
  for (KelvoCircuit::Quality q : kQualities) {
    KelvoCircuit circuit;
    circuit.SetQuality(q);
    std::vector<double> zeros(3000, 0.0), out0(3000, 1.0), out1(3000, 1.0);
    const double* in[2] = {zeros.data(), zeros.data()};
    double* out[2] = {out0.data(), out1.data()};
    circuit.Render(in, out, 3000, 44100, 0.05, 1.0);
    for (int s = 0; s < 3000; ++s) ASSERT_TRUE(IsPositiveZero(out0[s]) && IsPositiveZero(out1[s])) << q << " " << s;
  }
}

TEST(KelvoQuality, ReportedLatencyIsTheMeasuredDelay)
{
  // A quiet low sine: the output's fundamental through each anti-aliased quality lags the
  // standard one's by the chain's delay, which the reported latency rounds.
  const double S = 44100.0, f = 200.0;
  const int total = 44100;
  std::vector<double> in0(total), in1(total);
  for (int s = 0; s < total; ++s) in0[s] = in1[s] = 0.01 * std::sin(2 * M_PI * f * s / S);
  auto fundamental = [&](KelvoCircuit::Quality q) {
    KelvoCircuit c;
    c.SetQuality(q);
    std::vector<double> o0, o1;
    RenderInBlocks(c, in0, in1, o0, o1, S, {512});
    std::complex<double> sum = 0.0;
    for (int s = total / 2; s < total; ++s) sum += o0[s] * std::polar(1.0, -2 * M_PI * f * s / S);
    return sum;
  };
  const std::complex<double> standard = fundamental(KelvoCircuit::kStandard);
  EXPECT_EQ(KelvoCircuit::Latency(KelvoCircuit::kStandard), 0);
  struct Expect
  {
    KelvoCircuit::Quality q;
    double delay;
  };
  const Expect expects[] = {{KelvoCircuit::kHigh, KelvoCircuit::HighShaper::Delay()},
                            {KelvoCircuit::kBest, KelvoCircuit::BestShaper::Delay()}};
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.q);
    const double measured = -std::arg(fundamental(e.q) / standard) / (2 * M_PI * f / S);
    EXPECT_NEAR(measured, e.delay, 0.05);
    EXPECT_EQ(KelvoCircuit::Latency(e.q), static_cast<int>(std::lround(measured)));
    EXPECT_GE(KelvoCircuit::Latency(e.q), 1);
    EXPECT_LE(KelvoCircuit::Latency(e.q), 6);
  }
}

struct AliasCase
{
  KelvoCircuit::Quality quality;
  double rate, frequency, levelDb;
  double atMostDb;  // the strongest non-harmonic line against the fundamental
};

TEST(KelvoQuality, FoldedOvertonesStayBelowTheirBounds)
{
  // At the default settings. The standard path's lines are the fault the others remove.
  const AliasCase cases[] = {
      {KelvoCircuit::kStandard, 44100, 5000, -6, -8},
      {KelvoCircuit::kHigh, 44100, 5000, -6, -18},
      {KelvoCircuit::kBest, 44100, 5000, -6, -60},
      {KelvoCircuit::kBest, 48000, 5000, -6, -60},
      {KelvoCircuit::kBest, 44100, 1000, -6, -70},
      {KelvoCircuit::kHigh, 44100, 1000, -6, -33},
      {KelvoCircuit::kBest, 44100, 5000, -20, -60},
      {KelvoCircuit::kBest, 44100, 2637, -6, -60},
      // 1 kHz divides 48 kHz, so its aliases land on its harmonics; its neighbour shows them.
      {KelvoCircuit::kBest, 48000, 1010, -6, -70},
  };
  for (const AliasCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "quality " << c.quality << ", " << c.frequency << " Hz at " << c.rate << " Hz, "
                                    << c.levelDb << " dBFS");
    const KelvoAliasing a = KelvoMeasureAliasing(c.quality, c.rate, c.frequency, c.levelDb);
    EXPECT_LE(a.worstDb, c.atMostDb) << "at " << a.worstHz << " Hz";
    if (c.quality == KelvoCircuit::kStandard) {
      EXPECT_GT(a.worstDb, -12.0);
    }
  }
  EXPECT_TRUE(std::isnan(KelvoMeasureAliasing(KelvoCircuit::kBest, 44100, 12000, -6).worstDb));
}

}  // namespace
