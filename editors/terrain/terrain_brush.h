// The terrain editor's brush: its settings, a falloff mask of (2r + 1)² weights, and two spooled copies
// of a grid (the stroke base, the grid before the operation, and the paint source, its result). A
// stroke places dabs along the pointer's path that move each covered height toward a goal by its
// mask weight: a level, the source or the base, or a level reached only from above or below.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/core/mem_block.h"
#include "framework/core/spool_table.h"
#include "scene/resample_grid.h"

class C3dHeightField;
class CElement;

class CTerrainBrush {
 public:
  // What a dab does; the modifier key swaps each pair and turns the level of kToLevel upside down.
  enum EBehaviour : int32_t {
    kToLevel = 0,
    kToSource = 1,
    kToBase = 2,
    kErode = 3,  // the 2D view's drag erodes under the pointer; strokes paint nothing
    kLowerToLevel = 4,
    kRaiseToLevel = 5,
  };
  static constexpr double kDefaultFlow = 0.3;
  static constexpr double kDefaultHardness = 1.0;
  static constexpr int32_t kDefaultLevel = 65535;
  static constexpr int32_t kDefaultRadius = 20;

  CTerrainBrush() = default;
  CTerrainBrush(const CTerrainBrush&) = delete;
  CTerrainBrush& operator=(const CTerrainBrush&) = delete;
  virtual ~CTerrainBrush();

  // The icon element that shows the behaviour (its six state pictures, one a behaviour) and the
  // element that shows the level; either may be none.
  void SetElements(CElement* behaviourIcon, CElement* levelElement);
  // Stores the behaviour and shows its icon as with the modifier up.
  void SetBehaviour(int32_t behaviour);
  int32_t GetBehaviour() const { return fBehaviour; }
  // The behaviour a stroke acts with while the modifier is held or not; the icon shows it.
  static int32_t ActingBehaviour(int32_t behaviour, bool modifierDown);
  // Shows the icon of the behaviour that acts with the modifier as given, when another shows, and
  // redraws the level element when the level it shows changes (the modifier turns the level of
  // kToLevel upside down).
  void SetBehaviourCursor(bool modifierDown);
  double GetShownLevel() const { return fShownLevel; }

  double GetBrushFlow() const { return fBrushFlow; }
  void SetBrushFlow(double flow) { fBrushFlow = flow; }
  double GetBrushHardness() const { return fBrushHardness; }
  void SetBrushHardness(double hardness) { fBrushHardness = hardness; }
  int32_t GetBrushLevel() const { return fBrushLevel; }
  void SetBrushLevel(int32_t level) { fBrushLevel = level; }
  int32_t GetBrushRadius() const { return fBrushRadius; }
  // A new radius drops the mask, which RebuildMask then makes for it.
  void SetBrushRadius(int32_t radius);
  double GetLevelFraction() const { return fLevelFraction; }
  void SetLevelFraction(double fraction) { fLevelFraction = fraction; }

  // Builds the mask for the radius when there is none, or always with force; false when the data
  // pool refuses it (the brush then has no mask and paints nothing).
  bool RebuildMask(bool force);
  // The mask's weights, row after row, and its side 2r + 1; null without a mask.
  const uint16_t* GetMask() const;
  uint32_t GetMaskSide() const { return fMaskSide; }

  // The stroke base, or the paint source, becomes a copy of the field's grid: 0, 1 without a field,
  // 9 when the field or the copy cannot be had (the earlier copy is gone then too).
  int32_t BeginStroke(C3dHeightField* field);
  int32_t SetSource(C3dHeightField* field);
  bool HasStrokeBase() const { return fStrokeBase.table != nullptr; }
  bool HasSource() const { return fBrushSource.table != nullptr; }
  // The copies' heights, row after row; empty without the copy or when it cannot be locked.
  std::vector<CHFUnit> StrokeBaseHeights() const { return HeightsOf(fStrokeBase); }
  std::vector<CHFUnit> SourceHeights() const { return HeightsOf(fBrushSource); }

  // Dabs along the segment from (x0, y0) to (x1, y1) in grid cells (column, row): one at the end with
  // the smaller coordinate on the longer axis, then one every r / 8 + 1 cells while the walk has not
  // passed the far end; none for a segment of one cell. A copy of another size is first resampled to
  // n × n. Nothing without a mask, a grid or the copy the behaviour needs.
  void PaintStroke(CHFUnit* grid, uint32_t n, bool modifierDown, int32_t x1, int32_t y1, int32_t x0, int32_t y0);

  // For tests: called with the centre of every dab before it is painted.
  void SetDabObserver(std::function<void(int32_t x, int32_t y)> observer) { fDabObserver = std::move(observer); }

 private:
  // A spooled copy of a grid and its side.
  struct SGridCopy {
    CSpoolTableT<CHFUnit>* table = nullptr;
    uint32_t side = 0;
  };

  static void Release(SGridCopy& copy);
  static std::vector<CHFUnit> HeightsOf(const SGridCopy& copy);
  static int32_t CopyGrid(C3dHeightField* field, SGridCopy& copy);
  // The copy at side n, resampled when it has another; false when that cannot be made.
  static bool FitCopy(SGridCopy& copy, uint32_t n);
  // One dab at (x, y) toward the level or the goal grid, clipped to the grid.
  void PaintDab(CHFUnit* grid, uint32_t n, int32_t behaviour, int64_t level, const CHFUnit* goal, int32_t x,
                int32_t y) const;

  CMemBlockT<uint16_t> fMask;
  uint32_t fMaskSide = 0;
  SGridCopy fStrokeBase;
  SGridCopy fBrushSource;
  double fBrushFlow = kDefaultFlow;
  double fBrushHardness = kDefaultHardness;
  int32_t fBrushLevel = kDefaultLevel;
  int32_t fBrushRadius = kDefaultRadius;
  double fLevelFraction = 0.0;
  double fShownLevel = 0.0;
  int32_t fBehaviour = kToLevel;
  CElement* fBehaviourIcon = nullptr;
  CElement* fLevelElement = nullptr;
  std::function<void(int32_t, int32_t)> fDabObserver;
};
