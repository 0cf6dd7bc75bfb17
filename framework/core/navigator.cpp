#include "framework/core/navigator.h"

#include <algorithm>

#include "framework/core/mem_block.h"
#include "framework/core/rect.h"

CNavigator::CNavigator(CMemBlock* block, uint32_t cellSize, uint32_t width, const SRect* area,
                       uint32_t stride) {
  if (block) Attach(block, cellSize, width, area, stride);
}

CNavigator::~CNavigator() { Detach(); }

void CNavigator::Attach(CMemBlock* block, uint32_t cellSize, uint32_t width, const SRect* area,
                        uint32_t stride) {
  Detach();
  if (stride == 0) stride = width * cellSize;
  const uint32_t allRows = stride ? block->GetSize() / stride : 0;
  // An area outside the grid would hand out pointers beyond the block: clip it.
  auto clip = [](int32_t v, uint32_t limit) { return v < 0 ? 0u : std::min(uint32_t(v), limit); };
  uint32_t top = 0, left = 0, bottom = allRows, right = width;
  if (area) {
    bottom = clip(area->bottom, allRows);
    right = clip(area->right, width);
    top = std::min(clip(area->top, allRows), bottom);
    left = std::min(clip(area->left, width), right);
  }
  fBlock = block;
  fCellSize = cellSize;
  fWidth = width;
  fStride = stride;
  // A block without bytes has nothing to point into, whatever the area.
  fCursor = block->GetData() && block->GetSize() ? block->GetData() + uint64_t(left) * cellSize + uint64_t(top) * stride
                                                 : nullptr;
  fColumns = right - left;
  fRows = bottom - top;
  fLastColumn = fColumns - 1;
  fLastRow = fRows - 1;
  fColumn = 0;
  fRow = 0;
  block->RaiseUseCount();
  fAttached = true;
}

void CNavigator::Detach() {
  if (fAttached && fBlock) fBlock->LowerUseCount();
  fAttached = false;
  fBlock = nullptr;
  fCursor = nullptr;
}
