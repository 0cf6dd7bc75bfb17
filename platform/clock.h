// The program's clock: a 64-bit millisecond count since an arbitrary start, and ticks of 1/60 s.
// Tests switch it to a virtual clock that only moves when they advance it.
#pragma once

#include <cstdint>

namespace platform {

int64_t NowMs();
int64_t NowTicks();
// The real monotonic clock in ms, whichever clock NowMs answers.
int64_t RealMs();
constexpr int64_t MsToTicks(int64_t ms) { return ms * 3 / 50; }

// Virtual clock: once enabled, NowMs answers the virtual count until it is disabled again.
void UseVirtualClock(int64_t startMs);
void UseRealClock();
bool IsVirtualClock();
void AdvanceVirtualClock(int64_t ms);

// Blocks the caller; on the virtual clock the time simply moves on.
void SleepMs(int64_t ms);
// Blocks the caller for ms of real time on either clock; the virtual clock moves on by as much.
void SleepRealMs(int64_t ms);

}  // namespace platform
