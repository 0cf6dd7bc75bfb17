// A drag's pointer steps over the headless back end: each step is the travel since the one before,
// and only a pointer near the screen's edge goes back to the press point.
#include "framework/ui/pointer_steps.h"

#include <gtest/gtest.h>

#include "platform/headless.h"
#include "tests/framework/core/app_fixture.h"

namespace {

using PointerSteps = AppTest;

// The sum of the steps until the script is used up.
platform::SPoint Travel(CPointerSteps& steps) {
  platform::SPoint sum{};
  for (int i = 0; i < 1000 && platform::headless::PendingInputs() > 0; ++i) {
    const platform::SPoint step = steps.Next();
    sum.x += step.x;
    sum.y += step.y;
  }
  const platform::SPoint last = steps.Next();
  return {sum.x + last.x, sum.y + last.y};
}

TEST_F(PointerSteps, EachStepIsTheTravelSinceTheLastAndTheEdgeSendsThePointerHome) {
  platform::headless::SetScreenSize(800, 600);
  Script("move 400 300\n");
  RunScript();
  CPointerSteps steps({400, 300});
  EXPECT_EQ(steps.Next().x, 0);
  // Absolute places read again are no travel; the pointer stays where it went.
  Script("move 410 300\nmove 420 305\nmove 420 305\nrmove -5 0\n");
  const platform::SPoint travel = Travel(steps);
  EXPECT_EQ(travel.x, 15);
  EXPECT_EQ(travel.y, 5);
  EXPECT_EQ(platform::GetCursorPos().x, 415);
  // Near the edge the step counts whole and the pointer goes back to the press point.
  Script("move 790 305\n");
  EXPECT_EQ(Travel(steps).x, 375);
  EXPECT_EQ(platform::GetCursorPos().x, 400);
  EXPECT_EQ(platform::GetCursorPos().y, 300);
  Script("rmove 7 -3\n");
  EXPECT_EQ(Travel(steps).x, 7);
  steps.Home();
  EXPECT_EQ(platform::GetCursorPos().x, 400);
  EXPECT_EQ(platform::GetCursorPos().y, 300);
}

}  // namespace
