#include "framework/core/mem_recover.h"

#include "framework/core/mem_pool.h"

CMemRecover::CMemRecover(CMemPool* pool, SRange spec) : CCmFunction(spec), fPool(pool) {
  if (IsValid() && fPool) fPool->SetRecovery(&CMemRecover::Recover, this);
}

CMemRecover::~CMemRecover() {
  if (IsValid() && fPool && fPool->IsValid() && fPool->GetRecoveryContext() == this)
    fPool->SetRecovery(nullptr, nullptr);
}

bool CMemRecover::Register(const void* owner, CFCallback callback, int32_t priority) {
  if (!AddRow(owner, callback, priority)) return false;
  fUnsorted = true;
  return true;
}

uint32_t CMemRecover::Recover(uint32_t* request, uint32_t, void* context) {
  auto* table = static_cast<CMemRecover*>(context);
  if (!table || !request || *request == 0) return 0;
  table->SortIfUnsorted(table->fUnsorted);
  SMemRecoverRecord record;
  record.request = request;
  return uint32_t(table->Broadcast(&record));
}
