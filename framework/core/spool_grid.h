// Spool grids: pageable two-dimensional arrays of cells, the base of every image. A grid has an
// origin, where its cell (0, 0) lies in a plane it shares with other grids, and a clip rectangle that
// bounds the work done on it.
#pragma once

#include <cstdint>

#include "framework/core/rect.h"
#include "framework/core/subscriber.h"

// {environment, byte size, header bytes, cell size, width, height, stride}; stride 0 means cell size
// × width.
struct SGridLayout : SSpoolLayout {
  uint32_t cellSize = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t stride = 0;

  // False, with the byte size at its largest, when the data does not fit 32 bits.
  bool UpdateByteSize();
};

class CSpoolGrid : public CSubscriber {
 public:
  // A grid whose data would exceed 32 bits, whose sides exceed 31 bits or whose stride is shorter
  // than a row is refused (invalid, error 22).
  explicit CSpoolGrid(const SGridLayout& layout);
  CSpoolGrid(const SGridLayout& layout, const SSpoolTableSpec& spec);

  static void InitDescriptor(SGridLayout& layout, CSpoolSys* env, uint32_t cellSize, uint32_t width,
                             uint32_t height, uint32_t stride);

  // Resizes the data and resets the clip rectangle to the whole grid.
  bool Allocate(uint32_t cellSize, uint32_t width, uint32_t height, uint32_t stride, bool keep, bool defer);
  // The clip becomes the rectangle cut to the grid; false when that is empty.
  bool SetClip(const SRect& rect);
  // The whole grid becomes the clip.
  void ClipToBounds() { fClip = GetBounds(); }
  void SetOrigin(int32_t horizontal, int32_t vertical);
  // The overlap of the clip rectangles, each placed at its grid's origin, in each grid's own
  // coordinates; false (and empty rectangles) when there is none.
  bool CommonArea(const CSpoolGrid& other, SRect* inThis, SRect* inOther) const;
  bool CommonArea3(const CSpoolGrid& second, const CSpoolGrid& third, SRect* inThis, SRect* inSecond,
                   SRect* inThird) const;

  uint32_t GetCellSize() const { return fCellSize; }
  uint32_t GetWidth() const { return fWidth; }
  uint32_t GetStride() const { return fStride; }
  uint32_t GetHeight() const { return fHeight; }
  int32_t GetOriginH() const { return fOriginH; }
  int32_t GetOriginV() const { return fOriginV; }
  const SRect& GetClip() const { return fClip; }
  SRect GetBounds() const { return SRect{0, 0, int32_t(fHeight), int32_t(fWidth)}; }

 private:
  CSpoolGrid(const SGridLayout& layout, const SSpoolTableSpec* spec);

  uint32_t fCellSize = 0;
  uint32_t fWidth = 0;
  uint32_t fStride = 0;
  uint32_t fHeight = 0;
  int32_t fOriginH = 0;
  int32_t fOriginV = 0;
  SRect fClip;
};

template <typename T>
class CSpoolGridT : public CSpoolGrid {
 public:
  using CSpoolGrid::CSpoolGrid;
};

// Puts a grid's origin and clip rectangle back when it ends. Without a grid it does nothing.
class CSgStSaver {
 public:
  explicit CSgStSaver(CSpoolGrid* grid);
  // Gives the grid the new origin for the saver's life, and with reset its whole area as the clip.
  CSgStSaver(CSpoolGrid* grid, int32_t originH, int32_t originV, bool reset);
  CSgStSaver(const CSgStSaver&) = delete;
  CSgStSaver& operator=(const CSgStSaver&) = delete;
  ~CSgStSaver() { Restore(); }

  void Restore();

 private:
  CSpoolGrid* fGrid = nullptr;
  int32_t fOriginH = 0;
  int32_t fOriginV = 0;
  SRect fClip;
};

// Puts a grid's clip rectangle back when it ends. A rectangle that is not empty, given where the grid
// is placed (at its origin), becomes the clip for the saver's life, cut to the grid. Without a grid
// it does nothing.
class CSgAcSaver {
 public:
  CSgAcSaver(CSpoolGrid* grid, const SRect& placed);
  CSgAcSaver(const CSgAcSaver&) = delete;
  CSgAcSaver& operator=(const CSgAcSaver&) = delete;
  ~CSgAcSaver();

 private:
  CSpoolGrid* fGrid = nullptr;
  SRect fClip;
};

// {larger top, larger left, smaller bottom, smaller right}.
SRect IntersectRect(const SRect& a, const SRect& b);

// The layout of a 32-bit image of width × height pixels in env.
void MakeImageGridSpec(SGridLayout& layout, CSpoolSys* env, uint32_t width, uint32_t height);
