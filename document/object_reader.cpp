#include "document/object_reader.h"

#include "document/class_table.h"
#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "scene/base.h"
#include "scene/object.h"
#include "scene/surface/base_texture.h"

namespace {

// A picture texture's picture is kept beside its record and goes where the texture goes.
int32_t SyncDependent(C3dBase* thing, bool changed) {
  if (thing->GetFamily() != CBaseTexture::kFamily) return kNoErr;
  return static_cast<CBaseTexture*>(thing)->Acquire(changed);
}

int32_t ErrorOf(const C3dBase* thing) { return NonZeroError(thing->GetError()); }

// A texture's subscription brings its picture too; any other thing needs only its record from the
// document, which it leaves at once, and is read without a subscription and the bookkeeping of one.
bool ReadsDetached(const SDocumentClass& cls) { return cls.family != CBaseTexture::kFamily; }

// The thing, read from its document, into the working environment.
int32_t MoveToWorking(C3dBase* thing, const SDocumentClass& cls, CSpoolSys* working) {
  {
    CHolder page(thing, false, false);
    if (!page.IsLocked()) return ErrorOf(thing);
  }
  // The tags come back from the record once it is read: a record that names another class would be
  // taken for a thing of that class, here and when linked.
  if (thing->GetFamily() != cls.family || thing->GetClass() != cls.classTag) return kErrInvalidFormat;
  if (const int32_t error = SyncDependent(thing, false)) return error;
  thing->SetPinned(true);
  SSpoolKey workingKey;
  workingKey.Set(cls.typeName, 0, false);
  SSpoolTableSpec spec;
  spec.SetForObjects(false, &workingKey);
  const bool moved = thing->SetEnvironment(working) && thing->Subscribe(spec);
  int32_t result = moved ? kNoErr : ErrorOf(thing);
  if (!result) {
    CHolder changed(thing, true, false);
    if (!changed.IsLocked()) result = ErrorOf(thing);
  }
  if (!result) result = SyncDependent(thing, true);
  thing->SetPinned(false);
  return result;
}

}  // namespace

int32_t ReadRecord(const SDocumentClass& cls, CResourceEnv* document, const CResEntry& row, CSpoolSys* working,
                   C3dBase** out, int32_t index) {
  *out = nullptr;
  if (!working) return kErrUnexpectedStatus;
  C3dBase* thing = cls.make(cls.Desc(document));
  if (!thing) return kErrOutOfMemory;
  int32_t result = thing->IsReady() ? kNoErr : kErrFailedCreation;
  if (!result && document->GetCmFile()->GetEntryField(row.first) < cls.minimum) result = kErrInvalidFormat;
  SSpoolKey key;
  key.Set(cls.typeName, row.number, false);
  if (!result) {
    SSpoolTableSpec spec;
    spec.SetForObjects(true, &key);
    spec.resourceRow = index;
    // Subscribing or reading reads the record's size, and the data is sized to it.
    if (!(ReadsDetached(cls) ? thing->InitDetached(spec) : thing->Init(spec))) result = ErrorOf(thing);
  }
  if (!result) result = MoveToWorking(thing, cls, working);
  if (result) {
    delete thing;
    return result;
  }
  thing->SetKey(key);
  // The matrices are worked out now, while the thing is still in the cache: the first render of a
  // document of many things would otherwise fetch every one from memory again for them.
  if (C3dObject* object = thing->AsObject()) object->GetObjectToWorld();
  *out = thing;
  return kNoErr;
}
