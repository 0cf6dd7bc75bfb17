// The edit palette built from the build's editpalette.dat beside a stand-in document window: the
// "align" buttons and their table of modes, the plain button press, the option menus chosen through
// the headless pop-up, the conversion hand-over, and the tips of its pointer watch.
#include <memory>

#include "editing/convert.h"
#include "framework/core/result_codes.h"
#include "framework/ui/canvas.h"
#include "framework/ui/glow_step.h"
#include "panels/edit_palette.h"
#include "panels/layout_needs.h"
#include "scene/cube.h"
#include "tests/panels/panels_fixture.h"

namespace {

constexpr SPointHV kPaletteAt{300, 200};

class EditPaletteTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    palette = Built<CEditPalette>("editpalette.dat", kPaletteAt);
    palette->SetOwner(&window);
  }
  void TearDown() override {
    SetConversionFactoryProbe(nullptr);
    palette.reset();
    PanelsTest::TearDown();
  }

  static CUIMessage Named(const char* element, const char* canvas = need::kEditPalette.name) {
    CUIMessage message;
    message.Init(0, element, nullptr, canvas, 0);
    message.firstPoint = {40, 30};
    return message;
  }
  // The option button's message with row `row` of its pop-up chosen (0: clicked beside the menu);
  // the messages broadcast meanwhile.
  std::vector<SSentMessage> Choose(const char* option, uint32_t row) {
    CUIMessage message = Named(option);
    return ChooseRow(*palette, message, row);
  }
  void Press(CElement* element, SPointHV local, const std::string& during, SPointHV release) {
    const SPointHV at = OnScreen(element, local), up = OnScreen(element, release);
    Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\n" + during + "wait 30\nmove " +
           std::to_string(up.h) + " " + std::to_string(up.v) + "\nwait 30\nup left\n");
  }
  void HoverAt(CElement* element, SPointHV local) {
    const SPointHV at = OnScreen(element, local);
    SetCursorPosition(at.h, at.v);
    Beat(&CEditPalette::WatchPointer, palette.get());
  }
  // A point of the zone in the button's zone map.
  static SPointHV ZonePoint(CElement* button, uint32_t zone) {
    const SRect& rect = button->GetRect();
    for (int32_t y = 0; y < RectHeight(rect); ++y) {
      for (int32_t x = 0; x < RectWidth(rect); ++x) {
        if (CEditPalette::ZoneAt(button, {x, y}) == zone) return {x + 2, y + 2};
      }
    }
    ADD_FAILURE() << "no zone " << zone;
    return {};
  }

  std::unique_ptr<CEditPalette> palette;
};

TEST_F(EditPaletteTest, TheAlignButtonsTakeTheirAxisCursorsAndModes) {
  struct SCase {
    const char* name;
    uint32_t cursor;
    int32_t mode;
  } cases[] = {
      {"align all", 0, 9},        {"align x center", 114, 1}, {"align x left", 114, 0}, {"align x right", 114, 2},
      {"align y center", 111, 4}, {"align y top", 111, 5},    {"align y bottom", 111, 3}, {"align z center", 123, 7},
      {"align z front", 123, 8},  {"align z back", 123, 6},
  };
  for (const SCase& c : cases) {
    EXPECT_EQ(Find(*palette, std::string("align|") + c.name)->GetUserWord(1), c.cursor) << c.name;
    window.calls.clear();
    CUIMessage message = Named(c.name);
    EXPECT_EQ(palette->HandleEvent(&message), kHandled) << c.name;
    EXPECT_EQ(window.calls, std::vector<std::string>{"align " + std::to_string(c.mode)}) << c.name;
  }
  window.alignResult = kErrOutOfMemory;
  CUIMessage message = Named("align all");
  EXPECT_EQ(palette->HandleEvent(&message), kErrOutOfMemory);
}

TEST_F(EditPaletteTest, TheEditTabShowsTheHiddenPaletteWhichTakesNothingElse) {
  palette->Hide();
  CUIMessage align = Named("align x left");
  EXPECT_EQ(palette->HandleEvent(&align), 0);
  CUIMessage tab = Named(need::kEditEditText.name, "create palette");
  EXPECT_EQ(palette->HandleEvent(&tab), kHandled);
  EXPECT_TRUE(palette->IsShown());
  EXPECT_EQ(window.calls, std::vector<std::string>{"invalidate"});
}

// Pressed, a button shows entry 1 while the pointer is over it (its left column and top row count)
// and entry 0 away from it; its message goes when it is let go over it.
TEST_F(EditPaletteTest, APlainButtonSendsItsMessageOnlyWhenReleasedOverIt) {
  CElement* left = Find(*palette, "align|align x left");
  struct SCase {
    SPointHV release;
    bool sent;
  } cases[] = {{{9, 9}, true}, {{0, 5}, true}, {{5, 0}, true}, {{18, 5}, false}, {{5, -1}, false}};
  for (const SCase& c : cases) {
    CDrawRecorder drawn(left, &CDrawRecorder::Entry);
    window.calls.clear();
    sent.clear();
    palette->GetTracker().SetPulse(40, 20);
    Press(left, {9, 9}, "wait 30\nrmove 40 0\nwait 30\nrmove -40 0\n", c.release);
    EXPECT_EQ(drawn.Values(), (std::vector<int64_t>{1, 0, 1, 0})) << "in, out, in, let go";
    EXPECT_EQ(palette->GetTracker().GetLevel(), 255);
    EXPECT_EQ(palette->GetTracker().GetStep(), -20);
    EXPECT_EQ(Sent(0).size(), c.sent ? 1u : 0u) << c.release.h << "," << c.release.v;
    EXPECT_EQ(window.calls, c.sent ? std::vector<std::string>{"align 0"} : std::vector<std::string>{});
  }
}

TEST_F(EditPaletteTest, TheMaterialsAndAlignMenusSendTheirChoices) {
  EXPECT_EQ(Choose("materials options", 1),
            (std::vector<SSentMessage>{{0, 1, "edit 2d picture", "", "edit palette", 0}}));
  EXPECT_EQ(Choose("materials options", 2),
            (std::vector<SSentMessage>{{0, 1, "edit 3d texture", "", "edit palette", 0}}));
  EXPECT_EQ(Choose("align options", 1),
            (std::vector<SSentMessage>{{0, 1, "align options", "", "doc window", int32_t(FourCC("grnd"))}}));
  EXPECT_TRUE(Choose("align options", 0).empty());
}

// The edit space rows: the current one is checked and sends nothing again; another goes as "edit
// space" with its row. '3dtr' opens the 3D transformation in the menu's mode.
TEST_F(EditPaletteTest, TheTransformMenusCheckTheEditSpaceAndOpenTheTransformation) {
  struct SCase {
    int32_t space;
    uint32_t checked;
  } cases[] = {{0, 2}, {1, 1}, {2, 3}};
  for (const SCase& c : cases) {
    window.editSpace = c.space;
    EXPECT_TRUE(Choose("resize options", c.checked).empty()) << c.space;
    const uint32_t other = c.checked == 1 ? 3 : 1;
    EXPECT_EQ(Choose("rotate options", other),
              (std::vector<SSentMessage>{{0, 1, "edit space", "", "doc window", int32_t(other)}}))
        << c.space;
  }
  const char* options[] = {"resize options", "rotate options", "reposition options"};
  for (int32_t mode = 0; mode < 3; ++mode) {
    EXPECT_EQ(Choose(options[mode], 5),
              (std::vector<SSentMessage>{{0, 1, "3d transformation", "", "edit palette", mode}}))
        << mode;
  }
  EXPECT_EQ(Choose("resize options", 7),
            (std::vector<SSentMessage>{{0, 1, "resize options", "", "doc window", int32_t(FourCC("uscl"))}}));
}

TEST_F(EditPaletteTest, TheRandomizeMenuSetsTheButtonsMode) {
  CImElement* randomize = palette->GetRandomizeButton();
  randomize->SetUserWord(0, 3);
  EXPECT_TRUE(Choose("randomize options", 4).empty());
  EXPECT_EQ(Choose("randomize options", 6),
            (std::vector<SSentMessage>{{0, 1, "doc window", "", "edit palette", int32_t(FourCC("rnd5"))}}));
  EXPECT_EQ(randomize->GetUserWord(0), 5u);
  EXPECT_EQ(randomize->GetImageList()->Selected(), 5u);
}

// A conversion's failure is told; the message goes on through the palette's handler.
TEST_F(EditPaletteTest, TheConvertListConvertsAndAFailureIsTold) {
  C3dSphere* sphere = NewSphere();
  SetObjectList({sphere});
  Selection().Add(sphere, 0, 1);
  CUIMessage message = Named("convert to cube");
  message.windowName = need::kConvertList.name;
  const size_t boxes = platform::headless::ShownBoxes().size();
  SetConversionFactoryProbe([](uint32_t, uint32_t) -> int32_t { return kErrFailedCreation; });
  EXPECT_EQ(palette->HandleEvent(&message), 0);
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes + 1);
  EXPECT_EQ(Selection().GetObject(0), sphere);
  SetConversionFactoryProbe(nullptr);
  EXPECT_EQ(palette->HandleEvent(&message), 0);
  ASSERT_EQ(Selection().GetCount(), 1u);
  EXPECT_EQ(Selection().GetObject(0)->GetClass(), C3dCube::kClassTag);
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes + 1);
}

TEST_F(EditPaletteTest, ANewlyHotButtonOrANewStatePostsItsTip) {
  HoverAt(Find(*palette, "align|align all"), {9, 9});
  EXPECT_EQ(Sent(kTipKind), (std::vector<SSentMessage>{{kTipKind, 1, "Align", "Centres together in x, y and z", "", 0}}));
  CElement* resize = Find(*palette, need::kEditResize.name);
  sent.clear();
  HoverAt(resize, ZonePoint(resize, 2));
  EXPECT_EQ(Sent(kTipKind), (std::vector<SSentMessage>{{kTipKind, 1, "Resize", "Resize along x", "", 0}}));
  sent.clear();
  HoverAt(resize, ZonePoint(resize, 4));
  EXPECT_EQ(Sent(kTipKind), (std::vector<SSentMessage>{{kTipKind, 1, "Resize", "Resize along z", "", 0}}));
  sent.clear();
  HoverAt(resize, ZonePoint(resize, 4));
  EXPECT_TRUE(sent.empty());
  CElement* back = Find(*palette, "align|align z back");
  back->SetName("no tip here");
  HoverAt(back, {9, 9});
  EXPECT_EQ(palette->GetTracker().GetHotButton(), back);
  EXPECT_TRUE(Sent(kTipKind).empty());
}

// Leaving the palette: the zone buttons stand in their normal state again, the randomize button keeps
// its mode.
TEST_F(EditPaletteTest, LeavingThePaletteKeepsTheRandomizeMode) {
  CImElement* randomize = palette->GetRandomizeButton();
  randomize->SetUserWord(0, 6);
  HoverAt(randomize, {20, 20});
  ASSERT_EQ(palette->GetTracker().GetHotButton(), randomize);
  SetCursorPosition(kPaletteAt.h - 30, kPaletteAt.v - 30);
  Beat(&CEditPalette::WatchPointer, palette.get());
  EXPECT_EQ(palette->GetTracker().GetHotButton(), nullptr);
  EXPECT_EQ(randomize->GetUserWord(0), 6u);
  CElement* resize = Find(*palette, need::kEditResize.name);
  HoverAt(resize, ZonePoint(resize, 3));
  ASSERT_EQ(resize->GetUserWord(0), 3u);
  SetCursorPosition(kPaletteAt.h - 30, kPaletteAt.v - 30);
  Beat(&CEditPalette::WatchPointer, palette.get());
  EXPECT_EQ(resize->GetUserWord(0), 0u);
  EXPECT_EQ(Sent(kTipKind).back(), (SSentMessage{kTipKind, 1, "", "", "", 0}));
}

}  // namespace
