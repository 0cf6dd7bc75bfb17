// The sky and atmosphere of a scene: a flat or graded sky colour with the sun's disc and glow, two
// cloud layers drawn from procedural textures, distance haze and ground fog. Before a render,
// PrepareForRender derives the render values from the scene's first sun and hands the sun what it
// lights with; the ray tracer then asks ShadeRay for every ray that leaves the scene and ApplyFog for
// every hit.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "framework/core/matrix34.h"
#include "framework/core/vector3.h"
#include "scene/base.h"
#include "scene/ray.h"

class C3dBaseSys;
class C3dSunLight;
class C3dTexture;

// The names the document gives its sky's two cloud textures, layer 0 and layer 1: textures that
// belong to the sky and are no material's.
inline constexpr const char* kCloudTextureNames[2] = {"high cloud texture", "low cloud texture"};

// The stored sky settings, in record order, with the defaults of a new sky.
struct SSkySettings {
  uint32_t flags = 0x283;
  double cloudHeight = 10.0;
  vector3<float> cloudBShade{0.8f, 0.8f, 0.8f};
  vector3<float> cloudA{1, 1, 1};
  double cloudOffsetX = 0;
  double cloudOffsetZ = 0;
  double cloudCover = 0.5;
  double cloudContrast = 1.0;
  double cloudScale = 0.25;
  double reserved[3] = {};
  vector3<float> zenith{0.2f, 0.2f, 1.0f};
  vector3<float> horizon{1, 1, 1};
  vector3<float> skyLight{0, 0, 0};
  vector3<float> flat{0.2f, 0.2f, 1.0f};
  double valueE = 0.1;
  vector3<float> cloudBLight{1, 1, 1};
  double valueF = 1.0;
  vector3<float> haze{1, 1, 1};
  double hazeAmount = 0.4;
  vector3<float> fog{1, 1, 1};
  double fogHeight = 0;
  double fogDensity = 0;
};

class C3dSky : public C3dBase {
 public:
  static constexpr uint32_t kFamily = FourCC("sky0");
  static constexpr uint32_t kClassTag = FourCC("base");
  static constexpr const char* kTypeName = "C3dBaseSky";
  static constexpr uint32_t kPartOffset = 136;
  // The cloud textures' class tags, then their ids, kept in the writing machine's byte order.
  static constexpr uint32_t kCloudTagsOffset = kPartOffset + 224;
  static constexpr uint32_t kCloudIdsOffset = kPartOffset + 232;
  static constexpr uint32_t kRecordSize = 376;

  // Flag bits.
  static constexpr uint32_t kGraded = 0x001;           // graded sky with sun; else the flat colour
  static constexpr uint32_t kGlowByElevation = 0x002;  // two schemes for the glow from the elevation
  static constexpr uint32_t kGlowByElevationWarm = 0x004;
  static constexpr uint32_t kStoredColours = 0x008;  // zenith and horizon as stored, not from the sun
  static constexpr uint32_t kClouds = 0x010;
  static constexpr uint32_t kCloudLayerA = 0x020;
  static constexpr uint32_t kCloudLayerB = 0x040;
  static constexpr uint32_t kAtmosphere = 0x080;  // haze and fog
  static constexpr uint32_t kSkyLight = 0x100;    // the sky lights the scene
  static constexpr uint32_t kSunFromCamera = 0x200;
  static constexpr uint32_t kAtmosphereOff = 0x400;
  static constexpr uint32_t kFlatWithoutAtmosphere = 0x800;

  explicit C3dSky(const SObjectKey& key);

  static int32_t New(C3dSky** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);

  SSkySettings& GetSettings() { return fSettings; }
  const SSkySettings& GetSettings() const { return fSettings; }

  // Layer 0 draws layer A above the cloud height, 1 layer B at it; none clears the layer. The
  // texture's class tag and id go with it into the record. Other layer numbers are ignored.
  void SetCloudTexture(C3dTexture* texture, int layer);
  C3dTexture* GetCloudTexture(int layer) const;
  uint32_t GetCloudTextureTag(int layer) const { return IsLayer(layer) ? fCloudTags[layer] : 0; }
  uint32_t GetCloudTextureId(int layer) const { return IsLayer(layer) ? fCloudIds[layer] : 0; }
  // Drops both cloud textures: one that a document holds is given back to it, any other deleted.
  void ReleaseImages();
  // Takes over the other sky's settings and, layer by layer, the contents of its cloud textures into
  // this sky's own; the lock's code when a sky or texture cannot be locked.
  int32_t CopyFrom(C3dSky& other);

  // Derives the render values from the table's first sun, its direction taken through the inverse of
  // the camera matrix when the flags ask and one is given, and writes the sun's render values.
  // Without a sun the sky is shaded flat. The lock's code when the sky cannot be locked.
  int32_t PrepareForRender(C3dBaseSys* table, const C34Matrix* camera);
  // Adds the sky's colour along an escaping ray to the ray's colour, then applies the atmosphere.
  void ShadeRay(CRay& ray);
  // Blends the ray's colour towards the fog and haze over the distance t along it.
  void ApplyFog(CRay& ray, double t);

  // The prepared values that the renderer and render to disk read.
  bool HasSkyLight() const { return fSettings.flags & kSkyLight; }
  vector3<float> GetSkyLightColour() const { return fRender.skyLight; }
  vector3<double> GetSunDirection() const { return fRender.sunDirection; }
  vector3<float> GetSunColour() const { return fRender.sunColour; }
  double GetSunBrightness() const { return fRender.brightness; }

  const char* TypeName() const override { return kTypeName; }
  void InitDefaults() override { fSettings = SSkySettings{}; }
  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;

 private:
  // What one preparation derives; reset before each.
  struct SRenderValues {
    bool prepared = false;
    bool hasSun = false;
    // Towards the sun as the sky uses it (turned up when the sun is below the horizon), and as the
    // sun light gives it, for the glow below the horizon.
    vector3<double> sunDirection;
    vector3<double> trueDirection;
    vector3<float> disc;
    vector3<float> glow;
    vector3<float> belowGlow;
    vector3<float> sunColour;
    double brightness = 0;
    vector3<float> zenith;
    vector3<float> horizon;
    double glowExponent = 0;
    double horizonFactor = 0;
    double cloudHeightA = 0;
    double cloudHeightB = 0;
    double cloudScale = 0;
    vector3<float> cloudA;
    vector3<float> cloudBShade;
    vector3<float> cloudBLight;
    vector3<float> skyLight;
    vector3<float> hazeColour;
    vector3<double> extinction;
    double hazeStart = 0;
    double hazeScale = 0;
    double fogStart = 0;
    double fogScale = 0;
    vector3<float> fogColour;
  };

  static bool IsLayer(int layer) { return layer == 0 || layer == 1; }
  bool IsAtmosphereOn() const;
  bool IsFlat() const;
  // The steps of PrepareForRender.
  void PrepareSun(C3dSunLight& sun, const C34Matrix* camera);
  void PrepareColours(double e, double m);
  void PrepareClouds(double y, double e, double m);
  void PrepareSkyLight();
  void PrepareAtmosphere();
  void PrepareCloudTextures();
  // The steps of ShadeRay; s is the sun term, p the sun disc's.
  vector3<float> Graded(const vector3<double>& direction, double s, double p) const;
  void AddBelowHorizonGlow(const vector3<double>& direction, vector3<float>& colour) const;
  void AddCloudLayerA(const CRay& ray, double p, vector3<float>& colour);
  void AddCloudLayerB(const CRay& ray, double s, vector3<float>& colour);
  void Fog(const CRay& ray, double t, vector3<float>& colour) const;
  void Haze(const CRay& ray, double t, vector3<float>& colour) const;

  SSkySettings fSettings;
  Handle32 fCloudTextures[2] = {};
  uint32_t fCloudTags[2] = {};
  uint32_t fCloudIds[2] = {};
  SRenderValues fRender;
};
