#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

class VirtualClockTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::UseRealClock(); }
};

TEST_F(VirtualClockTest, OneSecondIsSixtyTicks) {
  platform::UseVirtualClock(0);
  const int64_t before = platform::NowTicks();
  platform::AdvanceVirtualClock(1000);
  EXPECT_EQ(platform::NowTicks() - before, 60);
  EXPECT_EQ(platform::NowMs(), 1000);
}

TEST_F(VirtualClockTest, TicksDoNotWrapAtTwoToTheThirtySecond) {
  const int64_t twoTo32 = int64_t(1) << 32;
  platform::UseVirtualClock(twoTo32 - 500);
  const int64_t before = platform::NowTicks();
  platform::AdvanceVirtualClock(1000);
  EXPECT_EQ(platform::NowMs(), twoTo32 + 500);
  EXPECT_EQ(platform::NowTicks() - before, 60);
}

TEST_F(VirtualClockTest, SleepOnTheVirtualClockMovesItOn) {
  platform::UseVirtualClock(5);
  platform::SleepMs(10);
  EXPECT_EQ(platform::NowMs(), 15);
}

TEST(RealClockTest, NeverGoesBackwards) {
  const int64_t a = platform::NowMs();
  platform::SleepMs(2);
  EXPECT_GE(platform::NowMs(), a + 2);
}

}  // namespace
