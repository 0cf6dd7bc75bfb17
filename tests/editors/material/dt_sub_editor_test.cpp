// The component sub-editor opened by the 3D texture editor on one noise parameter set of its working
// texture: what it loads and writes back, its menus, steppers and drags, and its closing buttons.
#include <climits>
#include <string>
#include <vector>

#include "editors/material/component_preview.h"
#include "tests/editors/material/dt_editor_fixture.h"

namespace {

using namespace need;

constexpr const char* kSub = "DTSubEditor";
// Component B's phase set: its code, angles and frequencies, then the octave count and dimension of
// its compiled block.
constexpr uint32_t kBPhase = 352 + 32;
constexpr uint32_t kBPhaseCounts = 352 + 184 + 80;

// Keeps the preview as it was when each message of its own arrives, before the handler renders again.
class CWatchedSubEditor : public CDTSubEditor {
 public:
  using CDTSubEditor::CDTSubEditor;
  int32_t HandleEvent(CUIMessage* message) override {
    if (message && std::string(message->canvasName) == kSub && IsShown()) {
      CImage* picture = GetControl(kDTSubImage)->GetImage();
      CImNavigator pixels(picture, nullptr, false, false);
      seen.clear();
      for (uint32_t r = 0; pixels.IsUsable() && r < pixels.GetRows(); ++r)
        seen.insert(seen.end(), pixels.Cells(r), pixels.Cells(r) + pixels.GetColumns());
    }
    return CDTSubEditor::HandleEvent(message);
  }
  std::vector<CImVector> seen;
};

class DTSubEditorTest : public DTEditorTest {
 protected:
  void SetUp() override {
    DTEditorTest::SetUp();
    if (HasFatalFailure()) return;
    sub = std::make_unique<CWatchedSubEditor>(owner, layout);
    editor->SetContext(saveNew.get(), replace.get(), sub.get());
    OpenWithThreeComponents();
    Edit([](STextureData& data) {
      SPhaseSpec& phase = data.component[1].phase;
      phase.code = PackComponentCode(1, 6, 3, 2);
      phase.angleXY = 45;
      phase.angleYZ = -10;
      phase.frequency[0] = phase.frequency[1] = phase.frequency[2] = 100;
    });
  }

  CWatchedSubEditor& Watched() { return static_cast<CWatchedSubEditor&>(*sub); }
  // Opened as the texture editor opens it, on a set of the working texture.
  void OpenOn(const char* group, const char* element) {
    ASSERT_EQ(Send(0, element, group), kHandled);
    ASSERT_TRUE(sub->IsShown());
    sub->MoveTo({500, 150});
    Settle();
  }
  CImElement* Control(uint32_t control) { return sub->GetControl(control); }
  CTxElement* Readout(uint32_t readout) { return sub->GetReadout(readout); }
  int32_t Value(uint32_t readout) { return Word(Readout(readout)); }
  int32_t SendSub(const char* element, const char* canvas = kSub, uint32_t kind = 0) {
    CUIMessage message;
    message.Init(kind, element, nullptr, canvas, 0);
    return sub->HandleEvent(&message);
  }
  std::vector<uint32_t> Preview() {
    std::vector<uint32_t> out;
    CImNavigator pixels(Control(kDTSubImage)->GetImage(), nullptr, false, false);
    for (uint32_t r = 0; pixels.IsUsable() && r < pixels.GetRows(); ++r)
      for (uint32_t c = 0; c < pixels.GetColumns(); ++c) out.push_back(pixels.Cells(r)[c].value);
    return out;
  }
  // The preview the renderer draws for the controls as they are.
  std::vector<uint32_t> Rendered(bool fast) {
    int32_t error = 0;
    std::unique_ptr<CImage> image(NewDataImage(kComponentPreviewSide, kComponentPreviewSide, &error));
    EXPECT_NE(image, nullptr);
    if (fast) RenderFastComponentPreview(image.get(), sub->PreviewParams());
    else RenderComponentPreview(image.get(), sub->PreviewParams());
    std::vector<uint32_t> out;
    CImNavigator pixels(image.get(), nullptr, false, false);
    for (uint32_t r = 0; pixels.IsUsable() && r < pixels.GetRows(); ++r)
      for (uint32_t c = 0; c < pixels.GetColumns(); ++c) out.push_back(pixels.Cells(r)[c].value);
    return out;
  }
  static std::vector<uint32_t> Values(const std::vector<CImVector>& cells) {
    std::vector<uint32_t> out;
    for (const CImVector& cell : cells) out.push_back(cell.value);
    return out;
  }
  // The record's bytes but those of the ranges given as {offset, length}.
  std::vector<uint8_t> BytesOutside(std::vector<std::pair<uint32_t, uint32_t>> skipped) {
    std::vector<uint8_t> bytes = Bytes(0, sizeof(STextureData));
    for (auto [offset, length] : skipped) std::fill(bytes.begin() + offset, bytes.begin() + offset + length, 0);
    return bytes;
  }
  // The menu popped up at the strip, with row `row` chosen (0: left with Escape).
  void ChooseRow(int which, uint32_t row) {
    CImElement* strip = Control(which == CDTSubEditor::kNoiseMenu ? kDTSubNoiseType : kDTSubMode);
    const SPointHV at = Screen(strip, {2, 2});
    ASSERT_TRUE(platform::headless::AddScript(MenuAnswer(at, row)));
    sub->ChooseFromMenu(at, which);
    Settle();
  }
};

TEST_F(DTSubEditorTest, TheBuildFindsEveryControlAndLoadsTheTwoMenus) {
  OpenOn("compB", "phaseType");
  for (uint32_t c = 0; c < kDTSubControlCount; ++c) {
    ASSERT_NE(Control(c), nullptr) << kDTSubControls[c].name;
    EXPECT_EQ(dynamic_cast<CTxElement*>(Control(c)) != nullptr, kDTSubControls[c].kind == SLayoutNeed::kTextElement)
        << kDTSubControls[c].name;
  }
  EXPECT_EQ(sub->GetMenu(CDTSubEditor::kNoiseMenu)->GetCount(), 27u);
  EXPECT_EQ(sub->GetMenu(CDTSubEditor::kModeMenu)->GetCount(), 13u);
  for (int which : {CDTSubEditor::kNoiseMenu, CDTSubEditor::kModeMenu})
    EXPECT_TRUE(sub->GetMenu(which)->GetMenuFlags() & CMenu::kMenuPopUp) << which;
  // Its one heartbeat row is its own handler: the elements take no hover.
  CCmFunction* beats = app->GetHeartbeat();
  std::vector<CFCallback> rows;
  for (uint32_t i = 0; i < beats->GetCount(); ++i) {
    if ((*beats)[i].owner == sub.get()) rows.push_back((*beats)[i].callback);
  }
  EXPECT_EQ(rows, std::vector<CFCallback>{&CDTSubEditor::OnHeartbeat});
  EXPECT_EQ(Preview().size(), size_t(kComponentPreviewSide * kComponentPreviewSide));
}

TEST_F(DTSubEditorTest, OpenedOnASetItShowsItsFieldsAndTheFullPreview) {
  OpenOn("compB", "phaseType");
  const char* texts[kDTSubReadoutCount] = {"angle XY 45", "angle YZ -10", "X 100", "Y 100", "Z 100", "Octaves 3"};
  for (uint32_t r = 0; r < kDTSubReadoutCount; ++r) EXPECT_EQ(Text(Readout(r)), texts[r]) << r;
  EXPECT_EQ(Word(Control(kDTSubNoiseType)), 6);
  EXPECT_EQ(Control(kDTSubNoiseType)->GetImagePosition(), (SPointHV{0, -108}));
  EXPECT_EQ(Word(Control(kDTSubMode)), 2);
  EXPECT_EQ(sub->GetDimension(), 1);
  EXPECT_EQ(Set(Control(kDTSubDimensionOne)), 0u);
  EXPECT_EQ(Set(Control(kDTSubDimensionTwo)), 1u);
  EXPECT_EQ(Set(Control(kDTSubDimensionThree)), 0u);
  EXPECT_EQ(Preview(), Rendered(false));
  // The readouts' texts sit in the middle of their fields.
  CTxElement* angle = Readout(0);
  SRect text, field;
  ASSERT_EQ(angle->GetTextRect(&text), 0);
  angle->GetLocalRect(&field);
  EXPECT_NEAR((text.left + text.right) / 2.0, (field.left + field.right) / 2.0, 1.0);
}

// "dimensionThree" stores at once; "dtsOk" keeps the change, hides the sub-editor and lowers the level.
TEST_F(DTSubEditorTest, ADimensionPressStoresIntoTheSetAlone) {
  const std::vector<uint8_t> before = BytesOutside({{kBPhase, 28}, {kBPhaseCounts, 8}});
  OpenOn("compB", "phaseType");
  const uint32_t level = owner->GetModalLevel();
  RunPress(Control(kDTSubDimensionThree));
  EXPECT_EQ(Set(Control(kDTSubDimensionTwo)), 0u);
  EXPECT_EQ(Set(Control(kDTSubDimensionThree)), 1u);
  EXPECT_EQ(SendSub("dtsOk"), 0);
  EXPECT_FALSE(sub->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level - 1);
  EXPECT_EQ(At<int32_t>(kBPhase), PackComponentCode(2, 6, 3, 2));
  EXPECT_EQ(At<int32_t>(kBPhaseCounts), 3);
  EXPECT_EQ(At<int32_t>(kBPhaseCounts + 4), 2);
  EXPECT_EQ(BytesOutside({{kBPhase, 28}, {kBPhaseCounts, 8}}), before);
}

TEST_F(DTSubEditorTest, CancelPutsTheSetBackAsItWasOpened) {
  const std::vector<uint8_t> before = Bytes(0, sizeof(STextureData));
  OpenOn("compB", "phaseType");
  const uint32_t level = owner->GetModalLevel();
  RunPress(Control(kDTSubAngleXYInc));
  RunPress(Control(kDTSubFreqYDec));
  RunPress(Control(kDTSubOctaveInc));
  RunPress(Control(kDTSubDimensionOne));
  ASSERT_NE(Bytes(0, sizeof(STextureData)), before);
  EXPECT_EQ(SendSub("dtsCancel"), 0);
  EXPECT_FALSE(sub->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level - 1);
  EXPECT_EQ(Bytes(0, sizeof(STextureData)), before);
}

TEST_F(DTSubEditorTest, TheGlobalPhaseIsItsOwnSetAndAnUnknownPairTouchesNothing) {
  OpenOn(kEditor, "compGPhaseType");
  const std::vector<uint8_t> components = Bytes(80, 3 * 272);
  RunPress(Control(kDTSubAngleYZInc));
  RunPress(Control(kDTSubFreqXInc));
  const STextureData data = Data();
  EXPECT_EQ(data.globalPhase.angleYZ, Value(1));
  EXPECT_EQ(data.globalPhase.frequency[0], Value(2));
  EXPECT_EQ(Bytes(80, 3 * 272), components);
  sub->Close();

  const std::vector<uint8_t> before = Bytes(0, sizeof(STextureData));
  sub->SetTarget("compA", "bogus", editor->GetWorkingTexture(), nullptr);
  EXPECT_EQ(sub->LoadTarget(), 0);
  sub->Refresh(false);
  RunPress(Control(kDTSubAngleXYInc));
  sub->StoreTarget();
  EXPECT_EQ(SendSub("dtsCancel"), 0);
  EXPECT_EQ(Bytes(0, sizeof(STextureData)), before);
}

TEST_F(DTSubEditorTest, WhileHiddenItAnswersNothingAndStoresNothing) {
  OpenOn("compB", "phaseType");
  sub->Close();
  const std::vector<uint8_t> before = Bytes(0, sizeof(STextureData));
  Readout(0)->SetUserWord(0, 90);
  for (const char* element : {"angleXYVal", "dtsOk", "dtsCancel", "noiseType"}) EXPECT_EQ(SendSub(element), 0) << element;
  EXPECT_EQ(SendSub(kSub, kEditor), 0);
  EXPECT_FALSE(sub->IsShown());
  EXPECT_EQ(Bytes(0, sizeof(STextureData)), before);
  // Shown, another canvas naming it brings it forward.
  sub->Refresh(false);
  EXPECT_EQ(SendSub(kSub, kEditor), kHandled);
}

TEST_F(DTSubEditorTest, TheStepButtonsMoveOnlyFromWithinTheAngleRange) {
  OpenOn("compB", "phaseType");
  struct SCase {
    uint32_t button;
    uint32_t readout;
    int32_t from;
    int32_t to;
  } cases[] = {
      {kDTSubAngleXYDec, 0, 360, 359}, {kDTSubAngleXYInc, 0, 360, 360},   {kDTSubAngleYZDec, 1, -360, -360},
      {kDTSubOctaveInc, 5, 8, 8},      {kDTSubOctaveDec, 5, 0, 0},         {kDTSubOctaveInc, 5, 3, 4},
      {kDTSubFreqXInc, 2, 400, 400},   {kDTSubFreqZDec, 4, -361, -361},    {kDTSubFreqYInc, 3, 360, 360},
      {kDTSubFreqYDec, 3, -5, -6},
  };
  for (const SCase& c : cases) {
    sub->ShowValue(c.readout, c.from);
    RunPress(Control(c.button));
    EXPECT_EQ(Value(c.readout), c.to) << kDTSubControls[c.button].name << " from " << c.from;
  }
  // Each press stored the set.
  EXPECT_EQ(Data().component[1].phase.frequency[1], -6);
}

TEST_F(DTSubEditorTest, AReadoutDraggedUpAddsTheMotionWithinItsRange) {
  OpenOn("compB", "phaseType");
  struct SCase {
    uint32_t readout;
    int32_t from;
    int32_t up;
    int32_t to;
  } cases[] = {
      {0, 45, 30, 75},   {0, 350, 30, 360}, {1, -350, -30, -360}, {5, 3, 30, 8},
      {5, 3, -30, 0},    {2, 100, 30, 130}, {3, 500, 300, 800},   {4, INT32_MAX - 10, 30, INT32_MAX},
      {2, -100, -30, -130},
  };
  for (const SCase& c : cases) {
    sub->ShowValue(c.readout, c.from);
    Press(Readout(c.readout), {10, 8}, "rmove 0 " + std::to_string(-c.up) + "\nwait 20\n");
    EXPECT_EQ(Value(c.readout), c.to) << c.readout << " from " << c.from;
  }
  EXPECT_EQ(Text(Readout(2)), "X -130");
  EXPECT_EQ(Data().component[1].phase.frequency[0], -130);
}

// The drags draw the fast preview on each pass (the full one with Alt) and the full one after.
TEST_F(DTSubEditorTest, RotateAndTranslateDragsDrawFastThenFull) {
  OpenOn("compB", "phaseType");
  Press(Control(kDTSubRotate), {10, 8}, "rmove -20 -15\nwait 20\n");
  EXPECT_EQ(Value(0), 65);
  EXPECT_EQ(Value(1), 5);
  EXPECT_EQ(Values(Watched().seen), Rendered(true)) << "the last pass drew the fast preview";
  EXPECT_EQ(Preview(), Rendered(false)) << "the full one follows";
  EXPECT_EQ(Data().component[1].phase.angleXY, 65);

  Script("key 18\n");
  Press(Control(kDTSubTranslate), {10, 8}, "rmove 0 -25\nwait 20\n");
  Script("keyup 18\n");
  for (uint32_t f = 2; f < 5; ++f) EXPECT_EQ(Value(f), 125) << f;
  EXPECT_EQ(Values(Watched().seen), Rendered(false)) << "with Alt the passes drew the full preview";
  EXPECT_NE(Rendered(false), Rendered(true));
}

TEST_F(DTSubEditorTest, AMenuRowGivesTheStripItsValueAndCell) {
  OpenOn("compB", "phaseType");
  ChooseRow(CDTSubEditor::kNoiseMenu, 1);
  EXPECT_EQ(Word(Control(kDTSubNoiseType)), 0);
  EXPECT_EQ(Control(kDTSubNoiseType)->GetImagePosition(), (SPointHV{0, 0}));
  ChooseRow(CDTSubEditor::kModeMenu, 5);
  EXPECT_EQ(Word(Control(kDTSubMode)), 4);
  EXPECT_EQ(Control(kDTSubMode)->GetImagePosition(), (SPointHV{0, -72}));
  EXPECT_EQ(Ticked(sub->GetMenu(CDTSubEditor::kModeMenu)), std::vector<uint32_t>{3})
      << "opened ticking the row of the mode 2";
  // Left without a choice, nothing changes.
  ChooseRow(CDTSubEditor::kModeMenu, 0);
  EXPECT_EQ(Word(Control(kDTSubMode)), 4);
  EXPECT_EQ(Control(kDTSubMode)->GetImagePosition(), (SPointHV{0, -72}));
  // A value of -1 opens the menu with no row ticked.
  Control(kDTSubMode)->SetUserWord(0, uint32_t(-1));
  ChooseRow(CDTSubEditor::kModeMenu, 0);
  EXPECT_TRUE(Ticked(sub->GetMenu(CDTSubEditor::kModeMenu)).empty());
  EXPECT_EQ(Word(Control(kDTSubMode)), -1);
}

// A press on the strip pops its menu up through the handler, which then stores the choice.
TEST_F(DTSubEditorTest, APressOnAStripStoresTheChosenRow) {
  OpenOn("compB", "phaseType");
  CImElement* strip = Control(kDTSubNoiseType);
  const SPointHV at = Screen(strip, {5, 5});
  Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\nwait 20\nup left\nwait 40\nmove " +
         std::to_string(at.h + kMenuFrame + 30) + " " + std::to_string(at.v + kMenuFrame + 9 * kMenuRow + kMenuRow / 2) +
         "\nwait 20\ndown left\nwait 20\nup left\nwait 20\n");
  EXPECT_EQ(Word(strip), 9);
  EXPECT_EQ(Data().component[1].phase.code, PackComponentCode(1, 9, 3, 2));
  EXPECT_EQ(Preview(), Rendered(false));
}

// The code keeps the octave count in one decimal digit: a larger count would spill into the mode.
TEST_F(DTSubEditorTest, TheStoredOctaveCountNeverSpillsIntoTheMode) {
  OpenOn("compB", "phaseType");
  sub->ShowValue(5, 12);
  sub->StoreTarget();
  EXPECT_EQ(Data().component[1].phase.code, PackComponentCode(1, 6, 9, 2));
  EXPECT_EQ(Data().component[1].compiledPhase.octaves, 9);
}

}  // namespace
