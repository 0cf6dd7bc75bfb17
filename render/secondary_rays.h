// What the recursive trace needs around its child rays: the shadow ray from a hit towards one light,
// the medium a continuing ray travels in, the refracted direction, the spreading of child rays over
// the sample's ring in antialias mode 6 (soft shadows, blurred reflection and transmission), and the
// light a solid absorbs along a straight path through it.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/core/holder.h"
#include "framework/core/vector3.h"

class C3dLight;
class C3dMaterial;
class C3dObject;
class CRenderContext;
struct CRay;

// Traces the shadow ray from the ray's hit towards light lightIndex of the context and answers the
// filter and factor of the light that arrives. With the shadow cache on, the light's last blocker at
// the ray's place in the ray tree is tried first, and a blocker the ray meets becomes the new one.
void CastSecondaryRay(CRay& ray, CRenderContext& context, C3dLight& light, uint32_t lightIndex,
                      vector3<float>& filter, double& factor);

// Where a ray continuing from the ray's hit travels: into the hit object (entering), or out of it
// (leaving) into the medium of the ancestor that entered it, open space (null) when none did. Writes
// the ray's entering and leaving bytes too.
void NextMedium(CRay& ray, bool& entering, bool& leaving, C3dObject*& medium, C3dObject*& part);

// The direction of the unit direction refracted at the normal (facing against it) by the ratio of
// refractive indices; true with the direction unchanged on total internal reflection.
bool RefractDirection(const vector3<double>& direction, const vector3<double>& normal, double ratio,
                      vector3<double>& refracted);

// Spreads the ray's direction for distributed effects: the sample's ring offset plus a random point
// of the ring's width, scaled by spread, seen from distance. Nothing for a negative order entry or a
// distance or spread of 0.
void PerturbDirection(CRay& ray, const CRenderContext& context, int32_t orderEntry, double distance, double spread);

// The fraction of light absorbed on the straight path between two world points through the object,
// by the path's length against the object's largest extent and the density: at most 1, and 1 for an
// object without extent.
double PathAbsorption(const vector3<double>& entry, const vector3<double>& exit, C3dObject& object, double density);

// The material of a hit (the part's before the object's); null when there is none.
C3dMaterial* MaterialOfHit(C3dObject* object, C3dObject* part);

// The material of a hit, locked while this lives: the one a render keeps locked for the object when it
// has one, else looked up and locked here. Null when there is none or it cannot be locked.
class CHitMaterial {
 public:
  CHitMaterial(C3dObject* object, C3dObject* part);
  CHitMaterial(const CHitMaterial&) = delete;
  CHitMaterial& operator=(const CHitMaterial&) = delete;

  C3dMaterial* Get() const { return fMaterial; }

 private:
  C3dMaterial* fMaterial = nullptr;
  std::optional<CHolder> fHolder;
};
// The refractive index of a medium: 1 in open space, for a glass-like material and for a medium
// without a material.
double RefractiveIndexOf(C3dObject* medium, C3dObject* part);
// What a path of the distance keeps of the light inside a medium of the index: 1 for an index of 1 or
// less, else max(0, 1 − (1 − e^(−4(n − 1))) × 0.01 × distance).
double MediumTransmission(double index, double distance);
