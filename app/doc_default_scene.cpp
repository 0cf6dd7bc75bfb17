// A new document's scene things (the ground plane, the sun, the sky with its two cloud textures and
// the picture texture "leo") and the render lists collected from the scene table.
#include <cmath>

#include "app/doc_window.h"
#include "app/layout_needs.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "framework/ui/im_element.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/light.h"
#include "scene/object_family.h"
#include "scene/plane.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"

namespace {

constexpr const char* kPictureName = "leo";
// The texture library's cloud textures when it has no "cloud texture names" list.
constexpr const char* kDefaultCloudTextures[2] = {"Stratus", "Cumulus"};

// The ground lies 2^-10 above the origin, so that objects standing on y = 0 are not hidden in it.
constexpr vector3<double> kGroundPosition{0, 0.0009765625, 0};
constexpr vector3<double> kGroundSize{16, 0, 16};
constexpr int32_t kGroundFamily = 0;
constexpr vector3<double> kTowardsSun{40, 30, -20};
constexpr uint32_t kSunStateFlags = 0x100 | 0x400;

CSpoolSys* ObjectsEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetObjectsEnv() : nullptr;
}

int32_t LockError(const C3dBase* thing) { return NonZeroError(thing->GetError()); }

}  // namespace

int32_t CDocWindow::ReadStoredImage(CResourceEnv* environment, const SSpoolKey& key, CImage** image) {
  SGridLayout grid;
  MakeImageGridSpec(grid, environment, 0, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  return LoadImageRecord(image, grid, spec, false, true);
}

// The ground takes a material of its own in the scene, a copy of the default material.
Handle32 CDocWindow::DefaultMaterialHandle() const {
  return fDefaultMaterial ? fDefaultMaterial->GetHandle() : kNoHandle;
}

int32_t CDocWindow::CreateDefaultGround() {
  C3dPlane* plane = nullptr;
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dPlane>(ObjectsEnvironment(), key, spec);
  if (const int32_t err = NewShape(&plane, fScene.get(), key, spec, DefaultMaterialHandle())) return err;
  {
    CHolder lock(plane, true, false);
    if (!lock.IsLocked()) return LockError(plane);
    plane->SetTransformVector3(kGroundPosition);
    plane->SetScaledSize(kGroundSize);
    plane->SetTransformVector2({0, 0, 0});
    plane->SetWireDetail(0);
    SetObjectFamily(*plane, kGroundFamily);
  }
  if (const int32_t err = CreateDefaultSun()) return err;
  return FindSceneParts(true);
}

int32_t CDocWindow::CreateDefaultSun() {
  if (const int32_t err = AppendNew(&fSun, fScene.get(), ObjectsEnvironment())) return err;
  C3dSunLight& sun = *fSun;
  CHolder lock(&sun, true, false);
  if (!lock.IsLocked()) return LockError(&sun);
  if (const int32_t err = GiveNewMaterial(&sun, fScene.get(), ObjectsEnvironment(), DefaultMaterialHandle()))
    return err;
  constexpr vector3<float> kWhite{1, 1, 1};
  sun.SetColour(kWhite);
  sun.SetIntensity(1.0);
  sun.SetRadius(1.0);
  sun.SetSunColour(kWhite);
  sun.SetSecondSunColour(kWhite);
  sun.SetDirection(kTowardsSun * (1.0 / std::sqrt(Dot(kTowardsSun, kTowardsSun))));
  sun.ClearFlags(0xFFFFFFFF);
  sun.ClearStateFlags(0xFFFFFFFF);
  sun.SetStateFlags(kSunStateFlags);
  sun.SetWireDetail(0);
  SetObjectFamily(sun, kGroundFamily);
  sun.GetReference().Reset();
  sun.GetPlacement().Reset();
  sun.SetTransformVector3({0, 0, 0});
  NameThing(sun, kSunName);
  return kNoErr;
}

int32_t CDocWindow::SetUpSky(CResourceEnv* textures) {
  if (!fSky) return kErrInvalidParameter;
  CHolder lock(fSky, true, false);
  if (!lock.IsLocked()) return LockError(fSky);
  fSky->InitDefaults();
  NameThing(*fSky, kSkyName);
  if (!textures || !textures->IsOpen()) return kNoErr;
  CIxTextLocal names(textures, need::kCloudTextureNames.name, CIxText::kNone);
  const bool listed = names.GetResult() == kNoErr && names.Count() >= need::kCloudTextureNames.entries;
  for (int layer = 0; layer < 2; ++layer) {
    const char* name = listed ? names.TextAt(uint32_t(layer)) : kDefaultCloudTextures[layer];
    CBaseTexture* texture = nullptr;
    if (const int32_t err = CBaseTexture::CopyByName(C3dTexture::kClassTag, name, textures, &texture, false))
      return err;
    if (const int32_t err = fScene->AddObject(texture)) {
      delete texture;
      return err;
    }
    {
      CHolder named(texture, true, false);
      if (!named.IsLocked()) return LockError(texture);
      NameThing(*texture, kCloudTextureNames[layer]);
    }
    fSky->SetCloudTexture(static_cast<C3dTexture*>(texture), layer);
  }
  return kNoErr;
}

int32_t CDocWindow::CreateDefaultPicture() {
  SObjectKey textureKey;
  SSpoolTableSpec spec;
  MakeCreationKey<CPictTexture>(ObjectsEnvironment(), textureKey, spec);
  CPictTexture* texture = nullptr;
  if (const int32_t err = CPictTexture::New(&texture, fScene.get(), textureKey, spec)) return err;
  {
    CHolder lock(texture, true, false);
    if (!lock.IsLocked()) return LockError(texture);
    NameThing(*texture, kPictureName);
  }
  SSpoolKey key;
  key.SetByName(kImageType, need::kDefaultPicture.name, false);
  CImage* picture = nullptr;
  if (const int32_t err = ReadStoredImage(GetResourceEnvironment(), key, &picture)) return err;
  C3dCImage& target = texture->GetPicture();
  int32_t result = target.Allocate(picture->GetWidth(), picture->GetHeight(), 0, false, false) ? kNoErr
                                                                                            : kErrOutOfMemory;
  if (!result && !target.CopyFrom(picture)) result = NonZeroError(target.GetError());
  delete picture;
  return result;
}

int32_t CDocWindow::FindSceneParts(bool relink) {
  SetFlags(kUnsavedChanges);
  C3dBaseSys* scene = fScene.get();
  if (!scene) return kErrInvalidParameter;
  if (const int32_t err = scene->CollectByType(C3dCamera::kFamily, fCameras.get(), false)) return err;
  if (const int32_t err = scene->CollectByType(C3dBaseSys::kObjectFamily, fObjects.get(), false)) return err;
  if (const int32_t err = scene->CollectByTypeExcept(C3dLight::kFamily, fObjects.get(), C3dLight::kFamily,
                                                     C3dSunLight::kClassTag, true))
    return err;
  CHolder objects(fObjects.get(), true, false);
  if (!objects.IsLocked()) return kErrOutOfMemory;
  C3dBase* perspective = fViewCameras[kPerspective];
  if (perspective && !fObjects->Append(&perspective)) return kErrOutOfMemory;
  if (const int32_t err = scene->CollectByType(C3dLight::kFamily, fLights.get(), false)) return err;
  if (const int32_t err =
          scene->CollectByTypeAndKind(CBaseTexture::kFamily, CPictTexture::kClassTag, fPictures.get(), false))
    return err;
  if (!fRender.fContext.PrepareOptimizer()) return kErrOutOfMemory;
  if (relink && C3dGroup::RelinkGroups(scene)) return kErrOutOfMemory;
  return kNoErr;
}
