#include "tools/progress_bar.h"

#include <algorithm>
#include <cstdio>

#include "platform/system.h"
#include "scene/render_stats.h"

namespace {

std::string TimeText(int64_t seconds) {
  CRenderStats split;
  split.SplitTime(uint64_t(std::max<int64_t>(seconds, 0)));
  std::string text;
  FormatElapsedTime(split, text);
  return text;
}

}  // namespace

CProgressBar::CProgressBar(const char* label)
    : fLabel(label), fTerminal(platform::StandardErrorIsTerminal()), fStart(Clock::now()), fPassStart(fStart) {}

CProgressBar::~CProgressBar() {
  if (fTerminal && fDrawn) std::fputc('\n', stderr);
}

void CProgressBar::Told(void* owner, uint32_t done, uint32_t total) { static_cast<CProgressBar*>(owner)->Show(done, total); }

int64_t CProgressBar::SecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::seconds>(to - from).count();
}

std::string CProgressBar::Times(uint32_t done, uint32_t total) const {
  const Clock::time_point now = Clock::now();
  std::string text = TimeText(SecondsBetween(fStart, now)) + " elapsed";
  if (done == 0 || done >= total) return text;
  // The pass's pace so far, carried over what it has still to do.
  const double passSeconds = std::chrono::duration<double>(now - fPassStart).count();
  return text + ", " + TimeText(int64_t(passSeconds * (total - done) / done + 0.5)) + " left";
}

void CProgressBar::Show(uint32_t done, uint32_t total) {
  if (total == 0) return;
  done = std::min(done, total);
  if (done < fLastDone) {
    fPassStart = Clock::now();
    fLastTenth = 0;
  }
  fLastDone = done;
  const uint32_t percent = uint32_t(uint64_t(done) * 100 / total);
  if (fTerminal) {
    const Clock::time_point now = Clock::now();
    if (fDrawn && percent != 100 && now - fLastDrawn < std::chrono::milliseconds(kRedrawMs)) return;
    const uint32_t filled = percent * kBarWidth / 100;
    // The times shrink as well as grow: the end of the line is cleared.
    std::fprintf(stderr, "\r%s [%s%s] %3u%%  %s\033[K", fLabel.c_str(), std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, ' ').c_str(), percent, Times(done, total).c_str());
    std::fflush(stderr);
    fLastDrawn = now;
    fDrawn = true;
    return;
  }
  const uint32_t tenth = percent / 10;
  if (tenth <= fLastTenth) return;
  fLastTenth = tenth;
  std::fprintf(stderr, "%s %u%% (%s)\n", fLabel.c_str(), tenth * 10, Times(done, total).c_str());
}
