// The object attributes dialog over a stand-in document window: what it reads of a selection (shared
// values, unknown axes, a group's box centre, mixed flags and roles), what "ok" writes as one undoable
// step, and the chiclet's opening beside the pointer with its drag over the checks.
#include <memory>
#include <string>

#include "editing/attributes_action.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/element.h"
#include "framework/ui/im_element.h"
#include "panels/edit_obj_attrs.h"
#include "scene/cube.h"
#include "scene/group.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "edit objattrs";

class EditObjAttrs : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    dialog = Dialog<CEditObjAttrs>("editobjattrs.dat");
  }
  void TearDown() override {
    dialog.reset();
    DialogsTest::TearDown();
  }
  void Open() {
    ASSERT_EQ(dialog->Open(&window), 0);
    dialog->Refresh(false);
  }
  int32_t Send(const char* element) {
    CUIMessage message = Named(kCanvas, element);
    return dialog->HandleEvent(&message);
  }
  std::string Text(const char* field) { return GetElementWindow(Find(*dialog, field))->GetText(); }
  uint32_t CheckState(const char* check) {
    CIxImage* list = FindImage(*dialog, check)->GetImageList();
    return list ? list->Selected() : 99;
  }
  CAttributesAction* Recorded() {
    return dynamic_cast<CAttributesAction*>(document->GetUndoHistory().GetCurrentAction());
  }
  C3dCube* SelectedCube(vector3<double> position) {
    C3dCube* cube = MakeShape<C3dCube>(table);
    if (cube) {
      Place(cube, {1, 1, 1}, position);
      Selection().Add(cube, 0, 1);
    }
    return cube;
  }

  std::unique_ptr<CEditObjAttrs> dialog;
};

TEST_F(EditObjAttrs, SharedValuesShowAndATypedOneMovesEveryObjectAsOneStep) {
  C3dSphere* sphere = SelectedSphere({1, 2, 3});
  C3dCube* cube = SelectedCube({4, 2, 3});
  Open();
  EXPECT_EQ(Text("offset x"), "");
  EXPECT_EQ(Text("offset y"), "20.48");
  EXPECT_EQ(Text("offset z"), "30.72");
  EXPECT_FALSE(dialog->GetValues(CEditObjAttrs::kPosition).known[0]);
  Type(GetElementWindow(Find(*dialog, "offset y")), "5");
  window.calls.clear();
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_DOUBLE_EQ(sphere->GetTransformVector3().y, 0.48828125);
  EXPECT_DOUBLE_EQ(cube->GetTransformVector3().y, 0.48828125);
  EXPECT_DOUBLE_EQ(sphere->GetTransformVector3().x, 1);
  EXPECT_DOUBLE_EQ(cube->GetTransformVector3().x, 4);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"invalidate", "objinfochanged 4", "find parts"}));
  ASSERT_NE(Recorded(), nullptr);
  EXPECT_EQ(document->GetUndoHistory().Undo(), 0);
  EXPECT_DOUBLE_EQ(sphere->GetTransformVector3().y, 2);
  EXPECT_DOUBLE_EQ(cube->GetTransformVector3().y, 2);
}

TEST_F(EditObjAttrs, CancelAndAnUntouchedOkChangeAndRecordNothing) {
  C3dSphere* sphere = SelectedSphere({1, 2, 3});
  for (const char* button : {"cancel", "ok"}) {
    Open();
    if (std::string(button) == "cancel") Type(GetElementWindow(Find(*dialog, "offset x")), "7");
    window.calls.clear();
    EXPECT_EQ(Send(button), kHandled) << button;
    EXPECT_FALSE(dialog->IsShown()) << button;
    EXPECT_EQ(owner->GetModalLevel(), 0u) << button;
    EXPECT_DOUBLE_EQ(sphere->GetTransformVector3().x, 1) << button;
    EXPECT_TRUE(window.calls.empty()) << button;
    EXPECT_EQ(Recorded(), nullptr) << button;
  }
  // With nothing selected the dialog cannot open.
  Selection().DeselectAll(1);
  EXPECT_EQ(dialog->Open(&window), kErrObjectNotFound);
}

TEST_F(EditObjAttrs, AGroupShowsItsBoxCentreAndShowAsBoxReachesEveryMember) {
  C3dSphere* a = NewSphere({1, 1, 1}, {0, 0, 0});
  C3dSphere* b = NewSphere({1, 1, 1}, {4, 0, 0});
  C3dGroup* inner = NewGroup({b});
  C3dGroup* group = NewGroup({a, inner});
  Selection().Add(group, 0, 1);
  Open();
  EXPECT_EQ(Text("offset x"), "20.48");  // the box runs from -1 to 5
  EXPECT_EQ(Text("offset y"), "0");
  Click(Find(*dialog, "show as box check"));
  EXPECT_EQ(dialog->GetShowAsBox(), CEditObjAttrs::kOn);
  EXPECT_EQ(Send("ok"), kHandled);
  for (C3dObject* object : {(C3dObject*)group, (C3dObject*)inner, (C3dObject*)a, (C3dObject*)b})
    EXPECT_TRUE(object->GetFlags() & C3dObject::kHidden);
  EXPECT_DOUBLE_EQ(a->GetTransformVector3().x, 0);  // the group's place stays
}

TEST_F(EditObjAttrs, MixedLockingStaysUntilTouchedAndAPressTurnsItOff) {
  C3dSphere* locked = SelectedSphere({1, 2, 3});
  locked->SetFlags(C3dObject::kTransformLocked);
  locked->SetStateFlags(C3dObject::kNotPickable);
  C3dSphere* free = SelectedSphere({2, 2, 3});
  Open();
  EXPECT_EQ(CheckState("locked check"), 2u);
  Type(GetElementWindow(Find(*dialog, "offset z")), "0");
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_TRUE(locked->IsTransformLocked());
  EXPECT_FALSE(free->IsTransformLocked());
  Open();
  EXPECT_EQ(Send("locked check"), kHandled);
  EXPECT_EQ(CheckState("locked check"), 0u);
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_FALSE(locked->IsTransformLocked());
  EXPECT_FALSE(locked->GetStateFlags() & C3dObject::kNotPickable);
}

TEST_F(EditObjAttrs, MixedRolesAreKeptUnlessARoleCheckIsPressed) {
  C3dSphere* positive = SelectedSphere({1, 2, 3});
  positive->SetStateFlags(C3dObject::kPositive);
  C3dSphere* negative = SelectedSphere({2, 2, 3});
  negative->SetStateFlags(C3dObject::kNegative);
  Open();
  for (const char* check : {"positive check", "negative check", "intersect check"}) EXPECT_EQ(CheckState(check), 0u);
  Type(GetElementWindow(Find(*dialog, "size x")), "10");
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_TRUE(positive->GetStateFlags() & C3dObject::kPositive);
  EXPECT_TRUE(negative->GetStateFlags() & C3dObject::kNegative);

  // Pressing the lit check again leaves no role: both lose theirs.
  Open();
  CElement* check = Find(*dialog, "positive check");
  for (int i = 0; i < 2; ++i) Click(check);
  EXPECT_EQ(CheckState("positive check"), 0u);
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_FALSE(positive->GetStateFlags() & C3dObject::kRoles);
  EXPECT_FALSE(negative->GetStateFlags() & C3dObject::kRoles);

  // One press lights it and gives every object the role.
  Open();
  Click(check);
  EXPECT_EQ(CheckState("positive check"), 1u);
  Click(Find(*dialog, "intersect check"));
  EXPECT_EQ(CheckState("positive check"), 0u);
  EXPECT_EQ(CheckState("intersect check"), 1u);
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_EQ(negative->GetStateFlags() & C3dObject::kRoles, C3dObject::kIntersect);
}

TEST_F(EditObjAttrs, TheChicletOpensBesideThePointerAndItsDragTogglesTheChecks) {
  C3dSphere* sphere = SelectedSphere({1, 2, 3});
  const SRect frame = dialog->GetFrame();
  const int32_t width = RectWidth(frame), height = RectHeight(frame);
  const SPointHV topLeft{1015 - width, 745 - height};
  // A check's middle on the screen once the dialog stands there.
  const auto middle = [&](const char* name) {
    SRect local, inCanvas;
    CElement* check = Find(*dialog, name);
    check->GetLocalRect(&local);
    check->LocalToAncestorRect(&inCanvas, local, nullptr);
    return std::to_string(topLeft.h + (inCanvas.left + inCanvas.right) / 2) + " " +
           std::to_string(topLeft.v + (inCanvas.top + inCanvas.bottom) / 2);
  };
  struct SCase {
    std::string drag;
    bool locked;
    bool asBox;
    bool recorded;
  } cases[] = {
      {"move " + middle("locked check") + "\nwait 100\nmove 10 10\nwait 100\nmove " + middle("locked check") +
           "\nwait 100\nmove " + middle("show as box check") + "\nwait 100\n",
       false, true, true},
      {"move 20 20\nwait 100\n", false, true, false},
  };
  for (const SCase& c : cases) {
    window.calls.clear();
    document->GetUndoHistory().Clear();
    // The chiclet's press has gone to the document window, which sent the message at once.
    Script("move 1000 740\ndown left\n");
    ASSERT_TRUE(platform::headless::AddScript("wait 300\n" + c.drag + "up left\n"));
    CUIMessage chiclet = Named("doc image", "attr chiclet");
    const uint32_t level = owner->GetModalLevel();
    EXPECT_EQ(dialog->HandleEvent(&chiclet), kHandled);
    // The opening raised the level by one and took it as the dialog's stamp; the release lowered it.
    EXPECT_EQ(dialog->GetStamp(), level + 1);
    EXPECT_EQ(dialog->GetFrame().left, topLeft.h);
    EXPECT_EQ(dialog->GetFrame().top, topLeft.v);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(owner->GetModalLevel(), level);
    EXPECT_EQ(sphere->IsTransformLocked(), c.locked);
    EXPECT_EQ((sphere->GetFlags() & C3dObject::kHidden) != 0, c.asBox);
    EXPECT_EQ(Recorded() != nullptr, c.recorded);
    Settle();
  }
}

// A show-again message while the dialog is up brings it forward without raising the level again.
TEST_F(EditObjAttrs, AShowAgainMessageLeavesTheLevel) {
  SelectedSphere({1, 2, 3});
  Open();
  const uint32_t level = owner->GetModalLevel();
  CUIMessage again = Named("doc window", kCanvas);
  EXPECT_EQ(dialog->HandleEvent(&again), kHandled);
  EXPECT_EQ(owner->GetModalLevel(), level);
  EXPECT_FALSE(dialog->IsStale());
  EXPECT_EQ(Send("cancel"), kHandled);
  EXPECT_EQ(owner->GetModalLevel(), level - 1);
  // Hidden, the dialog takes none of its messages.
  EXPECT_EQ(dialog->HandleEvent(&again), 0);
}

}  // namespace
