// The elevation transfer curve of the terrain editor's filtering panel: 128 output heights, entry i
// for the input height i × 65535 / 127. It starts as the identity, is shaped by the pointer, by preset
// ramps and by smoothing, maps a grid's heights through itself and draws itself as a filled profile.
#pragma once

#include <cstdint>

#include "editors/terrain/height_grid_filters.h"

class CImage;
struct CImVector;

class CTerrainLUT {
 public:
  static constexpr uint32_t kEntries = kCurveEntries;
  // The editor's display mode that draws the area under the curve black.
  static constexpr int32_t kBlackDisplayMode = 14;

  CTerrainLUT() { Reset(); }
  virtual ~CTerrainLUT() = default;

  // The identity: entry i = trunc(i × 65535 / 127).
  void Reset();
  // Entries 1 to 126 become a 1-2-1 average of the curve as it was; the ends stay.
  void Smooth();
  // Maps every height within lo..hi through the curve.
  void Apply(CHFUnit* grid, uint32_t n, int32_t lo, int32_t hi) const;
  // Pixel i of the picture's first row sets entry 127 − i (the last entry for every pixel past 127)
  // to its red level × 256. False, with the curve unchanged, when the picture is missing, empty or
  // cannot be locked.
  bool LoadPreset(CImage* image);
  // Fills the picture with the curve as a profile: mid grey above it, below it the colour table's
  // entry for the column (2 × its place among 128), or black in the black display mode or without a
  // table. False when the picture cannot be used.
  bool Draw(CImage* image, const CImVector* colours, int32_t displayMode) const;

  uint16_t GetEntry(uint32_t i) const { return fEntries[i]; }
  void SetEntry(uint32_t i, uint16_t height) { fEntries[i] = height; }
  const uint16_t* GetCurve() const { return fEntries; }

 private:
  uint16_t fEntries[kEntries] = {};
};
