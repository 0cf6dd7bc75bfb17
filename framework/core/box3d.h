// Axis-aligned boxes of doubles: bounds of scene things and cells, and the ray slab test.
#pragma once

#include "framework/core/matrix34.h"
#include "framework/core/vector3.h"

// Default-constructed, a box is the single point at the origin.
struct C3dBox {
  vector3<double> fMin;
  vector3<double> fMax;

  // Minimum +∞ and maximum −∞: grows to exactly the first point or box added.
  static C3dBox Empty();
  bool IsEmpty() const;

  // A bound is replaced only by a value strictly beyond it.
  void Union(const C3dBox& other);
  void Extend(const vector3<double>& p);

  // The box around the eight corners taken through the matrix; an empty box stays empty.
  C3dBox Transform(const C34Matrix& matrix) const;

  // The slab test for the ray's line: true when it meets the box, with the parameters where it
  // enters and leaves (entry may be negative, or −∞ along axes the ray runs parallel to).
  bool IntersectRay(const vector3<double>& origin, const vector3<double>& direction, double& entry,
                    double& exit) const;

  bool operator==(const C3dBox&) const = default;
};

// Records store the six doubles as they lie in memory.
static_assert(sizeof(C3dBox) == 48);
