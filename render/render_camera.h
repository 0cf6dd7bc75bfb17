// The camera of a render: the image plane's axes and centre, its distance from the eye, the size and
// shift of the frame on it and the projection, taken from the scene camera before each render.
// Every sample's ray is made from it.
#pragma once

#include <cstdint>

#include "framework/core/matrix34.h"
#include "framework/core/vector3.h"

class C3dCamera;

struct CRenderCamera {
  static constexpr uint32_t kParallel = 0x8000;
  static constexpr uint32_t kPanoramic = 0x10000;
  // The camera flags that choose the projection: exactly parallel, exactly panoramic, or else
  // perspective.
  static constexpr uint32_t kProjectionBits = 0x9C000;

  vector3<double> fX;  // image-plane right
  vector3<double> fY;  // image-plane up
  vector3<double> fD;  // viewing direction
  vector3<double> fC;  // image-plane centre
  double fDistance = 0;
  float fWidth = 0;
  float fHeight = 0;
  float fShiftX = 0;
  float fShiftY = 0;
  uint32_t fFlags = 0;

  // The frame of the camera for a picture of width × height pixels; the eye comes out at the
  // camera's position.
  void SetFromCamera(const C3dCamera& camera, int32_t width, int32_t height);
  // The eye behind the plane's centre and the plane's top-left corner.
  void GetEyeAndCorner(vector3<double>& eye, vector3<double>& corner) const;
  // The ray of the image point (u, v), both in [−0.5, 0.5], v upwards. Perspective rays start at the
  // origin given (the eye); parallel and panoramic rays replace it. The direction is not normalised.
  void MakeRay(double u, double v, vector3<double>& origin, vector3<double>& direction) const;
  // World into camera space: the inverse of the basis right, up, right × up at the eye.
  C34Matrix ViewTransform() const;
};

// Rows a, b and the normalised a × b, translated to position; the identity when a and b are parallel
// or either is zero.
C34Matrix MakeCameraBasis(const vector3<double>& position, const vector3<double>& a, const vector3<double>& b);
