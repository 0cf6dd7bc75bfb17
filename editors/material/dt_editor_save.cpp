// The 3D texture editor's saving: whether a name is taken in its texture menu, the working texture
// added to the current document under a name, and the document's textures of a name replaced by it.
#include <algorithm>
#include <cstring>
#include <string>

#include "document/texture_selection.h"
#include "editing/document_host.h"
#include "editors/material/dt_editor.h"
#include "editors/material/texture_menu_rows.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
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

}  // namespace

// Names are compared in full, as stored, not as the menu's shortened texts.
int32_t CDTEditor::TextureMenuHasName(const char* name, bool* found) {
  if (!fTextureMenu || !name) return kNoErr;
  CHolder rows(fTextureMenu.get(), false, false);
  if (!rows.IsLocked()) return NonZeroError(fTextureMenu->GetError());
  for (uint32_t row = 0; row < fTextureMenu->GetCount(); ++row) {
    if (RowTextureName((*fTextureMenu)[row].command) != name) continue;
    *found = true;
    break;
  }
  return kNoErr;
}

int32_t CDTEditor::SaveAsNewTexture(const char* name) {
  if (!fWorking || !fWorking->IsReady() || !name) return kNotSaved;
  {
    CHolder held(fWorking, true, false);
    if (!held.IsLocked()) return kErrOutOfMemory;
    SetStoredName(fWorking, name);
  }
  CopyTextureName();
  C3dBaseSys* scene = CurrentScene();
  if (!scene) return kErrObjectNotFound;
  CBaseTexture* copy = nullptr;
  if (fWorking->Duplicate(&copy) || !copy || !copy->IsReady()) {
    delete copy;
    return kErrOutOfMemory;
  }
  if (const int32_t err = scene->AddObject(copy, C3dBaseSys::kDefaultSortKey, 0, 0)) {
    delete copy;
    return err;
  }
  fCurrentTextureRef = DocumentTextureSelection(copy->GetId());
  MarkDocumentChanged();
  return kNoErr;
}

int32_t CDTEditor::ReplaceTextureByName(const char* name) {
  if (!fWorking || !fWorking->IsReady() || !name) return kNotSaved;
  C3dBaseSys* scene = CurrentScene();
  CAppl* app = GetApplication();
  if (!scene || !app) return kErrObjectNotFound;
  C3dTexture* first = nullptr;
  {
    C3dBaseSpoolTable textures(app->GetObjectsEnv());
    if (scene->CollectByTypeAndKind(CBaseTexture::kFamily, C3dTexture::kClassTag, &textures, false))
      return kErrOutOfMemory;
    CHolder working(fWorking, true, false);
    if (!working.IsLocked()) return kErrOutOfMemory;
    SetStoredName(fWorking, name);
    CHolder rows(&textures, false, false);
    if (!rows.IsLocked()) return kErrOutOfMemory;
    for (uint32_t i = 0; i < textures.GetCount(); ++i) {
      auto* texture = dynamic_cast<C3dTexture*>(textures.At(i));
      if (!texture) continue;
      CHolder held(texture, true, false);
      if (!held.IsLocked()) return kErrOutOfMemory;
      if (StoredNameOf(texture) != name) continue;
      std::memcpy(texture->GetData(), fWorking->GetData(), C3dTexture::kRecordSize);
      texture->PrepareEvaluation(true);
      if (!first) first = texture;
    }
  }
  CopyTextureName();
  if (!first) return SaveAsNewTexture(name);
  // The owner takes the texture it was given back, which is the first replaced.
  fCurrentTextureRef = DocumentTextureSelection(first->GetId());
  MarkDocumentChanged();
  return kNoErr;
}

void CDTEditor::MarkDocumentChanged() {
  if (CDocumentHost* host = GetCurrentDocumentHost()) host->FindSceneParts(false);
}
