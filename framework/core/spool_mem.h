// Spool objects: memory blocks whose data may leave memory for a composite file's entry pair and come
// back the next time somebody locks them. The data is touched only between a lock and its unlock; any
// allocation may page an unlocked object out, so no pointer into the data outlives the unlock.
//
// Several threads may lock and unlock the same object at once (a render's workers read the scene
// while the program's thread draws): the count is atomic, a lock of resident data only raises it, and
// paging in or out runs under the memory lock (mem_pool.h), never on data that any thread has locked.
// Changing an object's data, layout or backing store remains the program's thread's, with no render
// under way.
//
// Each spooled type plugs its persistence in through a record-type handler answering the messages
// below; SpoolDefaultTypeHandler does the plain reading and writing and the rest answer true.
#pragma once

#include <atomic>
#include <cstdint>

#include "framework/core/mem_block.h"

class CCmFile;
class CMemPool;
class CSpoolMem;

// Messages to a record-type handler. The answer's low byte is the success flag.
enum ESpoolTypeMessage : uint32_t {
  kSpoolReadData = 0,     // page-in
  kSpoolWriteData = 1,    // page-out or flush
  kSpoolReadHeader = 2,   // from the header entry, when attached with reload
  kSpoolWriteHeader = 3,  // after a successful data write, when has-header is set
  kSpoolBeforeRead = 4,
  kSpoolAfterRead = 5,    // convert what was just read from stored order
  kSpoolBeforeWrite = 6,  // convert to stored order
  kSpoolAfterWrite = 7,
  kSpoolApplyHeader = 8,  // argument: the CMemBlock read from the header entry
  kSpoolFillHeader = 9,   // argument: the CMemBlock to fill
  kSpoolHeaderSize = 10,  // argument: uint32_t* that receives the header's size
};

// (object, message, argument) → a word whose low byte is the success flag.
using SpoolTypeHandler = uint32_t (*)(CSpoolMem* object, uint32_t message, void* argument);
// Called after each page-in; false refuses the data.
using SpoolValidator = bool (*)(CSpoolMem* object);

uint32_t SpoolDefaultTypeHandler(CSpoolMem* object, uint32_t message, void* argument);
// The plain transfers between a backed object's storage (header bytes and data) and its data entry,
// without the conversion messages: reading takes no more than the storage holds, writing sizes the
// entry to the object first. False with the code in the object's error field.
bool ReadDataEntry(CSpoolMem* object);
bool WriteDataEntry(CSpoolMem* object);

class CSpoolMem : public CMemBlock {
 public:
  // Nothing is allocated until the first lock. A null pool means the data pool.
  CSpoolMem(uint32_t dataSize, CMemPool* pool, uint32_t headerBytes);
  CSpoolMem(const CSpoolMem&) = delete;
  CSpoolMem& operator=(const CSpoolMem&) = delete;
  ~CSpoolMem() override;

  void SetLayout(uint32_t dataSize, CMemPool* pool, uint32_t headerBytes);
  virtual bool Validate();

  bool Lock();
  // dirty: the data changed (ignored when read-only); flush: write modified data to the backing
  // store now. False only when that write failed; the object then stays modified.
  bool Unlock(bool dirty, bool flush);
  // Without storage and with defer (or without a backing store) only the size is recorded and the
  // next lock allocates it zero-filled.
  bool Resize(uint32_t newSize, bool keep, bool defer);

  bool IsPageable() const { return fLockCount == 0 && fResident && !fPinned; }
  bool PageOut();
  bool WriteBack();
  bool WriteHeader();

  bool AttachToFile(CCmFile* file, uint32_t dataEntry, uint32_t headerEntry, bool reload, SpoolTypeHandler handler);
  bool SaveToFile(CCmFile* file, SpoolTypeHandler handler);
  bool ReleaseBacking(bool deleteEntries);

  bool FillLong(uint32_t value);
  bool Clear();
  bool CopyFrom(CSpoolMem& source, uint32_t* count);
  bool SwapData(CSpoolMem& other);

  // The message goes to the object's record-type handler (the default one when none is set).
  bool Send(uint32_t message, void* argument);

  CCmFile* GetFile() const { return fFile; }
  int32_t GetDataEntry() const { return fDataEntry; }
  int32_t GetHeaderEntry() const { return fHeaderEntry; }
  bool IsBacked() const { return fFile != nullptr; }
  int32_t GetError() const { return fError.load(std::memory_order_relaxed); }
  void SetError(int32_t error) { fError.store(error, std::memory_order_relaxed); }
  SpoolTypeHandler GetHandler() const { return fHandler; }
  uint32_t GetDataSize() const { return fDataSize; }
  uint32_t GetHeaderBytes() const { return fHeaderBytes; }
  // Header and data, as the spool system counts an object.
  uint32_t GetSpooledBytes() const;
  CMemPool* GetPool() const { return fPool; }
  uint64_t GetStamp() const { return fStamp.load(std::memory_order_relaxed); }
  uint32_t GetLockCount() const { return fLockCount; }
  // Counts the unlocks that declared the data changed, so that what was worked out from the data
  // can tell whether it still holds.
  uint32_t GetChangeCount() const { return fChanges; }
  void SetValidator(SpoolValidator validator) { fValidator = validator; }
  bool IsResident() const { return fResident; }
  bool IsModified() const { return fModified; }
  bool IsReadOnly() const { return fReadOnly; }
  bool IsScratch() const { return fScratch; }
  void SetScratch(bool scratch) { fScratch = scratch; }
  bool IsPinned() const { return fPinned; }
  void SetPinned(bool pinned) { fPinned = pinned; }
  bool HasHeader() const { return fHasHeader; }
  void SetHasHeader(bool hasHeader) { fHasHeader = hasHeader; }
  bool IsConstructed() const { return fConstructed; }

 protected:
  // Forgets the backing store without touching its file, which is going away.
  void DropBacking();
  // Takes another pool; resident data moves into `prepared`, storage of the same sizes from that pool,
  // and the old storage leaves with it. An empty `prepared` keeps the storage (charged to the pool
  // already).
  void TakePool(CMemPool* pool, CMemBlock& prepared);

 private:
  // The lock of data that is resident and not on its way in or out, taken without the memory lock.
  bool LockResident();
  void LowerLockCount();
  void Stamp();
  bool SendWrite();
  void Detach();
  void FreeStorage();

  CCmFile* fFile = nullptr;
  int32_t fDataEntry = -1;
  int32_t fHeaderEntry = -1;
  std::atomic<int32_t> fError{0};
  SpoolTypeHandler fHandler = nullptr;
  uint32_t fDataSize = 0;
  uint32_t fHeaderBytes = 0;
  CMemPool* fPool = nullptr;
  // 64 bits: a 32-bit counter wraps after 2^32 locks and turns the least-recently-used order around.
  std::atomic<uint64_t> fStamp{0};
  std::atomic<uint32_t> fLockCount{0};
  uint32_t fChanges = 0;
  SpoolValidator fValidator = nullptr;
  std::atomic<bool> fResident{false};
  // Set while the data is paged in or out: a lock then waits for the memory lock.
  std::atomic<bool> fInTransit{false};
  bool fModified = false;
  bool fReadOnly = false;
  bool fScratch = false;
  bool fPinned = false;
  bool fHasHeader = false;
  bool fConstructed = false;
};
