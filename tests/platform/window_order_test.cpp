// The window order, activation, child windows, refused creations and the cursors.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/window.h"

namespace {

using namespace platform;

std::vector<std::pair<WindowHandle, uint32_t>> gMessages;

intptr_t Procedure(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kWmLButtonDown || message == kWmChar) gMessages.push_back({window, message});
  return DefWindowProc(window, message, wParam, lParam);
}

class WindowOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gMessages.clear();
    SWindowClass windowClass;
    windowClass.name = "Order";
    windowClass.procedure = &Procedure;
    ASSERT_TRUE(RegisterWindowClass(windowClass));
  }
  void TearDown() override {
    for (WindowHandle w : made) DestroyWindow(w);
    EXPECT_TRUE(UnregisterWindowClass("Order", nullptr));
  }
  WindowHandle Make(uint32_t style, int32_t x, int32_t y, int32_t w, int32_t h, WindowHandle parent = nullptr) {
    WindowHandle window = CreateWindow(0, "Order", "", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    made.insert(made.begin(), window);
    return window;
  }
  // The window that a left press at the screen point reaches.
  WindowHandle PressAt(int32_t x, int32_t y) {
    gMessages.clear();
    EXPECT_TRUE(headless::AddScript("move " + std::to_string(x) + " " + std::to_string(y) +
                                    "\ndown left\nup left\n"));
    SMessage m;
    for (int i = 0; i < 50; ++i) {
      while (PeekMessage(&m, nullptr, 0, 0, true)) DispatchMessage(m);
    }
    return gMessages.empty() ? nullptr : gMessages.back().first;
  }

  std::vector<WindowHandle> made;
};

TEST_F(WindowOrderTest, ShowingAndActivatingBringAWindowToTheTop) {
  WindowHandle a = Make(kWsPopup, 0, 0, 100, 100);
  WindowHandle b = Make(kWsPopup, 50, 0, 100, 100);
  SetWindowPos(a, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize | kSwpShowWindow);
  SetWindowPos(b, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize | kSwpShowWindow);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(PressAt(60, 10), b);
  EXPECT_EQ(SetActiveWindow(a), b);
  EXPECT_EQ(PressAt(60, 10), a);
  // Without kSwpNoZOrder a move also raises.
  SetWindowPos(b, 40, 0, 0, 0, kSwpNoSize | kSwpNoActivate);
  EXPECT_EQ(PressAt(60, 10), b);
  EXPECT_EQ(GetActiveWindow(), a);
  SetWindowPos(b, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize | kSwpNoZOrder | kSwpHideWindow);
  EXPECT_FALSE(IsWindowVisible(b));
  EXPECT_EQ(PressAt(60, 10), a);
}

TEST_F(WindowOrderTest, OwnedWindowsStayAboveTheirOwner) {
  WindowHandle owner = Make(kWsPopup | kWsVisible, 0, 0, 200, 200);
  WindowHandle owned = Make(kWsPopup | kWsVisible, 10, 10, 50, 50, owner);
  EXPECT_TRUE(IsWindowVisible(owner));
  SetForegroundWindow(owner);
  EXPECT_EQ(PressAt(20, 20), owned);
  EXPECT_EQ(PressAt(100, 100), owner);
}

TEST_F(WindowOrderTest, ChildWindowsLieInTheirParentsClientAreaAndMoveWithIt) {
  WindowHandle parent = Make(kWsPopup | kWsVisible, 100, 50, 200, 100);
  WindowHandle child = Make(kWsChild | kWsVisible, 10, 20, 30, 40, parent);
  SWinRect rect;
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect, (SWinRect{110, 70, 140, 110}));
  EXPECT_EQ(GetActiveWindow(), parent);  // a child window is not activated
  EXPECT_EQ(PressAt(115, 75), child);
  SetWindowPos(parent, 0, 0, 0, 0, kSwpNoSize | kSwpNoZOrder);
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect, (SWinRect{10, 20, 40, 60}));
  MoveWindow(child, 0, 0, 30, 40, false);
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect, (SWinRect{0, 0, 30, 40}));
  ShowWindow(parent, kSwHide);
  EXPECT_EQ(PressAt(5, 5), nullptr);
}

// The pointer's window is the deepest showing one: the later of two overlapping children is on top,
// a grandchild wins over its parent, and a hidden child is looked through.
TEST_F(WindowOrderTest, ThePointIsOverTheTopmostDeepestShowingWindow) {
  WindowHandle parent = Make(kWsPopup | kWsVisible, 0, 0, 300, 200);
  WindowHandle lower = Make(kWsChild | kWsVisible, 10, 10, 100, 100, parent);
  WindowHandle upper = Make(kWsChild | kWsVisible, 60, 10, 100, 100, parent);
  WindowHandle inner = Make(kWsChild | kWsVisible, 5, 5, 20, 20, lower);
  WindowHandle hidden = Make(kWsChild, 200, 10, 50, 50, parent);
  EXPECT_EQ(WindowFromPoint({20, 50}), lower);
  EXPECT_EQ(WindowFromPoint({80, 50}), upper);
  EXPECT_EQ(WindowFromPoint({18, 18}), inner);
  EXPECT_EQ(WindowFromPoint({210, 20}), parent);
  ShowWindow(hidden, kSwShow);
  EXPECT_EQ(WindowFromPoint({210, 20}), hidden);
  ShowWindow(upper, kSwHide);
  EXPECT_EQ(WindowFromPoint({80, 50}), lower);
  ShowWindow(lower, kSwHide);
  EXPECT_EQ(WindowFromPoint({18, 18}), parent);
  EXPECT_EQ(WindowFromPoint({400, 400}), nullptr);
}

TEST_F(WindowOrderTest, KeysGoToTheFocusWindowOrTheActiveOne) {
  WindowHandle a = Make(kWsPopup | kWsVisible, 0, 0, 10, 10);
  WindowHandle b = Make(kWsPopup | kWsVisible, 20, 0, 10, 10);
  ASSERT_EQ(GetActiveWindow(), b);
  ASSERT_TRUE(headless::AddScript("char x\n"));
  SMessage m;
  for (int i = 0; i < 5; ++i) {
    while (PeekMessage(&m, nullptr, 0, 0, true)) DispatchMessage(m);
  }
  ASSERT_EQ(gMessages.size(), 1u);
  EXPECT_EQ(gMessages[0].first, b);
  EXPECT_EQ(SetFocus(a), b);
  gMessages.clear();
  ASSERT_TRUE(headless::AddScript("char y\n"));
  for (int i = 0; i < 5; ++i) {
    while (PeekMessage(&m, nullptr, 0, 0, true)) DispatchMessage(m);
  }
  ASSERT_EQ(gMessages.size(), 1u);
  EXPECT_EQ(gMessages[0].first, a);
}

// Keys typed ahead go to the window that has the focus when they are taken, not when they were typed.
TEST_F(WindowOrderTest, KeysTypedAheadReachTheWindowThatTookTheFocusMeanwhile) {
  WindowHandle a = Make(kWsPopup | kWsVisible, 0, 0, 10, 10);
  WindowHandle b = Make(kWsPopup | kWsVisible, 20, 0, 10, 10);
  ASSERT_EQ(GetActiveWindow(), b);
  ASSERT_TRUE(headless::AddScript("char x\nchar y\n"));
  while (headless::PendingInputs() > 0) GetCursorPos();
  SMessage m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, true));
  DispatchMessage(m);
  SetFocus(a);
  while (PeekMessage(&m, nullptr, 0, 0, true)) DispatchMessage(m);
  EXPECT_EQ(gMessages, (std::vector<std::pair<WindowHandle, uint32_t>>{{b, kWmChar}, {a, kWmChar}}));
}

// The active window going (hidden or destroyed) hands activation to its owner, else to the topmost
// window that can take it, and the keys follow; a hidden or disabled window takes none.
TEST_F(WindowOrderTest, ActivationPassesOnWhenTheActiveWindowGoes) {
  WindowHandle below = Make(kWsPopup | kWsVisible, 0, 0, 10, 10);
  WindowHandle owner = Make(kWsPopup | kWsVisible, 20, 0, 10, 10);
  WindowHandle owned = Make(kWsPopup | kWsVisible, 40, 0, 10, 10, owner);
  Make(kWsPopup, 60, 0, 10, 10);
  EnableWindow(Make(kWsPopup | kWsVisible, 80, 0, 10, 10), false);
  SetForegroundWindow(owned);
  ShowWindow(owned, kSwHide);
  EXPECT_EQ(GetActiveWindow(), owner);
  // The hidden and the disabled window lie above the one that takes activation.
  DestroyWindow(owner);
  made.erase(std::remove_if(made.begin(), made.end(), [&](WindowHandle w) { return w == owner || w == owned; }),
             made.end());
  EXPECT_EQ(GetActiveWindow(), below);
  ASSERT_TRUE(headless::AddScript("char x\n"));
  SMessage m;
  for (int i = 0; i < 5; ++i) {
    while (PeekMessage(&m, nullptr, 0, 0, true)) DispatchMessage(m);
  }
  EXPECT_EQ(gMessages, (std::vector<std::pair<WindowHandle, uint32_t>>{{below, kWmChar}}));
}

TEST_F(WindowOrderTest, ARefusedCreationMakesNoWindowAndTheNextOneWorks) {
  FailNextWindowCreations(1);
  EXPECT_EQ(CreateWindow(0, "Order", "", kWsPopup | kWsVisible, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(PressAt(5, 5), nullptr);
  Make(kWsPopup | kWsVisible, 0, 0, 10, 10);
  EXPECT_EQ(PressAt(5, 5), made.front());
}

TEST(Cursors, ShapesPicturesAndThePointer) {
  struct SCase {
    uint32_t number;
    const char* description;
  } cases[] = {{107, "shape 107"}, {111, "shape 111"}, {124, "shape 124"}, {109, nullptr}, {125, nullptr}, {1, nullptr}};
  for (const SCase& c : cases) {
    CursorHandle cursor = ShapeCursor(c.number);
    if (!c.description) {
      EXPECT_EQ(cursor, nullptr) << c.number;
      continue;
    }
    EXPECT_EQ(headless::CursorDescription(cursor), c.description);
    EXPECT_EQ(ShapeCursor(c.number), cursor);
  }
  const uint32_t pixels[4] = {0xFF000000, 0, 0, 0xFFFFFFFF};
  CursorHandle picture = CreatePictureCursor("cursor 5", 2, 2, pixels, 1, 1);
  EXPECT_EQ(headless::CursorDescription(picture), "picture cursor 5 hot 1,1");
  EXPECT_EQ(CreatePictureCursor("cursor 5", 2, 2, pixels, 1, 1), picture);
  EXPECT_NE(CreatePictureCursor("cursor 5", 2, 2, pixels, 0, 0), picture);
  EXPECT_EQ(CreatePictureCursor("cursor 5", 0, 2, pixels, 0, 0), nullptr);
  EXPECT_EQ(headless::CursorDescription(IBeamCursor()), "ibeam");

  const uint32_t sets = headless::CursorSetCount();
  SetCursor(picture);
  EXPECT_EQ(GetCursor(), picture);
  EXPECT_EQ(headless::CursorSetCount(), sets + 1);
  SetCursor(ArrowCursor());

  EXPECT_TRUE(SetCursorPos(300, 200));
  const SPoint p = GetCursorPos();
  EXPECT_EQ(p.x, 300);
  EXPECT_EQ(p.y, 200);
}

}  // namespace
