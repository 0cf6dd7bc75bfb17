#include "scene/render_stats.h"

#include <cstdio>

namespace {

constexpr uint64_t kSecondsPerDay = 86400;

void AppendNumber(std::string& text, uint32_t value, bool twoDigits, bool separator) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, twoDigits ? "%02u%s" : "%u%s", unsigned(value), separator ? ":" : "");
  text += buffer;
}

}  // namespace

void CRenderStats::SplitTime(uint64_t seconds) {
  fRaySum = fEyeRays + fShadowRays;
  fTestSum = fHits + fMisses;
  const uint64_t days = seconds / kSecondsPerDay;
  fDays = days > UINT32_MAX ? UINT32_MAX : uint32_t(days);
  seconds %= kSecondsPerDay;
  fHours = uint32_t(seconds / 3600);
  fMinutes = uint32_t(seconds / 60 % 60);
  fSeconds = uint32_t(seconds % 60);
}

void FormatElapsedTime(const CRenderStats& stats, std::string& text) {
  if (stats.fDays) AppendNumber(text, stats.fDays, false, true);
  if (stats.fDays || stats.fHours) AppendNumber(text, stats.fHours, stats.fDays != 0, true);
  AppendNumber(text, stats.fMinutes, true, true);
  AppendNumber(text, stats.fSeconds, true, false);
}
