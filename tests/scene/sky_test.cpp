#include "scene/sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "document_record_fixture.h"
#include "framework/core/colour.h"
#include "light_fixture.h"
#include "scene/surface/texture.h"
#include "scene/texture/texture_compile.h"

namespace {

constexpr vector3<float> kWhite{1, 1, 1};
// The default sun's height: the y of (0.4, 0.3, −0.2) normalised.
constexpr double kSunHeight = 0.557086014531156;

void ExpectColour(const vector3<float>& c, const vector3<double>& expected, double tolerance, const char* what) {
  ExpectNear({c.x, c.y, c.z}, expected, tolerance, what);
}

bool IsFinite(const vector3<float>& c) { return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z); }

class Sky : public LightTest {
 protected:
  C3dSky* NewSky(CSpoolSys* environment = nullptr) { return MakeObject<C3dSky>(table, environment); }
  // A sky of the given flags (and settings) prepared with the default sun.
  C3dSky* PreparedSky(uint32_t flags = 0x283) {
    C3dSky* sky = NewSky();
    sky->GetSettings().flags = flags;
    if (!sun) sun = NewSun();
    EXPECT_EQ(sky->PrepareForRender(table, nullptr), 0);
    return sky;
  }
  // The colour of an escaping ray, its colour cleared first as the trace does.
  static vector3<float> Shade(C3dSky* sky, vector3<double> direction, vector3<double> origin = {}) {
    CRay ray;
    ray.fOrigin = origin;
    ray.fDirection = direction * (1 / std::sqrt(Dot(direction, direction)));
    sky->ShadeRay(ray);
    return ray.fColour;
  }
  // A black hit at distance t along a ray.
  static vector3<float> Fogged(C3dSky* sky, double t, vector3<double> direction = {1, 0, 0},
                               vector3<double> origin = {}) {
    CRay ray;
    ray.fOrigin = origin;
    ray.fDirection = direction;
    sky->ApplyFog(ray, t);
    return ray.fColour;
  }
  // A cloud texture of one noiseless component, whose value is 0.5 everywhere.
  C3dTexture* NewCloudTexture() {
    C3dTexture* texture = MakeObject<C3dTexture>(table);
    CHolder holder(texture, true, false);
    STextureData& data = texture->GetTextureData();
    data.count = 1;
    data.outputFlags = kKindValue;
    data.component[0].kinds = kKindValue;
    data.component[0].noiseCode = 2;
    for (int32_t& f : data.component[0].frequency) f = 1;
    PrepareEvaluation(data, true);
    return texture;
  }

  C3dSunLight* sun = nullptr;
};

// ---- the record

TEST_F(Sky, ANewSkyHasTheDefaults) {
  C3dSky* sky = NewSky();
  ASSERT_NE(sky, nullptr);
  EXPECT_EQ(sky->GetDataSize(), 376u);
  EXPECT_STREQ(sky->TypeName(), "C3dBaseSky");
  EXPECT_EQ(sky->GetFamily(), FourCC("sky0"));
  EXPECT_EQ(sky->GetClass(), FourCC("base"));
  const SSkySettings& s = sky->GetSettings();
  EXPECT_EQ(s.flags, 643u);
  EXPECT_EQ(s.cloudHeight, 10.0);
  EXPECT_EQ(s.cloudBShade, (vector3<float>{0.8f, 0.8f, 0.8f}));
  EXPECT_EQ(s.cloudCover, 0.5);
  EXPECT_EQ(s.cloudContrast, 1.0);
  EXPECT_EQ(s.cloudScale, 0.25);
  EXPECT_EQ(s.zenith, (vector3<float>{0.2f, 0.2f, 1.0f}));
  EXPECT_EQ(s.flat, (vector3<float>{0.2f, 0.2f, 1.0f}));
  EXPECT_EQ(s.skyLight, (vector3<float>{}));
  EXPECT_EQ(s.valueE, 0.1);
  EXPECT_EQ(s.valueF, 1.0);
  EXPECT_EQ(s.hazeAmount, 0.4);
  EXPECT_EQ(s.fogHeight, 0);
  EXPECT_EQ(s.fogDensity, 0);
  EXPECT_EQ(sky->GetCloudTexture(0), nullptr);
}

TEST_F(DocumentRecord, ASkyIsStoredBigEndianExceptItsCloudTextureWords) {
  auto* sky = MakeObject<C3dSky>(table);
  ASSERT_NE(sky, nullptr);
  SSkySettings& s = sky->GetSettings();
  s.cloudOffsetX = 1.25;
  s.hazeAmount = 0.7;
  s.fogDensity = 0.03;
  s.valueE = -2.5;
  s.reserved[2] = 6.5;
  s.zenith = {0.1f, 0.2f, 0.3f};
  auto* texture = MakeObject<C3dTexture>(table);
  sky->SetCloudTexture(texture, 1);
  const Bytes bytes = Save(sky);
  ASSERT_EQ(bytes.size(), 376u);
  EXPECT_EQ(Bytes(bytes.begin() + 136, bytes.begin() + 140), (Bytes{0, 0, 2, 0x83}));
  EXPECT_EQ(Bytes(bytes.begin() + 140, bytes.begin() + 148), (Bytes{0x40, 0x24, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BigDoubleAt(bytes, 136 + 36), 1.25);
  EXPECT_EQ(BigDoubleAt(bytes, 136 + 92), 6.5);
  EXPECT_EQ(BigDoubleAt(bytes, 136 + 148), -2.5);
  EXPECT_EQ(BigDoubleAt(bytes, 136 + 188), 0.7);
  EXPECT_EQ(BigDoubleAt(bytes, 136 + 216), 0.03);
  EXPECT_EQ(std::bit_cast<float>(BigWordAt(bytes, 136 + 104)), 0.2f);
  // The cloud textures' tags and ids stay as in memory.
  EXPECT_EQ(WordAt(bytes, 360), 0u);
  EXPECT_EQ(WordAt(bytes, 364), FourCC("qntx"));
  EXPECT_EQ(WordAt(bytes, 368), 0u);
  EXPECT_EQ(WordAt(bytes, 372), texture->GetId());

  C3dBaseSys fresh(ObjectsEnv());
  auto* copy = Load<C3dSky>(sky->GetKey(), &fresh);
  ASSERT_TRUE(copy->Lock()) << copy->GetError();
  copy->Unlock(false, false);
  const SSkySettings& r = copy->GetSettings();
  EXPECT_EQ(r.flags, 643u);
  EXPECT_EQ(r.cloudOffsetX, 1.25);
  EXPECT_EQ(r.reserved[2], 6.5);
  EXPECT_EQ(r.valueE, -2.5);
  EXPECT_EQ(r.hazeAmount, 0.7);
  EXPECT_EQ(r.fogDensity, 0.03);
  EXPECT_EQ(r.zenith, s.zenith);
  EXPECT_EQ(r.cloudBLight, s.cloudBLight);
  EXPECT_EQ(copy->GetCloudTextureTag(1), FourCC("qntx"));
  EXPECT_EQ(copy->GetCloudTextureId(1), texture->GetId());
  EXPECT_EQ(copy->GetCloudTexture(1), nullptr);  // the document code links it
  delete copy;
}

// ---- sky colours

// The haze path grows without bound as a ray levels out, so the level ray's full haze colour is
// where the rays just above and below the horizon tend: no seam there.
TEST_F(Sky, AHorizontalRayTakesTheHazeColourInFull) {
  C3dSky* sky = PreparedSky();
  for (const vector3<double> d : {vector3<double>{1, 0, 0}, {0, 0, -1}, {-0.6, 0, 0.8}})
    EXPECT_EQ(Shade(sky, d), kWhite);
  // Rays closing on the horizon from above and from below tend to that colour.
  for (const double sign : {1.0, -1.0}) {
    float darkest = 0;
    for (const double y : {0.02, 0.005, 0.001}) {
      const vector3<float> c = Shade(sky, {std::sqrt(1 - y * y), sign * y, 0});
      const float least = std::min({c.x, c.y, c.z});
      EXPECT_GT(least, darkest) << sign * y;
      darkest = least;
    }
    EXPECT_GT(darkest, 0.99f) << sign;
  }
}

TEST_F(Sky, AFlatSkyWithoutAtmosphereIsTheFlatColourEverywhere) {
  C3dSky* sky = PreparedSky(0x283 | C3dSky::kFlatWithoutAtmosphere);
  const vector3<float> flat{0.2f, 0.2f, 1.0f};
  for (const vector3<double> d : {vector3<double>{0, 1, 0}, {1, 0, 0}, {0, -1, 0}, {0.4, 0.3, -0.2}})
    EXPECT_EQ(Shade(sky, d), flat);
}

TEST_F(Sky, TheGradedSkyHasTheSunDiscAndTheZenithOppositeIt) {
  C3dSky* sky = PreparedSky(C3dSky::kGraded);
  const vector3<double> towards{0.4, 0.3, -0.2};
  const float disc = float((1 + 0.30518043) * 1.2);
  ExpectColour(Shade(sky, towards), {disc, disc, disc}, 1e-6, "the sun");
  vector3<float> zenith;
  const double e = kSunHeight;
  HLSToRGB(float((55 * (1 - e) + 145) / 255), float(64 * (1 + e) / 255), float(240.0 / 255), zenith.x, zenith.y,
           zenith.z);
  ExpectColour(Shade(sky, -towards), {0.7 * zenith.x, 0.7 * zenith.y, 0.7 * zenith.z}, 1e-6, "opposite the sun");
  for (int i = 0; i < 360; i += 7) {
    for (int j = -90; j <= 90; j += 15) {
      const double a = i * std::numbers::pi / 180, b = j * std::numbers::pi / 180;
      EXPECT_TRUE(IsFinite(Shade(sky, {std::cos(b) * std::sin(a), std::sin(b), std::cos(b) * std::cos(a)})));
    }
  }
}

TEST_F(Sky, PreparingHandsTheFirstSunItsRenderValues) {
  C3dSunLight* first = NewSun();
  C3dSunLight* second = NewSun();
  second->SetIntensity(3.0);
  sun = first;
  C3dSky* sky = PreparedSky();
  vector3<float> colour;
  double intensity = 0;
  first->Illuminate({5, 5, 5}, colour, intensity);
  EXPECT_EQ(colour, kWhite);
  EXPECT_NEAR(intensity, 1.1255, 1e-12);
  EXPECT_EQ(first->GetRenderDirection(), first->GetDirection());
  EXPECT_EQ(second->GetRenderBrightness(), 1.0);
  EXPECT_NEAR(sky->GetSunBrightness(), 1.1255, 1e-12);
  ExpectColour(sky->GetSunColour(), {1.1255, 1.1255, 1.1255}, 1e-6, "the sky's sun colour");
  ExpectNear(sky->GetSunDirection(), first->GetDirection(), 0, "direction");
}

TEST_F(Sky, ASunBelowTheHorizonBecomesAMoon) {
  sun = NewSun();
  sun->SetDirection({0, -0.6, 0.8});
  C3dSky* sky = PreparedSky();
  ExpectNear(sun->GetRenderDirection(), {0, 0.6, -0.8}, 1e-12, "moon direction");
  ExpectColour(sun->GetRenderColour(), {0.3, 0.3, 0.375}, 1e-6, "moon colour");
  for (const vector3<double> d : {vector3<double>{0, -0.6, 0.8}, {0, 0.6, -0.8}, {0, 0, 1}, {1, 0.1, 0}})
    EXPECT_TRUE(IsFinite(Shade(sky, d)));
}

TEST_F(Sky, TheCameraTurnsTheSunWhenTheFlagsAskForIt) {
  sun = NewSun();
  C34Matrix camera;
  camera.RotateY(std::numbers::pi / 2);
  C3dSky* sky = NewSky();
  ASSERT_EQ(sky->PrepareForRender(table, &camera), 0);
  C34Matrix inverse;
  camera.Invert(inverse);
  ExpectNear(sky->GetSunDirection(), inverse.TransformVector(sun->GetDirection()), 1e-12, "through the camera");
  sky->GetSettings().flags &= ~C3dSky::kSunFromCamera;
  ASSERT_EQ(sky->PrepareForRender(table, &camera), 0);
  ExpectNear(sky->GetSunDirection(), sun->GetDirection(), 0, "as stored");
}

TEST_F(Sky, WithoutASunTheSkyIsFlatAndTheHazeLevel) {
  sun = NewSun();
  C3dSky* sky = PreparedSky(C3dSky::kGraded | C3dSky::kAtmosphere | C3dSky::kSkyLight);
  EXPECT_NE(Shade(sky, {0, 1, 0}), sky->GetSettings().flat);
  EXPECT_NE(sky->GetSkyLightColour(), (vector3<float>{}));
  delete sun;
  // Clouds at height 0 end every sloping ray's haze before it starts.
  sky->GetSettings().cloudHeight = 0;
  ASSERT_EQ(sky->PrepareForRender(table, nullptr), 0);
  EXPECT_EQ(Shade(sky, {0, 1, 0}), sky->GetSettings().flat);
  EXPECT_EQ(Shade(sky, {0.4, 0.3, -0.2}), sky->GetSettings().flat);
  EXPECT_EQ(sky->GetSkyLightColour(), (vector3<float>{}));
  // A level sun: red and blue die out at rates 2 and 0.5.
  ExpectColour(Fogged(sky, 302.5390625), {1 - std::exp(-2.0), 1 - std::exp(-1.0), 1 - std::exp(-0.5)}, 1e-6, "haze");
  sky->GetSettings().flags |= C3dSky::kStoredColours;
  sky->GetSettings().skyLight = {0.1f, 0.2f, 0.3f};
  ASSERT_EQ(sky->PrepareForRender(table, nullptr), 0);
  EXPECT_EQ(sky->GetSkyLightColour(), (vector3<float>{0.1f, 0.2f, 0.3f}));
}

TEST_F(Sky, ASkyNeverPreparedIsFlatAndClear) {
  C3dSky* sky = NewSky();
  EXPECT_EQ(Shade(sky, {0.3, 0.1, 0.5}), sky->GetSettings().flat);
  EXPECT_EQ(Fogged(sky, 1000), (vector3<float>{}));
}

// ---- haze and fog

TEST_F(Sky, HazeThickensWithDistancePerChannel) {
  C3dSky* sky = PreparedSky();
  ExpectColour(Fogged(sky, 302.5390625), {0.393469, 0.632121, 0.892293}, 1e-6, "haze");
  EXPECT_EQ(Fogged(sky, 4.8828125), (vector3<float>{}));
  // Upward rays leave the haze half-way up to the clouds.
  EXPECT_EQ(Fogged(sky, 1000, {0, 1, 0}), Fogged(sky, 5, {0, 1, 0}));
  EXPECT_NE(Fogged(sky, 5, {0, 1, 0}), (vector3<float>{}));
  // Beyond the editor's range the haze still fades towards its colour.
  sky->GetSettings().hazeAmount = 8;
  ASSERT_EQ(sky->PrepareForRender(table, nullptr), 0);
  const vector3<float> thick = Fogged(sky, 20);
  EXPECT_TRUE(IsFinite(thick));
  for (const float c : {thick.x, thick.y, thick.z}) {
    EXPECT_GT(c, 0);
    EXPECT_LE(c, 1);
  }
}

TEST_F(Sky, FogLiesBelowItsHeight) {
  C3dSky* sky = NewSky();
  SSkySettings& s = sky->GetSettings();
  s.hazeAmount = 0;
  s.fogHeight = 1;
  s.fogDensity = 0.5;
  sun = NewSun();
  ASSERT_EQ(sky->PrepareForRender(table, nullptr), 0);
  const struct {
    const char* name;
    double density;
    double t;
    double fog;
  } cases[] = {
      {"density 0.5", 0.5, 10, 0.936073},
      {"a thin fog's path is scaled", 0.05, 10, 0.258251},
      {"the fog starts at its distance", 0.5, 0.390625, 0},
      {"dense fog does not turn away", 2, 10, 1},
  };
  for (const auto& c : cases) {
    s.fogDensity = c.density;
    ExpectColour(Fogged(sky, c.t), {c.fog, c.fog, c.fog}, 1e-6, c.name);
  }
  s.fogDensity = 0.5;
  EXPECT_EQ(Fogged(sky, 10, {1, 0, 0}, {0, 2, 0}), (vector3<float>{}));  // above the fog
  // An escaping level ray inside the fog takes its colour; one above it none.
  EXPECT_EQ(Shade(sky, {1, 0, 0}), kWhite);
  EXPECT_TRUE(IsFinite(Shade(sky, {1, 0, 0}, {0, 2, 0})));
  EXPECT_TRUE(IsFinite(Shade(sky, {0, -1, 0}, {0, 0.5, 0})));
}

// ---- clouds

TEST_F(Sky, CloudLayerADrawsByDensity) {
  constexpr uint32_t kNoAtmosphere = C3dSky::kGraded | C3dSky::kClouds | C3dSky::kCloudLayerA;
  C3dSky* sky = PreparedSky(kNoAtmosphere);
  sky->SetCloudTexture(NewCloudTexture(), 0);
  SSkySettings& s = sky->GetSettings();
  s.cloudA = {0.3f, 0.6f, 0.9f};
  ASSERT_EQ(sky->PrepareForRender(table, nullptr), 0);
  const vector3<double> up{0.1, 1, -0.3};
  s.cloudCover = 0;
  const vector3<float> clear = Shade(sky, up);
  s.flags &= ~C3dSky::kClouds;
  EXPECT_EQ(Shade(sky, up), clear);
  s.flags |= C3dSky::kClouds;
  s.cloudCover = 1;
  ExpectColour(Shade(sky, up), {0.3, 0.6, 0.9}, 1e-6, "overcast");
  // Downward rays and rays from above the layer see no clouds.
  s.flags &= ~C3dSky::kClouds;
  const vector3<float> down = Shade(sky, {0, -1, 0});
  const vector3<float> above = Shade(sky, up, {0, 100, 0});
  s.flags |= C3dSky::kClouds;
  EXPECT_EQ(Shade(sky, {0, -1, 0}), down);
  EXPECT_EQ(Shade(sky, up, {0, 100, 0}), above);
}

TEST_F(Sky, CloudLayerBShowsWhereItsCoverIsPositive) {
  C3dSky* sky = PreparedSky(C3dSky::kGraded | C3dSky::kClouds | C3dSky::kCloudLayerB);
  sky->SetCloudTexture(NewCloudTexture(), 1);
  SSkySettings& s = sky->GetSettings();
  const vector3<double> up{0.2, 1, 0.1};
  s.cloudCover = 0;
  const vector3<float> clear = Shade(sky, up);
  s.flags &= ~C3dSky::kClouds;
  EXPECT_EQ(Shade(sky, up), clear);
  s.flags |= C3dSky::kClouds;
  s.cloudCover = 1;
  const vector3<float> cloudy = Shade(sky, up);
  EXPECT_NE(cloudy, clear);
  EXPECT_TRUE(IsFinite(cloudy));
  // Without its texture the layer is not drawn.
  sky->SetCloudTexture(nullptr, 1);
  EXPECT_EQ(Shade(sky, up), clear);
}

TEST_F(Sky, CloudTexturesAreHeldByHandleAndCopiedByContents) {
  C3dSky* sky = NewSky();
  C3dTexture* texture = NewCloudTexture();
  sky->SetCloudTexture(texture, 0);
  EXPECT_EQ(sky->GetCloudTexture(0), texture);
  EXPECT_EQ(sky->GetCloudTextureTag(0), FourCC("qntx"));
  EXPECT_EQ(sky->GetCloudTextureId(0), texture->GetId());
  sky->SetCloudTexture(texture, 2);
  EXPECT_EQ(sky->GetCloudTexture(2), nullptr);
  EXPECT_EQ(sky->GetCloudTexture(1), nullptr);

  C3dSky* copy = NewSky();
  C3dTexture* own = MakeObject<C3dTexture>(table);
  copy->SetCloudTexture(own, 0);
  sky->GetSettings().cloudCover = 0.125;
  ASSERT_EQ(copy->CopyFrom(*sky), 0);
  EXPECT_EQ(copy->GetSettings().cloudCover, 0.125);
  EXPECT_EQ(copy->GetCloudTexture(0), own);
  {
    CHolder a(own, false, false), b(texture, false, false);
    EXPECT_EQ(std::memcmp(&own->GetTextureData(), &texture->GetTextureData(), sizeof(STextureData)), 0);
  }
  // A deleted texture is no longer found; released ones are deleted.
  delete texture;
  EXPECT_EQ(sky->GetCloudTexture(0), nullptr);
  copy->ReleaseImages();
  EXPECT_EQ(copy->GetCloudTexture(0), nullptr);
  EXPECT_EQ(copy->GetCloudTextureTag(0), 0u);
  CHolder holder(table, false, false);
  for (uint32_t row = 0; row < table->GetCount(); ++row) EXPECT_NE((*table)[row].object, own);
}

}  // namespace
