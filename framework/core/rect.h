// Rectangles and pairs of 32-bit values.
#pragma once

#include <cstdint>

// Bottom and right are exclusive.
struct SRect {
  int32_t top = 0;
  int32_t left = 0;
  int32_t bottom = 0;
  int32_t right = 0;

  SRect& Set(int32_t t, int32_t l, int32_t b, int32_t r) {
    top = t;
    left = l;
    bottom = b;
    right = r;
    return *this;
  }
  // Component-wise sum; moves a rectangle by an offset given as {v, h, v, h}.
  static SRect Add(const SRect& a, const SRect& b) {
    return {a.top + b.top, a.left + b.left, a.bottom + b.bottom, a.right + b.right};
  }
  bool operator==(const SRect&) const = default;
};

// A pair such as a range {first, end}, (-1, -1) for none, or a table spec {initial count, step}.
struct SRange {
  int32_t first = 0;
  int32_t second = 0;

  SRange& Set(int32_t a, int32_t b) {
    first = a;
    second = b;
    return *this;
  }
  SRange& SetFirstSecond(int32_t a, int32_t b) { return Set(a, b); }
  bool operator==(const SRange&) const = default;
};
