// The headless screen as contexts see it, memory contexts with their bitmaps, copies between
// contexts, the double-click time, and the system's move of a window by its caption.
#include <gtest/gtest.h>

#include <vector>

#include "platform/device_context.h"
#include "platform/gdi.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace {

using namespace platform;

constexpr uint32_t kDesktop = 0x445566;
constexpr uint32_t kWindowColour = 0x112233;

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SWindowClass windowClass;
    windowClass.name = "ScreenTest";
    windowClass.procedure = &DefWindowProc;
    ASSERT_TRUE(RegisterWindowClass(windowClass));
    window = CreateWindow(0, "ScreenTest", "screen", kWsPopup | kWsVisible, 10, 20, 30, 20, nullptr, nullptr,
                          nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    FillClientRect(window, {0, 0, 30, 20}, kWindowColour);
    headless::SetDesktopColor(kDesktop);
    screen = GetDC(nullptr);
    memory = CreateCompatibleDC(screen);
  }
  void TearDown() override {
    DeleteDC(memory);
    ReleaseDC(screen);
    DestroyWindow(window);
    UnregisterWindowClass("ScreenTest", nullptr);
    headless::SetDesktopColor(0);
  }
  // The bitmap's pixels, top row first, through a block of the given orientation.
  std::vector<uint32_t> Read(GdiObject bitmap, int32_t width, int32_t height, bool topDown) {
    SBitmapInfoHeader header;
    header.width = width;
    header.height = topDown ? -height : height;
    header.bitCount = 32;
    std::vector<uint32_t> block(size_t(width) * size_t(height));
    EXPECT_EQ(GetDIBits(screen, bitmap, 0, uint32_t(height), block.data(), &header, kDibRgbColors), height);
    std::vector<uint32_t> rows(block.size());
    for (int32_t y = 0; y < height; ++y) {
      const int32_t from = topDown ? y : height - 1 - y;
      std::copy(block.begin() + from * width, block.begin() + (from + 1) * width, rows.begin() + y * width);
    }
    return rows;
  }

  WindowHandle window = nullptr;
  DeviceContext* screen = nullptr;
  DeviceContext* memory = nullptr;
};

TEST_F(ScreenTest, ACopyOfTheScreenShowsTheDesktopAndTheWindowsOnIt) {
  GdiObject bitmap = CreateCompatibleBitmap(screen, 50, 40);
  ASSERT_NE(bitmap, nullptr);
  GdiObject stock = SelectObject(memory, bitmap);
  ASSERT_NE(stock, nullptr);
  EXPECT_TRUE(BitBlt(memory, 0, 0, 50, 40, screen, 0, 0, kSrcCopy));
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_EQ(SelectObject(memory, stock), bitmap);
  for (bool topDown : {true, false}) {
    const std::vector<uint32_t> pixels = Read(bitmap, 50, 40, topDown);
    EXPECT_EQ(pixels[5 * 50 + 5], kDesktop) << topDown;
    EXPECT_EQ(pixels[25 * 50 + 15], kWindowColour) << topDown;
    EXPECT_EQ(pixels[39 * 50 + 39], kWindowColour) << topDown;
    EXPECT_EQ(pixels[39 * 50 + 40], kDesktop) << topDown;
  }
  EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(ScreenTest, WhatIsCopiedOntoTheScreenStaysUntilItIsComposedAgain) {
  GdiObject bitmap = CreateCompatibleBitmap(screen, 4, 4);
  GdiObject stock = SelectObject(memory, bitmap);
  // A bitmap starts black.
  EXPECT_TRUE(BitBlt(screen, 100, 100, 4, 4, memory, 0, 0, kSrcCopy));
  EXPECT_EQ(headless::ScreenPixel(101, 101), 0u);
  EXPECT_TRUE(BitBlt(memory, 0, 0, 4, 4, screen, 100, 100, kSrcCopy));
  EXPECT_EQ(headless::ScreenPixel(101, 101), kDesktop);
  // Beyond the screen a copy reads black.
  EXPECT_TRUE(BitBlt(memory, 0, 0, 4, 4, screen, -2, -2, kSrcCopy));
  SelectObject(memory, stock);
  const std::vector<uint32_t> pixels = Read(bitmap, 4, 4, true);
  EXPECT_EQ(pixels[0], 0u);
  EXPECT_EQ(pixels[3 * 4 + 3], kDesktop);
  EXPECT_FALSE(BitBlt(memory, 0, 0, 4, 4, screen, 0, 0, 0x00EE0086));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(CreateCompatibleBitmap(screen, 0, 5), nullptr);
}

TEST_F(ScreenTest, AWindowsOwnContextTakesACopyInItsClientArea) {
  GdiObject bitmap = CreateCompatibleBitmap(screen, 8, 8);
  GdiObject stock = SelectObject(memory, bitmap);
  DeviceContext* own = GetDC(window);
  EXPECT_TRUE(BitBlt(own, 26, 16, 8, 8, memory, 0, 0, kSrcCopy));
  EXPECT_EQ(GetWindowSurface(window)->Pixel(27, 17), 0u);
  EXPECT_EQ(GetWindowSurface(window)->Pixel(25, 15), kWindowColour);
  ReleaseDC(own);
  SelectObject(memory, stock);
  DeleteObject(bitmap);
}

TEST(DoubleClickTime, IsHalfASecondUnlessSetOtherwise) {
  EXPECT_EQ(GetDoubleClickTime(), 500u);
  headless::SetDoubleClickTime(250);
  EXPECT_EQ(GetDoubleClickTime(), 250u);
  headless::SetDoubleClickTime(500);
}

TEST_F(ScreenTest, APressOnTheCaptionMovesTheWindowUntilTheButtonIsUp) {
  SetCursorPos(15, 25);
  ASSERT_TRUE(headless::AddScript("down left\nwait 20\nmove 45 35\nwait 20\nmove 55 30\nwait 20\nup left\n"));
  EXPECT_EQ(DefWindowProc(window, kWmNcLButtonDown, uintptr_t(kHitCaption), MakeLParam(15, 25)), 0);
  SWinRect r;
  ASSERT_TRUE(GetWindowRect(window, &r));
  EXPECT_EQ(r, (SWinRect{50, 25, 80, 45}));
  // The loop took the pointer's messages.
  SMessage message;
  EXPECT_FALSE(PeekMessage(&message, nullptr, kWmMouseFirst, kWmMouseLast, false));
  // A button held when no more input can come ends it too.
  ASSERT_TRUE(headless::AddScript("down left\n"));
  DefWindowProc(window, kWmNcLButtonDown, uintptr_t(kHitCaption), MakeLParam(55, 30));
  EXPECT_EQ(headless::PendingInputs(), 0u);
  ASSERT_TRUE(headless::AddScript("up left\n"));
  while (headless::PendingInputs() > 0) IsKeyDownAsync(kVkLButton);
}

}  // namespace
