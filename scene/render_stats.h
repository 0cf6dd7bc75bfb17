// What a render counts: pixels, rays by kind, the objects' hit and miss tests, and the time it took.
// Header-only for the counters, since scene objects count into it through the ray record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct CRenderStats {
  uint32_t fPixels = 0;
  uint32_t fResampledPixels = 0;
  uint64_t fEyeRays = 0;
  uint64_t fShadowRays = 0;
  uint64_t fRaySum = 0;
  // Raised by every object test: 1 for an accepted hit, 1 for a test that found nothing.
  uint64_t fHits = 0;
  uint64_t fMisses = 0;
  uint64_t fTestSum = 0;
  uint32_t fDays = 0;
  uint32_t fHours = 0;
  uint32_t fMinutes = 0;
  uint32_t fSeconds = 0;
  uint8_t fSpare[8] = {};

  void Clear() { *this = CRenderStats(); }
  // Adds the other's pixel, ray and test counters: a render's threads each count their own.
  void Add(const CRenderStats& other) {
    fPixels += other.fPixels;
    fResampledPixels += other.fResampledPixels;
    fEyeRays += other.fEyeRays;
    fShadowRays += other.fShadowRays;
    fHits += other.fHits;
    fMisses += other.fMisses;
  }
  // Takes both sums from the full counters and splits the seconds into days, hours, minutes and
  // seconds.
  void SplitTime(uint64_t seconds);
};

// Appends the split time: "01:05", "1:00:00", and with days "1:02:00:00" (hours then always two
// digits, so one day never reads like one hour).
void FormatElapsedTime(const CRenderStats& stats, std::string& text);

// The render report's forms of its numbers: a counter up to 1000000 as it is, a larger one
// abbreviated; a figure (a per-pixel rate) always abbreviated: "%.2f" below 1000000, above it scaled
// into tiers of a thousand, "%.2f mil" from a million, then "bil", "tri", "qua" and "qui". formats,
// when given, replace the five suffixed forms in that order; each fills one "%.2f".
inline constexpr size_t kReportTierCount = 5;
using ReportTierFormats = std::array<std::string, kReportTierCount>;
std::string FormatReportCount(uint64_t value, const ReportTierFormats* formats = nullptr);
std::string FormatReportFigure(double value, const ReportTierFormats* formats = nullptr);
