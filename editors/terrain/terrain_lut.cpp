#include "editors/terrain/terrain_lut.h"

#include <algorithm>

#include "framework/image/image.h"

namespace {

constexpr uint32_t kMidGrey = 0x7F7F7F;
constexpr uint32_t kLast = CTerrainLUT::kEntries - 1;

}  // namespace

void CTerrainLUT::Reset() {
  for (uint32_t i = 0; i < kEntries; ++i) fEntries[i] = uint16_t(i * 65535 / kLast);
}

void CTerrainLUT::Smooth() {
  uint16_t before[kEntries];
  std::copy(fEntries, fEntries + kEntries, before);
  for (uint32_t i = 1; i < kLast; ++i) fEntries[i] = uint16_t((before[i - 1] + 2 * before[i] + before[i + 1]) >> 2);
}

void CTerrainLUT::Apply(CHFUnit* grid, uint32_t n, int32_t lo, int32_t hi) const {
  ApplyGridFunction(grid, n, fEntries, kGridTransferCurve, lo, hi);
}

bool CTerrainLUT::LoadPreset(CImage* image) {
  if (!image) return false;
  const SRect whole = image->GetBounds();
  if (whole.bottom <= whole.top || whole.right <= whole.left) return false;
  CImNavigator nav(image, &whole, false, false);
  if (!nav.IsUsable()) return false;
  const CImVector* row = nav.Cells(0);
  for (uint32_t i = 0; i < nav.GetColumns(); ++i) fEntries[kLast - std::min(i, kLast)] = uint16_t(row[i].Red() << 8);
  return true;
}

bool CTerrainLUT::Draw(CImage* image, const CImVector* colours, int32_t displayMode) const {
  if (!image) return false;
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, true, false);
  if (!nav.IsUsable()) return false;
  const uint32_t width = nav.GetColumns(), height = nav.GetRows();
  for (uint32_t x = 0; x < width; ++x) {
    const uint32_t i = std::min(uint32_t(double(x) / width * kLast), kLast);
    const uint32_t top = std::min(uint32_t((1 - fEntries[i] / 65535.0) * height), height);
    // The table has two entries for each of the 128 places, whatever the picture's width.
    const bool black = displayMode == kBlackDisplayMode || !colours;
    const uint32_t below = black ? 0 : colours[2 * (uint64_t(x) * kEntries / width)].value;
    for (uint32_t y = 0; y < height; ++y) nav.Cells(y)[x].value = y < top ? kMidGrey : below;
  }
  return true;
}
