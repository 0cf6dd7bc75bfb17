// A growable block of pool storage: a caller's header prefix followed by the data area.
// Tables, spool objects and images rest on it.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"

class CFile;
class CMemPool;

class CMemBlock : public CBaseObject {
 public:
  CMemBlock() = default;
  // Allocates headerBytes + size from pool (the default pool when null) unless defer is set;
  // on failure the block stays empty: callers test IsOwned().
  CMemBlock(uint32_t size, CMemPool* pool, uint32_t headerBytes = 0, bool defer = false);
  CMemBlock(const CMemBlock& other);
  CMemBlock& operator=(const CMemBlock& other) = delete;
  ~CMemBlock() override;

  bool Init(uint32_t size, CMemPool* pool, uint32_t headerBytes = 0);
  bool Assign(const CMemBlock& other);
  void Release();
  uint32_t CopyContents(const CMemBlock& other);
  bool SwapContents(CMemBlock& other);
  bool Resize(uint32_t newSize, bool keep);
  // The storage changes to the pool's account where its budget holds it (false, nothing changed, when
  // not): a block between two pools of the same heap need not be copied.
  bool ChargeTo(CMemPool* pool);
  void SetString(const char* text);

  bool IsOwned() const { return fOwned; }
  CMemPool* GetPool() const { return fPool; }
  uint8_t* GetStorage() const { return fStorage; }
  uint8_t* GetData() const { return fData; }
  uint32_t GetSize() const { return fSize; }
  uint32_t GetAllocated() const { return fAllocated; }
  uint32_t GetHeaderBytes() const { return fAllocated - fSize; }

  uint32_t GetUseCount() const { return fUseCount; }
  void RaiseUseCount() { ++fUseCount; }
  void LowerUseCount() {
    if (fUseCount) --fUseCount;
  }

 private:
  bool Allocate(uint32_t size, CMemPool* pool, uint32_t headerBytes);
  void Adopt(uint8_t* storage, uint32_t allocated, uint32_t headerBytes);
  bool ResizeThroughFile(uint32_t newAllocated, bool keep);
  bool ReadBack(CFile& parked, uint32_t count);

  CMemPool* fPool = nullptr;
  uint8_t* fStorage = nullptr;
  uint32_t fAllocated = 0;
  uint8_t* fData = nullptr;
  uint32_t fSize = 0;
  uint32_t fUseCount = 0;
  bool fOwned = false;
};

// A block whose data area is typed as an array of T.
template <typename T>
class CMemBlockT : public CMemBlock {
 public:
  using CMemBlock::CMemBlock;
  T* GetTyped() const { return reinterpret_cast<T*>(GetData()); }
};
