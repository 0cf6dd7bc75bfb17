#include "editing/delete_action.h"

#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/base_sys.h"
#include "scene/object.h"

namespace {

// Held objects are out of the scene, in a table of their own in the objects environment.
CSpoolSys* HoldingEnvironment(C3dBaseSys* owner) {
  if (owner && owner->GetEnvironment()) return owner->GetEnvironment();
  CAppl* application = GetApplication();
  return application ? application->GetObjectsEnv() : nullptr;
}

}  // namespace

CDeleteAction::CDeleteAction(C3dBaseSys* owner)
    : fHolding(new C3dBaseSys(HoldingEnvironment(owner))), fOwner(owner), fObjects(SRange{0, kGrowthStep}) {
  if (!fHolding || !fHolding->IsValid()) {
    fHolding.reset();
    SetValid(false);
  }
}

// The holding table deletes what it still holds, the last row first.
CDeleteAction::~CDeleteAction() = default;

bool CDeleteAction::AddObject(C3dObject* object) {
  if (!object || !fHolding || !object->IsReady()) return false;
  if (fHolding->TransferObject(object, fHolding.get()) != 0) return false;
  object->ClearFlags(C3dObject::kSelected);
  return fObjects.Append(object);
}

int32_t CDeleteAction::Undo() { return kErrNotImplemented; }

int32_t CDeleteAction::Redo() { return kErrNotImplemented; }
