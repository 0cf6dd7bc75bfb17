// The document window's keys: camera moves while an arrow is held, nudges, scaling, the reset of
// rotation and size, boolean roles, delete, Tab, Escape, zoom, the palettes' names, the build
// information box and the help file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editing/attributes_action.h"
#include "editing/camera_action.h"
#include "editing/matrix_action.h"
#include "editing/undo_history.h"
#include "framework/core/four_cc.h"
#include "platform/help.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/editing/counting_action.h"

namespace {

constexpr uint32_t kShift = 16, kControl = 17, kAlt = 18;
constexpr uint32_t kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kPageUp = 33, kPageDown = 34, kDelete = 46;
constexpr uint32_t kF1 = 112;

// A window whose edit command only notes the codes it was given.
class CKeysWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;
  int32_t EditCommand(uint32_t code) override {
    editCodes.push_back(code);
    return kNoErr;
  }
  std::vector<uint32_t> editCodes;
};

// What the owner's other receivers hear: the element names of the messages.
int32_t Overhear(void* receiver, void* record, void*) {
  auto* names = static_cast<std::vector<std::string>*>(receiver);
  const auto* message = static_cast<CUIMessage*>(record);
  names->push_back(std::string(message->canvasName) + "/" + message->elementName);
  return 0;
}

void ExpectNear(const vector3<double>& a, const vector3<double>& b, double tolerance, const std::string& what) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

class DocKeys : public DocCommandsTest {
 protected:
  void SetUp() override {
    DocCommandsTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made<CKeysWindow>();
    Show();
  }
  void TearDown() override {
    Play("keyup 16\nkeyup 17\nkeyup 18\n");
    DocCommandsTest::TearDown();
  }
  void Play(const std::string& script) {
    ASSERT_TRUE(platform::headless::AddScript(script));
    Settle();
  }
  // The modifiers held: a string of 'S', 'C' and 'A'; the others are released.
  void Hold(const std::string& modifiers) {
    struct SModifier {
      char letter;
      uint32_t key;
    };
    std::string script;
    for (const SModifier& m : {SModifier{'S', kShift}, SModifier{'C', kControl}, SModifier{'A', kAlt}})
      script += (modifiers.find(m.letter) != std::string::npos ? "key " : "keyup ") + std::to_string(m.key) + "\n";
    Play(script);
  }
  // A key event as the framework delivers it: a typed character (virtual key 0) or a key without one.
  int32_t Character(uint32_t character) {
    SWinEvent event;
    event.key = character;
    return w->OnCharacter(event);
  }
  int32_t VirtualKey(uint32_t key) {
    SWinEvent event;
    event.key = key;
    event.virtualKey = key;
    return w->OnCharacter(event);
  }
  CUndoHistory& History() { return w->GetDocument()->GetUndoHistory(); }
  // A previous undo step that an edit with nothing to record must leave in place.
  CUndoableAction* PushPrevious() {
    auto* previous = new CCountingAction(&counts);
    EXPECT_EQ(History().Push(previous), 0);
    return previous;
  }

  CKeysWindow* w = nullptr;
  SActionCounts counts;
};

// ---- the keys on the selection

struct SEditKey {
  const char* name;
  uint32_t character;   // a typed character, or 0
  uint32_t virtualKey;  // a key without a character, or 0
  const char* modifiers;
  int32_t answer;
  vector3<double> move;
  double scale;  // of the cube's extent
  bool recorded;
};

TEST_F(DocKeys, EditingKeysMoveAndSizeTheSelectionAsOneUndoStep) {
  const double fine = 0.5 / 64;
  const SEditKey rows[] = {
      {"Right", 0, kRight, "", 26, {0.5, 0, 0}, 1, true},
      {"Left", 0, kLeft, "", 26, {-0.5, 0, 0}, 1, true},
      {"Up moves along z", 0, kUp, "", 26, {0, 0, 0.5}, 1, true},
      {"Down", 0, kDown, "", 26, {0, 0, -0.5}, 1, true},
      {"Page Up moves along y", 0, kPageUp, "", 26, {0, 0.5, 0}, 1, true},
      {"Page Down", 0, kPageDown, "", 26, {0, -0.5, 0}, 1, true},
      {"Alt makes it a 64th", 0, kRight, "A", 26, {fine, 0, 0}, 1, true},
      {"Shift doubles it", 0, kLeft, "S", 26, {-1, 0, 0}, 1, true},
      {"Alt wins over Shift", 0, kPageUp, "SA", 26, {0, fine, 0}, 1, true},
      {"'*' doubles every extent", '*', 0, "", 26, {}, 2, true},
      {"'/' halves them", '/', 0, "", 26, {}, 0.5, true},
      // Characters that share a code with a key without one do nothing of that key's.
      {"'(' is no Down", '(', 0, "", 0, {}, 1, false},
      {"'%' is no Left", '%', 0, "", 0, {}, 1, false},
      {"'!' is no Page Up", '!', 0, "", 0, {}, 1, false},
      {"'.' is no Delete", '.', 0, "", 0, {}, 1, false},
  };
  C3dCube* cube = AddShape<C3dCube>("cube", {1, 2, 3});
  C3dCube* other = AddShape<C3dCube>("other", {-5, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  const vector3<double> extent = cube->GetScaledSize();
  for (const SEditKey& row : rows) {
    SelectOnly({cube});
    Hold(row.modifiers);
    CUndoableAction* previous = PushPrevious();
    w->ClearFlags(CDocWindow::kUnsavedChanges);
    const vector3<double> before = cube->GetTransformVector3();
    const int32_t answer = row.virtualKey ? VirtualKey(row.virtualKey) : Character(row.character);
    Hold("");
    EXPECT_EQ(answer, row.answer) << row.name;
    // An edit made by a key is a change that quitting must ask about.
    EXPECT_EQ((w->GetFlags() & CDocWindow::kUnsavedChanges) != 0, row.recorded) << row.name;
    ExpectNear(cube->GetTransformVector3(), before + row.move, 1e-12, row.name);
    ExpectNear(cube->GetScaledSize(), extent * row.scale, 1e-12, row.name);
    EXPECT_EQ(other->GetTransformVector3(), (vector3<double>{-5, 0, 0})) << row.name;
    EXPECT_TRUE(w->editCodes.empty()) << row.name;
    if (!row.recorded) {
      EXPECT_EQ(History().GetCurrentAction(), previous) << row.name;
      continue;
    }
    ASSERT_NE(dynamic_cast<CMatrixAction*>(History().GetCurrentAction()), nullptr) << row.name;
    ASSERT_EQ(History().Undo(), 0) << row.name;
    ExpectNear(cube->GetTransformVector3(), before, 1e-12, row.name);
    ExpectNear(cube->GetScaledSize(), extent, 1e-12, row.name);
  }
}

// '=' takes every selected object back to size 2 and no rotation, its box snapped to the grid of 2.
TEST_F(DocKeys, EqualsResetsRotationAndSizeOfEverySelectedObject) {
  C3dCube* a = AddShape<C3dCube>("a", {1.3, 0.2, -2.9});
  C3dSphere* b = AddShape<C3dSphere>("b", {4, 4, 4});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  a->SetScaledSize({3, 1, 5});
  a->SetTransformVector2({0.1, 0.2, 0.3});
  b->SetScaledSize({7, 7, 7});
  SelectOnly({a, b});
  EXPECT_EQ(Character('='), kHandled);
  for (C3dObject* object : {static_cast<C3dObject*>(a), static_cast<C3dObject*>(b)}) {
    ExpectNear(object->GetScaledSize(), {2, 2, 2}, 1e-12, "size");
    ExpectNear(object->GetTransformVector2(), {}, 1e-12, "rotation");
  }
  ExpectNear(a->GetTransformVector3(), {2, 0, -2}, 1e-12, "snapped");
  ASSERT_NE(dynamic_cast<CMatrixAction*>(History().GetCurrentAction()), nullptr);
  ASSERT_EQ(History().Undo(), 0);
  ExpectNear(a->GetScaledSize(), {3, 1, 5}, 1e-9, "size back");
  ExpectNear(a->GetTransformVector2(), {0.1, 0.2, 0.3}, 1e-9, "rotation back");
  ExpectNear(a->GetTransformVector3(), {1.3, 0.2, -2.9}, 1e-9, "position back");
}

// With nothing selected the editing keys change nothing and the last real undo step stays.
TEST_F(DocKeys, EditingKeysWithNothingSelectedRecordNothing) {
  SelectOnly({});
  CUndoableAction* previous = PushPrevious();
  w->ClearFlags(CDocWindow::kUnsavedChanges);
  for (uint32_t key : {kLeft, kUp, kRight, kDown, kPageUp, kPageDown}) VirtualKey(key);
  for (uint32_t character : {'*', '/', '=', 'P', 'n', 'I', 'o'}) Character(character);
  EXPECT_EQ(History().GetCurrentAction(), previous);
  EXPECT_EQ(w->GetFlags() & CDocWindow::kUnsavedChanges, 0u);
  EXPECT_EQ(counts.deletions, 0);
}

// ---- boolean roles

TEST_F(DocKeys, RoleKeysSetExactlyOneRoleOnEverySelectedObjectAsOneStep) {
  struct SRow {
    uint32_t character;
    uint32_t roles;
  };
  const SRow rows[] = {{'P', 8}, {'n', 16}, {'i', 32}, {'p', 8}, {'N', 16}, {'I', 32}, {'O', 0}, {'o', 0}};
  C3dCube* a = AddShape<C3dCube>("a", {0, 0, 0});
  C3dSphere* b = AddShape<C3dSphere>("b", {3, 0, 0});
  C3dSphere* unselected = AddShape<C3dSphere>("c", {6, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  unselected->SetStateFlags(C3dObject::kNegative);
  SelectOnly({a, b});
  // A flag of the second word that is no role stays as it is.
  a->SetStateFlags(0x40000);
  const uint32_t others = a->GetStateFlags() & ~C3dObject::kRoles;
  for (const SRow& row : rows) {
    a->SetStateFlags(C3dObject::kRoles);
    b->ClearStateFlags(C3dObject::kRoles);
    const std::string name(1, char(row.character));
    EXPECT_EQ(Character(row.character), 0) << name;
    EXPECT_EQ(a->GetStateFlags(), others | row.roles) << name;
    EXPECT_EQ(b->GetStateFlags() & C3dObject::kRoles, row.roles) << name;
    EXPECT_EQ(unselected->GetStateFlags() & C3dObject::kRoles, uint32_t(C3dObject::kNegative)) << name;
    ASSERT_NE(dynamic_cast<CAttributesAction*>(History().GetCurrentAction()), nullptr) << name;
    ASSERT_EQ(History().Undo(), 0) << name;
    EXPECT_EQ(a->GetStateFlags() & C3dObject::kRoles, uint32_t(C3dObject::kRoles)) << name;
    EXPECT_EQ(b->GetStateFlags() & C3dObject::kRoles, 0u) << name;
  }
}

// A locked object stops the key: the objects before it take the role, undoably; it and the rest not.
TEST_F(DocKeys, ALockedObjectStopsARoleKeyThere) {
  C3dCube* first = AddShape<C3dCube>("first", {0, 0, 0});
  C3dCube* locked = AddShape<C3dCube>("locked", {3, 0, 0});
  C3dCube* last = AddShape<C3dCube>("last", {6, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  locked->SetFlags(C3dObject::kTransformLocked);
  // A locked object is selected only by force.
  SelectOnly({});
  Selection().Add(first, 0, 0);
  Selection().Add(locked, 0, 1);
  Selection().Add(last, 0, 0);
  ASSERT_EQ(Selection().GetCount(), 3u);
  EXPECT_EQ(Character('N'), 0);
  EXPECT_EQ(first->GetStateFlags() & C3dObject::kRoles, uint32_t(C3dObject::kNegative));
  EXPECT_EQ(locked->GetStateFlags() & C3dObject::kRoles, 0u);
  EXPECT_EQ(last->GetStateFlags() & C3dObject::kRoles, 0u);
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(first->GetStateFlags() & C3dObject::kRoles, 0u);

  // Locked first: nothing changes and nothing is recorded.
  SelectOnly({});
  Selection().Add(locked, 0, 1);
  Selection().Add(first, 0, 0);
  CUndoableAction* previous = PushPrevious();
  EXPECT_EQ(Character('P'), 0);
  EXPECT_EQ(first->GetStateFlags() & C3dObject::kRoles, 0u);
  EXPECT_EQ(History().GetCurrentAction(), previous);
}

// ---- delete, Tab, Escape, zoom: through the window's event path

TEST_F(DocKeys, DeleteAndBackspaceDeleteTheSelectionButTheCharacterDotDoesNot) {
  C3dCube* cube = AddShape<C3dCube>("cube", {0, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  SelectOnly({cube});
  Play("key 46\nkeyup 46\n");
  Play("key 0x08\nkeyup 0x08\n");
  // The '.' key and the typed character both make character 46.
  Play("key 0xBE\nkeyup 0xBE\nchar .\n");
  EXPECT_EQ(w->editCodes, (std::vector<uint32_t>{FourCC("cler"), FourCC("cler")}));
}

TEST_F(DocKeys, TabSelectsTheNextObjectAndWrapsRound) {
  C3dCube* a = AddShape<C3dCube>("a", {0, 0, 0});
  C3dCube* b = AddShape<C3dCube>("b", {3, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  std::vector<C3dObject*> order;
  for (C3dBase* thing : Rows(w->GetObjectList())) {
    C3dObject* object = thing->AsObject();
    if (object && !(object->GetFlags() & C3dObject::kNotDrawn)) order.push_back(object);
  }
  ASSERT_GE(order.size(), 2u);
  ASSERT_NE(std::find(order.begin(), order.end(), a), order.end());
  ASSERT_NE(std::find(order.begin(), order.end(), b), order.end());
  SelectOnly({});
  for (size_t step = 0; step < order.size() + 2; ++step) {
    EXPECT_EQ(Character('\t'), kHandled);
    ASSERT_EQ(Selection().GetCount(), 1u) << step;
    EXPECT_EQ(Selection().GetObject(0), order[step % order.size()]) << step;
  }
  // Nothing selected starts the walk again at the first object.
  SelectOnly({});
  EXPECT_EQ(Character('\r'), kHandled);
  EXPECT_EQ(Selection().GetObject(0), order[0]);
}

TEST_F(DocKeys, EscapeTogglesTheRenderedViewAndPlusAndMinusZoom) {
  Play("key 27\nkeyup 27\n");
  EXPECT_TRUE(w->GetMode() & CDocWindow::kRenderedShown);
  EXPECT_EQ(Character('+'), kHandled);
  EXPECT_EQ(w->GetZoomLevel(), -1);
  EXPECT_EQ(Character('-'), kHandled);
  EXPECT_EQ(w->GetZoomLevel(), 0);
  Play("key 27\nkeyup 27\n");
  EXPECT_FALSE(w->GetMode() & CDocWindow::kRenderedShown);
  // In the wireframe the camera zooms, one camera action each.
  const SCameraView before = w->GetCurrentCamera()->GetView();
  EXPECT_EQ(Character('+'), kHandled);
  EXPECT_NE(w->GetCurrentCamera()->GetView(), before);
  EXPECT_NE(dynamic_cast<CCameraAction*>(History().GetCurrentAction()), nullptr);
}

// ---- Ctrl with a digit

TEST_F(DocKeys, ControlWithADigitPostsThePalettesNames) {
  std::vector<std::string> heard;
  ASSERT_TRUE(owner->Register(&heard, &Overhear));
  Hold("C");
  for (uint32_t digit = '1'; digit <= '7'; ++digit) VirtualKey(digit);
  Hold("");
  EXPECT_TRUE(owner->Unregister(&heard));
  EXPECT_EQ(heard, (std::vector<std::string>{"/create text", "/edit text", "/sky&fog text", "/control palette",
                                             "/selection palette", "/display palette"}));
}

// ---- the camera while an arrow is held

struct SCameraPose {
  vector3<double> eye;
  SCameraView view;
};

TEST_F(DocKeys, ControlAltArrowSlidesTheCameraOneStepATickAsOneUndoStep) {
  C3dCamera* camera = w->GetCurrentCamera();
  const SCameraPose start{camera->GetTransformVector3(), camera->GetView()};
  const vector3<double> right = Cross(start.view.up, start.view.direction);
  struct SRow {
    uint32_t arrow;
    vector3<double> axis;
  };
  for (const SRow& row : {SRow{kLeft, right * -1.0}, SRow{kRight, right}, SRow{kUp, start.view.up},
                          SRow{kDown, start.view.up * -1.0}}) {
    const std::string key = std::to_string(row.arrow);
    // Held for ten ticks (166 of 166.7 ms).
    Play("key 17\nkey 18\nkey " + key + "\nwait 166\nkeyup " + key + "\nkeyup 18\nkeyup 17\n");
    ExpectNear(camera->GetTransformVector3(), start.eye + row.axis * (10 * 1.024), 1e-9, "eye " + key);
    ExpectNear(camera->GetView().target, start.view.target + row.axis * (10 * 1.024), 1e-9, "target " + key);
    EXPECT_FALSE(w->IsDragging());
    ASSERT_NE(dynamic_cast<CCameraAction*>(History().GetCurrentAction()), nullptr);
    ASSERT_EQ(History().Undo(), 0);
    EXPECT_EQ(camera->GetTransformVector3(), start.eye);
    EXPECT_EQ(camera->GetView(), start.view);
  }
}

TEST_F(DocKeys, ControlArrowOrbitsTheCameraWhileHeld) {
  C3dCamera* camera = w->GetCurrentCamera();
  const SCameraPose start{camera->GetTransformVector3(), camera->GetView()};
  Play("key 17\nkey 37\nwait 166\nkeyup 37\nkeyup 17\n");
  const SCameraPose moved{camera->GetTransformVector3(), camera->GetView()};
  ASSERT_NE(dynamic_cast<CCameraAction*>(History().GetCurrentAction()), nullptr);
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(camera->GetTransformVector3(), start.eye);
  // The same as ten orbit steps of −0.05 rad.
  for (int i = 0; i < 10; ++i) camera->OrbitA(-0.05);
  ExpectNear(moved.eye, camera->GetTransformVector3(), 1e-9, "eye");
  ExpectNear(moved.view.direction, camera->GetView().direction, 1e-9, "direction");
  EXPECT_NE(moved.eye, start.eye);
}

// ---- a stale window, the build information box and help

TEST_F(DocKeys, AStaleWindowTakesNoKey) {
  C3dCube* cube = AddShape<C3dCube>("cube", {0, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  SelectOnly({cube});
  const vector3<double> extent = cube->GetScaledSize();
  owner->RaiseModalLevel();
  EXPECT_EQ(VirtualKey(kRight), 0);
  EXPECT_EQ(Character('*'), 0);
  EXPECT_EQ(VirtualKey(kDelete), 0);
  owner->LowerModalLevel();
  EXPECT_EQ(cube->GetTransformVector3(), (vector3<double>{0, 0, 0}));
  EXPECT_EQ(cube->GetScaledSize(), extent);
  EXPECT_TRUE(w->editCodes.empty());
}

TEST_F(DocKeys, ShiftF1ShowsTheBuildInformationAndSetsNoRole) {
  C3dCube* cube = AddShape<C3dCube>("cube", {0, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  SelectOnly({cube});
  const size_t shown = platform::headless::ShownBoxes().size();
  Play("key 16\nkey 112\nkeyup 112\nkeyup 16\n");
  ASSERT_EQ(platform::headless::ShownBoxes().size(), shown + 1);
  const platform::headless::SShownBox& box = platform::headless::ShownBoxes().back();
  EXPECT_EQ(box.caption, "Quarn2 Build Information");
  EXPECT_EQ(box.text.find("Quarn2 "), 0u) << box.text;
  EXPECT_NE(box.text.find(" for Linux "), std::string::npos) << box.text;
  EXPECT_EQ(box.text.find("Windows"), std::string::npos) << box.text;
  EXPECT_NE(box.text.find(std::string("\nBuild Date: ") + __DATE__), std::string::npos) << box.text;
  EXPECT_EQ(cube->GetStateFlags() & C3dObject::kRoles, 0u);
  // F1 without Shift shows nothing.
  Play("key 112\nkeyup 112\n");
  EXPECT_EQ(platform::headless::ShownBoxes().size(), shown + 1);
}

TEST_F(DocKeys, HelpOpensTheHelpPageBesideTheProgram) {
  const size_t asked = platform::headless::HelpRequests().size();
  // Without the page there is nothing to show, and the failure says so.
  EXPECT_EQ(w->ShowHelp(), kErrFileNotFound);
  EXPECT_EQ(platform::headless::HelpRequests().size(), asked);
  std::ofstream(Path("Quarn2.html")) << "<html></html>\n";
  EXPECT_EQ(w->ShowHelp(), 0);
  ASSERT_EQ(platform::headless::HelpRequests().size(), asked + 1);
  EXPECT_EQ(platform::headless::HelpRequests().back().page, Path("Quarn2.html"));
  EXPECT_EQ(platform::headless::HelpRequests().back().owner, app->GetMainWindow());
}

TEST(HelpPagePath, AWindowsHelpNameBecomesItsPage) {
  struct SRow {
    const char* name;
    const char* page;
  };
  for (const SRow& row : {SRow{"/opt/q/Quarn2.hlp", "/opt/q/Quarn2.html"}, SRow{"Quarn2.HLP", "Quarn2.html"},
                          SRow{"data\\Quarn2.hlp", "data/Quarn2.html"}, SRow{"notes.txt", "notes.txt"},
                          SRow{"hlp", "hlp"}, SRow{"a.hlp.bak", "a.hlp.bak"}})
    EXPECT_EQ(platform::HelpPagePath(row.name), row.page) << row.name;
}

}  // namespace
