// How a spool object subscribes to an environment: whether it is looked up by key (resource
// environments only), the key, and the handlers and priority its row in the spool system gets.
#pragma once

#include <cstdint>

#include "framework/core/cm_function.h"
#include "framework/core/rect.h"
#include "framework/core/spool_key.h"
#include "framework/core/spool_mem.h"

struct SSpoolTableSpec {
  static constexpr int32_t kDefaultPriority = 0x3FFFFFFF;

  uint8_t keyed = 0;
  SSpoolKey key;
  SRange range{-1, -1};
  // Null handlers mean SpoolDefaultTypeHandler and CSpoolTable::HandleSpoolMessage.
  SpoolTypeHandler recordHandler = nullptr;
  CFCallback systemHandler = nullptr;
  int32_t priority = kDefaultPriority;
  // A resource whose number several rows of its type's table hold binds to the first of them; a
  // reader that takes another names its row here.
  int32_t resourceRow = -1;

  void Set(bool isKeyed, const SSpoolKey* spoolKey, SRange spoolRange, SpoolTypeHandler record, CFCallback system,
           int32_t systemPriority);
  // Range (-1, -1), CSpoolTable::HandleSpoolMessage and the default priority.
  void SetDefaults(bool isKeyed, const SSpoolKey* spoolKey, SpoolTypeHandler record);
  // SetDefaults with the record handler of the scene's pointer tables, and with the scene-thing record
  // handler. Both handlers belong to scene/, which defines these two.
  void SetForPointers(bool isKeyed, const SSpoolKey* spoolKey);
  void SetForObjects(bool isKeyed, const SSpoolKey* spoolKey);
};
