// A progress bar on stderr for long renders.
#pragma once

#include <chrono>
#include <cstdint>

// Shows percent done, seconds of audio done and the realtime factor on one
// self-rewriting line of stderr. It draws only when enabled and stderr is a
// terminal, and only once a render has run long enough to be worth watching.
class Progress {
 public:
  Progress(int64_t totalFrames, int sampleRate, bool enabled);
  ~Progress();
  // Records that frames frames are done; redraws at most ten times a second.
  void Update(int64_t frames);
  // Clears the line (if drawn) so that later output starts clean.
  void Finish();
  // Seconds since construction.
  double Elapsed() const;

 private:
  void Draw(int64_t frames);
  using Clock = std::chrono::steady_clock;
  int64_t mTotal;
  int mRate;
  bool mEnabled, mDrawn = false;
  Clock::time_point mStart, mLastDraw;
};
