#include "scene/group.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "framework/core/byte_order.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/boolean_resolver.h"
#include "scene/factory.h"
#include "scene/line_drawer.h"
#include "scene/ray_scratch.h"

namespace {

constexpr double kBoxMargin = 0.01;
constexpr double kRelinkedMargin = 0.001;
constexpr double kParallel = 1e-6;

bool IsGroup(const C3dBase* thing) {
  return thing && thing->GetFamily() == C3dGroup::kFamily && thing->GetClass() == C3dGroup::kClassTag;
}

C3dGroup* AsGroup(C3dBase* thing) { return IsGroup(thing) ? static_cast<C3dGroup*>(thing) : nullptr; }

vector3<double> Centre(const C3dBox& box) { return (box.fMin + box.fMax) * 0.5; }

vector3<double> Times(const vector3<double>& a, const vector3<double>& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }

void Grow(C3dBox& box, const vector3<double>& margin) {
  box.fMin -= margin;
  box.fMax += margin;
}

// The placed object of the table whose earlier-format object number is number.
C3dObject* FindByNumber(C3dBaseSys* table, int32_t number) {
  for (uint32_t row = 0; row < table->GetCount(); ++row) {
    C3dBase* thing = (*table)[row].object;
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (object && object->GetObjectNumber() == number) return object;
  }
  return nullptr;
}

bool Contains(const CDynTable<C3dObject*>& list, const C3dObject* object) {
  for (uint32_t i = 0; i < list.GetCount(); ++i) {
    if (list[i] == object) return true;
  }
  return false;
}


}  // namespace

void DeleteCopy(C3dObject* copy) {
  if (C3dGroup* group = AsGroup(copy)) {
    while (group->GetMemberCount()) DeleteCopy(group->GetMember(group->GetMemberCount() - 1));
  }
  DeleteShape(copy);
}

C3dGroup::C3dGroup(const SObjectKey& key) : C3dObject(key), fMembers(SRange{0, kMemberStep}, GetDataPool()) {
  SizeRecord(kMembersOffset);
}

C3dGroup::~C3dGroup() { ClearMembers(); }

int32_t C3dGroup::New(C3dGroup** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  return NewObject(out, table, key, spec);
}

bool C3dGroup::IsReady() const {
  return C3dObject::IsReady() && fMembers.IsValid();
}

// ---- members

void C3dGroup::ClearMembers() {
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    if (fMembers[i]->GetParent() == this) fMembers[i]->SetParent(nullptr);
  }
  fMembers.Clear();
  fSelectedCount = 0;
  ClearStateFlags(kMemberSelected);
}

int32_t C3dGroup::AddChild(C3dObject* object) {
  if (!fMembers.Append(object)) return kErrOutOfMemory;
  object->SetParent(this);
  const C3dBox box = object->WorldBox();
  // A group that had no member has no box to grow.
  if (fMembers.GetCount() == 1) fBox = box;
  else fBox.Union(box);
  // The record follows now; the next write would store it in any case.
  CHolder holder(this, true, false);
  if (holder.IsLocked()) SaveState();
  return kNoErr;
}

int32_t C3dGroup::RemoveChild(C3dObject* object) {
  uint32_t index = 0;
  while (index < fMembers.GetCount() && fMembers[index] != object) ++index;
  if (index == fMembers.GetCount()) return kNoErr;
  ForgetMember(object);
  object->SetParent(nullptr);
  ComputeBounds();
  return kNoErr;
}

void C3dGroup::ForgetMember(C3dObject* object) {
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    if (fMembers[i] != object) continue;
    if (object->IsSelected() && (GetStateFlags() & kMemberSelected)) SelectedChildRemoved();
    fMembers.RemoveAt(i);
    return;
  }
}

int32_t C3dGroup::RelinkMembers(C3dObject* const* members, uint32_t count) {
  ClearMembers();
  for (uint32_t i = 0; i < count; ++i) {
    if (!fMembers.Append(members[i])) {
      ClearMembers();
      return kErrOutOfMemory;
    }
    members[i]->SetParent(this);
  }
  return kNoErr;
}

void C3dGroup::ComputeBounds() {
  if (fMembers.GetCount() == 0) return;
  C3dBox box = C3dBox::Empty();
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    if (C3dGroup* group = AsGroup(fMembers[i])) group->ComputeBounds();
    box.Union(fMembers[i]->WorldBox());
  }
  if (!box.IsEmpty()) Grow(box, (box.fMax - box.fMin) * kBoxMargin);
  fBox = box;
}

uint32_t C3dGroup::NextGroupNumber(C3dBaseSys* table) {
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return 0;
  uint32_t highest = 0;
  for (uint32_t row = 0; row < table->GetCount(); ++row) {
    if (const C3dGroup* group = AsGroup((*table)[row].object)) highest = std::max(highest, group->fGroupNumber);
  }
  return highest + 1;
}

void C3dGroup::SelectedChildAdded() {
  if (fSelectedCount++ == 0) SetStateFlags(kMemberSelected);
}

void C3dGroup::SelectedChildRemoved() {
  if (fSelectedCount && --fSelectedCount == 0) ClearStateFlags(kMemberSelected);
}

void C3dGroup::NotifyParentBoundsChanged() {
  ComputeBounds();
  C3dObject::NotifyParentBoundsChanged();
}

// ---- moving the members

template <typename Edit>
void C3dGroup::EditMembers(Edit edit) {
  if (IsTransformLocked()) return;
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) edit(fMembers[i]);
  ComputeBounds();
}

void C3dGroup::Translate(const vector3<double>& offset) {
  EditMembers([&](C3dObject* member) { member->Translate(offset); });
}

void C3dGroup::RotateAboutPoint(const vector3<double>& pivot, const SQuaternion& rotation) {
  EditMembers([&](C3dObject* member) { member->RotateAboutPoint(pivot, rotation); });
}

void C3dGroup::ScaleAlongAxis(const vector3<double>& point, const SAxisScale& scale) {
  EditMembers([&](C3dObject* member) { member->ScaleAlongAxis(point, scale); });
}

void C3dGroup::SnapToGrid(const vector3<double>& grid) {
  EditMembers([&](C3dObject* member) { member->SnapToGrid(grid); });
}

void C3dGroup::ResetRotationAndSize() {
  EditMembers([](C3dObject* member) { member->ResetRotationAndSize(); });
}

void C3dGroup::ResetPosition() {
  EditMembers([](C3dObject* member) { member->ResetPosition(); });
}

void C3dGroup::ResetRotation() {
  EditMembers([](C3dObject* member) { member->ResetRotation(); });
}

void C3dGroup::ResetSize() {
  EditMembers([](C3dObject* member) { member->ResetSize(); });
}

void C3dGroup::ApplyTransformDelta(const STransformDelta& delta, bool scalePositions) {
  const vector3<double> factors{delta.scale.x ? delta.scale.x : 1, delta.scale.y ? delta.scale.y : 1,
                                delta.scale.z ? delta.scale.z : 1};
  const vector3<double> offset = scalePositions ? Times(delta.position, factors) : delta.position;
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    C3dTransform& placement = fMembers[i]->GetPlacement();
    placement.fPrevScale = placement.fScale;
    placement.fPrevRotation = placement.fRotation;
    placement.fPrevPosition = placement.fPosition;
    if (C3dGroup* group = AsGroup(fMembers[i])) {
      group->ApplyTransformDelta(delta, scalePositions);
      continue;
    }
    placement.fScale = Times(placement.fScale, factors);
    placement.fRotation += delta.rotation;
    placement.fPosition += offset;
    placement.fDirty = 1;
  }
  ComputeBounds();
}

void C3dGroup::MoveCentreTo(const vector3<double>& point) {
  const C3dBox box = WorldBox();
  if (IsTransformLocked() || box.IsEmpty()) return;
  const vector3<double> centre = Centre(box);
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    C3dObject* member = fMembers[i];
    if (C3dGroup* group = AsGroup(member)) group->MoveCentreTo(Centre(group->WorldBox()) - centre + point);
    else member->SetTransformVector3(member->GetTransformVector3() - centre + point);
  }
  ComputeBounds();
}

void C3dGroup::ScaleMembersAbout(const vector3<double>& centre, const vector3<double>& ratio) {
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    C3dObject* member = fMembers[i];
    if (C3dGroup* group = AsGroup(member)) {
      group->ScaleMembersAbout(centre, ratio);
      continue;
    }
    member->SetScaledSize(Times(member->GetScaledSize(), ratio));
    member->SetTransformVector3(centre + Times(member->GetTransformVector3() - centre, ratio));
  }
  ComputeBounds();
}

void C3dGroup::ScaleChildren(const vector3<double>& factors) {
  const C3dBox box = WorldBox();
  if (IsTransformLocked() || box.IsEmpty()) return;
  ScaleMembersAbout(Centre(box), factors);
}

// The members turn about the box's centre, each about its own axes by the change of the group's
// rotation; sizes scale about the centre by the ratio of the new size to the current one; then the
// centre goes to the position. The group's own placement stays: its box is its members' boxes taken
// through it, which a rotation kept there would turn a second time.
void C3dGroup::SetPlacement(const vector3<double>& rotation, const vector3<double>& size,
                            const vector3<double>& position) {
  const C3dBox box = WorldBox();
  const vector3<double> current = GetScaledSize();
  if (IsTransformLocked() || box.IsEmpty() || current.x == 0 || current.y == 0 || current.z == 0) return;
  const vector3<double> centre = Centre(box);
  const vector3<double> turn = rotation - GetTransformVector2();
  for (int axis = 0; axis < 3; ++axis) {
    const double angle = turn[axis];
    if (angle == 0) continue;
    for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
      C3dObject* member = fMembers[i];
      const vector3<double> about = axis == 0 ? member->GetAxisX() : axis == 1 ? member->GetAxisY() : member->GetAxisZ();
      const vector3<double> q = about * std::sin(angle / 2);
      member->RotateAboutPoint(centre, {std::cos(angle / 2), q.x, q.y, q.z});
    }
  }
  ScaleMembersAbout(centre, {size.x / current.x, size.y / current.y, size.z / current.z});
  MoveCentreTo(position);
}

// ---- copies

C3dObject* C3dGroup::Duplicate(C3dBaseSys* table) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dGroup>(GetEnvironment(), key, spec);
  C3dGroup* copy = nullptr;
  if (New(&copy, table, key, spec)) return nullptr;
  if (CopyTo(*copy)) {
    DeleteCopy(copy);
    return nullptr;
  }
  return copy;
}

int32_t C3dGroup::CopyTo(C3dObject& target) {
  C3dGroup* group = AsGroup(&target);
  if (!group) return kErrUnexpectedType;
  if (const int32_t error = C3dObject::CopyTo(target)) return error;
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    C3dObject* copy = fMembers[i]->Duplicate(target.GetOwningTable());
    if (!copy) return kErrOutOfMemory;
    if (!group->fMembers.Append(copy)) {
      DeleteCopy(copy);
      return kErrOutOfMemory;
    }
    copy->SetParent(group);
  }
  group->ComputeBounds();
  CHolder holder(group, true, false);
  if (!holder.IsLocked() || !group->SaveState()) return NonZeroError(group->GetError());
  return kNoErr;
}

// ---- relinking after a read

int32_t C3dGroup::RelinkGroups(C3dBaseSys* table) {
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return NonZeroError(table->GetError());
  // One walk over the table: a table of many things pays a cache miss for every thing it visits.
  CDynTable<C3dGroup*> groups(SRange{0, 16});
  CProgress progress(table->GetCount());
  for (uint32_t row = 0; row < table->GetCount(); ++row, progress.Step()) {
    C3dBase* thing = (*table)[row].object;
    if (C3dObject* object = thing ? thing->AsObject() : nullptr) {
      object->SetParent(nullptr);
      object->ClearStateFlags(kBooleanMember);
    }
    if (C3dGroup* group = AsGroup(thing); group && !groups.Append(group)) return kErrOutOfMemory;
  }
  for (uint32_t g = 0; g < groups.GetCount(); ++g) {
    C3dGroup* group = groups[g];
    group->ClearStateFlags(kBooleanGroup);
    uint32_t positives = 0, others = 0;
    for (uint32_t i = 0; i < group->fMembers.GetCount(); ++i) {
      C3dObject* member = group->fMembers[i];
      member->SetParent(group);
      const uint32_t roles = member->GetStateFlags() & kRoles;
      if (member->IsClosedSolid() && (roles & kPositive)) ++positives;
      if (!member->IsClosedSolid() || !roles) ++others;
    }
    if (positives == 0 || others) continue;
    group->SetStateFlags(kBooleanGroup);
    for (uint32_t i = 0; i < group->fMembers.GetCount(); ++i) group->fMembers[i]->SetStateFlags(kBooleanMember);
  }
  return kNoErr;
}

int32_t C3dGroup::TakeChain(C3dBaseSys* table, const CDynTable<C3dObject*>& taken, CDynTable<C3dObject*>& chain,
                            bool& waits) {
  waits = false;
  int32_t number = GetFirstMember();
  // A chain that loops ends where it comes back.
  for (uint32_t steps = 0; number != -1 && steps < table->GetCount(); ++steps) {
    C3dObject* member = FindByNumber(table, number);
    if (!member || member == this) break;
    if (Contains(chain, member)) break;
    // Listed by two groups, it would stay in the first one's list after the second deletes it.
    if (Contains(taken, member)) return kErrInvalidFormat;
    const C3dGroup* group = AsGroup(member);
    if (group && !group->fRelinked) {
      waits = true;
      return kNoErr;
    }
    if (!chain.Append(member)) return kErrOutOfMemory;
    number = member->GetNextSibling();
  }
  return kNoErr;
}

int32_t C3dGroup::RelinkFromIds(C3dBaseSys* table) {
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return NonZeroError(table->GetError());
  CDynTable<C3dObject*> chain(SRange{0, 16});
  // Every member that a group of this relink has taken.
  CDynTable<C3dObject*> taken(SRange{0, 16});
  for (bool pending = true; pending;) {
    pending = false;
    bool progressed = false;
    for (uint32_t row = 0; row < table->GetCount(); ++row) {
      C3dGroup* group = AsGroup((*table)[row].object);
      if (!group || group->GetObjectNumber() == -1 || group->fRelinked) continue;
      chain.Clear();
      bool waits = false;
      if (const int32_t error = group->TakeChain(table, taken, chain, waits)) return error;
      if (waits) {
        pending = true;
        continue;
      }
      group->fGroupNumber = NextGroupNumber(table);
      group->ClearMembers();
      group->fBox = C3dBox::Empty();
      for (uint32_t i = 0; i < chain.GetCount(); ++i) {
        if (!group->fMembers.Append(chain[i]) || !taken.Append(chain[i])) return kErrOutOfMemory;
        chain[i]->SetParent(group);
        group->fBox.Union(chain[i]->WorldBox());
      }
      if (!group->fBox.IsEmpty()) Grow(group->fBox, {kRelinkedMargin, kRelinkedMargin, kRelinkedMargin});
      group->fRelinked = 1;
      progressed = true;
    }
    // Groups that wait only for each other.
    if (pending && !progressed) return kErrInvalidFormat;
  }
  return kNoErr;
}

// ---- rays

bool C3dGroup::Intersect(CRay& ray) {
  if ((GetStateFlags() & kExcluded) || !ray.fFilterRay) return false;
  if ((GetStateFlags() & kMemberSelected) || !PassesPickFilters(ray)) return false;
  RayToObjectAlt(ray, GetWorldToObject(), GetObjectToWorld());
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  double best = std::numeric_limits<double>::infinity();
  int hitAxis = -1;
  for (int axis = 0; axis < 3; ++axis) {
    if (std::fabs(d[axis]) <= kParallel) continue;
    for (const double plane : {fBox.fMax[axis], fBox.fMin[axis]}) {
      const double t = (plane - o[axis]) / d[axis];
      const vector3<double> p = o + d * t;
      bool inside = true;
      for (int other = 0; other < 3; ++other) {
        if (other != axis) inside = inside && fBox.fMin[other] <= p[other] && p[other] <= fBox.fMax[other];
      }
      if (inside && ray.fTMin < t && t < ray.fTMax && t < best) {
        best = t;
        hitAxis = axis;
      }
    }
  }
  if (hitAxis < 0) {
    ray.CountMiss();
    return false;
  }
  SSpanEntry hit;
  hit.fT = best;
  hit.fObject = this;
  hit.fObjPoint = o + d * best;
  hit.fObjNormal = hit.fObjShadingNormal = {hitAxis == 0 ? 1.0 : 0.0, hitAxis == 1 ? 1.0 : 0.0, hitAxis == 2 ? 1.0 : 0.0};
  hit.fPoint = GetObjectToWorld().TransformPoint(hit.fObjPoint);
  hit.fNormal = hit.fShadingNormal = NormalToWorld(hit.fObjNormal);
  RecordHit(ray, hit, this, nullptr);
  ray.CountHit();
  return true;
}

bool C3dGroup::IntersectSpans(CRay& ray, bool, CSpanList& spans) {
  if (!(GetStateFlags() & kBooleanGroup)) return false;
  CRayScratch& scratch = ScratchOf(ray);
  CRayScratch::CSpanLease members(scratch, fMembers.GetCount());
  if (!members.IsValid()) return false;
  // Members always close their solids: a flat one adds its far side.
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) fMembers[i]->IntersectSpans(ray, true, members[i]);
  CBooleanResolver& resolver = scratch.Resolver();
  resolver.Reset();
  static constexpr struct {
    uint32_t role;
    uint32_t list;
  } kRoleLists[] = {{kPositive, CBooleanResolver::kPositiveList},
                    {kNegative, CBooleanResolver::kNegativeList},
                    {kIntersect, CBooleanResolver::kIntersectList}};
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    const CSpanList& own = members[i];
    for (const auto& role : kRoleLists) {
      if (!(fMembers[i]->GetStateFlags() & role.role)) continue;
      CBooleanResolver::SCursor cursor;
      resolver.BeginList(role.list, cursor);
      for (size_t s = 0; own.size() >= 2 && s < own.size(); ++s) {
        if (resolver.AddValue(cursor, own[s].fT, &own[s])) return false;
      }
      resolver.EndList(cursor);
    }
  }
  if (resolver.Resolve()) return false;
  const std::vector<CBooleanResolver::STValue>& result = resolver.GetList(CBooleanResolver::kPositiveList);
  try {
    for (const CBooleanResolver::STValue& value : result) spans.push_back(*value.span);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool C3dGroup::IntersectInBooleanGroup(CRay& ray, C3dObject* member) {
  C3dGroup* group = member->GetParent();
  if (!group) return false;
  while ((group->GetStateFlags() & kBooleanMember) && group->GetParent()) group = group->GetParent();
  CRayScratch::CSpanLease lease(ScratchOf(ray), 1);
  if (!lease.IsValid()) return false;
  CSpanList& spans = lease[0];
  group->IntersectSpans(ray, false, spans);
  const SSpanEntry* nearest = nullptr;
  for (const SSpanEntry& span : spans) {
    if (span.fValid && ray.fTMin <= span.fT && span.fT <= ray.fTMax && (!nearest || span.fT < nearest->fT))
      nearest = &span;
  }
  if (!nearest) {
    ray.CountMiss();
    return false;
  }
  RecordHit(ray, *nearest, group, nearest->fObject);
  ray.CountHit();
  return true;
}

// ---- boxes and drawing

uint32_t C3dGroup::FacetCount() {
  uint32_t count = 0;
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) count += fMembers[i]->FacetCount();
  return count;
}

C3dBox C3dGroup::WorldBox() { return fBox.Transform(GetObjectToWorld()); }

bool C3dGroup::DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t, bool) {
  if (!view) return false;
  view->DrawBox(WorldBox(), C34Matrix(), viewMatrix);
  return true;
}

// ---- the record

bool C3dGroup::SaveState() {
  const uint64_t size = kMembersOffset + uint64_t(kMemberBytes) * fMembers.GetCount();
  if (size > UINT32_MAX || !Resize(uint32_t(size), true, false)) {
    if (!GetError()) SetError(kErrOutOfMemory);
    return false;
  }
  if (!C3dObject::SaveState()) return false;
  uint8_t* record = GetData();
  StoreField(record + kBoxOffset, fBox);
  StoreField(record + kNumberOffset, fGroupNumber);
  record[kRelinkedOffset] = fRelinked;
  record[kByteOrderOffset] = 0;
  record[kByteOrderOffset + 1] = record[kByteOrderOffset + 2] = 0;
  StoreField(record + kCountOffset, fMembers.GetCount());
  uint8_t* entry = record + kMembersOffset;
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i, entry += kMemberBytes) {
    const uint32_t words[3] = {fMembers[i]->GetFamily(), fMembers[i]->GetClass(), fMembers[i]->GetId()};
    StoreField(entry, words);
  }
  return true;
}

void C3dGroup::RestoreState() {
  C3dObject::RestoreState();
  const uint8_t* record = GetData();
  fBox = LoadField<C3dBox>(record + kBoxOffset);
  fGroupNumber = LoadField<uint32_t>(record + kNumberOffset);
  fRelinked = record[kRelinkedOffset];
  // Members are linked again once every thing of the document is read.
  ClearMembers();
}

bool C3dGroup::IsInStoredOrder(const uint8_t* record, uint32_t size) const {
  return size <= kByteOrderOffset || record[kByteOrderOffset] != 0;
}

bool C3dGroup::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kMembersOffset) return false;
  // The count in machine order: as it stands before the swap when the record is in machine order.
  const bool bigEndian = record[kByteOrderOffset] != 0;
  const uint32_t stored = LoadField<uint32_t>(record + kCountOffset);
  const uint32_t count = bigEndian ? SwapLong(stored) : stored;
  if (kMembersOffset + uint64_t(kMemberBytes) * count > size) return false;
  if (!C3dObject::SwapRecord(record, size)) return false;
  record[kByteOrderOffset] = bigEndian ? 0 : 1;
  for (uint32_t i = 0; i < 6; ++i) SwapDoubleAt(record + kBoxOffset + 8 * i);
  SwapWordAt(record + kNumberOffset);
  SwapWordAt(record + kCountOffset);
  for (uint32_t i = 0; i < 3 * count; ++i) SwapWordAt(record + kMembersOffset + 4 * i);
  return true;
}
