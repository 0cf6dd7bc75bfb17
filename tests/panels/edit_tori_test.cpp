// The torus editor: the radii it opens with, the drag of the tube radius in its two modes, "ok" as
// one undoable step over the selected tori, its ways of closing, and the spinning preview.
#include <functional>
#include <memory>
#include <string>

#include "editing/torus_action.h"
#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "panels/edit_tori.h"
#include "scene/torus.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "edit tori";

class EditTori : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    editor = Dialog<CEditTori>("edittori.dat");
    editor->SetOwner(&window);
  }
  void TearDown() override {
    editor.reset();
    DialogsTest::TearDown();
  }
  C3dTorus* SelectedTorus(double tube, double ring) {
    C3dTorus* torus = MakeObject<C3dTorus>(table);
    torus->SetMinorRadius(tube);
    torus->UpdateBounds();
    torus->SetMajorRadius(ring);
    torus->UpdateBounds();
    Selection().Add(torus, 0, 1);
    return torus;
  }
  void Open() {
    ASSERT_EQ(editor->SetTorus(table), 0);
    editor->Refresh(false);
  }
  int32_t Send(const char* element) {
    CUIMessage message = Named(kCanvas, element);
    return editor->HandleEvent(&message);
  }
  uint32_t Item(uint32_t item) { return editor->GetTorusElement()->GetUserWord(item); }
  // A press on "torus" dragged by dx, with the key of that virtual code held from the press (18: Alt).
  void Drag(int32_t dx, const std::string& chord = "") {
    SRect local;
    editor->GetTorusElement()->GetLocalRect(&local);
    const SPointHV at = OnScreen(editor->GetTorusElement(), {RectWidth(local) / 2, RectHeight(local) / 2});
    std::string script = "move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\n";
    if (!chord.empty()) script += "key " + chord + "\n";
    script += "down left\nwait 40\nmove " + std::to_string(at.h + dx) + " " + std::to_string(at.v) + "\nwait 40\nup left\n";
    if (!chord.empty()) script += "keyup " + chord + "\n";
    Script(script);
  }
  void ExpectBounds(C3dTorus* torus) {
    const double r = torus->GetMinorRadius(), R = torus->GetMajorRadius();
    ExpectNear(torus->LocalBox().fMax, {r + R, r, r + R}, 1e-9, "box max");
    ExpectNear(torus->LocalBox().fMin, {-(r + R), -r, -(r + R)}, 1e-9, "box min");
  }

  std::unique_ptr<CEditTori> editor;
};

TEST_F(EditTori, TheDragChangesTheTubeKeepingTheOuterRadiusOrWithAltTheRing) {
  SelectedTorus(1, 3);
  struct SCase {
    int32_t dx;
    std::string chord;
    uint32_t tube;
    double ring, outer;
  } cases[] = {
      {50, "", 150, 2.5, 4},     {-500, "", 0, 4, 4},          {500, "", 200, 2, 4},
      {50, "18", 150, 3, 4.5},   {500, "18", 300, 3, 6},
  };
  for (const SCase& c : cases) {
    Open();
    EXPECT_EQ(Item(CEditTori::kTubeItem), 100u);
    EXPECT_EQ(Item(CEditTori::kHalfOuterItem), 200u);
    EXPECT_EQ(Item(CEditTori::kRingItem), 300u);
    Drag(c.dx, c.chord);
    EXPECT_EQ(Item(CEditTori::kTubeItem), c.tube) << c.dx << c.chord;
    EXPECT_DOUBLE_EQ(editor->GetTube(), c.tube * 0.01) << c.dx << c.chord;
    EXPECT_DOUBLE_EQ(editor->GetRing(), c.ring) << c.dx << c.chord;
    EXPECT_DOUBLE_EQ(editor->GetOuter(), c.outer) << c.dx << c.chord;
    // Later steps of the preview keep the mode of the drag.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(editor->UpdatePreview(), 0);
    EXPECT_DOUBLE_EQ(editor->GetRing(), c.ring);
    ASSERT_NE(editor->GetPreviewTorus(), nullptr);
    EXPECT_DOUBLE_EQ(editor->GetPreviewTorus()->GetMajorRadius(), c.ring);
    ExpectBounds(editor->GetPreviewTorus());
    EXPECT_EQ(Send("cancel"), kHandled);
  }
}

TEST_F(EditTori, OkGivesEverySelectedTorusTheRadiiAsOneUndoableStep) {
  C3dTorus* a = SelectedTorus(1, 3);
  C3dTorus* b = SelectedTorus(0.5, 2);
  C3dSphere* sphere = SelectedSphere({1, 1, 1});
  const vector3<double> size = sphere->GetScaledSize();
  Open();
  Drag(50);
  const uint32_t level = owner->GetModalLevel();
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_FALSE(editor->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level - 1);
  for (C3dTorus* torus : {a, b}) {
    EXPECT_DOUBLE_EQ(torus->GetMinorRadius(), 1.5);
    EXPECT_DOUBLE_EQ(torus->GetMajorRadius(), 2.5);
    ExpectBounds(torus);
  }
  EXPECT_EQ(sphere->GetScaledSize(), size);
  ASSERT_NE(dynamic_cast<CTorusAction*>(document->GetUndoHistory().GetCurrentAction()), nullptr);
  EXPECT_EQ(document->GetUndoHistory().Undo(), 0);
  EXPECT_DOUBLE_EQ(a->GetMinorRadius(), 1);
  EXPECT_DOUBLE_EQ(a->GetMajorRadius(), 3);
  EXPECT_DOUBLE_EQ(b->GetMinorRadius(), 0.5);
  EXPECT_DOUBLE_EQ(b->GetMajorRadius(), 2);
  // Without a torus selected "ok" records nothing.
  document->GetUndoHistory().Clear();
  for (C3dTorus* torus : {a, b}) Selection().Deselect(torus);
  Open();
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr);
}

TEST_F(EditTori, CancelEscapeCtrlNAndAPressOutsideCloseWithTheLevelLowered) {
  SelectedTorus(1, 3);
  const auto closes = [&](const std::function<void()>& close, const char* how) {
    const uint32_t level = owner->GetModalLevel();
    Open();
    EXPECT_EQ(owner->GetModalLevel(), level + 1) << how;
    close();
    EXPECT_FALSE(editor->IsShown()) << how;
    EXPECT_EQ(owner->GetModalLevel(), level) << how;
  };
  closes([&] { EXPECT_EQ(Send("cancel"), kHandled); }, "cancel");
  closes([&] { Script("stroke Escape\n"); }, "escape");
  closes([&] { Script("stroke ctrl+n\n"); }, "ctrl+n");
  closes([&] { editor->CloseFromOutside(); }, "outside");
  // A show-again message leaves the level.
  Open();
  const uint32_t level = owner->GetModalLevel();
  CUIMessage again = Named("doc window", kCanvas);
  EXPECT_EQ(editor->HandleEvent(&again), kHandled);
  EXPECT_EQ(owner->GetModalLevel(), level);
  EXPECT_EQ(Send("cancel"), kHandled);
}

TEST_F(EditTori, ThePreviewSpinsOnEachHeartbeatOnlyWhileTheEditorIsOnTop) {
  SelectedTorus(1, 3);
  Open();
  const uint32_t before = editor->GetPreviewCount();
  const vector3<double> turn = editor->GetPreviewTorus()->GetTransformVector2();
  Beat(&CEditTori::OnIdle, editor.get());
  Beat(&CEditTori::OnIdle, editor.get());
  EXPECT_EQ(editor->GetPreviewCount(), before + 2);
  ExpectNear(editor->GetPreviewTorus()->GetTransformVector2(), turn + vector3<double>{0.174, 0.174, 0.174}, 1e-9,
             "spin");
  // Another dialog above it: no step.
  owner->RaiseModalLevel();
  Beat(&CEditTori::OnIdle, editor.get());
  EXPECT_EQ(editor->GetPreviewCount(), before + 2);
  owner->LowerModalLevel();
  EXPECT_EQ(Send("cancel"), kHandled);
  Beat(&CEditTori::OnIdle, editor.get());
  EXPECT_EQ(editor->GetPreviewCount(), before + 2);
}

}  // namespace
