// Update areas, own contexts, clip regions and the background fill, as canvases use them.
#include <gtest/gtest.h>

#include <vector>

#include "platform/device_context.h"
#include "platform/gdi.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace {

using namespace platform;

struct SSeen {
  uint32_t message;
  uintptr_t wParam;
};
std::vector<SSeen> gSeen;
uint32_t gEraseColour = 0x0000FF;

// Erases by filling what the paint context lets it, and paints nothing itself.
intptr_t Procedure(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  gSeen.push_back({message, wParam});
  if (message == kWmEraseBackground) {
    auto* dc = reinterpret_cast<DeviceContext*>(wParam);
    SWinRect client;
    GetClientRect(window, &client);
    const uint32_t previous = SetBkColor(dc, gEraseColour);
    ExtTextOut(dc, 0, 0, kEtoOpaque, &client, nullptr, 0);
    SetBkColor(dc, previous);
    return 1;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSeen.clear();
    SWindowClass windowClass;
    windowClass.name = "Paint";
    windowClass.style = kCsOwnDc;
    windowClass.procedure = &Procedure;
    ASSERT_TRUE(RegisterWindowClass(windowClass));
    window = CreateWindow(kWsExToolWindow, "Paint", "", kWsPopup, 10, 20, 40, 30, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window);
    EXPECT_TRUE(UnregisterWindowClass("Paint", nullptr));
  }
  Surface& Pixels() { return *GetWindowSurface(window); }
  void FillSurface(uint32_t value) { Pixels().Fill(0, 0, 40, 30, value); }
  // Paints once through the queue; false when no paint was waiting.
  bool PumpPaint() {
    SMessage m;
    if (!PeekMessage(&m, window, kWmPaint, kWmPaint, true)) return false;
    DispatchMessage(m);
    return true;
  }
  size_t Count(uint32_t message) const {
    size_t n = 0;
    for (const SSeen& s : gSeen) n += s.message == message;
    return n;
  }

  WindowHandle window = nullptr;
};

TEST_F(PaintTest, AClassWithItsOwnContextKeepsOneContextForTheWindowsLife) {
  DeviceContext* dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  ReleaseDC(dc);
  EXPECT_EQ(GetDC(window), dc);
  EXPECT_EQ(SetBkColor(dc, 0x112233), 0xFFFFFFu);
  EXPECT_EQ(GetBkColor(GetDC(window)), 0x112233u);
}

TEST_F(PaintTest, ShowingErasesThroughThePaintContextWhichIsTheOwnOne) {
  DeviceContext* own = GetDC(window);
  ShowWindow(window, kSwShow);
  ASSERT_TRUE(PumpPaint());
  ASSERT_EQ(Count(kWmEraseBackground), 1u);
  for (const SSeen& s : gSeen) {
    if (s.message == kWmEraseBackground) {
      EXPECT_EQ(s.wParam, reinterpret_cast<uintptr_t>(own));
    }
  }
  EXPECT_EQ(Pixels().Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(Pixels().Pixel(39, 29), 0x0000FFu);
  EXPECT_EQ(GetBkColor(own), 0xFFFFFFu);
  EXPECT_FALSE(PumpPaint());
}

TEST_F(PaintTest, APaintIsClippedToTheUpdateAreaUntilItEnds) {
  ShowWindow(window, kSwShow);
  ASSERT_TRUE(PumpPaint());
  FillSurface(0xABCDEF);
  const SWinRect a{2, 3, 6, 7}, b{20, 10, 25, 12};
  InvalidateRect(window, &a, true);
  InvalidateRect(window, &b, true);
  SWinRect box;
  ASSERT_TRUE(GetUpdateRect(window, &box));
  EXPECT_EQ(box, (SWinRect{2, 3, 25, 12}));
  ASSERT_TRUE(PumpPaint());
  // Only the two rectangles were erased, not the box around them.
  EXPECT_EQ(Pixels().Pixel(2, 3), 0x0000FFu);
  EXPECT_EQ(Pixels().Pixel(24, 11), 0x0000FFu);
  EXPECT_EQ(Pixels().Pixel(10, 8), 0xABCDEFu);
  EXPECT_EQ(Pixels().Pixel(6, 3), 0xABCDEFu);
  EXPECT_FALSE(GetUpdateRect(window, &box));
  // After the paint the own context draws everywhere again.
  DeviceContext* dc = GetDC(window);
  SetBkColor(dc, 0x00FF00);
  const SWinRect all{0, 0, 40, 30};
  EXPECT_TRUE(ExtTextOut(dc, 0, 0, kEtoOpaque, &all, nullptr, 0));
  EXPECT_EQ(Pixels().Pixel(10, 8), 0x00FF00u);
}

TEST_F(PaintTest, ValidatingPartOfTheUpdateAreaLeavesTheRest) {
  ShowWindow(window, kSwShow);
  ASSERT_TRUE(PumpPaint());
  const SWinRect a{0, 0, 20, 10};
  InvalidateRect(window, &a, false);
  const SWinRect left{0, 0, 10, 10};
  ValidateRect(window, &left);
  SWinRect box;
  ASSERT_TRUE(GetUpdateRect(window, &box));
  EXPECT_EQ(box, (SWinRect{10, 0, 20, 10}));
  ValidateRect(window, &box);
  EXPECT_FALSE(GetUpdateRect(window, &box));
  EXPECT_FALSE(PumpPaint());
  // What lies outside the client area is never part of it.
  const SWinRect outside{50, 50, 60, 60};
  InvalidateRect(window, &outside, false);
  EXPECT_FALSE(GetUpdateRect(window, &box));
}

TEST_F(PaintTest, UpdateWindowPaintsAtOnceAndOnlyAVisibleInvalidWindow) {
  InvalidateRect(window, nullptr, false);
  UpdateWindow(window);
  EXPECT_EQ(Count(kWmPaint), 0u);
  ShowWindow(window, kSwShow);
  gSeen.clear();
  UpdateWindow(window);
  EXPECT_EQ(Count(kWmPaint), 1u);
  UpdateWindow(window);
  EXPECT_EQ(Count(kWmPaint), 1u);
}

TEST(Regions, CombineAsRectangleSets) {
  RegionHandle a = CreateRectRgn({0, 0, 10, 10});
  RegionHandle b = CreateRectRgn({5, 5, 15, 15});
  RegionHandle r = CreateRectRgn({});
  SWinRect box;
  EXPECT_EQ(CombineRgn(r, a, b, kRgnOr), kComplexRegion);
  EXPECT_EQ(GetRgnBox(r, &box), kComplexRegion);
  EXPECT_EQ(box, (SWinRect{0, 0, 15, 15}));
  EXPECT_TRUE(PtInRegion(r, 12, 12));
  EXPECT_FALSE(PtInRegion(r, 12, 2));
  EXPECT_EQ(CombineRgn(r, a, b, kRgnAnd), kSimpleRegion);
  EXPECT_EQ(GetRgnBox(r, &box), kSimpleRegion);
  EXPECT_EQ(box, (SWinRect{5, 5, 10, 10}));
  EXPECT_EQ(CombineRgn(r, a, b, kRgnDiff), kComplexRegion);
  EXPECT_FALSE(PtInRegion(r, 7, 7));
  EXPECT_TRUE(PtInRegion(r, 7, 2));
  EXPECT_EQ(CombineRgn(r, a, a, kRgnDiff), kNullRegion);
  EXPECT_EQ(CombineRgn(a, a, b, kRgnOr), kComplexRegion);  // the destination may be an operand
  EXPECT_TRUE(PtInRegion(a, 14, 14));
  EXPECT_EQ(CombineRgn(r, a, nullptr, kRgnAnd), kRegionError);
  for (RegionHandle h : {a, b, r}) DeleteRgn(h);
}

TEST(Regions, AClipRegionBoundsEveryFill) {
  Surface surface(20, 20);
  DeviceContext* dc = CreateSurfaceDC(&surface);
  RegionHandle clip = CreateRectRgn({0, 0, 5, 5});
  RegionHandle second = CreateRectRgn({10, 10, 20, 20});
  CombineRgn(clip, clip, second, kRgnOr);
  EXPECT_EQ(SelectClipRgn(dc, clip), kComplexRegion);
  DeleteRgn(clip);  // the context keeps its own copy
  DeleteRgn(second);
  SWinRect box;
  GetClipBox(dc, &box);
  EXPECT_EQ(box, (SWinRect{0, 0, 20, 20}));
  SetBkColor(dc, 0x777777);
  const SWinRect all{0, 0, 20, 20};
  ASSERT_TRUE(ExtTextOut(dc, 0, 0, kEtoOpaque, &all, nullptr, 0));
  EXPECT_EQ(surface.Pixel(4, 4), 0x777777u);
  EXPECT_EQ(surface.Pixel(15, 15), 0x777777u);
  EXPECT_EQ(surface.Pixel(7, 7), 0u);
  EXPECT_EQ(surface.Pixel(15, 2), 0u);
  // Text too stays inside the clip.
  SetTextColor(dc, 0x00FF00);
  EXPECT_TRUE(ExtTextOut(dc, 2, 2, 0, nullptr, "WWWWWW", 6));
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      const bool inside = (x < 5 && y < 5) || (x >= 10 && y >= 10);
      if (!inside) {
        EXPECT_EQ(surface.Pixel(x, y) & 0x00FF00, 0u) << x << "," << y;
      }
    }
  }
  SelectClipRgn(dc, nullptr);
  ExtTextOut(dc, 0, 0, kEtoOpaque, &all, nullptr, 0);
  EXPECT_EQ(surface.Pixel(7, 7), 0x777777u);
  ReleaseDC(dc);
}

// The pump after a dialog paints what waits and takes nothing else from the queue.
TEST_F(PaintTest, ThePaintPumpLeavesEveryOtherMessageWaiting) {
  ShowWindow(window, kSwShow);
  ASSERT_TRUE(PostMessage(window, kWmChar, 'a', 0));
  gSeen.clear();
  DispatchPaintMessages();
  EXPECT_EQ(Count(kWmPaint), 1u);
  EXPECT_EQ(Count(kWmChar), 0u);
  EXPECT_FALSE(PumpPaint());
  SMessage waiting;
  ASSERT_TRUE(PeekMessage(&waiting, window, 0, 0xFFFFFFFF, true));
  EXPECT_EQ(waiting.message, kWmChar);
}

}  // namespace
