#include "editing/document.h"

#include "editing/delete_action.h"
#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"

namespace {

CSpoolSys* DataEnvironment() {
  CAppl* application = GetApplication();
  return application ? application->GetDataEnv() : nullptr;
}

C3dObject* DrawnObject(C3dBase* thing) {
  C3dObject* object = thing ? thing->AsObject() : nullptr;
  return object && !(object->GetFlags() & C3dObject::kNotDrawn) ? object : nullptr;
}

}  // namespace

C3dDocument::C3dDocument(CDocumentHost* window)
    : fSelection(this), fUndoHistory(kUndoCapacity), fWindow(window), fClipboard(new C3dBaseSys(DataEnvironment())) {
  if (fClipboard && !fClipboard->IsValid()) fClipboard.reset();
}

C3dDocument::~C3dDocument() = default;

C3dBaseSys* C3dDocument::GetSceneTable() const { return fWindow ? fWindow->GetSceneTable() : nullptr; }

int32_t C3dDocument::RemoveObject(C3dObject* object) {
  C3dBaseSys* scene = GetSceneTable();
  if (!object || !scene) return kErrInvalidParameter;
  if (const int32_t error = scene->RemoveObject(object, false, false)) return error;
  return fWindow->FindSceneParts(true);
}

int32_t C3dDocument::DeleteObjectUndoable(CDeleteAction* action, C3dObject* object) {
  C3dBaseSys* scene = GetSceneTable();
  if (!object || !scene) return kErrInvalidParameter;
  bool kept = true;
  if (action && action->GetHoldingTable()) {
    kept = action->AddObject(object);
  } else if (const int32_t error = scene->RemoveObject(object, true, false)) {
    return error;
  }
  const int32_t result = fWindow->FindSceneParts(true);
  return kept ? result : kErrOutOfMemory;
}

int32_t C3dDocument::RefreshSceneParts() {
  if (!fWindow) return kErrInvalidParameter;
  const int32_t result = fWindow->FindSceneParts(true);
  fWindow->NotifyObjInfoChanged(kSceneChanged);
  return result;
}

uint32_t C3dDocument::GetListCount() {
  C3dBaseSpoolTable* list = fWindow ? fWindow->GetObjectList() : nullptr;
  if (!list) return 0;
  CHolder holder(list, false, false);
  return holder.IsLocked() ? list->GetCount() : 0;
}

C3dObject* C3dDocument::NextListEntry(int32_t* cursor) {
  C3dBaseSpoolTable* list = fWindow ? fWindow->GetObjectList() : nullptr;
  if (!list) return nullptr;
  CHolder holder(list, false, false);
  if (!holder.IsLocked()) return nullptr;
  if (*cursor < 0) *cursor = 0;
  while (uint32_t(*cursor) < list->GetCount()) {
    if (C3dObject* object = DrawnObject(list->At(uint32_t((*cursor)++)))) return object;
  }
  return nullptr;
}

C3dObject* C3dDocument::NextListEntry2(int32_t* cursor) {
  C3dBaseSpoolTable* list = fWindow ? fWindow->GetObjectList() : nullptr;
  if (!list) return nullptr;
  CHolder holder(list, false, false);
  if (!holder.IsLocked()) return nullptr;
  while (*cursor >= 0) {
    const uint32_t index = uint32_t((*cursor)--);
    if (index >= list->GetCount()) continue;
    if (C3dObject* object = DrawnObject(list->At(index))) return object;
  }
  return nullptr;
}

int32_t C3dDocument::GetViewDirection(vector3<double>* direction) {
  C3dCamera* camera = fWindow ? fWindow->GetCurrentCamera() : nullptr;
  if (!camera) return kErrObjectNotFound;
  CHolder holder(camera, false, false);
  if (!holder.IsLocked()) return NonZeroError(camera->GetError());
  *direction = camera->GetView().direction;
  return kNoErr;
}
