// The display palette built from the build's displaypalette.dat beside a stand-in document window and
// the selection palette: its build and messages, the background and resolution menus, the keys, the
// depth cue drag, its preferences, and the fade of its tools while the pointer is away.
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "document/prefs_file.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "framework/ui/canvas.h"
#include "framework/ui/scrolling_menu.h"
#include "panels/color_picker.h"
#include "panels/display_palette.h"
#include "panels/layout_needs.h"
#include "panels/selection_palette.h"
#include "platform/file.h"
#include "tests/panels/panels_fixture.h"

namespace {

constexpr SPointHV kDisplayAt{500, 100};
constexpr SPointHV kSelectionAt{60, 600};

class DisplayPaletteTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    picker = Built<CColorPicker>("colorpicker.dat", {20, 20});
    picker->Hide();
    selection = Built<CSelectionPalette>("selectionpalette.dat", kSelectionAt);
    Make();
  }
  void TearDown() override {
    display.reset();
    selection.reset();
    picker.reset();
    PanelsTest::TearDown();
  }

  void Make(bool withWindow = true) {
    display.reset();
    display = std::make_unique<CDisplayPalette>(owner, DataFile("displaypalette.dat"), withWindow ? &window : nullptr);
    ASSERT_EQ(display->BuildOnce(), 0);
    display->SetCompanions(picker.get(), selection.get());
    display->MoveTo(kDisplayAt);
    display->Show();
  }
  CImElement* Control(need::EDisplayControl control) { return display->GetControl(control); }
  int32_t Send(const char* element, uint32_t kind = 0, int32_t word = 0) {
    CUIMessage message;
    message.Init(kind, element, nullptr, need::kDisplayPalette.name, CUIMessage::kBroadcast);
    message.SetPayloadWord(0, word);
    return display->HandleEvent(&message);
  }
  void WatchAt(SPointHV screen) {
    SetCursorPosition(screen.h, screen.v);
    Beat(&CDisplayPalette::WatchPointer, display.get());
  }
  SPointHV Away() const { return {kDisplayAt.h - 200, kDisplayAt.v + 150}; }
  // The pointer over the strip's upper part, where the toggles come back.
  void ShowToggles() { WatchAt({kDisplayAt.h + 30, kDisplayAt.v + 40}); }
  // A press of the element with the lines of `during` while the button is down, the keys held
  // around it, and `after` once it is up.
  void Press(CElement* element, SPointHV local, const std::string& during = "", const std::string& keys = "",
             const std::string& after = "") {
    const SPointHV at = OnScreen(element, local);
    Script((keys.empty() ? "" : "key " + keys + "\n") + "move " + std::to_string(at.h) + " " + std::to_string(at.v) +
           "\ndown left\nwait 30\n" + during + "wait 30\nup left\n" + after +
           (keys.empty() ? "" : "keyup " + keys + "\n"));
  }
  // The lines that click row `row` of a pop-up menu opening at the screen point.
  static std::string MenuClick(SPointHV menu, uint32_t row) {
    const SPointHV at{menu.h + kMenuFrame + 30, menu.v + kMenuFrame + int32_t(row - 1) * kMenuRow + kMenuRow / 2};
    return "wait 20\nmove " + std::to_string(at.h) + " " + std::to_string(at.v) + "\nwait 20\ndown left\nwait 20\nup left\n";
  }
  // Row `row` of the pop-up menu that opens at the screen point while `open` runs.
  void ChooseAt(SPointHV menu, uint32_t row, const std::function<void()>& open) {
    ASSERT_TRUE(platform::headless::AddScript(MenuClick(menu, row)));
    open();
    Settle();
  }
  SPointHV Corner(need::EDisplayControl control) { return OnScreen(Control(control), {0, 0}); }
  SViewStyle& Style() { return window.view.GetStyle(); }

  static void WritePrefs(int32_t restore, const std::map<uint32_t, int32_t>& words,
                         const std::map<uint32_t, uint8_t>& bytes = {}, uint8_t fill = 0) {
    std::vector<uint8_t> block(CPrefsFile::kBlockBytes, fill);
    std::memcpy(block.data(), &restore, sizeof restore);
    for (const auto& [offset, value] : words) std::memcpy(block.data() + offset, &value, sizeof value);
    for (const auto& [offset, value] : bytes) block[offset] = value;
    std::ofstream(CPrefsFile::kFileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size()));
  }
  static std::vector<uint8_t> StoredPrefs() {
    std::ifstream in(CPrefsFile::kFileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::unique_ptr<CColorPicker> picker;
  std::unique_ptr<CSelectionPalette> selection;
  std::unique_ptr<CDisplayPalette> display;
};

// At build the toggles hide ("plop render mode" on) and one heartbeat row watches the pointer; the
// palette answers the window's plop question, and "display palette" brings it forward.
TEST_F(DisplayPaletteTest, TheBuildHidesTheTogglesAndAnswersTheWindow) {
  for (need::EDisplayControl toggle :
       {need::kNanoEditMode, need::kPlopRenderMode, need::kWireframeShadows, need::kHideUndergroundShadows})
    EXPECT_FALSE(Control(toggle)->IsShown()) << need::kDisplayControls[toggle].name;
  EXPECT_EQ(Control(need::kPlopRenderMode)->GetUserWord(2), 1u);
  ASSERT_TRUE(app->UnsubscribeHeartbeat(display.get()));
  EXPECT_FALSE(app->IsHeartbeatSubscriber(display.get())) << "one row";
  app->SubscribeHeartbeat(display.get(), &CDisplayPalette::WatchPointer);

  EXPECT_EQ(Send("is plopmode off?"), 0);
  ShowToggles();
  Press(Control(need::kPlopRenderMode), {10, 10});
  EXPECT_EQ(Control(need::kPlopRenderMode)->GetUserWord(2), 0u);
  EXPECT_EQ(Control(need::kPlopRenderMode)->GetOpacity(), 0.0f);
  EXPECT_EQ(Send("is plopmode off?"), 1);
  display->Hide();
  EXPECT_EQ(Send(need::kDisplayPalette.name), kHandled);
  EXPECT_TRUE(display->IsShown());
}

TEST_F(DisplayPaletteTest, NanoEditModeSwitchesTheWindowsLivePreview) {
  CImElement* nano = Control(need::kNanoEditMode);
  EXPECT_EQ(Send(need::kDisplayControls[need::kNanoEditMode].name), kHandled);
  EXPECT_TRUE(window.livePreview);
  EXPECT_EQ(nano->GetOpacity(), 1.0f);
  EXPECT_EQ(Send(need::kDisplayControls[need::kNanoEditMode].name), kHandled);
  EXPECT_FALSE(window.livePreview);
  EXPECT_EQ(nano->GetOpacity(), 0.0f);
}

// A toggle's press switches its word; "wireframe shadows" then sets the view's shadows and asks the
// window for the notification it sends only with F10 or its flag.
TEST_F(DisplayPaletteTest, WireframeShadowsFollowTheirToggle) {
  ASSERT_TRUE(Style().shadows);
  EXPECT_EQ(Control(need::kWireframeShadows)->GetUserWord(2), 1u);
  ShowToggles();
  window.calls.clear();
  Press(Control(need::kWireframeShadows), {10, 10});
  EXPECT_FALSE(Style().shadows);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"invalidate view", "drag step 4"}));
  Press(Control(need::kWireframeShadows), {10, 10});
  EXPECT_TRUE(Style().shadows);
  Make(false);
  EXPECT_EQ(Send(need::kDisplayControls[need::kWireframeShadows].name), kHandled) << "no window: nothing to do";
}

// Every command of the background menu, by its row; a plain colour or grey with the picture.
TEST_F(DisplayPaletteTest, TheBackgroundMenuSetsModeAndColour) {
  struct SRow {
    uint32_t row;
    int32_t mode;
    uint32_t colour;
  } rows[] = {{1, 0, 0xCACACA}, {2, 0, 0x000000}, {3, 0, 0xFFFFFF}, {6, 100, 0xCACACA}, {7, 101, 0xCACACA},
              {8, 102, 0xCACACA}, {9, 103, 0xCACACA}, {10, 104, 0xCACACA}, {11, 105, 0xCACACA}, {13, 0, 0xCACACA}};
  const SPointHV at = Corner(need::kBackgroundSelector);
  for (const SRow& r : rows) {
    display->SetBackground(r.mode == 0 ? 100 : 0, 0x123456);
    window.calls.clear();
    window.backgroundChanged = false;
    ChooseAt(at, r.row, [&] { EXPECT_EQ(display->PopUpBackgroundMenu(at), 0); });
    EXPECT_EQ(display->GetBackgroundMode(), r.mode) << r.row;
    EXPECT_EQ(display->GetBackgroundColour(), r.colour) << r.row;
    EXPECT_EQ(Style().background, r.colour) << r.row;
    EXPECT_TRUE(window.backgroundChanged) << r.row;
    std::vector<std::string> drawn{"invalidate", "redraw", "repaint"};
    if (r.mode) drawn.insert(drawn.begin(), "backdrop " + std::to_string(r.mode));
    EXPECT_EQ(window.calls, drawn) << r.row;
  }
  EXPECT_EQ(display->ChooseBackground(FourCC("what")), 0);
  EXPECT_EQ(display->GetBackgroundMode(), 0);
  EXPECT_EQ(display->GetBackgroundColour(), 0xCACACAu) << "an unknown command: grey";
  window.backdropResult = kErrObjectNotFound;
  EXPECT_EQ(display->SetBackground(104, 0xCACACA), kErrObjectNotFound);
  EXPECT_EQ(display->GetBackgroundMode(), 104) << "kept all the same";
  Make(false);
  EXPECT_EQ(display->SetBackground(0, 0), 1) << "no window";
}

// The menu button opens the menu at its corner once it is let go. "Other Colour..." asks the picker
// and changes nothing until the picker's message comes back from "background selector".
TEST_F(DisplayPaletteTest, OtherColourGoesThroughTheColourPicker) {
  CImElement* selector = Control(need::kBackgroundSelector);
  const SPointHV at = Corner(need::kBackgroundSelector);
  const uint32_t level = owner->GetModalLevel();
  Press(selector, {10, 10}, "", "", MenuClick(at, 4));
  ASSERT_TRUE(picker->IsShown());
  EXPECT_EQ(picker->GetStartingColour(), 0xCACACAu);
  EXPECT_EQ(picker->GetCaller(), selector);
  EXPECT_EQ(display->GetBackgroundMode(), 100) << "nothing changed yet";
  EXPECT_EQ(owner->GetModalLevel(), level + 1) << "the picker opened";
  // A red of 0x12 on the picker's first bar, then its "ok": the colour comes back through the selector.
  CUIMessage bar;
  bar.Init(2, "bar image 0", nullptr, "color picker", 0);
  bar.SetPayloadWord(0, 0x12);
  picker->HandleEvent(&bar);
  CUIMessage ok;
  ok.Init(0, "ok", nullptr, "color picker", 0);
  EXPECT_EQ(picker->HandleEvent(&ok), kHandled);
  EXPECT_EQ(owner->GetModalLevel(), level);
  EXPECT_EQ(display->GetBackgroundMode(), 0);
  EXPECT_EQ(display->GetBackgroundColour(), 0x12CACAu);
}

// Ctrl+Alt+1 to 9 choose backgrounds (0), 'm' runs the marker pen; a stale palette takes no keys.
TEST_F(DisplayPaletteTest, KeysChooseBackgroundsUnlessThePaletteIsStale) {
  const std::pair<int32_t, uint32_t> expected[9] = {{100, 0xCACACA}, {101, 0xCACACA}, {0, 0xCACACA},
                                                    {0, 0x000000},   {102, 0xCACACA}, {103, 0xCACACA},
                                                    {0, 0xFFFFFF},   {104, 0xCACACA}, {105, 0xCACACA}};
  Script("key 17\nkey 18\n");
  for (uint32_t digit = 0; digit < 9; ++digit) {
    SWinEvent event;
    event.key = '1' + digit;
    EXPECT_EQ(display->OnCharacter(event), 0);
    EXPECT_EQ(display->GetBackgroundMode(), expected[digit].first) << digit + 1;
    EXPECT_EQ(display->GetBackgroundColour(), expected[digit].second) << digit + 1;
  }
  owner->RaiseModalLevel();
  SWinEvent one;
  one.key = '1';
  EXPECT_EQ(display->OnCharacter(one), 0);
  EXPECT_EQ(display->GetBackgroundMode(), 105) << "stale";
  owner->LowerModalLevel();
  Script("keyup 17\nkeyup 18\n");
  // 'm': the marker pen until the key that ends it.
  ASSERT_TRUE(platform::headless::AddScript("wait 30\nkey 27\nwait 10\nkeyup 27\n"));
  SWinEvent m;
  m.key = 'm';
  EXPECT_EQ(display->OnCharacter(m), kHandled);
}

// Item n of a resolution's menu sets the view's value; the main menu opens each resolution's menu
// from its items 1 to 3.
TEST_F(DisplayPaletteTest, ResolutionMenusSetTheViewsDetails) {
  struct SCase {
    CDisplayPalette::EResolution which;
    int32_t item;
    uint32_t SViewStyle::*detail;
    uint32_t value;
  } cases[] = {
      {CDisplayPalette::kGridResolution, 1, &SViewStyle::fastDetail, 8},
      {CDisplayPalette::kGridResolution, 2, &SViewStyle::fastDetail, 12},
      {CDisplayPalette::kGridResolution, 3, &SViewStyle::fastDetail, 16},
      {CDisplayPalette::kGridResolution, 5, &SViewStyle::fastDetail, 32},
      {CDisplayPalette::kFirstResolution, 1, &SViewStyle::detail, 16},
      {CDisplayPalette::kFirstResolution, 4, &SViewStyle::detail, 128},
      {CDisplayPalette::kSecondResolution, 2, &SViewStyle::selectedDetail, 32},
      {CDisplayPalette::kSecondResolution, 3, &SViewStyle::selectedDetail, 64},
  };
  for (const SCase& c : cases) {
    window.calls.clear();
    display->ChooseResolution(c.which, c.item);
    EXPECT_EQ(Style().*c.detail, c.value) << c.item;
    EXPECT_EQ(display->GetResolutionChoice(c.which), c.item);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"invalidate", "redraw", "drag step 4"}));
  }
  // Through the menus: item 2's menu (the objects'), its row 3; it opens with the current item 4 ticked.
  const SPointHV at = Corner(need::kWireframeResolution);
  platform::WindowHandle first = nullptr;
  bool clicked = false;
  std::vector<bool> ticks;
  CTimerWatch watch([&] {
    platform::WindowHandle focus = platform::GetFocus();
    if (!focus || platform::GetClassName(focus) != "#32770" || clicked) return;
    if (!first) first = focus;
    if (focus == first) return;
    if (auto* sub = reinterpret_cast<CScrollingMenu*>(platform::GetWindowUserData(focus))) {
      for (uint32_t item = 1; item <= 4; ++item) {
        bool ticked = false;
        sub->CheckState(CScrollingMenu::kReadCheck, item, &ticked);
        ticks.push_back(ticked);
      }
    }
    platform::SWinRect r;
    platform::GetWindowRect(focus, &r);
    platform::headless::AddScript("move " + std::to_string(r.left + 20) + " " +
                                  std::to_string(r.top + kMenuFrame + 2 * kMenuRow + kMenuRow / 2) +
                                  "\nwait 20\ndown left\nwait 20\nup left\n");
    clicked = true;
  });
  ASSERT_TRUE(platform::headless::AddScript("move " + std::to_string(at.h + kMenuFrame + 30) + " " +
                                            std::to_string(at.v + kMenuFrame + kMenuRow + kMenuRow / 2) + "\n"));
  EXPECT_EQ(display->PopUpResolutionMenus(at), 0);
  EXPECT_TRUE(clicked);
  EXPECT_EQ(ticks, (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(display->GetResolutionChoice(CDisplayPalette::kFirstResolution), 3);
  EXPECT_EQ(Style().detail, 64u);
}

// The controls come from the view: grids 8, 12, 16, 24 are items 1 to 4, powers 16 to 128 items 1 to
// 4, another power leaves its item; the depth cue value is the amount × 100; the toggles follow.
TEST_F(DisplayPaletteTest, SyncFromViewTakesTheViewsSettings) {
  struct SCase {
    uint32_t grid, first, second;
    int32_t gridItem, firstItem, secondItem;
  } cases[] = {{8, 16, 128, 1, 1, 4}, {12, 32, 64, 2, 2, 3}, {16, 64, 32, 3, 3, 2}, {24, 48, 48, 4, 3, 2}};
  for (const SCase& c : cases) {
    Style().fastDetail = c.grid;
    Style().detail = c.first;
    Style().selectedDetail = c.second;
    EXPECT_EQ(display->SyncFromView(false), 0);
    EXPECT_EQ(display->GetResolutionChoice(CDisplayPalette::kGridResolution), c.gridItem) << c.grid;
    EXPECT_EQ(display->GetResolutionChoice(CDisplayPalette::kFirstResolution), c.firstItem) << c.first;
    EXPECT_EQ(display->GetResolutionChoice(CDisplayPalette::kSecondResolution), c.secondItem) << c.second;
  }
  Style().depthCueStrength = 1.37f;
  Style().shadows = false;
  window.hideUnderground = true;
  display->SyncFromView(false);
  EXPECT_EQ(Control(need::kDepthCueControl)->GetUserWord(2), 137u);
  EXPECT_EQ(Control(need::kWireframeShadows)->GetUserWord(2), 0u);
  EXPECT_EQ(Control(need::kHideUndergroundShadows)->GetUserWord(2), 1u);
  EXPECT_EQ(Control(need::kHideUndergroundShadows)->GetOpacity(), 1.0f);
  // A reset: the view's defaults, nano edit off, plop render on and its control shown.
  Send(need::kDisplayControls[need::kNanoEditMode].name);
  Control(need::kPlopRenderMode)->SetUserWord(2, 0);
  window.calls.clear();
  EXPECT_EQ(display->ResetSettings(), 0);
  EXPECT_EQ(Style().depthCueStrength, 0.8f);
  EXPECT_TRUE(Style().shadows);
  EXPECT_EQ(Style().fastDetail, 8u);
  EXPECT_FALSE(window.livePreview);
  EXPECT_EQ(Control(need::kNanoEditMode)->GetOpacity(), 0.0f);
  EXPECT_EQ(Control(need::kPlopRenderMode)->GetUserWord(2), 1u);
  EXPECT_EQ(window.calls.front(), "show plop");
  EXPECT_EQ(Control(need::kDepthCueControl)->GetUserWord(2), 80u);
}

// Two pixels of vertical drag are a step of the depth cue value, which stops at 0 and 200; the window
// draws each step lightly with the depth cue cursor, and Ctrl+press switches depth cueing.
TEST_F(DisplayPaletteTest, TheDepthCueDragStepsAndStopsAtItsEnds) {
  CImElement* depthCue = Control(need::kDepthCueControl);
  WatchAt(OnScreen(depthCue, {27, 31}));
  const SPointHV at = OnScreen(depthCue, {27, 31});
  std::vector<uint32_t> values;
  std::vector<std::string> cursors;
  window.onRedraw = [&] {
    values.push_back(depthCue->GetUserWord(2));
    cursors.push_back(Cursor());
  };
  window.calls.clear();
  const auto move = [&](int32_t v) { return "move " + std::to_string(at.h) + " " + std::to_string(v) + "\nwait 30\n"; };
  Press(depthCue, {27, 31}, move(at.v + 1) + move(at.v + 2) + move(700) + move(0));
  EXPECT_EQ(values, (std::vector<uint32_t>{81, 200, 0, 0}));
  ASSERT_FALSE(cursors.empty());
  EXPECT_EQ(cursors.front(), "shape 110");
  EXPECT_EQ(Style().depthCueStrength, 0.0f);
  EXPECT_EQ(window.calls.front(), "dragging");
  EXPECT_NE(std::find(window.calls.begin(), window.calls.end(), "not dragging"), window.calls.end());
  window.onRedraw = nullptr;
  // From 0.8, a pixel changes nothing.
  Style().depthCueStrength = 0.8f;
  values.clear();
  window.onRedraw = [&] { values.push_back(depthCue->GetUserWord(2)); };
  Press(depthCue, {27, 31}, move(at.v + 1));
  EXPECT_EQ(Style().depthCueStrength, 0.8f);
  window.onRedraw = nullptr;
  ASSERT_TRUE(Style().depthCue);
  window.calls.clear();
  Press(depthCue, {27, 31}, "", "17");
  EXPECT_FALSE(Style().depthCue);
  EXPECT_EQ(window.calls, std::vector<std::string>{"invalidate view"});
}

TEST_F(DisplayPaletteTest, PanDrivesTheWindowsCameraDrag) {
  CImElement* pan = Control(need::kPan);
  const SPointHV at = OnScreen(pan, {5, 6});
  window.calls.clear();
  Press(pan, {5, 6});
  EXPECT_EQ(window.calls, std::vector<std::string>{"pan " + std::to_string(at.h) + "," + std::to_string(at.v)});
  EXPECT_EQ(pan->GetOpacity(), 0.0f);
}

// Without restoring, the palette stores its section (bytes 44 to 71) and nothing else; restoring, a
// section the palette wrote comes back as written, zeros included, and one of zeros keeps the start.
TEST_F(DisplayPaletteTest, ThePaletteKeepsItsSettingsInThePreferences) {
  WritePrefs(0, {}, {}, 0x5A);
  Make();
  display.reset();
  std::vector<uint8_t> stored = StoredPrefs();
  ASSERT_EQ(stored.size(), CPrefsFile::kBlockBytes);
  const std::vector<uint8_t> section = {0, 1, 1, 0, 100, 0, 0, 0, 0xCA, 0xCA, 0xCA, 0, 80, 0, 0, 0,
                                        2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(stored.begin() + 44, stored.begin() + 72), section);
  for (uint32_t i = 4; i < CPrefsFile::kBlockBytes; ++i) {
    if (i < 44 || i >= 72) {
      ASSERT_EQ(stored[i], 0x5A) << i;
    }
  }

  WritePrefs(1, {{CDisplayPalette::kPrefsGridResolution, 3}, {CDisplayPalette::kPrefsFirstResolution, 4},
                 {CDisplayPalette::kPrefsSecondResolution, 2}, {CDisplayPalette::kPrefsDepthCue, 150},
                 {CDisplayPalette::kPrefsBackgroundMode, 0}, {CDisplayPalette::kPrefsBackgroundColour, 0}},
             {{CDisplayPalette::kPrefsNanoEdit, 1}, {CDisplayPalette::kPrefsHideUnderground, 1}});
  Make();
  EXPECT_EQ(Style().fastDetail, 16u);
  EXPECT_EQ(Style().detail, 128u);
  EXPECT_EQ(Style().selectedDetail, 32u);
  EXPECT_FLOAT_EQ(Style().depthCueStrength, 1.5f);
  EXPECT_EQ(display->GetBackgroundMode(), 0) << "a plain black written by the palette";
  EXPECT_EQ(display->GetBackgroundColour(), 0u);
  EXPECT_TRUE(window.livePreview);
  EXPECT_TRUE(window.hideUnderground);
  EXPECT_FALSE(Style().shadows) << "byte 46 was 0";

  display.reset();  // which stores its own section
  WritePrefs(1, {});
  window.view.ResetStyle();
  Make();
  EXPECT_EQ(display->GetBackgroundMode(), 100) << "a section of zeros";
  EXPECT_EQ(display->GetBackgroundColour(), 0xCACACAu);
  EXPECT_FLOAT_EQ(Style().depthCueStrength, 0.8f);
  EXPECT_EQ(Style().fastDetail, 8u);

  WritePrefs(0, {});
  platform::SetTestFailingRename(1);
  EXPECT_EQ(display->ExchangePrefs(false), 1) << "a write that fails";
  platform::SetTestFailingRename(0);
  std::filesystem::remove(CPrefsFile::kFileName);
  EXPECT_EQ(display->ExchangePrefs(false), 0) << "no preferences: nothing to do";
  EXPECT_FALSE(std::filesystem::exists(CPrefsFile::kFileName));
}

// Two seconds after the pointer left, the tools go and the strip fades into "display background", a
// step at most every third tick, the selection palette told to restart; back over the strip the
// tools come back where the pointer is, with the tips of the controls.
TEST_F(DisplayPaletteTest, TheToolsFadeWhileThePointerIsAwayAndComeBackWhereItReturns) {
  CImElement* background = dynamic_cast<CImElement*>(Find(*display, need::kDisplayBackground.name));
  CElement* tools = Find(*display, need::kDisplayToolsBottom.name);
  CElement* toggles = Find(*display, need::kToolsBackground.name);
  CElement* left = Find(*selection, need::kSelectionLeft.name);
  CElement* right = Find(*selection, need::kSelectionRight.name);
  EXPECT_TRUE(background->IsShown()) << "it starts faded";
  WatchAt(OnScreen(tools, {5, 5}));
  EXPECT_EQ(display->GetFadeLevel(), 0);
  EXPECT_FALSE(background->IsShown());
  EXPECT_TRUE(tools->IsShown());
  EXPECT_EQ(left->GetUserWord(1), 1u);
  WatchAt(OnScreen(toggles, {5, 5}));
  EXPECT_TRUE(toggles->IsShown());
  EXPECT_TRUE(Control(need::kNanoEditMode)->IsShown());
  EXPECT_EQ(Control(need::kPlopRenderMode)->GetOpacity(), 1.0f) << "on, lit";

  ExpectFade([&] { WatchAt(Away()); }, [&] { return display->GetFadeLevel(); }, background);
  for (const SLayoutNeed* hidden : {&need::kDisplayToolsBottom, &need::kToolsBackground, &need::kDisplayTop,
                                    &need::kDisplayBottom, &need::kDisplayControls[need::kNanoEditMode],
                                    &need::kDisplayControls[need::kPlopRenderMode]})
    EXPECT_FALSE(Find(*display, hidden->name)->IsShown()) << hidden->name;
  EXPECT_EQ(left->GetUserWord(0), 1u);
  EXPECT_EQ(right->GetUserWord(0), 1u);
  EXPECT_EQ(left->GetUserWord(1), 0u);

  // Back over the lower tools: they, "display top" and the selection palette's arrows come back.
  left->Hide(false);
  right->Hide(false);
  sent.clear();
  WatchAt(OnScreen(Control(need::kZoomIn), {10, 10}));
  EXPECT_EQ(display->GetFadeLevel(), 0);
  for (CElement* shown : {tools, Find(*display, need::kDisplayTop.name), left, right}) EXPECT_TRUE(shown->IsShown());
  EXPECT_FALSE(toggles->IsShown());
  EXPECT_EQ(left->GetUserWord(0), 0u);
  EXPECT_EQ(display->GetHotElement(), Control(need::kZoomIn));
  EXPECT_EQ(Sent(kTipKind), (std::vector<SSentMessage>{{kTipKind, 1, "Zoom In", "Moves the camera closer; Alt resets", "", 0}}));
  Script("key 32\n");
  WatchAt(OnScreen(Control(need::kZoomOut), {10, 10}));
  EXPECT_EQ(Cursor(), "shape 108");
  Script("keyup 32\n");
}

// While the selection palette holds the pointer ("display top"'s word 1) nothing fades.
TEST_F(DisplayPaletteTest, ThePointerOverTheSelectionPaletteHoldsTheFade) {
  WatchAt(OnScreen(Find(*display, need::kDisplayToolsBottom.name), {5, 5}));
  Find(*display, need::kDisplayTop.name)->SetUserWord(1, 1);
  for (int beat = 0; beat < 40; ++beat) {
    WatchAt(Away());
    platform::AdvanceVirtualClock(100);
  }
  EXPECT_EQ(display->GetFadeLevel(), 0);
}

}  // namespace
