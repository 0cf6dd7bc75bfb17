#include "scene/render_stats.h"

#include <cstdio>

#include "framework/core/format_text.h"

namespace {

constexpr uint64_t kSecondsPerDay = 86400;
constexpr double kAbbreviatedFrom = 1000000;
// Each tier a thousand times the one before: fifty million reads "50.00 mil".
constexpr struct {
  double from;
  double scale;
  const char* format;
} kTiers[kReportTierCount] = {{1e6, 1e-6, "%.2f mil"},
                              {1e9, 1e-9, "%.2f bil"},
                              {1e12, 1e-12, "%.2f tri"},
                              {1e15, 1e-15, "%.2f qua"},
                              {1e18, 1e-18, "%.2f qui"}};

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

std::string FormatReportCount(uint64_t value, const ReportTierFormats* formats) {
  if (value > uint64_t(kAbbreviatedFrom)) return FormatReportFigure(double(value), formats);
  return std::to_string(value);
}

std::string FormatReportFigure(double value, const ReportTierFormats* formats) {
  if (!(value >= kAbbreviatedFrom)) return FormatText("%.2f", value);
  size_t tier = 0;
  while (tier + 1 < kReportTierCount && value >= kTiers[tier + 1].from) ++tier;
  const std::string& format = formats ? (*formats)[tier] : std::string(kTiers[tier].format);
  return FormatText(format, value * kTiers[tier].scale);
}
