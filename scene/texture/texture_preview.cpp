#include "scene/texture/texture_preview.h"

#include <cfenv>
#include <algorithm>
#include <cmath>

#include "framework/core/fast_math.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "scene/texture/texture_engine.h"
#include "scene/texture/texture_evaluate.h"

namespace {

constexpr uint32_t kBlock = 4;

// The samplers evaluate with rounding toward minus infinity; every way out restores nearest.
class CRoundDownward {
 public:
  CRoundDownward() { std::fesetround(FE_DOWNWARD); }
  ~CRoundDownward() { std::fesetround(FE_TONEAREST); }
  CRoundDownward(const CRoundDownward&) = delete;
  CRoundDownward& operator=(const CRoundDownward&) = delete;
};

uint32_t Grey(int32_t level) {
  const uint32_t g = uint32_t(level < 0 ? 0 : level > 255 ? 255 : level);
  return g << 16 | g << 8 | g;
}

// trunc of a value that may be NaN or out of range, clamped to 0..255.
int32_t ClampedTrunc(double v) {
  if (!(v > 0)) return 0;
  return v >= 255 ? 255 : int32_t(v);
}

bool HasBump(const STextureData& data) {
  for (const STextureComponent& component : data.component) {
    if (component.kinds & kKindBump) return true;
  }
  return false;
}

// One row's worth of a target image, locked for the loop.
class CPreviewRow {
 public:
  CPreviewRow(CImage& image, uint32_t y, bool coarse) : fNav(&image, nullptr, true, false) {
    if (!fNav.IsUsable()) {
      fError = NonZeroError(image.GetError());
      return;
    }
    if (y >= fNav.GetRows()) {
      fError = kErrInvalidParameter;
      return;
    }
    fRows = coarse ? std::min<uint32_t>(kBlock, fNav.GetRows() - y) : 1;
    fCells = fNav.Cells(y);
    fWidth = fNav.GetColumns();
    fY = y;
  }
  // 0, the image's lock error, or 16 for a row outside the image.
  int32_t GetError() const { return fError; }
  uint32_t Width() const { return fWidth; }
  // Pixel i of the row, or the block of `span` pixels from i in the coarse mode.
  void Put(uint32_t i, uint32_t span, uint32_t colour) {
    for (uint32_t k = i; k < i + span && k < fWidth; ++k) fCells[k].value = colour;
  }
  // The coarse mode repeats the row below it to make 4 × 4 blocks.
  void CopyDown() {
    for (uint32_t r = 1; r < fRows; ++r) {
      CImVector* target = fNav.Cells(fY + r);
      for (uint32_t k = 0; k < fWidth; ++k) target[k] = fCells[k];
    }
  }

 private:
  CImNavigator fNav;
  CImVector* fCells = nullptr;
  uint32_t fWidth = 0;
  uint32_t fRows = 1;
  uint32_t fY = 0;
  int32_t fError = kNoErr;
};

// The shared loop: evaluates column by column and hands each result to put(i, span).
template <typename Put>
void SampleRow(STextureData& data, uint32_t width, uint32_t y, bool coarse, Put put) {
  data.outputFlags |= kKindColour;
  STextureEngine& engine = GetTextureEngine();
  const double w = width ? double(width) : 1.0;
  const double altitude = 1.0 - double(y) / w;
  engine.altitude = altitude;
  const uint32_t step = coarse ? kBlock : 1;
  for (uint32_t i = 0; i < width; i += step) {
    engine.slope = std::fabs(double(i) / w);
    engine.facing = 1.0 - engine.slope;
    EvaluateTexture(0.2 * double(i) / w, 0.2 * altitude, 0.0, data);
    put(i, step);
  }
}

// The editor preview's corner and dome are drawn for its 92-pixel side: the corner's vertex at
// (58, 34), the dome's centre at (46, 46) with radius 46.
constexpr double kCornerX = 58;
constexpr double kCornerY = 34;
constexpr double kDomeCentre = 46;
constexpr double kCornerScale = 46;

// The point and normal of column x of the preview's row, with the surface context they give.
void PreviewSurface(int32_t shape, uint32_t x, uint32_t y, double side, vector3<double>& p, vector3<double>& n) {
  STextureEngine& engine = GetTextureEngine();
  if (shape == 1) {
    const double a = (double(x) - kCornerX) / kCornerScale, b = (kCornerY - double(y)) / kCornerScale;
    if (a < 0 && b < 0) {
      n = {0, 0, 1};
      p = {0.2 * a, 0.2 * b, 0};
    } else if (b >= a) {
      n = {0, 1, 0};
      p = {0.2 * (a - b), 0, 0.2 * b};
    } else {
      n = {1, 0, 0};
      p = {0, 0.2 * (b - a), 0.2 * a};
    }
    engine.slope = 1 - std::fabs(n.y);
    engine.facing = std::fabs(n.y);
    engine.altitude = 3 * p.y + 1;
  } else if (shape == 2) {
    const double dx = double(x) - kDomeCentre, dy = kDomeCentre - double(y);
    const double r = FastSqrt(dx * dx + dy * dy);
    const double h = kDomeCentre - r;
    n = vector3<double>{dx, dy, h} * FastInvSqrt(h * h + dx * dx + dy * dy);
    p = r < kDomeCentre ? n * 0.2 : vector3<double>{};
    engine.slope = 1 - std::fabs(n.y);
    engine.facing = n.x > 0 ? std::min(n.x, 1.0) : 0;
  } else {
    n = {0, 0, 1};
    p = {0.2 * double(x) / side, 0.2 * engine.altitude, 0};
    engine.slope = double(x) / side;
    engine.facing = 1 - double(x) / side;
  }
}

// Light from above and in front, at most doubling a channel.
uint32_t Lit(uint32_t colour, const vector3<double>& n) {
  const double light = std::clamp(0.8 * n.y + 0.5 * n.z + 0.5, 0.0, 2.0);
  const int32_t r = ClampedTrunc(double((colour >> 16) & 255) * light);
  const int32_t g = ClampedTrunc(double((colour >> 8) & 255) * light);
  const int32_t b = ClampedTrunc(double(colour & 255) * light);
  return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

}  // namespace

int32_t SampleForDTEditor(STextureData& data, CImage& preview, uint32_t y, uint32_t step, int32_t selector,
                          int32_t shape) {
  const bool bump = (data.component[0].kinds & kKindBump) && (data.outputFlags & kKindBump);
  if (!bump && !(data.outputFlags & (kKindValue | kKindColour)))
    return preview.Fill(0) ? kNoErr : NonZeroError(preview.GetError());
  CRoundDownward rounding;
  CPreviewRow row(preview, y, false);
  if (row.GetError()) return row.GetError();
  const uint32_t side = row.Width();
  if (step < 1 || side < 1) return kNoErr;
  GetTextureEngine().altitude = 1 - double(y) / side;
  const bool whole = selector == 3;
  for (uint32_t x = 0; x < side; x += step) {
    vector3<double> p, n;
    PreviewSurface(shape, x, y, side, p, n);
    if (whole) EvaluateTexture(p.x, p.y, p.z, data);
    else EvaluateComponentAt(p.x, p.y, p.z, data, selector + 1);
    const STextureResult& result = data.result;
    if (bump) n -= vector3<double>{result.gradient[0], result.gradient[1], result.gradient[2]} * 10.0;
    uint32_t colour = result.colour;
    // A whole texture that gives no value shows its bump on plain grey.
    if (!(data.outputFlags & kKindColour))
      colour = whole && !(data.outputFlags & kKindValue) ? 0x7F7F7F : Grey(ClampedTrunc(254 * result.value));
    row.Put(x, step == 1 ? 1 : 4, Lit(colour, n));
  }
  return kNoErr;
}

int32_t SampleForTextureEditor(STextureData& data, CImage& image, uint32_t y, uint32_t mode) {
  CRoundDownward rounding;
  const bool coarse = mode >= 2;
  CPreviewRow row(image, y, coarse);
  if (row.GetError()) return row.GetError();
  SampleRow(data, row.Width(), y, coarse, [&](uint32_t i, uint32_t span) { row.Put(i, span, data.result.colour); });
  if (coarse) row.CopyDown();
  return kNoErr;
}

int32_t SampleForComposer(STextureData& data, CImage& colour, CImage& value, CImage& relief, uint32_t y,
                          uint32_t mode) {
  CRoundDownward rounding;
  const bool coarse = mode >= 2;
  CPreviewRow colourRow(colour, y, coarse);
  if (colourRow.GetError()) return colourRow.GetError();
  CPreviewRow valueRow(value, y, coarse);
  if (valueRow.GetError()) return valueRow.GetError();
  CPreviewRow reliefRow(relief, y, coarse);
  if (reliefRow.GetError()) return reliefRow.GetError();

  const bool bump = HasBump(data);
  const double k = coarse ? 256.0 : 64.0;
  const double c = coarse ? 64.0 : 128.0;
  const uint32_t flatRelief = coarse ? 0 : 0x7F7F7F;
  SampleRow(data, colourRow.Width(), y, coarse, [&](uint32_t i, uint32_t span) {
    const STextureResult& result = data.result;
    colourRow.Put(i, span, result.colour);
    valueRow.Put(i, span, Grey(ClampedTrunc(254.0 * result.value)));
    const double g = result.gradient[0] + 8.0 * result.gradient[1] + 5.0 * result.gradient[2];
    reliefRow.Put(i, span, bump ? Grey(255 - ClampedTrunc(k * g + c)) : flatRelief);
  });
  if (coarse) {
    colourRow.CopyDown();
    valueRow.CopyDown();
    reliefRow.CopyDown();
  }
  return kNoErr;
}
