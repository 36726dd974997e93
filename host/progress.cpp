#include "progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// A render shorter than this never shows a bar.
constexpr double kShowAfterSeconds = 0.5;
constexpr double kRedrawSeconds = 0.1;
constexpr int kMostBar = 30, kLeastBar = 8;

std::string TimeText(double seconds)
{
  const long s = (long)(seconds + 0.5);
  char buf[32];
  if (s >= 3600)
    snprintf(buf, sizeof(buf), "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    snprintf(buf, sizeof(buf), "%ld:%02ld", s / 60, s % 60);
  return buf;
}

int TerminalColumns()
{
  struct winsize w = {};
  return ioctl(2, TIOCGWINSZ, &w) == 0 && w.ws_col > 0 ? w.ws_col : 80;
}

}  // namespace

Progress::Progress(int64_t totalFrames, int sampleRate, bool enabled)
    : mTotal(totalFrames), mRate(sampleRate), mEnabled(enabled && isatty(2)), mStart(Clock::now()), mLastDraw(mStart)
{
}

Progress::~Progress() { Finish(); }

double Progress::Elapsed() const { return std::chrono::duration<double>(Clock::now() - mStart).count(); }

std::string Progress::Line(int64_t frames, double elapsed, const std::string& note, int columns) const
{
  const bool known = mTotal > 0;
  const double fraction = known ? std::min(1.0, (double)frames / mTotal) : 0.0;
  // The figures in the order shown; on a narrow terminal the ones marked
  // optional go first, last one first, so that the bar and the time left stay.
  struct Figure
  {
    std::string text;
    bool optional;
  };
  std::vector<Figure> figures;
  char buf[96];
  if (known) {
    snprintf(buf, sizeof(buf), "%3d%%", (int)(fraction * 100));
    figures.push_back({buf, false});
  }
  if (mRate > 0) {
    const double audio = (double)frames / mRate;
    if (known)
      snprintf(buf, sizeof(buf), "%.1f s of %.1f s", audio, (double)mTotal / mRate);
    else
      snprintf(buf, sizeof(buf), "%.1f s", audio);
    figures.push_back({buf, known});
    snprintf(buf, sizeof(buf), "%.0fx realtime", elapsed > 0 ? audio / elapsed : 0.0);
    figures.push_back({buf, true});
  }
  if (!note.empty()) figures.push_back({note, false});
  if (known && frames > 0 && elapsed > 0)
    figures.push_back({TimeText(elapsed * (1 - fraction) / fraction) + " left", false});
  auto join = [&] {
    std::string s;
    for (const Figure& f : figures) s += (s.empty() ? "" : "  ") + f.text;
    return s;
  };
  // The line never reaches the last column, where a terminal would wrap it.
  const int room = columns - 1;
  std::string info = join();
  for (size_t i = figures.size(); i-- > 0 && room - (int)info.size() - 3 < (known ? kLeastBar : 0);)
    if (figures[i].optional) {
      figures.erase(figures.begin() + (long)i);
      info = join();
    }
  const int bar = std::min(kMostBar, room - (int)info.size() - 3);
  std::string line;
  if (known && bar >= kLeastBar) {
    const int filled = (int)(fraction * bar + 0.5);
    line = "[" + std::string((size_t)filled, '#') + std::string((size_t)(bar - filled), '.') + "] ";
  }
  line += info;
  if ((int)line.size() > room) line.resize((size_t)std::max(0, room));
  return line;
}

void Progress::Update(int64_t frames, const std::string& note)
{
  if (!mEnabled) return;
  const Clock::time_point now = Clock::now();
  const double elapsed = std::chrono::duration<double>(now - mStart).count();
  if (elapsed < kShowAfterSeconds || std::chrono::duration<double>(now - mLastDraw).count() < kRedrawSeconds) return;
  mLastDraw = now;
  fprintf(stderr, "\r%s\033[K", Line(frames, elapsed, note, TerminalColumns()).c_str());
  fflush(stderr);
  mDrawn = true;
}

void Progress::Finish()
{
  if (!mDrawn) return;
  fprintf(stderr, "\r\033[K");
  fflush(stderr);
  mDrawn = false;
}
