// The numeric sky & fog dialog on its own: what it opens with, what typing into its fields keeps, the
// arrow steps and Tab, and what "ok" and "cancel" leave in the program's edit state.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "presets/edit_sky_fog.h"
#include "presets/layout_needs.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "edit skyfog";

// A state with every setting away from its neighbours' values, so that a value in the wrong field
// shows.
CSkyParams SampleState() {
  CSkyParams params;
  params.shadowIntensity = 11;
  params.fogIntensity = 12;
  params.fogHeight = 13;
  params.hazeIntensity = 14;
  params.cloudCover = 15;
  params.cloudHeight = 16;
  params.cloudScale = 170;
  params.cloudAmplitude = -180;
  params.isSun = 1;
  params.sunDirection = {0, 1, 0};
  params.skyMode = FourCC("cust");
  params.fogColor.value = 0x00123456;
  params.stratusOn = 1;
  return params;
}

// Every value of a state, padding left out, in a fixed order.
std::vector<double> Values(const CSkyParams& p) {
  std::vector<double> values = {double(p.shadowIntensity), double(p.fogHeight),     double(p.fogIntensity),
                                double(p.hazeIntensity),   double(p.cloudHeight),   double(p.cloudCover),
                                double(p.cloudScale),      double(p.cloudAmplitude), double(p.sunPointX),
                                double(p.sunPointY),       double(p.isSun),         p.sunDirection.x,
                                p.sunDirection.y,          p.sunDirection.z,        double(p.stratusOn),
                                double(p.cumulusOn),       double(p.skyMode)};
  for (const CImVector& c : {p.customColor1, p.customColor2, p.customColor3, p.flatSkyColor, p.shadowColor, p.fogColor,
                             p.hazeColor, p.cloudHeightColor, p.cloudCoverColor, p.sunColor})
    values.push_back(double(c.value));
  return values;
}

class EditSkyFog : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    saved = CEditSkyFog::GetEditState();
    dialog = Dialog<CEditSkyFog>("editskyfog.dat");
  }
  void TearDown() override {
    dialog.reset();
    CEditSkyFog::StoreEditState(saved);
    DialogsTest::TearDown();
  }
  // Opened as the palette manager opens it, on the state.
  void Open(const CSkyParams& params) {
    dialog->OpenWith(params);
    dialog->Refresh(false);
  }
  CTextEdit* Field(CEditSkyFog::EField index) { return dialog->GetField(index); }
  std::string Text(CEditSkyFog::EField index) { return Field(index) ? Field(index)->GetText() : "(none)"; }
  int32_t Press(const char* element) {
    CUIMessage message = Named(kCanvas, element);
    return dialog->HandleEvent(&message);
  }

  CSkyParams saved;
  std::unique_ptr<CEditSkyFog> dialog;
};

TEST_F(EditSkyFog, EveryFieldIsBoundInTableOrder) {
  for (uint32_t i = 0; i < CEditSkyFog::kFieldCount; ++i) {
    ASSERT_NE(dialog->GetFieldElement(i), nullptr) << i;
    EXPECT_STREQ(dialog->GetFieldElement(i)->GetName(), need::kEditSkyFogFields[i].name);
    EXPECT_NE(dialog->GetField(i), nullptr) << i;
  }
}

// The state's integers in their fields, the sun as 100 times its unit direction on the side of the
// horizon it is on, and "sun x" focused with its text selected.
TEST_F(EditSkyFog, OpensWithTheStatesValuesAndTheSunOnItsSide) {
  Open(SampleState());
  const std::vector<std::string> shown = {"0", "100", "0", "11", "12", "13", "14", "15", "16", "170", "-180"};
  for (uint32_t i = 0; i < CEditSkyFog::kFieldCount; ++i)
    EXPECT_EQ(Text(CEditSkyFog::EField(i)), shown[i]) << need::kEditSkyFogFields[i].name;
  EXPECT_TRUE(Focused(Field(CEditSkyFog::kSunX)));
  EXPECT_TRUE(AllSelected(Field(CEditSkyFog::kSunX)));

  struct SCase {
    vector3<double> direction;
    uint8_t isSun;
    int32_t x, y, z;
  } cases[] = {
      {{0, 1, 0}, 1, 0, 100, 0},   {{0, 1, 0}, 0, 0, -100, 0},  {{0.6, -0.8, 0}, 0, 60, -80, 0},
      {{0.6, -0.8, 0}, 1, 60, 80, 0}, {{3, 0, 4}, 0, 60, 0, 80}, {{0, 0, 0}, 1, 0, 0, 0},
  };
  for (const SCase& c : cases) {
    CSkyParams params = SampleState();
    params.sunDirection = c.direction;
    params.isSun = c.isSun;
    dialog->OpenWith(params);
    const std::string what = std::to_string(c.direction.x) + "," + std::to_string(c.direction.y) + " sun " +
                             std::to_string(c.isSun);
    EXPECT_EQ(dialog->GetSunValue(0), c.x) << what;
    EXPECT_EQ(dialog->GetSunValue(1), c.y) << what;
    EXPECT_EQ(dialog->GetSunValue(2), c.z) << what;
    EXPECT_EQ(Text(CEditSkyFog::kSunY), std::to_string(c.y)) << what;
  }
}

// Typed a key at a time through the fields' own routine: out of range the field shows its bound and
// beeps once, and the copy keeps the whole part of what the field shows.
TEST_F(EditSkyFog, TypedTextsAreRangeCheckedAsTheyAreTyped) {
  struct SCase {
    CEditSkyFog::EField field;
    const char* typed;
    const char* shown;
    uint32_t beeps;
    int32_t kept;
  } cases[] = {
      {CEditSkyFog::kShadows, "150", "100", 1, 100},         {CEditSkyFog::kFogHeight, "-3", "0", 1, 0},
      {CEditSkyFog::kFogHeight, "-0", "-0", 0, 0},           {CEditSkyFog::kSunX, "99.5", "99", 1, 99},
      {CEditSkyFog::kSunY, "-99", "-99", 0, -99},            {CEditSkyFog::kSunZ, "-100", "-99", 1, -99},
      {CEditSkyFog::kCloudAmplitude, "-500", "-500", 0, -500}, {CEditSkyFog::kCloudAmplitude, "500", "500", 0, 500},
      {CEditSkyFog::kCloudAmplitude, "-600", "-500", 1, -500}, {CEditSkyFog::kCloudScale, "0", "0", 0, 0},
      {CEditSkyFog::kCloudScale, "200", "200", 0, 200},       {CEditSkyFog::kCloudScale, "201", "200", 1, 200},
      {CEditSkyFog::kFogHaze, "42.7", "42.7", 0, 42},         {CEditSkyFog::kCloudCover, "101", "100", 1, 100},
  };
  const auto kept = [this](CEditSkyFog::EField field) {
    const CSkyParams& p = dialog->GetParams();
    switch (field) {
      case CEditSkyFog::kSunX:
      case CEditSkyFog::kSunY:
      case CEditSkyFog::kSunZ: return dialog->GetSunValue(field);
      case CEditSkyFog::kShadows: return p.shadowIntensity;
      case CEditSkyFog::kFogHeight: return p.fogHeight;
      case CEditSkyFog::kFogHaze: return p.hazeIntensity;
      case CEditSkyFog::kCloudCover: return p.cloudCover;
      case CEditSkyFog::kCloudScale: return p.cloudScale;
      case CEditSkyFog::kCloudAmplitude: return p.cloudAmplitude;
      default: return -12345;
    }
  };
  Open(SampleState());
  for (const SCase& c : cases) {
    const uint32_t beeps = platform::BeepCount();
    Type(Field(c.field), c.typed);
    const std::string what = std::string(need::kEditSkyFogFields[c.field].name) + " " + c.typed;
    EXPECT_EQ(Text(c.field), c.shown) << what;
    EXPECT_EQ(platform::BeepCount() - beeps, c.beeps) << what;
    EXPECT_EQ(kept(c.field), c.kept) << what;
  }
}

TEST_F(EditSkyFog, TheArrowsStepByOneTenOrATenth) {
  Open(SampleState());
  CTextEdit* shadows = Field(CEditSkyFog::kShadows);
  Stroke(shadows, "Up");
  EXPECT_EQ(Text(CEditSkyFog::kShadows), "12");
  Stroke(shadows, "shift+Up");
  EXPECT_EQ(Text(CEditSkyFog::kShadows), "22");
  Stroke(shadows, "alt+Up");
  EXPECT_EQ(Text(CEditSkyFog::kShadows), "22.10");
  EXPECT_EQ(dialog->GetParams().shadowIntensity, 22);
  Stroke(shadows, "shift+Down");
  EXPECT_EQ(dialog->GetParams().shadowIntensity, 12);
}

TEST_F(EditSkyFog, TabWalksTheElevenFieldsBothWays) {
  Open(SampleState());
  for (uint32_t step = 1; step <= CEditSkyFog::kFieldCount; ++step) {
    Script("key Tab\nkeyup Tab\n");
    const auto next = CEditSkyFog::EField(step % CEditSkyFog::kFieldCount);
    EXPECT_TRUE(Focused(Field(next))) << step;
    EXPECT_TRUE(AllSelected(Field(next))) << step;
  }
  for (uint32_t step = 1; step <= CEditSkyFog::kFieldCount; ++step) {
    Script("stroke shift+Tab\n");
    const auto previous = CEditSkyFog::EField((CEditSkyFog::kFieldCount - step) % CEditSkyFog::kFieldCount);
    EXPECT_TRUE(Focused(Field(previous))) << step;
  }
}

// "ok" makes the copy the edit state, with the sun fields as a unit direction, and answers 0 so that
// the palette gets the message next; three zero sun fields keep the direction the state had.
TEST_F(EditSkyFog, OkStoresTheCopyWithTheSunFieldsAsAUnitDirection) {
  struct SCase {
    const char *x, *y, *z;
    vector3<double> stored;
  } cases[] = {
      {"10", "10", "0", {0.70710678, 0.70710678, 0}},
      {"0", "50", "0", {0, 1, 0}},
      {"0", "0", "0", {0.6, 0.8, 0}},
      {"-3", "0", "4", {-0.6, 0, 0.8}},
  };
  for (const SCase& c : cases) {
    CSkyParams before = SampleState();
    before.sunDirection = {0.6, 0.8, 0};
    CEditSkyFog::StoreEditState(SampleState());
    Open(before);
    const uint32_t level = owner->GetModalLevel();
    Type(Field(CEditSkyFog::kSunX), c.x);
    Type(Field(CEditSkyFog::kSunY), c.y);
    Type(Field(CEditSkyFog::kSunZ), c.z);
    Type(Field(CEditSkyFog::kFogIntensity), "64");
    EXPECT_EQ(Press("ok"), 0);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(owner->GetModalLevel(), level - 1);
    const CSkyParams stored = CEditSkyFog::GetEditState();
    const std::string what = std::string(c.x) + "," + c.y + "," + c.z;
    EXPECT_NEAR(stored.sunDirection.x, c.stored.x, 1e-4) << what;
    EXPECT_NEAR(stored.sunDirection.y, c.stored.y, 1e-4) << what;
    EXPECT_NEAR(stored.sunDirection.z, c.stored.z, 1e-4) << what;
    EXPECT_EQ(stored.fogIntensity, 64) << what;
    EXPECT_EQ(stored.fogColor.value, 0x00123456u) << "what the dialog does not show stays";
  }
}

TEST_F(EditSkyFog, CancelLeavesTheEditStateAsItWas) {
  CEditSkyFog::StoreEditState(SampleState());
  Open(SampleState());
  const uint32_t level = owner->GetModalLevel();
  Type(Field(CEditSkyFog::kShadows), "90");
  Type(Field(CEditSkyFog::kSunX), "50");
  EXPECT_EQ(Press("cancel"), kHandled);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level - 1);
  EXPECT_EQ(Values(CEditSkyFog::GetEditState()), Values(SampleState()));
}

// A reply of the quick 3D texture dialog to a dialog that handed nobody over is not its own.
TEST_F(EditSkyFog, ATextureReplyWithoutAHandOverIsLeftAlone) {
  CUIMessage reply;
  reply.Init(0, kCanvas, "", "edit 3dtexture", CUIMessage::kBroadcast);
  reply.SetPayloadWord(0, 1);
  EXPECT_EQ(dialog->HandleEvent(&reply), 0);
  EXPECT_FALSE(dialog->IsShown());
}

}  // namespace
