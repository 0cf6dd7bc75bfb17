// The scan conversion of outline glyphs (COutlineFont::DrawGlyph): every contour segment is crossed
// with the integer columns and rows of a grid that covers the glyph's area plus one cell on each
// side, the crossings are sorted, and an 8-bit coverage map (255 empty, 0 covered) is made from them
// with a one-pixel box filter whose pixel centres lie on the grid lines. Positions become 8.8 fixed
// point: a crossing at c is f = trunc(256 × c), cell k = f >> 8 and fraction r = f & 255.
//
// The grid's buffers are seven scratch blocks in the application's working spool environment, shared
// by every font: made with the first font, deleted with the last, only ever grown, and locked for one
// glyph at a time.
#pragma once

#include <cstdint>

class CImNavigator;

struct SGridPoint {
  float x = 0.0f;
  float y = 0.0f;
};

// One glyph's grid: W × H cells, and for every column and row its crossings (at most
// kCrossingsPerLine; further ones are dropped) starting at lists[table[line]].
struct SScanGrid {
  static constexpr uint32_t kCrossingsPerLine = 32;

  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t* coverage = nullptr;  // row by row
  uint8_t* columnCounts = nullptr;
  float* columnLists = nullptr;
  uint32_t* columnTable = nullptr;
  uint8_t* rowCounts = nullptr;
  float* rowLists = nullptr;
  uint32_t* rowTable = nullptr;
};

// The scratch buffers: made (true when all seven are usable; none are kept otherwise), deleted, and
// whether they exist.
bool CreateScanBuffers();
void DestroyScanBuffers();
bool ScanBuffersExist();
// Grows the buffers to a W × H grid, locks them and starts the grid empty (coverage 255, no
// crossings); false when a buffer cannot be grown or locked, with none left locked.
bool PrepareScanBuffers(uint32_t width, uint32_t height, SScanGrid* grid);
void UnlockScanBuffers();

// Segments in grid coordinates. CrossLine and CrossQuadratic first move an end point that lies within
// 1/256 of a grid line by 1/64 along that axis; CrossLineRaw takes the points as they are. A quadratic
// is crossed with each grid line in closed form; along an axis where it is straight (its second
// difference below 0.01) it is crossed as a line.
void CrossLine(SScanGrid& grid, SGridPoint p0, SGridPoint p1);
void CrossLineRaw(SScanGrid& grid, SGridPoint p0, SGridPoint p1);
void CrossQuadratic(SScanGrid& grid, SGridPoint p0, SGridPoint control, SGridPoint p2);
void CrossQuadraticColumns(SScanGrid& grid, SGridPoint p0, SGridPoint control, SGridPoint p2);
void CrossQuadraticRows(SScanGrid& grid, SGridPoint p0, SGridPoint control, SGridPoint p2);

// Each of the lines' lists ascending.
void SortCrossings(uint32_t lines, const uint8_t* counts, float* lists, const uint32_t* table);
// Filled glyphs: the spans between pairs of crossings along the rows, then the ends of the spans along
// the columns (which gives back what the rows took from cells only partly inside a horizontal edge).
void FillRowSpans(SScanGrid& grid);
void CorrectColumnEdges(SScanGrid& grid);
// Outlines: each crossing darkens the two cells beside it by its distance from them.
void StrokeRowCrossings(SScanGrid& grid);
void StrokeColumnCrossings(SScanGrid& grid);

// The inner cells (1..W-2, 1..H-2) into the navigator's area, cell (i, j) being its pixel
// (i - 1, j - 1): the colour (alpha in the top byte) blended by coverage with the pixel's alpha kept,
// or the pixel's alpha raised to the coverage.
void BlendCoverage(const SScanGrid& grid, const CImNavigator& image, uint32_t colour);
void CoverageToAlpha(const SScanGrid& grid, const CImNavigator& image);
