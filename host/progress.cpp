#include "progress.h"

#include <cstdio>
#include <unistd.h>

namespace {
// A render shorter than this never shows a bar.
constexpr double kShowAfterSeconds = 0.5;
constexpr double kRedrawSeconds = 0.1;
constexpr int kBarWidth = 30;
}  // namespace

Progress::Progress(int64_t totalFrames, int sampleRate, bool enabled)
    : mTotal(totalFrames), mRate(sampleRate), mEnabled(enabled && isatty(2)),
      mStart(Clock::now()), mLastDraw(mStart) {}

Progress::~Progress() { Finish(); }

double Progress::Elapsed() const {
  return std::chrono::duration<double>(Clock::now() - mStart).count();
}

void Progress::Update(int64_t frames) {
  if (!mEnabled) return;
  const Clock::time_point now = Clock::now();
  if (std::chrono::duration<double>(now - mStart).count() < kShowAfterSeconds ||
      std::chrono::duration<double>(now - mLastDraw).count() < kRedrawSeconds)
    return;
  mLastDraw = now;
  Draw(frames);
}

void Progress::Draw(int64_t frames) {
  const double fraction = mTotal > 0 ? (double)frames / mTotal : 0.0;
  const double audio = (double)frames / mRate;
  const double elapsed = Elapsed();
  char bar[kBarWidth + 1];
  const int filled = (int)(fraction * kBarWidth + 0.5);
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kBarWidth] = 0;
  fprintf(stderr, "\r[%s] %3d%%  %.1f s of %.1f s  %.1fx realtime\033[K", bar, (int)(fraction * 100),
          audio, (double)mTotal / mRate, elapsed > 0 ? audio / elapsed : 0.0);
  fflush(stderr);
  mDrawn = true;
}

void Progress::Finish() {
  if (!mDrawn) return;
  fprintf(stderr, "\r\033[K");
  fflush(stderr);
  mDrawn = false;
}
