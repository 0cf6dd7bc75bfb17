// Byte-budgeted allocation pools and the global allocation entry points.
//
// Three pools live from start-up to shut-down: default, objects and data. Pool storage is zero-filled
// and counted at the allocator's own block size; a request over budget asks the recovery callback to
// free memory once and is retried once.
//
// Any thread may allocate: a render's workers page spooled data in while the program's thread goes on
// with its own work. Every pool operation, and every paging step of the spool objects, runs under the
// one memory lock, since a pool's recovery pages other data out from inside an allocation.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "framework/core/base_object.h"

// Answer of CMemPool::Alloc(0): no storage, never dereferenced, ignored by CMemPool::Free.
inline void* const kNoStorage = reinterpret_cast<void*>(~uintptr_t(0));

// (pointer to the request word holding the size wanted, 0, context) → ignored.
using MemRecoveryCallback = uint32_t (*)(uint32_t* request, uint32_t zero, void* context);

class CMemPool : public CBaseObject {
 public:
  explicit CMemPool(uint32_t budget);
  ~CMemPool() override;

  static bool CreatePools(uint32_t defaultBudget, uint32_t objectsBudget, uint32_t dataBudget);
  static bool DestroyPools();

  void* Alloc(size_t size);
  void Free(void* p);
  // p's storage at a new size, moved in place where the allocator can, when the budget holds the new
  // size beside what is used (as Alloc needs); else null, with p untouched and no recovery asked.
  // Nothing past p's old contents is cleared.
  void* Reallocate(void* p, size_t size);

  // Takes p's storage, allocated from `from`, onto this pool's account without moving it: false, with
  // nothing changed, when this pool's budget cannot hold it beside what is used.
  bool TakeOver(CMemPool* from, void* p);

  uint32_t GetFreeBytes() const {
    const uint32_t used = fUsed;
    return used >= fBudget ? 0 : fBudget - used;
  }
  uint32_t GetUsed() const { return fUsed; }
  uint32_t GetBudget() const { return fBudget; }
  bool IsValid() const { return fValid; }

  void SetRecovery(MemRecoveryCallback callback, void* context);
  MemRecoveryCallback GetRecoveryCallback() const { return fRecovery; }
  void* GetRecoveryContext() const { return fRecoveryContext; }

 private:
  std::atomic<uint32_t> fUsed{0};
  uint32_t fBudget = 0;
  MemRecoveryCallback fRecovery = nullptr;
  void* fRecoveryContext = nullptr;
  bool fInRecovery = false;
  bool fValid = false;
};

// The data pool's budget as the program computes it: physical memory × 0.75, or × the stored
// percentage when the preferences were read (0 or below gives the minimum), computed in floating
// point and kept within [8,388,608, 0xFFFFFFFF]. The tools size their pools the same way.
uint32_t DataPoolBudget(uint64_t physicalBytes, bool prefsRead, int32_t storedPercent);

// Recursive: paging allocates, and an allocation may page.
std::recursive_mutex& MemoryLock();

CMemPool* GetDefaultPool();
CMemPool* GetObjectPool();
CMemPool* GetDataPool();

// Every object creation and deletion. Zero-filled; null on failure.
void* MemAlloc(size_t size);
void MemFree(void* p);
void* PlatformAlloc(size_t size);
void PlatformFree(void* p);

void MemFill(void* destination, uint8_t value, size_t count);
void MemFillLong(void* destination, uint32_t value, size_t byteCount);  // whole words only
void MemMove(void* destination, const void* source, size_t count);     // overlap-safe
