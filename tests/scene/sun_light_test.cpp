#include "scene/sun_light.h"

#include <gtest/gtest.h>

#include <bit>

#include "light_fixture.h"
#include "document_record_fixture.h"

namespace {

using SunLight = LightTest;

TEST_F(SunLight, ANewSunStandsAtItsDefaultsWithARecordOfItsOwn) {
  C3dSunLight* sun = NewSun();
  ASSERT_NE(sun, nullptr);
  EXPECT_EQ(sun->GetDataSize(), 832u);
  ExpectNear(sun->GetDirection(), {0.742781, 0.557086, -0.371391}, 1e-6, "direction");
  EXPECT_EQ(sun->GetSunColour(), (vector3<float>{1, 1, 1}));
  EXPECT_EQ(sun->GetSecondSunColour(), (vector3<float>{1, 1, 1}));
  EXPECT_EQ(sun->GetColour(), (vector3<float>{1, 1, 1}));
  EXPECT_EQ(sun->GetIntensity(), 1.0);
  EXPECT_EQ(sun->GetRenderDirection(), sun->GetDirection());
  EXPECT_EQ(sun->GetRenderBrightness(), 1.0);
  vector3<float> colour;
  double intensity = 0;
  sun->Illuminate({123, -4, 5}, colour, intensity);
  EXPECT_EQ(colour, (vector3<float>{1, 1, 1}));
  EXPECT_EQ(intensity, 1.0);
  EXPECT_EQ(sun->GetMaterial(), kNoHandle);
  EXPECT_EQ(sun->Duplicate(table), nullptr);
}

TEST_F(SunLight, TheSunLightsWithoutFalloffAndCastsShadowsWhateverItsFlags) {
  C3dSunLight* sun = NewSun();
  auto* spot = NewLight<C3dConeLight>();
  EXPECT_TRUE(sun->HasNoFalloff());
  EXPECT_FALSE(sun->CastsNoShadow());
  EXPECT_EQ(sun->GetRadius(), 0);
  EXPECT_FALSE(spot->HasNoFalloff());
  EXPECT_FALSE(spot->CastsNoShadow());
  EXPECT_EQ(spot->GetRadius(), 1.0);
  for (C3dLight* light : {static_cast<C3dLight*>(sun), static_cast<C3dLight*>(spot)})
    light->SetStateFlags(C3dLight::kNoFalloff | C3dLight::kCastsNoShadow | C3dLight::kUnboundedBeam);
  EXPECT_TRUE(sun->HasNoFalloff());
  EXPECT_FALSE(sun->CastsNoShadow());
  EXPECT_FALSE(sun->IsUnbounded());
  EXPECT_TRUE(spot->HasNoFalloff());
  EXPECT_TRUE(spot->CastsNoShadow());
  EXPECT_FALSE(sun->IsSolid() || sun->IsClosed() || sun->IsClosedSolid());
}

TEST_F(SunLight, CopyFromTakesTheWholeSun) {
  C3dSunLight* source = NewSun();
  source->SetSunColour({0.5f, 0.25f, 0.125f});
  source->SetSecondSunColour({0.75f, 0.5f, 0.25f});
  source->SetDirection({0, 1, 0});
  source->SetColour({0.3f, 0.3f, 0.3f});
  source->SetIntensity(4.0);
  source->SetRenderValues({0, 0, 1}, {0.9f, 0.8f, 0.7f}, 2.5);
  source->SetTransformVector3({1, 2, 3});
  C3dSunLight* target = NewSun();
  ASSERT_EQ(target->CopyFrom(*source), 0);
  EXPECT_EQ(target->GetSunColour(), source->GetSunColour());
  EXPECT_EQ(target->GetSecondSunColour(), source->GetSecondSunColour());
  EXPECT_EQ(target->GetDirection(), source->GetDirection());
  EXPECT_EQ(target->GetColour(), source->GetColour());
  EXPECT_EQ(target->GetIntensity(), 4.0);
  EXPECT_EQ(target->GetRenderDirection(), (vector3<double>{0, 0, 1}));
  EXPECT_EQ(target->GetRenderColour(), (vector3<float>{0.9f, 0.8f, 0.7f}));
  EXPECT_EQ(target->GetRenderBrightness(), 2.5);
  ExpectNear(target->GetTransformVector3(), {1, 2, 3});
}

TEST_F(DocumentRecord, ASunStoresItsColoursAndDirectionBigEndian) {
  auto* sun = MakeObject<C3dSunLight>(table);
  ASSERT_NE(sun, nullptr);
  sun->SetSunColour({0.5f, 0.25f, 0.125f});
  sun->SetDirection({0.6, 0, -0.8});
  const Bytes bytes = Save(sun);
  ASSERT_EQ(bytes.size(), 832u);
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(bytes, 748)), 1.0f);  // the light's colour
  EXPECT_EQ(BigDoubleAt(bytes, 760), 1.0);                       // and intensity
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(bytes, 788)), 0.25f);
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(bytes, 796)), 1.0f);
  EXPECT_EQ(BigDoubleAt(bytes, 808), 0.6);
  EXPECT_EQ(BigDoubleAt(bytes, 824), -0.8);
  C3dBaseSys fresh(ObjectsEnv());
  auto* copy = Load<C3dSunLight>(sun->GetKey(), &fresh);
  ASSERT_TRUE(copy->Lock());
  copy->Unlock(false, false);
  EXPECT_EQ(copy->GetSunColour(), (vector3<float>{0.5f, 0.25f, 0.125f}));
  EXPECT_EQ(copy->GetDirection(), (vector3<double>{0.6, 0, -0.8}));
  delete copy;
}

}  // namespace
