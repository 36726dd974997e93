#include "audiofile.h"

#include <strings.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "samples.h"

namespace {

struct Named {
  const char* name;
  int format;
};

const Named kContainers[] = {
    {"wav", SF_FORMAT_WAV},   {"aif", SF_FORMAT_AIFF}, {"aiff", SF_FORMAT_AIFF},
    {"aifc", SF_FORMAT_AIFF}, {"flac", SF_FORMAT_FLAC}, {"caf", SF_FORMAT_CAF},
    {"au", SF_FORMAT_AU},     {"snd", SF_FORMAT_AU},   {"w64", SF_FORMAT_W64},
    {"rf64", SF_FORMAT_RF64}, {"ogg", SF_FORMAT_OGG},  {"oga", SF_FORMAT_OGG},
};

const Named kEncodings[] = {
    {"8-bit PCM", SF_FORMAT_PCM_S8},  {"8-bit PCM", SF_FORMAT_PCM_U8},
    {"16-bit PCM", SF_FORMAT_PCM_16}, {"24-bit PCM", SF_FORMAT_PCM_24},
    {"32-bit PCM", SF_FORMAT_PCM_32}, {"32-bit float", SF_FORMAT_FLOAT},
    {"64-bit float", SF_FORMAT_DOUBLE}, {"Vorbis", SF_FORMAT_VORBIS},
    {"Opus", SF_FORMAT_OPUS},         {"u-law", SF_FORMAT_ULAW},
    {"A-law", SF_FORMAT_ALAW},        {"MPEG layer III", SF_FORMAT_MPEG_LAYER_III},
};

// Formats whose samples are stored as floating point or compressed floats;
// everything else stores integers that cannot hold more than full scale.
bool HoldsOverload(int format) {
  const int sub = format & SF_FORMAT_SUBMASK;
  return sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE || sub == SF_FORMAT_VORBIS ||
         sub == SF_FORMAT_OPUS;
}

int ContainerForPath(const std::string& path, int fallback) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return fallback;
  const std::string ext = path.substr(dot + 1);
  for (const Named& c : kContainers)
    if (strcasecmp(ext.c_str(), c.name) == 0) return c.format;
  return fallback;
}

// The container's short name ("WAV", "FLAC").
std::string ContainerName(int format) {
  SF_FORMAT_INFO info = {};
  info.format = format & SF_FORMAT_TYPEMASK;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof(info)) != 0 || !info.name) return "unknown";
  std::string s = info.name;
  const size_t paren = s.find(" (");
  return paren == std::string::npos ? s : s.substr(0, paren);
}

std::string EncodingName(int format) {
  for (const Named& e : kEncodings)
    if (e.format == (format & SF_FORMAT_SUBMASK)) return e.name;
  return "encoding " + std::to_string(format & SF_FORMAT_SUBMASK);
}

// libsndfile's own error text, without its trailing full stop.
std::string SndfileReason(SNDFILE* f) {
  std::string r = sf_strerror(f);
  while (!r.empty() && (r.back() == '.' || r.back() == '\n' || r.back() == ' ')) r.pop_back();
  return r;
}

}  // namespace

bool ParseSampleFormat(const std::string& text, SampleFormat& out) {
  static const struct {
    const char* name;
    SampleFormat format;
  } kNames[] = {{"float", SampleFormat::Float}, {"pcm16", SampleFormat::Pcm16}, {"pcm24", SampleFormat::Pcm24}};
  for (const auto& n : kNames)
    if (text == n.name) {
      out = n.format;
      return true;
    }
  return false;
}

std::string DescribeFormat(int format) { return ContainerName(format) + ", " + EncodingName(format); }

AudioReader::~AudioReader() {
  if (mFile) sf_close(mFile);
}

bool AudioReader::Open(const std::string& path, std::string& err) {
  mPath = path;
  const int fd = open(path.c_str(), O_RDONLY);
  struct stat st;
  if (fd < 0 || (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))) {
    err = "cannot read '" + path + "': " + strerror(fd < 0 ? errno : EISDIR);
    if (fd >= 0) close(fd);
    return false;
  }
  mFile = sf_open_fd(fd, SFM_READ, &mInfo, SF_TRUE);
  if (!mFile) {
    err = "cannot read '" + path + "': " + SndfileReason(nullptr);
    return false;
  }
  if (mInfo.channels < 1 || mInfo.channels > 2) {
    err = "cannot render '" + path + "': it has " + std::to_string(mInfo.channels) +
          " channels; Kelvo takes mono or stereo";
    return false;
  }
  mPcm16 = (mInfo.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
  return true;
}

long AudioReader::Read(float* const* planar, long frames, std::string& err) {
  const size_t samples = (size_t)frames * mInfo.channels;
  sf_count_t n;
  if (mPcm16) {
    if (mShorts.size() < samples) mShorts.resize(samples);
    n = sf_readf_short(mFile, mShorts.data(), frames);
    if (n > 0) Deinterleave(mShorts.data(), planar, mInfo.channels, (long)n, kPcm16ToFloat);
  } else {
    if (mFloats.size() < samples) mFloats.resize(samples);
    n = sf_readf_float(mFile, mFloats.data(), frames);
    if (n > 0) Deinterleave(mFloats.data(), planar, mInfo.channels, (long)n, 1.f);
  }
  if (n < frames && sf_error(mFile) != SF_ERR_NO_ERROR) {
    err = "cannot read '" + mPath + "': " + SndfileReason(mFile);
    return -1;
  }
  return (long)n;
}

AudioWriter::~AudioWriter() {
  if (mFile) sf_close(mFile);
}

bool AudioWriter::Open(const std::string& path, int channels, int sampleRate, int inputFormat,
                       SampleFormat want, std::string& err) {
  static const char* const kNames[] = {"", "float", "pcm16", "pcm24"};
  static const int kSubformats[] = {0, SF_FORMAT_FLOAT, SF_FORMAT_PCM_16, SF_FORMAT_PCM_24};
  const int container = ContainerForPath(path, inputFormat & SF_FORMAT_TYPEMASK);
  const int sub = want == SampleFormat::Same ? (inputFormat & SF_FORMAT_SUBMASK)
                                             : kSubformats[(int)want];
  SF_INFO info = {};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = container | sub;
  if (!sf_format_check(&info)) {
    std::vector<std::string> fit;
    for (int i = 1; i < 4; ++i) {
      SF_INFO other = info;
      other.format = container | kSubformats[i];
      if (sf_format_check(&other)) fit.push_back(kNames[i]);
    }
    std::string fits;  // "a", "a or b", "a, b or c"
    for (size_t i = 0; i < fit.size(); ++i)
      fits += (i == 0 ? "" : i + 1 == fit.size() ? " or " : ", ") + fit[i];
    err = "cannot write '" + path + "': " + ContainerName(container) + " files cannot hold " +
          EncodingName(sub) + " samples" + (fits.empty() ? "" : "; try --format " + fits);
    return false;
  }
  if (!mPending.Create(path, err)) return false;
  mFile = sf_open_fd(mPending.Fd(), SFM_WRITE, &info, SF_FALSE);
  if (!mFile) {
    err = "cannot write '" + path + "': " + SndfileReason(nullptr);
    mPending.Abort();
    return false;
  }
  mChannels = channels;
  mFormat = info.format;
  mRoute = HoldsOverload(info.format)                           ? Route::Float
          : (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16 ? Route::Pcm16
                                                                  : Route::ClippedFloat;
  if (mRoute == Route::ClippedFloat) sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return true;
}

bool AudioWriter::Write(const float* const* planar, long frames, std::string& err) {
  const size_t samples = (size_t)frames * mChannels;
  sf_count_t written;
  if (mRoute == Route::Pcm16) {
    if (mShorts.size() < samples) mShorts.resize(samples);
    InterleavePcm16(planar, mShorts.data(), mChannels, frames, mClipped);
    written = sf_writef_short(mFile, mShorts.data(), frames);
  } else {
    if (mFloats.size() < samples) mFloats.resize(samples);
    Interleave(planar, mFloats.data(), mChannels, frames);
    if (mRoute == Route::ClippedFloat) ClipToFullScale(mFloats.data(), (long)samples, mClipped);
    written = sf_writef_float(mFile, mFloats.data(), frames);
  }
  if (written != frames) {
    err = "cannot write '" + mPending.Path() + "': " + SndfileReason(mFile);
    return false;
  }
  // Long renders hand their output to the disk as they go.
  mUnflushed += samples;
  if (mUnflushed >= kWritebackSamples) {
    mPending.StartWriteback();
    mUnflushed = 0;
  }
  return true;
}

bool AudioWriter::Finish(std::string& err) {
  const int rc = sf_close(mFile);
  mFile = nullptr;
  if (rc != 0) {
    err = "cannot write '" + mPending.Path() + "': " + SndfileReason(nullptr);
    mPending.Abort();
    return false;
  }
  return mPending.Commit(err);
}
