// A placed object's transform block: scale, shear, rotation and position with the matrix built from
// them, rebuilt lazily when a change has left it dirty. Stored byte for byte (292 bytes) in the
// record of every placed object.
#pragma once

#include <cstdint>

#include "framework/core/matrix34.h"
#include "framework/core/vector3.h"

struct C3dTransform {
  static constexpr uint32_t kStoredSize = 292;
  // Offsets within the stored block.
  static constexpr uint32_t kScaleOffset = 0;
  static constexpr uint32_t kShearOffset = 24;
  static constexpr uint32_t kRotationOffset = 48;
  static constexpr uint32_t kPositionOffset = 72;
  static constexpr uint32_t kMatrixOffset = 192;
  static constexpr uint32_t kDirtyOffset = 288;

  vector3<double> fScale{1, 1, 1};
  vector3<double> fShear;
  vector3<double> fRotation;
  vector3<double> fPosition;
  // Written by a group's transform delta before it changes its members.
  vector3<double> fPrevScale;
  vector3<double> fSpare;
  vector3<double> fPrevRotation;
  vector3<double> fPrevPosition;
  C34Matrix fMatrix;
  uint8_t fDirty = 1;

  // Scale 1, every other vector 0, identity matrix, dirty.
  void Init();
  // Scale 1, every other vector 0, dirty; the matrix waits for the next rebuild.
  void Reset();

  void SetShear(const vector3<double>& shear) {
    fShear = shear;
    fDirty = 1;
  }
  void SetRotation(const vector3<double>& rotation) {
    fRotation = rotation;
    fDirty = 1;
  }
  void SetPosition(const vector3<double>& position) {
    fPosition = position;
    fDirty = 1;
  }

  // The matrix, rebuilt first when dirty (which clears the flag).
  const C34Matrix& GetMatrix();
  // The matrix as GetMatrix would answer it, leaving the block as it is.
  C34Matrix CurrentMatrix() const { return fDirty ? BuildMatrix() : fMatrix; }
  C34Matrix BuildMatrix() const;
  // Replaces the vectors with the decomposition of a matrix.
  void SetFromMatrix(const C34Matrix& matrix);

  // Turns the block by an angle about one axis; angles below 1e-5 do nothing.
  void RotateX(double angle) { RotateAbout(0, angle); }
  void RotateY(double angle) { RotateAbout(1, angle); }
  void RotateZ(double angle) { RotateAbout(2, angle); }

  void Store(uint8_t* out) const;
  void Load(const uint8_t* in);

 private:
  void RotateAbout(int axis, double angle);
};
