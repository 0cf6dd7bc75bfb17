#include "scene/light.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

#include "document_record_fixture.h"
#include "light_fixture.h"
#include "scene/class_mesh.h"

namespace {

constexpr vector3<float> kLightColour{0.1f, 0.2f, 0.3f};
constexpr vector3<float> kUntouched{9, 9, 9};

// What a light sends to one point: whether the point lies in the lit region (the colour becomes the
// light's) and the share of the light's intensity it receives.
struct SReach {
  const char* name;
  vector3<double> point;
  float exponentX;  // the round beams' one exponent
  float exponentZ;
  bool lit;
  double share;
  double tolerance = 1e-9;
};

void SetExponents(C3dSphereLight*, const SReach&) {}
void SetExponents(C3dRoundBeamLight* light, const SReach& c) { light->SetExponent(c.exponentX); }
void SetExponents(C3dSquareBeamLight* light, const SReach& c) { light->SetExponents(c.exponentX, c.exponentZ); }

template <typename T>
void ExpectReaches(T* light, std::initializer_list<SReach> cases) {
  for (const SReach& c : cases) {
    SetExponents(light, c);
    vector3<float> colour = kUntouched;
    double intensity = -1;
    light->Illuminate(c.point, colour, intensity);
    EXPECT_FALSE(std::isnan(intensity)) << c.name;
    EXPECT_NEAR(intensity, 2.0 * c.share, 2.0 * c.tolerance) << c.name;
    EXPECT_EQ(colour, c.lit ? kLightColour : kUntouched) << c.name;
  }
}

using Lights = LightTest;

TEST_F(Lights, TheRadialLightSendsItsFullIntensityEverywhere) {
  auto* light = NewLight<C3dSphereLight>();
  Place(light, {1, 1, 1}, {3, 4, 5});
  ExpectReaches(light, {{"near", {3, 3, 5}, 0, 0, true, 1},
                        {"far", {3, 4, 1000}, 0, 0, true, 1},
                        {"its centre", {3, 4, 5}, 0, 0, true, 1}});
}

TEST_F(Lights, TheSpotlightLightsItsConeFallingOffTowardsTheSurface) {
  auto* light = NewLight<C3dConeLight>();
  // On the cone's surface the direction from the apex has the cosine of the half-angle.
  const vector3<double> surface{0.5, 0, 0};
  ExpectReaches(light, {{"axis, exponent 0", {0, -5, 0}, 0, 0, true, 1},
                        {"axis, exponent 1", {0, -5, 0}, 1, 0, true, 1, 1e-6},
                        {"axis, exponent 2.5", {0, -5, 0}, 2.5f, 0, true, 1, 1e-6},
                        {"surface, exponent 1", surface, 1, 0, true, 0},
                        {"surface, exponent 0", surface, 0, 0, true, 1},
                        {"half-way, exponent 1",
                         {0.25, 0, 0},
                         1,
                         0,
                         true,
                         (2 / std::sqrt(4.25) - 0.8944271909999) * 9.472135954998153,
                         1e-6},
                        {"outside the cone", {3, -1, 0}, 0, 0, false, 0},
                        {"above the apex", {0, 2, 0}, 0, 0, false, 0},
                        {"the apex", {0, 1, 0}, 1, 0, false, 0}});
  // The beam goes on below the shape, and follows the light's placement.
  Place(light, {1, 1, 1}, {10, 0, 0});
  ExpectReaches(light, {{"far down the moved axis", {10, -500, 0}, 1, 0, true, 1, 1e-6},
                        {"the old axis", {0, -5, 0}, 1, 0, false, 0}});
}

TEST_F(Lights, TheParallelLightLightsItsColumnWithoutEnd) {
  auto* light = NewLight<C3dCubeLight>();
  ExpectReaches(light, {{"centre, exponents (1, 2)", {0, 0, 0}, 1, 2, true, 1},
                        {"far below, exponents (1, 2)", {0, -100, 0}, 1, 2, true, 1},
                        {"exponents (1, 2) off the axis", {0.25, 0, 0.25}, 1, 2, true, 0.421875},
                        {"exponents (1, 1)", {0.25, 0, 0.25}, 1, 1, true, 0.5625},
                        {"the side, x exponent positive", {0.5, 0, 0}, 0.5f, 0, true, 0},
                        {"the side, no fall-off", {-0.5, 0, 0}, 0, 0, true, 1},
                        {"beside the column", {0.6, 0, 0}, 0, 0, false, 0},
                        {"above the top", {0, 0.6, 0}, 0, 0, false, 0}});
}

TEST_F(Lights, TheSquareSpotlightWidensWithDepth) {
  auto* light = NewLight<C3dPyramidLight>();
  ExpectReaches(light, {{"axis", {0, -3, 0}, 1, 2, true, 1},
                        {"axis just below the apex", {0, 0.49, 0}, 2.5f, 0.5f, true, 1},
                        {"half-width 1 at depth 2", {1, -1.5, 0}, 0, 0, true, 1},
                        {"just beyond it", {1.01, -1.5, 0}, 0, 0, false, 0},
                        {"half-way out, exponents (1, 1)", {0.5, -1.5, 0}, 1, 1, true, 0.75},
                        {"the apex", {0, 0.5, 0}, 1, 1, false, 0},
                        {"the apex's plane", {0.2, 0.5, 0}, 0, 0, false, 0},
                        {"above the apex", {0, 0.8, 0}, 0, 0, false, 0}});
}

TEST_F(Lights, TheCircularParallelLightFallsOffWithTheRadius) {
  auto* light = NewLight<C3dCylinderLight>();
  ExpectReaches(light, {{"r = 0.5, exponent 1", {0.5, 0, 0}, 1, 0, true, 0.75, 1e-6},
                        {"r = 0.5, exponent 2", {0, 0.5, 0.5}, 2, 0, true, 0.5625, 1e-6},
                        {"the edge, exponent 1", {0, 0, 1}, 1, 0, true, 0, 1e-6},
                        {"the edge, exponent 0", {-1, 0, 0}, 0, 0, true, 1},
                        {"far below in the column", {0.5, -1000, 0}, 1, 0, true, 0.75, 1e-6},
                        {"beside the column", {1.1, 0, 0}, 0, 0, false, 0},
                        {"above the top", {0, 1.1, 0}, 0, 0, false, 0}});
}

TEST_F(Lights, DistanceAloneNeverChangesTheIntensity) {
  for (C3dShapedLight* light : NewShapedLights()) {
    vector3<float> colour;
    double near = 0, far = 0;
    light->Illuminate({0, -0.1, 0}, colour, near);
    light->Illuminate({0, -1000, 0}, colour, far);
    EXPECT_EQ(near, 2.0) << light->TypeName();
    EXPECT_EQ(far, near) << light->TypeName();
  }
}

TEST_F(Lights, ATexturedMaterialGivesItsColourAndLeavesTheIntensity) {
  const vector3<float> diffuse{0.5f, 0.25f, 1.0f};
  const Handle32 textured = NewTemplateMaterial(C3dMaterial::kTexturedFlag, diffuse)->GetHandle();
  const Handle32 plain = NewTemplateMaterial(0, diffuse)->GetHandle();
  for (const Handle32 material : {textured, plain}) {
    for (C3dShapedLight* light : NewShapedLights(material)) {
      vector3<float> colour;
      double intensity = 0;
      light->Illuminate({0, -0.2, 0}, colour, intensity);
      EXPECT_EQ(intensity, 2.0) << light->TypeName();
      EXPECT_EQ(colour, material == textured ? diffuse : kLightColour) << light->TypeName();
    }
  }
  // Without a material the light keeps its own colour.
  auto* bare = NewLight<C3dCubeLight>();
  C3dMaterial* own = LookupHandleAs<C3dMaterial>(bare->GetMaterial(), C3dMaterial::kFamily);
  delete own;
  vector3<float> colour;
  double intensity = 0;
  bare->Illuminate({0, 0, 0}, colour, intensity);
  EXPECT_EQ(colour, kLightColour);
}

// Where a textured material is evaluated: the beam's point on the projection plane, the normal there
// and the texture coordinates across the beam.
TEST_F(Lights, SlidesSpanTheBeam) {
  struct SCase {
    const char* name;
    SLightSlide slide;
    vector3<double> point;
    double u, v;
  };
  auto* radial = MakeShape<CSlideProbe<C3dSphereLight>>(table);
  auto* spot = MakeShape<CSlideProbe<C3dConeLight>>(table);
  auto* parallel = MakeShape<CSlideProbe<C3dCubeLight>>(table);
  auto* square = MakeShape<CSlideProbe<C3dPyramidLight>>(table);
  auto* circular = MakeShape<CSlideProbe<C3dCylinderLight>>(table);
  const SCase radialCases[] = {
      {"straight below", radial->Slide({0, -1, 0}), {0, -1, 0}, 0, 0},
      {"straight above", radial->Slide({0, 1, 0}), {0, 1, 0}, 0, 1},
      {"along +x", radial->Slide({1, 0, 0}), {1, 0, 0}, 1, 0.5},
      {"along +z", radial->Slide({0, 0, 4}), {0, 0, 1}, 0.25, 0.5},
      {"its centre", radial->Slide({0, 0, 0}), {0, -1, 0}, 0, 0},
  };
  const SCase beamCases[] = {
      {"spot, the axis", spot->Slide({0, -3, 0}), {0, -1, 0}, 0, 0},
      {"spot, the rim along +x", spot->Slide({0.5, 0, 0}), {1, -1, 0}, 0, 1},
      {"spot, half-way along -z", spot->Slide({0, -1, -0.5}), {0, -1, -0.5}, 0.75, 0.5},
      {"parallel", parallel->Slide({0.25, -7, -0.5}), {0.25, -0.5, -0.5}, 0.75, 0},
      {"square spot", square->Slide({0.5, -1.5, -0.25}), {0.25, -0.5, -0.125}, 0.75, 0.375},
      {"circular, the axis", circular->Slide({0, -9, 0}), {0, -1, 0}, 0, 0},
      {"circular, along -z", circular->Slide({0, 0, -0.5}), {0, -1, -0.5}, 0.75, 0.5},
  };
  for (const SCase& c : radialCases) {
    ExpectNear(c.slide.point, c.point, 1e-6, c.name);
    ExpectNear(c.slide.normal, c.point, 1e-6, c.name);  // the point on the unit sphere
  }
  for (const SCase& c : beamCases) {
    ExpectNear(c.slide.point, c.point, 1e-6, c.name);
    ExpectNear(c.slide.normal, {0, -1, 0}, 0, c.name);
  }
  auto expectCoordinates = [](const SCase& c) {
    EXPECT_NEAR(c.slide.u, c.u, 1e-6) << c.name;
    EXPECT_NEAR(c.slide.v, c.v, 1e-6) << c.name;
  };
  for (const SCase& c : radialCases) expectCoordinates(c);
  for (const SCase& c : beamCases) expectCoordinates(c);
}

// ---- creation and copies

TEST_F(Lights, EveryLightComesWithACopyOfTheGivenMaterial) {
  C3dMaterial* source = NewTemplateMaterial(C3dMaterial::kTexturedFlag, {0.5f, 0.5f, 0.5f});
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dConeLight>(ObjectsEnv(), key, spec);
  C3dConeLight* light = nullptr;
  ASSERT_EQ(C3dConeLight::NewWithMaterial(&light, table, key, spec, source->GetHandle()), 0);
  auto* material = LookupHandleAs<C3dMaterial>(light->GetMaterial(), C3dMaterial::kFamily);
  ASSERT_NE(material, nullptr);
  EXPECT_NE(material, source);
  EXPECT_EQ(material->GetOwningTable(), table);
  EXPECT_EQ(material->GetFamily(), FourCC("matr"));
  EXPECT_EQ(material->GetClass(), FourCC("base"));
  {
    CHolder a(material, false, false), b(source, false, false);
    EXPECT_EQ(std::memcmp(material->GetData() + 136, source->GetData() + 136, C3dMaterial::kPartSize), 0);
  }
  EXPECT_EQ(light->GetRadius(), 1.0);

  // The light form gives none.
  C3dCubeLight* bare = nullptr;
  MakeCreationKey<C3dCubeLight>(ObjectsEnv(), key, spec);
  ASSERT_EQ(C3dCubeLight::New(&bare, table, key, spec), 0);
  EXPECT_EQ(bare->GetMaterial(), kNoHandle);
  // The template's texture, the light, its material and the bare light.
  CHolder holder(table, false, false);
  EXPECT_EQ(table->GetCount(), 4u);
}

TEST_F(Lights, IsLightHoldsForLightsAlone) {
  for (C3dShapedLight* light : NewShapedLights()) EXPECT_TRUE(light->IsLight()) << light->TypeName();
  EXPECT_TRUE(NewSun()->IsLight());
  EXPECT_FALSE(NewSphere()->IsLight());
  EXPECT_FALSE(NewGroup()->IsLight());
}

TEST_F(Lights, ADuplicateCarriesTheLightsSettings) {
  auto* spot = NewLight<C3dConeLight>();
  spot->SetExponent(1.75);
  auto* square = NewLight<C3dPyramidLight>();
  square->SetExponents(0.5f, 2.5f);
  auto* radial = NewLight<C3dSphereLight>();
  C3dMaterial* word = NewTemplateMaterial(0, {});
  for (C3dShapedLight* light : {static_cast<C3dShapedLight*>(spot), static_cast<C3dShapedLight*>(square),
                                static_cast<C3dShapedLight*>(radial)}) {
    light->SetRadius(3.5);
    light->SetLightWord(word->GetHandle());
    light->SetStateFlags(C3dLight::kVisible | C3dLight::kUnboundedBeam);
    CHolder holder(light, true, false);
    const uint32_t words[2] = {0x11223344, 0x55667788};
    std::memcpy(light->GetData() + C3dLight::kLightWordTagsOffset, words, 8);
  }
  {
    CHolder holder(radial, true, false);
    radial->GetData()[784] = 0x5A;
  }
  for (C3dShapedLight* light : {static_cast<C3dShapedLight*>(spot), static_cast<C3dShapedLight*>(square),
                                static_cast<C3dShapedLight*>(radial)}) {
    auto* copy = static_cast<C3dShapedLight*>(light->Duplicate(table));
    ASSERT_NE(copy, nullptr) << light->TypeName();
    EXPECT_EQ(copy->GetClass(), light->GetClass());
    EXPECT_EQ(copy->GetColour(), kLightColour);
    EXPECT_EQ(copy->GetIntensity(), 2.0);
    EXPECT_EQ(copy->GetRadius(), 3.5);
    EXPECT_EQ(copy->GetLightWord(), word->GetHandle());
    EXPECT_EQ(copy->GetStateFlags(), light->GetStateFlags());
    EXPECT_NE(copy->GetMaterial(), light->GetMaterial());
    CHolder holder(copy, false, false);
    EXPECT_EQ(LoadField<uint32_t>(copy->GetData() + 776), 0x11223344u);
    EXPECT_EQ(LoadField<uint32_t>(copy->GetData() + 780), 0x55667788u);
  }
  auto* spotCopy = static_cast<C3dConeLight*>(spot->Duplicate(table));
  EXPECT_EQ(spotCopy->GetExponent(), 1.75);
  auto* squareCopy = static_cast<C3dPyramidLight*>(square->Duplicate(table));
  EXPECT_EQ(squareCopy->GetExponentX(), 0.5f);
  EXPECT_EQ(squareCopy->GetExponentZ(), 2.5f);
  auto* radialCopy = radial->Duplicate(table);
  CHolder holder(radialCopy, false, false);
  EXPECT_EQ(radialCopy->GetData()[784], 0);
}

// ---- stored records

TEST_F(DocumentRecord, LightRecordsHaveTheirClassesSizesAndNames) {
  struct SCase {
    C3dLight* light;
    uint32_t classTag;
    const char* typeName;
    uint32_t size;
  } cases[] = {
      {MakeShape<C3dSphereLight>(table), FourCC("sphr"), "C3dSphereLight", 785},
      {MakeShape<C3dConeLight>(table), FourCC("cone"), "C3dConeLight", 792},
      {MakeShape<C3dCubeLight>(table), FourCC("cube"), "C3dCubeLight", 792},
      {MakeShape<C3dPyramidLight>(table), FourCC("pyrm"), "C3dPyrLightType", 792},
      {MakeShape<C3dCylinderLight>(table), FourCC("cyln"), "C3dCylLight", 792},
      {MakeObject<C3dSunLight>(table), FourCC("sunl"), "C3dSunLight", 832},
  };
  for (const SCase& c : cases) {
    ASSERT_NE(c.light, nullptr) << c.typeName;
    EXPECT_EQ(c.light->GetFamily(), FourCC("lght"));
    EXPECT_EQ(c.light->GetClass(), c.classTag) << c.typeName;
    EXPECT_STREQ(c.light->TypeName(), c.typeName);
    EXPECT_STREQ(c.light->GetKeyCopy().typeName, c.typeName);
    EXPECT_EQ(c.light->GetDataSize(), c.size) << c.typeName;
  }
}

TEST_F(DocumentRecord, ASpotlightIsStoredBigEndianExceptItsMaterialWords) {
  auto* spot = MakeShape<C3dConeLight>(table);
  ASSERT_NE(spot, nullptr);
  spot->SetColour({0.25f, 0.5f, 0.75f});
  spot->SetIntensity(5.0);
  spot->SetRadius(2.5);
  spot->SetExponent(1.5);
  const uint32_t words[2] = {0x11223344, 0x55667788};
  {
    CHolder holder(spot, true, false);
    std::memcpy(spot->GetData() + 776, words, 8);
  }
  const Bytes bytes = Save(spot);
  ASSERT_EQ(bytes.size(), 792u);
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(bytes, 748)), 0.25f);
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(bytes, 752)), 0.5f);
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(bytes, 756)), 0.75f);
  EXPECT_EQ(BigDoubleAt(bytes, 760), 5.0);
  EXPECT_EQ(BigDoubleAt(bytes, 768), 2.5);
  EXPECT_EQ(BigDoubleAt(bytes, 784), 1.5);
  EXPECT_EQ(WordAt(bytes, 776), words[0]);
  EXPECT_EQ(WordAt(bytes, 780), words[1]);

  C3dBaseSys fresh(ObjectsEnv());
  auto* copy = Load<C3dConeLight>(spot->GetKey(), &fresh);
  ASSERT_TRUE(copy->Lock()) << copy->GetError();
  EXPECT_EQ(WordAt(Bytes(copy->GetData(), copy->GetData() + 792), 776), words[0]);
  copy->Unlock(false, false);
  EXPECT_EQ(copy->GetColour(), (vector3<float>{0.25f, 0.5f, 0.75f}));
  EXPECT_EQ(copy->GetIntensity(), 5.0);
  EXPECT_EQ(copy->GetRadius(), 2.5);
  EXPECT_EQ(copy->GetExponent(), 1.5);
  delete copy;
}

TEST_F(DocumentRecord, SquareBeamsStoreTwoFloatExponents) {
  auto* parallel = MakeShape<C3dCubeLight>(table);
  parallel->SetExponents(0.5f, 2.0f);
  const Bytes bytes = Save(parallel);
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(bytes, 784)), 0.5f);
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(bytes, 788)), 2.0f);
  C3dBaseSys fresh(ObjectsEnv());
  auto* copy = Load<C3dCubeLight>(parallel->GetKey(), &fresh);
  ASSERT_TRUE(copy->Lock());
  copy->Unlock(false, false);
  EXPECT_EQ(copy->GetExponentX(), 0.5f);
  EXPECT_EQ(copy->GetExponentZ(), 2.0f);
  delete copy;
}

TEST(LightRecordSwap, ARecordShorterThanItsClassIsRefused) {
  std::vector<uint8_t> record(792);
  C3dConeLight spot{SObjectKey{}};
  EXPECT_FALSE(spot.SwapRecord(record.data(), 791));
  C3dSphereLight radial{SObjectKey{}};
  EXPECT_FALSE(radial.SwapRecord(record.data(), 784));
  EXPECT_TRUE(radial.SwapRecord(record.data(), 785));
}

// ---- visible volumes

struct SVolumeCase {
  const char* name;
  C3dLight* light;
  uint32_t stateFlags;
  uint8_t filter;
  uint8_t skipLights;
  vector3<double> origin;
  vector3<double> direction;
  bool hit;
  double t;
};

void ExpectVolume(const SVolumeCase& c) {
  c.light->ClearStateFlags(~0u);
  c.light->SetStateFlags(c.stateFlags);
  CRenderStats stats;
  CRay ray = MakeRay(stats, c.origin, c.direction, c.filter);
  ray.fSkipLights = c.skipLights;
  EXPECT_EQ(c.light->Intersect(ray), c.hit) << c.name;
  if (c.hit) {
    EXPECT_NEAR(ray.fHitT, c.t, 1e-6) << c.name;
    EXPECT_EQ(ray.fHitObject, c.light) << c.name;
  }
}

TEST_F(Lights, RaysSeeAVolumeOnlyWhenTheLightShowsIt) {
  constexpr uint32_t kVisible = C3dLight::kVisible, kBeam = C3dLight::kUnboundedBeam;
  C3dLight* radial = NewLight<C3dSphereLight>();
  C3dLight* spot = NewLight<C3dConeLight>();
  C3dLight* parallel = NewLight<C3dCubeLight>();
  C3dLight* square = NewLight<C3dPyramidLight>();
  C3dLight* circular = NewLight<C3dCylinderLight>();
  C3dLight* sun = NewSun();
  // Where a ray up the square spotlight at x = 0.2 meets its side face x ≥ 0.
  const double side = 10.5 - 0.2 * 0.89443157274056 / 0.44720483191134;
  const SVolumeCase cases[] = {
      {"visible radial", radial, kVisible, 0, 0, {0, 0, 5}, {0, 0, -1}, true, 4},
      {"hidden radial, render ray", radial, 0, 0, 0, {0, 0, 5}, {0, 0, -1}, false, 0},
      {"hidden radial, pick ray", radial, 0, 1, 0, {0, 0, 5}, {0, 0, -1}, true, 4},
      {"ray skipping lights", radial, kVisible, 0, 1, {0, 0, 5}, {0, 0, -1}, false, 0},
      {"pick ray skipping lights", radial, kVisible, 1, 1, {0, 0, 5}, {0, 0, -1}, false, 0},
      {"excluded", radial, kVisible | C3dObject::kExcluded, 1, 0, {0, 0, 5}, {0, 0, -1}, false, 0},
      {"spot base", spot, kVisible, 0, 0, {0.5, -10, 0}, {0, 1, 0}, true, 9},
      {"spot beam", spot, kVisible | kBeam, 0, 0, {0.5, -10, 0}, {0, 1, 0}, true, 10},
      {"spot beam, pick ray", spot, kBeam, 1, 0, {0.5, -10, 0}, {0, 1, 0}, true, 9},
      {"spot beam, other filter", spot, kBeam, 2, 0, {0.5, -10, 0}, {0, 1, 0}, true, 10},
      {"parallel base", parallel, kVisible, 0, 0, {0, -10, 0}, {0, 1, 0}, true, 9.5},
      {"parallel beam from inside", parallel, kVisible | kBeam, 0, 0, {0, -10, 0}, {0, 1, 0}, true, 10.5},
      {"parallel beam from below", parallel, kVisible | kBeam, 0, 0, {0, -2000000, 0}, {0, 1, 0}, true, 1000000},
      {"square spot base", square, kVisible, 0, 0, {0.2, -10, 0}, {0, 1, 0}, true, 9.5},
      {"square spot beam", square, kVisible | kBeam, 0, 0, {0.2, -10, 0}, {0, 1, 0}, true, side},
      {"circular base", circular, kVisible, 0, 0, {0.5, -10, 0}, {0, 1, 0}, true, 9},
      {"circular beam", circular, kVisible | kBeam, 0, 0, {0.5, -10, 0}, {0, 1, 0}, true, 11},
      {"circular mantle", circular, kVisible | kBeam, 0, 0, {-5, -500, 0}, {1, 0, 0}, true, 4},
      {"the sun", sun, kVisible, 0, 0, {0, 0, 5}, {0, 0, -1}, false, 0},
      {"the sun, pick ray", sun, kVisible, 1, 0, {0, 0, 5}, {0, 0, -1}, false, 0},
  };
  for (const SVolumeCase& c : cases) ExpectVolume(c);
  EXPECT_TRUE(spot->IsUnbounded());
  EXPECT_FALSE(radial->IsUnbounded());
}

TEST_F(Lights, SpansFollowTheBeamRule) {
  auto* spot = NewLight<C3dConeLight>();
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0.5, -10, 0}, {0, 1, 0});
  CSpanList spans;
  ASSERT_TRUE(spot->IntersectSpans(ray, true, spans));
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_NEAR(spans[0].fT, 9, 1e-9);
  EXPECT_NEAR(spans[1].fT, 10, 1e-9);
  spans.clear();
  spot->SetStateFlags(C3dLight::kUnboundedBeam);
  ASSERT_TRUE(spot->IntersectSpans(ray, true, spans));
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_NEAR(spans[0].fT, 10, 1e-9);
  spot->SetStateFlags(C3dObject::kExcluded);
  EXPECT_FALSE(spot->IntersectSpans(ray, true, spans));
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
}

TEST_F(Lights, WorldBoxesReachTheAxisStroke) {
  struct SCase {
    C3dLight* light;
    C3dBox world;
    C3dBox local;
    uint32_t facets;
  } cases[] = {
      {NewLight<C3dSphereLight>(), {{-1, -1, -1}, {1, 1, 1}}, {{-1, -1, -1}, {1, 1, 1}}, 256},
      {NewLight<C3dConeLight>(), {{-1, -2, -1}, {1, 1, 1}}, {{-1, -1, -1}, {1, 1, 1}}, 32},
      {NewLight<C3dCubeLight>(), {{-0.5, -1, -0.5}, {0.5, 0.5, 0.5}}, {{-0.5, -0.5, -0.5}, {0.5, 0.5, 0.5}}, 6},
      {NewLight<C3dPyramidLight>(), {{-0.5, -1, -0.5}, {0.5, 0.5, 0.5}}, {{-0.5, -0.5, -0.5}, {0.5, 0.5, 0.5}}, 6},
      {NewLight<C3dCylinderLight>(), {{-1, -2, -1}, {1, 1, 1}}, {{-1, -1, -1}, {1, 1, 1}}, 32},
      {NewSun(), {{-1, -1, -1}, {1, 1, 1}}, {{-1, -1, -1}, {1, 1, 1}}, 0},
  };
  for (const SCase& c : cases) {
    const C3dBox box = c.light->WorldBox();
    ExpectNear(box.fMin, c.world.fMin, 1e-9, c.light->TypeName());
    ExpectNear(box.fMax, c.world.fMax, 1e-9, c.light->TypeName());
    EXPECT_EQ(c.light->LocalBox(), c.local) << c.light->TypeName();
    EXPECT_EQ(c.light->FacetCount(), c.facets) << c.light->TypeName();
  }
  // Placed lights take their box through the transform.
  C3dLight* moved = cases[1].light;
  Place(moved, {2, 1, 1}, {0, 10, 0});
  const C3dBox box = moved->WorldBox();
  ExpectNear(box.fMin, {-2, 8, -1}, 1e-9, "moved spotlight");
  ExpectNear(box.fMax, {2, 11, 1}, 1e-9, "moved spotlight");
}

// ---- class meshes

class LightMeshes : public LightTest {
 protected:
  void TearDown() override {
    C3dBaseSys::UnregisterAllClasses();
    LightTest::TearDown();
  }
  static uint32_t Vertices(C3dClassMesh* mesh) { return mesh ? mesh->GetVertices().GetCount() : 0; }
  static uint32_t Edges(C3dClassMesh* mesh) { return mesh ? mesh->GetEdges().GetCount() : 0; }
};

TEST_F(LightMeshes, EachLightHasOneFixedWireframe) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  struct SCase {
    const char* name;
    C3dClassMesh* (*mesh)();
    uint32_t vertices, edges;
  } cases[] = {
      {"radial", &C3dSphereLight::GetClassMesh, 42, 78},
      {"spot", &C3dConeLight::GetClassMesh, 9, 13},
      {"parallel", &C3dCubeLight::GetClassMesh, 10, 13},
      {"square spot", &C3dPyramidLight::GetClassMesh, 7, 9},
      {"circular parallel", &C3dCylinderLight::GetClassMesh, 14, 19},
  };
  for (const uint32_t detail : {8u, 32u}) {
    ASSERT_EQ(C3dBaseSys::ResetAllClasses(detail, 4, 16), 0);
    for (const SCase& c : cases) {
      EXPECT_EQ(Vertices(c.mesh()), c.vertices) << c.name;
      EXPECT_EQ(Edges(c.mesh()), c.edges) << c.name;
    }
  }
  // The axis stroke runs from the origin down the beam.
  C3dClassMesh* spot = C3dConeLight::GetClassMesh();
  CHolder vertices(&spot->GetVertices(), false, false);
  EXPECT_EQ(spot->GetVertices()[7].y, 0);
  EXPECT_EQ(spot->GetVertices()[8].y, -2);
}

TEST_F(LightMeshes, TheRegistryBuildsTheLightsAfterTheSphereInItsOrder) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  // A class without meshes stops the build there: the classes after it stay empty.
  C3dSphere::FreeClassMesh();
  EXPECT_EQ(C3dBaseSys::ResetAllClasses(8, 8, 8), 15);
  EXPECT_EQ(Vertices(C3dSphereLight::GetClassMesh()), 0u);
  ASSERT_EQ(C3dSphere::InitClassMesh(), 0);
  C3dConeLight::FreeClassMesh();
  EXPECT_EQ(C3dBaseSys::ResetAllClasses(8, 8, 8), 15);
  EXPECT_EQ(Vertices(C3dSphereLight::GetClassMesh()), 42u);
  EXPECT_EQ(Vertices(C3dCylinderLight::GetClassMesh()), 0u);
  ASSERT_EQ(C3dConeLight::InitClassMesh(), 0);
  C3dCubeLight::FreeClassMesh();
  EXPECT_EQ(C3dBaseSys::ResetAllClasses(8, 8, 8), 15);
  EXPECT_EQ(Vertices(C3dCylinderLight::GetClassMesh()), 14u);
  EXPECT_EQ(Vertices(C3dPyramidLight::GetClassMesh()), 0u);
}

TEST_F(LightMeshes, ALightDrawsItsWireframeWherePlaced) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 8, 8), 0);
  auto* spot = NewLight<C3dConeLight>();
  Place(spot, {1, 1, 1}, {0, 5, 0});
  CLineRecorder view;
  ASSERT_TRUE(spot->DrawWireframe(&view, C34Matrix(), 0, false));
  ASSERT_EQ(view.GetRecordedSegments().size(), 13u);
  const CLineRecorder::SSegment& axis = view.GetRecordedSegments().back();
  ExpectNear(axis.a, {0, 5, 0}, 1e-9, "axis start");
  ExpectNear(axis.b, {0, 3, 0}, 1e-9, "axis end");
}

}  // namespace
