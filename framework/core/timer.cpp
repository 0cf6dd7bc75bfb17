#include "framework/core/timer.h"

#include <limits>

#include "platform/clock.h"

void CTimer::Start() {
  fStartMs = platform::NowMs();
  fExpired = false;
}

void CTimer::Expire() { fExpired = true; }

int64_t CTimer::ElapsedMs() const {
  if (fExpired) return std::numeric_limits<int32_t>::max();
  return platform::NowMs() - fStartMs;
}

int64_t CTimer::ElapsedSeconds() const {
  if (fExpired) return std::numeric_limits<int32_t>::max();
  return platform::NowMs() / 1000 - fStartMs / 1000;
}

int64_t CTimer::ElapsedTicks() const {
  if (fExpired) return std::numeric_limits<int32_t>::max();
  return platform::MsToTicks(platform::NowMs()) - platform::MsToTicks(fStartMs);
}

void CTimer::WaitTicks(int64_t n) {
  Start();
  while (ElapsedTicks() < n) platform::SleepMs(1);
}
