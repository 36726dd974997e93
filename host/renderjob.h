// One input rendered through one instance of the plug-in into one output.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audiofile.h"

class AUSession;

// What every render of one command shares.
struct RenderOptions
{
  long block = 512;                          // frames per render call
  SampleFormat format = SampleFormat::Same;  // --format
  std::string type;                          // --type: the output container, by extension
  bool settle = true;                        // let the control reach its target before the first frame
  bool hostBypass = false;                   // the host's bypass (--bypass)
  unsigned quality = 0;                      // the unit's render quality (--quality)
};

// The frames of silence after which the effect's control lies within 1e-9 of
// its target at sampleRate, from a new instance.
int64_t SettleFrames(double sampleRate);

class RenderJob
{
public:
  // Opens the input (in; "" for the built-in demo riff) and chooses the
  // format of out. False with the reason; misuse tells whether the command
  // line is at fault (an unknown output type).
  bool Open(const std::string& in, const std::string& out, const RenderOptions& options, bool& misuse,
            std::string& err);
  // Prepares the instance (its parameters already set) for the input, lets
  // its control settle, renders the input into the output and finishes the
  // output, which lines up with the input and is as long: the unit's latency is
  // dropped from its start and made up with silence rendered after the input.
  // advanced is told the frames of the input rendered, a chunk at a time.
  bool Run(AUSession& session, const std::function<void(int64_t)>& advanced, std::string& err);

  bool IsDemo() const { return mIn.empty(); }
  const std::string& Out() const { return mOut; }
  int Channels() const { return mChannels; }
  int SampleRate() const { return mRate; }
  int InputFormat() const { return mInFormat; }
  int OutputFormat() const { return mOutFormat; }
  // The input's length in frames, -1 when not known before the end.
  int64_t Frames() const { return mFrames; }
  int64_t FramesDone() const { return mDone; }
  int64_t SettledFrames() const { return mSettled; }
  int64_t ClippedSamples() const { return mClipped; }
  bool WroteStandardOutput() const { return mToStdout; }

private:
  bool Settle(AUSession& session, std::string& err);
  long Read(float* const* dst, long frames, std::string& err);

  std::string mIn, mOut;
  RenderOptions mOptions;
  AudioReader mReader;
  std::vector<float> mRiff;
  int mChannels = 2, mRate = 0, mInFormat = 0, mOutFormat = 0;
  int64_t mFrames = 0, mDone = 0, mSettled = 0, mClipped = 0;
  bool mToStdout = false;
};
