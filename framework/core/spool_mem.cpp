#include "framework/core/spool_mem.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"

namespace {

std::atomic<uint64_t> gUseCounter{0};

// Stamps only order the least recently used first, so threads that stamp at once may lose a count
// or share a stamp; a plain load and store costs a fraction of the locked add, and every lock stamps.
uint64_t NextStamp() {
  const uint64_t stamp = gUseCounter.load(std::memory_order_relaxed) + 1;
  gUseCounter.store(stamp, std::memory_order_relaxed);
  return stamp;
}

// Marks an object's data as on its way in or out for as long as it lives.
class CTransit {
 public:
  explicit CTransit(std::atomic<bool>& flag) : fFlag(flag) { fFlag = true; }
  ~CTransit() { fFlag = false; }
  CTransit(const CTransit&) = delete;
  CTransit& operator=(const CTransit&) = delete;

 private:
  std::atomic<bool>& fFlag;
};

template <typename T>
void SwapAtomic(std::atomic<T>& a, std::atomic<T>& b) {
  b = a.exchange(b.load());
}

bool Succeeded(uint32_t answer) { return (answer & 0xFF) != 0; }

bool Fail(CSpoolMem* object, int32_t error) {
  object->SetError(error);
  return false;
}

uint32_t Entry(int32_t number) { return uint32_t(number); }

bool ReadData(CSpoolMem* object, void* argument) {
  if (object->GetFile()->GetEntryField(Entry(object->GetDataEntry())) == 0) return true;
  if (!object->Send(kSpoolBeforeRead, argument)) return false;
  if (!ReadDataEntry(object)) return false;
  return object->Send(kSpoolAfterRead, argument);
}

bool WriteData(CSpoolMem* object, void* argument) {
  if (!object->Send(kSpoolBeforeWrite, argument)) return false;
  const bool written = WriteDataEntry(object);
  // Data converted to stored order goes back to machine order whether or not the write succeeded.
  const bool restored = object->Send(kSpoolAfterWrite, argument);
  return written && restored;
}

uint32_t HeaderSize(CSpoolMem* object) {
  uint32_t size = 0;
  object->Send(kSpoolHeaderSize, &size);
  return size;
}

bool ReadHeader(CSpoolMem* object) {
  CCmFile* file = object->GetFile();
  const uint32_t entry = Entry(object->GetHeaderEntry());
  const uint32_t size = HeaderSize(object);
  if (size != file->GetEntryField(entry)) return Fail(object, kErrInvalidFormat);
  CMemBlock block(size, GetDefaultPool());
  if (!block.IsOwned()) return Fail(object, kErrOutOfMemory);
  if (const int32_t err = file->ReadEntry(entry, block)) return Fail(object, err);
  return object->Send(kSpoolApplyHeader, &block);
}

bool WriteHeader(CSpoolMem* object) {
  CCmFile* file = object->GetFile();
  const uint32_t entry = Entry(object->GetHeaderEntry());
  CMemBlock block(HeaderSize(object), GetDefaultPool());
  if (!block.IsOwned()) return Fail(object, kErrOutOfMemory);
  if (!object->Send(kSpoolFillHeader, &block)) return false;
  int32_t err = file->SetEntrySize(entry, block.GetSize());
  if (!err) err = file->WriteEntry(entry, block);
  return err ? Fail(object, err) : true;
}

// The data entry holds the header bytes in front of the data.
bool ApplyHeader(CSpoolMem* object) {
  const uint32_t stored = object->GetFile()->GetEntryField(Entry(object->GetDataEntry()));
  const uint32_t header = object->GetHeaderBytes();
  return object->Resize(stored > header ? stored - header : 0, false, true);
}

}  // namespace

bool ReadDataEntry(CSpoolMem* object) {
  CCmFile* file = object->GetFile();
  const uint32_t entry = Entry(object->GetDataEntry());
  const uint32_t stored = file->GetEntryField(entry);
  if (stored == 0) return true;
  const uint32_t room = object->GetSpooledBytes();
  // A longer entry (a table that shrank) gives only what the storage holds.
  const int32_t err = stored > room ? file->ReadEntryRange(entry, *object, 0, room) : file->ReadEntry(entry, *object);
  return err ? Fail(object, err) : true;
}

bool WriteDataEntry(CSpoolMem* object) {
  CCmFile* file = object->GetFile();
  const uint32_t entry = Entry(object->GetDataEntry());
  int32_t err = file->SetEntrySize(entry, object->GetSpooledBytes());
  if (!err) err = file->WriteEntry(entry, *object);
  return err ? Fail(object, err) : true;
}

uint32_t SpoolDefaultTypeHandler(CSpoolMem* object, uint32_t message, void* argument) {
  const bool backed = object->IsBacked();
  switch (message) {
    case kSpoolReadData: return backed && ReadData(object, argument);
    case kSpoolWriteData: return backed && WriteData(object, argument);
    case kSpoolReadHeader: return backed && ReadHeader(object);
    case kSpoolWriteHeader: return backed && WriteHeader(object);
    case kSpoolApplyHeader: return backed && ApplyHeader(object);
    case kSpoolHeaderSize:
      *static_cast<uint32_t*>(argument) = 0;
      return true;
    default: return true;
  }
}

// ---- construction

CSpoolMem::CSpoolMem(uint32_t dataSize, CMemPool* pool, uint32_t headerBytes) {
  SetLayout(dataSize, pool, headerBytes);
  Stamp();
  fConstructed = true;
}

CSpoolMem::~CSpoolMem() {
  ReleaseBacking(fScratch);
  fConstructed = false;
}

void CSpoolMem::SetLayout(uint32_t dataSize, CMemPool* pool, uint32_t headerBytes) {
  fDataSize = dataSize;
  fPool = pool ? pool : GetDataPool();
  fHeaderBytes = headerBytes;
}

bool CSpoolMem::Validate() { return fValidator ? fValidator(this) : true; }

uint32_t CSpoolMem::GetSpooledBytes() const {
  return uint32_t(std::min<uint64_t>(uint64_t(fHeaderBytes) + fDataSize, UINT32_MAX));
}

bool CSpoolMem::Send(uint32_t message, void* argument) {
  return Succeeded((fHandler ? fHandler : &SpoolDefaultTypeHandler)(this, message, argument));
}

// ---- locking

void CSpoolMem::Stamp() { fStamp.store(NextStamp(), std::memory_order_relaxed); }

// The count goes up first and the data is looked at after: a page-out marks the data in transit
// before it looks at the count, so one of the two sees the other.
bool CSpoolMem::LockResident() {
  if (!fResident || fInTransit) return false;
  ++fLockCount;
  if (fResident && !fInTransit) return true;
  LowerLockCount();
  return false;
}

void CSpoolMem::LowerLockCount() {
  uint32_t n = fLockCount;
  while (n && !fLockCount.compare_exchange_weak(n, n - 1)) {
  }
}

bool CSpoolMem::Lock() {
  Stamp();
  if (LockResident()) {
    if (fError.load(std::memory_order_relaxed) != kNoErr) SetError(kNoErr);
    return true;
  }
  std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  fError = kNoErr;
  // Paged in by another thread meanwhile, or by this one further out (a type handler locking the
  // object it is reading).
  if (fResident) {
    ++fLockCount;
    return true;
  }
  CTransit transit(fInTransit);
  if (!fPool || !fPool->IsValid() || !Init(fDataSize, fPool, fHeaderBytes)) return Fail(this, kErrOutOfMemory);
  fResident = true;
  ++fLockCount;
  if ((IsBacked() && !Send(kSpoolReadData, nullptr)) || !Validate()) {
    LowerLockCount();
    FreeStorage();
    if (!fError) fError = kErrGeneric;
    return false;
  }
  return true;
}

bool CSpoolMem::Unlock(bool dirty, bool flush) {
  if (fError.load(std::memory_order_relaxed) != kNoErr) SetError(kNoErr);
  if (dirty && !fReadOnly) {
    fModified = true;
    ++fChanges;
  }
  bool ok = true;
  if (flush && fModified) {
    std::lock_guard<std::recursive_mutex> guard(MemoryLock());
    ok = SendWrite();
  }
  LowerLockCount();
  return ok;
}

// Modified is cleared only once the data is stored: clearing it after a failed write (a full disk)
// would let the next page-out free the only copy.
bool CSpoolMem::SendWrite() {
  if (IsBacked()) {
    if (!Send(kSpoolWriteData, nullptr)) return false;
    if (fHasHeader && !Send(kSpoolWriteHeader, nullptr)) return false;
  }
  fModified = false;
  return true;
}

bool CSpoolMem::Resize(uint32_t newSize, bool keep, bool defer) {
  fError = kNoErr;
  if (newSize == fDataSize) return true;
  if (!fResident && (!IsBacked() || defer)) {
    fDataSize = newSize;
    return true;
  }
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return false;
  if (!CMemBlock::Resize(newSize, keep)) return Fail(this, kErrOutOfMemory);
  fDataSize = newSize;
  return true;
}

// ---- paging

bool CSpoolMem::PageOut() {
  std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  if (!IsPageable()) return Fail(this, kErrObjectBusy);
  CTransit transit(fInTransit);
  // A lock taken on another thread since the look keeps the data.
  if (fLockCount) return Fail(this, kErrObjectBusy);
  if (!WriteBack()) return false;
  FreeStorage();
  return true;
}

bool CSpoolMem::WriteBack() {
  std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  fError = kNoErr;
  if (!fResident || !fModified) return true;
  Stamp();
  ++fLockCount;
  const bool ok = SendWrite();
  LowerLockCount();
  return ok;
}

bool CSpoolMem::WriteHeader() {
  fError = kNoErr;
  if (!IsBacked() || fReadOnly) return Fail(this, IsBacked() ? kErrPermission : kErrUnexpectedStatus);
  return Send(kSpoolWriteHeader, nullptr);
}

void CSpoolMem::FreeStorage() {
  Release();
  fResident = false;
}

// ---- backing store

bool CSpoolMem::AttachToFile(CCmFile* file, uint32_t dataEntry, uint32_t headerEntry, bool reload,
                             SpoolTypeHandler handler) {
  fError = kNoErr;
  if (IsBacked() || fLockCount || !file || !file->IsOpen() || (reload && fPinned))
    return Fail(this, kErrUnexpectedStatus);
  if (!file->IsEntryUsed(dataEntry) || !file->IsEntryUsed(headerEntry) || dataEntry > INT32_MAX ||
      headerEntry > INT32_MAX)
    return Fail(this, kErrObjectNotFound);
  fFile = file;
  fDataEntry = int32_t(dataEntry);
  fHeaderEntry = int32_t(headerEntry);
  fHandler = handler ? handler : &SpoolDefaultTypeHandler;
  if (reload) {
    fModified = false;
    if (fResident) FreeStorage();
    fDataSize = 0;
    if (!Send(kSpoolReadHeader, nullptr)) {
      Detach();
      return false;
    }
  }
  bool readOnly = true;
  file->IsReadOnly(&readOnly);
  fReadOnly = readOnly;
  return true;
}

bool CSpoolMem::SaveToFile(CCmFile* file, SpoolTypeHandler handler) {
  fError = kNoErr;
  if (IsBacked() || fLockCount || !file || !file->IsOpen()) return Fail(this, kErrUnexpectedStatus);
  bool readOnly = true;
  if (const int32_t err = file->IsReadOnly(&readOnly)) return Fail(this, err);
  if (readOnly || fReadOnly) return Fail(this, kErrPermission);
  uint32_t dataEntry = 0;
  uint32_t headerEntry = 0;
  if (const int32_t err = file->NewEntry(&dataEntry)) return Fail(this, err);
  if (const int32_t err = file->NewEntry(&headerEntry)) {
    file->DeleteEntry(dataEntry);
    return Fail(this, err);
  }
  if (!AttachToFile(file, dataEntry, headerEntry, false, handler)) {
    file->DeleteEntry(headerEntry);
    file->DeleteEntry(dataEntry);
    return false;
  }
  // The new entries are empty: resident data is stored nowhere until it is written.
  if (fResident) fModified = true;
  return true;
}

bool CSpoolMem::ReleaseBacking(bool deleteEntries) {
  if (fLockCount) return Fail(this, kErrObjectBusy);
  fError = kNoErr;
  if (!IsBacked()) return true;
  bool ok = true;
  if (!deleteEntries) {
    ok = WriteBack();
  } else {
    const int32_t dataErr = fFile->DeleteEntry(Entry(fDataEntry));
    const int32_t headerErr = fFile->DeleteEntry(Entry(fHeaderEntry));
    if (const int32_t err = dataErr ? dataErr : headerErr) ok = Fail(this, err);
    fModified = false;
  }
  Detach();
  return ok;
}

// The file's read-only state goes with it: an object moved out of a document opened for reading is
// changed, stored and written back like any other.
void CSpoolMem::Detach() {
  fFile = nullptr;
  fHandler = nullptr;
  fDataEntry = -1;
  fHeaderEntry = -1;
  fReadOnly = false;
}

void CSpoolMem::DropBacking() {
  Detach();
  fModified = false;
}

void CSpoolMem::TakePool(CMemPool* pool, CMemBlock& prepared) {
  if (fResident && prepared.IsOwned()) {
    if (GetAllocated()) std::memcpy(prepared.GetStorage(), GetStorage(), GetAllocated());
    SwapContents(prepared);
  }
  fPool = pool;
}

// ---- whole-data operations

bool CSpoolMem::FillLong(uint32_t value) {
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return false;
  MemFillLong(GetData(), value, fDataSize);
  return true;
}

bool CSpoolMem::Clear() {
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return false;
  if (fDataSize) std::memset(GetData(), 0, fDataSize);
  return true;
}

bool CSpoolMem::CopyFrom(CSpoolMem& source, uint32_t* count) {
  if (count) *count = 0;
  CHolder target(this, true, false);
  if (!target.IsLocked()) return false;
  CHolder from(&source, false, false);
  if (!from.IsLocked()) return Fail(this, NonZeroError(source.GetError()));
  const uint32_t n = std::min(fDataSize, source.fDataSize);
  if (n) std::memmove(GetData(), source.GetData(), n);
  if (count) *count = n;
  return true;
}

bool CSpoolMem::SwapData(CSpoolMem& other) {
  CHolder mine(this, true, false);
  if (!mine.IsLocked()) return false;
  CHolder theirs(&other, true, false);
  if (!theirs.IsLocked()) return Fail(this, NonZeroError(other.GetError()));
  SwapContents(other);
  std::swap(fFile, other.fFile);
  std::swap(fDataEntry, other.fDataEntry);
  std::swap(fHeaderEntry, other.fHeaderEntry);
  SwapAtomic(fError, other.fError);
  std::swap(fHandler, other.fHandler);
  std::swap(fDataSize, other.fDataSize);
  std::swap(fHeaderBytes, other.fHeaderBytes);
  std::swap(fPool, other.fPool);
  SwapAtomic(fStamp, other.fStamp);
  SwapAtomic(fLockCount, other.fLockCount);
  std::swap(fChanges, other.fChanges);
  std::swap(fValidator, other.fValidator);
  SwapAtomic(fResident, other.fResident);
  std::swap(fModified, other.fModified);
  std::swap(fReadOnly, other.fReadOnly);
  std::swap(fScratch, other.fScratch);
  std::swap(fPinned, other.fPinned);
  std::swap(fHasHeader, other.fHasHeader);
  std::swap(fConstructed, other.fConstructed);
  return true;
}
