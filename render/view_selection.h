// What the 3D view reads and writes of a document's selection: the selection set implements it, so
// that the view draws the selection box and hands back its drag handles without knowing the editor.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"

class C3dObject;

class CViewSelection {
 public:
  // Face centres of x-min, x-max, y-min, y-max, z-min, z-max; the eight corners, x fastest, then z,
  // then y; the centre.
  static constexpr uint32_t kHandleCount = 15;

  virtual ~CViewSelection() = default;

  // 1: a single selected object's box is drawn in its own coordinates.
  virtual uint32_t GetBoxMode() const = 0;
  virtual uint32_t GetCount() const = 0;
  // Null for an index out of range.
  virtual C3dObject* GetObject(uint32_t index) const = 0;
  // The edge of a handle's square, in pixels.
  virtual int32_t GetHandleSize() const = 0;
  // Where the scene draw put handle index, in the view's pixels, and the world point it stands for.
  virtual void SetHandle(uint32_t index, int32_t x, int32_t y, const vector3<double>& world) = 0;
};
