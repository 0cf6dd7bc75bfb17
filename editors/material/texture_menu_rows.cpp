#include "editors/material/texture_menu_rows.h"

#include <cstring>

#include "document/texture_selection.h"
#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/sky.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"

namespace {

// Calls visit with each procedural texture of the host's document, in the scene's order, until it
// answers non-zero: that answer, 9 when they cannot be listed, else 0.
template <typename Visit>
int32_t ForEachDocumentTexture(CDocumentHost* host, Visit visit) {
  C3dBaseSys* scene = host ? host->GetSceneTable() : nullptr;
  CAppl* app = GetApplication();
  if (!scene || !app) return kNoErr;
  C3dBaseSpoolTable textures(app->GetObjectsEnv());
  if (scene->CollectByTypeAndKind(CBaseTexture::kFamily, C3dTexture::kClassTag, &textures, false))
    return kErrOutOfMemory;
  CHolder list(&textures, false, false);
  if (!list.IsLocked()) return kErrOutOfMemory;
  for (uint32_t i = 0; i < textures.GetCount(); ++i) {
    if (C3dBase* texture = textures.At(i)) {
      if (const int32_t answer = visit(texture)) return answer;
    }
  }
  return kNoErr;
}

}  // namespace

CMenuItem TextureMenuRow(const char* name, uint32_t command) {
  CMenuItem row{};
  std::strncpy(row.text, name, CMenuItem::kTextBytes - 1);
  row.flags = CMenu::kItemCheckable;
  row.command = command;
  return row;
}

std::string StoredNameOf(C3dBase* thing) {
  const char* field = reinterpret_cast<const char*>(thing->GetData());
  return std::string(field, strnlen(field, C3dBase::kNameBytes));
}

int32_t AppendLibraryTextures(CResourceEnv* library, CMenu* menu) {
  CResTypeTable* table = nullptr;
  if (library && library->FindType(C3dTexture::kTypeName, &table, nullptr) && table) {
    CHolder rows(table, false, false);
    if (!rows.IsLocked()) return NonZeroError(table->GetError());
    for (uint32_t i = 0; i < table->GetCount(); ++i) {
      const CResEntry& entry = (*table)[i];
      char name[sizeof entry.name + 1] = {};
      std::memcpy(name, entry.name, sizeof entry.name);
      const CMenuItem row = TextureMenuRow(name, LibraryTextureSelection(entry.number));
      if (!menu->Append(&row)) return kErrOutOfMemory;
    }
  } else if (library && library->GetLastResult() != kErrObjectNotFound) {
    return NonZeroError(library->GetLastResult());
  }
  return kNoErr;
}

int32_t AppendDocumentTextures(CDocumentHost* host, CMenu* menu) {
  if (!menu) return kNoErr;
  return ForEachDocumentTexture(host, [menu](C3dBase* texture) {
    CHolder held(texture, false, false);
    if (!held.IsLocked()) return kNoErr;
    const std::string name = StoredNameOf(texture);
    if (name == kCloudTextureNames[0] || name == kCloudTextureNames[1]) return kNoErr;
    const CMenuItem row = TextureMenuRow(name.c_str(), DocumentTextureSelection(texture->GetId()));
    CHolder rows(menu, true, false);
    if (!rows.IsLocked()) return kErrOutOfMemory;
    uint32_t same = 0;
    for (uint32_t r = 0; r < menu->GetCount() && !same; ++r) {
      if (std::strncmp((*menu)[r].text, row.text, CMenuItem::kTextBytes) == 0) same = r + 1;
    }
    if (same) (*menu)[same - 1] = row;
    else if (!menu->Append(&row)) return kErrOutOfMemory;
    return kNoErr;
  });
}

int32_t FillTextureMenu(CMenu* menu, CResourceEnv* library, CDocumentHost* host) {
  if (!menu) return kErrUnexpectedStatus;
  {
    CHolder rows(menu, true, false);
    if (!rows.IsLocked()) return NonZeroError(menu->GetError());
  }
  menu->ClearItems();
  if (const int32_t err = AppendLibraryTextures(library, menu)) return err;
  if (const int32_t err = AppendDocumentTextures(host, menu)) return err;
  return menu->BuildPopupMenu();
}

C3dTexture* FirstMaterialTexture(CDocumentHost* host, int32_t* error) {
  *error = kNoErr;
  C3dMaterial* material = host ? host->GetDefaultMaterial() : nullptr;
  if (!material) return nullptr;
  CHolder held(material, false, false);
  if (!held.IsLocked()) {
    *error = kErrOutOfMemory;
    return nullptr;
  }
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    auto* texture = dynamic_cast<C3dTexture*>(material->GetChannelTexture(k));
    if (texture && texture->IsReady()) return texture;
  }
  return nullptr;
}
