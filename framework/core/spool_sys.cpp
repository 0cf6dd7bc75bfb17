#include "framework/core/spool_sys.h"

#include "framework/core/appl.h"
#include "framework/core/mem_pool.h"
#include "framework/core/mem_recover.h"

CSpoolSys::CSpoolSys(const CFileSpec*, CMemPool* pool, SRange growth, uint32_t ordering, bool registerRecovery,
                     CFCallback handler, int32_t priority)
    : fPool(pool ? pool : GetDataPool()), fOrdering(ordering) {
  fSubscribers = new CCmFunction(growth);
  if (!fSubscribers || !fSubscribers->IsValid() || !fPool || !fPool->IsValid()) return;
  if (registerRecovery) {
    CAppl* app = GetApplication();
    CMemRecover* recover = app ? app->GetDataMemRecover() : nullptr;
    if (!recover || !recover->Register(this, handler, priority)) return;
    fRegistered = true;
  }
  fValid = true;
}

CSpoolSys::~CSpoolSys() {
  if (fRegistered) {
    CAppl* app = GetApplication();
    if (CMemRecover* recover = app ? app->GetDataMemRecover() : nullptr) recover->Unregister(this);
  }
  delete fSubscribers;
}

int32_t CSpoolSys::HandleMemoryRecovery(void*, void*, void*) { return 0; }
