#include "editing/action_steps.h"

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/selection.h"
#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/base_sys.h"
#include "scene/object.h"

std::unique_ptr<C3dBaseSys> NewHoldingTable(C3dBaseSys* owner) {
  CSpoolSys* environment = owner ? owner->GetEnvironment() : nullptr;
  if (!environment) {
    CAppl* application = GetApplication();
    environment = application ? application->GetObjectsEnv() : nullptr;
  }
  std::unique_ptr<C3dBaseSys> table(new C3dBaseSys(environment));
  if (!table || !table->IsValid()) return nullptr;
  return table;
}

int32_t RefreshSceneParts(C3dDocument* document) {
  CDocumentHost* window = document ? document->GetWindow() : nullptr;
  return window ? window->FindSceneParts(true) : kNoErr;
}

void Unselect(C3dDocument* document, C3dObject* object) {
  if (document) document->GetSelection().Deselect(object);
  object->ClearFlags(C3dObject::kSelected);
}

void Select(C3dDocument* document, C3dObject* object, bool exclusive) {
  if (document) document->GetSelection().Add(object, exclusive ? 1 : 0, 0);
}

void SelectTopLevel(C3dDocument* document, const CDynTable<C3dObject*>& objects) {
  bool first = true;
  for (uint32_t i = 0; i < objects.GetCount(); ++i) {
    if (objects[i]->GetParent()) continue;
    Select(document, objects[i], first);
    first = false;
  }
}
