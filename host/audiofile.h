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

// A sound file opened for reading, delivered as interleaved 32-bit floats.
class AudioReader {
 public:
  ~AudioReader();
  // Opens path read-only; false with the file name and reason on failure.
  bool Open(const std::string& path, std::string& err);
  int Channels() const { return mInfo.channels; }
  int SampleRate() const { return mInfo.samplerate; }
  int Format() const { return mInfo.format; }
  int64_t Frames() const { return mInfo.frames; }
  // Reads up to frames frames; returns the number read (0 at the end), or -1
  // with the reason when the file cannot be read further.
  long Read(float* interleaved, long frames, std::string& err);

 private:
  SNDFILE* mFile = nullptr;
  SF_INFO mInfo = {};
  std::string mPath;
};

// A sound file written as a PendingFile: nothing appears at the destination
// until Finish() succeeds.
class AudioWriter {
 public:
  ~AudioWriter();
  // Chooses the container from the destination's extension (the input's when
  // it has none known), the sample format from want (inputFormat's when
  // Same), and opens the temporary file. False with the reason on failure.
  bool Open(const std::string& path, int channels, int sampleRate, int inputFormat,
            SampleFormat want, std::string& err);
  // Writes frames interleaved frames. Integer formats clip at full scale and
  // count the samples that had to be clipped.
  bool Write(const float* interleaved, long frames, std::string& err);
  // Closes the file and moves it into place.
  bool Finish(std::string& err);
  int Format() const { return mFormat; }
  int64_t ClippedSamples() const { return mClipped; }

 private:
  PendingFile mPending;
  SNDFILE* mFile = nullptr;
  int mChannels = 0, mFormat = 0;
  bool mClips = false;
  int64_t mClipped = 0;
  std::vector<float> mScratch;
};
