#include "framework/core/spool_table_spec.h"

#include "framework/core/spool_table.h"

void SSpoolTableSpec::Set(bool isKeyed, const SSpoolKey* spoolKey, SRange spoolRange, SpoolTypeHandler record,
                          CFCallback system, int32_t systemPriority) {
  keyed = isKeyed ? 1 : 0;
  key = spoolKey ? *spoolKey : SSpoolKey{};
  range = spoolRange;
  recordHandler = record ? record : &SpoolDefaultTypeHandler;
  systemHandler = system ? system : &CSpoolTable::HandleSpoolMessage;
  priority = systemPriority;
  resourceRow = -1;
}

void SSpoolTableSpec::SetDefaults(bool isKeyed, const SSpoolKey* spoolKey, SpoolTypeHandler record) {
  Set(isKeyed, spoolKey, SRange{-1, -1}, record, &CSpoolTable::HandleSpoolMessage, kDefaultPriority);
}
