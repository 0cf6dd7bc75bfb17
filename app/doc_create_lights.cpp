// The create operations of the lights: a white light of its class's defaults with a half transparent
// white material of its own, placed like every new object, in the lights' family, selected alone.
#include "app/doc_window.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/base_sys.h"
#include "scene/cone_light.h"
#include "scene/cube_light.h"
#include "scene/cylinder_light.h"
#include "scene/factory.h"
#include "scene/light.h"
#include "scene/pyramid_light.h"
#include "scene/sphere_light.h"
#include "scene/surface/material.h"

namespace {

CSpoolSys* ObjectsEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetObjectsEnv() : nullptr;
}

template <typename T>
int32_t CreateLight(CDocWindow& window) {
  CBusyCursor busy;
  C3dBaseSys* scene = window.GetSceneTable();
  SObjectKey materialKey;
  SSpoolTableSpec materialSpec;
  MakeCreationKey<C3dMaterial>(ObjectsEnvironment(), materialKey, materialSpec);
  C3dMaterial* material = nullptr;
  if (const int32_t err = C3dMaterial::New(&material, scene, materialKey, materialSpec)) return err;

  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(ObjectsEnvironment(), key, spec);
  T* light = nullptr;
  if (const int32_t err = T::New(&light, scene, key, spec)) {
    // Nothing would ever use the material.
    if (scene->RemoveObject(material, true, false) != kNoErr) delete material;
    return err;
  }
  light->SetMaterial(material->GetHandle());
  CHolder lock(light, true, false);
  if (!lock.IsLocked()) return NonZeroError(light->GetError());
  SetNewLightShine(*light);
  ClearLightClassValue(*light);
  SetNewLightRoles(*light);
  vector3<double> position{0, 1, 0};
  window.PlaceNewObject(&position);
  light->SetTransformVector3(position);
  light->SetScaledSize({2, 2, 2});
  light->SetTransformVector2({0, 0, 0});
  CHolder materialLock(material, true, false);
  if (materialLock.IsLocked()) {
    SMaterialSample& sample = material->GetRecord().sample;
    SetNewLightMaterial(sample);
    sample.diffuseColour = light->GetColour();
  }
  return window.SelectNewObject(light);
}

}  // namespace

int32_t CDocWindow::CreateRadialLight() { return CreateLight<C3dSphereLight>(*this); }

int32_t CDocWindow::CreateSpotLight() { return CreateLight<C3dConeLight>(*this); }

int32_t CDocWindow::CreateSquareSpotLight() { return CreateLight<C3dPyramidLight>(*this); }

int32_t CDocWindow::CreateParallelLight() { return CreateLight<C3dCubeLight>(*this); }

int32_t CDocWindow::CreateCylinderLight() { return CreateLight<C3dCylinderLight>(*this); }
