// The 3D texture as a scene thing: its stored record and byte order, its evaluation for a material
// component, copies, the import of the earlier version's record, and the editor's shaded preview.
#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <memory>

#include "material_fixture.h"
#include "scene/texture/texture_evaluate.h"

namespace {

using Texture3d = MaterialTest;

// Three-dimensional value noise, which differs from point to point.
constexpr int32_t kValueNoise3 = 2 + 4 * 26;
// The radial distance along x, one-dimensional.
constexpr int32_t kRadial1 = 4 * 25;

// A texture of two components whose colours and values vary across space.
void MakeVarying(C3dTexture* texture) {
  CHolder holder(texture, true, false);
  STextureData& data = texture->GetTextureData();
  data.count = 2;
  data.outputFlags = kKindValue | kKindColour | kKindBump;
  data.operation[0] = 4;
  for (int c = 0; c < 2; ++c) {
    STextureComponent& component = data.component[c];
    component.kinds = kKindValue | kKindColour;
    component.noiseCode = kValueNoise3 + 256 * 12;
    component.angleXY = 30 * c;
    component.frequency[0] = 3;
    component.frequency[1] = 5 + c;
    component.frequency[2] = 2;
    component.filter = {1, 2, 0.5f, 0.25f};
    component.colour = {6, 0, {0x102030, 0x808080, 0xF0E0D0}};
  }
  data.colour = {4, 0, {0x112233, 0x445566, 0x778899}};
  texture->PrepareEvaluation(true);
}

STextureSample SampleAt(vector3<double> point, uint8_t symmetric = 0) {
  STextureSample sample;
  sample.colourWanted = sample.valueWanted = sample.gradientWanted = 1;
  sample.symmetric = symmetric;
  sample.point = point;
  return sample;
}

// ---- the record

TEST_F(Texture3d, TheRecordStoresTheRecipeBigEndianAndReadsBackTheSameTexture) {
  C3dTexture* texture = NewTexture(kKindValue, 12);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->GetDataSize(), 1216u);
  MakeVarying(texture);
  SetName(texture, "Marble");
  STextureSample before = SampleAt({0.3, -0.7, 1.1});
  {
    CHolder holder(texture, true, false);
    texture->Evaluate(before, {0, 1, 0}, 1);
  }
  const SSpoolKey key = StoreTexture(texture, "Marble");
  const Bytes stored = Stored(key);
  ASSERT_EQ(stored.size(), 1216u);
  EXPECT_EQ(BigWordAt(stored, 136), 2u);                        // count
  EXPECT_EQ(BigWordAt(stored, 136 + 80 + 8), uint32_t(kValueNoise3 + 256 * 12));
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(stored, 136 + 352 + 68)), 0.5f);  // component 2's filter a
  const Bytes record = Record(texture);
  EXPECT_EQ(BigWordAt(stored, 136 + 896), WordAt(record, 136 + 896));
  EXPECT_EQ(BigDoubleAt(stored, 136 + 924), DoubleAt(record, 136 + 924));
  EXPECT_EQ(BigWordAt(stored, 136 + 1044), WordAt(record, 136 + 1044));
  // The compiled blocks are kept as they are.
  EXPECT_EQ(Slice(stored, 136 + 80 + 96, 176), Slice(record, 136 + 80 + 96, 176));

  C3dBaseSys fresh(ObjectsEnv());
  C3dTexture* copy = LoadAndRead<C3dTexture>(key, &fresh);
  EXPECT_EQ(NameOf(copy), "Marble");
  EXPECT_EQ(Slice(Record(copy), 136, 1080), Slice(record, 136, 1080));
  STextureSample after = SampleAt({0.3, -0.7, 1.1});
  {
    CHolder holder(copy, false, false);
    copy->Evaluate(after, {0, 1, 0}, 1);
  }
  EXPECT_EQ(after.colour, before.colour);
  EXPECT_EQ(after.value, before.value);
  EXPECT_EQ(after.gradient, before.gradient);
  delete copy;
  delete texture;
}

TEST_F(Texture3d, AShortStoredRecordIsRefused) {
  C3dTexture* texture = NewTexture(kKindValue, 3);
  const SSpoolKey key = StoreTexture(texture);
  Overwrite(key, Bytes(1215));
  C3dBaseSys fresh(ObjectsEnv());
  C3dTexture* copy = Load<C3dTexture>(key, &fresh);
  EXPECT_FALSE(copy->Lock());
  EXPECT_EQ(copy->GetError(), kErrInvalidFormat);
  delete copy;
  delete texture;
}

// ---- evaluation

TEST_F(Texture3d, EvaluationGivesTheResultColourBytesAndValue) {
  EXPECT_EQ(std::bit_cast<uint32_t>(kByteScale), 0x3B808081u);
  C3dTexture* texture = NewTexture(kKindValue | kKindColour);
  CHolder holder(texture, true, false);
  STextureData& data = texture->GetTextureData();
  data.component[0].kinds = kKindColour;
  data.component[0].colour = {0, 0, {0x3366CC, 0, 0}};
  texture->PrepareEvaluation(true);
  STextureSample sample = SampleAt({1, 2, 3});
  data.result = {};
  texture->Evaluate(sample, {0, 1, 0}, 1);
  EXPECT_EQ(sample.colour, (vector3<float>{0x33 * kByteScale, 0x66 * kByteScale, 0xCC * kByteScale}));
  EXPECT_DOUBLE_EQ(sample.value, (0x33 + 0x66 + 0xCC) / 765.0);
  // The result stays with the sample: render threads evaluate one texture at once.
  EXPECT_EQ(data.result.colour, 0u);
  holder.Release();
  delete texture;
}

TEST_F(Texture3d, TheGradientFollowsTheSymmetryAndTheTangents) {
  // A value-only texture asked for bump gives the gradient (v, v, v), here (0.5, 0.5, 0.5).
  C3dTexture* texture = NewTexture(kKindValue | kKindBump);
  CHolder holder(texture, true, false);
  struct SCase {
    const char* name;
    vector3<double> point;
    uint8_t symmetric;
    int32_t mode;
    vector3<double> evaluatedAt;
    vector3<double> gradient;
  };
  const SCase cases[] = {
      {"plain, mode 1", {-1, 2, -3}, 0, 1, {-1, 2, -3}, {0.5, 0.5, 0.5}},
      {"symmetric, mode 0", {-1, 2, -3}, 1, 0, {1, 2, 3}, {-0.5, 0.5, -0.5}},
      {"symmetric along y", {1, -2, 3}, 1, 1, {1, 2, 3}, {0.5, -0.5, 0.5}},
      {"mode 2 along the tangents", {1, 2, 3}, 0, 2, {1, 2, 3}, {0.5, 0.5, 0}},
  };
  for (const SCase& c : cases) {
    STextureSample sample = SampleAt(c.point, c.symmetric);
    sample.tangentU = {1, 0, 0};
    sample.tangentV = {0, 1, 0};
    texture->Evaluate(sample, {0, 1, 0}, c.mode);
    EXPECT_EQ(sample.point, c.evaluatedAt) << c.name;
    EXPECT_EQ(sample.gradient, c.gradient) << c.name;
    EXPECT_EQ(sample.value, 0.5) << c.name;
  }
  // The surface context comes from the normal and the point.
  STextureSample sample = SampleAt({0, 0.75, 0});
  texture->Evaluate(sample, {0.25, -0.5, 0.8}, 1);
  EXPECT_EQ(GetTextureEngine().slope, 0.5);
  EXPECT_EQ(GetTextureEngine().altitude, 0.75);
  EXPECT_EQ(GetTextureEngine().facing, 0.5);
  texture->Evaluate(sample, {-0.25, 1, 0}, 1);
  EXPECT_EQ(GetTextureEngine().facing, 0);
  holder.Release();
  delete texture;
}

// ---- copies

TEST_F(Texture3d, ADuplicateIsAnUnattachedCopyInTheObjectEnvironment) {
  C3dTexture* texture = MakeObject<C3dTexture>(table);
  MakeVarying(texture);
  SetName(texture, "Granite");
  ASSERT_NE(texture->GetId(), 0u);
  CBaseTexture* made = nullptr;
  ASSERT_EQ(texture->Duplicate(&made), 0);
  auto* copy = static_cast<C3dTexture*>(made);
  EXPECT_EQ(copy->GetClass(), C3dTexture::kClassTag);
  EXPECT_EQ(copy->GetEnvironment(), ObjectsEnv());
  EXPECT_EQ(copy->GetOwningTable(), nullptr);
  EXPECT_EQ(copy->GetId(), 0u);
  EXPECT_TRUE(copy->IsReady());
  EXPECT_EQ(NameOf(copy), "Granite");
  EXPECT_EQ(Slice(Record(copy), 136, 1080), Slice(Record(texture), 136, 1080));
  delete copy;
}

TEST_F(Texture3d, AnOldRecordFillsEveryGroupAtItsNewPlace) {
  Bytes old(198);
  const auto putShort = [&](size_t at, int16_t v) { StoreField(old.data() + at, v); };
  const auto putWord = [&](size_t at, uint32_t v) { StoreField(old.data() + at, v); };
  old[0] = 3;
  old[1] = 0xFF;
  old[2] = 5;
  old[3] = 7;
  const int16_t phase[7] = {1000, -2, 30, 40, 50, 60, 70};
  for (int i = 0; i < 7; ++i) putShort(4 + 2 * i, phase[i]);
  old[0x12] = 0xFF;
  old[0x13] = 4;
  putWord(0x14, std::bit_cast<uint32_t>(1.5f));
  putWord(0x18, std::bit_cast<uint32_t>(-0.25f));
  old[0x1C] = 6;
  old[0x1D] = 64;
  putWord(0x1E, 0x112233);
  putWord(0x22, 0x445566);
  putWord(0x26, 0x778899);
  for (int c = 0; c < 3; ++c) {
    const size_t at = 0x2A + 52 * c;
    old[at] = uint8_t(5 + c);
    old[at + 1] = 0xFF;
    const int16_t shorts[13] = {int16_t(2565 + 4 * c), 10, -20, 30, 40, -2, int16_t(2566 + c), 15, 25, 35, 45, 55, 65};
    for (int i = 0; i < 13; ++i) putShort(at + 2 + 2 * i, shorts[i]);
    old[at + 28] = uint8_t(2 + c);
    old[at + 29] = 0xFE;
    putWord(at + 30, std::bit_cast<uint32_t>(0.75f));
    putWord(at + 34, std::bit_cast<uint32_t>(2.0f));
    old[at + 38] = uint8_t(10 + c);
    old[at + 39] = 0;
    putWord(at + 40, 0x0A0B0C + c);
    putWord(at + 44, 0x0D0E0F);
    putWord(at + 48, 0x101112);
  }
  C3dTexture* texture = NewTexture();
  {
    CHolder holder(texture, true, false);
    texture->GetTextureData().result.colour = 0xABCDEF;
  }
  EXPECT_EQ(texture->ImportOld(old.data(), 197), kErrInvalidFormat);
  ASSERT_EQ(texture->ImportOld(old.data(), 198), 0);
  CHolder holder(texture, false, false);
  const STextureData& data = texture->GetTextureData();
  EXPECT_EQ(data.count, 3);
  EXPECT_EQ(data.outputFlags, -1);
  EXPECT_EQ(data.operation[0], 5);
  EXPECT_EQ(data.operation[1], 7);
  EXPECT_EQ(data.globalPhase.code, 1000);
  EXPECT_EQ(data.globalPhase.amount, -2);
  EXPECT_EQ(data.globalPhase.frequency[2], 70);
  EXPECT_EQ(data.filter.kind, -1);
  EXPECT_EQ(data.filter.count, 4);
  EXPECT_EQ(data.filter.a, 1.5f);
  EXPECT_EQ(data.filter.b, -0.25f);
  EXPECT_EQ(data.colour.mapKind, 6);
  EXPECT_EQ(data.colour.format, 64);
  EXPECT_EQ(data.colour.colour[2], 0x778899u);
  for (int c = 0; c < 3; ++c) {
    const STextureComponent& component = data.component[c];
    EXPECT_EQ(component.kinds, 5 + c) << c;
    // Preparation takes the gradient flag from the kinds' bump.
    EXPECT_EQ(component.gradientFlag, kKindBump) << c;
    EXPECT_EQ(component.noiseCode, 2565 + 4 * c) << c;
    EXPECT_EQ(component.angleYZ, -20) << c;
    EXPECT_EQ(component.frequency[2], -2) << c;
    EXPECT_EQ(component.phase.code, 2566 + c) << c;
    EXPECT_EQ(component.phase.frequency[2], 65) << c;
    EXPECT_EQ(component.filter.kind, 2 + c) << c;
    EXPECT_EQ(component.filter.count, -2) << c;
    EXPECT_EQ(component.filter.a, 0.75f) << c;
    EXPECT_EQ(component.filter.b, 2.0f) << c;
    EXPECT_EQ(component.colour.mapKind, 10 + c) << c;
    EXPECT_EQ(component.colour.colour[0], 0x0A0B0Cu + c) << c;
    EXPECT_EQ(component.colour.colour[2], 0x101112u) << c;
    // Prepared: the code's noise number is compiled.
    EXPECT_EQ(component.compiledNoise.noise, ((2565 + 4 * c) & 252) >> 2) << c;
  }
  EXPECT_EQ(data.result.colour, 0xABCDEFu);
  holder.Release();
  delete texture;
}

// ---- the editor's preview

class DTEditorPreview : public MaterialTest {
 protected:
  void SetUp() override {
    MaterialTest::SetUp();
    int32_t error = 0;
    preview.reset(NewDataImage(92, 92, &error));
    ASSERT_NE(preview, nullptr) << error;
    ASSERT_TRUE(preview->Fill(0x5A5A5A));
    texture = NewTexture(kKindValue);
    CHolder holder(texture, true, false);
    texture->GetTextureData().component[0].noiseCode = kRadial1;
    texture->PrepareEvaluation(true);
  }
  void TearDown() override {
    delete texture;
    preview.reset();
    MaterialTest::TearDown();
  }
  int32_t Sample(uint32_t y, uint32_t step, int32_t selector, int32_t shape) {
    CHolder holder(texture, true, false);
    return texture->SampleForDTEditor(*preview, y, step, selector, shape);
  }
  std::vector<uint32_t> Row(uint32_t y) {
    CImNavigator nav(preview.get(), nullptr, false, false);
    std::vector<uint32_t> row;
    for (uint32_t x = 0; nav.IsUsable() && x < 92; ++x) row.push_back(nav.Cells(y)[x].value);
    return row;
  }

  std::unique_ptr<CImage> preview;
  C3dTexture* texture = nullptr;
};

TEST_F(DTEditorPreview, ATextureThatGivesNothingClearsThePreview) {
  {
    CHolder holder(texture, true, false);
    texture->GetTextureData().outputFlags = kKindBump;
  }
  ASSERT_EQ(Sample(10, 1, 3, 0), 0);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  for (uint32_t y : {0u, 45u, 91u}) EXPECT_EQ(Row(y), std::vector<uint32_t>(92, 0)) << y;
}

TEST_F(DTEditorPreview, AStepAboveOneFillsFourPixelsPerColour) {
  ASSERT_EQ(Sample(20, 1, 0, 0), 0);
  const std::vector<uint32_t> fine = Row(20);
  ASSERT_EQ(Sample(21, 2, 0, 0), 0);
  const std::vector<uint32_t> coarse = Row(21);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  EXPECT_NE(fine[0], fine[40]);
  for (uint32_t x = 0; x < 92; ++x) EXPECT_EQ(coarse[x], fine[x & ~1u]) << x;
  // A grey of the value, lit head-on: the light leaves it as it is.
  const uint32_t g = fine[0] & 255;
  EXPECT_EQ(fine[0], g << 16 | g << 8 | g);
  EXPECT_EQ(Row(22), std::vector<uint32_t>(92, 0x5A5A5A));
}

TEST_F(DTEditorPreview, AWholeTextureShowsItsValueOrItsBumpOnGrey) {
  ASSERT_EQ(Sample(30, 1, 3, 0), 0);
  ASSERT_EQ(Sample(31, 1, 0, 0), 0);
  EXPECT_EQ(Row(30), Row(31));
  EXPECT_NE(Row(30)[0], 0x7F7F7Fu);
  {
    CHolder holder(texture, true, false);
    STextureData& data = texture->GetTextureData();
    data.outputFlags = kKindBump;
    data.component[0].kinds = kKindBump;
    data.component[0].noiseCode = kFlatHalfCode;
    texture->PrepareEvaluation(true);
  }
  // A flat bump leaves the normal facing the light head-on.
  ASSERT_EQ(Sample(32, 1, 3, 0), 0);
  EXPECT_EQ(Row(32), std::vector<uint32_t>(92, 0x7F7F7F));
}

TEST_F(DTEditorPreview, EveryShapeAndSelectorDrawsTheRowAndRestoresRounding) {
  for (int32_t shape = 0; shape < 3; ++shape) {
    for (int32_t selector = 0; selector < 4; ++selector) {
      for (uint32_t y : {0u, 34u, 46u, 91u}) {
        ASSERT_EQ(Sample(y, 1, selector, shape), 0) << shape << " " << selector << " " << y;
        EXPECT_EQ(std::fegetround(), FE_TONEAREST);
        for (uint32_t pixel : Row(y)) ASSERT_EQ(pixel >> 24, 0u);
      }
    }
  }
  EXPECT_EQ(Sample(92, 1, 3, 0), kErrInvalidParameter);
  EXPECT_EQ(Sample(5, 0, 3, 0), 0);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  EXPECT_EQ(Row(5), std::vector<uint32_t>(92, 0x5A5A5A));
}

}  // namespace
