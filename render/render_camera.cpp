#include "render/render_camera.h"

#include <cmath>
#include <numbers>

#include "scene/camera.h"

namespace {

// Zero stays zero.
vector3<double> Unit(const vector3<double>& v) {
  const double length = std::sqrt(Dot(v, v));
  return length > 0 ? v * (1 / length) : v;
}

}  // namespace

void CRenderCamera::SetFromCamera(const C3dCamera& camera, int32_t width, int32_t height) {
  const SCameraProjection projection = camera.GetProjection(width, height);
  fX = projection.right;
  fY = projection.up;
  fD = projection.direction;
  fDistance = projection.focalDistance;
  fC = camera.GetTransformVector3() + fD * fDistance;
  // The projection's extents are the whole frame's width and height.
  fWidth = projection.halfExtents[0];
  fHeight = projection.halfExtents[1];
  fShiftX = projection.offsets[0];
  fShiftY = projection.offsets[1];
  fFlags = camera.GetStateFlags() & kProjectionBits;
}

void CRenderCamera::GetEyeAndCorner(vector3<double>& eye, vector3<double>& corner) const {
  const vector3<double> x = Unit(fX);
  const vector3<double> y = Unit(fY);
  eye = fC - Cross(x, y) * fDistance;
  corner = fC - x * (fWidth * 0.5) + y * (fHeight * 0.5);
}

void CRenderCamera::MakeRay(double u, double v, vector3<double>& origin, vector3<double>& direction) const {
  const double p = fWidth * u - fShiftX;
  const double q = fHeight * v + fShiftY;
  switch (fFlags & kProjectionBits) {
    case kParallel:
      direction = fD;
      origin = fX * p + fY * q + fC - fD;
      break;
    case kPanoramic: {
      const double a = 2 * std::numbers::pi * u;
      origin = fC;
      direction = fX * std::sin(a) + fD * std::cos(a) + fY * (std::numbers::pi * v);
      break;
    }
    default:
      direction = fX * p + fY * q + fC - origin;
      break;
  }
}

C34Matrix CRenderCamera::ViewTransform() const {
  vector3<double> eye, corner;
  GetEyeAndCorner(eye, corner);
  C34Matrix view;
  MakeCameraBasis(eye, Unit(fX), Unit(fY)).Invert(view);
  return view;
}

C34Matrix MakeCameraBasis(const vector3<double>& position, const vector3<double>& a, const vector3<double>& b) {
  C34Matrix basis;
  const vector3<double> n = Cross(a, b);
  const double length = std::sqrt(Dot(n, n));
  if (length == 0) return basis;
  basis.SetRow(0, a);
  basis.SetRow(1, b);
  basis.SetRow(2, n * (1 / length));
  basis.SetRow(3, position);
  return basis;
}
