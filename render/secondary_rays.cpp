#include "render/secondary_rays.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "render/abstract_optimizer.h"
#include "render/ray_trace.h"
#include "render/render_context.h"
#include "render/render_settings.h"
#include "scene/light.h"
#include "scene/ray.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/torus.h"

namespace {

constexpr float kChildNear = 0.0001f;
constexpr float kInfinity = std::numeric_limits<float>::infinity();
// A torus's own surface would shadow the point it was hit at.
constexpr double kTorusLift = 0.0001;
// The random point of a spread lies within this share of the ring's width (0.5 / grid).
constexpr double kRingSpread = 0.5 * 0.35;
constexpr double kDegree = 0.01745329251994;
// e^(−4(n − 1)) as a power of two.
constexpr double kMediumExponent = -5.7707801635558535;

// The ray's origin for its shadow ray and, when the light is a point, the way there.
struct STowardsLight {
  vector3<double> direction;
  float far = kInfinity;
  double distance = std::numeric_limits<double>::infinity();
  bool isSun = false;
};

STowardsLight TowardsLight(C3dLight& light, const vector3<double>& from) {
  STowardsLight way;
  if (light.GetClass() == C3dSunLight::kClassTag) {
    way.isSun = true;
    way.direction = static_cast<C3dSunLight&>(light).GetRenderDirection();
    return way;
  }
  const vector3<double> v = light.GetTransformVector3() - from;
  way.distance = std::sqrt(Dot(v, v));
  way.direction = way.distance > 0 ? v * (1 / way.distance) : v;
  way.far = float(way.distance);
  return way;
}

// Whether the cached object stops the shadow ray on its own. An object that misses records no hit,
// but the hit fields are put back all the same, so that the ray goes on to its trace as it was; what
// else an intersection writes is its own scratch, which the next intersection writes afresh.
bool Stops(C3dObject& object, CRay& shadow) {
  const double hitT = shadow.fHitT;
  C3dObject* const hitObject = shadow.fHitObject;
  C3dObject* const hitPart = shadow.fHitPart;
  if (object.Intersect(shadow)) return true;
  shadow.fHitT = hitT;
  shadow.fHitObject = hitObject;
  shadow.fHitPart = hitPart;
  return false;
}

}  // namespace

void CastSecondaryRay(CRay& ray, CRenderContext& context, C3dLight& light, uint32_t lightIndex,
                      vector3<float>& filter, double& factor) {
  vector3<double> origin = ray.fHit.fPoint;
  if (ray.fHitObject && ray.fHitObject->GetClass() == C3dTorus::kClassTag)
    origin += ray.fHit.fShadingNormal * kTorusLift;
  const STowardsLight way = TowardsLight(light, origin);

  CRay shadow;
  shadow.Init(&ray, origin, way.direction, {1, 1, 1}, {1, 1, 1}, kChildNear, way.far, ray.fMedium, ray.fMediumPart,
              ray.fOrderEntry);
  shadow.fPrimary = 0;
  shadow.fShadowRay = 1;
  shadow.fHitTestOnly = 0;
  // A light's visible body surrounds its own position, so a shadow ray towards it would always be
  // blocked; bodies of lights are shown, never solid.
  shadow.fSkipLights = 1;
  shadow.fDepth = 1;
  shadow.fHolder = ray.fHolder;

  // Soft shadows spread the ray over the light's disc; the sun, infinitely far, casts hard ones, and
  // a point inside the light's radius sees it all around.
  const double radius = light.GetRadius();
  if (ray.fOrderEntry >= 0 && !way.isSun && radius > 0 && way.distance > 0) {
    const double a = std::asin(std::min(radius / way.distance, 1.0));
    const double distance = way.distance - radius * std::sin(a);
    if (distance > 0) PerturbDirection(shadow, context, ray.fOrderEntry, distance, radius * std::cos(a));
  }

  const SRenderSettings& settings = *context.GetSettings();
  COptimizerHolder* node = (settings.fFlags & SRenderSettings::kShadowCache) ? ray.fHolder : nullptr;
  SOptimizerObject* cached = node ? node->GetEntry(lightIndex) : nullptr;
  if (cached && cached->fObject != shadow.fSkipObject) {
    if (Stops(*cached->fObject, shadow)) {
      filter = {};
      factor = 0;
      return;
    }
    // Tried already: the optimizer passes it by for this ray and its continuations.
    shadow.fSkipObject = cached->fObject;
  }
  TraceRay(shadow);
  filter = shadow.fShadowFilter;
  factor = shadow.fShadowFactor;
  if (node && shadow.fBlocker) {
    CAbstractOptimizer* optimizer = context.GetOptimizer();
    node->SetEntry(lightIndex, optimizer ? optimizer->FindRecord(shadow.fBlocker) : nullptr);
  }
}

void NextMedium(CRay& ray, bool& entering, bool& leaving, C3dObject*& medium, C3dObject*& part) {
  entering = leaving = false;
  medium = part = nullptr;
  C3dObject* hit = ray.fHitObject;
  if (hit && !hit->IsRayInside(ray)) {
    entering = true;
    medium = hit;
    part = ray.fHitPart;
  } else if (hit) {
    leaving = true;
    // Up the ancestors to the ray that entered the object left; its medium is next, unless the ray
    // has left that one too, when the search goes on for the ray that entered it.
    const C3dObject* left = hit;
    for (const CRay* ancestor = ray.fParent; ancestor; ancestor = ancestor->fParent) {
      if (ancestor->fHitObject != left) continue;
      if (!ancestor->fMedium || ancestor->fMedium->IsRayInside(ray)) {
        medium = ancestor->fMedium;
        part = ancestor->fMediumPart;
        break;
      }
      left = ancestor->fMedium;
    }
  }
  ray.fEntering = entering;
  ray.fLeaving = leaving;
}

bool RefractDirection(const vector3<double>& direction, const vector3<double>& normal, double ratio,
                      vector3<double>& refracted) {
  const double c = -Dot(normal, direction);
  const double k = 1 - ratio * ratio * (1 - c * c);
  if (k < 0) {
    refracted = direction;
    return true;
  }
  refracted = direction * ratio + normal * (ratio * c - std::sqrt(k));
  return false;
}

void PerturbDirection(CRay& ray, const CRenderContext& context, int32_t orderEntry, double distance, double spread) {
  if (orderEntry < 0 || distance == 0 || spread == 0 || context.GetGrid() == 0) return;
  const double reach = kRingSpread / context.GetGrid();
  const double angle = ray.Random01() * 360 * kDegree;
  const double radius = ray.Random01() * reach;
  const CRenderContext::SRingOffset ring = context.GetRingOffset(orderEntry);
  const double px = (ring.x + std::cos(angle) * radius) * spread;
  const double py = (ring.y + std::sin(angle) * radius) * spread;
  const double length = std::sqrt(px * px + py * py + distance * distance);
  const double x = px / length, y = py / length, z = distance / length;

  // A frame around the direction d from the axis least aligned with it, so that it never degenerates:
  // u is that axis made perpendicular to d, v = d × axis.
  const vector3<double> d = ray.fDirection;
  const double ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
  const int axis = ax <= ay && ax <= az ? 0 : ay <= az ? 1 : 2;
  vector3<double> e;
  if (axis == 0) e.x = 1;
  else if (axis == 1) e.y = 1;
  else e.z = 1;
  const double along = d[axis];
  const double h = std::sqrt(std::max(Dot(d, d) - along * along, 0.0));
  if (h == 0) return;
  const vector3<double> u = (e - d * along) * (1 / h);
  const vector3<double> v = Cross(d, e) * (1 / h);
  ray.fDirection = u * x + v * y + d * z;
}

double PathAbsorption(const vector3<double>& entry, const vector3<double>& exit, C3dObject& object, double density) {
  const C34Matrix& toObject = object.GetWorldToObject();
  const vector3<double> path = toObject.TransformPoint(exit) - toObject.TransformPoint(entry);
  const double length = std::sqrt(Dot(path, path));
  const C3dBox box = object.LocalBox();
  const vector3<double> size = box.fMax - box.fMin;
  const double extent = std::max({size.x, size.y, size.z}) * (density * 0.9 + 0.6);
  if (!(extent > 0)) return 1;
  const double ratio = length / extent;
  return std::min(1.0, ratio * ratio * ratio);
}

C3dMaterial* MaterialOfHit(C3dObject* object, C3dObject* part) {
  C3dMaterial* material = part ? LookupHandleAs<C3dMaterial>(part->GetMaterial(), C3dMaterial::kFamily) : nullptr;
  if (!material && object) material = LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
  return material;
}

CHitMaterial::CHitMaterial(C3dObject* object, C3dObject* part) {
  const C3dObject* owner = part ? part : object;
  if (owner && owner->GetRenderMaterial()) {
    fMaterial = owner->GetRenderMaterial();
    return;
  }
  C3dMaterial* material = MaterialOfHit(object, part);
  if (!material) return;
  fHolder.emplace(material, false, false);
  if (fHolder->IsLocked()) fMaterial = material;
}

double RefractiveIndexOf(C3dObject* medium, C3dObject* part) {
  const CHitMaterial hit(medium, part);
  C3dMaterial* material = hit.Get();
  if (!material) return 1;
  const SMaterialSample& sample = material->GetRecord().sample;
  return (sample.flags & SMaterialSample::kGlassLike) ? 1 : sample.refractionIndex;
}

double MediumTransmission(double index, double distance) {
  if (!(index > 1)) return 1;
  const double e = FastExp2(kMediumExponent * (index - 1));
  return std::max(0.0, 1 - (1 - e) * 0.01 * distance);
}
