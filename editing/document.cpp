#include "editing/document.h"

#include <cmath>
#include <new>

#include "editing/delete_action.h"
#include "editing/document_host.h"
#include "editing/host_callbacks.h"
#include "editing/layout_needs.h"
#include "framework/core/appl.h"
#include "framework/core/dyn_table.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/group.h"
#include "scene/light.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/material.h"

namespace {

CSpoolSys* DataEnvironment() {
  CAppl* application = GetApplication();
  return application ? application->GetDataEnv() : nullptr;
}

C3dObject* DrawnObject(C3dBase* thing) {
  C3dObject* object = thing ? thing->AsObject() : nullptr;
  return object && !(object->GetFlags() & C3dObject::kNotDrawn) ? object : nullptr;
}

constexpr int32_t kCopyStep = 8;
constexpr int32_t kReplicateStep = 32;
constexpr int32_t kMaterialStep = 32;
constexpr const char kReplicateTitle[] = "14Replicating Objects";

C3dGroup* AsGroup(C3dObject* object) {
  return object && object->GetClass() == C3dGroup::kClassTag ? static_cast<C3dGroup*>(object) : nullptr;
}

vector3<double> Times(const vector3<double>& a, const vector3<double>& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }

double& Axis(vector3<double>& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

vector3<double> UnitAxis(int axis) { return {axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0}; }

bool WithinSizes(double size) { return size >= C3dDocument::kLeastSize && size <= C3dDocument::kGreatestSize; }

// The source's change since its drag-start copy, given again to its copy, whose own drag-start copy
// becomes where it stands now. A scale ratio that would take the copy's size on its axis out of
// bounds is not repeated.
void RepeatTransform(C3dObject& source, C3dObject& copy) {
  const C3dTransform& from = source.GetPlacement();
  const vector3<double> size = copy.GetScaledSize();
  C3dTransform& to = copy.GetPlacement();
  to.fPrevScale = to.fScale;
  to.fPrevRotation = to.fRotation;
  to.fPrevPosition = to.fPosition;
  vector3<double> ratio{1, 1, 1};
  for (int axis = 0; axis < 3; ++axis) {
    const double reference = from.fPrevScale[axis];
    const double r = reference == 0 ? 1.0 : from.fScale[axis] / reference;
    Axis(ratio, axis) = WithinSizes(std::fabs(size[axis] * r)) ? r : 1.0;
  }
  to.fPosition += Times(from.fPosition - from.fPrevPosition, ratio);
  to.fRotation += from.fRotation - from.fPrevRotation;
  to.fScale = Times(to.fScale, ratio);
  to.fDirty = 1;
}

// The factor on each axis limited so that the copy's size times it stays within bounds; an axis
// without size keeps its factor, there being nothing to limit it by.
vector3<double> LimitedFactors(C3dObject& copy, const vector3<double>& factors) {
  const vector3<double> size = copy.GetScaledSize();
  vector3<double> limited = factors;
  for (int axis = 0; axis < 3; ++axis) {
    const double s = std::fabs(size[axis]);
    const double f = factors[axis];
    if (!(s >= C3dDocument::kNoSize) || !std::isfinite(s)) continue;
    if (std::fabs(s * f) < C3dDocument::kLeastSize) Axis(limited, axis) = std::copysign(C3dDocument::kLeastSize / s, f);
    else if (std::fabs(s * f) > C3dDocument::kGreatestSize) Axis(limited, axis) = std::copysign(C3dDocument::kGreatestSize / s, f);
  }
  return limited;
}

// One replicated copy changed from where its source stood: scaled about its box's centre, moved and
// turned. A group's members are scaled, and the group moved; its own angles turn nothing.
void ReplicateStep(C3dObject& copy, const SReplicateSettings& settings, uint32_t mode) {
  C3dTransform& placement = copy.GetPlacement();
  placement.fPrevScale = placement.fScale;
  placement.fPrevRotation = placement.fRotation;
  placement.fPrevPosition = placement.fPosition;
  if (C3dGroup* group = AsGroup(&copy)) {
    group->ScaleChildren(settings.factors);
    group->Translate(mode == C3dDocument::kScaledOffset ? Times(settings.offset, settings.factors) : settings.offset);
    return;
  }
  const vector3<double> factors = LimitedFactors(copy, settings.factors);
  const C3dBox box = copy.WorldBox();
  const vector3<double> centre = (box.fMin + box.fMax) * 0.5;
  for (int axis = 0; axis < 3; ++axis) copy.ScaleAlongAxis(centre, {UnitAxis(axis), factors[axis]});
  copy.Translate(mode == C3dDocument::kScaledOffset ? Times(settings.offset, factors) : settings.offset);
  if (!copy.IsTransformLocked()) copy.SetTransformVector2(copy.GetTransformVector2() + settings.rotation);
}

}  // namespace

C3dDocument::C3dDocument(CDocumentHost* window)
    : fSelection(this),
      fUndoHistory(kUndoCapacity, this),
      fWindow(window),
      fClipboard(new C3dBaseSys(DataEnvironment())),
      fHandle(RegisterHandle(this, kHandleTag)) {
  if (fClipboard && !fClipboard->IsValid()) fClipboard.reset();
}

C3dDocument::~C3dDocument() {
  // The plug-in callbacks must not reach a document that is gone.
  if (GetCallbackDocument() == this) SetCallbackDocument(nullptr, nullptr);
  ReleaseHandle(fHandle);
}

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

// ---- duplicating, replicating and the clipboard

void C3dDocument::SelectInstead(const CDynTable<C3dObject*>& objects) {
  fSelection.DeselectAll(1);
  for (uint32_t i = 0; i < objects.GetCount(); ++i) {
    // A copy carries its source's selected bit, which would make the set pass it by.
    objects[i]->ClearFlags(C3dObject::kSelected);
    fSelection.Add(objects[i], 0, 0);
  }
}

int32_t C3dDocument::CollectObjects(bool repeatTransform) {
  C3dBaseSys* scene = GetSceneTable();
  if (!scene) return kErrInvalidParameter;
  CDynTable<C3dObject*> copies(SRange{0, kCopyStep});
  for (uint32_t i = 0; i < fSelection.GetCount(); ++i) {
    C3dObject* source = fSelection.GetObject(i);
    C3dObject* copy = source->Duplicate(scene);
    if (!copy) return kErrOutOfMemory;
    if (C3dGroup* group = AsGroup(copy)) {
      if (repeatTransform) RecomputeGroupBounds(group);
    } else if (repeatTransform) {
      RepeatTransform(*source, *copy);
    }
    if (!copies.Append(copy)) return kErrOutOfMemory;
  }
  if (const int32_t error = C3dGroup::RelinkGroups(scene)) return error;
  SelectInstead(copies);
  return kNoErr;
}

int32_t C3dDocument::ReplicateObjects(uint32_t count, const SReplicateSettings& settings, uint32_t mode) {
  C3dBaseSys* scene = GetSceneTable();
  if (!scene) return kErrInvalidParameter;
  CDynTable<C3dObject*> generation(SRange{0, kReplicateStep});
  CDynTable<C3dObject*> all(SRange{0, kReplicateStep});
  CIxTextRef title;
  title.Attach(kReplicateTitle, 0, need::kProgressReplicate.name);
  CProgress progress(count, title.Text());
  for (uint32_t step = 0; step < count; ++step) {
    for (uint32_t i = 0; i < fSelection.GetCount(); ++i) {
      C3dObject* copy = fSelection.GetObject(i)->Duplicate(scene);
      if (!copy) return kErrOutOfMemory;
      ReplicateStep(*copy, settings, mode);
      if (!generation.Append(copy) || !all.Append(copy)) return kErrOutOfMemory;
    }
    SelectInstead(generation);
    generation.Clear();
    progress.Step();
  }
  SelectInstead(all);
  return kNoErr;
}

int32_t C3dDocument::CopySelection(bool cut) {
  if (!fClipboard) return kErrOutOfMemory;
  if (const int32_t error = fClipboard->RemoveAll(true, false)) return error;
  {
    CHolder clipboard(fClipboard.get(), true, false);
    if (!clipboard.IsLocked()) return NonZeroError(fClipboard->GetError());
    for (uint32_t i = 0; i < fSelection.GetCount(); ++i) {
      C3dObject* object = fSelection.GetObject(i);
      if (object->GetParent()) continue;
      if (!object->Duplicate(fClipboard.get())) return kErrOutOfMemory;
    }
  }
  C3dBaseSys* scene = GetSceneTable();
  if (cut) {
    CDeleteAction* action = new (std::nothrow) CDeleteAction(scene);
    if (!action || !action->IsValid()) {
      delete action;
      return kErrOutOfMemory;
    }
    fSelection.ExtractSelected(action);
    if (const int32_t error = fUndoHistory.Push(action)) return error;
  }
  return scene ? C3dGroup::RelinkGroups(scene) : kNoErr;
}

int32_t C3dDocument::Paste() {
  if (!fClipboard) return kErrOutOfMemory;
  C3dBaseSys* scene = GetSceneTable();
  if (!scene) return kErrInvalidParameter;
  {
    CHolder clipboard(fClipboard.get(), false, false);
    if (!clipboard.IsLocked()) return NonZeroError(fClipboard->GetError());
    if (fClipboard->GetCount() == 0) return kNoErr;
    fSelection.DeselectAll(1);
    for (uint32_t row = 0; row < fClipboard->GetCount(); ++row) {
      C3dBase* thing = (*fClipboard)[row].object;
      if (!thing) return kErrOutOfMemory;
      C3dObject* object = thing->AsObject();
      const uint32_t family = thing->GetFamily();
      if (!object || (family != C3dBaseSys::kObjectFamily && family != C3dLight::kFamily) || object->GetParent())
        continue;
      C3dObject* copy = object->Duplicate(scene);
      if (!copy) return kErrOutOfMemory;
      RecomputeGroupBounds(AsGroup(copy));
      copy->ClearFlags(C3dObject::kSelected);
      fSelection.Add(copy, 0, 0);
    }
  }
  return C3dGroup::RelinkGroups(scene);
}

// ComputeBounds recomputes a member group's box before taking it.
void C3dDocument::RecomputeGroupBounds(C3dGroup* group) {
  if (group) group->ComputeBounds();
}

// ---- textures kept across an open

int32_t C3dDocument::MoveKeptTextures(C3dBaseSys* oldTable, C3dBaseSys* newTable, C3dMaterial* defaultMaterial,
                                      C3dMaterial* secondMaterial) {
  if (!oldTable || !newTable) return kErrInvalidParameter;
  CDynTable<C3dMaterial*> materials(SRange{0, kMaterialStep});
  for (C3dMaterial* working : {defaultMaterial, secondMaterial}) {
    if (working && working->IsReady() && !materials.Append(working)) return kErrOutOfMemory;
  }
  if (fClipboard) {
    CHolder clipboard(fClipboard.get(), false, false);
    if (!clipboard.IsLocked()) return NonZeroError(fClipboard->GetError());
    for (uint32_t row = 0; row < fClipboard->GetCount(); ++row) {
      C3dBase* thing = (*fClipboard)[row].object;
      if (!thing || thing->GetFamily() != C3dMaterial::kFamily || !thing->IsReady()) continue;
      if (!materials.Append(static_cast<C3dMaterial*>(thing))) return kErrOutOfMemory;
    }
  }
  struct SMoved {
    CBaseTexture* texture;
    uint32_t id;
  };
  CDynTable<SMoved> moved(SRange{0, kMaterialStep});
  int32_t result = kNoErr;
  for (uint32_t i = 0; i < materials.GetCount() && result == kNoErr; ++i) {
    for (int k = 0; k < SMaterialRecord::kComponents && result == kNoErr; ++k) {
      CBaseTexture* texture = materials[i]->GetChannelTexture(k);
      // A texture used twice has moved already; one the old table does not hold is not the scene's.
      if (!texture || texture->GetOwningTable() != oldTable) continue;
      const uint32_t id = texture->GetId();
      result = oldTable->TransferObject(texture, newTable);
      if (result == kNoErr && !moved.Append(SMoved{texture, id})) {
        texture->SetId(id);
        newTable->TransferObject(texture, oldTable);
        result = kErrOutOfMemory;
      }
    }
  }
  if (result == kNoErr) return fUndoHistory.Clear();
  // The old scene stays: its materials find their textures under the ids they stored.
  for (uint32_t i = moved.GetCount(); i-- > 0;) {
    moved[i].texture->SetId(moved[i].id);
    newTable->TransferObject(moved[i].texture, oldTable);
  }
  return result;
}
