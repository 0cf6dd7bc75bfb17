// Whole resources in and out of a resource environment, as the resource tools and the tests' fixtures
// move them: a put followed by one writer, and one reader that copies the data out. Pictures and
// outline fonts are stored through their own record handlers (record_store.h).
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/resource_env.h"

// The spec of the resource of the key, read or written through handler when there is one.
SSpoolTableSpec KeyedSpec(const SSpoolKey& key, SpoolTypeHandler handler = nullptr);
// PutResource, then a spool object of the key sized, filled, written and released; 0 or the code.
// With a record handler the bytes are the record in machine order, and the handler writes them in
// their stored form; without one they are written as they are.
int32_t StoreResource(CResourceEnv& env, const SSpoolKey& key, const std::vector<uint8_t>& bytes,
                      SpoolTypeHandler handler = nullptr);
// The stored data of the resource (by name when the key says so); 0 or the code.
int32_t LoadResource(CResourceEnv& env, const SSpoolKey& key, std::vector<uint8_t>* bytes);
// The bytes of the resource's data entry as the file holds them, for a resource of any type (a table
// with a stored header too); 0 or the code.
int32_t LoadStoredEntry(CResourceEnv& env, const SSpoolKey& key, std::vector<uint8_t>* bytes);
