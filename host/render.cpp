// kelvo render: files (or the built-in demo) through the plug-in.
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <thread>
#include <utility>

#include "batch.h"
#include "cli.h"
#include "commands.h"
#include "outfile.h"
#include "progress.h"
#include "renderjob.h"
#include "session.h"

namespace {

const CommandLine kRender = {
    "render",
    "[IN] [OUT] [options]\n       kelvo render IN... --out-dir DIR [options]",
    "Renders IN through Kelvo into OUT, at IN's sample rate and channel count, in\n"
    "IN's sample format. IN may be any mono or stereo file libsndfile reads (WAV,\n"
    "AIFF, FLAC, Ogg, MP3, ...). OUT's extension chooses its container: wav, aiff,\n"
    "flac, ogg (Vorbis), opus, mp3, caf, w64, rf64 or au; an unknown one is refused.\n"
    "Without OUT the result goes beside IN as NAME-kelvo.EXT. Without IN, kelvo\n"
    "renders a built-in demo riff into kelvo-demo.wav. '-' as IN reads standard\n"
    "input and '-' as OUT writes standard output; a pipe takes only types that\n"
    "stream (au, ogg, opus, mp3: choose one with --type).\n"
    "\n"
    "With --out-dir, every IN is rendered with the same settings into\n"
    "DIR/NAME-kelvo.EXT, files side by side on all cores; a file that fails is\n"
    "reported and the others go on (exit status 1 when any failed).\n"
    "\n"
    "A new instance's control glides to its target over about a third of a second,\n"
    "so kelvo first renders silence through it until the control has settled, as a\n"
    "host that has had the plug-in open for a while would, and discards it.\n"
    "\n"
    "  --set NAME=VALUE  set a parameter in its display units (repeatable); NAME in\n"
    "                    any case, or the knob's label on the panel (FUZZ is GainL);\n"
    "                    Bypass takes 0/1 or on/off\n"
    "  --preset N        select factory preset N\n"
    "  --state FILE      restore a state saved with 'kelvo state save' or the editor\n"
    "                    (applied first, then --preset, then each --set)\n"
    "  --strict          refuse a state whose values the plug-in would have to change\n"
    "  --bypass          the host's bypass: the unit copies its input untouched, and\n"
    "                    its parameters (Bypass too) play no part. --set Bypass=on is\n"
    "                    the plug-in's own switch, as its editor's footswitch sets it\n"
    "  --no-settle       render from a new instance's control, gliding from 0\n"
    "  --quality Q       standard (default), high or best: the higher ones fold\n"
    "                    back less of the fuzz's overtones, cost more and delay\n"
    "                    the output by a few samples\n"
    "  --block N         frames per render call, 1 to 4096 (default 512)\n"
    "  --format F        float, pcm16 or pcm24 instead of IN's sample format;\n"
    "                    integer formats clip at full scale, float keeps overloads\n"
    "  --type EXT        OUT's container, whatever its name says (for '-' and pipes)\n"
    "  --out-dir DIR     render every IN into DIR (made when missing)\n"
    "  --jobs N          files rendered at once with --out-dir (default: the cores)\n"
    "  --quiet           no progress bar, summary or warnings; errors only\n"
    "  --bundle PATH     the plug-in bundle (default: ../Kelvo.component beside kelvo)\n",
    {kSetOption,
     kPresetOption,
     kStateOption,
     kStrictOption,
     {"bypass", nullptr, false},
     {"no-settle", nullptr, false},
     {"quality", "Q", false},
     {"block", "N", false},
     {"format", "F", false},
     {"type", "EXT", false},
     {"out-dir", "DIR", false},
     {"jobs", "N", false},
     kQuietOption,
     kBundleOption},
};

constexpr const char* kDemoOut = "kelvo-demo.wav";

// NAME-kelvo.EXT beside the input.
std::string DefaultOutput(const std::string& in)
{
  const size_t slash = in.rfind('/');
  const size_t dot = in.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1) return in + "-kelvo";
  return in.substr(0, dot) + "-kelvo" + in.substr(dot);
}

std::string ChannelsText(int channels) { return channels == 1 ? "mono" : "stereo"; }

// How the unit was switched, for the summary: the host's bypass, the plug-in's own, or neither.
std::string BypassText(const AUSession& session, bool hostBypass)
{
  if (hostBypass) return ", bypassed by the host (--bypass: the input is copied untouched)";
  for (const ParameterDesc& p : session.Parameters()) {
    float v = 0;
    std::string err;
    if (p.name == "Bypass" && session.ParameterValue(p.id, v, err) && v >= 1)
      return ", its Bypass parameter on (the plug-in copies its input)";
  }
  return "";
}

std::string SettleText(const RenderJob& job, const RenderOptions& o)
{
  if (o.hostBypass) return "";
  char buf[128];
  if (!o.settle) return "from a new instance's control, gliding from 0 (--no-settle)\n";
  snprintf(buf, sizeof(buf), "after settling on %lld frames of silence (%.2f s)\n", (long long)job.SettledFrames(),
           (double)job.SettledFrames() / job.SampleRate());
  return buf;
}

void WarnOfClipping(const Args& args, const RenderJob& job)
{
  if (job.ClippedSamples() > 0)
    Warn(args, std::to_string(job.ClippedSamples()) + " samples clipped at full scale in " + NameOf(job.Out(), true) +
                   "; use --format float to keep the peaks");
}

int ReadOptions(const Args& args, RenderOptions& o)
{
  if (args.Has("block") && !ParseInt(args.Value("block"), 1, 4096, o.block))
    return Misuse(kRender, "--block takes 1 to 4096 frames, not '" + args.Value("block") + "'");
  if (args.Has("format") && !ParseSampleFormat(args.Value("format"), o.format))
    return Misuse(kRender, "--format takes float, pcm16 or pcm24, not '" + args.Value("format") + "'");
  o.type = args.Value("type");
  if (args.Has("type") && o.type.empty()) return Misuse(kRender, "--type takes an extension such as flac");
  o.settle = !args.Has("no-settle");
  o.hostBypass = args.Has("bypass");
  if (args.Has("quality")) {
    const std::string q = args.Value("quality");
    if (q == "high")
      o.quality = kRenderQuality_High;
    else if (q == "best")
      o.quality = kRenderQuality_Max;
    else if (q != "standard")
      return Misuse(kRender, "--quality takes standard, high or best, not '" + q + "'");
  }
  return -1;
}

int RenderOne(const Args& args, const RenderOptions& o)
{
  const std::vector<std::string>& pos = args.Positional();
  const bool demo = pos.empty();
  const std::string in = demo ? "" : pos[0];
  if (in == "-" && pos.size() < 2)
    return Misuse(kRender, "reading standard input, give OUT (a file, or - for standard output)");
  const std::string out = pos.size() > 1 ? pos[1] : demo ? kDemoOut : DefaultOutput(in);
  if (!demo && in != "-" && SameFile(in, out))
    return Misuse(kRender, "OUT '" + out + "' is the input file; choose another");
  SetInterruptNote(demo || in == "-" ? "" : "kelvo: '" + in + "' is only read, and is as it was");

  std::string err;
  bool misuse = false;
  RenderJob job;
  if (!job.Open(in, out, o, misuse, err)) return misuse ? Misuse(kRender, err) : Fail(err);
  AUSession session;
  int status = LoadPlugin(kRender, args, session);
  if (status == kExitOk) status = ApplyPluginOptions(kRender, args, session);
  if (status != kExitOk) return status;

  const bool quiet = args.Has("quiet");
  Progress progress(job.Frames(), job.SampleRate(), !quiet);
  const bool ok = job.Run(
      session, [&](int64_t) { progress.Update(job.FramesDone()); }, err);
  progress.Finish();
  if (!ok) return Fail(err);

  if (!quiet) {
    const double seconds = (double)job.FramesDone() / job.SampleRate();
    const double elapsed = progress.Elapsed();
    char facts[200];
    if (job.IsDemo())
      snprintf(facts, sizeof(facts), "the built-in demo riff (%.1f s of plucked power chords, %s, %d Hz)", seconds,
               ChannelsText(job.Channels()).c_str(), job.SampleRate());
    else
      snprintf(facts, sizeof(facts), "%s (%.2f s, %s, %d Hz, %s)", NameOf(in, false).c_str(), seconds,
               ChannelsText(job.Channels()).c_str(), job.SampleRate(), DescribeFormat(job.InputFormat()).c_str());
    // The demo's output is named by kelvo, so say where it lies.
    char real[PATH_MAX];
    const std::string where =
        job.IsDemo() && realpath(out.c_str(), real) ? "'" + std::string(real) + "'" : NameOf(out, true);
    // The summary keeps out of the way of sound on standard output.
    FILE* to = job.WroteStandardOutput() ? stderr : stdout;
    fprintf(to, "Rendered %s\nthrough %s%s into %s (%s)\n%sin %.2f s, %.0fx realtime, %ld-frame blocks\nwith %s\n",
            facts, session.Name().c_str(), BypassText(session, o.hostBypass).c_str(), where.c_str(),
            DescribeFormat(job.OutputFormat()).c_str(), SettleText(job, o).c_str(), elapsed,
            elapsed > 0 ? seconds / elapsed : 0.0, o.block, DescribeParameters(session).c_str());
  }
  WarnOfClipping(args, job);
  return kExitOk;
}

int RenderBatch(const Args& args, const RenderOptions& o)
{
  const std::vector<std::string>& ins = args.Positional();
  std::string dir = args.Value("out-dir");
  if (ins.empty()) return Misuse(kRender, "--out-dir needs the files to render");
  if (dir.empty()) return Misuse(kRender, "--out-dir needs a folder");
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  long jobs = (long)std::max(1u, std::thread::hardware_concurrency());
  if (args.Has("jobs") && !ParseInt(args.Value("jobs"), 1, 64, jobs))
    return Misuse(kRender, "--jobs takes 1 to 64 files at once, not '" + args.Value("jobs") + "'");
  // Each input and output is looked up once: a batch may be long.
  struct stat st;
  std::set<std::pair<dev_t, ino_t>> inputFiles;
  for (const std::string& in : ins)
    if (stat(in.c_str(), &st) == 0) inputFiles.insert({st.st_dev, st.st_ino});
  std::vector<std::string> outs;
  std::map<std::string, size_t> writer;  // each output and the input written to it
  for (size_t i = 0; i < ins.size(); ++i) {
    if (ins[i] == "-") return Misuse(kRender, "--out-dir renders files; standard input has no name to give");
    outs.push_back(dir + "/" + DefaultOutput(BaseName(ins[i])));
    const auto taken = writer.insert({outs[i], i});
    if (!taken.second)
      return Misuse(kRender, "'" + ins[taken.first->second] + "' and '" + ins[i] + "' would both be written to '" +
                                 outs[i] + "'");
    if (stat(outs[i].c_str(), &st) == 0 && inputFiles.count({st.st_dev, st.st_ino}))
      return Misuse(kRender, "'" + outs[i] + "' is an input file; choose another --out-dir");
  }
  // The settings are checked and applied once, and every file's instance
  // takes them as a state.
  AUSession settings;
  int status = LoadPlugin(kRender, args, settings);
  if (status == kExitOk) status = ApplyPluginOptions(kRender, args, settings);
  if (status != kExitOk) return status;
  if (stat(dir.c_str(), &st) != 0) {
    if (mkdir(dir.c_str(), 0777) != 0) return Fail("cannot make the folder '" + dir + "': " + strerror(errno));
  } else if (!S_ISDIR(st.st_mode)) {
    return Fail("'" + dir + "' is not a folder");
  }
  std::string err;
  CFPropertyListRef state = nullptr;
  if (!settings.CopyState(state, err)) return Fail(err);
  SetInterruptNote("kelvo: the inputs are only read; outputs finished before the interrupt are whole");

  const size_t n = ins.size();
  std::vector<RenderJob> renders(n);
  std::vector<std::string> errors(n);
  std::vector<char> ok(n, 0);
  int64_t total = 0;
  for (const std::string& in : ins) {
    AudioReader peek;
    std::string ignored;
    if (peek.Open(in, ignored) && peek.Frames() > 0) total += peek.Frames();
  }
  const bool quiet = args.Has("quiet");
  std::atomic<int64_t> done{0};
  std::atomic<size_t> finished{0};
  Progress progress(total, 0, !quiet);
  RunSideBySide(
      n, (unsigned)jobs,
      [&](size_t i) {
        bool misuse = false;
        std::vector<std::string> notes;
        AUSession session;
        ok[i] = renders[i].Open(ins[i], outs[i], o, misuse, errors[i]) &&
                session.Open(settings.Component(), errors[i]) &&
                session.RestoreState(state, "the settings", false, notes, errors[i]) &&
                renders[i].Run(
                    session, [&](int64_t frames) { done += frames; }, errors[i]);
        ++finished;
      },
      [&] { progress.Update(done, std::to_string(finished) + " of " + std::to_string(n) + " files"); });
  progress.Finish();
  CFRelease(state);

  size_t failed = 0;
  double seconds = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!ok[i]) {
      ++failed;
      fprintf(stderr, "kelvo: %s\n", errors[i].c_str());
      continue;
    }
    seconds += (double)renders[i].FramesDone() / renders[i].SampleRate();
    WarnOfClipping(args, renders[i]);
  }
  if (!quiet) {
    const double elapsed = progress.Elapsed();
    printf(
        "Rendered %zu of %zu files (%.2f s of audio) through %s%s into '%s'\n"
        "in %.2f s, %.0fx realtime, %zu at a time, %ld-frame blocks%s\nwith %s\n",
        n - failed, n, seconds, settings.Name().c_str(), BypassText(settings, o.hostBypass).c_str(), dir.c_str(),
        elapsed, elapsed > 0 ? seconds / elapsed : 0.0, std::min<size_t>(n, (size_t)jobs), o.block,
        o.settle && !o.hostBypass ? ", each settled first" : "", DescribeParameters(settings).c_str());
  }
  if (failed > 0) return Fail(std::to_string(failed) + " of " + std::to_string(n) + " files failed");
  return kExitOk;
}

}  // namespace

int RunRender(int argc, char** argv)
{
  Args args;
  int status = ParseCommandLine(kRender, argc, argv, args);
  if (status >= 0) return status;
  RenderOptions options;
  if ((status = ReadOptions(args, options)) >= 0) return status;
  if (args.Has("out-dir")) return RenderBatch(args, options);
  if (args.Has("jobs")) return Misuse(kRender, "--jobs goes with --out-dir");
  if (args.Positional().size() > 2)
    return Misuse(kRender, "too many files: '" + args.Positional()[2] + "'; to render several, give --out-dir DIR");
  return RenderOne(args, options);
}
