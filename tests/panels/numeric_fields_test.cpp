// The numeric fields of the attributes, 3D transformation and camera dialogs, one set of routines
// with each dialog's own rules: how values are written, what typing beyond a range gives, the arrow
// steps, Tab cycling and the text cursor over the focused field.
#include <memory>
#include <string>

#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "panels/edit_3d_trans.h"
#include "panels/edit_camera.h"
#include "panels/edit_obj_attrs.h"
#include "scene/camera.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

class NumericFields : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    SelectedSphere({1, 2, 3});
    camera = MakeObject<C3dCamera>(table);
    window.camera = camera;
    attributes = Dialog<CEditObjAttrs>("editobjattrs.dat");
    transform = Dialog<CEdit3dTrans>("edit3dtrans.dat");
    cameraEditor = Dialog<CEditCamera>("editcamera.dat");
    ASSERT_EQ(attributes->Open(&window), 0);
    attributes->Refresh(false);
  }
  void TearDown() override {
    cameraEditor.reset();
    transform.reset();
    attributes.reset();
    DialogsTest::TearDown();
  }
  // Brings one dialog up on its own.
  void Show(CLayoutHostCanvas& dialog) {
    for (CLayoutHostCanvas* other : {(CLayoutHostCanvas*)attributes.get(), (CLayoutHostCanvas*)transform.get(),
                                     (CLayoutHostCanvas*)cameraEditor.get()}) {
      if (other->IsShown()) other->Close();
    }
    if (&dialog == cameraEditor.get()) {
      ASSERT_EQ(cameraEditor->SetCamera(&window), 0);
      cameraEditor->Open();
    } else if (&dialog == transform.get()) {
      transform->Open(0);
      transform->Refresh(false);
    } else {
      attributes->Open(&window);
      attributes->Refresh(false);
    }
  }
  CTextEdit* Field(CLayoutHostCanvas& dialog, const std::string& name) { return GetElementWindow(Find(dialog, name)); }

  C3dCamera* camera = nullptr;
  std::unique_ptr<CEditObjAttrs> attributes;
  std::unique_ptr<CEdit3dTrans> transform;
  std::unique_ptr<CEditCamera> cameraEditor;
};

TEST_F(NumericFields, AValueIsWrittenWholeWithinAThousandthElseWithTwoDecimals) {
  CTextEdit* field = Field(*attributes, "offset x");
  struct SCase {
    double value;
    const char* text;
  } cases[] = {{2.0004, "2"}, {2.5, "2.50"}, {-0.0005, "0"}, {-2.9999, "-3.00"}, {20.48, "20.48"}, {-7, "-7"}};
  for (const SCase& c : cases) {
    WriteFieldValue(field, c.value);
    EXPECT_STREQ(field->GetText(), c.text) << c.value;
  }
}

// Typing past a field's range gives its bound, written back selected, with one beep; in range the
// text stands.
TEST_F(NumericFields, TypedValuesOutOfRangeAreClampedWithOneBeep) {
  struct SCase {
    CLayoutHostCanvas* dialog;
    const char* field;
    const char* typed;
    const char* shown;
    uint32_t beeps;
  } cases[] = {
      {attributes.get(), "rotate y", "1000", "999", 1},       {attributes.get(), "offset y", "1.23456", "1.2345", 0},
      {cameraEditor.get(), "field of view", "200", "180", 1}, {cameraEditor.get(), "field of view", "180", "180", 0},
      {transform.get(), "rotate z", "-1500", "-999", 1},
  };
  for (const SCase& c : cases) {
    Show(*c.dialog);
    CTextEdit* field = Field(*c.dialog, c.field);
    const uint32_t beeps = platform::BeepCount();
    Type(field, c.typed);
    EXPECT_STREQ(field->GetText(), c.shown) << c.field << " " << c.typed;
    EXPECT_EQ(platform::BeepCount() - beeps, c.beeps) << c.field << " " << c.typed;
    if (c.beeps) EXPECT_TRUE(AllSelected(field)) << c.field;
  }
  // A number the field holds whole (typed, a key at a time, it clamps at its first digit) is clamped
  // at the next key.
  struct SHeldCase {
    CLayoutHostCanvas* dialog;
    const char* field;
    const char* held;
    const char* shown;
  } held[] = {{attributes.get(), "offset x", "-120000", "-99999"}, {cameraEditor.get(), "field of view", "0.5", "1"}};
  for (const SHeldCase& c : held) {
    Show(*c.dialog);
    CTextEdit* field = Field(*c.dialog, c.field);
    field->SetText(c.held);
    const uint32_t beeps = platform::BeepCount();
    Stroke(field, "End");
    EXPECT_STREQ(field->GetText(), c.shown) << c.field;
    EXPECT_EQ(platform::BeepCount() - beeps, 1u) << c.field;
  }
  EXPECT_EQ(cameraEditor->GetValue(CEditCamera::kFieldOfView), 1);
  // An emptied scale commits 1.
  Show(*cameraEditor);
  CTextEdit* scale = Field(*cameraEditor, "scale");
  FocusField(scale);
  Script("key 0x08\nkeyup 0x08\n");
  EXPECT_STREQ(scale->GetText(), "1");
  EXPECT_EQ(cameraEditor->GetValue(CEditCamera::kScale), 1);
}

TEST_F(NumericFields, TheArrowsStepByTheDialogsRules) {
  struct SCase {
    CLayoutHostCanvas* dialog;
    const char* field;
    const char* chord;
    const char* shown;
  } cases[] = {
      {attributes.get(), "size x", "ctrl+shift+Up", "10.24"},   {attributes.get(), "size x", "ctrl+alt+Up", "0.08"},
      {attributes.get(), "size x", "ctrl+shift+alt+Up", "2.56"}, {attributes.get(), "size x", "ctrl+Up", "5.12"},
      {attributes.get(), "rotate x", "ctrl+shift+Up", "10"},    {attributes.get(), "offset z", "Up", "1"},
      {attributes.get(), "offset z", "alt+Down", "-0.10"},       {transform.get(), "scale x", "ctrl+shift+Up", "10"},
      {transform.get(), "offset x", "ctrl+Up", "5.12"},          {cameraEditor.get(), "offset y", "ctrl+Up", "5.12"},
      {cameraEditor.get(), "pan h", "ctrl+shift+Down", "-10"},
  };
  for (const SCase& c : cases) {
    Show(*c.dialog);
    CTextEdit* field = Field(*c.dialog, c.field);
    field->SetText("0");
    Stroke(field, c.chord);
    EXPECT_STREQ(field->GetText(), c.shown) << c.field << " " << c.chord;
  }
}

TEST_F(NumericFields, TabCyclesThroughTheFieldsAndWraps) {
  CTextEdit* first = Field(*attributes, "offset x");
  CTextEdit* last = Field(*attributes, "size z");
  FocusField(last);
  Script("key Tab\nkeyup Tab\n");
  EXPECT_TRUE(Focused(first));
  EXPECT_TRUE(AllSelected(first));
  EXPECT_EQ(CEditObjAttrs::Fields().current, Find(*attributes, "offset x"));
  Script("key Tab\nkeyup Tab\n");
  EXPECT_TRUE(Focused(Field(*attributes, "offset y")));
  FocusField(first);
  Script("stroke shift+Tab\n");
  EXPECT_TRUE(Focused(last));
  EXPECT_TRUE(AllSelected(last));
}

TEST_F(NumericFields, TheFocusedFieldShowsTheTextCursorWhileThePointerIsOverIt) {
  CElement* element = Find(*attributes, "rotate x");
  CElement* other = Find(*attributes, "rotate y");
  SNumericFields& state = CEditObjAttrs::Fields();
  state.current = nullptr;
  // Without the focus a field does not react.
  EXPECT_EQ(element->RunHoverCallback({5, 5}), 0);
  EXPECT_EQ(state.current, nullptr);
  FocusField(GetElementWindow(element));
  EXPECT_EQ(element->RunHoverCallback({5, 5}), 26);
  EXPECT_EQ(state.current, element);
  EXPECT_EQ(Cursor(), "ibeam");
  EXPECT_EQ(other->RunHoverCallback({5, 5}), 0);  // not focused
  EXPECT_EQ(element->RunHoverCallback({-1, 5}), 0);
  EXPECT_EQ(state.current, nullptr);
  EXPECT_EQ(Cursor(), "arrow");
}

// A press on a field gives it the focus and takes the focus from the others.
TEST_F(NumericFields, APressFocusesTheField) {
  CTextEdit* offset = Field(*attributes, "offset x");
  CTextEdit* size = Field(*attributes, "size y");
  FocusField(offset);
  CElement* handled = nullptr;
  Find(*attributes, "size y")->RunPressCallback(&handled, {4, 4}, nullptr);
  EXPECT_EQ(handled, Find(*attributes, "size y"));
  EXPECT_TRUE(Focused(size));
  EXPECT_FALSE(offset->HasFocus());
}

}  // namespace
