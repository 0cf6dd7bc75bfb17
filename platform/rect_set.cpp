#include "platform/rect_set.h"

#include <algorithm>

namespace platform {
namespace {

// The parts of a outside b: bands above and below, then the pieces left and right between them.
void AppendDifference(const SWinRect& a, const SWinRect& b, std::vector<SWinRect>* out) {
  const SWinRect overlap = Intersection(a, b);
  if (overlap.IsEmpty()) {
    out->push_back(a);
    return;
  }
  auto keep = [out](const SWinRect& r) {
    if (!r.IsEmpty()) out->push_back(r);
  };
  keep({a.left, a.top, a.right, overlap.top});
  keep({a.left, overlap.bottom, a.right, a.bottom});
  keep({a.left, overlap.top, overlap.left, overlap.bottom});
  keep({overlap.right, overlap.top, a.right, overlap.bottom});
}

}  // namespace

SWinRect Intersection(const SWinRect& a, const SWinRect& b) {
  const SWinRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                   std::min(a.bottom, b.bottom)};
  return r.IsEmpty() ? SWinRect{} : r;
}

SWinRect RectSet::Box() const {
  if (fRects.empty()) return {};
  SWinRect box = fRects.front();
  for (const SWinRect& r : fRects) {
    box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
           std::max(box.bottom, r.bottom)};
  }
  return box;
}

bool RectSet::Contains(SPoint point) const {
  return std::any_of(fRects.begin(), fRects.end(), [point](const SWinRect& r) { return r.Contains(point); });
}

void RectSet::Add(const SWinRect& rect) {
  if (rect.IsEmpty()) return;
  // Only the parts not yet covered are added, so the rectangles never overlap.
  std::vector<SWinRect> pieces{rect};
  for (const SWinRect& held : fRects) {
    std::vector<SWinRect> rest;
    for (const SWinRect& piece : pieces) AppendDifference(piece, held, &rest);
    pieces.swap(rest);
    if (pieces.empty()) return;
  }
  fRects.insert(fRects.end(), pieces.begin(), pieces.end());
}

void RectSet::Add(const RectSet& other) {
  for (const SWinRect& r : other.fRects) Add(r);
}

void RectSet::Subtract(const SWinRect& rect) {
  if (rect.IsEmpty()) return;
  std::vector<SWinRect> rest;
  for (const SWinRect& held : fRects) AppendDifference(held, rect, &rest);
  fRects.swap(rest);
}

void RectSet::Subtract(const RectSet& other) {
  for (const SWinRect& r : other.fRects) Subtract(r);
}

void RectSet::Intersect(const SWinRect& rect) {
  std::vector<SWinRect> kept;
  for (const SWinRect& held : fRects) {
    const SWinRect r = Intersection(held, rect);
    if (!r.IsEmpty()) kept.push_back(r);
  }
  fRects.swap(kept);
}

void RectSet::Intersect(const RectSet& other) {
  std::vector<SWinRect> kept;
  for (const SWinRect& held : fRects) {
    for (const SWinRect& r : other.fRects) {
      const SWinRect both = Intersection(held, r);
      if (!both.IsEmpty()) kept.push_back(both);
    }
  }
  fRects.swap(kept);
}

void RectSet::Offset(int32_t dx, int32_t dy) {
  for (SWinRect& r : fRects) r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

}  // namespace platform
