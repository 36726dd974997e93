#include "audiofile.h"

#include <strings.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "samples.h"

namespace {

struct Named
{
  const char* name;
  int format;
};

// The containers kelvo writes, by extension. Those with a codec of their own
// are always written in it; "streams" marks those libsndfile can write to a
// pipe (the others go back to finish their header, or, as FLAC, come out of
// a pipe damaged).
const struct Container
{
  const char* ext;
  int format, codec;
  const char* name;
  bool streams;
} kContainers[] = {
    {"wav", SF_FORMAT_WAV, 0, "WAV", false},
    {"aiff", SF_FORMAT_AIFF, 0, "AIFF", false},
    {"aif", SF_FORMAT_AIFF, 0, "AIFF", false},
    {"aifc", SF_FORMAT_AIFF, 0, "AIFF", false},
    {"flac", SF_FORMAT_FLAC, 0, "FLAC", false},
    {"ogg", SF_FORMAT_OGG, SF_FORMAT_VORBIS, "Ogg Vorbis", true},
    {"oga", SF_FORMAT_OGG, SF_FORMAT_VORBIS, "Ogg Vorbis", true},
    {"opus", SF_FORMAT_OGG, SF_FORMAT_OPUS, "Opus", true},
    {"mp3", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III, "MP3", true},
    {"caf", SF_FORMAT_CAF, 0, "CAF", false},
    {"w64", SF_FORMAT_W64, 0, "W64", false},
    {"rf64", SF_FORMAT_RF64, 0, "RF64", false},
    {"au", SF_FORMAT_AU, 0, "AU", true},
    {"snd", SF_FORMAT_AU, 0, "AU", true},
};

// libsndfile keeps the error of a failed open in one global: files opened side
// by side take turns, so that each failure reads its own reason.
std::mutex sOpening;

// Containers libsndfile reads whole from a pipe; it misreads or refuses the others there.
const int kPipeReadable[] = {SF_FORMAT_WAV, SF_FORMAT_AIFF, SF_FORMAT_AU, SF_FORMAT_W64, SF_FORMAT_OGG, SF_FORMAT_MPEG};
constexpr const char* kPipeReadableText = "WAV, AIFF, AU, W64, Ogg and MP3";

const Named kEncodings[] = {
    {"8-bit PCM", SF_FORMAT_PCM_S8},    {"8-bit PCM", SF_FORMAT_PCM_U8},  {"16-bit PCM", SF_FORMAT_PCM_16},
    {"24-bit PCM", SF_FORMAT_PCM_24},   {"32-bit PCM", SF_FORMAT_PCM_32}, {"32-bit float", SF_FORMAT_FLOAT},
    {"64-bit float", SF_FORMAT_DOUBLE}, {"Vorbis", SF_FORMAT_VORBIS},     {"Opus", SF_FORMAT_OPUS},
    {"u-law", SF_FORMAT_ULAW},          {"A-law", SF_FORMAT_ALAW},        {"MPEG layer III", SF_FORMAT_MPEG_LAYER_III},
};

// Formats whose samples are stored as floating point or compressed floats;
// everything else stores integers that cannot hold more than full scale.
bool HoldsOverload(int format)
{
  const int sub = format & SF_FORMAT_SUBMASK;
  return sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE || sub == SF_FORMAT_VORBIS || sub == SF_FORMAT_OPUS;
}

// Encodings that lose what they do not hear; an output does not take them from its input.
bool IsCompressed(int sub)
{
  return sub == SF_FORMAT_VORBIS || sub == SF_FORMAT_OPUS || sub == SF_FORMAT_MPEG_LAYER_I ||
         sub == SF_FORMAT_MPEG_LAYER_II || sub == SF_FORMAT_MPEG_LAYER_III;
}

// The extensions of the containers that stream, as "au, ogg, ...".
std::string StreamingTypes()
{
  std::string s;
  for (const Container& c : kContainers)
    if (c.streams) s += (s.empty() ? "" : ", ") + std::string(c.ext);
  return s;
}

// The extension of path's last component, or "" ("-" and hidden names have none).
std::string Extension(const std::string& path)
{
  const size_t slash = path.rfind('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= base || dot + 1 == path.size()) return "";
  return path.substr(dot + 1);
}

const Container* ContainerByExtension(const std::string& ext)
{
  for (const Container& c : kContainers)
    if (strcasecmp(ext.c_str(), c.ext) == 0) return &c;
  return nullptr;
}

// The table's entry for a whole format word, or null.
const Container* ContainerOf(int format)
{
  for (const Container& c : kContainers)
    if (c.format == (format & SF_FORMAT_TYPEMASK) && (!c.codec || c.codec == (format & SF_FORMAT_SUBMASK))) return &c;
  return nullptr;
}

// The container's short name ("WAV", "FLAC").
std::string ContainerName(int format)
{
  if (const Container* c = ContainerOf(format)) return c->name;
  SF_FORMAT_INFO info = {};
  info.format = format & SF_FORMAT_TYPEMASK;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof(info)) != 0 || !info.name) return "unknown";
  std::string s = info.name;
  const size_t paren = s.find(" (");
  return paren == std::string::npos ? s : s.substr(0, paren);
}

std::string EncodingName(int format)
{
  for (const Named& e : kEncodings)
    if (e.format == (format & SF_FORMAT_SUBMASK)) return e.name;
  return "encoding " + std::to_string(format & SF_FORMAT_SUBMASK);
}

// Why libsndfile failed, in kelvo's words where the cause is a common one.
std::string SndfileReason(SNDFILE* f)
{
  switch (sf_error(f)) {
    case SF_ERR_UNRECOGNISED_FORMAT:
      return "it is not a sound file libsndfile knows (WAV, AIFF, FLAC, Ogg, MP3, CAF, ...)";
    case SF_ERR_MALFORMED_FILE:
      return "the sound file is damaged or cut short";
    case SF_ERR_UNSUPPORTED_ENCODING:
      return "its samples are in an encoding libsndfile cannot read";
    default:
      break;
  }
  std::string r = sf_strerror(f);
  if (r.compare(0, 8, "Error : ") == 0) r.erase(0, 8);
  while (!r.empty() && (r.back() == '.' || r.back() == '\n' || r.back() == ' ')) r.pop_back();
  return r;
}

}  // namespace

bool ParseSampleFormat(const std::string& text, SampleFormat& out)
{
  static const struct
  {
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

std::string OutputTypes()
{
  std::string s;
  for (const Container& c : kContainers) s += (s.empty() ? "" : ", ") + std::string(c.ext);
  return s;
}

bool ChooseOutputFormat(const std::string& path, const std::string& type, int inputFormat, SampleFormat want,
                        int channels, int sampleRate, int& format, bool& misuse, std::string& err)
{
  static const int kSubformats[] = {0, SF_FORMAT_FLOAT, SF_FORMAT_PCM_16, SF_FORMAT_PCM_24};
  static const char* const kNames[] = {"", "float", "pcm16", "pcm24"};
  misuse = false;
  const std::string where = "cannot write " + NameOf(path, true);
  const std::string ext = Extension(path);
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    err = where + ": it is a directory";
    return false;
  }
  const Container* c = nullptr;
  if (!type.empty()) {
    c = ContainerByExtension(type);
    if (!c) {
      misuse = true;
      err = "--type takes one of " + OutputTypes() + ", not '" + type + "'";
      return false;
    }
  } else if (!ext.empty() && DescriptorNamed(path) < 0) {
    c = ContainerByExtension(ext);
    if (!c) {
      misuse = true;
      err = where + ": kelvo does not know the extension '." + ext + "'; it writes " + OutputTypes() +
            " (or name the type with --type)";
      return false;
    }
  } else {
    c = ContainerOf(inputFormat);
  }
  const int container = c ? c->format : inputFormat & SF_FORMAT_TYPEMASK;
  const int inputSub = inputFormat & SF_FORMAT_SUBMASK;
  SF_INFO info = {};
  info.channels = channels;
  info.samplerate = sampleRate;
  auto holds = [&](int sub) {
    info.format = container | sub;
    return sf_format_check(&info) != 0;
  };
  int sub;
  if (c && c->codec) {
    if (want != SampleFormat::Same) {
      misuse = true;
      err = where + ": " + c->name + " files hold " + EncodingName(c->codec) +
            "; --format chooses the samples of WAV, AIFF, FLAC, CAF, W64, RF64 and AU files";
      return false;
    }
    sub = c->codec;
  } else if (want != SampleFormat::Same) {
    sub = kSubformats[(int)want];
  } else if (IsCompressed(inputSub)) {
    sub = holds(SF_FORMAT_FLOAT) ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_24;
  } else {
    sub = inputSub;
  }
  if (holds(sub)) {
    format = container | sub;
    return true;
  }
  if (c && c->codec) {
    err = where + ": " + c->name + " files cannot hold " + std::to_string(channels) + "-channel audio at " +
          std::to_string(sampleRate) + " Hz";
    return false;
  }
  std::vector<std::string> fit;
  for (int i = 1; i < 4; ++i)
    if (holds(kSubformats[i])) fit.push_back(kNames[i]);
  std::string fits;  // "a", "a or b", "a, b or c"
  for (size_t i = 0; i < fit.size(); ++i) fits += (i == 0 ? "" : i + 1 == fit.size() ? " or " : ", ") + fit[i];
  err = where + ": " + ContainerName(container) + " files cannot hold " + EncodingName(sub) + " samples" +
        (fits.empty() ? "" : "; try --format " + fits);
  return false;
}

AudioReader::~AudioReader()
{
  if (mFile) sf_close(mFile);
}

bool AudioReader::Open(const std::string& path, std::string& err)
{
  mPath = path;
  const std::string name = NameOf(path, false);
  const bool standardInput = path == "-";
  const int fd = standardInput ? 0 : open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))) {
    err = "cannot read " + name + ": " + (fd < 0 ? strerror(errno) : "it is a directory");
    if (fd > 0) close(fd);
    return false;
  }
  mSeekable = lseek(fd, 0, SEEK_CUR) >= 0;
  const std::string fromPipe =
      std::string("; from a pipe kelvo reads ") + kPipeReadableText + " files (give others by name)";
  {
    std::lock_guard<std::mutex> hold(sOpening);
    mFile = sf_open_fd(fd, SFM_READ, &mInfo, standardInput ? SF_FALSE : SF_TRUE);
    if (!mFile) {
      err = "cannot read " + name + ": " + SndfileReason(nullptr) + (mSeekable ? "" : fromPipe);
      return false;
    }
  }
  if (!mSeekable) {
    bool readable = false;
    for (int f : kPipeReadable) readable = readable || f == (mInfo.format & SF_FORMAT_TYPEMASK);
    if (!readable) {
      err = "cannot read " + name + ": it is a " + ContainerName(mInfo.format) + " file" + fromPipe;
      return false;
    }
  }
  if (mInfo.channels < 1 || mInfo.channels > 2) {
    err = "cannot render " + name + ": it has " + std::to_string(mInfo.channels) +
          " channels; Kelvo takes mono or stereo";
    return false;
  }
  mPcm16 = (mInfo.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
  return true;
}

long AudioReader::Read(float* const* planar, long frames, std::string& err)
{
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
    err = "cannot read " + NameOf(mPath, false) + ": " + SndfileReason(mFile);
    return -1;
  }
  return (long)n;
}

AudioWriter::~AudioWriter()
{
  if (mFile) sf_close(mFile);
}

bool AudioWriter::Open(const std::string& path, int channels, int sampleRate, int format, std::string& err)
{
  SF_INFO info = {};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = format;
  const Container* c = ContainerOf(format);
  const std::string refusal = c && c->streams ? ""
                                              : ContainerName(format) +
                                                    " files cannot be written to a pipe; choose a type that "
                                                    "streams with --type (" +
                                                    StreamingTypes() + ")";
  if (!mPending.Create(path, err, refusal)) return false;
  {
    std::lock_guard<std::mutex> hold(sOpening);
    mFile = sf_open_fd(mPending.Fd(), SFM_WRITE, &info, SF_FALSE);
    if (!mFile) {
      err = "cannot write " + NameOf(path, true) + ": " + SndfileReason(nullptr);
      mPending.Abort();
      return false;
    }
  }
  mChannels = channels;
  mFormat = info.format;
  mRoute = HoldsOverload(info.format)                              ? Route::Float
           : (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16 ? Route::Pcm16
                                                                   : Route::ClippedFloat;
  if (mRoute == Route::ClippedFloat) sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return true;
}

bool AudioWriter::Write(const float* const* planar, long frames, std::string& err)
{
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
    err = "cannot write " + NameOf(mPending.Path(), true) + ": " + SndfileReason(mFile);
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

bool AudioWriter::Finish(std::string& err)
{
  const int rc = sf_close(mFile);
  mFile = nullptr;
  if (rc != 0) {
    err = "cannot write " + NameOf(mPending.Path(), true) + ": " + sf_error_number(rc);
    mPending.Abort();
    return false;
  }
  return mPending.Commit(err);
}
