// The replicate dialog: the step it proposes from the first selected object's last move, its fields'
// clamping and arrow steps, and the step record "ok" hands the document window.
#include <memory>
#include <string>

#include "editing/document.h"
#include "framework/core/result_codes.h"
#include "panels/replicate.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "replicate";

// The window's replication, recorded.
class CReplicatingHost : public CPaletteHost {
 public:
  int32_t ReplicateWithParameters(uint32_t count, const SReplicateSettings& step, uint32_t mode) override {
    counts.push_back(count);
    steps.push_back(step);
    modes.push_back(mode);
    return 0;
  }
  std::vector<uint32_t> counts, modes;
  std::vector<SReplicateSettings> steps;
};

class Replicate : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    host.documentHost = window.documentHost;
    host.document = window.document;
    dialog = Dialog<CReplicate>("replicate.dat");
    dialog->SetOwner(&host);
  }
  void TearDown() override {
    dialog.reset();
    DialogsTest::TearDown();
  }
  void Open() {
    ASSERT_EQ(dialog->Apply(), 0);
    dialog->Refresh(false);
  }
  CTextEdit* Field(const char* name) { return GetElementWindow(Find(*dialog, name)); }
  std::string Text(const char* name) { return Field(name)->GetText(); }
  // The text in the field as the key routine reports it after the last key.
  void Enter(const char* name, const char* text) {
    EXPECT_EQ(Typed(*dialog, CReplicate::Fields(), kCanvas, name, text), 0) << name;
  }
  int32_t Send(const char* element) {
    CUIMessage message = Named(kCanvas, element);
    return dialog->HandleEvent(&message);
  }

  CReplicatingHost host;
  std::unique_ptr<CReplicate> dialog;
};

TEST_F(Replicate, OpeningProposesTheLastMoveOfTheFirstSelectedObject) {
  C3dSphere* sphere = SelectedSphere({1, 2, 3});
  C3dTransform& placement = sphere->GetPlacement();
  placement.fPrevPosition = placement.fPosition;
  placement.fPrevRotation = placement.fRotation;
  placement.fPrevScale = placement.fScale;
  placement.fPrevScale.y = 0;
  sphere->SetTransformVector3(sphere->GetTransformVector3() + vector3<double>{10, 0, 0});
  Open();
  const char* fields[] = {"offset x", "offset y", "offset z", "rotate x", "rotate y",
                          "rotate z", "scale x",  "scale y",  "scale z"};
  const char* shown[] = {"102.40", "0", "0", "0", "0", "0", "100", "100", "100"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Text(fields[i]), shown[i]) << fields[i];
  EXPECT_EQ(Text("quanity"), "1");
  EXPECT_TRUE(Focused(Field("quanity")));
}

TEST_F(Replicate, TypedValuesOutOfRangeAreForcedIntoItAndWrittenBack) {
  Open();
  struct SCase {
    const char* field;
    const char* typed;
    uint32_t index;
    double stored;
    const char* shown;
  } cases[] = {
      {"quanity", "1500", CReplicate::kQuantity, 999, "999"},
      {"quanity", "-3", CReplicate::kQuantity, 0, "0"},
      {"offset y", "120000", CReplicate::kOffsetX + 1, 99999, "99999"},
      {"offset y", "-120000", CReplicate::kOffsetX + 1, -99999, "-99999"},
      {"scale z", "0.0005", CReplicate::kScaleX + 2, 0, "0"},
      {"rotate x", "-1000.5", CReplicate::kRotateX, -999, "-999"},
      {"scale x", "55.5", CReplicate::kScaleX, 55.5, "55.5"},
  };
  for (const SCase& c : cases) {
    Enter(c.field, c.typed);
    EXPECT_DOUBLE_EQ(dialog->GetValue(c.index), c.stored) << c.field << " " << c.typed;
    EXPECT_EQ(Text(c.field), c.shown) << c.field << " " << c.typed;
  }
  EXPECT_EQ(dialog->GetQuantity(), 0);
  // Typed key by key, a scale below 1 passes through "0." unchanged.
  Type(Field("scale y"), "0.5");
  EXPECT_EQ(Text("scale y"), "0.5");
  EXPECT_DOUBLE_EQ(dialog->GetValue(CReplicate::kScaleX + 1), 0.5);
}

TEST_F(Replicate, TheArrowsStepOffsetsInWorldUnitsWithCtrl) {
  Open();
  struct SCase {
    const char* field;
    const char* start;
    const char* chord;
    const char* shown;
  } cases[] = {
      {"offset x", "5", "ctrl+Up", "10.12"},
      {"offset x", "5", "ctrl+shift+Up", "15.24"},
      {"rotate y", "0", "shift+Up", "10"},
      {"rotate y", "0", "alt+Up", "0.10"},
  };
  for (const SCase& c : cases) {
    Type(Field(c.field), c.start);
    Stroke(Field(c.field), c.chord);
    EXPECT_EQ(Text(c.field), c.shown) << c.field << " " << c.chord;
  }
}

TEST_F(Replicate, OkHandsTheWindowTheCountAndTheStepCancelNothing) {
  Open();
  Type(Field("quanity"), "3");
  Type(Field("offset x"), "10.24");
  for (const char* name : {"offset y", "offset z", "rotate x", "rotate y", "rotate z"}) Type(Field(name), "0");
  for (const char* name : {"scale x", "scale y", "scale z"}) Type(Field(name), "100");
  EXPECT_EQ(Send("cancel"), kHandled);
  EXPECT_TRUE(host.counts.empty());
  Open();
  EXPECT_EQ(Text("quanity"), "3");
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_FALSE(dialog->IsShown());
  ASSERT_EQ(host.counts, std::vector<uint32_t>{3});
  EXPECT_EQ(host.modes, std::vector<uint32_t>{0});
  const SReplicateSettings& step = host.steps[0];
  ExpectNear(step.factors, {1, 1, 1}, 1e-6, "factors");
  ExpectNear(step.unused, {0, 0, 0}, 0, "unused");
  ExpectNear(step.rotation, {0, 0, 0}, 1e-6, "rotation");
  ExpectNear(step.offset, {1, 0, 0}, 1e-6, "offset");
}

TEST_F(Replicate, TheScaleTranslationCheckPassesItsStateAsTheMode) {
  Open();
  Click(Find(*dialog, "scale translation check"));
  EXPECT_TRUE(dialog->GetScaleTranslation());
  EXPECT_EQ(Send("ok"), kHandled);
  Open();
  Click(Find(*dialog, "scale translation check"));
  EXPECT_FALSE(dialog->GetScaleTranslation());
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_EQ(host.modes, (std::vector<uint32_t>{1, 0}));
}

}  // namespace
