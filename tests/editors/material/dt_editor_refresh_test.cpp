// The 3D texture editor's controls set from the working texture's record: the count switches, the
// value fields and their texts, the choices, the swatches, the formats, and the thumbs.
#include "tests/editors/material/dt_editor_fixture.h"

namespace {

using namespace need;

using DTEditorRefresh = DTEditorTest;

TEST_F(DTEditorRefresh, TheCountLightsItsSwitchAndAnotherCountChangesNothing) {
  Open();
  Edit([](STextureData& data) { data.count = 2; });
  CImElement* switches[3] = {Child(2, kDTOperation), Global(kDTCompCount2), Global(kDTCompCount3)};
  const uint32_t two[3] = {0, 1, 0};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Set(switches[i]), two[i]) << i;
    EXPECT_EQ(Word(switches[i]), int32_t(two[i])) << i;
  }
  EXPECT_EQ(editor->GetComponentCount(), 2);
  Edit([](STextureData& data) { data.count = 5; });
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Set(switches[i]), two[i]) << i;
  EXPECT_EQ(editor->GetComponentCount(), 2);
}

TEST_F(DTEditorRefresh, FilterParametersShowInTenThousandthsAndCAsItIs) {
  Open();
  Edit([](STextureData& data) {
    data.component[0].filter.a = 0.12345f;
    data.component[0].filter.b = -2.5f;
    data.component[0].filter.count = -7;
    data.filter.a = 0.5f;
    data.filter.count = 12;
  });
  EXPECT_EQ(Word(Field(0, kDTAVal)), 1234);
  EXPECT_EQ(Text(Field(0, kDTAVal)), "a = 0.1234");
  EXPECT_EQ(Text(Field(0, kDTBVal)), "b = -2.5");
  EXPECT_EQ(Text(Field(0, kDTCVal)), "c = -7");
  // The combiner's texts follow the record too.
  EXPECT_EQ(Text(Field(CDTEditor::kGlobal, kDTAVal)), "a = 0.5");
  EXPECT_EQ(Text(Field(CDTEditor::kGlobal, kDTCVal)), "c = 12");
}

TEST_F(DTEditorRefresh, ChoicesSwatchesAndFormatsShowTheRecord) {
  Open();
  Edit([](STextureData& data) {
    data.component[2].filter.kind = 3;
    data.component[1].colour.colour[1] = 0x123456;
    data.component[1].colour.format = kColourFormatHLS;
    data.colour.mapKind = 5;
    data.operation[1] = 7;
  });
  EXPECT_EQ(Word(Child(2, kDTFilterType)), 3);
  EXPECT_EQ(Child(2, kDTFilterType)->GetImagePosition(), (SPointHV{0, -54}));
  EXPECT_EQ(Word(Global(kDTGColorMap)), 5);
  EXPECT_EQ(Word(Child(1, kDTOperation)), 7);
  CImElement* swatch = Child(1, kDTColor2);
  EXPECT_EQ(uint32_t(Word(swatch)), 0x123456u);
  EXPECT_EQ(Pixel(swatch->GetImage(), 3, 3) & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(Set(Child(1, kDTHLSFormat)), 1u);
  EXPECT_EQ(Set(Child(1, kDTRGBFormat)), 0u);
  EXPECT_EQ(Set(Child(0, kDTRGBFormat)), 1u);
  // Binding again keeps the formats of the record.
  ASSERT_EQ(editor->BindControls(), 0);
  EXPECT_EQ(Set(Child(1, kDTHLSFormat)), 1u);
  EXPECT_EQ(Set(Child(1, kDTRGBFormat)), 0u);
}

// Every field shows its own value, at the refresh and at the next binding alike; the thumbs follow.
TEST_F(DTEditorRefresh, AFrequencyShowsItselfWhateverTheGlobalFrequencyAndItsThumbFollows) {
  Open();
  CTxElement* global = Field(CDTEditor::kGlobal, kDTNoiseSliderVal);
  global->SetUserWord(0, 5);
  Edit([](STextureData& data) { data.component[0].frequency[0] = 10; });
  EXPECT_EQ(Text(Field(0, kDTNoiseSliderVal)), "10");
  global->SetUserWord(0, 5);
  ASSERT_EQ(editor->BindControls(), 0);
  EXPECT_EQ(Text(Field(0, kDTNoiseSliderVal)), "10");

  Edit([](STextureData& data) {
    data.component[0].frequency[0] = 1000;
    data.globalPhase.amount = 250;
  });
  const int32_t length = RectWidth(Child(0, kDTNoiseSliderBar)->GetRect()) - 5;
  EXPECT_EQ(Child(0, kDTNoiseSlider)->GetRect().left, Child(0, kDTNoiseSliderBar)->GetRect().left + length);
  EXPECT_EQ(Text(Field(CDTEditor::kGlobal, kDTPhaseSliderVal)), "250");
  EXPECT_EQ(Word(Global(kDTGPhaseSlider)), length / 4);
}

// The opening takes the reset snapshot; later refreshes do not.
TEST_F(DTEditorRefresh, OnlyARefreshWithTheFlagTakesTheSnapshot) {
  Open();
  const STextureComponent opened = Data().component[0];
  Edit([](STextureData& data) { data.component[0].frequency[0] = 77; });
  RunPress(Child(0, kDTReset));
  EXPECT_EQ(Data().component[0].frequency[0], opened.frequency[0]);
  Edit([](STextureData& data) { data.component[0].frequency[0] = 77; });
  editor->RefreshComponentControls(true);
  Edit([](STextureData& data) { data.component[0].frequency[0] = 5; });
  RunPress(Child(0, kDTReset));
  EXPECT_EQ(Data().component[0].frequency[0], 77);
}

}  // namespace
