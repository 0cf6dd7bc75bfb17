#include "scene/sun_light.h"

#include <cstring>

#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/factory.h"

namespace {

constexpr C3dBox kLocalBox{{-1, -1, -1}, {1, 1, 1}};
constexpr vector3<float> kWhite{1, 1, 1};
constexpr vector3<double> kTowardsSun{0.4, 0.3, -0.2};
constexpr uint32_t kPackedWhite = 0xFFFFFF;

vector3<double> DefaultDirection() { return kTowardsSun * FastInvSqrt(Dot(kTowardsSun, kTowardsSun)); }

vector3<float> Unpacked(uint32_t rgb) {
  return {float((rgb >> 16) & 0xFF) / 255, float((rgb >> 8) & 0xFF) / 255, float(rgb & 0xFF) / 255};
}

}  // namespace

C3dSunLight::C3dSunLight(const SObjectKey& key) : C3dLight(key) { SizeRecord(kRecordSize); }

int32_t C3dSunLight::New(C3dSunLight** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  return NewObject(out, table, key, spec);
}

void C3dSunLight::InitDefaults() {
  fSunColour = fSecondSunColour = kWhite;
  fDirection = DefaultDirection();
  SetRenderValues(fDirection, kWhite, 1.0);
  SetColour(Unpacked(kPackedWhite));
  SetIntensity(1.0);
}

void C3dSunLight::SetRenderValues(const vector3<double>& direction, const vector3<float>& colour, double brightness) {
  fRenderDirection = direction;
  fRenderColour = colour;
  fRenderBrightness = brightness;
}

int32_t C3dSunLight::CopyFrom(C3dSunLight& other) {
  CHolder source(&other, false, false);
  if (!source.IsLocked()) return NonZeroError(other.GetError());
  CHolder target(this, true, false);
  if (!target.IsLocked()) return NonZeroError(GetError());
  fSunColour = other.fSunColour;
  fSecondSunColour = other.fSecondSunColour;
  fDirection = other.fDirection;
  if (const int32_t error = other.CopyTo(*this)) return error;
  SetRenderValues(other.fRenderDirection, other.fRenderColour, other.fRenderBrightness);
  return kNoErr;
}

void C3dSunLight::Illuminate(const vector3<double>&, vector3<float>& colour, double& intensity) {
  colour = fRenderColour;
  intensity = fRenderBrightness;
}

C3dBox C3dSunLight::LocalBox() { return kLocalBox; }

C3dBox C3dSunLight::WorldBox() { return kLocalBox.Transform(GetObjectToWorld()); }

bool C3dSunLight::SaveState() {
  if (!C3dLight::SaveState()) return false;
  uint8_t* record = GetData();
  StoreField(record + kSunColourOffset, fSunColour);
  StoreField(record + kSecondSunColourOffset, fSecondSunColour);
  StoreField(record + kDirectionOffset, fDirection);
  return true;
}

void C3dSunLight::RestoreState() {
  C3dLight::RestoreState();
  const uint8_t* record = GetData();
  fSunColour = LoadField<vector3<float>>(record + kSunColourOffset);
  fSecondSunColour = LoadField<vector3<float>>(record + kSecondSunColourOffset);
  fDirection = LoadField<vector3<double>>(record + kDirectionOffset);
}

bool C3dSunLight::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dLight::SwapRecord(record, size)) return false;
  for (uint32_t i = 0; i < 6; ++i) SwapWordAt(record + kSunColourOffset + 4 * i);
  for (uint32_t i = 0; i < 3; ++i) SwapDoubleAt(record + kDirectionOffset + 8 * i);
  return true;
}
