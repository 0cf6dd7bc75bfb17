// The host canvas: its 'hoca' record and the root it builds, the events it hands its root, the hover
// poll on the heartbeat, and redrawing by composing the tree, with its failures reported at most
// once per 180 ticks.
#include "framework/ui/ho_canvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/el_registry.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ho_element.h"
#include "platform/alloc.h"
#include "platform/clock.h"
#include "tests/framework/ui/host_fixture.h"
#include "tools/layout_source.h"

namespace {

constexpr uint32_t kPopup = 0x80000000;
constexpr uint32_t kColor = 0x00336699;
constexpr CImVector kColorVector{kColor};
constexpr SRect kFrame{100, 100, 260, 340};  // 240 × 160 at (100, 100)

// What the elements' callbacks saw.
struct SSeen {
  std::vector<std::string> calls;
  std::vector<SPointHV> points;
  int32_t answer = 0;
};
SSeen gSeen;

int32_t TakePress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  gSeen.calls.push_back(std::string("press ") + element->GetName());
  gSeen.points.push_back(point);
  *handled = element;
  return gSeen.answer;
}
int32_t NotePress(CElement* element, CElement**, SPointHV point, SWinEvent*) {
  gSeen.calls.push_back(std::string("press ") + element->GetName());
  gSeen.points.push_back(point);
  return gSeen.answer;
}
int32_t NoteChar(CElement* element, CElement**, SWinEvent*) {
  gSeen.calls.push_back(std::string("char ") + element->GetName());
  return gSeen.answer;
}
int32_t NoteHover(CElement* element, SPointHV point) {
  gSeen.calls.push_back(std::string("hover ") + element->GetName());
  gSeen.points.push_back(point);
  return 0;
}
int32_t FailDrawing(CElement*, uint32_t, CImage*) { return kErrDamagedData; }

// An element whose cover rectangle the test decides.
class CoverElement : public CElement {
 public:
  CoverElement(const SElementDesc& desc, bool answer, bool wholeRect) : CElement(desc), fAnswer(answer), fWhole(wholeRect) {}
  bool GetCoverRect(SRect* out) override {
    if (fWhole) GetLocalRect(out);
    else *out = SRect{};
    return fAnswer;
  }

 private:
  bool fAnswer;
  bool fWhole;
};

class HoCanvasTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    gSeen = SSeen{};
  }
  std::unique_ptr<CHoCanvas> NewCanvas() {
    return std::make_unique<CHoCanvas>(kFrame, nullptr, true, kPopup, &kColorVector, 10);
  }
  template <typename T>
  T* AddChild(CElement* parent, T* child) {
    EXPECT_EQ(parent->AddChild(child, 0, 0, 0, ElementContainerLayout()), kNoErr);
    return child;
  }
  static SElementDesc Named(const SRect& rect, const char* name, bool renderImage = false) {
    SElementDesc desc;
    CElement::MakeDescription(desc, rect, true, false, renderImage, name, nullptr, nullptr);
    return desc;
  }
  void PutCanvas(uint32_t number, const char* name) {
    Put("canv", number, name, "frame 100 100 260 340\noptions 0\n");
  }
};

// ---- the 'hoca' record

TEST_F(HoCanvasTest, AHocaRecordNeedsItsSixtyEightBytes) {
  PutCanvas(1, "dlg");
  Put("hoca", 1, "dlg", "layers 3\n");
  std::vector<uint8_t> bytes = Stored("hoca", 1);
  ASSERT_EQ(bytes.size(), 68u);
  auto canvas = NewCanvas();
  EXPECT_EQ(canvas->LoadFromResource(env.get(), 1, nullptr), kNoErr);
  bytes.resize(67);
  env->DeleteResource(Key("hoca", 1));
  Store(*env, Key("hoca", 1, "dlg"), bytes);
  EXPECT_EQ(canvas->LoadFromResource(env.get(), 1, nullptr), kErrInvalidFormat);
}

TEST_F(HoCanvasTest, TheRecordGivesTheLayersAndNamesTheRootsRecord) {
  PutCanvas(7, "dlg");
  Put("elem", 7, "", "name \"seven\"\nrect 0 0 160 240\nflags 1\n");
  Put("elem", 8, "dlg", "name \"eight\"\nrect 0 0 160 240\nflags 1\n");
  Put("elem", 9, "", "name \"nine\"\nrect 0 0 160 240\nflags 1\n");
  struct SCase {
    const char* hoca;
    const char* byName;  // the canvas loaded by name, else by number 7
    const char* root;    // the root's name afterwards
    uint32_t layers;
  } cases[] = {
      {"layers 5\nflags 0\n", nullptr, CHoCanvas::kRootName, 5},
      {"element 9\nflags 1\n", nullptr, "nine", 3},
      {"flags 5\n", nullptr, "seven", 3},
      {"flags 7\nlayers 2\n", "dlg", "eight", 2},
      // Found by its number, the record's own name is its entry's.
      {"flags 7\n", nullptr, "eight", 3},
  };
  for (const SCase& c : cases) {
    Put("hoca", 7, "dlg", c.hoca);
    auto canvas = NewCanvas();
    ASSERT_EQ(canvas->LoadFromResource(env.get(), c.byName ? 0 : 7, c.byName), kNoErr) << c.hoca;
    EXPECT_STREQ(canvas->GetRoot()->GetName(), c.root) << c.hoca;
    EXPECT_EQ(canvas->GetRoot()->GetLayerCount(), c.layers) << c.hoca;
  }
}

TEST_F(HoCanvasTest, CreateTitlesTheWindowAndLoadsByTheName) {
  PutCanvas(3, "test dialog");
  Put("hoca", 3, "test dialog", "flags 0\n");
  auto canvas = NewCanvas();
  EXPECT_EQ(canvas->Create(env.get(), "test dialog"), kNoErr);
  EXPECT_EQ(platform::GetWindowText(canvas->GetWindow()), "test dialog");
  EXPECT_EQ(canvas->Create(env.get(), "no dialog"), kErrObjectNotFound);
}

TEST_F(HoCanvasTest, AConstructedCanvasIsReadyUnlessItsRootCannotBeMade) {
  auto canvas = NewCanvas();
  EXPECT_TRUE(canvas->IsReady());
  ASSERT_NE(canvas->GetRoot(), nullptr);
  EXPECT_STREQ(canvas->GetRoot()->GetName(), CHoCanvas::kRootName);
  EXPECT_EQ(canvas->GetRoot()->GetRect(), (SRect{0, 0, 160, 240}));
  EXPECT_TRUE(canvas->GetRoot()->IsShown());
  canvas.reset();
  // The first allocation that fails once the window and its receiver are in place is the root's.
  for (uint32_t successes = 0; successes < 100; ++successes) {
    platform::FailAllocationsAfter(successes, 1);
    CHoCanvas attempt(kFrame, nullptr, false, kPopup, &kColorVector, 10);
    platform::FailAllocationsAfter(0, 0);
    if (!attempt.IsRegistered()) continue;
    EXPECT_EQ(attempt.GetRoot(), nullptr);
    EXPECT_FALSE(attempt.IsReady());
    return;
  }
  FAIL() << "no canvas was made";
}

// ---- events

TEST_F(HoCanvasTest, APressGoesToTheRootOnlyWhenItIsShownAndTakesPresses) {
  auto canvas = NewCanvas();
  CHoElement* root = canvas->GetRoot();
  root->SetPressCallback(&NotePress);
  SWinEvent press = PressAt(150, 150);
  root->Hide(false);
  EXPECT_EQ(canvas->OnPointerPress(press), 0);
  root->Show(false);
  root->SetOptionFlags(kEventMaskPress, false);
  EXPECT_EQ(canvas->OnPointerPress(press), 0);
  EXPECT_TRUE(gSeen.calls.empty());
  root->SetOptionFlags(kEventMaskPress, true);
  EXPECT_EQ(canvas->OnPointerPress(press), 0);
  EXPECT_EQ(gSeen.calls, std::vector<std::string>{"press $root element$"});
}

TEST_F(HoCanvasTest, AChildThatTakesThePressGetsItInItsOwnCoordinates) {
  auto canvas = NewCanvas();
  CElement* child = AddChild(canvas->GetRoot(), new CElement(Named({20, 30, 60, 90}, "button")));
  child->SetPressCallback(&TakePress);
  SWinEvent press = PressAt(100 + 40, 100 + 25);
  EXPECT_EQ(canvas->OnPointerPress(press), kHandled);
  ASSERT_EQ(gSeen.points.size(), 1u);
  EXPECT_EQ(gSeen.points[0], (SPointHV{10, 5}));
  // An error of the handler is reported; the event is still taken.
  gSeen.answer = kErrOutOfMemory;
  EXPECT_EQ(canvas->OnPointerPress(press), kHandled);
  EXPECT_EQ(errors, std::vector<int32_t>{kErrOutOfMemory});
}

TEST_F(HoCanvasTest, ACharacterReachesTheRootEvenWhenItIsHidden) {
  auto canvas = NewCanvas();
  CHoElement* root = canvas->GetRoot();
  root->SetCharCallback(&NoteChar);
  root->Hide(false);
  SWinEvent key = Character('a');
  gSeen.answer = kErrOutOfMemory;
  EXPECT_EQ(canvas->OnCharacter(key), 0);
  EXPECT_EQ(gSeen.calls, std::vector<std::string>{"char $root element$"});
  EXPECT_EQ(errors, std::vector<int32_t>{kErrOutOfMemory});
}

TEST_F(HoCanvasTest, EachHeartbeatOfTheLoopHoversOnceAtThePointer) {
  auto canvas = NewCanvas();
  canvas->GetRoot()->SetHoverCallback(&NoteHover);
  ASSERT_EQ(canvas->GetHoverInterval(), 0u);
  platform::SetCursorPos(150, 170);
  app->Heartbeat(false);
  platform::SetCursorPos(110, 105);
  app->Heartbeat(false);
  EXPECT_EQ(gSeen.points, (std::vector<SPointHV>{{50, 70}, {10, 5}}));
  // A beat from outside the main loop carries a second word.
  SHeartbeatRecord record;
  record.reserved1 = 1;
  EXPECT_EQ(CHoCanvas::IdleHover(canvas.get(), &record, nullptr), 0);
  EXPECT_EQ(gSeen.points.size(), 2u);
  canvas.reset();
  app->Heartbeat(false);
  EXPECT_EQ(gSeen.points.size(), 2u);
}

// ---- redraw

TEST_F(HoCanvasTest, AnAreaOutsideTheCanvasDrawsNothing) {
  auto canvas = NewCanvas();
  Window(*canvas).Fill(0, 0, 240, 160, 0x00ABCDEF);
  const SRect outside{-50, -50, -10, -10};
  EXPECT_TRUE(canvas->Redraw(&outside));
  EXPECT_EQ(WindowAt(*canvas, 0, 0), 0x00ABCDEFu);
  EXPECT_TRUE(canvas->Redraw(nullptr));
  EXPECT_EQ(WindowAt(*canvas, 0, 0), kColor);
}

TEST_F(HoCanvasTest, ElementsWithoutRenderImagesAreDrawnFromTheBackdrop) {
  auto canvas = NewCanvas();
  CElement* group = AddChild(canvas->GetRoot(), new CElement(Named({10, 10, 100, 100}, "group")));
  AddChild(group, new CElement(Named({5, 5, 20, 20}, "leaf")));
  Window(*canvas).Fill(0, 0, 240, 160, 0x00ABCDEF);
  EXPECT_TRUE(canvas->Redraw(nullptr));
  EXPECT_EQ(WindowAt(*canvas, 20, 20), kColor);
  EXPECT_EQ(group->GetChildren()->GetBusyCount(), 0u);
  EXPECT_FALSE(canvas->GetRoot()->IsDirty());
}

// A render image starts black: what the background would paint shows only where it was painted.
TEST_F(HoCanvasTest, AnElementThatCoversItsAreaGetsNoBackground) {
  struct SCase {
    bool answer;
    bool wholeRect;
    uint32_t shown;
  } cases[] = {{true, false, kColor}, {true, true, 0}, {false, false, 0}};
  for (const SCase& c : cases) {
    auto canvas = NewCanvas();
    AddChild(canvas->GetRoot(), new CoverElement(Named({10, 10, 100, 100}, "cover", true), c.answer, c.wholeRect));
    EXPECT_TRUE(canvas->Redraw(nullptr));
    EXPECT_EQ(WindowAt(*canvas, 50, 50), c.shown) << c.answer << c.wholeRect;
    EXPECT_EQ(WindowAt(*canvas, 150, 50), kColor);
  }
}

// Its title's font comes from the build's data/system.dat.
TEST_F(HoCanvasTest, TheTestDialogShowsItsBackdropPanelShadowTitleAndButton) {
  std::string error;
  ASSERT_TRUE(CompileLayoutFile(*env, QUARN2_TEST_LAYOUTS "/testdialog.layout", &error)) << error;
  CFileSpec system;
  system.Set(QUARN2_SYSTEM_DAT);
  app->CAppl::OpenResourceEnvironment(&system);
  CUICmFunction owner(SRange{0, 16});
  TestDialog dialog(&owner, env.get(), "test dialog");
  ASSERT_EQ(dialog.BuildOnce(), kNoErr);
  dialog.Refresh(true);
  CImage* backdrop = dialog.GetImage();
  ASSERT_NE(backdrop, nullptr);
  const uint32_t atTen = PixelAt(*backdrop, 10, 10) & 0xFFFFFF, underShadow = PixelAt(*backdrop, 222, 104) & 0xFFFFFF;
  EXPECT_EQ(WindowAt(dialog, 10, 10), atTen);
  EXPECT_EQ(WindowAt(dialog, 100, 50), 0xD0D0D0u);
  EXPECT_LT(WindowAt(dialog, 222, 104) & 0xFF, underShadow & 0xFF);
  EXPECT_EQ(WindowAt(dialog, 180, 125), 0x3060C0u);
  uint32_t black = 0;
  for (int32_t y = 26; y < 48; ++y) {
    for (int32_t x = 28; x < 120; ++x) black += WindowAt(dialog, x, y) == 0;
  }
  EXPECT_GT(black, 20u);
}

// ---- redraw failures

class DrawFailureTest : public HoCanvasTest {
 protected:
  void TearDown() override {
    canvas.reset();
    HoCanvasTest::TearDown();
  }
  void FailAt(int64_t tick, bool memory) {
    platform::UseVirtualClock(tick * 50 / 3 + 1);
    if (memory) {
      canvas->GetRoot()->FreeRenderImage();
      platform::FailNextAllocations(1);
    }
    EXPECT_TRUE(canvas->Redraw(nullptr));
    platform::FailAllocationsAfter(0, 0);
    EXPECT_TRUE(canvas->GetRoot()->IsDirty());
  }
  std::unique_ptr<CHoCanvas> canvas;
};

TEST_F(DrawFailureTest, FailuresAreReportedOncePerThreeSeconds) {
  canvas = NewCanvas();
  canvas->GetRoot()->UseRenderImage(false);
  FailAt(10, true);
  EXPECT_EQ(errors, std::vector<int32_t>{kErrCanvasNoMemory});
  errors.clear();
  for (int64_t tick : {1000, 1100, 1280, 1380}) FailAt(tick, true);
  EXPECT_EQ(errors, (std::vector<int32_t>{kErrCanvasNoMemory, kErrCanvasNoMemory}));
  EXPECT_TRUE(canvas->Redraw(nullptr));
  EXPECT_FALSE(canvas->GetRoot()->IsDirty());
}

TEST_F(DrawFailureTest, AFailureOtherThanMemoryIsAnUpdateFailure) {
  canvas = NewCanvas();
  canvas->GetRoot()->SetDrawCallback(&FailDrawing);
  canvas->GetRoot()->UseRenderImage(false);
  FailAt(10, false);
  EXPECT_EQ(errors, std::vector<int32_t>{kErrCanvasUpdate});
}

TEST_F(HoCanvasTest, MoveResizeLaysTheRootOutAgainAndMarksItDirty) {
  auto canvas = NewCanvas();
  ASSERT_TRUE(canvas->Redraw(nullptr));
  ASSERT_FALSE(canvas->GetRoot()->IsDirty());
  EXPECT_TRUE(canvas->MoveResize({300, 200}, false));
  EXPECT_EQ(canvas->GetBounds(), (SRect{0, 0, 200, 300}));
  EXPECT_EQ(canvas->GetRoot()->GetRect(), (SRect{0, 0, 200, 300}));
  EXPECT_TRUE(canvas->GetRoot()->IsDirty());
}

}  // namespace
