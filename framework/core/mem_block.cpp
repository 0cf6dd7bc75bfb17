#include "framework/core/mem_block.h"

#include <algorithm>
#include <cstring>

#include "framework/core/fatal.h"
#include "framework/core/mem_pool.h"
#include "framework/core/tmp_file.h"

CMemBlock::CMemBlock(uint32_t size, CMemPool* pool, uint32_t headerBytes, bool defer) {
  if (!defer) Allocate(size, pool, headerBytes);
}

CMemBlock::CMemBlock(const CMemBlock& other) : CBaseObject() {
  if (Allocate(other.fSize, other.fPool, other.GetHeaderBytes()) && other.fStorage)
    std::memcpy(fStorage, other.fStorage, std::min(fAllocated, other.fAllocated));
}

CMemBlock::~CMemBlock() { Release(); }

bool CMemBlock::Init(uint32_t size, CMemPool* pool, uint32_t headerBytes) {
  Release();
  return Allocate(size, pool, headerBytes);
}

bool CMemBlock::Allocate(uint32_t size, CMemPool* pool, uint32_t headerBytes) {
  if (!pool) pool = GetDefaultPool();
  const uint64_t total = uint64_t(size) + headerBytes;
  if (!pool || total > UINT32_MAX) return false;
  void* storage = pool->Alloc(total);
  if (!storage) return false;
  fPool = pool;
  fStorage = static_cast<uint8_t*>(storage);
  fAllocated = uint32_t(total);
  fSize = size;
  fData = fStorage + headerBytes;
  fOwned = true;
  return true;
}

bool CMemBlock::Assign(const CMemBlock& other) {
  if (&other == this) return fOwned;
  Release();
  if (!Allocate(other.fSize, other.fPool, other.GetHeaderBytes())) return false;
  if (other.fStorage) std::memcpy(fStorage, other.fStorage, std::min(fAllocated, other.fAllocated));
  return true;
}

void CMemBlock::Release() {
  if (fOwned && fPool) fPool->Free(fStorage);
  fOwned = false;
  fStorage = nullptr;
  fData = nullptr;
  fAllocated = 0;
  fSize = 0;
}

uint32_t CMemBlock::CopyContents(const CMemBlock& other) {
  const uint32_t count = std::min(fSize, other.fSize);
  if (count) std::memcpy(fData, other.fData, count);
  return count;
}

bool CMemBlock::ChargeTo(CMemPool* pool) {
  if (!pool) return false;
  if (fOwned && !pool->TakeOver(fPool, fStorage)) return false;
  fPool = pool;
  return true;
}

bool CMemBlock::SwapContents(CMemBlock& other) {
  std::swap(fPool, other.fPool);
  std::swap(fStorage, other.fStorage);
  std::swap(fAllocated, other.fAllocated);
  std::swap(fData, other.fData);
  std::swap(fSize, other.fSize);
  return true;
}

bool CMemBlock::Resize(uint32_t newSize, bool keep) {
  if (newSize == fSize) {
    if (!keep && fSize) std::memset(fData, 0, fSize);
    return true;
  }
  const uint32_t header = GetHeaderBytes();
  const uint64_t newAllocated = uint64_t(newSize) + header;
  CMemPool* pool = fPool ? fPool : GetDefaultPool();
  if (!pool || newAllocated > UINT32_MAX) return false;
  // Where the pool would hold a fresh copy beside the old one, the storage grows in place instead:
  // a table that grows by a fixed step would otherwise be copied whole at every step.
  if (fOwned && fPool == pool && fStorage) {
    if (auto* moved = static_cast<uint8_t*>(pool->Reallocate(fStorage, newAllocated))) {
      const uint32_t kept = keep ? std::min(fAllocated, uint32_t(newAllocated)) : header;
      std::memset(moved + kept, 0, newAllocated - kept);
      Adopt(moved, uint32_t(newAllocated), header);
      return true;
    }
  }
  auto* storage = static_cast<uint8_t*>(pool->Alloc(newAllocated));
  if (!storage) return fOwned && fAllocated && ResizeThroughFile(uint32_t(newAllocated), keep);
  const uint32_t copy = keep ? std::min(fAllocated, uint32_t(newAllocated)) : header;
  if (copy && fStorage && storage != kNoStorage) std::memcpy(storage, fStorage, copy);
  if (fOwned) fPool->Free(fStorage);
  fPool = pool;
  Adopt(storage, uint32_t(newAllocated), header);
  return true;
}

void CMemBlock::Adopt(uint8_t* storage, uint32_t allocated, uint32_t headerBytes) {
  fStorage = storage;
  fData = storage + headerBytes;
  fAllocated = allocated;
  fSize = allocated - headerBytes;
  fOwned = true;
}

// The pool cannot hold the old and the new storage at once: park the old contents in a temporary
// file while the old storage is given back, then take the new storage.
bool CMemBlock::ResizeThroughFile(uint32_t newAllocated, bool keep) {
  const uint32_t oldAllocated = fAllocated;
  const uint32_t header = GetHeaderBytes();
  CTmpFile parked;
  uint32_t count = oldAllocated;
  if (!parked.IsOwned() || parked.SetSize(oldAllocated) || parked.Seek(platform::kSeekStart, 0) ||
      parked.WriteBlockRaw(&count, *this) || count != oldAllocated)
    return false;

  fPool->Free(fStorage);
  fOwned = false;
  if (auto* storage = static_cast<uint8_t*>(fPool->Alloc(newAllocated))) {
    Adopt(storage, newAllocated, header);
    count = keep ? std::min(oldAllocated, newAllocated) : header;
    if (ReadBack(parked, count)) return true;
    Fatal("Fatal cache block failure.");
  }
  auto* storage = static_cast<uint8_t*>(fPool->Alloc(oldAllocated));
  if (!storage) Fatal("Cache block reallocation failure. Very rare, but fatal.");
  Adopt(storage, oldAllocated, header);
  if (!ReadBack(parked, oldAllocated)) Fatal("Fatal cache block failure.");
  return false;
}

bool CMemBlock::ReadBack(CFile& parked, uint32_t count) {
  uint32_t done = count;
  return parked.Seek(platform::kSeekStart, 0) == 0 && parked.ReadBlockRaw(&done, *this, true) == 0 &&
         done == count;
}

void CMemBlock::SetString(const char* text) {
  if (!fData || !fSize) return;
  if (!text) {
    fData[0] = 0;
    return;
  }
  // The caller sizes the block; a longer text is cut rather than written past the end.
  const size_t length = std::min<size_t>(std::strlen(text), fSize - 1);
  std::memcpy(fData, text, length);
  fData[length] = 0;
}
