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

}  // namespace
