// The control palette: its build and settings, the preferences it keeps, its UI messages and its
// option menus.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/doc_window.h"
#include "document/prefs_file.h"
#include "framework/core/four_cc.h"
#include "framework/image/image.h"
#include "framework/ui/tx_element.h"
#include "render/render_settings.h"
#include "scene/sky.h"
#include "tests/app/control_palette_fixture.h"

namespace {

using ControlPalette = ControlPaletteTest;

constexpr uint32_t kFlags = 0, kAuto = 16, kReport = 17, kTextures = 18, kPreviewButton = 19;

// A preferences record with word 0 = previous, the control palette's bytes 16 to 19 and its words.
void WritePrefs(int32_t previous, std::vector<uint8_t> bytes, std::vector<uint32_t> codes) {
  std::vector<uint8_t> block(CPrefsFile::kBlockBytes, 0);
  std::memcpy(block.data() + kFlags, &previous, 4);
  for (size_t i = 0; i < bytes.size(); ++i) block[kAuto + i] = bytes[i];
  for (size_t i = 0; i < codes.size(); ++i) std::memcpy(block.data() + 20 + 4 * i, &codes[i], 4);
  FILE* file = std::fopen(CPrefsFile::kFileName, "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(block.data(), 1, block.size(), file);
  std::fclose(file);
}

uint32_t StoredWord(const CPrefsFile& prefs, uint32_t offset) { return uint32_t(prefs.GetWord(offset)); }

bool FileExists(const char* name) {
  struct stat info;
  return stat(name, &info) == 0;
}

uint32_t HeartbeatRows(CAppl* app, const void* owner) {
  CCmFunction* table = app->GetHeartbeat();
  uint32_t rows = 0;
  for (uint32_t i = 0; i < table->GetCount(); ++i) rows += (*table)[i].owner == owner;
  return rows;
}

TEST_F(ControlPalette, ABuiltPaletteHasItsDefaultsItsElementsAndOneHeartbeat) {
  RunPalette([&] {
    EXPECT_EQ(palette->GetPreviewMode(), FourCC("full"));
    EXPECT_EQ(palette->GetPreviewView(), FourCC("curv"));
    EXPECT_EQ(palette->GetTrackballOption(), FourCC("trak"));
    EXPECT_EQ(palette->GetRenderOption(0), FourCC("pers"));
    EXPECT_EQ(palette->GetRenderOption(1), FourCC("anl0"));
    EXPECT_EQ(palette->GetRenderOption(2), FourCC("spop"));
    EXPECT_TRUE(palette->IsAutoPreview());
    EXPECT_TRUE(palette->IsRenderReport());
    EXPECT_TRUE(window->GetRenderState().fReportWanted);

    for (uint32_t i = 0; i < CControlPalette::kCameraControlCount; ++i) EXPECT_NE(Camera(i), nullptr) << i;
    for (uint32_t i = 0; i < CControlPalette::kRenderButtonCount; ++i) EXPECT_NE(palette->GetRenderButton(i), nullptr);
    for (uint32_t dot = 0; dot < CControlPalette::kViewDotCount; ++dot) {
      ASSERT_NE(palette->GetViewDot(dot), nullptr) << dot;
      EXPECT_EQ(palette->GetViewDot(dot)->GetUserWord(CControlPalette::kDotNumberWord), dot);
    }
    EXPECT_NE(palette->GetViewControl(), nullptr);
    EXPECT_NE(palette->GetTexturesButton(), nullptr);
    EXPECT_NE(palette->GetPreviewModeButton(), nullptr);
    EXPECT_NE(palette->GetTopText(), nullptr);
    EXPECT_NE(palette->GetBottomText(), nullptr);
    EXPECT_EQ(Camera(CControlPalette::kTrackball)->GetUserWord(CControlPalette::kCursorWord), 124u);
    EXPECT_EQ(Camera(CControlPalette::kBanking)->GetUserWord(CControlPalette::kCursorWord), 112u);

    // The preview image is the preview element's size, and the element's attachments find it.
    CImElement* preview = palette->GetNanoPreviewElement();
    ASSERT_NE(preview, nullptr);
    ASSERT_NE(palette->GetPreviewImage(), nullptr);
    EXPECT_EQ(int32_t(palette->GetPreviewImage()->GetWidth()), RectWidth(preview->GetRect()));
    EXPECT_EQ(int32_t(palette->GetPreviewImage()->GetHeight()), RectHeight(preview->GetRect()));
    EXPECT_EQ(LookupHandle(preview->GetUserWord(CControlPalette::kPreviewImageWord), CControlPalette::kPreviewImageTag),
              palette->GetPreviewImage());

    EXPECT_EQ(HeartbeatRows(app, palette), 1u);
    EXPECT_EQ(palette->BuildControls(palette->GetResourceEnvironment()), 0);
    EXPECT_EQ(HeartbeatRows(app, palette), 1u);
  });
}

TEST_F(ControlPalette, SetButtonStateShowsTheStateOnTheDotAndIgnoresLargeStates) {
  RunPalette([&] {
    palette->SetButtonState(3, 1);
    EXPECT_EQ(State(palette->GetViewDot(3)), 1u);
    EXPECT_EQ(palette->GetButtonState(3), 1u);
    palette->SetButtonState(3, 8);
    EXPECT_EQ(palette->GetButtonState(3), 1u);
    palette->SetButtonState(9, 1);
  });
}

TEST_F(ControlPalette, StoredSettingsAreTakenAndHandedToTheWindow) {
  WritePrefs(1, {0, 0, 1, 0},
             {FourCC("wire"), FourCC("top "), FourCC("trpd"), FourCC("mask"), FourCC("anl1"), FourCC("spo1")});
  RunPalette([&] {
    EXPECT_EQ(palette->GetPreviewMode(), FourCC("wire"));
    EXPECT_EQ(palette->GetPreviewView(), FourCC("top "));
    EXPECT_EQ(palette->GetTrackballOption(), FourCC("trpd"));
    EXPECT_EQ(palette->GetRenderOption(0), FourCC("mask"));
    EXPECT_EQ(palette->GetRenderOption(1), FourCC("anl1"));
    EXPECT_EQ(palette->GetRenderOption(2), FourCC("spo1"));
    EXPECT_FALSE(palette->IsAutoPreview());
    EXPECT_FALSE(palette->IsRenderReport());
    EXPECT_EQ(State(palette->GetTexturesButton()), 2u);
    EXPECT_EQ(State(palette->GetPreviewModeButton()), 0u);

    palette->RestartPreview();
    EXPECT_EQ(palette->ApplySettings(), 0);
    const CDocRenderState& render = window->GetRenderState();
    const uint32_t options = window->GetRenderOptions();
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kNotifyDrags);
    EXPECT_EQ(window->GetTrackballMode(), CDocWindow::kTrackTripod);
    EXPECT_TRUE(options & SRenderSettings::kMaskMode);
    EXPECT_EQ(render.fAntialiasChoice, 2u);
    EXPECT_FALSE(options & SRenderSettings::kAntialiasPass);
    EXPECT_EQ(render.fOptimizerChoice, 2u);
    EXPECT_FALSE(render.fReportWanted);
    EXPECT_FALSE(options & SRenderSettings::kTextures);
    EXPECT_TRUE(window->GetSky()->GetSettings().flags & C3dSky::kFlatWithoutAtmosphere);
    EXPECT_FALSE(options & SRenderSettings::kAdaptive);
    EXPECT_FALSE(palette->IsPreviewPending());
  });
}

TEST_F(ControlPalette, AStoredCodeOfZeroKeepsTheDefaultButTheFlagsAreAlwaysTaken) {
  WritePrefs(1, {1, 0, 0, 1}, {0, FourCC("frnt"), 0, 0, 0, 0});
  RunPalette([&] {
    EXPECT_EQ(palette->GetPreviewMode(), FourCC("full"));
    EXPECT_EQ(palette->GetPreviewView(), FourCC("frnt"));
    EXPECT_EQ(palette->GetTrackballOption(), FourCC("trak"));
    EXPECT_EQ(palette->GetRenderOption(2), FourCC("spop"));
    EXPECT_TRUE(palette->IsAutoPreview());
    EXPECT_FALSE(palette->IsRenderReport());
    EXPECT_EQ(State(palette->GetPreviewModeButton()), 2u);
  });
}

// Without the previous state the build writes the palette's settings, as destroying it does; without
// a file nothing is written, and a write that fails answers 1.
TEST_F(ControlPalette, SettingsAreWrittenAtTheBuildAndAtTheEndButNeverWithoutAFile) {
  WritePrefs(0, {}, {});
  RunPalette([&] {
    CPrefsFile prefs;
    ASSERT_TRUE(prefs.IsRead());
    EXPECT_EQ(StoredWord(prefs, 20), FourCC("full"));
    EXPECT_EQ(StoredWord(prefs, 24), FourCC("curv"));
    EXPECT_EQ(StoredWord(prefs, 28), FourCC("trak"));
    EXPECT_EQ(StoredWord(prefs, 32), FourCC("pers"));
    EXPECT_EQ(StoredWord(prefs, 40), FourCC("spop"));
    EXPECT_EQ(prefs.GetBlock()[kAuto], 1);
    EXPECT_EQ(prefs.GetBlock()[kReport], 1);
    EXPECT_EQ(prefs.GetBlock()[kTextures], 0);

    // The record is written back at the end: a change made now is found afterwards.
    Press(palette->GetTexturesButton(), {4, 4});
    EXPECT_EQ(State(palette->GetTexturesButton()), 2u);

    // The record of a file that cannot be replaced: a folder stands in its place.
    CPrefsFile held;
    ASSERT_TRUE(held.IsRead());
    ASSERT_EQ(std::rename(CPrefsFile::kFileName, "kept"), 0);
    ASSERT_EQ(mkdir(CPrefsFile::kFileName, 0700), 0);
    EXPECT_EQ(palette->ExchangePrefs(false, held), 1);
    ASSERT_EQ(rmdir(CPrefsFile::kFileName), 0);
    ASSERT_EQ(std::rename("kept", CPrefsFile::kFileName), 0);
  });
  CPrefsFile after;
  ASSERT_TRUE(after.IsRead());
  EXPECT_EQ(after.GetBlock()[kTextures], 1);
  EXPECT_EQ(after.GetBlock()[kPreviewButton], 0);

  ASSERT_EQ(std::remove(CPrefsFile::kFileName), 0);
  RunPalette([&] { EXPECT_EQ(palette->ExchangePrefs(false), 0); });
  EXPECT_FALSE(FileExists(CPrefsFile::kFileName));
}

CUIMessage Message(uint32_t kind, const char* element, const char* canvas, int32_t value = 0) {
  CUIMessage message;
  message.Init(kind, element, nullptr, canvas, 0);
  message.SetPayloadWord(0, value);
  return message;
}

TEST_F(ControlPalette, AHiddenPaletteTakesOnlyTheMessageThatShowsIt) {
  RunPalette([&] {
    palette->Hide();
    CUIMessage view = Message(2, "view control", "control palette", 3);
    EXPECT_EQ(palette->HandleEvent(&view), 0);
    EXPECT_EQ(palette->GetCurrentView(), 0u);
    CUIMessage show = Message(0, "control palette", "");
    EXPECT_EQ(palette->HandleEvent(&show), 26);
    EXPECT_TRUE(palette->IsShown());
  });
}

TEST_F(ControlPalette, AViewControlMessageSwitchesTheViewAndDimsTheCameraControls) {
  RunPalette([&] {
    CUIMessage view = Message(2, "view control", "control palette", 3);
    palette->HandleEvent(&view);
    EXPECT_EQ(palette->GetCurrentView(), 3u);
    EXPECT_EQ(State(palette->GetViewControl()), 3u);
    for (uint32_t i = 0; i < CControlPalette::kCameraControlCount; ++i) {
      EXPECT_FALSE(palette->IsEnabled(Camera(i))) << i;
      EXPECT_EQ(State(Camera(i)), 1u) << i;
    }
    EXPECT_EQ(window->GetCurrentCamera(), window->GetViewCamera(CDocWindow::kFront));

    // An empty dot leaves the view; dot 0, or a dot that held a view, goes back to the camera view.
    struct SCase {
      int32_t dot, before;
      uint32_t view;
    } cases[] = {{4, 0, 3}, {0, 0, 0}, {4, 1, 0}, {5, 2, 0}};
    for (const SCase& c : cases) {
      palette->SelectView(3);
      CUIMessage dot = Message(0, "view dot", "control palette", c.dot);
      dot.SetPayloadWord(1, c.before);
      EXPECT_EQ(palette->HandleEvent(&dot), 0);
      EXPECT_EQ(palette->GetCurrentView(), c.view) << c.dot << " " << c.before;
      EXPECT_EQ(palette->IsEnabled(Camera(0)), c.view == 0) << c.dot << " " << c.before;
    }
  });
}

TEST_F(ControlPalette, AReadoutMessageReachesTheReadout) {
  RunPalette([&] {
    CUIMessage readout = Message(4, "12Trackball", "control palette");
    readout.windowName = "10Drag";
    EXPECT_EQ(palette->HandleEvent(&readout), 26);
    EXPECT_STREQ(palette->GetTopLine(), "Trackball");
    EXPECT_STREQ(palette->GetBottomLine(), "Drag");
  });
}

TEST_F(ControlPalette, KeysPickViewsAndRecallDots) {
  RunPalette([&] {
    auto type = [&](char c, const char* modifier = nullptr) {
      if (modifier) Play(std::string("key ") + modifier + "\n");
      SWinEvent event;
      event.key = uint8_t(c);
      palette->OnCharacter(event);
      if (modifier) Play(std::string("keyup ") + modifier + "\n");
    };
    type('3');
    EXPECT_EQ(palette->GetCurrentView(), 2u);
    EXPECT_EQ(window->GetCurrentCamera(), window->GetViewCamera(CDocWindow::kRight));
    type('1', "0x11");
    EXPECT_EQ(palette->GetCurrentView(), 2u);
    type('1', "0x12");
    EXPECT_EQ(palette->GetCurrentView(), 2u);

    Log().clear();
    type('5');
    EXPECT_EQ(State(palette->GetViewDot(1)), 0u);
    EXPECT_TRUE(Log().empty());
    palette->SetButtonState(1, 1);
    type('5');
    EXPECT_EQ(State(palette->GetViewDot(1)), 2u);
    EXPECT_EQ(palette->GetCurrentDot(), palette->GetViewDot(1));
    EXPECT_EQ(palette->GetCurrentView(), 0u);
  });
}

// ---- the option menus

class ControlPaletteMenus : public ControlPaletteTest {
 protected:
  // Opens the menu of the button and chooses its row.
  void Choose(uint32_t button, uint32_t row) {
    CElement* element = nullptr;
    CElSystem::FindElement(palette->GetRoot()->GetChildren(), need::kOptionMenuButtons[button].name, &element, false);
    ASSERT_NE(element, nullptr);
    const platform::SPoint at = ScreenOf(element, {4, 4});
    const int32_t frame = 3, rowHeight = 19;
    const platform::SPoint item{at.x + frame + 30, at.y + frame + int32_t(row - 1) * rowHeight + rowHeight / 2};
    Play(Move(at) + "down left\nup left\n" + Move(item) + "down left\nup left\n");
  }
};

enum { kPreviewMenu, kViewMenu, kCameraMenu, kTrackballMenu, kRenderMenu };

TEST_F(ControlPaletteMenus, TheRenderOptionsSetTheirGroupAndReachTheWindow) {
  RunPalette([&] {
    struct SCase {
      uint32_t row;
      const char* sent;
      uint32_t first, second, third;
      bool report;
    } cases[] = {
        {11, "option dist 0", FourCC("dist"), FourCC("anl0"), FourCC("spop"), true},
        {3, "option anl1 0", FourCC("dist"), FourCC("anl1"), FourCC("spop"), true},
        {5, "option spo0 0", FourCC("dist"), FourCC("anl1"), FourCC("spo0"), true},
        {5, nullptr, FourCC("dist"), FourCC("anl1"), FourCC("spo0"), true},
        {7, "option rprt 0", FourCC("dist"), FourCC("anl1"), FourCC("spo0"), false},
        {7, "option rprt 1", FourCC("dist"), FourCC("anl1"), FourCC("spo0"), true},
        {15, "option res2 0", FourCC("dist"), FourCC("anl1"), FourCC("spo0"), true},
    };
    for (const SCase& c : cases) {
      Log().clear();
      Choose(kRenderMenu, c.row);
      EXPECT_EQ(Log(), c.sent ? std::vector<std::string>{c.sent} : std::vector<std::string>{}) << c.row;
      EXPECT_EQ(palette->GetRenderOption(0), c.first) << c.row;
      EXPECT_EQ(palette->GetRenderOption(1), c.second) << c.row;
      EXPECT_EQ(palette->GetRenderOption(2), c.third) << c.row;
      EXPECT_EQ(palette->IsRenderReport(), c.report) << c.row;
    }
    EXPECT_TRUE(window->GetRenderOptions() & SRenderSettings::kDepthMode);
  });
}

TEST_F(ControlPaletteMenus, TheViewMenuPicksAndResetsViews) {
  RunPalette([&] {
    Choose(kViewMenu, 4);
    EXPECT_EQ(palette->GetCurrentView(), 3u);
    EXPECT_EQ(Log(), std::vector<std::string>{"message view control 3"});
    Log().clear();
    Choose(kViewMenu, 4);
    EXPECT_TRUE(Log().empty());
    Choose(kViewMenu, 8);
    EXPECT_EQ(palette->GetCurrentView(), 0u);
    EXPECT_EQ(Log(), std::vector<std::string>{"message view control 7"});
    EXPECT_TRUE(palette->IsEnabled(Camera(0)));
  });
}

TEST_F(ControlPaletteMenus, ThePreviewMenuSetsModeAutoAndView) {
  RunPalette([&] {
    Choose(kPreviewMenu, 3);
    EXPECT_EQ(palette->GetPreviewMode(), FourCC("wire"));
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kNotifyDrags);
    Choose(kPreviewMenu, 1);
    EXPECT_EQ(palette->GetPreviewMode(), FourCC("full"));
    EXPECT_FALSE(window->GetFlags() & CDocWindow::kNotifyDrags);
    Choose(kPreviewMenu, 4);
    EXPECT_FALSE(palette->IsAutoPreview());
    EXPECT_FALSE(palette->IsPreviewPending());
    Choose(kPreviewMenu, 7);
    EXPECT_EQ(palette->GetPreviewView(), FourCC("top "));
    // The checked view does nothing, not even the cancel of a preview asked for since.
    palette->RestartPreview();
    Choose(kPreviewMenu, 7);
    EXPECT_TRUE(palette->IsPreviewPending());
  });
}

TEST_F(ControlPaletteMenus, TheCameraAndTrackballMenusReachTheWindowAndTheCameraDialog) {
  RunPalette([&] {
    Choose(kTrackballMenu, 3);
    EXPECT_EQ(palette->GetTrackballOption(), FourCC("trpd"));
    EXPECT_EQ(window->GetTrackballMode(), CDocWindow::kTrackTripod);
    Log().clear();
    Choose(kCameraMenu, 2);
    EXPECT_EQ(Log(), std::vector<std::string>{"message camera options menu " + std::to_string(FourCC("cnts"))});
    Log().clear();
    Choose(kCameraMenu, 4);
    EXPECT_EQ(Log(), std::vector<std::string>{"named edit camera control palette"});
  });
}

}  // namespace
