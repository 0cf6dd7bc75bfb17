#include "framework/ui/soft_shadow.h"

#include <algorithm>
#include <cmath>

#include "framework/core/mem_pool.h"
#include "framework/core/spool_grid.h"
#include "framework/image/image.h"

namespace {

constexpr uint32_t kFullCoverage = 65535;
// A value from this on counts as shadow when the coverage box is trimmed.
constexpr uint16_t kVisibleCoverage = 255;
// Wider or higher buffers are refused, as a buffer that cannot be had is.
constexpr int64_t kLargestSide = 16384;
constexpr int64_t kScaleShift = 12;

bool IsEmpty(const SRect& r) { return r.bottom <= r.top || r.right <= r.left; }

// The coverage buffer, from the data pool, freed on every way out.
class CCoverage {
 public:
  CCoverage(const SRect& rect) : fRect(rect), fWidth(uint32_t(RectWidth(rect))), fHeight(uint32_t(RectHeight(rect))) {
    CMemPool* pool = GetDataPool();
    fValues = pool ? static_cast<uint16_t*>(pool->Alloc(size_t(fWidth) * fHeight * sizeof(uint16_t))) : nullptr;
  }
  CCoverage(const CCoverage&) = delete;
  CCoverage& operator=(const CCoverage&) = delete;
  ~CCoverage() { Free(); }

  void Free() {
    if (fValues) GetDataPool()->Free(fValues);
    fValues = nullptr;
  }

  uint16_t* fValues = nullptr;
  const SRect fRect;
  const uint32_t fWidth;
  const uint32_t fHeight;
};

// Source row i and column j go to buffer row (H - ih) / 2 + i and column (W - iw) / 2 + j: 2 x radius.
bool CopyAlpha(CImage* source, CCoverage& buffer) {
  CImNavigator nav(source, nullptr, false, false);
  if (!nav.IsUsable()) return false;
  const uint32_t rows = nav.GetRows(), columns = nav.GetColumns();
  const uint32_t top = (buffer.fHeight - rows) / 2, left = (buffer.fWidth - columns) / 2;
  for (uint32_t i = 0; i < rows; ++i) {
    const CImVector* cells = nav.Cells(i);
    uint16_t* out = buffer.fValues + size_t(top + i) * buffer.fWidth + left;
    for (uint32_t j = 0; j < columns; ++j) out[j] = uint16_t(cells[j].Alpha() * 257);
  }
  return true;
}

void BlurBuffer(CCoverage& buffer, uint32_t radius) {
  const uint32_t w = buffer.fWidth, h = buffer.fHeight;
  const uint32_t r = std::min({radius, w / 2 - 1, h / 2 - 1});
  if (r == 0) return;
  for (uint32_t y = 0; y < h; ++y) BlurLine(buffer.fValues + size_t(y) * w, w, 1, r);
  for (uint32_t x = 0; x < w; ++x) BlurLine(buffer.fValues + x, h, w, r);
}

bool IsInside(const SRect& box, const SRect& clip) {
  auto within = [](int32_t x, int32_t low, int32_t high) { return low <= x && x <= high; };
  return within(box.left, clip.left, clip.right) && within(box.top, clip.top, clip.bottom) &&
         within(box.right, clip.left, clip.right) && within(box.bottom, clip.top, clip.bottom);
}

uint16_t& ValueAt(CCoverage& buffer, int32_t y, int32_t x) {
  return buffer.fValues[size_t(y - buffer.fRect.top) * buffer.fWidth + size_t(x - buffer.fRect.left)];
}

int64_t OpacityScale(float opacity) {
  if (!(opacity > 0.0f)) return 0;
  return opacity >= 1.0f ? int64_t(kFullCoverage) : int64_t(double(opacity) * double(kFullCoverage));
}

// Values inside the box lose the outline's value m, so that a shadow cut by the clip fades to 0 at
// the cut, and the rest is stretched to the opacity.
void ScaleInsideBox(CCoverage& buffer, const SRect& box, float opacity, uint16_t m) {
  if (m == kFullCoverage) return;
  const int64_t k = OpacityScale(opacity) * (int64_t(1) << kScaleShift) / (int64_t(kFullCoverage) - m);
  for (int32_t y = box.top; y < box.bottom; ++y) {
    for (int32_t x = box.left; x < box.right; ++x) {
      uint16_t& v = ValueAt(buffer, y, x);
      const int64_t scaled = ((int64_t(v) - m) * k) >> kScaleShift;
      v = uint16_t(std::clamp<int64_t>(scaled, 0, kFullCoverage));
    }
  }
}

// f(pixel, coverage) for each pixel of the image inside the box.
template <typename F>
bool EachCoveredPixel(const uint16_t* buffer, const SRect& bufferRect, const SRect& box, CImage* image, F f) {
  const int32_t h = image->GetOriginH(), v = image->GetOriginV();
  const SRect area = IntersectRect(OffsetRect(box, -h, -v), image->GetBounds());
  if (IsEmpty(area)) return true;
  CImNavigator nav(image, &area, true, false);
  if (!nav.IsUsable()) return false;
  const size_t width = size_t(RectWidth(bufferRect));
  for (uint32_t r = 0; r < nav.GetRows(); ++r) {
    const int32_t y = area.top + int32_t(r) + v;
    const uint16_t* row = buffer + size_t(y - bufferRect.top) * width + size_t(area.left + h - bufferRect.left);
    CImVector* cells = nav.Cells(r);
    for (uint32_t c = 0; c < nav.GetColumns(); ++c) cells[c].value = f(cells[c].value, row[c]);
  }
  return true;
}

}  // namespace

void MakeSoftShadowSpec(SSoftShadow* out, SPointHV displacement, uint32_t radius, float opacity, const SRect& clip,
                        bool fadeAtClip, uint32_t mode, bool keepUnder) {
  out->dx = displacement.h;
  out->dy = displacement.v;
  out->radius = radius;
  out->opacity = opacity;
  out->clip = clip;
  out->fadeAtClip = fadeAtClip ? 1 : 0;
  out->mode = mode;
  out->keepUnder = keepUnder ? 1 : 0;
}

bool ShadowBufferRect(const SRect& placed, const SSoftShadow& shadow, SRect* out) {
  const int64_t grow = 2 * int64_t(shadow.radius);
  const int64_t top = int64_t(placed.top) + shadow.dy - grow, bottom = int64_t(placed.bottom) + shadow.dy + grow;
  const int64_t left = int64_t(placed.left) + shadow.dx - grow;
  int64_t right = int64_t(placed.right) + shadow.dx + grow;
  if (bottom - top <= 0 || right - left <= 0) return false;
  if ((right - left) % 16 == 0) ++right;
  if (right - left > kLargestSide || bottom - top > kLargestSide) return false;
  if (top < INT32_MIN || left < INT32_MIN || bottom > INT32_MAX || right > INT32_MAX) return false;
  *out = SRect{int32_t(top), int32_t(left), int32_t(bottom), int32_t(right)};
  return true;
}

void BlurLine(uint16_t* first, uint32_t count, uint32_t stride, uint32_t radius) {
  if (radius == 0 || count == 0) return;
  for (uint32_t step = radius;; step = (step + 1) >> 1) {
    const uint32_t firstValue = first[0], lastValue = first[size_t(count - 1) * stride];
    for (uint32_t phase = 0; phase < step && phase < count; ++phase) {
      // Each member's neighbours as they were before this pass: the one before is remembered, the one
      // after is not written yet.
      uint32_t before = firstValue;
      for (uint32_t i = phase; i < count; i += step) {
        uint16_t& x = first[size_t(i) * stride];
        const uint32_t after = i + step < count ? first[size_t(i + step) * stride] : lastValue;
        const uint32_t old = x;
        x = uint16_t((before + 2 * old + after + 2) >> 2);
        before = old;
      }
    }
    if (step == 1) break;
  }
}

SRect FindCoverageBox(const uint16_t* buffer, const SRect& bufferRect) {
  const int32_t w = RectWidth(bufferRect), h = RectHeight(bufferRect);
  SRect box{bufferRect.bottom, bufferRect.right, bufferRect.top, bufferRect.left};
  int32_t top = h, bottom = -1, left = w, right = -1;
  for (int32_t y = 0; y < h; ++y) {
    const uint16_t* row = buffer + size_t(y) * size_t(w);
    for (int32_t x = 0; x < w; ++x) {
      if (row[x] < kVisibleCoverage) continue;
      top = std::min(top, y);
      bottom = y;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  if (bottom < 0) return box;
  return SRect{bufferRect.top + top, bufferRect.left + left, bufferRect.top + bottom + 1, bufferRect.left + right + 1};
}

uint16_t MaxOnBoxOutline(const uint16_t* buffer, const SRect& bufferRect, const SRect& box) {
  if (IsEmpty(box)) return 0;
  const size_t w = size_t(RectWidth(bufferRect));
  auto at = [&](int32_t y, int32_t x) {
    return buffer[size_t(y - bufferRect.top) * w + size_t(x - bufferRect.left)];
  };
  uint16_t m = 0;
  for (int32_t x = box.left; x < box.right; ++x) m = std::max({m, at(box.top, x), at(box.bottom - 1, x)});
  for (int32_t y = box.top; y < box.bottom; ++y) m = std::max({m, at(y, box.left), at(y, box.right - 1)});
  return m;
}

bool CompositeShadowUnder(const uint16_t* buffer, const SRect& bufferRect, const SRect& box, CImage* image) {
  return EachCoveredPixel(buffer, bufferRect, box, image, [](uint32_t pixel, uint32_t c) -> uint32_t {
    if (c <= kVisibleCoverage) return pixel;
    if (pixel == 0) return (c >> 8) << 24;
    const uint32_t a = pixel >> 24;
    if (a == 255) return pixel;
    uint32_t na = a + (((255 - a) * c) >> 16);
    if (na == 0) na = 1;
    const uint32_t f = (a * 256) / na;
    const uint32_t r = (f * ((pixel >> 16) & 0xFF)) >> 8, g = (f * ((pixel >> 8) & 0xFF)) >> 8,
                   b = (f * (pixel & 0xFF)) >> 8;
    return na << 24 | r << 16 | g << 8 | b;
  });
}

bool ApplyShadowAlpha(const uint16_t* buffer, const SRect& bufferRect, const SRect& box, CImage* image,
                      bool keepUnder) {
  return EachCoveredPixel(buffer, bufferRect, box, image, [keepUnder](uint32_t pixel, uint32_t c) -> uint32_t {
    const uint32_t alpha = (pixel >> 24) == 255 && !keepUnder ? 0 : c >> 8;
    return alpha << 24 | (pixel & 0x00FFFFFF);
  });
}

CImage* PackAlphaMask(const SRect& box, CImage* image, SGridLayout& grid, const SSpoolTableSpec& spec) {
  image->ClipToBounds();
  grid.width = (image->GetWidth() + 3) >> 2;
  grid.height = image->GetHeight();
  grid.UpdateByteSize();
  auto* mask = new CImage(grid, spec);
  bool made = mask && mask->IsReady();
  if (made) {
    mask->SetOrigin(image->GetOriginH(), image->GetOriginV());
    if (!IsEmpty(box)) {
      CImNavigator out(mask, nullptr, true, false);
      CImNavigator in(image, nullptr, false, false);
      made = out.IsUsable() && in.IsUsable();
      for (uint32_t r = 0; made && r < in.GetRows(); ++r) {
        const CImVector* pixels = in.Cells(r);
        CImVector* cells = out.Cells(r);
        for (uint32_t x = 0; x < in.GetColumns(); ++x)
          cells[x / 4].value |= uint32_t(pixels[x].Alpha()) << (24 - 8 * (x % 4));
      }
    }
  }
  delete image;
  if (made) return mask;
  delete mask;
  return nullptr;
}

CImage* MakeSoftShadow(CImage* source, SGridLayout& grid, const SSpoolTableSpec& spec, const SSoftShadow& shadow) {
  if (!source) return nullptr;
  const SRect placed = source->GetPlacedBounds();
  SRect bufferRect;
  if (!ShadowBufferRect(placed, shadow, &bufferRect)) return nullptr;
  CCoverage buffer(bufferRect);
  if (!buffer.fValues || !CopyAlpha(source, buffer)) return nullptr;
  BlurBuffer(buffer, shadow.radius);

  SRect box = FindCoverageBox(buffer.fValues, bufferRect);
  SRect united = placed;
  if (!IsEmpty(box)) {
    // A box that the clip leaves empty stays empty: nothing of the shadow is written.
    const bool cut = !IsEmpty(shadow.clip) && !IsInside(box, shadow.clip);
    if (cut) box = IntersectRect(box, shadow.clip);
    if (!IsEmpty(box)) {
      const uint16_t m = cut && shadow.fadeAtClip ? MaxOnBoxOutline(buffer.fValues, bufferRect, box) : 0;
      ScaleInsideBox(buffer, box, shadow.opacity, m);
      united = UniteRects(box, placed);
    }
  }

  grid.width = uint32_t(RectWidth(united));
  grid.height = uint32_t(RectHeight(united));
  grid.UpdateByteSize();
  auto* result = new CImage(grid, spec);
  if (!result || !result->IsReady()) {
    delete result;
    return nullptr;
  }
  result->SetOrigin(united.left, united.top);
  const bool written = result->CopyFrom(source) &&
                       (shadow.mode == kShadowUnder
                            ? CompositeShadowUnder(buffer.fValues, bufferRect, box, result)
                            : ApplyShadowAlpha(buffer.fValues, bufferRect, box, result, shadow.keepUnder != 0));
  buffer.Free();
  if (!written) {
    delete result;
    return nullptr;
  }
  return shadow.mode == kShadowMask ? PackAlphaMask(box, result, grid, spec) : result;
}
