// What a scene object draws its wireframe through: lines and boxes in world space, projected by
// whoever implements it (the 3D view) with the world-to-camera matrix the object is given.
#pragma once

#include "framework/core/box3d.h"
#include "framework/core/matrix34.h"
#include "framework/core/vector3.h"

class CLineDrawer {
 public:
  virtual ~CLineDrawer() = default;
  // a and b in world space.
  virtual void DrawLine3d(const vector3<double>& a, const vector3<double>& b, const C34Matrix& worldToCamera) = 0;
  // The twelve edges of the box taken through objectToWorld.
  virtual void DrawBox(const C3dBox& box, const C34Matrix& objectToWorld, const C34Matrix& worldToCamera) = 0;
};
