// The 3D texture editor's component clipboard and resets, its filter curve, its pop-up menus and
// colour swatches with the store of their choices.
#include "tests/editors/material/dt_editor_fixture.h"

namespace {

using namespace need;

constexpr int kGlobal = CDTEditor::kGlobal;

class DTEditorComponents : public DTEditorTest {
 protected:
  void SetUp() override {
    DTEditorTest::SetUp();
    if (HasFatalFailure()) return;
    OpenWithThreeComponents();
  }
  // The element's menu popped up at the element, with row `row` chosen (0: left with Escape).
  void Choose(int kind, CImElement* element, const char* group, uint32_t row) {
    const SPointHV at = Screen(element, {2, 2});
    EXPECT_TRUE(platform::headless::AddScript(MenuAnswer(at, row)));
    EXPECT_EQ(editor->ChooseFromPopupMenu(at, kind, group), 0);
    Settle();
  }
  // Filter records whose answer is held above 1 or below 0 everywhere.
  static STextureFilter Constant(float level) { return STextureFilter{7, 0, 0.0f, level}; }
  // The rows of each column that are black, from column 0 to 74.
  static std::vector<std::vector<uint32_t>> Curve(CImage* picture) {
    std::vector<std::vector<uint32_t>> columns(75);
    CImNavigator pixels(picture, nullptr, false, false);
    for (uint32_t y = 0; y < 75; ++y) {
      for (uint32_t x = 0; x < 75; ++x) {
        const uint32_t value = pixels.Cells(y)[x].value;
        EXPECT_TRUE(value == 0 || value == 0xC0C0C0) << x << " " << y;
        if (value == 0) columns[x].push_back(y);
      }
    }
    return columns;
  }
};

// ---- clipboard and resets

TEST_F(DTEditorComponents, CopyAndPasteMoveAComponentAndAnEmptyClipboardChangesNothing) {
  Edit([](STextureData& data) { data.component[0].frequency[0] = 123; });
  const std::vector<uint8_t> a = Bytes(80, 272);
  const std::vector<uint8_t> c = Bytes(624, 272);
  RunPress(Child(2, kDTPasteTo));
  EXPECT_EQ(Bytes(624, 272), c) << "nothing was copied yet";
  EXPECT_FALSE(editor->IsRefreshPending());
  RunPress(Child(0, kDTCopy));
  RunPress(Child(2, kDTPasteTo));
  EXPECT_EQ(Bytes(624, 272), a);
  EXPECT_EQ(Bytes(80, 272), a);
  EXPECT_EQ(Text(Field(2, kDTNoiseSliderVal)), "123") << "the handler refreshed";
}

TEST_F(DTEditorComponents, TheResetsBringBackWhatTheSnapshotHolds) {
  const STextureData opened = Data();
  Edit([](STextureData& data) {
    data.component[1].frequency[0] = 321;
    data.component[1].filter = STextureFilter{5, 9, 1.5f, 2.5f};
    data.filter = STextureFilter{3, 2, 0.25f, 0.75f};
  });
  const STextureData changed = Data();
  RunPress(Child(1, kDTResetFilter));
  STextureData now = Data();
  EXPECT_EQ(now.component[1].frequency[0], 321);
  EXPECT_EQ(std::memcmp(&now.component[1].filter, &opened.component[1].filter, sizeof(STextureFilter)), 0);
  EXPECT_EQ(std::memcmp(&now.filter, &changed.filter, sizeof(STextureFilter)), 0);

  RunPress(Global(kDTGResetFilter));
  now = Data();
  EXPECT_EQ(std::memcmp(&now.filter, &opened.filter, sizeof(STextureFilter)), 0);
  EXPECT_EQ(std::memcmp(now.component, Data().component, sizeof now.component), 0);
  EXPECT_EQ(now.component[1].frequency[0], 321) << "no component record";

  RunPress(Child(1, kDTReset));
  EXPECT_EQ(Bytes(352, 272), std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(&opened.component[1]),
                                                  reinterpret_cast<const uint8_t*>(&opened.component[1]) + 272));
}

TEST_F(DTEditorComponents, WithoutASnapshotAResetWritesNothing) {
  CDTEditor::ForgetClipboardAndSnapshot();
  Edit([](STextureData& data) { data.component[0].frequency[0] = 55; });
  const std::vector<uint8_t> before = Bytes(0, 896);
  RunPress(Child(0, kDTReset));
  RunPress(Child(0, kDTResetFilter));
  RunPress(Global(kDTGResetFilter));
  EXPECT_EQ(Bytes(0, 896), before);
}

TEST_F(DTEditorComponents, ShuffleDrawsANewComponentOfItsPanelOnly) {
  const std::vector<uint8_t> a = Bytes(80, 272), b = Bytes(352, 272), c = Bytes(624, 272);
  RunPress(Child(1, kDTShuffle));
  EXPECT_EQ(Bytes(80, 272), a);
  EXPECT_NE(Bytes(352, 272), b);
  EXPECT_EQ(Bytes(624, 272), c);
}

// ---- the filter curve

TEST_F(DTEditorComponents, TheFilterCurveIsOnePixelWideAndUnbrokenFromRightToLeft) {
  CImElement* image = Child(0, kDTFilterImage);
  CDTEditor::DrawFilterCurve(image, Constant(2.0f));
  std::vector<std::vector<uint32_t>> columns = Curve(image->GetImage());
  for (uint32_t x = 0; x < 75; ++x) EXPECT_EQ(columns[x], std::vector<uint32_t>{74}) << x;
  CDTEditor::DrawFilterCurve(image, Constant(-1.0f));
  columns = Curve(image->GetImage());
  for (uint32_t x = 0; x < 75; ++x) EXPECT_EQ(columns[x], std::vector<uint32_t>{0}) << x;

  // A sine filter: each column's black rows are one run that meets the column to its right.
  CDTEditor::DrawFilterCurve(image, STextureFilter{3, 0, 6.0f, 0.0f});
  columns = Curve(image->GetImage());
  for (uint32_t x = 0; x < 75; ++x) {
    ASSERT_FALSE(columns[x].empty()) << x;
    EXPECT_EQ(columns[x].back() - columns[x].front() + 1, columns[x].size()) << x;
    if (x == 74) continue;
    const auto& right = columns[x + 1];
    EXPECT_TRUE(columns[x].front() <= right.back() && right.front() <= columns[x].back()) << x;
  }
  EXPECT_EQ(columns[74].size(), 1u) << "the first sample is one pixel";
}

// ---- menus

TEST_F(DTEditorComponents, AChosenRowGivesTheButtonItsValueAndCellAndTheStoreTheRecord) {
  CImElement* filter = Child(1, kDTFilterType);
  Choose(CDTEditor::kFilterChoice, filter, "compB", 3);
  EXPECT_EQ(Word(filter), 2);
  EXPECT_EQ(filter->GetImagePosition(), (SPointHV{0, -36})) << "the cell at 36 of the strip";
  EXPECT_EQ(Ticked(editor->GetChoiceMenu(CDTEditor::kFilterChoice)), std::vector<uint32_t>{1})
      << "opened ticking the row of the value 0";
  editor->StoreControlsInTexture();
  EXPECT_EQ(At<int32_t>(352 + 60), 2);

  // Left without a choice, the value and the picture stay.
  Choose(CDTEditor::kFilterChoice, filter, "compB", 0);
  EXPECT_EQ(Word(filter), 2);
  EXPECT_EQ(filter->GetImagePosition(), (SPointHV{0, -36}));
}

TEST_F(DTEditorComponents, AValueOfMinusOneTicksNoRowAndPanelCsOperationOpensNoMenu) {
  CImElement* output = Child(0, kDTOutputType);
  Choose(CDTEditor::kOutputChoice, output, "compA", 2);
  output->SetUserWord(0, uint32_t(-1));
  Choose(CDTEditor::kOutputChoice, output, "compA", 0);
  EXPECT_TRUE(Ticked(editor->GetChoiceMenu(CDTEditor::kOutputChoice)).empty());

  const uint32_t before = Word(Child(2, kDTOperation));
  ASSERT_TRUE(platform::headless::AddScript("wait 20\nkey 65\nwait 20\nkeyup 65\n"));
  EXPECT_EQ(editor->ChooseFromPopupMenu({300, 300}, CDTEditor::kOperationChoice, "compC"), 0);
  EXPECT_GT(platform::headless::PendingInputs(), 0u) << "no menu took the input";
  Settle();
  EXPECT_EQ(uint32_t(Word(Child(2, kDTOperation))), before);
}

// ---- swatches

TEST_F(DTEditorComponents, ASwatchOfAnotherGroupIsNotSetAndAGlobalOneIsStored) {
  const uint32_t colour = 0x00A0B0C0;
  const std::vector<uint8_t> before = Bytes(0, 896);
  EXPECT_EQ(editor->SetColorSwatch("color2", colour, 4), 1);
  EXPECT_EQ(Bytes(0, 896), before);
  EXPECT_NE(uint32_t(Word(Child(1, kDTColor2))), colour);
  EXPECT_EQ(editor->SetColorSwatch("compGColor2", colour, 4), 0);
  EXPECT_EQ(uint32_t(Word(Global(kDTGColor2))), colour);
  EXPECT_EQ(Pixel(Global(kDTGColor2)->GetImage(), 2, 2) & 0xFFFFFF, colour);
  editor->StoreControlsInTexture();
  EXPECT_EQ(At<uint32_t>(72), colour);
}

// A colour put on a swatch (kind 2) is stored; a name of another group is left to the default handling.
TEST_F(DTEditorComponents, AColourPutOnASwatchIsStored) {
  EXPECT_EQ(Send(2, "compGColor1", kEditor, 0x00010203), 0);
  EXPECT_EQ(At<uint32_t>(68), 0x00010203u);
  const std::vector<uint8_t> before = Bytes(0, 896);
  EXPECT_EQ(Send(2, "compGColor1", "compB", 0x00FFFFFF), 0);
  EXPECT_EQ(Bytes(0, 896), before);
}

// A chosen colour (kind 3) is stored and taken into the snapshot: reset then keeps it.
TEST_F(DTEditorComponents, AChosenColourIsWhatResetReturnsTo) {
  EXPECT_EQ(Send(3, "color1", "compA", 0x00112233), 0);
  EXPECT_EQ(Data().component[0].colour.colour[0], 0x00112233u);
  Edit([](STextureData& data) { data.component[0].colour.colour[0] = 0x00FFFFFF; });
  RunPress(Child(0, kDTReset));
  EXPECT_EQ(Data().component[0].colour.colour[0], 0x00112233u);

  // The swatch's press is an eyedropper: the colour on the screen under it, here the one it shows.
  CImElement* swatch = Child(1, kDTColor3);
  swatch->GetImage()->Fill(0xFF445566);
  swatch->Redraw();
  editor->UpdateNow();
  RunPress(swatch);
  EXPECT_EQ(Data().component[1].colour.colour[2], 0x00445566u);
}

}  // namespace
