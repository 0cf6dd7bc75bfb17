#include "render/phong_ext.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/core/fast_math.h"
#include "render/render_context.h"
#include "render/render_settings.h"
#include "render/secondary_rays.h"
#include "scene/light.h"
#include "scene/ray.h"
#include "scene/sky.h"
#include "scene/sun_light.h"

namespace {

using Colour = vector3<float>;

// Lights whose contribution stays below this are dropped.
constexpr double kNegligible = 0.0001;
// 1 − e^(−3x) as a power of two.
constexpr double kFilterExponent = -4.32808512266689;

bool IsDark(const Colour& c) {
  return std::fabs(c.x) <= kNegligible && std::fabs(c.y) <= kNegligible && std::fabs(c.z) <= kNegligible;
}

// The edge term: ((a^exponent − 1) × amount + 1), with a = |N·d|.
double EdgeFactor(double a, double exponent, double amount) { return (std::pow(a, exponent) - 1) * amount + 1; }

double Facing(const CRay& ray) { return std::fabs(Dot(ray.fHit.fShadingNormal, ray.fDirection)); }

// Where the light comes from and how far away it is (+1, so that a light at the point does not
// divide by 0; infinite for the sun).
struct SIncidence {
  vector3<double> towards;
  double distance = std::numeric_limits<double>::infinity();
};

SIncidence IncidenceOf(C3dLight& light, const vector3<double>& point) {
  SIncidence incidence;
  if (light.GetClass() == C3dSunLight::kClassTag) {
    incidence.towards = static_cast<C3dSunLight&>(light).GetRenderDirection();
    return incidence;
  }
  incidence.towards = light.GetTransformVector3() - point;
  const double distance = std::sqrt(Dot(incidence.towards, incidence.towards));
  if (distance != 0) incidence.towards *= 1 / distance;
  incidence.distance = distance + 1.0;
  return incidence;
}

// The light left after the shadow ray: what it lets through, lightened by the shadow lightness s
// (0 keeps the shadow as it is, 1 removes it). False when nothing is left.
bool Shadowed(double s, double factor, const Colour& filter, double& intensity, Colour& light) {
  if (s <= 0) {
    if (std::fabs(factor) < kNegligible) return false;
    intensity *= factor;
    light = {light.x * filter.x, light.y * filter.y, light.z * filter.z};
    return !IsDark(light);
  }
  // Lightened once for intensity and filter together, so that a fully blocked light keeps s of
  // itself.
  const auto lighten = [&](float channel, float f) {
    const double through = factor * f;
    return float(channel * (through + (1 - through) * s));
  };
  light = {lighten(light.x, filter.x), lighten(light.y, filter.y), lighten(light.z, filter.z)};
  return !IsDark(light);
}

// One light's diffuse and specular terms at the hit.
struct SLit {
  const SMaterialSample& sample;
  vector3<double> normal;
  vector3<double> view;
  double metal;  // the metal term that tints highlights by the diffuse colour
};

void AddLight(const SLit& lit, const vector3<double>& towards, double n, bool behind, double scale, const Colour& lc,
              Colour& sum) {
  const SMaterialSample& sample = lit.sample;
  const vector3<double> reflected = behind ? -towards : lit.normal * (2 * n) - towards;
  const double r = Dot(reflected, lit.view);
  // The channels' exponents are mostly equal; a power is taken once for each run of them.
  double exponent = std::numeric_limits<double>::quiet_NaN(), power = 0;
  for (int c = 0; c < 3; ++c) {
    const double diffuseColour = sample.diffuseColour[c];
    const double term = sample.diffusion > 0 ? sample.diffusion * n * diffuseColour : 0;
    double highlight = 0;
    if (sample.specularity > 0 && r > 0) {
      const double weight = (1 - (1 - diffuseColour) * lit.metal) * sample.specularity;
      if (double(sample.specCoefficients[c]) != exponent) {
        exponent = double(sample.specCoefficients[c]);
        power = std::pow(r, exponent);
      }
      highlight = power * lc[c] * sample.specularColour[c] * weight;
    }
    const float added = float((term + highlight) * scale * lc[c]);
    if (c == 0) sum.x += added;
    else if (c == 1) sum.y += added;
    else sum.z += added;
  }
}

}  // namespace

void C3dPhongExt::Shade(CRay& ray, const SMaterialSample& sample, vector3<float>& colour, CRenderContext& context) {
  const SRenderSettings& settings = *context.GetSettings();
  vector3<double>& normal = ray.fHit.fShadingNormal;
  const vector3<double> view = -ray.fDirection;
  if (Dot(normal, view) < 0) normal = -normal;
  const vector3<double>& point = ray.fHit.fPoint;
  const bool shadows = settings.fShadowLightness != 1.0 && (settings.fFlags & SRenderSettings::kShadows) &&
                       !(sample.flags & SMaterialSample::kNoShadows);
  const double metal = sample.metallicity != 0
                           ? std::pow(std::fabs(Dot(normal, view)), sample.metallicityExponent) * sample.metallicity
                           : 0;
  const SLit lit{sample, normal, view, metal};
  Colour sum = ray.fColour;
  const bool lightable = sample.diffusion > 0 || sample.specularity > 0;
  for (uint32_t k = 0; lightable && k < context.GetLightCount(); ++k) {
    C3dLight& light = *context.GetLight(k);
    Colour lc;
    double intensity = 0;
    light.Illuminate(point, lc, intensity);
    if (std::fabs(intensity) < kNegligible || IsDark(lc)) continue;
    const SIncidence incidence = IncidenceOf(light, point);
    double n = Dot(incidence.towards, normal);
    const bool behind = n < 0;
    if (behind && sample.transparency <= 0) continue;
    if (behind) n = -n;
    if (shadows && !light.CastsNoShadow()) {
      Colour filter;
      double factor = 1;
      CastSecondaryRay(ray, context, light, k, filter, factor);
      if (!Shadowed(settings.fShadowLightness, factor, filter, intensity, lc)) continue;
    }
    const double scale = light.HasNoFalloff() ? intensity : intensity / incidence.distance;
    AddLight(lit, incidence.towards, n, behind, scale, lc, sum);
  }
  const Colour& ambient = settings.fAmbientColour;
  const double ambience = settings.fAmbientIntensity * sample.ambience;
  const Colour& own = sample.ambientColour;
  sum += Colour{float(ambient.x * ambience * own.x), float(ambient.y * ambience * own.y),
                float(ambient.z * ambience * own.z)};
  const C3dSky* sky = settings.fSky;
  if (sky && sky->HasSkyLight() && normal.y > 0) {
    const double k = (sample.diffusion + sample.ambience) * 0.5 * normal.y;
    const Colour& skyColour = sky->GetSkyLightColour();
    sum += Colour{float(skyColour.x * k * sample.diffuseColour.x), float(skyColour.y * k * sample.diffuseColour.y),
                  float(skyColour.z * k * sample.diffuseColour.z)};
  }
  colour = sum;
}

void C3dPhongExt::GetTransmission(const CRay& ray, const SMaterialSample& sample, vector3<float>& colour,
                                  double& amount) {
  colour = sample.transparentColour;
  double t = sample.transparency;
  const double a = Facing(ray);
  if (t > 0 && sample.edgeAmount > 0) t *= EdgeFactor(a, sample.edgeExponent, sample.edgeAmount);
  if (t > 0 && sample.edgeGain > 0) t *= std::pow(a, sample.edgeGainExponent) * sample.edgeGain + 1;
  amount = t;
}

void C3dPhongExt::GetReflection(const CRay& ray, const SMaterialSample& sample, vector3<float>& colour,
                                double& amount) {
  const double a = Facing(ray);
  colour = {1, 1, 1};
  if (sample.metallicity > 0) {
    const double f = std::pow(a, sample.metallicityExponent) * sample.metallicity;
    const Colour& d = sample.diffuseColour;
    colour = {float(1 - (1 - d.x) * f), float(1 - (1 - d.y) * f), float(1 - (1 - d.z) * f)};
  }
  amount = sample.reflection;
  // What the edge term takes from transparency goes to reflection.
  if (amount > 0 && sample.edgeAmount > 0) {
    const double t = sample.transparency;
    amount = t - EdgeFactor(a, sample.edgeExponent, sample.edgeAmount) * t + amount;
  }
}

void C3dPhongExt::GetFilter(const CRay& ray, const SMaterialSample& sample, vector3<float>& colour, double& amount) {
  amount = sample.transparency;
  if (amount > 0 && sample.edgeAmount > 0) amount *= EdgeFactor(Facing(ray), sample.edgeExponent, sample.edgeAmount);
  const Colour& t = sample.transparentColour;
  colour = t;
  // Most surfaces let nothing through, and then the tint does not matter.
  if (!(amount > 0)) return;
  const double x = std::max(sample.refractionIndex - 1, 0.0);
  const double f = 1 - FastExp2(kFilterExponent * x);
  const Colour& d = sample.diffuseColour;
  colour = {float(t.x * ((d.x - 1) * f + 1)), float(t.y * ((d.y - 1) * f + 1)), float(t.z * ((d.z - 1) * f + 1))};
}

C3dPhongExt& C3dPhongExt::Shared() {
  static C3dPhongExt model;
  return model;
}
