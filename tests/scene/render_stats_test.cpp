#include "scene/render_stats.h"

#include <gtest/gtest.h>

namespace {

TEST(RenderStats, ElapsedTimeReadsWithTwoDigitsAfterTheFirstField) {
  const struct {
    uint64_t seconds;
    const char* text;
  } cases[] = {
      {0, "00:00"},        {65, "01:05"},         {187, "03:07"},        {3600, "1:00:00"},
      {36000, "10:00:00"}, {93600, "1:02:00:00"}, {86400, "1:00:00:00"}, {1000000, "11:13:46:40"},
  };
  for (const auto& c : cases) {
    CRenderStats stats;
    stats.SplitTime(c.seconds);
    std::string text = "14";
    FormatElapsedTime(stats, text);
    EXPECT_EQ(text, std::string("14") + c.text) << c.seconds;
  }
}

TEST(RenderStats, SumsTakeTheWholeCountersAndClearStartsOver) {
  CRenderStats stats;
  stats.fEyeRays = (uint64_t(1) << 32) + 5;
  stats.fShadowRays = 7;
  stats.fHits = uint64_t(3) << 32;
  stats.fMisses = 1;
  stats.fPixels = 12;
  stats.SplitTime(61);
  EXPECT_EQ(stats.fRaySum, (uint64_t(1) << 32) + 12);
  EXPECT_EQ(stats.fTestSum, (uint64_t(3) << 32) + 1);
  EXPECT_EQ(stats.fMinutes, 1u);
  EXPECT_EQ(stats.fSeconds, 1u);
  stats.Clear();
  EXPECT_EQ(stats.fEyeRays + stats.fRaySum + stats.fPixels + stats.fMinutes + stats.fSeconds, 0u);
}

// Counters are whole up to a million; above it they and every per-pixel figure are scaled into tiers
// each a thousand times the one before.
TEST(RenderStats, TheReportAbbreviatesLargeNumbers) {
  const struct {
    uint64_t count;
    const char* text;
  } counts[] = {{0, "0"},
                {999999, "999999"},
                {1000000, "1000000"},
                {1000001, "1.00 mil"},
                {50000000, "50.00 mil"},
                {2500000000, "2.50 bil"},
                {123456789012, "123.46 bil"},
                {UINT64_MAX, "18.45 qui"}};
  for (const auto& c : counts) EXPECT_EQ(FormatReportCount(c.count), c.text) << c.count;
  const struct {
    double figure;
    const char* text;
  } figures[] = {{0, "0.00"},           {2.5, "2.50"},        {999999.994, "999999.99"}, {1000000, "1.00 mil"},
                 {999999999, "1000.00 mil"}, {1e9, "1.00 bil"}, {4e12, "4.00 tri"},    {3e15, "3.00 qua"},
                 {7e18, "7.00 qui"},    {5e21, "5000.00 qui"}};
  for (const auto& c : figures) EXPECT_EQ(FormatReportFigure(c.figure), c.text) << c.figure;
}

// A report's own forms replace the five suffixed ones tier by tier; the unscaled form stays.
TEST(RenderStats, OwnFormsReplaceTheSuffixedOnes) {
  const ReportTierFormats formats = {"%.2f M", "%.2f G", "%.2f T", "%.2f P", "%s %.2f E %d"};
  EXPECT_EQ(FormatReportCount(1000001, &formats), "1.00 M");
  EXPECT_EQ(FormatReportCount(1000000, &formats), "1000000");
  EXPECT_EQ(FormatReportFigure(2.5, &formats), "2.50");
  EXPECT_EQ(FormatReportFigure(2.5e9, &formats), "2.50 G");
  EXPECT_EQ(FormatReportFigure(2e18, &formats), "%s 2.00 E %d");
}

}  // namespace
