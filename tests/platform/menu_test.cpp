// Menus as data, a window's menu bar and the headless script's choice of an item.
#include "platform/menu.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless.h"

namespace {

using namespace platform;

std::vector<SMessage> gSeen;

intptr_t Recorder(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kWmMenuSelect || message == kWmCommand) gSeen.push_back({window, message, wParam, lParam, 0, {}});
  return DefWindowProc(window, message, wParam, lParam);
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSeen.clear();
    SWindowClass windowClass;
    windowClass.name = "MenuTest";
    windowClass.procedure = &Recorder;
    ASSERT_TRUE(RegisterWindowClass(windowClass));
    bar = CreateMenu();
    window = CreateWindow(0, "MenuTest", "main", kWsPopup | kWsCaption | kWsVisible, 0, 0, 300, 200, nullptr, bar,
                          nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    file = CreatePopupMenu();
    ASSERT_TRUE(AppendMenu(file, kMfString, 1, "New"));
    ASSERT_TRUE(AppendMenu(file, kMfString | kMfGrayed, 2, "Open \tCtrl+O"));
    ASSERT_TRUE(AppendMenu(file, kMfSeparator, 0, ""));
    ASSERT_TRUE(AppendMenu(file, kMfString | kMfChecked, 4, "Save \tCtrl+S"));
    ASSERT_TRUE(AppendMenu(bar, kMfPopup, reinterpret_cast<uintptr_t>(file), "File"));
  }
  void TearDown() override {
    DestroyWindow(window);
    DestroyMenu(file);
    DestroyMenu(bar);
    UnregisterWindowClass("MenuTest", nullptr);
  }
  void Run(const std::string& script) {
    ASSERT_TRUE(headless::AddScript(script));
    SMessage m;
    for (int i = 0; i < 100; ++i) {
      while (PeekMessage(&m, nullptr, 0, 0, true)) DispatchMessage(m);
    }
  }

  MenuHandle bar = nullptr;
  MenuHandle file = nullptr;
  WindowHandle window = nullptr;
};

TEST_F(MenuTest, ItemsByPositionAndByIdentifier) {
  EXPECT_EQ(GetMenuItemCount(file), 4);
  EXPECT_EQ(GetMenuItemCount(bar), 1);
  EXPECT_EQ(GetSubMenu(bar, 0), file);
  EXPECT_EQ(GetMenuString(bar, 0, kMfByPosition), "File");
  EXPECT_EQ(GetMenuItemID(file, 3), 4u);
  EXPECT_EQ(GetMenuState(file, 2, kMfByPosition), uint32_t(kMfSeparator));
  EXPECT_EQ(GetMenuState(file, 4, kMfByCommand), uint32_t(kMfChecked));
  // By identifier the bar finds the item in its pop-up menu.
  EXPECT_EQ(EnableMenuItem(bar, 2, kMfByCommand | kMfEnabled), uint32_t(kMfGrayed));
  EXPECT_EQ(GetMenuState(file, 1, kMfByPosition), 0u);
  EXPECT_EQ(CheckMenuItem(file, 3, kMfByPosition | kMfUnchecked), uint32_t(kMfChecked));
  EXPECT_EQ(GetMenuState(file, 3, kMfByPosition), 0u);
  EXPECT_EQ(CheckMenuItem(file, 9, kMfByPosition | kMfChecked), kNoMenuItem);
  EXPECT_EQ(GetMenu(window), bar);
}

TEST_F(MenuTest, AMenuThatGoesLeavesNoItemBehindThatLeadsToIt) {
  MenuHandle other = CreatePopupMenu();
  ASSERT_TRUE(AppendMenu(bar, kMfPopup, reinterpret_cast<uintptr_t>(other), "Other"));
  EXPECT_FALSE(AppendMenu(other, kMfPopup, reinterpret_cast<uintptr_t>(other), "Self"));
  DestroyMenu(other);
  EXPECT_FALSE(IsMenu(other));
  EXPECT_EQ(GetMenuItemCount(bar), 1);
  DestroyMenu(bar);
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_TRUE(IsMenu(file));  // its owner destroys it
}

// A choice sends the menu-select message with the menu's handle, then posts the command.
TEST_F(MenuTest, TheScriptChoosesAnItemByItsTextWithOrWithoutItsKeys) {
  Run("menu File \"Save\"\nmenu File \"Open \tCtrl+O\"\nmenu \"File\" New\n");
  ASSERT_EQ(gSeen.size(), 4u);
  EXPECT_EQ(gSeen[0].message, kWmMenuSelect);
  EXPECT_EQ(gSeen[0].wParam & 0xFFFF, 4u);
  EXPECT_EQ(gSeen[0].lParam, reinterpret_cast<intptr_t>(file));
  EXPECT_EQ(gSeen[1].message, kWmCommand);
  EXPECT_EQ(gSeen[1].wParam, 4u);
  EXPECT_EQ(gSeen[1].lParam, 0);
  // The greyed Open is not chosen.
  EXPECT_EQ(gSeen[2].message, kWmMenuSelect);
  EXPECT_EQ(gSeen[2].wParam & 0xFFFF, 1u);
  EXPECT_EQ(gSeen[3].wParam, 1u);
  std::string error;
  EXPECT_FALSE(headless::AddScript("menu File\n", &error));
  EXPECT_EQ(error, "line 1: menu needs a title and an item");
}

}  // namespace
