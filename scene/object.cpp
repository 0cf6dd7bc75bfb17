#include "scene/object.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "framework/core/fast_math.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/class_mesh.h"
#include "scene/group.h"
#include "scene/line_drawer.h"

namespace {

constexpr double kNoExtent = 1e-10;
constexpr double kLeastExtent = 0.01;
constexpr double kGreatestExtent = 9999;
constexpr double kOnGridLine = 0.0001;

double& Axis(vector3<double>& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

vector3<double> Normalised(const vector3<double>& v) { return v * FastInvSqrt(Dot(v, v)); }

// The reference transform's stored fields that go big-endian: scale, rotation and position, and of
// the shear only its x term; shear y and z stay in the writing machine's order.
void SwapReferenceTransform(uint8_t* block) {
  for (uint32_t offset : {C3dTransform::kScaleOffset, C3dTransform::kRotationOffset, C3dTransform::kPositionOffset}) {
    for (uint32_t i = 0; i < 3; ++i) SwapDoubleAt(block + offset + 8 * i);
  }
  SwapDoubleAt(block + C3dTransform::kShearOffset);
  block[C3dTransform::kDirtyOffset] = 1;
}

}  // namespace

C3dObject::C3dObject(const SObjectKey& key) : C3dBase(key) {
  fReference.Init();
  fPlacement.Init();
  SizeRecord(kRecordSize);
}

C3dObject::~C3dObject() {
  if (fParent) fParent->ForgetMember(this);
  if (fHandle != kNoHandle) ReleaseHandle(fHandle);
}

Handle32 C3dObject::GetHandle() {
  if (fHandle == kNoHandle) fHandle = RegisterHandle(this, kHandleTag);
  return fHandle;
}

bool C3dObject::IsLight() const { return GetFamily() == FourCC("lght"); }

void C3dObject::SetObjectNumbers(int32_t own, int32_t nextSibling, int32_t firstMember) {
  fObjectNumber = own;
  fNextSibling = nextSibling;
  fFirstMember = firstMember;
}

// ---- transforms

void C3dObject::RecomposeTransforms() {
  const C34Matrix& placement = fPlacement.GetMatrix();
  C34Matrix inverseReference;
  fReference.GetMatrix().Invert(inverseReference);
  C34Matrix::Multiply(fObjectToWorld, inverseReference, placement);
  fObjectToWorld.Invert(fWorldToObject);
}

vector3<double> C3dObject::PlacementAxis(int row) const { return Normalised(fPlacement.CurrentMatrix().Row(row)); }

vector3<double> C3dObject::GetScaledSize() {
  const C3dBox local = LocalBox();
  const vector3<double>& scale = fPlacement.fScale;
  return {(local.fMax.x - local.fMin.x) * scale.x, (local.fMax.y - local.fMin.y) * scale.y,
          (local.fMax.z - local.fMin.z) * scale.z};
}

void C3dObject::SetScaledSize(const vector3<double>& size) {
  const vector3<double> extent = GetScaledSize();
  for (int axis = 0; axis < 3; ++axis) {
    const double e = extent[axis];
    // Unbounded objects have no extent to scale to.
    if (std::fabs(e) <= kNoExtent || !std::isfinite(e)) continue;
    // The wanted extent's sign is kept: a negative one keeps a mirror, a positive one removes it.
    const double wanted = std::copysign(std::clamp(std::fabs(size[axis]), kLeastExtent, kGreatestExtent), size[axis]);
    Axis(fPlacement.fScale, axis) *= wanted / e;
  }
  fPlacement.fDirty = 1;
}

void C3dObject::Translate(const vector3<double>& offset) {
  if (IsTransformLocked()) return;
  fPlacement.SetPosition(fPlacement.fPosition + offset);
}

void C3dObject::ChangeAboutPoint(const vector3<double>& point, const C34Matrix& change) {
  C34Matrix about;
  about.Translate(-point.x, -point.y, -point.z);
  C34Matrix::Multiply(about, about, change);
  about.Translate(point.x, point.y, point.z);
  C34Matrix changed;
  C34Matrix::Multiply(changed, fPlacement.CurrentMatrix(), about);
  fPlacement.SetFromMatrix(changed);
}

void C3dObject::RotateAboutPoint(const vector3<double>& pivot, const SQuaternion& rotation) {
  if (IsTransformLocked()) return;
  C34Matrix turn;
  turn.SetFromQuaternion(rotation.w, rotation.x, rotation.y, rotation.z);
  ChangeAboutPoint(pivot, turn);
}

void C3dObject::ScaleAlongAxis(const vector3<double>& point, const SAxisScale& scale) {
  if (IsTransformLocked()) return;
  C34Matrix stretch;
  stretch.SetAxisScale(scale.axis, scale.factor);
  ChangeAboutPoint(point, stretch);
}

void C3dObject::SnapToGrid(const vector3<double>& grid) {
  if (IsTransformLocked()) return;
  const C3dBox box = WorldBox();
  if (box.IsEmpty()) return;
  const vector3<double> centre = (box.fMin + box.fMax) * 0.5;
  vector3<double> snapped = centre;
  for (int axis = 0; axis < 3; ++axis) {
    const double g = grid[axis], c = centre[axis];
    // fmod by 0 is NaN.
    if (!(g > 0)) continue;
    const double r = std::fmod(c, g);
    if (-kOnGridLine < r && r < kOnGridLine) continue;
    if (r > 0) Axis(snapped, axis) = r < g / 2 ? c - r : c + g - r;
    else Axis(snapped, axis) = r > -g / 2 ? c - r : c - g - r;
  }
  Translate(snapped - centre);
}

void C3dObject::ResetRotationAndSize() {
  if (IsTransformLocked()) return;
  SetScaledSize({2, 2, 2});
  fPlacement.fShear = {};
  fPlacement.SetRotation({});
  SnapToGrid({2, 2, 2});
}

void C3dObject::ResetPosition() {
  if (IsTransformLocked()) return;
  fPlacement.SetPosition({0, 1, 0});
}

void C3dObject::ResetRotation() {
  if (IsTransformLocked()) return;
  fPlacement.fShear = {};
  fPlacement.SetRotation({});
}

void C3dObject::ResetSize() {
  if (IsTransformLocked()) return;
  SetScaledSize({2, 2, 2});
}

void C3dObject::SetPlacement(const vector3<double>& rotation, const vector3<double>& size,
                             const vector3<double>& position) {
  fPlacement.SetRotation(rotation);
  SetScaledSize(size);
  fPlacement.SetPosition(position);
}

// ---- the parent group

void C3dObject::NotifyParentSelected() {
  if (fParent) fParent->SelectedChildAdded();
}

void C3dObject::NotifyParentDeselected() {
  if (fParent) fParent->SelectedChildRemoved();
}

void C3dObject::NotifyParentBoundsChanged() {
  if (fParent) fParent->NotifyParentBoundsChanged();
}

bool C3dObject::IsSelectedInHierarchy() const { return IsSelected() || (fParent && fParent->IsSelectedInHierarchy()); }

// ---- copies

C3dObject* C3dObject::Duplicate(C3dBaseSys*) { return nullptr; }

int32_t C3dObject::CopyTo(C3dObject& target) {
  CHolder source(this, false, false);
  if (!source.IsLocked()) return NonZeroError(GetError());
  CHolder destination(&target, true, false);
  if (!destination.IsLocked()) return NonZeroError(target.GetError());
  target.SetTags(GetFamily(), GetClass());
  if (!target.SaveState()) return NonZeroError(target.GetError());
  target.fReference = fReference;
  target.fPlacement = fPlacement;
  target.fReference.fDirty = target.fPlacement.fDirty = 1;
  target.fFlags = fFlags;
  target.fStateFlags = fStateFlags;
  target.fViewDepth = fViewDepth;
  target.fWireDetail = fWireDetail;
  std::memcpy(target.fCreationWords, fCreationWords, sizeof fCreationWords);
  std::memcpy(target.fKeptValues, fKeptValues, sizeof fKeptValues);
  std::memcpy(target.fKeptWords, fKeptWords, sizeof fKeptWords);
  target.StoreObjectPart(target.GetData());
  std::memcpy(target.GetData() + kDocumentWordsOffset, GetData() + kDocumentWordsOffset, 8);
  return kNoErr;
}

// ---- the record

void C3dObject::StoreObjectPart(uint8_t* record) const {
  StoreField(record + kFlagsOffset, fFlags);
  StoreField(record + kStateFlagsOffset, fStateFlags);
  fReference.Store(record + kReferenceOffset);
  fPlacement.Store(record + kPlacementOffset);
  StoreField(record + kCreationWordsOffset, fCreationWords);
}

void C3dObject::LoadObjectPart(const uint8_t* record) {
  fFlags = LoadField<uint32_t>(record + kFlagsOffset);
  fStateFlags = LoadField<uint32_t>(record + kStateFlagsOffset);
  fReference.Load(record + kReferenceOffset);
  fPlacement.Load(record + kPlacementOffset);
  std::memcpy(fCreationWords, record + kCreationWordsOffset, sizeof fCreationWords);
  // The derived matrices are rebuilt from what was read.
  fReference.fDirty = fPlacement.fDirty = 1;
}

bool C3dObject::SaveState() {
  if (!C3dBase::SaveState()) return false;
  StoreObjectPart(GetData());
  return true;
}

void C3dObject::RestoreState() {
  C3dBase::RestoreState();
  LoadObjectPart(GetData());
}

bool C3dObject::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dBase::SwapRecord(record, size)) return false;
  for (uint32_t offset = kFlagsOffset; offset < kReferenceOffset; offset += 4) SwapWordAt(record + offset);
  SwapReferenceTransform(record + kReferenceOffset);
  return true;
}

// ---- rays and drawing

void C3dObject::RayToObject(CRay& ray, const C34Matrix& worldToObject, const C34Matrix&) {
  ray.fHit.fObjOrigin = worldToObject.TransformPoint(ray.fOrigin);
  ray.fHit.fObjDirection = worldToObject.TransformVector(ray.fDirection);
}

bool C3dObject::PassesPickFilters(const CRay& ray) const {
  if (fStateFlags & kNotPickable) return false;
  if (ray.fSelectedOnly && !IsSelected()) return false;
  return !(ray.fUnselectedOnly && IsSelected());
}

void C3dObject::RecordHit(CRay& ray, const SSpanEntry& hit, C3dObject* hitObject, C3dObject* hitPart) {
  ray.fWorldPending = nullptr;
  ray.fTexturePending = nullptr;
  ray.fHitT = hit.fT;
  ray.fHitObject = hitObject;
  ray.fHitPart = hitPart;
  SRayHit& out = ray.fHit;
  out.fObjPoint = hit.fObjPoint;
  out.fObjNormal = hit.fObjNormal;
  out.fObjShadingNormal = hit.fObjShadingNormal;
  out.fPoint = hit.fPoint;
  out.fNormal = hit.fNormal;
  out.fShadingNormal = hit.fShadingNormal;
  if (ray.fWantsTexture != 1) return;
  out.fU = hit.fU;
  out.fV = hit.fV;
  out.fTangentU = hit.fTangentU;
  out.fTangentV = hit.fTangentV;
}

bool C3dObject::DrawWireframe(CLineDrawer*, const C34Matrix&, uint32_t, bool) { return true; }

bool C3dObject::DrawMeshEdges(C3dClassMesh* mesh, CLineDrawer* view, const C34Matrix& viewMatrix) {
  if ((fFlags & kHidden) || !mesh || !view) return false;
  CHolder vertices(&mesh->GetVertices(), false, false);
  CHolder edges(&mesh->GetEdges(), false, false);
  if (!vertices.IsLocked() || !edges.IsLocked()) return false;
  const C34Matrix& toWorld = GetObjectToWorld();
  const uint32_t vertexCount = mesh->GetVertices().GetCount();
  const SVertex* points = mesh->GetVertices().GetRecords();
  for (uint32_t i = 0; i < mesh->GetEdges().GetCount(); ++i) {
    const SEdge edge = mesh->GetEdges()[i];
    if (edge.first >= vertexCount || edge.second >= vertexCount) continue;
    const SVertex& a = points[edge.first];
    const SVertex& b = points[edge.second];
    view->DrawLine3d(toWorld.TransformPoint({a.x, a.y, a.z}), toWorld.TransformPoint({b.x, b.y, b.z}), viewMatrix);
  }
  return true;
}

// ---- walks over an object table

namespace {

// Calls visit(object, row) for every placed object of the table in row order until it answers true.
template <typename Visit>
int32_t VisitObjects(C3dBaseSys* table, uint32_t first, Visit visit) {
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  for (uint32_t row = first; row < table->GetCount(); ++row) {
    C3dBase* thing = (*table)[row].object;
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (object && visit(object, row)) return kNoErr;
  }
  return kErrObjectNotFound;
}

}  // namespace

int32_t C3dObject::FindFirstSelectedRoot(C3dBaseSys* table, C3dObject** out) {
  *out = nullptr;
  return VisitObjects(table, 0, [out](C3dObject* object, uint32_t) {
    C3dObject* root = object;
    while (root->GetParent()) root = root->GetParent();
    if (!root->IsSelected()) return false;
    *out = root;
    return true;
  });
}

int32_t C3dObject::FindNextSelected(C3dBaseSys* table, C3dObject** out, uint32_t* index) {
  *out = nullptr;
  return VisitObjects(table, *index, [out, index](C3dObject* object, uint32_t row) {
    if (!object->IsSelected()) return false;
    *out = object;
    *index = row + 1;
    return true;
  });
}

int32_t C3dObject::CountObjects(C3dBaseSys* table, uint32_t* count) {
  *count = 0;
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  for (uint32_t row = 0; row < table->GetCount(); ++row) *count += (*table)[row].object ? 1 : 0;
  return kNoErr;
}

int32_t C3dObject::AppendExpandingGroups(CDynTable<C3dObject*>& list, C3dObject* object, bool expand) {
  if (expand && object->GetClass() == FourCC("grou")) {
    auto* group = static_cast<C3dGroup*>(object);
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) {
      if (const int32_t error = AppendExpandingGroups(list, group->GetMember(i), true)) return error;
    }
  }
  return list.Append(object) ? kNoErr : kErrOutOfMemory;
}
