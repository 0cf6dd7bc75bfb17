// The material composer's controls: what the store writes into the working material from each kind
// of control and what the refresh shows of it, the drags and messages that change them, how the
// sliders draw, the shading menu, and the ring of number fields that Tab walks.
#include <gtest/gtest.h>

#include "framework/ui/menu.h"
#include "platform/menu.h"
#include "tests/app/material_composer_fixture.h"

namespace {

class MaterialComposerControls : public MaterialComposerTest {
 protected:
  void SetUp() override {
    MaterialComposerTest::SetUp();
    if (HasFatalFailure()) return;
    BuildScene();
    Open();
  }
  CElement* Cell(int row, int column) { return composer->GetMaterialGrid() ? GridChild(row * 5 + column) : nullptr; }
  CElement* GridChild(int index) {
    CElement* cell = nullptr;
    CElSystem::GetElementAt(composer->GetMaterialGrid()->GetChildren(), uint32_t(index), &cell);
    return cell;
  }
  std::vector<bool> RowCells(int row) {
    std::vector<bool> on;
    for (int column = 0; column < 5; ++column) on.push_back(CMaterialComposer::IsSwitchedOn(Cell(row, column)));
    return on;
  }
  CTxElement* Spec(int index) { return composer->GetSpecText(index); }
};

// A Control-drag across a grid row mixes components: onto column 3 a, b and c (6), onto column 2 a and
// b (5); column 4 takes d alone.
TEST_F(MaterialComposerControls, AControlDragOnTheGridMixesComponentsAsTheSourceCodes) {
  constexpr int kTransparencyRow = 3;
  struct SCase {
    int column;
    std::vector<bool> cells;
    int32_t code;
  } cases[] = {
      {3, {false, true, true, true, false}, C3dMaterial::kMixByThird},
      {2, {false, true, true, false, false}, C3dMaterial::kMixByHeight},
      {4, {false, false, false, false, true}, 4},
  };
  for (const SCase& c : cases) {
    CElement* from = Cell(kTransparencyRow, 0);
    CElement* to = Cell(kTransparencyRow, c.column);
    const SPointHV target = Middle(to);
    Press(from, {9, 8}, "move " + std::to_string(target.h) + " " + std::to_string(target.v), {kControl});
    EXPECT_EQ(RowCells(kTransparencyRow), c.cells) << c.column;
    EXPECT_EQ(Working().sources[C3dMaterial::kTransparencySource], c.code) << c.column;
    EXPECT_NE(Undone(), nullptr) << c.column;
    EXPECT_EQ(composer->ComponentTypeState(c.column - 1), uint32_t(CMaterialComposer::kProcedural))
        << "the component a row takes last is given a texture";
  }
}

// The value sliders run from 255 at the left to 0 at the right; the bump slider goes on through a
// zone of 0 down to −255.
TEST_F(MaterialComposerControls, ValueSlidersStoreTheirValueAtThePointer) {
  CImElement* diffusion = composer->GetValueSlider(0);
  CImElement* bump = composer->GetValueSlider(5);
  ASSERT_EQ(RectWidth(diffusion->GetRect()), 100);
  Press(diffusion, {50, 7});
  EXPECT_DOUBLE_EQ(Working().sample.diffusion, 127 / 255.0);
  EXPECT_EQ(Word(composer->GetValueText(0)), 127);
  EXPECT_NE(Undone(), nullptr) << "a stroke across the sliders is one step";
  struct SCase {
    int32_t x;
    double bump;
  } cases[] = {{115, 0.0}, {230, -1.0}, {400, -1.0}, {0, 1.0}};
  for (const SCase& c : cases) {
    const SPointHV to = OnScreen(bump, {c.x, 7});
    Press(bump, {10, 7}, "move " + std::to_string(to.h) + " " + std::to_string(to.v));
    EXPECT_DOUBLE_EQ(Working().sample.bump, c.bump) << c.x;
  }
  EXPECT_EQ(CMaterialComposer::ValueSliderValue(50, 0, false), 0) << "no width";
}

// One table of the stores: each control's value and what it writes into the material.
TEST_F(MaterialComposerControls, EachControlStoresItsValueIntoTheMaterial) {
  struct SCase {
    const char* what;
    std::function<void()> set;
    std::function<void(const SMaterialRecord&)> check;
  } cases[] = {
      {"refraction index 150", [&] { Send(2, "refraction index", "spec and refraction", 150); },
       [](const SMaterialRecord& r) { EXPECT_DOUBLE_EQ(r.sample.refractionIndex, 1.5); }},
      {"a frequency slider at 99",
       [&] {
         composer->GetFrequencySlider(2)->SetUserWord(0, 99);
         composer->StoreControls();
       },
       [](const SMaterialRecord& r) { EXPECT_DOUBLE_EQ(r.component[2].scale, 1.0); }},
      {"metallicity 255",
       [&] {
         composer->GetMetallicityText()->SetUserWord(0, 255);
         Send(2, "metallicity text", kComposer, 255);
       },
       [](const SMaterialRecord& r) {
         EXPECT_DOUBLE_EQ(r.sample.metallicity, 1.0);
         EXPECT_DOUBLE_EQ(r.sample.metallicityExponent, 0.8);
       }},
      {"a white specular colour", [&] { Send(3, "spec coefficient color", "spec and refraction", 0, 0xFFFFFF); },
       [](const SMaterialRecord& r) { EXPECT_EQ(r.sample.specCoefficients, (vector3<float>{0, 0, 0})); }},
      {"the diffuse marker 0x00FF8000", [&] { Send(3, "diffuse color flat marker", kComposer, 0, 0xFF8000); },
       [](const SMaterialRecord& r) {
         EXPECT_EQ(r.sample.diffuseColour, (vector3<float>{1.0f, 128 * kByteScale, 0.0f}));
       }},
  };
  for (const SCase& c : cases) {
    c.set();
    c.check(Working());
    if (HasFailure()) ADD_FAILURE() << c.what;
  }
}

// The shading value is the material's flag word, whose textured bit the material keeps.
TEST_F(MaterialComposerControls, TheShadingValueKeepsTheMaterialsTexturedBit) {
  for (bool textured : {true, false}) {
    EditWorking([&](SMaterialRecord& r) {
      r.sample.flags = textured ? C3dMaterial::kTexturedFlag : 0;
    });
    composer->GetShadingMode()->SetUserWord(0, textured ? 0x12 : 0x52);
    ASSERT_EQ(composer->StoreControls(), 0);
    EXPECT_EQ(Working().sample.flags, textured ? 0x52u : 0x12u) << textured;
  }
}

TEST_F(MaterialComposerControls, TheRefreshShowsTheMaterialAndReadsBackEveryStoredValue) {
  EditWorking([](SMaterialRecord& r) {
    r.component[1].scale = 0.51;
    r.sample.diffusion = 0.5;
    r.sample.refractionIndex = 1.0;
    r.sample.specCoefficients = {50, 50, 50};
    r.sources[C3dMaterial::kDiffusionSource] = 2;
    r.sources[C3dMaterial::kAmbienceSource] = C3dMaterial::kMixByHeight;
    r.sources[C3dMaterial::kReflectionSource] = C3dMaterial::kMixByThird;
  });
  ASSERT_EQ(composer->RefreshControls(true), 0);
  EXPECT_EQ(Word(composer->GetFrequencySlider(1)), 50);
  EXPECT_EQ(Word(composer->GetValueSlider(0)), 127);
  EXPECT_EQ(Word(composer->GetRefractionIndex()), 100);
  EXPECT_EQ(composer->GetSpecColor()->GetUserWord(0), 0xCDCDCDu);
  EXPECT_EQ(Word(Spec(0)), 205);
  EXPECT_STREQ(composer->GetValueText(0)->GetText(), "127");
  EXPECT_FALSE(CMaterialComposer::IsSwitchedOn(composer->GetValueSlider(0))) << "a texture drives diffusion";
  EXPECT_FALSE(CMaterialComposer::IsSwitchedOn(composer->GetValueText(0)));
  EXPECT_FALSE(CMaterialComposer::IsSwitchedOn(composer->GetValueSlider(1))) << "a mix drives ambience";
  EXPECT_TRUE(CMaterialComposer::IsSwitchedOn(composer->GetValueSlider(2)));
  EXPECT_EQ(RowCells(0), (std::vector<bool>{false, false, true, false, false}));
  EXPECT_EQ(RowCells(1), (std::vector<bool>{false, true, true, false, false}));
  EXPECT_EQ(RowCells(4), (std::vector<bool>{false, true, true, true, false}));

  // Every level the store writes comes back as itself: a diffusion of 33 typed into its field.
  EditWorking([](SMaterialRecord& r) { r.sources[C3dMaterial::kDiffusionSource] = 0; });
  Send(2, "diffusion value text", "channel values", 33);
  EXPECT_EQ(Word(composer->GetValueSlider(0)), 33);
  EXPECT_STREQ(composer->GetValueText(0)->GetText(), "33");
  const SMaterialRecord stored = Working();
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(composer->RefreshControls(false), 0);
    ASSERT_EQ(composer->StoreControls(), 0);
  }
  EXPECT_TRUE(SameRecord(Working(), stored));
  for (int32_t level : {1, 33, 100, 128, 254}) {
    composer->GetValueSlider(4)->SetUserWord(0, uint32_t(level));
    composer->GetFrequencySlider(0)->SetUserWord(0, uint32_t(level % 100));
    composer->GetRefractionIndex()->SetUserWord(0, uint32_t(level));
    composer->GetFlatMarker(7)->SetUserWord(0, uint32_t(level) * 0x010101u);
    composer->GetValueSlider(5)->SetUserWord(0, uint32_t(-level));
    ASSERT_EQ(composer->StoreControls(), 0);
    ASSERT_EQ(composer->RefreshControls(false), 0);
    EXPECT_EQ(Word(composer->GetValueSlider(4)), level);
    EXPECT_EQ(Word(composer->GetFrequencySlider(0)), level % 100);
    EXPECT_EQ(Word(composer->GetRefractionIndex()), level);
    EXPECT_EQ(composer->GetFlatMarker(7)->GetUserWord(0), uint32_t(level) * 0x010101u);
    EXPECT_EQ(Word(composer->GetValueSlider(5)), -level);
  }
}

// ---- the value controls

// A ball drag past an end shows and stores 0 and keeps its overshoot until the release.
TEST_F(MaterialComposerControls, TheFrequencyBallKeepsItsOvershootUntilTheRelease) {
  for (int k = 0; k < 4; ++k) composer->GetFrequencySlider(k)->SetUserWord(0, 10);
  composer->StoreControls();
  CImElement* ball = composer->GetFrequencyBall();
  Press(ball, {13, 13}, "rmove -30 0\nrmove 25 0");
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(Word(composer->GetFrequencySlider(k)), 5) << k;
    EXPECT_DOUBLE_EQ(Working().component[k].scale, 5 / 99.0) << k;
    EXPECT_FALSE(composer->GetFrequencyText(k)->IsShown());
  }
  EXPECT_NE(Undone(), nullptr);
  Press(ball, {13, 13}, "rmove -30 0");
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(Word(composer->GetFrequencySlider(k)), 0) << k;
    EXPECT_DOUBLE_EQ(Working().component[k].scale, 0.0) << k;
    EXPECT_STREQ(composer->GetFrequencyText(k)->GetText(), "0");
  }
  EXPECT_EQ(ball->GetImageList()->Selected(), ball->GetImageList()->Count() / 2);
}

// While the running sum lies past the end, the drag shows 0 and stores 0.
TEST_F(MaterialComposerControls, ABallDragPastTheEndShowsAndStoresZero) {
  for (int k = 0; k < 4; ++k) composer->GetFrequencySlider(k)->SetUserWord(0, 10);
  Send(1, "frequency ball", kComposer);
  Send(2, "frequency ball", kComposer, -30);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(Word(composer->GetFrequencySlider(k)), -20) << "the running sum";
    EXPECT_STREQ(composer->GetFrequencyText(k)->GetText(), "0");
    EXPECT_TRUE(composer->GetFrequencyText(k)->IsShown());
    EXPECT_DOUBLE_EQ(Working().component[k].scale, 0.0);
  }
  Send(3, "frequency ball", kComposer);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(Word(composer->GetFrequencySlider(k)), 0);
}

TEST_F(MaterialComposerControls, ABallDragOfAFewPixelsRecordsNothingAndCentresTheBall) {
  CImElement* ball = composer->GetFrequencyBall();
  ball->SelectEntry(1, false, false, false);
  Press(ball, {13, 13}, "rmove 4 0\nrmove 3 0\nrmove -6 0");
  EXPECT_EQ(Undone(), nullptr);
  EXPECT_EQ(ball->GetImageList()->Selected(), 4u);
}

// A value slider's bar: green for a negative value, red for a positive one, grown from the foot;
// 0 leaves the picture as it was.
TEST_F(MaterialComposerControls, AValueSliderDrawsItsBarFromTheFoot) {
  CImElement* slider = composer->GetValueSlider(5);
  CImage* drawing = LookupHandleAs<CImage>(slider->GetUserWord(2), CMaterialComposer::kImageHandleTag);
  ASSERT_NE(drawing, nullptr);
  const uint32_t h = drawing->GetHeight(), w = drawing->GetWidth();
  const SRect& rect = slider->GetRect();
  int32_t error = 0;
  std::unique_ptr<CImage> port(NewDataImage(uint32_t(RectWidth(rect)), uint32_t(RectHeight(rect)), &error));
  ASSERT_NE(port, nullptr);
  const auto draw = [&](int32_t value) {
    drawing->Fill(0x12345678);
    slider->SetUserWord(0, uint32_t(value));
    EXPECT_EQ(CMaterialComposer::DrawValueSlider(slider, slider->GetImageLayer(), port.get()), 0);
  };
  const auto colourAt = [&](uint32_t y) { return Pixel(drawing, int32_t(w / 2), int32_t(y)) & 0xFFFFFF; };
  draw(-128);
  const uint32_t top = uint32_t(std::trunc(h - 128.0 / 255 * h));
  for (uint32_t y = 0; y < h; ++y) EXPECT_EQ(colourAt(y), y >= top ? 0x00FF00u : 0x345678u) << y;
  draw(255);
  for (uint32_t y = 0; y < h; ++y) EXPECT_EQ(colourAt(y), 0xFF0000u) << y;
  draw(0);
  for (uint32_t y = 0; y < h; ++y) EXPECT_EQ(colourAt(y), 0x345678u) << y;
}

TEST_F(MaterialComposerControls, TypingTheValueAFieldShowsRecordsNothing) {
  const int32_t shown = Word(composer->GetValueText(1));
  Send(2, "ambience value text", "channel values", shown);
  EXPECT_EQ(Undone(), nullptr);
  Send(2, "frequency b text", "frequency values", Word(composer->GetFrequencySlider(1)));
  EXPECT_EQ(Undone(), nullptr);
  Send(2, "ambience value text", "channel values", shown + 1);
  EXPECT_NE(Undone(), nullptr);
  EXPECT_DOUBLE_EQ(Working().sample.ambience, (shown + 1) / 255.0);
}

// The eyedropper's moves change the controls; its release changes the material as one step. A
// dragged red number changes the red byte alone, with no step.
TEST_F(MaterialComposerControls, TheSpecularEyedropperChangesTheMaterialOnlyOnRelease) {
  const SMaterialRecord before = Working();
  EXPECT_EQ(Send(2, "spec coefficient color", "spec and refraction", 0, 0x102030), kHandled);
  EXPECT_EQ(composer->GetSpecColor()->GetUserWord(0), 0x102030u);
  EXPECT_EQ(Word(Spec(0)), 0x10);
  EXPECT_EQ(Word(Spec(2)), 0x30);
  EXPECT_TRUE(SameRecord(Working(), before));
  EXPECT_EQ(Undone(), nullptr);
  EXPECT_EQ(Send(3, "spec coefficient color", "spec and refraction", 0, 0x102030), kHandled);
  EXPECT_EQ(Working().sample.specCoefficients, (vector3<float>{255 - 0x10, 255 - 0x20, 255 - 0x30}));
  ASSERT_NE(Undone(), nullptr);
  composer->GetUndo().Clear();
  EXPECT_EQ(Send(2, "spec coefficient red", "spec and refraction", 0x80), kHandled);
  EXPECT_EQ(composer->GetSpecColor()->GetUserWord(0), 0x802030u);
  EXPECT_EQ(Working().sample.specCoefficients, (vector3<float>{255 - 0x80, 255 - 0x20, 255 - 0x30}));
  EXPECT_EQ(Undone(), nullptr);
}

TEST_F(MaterialComposerControls, TheMetallicityFieldShowsOnlyWithAltAndControl) {
  CElement* button = nullptr;
  ASSERT_EQ(CElSystem::FindElement(composer->GetRoot()->GetChildren(), "metallicity button", &button, false), 0);
  CTxElement* text = composer->GetMetallicityText();
  ASSERT_FALSE(text->IsShown());
  struct SCase {
    std::vector<uint32_t> keys;
    bool shown;
  } cases[] = {{{}, false}, {{kAlt}, false}, {{kControl}, false}, {{kAlt, kControl}, true}, {{kAlt, kControl}, false}};
  for (const SCase& c : cases) {
    Click(button, c.keys);
    EXPECT_EQ(text->IsShown(), c.shown) << c.keys.size();
  }
}

// Menu 102: the mode's row, bump fading and casting shadows ticked by the flags; choosing an option
// flips it as one step, choosing the mode in place changes nothing.
TEST_F(MaterialComposerControls, TheShadingMenuTicksTheFlagsAndFlipsAnOption) {
  composer->GetShadingMode()->SetUserWord(0, 0x2);
  composer->DrawShadingMode();
  ASSERT_EQ(composer->StoreControls(), 0);
  CMenu* loaded = nullptr;
  ASSERT_EQ(composer->PrepareShadingMenu(&loaded), 0);
  std::unique_ptr<CMenu> menu(loaded);
  const auto ticked = [&](uint32_t row) {
    return platform::GetMenuState(menu->GetPlatformMenu(), row, platform::kMfByCommand) == uint32_t(platform::kMfChecked);
  };
  EXPECT_EQ(composer->GetShadingMode()->GetTextList()->GetSelected(), 2u);
  EXPECT_TRUE(ticked(3));
  EXPECT_FALSE(ticked(8));
  EXPECT_TRUE(ticked(9)) << "shadows are cast while 0x20 is clear";
  menu.reset();

  const SPointHV at = Middle(composer->GetShadingMode());
  const SMaterialRecord before = Working();
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 3)));
  EXPECT_EQ(composer->ShadingModePopup(at), 0);
  EXPECT_EQ(Undone(), nullptr) << "the present mode";
  EXPECT_EQ(Working().sample.flags, before.sample.flags);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 9)));
  EXPECT_EQ(composer->ShadingModePopup(at), 0);
  EXPECT_NE(Undone(), nullptr);
  EXPECT_EQ(Working().sample.flags & 0x20u, 0x20u);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 6)));
  EXPECT_EQ(composer->ShadingModePopup(at), 0);
  EXPECT_EQ(Working().sample.flags & 0xFu, 8u);
  EXPECT_EQ(composer->GetShadingMode()->GetTextList()->GetSelected(), 5u);
}

// ---- the ring of number fields

TEST_F(MaterialComposerControls, TabWalksTheRingOfActiveNumberFields) {
  const auto pressed = [&](CElement* current, bool shift) {
    if (shift) platform::headless::AddScript("key 16\n");
    Settle();
    if (popup->IsShown()) popup->Close(false);
    const int32_t answer = composer->ActivateNextText(current);
    if (shift) platform::headless::AddScript("keyup 16\n");
    Settle();
    EXPECT_EQ(answer, 0);
    return popup->IsShown() ? popup->GetTarget() : nullptr;
  };
  CElement* diffusion = composer->GetValueText(0);
  CElement* bump = composer->GetValueText(5);
  CElement* first = composer->GetFrequencyText(0);
  CElement* last = composer->GetFrequencyText(3);
  EXPECT_EQ(pressed(nullptr, false), diffusion);
  EXPECT_EQ(pressed(bump, false), nullptr) << "the frequency fields show only while a slider moves";
  for (int k = 0; k < 4; ++k) composer->GetFrequencyText(k)->Show(false);
  EXPECT_EQ(pressed(bump, false), first);
  EXPECT_EQ(pressed(last, false), diffusion);
  EXPECT_EQ(pressed(nullptr, true), last);
  EXPECT_EQ(pressed(diffusion, true), last);
  EXPECT_EQ(pressed(first, true), bump);
  EXPECT_EQ(pressed(composer->GetSpecText(0), false), diffusion) << "a field outside the ring";
  CMaterialComposer::SwitchOn(diffusion, false, false);
  EXPECT_EQ(pressed(nullptr, false), nullptr);
}

}  // namespace
