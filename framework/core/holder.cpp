#include "framework/core/holder.h"

#include "framework/core/appl.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_mem.h"

CHolder::CHolder(CSpoolMem* object, bool dirty, bool flush, HolderFailureCallback failure, bool lock)
    : fObject(object),
      fFailure(failure ? failure : &CHolder::DefaultFailureHandler),
      fDirty(dirty),
      fFlush(flush) {
  if (lock && object) fLocked = object->Lock();
}

void CHolder::Release() {
  if (!fLocked) return;
  fLocked = false;
  if (!fObject->Unlock(fDirty, fFlush)) fFailure(this, 0);
}

bool CHolder::IsDataUsable() const {
  return fLocked && fObject->IsOwned() && fObject->GetPool() && fObject->GetPool()->IsValid();
}

uint32_t CHolder::DefaultFailureHandler(CHolder* holder, uint32_t) {
  CAppl* app = GetApplication();
  if (app && holder && holder->GetObject()) app->TellError(NonZeroError(holder->GetObject()->GetError()));
  return 0;
}
