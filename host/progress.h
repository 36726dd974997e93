// A progress bar on stderr for long renders.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// Shows the bar, percent done, seconds of audio done, the realtime factor and
// the time left on one self-rewriting line of stderr, cut to the terminal's
// width. It draws only when enabled and stderr is a terminal, and only once a
// render has run long enough to be worth watching.
class Progress
{
public:
  // totalFrames is -1 when the length is not known (no bar, percent or time
  // left then); a sampleRate of 0 leaves out the seconds of audio.
  Progress(int64_t totalFrames, int sampleRate, bool enabled);
  ~Progress();
  // Records that frames frames are done, with a note to show after the
  // figures ("3 of 8 files"); redraws at most ten times a second.
  void Update(int64_t frames, const std::string& note = "");
  // Clears the line (if drawn) so that later output starts clean.
  void Finish();
  // Seconds since construction.
  double Elapsed() const;

private:
  // The line for frames done after elapsed seconds, short of columns wide.
  std::string Line(int64_t frames, double elapsed, const std::string& note, int columns) const;

  using Clock = std::chrono::steady_clock;
  int64_t mTotal;
  int mRate;
  bool mEnabled, mDrawn = false;
  Clock::time_point mStart, mLastDraw;
};
