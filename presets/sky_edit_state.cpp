// The program's sky and fog edit state and its conversions to and from the scene.
#include "presets/sky_edit_state.h"

#include <algorithm>
#include <cmath>

#include "framework/core/fast_math.h"
#include "presets/edit_sky_fog.h"

namespace {

CSkyParams gEditState;

// The editors' constants that are single precision by definition; the products are formed in double
// so that a strip value of 10 still truncates to picture 1.
constexpr double kByteToChannel = double(0.003921569f);
constexpr double kPercentF = double(0.01f);
constexpr double kOneF = double(1.0f);
constexpr double kFogColumnF = double(0.06f);
constexpr double kFogRowF = double(0.12f);

// Flag bits of the sky mode codes, in kSkyModes order ('aoff' draws the flat colour).
constexpr uint32_t kModeFlags[4] = {C3dSky::kGraded | C3dSky::kGlowByElevation,
                                    C3dSky::kGraded | C3dSky::kGlowByElevationWarm,
                                    C3dSky::kGraded | C3dSky::kStoredColours, 0};
constexpr uint32_t kKeptFlags = C3dSky::kSkyLight | C3dSky::kAtmosphereOff | C3dSky::kFlatWithoutAtmosphere;

// Readouts round half away from zero, so that every value the editors write reads back unchanged;
// a sky value far outside the editors' ranges (or not a number) reads as 0 rather than overflowing.
int32_t Readout(double x) { return std::abs(x) < 1e9 ? int32_t(std::lround(x)) : 0; }

int32_t Trunc(double x) { return std::abs(x) < 2e9 ? int32_t(x) : 0; }

// The sky's colour fields in the edit state's order, with the edit state's member for each.
struct SColourField {
  vector3<float> SSkySettings::*sky;
  CImVector CSkyParams::*params;
};
constexpr SColourField kSkyColours[] = {
    {&SSkySettings::cloudBShade, &CSkyParams::cloudCoverColor}, {&SSkySettings::zenith, &CSkyParams::customColor2},
    {&SSkySettings::horizon, &CSkyParams::customColor3},        {&SSkySettings::cloudA, &CSkyParams::cloudHeightColor},
    {&SSkySettings::flat, &CSkyParams::flatSkyColor},           {&SSkySettings::skyLight, &CSkyParams::shadowColor},
    {&SSkySettings::haze, &CSkyParams::hazeColor},              {&SSkySettings::fog, &CSkyParams::fogColor},
};

CImVector RandomColour(SRandomState& random) {
  CImVector colour;
  colour.value = uint32_t(NextRandomUnit(random) * 16777215.0);
  return colour;
}

}  // namespace

CSkyParams CEditSkyFog::GetEditState() { return gEditState; }

void CEditSkyFog::StoreEditState(CSkyParams params) { gEditState.Assign(params); }

uint32_t SkyModeIndex(uint32_t mode) {
  for (uint32_t i = 0; i < 4; ++i) {
    if (kSkyModes[i] == mode) return i;
  }
  return 0;
}

uint8_t ColourByte(float channel) {
  const double byte = double(channel) * 255;
  return byte <= 0 ? 0 : byte >= 255 ? 255 : uint8_t(byte);
}

CImVector PackColour(const vector3<float>& colour) {
  CImVector packed;
  packed.Set(0, ColourByte(colour.x), ColourByte(colour.y), ColourByte(colour.z));
  return packed;
}

vector3<float> UnpackColour(CImVector colour) {
  return {float(colour.Red() * kByteToChannel), float(colour.Green() * kByteToChannel),
          float(colour.Blue() * kByteToChannel)};
}

void ReadSkyParams(const SSkySettings& sky, const SSunFields& sun, CSkyParams* params, bool* sunLinked) {
  CSkyParams& p = *params;
  const uint32_t flags = sky.flags;
  *sunLinked = flags & C3dSky::kSunFromCamera;
  const bool clouds = flags & C3dSky::kClouds;
  p.cumulusOn = clouds && (flags & C3dSky::kCloudLayerB);
  p.stratusOn = clouds && (flags & C3dSky::kCloudLayerA);
  if (!(flags & C3dSky::kGraded)) p.skyMode = FourCC("aoff");
  else if (flags & C3dSky::kGlowByElevation) p.skyMode = FourCC("soft");
  else if (flags & C3dSky::kGlowByElevationWarm) p.skyMode = FourCC("dark");
  else if (flags & C3dSky::kStoredColours) p.skyMode = FourCC("cust");

  p.cloudHeight = Readout((sky.cloudHeight * 1024 * 0.00000625 - 0.03125) * 100);
  p.cloudCover = Readout(sky.cloudCover * 0.4 * 100);
  p.cloudAmplitude = Readout(sky.cloudContrast * 0.2 * 500);
  p.cloudScale = Readout(sky.cloudScale * 0.5 * 200);
  p.shadowIntensity = Readout((1 - sky.valueF) * 100);
  p.hazeIntensity = p.fogIntensity = p.fogHeight = 0;
  if (flags & C3dSky::kAtmosphere) {
    p.hazeIntensity = Readout(sky.hazeAmount * 0.2 * 100);
    if (p.hazeIntensity == 0 && sky.hazeAmount > 0) p.hazeIntensity = 1;
    p.fogIntensity = Readout(sky.fogDensity * 100);
    p.fogHeight = Readout(FastSqrt(sky.fogHeight * 20 * 0.01) * 100);
  }

  for (const SColourField& field : kSkyColours) p.*field.params = PackColour(sky.*field.sky);
  p.sunDirection = sun.direction;
  // The sign bit, not y >= 0: a moon on the horizon is stored with -0.
  p.isSun = !std::signbit(sun.direction.y);
  p.sunColor = PackColour(sun.colour);
  p.customColor1 = PackColour(sun.secondColour);
}

void WriteSkyParams(const CSkyParams& p, bool sunLinked, SSkySettings* sky) {
  sky->valueF = 1 - p.shadowIntensity * 0.01;
  sky->fogHeight = p.fogHeight * p.fogHeight * 0.01 * 0.05;
  sky->fogDensity = p.fogIntensity * 0.01;
  sky->hazeAmount = p.hazeIntensity * 0.01 * 5;
  sky->cloudHeight = p.cloudHeight * 0.01 * 160000 * 0.0009765625 + 4.8828125;
  sky->cloudCover = p.cloudCover * 0.01 * 2.5;
  sky->cloudScale = std::clamp(p.cloudScale * 0.005 * 2, 1e-7, 2.0);
  sky->cloudContrast = p.cloudAmplitude * 0.002 * 5;

  uint32_t flags = sky->flags & kKeptFlags;
  if (sunLinked) flags |= C3dSky::kSunFromCamera;
  if (p.cumulusOn) flags |= C3dSky::kClouds | C3dSky::kCloudLayerB;
  if (p.stratusOn) flags |= C3dSky::kClouds | C3dSky::kCloudLayerA;
  for (uint32_t i = 0; i < 4; ++i) {
    if (kSkyModes[i] == p.skyMode) flags |= kModeFlags[i];
  }
  if (sky->hazeAmount != 0 || sky->fogDensity != 0 || sky->fogHeight != 0) flags |= C3dSky::kAtmosphere;
  sky->flags = flags;

  for (const SColourField& field : kSkyColours) sky->*field.sky = UnpackColour(p.*field.params);
}

void WriteSunParams(const CSkyParams& p, SSunFields* sun) {
  const vector3<double>& d = p.sunDirection;
  const double scale = FastInvSqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  // A direction of no length has no direction: the sun stays where it stood.
  if (std::isfinite(scale)) sun->direction = {d.x * scale, d.y * scale, d.z * scale};
  double& y = sun->direction.y;
  if (p.isSun ? std::signbit(y) : !std::signbit(y)) y = -y;
  sun->colour = sun->sunColour = UnpackColour(p.sunColor);
  sun->secondColour = UnpackColour(p.customColor1);
}

bool MapSunControlPoint(int32_t* pointX, int32_t* pointY, vector3<double>* direction, bool toPoint) {
  if (toPoint) {
    *pointX = Trunc(direction->x * 100);
    *pointY = Trunc(direction->z * 100);
    return true;
  }
  bool pulledBack = false;
  int32_t x = std::clamp(*pointX, -1000, 1000);
  int32_t y = std::clamp(*pointY, -1000, 1000);
  const uint32_t r = IntSqrt(uint32_t(x * x + y * y), false);
  if (r > 100) {
    const float factor = 100.0f / float(r);
    x = int32_t(x * factor);
    y = int32_t(y * factor);
    pulledBack = true;
  }
  *pointX = x = std::clamp(x, -100, 100);
  *pointY = y = std::clamp(y, -100, 100);
  const double dx = x * kPercentF;
  const double dz = y * kPercentF;
  const double dy = std::clamp(FastSqrt(1 - (dz * dz + dx * dx)), 0.0001, 1.0);
  *direction = {dx, dy, dz};
  return pulledBack;
}

CSkyParams RandomSkyParams(CSkyParams p, SRandomState& random) {
  auto bit = [&random] { return uint8_t(NextRandom(random) & 1); };
  auto scaled = [&random](double range) { return int32_t(NextRandomUnit(random) * range); };
  p.stratusOn = bit();
  p.cumulusOn = bit();
  p.skyMode = kSkyModes[NextRandom(random) & 3];
  p.cloudHeight = scaled(100);
  p.cloudAmplitude = scaled(500);
  p.cloudScale = scaled(200);
  for (int32_t* value : {&p.shadowIntensity, &p.fogIntensity, &p.fogHeight, &p.hazeIntensity, &p.cloudCover}) {
    *value = scaled(100);
  }
  for (CImVector* colour : {&p.customColor2, &p.customColor3, &p.flatSkyColor, &p.cloudHeightColor, &p.shadowColor,
                            &p.hazeColor, &p.fogColor, &p.cloudCoverColor}) {
    *colour = RandomColour(random);
  }
  vector3<double> d;
  for (double* c : {&d.x, &d.y, &d.z}) *c = 2 * NextRandomUnit(random) - 1;
  const double scale = FastInvSqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  if (std::isfinite(scale)) p.sunDirection = {d.x * scale, d.y * scale, d.z * scale};
  p.isSun = bit();
  p.sunColor = RandomColour(random);
  p.customColor1 = RandomColour(random);
  return p;
}

int32_t StripPicture(int32_t value, int32_t count) {
  if (value <= 0 || count <= 1) return 0;
  const int32_t picture = Trunc(value * (count - 1) * kPercentF + kOneF);
  return std::min(picture, count - 1);
}

int32_t FogPicture(int32_t intensity, int32_t height, int32_t count) {
  const int32_t column = intensity <= 0 ? 0 : std::min(Trunc(intensity * kFogColumnF + kOneF), 5);
  const int32_t row = std::clamp(Trunc(height * kFogRowF), 0, 11);
  return std::max(0, std::min(column + 6 * row, count - 1));
}
