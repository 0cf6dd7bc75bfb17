#include "framework/ui/canvas.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "canvas_fixture.h"
#include "platform/alloc.h"

namespace {

using namespace platform;

constexpr int32_t kPaletteRank = 0x3FFFFFFF;

TEST_F(CanvasTest, TheClassAndAVisibleCanvasWindow) {
  SWindowClass windowClass;
  ASSERT_TRUE(GetWindowClass("CCanvas", &windowClass));
  EXPECT_EQ(windowClass.style, 0x1020u);
  EXPECT_EQ(windowClass.extraBytes, 4);
  EXPECT_EQ(windowClass.cursor, ArrowCursor());
  EXPECT_EQ(windowClass.instance, ProgramModule());
  EXPECT_EQ(CCanvas::GetParentWindow(), app->GetMainWindow());

  WindowHandle window = nullptr;
  const void* owner = nullptr;
  {
    CCanvas canvas({10, 20, 110, 220}, true, kPopup, nullptr, kPaletteRank);
    owner = &canvas;
    ASSERT_TRUE(canvas.IsRegistered());
    window = canvas.GetWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetClassName(window), "CCanvas");
    EXPECT_EQ(GetWindowExStyle(window), 0x80u);
    EXPECT_EQ(GetWindowText(window), "");
    EXPECT_EQ(GetWindowStyle(window), 0x90000000u);
    EXPECT_EQ(GetParent(window), app->GetMainWindow());
    const SPoint origin = ClientToScreen(window, {0, 0});
    EXPECT_EQ(origin.x, 20);
    EXPECT_EQ(origin.y, 10);
    SWinRect client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.Width(), 200);
    EXPECT_EQ(client.Height(), 100);
    EXPECT_EQ(GetWindowUserData(window), reinterpret_cast<intptr_t>(static_cast<CWindowHandler*>(app)));
    EXPECT_EQ(canvas.GetBounds(), (SRect{0, 0, 100, 200}));
    EXPECT_EQ(canvas.GetFrame(), (SRect{10, 20, 110, 220}));
    EXPECT_EQ(canvas.GetColor().value, kDesktopColor);
    EXPECT_EQ(canvas.GetDeviceContext(), GetDC(window));
    EXPECT_TRUE(canvas.IsShown());
    int32_t priority = 0;
    ASSERT_TRUE(app->GetReceiverPriority(&canvas, &priority));
    EXPECT_EQ(priority, kPaletteRank);
  }
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(app->IsReceiver(owner));
  SWindowClass unused;
  EXPECT_TRUE(GetWindowClass("CCanvas", &unused));
}

TEST_F(CanvasTest, TheReceiverSortsEachEventToItsOperation) {
  LoggingCanvas canvas({0, 0, 50, 50}, false, kPopup, nullptr, 10);
  CCanvas other({0, 100, 50, 150}, false, kPopup, nullptr, 11);
  struct SCase {
    uint32_t code;
    bool own;  // addressed to the canvas's window, else to the other one
    const char* operation;  // none: nothing is called
    int32_t answer;
    intptr_t result;
  } cases[] = {
      {1, false, "OnCharacter", 0, 0},           {3, false, "OnAppDeactivate", 0, 0},
      {4, false, "OnAppActivate", 0, 0},         {5, false, "OnCommand", 0, 0},
      {0, false, nullptr, 0, 0},                 {2, false, nullptr, 0, 0},
      {0x2000086, false, nullptr, 0, 0},         {0, true, "OnPointerPress", 0, 0},
      {2, true, "OnPaint", 1, 0},                {0x2000001, true, "OnCreate", 0, 0},
      {0x2000002, true, "OnDestroy", 1, 0},      {0x2000003, true, "OnMove", 0, 0},
      {0x2000005, true, "OnSize", 0, 0},         {0x2000006, true, "OnActivate", 0, 0},
      {0x2000010, true, "OnClose", 0, 0},        {0x2000012, true, "OnQuit", 0, 0},
      {0x2000014, true, "OnEraseBackground", 1, 1}, {0x2000024, true, "OnGetMinMaxInfo", 0, 0},
      {0x2000085, true, "OnNcPaint", 0, 0},      {0x2000086, true, "OnNcActivate", 1, 1},
      {0x2000111, true, "OnCommand", 0, 0},      {0x2000112, true, "OnSysCommand", 0, 0},
      {0x200011F, true, "OnMenuSelect", 0, 0},   {0x2000004, true, "OnOtherMessage", 0, 0},
      {0x2000087, true, "OnOtherMessage", 0, 0},
  };
  for (const SCase& c : cases) {
    canvas.calls.clear();
    SWinEvent event;
    event.window = c.own ? canvas.GetWindow() : other.GetWindow();
    event.wParam = reinterpret_cast<uintptr_t>(canvas.GetDeviceContext());
    SReceiverRecord record;
    record.a = c.code;
    record.b = reinterpret_cast<uintptr_t>(&event);
    EXPECT_EQ(CCanvas::HandleMessage(&canvas, &record, nullptr), c.answer) << std::hex << c.code;
    EXPECT_EQ(event.result, c.result) << std::hex << c.code;
    const std::vector<std::string> expected = c.operation ? std::vector<std::string>{c.operation}
                                                          : std::vector<std::string>{};
    EXPECT_EQ(canvas.Operations(), expected) << std::hex << c.code;
  }
}

TEST_F(CanvasTest, AMoveReadsTheWindowRectangleIntoTheFrameAndLeavesTheBounds) {
  LoggingCanvas canvas({10, 20, 110, 220}, false, kPopup, nullptr, 10);
  SetWindowPos(canvas.GetWindow(), 300, 200, 50, 40, kSwpNoZOrder | kSwpNoActivate);
  EXPECT_EQ(canvas.Count("OnMove"), 1u);
  EXPECT_EQ(canvas.GetFrame(), (SRect{200, 300, 240, 350}));
  EXPECT_EQ(canvas.GetBounds(), (SRect{0, 0, 100, 200}));
}

TEST_F(CanvasTest, PressesGoToTheCanvasOnTopAndCharactersToEveryCanvasByPriority) {
  LoggingCanvas a({100, 100, 200, 300}, false, kPopup, nullptr, 10);
  LoggingCanvas b({150, 200, 250, 400}, false, kPopup, nullptr, 20);
  a.Show();
  b.Show();
  Run();
  a.calls.clear();
  b.calls.clear();

  Run("move 250 175\ndown left\nup left\n");
  EXPECT_EQ(a.Count("OnPointerPress"), 0u);
  ASSERT_EQ(b.Count("OnPointerPress"), 1u);
  EXPECT_EQ(b.calls.back().point, (SPointHV{250, 175}));

  Run("move 120 110\ndown left\nup left\n");
  ASSERT_EQ(a.Count("OnPointerPress"), 1u);
  EXPECT_EQ(a.calls.back().point, (SPointHV{120, 110}));
  EXPECT_EQ(b.Count("OnPointerPress"), 1u);

  ASSERT_EQ(GetActiveWindow(), b.GetWindow());
  a.calls.clear();
  b.calls.clear();
  Run("char x\n");
  EXPECT_EQ(a.Operations(), (std::vector<std::string>{"OnCharacter"}));
  EXPECT_EQ(b.Operations(), (std::vector<std::string>{"OnCharacter"}));
  a.characterAnswer = 1;
  Run("char y\n");
  EXPECT_EQ(a.Count("OnCharacter"), 2u);
  EXPECT_EQ(b.Count("OnCharacter"), 1u);
}

TEST_F(CanvasTest, ShowingErasesTheWholeCanvasInItsColour) {
  const CImVector colour{0x00336699};
  LoggingCanvas canvas({0, 0, 60, 80}, false, kPopup, &colour, 10);
  DeviceContext* dc = canvas.GetDeviceContext();
  const uint32_t background = GetBkColor(dc);
  Pixels(canvas).Fill(0, 0, 80, 60, 0xFFFFFF);
  canvas.Show();
  Run();
  EXPECT_EQ(canvas.Count("OnEraseBackground"), 1u);
  EXPECT_EQ(canvas.eraseResults, (std::vector<intptr_t>{1}));
  for (int32_t y = 0; y < 60; ++y) {
    for (int32_t x = 0; x < 80; ++x) ASSERT_EQ(Pixels(canvas).Pixel(x, y) & 0xFFFFFF, 0x336699u) << x << "," << y;
  }
  EXPECT_EQ(GetBkColor(dc), background);
}

TEST_F(CanvasTest, AnInvalidatedAreaIsRepaintedOnceAndAlone) {
  const CImVector colour{0x00112233};
  LoggingCanvas canvas({0, 0, 100, 200}, true, kPopup, &colour, 10);
  Run();
  Pixels(canvas).Fill(0, 0, 200, 100, 0xABCDEF);
  canvas.calls.clear();
  const SRect area{10, 10, 20, 20};
  EXPECT_TRUE(canvas.Invalidate(&area));
  Run();
  EXPECT_EQ(canvas.Count("OnPaint"), 1u);
  EXPECT_EQ(Pixels(canvas).Pixel(10, 10), 0x112233u);
  EXPECT_EQ(Pixels(canvas).Pixel(19, 19), 0x112233u);
  EXPECT_EQ(Pixels(canvas).Pixel(20, 15), 0xABCDEFu);
  EXPECT_EQ(Pixels(canvas).Pixel(15, 9), 0xABCDEFu);
  EXPECT_EQ(Pixels(canvas).Pixel(100, 50), 0xABCDEFu);
  Run();
  EXPECT_EQ(canvas.Count("OnPaint"), 1u);
}

TEST_F(CanvasTest, FillInvalidateAndValidateKeepToTheBounds) {
  const CImVector colour{0x00445566};
  CCanvas canvas({0, 0, 100, 200}, false, kPopup, &colour, 10);
  WindowHandle window = canvas.GetWindow();
  canvas.Validate(nullptr);
  SWinRect pending;
  ASSERT_FALSE(GetUpdateRect(window, &pending));
  const SRect outside{200, 200, 300, 300}, reversed{0, 50, 10, 40};
  for (const SRect& r : {outside, reversed}) {
    Pixels(canvas).Fill(0, 0, 200, 100, 0xFFFFFF);
    EXPECT_TRUE(canvas.FillRect(&r));
    EXPECT_TRUE(canvas.Invalidate(&r));
    EXPECT_FALSE(GetUpdateRect(window, &pending));
    EXPECT_EQ(Pixels(canvas).Pixel(45, 5), 0xFFFFFFu);
  }
  EXPECT_TRUE(canvas.FillRect(nullptr));
  EXPECT_EQ(Pixels(canvas).Pixel(0, 0), 0x445566u);
  EXPECT_EQ(Pixels(canvas).Pixel(199, 99), 0x445566u);
  EXPECT_TRUE(canvas.Invalidate(nullptr));
  ASSERT_TRUE(GetUpdateRect(window, &pending));
  EXPECT_EQ(pending, (SWinRect{0, 0, 200, 100}));
  EXPECT_TRUE(canvas.Validate(&outside));
  EXPECT_TRUE(GetUpdateRect(window, &pending));
  const SRect left{0, 0, 100, 100};
  EXPECT_TRUE(canvas.Validate(&left));
  ASSERT_TRUE(GetUpdateRect(window, &pending));
  EXPECT_EQ(pending, (SWinRect{100, 0, 200, 100}));
  EXPECT_TRUE(canvas.Validate(nullptr));
  EXPECT_FALSE(GetUpdateRect(window, &pending));
}

TEST_F(CanvasTest, PlacingOnTheScreen) {
  struct SCase {
    const char* name;
    SRect frame;
    SRect rect;
    uint32_t flags;
    SProportionsHV position, size;
    SRect expected;
  } cases[] = {
      {"centred", {0, 0, 101, 201}, {0, 0, 101, 201}, 0x0400 | 0x0800, {}, {}, {334, 412, 435, 613}},
      {"upper third", {0, 0, 100, 50}, {0, 0, 100, 50}, 0x1000, {}, {}, {223, 0, 323, 50}},
      {"at a point of its own", {0, 0, 10, 200}, {0, 0, 10, 200}, 0x0004 | 0x0010, {0.5f, 0}, {}, {0, 412, 10, 612}},
      {"sized by fractions", {0, 0, 10, 10}, {0, 0, 10, 10}, 0x0001 | 0x0002, {}, {0.5f, 0.25f}, {0, 0, 192, 512}},
      {"bottom right", {0, 0, 100, 200}, {0, 0, 100, 200}, 0x0100 | 0x0200, {}, {}, {668, 824, 768, 1024}},
      {"resized about its middle", {50, 300, 150, 400}, {50, 300, 150, 500}, 0x2000, {0.5f, 0}, {}, {50, 250, 150, 450}},
  };
  for (const SCase& c : cases) {
    LoggingCanvas canvas(c.frame, false, kPopup, nullptr, 10);
    EXPECT_TRUE(canvas.Place(c.rect, c.flags, nullptr, c.position, c.size));
    EXPECT_EQ(canvas.GetFrame(), c.expected) << c.name;
    EXPECT_EQ(Frame(canvas.GetWindow()), c.expected) << c.name;
    EXPECT_EQ(canvas.GetBounds(), (SRect{0, 0, RectHeight(c.expected), RectWidth(c.expected)})) << c.name;
  }
  LoggingCanvas still({5, 6, 50, 60}, false, kPopup, nullptr, 10);
  still.Place(still.GetFrame(), 0, nullptr, {}, {});
  EXPECT_EQ(still.moves, 0u);
  EXPECT_EQ(still.resizes, 0u);
  const SRect reference{100, 100, 200, 300};
  still.Place(still.GetFrame(), 0x0080 | 0x0040, &reference, {}, {});
  EXPECT_EQ(still.GetFrame(), (SRect{100, 100, 145, 154}));
}

TEST_F(CanvasTest, CoordinatesConvertBetweenTheScreenAndTheCanvas) {
  CCanvas canvas({10, 20, 110, 220}, false, kPopup, nullptr, 10);
  EXPECT_EQ(canvas.ScreenToCanvas({25, 12}), (SPointHV{5, 2}));
  EXPECT_EQ(canvas.CanvasToScreen({5, 2}), (SPointHV{25, 12}));
  EXPECT_EQ(canvas.CanvasToScreenRect({0, 0, 100, 200}), (SRect{10, 20, 110, 220}));
  EXPECT_EQ(canvas.ScreenToCanvasRect({10, 20, 110, 220}), (SRect{0, 0, 100, 200}));
  canvas.MoveTo({300, 200});
  EXPECT_EQ(canvas.GetFrame(), (SRect{200, 300, 300, 500}));
  EXPECT_EQ(canvas.ScreenToCanvas({300, 200}), (SPointHV{0, 0}));
  canvas.Resize({50, 40}, false);
  EXPECT_EQ(Frame(canvas.GetWindow()), (SRect{200, 300, 240, 350}));
  EXPECT_EQ(canvas.GetBounds(), (SRect{0, 0, 40, 50}));
}

TEST(RectDifference, PartsOfAOutsideB) {
  struct SCase {
    SRect b;
    std::vector<SRect> parts;
  } cases[] = {
      {{2, 3, 5, 7}, {{0, 0, 2, 10}, {5, 0, 10, 10}, {2, 0, 5, 3}, {2, 7, 5, 10}}},
      {{0, 0, 10, 10}, {}},
      {{-5, -5, 20, 20}, {}},
      {{20, 20, 30, 30}, {{0, 0, 10, 10}}},
      {{10, 0, 20, 10}, {{0, 0, 10, 10}}},
      {{0, 0, 4, 10}, {{4, 0, 10, 10}}},
      {{-2, 6, 12, 12}, {{0, 0, 10, 6}}},
  };
  const SRect a{0, 0, 10, 10};
  for (const SCase& c : cases) {
    SRect out[4];
    const uint32_t n = RectDifference(a, c.b, out);
    EXPECT_EQ(std::vector<SRect>(out, out + n), c.parts) << c.b.top << "," << c.b.left;
  }
}

TEST_F(CanvasTest, ACanvasWithoutItsWindowIsUnusableButHarmless) {
  FailNextWindowCreations(1);
  auto canvas = std::make_unique<LoggingCanvas>(SRect{0, 0, 10, 10}, true, kPopup, nullptr, 10);
  EXPECT_EQ(canvas->GetWindow(), nullptr);
  EXPECT_FALSE(canvas->IsRegistered());
  EXPECT_FALSE(app->IsReceiver(canvas.get()));
  SWinEvent event;
  EXPECT_EQ(canvas->OnPaint(event), 1);
  canvas->Show();
  EXPECT_FALSE(canvas->Invalidate(nullptr));
  canvas->MoveTo({5, 5});
  canvas.reset();
}

TEST_F(CanvasTest, ACanvasWhoseReceiverCannotBeAddedLeavesNoWindow) {
  // Fill the receivers' table, so that the canvas's row needs memory, and refuse it: the growth in
  // place, the pool's try and retry, then the same again after the table's storage went to a file
  // and back.
  CCmFunction* receivers = app->GetReceivers();
  std::vector<int> owners(receivers->GetCapacity() + 1);
  for (size_t i = 0; receivers->GetCount() < receivers->GetCapacity(); ++i) {
    ASSERT_TRUE(app->AddReceiver(&owners[i], nullptr, 100));
  }
  {
    const uint32_t windows = platform::headless::WindowCount("CCanvas");  // the console's
    FailNextAllocations(5);
    CCanvas canvas(SRect{0, 0, 10, 10}, true, kPopup, nullptr, 10);
    FailNextAllocations(0);
    EXPECT_FALSE(canvas.IsRegistered());
    EXPECT_EQ(canvas.GetWindow(), nullptr);
    EXPECT_EQ(platform::headless::WindowCount("CCanvas"), windows);
    canvas.Show();
    canvas.Invalidate(nullptr);
  }
  for (int& owner : owners) app->RemoveReceiver(&owner);
}

}  // namespace
