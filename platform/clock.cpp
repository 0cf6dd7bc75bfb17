#include "platform/clock.h"

#include <ctime>

namespace platform {
namespace {

bool gVirtual = false;
int64_t gVirtualMs = 0;

}  // namespace

int64_t RealMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int64_t NowMs() { return gVirtual ? gVirtualMs : RealMs(); }

int64_t NowTicks() { return MsToTicks(NowMs()); }

void UseVirtualClock(int64_t startMs) {
  gVirtual = true;
  gVirtualMs = startMs;
}

void UseRealClock() { gVirtual = false; }

bool IsVirtualClock() { return gVirtual; }

void AdvanceVirtualClock(int64_t ms) { gVirtualMs += ms; }

void SleepMs(int64_t ms) {
  if (ms <= 0) return;
  if (gVirtual) {
    gVirtualMs += ms;
    return;
  }
  SleepRealMs(ms);
}

void SleepRealMs(int64_t ms) {
  if (ms <= 0) return;
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000};
  while (nanosleep(&ts, &ts) != 0) {
  }
  if (gVirtual) gVirtualMs += ms;
}

}  // namespace platform
