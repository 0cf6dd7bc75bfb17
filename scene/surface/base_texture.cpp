#include "scene/surface/base_texture.h"

#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/ix_loader.h"
#include "framework/core/random.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"

namespace {

using Maker = CBaseTexture* (*)(const SObjectKey& key);

template <typename T>
CBaseTexture* Make(const SObjectKey& key) {
  return new T(key);
}

struct STextureKind {
  uint32_t classTag;
  const char* typeName;
  Maker make;
};

constexpr STextureKind kKinds[] = {
    {C3dTexture::kClassTag, C3dTexture::kTypeName, &Make<C3dTexture>},
    {CPictTexture::kClassTag, CPictTexture::kTypeName, &Make<CPictTexture>},
};

const STextureKind* KindOf(uint32_t classTag) {
  for (const STextureKind& kind : kKinds) {
    if (kind.classTag == classTag) return &kind;
  }
  return nullptr;
}

SObjectKey KeyOf(const STextureKind& kind, CSpoolSys* environment) {
  SObjectKey key;
  key.Set(environment, CBaseTexture::kFamily, kind.classTag, kind.typeName);
  return key;
}

SSpoolTableSpec StoredSpec(const SSpoolKey& stored) {
  SSpoolTableSpec spec;
  spec.SetForObjects(true, &stored);
  return spec;
}

bool IsOpenResourceEnv(const CSpoolSys* environment) {
  return environment->GetKind() == kResourceKind && static_cast<const CResourceEnv*>(environment)->IsOpen();
}

// A shared load needs an environment that is ready (16) and a resource environment (14).
int32_t CheckSharedEnvironment(CSpoolSys* environment) {
  if (!environment || !environment->IsReady()) return kErrInvalidParameter;
  if (environment->GetKind() != kResourceKind) return kErrUnexpectedType;
  return IsOpenResourceEnv(environment) ? kNoErr : kErrInvalidParameter;
}

// The same for a private load, which answers 15 for an environment it cannot use.
int32_t CheckPrivateEnvironment(CSpoolSys* environment) {
  if (!environment || !environment->IsReady()) return kErrUnexpectedStatus;
  if (environment->GetKind() != kResourceKind) return kErrUnexpectedType;
  return IsOpenResourceEnv(environment) ? kNoErr : kErrUnexpectedStatus;
}

// Where shared loads look for what a document lacks: the application's own resource environment.
CResourceEnv* LibraryEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetResourceEnv() : nullptr;
}

CSpoolSys* ObjectsEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetObjectsEnv() : nullptr;
}

// 0 and the texture made from the key and subscribed to its stored record, or the failing step's code
// with nothing left behind.
int32_t MakeStored(const STextureKind& kind, const SObjectKey& key, const SSpoolTableSpec& spec, CBaseTexture** out) {
  *out = nullptr;
  CBaseTexture* texture = kind.make(key);
  if (!texture) return kErrOutOfMemory;
  if (!texture->IsReady()) {
    delete texture;
    return kErrFailedCreation;
  }
  if (!texture->Init(spec)) {
    const int32_t error = NonZeroError(texture->GetError());
    delete texture;
    return error;
  }
  *out = texture;
  return kNoErr;
}

// One try of a shared load in one environment; 6 sends the caller on to the library.
int32_t LoadSharedFrom(const STextureKind& kind, CResourceEnv& environment, SSpoolTableSpec spec,
                       CBaseTexture** out) {
  SSpoolKey& stored = spec.key;
  if (stored.byName) {
    if (!environment.FindResource(stored)) return NonZeroError(environment.GetLastResult());
    stored.byName = 0;
  }
  int32_t error = kNoErr;
  if (CSubscriber* shared = TakeSharedResource(environment, stored, &error)) {
    *out = static_cast<CBaseTexture*>(shared);
    return kNoErr;
  }
  if (error) return error;
  // The library is tried here, not by the subscription, so that the use is counted where the
  // texture lives.
  stored.fallback = 0;
  CBaseTexture* texture = nullptr;
  if (const int32_t made = MakeStored(kind, KeyOf(kind, &environment), spec, &texture)) return made;
  const CSharedEntry entry{texture, 1};
  if (!environment.GetSharedTable()->Append(&entry)) {
    delete texture;
    return kErrExpansion;
  }
  *out = texture;
  return kNoErr;
}

// A record is read by one texture at a time: while the environment shares it, a private copy is a
// duplicate of the shared texture.
int32_t CopyOfShared(CResourceEnv& environment, SSpoolKey stored, CBaseTexture** out) {
  if (stored.byName && !environment.FindResource(stored)) return NonZeroError(environment.GetLastResult());
  int32_t error = kNoErr;
  auto* shared = static_cast<CBaseTexture*>(TakeSharedResource(environment, stored, &error));
  if (!shared) return error ? error : kErrObjectInUse;
  const int32_t result = shared->Duplicate(out);
  CBaseTexture::ReleaseUse(shared);
  return result;
}

// For a random pick among the environment's stored textures of the type.
int32_t PickStoredId(CResourceEnv& environment, const char* typeName, uint32_t* id) {
  CResTypeTable* table = nullptr;
  if (!environment.FindType(typeName, &table, nullptr)) return NonZeroError(environment.GetLastResult());
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return NonZeroError(table->GetError());
  if (table->GetCount() == 0) return kErrObjectNotFound;
  *id = (*table)[NextRandom(GetRandomState()) % table->GetCount()].number;
  return kNoErr;
}

}  // namespace

CBaseTexture::CBaseTexture(const SObjectKey& key) : C3dBase(key), fHandle(RegisterHandle(this, key.classTag)) {}

CBaseTexture::~CBaseTexture() {
  LeaveUseTable();
  ReleaseHandle(fHandle);
}

void CBaseTexture::LeaveUseTable() {
  if (!IsStored()) return;
  CSharedTable* shared = static_cast<CResourceEnv*>(GetEnvironment())->GetSharedTable();
  if (!shared) return;
  CHolder holder(shared, true, false);
  for (uint32_t i = 0; holder.IsLocked() && i < shared->GetCount(); ++i) {
    if ((*shared)[i].object != this) continue;
    holder.Release();
    shared->RemoveAt(i);
    return;
  }
}

const char* CBaseTexture::TypeNameOf(uint32_t classTag) {
  const STextureKind* kind = KindOf(classTag);
  return kind ? kind->typeName : nullptr;
}

// ---- uses

int32_t CBaseTexture::AddUse() {
  if (!IsStored()) {
    ++fUseCount;
    return kNoErr;
  }
  const int32_t result = AddSharedUse(this);
  return result == kErrObjectNotFound ? kErrInvalidParameter : result;
}

int32_t CBaseTexture::ReleaseUse(CBaseTexture* texture) {
  if (!texture) return kNoErr;
  if (texture->IsStored()) return ReleaseIndexedResource(texture);
  if (texture->fUseCount == 0) delete texture;
  else --texture->fUseCount;
  return kNoErr;
}

// ---- making and loading

int32_t CBaseTexture::MakeNew(uint32_t classTag, CSpoolSys* environment, CBaseTexture** out) {
  *out = nullptr;
  const STextureKind* kind = KindOf(classTag);
  if (!kind) return kErrObjectNotFound;
  const SObjectKey key = KeyOf(*kind, environment ? environment : ObjectsEnvironment());
  const SSpoolKey fresh = key.NewSpoolKey();
  SSpoolTableSpec spec;
  spec.SetForObjects(false, &fresh);
  const int32_t result = MakeStored(*kind, key, spec, out);
  return result == kErrFailedCreation ? kErrOutOfMemory : result;
}

int32_t CBaseTexture::FindOrCreate(uint32_t classTag, int32_t index, CSpoolSys* environment, CBaseTexture** out) {
  *out = nullptr;
  const STextureKind* kind = KindOf(classTag);
  if (!kind) return kErrObjectNotFound;
  if (!environment) return kErrInvalidParameter;
  if (environment->GetKind() != kResourceKind) return MakeNew(classTag, environment, out);
  uint32_t id = uint32_t(index);
  if (classTag == C3dTexture::kClassTag && index == -1) {
    if (const int32_t error = PickStoredId(*static_cast<CResourceEnv*>(environment), kind->typeName, &id)) return error;
  }
  SSpoolKey stored;
  stored.Set(kind->typeName, id, false);
  return LoadShared(classTag, out, KeyOf(*kind, environment), StoredSpec(stored));
}

int32_t CBaseTexture::LoadShared(uint32_t classTag, CBaseTexture** out, const SObjectKey& key,
                                 const SSpoolTableSpec& spec) {
  *out = nullptr;
  const STextureKind* kind = KindOf(classTag);
  if (!kind) return kErrObjectNotFound;
  SSpoolTableSpec keyed = spec;
  keyed.keyed = 1;
  CSpoolSys* environment = key.environment;
  for (;;) {
    if (const int32_t error = CheckSharedEnvironment(environment)) return error;
    auto* resources = static_cast<CResourceEnv*>(environment);
    const int32_t result = LoadSharedFrom(*kind, *resources, keyed, out);
    CResourceEnv* library = LibraryEnvironment();
    if (result != kErrObjectNotFound || !keyed.key.fallback || !library || library == resources) return result;
    environment = library;
  }
}

int32_t CBaseTexture::LoadPrivate(uint32_t classTag, CBaseTexture** out, const SObjectKey& key,
                                  const SSpoolTableSpec& spec) {
  *out = nullptr;
  const STextureKind* kind = KindOf(classTag);
  if (!kind) return kErrObjectNotFound;
  if (const int32_t error = CheckPrivateEnvironment(key.environment)) return error;
  SSpoolTableSpec keyed = spec;
  keyed.keyed = 1;
  CBaseTexture* texture = nullptr;
  const int32_t made = MakeStored(*kind, KeyOf(*kind, key.environment), keyed, &texture);
  if (made == kErrObjectInUse) return CopyOfShared(*static_cast<CResourceEnv*>(key.environment), keyed.key, out);
  if (made) return made;
  // The subscription may have found the record in the application's own resource file.
  int32_t result = texture->GetEnvironment() == key.environment ? kNoErr
                                                                 : CheckPrivateEnvironment(texture->GetEnvironment());
  if (!result) result = texture->MoveToObjects();
  if (result) {
    delete texture;
    return result;
  }
  *out = texture;
  return kNoErr;
}

int32_t CBaseTexture::CopyByName(uint32_t classTag, const char* name, CSpoolSys* environment, CBaseTexture** out,
                                 bool shared) {
  *out = nullptr;
  const STextureKind* kind = KindOf(classTag);
  if (!kind) return kErrObjectNotFound;
  if (!environment || environment->GetKind() != kResourceKind) return kErrUnexpectedType;
  auto* resources = static_cast<CResourceEnv*>(environment);
  SSpoolKey stored;
  stored.SetByName(kind->typeName, name, false);
  if (!resources->FindResource(stored)) return NonZeroError(resources->GetLastResult());
  const SObjectKey key = KeyOf(*kind, environment);
  return shared ? LoadShared(classTag, out, key, StoredSpec(stored)) : LoadPrivate(classTag, out, key, StoredSpec(stored));
}

int32_t CBaseTexture::CopyByTag(uint32_t classTag, uint32_t id, CSpoolSys* environment, CBaseTexture** out,
                                bool shared) {
  *out = nullptr;
  const STextureKind* kind = KindOf(classTag);
  if (!kind) return kErrObjectNotFound;
  SSpoolKey stored;
  stored.Set(kind->typeName, id, false);
  const SObjectKey key = KeyOf(*kind, environment);
  const int32_t result =
      shared ? LoadShared(classTag, out, key, StoredSpec(stored)) : LoadPrivate(classTag, out, key, StoredSpec(stored));
  // The copy remembers where it came from.
  if (!result) (*out)->SetKey(stored);
  return result;
}

bool CBaseTexture::HoldForRender() {
  if (fRenderHolds > 0) {
    ++fRenderHolds;
    return true;
  }
  if (!Lock()) return false;
  fRenderHolds = 1;
  return true;
}

void CBaseTexture::ReleaseAfterRender() {
  if (fRenderHolds == 0 || --fRenderHolds > 0) return;
  Unlock(false, false);
}
