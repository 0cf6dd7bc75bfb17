// The terrain editor's grid routines: pure functions from one square grid of 16-bit heights (n × n,
// row-major, 0 the lowest) to another. They keep no state, allocate nothing but the row buffer of
// SmoothHeightRange, and draw random numbers only from the program's generator. Bilinear resampling
// is scene/resample_grid.h's ResampleGridBilinear.
#pragma once

#include <algorithm>
#include <cstdint>

#include "framework/core/rect.h"
#include "scene/resample_grid.h"

// A height of any size limited to 0..65535.
inline CHFUnit ClampHeight(int64_t value) { return CHFUnit(std::clamp<int64_t>(value, 0, 65535)); }

// The kernels and fills of FilterHeightGrid, named after the buttons that use them.
enum EHeightFilter : int32_t {
  kFilterSmooth = 1,          // 3×3 kernel: neighbours 30, centre 20, >> 8
  kFilterSharpen = 2,         // neighbours −378, centre 3286, >> 8
  kFilterRelief = 3,          // the slanted relief kernel, >> 11
  kFilterRaiseLower = 5,      // every cell 0
  kFilterNew = 6,             // every cell 0
  kFilterDampen = 7,          // 65535 − source
  kFilterInvert = 8,          // 65535 − source
  kFilterEqualize = 9,        // StretchHeightRange of the destination
  kFilterGaussianEdges = 10,  // ApplyGridFunction's gaussian edges on the destination
};

// The grid functions of ApplyGridFunction. The profile modes read P, the curve laid across the grid's
// n rows or columns.
enum EGridFunction : int32_t {
  kGridInvert = 0,              // 65535 − v everywhere
  kGridTransferCurve = 1,       // v through the curve, within lo..hi
  kGridGaussianEdges = 3,       // v × exp(−6.4 d² / n²), d the distance from the centre, within lo..hi
  kGridRowProfileBlend = 5,     // (v + max(v, P(row))) / 2
  kGridColumnProfileBlend = 6,  // (v + max(v, P(column))) / 2
  kGridRowProfileRaise = 7,     // v + P(row) / 2
  kGridColumnProfileRaise = 8,  // v + P(column) / 2
};

inline constexpr uint32_t kCurveEntries = 128;

// The grid sizes the filters and shapes take: powers of two from 8 to 1024.
bool IsFilterGridSize(uint32_t n);

// Writes dst from src (not overlapping) by mode (EHeightFilter). The kernels write columns 1 to n − 2
// only, reading the edge rows again past the top and bottom; callers copy the source into dst first.
// Any other n or mode leaves dst as it was.
void FilterHeightGrid(const CHFUnit* src, CHFUnit* dst, uint32_t n, int32_t mode);

// dst becomes a copy of src (not overlapping) reshaped by mode 0 to 9 around the drag offset
// dx = ax − bx, dy = by − ay (a the pointer, b the press): round, raised or square edges, spikes,
// bubbles, mosaic, noise (one draw of the program's generator per cell, row by row), posterize and
// cross ridges. Any other n leaves dst as it was.
void ShapeHeightGrid(const CHFUnit* src, CHFUnit* dst, uint32_t n, int32_t mode, int32_t ax, int32_t ay, int32_t bx,
                     int32_t by);

// Rewrites the grid in place by mode (EGridFunction); curve holds kCurveEntries heights and may be
// null for the modes that do not read it (those that do then change nothing).
void ApplyGridFunction(CHFUnit* grid, uint32_t n, const uint16_t* curve, int32_t mode, int32_t lo, int32_t hi);

// Stretches the heights over 0..65535; a flat grid, or one whose highest cell is 0, stays as it is.
void StretchHeightRange(CHFUnit* grid, uint32_t n);

// One pass along the rows and one down the columns of a 1-2-1 average over the cells within lo..hi,
// the last but one cell of a run taking (previous + 3 v) / 4 and the outermost cells kept. False,
// with the grid unchanged, when the data pool refuses the row buffer.
bool SmoothHeightRange(CHFUnit* grid, uint32_t n, int32_t lo, int32_t hi);

// dst = a + (b − a) × w / 256 (w may be negative or above 256) where a lies within lo..hi, else a.
// dst may be a or b.
void BlendHeightGridInRange(const CHFUnit* a, const CHFUnit* b, CHFUnit* dst, uint32_t n, int32_t w, int32_t lo,
                            int32_t hi);

// The crop tool, in the 2D view's coordinates (view row y shows grid row n − 1 − y). Crop fills dst
// with the view square of side right − left at (top, left), then smooths it twice; the square may run
// past the grid, whose edge cells then repeat. False when the smoothing cannot get its buffer.
bool CropHeightGrid(const CHFUnit* src, CHFUnit* dst, uint32_t n, const SRect& view);
// Fit clears dst and shrinks the whole of src into the view rectangle (the part inside the grid);
// an empty rectangle only clears.
void FitHeightGrid(const CHFUnit* src, CHFUnit* dst, uint32_t n, const SRect& view);
