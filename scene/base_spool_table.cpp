#include "scene/base_spool_table.h"

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/base.h"

namespace {

SDynTableLayout PointerLayout(CSpoolSys* environment) {
  SPtrTableLayout layout;
  layout.Set(environment, 0, C3dBaseSpoolTable::kGrowthStep);
  return layout;
}

SSpoolTableSpec PointerSpec() {
  SSpoolTableSpec spec;
  spec.SetForPointers(false, nullptr);
  return spec;
}

}  // namespace

void SSpoolTableSpec::SetForPointers(bool isKeyed, const SSpoolKey* spoolKey) {
  SetDefaults(isKeyed, spoolKey, &C3dBaseSpoolTable::HandleMessage);
}

C3dBaseSpoolTable::C3dBaseSpoolTable(CSpoolSys* environment)
    : CSpoolDynTable<C3dBase*>(PointerLayout(environment), PointerSpec()) {}

int32_t C3dBaseSpoolTable::LockAll() {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  for (uint32_t i = 0; i < GetCount(); ++i) {
    C3dBase* thing = At(i);
    if (!thing || thing->Lock()) continue;
    const int32_t error = NonZeroError(thing->GetError());
    for (uint32_t j = 0; j < i; ++j) {
      if (At(j)) At(j)->Unlock(false, false);
    }
    return error;
  }
  return kNoErr;
}

int32_t C3dBaseSpoolTable::UnlockAll(bool dirty, bool release) {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  for (uint32_t i = 0; i < GetCount(); ++i) {
    if (C3dBase* thing = At(i)) thing->Unlock(dirty, release);
  }
  return kNoErr;
}

SLockAllGuard::SLockAllGuard(C3dBaseSpoolTable* table, bool dirty, bool release)
    : fTable(table), fResult(table->LockAll()), fDirty(dirty), fRelease(release) {}

SLockAllGuard::~SLockAllGuard() {
  if (fResult == 0) fTable->UnlockAll(fDirty, fRelease);
}
