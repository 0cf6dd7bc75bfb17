// The light items: five classes of white light, each with a material of its own.
#include <gtest/gtest.h>

#include "scene/light.h"
#include "scene/object_family.h"
#include "tests/app/doc_create_fixture.h"

namespace {

using DocCreateLights = DocCreateTest;

TEST_F(DocCreateLights, EachLightItemMakesAWhiteLightWithAMaterialOfItsOwn) {
  struct {
    const char* item;
    bool control;
    const char* typeName;
    bool classValue;  // whether the class part begins with a value, written 0
  } cases[] = {
      {"radial light", false, "C3dSphereLight", false}, {"spotlight", false, "C3dConeLight", true},
      {"square spotlight", false, "C3dPyrLightType", true}, {"parallel light", false, "C3dCubeLight", true},
      {"parallel light", true, "C3dCylLight", true},
  };
  Made();
  for (const auto& c : cases) {
    const std::string what = std::string(c.item) + (c.control ? " with Ctrl" : "");
    if (c.control) HoldControl(true);
    const size_t materials = MaterialCount();
    ASSERT_EQ(Create(c.item), kHandled) << what;
    if (c.control) HoldControl(false);
    auto* light = dynamic_cast<C3dLight*>(Selected());
    ASSERT_NE(light, nullptr) << what;
    EXPECT_STREQ(light->TypeName(), c.typeName) << what;
    EXPECT_EQ(Recorded(), std::vector<C3dObject*>{light}) << what;
    {
      CHolder lock(light, false, false);
      EXPECT_EQ(light->GetColour(), (vector3<float>{1, 1, 1})) << what;
      EXPECT_EQ(light->GetIntensity(), 5.0) << what;
      EXPECT_EQ(light->GetRadius(), 1.0) << what;
      if (auto* round = dynamic_cast<C3dRoundBeamLight*>(light)) {
        EXPECT_EQ(round->GetExponent(), 0.0) << what;
      }
      if (auto* square = dynamic_cast<C3dSquareBeamLight*>(light)) {
        EXPECT_EQ(square->GetExponentX(), 0.0f) << what;
        EXPECT_EQ(square->GetExponentZ(), 0.0f) << what;
      }
      EXPECT_EQ(c.classValue, dynamic_cast<C3dRoundBeamLight*>(light) || dynamic_cast<C3dSquareBeamLight*>(light))
          << what;
      EXPECT_EQ(light->GetStateFlags() & 0x1100u, 0x1100u) << what;
      EXPECT_EQ(light->GetTransformVector3(), (vector3<double>{0, 1, 0})) << what;
      ExpectNear(light->GetScaledSize(), {2, 2, 2}, what, 1e-6);
      EXPECT_EQ(light->GetTransformVector2(), (vector3<double>{0, 0, 0})) << what;
      EXPECT_EQ(light->GetCreationWord(0), 3u) << what;
      EXPECT_EQ(light->GetCreationWord(1), 0xfcef07u) << what;
    }
    C3dMaterial* material = MaterialOf(light);
    ASSERT_NE(material, nullptr) << what;
    EXPECT_EQ(MaterialCount(), materials + 1) << what;
    CHolder lock(material, false, false);
    const SMaterialSample& sample = material->GetRecord().sample;
    EXPECT_TRUE(sample.flags & 4) << what;
    EXPECT_EQ(sample.transparency, 0.5) << what;
    EXPECT_EQ(sample.diffuseColour, (vector3<float>{1, 1, 1})) << what;
  }
}

// The material is made before the light: when the light cannot be made, the material goes again.
TEST_F(DocCreateLights, ALightThatCannotBeMadeLeavesNoMaterialBehind) {
  CCreateTestWindow& w = MadeCreateWindow();
  w.table->refusedFamily = C3dLight::kFamily;
  const size_t materials = MaterialCount();
  const size_t lights = Things(C3dLight::kFamily).size();
  auto* previous = History().GetCurrentAction();
  Selection().DeselectAll(1);
  EXPECT_EQ(Create("spotlight"), kErrExpansion);
  EXPECT_EQ(MaterialCount(), materials);
  EXPECT_EQ(Things(C3dLight::kFamily).size(), lights);
  EXPECT_EQ(Selection().GetCount(), 0u);
  EXPECT_EQ(History().GetCurrentAction(), previous);
}

}  // namespace
