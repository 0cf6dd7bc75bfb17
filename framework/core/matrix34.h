// The affine transform of every placed thing. Points are row vectors: p' = p·R + t, so a matrix
// applies its 3x3 part first and then its translation, and A·B applies A first, then B.
#pragma once

#include "framework/core/vector3.h"

struct C34Matrix {
  // An object's transform block: the build applies scale, then shear, then the rotations about
  // x, y and z (radians, fixed axes), then the position. Shear holds (x-y, y-z, x-z).
  struct S34Decomp {
    vector3<double> scale{1, 1, 1};
    vector3<double> shear;
    vector3<double> angles;
    vector3<double> position;
  };

  // Rows 0..2 are the images of the x, y and z axes; m[9..11] is the translation.
  double m[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};

  // Row 3 is the translation.
  vector3<double> Row(int i) const { return {m[3 * i], m[3 * i + 1], m[3 * i + 2]}; }
  void SetRow(int i, const vector3<double>& v);
  void SetIdentity() { *this = C34Matrix(); }

  // result = a·b; every input is read before the result is written, so result may be a or b.
  static void Multiply(C34Matrix& result, const C34Matrix& a, const C34Matrix& b);

  vector3<double> TransformPoint(const vector3<double>& p) const { return TransformVector(p) + Row(3); }
  // The 3x3 part alone, for directions.
  vector3<double> TransformVector(const vector3<double>& v) const {
    return {v.x * m[0] + v.y * m[3] + v.z * m[6], v.x * m[1] + v.y * m[4] + v.z * m[7],
            v.x * m[2] + v.y * m[5] + v.z * m[8]};
  }
  vector3<double> Transform(const vector3<double>& v, bool asPoint) const {
    return asPoint ? TransformPoint(v) : TransformVector(v);
  }

  // Writes the inverse into out (which may be this). A singular matrix has none: out becomes
  // the identity and the answer is false.
  bool Invert(C34Matrix& out) const;

  // Post-transforms: each applies after what the matrix already does, translation included.
  void Translate(double dx, double dy, double dz);
  // Turns y towards −z: the opposite sense of RotateY and of the block's angles.
  void RotateX(double angle);
  // Turns z towards x, right-handed.
  void RotateY(double angle);

  void SetFromAttributes(const S34Decomp& block);
  // The inverse of SetFromAttributes for matrices without a reflection; a reflection comes back
  // as three negative scales.
  void Decompose(S34Decomp& block) const;

  // Each of these replaces the matrix; the translation becomes 0.
  void SetAxisRotation(const vector3<double>& unitAxis, double angle);
  // (w, x, y, z) need not be normalised; the zero quaternion gives the identity.
  void SetFromQuaternion(double w, double x, double y, double z);
  // Scales by factor along the unit direction, leaving the perpendicular plane alone.
  void SetAxisScale(const vector3<double>& unitDirection, double factor);
  // The 3x3 part u_i·v_j at row i, column j.
  void OuterProduct(const vector3<double>& u, const vector3<double>& v);

  bool operator==(const C34Matrix&) const = default;
};

// Records store the twelve doubles and the block's twelve as they lie in memory.
static_assert(sizeof(C34Matrix) == 96 && sizeof(C34Matrix::S34Decomp) == 96);
