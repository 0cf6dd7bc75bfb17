#include "panels/scene_edit.h"

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/undoable_action.h"
#include "framework/core/result_codes.h"
#include "scene/object.h"

bool IsEditedObject(const C3dObject* object) {
  return object && object->IsReady() && !(object->GetFlags() & C3dObject::kNotDrawn) && !object->GetParent();
}

vector3<double> BoxCentre(C3dObject* object) {
  const C3dBox box = object->WorldBox();
  return (box.fMin + box.fMax) * 0.5;
}

int32_t FinishSceneEdit(CDocumentHost* host, CUndoableAction* action, bool changed) {
  if (!host) {
    delete action;
    return kNoErr;
  }
  int32_t err = kNoErr;
  C3dDocument* document = host->GetHostDocument();
  if (action && document) err = document->GetUndoHistory().Push(action);
  else delete action;
  host->Invalidate(false);
  host->NotifyObjInfoChanged(kObjectsChanged);
  // Looking the scene's parts up again marks the document as changed, so that quitting asks.
  if (changed) host->FindSceneParts(false);
  return err;
}
