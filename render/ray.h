// The ray record that every renderer traces and every scene object's intersection reads and fills,
// and the render statistics it counts into. Header-only: scene objects use it without linking the
// renderer.
#pragma once

#include <cstdint>

#include "framework/core/box3d.h"
#include "framework/core/vector3.h"

class C3dObject;
class COptimizerHolder;
class CRenderContext;

struct CRenderStats {
  uint32_t fPixels = 0;
  uint32_t fResampledPixels = 0;
  uint64_t fEyeRays = 0;
  uint64_t fShadowRays = 0;
  uint64_t fRaySum = 0;
  // Raised by every object test: 1 for an accepted hit, 1 for a test that found nothing.
  uint64_t fHits = 0;
  uint64_t fMisses = 0;
  uint64_t fTestSum = 0;
  uint32_t fDays = 0;
  uint32_t fHours = 0;
  uint32_t fMinutes = 0;
  uint32_t fSeconds = 0;
  uint8_t fSpare[8] = {};
};

// What an intersection writes about its hit: the ray in the object's space (RayToObject), then the
// surface at the hit in object and world space.
struct SRayHit {
  vector3<double> fObjOrigin;
  vector3<double> fObjDirection;  // not normalised: t means the same point in both spaces
  vector3<double> fObjPoint;
  vector3<double> fObjNormal;
  vector3<double> fObjShadingNormal;
  vector3<double> fPoint;
  vector3<double> fNormal;
  vector3<double> fShadingNormal;
  double fU = 0;
  double fV = 0;
  vector3<double> fTangentU;
  vector3<double> fTangentV;
};

struct CRay {
  CRenderContext* fContext = nullptr;
  // The open interval of accepted ray parameters; objects compare in single precision.
  float fTMin = 0;
  float fTMax = 0;
  double fHitT = 0;
  double fTLimit = 0;
  double fTravelled = 0;
  vector3<double> fStart;
  C3dObject* fHitObject = nullptr;
  // The member of a boolean group that was hit; null for an object's own hit.
  C3dObject* fHitPart = nullptr;
  CRenderStats* fStats = nullptr;
  uint8_t fExited = 0;
  vector3<double> fExitPoint;
  uint8_t fPrimary = 0;
  uint8_t fShadowRay = 0;
  uint8_t fHitTestOnly = 0;
  uint8_t fSkipLights = 0;  // every light's Intersect answers false
  // Picking rays test objects one by one with the selection filters; rendering rays have it 0.
  uint8_t fFilterRay = 0;
  uint8_t fSelectedOnly = 0;
  uint8_t fUnselectedOnly = 0;
  uint8_t fFilterSpare = 0;
  CRay* fParent = nullptr;
  vector3<float> fColourBehind;
  vector3<double> fOrigin;
  vector3<double> fDirection;  // unit length
  vector3<float> fColourWeight;
  vector3<float> fPathWeight;
  uint32_t fDepth = 0;
  SRayHit fHit;
  C3dObject* fMedium = nullptr;
  C3dObject* fMediumPart = nullptr;
  COptimizerHolder* fHolder = nullptr;
  int32_t fOrderEntry = 0;
  // 1: hits also write texture coordinates and tangents.
  uint32_t fWantsTexture = 0;
  uint8_t fEntering = 0;
  uint8_t fLeaving = 0;
  vector3<float> fColour;
  double fShadowFactor = 0;
  vector3<float> fShadowFilter;
  C3dObject* fBlocker = nullptr;

  void CountHit() const {
    if (fStats) ++fStats->fHits;
  }
  void CountMiss() const {
    if (fStats) ++fStats->fMisses;
  }
};

// The slab test of a box against the ray, in world space or, with objectSpace, against the ray's
// object-space origin and direction.
inline bool IntersectRay(const C3dBox& box, const CRay& ray, double& entry, double& exit, bool objectSpace) {
  return objectSpace ? box.IntersectRay(ray.fHit.fObjOrigin, ray.fHit.fObjDirection, entry, exit)
                     : box.IntersectRay(ray.fOrigin, ray.fDirection, entry, exit);
}
