// The display palette and the preferences dialog in the program's interface, over a real document
// window: nano edit mode and the control palette's live drag, the shadows' notification, the window's
// background pictures, the resolutions in the class meshes, and the preferences command's modal level.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/doc_window.h"
#include "framework/core/four_cc.h"
#include "framework/image/image.h"
#include "framework/ui/im_element.h"
#include "panels/display_palette.h"
#include "panels/layout_needs.h"
#include "panels/nano_editor.h"
#include "panels/prefs.h"
#include "scene/class_mesh.h"
#include "scene/sphere.h"
#include "tests/app/control_palette_fixture.h"

namespace {

// A window that logs its object-info notifications and lets the test reset its classes as its
// redraw does for dirty bit 8.
class CDisplayLogWindow : public CDocWindowDouble {
 public:
  static inline std::vector<uint32_t> gNotified;
  using CDocWindowDouble::CDocWindowDouble;
  static CDocWindow* Make(CUICmFunction* owner, CResourceEnv* environment) {
    return new CDisplayLogWindow(owner, environment);
  }
  void NotifyObjInfoChanged(uint32_t changes) override {
    gNotified.push_back(changes);
    CDocWindowDouble::NotifyObjInfoChanged(changes);
  }
  using CDocWindow::ResetClasses;
};

class DisplayPaletteShell : public ControlPaletteTest {
 protected:
  void RunDisplay(const std::function<void()>& body) {
    CDisplayLogWindow::gNotified.clear();
    Run(
        [&] {
          display = pm->GetCanvases()->displayPalette;
          ASSERT_NE(display, nullptr);
          body();
        },
        [&] { pm->SetDocWindowFactory(&CDisplayLogWindow::Make); });
    display = nullptr;
  }
  int32_t SendDisplay(const char* element) {
    CUIMessage message;
    message.Init(0, element, nullptr, need::kDisplayPalette.name, CUIMessage::kBroadcast);
    return display->HandleEvent(&message);
  }
  static uint32_t Vertices(uint32_t mesh) {
    C3dClassMesh* classMesh = C3dSphere::GetClassMesh(mesh);
    return classMesh ? classMesh->GetVertices().GetCount() : 0;
  }
  // A sphere's mesh of detail n has (n + 1) × n vertices.
  static uint32_t SphereVertices(uint32_t n) { return (n + 1) * n; }

  CDisplayPalette* display = nullptr;
};

// The palette's "nano edit mode" sets the window's live preview flag: a drag of the control palette
// then draws into the one nano editor's picture. A second press clears it.
TEST_F(DisplayPaletteShell, NanoEditModeFeedsTheNanoEditorDuringADrag) {
  RunPalette([&] {
    display = pm->GetCanvases()->displayPalette;
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->GetOwnerWindow(), static_cast<CDocumentHost*>(window));
    CImage* picture = window->GetNanoEditor()->GetImageElement()->GetImage();
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(picture->Fill(0xFF123456));
    EXPECT_EQ(SendDisplay(need::kDisplayControls[need::kNanoEditMode].name), 26);
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kLivePreview);
    Press(Camera(CControlPalette::kTrackball), {28, 28}, "rmove 7 5");
    CImNavigator pixels(picture, nullptr, false, false);
    ASSERT_TRUE(pixels.IsUsable());
    EXPECT_NE(pixels.Cells(picture->GetHeight() / 2)[picture->GetWidth() / 2].value & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(SendDisplay(need::kDisplayControls[need::kNanoEditMode].name), 26);
    EXPECT_FALSE(window->GetFlags() & CDocWindow::kLivePreview);
  });
}

// "wireframe shadows" invalidates the view and tells the control palette only with F10 held or the
// window's flag 0x200.
TEST_F(DisplayPaletteShell, WireframeShadowsNotifyWithF10OrTheWindowsFlag) {
  RunDisplay([&] {
    CImElement* shadows = display->GetControl(need::kWireframeShadows);
    shadows->SetUserWord(CDisplayPalette::kStateWord, 0);
    CDocWindowDouble::gCalls.clear();
    EXPECT_EQ(SendDisplay(need::kDisplayControls[need::kWireframeShadows].name), 26);
    EXPECT_FALSE(window->GetView().GetStyle().shadows);
    EXPECT_EQ(CDocWindowDouble::gCalls, std::vector<std::string>{"Invalidate view"});
    EXPECT_TRUE(CDisplayLogWindow::gNotified.empty());
    window->SetFlags(CDocWindow::kNotifyDrags);
    SendDisplay(need::kDisplayControls[need::kWireframeShadows].name);
    EXPECT_EQ(CDisplayLogWindow::gNotified, std::vector<uint32_t>{4});
    window->ClearFlags(CDocWindow::kNotifyDrags);
    Play("key 121\n");
    SendDisplay(need::kDisplayControls[need::kWireframeShadows].name);
    Play("keyup 121\n");
    EXPECT_EQ(CDisplayLogWindow::gNotified, (std::vector<uint32_t>{4, 4}));
  });
}

// Each of pictures 100 to 105 of the window's layout becomes the view's background picture over grey;
// a plain colour afterwards drops it.
TEST_F(DisplayPaletteShell, BackgroundPicturesComeFromTheWindowsLayout) {
  RunDisplay([&] {
    CView& view = window->GetView();
    for (int32_t mode = CDisplayPalette::kFirstBackdrop; mode <= CDisplayPalette::kLastBackdrop; ++mode) {
      view.UsePlainBackground();
      EXPECT_EQ(display->SetBackground(mode, CDisplayPalette::kGrey), 0) << mode;
      EXPECT_TRUE(view.HasBackgroundImage()) << mode;
      EXPECT_EQ(view.GetStyle().background, CDisplayPalette::kGrey);
    }
    EXPECT_TRUE(window->IsBackgroundChanged());
    EXPECT_EQ(display->ChooseBackground(FourCC("bblc")), 0);
    EXPECT_FALSE(view.HasBackgroundImage());
    EXPECT_EQ(view.GetStyle().background, 0u);
  });
}

// The resolutions make the class meshes again, (second, grid, first) as (selected, moving, other),
// and the window's own class reset keeps them.
TEST_F(DisplayPaletteShell, ResolutionsMakeTheClassMeshesAndTheWindowKeepsThem) {
  RunDisplay([&] {
    EXPECT_EQ(Vertices(0), SphereVertices(16));
    EXPECT_EQ(Vertices(1), SphereVertices(8));
    EXPECT_EQ(Vertices(2), SphereVertices(32));
    display->ChooseResolution(CDisplayPalette::kGridResolution, 2);
    display->ChooseResolution(CDisplayPalette::kFirstResolution, 3);
    display->ChooseResolution(CDisplayPalette::kSecondResolution, 4);
    EXPECT_EQ(Vertices(0), SphereVertices(128));
    EXPECT_EQ(Vertices(1), SphereVertices(12));
    EXPECT_EQ(Vertices(2), SphereVertices(64));
    ASSERT_EQ(static_cast<CDisplayLogWindow*>(window)->ResetClasses(), 0);
    EXPECT_EQ(Vertices(0), SphereVertices(128));
    EXPECT_EQ(Vertices(1), SphereVertices(12));
    EXPECT_EQ(Vertices(2), SphereVertices(64));
    display->ResetSettings();
    EXPECT_EQ(Vertices(1), SphereVertices(8));
  });
}

// 'pref' builds the dialog once and opens it a level up; a "Preferences" message while it shows only
// brings it forward; OK lowers the level and the palettes take presses again.
TEST_F(DisplayPaletteShell, ThePreferencesCommandOpensTheDialogOneLevelUp) {
  RunDisplay([&] {
    CPrefs* prefs = pm->GetCanvases()->prefs;
    ASSERT_NE(prefs, nullptr);
    CUICmFunction* owner = pm->GetBroadcaster();
    const uint32_t level = owner->GetModalLevel();
    EXPECT_EQ(pm->DoCommand(FourCC("pref")), 26);
    EXPECT_TRUE(prefs->IsShown());
    EXPECT_EQ(owner->GetModalLevel(), level + 1);
    EXPECT_TRUE(display->IsStale());
    CUIMessage again;
    again.Init(0, "Preferences", nullptr, "doc window", CUIMessage::kBroadcast);
    EXPECT_EQ(owner->Dispatch(&again), 26);
    EXPECT_EQ(owner->GetModalLevel(), level + 1);
    CUIMessage ok;
    ok.Init(0, "ok button", nullptr, "Preferences", CUIMessage::kBroadcast);
    owner->Dispatch(&ok);
    EXPECT_FALSE(prefs->IsShown());
    EXPECT_EQ(owner->GetModalLevel(), level);
    EXPECT_FALSE(display->IsStale());
    EXPECT_EQ(pm->DoCommand(FourCC("pref")), 26);
    EXPECT_EQ(prefs->GetBuildCount(), 1u) << "built once";
    ok.Init(0, "cancel button", nullptr, "Preferences", CUIMessage::kBroadcast);
    owner->Dispatch(&ok);
    EXPECT_EQ(owner->GetModalLevel(), level);
  });
}

}  // namespace
