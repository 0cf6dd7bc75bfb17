// Inside the platform: an area as a set of rectangles that do not overlap. Window update areas,
// clip regions and regions share it.
#pragma once

#include <vector>

#include "platform/window.h"

namespace platform {

class RectSet {
 public:
  RectSet() = default;
  explicit RectSet(const SWinRect& rect) { Add(rect); }

  bool IsEmpty() const { return fRects.empty(); }
  const std::vector<SWinRect>& Rects() const { return fRects; }
  // The smallest rectangle holding the whole set; empty (all zero) for an empty set.
  SWinRect Box() const;
  bool Contains(SPoint point) const;

  void Clear() { fRects.clear(); }
  void Add(const SWinRect& rect);
  void Add(const RectSet& other);
  void Subtract(const SWinRect& rect);
  void Subtract(const RectSet& other);
  void Intersect(const SWinRect& rect);
  void Intersect(const RectSet& other);
  void Offset(int32_t dx, int32_t dy);

  bool operator==(const RectSet&) const = default;

 private:
  std::vector<SWinRect> fRects;
};

// The overlap of two rectangles; empty when there is none.
SWinRect Intersection(const SWinRect& a, const SWinRect& b);

}  // namespace platform
