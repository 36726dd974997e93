#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "Kelvo/KelvoCircuit.h"
#include "Kelvo/PlainKelvo.h"
#include "Kelvo/SignalTestUtil.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// The circuit under the effect's bypass rule: 0 renders, 1 copies while the control glides on,
// anything else only glides.
void RenderAs(KelvoCircuit& c, const double* const* in, double* const* out, int n, double S, double gainL, double gain,
              int bypass)
{
  if (bypass == 0) {
    c.Render(in, out, n, S, gainL, gain);
    return;
  }
  c.Glide(n, S, gainL);
  if (bypass == 1) {
    for (int s = 0; s < n; ++s) out[0][s] = in[0][s], out[1][s] = in[1][s];
  }
}

TEST(KelvoCircuit, EveryPathGivesThePlainEvaluationsBits)
{
  // Ten seconds per rate with the control gliding after jumps, level and bypass changes, odd
  // block sizes, in-place blocks and a NaN and an infinity among the samples.
  for (KelvoCircuit::Path path : Paths()) {
    for (double S : {22050.0, 44100.0, 48000.0, 96000.0}) {
      SCOPED_TRACE(testing::Message() << "path " << path << " rate " << S);
      const int total = static_cast<int>(10 * S);
      std::vector<double> in0, in1;
      TestSignal(total, S, 11, in0, in1);
      in0[total / 3] = kNaN;
      in1[2 * total / 3] = -kInf;
      std::vector<double> out0(total, 7.0), out1(total, 7.0), p0(total, 7.0), p1(total, 7.0);
      std::vector<double> io0 = in0, io1 = in1, pio0 = in0, pio1 = in1;  // in-place copies
      KelvoCircuit circuit(path);
      PlainKelvo plain;
      std::mt19937 rng(static_cast<unsigned>(S));
      double gainL = 0.3, gain = std::pow(10.0, -15.0 / 20.0);
      int bypass = 0;
      for (int s = 0, block = 0; s < total; ++block) {
        const int n = std::min(total - s, static_cast<int>(rng() % 700) + 1);
        if (block % 8 == 7) {
          gainL = 0.05 + (rng() % 94) * 0.01;
          gain = std::pow(10.0, -0.01 * (rng() % 4001) / 20.0);  // -40 to 0 dB
          const unsigned r = rng() % 10;
          bypass = r == 0 ? 1 : r == 1 ? 2 : 0;
        }
        const bool inPlace = block % 3 == 0;
        const double* in[2] = {inPlace ? &io0[s] : &in0[s], inPlace ? &io1[s] : &in1[s]};
        double* out[2] = {inPlace ? &io0[s] : &out0[s], inPlace ? &io1[s] : &out1[s]};
        RenderAs(circuit, in, out, n, S, gainL, gain, bypass);
        if (inPlace) {
          std::copy(&io0[s], &io0[s] + n, &out0[s]);
          std::copy(&io1[s], &io1[s] + n, &out1[s]);
        }
        if (inPlace) {
          plain.Render(&pio0[s], &pio1[s], &pio0[s], &pio1[s], n, S, gainL, gain, bypass);
          std::copy(&pio0[s], &pio0[s] + n, &p0[s]);
          std::copy(&pio1[s], &pio1[s] + n, &p1[s]);
        } else {
          plain.Render(&in0[s], &in1[s], &p0[s], &p1[s], n, S, gainL, gain, bypass);
        }
        s += n;
      }
      EXPECT_EQ(FirstDifference(out0, p0), -1);
      EXPECT_EQ(FirstDifference(out1, p1), -1);
      EXPECT_EQ(circuit.Control(), plain.z);
      for (int c = 0; c < 2; ++c) {
        for (int j = 0; j < 4; ++j) {
          EXPECT_EQ(circuit.Channel(c).Coeffs().b[j], plain.tolk[c].b[j]);
          EXPECT_EQ(circuit.Channel(c).Coeffs().a[j], plain.tolk[c].a[j]);
        }
        EXPECT_EQ(circuit.Channel(c).State().y1, plain.tolk[c].y[0]);
      }
    }
  }
}

TEST(KelvoCircuit, SilenceGivesExactZerosWhileTheControlGlides)
{
  for (KelvoCircuit::Path path : Paths()) {
    KelvoCircuit circuit(path);
    std::vector<double> zeros(4801, 0.0), out0(4801, 1.0), out1(4801, 1.0);
    const double* in[2] = {zeros.data(), zeros.data()};
    double* out[2] = {out0.data(), out1.data()};
    for (double gainL : {0.3, 0.98, 0.05}) {
      circuit.Render(in, out, 4801, 48000, gainL, 1.0);
      for (int s = 0; s < 4801; ++s) {
        ASSERT_TRUE(IsPositiveZero(out0[s]) && IsPositiveZero(out1[s])) << path << " " << s;
      }
    }
    EXPECT_GT(circuit.Control(), 0.5);  // it did glide
  }
}

TEST(KelvoCircuit, ControlApproachesItsTargetTwoStepsPerFrame)
{
  // From 0 toward 1 - 0.3 = 0.7, then after a jump toward 1 - 0.95 = 0.05: after n frames the
  // distance is the initial one times e^(-4 pi n / S) on channel 1 and e^(-2 pi (2n - 1) / S)
  // on channel 0, whose coefficients are those of its control.
  const double S = 48000.0;
  for (KelvoCircuit::Path path : Paths()) {
    for (int n : {1, 2, 3, 100, 4801}) {
      SCOPED_TRACE(testing::Message() << "path " << path << " frames " << n);
      KelvoCircuit circuit(path);
      std::vector<double> zeros(n, 0.0), out(n);
      const double* in[2] = {zeros.data(), zeros.data()};
      double* outs[2] = {out.data(), out.data()};
      circuit.Render(in, outs, n, S, 0.3, 1.0);
      EXPECT_NEAR(circuit.Control(), 0.7 - 0.7 * std::exp(-4 * M_PI * n / S), 1e-13);
      circuit.Render(in, outs, n, S, 0.3, 1.0);  // glide on before the jump
      const double start = circuit.Control();
      circuit.Render(in, outs, n, S, 0.95, 1.0);
      const double far1 = (start - 0.05) * std::exp(-4 * M_PI * n / S);
      const double far0 = (start - 0.05) * std::exp(-2 * M_PI * (2 * n - 1) / S);
      EXPECT_NEAR(circuit.Control() - 0.05, far1, 1e-13);
      Tolk expect0;
      expect0.Calc(S, 0.05 + far0);
      for (int j = 0; j < 4; ++j) {
        const double want = expect0.Coeffs().a[j], got = circuit.Channel(0).Coeffs().a[j];
        EXPECT_NEAR(got, want, 1e-11 * std::fabs(want)) << "a" << j;
      }
    }
  }
}

TEST(KelvoCircuit, SaturatedOutputsAtFullAndDefaultLevel)
{
  // A loud step drives both filters far past the shaper's last point: the outputs are the end
  // values times the level and the make-up gain.
  struct Case
  {
    double outDb, pos, neg;
  };
  const Case cases[] = {
      {0.0, 0.161496, -1.36918},
      {-15.0, 0.161496 * std::pow(10.0, -0.75), -1.36918 * std::pow(10.0, -0.75)},
  };
  for (const Case& c : cases) {
    KelvoCircuit circuit;
    const double gain = std::pow(10.0, c.outDb / 20.0);
    const double up = 100.0, down = -100.0;
    const double* in[2] = {&up, &down};
    double o0, o1;
    double* out[2] = {&o0, &o1};
    circuit.Render(in, out, 1, 44100, 0.3, gain);
    EXPECT_GE(circuit.Channel(0).State().y1, 1.4);
    EXPECT_LE(circuit.Channel(1).State().y1, -1.4);
    EXPECT_EQ(o0, static_cast<double>(0.0090815844f) * gain * KelvoCircuit::kMakeUp);
    EXPECT_EQ(o1, static_cast<double>(-0.0769943967f) * gain * KelvoCircuit::kMakeUp);
    EXPECT_NEAR(o0, c.pos, 1e-6);
    EXPECT_NEAR(o1, c.neg, 1e-5);
  }
}

TEST(KelvoCircuit, NonFiniteInputSilencesOnlyItsChannelAndOnlyForTheBlock)
{
  // At every quality on every path: the other channel runs on untouched, the hit one stays
  // finite (standard: zeros for the rest of the block) and starts the next block from silence.
  const int n = 600;
  std::vector<double> in0, in1;
  TestSignal(3 * n, 44100, 3, in0, in1);
  for (double bad : {kNaN, kInf, -kInf}) {
    std::vector<double> bad0 = in0;
    bad0[n + 10] = bad;
    for (KelvoCircuit::Quality q : kQualities) {
      for (KelvoCircuit::Path path : Paths()) {
        SCOPED_TRACE(testing::Message() << "input " << bad << " quality " << q << " path " << path);
        KelvoCircuit hit(path), clean(path);
        hit.SetQuality(q);
        clean.SetQuality(q);
        std::vector<double> h0(3 * n), h1(3 * n), c0(3 * n), c1(3 * n);
        for (int b = 0; b < 3; ++b) {
          const double* hin[2] = {&bad0[b * n], &in1[b * n]};
          const double* cin[2] = {&in0[b * n], &in1[b * n]};
          double* hout[2] = {&h0[b * n], &h1[b * n]};
          double* cout[2] = {&c0[b * n], &c1[b * n]};
          hit.Render(hin, hout, n, 44100, 0.4, 0.5);
          clean.Render(cin, cout, n, 44100, 0.4, 0.5);
        }
        EXPECT_EQ(FirstDifference(h1, c1), -1);  // the other channel
        for (double v : h0) ASSERT_TRUE(std::isfinite(v));
        if (q == KelvoCircuit::kStandard) {  // the rest of the block (an infinity still shapes)
          for (int s = std::isnan(bad) ? n + 10 : n + 11; s < 2 * n; ++s) ASSERT_EQ(h0[s], 0.0) << s;
        }
        bool moved = false;
        for (int s = 2 * n; s < 3 * n; ++s) moved = moved || h0[s] != 0.0;
        EXPECT_TRUE(moved);
        EXPECT_TRUE(std::isfinite(hit.Channel(0).State().y1));
      }
    }
  }
}

TEST(KelvoCircuit, UnusableSampleRateGivesSilenceAndChangesNothing)
{
  for (double S : {0.0, -44100.0, kNaN}) {
    KelvoCircuit circuit;
    std::vector<double> in0, in1;
    TestSignal(64, 44100, 2, in0, in1);
    std::vector<double> out0(64, 1.0), out1(64, 1.0);
    const double* in[2] = {in0.data(), in1.data()};
    double* out[2] = {out0.data(), out1.data()};
    circuit.Render(in, out, 64, 44100, 0.3, 1.0);
    const double control = circuit.Control();
    const TolkState<double> state = circuit.Channel(0).State();
    circuit.Render(in, out, 64, S, 0.3, 1.0);
    circuit.Glide(64, S, 0.3);
    for (int s = 0; s < 64; ++s) ASSERT_TRUE(IsPositiveZero(out0[s]) && IsPositiveZero(out1[s]));
    EXPECT_EQ(circuit.Control(), control) << S;
    EXPECT_EQ(std::memcmp(&state, &circuit.Channel(0).State(), sizeof state), 0) << S;
  }
}

}  // namespace
