#include "render/texture/texture_preview.h"

#include <cfenv>
#include <algorithm>
#include <cmath>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "render/texture/texture_engine.h"
#include "render/texture/texture_evaluate.h"

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

}  // namespace

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
