// A cursor over the fixed-size records of a memory block. While attached it raises the block's use
// count, which tells the block's owner that raw pointers into it are live.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"

class CMemBlock;
struct SRange;

class CScanner : public CBaseObject {
 public:
  CScanner() = default;
  // A null block leaves the scanner detached; a null range covers every whole record.
  CScanner(CMemBlock* block, uint32_t recordSize, const SRange* range = nullptr);
  CScanner(const CScanner&) = delete;
  CScanner& operator=(const CScanner&) = delete;
  ~CScanner() override;

  void Attach(CMemBlock* block, uint32_t recordSize, const SRange* range = nullptr);
  void Detach();

  bool IsAttached() const { return fAttached; }
  uint8_t* GetCursor() const { return fCursor; }
  uint32_t GetRecordSize() const { return fRecordSize; }
  uint32_t GetCount() const { return fCount; }
  uint32_t GetIndex() const { return fIndex; }
  // Moves to the next record; false (and no move) at the last one.
  bool Next();

 private:
  CMemBlock* fBlock = nullptr;
  uint8_t* fCursor = nullptr;
  uint32_t fRecordSize = 0;
  uint32_t fCount = 0;
  uint32_t fLast = 0;
  uint32_t fIndex = 0;
  bool fAttached = false;
};
