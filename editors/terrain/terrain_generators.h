// The terrain editor's generators: random-walk erosion and the routines that fill a height field's
// grid with fractal, eroded, spiked, mounded, sawtooth, contoured, plateaued or noisy terrain. They
// draw from the program's random generator and leave every height within 0..65535. Those that change
// the field's resolution on the way end at the one they started with.
#pragma once

#include <cstdint>

#include "framework/ui/geometry.h"
#include "scene/resample_grid.h"

class C3dHeightField;

// ---- erosion

// One point of an erosion path: column x, row y, height h.
struct SErosionPoint {
  int32_t x = 0;
  int32_t y = 0;
  int32_t h = 0;
};

struct SErosionPath {
  static constexpr uint32_t kMaxPoints = 321;
  SErosionPoint points[kMaxPoints];
  uint32_t count = 0;
};

// Runs `drops` drops down the grid, each carving the path it takes (depth step k) when it is longer
// than 8 points, through cells whose heights lie within lo..hi. Drops start anywhere but the two
// outermost rings, or within 4 cells of the centre when one is given (a point of the 2D view, whose
// rows count down from grid row n − 1). The program's generator is reseeded from the millisecond
// clock first, shifted by the number of earlier calls so that calls within one millisecond differ.
void ErodeHeightGrid(CHFUnit* grid, uint32_t n, const SPointHV* centre, uint32_t drops, int32_t k, int32_t lo,
                     int32_t hi);
// The path of one drop from (x, y): each step turns toward the lowest neighbour (diagonals seen only
// now and then), wanders by one direction at random and stops at the grid's edge, on rising or long
// flat ground, outside lo..hi, or after 320 steps.
void TraceErosionPath(const CHFUnit* grid, uint32_t n, int32_t x, int32_t y, int32_t lo, int32_t hi,
                      SErosionPath& path);
// Lowers the path into a channel deepest in its middle and never below its end.
void CarveErosionPath(SErosionPath& path, int32_t k);
// A forward-weighted 2-1-1 average of the heights along the path.
void SmoothErosionPath(SErosionPath& path);
// Writes the path into the grid, widening the channel toward its lower end.
void WriteErosionPath(CHFUnit* grid, uint32_t n, const SErosionPath& path);
// For tests: the next erosion seeds exactly from the clock again, as the process's first does.
void ResetErosionSeedCount();

// ---- generators on a height field: 0, 9 when the field cannot be locked or a scratch grid cannot be
// had (the grid then unchanged), or the code of a change of resolution that failed.

// Doubles the resolution from 16 up, displacing high ground more, then stretches the heights.
int32_t FractalHeightGrid(C3dHeightField* field);
// Doubles the resolution from a quarter, eroding the grid and its inverse at every level.
int32_t BuildErodedHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi);
// Spikes raised on gentle slopes; the last row and column keep their heights.
int32_t SpikesHeightGrid(C3dHeightField* field);
// Clusters of mounds spread into plateaus, at every resolution from 64 up.
int32_t MoundsHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi);
// Sixteen tilted sawtooth waves added.
int32_t SawtoothHeightGrid(C3dHeightField* field);
// Steep ground flattened toward a smoothed copy with its steep cells cleared.
int32_t SubcontoursHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi);
// Four plateau steps, then smoothing.
int32_t SubplateausHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi);
// Noise scaled by the local slope.
int32_t SlopeNoiseHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi);
// Noise that only raises, more on high ground.
int32_t HeightNoiseHeightGrid(C3dHeightField* field);
