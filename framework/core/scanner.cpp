#include "framework/core/scanner.h"

#include "framework/core/mem_block.h"
#include "framework/core/rect.h"

CScanner::CScanner(CMemBlock* block, uint32_t recordSize, const SRange* range) {
  if (block) Attach(block, recordSize, range);
}

CScanner::~CScanner() { Detach(); }

void CScanner::Attach(CMemBlock* block, uint32_t recordSize, const SRange* range) {
  Detach();
  const uint32_t whole = recordSize ? block->GetSize() / recordSize : 0;
  uint32_t first = 0;
  uint32_t end = whole;
  if (range) {
    // A range past the data would hand out pointers beyond the block.
    first = range->first < 0 ? 0 : uint32_t(range->first);
    end = range->second < 0 ? 0 : uint32_t(range->second);
    if (end > whole) end = whole;
    if (first > end) first = end;
  }
  fBlock = block;
  fRecordSize = recordSize;
  fCursor = block->GetData() ? block->GetData() + uint64_t(first) * recordSize : nullptr;
  fCount = end - first;
  fLast = fCount - 1;
  fIndex = 0;
  block->RaiseUseCount();
  fAttached = true;
}

void CScanner::Detach() {
  if (fAttached && fBlock) fBlock->LowerUseCount();
  fAttached = false;
  fBlock = nullptr;
  fCursor = nullptr;
}

bool CScanner::Next() {
  if (!fAttached || fIndex >= fLast || fCount == 0) return false;
  ++fIndex;
  fCursor += fRecordSize;
  return true;
}
