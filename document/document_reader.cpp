#include "document/document_reader.h"

#include <iterator>
#include <span>
#include <unordered_set>
#include <vector>

#include "document/class_table.h"
#include "document/object_reader.h"
#include "document/progress_titles.h"
#include "document/stored_refs.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/progress.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "platform/system.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/light.h"
#include "scene/sky.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"
#include "scene/triangle_mesh.h"

namespace {

constexpr SRange kListShape{0, 16};
// Progress steps of a whole read, by mode.
constexpr uint32_t kReadSteps[] = {24, 23, 5};

CSpoolSys* WorkingEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetObjectsEnv() : nullptr;
}

C3dGroup* AsGroup(C3dBase* thing) {
  return thing && thing->GetFamily() == C3dGroup::kFamily && thing->GetClass() == C3dGroup::kClassTag
             ? static_cast<C3dGroup*>(thing)
             : nullptr;
}

int32_t RowCount(C3dBaseSys* table, uint32_t* count) {
  *count = 0;
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return NonZeroError(table->GetError());
  *count = table->GetCount();
  return kNoErr;
}

// For each row, whether a row further on holds the same id: the later one is the one read.
std::vector<bool> OccurLater(const CResTypeTable& types) {
  std::vector<bool> later(types.GetCount());
  // A document's rows come in rising ids, which repeat none: a set of every id would only cost time.
  uint32_t rising = 1;
  while (rising < types.GetCount() && types[rising - 1].number < types[rising].number) ++rising;
  if (rising >= types.GetCount()) return later;
  std::unordered_set<uint32_t> seen;
  for (uint32_t i = types.GetCount(); i-- > 0;) later[i] = !seen.insert(types[i].number).second;
  return later;
}

}  // namespace

CDocumentReader::CDocumentReader(C3dBaseSys* table, CResourceEnv* document)
    : fTable(table),
      fDocument(document),
      fWorking(WorkingEnvironment()),
      fFirstRow(0),
      fRemaps(kListShape),
      fMembers(kListShape),
      fExpanding(kListShape) {
  RowCount(table, &fFirstRow);
}

// ---- reading

int32_t CDocumentReader::ReadAll(uint32_t mode) {
  if (mode >= std::size(kReadSteps)) return kErrInvalidParameter;
  const uint8_t modeBit = uint8_t(1u << mode);
  CProgressTitles titles("progress load");
  CProgress progress(kReadSteps[mode]);
  const std::span<const SDocumentClass> classes = DocumentClasses();
  for (uint32_t step = 0; step < classes.size(); ++step) {
    const SDocumentClass& cls = classes[step];
    if (!(cls.modes & modeBit)) continue;
    progress.SetTitle(titles.Title(step, cls.builtInTitle));
    if (const int32_t error = ReadClass(cls)) return error;
    progress.Step();
  }
  return kNoErr;
}

int32_t CDocumentReader::ReadClass(const SDocumentClass& cls) {
  CResTypeTable* types = nullptr;
  if (!fDocument->FindType(cls.typeName, &types, nullptr)) {
    const int32_t error = fDocument->GetLastResult();
    return error == kErrObjectNotFound ? kNoErr : NonZeroError(error);
  }
  CHolder holder(types, false, false);
  if (!holder.IsLocked()) return NonZeroError(types->GetError());
  CProgress progress(types->GetCount());
  const std::vector<bool> later = OccurLater(*types);
  for (uint32_t i = 0; i < types->GetCount(); ++i) {
    progress.Step();
    if (platform::IsStopRequested()) return kSilentCode24;
    if (later[i]) continue;
    C3dBase* thing = nullptr;
    if (const int32_t error = ReadRow(cls, (*types)[i], i, &thing)) return error;
  }
  return kNoErr;
}

int32_t CDocumentReader::ReadKeyed(const SDocumentClass& cls, uint32_t id, C3dBase** out) {
  *out = nullptr;
  CResTypeTable* types = nullptr;
  if (!fDocument->FindType(cls.typeName, &types, nullptr)) return NonZeroError(fDocument->GetLastResult());
  CResEntry row{};
  uint32_t i = 0;
  {
    CHolder holder(types, false, false);
    if (!holder.IsLocked()) return NonZeroError(types->GetError());
    i = types->GetCount();
    while (i > 0 && (*types)[i - 1].number != id) --i;
    if (i == 0) return kErrObjectNotFound;
    row = (*types)[i - 1];
  }
  return ReadRow(cls, row, i - 1, out);
}

int32_t CDocumentReader::ReadRow(const SDocumentClass& cls, const CResEntry& row, uint32_t index, C3dBase** out) {
  *out = nullptr;
  C3dBase* thing = nullptr;
  if (const int32_t error = ReadRecord(cls, fDocument, row, fWorking, &thing, int32_t(index))) return error;
  const uint32_t noted = fMembers.GetCount();
  int32_t result = kNoErr;
  if (C3dGroup* group = AsGroup(thing)) result = NoteMembers(group);
  if (!result) result = Enter(thing);
  if (result) {
    fMembers.RemoveAt(noted, fMembers.GetCount() - noted);
    delete thing;
    return result;
  }
  NoteUnbound(thing);
  *out = thing;
  return kNoErr;
}

int32_t CDocumentReader::Enter(C3dBase* thing) {
  const uint32_t id = thing->GetId();
  const bool clash = fTable->HasId(id);
  if (clash) {
    if (!fRemaps.Append({thing->GetFamily(), thing->GetClass(), id, 0})) return kErrOutOfMemory;
    thing->SetId(0);
  }
  const int32_t result = fTable->AddObject(thing);
  if (!clash) return result;
  if (result) {
    fRemaps.RemoveAt(fRemaps.GetCount() - 1);
    thing->SetId(id);
    return result;
  }
  fRemaps[fRemaps.GetCount() - 1].to = thing->GetId();
  return kNoErr;
}

void CDocumentReader::NoteUnbound(C3dBase* thing) {
  if (thing->GetFamily() != C3dMaterial::kFamily) return;
  STextureRefs textures;
  if (ReadTextureRefs(static_cast<C3dMaterial*>(thing), textures)) return;
  for (const SStoredRef& ref : textures.refs) {
    if (ref.id != 0) return;
  }
  // Entering appends the thing's row; the link step checks that the row still holds it.
  const uint32_t count = fTable->GetCount();
  if (count <= fFirstRow) return;
  const uint32_t at = count - 1 - fFirstRow;
  if (fUnbound.size() <= at) fUnbound.resize(at + 1, nullptr);
  fUnbound[at] = thing;
}

// The references as the record holds them now: read, and in machine order.
int32_t CDocumentReader::NoteMembers(C3dGroup* group) {
  CHolder holder(group, false, false);
  if (!holder.IsLocked()) return NonZeroError(group->GetError());
  const uint8_t* record = group->GetData();
  const uint32_t size = group->GetDataSize();
  const uint32_t count = size < C3dGroup::kMembersOffset ? 0 : LoadField<uint32_t>(record + C3dGroup::kCountOffset);
  if (C3dGroup::kMembersOffset + uint64_t(C3dGroup::kMemberBytes) * count > size) return kErrInvalidFormat;
  const uint8_t* entry = record + C3dGroup::kMembersOffset;
  for (uint32_t i = 0; i < count; ++i, entry += C3dGroup::kMemberBytes) {
    const SMemberRef ref{group, LoadField<uint32_t>(entry), LoadField<uint32_t>(entry + 4),
                         LoadField<uint32_t>(entry + 8)};
    if (!fMembers.Append(ref)) return kErrOutOfMemory;
  }
  return kNoErr;
}

bool CDocumentReader::HasMembersNoted(const C3dGroup* group) const {
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    if (fMembers[i].group == group) return true;
  }
  return false;
}

// ---- reading by key

int32_t CDocumentReader::ReadByKey(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** out) {
  *out = nullptr;
  const SDocumentClass* cls = FindDocumentClass(family, classTag);
  if (!cls || !cls->byKey) return kErrObjectNotFound;
  const bool group = family == C3dGroup::kFamily && classTag == C3dGroup::kClassTag;
  for (uint32_t i = 0; group && i < fExpanding.GetCount(); ++i) {
    if (fExpanding[i] == id) return kErrInvalidFormat;
  }
  C3dBase* thing = nullptr;
  if (const int32_t error = ReadKeyed(*cls, id, &thing)) return error;
  int32_t result = kNoErr;
  if (C3dGroup* group = AsGroup(thing)) {
    if (!fExpanding.Append(id)) return kErrOutOfMemory;
    result = ReadGroupMembers(group);
    fExpanding.RemoveAt(fExpanding.GetCount() - 1);
  } else if (C3dObject* object = thing->AsObject()) {
    result = ReadObjectMaterials(object);
    if (!result && object->GetClass() == C3dTriangleMesh::kClassTag)
      result = ReadFaceMaterials(static_cast<C3dTriangleMesh*>(object));
  }
  if (result) return result;
  *out = thing;
  return kNoErr;
}

int32_t CDocumentReader::ReadGroupMembers(C3dGroup* group) {
  if (!AsGroup(group)) return kErrInvalidParameter;
  if (!HasMembersNoted(group)) {
    if (const int32_t error = NoteMembers(group)) return error;
  }
  // The group's references, copied out first: reading members adds rows of their own.
  CDynTable<SMemberRef> refs(kListShape);
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    if (fMembers[i].group == group && !refs.Append(fMembers[i])) return kErrOutOfMemory;
  }
  for (uint32_t i = 0; i < refs.GetCount(); ++i) {
    C3dBase* member = nullptr;
    if (const int32_t error = ReadByKey(refs[i].family, refs[i].classTag, refs[i].id, &member)) return error;
    if (C3dObject* object = member->AsObject()) object->ClearFlags(C3dObject::kSelected);
  }
  return kNoErr;
}

// Read unless the table has it already (nothing for id 0): *read is the thing read, or null.
int32_t CDocumentReader::ReadKeyedOnce(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** read) {
  *read = nullptr;
  C3dBase* found = nullptr;
  const int32_t lookup = Find(family, classTag, id, &found);
  if (id == 0 || lookup != kErrObjectNotFound) return lookup == kErrObjectNotFound ? kNoErr : lookup;
  const SDocumentClass* cls = FindDocumentClass(family, classTag);
  return cls ? ReadKeyed(*cls, id, read) : kErrObjectNotFound;
}

// The material of a thing read by key, and the material's textures, unless the table has them.
int32_t CDocumentReader::ReadMaterialByKey(uint32_t classTag, uint32_t id) {
  C3dBase* material = nullptr;
  if (const int32_t error = ReadKeyedOnce(C3dMaterial::kFamily, classTag, id, &material)) return error;
  if (!material) return kNoErr;
  STextureRefs textures;
  if (const int32_t error = ReadTextureRefs(static_cast<C3dMaterial*>(material), textures)) return error;
  for (const SStoredRef& texture : textures.refs) {
    C3dBase* read = nullptr;
    if (const int32_t error = ReadKeyedOnce(CBaseTexture::kFamily, texture.classTag, texture.id, &read)) return error;
  }
  return kNoErr;
}

int32_t CDocumentReader::ReadObjectMaterials(C3dObject* object) {
  SMaterialRefs refs;
  if (const int32_t error = ReadMaterialRefs(object, refs)) return error;
  if (const int32_t error = ReadMaterialByKey(refs.material.classTag, refs.material.id)) return error;
  return ReadMaterialByKey(refs.lightWord.classTag, refs.lightWord.id);
}

// Until the link step binds them, a mesh's faces hold the ids of their materials as stored.
int32_t CDocumentReader::ReadFaceMaterials(C3dTriangleMesh* mesh) {
  uint32_t previous = 0;
  for (uint32_t f = 0; f < mesh->GetFaceCount(); ++f) {
    S3dFace face;
    if (!mesh->GetFace(f, &face)) return NonZeroError(mesh->GetError());
    if (face.attribute == previous) continue;
    previous = face.attribute;
    if (const int32_t error = ReadMaterialByKey(C3dMaterial::kClassTag, face.attribute)) return error;
  }
  return kNoErr;
}

// ---- linking

uint32_t CDocumentReader::MappedId(uint32_t family, uint32_t classTag, uint32_t id) const {
  for (uint32_t i = 0; i < fRemaps.GetCount(); ++i) {
    const SIdRemap& remap = fRemaps[i];
    if (remap.family == family && remap.classTag == classTag && remap.from == id) return remap.to;
  }
  return id;
}

int32_t CDocumentReader::Find(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** out, bool readHere) {
  *out = nullptr;
  if (id == 0) return kErrObjectNotFound;
  return fTable->FindByKey(family, classTag, readHere ? MappedId(family, classTag, id) : id, out);
}

// Made the first time a thing names no material, or one the table lacks, and shared from then on.
int32_t CDocumentReader::DefaultMaterial(C3dMaterial** out) {
  if (!fDefaultMaterial) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<C3dMaterial>(fWorking, key, spec);
    if (const int32_t error = C3dMaterial::New(&fDefaultMaterial, fTable, key, spec)) return error;
  }
  *out = fDefaultMaterial;
  return kNoErr;
}

int32_t CDocumentReader::BindObject(C3dObject* object, bool readHere) {
  SMaterialRefs refs;
  if (const int32_t error = ReadMaterialRefs(object, refs)) return error;
  C3dBase* found = nullptr;
  const int32_t lookup = Find(C3dMaterial::kFamily, refs.material.classTag, refs.material.id, &found, readHere);
  if (lookup != kNoErr && lookup != kErrObjectNotFound) return lookup;
  C3dMaterial* material = static_cast<C3dMaterial*>(found);
  // A thing that was there before keeps its material unless its record names one the table holds.
  if (!material && readHere) {
    if (const int32_t error = DefaultMaterial(&material)) return error;
  }
  if (material) object->SetMaterial(material->GetHandle());
  if (object->GetFamily() != C3dLight::kFamily || refs.lightWord.id == 0) return kNoErr;
  const int32_t second =
      Find(C3dMaterial::kFamily, refs.lightWord.classTag, refs.lightWord.id, &found, readHere);
  if (second == kErrObjectNotFound) return kNoErr;
  if (second) return second;
  static_cast<C3dLight*>(object)->SetLightWord(static_cast<C3dMaterial*>(found)->GetHandle());
  return kNoErr;
}

int32_t CDocumentReader::BindMaterial(C3dMaterial* material, bool readHere) {
  STextureRefs textures;
  if (const int32_t error = ReadTextureRefs(material, textures)) return error;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    const SStoredRef& ref = textures.refs[k];
    C3dBase* texture = nullptr;
    const int32_t lookup = Find(CBaseTexture::kFamily, ref.classTag, ref.id, &texture, readHere);
    if (lookup == kErrObjectNotFound) continue;
    if (lookup) return lookup;
    if (const int32_t error = material->SetChannelTexture(static_cast<CBaseTexture*>(texture), k)) return error;
  }
  return kNoErr;
}

int32_t CDocumentReader::BindSky(C3dSky* sky, bool readHere) {
  CHolder holder(sky, true, false);
  if (!holder.IsLocked()) return NonZeroError(sky->GetError());
  for (int layer = 0; layer < 2; ++layer) {
    C3dBase* texture = nullptr;
    if (sky->GetCloudTextureTag(layer) != C3dTexture::kClassTag) continue;
    const int32_t lookup =
        Find(CBaseTexture::kFamily, C3dTexture::kClassTag, sky->GetCloudTextureId(layer), &texture, readHere);
    if (lookup == kErrObjectNotFound) continue;
    if (lookup) return lookup;
    sky->SetCloudTexture(static_cast<C3dTexture*>(texture), layer);
  }
  return kNoErr;
}

int32_t CDocumentReader::BindThing(C3dBase* thing, bool readHere) {
  const uint32_t family = thing->GetFamily();
  if (family == C3dBaseSys::kObjectFamily || family == C3dLight::kFamily)
    return BindObject(thing->AsObject(), readHere);
  if (family == C3dMaterial::kFamily) return BindMaterial(static_cast<C3dMaterial*>(thing), readHere);
  if (family == C3dSky::kFamily) return BindSky(static_cast<C3dSky*>(thing), readHere);
  return kNoErr;
}

// Each group read takes the members it names that the table holds, in member order. A member is
// claimed by its parent link as it is taken, so a thing listed a second time shows.
int32_t CDocumentReader::LinkGroups() {
  CDynTable<C3dObject*> members(kListShape);
  for (uint32_t i = 0; i < fMembers.GetCount();) {
    C3dGroup* group = fMembers[i].group;
    group->RelinkMembers(nullptr, 0);
    members.Clear();
    for (; i < fMembers.GetCount() && fMembers[i].group == group; ++i) {
      const SMemberRef ref = fMembers[i];
      C3dBase* thing = nullptr;
      const int32_t lookup = Find(ref.family, ref.classTag, ref.id, &thing);
      if (lookup == kErrObjectNotFound) continue;
      if (lookup) return lookup;
      C3dObject* member = thing->AsObject();
      if (!member) continue;
      if (member->GetParent()) return kErrInvalidFormat;
      member->SetParent(group);
      if (!members.Append(member)) return kErrOutOfMemory;
    }
    if (const int32_t error = group->RelinkMembers(members.GetRecords(), members.GetCount())) return error;
  }
  return kNoErr;
}

// Every thing has one parent at most by now, so a group inside itself is one its parents lead back to.
int32_t CDocumentReader::CheckGroupCycles() {
  uint32_t rows = 0;
  if (const int32_t error = RowCount(fTable, &rows)) return error;
  for (uint32_t i = 0; i < fMembers.GetCount(); ++i) {
    const C3dGroup* group = fMembers[i].group;
    const C3dGroup* parent = group->GetParent();
    for (uint32_t steps = 0; parent && steps <= rows; ++steps, parent = parent->GetParent()) {
      if (parent == group) return kErrInvalidFormat;
    }
  }
  return kNoErr;
}

int32_t CDocumentReader::Link() {
  uint32_t end = 0;
  if (const int32_t error = RowCount(fTable, &end)) return error;
  // What was there before is bound too: its references may name things that only this read brought.
  // The table stays locked for the walk rather than once a row; a binding that adds a thing (the
  // default material) may move the rows, so each is looked up afresh.
  {
    CHolder holder(fTable, false, false);
    if (!holder.IsLocked()) return NonZeroError(fTable->GetError());
    for (uint32_t row = 0; row < end; ++row) {
      C3dBase* thing = (*fTable)[row].object;
      const uint32_t at = row - fFirstRow;
      if (row >= fFirstRow && at < fUnbound.size() && fUnbound[at] == thing) continue;
      if (const int32_t error = BindThing(thing, row >= fFirstRow)) return error;
    }
  }
  if (const int32_t error = LinkGroups()) return error;
  if (const int32_t error = CheckGroupCycles()) return error;
  if (const int32_t error = C3dGroup::RelinkGroups(fTable)) return error;
  return fTable->PrepareObjects();
}

// ---- the table's reading operations

int32_t C3dBaseSys::ReadDocument(CResourceEnv* document, uint32_t mode) {
  if (!document || !document->IsOpen()) return kErrInvalidParameter;
  CDocumentReader reader(this, document);
  const int32_t result = reader.ReadAll(mode);
  return result ? result : reader.Link();
}

int32_t C3dBaseSys::ReadObjectByKey(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** out,
                                    CResourceEnv* document) {
  *out = nullptr;
  if (!document || !document->IsOpen()) return kErrInvalidParameter;
  CDocumentReader reader(this, document);
  C3dBase* thing = nullptr;
  int32_t result = reader.ReadByKey(family, classTag, id, &thing);
  if (!result) result = reader.Link();
  if (!result) *out = thing;
  return result;
}

int32_t C3dBaseSys::ReadGroupMembers(C3dBase* group, CResourceEnv* document) {
  C3dGroup* asGroup = AsGroup(group);
  if (!asGroup) return kErrInvalidParameter;
  if (!document || !document->IsOpen()) return kErrInvalidParameter;
  CDocumentReader reader(this, document);
  const int32_t result = reader.ReadGroupMembers(asGroup);
  return result ? result : reader.Link();
}
