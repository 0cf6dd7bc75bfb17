#include "scene/base_sys.h"

#include <algorithm>
#include <cstring>

#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/ix_loader.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "scene/base.h"
#include "scene/base_spool_table.h"
#include "scene/camera.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cone_light.h"
#include "scene/cube.h"
#include "scene/cube_light.h"
#include "scene/cylinder.h"
#include "scene/cylinder_light.h"
#include "scene/object.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/pyramid_light.h"
#include "scene/sphere.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/material.h"
#include "scene/torus.h"

namespace {

SDynTableLayout TableLayout(CSpoolSys* environment, int32_t growthStep) {
  SDynTableLayout layout;
  layout.SetSized(environment, sizeof(C3dBaseSysEntry), 0);
  layout.range = SRange{0, growthStep};
  return layout;
}

SSpoolTableSpec TableSpec() {
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, &C3dBaseSys::HandleMessage);
  return spec;
}

// The class hooks of every class that draws from class meshes, in the fixed class order.
struct SClassHooks {
  int32_t (*init)();
  int32_t (*free)();
  int32_t (*build)(uint32_t, uint32_t, uint32_t);
};

constexpr SClassHooks kClasses[] = {
    {&C3dSphere::InitClassMesh, &C3dSphere::FreeClassMesh, &C3dSphere::BuildClassMesh},
    {&C3dPlane::InitClassMesh, &C3dPlane::FreeClassMesh, &C3dPlane::BuildClassMesh},
    {&C3dPyramid::InitClassMesh, &C3dPyramid::FreeClassMesh, &C3dPyramid::BuildClassMesh},
    {&C3dCube::InitClassMesh, &C3dCube::FreeClassMesh, &C3dCube::BuildClassMesh},
    {&C3dCylinder::InitClassMesh, &C3dCylinder::FreeClassMesh, &C3dCylinder::BuildClassMesh},
    {&C3dCone::InitClassMesh, &C3dCone::FreeClassMesh, &C3dCone::BuildClassMesh},
    {&C3dCircle::InitClassMesh, &C3dCircle::FreeClassMesh, &C3dCircle::BuildClassMesh},
    {&C3dSquare::InitClassMesh, &C3dSquare::FreeClassMesh, &C3dSquare::BuildClassMesh},
    {&C3dTorus::InitClassMesh, &C3dTorus::FreeClassMesh, &C3dTorus::BuildClassMesh},
    {&C3dCamera::InitClassMesh, &C3dCamera::FreeClassMesh, &C3dCamera::BuildClassMesh},
    {&C3dSphereLight::InitClassMesh, &C3dSphereLight::FreeClassMesh, &C3dSphereLight::BuildClassMesh},
    {&C3dConeLight::InitClassMesh, &C3dConeLight::FreeClassMesh, &C3dConeLight::BuildClassMesh},
    {&C3dCylinderLight::InitClassMesh, &C3dCylinderLight::FreeClassMesh, &C3dCylinderLight::BuildClassMesh},
    {&C3dCubeLight::InitClassMesh, &C3dCubeLight::FreeClassMesh, &C3dCubeLight::BuildClassMesh},
    {&C3dPyramidLight::InitClassMesh, &C3dPyramidLight::FreeClassMesh, &C3dPyramidLight::BuildClassMesh},
};

}  // namespace

// The scene's rows live in its working environment and are never stored as a table: a document of many
// things, read or made one thing at a time, grows it geometrically.
C3dBaseSys::C3dBaseSys(CSpoolSys* environment, int32_t growthStep)
    : CSpoolDynTable<C3dBaseSysEntry>(TableLayout(environment, growthStep), TableSpec()) {
  SetGeometric(true);
}

C3dBaseSys::~C3dBaseSys() { RemoveAll(true, false); }

// ---- rows

uint32_t C3dBaseSys::RowOf(const C3dBase* object) const {
  uint32_t row = 0;
  while (row < GetCount() && (*this)[row].object != object) ++row;
  return row;
}

void C3dBaseSys::Shrink() { SetSize(sizeof(C3dBaseSysEntry), GetCount(), true, false); }

int32_t C3dBaseSys::AddObject(C3dBase* object, int32_t sortKey, uint32_t second, uint32_t fourth) {
  if (object->GetOwningTable()) return kErrUnexpectedStatus;
  // An index that held before the row went in goes on holding with it, instead of being rebuilt.
  const bool indexed = fRowsByIdBuilt && fRowsByIdChanges == GetChangeCount();
  uint32_t added = 0;
  int32_t result = kNoErr;
  {
    CHolder holder(this, true, false);
    if (!holder.IsLocked()) return NonZeroError(GetError());
    C3dBaseSysEntry row;
    row.object = object;
    row.second = second;
    row.sortKey = sortKey;
    row.fourth = fourth;
    // The table grows in the objects pool: a row it cannot take is memory that ran out.
    if (!Append(&row)) return kErrOutOfMemory;
    fUnsorted = true;
    added = GetCount() - 1;
    result = OnObjectAdded(object);
    // A thing the table refuses leaves no row behind.
    if (result) RemoveAt(added);
  }
  fRowsByIdBuilt = indexed && result == kNoErr;
  if (fRowsByIdBuilt) {
    fRowsById.Insert(object->GetId(), added);
    fRowsByIdChanges = GetChangeCount();
  }
  return result;
}

int32_t C3dBaseSys::RemoveObject(C3dBase* object, bool deleteObject, bool shrink) {
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  const uint32_t row = RowOf(object);
  if (row == GetCount()) return kErrObjectNotFound;
  const int32_t result = OnObjectRemoved(object);
  RemoveAt(row);
  if (deleteObject) DeleteObject(object);
  if (shrink) Shrink();
  return result;
}

int32_t C3dBaseSys::RemoveRows(const CDynTable<uint32_t>& rows, bool deleteObject, bool shrink) {
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  int32_t result = kNoErr;
  for (uint32_t i = rows.GetCount(); i-- > 0 && result == kNoErr;) {
    const uint32_t row = rows[i];
    if (row >= GetCount()) continue;
    C3dBase* object = (*this)[row].object;
    result = OnObjectRemoved(object);
    RemoveAt(row);
    if (deleteObject) DeleteObject(object);
  }
  if (shrink) Shrink();
  return result;
}

int32_t C3dBaseSys::RemoveAll(bool deleteObject, bool shrink) {
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  int32_t result = kNoErr;
  while (GetCount()) {
    C3dBase* object = (*this)[GetCount() - 1].object;
    result = OnObjectRemoved(object);
    RemoveAt(GetCount() - 1);
    if (deleteObject) DeleteObject(object);
  }
  if (shrink) Shrink();
  return result;
}

// A texture is given up as one use, which deletes it only with its last one (materials elsewhere may
// still count theirs); any other thing that its environment shares is released there.
void C3dBaseSys::DeleteObject(C3dBase* object) {
  if (!object) return;
  if (object->GetFamily() == CBaseTexture::kFamily) {
    ReleaseTextureUse(object, 0);
    return;
  }
  if (object->GetFamily() == C3dMaterial::kFamily) static_cast<C3dMaterial*>(object)->ReleaseTextureRefs();
  ReleaseStoredOrDelete(object);
}

int32_t C3dBaseSys::OnObjectAdded(C3dBase* object) { return object->AttachToTable(this); }

int32_t C3dBaseSys::OnObjectRemoved(C3dBase* object) { return object ? object->DetachFromTable() : kNoErr; }

// ---- searches and collections

// Compared with < and >: the difference of keys far apart overflows. Rows mostly come in order (a
// read adds every thing with the default key), and a stable sort of sorted rows would only copy them
// through a buffer as large as the table.
void C3dBaseSys::SortByKey() {
  C3dBaseSysEntry* rows = GetRecords();
  const auto before = [](const C3dBaseSysEntry& a, const C3dBaseSysEntry& b) { return a.sortKey < b.sortKey; };
  if (!std::is_sorted(rows, rows + GetCount(), before)) std::stable_sort(rows, rows + GetCount(), before);
  fUnsorted = false;
}

int32_t C3dBaseSys::FindObject(const char* name, uint32_t family, uint32_t classTag, C3dBase** out) {
  *out = nullptr;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  if (GetCount() == 0) return kErrObjectNotFound;
  if (fUnsorted) SortByKey();
  for (uint32_t row = 0; row < GetCount(); ++row) {
    C3dBase* thing = (*this)[row].object;
    if (!thing || thing->GetFamily() != family || thing->GetClass() != classTag) continue;
    CHolder record(thing, false, false);
    if (!record.IsLocked()) return NonZeroError(thing->GetError());
    if (std::strncmp(reinterpret_cast<const char*>(thing->GetData()), name, C3dBase::kNameBytes) == 0) {
      *out = thing;
      return kNoErr;
    }
  }
  return kErrObjectNotFound;
}

int32_t C3dBaseSys::CountByTags(uint32_t family, uint32_t classTag, uint32_t* count) {
  *count = 0;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  for (uint32_t row = 0; row < GetCount(); ++row) {
    const C3dBase* thing = (*this)[row].object;
    if (thing && thing->GetFamily() == family && thing->GetClass() == classTag) ++*count;
  }
  return kNoErr;
}

template <typename Match>
int32_t C3dBaseSys::Collect(C3dBaseSpoolTable* list, bool append, Match match) {
  CHolder listHolder(list, true, false);
  if (!listHolder.IsLocked()) return NonZeroError(list->GetError());
  if (!append && list->GetCount() && !list->RemoveAt(0, list->GetCount())) return NonZeroError(list->GetError());
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  for (uint32_t row = 0; row < GetCount(); ++row) {
    C3dBase* thing = (*this)[row].object;
    if (thing && match(thing) && !list->Append(&thing)) return NonZeroError(list->GetError());
  }
  return kNoErr;
}

int32_t C3dBaseSys::CollectByType(uint32_t family, C3dBaseSpoolTable* list, bool append) {
  return Collect(list, append, [family](const C3dBase* thing) { return thing->GetFamily() == family; });
}

int32_t C3dBaseSys::CollectByTypeAndKind(uint32_t family, uint32_t classTag, C3dBaseSpoolTable* list, bool append) {
  return Collect(list, append, [family, classTag](const C3dBase* thing) {
    return thing->GetFamily() == family && thing->GetClass() == classTag;
  });
}

int32_t C3dBaseSys::CollectByTypeExcept(uint32_t family, C3dBaseSpoolTable* list, uint32_t exceptFamily,
                                        uint32_t exceptClass, bool append) {
  return Collect(list, append, [=](const C3dBase* thing) {
    return thing->GetFamily() == family && !(thing->GetFamily() == exceptFamily && thing->GetClass() == exceptClass);
  });
}

// ---- ids

uint32_t C3dBaseSys::TakeNewId() {
  for (;;) {
    const uint32_t id = fNextId++;
    if (fNextId == 0) {
      fNextId = 1;
      fIdsWrapped = true;
    }
    if (id != 0 && (!fIdsWrapped || !HasId(id))) return id;
  }
}

void C3dBaseSys::NoteId(uint32_t id) {
  if (id < fNextId) return;
  fNextId = id + 1;
  if (fNextId == 0) {
    fNextId = 1;
    fIdsWrapped = true;
  }
}

const CIdIndex& C3dBaseSys::RowsById() {
  if (fRowsByIdBuilt && fRowsByIdChanges == GetChangeCount()) return fRowsById;
  fRowsById.Clear();
  for (uint32_t row = 0; row < GetCount(); ++row) {
    if (const C3dBase* thing = (*this)[row].object) fRowsById.Insert(thing->GetId(), row);
  }
  fRowsByIdChanges = GetChangeCount();
  fRowsByIdBuilt = true;
  return fRowsById;
}

bool C3dBaseSys::HasId(uint32_t id) {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return false;
  return RowsById().Contains(id);
}

// ---- class meshes

int32_t C3dBaseSys::RegisterAllClasses() {
  for (const SClassHooks& hooks : kClasses) {
    if (const int32_t error = hooks.init()) return error;
  }
  return kNoErr;
}

int32_t C3dBaseSys::UnregisterAllClasses() {
  for (const SClassHooks& hooks : kClasses) hooks.free();
  return kNoErr;
}

int32_t C3dBaseSys::ResetAllClasses(uint32_t detail0, uint32_t detail1, uint32_t detail2) {
  for (const SClassHooks& hooks : kClasses) {
    if (const int32_t error = hooks.build(detail0, detail1, detail2)) return error;
  }
  return kNoErr;
}

int32_t C3dBaseSys::GetObjectAt(uint32_t row, C3dBase** out) {
  *out = nullptr;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  if (row >= GetCount()) return kErrInvalidParameter;
  *out = (*this)[row].object;
  return kNoErr;
}

template <typename Match>
int32_t C3dBaseSys::FindById(uint32_t id, Match match, C3dBase** out) {
  *out = nullptr;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  const uint32_t* first = RowsById().Find(id);
  if (!first) return kErrObjectNotFound;
  // Ids are unique within a table; should two things share one, the walk finds the right one.
  for (uint32_t row = *first; row < GetCount(); ++row) {
    C3dBase* thing = (*this)[row].object;
    if (thing && thing->GetId() == id && match(thing)) {
      *out = thing;
      return kNoErr;
    }
  }
  return kErrObjectNotFound;
}

int32_t C3dBaseSys::FindByKey(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** out) {
  return FindById(id, [&](const C3dBase* thing) { return thing->GetFamily() == family && thing->GetClass() == classTag; },
                  out);
}

int32_t C3dBaseSys::FindByTagAndId(uint32_t family, uint32_t id, C3dBase** out) {
  return FindById(id, [&](const C3dBase* thing) { return thing->GetFamily() == family; }, out);
}

// ---- sharing

int32_t C3dBaseSys::ReleaseShared(C3dBase*& thing) {
  if (!thing) return kErrInvalidParameter;
  if (thing->GetLockCount()) return kErrObjectInUse;
  const CSpoolSys* environment = thing->GetEnvironment();
  if (!environment || !environment->IsReady()) return kErrInvalidParameter;
  if (environment->GetKind() != kResourceKind) return kErrUnexpectedType;
  if (const int32_t error = ReleaseIndexedResource(thing)) return error;
  thing = nullptr;
  return kNoErr;
}

// A stored thing that nobody shares belongs to its table alone.
int32_t C3dBaseSys::ReleaseStoredOrDelete(C3dBase* thing) {
  if (thing->IsStored()) {
    const int32_t result = ReleaseShared(thing);
    if (result != kErrObjectNotFound) return result;
  }
  delete thing;
  return kNoErr;
}

int32_t C3dBaseSys::ReleaseTextureUse(C3dBase* texture, uint32_t) {
  if (!texture) return kErrInvalidParameter;
  if (!texture->IsStored()) return CBaseTexture::ReleaseUse(static_cast<CBaseTexture*>(texture));
  return ReleaseStoredOrDelete(texture);
}

// ---- moving

int32_t C3dBaseSys::EnterMoved(C3dBase* thing, const C3dBaseSysEntry& row, C3dBaseSys* target, bool renumber) {
  const uint32_t id = thing->GetId();
  if (renumber || target->HasId(id)) thing->SetId(0);
  const int32_t result = target->AddObject(thing, row.sortKey, row.second, row.fourth);
  if (result) {
    thing->SetId(id);
    AddObject(thing, row.sortKey, row.second, row.fourth);
  }
  return result;
}

int32_t C3dBaseSys::TransferObject(C3dBase* thing, C3dBaseSys* target) {
  if (!thing || !target) return kErrInvalidParameter;
  C3dBaseSys* owner = thing->GetOwningTable();
  if (owner == target) return kNoErr;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  if (owner) {
    C3dBaseSysEntry row;
    row.sortKey = kDefaultSortKey;
    CHolder ownerRows(owner, false, false);
    if (!ownerRows.IsLocked()) return NonZeroError(owner->GetError());
    const uint32_t index = owner->RowOf(thing);
    if (index < owner->GetCount()) row = (*owner)[index];
    ownerRows.Release();
    if (const int32_t error = owner->RemoveObject(thing, false, false)) return error;
    return owner->EnterMoved(thing, row, target, false);
  }
  return target->AddObject(thing);
}

int32_t C3dBaseSys::MoveAllTo(C3dBaseSys* target, bool renumber) {
  if (!target) return kErrInvalidParameter;
  if (target == this) return kNoErr;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  while (GetCount()) {
    const C3dBaseSysEntry row = (*this)[GetCount() - 1];
    if (const int32_t error = RemoveObject(row.object, false, false)) return error;
    if (const int32_t error = EnterMoved(row.object, row, target, renumber)) return error;
  }
  return kNoErr;
}

int32_t C3dBaseSys::PrepareObjects() {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  for (uint32_t row = 0; row < GetCount(); ++row) {
    C3dBase* thing = (*this)[row].object;
    C3dObject* object = thing && thing->GetFamily() == kObjectFamily ? thing->AsObject() : nullptr;
    if (!object) continue;
    if (const int32_t error = object->Prepare()) return error;
  }
  return kNoErr;
}
