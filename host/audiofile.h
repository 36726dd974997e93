// Reading and writing sound files through libsndfile.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

#include "outfile.h"

// The sample format asked for with --format; Same keeps the input's.
enum class SampleFormat { Same, Float, Pcm16, Pcm24 };

// Reads "float", "pcm16" or "pcm24"; false for anything else.
bool ParseSampleFormat(const std::string& text, SampleFormat& out);

// A short human name of a libsndfile format word ("WAV, 16-bit PCM").
std::string DescribeFormat(int format);

// The output containers kelvo writes, by extension, as "wav, aiff, ...".
std::string OutputTypes();

// Chooses the libsndfile format of an output: the container from type (an
// extension such as "flac") when given, else from path's extension, else
// inputFormat's; the encoding from want, else the container's own codec
// (Vorbis, Opus, MP3), else the input's, where a compressed input gives
// float (24-bit where float cannot be held). False with the reason when the
// type or extension is unknown or the container cannot hold the audio;
// misuse tells whether the fault lies in the command line (an unknown type).
bool ChooseOutputFormat(const std::string& path, const std::string& type, int inputFormat, SampleFormat want,
                        int channels, int sampleRate, int& format, bool& misuse, std::string& err);

// A sound file opened for reading, delivered as 32-bit floats, one array per
// channel.
class AudioReader
{
public:
  ~AudioReader();
  // Opens path read-only ("-" reads standard input); false with the file
  // name and reason on failure.
  bool Open(const std::string& path, std::string& err);
  int Channels() const { return mInfo.channels; }
  int SampleRate() const { return mInfo.samplerate; }
  int Format() const { return mInfo.format; }
  // The length in frames, or -1 when it is not known before the end (a pipe).
  int64_t Frames() const { return mSeekable ? mInfo.frames : -1; }
  // Reads up to frames frames into planar[0..Channels()-1]; returns the number
  // read (0 at the end), or -1 with the reason when the file cannot be read
  // further.
  long Read(float* const* planar, long frames, std::string& err);

private:
  SNDFILE* mFile = nullptr;
  SF_INFO mInfo = {};
  std::string mPath;
  bool mSeekable = true;
  bool mPcm16 = false;  // 16-bit files are read as they are stored and scaled here
  std::vector<int16_t> mShorts;
  std::vector<float> mFloats;
};

// A sound file written as a PendingFile: nothing appears at the destination
// until Finish() succeeds.
class AudioWriter
{
public:
  ~AudioWriter();
  // Opens the destination for a file of format (from ChooseOutputFormat).
  // False with the reason on failure.
  bool Open(const std::string& path, int channels, int sampleRate, int format, std::string& err);
  // Writes frames frames from planar[0..channels-1]. Integer formats clip at
  // full scale and count the samples that had to be clipped.
  bool Write(const float* const* planar, long frames, std::string& err);
  // Closes the file and moves it into place.
  bool Finish(std::string& err);
  int Format() const { return mFormat; }
  // True when the output goes to the descriptor fd (say, standard output).
  bool WritesTo(int fd) const { return mPending.SameAs(fd); }
  int64_t ClippedSamples() const { return mClipped; }

private:
  PendingFile mPending;
  SNDFILE* mFile = nullptr;
  int mChannels = 0, mFormat = 0;
  // How samples reach libsndfile, chosen at Open: floats as they are, floats
  // clipped to full scale, or 16-bit samples converted here.
  enum class Route { Float, ClippedFloat, Pcm16 } mRoute = Route::Float;
  int64_t mClipped = 0;
  std::vector<float> mFloats;
  std::vector<int16_t> mShorts;
  static constexpr size_t kWritebackSamples = 1 << 20;
  size_t mUnflushed = 0;  // samples written since the last StartWriteback()
};
