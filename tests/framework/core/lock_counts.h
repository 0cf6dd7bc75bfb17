// Every spooled object's lock count in the environments, by object: a render (or any other piece of
// work that locks what it reads) must leave each count as it found it, or the object can never be
// paged out, moved into a document or saved.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>

#include "framework/core/cm_function.h"
#include "framework/core/spool_sys.h"
#include "framework/core/subscriber.h"

using LockCountMap = std::map<const CSubscriber*, uint32_t>;

inline LockCountMap LockCounts(std::initializer_list<CSpoolSys*> environments) {
  LockCountMap counts;
  for (CSpoolSys* environment : environments) {
    CCmFunction* rows = environment ? environment->GetSubscriberTable() : nullptr;
    for (uint32_t i = 0; rows && i < rows->GetCount(); ++i) {
      const auto* object = static_cast<const CSubscriber*>((*rows)[i].owner);
      counts[object] = object->GetLockCount();
    }
  }
  return counts;
}

// The objects of after whose count is not what it was before (an object made since counts against
// none), with their counts now.
inline LockCountMap ChangedLockCounts(const LockCountMap& before, const LockCountMap& after) {
  LockCountMap changed;
  for (const auto& [object, count] : after) {
    const auto was = before.find(object);
    if (count != (was == before.end() ? 0u : was->second)) changed[object] = count;
  }
  return changed;
}
