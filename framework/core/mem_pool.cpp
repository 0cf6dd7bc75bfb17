#include "framework/core/mem_pool.h"

#include <cstring>

#include "platform/alloc.h"

namespace {

CMemPool* gDefaultPool = nullptr;
CMemPool* gObjectPool = nullptr;
CMemPool* gDataPool = nullptr;

void DestroyPool(CMemPool*& slot) {
  delete slot;
  slot = nullptr;
}

}  // namespace

void* CBaseObject::operator new(size_t size) noexcept { return MemAlloc(size); }

void CBaseObject::operator delete(void* p) noexcept { MemFree(p); }

CMemPool::CMemPool(uint32_t budget) : fBudget(budget), fValid(true) {}

CMemPool::~CMemPool() { fValid = false; }

bool CMemPool::CreatePools(uint32_t defaultBudget, uint32_t objectsBudget, uint32_t dataBudget) {
  const uint32_t budgets[] = {defaultBudget, objectsBudget, dataBudget};
  CMemPool** slots[] = {&gDefaultPool, &gObjectPool, &gDataPool};
  for (int i = 0; i < 3; ++i) {
    *slots[i] = new CMemPool(budgets[i]);
    if (!*slots[i] || !(*slots[i])->IsValid()) return false;
  }
  return true;
}

bool CMemPool::DestroyPools() {
  DestroyPool(gDataPool);
  DestroyPool(gObjectPool);
  DestroyPool(gDefaultPool);
  return true;
}

std::recursive_mutex& MemoryLock() {
  static std::recursive_mutex lock;
  return lock;
}

void* CMemPool::Alloc(size_t size) {
  if (size == 0) return kNoStorage;
  std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  for (bool retried = false;; retried = true) {
    if (uint64_t(fUsed) + size <= fBudget) {
      if (void* p = platform::ZeroAlloc(size)) {
        fUsed += uint32_t(platform::AllocBlockSize(p));
        return p;
      }
    }
    if (retried) return nullptr;
    // The request word is what recovery handlers read; it saturates for sizes past 32 bits.
    uint32_t request = size > UINT32_MAX ? UINT32_MAX : uint32_t(size);
    if (fRecovery && !fInRecovery) {
      fInRecovery = true;
      fRecovery(&request, 0, fRecoveryContext);
      fInRecovery = false;
    }
  }
}

void* CMemPool::Reallocate(void* p, size_t size) {
  std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  if (!p || p == kNoStorage || size == 0 || uint64_t(fUsed) + size > fBudget) return nullptr;
  const uint32_t before = uint32_t(platform::AllocBlockSize(p));
  void* moved = platform::Reallocate(p, size);
  if (!moved) return nullptr;
  fUsed = (before > fUsed ? 0 : fUsed - before) + uint32_t(platform::AllocBlockSize(moved));
  return moved;
}

void CMemPool::Free(void* p) {
  if (!p || p == kNoStorage) return;
  std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  const uint32_t size = uint32_t(platform::AllocBlockSize(p));
  fUsed = size > fUsed ? 0 : fUsed - size;
  platform::FreeAlloc(p);
}

bool CMemPool::TakeOver(CMemPool* from, void* p) {
  if (!p || p == kNoStorage || from == this) return true;
  std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  const uint32_t size = uint32_t(platform::AllocBlockSize(p));
  if (uint64_t(fUsed) + size > fBudget) return false;
  fUsed += size;
  if (from) from->fUsed = size > from->fUsed ? 0 : from->fUsed - size;
  return true;
}

void CMemPool::SetRecovery(MemRecoveryCallback callback, void* context) {
  fRecovery = callback;
  fRecoveryContext = context;
}

uint32_t DataPoolBudget(uint64_t physicalBytes, bool prefsRead, int32_t storedPercent) {
  constexpr uint32_t kMinimumBudget = 0x800000;
  double factor = 0.75;
  if (prefsRead) {
    if (storedPercent <= 0) return kMinimumBudget;
    factor = storedPercent * 0.01;
  }
  const double budget = double(physicalBytes) * factor;
  if (budget < kMinimumBudget) return kMinimumBudget;
  if (budget >= double(UINT32_MAX)) return UINT32_MAX;
  return uint32_t(budget);
}

CMemPool* GetDefaultPool() { return gDefaultPool; }
CMemPool* GetObjectPool() { return gObjectPool; }
CMemPool* GetDataPool() { return gDataPool; }

void* MemAlloc(size_t size) {
  if (!gDefaultPool) return PlatformAlloc(size);
  return platform::ZeroAlloc(size);
}

void MemFree(void* p) {
  if (!p) return;
  if (!gDefaultPool || p == gDefaultPool) {
    PlatformFree(p);
    return;
  }
  platform::FreeAlloc(p);
}

// Every allocation mode of the platform comes down to zero-filled storage from the process heap.
void* PlatformAlloc(size_t size) { return platform::ZeroAlloc(size); }

void PlatformFree(void* p) { platform::FreeAlloc(p); }

void MemFill(void* destination, uint8_t value, size_t count) { std::memset(destination, value, count); }

void MemFillLong(void* destination, uint32_t value, size_t byteCount) {
  auto* out = static_cast<unsigned char*>(destination);
  for (size_t i = 0; i + 4 <= byteCount; i += 4) std::memcpy(out + i, &value, 4);
}

void MemMove(void* destination, const void* source, size_t count) {
  std::memmove(destination, source, count);
}
