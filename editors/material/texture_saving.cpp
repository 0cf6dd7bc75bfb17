#include "editors/material/texture_saving.h"

#include <algorithm>
#include <cstring>

#include "document/texture_selection.h"
#include "editing/document_host.h"
#include "editors/material/texture_menu_rows.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/menu.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/surface/texture.h"

namespace {

constexpr int32_t kNotSaved = 1;

// A locked thing's stored name, the rest of its name field cleared.
void SetStoredName(C3dBase* thing, const char* name) {
  char* field = reinterpret_cast<char*>(thing->GetData());
  std::memset(field, 0, C3dBase::kNameBytes);
  std::memcpy(field, name, std::min(std::strlen(name), size_t(C3dBase::kNameBytes - 1)));
}

C3dBaseSys* CurrentScene() {
  CDocumentHost* host = GetCurrentDocumentHost();
  return host ? host->GetSceneTable() : nullptr;
}

int32_t Rename(C3dTexture* texture, const char* name) {
  CHolder held(texture, true, false);
  if (!held.IsLocked()) return kErrOutOfMemory;
  SetStoredName(texture, name);
  return kNoErr;
}

// A texture saved or replaced is an unsaved change of the document.
void MarkDocumentChanged() {
  if (CDocumentHost* host = GetCurrentDocumentHost()) host->FindSceneParts(false);
}

}  // namespace

std::string RowTextureName(uint32_t command, CResourceEnv* library) {
  if (IsDocumentTextureSelection(command)) {
    C3dBaseSys* scene = CurrentScene();
    C3dBase* texture = nullptr;
    if (!scene || scene->FindByKey(CBaseTexture::kFamily, C3dTexture::kClassTag, command & ~kDocumentTextureBit, &texture))
      return {};
    CHolder held(texture, false, false);
    return held.IsLocked() ? StoredNameOf(texture) : std::string();
  }
  CResTypeTable* table = nullptr;
  if (!library || !library->FindType(C3dTexture::kTypeName, &table, nullptr) || !table) return {};
  CHolder rows(table, false, false);
  for (uint32_t i = 0; rows.IsLocked() && i < table->GetCount(); ++i) {
    const CResEntry& entry = (*table)[i];
    if (entry.number == LibraryTextureSelection(command)) return std::string(entry.name, strnlen(entry.name, sizeof entry.name));
  }
  return {};
}

int32_t MenuHasTextureName(CMenu* menu, CResourceEnv* library, const char* name, bool* found) {
  if (!menu || !name) return kNoErr;
  CHolder rows(menu, false, false);
  if (!rows.IsLocked()) return NonZeroError(menu->GetError());
  for (uint32_t row = 0; row < menu->GetCount(); ++row) {
    if (RowTextureName((*menu)[row].command, library) != name) continue;
    *found = true;
    break;
  }
  return kNoErr;
}

int32_t SaveTextureAsNew(C3dTexture* edited, const char* name, uint32_t* handle) {
  if (!edited || !edited->IsReady() || !name) return kNotSaved;
  if (const int32_t err = Rename(edited, name)) return err;
  C3dBaseSys* scene = CurrentScene();
  if (!scene) return kErrObjectNotFound;
  CBaseTexture* copy = nullptr;
  if (edited->Duplicate(&copy) || !copy || !copy->IsReady()) {
    delete copy;
    return kErrOutOfMemory;
  }
  if (const int32_t err = scene->AddObject(copy, C3dBaseSys::kDefaultSortKey, 0, 0)) {
    delete copy;
    return err;
  }
  *handle = DocumentTextureSelection(copy->GetId());
  MarkDocumentChanged();
  return kNoErr;
}

int32_t ReplaceTexturesNamed(C3dTexture* edited, const char* name, uint32_t* handle) {
  if (!edited || !edited->IsReady() || !name) return kNotSaved;
  C3dBaseSys* scene = CurrentScene();
  CAppl* app = GetApplication();
  if (!scene || !app) return kErrObjectNotFound;
  C3dTexture* first = nullptr;
  {
    C3dBaseSpoolTable textures(app->GetObjectsEnv());
    if (scene->CollectByTypeAndKind(CBaseTexture::kFamily, C3dTexture::kClassTag, &textures, false))
      return kErrOutOfMemory;
    CHolder working(edited, true, false);
    if (!working.IsLocked()) return kErrOutOfMemory;
    SetStoredName(edited, name);
    CHolder rows(&textures, false, false);
    if (!rows.IsLocked()) return kErrOutOfMemory;
    for (uint32_t i = 0; i < textures.GetCount(); ++i) {
      auto* texture = dynamic_cast<C3dTexture*>(textures.At(i));
      if (!texture) continue;
      CHolder held(texture, true, false);
      if (!held.IsLocked()) return kErrOutOfMemory;
      if (StoredNameOf(texture) != name) continue;
      std::memcpy(texture->GetData(), edited->GetData(), C3dTexture::kRecordSize);
      texture->PrepareEvaluation(true);
      if (!first) first = texture;
    }
  }
  if (!first) return SaveTextureAsNew(edited, name, handle);
  // The caller is given back the first texture replaced, so the edit reaches it.
  *handle = DocumentTextureSelection(first->GetId());
  MarkDocumentChanged();
  return kNoErr;
}
