// The progress of long work (a render, a movie) on the standard error stream, with the time it has
// taken and the time it will still take, written as the render report writes them ("01:05",
// "1:00:00"). On a terminal a bar is redrawn in place at most ten times a second; elsewhere a line is
// written at every tenth, so that a log stays readable.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class CProgressBar {
 public:
  static constexpr int64_t kRedrawMs = 100;
  static constexpr uint32_t kBarWidth = 40;

  // label: what is going on ("rendering").
  explicit CProgressBar(const char* label);
  ~CProgressBar();
  CProgressBar(const CProgressBar&) = delete;
  CProgressBar& operator=(const CProgressBar&) = delete;

  // done of total steps. A count that starts again from a smaller number begins a second pass, whose
  // remaining time is estimated from its own pace.
  void Show(uint32_t done, uint32_t total);
  // For a render observer: owner is the bar.
  static void Told(void* owner, uint32_t done, uint32_t total);

 private:
  using Clock = std::chrono::steady_clock;

  // "00:12 elapsed, 00:16 left", without the second part while nothing is done or once all is.
  std::string Times(uint32_t done, uint32_t total) const;
  static int64_t SecondsBetween(Clock::time_point from, Clock::time_point to);

  const std::string fLabel;
  const bool fTerminal;
  const Clock::time_point fStart;
  Clock::time_point fPassStart;
  Clock::time_point fLastDrawn;
  bool fDrawn = false;
  uint32_t fLastDone = 0;
  uint32_t fLastTenth = 0;
};
