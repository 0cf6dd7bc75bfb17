// The interface's geometry: rectangles (framework/core's SRect, top, left, bottom, right, half-open),
// points (h, v) and proportions (h, v). A proportion times a length is truncated toward zero.
#pragma once

#include <cstdint>

#include "framework/core/rect.h"

struct SPointHV {
  int32_t h = 0;
  int32_t v = 0;
  bool operator==(const SPointHV&) const = default;
};

struct SProportionsHV {
  float h = 0.0f;
  float v = 0.0f;
  bool operator==(const SProportionsHV&) const = default;
};

inline int32_t RectWidth(const SRect& r) { return r.right - r.left; }
inline int32_t RectHeight(const SRect& r) { return r.bottom - r.top; }
inline bool IsEmptyRect(const SRect& r) { return r.bottom <= r.top || r.right <= r.left; }
inline bool IsPointInRect(const SPointHV& p, const SRect& r) {
  return r.left <= p.h && p.h < r.right && r.top <= p.v && p.v < r.bottom;
}
inline SRect OffsetRect(const SRect& r, int32_t h, int32_t v) {
  return {r.top + v, r.left + h, r.bottom + v, r.right + h};
}
// The rectangle grown by that many pixels on every side (shrunk for a negative count).
inline SRect GrownRect(const SRect& r, int32_t by) { return {r.top - by, r.left - by, r.bottom + by, r.right + by}; }
// The rectangle moved to that left (or top) edge, its size kept.
inline SRect WithLeft(const SRect& r, int32_t left) { return OffsetRect(r, left - r.left, 0); }
inline SRect WithTop(const SRect& r, int32_t top) { return OffsetRect(r, 0, top - r.top); }
// The overlap, which may be empty (and then not normalised).
SRect SectRect(const SRect& a, const SRect& b);
bool RectsOverlap(const SRect& a, const SRect& b);
// The smallest rectangle holding both.
SRect UniteRects(const SRect& a, const SRect& b);
// The edge and centring rules that element layout and canvas placement share, applied in this order,
// each keeping the size; halves are truncated toward zero.
enum : uint32_t {
  kAlignTop = 0x40,
  kAlignLeft = 0x80,
  kAlignBottom = 0x100,
  kAlignRight = 0x200,
  kAlignCentreH = 0x400,
  kAlignCentreV = 0x800,
};
SRect AlignToArea(SRect rect, uint32_t flags, const SRect& area);
// trunc(proportion × length) in single precision; 0 for a product that is not a number, and the
// nearest 32-bit value for one beyond them.
int32_t ScaleLength(float proportion, int32_t length);
