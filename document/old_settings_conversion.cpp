// The settings block of an earlier-version document into the scene's standard cameras, current
// camera, sun, sky and cloud textures; and a sky part, of the settings or of a sky record, into a sky
// and sun.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "document/old_conversion.h"
#include "document/old_quarn_file.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/camera.h"
#include "scene/object_family.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"

using namespace old_format;

namespace {

// Ten degrees with pi taken as 3.1415, as the fixed views have always had it.
constexpr double kFixedFieldAngle = 0.17452777777777778;
constexpr double kFixedExtent = 0.5;
constexpr double kDegree = 0.01745329251994;
constexpr double kFieldOfViewUnit = 0.1 * 2;
constexpr int32_t kFixedViewFamily = 16;
constexpr vector3<double> kDefaultSunDirection{40, 30, -20};

// The seven named views: shown in the views menu, perspective, neither parallel nor panoramic.
constexpr uint32_t kNamedViewFlag = 4;
constexpr uint32_t kNamedViewStateSet = 0x1 | 0x4000;
constexpr uint32_t kNamedViewStateClear = 0x8000 | 0x10000;
constexpr uint32_t kSunStateFlags = 0x100 | 0x400;

bool IsZero(const vector3<double>& v) { return v == vector3<double>{}; }

struct SFixedView {
  const char* name;
  vector3<double> position;
  vector3<double> direction;
  vector3<double> up;
  double scale;
};

constexpr SFixedView kFixedViews[] = {
    {"top", {0, 500, 0}, {0, -1, 0}, {0, 0, 1}, 5.0},    {"bottom", {0, -500, 0}, {0, 1, 0}, {0, 0, 1}, 1.0},
    {"front", {0, 1, -500}, {0, 0, 1}, {0, 1, 0}, 1.0},  {"back", {0, 1, 500}, {0, 0, -1}, {0, 1, 0}, 1.0},
    {"right", {500, 1, 0}, {-1, 0, 0}, {0, 1, 0}, 1.0},  {"left", {-500, 1, 0}, {1, 0, 0}, {0, 1, 0}, 1.0},
};
constexpr uint32_t kViewDots = 8;

struct SCloudTexture {
  const char* name;
  uint32_t at;
  int layer;
};

constexpr SCloudTexture kCloudTextures[] = {
    {"low cloud texture", kSettingsLowCloud, 1},
    {"high cloud texture", kSettingsHighCloud, 0},
};

// The sky part. By type in order, its numbers fill the sky record's doubles and its colours the
// record's colour triples; one double that the part lacks is 1.
enum class EStored : uint8_t { kInt32By1024, kInt16By1024, kFloat, kDouble, kDoubleBy1024, kColour, kOne };

struct SSkyField {
  uint32_t at;
  EStored stored;
  size_t into;
};

constexpr SSkyField kSkyFields[] = {
    {0, EStored::kInt32By1024, offsetof(SSkySettings, cloudHeight)},
    {4, EStored::kColour, offsetof(SSkySettings, cloudBShade)},
    {8, EStored::kInt16By1024, offsetof(SSkySettings, cloudOffsetX)},
    {10, EStored::kInt16By1024, offsetof(SSkySettings, cloudOffsetZ)},
    {16, EStored::kFloat, offsetof(SSkySettings, cloudCover)},
    {20, EStored::kFloat, offsetof(SSkySettings, cloudContrast)},
    {26, EStored::kDouble, offsetof(SSkySettings, cloudScale)},
    {34, EStored::kDoubleBy1024, offsetof(SSkySettings, reserved[0])},
    {42, EStored::kDoubleBy1024, offsetof(SSkySettings, reserved[1])},
    {50, EStored::kDoubleBy1024, offsetof(SSkySettings, reserved[2])},
    {62, EStored::kColour, offsetof(SSkySettings, cloudA)},
    {66, EStored::kColour, offsetof(SSkySettings, zenith)},
    {70, EStored::kColour, offsetof(SSkySettings, horizon)},
    {74, EStored::kColour, offsetof(SSkySettings, skyLight)},
    {118, EStored::kColour, offsetof(SSkySettings, flat)},
    {122, EStored::kDouble, offsetof(SSkySettings, valueE)},
    {130, EStored::kColour, offsetof(SSkySettings, cloudBLight)},
    {134, EStored::kFloat, offsetof(SSkySettings, valueF)},
    {138, EStored::kInt32By1024, offsetof(SSkySettings, hazeAmount)},
    {142, EStored::kDouble, offsetof(SSkySettings, fogHeight)},
    {150, EStored::kColour, offsetof(SSkySettings, haze)},
    {154, EStored::kColour, offsetof(SSkySettings, fog)},
    {0, EStored::kOne, offsetof(SSkySettings, fogDensity)},
};

// The sky part's flag bytes and the sun's fields.
constexpr uint32_t kGradedAt = 12;
constexpr uint32_t kGlowSchemeAt = 13;
constexpr uint32_t kAtmosphereAt = 14;
constexpr uint32_t kSkyLightAt = 15;
constexpr uint32_t kCloudsAt = 24;
constexpr uint32_t kSunGlowAt = 58;
constexpr uint32_t kSunColourAt = 82;
constexpr uint32_t kSunDirectionAt = 86;
constexpr uint32_t kGlowSchemeFlags[3] = {C3dSky::kGlowByElevation, C3dSky::kGlowByElevationWarm,
                                          C3dSky::kStoredColours};

uint32_t SkyFlags(CStoredFields& in, bool sunFromCamera) {
  uint32_t flags = 0;
  if (in.U8(kGradedAt)) flags |= C3dSky::kGraded;
  if (const uint8_t scheme = in.U8(kGlowSchemeAt); scheme < std::size(kGlowSchemeFlags))
    flags |= kGlowSchemeFlags[scheme];
  if (in.U8(kAtmosphereAt)) flags |= C3dSky::kAtmosphere;
  if (in.U8(kSkyLightAt)) flags |= C3dSky::kSkyLight;
  const uint16_t clouds = in.U16(kCloudsAt);
  if (clouds) flags |= C3dSky::kClouds;
  if (clouds == 1 || clouds == 3) flags |= C3dSky::kCloudLayerA;
  if (clouds == 2 || clouds == 3) flags |= C3dSky::kCloudLayerB;
  if (sunFromCamera) flags |= C3dSky::kSunFromCamera;
  return flags;
}

// The field's number, already in its unit.
double StoredNumber(CStoredFields& in, const SSkyField& field) {
  switch (field.stored) {
    case EStored::kInt32By1024: return int32_t(in.U32(field.at)) / 1024.0;
    case EStored::kInt16By1024: return in.S16(field.at) / 1024.0;
    case EStored::kFloat: return in.Float(field.at);
    case EStored::kDouble: return in.Double(field.at);
    case EStored::kDoubleBy1024: return in.Double(field.at) / 1024;
    default: return 1;
  }
}

// False when a number is not finite.
bool FillSky(CStoredFields& in, SSkySettings& settings) {
  auto* bytes = reinterpret_cast<uint8_t*>(&settings);
  for (const SSkyField& field : kSkyFields) {
    if (field.stored == EStored::kColour) {
      const vector3<float> colour = ColourOf(in.U32(field.at));
      std::memcpy(bytes + field.into, &colour, sizeof colour);
      continue;
    }
    const double number = StoredNumber(in, field);
    if (!std::isfinite(number)) return false;
    std::memcpy(bytes + field.into, &number, sizeof number);
  }
  return true;
}

int32_t NewNamed(C3dCamera** out, C3dBaseSys* table, const char* name) {
  if (const int32_t error = NewThing(out, table)) return error;
  return NameThing(*out, name);
}

void MarkNamedView(C3dCamera& camera) {
  camera.SetFlags(kNamedViewFlag);
  camera.SetStateFlags(kNamedViewStateSet);
  camera.ClearStateFlags(kNamedViewStateClear);
}

void PlaceFixedView(C3dCamera& camera, const SFixedView& fixed) {
  camera.SetTransformVector3(fixed.position);
  SCameraView& view = camera.GetView();
  view.direction = fixed.direction;
  view.up = fixed.up;
  view.fieldAngle = kFixedFieldAngle;
  view.scale = fixed.scale;
  view.aspect = 1.0;
  view.offsetX = view.offsetY = 0;
  view.extentX = view.extentY = kFixedExtent;
}

// The current camera from the settings block: where it looks from and along, its field and its view
// rectangle's centre. What would divide by zero, or a basis without inverse, keeps the defaults.
void ConvertCurrentCamera(C3dCamera& camera, const SSettings& settings) {
  camera.InitDefaults();
  SCameraView& view = camera.GetView();
  const int32_t width = settings.viewRect.right - settings.viewRect.left;
  const int32_t height = settings.viewRect.bottom - settings.viewRect.top;
  if (width > 0 && height > 0) {
    view.offsetX = (settings.centreX - width * 0.5) / width;
    view.offsetY = (settings.centreY - height * 0.5) / height;
  }
  if (const double extent = 1 / settings.viewScale; settings.viewScale > 0 && std::isfinite(extent))
    view.extentX = view.extentY = extent;
  // The stored basis and position take the world to the camera, the basis's columns being the axes.
  C34Matrix toCamera;
  for (int axis = 0; axis < 3; ++axis)
    toCamera.SetRow(axis, {settings.basis[axis], settings.basis[3 + axis], settings.basis[6 + axis]});
  toCamera.SetRow(3, settings.position);
  C34Matrix toWorld;
  bool finite = toCamera.Invert(toWorld);
  for (const double v : toWorld.m) finite = finite && std::isfinite(v);
  if (finite) {
    camera.GetPlacement().SetFromMatrix(toWorld);
    // The camera looks along its z axis with its y axis up.
    const vector3<double> direction = Normalised(toWorld.Row(2)), up = Normalised(toWorld.Row(1));
    if (!IsZero(direction) && !IsZero(up)) {
      view.direction = direction;
      view.up = up;
    }
  }
  view.fieldAngle = settings.fieldOfView * kFieldOfViewUnit * kDegree;
}

int32_t MakeSun(C3dBaseSys* table, C3dSunLight** out) {
  C3dSunLight* sun = nullptr;
  if (const int32_t error = NewThing(&sun, table)) return error;
  *out = sun;
  const vector3<float> white{1, 1, 1};
  sun->SetColour(white);
  sun->SetIntensity(1.0);
  sun->SetRadius(1.0);
  sun->SetSunColour(white);
  sun->SetSecondSunColour(white);
  sun->SetDirection(Normalised(kDefaultSunDirection));
  sun->ClearFlags(~0u);
  sun->ClearStateFlags(~0u);
  sun->SetStateFlags(kSunStateFlags);
  sun->SetCreationWord(0, 0);
  sun->SetCreationWord(1, 0);
  sun->GetReference().Reset();
  sun->GetPlacement().Reset();
  sun->SetTransformVector3({0, 0, 0});
  return NameThing(sun, "sunlight");
}

}  // namespace

int32_t COldQuarnFile::ConvertSky(const uint8_t* part, bool sunFromCamera, C3dSky& sky, C3dSunLight& sun) {
  CStoredFields in(part, kSkyPartBytes);
  SSkySettings settings;
  if (!FillSky(in, settings)) return kErrInvalidFormat;
  settings.flags = SkyFlags(in, sunFromCamera);
  const vector3<double> stored{in.Double(kSunDirectionAt), in.Double(kSunDirectionAt + 8),
                               in.Double(kSunDirectionAt + 16)};
  if (!std::isfinite(stored.x) || !std::isfinite(stored.y) || !std::isfinite(stored.z)) return kErrInvalidFormat;
  const vector3<double> direction = Normalised(stored);
  sky.InitDefaults();
  sky.GetSettings() = settings;
  const vector3<float> sunColour = ColourOf(in.U32(kSunColourAt));
  sun.SetSecondSunColour(ColourOf(in.U32(kSunGlowAt)));
  sun.SetColour(sunColour);
  sun.SetSunColour(sunColour);
  sun.SetDirection(IsZero(direction) ? Normalised(kDefaultSunDirection) : direction);
  return kNoErr;
}

int32_t COldQuarnFile::BuildSettingsThings(C3dBaseSys* table) {
  C3dCamera* current = nullptr;
  if (const int32_t error = NewNamed(&current, table, "perspective")) return error;
  MarkNamedView(*current);
  for (const SFixedView& fixed : kFixedViews) {
    C3dCamera* camera = nullptr;
    if (const int32_t error = NewNamed(&camera, table, fixed.name)) return error;
    MarkNamedView(*camera);
    SetObjectFamily(*camera, kFixedViewFamily);
    PlaceFixedView(*camera, fixed);
  }
  for (uint32_t dot = 0; dot < kViewDots; ++dot) {
    C3dCamera* camera = nullptr;
    const char name[] = {'d', 'o', 't', char('0' + dot), 0};
    if (const int32_t error = NewNamed(&camera, table, name)) return error;
  }
  ConvertCurrentCamera(*current, fSettings);

  C3dSunLight* sun = nullptr;
  if (const int32_t error = MakeSun(table, &sun)) return error;
  C3dSky* sky = nullptr;
  if (const int32_t error = NewThing(&sky, table)) return error;
  {
    CHolder skyHolder(sky, true, false);
    CHolder sunHolder(sun, true, false);
    if (!skyHolder.IsLocked()) return NonZeroError(sky->GetError());
    if (!sunHolder.IsLocked()) return NonZeroError(sun->GetError());
    if (const int32_t error = ConvertSky(fSettingsBlock.GetData(), fSettings.sunFromCamera, *sky, *sun)) return error;
  }
  if (const int32_t error = NameThing(sky, "current sky")) return error;

  for (const SCloudTexture& cloud : kCloudTextures) {
    C3dTexture* texture = nullptr;
    if (const int32_t error = NewThing(&texture, table)) return error;
    if (const int32_t error = NameThing(texture, cloud.name)) return error;
    const STextureRecord record = TextureRecordAt(fSettingsBlock.GetData() + cloud.at);
    if (const int32_t error = texture->ImportOld(record.bytes, kTextureBytes)) return error;
    sky->SetCloudTexture(texture, cloud.layer);
  }
  return kNoErr;
}
