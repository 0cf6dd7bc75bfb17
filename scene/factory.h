// The factories that make every scene thing: allocate from the objects pool, construct on the key,
// check, subscribe with the creation spec, enter the table (when one is given) and write the fresh
// record's defaults. The shape form also gives the object a new base material holding the template
// material's contents; the light and mesh form gives none. Every failure deletes what was made and
// answers null: 9 (no memory or a failed lock), 13 (not ready or not initialised) or the table's
// code.
#pragma once

#include <cstdint>

#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/object_key.h"

class C3dObject;

// The creation key and spec of a new thing of class T in an environment.
template <typename T>
void MakeCreationKey(CSpoolSys* environment, SObjectKey& key, SSpoolTableSpec& spec) {
  key.Set(environment, T::kFamily, T::kClassTag, T::kTypeName);
  const SSpoolKey spoolKey = key.NewSpoolKey();
  spec.SetForObjects(false, &spoolKey);
}

// Steps shared by both forms: made, ready, initialised and, when a table is given, entered.
template <typename T>
int32_t MakeAndEnter(T** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  *out = nullptr;
  T* object = new T(key);
  if (!object) return kErrOutOfMemory;
  int32_t result = object->IsReady() && object->Init(spec) ? kNoErr : kErrFailedCreation;
  if (!result && table) result = table->AddObject(object, C3dBaseSys::kDefaultSortKey, 0, 0);
  if (result) {
    delete object;
    return result;
  }
  *out = object;
  return kNoErr;
}

// Light and mesh form.
template <typename T>
int32_t NewObject(T** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  *out = nullptr;
  T* object = nullptr;
  int32_t result = MakeAndEnter(&object, table, key, spec);
  if (result) return result;
  {
    CHolder holder(object, true, false);
    if (holder.IsLocked()) object->InitDefaults();
    else result = kErrOutOfMemory;
  }
  if (result) {
    delete object;
    return result;
  }
  *out = object;
  return kNoErr;
}

// The document's plain factory of class T: a new T in the environment with its defaults and no
// material of its own, entered in the table when one is given. The plane, sphere, cylinder, cube,
// cone, height field and torus factories and the sun's are this form.
template <typename T>
int32_t AppendNew(T** out, C3dBaseSys* table, CSpoolSys* environment) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(environment, key, spec);
  return NewObject(out, table, key, spec);
}

// Gives a new object (locked by the caller) a new base material in the table, a copy of the template
// material; a template that no longer exists leaves the new material as it was made.
int32_t GiveNewMaterial(C3dObject* object, C3dBaseSys* table, CSpoolSys* environment, Handle32 templateMaterial);

// Undoes the shape form: deletes the object's material (when it still exists) and the object.
void DeleteShape(C3dObject* object);

// Shape form.
template <typename T>
int32_t NewShape(T** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec,
                 Handle32 templateMaterial) {
  *out = nullptr;
  T* object = nullptr;
  int32_t result = MakeAndEnter(&object, table, key, spec);
  if (result) return result;
  {
    CHolder holder(object, true, false);
    if (holder.IsLocked()) {
      object->InitDefaults();
      result = GiveNewMaterial(object, table, key.environment, templateMaterial);
    } else {
      result = kErrOutOfMemory;
    }
  }
  if (result) {
    delete object;
    return result;
  }
  *out = object;
  return kNoErr;
}

// Duplicate of a class made by the shape form: a copy of the source in the table with a copy of its
// material, or null.
template <typename T>
T* DuplicateShape(T& source, C3dBaseSys* table) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(source.GetEnvironment(), key, spec);
  T* copy = nullptr;
  if (NewShape(&copy, table, key, spec, source.GetMaterial())) return nullptr;
  if (source.CopyTo(*copy)) {
    DeleteShape(copy);
    return nullptr;
  }
  return copy;
}
