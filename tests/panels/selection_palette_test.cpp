// The selection palette built from the build's selectionpalette.dat beside a stand-in document
// window: selection by kind, by family, step by step and by the options menu, solo and image mode,
// the step option in the preferences, and the fade of its tools while the pointer is away.
#include <filesystem>
#include <fstream>
#include <memory>

#include "document/prefs_file.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/menu.h"
#include "panels/display_palette.h"
#include "panels/edit_family.h"
#include "panels/layout_needs.h"
#include "panels/selection_palette.h"
#include "scene/cube.h"
#include "tests/panels/panels_fixture.h"

namespace {

constexpr SPointHV kPaletteAt{300, 400};
constexpr SPointHV kDisplayAt{900, 100};

class SelectionPaletteTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    Make();
  }
  void TearDown() override {
    palette.reset();
    display.reset();
    PanelsTest::TearDown();
  }

  void Make() {
    palette.reset();
    display.reset();
    display = Built<CDisplayPalette>("displaypalette.dat", kDisplayAt);
    palette = Built<CSelectionPalette>("selectionpalette.dat", kPaletteAt);
    palette->SetOwner(&window);
    palette->SetDisplayPalette(display.get());
  }
  CUIMessage Named(const char* element) {
    CUIMessage message;
    message.Init(0, element, nullptr, need::kSelectionPalette.name, CUIMessage::kBroadcast);
    message.firstPoint = {60, 20};
    return message;
  }
  int32_t Send(const char* element) {
    CUIMessage message = Named(element);
    return palette->HandleEvent(&message);
  }
  // The button's message with row `row` of its pop-up chosen.
  void Choose(const char* button, uint32_t row) {
    CUIMessage message = Named(button);
    ChooseRow(*palette, message, row);
  }
  void Press(CElement* element, SPointHV local, SPointHV release) {
    const SPointHV at = OnScreen(element, local), up = OnScreen(element, release);
    Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\nwait 50\nmove " +
           std::to_string(up.h) + " " + std::to_string(up.v) + "\nwait 30\nup left\n");
  }
  void WatchAt(SPointHV screen) {
    SetCursorPosition(screen.h, screen.v);
    Beat(&CSelectionPalette::WatchPointer, palette.get());
  }
  SPointHV Away() const { return {kPaletteAt.h + 200, kPaletteAt.v - 150}; }
  // The objects of these families, in the window's object list.
  std::vector<C3dBase*> OfFamilies(std::initializer_list<uint32_t> families) {
    std::vector<C3dBase*> things;
    for (uint32_t family : families) {
      C3dSphere* sphere = NewSphere();
      sphere->SetCreationWord(0, family);
      things.push_back(sphere);
    }
    SetObjectList(things);
    return things;
  }
  std::vector<std::pair<std::string, uint32_t>> FamilyRows() {
    std::vector<std::pair<std::string, uint32_t>> rows;
    CMenu* menu = palette->GetFamiliesMenu();
    CHolder holder(menu, false, false);
    for (uint32_t i = 0; holder.IsLocked() && i < menu->GetCount(); ++i)
      rows.emplace_back((*menu)[i].text, (*menu)[i].command);
    return rows;
  }
  static void WritePrefs(int32_t restore, uint8_t step) {
    std::vector<char> block(CPrefsFile::kBlockBytes, 0);
    std::memcpy(block.data(), &restore, sizeof restore);
    block[CSelectionPalette::kStepOptionOffset] = char(step);
    std::ofstream(CPrefsFile::kFileName, std::ios::binary).write(block.data(), std::streamsize(block.size()));
  }
  static int StoredStep() {
    std::ifstream in(CPrefsFile::kFileName, std::ios::binary);
    in.seekg(CSelectionPalette::kStepOptionOffset);
    return in.get();
  }

  std::unique_ptr<CDisplayPalette> display;
  std::unique_ptr<CSelectionPalette> palette;
};

TEST_F(SelectionPaletteTest, EveryKindButtonSelectsItsKindOrLightClass) {
  const char* expected[need::kSelectionKindCount] = {
      "kind plne",  "kind hfld",  "kind tmsh",  "kind symh",  "kind sphr",  "kind toru",
      "kind cylr",  "kind cube",  "kind pyra",  "kind cone",  "kind circ",  "kind sqre",
      "light sphr", "light cone", "light pyrm", "light cube", "kind grou",
  };
  for (uint32_t i = 0; i < need::kSelectionKindCount; ++i) {
    window.calls.clear();
    EXPECT_EQ(Send(need::kSelectionKinds[i].name), kHandled) << i;
    EXPECT_EQ(window.calls, std::vector<std::string>{expected[i]}) << i;
  }
}

// A kind button is lit while pressed, and selects wherever it is let go.
TEST_F(SelectionPaletteTest, AKindButtonReleasedOutsideStillSelects) {
  CImElement* spheres = FindImage(*palette, "sel spheres");
  CDrawRecorder drawn(spheres, &CDrawRecorder::Opacity);
  Press(spheres, {5, 5}, {200, 200});
  EXPECT_EQ(drawn.Values(), (std::vector<int64_t>{100, 0}));
  EXPECT_EQ(window.calls, std::vector<std::string>{"kind sphr"});
}

TEST_F(SelectionPaletteTest, HoverHalfLightsAButtonAndPostsItsTip) {
  CImElement* cubes = FindImage(*palette, "sel cubes");
  CDrawRecorder drawn(cubes, &CDrawRecorder::Opacity);
  WatchAt(OnScreen(cubes, {5, 5}));
  EXPECT_EQ(palette->GetHotElement(), cubes);
  EXPECT_EQ(drawn.Values(), (std::vector<int64_t>{50}));
  EXPECT_EQ(cubes->GetOpacity(), 0.0f) << "its own opacity kept";
  EXPECT_EQ(Sent(kTipKind), (std::vector<SSentMessage>{{kTipKind, 1, "Cubes", "Selects the cubes", "", 0}}));
  WatchAt(Away());
  EXPECT_EQ(palette->GetHotElement(), nullptr);
  EXPECT_EQ(Sent(kTipKind).back(), (SSentMessage{kTipKind, 1, "", "", "", 0}));
}

// Without the step option next and previous go kind by kind, lighting the kind's button; with it,
// object by object. The view is redrawn and the window told of the step.
TEST_F(SelectionPaletteTest, StepsGoByKindOrByObject) {
  C3dCube* cube = MakeShape<C3dCube>(table);
  SetObjectList({cube});
  {
    CDrawRecorder drawn(FindImage(*palette, "sel cubes"), &CDrawRecorder::Opacity);
    EXPECT_EQ(Send("sel next object"), kHandled);
    EXPECT_EQ(Listed(), std::vector<C3dObject*>{cube});
    EXPECT_EQ(drawn.Values(), (std::vector<int64_t>{100, 0})) << "the cubes' button flashed";
  }
  EXPECT_EQ(palette->FlashKindButton(FourCC("cyln"), FourCC("lght")), kErrGeneric) << "no button for it";
  C3dSphere* first = NewSphere();
  C3dSphere* second = NewSphere();
  SetObjectList({first, cube, second});
  palette->SetStepOption(true);
  Selection().DeselectAll(1);
  Selection().Add(first, 1, 0);
  window.calls.clear();
  EXPECT_EQ(Send("sel next object"), kHandled);
  EXPECT_EQ(Listed(), std::vector<C3dObject*>{cube});
  EXPECT_EQ(window.calls, (std::vector<std::string>{"invalidate view", "drag step 2"}));
  EXPECT_EQ(Send("sel last object"), kHandled);
  EXPECT_EQ(Listed(), std::vector<C3dObject*>{second});
  palette->SetStepOption(false);
  EXPECT_EQ(Send("sel first object"), kHandled);
  EXPECT_EQ(Listed(), std::vector<C3dObject*>{first}) << "the first of the kind last taken";
}

TEST_F(SelectionPaletteTest, TheFamiliesMenuListsTheSceneFamiliesInOrderAndSelectsOne) {
  CEditFamily::InitFamilyTable(DataFile("editfamily.dat"));
  OfFamilies({5, 99, 5, 2});
  ASSERT_EQ(palette->FillFamiliesMenu(), 0);
  EXPECT_EQ(FamilyRows(), (std::vector<std::pair<std::string, uint32_t>>{
                              {"Family 5", 5}, {"Default family", 0}, {"Family 2", 2}}));
  Choose("sel families", 3);
  EXPECT_EQ(window.calls.back(), "family 2");
  OfFamilies({0, 0});
  ASSERT_EQ(palette->FillFamiliesMenu(), 0);
  EXPECT_EQ(FamilyRows().size(), 1u);
  host.list = nullptr;
  EXPECT_EQ(palette->FillFamiliesMenu(), kErrOutOfMemory);
}

TEST_F(SelectionPaletteTest, TheOptionsMenuTogglesTheStepOptionAndSelects) {
  Choose("sel pal options", 1);
  EXPECT_TRUE(palette->GetStepOption());
  Choose("sel pal options", 1);
  EXPECT_FALSE(palette->GetStepOption());
  window.calls.clear();
  Choose("sel pal options", 3);
  Choose("sel pal options", 4);
  Choose("sel pal options", 5);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"select all", "invert", "meshes"}));
}

// The step option comes from byte 72 when the preferences restore the interface, else the palette's
// goes there; the palette's going writes it; no file, no writing.
TEST_F(SelectionPaletteTest, TheStepOptionIsKeptInThePreferences) {
  palette.reset();
  WritePrefs(1, 1);
  Make();
  EXPECT_TRUE(palette->GetStepOption());
  palette.reset();
  WritePrefs(0, 1);
  Make();
  EXPECT_FALSE(palette->GetStepOption());
  EXPECT_EQ(StoredStep(), 0);
  palette->SetStepOption(true);
  palette.reset();
  EXPECT_EQ(StoredStep(), 1);
  std::filesystem::remove(CPrefsFile::kFileName);
  Make();
  palette->SetStepOption(true);
  palette.reset();
  EXPECT_FALSE(std::filesystem::exists(CPrefsFile::kFileName));
}

TEST_F(SelectionPaletteTest, SoloModeLightsItsButtonAndTogglesTheWindowsSolo) {
  CImElement* solo = FindImage(*palette, need::kSoloMode.name);
  EXPECT_EQ(Send(need::kSoloMode.name), kHandled);
  EXPECT_EQ(solo->GetOpacity(), 1.0f);
  EXPECT_EQ(Send(need::kSoloMode.name), kHandled);
  EXPECT_EQ(solo->GetOpacity(), 0.0f);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"solo", "end solo"}));
}

// 2 → 1 sets the backdrop; 1 → 0 clears it and shows the rendered image; 0 → 2 goes back to the
// wireframe. The button follows the window's mode word.
TEST_F(SelectionPaletteTest, ImageModeCyclesTheWindowsImagesAndFollowsItsMode) {
  CImElement* mode = palette->GetImageMode();
  ASSERT_EQ(mode->GetUserWord(0), 2u);
  struct SStep {
    uint32_t state;
    uint32_t windowMode;
    std::vector<std::string> calls;
  } steps[] = {
      {1, CDocumentHost::kWireframeShown | CDocumentHost::kRenderedBackdrop, {"invalidate"}},
      {0, CDocumentHost::kRenderedShown, {"toggle"}},
      {2, CDocumentHost::kWireframeShown, {"toggle", "invalidate"}},
  };
  for (const SStep& step : steps) {
    window.calls.clear();
    Press(mode, {10, 10}, {10, 10});
    EXPECT_EQ(mode->GetUserWord(0), step.state);
    EXPECT_EQ(mode->GetImageList()->Selected(), step.state);
    EXPECT_EQ(window.mode, step.windowMode) << step.state;
    EXPECT_EQ(window.calls, step.calls) << step.state;
  }
  struct SMode {
    uint32_t windowMode;
    uint32_t state;
  } modes[] = {{CDocumentHost::kRenderedShown | CDocumentHost::kRenderedBackdrop, 0},
               {CDocumentHost::kWireframeShown | CDocumentHost::kRenderedBackdrop, 1},
               {CDocumentHost::kWireframeShown, 2}};
  for (const SMode& m : modes) {
    window.mode = m.windowMode;
    EXPECT_EQ(palette->UpdateSelectionPaletteMode(), 0);
    EXPECT_EQ(mode->GetUserWord(0), m.state) << m.windowMode;
  }
}

// Two seconds after the pointer left, the tools go and the palette fades into its background, a
// step at most every third tick; the tools come back where the pointer returns.
TEST_F(SelectionPaletteTest, TheToolsFadeWhileThePointerIsAwayAndComeBackWhereItReturns) {
  CElement* tools = Find(*palette, need::kSelectionTools.name);
  CElement* top = Find(*display, need::kDisplayTop.name);
  CElement* bottom = Find(*display, need::kDisplayBottom.name);
  CImElement* background = FindImage(*palette, need::kSelectionBackground.name);
  WatchAt(OnScreen(tools, {3, 3}));
  EXPECT_EQ(palette->GetFadeLevel(), 0);
  EXPECT_EQ(top->GetUserWord(1), 1u);
  ExpectFade([&] { WatchAt(Away()); }, [&] { return palette->GetFadeLevel(); }, background);
  EXPECT_EQ(top->GetUserWord(1), 0u);
  for (const SLayoutNeed* hidden : {&need::kSelectionTools, &need::kSelectionObjectsBackground, &need::kImageMode,
                                    &need::kSelectionLeft, &need::kSelectionRight, &need::kSoloMode})
    EXPECT_FALSE(Find(*palette, hidden->name)->IsShown()) << hidden->name;
  EXPECT_EQ(top->GetUserWord(0), 1u);
  EXPECT_EQ(bottom->GetUserWord(0), 1u);
  EXPECT_TRUE(background->IsShown());
  // Back over the tools.
  WatchAt(OnScreen(tools, {3, 3}));
  EXPECT_EQ(palette->GetFadeLevel(), 0);
  for (const SLayoutNeed* shown : {&need::kSelectionTools, &need::kSoloMode, &need::kSelectionLeft,
                                   &need::kSelectionRight})
    EXPECT_TRUE(Find(*palette, shown->name)->IsShown()) << shown->name;
  EXPECT_FALSE(background->IsShown());
  EXPECT_EQ(top->GetUserWord(0), 0u);
  EXPECT_EQ(bottom->GetUserWord(0), 0u);
}

// While "sel left" holds the fade (its word 1), nothing fades however long the pointer is away.
TEST_F(SelectionPaletteTest, TheLeftArrowsWordHoldsTheFade) {
  CElement* tools = Find(*palette, need::kSelectionTools.name);
  WatchAt(OnScreen(tools, {3, 3}));
  Find(*palette, need::kSelectionLeft.name)->SetUserWord(1, 1);
  for (int beat = 0; beat < 40; ++beat) {
    WatchAt(Away());
    platform::AdvanceVirtualClock(100);
  }
  EXPECT_EQ(palette->GetFadeLevel(), 0);
  EXPECT_TRUE(tools->IsShown());
}

}  // namespace
