#include "scene/base.h"

#include "framework/core/appl.h"
#include "framework/core/byte_order.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/base_sys.h"

void SwapWordAt(uint8_t* at) { StoreField(at, SwapLong(LoadField<uint32_t>(at))); }

void SwapDoubleAt(uint8_t* at) { StoreField(at, SwapDouble(LoadField<double>(at))); }

C3dBase::C3dBase(const SObjectKey& key) : CSubscriber(key), fFamily(key.family), fClass(key.classTag) {
  CSpoolSys* environment = GetEnvironment();
  if (!IsValid() || (environment && !environment->IsReady())) return;
  fReady = true;
  SizeRecord(kRecordSize);
}

C3dBase::~C3dBase() {
  // A thing deleted while still in a table must not leave its row behind.
  if (fOwningTable) fOwningTable->RemoveObject(this, false, false);
  fReady = false;
}

void* C3dBase::operator new(size_t size) noexcept {
  CMemPool* pool = GetObjectPool();
  return pool ? pool->Alloc(size) : nullptr;
}

void C3dBase::operator delete(void* p) noexcept {
  if (CMemPool* pool = GetObjectPool()) pool->Free(p);
}

void C3dBase::SizeRecord(uint32_t size) {
  if (fReady && !Resize(size, true, true)) fReady = false;
}

bool C3dBase::Init(const SSpoolTableSpec& spec) {
  fKeyCopy = spec.key;
  return Subscribe(spec);
}

bool C3dBase::InitDetached(const SSpoolTableSpec& spec) {
  fKeyCopy = spec.key;
  if (!IsStored()) {
    SetError(kErrUnexpectedStatus);
    return false;
  }
  return static_cast<CResourceEnv*>(GetEnvironment())->ReadDetached(this, spec);
}

bool C3dBase::IsReady() const {
  const CSpoolSys* environment = GetEnvironment();
  return fReady && IsValid() && (!environment || environment->IsReady());
}

bool C3dBase::IsStored() const {
  const CSpoolSys* environment = GetEnvironment();
  return environment && environment->GetKind() == kResourceKind;
}

int32_t C3dBase::AttachToTable(C3dBaseSys* table) {
  if (fKeyCopy.id == 0) fKeyCopy.id = table->TakeNewId();
  else table->NoteId(fKeyCopy.id);
  fOwningTable = table;
  return kNoErr;
}

int32_t C3dBase::DetachFromTable() {
  fOwningTable = nullptr;
  return kNoErr;
}

bool C3dBase::SaveState() {
  uint8_t* record = GetData();
  StoreField(record + kFamilyOffset, fFamily);
  StoreField(record + kClassOffset, fClass);
  return true;
}

void C3dBase::RestoreState() {
  const uint8_t* record = GetData();
  fFamily = LoadField<uint32_t>(record + kFamilyOffset);
  fClass = LoadField<uint32_t>(record + kClassOffset);
}

bool C3dBase::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize) return false;
  SwapWordAt(record + kFamilyOffset);
  SwapWordAt(record + kClassOffset);
  return true;
}

bool C3dBase::IsInStoredOrder(const uint8_t*, uint32_t) const { return true; }

bool C3dBase::SwapOwnRecord() {
  if (SwapRecord(GetData(), GetDataSize())) return true;
  SetError(kErrInvalidFormat);
  return false;
}

uint32_t C3dBase::HandleMessage(CSpoolMem* object, uint32_t message, void* argument) {
  auto* thing = static_cast<C3dBase*>(object);
  switch (message) {
    case kSpoolBeforeWrite:
      if (!thing->SaveState()) return false;
      return !thing->IsStored() || thing->SwapOwnRecord();
    case kSpoolAfterWrite: return !thing->IsStored() || thing->SwapOwnRecord();
    case kSpoolAfterRead:
      if (!thing->IsStored()) return true;
      if (!thing->IsInStoredOrder(thing->GetData(), thing->GetDataSize())) {
        thing->SetError(kErrInvalidFormat);
        return false;
      }
      if (!thing->SwapOwnRecord()) return false;
      thing->RestoreState();
      return true;
    default: return SpoolDefaultTypeHandler(object, message, argument);
  }
}

void SSpoolTableSpec::SetForObjects(bool isKeyed, const SSpoolKey* spoolKey) {
  SetDefaults(isKeyed, spoolKey, &C3dBase::HandleMessage);
}

int32_t C3dBase::MoveToObjects() {
  CAppl* app = GetApplication();
  CSpoolSys* objects = app ? app->GetObjectsEnv() : nullptr;
  if (!objects) return kErrUnexpectedStatus;
  {
    CHolder page(this, false, false);
    if (!page.IsLocked()) return NonZeroError(GetError());
  }
  if (!SetEnvironment(objects)) return NonZeroError(GetError());
  SSpoolKey fresh;
  fresh.Set(TypeName(), 0, false);
  SSpoolTableSpec spec;
  spec.SetForObjects(false, &fresh);
  if (!Init(spec)) return NonZeroError(GetError());
  CHolder changed(this, true, false);
  return changed.IsLocked() ? kNoErr : NonZeroError(GetError());
}
