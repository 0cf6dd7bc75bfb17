// Elapsed time in seconds and in ticks (1/60 s), on the 64-bit millisecond clock.
#pragma once

#include <cstdint>

class CTimer {
 public:
  CTimer() = default;

  void Start();
  // Makes the timer read as long expired, so the next throttle check passes at once.
  void Expire();
  int64_t ElapsedSeconds() const;
  int64_t ElapsedTicks() const;
  int64_t ElapsedMs() const;
  // Restarts the timer and waits, without handling messages, until n ticks have passed.
  void WaitTicks(int64_t n);

 private:
  int64_t fStartMs = 0;
  bool fExpired = false;
};
