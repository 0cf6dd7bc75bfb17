// The editing dialogs in the program, headless: each opens one modal level up from where the program
// opens it (the 'attr' command, a double click on a camera control, the edit palette's rotate pop-up,
// the document window's "edit light", the display palette's other colour), and "ok" or "cancel" lowers
// it again; a dialog already up is brought forward without another level, and the palettes behind it
// refuse presses with a beep.
#include <string>

#include "app/doc_window.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"
#include "panels/color_picker.h"
#include "panels/display_palette.h"
#include "panels/edit_3d_trans.h"
#include "panels/edit_camera.h"
#include "panels/edit_light.h"
#include "panels/edit_obj_attrs.h"
#include "panels/edit_palette.h"
#include "panels/layout_needs.h"
#include "platform/system.h"
#include "tests/app/control_palette_fixture.h"

namespace {

using EditingDialogs = ControlPaletteTest;

constexpr int32_t kMenuFrame = 3;
constexpr int32_t kMenuRow = 19;

CUIMessage Named(const char* canvas, const char* element) {
  CUIMessage message;
  message.Init(0, element, nullptr, canvas, CUIMessage::kBroadcast);
  return message;
}

// The lines that click row `row` of a pop-up menu opening at the screen point.
std::string MenuClick(SPointHV menu, uint32_t row) {
  const SPointHV at{menu.h + kMenuFrame + 30, menu.v + kMenuFrame + int32_t(row - 1) * kMenuRow + kMenuRow / 2};
  return "wait 20\nmove " + std::to_string(at.h) + " " + std::to_string(at.v) + "\nwait 20\ndown left\nwait 20\nup left\n";
}

TEST_F(EditingDialogs, EachOpensOneLevelUpAndOkOrCancelLowersIt) {
  RunPalette([&] {
    const SCanvasTable* t = pm->GetCanvases();
    CUICmFunction* broadcaster = pm->GetBroadcaster();
    const auto expectUpThenClosed = [&](CLayoutHostCanvas* dialog, const char* what, const char* key) {
      EXPECT_TRUE(dialog->IsShown()) << what;
      EXPECT_EQ(broadcaster->GetModalLevel(), 1u) << what;
      EXPECT_FALSE(dialog->IsStale()) << what;
      Play(std::string("key ") + key + "\nkeyup " + key + "\n");
      EXPECT_FALSE(dialog->IsShown()) << what;
      EXPECT_EQ(broadcaster->GetModalLevel(), 0u) << what;
    };

    // 'attr' from the menu bar, on the selection.
    SelectFirstObject();
    EXPECT_EQ(pm->DoCommand(FourCC("attr")), 26);
    // Brought forward again from another canvas, it keeps its level.
    CUIMessage again = Named("doc window", "edit objattrs");
    EXPECT_EQ(broadcaster->Dispatch(&again), 26);
    // A palette behind it refuses a press with a beep.
    const uint32_t beeps = platform::BeepCount();
    Press(Camera(CControlPalette::kCameraXY), {5, 28});
    EXPECT_EQ(platform::BeepCount(), beeps + 1);
    expectUpThenClosed(t->editObjAttrs, "attributes", "Return");

    // A double click on a camera control of the control palette.
    Press(Camera(CControlPalette::kCameraXY), {5, 28});
    Press(Camera(CControlPalette::kCameraXY), {5, 28});
    EXPECT_TRUE(GetElementWindow(t->editCamera->GetFieldElement(CEditCamera::kOffsetX))->HasFocus());
    expectUpThenClosed(t->editCamera, "camera", "Escape");

    // "Rotate Numerically..." of the edit palette's rotate pop-up: the rotation's field first.
    CEditPalette* edit = t->editPalette;
    edit->Show();
    const SPointHV menu = edit->CanvasToScreen({40, 30});
    ASSERT_TRUE(platform::headless::AddScript(MenuClick(menu, 5)));
    EXPECT_EQ(edit->PopUpTransformOptions({40, 30}, "rotate options"), 0);
    Play("");
    EXPECT_EQ(CEdit3dTrans::Fields().current, t->edit3dTrans->GetFieldElement(3));
    expectUpThenClosed(t->edit3dTrans, "3D transformation", "Escape");

    // The document window's "edit light" on a new radial light.
    ASSERT_EQ(window->CreateRadialLight(), 0);
    CUIMessage editLight = Named("doc window", "edit light");
    EXPECT_EQ(broadcaster->Dispatch(&editLight), 26);
    expectUpThenClosed(t->editLight, "light editor", "Escape");

    // The display palette's other colour opens the picker on the background selector.
    CDisplayPalette* display = t->displayPalette;
    display->Show();
    CElement* selector = nullptr;
    CElSystem::FindElement(display->GetRoot()->GetChildren(), need::kDisplayControls[need::kBackgroundSelector].name,
                           &selector, false);
    ASSERT_NE(selector, nullptr);
    SPointHV corner;
    selector->LocalToRootPoint(&corner, {0, 0});
    ASSERT_TRUE(platform::headless::AddScript(MenuClick(corner, 4)));
    EXPECT_EQ(display->PopUpBackgroundMenu(corner), 0);
    Play("");
    EXPECT_EQ(t->colorPicker->GetCaller(), selector);
    expectUpThenClosed(t->colorPicker, "colour picker", "Return");
  });
}

}  // namespace
