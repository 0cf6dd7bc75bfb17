// Grids of heights made in code for the terrain editor's routines.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/core/random.h"
#include "scene/resample_grid.h"

using Grid = std::vector<CHFUnit>;

inline Grid FlatGrid(uint32_t n, CHFUnit value) { return Grid(size_t(n) * n, value); }

// Cell (row, column) = height(row, column).
inline Grid GridOf(uint32_t n, const std::function<uint32_t(uint32_t row, uint32_t column)>& height) {
  Grid grid(size_t(n) * n);
  for (uint32_t r = 0; r < n; ++r)
    for (uint32_t c = 0; c < n; ++c) grid[size_t(r) * n + c] = CHFUnit(height(r, c));
  return grid;
}

// Heights from a generator state of the test's own, so that the program's stays as it was.
inline Grid RandomGrid(uint32_t n, uint32_t seed, uint32_t lo = 0, uint32_t hi = 65535) {
  SRandomState state{seed, 1, 1};
  return GridOf(n, [&](uint32_t, uint32_t) { return lo + uint32_t(NextRandomUnit(state) * (hi - lo + 1)); });
}

inline CHFUnit Cell(const Grid& grid, uint32_t n, uint32_t row, uint32_t column) {
  return grid[size_t(row) * n + column];
}
