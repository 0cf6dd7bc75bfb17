#include "framework/core/ix_loader.h"

#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"

namespace {

// Bounds the records of a list far beyond any real one.
constexpr int32_t kCountLimit = 1073741823;

bool SameKey(const SSpoolKey& a, const SSpoolKey& b) {
  return a.id == b.id && std::strncmp(a.typeName, b.typeName, SSpoolKey::kTypeNameChars) == 0;
}

CSubscriber* MakeSubscriber(CResourceEnv& env, const void*) { return new CSubscriber(SSpoolLayout{&env, 0, 0}); }

// One try in one environment; 6 sends the caller on to the fallback.
int32_t LoadFrom(CResourceEnv& env, SSpoolKey key, const SSpoolTableSpec& spec, SharedObjectMaker make,
                 const void* context, CSubscriber** object) {
  if (key.byName) {
    if (!env.FindResource(key)) return NonZeroError(env.GetLastResult());
    key.byName = 0;
  }
  int32_t err = kNoErr;
  if ((*object = TakeSharedResource(env, key, &err)) || err) return err;
  CSubscriber* made = make(env, context);
  if (!made) return kErrOutOfMemory;
  if (!made->IsValid()) {
    delete made;
    return kErrFailedCreation;
  }
  SSpoolTableSpec keyed = spec;
  keyed.keyed = 1;
  keyed.key = key;
  // The loader goes to the application's file itself: there the list may be shared already.
  keyed.key.fallback = 0;
  if (!made->Subscribe(keyed)) {
    err = NonZeroError(made->GetError());
    delete made;
    return err;
  }
  const CSharedEntry entry{made, 1};
  if (!env.GetSharedTable()->Append(&entry)) {
    delete made;
    return kErrExpansion;
  }
  *object = made;
  return kNoErr;
}

}  // namespace

CSubscriber* TakeSharedResource(CResourceEnv& env, const SSpoolKey& key, int32_t* error) {
  CSharedTable* shared = env.GetSharedTable();
  CHolder holder(shared, true, false);
  if (!holder.IsLocked()) {
    *error = NonZeroError(shared->GetError());
    return nullptr;
  }
  for (uint32_t i = 0; i < shared->GetCount(); ++i) {
    CSharedEntry& entry = (*shared)[i];
    if (!SameKey(entry.object->GetKey(), key)) continue;
    ++entry.useCount;
    return entry.object;
  }
  return nullptr;
}

SSpoolKey IndexedKey(const char* tag, uint32_t number, const char* name) {
  SSpoolKey key;
  if (name) key.SetByName(tag, name, true);
  else key.Set(tag, number, true);
  return key;
}

int32_t LoadIndexedResource(CSubscriber** object, const SIndexedRef& ref, const SSpoolTableSpec& spec) {
  return LoadSharedResource(object, ref, spec, &MakeSubscriber, nullptr);
}

int32_t LoadSharedResource(CSubscriber** object, const SIndexedRef& ref, const SSpoolTableSpec& spec,
                           SharedObjectMaker make, const void* context) {
  *object = nullptr;
  CAppl* app = GetApplication();
  CResourceEnv* fallback = app ? app->GetResourceEnv() : nullptr;
  CSpoolSys* env = ref.environment;
  for (;;) {
    if (!env || !env->IsReady()) return kErrInvalidParameter;
    if (env->GetKind() != kResourceKind) return kErrUnexpectedType;
    auto* resources = static_cast<CResourceEnv*>(env);
    if (!resources->IsOpen()) return kErrInvalidParameter;
    const int32_t err = LoadFrom(*resources, ref.key, spec, make, context, object);
    if (err != kErrObjectNotFound || !ref.withFallback || !fallback || fallback == env) return err;
    env = fallback;
  }
}

int32_t ReleaseIndexedResource(CSubscriber* object) {
  if (!object) return kErrInvalidParameter;
  CSpoolSys* env = object->GetEnvironment();
  if (!object->IsValid() || !object->IsSubscribed() || !env || env->GetKind() != kResourceKind)
    return kErrUnexpectedStatus;
  CSharedTable* shared = static_cast<CResourceEnv*>(env)->GetSharedTable();
  CHolder holder(shared, true, false);
  if (!holder.IsLocked()) return NonZeroError(shared->GetError());
  for (uint32_t i = 0; i < shared->GetCount(); ++i) {
    CSharedEntry& entry = (*shared)[i];
    if (entry.object != object) continue;
    if (entry.useCount > 1) {
      --entry.useCount;
      return kNoErr;
    }
    holder.Release();
    shared->RemoveAt(i);
    delete object;
    return kNoErr;
  }
  return kErrObjectNotFound;
}

int32_t AddSharedUse(CSubscriber* object) {
  CSpoolSys* env = object ? object->GetEnvironment() : nullptr;
  if (!env || env->GetKind() != kResourceKind || !env->IsReady() || !static_cast<CResourceEnv*>(env)->IsOpen())
    return kErrInvalidParameter;
  CSharedTable* shared = static_cast<CResourceEnv*>(env)->GetSharedTable();
  CHolder holder(shared, true, false);
  if (!holder.IsLocked()) return NonZeroError(shared->GetError());
  for (uint32_t i = 0; i < shared->GetCount(); ++i) {
    if ((*shared)[i].object != object) continue;
    ++(*shared)[i].useCount;
    return kNoErr;
  }
  return kErrObjectNotFound;
}

uint32_t SharedUseCount(const CSubscriber* object) {
  CSpoolSys* env = object ? object->GetEnvironment() : nullptr;
  if (!env || env->GetKind() != kResourceKind) return 0;
  CSharedTable* shared = static_cast<CResourceEnv*>(env)->GetSharedTable();
  CHolder holder(shared, false, false);
  for (uint32_t i = 0; holder.IsLocked() && i < shared->GetCount(); ++i) {
    if ((*shared)[i].object == object) return (*shared)[i].useCount;
  }
  return 0;
}

uint32_t HandleIndexedRecord(CSpoolMem* object, uint32_t message, void* argument, const char* tag) {
  if (message != kSpoolAfterRead) return SpoolDefaultTypeHandler(object, message, argument);
  const uint8_t* data = object->GetData();
  if (object->GetDataSize() < kIndexedHeaderBytes || std::memcmp(data, tag, 4) != 0 ||
      std::memcmp(data + 4, "0100", 4) != 0) {
    object->SetError(kErrInvalidFormat);
    return false;
  }
  return true;
}

SSpoolTableSpec IndexedSpec(uint32_t (*handler)(CSpoolMem*, uint32_t, void*)) {
  SSpoolTableSpec spec;
  spec.SetDefaults(true, nullptr, handler);
  spec.range = SRange{0, kCountLimit};
  return spec;
}
