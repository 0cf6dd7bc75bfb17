#include "presets/sky_preset_file.h"

#include <memory>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "presets/preset_description.h"
#include "presets/preset_file.h"
#include "scene/factory.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/texture.h"

namespace {

constexpr uint32_t kPicture = FourCC("pctx");
constexpr const char* kPictureType = "C3dCImage";

template <typename T>
int32_t ReadStored(CSpoolSys* environment, uint32_t id, T** out) {
  *out = nullptr;
  if (const int32_t error = CheckLibrary(environment)) return error;
  SObjectKey key;
  key.Set(environment, T::kFamily, T::kClassTag, T::kTypeName);
  SSpoolKey stored;
  stored.Set(T::kTypeName, id, false);
  SSpoolTableSpec spec;
  spec.SetForObjects(true, &stored);
  auto* thing = new T(key);
  if (!thing) return kErrOutOfMemory;
  int32_t error = thing->IsReady() ? kNoErr : kErrFailedCreation;
  if (!error && !thing->Init(spec)) error = NonZeroError(thing->GetError());
  if (!error) {
    // A record too short or of another kind is refused before its fields are taken.
    CHolder page(thing, false, false);
    if (!page.IsLocked()) error = NonZeroError(thing->GetError());
    else if (thing->GetDataSize() < T::kRecordSize || thing->GetFamily() != T::kFamily ||
             thing->GetClass() != T::kClassTag)
      error = kErrInvalidFormat;
  }
  if (!error) error = thing->MoveToObjects();
  if (error) {
    delete thing;
    return error;
  }
  *out = thing;
  return kNoErr;
}


// The cloud textures that the stored tags and ids name, read from the library into the sky's layers.
// A layer without a tag or id is left empty; the first that cannot be read ends it with its code.
int32_t ReadCloudTextures(C3dSky* sky, const uint32_t tags[2], const uint32_t ids[2], CResourceEnv* library) {
  for (int layer = 0; layer < 2; ++layer) {
    if (!tags[layer] || !ids[layer]) continue;
    if (tags[layer] != C3dTexture::kClassTag) return kErrUnexpectedType;
    CBaseTexture* texture = nullptr;
    if (const int32_t error = CBaseTexture::CopyByTag(tags[layer], ids[layer], library, &texture, false)) return error;
    sky->SetCloudTexture(static_cast<C3dTexture*>(texture), layer);
  }
  return kNoErr;
}

void DeleteTexture(CResourceEnv* library, uint32_t tag, uint32_t id) {
  if (!tag || !id) return;
  if (tag == C3dTexture::kClassTag) DeleteFromLibrary(library, C3dTexture::kTypeName, id);
  if (tag == kPicture) {
    DeleteFromLibrary(library, "CPictTexture", id);
    DeleteFromLibrary(library, kPictureType, id);
  }
}

// A new id free for both the sky and the sun light.
uint32_t DrawSkyId(CResourceEnv* library) {
  uint32_t id = 0;
  while (id == 0 || IsInLibrary(library, preset::kSkyItemType, id) || IsInLibrary(library, preset::kSunLightType, id))
    id = NextRandom(GetRandomState());
  return id;
}

}  // namespace

int32_t LoadStoredSky(CSpoolSys* library, uint32_t id, C3dSky** out) { return ReadStored(library, id, out); }

int32_t LoadStoredSunLight(CSpoolSys* library, uint32_t id, C3dSunLight** out) { return ReadStored(library, id, out); }

int32_t StoreSkyItem(C3dSky* sky, C3dSunLight* sun, CResourceEnv* library) {
  if (!sky || !sun || !library || !library->IsOpen()) return kErrInvalidParameter;
  CSpoolSys* objects = GetApplication() ? GetApplication()->GetObjectsEnv() : nullptr;
  C3dSky* madeSky = nullptr;
  if (const int32_t error = AppendNew(&madeSky, nullptr, objects)) return error;
  std::unique_ptr<C3dSky> written(madeSky);
  C3dSunLight* madeSun = nullptr;
  if (const int32_t error = AppendNew(&madeSun, nullptr, objects)) return error;
  std::unique_ptr<C3dSunLight> writtenSun(madeSun);
  if (const int32_t error = writtenSun->CopyFrom(*sun)) return error;
  std::unique_ptr<CBaseTexture> copies[2];
  // What this store put into the library, taken out again when a later step fails.
  const auto undo = [&](int32_t error) {
    for (const auto& copy : copies) {
      if (copy) DeleteTexture(library, copy->GetClass(), copy->GetId());
    }
    for (int layer = 0; layer < 2; ++layer) written->SetCloudTexture(nullptr, layer);
    return error;
  };
  {
    CHolder source(sky, false, false);
    if (!source.IsLocked()) return NonZeroError(sky->GetError());
    CHolder into(written.get(), true, false);
    if (!into.IsLocked()) return NonZeroError(written->GetError());
    written->GetSettings() = sky->GetSettings();
    for (int layer = 0; layer < 2; ++layer) {
      C3dTexture* texture = sky->GetCloudTexture(layer);
      written->SetCloudTexture(nullptr, layer);
      if (!texture) continue;
      CBaseTexture* stored = nullptr;
      if (const int32_t error = StoreTextureCopy(texture, library, &stored)) return undo(error);
      copies[layer].reset(stored);
      written->SetCloudTexture(static_cast<C3dTexture*>(stored), layer);
    }
  }
  const uint32_t id = DrawSkyId(library);
  written->SetId(id);
  writtenSun->SetId(id);
  int32_t error = StoreObjectInEnvironment(written.get(), library);
  if (!error) {
    error = StoreObjectInEnvironment(writtenSun.get(), library);
    if (error) DeleteFromLibrary(library, preset::kSkyItemType, id);
  }
  if (error) return undo(error);
  for (int layer = 0; layer < 2; ++layer) written->SetCloudTexture(nullptr, layer);
  sky->SetId(id);
  return kNoErr;
}

int32_t LoadSkyPreset(CResourceEnv* library, CResTypeTable* table, uint32_t index, C3dSky* sky, C3dSunLight* sun,
                      uint32_t* id) {
  if (!library) return kErrObjectNotFound;
  if (!sky || !sun) return kErrInvalidParameter;
  sky->ReleaseImages();
  if (!table) return kNoErr;
  {
    CHolder rows(table, false, false);
    if (!rows.IsLocked()) return NonZeroError(table->GetError());
    if (index >= table->GetCount()) return kErrInvalidParameter;
    *id = (*table)[index].number;
  }
  C3dSky* read = nullptr;
  if (LoadStoredSky(library, *id, &read) == kNoErr) {
    std::unique_ptr<C3dSky> stored(read);
    CHolder from(stored.get(), false, false);
    CHolder into(sky, true, false);
    if (from.IsLocked() && into.IsLocked()) {
      sky->GetSettings() = stored->GetSettings();
      const uint32_t tags[2] = {stored->GetCloudTextureTag(0), stored->GetCloudTextureTag(1)};
      const uint32_t ids[2] = {stored->GetCloudTextureId(0), stored->GetCloudTextureId(1)};
      // Without its cloud textures the sky is not the preset's: its sun is not loaded either.
      if (ReadCloudTextures(sky, tags, ids, library)) return kNoErr;
    }
  }
  C3dSunLight* readSun = nullptr;
  if (LoadStoredSunLight(library, *id, &readSun) == kNoErr) {
    std::unique_ptr<C3dSunLight> stored(readSun);
    if (sun->CopyFrom(*stored) == kNoErr) {
      CHolder held(sun, true, false);
      if (!held.IsLocked()) return kErrOutOfMemory;
      sun->ClearStateFlags(0xFFFFFFFF);
      sun->SetStateFlags(preset::kLoadedSunStateFlags);
    }
  }
  return kNoErr;
}

int32_t DeleteSkyPreset(CResourceEnv* library, uint32_t id) {
  if (!library) return kErrObjectNotFound;
  C3dSky* read = nullptr;
  const int32_t result = LoadStoredSky(library, id, &read);
  if (!result) {
    std::unique_ptr<C3dSky> stored(read);
    for (int layer = 0; layer < 2; ++layer)
      DeleteTexture(library, stored->GetCloudTextureTag(layer), stored->GetCloudTextureId(layer));
  }
  for (const char* type :
       {preset::kSkyItemType, preset::kSkyPreviewType, CPresetDescription::kMaterialType, preset::kSunLightType})
    DeleteFromLibrary(library, type, id);
  return result;
}

namespace {

// One preset of the source as a new one of the target: 0 or the step's code, nothing left then.
int32_t CopySkyPreset(CResourceEnv* source, CResourceEnv* target, uint32_t id) {
  C3dSky* readSky = nullptr;
  if (const int32_t error = LoadStoredSky(source, id, &readSky)) return error;
  std::unique_ptr<C3dSky> sky(readSky);
  C3dSunLight* readSun = nullptr;
  if (const int32_t error = LoadStoredSunLight(source, id, &readSun)) return error;
  std::unique_ptr<C3dSunLight> sun(readSun);
  const uint32_t tags[2] = {sky->GetCloudTextureTag(0), sky->GetCloudTextureTag(1)};
  const uint32_t ids[2] = {sky->GetCloudTextureId(0), sky->GetCloudTextureId(1)};
  for (int layer = 0; layer < 2; ++layer) sky->SetCloudTexture(nullptr, layer);
  int32_t error = ReadCloudTextures(sky.get(), tags, ids, source);
  if (!error) error = StoreSkyItem(sky.get(), sun.get(), target);
  sky->ReleaseImages();
  if (error) return error;
  return CopyPreviewAndDescription(source, target, preset::kSkyPreviewType, CPresetDescription::kMaterialType, id,
                                   sky->GetId());
}

}  // namespace

int32_t CopySkyPresetsFrom(CResourceEnv* source, CResourceEnv* target) {
  if (!target) return kErrObjectNotFound;
  std::vector<uint32_t> ids;
  if (const int32_t error = PresetTableIds(source, preset::kSkyItemType, &ids)) return error;
  for (auto id = ids.rbegin(); id != ids.rend(); ++id) CopySkyPreset(source, target, *id);
  return kNoErr;
}
