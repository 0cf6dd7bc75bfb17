// The create palette built from the build's createpalette.dat: its items' press and glow, its tabs and
// plop-ups, and its pointer watch with the tips it broadcasts.
#include <memory>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/glow_step.h"
#include "framework/ui/layout_host_canvas.h"
#include "panels/create_palette.h"
#include "panels/layout_needs.h"
#include "tests/panels/panels_fixture.h"

namespace {

constexpr SPointHV kPaletteAt{300, 200};

class CreatePaletteTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    palette = Built<CCreatePalette>("createpalette.dat", kPaletteAt);
    palette->SetOwner(&window);
    sphere = FindImage(*palette, "sphere");
    ASSERT_NE(sphere, nullptr);
  }
  void TearDown() override {
    palette.reset();
    PanelsTest::TearDown();
  }

  void Press(CElement* element, SPointHV local, const std::string& during = "wait 50\n") {
    const SPointHV at = OnScreen(element, local);
    Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\n" + during + "up left\n");
  }
  // The pointer put on the element's point, then one beat of the watch.
  void HoverAt(CElement* element, SPointHV local) {
    const SPointHV at = OnScreen(element, local);
    SetCursorPosition(at.h, at.v);
    Watch();
  }
  void Watch() { Beat(&CCreatePalette::WatchPointer, palette.get()); }
  CGlowTracker& Tracker() { return palette->GetTracker(); }
  static uint32_t PixelOf(CImage* image, uint32_t x, uint32_t y) {
    CImNavigator pixels(image, nullptr, false, false);
    return pixels.IsUsable() ? pixels.Cells(y)[x].value : 0;
  }

  std::unique_ptr<CCreatePalette> palette;
  CImElement* sphere = nullptr;
};

TEST_F(CreatePaletteTest, AnItemShowsItsPressedFrameUntilReleasedAnywhereThenBroadcastsItsName) {
  ASSERT_EQ(sphere->GetImageList()->Count(), 3u);
  CDrawRecorder drawn(sphere, &CDrawRecorder::Entry);
  Tracker().SetPulse(40, 20);
  Press(sphere, {10, 10}, "wait 30\nrmove 200 300\nwait 30\n");
  EXPECT_EQ(drawn.Values(), (std::vector<int64_t>{2, 0}));
  EXPECT_EQ(Tracker().GetLevel(), 255);
  EXPECT_EQ(Tracker().GetStep(), -20);
  EXPECT_EQ(Sent(0), (std::vector<SSentMessage>{{0, 1, "sphere", "", "create palette", 0}}));
}

// An item whose list holds two pictures shows the second while pressed.
TEST_F(CreatePaletteTest, AnItemOfTwoFramesShowsFrameOneWhilePressed) {
  CResourceEnv* edit = DataFile("editpalette.dat");
  ASSERT_EQ(sphere->SetImageListByName(edit, need::kEditAlignButtons[0].name, 0, true), 0);
  ASSERT_EQ(sphere->GetImageList()->Count(), 2u);
  CDrawRecorder drawn(sphere, &CDrawRecorder::Entry);
  Press(sphere, {10, 10});
  EXPECT_EQ(drawn.Values(), (std::vector<int64_t>{1, 0}));
}

TEST_F(CreatePaletteTest, APlopUpIsHalfLitWhileItsMessageGoesThenKeepsItsLevel) {
  CImElement* plopUp = FindImage(*palette, need::kCreatePlopUps[need::kCreateTab].name);
  ASSERT_NE(plopUp, nullptr);
  ASSERT_EQ(plopUp->SetOpacity(0.75f, false), 0);
  float during = 0;
  onSent = [&](const CUIMessage&) { during = plopUp->GetOpacity(); };
  CElement* handled = nullptr;
  EXPECT_EQ(CCreatePalette::PressPlopUp(plopUp, &handled, {2, 2}, nullptr), 0);
  EXPECT_EQ(handled, plopUp);
  EXPECT_EQ(during, 0.5f);
  EXPECT_EQ(plopUp->GetOpacity(), 0.75f);
  EXPECT_EQ(Sent(0), (std::vector<SSentMessage>{{0, 1, "create plopup", "", "create palette", 0}}));
}

// "create text" brings the palette back; the other tabs stand unlit.
TEST_F(CreatePaletteTest, TheCreateTabShowsThePaletteAndTheOtherTabsStandUnlit) {
  for (uint32_t tab : {need::kEditTab, need::kSkyFogTab})
    EXPECT_EQ(FindImage(*palette, need::kCreateTabs[tab].name)->GetOpacity(), 0.0f) << tab;
  palette->Hide();
  CUIMessage other;
  other.Init(0, "sphere", nullptr, nullptr, 0);
  EXPECT_EQ(palette->HandleEvent(&other), 0) << "hidden";
  CUIMessage tab;
  tab.Init(0, need::kCreateTabs[need::kCreateTab].name, nullptr, nullptr, CUIMessage::kBroadcast);
  EXPECT_EQ(palette->HandleEvent(&tab), kHandled);
  EXPECT_TRUE(palette->IsShown());
  EXPECT_EQ(window.calls, std::vector<std::string>{"invalidate"});
}

// The glow of a newly hot item starts at 160 and steps once; after a second of hovering it steps at
// most every third tick, down to 0, up to 256 and down again.
TEST_F(CreatePaletteTest, TheGlowOfAHotItemPulsesOnTheVirtualClock) {
  const int64_t entered = platform::NowTicks();
  ASSERT_EQ(CCreatePalette::TrackItem(sphere, {10, 10}), kHandled);
  std::vector<int32_t> levels{Tracker().GetLevel()};
  std::vector<int64_t> steppedAt;
  int32_t step = Tracker().GetStep();
  for (int call = 0; call < 900; ++call) {
    platform::AdvanceVirtualClock(17);
    ASSERT_EQ(CCreatePalette::TrackItem(sphere, {10, 10}), kHandled);
    if (Tracker().GetLevel() == levels.back() && Tracker().GetStep() == step) continue;
    step = Tracker().GetStep();
    levels.push_back(Tracker().GetLevel());
    steppedAt.push_back(platform::NowTicks() - entered);
  }
  const std::vector<int32_t> expected = {140, 120, 100, 80, 60, 40, 20, 0, 0, 20, 40, 60, 80, 100, 120, 140, 160,
                                         180, 200, 220, 240, 256, 236, 216};
  ASSERT_GE(levels.size(), expected.size());
  EXPECT_EQ(std::vector<int32_t>(levels.begin(), levels.begin() + long(expected.size())), expected);
  EXPECT_GT(steppedAt.front(), 60);
  for (size_t i = 1; i < steppedAt.size(); ++i) EXPECT_GT(steppedAt[i] - steppedAt[i - 1], 2) << i;
  // The picture shown: frame 0 with frame 1's colour blended in by the level, frame 0's alpha kept.
  CImage* normal = sphere->GetImageList()->ImageAt(0);
  CImage* glow = sphere->GetImageList()->ImageAt(1);
  const int32_t level = Tracker().GetLevel();
  for (uint32_t at : {4u, 14u}) {
    const uint32_t f0 = PixelOf(normal, at, at), f1 = PixelOf(glow, at, at), shown = PixelOf(sphere->GetImage(), at, at);
    EXPECT_EQ(shown >> 24, f0 >> 24) << at;
    for (uint32_t shift : {0u, 8u, 16u}) {
      const int32_t a = int32_t((f0 >> shift) & 0xFF), b = int32_t((f1 >> shift) & 0xFF);
      EXPECT_NEAR(int32_t((shown >> shift) & 0xFF), a + (b - a) * level / 256, 1) << at << " " << shift;
    }
  }
}

TEST_F(CreatePaletteTest, ThePointerOnAnItemBroadcastsItsTipOnceAndLeavingClearsIt) {
  HoverAt(sphere, {10, 10});
  EXPECT_EQ(Tracker().GetHotButton(), sphere);
  HoverAt(sphere, {12, 12});
  EXPECT_EQ(Sent(kTipKind), (std::vector<SSentMessage>{{kTipKind, 1, "Sphere", "Adds a sphere", "", 0}}));
  // An item without a tip list: the hot item changes, no tip goes.
  CImElement* cube = FindImage(*palette, "cube");
  cube->SetName("no tip here");
  HoverAt(cube, {10, 10});
  EXPECT_EQ(Tracker().GetHotButton(), cube);
  EXPECT_EQ(Sent(kTipKind).size(), 1u);
  SetAppCursor(114, true);
  SetCursorPosition(kPaletteAt.h - 40, kPaletteAt.v - 40);
  Watch();
  EXPECT_EQ(Tracker().GetHotButton(), nullptr);
  ASSERT_EQ(Sent(kTipKind).size(), 2u);
  EXPECT_EQ(Sent(kTipKind).back(), (SSentMessage{kTipKind, 1, "", "", "", 0}));
  EXPECT_EQ(Cursor(), "arrow");
}

// Space held, a dialog in front or another window over the palette: the tips stay as they were.
TEST_F(CreatePaletteTest, SpaceADialogInFrontOrACoveringWindowChangeNoTip) {
  Script("key 32\n");
  HoverAt(sphere, {10, 10});
  EXPECT_EQ(Cursor(), "shape 108");
  EXPECT_TRUE(Sent(kTipKind).empty());
  Script("keyup 32\n");
  owner->RaiseModalLevel();
  HoverAt(sphere, {10, 10});
  EXPECT_EQ(Tracker().GetHotButton(), nullptr);
  owner->LowerModalLevel();
  CLayoutHostCanvas cover(owner, DataFile("editfamily.dat"), CUIHostCanvas::kDialogStyle, need::kEditFamily);
  ASSERT_EQ(cover.BuildOnce(), 0);
  cover.MoveTo(OnScreen(sphere, {0, 0}));
  cover.Show();
  HoverAt(sphere, {10, 10});
  EXPECT_EQ(Tracker().GetHotButton(), nullptr);
  EXPECT_TRUE(Sent(kTipKind).empty());
}

}  // namespace
