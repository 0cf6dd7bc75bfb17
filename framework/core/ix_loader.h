// The shared indexed loader: the resource of an indexed list ('ixtx', 'ixco', 'ixim') is loaded once
// per resource environment and shared, with a use count, by every list object that names it. A list
// that the given environment lacks may come from the application's own resource environment.
#pragma once

#include <cstdint>

#include "framework/core/spool_key.h"
#include "framework/core/spool_table_spec.h"

class CResourceEnv;
class CSpoolSys;
class CSpoolMem;
class CSubscriber;

// The 24-byte header the lists share: tag, version "0100", 15 bytes not read, the further sets.
inline constexpr uint32_t kIndexedHeaderBytes = 24;
inline constexpr uint32_t kIndexedSetsOffset = 23;

struct SIndexedRef {
  CSpoolSys* environment = nullptr;
  SSpoolKey key;  // type, number or name
  bool withFallback = false;
};

// The key of a list by name when one is given, else by number, with the fallback flag set.
SSpoolKey IndexedKey(const char* tag, uint32_t number, const char* name);

// 0 and the shared object; 16 when the environment is not open and ready, 14 when it is not a
// resource environment, 6 when the list is in neither environment, or the failure's code.
int32_t LoadIndexedResource(CSubscriber** object, const SIndexedRef& ref, const SSpoolTableSpec& spec);
// The same for objects of another class: make(env, context) makes an unsubscribed one in env, null
// when memory fails (9); one that is not valid answers 13.
using SharedObjectMaker = CSubscriber* (*)(CResourceEnv& env, const void* context);
int32_t LoadSharedResource(CSubscriber** object, const SIndexedRef& ref, const SSpoolTableSpec& spec,
                           SharedObjectMaker make, const void* context);
// Lowers the object's use count in its environment's shared table, deleting it with its last user.
int32_t ReleaseIndexedResource(CSubscriber* object);
// The shared object of the key (type name and number) in env with its use count raised; null when
// none is shared, or with *error set when the table cannot be locked.
CSubscriber* TakeSharedResource(CResourceEnv& env, const SSpoolKey& key, int32_t* error);
// One more use of a shared object: 0; 16 when its environment is not an open resource environment,
// 6 when the object is not shared there, or the table's lock error.
int32_t AddSharedUse(CSubscriber* object);
// The use count of a shared object; 0 when it is not shared.
uint32_t SharedUseCount(const CSubscriber* object);

// The page-in check of a list's record-type handler: at least the header, the tag and "0100"
// (else 2). Nothing is converted; other messages go to the default handler.
uint32_t HandleIndexedRecord(CSpoolMem* object, uint32_t message, void* argument, const char* tag);
// Spec of a list's resource: the handler, the standard spool-system handler.
SSpoolTableSpec IndexedSpec(uint32_t (*handler)(CSpoolMem*, uint32_t, void*));
