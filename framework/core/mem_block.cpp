#include "framework/core/mem_block.h"

#include <algorithm>
#include <cstring>

#include "framework/core/mem_pool.h"

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
  auto* storage = static_cast<uint8_t*>(pool->Alloc(newAllocated));
  if (!storage) return false;
  const uint32_t copy = keep ? std::min(fAllocated, uint32_t(newAllocated)) : header;
  if (copy && fStorage && storage != kNoStorage) std::memcpy(storage, fStorage, copy);
  if (fOwned) fPool->Free(fStorage);
  fPool = pool;
  fStorage = storage;
  fData = storage + header;
  fAllocated = uint32_t(newAllocated);
  fSize = newSize;
  fOwned = true;
  return true;
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
