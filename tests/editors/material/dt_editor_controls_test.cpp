// The 3D texture editor's number controls and switches, driven through the headless pointer: slider
// bars and thumbs, steppers, value fields dragged up and down, the filter pad, and the format and
// count switches.
#include "tests/editors/material/dt_editor_fixture.h"

namespace {

using namespace need;

constexpr int kGlobal = CDTEditor::kGlobal;
// Record offsets: component B's phase, component A's filter c and a, component B's colour format.
constexpr uint32_t kBPhase = 352 + 36;
constexpr uint32_t kAFilterC = 80 + 64;
constexpr uint32_t kAFilterA = 80 + 68;
constexpr uint32_t kBFormat = 352 + 80;
constexpr uint32_t kGlobalC = 48;
constexpr uint32_t kGlobalPhase = 20;

class DTEditorControls : public DTEditorTest {
 protected:
  void SetUp() override {
    DTEditorTest::SetUp();
    if (HasFatalFailure()) return;
    OpenWithThreeComponents();
  }
  int32_t Frequency(int component) { return Data().component[component].frequency[0]; }
  void SetFrequencies(int32_t a, int32_t b, int32_t c) {
    Edit([=](STextureData& data) {
      data.component[0].frequency[0] = a;
      data.component[1].frequency[0] = b;
      data.component[2].frequency[0] = c;
    });
  }
  std::vector<int32_t> Frequencies() { return {Frequency(0), Frequency(1), Frequency(2)}; }
  // The point of the bar at x, halfway down.
  void PressBar(CImElement* bar, int32_t x, const std::string& during = "") { Press(bar, {x, 8}, during); }
  static std::string Moves(int32_t count, int32_t dx, int32_t dy) {
    std::string script;
    for (int32_t i = 0; i < count; ++i) script += "rmove " + std::to_string(dx) + " " + std::to_string(dy) + "\nwait 20\n";
    return script;
  }
};

// ---- bars and steppers

TEST_F(DTEditorControls, ABarSetsItsValueFromWhereItIsPressedAndMovesItsThumb) {
  CImElement* bar = Child(0, kDTNoiseSliderBar);
  CImElement* thumb = Child(0, kDTNoiseSlider);
  ASSERT_EQ(RectWidth(bar->GetRect()), 105);
  const struct {
    int32_t x;
    std::string during;
    int32_t frequency, phase;
  } cases[] = {{0, "", -1000, 0}, {50, "", 0, 500}, {100, "", 1000, 1000}, {60, Moves(4, 20, 0), 1000, 1000}};
  for (const auto& c : cases) {
    PressBar(bar, c.x, c.during);
    EXPECT_EQ(Word(Field(0, kDTNoiseSliderVal)), c.frequency) << c.x;
    EXPECT_EQ(Frequency(0), c.frequency) << c.x;
    const int32_t offset = std::min(c.x + (c.during.empty() ? 0 : 80), 100);
    EXPECT_EQ(thumb->GetRect().left, bar->GetRect().left + offset) << c.x;
    EXPECT_EQ(RectWidth(thumb->GetRect()), 5) << c.x;
    PressBar(Child(1, kDTPhaseSliderBar), c.x, c.during);
    EXPECT_EQ(Data().component[1].phase.amount, c.phase) << c.x;
    EXPECT_EQ(Text(Field(1, kDTPhaseSliderVal)), std::to_string(c.phase)) << c.x;
  }
}

TEST_F(DTEditorControls, AStepperStopsAtItsEndAndStillWritesItsValue) {
  Edit([](STextureData& data) { data.component[1].phase.amount = 999; });
  CImElement* inc = Child(1, kDTPhaseSliderInc);
  RunPress(inc);
  EXPECT_EQ(At<int32_t>(kBPhase), 1000);
  EXPECT_EQ(Text(Field(1, kDTPhaseSliderVal)), "1000");
  EXPECT_EQ(Word(Child(1, kDTPhaseSlider)), 100) << "the thumb at the right end";
  RunPress(inc);
  EXPECT_EQ(Word(Field(1, kDTPhaseSliderVal)), 1000);
  EXPECT_EQ(At<int32_t>(kBPhase), 1000);

  // The c steppers write the filter's c at the end too, and move no thumb.
  Edit([](STextureData& data) { data.component[0].filter.count = 1000; });
  const SRect thumbs[2] = {Child(0, kDTNoiseSlider)->GetRect(), Child(0, kDTPhaseSlider)->GetRect()};
  RunPress(Child(0, kDTCValInc));
  EXPECT_EQ(At<int32_t>(kAFilterC), 1000);
  EXPECT_EQ(Child(0, kDTNoiseSlider)->GetRect(), thumbs[0]);
  EXPECT_EQ(Child(0, kDTPhaseSlider)->GetRect(), thumbs[1]);

  // The combiner's c and phase steppers write the record as its bar does.
  Edit([](STextureData& data) { data.filter.count = 4; });
  RunPress(Global(kDTGCValInc));
  EXPECT_EQ(Text(Field(kGlobal, kDTCVal)), "c = 5");
  EXPECT_EQ(At<int32_t>(kGlobalC), 5);
  RunPress(Global(kDTGPhaseSliderInc));
  EXPECT_EQ(At<int32_t>(kGlobalPhase), Data().globalPhase.amount);
  EXPECT_EQ(Word(Field(kGlobal, kDTPhaseSliderVal)), At<int32_t>(kGlobalPhase));
}

// The global frequency moves the three components by its change, each held to its range.
TEST_F(DTEditorControls, TheGlobalFrequencyBarMovesTheComponentFrequencies) {
  SetFrequencies(900, 0, -200);
  CImElement* bar = Global(kDTGFreqSliderBar);
  ASSERT_EQ(Word(Field(kGlobal, kDTNoiseSliderVal)), 0);
  PressBar(bar, 50, Moves(3, 5, 0));
  EXPECT_EQ(Word(Field(kGlobal, kDTNoiseSliderVal)), 300);
  EXPECT_EQ(Frequencies(), (std::vector<int32_t>{1000, 300, 100}));
  EXPECT_EQ(Text(Field(0, kDTNoiseSliderVal)), "1000");
  PressBar(bar, 65, Moves(3, -5, 0));
  EXPECT_EQ(Frequencies(), (std::vector<int32_t>{700, 0, -200}));
}

TEST_F(DTEditorControls, TheGlobalFrequencySteppersStepEachComponentWithinItsRange) {
  SetFrequencies(-1000, 5, 10);
  CTxElement* global = Field(kGlobal, kDTNoiseSliderVal);
  global->SetUserWord(0, uint32_t(-1000));
  RunPress(Global(kDTGFreqSliderDec));
  EXPECT_EQ(Frequencies(), (std::vector<int32_t>{-1000, 5, 10}));
  global->SetUserWord(0, uint32_t(-999));
  RunPress(Global(kDTGFreqSliderDec));
  EXPECT_EQ(Word(global), -1000);
  EXPECT_EQ(Frequencies(), (std::vector<int32_t>{-1000, 4, 9}));
}

// ---- value fields

TEST_F(DTEditorControls, AFieldDraggedStaysInItsRange) {
  Edit([](STextureData& data) { data.component[2].phase.amount = 3; });
  CTxElement* phase = Field(2, kDTPhaseSliderVal);
  Press(phase, {10, 8}, "rmove 0 10\nwait 20\n");
  EXPECT_EQ(Word(phase), 0);
  EXPECT_EQ(Data().component[2].phase.amount, 0);

  Edit([](STextureData& data) { data.component[0].filter.count = 10; });
  CTxElement* c = Field(0, kDTCVal);
  Press(c, {10, 8}, Moves(5, 0, -5));
  EXPECT_EQ(Word(c), 35);
  EXPECT_EQ(Text(c), "c = 35");
  EXPECT_EQ(At<int32_t>(kAFilterC), 35);
}

// The global frequency's drag keeps running values: 1500 up then 600 down from 200, 0 and -900.
TEST_F(DTEditorControls, TheGlobalFrequencyFieldMovesRunningValues) {
  SetFrequencies(200, 0, -900);
  CTxElement* global = Field(kGlobal, kDTNoiseSliderVal);
  Press(global, {10, 8}, "rmove 0 -1500\nwait 20\nrmove 0 600\nwait 20\n");
  EXPECT_EQ(Frequencies(), (std::vector<int32_t>{1000, 900, 0}));
  EXPECT_EQ(Word(global), 400);
}

// a and b are shaped on the pad; a press on their fields changes nothing but is seen by the handler.
TEST_F(DTEditorControls, APressOnAnAOrBFieldChangesNothing) {
  const STextureData before = Data();
  for (CTxElement* field : {Field(0, kDTAVal), Field(kGlobal, kDTBVal)}) {
    CompleteAll();
    const int32_t word = Word(field);
    Press(field, {10, 8}, Moves(3, 0, -7));
    EXPECT_EQ(Word(field), word);
    EXPECT_EQ(Progress(3), (std::pair<uint32_t, uint32_t>{4, 0})) << "the handler saw the press";
  }
  const STextureData after = Data();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

// ---- the filter pad

TEST_F(DTEditorControls, ThePadMovesAWithTheHorizontalAndBWithTheVertical) {
  Edit([](STextureData& data) {
    data.component[0].filter.a = 1.0f;
    data.component[0].filter.b = 0.0f;
  });
  CImElement* pad = Child(0, kDTFilterImage);
  Press(pad, {40, 40}, "rmove -10 0\nwait 20\n");
  EXPECT_EQ(Word(Field(0, kDTAVal)), 10779);
  EXPECT_EQ(Text(Field(0, kDTAVal)), "a = 1.0779");
  EXPECT_EQ(At<float>(kAFilterA), 1.0779f);
  EXPECT_EQ(Word(Field(0, kDTBVal)), 0) << "no vertical motion";

  Edit([](STextureData& data) { data.component[0].filter.a = 99.99f; });
  Press(pad, {40, 40}, "rmove -10 0\nwait 20\n");
  EXPECT_EQ(Word(Field(0, kDTAVal)), 1000000);
  EXPECT_EQ(Text(Field(0, kDTAVal)), "a = 100");
}

// A drag on one pad writes the a and b of every filter from their fields; a field beyond the range
// stays as it is and is written as it is.
TEST_F(DTEditorControls, APadWritesEveryFilterFromItsFields) {
  Field(0, kDTAVal)->SetUserWord(0, 5000);
  Field(2, kDTBVal)->SetUserWord(0, uint32_t(-2500));
  Field(kGlobal, kDTAVal)->SetUserWord(0, 1234);
  Field(1, kDTAVal)->SetUserWord(0, 2000000);
  Press(Child(1, kDTFilterImage), {40, 40}, "rmove -3 2\nwait 20\n");
  EXPECT_EQ(Word(Field(1, kDTAVal)), 2000000);
  const STextureData data = Data();
  EXPECT_EQ(data.component[0].filter.a, 0.5f);
  EXPECT_EQ(data.component[2].filter.b, -0.25f);
  EXPECT_EQ(data.filter.a, 0.1234f);
  EXPECT_EQ(data.component[1].filter.a, 200.0f);
}

// ---- switches

TEST_F(DTEditorControls, AFormatSwitchSetsItsComponentAndTurnsItsPartnerOff) {
  const STextureData before = Data();
  RunPress(Child(1, kDTHLSFormat));
  EXPECT_EQ(At<int32_t>(kBFormat), 64);
  EXPECT_EQ(Set(Child(1, kDTHLSFormat)), 1u);
  EXPECT_EQ(Set(Child(1, kDTRGBFormat)), 0u);
  EXPECT_EQ(Set(Child(0, kDTRGBFormat)), 1u);
  EXPECT_EQ(Set(Child(2, kDTRGBFormat)), 1u);
  EXPECT_EQ(Data().component[0].colour.format, before.component[0].colour.format);
  EXPECT_EQ(Data().component[2].colour.format, before.component[2].colour.format);
  RunPress(Child(1, kDTRGBFormat));
  EXPECT_EQ(At<int32_t>(kBFormat), 0);
  EXPECT_EQ(Set(Child(1, kDTHLSFormat)), 0u);
}

TEST_F(DTEditorControls, ACountSwitchSetsTheCountAndRestartsThePreviewsItShows) {
  const std::vector<uint8_t> componentC = Bytes(624, 272);
  CompleteAll();
  RunPress(Global(kDTCompCount2));
  EXPECT_EQ(Data().count, 2);
  EXPECT_EQ(editor->GetComponentCount(), 2);
  EXPECT_EQ(Set(Global(kDTCompCount2)), 1u);
  EXPECT_EQ(Set(Global(kDTCompCount3)), 0u);
  EXPECT_EQ(Set(Child(2, kDTOperation)), 0u);
  EXPECT_EQ(Progress(0), (std::pair<uint32_t, uint32_t>{4, 0}));
  EXPECT_EQ(Progress(1), (std::pair<uint32_t, uint32_t>{4, 0}));
  EXPECT_EQ(Progress(2).first, 0u);
  EXPECT_EQ(Bytes(624, 272), componentC);
  EXPECT_FALSE(Child(2, kDTCopy)->IsShown()) << "the handler hid panel C";
}

// Without a working texture a switch still turns its partners off, and changes no count.
TEST_F(DTEditorControls, ASwitchWithoutATextureStillTurnsItsPartnerOff) {
  // One editor holds the layout's pictures at a time.
  editor.reset();
  CDTEditor bare(owner, layout);
  ASSERT_EQ(bare.BuildOnce(), 0);
  ASSERT_EQ(bare.SetTextureSource(dialogs, 0), 0);
  ASSERT_EQ(bare.BindControls(), 0);
  ASSERT_EQ(bare.GetWorkingTexture(), nullptr);
  CElement* handled = nullptr;
  CImElement* hls = bare.GetPanelElement(0, kDTHLSFormat);
  CDTEditor::SelectFormatOrCount(hls, &handled, {1, 1}, nullptr);
  EXPECT_EQ(Set(hls), 1u);
  EXPECT_EQ(Set(bare.GetPanelElement(0, kDTRGBFormat)), 0u);
  CDTEditor::SelectFormatOrCount(bare.GetGlobalElement(kDTCompCount3), &handled, {1, 1}, nullptr);
  EXPECT_EQ(Set(bare.GetGlobalElement(kDTCompCount2)), 0u);
  EXPECT_EQ(bare.GetComponentCount(), 1);
}

// In panel A the element is the operation's menu button: its press changes no switch and no record.
TEST_F(DTEditorControls, TheOperationButtonOfPanelAIsNoSwitch) {
  const STextureData before = Data();
  ASSERT_TRUE(platform::headless::AddScript("wait 20\nkey 0x1B\nwait 20\nkeyup 0x1B\n"));
  RunPress(Child(0, kDTOperation));
  Settle();
  EXPECT_EQ(Set(Child(2, kDTOperation)), 0u);
  EXPECT_EQ(Set(Global(kDTCompCount3)), 1u);
  const STextureData after = Data();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

}  // namespace
