#include "framework/ui/geometry.h"

#include <algorithm>
#include <cmath>

SRect SectRect(const SRect& a, const SRect& b) {
  return {std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom), std::min(a.right, b.right)};
}

bool RectsOverlap(const SRect& a, const SRect& b) { return !IsEmptyRect(SectRect(a, b)); }

SRect UniteRects(const SRect& a, const SRect& b) {
  return {std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.bottom, b.bottom), std::max(a.right, b.right)};
}

SRect AlignToArea(SRect r, uint32_t flags, const SRect& area) {
  if (flags & kAlignTop) r = WithTop(r, area.top);
  if (flags & kAlignLeft) r = WithLeft(r, area.left);
  if (flags & kAlignBottom) r = WithTop(r, area.bottom - RectHeight(r));
  if (flags & kAlignRight) r = WithLeft(r, area.right - RectWidth(r));
  if (flags & kAlignCentreH) r = WithLeft(r, area.left + RectWidth(area) / 2 - RectWidth(r) / 2);
  if (flags & kAlignCentreV) r = WithTop(r, area.top + RectHeight(area) / 2 - RectHeight(r) / 2);
  return r;
}

int32_t ScaleLength(float proportion, int32_t length) {
  const float product = proportion * float(length);
  if (std::isnan(product)) return 0;
  if (product >= 2147483647.0f) return INT32_MAX;
  if (product <= -2147483648.0f) return INT32_MIN;
  return int32_t(product);
}
