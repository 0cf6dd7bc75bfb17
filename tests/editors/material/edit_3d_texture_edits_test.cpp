// The quick 3D texture dialog's edits of its texture (turbulence, complexity, randomize, the swatches'
// colours) and its banded preview.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <array>
#include <functional>
#include <limits>

#include "framework/core/file_spec.h"
#include "framework/image/bitmap_file.h"
#include "platform/alloc.h"
#include "tests/editors/material/edit_3d_texture_fixture.h"

namespace {

using namespace need;

constexpr std::pair<uint32_t, uint32_t> kRestarted{4, 0};
constexpr std::pair<uint32_t, uint32_t> kComplete{0, 0};

int32_t Code(int32_t mode, int32_t octaves, int32_t noise, int32_t dimension) {
  return (mode * 10 + octaves) * 256 + noise * 4 + dimension;
}

class QuickEdits : public Edit3dTextureTest {
 protected:
  std::pair<uint32_t, uint32_t> Progress() {
    CImElement* preview = quick->GetPreview();
    return {preview->GetUserWord(CEdit3dTexture::kStepWord), preview->GetUserWord(CEdit3dTexture::kRowWord)};
  }
  void Beat() { Edit3dTextureTest::Beat(&CEdit3dTexture::PreviewHeartbeat, quick.get()); }
  void InterruptedBeat() { Edit3dTextureTest::InterruptedBeat([this] { Beat(); }); }
  // The swatches shown, group by group, as "111 000 ...".
  std::string ShownSwatches() {
    std::string shown;
    for (uint32_t g = 0; g < kQuickSwatchGroups; ++g) {
      if (g) shown += ' ';
      for (uint32_t i = 0; i < kQuickSwatchesPerGroup; ++i) shown += quick->GetSwatch(g, i)->IsShown() ? '1' : '0';
    }
    return shown;
  }
  void EditQuick(const std::function<void(STextureData&)>& change) {
    C3dTexture* texture = quick->GetTexture();
    ASSERT_NE(texture, nullptr);
    {
      CHolder held(texture, true, false);
      change(texture->GetTextureData());
      texture->PrepareEvaluation(true);
    }
    quick->SetTexture(texture);
  }
};

// ---- the edits on the record

TEST(QuickTextureSteps, TurbulenceUpGivesTheGlobalPhaseNoiseAndStepsTheUsedComponents) {
  STextureData data{};
  data.count = 2;
  data.globalPhase.code = 23 * 256 + 1;
  data.globalPhase.angleXY = 45;
  for (auto& component : data.component) component.phase.amount = 5;
  StepTurbulence(data, true);
  EXPECT_EQ(data.globalPhase.code, 5914);
  EXPECT_EQ(data.globalPhase.angleXY, 0);
  EXPECT_EQ(data.globalPhase.frequency[0], 60);
  EXPECT_EQ(data.globalPhase.frequency[1], 60);
  EXPECT_EQ(data.globalPhase.frequency[2], 60);
  EXPECT_EQ(data.globalPhase.amount, 20);
  EXPECT_EQ(data.component[0].phase.amount, 25);
  EXPECT_EQ(data.component[1].phase.amount, 25);
  EXPECT_EQ(data.component[2].phase.amount, 5) << "beyond the count";
  // A phase with noise keeps its code and only gains amount; there is no upper limit.
  data.globalPhase.angleXY = 30;
  for (int i = 0; i < 200; ++i) StepTurbulence(data, true);
  EXPECT_EQ(data.globalPhase.code, 5914);
  EXPECT_EQ(data.globalPhase.angleXY, 30);
  EXPECT_EQ(data.globalPhase.amount, 4020);
}

TEST(QuickTextureSteps, TurbulenceDownStopsAtZeroAndTheGlobalPhaseLosesItsNoise) {
  STextureData data{};
  data.count = 3;
  data.globalPhase.code = Code(2, 3, 9, 2);
  data.globalPhase.amount = 50;
  data.component[0].phase.amount = 7;
  data.component[1].phase.amount = 41;
  data.component[2].phase.amount = 100;
  for (int i = 0; i < 10; ++i) StepTurbulence(data, false);
  for (const auto& component : data.component) EXPECT_EQ(component.phase.amount, 0);
  EXPECT_EQ(data.globalPhase.amount, 0);
  EXPECT_EQ(data.globalPhase.code, Code(2, 3, 0, 2)) << "dimension and blend number only";
}

TEST(QuickTextureSteps, ComplexityStepsOctavesAndFrequenciesWithinTheirRange) {
  struct SCase {
    const char* what;
    int32_t octaves;
    bool up;
    int32_t code;
    std::array<int32_t, 3> frequency;
  };
  const SCase cases[] = {
      {"up from 3", 3, true, 3606, {40, 60, 80}},
      {"down from 3", 3, false, Code(1, 2, 5, 2), {10, 15, 20}},
      {"up at 8", 8, true, Code(1, 8, 5, 2), {20, 30, 40}},
      {"down at 0", 0, false, Code(1, 0, 5, 2), {20, 30, 40}},
  };
  for (const SCase& c : cases) {
    STextureData data{};
    data.count = 1;
    data.component[0].noiseCode = Code(1, c.octaves, 5, 2);
    data.component[0].frequency[0] = 20;
    data.component[0].frequency[1] = 30;
    data.component[0].frequency[2] = 40;
    data.component[0].phase.code = Code(1, c.octaves, 5, 2);
    std::copy(data.component[0].frequency, data.component[0].frequency + 3, data.component[0].phase.frequency);
    // A record without noise type, the global phase and component B beyond the count, stays.
    data.globalPhase.code = Code(1, 3, 0, 2);
    data.globalPhase.frequency[0] = 20;
    data.component[1].noiseCode = Code(1, 3, 5, 2);
    StepComplexity(data, c.up);
    EXPECT_EQ(data.component[0].noiseCode, c.code) << c.what;
    EXPECT_EQ(data.component[0].phase.code, c.code) << c.what;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(data.component[0].frequency[i], c.frequency[i]) << c.what;
      EXPECT_EQ(data.component[0].phase.frequency[i], c.frequency[i]) << c.what;
    }
    EXPECT_EQ(data.globalPhase.code, Code(1, 3, 0, 2)) << c.what;
    EXPECT_EQ(data.globalPhase.frequency[0], 20) << c.what;
    EXPECT_EQ(data.component[1].noiseCode, Code(1, 3, 5, 2)) << c.what;
  }
}

// Doubling a large stored frequency saturates instead of overflowing.
TEST(QuickTextureSteps, ComplexityUpSaturatesLargeFrequencies) {
  STextureData data{};
  data.count = 1;
  data.component[0].noiseCode = Code(0, 1, 6, 2);
  data.component[0].frequency[0] = std::numeric_limits<int32_t>::max() - 5;
  data.component[0].frequency[1] = std::numeric_limits<int32_t>::min() + 5;
  data.component[0].frequency[2] = 7;
  StepComplexity(data, true);
  EXPECT_EQ(data.component[0].frequency[0], std::numeric_limits<int32_t>::max());
  EXPECT_EQ(data.component[0].frequency[1], std::numeric_limits<int32_t>::min());
  EXPECT_EQ(data.component[0].frequency[2], 14);
}

// ---- the dialog's edits

TEST_F(QuickEdits, EachEditChangesTheCopyMarksItModifiedAndRestartsThePreview) {
  OpenQuick(kMarble);
  const std::vector<uint8_t> library = LibraryRecord(kMarble);
  for (const char* edit : {"turbulence +", "turbulence -", "complexity +", "complexity -", "randomize"}) {
    FinishPreview();
    ASSERT_EQ(Progress(), kComplete);
    const std::vector<uint8_t> before = Record(quick->GetTexture());
    EXPECT_EQ(SendQuick(0, edit), 26) << edit;
    EXPECT_TRUE(quick->IsModified()) << edit;
    EXPECT_EQ(Progress(), kRestarted) << edit;
    EXPECT_NE(Record(quick->GetTexture()), before) << edit;
  }
  EXPECT_EQ(LibraryRecord(kMarble), library);
}

TEST_F(QuickEdits, RandomizeBlanksTheNameAndShowsTheNewColours) {
  OpenQuick(kMarble);
  ASSERT_EQ(ShownName(), "Marble");
  EXPECT_EQ(SendQuick(0, "randomize"), 26);
  EXPECT_EQ(ShownName(), " ");
  const STextureData data = QuickData();
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(quick->GetSwatch(CEdit3dTexture::kGroupA, i)->GetUserWord(0), data.component[0].colour.colour[i]);
    EXPECT_EQ(quick->GetSwatch(CEdit3dTexture::kGroupGlobal, i)->GetUserWord(0), data.colour.colour[i]);
  }
}

TEST_F(QuickEdits, ATextureThatCannotBeLockedIsLeftAndThePressIsStillTaken) {
  OpenQuick(kMarble);
  C3dTexture* texture = quick->GetTexture();
  ASSERT_TRUE(texture->PageOut());
  platform::FailNextAllocations(1000);
  EXPECT_EQ(quick->Randomize(), 9);
  EXPECT_EQ(quick->Turbulence(true), 1);
  EXPECT_EQ(quick->Complexity(false), 1);
  EXPECT_EQ(quick->ShowTextureColours(), 1);
  EXPECT_EQ(quick->ApplySwatchColours(), 1);
  for (const char* edit : {"turbulence +", "turbulence -", "complexity +", "complexity -", "randomize"})
    EXPECT_EQ(SendQuick(0, edit), 26) << edit;
  platform::FailNextAllocations(0);
  EXPECT_FALSE(quick->IsModified());
}

// ---- the swatches

TEST_F(QuickEdits, TheSwatchesShowTheGroupsTheTextureColours) {
  OpenQuick(kMarble);
  struct SCase {
    const char* what;
    std::function<void(STextureData&)> change;
    const char* shown;
  };
  const SCase cases[] = {
      {"one coloured component", [](STextureData& d) { d.count = 1; d.colour.mapKind = 0; }, "111 000 000 000"},
      {"one value component", [](STextureData& d) { d.component[0].kinds = kKindValue; d.colour.mapKind = 6; },
       "000 000 000 111"},
      {"one coloured component without a map",
       [](STextureData& d) { d.component[0].kinds = kKindColour, d.component[0].colour.mapKind = 0, d.colour.mapKind = 0; },
       "000 000 000 000"},
      {"two coloured", [](STextureData& d) {
         d.count = 2;
         for (auto& c : d.component) c.kinds = kKindColour, c.colour.mapKind = 6;
       }, "111 111 000 000"},
      {"three coloured", [](STextureData& d) {
         d.count = 3;
         for (auto& c : d.component) c.kinds = kKindColour | kKindValue, c.colour.mapKind = 4;
       }, "111 111 111 000"},
      {"three coloured and the global", [](STextureData& d) { d.count = 3; d.colour.mapKind = 1; }, "111 111 111 111"},
      {"C uncoloured", [](STextureData& d) { d.count = 3; d.component[2].kinds = kKindValue; d.component[0].colour.mapKind = 0; },
       "000 111 000 111"},
  };
  for (const SCase& c : cases) {
    EditQuick(c.change);
    EXPECT_EQ(ShownSwatches(), c.shown) << c.what;
  }
}

TEST_F(QuickEdits, AChosenSwatchColourGoesIntoTheTextureAPassingOneOnlyShows) {
  OpenQuick(11);  // Moss: three coloured components
  FinishPreview();
  ASSERT_EQ(Progress(), kComplete);
  const std::vector<uint8_t> before = Record(quick->GetTexture());
  EXPECT_EQ(SendQuick(2, "component b1", kDialog, 0x123456), 26);
  EXPECT_EQ(quick->GetSwatch(CEdit3dTexture::kGroupB, 1)->GetUserWord(0), 0x123456u);
  EXPECT_EQ(Record(quick->GetTexture()), before);
  EXPECT_FALSE(quick->IsModified());
  EXPECT_EQ(Progress(), kComplete);
  EXPECT_EQ(SendQuick(3, "component b1", kDialog, 0x654321), 0);
  EXPECT_EQ(QuickData().component[1].colour.colour[1], 0x654321u);
  EXPECT_TRUE(quick->IsModified());
  EXPECT_EQ(Progress(), kRestarted);
  // Not a swatch: the dialog does not take it.
  EXPECT_EQ(SendQuick(3, "component z1", kDialog, 1), 0);
}

// ---- the preview

TEST_F(QuickEdits, ThePreviewFillsCoarseThenFineAndEqualsTheFineSampling) {
  OpenQuick(kMarble);
  ASSERT_EQ(Progress(), kRestarted);
  InterruptedBeat();
  EXPECT_EQ(Progress(), (std::pair<uint32_t, uint32_t>{4, 4}));
  InterruptedBeat();
  EXPECT_EQ(Progress(), (std::pair<uint32_t, uint32_t>{4, 8}));
  CImage* preview = quick->GetPreviewImage();
  // A coarse band repeats each fourth column's colour over a 4 x 4 block.
  const std::vector<uint32_t> coarse = Line(preview, 5);
  for (size_t x = 0; x < coarse.size(); ++x) ASSERT_EQ(coarse[x], coarse[x & ~size_t(3)]) << x;
  EXPECT_EQ(Line(preview, 4), Line(preview, 7));
  // Without input the coarse pass completes, then the fine pass, within one beat.
  Beat();
  EXPECT_EQ(Progress(), kComplete);
  CBaseTexture* copy = nullptr;
  ASSERT_EQ(quick->GetTexture()->Duplicate(&copy), 0);
  std::unique_ptr<CBaseTexture> owned(copy);
  int32_t err = 0;
  std::unique_ptr<CImage> expected(NewDataImage(preview->GetWidth(), preview->GetHeight(), &err));
  {
    auto* texture = static_cast<C3dTexture*>(copy);
    CHolder held(texture, true, false);
    texture->PrepareEvaluation(true);
    for (uint32_t y = 0; y < preview->GetHeight(); ++y) ASSERT_EQ(texture->SampleForTextureEditor(*expected, y, 1), 0);
  }
  for (uint32_t y = 0; y < preview->GetHeight(); ++y) ASSERT_EQ(Line(preview, y), Line(expected.get(), y)) << y;
}

TEST_F(QuickEdits, NothingIsDrawnUnderAnotherDialog) {
  OpenQuick(kMarble);
  ASSERT_EQ(saveNew->BuildOnce(), 0);
  saveNew->Refresh(false);
  Beat();
  EXPECT_EQ(Progress(), kRestarted);
  saveNew->Close();
  Beat();
  EXPECT_EQ(Progress(), kComplete);
}

// Each library texture's finished preview, written by the program's BMP writer, is the preview's
// size and, for the textures for objects, no flat picture (the sky's cloud layers give only a value,
// which shows as black).
TEST_F(QuickEdits, EveryLibraryTexturesPreviewIsAPicture) {
  ASSERT_EQ(quick->BuildOnce(), 0);
  const std::string folder = std::string(P_tmpdir) + "/quick-previews-" + std::to_string(getpid());
  ASSERT_EQ(system(("mkdir -p '" + folder + "'").c_str()), 0);
  quick->Refresh(false);
  for (uint32_t id = 1; id <= kLibraryCount; ++id) {
    ASSERT_EQ(quick->LoadTextureLibrary(library, int32_t(id)), 0) << id;
    FinishPreview();
    ASSERT_EQ(Progress(), kComplete) << id;
    const std::string path = folder + "/" + std::to_string(id) + ".bmp";
    CFileSpec spec;
    spec.Set(path.c_str());
    ASSERT_EQ(SaveImageAsBmp(spec, quick->GetPreviewImage(), true), 0) << path;
    FILE* pipe = popen(("identify -format '%w %h %[fx:standard_deviation]' '" + path + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    uint32_t width = 0, height = 0;
    double deviation = 0;
    EXPECT_EQ(fscanf(pipe, "%u %u %lf", &width, &height, &deviation), 3) << path;
    pclose(pipe);
    EXPECT_EQ(width, quick->GetPreviewImage()->GetWidth()) << QuickName();
    EXPECT_EQ(height, quick->GetPreviewImage()->GetHeight()) << QuickName();
    if (id > 2) {
      EXPECT_GT(deviation, 0.02) << QuickName();
    }
  }
  quick->Close();
  EXPECT_EQ(system(("rm -rf '" + folder + "'").c_str()), 0);
}

}  // namespace
