#include "scene/transform.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

constexpr double kLeastTurn = 1e-5;

void StoreVector(uint8_t*& out, const vector3<double>& v) {
  const double values[3] = {v.x, v.y, v.z};
  std::memcpy(out, values, sizeof values);
  out += sizeof values;
}

void LoadVector(const uint8_t*& in, vector3<double>& v) {
  double values[3];
  std::memcpy(values, in, sizeof values);
  v.Set(values[0], values[1], values[2]);
  in += sizeof values;
}

}  // namespace

void C3dTransform::Init() {
  Reset();
  fMatrix.SetIdentity();
}

void C3dTransform::Reset() {
  fScale.Fill(1);
  fShear = fRotation = fPosition = {};
  fPrevScale = fSpare = fPrevRotation = fPrevPosition = {};
  fDirty = 1;
}

C34Matrix C3dTransform::BuildMatrix() const {
  C34Matrix matrix;
  matrix.SetFromAttributes({fScale, fShear, fRotation, fPosition});
  return matrix;
}

const C34Matrix& C3dTransform::GetMatrix() {
  if (fDirty) {
    fMatrix = BuildMatrix();
    fDirty = 0;
  }
  return fMatrix;
}

void C3dTransform::SetFromMatrix(const C34Matrix& matrix) {
  C34Matrix::S34Decomp parts;
  matrix.Decompose(parts);
  fScale = parts.scale;
  fShear = parts.shear;
  fRotation = parts.angles;
  fPosition = parts.position;
  fDirty = 1;
}

// The current rotation alone, followed by the block with its rotation replaced by the turn.
void C3dTransform::RotateAbout(int axis, double angle) {
  if (std::fabs(angle) < kLeastTurn) return;
  const vector3<double> angles{axis == 0 ? angle : 0, axis == 1 ? angle : 0, axis == 2 ? angle : 0};
  C34Matrix current;
  current.SetFromAttributes({{1, 1, 1}, {}, fRotation, {}});
  C34Matrix turned;
  turned.SetFromAttributes({fScale, fShear, angles, fPosition});
  C34Matrix::Multiply(fMatrix, current, turned);
  SetFromMatrix(fMatrix);
}

void C3dTransform::Store(uint8_t* out) const {
  uint8_t* at = out;
  for (const vector3<double>* v : {&fScale, &fShear, &fRotation, &fPosition, &fPrevScale, &fSpare, &fPrevRotation,
                                   &fPrevPosition})
    StoreVector(at, *v);
  std::memcpy(out + kMatrixOffset, fMatrix.m, sizeof fMatrix.m);
  out[kDirtyOffset] = fDirty;
  std::memset(out + kDirtyOffset + 1, 0, kStoredSize - kDirtyOffset - 1);
}

void C3dTransform::Load(const uint8_t* in) {
  const uint8_t* at = in;
  for (vector3<double>* v : {&fScale, &fShear, &fRotation, &fPosition, &fPrevScale, &fSpare, &fPrevRotation,
                             &fPrevPosition})
    LoadVector(at, *v);
  std::memcpy(fMatrix.m, in + kMatrixOffset, sizeof fMatrix.m);
  fDirty = in[kDirtyOffset];
}
