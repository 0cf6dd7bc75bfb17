// The material: its stored record and byte order, the per-hit evaluation of its sources and bump,
// the refraction edge fields, random materials, and every factory's object holding one.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>

#include "framework/core/random.h"
#include "material_fixture.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cube.h"
#include "scene/cylinder.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/torus.h"

namespace {

using Material = MaterialTest;

// ---- the record

TEST_F(Material, ANewRecordIsStoredBigEndianWithTheBumpInMachineOrder) {
  C3dMaterial* material = NewMaterial(table);
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(material->GetDataSize(), 568u);
  {
    CHolder holder(material, true, false);
    material->GetRecord().sample.bump = 0.5;
  }
  const Bytes bytes = Save(material);
  ASSERT_EQ(bytes.size(), 568u);
  EXPECT_EQ(Slice(bytes, 136, 4), (Bytes{0x70, 0x68, 0x65, 0x78}));
  for (size_t at : {212, 216, 220}) EXPECT_EQ(Slice(bytes, at, 4), (Bytes{0x3E, 0xFF, 0x7C, 0xEE})) << at;
  EXPECT_EQ(Slice(bytes, 224, 8), (Bytes{0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BigDoubleAt(bytes, 244), 0.1965);
  for (size_t at : {272, 276, 280}) EXPECT_EQ(Slice(bytes, at, 4), (Bytes{0x42, 0x48, 0, 0})) << at;
  EXPECT_EQ(BigDoubleAt(bytes, 320), 1.0);
  EXPECT_EQ(Slice(bytes, 312, 8), (Bytes{0, 0, 0, 0, 0, 0, 0xE0, 0x3F}));
  for (size_t component : {376, 424, 472, 520}) {
    EXPECT_EQ(Slice(bytes, component + 8, 8), (Bytes{0x3F, 0xE0, 0x51, 0xEB, 0x85, 0x1E, 0xB8, 0x52})) << component;
    EXPECT_EQ(BigWordAt(bytes, component + 40), 1u) << component;
    EXPECT_EQ(WordAt(bytes, component), 0u) << component;
  }
  EXPECT_EQ(WordAt(bytes, 208), 0u);  // the flag word
}

TEST_F(Material, EveryFieldReadsBackAsWritten) {
  C3dMaterial* material = NewMaterial(table);
  {
    CHolder holder(material, true, false);
    SMaterialRecord& record = material->GetRecord();
    for (int i = 0; i < SMaterialRecord::kSources; ++i) record.sources[i] = i * 3 - 7;
    // Every double and float of the sample a different value.
    uint8_t* sample = material->GetData() + C3dMaterial::kSampleOffset;
    StoreField(sample, uint32_t(0x3F));
    for (uint32_t at = 4; at < 168; at += 4) StoreField(sample + at, float(at) * 0.25f + 0.125f);
    record.sample.bump = -0.75;
    record.sample.edgeGainExponent = 123.5;
    for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
      record.component[k].scale = 0.25 * k + 0.5;
      record.component[k].placement = {1.5 * k, -2.0, 3.25};
      record.component[k].mappingMode = 10 - k;
      record.component[k].flags = 0x100u + k;
    }
  }
  const Bytes bytes = Save(material);
  const Bytes original = Record(material);
  EXPECT_EQ(BigWordAt(bytes, 140 + 4 * 16), uint32_t(16 * 3 - 7));
  EXPECT_EQ(BigDoubleAt(bytes, 368), 123.5);
  EXPECT_EQ(DoubleAt(bytes, 312), -0.75);
  EXPECT_EQ(BigDoubleAt(bytes, 424 + 24), -2.0);
  EXPECT_EQ(BigWordAt(bytes, 520 + 44), 0x103u);

  C3dBaseSys fresh(ObjectsEnv());
  C3dMaterial* copy = LoadAndRead<C3dMaterial>(material->GetKey(), &fresh);
  EXPECT_EQ(Record(copy), original);
  delete copy;
}

// Each component's texture tag and id are two big-endian words at the start of its record, the
// first component's right after the last double of the sample.
TEST_F(Material, EveryComponentStoresItsTextureTagAndIdBigEndian) {
  C3dMaterial* material = NewMaterial(table);
  CFixedTexture* textures[SMaterialRecord::kComponents];
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    textures[k] = NewFixed(0);
    textures[k]->SetId(0x01020304u + 0x10u * uint32_t(k));
    ASSERT_EQ(material->SetChannelTexture(textures[k], k), 0);
  }
  const Bytes bytes = Save(material);
  const Bytes original = Record(material);
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    const size_t at = 376 + 48 * size_t(k);
    EXPECT_EQ(Slice(bytes, at, 4), (Bytes{'f', 'x', 't', 'x'})) << k;
    EXPECT_EQ(Slice(bytes, at + 4, 4), (Bytes{0x01, 0x02, 0x03, uint8_t(0x04 + 0x10 * k)})) << k;
  }

  C3dBaseSys fresh(ObjectsEnv());
  C3dMaterial* copy = LoadAndRead<C3dMaterial>(material->GetKey(), &fresh);
  EXPECT_EQ(Record(copy), original);
  delete copy;
}

TEST_F(Material, AShortStoredRecordIsRefused) {
  C3dMaterial* material = NewMaterial(table);
  Save(material);
  Overwrite(material->GetKey(), Bytes(567));
  C3dBaseSys fresh(ObjectsEnv());
  C3dMaterial* copy = Load<C3dMaterial>(material->GetKey(), &fresh);
  EXPECT_FALSE(copy->Lock());
  EXPECT_EQ(copy->GetError(), kErrInvalidFormat);
  delete copy;
}

// ---- evaluation

TEST_F(Material, ANewMaterialLeavesTheSampleAsCopied) {
  C3dMaterial* material = NewMaterial();
  SMaterialSample copied;
  {
    CHolder holder(material, false, false);
    copied = material->GetRecord().sample;
  }
  CRay ray;
  const SMaterialSample evaluated = EvaluateAt(material, 3, &ray);
  EXPECT_EQ(std::memcmp(&evaluated, &copied, sizeof copied), 0);
  EXPECT_EQ(ray.fHit.fShadingNormal, (vector3<double>{0, 1, 0}));
  delete material;
}

// One parameter driven through the sources by fixed textures in the components.
struct SSourceCase {
  const char* name;
  int source;  // which source word
  int32_t value;
  std::vector<std::pair<int, double>> components;  // component index, its texture's value
  double height;
  std::function<void(SMaterialRecord&)> record;
  std::function<double(const SMaterialSample&)> read;
  double expected;
};

TEST_F(Material, SourcesDriveTheirParameters) {
  const auto diffusion = [](const SMaterialSample& s) { return s.diffusion; };
  const auto none = [](SMaterialRecord&) {};
  const std::vector<std::pair<int, double>> mix{{0, 0.2}, {1, 0.8}};
  const auto reflective = [](SMaterialRecord& r) {
    r.sample.reflection = 0.5;
    r.sample.specularity = 0.8;
    r.sample.diffusion = 1.0;
  };
  const SSourceCase cases[] = {
      {"a component without texture gives 0", C3dMaterial::kDiffusionSource, 3, {}, 0, none, diffusion, 0},
      {"a component's value", C3dMaterial::kAmbienceSource, 2, {{1, 0.7}}, 0, none,
       [](const SMaterialSample& s) { return s.ambience; }, 0.7},
      {"an unknown source keeps the constant", C3dMaterial::kDiffusionSource, 9, {{0, 0.3}}, 0, none, diffusion, 1.0},
      {"height 0 gives component 1", C3dMaterial::kDiffusionSource, 5, mix, 0, none, diffusion, 0.2},
      {"height 5 a quarter on", C3dMaterial::kDiffusionSource, 5, mix, 5, none, diffusion, 0.35},
      {"height 12 gives component 2", C3dMaterial::kDiffusionSource, 5, mix, 12, none, diffusion, 0.8},
      {"height -12 too", C3dMaterial::kDiffusionSource, 5, mix, -12, none, diffusion, 0.8},
      {"mix by component 3 without it", C3dMaterial::kDiffusionSource, 6, mix, 0, none, diffusion, 0.2},
      {"mix by component 3 at 0", C3dMaterial::kDiffusionSource, 6, {{0, 0.2}, {1, 0.8}, {2, 0}}, 0, none,
       diffusion, 0.2},
      {"mix by component 3 below 0", C3dMaterial::kDiffusionSource, 6, {{0, 0.2}, {1, 0.8}, {2, -0.5}}, 0, none,
       diffusion, 0.2},
      {"mix by component 3 at 0.5", C3dMaterial::kDiffusionSource, 6, {{0, 0.2}, {1, 0.8}, {2, 0.5}}, 0, none,
       diffusion, 0.5},
      {"mix by component 3 above 1", C3dMaterial::kDiffusionSource, 6, {{0, 0.2}, {1, 0.8}, {2, 7}}, 0, none,
       diffusion, 0.8},
      {"a mix without component 2 keeps the constant there", C3dMaterial::kDiffusionSource, 5, {{0, 0.2}}, 12,
       none, diffusion, 1.0},
      {"reflection scales the constant", C3dMaterial::kReflectionSource, 1, {{0, 0.4}}, 0, reflective,
       [](const SMaterialSample& s) { return s.reflection; }, 0.2},
      {"reflection raises specularity to at most 1", C3dMaterial::kReflectionSource, 1, {{0, 0.4}}, 0, reflective,
       [](const SMaterialSample& s) { return s.specularity; }, 1.0},
      {"reflection lowers diffusion", C3dMaterial::kReflectionSource, 1, {{0, 0.4}}, 0, reflective, diffusion, 0.6},
      {"no reflection without the constant", C3dMaterial::kReflectionSource, 1, {{0, 0.4}}, 0, none,
       [](const SMaterialSample& s) { return s.reflection; }, 0},
      {"transparency runs against the value", C3dMaterial::kTransparencySource, 1, {{0, 0.75}}, 0,
       [](SMaterialRecord& r) { r.sample.transparency = 0.1; },
       [](const SMaterialSample& s) { return s.transparency; }, 0.35},
      {"transparency at most 1", C3dMaterial::kTransparencySource, 1, {{0, 0.25}}, 0,
       [](SMaterialRecord& r) { r.sample.transparency = 0.5; },
       [](const SMaterialSample& s) { return s.transparency; }, 1.0},
  };
  for (const SSourceCase& c : cases) {
    C3dMaterial* material = NewMaterial();
    {
      CHolder holder(material, true, false);
      SMaterialRecord& record = material->GetRecord();
      record.sources[c.source] = c.value;
      c.record(record);
      for (const auto& [index, value] : c.components) EXPECT_EQ(material->SetChannelTexture(NewFixed(value), index), 0);
    }
    EXPECT_NEAR(c.read(EvaluateAt(material, c.height)), c.expected, 1e-12) << c.name;
    delete material;
  }
}

TEST_F(Material, ColourSourcesTakeTheComponentsColours) {
  C3dMaterial* material = NewMaterial();
  {
    CHolder holder(material, true, false);
    SMaterialRecord& record = material->GetRecord();
    record.sources[C3dMaterial::kDiffuseColourSource] = 2;
    record.sources[C3dMaterial::kSpecularColourSource] = 5;
    material->SetChannelTexture(NewFixed(0, {0.25f, 0.5f, 1.0f}), 0);
    material->SetChannelTexture(NewFixed(0, {1.0f, 0.0f, 0.5f}), 1);
  }
  const SMaterialSample sample = EvaluateAt(material, 5);
  EXPECT_EQ(sample.diffuseColour, (vector3<float>{1.0f, 0.0f, 0.5f}));
  EXPECT_EQ(sample.specularColour, (vector3<float>{0.4375f, 0.375f, 0.875f}));
  EXPECT_EQ(sample.ambientColour, (vector3<float>{1, 1, 1}));
  delete material;
}

TEST_F(Material, EachComponentIsAskedAtItsMappingWithTheHitNormal) {
  C3dMaterial* material = NewMaterial();
  CFixedTexture* texture = NewFixed(0.5);
  {
    CHolder holder(material, true, false);
    SMaterialComponent& component = material->GetRecord().component[2];
    component.mappingMode = 4;
    component.scale = 2;
    component.flags = 1;
    material->SetChannelTexture(texture, 2);
  }
  CHolder holder(material, false, false);
  SMaterialSample sample = material->GetRecord().sample;
  CRay ray;
  ray.fHit.fPoint = {2, 7, 1};
  ray.fHit.fNormal = {0, 0, 1};
  material->Evaluate(ray, sample);
  EXPECT_EQ(texture->askedMode, 4);
  EXPECT_EQ(texture->askedNormal, (vector3<double>{0, 0, 1}));
  const STextureSample& asked = texture->asked;
  EXPECT_EQ(asked.colourWanted + asked.valueWanted + asked.gradientWanted, 3);
  EXPECT_EQ(asked.symmetric, 1);
  EXPECT_EQ(asked.point, (vector3<double>{1, 0.5, 1}));
  holder.Release();
  delete material;
}

TEST_F(Material, BumpTurnsTheShadingNormalByTheGradient) {
  struct SCase {
    const char* name;
    int32_t source;
    uint32_t flags;
    double t;
    vector3<double> normal;  // expected, before normalising
  };
  const double fade = std::exp(-100 * 0.51 * 0.00016);
  const SCase cases[] = {
      {"component 2's gradient", 2, 0, 100, {-1, 1, 0}},
      {"faded with distance", 2, SMaterialSample::kBumpFades, 100, {-fade, 1, 0}},
      {"by height between components 1 and 2", 5, 0, 0, {0, 1, 0.5}},
      {"an unknown source turns nothing", 8, 0, 0, {0, 1, 0}},
  };
  for (const SCase& c : cases) {
    C3dMaterial* material = NewMaterial();
    {
      CHolder holder(material, true, false);
      SMaterialRecord& record = material->GetRecord();
      record.sources[C3dMaterial::kBumpSource] = c.source;
      record.sample.bump = 0.05;
      record.sample.flags = c.flags;
      material->SetChannelTexture(NewFixed(0, {}, {0, 0, -1}), 0);
      material->SetChannelTexture(NewFixed(0, {}, {1, 0, 0}), 1);
    }
    // At height 5 the mix takes a quarter of the way from component 1 to component 2.
    CRay ray;
    EvaluateAt(material, c.source == 5 ? 5 : 0, &ray, c.t);
    const vector3<double> n = c.normal * (1 / std::sqrt(Dot(c.normal, c.normal)));
    const vector3<double> expected = c.source == 5 ? vector3<double>{-0.25, 1, 0.75} : n;
    const vector3<double> unit = expected * (1 / std::sqrt(Dot(expected, expected)));
    ExpectNear(ray.fHit.fShadingNormal, unit, 1e-7, c.name);
    EXPECT_EQ(ray.fHit.fNormal, (vector3<double>{0, 1, 0})) << c.name;
    delete material;
  }
}

TEST_F(Material, RefractionSetsTheEdgeFieldsOfATransparentRefractingSurface) {
  struct SCase {
    double transparency;
    double index;
    double edge;
  };
  const SCase cases[] = {{0.5, 1.5, 0.993262}, {0, 1.5, 0}, {0.5, 1.0, 0}, {0.5, 0.8, 0}};
  for (const SCase& c : cases) {
    SMaterialSample sample;
    sample.transparency = c.transparency;
    sample.refractionIndex = c.index;
    sample.edgeExponent = 9;
    C3dMaterial::UpdateRefraction(sample);
    EXPECT_NEAR(double(sample.edgeAmount), c.edge, 1e-6) << c.transparency << " " << c.index;
    EXPECT_NEAR(double(sample.edgeGain), c.edge, 1e-6);
    EXPECT_EQ(double(sample.edgeExponent), c.edge ? 0.8 : 0);
    EXPECT_EQ(double(sample.edgeGainExponent), c.edge ? 4.0 : 0);
  }
}

// ---- random materials

TEST_F(Material, RandomMaterialsFollowTheGenerator) {
  C3dMaterial* first = NewMaterial();
  C3dMaterial* second = NewMaterial();
  const SRandomState start = GetRandomState();
  ASSERT_EQ(first->Randomize(), 0);
  GetRandomState() = start;
  ASSERT_EQ(second->Randomize(), 0);
  EXPECT_EQ(Record(first), Record(second));
  // Many draws: sources stay within 0..6, values within their ranges, and some draws change them.
  bool drawn = false;
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(first->Randomize(), 0);
    CHolder holder(first, false, false);
    const SMaterialRecord& record = first->GetRecord();
    for (int32_t source : record.sources) {
      EXPECT_GE(source, 0);
      EXPECT_LE(source, 6);
      drawn = drawn || source != 0;
    }
    const SMaterialSample& s = record.sample;
    EXPECT_TRUE(s.diffusion >= 0 && s.diffusion < 1 && s.transparency >= 0 && s.transparency < 1);
    EXPECT_TRUE(s.specCoefficients.x >= 1 && s.specCoefficients.x <= 100);
  }
  EXPECT_TRUE(drawn);
  delete first;
  delete second;
}

// A reset is a new material: every field at its default, components empty and their counted uses
// given back.
TEST_F(Material, AResetMaterialIsANewOne) {
  C3dMaterial* fresh = NewMaterial();
  C3dMaterial* material = NewMaterial();
  ASSERT_EQ(material->Randomize(), 0);
  C3dTexture* texture = NewTexture();
  C3dMaterial* source = NewMaterial();
  {
    CHolder holder(source, true, false);
    source->GetRecord().sources[C3dMaterial::kDiffuseColourSource] = 3;
  }
  ASSERT_EQ(source->SetChannelTexture(texture, 2), 0);
  ASSERT_EQ(material->CopyFrom(*source), 0);  // counts a use of the texture outside documents
  ASSERT_EQ(texture->GetOwnUseCount(), 1u);

  ASSERT_EQ(material->Reset(), 0);
  EXPECT_EQ(material->GetChannelTexture(2), nullptr);
  EXPECT_EQ(texture->GetOwnUseCount(), 0u);
  EXPECT_EQ(Record(material), Record(fresh));
  delete source;
  delete material;
  delete fresh;
  delete texture;
}

// ---- every object has one

TEST_F(Material, EveryFactoryGivesItsObjectAReadyMaterial) {
  const std::vector<C3dObject*> objects{
      MakeShape<C3dSphere>(table),   MakeShape<C3dCube>(table),     MakeShape<C3dPyramid>(table),
      MakeShape<C3dPlane>(table),    MakeShape<C3dSquare>(table),   MakeShape<C3dCircle>(table),
      MakeShape<C3dCone>(table),     MakeShape<C3dCylinder>(table), MakeShape<C3dTorus>(table),
      MakeShape<C3dSphereLight>(table)};
  for (C3dObject* object : objects) {
    ASSERT_NE(object, nullptr);
    C3dMaterial* material = MaterialOf(object);
    ASSERT_NE(material, nullptr) << object->TypeName();
    EXPECT_TRUE(material->IsReady()) << object->TypeName();
    EXPECT_EQ(&material->GetIllumModel(), &C3dIllumModel::Default());
    CHolder holder(material, false, false);
    EXPECT_EQ(material->GetRecord().modelTag, C3dMaterial::kModelTag) << object->TypeName();
    EXPECT_EQ(material->GetRecord().sample.diffuseColour, (vector3<float>{0.499f, 0.499f, 0.499f}));
  }
}

}  // namespace
