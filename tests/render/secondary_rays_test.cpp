#include "render/secondary_rays.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/phong_ext.h"
#include "tests/render/render_fixture.h"

namespace {

TEST(SecondaryRays, RefractionBendsByTheRatioOrReflectsTotally) {
  const struct {
    vector3<double> direction;
    double ratio;
    bool total;
    vector3<double> refracted;
  } cases[] = {
      {{0.707107, -0.707107, 0}, 1 / 1.5, false, {0.471405, -0.881917, 0}},
      {{0, -1, 0}, 1 / 1.5, false, {0, -1, 0}},
      {{0.6, -0.8, 0}, 1, false, {0.6, -0.8, 0}},
      // Out of glass at a grazing angle: 1.5² × (1 − 0.19) > 1.
      {{0.9, -0.43589, 0}, 1.5, true, {0.9, -0.43589, 0}},
  };
  for (const auto& c : cases) {
    vector3<double> refracted;
    EXPECT_EQ(RefractDirection(c.direction, {0, 1, 0}, c.ratio, refracted), c.total) << c.ratio;
    ExpectNear(refracted, c.refracted, 1e-6, "refracted");
  }
}

TEST(SecondaryRays, MediaKeepLessLightTheDenserAndLongerThePath) {
  EXPECT_EQ(MediumTransmission(1, 1000), 1);
  EXPECT_EQ(MediumTransmission(0.5, 1000), 1);
  EXPECT_NEAR(MediumTransmission(1.5, 10), 1 - (1 - std::exp(-2.0)) * 0.1, 1e-9);
  EXPECT_EQ(MediumTransmission(1.5, 1e6), 0);
}

class PhongWeights : public ::testing::Test {
 protected:
  CRay HitAt(vector3<double> direction) {
    CRay ray;
    ray.fDirection = direction * (1 / std::sqrt(Dot(direction, direction)));
    ray.fHit.fShadingNormal = ray.fHit.fNormal = {0, 1, 0};
    return ray;
  }
  C3dPhongExt model;
};

class IllumModelDefault : public SceneTest {};

TEST_F(IllumModelDefault, TheOneModelIsEveryMaterialsOnceARenderContextExists) {
  // A material made before any render context must not keep the unlit stand-in.
  C3dMaterial* material = MaterialOf(NewSphere());
  ASSERT_NE(material, nullptr);
  CRenderContext context(0, 0, 0, 0);
  EXPECT_EQ(&C3dIllumModel::Default(), &C3dPhongExt::Shared());
  EXPECT_EQ(&material->GetIllumModel(), &C3dPhongExt::Shared());
}

TEST_F(PhongWeights, TheFilterOfGlassTakesOnItsDiffuseColour) {
  SMaterialSample sample;
  sample.refractionIndex = 1.5;
  sample.diffuseColour = {0.499f, 0.499f, 0.499f};
  sample.transparentColour = {1, 1, 1};
  sample.transparency = 0.8;
  vector3<float> colour;
  double amount = 0;
  model.GetFilter(HitAt({0, -1, 0}), sample, colour, amount);
  for (const float c : {colour.x, colour.y, colour.z}) EXPECT_NEAR(c, 0.610788, 1e-6);
  EXPECT_DOUBLE_EQ(amount, 0.8);
  // Thinner than air: no tint.
  sample.refractionIndex = 0.5;
  model.GetFilter(HitAt({0, -1, 0}), sample, colour, amount);
  EXPECT_EQ(colour, (vector3<float>{1, 1, 1}));
}

TEST_F(PhongWeights, EdgesMoveLightFromTransmissionToReflection) {
  SMaterialSample sample;
  sample.transparency = 0.5;
  sample.reflection = 0.1;
  sample.transparentColour = {0.2f, 0.4f, 0.6f};
  sample.edgeAmount = 0.5;
  sample.edgeExponent = 1;
  vector3<float> colour;
  double transmitted = 0, filtered = 0, reflected = 0;
  // Straight on (a = 1) the edge term is 1; at 60° off the normal (a = 0.5) it keeps 0.75.
  const CRay head = HitAt({0, -1, 0}), slant = HitAt({std::sqrt(0.75), -0.5, 0});
  model.GetTransmission(head, sample, colour, transmitted);
  EXPECT_DOUBLE_EQ(transmitted, 0.5);
  EXPECT_EQ(colour, sample.transparentColour);
  model.GetTransmission(slant, sample, colour, transmitted);
  model.GetFilter(slant, sample, colour, filtered);
  model.GetReflection(slant, sample, colour, reflected);
  EXPECT_NEAR(transmitted, 0.375, 1e-9);
  EXPECT_NEAR(filtered, 0.375, 1e-9);
  EXPECT_NEAR(reflected, 0.1 + 0.125, 1e-9);
  EXPECT_EQ(colour, (vector3<float>{1, 1, 1}));

  // Edge gain raises transmission where the surface faces the ray.
  sample.edgeGain = 1;
  sample.edgeGainExponent = 2;
  model.GetTransmission(head, sample, colour, transmitted);
  EXPECT_DOUBLE_EQ(transmitted, 1.0);
}

TEST_F(PhongWeights, MetalTintsReflectionsWithItsDiffuseColour) {
  SMaterialSample sample;
  sample.reflection = 1;
  sample.metallicity = 1;
  sample.metallicityExponent = 0;
  sample.diffuseColour = {1, 0.5f, 0};
  vector3<float> colour;
  double amount = 0;
  model.GetReflection(HitAt({0, -1, 0}), sample, colour, amount);
  EXPECT_EQ(colour, (vector3<float>{1, 0.5f, 0}));
  EXPECT_EQ(amount, 1);
}

class SecondaryRaysInScene : public RenderTest {};

TEST_F(SecondaryRaysInScene, PathAbsorptionGrowsWithTheCubeOfThePath) {
  C3dSphere* sphere = NewSphere({1, 1, 1}, {3, 0, 0});  // a local box 2 wide
  const struct {
    vector3<double> exit;
    double density;
    double absorbed;
  } cases[] = {
      {{4, 0, 0}, 0, 0.578704},     // (1 / (0.6 × 2))³
      {{4, 0, 0}, 1, 1 / 27.0},     // (1 / (1.5 × 2))³
      {{3.5, 0, 0}, 0, 0.0723380},  // half the path: an eighth
      {{9, 0, 0}, 0, 1},            // never more than 1
  };
  for (const auto& c : cases)
    EXPECT_NEAR(PathAbsorption({3, 0, 0}, c.exit, *sphere, c.density), c.absorbed, 1e-6) << c.density;
  // A larger sphere is thicker: the same path absorbs less.
  C3dSphere* large = NewSphere({2, 2, 2}, {3, 0, 0});
  EXPECT_NEAR(PathAbsorption({3, 0, 0}, {4, 0, 0}, *large, 0), 0.578704 / 8, 1e-6);
  CTestSolid* flat = NewSolid({{0, 0, 0}, {0, 0, 0}});
  EXPECT_EQ(PathAbsorption({0, 0, 0}, {0, 0, 0}, *flat, 0), 1);
}

TEST_F(SecondaryRaysInScene, AContinuingRayEntersWhatItHits) {
  C3dSphere* outer = NewSphere({3, 3, 3});
  CRay entering;
  entering.fHitObject = outer;
  bool in = false, out = false;
  C3dObject *medium = nullptr, *part = nullptr;
  NextMedium(entering, in, out, medium, part);
  EXPECT_TRUE(in);
  EXPECT_FALSE(out);
  EXPECT_EQ(medium, outer);
  EXPECT_EQ(entering.fEntering, 1);

  CRay none;
  NextMedium(none, in, out, medium, part);
  EXPECT_FALSE(in || out);
  EXPECT_EQ(medium, nullptr);
}

TEST_F(SecondaryRaysInScene, TheRefractiveIndexOfAMediumComesFromItsMaterial) {
  C3dSphere* glass = NewSphere();
  ChangeMaterial(glass, [](SMaterialRecord& r) { r.sample.refractionIndex = 1.5; });
  EXPECT_EQ(RefractiveIndexOf(nullptr, nullptr), 1);
  EXPECT_EQ(RefractiveIndexOf(glass, nullptr), 1.5);
  ChangeMaterial(glass, [](SMaterialRecord& r) { r.sample.flags |= SMaterialSample::kGlassLike; });
  EXPECT_EQ(RefractiveIndexOf(glass, nullptr), 1);
  CTestSolid* bare = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  EXPECT_EQ(RefractiveIndexOf(bare, nullptr), 1);
}

}  // namespace
