// The 3D transformation dialog: each opening starts from no change, the edit palette's mode picks the
// focused field, and "ok" moves, turns and scales each selected object about its own place (a group
// as a whole) as one undoable step, or records nothing when nothing changes.
#include <memory>
#include <string>

#include "editing/matrix_action.h"
#include "framework/core/result_codes.h"
#include "panels/edit_3d_trans.h"
#include "scene/group.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "edit 3dtrans";

class Edit3dTrans : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    dialog = Dialog<CEdit3dTrans>("edit3dtrans.dat");
  }
  void TearDown() override {
    dialog.reset();
    DialogsTest::TearDown();
  }
  void Open(int32_t mode) {
    ASSERT_EQ(dialog->Open(mode), 0);
    dialog->Refresh(false);
  }
  CTextEdit* Field(const char* name) { return GetElementWindow(Find(*dialog, name)); }
  // Each value typed into its field, then "ok".
  void Apply(const std::vector<std::pair<const char*, const char*>>& typed) {
    Open(2);
    for (const auto& [field, text] : typed) Type(Field(field), text);
    CUIMessage ok = Named(kCanvas, "ok");
    EXPECT_EQ(dialog->HandleEvent(&ok), kHandled);
  }
  CMatrixAction* Recorded() { return dynamic_cast<CMatrixAction*>(document->GetUndoHistory().GetCurrentAction()); }

  std::unique_ptr<CEdit3dTrans> dialog;
};

TEST_F(Edit3dTrans, EveryOpeningStartsFromNoChangeWithTheModesFieldFocused) {
  const char* fields[] = {"offset x", "offset y", "offset z", "rotate x", "rotate y",
                          "rotate z", "scale x",  "scale y",  "scale z"};
  const char* start[] = {"0", "0", "0", "0", "0", "0", "100", "100", "100"};
  struct SCase {
    int32_t mode;
    const char* focused;
  } cases[] = {{1, "rotate x"}, {0, "scale x"}, {2, "offset x"}};
  for (const SCase& c : cases) {
    Open(c.mode);
    Type(Field("offset y"), "12");
    dialog->Close();
    Open(c.mode);
    for (int i = 0; i < 9; ++i) EXPECT_STREQ(Field(fields[i])->GetText(), start[i]) << fields[i];
    EXPECT_TRUE(Focused(Field(c.focused))) << c.mode;
    EXPECT_TRUE(AllSelected(Field(c.focused))) << c.mode;
    dialog->Close();
  }
}

TEST_F(Edit3dTrans, OkMovesTurnsAndScalesEachObjectAboutItsOwnPlace) {
  C3dSphere* a = NewSphere({1, 2, 3}, {1, 2, 3});
  C3dSphere* b = NewSphere({1, 1, 1}, {-4, 0, 0});
  b->SetTransformVector2({0, 0.25, 0});
  Selection().Add(a, 0, 1);
  Selection().Add(b, 0, 1);
  const vector3<double> sizeA = a->GetScaledSize();
  Apply({{"scale x", "50"}, {"offset x", "10.24"}, {"rotate y", "90"}});
  ExpectNear(a->GetScaledSize(), {sizeA.x * 0.5, sizeA.y, sizeA.z}, 1e-9, "a's size");
  ExpectNear(a->GetTransformVector3(), {2, 2, 3}, 1e-6, "a's place");
  ExpectNear(b->GetTransformVector3(), {-3, 0, 0}, 1e-6, "b's place");
  EXPECT_DOUBLE_EQ(a->GetTransformVector2().y, 1.5707963705062866);
  EXPECT_DOUBLE_EQ(b->GetTransformVector2().y, 0.25 + 1.5707963705062866);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"invalidate", "objinfochanged 4", "find parts"}));
  ASSERT_NE(Recorded(), nullptr);
  EXPECT_EQ(document->GetUndoHistory().Undo(), 0);
  ExpectNear(a->GetTransformVector3(), {1, 2, 3}, 1e-9, "a back");
  ExpectNear(a->GetScaledSize(), sizeA, 1e-9, "a's size back");
  EXPECT_NEAR(b->GetTransformVector2().y, 0.25, 1e-9);
}

TEST_F(Edit3dTrans, AGroupMovesTurnsAndScalesAsAWholeAboutItsBoxCentre) {
  C3dSphere* a = NewSphere({1, 1, 1}, {0, 0, 0});
  C3dSphere* b = NewSphere({1, 1, 1}, {4, 0, 0});
  C3dGroup* group = NewGroup({a, b});
  Selection().Add(group, 0, 1);
  Apply({{"scale x", "50"}, {"offset y", "10.24"}});
  // About the centre x = 2 the members move to 1 and 3, and rise together.
  ExpectNear(a->GetTransformVector3(), {1, 1, 0}, 1e-6, "a");
  ExpectNear(b->GetTransformVector3(), {3, 1, 0}, 1e-6, "b");
  Apply({{"rotate y", "180"}});
  ExpectNear(a->GetTransformVector3(), {3, 1, 0}, 1e-5, "a turned");
  ExpectNear(b->GetTransformVector3(), {1, 1, 0}, 1e-5, "b turned");
}

TEST_F(Edit3dTrans, NoChangeCancelAndAZeroScaleLeaveTheScene) {
  C3dSphere* sphere = NewSphere({1, 2, 3}, {1, 2, 3});
  Selection().Add(sphere, 0, 1);
  const vector3<double> size = sphere->GetScaledSize();
  Apply({});
  Open(0);
  Type(Field("offset x"), "20");
  CUIMessage cancel = Named(kCanvas, "cancel");
  EXPECT_EQ(dialog->HandleEvent(&cancel), kHandled);
  EXPECT_TRUE(window.calls.empty());
  EXPECT_EQ(Recorded(), nullptr);
  ExpectNear(sphere->GetTransformVector3(), {1, 2, 3}, 0, "place");

  // A scale of 0, typed or emptied, would leave no size to come back from: the axis stays.
  Open(0);
  Type(Field("scale z"), "0");
  FocusField(Field("scale y"));
  Script("key 0x08\nkeyup 0x08\n");
  Type(Field("scale x"), "200");
  CUIMessage ok = Named(kCanvas, "ok");
  EXPECT_EQ(dialog->HandleEvent(&ok), kHandled);
  ExpectNear(sphere->GetScaledSize(), {size.x * 2, size.y, size.z}, 1e-9, "size");
}

}  // namespace
