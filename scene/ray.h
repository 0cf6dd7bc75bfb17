// The ray record that every renderer traces and every scene object's intersection reads and fills.
// Header-only: scene objects use it without linking the renderer.
#pragma once

#include <cstdint>

#include "framework/core/box3d.h"
#include "framework/core/random.h"
#include "framework/core/vector3.h"
#include "scene/render_stats.h"

class C3dObject;
class COptimizerHolder;
class CRayScratch;
class CRenderContext;

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
  // Set while the renderer searches for the nearest hit: a shape that can may then leave its hit's
  // world-space point and normals for later, naming itself in fWorldPending, and the search completes
  // them for the hit that stays the nearest (most hits on the water plane lie behind the terrain).
  uint8_t fDeferWorld = 0;
  C3dObject* fWorldPending = nullptr;
  // A sphere hit of that search leaves its texture values, two arc cosines and a sine, until shading
  // asks for them (CompleteHitTexture): most materials never do. Names the sphere; they are worked
  // out from the hit's object-space point while it is still the ray's own hit.
  C3dObject* fTexturePending = nullptr;
  // Where the ray tree's random draws (jitter, soft shadows, spread rays) come from: the render seeds
  // one per pixel, so that a pixel's picture does not depend on which thread renders it or when. Null
  // draws from the process-wide generator.
  SRandomState* fRandom = nullptr;
  // An object the optimizer passes by for this ray and its continuations: the shadow test sets it to
  // the cached blocker it has just tried.
  C3dObject* fSkipObject = nullptr;
  // What the intersections of the ray tree write as they work (ray_scratch.h): the render worker's
  // own. Null takes the calling thread's.
  CRayScratch* fScratch = nullptr;

  // A ray from origin along the unit direction with the open interval (tMin, tMax). A child takes
  // the parent's context, statistics, random source, scratch, skipped object, flag bytes and filter
  // word one level deeper; a ray without a parent is a primary ray of depth 0, bound to a context by
  // its caller. Everything a trace leaves
  // in a record (hit, exit, colours, shadow results) starts over, so a record can be used again.
  void Init(CRay* parent, const vector3<double>& origin, const vector3<double>& direction,
            const vector3<float>& colourWeight, const vector3<float>& pathWeight, float tMin, float tMax,
            C3dObject* medium, C3dObject* mediumPart, int32_t orderEntry) {
    if (parent) {
      fContext = parent->fContext;
      fStats = parent->fStats;
      fPrimary = parent->fPrimary;
      fShadowRay = parent->fShadowRay;
      fHitTestOnly = parent->fHitTestOnly;
      fSkipLights = parent->fSkipLights;
      fFilterRay = parent->fFilterRay;
      fSelectedOnly = parent->fSelectedOnly;
      fUnselectedOnly = parent->fUnselectedOnly;
      fFilterSpare = parent->fFilterSpare;
      fRandom = parent->fRandom;
      fScratch = parent->fScratch;
      fSkipObject = parent->fSkipObject;
      fDepth = parent->fDepth + 1;
    } else {
      fContext = nullptr;
      fStats = nullptr;
      fPrimary = 1;
      fShadowRay = fHitTestOnly = fSkipLights = 0;
      fFilterRay = fSelectedOnly = fUnselectedOnly = fFilterSpare = 0;
      fRandom = nullptr;
      fScratch = nullptr;
      fSkipObject = nullptr;
      fDepth = 0;
    }
    fParent = parent;
    fTMin = tMin;
    fTMax = tMax;
    fOrigin = fStart = origin;
    fDirection = direction;
    fColourWeight = colourWeight;
    fPathWeight = pathWeight;
    fMedium = medium;
    fMediumPart = mediumPart;
    fOrderEntry = orderEntry;
    fHitT = fTLimit = fTravelled = 0;
    fHitObject = fHitPart = nullptr;
    fHolder = nullptr;
    fColourBehind = {};
    fExited = 0;
    fExitPoint = {};
    fEntering = fLeaving = 0;
    fWantsTexture = 1;
    fColour = {};
    fShadowFactor = 1.0;
    fShadowFilter = {1, 1, 1};
    fBlocker = nullptr;
    fDeferWorld = 0;
    fWorldPending = nullptr;
    fTexturePending = nullptr;
  }

  void CountHit() const {
    if (fStats) ++fStats->fHits;
  }
  void CountMiss() const {
    if (fStats) ++fStats->fMisses;
  }
  // The next draw in [0, 1) of the ray's random source.
  double Random01() const { return NextRandomUnit(fRandom ? *fRandom : GetRandomState()); }
};

// The slab test of a box against the ray, in world space or, with objectSpace, against the ray's
// object-space origin and direction.
inline bool IntersectRay(const C3dBox& box, const CRay& ray, double& entry, double& exit, bool objectSpace) {
  return objectSpace ? box.IntersectRay(ray.fHit.fObjOrigin, ray.fHit.fObjDirection, entry, exit)
                     : box.IntersectRay(ray.fOrigin, ray.fDirection, entry, exit);
}
