// A two-dimensional cursor over the cells of a memory block laid out in rows. While attached it
// raises the block's use count.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"

class CMemBlock;
struct SRect;

class CNavigator : public CBaseObject {
 public:
  CNavigator() = default;
  // A null block leaves the navigator detached. The area is {first row, first column, end row,
  // end column}, ends exclusive; null covers the whole block. Stride 0 means width × cell size.
  CNavigator(CMemBlock* block, uint32_t cellSize, uint32_t width, const SRect* area = nullptr,
             uint32_t stride = 0);
  CNavigator(const CNavigator&) = delete;
  CNavigator& operator=(const CNavigator&) = delete;
  ~CNavigator() override;

  void Attach(CMemBlock* block, uint32_t cellSize, uint32_t width, const SRect* area = nullptr,
              uint32_t stride = 0);
  void Detach();

  bool IsAttached() const { return fAttached; }
  uint8_t* GetCursor() const { return fCursor; }
  uint32_t GetCellSize() const { return fCellSize; }
  uint32_t GetWidth() const { return fWidth; }
  uint32_t GetStride() const { return fStride; }
  uint32_t GetColumns() const { return fColumns; }
  uint32_t GetRows() const { return fRows; }
  uint32_t GetColumn() const { return fColumn; }
  uint32_t GetRow() const { return fRow; }
  // First cell of row r of the area, counted from the area's first row.
  uint8_t* Row(uint32_t r) const { return fCursor + uint64_t(r) * fStride; }

 private:
  CMemBlock* fBlock = nullptr;
  uint8_t* fCursor = nullptr;
  uint32_t fCellSize = 0;
  uint32_t fWidth = 0;
  uint32_t fStride = 0;
  uint32_t fColumns = 0;
  uint32_t fRows = 0;
  uint32_t fLastColumn = 0;
  uint32_t fLastRow = 0;
  uint32_t fColumn = 0;
  uint32_t fRow = 0;
  bool fAttached = false;
};
