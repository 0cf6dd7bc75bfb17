#include "scene/render_stats.h"

#include <cstdio>
#include <iterator>

namespace {

constexpr uint64_t kSecondsPerDay = 86400;
constexpr double kAbbreviatedFrom = 1000000;
// Each tier a factor of ten above the one before.
constexpr struct {
  double from;
  double scale;
  const char* suffix;
} kTiers[] = {{1e6, 0.000001, "mil"},
              {1e7, 0.0000001, "bil"},
              {1e8, 0.00000001, "tri"},
              {1e9, 0.000000001, "qua"},
              {1e10, 0.0000000001, "qui"}};

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

std::string FormatReportCount(uint64_t value) {
  if (value > uint64_t(kAbbreviatedFrom)) return FormatReportFigure(double(value));
  return std::to_string(value);
}

std::string FormatReportFigure(double value) {
  char buffer[64];
  if (!(value >= kAbbreviatedFrom)) {
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
  }
  size_t tier = 0;
  while (tier + 1 < std::size(kTiers) && value >= kTiers[tier + 1].from) ++tier;
  std::snprintf(buffer, sizeof buffer, "%.2f %s", value * kTiers[tier].scale, kTiers[tier].suffix);
  return buffer;
}
