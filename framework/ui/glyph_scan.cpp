#include "framework/ui/glyph_scan.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/spool_sys.h"
#include "framework/core/subscriber.h"
#include "framework/image/image.h"
#include "framework/ui/geometry.h"
#include "framework/ui/outline_font.h"
#include "framework/ui/outline_font_data.h"

namespace {

enum EBuffer : uint32_t {
  kCoverage,
  kColumnCounts,
  kColumnLists,
  kColumnTable,
  kRowCounts,
  kRowLists,
  kRowTable,
  kBufferCount
};

constexpr uint32_t kListBytes = SScanGrid::kCrossingsPerLine * sizeof(float);
constexpr uint8_t kEmpty = 255;
// Nearer than this to a grid line, an end point is moved off it by kNudge.
constexpr float kNearLine = 1.0f / 256.0f;
constexpr float kNudge = 1.0f / 64.0f;
// Below this second difference a quadratic is straight along its axis.
constexpr double kStraight = 0.01;
// Mapped glyphs reaching beyond this many pixels are not drawn: 256 × a coordinate must fit 32 bits.
constexpr float kFarthest = 4194304.0f;

CSubscriber* gBuffers[kBufferCount] = {};

void DeleteBuffers() {
  for (CSubscriber*& buffer : gBuffers) {
    delete buffer;
    buffer = nullptr;
  }
}

void UnlockFirst(uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) gBuffers[i]->Unlock(false, false);
}

// ---- crossings

void Append(uint8_t* counts, float* lists, const uint32_t* table, uint32_t line, float value) {
  if (counts[line] >= SScanGrid::kCrossingsPerLine) return;
  lists[table[line] + counts[line]++] = value;
}

float Nudged(float v) { return std::trunc(v + kNearLine) != std::trunc(v - kNearLine) ? v + kNudge : v; }

SGridPoint Nudged(SGridPoint p) { return {Nudged(p.x), Nudged(p.y)}; }

// The first and last grid line strictly between a and b, cut to the grid's lines 0..count-1.
bool LinesBetween(float a, float b, uint32_t count, int64_t* first, int64_t* last) {
  const double low = std::min(a, b), high = std::max(a, b);
  if (!std::isfinite(low) || !std::isfinite(high)) return false;
  *first = std::max<int64_t>(int64_t(std::floor(low)) + 1, 0);
  *last = std::min<int64_t>(int64_t(std::ceil(high)) - 1, int64_t(count) - 1);
  return *first <= *last;
}

// One axis of a quadratic, p(t) = a·t² + b·t + p0, crossed with the lines 0..count-1: each root t of
// p(t) = line in (0, 1) (with 1 itself when closeAtEnd) gives the other axis's value q(t).
template <typename Q>
void CrossAxis(double a, double b, double p0, double p2, uint32_t count, bool closeAtEnd, uint8_t* counts,
               float* lists, const uint32_t* table, Q q) {
  auto accepted = [closeAtEnd](double t) { return t > 0 && (t < 1 || (closeAtEnd && t == 1)); };
  // The curve stays within the hull of its end points and its control point (p0 + b/2).
  const double low = std::min({p0, p2, p0 + b / 2}), high = std::max({p0, p2, p0 + b / 2});
  if (!std::isfinite(low) || !std::isfinite(high)) return;
  const int64_t first = std::max<int64_t>(int64_t(std::floor(low)), 0);
  const int64_t last = std::min<int64_t>(int64_t(std::ceil(high)), int64_t(count) - 1);
  for (int64_t line = first; line <= last; ++line) {
    if (std::fabs(a) < kStraight) {
      if (b == 0) continue;
      const double t = (double(line) - p0) / b;
      if (accepted(t)) Append(counts, lists, table, uint32_t(line), float(q(t)));
      continue;
    }
    const double bb = b / a, c = (p0 - double(line)) / a;
    const double discriminant = bb * bb - 4 * c;
    if (!(discriminant > 0)) continue;
    const double s = FastSqrt(discriminant);
    const double t1 = -(bb + s) / 2, t2 = (s - bb) / 2;
    if (accepted(t1)) Append(counts, lists, table, uint32_t(line), float(q(t1)));
    if (accepted(t2)) Append(counts, lists, table, uint32_t(line), float(q(t2)));
  }
}

struct SQuadratic {
  double ax, bx, x0, ay, by, y0;

  SQuadratic(SGridPoint p0, SGridPoint c, SGridPoint p2)
      : ax(double(p0.x) - 2.0 * c.x + p2.x),
        bx(2.0 * (double(c.x) - p0.x)),
        x0(p0.x),
        ay(double(p0.y) - 2.0 * c.y + p2.y),
        by(2.0 * (double(c.y) - p0.y)),
        y0(p0.y) {}
  double X(double t) const { return (ax * t + bx) * t + x0; }
  double Y(double t) const { return (ay * t + by) * t + y0; }
};

// ---- coverage

// A crossing in 8.8 fixed point; values beyond any grid (and one that is no number) are held where
// they still say "outside".
int64_t Fixed(float c) {
  if (std::isnan(c)) c = -kFarthest * 2;
  return int64_t(std::trunc(double(std::clamp(c, -kFarthest * 2, kFarthest * 2)) * 256.0));
}

// The cells of one grid line: count of them, step between them in the coverage map.
struct SLine {
  uint8_t* cells;
  int64_t count;
  int64_t step;

  void Min(int64_t k, int32_t value) {
    if (k < 0 || k >= count) return;
    uint8_t& cell = cells[k * step];
    cell = uint8_t(std::min<int32_t>(cell, value));
  }
  void Max(int64_t k, int32_t value) {
    if (k < 0 || k >= count) return;
    uint8_t& cell = cells[k * step];
    cell = uint8_t(std::max<int32_t>(cell, value));
  }
};

// The pairs (list[0], list[1]), (list[2], list[3]), ... of one line, each limited to the line as the
// box filter needs it, handed to span(k0, r0, k1, r1).
template <typename F>
void ForEachSpan(const float* list, uint8_t count, int64_t cells, F span) {
  const int64_t lastStart = 256 * cells - 1, lastEnd = 256 * cells + 255;
  for (uint32_t i = 0; i + 1 < count; i += 2) {
    int64_t f0 = Fixed(list[i]), f1 = Fixed(list[i + 1]);
    if (f1 < 0 || f0 > lastStart) continue;
    f0 = std::min(f0, lastStart);
    f1 = std::min(f1, lastEnd);
    const int64_t k0 = f0 >> 8, k1 = f1 >> 8;
    if (k1 < k0) continue;
    span(k0, int32_t(f0 & 255), k1, int32_t(f1 & 255));
  }
}

template <typename F>
void ForEachRow(SScanGrid& grid, F visit) {
  for (uint32_t j = 0; j < grid.height; ++j) {
    SLine line{grid.coverage + uint64_t(j) * grid.width, grid.width, 1};
    visit(line, grid.rowLists + grid.rowTable[j], grid.rowCounts[j]);
  }
}

template <typename F>
void ForEachColumn(SScanGrid& grid, F visit) {
  for (uint32_t i = 0; i < grid.width; ++i) {
    SLine line{grid.coverage + i, grid.height, grid.width};
    visit(line, grid.columnLists + grid.columnTable[i], grid.columnCounts[i]);
  }
}

void Stroke(SLine& line, const float* list, uint8_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const int64_t f = Fixed(list[i]);
    if (f < 0 || f > 256 * line.count - 257) continue;
    const int32_t r = int32_t(f & 255);
    line.Min(f >> 8, r);
    line.Min((f >> 8) + 1, 255 - r);
  }
}

template <typename F>
void ForEachInnerCell(const SScanGrid& grid, const CImNavigator& image, F cell) {
  for (uint32_t j = 1; j + 1 < grid.height; ++j) {
    const uint8_t* coverage = grid.coverage + uint64_t(j) * grid.width;
    CImVector* row = image.Cells(j - 1);
    for (uint32_t i = 1; i + 1 < grid.width; ++i) cell(coverage[i], row[i - 1]);
  }
}

// ---- the glyph's contours

class CContourWalker {
 public:
  CContourWalker(const CFontData& data, SScanGrid& grid, const SFontMatrix& matrix, SGridPoint offset)
      : fData(data), fGrid(grid), fMatrix(matrix), fOffset(offset) {}

  void Glyph(uint32_t glyph) {
    const uint32_t first = fData.FirstPoint(glyph);
    if (first >= fData.Layout().points) return;
    const uint32_t last = fData.GlyphEnd(first);
    // The glyph's last point ends its last contour, whatever its flags say.
    for (uint32_t start = first; start <= last;) {
      uint32_t end = start;
      while (end < last && !(fData.Flags(end) & COutlineFont::kContourEnd)) ++end;
      Contour(start, end);
      start = end + 1;
    }
  }

 private:
  SGridPoint At(uint32_t i) const {
    const SFontPoint p = fMatrix.Apply(fData.Point(i));
    return {p.h + fOffset.x, p.v + fOffset.y};
  }
  bool OnCurve(uint32_t i) const { return fData.Flags(i) & COutlineFont::kOnCurve; }
  static SGridPoint Mid(SGridPoint a, SGridPoint b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

  void Contour(uint32_t first, uint32_t last) {
    // A contour that starts with a control point starts between its last point and that one.
    const bool startsOn = OnCurve(first);
    const SGridPoint start = startsOn ? At(first) : Mid(At(last), At(first));
    SGridPoint current = start;
    for (uint32_t i = startsOn ? first + 1 : first; i <= last;) {
      const SGridPoint p = At(i);
      if (OnCurve(i)) {
        CrossLine(fGrid, current, p);
        current = p;
        if (i == last) CrossLine(fGrid, p, start);
        ++i;
      } else if (i == last) {
        CrossQuadratic(fGrid, current, p, start);
        ++i;
      } else if (OnCurve(i + 1)) {
        const SGridPoint q = At(i + 1);
        CrossQuadratic(fGrid, current, p, q);
        current = q;
        if (i + 1 == last) CrossLine(fGrid, q, start);
        i += 2;
      } else {
        const SGridPoint mid = Mid(p, At(i + 1));
        CrossQuadratic(fGrid, current, p, mid);
        current = mid;
        ++i;
      }
    }
  }

  const CFontData& fData;
  SScanGrid& fGrid;
  const SFontMatrix& fMatrix;
  SGridPoint fOffset;
};

bool IsDrawable(const SFontBox& box) {
  for (const float v : {box.top, box.left, box.bottom, box.right}) {
    if (!std::isfinite(v) || std::fabs(v) > kFarthest) return false;
  }
  return true;
}

}  // namespace

// ---- the scratch buffers

bool CreateScanBuffers() {
  DestroyScanBuffers();
  CAppl* app = GetApplication();
  CSpoolSys* env = app ? app->GetDataEnv() : nullptr;
  if (!env || !env->IsReady()) return false;
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, nullptr);
  for (CSubscriber*& buffer : gBuffers) {
    buffer = new CSubscriber(SSpoolLayout{env, 0, 0}, spec);
    if (!buffer || !buffer->IsValid()) {
      DeleteBuffers();
      return false;
    }
  }
  return true;
}

void DestroyScanBuffers() { DeleteBuffers(); }

bool ScanBuffersExist() { return gBuffers[0] != nullptr; }

bool PrepareScanBuffers(uint32_t width, uint32_t height, SScanGrid* grid) {
  if (!ScanBuffersExist()) return false;
  const uint64_t sizes[kBufferCount] = {uint64_t(width) * height, width, (uint64_t(width) + 3) * kListBytes,
                                        4 * uint64_t(width), height, (uint64_t(height) + 3) * kListBytes,
                                        4 * uint64_t(height)};
  for (uint32_t i = 0; i < kBufferCount; ++i) {
    if (sizes[i] > UINT32_MAX) return false;
    if (gBuffers[i]->GetDataSize() < sizes[i] && !gBuffers[i]->Resize(uint32_t(sizes[i]), false, false))
      return false;
  }
  for (uint32_t i = 0; i < kBufferCount; ++i) {
    if (!gBuffers[i]->Lock()) {
      UnlockFirst(i);
      return false;
    }
  }
  grid->width = width;
  grid->height = height;
  grid->coverage = gBuffers[kCoverage]->GetData();
  grid->columnCounts = gBuffers[kColumnCounts]->GetData();
  grid->columnLists = reinterpret_cast<float*>(gBuffers[kColumnLists]->GetData());
  grid->columnTable = reinterpret_cast<uint32_t*>(gBuffers[kColumnTable]->GetData());
  grid->rowCounts = gBuffers[kRowCounts]->GetData();
  grid->rowLists = reinterpret_cast<float*>(gBuffers[kRowLists]->GetData());
  grid->rowTable = reinterpret_cast<uint32_t*>(gBuffers[kRowTable]->GetData());
  std::memset(grid->coverage, kEmpty, sizes[kCoverage]);
  std::memset(grid->columnCounts, 0, width);
  std::memset(grid->rowCounts, 0, height);
  for (uint32_t i = 0; i < width; ++i) grid->columnTable[i] = i * SScanGrid::kCrossingsPerLine;
  for (uint32_t j = 0; j < height; ++j) grid->rowTable[j] = j * SScanGrid::kCrossingsPerLine;
  return true;
}

void UnlockScanBuffers() {
  if (ScanBuffersExist()) UnlockFirst(kBufferCount);
}

// ---- segments

void CrossLine(SScanGrid& grid, SGridPoint p0, SGridPoint p1) { CrossLineRaw(grid, Nudged(p0), Nudged(p1)); }

void CrossLineRaw(SScanGrid& grid, SGridPoint p0, SGridPoint p1) {
  int64_t first = 0, last = 0;
  if (p1.x != p0.x && LinesBetween(p0.x, p1.x, grid.width, &first, &last)) {
    const double dx = double(p1.x) - p0.x, dy = double(p1.y) - p0.y;
    for (int64_t i = first; i <= last; ++i) {
      const double t = (double(i) - p0.x) / dx;
      if (t > 0 && t < 1) Append(grid.columnCounts, grid.columnLists, grid.columnTable, uint32_t(i), float(p0.y + t * dy));
    }
  }
  if (p1.y != p0.y && LinesBetween(p0.y, p1.y, grid.height, &first, &last)) {
    const double dx = double(p1.x) - p0.x, dy = double(p1.y) - p0.y;
    for (int64_t j = first; j <= last; ++j) {
      const double t = (double(j) - p0.y) / dy;
      if (t > 0 && t < 1) Append(grid.rowCounts, grid.rowLists, grid.rowTable, uint32_t(j), float(p0.x + t * dx));
    }
  }
}

void CrossQuadratic(SScanGrid& grid, SGridPoint p0, SGridPoint control, SGridPoint p2) {
  p0 = Nudged(p0);
  p2 = Nudged(p2);
  const SQuadratic q(p0, control, p2);
  if (std::fabs(q.ax) < kStraight && std::fabs(q.ay) < kStraight) {
    CrossLineRaw(grid, p0, p2);
    return;
  }
  CrossQuadraticColumns(grid, p0, control, p2);
  CrossQuadraticRows(grid, p0, control, p2);
}

void CrossQuadraticColumns(SScanGrid& grid, SGridPoint p0, SGridPoint control, SGridPoint p2) {
  const SQuadratic q(p0, control, p2);
  CrossAxis(q.ax, q.bx, q.x0, p2.x, grid.width, true, grid.columnCounts, grid.columnLists, grid.columnTable,
            [&q](double t) { return q.Y(t); });
}

void CrossQuadraticRows(SScanGrid& grid, SGridPoint p0, SGridPoint control, SGridPoint p2) {
  const SQuadratic q(p0, control, p2);
  CrossAxis(q.ay, q.by, q.y0, p2.y, grid.height, false, grid.rowCounts, grid.rowLists, grid.rowTable,
            [&q](double t) { return q.X(t); });
}

// ---- coverage

void SortCrossings(uint32_t lines, const uint8_t* counts, float* lists, const uint32_t* table) {
  for (uint32_t line = 0; line < lines; ++line) {
    float* list = lists + table[line];
    const uint32_t n = counts[line];
    for (uint32_t i = 0; i + 1 < n; ++i) {
      uint32_t smallest = i;
      for (uint32_t k = i + 1; k < n; ++k) {
        if (list[k] < list[smallest]) smallest = k;
      }
      std::swap(list[i], list[smallest]);
    }
  }
}

// A span from k0 + r0/256 to k1 + r1/256 covers cell k0 by (128 - r0)/256 and cell k1 + 1 by
// (r1 - 128)/256: pixel centres lie on the grid lines.
void FillRowSpans(SScanGrid& grid) {
  ForEachRow(grid, [](SLine& line, const float* list, uint8_t count) {
    ForEachSpan(list, count, line.count, [&line](int64_t k0, int32_t r0, int64_t k1, int32_t r1) {
      line.Min(k0, std::min(r0 + 128, 255));
      if (k1 == k0) {
        line.Min(k0 + 1, std::min(383 - r1, 255));
        return;
      }
      line.Min(k0 + 1, std::max(r0 - 128, 0));
      for (int64_t k = std::max<int64_t>(k0 + 2, 0); k <= std::min<int64_t>(k1 - 1, line.count - 1); ++k) line.Min(k, 0);
      line.Min(k1, std::max(127 - r1, 0));
      line.Min(k1 + 1, std::min(383 - r1, 255));
    });
  });
}

void CorrectColumnEdges(SScanGrid& grid) {
  ForEachColumn(grid, [](SLine& line, const float* list, uint8_t count) {
    ForEachSpan(list, count, line.count, [&line](int64_t k0, int32_t r0, int64_t k1, int32_t r1) {
      line.Min(k0, std::min(r0 + 128, 255));
      line.Max(k0 + 1, std::max(r0 - 128, 0));
      line.Max(k1, std::max(127 - r1, 0));
      line.Min(k1 + 1, std::min(383 - r1, 255));
    });
  });
}

void StrokeRowCrossings(SScanGrid& grid) { ForEachRow(grid, &Stroke); }

void StrokeColumnCrossings(SScanGrid& grid) { ForEachColumn(grid, &Stroke); }

void BlendCoverage(const SScanGrid& grid, const CImNavigator& image, uint32_t colour) {
  const int32_t alpha = int32_t(colour >> 24);
  ForEachInnerCell(grid, image, [&](uint8_t v, CImVector& pixel) {
    if (v == kEmpty) return;
    const int32_t w = ((65535 - 258 * int32_t(v)) * (alpha + 1)) >> 8;
    uint32_t out = pixel.value & 0xFF000000u;
    for (const uint32_t shift : {16u, 8u, 0u}) {
      const int32_t d = int32_t(pixel.value >> shift & 255), c = int32_t(colour >> shift & 255);
      out |= uint32_t((d + (((c - d) * w) >> 16)) & 255) << shift;
    }
    pixel.value = out;
  });
}

void CoverageToAlpha(const SScanGrid& grid, const CImNavigator& image) {
  ForEachInnerCell(grid, image, [](uint8_t v, CImVector& pixel) {
    const uint32_t alpha = std::max<uint32_t>(pixel.Alpha(), 255u - v);
    pixel.value = (pixel.value & 0x00FFFFFFu) | alpha << 24;
  });
}

// ---- one glyph

bool COutlineFont::DrawGlyph(uint32_t glyph, SFontPoint position, const SFontMatrix& matrix, CImage* image,
                             const uint32_t* colour, bool outline) {
  const CFontData data(this);
  if (!data.IsUsable() || !image) return false;
  const SFontBox box = GlyphBounds(glyph, position, matrix);
  if (!IsDrawable(box)) return true;
  const SRect glyphRect{int32_t(std::trunc(box.top - 2)), int32_t(std::trunc(box.left - 2)),
                        int32_t(std::trunc(box.bottom + 2)), int32_t(std::trunc(box.right + 2))};
  const SRect area = SectRect(glyphRect, image->GetPlacedBounds());
  if (IsEmptyRect(area)) return true;
  CSgAcSaver saved(image, area);
  CImNavigator pixels(image, nullptr, true, false);
  if (!pixels.IsUsable()) return false;
  SScanGrid grid;
  if (!PrepareScanBuffers(pixels.GetColumns() + 2, pixels.GetRows() + 2, &grid)) return false;
  const SGridPoint offset{position.h - float(area.left) + 1, position.v - float(area.top) + 1};
  CContourWalker(data, grid, matrix, offset).Glyph(glyph);
  SortCrossings(grid.width, grid.columnCounts, grid.columnLists, grid.columnTable);
  SortCrossings(grid.height, grid.rowCounts, grid.rowLists, grid.rowTable);
  if (outline) {
    StrokeRowCrossings(grid);
    StrokeColumnCrossings(grid);
  } else {
    FillRowSpans(grid);
    CorrectColumnEdges(grid);
  }
  if (colour) BlendCoverage(grid, pixels, *colour);
  else CoverageToAlpha(grid, pixels);
  UnlockScanBuffers();
  return true;
}
