#include "framework/core/subscriber.h"

#include "framework/core/appl.h"
#include "framework/core/cm_file.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"

CSubscriber::CSubscriber(const SSpoolLayout& layout)
    : CSpoolMem(layout.byteSize, layout.environment ? layout.environment->GetPool() : nullptr, layout.headerBytes),
      fEnvironment(layout.environment) {
  fValid = IsConstructed() && (!IsBacked() || GetFile()->IsOpen());
}

CSubscriber::CSubscriber(const SSpoolLayout& layout, const SSpoolTableSpec& spec) : CSubscriber(layout) {
  SubscribeOnCreation(spec);
}

CSubscriber::~CSubscriber() {
  if (fSubscribed) Unsubscribe();
}

void CSubscriber::SubscribeOnCreation(const SSpoolTableSpec& spec) {
  if (fValid && !(fEnvironment && fEnvironment->GetKind() == kResourceKind)) fValid = Subscribe(spec);
}

void CSubscriber::Refuse(int32_t error) {
  fValid = false;
  SetError(error);
}

void CSubscriber::SetKey(const SSpoolKey& key) {
  fKey = key;
  fHasKey = true;
}

bool CSubscriber::Subscribe(const SSpoolTableSpec& spec) {
  SetError(kNoErr);
  if (fSubscribed) {
    SetError(kErrUnexpectedStatus);
    return false;
  }
  if (!fEnvironment || (spec.keyed && fEnvironment->GetKind() != kResourceKind)) {
    SetError(kErrInvalidParameter);
    return false;
  }
  fSubscribed = fEnvironment->Subscribe(this, spec);
  if (!fSubscribed && fEnvironment->GetKind() == kResourceKind) fSubscribed = SubscribeToFallback(spec);
  return fSubscribed;
}

// A shared resource missing from a read-only file may come from the application's own resource file.
bool CSubscriber::SubscribeToFallback(const SSpoolTableSpec& spec) {
  auto* first = static_cast<CResourceEnv*>(fEnvironment);
  CAppl* app = GetApplication();
  CResourceEnv* fallback = app ? app->GetResourceEnv() : nullptr;
  const CCmFile* file = first->GetFile();
  if (first->GetLastResult() != kErrObjectNotFound || !spec.key.fallback || !file || !file->IsOpen() ||
      file->GetMode() != CFile::kModeRead || !fallback || fallback == first)
    return false;
  fEnvironment = fallback;
  const bool subscribed = fallback->Subscribe(this, spec);
  if (!subscribed) {
    if (fallback->GetLastResult() == kNoErr) fallback->SetLastResult(GetError());
    fEnvironment = first;
  }
  first->SetLastResult(fallback->GetLastResult());
  return subscribed;
}

bool CSubscriber::Unsubscribe() {
  SetError(kNoErr);
  if (!fSubscribed) return true;
  const bool done = fEnvironment->Unsubscribe(this);
  fSubscribed = false;
  return done;
}

bool CSubscriber::SetEnvironment(CSpoolSys* environment) {
  SetError(kNoErr);
  if (!environment) {
    SetError(kErrInvalidParameter);
    return false;
  }
  if (GetLockCount()) {
    SetError(kErrUnexpectedStatus);
    return false;
  }
  // Unsubscribing deletes what the swap file holds, so the data comes into memory first, and stays
  // there (pinned) until it has its new storage.
  if (fSubscribed && !Lock()) return false;
  const bool wasPinned = IsPinned();
  SetPinned(true);
  if (fSubscribed) Unlock(false, false);
  CMemPool* pool = environment->GetPool();
  CMemPool* before = GetPool();
  CMemBlock prepared;
  bool ok = true;
  // Resident data changes to the new pool's account where its budget takes it, else it is copied
  // into storage of that pool.
  const bool charged = IsResident() && pool != before && ChargeTo(pool);
  if (IsResident() && pool != before && !charged && !prepared.Init(GetDataSize(), pool, GetHeaderBytes())) {
    SetError(kErrOutOfMemory);
    ok = false;
  }
  if (ok && fSubscribed) ok = Unsubscribe();
  if (ok && IsBacked()) {
    SetError(kErrUnexpectedStatus);
    ok = false;
  }
  SetPinned(wasPinned);
  if (!ok) {
    if (charged) ChargeTo(before);
    return false;
  }
  TakePool(pool, prepared);
  fEnvironment = environment;
  return true;
}

void CSubscriber::LeaveEnvironment() {
  DropBacking();
  fSubscribed = false;
  fEnvironment = nullptr;
}
