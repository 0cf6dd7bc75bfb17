// The scrolling pop-up menu on the headless screen, driven by the input script on the virtual clock.
// A watcher window with a timer of its own looks at the pop-ups while they track, since the tracking
// loop is modal. With its 1 ms timer a message is always due, so nothing here pumps until the queue
// is empty.
#include "framework/ui/scrolling_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/four_cc.h"
#include "framework/ui/menu.h"
#include "platform/clock.h"
#include "platform/alloc.h"
#include "platform/dialog.h"
#include "platform/menu.h"
#include "tests/framework/ui/canvas_fixture.h"

namespace {

using platform::SWinRect;

std::function<void()> gWatch;

// Watches a pop-up's own timer: the scroll offset after each of its ticks.
platform::WindowProc gPopUpProcedure = nullptr;
const CScrollingMenu* gSpied = nullptr;
std::vector<uint32_t> gOffsetsPerTick;

intptr_t Spy(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const intptr_t answer = platform::CallWindowProc(gPopUpProcedure, window, message, wParam, lParam);
  if (message == platform::kWmTimer && gSpied) gOffsetsPerTick.push_back(gSpied->GetScrollOffset());
  return answer;
}

intptr_t Watcher(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == platform::kWmTimer && gWatch) gWatch();
  return platform::DefWindowProc(window, message, wParam, lParam);
}

class ScrollingMenuTest : public CanvasTest {
 protected:
  void SetUp() override {
    CanvasTest::SetUp();
    owner = std::make_unique<CCanvas>(SRect{100, 100, 400, 400}, true, kPopup, nullptr, 10);
    platform::SWindowClass windowClass;
    windowClass.name = "Watcher";
    windowClass.procedure = &Watcher;
    ASSERT_TRUE(platform::RegisterWindowClass(windowClass));
    watcher = platform::CreateWindow(0, "Watcher", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    platform::SetTimer(watcher, 1, 1);
    gWatch = nullptr;
  }
  void TearDown() override {
    gWatch = nullptr;
    platform::DestroyWindow(watcher);
    platform::UnregisterWindowClass("Watcher", nullptr);
    owner.reset();
    CanvasTest::TearDown();
  }

  // Rows "Row 1" to "Row n" with the identifiers 1 to n.
  static void Fill(CScrollingMenu& menu, uint32_t n) {
    for (uint32_t i = 1; i <= n; ++i) ASSERT_TRUE(menu.AddItem(i, ("Row " + std::to_string(i)).c_str(), false, false, nullptr));
  }
  // The screen point in the middle of a row of an open pop-up whose window is at the top left given.
  static std::string At(platform::SPoint topLeft, uint32_t position, int32_t rowHeight = 19) {
    const int32_t frame = 3;
    return std::to_string(topLeft.x + frame + 30) + " " +
           std::to_string(topLeft.y + frame + int32_t(position - 1) * rowHeight + rowHeight / 2);
  }
  // Takes in what is left of the script: a key released after the last pop-up closed.
  static void Settle() {
    for (int i = 0; i < 10000 && platform::headless::PendingInputs() > 0; ++i) platform::GetCursorPos();
  }
  // Tracks at (10, 10) in the owner, that is at (110, 110) on the screen, opening to the right.
  CScrollingMenu* Track(CScrollingMenu& menu, const std::string& script, uint32_t* identifier,
                        uint32_t placement = CScrollingMenu::kOpenRight, uint32_t flash = 0) {
    Settle();
    EXPECT_TRUE(platform::headless::AddScript(script));
    return menu.Track(owner->GetWindow(), 10, 10, identifier, 200, 0, placement, flash);
  }
  std::unique_ptr<CCanvas> owner;
  platform::WindowHandle watcher = nullptr;
  static constexpr platform::SPoint kAnchor{110, 110};
};

TEST_F(ScrollingMenuTest, TrackRefusesWhatItCannotShow) {
  CScrollingMenu menu;
  ASSERT_TRUE(menu.IsPrepared());
  uint32_t identifier = 9;
  EXPECT_EQ(menu.Track(owner->GetWindow(), 0, 0, &identifier, 200, 0, 2, 0), nullptr);  // no rows
  EXPECT_EQ(identifier, 0u);
  Fill(menu, 3);
  EXPECT_EQ(menu.Track(owner->GetWindow(), 0, 0, &identifier, -1, 0, 2, 0), nullptr);
  EXPECT_EQ(menu.Track(owner->GetWindow(), 0, 0, &identifier, 200, -1, 2, 0), nullptr);
  EXPECT_EQ(menu.Track(nullptr, 0, 0, &identifier, 200, 0, 2, 0), nullptr);
  EXPECT_EQ(menu.Track(owner->GetWindow(), 0, 0, nullptr, 200, 0, 2, 0), nullptr);
  EXPECT_FALSE(menu.AddItem(0, "zero", false, false, nullptr));
  CScrollingMenu other;
  EXPECT_FALSE(menu.SetSubMenu(1, &menu));  // a menu is not its own sub-menu
  EXPECT_TRUE(menu.SetSubMenu(1, &other));
  EXPECT_FALSE(menu.SetSubMenu(2, &other));  // nor twice another's
  EXPECT_FALSE(menu.SetSubMenu(7, nullptr));
}

TEST_F(ScrollingMenuTest, RowsAreGlobalBlocksThatAFailedAdditionGivesBack) {
  CScrollingMenu menu;
  EXPECT_EQ(menu.GetMemoryHeld(), 0u);
  ASSERT_TRUE(menu.AddItem(1, "one", false, false, nullptr));
  const uint32_t one = menu.GetMemoryHeld();
  EXPECT_GT(one, 0u);
  platform::FailNextAllocations(1);  // the text's block
  EXPECT_FALSE(menu.AddItem(2, "two", false, false, nullptr));
  EXPECT_EQ(menu.GetMemoryHeld(), one);
  EXPECT_EQ(menu.GetCount(), 1u);
  menu.ClearItems();
  EXPECT_EQ(menu.GetMemoryHeld(), 0u);
}

// 100 rows of 20 pixels on a screen of 768: 38 rows (760 pixels) in a window of 766 with its frame,
// centred; the last visible row is a downward arrow, and hovering over it scrolls until the last row
// shows, by 1, 5 with Ctrl and 10 with Shift.
TEST_F(ScrollingMenuTest, ALongMenuScrollsByTheStepOfTheHeldKey) {
  struct SCase {
    const char* key;
    uint32_t step;
  } cases[] = {{"", 1}, {"key 0x11\n", 5}, {"key 0x10\n", 10}};
  for (const SCase& c : cases) {
    CScrollingMenu menu;
    Fill(menu, 100);
    SWinRect rect{};
    uint32_t arrow = 1;
    bool moved = false;
    gSpied = &menu;
    gOffsetsPerTick.clear();
    gWatch = [&] {
      const platform::WindowHandle popUp = menu.GetWindow();
      if (!popUp || !platform::IsWindowVisible(popUp)) return;
      if (!moved) {
        gPopUpProcedure = platform::SetWindowProcedure(popUp, &Spy);
        platform::GetWindowRect(popUp, &rect);
        SWinRect client;
        platform::GetClientRect(popUp, &client);
        // The middle of the arrow in row 38 has the text colour.
        const platform::SPoint origin = platform::ClientOrigin(popUp);
        const int32_t h = menu.GetRowHeight(), left = (client.Width() - h) / 2;
        arrow = platform::GetWindowSurface(popUp)->Pixel(origin.x + left + h / 2, origin.y + 37 * h + h / 2);
        const int32_t x = rect.left + 40, y = rect.top + 3 + 37 * h + h / 2;
        platform::headless::AddScript(std::string(c.key) + "move " + std::to_string(x) + " " + std::to_string(y));
        moved = true;
      }
      if (menu.GetScrollOffset() == 62 && platform::headless::PendingInputs() == 0)
        platform::headless::AddScript("key 0x1B\n");
    };
    uint32_t identifier = 0;
    EXPECT_EQ(menu.Track(owner->GetWindow(), 10, 10, &identifier, 200, 1, 2, 0), nullptr);
    platform::headless::AddScript("keyup 0x1B\nkeyup 0x11\nkeyup 0x10\n");
    Settle();
    EXPECT_EQ(menu.GetRowHeight(), 20);
    EXPECT_EQ(menu.GetVisibleRows(), 38u);
    EXPECT_EQ(rect.Height(), 766);
    EXPECT_EQ(rect.top, 1);
    EXPECT_EQ(arrow, 0x000000u);
    // Each tick scrolls by the step, the last one as far as the last row; the pointer's arrival over
    // the arrow scrolled once itself before the first tick.
    ASSERT_FALSE(gOffsetsPerTick.empty());
    EXPECT_EQ(gOffsetsPerTick.front(), std::min(2 * c.step, 62u));
    EXPECT_EQ(gOffsetsPerTick.back(), 62u);
    uint32_t previous = gOffsetsPerTick.front();
    for (uint32_t offset : gOffsetsPerTick) {
      EXPECT_TRUE(offset == previous + c.step || offset == previous || (offset == 62 && offset > previous))
          << c.step << ": " << previous << " then " << offset;
      previous = offset;
    }
    gSpied = nullptr;
    gWatch = nullptr;
  }
}

TEST_F(ScrollingMenuTest, OpeningPastTheLeftEdgeTurnsToTheRightAndSoDoItsSubMenus) {
  CScrollingMenu menu, sub;
  Fill(menu, 3);
  Fill(sub, 2);
  ASSERT_TRUE(menu.SetSubMenu(1, &sub));
  SWinRect outer{}, inner{};
  gWatch = [&] {
    if (menu.GetWindow() && outer.IsEmpty()) platform::GetWindowRect(menu.GetWindow(), &outer);
    if (sub.GetWindow() && inner.IsEmpty()) {
      platform::GetWindowRect(sub.GetWindow(), &inner);
      platform::headless::AddScript("key 0x1B\nwait 30\nkeyup 0x1B\n");
    }
  };
  uint32_t identifier = 0;
  EXPECT_TRUE(platform::headless::AddScript("move " + At({0, 110}, 1) + "\n"));
  EXPECT_EQ(menu.Track(owner->GetWindow(), -90, 10, &identifier, 200, 0, CScrollingMenu::kOpenLeft, 0), nullptr);
  EXPECT_EQ(outer.left, 0);
  EXPECT_EQ(menu.GetPlacement(), uint32_t(CScrollingMenu::kOpenRight));
  ASSERT_FALSE(inner.IsEmpty());  // opened by resting on the row, without a click
  EXPECT_GT(inner.left, outer.left + 5);
  EXPECT_EQ(sub.GetPlacement(), uint32_t(CScrollingMenu::kOpenRight));
}

TEST_F(ScrollingMenuTest, AReleaseOverARowChoosesIt) {
  CScrollingMenu menu;
  Fill(menu, 5);
  uint32_t identifier = 0;
  EXPECT_EQ(Track(menu, "move " + At(kAnchor, 3) + "\ndown left\nup left\n", &identifier), &menu);
  EXPECT_EQ(identifier, 3u);
}

TEST_F(ScrollingMenuTest, RestingOnASubMenuOpensItAndTheOuterTrackReportsItsChoice) {
  CScrollingMenu menu, sub;
  Fill(menu, 3);
  Fill(sub, 4);
  ASSERT_TRUE(menu.SetSubMenu(2, &sub));
  bool clicked = false;
  gWatch = [&] {
    if (!sub.GetWindow() || clicked) return;
    SWinRect r;
    platform::GetWindowRect(sub.GetWindow(), &r);
    platform::headless::AddScript("move " + At({r.left, r.top}, 4) + "\ndown left\nup left\n");
    clicked = true;
  };
  uint32_t identifier = 0;
  const int64_t start = platform::NowMs();
  EXPECT_EQ(Track(menu, "move " + At(kAnchor, 2) + "\n", &identifier), &sub);
  EXPECT_EQ(identifier, 4u);
  EXPECT_GT(platform::NowMs() - start, CScrollingMenu::kPauseMs);
}

TEST_F(ScrollingMenuTest, AReleaseOutsideAfterADragClosesEverythingAndOneWithoutADragDoesNot) {
  CScrollingMenu menu;
  Fill(menu, 3);
  uint32_t identifier = 7;
  // Pressed at the anchor, dragged away and released over the owner, at a hand's pace.
  EXPECT_EQ(Track(menu, "move 110 110\ndown left\nwait 20\nmove 300 300\nwait 20\nup left\n", &identifier),
            nullptr);
  EXPECT_EQ(identifier, 0u);
  // Pressed and released where the pop-up opened: it stays until Escape.
  bool openAfterRelease = false;
  gWatch = [&] {
    if (menu.GetWindow() && platform::headless::PendingInputs() == 0 && !openAfterRelease) {
      openAfterRelease = true;
      platform::headless::AddScript("wait 50\nkey 0x1B\nwait 30\nkeyup 0x1B\n");
    }
  };
  EXPECT_EQ(Track(menu, "move 110 110\ndown left\nup left\n", &identifier), nullptr);
  EXPECT_TRUE(openAfterRelease);
}

TEST_F(ScrollingMenuTest, DisabledRowsAndSeparatorsCannotBeChosen) {
  CScrollingMenu menu;
  ASSERT_TRUE(menu.AddItem(1, "grey", false, true, nullptr));
  ASSERT_TRUE(menu.AddItem(2, nullptr, false, false, nullptr));
  ASSERT_TRUE(menu.AddItem(3, "fine", false, false, nullptr));
  uint32_t identifier = 0;
  const std::string clicks = "move " + At(kAnchor, 1) + "\ndown left\nup left\nmove " + At(kAnchor, 2) +
                             "\ndown left\nup left\nwait 20\nkey 0x1B\nwait 30\nkeyup 0x1B\n";
  EXPECT_EQ(Track(menu, clicks, &identifier), nullptr);
  EXPECT_EQ(identifier, 0u);
  EXPECT_TRUE(menu.SetDisabled(1, false));
  EXPECT_EQ(Track(menu, "move " + At(kAnchor, 1) + "\ndown left\nup left\n", &identifier), &menu);
  EXPECT_EQ(identifier, 1u);
}

TEST_F(ScrollingMenuTest, AFlashBlinksTheChosenRowForItsTimeBeforeClosing) {
  CScrollingMenu menu;
  Fill(menu, 3);
  int64_t released = 0;
  gWatch = [&] {
    if (!released && platform::IsKeyDownAsync(platform::kVkLButton)) released = platform::NowMs();
  };
  uint32_t identifier = 0;
  EXPECT_EQ(Track(menu, "move " + At(kAnchor, 2) + "\ndown left\nup left\n", &identifier, 2, 2), &menu);
  EXPECT_EQ(identifier, 2u);
  EXPECT_GE(platform::NowMs() - released, 2 * 2 * CScrollingMenu::kFlashWaitMs);
}

TEST_F(ScrollingMenuTest, ReturnChoosesTheRowUnderThePointerAndEscapeOrASystemKeyCloseAll) {
  CScrollingMenu menu;
  Fill(menu, 4);
  uint32_t identifier = 0;
  EXPECT_EQ(Track(menu, "move " + At(kAnchor, 4) + "\nkey 0x0D\nwait 30\nkeyup 0x0D\n", &identifier), &menu);
  EXPECT_EQ(identifier, 4u);
  EXPECT_EQ(Track(menu, "move " + At(kAnchor, 4) + "\nkey 0x1B\nwait 30\nkeyup 0x1B\n", &identifier), nullptr);
  EXPECT_EQ(Track(menu, "move " + At(kAnchor, 4) + "\nkey 0x12\nwait 30\nkeyup 0x12\n", &identifier), nullptr);
  EXPECT_EQ(identifier, 0u);
}

// SelectItemAt turns the choice into the row's command with the ticks following it, or for a
// hierarchical menu into the scrolling menu of the choice.
TEST_F(ScrollingMenuTest, SelectItemAtAnswersTheCommandOrTheMenuOfTheChoice) {
  SDynTableLayout layout;
  CMenu::MakeLayout(layout, nullptr, 0, 4);
  CMenu menu(layout), options(layout);
  for (CMenu* m : {&menu, &options}) m->SetMenuFlags(CMenu::kMenuPopUp);
  const std::pair<const char*, uint32_t> rows[] = {{"Sphere", FourCC("psph")}, {"Cube", FourCC("pcub")},
                                                   {"Cone", FourCC("pcon")}};
  for (const auto& [text, command] : rows) {
    CMenuItem row{};
    std::strncpy(row.text, text, sizeof row.text - 1);
    row.flags = CMenu::kItemCheckable;
    row.command = command;
    ASSERT_TRUE(menu.Append(&row));
    ASSERT_TRUE(options.Append(&row));
  }
  ASSERT_EQ(menu.BuildPopupMenu(), 0);
  ASSERT_EQ(options.BuildPopupMenu(), 0);
  platform::CheckMenuItem(menu.GetPlatformMenu(), 1, platform::kMfChecked);
  uintptr_t result = 0;
  uint32_t index = 0;
  ASSERT_TRUE(platform::headless::AddScript("move " + At(kAnchor, 2) + "\ndown left\nup left\n"));
  const platform::SPoint screen = platform::ClientToScreen(owner->GetWindow(), {10, 10});
  ASSERT_TRUE(menu.SelectItemAt({screen.x, screen.y}, owner->GetWindow(), &result, &index));
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(result, FourCC("pcub"));
  EXPECT_EQ(menu.GetCurrentItem(), 2u);
  EXPECT_EQ(platform::GetMenuState(menu.GetPlatformMenu(), 2, platform::kMfByCommand), uint32_t(platform::kMfChecked));
  EXPECT_EQ(platform::GetMenuState(menu.GetPlatformMenu(), 1, platform::kMfByCommand), 0u);

  menu.SetHierarchical(true);
  ASSERT_TRUE(menu.GetScrollingMenu()->SetSubMenu(3, options.GetScrollingMenu()));
  bool clicked = false;
  gWatch = [&] {
    CScrollingMenu* sub = options.GetScrollingMenu();
    if (!sub->GetWindow() || clicked) return;
    SWinRect r;
    platform::GetWindowRect(sub->GetWindow(), &r);
    platform::headless::AddScript("move " + At({r.left, r.top}, 1) + "\ndown left\nup left\n");
    clicked = true;
  };
  ASSERT_TRUE(platform::headless::AddScript("move " + At(kAnchor, 3) + "\n"));
  ASSERT_TRUE(menu.SelectItemAt({screen.x, screen.y}, owner->GetWindow(), &result, &index));
  EXPECT_EQ(result, reinterpret_cast<uintptr_t>(options.GetScrollingMenu()));
  EXPECT_EQ(index, 1u);
  // An empty menu has no pop-up to show.
  CMenu empty(layout);
  EXPECT_FALSE(empty.SelectItemAt({screen.x, screen.y}, owner->GetWindow(), &result, &index));
}

// Two menus that are each other's sub-menu: the one whose pop-up is open is not tracked again.
TEST_F(ScrollingMenuTest, ASubMenuCycleStopsAtTheOpenPopUp) {
  CScrollingMenu outer, inner;
  Fill(outer, 2);
  Fill(inner, 2);
  ASSERT_TRUE(outer.SetSubMenu(1, &inner));
  ASSERT_TRUE(inner.SetSubMenu(1, &outer));
  bool rested = false;
  int64_t innerSince = 0;
  gWatch = [&] {
    if (!inner.GetWindow()) return;
    if (!rested) {
      SWinRect r;
      platform::GetWindowRect(inner.GetWindow(), &r);
      platform::headless::AddScript("move " + At({r.left, r.top}, 1) + "\n");
      rested = true;
      innerSince = platform::NowMs();
    } else if (platform::NowMs() - innerSince > 3 * CScrollingMenu::kPauseMs && platform::headless::PendingInputs() == 0) {
      platform::headless::AddScript("key 0x1B\nwait 30\nkeyup 0x1B\n");
    }
  };
  uint32_t identifier = 0;
  EXPECT_EQ(Track(outer, "move " + At(kAnchor, 1) + "\n", &identifier), nullptr);
  EXPECT_TRUE(rested);
  EXPECT_FALSE(outer.IsOpen());
}

// A command greyed in a pop-up menu cannot be chosen from its pop-up either.
TEST_F(ScrollingMenuTest, AGreyedCommandIsGreyedInThePopUp) {
  SDynTableLayout layout;
  CMenu::MakeLayout(layout, nullptr, 0, 4);
  CMenu menu(layout);
  menu.SetMenuFlags(CMenu::kMenuPopUp);
  for (uint32_t command : {FourCC("copy"), FourCC("past")}) {
    CMenuItem row{};
    std::strncpy(row.text, "Row", sizeof row.text - 1);
    row.command = command;
    ASSERT_TRUE(menu.Append(&row));
  }
  ASSERT_EQ(menu.BuildPopupMenu(), 0);
  menu.EnableItem(FourCC("copy"), false);
  const platform::SPoint screen = platform::ClientToScreen(owner->GetWindow(), {10, 10});
  uintptr_t result = 0;
  uint32_t index = 0;
  Settle();
  ASSERT_TRUE(platform::headless::AddScript("move " + At(kAnchor, 1) + "\ndown left\nup left\nwait 20\nkey 0x1B\n"
                                            "wait 30\nkeyup 0x1B\n"));
  EXPECT_FALSE(menu.SelectItemAt({screen.x, screen.y}, owner->GetWindow(), &result, &index));
  menu.EnableItem(FourCC("copy"), true);
  Settle();
  ASSERT_TRUE(platform::headless::AddScript("move " + At(kAnchor, 1) + "\ndown left\nup left\n"));
  EXPECT_TRUE(menu.SelectItemAt({screen.x, screen.y}, owner->GetWindow(), &result, &index));
  EXPECT_EQ(result, FourCC("copy"));
}

TEST_F(ScrollingMenuTest, PlacingACanvasAtThePointerKeepsItOnTheScreen) {
  CCanvas canvas({0, 0, 50, 100}, false, kPopup, nullptr, 10);
  struct SCase {
    platform::SPoint pointer;
    SRect frame;
  } cases[] = {{{5, 5}, {0, 0, 50, 100}}, {{1020, 760}, {718, 924, 768, 1024}}, {{500, 300}, {275, 450, 325, 550}}};
  for (const SCase& c : cases) {
    platform::SetCursorPos(c.pointer.x, c.pointer.y);
    PlaceCanvasAtCursor(&canvas, false);
    EXPECT_EQ(Frame(canvas.GetWindow()), c.frame) << c.pointer.x;
    EXPECT_FALSE(canvas.IsShown());
  }
  PlaceCanvasAtCursor(&canvas, true);
  EXPECT_TRUE(canvas.IsShown());
  EXPECT_EQ(platform::GetActiveWindow(), canvas.GetWindow());
}

}  // namespace
