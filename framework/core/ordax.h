// Framework start-up and shut-down around the application object, and small process-wide services.
#pragma once

#include <cstdint>

constexpr uint32_t kOrdaxStamp = 0xABCDEF0;

// Seeds the random state from the clock, masks floating-point exceptions and sets the stamp.
int32_t InitOrdax();
bool IsOrdaxInitialized();
void TermOrdax();

// Bytes per row of a device-independent bitmap: width × bits rounded up to whole 32-bit words.
constexpr uint32_t DibRowBytes(uint32_t width, uint32_t bitsPerPixel) {
  return uint32_t((uint64_t(width) * bitsPerPixel + 31) / 32 * 4);
}

void Beep();
