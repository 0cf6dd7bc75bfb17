// Lights made through their factories, a template material whose sample the tests choose, and a
// probe that shows where a light's textured material would be evaluated.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "scene/cone_light.h"
#include "scene/cube_light.h"
#include "scene/cylinder_light.h"
#include "scene/pyramid_light.h"
#include "scene/sphere_light.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"
#include "scene_fixture.h"

// A light of class T whose slide is open to the tests.
template <typename T>
class CSlideProbe : public T {
 public:
  using T::T;
  SLightSlide Slide(const vector3<double>& local) const { return this->SlideAt(local); }
};

class LightTest : public SceneTest {
 protected:
  void TearDown() override {
    for (C3dMaterial* material : templates) delete material;
    SceneTest::TearDown();
  }

  template <typename T>
  T* NewLight(Handle32 material = kNoHandle, CSpoolSys* environment = nullptr) {
    T* light = MakeShape<T>(table, environment, material);
    if (light) {
      light->SetColour({0.1f, 0.2f, 0.3f});
      light->SetIntensity(2.0);
    }
    return light;
  }
  // One of each shaped light, in the registry's order.
  std::vector<C3dShapedLight*> NewShapedLights(Handle32 material = kNoHandle) {
    return {NewLight<C3dSphereLight>(material), NewLight<C3dConeLight>(material), NewLight<C3dCylinderLight>(material),
            NewLight<C3dCubeLight>(material), NewLight<C3dPyramidLight>(material)};
  }
  C3dSunLight* NewSun(C3dBaseSys* into = nullptr, CSpoolSys* environment = nullptr) {
    return MakeObject<C3dSunLight>(into ? into : table, environment);
  }

  // A material outside the table with the diffuse colour the test gives. A textured one holds a 3D
  // texture in its first component, which its diffusion reads so that copies keep it; the texture
  // lies in the table ahead of the lights, whose materials give their uses back before it goes.
  C3dMaterial* NewTemplateMaterial(uint32_t flags, vector3<float> diffuse) {
    C3dMaterial* material = MakeObject<C3dMaterial>(nullptr);
    CHolder holder(material, true, false);
    SMaterialRecord& record = material->GetRecord();
    record.sample.diffuseColour = diffuse;
    if (flags & C3dMaterial::kTexturedFlag) {
      EXPECT_EQ(material->SetChannelTexture(MakeObject<C3dTexture>(table), 0), 0);
      record.sources[C3dMaterial::kDiffusionSource] = 1;
    }
    templates.push_back(material);
    return material;
  }

  std::vector<C3dMaterial*> templates;
};
