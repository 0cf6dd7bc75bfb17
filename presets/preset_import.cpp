#include "presets/preset_import.h"

#include <memory>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "presets/preset_description.h"
#include "presets/preset_file.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/surface/material.h"

namespace {

int32_t CopyMaterialPreset(CResourceEnv* source, CResourceEnv* target, uint32_t id) {
  C3dMaterial* read = nullptr;
  if (const int32_t error = ReadStoredMaterial(source, id, &read)) return error;
  std::unique_ptr<C3dMaterial> material(read);
  if (const int32_t error = CopyTextures(material.get(), source, target)) return error;
  const uint32_t newId = DrawFreeId(target, C3dMaterial::kTypeName);
  material->SetId(newId);
  if (const int32_t error = StoreObjectInEnvironment(material.get(), target)) return error;
  return CopyPreviewAndDescription(source, target, preset::kMaterialPreviewType, CPresetDescription::kMaterialType,
                                   id, newId);
}

int32_t CopyObjectPreset(CResourceEnv* source, CResourceEnv* target, uint32_t id) {
  CAppl* app = GetApplication();
  C3dBaseSys temporary(app ? app->GetObjectsEnv() : nullptr);
  if (!temporary.IsValid()) return kErrOutOfMemory;
  C3dGroup* group = nullptr;
  if (const int32_t error = ReadStoredGroup(source, id, &temporary, &group)) return error;
  group->SetId(DrawFreeId(target, preset::kObjectItemType));
  RenewObjectIds(group, target);
  if (const int32_t error = StoreObjectTree(group, target, preset::kObjectItemType)) return error;
  return CopyPreviewAndDescription(source, target, preset::kObjectPreviewType, CPresetDescription::kObjectType, id,
                                   group->GetId());
}

}  // namespace

std::string ImportFilter(CIxText* list, const char* builtIn, size_t builtInSize) {
  std::string filter;
  if (list) {
    CIxTxHolder held(list, true);
    if (held.IsHeld() && !list->GetResult()) {
      for (uint32_t i = 0; i < list->Count(); ++i) {
        filter += list->TextAt(i);
        filter += '\0';
      }
    }
  }
  if (filter.empty()) return std::string(builtIn, builtInSize);
  filter += '\0';
  return filter;
}

int32_t CopyMaterialPresetsFrom(CResourceEnv* source, CResourceEnv* target) {
  if (!target) return kErrObjectNotFound;
  std::vector<uint32_t> ids;
  if (const int32_t error = PresetTableIds(source, C3dMaterial::kTypeName, &ids)) return error;
  for (auto id = ids.rbegin(); id != ids.rend(); ++id) CopyMaterialPreset(source, target, *id);
  return kNoErr;
}

int32_t CopyObjectPresetsFrom(CResourceEnv* source, CResourceEnv* target) {
  if (!target) return kErrObjectNotFound;
  std::vector<uint32_t> ids;
  if (const int32_t error = PresetTableIds(source, preset::kObjectItemType, &ids)) return error;
  for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
    if (const int32_t error = CopyObjectPreset(source, target, *id)) return error;
  }
  return kNoErr;
}
