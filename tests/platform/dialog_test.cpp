// Modal dialogs from templates in memory, window timers, activation and the window under a point.
#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/headless.h"

namespace {

using namespace platform;

struct SDialogLog {
  std::vector<uint32_t> messages;
  intptr_t initParameter = 0;
  bool ownerEnabledInside = true;
  SWinRect window, client;
  uint32_t timers = 0;
};
SDialogLog gLog;
WindowHandle gOwner = nullptr;

intptr_t Plain(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

// Ends itself with the parameter plus one after three timer messages.
intptr_t Counting(WindowHandle dialog, uint32_t message, uintptr_t, intptr_t lParam) {
  gLog.messages.push_back(message);
  switch (message) {
    case kWmInitDialog:
      gLog.initParameter = lParam;
      gLog.ownerEnabledInside = IsWindowEnabled(gOwner);
      GetWindowRect(dialog, &gLog.window);
      GetClientRect(dialog, &gLog.client);
      SetTimer(dialog, 1, 1);
      return 1;
    case kWmTimer:
      if (++gLog.timers == 3) EndDialog(dialog, gLog.initParameter + 1);
      return 1;
    default: return 0;
  }
}

std::vector<uint8_t> Template(uint32_t style, uint16_t items, int16_t width, int16_t height) {
  std::vector<uint8_t> bytes(58, 0);
  std::memcpy(bytes.data(), &style, 4);
  std::memcpy(bytes.data() + 8, &items, 2);
  std::memcpy(bytes.data() + 14, &width, 2);
  std::memcpy(bytes.data() + 16, &height, 2);
  return bytes;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gLog = {};
    SWindowClass windowClass;
    windowClass.name = "Plain";
    windowClass.procedure = &Plain;
    ASSERT_TRUE(RegisterWindowClass(windowClass));
    gOwner = CreateWindow(0, "Plain", "", kWsPopup | kWsVisible, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(gOwner);
    UnregisterWindowClass("Plain", nullptr);
  }
};

TEST_F(DialogTest, ANestedLoopRunsUntilEndDialogWithTheOwnerDisabled) {
  const std::vector<uint8_t> bytes = Template(0x80000080, 0, 40, 30);
  EXPECT_EQ(DialogBoxIndirectParam(nullptr, bytes.data(), gOwner, &Counting, 41), 42);
  ASSERT_FALSE(gLog.messages.empty());
  EXPECT_EQ(gLog.messages.front(), kWmInitDialog);
  EXPECT_EQ(gLog.initParameter, 41);
  EXPECT_FALSE(gLog.ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(gOwner));
  EXPECT_EQ(gLog.timers, 3u);
  // The dialog frame lies inside the window on every side.
  EXPECT_EQ(gLog.window.Width(), 40);
  EXPECT_EQ(gLog.client, (SWinRect{0, 0, 34, 24}));
}

TEST_F(DialogTest, ABorderedDialogHasAOnePixelFrameAndATemplateWithAnItemOfNoClassIsRefused) {
  const std::vector<uint8_t> bordered = Template(0x80800000, 0, 40, 30);
  EXPECT_EQ(DialogBoxIndirectParam(nullptr, bordered.data(), gOwner, &Counting, 0), 1);
  EXPECT_EQ(gLog.client, (SWinRect{0, 0, 38, 28}));
  gLog = {};
  // Two items, the first of them all zeros.
  const std::vector<uint8_t> withItems = Template(0x80000080, 2, 40, 30);
  EXPECT_EQ(DialogBoxIndirectParam(nullptr, withItems.data(), gOwner, &Counting, 0), -1);
  EXPECT_TRUE(gLog.messages.empty());
  EXPECT_TRUE(IsWindowEnabled(gOwner));
}

// Ends itself once the input script has run out, noting where it is then and what its frame is.
intptr_t UntilTheScriptEnds(WindowHandle dialog, uint32_t message, uintptr_t, intptr_t) {
  switch (message) {
    case kWmInitDialog: SetTimer(dialog, 1, 1); return 1;
    case kWmTimer:
      if (headless::PendingInputs() > 0) return 1;
      GetWindowRect(dialog, &gLog.window);
      gLog.messages = {uint32_t(DefWindowProc(dialog, kWmNcHitTest, 0, MakeLParam(101, 101))),
                       uint32_t(DefWindowProc(dialog, kWmNcHitTest, 0, MakeLParam(120, 110)))};
      EndDialog(dialog, 0);
      return 1;
    default: return 0;
  }
}

// The dialog frame is no caption: a press on it and a drag leave the dialog where it is.
TEST_F(DialogTest, APressOnTheFrameDoesNotMoveTheDialog) {
  std::vector<uint8_t> bytes = Template(0x80000080, 0, 40, 30);
  const int16_t place[2] = {100, 100};
  std::memcpy(bytes.data() + 10, place, sizeof place);
  ASSERT_TRUE(headless::AddScript("move 101 101\ndown left\nmove 150 150\nwait 20\nup left\n"));
  EXPECT_EQ(DialogBoxIndirectParam(nullptr, bytes.data(), gOwner, &UntilTheScriptEnds, 0), 0);
  EXPECT_EQ(gLog.window, (SWinRect{100, 100, 140, 130}));
  EXPECT_EQ(gLog.messages, (std::vector<uint32_t>{uint32_t(kHitBorder), uint32_t(kHitClient)}));
}

// Every input query moves the virtual clock on by a millisecond: a 1 ms timer gives a message at each.
// A late timer comes once, not once for every period it missed.
TEST_F(DialogTest, TimersComeOncePerPeriodUntilKilled) {
  ValidateRect(gOwner);  // no paint message comes before the timers
  ASSERT_EQ(SetTimer(gOwner, 7, 1), 7u);
  SMessage m;
  uint32_t count = 0;
  for (int i = 0; i < 50; ++i) count += PeekMessage(&m, nullptr, 0, 0, true) && m.message == kWmTimer && m.wParam == 7;
  EXPECT_EQ(count, 50u);
  ASSERT_EQ(SetTimer(gOwner, 7, 10), 7u);  // the same id again: a new period
  AdvanceVirtualClock(100);
  count = 0;
  for (int i = 0; i < 5; ++i) count += PeekMessage(&m, nullptr, 0, 0, true) && m.message == kWmTimer;
  EXPECT_EQ(count, 1u);
  EXPECT_TRUE(KillTimer(gOwner, 7));
  AdvanceVirtualClock(20);
  EXPECT_FALSE(PeekMessage(&m, nullptr, kWmTimer, kWmTimer, true));
  EXPECT_FALSE(KillTimer(gOwner, 7));
}

std::vector<std::pair<WindowHandle, SMessage>> gActivations;

intptr_t ActivationRecorder(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kWmActivate) gActivations.push_back({window, {window, message, wParam, lParam, 0, {}}});
  return DefWindowProc(window, message, wParam, lParam);
}

TEST(Activation, TheWindowLosingItHearsFirstWithTheNewOne) {
  SWindowClass windowClass;
  windowClass.name = "Activation";
  windowClass.procedure = &ActivationRecorder;
  ASSERT_TRUE(RegisterWindowClass(windowClass));
  WindowHandle a = CreateWindow(0, "Activation", "a", kWsPopup | kWsVisible, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  WindowHandle b = CreateWindow(0, "Activation", "b", kWsPopup | kWsVisible, 50, 50, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  gActivations.clear();
  SetActiveWindow(a);
  ASSERT_EQ(gActivations.size(), 2u);
  EXPECT_EQ(gActivations[0].first, b);
  EXPECT_EQ(gActivations[0].second.wParam, kWaInactive);
  EXPECT_EQ(gActivations[0].second.lParam, reinterpret_cast<intptr_t>(a));
  EXPECT_EQ(gActivations[1].first, a);
  EXPECT_EQ(gActivations[1].second.wParam, kWaActive);
  EXPECT_EQ(gActivations[1].second.lParam, reinterpret_cast<intptr_t>(b));
  // a is on top now.
  EXPECT_EQ(WindowFromPoint({60, 60}), a);
  EXPECT_EQ(WindowFromPoint({120, 120}), b);
  EXPECT_EQ(WindowFromPoint({500, 500}), nullptr);
  ShowWindow(a, kSwHide);
  EXPECT_EQ(WindowFromPoint({60, 60}), b);
  DestroyWindow(a);
  DestroyWindow(b);
  UnregisterWindowClass("Activation", nullptr);
}

}  // namespace
