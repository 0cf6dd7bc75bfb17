#include "framework/core/progress.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"
#include "pools_fixture.h"

namespace {

class ProgressTest : public PoolsTest {
 protected:
  void SetUp() override {
    PoolsTest::SetUp();
    ASSERT_TRUE(CProgress::InitSystem(64, SRange{4, 4}));
    ASSERT_TRUE(ProgressSubscribe(this, Log));
  }
  void TearDown() override {
    CProgress::EndSystem();
    PoolsTest::TearDown();
  }
  static int32_t Log(void* owner, void* record, void*) {
    static_cast<ProgressTest*>(owner)->messages_.push_back(static_cast<SProgressRecord*>(record)->message);
    return 0;
  }
  std::vector<uint32_t> messages_;
};

TEST_F(ProgressTest, InnerLevelsCountTowardsOuterFractions) {
  CProgress outer(4);
  outer.Step();
  {
    CProgress inner(10);
    inner.Step(nullptr, 5);
    EXPECT_FLOAT_EQ(inner.GetFraction(), 0.5f);
    EXPECT_FLOAT_EQ(outer.GetFraction(), 0.375f);
    EXPECT_EQ(CProgress::GetProgressLevel(1), &inner);
  }
  EXPECT_FLOAT_EQ(outer.GetFraction(), 0.5f);  // the closed inner level completed its step
  EXPECT_EQ(CProgress::GetDepth(), 1u);
}

TEST_F(ProgressTest, StepPastTheEndCompletesExactly) {
  CProgress level(3);
  EXPECT_EQ(level.Step(nullptr, 1), 0);
  level.Step(nullptr, 100);
  EXPECT_EQ(level.GetDone(), 3u);
  EXPECT_FLOAT_EQ(level.GetFraction(), 1.0f);
  messages_.clear();
  EXPECT_EQ(level.Step("ignored", 1), 0);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ProgressTest, StepByZeroLeavesTheTitle) {
  CProgress level(3, "first");
  level.Step("second", 0);
  EXPECT_STREQ(level.GetTitle(), "first");
  level.Step("third", 1);
  EXPECT_STREQ(level.GetTitle(), "third");
  level.SetTitle(std::string(100, 'x').c_str());
  EXPECT_EQ(std::string(level.GetTitle()).size(), 63u);
}

TEST_F(ProgressTest, TheMessageTextIsKeptBesideTheTitle) {
  CProgress level(3, "title");
  EXPECT_STREQ(level.GetText(), "");
  messages_.clear();
  level.SetText("14-");
  EXPECT_STREQ(level.GetText(), "14-");
  EXPECT_STREQ(level.GetTitle(), "title");
  EXPECT_EQ(messages_, (std::vector<uint32_t>{3}));
  level.SetText(nullptr);
  level.SetText(std::string(100, 'y').c_str());
  EXPECT_EQ(std::string(level.GetText()).size(), 63u);
}

TEST_F(ProgressTest, MessagesOfOpeningAndClosing) {
  {
    CProgress outer(2, "title", true);
    EXPECT_EQ(messages_, (std::vector<uint32_t>{0, 1, 3, 4}));
    messages_.clear();
    { CProgress inner(1); }
    EXPECT_EQ(messages_, (std::vector<uint32_t>{1, 5, 2, 6}));
    messages_.clear();
  }
  EXPECT_EQ(messages_, (std::vector<uint32_t>{2, 6, 7}));
}

TEST_F(ProgressTest, TheSixtyFifthLevelIsFatal) {
  EXPECT_EXIT(
      {
        std::vector<CProgress*> levels;
        for (int i = 0; i < 64; ++i) levels.push_back(new CProgress(1));
        new CProgress(1);
      },
      ::testing::ExitedWithCode(1), "");
}

TEST(Timer, SixtyTicksAfterOneSecond) {
  platform::UseVirtualClock(12345);
  CTimer timer;
  timer.Start();
  platform::AdvanceVirtualClock(1000);
  EXPECT_EQ(timer.ElapsedTicks(), 60);
  EXPECT_EQ(timer.ElapsedSeconds(), 1);
  timer.WaitTicks(3);
  EXPECT_GE(timer.ElapsedTicks(), 3);
  platform::UseRealClock();
}

}  // namespace
