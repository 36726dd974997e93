// kelvo render: a file (or the built-in demo) through the plug-in.
#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "audiofile.h"
#include "cli.h"
#include "commands.h"
#include "outfile.h"
#include "progress.h"
#include "riff.h"
#include "samples.h"
#include "session.h"

namespace {

const CommandLine kRender = {
    "render",
    "[IN] [OUT] [options]",
    "Renders IN through Kelvo into OUT, at IN's sample rate and channel count, in\n"
    "IN's sample format. IN may be any mono or stereo file libsndfile reads (WAV,\n"
    "AIFF, FLAC, ...). OUT's extension chooses its container; without OUT the result\n"
    "goes beside IN as NAME-kelvo.EXT. Without IN, kelvo renders a built-in demo riff\n"
    "into kelvo-demo.wav.\n"
    "\n"
    "  --set NAME=VALUE  set a parameter in its display units (repeatable)\n"
    "  --preset N        select factory preset N\n"
    "  --state FILE      restore a state saved with 'kelvo state save'\n"
    "                    (applied first, then --preset, then each --set)\n"
    "  --bypass          bypass the effect\n"
    "  --block N         frames per render call, 1 to 4096 (default 512)\n"
    "  --format F        float, pcm16 or pcm24 instead of IN's sample format;\n"
    "                    integer formats clip at full scale, float keeps overloads\n"
    "  --quiet           no progress bar and no summary\n"
    "  --bundle PATH     the plug-in bundle (default: ../Kelvo.component beside kelvo)\n",
    {kSetOption, kPresetOption, kStateOption, {"bypass", nullptr, false}, {"block", "N", false},
     {"format", "F", false}, {"quiet", nullptr, false}, kBundleOption},
};

constexpr int kDemoRate = 48000;
constexpr long kChunkFrames = 8192;
constexpr const char* kDemoOut = "kelvo-demo.wav";

// NAME-kelvo.EXT beside the input.
std::string DefaultOutput(const std::string& in) {
  const size_t slash = in.rfind('/');
  const size_t dot = in.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
    return in + "-kelvo";
  return in.substr(0, dot) + "-kelvo" + in.substr(dot);
}

std::string ChannelsText(int channels) { return channels == 1 ? "mono" : "stereo"; }

}  // namespace

int RunRender(int argc, char** argv) {
  Args args;
  const int parsed = ParseCommandLine(kRender, argc, argv, args);
  if (parsed >= 0) return parsed;
  const std::vector<std::string>& pos = args.Positional();
  if (pos.size() > 2) return Misuse(kRender, "too many files: '" + pos[2] + "'");
  long block = 512;
  if (args.Has("block") && !ParseInt(args.Value("block"), 1, 4096, block))
    return Misuse(kRender, "--block takes 1 to 4096 frames, not '" + args.Value("block") + "'");
  SampleFormat format = SampleFormat::Same;
  if (args.Has("format") && !ParseSampleFormat(args.Value("format"), format))
    return Misuse(kRender, "--format takes float, pcm16 or pcm24, not '" + args.Value("format") + "'");
  const bool demo = pos.empty();
  const std::string in = demo ? "" : pos[0];
  const std::string out = pos.size() > 1 ? pos[1] : demo ? kDemoOut : DefaultOutput(in);
  if (!demo && SameFile(in, out)) return Misuse(kRender, "OUT '" + out + "' is the input file; choose another");

  // The source: the input file, or the demo riff in memory.
  std::string err;
  AudioReader reader;
  std::vector<float> riff;
  // The demo is synthesized in float and kept in float: a fuzz this hot would clip in 16 bits.
  int channels = 2, rate = kDemoRate, inFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  int64_t total = 0;
  std::function<long(float* const*, long)> read;  // into one array per channel
  if (demo) {
    riff = SynthesizeRiff(rate, channels);
    total = (int64_t)(riff.size() / channels);
    read = [&, done = (int64_t)0](float* const* dst, long frames) mutable {
      const long n = (long)std::min<int64_t>(frames, total - done);
      Deinterleave(riff.data() + done * channels, dst, channels, n, 1.f);
      done += n;
      return n;
    };
  } else {
    if (!reader.Open(in, err)) return Fail(err);
    channels = reader.Channels();
    rate = reader.SampleRate();
    inFormat = reader.Format();
    total = reader.Frames();
    read = [&](float* const* dst, long frames) { return reader.Read(dst, frames, err); };
  }

  AUSession session;
  int status = LoadPlugin(kRender, args, session);
  if (status == kExitOk) status = ApplyPluginOptions(kRender, args, session);
  if (status != kExitOk) return status;
  if (args.Has("bypass") && !session.SetBypass(true, err)) return Fail(err);
  if (!session.Prepare(rate, channels, (int)block, err)) return Fail(err);

  AudioWriter writer;
  if (!writer.Open(out, channels, rate, inFormat, format, err)) return Fail(err);

  // Files are read and written in chunks of whole blocks, at least kChunkFrames
  // long, whatever the block: a file call per small block costs more than the
  // effect does. The plug-in still renders block by block.
  const long chunk = (kChunkFrames + block - 1) / block * block;
  std::vector<float> planarIn((size_t)chunk * 2), planarOut((size_t)chunk * 2);
  float* ins[2] = {planarIn.data(), planarIn.data() + chunk};
  float* outs[2] = {planarOut.data(), planarOut.data() + chunk};
  Progress progress(total, rate, !args.Has("quiet"));
  int64_t done = 0;
  for (;;) {
    const long got = read(ins, chunk);
    if (got < 0) return Fail(err);
    if (got == 0) break;
    for (long at = 0; at < got; at += block) {
      const float* in[2] = {ins[0] + at, ins[1] + at};
      float* out[2] = {outs[0] + at, outs[1] + at};
      if (!session.Render(in, out, (int)std::min(block, got - at), err)) return Fail(err);
    }
    if (!writer.Write(outs, got, err)) return Fail(err);
    done += got;
    progress.Update(done);
  }
  progress.Finish();
  if (!writer.Finish(err)) return Fail(err);

  const double seconds = (double)done / rate;
  const double elapsed = progress.Elapsed();
  if (!args.Has("quiet")) {
    char facts[160];
    if (demo)
      snprintf(facts, sizeof(facts), "the built-in demo riff (%.1f s of plucked power chords, %s, %d Hz)", seconds,
               ChannelsText(channels).c_str(), rate);
    else
      snprintf(facts, sizeof(facts), " (%.2f s, %s, %d Hz, %s)", seconds, ChannelsText(channels).c_str(), rate,
               DescribeFormat(inFormat).c_str());
    const std::string what = demo ? std::string(facts) : "'" + in + "'" + facts;
    // The demo's output is named by kelvo, so say where it lies.
    char real[PATH_MAX];
    const std::string where = demo && realpath(out.c_str(), real) ? real : out;
    printf("Rendered %s\nthrough %s%s into '%s' (%s)\nin %.2f s, %.0fx realtime, %ld-frame blocks\nwith %s\n",
           what.c_str(), session.Name().c_str(), args.Has("bypass") ? " (bypassed)" : "", where.c_str(),
           DescribeFormat(writer.Format()).c_str(), elapsed, elapsed > 0 ? seconds / elapsed : 0.0, block,
           DescribeParameters(session).c_str());
  }
  if (writer.ClippedSamples() > 0)
    fprintf(stderr, "kelvo: %lld samples clipped at full scale in '%s' (32-bit float output keeps them)\n",
            (long long)writer.ClippedSamples(), out.c_str());
  return kExitOk;
}
