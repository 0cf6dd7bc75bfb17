#include "render/ray_trace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "framework/core/holder.h"
#include "render/gradient_hook.h"
#include "render/optimizer_holder.h"
#include "render/render_context.h"
#include "render/render_settings.h"
#include "render/secondary_rays.h"
#include "scene/height_field.h"
#include "scene/object.h"
#include "scene/ray.h"
#include "scene/sky.h"
#include "scene/surface/illum_model.h"
#include "scene/surface/material.h"

namespace {

using Colour = vector3<float>;

constexpr float kChildNear = 0.0001f;
constexpr float kInfinity = std::numeric_limits<float>::infinity();
// Rays that go straight on through a surface (shadow rays among them) stop continuing beyond this
// depth. Far from the origin a continued ray can meet the surface it starts on again, one rounding
// step further each time, and would recurse until the stack runs out.
constexpr uint32_t kContinuationDepthLimit = 99;
// A child ray whose path weight averages no more than this is not cast.
constexpr double kLeastPathWeight = 0.01;
constexpr double kMeanFactor = 0.333333;
constexpr double kByteScale = 0.003921569;
// The spread of blurred child rays: tan(asin(base^m)) × scale for the mean spec exponent m, at most
// the spread of a ray 89° off its direction.
constexpr double kSpreadBase = 0.7071067811865;
constexpr double kSpreadScale = 100;
const double kGreatestSpread = kSpreadScale * std::tan(89 * std::numbers::pi / 180);
constexpr double kSpreadDistance = 100;
constexpr uint32_t kRenderModes =
    SRenderSettings::kMaskMode | SRenderSettings::kAltitudeMode | SRenderSettings::kDepthMode;

Colour Times(const Colour& a, const Colour& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
double Mean(const Colour& c) { return (double(c.x) + c.y + c.z) * kMeanFactor; }
Colour Grey(double t) { return {float(t), float(t), float(t)}; }
// What a child ray brings back before its parent's weight.
Colour Seen(const CRay& child) { return Times(child.fColour, child.fColourWeight); }

// Raises the object's nesting counter while a child ray started inside it is traced.
class CNesting {
 public:
  explicit CNesting(C3dObject* object) : fObject(object) { fObject->RaiseNesting(); }
  ~CNesting() { fObject->LowerNesting(); }
  CNesting(const CNesting&) = delete;
  CNesting& operator=(const CNesting&) = delete;

 private:
  C3dObject* fObject;
};

void Count(const CRay& ray) {
  if (!ray.fStats) return;
  if (ray.fPrimary) ++ray.fStats->fEyeRays;
  else if (ray.fShadowRay) ++ray.fStats->fShadowRays;
}

// (value − low) / (high − low), 0 for a range of no extent.
double Fraction(double value, double low, double high) { return high != low ? (value - low) / (high - low) : 0; }

void RenderModeColour(CRay& ray, CRenderContext& context, uint32_t flags) {
  const C3dObject* hit = ray.fHitObject;
  if (flags & SRenderSettings::kMaskMode) {
    ray.fColour = Grey(hit && (hit->GetFlags() & C3dObject::kSelected) ? 0 : 1);
  } else if (flags & SRenderSettings::kAltitudeMode) {
    const C3dBox& world = context.GetWorldBounds();
    const double t = hit ? Fraction(ray.fHit.fPoint.y, world.fMin.y, world.fMax.y) : 0;
    const CImVector c = GradientColourAt(t);
    ray.fColour = {float(c.Red() * kByteScale), float(c.Green() * kByteScale), float(c.Blue() * kByteScale)};
  } else if (!hit) {
    ray.fColour = Grey(1);
  } else {
    const double depth = context.GetViewTransform().TransformPoint(ray.fHit.fPoint).z;
    const C3dBox& seen = context.GetCameraBounds();
    ray.fColour = Grey(Fraction(depth, seen.fMin.z, seen.fMax.z));
  }
}

// Colour map, textures and the fixed values of glass-like materials.
void PrepareSample(CRay& ray, uint32_t flags, C3dMaterial& material, SMaterialSample& sample) {
  C3dObject* object = ray.fHitObject;
  if (object->GetClass() == C3dHeightField::kClassTag) {
    auto* field = static_cast<C3dHeightField*>(object);
    if (field->HasColourTable()) {
      const CImVector c = field->ColourAtPoint(ray.fHit.fObjPoint);
      sample.diffuseColour = {float(c.Red() * kByteScale), float(c.Green() * kByteScale), float(c.Blue() * kByteScale)};
    }
  }
  if ((flags & SRenderSettings::kTextures) && (sample.flags & SMaterialSample::kTextured))
    material.Evaluate(ray, sample);
  C3dMaterial::UpdateRefraction(sample);
  if (!(sample.flags & SMaterialSample::kGlassLike)) return;
  const double t = sample.transparency;
  sample.flags |= SMaterialSample::kFixedGlass;
  sample.diffusion = 0;
  sample.ambientColour = sample.diffuseColour;
  sample.ambience = 0.3 - 0.3 * t;
  sample.transparency = 0.7 + 0.3 * t;
  sample.specularity = sample.reflection = sample.bump = sample.refractionIndex = 0;
  sample.metallicity = sample.metallicityExponent = sample.edgeAmount = sample.edgeGain = 0;
}

// Transparency 0 that no texture drives, and neither pass-through nor transparent.
bool IsPlainlyOpaque(C3dMaterial& material, const SMaterialSample& sample) {
  constexpr uint32_t kSeeThroughFlags = SMaterialSample::kPassThrough | SMaterialSample::kTransparent;
  return sample.transparency == 0 && !(sample.flags & kSeeThroughFlags) &&
         material.GetRecord().sources[C3dMaterial::kTransparencySource] == C3dMaterial::kFlat;
}

// A child of the ray from its hit point, in the medium, at the shadow-cache node.
void InitChild(CRay& child, CRay& parent, const vector3<double>& direction, const Colour& pathWeight, float far,
               C3dObject* medium, C3dObject* part, COptimizerHolder* node) {
  child.Init(&parent, parent.fHit.fPoint, direction, {1, 1, 1}, pathWeight, kChildNear, far, medium, part,
             parent.fOrderEntry);
  child.fHolder = node;
}

// The ray continued from its hit in the same direction into the next medium; false, with nothing
// traced, once rays have gone on for too long.
bool TraceStraightOn(CRay& ray, CRay& next, float far, bool nested) {
  if (ray.fDepth > kContinuationDepthLimit) return false;
  bool entering = false, leaving = false;
  C3dObject *medium = nullptr, *part = nullptr;
  NextMedium(ray, entering, leaving, medium, part);
  InitChild(next, ray, ray.fDirection, {1, 1, 1}, far, medium, part, ray.fHolder);
  if (!nested) {
    TraceRay(next);
    return true;
  }
  CNesting nesting(ray.fHitObject);
  TraceRay(next);
  return true;
}

// Inside a solid, the entry point is where the shadow ray's own chain of continuations came in.
vector3<double> ShadowEntryPoint(const CRay& ray, const C3dObject& object) {
  for (const CRay* ancestor = ray.fParent; ancestor && ancestor->fShadowRay; ancestor = ancestor->fParent) {
    if (ancestor->fHitObject == &object) return ancestor->fHit.fPoint;
  }
  return ray.fOrigin;
}

void Block(CRay& ray, C3dObject* blocker) {
  ray.fShadowFactor = 0;
  ray.fShadowFilter = {};
  ray.fBlocker = blocker;
}

// What a shadow ray keeps at a hit, and the rest of its way to the light.
void TraceShadowHit(CRay& ray, uint32_t flags, C3dMaterial& material, SMaterialSample& sample) {
  C3dObject& object = *ray.fHitObject;
  double factor = 1;
  Colour filter{1, 1, 1};
  bool weighed = !(sample.flags & SMaterialSample::kFixedGlass);
  if (weighed) {
    material.GetIllumModel().GetTransmission(ray, sample, filter, factor);
    const bool insideFirstLeg = object.IsRayInside(ray) && ray.fParent && !ray.fParent->fShadowRay;
    if ((sample.flags & SMaterialSample::kPassThrough) && !insideFirstLeg) weighed = false;
  }
  if (weighed) {
    if (sample.flags & SMaterialSample::kTransparent) {
      factor = 1;
      filter = {1, 1, 1};
      if (object.IsRayInside(ray)) {
        factor = 1 - PathAbsorption(ShadowEntryPoint(ray, object), ray.fHit.fPoint, object, sample.transparency);
        sample.transparency = 0;
      }
    }
    if (ray.fMedium) factor *= MediumTransmission(RefractiveIndexOf(ray.fMedium, ray.fMediumPart), ray.fHitT);
    if (factor == 0) return Block(ray, IsPlainlyOpaque(material, sample) ? &object : nullptr);
    // Without transmission only pass-through and glass-like surfaces let the light by.
    if (!(flags & SRenderSettings::kTransmission)) return Block(ray, &object);
    ray.fShadowFactor *= factor;
    ray.fShadowFilter = Times(ray.fShadowFilter, filter);
  }
  CRay next;
  if (!TraceStraightOn(ray, next, float(ray.fTLimit - ray.fHitT), true)) return;
  ray.fShadowFactor *= next.fShadowFactor;
  ray.fShadowFilter = Times(ray.fShadowFilter, next.fShadowFilter);
  ray.fBlocker = next.fBlocker;
}

// The spread of blurred child rays for the sample's mean spec exponent.
double SpreadOf(const SMaterialSample& sample) {
  const vector3<float>& c = sample.specCoefficients;
  const double base = std::pow(kSpreadBase, (double(c.x) + c.y + c.z) * kMeanFactor);
  if (!(base < 1)) return kGreatestSpread;
  return std::min(std::tan(std::asin(base)) * kSpreadScale, kGreatestSpread);
}

// The normal a child ray leaves by: the shading normal when it faces the ray's origin, else the
// geometric one when the settings allow it; false when neither will do.
bool ChildNormal(const CRay& ray, const vector3<double>& facing, bool geometricAllowed, vector3<double>& normal) {
  if (Dot(ray.fHit.fShadingNormal, ray.fDirection) < 0) normal = ray.fHit.fShadingNormal;
  else if (geometricAllowed) normal = facing;
  else return false;
  return true;
}

// Adds a traced child's colour, weighed by what the surface lets through to it.
void AddChild(CRay& ray, const CRay& child, const Colour& weight) { ray.fColour += Times(Seen(child), weight); }

struct SChildContext {
  CRenderContext& context;
  uint32_t flags;
  C3dMaterial& material;
  const SMaterialSample& sample;
  vector3<double> facing;  // the geometric normal, turned towards the ray's origin
  double spread;
};

void Reflect(CRay& ray, const SChildContext& c) {
  const bool geometricAllowed = c.flags & SRenderSettings::kReflectOnGeometricNormal;
  vector3<double> normal;
  if (!ChildNormal(ray, c.facing, geometricAllowed, normal)) return;
  Colour colour;
  double amount = 0;
  c.material.GetIllumModel().GetReflection(ray, c.sample, colour, amount);
  if (!(amount > 0)) return;
  const vector3<double>& d = ray.fDirection;
  vector3<double> reflected = d - normal * (2 * Dot(d, normal));
  if (Dot(reflected, c.facing) < 0) {
    if (!geometricAllowed) return;
    reflected = d - c.facing * (2 * Dot(d, c.facing));
  }
  Colour weight;
  ScaleColour(weight, colour, amount);
  const Colour pathWeight = Times(weight, ray.fPathWeight);
  if (!(Mean(pathWeight) > kLeastPathWeight)) return;
  COptimizerHolder* node = ray.fHolder ? ray.fHolder->GetFirstChild() : nullptr;
  if (!node) return;
  CRay child;
  InitChild(child, ray, reflected, pathWeight, kInfinity, ray.fMedium, ray.fMediumPart, node);
  PerturbDirection(child, c.context, ray.fOrderEntry, kSpreadDistance, c.spread);
  TraceRay(child);
  AddChild(ray, child, weight);
}

void Transmit(CRay& ray, const SChildContext& c) {
  const bool geometricAllowed = c.flags & SRenderSettings::kTransmitOnGeometricNormal;
  vector3<double> normal;
  if (!ChildNormal(ray, c.facing, geometricAllowed, normal)) return;
  Colour colour;
  double amount = 0;
  c.material.GetIllumModel().GetFilter(ray, c.sample, colour, amount);
  if (!(amount > 0)) return;
  bool entering = false, leaving = false;
  C3dObject *medium = nullptr, *part = nullptr;
  NextMedium(ray, entering, leaving, medium, part);
  const double ratio = RefractiveIndexOf(ray.fMedium, ray.fMediumPart) / RefractiveIndexOf(medium, part);
  vector3<double> direction = ray.fDirection;
  if ((c.flags & SRenderSettings::kRefraction) && ratio != 1) {
    RefractDirection(ray.fDirection, normal, ratio, direction);
    if (Dot(direction, c.facing) > 0) {
      if (!geometricAllowed) return;
      RefractDirection(ray.fDirection, c.facing, ratio, direction);
    }
  }
  const bool unchanged = direction == ray.fDirection && amount == 1 && colour == Colour{1, 1, 1};
  // A see-through surface lets straight light through by itself.
  if ((c.sample.flags & SMaterialSample::kSeeThrough) && unchanged) return;
  Colour weight;
  ScaleColour(weight, colour, amount);
  const Colour pathWeight = Times(weight, ray.fPathWeight);
  if (!(Mean(pathWeight) > kLeastPathWeight)) return;
  COptimizerHolder* node = ray.fHolder ? ray.fHolder->GetSecondChild() : nullptr;
  if (!node) return;
  CRay child;
  InitChild(child, ray, direction, pathWeight, kInfinity, medium, part, node);
  PerturbDirection(child, c.context, ray.fOrderEntry, kSpreadDistance, c.spread);
  {
    CNesting nesting(ray.fHitObject);
    TraceRay(child);
  }
  AddChild(ray, child, weight);
}

void CastChildRays(CRay& ray, CRenderContext& context, uint32_t flags, C3dMaterial& material,
                   const SMaterialSample& sample) {
  vector3<double> facing = ray.fHit.fNormal;
  if (Dot(facing, ray.fDirection) > 0) facing = -facing;
  const bool spreads = (flags & SRenderSettings::kDistributedRays) && ray.fOrderEntry >= 0;
  const SChildContext c{context, flags, material, sample, facing, spreads ? SpreadOf(sample) : 0};
  if (flags & SRenderSettings::kReflections) Reflect(ray, c);
  if (flags & SRenderSettings::kTransmission) Transmit(ray, c);
}

// The ancestor that entered the solid the straight-on ray is leaving learns where it came out.
void MarkExit(CRay& ray, const C3dObject& object) {
  for (CRay* ancestor = ray.fParent; ancestor && ancestor->fDirection == ray.fDirection; ancestor = ancestor->fParent) {
    if (ancestor->fHitObject != &object) continue;
    ancestor->fExited = 1;
    ancestor->fExitPoint = ray.fHit.fPoint;
    return;
  }
}

// A shaded hit of any ray but a shadow ray.
void ShadeHit(CRay& ray, CRenderContext& context, const SRenderSettings& settings, C3dMaterial& material,
              SMaterialSample& sample) {
  C3dObject& object = *ray.fHitObject;
  if (sample.flags & SMaterialSample::kPassThrough) {
    CRay behind;
    if (TraceStraightOn(ray, behind, kInfinity, false)) ray.fColourBehind = Seen(behind);
  }
  // The light through a transparent solid, and how much of it the solid's thickness absorbs.
  double absorbed = 1;
  Colour beyond;
  if (sample.flags & SMaterialSample::kTransparent) {
    CRay straight;
    const bool traced = TraceStraightOn(ray, straight, kInfinity, true);
    if (traced && object.IsRayInside(ray)) {
      MarkExit(ray, object);
      ray.fColour = Seen(straight);
      return;
    }
    // A straight-on ray that found no way out went infinitely far: all is absorbed.
    if (traced && straight.fHitObject) {
      const vector3<double> exit = straight.fExited ? straight.fExitPoint : straight.fHit.fPoint;
      absorbed = PathAbsorption(ray.fHit.fPoint, exit, object, sample.transparency);
    }
    beyond = Seen(straight);
    sample.transparency = 0;
  }
  if (ray.fMedium) {
    const float kept = float(MediumTransmission(RefractiveIndexOf(ray.fMedium, ray.fMediumPart), ray.fHitT));
    ray.fColourWeight *= kept;
  }
  material.GetIllumModel().Shade(ray, sample, ray.fColour, context);
  if (ray.fDepth < kChildDepthLimit) CastChildRays(ray, context, settings.fFlags, material, sample);
  if (settings.fSky) settings.fSky->ApplyFog(ray, ray.fTravelled);
  if (absorbed != 1) ray.fColour = beyond + (ray.fColour - beyond) * float(absorbed);
  const double t = sample.transparency;
  if ((sample.flags & SMaterialSample::kSeeThrough) && t > 0) {
    CRay through;
    if (TraceStraightOn(ray, through, kInfinity, true)) ray.fColour += (Seen(through) - ray.fColour) * float(t);
  }
}

}  // namespace

void ScaleColour(vector3<float>& out, const vector3<float>& colour, double factor) {
  out = {float(colour.x * factor), float(colour.y * factor), float(colour.z * factor)};
}

bool MaterialStopsShadows(C3dObject& object) {
  const CHitMaterial own(&object, nullptr);
  C3dMaterial* material = own.Get();
  if (!material) return false;
  const SMaterialSample& sample = material->GetRecord().sample;
  return !(sample.flags & SMaterialSample::kGlassLike) && IsPlainlyOpaque(*material, sample);
}

void TraceRay(CRay& ray) {
  CRenderContext& context = *ray.fContext;
  const SRenderSettings& settings = *context.GetSettings();
  Count(ray);
  ray.fTLimit = ray.fTMax;
  const bool hit = context.Intersect(ray) && ray.fHitObject;
  if (ray.fHitTestOnly) return;
  if (settings.fFlags & kRenderModes) return RenderModeColour(ray, context, settings.fFlags);
  if (!hit) {
    // A shadow ray that reaches the light keeps what it carries.
    if (ray.fShadowRay) return;
    ray.fColour = {};
    if (settings.fSky) settings.fSky->ShadeRay(ray);
    return;
  }
  ray.fTravelled += ray.fHitT;
  // The answer the shadow step gives a plainly opaque surface, without its material.
  const C3dObject* owner = ray.fHitPart ? ray.fHitPart : ray.fHitObject;
  if (ray.fShadowRay && owner->StopsShadows()) return Block(ray, ray.fHitObject);
  const CHitMaterial hitMaterial(ray.fHitObject, ray.fHitPart);
  C3dMaterial* material = hitMaterial.Get();
  if (!material) return;
  SMaterialSample sample = material->GetRecord().sample;
  PrepareSample(ray, settings.fFlags, *material, sample);
  if (ray.fShadowRay) return TraceShadowHit(ray, settings.fFlags, *material, sample);
  ShadeHit(ray, context, settings, *material, sample);
}
