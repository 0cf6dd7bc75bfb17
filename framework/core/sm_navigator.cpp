#include "framework/core/sm_navigator.h"

#include "framework/core/spool_mem.h"

CSmNavigator::CSmNavigator(CSpoolMem* object, uint32_t cellSize, uint32_t width, const SRect* area,
                           uint32_t stride, bool changed, bool release, HolderFailureCallback failure)
    : fHolder(object, changed, release, failure) {
  if (fHolder.IsLocked()) Attach(object, cellSize, width, area, stride);
}

CSmNavigator::~CSmNavigator() {
  fHolder.Release();
  Detach();
}

bool CSmNavigator::IsUsable() const { return IsAttached() && fHolder.IsDataUsable(); }
