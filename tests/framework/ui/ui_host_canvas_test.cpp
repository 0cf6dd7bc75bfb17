// The UI host canvas: modality, activation and dragging, building once and binding callbacks by
// name, the standard button and key callbacks, double clicks, and drop shadows.
#include "framework/ui/ui_host_canvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/core/win_appl.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "platform/clock.h"
#include "platform/system.h"
#include "tests/framework/ui/host_fixture.h"
#include "tools/layout_source.h"
#include "tools/record_store.h"

namespace {

// A canvas at (100, 100) of 240 × 160: an image element at opacity 0.5, one with a two-entry image list,
// one whose list has a single entry, a plain element, and a group at (40, 30) holding a target.
constexpr char kButtons[] = R"(
picture up ok-up.png
picture down ok-down.png
images states {
    0 name "up" file
    1 name "down" file
}
images single {
    0 name "up" file
}
canvas buttons {
    frame 100 100 260 340
    colour 0x224466
    elem root {
        rect 0 0 160 240
        shown
        imel press {
            rect 10 10 40 90
            picture up shared
            opacity 0.5
            shown
        }
        imel track {
            rect 50 10 80 90
            images states entry 0 show
            shown
        }
        imel lone {
            rect 90 10 120 90
            images single entry 0 show
            shown
        }
        elem plain {
            rect 130 10 150 90
            shown
        }
        elem group {
            rect 30 140 130 230
            shown
            elem target {
                rect 10 20 40 80
                shown
            }
        }
    }
}
)";

std::vector<std::string> gCalls;
int32_t NotePress(CElement* element, CElement**, SPointHV, SWinEvent*) {
  gCalls.push_back(std::string("press ") + element->GetName());
  return 0;
}
int32_t NoteHover(CElement* element, SPointHV) {
  gCalls.push_back(std::string("hover ") + element->GetName());
  return 0;
}
int32_t NoteChar(CElement* element, CElement**, SWinEvent*) {
  gCalls.push_back(std::string("char ") + element->GetName());
  return 0;
}

class UIHostCanvasTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    owners = std::make_unique<CUICmFunction>(SRange{0, 16});
    owner = owners.get();
    gCalls.clear();
    std::string error;
    ASSERT_TRUE(CompileLayoutText(*env, kButtons, "buttons.layout", QUARN2_TEST_LAYOUTS, &error)) << error;
  }
  // The buttons dialog, built and brought to the front.
  std::unique_ptr<TestDialog> OpenButtons() {
    auto dialog = std::make_unique<TestDialog>(owner, env.get(), "buttons");
    EXPECT_EQ(dialog->BuildOnce(), kNoErr);
    dialog->Refresh(false);
    return dialog;
  }
  static CElement* Find(TestDialog& dialog, const char* path) {
    CElement* element = nullptr;
    EXPECT_EQ(CElSystem::FindByName(dialog.GetRoot(), path, &element), kNoErr) << path;
    return element;
  }
  static CImElement* Image(TestDialog& dialog, const char* name) { return dynamic_cast<CImElement*>(Find(dialog, name)); }

  void TearDown() override {
    owners.reset();
    HostTest::TearDown();
  }

  // The dialogs' owner, in the application's pools.
  std::unique_ptr<CUICmFunction> owners;
  CUICmFunction* owner = nullptr;
};

// ---- modality, activation, dragging

TEST_F(UIHostCanvasTest, AStaleCanvasBeepsAtPressesAndIgnoresCharacters) {
  TestDialog palette(owner, env.get()), dialog(owner, env.get());
  EXPECT_EQ(palette.GetStamp(), 0u);
  palette.MoveResize({100, 100}, false);
  palette.Show();
  palette.GetRoot()->SetPressCallback(&NotePress);
  palette.GetRoot()->SetCharCallback(&NoteChar);
  dialog.Refresh(false);
  EXPECT_EQ(owner->GetModalLevel(), 1u);
  EXPECT_EQ(dialog.GetStamp(), 1u);
  EXPECT_TRUE(palette.IsStale());
  const uint32_t beeps = platform::BeepCount();
  SWinEvent press = PressAt(10, 10), key = Character('a');
  EXPECT_EQ(palette.OnPointerPress(press), kHandled);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(palette.OnCharacter(key), 0);
  EXPECT_TRUE(gCalls.empty());
  owner->LowerModalLevel();
  EXPECT_EQ(palette.OnPointerPress(press), 0);
  EXPECT_EQ(palette.OnCharacter(key), 0);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"press $root element$", "char $root element$"}));
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
}

TEST_F(UIHostCanvasTest, APressActivatesItsCanvas) {
  auto first = OpenButtons();
  TestDialog second(owner, env.get());
  second.MoveResize({50, 50}, false);
  second.Refresh(false);
  ASSERT_EQ(platform::GetActiveWindow(), second.GetWindow());
  owner->LowerModalLevel();
  SWinEvent press = PressAt(105, 105);
  first->OnPointerPress(press);
  EXPECT_EQ(platform::GetActiveWindow(), first->GetWindow());
}

TEST_F(UIHostCanvasTest, ThePressOfADragMovesTheWindowWithThePointer) {
  auto dialog = OpenButtons();
  dialog->SetDragAllowed(true);
  Run("key 32\nmove 150 150\n");
  // The press comes with the button down; the pointer moves while the loop runs.
  ASSERT_TRUE(platform::headless::AddScript("down left\nwait 50\nmove 180 170\nwait 50\nup left\n"));
  SWinEvent press = PressAt(150, 150);
  EXPECT_EQ(dialog->OnPointerPress(press), kHandled);
  platform::SWinRect r;
  ASSERT_TRUE(platform::GetWindowRect(dialog->GetWindow(), &r));
  EXPECT_EQ(r.left, 130);
  EXPECT_EQ(r.top, 120);
  EXPECT_EQ(dialog->GetFrame(), (SRect{120, 130, 280, 370}));
  EXPECT_TRUE(dialog->IsUserMoved());
  Run("keyup 32\n");
}

TEST_F(UIHostCanvasTest, WithAltAsWellThePalettesAreResetAndThePressGoesOn) {
  auto dialog = OpenButtons();
  dialog->SetDragAllowed(true);
  Find(*dialog, "plain")->SetPressCallback(&NotePress);
  Run("key 32\nkey 18\n");
  SWinEvent press = PressAt(100 + 20, 100 + 140);
  dialog->OnPointerPress(press);
  ASSERT_EQ(dialog->messages.size(), 1u);
  const TestDialog::SReceived& reset = dialog->messages[0];
  EXPECT_EQ(reset.elementName, "reset palettes");
  EXPECT_EQ(reset.windowName, "");
  EXPECT_EQ(reset.canvasName, "");
  EXPECT_EQ(reset.kind, 0u);
  EXPECT_EQ(reset.flags, CUIMessage::kBroadcast);
  EXPECT_EQ(gCalls, std::vector<std::string>{"press plain"});
  Run("keyup 18\nkeyup 32\n");
}

// ---- building and binding

TEST_F(UIHostCanvasTest, BuildOnceBuildsOnceAndAgainAfterAFailure) {
  TestDialog dialog(owner, env.get(), "buttons");
  dialog.buildAnswer = kErrObjectNotFound;
  EXPECT_EQ(dialog.BuildOnce(), kErrObjectNotFound);
  EXPECT_FALSE(dialog.IsBuilt());
  dialog.buildAnswer = 0;
  EXPECT_EQ(dialog.BuildOnce(), kNoErr);
  EXPECT_EQ(dialog.BuildOnce(), kNoErr);
  EXPECT_EQ(dialog.builds, 2u);
  EXPECT_TRUE(dialog.IsBuilt());
}

TEST_F(UIHostCanvasTest, BindingSetsTheThreeCallbacksOfTheNamedChild) {
  auto dialog = OpenButtons();
  CElement* plain = Find(*dialog, "plain");
  plain->SetHoverCallback(&NoteHover);
  plain->SetCharCallback(&NoteChar);
  dialog->BindElement("plain", &NotePress, nullptr, nullptr);
  SWinEvent event;
  CElement* handled = nullptr;
  plain->HandlePress(&handled, {1, 1}, &event);
  plain->HandleHover({1, 1});
  plain->HandleChar(&handled, &event);
  EXPECT_EQ(gCalls, std::vector<std::string>{"press plain"});
  CElement* found = plain;
  dialog->BindElementRef("nope", &found, &NotePress, nullptr, nullptr);
  EXPECT_EQ(found, nullptr);
  // A nested control is bound through its group.
  CUIHostCanvas::BindElementData(Find(*dialog, "group"), "target", &found, &NotePress, nullptr, nullptr);
  EXPECT_EQ(found, Find(*dialog, "group|target"));
}

// ---- standard callbacks

TEST_F(UIHostCanvasTest, APressedButtonShowsFullyWhileHeldAndSaysSo) {
  auto dialog = OpenButtons();
  CImElement* press = Image(*dialog, "press");
  ASSERT_FLOAT_EQ(press->GetOpacity(), 0.5f);
  dialog->BindElement("press", &UIHostPressButton, nullptr, nullptr);
  std::vector<float> shown;
  dialog->onRedraw = [&] { shown.push_back(press->GetOpacity()); };
  Run("move 150 120\ndown left\nwait 200\nup left\n");
  EXPECT_EQ(shown, (std::vector<float>{1.0f, 0.5f}));
  ASSERT_EQ(dialog->messages.size(), 1u);
  EXPECT_EQ(dialog->received, std::vector<std::string>{"press"});
  EXPECT_EQ(dialog->messages[0].flags, CUIMessage::kBroadcast);
  EXPECT_EQ(dialog->messages[0].canvasName, "buttons");
}

TEST_F(UIHostCanvasTest, ATrackedButtonFollowsThePointerAndSpeaksOnlyWhenLetGoInside) {
  auto dialog = OpenButtons();
  CImElement* track = Image(*dialog, "track");
  dialog->BindElement("track", &UIHostTrackButton, nullptr, nullptr);
  std::vector<uint32_t> entries;
  dialog->onRedraw = [&] { entries.push_back(track->GetImageList()->Selected()); };
  // The button lies at (110, 150) to (190, 180) on the screen; its edges count as outside.
  Run("move 150 160\ndown left\nwait 50\nmove 300 160\nwait 50\nmove 150 165\nwait 50\nmove 150 150\nwait 50\n"
      "up left\n");
  EXPECT_EQ(entries, (std::vector<uint32_t>{1, 0, 1, 0}));
  EXPECT_TRUE(dialog->received.empty());
  entries.clear();
  Run("move 150 165\ndown left\nwait 50\nmove 150 170\nwait 50\nup left\n");
  EXPECT_EQ(entries, (std::vector<uint32_t>{1, 0}));
  EXPECT_EQ(dialog->received, std::vector<std::string>{"track"});
}

TEST_F(UIHostCanvasTest, ButtonsWithoutFeedbackStillSpeak) {
  auto dialog = OpenButtons();
  dialog->BindElement("lone", &UIHostTrackButton, nullptr, nullptr);
  dialog->BindElement("plain", &UIHostPressButton, nullptr, nullptr);
  uint32_t redraws = 0;
  dialog->onRedraw = [&] { ++redraws; };
  Run("move 150 200\ndown left\nup left\nmove 150 235\ndown left\nup left\n");
  EXPECT_EQ(redraws, 0u);
  EXPECT_EQ(dialog->received, (std::vector<std::string>{"lone", "plain"}));
}

TEST_F(UIHostCanvasTest, KeyCallbacksTakeTheirKeysOnly) {
  auto dialog = OpenButtons();
  CElement* press = Find(*dialog, "press");
  CElement* track = Find(*dialog, "track");
  using KeyCallback = int32_t (*)(CElement*, CElement**, SWinEvent*);
  struct SCase {
    KeyCallback callback;
    CElement* element;
    uint32_t key;
    bool control;
    bool takes;
  } cases[] = {
      {&UIHostOnReturnKeyAlpha, press, 13, false, true}, {&UIHostOnReturnKeyAlpha, press, 27, false, false},
      {&UIHostOnEscapeKeyAlpha, press, 27, false, true}, {&UIHostOnEscapeKeyAlpha, press, 'n', true, true},
      {&UIHostOnEscapeKeyAlpha, press, 'n', false, false}, {&UIHostOnReturnKey, track, 0x10D, false, true},
      {&UIHostOnReturnKey, track, 'a', false, false},     {&UIHostOnEscapeKey, track, 27, false, true},
      {&UIHostOnEscapeKey, track, 'N', true, true},      {&UIHostOnEscapeKey, track, 13, true, false},
  };
  for (const SCase& c : cases) {
    Run(c.control ? "key 17\n" : "keyup 17\n");
    dialog->received.clear();
    SWinEvent event = Character(c.key);
    CElement* handled = nullptr;
    EXPECT_EQ(c.callback(c.element, &handled, &event), kNoErr);
    EXPECT_EQ(handled, c.takes ? c.element : nullptr) << c.key;
    EXPECT_EQ(dialog->received.size(), c.takes ? 1u : 0u) << c.key;
  }
  Run("keyup 17\n");
  // The flashes leave the buttons as they were.
  EXPECT_FLOAT_EQ(Image(*dialog, "press")->GetOpacity(), 0.5f);
  EXPECT_EQ(Image(*dialog, "track")->GetImageList()->Selected(), 0u);
}

TEST_F(UIHostCanvasTest, APostedElementMessageGoesToItsOwnCanvasWithBothPoints) {
  auto dialog = OpenButtons();
  TestDialog other(owner, env.get());
  CElement* target = Find(*dialog, "group|target");
  SWinEvent event;
  CElement* handled = nullptr;
  EXPECT_EQ(UIHostPostElementMessage(target, &handled, {5, 6}, &event), kNoErr);
  EXPECT_EQ(handled, target);
  ASSERT_EQ(dialog->messages.size(), 1u);
  const TestDialog::SReceived& m = dialog->messages[0];
  EXPECT_EQ(m.kind, 0u);
  EXPECT_EQ(m.flags, 0u);
  EXPECT_EQ(m.firstPoint, (SPointHV{100 + 140 + 20 + 5, 100 + 30 + 10 + 6}));
  EXPECT_EQ(m.secondPoint, (SPointHV{5, 6}));
  EXPECT_TRUE(other.received.empty());
}

// ---- double clicks

TEST_F(UIHostCanvasTest, TwoPressesOnOneElementInTimeMakeADoubleClick) {
  auto dialog = OpenButtons();
  CElement* a = Find(*dialog, "press");
  CElement* b = Find(*dialog, "plain");
  EXPECT_FALSE(IsDoubleClick(a));
  platform::AdvanceVirtualClock(400);
  EXPECT_TRUE(IsDoubleClick(a));
  EXPECT_FALSE(IsDoubleClick(a));
  EXPECT_FALSE(IsDoubleClick(b));
  EXPECT_FALSE(IsDoubleClick(a));
  platform::AdvanceVirtualClock(520);
  EXPECT_FALSE(IsDoubleClick(a));
}

TEST_F(UIHostCanvasTest, TheSecondClickIsLookedForInTheElementItself) {
  auto dialog = OpenButtons();
  // The target lies at (260, 140) to (320, 170) on the screen.
  CElement* target = Find(*dialog, "group|target");
  Run("move 270 150\ndown left\n");
  ASSERT_TRUE(platform::headless::AddScript("up left\nmove 265 145\ndown left\n"));
  EXPECT_TRUE(WaitForSecondClick(target));
  Run("up left\ndown left\n");
  ASSERT_TRUE(platform::headless::AddScript("up left\nmove 250 145\ndown left\n"));
  EXPECT_FALSE(WaitForSecondClick(target));
  Run("up left\nmove 270 150\ndown left\n");
  ASSERT_TRUE(platform::headless::AddScript("up left\n"));
  const int64_t start = platform::NowMs();
  EXPECT_FALSE(WaitForSecondClick(target));
  EXPECT_GE(platform::NowMs() - start, 490);
  EXPECT_LT(platform::NowMs() - start, 700);
  Run("up left\n");
}

// ---- shadows

class ShadowTest : public UIHostCanvasTest {
 protected:
  // The five pictures in the application's resource file, each of red 0x40 throughout; the corner
  // one left out on request.
  void PutShadows(bool withCorner = true) {
    struct SPicture {
      const char* name;
      uint32_t width, height;
    } pictures[] = {{"left shadow", 4, 5}, {"top shadow", 6, 4}, {"corner shadow", 6, 5},
                    {"right shadow", 6, 40}, {"bottom shadow", 40, 5}};
    {
      auto system = Open("system.dat");
      uint32_t number = 200;
      for (const SPicture& p : pictures) {
        if (!withCorner && std::string(p.name) == "corner shadow") continue;
        const std::vector<uint32_t> pixels(size_t(p.width) * p.height, 0xFF404040u);
        ASSERT_EQ(StorePicture(*system, Key(kImageType, number++, p.name), p.width, p.height, pixels), kNoErr);
      }
    }
    OpenSystemFile({});
  }
  // The buttons dialog with shadows over a screen of 0x808080, the pictures loaded, not yet shown.
  std::unique_ptr<TestDialog> ShadowedButtons() {
    PutShadows();
    EXPECT_EQ(LoadShadowImages(), kNoErr);
    platform::headless::SetDesktopColor(0x808080);
    auto dialog = std::make_unique<TestDialog>(owner, env.get(), "buttons");
    EXPECT_EQ(dialog->BuildOnce(), kNoErr);
    dialog->SetShadows(true);
    return dialog;
  }
  void TearDown() override {
    platform::headless::SetDesktopColor(0);
    UIHostCanvasTest::TearDown();
  }
};

TEST_F(ShadowTest, ShadowPicturesBecomeMasksOfTheirRed) {
  PutShadows();
  ASSERT_EQ(LoadShadowImages(), kNoErr);
  for (uint32_t i = 0; i < 5; ++i) {
    ASSERT_NE(GetShadowImage(i), nullptr);
    EXPECT_EQ(PixelAt(*GetShadowImage(i), 1, 1), 0xBF000000u) << i;
  }
  EXPECT_EQ(FreeShadowImages(), kNoErr);
  EXPECT_EQ(GetShadowImage(0), nullptr);
}

TEST_F(ShadowTest, AMissingPictureStopsTheLoadingAndTheOnesBeforeItStay) {
  PutShadows(false);
  EXPECT_EQ(LoadShadowImages(), kErrObjectNotFound);
  EXPECT_NE(GetShadowImage(0), nullptr);
  EXPECT_NE(GetShadowImage(1), nullptr);
  EXPECT_EQ(GetShadowImage(2), nullptr);
  FreeShadowImages();
  EXPECT_EQ(GetShadowImage(0), nullptr);
  EXPECT_EQ(GetShadowImage(1), nullptr);
}

TEST_F(ShadowTest, ADialogWithShadowsIsEnlargedOnceAndShowsTheScreenShaded) {
  auto shadowed = ShadowedButtons();
  TestDialog& dialog = *shadowed;
  for (int i = 0; i < 2; ++i) {
    dialog.Refresh(false);
    EXPECT_EQ(dialog.GetBounds(), (SRect{0, 0, 165, 246}));
    // Red 0x40 is alpha 0xBF over 0x80.
    EXPECT_EQ(WindowAt(dialog, 243, 80), 0x202020u);
    EXPECT_EQ(WindowAt(dialog, 120, 162), 0x202020u);
    EXPECT_TRUE(dialog.HasSavedScreen());
    owner->LowerModalLevel();
    dialog.Hide();
  }
}

TEST_F(ShadowTest, HidingPutsTheScreenBackAndGivesTheFocusToTheMainWindow) {
  auto shadowed = ShadowedButtons();
  TestDialog& dialog = *shadowed;
  dialog.Refresh(false);
  // A look at the screen composes it with the dialog on it, where its colour shows.
  std::unique_ptr<CImage> look = SolidImage(4, 4, 0);
  GrabScreenIntoImage(look.get(), {200, 230});
  EXPECT_EQ(PixelAt(*look, 0, 0) & 0xFFFFFF, 0x224466u);
  EXPECT_EQ(platform::headless::ScreenPixel(200, 230), 0x224466u);
  dialog.Hide();
  EXPECT_EQ(platform::headless::ScreenPixel(200, 230), 0x808080u);
  EXPECT_FALSE(dialog.HasSavedScreen());
  auto* winApp = dynamic_cast<CWinAppl*>(GetApplication());
  EXPECT_EQ(platform::GetFocus(), winApp->GetMainWindow());
}

TEST_F(ShadowTest, ACanvasWithoutShadowsShowsAndHidesPlainly) {
  PutShadows();
  ASSERT_EQ(LoadShadowImages(), kNoErr);
  auto dialog = OpenButtons();
  EXPECT_EQ(dialog->GetBounds(), (SRect{0, 0, 160, 240}));
  EXPECT_FALSE(dialog->HasSavedScreen());
  EXPECT_EQ(dialog->GetRightShadow(), nullptr);
  dialog->Hide();
  EXPECT_FALSE(dialog->IsShown());
  auto* winApp = dynamic_cast<CWinAppl*>(GetApplication());
  EXPECT_EQ(platform::GetFocus(), winApp->GetMainWindow());
}

}  // namespace
