#include "renderjob.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "riff.h"
#include "samples.h"
#include "session.h"

namespace {

constexpr int kDemoRate = 48000;
constexpr long kChunkFrames = 8192;
// How close to its target the control must be before the first frame.
constexpr double kSettled = 1e-9;
// A unit whose silence still rings after this many seconds is rendered as it is.
constexpr double kMostRingingSeconds = 10.0;
// A latency longer than this is taken for a fault of the unit's, not compensated.
constexpr double kMostLatencySeconds = 60.0;

}  // namespace

int64_t SettleFrames(double sampleRate)
{
  // The control glides toward its target by e^(-4π/rate) per frame (a 1 Hz
  // one-pole smoother, stepped twice per frame); a new instance starts it at
  // 0 and every target lies in 0 ... 1, so it starts at most 1 away. The
  // channel stepped first is half a step behind, hence the half frame more.
  return (int64_t)std::ceil(sampleRate * std::log(1.0 / kSettled) / (4 * M_PI) + 0.5);
}

bool RenderJob::Open(const std::string& in, const std::string& out, const RenderOptions& options, bool& misuse,
                     std::string& err)
{
  mIn = in;
  mOut = out;
  mOptions = options;
  misuse = false;
  if (IsDemo()) {
    // The demo is synthesized in float and kept in float: a fuzz this hot would clip in 16 bits.
    mRate = kDemoRate;
    mChannels = 2;
    mInFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    mRiff = SynthesizeRiff(mRate, mChannels);
    mFrames = (int64_t)(mRiff.size() / mChannels);
  } else {
    if (!mReader.Open(in, err)) return false;
    mChannels = mReader.Channels();
    mRate = mReader.SampleRate();
    mInFormat = mReader.Format();
    mFrames = mReader.Frames();
  }
  return ChooseOutputFormat(out, options.type, mInFormat, options.format, mChannels, mRate, mOutFormat, misuse, err);
}

long RenderJob::Read(float* const* dst, long frames, std::string& err)
{
  if (!IsDemo()) return mReader.Read(dst, frames, err);
  const long n = (long)std::min<int64_t>(frames, mFrames - mDone);
  Deinterleave(mRiff.data() + mDone * mChannels, dst, mChannels, n, 1.f);
  return n;
}

bool RenderJob::Settle(AUSession& session, std::string& err)
{
  const long block = mOptions.block;
  std::vector<float> silence((size_t)block, 0.f), out((size_t)block * 2);
  const float* in[2] = {silence.data(), silence.data()};
  float* outs[2] = {out.data(), out.data() + block};
  const int64_t glide = SettleFrames(mRate), most = glide + (int64_t)(kMostRingingSeconds * mRate);
  // Silence goes in until the glide is over and silence comes out; the output
  // is looked at only once the glide is over.
  bool quiet = false;
  while (mSettled < glide || (!quiet && mSettled < most)) {
    const int n = (int)(mSettled < glide ? std::min<int64_t>(block, glide - mSettled) : block);
    if (!session.Render(in, outs, n, err)) return false;
    mSettled += n;
    quiet = mSettled >= glide;
    for (int c = 0; c < mChannels && quiet; ++c)
      for (int i = 0; i < n && quiet; ++i) quiet = outs[c][i] == 0.f;
  }
  return true;
}

bool RenderJob::Run(AUSession& session, const std::function<void(int64_t)>& advanced, std::string& err)
{
  const long block = mOptions.block;
  if (mOptions.hostBypass && !session.SetBypass(true, err)) return false;
  if (mOptions.quality != 0 && !session.SetRenderQuality(mOptions.quality, err)) return false;
  if (!session.Prepare(mRate, mChannels, (int)block, err)) return false;
  // With the host's bypass the effect does not run, so there is nothing to settle.
  if (mOptions.settle && !mOptions.hostBypass && !Settle(session, err)) return false;

  // The unit's latency, read after it is prepared: that many leading output frames are
  // dropped and as many frames of silence rendered after the input, so the output lines up
  // with the input and is as long.
  double latencySeconds = 0;
  if (!session.Seconds(kAudioUnitProperty_Latency, latencySeconds, err)) return false;
  const double latencyFrames = std::round(latencySeconds * mRate);
  if (!(latencyFrames >= 0 && latencyFrames <= kMostLatencySeconds * mRate)) {
    err = "the plug-in reports a latency of " + std::to_string(latencySeconds) + " s, which cannot be compensated";
    return false;
  }
  const int64_t latency = (int64_t)latencyFrames;

  AudioWriter writer;
  if (!writer.Open(mOut, mChannels, mRate, mOutFormat, err)) return false;
  mToStdout = writer.WritesTo(1);

  // Files are read and written in chunks of whole blocks, at least kChunkFrames
  // long, whatever the block: a file call per small block costs more than the
  // effect does. The plug-in still renders block by block.
  const long chunk = (kChunkFrames + block - 1) / block * block;
  std::vector<float> planarIn((size_t)chunk * 2), planarOut((size_t)chunk * 2);
  float* ins[2] = {planarIn.data(), planarIn.data() + chunk};
  float* outs[2] = {planarOut.data(), planarOut.data() + chunk};
  int64_t skip = latency;
  // Renders got frames of ins and writes what is left after the frames still to be dropped.
  auto renderChunk = [&](long got) {
    for (long at = 0; at < got; at += block) {
      const float* in[2] = {ins[0] + at, ins[1] + at};
      float* out[2] = {outs[0] + at, outs[1] + at};
      if (!session.Render(in, out, (int)std::min(block, got - at), err)) return false;
    }
    const long from = (long)std::min<int64_t>(skip, got);
    skip -= from;
    const float* kept[2] = {outs[0] + from, outs[1] + from};
    return from == got || writer.Write(kept, got - from, err);
  };
  for (;;) {
    const long got = Read(ins, chunk, err);
    if (got < 0) return false;
    if (got == 0) break;
    if (!renderChunk(got)) return false;
    mDone += got;
    advanced(got);
  }
  std::fill(planarIn.begin(), planarIn.end(), 0.f);
  for (int64_t tail = latency; tail > 0;) {
    const long got = (long)std::min<int64_t>(chunk, tail);
    if (!renderChunk(got)) return false;
    tail -= got;
  }
  if (!writer.Finish(err)) return false;
  mClipped = writer.ClippedSamples();
  return true;
}
