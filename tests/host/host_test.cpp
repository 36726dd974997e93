// The kelvo command, run as a subprocess against the built plug-in bundle.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <dirent.h>
#include <pty.h>
#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Result
{
  int status = -1;
  std::string out, err;
};

std::string Slurp(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void Spill(const std::string& path, const std::string& text)
{
  std::ofstream f(path, std::ios::binary);
  f << text;
}

struct Sound
{
  int channels = 0, rate = 0, format = 0;
  std::vector<float> samples;  // interleaved
};

// The names in a directory, hidden ones too.
std::set<std::string> Names(const std::string& dir)
{
  std::set<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) names.insert(e->d_name);
    closedir(d);
  }
  return names;
}

// A scratch directory per test, with helpers to run kelvo in it.
class Host : public ::testing::Test
{
protected:
  void SetUp() override
  {
    const char* build = getenv("KELVO_BUILD_DIR");
    ASSERT_TRUE(build) << "KELVO_BUILD_DIR is not set";
    mKelvo = std::string(build) + "/bin/kelvo";
    char tmpl[] = "/tmp/kelvo-host-test-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    mDir = tmpl;
  }
  // Removes the scratch directory and everything in it, folders too.
  void TearDown() override
  {
    nftw(
        mDir.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
  }

  std::string Path(const std::string& name) const { return mDir + "/" + name; }

  // Every file in the scratch directory, hidden ones too.
  std::set<std::string> Files() const { return Names(mDir); }

  // Runs kelvo with args in the scratch directory.
  Result Run(const std::vector<std::string>& args) const { return Exec(mKelvo, args); }

  // Runs a shell script in the scratch directory, with kelvo as $K.
  Result Shell(const std::string& script) const { return Exec("/bin/sh", {"-c", script}); }

  Result Exec(const std::string& program, const std::vector<std::string>& args) const
  {
    Result r;
    const std::string out = mDir + "/../" + BaseName() + ".stdout", err = mDir + "/../" + BaseName() + ".stderr";
    const pid_t pid = fork();
    if (pid == 0) {
      const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(o, 1);
      dup2(e, 2);
      setenv("K", mKelvo.c_str(), 1);
      ExecHere(program, args);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = Slurp(out);
    r.err = Slurp(err);
    unlink(out.c_str());
    unlink(err.c_str());
    return r;
  }

  // In a child process: runs program with args in the scratch directory; never returns.
  [[noreturn]] void ExecHere(const std::string& program, const std::vector<std::string>& args) const
  {
    if (chdir(mDir.c_str()) != 0) _exit(127);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }

  // Runs kelvo with args on a terminal of its own (of size, when given) and
  // returns all it showed there; status is its wait status.
  std::string OnTerminal(const std::vector<std::string>& args, const winsize* size, int& status) const
  {
    int terminal = -1;
    status = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, size);
    EXPECT_GE(pid, 0) << "forkpty: " << strerror(errno);
    if (pid < 0) return "";
    if (pid == 0) ExecHere(mKelvo, args);
    std::string shown;
    char buf[4096];
    for (ssize_t n; (n = read(terminal, buf, sizeof(buf))) > 0;) shown.append(buf, (size_t)n);
    waitpid(pid, &status, 0);
    close(terminal);
    return shown;
  }

  std::string BaseName() const { return mDir.substr(mDir.rfind('/') + 1); }

  void Write(const std::string& name, const Sound& s) const
  {
    SF_INFO info = {};
    info.channels = s.channels;
    info.samplerate = s.rate;
    info.format = s.format;
    SNDFILE* f = sf_open(Path(name).c_str(), SFM_WRITE, &info);
    ASSERT_TRUE(f) << sf_strerror(nullptr);
    sf_writef_float(f, s.samples.data(), (sf_count_t)(s.samples.size() / s.channels));
    sf_close(f);
  }

  Sound Read(const std::string& name) const
  {
    Sound s;
    SF_INFO info = {};
    SNDFILE* f = sf_open(Path(name).c_str(), SFM_READ, &info);
    EXPECT_TRUE(f) << name << ": " << sf_strerror(nullptr);
    if (!f) return s;
    s.channels = info.channels;
    s.rate = info.samplerate;
    s.format = info.format;
    s.samples.resize((size_t)(info.frames * info.channels));
    sf_readf_float(f, s.samples.data(), info.frames);
    sf_close(f);
    return s;
  }

  std::string mKelvo, mDir;
};

// A test signal: a sine of amplitude amp, with a little noise so channels differ.
Sound Tone(int channels, int rate, int frames, float amp, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
  Sound s{channels, rate, format, {}};
  uint32_t seed = 1;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      seed = seed * 1664525u + 1013904223u;
      const float noise = ((seed >> 9) / 8388608.f - 0.5f) * 0.05f;
      s.samples.push_back(amp * (float)sin(2 * M_PI * 220.0 * (c + 1) * i / rate) + noise * amp);
    }
  return s;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// --- Rendering ---------------------------------------------------------------

TEST_F(Host, SilenceGivesSilenceInEveryLayout)
{
  const struct
  {
    int channels, rate, format;
  } kCases[] = {{1, 44100, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                {2, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                {2, 96000, SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
                {1, 22050, SF_FORMAT_FLAC | SF_FORMAT_PCM_16}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.channels * 1000000 + c.rate);
    const char* ext = (c.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_AIFF   ? "aiff"
                      : (c.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC ? "flac"
                                                                          : "wav";
    const std::string in = std::string("silence.") + ext, out = std::string("out.") + ext;
    Write(in, Sound{c.channels, c.rate, c.format, std::vector<float>(3000 * c.channels, 0.f)});
    const Result r = Run({"render", in, out});
    ASSERT_EQ(r.status, 0) << r.err;
    const Sound s = Read(out);
    EXPECT_EQ(s.channels, c.channels);
    EXPECT_EQ(s.rate, c.rate);
    EXPECT_EQ(s.format, c.format);
    ASSERT_EQ(s.samples.size(), 3000u * c.channels);
    for (float v : s.samples) ASSERT_EQ(v, 0.f);
  }
}

TEST_F(Host, BypassedFloatRenderEqualsInput)
{
  // More than full scale, and a length that no block size divides.
  const Sound in = Tone(2, 44100, 10007, 1.5f);
  Write("in.wav", in);
  const std::vector<std::string> kWays[] = {{"--bypass", "--block", "1"},
                                            {"--bypass", "--block", "37"},
                                            {"--bypass"},
                                            {"--bypass", "--block", "4096"},
                                            {"--set", "Bypass=1"}};
  for (const std::vector<std::string>& way : kWays) {
    SCOPED_TRACE(way[0] + " " + way.back());
    std::vector<std::string> args{"render", "in.wav", "out.wav"};
    args.insert(args.end(), way.begin(), way.end());
    const Result r = Run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const Sound out = Read("out.wav");
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(out.samples.size(), in.samples.size());
    for (size_t i = 0; i < in.samples.size(); ++i) ASSERT_EQ(out.samples[i], in.samples[i]) << "sample " << i;
  }
}

TEST_F(Host, MonoRenderMatchesTheLeftChannelOfStereo)
{
  const Sound stereo = Tone(2, 44100, 3000, 0.8f);
  Sound mono{1, 44100, stereo.format, {}};
  for (size_t i = 0; i < stereo.samples.size(); i += 2) mono.samples.push_back(stereo.samples[i]);
  Write("stereo.wav", stereo);
  Write("mono.wav", mono);
  // Without OUT the result goes beside the input.
  ASSERT_EQ(Run({"render", "mono.wav"}).status, 0);
  ASSERT_EQ(Run({"render", "stereo.wav"}).status, 0);
  const Sound m = Read("mono-kelvo.wav"), s = Read("stereo-kelvo.wav");
  ASSERT_EQ(m.channels, 1);
  ASSERT_EQ(m.samples.size() * 2, s.samples.size());
  for (size_t i = 0; i < m.samples.size(); ++i) ASSERT_EQ(m.samples[i], s.samples[2 * i]) << "frame " << i;
}

TEST_F(Host, BlockSizeDoesNotChangeTheSound)
{
  Write("in.wav", Tone(2, 48000, 6000, 0.8f));
  ASSERT_EQ(Run({"render", "in.wav", "a.wav", "--block", "1"}).status, 0);
  ASSERT_EQ(Run({"render", "in.wav", "b.wav", "--block", "4096"}).status, 0);
  const Sound a = Read("a.wav"), b = Read("b.wav");
  ASSERT_EQ(a.samples.size(), b.samples.size());
  EXPECT_EQ(a.samples, b.samples);
  float peak = 0;
  for (float v : a.samples) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 0.01f);  // the effect made sound
}

TEST_F(Host, QualitiesDifferOnlyWhereAsked)
{
  // Standard is the render without the option; the anti-aliased ones sound nearly alike (the
  // same tone, a few samples later, without the folded overtones), each its own, block size
  // or not.
  Write("in.wav", Tone(2, 44100, 6000, 0.5f));
  ASSERT_EQ(Run({"render", "in.wav", "plain.wav"}).status, 0);
  const Sound plain = Read("plain.wav");
  std::vector<std::vector<float>> seen;
  for (const char* q : {"standard", "high", "best"}) {
    SCOPED_TRACE(q);
    const Result r = Run({"render", "in.wav", std::string(q) + ".wav", "--quality", q});
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(Run({"render", "in.wav", std::string(q) + "-1.wav", "--quality", q, "--block", "1"}).status, 0);
    const Sound a = Read(std::string(q) + ".wav"), b = Read(std::string(q) + "-1.wav");
    EXPECT_EQ(a.samples, b.samples);
    ASSERT_EQ(a.samples.size(), plain.samples.size());
    if (std::string(q) == "standard") {
      EXPECT_EQ(a.samples, plain.samples);
    }
    for (const std::vector<float>& other : seen) EXPECT_NE(a.samples, other);
    seen.push_back(a.samples);
  }
}

// The lag in -span ... span at which b correlates best with a, channel by channel summed.
int CorrelationPeak(const Sound& a, const Sound& b, int span)
{
  const size_t frames = a.samples.size() / a.channels;
  int best = 0;
  double bestSum = -1e300;
  for (int lag = -span; lag <= span; ++lag) {
    double sum = 0;
    for (size_t i = (size_t)span; i + (size_t)span < frames; ++i)
      for (int c = 0; c < a.channels; ++c)
        sum += (double)a.samples[i * a.channels + c] * b.samples[(i + lag) * a.channels + c];
    if (sum > bestSum) {
      bestSum = sum;
      best = lag;
    }
  }
  return best;
}

TEST_F(Host, EveryQualityIsAlignedWithTheInputAndAsLong)
{
  // The anti-aliased qualities are some samples late in the unit; the render drops as many
  // leading frames and renders as many more after the input. Lengths shorter than the latency,
  // across a file chunk and at a block of one frame.
  const struct
  {
    int channels, rate, frames;
    const char* block;
  } cases[] = {{2, 44100, 6000, "512"}, {1, 48000, 6000, "1"}, {2, 48000, 9000, "4096"},
               {2, 44100, 3, "512"},    {1, 44100, 1, "1"},    {2, 96000, 8200, "7"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.channels) + " channel(s), " + std::to_string(c.frames) + " frames, block " + c.block);
    // Pure sines: the high quality's mean over the span between samples delays noise by about
    // half a sample more than it does a tone, which would leave the peak between two lags.
    Sound in{c.channels, c.rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT, {}};
    for (int i = 0; i < c.frames; ++i)
      for (int ch = 0; ch < c.channels; ++ch)
        in.samples.push_back(0.5f * (float)sin(2 * M_PI * 220.0 * (ch + 1) * i / c.rate));
    Write("in.wav", in);
    ASSERT_EQ(Run({"render", "in.wav", "standard.wav", "--block", c.block}).status, 0);
    const Sound standard = Read("standard.wav");
    ASSERT_EQ(standard.samples.size(), (size_t)(c.frames * c.channels));
    for (const char* q : {"high", "best"}) {
      SCOPED_TRACE(q);
      ASSERT_EQ(Run({"render", "in.wav", "q.wav", "--quality", q, "--block", c.block}).status, 0);
      const Sound aligned = Read("q.wav");
      ASSERT_EQ(aligned.samples.size(), standard.samples.size());
      if (c.frames > 1000) {
        EXPECT_EQ(CorrelationPeak(standard, aligned, 16), 0);
      }
    }
  }
}

TEST_F(Host, OutputLevelScalesBySettingGain)
{
  Write("in.wav", Tone(2, 44100, 8000, 0.9f));
  ASSERT_EQ(Run({"render", "in.wav", "default.wav"}).status, 0);
  const Result r = Run({"render", "in.wav", "loud.wav", "--set", "OUT=0"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "OUT 0.00")) << r.out;
  const Sound quiet = Read("default.wav"), loud = Read("loud.wav");
  ASSERT_EQ(quiet.samples.size(), loud.samples.size());
  const double gain = pow(10.0, 15.0 / 20.0);  // from the default -15 dB to 0 dB
  int compared = 0;
  for (size_t i = 0; i < quiet.samples.size(); ++i) {
    if (std::fabs(quiet.samples[i]) < 1e-3f) continue;
    ASSERT_NEAR(loud.samples[i] / quiet.samples[i], gain, 1e-4) << "sample " << i;
    ++compared;
  }
  EXPECT_GT(compared, 1000);
}

TEST_F(Host, OutputFormatFollowsInputUnlessAsked)
{
  const struct
  {
    int in;
    const char* out;
    const char* format;  // --format, or null
    int expected;
  } kCases[] = {
      {SF_FORMAT_WAV | SF_FORMAT_PCM_16, "o.wav", nullptr, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
      {SF_FORMAT_WAV | SF_FORMAT_PCM_16, "o.aiff", nullptr, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
      {SF_FORMAT_FLAC | SF_FORMAT_PCM_24, "o.wav", nullptr, SF_FORMAT_WAV | SF_FORMAT_PCM_24},
      {SF_FORMAT_WAV | SF_FORMAT_FLOAT, "o.flac", "pcm16", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
      {SF_FORMAT_AIFF | SF_FORMAT_PCM_16, "o.caf", "float", SF_FORMAT_CAF | SF_FORMAT_FLOAT},
      // A compressed input gives float where the container holds it, 24 bits where not.
      {SF_FORMAT_OGG | SF_FORMAT_VORBIS, "o.wav", nullptr, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
      {SF_FORMAT_OGG | SF_FORMAT_VORBIS, "o.flac", nullptr, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
      // Without an extension, the input's container.
      {SF_FORMAT_AIFF | SF_FORMAT_PCM_16, "o", nullptr, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.out);
    const char* ext = (c.in & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC   ? "in.flac"
                      : (c.in & SF_FORMAT_TYPEMASK) == SF_FORMAT_AIFF ? "in.aiff"
                      : (c.in & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG  ? "in.ogg"
                                                                      : "in.wav";
    Write(ext, Tone(2, 44100, 1000, 0.01f, c.in));
    std::vector<std::string> args{"render", ext, c.out};
    if (c.format) args.insert(args.end(), {"--format", c.format});
    const Result r = Run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const Sound s = Read(c.out);
    EXPECT_EQ(s.format, c.expected);
    EXPECT_EQ(s.samples.size(), 2000u);
  }
}

TEST_F(Host, IntegerOutputClipsAndSaysSoWhileFloatKeepsOverloads)
{
  Write("in.wav", Tone(2, 44100, 4000, 0.9f, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  const Result pcm = Run({"render", "in.wav", "pcm.wav", "--set", "OUT=0"});
  ASSERT_EQ(pcm.status, 0) << pcm.err;
  EXPECT_TRUE(Contains(pcm.err, "samples clipped")) << pcm.err;
  float peak = 0;
  for (float v : Read("pcm.wav").samples) peak = std::max(peak, std::fabs(v));
  EXPECT_LE(peak, 1.0f);

  const Result fl = Run({"render", "in.wav", "float.wav", "--set", "OUT=0", "--format", "float"});
  ASSERT_EQ(fl.status, 0) << fl.err;
  EXPECT_FALSE(Contains(fl.err, "clipped"));
  peak = 0;
  for (float v : Read("float.wav").samples) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 1.0f);
}

// The 16-bit samples of a file, as stored.
std::vector<short> Shorts(const std::string& path)
{
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  EXPECT_TRUE(f) << path << ": " << sf_strerror(nullptr);
  if (!f) return {};
  std::vector<short> s((size_t)(info.frames * info.channels));
  sf_readf_short(f, s.data(), info.frames);
  sf_close(f);
  return s;
}

TEST_F(Host, SixteenBitOutputIsLibsndfilesClippingConversion)
{
  // Full scale and beyond, the edges of each 16-bit step, non-numbers, and
  // random samples both loud and quiet; frame counts that leave odd tails.
  std::vector<float> values = {0.f,  -0.f,     1.f,         -1.f,         1.5f,       -1.5f,
                               0.5f, -0.5f,    0.99999994f, -0.99999994f, 1.0000001f, -1.0000001f,
                               NAN,  INFINITY, -INFINITY,   1e-30f,       -1e-30f,    3e-8f};
  for (int k = -300; k <= 300; ++k)
    for (float d : {-1e-7f, -1e-9f, 0.f, 1e-9f, 1e-7f, 0.5f / 32768, 0.5f / 65536}) values.push_back(k / 32768.f + d);
  uint32_t seed = 7;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const float u = (seed >> 8) / 16777216.f * 2 - 1;
    values.push_back(i % 2 ? u * 1.2f : u * 1e-3f);
  }
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const size_t frames = values.size() / channels - 3;
    Sound in{channels, 44100, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
             std::vector<float>(values.begin(), values.begin() + frames * channels)};
    Write("in.wav", in);
    const Result r = Run({"render", "in.wav", "out.wav", "--bypass", "--format", "pcm16"});
    ASSERT_EQ(r.status, 0) << r.err;

    // libsndfile's own clipping writer on the same samples, silence for NaN.
    int clipped = 0;
    for (float& v : in.samples) {
      clipped += v > 1.f || v < -1.f || v != v;
      if (v != v) v = 0.f;
    }
    SF_INFO info = {};
    info.channels = channels;
    info.samplerate = 44100;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(Path("ref.wav").c_str(), SFM_WRITE, &info);
    ASSERT_TRUE(f);
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    sf_writef_float(f, in.samples.data(), (sf_count_t)frames);
    sf_close(f);

    const std::vector<short> got = Shorts(Path("out.wav")), want = Shorts(Path("ref.wav"));
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(got[i], want[i]) << "sample " << i << " = " << in.samples[i];
    EXPECT_TRUE(Contains(r.err, std::to_string(clipped) + " samples clipped")) << r.err;
  }
}

TEST_F(Host, SixteenBitBypassGivesTheInputBack)
{
  // Read as stored and scaled, written back the same way: not one sample moves.
  Write("in.wav", Tone(2, 48000, 20011, 0.999f, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  for (const char* block : {"1", "512", "4096"}) {
    SCOPED_TRACE(block);
    ASSERT_EQ(Run({"render", "in.wav", "out.wav", "--bypass", "--block", block}).status, 0);
    EXPECT_EQ(Shorts(Path("out.wav")), Shorts(Path("in.wav")));
  }
  // And in float, the samples are libsndfile's own reading of the file.
  ASSERT_EQ(Run({"render", "in.wav", "out.wav", "--bypass", "--format", "float"}).status, 0);
  EXPECT_EQ(Read("out.wav").samples, Read("in.wav").samples);
}

TEST_F(Host, InterruptedRenderLeavesNoFileAndSaysSo)
{
  Write("long.wav", Tone(2, 48000, 48000 * 30, 0.5f));
  link(Path("long.wav").c_str(), Path("long2.wav").c_str());
  mkdir(Path("d").c_str(), 0755);
  const struct
  {
    std::vector<std::string> args;
    const char* dir;       // where the temporary output appears
    const char* existing;  // an output there before, or null
    std::vector<std::string> says;
  } kCases[] = {
      {{"render", "long.wav", "out.wav"},
       "",
       nullptr,
       {"kelvo: interrupted", "'out.wav' was not written", "'long.wav' is only read, and is as it was"}},
      {{"render", "long.wav", "old.wav"}, "", "old.wav", {"kelvo: interrupted", "'old.wav' is as it was"}},
      {{"render", "long.wav", "long2.wav", "--out-dir", "d", "--jobs", "2"},
       "d",
       nullptr,
       {"'d/long-kelvo.wav' was not written", "'d/long2-kelvo.wav' was not written",
        "outputs finished before the interrupt are whole"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.args[2]);
    if (c.existing) Spill(Path(c.existing), "precious");
    const std::string dir = Path(c.dir);
    const std::set<std::string> before = Names(dir);
    const std::string err = Path("err.txt");
    const pid_t pid = fork();
    if (pid == 0) {
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(e, 2);
      std::vector<std::string> args = c.args;
      args.insert(args.end(), {"--block", "1", "--quiet"});
      ExecHere(mKelvo, args);
    }
    // Wait until the temporary outputs exist, then interrupt.
    const size_t outputs = c.args.size() == 3 ? 1 : 2;
    bool started = false;
    for (int i = 0; i < 20000 && !started; ++i) {
      started = Names(dir).size() >= before.size() + outputs + (*c.dir ? 0 : 1);  // and err.txt
      if (!started) usleep(1000);
    }
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(started);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    const std::string said = Slurp(err);
    unlink(err.c_str());
    for (const std::string& part : c.says) EXPECT_TRUE(Contains(said, part)) << part << " in " << said;
    EXPECT_EQ(Names(dir), before);
    if (c.existing) {
      EXPECT_EQ(Slurp(Path(c.existing)), "precious");
    }
  }
}

TEST_F(Host, ProgressFitsTheTerminalAndTellsTheTimeLeft)
{
  Write("long.wav", Tone(2, 48000, 48000 * 60, 0.5f, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  for (unsigned short columns : {40, 100}) {
    SCOPED_TRACE(columns);
    struct winsize size = {};
    size.ws_col = columns;
    size.ws_row = 24;
    int status = 0;
    // The best quality keeps the render going well past the bar's first showing, even on an idle machine.
    const std::string shown =
        OnTerminal({"render", "long.wav", "out.wav", "--block", "1", "--quality", "best"}, &size, status);
    EXPECT_EQ(status, 0);
    // Every redrawn line, without its erase-to-end, stays short of the last column.
    int bars = 0;
    size_t at = 0;
    while ((at = shown.find('\r', at)) != std::string::npos) {
      const size_t end = shown.find_first_of("\r\n", at + 1);
      std::string line = shown.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
      at = end == std::string::npos ? shown.size() : end;
      const size_t erase = line.find("\033[K");
      if (erase != std::string::npos) line.resize(erase);
      if (line.empty()) continue;
      EXPECT_LT(line.size(), (size_t)columns) << line;
      if (line[0] == '[' && Contains(line, " left")) ++bars;
    }
    EXPECT_GT(bars, 0) << shown;
  }
  // Sound is never sent to a terminal.
  int status = 0;
  const std::string shown = OnTerminal({"render", "long.wav", "-", "--type", "au"}, nullptr, status);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_TRUE(Contains(shown, "cannot write standard output: it is a terminal")) << shown;
}

TEST_F(Host, DemoRendersARiffIntoTheWorkingDirectory)
{
  const Result r = Run({"render", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Sound s = Read("kelvo-demo.wav");
  EXPECT_EQ(s.channels, 2);
  EXPECT_EQ(s.rate, 48000);
  EXPECT_EQ(s.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);  // nothing of the fuzz is clipped away
  EXPECT_FALSE(Contains(r.err, "clipped")) << r.err;
  EXPECT_EQ(s.samples.size(), 6u * 48000 * 2);
  double energy = 0;
  for (float v : s.samples) energy += (double)v * v;
  EXPECT_GT(energy / s.samples.size(), 1e-4);
  const Result loud = Run({"render"});
  ASSERT_EQ(loud.status, 0);
  EXPECT_TRUE(Contains(loud.out, "/kelvo-demo.wav'")) << loud.out;  // the whole path
}

// --- State files -------------------------------------------------------------

std::string Base64(const std::string& bytes)
{
  static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string s;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = (uint8_t)bytes[i] << 16;
    if (i + 1 < bytes.size()) v |= (uint8_t)bytes[i + 1] << 8;
    if (i + 2 < bytes.size()) v |= (uint8_t)bytes[i + 2];
    s += k[v >> 18];
    s += k[(v >> 12) & 63];
    s += i + 1 < bytes.size() ? k[(v >> 6) & 63] : '=';
    s += i + 2 < bytes.size() ? k[v & 63] : '=';
  }
  return s;
}

// A property list in the published XML format around body.
std::string PlistXml(const std::string& body)
{
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n" +
         body + "</plist>\n";
}

std::string Doubles(std::vector<double> v)
{
  return std::string(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(double));
}

// Class-info entries as key and value XML, so that tests can break them.
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries KelvoState(const std::string& data)
{
  return {{"data", "<data>" + Base64(data) + "</data>"},
          {"manufacturer", "<integer>1366060392</integer>"},  // 'Qlmh'
          {"name", "<string>-</string>"},
          {"subtype", "<integer>1264938033</integer>"},  // 'Kel1'
          {"type", "<integer>1635083896</integer>"},     // 'aufx'
          {"version", "<integer>65536</integer>"}};
}

// The entries with key's value replaced, or removed when xml is empty.
Entries With(Entries e, const std::string& key, const std::string& xml)
{
  for (size_t i = 0; i < e.size(); ++i)
    if (e[i].first == key) {
      if (xml.empty())
        e.erase(e.begin() + (long)i);
      else
        e[i].second = xml;
    }
  return e;
}

std::string StateXml(const Entries& entries)
{
  std::string body = "<dict>\n";
  for (const auto& e : entries) body += "\t<key>" + e.first + "</key>\n\t" + e.second + "\n";
  return PlistXml(body + "</dict>\n");
}

TEST_F(Host, SavedStateReproducesTheRender)
{
  Write("in.wav", Tone(2, 44100, 5000, 0.7f));
  const Result saved = Run({"state", "save", "s.aupreset", "--set", "OUT=-3", "--set", "GainL=0.8"});
  ASSERT_EQ(saved.status, 0) << saved.err;
  const Result show = Run({"state", "show", "s.aupreset"});
  ASSERT_EQ(show.status, 0) << show.err;
  for (const char* part : {"version", "type", "subtype", "manufacturer", "name", "data", "CFNumber  65536  (v1.0.0)",
                           "'Kel1'", "'Qlmh'", "CFString  \"-\"", "CFData  32 bytes", "OUT -3.00", "GainL 0.80"})
    EXPECT_TRUE(Contains(show.out, part)) << part << " in\n" << show.out;

  const struct
  {
    const char* out;
    std::vector<std::string> options;
  } kRenders[] = {
      {"from-state.wav", {"--state", "s.aupreset"}},
      {"from-set.wav", {"--set", "OUT=-3", "--set", "GainL=0.8"}},
      {"default.wav", {}},
      {"preset.wav", {"--preset", "0"}},
      // The state comes first, so a --set overrides what it holds.
      {"state-then-set.wav", {"--state", "s.aupreset", "--set", "OUT=-10"}},
      {"set-only.wav", {"--set", "GainL=0.8", "--set", "OUT=-10"}},
  };
  for (const auto& r : kRenders) {
    std::vector<std::string> args{"render", "in.wav", r.out};
    args.insert(args.end(), r.options.begin(), r.options.end());
    const Result res = Run(args);
    ASSERT_EQ(res.status, 0) << r.out << ": " << res.err;
  }
  EXPECT_EQ(Read("from-state.wav").samples, Read("from-set.wav").samples);
  EXPECT_NE(Read("from-state.wav").samples, Read("default.wav").samples);
  EXPECT_EQ(Read("preset.wav").samples, Read("default.wav").samples);  // the one preset holds the defaults
  EXPECT_EQ(Read("state-then-set.wav").samples, Read("set-only.wav").samples);
}

TEST_F(Host, HandWrittenStateInThePublishedFormatLoads)
{
  Spill(Path("hand.aupreset"), StateXml(KelvoState(Doubles({-6.0, 0.25, 0.5, 0.0}))));
  const Result r = Run({"state", "show", "hand.aupreset"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "OUT -6.00, GainM 0.25, GainL 0.50, Bypass 0")) << r.out;
}

TEST_F(Host, RangeEndsAreAccepted)
{
  const Result r = Run({"state", "save", "ends.aupreset", "--set", "OUT=-40", "--set", "GainM=1", "--set", "GainL=0.05",
                        "--set", "Bypass=1"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Result show = Run({"state", "show", "ends.aupreset"});
  EXPECT_TRUE(Contains(show.out, "OUT -40.00, GainM 1.00, GainL 0.05, Bypass 1")) << show.out;
}

// --- Information -------------------------------------------------------------

TEST_F(Host, InfoReportsWhatTheHostApiSays)
{
  const Result r = Run({"info"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* part :
       {"Kelvo by Quillmarsh", "'aufx'", "'Kel1'", "'Qlmh'", "1.0.0", "OUT", "-40 to 0", "-15.00", "GainM", "GainL",
        "0.05 to 0.98", "Bypass", "indexed", "0 \"-\"", "1-1 2-2", "Latency: 0 s", "Tail time: 0 s"})
    EXPECT_TRUE(Contains(r.out, part)) << part << " in\n" << r.out;
}

TEST_F(Host, EveryCommandHasHelp)
{
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                               {"render", "--help"},
                                               {"info", "--help"},
                                               {"state", "--help"},
                                               {"state", "save", "--help"},
                                               {"state", "show", "--help"}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.status, 0) << args.back();
    EXPECT_TRUE(Contains(r.out, "usage: kelvo")) << r.out;
  }
}

// --- Failures ----------------------------------------------------------------

TEST_F(Host, ErrorsNameTheFaultAndLeaveNoFile)
{
  Write("in.wav", Tone(2, 44100, 2000, 0.5f));
  Write("quad.wav", Tone(4, 44100, 100, 0.5f));
  Spill(Path("text.wav"), "this is not a sound file\n");
  Spill(Path("junk.aupreset"), "<plist><dict><key>data</oops>");
  const Entries good = KelvoState(Doubles({-6, 0.5, 0.5, 0}));
  Spill(Path("array.aupreset"), PlistXml("<array/>\n"));
  Spill(Path("nodata.aupreset"), StateXml(With(good, "data", "")));
  Spill(Path("other.aupreset"), StateXml(With(good, "subtype", "<integer>1484356145</integer>")));  // 'Xyz1'
  Spill(Path("short.aupreset"), StateXml(KelvoState(Doubles({-3}))));
  Spill(Path("long.aupreset"), StateXml(KelvoState(Doubles({-3, 0.5, 0.5, 0, 1}))));
  Spill(Path("stringtype.aupreset"), StateXml(With(good, "type", "<string>aufx</string>")));
  symlink("in.wav", Path("link.wav").c_str());
  mkdir(Path("empty.component").c_str(), 0755);
  mkfifo(Path("pipe.wav").c_str(), 0644);
  const std::set<std::string> before = Files();
  const struct
  {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> says;
  } kCases[] = {
      {{"render", "in.wav", "o.wav", "--set", "Drive=3"}, 2, {"unknown parameter 'Drive'", "OUT GainM GainL Bypass"}},
      {{"render", "in.wav", "o.wav", "--set", "OUT=5"}, 2, {"OUT = 5 is out of range", "-40 to 0"}},
      {{"render", "in.wav", "o.wav", "--set", "GainL=0.01"}, 2, {"0.05 to 0.98"}},
      {{"render", "in.wav", "o.wav", "--set", "OUT=loud"}, 2, {"needs a number, not 'loud'"}},
      {{"render", "in.wav", "o.wav", "--set", "OUT"}, 2, {"NAME=VALUE"}},
      {{"render", "in.wav", "o.wav", "--block", "0"}, 2, {"1 to 4096"}},
      {{"render", "in.wav", "o.wav", "--block", "4097"}, 2, {"1 to 4096"}},
      {{"render", "in.wav", "o.wav", "--format", "mp3"}, 2, {"float, pcm16 or pcm24"}},
      {{"render", "in.wav", "o.wav", "--quality", "ultra"}, 2, {"standard, high or best, not 'ultra'"}},
      {{"render", "in.wav", "o.wav", "--preset", "7"}, 2, {"no factory preset 7", "0 (\"-\")"}},
      {{"render", "in.wav", "o.wav", "--loud"}, 2, {"unknown option '--loud'", "kelvo render --help"}},
      {{"render", "in.wav", "o.wav", "extra.wav"}, 2, {"too many files"}},
      {{"render", "in.wav", "in.wav"}, 2, {"is the input file"}},
      {{"render", "in.wav", "link.wav"}, 2, {"is the input file"}},
      {{"render", "missing.wav", "o.wav"}, 1, {"cannot read 'missing.wav': No such file or directory"}},
      {{"render", "text.wav", "o.wav"}, 1, {"cannot read 'text.wav'"}},
      {{"render", "empty.component", "o.wav"}, 1, {"cannot read 'empty.component': it is a directory"}},
      {{"render", "quad.wav", "o.wav"}, 1, {"4 channels", "mono or stereo"}},
      {{"render", "in.wav", "no/such/dir/o.wav"}, 1, {"cannot write 'no/such/dir/o.wav': No such file or directory"}},
      {{"render", "in.wav", "pipe.wav"},
       1,
       {"cannot write 'pipe.wav': WAV files cannot be written to a pipe", "--type"}},
      {{"render", "in.wav", "empty.component"}, 1, {"cannot write 'empty.component': it is a directory"}},
      {{"render", "in.wav", "o.flac", "--format", "float"}, 1, {"cannot write 'o.flac'", "32-bit float"}},
      {{"render", "in.wav", "o.wav", "--bundle", "nowhere.component"}, 1, {"cannot load plug-in 'nowhere.component'"}},
      {{"info", "--bundle", "empty.component"},
       1,
       {"cannot load plug-in 'empty.component': it is not a plug-in bundle", "--bundle PATH"}},
      {{"render", "in.wav", "o.wav", "--state", "missing.aupreset"}, 1, {"cannot read 'missing.aupreset'"}},
      {{"render", "in.wav", "o.wav", "--state", "junk.aupreset"}, 1, {"'junk.aupreset' is not a state file"}},
      {{"render", "in.wav", "o.wav", "--state", "array.aupreset"}, 1, {"not a dictionary"}},
      {{"render", "in.wav", "o.wav", "--state", "nodata.aupreset"}, 1, {"no \"data\" entry"}},
      {{"render", "in.wav", "o.wav", "--state", "stringtype.aupreset"}, 1, {"\"type\" entry is a string"}},
      {{"render", "in.wav", "o.wav", "--state", "other.aupreset"}, 1, {"another plug-in", "'Xyz1'", "'Kel1'"}},
      {{"render", "in.wav", "o.wav", "--state", "short.aupreset"}, 1, {"holds 8 bytes", "32"}},
      {{"state", "show", "long.aupreset"}, 1, {"holds 40 bytes", "32"}},
      {{"state", "show", "junk.aupreset"}, 1, {"is not a state file"}},
      {{"state", "show"}, 2, {"missing FILE.aupreset"}},
      {{"state", "save", "no/dir/s.aupreset"}, 1, {"cannot write 'no/dir/s.aupreset'"}},
      {{"state", "save", "s.aupreset", "--set", "Bypass=2"}, 2, {"0 to 1"}},
      {{"state", "load", "s.aupreset"}, 2, {"unknown action 'load'"}},
      {{"info", "extra"}, 2, {"unexpected argument 'extra'"}},
      {{"play"}, 2, {"unknown command 'play'"}},
      {{}, 2, {"usage: kelvo"}},
  };
  for (const auto& c : kCases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const std::string& part : c.says) EXPECT_TRUE(Contains(r.err, part)) << "'" << part << "' in: " << r.err;
    EXPECT_EQ(Files(), before);
  }
}

TEST_F(Host, StateValuesTheUnitMustChangeAreNamedOrRefused)
{
  const struct
  {
    const char* file;
    std::vector<double> values;
    std::vector<std::string> says;  // in the warning, and in the refusal but for what it became
    const char* became;             // what the warning says the value became
  } kCases[] = {
      {"nan.aupreset",
       {NAN, 0.5, 0.5, 0},
       {"'nan.aupreset' gives OUT the value nan, which is not a number"},
       "it became "},
      {"high.aupreset",
       {7, 0.5, 0.5, 0},
       {"'high.aupreset' gives OUT the value 7, outside its range -40 to 0"},
       "it became 0.00"},
      {"low.aupreset",
       {-6, 0.5, 0.01, 0},
       {"'low.aupreset' gives GainL the value 0.01, outside its range 0.05 to 0.98"},
       "it became 0.05"},
      {"switch.aupreset",
       {-6, 0.5, 0.5, 3},
       {"'switch.aupreset' gives Bypass the value 3, outside its range 0 to 1"},
       "it became 1"},
  };
  Write("in.wav", Tone(1, 44100, 100, 0.5f));
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.file);
    Spill(Path(c.file), StateXml(KelvoState(Doubles(c.values))));
    const Result warned = Run({"state", "show", c.file});
    EXPECT_EQ(warned.status, 0) << warned.err;
    for (const std::string& part : c.says) EXPECT_TRUE(Contains(warned.err, "warning: " + part)) << warned.err;
    EXPECT_TRUE(Contains(warned.err, c.became)) << warned.err;
    EXPECT_TRUE(Contains(warned.err, "--strict")) << warned.err;
    EXPECT_TRUE(Run({"state", "show", c.file, "--quiet"}).err.empty());

    const std::set<std::string> before = Files();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"state", "show", c.file, "--strict"},
                                                 {"state", "save", "out.aupreset", "--state", c.file, "--strict"},
                                                 {"render", "in.wav", "o.wav", "--state", c.file, "--strict"}}) {
      const Result refused = Run(args);
      EXPECT_EQ(refused.status, 1) << args[0];
      for (const std::string& part : c.says) EXPECT_TRUE(Contains(refused.err, part)) << refused.err;
      EXPECT_TRUE(Contains(refused.err, "refused with --strict")) << refused.err;
      EXPECT_EQ(Files(), before);
    }
  }
  // The ends of each range, as a hand would write them, pass --strict.
  Spill(Path("ends.aupreset"), StateXml(KelvoState(Doubles({-40, 1, 0.05, 1}))));
  const Result ends = Run({"state", "show", "ends.aupreset", "--strict"});
  EXPECT_EQ(ends.status, 0) << ends.err;
  EXPECT_TRUE(ends.err.empty()) << ends.err;
  Spill(Path("ends.aupreset"), StateXml(KelvoState(Doubles({0, 0, 0.98, 0}))));
  EXPECT_EQ(Run({"state", "show", "ends.aupreset", "--strict"}).status, 0);
  // A good state passes --strict.
  ASSERT_EQ(Run({"state", "save", "good.aupreset", "--set", "OUT=-6"}).status, 0);
  const Result good = Run({"state", "show", "good.aupreset", "--strict"});
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_TRUE(good.err.empty()) << good.err;
}

TEST_F(Host, SavedStatesCarryTheirNameAndTheEditorsWork)
{
  const Result named = Run({"state", "save", "warm.aupreset", "--name", "Warm lead", "--set", "GainL=0.9"});
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_TRUE(Contains(Run({"state", "show", "warm.aupreset"}).out, "CFString  \"Warm lead\"")) << named.out;
  // A name that is a factory preset's selects it on loading, and the values still win.
  ASSERT_EQ(Run({"state", "save", "dash.aupreset", "--name", "-", "--set", "OUT=-3"}).status, 0);
  EXPECT_TRUE(Contains(Run({"state", "show", "dash.aupreset"}).out, "gives OUT -3.00"));

  // Dragging the FUZZ knob up in the editor and saving what it left: a render
  // with that state is the render with its values.
  const Result edited =
      Run({"editor", "--save-state", "edited.aupreset", "--drag", "247,106,0,-40", "--name", "dragged"});
  ASSERT_EQ(edited.status, 0) << edited.err;
  const Result shown = Run({"state", "show", "edited.aupreset"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_TRUE(Contains(shown.out, "\"dragged\"")) << shown.out;
  EXPECT_FALSE(Contains(shown.out, "GainL 0.30")) << shown.out;  // moved from the default
  Write("in.wav", Tone(2, 44100, 3000, 0.3f));
  const Result rendered = Run({"render", "in.wav", "a.wav", "--state", "edited.aupreset"});
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  EXPECT_FALSE(Contains(rendered.out, "GainL 0.30")) << rendered.out;
  ASSERT_EQ(Run({"render", "in.wav", "b.wav"}).status, 0);
  EXPECT_NE(Read("a.wav").samples, Read("b.wav").samples);

  const std::set<std::string> before = Files();
  const struct
  {
    std::vector<std::string> args;
    const char* says;
  } kRefused[] = {
      {{"state", "save", "x.aupreset", "--name", std::string(64, 'n')}, "1 to 63 bytes"},
      {{"state", "save", "x.aupreset", "--name", ""}, "1 to 63 bytes"},
      {{"editor", "--png", "x.png", "--name", "n"}, "--name goes with --save-state"},
      {{"editor"}, "missing --png FILE.png or --save-state FILE"},
  };
  for (const auto& c : kRefused) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.says;
    EXPECT_TRUE(Contains(r.err, c.says)) << r.err;
    EXPECT_EQ(Files(), before);
  }
}

TEST_F(Host, ReplacedOutputKeepsItsLinkAndPermissions)
{
  Write("in.wav", Tone(1, 44100, 500, 0.5f));
  Spill(Path("target.wav"), "old");
  chmod(Path("target.wav").c_str(), 0640);
  symlink("target.wav", Path("link.wav").c_str());
  ASSERT_EQ(Run({"render", "in.wav", "link.wav"}).status, 0);
  struct stat link, target;
  ASSERT_EQ(lstat(Path("link.wav").c_str(), &link), 0);
  ASSERT_EQ(stat(Path("target.wav").c_str(), &target), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
  EXPECT_EQ(target.st_mode & 0777, 0640u);
  EXPECT_EQ(Read("target.wav").samples.size(), 500u);
}

TEST_F(Host, FailedRenderLeavesAnExistingOutputAndTheInputAlone)
{
  Write("in.wav", Tone(1, 44100, 2000, 0.5f));
  const std::string input = Slurp(Path("in.wav"));
  Spill(Path("out.wav"), "precious");
  EXPECT_EQ(Run({"render", "in.wav", "out.wav", "--state", "missing.aupreset"}).status, 1);
  EXPECT_EQ(Slurp(Path("out.wav")), "precious");
  ASSERT_EQ(Run({"render", "in.wav", "out.wav"}).status, 0);
  EXPECT_EQ(Read("out.wav").samples.size(), 2000u);
  EXPECT_EQ(Slurp(Path("in.wav")), input);
}

// --- Settled renders -----------------------------------------------------------

// The number after "settling on " in a render's summary, or -1.
long SettledFrames(const std::string& summary)
{
  const size_t at = summary.find("settling on ");
  return at == std::string::npos ? -1 : atol(summary.c_str() + at + 12);
}

double Rms(const std::vector<float>& v, size_t from, size_t to)
{
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += (double)v[i] * v[i];
  return std::sqrt(sum / (double)(to - from));
}

TEST_F(Host, SettledRenderIsTheTailOfALongRender)
{
  const struct
  {
    int rate, channels;
    const char* block;
  } kCases[] = {{48000, 2, "512"}, {44100, 1, "64"}, {96000, 2, "4096"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.rate);
    // A -20 dBFS sine with the fuzz at its lowest setting.
    const Sound tone = Tone(c.channels, c.rate, c.rate / 4, 0.1f);
    Write("in.wav", tone);
    const Result settled = Run({"render", "in.wav", "settled.wav", "--set", "FUZZ=0.05", "--block", c.block});
    ASSERT_EQ(settled.status, 0) << settled.err;
    const long n = SettledFrames(settled.out);
    // The control must come within 1e-9 of targets up to 0.95 from 0, at e^(-4π/rate) per frame.
    EXPECT_GE(n, (long)std::ceil(c.rate * std::log(0.95e9) / (4 * M_PI)));
    EXPECT_LE(n, (long)(c.rate * 1.7));

    // The same silence first, rendered raw, then the file: the tail is the settled render.
    for (long lead : {n, 2 * n}) {
      Sound longer{c.channels, c.rate, tone.format, std::vector<float>((size_t)lead * c.channels, 0.f)};
      longer.samples.insert(longer.samples.end(), tone.samples.begin(), tone.samples.end());
      Write("long.wav", longer);
      ASSERT_EQ(Run({"render", "long.wav", "raw.wav", "--set", "GainL=0.05", "--no-settle"}).status, 0);
      const Sound raw = Read("raw.wav"), want = Read("settled.wav");
      ASSERT_EQ(raw.samples.size(), want.samples.size() + (size_t)lead * c.channels);
      for (size_t i = 0; i < (size_t)lead * c.channels; ++i) ASSERT_EQ(raw.samples[i], 0.f) << i;
      double worst = 0;
      for (size_t i = 0; i < want.samples.size(); ++i)
        worst = std::max(worst, (double)std::fabs(raw.samples[i + (size_t)lead * c.channels] - want.samples[i]));
      if (lead == n)
        EXPECT_EQ(worst, 0.0);  // the very same frames
      else
        EXPECT_LT(worst, 1e-5);  // a longer wait changes less than the last 1e-9 of the control
    }
  }
}

TEST_F(Host, SettledRenderStartsAtItsSettledLevel)
{
  Write("in.wav", Tone(2, 48000, 24000, 0.1f));
  ASSERT_EQ(Run({"render", "in.wav", "settled.wav", "--set", "GainL=0.05"}).status, 0);
  const Result raw = Run({"render", "in.wav", "raw.wav", "--set", "GainL=0.05", "--no-settle"});
  ASSERT_EQ(raw.status, 0);
  EXPECT_TRUE(Contains(raw.out, "--no-settle")) << raw.out;
  const std::vector<float> s = Read("settled.wav").samples, r = Read("raw.wav").samples;
  const size_t first = 2 * 2400, late = 2 * 19200;  // the first 50 ms; the last 100 ms
  const double settledLevel = Rms(s, late, s.size());
  EXPECT_NEAR(Rms(s, 0, first) / settledLevel, 1.0, 0.05);
  EXPECT_GT(Rms(r, 0, first) / settledLevel, 1.2);  // the glide's wrong fuzz
  EXPECT_NEAR(Rms(r, late, r.size()) / settledLevel, 1.0, 0.01);
  // The host's bypass runs no effect, so nothing settles.
  const Result bypassed = Run({"render", "in.wav", "b.wav", "--bypass"});
  EXPECT_FALSE(Contains(bypassed.out, "settling")) << bypassed.out;
  EXPECT_TRUE(Contains(bypassed.out, "bypassed by the host")) << bypassed.out;
  EXPECT_TRUE(Contains(Run({"render", "in.wav", "p.wav", "--set", "Bypass=on"}).out, "Bypass parameter on"));
}

// --- Outputs -------------------------------------------------------------------

TEST_F(Host, EveryOutputTypeIsWrittenAndReadBack)
{
  Write("in.wav", Tone(2, 48000, 9600, 0.3f, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  const struct
  {
    const char* out;
    int format;
  } kCases[] = {
      {"o.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},   {"o.AIFF", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
      {"o.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}, {"o.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
      {"o.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},    {"o.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
      {"o.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16},   {"o.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16},
      {"o.au", SF_FORMAT_AU | SF_FORMAT_PCM_16},     {"o.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.out);
    const Result r = Run({"render", "in.wav", c.out, "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Sound s = Read(c.out);
    EXPECT_EQ(s.format, c.format);
    EXPECT_EQ(s.channels, 2);
    // Lossy coders may pad the end with a frame of their own.
    EXPECT_GE(s.samples.size(), 2u * 9600);
    EXPECT_LE(s.samples.size(), 2u * 9600 + 2 * 2048);
    EXPECT_GT(Rms(s.samples, 0, 2 * 9600), 0.01);
  }

  Write("cd.wav", Tone(2, 44100, 1000, 0.3f));
  const std::set<std::string> before = Files();
  const struct
  {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> says;
  } kRefused[] = {
      {{"render", "in.wav", "o.raw-take"},
       2,
       {"does not know the extension '.raw-take'", "wav, aiff", "mp3", "--type"}},
      {{"render", "in.wav", "o.wav", "--type", "vox"}, 2, {"--type takes one of wav, aiff"}},
      {{"render", "in.wav", "o.ogg", "--format", "pcm16"}, 2, {"Ogg Vorbis files hold Vorbis", "--format chooses"}},
      {{"render", "cd.wav", "o.opus"},
       1,
       {"cannot write 'o.opus': Opus only supports sample rates of 8000, 12000, 16000, 24000, and 48000"}},
      {{"render", "in.wav", "o.flac", "--format", "float"},
       1,
       {"FLAC files cannot hold 32-bit float", "pcm16 or pcm24"}},
  };
  for (const auto& c : kRefused) {
    SCOPED_TRACE(c.args[2]);
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, c.status);
    for (const std::string& part : c.says) EXPECT_TRUE(Contains(r.err, part)) << r.err;
    EXPECT_EQ(Files(), before);
  }
}

TEST_F(Host, StreamsAndDescriptorsAreWrittenInPlace)
{
  Write("in.wav", Tone(2, 48000, 4800, 0.3f, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  Write("in.flac", Tone(2, 48000, 480, 0.3f, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
  ASSERT_EQ(Run({"render", "in.wav", "ref.wav", "--quiet"}).status, 0);
  ASSERT_EQ(Run({"render", "in.wav", "ref.au", "--quiet"}).status, 0);
  const std::string ref = Slurp(Path("ref.wav"));
  mkfifo(Path("fifo.au").c_str(), 0644);
  symlink("/dev/stdout", Path("to-stdout").c_str());
  const struct
  {
    const char* script;
    int status;
    const char* file;  // what the script leaves, compared with the reference render
    const char* ref;
    const char* before;  // text the shell wrote around the sound
    const char* after;
    const char* says;  // on stderr
  } kCases[] = {
      {"{ echo note; $K render in.wav /dev/stdout --quiet; echo after; } > got.wav", 0, "got.wav", "ref.wav", "note\n",
       "after\n", ""},
      {"{ echo note; $K render in.wav to-stdout --quiet; } > got.wav", 0, "got.wav", "ref.wav", "note\n", "", ""},
      {"$K render in.wav /proc/self/fd/3 --quiet 3>got.wav", 0, "got.wav", "ref.wav", "", "", ""},
      {"$K render in.wav /dev/fd/4 --quiet 4>got.wav", 0, "got.wav", "ref.wav", "", "", ""},
      {"$K render in.wav - --quiet > got.wav", 0, "got.wav", "ref.wav", "", "", ""},
      {"$K render in.wav - --type au --quiet | cat > got.au", 0, "got.au", "ref.au", "", "", ""},
      {"cat in.wav | $K render - got.wav --quiet", 0, "got.wav", "ref.wav", "", "", ""},
      {"$K render - got.wav --quiet < in.wav", 0, "got.wav", "ref.wav", "", "", ""},
      {"cat fifo.au > got.au & $K render in.wav fifo.au --quiet; wait", 0, "got.au", "ref.au", "", "", ""},
      {"{ $K render in.wav -; echo $? > status; } | cat > /dev/null; exit $(cat status)", 1, nullptr, nullptr, "", "",
       "cannot write standard output: WAV files cannot be written to a pipe"},
      {"$K render in.wav fifo.au --type wav", 1, nullptr, nullptr, "", "", "cannot write 'fifo.au': WAV files"},
      {"cat in.flac | $K render - got.wav", 1, nullptr, nullptr, "", "", "cannot read standard input"},
      {"$K render in.wav /dev/fd/9", 1, nullptr, nullptr, "", "", "descriptor 9, which is not open"},
      {"$K render - --quiet < in.wav", 2, nullptr, nullptr, "", "", "give OUT"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    const Result r = Shell(c.script);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (*c.says) {
      EXPECT_TRUE(Contains(r.err, c.says)) << r.err;
    }
    if (!c.file) continue;
    if (std::string(c.ref) == "ref.au") {
      // A stream's header cannot give its length; the samples are the same.
      EXPECT_EQ(Read(c.file).samples, Read(c.ref).samples);
      unlink(Path(c.file).c_str());
      continue;
    }
    const std::string got = Slurp(Path(c.file)), want = Slurp(Path(c.ref));
    const std::string head = c.before, tail = c.after;
    ASSERT_EQ(got.size(), head.size() + want.size() + tail.size());
    EXPECT_EQ(got.substr(0, head.size()), head);
    EXPECT_TRUE(got.substr(head.size(), want.size()) == want);
    EXPECT_EQ(got.substr(head.size() + want.size()), tail);
    unlink(Path(c.file).c_str());
  }
  // With the sound on standard output, the summary goes to stderr.
  const Result r = Shell("$K render in.wav - --type au > got.au");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.err, "Rendered 'in.wav'")) << r.err;
  EXPECT_TRUE(Contains(r.err, "into standard output (AU, 16-bit PCM)")) << r.err;
  EXPECT_EQ(Read("got.au").samples, Read("ref.au").samples);
  EXPECT_TRUE(Contains(Shell("$K render in.wav - --type au </dev/null | cat >/dev/null").err, "Rendered"));
  EXPECT_TRUE(Contains(Shell("cat in.wav | $K render - got.wav").out, "Rendered standard input"));
}

// --- Batches -------------------------------------------------------------------

TEST_F(Host, BatchRendersEachFileAsAloneAndReportsFailures)
{
  Write("a.wav", Tone(2, 44100, 5000, 0.5f));
  Write("b.flac", Tone(1, 48000, 7000, 0.2f, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
  Write("c.aiff", Tone(2, 96000, 3000, 0.8f, SF_FORMAT_AIFF | SF_FORMAT_PCM_24));
  Write("quad.wav", Tone(4, 44100, 100, 0.5f));
  Spill(Path("text.wav"), "not a sound file");
  mkdir(Path("singles").c_str(), 0755);
  for (const char* in : {"a.wav", "b.flac", "c.aiff"})
    ASSERT_EQ(Run({"render", in, "--out-dir", "singles", "--set", "fuzz=0.7", "--quiet"}).status, 0) << in;

  const Result r =
      Run({"render", "a.wav", "text.wav", "b.flac", "quad.wav", "c.aiff", "--out-dir", "out", "--set", "FUZZ=0.7"});
  EXPECT_EQ(r.status, 1);
  for (const char* part :
       {"cannot read 'text.wav'", "cannot render 'quad.wav': it has 4 channels", "2 of 5 files failed"})
    EXPECT_TRUE(Contains(r.err, part)) << part << " in " << r.err;
  EXPECT_TRUE(Contains(r.out, "Rendered 3 of 5 files")) << r.out;
  EXPECT_EQ(Names(Path("out")), (std::set<std::string>{"a-kelvo.wav", "b-kelvo.flac", "c-kelvo.aiff"}));
  for (const char* out : {"a-kelvo.wav", "b-kelvo.flac", "c-kelvo.aiff"}) {
    SCOPED_TRACE(out);
    const Sound batch = Read(std::string("out/") + out), alone = Read(std::string("singles/") + out);
    EXPECT_EQ(batch.format, alone.format);
    EXPECT_TRUE(batch.samples == alone.samples);
  }
  // One file at a time gives the same files.
  ASSERT_EQ(Run({"render", "a.wav", "c.aiff", "--out-dir", "one", "--jobs", "1", "--set", "GainL=0.7"}).status, 0);
  EXPECT_TRUE(Read("one/c-kelvo.aiff").samples == Read("out/c-kelvo.aiff").samples);
  for (const char* d : {"out", "one", "singles"})
    for (const char* f : {"a-kelvo.wav", "b-kelvo.flac", "c-kelvo.aiff"})
      unlink(Path(std::string(d) + "/" + f).c_str());

  mkdir(Path("sub").c_str(), 0755);
  Write("sub/a.wav", Tone(1, 44100, 100, 0.5f));
  ASSERT_EQ(link(Path("a.wav").c_str(), Path("sub/a-kelvo.wav").c_str()), 0);  // an input under another name
  const std::set<std::string> before = Files();
  const struct
  {
    std::vector<std::string> args;
    std::vector<std::string> says;
  } kMisuse[] = {
      {{"render", "a.wav", "sub/a.wav", "--out-dir", "x"}, {"'a.wav' and 'sub/a.wav' would both be written"}},
      {{"render", "a.wav", "-", "--out-dir", "x"}, {"standard input"}},
      {{"render", "a.wav", "--out-dir", "sub"}, {"'sub/a-kelvo.wav' is an input file"}},
      {{"render", "--out-dir", "x"}, {"needs the files to render"}},
      {{"render", "a.wav", "--jobs", "2"}, {"--jobs goes with --out-dir"}},
      {{"render", "a.wav", "--out-dir", "x", "--jobs", "0"}, {"--jobs takes 1 to 64"}},
      {{"render", "a.wav", "b.flac", "c.aiff"}, {"too many files", "--out-dir"}},
      {{"render", "sub/a.wav", "--out-dir", "x", "--set", "Drive=1"}, {"unknown parameter 'Drive'"}},
  };
  for (const auto& c : kMisuse) {
    const Result m = Run(c.args);
    EXPECT_EQ(m.status, 2) << m.err;
    for (const std::string& part : c.says) EXPECT_TRUE(Contains(m.err, part)) << m.err;
    EXPECT_EQ(Files(), before);
  }
}

// --- Parameters as people type them -----------------------------------------------

TEST_F(Host, ParametersByAnyCaseOrPanelLabel)
{
  // Each way of setting a value gives the very state of the canonical one.
  const struct
  {
    std::string given, canonical;
  } kSame[] = {
      {"fuzz=0.9", "GainL=0.9"},   {"FUZZ=0.9", "GainL=0.9"},    {"gainl=0.9", "GainL=0.9"},
      {"out=-6", "OUT=-6"},        {"Bypass=on", "Bypass=1"},    {"bypass=OFF", "Bypass=0"},
      {"Bypass=true", "Bypass=1"}, {"BYPASS=False", "Bypass=0"}, {"Bypass=1.0", "Bypass=1"},
  };
  for (const auto& c : kSame) {
    SCOPED_TRACE(c.given);
    ASSERT_EQ(Run({"state", "save", "a.aupreset", "--set", c.given}).status, 0);
    ASSERT_EQ(Run({"state", "save", "b.aupreset", "--set", c.canonical}).status, 0);
    EXPECT_EQ(Slurp(Path("a.aupreset")), Slurp(Path("b.aupreset")));
  }
  const struct
  {
    std::string set;
    std::vector<std::string> says;
  } kRefused[] = {
      {"Bypass=0.5", {"Bypass is an integer parameter", "whole numbers 0 to 1, or on/off", "'0.5'"}},
      {"Bypass=maybe", {"Bypass needs a number, not 'maybe'", "or on/off"}},
      {"Fuz=1", {"did you mean 'FUZZ'?"}},
      {"GainLL=0.5", {"did you mean 'GainL'?"}},
      {"ByPas=1", {"did you mean 'Bypass'?"}},
      {"Drive=1", {"unknown parameter 'Drive'; Kelvo has: OUT GainM GainL Bypass (FUZZ on the panel is GainL)"}},
      {"OUT=on", {"OUT needs a number, not 'on'"}},
  };
  for (const auto& c : kRefused) {
    SCOPED_TRACE(c.set);
    const Result r = Run({"state", "save", "c.aupreset", "--set", c.set});
    EXPECT_EQ(r.status, 2);
    for (const std::string& part : c.says) EXPECT_TRUE(Contains(r.err, part)) << r.err;
    if (c.set == "Drive=1") {
      EXPECT_FALSE(Contains(r.err, "did you mean")) << r.err;
    }
  }
}

TEST_F(Host, PanelLabelsTurnTheirKnobs)
{
  // The labels kelvo knows, with the knob each names; dragging there in the
  // editor must move that parameter and no other.
  const Result info = Run({"info"});
  ASSERT_EQ(info.status, 0);
  std::istringstream lines(info.out.substr(info.out.find("Panel labels")));
  std::string line;
  std::getline(lines, line);
  int labels = 0;
  while (std::getline(lines, line) && !line.empty()) {
    char label[16], param[16];
    int x = 0, y = 0;
    ASSERT_EQ(sscanf(line.c_str(), " %15s is %15s at %d,%d", label, param, &x, &y), 4) << line;
    SCOPED_TRACE(label);
    ++labels;
    // From the defaults, which leave every knob room to turn up.
    ASSERT_EQ(Run({"editor", "--save-state", "before.aupreset"}).status, 0);
    const Result moved = Run(
        {"editor", "--save-state", "after.aupreset", "--drag", std::to_string(x) + "," + std::to_string(y) + ",0,-25"});
    ASSERT_EQ(moved.status, 0) << moved.err;
    const std::string a = Run({"state", "show", "before.aupreset"}).out,
                      b = Run({"state", "show", "after.aupreset"}).out;
    const std::string gives = "gives ";
    const std::string va = a.substr(a.find(gives)), vb = b.substr(b.find(gives));
    // Only the named parameter's text differs.
    std::istringstream ta(va), tb(vb);
    std::string wa, wb, name;
    int changed = 0;
    while (ta >> wa && tb >> wb) {
      if (wa != wb) {
        ++changed;
        EXPECT_EQ(name, param) << wa << " / " << wb;
      }
      name = wa;
    }
    EXPECT_EQ(changed, 1) << va << "\n" << vb;
  }
  EXPECT_EQ(labels, 2);
}

// --- Words -----------------------------------------------------------------------

TEST_F(Host, CommandsSpeakPlainly)
{
  Write("in.wav", Tone(2, 44100, 2000, 0.9f, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  const struct
  {
    std::vector<std::string> args;
    int status;
    const char* out;  // on stdout ("" for nothing at all)
    const char* err;  // on stderr ("" for nothing at all)
  } kCases[] = {
      {{"--version"}, 0, "kelvo 1.", ""},
      {{"help"}, 0, "kelvo help COMMAND", ""},
      {{"help", "render"}, 0, "usage: kelvo render", ""},
      {{"help", "state", "save"}, 0, "usage: kelvo state save", ""},
      {{"help", "render"}, 0, "--bypass          the host's bypass", ""},
      {{"help", "play"}, 2, "", "unknown command 'play'"},
      {{"info", "--quiet"}, 0, "", ""},
      {{"state", "save", "q.aupreset", "--quiet"}, 0, "", ""},
      {{"state", "show", "q.aupreset", "--quiet"}, 0, "", ""},
      {{"render", "in.wav", "q.wav", "--quiet", "--set", "OUT=0"}, 0, "", ""},  // clips, and says nothing
      {{"editor", "--png", "q.png", "--quiet"}, 0, "", ""},
      {{"render", "in.wav", "c.wav", "--set", "OUT=0"},
       0,
       "Rendered",
       "samples clipped at full scale in 'c.wav'; use --format float to keep the peaks"},
      {{"info", "--bundle", "nowhere.component"},
       1,
       "",
       "cannot load plug-in 'nowhere.component': No such file or directory; give Kelvo.component with --bundle PATH"},
      {{"render", "text.wav", "o.wav"}, 1, "", "cannot read 'text.wav': it is not a sound file libsndfile knows"},
      {{"editor", "--png", "e.png", "--click", "367,10"},
       2,
       "",
       "--click 367,10 reaches 367,10, outside the 367 x 630 editor"},
      {{"editor", "--png", "e.png", "--click", "10,630"}, 2, "", "outside the 367 x 630 editor"},
      {{"editor", "--png", "e.png", "--drag", "120,106,0,-107"}, 2, "", "reaches 120,-1"},
      {{"editor", "--png", "e.png", "--click", "-1,5"}, 2, "", "outside"},
      {{"editor", "--png", "e.jpg"}, 2, "", "its name must end in .png, not 'e.jpg'"},
      {{"editor", "--png", "png"}, 2, "", "must end in .png"},
  };
  Spill(Path("text.wav"), "plain text");
  for (const auto& c : kCases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (*c.out) {
      EXPECT_TRUE(Contains(r.out, c.out)) << r.out;
    } else {
      EXPECT_EQ(r.out, "");
    }
    if (*c.err) {
      EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
    } else {
      EXPECT_EQ(r.err, "");
    }
  }
  EXPECT_FALSE(Files().count("e.png"));
}

}  // namespace
