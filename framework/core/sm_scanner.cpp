#include "framework/core/sm_scanner.h"

#include "framework/core/spool_mem.h"

CSmScanner::CSmScanner(CSpoolMem* object, uint32_t recordSize, const SRange* range, bool changed, bool release,
                       HolderFailureCallback failure)
    : fHolder(object, changed, release, failure) {
  if (fHolder.IsLocked()) Attach(object, recordSize, range);
}

CSmScanner::~CSmScanner() {
  fHolder.Release();
  Detach();
}

bool CSmScanner::IsUsable() const { return IsAttached() && fHolder.IsDataUsable(); }
