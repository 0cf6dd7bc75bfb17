#include "render/terrain_preview.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "framework/core/mem_pool.h"

namespace {

constexpr int32_t kNothingDrawn = 30000;  // a column's horizon before anything is drawn in it
constexpr int32_t kOverlayWeight = 50;    // of 256, toward black
constexpr int32_t kSlopeShift = 4;
constexpr int32_t kShadowShift = 0;
constexpr int32_t kShadowStart = 5;       // columns left of the one lit before a caster counts
constexpr int32_t kSteepLight = 63;
constexpr int32_t kRiseShift = 17;        // a full height rises scale / 2 rows
constexpr double kLongestReliefStep = 192;
constexpr double kReliefStepScale = 0.999999995904;  // keeps a span's last step short of the next texel
// The light left of a caster t' rows above the lit column: t' = 1, 2, ... 9 and more.
constexpr int32_t kShadowLight[] = {180, 165, 160, 155, 150, 145, 140, 135, 125};

struct SPreviewState {
  uint32_t* target = nullptr;
  int32_t rowLength = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t clipLeft = 0;
  int32_t clipTop = 0;

  const uint16_t* heights = nullptr;
  int32_t heightRow = 0;
  int32_t gridWidth = 0;
  int32_t gridHeight = 0;
  int64_t scale = 0;
  int32_t cutLevel = 0;
  int32_t minimumShade = 0;
  const uint32_t* gradient = nullptr;

  uint32_t* picture = nullptr;
  int32_t pictureSize = 0;
  bool colour = false;

  int32_t horizon[TerrainPreview::kColumns] = {};
  int32_t elevation[TerrainPreview::kColumns] = {};
  int32_t bottomLimit = 0;  // relief rows from the target's height to here still raise columns
  int32_t waterOffset = 0;
};

SPreviewState gState;

// One scanline's ends: x in 16.16, u and v in texels.
struct SScanline {
  int64_t left = 0;
  int64_t right = 0;
  int64_t y = 0;
  double uLeft = 0, vLeft = 0, uRight = 0, vRight = 0;
};

// The columns a span covers and u, v (16.16 texels) at its first one.
struct SSpan {
  int32_t first = 0;
  int32_t end = 0;
  int32_t row = 0;
  int64_t u = 0, v = 0, du = 0, dv = 0;
};

int32_t Inverted(uint16_t h) { return (65535 - int32_t(h)) >> 8; }

int32_t LeftElevation(int32_t x) { return x > 0 ? gState.elevation[x - 1] : 0; }

uint32_t& Pixel(int32_t x, int32_t row) { return gState.target[int64_t(row) * gState.rowLength + x]; }

// Columns from left >> 16 up to ⌈right⌉, short of the last column of the target and of the tables;
// u and v step linearly across, with one division each.
bool SetUpSpan(const SScanline& line, int32_t bottom, double stepScale, SSpan* span) {
  span->row = int32_t((line.y + 0x8000) >> 16);
  if (span->row < gState.clipTop || span->row >= bottom) return false;
  const int64_t start = line.left >> 16;
  const int64_t stop = (line.right + 0xFFFF) >> 16;
  const int64_t n = stop - start;
  if (n <= 0) return false;
  span->du = int64_t((line.uRight - line.uLeft) * 65536.0 * stepScale / double(n));
  span->dv = int64_t((line.vRight - line.vLeft) * 65536.0 * stepScale / double(n));
  const int64_t first = std::max<int64_t>(start, gState.clipLeft);
  const int64_t end = std::min<int64_t>({stop, gState.width - 1, TerrainPreview::kColumns});
  if (first >= end) return false;
  span->first = int32_t(first);
  span->end = int32_t(end);
  span->u = int64_t(line.uLeft * 65536.0) + (first - start) * span->du;
  span->v = int64_t(line.vLeft * 65536.0) + (first - start) * span->dv;
  return true;
}

// Flat and overlay renderers: texels wrap.
int32_t WrappedInverted(int64_t u, int64_t v) {
  const int64_t tx = (u >> 16) & (gState.gridWidth - 1);
  const int64_t ty = (v >> 16) & (gState.gridHeight - 1);
  return Inverted(gState.heights[ty * gState.heightRow + tx]);
}

void DrawFlat(const SScanline& line) {
  SSpan span;
  if (!SetUpSpan(line, gState.height, 1.0, &span)) return;
  for (int32_t x = span.first; x < span.end; ++x, span.u += span.du, span.v += span.dv) {
    const int32_t s = WrappedInverted(span.u, span.v);
    if (s <= gState.cutLevel) Pixel(x, span.row) = gState.gradient[255 - std::max(s, gState.minimumShade)];
  }
}

void DrawOverlay(const SScanline& line) {
  SSpan span;
  if (!SetUpSpan(line, gState.height, 1.0, &span)) return;
  for (int32_t x = span.first; x < span.end; ++x, span.u += span.du, span.v += span.dv) {
    if (WrappedInverted(span.u, span.v) > gState.cutLevel) continue;
    uint32_t& p = Pixel(x, span.row);
    uint32_t out = p & 0xFF000000;
    for (uint32_t shift = 0; shift < 24; shift += 8) {
      const int32_t c = int32_t((p >> shift) & 0xFF);
      out |= uint32_t(c + ((-c * kOverlayWeight) >> 8)) << shift;
    }
    p = out;
  }
}

// Relief renderers: texels clamp to the grid, and the height between four of them is bilinear.
struct STexel {
  int32_t column = 0;
  int32_t row = 0;
  int32_t inverted = 0;
};

STexel ReliefTexel(int64_t u, int64_t v) {
  const int64_t lastColumn = gState.gridWidth - 1, lastRow = gState.gridHeight - 1;
  const int64_t tx = std::clamp<int64_t>(u >> 16, 0, lastColumn), ty = std::clamp<int64_t>(v >> 16, 0, lastRow);
  const int64_t tx1 = std::min(tx + 1, lastColumn), ty1 = std::min(ty + 1, lastRow);
  const int64_t fu = u & 0xFFFF, fv = v & 0xFFFF;
  const uint16_t* upper = gState.heights + ty * gState.heightRow;
  const uint16_t* lower = gState.heights + ty1 * gState.heightRow;
  const int64_t top = upper[tx] + (((upper[tx1] - int64_t(upper[tx])) * fu) >> 16);
  const int64_t bottom = lower[tx] + (((lower[tx1] - int64_t(lower[tx])) * fu) >> 16);
  const int64_t h = top + (((bottom - top) * fv) >> 16);
  return {int32_t(tx), int32_t(ty), Inverted(uint16_t(h))};
}

// The light multiplied down by the first caster to the left that reaches above the column.
int32_t Shadowed(int32_t light, int32_t x, int32_t e, int32_t s, int32_t spanFirst) {
  const int32_t last = std::max({x - (s << kShadowShift), spanFirst, 0});
  for (int32_t j = x - kShadowStart; j >= last; --j) {
    const int32_t above = gState.elevation[j] - e - (x - j);
    if (above > 0) return (light * kShadowLight[std::min(above, int32_t(std::size(kShadowLight))) - 1]) >> 8;
  }
  return light;
}

uint32_t ReliefColour(const STexel& texel, int32_t e, int32_t light) {
  if (!gState.colour) {
    const uint32_t grey = uint32_t(std::min((light * e) >> 8, 255));
    return grey * 0x010101u;
  }
  uint32_t c = gState.gradient ? gState.gradient[e] : 0;
  if (gState.picture) {
    // A picture of another size than the grid is read within its own pixels.
    const int32_t last = gState.pictureSize - 1;
    const int32_t row = std::min(gState.gridHeight - 1 - texel.row, last), column = std::min(texel.column, last);
    c = gState.picture[int64_t(row) * gState.pictureSize + column];
  }
  uint32_t out = 0;
  for (uint32_t shift = 0; shift < 24; shift += 8) {
    const int64_t channel = (((int64_t((c >> shift) & 0xFF) * light) >> 8) * 255) >> 8;
    out |= uint32_t(std::clamp<int64_t>(channel, 0, 255)) << shift;
  }
  return out;
}

void DrawRelief(const SScanline& line, bool shadows) {
  SSpan span;
  if (!SetUpSpan(line, gState.bottomLimit, kReliefStepScale, &span)) return;
  const int32_t lastRow = gState.height - 1;
  for (int32_t x = span.first; x < span.end; ++x, span.u += span.du, span.v += span.dv) {
    int32_t& horizon = gState.horizon[x];
    if (horizon <= gState.clipTop) continue;
    const STexel texel = ReliefTexel(span.u, span.v);
    const int32_t s = std::max(texel.inverted, gState.minimumShade);
    const int32_t e = 255 - s;
    const int32_t top = int32_t(std::max<int64_t>(span.row - ((gState.scale * e) >> kRiseShift), gState.clipTop));
    const int32_t water = std::max(span.row - gState.waterOffset, gState.clipTop);
    if (s > gState.cutLevel) {
      // Under water nothing is drawn, but the surface still hides what lies behind it.
      if (horizon != kNothingDrawn && water < horizon) horizon = std::min(water, lastRow);
    } else {
      if (horizon == kNothingDrawn) horizon = std::min(span.row - gState.waterOffset, lastRow);
      if (top < horizon) {
        const int32_t d = (LeftElevation(x) - e) << kSlopeShift;
        int32_t light = d + 64 > 256 ? kSteepLight : 255 - d;
        if (shadows) light = Shadowed(light, x, e, s, span.first);
        const uint32_t colour = ReliefColour(texel, e, light);
        for (int32_t row = top; row <= horizon; ++row) Pixel(x, row) = colour;
        horizon = top;
      }
    }
    gState.elevation[x] = e;
  }
}

// The point of the edge from a to b at screen row y (pixels), in the scanline's units.
struct SEdgePoint {
  int64_t x;
  double u, v;
};

// Texel coordinates far off the grid are held to 2^20, where the 16.16 steps of a span cannot
// overflow 64 bits.
constexpr double kFarthestTexel = double(1 << 20);

SEdgePoint PointAt(const STerrainVertex& a, const STerrainVertex& b, double y) {
  const double ya = a.y / 65536.0, yb = b.y / 65536.0;
  const double t = (y - ya) / (yb - ya);
  const double x = a.x + t * (double(b.x) - a.x);
  const double u = (a.u + t * (b.u - a.u)) * gState.gridWidth, v = (a.v + t * (b.v - a.v)) * gState.gridHeight;
  return {int64_t(x), std::clamp(u, -kFarthestTexel, kFarthestTexel),
          std::clamp(v, -kFarthestTexel, kFarthestTexel)};
}

// The left and right ends of the polygon at row y; false when no edge crosses it.
bool Crossing(const STerrainVertex* vertices, int32_t count, double y, SScanline* line) {
  bool found = false;
  for (int32_t i = 0; i < count; ++i) {
    const STerrainVertex& a = vertices[i];
    const STerrainVertex& b = vertices[(i + 1) % count];
    if (a.y == b.y) continue;
    const double low = std::min(a.y, b.y) / 65536.0, high = std::max(a.y, b.y) / 65536.0;
    if (y < low || y > high) continue;
    const SEdgePoint p = PointAt(a, b, y);
    if (!found || p.x < line->left) {
      line->left = p.x;
      line->uLeft = p.u;
      line->vLeft = p.v;
    }
    if (!found || p.x > line->right) {
      line->right = p.x;
      line->uRight = p.u;
      line->vRight = p.v;
    }
    found = true;
  }
  line->y = int64_t(std::llround(y * 65536.0));
  return found;
}

// Rows of a scanline: a short polygon takes more scanlines than rows, so that every grid row reaches
// the horizon.
double ScanlineStep(int32_t mode, double polygonRows) {
  if (mode != TerrainPreview::kRelief && mode != TerrainPreview::kReliefWithShadows) return 1.0;
  const double limit = mode == TerrainPreview::kRelief ? std::min(1.5 * gState.gridWidth, kLongestReliefStep)
                                                       : 1.75 * gState.gridWidth;
  if (std::floor(polygonRows) >= limit) return 1.0;
  return polygonRows < 1.0 ? 1.0 / limit : polygonRows / limit;
}

bool IsReady(int32_t mode) {
  const SPreviewState& s = gState;
  if (!s.target || s.width <= 0 || s.height <= 0 || s.rowLength < s.width || !s.heights || s.gridWidth <= 0 ||
      s.gridHeight <= 0 || s.heightRow < s.gridWidth)
    return false;
  const bool flat = mode != TerrainPreview::kOverlay && s.scale == 0;
  const bool reliefFromGradient = mode != TerrainPreview::kOverlay && s.colour && !s.picture;
  return s.gradient || !(flat || reliefFromGradient);
}

}  // namespace

void TerrainPreview::SetTarget(uint32_t* pixels, int32_t rowLength, int32_t width, int32_t height) {
  gState.target = pixels;
  gState.rowLength = rowLength;
  gState.width = width;
  gState.height = height;
  gState.clipLeft = 0;
  gState.clipTop = 0;
}

void TerrainPreview::ResizeBuffer(const uint32_t* picture, int32_t size) {
  PlatformFree(gState.picture);
  gState.picture = nullptr;
  gState.pictureSize = 0;
  gState.colour = true;
  if (!picture || size <= 0) return;
  const size_t bytes = size_t(size) * size_t(size) * sizeof(uint32_t);
  gState.picture = static_cast<uint32_t*>(PlatformAlloc(bytes));
  if (!gState.picture) return;
  std::memcpy(gState.picture, picture, bytes);
  gState.pictureSize = size;
}

void TerrainPreview::SetHeightField(const uint16_t* heights, int32_t rowLength, int32_t gridWidth,
                                    int32_t gridHeight, int32_t scale, int32_t cutLevel, int32_t minimumShade,
                                    const uint32_t* gradient) {
  gState.heights = heights;
  gState.heightRow = rowLength;
  gState.gridWidth = gridWidth;
  gState.gridHeight = gridHeight;
  gState.scale = std::llabs(int64_t(scale));
  gState.cutLevel = std::clamp(cutLevel, 0, 255);
  gState.minimumShade = std::clamp(minimumShade, 0, 255);
  gState.gradient = gradient;
}

bool TerrainPreview::DrawPolygon(const STerrainVertex* vertices, int32_t count, int32_t mode) {
  if (!vertices || count < 3 || mode < kRelief || mode > kOverlay || !IsReady(mode)) return false;
  for (int32_t i = 0; i < count; ++i) {
    if (!std::isfinite(vertices[i].u) || !std::isfinite(vertices[i].v)) return false;
  }
  std::fill(std::begin(gState.horizon), std::end(gState.horizon), kNothingDrawn);
  std::fill(std::begin(gState.elevation), std::end(gState.elevation), 0);
  gState.bottomLimit = int32_t(std::min<int64_t>(gState.height + ((gState.scale * 255) >> kRiseShift), INT32_MAX));
  gState.waterOffset = int32_t(std::min<int64_t>(((255 - gState.cutLevel) * gState.scale) >> kRiseShift, INT32_MAX));

  const bool flat = gState.scale == 0 && mode != kOverlay;
  const int32_t bottom = flat || mode == kOverlay ? gState.height : gState.bottomLimit;
  int32_t lowest = vertices[0].y, highest = vertices[0].y;
  for (int32_t i = 1; i < count; ++i) {
    lowest = std::max(lowest, vertices[i].y);
    highest = std::min(highest, vertices[i].y);
  }
  const double step = ScanlineStep(mode, (int64_t(lowest) - highest) / 65536.0);
  const double top = std::max(highest / 65536.0, double(gState.clipTop));
  // Scanlines below the last row drawn are skipped by the span renderers: start where they begin to
  // count, on the same steps from the lowest vertex.
  const double start = lowest / 65536.0;
  for (int64_t k = int64_t(std::max(0.0, std::floor((start - (bottom - 0.5)) / step)));; ++k) {
    const double y = start - double(k) * step;
    if (y < top) break;
    SScanline line;
    if (!Crossing(vertices, count, y, &line)) continue;
    if (mode == kOverlay) DrawOverlay(line);
    else if (flat) DrawFlat(line);
    else DrawRelief(line, mode == kReliefWithShadows);
  }
  return true;
}

void TerrainPreview::Reset() {
  PlatformFree(gState.picture);
  gState = SPreviewState{};
}
