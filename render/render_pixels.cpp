#include "render/render_pixels.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint32_t kColourBits = 0x00FFFFFF;
constexpr uint32_t kStateBits = 0xFF000000;

int32_t Channel(CImVector c, int shift) { return int32_t(c.value >> shift) & 0xFF; }

bool Differs(CImVector a, CImVector b, int32_t threshold) {
  for (const int shift : {16, 8, 0}) {
    if (std::abs(Channel(a, shift) - Channel(b, shift)) > threshold) return true;
  }
  return false;
}

SRect ImageBounds(const CImNavigator& image) { return {0, 0, int32_t(image.GetRows()), int32_t(image.GetColumns())}; }

}  // namespace

SRect ClippedRect(const SRect& rect, const SRect& bounds) {
  return {std::max(rect.top, bounds.top), std::max(rect.left, bounds.left), std::min(rect.bottom, bounds.bottom),
          std::min(rect.right, bounds.right)};
}

uint64_t RectArea(const SRect& rect) {
  if (rect.bottom <= rect.top || rect.right <= rect.left) return 0;
  return uint64_t(int64_t(rect.bottom) - rect.top) * uint64_t(int64_t(rect.right) - rect.left);
}

void BlendColour(CImVector a, CImVector b, int32_t weight, CImVector& out) {
  if (weight <= 0) {
    out = a;
    return;
  }
  if (weight >= 255) {
    out = b;
    return;
  }
  uint32_t blended = out.value & kStateBits;
  for (const int shift : {16, 8, 0}) {
    const int32_t from = Channel(a, shift);
    const int32_t mixed = from + (((Channel(b, shift) - from) * weight) >> 8);
    blended |= uint32_t(mixed & 0xFF) << shift;
  }
  out.value = blended;
}

void FillImageRect(CImNavigator& image, const SRect& rect, CImVector colour, bool invert) {
  const SRect area = ClippedRect(rect, ImageBounds(image));
  for (int32_t r = area.top; r < area.bottom; ++r) {
    CImVector* cells = image.Cells(uint32_t(r));
    for (int32_t c = area.left; c < area.right; ++c) {
      if (invert) cells[c].value ^= kColourBits;
      else cells[c] = colour;
    }
  }
}

void InvertImageRect(CImNavigator& image, const SRect& rect) { FillImageRect(image, rect, {}, true); }

bool EdgeTest(CImVector a, CImVector b, CImVector c, CImVector d, int32_t threshold) {
  if (Differs(a, b, threshold) || Differs(a, c, threshold) || Differs(a, d, threshold) || Differs(b, d, threshold))
    return true;
  return b.Alpha() != a.Alpha() || c.Alpha() != a.Alpha() || d.Alpha() != a.Alpha();
}
