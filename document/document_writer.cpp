// Writing a scene table into a document: the references are prepared in the writing direction (the
// textures that materials and the sky use brought into the table, every reference stored from the
// pointer it comes from), then each thing is moved into the document, stored big-endian under its
// key and moved back.
#include <span>
#include <vector>

#include "document/class_table.h"
#include "document/progress_titles.h"
#include "document/stored_refs.h"
#include "framework/core/holder.h"
#include "framework/core/progress.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "platform/system.h"
#include "scene/base_sys.h"
#include "scene/light.h"
#include "scene/sky.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"
#include "scene/triangle_mesh.h"

namespace {

C3dMaterial* MaterialOf(Handle32 handle) { return LookupHandleAs<C3dMaterial>(handle, C3dMaterial::kFamily); }

SStoredRef RefTo(const C3dBase* thing) { return thing ? SStoredRef{thing->GetClass(), thing->GetId()} : SStoredRef{}; }

bool IsMesh(const C3dBase* thing) {
  return thing->GetFamily() == C3dTriangleMesh::kFamily && thing->GetClass() == C3dTriangleMesh::kClassTag;
}

int32_t ErrorOf(const C3dBase* thing) { return NonZeroError(thing->GetError()); }

// The texture's picture, which lives beside its record, is written too.
int32_t StoreDependent(C3dBase* thing) {
  if (thing->GetFamily() != CBaseTexture::kFamily) return kNoErr;
  return static_cast<CBaseTexture*>(thing)->Release();
}

int32_t SubscribeThing(C3dBase* thing, const SSpoolKey& key, bool keyed) {
  SSpoolTableSpec spec;
  spec.SetForObjects(keyed, &key);
  return thing->Subscribe(spec) ? kNoErr : ErrorOf(thing);
}

// The steps between the move into the document and the move back.
int32_t StoreInto(C3dBase* thing, CResourceEnv* document, SSpoolKey key) {
  if (!document->PutResource(key) && document->GetLastResult() != kErrObjectDuplicated)
    return NonZeroError(document->GetLastResult());
  key.isNew = 1;
  if (const int32_t error = SubscribeThing(thing, key, true)) return error;
  if (!thing->Lock()) return ErrorOf(thing);
  if (!thing->Unlock(true, true)) return ErrorOf(thing);
  return StoreDependent(thing);
}

// Leaving the document must not depend on writing to it: unsubscribing writes back what a failed
// store left changed, which fails again on a full disk, and a thing that stayed behind would point at
// the document once it is gone. The data stays in memory, pinned, until the working environment
// stores it again.
int32_t MoveBack(C3dBase* thing, CSpoolSys* working, const SSpoolKey& key) {
  if (!thing->Lock()) return ErrorOf(thing);
  const bool wasPinned = thing->IsPinned();
  thing->SetPinned(true);
  thing->Unlock(false, false);
  int32_t result = thing->Unsubscribe() ? kNoErr : ErrorOf(thing);
  if (!thing->SetEnvironment(working) && !result) result = ErrorOf(thing);
  thing->SetPinned(wasPinned);
  if (thing->GetEnvironment() != working) return NonZeroError(result);
  const int32_t subscribed = SubscribeThing(thing, key, false);
  return result ? result : subscribed;
}

// The rows of the locked table class by class in the order a read takes the classes, each class in
// table order, things of no document class last. Written so, a document lies in its file as a read
// goes through it, front to back once, instead of once for every class among things mixed together.
std::vector<uint32_t> RowsInReadingOrder(C3dBaseSys& table) {
  const std::span<const SDocumentClass> classes = DocumentClasses();
  const uint32_t count = table.GetCount();
  std::vector<uint32_t> classOf(count), starts(classes.size() + 2, 0), order(count);
  for (uint32_t row = 0; row < count; ++row) {
    const C3dBase* thing = table[row].object;
    const SDocumentClass* cls = thing ? FindDocumentClass(thing->GetFamily(), thing->GetClass()) : nullptr;
    classOf[row] = cls ? uint32_t(cls - classes.data()) : uint32_t(classes.size());
    ++starts[classOf[row] + 1];
  }
  for (size_t k = 1; k < starts.size(); ++k) starts[k] += starts[k - 1];
  for (uint32_t row = 0; row < count; ++row) order[starts[classOf[row]]++] = row;
  return order;
}

}  // namespace

// ---- one thing

int32_t C3dBaseSys::WriteObject(C3dBase* thing, CResourceEnv* document, const char* typeName) {
  if (!thing || !document || !document->IsOpen()) return kErrInvalidParameter;
  {
    CHolder page(thing, false, false);
    if (!page.IsLocked()) return ErrorOf(thing);
  }
  CSpoolSys* working = thing->GetEnvironment();
  SSpoolKey key;
  key.Set(typeName ? typeName : thing->TypeName(), thing->GetId(), false);
  // A mesh keeps its material's handle in every face; the document gets the material's id there,
  // which means the same in every process.
  const Handle32 meshMaterial = IsMesh(thing) ? thing->AsObject()->GetMaterial() : kNoHandle;
  if (meshMaterial) thing->AsObject()->SetMaterial(RefTo(MaterialOf(meshMaterial)).id);
  int32_t result = thing->SetEnvironment(document) ? kNoErr : ErrorOf(thing);
  if (!result) result = StoreInto(thing, document, key);
  if (thing->GetEnvironment() == document) {
    const int32_t moved = MoveBack(thing, working, key);
    if (!result) result = moved;
  }
  if (meshMaterial) thing->AsObject()->SetMaterial(meshMaterial);
  return result;
}

// ---- references, writing direction

int32_t C3dBaseSys::UpdateMaterialUse(C3dBase* oldTexture, C3dBase* newTexture) {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  for (uint32_t row = GetCount(); row-- > 0;) {
    C3dBase* thing = (*this)[row].object;
    if (!thing || thing->GetFamily() != C3dMaterial::kFamily) continue;
    auto* material = static_cast<C3dMaterial*>(thing);
    CHolder locked(material, true, false);
    if (!locked.IsLocked()) return ErrorOf(material);
    for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
      if (material->GetChannelTexture(k) != oldTexture) continue;
      if (const int32_t error = material->SetChannelTexture(static_cast<CBaseTexture*>(newTexture), k)) return error;
    }
  }
  return kNoErr;
}

namespace {

// Brings a texture a material or the sky uses into the table: a shared one as a copy of its own, one
// in no table as it is. *entered is the texture the user should hold from now on.
int32_t EnterUsedTexture(C3dBaseSys& table, CBaseTexture* texture, CBaseTexture** entered) {
  *entered = texture;
  if (!texture || texture->GetOwningTable()) return kNoErr;
  if (!texture->IsStored()) {
    texture->SetId(0);
    return table.AddObject(texture);
  }
  CBaseTexture* copy = nullptr;
  if (const int32_t error = texture->Duplicate(&copy)) return error;
  if (const int32_t result = table.AddObject(copy)) {
    delete copy;
    return result;
  }
  *entered = copy;
  return kNoErr;
}

int32_t EnterMaterialTextures(C3dBaseSys& table, C3dMaterial* material) {
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    CBaseTexture* texture = material->GetChannelTexture(k);
    CBaseTexture* entered = nullptr;
    if (const int32_t error = EnterUsedTexture(table, texture, &entered)) return error;
    if (entered == texture) continue;
    if (const int32_t error = table.UpdateMaterialUse(texture, entered)) {
      table.RemoveObject(entered, true, false);
      return error;
    }
  }
  return kNoErr;
}

int32_t EnterSkyTextures(C3dBaseSys& table, C3dSky* sky) {
  for (int layer = 0; layer < 2; ++layer) {
    C3dTexture* texture = sky->GetCloudTexture(layer);
    CBaseTexture* entered = nullptr;
    if (const int32_t error = EnterUsedTexture(table, texture, &entered)) return error;
    if (entered == texture) continue;
    sky->SetCloudTexture(static_cast<C3dTexture*>(entered), layer);
    C3dBase* shared = texture;
    C3dBaseSys::ReleaseShared(shared);
  }
  return kNoErr;
}

int32_t StoreReferences(C3dBase* thing) {
  // Stored with the transform blocks, the derived matrices go in current, whatever was asked of the
  // object since it was read.
  if (C3dObject* object = thing->AsObject()) object->GetObjectToWorld();
  const uint32_t family = thing->GetFamily();
  if (family == C3dBaseSys::kObjectFamily || family == C3dLight::kFamily) {
    C3dObject* object = thing->AsObject();
    SMaterialRefs refs;
    refs.material = RefTo(MaterialOf(object->GetMaterial()));
    if (family == C3dLight::kFamily) refs.lightWord = RefTo(MaterialOf(static_cast<C3dLight*>(object)->GetLightWord()));
    return WriteMaterialRefs(object, refs);
  }
  if (family == C3dMaterial::kFamily) {
    auto* material = static_cast<C3dMaterial*>(thing);
    for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
      if (const int32_t error = material->SetChannelTexture(material->GetChannelTexture(k), k)) return error;
    }
    return kNoErr;
  }
  if (family == C3dSky::kFamily) {
    auto* sky = static_cast<C3dSky*>(thing);
    CHolder holder(sky, true, false);
    if (!holder.IsLocked()) return ErrorOf(sky);
    for (int layer = 0; layer < 2; ++layer) sky->SetCloudTexture(sky->GetCloudTexture(layer), layer);
  }
  return kNoErr;
}

// Each thing of the table in row order, until the step fails; rows are read afresh each time, since
// entering a texture may move the table's storage.
template <typename Step>
int32_t ForEachRow(C3dBaseSys& table, Step step) {
  for (uint32_t row = 0;; ++row) {
    C3dBase* thing = nullptr;
    const int32_t found = table.GetObjectAt(row, &thing);
    if (found == kErrInvalidParameter) return kNoErr;
    if (found) return found;
    if (const int32_t error = step(thing)) return error;
  }
}

int32_t PrepareReferencesForWriting(C3dBaseSys& table) {
  const int32_t entered = ForEachRow(table, [&table](C3dBase* thing) {
    if (thing->GetFamily() == C3dMaterial::kFamily) return EnterMaterialTextures(table, static_cast<C3dMaterial*>(thing));
    if (thing->GetFamily() == C3dSky::kFamily) return EnterSkyTextures(table, static_cast<C3dSky*>(thing));
    return int32_t(kNoErr);
  });
  return entered ? entered : ForEachRow(table, &StoreReferences);
}

}  // namespace

// ---- the whole table

int32_t C3dBaseSys::WriteDocument(CResourceEnv* document) {
  if (!document || !document->IsOpen()) return kErrInvalidParameter;
  {
    CHolder holder(this, false, false);
    if (!holder.IsLocked()) return NonZeroError(GetError());
    if (GetCount() == 0) return kNoErr;
  }
  if (const int32_t error = PrepareReferencesForWriting(*this)) return error;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  CProgressTitles titles("progress save");
  CProgress progress(GetCount(), titles.Title(0, "14Saving Objects"));
  for (const uint32_t row : RowsInReadingOrder(*this)) {
    if (platform::IsStopRequested()) return kSilentCode24;
    if (const int32_t error = WriteObject((*this)[row].object, document)) return error;
    progress.Step();
  }
  return kNoErr;
}
