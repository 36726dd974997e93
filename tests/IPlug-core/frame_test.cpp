// The plug-in base: channel layouts, connections, the processing frame and its queries.
#include <gtest/gtest.h>

#include <xmmintrin.h>

#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DenormalGuard.h"
#include "alloc_counter.h"
#include "core_fixture.h"

namespace {
using core_test::TestPlug;

TEST(ChannelIO, ParsingGivesLayoutsAndChannelRecords)
{
  struct Case
  {
    const char* str;
    std::vector<std::pair<int, int>> layouts;
    int nIn, nOut;
  };
  const Case cases[] = {
      {"1-1 2-2", {{1, 1}, {2, 2}}, 2, 2},
      {"0-2", {{0, 2}}, 0, 2},
      {"2-2  1-1", {{2, 2}, {1, 1}, {1, 1}}, 2, 2},  // the second space starts one more token
      {"4", {{4, 0}}, 4, 0},
      {"-1-2 x", {{-1, 2}, {0, 0}}, 0, 2},
      {"", {{0, 0}}, 0, 0},
      {nullptr, {}, 0, 0},
  };
  for (const Case& c : cases) {
    TestPlug plug(0, c.str, 0);
    const std::string what = c.str ? c.str : "(null)";
    ASSERT_EQ(plug.NChannelIO(), (int)c.layouts.size()) << what;
    for (int i = 0; i < plug.NChannelIO(); ++i) {
      int nIn, nOut;
      plug.GetChannelIO(i, &nIn, &nOut);
      EXPECT_EQ(nIn, c.layouts[i].first) << what << " " << i;
      EXPECT_EQ(nOut, c.layouts[i].second) << what << " " << i;
    }
    EXPECT_EQ(plug.NInChannels(), c.nIn) << what;
    EXPECT_EQ(plug.NOutChannels(), c.nOut) << what;
    for (int i = 0; i < c.nIn; ++i) EXPECT_EQ(plug.In(i)->mSrc, plug.InData() + i);
    for (int i = 0; i < c.nOut; ++i) EXPECT_EQ(plug.Out(i)->mDest, plug.OutData() + i);
  }
}

TEST(ChannelIO, LegalIO)
{
  TestPlug plug;
  const struct
  {
    int in, out;
    bool legal;
  } cases[] = {{1, 1, true}, {2, 2, true}, {1, 2, false}, {-1, 2, true}, {2, -1, true}, {-1, -1, true}, {3, 3, false}};
  for (const auto& c : cases) EXPECT_EQ(plug.LegalIO(c.in, c.out), c.legal) << c.in << "-" << c.out;
  TestPlug none(0, nullptr, 0);
  EXPECT_FALSE(none.LegalIO(-1, -1));
}

TEST(Connections, RangesAreClippedAndUnconnectedChannelsUseScratch)
{
  TestPlug plug(0, "4-4", 0);
  plug.SetBlockSize(8);
  plug.SetInputChannelConnections(0, 10, true);
  plug.SetOutputChannelConnections(-1, 3, true);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(plug.IsInChannelConnected(i)) << i;
  EXPECT_TRUE(plug.IsOutChannelConnected(0));
  EXPECT_TRUE(plug.IsOutChannelConnected(1));
  EXPECT_FALSE(plug.IsOutChannelConnected(2));
  EXPECT_FALSE(plug.IsInChannelConnected(4));
  EXPECT_FALSE(plug.IsInChannelConnected(-1));

  plug.LimitToStereoIO();
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_EQ(plug.InData()[3], plug.In(3)->mScratchBuf.Get());
  EXPECT_TRUE(plug.IsOutChannelConnected(3));
}

TEST(Buffers, FloatInputsConvertOnlyForConnectedChannels)
{
  TestPlug plug;
  plug.SetBlockSize(4);
  plug.SetInputChannelConnections(0, 1, false);
  plug.SetInputChannelConnections(1, 1, true);
  float a[4] = {1, 2, 3, 4}, b[4] = {5, 6, 7, 8};
  float* host[2] = {a, b};
  plug.AttachInputBuffers(0, 2, host, 4);
  // The first host buffer went to channel 1, the only connected one.
  EXPECT_EQ(plug.InData()[1], plug.In(1)->mScratchBuf.Get());
  EXPECT_EQ(plug.InData()[1][3], 4.0);
  EXPECT_EQ(plug.InData()[0], plug.In(0)->mScratchBuf.Get());
  EXPECT_EQ(plug.InData()[0][0], 0.0);

  // A channel connected for float input and then disconnected reads its last converted block.
  plug.SetInputChannelConnections(1, 1, false);
  EXPECT_EQ(plug.InData()[1][2], 3.0);
  // No frames: connected channels read their scratch buffers and no host pointer is used.
  plug.SetInputChannelConnections(0, 2, true);
  float* nothing[1] = {nullptr};
  plug.AttachInputBuffers(0, 2, nothing, 0);
  EXPECT_EQ(plug.InData()[0], plug.In(0)->mScratchBuf.Get());
}

TEST(Buffers, BlockSizeResizesZeroesAndKeepsEqualSizeUntouched)
{
  TestPlug plug;
  EXPECT_EQ(plug.GetBlockSize(), 0);
  EXPECT_EQ(plug.In(0)->mScratchBuf.GetSize(), 0);
  plug.SetBlockSize(16);
  plug.SetInputChannelConnections(0, 2, true);
  std::vector<float> x(16, 0.5f);
  float* host[2] = {x.data(), x.data()};
  plug.AttachInputBuffers(0, 2, host, 16);
  plug.SetBlockSize(16);
  EXPECT_EQ(plug.In(0)->mScratchBuf.Get()[15], 0.5);
  plug.SetInputChannelConnections(0, 2, false);
  plug.SetBlockSize(4096);
  EXPECT_EQ(plug.GetBlockSize(), 4096);
  // Unconnected channels follow their scratch buffer to its new storage, which holds zeros.
  EXPECT_EQ(plug.InData()[0], plug.In(0)->mScratchBuf.Get());
  EXPECT_EQ(plug.InData()[0][4095], 0.0);
  plug.ZeroScratchBuffers();
}

TEST(Buffers, BasePassThroughCopiesAndZeroes)
{
  TestPlug plug(0, "1-2", 0);
  double in[3] = {1, 2, 3}, out0[3] = {9, 9, 9}, out1[3] = {9, 9, 9};
  double* ins[1] = {in};
  double* outs[2] = {out0, out1};
  plug.IPlugBase::ProcessDoubleReplacing(ins, outs, 3);
  EXPECT_EQ(std::vector<double>(out0, out0 + 3), std::vector<double>({1, 2, 3}));
  EXPECT_EQ(std::vector<double>(out1, out1 + 3), std::vector<double>({0, 0, 0}));
}

// The float paths: the override or the pass-through, replacing or accumulating, over connected outputs.
TEST(Buffers, ProcessAndPassThroughOverloads)
{
  enum Op { kProcessFloat, kAccumulate, kPassFloat, kProcessDouble, kPassDouble };
  struct Case
  {
    Op op;
    float expect0, expect1;  // first sample of outputs 0 and 1 for input 1 and host output 10
  };
  const Case cases[] = {{kProcessFloat, 2, 10},
                        {kAccumulate, 12, 10},
                        {kPassFloat, 1, 10},
                        {kProcessDouble, 2, 10},
                        {kPassDouble, 1, 10}};
  for (const Case& c : cases) {
    TestPlug plug;
    plug.process = [](double** in, double** out, int n) {
      for (int i = 0; i < n; ++i) out[0][i] = 2.0 * in[0][i], out[1][i] = 2.0 * in[1][i];
    };
    plug.SetBlockSize(4);
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 1, true);
    plug.SetOutputChannelConnections(1, 1, false);
    float in[4] = {1, 1, 1, 1}, out0[4] = {10, 10, 10, 10}, out1[4] = {10, 10, 10, 10};
    double din[4] = {1, 1, 1, 1}, dout0[4] = {10, 10, 10, 10};
    float* ins[2] = {in, in};
    float* outs[2] = {out0, out1};
    double* dins[2] = {din, din};
    double* douts[1] = {dout0};
    const bool isDouble = c.op == kProcessDouble || c.op == kPassDouble;
    if (isDouble) {
      plug.AttachInputBuffers(0, 2, dins, 4);
      plug.AttachOutputBuffers(0, 2, douts);
    } else {
      plug.AttachInputBuffers(0, 2, ins, 4);
      plug.AttachOutputBuffers(0, 2, outs);
    }
    switch (c.op) {
      case kProcessFloat:
        plug.ProcessBuffers(0.0f, 4);
        break;
      case kAccumulate:
        plug.ProcessBuffersAccumulating(0.0f, 4);
        break;
      case kPassFloat:
        plug.PassThroughBuffers(0.0f, 4);
        break;
      case kProcessDouble:
        plug.ProcessBuffers(0.0, 4);
        break;
      case kPassDouble:
        plug.PassThroughBuffers(0.0, 4);
        break;
    }
    if (isDouble) {
      EXPECT_EQ(dout0[3], c.expect0) << c.op;
    } else {
      EXPECT_EQ(out0[3], c.expect0) << c.op;
      EXPECT_EQ(out1[3], c.expect1) << c.op;  // unconnected: the host buffer is never written
    }
  }
}

TEST(Buffers, FramesBeyondTheBlockSizeAreNotProcessed)
{
  TestPlug plug;
  int seen = -1;
  plug.process = [&](double**, double**, int n) { seen = n; };
  plug.SetBlockSize(8);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> big(64, 1.0f), out(64, 5.0f);
  float* ins[2] = {big.data(), big.data()};
  float* outs[2] = {out.data(), out.data()};
  plug.AttachInputBuffers(0, 2, ins, 64);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, 64);
  EXPECT_EQ(seen, 8);
  plug.process = nullptr;
  plug.PassThroughBuffers(0.0f, 64);
  EXPECT_EQ(out[7], 1.0f);
  EXPECT_EQ(out[8], 5.0f);
}

TEST(Buffers, DenormalsAreFlushedDuringProcessingAndTheModeRestored)
{
  const unsigned kExceptionFlags = 0x3F;  // sticky flags the test's own conversions may raise
  const unsigned caller = _mm_getcsr();
  _mm_setcsr(caller & ~DenormalGuard::kFlushBits);
  const unsigned before = _mm_getcsr();
  for (bool pass : {false, true}) {
    TestPlug plug(0, "1-1", 0);
    unsigned inside = 0;
    plug.process = [&](double** in, double** out, int n) {
      inside = _mm_getcsr();
      for (int i = 0; i < n; ++i) out[0][i] = in[0][i] * 0.5;
    };
    plug.SetBlockSize(4);
    plug.SetInputChannelConnections(0, 1, true);
    plug.SetOutputChannelConnections(0, 1, true);
    volatile float tiny = FLT_MIN / 4;  // subnormal
    float in[4] = {tiny, -tiny, 1e-39f, 1.0f}, out[4] = {9, 9, 9, 9};
    float* ins[1] = {in};
    float* outs[1] = {out};
    plug.AttachInputBuffers(0, 1, ins, 4);
    plug.AttachOutputBuffers(0, 1, outs);
    if (pass)
      plug.PassThroughBuffers(0.0f, 4);
    else
      plug.ProcessBuffers(0.0f, 4);
    EXPECT_EQ(out[0], 0.0f) << pass;
    EXPECT_EQ(out[1], 0.0f) << pass;
    EXPECT_EQ(out[2], 0.0f) << pass;
    EXPECT_EQ(out[3], pass ? 1.0f : 0.5f) << pass;
    if (!pass) {
      EXPECT_EQ(inside & DenormalGuard::kFlushBits, DenormalGuard::kFlushBits);
    }
    EXPECT_EQ(_mm_getcsr() & ~kExceptionFlags, before & ~kExceptionFlags) << pass;
  }
  _mm_setcsr(caller);
}

TEST(Buffers, ProcessingAllocatesNothing)
{
  TestPlug plug;
  plug.SetBlockSize(256);
  std::vector<float> in(256, 0.25f), out(256);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  double dIn[256] = {}, dOut[256] = {};
  double* dIns[2] = {dIn, dIn};
  double* dOuts[2] = {dOut, dOut};
  core_test::StartCountingAllocations();
  for (int block = 0; block < 8; ++block) {
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 2, true);
    plug.AttachInputBuffers(0, 2, ins, 256);
    plug.AttachOutputBuffers(0, 2, outs);
    plug.ProcessBuffers(0.0f, 256);
    plug.ProcessBuffersAccumulating(0.0f, 256);
    plug.PassThroughBuffers(0.0f, 256);
    plug.AttachInputBuffers(0, 2, dIns, 256);
    plug.AttachOutputBuffers(0, 2, dOuts);
    plug.ProcessBuffers(0.0, 256);
    plug.PassThroughBuffers(0.0, 256);
    plug.SetOutputChannelConnections(1, 1, false);
    plug.ZeroScratchBuffers();
  }
  EXPECT_EQ(core_test::StopCountingAllocations(), 0);
  EXPECT_EQ(out[255], 0.25f);
}

TEST(Labels, ChannelAndBusLabels)
{
  TestPlug plug;
  plug.SetInputLabel(1, "right");
  plug.SetInputLabel(2, "none");
  plug.SetOutputLabel(-1, "none");
  EXPECT_STREQ(plug.In(1)->mLabel.Get(), "right");

  plug.SetInputBusLabel(1, "aux input");
  ASSERT_NE(plug.GetInputBusLabel(0), nullptr);
  EXPECT_STREQ(plug.GetInputBusLabel(0)->Get(), "aux input");  // inserted at the end of an empty list
  EXPECT_EQ(plug.GetInputBusLabel(1), nullptr);
  plug.SetInputBusLabel(2, "ignored");
  plug.SetInputBusLabel(-1, "ignored");
  plug.SetInputBusLabel(0, "input");
  EXPECT_STREQ(plug.GetInputBusLabel(0)->Get(), "input");
  plug.SetInputBusLabel(1, "aux input");
  EXPECT_STREQ(plug.GetInputBusLabel(1)->Get(), "aux input");
  plug.SetOutputBusLabel(0, "output");
  plug.SetOutputBusLabel(0, "main output");
  EXPECT_STREQ(plug.GetOutputBusLabel(0)->Get(), "main output");
  EXPECT_EQ(plug.GetOutputBusLabel(1), nullptr);
}

TEST(Parameters, GUIChangesAndResetReachTheHooksInOrder)
{
  TestPlug plug;
  plug.InitProductParams();
  plug.SetParameterFromGUI(0, 0.5);
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), -20.0);
  ASSERT_EQ(plug.hostChanges.size(), 1u);
  EXPECT_EQ(plug.hostChanges[0], std::make_pair(0, 0.5));
  EXPECT_EQ(plug.paramChanges, std::vector<int>({0}));
  plug.SetParameterFromGUI(7, 0.5);  // no such parameter
  EXPECT_EQ(plug.paramChanges.size(), 1u);

  plug.paramChanges.clear();
  plug.OnParamReset();
  EXPECT_EQ(plug.paramChanges, std::vector<int>({0, 1, 2, 3}));
  plug.hostChanges.clear();
  plug.DirtyParameters();
  ASSERT_EQ(plug.hostChanges.size(), 4u);
  EXPECT_DOUBLE_EQ(plug.hostChanges[2].second, (0.3 - 0.05) / (0.98 - 0.05));
  plug.AttachGraphics(nullptr);
  EXPECT_EQ(plug.GetGUI(), nullptr);
  plug.RedrawParamControls();
  EXPECT_EQ(plug.GetParam(4), nullptr);
  EXPECT_EQ(plug.GetParam(-1), nullptr);
}

TEST(Identity, NamesVersionsAndQueries)
{
  TestPlug plug(4, "1-1 2-2", 1, false,
                "A plug-in name that runs on far beyond the one hundred and twenty-seven "
                "characters that the effect name field can hold, so it has to be cut short");
  EXPECT_EQ(strlen(plug.GetEffectName()), 127u);
  EXPECT_STREQ(plug.GetMfrName(), "Quillmarsh");
  EXPECT_EQ(plug.GetUniqueID(), core_test::kUniqueID);
  EXPECT_EQ(plug.GetEffectVersion(false), 0x10000);
  EXPECT_EQ(plug.GetEffectVersion(true), 10000);
  char str[32];
  plug.GetEffectVersionStr(str);
  EXPECT_STREQ(str, "v1.0.0");
  EXPECT_EQ(plug.GetHost(), kHostUninit);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_FALSE(plug.IsBypassed());
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);  // no tempo from the host
  EXPECT_STREQ(plug.GetAPIString(), "AU");
  EXPECT_STREQ(IPlugBase::GetArchString(), "x64");
  plug.SetLatency(32);
  EXPECT_EQ(plug.GetLatency(), 32);

  plug.SetHost("REAPER64", 0x050A03);
  EXPECT_EQ(plug.GetHost(), kHostReaper);
  EXPECT_EQ(plug.GetHostVersion(true), 51003);
  plug.GetHostVersionStr(str);
  EXPECT_STREQ(str, "v5.10.3");
}

TEST(Midi, SendMidiMsgsSendsEveryMessageAndReportsAnyFailure)
{
  TestPlug plug;
  WDL_TypedBuf<IMidiMsg> msgs;
  for (int i = 0; i < 3; ++i) msgs.Add(IMidiMsg(i, 0x90, (uint8_t)(60 + i), 100));
  EXPECT_TRUE(plug.SendMidiMsgs(&msgs));
  plug.sendResult = [](const IMidiMsg& m) { return m.mOffset != 1; };
  plug.sent.clear();
  EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
  EXPECT_EQ(plug.sent.size(), 3u);
  IMidiMsg m(0, 0xB0, 7, 64);
  plug.sent.clear();
  plug.ProcessMidiMsg(&m);
  ASSERT_EQ(plug.sent.size(), 1u);
  EXPECT_EQ(plug.sent[0].mData2, 64);
}

}  // namespace
