#include "scene/sky.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "framework/core/colour.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"
#include "scene/texture/texture_evaluate.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLog2E = std::numbers::log2e;
// The glow exponent where neither elevation scheme sets one.
constexpr double kPlainGlowExponent = 6.0;
// The sun's brightness and colour for the render, relative to its stored values.
constexpr double kSunScale = 1.1255;
constexpr double kDiscPower = 85.0;
constexpr double kDiscTerm = 0.95;
constexpr double kDiscCore = 0.981;
// (s²)^kDiscPower < 2^-170 below this.
constexpr double kNoDisc = 0.25;
constexpr float kDiscCoreBoost = 0.30518043f;
constexpr double kBelowHorizonPower = 120.0;
constexpr vector3<double> kBelowHorizonTint{0.05468833447776, 0.06640726329442, 0.12500190737777};
constexpr double kBelowHorizonCores[3] = {0.981, 0.976, 0.971};
constexpr double kBelowHorizonBoost = 0.3051804379339;
constexpr vector3<float> kBelowHorizonCap{0.374f, 0.374f, 0.438f};
constexpr double kCloudLayerAbove = 24.4140625;
constexpr double kCloudScaleFactor = 0.00256;
constexpr double kHazeStart = 4.8828125;
// Beyond this the haze has swallowed everything.
constexpr double kHazeHorizon = 1e9;
// The haze scale falls to 0 at an amount of about 5.26; the sky editor writes at most 5.
constexpr double kGreatestHaze = 5;
constexpr double kFogStart = 0.390625;
constexpr double kFogScale = 19.53125;
// The fog's denominator falls to 0 at a density of about 1.054; the editor writes at most 1.
constexpr double kGreatestFogDensity = 1;
constexpr double kThinFog = 0.1;

// The settings' stored fields, by their offsets in the sky part; the cloud textures' tags and ids
// after them are kept apart because they are never swapped.
template <typename Settings, typename Visit>
void VisitStoredFields(Settings& s, Visit visit) {
  visit(0, s.flags);
  visit(4, s.cloudHeight);
  visit(12, s.cloudBShade);
  visit(24, s.cloudA);
  visit(36, s.cloudOffsetX);
  visit(44, s.cloudOffsetZ);
  visit(52, s.cloudCover);
  visit(60, s.cloudContrast);
  visit(68, s.cloudScale);
  visit(76, s.reserved);
  visit(100, s.zenith);
  visit(112, s.horizon);
  visit(124, s.skyLight);
  visit(136, s.flat);
  visit(148, s.valueE);
  visit(156, s.cloudBLight);
  visit(168, s.valueF);
  visit(176, s.haze);
  visit(188, s.hazeAmount);
  visit(196, s.fog);
  visit(208, s.fogHeight);
  visit(216, s.fogDensity);
}

void SwapFieldAt(uint8_t* at, uint32_t) { SwapWordAt(at); }
void SwapFieldAt(uint8_t* at, double) { SwapDoubleAt(at); }
void SwapFieldAt(uint8_t* at, const vector3<float>&) {
  for (uint32_t i = 0; i < 3; ++i) SwapWordAt(at + 4 * i);
}
void SwapFieldAt(uint8_t* at, const double (&)[3]) {
  for (uint32_t i = 0; i < 3; ++i) SwapDoubleAt(at + 8 * i);
}

template <typename T>
void LoadFieldInto(const uint8_t* at, T& field) {
  std::memcpy(&field, at, sizeof field);
}

vector3<float> Hls(double hue, double lightness, double saturation) {
  vector3<float> c;
  HLSToRGB(float(hue), float(lightness), float(saturation), c.x, c.y, c.z);
  return c;
}

// a moved towards b by f.
vector3<float> Mix(const vector3<float>& a, const vector3<float>& b, double f) {
  return {float(a.x + (b.x - a.x) * f), float(a.y + (b.y - a.y) * f), float(a.z + (b.z - a.z) * f)};
}

vector3<float> Scaled(const vector3<float>& c, double k) { return {float(c.x * k), float(c.y * k), float(c.z * k)}; }

vector3<float> Added(const vector3<float>& c, double k) { return {float(c.x + k), float(c.y + k), float(c.z + k)}; }

// x^exponent as the glow takes it; nothing where the sun term vanishes.
double GlowPower(double x, double exponent) { return x > 0 ? FastExp2(FastLog2(x) * exponent) : 0; }

// The zenith's colour from the sun's elevation e: deep blue by day, dark towards night.
vector3<float> ZenithColour(double e) {
  if (e >= 0) return Hls((55 * (1 - e) + 145) / 255, 64 * (1 + e) / 255, 240.0 / 255);
  const double x = (2 * e + 1) * 64;
  return x <= 0 ? vector3<float>{} : Hls((55 * e + 200) / 255, x / 255, 240.0 / 255);
}

vector3<float> HorizonColour(double e) {
  if (e > 0.5) return {1, 1, float(((2 * e - 1) * 127 + 128) / 255)};
  if (e >= 0) return {1, float(512 * e / 255), float(256 * e / 255)};
  return {float(1 + e), 0, 0};
}

// A cloud texture locked for the samples of one layer; held through a render, it is not locked again,
// since render threads sample it at once. The result stays with the sampler, not the texture.
class CCloudSampler {
 public:
  explicit CCloudSampler(C3dTexture* texture)
      : fTexture(texture), fHolder(texture, false, false, nullptr, !texture->IsHeldForRender()) {}
  bool IsReady() const { return fTexture->IsHeldForRender() || fHolder.IsLocked(); }
  double Value(double a, double b, double height) {
    fResult = TextureResultAt(a, b, height, fTexture->GetTextureData());
    return fResult.value;
  }
  bool HasGradient() { return fTexture->GetTextureData().outputFlags & kKindBump; }
  vector3<double> Gradient() const { return {fResult.gradient[0], fResult.gradient[1], fResult.gradient[2]}; }

 private:
  C3dTexture* fTexture;
  CHolder fHolder;
  STextureResult fResult{};
};

// Where an upward ray meets the horizontal plane at the height; false when the plane lies behind it.
bool PointInPlane(const CRay& ray, double height, double& x, double& z) {
  const double t = (height - ray.fOrigin.y) / ray.fDirection.y;
  if (!(t >= 0)) return false;
  x = ray.fOrigin.x + ray.fDirection.x * t;
  z = ray.fOrigin.z + ray.fDirection.z * t;
  return true;
}

C3dSunLight* FirstSun(C3dBaseSys* table) {
  if (!table) return nullptr;
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return nullptr;
  for (uint32_t row = 0; row < table->GetCount(); ++row) {
    C3dBase* thing = (*table)[row].object;
    if (thing && thing->GetFamily() == C3dLight::kFamily && thing->GetClass() == C3dSunLight::kClassTag)
      return static_cast<C3dSunLight*>(thing);
  }
  return nullptr;
}

}  // namespace

C3dSky::C3dSky(const SObjectKey& key) : C3dBase(key) { SizeRecord(kRecordSize); }

int32_t C3dSky::New(C3dSky** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  return NewObject(out, table, key, spec);
}

bool C3dSky::IsAtmosphereOn() const {
  return (fSettings.flags & kAtmosphere) && !(fSettings.flags & (kAtmosphereOff | kFlatWithoutAtmosphere));
}

bool C3dSky::IsFlat() const {
  return !(fSettings.flags & kGraded) || (fSettings.flags & kFlatWithoutAtmosphere) || !fRender.hasSun;
}

// ---- cloud textures

void C3dSky::SetCloudTexture(C3dTexture* texture, int layer) {
  if (!IsLayer(layer)) return;
  fCloudTextures[layer] = texture ? texture->GetHandle() : kNoHandle;
  fCloudTags[layer] = texture ? texture->GetClass() : 0;
  fCloudIds[layer] = texture ? texture->GetId() : 0;
}

C3dTexture* C3dSky::GetCloudTexture(int layer) const {
  return IsLayer(layer) ? LookupHandleAs<C3dTexture>(fCloudTextures[layer], C3dTexture::kClassTag) : nullptr;
}

void C3dSky::ReleaseImages() {
  for (int layer = 0; layer < 2; ++layer) {
    C3dBase* texture = GetCloudTexture(layer);
    SetCloudTexture(nullptr, layer);
    if (texture && texture->IsStored())
      C3dBaseSys::ReleaseShared(texture);
    else
      delete texture;
  }
}

int32_t C3dSky::CopyFrom(C3dSky& other) {
  CHolder source(&other, false, false);
  if (!source.IsLocked()) return NonZeroError(other.GetError());
  CHolder target(this, true, false);
  if (!target.IsLocked()) return NonZeroError(GetError());
  fSettings = other.fSettings;
  for (int layer = 0; layer < 2; ++layer) {
    C3dTexture* from = other.GetCloudTexture(layer);
    C3dTexture* to = GetCloudTexture(layer);
    if (!from || !to || from == to) continue;
    CHolder read(from, false, false);
    if (!read.IsLocked()) return NonZeroError(from->GetError());
    CHolder write(to, true, false);
    if (!write.IsLocked()) return NonZeroError(to->GetError());
    to->GetTextureData() = from->GetTextureData();
  }
  return kNoErr;
}

// ---- the record

bool C3dSky::SaveState() {
  if (!C3dBase::SaveState()) return false;
  uint8_t* part = GetData() + kPartOffset;
  VisitStoredFields(fSettings, [part](uint32_t offset, const auto& field) { StoreField(part + offset, field); });
  StoreField(GetData() + kCloudTagsOffset, fCloudTags);
  StoreField(GetData() + kCloudIdsOffset, fCloudIds);
  return true;
}

void C3dSky::RestoreState() {
  C3dBase::RestoreState();
  const uint8_t* part = GetData() + kPartOffset;
  VisitStoredFields(fSettings, [part](uint32_t offset, auto& field) { LoadFieldInto(part + offset, field); });
  LoadFieldInto(GetData() + kCloudTagsOffset, fCloudTags);
  LoadFieldInto(GetData() + kCloudIdsOffset, fCloudIds);
}

bool C3dSky::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dBase::SwapRecord(record, size)) return false;
  const SSkySettings layout;
  VisitStoredFields(
      layout, [record](uint32_t offset, const auto& field) { SwapFieldAt(record + kPartOffset + offset, field); });
  return true;
}

// ---- preparing a render

int32_t C3dSky::PrepareForRender(C3dBaseSys* table, const C34Matrix* camera) {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  fRender = SRenderValues{};
  fRender.prepared = true;
  double y = 0;
  double e = 0;
  const double m = IsAtmosphereOn() ? std::clamp(0.5 * fSettings.hazeAmount, 0.0, 1.0) : 0;
  C3dSunLight* sun = FirstSun(table);
  if (sun) {
    PrepareSun(*sun, camera);
    y = fRender.trueDirection.y;
    e = std::clamp(y, -1.0, 1.0);
    PrepareColours(e, m);
  }
  PrepareClouds(y, e, m);
  PrepareSkyLight();
  if (sun) {
    sun->SetRenderValues(fRender.sunDirection, fRender.sunColour, fRender.brightness);
    fRender.sunColour = Scaled(fRender.sunColour, kSunScale);
  }
  PrepareAtmosphere();
  PrepareCloudTextures();
  return kNoErr;
}

void C3dSky::PrepareSun(C3dSunLight& sun, const C34Matrix* camera) {
  vector3<double> direction = sun.GetDirection();
  if ((fSettings.flags & kSunFromCamera) && camera) {
    C34Matrix inverse;
    camera->Invert(inverse);
    direction = inverse.TransformVector(direction);
  }
  fRender.hasSun = true;
  fRender.trueDirection = fRender.sunDirection = direction;
  fRender.disc = fRender.sunColour = sun.GetSunColour();
  fRender.glow = sun.GetSecondSunColour();
  fRender.brightness = sun.GetIntensity() * kSunScale;
  // Below the horizon the sky lights as by a moon opposite the sun, which glows where it set.
  if (direction.y < 0) {
    const double h = -direction.y;
    fRender.sunDirection = -direction;
    fRender.belowGlow = {float(0.5 * h), float(0.5 * h), float(0.625 * h)};
    const vector3<float>& glow = fRender.belowGlow;
    fRender.sunColour = {std::min(glow.x, kBelowHorizonCap.x), std::min(glow.y, kBelowHorizonCap.y),
                         std::min(glow.z, kBelowHorizonCap.z)};
  }
}

// Zenith, horizon and glow from the sun's elevation e; m is the haze's share.
void C3dSky::PrepareColours(double e, double m) {
  fRender.glowExponent = kPlainGlowExponent;
  if (fSettings.flags & kStoredColours) {
    fRender.zenith = fSettings.zenith;
    fRender.horizon = fSettings.horizon;
    return;
  }
  fRender.zenith = ZenithColour(e);
  if (fSettings.flags & kGlowByElevation) {
    fRender.glow =
        e >= 0 ? Hls((60 * (1 - e) + 160) / 255, 200.0 / 255, 1.0) : Hls(220.0 / 255, (128 * e + 200) / 255, 1 + e);
    fRender.glowExponent = 3.0 - m;
  }
  if (fSettings.flags & kGlowByElevationWarm) {
    fRender.glow = e >= 0 ? Hls((115 * (1 - e) + 140) / 255, (200 - 60 * (1 - e)) / 255, 1.0)
                          : Hls(1.0, (128 * e + 140) / 255, 1 + e);
    fRender.glowExponent = (3 * (1 - e) - m) * 2 + 4;
  }
  fRender.glow = Mix(fRender.glow, fRender.disc, 0.5);
  fRender.horizon = HorizonColour(e);
}

// y is the sun direction's height as given, e the same clamped to [−1, 1].
void C3dSky::PrepareClouds(double y, double e, double m) {
  // The tint's hue runs with the sun's height; far from the horizon it fades out.
  const vector3<float> tint = Hls(std::fmod(std::trunc(150 * y + 255), 255) / 255, 130.0 / 255, 1.0);
  const double w = FastExp2(-10 * std::fabs(y) * kLog2E);
  fRender.cloudBShade = Mix(fSettings.cloudBShade, tint, w);
  fRender.cloudBLight = Mix(fSettings.cloudBLight, tint, 0.75 * w);
  fRender.cloudBShade = Scaled(fRender.cloudBShade, e >= 0.125 ? 0.625 : 1 - 3 * e);
  fRender.cloudA = fSettings.cloudA;
  fRender.horizonFactor = 0.5 * m;
  fRender.cloudHeightB = fSettings.cloudHeight;
  fRender.cloudHeightA = fSettings.cloudHeight + kCloudLayerAbove;
  fRender.cloudScale = fSettings.cloudScale * kCloudScaleFactor;
}

void C3dSky::PrepareSkyLight() {
  if (!(fSettings.flags & kSkyLight)) return;
  if (fSettings.flags & kStoredColours || !fRender.hasSun) {
    fRender.skyLight = (fSettings.flags & kStoredColours) ? fSettings.skyLight : vector3<float>{};
    return;
  }
  const SRenderValues& r = fRender;
  const vector3<float> sum = r.sunColour + r.cloudBShade + r.glow + r.zenith + r.zenith;
  fRender.skyLight = Scaled(Scaled(sum, 0.2) + fSettings.skyLight, 0.5);
}

void C3dSky::PrepareAtmosphere() {
  const vector3<float>& haze = fSettings.haze;
  const double f = (haze.x + haze.y + haze.z) / 3.0;
  const double g = 4 * fRender.sunDirection.y;
  fRender.hazeColour = haze;
  fRender.extinction = {(std::max(2 - g, 0.5) - 1) * f + 1, 1.0, (std::max(g, 0.5) - 1) * f + 1};
  fRender.hazeStart = kHazeStart;
  const double amount = std::min(fSettings.hazeAmount, kGreatestHaze);
  fRender.hazeScale = amount <= 1 ? 390.625 - 232.421875 * amount : 195.3125 - 37.109375 * amount;
  fRender.fogStart = kFogStart;
  fRender.fogScale = kFogScale;
  fRender.fogColour = fSettings.fog;
}

void C3dSky::PrepareCloudTextures() {
  for (int layer = 0; layer < 2; ++layer) {
    C3dTexture* texture = GetCloudTexture(layer);
    if (!texture) continue;
    CHolder holder(texture, true, false);
    if (holder.IsLocked()) texture->GetTextureData().result = {};
  }
}

// ---- shading

void C3dSky::ShadeRay(CRay& ray) {
  const vector3<double>& d = ray.fDirection;
  double s = 0, p = 0;
  if (fRender.hasSun) {
    s = (Dot(d, fRender.sunDirection) + 1) * 0.5;
    // Away from the sun the disc term is below 2^-170 and moves no colour by a float's last bit: it
    // is left at 0 rather than paid for.
    p = s * s < kNoDisc ? 0 : std::pow(s * s, kDiscPower);
  }
  vector3<float> colour = IsFlat() ? fSettings.flat : Graded(d, s, p);
  if (fRender.hasSun && fRender.trueDirection.y < 0) AddBelowHorizonGlow(d, colour);
  if (d.y > 0 && (fSettings.flags & kClouds)) {
    if (fSettings.flags & kCloudLayerA) AddCloudLayerA(ray, p, colour);
    if (fSettings.flags & kCloudLayerB) AddCloudLayerB(ray, s, colour);
  }
  ray.fColour += colour;
  if (IsAtmosphereOn()) ApplyFog(ray, d.y != 0 ? std::fabs(fSettings.cloudHeight / (2 * d.y)) : kInfinity);
}

vector3<float> C3dSky::Graded(const vector3<double>& direction, double s, double p) const {
  const double f = std::min(1.0, (1 - direction.y) * (1 - direction.y) * fRender.horizonFactor);
  const vector3<float> base = Mix(fRender.zenith, fRender.horizon, f);
  vector3<float> colour = Mix(base, fRender.glow, GlowPower(s, fRender.glowExponent));
  if (p > kDiscTerm) {
    colour = fRender.disc;
    if (p > kDiscCore) colour = Added(colour, kDiscCoreBoost);
  } else {
    colour = Mix(colour, fRender.disc, p);
  }
  return Scaled(colour, 0.5 * s + 0.7);
}

void C3dSky::AddBelowHorizonGlow(const vector3<double>& direction, vector3<float>& colour) const {
  const double s = (Dot(direction, fRender.trueDirection) + 1) * 0.5;
  const double g = GlowPower(s, fRender.glowExponent);
  colour = Mix(colour, fRender.belowGlow, g * g);
  const double p = std::pow(s, kBelowHorizonPower);
  float* channels[3] = {&colour.x, &colour.y, &colour.z};
  const float below[3] = {fRender.belowGlow.x, fRender.belowGlow.y, fRender.belowGlow.z};
  for (int c = 0; c < 3; ++c) {
    *channels[c] = float(*channels[c] + (below[c] + kBelowHorizonTint[c]) * p);
    if (p > kBelowHorizonCores[c]) *channels[c] = float(*channels[c] + kBelowHorizonBoost);
  }
}

void C3dSky::AddCloudLayerA(const CRay& ray, double p, vector3<float>& colour) {
  C3dTexture* texture = GetCloudTexture(0);
  double x = 0, z = 0;
  if (!texture || !PointInPlane(ray, fRender.cloudHeightA, x, z)) return;
  CCloudSampler clouds(texture);
  if (!clouds.IsReady()) return;
  const double k = fRender.cloudScale;
  const double b = z * k + fSettings.cloudOffsetZ * 0.0005;
  const double a = x * k + fSettings.cloudOffsetX * 0.0005 + 0.5 * b;
  const double v = clouds.Value(a, b, fRender.cloudHeightA);
  const double density = std::clamp(0.5 * (2 * v - 1) * fSettings.cloudContrast + fSettings.cloudCover, 0.0, 1.0);
  const vector3<float> cloud = Mix(fRender.cloudA, fRender.horizon, p * p);
  colour = Mix(colour, cloud, density);
}

void C3dSky::AddCloudLayerB(const CRay& ray, double s, vector3<float>& colour) {
  C3dTexture* texture = GetCloudTexture(1);
  const double height = fSettings.cloudHeight;
  double x = 0, z = 0;
  if (!texture || !PointInPlane(ray, height, x, z)) return;
  CCloudSampler clouds(texture);
  if (!clouds.IsReady()) return;
  const double k = fRender.cloudScale;
  const double a = x * k + fSettings.cloudOffsetX * 0.001;
  const double b = z * k + fSettings.cloudOffsetZ * 0.001;
  const double u =
      (2 * clouds.Value(a + 360.3, b + 360.3, height) - 1) * fSettings.cloudContrast + fSettings.cloudCover;
  if (!(u > 0)) return;
  const double c = std::clamp((2 * clouds.Value(a * 0.5, b * 0.5, height) - 1) * 0.5 + s * s, 0.0, 1.0);
  const vector3<float> lit = Mix(fRender.cloudBLight, fRender.sunColour, c);
  const double d = std::clamp((2 * clouds.Value(a, b, height * 0.5) - 1) + 0.4, 0.0, 1.0);
  vector3<float> cloud = Mix(fRender.cloudBShade, lit, d);
  if (clouds.HasGradient())
    cloud = Scaled(cloud, std::clamp(2 * Dot(clouds.Gradient(), fRender.sunDirection) + 1, 0.125, 1.5));
  const double w = std::min(u, 4.0);
  cloud = Scaled(cloud, 1 - 0.15 * w - 0.5 * s);
  cloud = Mix(cloud, fRender.sunColour, std::clamp((1 - w) * s * s, 0.0, 1.0));
  colour = Mix(colour, cloud, std::min(u, 1.0));
}

// ---- atmosphere

void C3dSky::ApplyFog(CRay& ray, double t) {
  if (!IsAtmosphereOn() || !fRender.prepared) return;
  vector3<float> colour = ray.fColour;
  Fog(ray, t, colour);
  Haze(ray, t, colour);
  ray.fColour = colour;
}

// The fog thickens below its height; the path through it counts by the mean depth of its two ends.
void C3dSky::Fog(const CRay& ray, double t, vector3<float>& colour) const {
  const double height = fSettings.fogHeight, density = fSettings.fogDensity;
  if (!(height > 0 && density > 0)) return;
  double x = t - fRender.fogStart;
  if (!(x > 0)) return;
  const double oy = ray.fOrigin.y, dy = ray.fDirection.y;
  // A level ray keeps its height all the way, also to an infinite distance.
  const double farY = dy == 0 ? oy : oy + dy * t;
  const double near = std::max(0.0, 1 - (oy + dy * fRender.fogStart) / height);
  const double far = std::max(0.0, 1 - farY / height);
  const double depth = (near + far) / 2;
  if (!(depth > 0)) return;
  x *= depth;
  if (density < kThinFog) x = density * x * 10;
  if (!(x > 0)) return;
  const double scale = fRender.fogScale;
  const double a = std::min(1.0, x / ((1 - scale) * std::min(density, kGreatestFogDensity) + scale));
  colour = Mix(colour, fRender.fogColour, a);
}

void C3dSky::Haze(const CRay& ray, double t, vector3<float>& colour) const {
  if (!(fSettings.hazeAmount > 0 && fRender.hazeScale > 0)) return;
  const double dy = ray.fDirection.y;
  // An upward ray leaves the haze halfway up to the clouds.
  const double d = dy > 0 ? std::min(t, std::fabs(fSettings.cloudHeight / (2 * dy))) : t;
  double e = d - fRender.hazeStart;
  if (!(e > 0)) return;
  if (e > kHazeHorizon) {
    colour = fRender.hazeColour;
    return;
  }
  e /= fRender.hazeScale;
  const vector3<float>& haze = fRender.hazeColour;
  colour = {float(colour.x + (haze.x - colour.x) * (1 - std::exp(-e * fRender.extinction.x))),
            float(colour.y + (haze.y - colour.y) * (1 - std::exp(-e * fRender.extinction.y))),
            float(colour.z + (haze.z - colour.z) * (1 - std::exp(-e * fRender.extinction.z)))};
}
