// The actions that take back changes of existing objects: materials, lights, tori and attributes.
#include <gtest/gtest.h>

#include <memory>

#include "editing/attributes_action.h"
#include "editing/light_action.h"
#include "editing/material_action.h"
#include "editing/torus_action.h"
#include "scene/cone_light.h"
#include "scene/pyramid_light.h"
#include "scene/surface/texture.h"
#include "scene/torus.h"
#include "tests/editing/editing_fixture.h"

namespace {

class StateActionsTest : public EditingTest {
 protected:
  CUndoHistory& History() { return document->GetUndoHistory(); }
  static void SetDiffusion(C3dObject* object, double diffusion) {
    C3dMaterial* material = MaterialOf(object);
    CHolder holder(material, true, false);
    material->GetRecord().sample.diffusion = diffusion;
  }
  static double Diffusion(C3dObject* object) {
    C3dMaterial* material = MaterialOf(object);
    CHolder holder(material, false, false);
    return material->GetRecord().sample.diffusion;
  }
};

// Undone, each object gets its own former material; redone, each its own of just before the Undo.
TEST_F(StateActionsTest, AMaterialChangeUndoesAndRedoesEachObjectToItsOwnMaterial) {
  std::vector<C3dObject*> spheres{NewSphere(), NewSphere(), NewSphere()};
  auto* action = new CMaterialAction;
  for (size_t i = 0; i < spheres.size(); ++i) {
    SetDiffusion(spheres[i], 0.1 * double(i + 1));
    ASSERT_EQ(action->AddObject(spheres[i]), 0);
  }
  for (C3dObject* sphere : spheres) SetDiffusion(sphere, 0.9);
  ASSERT_EQ(History().Push(action), 0);
  for (size_t i = 0; i < spheres.size(); ++i) SetDiffusion(spheres[i], 0.5 + 0.1 * double(i));

  ASSERT_EQ(History().Undo(), 0);
  for (size_t i = 0; i < spheres.size(); ++i) EXPECT_DOUBLE_EQ(Diffusion(spheres[i]), 0.1 * double(i + 1)) << i;
  ASSERT_EQ(History().Redo(), 0);
  for (size_t i = 0; i < spheres.size(); ++i) EXPECT_DOUBLE_EQ(Diffusion(spheres[i]), 0.5 + 0.1 * double(i)) << i;
}

// The copies the action keeps count their texture's uses and give every one back with the action.
TEST_F(StateActionsTest, AMaterialActionGivesBackEveryTextureUseItTook) {
  C3dTexture* texture = MakeObject<C3dTexture>(table);
  C3dSphere* sphere = NewSphere();
  C3dMaterial* material = MaterialOf(sphere);
  {
    CHolder holder(material, true, false);
    ASSERT_EQ(material->SetChannelTexture(texture, 0), 0);
    material->GetRecord().sources[C3dMaterial::kDiffusionSource] = 1;
  }
  ASSERT_EQ(material->AddTextureRefs(), 0);
  const uint32_t uses = texture->GetOwnUseCount() - (material->IsUseCounted(0) ? 1 : 0);
  {
    CMaterialAction action;
    ASSERT_EQ(action.AddObject(sphere), 0);
    EXPECT_GT(texture->GetOwnUseCount(), uses);
    ASSERT_EQ(action.Undo(), 0);
    ASSERT_EQ(action.Redo(), 0);
    EXPECT_EQ(material->GetChannelTexture(0), texture);
  }
  // What is left is the use the sphere's own material counts, if it counts one.
  EXPECT_EQ(texture->GetOwnUseCount(), uses + (material->IsUseCounted(0) ? 1 : 0));
}

TEST_F(StateActionsTest, AnObjectWithoutAMaterialIsListedAndLeftAlone) {
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  C3dSphere* sphere = NewSphere();
  CMaterialAction action;
  ASSERT_EQ(action.AddObject(camera), 0);
  ASSERT_EQ(action.AddObject(sphere), 0);
  SetDiffusion(sphere, 0.25);
  EXPECT_EQ(action.Undo(), 0);
  EXPECT_NE(Diffusion(sphere), 0.25);
}

// Intensity 37.8 and colour 0.5 come back exactly, the spreads in their own types.
TEST_F(StateActionsTest, ALightsValuesAndMaterialComeBackExactly) {
  C3dConeLight* cone = MakeShape<C3dConeLight>(table);
  C3dPyramidLight* square = MakeShape<C3dPyramidLight>(table);
  ASSERT_TRUE(cone && square);
  cone->SetIntensity(37.8);
  cone->SetColour({0.5f, 0.25f, 0.3f});
  cone->SetExponent(2.75);
  cone->SetStateFlags(C3dLight::kCastsNoShadow);
  square->SetIntensity(3.3);
  square->SetExponents(1.5f, 2.25f);
  SetDiffusion(cone, 0.125);
  auto* action = new CLightAction;
  ASSERT_EQ(action->AddObject(cone), 0);
  ASSERT_EQ(action->AddObject(square), 0);
  for (C3dLight* light : {static_cast<C3dLight*>(cone), static_cast<C3dLight*>(square)}) {
    light->SetIntensity(10);
    light->SetColour({1, 1, 1});
    light->SetStateFlags(C3dLight::kVisible);
    light->ClearStateFlags(C3dLight::kCastsNoShadow);
  }
  cone->SetExponent(7);
  square->SetExponents(9, 9);
  SetDiffusion(cone, 0.75);
  ASSERT_EQ(History().Push(action), 0);
  square->SetIntensity(11);

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(cone->GetIntensity(), 37.8);
  EXPECT_EQ(cone->GetColour(), (vector3<float>{0.5f, 0.25f, 0.3f}));
  EXPECT_EQ(cone->GetExponent(), 2.75);
  EXPECT_EQ(cone->GetStateFlags() & (C3dLight::kVisible | C3dLight::kCastsNoShadow), C3dLight::kCastsNoShadow);
  EXPECT_EQ(Diffusion(cone), 0.125);
  EXPECT_EQ(square->GetIntensity(), 3.3);
  EXPECT_EQ(square->GetExponentX(), 1.5f);
  EXPECT_EQ(square->GetExponentZ(), 2.25f);

  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(cone->GetIntensity(), 10);
  EXPECT_EQ(square->GetIntensity(), 11);
  EXPECT_EQ(cone->GetExponent(), 7);
  EXPECT_EQ(square->GetExponentX(), 9.0f);
  EXPECT_EQ(cone->GetStateFlags() & C3dLight::kVisible, C3dLight::kVisible);
  EXPECT_EQ(Diffusion(cone), 0.75);
}

// Each torus is redone to its own radii, its box with them.
TEST_F(StateActionsTest, ATorusEditRedoesEachTorusToItsOwnRadii) {
  C3dTorus* first = MakeShape<C3dTorus>(table);
  C3dTorus* second = MakeShape<C3dTorus>(table);
  ASSERT_TRUE(first && second);
  first->SetMajorRadius(3);
  first->SetMinorRadius(1);
  second->SetMajorRadius(5);
  second->SetMinorRadius(0.5);
  auto* action = new CTorusAction;
  ASSERT_EQ(action->AddObject(first), 0);
  ASSERT_EQ(action->AddObject(second), 0);
  first->SetMajorRadius(6);
  first->SetMinorRadius(1.5);
  second->SetMajorRadius(7);
  second->SetMinorRadius(0.25);
  ASSERT_EQ(History().Push(action), 0);

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(first->GetMajorRadius(), 3);
  EXPECT_EQ(first->GetMinorRadius(), 1);
  EXPECT_EQ(first->LocalBox().fMin, (vector3<double>{-4, -1, -4}));
  EXPECT_EQ(first->LocalBox().fMax, (vector3<double>{4, 1, 4}));
  EXPECT_EQ(second->GetMajorRadius(), 5);
  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(first->GetMajorRadius(), 6);
  EXPECT_EQ(first->GetMinorRadius(), 1.5);
  EXPECT_EQ(second->GetMajorRadius(), 7);
  EXPECT_EQ(second->GetMinorRadius(), 0.25);
  EXPECT_EQ(second->LocalBox().fMax, (vector3<double>{7.25, 0.25, 7.25}));
}

// One step takes back the move and the attributes: the roles, the lock in both flag words and the
// drawing as a box, for a group's members as well.
TEST_F(StateActionsTest, AnAttributesEditThatAlsoMovedTheObjectIsUndoneInOneStep) {
  C3dSphere* member = NewSphere({1, 1, 1}, {1, 0, 0});
  C3dGroup* group = NewGroup({member, NewSphere()});
  member->SetStateFlags(C3dObject::kPositive);
  auto* action = new CAttributesAction;
  ASSERT_EQ(action->AddObject(group), 0);
  ASSERT_EQ(action->GetTransforms().GetObjects().GetCount(), 3u);
  group->Translate({0, 2, 0});
  member->SetStateFlags(C3dObject::kPositive, false);
  member->SetStateFlags(C3dObject::kNegative | C3dObject::kNotPickable);
  member->SetFlags(C3dObject::kTransformLocked | C3dObject::kHidden);
  ASSERT_EQ(History().Push(action), 0);

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(member->GetTransformVector3(), (vector3<double>{1, 0, 0}));
  EXPECT_EQ(member->GetStateFlags() & (C3dObject::kRoles | C3dObject::kNotPickable), C3dObject::kPositive);
  EXPECT_EQ(member->GetFlags() & (C3dObject::kTransformLocked | C3dObject::kHidden), 0u);

  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(member->GetTransformVector3(), (vector3<double>{1, 2, 0}));
  EXPECT_EQ(member->GetStateFlags() & (C3dObject::kRoles | C3dObject::kNotPickable),
            C3dObject::kNegative | C3dObject::kNotPickable);
  EXPECT_EQ(member->GetFlags() & (C3dObject::kTransformLocked | C3dObject::kHidden),
            C3dObject::kTransformLocked | C3dObject::kHidden);
}

}  // namespace
