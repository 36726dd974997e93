// The kelvo command, run as a subprocess against the built plug-in bundle.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
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

struct Result {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void Spill(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

struct Sound {
  int channels = 0, rate = 0, format = 0;
  std::vector<float> samples;  // interleaved
};

// A scratch directory per test, with helpers to run kelvo in it.
class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = getenv("KELVO_BUILD_DIR");
    ASSERT_TRUE(build) << "KELVO_BUILD_DIR is not set";
    mKelvo = std::string(build) + "/bin/kelvo";
    char tmpl[] = "/tmp/kelvo-host-test-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    mDir = tmpl;
  }
  void TearDown() override {
    for (const std::string& f : Files())
      if (unlink(Path(f).c_str()) != 0) rmdir(Path(f).c_str());
    rmdir(mDir.c_str());
  }

  std::string Path(const std::string& name) const { return mDir + "/" + name; }

  // Every file in the scratch directory, hidden ones too.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    if (DIR* d = opendir(mDir.c_str())) {
      while (dirent* e = readdir(d))
        if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) names.insert(e->d_name);
      closedir(d);
    }
    return names;
  }

  // Runs kelvo with args in the scratch directory.
  Result Run(const std::vector<std::string>& args) const {
    Result r;
    const std::string out = mDir + "/../" + BaseName() + ".stdout", err = mDir + "/../" + BaseName() + ".stderr";
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(mDir.c_str()) != 0) _exit(127);
      const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(o, 1);
      dup2(e, 2);
      std::vector<char*> argv{const_cast<char*>(mKelvo.c_str())};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(mKelvo.c_str(), argv.data());
      _exit(127);
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

  std::string BaseName() const { return mDir.substr(mDir.rfind('/') + 1); }

  void Write(const std::string& name, const Sound& s) const {
    SF_INFO info = {};
    info.channels = s.channels;
    info.samplerate = s.rate;
    info.format = s.format;
    SNDFILE* f = sf_open(Path(name).c_str(), SFM_WRITE, &info);
    ASSERT_TRUE(f) << sf_strerror(nullptr);
    sf_writef_float(f, s.samples.data(), (sf_count_t)(s.samples.size() / s.channels));
    sf_close(f);
  }

  Sound Read(const std::string& name) const {
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
Sound Tone(int channels, int rate, int frames, float amp, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
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

TEST_F(Host, SilenceGivesSilenceInEveryLayout) {
  const struct {
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

TEST_F(Host, BypassedFloatRenderEqualsInput) {
  // More than full scale, and a length that no block size divides.
  const Sound in = Tone(2, 44100, 10007, 1.5f);
  Write("in.wav", in);
  const std::vector<std::string> kWays[] = {
      {"--bypass", "--block", "1"}, {"--bypass", "--block", "37"}, {"--bypass"},
      {"--bypass", "--block", "4096"}, {"--set", "Bypass=1"}};
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

TEST_F(Host, MonoRenderMatchesTheLeftChannelOfStereo) {
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

TEST_F(Host, BlockSizeDoesNotChangeTheSound) {
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

TEST_F(Host, OutputLevelScalesBySettingGain) {
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

TEST_F(Host, OutputFormatFollowsInputUnlessAsked) {
  const struct {
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
      {SF_FORMAT_WAV | SF_FORMAT_PCM_24, "o.raw-take", nullptr, SF_FORMAT_WAV | SF_FORMAT_PCM_24},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.out);
    const char* ext = (c.in & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC   ? "in.flac"
                      : (c.in & SF_FORMAT_TYPEMASK) == SF_FORMAT_AIFF ? "in.aiff"
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

TEST_F(Host, IntegerOutputClipsAndSaysSoWhileFloatKeepsOverloads) {
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
std::vector<short> Shorts(const std::string& path) {
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  EXPECT_TRUE(f) << path << ": " << sf_strerror(nullptr);
  if (!f) return {};
  std::vector<short> s((size_t)(info.frames * info.channels));
  sf_readf_short(f, s.data(), info.frames);
  sf_close(f);
  return s;
}

TEST_F(Host, SixteenBitOutputIsLibsndfilesClippingConversion) {
  // Full scale and beyond, the edges of each 16-bit step, non-numbers, and
  // random samples both loud and quiet; frame counts that leave odd tails.
  std::vector<float> values = {0.f, -0.f, 1.f, -1.f, 1.5f, -1.5f, 0.5f, -0.5f, 0.99999994f, -0.99999994f,
                               1.0000001f, -1.0000001f, NAN, INFINITY, -INFINITY, 1e-30f, -1e-30f, 3e-8f};
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

TEST_F(Host, SixteenBitBypassGivesTheInputBack) {
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

TEST_F(Host, InterruptedRenderLeavesNoFile) {
  Write("long.wav", Tone(2, 48000, 48000 * 30, 0.5f));
  const std::set<std::string> before = Files();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(mDir.c_str()) != 0) _exit(127);
    execl(mKelvo.c_str(), mKelvo.c_str(), "render", "long.wav", "out.wav", "--block", "1", "--quiet", nullptr);
    _exit(127);
  }
  // Wait until the temporary output exists, then interrupt.
  bool started = false;
  for (int i = 0; i < 20000 && !started; ++i) {
    started = Files().size() > before.size();
    if (!started) usleep(1000);
  }
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(started);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_EQ(Files(), before);
}

TEST_F(Host, DemoRendersARiffIntoTheWorkingDirectory) {
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

std::string Base64(const std::string& bytes) {
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
std::string PlistXml(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n" +
         body + "</plist>\n";
}

std::string Doubles(std::vector<double> v) {
  return std::string(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(double));
}

// Class-info entries as key and value XML, so that tests can break them.
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries KelvoState(const std::string& data) {
  return {{"data", "<data>" + Base64(data) + "</data>"},
          {"manufacturer", "<integer>1366060392</integer>"},  // 'Qlmh'
          {"name", "<string>-</string>"},
          {"subtype", "<integer>1264938033</integer>"},  // 'Kel1'
          {"type", "<integer>1635083896</integer>"},     // 'aufx'
          {"version", "<integer>65536</integer>"}};
}

// The entries with key's value replaced, or removed when xml is empty.
Entries With(Entries e, const std::string& key, const std::string& xml) {
  for (size_t i = 0; i < e.size(); ++i)
    if (e[i].first == key) {
      if (xml.empty())
        e.erase(e.begin() + (long)i);
      else
        e[i].second = xml;
    }
  return e;
}

std::string StateXml(const Entries& entries) {
  std::string body = "<dict>\n";
  for (const auto& e : entries) body += "\t<key>" + e.first + "</key>\n\t" + e.second + "\n";
  return PlistXml(body + "</dict>\n");
}

TEST_F(Host, SavedStateReproducesTheRender) {
  Write("in.wav", Tone(2, 44100, 5000, 0.7f));
  const Result saved = Run({"state", "save", "s.aupreset", "--set", "OUT=-3", "--set", "GainL=0.8"});
  ASSERT_EQ(saved.status, 0) << saved.err;
  const Result show = Run({"state", "show", "s.aupreset"});
  ASSERT_EQ(show.status, 0) << show.err;
  for (const char* part : {"version", "type", "subtype", "manufacturer", "name", "data", "CFNumber  65536  (v1.0.0)",
                           "'Kel1'", "'Qlmh'", "CFString  \"-\"", "CFData  32 bytes", "OUT -3.00", "GainL 0.80"})
    EXPECT_TRUE(Contains(show.out, part)) << part << " in\n" << show.out;

  const struct {
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

TEST_F(Host, HandWrittenStateInThePublishedFormatLoads) {
  Spill(Path("hand.aupreset"), StateXml(KelvoState(Doubles({-6.0, 0.25, 0.5, 0.0}))));
  const Result r = Run({"state", "show", "hand.aupreset"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "OUT -6.00, GainM 0.25, GainL 0.50, Bypass 0")) << r.out;
}

TEST_F(Host, RangeEndsAreAccepted) {
  const Result r = Run({"state", "save", "ends.aupreset", "--set", "OUT=-40", "--set", "GainM=1", "--set",
                        "GainL=0.05", "--set", "Bypass=1"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Result show = Run({"state", "show", "ends.aupreset"});
  EXPECT_TRUE(Contains(show.out, "OUT -40.00, GainM 1.00, GainL 0.05, Bypass 1")) << show.out;
}

// --- Information -------------------------------------------------------------

TEST_F(Host, InfoReportsWhatTheHostApiSays) {
  const Result r = Run({"info"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* part : {"Kelvo by Quillmarsh", "'aufx'", "'Kel1'", "'Qlmh'", "1.0.0", "OUT", "-40 to 0",
                           "-15.00", "GainM", "GainL", "0.05 to 0.98", "Bypass", "indexed", "0 \"-\"",
                           "1-1 2-2", "Latency: 0 s", "Tail time: 0 s"})
    EXPECT_TRUE(Contains(r.out, part)) << part << " in\n" << r.out;
}

TEST_F(Host, EveryCommandHasHelp) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"render", "--help"}, {"info", "--help"}, {"state", "--help"},
        {"state", "save", "--help"}, {"state", "show", "--help"}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.status, 0) << args.back();
    EXPECT_TRUE(Contains(r.out, "usage: kelvo")) << r.out;
  }
}

// --- Failures ----------------------------------------------------------------

TEST_F(Host, ErrorsNameTheFaultAndLeaveNoFile) {
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
  const struct {
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
      {{"render", "in.wav", "o.wav", "--preset", "7"}, 2, {"no factory preset 7", "0 (\"-\")"}},
      {{"render", "in.wav", "o.wav", "--loud"}, 2, {"unknown option '--loud'", "kelvo render --help"}},
      {{"render", "in.wav", "o.wav", "extra.wav"}, 2, {"too many files"}},
      {{"render", "in.wav", "in.wav"}, 2, {"is the input file"}},
      {{"render", "in.wav", "link.wav"}, 2, {"is the input file"}},
      {{"render", "missing.wav", "o.wav"}, 1, {"cannot read 'missing.wav': No such file or directory"}},
      {{"render", "text.wav", "o.wav"}, 1, {"cannot read 'text.wav'"}},
      {{"render", "empty.component", "o.wav"}, 1, {"cannot read 'empty.component': Is a directory"}},
      {{"render", "quad.wav", "o.wav"}, 1, {"4 channels", "mono or stereo"}},
      {{"render", "in.wav", "no/such/dir/o.wav"}, 1, {"cannot write 'no/such/dir/o.wav': No such file or directory"}},
      {{"render", "in.wav", "pipe.wav"}, 1, {"cannot write 'pipe.wav': not a regular file"}},
      {{"render", "in.wav", "empty.component"}, 1, {"cannot write 'empty.component': Is a directory"}},
      {{"render", "in.wav", "o.flac", "--format", "float"}, 1, {"cannot write 'o.flac'", "32-bit float"}},
      {{"render", "in.wav", "o.wav", "--bundle", "nowhere.component"}, 1, {"cannot load plug-in 'nowhere.component'"}},
      {{"info", "--bundle", "empty.component"}, 1, {"cannot load plug-in 'empty.component' (error -43, fnfErr)"}},
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

TEST_F(Host, StateWithANonNumberNeverGivesAParameterOne) {
  // The unit may refuse the value or keep the parameter as it was; kelvo
  // refuses whatever leaves a parameter outside its range.
  Spill(Path("nan.aupreset"), StateXml(KelvoState(Doubles({NAN, 0.5, 0.5, 0}))));
  const Result r = Run({"state", "show", "nan.aupreset"});
  if (r.status == 0) {
    EXPECT_TRUE(Contains(r.out, "gives OUT -15.00, GainM 0.50")) << r.out;
  } else {
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "'nan.aupreset' gives parameter OUT the value nan")) << r.err;
  }
}

TEST_F(Host, ReplacedOutputKeepsItsLinkAndPermissions) {
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

TEST_F(Host, FailedRenderLeavesAnExistingOutputAndTheInputAlone) {
  Write("in.wav", Tone(1, 44100, 2000, 0.5f));
  const std::string input = Slurp(Path("in.wav"));
  Spill(Path("out.wav"), "precious");
  EXPECT_EQ(Run({"render", "in.wav", "out.wav", "--state", "missing.aupreset"}).status, 1);
  EXPECT_EQ(Slurp(Path("out.wav")), "precious");
  ASSERT_EQ(Run({"render", "in.wav", "out.wav"}).status, 0);
  EXPECT_EQ(Read("out.wav").samples.size(), 2000u);
  EXPECT_EQ(Slurp(Path("in.wav")), input);
}

}  // namespace
