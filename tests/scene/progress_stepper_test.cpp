// The percent stepper: about one report per percent of a pass, every unit of a small pass, nothing
// without a total or while the reporter is not shown.
#include <gtest/gtest.h>

#include <vector>

#include "scene/progress_stepper.h"

namespace {

class CRecordingReporter : public CProgressReporter {
 public:
  bool IsReporting() const override { return shown; }
  void ReportProgress(uint32_t pass, uint32_t done, uint32_t total) override {
    passes.push_back(pass);
    units.push_back(done);
    percents.push_back(CProgressStepper::Percent(done, total));
  }
  bool shown = true;
  std::vector<uint32_t> passes, units, percents;
};

class ProgressStepper : public ::testing::Test {
 protected:
  void SetUp() override { CProgressStepper::SetReporter(&reporter); }
  void TearDown() override { CProgressStepper::SetReporter(nullptr); }
  void Pass(uint32_t total, uint32_t pass, uint32_t steps) {
    CProgressStepper::Init(total, pass);
    for (uint32_t i = 0; i < steps; ++i) CProgressStepper::Step();
  }
  CRecordingReporter reporter;
};

TEST_F(ProgressStepper, ReportsAboutOncePerPercentAndEveryUnitOfASmallPass) {
  Pass(1000, 2, 1000);
  ASSERT_EQ(reporter.units.size(), 99u);
  EXPECT_EQ(reporter.units.front(), 11u);
  EXPECT_EQ(reporter.percents.front(), 1u);
  EXPECT_EQ(reporter.units.back(), 991u);
  EXPECT_EQ(reporter.percents.back(), 99u);
  EXPECT_EQ(reporter.passes.back(), 2u);
  reporter.units.clear();
  reporter.percents.clear();
  Pass(10, 1, 10);
  EXPECT_EQ(reporter.percents, (std::vector<uint32_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

TEST_F(ProgressStepper, NothingWithoutATotalOrWhileTheReporterIsNotShown) {
  Pass(0, 1, 5);
  EXPECT_TRUE(reporter.units.empty());
  reporter.shown = false;
  Pass(10, 1, 10);
  EXPECT_TRUE(reporter.units.empty());
  CProgressStepper::SetReporter(nullptr);
  Pass(10, 1, 10);
  EXPECT_TRUE(reporter.units.empty());
  // The percentage of a huge pass does not overflow.
  EXPECT_EQ(CProgressStepper::Percent(4000000000u, 4000000000u), 100u);
}

}  // namespace
