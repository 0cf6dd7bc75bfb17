#include "editors/terrain/terrain_brush.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "editors/terrain/height_grid_filters.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/core/spool_table_spec.h"
#include "framework/ui/im_element.h"
#include "scene/height_field.h"

namespace {

// A hardness of 0 or below would make every weight 0: the brush would paint nothing.
constexpr double kLeastHardness = 0.1;
constexpr double kLeastStrength = 0.01;

// An n × n grid of heights in the application's data environment; none when it cannot be made.
CSpoolTableT<CHFUnit>* NewGridTable(uint32_t n) {
  if (uint64_t(n) * n > UINT32_MAX / sizeof(CHFUnit)) return nullptr;
  CAppl* app = GetApplication();
  STableLayout layout;
  layout.SetSized(app ? app->GetDataEnv() : nullptr, sizeof(CHFUnit), n * n);
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, nullptr);
  auto* table = new CSpoolTableT<CHFUnit>(layout, spec);
  if (table && !table->IsValid()) {
    delete table;
    return nullptr;
  }
  return table;
}

}  // namespace

CTerrainBrush::~CTerrainBrush() {
  Release(fStrokeBase);
  Release(fBrushSource);
}

namespace {

// The icon state and the level shown last, by any brush: the icon element is the editor's one.
int32_t gShownIcon = -1;
double gShownLevel = -1.0;

}  // namespace

void CTerrainBrush::SetElements(CElement* behaviourIcon, CElement* levelElement) {
  fBehaviourIcon = behaviourIcon;
  fLevelElement = levelElement;
  gShownIcon = -1;
  gShownLevel = -1.0;
}

void CTerrainBrush::SetBehaviour(int32_t behaviour) {
  fBehaviour = behaviour;
  SetBehaviourCursor(false);
}

void CTerrainBrush::SetBehaviourCursor(bool modifierDown) {
  const int32_t icon = ActingBehaviour(fBehaviour, modifierDown);
  if (icon != gShownIcon) {
    if (auto* image = dynamic_cast<CImElement*>(fBehaviourIcon)) {
      if (image->SelectEntry(uint32_t(icon), false, false, true) == 0) gShownIcon = icon;
    }
  }
  fShownLevel = fBehaviour == kToLevel && modifierDown ? 1.0 - fLevelFraction : fLevelFraction;
  if (fShownLevel != gShownLevel) {
    gShownLevel = fShownLevel;
    if (fLevelElement) fLevelElement->Redraw();
  }
}

int32_t CTerrainBrush::ActingBehaviour(int32_t behaviour, bool modifierDown) {
  if (!modifierDown) return behaviour;
  switch (behaviour) {
    case kToSource:
      return kToBase;
    case kToBase:
      return kToSource;
    case kLowerToLevel:
      return kRaiseToLevel;
    case kRaiseToLevel:
      return kLowerToLevel;
    default:
      return behaviour;
  }
}

void CTerrainBrush::SetBrushRadius(int32_t radius) {
  if (radius == fBrushRadius) return;
  fBrushRadius = radius;
  fMask.Release();
  fMaskSide = 0;
}

bool CTerrainBrush::RebuildMask(bool force) {
  if (fMask.IsOwned() && !force) return true;
  fMask.Release();
  fMaskSide = 0;
  const int64_t r = std::max(fBrushRadius, 0);
  const uint64_t side = uint64_t(2 * r + 1);
  if (side * side > UINT32_MAX / sizeof(uint16_t) ||
      !fMask.Init(uint32_t(side * side * sizeof(uint16_t)), GetDataPool()))
    return false;
  const double hardness = std::max(fBrushHardness, kLeastHardness);
  const double strength = std::clamp(fBrushFlow * hardness * 0.25, kLeastStrength, 1.0);
  uint16_t* weights = fMask.GetTyped();
  for (int64_t i = 0; i < int64_t(side); ++i) {
    for (int64_t j = 0; j < int64_t(side); ++j) {
      const double t = r ? double((i - r) * (i - r) + (j - r) * (j - r)) / double(r * r) : 0.0;
      const double p = std::clamp(65535 * std::pow(t, hardness), 0.0, 65535.0);
      weights[i * int64_t(side) + j] = uint16_t((65535 - p) * strength);
    }
  }
  fMaskSide = uint32_t(side);
  return true;
}

const uint16_t* CTerrainBrush::GetMask() const { return fMask.IsOwned() ? fMask.GetTyped() : nullptr; }

void CTerrainBrush::Release(SGridCopy& copy) {
  delete copy.table;
  copy = {};
}

std::vector<CHFUnit> CTerrainBrush::HeightsOf(const SGridCopy& copy) {
  if (!copy.table) return {};
  CHolder lock(copy.table, false, false);
  if (!lock.IsLocked()) return {};
  return std::vector<CHFUnit>(copy.table->GetRecords(), copy.table->GetRecords() + size_t(copy.side) * copy.side);
}

int32_t CTerrainBrush::CopyGrid(C3dHeightField* field, SGridCopy& copy) {
  if (!field) return kErrGeneric;
  Release(copy);
  CHolder source(field, false, false);
  if (!source.IsLocked()) return kErrOutOfMemory;
  const uint32_t n = field->GetSide();
  CSpoolTableT<CHFUnit>* table = NewGridTable(n);
  if (!table) return kErrOutOfMemory;
  {
    CHolder target(table, true, false);
    if (!target.IsLocked()) {
      target.Release();
      delete table;
      return kErrOutOfMemory;
    }
    std::copy(field->GetGrid(), field->GetGrid() + size_t(n) * n, table->GetRecords());
  }
  copy = {table, n};
  return kNoErr;
}

int32_t CTerrainBrush::BeginStroke(C3dHeightField* field) { return CopyGrid(field, fStrokeBase); }

int32_t CTerrainBrush::SetSource(C3dHeightField* field) { return CopyGrid(field, fBrushSource); }

bool CTerrainBrush::FitCopy(SGridCopy& copy, uint32_t n) {
  if (!copy.table) return false;
  if (copy.side == n) return true;
  CSpoolTableT<CHFUnit>* resampled = NewGridTable(n);
  if (!resampled) return false;
  bool done = false;
  {
    CHolder from(copy.table, false, false);
    CHolder to(resampled, true, false);
    if (from.IsLocked() && to.IsLocked()) {
      ResampleGridBilinear(copy.table->GetRecords(), resampled->GetRecords(), copy.side, n);
      done = true;
    }
  }
  if (!done) {
    delete resampled;
    return false;
  }
  Release(copy);
  copy = {resampled, n};
  return true;
}

void CTerrainBrush::PaintStroke(CHFUnit* grid, uint32_t n, bool modifierDown, int32_t x1, int32_t y1, int32_t x0,
                                int32_t y0) {
  const int32_t behaviour = ActingBehaviour(fBehaviour, modifierDown);
  if (!grid || n == 0 || !GetMask() || behaviour < kToLevel || behaviour > kRaiseToLevel || behaviour == kErode) return;
  // A pointer standing still places no dab, so that dabs do not pile up under it.
  if (x0 == x1 && y0 == y1) return;
  SGridCopy* copy = behaviour == kToSource ? &fBrushSource : behaviour == kToBase ? &fStrokeBase : nullptr;
  if (copy && !FitCopy(*copy, n)) return;
  CHolder lock(copy ? copy->table : nullptr, false, false);
  if (copy && !lock.IsLocked()) return;
  const CHFUnit* goal = copy ? copy->table->GetRecords() : nullptr;
  const int64_t level =
      std::clamp<int64_t>(fBehaviour == kToLevel && modifierDown ? 65535 - fBrushLevel : fBrushLevel, 0, 65535);

  // Along the longer axis from its lower end, the other coordinate in 16.16 fixed point.
  const bool alongX = std::abs(int64_t(x1) - x0) >= std::abs(int64_t(y1) - y0);
  int64_t major0 = alongX ? x0 : y0, minor0 = alongX ? y0 : x0;
  int64_t major1 = alongX ? x1 : y1, minor1 = alongX ? y1 : x1;
  if (major0 > major1) {
    std::swap(major0, major1);
    std::swap(minor0, minor1);
  }
  const int64_t steps = major1 - major0;
  const int64_t slope = (minor1 - minor0) * 65536 / steps;
  const int64_t spacing = std::max<int64_t>((fBrushRadius >> 3) + 1, 1);
  for (int64_t s = 0; s <= steps; s += spacing) {
    const int64_t major = major0 + s, minor = (minor0 * 65536 + s * slope + 32768) >> 16;
    const int32_t x = int32_t(alongX ? major : minor), y = int32_t(alongX ? minor : major);
    if (fDabObserver) fDabObserver(x, y);
    PaintDab(grid, n, behaviour, level, goal, x, y);
  }
}

void CTerrainBrush::PaintDab(CHFUnit* grid, uint32_t n, int32_t behaviour, int64_t level, const CHFUnit* goal,
                             int32_t x, int32_t y) const {
  const uint16_t* mask = GetMask();
  const int64_t side = fMaskSide, r = side / 2, size = n;
  const int64_t top = std::max<int64_t>(int64_t(y) - r, 0), bottom = std::min<int64_t>(int64_t(y) + r, size - 1);
  const int64_t left = std::max<int64_t>(int64_t(x) - r, 0), right = std::min<int64_t>(int64_t(x) + r, size - 1);
  // Products in 64 bits: a full weight times a full height difference passes 31 bits.
  for (int64_t row = top; row <= bottom; ++row) {
    const int64_t maskRow = (row - y + r) * side - x + r;
    for (int64_t column = left; column <= right; ++column) {
      const int64_t i = row * size + column, m = mask[maskRow + column], h = grid[i];
      int64_t out = h;
      switch (behaviour) {
        case kToLevel:
          out = h + ((m * (level - h)) >> 16);
          break;
        case kToSource:
        case kToBase:
          out = h + ((m * (goal[i] - h)) >> 16);
          break;
        case kLowerToLevel:
          if (level < h) out = h + (((level - h) * m) >> 16);
          break;
        case kRaiseToLevel:
          if (level > h) out = h + (((level - h) * m) >> 16);
          break;
        default:
          break;
      }
      grid[i] = ClampHeight(out);
    }
  }
}
